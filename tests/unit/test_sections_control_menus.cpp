// The context menu of knobs and sliders, the settings menu and the preset menu through the
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

TEST_F(MenuRig, ContextMenuTreeFollowsTheParameter) {
    // Tag 260 (oscillator 1 type) cannot be modulated: no status lines, no modulation entries.
    TagControl type(260);
    ed->showMIDIMenu(type.control, false);
    ASSERT_GE(shown.size(), 20u);
    EXPECT_EQ(shown[2].title, "-GNot MIDI Latched");
    EXPECT_EQ(shown[3].title, "Dial Control Information");
    EXPECT_EQ(shown[3].sub.size(), 10u);
    EXPECT_EQ(shown.back().title, "-");
    EXPECT_EQ(shown[shown.size() - 2].title, "Clear All MIDI");

    // Volume (tag 1) targeted by two slots: two status lines, the commands enabled.
    const int dest = e().getTagDest(1);
    ASSERT_GT(dest, 0);
    for (int slot = 0; slot < 16; ++slot) e().setSteppedValue(443 + slot, 0);
    ed->showMIDIMenu(TagControl(1).control, true);
    EXPECT_EQ(shown[3].title, "-GNot Modulated by Anything");
    EXPECT_EQ(shown.back().title, "-GUn-Bypass Modulation");
    for (int slot : {4, 6}) {
        e().setSteppedValue(395 + slot, 81);
        e().setSteppedValue(443 + slot, dest);
    }
    setMIDICC(20, 1);
    setMIDICC(7, 1);
    TagControl volume(1);
    choose({"Bypass Modulation"});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(shown[2].title, "-GLatched to MIDI CC: 7");
    EXPECT_EQ(shown[3].title, std::string("-GModulated by:") + SRC_STR[81]);
    EXPECT_EQ(shown[4].title, shown[3].title);
    EXPECT_EQ(shown[6].title, "Slider Control Information");
    EXPECT_TRUE(e().getOnOff(379 + 4) && e().getOnOff(379 + 6));
    choose({"Clear Modulation"});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(e().getModDestBySlot(4), 0);
    EXPECT_FALSE(e().getOnOff(379 + 6));
    choose({std::string("Modulate by ") + SRC_SUB_STR[0], SRC_STR[5]});
    ed->showMIDIMenu(volume.control, true);
    EXPECT_EQ(e().getModSrcBySlot(0), 5);
    EXPECT_EQ(e().getModDestBySlot(0), dest);

    // A tag outside the parameters opens nothing.
    const int popped = popups;
    ed->showMIDIMenu(TagControl(2048).control, false);
    EXPECT_EQ(popups, popped);
}

