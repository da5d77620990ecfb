// The three global LFOs (Free LFO 1, Free LFO 2, Main LFO) and the morph LFO: their speed,
// their settings every 128 samples, their step every 4 samples, their resets. Audio thread.
#include "engine/APlugin.h"

#include "engine/modulation/LFOCore.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/TempoTables.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>
#include <type_traits>

namespace {
constexpr int kWaveTags[3] = {tag::FreeLfo1Wave, tag::FreeLfo2Wave, tag::MainLfoWave};
constexpr int kPlayModeTags[3] = {tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode,
                                  tag::MainLfoPlayMode};
constexpr int kSyncTags[3] = {tag::FreeLfo1SyncOn, tag::FreeLfo2SyncOn, tag::MainLfoSyncOn};
constexpr int kSpeedTags[3] = {tag::FreeLfo1Speed, tag::FreeLfo2Speed, tag::MainLfoSpeed};
constexpr int kMainLfo = 2;
// The global LFOs step in this order (Main LFO, Free LFO 1, Free LFO 2): their draws from the
// shared generator come in it.
constexpr int kStepOrder[3] = {2, 0, 1};
constexpr int kFreeLfo1Humanise = 293; // the morph's humanise depth
constexpr int kModeSync = 9, kModeFM = 10, kModePM = 11, kModeMorph = 12;

// frac(x) for a phase that has moved on by less than a cycle: the same value without the
// floor, which costs more than the rest of a step's phase arithmetic.
// Equal bit for bit, read as wide as written: a key array built on the stack and compared
// with wider loads (memcmp) stalls on store forwarding.
template <typename T> bool sameBits(T a, T b) {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "float or double");
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    Bits x, y;
    std::memcpy(&x, &a, sizeof(x));
    std::memcpy(&y, &b, sizeof(y));
    return x == y;
}

inline double wrapPhase(double x) {
    if (x > 0.0 && x < 2.0) return x >= 1.0 ? x - 1.0 : x;
    return lfocore::frac(x);
}
} // namespace

double APlugin::getLfoSpeed(int speedTag, bool synced, double multiplier) const {
    if (!isValidTag(speedTag)) return 0.0;
    const float x = currentValues[speedTag];
    if (!(x >= 0.0001f)) return 0.0;
    double advance;
    if (synced) {
        const float clamped = x > 1.0f ? 1.0f : x;
        const int n = getSteppedValue(clamped, 33.99f, 34);
        if (n == 0) return 0.0;
        const double tempoNow = tempoDouble > 0.1 ? tempoDouble : 0.1;
        // Four samples per step over a period of D_PERIOD_ARRAY[n] x 8 beats.
        advance = 4.0 / (D_PERIOD_ARRAY[n] * 15.0 * (engineRateDouble / tempoNow) * 32.0);
    } else {
        // 110 x 2^(14 (x - 1)) Hz, four samples per step.
        advance = std::exp2(14.0 * x) * 4.0 * 1.71875 / (256.0 * engineRateDouble);
    }
    const double result = advance * multiplier;
    return std::isfinite(result) && result > 0.0 ? result : 0.0;
}

const float* APlugin::getLFOWaveTable(int wave) const {
    if (wave == 6 || wave == 7) return userLfoShapes[wave - 6];
    if (wave < 0 || wave > 4) return nullptr;
    return tables->lfoShapeTables[wave];
}

