// The parametric EQs' design and processing: peaking-band coefficients, the smoothed ladder
// cut filters, and the multi-unit, unison and distortion-effect runs. Audio thread, except
// init() on whichever thread sets the rate.
#include "dsp/TParaEQ.h"

#include "dsp/FilterMath.h"
#include "dsp/Float8.h"

#include <cmath>
#include <type_traits>

using filtermath::clamp01;

namespace {

constexpr float kOffset = 1e-15f;

// The ladders' output gain and cubic clip; the last lane's cubic differs slightly, as it always
// has. The limits are where each lane's cubic turns back.
const Float4 kCutGain(1.03f);
const Float4 kClip(0.16666f, 0.16666f, 0.16666f, 0.166666f);
const Float4 kClipLimit(1.4142346f, 1.4142346f, 1.4142346f, 1.4142178f);

// Lanes 2 and 3 hold unit 2p of a pair, lanes 0 and 1 unit 2p + 1.
const __m128 kLowHalf = _mm_castsi128_ps(_mm_setr_epi32(0, 0, -1, -1));
const __m128 kHighHalf = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, 0, 0));

inline Float4 select(Float4 mask, Float4 a, Float4 b) {
    return _mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v));
}
// The masks pick whole lanes, so blending gives the same bits as the four-lane select.
ZEK2_AVX2 inline Float8 select(Float8 mask, Float8 a, Float8 b) {
    return _mm256_blendv_ps(b.v, a.v, mask.v);
}

// Lanes named by bits (lane i by bit i) as a mask, and every lane's bit, for four lanes and for
// eight.
// Lanes 2 and 3 hold unit 2p of a pair, lanes 0 and 1 unit 2p + 1.
constexpr int kLowBits = 0xC, kHighBits = 0x3;
// Every lane of four or of eight.
constexpr int kEveryLane = -1;
template <class V> struct LaneBits;
template <> struct LaneBits<Float4> {
    static constexpr int kAll = 0xF;
    static Float4 mask(int bits) {
        const __m128i lane = _mm_setr_epi32(1, 2, 4, 8);
        return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(bits), lane), lane));
    }
};
template <> struct LaneBits<Float8> {
    static constexpr int kAll = 0xFF;
    static ZEK2_AVX2 Float8 mask(int bits) {
        const __m256i lane = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
        return _mm256_castsi256_ps(
            _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(bits), lane), lane));
    }
};

void storeBand(float (&band)[5], double b0, double b1, double b2, double a1, double a2) {
    band[0] = static_cast<float>(b0) + kOffset;
    band[1] = static_cast<float>(b1) + kOffset;
    band[2] = static_cast<float>(b2) + kOffset;
    band[3] = static_cast<float>(a1) + kOffset;
    band[4] = static_cast<float>(a2) + kOffset;
}

// The peaking biquad of the audio-EQ cookbook for angle w, alpha and gain in dB.
void designPeak(float (&band)[5], double w, double alpha, double dB) {
    const double a = std::pow(10.0, dB / 40.0);
    const double cw = std::cos(w);
    const double a0 = 1.0 + alpha / a;
    storeBand(band, (1.0 + alpha * a) / a0, -2.0 * cw / a0, (1.0 - alpha * a) / a0, -2.0 * cw / a0,
              (1.0 - alpha / a) / a0);
}

// False when the band's clamped controls are those of its last design, which then stands.
bool designBand(const ParaEQRate& r, ParaEQUnit& u, int band, float gain, float freq, float bw) {
    float(&raw)[3] = u.bandControls[band];
    raw[0] = gain;
    raw[1] = freq;
    raw[2] = bw;
    float(&last)[3] = u.bandInputs[band];
    const float g = clamp01(gain), fr = clamp01(freq), b = clamp01(bw);
    if (g == last[0] && fr == last[1] && b == last[2]) return false;
    last[0] = g;
    last[1] = fr;
    last[2] = b;
    const double dB = 40.0 * clamp01(gain) - 20.0;
    u.bandActive[band] = std::fabs(dB) >= 0.01 ? 1 : 0;
    const double f = 20.0 * std::exp2(10.0 * clamp01(freq));
    const double fn = f * static_cast<double>(r.invDoubleRate);
    const double w = fn > 0.3 ? 1.8849558 : 2.0 * 3.14159265358979 * fn;
    const double q = std::exp2(4.0 - 10.0 * clamp01(bw));
    designPeak(u.band[band], w, std::sin(w) / (2.0 * q), dB);
    return true;
}

void designLadder(const ParaEQRate& r, float (&k)[3], float hz) {
    const float fc = hz < r.ceiling ? hz : r.ceiling;
    const float x = (fc + 0.001f) * r.invRate;
    const float q = 1.0f - x;
    const float p = x + x * q;
    const float f = 2.0f * p - 1.0f;
    k[0] = kOffset;
    k[1] = f + kOffset;
    k[2] = p + kOffset;
}

