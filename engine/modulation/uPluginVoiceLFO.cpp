// Each voice's own LFOs: their settings at the voice's control rate, their step every second
// pass, their start delay, the voice's Free LFO 1/2 value and the LFO sources 60..67 of the
// voice. Audio thread (the voice stages).
#include "engine/APlugin.h"

#include "dsp/Float4.h"
#include "dsp/SameBytes.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/LFOCore.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoTables.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace {
constexpr int kWaveTags[3] = {tag::FreeLfo1Wave, tag::FreeLfo2Wave, tag::MainLfoWave};
constexpr int kPlayModeTags[3] = {tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode,
                                  tag::MainLfoPlayMode};
constexpr int kSyncTags[3] = {tag::FreeLfo1SyncOn, tag::FreeLfo2SyncOn, tag::MainLfoSyncOn};
constexpr int kSpeedTags[3] = {tag::FreeLfo1Speed, tag::FreeLfo2Speed, tag::MainLfoSpeed};
constexpr int kMainLfo = 2;
constexpr int kModeSync = 9, kModeFM = 10, kModePM = 11, kModeMorph = 12;
constexpr int kPlayPoly = 0; // "Free" and "Mono" LFOs run in their global instance
constexpr int kFreeLfo1Humanise = 293;
// voiceLFOsResting: bit 0 rests; while it does, the phases stand (all three speeds are 0 and
// the phases have been wrapped), and the row holds voiceLFORestValues, global lanes included
// (only this function writes those sources; a reset of them ends the rests).
constexpr uint8_t kRestPhasesStand = 2, kRestPublished = 4;
// The four lanes of a voice's LFO step, in step order: Main LFO, Free LFO 1, Free LFO 2, morph.
constexpr int kLaneLFO[4] = {kMainLfo, 0, 1, kMorphLFO};

// The knobs the voice LFO settings read.
constexpr int kSettingsTags[17] = {kWaveTags[0],
                                   kWaveTags[1],
                                   kWaveTags[2],
                                   kPlayModeTags[0],
                                   kPlayModeTags[1],
                                   kPlayModeTags[2],
                                   kSyncTags[0],
                                   kSyncTags[1],
                                   kSyncTags[2],
                                   kSpeedTags[0],
                                   kSpeedTags[1],
                                   kSpeedTags[2],
                                   tag::MainLfoSpeedModAmount,
                                   tag::MainLfoSpeedModSource,
                                   tag::MainLfoPhase,
                                   tag::FreeLfo12Mode,
                                   tag::FreeLfo12Amount};

// They are two runs of tags, read as such.
constexpr int kSettingsRuns[2][2] = {{tag::MainLfoSpeed, tag::FreeLfo12Amount},
                                     {tag::MainLfoWave, tag::FreeLfo12Mode}};
constexpr bool settingsTagsAreTheRuns() {
    int inRuns = 0;
    for (int i = 0; i < 17; ++i) {
        const int t = kSettingsTags[i];
        for (int j = 0; j < i; ++j)
            if (kSettingsTags[j] == t) return false;
        for (const auto& run : kSettingsRuns)
            if (t >= run[0] && t <= run[1]) ++inRuns;
    }
    const int runLength = kSettingsRuns[0][1] - kSettingsRuns[0][0] + 1 + kSettingsRuns[1][1] -
                          kSettingsRuns[1][0] + 1;
    return inRuns == 17 && runLength == 17;
}
static_assert(settingsTagsAreTheRuns(), "the settings' knobs are exactly the two runs");
static_assert(kSettingsRuns[0][1] - kSettingsRuns[0][0] == 3 &&
                  kSettingsRuns[1][1] - kSettingsRuns[1][0] == 12,
              "the run lengths copied below");

// Values First, First + 1, ... into `out`, one statement each (an atomic load does not unroll
// in a loop); returns the end.
template <int First, typename Values, int... I>
float* copyRun(float* out, const Values& values, std::integer_sequence<int, I...>) {
    ((out[I] = values[First + I]), ...);
    return out + sizeof...(I);
}

// lfocore::frac(x) for a phase that has moved on by less than a cycle, or not at all: the same
// bits without the floor, which costs more than the rest of a step (frac gives +0 for either
// zero).
inline double wrapPhase(double x) {
    if (x > 0.0 && x < 2.0) return x >= 1.0 ? x - 1.0 : x;
    if (x == 0.0) return 0.0;
    return lfocore::frac(x);
}

// The step of a voice's LFO that is off or runs globally: only its phase moves on.
inline void movePhase(LFOState& lfo) {
    lfo.run.phase = wrapPhase(lfo.run.phase + lfo.set.speed * lfo.run.humanise);
}

