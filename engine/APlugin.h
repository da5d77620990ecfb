// The one engine object of a plug-in instance. It holds all synthesis state inline, as fixed
// arrays indexed by tag, voice, slot or pad, so nothing is allocated on the audio path. The
// host's user-interface thread constructs, configures and deletes it; the audio thread renders.
// The member functions live in the uPlugin* units, split by concern.
#pragma once

#include "dsp/Float8.h"
#include "dsp/StereoTypes.h"
#include "dsp/TBasicReverb.h"
#include "dsp/TDelay.h"
#include "dsp/TFXFilter.h"
#include "dsp/TFilter.h"
#include "dsp/TParaEQ.h"
#include "dsp/TSample.h"
#include "engine/EditorLink.h"
#include "engine/files/TuningFollower.h"
#include "engine/fx/FXState.h"
#include "engine/modulation/GlobalLFOLanes.h"
#include "engine/params/ParamTags.h"
#include "engine/params/Relaxed.h"
#include "engine/voice/VoiceState.h"
#include "platform/PriorityMutex.h"
#include "vst2/AudioEffectX.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

constexpr int kNumParams = 2048;
constexpr int kNumPrograms = 1;
constexpr int kNumVoices = 16;
constexpr int kMidiQueueSlots = 250; // slots 1..250; slot 0 is never used
constexpr VstInt32 kMidiSlotFree = -99;
constexpr int kProgramNameBytes = 32;
constexpr int kPresetNameChars = 28; // tags 210..237
constexpr int kBuiltinPresetSlots = 256;
constexpr int kBuiltinPresetNameBytes = 64;
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

// Settings of one LFO instance, rebuilt at control rate from the LFO's parameters and its
// modulation destinations.
struct LFOSettings {
    int32_t wave = 0;
    int32_t playMode = 0;
    uint8_t sync = 0;
    uint8_t enabled = 1;
    double speed = 0.0;                 // phase advance per step; 0 stands still
    double phaseOffset = 10.0;          // cycles, kept positive so the fraction needs no sign care
    double shapePoint = 0.5;            // the warp's midpoint, held inside 0.005..0.995
    double warpLow = 1.0;               // 0.5 / shapePoint
    double warpHigh = 1.0;              // 0.5 / (1 - shapePoint)
    float smooth = 0.0f;                // one-pole coefficient of the output
    float bias[3] = {1.0f, 1.0f, 1.0f}; // gains of negative, zero and positive wave values
    float steps = 131072.999f;          // quantiser levels over 0..2 (and 0.999)
    float inverse = 1.0f / 131072.0f;   // one level
    float holdRate = 4.0f;              // sample-and-hold accumulator step per LFO step
};

// Running state of one LFO instance (global, or one voice's).
struct LFORunState {
    double phase = 0.0;
    double holdAccumulator = 0.0;
    double humanise = 1.0; // rate factor drawn at every cycle start
    float random = 0.0f;   // the "Sample And Hold" wave's value for this cycle
    float held = 0.0f;
    float output = 0.0f;
    float previous = 0.0f;
    float increment = 0.0f;   // per sample (global) or per pass (voice) toward output
    float value = 0.0f;       // the published value, ramped by increment
    int32_t delayCounter = 0; // voice LFOs: negative while the start delay runs (samples)
};

// A morph LFO's blended rate with the two rates and the amount it was blended from, so the
// logarithms run only when one of them moves (the rate of all zeros is zero).
struct BlendedRate {
    double key[3] = {0.0, 0.0, 0.0};
    double rate = 0.0;
};

// The inputs a voice LFO's rate and stage settings were last worked out from, so a settings
// update whose inputs all stand still (the common case) skips the powers of two; compared bit
// for bit, so a reused result is the one the computation would give.
struct LFOSettingsMemo {
    float speedKey[6] = {};
    double speedKeyD[2] = {};
    float stageKey[5] = {};
    double stagePhase = 0.0;
    uint8_t speedValid = 0;
    uint8_t stageValid = 0;
};

// One LFO instance: the global ones, and each voice's.
struct LFOState {
    LFOSettings set;
    LFORunState run;
};
using GlobalLFOState = LFOState;
using VoiceLFOState = LFOState;

// One pad's recording and replay state, and the per-voice replay.
struct XYReplayState {
    uint64_t recordStart = 0;             // sampleCounter when the gesture started
    int32_t recordLength = 0;             // milliseconds
    float recordX = 0.5f, recordY = 0.5f; // last position the display sent
    float seenX = 0.5f, seenY = 0.5f;     // X/Y tags at the last update
    int32_t recordMode = 0, playMode = 0, loopMode = 0;
    double position = 0.0;
    double direction = 1.0;
    double increment = 0.0;
    double voicePosition[16] = {};
    double voiceDirection[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    double voiceIncrement[16] = {};
    float voiceX[16] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                        0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    float voiceY[16] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
                        0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
};

// Running state of one global envelope.
struct GlobalEnvState {
    float level = 0.0f;
    float gains[2] = {1.0f, 1.0f};
    float stages[4] = {};
};

// Free LFO 1, Free LFO 2, Main LFO, and the morph LFO of the Free LFO 1/2 combination.
constexpr int kGlobalLFOs = 4;
constexpr int kVoiceLFOs = 4;
constexpr int kMorphLFO = 3;
constexpr int kGlobalEnvs = 8;
constexpr int kModSources = 106;      // SRC_STR entries, 0 "None"
constexpr int kModDests = 323;        // DEST_STR entries, 0 "None"
constexpr int kXYRecordSize = 500000; // one entry per millisecond of a gesture

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

// The engine's own program record: the chunk's values, which the threads share, and the name
// a loaded chunk carried, which only the state chunk's calls touch (under programLock).
struct ProgramRecord {
    Relaxed<float> values[kNumParams];
    char name[kProgramNameBytes] = {};
};

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
    // Tells the host the value the engine itself gave a tag (the ribbon's spring inside the
    // user's drag), without writing it again. User-interface thread.
    void automateCurrentValue(int tag);
    void setProgram(VstInt32 program) override;
    // The automated write; it tells the host unless the calling thread holds that back.
    void setParameterAutomated(VstInt32 index, float value) override;
    // The editor tells the host of one user command's writes itself, each bracketed: while
    // the calling thread holds them, its automated writes store their values without telling
    // the host. Writes from other threads (the audio thread's auto-limit) are never held.
    void holdHostAutomation(bool hold);
    // Tells the host of a parameter's current value, whatever is held.
    void tellHostValue(int tag);

    // Performance services -------------------------------------------------------------------
    void setEverythingOff(bool full);
    void reset();
    void setGlobalRare();
    void turnAllVoicesOff();
    void processMidi(long sample);
    bool isMidiDue() const;
    int updateBaseNote();
    void updateMIDIChannel(bool force);
    void initArp(bool clearHeld);
    void initModFX(bool onlyTapeModes);
    void resetXY(int pad);
    static bool isValidModSlot(int slot) { return static_cast<unsigned>(slot) < 16; }
    int getDestTypeForSlot(int slot) const;
    int getRibbonQuant() const;
    int getRibbonSpringTime() const;
    // Stop and start the spring-back, from any thread: the user-interface thread's wish is
    // served by the render (the spring's fields and the tempo it reads are the render's).
    void setRibbbonSpringOff();
    void setRibbonSpringOn();
    // The spring glides, or a start the render has yet to serve is pending. Any thread.
    bool isRibbonSpringGliding() const;
    int getXYRecordMode(int pad) const;
    void changeUserWaveDelta(int wave, int delta);
    void resetGlobalLFO(int lfo);
    void resetVoiceLFO(int voice, int lfo);
    void initGlobalEnv(int env);
    // The global modulation's current value of a destination (0 outside the table).
    float getModDestValue(int dest) const;
    void setModDestValue(int dest, float value);
    const VoiceLFOState& getVoiceLFO(int voice, int lfo) const {
        return voiceLFOs[voice & 15][lfo & 3];
    }
    const GlobalLFOState& getGlobalLFO(int lfo) const { return globalLFOs[lfo & 3]; }
    // For tests that step the global LFOs from a state they set up.
    GlobalLFOState* getGlobalLFOsForTesting() { return globalLFOs; }
    VoiceLFOState* getVoiceLFOsForTesting(int voice) { return voiceLFOs[voice & 15]; }
    BlendedRate& getVoiceMorphRateForTesting(int voice) { return morphRates[1 + (voice & 15)]; }
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
    // The manual the help button opens (the "Help" folder preference).
    const std::string& getHelpPath() const { return helpPath; }
    // Set by the editor's open and close; the engine pushes nothing while opening or closed.
    void setEditorFlags(bool opening, bool open) {
        editorOpening = opening;
        editorOpen = open;
    }
    bool getEditorOpening() const { return editorOpening; }
    bool getEditorOpen() const { return editorOpen; }
    // The editor links itself here when it is made (user-interface thread, before the host
    // sees the engine); the engine tells it what changed through the link while it is open.
    void setEditorLink(EditorLink* link) { editorLink.store(link, std::memory_order_release); }
    // The arpeggiator pattern (0 A, 1 B) the editor's arpeggiator page shows: the editor sets
    // it, and keys entered into the pattern go to it while the editor is open.
    void setEditorArp(int pattern) { editorArp.store(pattern, std::memory_order_relaxed); }
    int getEditorArp() const { return editorArp.load(std::memory_order_relaxed); }
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
    // The editor's link while it is open, else null.
    EditorLink* getOpenEditor() const;
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
    Relaxed<int32_t> distortFXMode{0};
    // The thread whose automated writes are held back (none: a default id).
    std::atomic<std::thread::id> automationHeldBy{};

public:
    // Numeric entry and delta stepping --------------------------------------------------------
    // Typed entry of one value through a modal input box that names the parameter, states the
    // accepted range and holds the current value; the typed number, in the unit of the value
    // text, is converted back to 0..1 and written. Cancel and an empty answer change nothing;
    // text without a number is refused with a message and changes nothing. User-interface
    // thread only.
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
    // The decimal number at the start of a typed text (parseTypedNumber: '.' or ',' as the
    // point, whatever the locale; `strip` first keeps only digits, signs and points), or for
    // the integer form the whole number nearest to it, saturated at +-1e9. A text without a
    // number is refused with a message box and gives false.
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
    int getModFXDelaySetups() const { return modFXDelaySetups; }
    float getRibbonPosition() const { return ribbonPosition; }
    bool getRibbonSpringActive() const { return ribbonSpringActive != 0; }
    float getGlobalLfoState(int i) const { return globalLfoState[i & 7]; }
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
    // Under programLock, after a load has written the record: the record as the program (the
    // name still picks the bank slot shown).
    void restoreProgramRecord();
    // True while a render runs on a thread other than the caller's.
    bool renderRunsElsewhere() const;
    // True on the thread of the running render.
    bool onRenderThread() const;
    void loadBankPreset(int n);
    // Under programLock: the bank preset that the record's name names, loaded into the record;
    // false when nothing was selected (no bank).
    bool loadNamedPreset();
    void requestScreenRefresh();
    void initBuiltinPresetNames();
    int findPresetByName() const;
    // After a write of a character of the name: the bank slot the host and the editor show
    // follows the name the values spell.
    void followPresetName();
    void decodePresetName(char (&name)[kPresetNameChars + 1]) const;
    void pushToEditor(int tag, float value);
    // A value as the value sets hold it: 0..1, NaN as 0, switches 0 or 1.
    float storableValue(int tag, float value) const;
    // setParameter without the push to the editor: the value stored, for the caller to push.
    // The program record takes it first, then the value sets that play (see
    // takeRecordValuesWrittenInCopy and takeRecordValueAfterWrite).
    float storeParameter(int tag, float value);
    // After a write's stores: the value sets take the record's value again until it stands
    // still, so a writer of the same tag whose record store came first cannot leave its own
    // value playing under a record that holds another.
    void takeRecordValueAfterWrite(int tag, float stored);
    // How often a value that other threads keep rewriting is taken again from the record (by
    // a write, the apply or a user wave's write-back); a host that rewrites one value faster
    // than that gets the last value read, and its own write takes its value after it.
    static constexpr int kRecordSettlePasses = 64;
    // After the apply's copy of the record into the value sets: a tag whose record value no
    // longer is the one copied was written meanwhile, and its value sets take the record's
    // value again, until the record stands still.
    void takeRecordValuesWrittenInCopy();

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

