// The modulation effect of the chain (audio thread, once per pass). Until its modes are built
// it passes the frames through unchanged.
#include "engine/APlugin.h"

void APlugin::doFXMod(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
}