TEST_F(MenuRig, ContextMenuValueCommandsAndQuickSets) {
    TagControl semi(14);
    const std::vector<std::pair<const char*, float>> values = {
        {"Set to Maximum Value", 1.0f}, {"Set to Minimum Value", 0.0f}, {"Set to Mid Value", 0.5f}};
    for (const auto& [title, v] : values) {
        choose({title});
        ed->showMIDIMenu(semi.control, false);
        EXPECT_FLOAT_EQ(e().getParameter(14), v) << title;
    }
    choose({"Set to Default Value"});
    ed->showMIDIMenu(semi.control, false);
    EXPECT_FLOAT_EQ(e().getParameter(14), e().getDefaultValue(14));
    choose({"-48 to -25 Semi", "-48 Semi"});
    ed->showMIDIMenu(semi.control, false);
    EXPECT_NEAR(e().getParameter(14), 0.0051f, 1e-4);
    EXPECT_EQ(find(shown, "0 Semi") - &shown[0], find(shown, "-24 to -1 Semi") - &shown[0] + 1);

    // Speeds follow their sync switch; the filter knob follows the filter type.
    TagControl speed(19);
    e().setOff(266);
    ed->showMIDIMenu(speed.control, false);
    EXPECT_EQ(find(shown, "Set to Speed"), nullptr);
    e().setOn(266);
    choose({"Set to Speed", LFO_PERIOD_STR[3]});
    ed->showMIDIMenu(speed.control, false);
    EXPECT_NEAR(e().getParameter(19), 3.1f / 33.99f, 1e-6);
    TagControl vowel(59);
    e().setSteppedValue(294, 15);
    choose({"Set to LP/HP Filter", "HP Filter"});
    ed->showMIDIMenu(vowel.control, false);
    EXPECT_FLOAT_EQ(e().getParameter(59), 1.0f);
    EXPECT_EQ(find(shown, "Set to LP/HP Filter")->sub.size(), 2u);

    // The ribbon routes itself to a destination.
    for (int slot = 0; slot < 16; ++slot) e().setSteppedValue(443 + slot, 0);
    TagControl ribbon(127);
    choose({"Set To Destination", DEST_SUB_STR[0], ed->getDestMenuStr(1, false)});
    ed->showMIDIMenu(ribbon.control, false);
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

    // Another instance turned tool-tips off; choosing drag and drop writes only its own key.
    saveBoolToPrefs("ToolTip", false);
    choose({"Drag And Drop: On"});
    ed->showControlMenu();
    EXPECT_FALSE(getRegisterIsOn("DragAndDrop", true));
    EXPECT_FALSE(getRegisterIsOn("ToolTip", true));
    for (const char* title : {"MIDI Preset: On", "MIDI Bank: On", "MIDI Spring Back: On",
                              "External MIDI Capture Mode: On", "AutoLimit: On"}) {
        choose({title});
        ed->showControlMenu();
    }
    for (const char* key : {"MIDIPreset", "MIDIBank", "MIDISpring", "MIDICapture", "AutoLimit"})
        EXPECT_FALSE(getRegisterIsOn(key, true)) << key;

    // Channels: 16 is stored, 17 is refused; a stored value out of range shows clamped.
    dialogs.answerOk("16");
    choose({"Set MIDI Input Channel"});
    ed->showControlMenu();
    EXPECT_EQ(loadIntFromPrefs("MIDIChannel"), 16);
    EXPECT_EQ(dialogs.questions().back().text, "Set MIDI Input Channel (0 for Omni)");
    dialogs.answerOk("17");
    choose({"Set MIDI Output Channel"});
    ed->showControlMenu();
    EXPECT_EQ(loadIntFromPrefs("MIDIOutChannel"), 0);
    saveIntToPrefs("MIDIOutChannel", 99);
    ed->showControlMenu();
    EXPECT_EQ(shown[29].title, "-GMIDI Input Channel: CH 16");
    EXPECT_EQ(shown[32].title, "-GMIDI Output Channel: CH 16");

    // The screen size is stored for the next editor; this one keeps its own.
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
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(shown[k].title, PRESET_SUB_HEADER_STR[k]);
        EXPECT_EQ(shown[k].sub.size(), sizes[k]) << k;
    }
    EXPECT_EQ(shown[9].title, "Clear Preset");

    char name[64] = "";
    ASSERT_TRUE(e().getDemoName(36, name));
    choose({"Preset 33-64", name});
    menu->popup();
    char current[64] = "";
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

TEST_F(MenuRig, ContextMenuCommandsReachTheEngineAndTheControllerMap) {
    TagControl pan(4);
    auto run = [&](const char* title) {
        choose({title});
        ed->showMIDIMenu(pan.control, false);
    };
    e().setParameter(4, 0.3f);
    run("Increase Value");
    EXPECT_GT(e().getParameter(4), 0.3f);
    run("Decrease Value");
    EXPECT_NEAR(e().getParameter(4), 0.3f, 1e-6);
    run("Set to Zero Value");
    EXPECT_FLOAT_EQ(e().getParameter(4), e().getZeroValue(4));
    run("Set to Original Value");
    EXPECT_FLOAT_EQ(e().getParameter(4), e().getOrigValue(4));
    run("Latch to MIDI");
    EXPECT_TRUE(e().midiLearnArmed.load());
    dialogs.answerOk("21");
    run("Set MIDI CC");
    EXPECT_EQ(e().getMIDICCTag(21), 4);
    EXPECT_EQ(getMIDICC(21), 4);
    run("Unlatch MIDI");
    EXPECT_EQ(e().getMIDICCTag(21), 0);
    setMIDICC(30, 9);
    run("Clear All MIDI");
    EXPECT_EQ(getMIDICC(30), 0);
}
