// The voice filter's special types: the vowel and formant banks' coefficients, the three combs
// on their delay rings, and the ring and amplitude modulator. Audio thread only.
#include "dsp/FilterMath.h"
#include "dsp/TFilter.h"
#include "engine/tables/LookupTables.h"

#include <cmath>

using filtermath::pairVec;

namespace {

// Formant frequencies in Hz of the five vowels the "Vowel" type sweeps through; they hold at a
// cutoff of 440 Hz and move in proportion to it.
constexpr float kFormantTable[5][4] = {{650.0f, 1080.0f, 2650.0f, 2900.0f},
                                       {400.0f, 1700.0f, 2600.0f, 3200.0f},
                                       {290.0f, 1870.0f, 2800.0f, 3250.0f},
                                       {400.0f, 800.0f, 2800.0f, 3000.0f},
                                       {350.0f, 600.0f, 2700.0f, 2900.0f}};

// The index of a band at normalised frequency w; bands above 0.4 sit at 0.4.
int bandIndex(float w) {
    return w > 0.4f ? 104857 : clampTableIndex(w * 262143.0f, LUT_FILTER_SIZE);
}

struct BandCoefs {
    float b0, a1, a2;
};

// The band-pass section of "Formant 2" and "Formant 4".
BandCoefs formantBand(const LookupTables& t, float w, float res) {
    const int i = bandIndex(w);
    const int j = static_cast<int>(res * 131071.0f);
    const float alpha = t.Filter2Sine[i] * t.FilterInvTmpq[j];
    return {2.0f * alpha * t.FilterTmpqs[j] / (1.0f + alpha) + 1e-15f,
            1e-15f - 2.0f * t.Filter2Cos[i] / (1.0f + alpha),
            (1.0f - alpha) / (1.0f + alpha) + 1e-15f};
}

// A vowel band: constant relative width, narrowing as the resonance rises.
BandCoefs vowelBand(const LookupTables& t, float w, float res) {
    if (w > 0.4f) w = 0.4f;
    const float width = (res * 0.399f + 0.2f) * 262143.0f;
    const float cc = t.FilterVoxC[clampTableIndex(width * w, LUT_FILTER_SIZE)];
    const float e = t.FilterVoxD[clampTableIndex(w * 262143.0f, LUT_FILTER_SIZE)];
    return {1.0f / (1.0f + cc), -cc * e / (1.0f + cc), (cc - 1.0f) / (1.0f + cc)};
}

} // namespace