// True when the ladders were redesigned.
bool updateFilter(const ParaEQRate& r, ParaEQUnit& u, float lowPass, float highPass,
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
    // A control equal to the last one gives the last frequency again; only a new one is worked
    // out. clamp01 leaves neither NaN nor -0, so == is the same number.
    const float lpControl = clamp01(u.smoothLowPass + lowPassMod);
    const float hpControl = clamp01(u.smoothHighPass + highPassMod);
    const float lp =
        lpControl == u.lowPassControl
            ? u.lastLowPass
            : static_cast<float>(20.0 * std::exp2(10.0 * static_cast<double>(lpControl)));
    const float hp =
        hpControl == u.highPassControl
            ? u.lastHighPass
            : static_cast<float>(20.0 * std::exp2(10.0 * static_cast<double>(hpControl)));
    u.lowPassControl = lpControl;
    u.highPassControl = hpControl;
    const bool redesign =
        std::fabs(lp - u.lastLowPass) > 1e-5f || u.direct || std::fabs(hp - u.lastHighPass) > 1e-5f;
    if (redesign) {
        designLadder(r, u.lowPass, lp);
        designLadder(r, u.highPass, hp);
    }
    u.lastLowPass = lp;
    u.lastHighPass = hp;
    u.direct = 0;
    return redesign;
}

// A lane set's running states (in ParaEQLanes' order: the bands' x1, x2, y1, y2, then the
// two ladders), each state kStride floats after the one before: a ParaEQLanes itself, or two
// neighbouring groups of the unison form's side-by-side states.
template <class V, int kStride> struct LaneStates;
template <int kStride> struct LaneStates<Float4, kStride> {
    float* base;
    Float4 get(int i) const { return _mm_load_ps(base + kStride * i); }
    void set(int i, Float4 x) const { _mm_store_ps(base + kStride * i, x.v); }
};
template <int kStride> struct LaneStates<Float8, kStride> {
    float* base;
    ZEK2_AVX2 Float8 get(int i) const { return _mm256_loadu_ps(base + kStride * i); }
    ZEK2_AVX2 void set(int i, Float8 x) const { _mm256_storeu_ps(base + kStride * i, x.v); }
};

// Two pairs' states side by side in eight lanes, wherever each pair's lie.
template <int kStride> struct JoinedStates {
    float* first;
    float* second;
    ZEK2_AVX2 Float8 get(int i) const {
        return Float8::join(_mm_load_ps(first + kStride * i), _mm_load_ps(second + kStride * i));
    }
    ZEK2_AVX2 void set(int i, Float8 x) const {
        _mm_store_ps(first + kStride * i, x.low().v);
        _mm_store_ps(second + kStride * i, x.high().v);
    }
};

enum { kX1 = 0, kX2 = 3, kY1 = 6, kY2 = 9, kLowPass = 12, kHighPass = 17, kStates = 22 };
static_assert(sizeof(ParaEQLanes) == kStates * sizeof(Float4), "ParaEQLanes' order");

// The coefficients in ParaEQCoefs' order: each band's five, then the two ladders' three.
enum { kBandCoefs = 0, kLowPassCoefs = 15, kHighPassCoefs = 18, kCoefs = 21 };
static_assert(sizeof(ParaEQCoefs) == kCoefs * sizeof(Float4), "ParaEQCoefs' order");

// One coefficient set in every lane set of V (four lanes, or the same four twice).
template <class V> struct SameCoefs {
    const ParaEQCoefs* c;
    V get(int i) const;
};
template <> inline Float4 SameCoefs<Float4>::get(int i) const {
    return reinterpret_cast<const Float4*>(c)[i];
}
template <> ZEK2_AVX2 inline Float8 SameCoefs<Float8>::get(int i) const {
    return Float8(reinterpret_cast<const Float4*>(c)[i]);
}

// Coefficient lanes laid out as LaneStates lays out states.
template <class V, int kStride> struct CoefLanes;
template <int kStride> struct CoefLanes<Float4, kStride> {
    const float* base;
    Float4 get(int i) const { return _mm_load_ps(base + kStride * i); }
};
template <int kStride> struct CoefLanes<Float8, kStride> {
    const float* base;
    ZEK2_AVX2 Float8 get(int i) const { return _mm256_loadu_ps(base + kStride * i); }
};

// Two pairs' coefficients side by side, wherever each pair's lie.
template <int kStride> struct JoinedCoefs {
    const float* first;
    const float* second;
    ZEK2_AVX2 Float8 get(int i) const {
        return Float8::join(_mm_load_ps(first + kStride * i), _mm_load_ps(second + kStride * i));
    }
};

