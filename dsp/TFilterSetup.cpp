// The voice filter's set-up: rate, reset and type changes, the modulation setters, the
// pre-drive, the cutoff pipeline with its recompute decision, and the coefficients of types
// 0..34. init() runs on whichever thread sets the rate; the rest on the audio thread.
#include "dsp/FilterMath.h"
#include "dsp/FilterTables.h"
#include "dsp/Float8.h"
#include "dsp/ShortcutCounts.h"
#include "dsp/TFilter.h"

#include <cmath>
#include <cstring>

using filtermath::clamp01;
using filtermath::pairVec;

namespace {

// The damping of the resonant biquads and of the fixed biquads in front of the cascades.
constexpr float kBiquadDamping = 2.828427f;

// Index of the frequency tables for a cutoff normalised to the filter's own rate.
int frequencyIndex(float w) {
    return clampTableIndex(w * 262143.0f, LUT_FILTER_SIZE);
}

} // namespace

void TFilter::init(float newRate) {
    const bool accepted = newRate >= 5.0f && newRate <= 500000.0f; // false for NaN
    rate = accepted ? newRate : 44100.0f;
    invRate = 1.0f / rate;
    invDoubleRate = 1.0f / (2.0f * rate);
    ceiling = 0.4f * rate;
    tables = &filterTables();
    wide = hasAvx2();

    for (int ch = 0; ch < 2; ++ch) {
        cutoffIn[ch] = cutoffSmooth[ch] = cutoffModIn[ch] = 0.0f;
        cutoffHz[ch] = lastCutoffHz[ch] = 0.0f;
        tableW[ch] = 0.0f;
        tableIndex[ch] = 0;
        ringIncrement[ch] = 1.0f;
        combDelay[ch] = 1;
        combPos[ch] = 0;
        lastExponent[ch] = -1.0f;
    }
    directFlag = hpOn = 0;
    velTerm = wheelTerm = modWheel = envTerm = lfoTerm = drive = lastDistortIn = 0.0f;
    hpInputs[0] = -1.0f; // no set-up of the high-pass stage repeats one before init
    resonance = lastVowel = lastResonance = 0.0f;
    keyTrack = 1.0f;
    type = 0;
    ringDepth = 1.0f;
    combGain = 0.0f;
    hpResonance = hpCutoff = 0.0f;
    c = Coefs{};
    c.opB = Float4(1.0f);
    c.ringInc = Float4(1.0f);
    c.ringDepth = Float4(1.0f);
    ++coefSerial;
    reset();
}

void TFilter::clearStates() {
    clearPass();
    blockStale = true;
    ringPhase[0] = ringPhase[1] = 0.0f;
    passRingFill = blockRingFill = 0;
}

void TFilter::reset() {
    clearStates();
    history = 0;
    vowelPos = 0.0f;
    lastType = -1;
    controlsSettled = 0;
}

void TFilter::setType(int newType, bool clearOnChange) {
    if (newType == type) return;
    if (clearOnChange) {
        reset();
        cutoffHz[0] = cutoffHz[1] = -1.0f;
    }
    type = newType;
    controlsSettled = 0;
}

void TFilter::setTrack(float amount, float pitch) {
    keyTrack = static_cast<float>(
        std::exp2((2.0 * static_cast<double>(amount) - 1.0) * static_cast<double>(pitch)));
    keyTrack = filtermath::finiteOr0(keyTrack);
}

void TFilter::setVel(float amount, float velocity) {
    velTerm = (velocity - 0.5f) * (2.0f * amount - 1.0f);
}

void TFilter::setMod(float amount, float wheel) {
    modWheel = wheel;
    wheelTerm = (2.0f * amount - 1.0f) * wheel;
}

void TFilter::setEnv(float value) {
    envTerm = value;
}

void TFilter::setLFO(float depth, float value) {
    lfoTerm = depth * value;
}

void TFilter::setDriveFrom(float x) {
    lastDistortIn = x;
    drive = std::exp2(6.0f * clamp01(x)) - 1.0f;
}

