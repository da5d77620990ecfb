// The section command menus through the off-screen pop-up: their entries and greying, the
// undo-first rule, and each command's effect on the engine.
#include "editor/sections/SectionModel.h"
#include "engine/params/StringTables.h"

#include "test_sections_rig.h"

using namespace sectionstest;

namespace {
// Modulation slot n's source and destination tags.
int srcTag(int slot) {
    return 395 + slot;
}
int destTag(int slot) {
    return 443 + slot;
}
} // namespace

TEST_F(MenuRig, OscillatorMenusShareOneStackAndPushBeforeEveryCommand) {
    ed->showOscMenu(1);
    ASSERT_EQ(shown.size(), 28u);
    EXPECT_EQ(shown[0].title, "-GOscillator 2 Command Menu");
    EXPECT_EQ(shown[9].title, "Reset Oscillator ZEK / XY Settings to Original Settings");
    EXPECT_EQ(shown[16].title, "-GPaste Oscillators");
    EXPECT_EQ(shown[27].title, "-GUndo");
    // Dismissed: a snapshot was pushed all the same.
    EXPECT_EQ(ed->getSectionUndoLevel(section::AllOscillators), 0);

    e().setParameter(34, 0.2f);  // oscillator 2 volume
    e().setParameter(12, 0.7f);  // oscillator 1 volume
    e().setParameter(281, 1.0f); // oscillator 2 sync, no counterpart
    choose({"Copy To Other Oscillator"});
    ed->showOscMenu(1);
    EXPECT_FLOAT_EQ(e().getParameter(12), 0.2f);
    // "Undo" in the other oscillator's menu reverts it: one stack for both.
    choose({"Undo"});
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
    EXPECT_EQ(titles(shown).size(), 22u);
    EXPECT_EQ(e().getSteppedValue(294), 0); // "Bypass"
    EXPECT_FLOAT_EQ(e().getParameter(57), e().getDefaultValue(57));
    choose({"Copy Filter"});
    ed->showFilterMenu();
    e().setDemoProgram(5);
    ed->clearUndos();
    ed->showFilterMenu();
    EXPECT_EQ(shown[14].title, "Paste Filter"); // the clipboard outlives the preset
    EXPECT_EQ(shown.back().title, "-GUndo");    // the stacks do not

    for (int t = 57; t <= 65; ++t) e().setParameter(t, 0.5f);
    choose({"Randomize Main Filter"});
    ed->showFilterMenu();
    int moved = 0;
    for (int t = 57; t <= 65; ++t) moved += e().getParameter(t) != 0.5f;
    EXPECT_GT(moved, 3);
    choose({"Undo"});
    ed->showFilterMenu();
    for (int t = 57; t <= 65; ++t) EXPECT_FLOAT_EQ(e().getParameter(t), 0.5f) << t;

    ed->showAmpMenu();
    EXPECT_EQ(shown.size(), 12u);
    e().setParameter(6, 0.9f);
    choose({"Reset Amp Envelope"});
    ed->showAmpMenu();
    EXPECT_FLOAT_EQ(e().getParameter(6), e().getDefaultValue(6));

    ed->showFXMenu(26);
    std::string joined;
    for (const std::string& t : titles(shown)) joined += t + "|";
    EXPECT_EQ(joined,
              "-GDelay Command Menu|-|Set Delay Off|Set Delay On|Reset Delay|Reset Delay to "
              "Original Settings|Copy Delay|-GPaste Delay|Randomize  Delay|-|-GUndo|");
    for (const char* command : {"Reset Delay", "Randomize  Delay"}) {
        e().setParameter(343, 0.0f);
        choose({command});
        ed->showFXMenu(26);
        EXPECT_TRUE(e().getOnOff(343)) << command;
    }
    choose({"Set Delay Off"});
    ed->showFXMenu(26);
    EXPECT_FALSE(e().getOnOff(343));
    const int popped = popups;
    ed->showFXMenu(23); // not an effect section: nothing shown
    EXPECT_EQ(popups, popped);
}