void TFilter::computeSpecialCoefficients() {
    const LookupTables& t = *tables;
    const float res = resonance;
    const float v = vowelPos;

    if (type >= 35 && type <= 37) {
        BandCoefs bands[4][2];
        if (type == 35) {
            const float p = 4.99f * v + 1996.0f;
            float pw = p - 4.99f * std::trunc(p / 4.99f);
            if (!(pw >= 0.0f)) pw = 0.0f;
            int row = static_cast<int>(pw);
            const float u = pw - std::floor(pw);
            if (row > 4) row = 4;
            const int next = row < 4 ? row + 1 : 0;
            for (int ch = 0; ch < 2; ++ch) {
                const float hz = cutoffHz[ch] < ceiling ? cutoffHz[ch] : ceiling;
                for (int k = 0; k < 4; ++k) {
                    const float f = kFormantTable[row][k] * (1.0f - u) + kFormantTable[next][k] * u;
                    bands[k][ch] = vowelBand(t, f * (hz / 440.0f) * invDoubleRate, res);
                }
            }
        } else {
            const float spread = 0.6666667f * v;
            for (int ch = 0; ch < 2; ++ch) {
                const float base = (cutoffHz[ch] + 0.001f) * invDoubleRate;
                for (int k = 0; k < 4; ++k) {
                    double octaves;
                    if (type == 37)
                        octaves = 2.0 * static_cast<double>(k * spread - v);
                    else
                        octaves = k < 2 ? -2.0 * v : 2.0 * v; // each formant doubled
                    const float w = static_cast<float>(std::exp2(octaves)) * base + 1e-15f;
                    bands[k][ch] = formantBand(t, w, res);
                }
            }
        }
        for (int k = 0; k < 4; ++k) {
            c.fB0[k] = pairVec(bands[k][0].b0, bands[k][1].b0);
            c.fA1[k] = pairVec(bands[k][0].a1, bands[k][1].a1);
            c.fA2[k] = pairVec(bands[k][0].a2, bands[k][1].a2);
        }
    } else if (type >= 38 && type <= 40) {
        for (int ch = 0; ch < 2; ++ch) {
            const float hz = cutoffHz[ch] < ceiling ? cutoffHz[ch] : ceiling;
            // One period of the cutoff at twice the rate, in 1/256 samples: at least just over
            // two samples, and under one ring length.
            double d = static_cast<double>(rate) * 512.0 / static_cast<double>(hz);
            if (!(d <= 2097151.0)) d = 2097151.0;
            if (d < 513.0) d = 513.0;
            combDelay[ch] = static_cast<int32_t>(d);
        }
        combGain = static_cast<float>(std::sqrt(std::sqrt(static_cast<double>(res)))) + 1e-15f;
        if (type == 39) combGain = -combGain;
    } else if (type == 41 || type == 42) {
        // The modulator follows the cutoff control directly, without the smoothing.
        for (int ch = 0; ch < 2; ++ch) {
            const float p =
                cutoffIn[ch] + cutoffModIn[ch] + envTerm + lfoTerm + velTerm + wheelTerm;
            const float e = p > 0.0f ? (p > 1.0f ? 10.0f : 10.0f * p) : 0.0f;
            const float hz = keyTrack * std::exp2(e) * 20.0f;
            ringIncrement[ch] = hz * invDoubleRate + 1e-15f;
        }
        ringDepth = res + 1e-15f;
    }
}

// The modulator's gain for the four sub-frames of this call; the phase advances four steps.
void TFilter::ringModulators(Float4 (&m)[4]) {
    constexpr float kTwoPi = 6.2831855f;
    float gain[2][4];
    for (int ch = 0; ch < 2; ++ch) {
        float phase = ringPhase[ch];
        for (int k = 0; k < 4; ++k) {
            const float s = std::sin(kTwoPi * phase);
            const float mod = type == 41 ? s : 0.5f * s + 0.5f;
            gain[ch][k] = (1.0f - ringDepth) + ringDepth * mod;
            phase += ringIncrement[ch];
            phase -= std::floor(phase);
        }
        ringPhase[ch] = filtermath::finiteOr0(phase);
    }
    for (int k = 0; k < 4; ++k) m[k] = pairVec(gain[0][k], gain[1][k]);
}

