// The render loop's per-sample global sources: the global LFOs stepped every 4 samples and
// ramped in between, the Free LFO 1/2 combination, the level and pan smoothing the oscillator
// mixer reads, and the white and pink noise sources. Audio thread.
#include "engine/APlugin.h"

#include "engine/modulation/LFOCore.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int kModeSync = 9, kModePM = 11, kModeMorph = 12;
constexpr int kFreeLfo1Humanise = 293;
constexpr int kPinkRows = 7;
} // namespace

namespace {

// Equal bit for bit (a NaN equals the same NaN, 0 differs from -0).
inline bool sameBits(float a, float b) {
    uint32_t x, y;
    std::memcpy(&x, &a, sizeof(x));
    std::memcpy(&y, &b, sizeof(y));
    return x == y;
}

// One draw u in [0, 1) of a generator whose seed is `seed`.
inline float randUnit(uint32_t& seed) {
    const uint32_t t = seed * 16807u;
    seed = t + 1u;
    const double u = (static_cast<double>(static_cast<int32_t>(t)) * 4.656613e-10 + 1.0) * 0.5;
    // The largest draws round up to 1 in single precision; the range stays half-open.
    return u < 0.99999994 ? static_cast<float>(u) : 0.99999994f;
}

// One count of a pink noise generator (seven rows and their sum) drawing from `seed`.
inline float pinkStep(float* rows, unsigned c, uint32_t& seed) {
    float& sum = rows[kPinkRows];
    if (c & 1u) return sum - 1.0f;
    if ((c & 255u) == 0) {
        // All rows anew, plus one value that lives in the sum until the next full redraw.
        sum = 0.0f;
        for (int k = 0; k < kPinkRows; ++k) {
            rows[k] = randUnit(seed) * 0.25f;
            sum += rows[k];
        }
        sum += randUnit(seed) * 0.25f;
        return sum - 1.0f;
    }
    // Row k changes every 2^(k+1) counts: the halving rates give the -3 dB per octave slope.
    const int z = __builtin_ctz(c); // c is even and not a multiple of 256 here
    float total = sum;
    for (int k = 0; k < z && k < kPinkRows; ++k) {
        const float fresh = randUnit(seed) * 0.25f;
        total += fresh - rows[k];
        rows[k] = fresh;
    }
    sum = total;
    return total - 1.0f;
}

} // namespace

float APlugin::getRandUnit() {
    return randUnit(RandSeed);
}

float APlugin::doPinkNoise(int a, int b, int counter) {
    if (a < 0 || a >= kSubVoiceSlots) a = 0;
    if (b < 0 || b > 2) b = 2;
    return pinkStep(pinkRows[a][b], static_cast<unsigned>(counter), RandSeed);
}

void APlugin::snapSmoothedLevels() {
    levelsSettled = 0;
    mainVolumeSmooth = currentValues[tag::MainVolume];
    mainPanSmooth = currentValues[tag::MainPan];
    const int volumeTags[2] = {tag::Osc1Volume, tag::Osc2Volume};
    const int panTags[2] = {tag::Osc1Pan, tag::Osc2Pan};
    const int subTags[2] = {tag::Osc1SubVolume, tag::Osc2SubVolume};
    for (int o = 0; o < 2; ++o) {
        oscPanSmooth[o] = currentValues[panTags[o]];
        oscVolumeSmooth[o] = currentValues[volumeTags[o]];
        const float vol = oscVolumeSmooth[o] < 1.0f ? oscVolumeSmooth[o] : 1.0f;
        oscGainSmooth[o] = tables->dbGain60Array[unitTableIndex(vol)];
        const float sub = currentValues[subTags[o]] - 0.5f;
        oscSubLevel[o] = 2.0f * (sub < 0.0f ? -sub : sub);
    }
    for (int v = 0; v < kNumVoices; ++v) {
        shaperTopSmooth[v] = currentValues[tag::WaveShaperTop];
        shaperBottomSmooth[v] = currentValues[tag::WaveShaperBottom];
        for (int i = 0; i < 8; ++i)
            distortSmooth[v][i] = currentValues[tag::VoiceDistortionMix + i];
        gaterVoiceMix[v] = currentValues[tag::GaterMix];
    }
}

