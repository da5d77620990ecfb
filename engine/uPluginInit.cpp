// The engine's one-time set-up of its non-DSP state: value sets, descriptors, preset names,
// MIDI settings and tempo. Runs inside the constructor, before any other thread sees the engine.
#include "engine/APlugin.h"

#include "platform/prefs.h"

#include <cstring>

void APlugin::initVariables() {
    for (int t = 0; t < kNumParams; ++t)
        origValues[t] = editValues[t] = lastNotifiedValues[t] = appliedValues[t] =
            currentValues[t] = 0.0f;
    initParameterDescriptors();
    initLockSections();
    initBuiltinPresetNames();

    pendingPresetApply = false;
    editChanged = false;
    editorRefreshPending = false;

    updateMIDIChannel(false);
    for (int t = 0; t < kNumParams; ++t) {
        midiCaptureCaught[t] = 0;
        midiCaptureValues[t] = -1.0f;
    }

    tempo = 120.0f;
    tempoDouble = 120.0;
    ratePerTempo = engineRateDouble / tempoDouble;
    samplesPerWholeNoteDouble = engineRateDouble * 240.0 / tempoDouble;
    samplesPerWholeNote = static_cast<float>(samplesPerWholeNoteDouble);

    overloadSeen = false;
    autoLimitOn = getRegisterIsOn("AutoLimit", true);
    initModFX(true);
    delayFX.init(engineRate);
}