// The combs over four sub-frames of one stereo signal. Slots written fewer sub-frames ago than
// `fill` counts hold this note's signal; older slots read as the silence a cleared ring holds.
void TFilter::runComb(int inRing, int outRing, float (&left)[4], float (&right)[4], int fill,
                      bool fullScale) {
    float(*in)[2] = rings[inRing];
    float(*out)[2] = rings[outRing];
    float* xs[2] = {left, right};
    const float g = combGain;
    if (fill >= kRingFrames) {
        // Every slot holds this note's signal: the same steps without the validity checks.
        const bool pingPong = type == 40;
        const float gains[2] = {pingPong ? -g : g, g};
        const float inScale = fullScale ? 10.0f : 1.0f;
        for (int k = 0; k < 4; ++k) {
            int slot[2], read[2];
            for (int ch = 0; ch < 2; ++ch) {
                const uint32_t p = combPos[ch] + 256u * static_cast<uint32_t>(k);
                slot[ch] = static_cast<int>((p >> 8) & 8191u);
                read[ch] =
                    static_cast<int>(((p - static_cast<uint32_t>(combDelay[ch])) >> 8) & 8191u);
                const float x = filtermath::finiteOr0(xs[ch][k]);
                in[slot[ch]][ch] = (fullScale ? inScale * x : x) + 1e-15f;
            }
            float y[2];
            for (int ch = 0; ch < 2; ++ch) {
                const int src = pingPong ? 1 - ch : ch;
                const float sum = gains[ch] * out[read[ch]][src] + in[read[ch]][src];
                y[ch] = sum < -10.0f ? -10.0f : (sum > 10.0f ? 10.0f : sum + 1e-15f);
            }
            for (int ch = 0; ch < 2; ++ch) {
                out[slot[ch]][ch] = y[ch];
                xs[ch][k] = y[ch];
            }
        }
        return;
    }
    for (int k = 0; k < 4; ++k) {
        const int written = fill + k; // sub-frames before this one since the clear
        int slot[2], read[2];
        bool inValid[2], outValid[2];
        for (int ch = 0; ch < 2; ++ch) {
            const uint32_t p = combPos[ch] + 256u * static_cast<uint32_t>(k);
            slot[ch] = static_cast<int>((p >> 8) & 8191u);
            read[ch] = static_cast<int>(((p - static_cast<uint32_t>(combDelay[ch])) >> 8) & 8191u);
            if (fill >= kRingFrames) { // every slot holds this note's signal
                inValid[ch] = outValid[ch] = true;
            } else {
                const int distance = (slot[ch] - read[ch]) & 8191;
                inValid[ch] = distance == 0 || distance <= written;
                outValid[ch] = (distance == 0 ? kRingFrames : distance) <= written;
            }
            const float x = filtermath::finiteOr0(xs[ch][k]);
            in[slot[ch]][ch] = (fullScale ? 10.0f * x : x) + 1e-15f;
        }
        float y[2];
        for (int ch = 0; ch < 2; ++ch) {
            // Ping-pong feeds each channel from the other one's rings, with opposite signs.
            const int src = type == 40 ? 1 - ch : ch;
            const float gain = type == 40 ? (ch == 0 ? -g : g) : g;
            const float dry = inValid[ch] ? in[read[ch]][src] : 0.0f;
            const float wet = outValid[ch] ? out[read[ch]][src] : 0.0f;
            const float sum = gain * wet + dry;
            y[ch] = sum < -10.0f ? -10.0f : (sum > 10.0f ? 10.0f : sum + 1e-15f);
        }
        for (int ch = 0; ch < 2; ++ch) {
            out[slot[ch]][ch] = y[ch];
            xs[ch][k] = y[ch];
        }
    }
}

namespace {

inline void transpose(Float4 r0, Float4 r1, Float4 r2, Float4 r3, Float4 (&out)[4]) {
    _MM_TRANSPOSE4_PS(r0.v, r1.v, r2.v, r3.v);
    out[0] = r0;
    out[1] = r1;
    out[2] = r2;
    out[3] = r3;
}

inline Float4 select(__m128 mask, Float4 yes, Float4 no) {
    return _mm_or_ps(_mm_and_ps(mask, yes.v), _mm_andnot_ps(mask, no.v));
}

} // namespace

