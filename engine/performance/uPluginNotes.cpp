// The note road (audio thread). Least forms until it is built: keys start no voice.
#include "engine/APlugin.h"

// Least form: nothing is released.
void APlugin::midiNoteRelease(int, int, int) {}

// Least form: the voice keeps silent.
void APlugin::setNotePressed(int voice, int key, int, float, bool, bool, bool) {
    if (voice >= 0 && voice < kNumVoices) voiceNote[voice] = key;
}

// Least form: voice 0.
int APlugin::getNextCurVoice() {
    currentVoice = 0;
    return 0;
}

void APlugin::setVoiceOff(int voice) {
    if (voice >= 0 && voice < kNumVoices) voicePressed[voice] = 0;
}

void APlugin::setVoiceOn(int voice) {
    if (voice >= 0 && voice < kNumVoices) voicePressed[voice] = 1;
}
