// The arpeggiator grid and the XY pad display driven off-screen with synthetic mouse events:
// grid toggles, drags, preset values, the ratchet pop-up and the locks; an XY gesture
// recorded through the display and replayed by the engine.
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TXYScreen.h"
#include "gui/MenuPopup.h"

#include "test_controls_rig.h"

#include <vector>

using namespace controlstest;

namespace {

class WavesDisplays : public ControlsTest {
protected:
    void render(int frames) {
        const auto n = static_cast<size_t>(frames);
        std::vector<float> in(n), l(n), r(n);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {l.data(), r.data()};
        engine->processReplacing(ins, outs, frames);
    }
};

// A 320 x 160 grid: steps 20 pixels wide, rows 20 high.
CPoint cell(int row, int step) {
    return CPoint(step * 20 + 10, row * 20 + 10);
}

} // namespace

TEST_F(WavesDisplays, ArpGridEditsCellsAndRefusesWhileLocked) {
    open();
    auto* grid = add(new TArpScreen(CRect(0, 0, 320, 160), ed, 0));
    engine->setSteppedValue(tag::SeqStepsA, 4); // five steps
    grid->setStepsLoop();
    ASSERT_EQ(grid->getStepCount(), 5);
    const int on2 = tag::SeqStepOnA + 2, vel1 = tag::SeqStepVelA + 1;

    const bool was = engine->getOnOff(on2);
    EXPECT_EQ(press(cell(TArpScreen::kRowOn, 2), kLButton), kDone);
    EXPECT_NE(engine->getOnOff(on2), was);
    // Beyond the step count nothing changes.
    const float beyond = engine->getParameter(tag::SeqStepOnA + 9);
    press(cell(TArpScreen::kRowOn, 9), kLButton);
    EXPECT_EQ(engine->getParameter(tag::SeqStepOnA + 9), beyond);

    // 400 pixels right (or up) cross the whole range; Shift makes it twenty times finer.
    engine->setParameter(vel1, 0.0f);
    EXPECT_EQ(press(cell(TArpScreen::kRowVel, 1), kLButton), kFollowed);
    move(cell(TArpScreen::kRowVel, 1).offset(100, -100), kLButton);
    release(cell(TArpScreen::kRowVel, 1));
    EXPECT_NEAR(engine->getParameter(vel1), 0.5f, 1e-4f);
    press(cell(TArpScreen::kRowVel, 1), kLButton | kShift);
    move(cell(TArpScreen::kRowVel, 1).offset(400, 0), kLButton | kShift);
    release(cell(TArpScreen::kRowVel, 1));
    EXPECT_NEAR(engine->getParameter(vel1), 0.55f, 1e-4f);
    // A double click gives the default.
    press(cell(TArpScreen::kRowVel, 1), kLButton | kDoubleClick);
    EXPECT_FLOAT_EQ(engine->getParameter(vel1), engine->getDefaultValue(vel1));

    // The ratchet pop-up: the third entry ("3") sets stepped index 2.
    frame->setMenuDriver([](MenuPopup& p) {
        const CPoint c = p.getItemCenter(0, 2);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        return false;
    });
    EXPECT_EQ(press(cell(TArpScreen::kRowRatchet, 3), kLButton), kDone);
    EXPECT_EQ(engine->getSteppedValue(tag::SeqStepRatchetA + 3), 2);
    EXPECT_EQ(frame->getNbViews(), 1); // the pop-up's menu is gone again

    // Sequence B edits its own tags.
    grid->setArp(1);
    EXPECT_EQ(grid->cellTag(TArpScreen::kRowVel, 1), vel1 + tag::SeqStride);

    // Locked: clicks and drags change nothing.
    grid->setArp(0);
    engine->setLockState(kLockArp, kLockLocked);
    const bool locked = engine->getOnOff(on2);
    EXPECT_EQ(press(cell(TArpScreen::kRowOn, 2), kLButton), kDone);
    EXPECT_EQ(engine->getOnOff(on2), locked);
    EXPECT_EQ(press(cell(TArpScreen::kRowVel, 1), kLButton), kDone);
    EXPECT_NEAR(engine->getParameter(vel1), 1.0f, 1e-4f);
}

