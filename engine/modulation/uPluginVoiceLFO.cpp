// Each voice's own LFOs: their settings at the voice's control rate, their step every second
// pass, their start delay, the voice's Free LFO 1/2 value and the LFO sources 60..67 of the
// voice. Audio thread (the voice stages).
#include "engine/APlugin.h"

#include "dsp/Float4.h"
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
    return valid && std::memcmp(memo, key, bytes) == 0;
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
    if (voiceLFOKeyValid[v] && std::memcmp(&key, &voiceLFOKey[v], sizeof(key)) == 0) return;
    // The menus and switches (the key's first 17 values) and the free LFOs' use give the
    // waves, play modes, syncs and on states, the start phase, the speed source and the morph
    // choice: while they stand still, those still hold what they gave.
    const bool sameMenus =
        voiceLFOKeyValid[v] &&
        std::memcmp(key.values, voiceLFOKey[v].values, 17 * sizeof(float)) == 0 &&
        key.flags[0] == voiceLFOKey[v].flags[0];
    VoiceLFOMenus& menus = voiceLFOMenus[v];
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
        if (!sameKey(memo.speedValid, memo.speedKey, speedKey, sizeof(speedKey)) ||
            !sameKey(memo.speedValid, memo.speedKeyD, speedKeyD, sizeof(speedKeyD))) {
            std::memcpy(memo.speedKey, speedKey, sizeof(speedKey));
            std::memcpy(memo.speedKeyD, speedKeyD, sizeof(speedKeyD));
            memo.speedValid = 1;
            if (!haveBase) base = std::exp2(2.0 * row[dest::GlobalLfoSpeed]);
            haveBase = true;
            double multiplier = std::exp2(2.0 * d[kLfoSpeed]) * base;
            if (i == kMainLfo) multiplier *= std::exp2(speedExponent);
            s.speed = getLfoSpeed(kSpeedTags[i], s.sync != 0, multiplier);
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
    p.ready = 1;
    p.morph = 1;
    for (int k = 0; k < 4; ++k) {
        const int i = kLaneLFO[k];
        const LFOSettings& s = voiceLFOs[v][i].set;
        p.setLane(k, s);
        if (k == 3) break;
        p.table[k] = getLFOWaveTable(s.wave);
        if (!s.enabled || s.playMode != kPlayPoly || !(s.speed > 1e-6) || !p.table[k]) p.ready = 0;
    }
}

