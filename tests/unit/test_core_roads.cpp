// The roads between controls and engine in an opened off-screen editor: a control change
// reaches the engine and the host with begin and end edit, pushes and program changes come
// back at the next idle pass (never sooner than 40 ms after the last), hover texts, the
// per-mode memories, drags onto the modulation matrix and the typed settings.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TReadouts.h"
#include "editor/TypedNumber.h"
#include "platform/dialogs.h"
#include "test_core_rig.h"

#include <algorithm>

namespace {

using namespace coretest;

TEST_F(CoreEditor, AKnobDragReachesTheEngineAndTheHostWithinBeginAndEndEdit) {
    TKnob* knob = nullptr;
    ed->createKnob(knob, tag::FilterFrequency, 20, 20, 1);
    show(knob);
    const float before = engine->getParameter(tag::FilterFrequency);
    const CPoint p(knob->getViewSize().left + 5, knob->getViewSize().top + 5);
    frame->platformMouseDown(p, CButtonState(kLButton), 5000);
    frame->platformMouseMoved(CPoint(p.x, p.y + 40), CButtonState(kLButton));
    frame->platformMouseUp(CPoint(p.x, p.y + 40), CButtonState(kLButton));
    const float after = engine->getParameter(tag::FilterFrequency);
    EXPECT_LT(after, before);
    ASSERT_FALSE(hostLog.automated.empty());
    EXPECT_EQ(hostLog.automated.back().first, tag::FilterFrequency);
    EXPECT_FLOAT_EQ(hostLog.automated.back().second, after);
    const auto& ops = hostLog.opcodes;
    const auto begin = std::find(ops.begin(), ops.end(), audioMasterBeginEdit);
    const auto automate = std::find(ops.begin(), ops.end(), audioMasterAutomate);
    const auto end = std::find(ops.begin(), ops.end(), audioMasterEndEdit);
    ASSERT_TRUE(begin != ops.end() && automate != ops.end() && end != ops.end());
    EXPECT_TRUE(begin < automate && automate < end);
    // A control without a parameter reaches nobody.
    CKickButton* area = nullptr;
    ed->createKickButtonArea(area, 200, 200, 10, 10);
    show(area);
    hostLog.automated.clear();
    click(area);
    EXPECT_TRUE(hostLog.automated.empty());
}

TEST_F(CoreEditor, PushesWaitForTheIdlePassAndItsFortyMilliseconds) {
    TKnob* knob = nullptr;
    ed->createKnob(knob, tag::MainVolume, 20, 20, 1);
    pass();
    engine->setParameter(tag::MainVolume, 0.125f);
    EXPECT_TRUE(ed->isTagMarked(tag::MainVolume));
    controlstest::fakeTicks += 2; // 33 ms: too soon
    ed->idle();
    EXPECT_TRUE(ed->isTagMarked(tag::MainVolume));
    EXPECT_NE(knob->getValue(), 0.125f);
    controlstest::fakeTicks += 1; // 50 ms since the last pass
    ed->idle();
    EXPECT_FALSE(ed->isTagMarked(tag::MainVolume));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.125f);
}

TEST_F(CoreEditor, AProgramChangeRefreshesEveryControl) {
    std::vector<CControl*> made;
    for (int t : {tag::FilterFrequency, tag::FilterQ, tag::AmpEnvAttack, tag::Osc1Volume,
                  tag::DelayMix, tag::HpOn}) {
        TKnob* knob = nullptr;
        ed->createKnob(knob, t, 0, 0, 1);
        made.push_back(knob);
    }
    engine->setDemoProgram(7);
    std::vector<float> left(4096), right(4096);
    float* outs[2] = {left.data(), right.data()};
    float* ins[2] = {left.data(), right.data()};
    for (int block = 0; block < 4; ++block) engine->processReplacing(ins, outs, 4096);
    pass();
    for (CControl* c : made)
        EXPECT_FLOAT_EQ(c->getValue(), engine->getParameter(c->getTag())) << c->getTag();
}