    // Host time of this block, null when the host gave none: a checked copy of the host's
    // record (see takeHostTime), so nothing past the entry sees a NaN or absurd field.
    const VstTimeInfo* timeInfo = nullptr;
    VstTimeInfo hostTime = {};

    // Chunk staging: bank form and program form of the state chunk. Only effGetChunk writes
    // them, so the block a host was given keeps its bytes until its next effGetChunk.
    programStruct chunkBank = {};
    programStruct chunkProgram = {};
    // Makes whoever writes or reads the whole program record take turns: saves and loads of
    // the state chunk, program selections, the editor's preset picks, compare, init and the
    // user waves' built-in shapes, on whichever of the host's threads, so a save is always one
    // whole sound. The render never takes it (it is handed a selection through
    // pendingPresetApply), and nobody calls out while holding it: a turn is some thousands of
    // stores, and whoever waits for it lends the holder its priority.
    PriorityMutex programLock;
    // The render's apply reads the record and writes its corrections back; it must never do so
    // beside one of those turns, or a load landing between its read and its writes would keep
    // values of the sound before. Who holds the record: the apply claims it only when it is
    // free and otherwise leaves the program pending for its next block, so the render never
    // waits; a turn that finds the apply in it sleeps until the apply lets go, so the render
    // runs on whatever the priorities.
    enum RecordHolder : int { kRecordFree, kRecordApply, kRecordTurn };
    std::atomic<int> recordHolder{kRecordFree};
    // One turn on the record: programLock, then the record once the apply is out of it.
    class ProgramTurn {
    public:
        explicit ProgramTurn(APlugin& plugin);
        ~ProgramTurn();
        ProgramTurn(const ProgramTurn&) = delete;
        ProgramTurn& operator=(const ProgramTurn&) = delete;

    private:
        APlugin& plugin;
        std::lock_guard<PriorityMutex> turn;
    };

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

    // Value sets, per tag: written by the host's, the editor's and the audio thread, so each
    // value is a relaxed atomic (a plain float move on x86-64).
    Relaxed<float> origValues[kNumParams];
    Relaxed<float> editValues[kNumParams];
    Relaxed<float> lastNotifiedValues[kNumParams];
    Relaxed<float> appliedValues[kNumParams];
    Relaxed<float> currentValues[kNumParams];
    Relaxed<float> lockValues[kNumParams];

    // MIDI capture (soft take-over of learnt controllers).
    Relaxed<uint8_t> midiCaptureCaught[kNumParams];
    Relaxed<float> midiCaptureValues[kNumParams];

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
    int rateSetups = 0;             // accepted rate changes, for diagnostics
    int modFXDelaySetups = 0;       // rebuilds of the modulation effect's delay unit, likewise

    // Per-voice state, indexed by voice.
    stereoStruct voiceStereoStates[kNumVoices][kVoiceStereoStates] = {};

    // Arpeggiator display state.
    int32_t arpLedPosition = -1;

    // DSP members.
    TFilter voiceFilters[kNumVoices];
    // What decides each pass whether a voice's filter runs, as its filter holds it, side by
    // side: the filters lie about a megabyte apart, so a pass of bypassed filters reads these
    // instead of one far line per voice. Every writer of a filter's type, pre-drive or
    // high-pass switch updates its entry (initVoiceFilter after an init).
    struct VoiceFilterHot {
        float distortIn;
        int32_t type;
        uint8_t driven, hpOn;
    };
    VoiceFilterHot voiceFilterHot[kNumVoices] = {};
    void initVoiceFilter(int voice, float rate) {
        TFilter& f = voiceFilters[voice & 15];
        f.init(rate);
        voiceFilterHot[voice & 15] = {f.getDistortIn(), f.getType(), f.getDrive() > 0.0001f,
                                      f.getHPOn()};
        filterTrackValid[voice & 15] = 0; // init put the filter's key tracking back to 1
    }
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

    // The one program record (its values are the chunk's; see programStruct).
    ProgramRecord programValues;

    // Folders per file kind and the manual.
    std::string ecsDir, waveDir, xyDir, arpDir, modDir, sampleDir, eqDir, tuningDir;
    std::string helpPath;

    // Tuning: the pitch of each MIDI note in semitones.
    Relaxed<float> tuningNoteTable[128];
    // The name of the tuning the table was last filled for (empty: the standard table) and
    // whether its file was found; the threads that read files fill the table under the lock,
    // and read the files without it, so whoever waits for it waits for some stores alone.
    mutable PriorityMutex tuningFileLock;
    std::string tuningTableName;
    bool tuningTableFound = true;

    // The parameter tag learnt for each MIDI controller number (0 none), and the tag armed for
    // learning: the user-interface thread writes them while the audio thread reads them.
    std::atomic<int32_t> midiCCMap[128] = {};
    std::atomic<int32_t> midiLearnTag{-1};

    // Editor state, kept by the editor's open and close.
    std::atomic<bool> editorOpening{false};
    std::atomic<bool> editorOpen{false};
    std::atomic<EditorLink*> editorLink{nullptr};
    std::atomic<int> editorArp{0};

    // Lock sections.
    int32_t lockSections[kNumParams] = {};
    Relaxed<int32_t> lockStates[3];

    // Sample import.
    TSample sampleReader;

    // Auto-limit.
    std::atomic<bool> autoLimitOn{true};
    bool overloadSeen = false;

    // Built-in bank names.
    const PresetBank* presetBank = nullptr;
    char builtinPresetNames[kBuiltinPresetSlots][kBuiltinPresetNameBytes] = {};
    int32_t builtinPresetCount = 0;
    Relaxed<int32_t> builtinPresetIndex{0};

    // Per-voice and performance fields the preset application sets.
    Relaxed<uint8_t> arpKeyEntryOn{0};
    Relaxed<int32_t> arpEntryStep{0};
    float xyPadX[2] = {};
    float xyPadY[2] = {};
    float xyModValues[64] = {};
    float globalLfoState[8] = {};
    float ribbonPosition = 0.0f;
    float ribbonTarget = 0.0f;
    int32_t ribbonSpringCountdown = -1;
    Relaxed<uint8_t> ribbonSpringActive{0}; // the render's; the editor reads it
    int32_t playModeState = 0;
    int32_t arpActiveState = 0;
    int32_t userWavePresetNumbers[2] = {-1, -1};

    // Shared tables, built once per process.
    const LookupTables* tables = nullptr;

