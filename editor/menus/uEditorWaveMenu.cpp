// The user-wave display's command menu: pen grid and draw mode, clear, reset, copy and swap
// of the two waves, their clipboard, the wave transforms, clearing partials, samples and wave
// files, and undo; with it the wave clipboard and undo of the main screen's wave buttons.
// User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/displays/TWaveDisplay.h"
#include "editor/EditorModeTables.h"
#include "editor/menus/MenuAnswers.h"
#include "editor/menus/WaveTransforms.h"
#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

using edtables::WAVE_PRESET_NUMS_TAGS;

#include <cstdlib>
#include <string>

namespace {

using wavetransform::kPoints;
constexpr int WAVE_FIRST[2] = {tag::UserWave1First, tag::UserWave2First};
constexpr int kPartials = 4096;

constexpr const char* WAVE_HELP[] = {"-GLeft Click: Change Value",
                                     "-GLeft Click + Control: Set to Default Values",
                                     "-GLeft Click + Control: Show this Menu",
                                     "-GLeft Click + Command: Set to Default Values",
                                     "-GLeft Click + Command + Shift: Set to Original Values",
                                     "-GRight Click: Show this Menu",
                                     "-GRight Click + Shift: Previews Wave"};
constexpr const char* GRID_TITLES[] = {"Grid Off", "Grid 1/4", "Grid 1/8", "Grid 1/16",
                                       "Grid 1/32"};
constexpr const char* DRAW_TITLES[] = {"Point Draw Mode", "Line Draw Mode", "Erase Mode"};

void readWave(APlugin& e, int wave, float* p) {
    for (int i = 0; i < kPoints; ++i) p[i] = e.getParameter(WAVE_FIRST[wave] + i);
}

void writeWave(APlugin& e, int wave, const float* p) {
    for (int i = 0; i < kPoints; ++i) e.setParameter(WAVE_FIRST[wave] + i, p[i]);
}

float randomUnit() {
    return static_cast<float>(std::rand() & 0x7fff) / 32767.0f;
}

} // namespace

void uEditor::resetUserWaveBook() {
    waveBook = UserWaveBook{};
    waveUndoPresetNumbers[0] = waveUndoPresetNumbers[1] = 0.0f;
    waveClipPresetNumber = 0.0f;
}

void uEditor::setWaveUndo() {
    APlugin* e = getEngine();
    if (!e) return;
    setSectionUndo(section::UserWaves);
    for (int w = 0; w < 2; ++w)
        waveUndoPresetNumbers[w] = e->getParameter(WAVE_PRESET_NUMS_TAGS[w]);
}

void uEditor::copyWave(int wave) {
    APlugin* e = getEngine();
    if (!e || (wave != 0 && wave != 1)) return;
    copySection(section::UserWaves);
    waveClipPresetNumber = e->getParameter(WAVE_PRESET_NUMS_TAGS[wave]);
}

void uEditor::pasteWave(int wave) {
    APlugin* e = getEngine();
    // An empty clipboard pastes nothing, not even the preset number.
    if (!e || (wave != 0 && wave != 1) || !getSectionHasClip(section::UserWaves)) return;
    pasteSection(section::UserWaves);
    e->setParameter(WAVE_PRESET_NUMS_TAGS[wave], waveClipPresetNumber);
}

void uEditor::clearWave(int wave) {
    APlugin* e = getEngine();
    if (!e || (wave != 0 && wave != 1)) return;
    e->setParameter(WAVE_PRESET_NUMS_TAGS[wave], 0.0f); // the built-in "None"
    e->setCurUserWave(wave, -1);
    e->setUserWave(wave);
    e->createUserWaveTable(wave);
}

void uEditor::smoothWave(int wave) {
    APlugin* e = getEngine();
    if (!e || (wave != 0 && wave != 1)) return;
    float in[kPoints], out[kPoints];
    readWave(*e, wave, in);
    wavetransform::smooth(in, out, e->getParameter(tag::UserWaveSmooth) * 0.5f);
    writeWave(*e, wave, out);
}

// Each transform reads the wave, asks for its number if it has one (Cancel does nothing) and
// writes all 512 points back.
void uEditor::addWaveTransformEntries(CommandMenu& m, int wave) {
    using namespace wavetransform;
    APlugin* e = getEngine();
    auto simple = [e, wave](void (*f)(const Wave, Wave)) {
        return [e, wave, f] {
            float in[kPoints], out[kPoints];
            readWave(*e, wave, in);
            f(in, out);
            writeWave(*e, wave, out);
        };
    };
    auto asking = [e, wave](const char* message, const char* informative, const char* initial,
                            auto apply) {
        return [e, wave, message, informative, initial, apply] {
            int n = 0;
            if (!menuanswers::askInt(informative, message, initial, n)) return;
            float in[kPoints], out[kPoints];
            readWave(*e, wave, in);
            apply(in, out, n);
            writeWave(*e, wave, out);
        };
    };
    m.add("Normalize User Wave", simple(normalize));
    m.add("Remove DC from User Wave", simple(removeDC));
    m.add("Reverse User Wave", simple(reverse));
    m.add("Inverse User Wave", simple(inverse));
    m.add("Absolute Value of User Wave", simple(absolute));
    m.add("Move User Wave 90 Degrees", simple([](const Wave in, Wave out) { move(in, out, 128); }));
    m.add("Move User Wave -90 Degrees",
          simple([](const Wave in, Wave out) { move(in, out, -128); }));
    m.add("Move User Wave By Set Amount",
          asking("Wave Move Angle, -360 to 360 deg", "Angle", "0",
                 [](const Wave in, Wave out, int n) { move(in, out, angleShift(n)); }));
    m.add(
        "Amplify User Wave",
        asking("Wave Multiply, 0 to 400 %", "Multiply", "100", [](const Wave in, Wave out, int n) {
            amplify(in, out, menuanswers::clampInt(n, 0, 400) / 100.0f);
        }));
    m.add("Quantize User Wave",
          asking("Wave Quantization, 1 to 64", "Levels", "64", [](const Wave in, Wave out, int n) {
              quantize(in, out, menuanswers::clampInt(n, 1, 64));
          }));
    m.add("Double User Wave", simple(doubled));
    m.add("Ping-Pong User Wave", simple(pingPong));
    m.add("Smooth User Wave", [this, wave] { smoothWave(wave); });
    m.add(
        "Randomize User Wave",
        asking("Wave Randomization, 1 to 64", "Random Rate", "64", [](const Wave, Wave out, int n) {
            randomize(out, menuanswers::clampInt(n, 1, 64), randomUnit);
        }));
}