TEST_F(WavesDisplays, XYGestureRecordedThroughTheDisplayIsReplayed) {
    open();
    engine->setSampleRate(48000.0f);
    render(1); // the first program lands at the first boundary
    engine->setSteppedValue(tag::Xy1Sync, 0);
    engine->setParameter(tag::Xy1Speed, 0.5f);    // speed factor 1
    engine->setSteppedValue(tag::Xy1PlayMode, 1); // free: replays without notes
    engine->setSteppedValue(tag::Xy1LoopMode, 1);
    engine->setSteppedValue(tag::Xy1RecordMode, TXYScreen::kRecord);
    render(256);
    // 201 x 201 pixels: the plot is 200 wide, so x pixel 10 + 200 t is pad x t.
    auto* pad = add(new TXYScreen(CRect(10, 10, 211, 211), 0, ed, 0));
    frame->render(); // the display takes the record mode at its draw

    // One second, X from 0 to 1 while Y stays at 0.25.
    EXPECT_EQ(press(CPoint(10, 160), kLButton), kFollowed);
    EXPECT_TRUE(pad->isDragging());
    for (int k = 1; k <= 20; ++k) {
        render(2400);
        move(CPoint(10 + 10 * k, 160), kLButton);
    }
    release(CPoint(210, 160));
    EXPECT_NEAR(engine->getParameter(tag::Xy1LenSec) * 1000 + engine->getParameter(tag::Xy1LenMs),
                1.0f, 0.01f);
    EXPECT_NEAR(engine->getParameter(tag::Xy1PathXFirst), 0.0f, 0.02f);
    EXPECT_NEAR(engine->getParameter(tag::Xy1PathXFirst + 16), 0.5f, 0.06f);
    EXPECT_NEAR(engine->getParameter(tag::Xy1PathYFirst + 16), 0.25f, 0.01f);

    // Replay: half a second in, the pad stands half way.
    engine->setSteppedValue(tag::Xy1RecordMode, TXYScreen::kReplay);
    render(24000);
    EXPECT_NEAR(engine->getCurrentValue(tag::Osc1ZekX), 0.5f, 0.08f);
    EXPECT_NEAR(engine->getCurrentValue(tag::Osc1ZekY), 0.25f, 0.02f);

    // With the edit switch on, the nearest path point follows a drag; outside the plot the
    // point clamps to the pad's edge. Out-of-range points are ignored at both ends.
    engine->setParameter(tag::Xy1EditOn, 1.0f);
    frame->render();
    int px, py;
    pad->getXYPoint(31, px, py);
    press(CPoint(px, py), kLButton);
    EXPECT_EQ(pad->getSelected(), 31);
    move(CPoint(-50, -50), kLButton);
    release(CPoint(-50, -50));
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Xy1PathXFirst + 31), 0.0f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Xy1PathYFirst + 31), 1.0f);
    const float before = engine->getParameter(tag::Xy1LenMs);
    pad->setXYPoint(-1, 0.3f, 0.3f);
    pad->setXYPoint(32, 0.3f, 0.3f);
    EXPECT_EQ(engine->getParameter(tag::Xy1LenMs), before);
    EXPECT_EQ(engine->getParameter(tag::Xy2PathXFirst),
              engine->getDefaultValue(tag::Xy2PathXFirst));
}

TEST_F(WavesDisplays, XYLiveDragClampsAndDoubleClickCentres) {
    open();
    add(new TXYScreen(CRect(0, 0, 101, 101), 1, ed, 0));
    frame->render();
    press(CPoint(50, 50), kLButton);
    move(CPoint(-20, -20), kLButton);
    release(CPoint(-20, -20));
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Osc2ZekX), 0.0f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Osc2ZekY), 1.0f);
    EXPECT_EQ(press(CPoint(30, 30), kLButton | kDoubleClick), kDone);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Osc2ZekX), 0.5f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Osc2ZekY), 0.5f);
}

// Recording armed by the record mode: the first MIDI move starts it, replay mode ends it and
// writes the path.
TEST_F(WavesDisplays, XYRecordingFollowsMidiMovesUntilReplay) {
    open();
    engine->setSampleRate(48000.0f);
    render(1);
    auto* pad = add(new TXYScreen(CRect(0, 0, 101, 101), 0, ed, 0));
    engine->setSteppedValue(tag::Xy1RecordMode, TXYScreen::kRecord);
    frame->render(); // armed
    EXPECT_FALSE(pad->isRecording());
    engine->xyMidiChanged[0] = 1;
    engine->setParameter(tag::Osc1ZekX, 0.9f);
    render(256); // the engine reports the move to the display
    pad->setDirty(true);
    frame->render();
    EXPECT_TRUE(pad->isRecording());
    render(4800);
    engine->setSteppedValue(tag::Xy1RecordMode, TXYScreen::kReplay);
    pad->setDirty(true);
    frame->render();
    EXPECT_FALSE(pad->isRecording());
    EXPECT_NEAR(engine->getParameter(tag::Xy1LenMs), 0.1f, 0.01f); // a tenth of a second
    EXPECT_NEAR(engine->getParameter(tag::Xy1PathXFirst + 31), 0.9f, 0.01f);
}
