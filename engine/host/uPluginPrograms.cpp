// Program entry: selecting the one program by its name from the preset bank (host or editor
// thread), applying it in full on the audio thread, and the program-name queries.
#include "engine/APlugin.h"

#include "engine/host/TestHooks.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"
#include "engine/tables/TempoTables.h"

#include <pthread.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

// The stored value of Play Mode's arpeggiator step (index 8 of range 9.99).
constexpr float kPlayModeArpValue = 0.81081086f;

// Names go to the host cut to the interface's 24-byte program-name buffer.
void copyBounded(char* dst, const char* src, size_t size) {
    size_t i = 0;
    for (; i + 1 < size && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

} // namespace

void APlugin::decodePresetName(char (&name)[kPresetNameChars + 1]) const {
    for (int i = 0; i < kPresetNameChars; ++i) {
        int code = charCodeOf(programValues.values[tag::PresetNameFirst + i]);
        if (code < -128) code = -128;
        if (code > 127) code = 127;
        name[i] = static_cast<char>(code);
    }
    name[kPresetNameChars] = 0;
}

// The last bank slot whose name equals the program record's name; preset 0 when none does.
int APlugin::findPresetByName() const {
    char name[kPresetNameChars + 1];
    decodePresetName(name);
    int found = 0;
    for (int k = 0; k < builtinPresetCount; ++k)
        if (std::strcmp(name, builtinPresetNames[k]) == 0) found = k;
    return found;
}

void APlugin::followPresetName() {
    // A host that writes back a sound value by value (its undo of a program change) reads
    // that sound's name, as after a whole load; no bank preset is applied. The slot is found
    // again while the name moves under it, so of two writers the later name stands.
    int found = findPresetByName();
    for (int pass = 0; pass < kRecordSettlePasses; ++pass) {
        builtinPresetIndex = found;
        std::atomic_thread_fence(std::memory_order_seq_cst);
        const int now = findPresetByName();
        if (now == found) return;
        found = now;
    }
}

bool APlugin::renderRunsElsewhere() const {
    return renderRunning.load(std::memory_order_acquire) &&
           renderThread.load(std::memory_order_relaxed) !=
               static_cast<unsigned long>(pthread_self());
}

bool APlugin::onRenderThread() const {
    return renderRunning.load(std::memory_order_acquire) && !renderRunsElsewhere();
}

APlugin::ProgramTurn::ProgramTurn(APlugin& owner) : plugin(owner), turn(owner.programLock) {
    // One turn at a time holds programLock, so only the apply can stand in the way; it holds
    // the record for one pass over its values.
    int free = kRecordFree;
    if (!plugin.recordHolder.compare_exchange_strong(free, kRecordTurn,
                                                     std::memory_order_acquire)) {
        ZEK2_TEST_HOOK(turnWaitsForApply);
        // Asleep between looks: a real-time caller that only yielded would never let a render
        // of lower priority on its core finish the apply.
        do {
            std::this_thread::sleep_for(std::chrono::microseconds(20));
            free = kRecordFree;
        } while (!plugin.recordHolder.compare_exchange_weak(free, kRecordTurn,
                                                            std::memory_order_acquire));
    }
    ZEK2_TEST_HOOK(turnHoldsRecord);
}

APlugin::ProgramTurn::~ProgramTurn() {
    plugin.recordHolder.store(kRecordFree, std::memory_order_release);
}

void APlugin::setProgram(VstInt32 program) {
    if (program != 0) return;
    bool selected = false;
    {
        ProgramTurn turn(*this);
        selected = loadNamedPreset();
    }
    // Outside the lock, as every call that may reach the editor.
    if (selected) setParameter(tag::ApplyPreset, 1.0f);
}

// Carried out while the editor opens too: the opening pushes nothing and ends by showing every
// value, and a load held back for its end would wait for good on an opening that never ends
// (the host's thread gone inside it).
bool APlugin::loadNamedPreset() {
    curProgram = 0;
    if (!presetBank || presetBank->count <= 0) return false;
    builtinPresetIndex = findPresetByName();
    const float* preset = presetBank->values[builtinPresetIndex];
    if (renderRunsElsewhere()) {
        // The sounding voices must never read a half-stored program: the values go to the
        // program record only, and the render applies them all in its next block.
        for (int t = 0; t < kNumParams; ++t) programValues.values[t] = preset[t];
        return true;
    }
    for (int t = 0; t < kNumParams; ++t) {
        origValues[t] = editValues[t] = programValues.values[t] = currentValues[t] = preset[t];
        midiCaptureValues[t] = 0.0f;
    }
    return true;
}

bool APlugin::getIsSettingPreset() const {
    return pendingPresetApply || applyingPreset || editorRefreshPending;
}

int APlugin::getPlayMode() const {
    if (getLockVarOnOff(tag::ArpOn)) return 8;
    return getLockSteppedValue(tag::PlayMode);
}

void APlugin::takeRecordValuesWrittenInCopy() {
    // A write stores the record, then (after a fence) the value sets. Its stores of the value
    // sets can land before the copy's, and be lost under them, only if its fence came before
    // the one here: then its record value is seen below. A tag met changed is taken again
    // until its record value stands still, so a write landing meanwhile is seen too.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    for (int t = 0; t < kNumParams; ++t) {
        float copied = origValues[t];
        for (int pass = 0; pass < kRecordSettlePasses; ++pass) {
            const float now = storableValue(t, programValues.values[t]);
            if (now == copied) break;
            currentValues[t] = editValues[t] = origValues[t] = copied = now;
            std::atomic_thread_fence(std::memory_order_seq_cst);
        }
    }
}

