// The modulation matrix's global side: selector decoding, the source writers, the slot table
// rebuilt every 128 samples with its in-use flags, and the global evaluation with the Main
// Volume law every 16 samples. Audio thread, except the queries (any thread).
#include "engine/APlugin.h"

#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/modulation/ModSlotMath.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int kPolyMPE = 1; // play mode "Poly MPE": controllers per MIDI channel

int selectorIndex(float value, float range, int last) {
    const float p = value * range + 0.1f;
    if (!(p > 0.0f)) return 0; // NaN and negatives select entry 0
    if (p >= static_cast<float>(last)) return last;
    return static_cast<int>(p);
}

// True when `count` values are bit for bit the ones `key` holds and the key is valid; the key
// takes the values either way. Bits, not ==, so a -0 or a NaN edit counts as a change.
template <typename Value> bool keepKey(const Value* values, float* key, int count, uint8_t& valid) {
    bool same = valid != 0;
    for (int k = 0; k < count; ++k) {
        const float x = values[k];
        uint32_t now, kept;
        std::memcpy(&now, &x, sizeof(now));
        std::memcpy(&kept, &key[k], sizeof(kept));
        if (now == kept) continue;
        same = false;
        key[k] = x;
    }
    valid = 1;
    return same;
}
} // namespace

int APlugin::getModSrc(float value) {
    // 128 selector steps of which only 0..105 exist; higher positions select 105.
    return selectorIndex(value, 127.99f, kModSources - 1);
}

int APlugin::getModDest(float value) {
    return selectorIndex(value, 399.99f, kModDests - 1);
}

bool APlugin::getModBypass(int slot) const {
    return isValidModSlot(slot) && getOnOff(tag::ModBypassFirst + slot);
}

void APlugin::setModBypass(int slot, bool bypass) {
    if (isValidModSlot(slot)) setOnOff(tag::ModBypassFirst + slot, bypass);
}

int APlugin::getModSrcBySlot(int slot) const {
    return isValidModSlot(slot) ? getModSrc(currentValues[tag::ModSourceFirst + slot]) : 0;
}

int APlugin::getModDestBySlot(int slot) const {
    return isValidModSlot(slot) ? getModDest(currentValues[tag::ModDestFirst + slot]) : 0;
}

int APlugin::getModSrcByTag(int tagNum) const {
    return isValidTag(tagNum) ? getModSrc(currentValues[tagNum]) : 0;
}

int APlugin::getModDestByTag(int tagNum) const {
    return isValidTag(tagNum) ? getModDest(currentValues[tagNum]) : 0;
}

int APlugin::getDestType(int d) const {
    return modDestUnit(d);
}

int APlugin::getDestTypeForSlot(int slot) const {
    return isValidModSlot(slot) ? getDestType(getModDestBySlot(slot)) : 0;
}

float APlugin::getModDestValue(int d) const {
    return d >= 0 && d < kModDests ? globalDest[d] : 0.0f;
}

void APlugin::setModDestValue(int d, float value) {
    if (d < 0 || d >= kModDests) return;
    globalDest[d] = value;
    globalDestWrittenCount = -1; // the next evaluation restores every default
}