void APlugin::doGlobalSources() {
    updateLfo12Amount();
    if ((sampleCounter & 3u) == 0) stepGlobalSources();
    publishGlobalLfos();
    rampGlobalLfos();

    if (!whiteNoiseInUse && !pinkNoiseInUse) return;
    runNoiseSources(true);
    // Only sounding voices read their rows; a voice that starts takes the current values
    // from the global row (shareGlobalSources), so idle voices are not written every sample.
    for (uint32_t busy = getBusyVoiceMask(); busy != 0; busy &= busy - 1)
        for (int s = src::WhiteNoise; s <= src::PinkNoiseUni; ++s)
            voiceSource[__builtin_ctz(busy)][s] = lastVoiceSource[s];
}

void APlugin::doQuietGlobalSources(bool publish, bool ramp) {
    // The amount is read by the 4-sample step and, after the span, by a note start or the
    // slow update; nothing else in the span can change it.
    const bool step = (sampleCounter & 3u) == 0;
    if (step || publish) updateLfo12Amount();
    if (step) stepGlobalSources();
    if (publish) publishGlobalLfos();
    // The step sets each ramped value afresh (from the LFO's previous output, or the
    // combination's target) without reading it, so ramps before a later step are not needed.
    if (ramp) rampGlobalLfos();
    if (!whiteNoiseInUse && !pinkNoiseInUse) return;
    if (publish) {
        runNoiseSources(true);
        return;
    }
    // The draws of runNoiseSources in the same order, none of them published.
    uint32_t seed = RandSeed;
    if (whiteNoiseInUse) randUnit(seed);
    const unsigned count = static_cast<unsigned>(sampleCounter);
    if (pinkNoiseInUse && (count & 1u) == 0) pinkStep(pinkRows[0][2], count, seed);
    RandSeed = seed;
}

void APlugin::updateLfo12Amount() {
    lfo12Amount = lfocore::clampf(
        currentValues[tag::FreeLfo12Amount] + globalDest[dest::FreeLfo12Amount], 0.0f, 1.0f);
}

void APlugin::stepGlobalSources() {
    setGlobalLFO(2);
    setGlobalLFO(0);
    setGlobalLFO(1);
    if (!freeLfo12InUse) {
        lfo12Target = lfo12Value = lfo12Step = 0.0f;
    } else {
        lfo12Value = lfo12Target;
        const float l1 = globalLFOs[0].run.value, l2 = globalLFOs[1].run.value;
        if (lfo12Mode == kModeMorph)
            lfo12Target = stepMorphLFO(globalLFOs[kMorphLFO], globalLFOs[0], globalLFOs[1],
                                       lfo12Amount, globalDest[kFreeLfo1Humanise], morphRates[0]);
        else if (lfo12Mode >= kModeSync && lfo12Mode <= kModePM)
            lfo12Target = globalLFOs[1].run.output;
        else
            lfo12Target = getLFOCombination(lfo12Mode, lfo12Amount, l1, l2);
        lfo12Step = (lfo12Target - lfo12Value) * 0.25f;
    }

    smoothLevels();
}