void APlugin::setGlobalLFOSettings() {
    // The powers of two run only for an LFO whose inputs moved since its last update (the
    // memo compares them bit for bit, so a kept value is the one they would give).
    const float globalSpeed = globalDest[dest::GlobalLfoSpeed];
    double rateFactor = 0.0;
    bool haveRateFactor = false;
    for (int i = 0; i < 3; ++i) {
        LFOSettings& s = globalLFOs[i].set;
        LFOSettingsMemo& memo = globalLFOMemo[i];
        const float* d = &globalDest[LFO_DEST_FIRST[i]];
        s.wave = getSteppedValue(kWaveTags[i]);
        s.playMode = getSteppedValue(kPlayModeTags[i]);
        s.sync = getOnOff(kSyncTags[i]) ? 1 : 0;
        s.enabled = i == kMainLfo ? 1 : freeLfoInUse;
        float speedExponent = 0.0f;
        double startPhase = 0.0;
        if (i == kMainLfo) {
            const float depth = 2.0f * currentValues[tag::MainLfoSpeedModAmount] - 1.0f;
            const int by = getModSrc(currentValues[tag::MainLfoSpeedModSource]);
            speedExponent = depth * 4.0f * lastVoiceSource[by];
            startPhase = LFO_PHASE_VAL[getSteppedValue(tag::MainLfoPhase) & 3];
        }
        const float speedKey[5] = {globalSpeed, d[kLfoSpeed], currentValues[kSpeedTags[i]],
                                   speedExponent, float(s.sync)};
        const double speedKeyD[2] = {tempoDouble, engineRateDouble};
        // Key by key, each as wide as it was written (see sameBits).
        bool same = memo.speedValid != 0;
        for (int k = 0; k < 5; ++k) same = same && sameBits(speedKey[k], memo.speedKey[k]);
        for (int k = 0; k < 2; ++k) same = same && sameBits(speedKeyD[k], memo.speedKeyD[k]);
        if (!same) {
            for (int k = 0; k < 5; ++k) memo.speedKey[k] = speedKey[k];
            for (int k = 0; k < 2; ++k) memo.speedKeyD[k] = speedKeyD[k];
            memo.speedValid = 1;
            if (!haveRateFactor) rateFactor = std::exp2(2.0 * globalSpeed);
            haveRateFactor = true;
            double multiplier = std::exp2(2.0 * d[kLfoSpeed]) * rateFactor;
            if (i == kMainLfo) multiplier *= std::exp2(speedExponent);
            s.speed = getLfoSpeed(kSpeedTags[i], s.sync != 0, multiplier);
        }
        lfocore::setStagesOnce(s, memo, d[kLfoPhase] + startPhase, d[kLfoShape], d[kLfoSmooth],
                               d[kLfoBias], d[kLfoBits], d[kLfoHold]);
    }

    lfo12Mode = getSteppedValue(tag::FreeLfo12Mode);
    if (lfo12Mode == kModeMorph) {
        // The morph LFO's stages sit between the two free LFOs' at the current amount.
        const float a = lfo12Amount;
        const float* d1 = &globalDest[LFO_DEST_FIRST[0]];
        const float* d2 = &globalDest[LFO_DEST_FIRST[1]];
        auto mix = [a, d1, d2](int k) { return (1.0f - a) * d1[k] + a * d2[k]; };
        lfocore::setStagesOnce(globalLFOs[kMorphLFO].set, globalLFOMemo[kMorphLFO], mix(kLfoPhase),
                               mix(kLfoShape), mix(kLfoSmooth), mix(kLfoBias), mix(kLfoBits),
                               mix(kLfoHold));
    }
    packGlobalLFOLanes();
}

void APlugin::packGlobalLFOLanes() {
    GlobalLFOLanes& p = globalLFOLanes;
    p.ready = 1;
    // The fourth lane holds the morph LFO while the Free LFO 1/2 mode is the morph (its
    // settings are only kept up to date then), otherwise Free LFO 2 again.
    p.morph = lfo12Mode == kModeMorph ? 1 : 0;
    for (int k = 0; k < 4; ++k) {
        const int i = k < 3 ? kStepOrder[k] : (p.morph ? kMorphLFO : kStepOrder[2]);
        const LFOSettings& s = globalLFOs[i].set;
        p.setLane(k, s);
        if (k == 3) break;
        p.table[k] = getLFOWaveTable(s.wave);
        if (!s.enabled || !(s.speed > 1e-6) || !p.table[k]) p.ready = 0;
    }
}