// setVoiceLFO for LFOs 2, 0 and 1 and then stepMorphLFO, the same operations lane by lane,
// each branch a mask. Every value whose one-at-a-time step would take another branch (a phase
// outside the range the fast fractions cover, say) sends the whole step back there before
// anything is stored. The draws of the LFOs whose cycle restarts come in the step order.
bool APlugin::stepVoiceLFOLanes(int v, float amount, float* morphOutput) {
    if (v < 0 || v >= kNumVoices) return false;
    const GlobalLFOLanes& p = voiceLFOLanes[v];
    if (!p.ready) return false;
    LFOState* lfos = voiceLFOs[v];
    LFORunState* run[4] = {&lfos[kLaneLFO[0]].run, &lfos[kLaneLFO[1]].run, &lfos[kLaneLFO[2]].run,
                           &lfos[kLaneLFO[3]].run};
    // The morph moves at the rate blended from the two free LFOs' at the amount.
    BlendedRate& blended = morphRates[1 + v];
    const double inc1 = lfos[0].set.speed, inc2 = lfos[1].set.speed, a = amount;
    if (!(inc1 == blended.key[0] && inc2 == blended.key[1] && a == blended.key[2])) {
        blended.key[0] = inc1;
        blended.key[1] = inc2;
        blended.key[2] = a;
        blended.rate = lfocore::blendRate(inc1, inc2, a);
    }
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), two = _mm_set1_pd(2.0);
    const __m128d below2to31 = _mm_set1_pd(2147483647.0);
    // Lanes 0 and 1 (Main LFO, Free LFO 1), lanes 2 and 3 (Free LFO 2, the morph).
    const __m128d phaseA = _mm_set_pd(run[1]->phase, run[0]->phase);
    const __m128d phaseB = _mm_set_pd(run[3]->phase, run[2]->phase);
    const __m128d humaniseA = _mm_set_pd(run[1]->humanise, run[0]->humanise);
    const __m128d humaniseB = _mm_set_pd(run[3]->humanise, run[2]->humanise);
    const __m128d holdA = _mm_set_pd(run[1]->holdAccumulator, run[0]->holdAccumulator);
    const __m128d holdB = _mm_set_pd(run[3]->holdAccumulator, run[2]->holdAccumulator);
    auto fraction = [](__m128d x) { return _mm_sub_pd(x, _mm_cvtepi32_pd(_mm_cvttpd_epi32(x))); };

    // The warped position from the phase before the step (lfocore::frac, lfocore::warp).
    const __m128d xA = _mm_add_pd(_mm_load_pd(p.phaseOffset), phaseA);
    const __m128d xB = _mm_add_pd(_mm_load_pd(p.phaseOffset + 2), phaseB);
    auto inTruncRange = [&](__m128d x) {
        return _mm_movemask_pd(_mm_and_pd(_mm_cmpgt_pd(x, zero), _mm_cmplt_pd(x, below2to31)));
    };
    if (inTruncRange(xA) != 3 || inTruncRange(xB) != 3) return false;
    auto warp = [&p](__m128d f, int at) {
        const __m128d point = _mm_load_pd(p.shapePoint + at);
        const __m128d low = _mm_mul_pd(f, _mm_load_pd(p.warpLow + at));
        const __m128d high = _mm_add_pd(
            _mm_mul_pd(_mm_sub_pd(f, point), _mm_load_pd(p.warpHigh + at)), _mm_set1_pd(0.5));
        const __m128d lower = _mm_cmple_pd(f, point);
        return _mm_or_pd(_mm_and_pd(lower, low), _mm_andnot_pd(lower, high));
    };
    const __m128d tA = warp(fraction(xA), 0);
    const __m128d tB = warp(fraction(xB), 2);

    // The phase moves on; it stays inside 0..2, where wrapPhase takes off one cycle at most.
    // A voice LFO's cycle restarts at 1, the morph's above it.
    const __m128d movedA = _mm_add_pd(phaseA, _mm_mul_pd(_mm_load_pd(p.speed), humaniseA));
    const __m128d movedB =
        _mm_add_pd(phaseB, _mm_mul_pd(_mm_set_pd(blended.rate, p.speed[2]), humaniseB));
    auto inWrapRange = [&](__m128d x) {
        return _mm_movemask_pd(_mm_and_pd(_mm_cmpgt_pd(x, zero), _mm_cmplt_pd(x, two)));
    };
    if (inWrapRange(movedA) != 3 || inWrapRange(movedB) != 3) return false;
    const int restarts = _mm_movemask_pd(_mm_cmpge_pd(movedA, one)) |
                         ((_mm_movemask_pd(_mm_cmpge_pd(movedB, one)) & 1) << 2) |
                         ((_mm_movemask_pd(_mm_cmpgt_pd(movedB, one)) & 2) << 2);
    auto wrap = [&](__m128d x) { return _mm_sub_pd(x, _mm_and_pd(_mm_cmpge_pd(x, one), one)); };
    const __m128d wrappedA = wrap(movedA);
    const __m128d wrappedB = wrap(movedB);

    // The start delays, four samples a step; an LFO still in its delay reads 0.
    int32_t delays[3];
    for (int k = 0; k < 3; ++k) {
        const int32_t d = run[k]->delayCounter;
        delays[k] = d <= 0 ? d + 4 : d;
    }
    // The wave values at the warped positions; the morph reads both free LFOs' waves at its
    // own position.
    const double t[4] = {_mm_cvtsd_f64(tA), _mm_cvtsd_f64(_mm_unpackhi_pd(tA, tA)),
                         _mm_cvtsd_f64(tB), _mm_cvtsd_f64(_mm_unpackhi_pd(tB, tB))};
    const float v0 = delays[0] > 0 ? p.table[0][lfocore::tableIndex(t[0])] : 0.0f;
    const float v1 = delays[1] > 0 ? p.table[1][lfocore::tableIndex(t[1])] : 0.0f;
    const float v2 = delays[2] > 0 ? p.table[2][lfocore::tableIndex(t[2])] : 0.0f;
    const int index = lfocore::tableIndex(t[3]);
    const float v3 = (1.0f - amount) * p.table[1][index] + amount * p.table[2][index];
    const __m128 value = _mm_set_ps(v3, v2, v1, v0);

    // Sample and hold: the accumulator moves on, and where it reaches 1 the value is taken and
    // the accumulator keeps its fraction.
    const __m128 rate = _mm_load_ps(p.holdRate);
    const __m128d accA = _mm_add_pd(holdA, _mm_cvtps_pd(rate));
    const __m128d accB = _mm_add_pd(holdB, _mm_cvtps_pd(_mm_movehl_ps(rate, rate)));
    if (_mm_movemask_pd(_mm_cmplt_pd(accA, below2to31)) != 3 ||
        _mm_movemask_pd(_mm_cmplt_pd(accB, below2to31)) != 3)
        return false;
    const __m128d takeA = _mm_cmpge_pd(accA, one), takeB = _mm_cmpge_pd(accB, one);
    const __m128d keptA = _mm_or_pd(_mm_and_pd(takeA, fraction(accA)), _mm_andnot_pd(takeA, accA));
    const __m128d keptB = _mm_or_pd(_mm_and_pd(takeB, fraction(accB)), _mm_andnot_pd(takeB, accB));
    const __m128 take =
        _mm_shuffle_ps(_mm_castpd_ps(takeA), _mm_castpd_ps(takeB), _MM_SHUFFLE(2, 0, 2, 0));

    // lfocore::quantise: bias by sign, levels, floor (in the range where it truncates), clamp.
    const __m128 zeroF = _mm_setzero_ps(), oneF = _mm_set1_ps(1.0f);
    const __m128 negative = _mm_cmplt_ps(value, zeroF), positive = _mm_cmpgt_ps(value, zeroF);
    const __m128 nonNegativeGain = _mm_or_ps(_mm_and_ps(positive, _mm_load_ps(p.biasAbove)),
                                             _mm_andnot_ps(positive, _mm_load_ps(p.biasZero)));
    const __m128 gain = _mm_or_ps(_mm_and_ps(negative, _mm_load_ps(p.biasBelow)),
                                  _mm_andnot_ps(negative, nonNegativeGain));
    const __m128 level =
        _mm_mul_ps(_mm_load_ps(p.steps), _mm_add_ps(_mm_mul_ps(value, gain), oneF));
    const __m128 truncates =
        _mm_and_ps(_mm_cmpge_ps(level, zeroF), _mm_cmplt_ps(level, _mm_set1_ps(8.0e6f)));
    // Only a lane that takes its value needs it.
    if (_mm_movemask_ps(
            _mm_or_ps(truncates, _mm_andnot_ps(take, _mm_castsi128_ps(_mm_set1_epi32(-1))))) != 15)
        return false;
    const __m128 floored = _mm_cvtepi32_ps(_mm_cvttps_epi32(level));
    const __m128 q = _mm_sub_ps(_mm_mul_ps(floored, _mm_load_ps(p.inverse)), oneF);
    const __m128 aboveTop = _mm_cmpgt_ps(q, oneF);
    const __m128 capped = _mm_or_ps(_mm_and_ps(aboveTop, oneF), _mm_andnot_ps(aboveTop, q));
    const __m128 aboveBottom = _mm_cmpgt_ps(q, _mm_set1_ps(-1.0f));
    const __m128 quantised =
        _mm_or_ps(_mm_and_ps(aboveBottom, capped), _mm_andnot_ps(aboveBottom, _mm_set1_ps(-1.0f)));
    const __m128 heldBefore = _mm_set_ps(run[3]->held, run[2]->held, run[1]->held, run[0]->held);
    const __m128 held = _mm_or_ps(_mm_and_ps(take, quantised), _mm_andnot_ps(take, heldBefore));

    // The smoothing; a new note's LFOs start at their held values, without a glide (the
    // morph always glides).
    const __m128 previous =
        _mm_set_ps(run[3]->output, run[2]->output, run[1]->output, run[0]->output);
    const __m128 smooth = _mm_load_ps(p.smooth);
    const __m128 smoothed = _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(smooth, previous), _mm_mul_ps(_mm_sub_ps(oneF, smooth), held)),
        _mm_set1_ps(1e-15f));
    const __m128 output =
        voiceIsNew[v]
            ? _mm_shuffle_ps(held, _mm_shuffle_ps(held, smoothed, _MM_SHUFFLE(3, 3, 2, 2)),
                             _MM_SHUFFLE(2, 0, 1, 0))
            : smoothed;
    const __m128 increment = _mm_mul_ps(_mm_sub_ps(output, previous), _mm_set1_ps(0.5f));

    // Nothing can send the step back now: the draws in step order, then the stores.
    for (int k = 0; k < 3; ++k) {
        if (!(restarts & (1 << k))) continue;
        LFORunState& r = *run[k];
        r.random = 2.0f * getRandUnit() - 1.0f;
        const float u = getRandUnit();
        r.humanise =
            lfocore::humaniseFactor(u, voiceDest[v][LFO_DEST_FIRST[kLaneLFO[k]] + kLfoHumanise]);
    }
    if (restarts & 8) {
        const float u = getRandUnit();
        run[3]->humanise = lfocore::humaniseFactor(u, voiceDest[v][kFreeLfo1Humanise]);
    }
    alignas(16) double phases[4], accumulators[4];
    alignas(16) float helds[4], outputs[4], previouses[4], increments[4];
    _mm_store_pd(phases, wrappedA);
    _mm_store_pd(phases + 2, wrappedB);
    _mm_store_pd(accumulators, keptA);
    _mm_store_pd(accumulators + 2, keptB);
    _mm_store_ps(helds, held);
    _mm_store_ps(outputs, output);
    _mm_store_ps(previouses, previous);
    _mm_store_ps(increments, increment);
    for (int k = 0; k < 4; ++k) {
        LFORunState& r = *run[k];
        r.phase = phases[k];
        r.holdAccumulator = accumulators[k];
        r.held = helds[k];
        r.previous = previouses[k];
        r.output = outputs[k];
        if (k == 3) break;
        r.delayCounter = delays[k];
        r.increment = increments[k];
        r.value = previouses[k];
    }
    *morphOutput = outputs[3];
    return true;
}