// Level smoothing for the oscillator mixer. Once a step has moved none of the levels, the
// next one with the same levels and targets would give them again: it is skipped until a
// target moves or a level was set elsewhere (snapSmoothedLevels), compared bit for bit.
void APlugin::smoothLevels() {
    const float target[7] = {currentValues[tag::MainPan],      currentValues[tag::Osc1Pan],
                             currentValues[tag::Osc2Pan],      currentValues[tag::Osc1Volume],
                             currentValues[tag::Osc2Volume],   currentValues[tag::Osc1SubVolume],
                             currentValues[tag::Osc2SubVolume]};
    // The levels are written only here and by snapSmoothedLevels, which clears the flag; the
    // targets are compared value by value (an array read back wider than it was written
    // stalls the loads).
    if (levelsSettled) {
        bool same = true;
        for (int k = 0; k < 7; ++k) same = same && sameBits(target[k], settledTargets[k]);
        if (same) return;
    }
    const float before[9] = {mainPanSmooth,      oscPanSmooth[0],    oscPanSmooth[1],
                             oscVolumeSmooth[0], oscVolumeSmooth[1], oscSubLevel[0],
                             oscSubLevel[1],     oscGainSmooth[0],   oscGainSmooth[1]};
    mainPanSmooth = 0.99f * mainPanSmooth + 0.01f * target[0];
    for (int o = 0; o < 2; ++o) {
        oscPanSmooth[o] = 0.99f * oscPanSmooth[o] + 0.01f * target[1 + o];
        oscVolumeSmooth[o] = 0.99f * oscVolumeSmooth[o] + 0.01f * target[3 + o];
        const float vol = oscVolumeSmooth[o] < 1.0f ? oscVolumeSmooth[o] : 1.0f;
        oscGainSmooth[o] = tables->dbGain60Array[unitTableIndex(vol)];
        const float sub = target[5 + o] - 0.5f;
        oscSubLevel[o] = 0.99f * oscSubLevel[o] + 0.01f * 2.0f * (sub < 0.0f ? -sub : sub);
    }
    const float after[9] = {mainPanSmooth,      oscPanSmooth[0],    oscPanSmooth[1],
                            oscVolumeSmooth[0], oscVolumeSmooth[1], oscSubLevel[0],
                            oscSubLevel[1],     oscGainSmooth[0],   oscGainSmooth[1]};
    bool still = true;
    for (int k = 0; k < 9; ++k) still = still && sameBits(before[k], after[k]);
    levelsSettled = still;
    if (still)
        for (int k = 0; k < 7; ++k) settledTargets[k] = target[k];
}

// The LFO values of this sample into the global source row.
void APlugin::publishGlobalLfos() {
    const LFORunState& mainLfo = globalLFOs[2].run;
    const LFORunState& free1 = globalLFOs[0].run;
    const LFORunState& free2 = globalLFOs[1].run;
    lastVoiceSource[src::MainLfo] = mainLfo.value;
    lastVoiceSource[src::MainLfo + 1] = 0.5f * mainLfo.value + 0.5f;
    lastVoiceSource[src::FreeLfo1] = free1.value;
    lastVoiceSource[src::FreeLfo1 + 1] = 0.5f * free1.value + 0.5f;
    lastVoiceSource[src::FreeLfo2] = free2.value;
    lastVoiceSource[src::FreeLfo2 + 1] = 0.5f * free2.value + 0.5f;
    lastVoiceSource[src::FreeLfo12] = lfo12Value;
    lastVoiceSource[src::FreeLfo12Uni] = 0.5f * lfo12Value + 0.5f;
}

// The published values ramp one sample on.
void APlugin::rampGlobalLfos() {
    globalLFOs[2].run.value += globalLFOs[2].run.increment;
    globalLFOs[0].run.value += globalLFOs[0].run.increment;
    globalLFOs[1].run.value += globalLFOs[1].run.increment;
    lfo12Value += lfo12Step;
}

// One sample of the noise sources in use. Every draw is taken, in order, so the generator's
// sequence does not depend on who reads; the global row gets the values when `publish`.
void APlugin::runNoiseSources(bool publish) {
    if (whiteNoiseInUse) {
        if (publish) {
            const float u = getRandUnit();
            lastVoiceSource[src::WhiteNoise] = 2.0f * u - 1.0f;
            lastVoiceSource[src::WhiteNoiseUni] = u;
        } else {
            RandSeed = RandSeed * 16807u + 1u;
        }
    }
    if (pinkNoiseInUse) {
        const float p = doPinkNoise(0, 2, static_cast<int>(sampleCounter));
        if (publish) {
            lastVoiceSource[src::PinkNoise] = p;
            lastVoiceSource[src::PinkNoiseUni] = 0.5f * p + 0.5f;
        }
    }
}

void APlugin::shareGlobalSources(int voice) {
    float* row = voiceSource[voice];
    for (int s = src::WhiteNoise; s <= src::PinkNoiseUni; ++s) row[s] = lastVoiceSource[s];
    // Not yet published since the reset: the row keeps what it holds, as every row did.
    if (!std::isnan(inputSourceWritten)) row[src::Input] = inputSourceWritten;
    if (!std::isnan(outputSourceWritten)) row[src::Output] = outputSourceWritten;
}
