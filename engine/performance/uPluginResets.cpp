// Small resets that bring one unit to rest so that its own update can take over: a global
// envelope. Called on the thread of their caller (start-up, engine reset, note starts).
#include "engine/APlugin.h"

void APlugin::initGlobalEnv(int env) {
    if (env < 0 || env >= kGlobalEnvs) return;
    globalEnvs[env] = GlobalEnvState{};
}
