// The render loop (host audio thread): for now it consumes MIDI at sample accuracy and writes
// silence; both outputs are always fully written, whatever the block length.
#include "engine/APlugin.h"

void APlugin::renderSilence(float** outputs, VstInt32 from, VstInt32 to) {
    for (int channel = 0; channel < 2; ++channel) {
        float* out = outputs[channel];
        if (!out) continue;
        for (VstInt32 i = from; i < to; ++i) out[i] = 0.0f;
    }
}

void APlugin::processReplacing(float**, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || sampleFrames < 1) return;
    timeInfo = getTimeInfo(kVstTempoValid | kVstPpqPosValid);
    for (VstInt32 i = 0; i < sampleFrames && pendingMidiEvents > 0; ++i) processMidi(i);
    renderSilence(outputs, 0, sampleFrames);
}

void APlugin::__processDeprecated(float**, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || sampleFrames < 1) return;
    for (VstInt32 i = 0; i < sampleFrames; ++i)
        if (pendingMidiEvents > 0) processMidi(i);
    renderSilence(outputs, 0, sampleFrames);
}