// The per-sub-voice steps of runComb at full scale, with the sub-voices across lanes: they share
// the delay and write position, so only the rings differ. Sub-voices from n on keep their rings
// untouched, as they would if they did not run.
void TFilter::runCombBlock(Float4 (&a)[kMaxSubVoices + 1], Float4 (&b)[kMaxSubVoices + 1], int n) {
    // x[k][ch][h]: sub-frame k, channel ch, sub-voices 4 h .. 4 h + 3.
    Float4 x[4][2][2];
    {
        Float4 t[4];
        transpose(a[0], a[1], a[2], a[3], t);
        x[0][0][0] = t[0], x[0][1][0] = t[1], x[1][0][0] = t[2], x[1][1][0] = t[3];
        transpose(a[4], a[5], Float4(), Float4(), t);
        x[0][0][1] = t[0], x[0][1][1] = t[1], x[1][0][1] = t[2], x[1][1][1] = t[3];
        transpose(b[0], b[1], b[2], b[3], t);
        x[2][0][0] = t[0], x[2][1][0] = t[1], x[3][0][0] = t[2], x[3][1][0] = t[3];
        transpose(b[4], b[5], Float4(), Float4(), t);
        x[2][0][1] = t[0], x[2][1][1] = t[1], x[3][0][1] = t[2], x[3][1][1] = t[3];
    }
    const __m128i count = _mm_set1_epi32(n);
    const __m128 live[2] = {_mm_castsi128_ps(_mm_cmplt_epi32(_mm_setr_epi32(0, 1, 2, 3), count)),
                            _mm_castsi128_ps(_mm_cmplt_epi32(_mm_setr_epi32(4, 5, 6, 7), count))};
    float(*in)[2][8] = subRings[0];
    float(*out)[2][8] = subRings[1];
    const int fill = blockRingFill;
    const bool pingPong = type == 40;
    const float g = combGain;
    const Float4 gains[2] = {Float4(pingPong ? -g : g), Float4(g)};
    const Float4 ten(10.0f), offset(1e-15f), high(10.0f), low(-10.0f);
    for (int k = 0; k < 4; ++k) {
        const int written = fill + k;
        int slot[2], read[2];
        bool inValid[2], outValid[2];
        for (int ch = 0; ch < 2; ++ch) {
            const uint32_t p = combPos[ch] + 256u * static_cast<uint32_t>(k);
            slot[ch] = static_cast<int>((p >> 8) & 8191u);
            read[ch] = static_cast<int>(((p - static_cast<uint32_t>(combDelay[ch])) >> 8) & 8191u);
            if (fill >= kRingFrames) {
                inValid[ch] = outValid[ch] = true;
            } else {
                const int distance = (slot[ch] - read[ch]) & 8191;
                inValid[ch] = distance == 0 || distance <= written;
                outValid[ch] = (distance == 0 ? kRingFrames : distance) <= written;
            }
            for (int h = 0; h < 2; ++h) {
                float* dst = &in[slot[ch]][ch][4 * h];
                const Float4 v = filtermath::finiteOrZero(x[k][ch][h]) * ten + offset;
                select(live[h], v, Float4::load(dst)).store(dst);
            }
        }
        Float4 y[2][2];
        for (int ch = 0; ch < 2; ++ch) {
            // Ping-pong feeds each channel from the other one's rings, with opposite signs.
            const int src = pingPong ? 1 - ch : ch;
            for (int h = 0; h < 2; ++h) {
                const Float4 dry = inValid[ch] ? Float4::load(&in[read[ch]][src][4 * h]) : Float4();
                const Float4 wet =
                    outValid[ch] ? Float4::load(&out[read[ch]][src][4 * h]) : Float4();
                const Float4 sum = gains[ch] * wet + dry;
                const __m128 below = _mm_cmplt_ps(sum.v, low.v);
                const __m128 above = _mm_cmpgt_ps(sum.v, high.v);
                y[ch][h] = select(below, low, select(above, high, sum + offset));
            }
        }
        for (int ch = 0; ch < 2; ++ch)
            for (int h = 0; h < 2; ++h) {
                float* dst = &out[slot[ch]][ch][4 * h];
                select(live[h], y[ch][h], Float4::load(dst)).store(dst);
                x[k][ch][h] = y[ch][h];
            }
    }
    Float4 t[4];
    transpose(x[0][0][0], x[0][1][0], x[1][0][0], x[1][1][0], t);
    for (int j = 0; j < 4; ++j) a[j] = t[j];
    transpose(x[0][0][1], x[0][1][1], x[1][0][1], x[1][1][1], t);
    a[4] = t[0], a[5] = t[1];
    transpose(x[2][0][0], x[2][1][0], x[3][0][0], x[3][1][0], t);
    for (int j = 0; j < 4; ++j) b[j] = t[j];
    transpose(x[2][0][1], x[2][1][1], x[3][0][1], x[3][1][1], t);
    b[4] = t[0], b[5] = t[1];
}