void TFilter::setHP(float on, float trackOn, float resonanceOn, float frequency,
                    float resonanceValue, float keyOctaves) {
    if (!(on >= 0.5f)) {
        hpOn = 0;
        return;
    }
    hpOn = 1;
    // Called every pass: the same inputs would only find the stage unchanged.
    // Compared bit for bit, in registers: a copy through memory to compare would stall.
    const float inputs[4] = {trackOn, resonanceOn > 0.5f ? resonanceValue : -1.0f, frequency,
                             keyOctaves};
    const __m128i now = _mm_castps_si128(_mm_setr_ps(inputs[0], inputs[1], inputs[2], inputs[3]));
    const __m128i before = _mm_castps_si128(_mm_loadu_ps(hpInputs));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(now, before)) == 0xFFFF) return;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hpInputs), now);
    const float q = resonanceOn > 0.5f ? clamp01(resonanceValue) : 0.0f;
    float hz = 20.0f * std::exp2(10.0f * clamp01(frequency));
    if (trackOn > 0.5f) hz *= std::exp2(filtermath::finiteOr0(keyOctaves));
    if (hz > ceiling) hz = ceiling;
    if (std::fabs(hz - hpCutoff) <= 0.001f && std::fabs(q - hpResonance) <= 0.001f) return;
    hpCutoff = hz;
    hpResonance = q;
    const float w = (hz + 0.001f) * invDoubleRate + 1e-15f;
    c.hpF = Float4(tables->FilterSine[frequencyIndex(w)]);
    c.hpD = Float4(1.0f - q);
    ++coefSerial;
}

void TFilter::preDrive(float* x, int count) const {
    if (!(drive > 0.0001f)) return;
    const Float4 d(drive), gain(1.0f + drive);
    int i = 0;
    for (; i + 4 <= count; i += 4) drivePass(Float4::load(x + i), d, gain).store(x + i);
    for (; i < count; ++i) {
        const float y = (1.0f + drive) * x[i] / (1.0f + std::fabs(drive * x[i]));
        x[i] = y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y + 1e-15f);
    }
}

namespace {

// Both channels' floats {left, right} in lanes 0 and 1.
inline __m128 channels(const float (&x)[2]) {
    return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(x));
}

inline void storeChannels(float (&x)[2], __m128 v) {
    _mm_storel_pi(reinterpret_cast<__m64*>(x), v);
}

inline __m128 select(__m128 mask, __m128 yes, __m128 no) {
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

} // namespace