inline bool allFinite(const Float4 (&v)[4]) {
    return filtermath::allFinite(v[0]) && filtermath::allFinite(v[1]) &&
           filtermath::allFinite(v[2]) && filtermath::allFinite(v[3]);
}

// Every state reaches the output within a call, so a non-finite output is enough to notice one
// that stopped being finite; that group's lanes then start again from silence.
template <int kStride> inline void clear(LaneStates<Float4, kStride> s) {
    for (int i = 0; i < kStates; ++i) s.set(i, Float4());
}

template <int kStride>
inline void clearIfNotFinite(LaneStates<Float4, kStride> s, const Float4 (&v)[4]) {
    if (!allFinite(v)) clear(s);
}

// The bits of the lanes finite in all four vectors.
ZEK2_AVX2 inline int finiteLanes(const Float8 (&v)[4]) {
    const __m256 zero = _mm256_setzero_ps();
    __m256 ok = _mm256_cmp_ps((v[0] - v[0]).v, zero, _CMP_EQ_OQ);
    for (int k = 1; k < 4; ++k)
        ok = _mm256_and_ps(ok, _mm256_cmp_ps((v[k] - v[k]).v, zero, _CMP_EQ_OQ));
    return _mm256_movemask_ps(ok);
}

// The four-lane rule for each half: a half with a lane not finite starts again.
template <class Half>
ZEK2_AVX2 inline void clearIfNotFinite(Half lo, Half hi, const Float8 (&v)[4]) {
    const int finite = finiteLanes(v);
    if (finite == 0xFF) return;
    if ((finite & 0xF) != 0xF) clear(lo);
    if ((finite >> 4) != 0xF) clear(hi);
}

template <int kStride>
ZEK2_AVX2 inline void clearIfNotFinite(LaneStates<Float8, kStride> s, const Float8 (&v)[4]) {
    clearIfNotFinite(LaneStates<Float4, kStride>{s.base}, LaneStates<Float4, kStride>{s.base + 4},
                     v);
}

template <int kStride>
ZEK2_AVX2 inline void clearIfNotFinite(JoinedStates<kStride> s, const Float8 (&v)[4]) {
    clearIfNotFinite(LaneStates<Float4, kStride>{s.first}, LaneStates<Float4, kStride>{s.second},
                     v);
}

// The lane steps: for four lanes here, and for eight in `wide`, compiled for AVX2 as a whole.
#include "dsp/ParaEQSteps.h"

#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "dsp/ParaEQSteps.h"
} // namespace wide
#pragma GCC pop_options

constexpr int kPairStride = TParaEQ::kStride;
using PairStates = LaneStates<Float4, kPairStride>;
using PairCoefs = CoefLanes<Float4, kPairStride>;

inline float scaled(float x) {
    return 0.1f * filtermath::finiteOr0(x) + kOffset;
}

// Lanes {R of hi, L of hi, R of lo, L of lo}, each at one tenth of the level.
inline Float4 groupPair(stereoStruct lo, stereoStruct hi) {
    return Float4(scaled(hi.right), scaled(hi.left), scaled(lo.right), scaled(lo.left));
}

// A frame {L0, R0, L1, R1} at one tenth of the level, in registers.
inline Float4 scaledFrame(const stereoOverStruct& f) {
    return filtermath::finiteOrZero(Float4::load(&f.first.left)) * Float4(0.1f) + Float4(kOffset);
}

// The two sub-frames of the frames of lo and hi as lane vectors {R of hi, L of hi, R of lo,
// L of lo}: u[k] and u[k + 1].
inline void groupFrames(Float4 lo, Float4 hi, Float4* u) {
    u[0] = _mm_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(0, 1, 0, 1));
    u[1] = _mm_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(2, 3, 2, 3));
}

// u[0] and u[1] back at full level into the frames of lo and hi (either may be left out), and
// into loCopy and hiCopy where given.
inline void storeFrames(const Float4* u, stereoOverStruct* lo, stereoOverStruct* hi,
                        stereoOverStruct* loCopy = nullptr, stereoOverStruct* hiCopy = nullptr) {
    const Float4 ten(10.0f), offset(kOffset);
    const Float4 a = u[0] * ten + offset, b = u[1] * ten + offset;
    if (lo) {
        const Float4 x = _mm_shuffle_ps(a.v, b.v, _MM_SHUFFLE(2, 3, 2, 3));
        x.store(&lo->first.left);
        if (loCopy) x.store(&loCopy->first.left);
    }
    if (hi) {
        const Float4 x = _mm_shuffle_ps(a.v, b.v, _MM_SHUFFLE(0, 1, 0, 1));
        x.store(&hi->first.left);
        if (hiCopy) x.store(&hiCopy->first.left);
    }
}

