// Knobs, film-strip sliders and the ribbon driven with synthetic mouse events off-screen: drags
// with overshoot and mid-drag Shift, value-setting clicks, the wheel, the command menu, the
// modulation ring, circle and thumb.
#include "controls/TBitmapSliders.h"
#include "controls/TKnob.h"
#include "controls/TSlider.h"
#include "engine/params/ParamTags.h"
#include "gui/COptionMenu.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

constexpr int kTag = 10; // an ordinary 0..1 parameter
CPoint noOffset;

TKnob* makeKnob(Recorder* rec, int tag = kTag, int frames = 11) {
    // One strip serves as knob and ring: the knob keeps a reference to its background only.
    CBitmap* strip = greyStrip(40, 40, frames);
    auto* knob = new TKnob(CRect(100, 300, 140, 340), rec, tag, strip, strip, noOffset, frames);
    strip->forget();
    return knob;
}

} // namespace

TEST_F(ControlsTest, KnobDragReachesTheEndsUndoesOvershootAndTakesShiftWithoutAJump) {
    open();
    TKnob* knob = add(makeKnob(&rec));
    knob->setValue(0.0f);
    const CPoint start(120, 320);
    EXPECT_EQ(press(start, kLButton), kMouseEventHandled);
    EXPECT_EQ(rec.begins, 1);
    move(CPoint(120, 220), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
    move(CPoint(120, 120), kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    move(CPoint(120, 70), kLButton); // 50 pixels beyond the end
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    move(CPoint(120, 100), kLButton); // back, but still above the 200-pixel line
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    move(CPoint(120, 140), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.9f, 1e-5);
    // Shift now: the move that brings it still runs at the old rate, so the value does not
    // jump; from there a pixel moves by 1/10,000, and after Shift by 1/200 again.
    move(CPoint(120, 150), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.85f, 1e-5);
    move(CPoint(120, 160), kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.849f, 1e-5);
    move(CPoint(120, 170), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.848f, 1e-5);
    move(CPoint(120, 180), kLButton);
    EXPECT_NEAR(knob->getValue(), 0.798f, 1e-5);
    release(CPoint(120, 180));
    EXPECT_EQ(rec.ends, 1);
    EXPECT_EQ(ed->getDropTag(), kTag);
}

TEST_F(ControlsTest, KnobValueClicksWheelAndCommandMenu) {
    open();
    TKnob* knob = add(makeKnob(&rec));
    knob->setDefaultValue(0.25f);
    const float orig = engine->getOrigValue(kTag);
    const CPoint at(120, 320);

    knob->setValue(0.9f);
    press(at, kLButton);
    release(at);
    frame->platformMouseDown(at, CButtonState(kLButton), clock + 100); // the double click
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    knob->setValue(0.9f);
    EXPECT_EQ(press(at, kLButton | kControl), kDone);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    press(at, kLButton | kControl | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), orig);
    EXPECT_EQ(rec.begins, rec.ends);

    // The wheel steps by the wheel increment, a tenth of it with Shift.
    knob->setValue(0.5f);
    frame->platformWheel(at, 1.0f, CButtonState());
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    frame->platformWheel(at, -1.0f, CButtonState(kShift));
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6);

    // Right and Control clicks ask the editor for the command menu.
    std::vector<std::string> titles;
    frame->setMenuDriver([&](MenuPopup& p) {
        COptionMenu* menu = p.getMenu();
        for (int i = 0; i < menu->getNbEntries(); ++i)
            titles.push_back(menu->getEntry(i)->getTitle());
        const CPoint first = p.getItemCenter(0, 0);
        p.mouseDown(first, kLButton);
        p.mouseUp(first, kLButton);
        return false;
    });
    EXPECT_EQ(press(at, kRButton), kDone);
    ASSERT_GE(titles.size(), 6u);
    EXPECT_EQ(titles[0], "Control and MIDI Command Menu");
    EXPECT_EQ(titles[2], "Not MIDI Latched");
    titles.clear();
    press(at, kLButton | kApple);
    EXPECT_FALSE(titles.empty());
}

TEST_F(ControlsTest, KnobShowsItsImageAndRing) {
    open();
    TKnob* knob = add(makeKnob(&rec, kTag, 11));
    knob->setValue(1.0f);
    EXPECT_EQ(knob->getKnobFrame(), 9); // frames - 2
    EXPECT_EQ(imageAt(pixel(CPoint(120, 320))), 9);
    knob->setModValue(0.5f);
    EXPECT_EQ(knob->getRingFrame(), 5);
    ed->setAnimation(false); // the ring follows the knob
    knob->setModValue(0.0f);
    EXPECT_EQ(knob->getRingFrame(), 10);
    knob->setBypassed(true);
    EXPECT_EQ(press(CPoint(120, 320), kLButton), kDone);
}