// The step of setGlobalLFO for LFOs 2, 0 and 1 at once, for the common case its settings pack
// allows (each running, moving and reading a table; no Free LFO 1/2 mode that links them):
// the same operations lane by lane, each branch a mask. Every value whose one-at-a-time step
// would take another branch (a phase outside the range the fast fractions cover, say) sends
// the whole step back there before anything is stored. The draws of the LFOs whose cycle
// restarts come in the step order, as they would one LFO at a time.
bool APlugin::stepGlobalLFOLanes(float* morphOutput) {
    const GlobalLFOLanes& p = globalLFOLanes;
    // With `morphOutput` the fourth lane steps the morph LFO as stepMorphLFO would, after the
    // three (its draw follows theirs); otherwise it repeats Free LFO 2 and is not stored.
    const bool morph = morphOutput && p.morph;
    if (morphOutput && !morph) return false;
    LFORunState* run[4] = {&globalLFOs[kStepOrder[0]].run, &globalLFOs[kStepOrder[1]].run,
                           &globalLFOs[kStepOrder[2]].run,
                           &globalLFOs[p.morph ? kMorphLFO : kStepOrder[2]].run};
    // The morph moves at the rate blended from the two free LFOs' at the current amount.
    double fourthSpeed = p.speed[3];
    const float amount = lfo12Amount;
    if (morph) {
        BlendedRate& blended = morphRates[0];
        const double inc1 = globalLFOs[0].set.speed, inc2 = globalLFOs[1].set.speed;
        const double a = amount;
        if (!(inc1 == blended.key[0] && inc2 == blended.key[1] && a == blended.key[2])) {
            blended.key[0] = inc1;
            blended.key[1] = inc2;
            blended.key[2] = a;
            blended.rate = lfocore::blendRate(inc1, inc2, a);
        }
        fourthSpeed = blended.rate;
    } else if (p.morph) {
        fourthSpeed = p.speed[2]; // the lane is not stored; any moving speed keeps it in range
    }
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0);
    const __m128d below2to31 = _mm_set1_pd(2147483647.0);
    // Lanes 0 and 1 (Main LFO, Free LFO 1), lanes 2 and 3 (Free LFO 2, the morph or again).
    const __m128d phaseA = _mm_set_pd(run[1]->phase, run[0]->phase);
    const __m128d phaseB = _mm_set_pd(run[3]->phase, run[2]->phase);
    const __m128d humaniseA = _mm_set_pd(run[1]->humanise, run[0]->humanise);
    const __m128d humaniseB = _mm_set_pd(run[3]->humanise, run[2]->humanise);
    const __m128d holdA = _mm_set_pd(run[1]->holdAccumulator, run[0]->holdAccumulator);
    const __m128d holdB = _mm_set_pd(run[3]->holdAccumulator, run[2]->holdAccumulator);

    // The warped position from the phase before the step (lfocore::frac, lfocore::warp).
    const __m128d xA = _mm_add_pd(_mm_load_pd(p.phaseOffset), phaseA);
    const __m128d xB = _mm_add_pd(_mm_load_pd(p.phaseOffset + 2), phaseB);
    auto inTruncRange = [&](__m128d x) {
        return _mm_movemask_pd(_mm_and_pd(_mm_cmpgt_pd(x, zero), _mm_cmplt_pd(x, below2to31)));
    };
    if (inTruncRange(xA) != 3 || inTruncRange(xB) != 3) return false;
    auto fraction = [](__m128d x) { return _mm_sub_pd(x, _mm_cvtepi32_pd(_mm_cvttpd_epi32(x))); };
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
    const __m128d movedA = _mm_add_pd(phaseA, _mm_mul_pd(_mm_load_pd(p.speed), humaniseA));
    const __m128d movedB =
        _mm_add_pd(phaseB, _mm_mul_pd(_mm_set_pd(fourthSpeed, p.speed[2]), humaniseB));
    const __m128d two = _mm_set1_pd(2.0);
    auto inWrapRange = [&](__m128d x) {
        return _mm_movemask_pd(_mm_and_pd(_mm_cmpgt_pd(x, zero), _mm_cmplt_pd(x, two)));
    };
    if (inWrapRange(movedA) != 3 || inWrapRange(movedB) != 3) return false;
    const int restarts = _mm_movemask_pd(_mm_cmpgt_pd(movedA, one)) |
                         (_mm_movemask_pd(_mm_cmpgt_pd(movedB, one)) << 2);
    auto wrap = [&](__m128d x) {
        const __m128d over = _mm_cmpge_pd(x, one);
        return _mm_sub_pd(x, _mm_and_pd(over, one));
    };
    const __m128d wrappedA = wrap(movedA);
    const __m128d wrappedB = wrap(movedB);

    // The wave values at the warped positions.
    const double t[4] = {_mm_cvtsd_f64(tA), _mm_cvtsd_f64(_mm_unpackhi_pd(tA, tA)),
                         _mm_cvtsd_f64(tB), _mm_cvtsd_f64(_mm_unpackhi_pd(tB, tB))};
    const float v0 = p.table[0][lfocore::tableIndex(t[0])];
    const float v1 = p.table[1][lfocore::tableIndex(t[1])];
    const float v2 = p.table[2][lfocore::tableIndex(t[2])];
    float v3 = v2;
    if (morph) {
        // The morph reads both free LFOs' waves at its own position.
        const int index = lfocore::tableIndex(t[3]);
        v3 = (1.0f - amount) * p.table[1][index] + amount * p.table[2][index];
    }
    const __m128 v = _mm_set_ps(v3, v2, v1, v0);

    // lfocore::quantise: bias by sign, levels, floor (in the range where it truncates), clamp.
    const __m128 zeroF = _mm_setzero_ps(), oneF = _mm_set1_ps(1.0f);
    const __m128 negative = _mm_cmplt_ps(v, zeroF), positive = _mm_cmpgt_ps(v, zeroF);
    const __m128 nonNegativeGain = _mm_or_ps(_mm_and_ps(positive, _mm_load_ps(p.biasAbove)),
                                             _mm_andnot_ps(positive, _mm_load_ps(p.biasZero)));
    const __m128 gain = _mm_or_ps(_mm_and_ps(negative, _mm_load_ps(p.biasBelow)),
                                  _mm_andnot_ps(negative, nonNegativeGain));
    const __m128 level = _mm_mul_ps(_mm_load_ps(p.steps), _mm_add_ps(_mm_mul_ps(v, gain), oneF));
    const __m128 truncates =
        _mm_and_ps(_mm_cmpge_ps(level, zeroF), _mm_cmplt_ps(level, _mm_set1_ps(8.0e6f)));
    if (_mm_movemask_ps(truncates) != 15) return false;
    const __m128 floored = _mm_cvtepi32_ps(_mm_cvttps_epi32(level));
    const __m128 q = _mm_sub_ps(_mm_mul_ps(floored, _mm_load_ps(p.inverse)), oneF);
    const __m128 aboveTop = _mm_cmpgt_ps(q, oneF);
    const __m128 capped = _mm_or_ps(_mm_and_ps(aboveTop, oneF), _mm_andnot_ps(aboveTop, q));
    const __m128 aboveBottom = _mm_cmpgt_ps(q, _mm_set1_ps(-1.0f));
    const __m128 quantised =
        _mm_or_ps(_mm_and_ps(aboveBottom, capped), _mm_andnot_ps(aboveBottom, _mm_set1_ps(-1.0f)));

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
    const __m128 heldBefore = _mm_set_ps(run[3]->held, run[2]->held, run[1]->held, run[0]->held);
    const __m128 held = _mm_or_ps(_mm_and_ps(take, quantised), _mm_andnot_ps(take, heldBefore));

    // The smoothing and the ramp toward the new output.
    const __m128 previous =
        _mm_set_ps(run[3]->output, run[2]->output, run[1]->output, run[0]->output);
    const __m128 smooth = _mm_load_ps(p.smooth);
    const __m128 output = _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(smooth, previous), _mm_mul_ps(_mm_sub_ps(oneF, smooth), held)),
        _mm_set1_ps(1e-15f));
    const __m128 increment = _mm_mul_ps(_mm_sub_ps(output, previous), _mm_set1_ps(0.25f));

    // Nothing can send the step back now: the draws in step order, then the stores.
    for (int k = 0; k < 3; ++k) {
        if (!(restarts & (1 << k))) continue;
        LFORunState& r = *run[k];
        r.random = 2.0f * getRandUnit() - 1.0f;
        const float u = getRandUnit();
        r.humanise =
            lfocore::humaniseFactor(u, globalDest[LFO_DEST_FIRST[kStepOrder[k]] + kLfoHumanise]);
    }
    if (morph && (restarts & 8)) {
        const float u = getRandUnit();
        run[3]->humanise = lfocore::humaniseFactor(u, globalDest[kFreeLfo1Humanise]);
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
    for (int k = 0; k < 3; ++k) {
        LFORunState& r = *run[k];
        r.phase = phases[k];
        r.holdAccumulator = accumulators[k];
        r.held = helds[k];
        r.previous = previouses[k];
        r.output = outputs[k];
        r.increment = increments[k];
        r.value = previouses[k];
    }
    if (morph) {
        LFORunState& r = *run[3];
        r.phase = phases[3];
        r.holdAccumulator = accumulators[3];
        r.held = helds[3];
        r.previous = previouses[3];
        r.output = outputs[3];
        *morphOutput = outputs[3];
    }
    return true;
}

