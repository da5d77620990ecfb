// The parametric EQs' design and processing: peaking-band coefficients, the smoothed ladder
// cut filters, and the multi-unit, unison and distortion-effect runs. Audio thread, except
// init() on whichever thread sets the rate.
#include "dsp/TParaEQ.h"

#include "dsp/FilterMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>

using filtermath::clamp01;

namespace {

constexpr float kOffset = 1e-15f;

// The ladders' output gain and cubic clip; the last lane of every four differs slightly, as it
// always has. The limits are where each lane's cubic turns back.
constexpr float kCutGain = 1.03f;
constexpr float kClip[4] = {0.16666f, 0.16666f, 0.16666f, 0.166666f};
constexpr float kClipLimit[4] = {1.4142346f, 1.4142346f, 1.4142346f, 1.4142178f};

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

// The lane steps are written once on GCC's vector types of four or eight floats, so the SSE2 and
// the AVX2 runs do the same operations in the same order on every lane. They are always inlined
// into their caller, whose instruction set decides the code; no vector crosses a call, so the
// ABI note about wide vectors does not apply (it is reported at the end of the file, so it is
// off for the whole of it).
#pragma GCC diagnostic ignored "-Wpsabi"

template <int W> struct Vec;
template <> struct Vec<4> {
    typedef float type __attribute__((vector_size(16)));
    typedef int32_t mask __attribute__((vector_size(16)));
};
template <> struct Vec<8> {
    typedef float type __attribute__((vector_size(32)));
    typedef int32_t mask __attribute__((vector_size(32)));
};

template <class V> [[gnu::always_inline]] inline V loadV(const float* p) {
    V x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

template <class V> [[gnu::always_inline]] inline void storeV(float* p, const V& x) {
    std::memcpy(p, &x, sizeof x);
}

// min and max with the operand order of minps and maxps (a NaN gives the second operand).
template <class V>
[[gnu::always_inline]] inline V cubicClipV(const V& x, const V& c, const V& limit) {
    const V low = V{} - limit;
    const V above = x > low ? x : low;
    const V h = above < limit ? above : limit;
    return h - c * h * h * h;
}

// One ladder step on W lanes of a bank; returns the last stage. Lanes outside `mask` keep their
// state when `masked`.
template <int W, int N>
[[gnu::always_inline]] inline typename Vec<W>::type
ladderV(float (&s)[5][N], const float (&k)[3][N], int off, const typename Vec<W>::type& x,
        const typename Vec<W>::mask& mask, bool masked) {
    using V = typename Vec<W>::type;
    V clip, limit;
    for (int i = 0; i < W; ++i) {
        clip[i] = kClip[i & 3];
        limit[i] = kClipLimit[i & 3];
    }
    const V k0 = loadV<V>(&k[0][off]), k1 = loadV<V>(&k[1][off]), k2 = loadV<V>(&k[2][off]);
    V t[5];
    for (int i = 0; i < 5; ++i) t[i] = loadV<V>(&s[i][off]);
    const V in = x - k0 * t[4];
    const V t1 = (in + t[0]) * k2 - t[1] * k1;
    const V t2 = (t1 + t[1]) * k2 - t[2] * k1;
    const V t3 = (t2 + t[2]) * k2 - t[3] * k1;
    V t4 = (t3 + t[3]) * k2 - t[4] * k1;
    t4 = cubicClipV(t4, clip, limit);
    const V next[5] = {in, t1, t2, t3, t4};
    for (int i = 0; i < 5; ++i) storeV(&s[i][off], masked ? (mask ? next[i] : t[i]) : next[i]);
    return t4;
}

// Four sub-samples of W lanes (from lane `off` of the banks) through the bands and, by mode, the
// cut filters. An inactive band neither processes nor keeps history.
template <int W, int N>
[[gnu::always_inline]] inline void runLanesV(const ParaEQCoefBank<N>& c, ParaEQStateBank<N>& s,
                                             int off, float (&io)[4][W], int mode,
                                             const ParaEQLaneMasks<W>& m, int bandCount) {
    using V = typename Vec<W>::type;
    using M = typename Vec<W>::mask;
    V v[4];
    for (int k = 0; k < 4; ++k) v[k] = loadV<V>(io[k]);
    for (int b = 0; b < bandCount; ++b) {
        if (m.bandRun[b] == 0) continue;
        const float(&q)[5][N] = c.band[b];
        const V q0 = loadV<V>(&q[0][off]), q1 = loadV<V>(&q[1][off]), q2 = loadV<V>(&q[2][off]);
        const V q3 = loadV<V>(&q[3][off]), q4 = loadV<V>(&q[4][off]);
        V x1 = loadV<V>(&s.x1[b][off]), x2 = loadV<V>(&s.x2[b][off]);
        V y1 = loadV<V>(&s.y1[b][off]), y2 = loadV<V>(&s.y2[b][off]);
        if (m.bandRun[b] == 2) {
            for (V& x : v) {
                const V y = q0 * x + q1 * x1 + q2 * x2 - q3 * y1 - q4 * y2;
                x2 = x1;
                x1 = x;
                y2 = y1;
                y1 = y;
                x = y;
            }
        } else {
            M on;
            std::memcpy(&on, m.band[b], sizeof on);
            for (V& x : v) {
                const V y = q0 * x + q1 * x1 + q2 * x2 - q3 * y1 - q4 * y2;
                x2 = on ? x1 : x2;
                x1 = on ? x : x1;
                y2 = on ? y1 : y2;
                y1 = on ? y : y1;
                x = on ? y : x;
            }
        }
        storeV(&s.x1[b][off], x1);
        storeV(&s.x2[b][off], x2);
        storeV(&s.y1[b][off], y1);
        storeV(&s.y2[b][off], y2);
    }
    M lanes;
    std::memcpy(&lanes, m.lanes, sizeof lanes);
    const bool masked = !m.allLanes;
    const V gain = V{} + kCutGain;
    if (mode == 1 || mode == 3)
        for (V& x : v) x = gain * ladderV<W, N>(s.lowPass, c.lowPass, off, x, lanes, masked);
    if (mode == 2 || mode == 3)
        for (V& x : v)
            x = gain * (x - ladderV<W, N>(s.highPass, c.highPass, off, x, lanes, masked));
    // Every state reaches the output within a call, so a non-finite output is enough to notice
    // one that stopped being finite; the four lanes of its pair then start again from silence.
    const V zero{};
    M finite = (v[0] - v[0]) == zero;
    for (int k = 1; k < 4; ++k) finite &= (v[k] - v[k]) == zero;
    for (int h = 0; h < W / 4; ++h) {
        if (!(m.heldHalves & (1 << h))) continue;
        if (finite[4 * h] && finite[4 * h + 1] && finite[4 * h + 2] && finite[4 * h + 3]) continue;
        float* rows[] = {s.x1[0],       s.x1[1],      s.x1[2],       s.x2[0],       s.x2[1],
                         s.x2[2],       s.y1[0],      s.y1[1],       s.y1[2],       s.y2[0],
                         s.y2[1],       s.y2[2],      s.lowPass[0],  s.lowPass[1],  s.lowPass[2],
                         s.lowPass[3],  s.lowPass[4], s.highPass[0], s.highPass[1], s.highPass[2],
                         s.highPass[3], s.highPass[4]};
        for (float* row : rows)
            for (int i = 0; i < 4; ++i) row[off + 4 * h + i] = 0.0f;
    }
    for (int k = 0; k < 4; ++k) storeV(io[k], v[k]);
}

// The eight-lane run, compiled for AVX2 (without FMA, which would round differently).
__attribute__((target("avx2"))) void runLanes8(const ParaEQCoefBank<TParaEQ::kLanes>& c,
                                               ParaEQStateBank<TParaEQ::kLanes>& s, int off,
                                               float (&io)[4][8], int mode,
                                               const ParaEQLaneMasks<8>& m) {
    runLanesV<8, TParaEQ::kLanes>(c, s, off, io, mode, m, TParaEQ::kBands);
}

inline float scaled(float x) {
    return 0.1f * filtermath::finiteOr0(x) + kOffset;
}

// A frame {L0, R0, L1, R1} at one tenth of the level, in registers.
inline Float4 scaledFrame(const stereoOverStruct& f) {
    return filtermath::finiteOrZero(Float4::load(&f.first.left)) * Float4(0.1f) + Float4(kOffset);
}

// A unit's frame into its two lanes of sub-samples k and k + 1: {R, L} each.
inline void putFrame(const stereoOverStruct& f, float* io, int k, int lane, int width) {
    const Float4 x = scaledFrame(f);
    const __m128 swapped = _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(2, 3, 0, 1)); // R0 L0 R1 L1
    float* first = io + k * width + lane;
    _mm_storel_pi(reinterpret_cast<__m64*>(first), swapped);
    _mm_storeh_pi(reinterpret_cast<__m64*>(first + width), swapped);
}

// A unit's lanes of sub-samples k and k + 1 back at full level into a frame (and its copy).
inline void takeFrame(const float* io, int k, int lane, int width, stereoOverStruct* out,
                      stereoOverStruct* copy) {
    const float* first = io + k * width + lane;
    const __m128 lo = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(first));
    const Float4 u = _mm_loadh_pi(lo, reinterpret_cast<const __m64*>(first + width));
    // {R0, L0, R1, L1} to {L0, R0, L1, R1}, each x 10 + offset.
    const Float4 x =
        Float4(_mm_shuffle_ps(u.v, u.v, _MM_SHUFFLE(2, 3, 0, 1))) * Float4(10.0f) + Float4(kOffset);
    x.store(&out->first.left);
    if (copy) x.store(&copy->first.left);
}