    // Tables of this instance that the sound rewrites: the two user waves' band-limited tables
    // and the preview wave (they follow the shared bank's built-in tables), the user waves as
    // LFO shapes, and the brick filter's coefficient block and state.
    static constexpr int kUserWaveTables = 69;
    static constexpr int kUserWaveBands = 34;
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
    // The morph LFOs' blended rates: the global one, then each voice's.
    BlendedRate morphRates[kNumVoices + 1];
    // Per voice: Free LFO 1, Free LFO 2, Main LFO and the morph.
    LFOSettingsMemo voiceLFOMemo[kNumVoices][4];
    // The inputs each voice's LFO settings were last made from.
    struct VoiceLFOKey {
        float values[41];
        int32_t flags[2];
        int32_t spare;
        double rates[2];
    };
    VoiceLFOKey voiceLFOKey[kNumVoices] = {};
    uint8_t voiceLFOKeyValid[kNumVoices] = {};
    // The same for the global LFOs and the global morph (cleared with them).
    LFOSettingsMemo globalLFOMemo[kGlobalLFOs];
    // Each voice's Main LFO, Free LFO 1, Free LFO 2 and morph LFO settings side by side, packed
    // whenever its LFO settings are set.
    GlobalLFOLanes voiceLFOLanes[kNumVoices];
    // What the voice LFO settings last read from their menus: the Main LFO's start phase and
    // speed source, and whether the Free LFO 1/2 menu chose the morph.
    struct VoiceLFOMenus {
        double startPhase = 0.0;
        int32_t speedSource = 0;
        uint8_t morph = 0;
    };
    VoiceLFOMenus voiceLFOMenus[kNumVoices];
    XYReplayState xyReplay[2];
    GlobalEnvState globalEnvs[kGlobalEnvs];
    int32_t pathUnits[2][6] = {};

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
    int32_t voiceChannel[kNumVoices] = {};     // Poly MPE channel, -1 none
    uint32_t voicePassCount[kNumVoices] = {};  // passes since the voice started; wraps
    uint64_t voiceStartStamp[kNumVoices] = {}; // sampleClock when the voice started
    float voiceLevel[kNumVoices] = {};         // interpolated amp-envelope output
    Relaxed<int32_t> lastVoice{0};             // newest busy voice
    int32_t oldestVoice = 0;                   // oldest busy voice
    // Sub-voice slots: slot = 6 x voice + unison index.
    static constexpr int kSubVoicesPerVoice = 6;
    static constexpr int kSubVoiceSlots = kNumVoices * kSubVoicesPerVoice;
    int32_t voiceSlots[kNumVoices][8] = {};
    // A slot bounded to the slot arrays (the reset writes every slot in range, so this only
    // guards): two instructions where a remainder would take seven.
    static int32_t slotInRange(int32_t slot) {
        const uint32_t s = static_cast<uint32_t>(slot);
        return static_cast<int32_t>(s < uint32_t(kSubVoiceSlots) ? s : kSubVoiceSlots - 1);
    }
    int32_t subVoiceList[3][kSubVoiceSlots] = {}; // slot, voice, unison index
    int32_t voiceFirstSlot[kNumVoices] = {};      // slot of sub-voice 0, for this pass's voices
    int32_t subVoiceCount = 0;
    stereoOverStruct pathIn[kSubVoiceSlots][2] = {};
    stereoOverStruct pathOut[kSubVoiceSlots][2] = {};
    // Set while no unit of this pass has changed the frames yet: pathOut then is not written
    // and every reader takes the frames from pathIn (see pathFrames).
    uint8_t pathFramesInInput = 0;
    const stereoOverStruct (*pathFrames() const)[2] { return pathFramesInInput ? pathIn : pathOut; }
    stereoOverStruct voiceSum[2] = {};
    // Modulation stores, indexed by SRC_STR and DEST_STR entries.
    float voiceSource[kNumVoices][512] = {};
    float lastVoiceSource[323] = {};
    float voiceDest[kNumVoices][512] = {};
    float globalDest[323] = {};
    float voiceDestDefault[512] = {};
    // Moves on whenever the defaults or the slots' destinations change; a voice row that has
    // taken the defaults at the current count already holds them outside the slots' entries.
    uint32_t voiceDefaultSerial = 1;
    uint32_t voiceDefaultSeen[kNumVoices] = {};
    float globalDestDefault[323] = {};
    // The destinations the last global evaluation wrote (the rest hold their defaults), so
    // the next one restores only those; a full restore when the list is not known.
    int16_t globalDestWritten[16] = {};
    int32_t globalDestWrittenCount = -1;
    // The Main Volume law's last input and result (it takes a power).
    float mainVolumeLawIn = -1.0f;
    float mainVolumeLawGain = 0.0f;
    // The engine's own random generator, seeded per instance.
    uint32_t RandSeed = 1;

public:
    // ---- Render loop, MIDI queue and out, play modes and note road, engine reset -----------
    // Counters of the render loop: sampleCounter advances every sample (its low bits pace the
    // periodic work), sampleClock every rendered sample (the voices' start stamps). 64 bits, so
    // neither wraps in any session.
    uint64_t sampleCounter = 0;
    uint64_t sampleClock = 0;
    int32_t oddSample = 0; // 0: this sample runs a pass; 1: it writes the stored second frame
    VstInt32 blockLength = 0;
    VstInt32 blockSampleIndex = 0;   // index of the running sample inside the block
    double blockStartPosition = 0.0; // host position at block start, quarter notes
    double songPosition = 0.0;       // advanced every 16 samples, quarter notes
    float inputLevel = 0.0f;
    stereoStruct framesIn[2] = {};
    stereoStruct framesOut[2] = {};
    stereoStruct outputFrames[2] = {}; // the pass's finished frames
    int32_t silentPasses = 0;
    float outputLevel = 0.0f; // level follower of output frame 0
    float masterGain = 1.0f;  // written by the global modulation update and the wave audition
    float fadeGain = 1.0f;
    std::atomic<bool> fadeOutActive{false}; // raised before a program change, ramps fadeGain
    uint8_t autoLimitTriggered = 0;         // the output overloaded; the slow update acts on it
    // Wave audition: the user-wave preview replaces the whole block while the flag is set.
    std::atomic<bool> waveAudition{false};
    int32_t waveAuditionWave = 0;
    int32_t waveAuditionPosition = 0;
    float waveAuditionVolume = 0.0f;
    // The brick filter's state: s1 in entries 0..3, s2 in 4..7, lanes (R, L, R, L).
    const float* getBrickState() const { return brickState; }
    // Voice collection of the running pass.
    int32_t activeVoiceCount = 0;
    int32_t activeVoices[kNumVoices] = {};
    int32_t subVoiceDelay[kNumVoices][8] = {}; // < 0 while a unison sub-voice waits to start
    uint8_t subVoiceStarted[kNumVoices][8] = {};
    uint8_t anyVoicePlaying = 0;
    float smoothedModWheel = 0.0f;
    // The last values written to the "Input" and "Output" sources: an unchanged value is not
    // written again into all 16 voices (the idle render loop's largest cost). NaN forces a write.
    float inputSourceWritten = std::numeric_limits<float>::quiet_NaN();
    float outputSourceWritten = std::numeric_limits<float>::quiet_NaN();
    // The last values published, kept while no slot or LFO speed reads the source and the rows
    // are left alone; they reach the rows when a reader appears (NaN: none since the reset).
    float inputSourceLast = std::numeric_limits<float>::quiet_NaN();
    float outputSourceLast = std::numeric_limits<float>::quiet_NaN();
    void publishInput(float value);
    void publishOutput(float value);
    void catchUpPublishedSources();

    void renderNormal(float** inputs, float** outputs, VstInt32 sampleFrames);
    bool applyWaitingSound(VstInt32 i);
    const VstTimeInfo* takeHostTime(const VstTimeInfo* time);
    void renderWaveAudition(float** outputs, VstInt32 sampleFrames);
    void renderPass();
    // Samples up to the next 16-sample step with no voice, no MIDI, no fade and no program
    // change waiting: the first sample of none, or the end of such a span.
    void endSample(float* left, float* right, VstInt32 i);
    VstInt32 getQuietSpanEnd(VstInt32 i, VstInt32 sampleFrames) const;
    void renderQuietSpan(const float* inLeft, const float* inRight, float* left, float* right,
                         VstInt32 begin, VstInt32 end);
    void collectVoices();
    void renderSleptPass();
    bool getIsChainAsleep() const;
    void runOutputStage();
    void clearFxChain();
    bool getIsFxChainLive() const;
    void runBrickFilter();
    // Starts the 1,000-sample fade to silence that precedes a program change.
    void startFadeOut() { fadeOutActive = true; }
    uint64_t getSampleCounter() const { return sampleCounter; }

    // MIDI in: controller, pressure and bend state (floats 0..1 unless said).
    float modWheel = 0.0f;
    float voiceModWheel[kNumVoices] = {};
    float channelModWheel[16] = {};
    float voicePolyPressure[kNumVoices] = {};
    float channelPolyPressure[16] = {};
    float voiceChannelPressure[kNumVoices] = {};
    float channelPressure[16] = {};
    float pitchBend = 0.0f; // -1..+1
    float midiVolume = 1.0f;
    std::atomic<uint8_t> xyMidiChanged[2] = {}; // read and cleared by the pad display
    uint8_t sustainPedal = 0;
    uint8_t arpPedalHold = 0;
    static constexpr int kArpHeldReleases = 64;
    int32_t arpHeldReleases[kArpHeldReleases] = {};
    int32_t arpHeldReleaseCount = 0;
    // The longest an event may wait for its sample: one second of samples.
    int32_t maxMidiDelay() const;
    void handleMidiEvent(const VstMidiEvent& event);
    void doControlChange(int cc, float value, int channel);
    void doSustainPedal(bool down);
    void doArpKeyEntry(int key, int velocity);
    void doArpKeyEntryRelease();

    // MIDI out: a note-on for every note the arpeggiator starts, a note-off when it ends.
    uint8_t outNoteOn[128] = {};
    int32_t outNoteVoice[128] = {};
    uint8_t outNoteChannel[128] = {}; // the channel the note-on went to, for its note-off
    int32_t midiSlotHigh = 0;         // the highest queue slot that may be occupied
    // Sends one message stamped with the running sample of the block (0 outside the loop).
    void sendMidiOut(int status, int data1, int data2);
    // Note-offs for the out notes that a voice plays, or for every sounding out note.
    void endOutNotesOfVoice(int voice);
    void endAllOutNotes();

    // Note road: keys to voices. Audio thread; the preview note comes from the editor.
    void midiNoteDown(int key, int velocity, int channel);
    void midiNoteRelease(int key, int velocity, int channel);
    // Starts (retrigger) or re-pitches a voice; offset in semitones.
    void setNotePressed(int voice, int key, int velocity, float offset, bool retrigger,
                        bool fromArp, bool slide);
    int getNextCurVoice();
    void setVoiceOff(int voice);
    void setVoiceOn(int voice);
    bool isVoiceBusy(int voice) const { return voicePressed[voice] || voiceLevel[voice] > 1e-5f; }
    // Bit v set for each busy voice; four-lane compares, so the idle loop pays almost nothing.
    uint32_t getBusyVoiceMask() const;
    int getNotesPlaying() const;
    // The busy voices as the render last published them (any thread).
    int getShownNotesPlaying() const { return modShown.notesPlaying; }
    bool getIsAnyVoicePlaying() const;
    int getNotesOn() const;
    int getLastPlayed() const;
    void setOldestVoice();
    void setLastVoice();
    float getPitchBendValue(int tag, float bend) const;
    float getPitchBendRange(int tag) const; // octaves of full bend for tag 248 or 249
    void previewNoteOn();
    void previewNoteReleased();
    int32_t currentVoice = 0; // the voice the last allocation chose
    static constexpr int kHeldNotes = 100;
    int32_t heldNotes[kHeldNotes] = {};
    int32_t heldNotesScratch[kHeldNotes] = {};
    int32_t heldNoteTop = -1;
    float lastNotePitch = -10.0f; // octaves; -10 means no previous note, so no glide
    int32_t monoVelocity = 0;
    uint8_t monoSecondKey = 0;
    int32_t notesPlayingCount = 0;
    int32_t alternationCounter = 0;
    uint8_t previewPlaying = 0;
    // Per voice, written at note start and read by the voice control-rate update.
    float voiceTargetPitch[kNumVoices] = {}; // octaves relative to key 57
    float voiceGlidePitch[kNumVoices] = {};
    float voiceGlideStep[kNumVoices] = {};
    float voiceGlideSign[kNumVoices] = {};
    float voiceVelocity[kNumVoices] = {};     // velocity / 127 through the curve
    float voiceVelocityGain[kNumVoices] = {}; // the velocity's share of the volume
    float voicePitchBend[kNumVoices] = {};    // octaves
    void pushHeldNote(int key);
    bool removeHeldNote(int key);
    void startMonoVoice(int key);
    void noteDownArp(int key, int velocity);
    void noteReleaseArp(int key);
    void restartNoteSources(int key, int velocity);
    void setVoiceControllers(int voice);
    void setUnisonDelays(int voice);
    void sendArpNoteOut(int voice, int key, float offset, int velocity, bool retrigger);
    uint32_t noteRandomSeed = 22222; // note randoms, apart from the audio generator
    float noteRandom();              // bipolar, -1..1

