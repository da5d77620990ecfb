// The modulation matrix per voice: the evaluation on every pass, the note-start evaluation,
// the restore of untargeted destinations (audio thread), and the modulated value of a
// parameter that the editor draws on its knob rings (user-interface thread).
#include "engine/APlugin.h"

#include "dsp/Float8.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/modulation/ModSlotMath.h"
#include "engine/params/ParamTags.h"
#include "engine/voice/VoiceState.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include <emmintrin.h>

namespace {
float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

// Speed destinations are exponents (2^(2 m)); the knob rings show them in knob units.
constexpr float kSpeedRingScale = 9.704061f;
} // namespace

namespace {
// Lane-wise forms of the slot arithmetic, four lanes (SSE2) and eight (AVX2) with the same
// operations per lane: every operation is the scalar one in the same order, and each choice is
// a select, so every lane gets the scalar form's bits at either width.
// A register in a struct; an eight-lane one goes by value only between functions compiled for
// AVX2 (dsp/Float8.h). They stand in a namespace of their own, so that a call with one finds
// the steps of its own width alone.
namespace reg {
struct Lanes4 {
    __m128 v;
};
struct Lanes8 {
    __m256 v;
};
} // namespace reg

struct Four {
    using R = reg::Lanes4;
    static constexpr int kLanes = 4;
    static R set1(float x) { return {_mm_set1_ps(x)}; }
    static R zero() { return {_mm_setzero_ps()}; }
    // Four equal lanes from a slot form.
    static R uniform(const float* lanes) { return {_mm_load_ps(lanes)}; }
    static R add(R a, R b) { return {_mm_add_ps(a.v, b.v)}; }
    static R sub(R a, R b) { return {_mm_sub_ps(a.v, b.v)}; }
    static R mul(R a, R b) { return {_mm_mul_ps(a.v, b.v)}; }
    static R div(R a, R b) { return {_mm_div_ps(a.v, b.v)}; }
    static R min(R a, R b) { return {_mm_min_ps(a.v, b.v)}; }
    static R max(R a, R b) { return {_mm_max_ps(a.v, b.v)}; }
    static R lt(R a, R b) { return {_mm_cmplt_ps(a.v, b.v)}; }
    static R gt(R a, R b) { return {_mm_cmpgt_ps(a.v, b.v)}; }
    static R eq(R a, R b) { return {_mm_cmpeq_ps(a.v, b.v)}; }
    static R bitAnd(R a, R b) { return {_mm_and_ps(a.v, b.v)}; }
    static R andNot(R a, R b) { return {_mm_andnot_ps(a.v, b.v)}; } // ~a & b
    static R bitOr(R a, R b) { return {_mm_or_ps(a.v, b.v)}; }
    static R bitXor(R a, R b) { return {_mm_xor_ps(a.v, b.v)}; }
    static R truncate(R x) { return {_mm_cvtepi32_ps(_mm_cvttps_epi32(x.v))}; }
    static R load(const float* p) { return {_mm_load_ps(p)}; }
    static void store(float* p, R x) { _mm_store_ps(p, x.v); }
    // Lane k from rows[k], `at` bytes in.
    static R gather(const char* const* rows, std::ptrdiff_t at) {
        auto of = [&](int k) { return *reinterpret_cast<const float*>(rows[k] + at); };
        return {_mm_setr_ps(of(0), of(1), of(2), of(3))};
    }
    // Lanes kept in runs of four (a fold's rows): this form has only the first.
    static R loadRuns(const float* first, const float*) { return {_mm_load_ps(first)}; }
    static void storeRuns(float* first, float*, R x) { _mm_store_ps(first, x.v); }
    static bool sameBits(R x, const float* first, const float*) {
        const __m128i kept = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_castps_si128(x.v), kept)) == 0xFFFF;
    }
};

