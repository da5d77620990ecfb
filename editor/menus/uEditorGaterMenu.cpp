// The gater's command menu: the two 16-step gate patterns edited as a working copy in the
// editor and written back as bit masks, with resets, copy, length and speed quick sets and
// undo of the gater section. User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <string>

namespace {

constexpr int kSteps = 16;

constexpr const char* GATER_HELP[] = {"-GLeft Click: Set On / Off",
                                      "-GLeft Click + Shift: Set All On",
                                      "-GLeft Click + Control: Show this Menu",
                                      "-GLeft Click + Command: Set to Default Value",
                                      "-GLeft Click + Command + Shift: Set to Original Value",
                                      "-GLeft Click + Opt: Set All Off"};

// A mask parameter holds (mask + 0.5) / 65536; the 65535.9 scale reads it back safely.
int decodeMask(float value) {
    const float scaled = value * 65535.9f;
    if (!(scaled > 0.0f)) return 0;
    return scaled >= 65535.0f ? 65535 : static_cast<int>(scaled);
}

float encodeMask(int mask) {
    return (static_cast<float>(mask) + 0.5f) * (1.0f / 65536.0f);
}

} // namespace

void uEditor::setGaterVar() {
    APlugin* e = getEngine();
    if (!e) return;
    for (int channel = 0; channel < 2; ++channel) {
        int mask = 0;
        for (int i = 0; i < kSteps; ++i) mask |= (gaterSteps[i][channel] ? 1 : 0) << i;
        e->setParameter(channel == 0 ? tag::GaterLeft : tag::GaterRight, encodeMask(mask));
    }
}

void uEditor::showGaterMenu() {
    if (!canShowCommandMenu()) return;
    APlugin* e = getEngine();
    const int g = section::Gater;
    CommandMenu m;
    m.add("-GGater Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("Gater Display Information");
    for (const char* line : GATER_HELP) m.add(line, {}, info);
    m.add("-");

    // Each pattern command works on the pattern as the parameters hold it when it runs.
    auto pattern = [this, e](auto edit) {
        return [this, e, edit] {
            const int masks[2] = {decodeMask(e->getParameter(tag::GaterLeft)),
                                  decodeMask(e->getParameter(tag::GaterRight))};
            for (int i = 0; i < kSteps; ++i)
                for (int c = 0; c < 2; ++c) gaterSteps[i][c] = (masks[c] >> i) & 1;
            int old[kSteps][2];
            for (int i = 0; i < kSteps; ++i)
                old[i][0] = gaterSteps[i][0], old[i][1] = gaterSteps[i][1];
            const int length = e->getSteppedValue(tag::GaterSteps) + 1;
            edit(gaterSteps, old, length < 1 ? 1 : (length > kSteps ? kSteps : length));
            setGaterVar();
        };
    };
    using Steps = int(&)[kSteps][2];
    using Old = const int(&)[kSteps][2];
    m.add("Reset Gater", [this, g] { resetSection(g); });
    m.add("Reset Gater to Original Settings", [this, g] { setSectionToOrig(g); });
    m.add("Set All On", pattern([](Steps s, Old, int) {
              for (auto& step : s) step[0] = step[1] = 1;
          }));
    m.add("Set All Off", pattern([](Steps s, Old, int) {
              for (auto& step : s) step[0] = step[1] = 0;
          }));
    m.add("Alternate", pattern([](Steps s, Old, int) {
              for (int i = 0; i < kSteps; ++i) s[i][0] = s[i][1] = (i % 2 == 0);
          }));
    m.add("Alternate Left/Right", pattern([](Steps s, Old, int) {
              for (int i = 0; i < kSteps; ++i) s[i][0] = (i % 2 == 0), s[i][1] = (i % 2 == 1);
          }));
    m.add("-");
    m.add("Copy Left to Right", pattern([](Steps s, Old, int) {
              for (auto& step : s) step[1] = step[0];
          }));
    m.add("Copy Right to Left", pattern([](Steps s, Old, int) {
              for (auto& step : s) step[0] = step[1];
          }));
    m.add("Swap Left and Right", pattern([](Steps s, Old o, int) {
              for (int i = 0; i < kSteps; ++i) s[i][0] = o[i][1], s[i][1] = o[i][0];
          }));
    // Moving and reversing act on the active steps only: the hidden ones keep the values the
    // musician gave them, which come back when the pattern grows.
    m.add("Move Left", pattern([](Steps s, Old o, int n) {
              for (int i = 0; i < n; ++i)
                  for (int c = 0; c < 2; ++c) s[i][c] = o[(i + 1) % n][c];
          }));
    m.add("Move Right", pattern([](Steps s, Old o, int n) {
              for (int i = 0; i < n; ++i)
                  for (int c = 0; c < 2; ++c) s[i][c] = o[(i + n - 1) % n][c];
          }));
    m.add("Reverse", pattern([](Steps s, Old o, int n) {
              for (int i = 0; i < n; ++i)
                  for (int c = 0; c < 2; ++c) s[i][c] = o[n - 1 - i][c];
          }));
    // Inverting flips the hidden steps too; it loses nothing, a second Inverse gives them back.
    m.add("Inverse", pattern([](Steps s, Old, int) {
              for (auto& step : s) step[0] = 1 - step[0], step[1] = 1 - step[1];
          }));
    m.add("-");
    m.add("Copy Gater", [this, g] { copySection(g); });
    addPasteEntry(m, "Paste Gater", g);
    m.add("-");
    m.add("Randomize Gater", [this, g] { randomizeSection(g); });
    VSTGUI::COptionMenu* lengths = m.addSubmenu("Set Length");
    for (int i = 0; i < GATER_STEPS_COUNT; ++i)
        m.add(
            std::string("Set Length to ") + GATER_STEPS_STR[i],
            [e, i] { e->setParameter(tag::GaterSteps, (i + 0.1f) / 15.99f); }, lengths);
    VSTGUI::COptionMenu* speeds = m.addSubmenu("Set Speed");
    for (int i = 0; i < GATER_PERIOD_COUNT; ++i)
        m.add(
            GATER_PERIOD_STR[i], [e, i] { e->setParameter(tag::GaterSpeed, (i + 0.1f) / 33.99f); },
            speeds);
    m.add("-");
    addUndoEntry(m, g);
    runSectionMenu(m, g);
}