inline void scatterPair(Float4 v, stereoStruct* lo, stereoStruct* hi) {
    alignas(16) float f[4];
    _mm_store_ps(f, v.v);
    if (hi) *hi = {10.0f * f[1] + kOffset, 10.0f * f[0] + kOffset};
    if (lo) *lo = {10.0f * f[3] + kOffset, 10.0f * f[2] + kOffset};
}

// Writes one unit's number into its half of a pair's four lanes.
void storeHalf(float* lanes, float value, int half) {
    float* f = lanes + (half ? 0 : 2);
    f[0] = f[1] = value;
}

// Writes one unit's numbers into its half of a pair's vectors (or into every lane).
void storeHalf(Float4& vec, float value, int half) {
    alignas(16) float f[4];
    _mm_store_ps(f, vec.v);
    if (half != 1) f[2] = f[3] = value; // lower unit, or both
    if (half != 0) f[0] = f[1] = value; // upper unit, or both
    vec = Float4(_mm_load_ps(f));
}

// half: 0 the lower unit of a pair, 1 the upper one, 2 every lane.
void storeCoefsOf(const ParaEQUnit& u, ParaEQCoefs& c, int half, bool bands, bool ladders) {
    if (bands)
        for (int b = 0; b < 3; ++b)
            for (int k = 0; k < 5; ++k) storeHalf(c.band[b][k], u.band[b][k], half);
    if (ladders)
        for (int k = 0; k < 3; ++k) {
            storeHalf(c.lowPass[k], u.lowPass[k], half);
            storeHalf(c.highPass[k], u.highPass[k], half);
        }
}

// One pair's run: which of its units are listed, and which lanes run each band.
struct PairJob {
    int pair;
    bool useLo, useHi;
    int lanes;
    int bandLanes[3];
};

const stereoOverStruct kSilent[2] = {};

// A pair's two frames as lane vectors; a unit left out reads silence.
inline void loadPair(const PairJob& j, const TParaEQ::Frames* frames, Float4 (&u)[4]) {
    const stereoOverStruct* inLo = j.useLo ? frames[2 * j.pair].in : kSilent;
    const stereoOverStruct* inHi = j.useHi ? frames[2 * j.pair + 1].in : kSilent;
    groupFrames(scaledFrame(inLo[0]), scaledFrame(inHi[0]), u);
    groupFrames(scaledFrame(inLo[1]), scaledFrame(inHi[1]), u + 2);
}

inline void storePair(const PairJob& j, const Float4 (&u)[4], const TParaEQ::Frames* frames) {
    const TParaEQ::Frames& lo = frames[2 * j.pair];
    const TParaEQ::Frames& hi = frames[2 * j.pair + 1];
    for (int f = 0; f < 2; ++f)
        storeFrames(u + 2 * f, j.useLo ? &lo.out[f] : nullptr, j.useHi ? &hi.out[f] : nullptr,
                    j.useLo ? &lo.next[f] : nullptr, j.useHi ? &hi.next[f] : nullptr);
}

// coefs and states: a TParaEQ's, each pair's four lanes at 4p.
inline void runPair(const float* coefs, float* states, const PairJob& j,
                    const TParaEQ::Frames* frames, int mode) {
    Float4 u[4];
    loadPair(j, frames, u);
    runLanes(PairCoefs{coefs + 4 * j.pair}, PairStates{states + 4 * j.pair}, u, mode, j.bandLanes,
             TParaEQ::kBands, j.lanes);
    storePair(j, u, frames);
}

// scaledFrame of two frames side by side.
ZEK2_AVX2 inline Float8 scaledFrames(const stereoOverStruct& a, const stereoOverStruct& b) {
    const Float8 x = Float8::join(Float4::load(&a.first.left), Float4::load(&b.first.left));
    const __m256 finite = _mm256_cmp_ps((x - x).v, _mm256_setzero_ps(), _CMP_EQ_OQ);
    return Float8(_mm256_and_ps(x.v, finite)) * Float8(0.1f) + Float8(kOffset);
}

// A unit's frame f into its output and the next position's input.
inline void storeUnit(const TParaEQ::Frames& fr, int f, Float4 x) {
    x.store(&fr.out[f].first.left);
    x.store(&fr.next[f].first.left);
}

