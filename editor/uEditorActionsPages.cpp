// Control actions of the multi view's wave and arpeggiator pages and of the back side: the
// user-wave buttons and menus, the arpeggiator's lock and play-mode rules, the global
// switches and the two typed settings (A4 pitch, brick-filter frequency). Host user-interface
// thread.
#include "editor/EditorModeTables.h"
#include "editor/TypedNumber.h"
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TWaveDisplay.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace VSTGUI;
using namespace edtables;

namespace {
constexpr int kFirstSeqMode = 13;    // arpeggiator modes from here on are sequencer modes
constexpr int kArpPlayMode = 8;      // the play mode of the arpeggiator
constexpr int kUserWaveSection = 43; // the undo section of both user waves

template <class T, size_t N> int indexIn(T* const (&list)[N], const CControl* c) {
    for (size_t i = 0; i < N; ++i)
        if (list[i] && static_cast<const CControl*>(list[i]) == c) return static_cast<int>(i);
    return -1;
}

} // namespace

void uEditor::waveShaperReset() {
    setMenuValue(tag::UserWaveShaperMode, 0);
    if (ui.waveDisplay) ui.waveDisplay->setShaperMode(0);
    redrawMultiView = true;
}

void uEditor::waveRebuild() {
    getEngine()->createUserWaveTable(selectedUserWave & 1);
    if (ui.waveDisplay) ui.waveDisplay->setDirty(true);
}

bool uEditor::actWave(CControl* c, bool pressed, int index, const char* title) {
    APlugin* engine = getEngine();
    const int wave = selectedUserWave & 1;
    if (const int k = indexIn(ui.userWaveRadios, c); k >= 0) {
        if (!pressed) return true;
        selectedUserWave = k;
        engine->setPreviewUserWave(k);
        for (int i = 0; i < 2; ++i)
            if (ui.userWaveRadios[i]) ui.userWaveRadios[i]->setState(i == k);
        setMenuValue(tag::UserWaveShaperMode, 0);
        if (ui.waveDisplay) {
            ui.waveDisplay->setShaperMode(0);
            ui.waveDisplay->setWave(k);
        }
        redrawMultiView = true;
        return true;
    }
    if (const int k = indexIn(ui.waveDrawRadios, c); k >= 0) {
        if (pressed) {
            waveDrawMode = k;
            waveShaperReset();
        }
        return true;
    }
    if (const int mode = indexIn(ui.waveEditRadios[wave], c); mode >= 0) {
        if (!pressed) return true;
        if (mode == 1) engine->createBaseUserTableFromPartials(wave);
        waveEditMode[wave] = mode;
        userEdit(USE_PARTIALS_ON_TAGS[wave],
                 [&] { engine->setOnOff(USE_PARTIALS_ON_TAGS[wave], mode == 1); });
        userEdit(tag::UserWaveExpPartialsOn, [&] { engine->setOn(tag::UserWaveExpPartialsOn); });
        waveShaperReset();
        return true;
    }
    if (c == ui.waveUndoButton || c == ui.waveApplyButton || c == ui.waveCopyButton ||
        c == ui.wavePasteButton || c == ui.waveClearButton) {
        if (!pressed) return true;
        if (c == ui.waveApplyButton && engine->getSteppedValue(tag::UserWaveShaperMode) == 0)
            return true;
        if (c == ui.wavePasteButton || c == ui.waveClearButton) setWaveUndo();
        setMenuValue(tag::UserWaveShaperMode, 0);
        if (ui.waveDisplay) ui.waveDisplay->setShaperMode(0);
        if (c == ui.waveApplyButton) engine->setTempPreviewWave(wave);
        if (c == ui.waveCopyButton) copyWave(wave);
        if (c == ui.wavePasteButton) pasteWave(wave);
        if (c == ui.waveClearButton) clearWave(wave);
        if (c == ui.waveUndoButton) {
            undoSection(kUserWaveSection);
            engine->createUserWaveTable(0);
            engine->createUserWaveTable(1);
            redrawMultiView = true;
        } else {
            waveRebuild();
            if (c == ui.waveApplyButton) redrawMultiView = true;
        }
        return true;
    }
    if (c == ui.waveLoadButton || c == ui.waveSaveButton) {
        // These act on release, once the button is up and the chooser may take the mouse.
        if (pressed) return true;
        // The shaper mode is set once; the chooser and what follows it run beside the idle
        // calls, again with the answer once it comes.
        setMenuValue(tag::UserWaveShaperMode, 0);
        if (ui.waveDisplay) ui.waveDisplay->setShaperMode(0);
        const bool load = c == ui.waveLoadButton;
        runAsking([this, engine, wave, load] {
            if (load) {
                setWaveUndo();
                engine->loadWave(wave);
                engine->updateWave(wave);
            } else {
                engine->saveWave(wave);
            }
            redrawMultiView = true;
        });
        return true;
    }
    if (indexIn(ui.wavePresetMenus[wave], c) >= 0) {
        for (int i = 0; title && i < USER_WAVE_PRESET_COUNT; ++i)
            if (std::strcmp(title, USER_WAVE_PRESET_STR[i]) == 0) {
                setWaveUndo();
                setMenuValue(WAVE_PRESET_NUMS_TAGS[wave], i);
                waveChanged = true;
                if (ui.waveDisplay) ui.waveDisplay->setDirty(true);
                break;
            }
        return true;
    }
    switch (c->getTag()) {
    case tag::UserWaveShaperMode:
        if (index >= 0) updateShaperModeMenu(index);
        return true;
    case tag::UserWaveShaper1:
    case tag::UserWaveShaper2:
        engine->setParameterAutomated(c->getTag(), c->getValue());
        redrawMultiView = true;
        return true;
    default:
        return false;
    }
}