void APlugin::initModulation() {
    std::memset(voiceSource, 0, sizeof(voiceSource));
    // A resting voice LFO writes its sources only once: its rest ends, so they are written again.
    std::memset(voiceLFOsResting, 0, sizeof(voiceLFOsResting));
    std::memset(smoothersSettled, 0, sizeof(smoothersSettled));
    std::memset(lastVoiceSource, 0, sizeof(lastVoiceSource));
    std::memset(voiceDest, 0, sizeof(voiceDest));
    std::memset(globalDest, 0, sizeof(globalDest));
    std::memset(voiceDestDefault, 0, sizeof(voiceDestDefault));
    std::memset(globalDestDefault, 0, sizeof(globalDestDefault));
    std::memset(voiceMidiSource, 0, sizeof(voiceMidiSource));
    std::memset(channelMidiSource, 0, sizeof(channelMidiSource));
    globalDestDefault[dest::MainVolume] = 1.0f;
    std::memcpy(globalDest, globalDestDefault, sizeof(globalDest));
    globalDestWrittenCount = -1;
    mainVolumeLawIn = -1.0f;
    for (int d : {dest::MainVolume, dest::VoiceVolume, oscDest(0, oscdest::Volume),
                  oscDest(1, oscdest::Volume)})
        voiceDestDefault[d] = 1.0f;
    for (auto& row : voiceDest) std::memcpy(row, voiceDestDefault, sizeof(voiceDestDefault));
    ++voiceDefaultSerial;
    mainVolumeMod = 0.0f;
    mainVolumeSmooth = currentValues[tag::MainVolume];
    modSlotCount = 0;
    modSlotTableKeyValid = 0;
    modSlotValuesKeyValid = 0;
}

void APlugin::setModSrc(int s, float value, bool global) {
    if (!isValidSrc(s)) return;
    for (auto& row : voiceSource) row[s] = value;
    if (global) lastVoiceSource[s] = value;
    if (s >= src::MainLfo && s <= src::FreeLfo12Uni) // the LFOs' rests write them again
        std::memset(voiceLFOsResting, 0, sizeof(voiceLFOsResting));
}

void APlugin::setModSrc(int voice, int s, float value) {
    if (!isValidSrc(s) || voice < 0 || voice >= kNumVoices) return;
    voiceSource[voice][s] = value;
    if (s >= src::MainLfo && s <= src::FreeLfo12Uni) // the LFOs' rests write them again
        std::memset(voiceLFOsResting, 0, sizeof(voiceLFOsResting));
}

void APlugin::setModSrc(int s, float value, int channel) {
    if (!isValidSrc(s)) return;
    if (getPlayMode() != kPolyMPE) {
        for (auto& row : voiceMidiSource) row[s] = value;
        return;
    }
    if (channel < 0 || channel > 15) return;
    for (int v = 0; v < kNumVoices; ++v)
        if (voiceChannel[v] == channel) voiceMidiSource[v][s] = value;
    channelMidiSource[channel][s] = value;
}

void APlugin::setModRare() {
    setGlobalLFOSettings();
    setModSlotTable();
}

