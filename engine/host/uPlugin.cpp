// The engine's life: construction, host recognition, sample-rate set-up, suspend and the
// destructor. Called on the host's user-interface thread (the host does not render meanwhile).
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "platform/prefs.h"
#include "platform/strings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

bool APlugin::skipsOffInEnvironment() {
    const char* off = std::getenv("ZEK2_NO_SKIPS");
    return off && off[0] == '1';
}

APlugin::APlugin(audioMasterCallback host) : AudioEffectX(host, kNumPrograms, kNumParams) {
    // Every member above has a zero starting value; the DSP units start at 44,100 Hz.
    for (int v = 0; v < kNumVoices; ++v) {
        initVoiceFilter(v, 44100.0f);
        voiceFilters[v].setFullWork(noSkips);
        voicePreEQ[v].init(44100.0f);
        voicePostEQ[v].init(44100.0f);
    }
    preEQ.init(44100.0f);
    postEQ.init(44100.0f);
    for (TFXFilter& f : fxFilters) f.init(44100.0f);
    distortEQ.init(44100.0f);
    fxFilter5.init(44100.0f);
    modFXDelay.init(44100.0f);
    delayFX.init(44100.0f);

    timeInfo = nullptr;
    isSynth(true);
    editorOpening = false;
    editorOpen = false;
    suspend();

    std::srand(static_cast<unsigned>(std::clock()));
    pendingMidiEvents = 0;
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    recogniseHost();
    setUniqueID(fourCharCode('V', 'Q', 'X', '2'));
    clearMidiQueue();
    editChanged = false;

    // A stored rate one below the first set-up forces every rate-dependent member to be set
    // up once here, and again for whatever rate the host then gives (44,100 included).
    engineRate = 44098.0f;
    tempo = 120.0f;
    tempoDouble = 120.0;
    setSampleRate(44099.0f);

    initVariables();
    buildSampleConvertTables();
    updateEditorScreen();
    pendingPresetApply = false;
    applyingPreset = false;
    builtinPresetIndex = 0;
    // The first preset is loaded now and applied in full at the render's first sample.
    if (presetBank && presetBank->count > 0)
        for (int t = 0; t < kNumParams; ++t)
            editValues[t] = currentValues[t] = programValues.values[t] = presetBank->values[0][t];
    setProgram(0);
}

APlugin::~APlugin() {
    sampleReader.release();
    // The base deletes the editor.
}

void APlugin::clearMidiQueue() {
    for (VstMidiEvent& e : midiEventSlots) {
        std::memset(&e, 0, sizeof(e));
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = kMidiSlotFree;
        e.reserved1 = 99;
    }
    pendingMidiEvents = 0;
    midiSlotHigh = 0;
}

void APlugin::recogniseHost() {
    char product[256] = {};
    char vendor[256] = {};
    // A host may write up to 64 characters; the last byte stays a terminator whatever it does.
    getHostProductString(product);
    getHostVendorString(vendor);
    product[255] = 0;
    vendor[255] = 0;
    upperCase(product);
    upperCase(vendor);

    hostIsNKS =
        std::strncmp(product, "KOMPLETE", 8) == 0 || std::strncmp(product, "MASCHINE", 8) == 0;
    hostIsKore = std::strncmp(product, "KORE", 4) == 0;
    hostIsReaper = std::strcmp(product, "REAPER") == 0;
    hostIsLumera = std::strcmp(product, "VM-LUMERA") == 0;
    hostVendorIsProp = std::strncmp(vendor, "PROP", 4) == 0;
    programsAreChunks(hostIsNKS || hostIsKore || hostIsReaper || hostIsLumera || hostVendorIsProp);
}

void APlugin::setSampleRate(float rate) {
    if (!(rate >= 5.0f && rate <= 500000.0f)) return; // NaN fails here too
    if (std::fabs(engineRate - rate) < 1e-5f) return;

    const double r = rate;
    engineRate = rate;
    engineRateDouble = r;
    doubleRate = static_cast<float>(2.0 * r);
    rateTimes04 = static_cast<float>(0.4 * r);
    inverseRate = static_cast<float>(1.0 / r);
    inverseDoubleRate = static_cast<float>(1.0 / (2.0 * r));
    samplesPerWholeNote = static_cast<float>(r * 240.0 / tempo);
    samplesPerWholeNoteDouble = r * 240.0 / tempoDouble;
    inverseRateDouble = 1.0 / r;
    ratePerTempo = r / tempoDouble;
    ++rateSetups;

    updateBaseNote();

    renderCoefA = static_cast<float>(3.4375 / r);
    renderCoefB = static_cast<float>(6.875 / r);
    lfoRateFactor = 1.71875 / r / 256.0;
    onePoleCoef = static_cast<float>(35.0 / (2.0 * r));
    onePoleComplement = 1.0f - onePoleCoef;

    initModFX(true);
    resetGater();
    delayFX.init(rate);
    // The brick filter's angle depends on the rate as much as on its frequency.
    initBrickFilterCoefficients(brickCoefs, currentValues[tag::BrickFilterFrequency], rate);

    reverbStage.reverbCoefs[0] = static_cast<float>(0.015197279 / r);
    reverbStage.reverbCoefs[1] = static_cast<float>(0.015409426 / r);
    const double lineMs[4] = {4.278032, 17.379171, 63.0, 41.224243};
    for (int i = 0; i < 4; ++i)
        reverbStage.reverbLineStarts[i] = static_cast<float>(r / 1000.0 * lineMs[i]);
    reverb.setSampleRate(rate);
    std::memset(reverbStage.reverbPreDelay, 0, sizeof(reverbStage.reverbPreDelay));

    preEQ.init(rate);
    postEQ.init(rate);
    for (int v = 0; v < kNumVoices; ++v) {
        initVoiceFilter(v, rate);
        voicePreEQ[v].init(rate);
        voicePostEQ[v].init(rate);
        for (stereoStruct& s : voiceStereoStates[v]) s = stereoStruct{};
    }
    distortEQ.init(rate);
    fxFilter5.init(rate);
    modFXDelay.init(rate);
    for (TFXFilter& f : fxFilters) f.init(rate);

    arpModStep = 0;
    arpLedPosition = -1;
    arpPhase = 0.0;

    setEverythingOff(true);
}

void APlugin::suspend() {
    // No block follows until the host resumes: what was asked of the render is done here.
    renderRunning = false;
    serveEngineRequests();
    setEverythingOff(true);
    // Events queued for a stream that stopped must not play into the next one.
    clearMidiQueue();
}
