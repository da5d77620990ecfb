// The parametric EQs' design and processing: peaking-band coefficients, the smoothed ladder
// cut filters, and the multi-unit, unison and distortion-effect runs. Audio thread, except
// init() on whichever thread sets the rate.
#include "dsp/TParaEQ.h"

#include "dsp/FilterMath.h"

#include <cmath>

using filtermath::clamp01;

namespace {

constexpr int kNext[3] = {1, 2, 0};
constexpr int kCurrent[3] = {2, 1, 0};
constexpr int kPrevious[3] = {0, 2, 1};
constexpr int kBefore[3] = {1, 0, 2};
constexpr float kOffset = 1e-15f;

// The ladders' output gain and cubic clip; the last lane's cubic differs slightly, as it always
// has. The limits are where each lane's cubic turns back.
const Float4 kCutGain(1.03f);
const Float4 kClip(0.16666f, 0.16666f, 0.16666f, 0.166666f);
const Float4 kClipLimit(1.4142346f, 1.4142346f, 1.4142346f, 1.4142178f);

// The slots of the four sub-samples of a call; the unit's history index advances four times.
void advanceHistory(int& history, int (&slots)[4][3]) {
    int j = history < 0 || history > 2 ? 0 : history;
    for (auto& s : slots) {
        j = kNext[j];
        s[0] = kCurrent[j];
        s[1] = kPrevious[j];
        s[2] = kBefore[j];
    }
    history = j;
}

void storeBand(Float4 (&band)[5], double b0, double b1, double b2, double a1, double a2) {
    band[0] = Float4(static_cast<float>(b0) + kOffset);
    band[1] = Float4(static_cast<float>(b1) + kOffset);
    band[2] = Float4(static_cast<float>(b2) + kOffset);
    band[3] = Float4(static_cast<float>(a1) + kOffset);
    band[4] = Float4(static_cast<float>(a2) + kOffset);
}

// The peaking biquad of the audio-EQ cookbook for angle w, alpha and gain in dB.
void designPeak(Float4 (&band)[5], double w, double alpha, double dB) {
    const double a = std::pow(10.0, dB / 40.0);
    const double cw = std::cos(w);
    const double a0 = 1.0 + alpha / a;
    storeBand(band, (1.0 + alpha * a) / a0, -2.0 * cw / a0, (1.0 - alpha * a) / a0, -2.0 * cw / a0,
              (1.0 - alpha / a) / a0);
}

void designBand(const ParaEQRate& r, ParaEQUnit& u, int band, float gain, float freq, float bw) {
    const double dB = 40.0 * clamp01(gain) - 20.0;
    u.bandActive[band] = std::fabs(dB) >= 0.01 ? 1 : 0;
    const double f = 20.0 * std::exp2(10.0 * clamp01(freq));
    const double fn = f * static_cast<double>(r.invDoubleRate);
    const double w = fn > 0.3 ? 1.8849558 : 2.0 * 3.14159265358979 * fn;
    const double q = std::exp2(4.0 - 10.0 * clamp01(bw));
    designPeak(u.band[band], w, std::sin(w) / (2.0 * q), dB);
}

void designLadder(const ParaEQRate& r, Float4 (&k)[3], float hz) {
    const float fc = hz < r.ceiling ? hz : r.ceiling;
    const float x = (fc + 0.001f) * r.invRate;
    const float q = 1.0f - x;
    const float p = x + x * q;
    const float f = 2.0f * p - 1.0f;
    k[0] = Float4(kOffset);
    k[1] = Float4(f + kOffset);
    k[2] = Float4(p + kOffset);
}

void updateFilter(const ParaEQRate& r, ParaEQUnit& u, float lowPass, float highPass,
                  float lowPassMod, float highPassMod) {
    if (u.direct) {
        u.smoothLowPass = lowPass;
        u.smoothHighPass = highPass;
    } else {
        u.smoothLowPass = 0.99f * u.smoothLowPass + 0.01f * lowPass;
        u.smoothHighPass = 0.99f * u.smoothHighPass + 0.01f * highPass;
    }
    // NaN in a control must not stay in the smoothing forever.
    u.smoothLowPass = filtermath::finiteOr0(u.smoothLowPass);
    u.smoothHighPass = filtermath::finiteOr0(u.smoothHighPass);
    const float lp = static_cast<float>(
        20.0 * std::exp2(10.0 * static_cast<double>(clamp01(u.smoothLowPass + lowPassMod))));
    const float hp = static_cast<float>(
        20.0 * std::exp2(10.0 * static_cast<double>(clamp01(u.smoothHighPass + highPassMod))));
    if (std::fabs(lp - u.lastLowPass) > 1e-5f || u.direct ||
        std::fabs(hp - u.lastHighPass) > 1e-5f) {
        designLadder(r, u.lowPass, lp);
        designLadder(r, u.highPass, hp);
    }
    u.lastLowPass = lp;
    u.lastHighPass = hp;
    u.direct = 0;
}

inline Float4 ladder(Float4* s, const Float4 (&k)[3], Float4 x) {
    const Float4 in = x - k[0] * s[4];
    const Float4 t1 = (in + s[0]) * k[2] - s[1] * k[1];
    const Float4 t2 = (t1 + s[1]) * k[2] - s[2] * k[1];
    const Float4 t3 = (t2 + s[2]) * k[2] - s[3] * k[1];
    Float4 t4 = (t3 + s[3]) * k[2] - s[4] * k[1];
    t4 = filtermath::cubicClip(t4, kClip, kClipLimit);
    s[0] = in;
    s[1] = t1;
    s[2] = t2;
    s[3] = t3;
    s[4] = t4;
    return t4;
}

// Four sub-samples of one lane set through the bands and, by mode, the cut filters.
void runLanes(const ParaEQUnit& u, ParaEQLanes& s, Float4 (&v)[4], const int (&sl)[4][3], int mode,
              int bandCount, bool allBands) {
    for (int b = 0; b < bandCount; ++b) {
        if (!allBands && !u.bandActive[b]) continue; // an inactive band keeps its history
        const Float4(&q)[5] = u.band[b];
        Float4* xs = s.x[b];
        Float4* ys = s.y[b];
        for (int k = 0; k < 4; ++k) {
            const int* j = sl[k];
            xs[j[0]] = v[k];
            v[k] =
                q[0] * v[k] + q[1] * xs[j[1]] + q[2] * xs[j[2]] - q[3] * ys[j[1]] - q[4] * ys[j[2]];
            ys[j[0]] = v[k];
        }
    }
    if (mode == 1 || mode == 3)
        for (Float4& x : v) x = kCutGain * ladder(s.lowPass, u.lowPass, x);
    if (mode == 2 || mode == 3)
        for (Float4& x : v) x = kCutGain * (x - ladder(s.highPass, u.highPass, x));
    filtermath::clearIfNotFinite(&s.x[0][0], sizeof(ParaEQLanes) / sizeof(Float4));
}

inline Float4 scaledPair(stereoStruct s) {
    const float l = 0.1f * filtermath::finiteOr0(s.left) + kOffset;
    const float r = 0.1f * filtermath::finiteOr0(s.right) + kOffset;
    return filtermath::pairVec(l, r);
}

inline stereoStruct lowPair(Float4 v) {
    return {10.0f * v.lane(3) + kOffset, 10.0f * v.lane(2) + kOffset};
}

inline stereoStruct highPair(Float4 v) {
    return {10.0f * v.lane(1) + kOffset, 10.0f * v.lane(0) + kOffset};
}

inline Float4 groupPair(stereoStruct lo, stereoStruct hi) {
    return Float4(0.1f * filtermath::finiteOr0(hi.right) + kOffset,
                  0.1f * filtermath::finiteOr0(hi.left) + kOffset,
                  0.1f * filtermath::finiteOr0(lo.right) + kOffset,
                  0.1f * filtermath::finiteOr0(lo.left) + kOffset);
}

} // namespace

