// The section command menus through the off-screen pop-up: entries and greying, the
// undo-first rule, and the commands' effect on the engine.
#include "controls/TOptionMenu.h"
#include "editor/sections/SectionModel.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include "test_sections_rig.h"

using namespace sectionstest;

TEST_F(MenuRig, OscillatorMenusShareOneStackAndPushBeforeEveryCommand) {
    ed->showOscMenu(1);
    ASSERT_EQ(shown.size(), 28u);
    EXPECT_EQ(shown[0].title, "-GOscillator 2 Command Menu");
    EXPECT_EQ(shown[9].title, "Reset Oscillator ZEK / XY Settings to Original Settings");
    EXPECT_EQ(shown[16].title, "-GPaste Oscillators");
    EXPECT_EQ(shown[27].title, "-GUndo");
    EXPECT_EQ(ed->getSectionUndoLevel(section::AllOscillators), 0); // dismissed, yet pushed

    e().setParameter(34, 0.2f); // oscillator 2 volume onto oscillator 1's
    e().setParameter(12, 0.7f);
    e().setParameter(264, 0.0f); // oscillator 1 output: no counterpart, the filler stands in
    choose({"Copy To Other Oscillator"});
    ed->showOscMenu(1);
    EXPECT_FLOAT_EQ(e().getParameter(12), 0.2f);
    EXPECT_FLOAT_EQ(e().getParameter(264), 0.0f);
    EXPECT_FLOAT_EQ(e().getParameter(1023), e().getDefaultValue(1023));
    choose({"Undo"}); // the other oscillator's menu: one stack for both
    ed->showOscMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(12), 0.7f);
    EXPECT_EQ(ed->getSectionUndoLevel(section::AllOscillators), 0);
    e().setParameter(24, 0.1f);
    e().setParameter(47, 0.8f);
    choose({"Swap Oscillator Envelopes"});
    ed->showOscMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(24), 0.8f);
    EXPECT_FLOAT_EQ(e().getParameter(47), 0.1f);
}

TEST_F(MenuRig, FilterAmpAndEffectMenusRunTheirCommands) {
    choose({"Clear Filter"});
    ed->showFilterMenu();
    EXPECT_EQ(shown.size(), 22u);
    EXPECT_EQ(e().getSteppedValue(294), 0); // "Bypass"
    EXPECT_FLOAT_EQ(e().getParameter(57), e().getDefaultValue(57));
    for (int t = 57; t <= 65; ++t) e().setParameter(t, 0.5f);
    choose({"Randomize Main Filter"});
    ed->showFilterMenu();
    int moved = 0;
    for (int t = 57; t <= 65; ++t) moved += e().getParameter(t) != 0.5f;
    EXPECT_GT(moved, 3);
    choose({"Undo"});
    ed->showFilterMenu();
    for (int t = 57; t <= 65; ++t) EXPECT_FLOAT_EQ(e().getParameter(t), 0.5f) << t;

    // A preset applied with the window open greys "Undo"; the clipboard stays.
    choose({"Copy Filter"});
    ed->showFilterMenu();
    e().setDemoProgram(5);
    ed->clearUndos();
    ed->showFilterMenu();
    EXPECT_EQ(shown[14].title, "Paste Filter");
    EXPECT_EQ(shown.back().title, "-GUndo");

    e().setParameter(6, 0.9f);
    choose({"Reset Amp Envelope"});
    ed->showAmpMenu();
    EXPECT_EQ(shown.size(), 12u);
    EXPECT_FLOAT_EQ(e().getParameter(6), e().getDefaultValue(6));

    ed->showFXMenu(26);
    std::string joined;
    for (const Shown& s : shown) joined += s.title + "|";
    EXPECT_EQ(joined,
              "-GDelay Command Menu|-|Set Delay Off|Set Delay On|Reset Delay|Reset Delay to "
              "Original Settings|Copy Delay|-GPaste Delay|Randomize  Delay|-|-GUndo|");
    for (const char* command : {"Reset Delay", "Randomize  Delay"}) {
        e().setParameter(343, 0.0f);
        choose({command});
        ed->showFXMenu(26);
        EXPECT_TRUE(e().getOnOff(343)) << command; // both end with the delay on
    }
    const int popped = popups;
    ed->showFXMenu(23); // not an effect section
    EXPECT_EQ(popups, popped);
}

