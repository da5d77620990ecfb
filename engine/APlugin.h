// The one engine object of a plug-in instance. It holds all synthesis state inline, as fixed
// arrays indexed by tag, voice, slot or pad, so nothing is allocated on the audio path. The
// host's user-interface thread constructs, configures and deletes it; the audio thread renders.
// The member functions live in the uPlugin* units, split by concern.
#pragma once

#include "dsp/StereoTypes.h"
#include "dsp/TBasicReverb.h"
#include "dsp/TDelay.h"
#include "dsp/TFXFilter.h"
#include "dsp/TFilter.h"
#include "dsp/TParaEQ.h"
#include "dsp/TSample.h"
#include "engine/voice/VoiceState.h"
#include "vst2/AudioEffectX.h"

#include <atomic>
#include <cstdint>
#include <string>

class uEditor;

constexpr int kNumParams = 2048;
constexpr int kNumPrograms = 1;
constexpr int kNumVoices = 16;
constexpr int kMidiQueueSlots = 250; // slots 1..250; slot 0 is never used
constexpr VstInt32 kMidiSlotFree = -99;
constexpr int kProgramNameBytes = 32;
constexpr int kPresetNameChars = 28; // tags 210..237
constexpr int kBuiltinPresetSlots = 256;
constexpr int kBuiltinPresetNameBytes = 64;
constexpr int kReverbPreDelaySamples = 131072;
constexpr int kVoiceStereoStates = 6;

// File kinds with a folder of their own, in the order the preferences list them.
enum FolderKind {
    kFolderECS,
    kFolderWave,
    kFolderXY,
    kFolderArp,
    kFolderMod,
    kFolderSample,
    kFolderEQ,
    kFolderHelp,
    kFolderTuning,
    kFolderKinds
};

// Lock sections and their states.
constexpr int kLockNone = 0, kLockPlay = 1, kLockArp = 2;
constexpr int kLockFree = 0, kLockLocked = 1, kLockSet = 2;

struct LookupTables;

// Running state of one global LFO.
struct GlobalLFOState {
    double phase = 0.0;
    double stepPhase = 0.0;
    float rateFactor = 1.0f;
    float output = 0.0f;
    float previousOutput = 0.0f;
    float heldStep = 0.0f;
    float fourth = 0.0f;
    float symmetry = 0.5f;
    float phaseOffset = 0.0f;
    float polarityGain = 1.0f;
    float stepGain = 1.0f;
};

// Running state of one LFO of one voice; a negative delay counter is the start delay.
struct VoiceLFOState {
    double phase = 0.0;
    float outputs[3] = {};
    float held = 0.0f;
    float factors[2] = {1.0f, 1.0f};
    int32_t delayCounter = 0;
};

// Replay state of one XY pad.
struct XYReplayState {
    bool flags[5] = {};
    int32_t counters[2] = {};
    double replayValues[3] = {0.0, 0.0, 1.0};
    double records[16][4] = {};
};

// Running state of one global envelope.
struct GlobalEnvState {
    float level = 0.0f;
    float gains[2] = {1.0f, 1.0f};
    float stages[4] = {};
};

constexpr int kGlobalLFOs = 4;
constexpr int kVoiceLFOs = 4;
constexpr int kGlobalEnvs = 8;
constexpr int kModDestSlots = 324; // destinations 0..322, and 323 which tag 367 names

// A bank of presets, each 2048 values in tag order; names are also carried in tags 210..237.
struct PresetBank {
    int count;
    const float (*values)[2048];
    const char* const* names;
};

// One program: 2048 values in tag order, then a NUL-terminated name; also the state chunk.
struct programStruct {
    float values[kNumParams];
    char name[kProgramNameBytes];
};
static_assert(sizeof(programStruct) == 8224, "the program record is the chunk layout");

class APlugin : public AudioEffectX {
public:
    explicit APlugin(audioMasterCallback host);
    ~APlugin() override;

    APlugin(const APlugin&) = delete;
    APlugin& operator=(const APlugin&) = delete;

