// The EQ display's command menu: the two EQs on and off, resets, copy and swap between them,
// the clipboard of both, randomizing, and the ".eq" preset files of the EQ the display shows.
// User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/files/DisplayPresets.h"
#include "engine/params/ParamTags.h"

namespace {

constexpr int EQ_START_TAGS[2] = {tag::PreEqOn, tag::PostEqOn};
constexpr int kEQTags = 13;

constexpr const char* EQ_HELP[] = {"-GLeft Click: Change Frequency / Gain",
                                   "-GLeft Click + Shift: Change Bandwidth",
                                   "-GLeft Click + Control: Show this Menu",
                                   "-GLeft Click + Command: Set to Default Value",
                                   "-GLeft Click + Command + Shift: Set to Original Value",
                                   "-GLeft Click + Opt: Set Gain",
                                   "-GLeft Click + Opt + Shift: Set Bandwidth",
                                   "-GDouble Click: Set to Default Value",
                                   "-GRight Click: Show this Menu",
                                   "-GScroll Wheel: Change Value",
                                   "-GScroll Wheel + Shift: Fine Change Value"};

} // namespace

void uEditor::showEQMenu() {
    if (!canShowCommandMenu()) return;
    APlugin* e = getEngine();
    const int all = section::BothEQs, pre = section::PreEQ, post = section::PostEQ;
    const int pOn = tag::PreEqOn, qOn = tag::PostEqOn;
    CommandMenu m;
    m.add("-GEQ Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("EQ Display Information");
    for (const char* line : EQ_HELP) m.add(line, {}, info);
    m.add("-");
    m.add("Turn Pre EQ Off", [e, pOn] { e->setOff(pOn); });
    m.add("Turn Post EQ Off", [e, qOn] { e->setOff(qOn); });
    m.add("Turn All EQS Off", [e, pOn, qOn] {
        e->setOff(pOn);
        e->setOff(qOn);
    });
    m.add("Turn Pre EQ On", [e, pOn] { e->setOn(pOn); });
    m.add("Turn Post EQ On", [e, qOn] { e->setOn(qOn); });
    m.add("Turn All EQs On", [e, pOn, qOn] {
        e->setOn(pOn);
        e->setOn(qOn);
    });
    m.add("-");
    m.add("Reset Pre EQ", [this, pre] { resetSection(pre); });
    m.add("Reset Post EQ", [this, post] { resetSection(post); });
    m.add("Reset All EQs", [this, all] { resetSection(all); });
    m.add("-");
    m.add("Reset Pre EQ to Original Settings", [this, pre] { setSectionToOrig(pre); });
    m.add("Reset Post EQ to Original Settings", [this, post] { setSectionToOrig(post); });
    m.add("Reset All EQs to their Original Settings", [this, all] { setSectionToOrig(all); });
    m.add("-");
    m.add("Copy Pre to Post EQ", [this, pre, post] { copySections(pre, post); });
    m.add("Copy Post to Pre EQ", [this, pre, post] { copySections(post, pre); });
    m.add("Swap Pre/Post EQ", [this, pre, post] { swapSections(post, pre); });
    m.add("Copy All EQs", [this, all] { copySection(all); });
    addPasteEntry(m, "Paste All EQs", all);
    m.add("-");
    m.add("Randomize Pre EQ", [this, pre] { randomizeSection(pre); });
    m.add("Randomize Post EQ", [this, post] { randomizeSection(post); });
    m.add("Randomize All EQs", [this, all] { randomizeSection(all); });
    m.add("-");
    // The files hold one EQ: the one the display shows when the command runs.
    int tags[kEQTags];
    for (int i = 0; i < kEQTags; ++i) tags[i] = EQ_START_TAGS[selectedEQ & 1] + i;
    m.add("Load EQ Preset", [this, tags] {
        loadDisplayPresetFile(zekfiles::kEQPreset, "Load EQ Preset", kFolderEQ, "*.eq", tags);
    });
    m.add("Save EQ Preset", [this, tags] {
        saveDisplayPresetFile(zekfiles::kEQPreset, "Save EQ Preset", kFolderEQ, "*.eq", tags);
    });
    m.add("-");
    addUndoEntry(m, all);
    runSectionMenu(m, all);
}
