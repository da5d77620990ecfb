// The roads between controls and engine in an opened off-screen editor: a control change
// reaches the engine and the host with begin and end edit, pushes and program changes come
// back at the next idle pass (never sooner than 40 ms after the last), hover texts, the
// per-mode memories, drags onto the modulation matrix and the typed settings.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TReadouts.h"
#include "controls/displays/TXYScreen.h"
#include "editor/TypedNumber.h"
#include "platform/dialogs.h"
#include "test_core_rig.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

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

// Every view without a parameter of its own names itself in the read-outs: the pointer rests on
// the centre of each view of every screen, page and user wave (inside the view containers too),
// the idle pass finds the view under it, and the names met are exactly the fixed ones. Of two
// views alike, each carries its own name.
TEST_F(CoreEditor, EveryFixedNameViewShowsItsNameWhereThePointerRests) {
    const std::set<std::string> fixed = {"C3 Preview",
                                         "Preset Menu",
                                         "Folder Menu",
                                         "Original Preset",
                                         "Edited Preset",
                                         "ECS Menu",
                                         "Show Help",
                                         "Show / Hide Easy Screen",
                                         "Show / Hide Back Screen",
                                         "Parameter Name",
                                         "Parameter Value",
                                         "Oscillator 1 Menu",
                                         "Oscillator 2 Menu",
                                         "Filter Menu",
                                         "Amp Menu",
                                         "Play Menu",
                                         "Main LFO Menu",
                                         "EQ Menu",
                                         "Waveshaper Menu",
                                         "LowFi Menu",
                                         "Voice Distort Menu",
                                         "Free Envelope 1 Menu",
                                         "Free Envelope 2 Menu",
                                         "Free LFO 1 Menu",
                                         "Free LFO 2 Menu",
                                         "Mod FX Menu",
                                         "Delay Menu",
                                         "Reverb Menu",
                                         "Gater Menu",
                                         "Oscillator Path Menu",
                                         "FX Path Menu",
                                         "Arpeggiator Menu",
                                         "Show Oscillator 1 LFO",
                                         "Show Oscillator 1 Amp Envelope",
                                         "Show Oscillator 1 Pitch Envelope",
                                         "Show Oscillator 2 LFO",
                                         "Show Oscillator 2 Amp Envelope",
                                         "Show Oscillator 2 Pitch Envelope",
                                         "Oscillator 1 XY Live Mode",
                                         "Oscillator 1 XY Record Mode",
                                         "Oscillator 1 XY Replay Mode",
                                         "Oscillator 2 XY Live Mode",
                                         "Oscillator 2 XY Record Mode",
                                         "Oscillator 2 XY Replay Mode",
                                         "Oscillator 1 XY Screen",
                                         "Oscillator 2 XY Screen",
                                         "Easy Oscillator 1 XY Screen",
                                         "Easy Oscillator 2 XY Screen",
                                         "Select Pre-EQ",
                                         "Select Post-EQ",
                                         "EQ Display",
                                         "Easy EQ Display",
                                         "Show Arpeggiator Screen",
                                         "Show Wave Screen",
                                         "Show Mod Screen",
                                         "Show FX Screen",
                                         "Show Path Screen",
                                         "Select Arpeggiator A",
                                         "Select Arpeggiator B",
                                         "Arpeggiator Display",
                                         "Modulation Matrix Display",
                                         "Left Gater Display",
                                         "Right Gater Display",
                                         "Oscillator Path Display",
                                         "FX Path Display",
                                         "Show User Wave 1",
                                         "Show User Wave 2",
                                         "User Wave 1 Waveform Mode",
                                         "User Wave 1 Additive Mode",
                                         "User Wave 2 Waveform Mode",
                                         "User Wave 2 Additive Mode",
                                         "Select User Wave Draw Mode",
                                         "Select User Wave Line Mode",
                                         "Select User Wave Erase Mode",
                                         "User Wave Undo",
                                         "Load User Wave",
                                         "Save User Wave",
                                         "Copy User Wave",
                                         "Paste User Wave",
                                         "Clear User Wave",
                                         "Apply Wave-Shaping",
                                         "Screen Size",
                                         "MIDI Channel Menu",
                                         "Keyboard Control",
                                         "MIDI Preset",
                                         "MIDI Bank",
                                         "MIDI Capture",
                                         "AutoLimiter",
                                         "A4 Readout",
                                         "Brick Frequency",
                                         "Version Readout",
                                         "Load Tuning",
                                         "Reset Tuning"};
    ASSERT_EQ(fixed.size(), 93u);
    std::set<std::string> met;
    std::map<std::string, std::set<const CView*>> metOn; // the views resting on which met a name
    const auto visit = [&](auto&& self, CViewContainer* parent) -> void {
        for (int32_t i = 0; i < parent->getNbViews(); ++i) {
            CView* v = parent->getView(i);
            if (!v || !v->isVisible()) continue;
            const CRect r = v->getViewSize();
            CPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            parent->localToFrame(centre);
            frame->platformMouseMoved(centre, CButtonState());
            pass();
            if (fixed.count(ed->getHoverName())) met.insert(ed->getHoverName());
            metOn[ed->getHoverName()].insert(v);
            if (auto* inner = dynamic_cast<CViewContainer*>(v)) self(self, inner);
        }
    };
    for (int page = 0; page < 5; ++page) {
        ed->setMultiViewPage(page);
        pass();
        visit(visit, frame);
    }
    ed->setMultiViewPage(1);
    pass();
    click(ed->ui.userWaveRadios[1]);
    pass();
    ASSERT_EQ(ed->getSelectedUserWave(), 1);
    visit(visit, frame);
    ed->showEasyScreen();
    pass();
    visit(visit, frame);
    ed->showBackScreen();
    pass();
    visit(visit, frame);

    std::vector<std::string> missing;
    std::set_difference(fixed.begin(), fixed.end(), met.begin(), met.end(),
                        std::back_inserter(missing));
    EXPECT_EQ(met.size(), fixed.size())
        << "names reached; missing " << ::testing::PrintToString(missing);
    const auto& ui = ed->ui;
    const std::pair<const char*, const CView*> own[] = {
        {"Left Gater Display", ui.gateDisplays[0][0]},
        {"Right Gater Display", ui.gateDisplays[0][1]},
        {"Oscillator Path Display", ui.pathDisplays[0]},
        {"FX Path Display", ui.pathDisplays[1]},
        {"Oscillator 1 XY Screen", ui.xyDisplays[0][0]},
        {"Oscillator 2 XY Screen", ui.xyDisplays[0][1]},
        {"Easy Oscillator 1 XY Screen", ui.xyDisplays[1][0]},
        {"Easy Oscillator 2 XY Screen", ui.xyDisplays[1][1]},
        {"Select Arpeggiator A", ui.arpSeqRadios[0]},
        {"Select Arpeggiator B", ui.arpSeqRadios[1]},
        {"Show User Wave 1", ui.userWaveRadios[0]},
        {"Show User Wave 2", ui.userWaveRadios[1]},
        {"Select Pre-EQ", ui.eqRadios[0][0]},
        {"Select Post-EQ", ui.eqRadios[0][1]}};
    for (const auto& [name, view] : own)
        EXPECT_TRUE(view && metOn[name].count(view)) << name << " is not on its own view";
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