    // Host interface -------------------------------------------------------------------------
    void suspend() override;
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void __processDeprecated(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    VstInt32 processEvents(VstEvents* events) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;

    // Performance services -------------------------------------------------------------------
    void setEverythingOff(bool full);
    void reset();
    void setGlobalRare();
    void turnAllVoicesOff();
    void processMidi(long sample);
    int updateBaseNote();
    void updateMIDIChannel(bool force);
    void initArp(bool clearHeld);
    void initModFX(bool onlyTapeModes);
    void resetXY(int pad);
    static bool isValidModSlot(int slot) { return static_cast<unsigned>(slot) < 16; }
    int getDestTypeForSlot(int slot) const;
    int getRibbonQuant() const;
    int getRibbonSpringTime() const;
    void setRibbbonSpringOff() { ribbonSpringActive = 0; }
    void setRibbonSpringOn();
    int getXYRecordMode(int pad) const;
    void changeUserWaveDelta(int wave, int delta);
    void resetGlobalLFO(int lfo);
    void resetVoiceLFO(int voice, int lfo);
    void initGlobalEnv(int env);
    // The modulation matrix's current value of a destination (0 outside the table).
    float getModDestValue(int dest) const;
    void setModDestValue(int dest, float value);
    const VoiceLFOState& getVoiceLFO(int voice, int lfo) const {
        return voiceLFOs[voice & 15][lfo & 3];
    }
    int getPathUnit(int path, int position) const;
    void resetGater();

    // State chunk and host queries ----------------------------------------------------------
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    VstInt32 canDo(char* text) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool beginEdit(VstInt32 index) override;
    bool endEdit(VstInt32 index) override;
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    bool getVendorSpecificPropertyInfo(unsigned id, unsigned long& size, bool& flag);
    bool getVendorSpecificProperty(unsigned id, void* out);
    bool setVendorSpecificProperty(unsigned, const void*, unsigned long) { return false; }
    bool notifyNKSHost(int id, void* data, unsigned long size);
    virtual float getVu() { return 0.0f; }

    // Parameter and program entry ----------------------------------------------------------
    void setPresetParameters();
    bool getIsSettingPreset() const;
    bool getEditChanged() const { return editChanged; }
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    void setProgramName(char*) override {}
    void unSelectThenSetProgram() { setProgram(0); }
    // The bank that programs are selected from; the built-in bank unless a test installs one.
    void usePresetBank(const PresetBank& bank);
    const PresetBank& getPresetBank() const { return *presetBank; }
    int getBuiltinPresetIndex() const { return builtinPresetIndex; }
    int getBuiltinPresetCount() const { return builtinPresetCount; }

    // Built-in bank: browsing, compare and init patch (user-interface thread) -----------------
    bool getDemoName(int n, char* buffer) const;
    void setDemoProgram(int n);
    void changeDemoProgramDelta(int delta);
    void origProgram();
    void editProgram();
    void clearProgram();
    void doFileCommands(int command);
    static bool fileExists(const std::string& path);

    // Parameter model ------------------------------------------------------------------------
    bool isValidTag(int tag) const { return static_cast<unsigned>(tag) < kNumParams; }
    static int getSteppedValue(float value, float range, int num);
    int getSteppedValue(int tag, float range, int num) const;
    int getSteppedValue(int tag) const;
    int getSteppedValue(int tag, float value) const;
    void setSteppedValue(int tag, int index, float range, int num);
    void setSteppedValue(int tag, int index);
    void setSteppedValueMax(int tag);
    float getSteppedRange(int tag) const {
        return isValidTag(tag) ? paramSteppedRanges[tag] : 1.0f;
    }
    int getSteppedNum(int tag) const { return isValidTag(tag) ? paramSteppedNums[tag] : -1; }
    static bool getOnOff(float value) { return value >= 0.5f; }
    bool getOnOff(int tag) const { return isValidTag(tag) && currentValues[tag] >= 0.5f; }
    void setOnOff(int tag, bool on);
    void setOn(int tag) { setOnOff(tag, true); }
    void setOff(int tag) { setOnOff(tag, false); }
    void toggleValue(int tag);
    void setToDefault(int tag);
    void setToDefaultRange(int first, int last);
    float getDefaultValue(int tag) const { return isValidTag(tag) ? paramDefaults[tag] : 0.0f; }
    float getOrigValue(int tag) const { return isValidTag(tag) ? origValues[tag] : 0.0f; }
    void setToOrig(int tag);
    void setZeroValue(int tag);
    void copyParameter(int from, int to);
    void copyParameterRange(int from, int to, int count);
    void copyParameterToRange(int from, int first, int last);
    void swapParameter(int a, int b);
    void swapParameterRange(int a, int b, int count);
    int getDestForTag(int tag) const { return isValidTag(tag) ? paramModDests[tag] : 0; }
    bool getHasTagToDest(int tag) const;
    void setRandomValue(int tag, bool force);
    std::string getStringFromParamStr(int firstTag, int count) const;
    void setStringFromParam(const std::string& text, int firstTag, int count);
    bool isEditorOpen() const;
    void updateEditorScreen();
    void setParameterVars(int tag, float defaultValue, bool onOff, float steppedRange,
                          int steppedNum, int modDest, int displayType, const std::string& name,
                          float zero);
    void initVariables();

    // Parameter value text, names and labels -------------------------------------------------
    // The host's text queries: at most kVstExtMaxParamStrLen - 1 characters and the terminator
    // reach the host's buffer; the string forms keep the whole text.
    void getParameterDisplay(VstInt32 tag, char* text) override;
    void getParameterName(VstInt32 tag, char* name) override;
    void getParameterLabel(VstInt32 tag, char* label) override;
    std::string getParameterNameStr(int tag);
    std::string getParameterDisplayStr(int tag);
    // Number texts: a point as decimal separator whatever the process locale; a value that is
    // not finite reads as 0, and the 0..1 controls of the time and frequency texts are held to
    // 0..1.
    static std::string getFloatStr(float value, int decimals);
    std::string getDBStr(int tag, float scale, float offset) const;
    static std::string getDBStr(float value, float scale, float offset);
    static std::string getFilterFreqStr(float value);
    static std::string getEnvLenStr(float value, bool flag, bool synced, bool endless);
    static std::string getEnvLenStr(float value, bool flag);
    static std::string getFadeLenStr(float value, float sustain, bool synced);
    static std::string getFadeLenStr(float value, float sustain);
    std::string getLFOSpeedStr(int tag, bool synced) const;
    std::string getLFOSpeedStr(int tag, float divisor, float octaves, bool offAllowed) const;
    // The applied distortion-FX mode (0..26) that names the distortion-FX knobs and the
    // destinations 171..178; updateDistortFXMode takes it from tag 339, for the slow
    // control-rate update and the engine reset.
    int getDistortFXMode() const { return distortFXMode; }
    void updateDistortFXMode();

private:
    std::string parameterNameText(int tag) const;
    std::string parameterDisplayText(int tag);
    std::string displayTypeText(int tag, int type, float v);
    std::string perTagText(int tag, float v);
    std::string filterVowelText(float v) const;
    std::string distortVarText(int tag, float v);
    std::string modAmountText(int destTag, float v) const;
    std::string modDestText(int dest) const;
    float textValue(int tag) const;
    int textIndex(int tag) const;
    int textLockIndex(int tag) const;

    // Applied distortion-FX mode, 0..26 (see getDistortFXMode).
    int32_t distortFXMode = 0;

public:
    // Numeric entry and delta stepping --------------------------------------------------------
    // Typed entry of one value through a modal input box that names the parameter, states the
    // accepted range and holds the current value; the typed number, in the unit of the value
    // text, is converted back to 0..1 and written. Cancel, an empty answer and text without a
    // number change nothing. User-interface thread only.
    void setNumValue(int tag);
    void setNumPer(int tag, bool bipolar);
    void setNumVol(int tag, float scale, float offset, const std::string& prompt);
    void setNumFilter(int tag);
    void setNumSpeed(int tag, bool synced);
    void setNumLowFi(int tag, bool rate);
    void setNumStepped(int tag, float range, int count);
    // `names` holds at least `count` entries.
    void setNumSteppedStr(int tag, float range, int count, const char* const* names);
    // A modulation slot's amount or offset (slot 0..15), typed in its destination's unit.
    void setModValue(int tag, int slot);
    // Moves a value by `delta` steps: whole steps of a stepped tag (never wrapping), on or off
    // by the sign for a switch, delta x scale x (fine ? 0.001 : 0.01) of a continuous one.
    void changeDelta(int tag, int delta, bool fine, float scale);

    // The entry buffer: 255 bytes of text and the terminator; the title keeps 127 bytes.
    static constexpr int kEntryTextBytes = 256;
    static constexpr int kEntryTitleChars = 127;
    // The decimal number (or, for the integer form, the integer part) at the start of a typed
    // text, read with '.' as the point whatever the locale; `strip` first keeps only digits,
    // signs and points. False when there is no number; integers saturate at +-1e9.
    static bool entryNumber(const char* text, bool strip, double& x);
    static bool entryInteger(const char* text, bool strip, int& n);

private:
    // The input-box cycle: false when the user cancelled or left the text empty.
    bool askEntry(int tag, const std::string& prompt, const std::string& initial,
                  char (&text)[kEntryTextBytes]);
    // Writes a converted value through setParameter, held to 0..1; NaN writes nothing.
    void writeEntry(int tag, double value);
    bool setNumSequenceA(int tag);
    bool setNumEffect(int tag);
    void setNumDistortion(int tag, int knob, int mode);
    void setNumModFX1(int tag);
    void setNumDelayTime(int tag);
    void setNumByDisplayType(int tag);
    void setNumEnvTime(int tag);
    void setNumOnOff(int tag);

public:
    // Lock sections ---------------------------------------------------------------------------
    static bool validLockSection(int section) {
        return section == kLockPlay || section == kLockArp;
    }
    void setLockState(int section, int state);
    int getLockState(int section) const;
    int getLockedSectionForTag(int tag) const;
    bool getTagLocked(int tag) const;
    float getLockVar(int tag) const;
    bool getLockVarOnOff(int tag) const { return getLockVar(tag) >= 0.5f; }
    int getLockSteppedValue(int tag) const;
    void setLockVar(int tag, float value);
    bool getPlayLocked() const { return lockStates[kLockPlay] != kLockFree; }
    bool getArpLocked() const { return lockStates[kLockArp] != kLockFree; }
    bool getArpOrPlayLocked() const { return getPlayLocked() || getArpLocked(); }

    // Descriptor reads for the host texts, the editor and the tests.
    float getCurrentValue(int tag) const { return isValidTag(tag) ? currentValues[tag] : 0.0f; }
    int getDisplayType(int tag) const { return isValidTag(tag) ? paramDisplayTypes[tag] : 25; }
    bool getIsOnOff(int tag) const { return isValidTag(tag) && paramIsOnOff[tag]; }
    bool getCountsAsEdit(int tag) const { return isValidTag(tag) && paramCountsAsEdit[tag]; }
    bool getNotifiesEditor(int tag) const { return isValidTag(tag) && paramNotifiesEditor[tag]; }
    const std::string& getParamName(int tag) const;
    float getZeroValue(int tag) const { return isValidTag(tag) ? paramZeroValues[tag] : 0.0f; }
    float getRandomMax(int tag) const { return isValidTag(tag) ? paramRandomMax[tag] : 1.0f; }
    bool getRandomizable(int tag) const { return isValidTag(tag) && paramRandomizable[tag]; }
    int getPlayMode() const;
    bool getEditorRefreshPending() const { return editorRefreshPending; }
    bool getPendingPresetApply() const { return pendingPresetApply; }

    // Read-only views used by the tests and the editor ---------------------------------------
    float getEngineRate() const { return engineRate; }
    double getTempo() const { return tempoDouble; }
    int getPendingMidiEvents() const { return pendingMidiEvents; }
    const VstMidiEvent& getMidiEventSlot(int slot) const { return midiEventSlots[slot]; }
    bool getHostIsNKS() const { return hostIsNKS; }
    bool getHostIsReaper() const { return hostIsReaper; }
    bool getHostIsLumera() const { return hostIsLumera; }
    bool getHostVendorIsProp() const { return hostVendorIsProp; }
    int getRateSetups() const { return rateSetups; }
    const std::string& getFolder(int kind) const;
    int getMidiInChannel() const { return midiInChannel; }
    int getMidiOutChannel() const { return midiOutChannel; }
    bool getAutoLimitOn() const { return autoLimitOn; }
    double getBasePitchFactor() const { return basePitchFactor; }

private:
    void recogniseHost();
    void clearMidiQueue();
    void renderSilence(float** outputs, VstInt32 from, VstInt32 to);
    void initParameterDescriptors();
    void initLockSections();
    void initFolders();
    std::string* folderMember(int kind);
    programStruct* chunkStagingFor(bool isPreset);
    void restoreProgramRecord();
    void loadBankPreset(int n);
    void requestScreenRefresh();
    void initBuiltinPresetNames();
    int findPresetByName(int* indexOut) const;
    void decodePresetName(char (&name)[kPresetNameChars + 1]) const;
    void pushToEditor(int tag, float value);

    // Parameter descriptors, per tag.
    float paramDefaults[kNumParams] = {};
    int32_t paramDisplayTypes[kNumParams] = {};
    int32_t paramSteppedNums[kNumParams] = {};
    float paramSteppedRanges[kNumParams] = {};
    float paramZeroValues[kNumParams] = {};
    uint8_t paramCountsAsEdit[kNumParams] = {};
    uint8_t paramIsOnOff[kNumParams] = {};
    int32_t paramModDests[kNumParams] = {};
    std::string paramNames[kNumParams];
    uint8_t paramNotifiesEditor[kNumParams] = {};
    float paramRandomMax[kNumParams] = {};
    uint8_t paramRandomizable[kNumParams] = {};

    // MIDI event queue: records whose deltaFrames is kMidiSlotFree are empty.
    int32_t pendingMidiEvents = 0;
    VstMidiEvent midiEventSlots[kMidiQueueSlots + 1] = {};
    int32_t midiInChannel = -1;
    int32_t midiOutChannel = -1;

    // Host time, null until the host first supplies it.
    VstTimeInfo* timeInfo = nullptr;

    // Chunk staging: bank form and program form of the state chunk.
    programStruct chunkBank = {};
    programStruct chunkProgram = {};

    // Host recognition, set once by the constructor.
    bool hostIsNKS = false;
    bool hostIsReaper = false;
    bool hostIsLumera = false;
    bool hostVendorIsProp = false;
    bool hostIsKore = false;

    // Requests that cross threads: raised by any thread, consumed by the render loop.
    std::atomic<bool> pendingPresetApply{false};
    std::atomic<bool> applyingPreset{false};
    std::atomic<bool> editChanged{false};
    std::atomic<bool> editorRefreshPending{false};

    // Value sets, per tag.
    float origValues[kNumParams] = {};
    float editValues[kNumParams] = {};
    float lastNotifiedValues[kNumParams] = {};
    float appliedValues[kNumParams] = {};
    float currentValues[kNumParams] = {};
    float lockValues[kNumParams] = {};

    // MIDI capture (soft take-over of learnt controllers).
    uint8_t midiCaptureCaught[kNumParams] = {};
    float midiCaptureValues[kNumParams] = {};

    // Timing: the engine keeps its own rate; the base's sampleRate stays at its default.
    float engineRate = 0.0f;
    double engineRateDouble = 0.0;
    float doubleRate = 0.0f;        // the voices run at twice the rate
    float rateTimes04 = 0.0f;       // 0.4 x rate
    float inverseRate = 0.0f;       // 1 / rate
    float inverseDoubleRate = 0.0f; // 1 / (2 x rate)
    double inverseRateDouble = 0.0;
    double ratePerTempo = 0.0; // rate / tempo
    float tempo = 0.0f;
    double tempoDouble = 0.0;
    float samplesPerWholeNote = 0.0f;
    double samplesPerWholeNoteDouble = 0.0;
    double basePitchFactor = 0.0;
    float renderCoefA = 0.0f;       // 3.4375 / rate
    float renderCoefB = 0.0f;       // 6.875 / rate
    double lfoRateFactor = 0.0;     // 1.71875 / rate / 256
    float onePoleCoef = 0.0f;       // 35 / (2 x rate)
    float onePoleComplement = 0.0f; // 1 - onePoleCoef
    float reverbCoefs[2] = {};
    float reverbLineStarts[4] = {};
    int rateSetups = 0; // accepted rate changes, for diagnostics

    // Per-voice state, indexed by voice.
    stereoStruct voiceStereoStates[kNumVoices][kVoiceStereoStates] = {};
    int32_t currentVoice = 0;
    int32_t lastStartedVoice = 0;
    int32_t noteStack[100] = {};
    int32_t noteStackTop = -1;
    int32_t lastNote = -1;
    double previousNotePitch = -10.0;

    // Arpeggiator modulation state.
    int32_t arpModStep = 0;
    int32_t arpLedPosition = -1;
    double arpPhase = 0.0;

    // DSP members.
    TFilter voiceFilters[kNumVoices];
    TParaEQ preEQ;
    TParaEQ postEQ;
    TUniParaEQ voicePreEQ[kNumVoices];
    TUniParaEQ voicePostEQ[kNumVoices];
    TFXFilter fxFilters[4];
    TParaEQ distortEQ;
    TFXFilter fxFilter5;
    TDelay modFXDelay;
    TDelay delayFX;
    TBasicReverb reverb;
    float reverbPreDelay[kReverbPreDelaySamples] = {};

    // The one program record.
    programStruct programValues = {};

    // Folders per file kind and the manual.
    std::string ecsDir, waveDir, xyDir, arpDir, modDir, sampleDir, eqDir, tuningDir;
    std::string helpPath;

    // Tuning: the pitch of each MIDI note in semitones, and the tuning loader's text buffer.
    float tuningNoteTable[128] = {};
    char tuningText[65536] = {};

    // The parameter tag learnt for each MIDI controller number (0 none).
    int32_t midiCCMap[128] = {};
    int32_t midiLearnTag = -1;

    // Editor state, kept by the editor's open and close.
    std::atomic<bool> editorOpening{false};
    std::atomic<bool> editorOpen{false};

    // Lock sections.
    int32_t lockSections[kNumParams] = {};
    int32_t lockStates[3] = {};

    // Sample import.
    TSample sampleReader;

    // Auto-limit.
    std::atomic<bool> autoLimitOn{true};
    bool overloadSeen = false;

    // Built-in bank names.
    const PresetBank* presetBank = nullptr;
    char builtinPresetNames[kBuiltinPresetSlots][kBuiltinPresetNameBytes] = {};
    int32_t builtinPresetCount = 0;
    int32_t builtinPresetIndex = 0;

    // Render loop state.
    uint32_t sampleCounter = 0;
    int oddSample = 0;
    stereoStruct outputFrames[2] = {};

    // Per-voice and performance fields the preset application sets.
    uint8_t arpKeyEntryOn = 0;
    int32_t arpEntryStep = 0;
    int32_t noteStartCounter = 0;
    double voiceStartStamps[kNumVoices] = {};
    int32_t activeVoiceCount = 0;
    int32_t activeVoices[kNumVoices] = {};
    float xyPadX[2] = {};
    float xyPadY[2] = {};
    float xyModValues[64] = {};
    float globalLfoState[8] = {};
    float ribbonPosition = 0.0f;
    float ribbonTarget = 0.0f;
    int32_t ribbonSpringCountdown = -1;
    uint8_t ribbonSpringActive = 0;
    int32_t playModeState = 0;
    int32_t arpActiveState = 0;
    int32_t userWavePresetNumbers[2] = {-1, -1};

    // Shared tables, built once per process.
    const LookupTables* tables = nullptr;

    // Tables of this instance that the sound rewrites: the two user waves' band-limited tables
    // and the preview wave (they follow the shared bank's built-in tables), the user waves as
    // LFO shapes, and the brick filter's coefficient block and state.
    static constexpr int kUserWaveTables = 69;
    static constexpr int kWaveTableSize = 4096;
    static constexpr int kLfoShapeSize = 65536;
    static constexpr int kBrickCoefFloats = 20;
    float userWaveTables[kUserWaveTables][kWaveTableSize] = {};
    float userLfoShapes[2][kLfoShapeSize] = {};
    float brickCoefs[kBrickCoefFloats] = {};
    float brickState[16] = {};

    // Modulators and their replay state.
    GlobalLFOState globalLFOs[kGlobalLFOs];
    VoiceLFOState voiceLFOs[kNumVoices][kVoiceLFOs];
    XYReplayState xyReplay[2];
    double xyReplayFactor = 1.0;
    GlobalEnvState globalEnvs[kGlobalEnvs];
    float modDestValues[kModDestSlots] = {};
    int32_t modFXMode = 0;
    int32_t pathUnits[2][6] = {};

    // Gater position.
    double gaterPosition = 0.0;

    // ========================================================================================
    // The sound engine, one region per unit group. Each group adds its members in its own
    // region only, so that work on different units never touches the same lines.
    // ========================================================================================

public:
    // ---- Shared voice state: read and written by every voice unit -------------------------
    // A voice is busy while it is pressed or its level is above 1e-5.
    uint8_t voicePressed[kNumVoices] = {};
    uint8_t voiceFastFade[kNumVoices] = {};
    uint8_t voiceIsNew[kNumVoices] = {};
    uint8_t voiceSustained[kNumVoices] = {};
    int32_t voiceNote[kNumVoices] = {};
    int32_t voiceChannel[kNumVoices] = {}; // Poly MPE channel, -1 none
    int32_t voicePassCount[kNumVoices] = {};
    uint64_t voiceStartStamp[kNumVoices] = {}; // sampleClock when the voice started
    float voiceLevel[kNumVoices] = {};         // interpolated amp-envelope output
    int32_t lastVoice = 0;                     // newest busy voice
    int32_t oldestVoice = 0;                   // oldest busy voice
    // Sub-voice slots: slot = 6 x voice + unison index.
    static constexpr int kSubVoicesPerVoice = 6;
    static constexpr int kSubVoiceSlots = kNumVoices * kSubVoicesPerVoice;
    int32_t voiceSlots[kNumVoices][8] = {};
    int32_t subVoiceList[3][kSubVoiceSlots] = {}; // slot, voice, unison index
    int32_t subVoiceCount = 0;
    stereoOverStruct pathIn[kSubVoiceSlots][2] = {};
    stereoOverStruct pathOut[kSubVoiceSlots][2] = {};
    stereoOverStruct voiceSum[2] = {};
    // Modulation stores, indexed by SRC_STR and DEST_STR entries.
    float voiceSource[kNumVoices][512] = {};
    float lastVoiceSource[323] = {};
    float voiceDest[kNumVoices][512] = {};
    float globalDest[323] = {};
    float voiceDestDefault[512] = {};
    float globalDestDefault[323] = {};
    // The engine's own random generator, seeded per instance.
    uint32_t RandSeed = 1;
    // Pitch and controllers of each voice, written by the note road and MIDI handling, read by
    // the voice update. Pitches in octaves relative to key 57.
    float voiceTargetPitch[kNumVoices] = {};
    float voiceGlidePitch[kNumVoices] = {};
    float voiceGlideStep[kNumVoices] = {};
    float voiceGlideSign[kNumVoices] = {};
    float voiceVelocity[kNumVoices] = {};     // 0..1, after the velocity curve
    float voiceVelocityGain[kNumVoices] = {}; // "Velocity > Volume" applied
    float voicePitchBend[kNumVoices] = {};
    float voiceModWheel[kNumVoices] = {};
    float voiceChannelPressure[kNumVoices] = {};
    float voicePolyPressure[kNumVoices] = {};
    float voiceMidiSource[kNumVoices][512] = {}; // unsmoothed controller sources by index
    int32_t notesPlayingCount = 0;

public:
    // ---- Render loop, MIDI queue and out, play modes and note road, engine reset -----------
    float getPitchBendValue(int tag, float bend) const;

public:
    // ---- Global and voice control-rate updates, wave tables, oscillators, envelopes, path ---
    // Every 16 samples: the global modulation, envelopes, tempo, arpeggiator, XY pads, ribbon.
    void setGlobalOften();
    // One pass of every collected voice: control-rate updates, oscillators, the six path
    // positions and the sum; leaves the pass's two sub-frame pairs in voiceSum.
    void renderVoices();
    int getPortMode() const;
    // The voice control-rate update, every 8th pass of a voice or on its first pass.
    void setVoiceModOften(int voice);
    void setVoiceOften(int voice);
    // Unison sub-voices per voice (1..6), kept by the slow update from "Unison Mode".
    int32_t uniNumVoices = 1;
    // Velocity curve exponent, kept by the slow update; 1.0 is linear.
    float velocityCurve = 1.0f;
    // Raised by the first key of a phrase; the global envelopes restart their gate on it.
    uint8_t globalEnvPhrase = 0;
    // A note start's restart of one voice: counters, oscillator phases, envelopes (attack-0
    // envelopes start in their decay), path-stage states and unison delay lines.
    void restartVoice(int voice);
    // Engine reset: every voice and sub-voice envelope to rest (stage, levels, release and
    // restart flags cleared, gains 1.0).
    void resetVoiceEnvelopes();
    // Envelopes: the amp envelope of a voice (env 0), its filter and free envelopes (1..3), an
    // oscillator envelope (4..7) of one sub-voice slot, a global instance (1..3).
    void setVolEnv(int voice, int env);
    void setEnv(int voice, int env);
    void setOscEnv(int voice, int slot, int env);
    void setGlobalEnv(int env);
    // Per-update increments and sustain level of envelope env for a voice, or -1 for global.
    float getEnvAtt(int env, int voice) const;
    float getEnvDec(int env, int voice) const;
    float getEnvSust(int env, int voice) const;
    float getEnvFade(int env, int voice) const;
    float getEnvRel(int env, int voice) const;
    float getEnvShape(const EnvState& e, int env, float sustain, bool gated) const;
    const EnvState& getVoiceEnv(int voice, int env) const { return voiceEnv[voice & 15][env & 3]; }
    const EnvState& getGlobalEnvState(int env) const { return globalEnv[env & 3]; }

    // Wave tables and user waves. Rebuilds may be asked for on either thread; they never run
    // at once (see userWaveBusy).
    const float* getOscTable(int table) const;
    void createUserWaveTable(int n);
    void updateWave(int n) { createUserWaveTable(n); }
    void createBaseUserTableFromPartials(int n);
    void createSSEUserWaveTableFromPartials(int n);
    void getPartialsFromBaseUserTable(int n);
    void updatePartials(int n);
    void createUserLFOWave(int n);
    float getUserWaveTableValue(int n, float phase) const;
    void setUserPreview(int n, bool on);
    void setUserWave(int n);
    void setCurUserWave(int n, int preset);
    static bool isValidWave(int n) { return static_cast<unsigned>(n) < 2; }
    static bool isValidPartial(int k) { return static_cast<unsigned>(k) < 4096; }
    static bool isValidWavePartial(int n, int k) { return isValidWave(n) && isValidPartial(k); }
    float getWaveTablePartialsAmp(int n, int k) const;
    float getWaveTablePartialsPhase(int n, int k) const;
    float getWaveTablePartials(int n, int k, bool phase) const;
    void setWaveTablePartials(int n, int k, float value, bool phase);
    void setWaveTablePartials(int n, int k, float amp, float phase);
    void updatePreviewWaveTable();
    void setTempPreviewWave(int n);
    const float* getUserLfoShape(int n) const { return userLfoShapes[n & 1]; }
    bool getUserWaveBusy() const { return userWaveBusy.load(); }
    bool getUserWaveDirty(int n) const { return userWaveDirty[n & 1] != 0; }
    // Radix-2 transforms of the work arrays, size a power of two up to 4096.
    void fft(int size);
    void ifft(int size);

    // Read-only views for the tests.
    float getPitchBase() const { return pitchBase; }
    float getOscIncrementBase(int voice, int osc) const {
        return oscIncrementBase[voice & 15][osc & 1];
    }
    float getSubVoiceTune(int slot) const { return subVoiceTune[slot % kSubVoiceSlots]; }
    int getUnisonCount() const { return uniNumVoices; }
    int getOscPathUnit(int position) const { return pathUnits[0][position % 6]; }

private:
    void setGlobalPlayStructure();
    void setGlobalOscillators();
    void setGlobalEnvelopes();
    void setGlobalPaths();
    void updateOscLfoRates();
    void smoothOscLevels();
    void runVoiceModulation(int voice);
    void restartVoiceOscillators(int voice);
    void startVoiceEnvelopes(int voice);
    void setVoiceEnvRates(int voice);
    void setOscTableChoice(int voice, int osc);
    void setOscDrift(int voice, int osc);
    void setOscSpread(int voice, int osc);
    void setOscZek(int voice, int osc);
    void setOscEvery2nd(int voice, int osc);
    void setOscEveryPass(int voice, int osc);
    void stepOscLfo(int voice, int osc, bool update);
    void setOscIncrements(int voice, int osc);
    void renderOscillator(int osc);
    void renderOscSamples(int voice, int slot, int osc);
    void renderNoise(int slot, int osc, int subVoice);
    void renderSub(int voice, int slot, int osc);
    void mixOscillator(int voice, int slot, int osc, int subVoice);
    void advanceSync(int slot);
    void runVoicePath();
    void runPathUnit(int unit);
    void runVoiceFilter();
    void runVoiceEQ(bool post);
    void setVoiceGains();
    void sumVoices();
    void stepEnvelope(EnvState& e, int env, int voice, bool gated, bool fastFade);
    float envTimeIncrement(float knob, bool synced) const;
    void pointsToBaseTable(int n);
    void rebuildUserWave(int n);
    void inverseToTables(int n);
    bool lockUserWaves(bool wait);
    void unlockUserWaves();
    void transform(double angle, int size);

    // Caches of the slow update.
    int32_t cachedPlayMode = 0;
    int32_t cachedPortMode = 0;
    int32_t cachedArpOn = 0;
    int32_t cachedArpPlayMode = 0;
    int32_t cachedArpMode = 0;
    int32_t unisonMode = 0;
    float unisonLevel = 1.0f;
    float portamentoAmount = 0.0f;
    float pitchBase = 0.0f; // phase cycles per 2x-rate sample at key 57, before the octave
    bool structureKnown = false;
    uint8_t oscOn[2] = {};
    uint8_t osc1OutputOn = 1;
    uint8_t oscFreeRunning[2] = {};
    uint8_t oscKeyTrack[2] = {};
    uint8_t osc2SyncOn = 0;
    uint8_t oscFreeLfo[2] = {};
    float oscCoarse[2] = {};
    float oscFine[2] = {};
    int32_t oscType[2] = {-1, -1};
    uint8_t oscNoise[2] = {};
    int32_t osc2ModMode = 0;
    uint8_t subOn[2] = {};
    int32_t subWaveSet[2] = {};
    double oscLfoRate[2] = {};
    int32_t oscLfoSharedInc[2] = {};
    uint32_t oscLfoSharedPhase[2] = {};
    uint8_t filterSplit = 0;
    float filterEnvSign = 1.0f;
    uint8_t hpOn = 0, hpTrack = 0, hpQOn = 0;
    uint8_t preEqOn = 0, postEqOn = 0, shaperOn = 0, lofiOn = 0, voiceDistortOn = 0;
    uint8_t gaterOnGlobal = 0, gaterOnPoly = 0;
    int32_t preEqMode = 0, postEqMode = 0;
    int32_t voiceDistortInternalMode = 0;
    float gaterRows[2][16] = {};
    float dcInput = 0.0f, dcFeedback = 1.0f;
    float envShapes[3][8] = {};
    float envGlobalSpeed[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    uint8_t envSynced[8] = {};
    uint8_t destInUseSubVol[2] = {};
    uint8_t destInUseSpread[2] = {};
    uint8_t moduleSourceUsed[6] = {};
    uint8_t voiceOutputSourceUsed = 0;
    uint8_t oscOutputSourceUsed[3] = {};
    float shaperPreviewSum = -1.0f;
    float brickValueCached = -1.0f;
    uint8_t transportPlaying = 0;

    // Envelope instances: four per voice, four oscillator envelopes per sub-voice slot, and the
    // global filter and free envelopes (1..3).
    EnvState voiceEnv[kNumVoices][4];
    EnvState oscEnv[kSubVoiceSlots][4];
    EnvState globalEnv[4];
    float oscEnvLaneRate[kNumVoices][4] = {};
    float subVoiceEnvFactor[kSubVoiceSlots][3] = {};

    // Per-voice control-rate results.
    float smoothModWheel[kNumVoices] = {};
    float smoothChannelPressure[kNumVoices] = {};
    float smoothPolyPressure[kNumVoices] = {};
    float smoothControllers[kNumVoices][21] = {};
    float subVoiceTune[kSubVoiceSlots] = {};
    float subVoicePan[kSubVoiceSlots][2] = {};
    float oscOctavePitch[kNumVoices][2] = {};
    float oscIncrementBase[kNumVoices][2] = {};
    float voiceOscKeyPitch[kNumVoices][2] = {};
    float free12Amount[kNumVoices] = {};

public:
    // Per pass: the gain pair of frame A and of frame B of each voice.
    float voiceFrameGain[kNumVoices][2][2] = {};

private:
    // Oscillators: per slot and oscillator, per voice and oscillator; oscillator 1's mono mix.
    OscSlot oscSlots[kSubVoiceSlots][2];
    OscVoice oscVoices[kNumVoices][2];
    float osc1Mono[kSubVoiceSlots][4] = {};
    float oscVolumeSmooth[2] = {};
    float oscPanSmooth[2] = {0.5f, 0.5f};
    float oscSubSmooth[2] = {};
    stereoStruct slotDcState[kSubVoiceSlots] = {};

    // User waves: partials (amp, phase) and the transform's work arrays. `userWaveDirty` asks
    // for a rebuild; `userWaveBusy` is held while one runs, on whichever thread.
    float userWavePartials[2][4097][2] = {};
    float fftInRe[4096] = {}, fftInIm[4096] = {}, fftOutRe[4096] = {}, fftOutIm[4096] = {};
    float baseTableWork[4096] = {};
    uint8_t userWaveDirty[2] = {};
    std::atomic<bool> userWaveBusy{false};
    uint8_t userPreviewOn = 0;

public:
    // ---- Voice stages: waveshaper, low-fi, voice distortion ---------------------------------
    // The voice path's WAVESHAPER, LOW-FI and DISTORTION positions: each runs every active
    // voice's sub-voices from pathIn into pathOut and leaves pathOut alone while its switch is
    // off. Audio thread, once per pass.
    void doWaveShaper();
    void doLowFi();
    void doVoiceDistort();
    // The control-rate part of those three stages for one voice (smoothing of the shaper and
    // distortion knobs, the low-fi steps, the distortion mode's coefficients); the voice's
    // control-rate update calls it after the EQ set-up.
    void setVoiceStages(int voice);

public:
    // ---- Modulation: matrix, LFOs, ribbon, voice gater, global sources, XY pads -------------
    // Advances LFO n of a voice (every second pass of the voice).
    void setVoiceLFO(int voice, int lfo);
    // The per-pass evaluation of the modulation matrix for one voice.
    void setVoiceMod(int voice);
    // The XY position a voice uses on a pad.
    void getXYValue(int pad, int voice, float& x, float& y);
    // One pink-noise value for an oscillator of a sub-voice.
    float doPinkNoise(int subVoice, int osc, int sampleIndex);

public:
    // ---- Arpeggiator and step sequencer -----------------------------------------------------

public:
    // ---- FX chain: paths, gater, delay, reverb, distortion FX, modulation FX ----------------
    // The five units of the master effect chain; each runs every pass and passes its input
    // through while its switch is off. The gater takes one frame per call.
    void doDistortFX(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doFXMod(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doGater(stereoStruct in, stereoStruct* out);
    void doDelay(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doReverb(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);

public:
    // ---- Tuning, MIDI learn, controller maps, wave files and sample import -----------------
};

// Allocates and constructs one engine; null when that fails.
AudioEffect* createEffectInstance(audioMasterCallback host);
