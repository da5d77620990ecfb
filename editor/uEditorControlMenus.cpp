// What the own controls ask of the editor: the drag source for the modulation matrix and the
// command menu of every knob and slider (value commands, quick sets, MIDI learn, modulation).
// Host user-interface thread; the menu stays open across idle calls and acts when it closes.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/prefs.h"

#include <cstdlib>
#include <string>

using namespace VSTGUI;

namespace {

// The seven tags of modulation slot n are first + n.
constexpr int kModBypassTag = 379, kModSrcTag = 395, kModLowerTag = 411, kModUpperTag = 427,
              kModDestTag = 443, kModOffsetTag = 459, kModAmountTag = 475;

const char* const GESTURE_HELP[] = {"-GLeft Click: Change Value",
                                    "-GLeft Click + Shift: Fine Change Value",
                                    "-GLeft Click + Control: Show this Menu",
                                    "-GLeft Click + Command: Set to Default Value",
                                    "-GLeft Click + Command + Shift: Set to Original Value",
                                    "-GLeft Click + Opt: Set to Value",
                                    "-GDouble Click: Set to Default Value",
                                    "-GRight Click: Show this Menu",
                                    "-GScroll Wheel: Change Value",
                                    "-GScroll Wheel + Shift: Fine Change Value"};

} // namespace

void uEditor::showMIDIMenu(CControl* control, bool slider) {
    APlugin* engine = getEngine();
    // A control without a parameter of the sound has no command menu.
    if (!canShowCommandMenu() || !control || !isValidTag(control->getTag())) return;
    const int tag = control->getTag();
    const int dest = engine->getTagDest(tag);
    bool slots[tag::ModSlotCount] = {};
    bool modulated = false;
    for (int slot = 0; slot < tag::ModSlotCount && dest > 0; ++slot)
        modulated |= slots[slot] = engine->getModDestBySlot(slot) == dest;

    CommandMenu m;
    m.add("-GControl and MIDI Command Menu");
    m.add("-G" + engine->getParameterNameStr(tag) + ": " + engine->getParameterDisplayStr(tag));
    int cc = -1;
    for (int i = 0; i < kMIDIControllerCount && cc < 0; ++i)
        if (getMIDICC(i) == tag) cc = i;
    m.add(cc < 0 ? std::string("-GNot MIDI Latched")
                 : "-GLatched to MIDI CC: " + std::to_string(cc));
    if (dest > 0) {
        for (int slot = 0; slot < tag::ModSlotCount; ++slot)
            if (slots[slot])
                m.add(std::string("-GModulated by:") + SRC_STR[engine->getModSrcBySlot(slot)]);
        if (!modulated) m.add("-GNot Modulated by Anything");
        m.add("-");
    }
    COptionMenu* help =
        m.addSubmenu(slider ? "Slider Control Information" : "Dial Control Information");
    for (const char* line : GESTURE_HELP) m.add(line, {}, help);
    m.add("-");

    auto automate = [engine, tag](float v) {
        return [engine, tag, v] { engine->setParameterAutomated(tag, v); };
    };
    m.add("Set to Default Value", [engine, tag] { engine->setToDefault(tag); });
    m.add("Set to Original Value", [engine, tag] { engine->setToOrig(tag); });
    m.add("Set to Zero Value", automate(engine->getZeroValue(tag)));
    m.add("Set to Minimum Value", automate(0.0f));
    m.add("Set to Maximum Value", automate(1.0f));
    m.add("Set to Mid Value", automate(0.5f));
    m.add("Set to Value", [this, tag] { typeValue(tag); });
    m.add("Set to Random Value", [engine, tag] {
        engine->setParameterAutomated(tag, static_cast<float>(std::rand() & 0x7fff) / 32767.0f);
    });
    m.add("Increase Value", [engine, tag] { engine->changeDelta(tag, 1, false, 1.0f); });
    m.add("Decrease Value", [engine, tag] { engine->changeDelta(tag, -1, false, 1.0f); });
    addQuickSetEntries(m, tag);
    m.add("-");
    m.add("Latch to MIDI", [engine, tag] { engine->setMIDILatch(tag, true); });
    m.add("Unlatch MIDI", [engine, tag] { engine->setMIDILatch(tag, false); });
    m.add("Set MIDI CC", [engine, tag] { engine->setMIDICCNum(tag); });
    m.add("Clear All MIDI", [engine] { engine->resetMIDI(); });
    m.add("-");

    if (dest > 0) {
        for (int g = 0; g < SRC_SUB_COUNT; ++g) {
            COptionMenu* sub = m.addSubmenu(std::string("Modulate by ") + SRC_SUB_STR[g]);
            for (int s = SRC_SUB_START[g]; s < SRC_SUB_START[g + 1]; ++s)
                m.add(
                    SRC_STR[s], [this, s, dest] { setNextModSlot(s, dest); }, sub);
        }
        m.add("-");
        // Each command acts on every slot that targets this parameter.
        auto forSlots = [engine, dest](void (*act)(APlugin&, int)) {
            return [engine, dest, act] {
                for (int slot = 0; slot < tag::ModSlotCount; ++slot)
                    if (engine->getModDestBySlot(slot) == dest) act(*engine, slot);
            };
        };
        const std::string grey = modulated ? "" : "-G";
        m.add(grey + "Clear Modulation", forSlots([](APlugin& e, int slot) {
                  for (int first : {kModLowerTag, kModUpperTag, kModOffsetTag, kModAmountTag,
                                    kModSrcTag, kModDestTag})
                      e.setToDefault(first + slot);
                  e.setOff(kModBypassTag + slot);
              }));
        m.add(grey + "Default Modulation Amount", forSlots([](APlugin& e, int slot) {
                  for (int first : {kModLowerTag, kModUpperTag, kModOffsetTag, kModAmountTag})
                      e.setToDefault(first + slot);
              }));
        m.add(grey + "Bypass Modulation",
              forSlots([](APlugin& e, int slot) { e.setOn(kModBypassTag + slot); }));
        m.add(grey + "Un-Bypass Modulation",
              forSlots([](APlugin& e, int slot) { e.setOff(kModBypassTag + slot); }));
    }

    // The value commands are one edit of the tag; the modulation commands move other tags,
    // each one edit too, which the host re-reads.
    m.popup(frame, [this, tag](const CommandMenu::Choice& c) {
        runAsking([this, tag, chosen = c.chosen, action = c.action, picked = c.picked()] {
            if (chosen && action) hostDisplayIfOthersMoved(editsTold(action), tag);
            finishCommandMenu(picked);
        });
    });
}
