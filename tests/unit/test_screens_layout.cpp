// The screens' layouts in an opened off-screen editor at every size: controls of every panel at
// their places, the grouped menus' entries, the pages, the Easy screen's EQ knobs, the back
// side's typed settings, and pictures of the three screens.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/TSlider.h"
#include "controls/displays/TGatorDisplay.h"
#include "engine/params/ParamTags.h"
#include "platform/dialogs.h"
#include "test_controls_rig.h"

#include <cstdlib>

namespace {

using namespace controlstest;

// A place of the layout sheets at 100 percent, with its per-size corrections.
CPoint centreOf(const CRect& r) {
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

struct At {
    int v, a1 = 0, a2 = 0, a3 = 0;
    int at(int size) const {
        static const double SCALES[4] = {1.0, 1.25, 1.5, 2.0};
        const int extra[4] = {0, a1, a2, a3};
        return static_cast<int>(v * SCALES[size]) + extra[size];
    }
};

class ScreensLayout : public ControlsTest {
protected:
    void click(CView* v) { clickMiddle(v); }
};

// Controls of every panel, relative to the frame or to the container that holds them.
TEST_F(ScreensLayout, EveryPanelPlacesItsControlsAtEverySize) {
    struct Place {
        int tag;
        At x, y;
    };
    const Place PLACES[] = {
        {12, {289}, {118}},                       // OSC 1 volume
        {259, {64, -8, -7, -13}, {89, -1, 0, 0}}, // OSC 1 on
        {36, {442}, {108}},                       // OSC 2 semitones
        {790, {417}, {364}},                      // XY 2 speed, 330 right of XY 1's
        {277, {359}, {115, 4, 3, 4}},             // OSC 2 waveform, 330 right of OSC 1's
        {18, {3}, {13}},                          // OSC 1 LFO page: symmetry
        {783, {135, 1, 1, -2}, {374, 0, 0, -3}},  // XY 1 edit
        {294, {691}, {109, 5, 3, 4}},             // filter type
        {305, {778}, {358}},                      // high-pass Q
        {368, {735}, {484, 3, 3, 4}},             // main LFO speed source
        {249, {759}, {648, -1, 3, 5}},            // bend up
        {1, {1053}, {91}},                        // main volume
        {323, {40}, {40}},                        // post-EQ band 2 frequency (EQ container)
        {69, {970}, {514}},                       // waveshaper top
        {73, {87}, {3}},                          // voice distortion knob 1 (its container)
        {81, {954}, {687}},                       // low-fi bits
        {493, {79}, {12, 3, 3, 4}},               // arpeggiator play mode (page)
        {1005, {249}, {261, 1, 0, 0}},            // user-wave shaper mode (page)
        {124, {181, 3, 0, 0}, {4, 2, 0, 0}},      // free LFO 1 speed (page)
        {92, {605}, {5}},                         // distortion FX knob 7 (page)
        {353, {271, 0, 0, -8}, {223, 4, 3, 4}},   // gater mode (page)
        {377, {963}, {735, 5, 3, 4}},             // ribbon spring time
    };
    // At 100 % the ribbon is 3 px shorter than the sheet's 833: the BIPOLAR caption after it
    // needs the room.
    const int RIBBON[4][4] = {
        {26, 726, 830, 38}, {32, 909, 1041, 47}, {48, 1105, 1215, 30}, {52, 1452, 1666, 76}};
    for (int size = 0; size < 4; ++size) {
        openShown(size);
        for (const Place& p : PLACES) {
            CControl* c = ed->findControl(p.tag, 0);
            ASSERT_NE(c, nullptr) << "tag " << p.tag;
            EXPECT_EQ(c->getViewSize().left, p.x.at(size)) << "tag " << p.tag << " size " << size;
            EXPECT_EQ(c->getViewSize().top, p.y.at(size)) << "tag " << p.tag << " size " << size;
        }
        // Menus take the sheet's size; the ribbon its own table's rectangle (30 high at 150).
        const CRect mod = ed->findControl(364, 0)->getViewSize();
        EXPECT_EQ(mod.getWidth(), (At{58, -1, 2, 2}.at(size)));
        EXPECT_EQ(mod.getHeight(), (At{15}.at(size)));
        const CRect ribbon = ed->ui.ribbon->getViewSize();
        EXPECT_EQ(ribbon, CRect(RIBBON[size][0], RIBBON[size][1], RIBBON[size][0] + RIBBON[size][2],
                                RIBBON[size][1] + RIBBON[size][3]));
        closeShown();
    }
}

// The grouped menus: 43 filter types in one entry and six submenus, 237 wave presets in one
// entry and nine sections, 106 modulation sources for the main LFO's speed.
TEST_F(ScreensLayout, GroupedMenusHoldEveryEntry) {
    openShown(0);
    auto leaves = [](COptionMenu* m, int& top) {
        int n = 0;
        top = m->getNbEntries();
        for (int i = 0; i < top; ++i)
            if (COptionMenu* sub = m->getEntry(i)->getSubmenu())
                n += sub->getNbEntries();
            else
                ++n;
        return n;
    };
    int top = 0;
    for (int screen = 0; screen < 2; ++screen) {
        EXPECT_EQ(leaves(ed->ui.filterGroupMenus[screen][0], top), 43);
        EXPECT_EQ(top, 7);
    }
    for (int wave = 0; wave < 2; ++wave) {
        EXPECT_EQ(leaves(ed->ui.wavePresetMenus[wave][0], top), 237);
        EXPECT_EQ(top, 10);
        EXPECT_EQ(ed->ui.wavePresetMenus[wave][1]->getTag(), uEditor::kNoTag);
    }
    EXPECT_EQ(leaves(ed->ui.sourceGroupMenus[0], top), 106);
    // The sizes of the six filter groups.
    const int GROUPS[6] = {2, 14, 2, 14, 2, 8};
    for (int g = 0; g < 6; ++g)
        EXPECT_EQ(ed->ui.filterGroupMenus[0][g + 1]->getNbEntries(), GROUPS[g]);
}

// Each page shows its own background and controls, and only those.
TEST_F(ScreensLayout, PagesShowTheirBackgroundAndControls) {
    openShown(1);
    const int OWN_TAG[5] = {493, 1005, 124, 339, -1};
    CViewContainer* pages = ed->getMultiViewContainer();
    for (int page = 0; page < 5; ++page) {
        ed->setMultiViewPage(page);
        idle();
        EXPECT_EQ(pages->getBackground(), ed->getPageBackground(page));
        for (int other = 0; other < 4; ++other) {
            CControl* c = ed->findControl(OWN_TAG[other], 0);
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(c->getParentView() == pages, other == page) << page << " " << other;
        }
    }
    EXPECT_EQ(ed->ui.pathDisplays[0] == nullptr || ed->ui.pathDisplays[0]->isAttached(), true);
    // Every list of views had room for all of its screen's views.
    const uEditorControlSet& ui = ed->ui;
    EXPECT_EQ(ui.mainViews[edlayout::kMainViews - 1], nullptr);
    EXPECT_EQ(ui.easyViews[edlayout::kEasyViews - 1], nullptr);
    EXPECT_EQ(ui.backViews[edlayout::kBackViews - 1], nullptr);
    EXPECT_EQ(ui.topViews[edlayout::kTopViews - 1], nullptr);
    for (const auto& views : ui.pageViews) EXPECT_EQ(views[edlayout::kPageViews - 1], nullptr);
}

// The Easy screen's bandwidth knobs move the EQ selected, and follow the engine.
TEST_F(ScreensLayout, EasyBandwidthKnobsFollowTheSelectedEQ) {
    openShown(0);
    ed->showEasyScreen();
    idle();
    click(ed->ui.eqRadios[1][1]); // the post-EQ's "EDIT"
    idle();
    EXPECT_EQ(ed->getSelectedEQ(), 1);
    EXPECT_EQ(ed->easyBandwidth[0]->getTag(), 321);
    EXPECT_EQ(ed->easyBandwidth[2]->getTag(), 327);
    engine->setParameter(tag::PostEqOn, 0.0f);
    engine->setParameter(324, 0.3f);
    ed->updateEasyEQ();
    EXPECT_FLOAT_EQ(ed->easyBandwidth[1]->getValue(), 0.3f);
    // A turn of the knob writes the post-EQ's band, not the pre-EQ's.
    const float pre = engine->getParameter(311);
    ed->easyBandwidth[1]->setValue(0.7f);
    ed->valueChanged(ed->easyBandwidth[1]);
    EXPECT_FLOAT_EQ(engine->getParameter(324), 0.7f);
    EXPECT_FLOAT_EQ(engine->getParameter(311), pre);
}

// The back side's typed settings: taken, read back after a refresh, and refused when no number.
TEST_F(ScreensLayout, BackSideTypedSettingsReadBackAsTyped) {
    ScriptedDialogs dialogs;
    ScopedDialogBackend scope(dialogs);
    openShown(0);
    ed->showBackScreen();
    TReadout* a4 = ed->ui.a4Readout;
    TReadout* brick = ed->ui.brickReadout;
    EXPECT_EQ(a4->getString(), "440 Hz");
    dialogs.answerOk("432");
    click(a4);
    dialogs.answerOk("12abc"); // not a number: nothing changes
    click(a4);
    dialogs.answerOk("99999999999999999999"); // beyond int: nothing changes
    click(a4);
    dialogs.answerOk("40");
    click(brick);
    dialogs.answerOk("forty");
    click(brick);
    EXPECT_EQ(dialogs.unusedAnswers(), 0u);
    EXPECT_EQ(loadIntFromPrefs("A4"), 432);
    ed->resume();
    idle();
    EXPECT_EQ(a4->getString(), "432 Hz");
    EXPECT_EQ(brick->getString(), "40 KHz");
    // A parameter 255 the host moves does not change what A4 the page shows.
    engine->setParameter(tag::GlobalTuning, 1.0f);
    ed->resume();
    idle();
    EXPECT_EQ(a4->getString(), "432 Hz");
    // Out of range takes the defaults.
    dialogs.answerOk("5");
    click(a4);
    dialogs.answerOk("9");
    click(brick);
    EXPECT_EQ(a4->getString(), "440 Hz");
    EXPECT_EQ(brick->getString(), "15 KHz");
}

// Pictures of the three screens at every size: the frame's size, a panel's face, a control on
// it. With ZEK2_SCREENSHOTS set to a folder, those at 100 percent are written there (the
// README's pictures).
TEST_F(ScreensLayout, ScreensDrawAtEverySize) {
    const char* dir = std::getenv("ZEK2_SCREENSHOTS");
    for (int size = 0; size < 4; ++size) {
        openShown(size);
        const CRect r = frame->getViewSize();
        EXPECT_EQ(r.getWidth(), ed->getScaled(uEditor::kMainWidth));
        EXPECT_EQ(r.getHeight(), ed->getScaled(uEditor::kMainHeight));
        const bool write = dir && size == 0;
        const CPoint panel(ed->getScaled(25), ed->getScaled(170));
        const CColor face = pixel(panel);
        EXPECT_TRUE(face.red > 150 && near(face, CColor{face.red, face.red, face.red, 255}, 12));
        CPoint knob = centreOf(ed->findControl(12, 0)->getViewSize());
        EXPECT_FALSE(near(pixel(knob), face, 30));
        if (write) frame->writePNG(std::string(dir) + "/main-screen.png");
        ed->showEasyScreen();
        idle();
        knob = centreOf(ed->findControl(12, 1)->getViewSize());
        EXPECT_FALSE(near(pixel(knob), face, 30));
        if (write) frame->writePNG(std::string(dir) + "/easy-screen.png");
        ed->showBackScreen();
        idle();
        EXPECT_TRUE(ed->ui.a4Readout->isAttached());
        EXPECT_FALSE(ed->findControl(12, 0)->isAttached());
        EXPECT_TRUE(near(pixel(panel), face, 12));
        if (write) frame->writePNG(std::string(dir) + "/back-side.png");
        closeShown();
    }
}

} // namespace

TEST_F(ScreensLayout, GateRowsFollowTheEngine) {
    openShown(0);
    ed->setMultiViewPage(3);
    idle();
    auto* row = dynamic_cast<TGatorDisplay*>(ed->ui.gateDisplays[0][1]);
    ASSERT_NE(row, nullptr);
    // A host write of the mask and the step count reaches the row at the next idle pass.
    engine->setParameter(tag::GaterRight, TGatorDisplay::valueOf(0x0f0f));
    engine->setParameter(tag::GaterSteps, 0.0f);
    engine->setParameter(tag::GaterOn, 0.0f);
    idle();
    EXPECT_EQ(TGatorDisplay::maskOf(row->getValue()), 0x0f0f);
    EXPECT_EQ(row->getSteps(), 1);
    EXPECT_FALSE(row->isOn());
    engine->setParameter(tag::GaterOn, 1.0f);
    idle();
    EXPECT_TRUE(row->isOn());
    closeShown();
}