// Steps 3 to 6 and 8 of a call: controls, smoothing, cutoff in Hz, the recompute decision and
// the table index. True when the coefficients must be recomputed. The two channels run side by
// side in lanes, each with the scalar steps in the scalar order.
bool TFilter::updateControls(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue,
                             float vowel) {
    using filtermath::finiteOr0;
    // Once the smoothing has settled, a call with the inputs of the last one would find every
    // step as it stands: nothing to recompute. Compared bit for bit, in registers; the cutoffs
    // first, as they are what modulation moves, so a moving cutoff costs one comparison.
    __m128i* const before = reinterpret_cast<__m128i*>(controlInputs);
    const __m128i cutoffs =
        _mm_castps_si128(_mm_setr_ps(cutoff.left, cutoff.right, cutoffMod.left, cutoffMod.right));
    if (controlsSettled && _mm_movemask_epi8(_mm_cmpeq_epi32(cutoffs, before[0])) == 0xFFFF) {
        const int32_t typeBits = type;
        float typeAsFloat;
        std::memcpy(&typeAsFloat, &typeBits, sizeof typeAsFloat);
        const __m128i rest[2] = {
            _mm_castps_si128(_mm_setr_ps(resonanceValue, vowel, envTerm, lfoTerm)),
            _mm_castps_si128(_mm_setr_ps(velTerm, wheelTerm, keyTrack, typeAsFloat))};
        const __m128i equal =
            _mm_and_si128(_mm_cmpeq_epi32(rest[0], before[1]), _mm_cmpeq_epi32(rest[1], before[2]));
        if (restInputsValid && _mm_movemask_epi8(equal) == 0xFFFF) {
            ZEK2_SHORTCUT_TAKEN(FilterSettled);
            return false;
        }
        _mm_store_si128(before + 1, rest[0]);
        _mm_store_si128(before + 2, rest[1]);
        restInputsValid = 1;
    } else {
        _mm_store_si128(before, cutoffs);
        restInputsValid = 0; // the other inputs are those of an older call
    }
    const bool direct = directFlag != 0;

    const float r = finiteOr0(resonanceValue);
    resonance = r < 0.0f ? 0.0f : (r > 1.0f ? 0.95f : 0.95f * r);
    vowelPos = clamp01(vowel);
    const __m128 in =
        filtermath::finiteOrZero(Float4(cutoff.left, cutoff.right, cutoff.left, cutoff.right)).v;
    const __m128 mod = filtermath::finiteOrZero(
                           Float4(cutoffMod.left, cutoffMod.right, cutoffMod.left, cutoffMod.right))
                           .v;
    storeChannels(cutoffIn, in);
    storeChannels(cutoffModIn, mod);

    const __m128 smooth = directFlag
                              ? in
                              : _mm_add_ps(_mm_mul_ps(_mm_set1_ps(0.99f), channels(cutoffSmooth)),
                                           _mm_mul_ps(_mm_set1_ps(0.01f), in));
    // Settled: a further call on the same inputs gives the same smoothed value.
    const __m128i sameSmooth =
        _mm_cmpeq_epi32(_mm_castps_si128(smooth), _mm_castps_si128(channels(cutoffSmooth)));
    controlsSettled = !direct && !fullWork && (_mm_movemask_epi8(sameSmooth) & 0xFF) == 0xFF;
    storeChannels(cutoffSmooth, smooth);
    __m128 p = _mm_add_ps(smooth, mod);
    p = _mm_add_ps(p, _mm_set1_ps(envTerm));
    p = _mm_add_ps(p, _mm_set1_ps(lfoTerm));
    p = _mm_add_ps(p, _mm_set1_ps(velTerm));
    p = _mm_add_ps(p, _mm_set1_ps(wheelTerm));
    // 0 below (and for NaN), 10 above 1, else 10 p.
    const __m128 ten = _mm_set1_ps(10.0f);
    const __m128 e =
        _mm_and_ps(_mm_cmpgt_ps(p, _mm_setzero_ps()),
                   select(_mm_cmpgt_ps(p, _mm_set1_ps(1.0f)), ten, _mm_mul_ps(ten, p)));
    // Once the smoothing has settled the exponent repeats; the power is then reused. The right
    // channel mostly follows the left one exactly (no split): it takes its power.
    const __m128 track = _mm_set1_ps(keyTrack);
    const int same = _mm_movemask_ps(_mm_and_ps(_mm_cmpeq_ps(e, channels(lastExponent)),
                                                _mm_cmpeq_ps(track, channels(lastKeyTrack)))) &
                     3;
    if (same != 3) {
        alignas(16) float es[4];
        _mm_store_ps(es, e);
        for (int ch = 0; ch < 2; ++ch) {
            if (same & (1 << ch)) continue;
            lastExponent[ch] = es[ch];
            lastKeyTrack[ch] = keyTrack;
            if (ch == 1 && es[1] == lastExponent[0] && keyTrack == lastKeyTrack[0])
                lastPower[1] = lastPower[0];
            else
                lastPower[ch] = static_cast<float>(static_cast<double>(keyTrack) *
                                                   std::exp2(static_cast<double>(es[ch])) * 20.0);
        }
    }
    const __m128 hz = channels(lastPower);
    storeChannels(cutoffHz, hz);
    directFlag = 0;

    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 moved = _mm_cmpgt_ps(_mm_and_ps(_mm_sub_ps(hz, channels(lastCutoffHz)), absMask),
                                      _mm_set1_ps(1e-5f));
    const bool recompute = type != lastType || std::fabs(resonance - lastResonance) > 1e-5f ||
                           std::fabs(vowelPos - lastVowel) > 1e-5f ||
                           (_mm_movemask_ps(moved) & 3) != 0;
    lastType = type;
    storeChannels(lastCutoffHz, hz);
    lastVowel = vowelPos;
    lastResonance = resonance;

    // The table index as clampTableIndex finds it: 0 below (and for NaN), the last entry at
    // and above it, else truncated.
    const __m128 below = _mm_min_ps(hz, _mm_set1_ps(ceiling)); // hz < ceiling ? hz : ceiling
    const __m128 w =
        _mm_add_ps(_mm_mul_ps(_mm_add_ps(below, _mm_set1_ps(0.001f)), _mm_set1_ps(invDoubleRate)),
                   _mm_set1_ps(1e-15f));
    storeChannels(tableW, w);
    const __m128 position = _mm_mul_ps(w, _mm_set1_ps(262143.0f));
    const __m128i last = _mm_set1_epi32(LUT_FILTER_SIZE - 1);
    const __m128i atTop = _mm_castps_si128(
        _mm_cmpge_ps(position, _mm_set1_ps(static_cast<float>(LUT_FILTER_SIZE - 1))));
    const __m128i inside = _mm_castps_si128(_mm_cmpgt_ps(position, _mm_setzero_ps()));
    __m128i index = _mm_cvttps_epi32(position);
    index = _mm_or_si128(_mm_and_si128(atTop, last), _mm_andnot_si128(atTop, index));
    index = _mm_and_si128(inside, index);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(tableIndex), index);
    return recompute;
}

