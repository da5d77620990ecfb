// The preset bank that programs are selected from and its names. Set up on the constructing
// thread; a test may install a bank of its own before it selects programs.
#include "engine/APlugin.h"

#include "engine/ParameterTable.h"

#include <cstring>
#include <mutex>

namespace {

// Until the factory bank is compiled in, the bank is one preset of the parameter defaults.
const PresetBank& builtinBank() {
    static float values[1][kNumParams];
    static const char* const names[1] = {""};
    static PresetBank bank{1, values, names};
    static std::once_flag once;
    std::call_once(once, [] {
        ParamDef def;
        for (int t = 0; t < kNumParams; ++t) {
            defaultParamDef(t, def);
            values[0][t] = def.defaultValue;
        }
        forEachParamDef([](const ParamDef& d) { values[0][d.tag] = d.defaultValue; });
    });
    return bank;
}

} // namespace

void APlugin::initBuiltinPresetNames() {
    usePresetBank(builtinBank());
}

void APlugin::usePresetBank(const PresetBank& bank) {
    presetBank = &bank;
    std::memset(builtinPresetNames, 0, sizeof(builtinPresetNames));
    builtinPresetCount = bank.count < kBuiltinPresetSlots ? bank.count : kBuiltinPresetSlots;
    for (int k = 0; k < builtinPresetCount; ++k) {
        std::strncpy(builtinPresetNames[k], bank.names[k], kBuiltinPresetNameBytes - 1);
        builtinPresetNames[k][kBuiltinPresetNameBytes - 1] = 0;
    }
    if (builtinPresetIndex >= builtinPresetCount) builtinPresetIndex = 0;
}
