// The arpeggiator display's command menu: resets, copy and swap of the two sequences, the
// whole arpeggiator's clipboard, row commands, rotate, reverse and transpose over the active
// steps, the step / row / cell commands of a clicked cell with a step clipboard, and the
// ".arp" preset files. User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "editor/menus/MenuAnswers.h"
#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/files/DisplayPresets.h"
#include "engine/params/ParamTags.h"

#include <cstdlib>
#include <string>

namespace {

using Action = CommandMenu::Action;

// The rows of a sequence, each 16 steps of one parameter.
enum ArpRow {
    kStepRow,
    kTieRow,
    kSlideRow,
    kTuneRow,
    kVelocityRow,
    kFree1Row,
    kFree2Row,
    kRatchetRow,
    kRows
};
constexpr int kSteps = 16;
// A Tune value v stands for v x 72.99 - 36 semitones.
constexpr float kTuneSpan = 72.99f;

constexpr const char* ARP_HELP[] = {"-GLeft Click: Change value",
                                    "-GLeft Click + Shift: Fine Change Value",
                                    "-GLeft Click + Control: Show this Menu",
                                    "-GLeft Click + Command: Set to Default Value",
                                    "-GLeft Click + Command + Shift: Set to Original Value",
                                    "-GLeft Click + Opt: Set Value",
                                    "-GDouble Click: Set to Default Value",
                                    "-GRight Click: Show this Menu",
                                    "-GScroll Wheel: Change Value",
                                    "-GScroll Wheel + Shift: Fine Change Value"};

float randomUnit() {
    return static_cast<float>(std::rand() & 0x7fff) / 32767.0f;
}

// What the menu's commands act on: the shown sequence (S) and the other (O), its n active
// steps, the clicked cell and the editor's step clipboard.
struct ArpScope {
    uEditor* ed;
    APlugin* e;
    int S, O, n, rowStart, row, step;
    float* clip;
    bool* clipValid;
    int at(int r, int s) const { return rowStart + r * kSteps + s; }
};
using ArpRowEntry = MenuRow<ArpScope>;

// The resets keep the arpeggiator switch as it was.
Action keepingSwitch(APlugin* e, Action reset) {
    return [e, reset] {
        const float on = e->getParameter(tag::ArpOn);
        reset();
        e->setParameterAutomated(tag::ArpOn, on);
    };
}

// Whole sequences; `all` says both instead of the shown one.
Action reset(const ArpScope& s, int all) {
    const int section = all ? section::Arp : s.S;
    return keepingSwitch(s.e, [ed = s.ed, section] { ed->resetSection(section); });
}
Action toOrig(const ArpScope& s, int all) {
    const int section = all ? section::Arp : s.S;
    return keepingSwitch(s.e, [ed = s.ed, section] { ed->setSectionToOrig(section); });
}
Action copyToOther(const ArpScope& s, int) {
    return [e = s.e, &model = s.ed->getSectionModel(), S = s.S, O = s.O] {
        for (int i = 0; i < model.getTagCount(S); ++i)
            e->copyParameter(model.getTag(S, i), model.getTag(O, i));
    };
}
Action swapWithOther(const ArpScope& s, int) {
    return [e = s.e, &model = s.ed->getSectionModel(), S = s.S, O = s.O] {
        for (int i = 0; i < model.getTagCount(S); ++i)
            e->swapParameter(model.getTag(S, i), model.getTag(O, i));
    };
}
Action copyAll(const ArpScope& s, int) {
    return [ed = s.ed] { ed->copySection(section::Arp); };
}

// Rows over all 16 steps.
Action allSteps(const ArpScope& s, int on) {
    return [s, on] {
        for (int j = 0; j < kSteps; ++j)
            on ? s.e->setOn(s.at(kStepRow, j)) : s.e->setOff(s.at(kStepRow, j));
    };
}
Action resetRow(const ArpScope& s, int r) {
    return [s, r] {
        for (int j = 0; j < kSteps; ++j) s.e->setToDefault(s.at(r, j));
    };
}
Action randomizeRow(const ArpScope& s, int r) {
    return [s, r] {
        for (int j = 0; j < kSteps; ++j) s.e->setRandomValue(s.at(r, j), false);
    };
}

// The active steps: rotate so that step j takes old step (j + k) mod n, reverse, transpose.
void rotate(const ArpScope& s, long long k) {
    const int shift = static_cast<int>(((k % s.n) + s.n) % s.n);
    if (shift == 0) return;
    for (int r = 0; r < kRows; ++r) {
        float old[kSteps];
        for (int j = 0; j < kSteps; ++j) old[j] = s.e->getParameter(s.at(r, j));
        for (int j = 0; j < s.n; ++j) s.e->setParameter(s.at(r, j), old[(j + shift) % s.n]);
    }
}
Action rotateBy(const ArpScope& s, int k) {
    return [s, k] { rotate(s, k); };
}
Action rotateAsked(const ArpScope& s, int) {
    return [s] {
        int a = 0; // a positive answer moves the pattern to the right
        if (menuanswers::askInt("Number of steps to move", "", "", a))
            rotate(s, -static_cast<long long>(a));
    };
}
Action reverse(const ArpScope& s, int) {
    return [s] {
        for (int r = 0; r < kRows; ++r) {
            float old[kSteps];
            for (int j = 0; j < kSteps; ++j) old[j] = s.e->getParameter(s.at(r, j));
            for (int j = 0; j < s.n; ++j) s.e->setParameter(s.at(r, j), old[s.n - 1 - j]);
        }
    };
}
Action transpose(const ArpScope& s, int) {
    return [s] {
        int t = 0;
        if (!menuanswers::askInt("Transpose, -36 to 36 semi", "", "", t)) return;
        // In floating point, so no typed number can overflow; the row saturates at its ends.
        const float semis = static_cast<float>(menuanswers::clampInt(t, -1000, 1000));
        for (int j = 0; j < s.n; ++j) {
            const float v = s.e->getParameter(s.at(kTuneRow, j));
            s.e->setParameter(s.at(kTuneRow, j),
                              menuanswers::clamp01((v * kTuneSpan + semis) / kTuneSpan));
        }
    };
}

// The clicked cell, its step (down all rows) and its row.
Action resetCell(const ArpScope& s, int) {
    return [e = s.e, c = s.at(s.row, s.step)] { e->setToDefault(c); };
}
Action resetStep(const ArpScope& s, int) {
    return [s] {
        for (int r = 0; r < kRows; ++r) s.e->setToDefault(s.at(r, s.step));
    };
}
Action resetCellRow(const ArpScope& s, int) {
    return resetRow(s, s.row);
}
Action randomizeCell(const ArpScope& s, int) {
    return [e = s.e, c = s.at(s.row, s.step)] { e->setParameter(c, randomUnit()); };
}
// The step on/off and tie rows keep their values.
Action randomizeStep(const ArpScope& s, int) {
    return [s] {
        for (int r = kSlideRow; r < kRows; ++r) s.e->setParameter(s.at(r, s.step), randomUnit());
    };
}
Action randomizeCellRow(const ArpScope& s, int) {
    return [s] {
        for (int j = 0; j < kSteps; ++j) s.e->setParameter(s.at(s.row, j), randomUnit());
    };
}
Action copyStep(const ArpScope& s, int) {
    return [s] {
        for (int r = 0; r < kRows; ++r) s.clip[r] = s.e->getParameter(s.at(r, s.step));
        *s.clipValid = true;
    };
}
Action pasteStep(const ArpScope& s, int) {
    return [s] {
        if (!*s.clipValid) return;
        for (int r = 0; r < kRows; ++r) s.e->setParameter(s.at(r, s.step), s.clip[r]);
    };
}
Action setAllToStep(const ArpScope& s, int) {
    return [s] {
        for (int j = 0; j < kSteps; ++j)
            for (int r = 0; r < kRows; ++r) s.e->copyParameter(s.at(r, s.step), s.at(r, j));
    };
}
Action swapStep(const ArpScope& s, int delta) {
    return [s, delta] {
        const int other = (s.step + delta + s.n) % s.n;
        for (int r = 0; r < kRows; ++r) s.e->swapParameter(s.at(r, s.step), s.at(r, other));
    };
}
Action enterValue(const ArpScope& s, int r) {
    return [ed = s.ed, c = s.at(r, s.step)] { ed->typeValue(c); };
}

// The menu, in the order shown: the sequences, then (after "Paste All Arps") the rows and the
// active steps, then the clicked cell's submenu.
constexpr ArpRowEntry ARP_SEQUENCE_ROWS[] = {
    {"-"},
    {"Reset Selected Arp", reset, 0},
    {"Reset All Arps", reset, 1},
    {"Reset Selected Arp to Original Settings", toOrig, 0},
    {"Reset All Arps to their Original Settings", toOrig, 1},
    {"-"},
    {"Copy Arp to Other", copyToOther},
    {"Swap Arps", swapWithOther},
    {"Copy All Arps", copyAll},
};
constexpr ArpRowEntry ARP_STEP_ROWS[] = {
    {"-"},
    {"Turn All Steps On", allSteps, 1},
    {"Turn All Steps Off", allSteps, 0},
    {"Reset Tie Row", resetRow, kTieRow},
    {"Reset Slide Row", resetRow, kSlideRow},
    {"Reset Tune Row", resetRow, kTuneRow},
    {"Reset Velocity Row", resetRow, kVelocityRow},
    {"Reset Free 1 Row", resetRow, kFree1Row},
    {"Reset Free 2 Row", resetRow, kFree2Row},
    {"Reset Ratcheting Row", resetRow, kRatchetRow},
    {"Randomize Tune Row", randomizeRow, kTuneRow},
    {"Randomized Velocity Row", randomizeRow, kVelocityRow},
    {"Randomize Free 1 Row", randomizeRow, kFree1Row},
    {"Randomize Free 2 Row", randomizeRow, kFree2Row},
    {"-"},
    {"Move Arp Left", rotateBy, 1},
    {"Move Arp Right", rotateBy, -1},
    {"Move Arp", rotateAsked},
    {"Reverse Arp", reverse},
    {"Transpose Arp", transpose},
};
constexpr ArpRowEntry ARP_CELL_ROWS[] = {
    {"Reset Cell", resetCell},
    {"Reset Step", resetStep},
    {"Reset Row", resetCellRow},
    {"-"},
    {"Randomize Cell", randomizeCell},
    {"Randomize Step", randomizeStep},
    {"Randomize Row", randomizeCellRow},
    {"-"},
    {"Copy Step", copyStep},
    {"Paste Step", pasteStep},
    {"Set All To Step", setAllToStep},
    {"Swap Step With Next", swapStep, 1},
    {"Swap Step With Previous", swapStep, -1},
    {"-"},
    {"Enter Tune Value", enterValue, kTuneRow},
    {"Enter Velocity Value", enterValue, kVelocityRow},
    {"Enter Free 1 Value", enterValue, kFree1Row},
    {"Enter Free 2 Value", enterValue, kFree2Row},
};

} // namespace

