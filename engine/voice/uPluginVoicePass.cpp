// The voices' share of a render pass (audio thread): every voice the render loop collected is
// updated at control rate, runs its oscillators and its six path positions, and is summed.
#include "engine/APlugin.h"

// Until the voices make sound the pass leaves a silent sum.
void APlugin::renderVoices() {
    voiceSum[0] = voiceSum[1] = stereoOverStruct{};
}

// Least form until the voices keep oscillator, envelope and stage state: nothing to restart.
void APlugin::restartVoice(int) {}
