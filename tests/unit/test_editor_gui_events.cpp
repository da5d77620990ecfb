// Off-screen mouse, wheel and key routing: the capture rules of the mouse handlers, local
// coordinates in containers, double clicks, the keyboard hook and the basic controls.
#include "GuiTestSupport.h"
#include "gui/CControl.h"
#include "vst2/VstInterface.h"

#include <gtest/gtest.h>

#include <vector>

using namespace VSTGUI;

namespace {

// Records what reaches it and answers mouse-downs with a chosen result.
class ProbeView : public CView {
public:
    ProbeView(const CRect& r, CMouseEventResult answer) : CView(r), answer(answer) {}
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override {
        downs.push_back(where);
        lastButtons = buttons;
        return answer;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
        moves.push_back(where);
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override {
        ups.push_back(where);
        return kMouseEventHandled;
    }
    CMouseEventResult answer;
    std::vector<CPoint> downs, moves, ups;
    CButtonState lastButtons;
};

struct Listener : IControlListener {
    void valueChanged(CControl* c) override { values.push_back(c->getValue()); }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
    std::vector<float> values;
    int begins = 0, ends = 0;
};

struct Hook : IKeyboardHook {
    int32_t onKeyDown(const VstKeyCode& k, CFrame*) override {
        keys.push_back(k.virt);
        return k.virt == 12 ? 1 : -1;
    }
    int32_t onKeyUp(const VstKeyCode&, CFrame*) override { return -1; }
    std::vector<int> keys;
};

} // namespace

TEST(GuiEvents, HandledPressesFollowTheViewAndOthersStopAtThePress) {
    CFrame* frame = guitest::offscreenFrame(300, 200);
    auto* panel = new CViewContainer(CRect(100, 50, 300, 200));
    guitest::attach(frame, panel);
    auto* follow = new ProbeView(CRect(10, 10, 50, 50), kMouseEventHandled);
    auto* once =
        new ProbeView(CRect(60, 10, 100, 50), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    auto* under = new ProbeView(CRect(10, 10, 50, 50), kMouseEventHandled);
    auto* refusing = new ProbeView(CRect(10, 10, 50, 50), kMouseEventNotHandled);
    guitest::attach(panel, under);
    guitest::attach(panel, follow);
    guitest::attach(panel, once);
    guitest::attach(panel, refusing); // on top of follow, but it passes the press down

    // Press at frame (120, 70): container-local (20, 20). Moves and the release follow the view
    // even outside its rectangle and its container.
    frame->platformMouseDown(CPoint(120, 70), kLButton, 1000);
    EXPECT_TRUE(frame->isMouseCaptured());
    ASSERT_EQ(follow->downs.size(), 1u);
    EXPECT_EQ(follow->downs[0], CPoint(20, 20));
    EXPECT_EQ(refusing->downs.size(), 1u);
    EXPECT_TRUE(under->downs.empty());
    frame->platformMouseMoved(CPoint(10, 10), kLButton);
    frame->platformMouseUp(CPoint(11, 12), kLButton);
    ASSERT_EQ(follow->moves.size(), 1u);
    EXPECT_EQ(follow->moves[0], CPoint(-90, -40));
    ASSERT_EQ(follow->ups.size(), 1u);
    EXPECT_FALSE(frame->isMouseCaptured());

    // A press answered "no moves" gets nothing after it.
    frame->platformMouseDown(CPoint(170, 70), kLButton, 5000);
    EXPECT_FALSE(frame->isMouseCaptured());
    frame->platformMouseMoved(CPoint(171, 71), kLButton);
    frame->platformMouseUp(CPoint(171, 71), kLButton);
    EXPECT_EQ(once->downs.size(), 1u);
    EXPECT_TRUE(once->moves.empty());
    EXPECT_TRUE(once->ups.empty());
    EXPECT_EQ(follow->moves.size(), 1u);

    frame->forget();
}

TEST(GuiEvents, ASecondPressWithin400MsAnd4PixelsIsADoubleClick) {
    CFrame* frame = guitest::offscreenFrame(100, 100);
    auto* probe =
        new ProbeView(CRect(0, 0, 100, 100), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    guitest::attach(frame, probe);
    auto press = [&](CCoord x, CCoord y, uint32_t t, int32_t button = kLButton) {
        frame->platformMouseDown(CPoint(x, y), button, t);
        return probe->lastButtons.isDoubleClick();
    };
    EXPECT_FALSE(press(10, 10, 1000));
    EXPECT_TRUE(press(14, 6, 1400));  // 400 ms, 4 px: still a double click
    EXPECT_FALSE(press(14, 6, 1500)); // a third press starts a new pair
    EXPECT_FALSE(press(50, 50, 3000));
    EXPECT_FALSE(press(50, 50, 3401));           // 401 ms
    EXPECT_FALSE(press(20, 20, 7100, kRButton)); // another button
    EXPECT_TRUE(probe->lastButtons.isRightButton());
    frame->forget();
}

TEST(GuiEvents, ControlsTellTheirListenerAndBracketTheirEdits) {
    CFrame* frame = guitest::offscreenFrame(200, 100);
    Listener listener;
    auto* knob = new CKnobBase(CRect(0, 0, 40, 40), &listener, 7);
    knob->setValue(0.5f);
    knob->setWheelInc(0.1f);
    auto* toggle = new COnOffButton(CRect(50, 0, 70, 20), &listener, 8, nullptr);
    auto* kick = new CKickButton(CRect(100, 0, 140, 20), &listener, 9, nullptr);
    guitest::attach(frame, knob);
    guitest::attach(frame, toggle);
    guitest::attach(frame, kick);

    // A drag of 100 pixels upwards is half the range.
    knob->setValue(0.2f);
    frame->platformMouseDown(CPoint(20, 150 - 130), kLButton, 100);
    frame->platformMouseMoved(CPoint(20, -80), kLButton);
    frame->platformMouseUp(CPoint(20, -80), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-5);

    listener.values.clear();
    frame->platformMouseDown(CPoint(60, 10), kLButton, 2000);
    EXPECT_EQ(toggle->getValue(), 1.0f);
    frame->platformMouseDown(CPoint(60, 10), kLButton, 3000);
    EXPECT_EQ(toggle->getValue(), 0.0f);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));

    // The kick button: max while pressed, min again at the release; moving off the button and
    // releasing there sends no release change.
    listener.values.clear();
    frame->platformMouseDown(CPoint(110, 10), kLButton, 4000);
    frame->platformMouseUp(CPoint(110, 10), kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f, 0.0f}));
    listener.values.clear();
    frame->platformMouseDown(CPoint(110, 10), kLButton, 6000);
    frame->platformMouseMoved(CPoint(180, 90), kLButton);
    frame->platformMouseUp(CPoint(180, 90), kLButton);
    EXPECT_EQ(listener.values, (std::vector<float>{1.0f}));
    EXPECT_EQ(kick->getValue(), 0.0f);
    EXPECT_EQ(listener.begins, listener.ends);
    frame->forget();
}

TEST(GuiEvents, ATooltipShowsAfterTheMouseRestsOnAViewThatHasOne) {
    CFrame* frame = guitest::offscreenFrame(200, 100);
    auto* v = new CView(CRect(10, 10, 60, 40));
    const char text[] = "Filter Cutoff: 1000 Hz";
    v->setAttribute(kCViewTooltipAttribute, sizeof text, text);
    guitest::attach(frame, v);
    frame->render();
    frame->platformMouseMoved(CPoint(20, 20), 0);
    frame->idle(10000);
    EXPECT_EQ(frame->getShownTooltip(), "");
    frame->idle(10700);
    EXPECT_EQ(frame->getShownTooltip(), "Filter Cutoff: 1000 Hz");
    frame->platformMouseMoved(CPoint(150, 80), 0);
    frame->idle(10800);
    EXPECT_EQ(frame->getShownTooltip(), "");
    frame->forget();
}
