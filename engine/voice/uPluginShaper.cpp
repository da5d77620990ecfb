// The voice path's waveshaper and low-fi positions and their control-rate coefficients. Called
// on the audio thread by the voice pass and the voice's control-rate update.
#include "engine/APlugin.h"

void APlugin::doWaveShaper() {}

void APlugin::doLowFi() {}
