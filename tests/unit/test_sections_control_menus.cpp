// The knob and slider context menu, the settings menu and the preset menu through the
// off-screen pop-up: their trees, and what each command writes to the engine or preferences.
#include "controls/TOptionMenu.h"
#include "engine/params/StringTables.h"

#include "test_sections_rig.h"

using namespace sectionstest;

namespace {
// A stand-in control of a tag: the menu reads only its tag.
struct TagControl {
    explicit TagControl(int tag) : control(new COptionMenu(CRect(0, 0, 10, 10), nullptr, tag)) {}
    ~TagControl() { control->forget(); }
    COptionMenu* control;
};
} // namespace

TEST_F(MenuRig, ContextMenuTreeAndModulationCommands) {
    ed->showMIDIMenu(TagControl(260).control, false); // oscillator type: not modulatable
    EXPECT_EQ(shown[2].title, "-GNot MIDI Latched");
    EXPECT_EQ(shown[3].sub.size(), 10u); // "Dial Control Information"
    EXPECT_EQ(shown[shown.size() - 2].title, "Clear All MIDI");
    EXPECT_EQ(shown.back().title, "-");

    const int dest = e().getTagDest(1); // main volume
    for (int slot = 0; slot < 16; ++slot) e().setSteppedValue(443 + slot, 0);
    TagControl volume(1);
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(shown[3].title, "-GNot Modulated by Anything");
    EXPECT_EQ(shown.back().title, "-GUn-Bypass Modulation");
    for (int slot : {4, 6}) {
        e().setSteppedValue(395 + slot, 81);
        e().setSteppedValue(443 + slot, dest);
    }
    setMIDICC(20, 1);
    setMIDICC(7, 1);
    choose({"Bypass Modulation"});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(shown[2].title, "-GLatched to MIDI CC: 7");
    EXPECT_EQ(shown[3].title, std::string("-GModulated by:") + SRC_STR[81]);
    EXPECT_EQ(shown[4].title, shown[3].title);
    EXPECT_TRUE(e().getOnOff(379 + 4) && e().getOnOff(379 + 6));
    choose({"Clear Modulation"});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(e().getModDestBySlot(4), 0);
    EXPECT_FALSE(e().getOnOff(379 + 6));
    choose({std::string("Modulate by ") + SRC_SUB_STR[0], SRC_STR[5]});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(e().getModSrcBySlot(0), 5);
    EXPECT_EQ(e().getModDestBySlot(0), dest);

    const int popped = popups;
    ed->showMIDIMenu(TagControl(2048).control, false); // outside the parameters: refused
    EXPECT_EQ(popups, popped);
}

TEST_F(MenuRig, ContextMenuValueCommandsQuickSetsAndControllerMap) {
    TagControl pan(4);
    auto run = [&](std::vector<std::string> path, COptionMenu* control) {
        choose(std::move(path));
        ed->showMIDIMenu(control, false);
    };
    run({"Set to Maximum Value"}, pan.control);
    EXPECT_FLOAT_EQ(e().getParameter(4), 1.0f);
    run({"Set to Mid Value"}, pan.control);
    run({"Increase Value"}, pan.control);
    EXPECT_GT(e().getParameter(4), 0.5f);
    run({"Set to Zero Value"}, pan.control);
    EXPECT_FLOAT_EQ(e().getParameter(4), e().getZeroValue(4));
    run({"Latch to MIDI"}, pan.control);
    EXPECT_TRUE(e().midiLearnArmed.load());
    dialogs.answerOk("21");
    run({"Set MIDI CC"}, pan.control);
    EXPECT_EQ(getMIDICC(21), 4);
    run({"Unlatch MIDI"}, pan.control);
    EXPECT_EQ(e().getMIDICCTag(21), 0);

    TagControl semi(14), speed(19), vowel(59), ribbon(127);
    run({"-48 to -25 Semi", "-48 Semi"}, semi.control);
    EXPECT_NEAR(e().getParameter(14), 0.0051f, 1e-4);
    e().setOff(266);
    run({}, speed.control);
    EXPECT_EQ(find(shown, "Set to Speed"), nullptr); // only while the LFO follows the tempo
    e().setOn(266);
    run({"Set to Speed", LFO_PERIOD_STR[3]}, speed.control);
    EXPECT_NEAR(e().getParameter(19), 3.1f / 33.99f, 1e-6);
    e().setSteppedValue(294, 15);
    run({"Set to LP/HP Filter", "HP Filter"}, vowel.control);
    EXPECT_FLOAT_EQ(e().getParameter(59), 1.0f);
    EXPECT_EQ(find(shown, "Set to LP/HP Filter")->sub.size(), 2u);
    for (int slot = 0; slot < 16; ++slot) e().setSteppedValue(443 + slot, 0);
    run({"Set To Destination", DEST_SUB_STR[0], ed->getDestMenuStr(1, false)}, ribbon.control);
    EXPECT_EQ(e().getModSrcBySlot(0), 81);
    EXPECT_EQ(e().getModDestBySlot(0), 1);
}

