// The modulation matrix per voice: the evaluation on every pass, the note-start evaluation,
// the restore of untargeted destinations (audio thread), and the modulated value of a
// parameter that the editor draws on its knob rings (user-interface thread).
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/modulation/ModSlotMath.h"
#include "engine/params/ParamTags.h"
#include "engine/voice/VoiceState.h"

#include <cmath>
#include <cstring>

namespace {
float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

// Speed destinations are exponents (2^(2 m)); the knob rings show them in knob units.
constexpr float kSpeedRingScale = 9.704061f;
} // namespace

void APlugin::setVoiceMod(int v) {
    if (v < 0 || v >= kNumVoices) return;
    float* row = voiceDest[v];
    const float* source = voiceSource[v];
    const int count = modSlotCount;
    const VoiceModSlot* slots = voiceModSlots;
    float slotAmountMod[16] = {};
    if (modSlotChains)
        for (int i = 0; i < count; ++i)
            slotAmountMod[i] = modslot::chainedAmount(row[dest::SlotAmountFirst + slots[i].slot]);
    for (int i = 0; i < count; ++i) row[slots[i].dest] = voiceDestDefault[slots[i].dest];
    for (int i = 0; i < count; ++i) {
        const VoiceModSlot& slot = slots[i];
        const float amount = slot.amount + slotAmountMod[i];
        const float offset = slot.symmetric ? -amount : slot.offset;
        const modslot::Term term =
            modslot::contribution(source[slot.source], amount, offset, slot.lower, slot.upper,
                                  slot.scale, slot.bipolar, slot.centerNote);
        float& out = row[slot.dest];
        switch (slot.kind) {
        case modslot::kMultiply:
            out *= modslot::volumeFactor(term.x, amount);
            break;
        case modslot::kPitch:
            out += modslot::pitchOctaves(term.value());
            break;
        default:
            out += term.value();
            break;
        }
    }
}

void APlugin::setVoiceModNoteStart(int v) {
    if (v < 0 || v >= kNumVoices) return;
    float* row = voiceDest[v];
    const float* source = voiceSource[v];
    std::memcpy(row, voiceDestDefault, sizeof(float) * kModDests);
    for (int i = 0; i < modSlotCount; ++i) {
        const int s = modSlotList[i];
        // The first evaluation of a note: no slot-amount chain yet, and a bipolar source runs
        // from -amount to +amount.
        const float amount = modSlotAmount[s];
        const float offset = modSlotBipolar[s] ? -amount : modSlotOffset[s];
        const modslot::Term term =
            modslot::contribution(source[modSlotSource[s]], amount, offset, modSlotLower[s],
                                  modSlotUpper[s], modSlotScale[s], modSlotBipolar[s], false);
        const int d = modSlotDest[s];
        if (modslot::isStartVolumeDest(d))
            row[d] *= modslot::volumeFactor(term.x, amount);
        else if (modslot::isPitchDest(d))
            row[d] += modslot::pitchOctaves(term.value());
        else
            row[d] += term.value();
    }
}

void APlugin::setDefaultVoiceMod(int v) {
    if (v < 0 || v >= kNumVoices) return;
    // One copy of the defaults, keeping the values the slots wrote this pass.
    float* row = voiceDest[v];
    float kept[16];
    for (int s = 0; s < 16; ++s) kept[s] = row[modSlotDest[s]];
    std::memcpy(row, voiceDestDefault, sizeof(float) * kModDests);
    for (int s = 0; s < 16; ++s) row[modSlotDest[s]] = kept[s];
}

void APlugin::publishModShown() {
    bool sounding = false;
    for (int v = 0; v < kNumVoices; ++v)
        if (voicePressed[v] || voiceLevel[v] > 0.0001f) sounding = true;
    modShown.sounding = sounding;
    modShown.masterGain = masterGain;
    publishXYShown();
    if (!sounding) return;
    const int w = currentVoice & 15;
    const float* row = voiceDest[w];
    for (int d = 0; d < kModDests; ++d) modShown.dest[d] = row[d];
    for (int osc = 0; osc < 2; ++osc) {
        modShown.oscGain[osc] = oscVoices[w][osc].gain[0];
        modShown.subGain[osc] = oscVoices[w][osc].subGain;
    }
    modShown.mainLfo = voiceSource[w][src::MainLfo + 1];
    modShown.modWheel = smoothModWheel[w];
    modShown.filterEnv = filterEnvSign * voiceEnv[w][1].value;
}

float APlugin::getModValue(int tagNum) {
    if (!isValidTag(tagNum)) return 0.0f;
    const float current = currentValues[tagNum];
    const int d = paramModDests[tagNum];
    if (d < 1 || d >= kModDests) return current;
    if (!modShown.sounding) return current;
    const auto& row = modShown.dest;

    switch (tagNum) {
    case tag::MainLfoSpeed:
        return clamp01(current + row[254] / kSpeedRingScale);
    case tag::FreeLfo1Speed:
        return clamp01(current + row[285] / kSpeedRingScale);
    case tag::FreeLfo2Speed:
        return clamp01(current + row[294] / kSpeedRingScale);
    case tag::Osc1LfoSpeed:
        return clamp01(current + row[dest::Osc1LfoSpeed] / kSpeedRingScale);
    case tag::Osc2LfoSpeed:
        return clamp01(current + row[dest::Osc2LfoSpeed] / kSpeedRingScale);
    case tag::MainVolume: {
        const float g = modShown.masterGain;
        if (!(g >= 0.001f)) return 0.0f;
        return clamp01((20.0f * std::log10(g) + 60.0f) / 70.0f);
    }
    case tag::Osc1Volume:
    case tag::Osc2Volume: {
        // The oscillator's modulated level, on the knob's 60 dB scale.
        const int osc = tagNum == tag::Osc1Volume ? 0 : 1;
        if (!getOnOff(osc == 0 ? tag::Osc1On : tag::Osc2On)) return current;
        const float level = modShown.oscGain[osc];
        if (!(level >= 0.001f)) return 0.0f;
        return clamp01((20.0f * std::log10(level) + 60.0f) / 60.0f);
    }
    case tag::Osc1SubVolume:
    case tag::Osc2SubVolume: {
        // The sub level on its 30 dB scale, drawn on the side of the centre the knob is on.
        const int osc = tagNum == tag::Osc1SubVolume ? 0 : 1;
        if (!getOnOff(osc == 0 ? tag::Osc1On : tag::Osc2On)) return current;
        const float level = modShown.subGain[osc];
        const float depth =
            level >= 0.001f ? clamp01((20.0f * std::log10(level) + 30.0f) / 30.0f) : 0.0f;
        return clamp01(current < 0.5f ? 0.5f - 0.5f * depth : 0.5f + 0.5f * depth);
    }
    case tag::HpFrequency:
        return clamp01(current + row[dest::HpFrequency]);
    case tag::FilterFrequency: {
        // The cutoff as the voice filter composes it: its own modulation, the mod wheel, the
        // filter envelope and the Main LFO's share.
        const float lfoDepth =
            currentValues[tag::MainLfoToFilterFrequency] + row[dest::MainLfoToFilter];
        const float wheel =
            (2.0f * currentValues[tag::ModWheelToFilterFrequency] - 1.0f) * modShown.modWheel;
        const float env =
            clamp01(currentValues[tag::FilterEnvAmount] + row[dest::FilterEnvAmount]) *
            modShown.filterEnv;
        return clamp01(current + row[dest::FilterFrequency] + wheel + env +
                       lfoDepth * lfoDepth * modShown.mainLfo);
    }
    default:
        return clamp01(current + row[d]);
    }
}