// True when a memo is valid and holds these key bytes.
bool sameKey(uint8_t valid, const void* memo, const void* key, size_t bytes) {
    return valid && sameBytes(memo, key, bytes);
}

} // namespace

void APlugin::setVoiceLFOSettings(int v) {
    if (v < 0 || v >= kNumVoices) return;
    const float* row = voiceDest[v];
    // Every input of what follows, bit for bit: while they all stand still, a run would only
    // find its memos holding what it would set, so it is skipped.
    // Every member is written below, and there is no padding: the key compares as bytes.
    VoiceLFOKey key;
    float* in = key.values;
    in = copyRun<kSettingsRuns[0][0]>(in, currentValues, std::make_integer_sequence<int, 4>());
    in = copyRun<kSettingsRuns[1][0]>(in, currentValues, std::make_integer_sequence<int, 13>());
    *in++ = voiceSource[v][getModSrc(currentValues[tag::MainLfoSpeedModSource])];
    *in++ = row[dest::GlobalLfoSpeed];
    *in++ = row[dest::FreeLfo12Amount];
    // The destinations the settings read: speed, phase and shape, then smooth, bias, bits and
    // sample-and-hold (the start delay between them and humanise are read elsewhere).
    static_assert(kLfoShape == 2 && kLfoSmooth == 4 && kLfoHold == 7, "two runs of destinations");
    for (int i = 0; i < 3; ++i) {
        const float* d = &row[LFO_DEST_FIRST[i]];
        std::memcpy(in, d, 3 * sizeof(float));
        std::memcpy(in + 3, d + kLfoSmooth, 4 * sizeof(float));
        in += 7;
    }
    key.flags[0] = freeLfoInUse;
    key.flags[1] = lfo12Mode;
    key.spare = 0;
    key.rates[0] = tempoDouble;
    key.rates[1] = engineRateDouble;
    static_assert(sizeof(key.values) / sizeof(float) == 20 + 3 * 7, "every input");
    static_assert(sizeof(VoiceLFOKey) == 41 * 4 + 3 * 4 + 2 * 8, "no padding");
    if (!noSkips && voiceLFOKeyValid[v] && sameBytes(&key, &voiceLFOKey[v], sizeof(key))) {
        ZEK2_SHORTCUT_TAKEN(VoiceLfoSettingsKept);
        return;
    }
    // The menus and switches (the key's first 17 values) and the free LFOs' use give the
    // waves, play modes, syncs and on states, the start phase, the speed source and the morph
    // choice: while they stand still, those still hold what they gave.
    const bool sameMenus = !noSkips && voiceLFOKeyValid[v] &&
                           sameBytes(key.values, voiceLFOKey[v].values, 17 * sizeof(float)) &&
                           key.flags[0] == voiceLFOKey[v].flags[0];
    VoiceLFOMenus& menus = voiceLFOMenus[v];
    if (sameMenus) ZEK2_SHORTCUT_TAKEN(VoiceLfoMenusKept);
    if (!sameMenus) {
        menus.startPhase = LFO_PHASE_VAL[getSteppedValue(tag::MainLfoPhase) & 3];
        menus.speedSource = getModSrc(currentValues[tag::MainLfoSpeedModSource]);
        menus.morph = getSteppedValue(tag::FreeLfo12Mode) == kModeMorph ? 1 : 0;
    }
    std::memcpy(&voiceLFOKey[v], &key, sizeof(key));
    voiceLFOKeyValid[v] = 1;
    voiceLFOsResting[v] = 0; // a play mode may change what the voice passes on
    double base = 0.0;
    bool haveBase = false;
    for (int i = 0; i < 3; ++i) {
        LFOSettings& s = voiceLFOs[v][i].set;
        LFOSettingsMemo& memo = voiceLFOMemo[v][i];
        const float* d = &row[LFO_DEST_FIRST[i]];
        if (!sameMenus) {
            s.wave = getSteppedValue(kWaveTags[i]);
            s.playMode = getSteppedValue(kPlayModeTags[i]);
            s.sync = getOnOff(kSyncTags[i]) ? 1 : 0;
            s.enabled = i == kMainLfo ? 1 : freeLfoInUse;
        }
        float speedExponent = 0.0f;
        double startPhase = 0.0;
        if (i == kMainLfo) {
            const float depth = 2.0f * currentValues[tag::MainLfoSpeedModAmount] - 1.0f;
            speedExponent = depth * 4.0f * voiceSource[v][menus.speedSource];
            startPhase = menus.startPhase;
        }
        const float speedKey[6] = {row[dest::GlobalLfoSpeed],    d[kLfoSpeed],
                                   currentValues[kSpeedTags[i]], speedExponent,
                                   static_cast<float>(s.sync),   0.0f};
        const double speedKeyD[2] = {tempoDouble, engineRateDouble};
        if (noSkips || !sameKey(memo.speedValid, memo.speedKey, speedKey, sizeof(speedKey)) ||
            !sameKey(memo.speedValid, memo.speedKeyD, speedKeyD, sizeof(speedKeyD))) {
            std::memcpy(memo.speedKey, speedKey, sizeof(speedKey));
            std::memcpy(memo.speedKeyD, speedKeyD, sizeof(speedKeyD));
            memo.speedValid = 1;
            if (!haveBase) base = std::exp2(2.0 * row[dest::GlobalLfoSpeed]);
            haveBase = true;
            double multiplier = std::exp2(2.0 * d[kLfoSpeed]) * base;
            if (i == kMainLfo) multiplier *= std::exp2(speedExponent);
            s.speed = getLfoSpeed(kSpeedTags[i], s.sync != 0, multiplier);
        } else {
            ZEK2_SHORTCUT_TAKEN(VoiceLfoSpeedKept);
        }
        lfocore::setStagesOnce(s, memo, d[kLfoPhase] + startPhase, d[kLfoShape], d[kLfoSmooth],
                               d[kLfoBias], d[kLfoBits], d[kLfoHold]);
    }
    // The morph's settings follow the menu, and also the mode the LFO step runs, which the
    // slow update may still hold after the menu moved on.
    if (menus.morph || lfo12Mode == kModeMorph) {
        float a = currentValues[tag::FreeLfo12Amount] + row[dest::FreeLfo12Amount];
        a = lfocore::clampf(a, 0.0f, 1.0f);
        const float* d1 = &row[LFO_DEST_FIRST[0]];
        const float* d2 = &row[LFO_DEST_FIRST[1]];
        auto mix = [a, d1, d2](int k) { return (1.0f - a) * d1[k] + a * d2[k]; };
        // The voice's morph keeps its shape on the upper half (0..1 before the warp).
        lfocore::setStagesOnce(voiceLFOs[v][kMorphLFO].set, voiceLFOMemo[v][kMorphLFO],
                               mix(kLfoPhase), lfocore::clampf(mix(kLfoShape), 0.0f, 1.0f),
                               mix(kLfoSmooth), mix(kLfoBias), mix(kLfoBits), mix(kLfoHold));
    }
    packVoiceLFOLanes(v);
}

