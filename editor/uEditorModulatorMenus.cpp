// The command menus of the modulators: the main LFO and the free envelopes and LFOs. Besides
// the section commands they list what the unit modulates and route it to a new destination
// in the first free modulation slot. Host user-interface thread; each menu stays open across idle
// calls.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <string>

namespace {

// Modulation sources of the units whose menus are here.
// An LFO's bipolar source is followed by its unipolar one; an envelope has one source.
constexpr int kSrcMainLfo = 60;
constexpr int SRC_FREE_ENV[2] = {52, 54};
constexpr int SRC_LFO[2] = {62, 64};
constexpr int kLfoSources = 2;

} // namespace

void uEditor::addModulatesLines(CommandMenu& menu, int firstSource, int sources) {
    APlugin* engine = getEngine();
    bool any = false;
    for (int slot = 0; slot < tag::ModSlotCount; ++slot) {
        const int src = engine->getModSrcBySlot(slot);
        if (src < firstSource || src >= firstSource + sources) continue;
        menu.add("-GModulates: " + getDestMenuStr(engine->getModDestBySlot(slot), false));
        any = true;
    }
    if (!any) menu.add("-GDoesn't modulate anything");
}

// Each destination entry carries its own index, so a name that two groups share still fills
// one slot with the destination the user pointed at.
void uEditor::addDestinationSubmenu(CommandMenu& menu, VSTGUI::COptionMenu* parent, int source,
                                    bool withNone, bool noneAssigns) {
    VSTGUI::COptionMenu* sub = menu.addSubmenu("Set To Destination", parent);
    if (withNone) {
        CommandMenu::Action none;
        if (noneAssigns) none = [this, source] { setNextModSlot(source, 0); };
        menu.add(getDestMenuStr(0, false), none, sub);
    }
    for (int g = 0; g < DEST_SUB_COUNT; ++g) {
        VSTGUI::COptionMenu* group = menu.addSubmenu(DEST_SUB_STR[g], sub);
        for (int d = DEST_SUB_START[g]; d < DEST_SUB_START[g + 1]; ++d)
            menu.add(
                getDestMenuStr(d, false), [this, source, d] { setNextModSlot(source, d); }, group);
    }
}

void uEditor::showMainLFOMenu() {
    if (!canShowCommandMenu()) return;
    const int s = section::MainLfo;
    CommandMenu m;
    m.add("-GMain LFO Command Menu");
    m.add("-");
    addModulatesLines(m, kSrcMainLfo, kLfoSources);
    m.add("-");
    m.add("Reset Main LFO", [this, s] { resetSection(s); });
    m.add("Reset Main LFO Amounts", [this] { resetSection(section::MainLfoAmounts); });
    m.add("Reset Main LFO Control Source", [this] { resetSection(section::MainLfoSpeedMod); });
    m.add("Reset Main LFO to Original Settings", [this, s] { setSectionToOrig(s); });
    m.add("Copy Main LFO", [this, s] { copySection(s); });
    addPasteEntry(m, "Paste Main LFO", s);
    m.add("Randomize Main LFO", [this, s] { randomizeSection(s); });
    addDestinationSubmenu(m, nullptr, kSrcMainLfo, false, false);
    m.add("-");
    addUndoEntry(m, s);
    runSectionMenu(m, s);
}

void uEditor::showFreeMenu(int pair, int which) {
    if (!canShowCommandMenu() || (which != 0 && which != 1)) return;
    // Any pair section but the free LFOs' names the free envelopes and their own sections;
    // the undo and the clipboard are those of the pair section the caller names.
    if (!section::isValid(pair)) return;
    const bool lfo = pair == section::FreeLfos;
    const int kind = lfo ? section::FreeLfos : section::FreeEnvelopes;
    const int own = kind + 1 + which, other = kind + 2 - which;
    const std::string n = lfo ? "Free LFO" : "Free Envelope";
    const int source = lfo ? SRC_LFO[which] : SRC_FREE_ENV[which];

    CommandMenu m;
    m.add("-G" + n + " " + std::to_string(which + 1) + " Command Menu");
    addModulatesLines(m, source, lfo ? kLfoSources : 1);
    m.add("-");
    m.add("Reset " + n, [this, own] { resetSection(own); });
    m.add("Reset All " + n + "s", [this, pair] { resetSection(pair); });
    m.add("Reset " + n + " to Original Settings", [this, own] { setSectionToOrig(own); });
    m.add("Reset All " + n + "s to their Original Settings",
          [this, pair] { setSectionToOrig(pair); });
    m.add("Copy to Other " + n, [this, own, other] { copySections(own, other); });
    m.add("Swap with Other " + n, [this, own, other] { swapSections(own, other); });
    m.add("Copy All " + n + "s", [this, pair] { copySection(pair); });
    addPasteEntry(m, "Paste All " + n + "s", pair);
    m.add("Randomize " + n, [this, own] { randomizeSection(own); });
    m.add("Randomize All " + n + "s", [this, pair] { randomizeSection(pair); });
    addDestinationSubmenu(m, nullptr, source, true, true);
    m.add("-");
    addUndoEntry(m, pair);
    runSectionMenu(m, pair);
}