// A unit's value of every row of a bank into its lanes.
template <int N>
void storeUnit(ParaEQCoefBank<N>& c, const ParaEQUnit& u, int lane, int count, bool bands,
               bool ladders) {
    auto put = [&](float(&row)[N], float value) {
        for (int i = 0; i < count; ++i) row[lane + i] = value;
    };
    if (bands)
        for (int b = 0; b < 3; ++b)
            for (int k = 0; k < 5; ++k) put(c.band[b][k], u.band[b][k]);
    if (ladders)
        for (int k = 0; k < 3; ++k) {
            put(c.lowPass[k], u.lowPass[k]);
            put(c.highPass[k], u.highPass[k]);
        }
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
    wide = __builtin_cpu_supports("avx2");
    masksStale = true; // every band flag starts off again
    for (auto& band : fxInputs) band[0] = band[1] = kNoDesign;
    for (ParaEQUnit& u : units) u = ParaEQUnit{};
    coefs = ParaEQCoefBank<kLanes>{};
    states = ParaEQStateBank<kLanes>{};
}

void TParaEQ::reset(int unit) {
    if (unit < 0 || unit >= kUnits) return;
    // Clear the unit's two lanes and keep every other unit's.
    float* rows = &states.x1[0][0];
    const int rowCount = sizeof(states) / sizeof(states.x1[0]);
    for (int r = 0; r < rowCount; ++r)
        rows[r * kLanes + laneOf(unit)] = rows[r * kLanes + laneOf(unit) + 1] = 0.0f;
}