void APlugin::setVoiceLFO(int v, int i) {
    if (v < 0 || v >= kNumVoices || i < 0 || i > 2) return;
    LFOSettings& s = voiceLFOs[v][i].set;
    LFORunState& r = voiceLFOs[v][i].run;
    double factor = 1.0, extraPhase = 0.0;
    if (i == 1) {
        const float l1 = voiceLFOs[v][0].run.output;
        const float amount = voiceLfo12Amount[v];
        if (lfo12Mode == kModePM) extraPhase = amount * l1;
        if (lfo12Mode == kModeFM) factor = std::exp2(3.0 * amount * l1);
    }
    // A voice's copy of an LFO that runs globally is not heard: the Main LFO when its play
    // mode is not "Poly", the free LFOs when neither is (they may modulate each other).
    const bool global = i == kMainLfo ? s.playMode != kPlayPoly
                                      : voiceLFOs[v][0].set.playMode != kPlayPoly &&
                                            voiceLFOs[v][1].set.playMode != kPlayPoly;
    if (!s.enabled || global) {
        // Unused: only the phase runs on, and the value rests where it stood.
        movePhase(voiceLFOs[v][i]);
        r.value = r.output;
        r.increment = 0.0f;
        return;
    }
    // The state is worked in locals and stored once. The wave is read only by a step whose
    // sample and hold takes a value: other steps leave the held value, and so the output, as
    // they find them, and skip the warp, the table and the quantiser.
    int32_t delay = r.delayCounter;
    if (delay <= 0) r.delayCounter = delay += 4; // the start delay, four samples a step
    double hold = r.holdAccumulator + s.holdRate;
    const bool take = hold >= 1.0;
    float v0 = 0.0f;
    const double speed = s.speed;
    if (speed > 1e-6) {
        // Only Free LFO 2 under phase or frequency modulation moves by Free LFO 1; otherwise
        // the added 0.0 and the factor 1.0 would change nothing (the offset is never -0).
        const bool modulated = i == 1 && (lfo12Mode == kModePM || lfo12Mode == kModeFM);
        double phase = r.phase;
        const bool read = take && delay > 0;
        double t = 0.0;
        if (read) {
            const double x = modulated ? extraPhase + s.phaseOffset + phase : s.phaseOffset + phase;
            t = lfocore::warp(lfocore::frac(x), s);
        }
        phase += modulated ? speed * r.humanise * factor : speed * r.humanise;
        if (phase >= 1.0) {
            r.random = 2.0f * getRandUnit() - 1.0f;
            const float u = getRandUnit();
            r.humanise = lfocore::humaniseFactor(u, voiceDest[v][LFO_DEST_FIRST[i] + kLfoHumanise]);
            if (i == 0 && lfo12Mode == kModeSync)
                voiceLFOs[v][1].run.phase *= 1.0 - static_cast<double>(voiceLfo12Amount[v]);
        }
        r.phase = wrapPhase(phase);
        if (read) {
            const float* table = getLFOWaveTable(s.wave);
            v0 = table ? table[lfocore::tableIndex(t)] : r.random;
        }
    }
    // Sample and hold (lfocore::sampleAndHold), then the smoothing.
    float held = r.held;
    if (take) {
        held = lfocore::quantise(s, v0);
        hold = lfocore::frac(hold);
        r.held = held;
    }
    r.holdAccumulator = hold;
    const float previous = r.output;
    // A new note starts at its value, without a glide.
    const float output =
        voiceIsNew[v] ? held : s.smooth * previous + (1.0f - s.smooth) * held + 1e-15f;
    r.previous = previous;
    r.output = output;
    r.increment = (output - previous) * 0.5f;
    r.value = previous;
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
            if (stepPass)
                for (int i : {kMainLfo, 0, 1}) movePhase(voiceLFOs[v][i]);
            const __m128 global =
                _mm_load_ps(reinterpret_cast<const float*>(voiceLFORestGlobal[v]));
            publish(voiceSource[v],
                    _mm_or_ps(_mm_and_ps(global, globals),
                              _mm_andnot_ps(global, _mm_load_ps(voiceLFORestValues[v]))));
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
            // A voice's copy of an LFO that is off or runs globally only moves its phase on;
            // that short step is done here, the full step in setVoiceLFO. The Main LFO steps
            // first. With all three resting and no Free LFO 1/2 value, their values stand
            // still until the next step.
            bool resting = !combined;
            auto step = [&](int i, bool runs) {
                LFOState& lfo = lfos[i];
                if (lfo.set.enabled && runs) {
                    setVoiceLFO(v, i);
                    resting = false;
                    return;
                }
                movePhase(lfo);
                lfo.run.value = lfo.run.output;
                lfo.run.increment = 0.0f;
            };
            // The morph mode with all three running per voice steps them and the morph
            // together in four lanes where it can.
            float z = 0.0f;
            const bool inLanes = combined && mode == kModeMorph && stepVoiceLFOLanes(v, a, &z);
            if (inLanes) {
                resting = false;
            } else {
                step(kMainLfo, poly2);
                step(0, !freeGlobal);
                step(1, !freeGlobal);
            }
            voiceLFOsResting[v] = resting ? 1 : 0;
            if (combined) {
                const float x = lfos[0].run.output, y = lfos[1].run.output;
                if (!inLanes)
                    z = mode == kModeMorph ? stepMorphLFO(lfos[kMorphLFO], lfos[0], lfos[1], a,
                                                          row[kFreeLfo1Humanise], morphRates[1 + v])
                                           : getLFOCombination(mode, a, x, y);
                voiceLfo12Value[v] = voiceLfo12Target[v];
                voiceLfo12Target[v] = z;
                voiceLfo12Step[v] = (z - voiceLfo12Value[v]) * 0.5f;
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
