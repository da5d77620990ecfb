// The effect chain's state-variable filter: coefficient set-up with smoothing and caching, and
// the four-sub-frame loop. init() on the host thread; everything else on the audio thread.
#include "dsp/TFXFilter.h"

#include "dsp/FilterTables.h"

#include <cmath>

namespace {
constexpr int kFilterSineLast = LUT_FILTER_SIZE - 1;

// The table index of a cutoff over the filter's own rate (twice the output rate). The cutoff
// is already held at 0.4 x the output rate, so the index stays inside the table; the clamp
// also keeps a NaN from reading outside it.
int sineIndex(float hzTimesHalfInvRate) {
    const float position = (hzTimesHalfInvRate + 1e-15f) * 262143.0f;
    if (!(position > 0.0f)) return 0;
    if (position >= static_cast<float>(kFilterSineLast)) return kFilterSineLast;
    return static_cast<int>(position);
}
} // namespace

void TFXFilter::init(float newRate) {
    if (!(newRate >= 1000.0f)) newRate = 44100.0f;
    rate = newRate;
    halfInvRate = 1.0f / (2.0f * rate);
    maxCutoff = 0.4f * rate;
    cutoffIn = cutoffSmooth = cutoffHz = lastCutoffHz = 0.0f;
    resonance = lastResonance = 0.0f;
    for (int c = 0; c < 2; ++c) {
        clipAmount[c] = 0.001f;
        stereoGain[c] = 1.4142135f;
        bandGain[c] = 2.0f;
        coefF[c] = damping[c] = 0.0f;
    }
    reset();
    filterSine = filterTables().FilterSine;
}

void TFXFilter::reset() {
    for (int c = 0; c < 2; ++c) lastHigh[c] = low[c] = band[c] = 0.0f;
}

void TFXFilter::setCoefficients(float cutoff, float resonanceArg, bool immediate) {
    cutoffIn = cutoff;
    float r = 0.95f * resonanceArg;
    if (resonanceArg < 0.0f) r = 0.0f;
    if (resonanceArg > 1.0f) r = 0.95f;
    if (!(r == r)) r = 0.0f; // a NaN resonance must not reach the damping
    resonance = r;
    const float s = immediate ? cutoff : 0.01f * cutoff + 0.99f * cutoffSmooth;
    // A NaN cutoff would stay in the smoother forever; it restarts from the bottom instead.
    cutoffSmooth = s == s ? s : 0.0f;
    float c = cutoffSmooth;
    if (!(c > 0.0f)) c = 0.0f;
    if (c > 1.0f) c = 1.0f;
    const float hz = static_cast<float>(20.0 * std::exp2(10.0 * static_cast<double>(c)));
    cutoffHz = hz;
    if (std::fabs(hz - lastCutoffHz) > 1e-5f || std::fabs(r - lastResonance) > 1e-5f) {
        const float limited = hz < maxCutoff ? hz : maxCutoff;
        const float f = filterSine ? filterSine[sineIndex((limited + 0.001f) * halfInvRate)] : 0.0f;
        coefF[0] = coefF[1] = f;
        damping[0] = damping[1] = 1.0f - r + 1e-15f;
    }
    lastCutoffHz = hz;
    lastResonance = r;
}

// The soft clip b - 0.001 b^3 bends back beyond |b| = 18.26 (its peak) and flips the state's
// sign beyond 31.6, from where a resonant loop runs away; the state is held at the peak first,
// which leaves every smaller state as it was.
constexpr float kBandPeak = 18.2574f;

inline float TFXFilter::step(int c, float x, Output kind) {
    float held = band[c];
    if (!(held <= kBandPeak)) held = held != held ? 0.0f : kBandPeak;
    if (held < -kBandPeak) held = -kBandPeak;
    const float b = held - clipAmount[c] * held * held * held;
    const float h = (x + 1e-15f) - low[c] - damping[c] * b;
    band[c] = b + coefF[c] * h;
    low[c] = low[c] + coefF[c] * band[c];
    lastHigh[c] = h;
    switch (kind) {
    case kLow:
        return low[c] + 1e-15f;
    case kHigh:
        return h + 1e-15f;
    case kBand:
        return bandGain[c] * band[c] + 1e-15f;
    case kStereoLow:
        break;
    }
    return stereoGain[c] * low[c] + 1e-15f;
}

void TFXFilter::run(Output kind, stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
                    stereoOverStruct& out2) {
    // Inputs are taken by value, so the outputs may be the caller's inputs. lastHigh keeps the
    // fourth sub-frame's high-pass value, as each step overwrites it.
    const stereoStruct sub[4] = {in1.first, in1.second, in2.first, in2.second};
    stereoStruct res[4];
    for (int i = 0; i < 4; ++i) {
        res[i].left = step(0, sub[i].left, kind);
        res[i].right = step(1, sub[i].right, kind);
    }
    out1.first = res[0];
    out1.second = res[1];
    out2.first = res[2];
    out2.second = res[3];
}

void TFXFilter::processLP(float cutoff, float res, bool immediate, stereoOverStruct in1,
                          stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2) {
    setCoefficients(cutoff, res, immediate);
    run(kLow, in1, in2, out1, out2);
}

void TFXFilter::processHP(float cutoff, float res, bool immediate, stereoOverStruct in1,
                          stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2) {
    setCoefficients(cutoff, res, immediate);
    run(kHigh, in1, in2, out1, out2);
}

void TFXFilter::processBP(float cutoff, float res, bool immediate, stereoOverStruct in1,
                          stereoOverStruct in2, stereoOverStruct& out1, stereoOverStruct& out2) {
    setCoefficients(cutoff, res, immediate);
    run(kBand, in1, in2, out1, out2);
}

void TFXFilter::processLPStereo(stereoStruct cutoffs, float res, stereoOverStruct in1,
                                stereoOverStruct in2, stereoOverStruct& out1,
                                stereoOverStruct& out2) {
    const float values[2] = {cutoffs.left, cutoffs.right};
    for (int c = 0; c < 2; ++c) {
        float e = 10.0f * values[c];
        if (values[c] > 1.0f) e = 10.0f;
        if (!(values[c] >= 0.0f)) e = 0.0f; // below 0 or NaN
        float hz = static_cast<float>(20.0 * std::exp2(static_cast<double>(e)));
        if (hz > maxCutoff) hz = maxCutoff;
        coefF[c] = filterSine ? filterSine[sineIndex((hz + 0.001f) * halfInvRate)] : 0.0f;
        damping[c] = 1.0f - res + 1e-15f;
    }
    run(kStereoLow, in1, in2, out1, out2);
}