struct Eight {
    using R = reg::Lanes8;
    static constexpr int kLanes = 8;
    ZEK2_AVX2 static R set1(float x) { return {_mm256_set1_ps(x)}; }
    ZEK2_AVX2 static R zero() { return {_mm256_setzero_ps()}; }
    ZEK2_AVX2 static R uniform(const float* lanes) { return {_mm256_broadcast_ss(lanes)}; }
    ZEK2_AVX2 static R add(R a, R b) { return {_mm256_add_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R sub(R a, R b) { return {_mm256_sub_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R mul(R a, R b) { return {_mm256_mul_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R div(R a, R b) { return {_mm256_div_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R min(R a, R b) { return {_mm256_min_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R max(R a, R b) { return {_mm256_max_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R lt(R a, R b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_LT_OS)}; }
    ZEK2_AVX2 static R gt(R a, R b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_GT_OS)}; }
    ZEK2_AVX2 static R eq(R a, R b) { return {_mm256_cmp_ps(a.v, b.v, _CMP_EQ_OQ)}; }
    ZEK2_AVX2 static R bitAnd(R a, R b) { return {_mm256_and_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R andNot(R a, R b) { return {_mm256_andnot_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R bitOr(R a, R b) { return {_mm256_or_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R bitXor(R a, R b) { return {_mm256_xor_ps(a.v, b.v)}; }
    ZEK2_AVX2 static R truncate(R x) { return {_mm256_cvtepi32_ps(_mm256_cvttps_epi32(x.v))}; }
    ZEK2_AVX2 static R load(const float* p) { return {_mm256_load_ps(p)}; }
    ZEK2_AVX2 static void store(float* p, R x) { _mm256_store_ps(p, x.v); }
    ZEK2_AVX2 static R gather(const char* const* rows, std::ptrdiff_t at) {
        auto of = [&](int k) { return *reinterpret_cast<const float*>(rows[k] + at); };
        return {_mm256_setr_ps(of(0), of(1), of(2), of(3), of(4), of(5), of(6), of(7))};
    }
    ZEK2_AVX2 static R loadRuns(const float* first, const float* second) {
        return {_mm256_set_m128(_mm_load_ps(second), _mm_load_ps(first))};
    }
    ZEK2_AVX2 static void storeRuns(float* first, float* second, R x) {
        _mm_store_ps(first, _mm256_castps256_ps128(x.v));
        _mm_store_ps(second, _mm256_extractf128_ps(x.v, 1));
    }
    ZEK2_AVX2 static bool sameBits(R x, const float* first, const float* second) {
        const __m256i kept = _mm256_castps_si256(loadRuns(first, second).v);
        return _mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_castps_si256(x.v), kept)) == -1;
    }
};

// How a slot maps its source: Center Note's full range, an empty window, a window clamped to
// 0..1, a bipolar window.
enum SlotMap : uint8_t { kMapCenter, kMapEmpty, kMapClamped, kMapBipolar };

// Sources that move on every pass (envelopes, LFOs, the gater, the audio and noise sources):
// their slots are evaluated anew each pass without looking for a standing value.
bool movesEveryPass(int source) {
    return (source >= src::Osc1AmpEnv && source <= src::FreeLfo12Uni) ||
           (source >= src::GaterLeft && source <= src::GaterAverage) ||
           (source >= src::Input && source <= src::Output) || source >= src::WhiteNoise;
}

// A slot's standing term taken instead of worked out. Counted here rather than in the steps:
// the skip guard's plug-in compiles again, with the counts on, the files that hold a count.
inline void termFolded() {
    ZEK2_SHORTCUT_TAKEN(SlotTermsFolded);
}

// The lane steps: for four lanes here, and for eight in `wide`, compiled for AVX2 as a whole.
#include "engine/modulation/ModVoiceSteps.h"

#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "engine/modulation/ModVoiceSteps.h"
} // namespace wide
#pragma GCC pop_options

// Groups of four voices.
void evaluateGroupsOfFour(APlugin& e, const int* voices, int count, bool folding, bool chained) {
    for (int first = 0; first < count; first += 4)
        evaluateGroup<Four>(e, voices, count, first, folding, chained);
}

// Groups of eight voices while more than four are left, then one of four: the same
// operations per lane as groups of four, so the same bits.
__attribute__((target("avx2"), flatten)) void
evaluateGroupsOfEight(APlugin& e, const int* voices, int count, bool folding, bool chained) {
    for (int first = 0; first < count;) {
        if (count - first > 4) {
            wide::evaluateGroup<Eight>(e, voices, count, first, folding, chained);
            first += 8;
        } else {
            evaluateGroup<Four>(e, voices, count, first, folding, chained);
            first += 4;
        }
    }
}
} // namespace

void APlugin::setVoiceModSlotLanes() {
    voiceModSlotsFold = 0;
    for (int i = 0; i < modSlotCount; ++i) {
        const VoiceModSlot& slot = voiceModSlots[i];
        VoiceModSlotLanes& f = voiceModSlotLanes[i];
        const Four::R amount = Four::add(Four::set1(slot.amount), Four::zero());
        Four::R offset, range;
        slotOffsetRange<Four>(slot, amount, offset, range);
        Four::store(f.amount, amount);
        Four::store(f.offset, offset);
        Four::store(f.range, range);
        _mm_store_ps(f.lower, _mm_set1_ps(slot.lower));
        _mm_store_ps(f.scale, _mm_set1_ps(slot.scale));
        f.map = slot.centerNote              ? kMapCenter
                : !(slot.upper > slot.lower) ? kMapEmpty
                : slot.bipolar               ? kMapBipolar
                                             : kMapClamped;
        f.folds = movesEveryPass(slot.source) ? 0 : 1;
        voiceModSlotsFold |= f.folds;
    }
    if (++voiceModSlotSerial == 0) voiceModSlotSerial = 1;
}

void APlugin::setVoiceModLanes(const int* voices, int count) {
    // Without slots no row is written and no fold is kept.
    if (modSlotCount == 0) return;
    const bool chained = modSlotChains != 0;
    // A chain moves the amounts, so chained slots never fold.
    const bool folding = voiceModSlotsFold && !chained && !noSkips;
    if (stagesWide)
        evaluateGroupsOfEight(*this, voices, count, folding, chained);
    else
        evaluateGroupsOfFour(*this, voices, count, folding, chained);
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
    voiceDefaultSeen[v] = voiceDefaultSerial;
}

void APlugin::publishModShown() {
    bool sounding = false;
    for (int v = 0; v < kNumVoices; ++v)
        if (voicePressed[v] || voiceLevel[v] > 0.0001f) sounding = true;
    modShown.sounding = sounding;
    modShown.masterGain = masterGain;
    modShown.notesPlaying = getNotesPlaying();
    publishXYShown();
    publishArpShown();
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
        return clamp01(current + row[oscDest(0, oscdest::LfoSpeed)] / kSpeedRingScale);
    case tag::Osc2LfoSpeed:
        return clamp01(current + row[oscDest(1, oscdest::LfoSpeed)] / kSpeedRingScale);
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
