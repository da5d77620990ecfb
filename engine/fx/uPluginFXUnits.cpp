// The master effect chain's units (audio thread, once per pass). Until each unit does its own
// work it passes its input through unchanged.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

void APlugin::doDistortFX(stereoStruct in0, stereoStruct in1, stereoStruct* out0,
                          stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
}

void APlugin::doFXMod(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
}

void APlugin::doGater(stereoStruct in, stereoStruct* out) {
    *out = in;
}

void APlugin::doDelay(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
}

void APlugin::doReverb(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
}

bool APlugin::getIsPolyGater() const {
    return !getOnOff(tag::ArpOn) && getSteppedValue(tag::GaterMode) != 0;
}

// Least form until the poly gater exists: nothing to restart.
void APlugin::resetGater(int) {}