// Two pairs at a time in eight lanes, whichever they are, each with its own coefficients and
// masks in its half: the same operations per lane as loadPair, runPair and storePair. A last
// odd pair runs in four. Neighbouring pairs load their lanes as one.
__attribute__((target("avx2"), flatten)) void runWidePairs(const float* coefs, float* states,
                                                           const PairJob* jobs, int n,
                                                           const TParaEQ::Frames* frames,
                                                           int mode) {
    int i = 0;
    for (; i + 1 < n; i += 2) {
        const PairJob& a = jobs[i];
        const PairJob& b = jobs[i + 1];
        const TParaEQ::Frames& aLo = frames[2 * a.pair];
        const TParaEQ::Frames& aHi = frames[2 * a.pair + 1];
        const TParaEQ::Frames& bLo = frames[2 * b.pair];
        const TParaEQ::Frames& bHi = frames[2 * b.pair + 1];
        const stereoOverStruct* inALo = a.useLo ? aLo.in : kSilent;
        const stereoOverStruct* inAHi = a.useHi ? aHi.in : kSilent;
        const stereoOverStruct* inBLo = b.useLo ? bLo.in : kSilent;
        const stereoOverStruct* inBHi = b.useHi ? bHi.in : kSilent;
        Float8 v[4];
        for (int f = 0; f < 2; ++f) {
            const Float8 lo = scaledFrames(inALo[f], inBLo[f]);
            const Float8 hi = scaledFrames(inAHi[f], inBHi[f]);
            v[2 * f] = _mm256_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(0, 1, 0, 1));
            v[2 * f + 1] = _mm256_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(2, 3, 2, 3));
        }
        const int bandLanes[TParaEQ::kBands] = {a.bandLanes[0] | b.bandLanes[0] << 4,
                                                a.bandLanes[1] | b.bandLanes[1] << 4,
                                                a.bandLanes[2] | b.bandLanes[2] << 4};
        const int lanes = a.lanes | b.lanes << 4;
        if (b.pair == a.pair + 1)
            wide::runLanes(CoefLanes<Float8, kPairStride>{coefs + 4 * a.pair},
                           LaneStates<Float8, kPairStride>{states + 4 * a.pair}, v, mode, bandLanes,
                           TParaEQ::kBands, lanes);
        else
            wide::runLanes(JoinedCoefs<kPairStride>{coefs + 4 * a.pair, coefs + 4 * b.pair},
                           JoinedStates<kPairStride>{states + 4 * a.pair, states + 4 * b.pair}, v,
                           mode, bandLanes, TParaEQ::kBands, lanes);
        const Float8 ten(10.0f), offset(kOffset);
        for (int f = 0; f < 2; ++f) {
            const Float8 x = v[2 * f] * ten + offset, y = v[2 * f + 1] * ten + offset;
            const Float8 lo = _mm256_shuffle_ps(x.v, y.v, _MM_SHUFFLE(2, 3, 2, 3));
            const Float8 hi = _mm256_shuffle_ps(x.v, y.v, _MM_SHUFFLE(0, 1, 0, 1));
            if (a.useLo) storeUnit(aLo, f, lo.low());
            if (a.useHi) storeUnit(aHi, f, hi.low());
            if (b.useLo) storeUnit(bLo, f, lo.high());
            if (b.useHi) storeUnit(bHi, f, hi.high());
        }
    }
    if (i < n) runPair(coefs, states, jobs[i], frames, mode);
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
    for (auto& band : fxInputs) band[0] = band[1] = kNoDesign;
    for (ParaEQUnit& u : units) u = ParaEQUnit{};
    for (auto& c : pairCoefs)
        for (float& x : c) x = 0.0f;
    reset();
}

void TParaEQ::reset(int unit) {
    if (unit < 0 || unit >= kUnits) return;
    // Clear the unit's half of its pair and keep the partner's.
    for (auto& state : pairLanes) storeHalf(state + 4 * (unit / 2), 0.0f, unit & 1);
}

void TParaEQ::reset() {
    for (auto& state : pairLanes)
        for (float& x : state) x = 0.0f;
}

void TParaEQ::setDirect(int unit) {
    if (unit >= 0 && unit < kUnits) units[unit].direct = 1;
}

void TParaEQ::designParameters(int unit, int band, float gain, float freq, float bw) {
    if (unit < 0 || unit >= kUnits || band < 0 || band >= kBands) return;
    if (!designBand(rates, units[unit], band, gain, freq, bw)) return;
    if (unit == 0 && band < 2) fxInputs[band][0] = kNoDesign; // the effect band was replaced
    for (int k = 0; k < 5; ++k)
        storeHalf(pairCoefs[kBandCoefs + 5 * band + k] + 4 * (unit / 2), units[unit].band[band][k],
                  unit & 1);
}