void APlugin::setModSlotTable() {
    // Everything below but the amounts and offsets follows from one run of parameters; when
    // they are the ones the table was built from, it already holds what a rebuild would give.
    static_assert(tag::ModSourceFirst == tag::ModBypassFirst + 16 &&
                      tag::ModLowerFirst == tag::ModBypassFirst + 32 &&
                      tag::ModUpperFirst == tag::ModBypassFirst + 48 &&
                      tag::ModDestFirst == tag::ModBypassFirst + 64,
                  "the slot table's parameters are one run of tags");
    if (!noSkips &&
        keepKey(&currentValues[tag::ModBypassFirst], modSlotTableKey, 80, modSlotTableKeyValid)) {
        ZEK2_SHORTCUT_TAKEN(SlotTableKept);
        refreshModSlotValues();
        setModSourcesInUse(false);
        return;
    }
    modSlotValuesKeyValid = 0; // the list is built anew below
    ++voiceDefaultSerial;      // a destination left by a slot takes its default again
    const LookupTables& t = *tables;
    for (int s = 0; s < 16; ++s) {
        modSlotDest[s] = getModBypass(s) ? 0 : getModDest(currentValues[tag::ModDestFirst + s]);
        const int source = getModSrc(currentValues[tag::ModSourceFirst + s]);
        modSlotSource[s] = source;
        modSlotSymmetric[s] = t.modSrcNoOffset[source];
        modSlotBipolar[s] = t.modSrcBipolar[source];
        float lower = currentValues[tag::ModLowerFirst + s];
        float upper = currentValues[tag::ModUpperFirst + s];
        if (modSlotBipolar[s]) {
            lower = 2.0f * lower - 1.0f;
            upper = 2.0f * upper - 1.0f;
        }
        modSlotLower[s] = lower;
        modSlotUpper[s] = upper;
        modSlotScale[s] = std::fabs(upper - lower) > 0.01f ? 1.0f / (upper - lower) : 1.0f;
    }
    modSlotCount = 0;
    modSlotChains = 0;
    for (int s = 0; s < 16; ++s) {
        const int d = modSlotDest[s];
        if (d == 0) continue;
        modSlotList[modSlotCount++] = s;
        modSlotKind[s] = modslot::isVolumeDest(d)  ? modslot::kMultiply
                         : modslot::isPitchDest(d) ? modslot::kPitch
                                                   : modslot::kAdd;
        if (d >= dest::SlotAmountFirst) modSlotChains = 1;
    }
    for (int i = 0; i < modSlotCount; ++i) {
        const int s = modSlotList[i];
        VoiceModSlot& v = voiceModSlots[i];
        v.slot = s;
        v.source = modSlotSource[s];
        v.dest = modSlotDest[s];
        v.lower = modSlotLower[s];
        v.upper = modSlotUpper[s];
        v.scale = modSlotScale[s];
        v.kind = modSlotKind[s];
        v.bipolar = modSlotBipolar[s];
        v.symmetric = modSlotSymmetric[s];
        v.centerNote = modSlotSource[s] == modslot::kCenterNote ? 1 : 0;
        v.group = static_cast<uint8_t>(i);
        for (int j = 0; j < i; ++j)
            if (voiceModSlots[j].dest == v.dest) {
                v.group = static_cast<uint8_t>(j);
                break;
            }
        v.lastOnDest = 1;
        for (int j = i + 1; j < modSlotCount; ++j)
            if (modSlotDest[modSlotList[j]] == v.dest) v.lastOnDest = 0;
    }
    refreshModSlotValues();
    setModSourcesInUse(true);
}

// Costly sources run only while something reads them: a slot, or the Main LFO's speed, which
// follows a source of its own choosing whether or not a slot reads that source too.
void APlugin::setModSourcesInUse(bool slotsChanged) {
    const int speedSource = currentValues[tag::MainLfoSpeedModAmount] != 0.5f
                                ? getModSrc(currentValues[tag::MainLfoSpeedModSource])
                                : 0;
    if (!slotsChanged && speedSource == lfoSpeedSourceInUse) return;
    lfoSpeedSourceInUse = speedSource;
    std::memset(modSrcInUse, 0, sizeof(modSrcInUse));
    std::memset(modDestInUse, 0, sizeof(modDestInUse));
    for (int s = 0; s < 16; ++s) {
        modSrcInUse[modSlotSource[s]] = 1;
        modDestInUse[modSlotDest[s]] = 1;
    }
    modSrcInUse[speedSource] = 1;
    modSrcInUse[0] = modDestInUse[0] = 0;
    freeLfo12InUse = 0;
    for (int s = src::FreeLfo1; s <= src::FreeLfo12Uni; ++s)
        if (modSrcInUse[s]) freeLfo12InUse = 1;
    freeLfoInUse = freeLfo12InUse;
    whiteNoiseInUse = modSrcInUse[src::WhiteNoise] | modSrcInUse[src::WhiteNoiseUni];
    pinkNoiseInUse = modSrcInUse[src::PinkNoise] | modSrcInUse[src::PinkNoiseUni];
    // The path positions' and the voice output's sources are written from the next pass on.
    for (int k = 0; k < 6; ++k) moduleSourceUsed[k] = modSrcInUse[src::PathOutputFirst + k];
    voiceOutputSourceUsed = modSrcInUse[src::VoiceOutput];
    // A new reader of the envelope rows needs no catch-up: every pass before a control step
    // writes them (setVoiceEnvSources).
    envSourcesInUse = noSkips;
    for (int s = src::Osc1AmpEnv; s <= src::FreeEnv2 + 1; ++s) envSourcesInUse |= modSrcInUse[s];
    catchUpPublishedSources();
}

