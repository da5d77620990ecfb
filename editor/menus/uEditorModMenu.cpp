// The modulation matrix's command menu: commands on the whole matrix and on the clicked slot,
// a one-slot clipboard, a quick route that lets another source modulate the slot's amount,
// and the ".mod" preset files. User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/files/DisplayPresets.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

namespace {

// A slot's seven tags are these firsts plus the slot, in this field order.
constexpr int FIELD_FIRST[7] = {tag::ModBypassFirst, tag::ModSourceFirst, tag::ModLowerFirst,
                                tag::ModUpperFirst,  tag::ModDestFirst,   tag::ModOffsetFirst,
                                tag::ModAmountFirst};
// The value fields that "Zero" resets, in the order they are reset.
constexpr int ZERO_FIRST[4] = {tag::ModLowerFirst, tag::ModUpperFirst, tag::ModAmountFirst,
                               tag::ModOffsetFirst};
// Destination 307 + n modulates the amount of slot n.
constexpr int kDestModAmountFirst = 307;

constexpr const char* MOD_HELP[] = {"-GLeft Click: Change Value",
                                    "-GLeft Click + Shift: Fine Change Value",
                                    "-GLeft Click + Control: Show this Menu",
                                    "-GLeft Click + Command: Set to Default Value",
                                    "-GLeft Click + Command + Shift: Set to Original Value",
                                    "-GLeft Click + Opt: Set Value",
                                    "-GDouble Click: Set to Default Value",
                                    "-GRight Click: Show this Menu",
                                    "-GScroll Wheel: Change Value",
                                    "-GScroll Wheel + Shift: Fine Change Value"};

void zeroSlot(APlugin& e, int s) {
    for (int first : ZERO_FIRST) e.setToDefault(first + s);
}

} // namespace

void uEditor::showModMenu(int s) {
    if (!canShowCommandMenu() || s < -1 || s >= tag::ModSlotCount) return;
    serveClearUndos();
    APlugin* e = getEngine();
    const int mx = section::ModMatrix;
    CommandMenu m;
    m.add("-GMod Matrix Command Menu");
    m.add("-");
    VSTGUI::COptionMenu* info = m.addSubmenu("Mod Matrix Display Information");
    for (const char* line : MOD_HELP) m.add(line, {}, info);
    m.add("-");
    m.add("Reset Mod Matrix", [this, mx] { resetSection(mx); });
    m.add("Reset Mod Matrix to Original Settings", [this, mx] { setSectionToOrig(mx); });
    m.add("Zero Amounts", [e] {
        for (int n = 0; n < tag::ModSlotCount; ++n) zeroSlot(*e, n);
    });
    m.add("Bypass All Slots", [e] {
        for (int n = 0; n < tag::ModSlotCount; ++n) e->setModBypass(n, true);
    });
    m.add("Un-Bypass All Slots", [e] {
        for (int n = 0; n < tag::ModSlotCount; ++n) e->setModBypass(n, false);
    });
    m.add("Copy Mod Matrix", [this, mx] { copySection(mx); });
    addPasteEntry(m, "Paste Mod Matrix", mx);
    m.add("Randomize All Slots", [this, mx] { randomizeSection(mx); });
    if (s >= 0) {
        m.add("Reset Slot", [e, s] {
            for (int f : FIELD_FIRST) e->setToDefault(f + s);
        });
        m.add("Reset Slot to Original Settings", [e, s] {
            for (int f : FIELD_FIRST) e->setToOrig(f + s);
        });
        m.add("Zero Slot Values", [e, s] { zeroSlot(*e, s); });
        m.add("Copy Slot", [this, e, s] {
            for (int f = 0; f < 7; ++f) modSlotClip[f] = e->getParameter(FIELD_FIRST[f] + s);
            modSlotClipValid = true;
        });
        m.add("Paste Slot", [this, e, s] {
            if (!modSlotClipValid) return;
            for (int f = 0; f < 7; ++f) e->setParameter(FIELD_FIRST[f] + s, modSlotClip[f]);
        });
        m.add("Delete Slot", [e, s] {
            for (int k = s; k < tag::ModSlotCount - 1; ++k)
                for (int f : FIELD_FIRST) e->copyParameter(f + k + 1, f + k);
            for (int f : FIELD_FIRST) e->setToDefault(f + tag::ModSlotCount - 1);
        });
        m.add("Randomize Slot", [e, s] {
            for (int f : FIELD_FIRST) e->setRandomValue(f + s, false);
        });
        m.add("Bypass Slot", [e, s] { e->setModBypass(s, true); });
        m.add("Un-Bypass Slot", [e, s] { e->setModBypass(s, false); });
        m.add("Move Slot Up", [e, s] {
            if (s < 1) return;
            for (int f : FIELD_FIRST) e->swapParameter(f + s, f + s - 1);
        });
        m.add("Move Slot Down", [e, s] {
            if (s > tag::ModSlotCount - 2) return;
            for (int f : FIELD_FIRST) e->swapParameter(f + s, f + s + 1);
        });
        m.add("Enter Slot Lower Amount", [this, s] { typeValue(tag::ModLowerFirst + s); });
        m.add("Enter Slot Upper Amount", [this, s] { typeValue(tag::ModUpperFirst + s); });
        m.add("Enter Slot Offset Amount", [this, s] { typeValue(tag::ModOffsetFirst + s); });
        m.add("Enter Slot Amount", [this, s] { typeValue(tag::ModAmountFirst + s); });
        // A source chosen here modulates this slot's amount through the first free later slot.
        for (int g = 0; g < SRC_SUB_COUNT; ++g) {
            VSTGUI::COptionMenu* sub =
                m.addSubmenu(std::string("Modulate Slot Amount by ") + SRC_SUB_STR[g]);
            for (int k = SRC_SUB_START[g]; k < SRC_SUB_START[g + 1]; ++k)
                m.add(
                    SRC_STR[k],
                    [e, s, k] {
                        for (int j = s + 1; j < tag::ModSlotCount; ++j) {
                            if (e->getModDestBySlot(j) != 0) continue;
                            zeroSlot(*e, j);
                            e->setSteppedValue(tag::ModSourceFirst + j, k);
                            e->setSteppedValue(tag::ModDestFirst + j, kDestModAmountFirst + s);
                            return;
                        }
                    },
                    sub);
        }
        m.add("-");
    }
    int tags[112];
    for (int i = 0; i < 112; ++i) tags[i] = tag::ModFirst + i;
    m.add("Load Mod Matrix Preset", [this, tags] {
        loadDisplayPresetFile(zekfiles::kModPreset, "Load Mod Matrix Preset", kFolderMod, "*.mod",
                              tags);
    });
    m.add("Save Mod Matrix Preset", [this, tags] {
        saveDisplayPresetFile(zekfiles::kModPreset, "Save Mod Matrix Preset", kFolderMod, "*.mod",
                              tags);
    });
    m.add("-");
    // Never greyed; with an empty stack it does nothing.
    m.addUndo(true, [this, mx] { undoSection(mx); });
    runSectionMenu(m, mx);
}