TEST_F(MenuRig, SettingsMenuShowsAndWritesEachSwitchAlone) {
    ed->showControlMenu();
    ASSERT_EQ(shown.size(), 42u);
    EXPECT_EQ(shown[2].title, "-GScreen Size: 100% Screen");
    for (int i : {9, 12, 15, 18, 21, 24, 27, 36, 39})
        EXPECT_EQ(shown[i].title.substr(shown[i].title.size() - 4), ": On") << i;
    EXPECT_EQ(shown[29].title, "-GMIDI Input Channel: Omni");
    EXPECT_EQ(shown[32].title, "-GMIDI Output Channel: Off");

    saveBoolToPrefs("ToolTip", false); // another instance's change stays
    for (const char* title :
         {"Drag And Drop: On", "MIDI Preset: On", "MIDI Bank: On", "MIDI Spring Back: On",
          "External MIDI Capture Mode: On", "AutoLimit: On"}) {
        choose({title});
        ed->showControlMenu();
    }
    for (const char* key : {"ToolTip", "DragAndDrop", "MIDIPreset", "MIDIBank", "MIDISpring",
                            "MIDICapture", "AutoLimit"})
        EXPECT_FALSE(getRegisterIsOn(key, true)) << key;
    EXPECT_EQ(shown[18].title, "Drag And Drop: Off");

    dialogs.answerOk("16");
    choose({"Set MIDI Input Channel"});
    ed->showControlMenu();
    EXPECT_EQ(loadIntFromPrefs("MIDIChannel"), 16);
    dialogs.answerOk("17");
    choose({"Set MIDI Output Channel"});
    ed->showControlMenu();
    EXPECT_EQ(loadIntFromPrefs("MIDIOutChannel"), 0);
    saveIntToPrefs("MIDIOutChannel", 99); // written by another program: shown clamped
    ed->showControlMenu();
    EXPECT_EQ(shown[29].title, "-GMIDI Input Channel: CH 16");
    EXPECT_EQ(shown[32].title, "-GMIDI Output Channel: CH 16");

    choose({"Set To 150% Screen Size"});
    ed->showControlMenu();
    EXPECT_TRUE(getRegisterIsOn("Big150", false));
    EXPECT_FALSE(getRegisterIsOn("Big100", true));
    EXPECT_EQ(dialogs.questions().back().text,
              "When you next open ZEK2, it'll open in 150% Screen Mode");
}

TEST_F(MenuRig, PresetMenuColumnsSelectAndCommands) {
    TOptionMenu* menu = ed->ui.presetMenu;
    ASSERT_NE(menu, nullptr);
    menu->popup();
    ASSERT_EQ(shown.size(), 14u);
    const size_t sizes[] = {32, 32, 32, 20, 0, 0, 0, 0};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(shown[k].sub.size(), sizes[k]) << PRESET_SUB_HEADER_STR[k];
    char name[64] = "", current[64] = "";
    ASSERT_TRUE(e().getDemoName(36, name));
    choose({"Preset 33-64", name});
    menu->popup();
    e().getProgramName(current);
    EXPECT_STREQ(current, name);
    EXPECT_EQ(menu->getString(), name);
    e().setParameter(1, 0.123f);
    choose({"Clear Preset"});
    menu->popup();
    EXPECT_FLOAT_EQ(e().getParameter(1), e().getDefaultValue(1));
    choose({"Set To 200% Screen Size"});
    menu->popup();
    EXPECT_TRUE(getRegisterIsOn("Big200", false));
    EXPECT_EQ(ed->ui.folderMenu->getString(), "Introduction Folder");
}