void APlugin::packVoiceLFOLanes(int v) {
    if (v < 0 || v >= kNumVoices) return;
    GlobalLFOLanes& p = voiceLFOLanes[v];
    p.runs = p.moves = 0;
    const bool freeGlobal =
        voiceLFOs[v][0].set.playMode != kPlayPoly && voiceLFOs[v][1].set.playMode != kPlayPoly;
    for (int k = 0; k < 4; ++k) {
        const int i = kLaneLFO[k];
        const LFOSettings& s = voiceLFOs[v][i].set;
        p.setLane(k, s);
        if (k == 3) break;
        // The random wave reads the LFO's own random value, at index 0.
        const float* table = getLFOWaveTable(s.wave);
        p.wave[k] = table ? table : &voiceLFOs[v][i].run.random;
        p.indexMask[k] = table ? ~0u : 0u;
        // A voice's copy of an LFO that runs globally is not heard: the Main LFO when its play
        // mode is not "Poly", the free LFOs when neither is (they may modulate each other).
        const bool global = i == kMainLfo ? s.playMode != kPlayPoly : freeGlobal;
        if (s.enabled && !global) p.runs |= static_cast<uint8_t>(1 << k);
        if (s.speed > 1e-6) p.moves |= static_cast<uint8_t>(1 << k);
    }
}

namespace {

// lfocore::frac in two lanes: one conversion where both lie in (0, 2^31), where it truncates.
inline __m128d fractions(__m128d x) {
    const __m128d inRange =
        _mm_and_pd(_mm_cmpgt_pd(x, _mm_setzero_pd()), _mm_cmplt_pd(x, _mm_set1_pd(2147483647.0)));
    if (_mm_movemask_pd(inRange) == 3) return _mm_sub_pd(x, _mm_cvtepi32_pd(_mm_cvttpd_epi32(x)));
    alignas(16) double d[2];
    _mm_store_pd(d, x);
    return _mm_set_pd(lfocore::frac(d[1]), lfocore::frac(d[0]));
}

// wrapPhase in two lanes: inside 0..2 at most one cycle comes off.
inline __m128d wrapPhases(__m128d x) {
    const __m128d one = _mm_set1_pd(1.0);
    const __m128d inRange =
        _mm_and_pd(_mm_cmpgt_pd(x, _mm_setzero_pd()), _mm_cmplt_pd(x, _mm_set1_pd(2.0)));
    if (_mm_movemask_pd(inRange) == 3) return _mm_sub_pd(x, _mm_and_pd(_mm_cmpge_pd(x, one), one));
    alignas(16) double d[2];
    _mm_store_pd(d, x);
    return _mm_set_pd(wrapPhase(d[1]), wrapPhase(d[0]));
}

} // namespace