void APlugin::setGlobalLFO(int i) {
    if (i < 0 || i > 2) return;
    const LFOSettings& s = globalLFOs[i].set;
    LFORunState& r = globalLFOs[i].run;
    // Only Free LFO 2 under phase or frequency modulation moves by Free LFO 1; otherwise the
    // added 0.0 and the factor 1.0 would change nothing (the offset is never -0) and are left
    // out. The state is worked in locals and stored once.
    const bool modulated = i == 1 && (lfo12Mode == kModePM || lfo12Mode == kModeFM);
    double factor = 1.0, extraPhase = 0.0;
    if (modulated) {
        const float l1 = globalLFOs[0].run.output;
        if (lfo12Mode == kModePM) extraPhase = lfo12Amount * l1;
        if (lfo12Mode == kModeFM) factor = std::exp2(3.0 * lfo12Amount * l1);
    }
    if (!s.enabled) {
        // Unused: only the phase runs on, and the value rests where it stood.
        r.phase = wrapPhase(r.phase + s.speed * r.humanise);
        r.value = r.output;
        r.increment = 0.0f;
        return;
    }
    float v = 0.0f;
    if (s.speed > 1e-6) {
        double phase = r.phase;
        const double x = modulated ? extraPhase + s.phaseOffset + phase : s.phaseOffset + phase;
        const double t = lfocore::warp(lfocore::frac(x), s);
        phase += modulated ? s.speed * r.humanise * factor : s.speed * r.humanise;
        if (phase > 1.0) {
            r.random = 2.0f * getRandUnit() - 1.0f;
            const float u = getRandUnit();
            r.humanise = lfocore::humaniseFactor(u, globalDest[LFO_DEST_FIRST[i] + kLfoHumanise]);
            if (i == 0 && lfo12Mode == kModeSync)
                globalLFOs[1].run.phase *= 1.0 - static_cast<double>(lfo12Amount);
        }
        r.phase = wrapPhase(phase);
        const float* table = getLFOWaveTable(s.wave);
        v = table ? table[lfocore::tableIndex(t)] : r.random;
    }
    // Sample and hold, then the smoothing (lfocore::sampleAndHold with the state in locals).
    const float q = lfocore::quantise(s, v);
    double hold = r.holdAccumulator + s.holdRate;
    float held = r.held;
    if (hold >= 1.0) {
        held = q;
        hold = lfocore::frac(hold);
    }
    r.holdAccumulator = hold;
    r.held = held;
    const float previous = r.output;
    const float output = s.smooth * previous + (1.0f - s.smooth) * held + 1e-15f;
    r.previous = previous;
    r.output = output;
    r.increment = (output - previous) * 0.25f;
    // The published value ramps from the previous output to the new one over four samples.
    r.value = previous;
}

