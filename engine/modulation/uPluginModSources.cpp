// The writers of the modulation sources and the reset of a voice's destinations. Audio thread
// (MIDI dispatch, render loop, note starts).
#include "engine/APlugin.h"

namespace {
constexpr int kFirstSource = 1;
constexpr int kLastSource = 105;
bool isWritableSource(int src) {
    return src >= kFirstSource && src <= kLastSource;
}
} // namespace

void APlugin::setModSrc(int src, float value, bool global) {
    if (!isWritableSource(src)) return;
    for (int v = 0; v < kNumVoices; ++v) voiceSource[v][src] = value;
    if (global) lastVoiceSource[src] = value;
}

void APlugin::setModSrc(int src, float value, int channel) {
    if (!isWritableSource(src)) return;
    if (getPlayMode() != 1) {
        for (int v = 0; v < kNumVoices; ++v) voiceMidiSource[v][src] = value;
        return;
    }
    for (int v = 0; v < kNumVoices; ++v)
        if (voiceChannel[v] == channel) voiceMidiSource[v][src] = value;
    if (channel >= 0 && channel < 16) channelMidiSource[channel][src] = value;
}

void APlugin::setModSrc(int voice, int src, float value) {
    if (!isWritableSource(src) || voice < 0 || voice >= kNumVoices) return;
    voiceSource[voice][src] = value;
}

// Least form until the slot table exists: every destination returns to its default.
void APlugin::setDefaultVoiceMod(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    for (int d = 0; d < 323; ++d) voiceDest[voice][d] = voiceDestDefault[d];
}

// Least form until the slot table exists: the voice starts from its default destinations.
void APlugin::setVoiceModNoteStart(int) {}

// Least form until the global LFOs run: no global source moves.
void APlugin::doGlobalSources() {}