// The lanes are the LFOs in step order. Lanes that rest (off, or run globally) only move their
// phases on. A running LFO whose speed is 0 keeps its phase and samples 0. Sync and frequency
// or phase modulation act on Free LFO 2 from Free LFO 1 within the step: sync scales Free LFO
// 2's phase before it moves when Free LFO 1's cycle restarts; the modulations read Free LFO 1's
// new output, so its lanes' values are found first and Free LFO 2's phase moves after them.
// The random draws come in step order, each lane's after the phases that decide it.
float APlugin::stepVoiceLFOLanes(int v, float amount, bool morphRuns) {
    if (v < 0 || v >= kNumVoices) return 0.0f;
    const GlobalLFOLanes& p = voiceLFOLanes[v];
    LFOState* lfos = voiceLFOs[v];
    LFORunState* run[4] = {&lfos[kLaneLFO[0]].run, &lfos[kLaneLFO[1]].run, &lfos[kLaneLFO[2]].run,
                           &lfos[kLaneLFO[3]].run};
    const int runs = p.runs | (morphRuns ? 8 : 0);
    if (runs == 0) {
        for (int k = 0; k < 3; ++k) {
            movePhase(lfos[kLaneLFO[k]]);
            run[k]->value = run[k]->output;
            run[k]->increment = 0.0f;
        }
        return 0.0f;
    }
    // The morph moves at the rate blended from the two free LFOs' at the amount.
    double morphRate = 0.0;
    if (morphRuns) {
        BlendedRate& blended = morphRates[1 + v];
        const double inc1 = lfos[0].set.speed, inc2 = lfos[1].set.speed, a = amount;
        if (!(inc1 == blended.key[0] && inc2 == blended.key[1] && a == blended.key[2])) {
            blended.key[0] = inc1;
            blended.key[1] = inc2;
            blended.key[2] = a;
            blended.rate = lfocore::blendRate(inc1, inc2, a);
        }
        morphRate = blended.rate;
    }
    // Lanes whose phase moves and may restart a cycle (a voice LFO's restarts at 1, the
    // morph's above it).
    const int full = (p.runs & p.moves) | (runs & 8);
    const int32_t mode = lfo12Mode;
    const bool modulated = (mode == kModePM || mode == kModeFM) && (full & 4);
    const __m128d one = _mm_set1_pd(1.0);
    alignas(16) double phase[4] = {run[0]->phase, run[1]->phase, run[2]->phase, run[3]->phase};
    const __m128d humaniseA = _mm_set_pd(run[1]->humanise, run[0]->humanise);
    const __m128d humaniseB = _mm_set_pd(run[3]->humanise, run[2]->humanise);
    auto warp = [&p](__m128d f, int at) {
        const __m128d point = _mm_load_pd(p.shapePoint + at);
        const __m128d low = _mm_mul_pd(f, _mm_load_pd(p.warpLow + at));
        const __m128d high = _mm_add_pd(
            _mm_mul_pd(_mm_sub_pd(f, point), _mm_load_pd(p.warpHigh + at)), _mm_set1_pd(0.5));
        const __m128d lower = _mm_cmple_pd(f, point);
        return _mm_or_pd(_mm_and_pd(lower, low), _mm_andnot_pd(lower, high));
    };
    // The warped positions from the phases before the step, and the phases moved on.
    alignas(16) double t[4], moved[4];
    int restarts = 0;
    {
        const __m128d phaseA = _mm_load_pd(phase);
        _mm_store_pd(t, warp(fractions(_mm_add_pd(_mm_load_pd(p.phaseOffset), phaseA)), 0));
        const __m128d movedA = _mm_add_pd(phaseA, _mm_mul_pd(_mm_load_pd(p.speed), humaniseA));
        _mm_store_pd(moved, wrapPhases(movedA));
        restarts = _mm_movemask_pd(_mm_cmpge_pd(movedA, one)) & full;
    }
    if (mode == kModeSync && (restarts & 2)) phase[2] *= 1.0 - static_cast<double>(amount);
    // Free LFO 2 (phase modulation adds to its position, frequency modulation scales its
    // move) and the morph.
    auto moveB = [&](double extraPhase, double factor) {
        const __m128d phaseB = _mm_load_pd(phase + 2);
        const __m128d offset =
            _mm_add_pd(_mm_set_pd(0.0, extraPhase), _mm_load_pd(p.phaseOffset + 2));
        _mm_store_pd(t + 2, warp(fractions(_mm_add_pd(offset, phaseB)), 2));
        const __m128d movedB =
            _mm_add_pd(phaseB, _mm_mul_pd(_mm_mul_pd(_mm_set_pd(morphRate, p.speed[2]), humaniseB),
                                          _mm_set_pd(1.0, factor)));
        _mm_store_pd(moved + 2, wrapPhases(movedB));
        restarts = (restarts & 3) | ((_mm_movemask_pd(_mm_cmpge_pd(movedB, one)) & 1) << 2) |
                   ((_mm_movemask_pd(_mm_cmpgt_pd(movedB, one)) & 2) << 2);
        restarts &= full;
    };
    if (!modulated) moveB(0.0, 1.0);

    // The draws of the lanes whose cycle restarts, in step order, into the state: the phases
    // moved with the rates they found, and the values below read the new random values.
    auto draw = [&](int lanes) {
        for (int bits = restarts & lanes; bits != 0; bits &= bits - 1) {
            const int k = __builtin_ctz(static_cast<unsigned>(bits));
            LFORunState& r = *run[k];
            if (k == 3) {
                r.humanise =
                    lfocore::humaniseFactor(getRandUnit(), voiceDest[v][kFreeLfo1Humanise]);
                continue;
            }
            r.random = 2.0f * getRandUnit() - 1.0f;
            const float u = getRandUnit();
            r.humanise = lfocore::humaniseFactor(
                u, voiceDest[v][LFO_DEST_FIRST[kLaneLFO[k]] + kLfoHumanise]);
        }
    };

    // The start delays, four samples a step; an LFO still in its delay samples 0.
    int32_t delays[3];
    for (int k = 0; k < 3; ++k) {
        const int32_t d = run[k]->delayCounter;
        delays[k] = d <= 0 ? d + 4 : d;
    }
    // Sample and hold: the accumulator moves on, and where it reaches 1 the value is taken and
    // the accumulator keeps its fraction.
    const __m128 rate = _mm_load_ps(p.holdRate);
    const __m128d accA = _mm_add_pd(_mm_set_pd(run[1]->holdAccumulator, run[0]->holdAccumulator),
                                    _mm_cvtps_pd(rate));
    const __m128d accB = _mm_add_pd(_mm_set_pd(run[3]->holdAccumulator, run[2]->holdAccumulator),
                                    _mm_cvtps_pd(_mm_movehl_ps(rate, rate)));
    const __m128d takeA = _mm_cmpge_pd(accA, one), takeB = _mm_cmpge_pd(accB, one);
    alignas(16) double accumulators[4];
    const __m128d below2to31 = _mm_set1_pd(2147483647.0);
    auto keep = [&](__m128d acc, __m128d take, double* out) {
        const __m128d f = _mm_sub_pd(acc, _mm_cvtepi32_pd(_mm_cvttpd_epi32(acc)));
        _mm_store_pd(out, _mm_or_pd(_mm_and_pd(take, f), _mm_andnot_pd(take, acc)));
        // A taking lane lies above 1; one conversion truncates it below 2^31.
        if (_mm_movemask_pd(_mm_andnot_pd(_mm_cmplt_pd(acc, below2to31), take)) == 0) return;
        alignas(16) double a[2], t[2];
        _mm_store_pd(a, acc);
        _mm_store_pd(t, take);
        for (int k = 0; k < 2; ++k) out[k] = t[k] != 0.0 ? lfocore::frac(a[k]) : a[k];
    };
    keep(accA, takeA, accumulators);
    keep(accB, takeB, accumulators + 2);
    const __m128 take =
        _mm_shuffle_ps(_mm_castpd_ps(takeA), _mm_castpd_ps(takeB), _MM_SHUFFLE(2, 0, 2, 0));

    // The values: the wave at the warped position (the random value for the random wave), read
    // where the sample and hold takes one; the morph reads both free LFOs' waves at its own.
    const __m128 zeroF = _mm_setzero_ps(), oneF = _mm_set1_ps(1.0f);
    const __m128 heldBefore = _mm_set_ps(run[3]->held, run[2]->held, run[1]->held, run[0]->held);
    const __m128 previous =
        _mm_set_ps(run[3]->output, run[2]->output, run[1]->output, run[0]->output);
    alignas(16) float held[4], output[4];
    auto values = [&] {
        // Every lane reads (only a taking lane keeps what it read); an LFO in its start delay
        // or whose speed is 0 reads 0.
        alignas(16) float value[4];
        for (int k = 0; k < 3; ++k)
            value[k] = delays[k] > 0 ? p.wave[k][lfocore::tableIndex(t[k]) & p.indexMask[k]] : 0.0f;
        const int index = lfocore::tableIndex(t[3]);
        value[3] = (1.0f - amount) * p.wave[1][index & p.indexMask[1]] +
                   amount * p.wave[2][index & p.indexMask[2]];
        for (int bits = p.runs & ~p.moves; bits != 0; bits &= bits - 1)
            value[__builtin_ctz(static_cast<unsigned>(bits))] = 0.0f;
        // lfocore::quantise: bias by sign, levels, floor, clamp.
        const __m128 x = _mm_load_ps(value);
        const __m128 negative = _mm_cmplt_ps(x, zeroF), positive = _mm_cmpgt_ps(x, zeroF);
        const __m128 nonNegativeGain = _mm_or_ps(_mm_and_ps(positive, _mm_load_ps(p.biasAbove)),
                                                 _mm_andnot_ps(positive, _mm_load_ps(p.biasZero)));
        const __m128 gain = _mm_or_ps(_mm_and_ps(negative, _mm_load_ps(p.biasBelow)),
                                      _mm_andnot_ps(negative, nonNegativeGain));
        const __m128 level =
            _mm_mul_ps(_mm_load_ps(p.steps), _mm_add_ps(_mm_mul_ps(x, gain), oneF));
        __m128 floored = _mm_cvtepi32_ps(_mm_cvttps_epi32(level));
        const __m128 truncates =
            _mm_and_ps(_mm_cmpge_ps(level, zeroF), _mm_cmplt_ps(level, _mm_set1_ps(8.0e6f)));
        if (_mm_movemask_ps(truncates) != 15) {
            alignas(16) float f[4];
            _mm_store_ps(f, level);
            for (float& e : f) e = lfocore::floorFast(e);
            floored = _mm_load_ps(f);
        }
        const __m128 q = _mm_sub_ps(_mm_mul_ps(floored, _mm_load_ps(p.inverse)), oneF);
        const __m128 aboveTop = _mm_cmpgt_ps(q, oneF);
        const __m128 capped = _mm_or_ps(_mm_and_ps(aboveTop, oneF), _mm_andnot_ps(aboveTop, q));
        const __m128 aboveBottom = _mm_cmpgt_ps(q, _mm_set1_ps(-1.0f));
        const __m128 quantised = _mm_or_ps(_mm_and_ps(aboveBottom, capped),
                                           _mm_andnot_ps(aboveBottom, _mm_set1_ps(-1.0f)));
        const __m128 h = _mm_or_ps(_mm_and_ps(take, quantised), _mm_andnot_ps(take, heldBefore));
        // The smoothing; a new note's LFOs start at their held values, without a glide (the
        // morph always glides).
        const __m128 smooth = _mm_load_ps(p.smooth);
        const __m128 smoothed = _mm_add_ps(
            _mm_add_ps(_mm_mul_ps(smooth, previous), _mm_mul_ps(_mm_sub_ps(oneF, smooth), h)),
            _mm_set1_ps(1e-15f));
        _mm_store_ps(held, h);
        _mm_store_ps(output,
                     voiceIsNew[v]
                         ? _mm_shuffle_ps(h, _mm_shuffle_ps(h, smoothed, _MM_SHUFFLE(3, 3, 2, 2)),
                                          _MM_SHUFFLE(2, 0, 1, 0))
                         : smoothed);
    };
    if (modulated) {
        // Free LFO 1's new output first (the lanes before Free LFO 2 draw and take their
        // values), then Free LFO 2 moves by it.
        draw(3);
        values();
        const float l1 = output[1];
        if (mode == kModePM)
            moveB(amount * l1, 1.0);
        else
            moveB(0.0, std::exp2(3.0 * amount * l1));
        draw(12);
    } else {
        draw(15);
    }
    values();

    // The stores: a resting lane only moves its phase on and rests at its output; a running
    // LFO whose speed is 0 keeps its phase.
    for (int bits = p.runs & ~p.moves; bits != 0; bits &= bits - 1) {
        const int k = __builtin_ctz(static_cast<unsigned>(bits));
        moved[k] = phase[k];
    }
    for (int k = 0; k < 4; ++k) {
        LFORunState& r = *run[k];
        if (!(runs & (1 << k))) {
            if (k == 3) break;
            r.phase = moved[k];
            r.value = r.output;
            r.increment = 0.0f;
            continue;
        }
        r.phase = moved[k];
        r.holdAccumulator = accumulators[k];
        r.held = held[k];
        const float before = r.output;
        r.previous = before;
        r.output = output[k];
        if (k == 3) break;
        r.delayCounter = delays[k];
        r.increment = (output[k] - before) * 0.5f;
        r.value = before;
    }
    return output[3];
}