TEST_F(ControlsTest, SlidersJumpToTheClickDragFinelyAndMarkTheModulatedValue) {
    open();
    CBitmap* hs = greyStrip(100, 20, 11);
    auto* h = add(new THSlider(CRect(100, 100, 200, 120), &rec, kTag, hs, noOffset, 11));
    hs->forget();
    CBitmap* vs = greyStrip(20, 100, 11, true);
    auto* v = add(new TVSlider(CRect(300, 100, 320, 200), &rec, kTag, vs, noOffset, 11));
    vs->forget();

    CPoint p(100, 110);
    h->onMouseDown(p, CButtonState(kLButton));
    EXPECT_FLOAT_EQ(h->getValue(), 0.0f);
    p = CPoint(200, 110);
    h->onMouseDown(p, CButtonState(kLButton));
    EXPECT_FLOAT_EQ(h->getValue(), 1.0f);

    // Through the frame: a press in the middle, 20 pixels with Shift are one pixel's worth.
    press(CPoint(150, 110), kLButton);
    EXPECT_FLOAT_EQ(h->getValue(), 0.5f);
    move(CPoint(170, 110), kLButton | kShift);
    EXPECT_NEAR(h->getValue(), 0.51f, 1e-5);
    release(CPoint(170, 110));
    EXPECT_EQ(press(CPoint(150, 110), kRButton), kMouseEventHandled);
    EXPECT_EQ(press(CPoint(310, 150), kRButton), kDone);

    // The image follows the value; the circle shows only beyond 0.01 of it.
    h->setValue(0.5f);
    EXPECT_EQ(imageAt(pixel(CPoint(110, 102))), 5);
    h->setModValue(0.505f);
    EXPECT_NE(pixel(CPoint(105, 110)), GREEN_COLOR);
    h->setModValue(0.0f);
    // Circle of radius 5 centred at x = 100 + 10 + 0 + 1: its left edge.
    EXPECT_TRUE(near(pixel(CPoint(106, 110)), GREEN_COLOR, 60));
    v->setValue(0.3f);
    EXPECT_EQ(imageAt(pixel(CPoint(310, 150))), 3);
}

TEST_F(ControlsTest, RibbonJumpsRestsSpringsBackAndQuantisesItsThumb) {
    open(0);
    // 0..1 over x 116..216 at 100 percent.
    auto* r = add(new TSlider(CRect(100, 400, 232, 430), &rec, tag::RibbonValue, 0, true));
    EXPECT_EQ(r->getTrackStart(), 116);
    EXPECT_FLOAT_EQ(r->getTrackLength(), 100.0f);
    press(CPoint(100, 415), kLButton);
    EXPECT_FLOAT_EQ(r->getValue(), 0.0f);
    move(CPoint(150, 415), kLButton);
    EXPECT_NEAR(r->getValue(), 0.5f, 1e-5);
    release(CPoint(150, 415));
    r->setCentered(false);

    // With a spring the control follows the engine, unless held or the step is tiny.
    engine->setSteppedValue(tag::RibbonSpringTime, 3);
    ASSERT_NE(engine->getRibbonSpringTime(), 0);
    engine->setParameter(tag::RibbonValue, 0.4f);
    r->setCurValue();
    EXPECT_FLOAT_EQ(r->getValue(), 0.4f);
    engine->setParameter(tag::RibbonValue, 0.402f);
    r->setCurValue();
    EXPECT_FLOAT_EQ(r->getValue(), 0.4f);
    press(CPoint(116, 415), kLButton);
    engine->setParameter(tag::RibbonValue, 0.8f);
    r->setCurValue();
    EXPECT_FLOAT_EQ(r->getValue(), 0.0f);
    release(CPoint(116, 415));

    r->setModValue(0.7f, 5);
    r->setModValue(0.2f, 5);
    EXPECT_FLOAT_EQ(r->getModValue(), 0.7f);
    EXPECT_FLOAT_EQ(ribbonPosition(0.3f, false, 11), 0.5f);
    EXPECT_FLOAT_EQ(ribbonPosition(0.3f, true, 11), 0.25f);
    EXPECT_FLOAT_EQ(ribbonPosition(0.3f, true, 0), 0.3f);
}
