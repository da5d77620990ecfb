// The engine's one-time set-up of its non-DSP state: value sets, descriptors, preset names,
// MIDI settings and tempo. Runs inside the constructor, before any other thread sees the engine.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/PathPermutations.h"
#include "platform/prefs.h"

#include <cstring>

namespace {

// Per file kind: the preference key, the folder below the application folder, and whether an
// empty preference is filled with the default.
struct FolderRow {
    const char* key;
    const char* folder;
    bool storeBack;
};
constexpr FolderRow kFolders[kFolderKinds] = {
    {"ECSDir", "ECS/", true},     {"WaveDir", "Waves/", true},
    {"XYDir", "XY/", true},       {"ArpDir", "Arp/", true},
    {"ModDir", "Mod/", true},     {"SampleDir", "Samples/", true},
    {"EQDir", "EQ/", true},       {"Help", "Manual/Velmora_ZEK2_Manual.pdf", false},
    {"Tuning", "Tuning/", false},
};

} // namespace

std::string* APlugin::folderMember(int kind) {
    std::string* members[kFolderKinds] = {&ecsDir,    &waveDir, &xyDir,    &arpDir,   &modDir,
                                          &sampleDir, &eqDir,   &helpPath, &tuningDir};
    return kind >= 0 && kind < kFolderKinds ? members[kind] : nullptr;
}

const std::string& APlugin::getFolder(int kind) const {
    static const std::string none;
    std::string* member = const_cast<APlugin*>(this)->folderMember(kind);
    return member ? *member : none;
}

void APlugin::initFolders() {
    const std::string base = getApplicationFolder();
    for (int kind = 0; kind < kFolderKinds; ++kind) {
        std::string& folder = *folderMember(kind);
        folder.clear();
        loadStringFromPrefs(kFolders[kind].key, folder, 127);
        // The manual always lives in the application folder, whatever the preference says.
        if (kind == kFolderHelp) folder.clear();
        if (!folder.empty()) continue;
        folder = base + kFolders[kind].folder;
        if (kFolders[kind].storeBack) saveStringToPrefs(kFolders[kind].key, folder);
    }
}

void APlugin::initVariables() {
    for (int t = 0; t < kNumParams; ++t)
        origValues[t] = editValues[t] = lastNotifiedValues[t] = appliedValues[t] =
            currentValues[t] = 0.0f;
    initParameterDescriptors();
    initLockSections();
    initFolders();
    for (int n = 0; n < 128; ++n) tuningNoteTable[n] = static_cast<float>(n);
    initBuiltinPresetNames();

    pendingPresetApply = false;
    editChanged = false;
    editorRefreshPending = false;

    updateMIDIChannel(false);
    for (int cc = 0; cc < 128; ++cc) midiCCMap[cc] = getMIDICC(cc);
    midiLearnTag = -1;
    for (int t = 0; t < kNumParams; ++t) {
        midiCaptureCaught[t] = 0;
        midiCaptureValues[t] = -1.0f;
    }

    tempo = 120.0f;
    tempoDouble = 120.0;
    ratePerTempo = engineRateDouble / tempoDouble;
    samplesPerWholeNoteDouble = engineRateDouble * 240.0 / tempoDouble;
    samplesPerWholeNote = static_cast<float>(samplesPerWholeNoteDouble);

    // Modulators at rest: the matrix stores at their defaults, the global LFOs with symmetry
    // 0.5 and unit gains, the envelopes' gains 1.0, the XY pads' replay restarted.
    initModulation();
    for (GlobalLFOState& lfo : globalLFOs) lfo = GlobalLFOState{};
    for (LFOSettingsMemo& memo : globalLFOMemo) memo = LFOSettingsMemo{};
    for (int env = 0; env < kGlobalEnvs; ++env) initGlobalEnv(env);
    resetXY(0);
    resetXY(1);
    // The shared tables are built by the first engine of the process and only read after.
    tables = &lookupTables();
    static_assert(kUserWaveTables == OSC_BANK_TABLES - OSC_BUILTIN_TABLES, "user wave tables");
    static_assert(kWaveTableSize == OSC_TABLE_SIZE && kLfoShapeSize == LUT_PHASE_SIZE, "sizes");
    static_assert(kBrickCoefFloats == BRICK_FILTER_COEF_FLOATS, "brick coefficient block");
    std::memset(userWaveTables, 0, sizeof(userWaveTables));
    std::memset(userLfoShapes, 0, sizeof(userLfoShapes));
    initBrickFilterCoefficients(brickCoefs, currentValues[tag::BrickFilterFrequency], engineRate);
    std::memset(brickState, 0, sizeof(brickState));
    pathPermutations();
    for (auto& path : pathUnits)
        for (int32_t& unit : path) unit = 0;

    overloadSeen = false;
    autoLimitOn = getRegisterIsOn("AutoLimit", true);
    initModFX(true);
    delayFX.init(engineRate);
}
