// The plug-in's one exported function: the host calls it with its callback and receives the
// engine's effect record, or null when the host is too old or the engine cannot be made.
#include "engine/APlugin.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
    if (!host) return nullptr;
    const HostCancelHold held;
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    AudioEffect* effect = createEffectInstance(host);
    return effect ? effect->getAeffect() : nullptr;
}