void TParaEQ::reset() {
    states = ParaEQStateBank<kLanes>{};
}

void TParaEQ::setDirect(int unit) {
    if (unit >= 0 && unit < kUnits) units[unit].direct = 1;
}

void TParaEQ::designParameters(int unit, int band, float gain, float freq, float bw) {
    if (unit < 0 || unit >= kUnits || band < 0 || band >= kBands) return;
    if (!designBand(rates, units[unit], band, gain, freq, bw)) return;
    masksStale = true;                                        // the band's flag may have changed
    if (unit == 0 && band < 2) fxInputs[band][0] = kNoDesign; // the effect band was replaced
    for (int k = 0; k < 5; ++k)
        coefs.band[band][k][laneOf(unit)] = coefs.band[band][k][laneOf(unit) + 1] =
            units[unit].band[band][k];
}

void TParaEQ::setFilter(int unit, float lowPass, float highPass, float lowPassMod,
                        float highPassMod) {
    if (unit < 0 || unit >= kUnits) return;
    if (updateFilter(rates, units[unit], lowPass, highPass, lowPassMod, highPassMod))
        storeUnit(coefs, units[unit], laneOf(unit), 2, false, true);
}

bool TParaEQ::isBandActive(int unit, int band) const {
    return unit >= 0 && unit < kUnits && band >= 0 && band < kBands &&
           units[unit].bandActive[band] != 0;
}

// W lanes from unit firstUnit on: the listed units' frames into their lanes (silence for the
// others, whose states the masks keep), one run, and the listed units' results out.
template <int W>
void TParaEQ::setMasks(ParaEQLaneMasks<W>& m, int firstUnit, uint32_t listed) const {
    m = ParaEQLaneMasks<W>{};
    const int off = laneOf(firstUnit) & ~(W - 1);
    m.allLanes = true;
    int bandCount[kBands] = {};
    for (int u = firstUnit; u < firstUnit + W / 2; ++u) {
        const int lane = laneOf(u) - off;
        const bool on = (listed >> u) & 1u;
        m.allLanes = m.allLanes && on;
        if (on) m.heldHalves |= 1 << (lane / 4);
        m.lanes[lane] = m.lanes[lane + 1] = on ? -1 : 0;
        for (int b = 0; b < kBands; ++b) {
            const bool active = on && units[u].bandActive[b];
            m.band[b][lane] = m.band[b][lane + 1] = active ? -1 : 0;
            bandCount[b] += active ? 2 : 0;
        }
    }
    for (int b = 0; b < kBands; ++b)
        m.bandRun[b] = bandCount[b] == 0 ? 0 : (bandCount[b] == W ? 2 : 1);
}