void APlugin::setPresetParameters() {
    if (applyingPreset) return;
    // The record is read and its corrections written back while nobody else has it. A load,
    // selection, compare, init or wave write under way keeps it: the program stays pending and
    // the render (muted meanwhile) tries again in its next block, so whichever landed last
    // is applied whole.
    int free = kRecordFree;
    if (!recordHolder.compare_exchange_strong(free, kRecordApply, std::memory_order_acquire))
        return;
    struct Holding {
        std::atomic<int>& holder;
        bool held = true;
        void release() {
            if (held) holder.store(kRecordFree, std::memory_order_release);
            held = false;
        }
        ~Holding() { release(); }
    } holding{recordHolder};
    pendingPresetApply = false;
    applyingPreset = true;

    // The name still selects the bank slot the host sees, but the values applied are those the
    // program record holds: a host that restored its own values keeps them.
    builtinPresetIndex = findPresetByName();
    for (int t = 0; t < kNumParams; ++t) origValues[t] = storableValue(t, programValues.values[t]);
    ZEK2_TEST_HOOK(applyCopying);
    for (int t = 0; t < kNumParams; ++t) currentValues[t] = editValues[t] = origValues[t];
    // A host's write beside the copy, which takes no turn and never waits for it, is played
    // and kept as written.
    takeRecordValuesWrittenInCopy();
    ZEK2_TEST_HOOK(applyBetweenReadAndWrites);
    // Written back only where a value was not storable.
    for (int t = 0; t < kNumParams; ++t) {
        const float read = programValues.values[t];
        if (!(storableValue(t, read) == read)) programValues.values[t] = currentValues[t];
    }
    for (int t = 0; t < kNumParams; ++t) {
        appliedValues[t] = lastNotifiedValues[t] = origValues[t] = midiCaptureValues[t] =
            currentValues[t];
        midiCaptureCaught[t] = 0;
    }
    if (isEditorOpen())
        for (int t = 0; t < kNumParams; ++t)
            if (paramNotifiesEditor[t]) pushToEditor(t, currentValues[t]);

    userWavePresetNumbers[0] = userWavePresetNumbers[1] = -1;
    // The loaded points are the sound's: a smoothing that an oscillator switch before the apply
    // asked for is dropped, and the audio thread builds their tables over its next updates.
    userWaveBuildResynth[0] = userWaveBuildResynth[1] = 0;
    requestUserWaveRebuild(0, false);
    requestUserWaveRebuild(1, false);

    // Performance switches never come back on with a sound.
    auto clearInSets = [this](int t) {
        programValues.values[t] = editValues[t] = currentValues[t] = midiCaptureValues[t] =
            origValues[t] = 0.0f;
    };
    for (int t : {tag::ArpKeyEntryOn, tag::ArpLatchOn, tag::UserWaveShaperMode,
                  tag::UserWave1UsePartialsOn, tag::UserWave2UsePartialsOn})
        clearInSets(t);
    if (getSteppedValue(tag::Xy1RecordMode) == 1) clearInSets(tag::Xy1RecordMode);
    if (getSteppedValue(tag::Xy2RecordMode) == 1) clearInSets(tag::Xy2RecordMode);

    arpKeyEntryOn = 0;
    arpEntryStep = 0;

    playModeState = getPlayMode();
    if (currentValues[tag::ArpOn] >= 0.5f) {
        arpActiveState = 1;
        setParameter(tag::PlayMode, kPlayModeArpValue);
        playModeState = 8;
    } else {
        arpActiveState = 0;
    }
    alternationCounter = 0;
    for (int i = 0; i < 8; ++i) globalLfoState[i] = (i & 1) ? 1.875f : 0.0f;

    xyPadX[0] = currentValues[tag::Osc1ZekX];
    xyPadX[1] = currentValues[tag::Osc2ZekX];
    xyPadY[0] = currentValues[tag::Osc1ZekY];
    xyPadY[1] = currentValues[tag::Osc2ZekY];

    ribbonSpringActive = 0;
    for (float& v : xyModValues) v = 0.0f;

    float r = currentValues[tag::RibbonValue];
    if (currentValues[tag::RibbonBipolarOn] >= 0.5f) {
        r = 2.0f * r - 1.0f;
        r = r < -1.0f ? -1.0f : (r > 1.0f ? 1.0f : r);
    }
    const int q = getSteppedValue(tag::RibbonQuantization);
    if (q != 0) {
        const float d = static_cast<float>(RIBBON_QUANT_DIVIDE[q]);
        r = std::floor(r * d + 0.5f) / d;
    }
    ribbonPosition = ribbonTarget = r;
    ribbonSpringCountdown = -1;
    ribbonSpringActive = 0;
    if (getSteppedValue(tag::RibbonSpringTime) != 0) {
        const float rest = programValues.values[tag::RibbonBipolarOn] > 0.5f ? 0.5f : 0.0f;
        const int t = tag::RibbonValue;
        programValues.values[t] = currentValues[t] = lastNotifiedValues[t] = origValues[t] =
            midiCaptureValues[t] = rest;
        ribbonSpringActive = 1;
        ribbonPosition = ribbonTarget = rest;
    }
    holding.release();

    currentVoice = lastVoice = 0;
    for (uint64_t& stamp : voiceStartStamp) stamp = 0;
    for (int32_t& v : activeVoices) v = 0;
    activeVoiceCount = 0;

    reset();
    applyingPreset = false;
    if (EditorLink* open = getOpenEditor()) {
        open->turnPartialOff();
        open->clearUndos();
    }
    editorRefreshPending = true;
}

void APlugin::getProgramName(char* name) {
    if (!name) return;
    copyBounded(name, builtinPresetNames[builtinPresetIndex], kVstMaxProgNameLen);
}

bool APlugin::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index != 0 || !text) return false;
    getProgramName(text);
    return true;
}
