// The settings menu of the top bar: screen size, the editor switches, MIDI program and bank
// change, the MIDI channels, capture and spring back, and the engine-wide reset. It changes
// preferences and the editor's switches, never a parameter. Host user-interface thread.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"

#include <algorithm>
#include <string>

namespace {

std::string onOff(const std::string& title, bool on) {
    return title + (on ? ": On" : ": Off");
}

// A channel stored by another program may lie outside 0..16; it is shown at the nearest end.
int storedChannel(const char* key) {
    return std::clamp(loadIntFromPrefs(key), 0, MIDI_IN_CHANNEL_COUNT - 1);
}

} // namespace

// The question runs beside the idle calls; the channel is stored when the answer comes.
void uEditor::askMIDIChannel(const char* key, const char* informative) {
    auto ask = [this, key, informative] {
        std::string text = std::to_string(loadIntFromPrefs(key));
        int channel = -1;
        if (!inputBoxNumStr(informative, "MIDI Channel", text, 0, MIDI_IN_CHANNEL_COUNT - 1,
                            channel))
            return;
        saveIntToPrefs(key, channel);
        if (APlugin* engine = getEngine()) engine->updateMIDIChannel(false);
    };
    askBesideIdle(ask, [this, ask](const DialogAnswer& answer) {
        if (answer.ok) withAnswer(answer, ask);
    });
}

void uEditor::showControlMenu() {
    if (!canShowCommandMenu()) return;
    APlugin* engine = getEngine();
    CommandMenu m;
    // A switch entry flips the editor's switch and writes that one key alone, so a change that
    // another instance made to the other keys stays.
    auto editorSwitch = [&](const char* heading, const char* title, bool shownOn, bool& member,
                            const char* key) {
        m.add("-");
        m.add(std::string("-G") + heading);
        m.add(onOff(title, shownOn), [&member, key, shownOn] {
            member = !shownOn;
            saveBoolToPrefs(key, member);
        });
    };
    auto prefSwitch = [&](const char* heading, const char* title, const char* key,
                          bool resetCapture) {
        const bool on = getRegisterIsOn(key, true);
        m.add("-");
        m.add(std::string("-G") + heading);
        m.add(onOff(title, on), [engine, key, on, resetCapture] {
            saveBoolToPrefs(key, !on);
            if (resetCapture) engine->resetMIDICapture();
        });
    };

    m.add("-GControl Menu");
    m.add("-");
    m.add(std::string("-GScreen Size: ") + SCREEN_SIZE_STR[getBig()]);
    for (int i = 0; i < SET_SCREEN_SIZE_COUNT; ++i)
        m.add(SET_SCREEN_SIZE_STR[i], [this, i] { setScreenSize(i); });
    editorSwitch("Dial Animation", "Dial Animation", getRegValue(REG_DIAL_ANIMATION_STR, true),
                 animationOn, REG_DIAL_ANIMATION_STR);
    editorSwitch("Tool-Tips", "Tool-Tips", getRegValue(REG_TOOL_TIP_STR, true), toolTipOn,
                 REG_TOOL_TIP_STR);
    editorSwitch("Computer Keyboard", "Computer Keyboard", keyboardOn, keyboardOn,
                 REG_KEYBOARD_STR);
    editorSwitch("Drag And Drop", "Drag And Drop", dragAndDropOn, dragAndDropOn,
                 REG_DRAG_AND_DROP_STR);
    editorSwitch("AutoLimit", "AutoLimit", getRegisterIsOn(REG_AUTO_LIMIT_STR, true), autoLimitOn,
                 REG_AUTO_LIMIT_STR);
    prefSwitch("MIDI Preset Change", "MIDI Preset", REG_MIDI_PRESET_STR, false);
    prefSwitch("MIDI Bank Change", "MIDI Bank", REG_MIDI_BANK_STR, false);
    m.add("-");
    m.add(std::string("-GMIDI Input Channel: ") +
          MIDI_IN_CHANNEL_STR[storedChannel(REG_MIDI_IN_CHANNEL_STR)]);
    m.add("Set MIDI Input Channel", [this] {
        askMIDIChannel(REG_MIDI_IN_CHANNEL_STR, "Set MIDI Input Channel (0 for Omni)");
    });
    m.add("-");
    m.add(std::string("-GMIDI Output Channel: ") +
          MIDI_OUT_CHANNEL_STR[storedChannel(REG_MIDI_OUT_CHANNEL_STR)]);
    m.add("Set MIDI Output Channel", [this] {
        askMIDIChannel(REG_MIDI_OUT_CHANNEL_STR, "Set MIDI Output Channel (0 for OFF)");
    });
    prefSwitch("External MIDI Capture Mode", "External MIDI Capture Mode", REG_MIDI_CAPTURE_STR,
               true);
    prefSwitch("MIDI Spring Back", "MIDI Spring Back", REG_MIDI_SPRING_CHANNEL_STR, false);
    m.add("-");
    m.add("Reset Everything", [engine] { engine->reset(); });

    m.popup(frame, [this](const CommandMenu::Choice& c) {
        runAsking([this, action = c.action, picked = c.picked()] {
            if (action) action();
            finishCommandMenu(picked);
        });
    });
}