// W lanes from unit firstUnit on: the listed units' frames into their lanes (silence for the
// others, whose states the masks keep), one run, and the listed units' results out.
template <int W>
void TParaEQ::runBlock(int mode, int firstUnit, const ParaEQLaneMasks<W>& m, const UnitIO* io) {
    if (!m.heldHalves) return;
    const int off = laneOf(firstUnit) & ~(W - 1);
    alignas(32) float lanes[4][W];
    const stereoOverStruct silent{};
    for (int u = firstUnit; u < firstUnit + W / 2; ++u) {
        const int lane = laneOf(u) - off;
        const bool on = m.lanes[lane] != 0;
        for (int f = 0; f < 2; ++f)
            putFrame(on ? *io[u].in[f] : silent, &lanes[0][0], 2 * f, lane, W);
    }
    if constexpr (W == 8)
        runLanes8(coefs, states, off, lanes, mode, m);
    else
        runLanesV<4, kLanes>(coefs, states, off, lanes, mode, m, kBands);
    for (int u = firstUnit; u < firstUnit + W / 2; ++u) {
        const int lane = laneOf(u) - off;
        if (!m.lanes[lane]) continue;
        for (int f = 0; f < 2; ++f)
            takeFrame(&lanes[0][0], 2 * f, lane, W, io[u].out[f], io[u].next[f]);
    }
}

void TParaEQ::runUnits(int mode, uint32_t listed, const UnitIO* io) {
    // The lane masks stand while the listed units and their active bands do.
    if (listed != maskListed || masksStale) {
        maskListed = listed;
        masksStale = false;
        for (int q = 0; q < kUnits / 4; ++q) setMasks(quadMasks[q], 4 * q, listed);
        for (int p = 0; p < kUnits / 2; ++p) setMasks(pairMasks[p], 2 * p, listed);
    }
    if (wide)
        for (int q = 0; q < kUnits / 4; ++q) runBlock<8>(mode, 4 * q, quadMasks[q], io);
    else
        for (int p = 0; p < kUnits / 2; ++p) runBlock<4>(mode, 2 * p, pairMasks[p], io);
}

namespace {

// The bits of the listed units (entries outside 0..15 are skipped), with each one's frames from
// `frames(v)`.
template <class Frames>
uint32_t listUnits(int count, const int* voiceList, TParaEQ::UnitIO* io, Frames frames) {
    uint32_t listed = 0;
    for (int i = 0; i < count; ++i) {
        const int v = voiceList[i];
        if (v < 0 || v >= TParaEQ::kUnits) continue;
        listed |= 1u << v;
        io[v] = frames(v);
    }
    return listed;
}

} // namespace

void TParaEQ::process(int mode, int count, const int* voiceList, stereoOverStruct* frameA,
                      stereoOverStruct* frameB) {
    if (count <= 0 || !voiceList || !frameA || !frameB) return;
    UnitIO io[kUnits];
    const uint32_t listed = listUnits(count, voiceList, io, [&](int v) {
        return UnitIO{{&frameA[v], &frameB[v]}, {&frameA[v], &frameB[v]}, {nullptr, nullptr}};
    });
    runUnits(mode, listed, io);
}

void TParaEQ::process(int mode, int count, const int* voiceList, const Frames* frames) {
    if (count <= 0 || !voiceList || !frames) return;
    UnitIO io[kUnits];
    const uint32_t listed = listUnits(count, voiceList, io, [&](int v) {
        const Frames& f = frames[v];
        return UnitIO{{&f.in[0], &f.in[1]}, {&f.out[0], &f.out[1]}, {&f.next[0], &f.next[1]}};
    });
    runUnits(mode, listed, io);
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
            coefs.band[b][k][laneOf(0)] = coefs.band[b][k][laneOf(0) + 1] = units[0].band[b][k];
    }
}