    // Engine work that another thread asks of the audio thread (compare, init patch and every
    // reset, everything-off and preview note the editor starts): while a render is running it
    // is served at the start of the next block, never under a block in progress; while the
    // host has the plug-in suspended it is served at once on the calling thread.
    enum EngineRequest : uint32_t {
        kRequestReset = 1,
        kRequestEverythingOff = 2,
        kRequestEverythingOffGlide = 4,
        kRequestVoicesOff = 8,
        kRequestPreview = 16,
        kRequestRibbonSpring = 32, // start or stop, as ribbonSpringWanted last said
    };
    void resume() override;
    bool getRenderRunning() const { return renderRunning.load(); }
    uint32_t getPendingEngineRequests() const { return engineRequests.load(); }
    // True (the request queued) when the caller is not the running render's thread.
    bool deferToRender(uint32_t request);
    // The render's thread at the start of each block: notes the thread, serves the requests.
    void beginRenderBlock();
    void serveEngineRequests();
    void resetNow();
    void setEverythingOffNow(bool resetGlide);
    void turnAllVoicesOffNow();
    std::atomic<uint32_t> engineRequests{0};
    std::atomic<bool> renderRunning{false};
    std::atomic<unsigned long> renderThread{0};
    std::atomic<bool> previewWanted{false};
    std::atomic<bool> ribbonSpringWanted{false};
    void serveRibbonSpringRequest(uint32_t requests);
    void setRibbonSpringOnNow();
    // Counter-wrap test hook: the 64-bit counters (sample counter and clock, voice start
    // stamps, gater position) moved to `start`, as after that many samples of playing.
    void setCountersForTesting(uint64_t start);

public:
    // ---- Global and voice control-rate updates, wave tables, oscillators, envelopes, path ---
    // Every 16 samples: the global modulation, envelopes, tempo, arpeggiator, XY pads, ribbon.
    void setGlobalOften();
    // One pass of every collected voice: control-rate updates, oscillators, the six path
    // positions and the sum; leaves the pass's two sub-frame pairs in voiceSum.
    void renderVoices();
    void moveSharedOscLfoPhases();
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
    // The re-synthesis of the points and table 0 alone, without the user LFO wave. The points
    // are written back only while the wave's write count stands at `since` (see
    // writeBackUserWavePoints).
    void resynthesiseUserWavePoints(int n, uint32_t since);
    void createSSEUserWaveTableFromPartials(int n);
    void getPartialsFromBaseUserTable(int n);
    // The two halves of getPartialsFromBaseUserTable: the transform of table 0 (returns its
    // peak), then the partials from the transform's output.
    float transformBaseUserTable(int n);
    void partialsFromTransform(int n, float peak);
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
    // The user wave the editor shows (user-interface thread); the shaper preview shapes it.
    void setPreviewUserWave(int n) { previewUserWave = n; }
    int getPreviewUserWave() const { return getEditorOpen() ? previewUserWave.load() : 0; }
    void setTempPreviewWave(int n);
    const float* getUserLfoShape(int n) const { return userLfoShapes[n & 1]; }
    bool getUserWaveBusy() const { return userWaveBusy.load(); }
    // True while the audio thread's staged rebuild of a user wave is under way.
    bool isUserWaveBuilding() const { return userWaveBuildWave >= 0; }
    // True while a rebuild of user wave n waits to start (asked for, or its points written).
    bool getUserWaveDirty(int n) const {
        return userWaveDirty[n & 1] != 0 || userWavePointsWrittenSinceBuild(n & 1);
    }
    uint32_t getWaveLookStamp() const { return waveLookStamp.load(std::memory_order_acquire); }
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