void APlugin::resetVoiceLFO(int voice, int lfo) {
    if (voice < 0 || voice >= kNumVoices || lfo < 0 || lfo >= kVoiceLFOs) return;
    LFORunState& r = voiceLFOs[voice][lfo].run;
    voiceLFOsResting[voice] = 0; // the value moves: the next pass takes the full path
    r.phase = 0.0;
    r.previous = r.held = r.value = r.increment = 0.0f;
    r.holdAccumulator = 1.0; // the first step samples
    r.humanise = 1.0;
    // Start delay of 2^(14 d) milliseconds (1 ms .. 16.384 s); none below d = 0.001. The morph
    // LFO shares Free LFO 1's delay.
    const int i = lfo == kMorphLFO ? 0 : lfo;
    const float d = globalDest[LFO_DEST_FIRST[i] + kLfoDelay];
    if (!(d >= 0.001f)) {
        r.delayCounter = 0;
        return;
    }
    const double e = d > 1.0f ? 14.0 : 14.0 * d;
    r.delayCounter = -static_cast<int32_t>(std::exp2(e) / 1000.0 * engineRate);
}

float APlugin::getLFOCombination(int mode, float a, float x, float y) {
    auto sign = [](float f) { return f > 0.0f ? 1.0f : (f < 0.0f ? -1.0f : 0.0f); };
    auto bits = [](float f, float k) {
        const float p = f * k;
        // Beyond the int range the pattern saturates instead of overflowing.
        if (!(p > -2.0e9f)) return p != p ? 0 : -2000000000;
        return p > 2.0e9f ? 2000000000 : static_cast<int>(p);
    };
    switch (mode) {
    case 0:
        return x + a * y;
    case 1:
        return x - a * y;
    case 2:
        return (1.0f - a) * x + a * y;
    case 3:
        return (1.0f - a) * x + a * x * y;
    case 4:
        return (1.0f - a) * x + a * sign(y) * std::fabs(x);
    case 5:
        return (1.0f - a) * x + a * (std::fabs(x) > std::fabs(y) ? x : y);
    case 6:
        return (1.0f - a) * x + a * (std::fabs(x) < std::fabs(y) ? x : y);
    case 7:
    case 8: {
        const float k = std::exp2(16.0f * a);
        const int p = bits(y, k), q = bits(x, k);
        return static_cast<float>(mode == 7 ? (p & q) : (p | q)) / k;
    }
    default:
        return y; // Sync, FM and PM act inside the LFOs: the value is Free LFO 2's
    }
}

