// Rate set-up of the delay line; called on the host thread when the rate changes.
#include "dsp/TDelay.h"

void TDelay::init(float rate) {
    sampleRate = rate > 0.0f ? rate : 44100.0f;
    tempo = kDefaultTempo;
    samplesPerWholeNote = static_cast<double>(sampleRate) * 240.0 / tempo;
    clear();
}

void TDelay::clear() {
    feedbackState[0] = feedbackState[1] = 0.0f;
}