TEST_F(CoreEditor, HoverShowsNameAndValueInTheReadoutsAndTheTooltip) {
    ed->createReadout(ed->ui.parameterName, 0, 0, 100, 12, "", true, false);
    ed->createReadout(ed->ui.parameterValue, 0, 12, 100, 12, "", true, false);
    show(ed->ui.parameterName);
    show(ed->ui.parameterValue);
    TKnob* knob = nullptr;
    ed->createKnob(knob, tag::FilterFrequency, 200, 200, 1);
    show(knob);
    frame->platformMouseMoved(CPoint(205, 205), CButtonState());
    pass();
    const std::string name = engine->getParameterNameStr(tag::FilterFrequency);
    const std::string value = engine->getParameterDisplayStr(tag::FilterFrequency);
    EXPECT_EQ(ed->ui.parameterName->getString(), name);
    EXPECT_EQ(ed->ui.parameterValue->getString(), value);
    EXPECT_EQ(knob->getTooltipText(), name + ": " + value);
    // A view with a fixed name shows only that name.
    CKickButton* help = nullptr;
    ed->createKickButtonArea(help, 400, 400, 20, 20);
    show(help);
    ed->setHoverName(help, "Show Help");
    frame->platformMouseMoved(CPoint(405, 405), CButtonState());
    pass();
    EXPECT_EQ(ed->ui.parameterName->getString(), "Show Help");
    EXPECT_EQ(help->getTooltipText(), "Show Help");
}

TEST_F(CoreEditor, EachDistortionModeKeepsItsOwnKnobValues) {
    engine->setSteppedValue(tag::VoiceDistortionMode, 2);
    engine->setParameter(tag::Distortion3, 0.123f);
    ed->updateDistortVoice(2, 5);
    EXPECT_NE(engine->getParameter(tag::Distortion3), 0.123f);
    engine->setParameter(tag::Distortion3, 0.9f);
    ed->updateDistortVoice(5, 2);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Distortion3), 0.123f);
    ed->updateDistortVoice(2, 5);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Distortion3), 0.9f);
}

TEST_F(CoreEditor, ADropOnTheMatrixRestoresTheDraggedValueAndRoutesIt) {
    const int t = tag::FilterFrequency;
    engine->setParameter(t, 0.4f);
    ed->setDropTag(t);
    engine->setParameter(t, 0.9f); // the drag moved the knob
    ed->dropMod();
    EXPECT_FLOAT_EQ(engine->getParameter(t), 0.4f);
    int routed = -1;
    for (int slot = 0; slot < tag::ModSlotCount && routed < 0; ++slot)
        if (engine->getModDestBySlot(slot) == engine->getDestForTag(t)) routed = slot;
    EXPECT_GE(routed, 0);
    EXPECT_EQ(ed->getDropTag(), -1);
}

TEST_F(CoreEditor, TypedNumbersAreRangeCheckedAndGarbageChangesNothing) {
    int n = 0;
    EXPECT_TRUE(parseTypedInt(" 440.7 Hz", "Hz", n));
    EXPECT_EQ(n, 440);
    EXPECT_TRUE(parseTypedInt("15khz", "KHz", n));
    for (const char* bad : {"", "abc", "4x", "99999999999", "-", "1e3"})
        EXPECT_FALSE(parseTypedInt(bad, "Hz", n)) << bad;

    ed->createReadout(ed->ui.a4Readout, 0, 0, 60, 12, "440 Hz", true, true);
    ed->createReadout(ed->ui.brickReadout, 0, 20, 60, 12, "15 KHz", true, true);
    ScriptedDialogs dialogs;
    ScopedDialogBackend scope(dialogs);
    dialogs.answerOk("432");
    dialogs.answerOk("10001");
    dialogs.answerOk("99999999999");
    dialogs.answerOk("5");
    const auto typeInto = [&](TReadout* r) {
        r->setValue(1.0f);
        ed->valueChanged(r);
    };
    typeInto(ed->ui.a4Readout);
    EXPECT_EQ(loadIntFromPrefs("A4"), 432);
    typeInto(ed->ui.a4Readout); // out of range: the default pitch
    EXPECT_EQ(loadIntFromPrefs("A4"), 440);
    EXPECT_EQ(ed->ui.a4Readout->getString(), "440 Hz");
    const float brick = engine->getParameter(tag::BrickFilterFrequency);
    typeInto(ed->ui.brickReadout); // beyond int: nothing changes
    EXPECT_FLOAT_EQ(engine->getParameter(tag::BrickFilterFrequency), brick);
    typeInto(ed->ui.brickReadout); // 5 kHz is out of range: 15 kHz
    EXPECT_EQ(ed->ui.brickReadout->getString(), "15 KHz");
}

} // namespace
