// The voice filter's special types: the vowel and formant banks' coefficients, the three combs
// on their delay rings, and the ring and amplitude modulator. Audio thread only.
#include "dsp/FilterMath.h"
#include "dsp/FilterTables.h"
#include "dsp/TFilter.h"

#include <cmath>
#include <type_traits>

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
BandCoefs formantBand(const FilterTables& t, float w, float res) {
    const int i = bandIndex(w);
    const int j = static_cast<int>(res * 131071.0f);
    const float alpha = t.Filter2Sine[i] * t.FilterInvTmpq[j];
    return {2.0f * alpha * t.FilterTmpqs[j] / (1.0f + alpha) + 1e-15f,
            1e-15f - 2.0f * t.Filter2Cos[i] / (1.0f + alpha),
            (1.0f - alpha) / (1.0f + alpha) + 1e-15f};
}

// A vowel band: constant relative width, narrowing as the resonance rises.
BandCoefs vowelBand(const FilterTables& t, float w, float res) {
    if (w > 0.4f) w = 0.4f;
    const float width = (res * 0.399f + 0.2f) * 262143.0f;
    const float cc = t.FilterVoxC[clampTableIndex(width * w, LUT_FILTER_SIZE)];
    const float e = t.FilterVoxD[clampTableIndex(w * 262143.0f, LUT_FILTER_SIZE)];
    return {1.0f / (1.0f + cc), -cc * e / (1.0f + cc), (cc - 1.0f) / (1.0f + cc)};
}

} // namespace