float APlugin::stepMorphLFO(LFOState& m, const LFOState& l1, const LFOState& l2, float a,
                            float humaniseDepth, BlendedRate& blended) {
    LFOSettings& s = m.set;
    LFORunState& r = m.run;
    // The waves are read only by a step whose sample and hold takes a value: other steps
    // leave the held value as they find it.
    double hold = r.holdAccumulator + s.holdRate;
    const bool take = hold >= 1.0;
    double t = 0.0;
    if (take) t = lfocore::warp(lfocore::frac(s.phaseOffset + r.phase), s);
    const double inc1 = l1.set.speed, inc2 = l2.set.speed, amount = a;
    if (!(inc1 == blended.key[0] && inc2 == blended.key[1] && amount == blended.key[2])) {
        blended.key[0] = inc1;
        blended.key[1] = inc2;
        blended.key[2] = amount;
        blended.rate = lfocore::blendRate(inc1, inc2, amount);
    }
    r.phase += blended.rate * r.humanise;
    if (r.phase > 1.0) {
        const float u = getRandUnit();
        r.humanise = lfocore::humaniseFactor(u, humaniseDepth);
    }
    r.phase = wrapPhase(r.phase);
    // Sample and hold (lfocore::sampleAndHold), then the smoothing.
    float held = r.held;
    if (take) {
        const int index = lfocore::tableIndex(t);
        const float* w1 = getLFOWaveTable(l1.set.wave);
        const float* w2 = getLFOWaveTable(l2.set.wave);
        const float v1 = w1 ? w1[index] : l1.run.random;
        const float v2 = w2 ? w2[index] : l2.run.random;
        held = lfocore::quantise(s, (1.0f - a) * v1 + a * v2);
        hold = lfocore::frac(hold);
        r.held = held;
    }
    r.holdAccumulator = hold;
    const float previous = r.output;
    const float output = s.smooth * previous + (1.0f - s.smooth) * held + 1e-15f;
    r.previous = previous;
    r.output = output;
    return output;
}

void APlugin::resetGlobalLFO(int lfo) {
    if (lfo < 0 || lfo >= kGlobalLFOs) return;
    LFORunState& r = globalLFOs[lfo].run;
    r.phase = r.holdAccumulator = 0.0;
    r.output = r.previous = r.increment = r.held = r.value = 0.0f;
    r.humanise = 1.0;
}