TEST_F(MenuRig, ModulatorMenusListTheirSlotsAndRouteToOneDestination) {
    for (int slot = 0; slot < 16; ++slot) {
        e().setSteppedValue(srcTag(slot), 0);
        e().setSteppedValue(destTag(slot), 0);
    }
    e().setSteppedValue(srcTag(2), 61);
    e().setSteppedValue(destTag(2), 5);
    ed->showMainLFOMenu();
    EXPECT_EQ(shown[2].title, "-GModulates: " + ed->getDestMenuStr(5, false));
    EXPECT_EQ(shown[3].title, "-");
    const Shown* routes = find(shown, "Set To Destination");
    ASSERT_NE(routes, nullptr);
    ASSERT_EQ(routes->sub.size(), static_cast<size_t>(DEST_SUB_COUNT));

    // A destination name that two groups share fills one slot, with the entry pointed at.
    int target = 20;
    for (int a = 1; a < DEST_COUNT; ++a)
        for (int b = a + 1; b < DEST_COUNT; ++b)
            if (ed->getDestMenuStr(a, false) == ed->getDestMenuStr(b, false)) target = b;
    int group = 0;
    while (DEST_SUB_START[group + 1] <= target) ++group;
    choose({"Set To Destination", DEST_SUB_STR[group], ed->getDestMenuStr(target, false)});
    ed->showMainLFOMenu();
    EXPECT_EQ(e().getModSrcBySlot(0), 60);
    EXPECT_EQ(e().getModDestBySlot(0), target);
    EXPECT_EQ(e().getModDestBySlot(1), 0);
    EXPECT_FLOAT_EQ(e().getParameter(475), 1.0f);

    // Free LFO 2 with no slot, then with slots 3 and 9 on its unipolar source.
    ed->showFreeMenu(33, 1);
    EXPECT_EQ(shown[0].title, "-GFree LFO 2 Command Menu");
    EXPECT_EQ(shown[1].title, "-GDoesn't modulate anything");
    for (int slot : {3, 9}) {
        e().setSteppedValue(srcTag(slot), 65);
        e().setSteppedValue(destTag(slot), 7);
    }
    ed->showFreeMenu(33, 1);
    EXPECT_EQ(shown[1].title, shown[2].title);
    EXPECT_EQ(shown[1].title.rfind("-GModulates: ", 0), 0u);
    EXPECT_EQ(shown[11].title, "-GPaste All Free LFOs");

    // Envelope 1 copies onto envelope 2 slot by slot; undo is the pair's, from either menu.
    const float envelope2Sync = e().getParameter(362);
    e().setParameter(359, 1.0f);
    for (int t = 113; t <= 117; ++t) e().setParameter(t, 0.3f);
    choose({"Copy to Other Free Envelope"});
    ed->showFreeMenu(30, 0);
    EXPECT_FLOAT_EQ(e().getParameter(362), 1.0f);
    for (int t = 118; t <= 122; ++t) EXPECT_FLOAT_EQ(e().getParameter(t), 0.3f) << t;
    choose({"Undo"});
    ed->showFreeMenu(30, 1);
    EXPECT_FLOAT_EQ(e().getParameter(362), envelope2Sync);
    choose({"Copy All Free Envelopes"});
    ed->showFreeMenu(30, 1);
    ed->showFreeMenu(30, 0);
    EXPECT_NE(find(shown, "Paste All Free Envelopes"), nullptr);
    ed->showFreeMenu(33, 0);
    EXPECT_NE(find(shown, "-GPaste All Free LFOs"), nullptr);

    // "None" gives the first free slot the unit as its source only.
    choose({"Set To Destination", "None"});
    ed->showFreeMenu(30, 1);
    EXPECT_EQ(e().getModSrcBySlot(1), 54);
    EXPECT_EQ(e().getModDestBySlot(1), 0);
}
