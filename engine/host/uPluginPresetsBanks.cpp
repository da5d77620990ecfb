// The preset bank that programs are selected from and its names. Set up on the constructing
// thread; a test may install a bank of its own before it selects programs.
#include "engine/APlugin.h"

#include "engine/host/DemoBank.h"
#include "engine/params/ParamTags.h"

#include <cstdio>

#include <cstring>

namespace {

const PresetBank& builtinBank() {
    static const PresetBank bank{DEMO_PRESET_COUNT, DEMOVAR, DEMO_NAMES};
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

// ---------------------------------------------------------------------------------------------
// Browsing the bank (user-interface thread)

bool APlugin::getDemoName(int n, char* buffer) const {
    if (!buffer || n < 0 || n >= builtinPresetCount) return false;
    std::memcpy(buffer, builtinPresetNames[n], kBuiltinPresetNameBytes);
    buffer[kBuiltinPresetNameBytes - 1] = 0;
    return true;
}

void APlugin::loadBankPreset(int n) {
    bool selected = false;
    {
        // One turn with the selection that follows, so no save sees the record between them.
        ProgramTurn turn(*this);
        builtinPresetIndex = n;
        const float* preset = presetBank->values[n];
        // The selection stores the values the voices read, or leaves them to a render running
        // on another thread; only the record is written here.
        for (int t = 0; t < kNumParams; ++t) programValues.values[t] = preset[t];
        selected = loadNamedPreset();
    }
    if (selected) setParameter(tag::ApplyPreset, 1.0f);
}

void APlugin::setDemoProgram(int n) {
    if (n < 0 || n >= builtinPresetCount) return;
    loadBankPreset(n);
}

void APlugin::changeDemoProgramDelta(int delta) {
    if (builtinPresetCount <= 0) return;
    // Widened so that a huge delta cannot overflow; the bank does not wrap.
    long long i = static_cast<long long>(builtinPresetIndex) + delta;
    if (i < 0) i = 0;
    if (i >= builtinPresetCount) i = builtinPresetCount - 1;
    loadBankPreset(static_cast<int>(i));
}

// ---------------------------------------------------------------------------------------------
// Compare and init patch: direct stores, then an engine reset and a screen refresh

void APlugin::requestScreenRefresh() {
    if (EditorLink* open = getOpenEditor()) open->requestScreenRefresh();
}

void APlugin::origProgram() {
    {
        ProgramTurn turn(*this);
        for (int t = 0; t < kNumParams; ++t)
            currentValues[t] = programValues.values[t] = origValues[t];
        // The edited user-wave points are kept aside while the as-loaded sound is heard.
        for (int t = tag::UserWave1First; t < kNumParams; ++t) appliedValues[t] = editValues[t];
    }
    editChanged = false;
    // The compared sound may name another tuning.
    tuningFollower.request();
    requestScreenRefresh();
    reset();
}

void APlugin::editProgram() {
    {
        ProgramTurn turn(*this);
        for (int t = 0; t < kNumParams; ++t)
            currentValues[t] = programValues.values[t] = editValues[t];
        for (int t = tag::UserWave1First; t < kNumParams; ++t)
            editValues[t] = currentValues[t] = programValues.values[t] = appliedValues[t];
    }
    editChanged = true;
    tuningFollower.request();
    reset();
    requestScreenRefresh();
}

void APlugin::clearProgram() {
    {
        ProgramTurn turn(*this);
        for (int t = 0; t < kNumParams; ++t) {
            if (t >= tag::PresetParamFirst && t < tag::PresetParamFirst + tag::PresetParamCount)
                continue; // the name and the preset's text stay
            currentValues[t] = programValues.values[t] = paramDefaults[t];
        }
    }
    editChanged = true;
    requestScreenRefresh();
    reset();
}

void APlugin::doFileCommands(int command) {
    switch (command) {
    case 11:
        origProgram();
        break;
    case 12:
        editProgram();
        break;
    case 13:
        clearProgram();
        break;
    default:
        break;
    }
}

bool APlugin::fileExists(const std::string& path) {
    if (path.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}