void ParaEQRate::set(float newRate) {
    rate = newRate >= 5.0f && newRate <= 500000.0f ? newRate : 44100.0f; // false for NaN
    invRate = 1.0f / rate;
    invDoubleRate = 1.0f / (2.0f * rate);
    ceiling = 0.4f * rate;
}

// ---- TParaEQ ----------------------------------------------------------------------------

void TParaEQ::init(float rate) {
    rates.set(rate);
    for (ParaEQUnit& u : units) u = ParaEQUnit{};
    for (ParaEQLanes& s : lanes) s = ParaEQLanes{};
}

void TParaEQ::reset(int unit) {
    if (unit >= 0 && unit < kUnits) lanes[unit] = ParaEQLanes{};
}

void TParaEQ::reset() {
    for (ParaEQLanes& s : lanes) s = ParaEQLanes{};
}

void TParaEQ::setDirect(int unit) {
    if (unit >= 0 && unit < kUnits) units[unit].direct = 1;
}

void TParaEQ::setParameters(int unit, int band, float gain, float freq, float bw) {
    if (unit < 0 || unit >= kUnits || band < 0 || band >= kBands) return;
    designBand(rates, units[unit], band, gain, freq, bw);
}

void TParaEQ::setFilter(int unit, float lowPass, float highPass, float lowPassMod,
                        float highPassMod) {
    if (unit < 0 || unit >= kUnits) return;
    updateFilter(rates, units[unit], lowPass, highPass, lowPassMod, highPassMod);
}