void uEditor::showWaveMenu(int wave) {
    if (!canShowCommandMenu()) return;
    if (wave == -1) wave = selectedUserWave;
    if (wave != 0 && wave != 1) return;
    APlugin* e = getEngine();
    const int own = section::UserWave1 + wave, otherSection = section::UserWave1 + 1 - wave;
    const int all = section::UserWaves, other = 1 - wave;
    TWaveDisplay* display = ui.waveDisplay;
    const int snap = display ? display->getSnapMode() : 0;
    const int draw = display ? display->getDrawMode() : waveDrawMode;

    CommandMenu m;
    m.add(wave == 0 ? "-GUser Wave 1 Command Menu" : "-GUser Wave 2 Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("User Wave Display Information");
    for (const char* line : WAVE_HELP) m.add(line, {}, info);
    m.add("-");
    m.add(snap != 0 ? "-GSnap To Grid  - On" : "-GSnap To Grid  - Off");
    VSTGUI::COptionMenu* grid = m.addSubmenu("User Wave Grid Mode");
    for (int k = 0; k < 5; ++k)
        m.add(
            std::string(GRID_TITLES[k]) + (k == snap ? " - Selected" : ""),
            [display, k] {
                if (display) display->setSnapMode(k);
            },
            grid);
    m.add("-");
    VSTGUI::COptionMenu* pen = m.addSubmenu("User Wave Draw Mode");
    for (int k = 0; k < 3; ++k)
        m.add(
            std::string(DRAW_TITLES[k]) + (k == draw ? " - Selected" : ""),
            [this, display, k] {
                waveDrawMode = k;
                for (int r = 0; r < 3; ++r)
                    if (ui.waveDrawRadios[r]) ui.waveDrawRadios[r]->setState(r == k);
                if (display) display->setDrawMode(k);
            },
            pen);
    m.add("-");
    m.add("Clear User Wave", [this, wave] { clearWave(wave); });
    m.add("Clear Both User Waves", [this, wave, other] {
        clearWave(wave);
        clearWave(other);
    });
    m.add("-");
    m.add("Reset User Wave to Original Settings", [this, own] { setSectionToOrig(own); });
    m.add("Reset Both User Waves to their Original Settings",
          [this, all] { setSectionToOrig(all); });
    m.add("-");
    m.add("Copy to Other User Wave",
          [this, own, otherSection] { copySections(own, otherSection); });
    m.add("Swap with Other User Wave",
          [this, own, otherSection] { swapSections(own, otherSection); });
    m.add("Copy User Waves", [this, all] { copySection(all); });
    addPasteEntry(m, "Paste User Waves", all);
    m.add("-");
    addWaveTransformEntries(m, wave);
    m.add("-");
    // Partial 4095 keeps its values; the first partial is the fundamental, left at full level.
    auto clearPartials = [e, wave](bool amps, bool phases) {
        return [e, wave, amps, phases] {
            for (int k = 0; k < kPartials - 1; ++k) {
                if (amps) e->setWaveTablePartials(wave, k, 0.0f, false);
                if (phases) e->setWaveTablePartials(wave, k, 0.0f, true);
            }
            if (amps) e->setWaveTablePartials(wave, 0, 1.0f, false);
            e->createBaseUserTableFromPartials(wave);
        };
    };
    m.add("Clear Partials", clearPartials(true, true));
    m.add("Clear Partials Amp", clearPartials(true, false));
    m.add("Clear Partials Phase", clearPartials(false, true));
    m.add("-");
    m.add("Load Sample", [e, wave] { e->loadSample(wave); });
    m.add("Load User Wave Preset", [e, wave] { e->loadWave(wave); });
    m.add("Save User Wave Preset", [e, wave] { e->saveWave(wave); });
    m.add("-");
    m.addUndo(getSectionUndoLevel(all) >= 0, [this, e, all] {
        undoSection(all);
        for (int w = 0; w < 2; ++w)
            e->setParameter(WAVE_PRESET_NUMS_TAGS[w], waveUndoPresetNumbers[w]);
    });

    m.popup(frame, [this, e](const CommandMenu::Choice& c) {
        runAsking([this, e, isUndo = c.undo, action = c.action, picked = c.picked()] {
            if (!isUndo) setWaveUndo();
            // A wave command rewrites many points at once: the host re-reads them.
            if (action) hostDisplayIfOthersMoved(editsTold(action), -1);
            const int shown = selectedUserWave & 1;
            e->updateWave(shown);
            e->updateWave(1 - shown);
            finishCommandMenu(picked);
            waveChanged = true;
        });
    });
}
