// Where the engine and its editor are joined: the plug-in's entry point asks here for one
// engine with its editor. The engine's library holds neither this file nor the editor. Called
// on the host's user-interface thread.
#include "editor/ueditor.h"
#include "engine/APlugin.h"

#include <cxxabi.h>

#include <memory>

ZEK2_CATCHES_FORCED_UNWIND AudioEffect* createEffectInstance(audioMasterCallback host) {
    // An exception must never cross into the host: a failed construction is a null answer.
    try {
        auto engine = std::make_unique<APlugin>(host);
        // The engine's base owns the editor and deletes it; the editor's constructor registers
        // it with the base and links it to the engine.
        new uEditor(engine.get());
        return engine.release();
    } catch (abi::__forced_unwind&) {
        throw; // the host's thread ends inside a callback of the construction: let it
    } catch (...) {
        return nullptr;
    }
}
