// The three global LFOs (Free LFO 1, Free LFO 2, Main LFO) and the morph LFO: their speed,
// their settings every 128 samples, their step every 4 samples, their resets. Audio thread.
#include "engine/APlugin.h"

#include "dsp/ShortcutCounts.h"
#include "engine/modulation/LFOCore.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/TempoTables.h"

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
        bool same = !noSkips && memo.speedValid != 0;
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
        } else {
            ZEK2_SHORTCUT_TAKEN(GlobalLfoSpeedKept);
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