void TParaEQ::setFilter(int unit, float lowPass, float highPass, float lowPassMod,
                        float highPassMod) {
    if (unit < 0 || unit >= kUnits) return;
    if (!updateFilter(rates, units[unit], lowPass, highPass, lowPassMod, highPassMod)) return;
    for (int k = 0; k < 3; ++k) {
        storeHalf(pairCoefs[kLowPassCoefs + k] + 4 * (unit / 2), units[unit].lowPass[k], unit & 1);
        storeHalf(pairCoefs[kHighPassCoefs + k] + 4 * (unit / 2), units[unit].highPass[k],
                  unit & 1);
    }
}

bool TParaEQ::isBandActive(int unit, int band) const {
    return unit >= 0 && unit < kUnits && band >= 0 && band < kBands &&
           units[unit].bandActive[band] != 0;
}

void TParaEQ::process(int mode, int count, const int* voiceList, stereoOverStruct* frameA,
                      stereoOverStruct* frameB, bool wide) {
    if (count <= 0 || !voiceList || !frameA || !frameB) return;
    stereoOverStruct pairs[kUnits][2];
    Frames frames[kUnits] = {};
    for (int i = 0; i < count; ++i) {
        const int v = voiceList[i];
        if (v < 0 || v >= kUnits) continue;
        pairs[v][0] = frameA[v];
        pairs[v][1] = frameB[v];
        frames[v] = {pairs[v], pairs[v], pairs[v]};
    }
    process(mode, count, voiceList, frames, wide);
    for (int i = 0; i < count; ++i) {
        const int v = voiceList[i];
        if (v < 0 || v >= kUnits) continue;
        frameA[v] = pairs[v][0];
        frameB[v] = pairs[v][1];
    }
}

void TParaEQ::process(int mode, int count, const int* voiceList, const Frames* frames, bool wide) {
    if (count <= 0 || !voiceList || !frames) return;
    bool listed[kUnits] = {};
    for (int i = 0; i < count; ++i)
        if (voiceList[i] >= 0 && voiceList[i] < kUnits) listed[voiceList[i]] = true;
    PairJob jobs[kPairs];
    int n = 0;
    for (int p = 0; p < kPairs; ++p) {
        const int lo = 2 * p, hi = 2 * p + 1;
        const bool useLo = listed[lo], useHi = listed[hi];
        if (!useLo && !useHi) continue;
        PairJob& j = jobs[n++];
        j.pair = p;
        j.useLo = useLo;
        j.useHi = useHi;
        j.lanes = (useLo ? kLowBits : 0) | (useHi ? kHighBits : 0);
        for (int b = 0; b < kBands; ++b)
            j.bandLanes[b] = (useLo && units[lo].bandActive[b] ? kLowBits : 0) |
                             (useHi && units[hi].bandActive[b] ? kHighBits : 0);
    }
    if (wide)
        runWidePairs(&pairCoefs[0][0], &pairLanes[0][0], jobs, n, frames, mode);
    else
        for (int i = 0; i < n; ++i)
            runPair(&pairCoefs[0][0], &pairLanes[0][0], jobs[i], frames, mode);
}

void TParaEQ::setFXParameters(float freq1, float gain1, float freq2, float gain2) {
    const float freqs[2] = {freq1, freq2};
    const float gains[2] = {gain1, gain2};
    for (int b = 0; b < 2; ++b) {
        // The band stands while its frequency and clamped gain do (the rate too: init()
        // forgets the last design).
        const float gain = clamp01(gains[b]);
        if (freqs[b] == fxInputs[b][0] && gain == fxInputs[b][1]) continue;
        fxInputs[b][0] = freqs[b];
        fxInputs[b][1] = gain;
        const double w = 2.0 * 3.14159265358979 * static_cast<double>(freqs[b]) *
                         static_cast<double>(rates.invDoubleRate);
        designPeak(units[0].band[b], w, std::sin(w), 40.0 * static_cast<double>(gain) - 20.0);
        units[0].bandInputs[b][0] = -1.0f; // a later setParameters designs afresh
        units[0].bandControls[b][0] = ParaEQUnit::kNone;
        for (int k = 0; k < 5; ++k)
            storeHalf(pairCoefs[kBandCoefs + 5 * b + k], units[0].band[b][k], 0);
    }
}

void TParaEQ::processFX(stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
                        stereoOverStruct& out2) {
    // Unit 0 alone, both bands whatever their flags, no cut filters.
    const stereoStruct none{};
    Float4 u[4] = {groupPair(in1.first, none), groupPair(in1.second, none),
                   groupPair(in2.first, none), groupPair(in2.second, none)};
    const int bandLanes[kBands] = {kLowBits, kLowBits, 0};
    runLanes(PairCoefs{&pairCoefs[0][0]}, PairStates{&pairLanes[0][0]}, u, 0, bandLanes, 2,
             kLowBits);
    scatterPair(u[0], &out1.first, nullptr);
    scatterPair(u[1], &out1.second, nullptr);
    scatterPair(u[2], &out2.first, nullptr);
    scatterPair(u[3], &out2.second, nullptr);
}