void APlugin::refreshModSlotValues() {
    // The offsets and amounts of every slot (one run of tags) as the values were last made
    // from, for the same slot list: unchanged, the values already hold what they would give.
    static_assert(tag::ModAmountFirst == tag::ModOffsetFirst + 16, "one run of tags");
    if (!noSkips &&
        keepKey(&currentValues[tag::ModOffsetFirst], modSlotValuesKey, 32, modSlotValuesKeyValid)) {
        ZEK2_SHORTCUT_TAKEN(SlotValuesKept);
        return;
    }
    for (int i = 0; i < modSlotCount; ++i) {
        const int s = modSlotList[i];
        modSlotAmount[s] = 2.0f * currentValues[tag::ModAmountFirst + s] - 1.0f;
        modSlotOffset[s] = 2.0f * currentValues[tag::ModOffsetFirst + s] - 1.0f;
        voiceModSlots[i].amount = modSlotAmount[s];
        voiceModSlots[i].offset = modSlotOffset[s];
    }
    setVoiceModSlotLanes();
}

void APlugin::setGlobalMod() {
    refreshModSlotValues();
    float slotAmountMod[16];
    for (int s = 0; s < 16; ++s)
        slotAmountMod[s] = modslot::chainedAmount(globalDest[dest::SlotAmountFirst + s]);
    // Every destination back to its default: only the ones written last time differ from it.
    if (globalDestWrittenCount < 0) {
        std::memcpy(globalDest, globalDestDefault, sizeof(globalDest));
    } else {
        for (int i = 0; i < globalDestWrittenCount; ++i) {
            const int d = globalDestWritten[i];
            globalDest[d] = globalDestDefault[d];
        }
    }
    // The slots in list order from their packed copy (the same values as the slot table's),
    // the count and the volume sum in locals: kept in memory they were stored and loaded
    // again on every slot.
    int written = 0;
    float volumeMod = 0.0f;
    for (int i = 0; i < modSlotCount; ++i) {
        const VoiceModSlot& slot = voiceModSlots[i];
        const float amount = slot.amount + slotAmountMod[slot.slot];
        const float offset = slot.symmetric ? -amount : slot.offset;
        // The global form maps the window exactly as the voice form does, so a narrow window
        // (below 0.01) shifts the source instead of multiplying it by up to 1 / 1e-5.
        const modslot::Term term =
            modslot::contribution(lastVoiceSource[slot.source], amount, offset, slot.lower,
                                  slot.upper, slot.scale, slot.bipolar, slot.centerNote);
        const int d = slot.dest;
        if (d == dest::MainVolume) {
            volumeMod += term.value();
        } else {
            globalDest[d] += term.value();
            globalDestWritten[written++] = static_cast<int16_t>(d);
        }
    }
    globalDestWrittenCount = written;
    mainVolumeMod = volumeMod;

    // Main Volume spans -60 .. +10 dB; its modulation adds in knob units before the law.
    mainVolumeSmooth = 0.99f * mainVolumeSmooth + 0.01f * currentValues[tag::MainVolume] + 1e-15f;
    float y = mainVolumeSmooth + mainVolumeMod;
    if (!(y > 0.0f)) y = 0.0f;
    if (y > 1.0f) y = 1.0f;
    if (!(y == mainVolumeLawIn)) {
        mainVolumeLawIn = y;
        mainVolumeLawGain = y < 0.001f ? 0.0f : std::pow(10.0f, (70.0f * y - 60.0f) / 20.0f);
    }
    masterGain = mainVolumeLawGain * globalDest[dest::MainVolume] * midiVolume;
}