bool TFilter::usesHistory() const {
    return (type >= 7 && type <= 10) || type == 19 || type == 20 || type == 25 || type == 26 ||
           (type >= 33 && type <= 37);
}

// The slots of the shared three-slot history for the four sub-frames of this call.
void TFilter::historySlots(int (&slots)[4][3]) {
    static constexpr int kNext[3] = {1, 2, 0};
    static constexpr int kCurrent[3] = {2, 1, 0};
    static constexpr int kPrevious[3] = {0, 2, 1};
    static constexpr int kBefore[3] = {1, 0, 2};
    int j = history;
    for (auto& s : slots) {
        j = kNext[j];
        s[0] = kCurrent[j];
        s[1] = kPrevious[j];
        s[2] = kBefore[j];
    }
    if (usesHistory()) history = j;
}

void TFilter::computeCoefficients(float vowelArgument) {
    const FilterTables& t = *tables;
    const int iL = tableIndex[0], iR = tableIndex[1];
    const int idx[2] = {iL, iR};
    const float res = resonance;
    auto pair = [&](const float* table) { return pairVec(table[iL], table[iR]); };
    const int ty = type;
    const bool onePole = ty == 1 || ty == 2 || ty == 17 || ty == 18;
    const bool svf = (ty >= 3 && ty <= 6) || (ty >= 17 && ty <= 20) || ty == 25 || ty == 26;
    const bool biquad = (ty >= 7 && ty <= 10) || ty == 19 || ty == 20 || ty == 25 || ty == 26 ||
                        ty == 33 || ty == 34;
    const bool ladder = (ty >= 21 && ty <= 24) || ty == 33 || ty == 34;
    const bool zdf = (ty >= 11 && ty <= 16) || (ty >= 27 && ty <= 32);

    if (onePole) {
        c.opA = pairVec(2.0f * tableW[0], 2.0f * tableW[1]);
        c.opB = Float4(1.0f) - c.opA;
    }
    if (svf) {
        c.svfF = pair(t.FilterSine);
        c.svfD = Float4(1.0f - res + 1e-15f);
    }
    if (biquad) computeBiquad();
    if (ladder) {
        c.ladP = pair(t.FilterMFP);
        c.ladF = pair(t.FilterMFF);
        c.ladK = pairVec(res * t.FilterMFQ[iL], res * t.FilterMFQ[iR]);
    }
    if (zdf) {
        // One stage with the resonance table's damping, or two stages, the first at R = 0.5
        // and the second from the resonance.
        const bool twoStages = ty >= 27;
        const float r1 = twoStages ? 0.5f : t.FilterZQ[static_cast<int>(res * 0.995f * 131071.0f)];
        // The second stage's damping follows the resonance alone, which mostly stands still.
        if (twoStages && res != zdfResonance) {
            zdfResonance = res;
            zdfDamping =
                static_cast<float>(0.5 * std::exp2(-3.0 * 0.995 * static_cast<double>(res)));
        }
        const float r2 = twoStages ? zdfDamping : 0.0f;
        float c1[2], h1[2], c2[2], h2[2];
        for (int ch = 0; ch < 2; ++ch) {
            if (ch == 1 && idx[1] == idx[0]) { // no split: the right channel repeats the left
                c1[1] = c1[0], h1[1] = h1[0], c2[1] = c2[0], h2[1] = h2[0];
                break;
            }
            const float g = t.FilterZTan[idx[ch]];
            c1[ch] = 2.0f * r1 + g;
            h1[ch] = 1.0f / (g * g + 2.0f * r1 * g + 1.0f);
            c2[ch] = 2.0f * r2 + g;
            h2[ch] = 1.0f / (g * g + 2.0f * r2 * g + 1.0f);
        }
        c.zG = pair(t.FilterZTan);
        c.zC1 = pairVec(c1[0], c1[1]);
        c.zH1 = pairVec(h1[0], h1[1]);
        c.zC2 = pairVec(c2[0], c2[1]);
        c.zH2 = pairVec(h2[0], h2[1]);
    }

    // Multi-mode weights. The vowel control is held to 0..1 here as everywhere else, so that
    // modulation past the ends cannot turn the morph into a gain of several times.
    const float m = clamp01(vowelArgument);
    if (ty == 15 || ty == 31) {
        c.wLP = Float4(1.0f - m);
        c.wBP = Float4(0.0f);
        c.wHP = Float4(m);
    } else if (ty == 16 || ty == 32) {
        if (m < 0.5f) {
            c.wLP = Float4(1.0f - 2.0f * m);
            c.wBP = Float4(2.0f * m);
            c.wHP = Float4(0.0f);
        } else {
            c.wLP = Float4(0.0f);
            c.wBP = Float4(1.0f - (2.0f * m - 1.0f));
            c.wHP = Float4(2.0f * m - 1.0f);
        }
    }

    if (ty >= 35) computeSpecialCoefficients();
    ++coefSerial;
}