TEST_F(MenuRig, ModulatorMenusListTheirSlotsAndRouteToOneDestination) {
    for (int slot = 0; slot < 16; ++slot) {
        e().setSteppedValue(395 + slot, 0);
        e().setSteppedValue(443 + slot, 0);
    }
    e().setSteppedValue(395 + 2, 61); // the main LFO, unipolar
    e().setSteppedValue(443 + 2, 5);
    ed->showMainLFOMenu();
    EXPECT_EQ(shown[2].title, "-GModulates: " + ed->getDestMenuStr(5, false));
    ASSERT_EQ(find(shown, "Set To Destination")->sub.size(), static_cast<size_t>(DEST_SUB_COUNT));
    // A name that two destinations share, if any, still fills one slot with the one chosen.
    int target = 20, group = 0;
    for (int a = 1; a < DEST_COUNT; ++a)
        for (int b = a + 1; b < DEST_COUNT; ++b)
            if (ed->getDestMenuStr(a, false) == ed->getDestMenuStr(b, false)) target = b;
    while (DEST_SUB_START[group + 1] <= target) ++group;
    choose({"Set To Destination", DEST_SUB_STR[group], ed->getDestMenuStr(target, false)});
    ed->showMainLFOMenu();
    EXPECT_EQ(e().getModSrcBySlot(0), 60);
    EXPECT_EQ(e().getModDestBySlot(0), target);
    EXPECT_EQ(e().getModDestBySlot(1), 0);

    ed->showFreeMenu(33, 1);
    EXPECT_EQ(shown[0].title, "-GFree LFO 2 Command Menu");
    EXPECT_EQ(shown[1].title, "-GDoesn't modulate anything");
    EXPECT_EQ(shown[10].title, "-GPaste All Free LFOs");

    // Envelope 1 copies onto envelope 2 slot by slot; the pair's stack serves both menus.
    const float sync2 = e().getParameter(362);
    e().setParameter(359, 1.0f);
    for (int t = 113; t <= 117; ++t) e().setParameter(t, 0.3f);
    choose({"Copy to Other Free Envelope"});
    ed->showFreeMenu(30, 0);
    EXPECT_FLOAT_EQ(e().getParameter(362), 1.0f);
    for (int t = 118; t <= 122; ++t) EXPECT_FLOAT_EQ(e().getParameter(t), 0.3f) << t;
    choose({"Undo"});
    ed->showFreeMenu(30, 1);
    EXPECT_FLOAT_EQ(e().getParameter(362), sync2);
    choose({"Set To Destination", "None"}); // the unit as source of the first free slot
    ed->showFreeMenu(30, 1);
    EXPECT_EQ(e().getModSrcBySlot(1), 54);
    EXPECT_EQ(e().getModDestBySlot(1), 0);
}

// Each menu button opens the menu of the unit it sits on, pressed as the user presses it; the
// easy screen's buttons open the menus of the main-screen buttons with their captions. ENV 1
// routes free envelope 1 (source 52).
TEST_F(MenuRig, EachMenuButtonOpensItsOwnUnitsMenu) {
    const char* titles[24] = {"-GOscillator 1 Command Menu",
                              "-GOscillator 2 Command Menu",
                              "-GFilter Command Menu",
                              "-GAmp Command Menu",
                              "-GPlay Mode Command Menu",
                              "-GMain LFO Command Menu",
                              "-GEQ Command Menu",
                              "-GWaveShaper Command Menu",
                              "-GVoice Distortion Command Menu",
                              "-GLowFi Command Menu",
                              "-GFree Envelope 1 Command Menu",
                              "-GFree Envelope 2 Command Menu",
                              "-GFree LFO 1 Command Menu",
                              "-GFree LFO 2 Command Menu",
                              "-GDelay Command Menu",
                              "-GReverb Command Menu",
                              "-GMod FX Command Menu",
                              "-GDistort FX Command Menu",
                              "-GGater Command Menu",
                              "-GOsc Path Command Menu",
                              "-GFX Path Command Menu",
                              "-GArp Command Menu",
                              "-GUser Wave 1 Command Menu",
                              "-GControl Menu"};
    // OSC1, OSC2, FILTER, AMP, MAIN LFO, PLAY MODE, EQ, WAVESHAPER, LOW-FI, DISTORTION,
    // DISTORT FX, MOD FX, DELAY, REVERB, GATER.
    const int partners[15] = {0, 1, 2, 3, 5, 4, 6, 7, 9, 8, 17, 16, 14, 15, 18};
    auto press = [&](int id) {
        auto* button = new TMenuButton(CRect(0, 0, 20, 10), ed, "", id);
        ed->getFrame()->addView(button);
        CPoint at(5, 5);
        button->onMouseDown(at, CButtonState(kLButton));
        ed->getFrame()->removeView(button);
    };
    for (int id = 0; id < 39; ++id) {
        shown.clear();
        press(id);
        ASSERT_FALSE(shown.empty()) << "button " << id;
        EXPECT_EQ(shown[0].title, titles[id < 24 ? id : partners[id - 24]]) << "button " << id;
    }
    const int before = popups;
    press(39);
    EXPECT_EQ(popups, before);

    for (int slot = 0; slot < 16; ++slot) e().setSteppedValue(tag::ModDestFirst + slot, 0);
    choose({"Set To Destination", "None"});
    press(10);
    EXPECT_EQ(e().getModSrcBySlot(0), 52);
}