bool TParaEQ::isBandActive(int unit, int band) const {
    return unit >= 0 && unit < kUnits && band >= 0 && band < kBands &&
           units[unit].bandActive[band] != 0;
}

void TParaEQ::process(int mode, int count, const int* voiceList, stereoOverStruct* frameA,
                      stereoOverStruct* frameB) {
    if (count <= 0 || !voiceList || !frameA || !frameB) return;
    for (int i = 0; i < count; ++i) {
        const int v = voiceList[i];
        if (v < 0 || v >= kUnits) continue;
        Float4 u[4] = {scaledPair(frameA[v].first), scaledPair(frameA[v].second),
                       scaledPair(frameB[v].first), scaledPair(frameB[v].second)};
        int slots[4][3];
        advanceHistory(units[v].history, slots);
        runLanes(units[v], lanes[v], u, slots, mode, kBands, false);
        frameA[v] = {lowPair(u[0]), lowPair(u[1])};
        frameB[v] = {lowPair(u[2]), lowPair(u[3])};
    }
}

void TParaEQ::setFXParameters(float freq1, float gain1, float freq2, float gain2) {
    const float freqs[2] = {freq1, freq2};
    const float gains[2] = {gain1, gain2};
    for (int b = 0; b < 2; ++b) {
        const double w = 2.0 * 3.14159265358979 * static_cast<double>(freqs[b]) *
                         static_cast<double>(rates.invDoubleRate);
        designPeak(units[0].band[b], w, std::sin(w), 40.0 * clamp01(gains[b]) - 20.0);
    }
}

void TParaEQ::processFX(stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
                        stereoOverStruct& out2) {
    Float4 u[4] = {scaledPair(in1.first), scaledPair(in1.second), scaledPair(in2.first),
                   scaledPair(in2.second)};
    int slots[4][3];
    advanceHistory(units[0].history, slots);
    runLanes(units[0], lanes[0], u, slots, 0, 2, true);
    out1 = {lowPair(u[0]), lowPair(u[1])};
    out2 = {lowPair(u[2]), lowPair(u[3])};
}

// ---- TUniParaEQ -------------------------------------------------------------------------

void TUniParaEQ::init(float rate) {
    rates.set(rate);
    unit = ParaEQUnit{};
    for (ParaEQLanes& s : groups) s = ParaEQLanes{};
}

void TUniParaEQ::reset() {
    for (ParaEQLanes& s : groups) s = ParaEQLanes{};
}

void TUniParaEQ::setParameters(int band, float gain, float freq, float bw) {
    if (band < 0 || band >= TParaEQ::kBands) return;
    designBand(rates, unit, band, gain, freq, bw);
}

void TUniParaEQ::setFilter(float lowPass, float highPass, float lowPassMod, float highPassMod) {
    updateFilter(rates, unit, lowPass, highPass, lowPassMod, highPassMod);
}

void TUniParaEQ::process(int mode, int n, stereoOverStruct* frameA, stereoOverStruct* frameB) {
    if (n < 1 || !frameA || !frameB) return;
    if (n > 6) n = 6;
    if (n & 1) { // the last sub-voice is duplicated to fill its group
        frameA[n] = frameA[n - 1];
        frameB[n] = frameB[n - 1];
    }
    int slots[4][3];
    advanceHistory(unit.history, slots);
    for (int g = 0; g < (n + 1) / 2; ++g) {
        stereoOverStruct& a0 = frameA[2 * g];
        stereoOverStruct& a1 = frameA[2 * g + 1];
        stereoOverStruct& b0 = frameB[2 * g];
        stereoOverStruct& b1 = frameB[2 * g + 1];
        Float4 u[4] = {groupPair(a0.first, a1.first), groupPair(a0.second, a1.second),
                       groupPair(b0.first, b1.first), groupPair(b0.second, b1.second)};
        runLanes(unit, groups[g], u, slots, mode, TParaEQ::kBands, false);
        a0 = {lowPair(u[0]), lowPair(u[1])};
        a1 = {highPair(u[0]), highPair(u[1])};
        b0 = {lowPair(u[2]), lowPair(u[3])};
        b1 = {highPair(u[2]), highPair(u[3])};
    }
}
