// A knob on its own: built against small fakes of its editor and sound, in an off-screen frame,
// linked without the editor and the engine, and dragged with the frame's mouse events.
#include "controls/ControlHost.h"
#include "controls/TKnob.h"
#include "gui/CFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace VSTGUI;

constexpr int kTag = 7;

// The values of a few parameters; everything else answers nothing.
struct FakeSound : ControlSound {
    float values[16] = {};
    float getParameter(int tag) override { return values[tag]; }
    void setParameter(int tag, float v) override { values[tag] = v; }
    void setParameterAutomated(int tag, float v) override { values[tag] = v; }
    void automateCurrentValue(int) override {}
    float getDefaultValue(int) const override { return 0.5f; }
    float getOrigValue(int) const override { return 0.25f; }
    void setToDefault(int tag) override { values[tag] = 0.5f; }
    void setToOrig(int tag) override { values[tag] = 0.25f; }
    void toggleValue(int) override {}
    bool getOnOff(int tag) const override { return values[tag] >= 0.5f; }
    int getSteppedValue(int) const override { return 0; }
    void setSteppedValue(int, int) override {}
    void setSteppedValueMax(int) override {}
    void changeDelta(int, int, bool, float) override {}
    std::string getParameterDisplayStr(int) override { return {}; }
    float getLockVar(int) const override { return 0.0f; }
    bool getLockVarOnOff(int) const override { return false; }
    void setLockVar(int, float) override {}
    bool getRenderRunning() const override { return false; }
    int getRibbonQuant() const override { return 0; }
    int getRibbonSpringTime() const override { return 0; }
    bool isRibbonSpringGliding() const override { return false; }
    void setRibbonSpringOn() override {}
    void setRibbbonSpringOff() override {}
};

// The frame's editor, the controls' editor and the knob's listener in one: it counts the edit
// brackets the host would hear and writes each value the knob reports into the sound.
struct FakeEditor : VSTGUIEditorInterface, ControlEditor, IControlListener {
    FakeSound sound;
    int begins = 0, ends = 0, open = 0;
    std::vector<float> told;

    void valueChanged(CControl* c) override {
        EXPECT_EQ(open, 1) << "a value reaches the host inside its edit bracket";
        told.push_back(c->getValue());
        sound.values[c->getTag()] = c->getValue();
    }
    void beginEdit(int32_t) override { ++begins, ++open; }
    void endEdit(int32_t) override { ++ends, --open; }
    ControlSound* getSound() override { return &sound; }
    bool getEditorFinishedOpening() const override { return true; }
    int getBig() const override { return 0; }
    bool getAnimation() const override { return false; }
    CBitmap* getSkinBitmap(int) const override { return nullptr; }
    bool isEditOpen(int32_t) const override { return open > 0; }
    void keepEditPastRelease(int32_t) override {}
    void userEdit(int, const std::function<void()>& write) override { write(); }
    void beginStroke(const std::vector<int>&) override {}
    void endStroke() override {}
    void typeValue(int) override {}
    void requestHostDisplay() override {}
    bool getDragAndDrop() const override { return false; }
    void setDropTag(int) override {}
    void releasedDropDial() override {}
    void setSectionUndo(int) override {}
    void setSectionToOrig(int) override {}
    void resetSection(int) override {}
    void addWaveUndo() override {}
    void showMIDIMenu(CControl*, bool) override {}
    void showButtonMenu(int) override {}
    void showXYMenu(int) override {}
    void showWaveMenu(int) override {}
    void showPathMenu(int, int) override {}
    void showModMenu(int) override {}
    void showGaterMenu() override {}
    void showEQMenu() override {}
    void showArpMenu(int, int, bool) override {}
    void setXYPoint(int, int) override {}
    void setPathSelected(int, int) override {}
    std::string getDestMenuStr(int, bool) override { return {}; }
    void changeProgramDelta(int, bool) override {}
};

class KnobAlone : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 200), &editor);
        frame->open(nullptr, PlatformType::kOffscreen);
        CPoint offset(0, 0);
        knob = new TKnob(CRect(50, 50, 90, 90), &editor, kTag, nullptr, nullptr, offset, 64);
        frame->addView(knob);
        knob->forget();
    }
    void TearDown() override { frame->forget(); }

    // Press at the knob's middle, move `pixels` upwards in 10-pixel steps, release.
    void drag(float from, int pixels, int modifiers = 0) {
        editor.sound.values[kTag] = from;
        editor.told.clear();
        const CButtonState b(kLButton | modifiers);
        frame->platformMouseDown(CPoint(70, 70), b, clock += 1000);
        for (int moved = 0; moved != pixels;) {
            moved += pixels > 0 ? std::min(10, pixels - moved) : std::max(-10, pixels - moved);
            frame->platformMouseMoved(CPoint(70, 70 - moved), b);
        }
        frame->platformMouseUp(CPoint(70, 70 - pixels), b);
    }

    FakeEditor editor;
    CFrame* frame = nullptr;
    TKnob* knob = nullptr;
    uint32_t clock = 1000;
};

TEST_F(KnobAlone, ADragMovesTheValueOneWayInsideOneBracket) {
    // The knob still shows 0.9, but the host moved the parameter to 0.5: the drag starts there.
    knob->setValue(0.9f);
    drag(0.5f, 40);
    EXPECT_EQ(editor.begins, 1);
    EXPECT_EQ(editor.ends, 1);
    ASSERT_FALSE(editor.told.empty());
    for (size_t i = 1; i < editor.told.size(); ++i) EXPECT_GT(editor.told[i], editor.told[i - 1]);
    EXPECT_NEAR(editor.sound.values[kTag], 0.7f, 1e-4f); // 200 pixels span the whole range

    drag(0.5f, -40);
    EXPECT_EQ(editor.begins, 2);
    EXPECT_EQ(editor.ends, 2);
    EXPECT_NEAR(editor.sound.values[kTag], 0.3f, 1e-4f);
}

TEST_F(KnobAlone, AFineDragMovesLessAndTheValueStaysInRange) {
    drag(0.5f, 40, kShift);
    EXPECT_GT(editor.sound.values[kTag], 0.5f);
    EXPECT_LT(editor.sound.values[kTag], 0.51f);

    for (const int pixels : {600, -600}) {
        drag(0.5f, pixels);
        for (const float v : editor.told) {
            EXPECT_GE(v, 0.0f);
            EXPECT_LE(v, 1.0f);
        }
        EXPECT_EQ(editor.sound.values[kTag], pixels > 0 ? 1.0f : 0.0f);
    }
    EXPECT_EQ(editor.open, 0);
}

} // namespace