void TFilter::computeSpecialCoefficients() {
    const FilterTables& t = *tables;
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
void TFilter::runComb(int inRing, int outRing, float (&left)[4], float (&right)[4], int fill) {
    float(*in)[2] = rings[inRing];
    float(*out)[2] = rings[outRing];
    float* xs[2] = {left, right};
    const float g = combGain;
    if (fill >= kRingFrames) {
        // Every slot holds this note's signal: the same steps without the validity checks.
        const bool pingPong = type == 40;
        const float gains[2] = {pingPong ? -g : g, g};
        for (int k = 0; k < 4; ++k) {
            int slot[2], read[2];
            for (int ch = 0; ch < 2; ++ch) {
                const uint32_t p = combPos[ch] + 256u * static_cast<uint32_t>(k);
                slot[ch] = static_cast<int>((p >> 8) & 8191u);
                read[ch] =
                    static_cast<int>(((p - static_cast<uint32_t>(combDelay[ch])) >> 8) & 8191u);
                const float x = filtermath::finiteOr0(xs[ch][k]);
                in[slot[ch]][ch] = x + 1e-15f;
            }
            float y[2];
            for (int ch = 0; ch < 2; ++ch) {
                const int src = pingPong ? 1 - ch : ch;
                const float sum = gains[ch] * out[read[ch]][src] + in[read[ch]][src];
                y[ch] = sum < -kCombLimit ? -kCombLimit
                                          : (sum > kCombLimit ? kCombLimit : sum + 1e-15f);
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
            in[slot[ch]][ch] = x + 1e-15f;
        }
        float y[2];
        for (int ch = 0; ch < 2; ++ch) {
            // Ping-pong feeds each channel from the other one's rings, with opposite signs.
            const int src = type == 40 ? 1 - ch : ch;
            const float gain = type == 40 ? (ch == 0 ? -g : g) : g;
            const float dry = inValid[ch] ? in[read[ch]][src] : 0.0f;
            const float wet = outValid[ch] ? out[read[ch]][src] : 0.0f;
            const float sum = gain * wet + dry;
            y[ch] =
                sum < -kCombLimit ? -kCombLimit : (sum > kCombLimit ? kCombLimit : sum + 1e-15f);
        }
        for (int ch = 0; ch < 2; ++ch) {
            out[slot[ch]][ch] = y[ch];
            xs[ch][k] = y[ch];
        }
    }
}

namespace {

// Two sub-voices of one channel at `left` and of the other at `right`, as lanes {0, 1} and
// {2, 3}.
inline Float4 loadPiece(const float* left, const float* right) {
    const __m128 lo = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(left));
    return _mm_loadh_pi(lo, reinterpret_cast<const __m64*>(right));
}

// Stores lanes {0, 1} at `left` and {2, 3} at `right`; with `single`, lanes 0 and 2 alone.
// Stores only: the slots written last held a signal one ring length old, far out of the cache,
// and loading them to merge would wait for it.
inline void storePiece(Float4 x, float* left, float* right, bool single) {
    if (single) {
        _mm_store_ss(left, x.v);
        _mm_store_ss(right, _mm_movehl_ps(x.v, x.v));
        return;
    }
    _mm_storel_pi(reinterpret_cast<__m64*>(left), x.v);
    _mm_storeh_pi(reinterpret_cast<__m64*>(right), x.v);
}

} // namespace

// The per-sub-voice steps of runComb at full scale, two sub-voices at a time: they share the
// delay and write position, so only the rings differ, and one vector holds both channels of a
// pair. A sub-voice from n on keeps its rings untouched, as it would if it did not run.
void TFilter::runCombBlock(Float4 (&a)[kMaxSubVoices + 1], Float4 (&b)[kMaxSubVoices + 1], int n) {
    int slot[4][2], read[4][2];
    bool inValid[4][2], outValid[4][2];
    const int fill = blockRingFill;
    for (int k = 0; k < 4; ++k) {
        const int written = fill + k;
        for (int ch = 0; ch < 2; ++ch) {
            const uint32_t p = combPos[ch] + 256u * static_cast<uint32_t>(k);
            slot[k][ch] = static_cast<int>((p >> 8) & 8191u);
            read[k][ch] =
                static_cast<int>(((p - static_cast<uint32_t>(combDelay[ch])) >> 8) & 8191u);
            if (fill >= kRingFrames) {
                inValid[k][ch] = outValid[k][ch] = true;
            } else {
                const int distance = (slot[k][ch] - read[k][ch]) & 8191;
                inValid[k][ch] = distance == 0 || distance <= written;
                outValid[k][ch] = (distance == 0 ? kRingFrames : distance) <= written;
            }
        }
    }
    // Lanes {0, 1} read the left channel's slots, {2, 3} the right one's: a lane whose slot was
    // never written reads 0. With the rings filled every slot counts.
    __m128 dryValid[4], wetValid[4];
    bool allValid = true;
    for (int k = 0; k < 4; ++k) {
        dryValid[k] = _mm_castsi128_ps(
            _mm_setr_epi32(-inValid[k][0], -inValid[k][0], -inValid[k][1], -inValid[k][1]));
        wetValid[k] = _mm_castsi128_ps(
            _mm_setr_epi32(-outValid[k][0], -outValid[k][0], -outValid[k][1], -outValid[k][1]));
        allValid = allValid && inValid[k][0] && inValid[k][1] && outValid[k][0] && outValid[k][1];
    }
    const bool pingPong = type == 40;
    const int src0 = pingPong ? 1 : 0, src1 = pingPong ? 0 : 1;
    const float g = combGain;
    const Float4 gains(pingPong ? -g : g, pingPong ? -g : g, g, g);
    // The signal runs at full scale here, ten times the per-pass form's level.
    const Float4 ten(10.0f), offset(1e-15f), high(10.0f * kCombLimit), low(-10.0f * kCombLimit);
    auto run = [&](int j, auto masked) {
        const bool single = j + 1 >= n; // the odd one out: sub-voice j + 1 does not run
        float(*in)[2][2] = subRings[0][j / 2];
        float(*out)[2][2] = subRings[1][j / 2];
        // Sub-frame k of sub-voices j and j + 1: {L of j, L of j + 1, R of j, R of j + 1}.
        Float4 x[4] = {_mm_unpacklo_ps(a[j].v, a[j + 1].v), _mm_unpackhi_ps(a[j].v, a[j + 1].v),
                       _mm_unpacklo_ps(b[j].v, b[j + 1].v), _mm_unpackhi_ps(b[j].v, b[j + 1].v)};
        for (int k = 0; k < 4; ++k) {
            float* inL = in[slot[k][0]][0];
            float* inR = in[slot[k][1]][1];
            const Float4 v = filtermath::finiteOrZero(x[k]) * ten + offset;
            storePiece(v, inL, inR, single);
            // Ping-pong feeds each channel from the other one's rings, with opposite signs.
            Float4 dry = loadPiece(in[read[k][0]][src0], in[read[k][1]][src1]);
            Float4 wet = loadPiece(out[read[k][0]][src0], out[read[k][1]][src1]);
            if constexpr (decltype(masked)::value) {
                dry = _mm_and_ps(dryValid[k], dry.v);
                wet = _mm_and_ps(wetValid[k], wet.v);
            }
            // Held to +-high; the max and min keep a NaN, as the comparisons would pass it.
            const Float4 y = min(high, max(low, gains * wet + dry + offset));
            float* outL = out[slot[k][0]][0];
            float* outR = out[slot[k][1]][1];
            storePiece(y, outL, outR, single);
            x[k] = y;
        }
        // Back into frames {L0, R0, L1, R1} of sub-voices j and j + 1.
        a[j] = _mm_shuffle_ps(x[0].v, x[1].v, _MM_SHUFFLE(2, 0, 2, 0));
        a[j + 1] = _mm_shuffle_ps(x[0].v, x[1].v, _MM_SHUFFLE(3, 1, 3, 1));
        b[j] = _mm_shuffle_ps(x[2].v, x[3].v, _MM_SHUFFLE(2, 0, 2, 0));
        b[j + 1] = _mm_shuffle_ps(x[2].v, x[3].v, _MM_SHUFFLE(3, 1, 3, 1));
    };
    for (int j = 0; j < n; j += 2) {
        if (allValid)
            run(j, std::false_type{});
        else
            run(j, std::true_type{});
    }
}
