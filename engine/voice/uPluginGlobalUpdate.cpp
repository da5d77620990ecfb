// The global control-rate updates (audio thread): every 128 samples the slow one turns modes,
// switches and path orders into engine state; every 16 samples the fast one runs the global
// modulation, envelopes, tempo, arpeggiator, XY pads and ribbon.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/PathPermutations.h"

// The slow control-rate update, every 128 samples: settings whose change needs more than a
// new value take effect here.
void APlugin::setGlobalRare() {
    updateDistortFXMode();
    // The unit at each position of the voice path and the effect chain.
    for (int path = 0; path < PATH_COUNT; ++path)
        pathOrdering(path, pathStepForValue(path, currentValues[PATH_TAGS[path]]), pathUnits[path]);
    // Least form of the modulation-effect step: a new mode starts the effect afresh.
    const int mode = getSteppedValue(tag::ModFxMode);
    if (mode != modFXMode) {
        initModFX(false);
        modFXMode = mode;
    }
}

void APlugin::setGlobalOften() {}

int APlugin::getPortMode() const {
    if (getPlayMode() == 8) return 1;
    return getLockSteppedValue(tag::PortamentoMode);
}