// The biquad of the type's recipe, per channel.
void TFilter::computeBiquad() {
    const FilterTables& t = *tables;
    const float res = resonance;
    float b0[2] = {}, b1[2] = {}, b2[2] = {}, a1[2] = {}, a2[2] = {};
    for (int ch = 0; ch < 2; ++ch) {
        const int i = tableIndex[ch];
        switch (type) {
        case 7:
        case 19:
        case 33: {
            const float k = type == 7 ? kBiquadDamping * (1.0f - res) : kBiquadDamping;
            const float tt = t.Filter12Lo2[i];
            const float d = 1.0f / (tt * tt + k * tt + 1.001f);
            b0[ch] = b2[ch] = d;
            b1[ch] = 2.0f * d;
            a1[ch] = 2.0f * (1.0f - tt * tt) * d;
            a2[ch] = (tt * tt - k * tt + 1.0f) * d;
            break;
        }
        case 8:
        case 20:
        case 34: {
            const float k = type == 8 ? kBiquadDamping * (1.0f - res) : kBiquadDamping;
            const float tt = t.Filter12Hi2[i];
            const float d = 1.0f / (tt * tt + k * tt + 1.0001f);
            b0[ch] = b2[ch] = d;
            b1[ch] = -2.0f * d;
            a1[ch] = 2.0f * (tt * tt - 1.0f) * d;
            a2[ch] = (tt * tt - k * tt + 1.0f) * d;
            break;
        }
        case 9:
        case 25: {
            const int j = static_cast<int>(res * 131071.0f);
            const float alpha = t.Filter2Sine[i] * t.FilterInvTmpq[j];
            const float g = 2.0f * alpha * t.FilterTmpqs[j] / (1.0f + alpha);
            b0[ch] = g + 1e-15f;
            b1[ch] = 1e-15f;
            b2[ch] = 1e-15f - g;
            a1[ch] = 1e-15f - 2.0f * t.Filter2Cos[i] / (1.0f + alpha);
            a2[ch] = (1.0f - alpha) / (1.0f + alpha) + 1e-15f;
            break;
        }
        case 10:
        case 26: {
            const float q = 1.96f * (1.0f - 0.98f * res);
            const float alpha = t.Filter2Sine[i] / q;
            b0[ch] = b2[ch] = 1.0f / (1.0f + alpha) + 1e-15f;
            b1[ch] = a1[ch] = 1e-15f - 2.0f * t.Filter2Cos[i] / (1.0f + alpha);
            a2[ch] = (1.0f - alpha) / (1.0f + alpha) + 1e-15f;
            break;
        }
        default:
            break;
        }
    }
    c.b0 = pairVec(b0[0], b0[1]);
    c.b1 = pairVec(b1[0], b1[1]);
    c.b2 = pairVec(b2[0], b2[1]);
    c.a1 = pairVec(a1[0], a1[1]);
    c.a2 = pairVec(a2[0], a2[1]);
}

void TFilter::sanitize(Lanes& s, const Float4 (&out)[4]) {
    // Every state reaches the output within a call or two, so checking the output is enough to
    // notice one that stopped being finite.
    if (filtermath::allFinite(out[0]) && filtermath::allFinite(out[1]) &&
        filtermath::allFinite(out[2]) && filtermath::allFinite(out[3]))
        return;
    s = Lanes{};
}