bool uEditor::actArp(CControl* c, int index) {
    APlugin* engine = getEngine();
    const int t = c->getTag();
    const int s = getSelectedArp() & 1;
    if (c == ui.arpLockMenu || t == tag::ArpLock) {
        engine->setLockState(2, index);
        if (index == 2) {
            c->setValue(0.0f);
            c->setDirty(true);
        }
        return true;
    }
    const bool isArpTag = t == tag::ArpOn || (t >= tag::ArpPlayMode && t <= tag::ArpRatchetMode) ||
                          t == ARP_STEPS_TAGS[s] || t == ARP_LOOP_START_TAGS[s] ||
                          t == tag::SeqSpeedA + s * tag::SeqStride;
    if (!isArpTag) return false;
    if (engine->getArpLocked()) return true;
    if (t == tag::ArpOn) {
        engine->setParameterAutomated(tag::ArpOn, c->getValue());
        if (c->getValue() < 0.5f) {
            editStepTold(tag::PlayMode, keptPlayMode);
            arpStopRule();
        } else {
            keptPlayMode = engine->getSteppedValue(tag::PlayMode);
            editStepTold(tag::PlayMode, kArpPlayMode);
            arpStartRule();
        }
        return true;
    }
    setMenuValue(t, index);
    if (t == ARP_STEPS_TAGS[s] || t == ARP_LOOP_START_TAGS[s]) {
        updateArpSteps();
        return true;
    }
    if (t == tag::ArpMode) {
        if (engine->getSteppedValue(tag::ArpMode) >= kFirstSeqMode &&
            engine->getOnOff(tag::ArpOn)) {
            editSwitchTold(tag::ArpOn, false);
            editStepTold(tag::PlayMode, keptPlayMode);
            arpStopRule();
        }
        xyModesChanged = true;
    }
    if (ui.arpGrid) ui.arpGrid->setDirty(true);
    return true;
}

bool uEditor::actBackSide(CControl* c, bool pressed, int index) {
    APlugin* engine = getEngine();
    if (c == ui.keyboardSwitch) {
        keyboardOn = c->getValue() >= 0.5f;
        saveBoolToPrefs("Keyboard", keyboardOn);
    } else if (c == ui.midiPresetSwitch) {
        saveBoolToPrefs("MIDIPreset", pressed);
    } else if (c == ui.midiBankSwitch) {
        saveBoolToPrefs("MIDIBank", pressed);
    } else if (c == ui.midiCaptureSwitch) {
        saveBoolToPrefs("MIDICapture", pressed);
        engine->resetMIDICapture();
    } else if (c == ui.autoLimitSwitch) {
        saveBoolToPrefs("AutoLimit", pressed);
        autoLimitOn = getRegValue("AutoLimit", false);
    } else if (c == ui.screenSizeMenu) {
        if (index < 0 || index >= SCREEN_SIZE_COUNT) return true;
        ui.screenSizeMenu->setString(SCREEN_SIZE_STR[index]);
        runAsking([this, index] { setScreenSize(index); });
    } else if (c == ui.midiChannelMenu) {
        if (index < 0 || index >= MIDI_IN_CHANNEL_COUNT) return true;
        saveIntToPrefs("MIDIChannel", index);
        ui.midiChannelMenu->setString(MIDI_IN_CHANNEL_STR[index]);
        engine->updateMIDIChannel(false);
    } else if (c == ui.a4Readout) {
        if (pressed) typeA4();
    } else if (c == ui.brickReadout) {
        if (pressed) typeBrickFrequency();
    } else if (c == ui.tuningResetButton || c == ui.tuningReadout) {
        // The chooser runs beside the idle calls; the read-out shows its outcome.
        auto showTuning = [this, engine] {
            if (!ui.tuningReadout) return;
            ui.tuningReadout->setString(engine->getTuningName());
            ui.tuningReadout->setDirty(true);
        };
        if (pressed && c == ui.tuningReadout)
            runAsking([engine, showTuning] {
                engine->loadTuning();
                showTuning();
            });
        else if (pressed)
            engine->resetTuning();
        if (c == ui.tuningResetButton) showTuning();
    } else if (c == ui.backCloseButton) {
        if (pressed) hideBackScreen();
    } else {
        return false;
    }
    return true;
}
