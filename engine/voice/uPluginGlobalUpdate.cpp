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
    setFXRare();
    // Global LFO settings, the modulation slot table and its in-use flags.
    setModRare();
    updateArpRare();
}

void APlugin::setGlobalOften() {
    // The global modulation first: every later step reads its destinations.
    setGlobalMod();
    updateArpClock();
    updateXYPads();
    updateArpOften();
    updateRibbon();
    setFXOften();
}

int APlugin::getPortMode() const {
    if (getPlayMode() == 8) return 1;
    return getLockSteppedValue(tag::PortamentoMode);
}
