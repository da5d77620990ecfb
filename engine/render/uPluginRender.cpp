// The render loop (host audio thread). Every sample offers the MIDI queue its turn; every
// 4,096 samples the pending editor refresh and program change are served. While a program
// waits or is applied the two stored output frames repeat; otherwise the output is silent
// until the voices render. Both outputs are always fully written.
#include "engine/APlugin.h"

#include "dsp/DenormalGuard.h"
#include "platform/prefs.h"

void APlugin::renderSilence(float** outputs, VstInt32 from, VstInt32 to) {
    for (int channel = 0; channel < 2; ++channel) {
        float* out = outputs[channel];
        if (!out) continue;
        for (VstInt32 i = from; i < to; ++i) out[i] = 0.0f;
    }
}

void APlugin::processReplacing(float**, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames < 1) return;
    DenormalGuard denormals;
    timeInfo = getTimeInfo(kVstTempoValid | kVstPpqPosValid);
    float* left = outputs[0];
    float* right = outputs[1];

    if (applyingPreset) {
        // Muted: MIDI is still consumed, nothing else runs.
        for (VstInt32 i = 0; i < sampleFrames; ++i) {
            if (pendingMidiEvents > 0) processMidi(i);
            left[i] = right[i] = 0.0f;
        }
        sampleCounter += static_cast<uint32_t>(sampleFrames);
        return;
    }

    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        if (pendingMidiEvents > 0) processMidi(i);
        // The auto-limit switch is read from its lock-free mirror, never from the file.
        if ((sampleCounter & 16383u) == 0)
            autoLimitOn = getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true);
        if ((sampleCounter & 4095u) == 0) {
            if (editorRefreshPending) updateEditorScreen();
            if (pendingPresetApply) setPresetParameters();
        }
        if (!(applyingPreset || pendingPresetApply) && (sampleCounter & 127u) == 0) setGlobalRare();
        if (!(applyingPreset || pendingPresetApply) && oddSample == 0) {
            // The pass that renders two frames; no voices sound yet.
            outputFrames[0] = stereoStruct{};
            outputFrames[1] = stereoStruct{};
        }
        left[i] = outputFrames[oddSample].left;
        right[i] = outputFrames[oddSample].right;
        oddSample = 1 - oddSample;
        ++sampleCounter;
    }
}

void APlugin::__processDeprecated(float**, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames < 1) return;
    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        if (pendingMidiEvents > 0) processMidi(i);
        outputs[0][i] = outputs[1][i] = 0.0f;
    }
}