void uEditor::showArpMenu(int row, int step, bool onCell) {
    if (!canShowCommandMenu()) return;
    APlugin* e = getEngine();
    if (e->getArpOrPlayLocked()) {
        // A locked arpeggiator shows nothing; the frame is redrawn all the same.
        frame->invalidRect(frame->getViewSize());
        return;
    }
    serveClearUndos();
    if (step == -1) step = e->getShownArpLedPos();
    const int sel = getSelectedArp() & 1;
    const ArpScope scope{this,
                         e,
                         section::ArpPattern1 + sel,
                         section::ArpPattern1 + 1 - sel,
                         menuanswers::clampInt(e->getShownArpNumOfSteps(sel), 1, kSteps),
                         tag::SeqStepOnA + sel * tag::SeqStride,
                         menuanswers::clampInt(row, 0, kRows - 1),
                         menuanswers::clampInt(step, 0, kSteps - 1),
                         arpStepClip,
                         &arpStepClipValid};
    static_assert(sizeof(arpStepClip) == kRows * sizeof(float), "one clipboard value per row");
    const int all = section::Arp;

    CommandMenu m;
    m.add("-GArp Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("Arp Display Information");
    for (const char* line : ARP_HELP) m.add(line, {}, info);
    addRows(m, ARP_SEQUENCE_ROWS, scope);
    addPasteEntry(m, "Paste All Arps", all);
    addRows(m, ARP_STEP_ROWS, scope);
    if (onCell) addRows(m, ARP_CELL_ROWS, scope, m.addSubmenu("Step / Row / Cell Commands"));
    m.add("-");
    int tags[tag::ArpTagCount];
    for (int i = 0; i < tag::ArpTagCount; ++i) tags[i] = tag::ArpFirst + i;
    m.add("Load Arp Preset", [this, e, tags] {
        if (!loadDisplayPresetFile(zekfiles::kArpPreset, "Load Arp Preset", kFolderArp, "*.arp",
                                   tags))
            return;
        // A loaded arpeggiator that is switched on puts the play mode to arpeggiator.
        if (e->getOnOff(tag::ArpOn)) {
            e->setParameter(tag::PlayMode, 1.0f);
            e->reset();
        }
    });
    m.add("Save Arp Preset", [this, tags] {
        saveDisplayPresetFile(zekfiles::kArpPreset, "Save Arp Preset", kFolderArp, "*.arp", tags);
    });
    m.add("-");
    addUndoEntry(m, all);

    m.popup(frame, [this, all](const CommandMenu::Choice& c) {
        runAsking([this, all, chosen = c.chosen, isUndo = c.undo, action = c.action,
                   picked = c.picked()] {
            if (!isUndo) setSectionUndo(all);
            // A chosen command, "Undo" included, tells the host the switch once it has run (a
            // reset or the undo may have moved it), each other parameter it moved as one edit
            // too, and the host re-reads the steps. A dismissed menu tells the host nothing.
            if (chosen) hostDisplayIfOthersMoved(editsTold(action, tag::ArpOn), tag::ArpOn);
            finishCommandMenu(picked);
        });
    });
}
