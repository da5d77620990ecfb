// Small resets that bring one unit to rest so that its own update can take over: the
// modulation effect and a global envelope. Called on the thread of their caller (start-up,
// rate change, engine reset, note starts).
#include "engine/APlugin.h"

#include "engine/tables/LookupTables.h"
#include "engine/tables/PathPermutations.h"

namespace {
constexpr int kTapeChorus = 1;
constexpr int kTapeFlanger = 3;
} // namespace

void APlugin::initModFX(bool onlyTapeModes) {
    // Only the tape modes keep rate-dependent lines in the delay unit.
    if (!onlyTapeModes || modFXMode == kTapeChorus || modFXMode == kTapeFlanger) {
        modFXDelay.init(engineRate > 0.0f ? engineRate : 44100.0f);
        ++modFXDelaySetups;
    }
    fxFilter5.reset();
}

void APlugin::initGlobalEnv(int env) {
    if (env < 0 || env >= kGlobalEnvs) return;
    globalEnvs[env] = GlobalEnvState{};
}

int APlugin::getPathUnit(int path, int position) const {
    if (path < 0 || path > 1 || position < 0 || position >= PATH_NUM[path]) return -1;
    return pathUnits[path][position];
}