void APlugin::setVoiceLFOPass(int v) {
    if (v < 0 || v >= kNumVoices) return;
    setVoiceLFOPasses(&v, 1);
}

void APlugin::setVoiceLFOPasses(const int* voices, int count) {
    // What every voice of the pass reads alike, read once: nothing below writes it.
    const float amountKnob = currentValues[tag::FreeLfo12Amount];
    const float globalMain = lastVoiceSource[src::MainLfo];
    const float globalFree1 = lastVoiceSource[src::FreeLfo1];
    const float globalFree2 = lastVoiceSource[src::FreeLfo2];
    const float global12 = lastVoiceSource[src::FreeLfo12];
    const bool combined = freeLfo12InUse != 0;
    const int32_t mode = lfo12Mode;
    const Float4 half(0.5f);
    const __m128 globals = _mm_setr_ps(globalMain, globalFree1, globalFree2, global12);
    auto publish = [half](float* source, __m128 values) {
        const Float4 value(values);
        const Float4 unipolar = half * value + half;
        Float4(_mm_unpacklo_ps(value.v, unipolar.v)).store(source + src::MainLfo);
        Float4(_mm_unpackhi_ps(value.v, unipolar.v)).store(source + src::FreeLfo2);
    };
    for (int n = 0; n < count; ++n) {
        const int v = voices[n] & 15;
        const bool stepPass = (voicePassCount[v] & 1) == 0 || voiceIsNew[v];
        if (voiceLFOsResting[v] && (!stepPass || !combined)) {
            // A resting voice passes on what its last step left, and the global values where
            // its LFOs run globally. Its steps, until new settings or a reset end the rest, only
            // move the phases on: the values already rest at the outputs, the increments and
            // the Free LFO 1/2 value at 0 (without the combination, which would end the rest).
            ZEK2_SHORTCUT_TAKEN(VoiceLfosResting);
            const uint8_t rest = voiceLFOsResting[v];
            if (stepPass && !(rest & kRestPhasesStand)) {
                LFOState* lfos = voiceLFOs[v];
                for (int i : {kMainLfo, 0, 1}) movePhase(lfos[i]);
                // At speed 0 a wrapped phase (0 <= phase < 1, never -0) moves no more: the step
                // adds 0 (the humanise factor is finite) and the wrap keeps it.
                auto stands = [](const LFOState& l) {
                    return l.set.speed == 0.0 && l.run.phase >= 0.0 && l.run.phase < 1.0;
                };
                if (stands(lfos[kMainLfo]) && stands(lfos[0]) && stands(lfos[1]))
                    voiceLFOsResting[v] |= kRestPhasesStand;
            }
            const __m128 global =
                _mm_load_ps(reinterpret_cast<const float*>(voiceLFORestGlobal[v]));
            const __m128 kept = _mm_load_ps(voiceLFORestValues[v]);
            const __m128 values =
                _mm_or_ps(_mm_and_ps(global, globals), _mm_andnot_ps(global, kept));
            // Once published, the row holds the kept values (their global lanes as published):
            // while the global values stand it holds what this pass would write.
            const __m128i same = _mm_cmpeq_epi32(_mm_castps_si128(values), _mm_castps_si128(kept));
            if ((rest & kRestPublished) && _mm_movemask_epi8(same) == 0xFFFF) continue;
            publish(voiceSource[v], values);
            _mm_store_ps(voiceLFORestValues[v], values);
            voiceLFOsResting[v] |= kRestPublished;
            continue;
        }
        const bool wasResting = voiceLFOsResting[v] != 0;
        LFOState* lfos = voiceLFOs[v];
        const float* row = voiceDest[v];
        // The play modes change only with the settings, never in the steps below.
        const bool poly0 = lfos[0].set.playMode == kPlayPoly;
        const bool poly1 = lfos[1].set.playMode == kPlayPoly;
        const bool poly2 = lfos[kMainLfo].set.playMode == kPlayPoly;
        const bool freeGlobal = !poly0 && !poly1;
        if (stepPass) {
            // The amount is read by the steps and the combination only.
            const float a = lfocore::clampf(amountKnob + row[dest::FreeLfo12Amount], 0.0f, 1.0f);
            voiceLfo12Amount[v] = a;
            // With all three resting and no Free LFO 1/2 value, their values stand still
            // until the next step.
            const bool morph = combined && mode == kModeMorph;
            const float z = stepVoiceLFOLanes(v, a, morph);
            voiceLFOsResting[v] = !combined && voiceLFOLanes[v].runs == 0 && !noSkips ? 1 : 0;
            if (combined) {
                voiceLfo12Value[v] = voiceLfo12Target[v];
                voiceLfo12Target[v] =
                    morph ? z : getLFOCombination(mode, a, lfos[0].run.output, lfos[1].run.output);
                voiceLfo12Step[v] = (voiceLfo12Target[v] - voiceLfo12Value[v]) * 0.5f;
            } else {
                voiceLfo12Target[v] = voiceLfo12Value[v] = voiceLfo12Step[v] = 0.0f;
            }
        }
        // Sources 60..67: the Main LFO, Free LFO 1, Free LFO 2 and their combination, each with
        // its unipolar form; an LFO that runs globally passes on the global value.
        const Float4 value(
            poly2 ? lfos[kMainLfo].run.value : globalMain, poly0 ? lfos[0].run.value : globalFree1,
            poly1 ? lfos[1].run.value : globalFree2, freeGlobal ? global12 : voiceLfo12Value[v]);
        publish(voiceSource[v], value.v);
        // Resting values (each the output, never -0) with no step stay as they are until the
        // next step, a reset or new settings.
        if (voiceLFOsResting[v]) {
            // (The global lanes are masked out; the mask changes only with the play modes,
            // whose settings end a rest.)
            _mm_store_ps(voiceLFORestValues[v], value.v);
            if (!wasResting) {
                const bool global[4] = {!poly2, !poly0, !poly1, freeGlobal};
                for (int k = 0; k < 4; ++k) voiceLFORestGlobal[v][k] = global[k] ? ~0u : 0u;
            }
            continue;
        }
        for (int i = 0; i < 3; ++i) lfos[i].run.value += lfos[i].run.increment;
        voiceLfo12Value[v] += voiceLfo12Step[v];
    }
}
