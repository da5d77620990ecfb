// Least forms of the voice-side modulation services the voices call, until the modulation
// units land: LFOs and the matrix stand still, the XY pads sit at their tags, pink noise is
// white.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

void APlugin::setVoiceLFO(int, int) {}

void APlugin::setVoiceMod(int) {}

void APlugin::getXYValue(int pad, int, float& x, float& y) {
    x = currentValues[pad == 0 ? tag::Osc1ZekX : tag::Osc2ZekX];
    y = currentValues[pad == 0 ? tag::Osc1ZekY : tag::Osc2ZekY];
}

float APlugin::doPinkNoise(int, int, int) {
    const uint32_t t = RandSeed * 16807u;
    RandSeed = t + 1;
    return static_cast<float>(static_cast<int32_t>(t)) * 4.656612873e-10f;
}