    // An oscillator's settings of every 2nd pass and of every pass for one voice, and the same
    // for a list of voices four at a time across lanes (those whose `due` is set take the
    // settings of every 2nd pass). The render pass uses the lanes; the tests hold them to the
    // scalar forms through the settings they write.
    void setOscEvery2nd(int voice, int osc);
    void setOscEveryPass(int voice, int osc);
    void setOscSettingsLanes(int osc, const int* voices, const uint8_t* due, int count,
                             bool knobsChecked = false);
    OscVoice& oscVoiceSettings(int voice, int osc) { return oscVoices[voice & 15][osc & 1]; }

private:
    void setGlobalPlayStructure();
    void setGlobalOscillators();
    void setGlobalEnvelopes();
    void setGlobalPaths();
    void updateOscLfoRates();
    // Raises voiceSetupSerial when a structural setting a voice's set-up depends on changed.
    void noteVoiceStructure();
    // What the control-rate update chooses from the structure (unison lanes, filter type, EQ
    // and stage coefficients, LFO settings), chosen again without moving any envelope,
    // smoothing or glide on: for a voice whose structure changed between two of its updates.
    void refreshVoiceSetup(int voice);
    void setVoiceUnison(int voice);
    void setOscEnvSpeeds(int voice);
    // The sources a voice's matrix reads this pass (its LFO step and envelope values).
    void setVoiceModSources(int voice);
    // The envelope sources 40..55 of each listed voice (while something reads them), and its
    // free envelopes' interpolation.
    void setVoiceEnvSources(const int* voices, int count);
    // One voice's envelope sources 40..55 from where its envelopes stand.
    void publishEnvSources(int voice);
    void restartVoiceOscillators(int voice);
    float oscRandom();
    void startVoiceEnvelopes(int voice);
    void setVoiceEnvRates(int voice);
    void setOscTableChoice(int voice, int osc);
    void setOscDrift(int voice, int osc);
    void setOscSpread(int voice, int osc);
    void setOscZek(int voice, int osc);
    void setOscShaping(int voice, int osc);
    void setOscEveryPassExtras(int voice, int osc);
    void stepOscLfo(int voice, int osc, bool update);
    void catchUpOscLfoSources();
    // Every active voice; with `kind`, each voice's oscRenderKind for the render that follows.
    void setOscIncrements(int osc, uint8_t* kind = nullptr, bool pmOn = false);
    // Whether the knobs of the settings of every 2nd pass, every pass and the increments, or
    // the voices' default destinations, moved since the last look: then no voice's settings
    // stand. `oscInputsMove` for this pass is set from the matrix slots.
    void checkOscKnobs(int osc);
    void setOscInputsMove(int osc);
    void renderOscillator(int osc);
    template <int Osc> void renderOscillatorOf();
    void renderOscSamples(int voice, int slot, int osc);
    void renderNoise(int slot, int osc, int subVoice);
    void renderSub(int voice, int slot, int osc);
    void mixOscillator(int voice, int slot, int osc, int subVoice);
    void advanceSync(int slot);
    void runVoicePath();
    // Runs one path position; a unit that is on writes its output into pathOut and into pathIn,
    // the next position's input.
    void runPathUnit(int unit);
    void runVoiceFilter();
    void runVoiceEQ(bool post);
    void setVoiceGains();
    void sumVoices();
    void stepEnvelope(EnvState& e, int env, int voice, bool gated, bool fastFade);
    // The step of an envelope other than the amp envelope held in its sustain, and the end
    // every step shares.
    void stepHeldEnvelope(EnvState& e, int env, int voice);
    void finishEnvelopeStep(EnvState& e, float previous, float position, float output, bool gated,
                            int voice);
    // A voice's control-rate envelope steps after the amp envelope's: the filter and free
    // envelopes, then every sub-voice's oscillator envelopes.
    void stepVoiceEnvelopes(int voice, bool gated);
    float envTimeIncrement(float knob, bool synced) const;
    void pointsToBaseTable(int n);
    void rebuildUserWave(int n, uint32_t since);
    // setParameter's store of a point of wave n (see userWavePointWrites).
    float storeUserWavePoint(int n, int tag, float value);
    void writeBackUserWavePoints(int n, uint32_t since, const float* points);
    // Point i of wave n once the write-back has stored its smoothing there, having read the
    // point's begun writes as `begun`: a write of the point that began since may have stored
    // before the smoothing, and its value goes back over it.
    void putBackWrittenPoint(int n, int i, uint32_t begun);
    bool userWavePointsWrittenSinceBuild(int n) const {
        return userWavePointWrites[n].load(std::memory_order_relaxed) !=
               userWaveWritesBuilt[n].load(std::memory_order_relaxed);
    }
    void inverseToTables(int n);
    bool lockUserWaves(bool wait);
    void unlockUserWaves();
    // Asks the audio thread for a rebuild of user wave n; resynth also smooths its points
    // (an oscillator's switch to it does, a preset apply keeps the points it loaded).
    void requestUserWaveRebuild(int n, bool resynth);
    // One step of the staged rebuild; false when none is under way or waiting.
    bool advanceUserWaveBuild();
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
    int32_t preEqMode = 0, postEqMode = 0;
    int32_t voiceDistortInternalMode = 0;
    float dcInput = 0.0f, dcFeedback = 1.0f;
    float envShapes[3][8] = {};
    float envGlobalSpeed[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    uint8_t envSynced[8] = {};
    uint8_t destInUseSubVol[2] = {};
    uint8_t destInUseSpread[2] = {};
    uint8_t moduleSourceUsed[6] = {};
    uint8_t voiceOutputSourceUsed = 0;
    uint8_t oscOutputSourceUsed[3] = {};
    // The structural settings of the last slow update, and a serial raised whenever one of
    // them changes; each voice keeps the serial its set-up was chosen under.
    static constexpr int kVoiceStructureFields = 24;
    int32_t voiceStructure[kVoiceStructureFields] = {};
    uint32_t voiceSetupSerial = 1;
    uint32_t voiceSetupSeen[kNumVoices] = {};
    float shaperPreviewSum = -1.0f;
    int shaperPreviewWave = -1; // the wave the preview table was last shaped from
    Relaxed<int32_t> previewUserWave{0};
    float brickValueCached = -1.0f;
    uint8_t transportPlaying = 0;
    uint32_t oscRandSeed = 1;

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
    // The inputs of a voice's 24 controller smoothers (mod wheel, poly and channel pressure,
    // the 21 controllers) at its last control step, and whether that step left every smoothed
    // value and its source as it found them: while the inputs stay, the next step would too.
    // Cleared where the sources are written from outside (a voice's start, a reset).
    float smootherInputs[kNumVoices][24] = {};
    uint8_t smoothersSettled[kNumVoices] = {};
    float subVoiceTune[kSubVoiceSlots] = {};
    float subVoicePan[kSubVoiceSlots][2] = {};
    float oscOctavePitch[kNumVoices][2] = {};
    float oscIncrementBase[kNumVoices][2] = {};
    float voiceOscKeyPitch[kNumVoices][2] = {};

public:
    // Per pass: the gain pair of frame A and of frame B of each voice.
    float voiceFrameGain[kNumVoices][2][2] = {};

private:
    // Oscillators: per slot and oscillator, per voice and oscillator; oscillator 1's mono mix.
    OscSlot oscSlots[kSubVoiceSlots][2];
    OscVoice oscVoices[kNumVoices][2];
    OscPassKey oscPassKeys[kNumVoices][2];
    alignas(16) uint32_t oscPassKnobs[2][12] = {}; // the knobs those settings last read
    // Per pass and oscillator: which of its per-voice inputs may have moved since the pass
    // before (kOscSettingsMove, kOscPitchMove), from the matrix slots' destinations.
    uint8_t oscInputsMove[2] = {};
    // Whether a slot read each oscillator LFO's sources at the last look (catchUpOscLfoSources;
    // always with noSkips).
    uint8_t oscLfoRowsRead[2] = {};
    float osc1Mono[kSubVoiceSlots][4] = {};
    // The oscillator whose frames start each listed slot's pass (0 or 1), or -1 when neither
    // reaches the output and the frames are cleared instead.
    int8_t oscFramesFirst = -1;
    stereoStruct slotDcState[kSubVoiceSlots] = {};

    // User waves: partials (amp, phase) and the transform's work arrays. `userWaveDirty` asks
    // for a rebuild; `userWaveBusy` is held while one runs, on whichever thread.
    float userWavePartials[2][4097][2] = {};
    float fftInRe[4096] = {}, fftInIm[4096] = {}, fftOutRe[4096] = {}, fftOutIm[4096] = {};
    float baseTableWork[4096] = {};
    uint8_t userWaveDirty[2] = {};
    std::atomic<bool> userWaveBusy{false};
    // The audio thread's rebuild of a user wave, one step per slow update so no block carries
    // the whole chain: the band tables are made into `userWaveStaging` and copied over the
    // sounding ones only once all are whole. `userWaveEdits` counts rebuilds from the editor;
    // one during a staged build starts the build again, since the work arrays were reused.
    int32_t userWaveBuildWave = -1;
    int32_t userWaveBuildStep = 0;
    uint8_t userWaveBuildResynth[2] = {};
    uint32_t userWaveBuildEdits = 0;
    float userWaveBuildPeak = 0.0f; // table 0's peak, from the transform step to the partials
    std::atomic<uint32_t> userWaveEdits{0};
    // Writes of each wave's points through setParameter (the host's, the editor's), counted
    // once the value is stored. A count other than the one the wave's last build read its
    // points at (`userWaveWritesBuilt`) asks the audio thread for a build from the points, so
    // what is stored is what plays. A re-synthesis writes its smoothed points back only while
    // the count still stands at `since` (for a switch's, the count the wave was last built at:
    // `userWaveResynthSince`), so a point written since always stands over the smoothing.
    std::atomic<uint32_t> userWavePointWrites[2] = {};
    std::atomic<uint32_t> userWaveWritesBuilt[2] = {};
    uint32_t userWaveResynthSince[2] = {};
    // Per point, for the write-back beside a write of the same point on another thread, which
    // never waits for it: the writes begun and ended, and the value last written. A point whose
    // write is under way is skipped; one whose write began after the write-back looked at it
    // gets the written value back (putBackWrittenPoint).
    std::atomic<uint32_t> userWavePointBegun[2][tag::UserWavePointCount] = {};
    std::atomic<uint32_t> userWavePointEnded[2][tag::UserWavePointCount] = {};
    Relaxed<float> userWaveWrittenPoints[2][tag::UserWavePointCount];
    // Counts the rewrites of what the wave display draws (a wave's first table, its partials,
    // the shaper preview), on whichever thread: the editor redraws when it moves.
    std::atomic<uint32_t> waveLookStamp{0};
    float userWaveSpectrum[2][4096] = {};
    float userWaveStaging[kUserWaveBands][kWaveTableSize] = {};
    uint8_t userPreviewOn = 0;

public:
    // ---- Voice stages: waveshaper, low-fi, voice distortion ---------------------------------
    // The voice path's WAVESHAPER, LOW-FI and DISTORTION positions: each runs every active
    // voice's sub-voices from pathIn into pathOut (run by the voice path, into pathIn too) and
    // leaves both alone while its switch is off. Audio thread, once per pass.
    void doWaveShaper();
    void doLowFi();
    void doVoiceDistort();
    // The control-rate part of those three stages for one voice (smoothing of the shaper and
    // distortion knobs, the low-fi steps, the distortion mode's coefficients); the voice's
    // control-rate update calls it after the EQ set-up. Without `smooth` the knobs' smoothing
    // stays where it stands and only the coefficients are made again.
    void setVoiceStages(int voice, bool smooth = true);
    // The FILTER and the two EQ positions of the voice path, their control-rate set-up for one
    // voice (type, tracking and the EQ bands and cut filters), and a note start's reset of the
    // voice's filter and EQ units (audio thread).
    // Both write their output into pathOut and, for the sub-voices of this pass's list, into
    // pathIn too, so the path hands on without a copy. A sub-voice still waiting for its start
    // keeps its pathIn as it was (its output goes to pathInSpare).
    void doVoiceFilter();
    stereoOverStruct* nextPathIn(int voice, int subVoice, int slot) {
        return subVoiceStarted[voice & 15][subVoice & 7] ? pathIn[slot] : pathInSpare;
    }
    stereoOverStruct pathInSpare[2] = {};
    void setVoiceFilterAndEQ(int voice);
    void startVoiceStages(int voice);

    // Waveshaper, per voice: smoothed mix, top and bottom, and the fold factors.
    float shaperMix[kNumVoices] = {};
    float shaperTopSmooth[kNumVoices] = {};
    float shaperBottomSmooth[kNumVoices] = {};
    float shaperTop[kNumVoices] = {};
    float shaperBottom[kNumVoices] = {};
    float shaperRect[kNumVoices] = {};
    // Low-fi, per voice, and per slot the hold counter, the held pair and the output filter.
    float lofiMix[kNumVoices] = {};
    float lofiStep[kNumVoices] = {};
    float lofiInvStep[kNumVoices] = {};
    float lofiHold[kNumVoices] = {};
    float lofiNoise[kNumVoices] = {};
    CurveMemo lofiCoefMemo[kNumVoices];
    // The fold factors' and low-fi steps' curves of their clamped knobs (rate-independent).
    CurveMemo shaperTopMemo[kNumVoices], shaperBottomMemo[kNumVoices];
    CurveMemo lofiStepMemo[kNumVoices], lofiHoldMemo[kNumVoices];
    EnvRateMemo envRateMemo[kNumVoices];
    // Per voice: the unison amount, spread, mode and count its sub-voices' tunings and pans were
    // last made from, and whether they were made.
    float unisonMemo[kNumVoices][4] = {};
    uint8_t unisonMemoValid[kNumVoices] = {};
    // The tube mode's drive and tone coefficient per voice.
    CurveMemo tubeDriveMemo[kNumVoices], tubeToneMemo[kNumVoices];
    // The rate the rate-dependent memos above were filled at; a new rate forgets them.
    float stageMemoRate = 0.0f;
    void checkStageMemoRate() {
        if (stageMemoRate == rateTimes04) return;
        stageMemoRate = rateTimes04;
        for (int v = 0; v < kNumVoices; ++v) lofiCoefMemo[v] = tubeToneMemo[v] = CurveMemo{};
    }
    float lofiCounter[kSubVoiceSlots] = {};
    stereoStruct lofiHeld[kSubVoiceSlots] = {};
    stereoStruct lofiLow[kSubVoiceSlots] = {};
    stereoStruct lofiBand[kSubVoiceSlots] = {};
    // Voice distortion, per voice: the smoothed mix and knobs (tags 72..79), the mode's
    // coefficients and the Normal knob's level followers; per slot the filter states.
    float distortSmooth[kNumVoices][8] = {};
    float voiceDistortCoeffs[kNumVoices][4] = {};
    int32_t voiceDistortCoeffMode[kNumVoices] = {}; // the mode voiceDistortCoeffs were made for
    float distortInLevel[kNumVoices] = {};
    float distortOutLevel[kNumVoices] = {};
    struct DistortFilterState {
        stereoStruct low1, band1, low2, band2;
    };
    DistortFilterState distortStates[kSubVoiceSlots] = {};
    // The voice stages' eight-lane steps (AVX2), decided once when the engine is built.
    bool stagesWide = hasAvx2();

private:
    // A stage parameter of one voice: its value plus the voice's modulation of it.
    // A stage's knob plus the voice's modulation of it.
    float getVoiceStageValue(int voice, int tag) const {
        const int d = getDestForTag(tag);
        return currentValues[tag] + (d > 0 && d < 512 ? voiceDest[voice][d] : 0.0f);
    }
    // The same split in two: the knob and its modulation slot read once for a pass, then each
    // voice's value from its destinations, with the same sum as getVoiceStageValue.
    struct StageKnob {
        float knob;
        int dest; // 0: no modulation slot
        float at(const float* voiceDests) const {
            return knob + (dest > 0 ? voiceDests[dest] : 0.0f);
        }
    };
    StageKnob stageKnob(int tag) const {
        const int d = getDestForTag(tag);
        return {currentValues[tag], d > 0 && d < 512 ? d : 0};
    }
    // The voices of this pass's sub-voice list in order of appearance, with their slots.
    struct StageVoices {
        int count = 0;
        int voices[kNumVoices];
        int slotCount[kNumVoices];
        int slots[kNumVoices][kSubVoicesPerVoice];
    };
    void collectStageVoices(StageVoices& out) const;
    // The voice path collects the list once for all its stages of a pass (the list stands still
    // meanwhile); a stage run on its own collects it into `local`.
    const StageVoices* pathStageVoices = nullptr;
    const StageVoices& passStageVoices(StageVoices& local) const {
        if (pathStageVoices) return *pathStageVoices;
        collectStageVoices(local);
        return local;
    }
    void setVoiceDistortCoeffs(int voice, bool smooth = true);
    // The internal mode of the "Voice Distortion Mode" menu as it stands.
    int getVoiceDistortMode() const;
    // The Clipper chain or the common one (every mode but Tube) for one voice's sub-voices.
    void doDistortChain(int voice, const int* slots, int count, int mode, float dry, float wet,
                        const float (&knobs)[8]);
    // The Tube chain of every listed voice, two sub-voices per four-lane step across voices.
    void doTubeChains(const StageVoices& sv, const float (*knobs)[8]);

public:
    // ---- Modulation: matrix, LFOs, ribbon, voice gater, global sources, XY pads -------------
    // Matrix, setters and queries (any thread for the queries; audio thread for the rest).
    static int getModSrc(float value);  // source selector value -> 0..105
    static int getModDest(float value); // destination selector value -> 0..322
    static bool isValidSrc(int src) { return src >= 1 && src < kModSources; }
    bool getModBypass(int slot) const;
    void setModBypass(int slot, bool bypass);
    int getModSrcBySlot(int slot) const;
    int getModDestBySlot(int slot) const;
    int getModSrcByTag(int tag) const;
    int getModDestByTag(int tag) const;
    int getDestType(int dest) const;
    int getTagDest(int tag) const { return getDestForTag(tag); }
    // Writes a source: every voice (and the global value when `global`); a voice's own; a
    // MIDI controller's unsmoothed value (per channel in Poly MPE).
    void setModSrc(int src, float value, bool global);
    void setModSrc(int voice, int src, float value);
    void setModSrc(int src, float value, int channel);
    // Every 128 samples (from setGlobalRare): global LFO settings, the morph LFO's blend, the
    // slot table, the slot list and the in-use flags.
    void setModRare();
    void setModSlotTable();
    // The listed slots' amounts and offsets from their parameters.
    void refreshModSlotValues();
    void setVoiceModSlotLanes();
    void setModSourcesInUse(bool slotsChanged);
    void setGlobalLFOSettings();
    // Every 16 samples (from setGlobalOften, first): the global evaluation and master gain.
    void setGlobalMod();
    // Per voice: the evaluation every pass for a list of voices (four at a time across lanes;
    // one voice is a list of one), the note-start evaluation, the default restore.
    void setVoiceModLanes(const int* voices, int count);
    void setVoiceModNoteStart(int voice);
    void setDefaultVoiceMod(int voice);
    // Modulated value of a parameter for the editor's rings (user-interface thread). It reads
    // only `modShown`, never the voices' own state, which the audio thread is writing.
    float getModValue(int tag);
    // What the rings show of the sounding voice: copied by the audio thread at the end of
    // every block, read by the editor's idle pass.
    struct ModShown {
        Relaxed<bool> sounding;
        Relaxed<float> dest[kModDests];
        Relaxed<float> oscGain[2];
        Relaxed<float> subGain[2];
        Relaxed<float> masterGain;
        Relaxed<float> mainLfo;
        Relaxed<float> modWheel;  // the voice's smoothed mod wheel
        Relaxed<float> filterEnv; // the voice's filter-envelope output, signed by its inversion
        // The XY pads of the voice they show (-1: none sounds): replayed position and the
        // modulated position, x then y.
        Relaxed<int> xyVoice{-1};
        Relaxed<float> xyValue[2][2];
        Relaxed<float> xyMod[2][2];
        // Busy voices; the arpeggiator's playing pattern (-1 none) and step light; the
        // modulation of its step count and loop start.
        Relaxed<int> notesPlaying{0};
        Relaxed<int> arp{-1};
        Relaxed<int> arpLed{-1};
        Relaxed<float> arpStepsMod;
        Relaxed<float> arpLoopStartMod;
    } modShown;
    void publishModShown();
    void publishArpShown();
    void publishXYShown();
    // Start-up: the source and destination stores zeroed, the defaults set.
    void initModulation();

    // LFOs (audio thread).
    double getLfoSpeed(int speedTag, bool synced, double multiplier) const;
    void setGlobalLFO(int lfo);
    // One step of a voice's three LFOs (Main LFO, Free LFO 1, Free LFO 2) and, where
    // `morphRuns`, its morph LFO, in four lanes, every mode; returns the morph's output.
    float stepVoiceLFOLanes(int voice, float amount, bool morphRuns);
    void packVoiceLFOLanes(int voice);
    // A voice's LFO settings from its destinations (setVoiceModOften), and its per-pass LFO
    // work: the three steps on even or new passes, the Free LFO 1/2 value and sources 60..67.
    void setVoiceLFOSettings(int voice);
    void setVoiceLFOPass(int voice);
    // The same for each listed voice in turn (valid voice numbers).
    void setVoiceLFOPasses(const int* voices, int count);
    // The Free LFO 1/2 value of modes 0..8 for two LFO values and an amount.
    static float getLFOCombination(int mode, float amount, float lfo1, float lfo2);
    // A host transport start: the global LFOs, the morph LFO and the XY pads' global replay
    // and recording clock back to their start.
    void restartModOnTransport();

    // Global sources, every sample from the render loop: LFO stepping every 4 samples, the
    // Free LFO 1/2 combination, level and pan smoothing, noise sources.
    void doGlobalSources();
    // The same for a sample of a quiet span (no voice, no event): the values reach the global
    // row only when `publish` (the span's last sample), since nothing reads them before.
    // `ramp` is false where a 4-sample step later in the span overwrites the ramped values.
    void doQuietGlobalSources(bool publish, bool ramp);
    void updateLfo12Amount();
    void stepGlobalSources();
    void publishGlobalLfos();
    void rampGlobalLfos();
    void smoothLevels();
    void runNoiseSources(bool publish);
    // Every smoothed level starts at its target (reset), so nothing fades in after a load.
    void snapSmoothedLevels();
    float doPinkNoise(int a, int b, int counter);
    // Copies the global noise, input and output sources into one voice's row: doGlobalSources,
    // publishInput and publishOutput write only the rows of sounding voices.
    void shareGlobalSources(int voice);
    // One draw u in [0, 1) of the engine's own generator (RandSeed).
    float getRandUnit();
    // The 65,536-point table of an LFO wave; null for wave 5 (sample and hold).
    const float* getLFOWaveTable(int wave) const;
    // One step of a morph LFO between two LFOs at blend a; returns its new output.
    float stepMorphLFO(LFOState& morph, const LFOState& lfo1, const LFOState& lfo2, float a,
                       float humaniseDepth, BlendedRate& blended);

    // Ribbon, every 16 samples (from setGlobalOften).
    void updateRibbon();

    // Voice gater, once per pass of a voice while the gater runs per voice.
    void doVoiceGater(int voice);

    // XY pads: recording (user-interface thread), replay and sources (audio thread).
    void startXYRecord(int pad);
    void setXYRecord(int pad, float x, float y);
    void updateXYRecord(int pad);
    void endXYRecord(int pad);
    void setXY(int pad, float x, float y);
    void setXYPath(int pad, int point, float x, float y);
    void setZeroTime(int pad);
    void updateXYStuff(int pad);
    void updateXYPads(); // setGlobalOften's pad step for both pads
    void startReplay(int pad);
    void updateXYReplay(int pad);
    void updateXYReplay(int pad, int voice);
    void updateXYMod(int voice, int pad, float x, float y);
    void getXYValue(int pad, int voice, float& x, float& y) const;
    void getXYValue(int pad, float& x, float& y) const;
    bool getXYModVal(int pad, float& x, float& y) const;
    int getXYPlayMode(int pad) const;
    bool isXYVoiceReplay(int pad) const; // "Replay" with "Poly": each voice runs the path
    // The same for both pads (bit p for pad p), for the voices' control steps: kept while the
    // record and play modes of both pads stand still.
    uint32_t getXYVoiceReplayPads();
    struct XYReplayPadsMemo {
        float key[4] = {};
        uint8_t valid = 0;
        uint8_t pads = 0;
    };
    XYReplayPadsMemo xyReplayPadsMemo;
    int getXYLoopMode(int pad) const;
    bool getXYEdit(int pad) const;
    bool getXChanged(int pad);
    bool getYChanged(int pad);
    bool getXYMidiChange(int pad);
    bool getChangedXY(int pad) const;
    void setChangedXY(int pad, bool changed);
    bool getUpdateXY(int pad) const;
    void setUpdateXY(int pad, bool update);
    void updateMIDIXY(int pad);
    void getXYEditor(int pad, float& x, float& y) const;
    // The voice whose pad sources and position the editor shows; -1 when none plays.
    int getXYVoice() const;
    // One replay step of a pad's path from `position`; false when the path cannot move.
    bool stepXYReplay(int pad, double& position, double direction, float speedMod, float& x,
                      float& y) const;

    // Matrix state: the slot table (every 128 samples) and its list.
    int32_t modSlotDest[16] = {};
    int32_t modSlotSource[16] = {};
    uint8_t modSlotBipolar[16] = {};
    uint8_t modSlotSymmetric[16] = {};
    float modSlotLower[16] = {};
    float modSlotUpper[16] = {};
    float modSlotScale[16] = {};
    int32_t modSlotList[16] = {};
    int32_t modSlotCount = 0;
    // Per listed slot, refreshed with the global evaluation every 16 samples: the bipolar
    // amount and offset from the parameters, and how the voice form applies it (0 adds,
    // 1 multiplies a volume, 2 adds whole cents of pitch). Whether any slot chains another.
    float modSlotAmount[16] = {};
    float modSlotOffset[16] = {};
    uint8_t modSlotKind[16] = {};
    uint8_t modSlotChains = 0;
    // The listed slots side by side in list order, as the per-pass voice evaluation reads them.
    struct VoiceModSlot {
        int32_t slot, source, dest;
        float lower, upper, scale;
        float amount, offset;
        uint8_t kind, bipolar, symmetric, centerNote;
        // The list position of the first slot on the same destination, and whether this slot
        // is the last one on it.
        uint8_t group, lastOnDest;
    };
    VoiceModSlot voiceModSlots[16] = {};
    // The voice evaluation's form of each listed slot, made whenever the list or its values
    // change: the amount (without a slot-amount chain), offset, range and window as lanes, how
    // the slot maps its source, and whether its source may stand still from pass to pass.
    struct VoiceModSlotLanes {
        alignas(16) float amount[4], offset[4], range[4], lower[4], scale[4];
        uint8_t map, folds;
    };
    VoiceModSlotLanes voiceModSlotLanes[16] = {};
    // Per group of four voices of the pass: the source values each folding slot last read and
    // the terms it made from them, reused while the voices, their sources and the slot forms
    // (voiceModSlotSerial, never 0) stay the same.
    struct VoiceModFold {
        alignas(16) float x[16][4];
        alignas(16) float term[16][4];
        int32_t voices[4];
        uint32_t serial;
    };
    VoiceModFold voiceModFolds[kNumVoices / 4] = {};
    uint32_t voiceModSlotSerial = 1;
    uint8_t voiceModSlotsFold = 0; // some listed slot folds
    // The parameters the slot table was last built from (bypass, source, lower, upper and
    // destination of every slot, one run of tags), compared bit for bit: an unchanged table
    // is not built again. Cleared with the matrix state.
    float modSlotTableKey[80] = {};
    uint8_t modSlotTableKeyValid = 0;
    // The same for the slots' offsets and amounts (cleared when the list is built anew).
    float modSlotValuesKey[32] = {};
    uint8_t modSlotValuesKeyValid = 0;
    // In-use flags from the slot table: per source, per destination, and the grouped ones.
    uint8_t modSrcInUse[kModSources] = {};
    int32_t lfoSpeedSourceInUse = 0; // the Main LFO's speed source while its depth is not 0
    uint8_t modDestInUse[kModDests] = {};
    uint8_t freeLfoInUse = 0;   // Free LFO 1 and 2 run (sources 62..67 used)
    uint8_t freeLfo12InUse = 0; // the Free LFO 1/2 combination runs
    uint8_t whiteNoiseInUse = 0;
    uint8_t pinkNoiseInUse = 0;
    uint8_t envSourcesInUse = 0; // some of the envelope sources 40..55 are read (or noSkips)
    // Unsmoothed MIDI controller values per voice and per MIDI channel (Poly MPE).
    float voiceMidiSource[kNumVoices][kModSources] = {};
    float channelMidiSource[16][kModSources] = {};
    // Main volume: the modulation of destination 1 and the smoothed knob (the render loop
    // applies the masterGain made of them).
    float mainVolumeMod = 0.0f;
    float mainVolumeSmooth = 0.0f;

    // Global sources: the Free LFO 1/2 amount, mode and ramp, smoothed levels, pink noise.
    float lfo12Amount = 0.0f;
    int32_t lfo12Mode = 0;
    float lfo12Target = 0.0f;
    float lfo12Value = 0.0f;
    float lfo12Step = 0.0f;
    float mainPanSmooth = 0.5f;
    float oscPanSmooth[2] = {0.5f, 0.5f};
    float oscVolumeSmooth[2] = {};
    float oscGainSmooth[2] = {};
    float oscSubLevel[2] = {};
    // The targets of a smoothing step that moved none of the levels: while they stand, the
    // next step would give the same levels again (cleared when the levels are set anew).
    float settledTargets[7] = {};
    uint8_t levelsSettled = 0;
    // Pink noise generators (sub-voice or 0, oscillator or 2): seven rows and their sum.
    float pinkRows[kSubVoiceSlots][3][8] = {};
    // Per voice: the Free LFO 1/2 amount, target, value and step per pass.
    float voiceLfo12Amount[kNumVoices] = {};
    float voiceLfo12Target[kNumVoices] = {};
    float voiceLfo12Value[kNumVoices] = {};
    float voiceLfo12Step[kNumVoices] = {};
    // Per voice: whether its last LFO step left all three idle with no Free LFO 1/2 value
    // (their values rest then, so the per-pass ramp adds nothing).
    uint8_t voiceLFOsResting[kNumVoices] = {};
    // A resting voice's sources 60, 62, 64 and 66 as its last step left them, and the lanes
    // that pass on the global values instead (all bits set).
    alignas(16) float voiceLFORestValues[kNumVoices][4] = {};
    alignas(16) uint32_t voiceLFORestGlobal[kNumVoices][4] = {};

    // Ribbon: spring rate per update (ribbonPosition is the spring position, ribbonTarget the
    // smoothed value).
    float ribbonSpringRate = 0.0f;

    // Voice gater per voice: smoothed mix, position in steps, smoothed (left, right) gates,
    // and the (left, right) gains the voice path applies.
    float gaterVoiceMix[kNumVoices] = {};
    double gaterVoicePos[kNumVoices] = {};
    float gaterVoiceGain[kNumVoices][2] = {};
    float gaterVoiceOut[kNumVoices][2] = {{1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f},
                                          {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f},
                                          {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f},
                                          {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}};

    // XY pad flags shared with the editor: recording, X or Y moved by the engine, set by the
    // pad display, refresh wanted (moved by MIDI: xyMidiChanged).
    std::atomic<bool> xyRecording[2] = {};
    std::atomic<bool> xyXChanged[2] = {};
    std::atomic<bool> xyYChanged[2] = {};
    std::atomic<bool> xySetByDisplay[2] = {};
    std::atomic<bool> xyUpdateWanted[2] = {};
    // XY gesture buffers, shared by both pads (one entry per millisecond).
    float xyRecordX[kXYRecordSize] = {};
    float xyRecordY[kXYRecordSize] = {};

public:
    // ---- Arpeggiator and step sequencer -----------------------------------------------------
    bool crossArpStepBoundary();
    // The arpeggiator runs on the audio thread only; the editor reads the queries below
    // without locks. Patterns: 0 "Arp A", 1 "Arp B".
    static constexpr int kArpKeys = 32; // keys the held-note list keeps
    static constexpr double kArpNoInterval = 9999.0;
    static constexpr double kArpEndlessGate = 99999.0;

    // Hooks for the other units, each one line at its caller:
    // setGlobalRare: latch switch, swing factors, cached modes.
    void updateArpRare();
    // setGlobalOften, with the tempo: host tempo and transport, step increment, octave count
    // and the host-synced start.
    void updateArpClock();
    // setGlobalOften, after the XY pads: key-entry switch, smoothing coefficients and the
    // per-block drivers.
    void updateArpOften();
    // Render loop, every 16 samples after setArpMod: the global mod arp's smoothed free values
    // into the global and per-voice sources.
    void smoothArpFree();
    // Voice control-rate update: the voice's arp free sources (and its "Mod Arp Poly" step).
    void updateArpVoiceSources(int voice);
    // Note road: the first key of an arpeggio (phrase state, LFOs, pads, gater), a note from
    // silence (the global mod arp restarts), and every new voice (its "Mod Arp Poly" sequence;
    // in "Mod Arp Mono" the global one restarts too).
    void setArpFirstKey(int velocity);
    void restartModArp();
    void restartArpModVoice(int voice, int key);

    // Drivers and readers.
    int getArpSpeed() const;
    int getArpNumOct() const;
    int getArpToStart();
    int getArpLoopMode() const;
    int getArpTiedMode() const;
    void setArpNorm();
    void setArpChord();
    void setArpSeq();
    void setArpMod();
    void setArpMod(int voice);
    void updateArpMod(int voice);
    void doNoZeroArp();
    void doSortArp();
    int getArpNumOfSteps(int pattern) const;
    int getArpLoopStart(int pattern) const;
    // The same with the step-count and loop-start modulation given.
    int arpStepsWithMod(int pattern, float stepsMod) const;
    int arpLoopStartWithMod(int pattern, float stepsMod, float loopStartMod) const;
    // Step settings of a pattern (-1: the playing one); a step outside 0..15 reads as off or
    // zero.
    bool getArpStepOn(int step, int pattern = -1) const;
    bool getArpStepTied(int step, int pattern = -1) const;
    bool getArpStepSlide(int step, int pattern = -1) const;
    int getArpStepTune(int step, int pattern = -1) const;    // semitones, -36..36
    float getArpStepVel(int step, int pattern = -1) const;   // 0..127
    float getArpStepFree1(int step, int pattern = -1) const; // -1..1
    float getArpStepFree2(int step, int pattern = -1) const;
    int getArpStepRatchet(int step, int pattern = -1) const; // extra hits, 0..3
    double getArpRatchetLen(int step) const;
    bool getArpRetrigger(int cycle) const;

    // What the render works with (audio thread); publishArpShown copies them for the editor.
    int getArp() const;
    int getArpLedPos() const;
    // The editor's reads, as the render last published them (any thread).
    int getShownArp() const { return modShown.arp; }
    int getShownArpLedPos() const { return modShown.arpLed; }
    int getShownArpNumOfSteps(int pattern) const;
    int getShownArpLoopStart(int pattern) const;
    // The pattern the editor's arpeggiator screen shows while it is open, else the playing one.
    int getSelectedArp() const;
    int getArpSeq() const { return arpCycle; }
    void setArpKeyEntryPos(int n) {
        if (n >= 0 && n < 16) arpEntryStep = n;
    }
    bool getArpRatchetDisplay() const;

    // Flags.
    uint8_t arpFirstStep = 1;
    uint8_t arpChordStart = 1;
    uint8_t arpChordFirst = 1;
    Relaxed<uint8_t> arpRunning{0};
    uint8_t arpLatchSeen = 0;
    uint8_t arpKeyEntrySeen = 0;
    Relaxed<uint8_t> arpModRunning{0}; // the global mod arp runs
    uint8_t arpSeqRestart = 0;
    uint8_t arpChordLate[kArpKeys] = {}; // keys added since the chord started
    uint8_t arpTransportSeen = 0;
    Relaxed<uint8_t> arpPlayModeIsArp{0}; // the engine's play mode is 8, as of the last slow update
    // Octaves, bounds of the playing pattern, cycle parities, cached modes.
    int32_t arpNumOct = 1;
    int32_t arpOctave = 0;
    int32_t arpStepCount = 16;
    int32_t arpLoopStart = 0;
    Relaxed<int32_t> arpCycle{0};
    int32_t arpModCycle = 0;
    int32_t arpPlayMode = 0;
    Relaxed<int32_t> arpMode{0};
    int32_t arpLoopMode = 0;
    // Position in the pattern and in the held keys.
    Relaxed<int32_t> arpStep{-1};
    int32_t arpDirection = 1;
    Relaxed<int32_t> arpHeldCount{0};
    int32_t arpSwingPhase = 0;
    int32_t arpCurNote = 0;
    int32_t arpNoteCounter = 0;
    int32_t arpRatchetCount = 0;
    int32_t arpPlayedCount = 0; // pattern cycles, 0..719
    int32_t arpNoteIndex = 0;
    int32_t arpPlayingPattern = 0; // 0 A, 1 B
    int32_t arpTopPattern = 0;     // the pattern the last key 120..123 chose in "Top"
    int32_t arpLastSixteenth = 0;
    // Held keys in press order, and a copy in ascending note order.
    int32_t arpHeldNotes[kArpKeys] = {};
    int32_t arpHeldVelocities[kArpKeys] = {};
    int32_t arpSortedNotes[kArpKeys] = {};
    int32_t arpSortedVelocities[kArpKeys] = {};
    // The list as the late-key flags last saw it, to tell new keys from old ones.
    int32_t arpFlaggedNotes[kArpKeys] = {};
    int32_t arpFlaggedCount = 0;
    // The sequencer modes: the key they last played and the phrase's first velocity.
    int32_t arpSeqKeySeen = 0;
    int32_t arpSeqDepthSeen = 0;
    int32_t arpSeqVelocity = 0;
    int32_t arpVoiceStep[kNumVoices] = {};   // step each voice plays, -1 none
    int32_t arpChordVoices[kNumVoices] = {}; // voice of each key of the sounding chord
    float arpPhraseVelocity = 0.0f;          // 0..1, key that started the phrase
    // Clock, in steps.
    double arpTempo = 120.0;
    double arpStepPhase = 0.0;
    double arpIncrement = 0.0; // per 16-sample block
    double arpRatchetPhase = 0.0;
    double arpRatchetInterval = kArpNoInterval;
    double arpGate = kArpEndlessGate;
    double arpSwingFactors[2][2] = {{1.0, 1.0}, {1.0, 1.0}}; // [pattern][swing phase]
    float arpPitchOffset = 0.0f;                             // semitones
    float arpVelocity = 1.0f;                                // 0..127
    // Global mod arp.
    Relaxed<int32_t> arpModStep{0};
    double arpPhase = 0.0;
    int32_t arpModSwing = 0;
    int32_t arpModDirection = 1;
    // Per-voice mod arp ("Mod Arp Poly").
    int32_t arpVoicePattern[kNumVoices] = {};
    int32_t arpVoiceSwing[kNumVoices] = {};
    Relaxed<int32_t> arpVoiceModStep[kNumVoices];
    int32_t arpVoiceDirection[kNumVoices] = {};
    int32_t arpVoiceCycle[kNumVoices] = {};
    double arpVoicePhase[kNumVoices] = {};
    uint8_t arpVoiceRunning[kNumVoices] = {};
    // Free 1 / Free 2: per voice and of the global mod arp, targets and smoothed values.
    float arpVoiceFreeTarget[2][kNumVoices] = {};
    float arpVoiceFreeSmooth[2][kNumVoices] = {};
    float arpModFreeTarget[2] = {};
    float arpModFreeSmooth[2] = {};
    float arpSmoothCoefs[2][2] = {}; // [attack, decay][pattern]

private:
    struct ArpCursor;
    int moveArpCursor(ArpCursor& cursor, bool poly);
    void fixArpBounds(ArpCursor& cursor, int pattern);
    bool updateArpStep();
    void runArpSteps(bool sequencer);
    void publishArpStep(int voice, int step);
    int pickArpNote(bool sequencer, int& velocity);
    void startArpChord(bool newNotes, int count);
    void releaseLatchedKeys();
    void followArpPattern();
    void noticeSequencerKey();
    int tagOfArp(int firstTagA, int pattern, int step) const;
    float arpVelocityBlend() const;
    uint32_t arpRandom();

public:
    // ---- FX chain: paths, gater, delay, reverb, distortion FX, modulation FX ----------------
    // The five units of the master effect chain; each runs every pass and passes its input
    // through while its switch is off. The gater takes one frame per call.
    void doDistortFX(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doFXMod(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doGater(stereoStruct in, stereoStruct* out);
    void doDelay(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    void doReverb(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1);
    // The effects' share of the slow (every 128 samples) and fast (every 16 samples) control
    // updates: gater pattern and switches, distortion mode, modulation mode, path orders; and
    // gater mix, speed and steps. Called by setGlobalRare and setGlobalOften.
    void setFXRare();
    void setFXOften();
    // The effects' share of the engine reset: units silent, smoothed values re-latched.
    void resetFX();

    // Processing paths (path 0 the voice path, 1 the FX path). The editing operations run on
    // the user-interface thread and write the order through setParameter.
    int getPathEntry(int position, int path);
    int changePathDelta(int position, int direction, int path);
    void swapPath(int from, int to, int path);
    // Decodes both path orders into pathUnits; part of setFXRare.
    void updatePaths();

    // Gater.
    bool getIsPolyGater() const;
    void resetGater(int voice);
    void publishGaterSources(int voice, stereoStruct gain, bool global);
    uint64_t getGaterPos() const { return gater.gaterPos; }
    stereoStruct getGaterGain() const { return gater.gaterGain; }

    // The units' states; the DSP units they drive are the engine's DSP members.
    GaterState gater;
    ReverbStageState reverbStage;
    DistortFXState distortFX;
    DelayStageState delayStage;

    // Modulation effect: LFO, band filter, lines and every mode's state.
    ModFXState modFX;

    // Last, so the members before keep their places. Per voice: the key-tracking amount and pitch
    // the filter's key tracking was last made from, and whether it was (a double power of two the
    // control step need not repeat).
    float filterTrackKey[kNumVoices][2] = {};
    uint8_t filterTrackValid[kNumVoices] = {};
    // Every shortcut the render takes for speed (memos, rows written only while read, work left
    // idle while nothing hears it) turned off, so each is done in full: for the tests that hold
    // the render against itself. Set at construction from ZEK2_NO_SKIPS=1 in the environment,
    // never changed after.
    const bool noSkips = skipsOffInEnvironment();
    static bool skipsOffInEnvironment();

private:
    void distortShaped(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                       stereoStruct* out0, stereoStruct* out1);
    void distortAmp(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                    stereoStruct* out0, stereoStruct* out1);
    void distortCab(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                    stereoStruct* out0, stereoStruct* out1);
    void distortAmpTail(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                        stereoStruct y0, stereoStruct y1, float extraGain, stereoStruct* out0,
                        stereoStruct* out1);
    void distortClipper(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                        stereoStruct* out0, stereoStruct* out1);
    void distortLowFi(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                      stereoStruct* out0, stereoStruct* out1);
    void distortWaveShaper(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                           stereoStruct* out0, stereoStruct* out1);
    void distortTube(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                     stereoStruct* out0, stereoStruct* out1);
    void distortFilterPair(const DistortFXParams& d, stereoStruct y0, stereoStruct y1,
                           stereoStruct& f0, stereoStruct& f1);
    void distortMixOut(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                       stereoStruct w0, stereoStruct w1, float gain, stereoStruct* out0,
                       stereoStruct* out1);
    static float distortBoost(float x, float gain);
    float distortRandom();

    float modFXRandom();
    void modFXLfoUpdate();
    stereoStruct modFXBand(stereoStruct v);
    void modFXLimit(ModFXPass& pass);
    void modFXChorusDelays(const ModFXPass& pass, float base, float& left, float& right) const;
    float modFXFlangerDelays(const ModFXPass& pass, float& left, float& right) const;
    void modFXChorus(ModFXPass& pass);
    void modFXTapeChorus(ModFXPass& pass);
    void modFXFlanger(ModFXPass& pass);
    void modFXTapeFlanger(ModFXPass& pass);
    void modFXEnsemble(ModFXPass& pass);
    void modFXPhaser(ModFXPass& pass);
    void modFXWahWah(ModFXPass& pass);
    void modFXTremolo(ModFXPass& pass);
    void modFXAutoPan(ModFXPass& pass);
    void modFXRingMod(ModFXPass& pass);
    float modFXWave(int wave, float phase) const;
    float modFXSmoothing() const;

    // The modulation matrix's sum for a destination (0 outside the table).
    float fxMod(int dest) const { return dest >= 0 && dest < 323 ? globalDest[dest] : 0.0f; }
    float fxValue(int tag) const { return currentValues[tag]; }

public:
    // ---- Tuning, MIDI learn, controller maps, wave files and sample import -----------------
    // Set after midiLearnTag by the editor: the next controller message is learnt.
    std::atomic<bool> midiLearnArmed{false};
    // User-interface thread. A valid tag only: on arms learning for the tag, off removes every
    // controller mapped to it.
    void setMIDILatch(int tag, bool on = true);
    // Asks for a controller number and maps it to the tag (other mappings of the tag stay).
    void setMIDICCNum(int tag);
    void resetMIDI();
    void resetMIDICapture();
    // Controller-map files through the choosers; the *File forms do the file work alone and
    // answer false (map unchanged) for a file they refuse or cannot write.
    void saveECS();
    void loadECS();
    bool saveECSFile(const std::string& path);
    bool loadECSFile(const std::string& path);
    // The tag learnt for a controller number, 0 for none or outside 0..127.
    int getMIDICCTag(int cc) const { return cc >= 0 && cc < 128 ? midiCCMap[cc].load() : 0; }
    bool getMIDICaptureCaught(int tag) const {
        return isValidTag(tag) && midiCaptureCaught[tag] != 0;
    }
    float getMIDICaptureValue(int tag) const {
        return isValidTag(tag) ? midiCaptureValues[tag] : 0.0f;
    }

    // Tuning: the pitch of a key in semitones while a tuning is on, else the key itself.
    float getTuning(int note) const;
    void loadTuning();
    // Reads a tuning file, keeps a copy of it in the tuning folder and names the tuning after
    // the copy; false leaves tuning and name as they were, with the musician's message why in
    // `problem` when one is given.
    bool loadTuningFile(const std::string& path, const std::string& name,
                        std::string* problem = nullptr);
    void resetTuning();
    // "Standard Tuning" while the tuning is off; the name the sound gives while its file plays;
    // the name after "Missing: " while its file was not found (the standard table plays then).
    std::string getTuningName() const;
    // The table takes the tuning the sound names, read again from the tuning folder, where
    // every load keeps a copy. A thread that may touch files; the audio thread's writes of the
    // name are left to the follower's thread.
    void followTuningName();

private:
    // A write of the tuning switch, of a name tag or of the program trigger (any thread).
    void tuningNameWritten(int tag);
    std::string tuningFilePath(const std::string& name) const;
    // The name a tuning read from `path` with the file name `name` is kept under in the tuning
    // folder, its copy written there when needed; empty, with the message in `problem`, when
    // it cannot be kept.
    std::string keepTuningCopy(const std::string& path, const std::string& text,
                               const std::string& name, std::string& problem);

public:
    // User-wave files and sample import into user wave n (0 or 1).
    void loadWave(int n);
    void saveWave(int n);
    bool loadWaveFile(int n, const std::string& path);
    bool saveWaveFile(int n, const std::string& path);
    void loadSample(int n);
    bool importSample(int n, const std::string& path);
    const TSample& getSampleReader() const { return sampleReader; }

private:
    // Last, so it ends first: its thread reads the record, the folders and the table.
    TuningFollower tuningFollower{[this] { followTuningName(); }};
};

// Allocates and constructs one engine joined to its editor; null when that fails. The join of
// the two lives above both (editor/EditorJoin.cpp); the engine's library does not hold it.
AudioEffect* createEffectInstance(audioMasterCallback host);