void TParaEQ::processFX(stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
                        stereoOverStruct& out2) {
    // Unit 0 alone, both bands whatever their flags, no cut filters; its partner's lanes run on
    // silence and keep their states.
    ParaEQLaneMasks<4> m{};
    const int lane = laneOf(0);
    for (int b = 0; b < 2; ++b) m.band[b][lane] = m.band[b][lane + 1] = -1;
    m.lanes[lane] = m.lanes[lane + 1] = -1;
    m.bandRun[0] = m.bandRun[1] = 1;
    m.heldHalves = 1;
    alignas(16) float lanes[4][4];
    const stereoStruct in[4] = {in1.first, in1.second, in2.first, in2.second};
    for (int k = 0; k < 4; ++k) {
        lanes[k][0] = lanes[k][1] = scaled(0.0f);
        lanes[k][lane] = scaled(in[k].right);
        lanes[k][lane + 1] = scaled(in[k].left);
    }
    runLanesV<4, kLanes>(coefs, states, 0, lanes, 0, m, 2);
    stereoStruct* out[4] = {&out1.first, &out1.second, &out2.first, &out2.second};
    for (int k = 0; k < 4; ++k)
        *out[k] = {10.0f * lanes[k][lane + 1] + kOffset, 10.0f * lanes[k][lane] + kOffset};
}

// ---- TUniParaEQ -------------------------------------------------------------------------

void TUniParaEQ::init(float rate) {
    rates.set(rate);
    unit = ParaEQUnit{};
    coefs = ParaEQCoefBank<4>{};
    for (ParaEQStateBank<4>& s : groups) s = ParaEQStateBank<4>{};
}

void TUniParaEQ::reset() {
    for (ParaEQStateBank<4>& s : groups) s = ParaEQStateBank<4>{};
}

void TUniParaEQ::designParameters(int band, float gain, float freq, float bw) {
    if (band < 0 || band >= TParaEQ::kBands) return;
    if (!designBand(rates, unit, band, gain, freq, bw)) return;
    for (int k = 0; k < 5; ++k)
        for (float& x : coefs.band[band][k]) x = unit.band[band][k];
}

void TUniParaEQ::setFilter(float lowPass, float highPass, float lowPassMod, float highPassMod) {
    if (updateFilter(rates, unit, lowPass, highPass, lowPassMod, highPassMod))
        storeUnit(coefs, unit, 0, 4, false, true);
}

// Two sub-voices per run: 2g in lanes 2 and 3, 2g + 1 in lanes 0 and 1. For odd n the last
// sub-voice fills its group twice.
void TUniParaEQ::runGroups(int mode, int n, const TParaEQ::UnitIO* io, bool writeCopy) {
    ParaEQLaneMasks<4> m{};
    for (int b = 0; b < TParaEQ::kBands; ++b) {
        m.bandRun[b] = unit.bandActive[b] ? 2 : 0;
        for (int32_t& x : m.band[b]) x = -1;
    }
    for (int32_t& x : m.lanes) x = -1;
    m.allLanes = true;
    m.heldHalves = 1;
    for (int g = 0; g < (n + 1) / 2; ++g) {
        const TParaEQ::UnitIO& a = io[2 * g];
        const bool pair = 2 * g + 1 < n;
        const TParaEQ::UnitIO& b = pair ? io[2 * g + 1] : a;
        alignas(16) float lanes[4][4];
        for (int f = 0; f < 2; ++f) {
            putFrame(*a.in[f], &lanes[0][0], 2 * f, 2, 4);
            putFrame(*b.in[f], &lanes[0][0], 2 * f, 0, 4);
        }
        runLanesV<4, 4>(coefs, groups[g], 0, lanes, mode, m, TParaEQ::kBands);
        for (int f = 0; f < 2; ++f) {
            takeFrame(&lanes[0][0], 2 * f, 2, 4, a.out[f], a.next[f]);
            if (pair || writeCopy)
                takeFrame(&lanes[0][0], 2 * f, 0, 4, io[2 * g + 1].out[f],
                          pair ? b.next[f] : nullptr);
        }
    }
}

void TUniParaEQ::process(int mode, int n, stereoOverStruct* frameA, stereoOverStruct* frameB) {
    if (n < 1 || !frameA || !frameB) return;
    if (n > 6) n = 6;
    // Entry n of an odd n receives the copy's result.
    TParaEQ::UnitIO io[7];
    for (int j = 0; j < n + (n & 1); ++j) {
        const int from = j < n ? j : n - 1;
        io[j] = {{&frameA[from], &frameB[from]}, {&frameA[j], &frameB[j]}, {nullptr, nullptr}};
    }
    runGroups(mode, n, io, true);
}

void TUniParaEQ::process(int mode, int n, const TParaEQ::Frames* frames) {
    if (n < 1 || !frames) return;
    if (n > 6) n = 6;
    TParaEQ::UnitIO io[6];
    for (int j = 0; j < n; ++j)
        io[j] = {{&frames[j].in[0], &frames[j].in[1]},
                 {&frames[j].out[0], &frames[j].out[1]},
                 {&frames[j].next[0], &frames[j].next[1]}};
    runGroups(mode, n, io, false);
}
