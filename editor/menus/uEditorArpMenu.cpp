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

constexpr int kRows = 8, kSteps = 16;
constexpr int kTuneRow = 3;
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
    step = menuanswers::clampInt(step, 0, kSteps - 1);
    row = menuanswers::clampInt(row, 0, kRows - 1);
    const int sel = getSelectedArp() & 1;
    const int S = section::ArpPattern1 + sel, O = section::ArpPattern1 + 1 - sel;
    const int all = section::Arp;
    const int n = menuanswers::clampInt(e->getShownArpNumOfSteps(sel), 1, kSteps);
    const int rowStart = tag::SeqStepOnA + sel * tag::SeqStride;
    auto R = [rowStart](int r) { return rowStart + r * kSteps; };
    // The resets keep the arpeggiator switch as it was.
    auto keepingSwitch = [e](auto reset) {
        return [e, reset] {
            const float on = e->getParameter(tag::ArpOn);
            reset();
            e->setParameterAutomated(tag::ArpOn, on);
        };
    };
    // Rotates each row's first n steps so that step j takes old step (j + k) mod n.
    auto rotate = [e, R, n](long long k) {
        const int shift = static_cast<int>(((k % n) + n) % n);
        if (shift == 0) return;
        for (int r = 0; r < kRows; ++r) {
            float old[kSteps];
            for (int s = 0; s < kSteps; ++s) old[s] = e->getParameter(R(r) + s);
            for (int j = 0; j < n; ++j) e->setParameter(R(r) + j, old[(j + shift) % n]);
        }
    };

    CommandMenu m;
    m.add("-GArp Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("Arp Display Information");
    for (const char* line : ARP_HELP) m.add(line, {}, info);
    m.add("-");
    m.add("Reset Selected Arp", keepingSwitch([this, S] { resetSection(S); }));
    m.add("Reset All Arps", keepingSwitch([this, all] { resetSection(all); }));
    m.add("Reset Selected Arp to Original Settings",
          keepingSwitch([this, S] { setSectionToOrig(S); }));
    m.add("Reset All Arps to their Original Settings",
          keepingSwitch([this, all] { setSectionToOrig(all); }));
    m.add("-");
    const SectionModel& model = getSectionModel();
    m.add("Copy Arp to Other", [e, &model, S, O] {
        for (int i = 0; i < model.getTagCount(S); ++i)
            e->copyParameter(model.getTag(S, i), model.getTag(O, i));
    });
    m.add("Swap Arps", [e, &model, S, O] {
        for (int i = 0; i < model.getTagCount(S); ++i)
            e->swapParameter(model.getTag(S, i), model.getTag(O, i));
    });
    m.add("Copy All Arps", [this, all] { copySection(all); });
    addPasteEntry(m, "Paste All Arps", all);
    m.add("-");
    m.add("Turn All Steps On", [e, R] {
        for (int s = 0; s < kSteps; ++s) e->setOn(R(0) + s);
    });
    m.add("Turn All Steps Off", [e, R] {
        for (int s = 0; s < kSteps; ++s) e->setOff(R(0) + s);
    });
    const char* resetRows[] = {"Reset Tie Row",       "Reset Slide Row",  "Reset Tune Row",
                               "Reset Velocity Row",  "Reset Free 1 Row", "Reset Free 2 Row",
                               "Reset Ratcheting Row"};
    for (int r = 1; r < kRows; ++r)
        m.add(resetRows[r - 1], [e, R, r] {
            for (int s = 0; s < kSteps; ++s) e->setToDefault(R(r) + s);
        });
    const char* randomRows[] = {"Randomize Tune Row", "Randomized Velocity Row",
                                "Randomize Free 1 Row", "Randomize Free 2 Row"};
    for (int r = kTuneRow; r < kTuneRow + 4; ++r)
        m.add(randomRows[r - kTuneRow], [e, R, r] {
            for (int s = 0; s < kSteps; ++s) e->setRandomValue(R(r) + s, false);
        });
    m.add("-");
    m.add("Move Arp Left", [rotate] { rotate(1); });
    m.add("Move Arp Right", [rotate] { rotate(-1); });
    m.add("Move Arp", [rotate] {
        int a = 0; // a positive answer moves the pattern to the right
        if (menuanswers::askInt("Number of steps to move", "", "", a))
            rotate(-static_cast<long long>(a));
    });
    m.add("Reverse Arp", [e, R, n] {
        for (int r = 0; r < kRows; ++r) {
            float old[kSteps];
            for (int s = 0; s < kSteps; ++s) old[s] = e->getParameter(R(r) + s);
            for (int j = 0; j < n; ++j) e->setParameter(R(r) + j, old[n - 1 - j]);
        }
    });
    m.add("Transpose Arp", [e, R, n] {
        int t = 0;
        if (!menuanswers::askInt("Transpose, -36 to 36 semi", "", "", t)) return;
        // In floating point, so no typed number can overflow; the row saturates at its ends.
        const float semis = static_cast<float>(menuanswers::clampInt(t, -1000, 1000));
        for (int j = 0; j < n; ++j) {
            const float v = e->getParameter(R(kTuneRow) + j);
            e->setParameter(R(kTuneRow) + j,
                            menuanswers::clamp01((v * kTuneSpan + semis) / kTuneSpan));
        }
    });
    if (onCell) {
        VSTGUI::COptionMenu* cell = m.addSubmenu("Step / Row / Cell Commands");
        const int c = R(row) + step;
        m.add(
            "Reset Cell", [e, c] { e->setToDefault(c); }, cell);
        m.add(
            "Reset Step",
            [e, R, step] {
                for (int r = 0; r < kRows; ++r) e->setToDefault(R(r) + step);
            },
            cell);
        m.add(
            "Reset Row",
            [e, R, row] {
                for (int s = 0; s < kSteps; ++s) e->setToDefault(R(row) + s);
            },
            cell);
        m.add("-", {}, cell);
        m.add(
            "Randomize Cell", [e, c] { e->setParameter(c, randomUnit()); }, cell);
        m.add(
            "Randomize Step", // the step on/off and tie rows keep their values
            [e, R, step] {
                for (int r = 2; r < kRows; ++r) e->setParameter(R(r) + step, randomUnit());
            },
            cell);
        m.add(
            "Randomize Row",
            [e, R, row] {
                for (int s = 0; s < kSteps; ++s) e->setParameter(R(row) + s, randomUnit());
            },
            cell);
        m.add("-", {}, cell);
        m.add(
            "Copy Step",
            [this, e, R, step] {
                for (int r = 0; r < kRows; ++r) arpStepClip[r] = e->getParameter(R(r) + step);
                arpStepClipValid = true;
            },
            cell);
        m.add(
            "Paste Step",
            [this, e, R, step] {
                if (!arpStepClipValid) return;
                for (int r = 0; r < kRows; ++r) e->setParameter(R(r) + step, arpStepClip[r]);
            },
            cell);
        m.add(
            "Set All To Step",
            [e, R, step] {
                for (int j = 0; j < kSteps; ++j)
                    for (int r = 0; r < kRows; ++r) e->copyParameter(R(r) + step, R(r) + j);
            },
            cell);
        auto swapWith = [e, R, step, n](int delta) {
            return [e, R, step, n, delta] {
                const int other = (step + delta + n) % n;
                for (int r = 0; r < kRows; ++r) e->swapParameter(R(r) + step, R(r) + other);
            };
        };
        m.add("Swap Step With Next", swapWith(1), cell);
        m.add("Swap Step With Previous", swapWith(-1), cell);
        m.add("-", {}, cell);
        const char* enter[] = {"Enter Tune Value", "Enter Velocity Value", "Enter Free 1 Value",
                               "Enter Free 2 Value"};
        for (int r = kTuneRow; r < kTuneRow + 4; ++r)
            m.add(
                enter[r - kTuneRow], [this, R, r, step] { typeValue(R(r) + step); }, cell);
    }
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
        runAsking([this, all, chosen = c.chosen, isUndo = c.undo, action = c.action] {
            if (!isUndo) setSectionUndo(all);
            // A chosen command, "Undo" included, tells the host the switch once it has run (a
            // reset or the undo may have moved it), each other parameter it moved as one edit
            // too, and the host re-reads the steps. A dismissed menu tells the host nothing.
            if (chosen) hostDisplayIfOthersMoved(editsTold(action, tag::ArpOn), tag::ArpOn);
            finishCommandMenu();
        });
    });
}
