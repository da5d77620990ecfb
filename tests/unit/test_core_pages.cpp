// The view containers of the main screen: radio buttons switch pages, the idle pass refills
// them with the page's controls, and the FX page and the voice distortion follow their modes
// with captions, left-out controls and knob defaults.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TReadouts.h"
#include "editor/EditorModeTables.h"
#include "engine/params/StringTables.h"
#include "test_core_rig.h"

namespace {

using namespace coretest;

class CorePages : public CoreEditor {
protected:
    void makeFXPage() {
        auto& ui = ed->ui;
        int n = 0;
        for (int k = 0; k < 5; ++k) {
            ed->createKnobLabel(ui.modFxKnobs[k], tag::ModFxMix + k, 10 + 40 * k, 10, 1,
                                ui.modFxLabels[k], "", 4);
            ui.pageViews[3][n++] = ui.modFxKnobs[k];
            ui.pageViews[3][n++] = ui.modFxLabels[k];
        }
        TOnOff* sync = nullptr;
        ed->createOnOff(sync, tag::ModFxTempoSyncOn, 220, 10, ui.modFxLabels[5], "", 0, 10, 0);
        ui.modFxSync = sync;
        ui.pageViews[3][n++] = sync;
        for (int k = 0; k < 8; ++k) {
            TKnob* knob = nullptr;
            ed->createKnobLabel(knob, tag::DistortionFxMix + k, 10 + 40 * k, 80, 3,
                                ui.distortFxLabels[k], "", 4);
            ui.distortFxControls[k] = knob;
            ui.pageViews[3][n++] = knob;
        }
        for (int page = 0; page < 5; ++page) ed->createRadio(ui.pageRadios[page], 10 * page, 0, 3);
    }
    bool onPage(CView* v) { return ed->getMultiViewContainer()->isChild(v); }
};

TEST_F(CorePages, TheFXPageFollowsTheModulationAndDistortionModes) {
    makeFXPage();
    auto& ui = ed->ui;
    engine->setSteppedValue(tag::ModFxMode, 7);
    engine->setSteppedValue(tag::DistortFxMode, 0);
    ed->changeRadioDelta(3, 3); // page 0 to the FX page
    pass();
    ASSERT_EQ(ed->getMultiViewPage(), 3);
    EXPECT_TRUE(ui.pageRadios[3]->getValue() > 0.5f && ui.pageRadios[0]->getValue() < 0.5f);
    EXPECT_TRUE(onPage(ui.modFxKnobs[3]));
    EXPECT_FALSE(onPage(ui.modFxKnobs[4]));
    EXPECT_TRUE(onPage(ui.modFxSync));
    EXPECT_FALSE(onPage(ui.distortFxControls[7]));
    const char* const captions[6] = {"MIX", "WAVE", "AMOUNT", "SPEED", "", "SYNC"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ui.modFxLabels[i]->getString(), captions[i]) << i;
    EXPECT_FLOAT_EQ(ui.modFxKnobs[0]->getDefaultValue(), edtables::MODFX_DEFAULTS[7][0]);
    EXPECT_EQ(ui.distortFxLabels[1]->getString(), DISTORT_MODE_LABEL_STR[0][1]);

    engine->setSteppedValue(tag::ModFxMode, 9);
    engine->setSteppedValue(tag::DistortFxMode, 24);
    ed->changeRadioDelta(3, 0);
    pass();
    EXPECT_TRUE(onPage(ui.modFxKnobs[4]));
    EXPECT_FALSE(onPage(ui.modFxSync));
    EXPECT_TRUE(onPage(ui.distortFxControls[7]));
    EXPECT_FLOAT_EQ(ui.distortFxControls[1]->getDefaultValue(), 0.88f);
    EXPECT_EQ(ui.modFxLabels[3]->getString(), "FREQ");

    // The wheel over the page radios steps 0..4 round in both directions.
    for (int step = 0; step < 2; ++step) ed->changeRadioDelta(3, +1);
    EXPECT_EQ(ed->getMultiViewPage(), 0);
    ed->changeRadioDelta(3, -1);
    EXPECT_EQ(ed->getMultiViewPage(), 4);
}

TEST_F(CorePages, OscillatorPagesSwapTheirKnobsAndTheVoiceDistortionItsCaptions) {
    auto& ui = ed->ui;
    for (int i = 0; i < edlayout::kOscKnobs; ++i)
        ed->createKnob(ui.oscModKnobs[0][i], 19 + i % 14, 5, 5 + i, 1);
    for (int k = 0; k < 3; ++k) {
        ed->createRadio(ui.oscPageRadios[0][k], 10 * k, 0, 0);
        show(ui.oscPageRadios[0][k]);
    }
    for (int k = 0; k < 7; ++k) {
        ed->createKnob(ui.distortVoiceKnobs[k], tag::Distortion1 + k, 10 * k, 0, 3);
        ed->createLabel(ui.distortVoiceLabels[k + 1], 10 * k, 20, 10, 8, "", nullptr, LABEL_COLOR,
                        1);
    }
    pass();
    click(ui.oscPageRadios[0][1]);
    pass();
    CViewContainer* osc = ed->getOscModContainer(0);
    EXPECT_EQ(ed->getOscPage(0), 1);
    EXPECT_TRUE(osc->isChild(ui.oscModKnobs[0][6]) && osc->isChild(ui.oscModKnobs[0][11]));
    EXPECT_FALSE(osc->isChild(ui.oscModKnobs[0][0]) || osc->isChild(ui.oscModKnobs[0][12]));

    // The voice distortion's menu index picks its mode through the real-mode table.
    engine->setOnOff(tag::VoiceDistortionOn, false);
    engine->setSteppedValue(tag::VoiceDistortionMode, 3);
    engine->setParameter(tag::VoiceDistortionOn, 0.0f); // pushes the redraw request
    pass();
    const int row = REAL_DISTORT_MODES[0][3];
    EXPECT_EQ(ui.distortVoiceLabels[2]->getString(), DISTORT_MODE_LABEL_STR[row][2]);
    EXPECT_FLOAT_EQ(ui.distortVoiceKnobs[1]->getDefaultValue(), edtables::DISTORT_DEFAULTS[row][2]);
    EXPECT_TRUE(ed->getDistortVoiceContainer()->isChild(ui.distortVoiceKnobs[6]));
}

} // namespace