// ---- TUniParaEQ -------------------------------------------------------------------------

void TUniParaEQ::init(float rate) {
    rates.set(rate);
    unit = ParaEQUnit{};
    coefs = ParaEQCoefs{};
    reset();
    wide = hasAvx2();
}

void TUniParaEQ::reset() {
    statesStale = true;
}

void TUniParaEQ::clearStates() {
    for (auto& state : states)
        for (float& x : state) x = 0.0f;
    statesStale = false;
}

void TUniParaEQ::designParameters(int band, float gain, float freq, float bw) {
    if (band < 0 || band >= TParaEQ::kBands) return;
    if (!designBand(rates, unit, band, gain, freq, bw)) return;
    for (int k = 0; k < 5; ++k) coefs.band[band][k] = Float4(unit.band[band][k]);
}

void TUniParaEQ::setFilter(float lowPass, float highPass, float lowPassMod, float highPassMod) {
    if (updateFilter(rates, unit, lowPass, highPass, lowPassMod, highPassMod))
        storeCoefsOf(unit, coefs, 2, false, true);
}

namespace {

using UniStates = LaneStates<Float4, TUniParaEQ::kStride>;

// Group g's lanes: sub-voices 2g and 2g + 1; for odd n the last sub-voice fills its group twice.
inline void loadGroup(const TParaEQ::Frames* frames, int n, int g, Float4 (&u)[4]) {
    const TParaEQ::Frames& a = frames[2 * g];
    const TParaEQ::Frames& b = 2 * g + 1 < n ? frames[2 * g + 1] : a;
    groupFrames(scaledFrame(a.in[0]), scaledFrame(b.in[0]), u);
    groupFrames(scaledFrame(a.in[1]), scaledFrame(b.in[1]), u + 2);
}

// Group g's lanes back into its sub-voices' outputs; the copy's output is dropped.
inline void storeGroup(const Float4 (&u)[4], const TParaEQ::Frames* frames, int n, int g) {
    const TParaEQ::Frames& a = frames[2 * g];
    const bool pair = 2 * g + 1 < n;
    const TParaEQ::Frames& b = pair ? frames[2 * g + 1] : a;
    for (int f = 0; f < 2; ++f)
        storeFrames(u + 2 * f, &a.out[f], pair ? &b.out[f] : nullptr, &a.next[f],
                    pair ? &b.next[f] : nullptr);
}

// Groups from `first` on, four lanes each.
inline void runGroups(const ParaEQCoefs& c, float* states, int mode, const int (&bandLanes)[3],
                      const TParaEQ::Frames* frames, int n, int first) {
    for (int g = first; g < (n + 1) / 2; ++g) {
        Float4 u[4];
        loadGroup(frames, n, g, u);
        runLanes(SameCoefs<Float4>{&c}, UniStates{states + 4 * g}, u, mode, bandLanes,
                 TParaEQ::kBands, kEveryLane);
        storeGroup(u, frames, n, g);
    }
}

// Groups 0 .. 2 * pairs - 1 two at a time in eight lanes, the same operations per lane.
__attribute__((target("avx2"), flatten)) void runGroupPairs(const ParaEQCoefs& c, float* states,
                                                            int mode, const int (&bandLanes)[3],
                                                            const TParaEQ::Frames* frames, int n,
                                                            int pairs) {
    for (int g = 0; g < 2 * pairs; g += 2) {
        Float4 lo[4], hi[4];
        loadGroup(frames, n, g, lo);
        loadGroup(frames, n, g + 1, hi);
        Float8 v[4];
        for (int k = 0; k < 4; ++k) v[k] = Float8::join(lo[k], hi[k]);
        wide::runLanes(SameCoefs<Float8>{&c},
                       LaneStates<Float8, TUniParaEQ::kStride>{states + 4 * g}, v, mode, bandLanes,
                       TParaEQ::kBands, kEveryLane);
        for (int k = 0; k < 4; ++k) {
            lo[k] = v[k].low();
            hi[k] = v[k].high();
        }
        storeGroup(lo, frames, n, g);
        storeGroup(hi, frames, n, g + 1);
    }
}

// Two groups at a time in eight lanes; a last odd group in four.
__attribute__((target("avx2"), flatten)) void runWideGroups(const ParaEQCoefs& c, float* states,
                                                            int mode, const int (&bandLanes)[3],
                                                            const TParaEQ::Frames* frames, int n) {
    const int pairs = (n + 1) / 2 / 2;
    runGroupPairs(c, states, mode, bandLanes, frames, n, pairs);
    runGroups(c, states, mode, bandLanes, frames, n, 2 * pairs);
}

// One unit's group: its coefficients, states and frames.
struct UnitGroup {
    const ParaEQCoefs* coefs;
    float* states;
    const TParaEQ::Frames* frames;
};

// Group g of two units with the same bands on side by side in eight lanes, each half with its
// own coefficients: the same operations per lane as runGroups gives each of them.
__attribute__((target("avx2"), flatten)) void runJoinedGroup(const UnitGroup& a, const UnitGroup& b,
                                                             int mode, const int (&bandLanes)[3],
                                                             int n, int g) {
    Float4 lo[4], hi[4];
    loadGroup(a.frames, n, g, lo);
    loadGroup(b.frames, n, g, hi);
    Float8 v[4];
    for (int k = 0; k < 4; ++k) v[k] = Float8::join(lo[k], hi[k]);
    // ParaEQCoefs is a row of Float4: coefficient i at 4i.
    constexpr int kCoefStride = sizeof(Float4) / sizeof(float);
    wide::runLanes(JoinedCoefs<kCoefStride>{reinterpret_cast<const float*>(a.coefs),
                                            reinterpret_cast<const float*>(b.coefs)},
                   JoinedStates<TUniParaEQ::kStride>{a.states + 4 * g, b.states + 4 * g}, v, mode,
                   bandLanes, TParaEQ::kBands, kEveryLane);
    for (int k = 0; k < 4; ++k) {
        lo[k] = v[k].low();
        hi[k] = v[k].high();
    }
    storeGroup(lo, a.frames, n, g);
    storeGroup(hi, b.frames, n, g);
}

} // namespace

void TUniParaEQ::process(int mode, int n, const TParaEQ::Frames* frames) {
    if (n < 1 || !frames) return;
    if (n > 6) n = 6;
    if (statesStale) clearStates();
    int bandLanes[TParaEQ::kBands];
    for (int b = 0; b < TParaEQ::kBands; ++b) bandLanes[b] = unit.bandActive[b] ? kEveryLane : 0;
    if (wide)
        runWideGroups(coefs, &states[0][0], mode, bandLanes, frames, n);
    else
        runGroups(coefs, &states[0][0], mode, bandLanes, frames, n, 0);
}

void TUniParaEQ::process(TUniParaEQ& a, const TParaEQ::Frames* framesA, TUniParaEQ& b,
                         const TParaEQ::Frames* framesB, int mode, int n) {
    if (n > 6) n = 6;
    const int groups = (n + 1) / 2;
    if (n < 1 || !framesA || !framesB || !a.wide || !b.wide || &a == &b || groups % 2 == 0) {
        a.process(mode, n, framesA);
        b.process(mode, n, framesB);
        return;
    }
    if (a.statesStale) a.clearStates();
    if (b.statesStale) b.clearStates();
    int bandA[TParaEQ::kBands], bandB[TParaEQ::kBands];
    for (int k = 0; k < TParaEQ::kBands; ++k) {
        bandA[k] = a.unit.bandActive[k] ? kEveryLane : 0;
        bandB[k] = b.unit.bandActive[k] ? kEveryLane : 0;
    }
    const int pairs = groups / 2;
    runGroupPairs(a.coefs, &a.states[0][0], mode, bandA, framesA, n, pairs);
    runGroupPairs(b.coefs, &b.states[0][0], mode, bandB, framesB, n, pairs);
    bool sameBands = true;
    for (int k = 0; k < TParaEQ::kBands; ++k) sameBands = sameBands && bandA[k] == bandB[k];
    if (sameBands) {
        runJoinedGroup({&a.coefs, &a.states[0][0], framesA}, {&b.coefs, &b.states[0][0], framesB},
                       mode, bandA, n, 2 * pairs);
    } else {
        // Different bands would need masks in the sample loop: each last group in four lanes.
        runGroups(a.coefs, &a.states[0][0], mode, bandA, framesA, n, 2 * pairs);
        runGroups(b.coefs, &b.states[0][0], mode, bandB, framesB, n, 2 * pairs);
    }
}

void TUniParaEQ::process(int mode, int n, stereoOverStruct* frameA, stereoOverStruct* frameB) {
    if (n < 1 || !frameA || !frameB) return;
    if (n > 6) n = 6;
    stereoOverStruct pairs[6][2];
    TParaEQ::Frames frames[6];
    for (int j = 0; j < n; ++j) {
        pairs[j][0] = frameA[j];
        pairs[j][1] = frameB[j];
        frames[j] = {pairs[j], pairs[j], pairs[j]};
    }
    process(mode, n, frames);
    for (int j = 0; j < n; ++j) {
        frameA[j] = pairs[j][0];
        frameB[j] = pairs[j][1];
    }
}
