// The oscillators' samples (audio thread, inside a render pass): four 2x-rate samples per
// sub-voice and oscillator, with spread, symmetry, ZEK morph, wrap, bits, feedback, noise, the
// sub-oscillator, oscillator 2's sync and modulation modes, and the mix into the path buffers.
#include "engine/APlugin.h"

#include "dsp/FastMath.h"
#include "dsp/Float4.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/OscParams.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

constexpr uint32_t kPhaseMask = 0xFFFFFF;
constexpr float kPhaseLimit = 8388607.0f; // a step of more than half a cycle is not a pitch

// What the first oscillator to reach the output adds its frames to: the sums from zero as
// they were when every slot's frames were cleared first.
alignas(16) constexpr float kZeroFrames[8] = {};

enum ModMode { kModOff = 0, kModPM, kModFM, kModRing, kModMix, kModSign, kModAnd };

// A float phase step turned into an integer one. NaN and values beyond half a cycle either way
// saturate first, so extreme tuning or pitch modulation cannot overflow the conversion.
inline uint32_t stepOf(float x) {
    if (!(x > -kPhaseLimit)) x = (x != x) ? 0.0f : -kPhaseLimit;
    if (x > kPhaseLimit) x = kPhaseLimit;
    return static_cast<uint32_t>(static_cast<int32_t>(x));
}

// A table index from a 24-bit position through a symmetry row.
inline int warp(const int32_t* row, uint32_t pos) {
    return row[(pos & kPhaseMask) >> 12 & 0xFFF];
}

inline int zekMorph(int i, float amount, float fx, float fy) {
    const float u = static_cast<float>(i) * (1.0f / 4095.99f);
    const float ax = fx * u, by = 100.0f - fy * (1.0f - u);
    const float a = ax - std::floor(ax);
    const float b = by - std::floor(by);
    const float m = (b - a - 1.0f) * u + a;
    return static_cast<int>((amount * m + u) * 4095.99f) & 0xFFF;
}

// Triangle fold of a sample whose magnitude the wrap gains stretch beyond 1.
inline float wrapFold(float x, float negGain, float posGain) {
    if (x == 0.0f) return 0.0f;
    const float g = x < 0.0f ? -x * negGain : x * posGain;
    const float folded = 1.0f - std::fabs(g - 2.0f * std::floor(g * 0.5f) - 1.0f);
    return x < 0.0f ? -folded : folded;
}

inline float crush(float x, float q, float invQ) {
    return x < 0.0f ? -std::floor(-x * q) * invQ : std::floor(x * q) * invQ;
}

inline float modulate(int mode, float x, float a, float m) {
    switch (mode) {
    case kModRing:
        return x * (1.0f - a) + m * a * x;
    case kModMix:
        return x * (1.0f - a) + m * a;
    case kModSign: {
        const float s = m > 0.0f ? 1.0f : (m < 0.0f ? -1.0f : 0.0f);
        return x * (1.0f - a) + std::fabs(x) * a * s;
    }
    case kModAnd: {
        const int bits = static_cast<int>(x * 255.0f) & static_cast<int>(m * 255.0f);
        return x * (1.0f - a) + static_cast<float>(bits) * a * (1.0f / 255.0f);
    }
    default:
        return x;
    }
}

// A table index from a 24-bit position through a symmetry row, or straight from the position
// where the row is the identity (centred symmetry), which saves a dependent load per sample.
inline int warpOrPlain(const int32_t* row, uint32_t pos) {
    return row ? warp(row, pos) : static_cast<int>((pos & kPhaseMask) >> 12 & 0xFFF);
}

// Two adjacent floats (a, b) as (a, b, a, b).
inline Float4 pairTwice(const float* p) {
    const __m128 t = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
    return Float4(_mm_movelh_ps(t, t));
}

// Four scalars into one vector without a trip through memory.
inline Float4 pack4(const float* x) {
    return Float4(_mm_movelh_ps(_mm_unpacklo_ps(_mm_set_ss(x[0]), _mm_set_ss(x[1])),
                                _mm_unpacklo_ps(_mm_set_ss(x[2]), _mm_set_ss(x[3]))));
}

// The two half-pass gains: the amp envelope's depth (either polarity) times the level, the
// envelope stepped once per half. The envelope's value stays in a register between the halves:
// the store of a gain could otherwise be its alias and force a reload.
inline void ampGains(bool positive, float amount, const float* gain, EnvState& env, float* g) {
    float value = env.value;
    const float step = env.step;
    for (int h = 0; h < 2; ++h) {
        const float f = positive ? amount * value + 1.0f - amount : 1.0f - amount * value;
        value += step;
        g[h] = f * gain[h];
    }
    env.value = value;
}

// A sample through the morph, fold and bit reduction in use, as the general render shapes it.
inline float shapedSample(const OscVoice& pm, int i) {
    if (pm.zek > 0.0001f) i = zekMorph(i, pm.zek, pm.zekX, pm.zekY);
    float x = pm.table[i & 0xFFF];
    if (pm.wrapOn) x = wrapFold(x, pm.wrapNeg, pm.wrapPos);
    if (pm.bitsOn) x = crush(x, pm.bitsQ, pm.bitsInvQ);
    return x;
}

// One copy's four samples (down or up) and its phase and feedback carried on; with `PM` each
// sample's position is moved by oscillator 1's mono mix times the depth; with `Shaped` each
// sample goes through the ZEK morph, wrap fold and bit reduction in use; without `Feed` the
// feedback scale is known to be 0 and not looked at. Always inlined: as a call its phase and
// feedback would go through memory twice per copy.
template <bool PM, bool Shaped, bool Feed, bool Rows>
[[gnu::always_inline]] inline void plainCopy(const OscVoice& pm, const float inc[2], float factor,
                                             uint32_t& phase, float& feed, float* x,
                                             const float* pmIn) {
    for (int h = 0; h < 2; ++h) {
        const uint32_t step = stepOf(inc[h] * factor);
        uint32_t pos = phase + pm.phaseOffset;
        if (Feed && pm.feedScale != 0.0f) {
            float fb = feed * pm.feedScale;
            fb = fb > 1.0e9f ? 1.0e9f : (fb < -1.0e9f ? -1.0e9f : fb);
            pos += static_cast<uint32_t>(static_cast<int32_t>(fb));
        }
        uint32_t pos1 = pos + step;
        if constexpr (PM) {
            auto offset = [&pm](float m) {
                float d = m * pm.pmDepth;
                d = d > 1.0e9f ? 1.0e9f : (d < -1.0e9f ? -1.0e9f : d);
                return static_cast<uint32_t>(static_cast<int32_t>(d));
            };
            pos1 += offset(pmIn[2 * h + 1]);
            pos += offset(pmIn[2 * h]);
        }
        if constexpr (Shaped) {
            x[2 * h] = shapedSample(pm, warpOrPlain(pm.symRowTable[h], pos));
            x[2 * h + 1] = shapedSample(pm, warpOrPlain(pm.symRowTable[h], pos1));
        } else if constexpr (Rows) {
            x[2 * h] = pm.table[warpOrPlain(pm.symRowTable[h], pos) & 0xFFF];
            x[2 * h + 1] = pm.table[warpOrPlain(pm.symRowTable[h], pos1) & 0xFFF];
        } else {
            x[2 * h] = pm.table[(pos & kPhaseMask) >> 12 & 0xFFF];
            x[2 * h + 1] = pm.table[(pos1 & kPhaseMask) >> 12 & 0xFFF];
        }
        phase = (phase + 2 * step) & kPhaseMask;
        feed = x[2 * h + 1];
    }
}

// A sub-voice's down and up copies and sub-oscillator, their gains applied, into its mono mix `m`
// and, when the oscillator reaches the output, added to `acc` into its frames (L, R per sample).
// Shared by the one-step render, whose samples come from registers, and the general mix.
[[gnu::always_inline]] inline void mixCopies(const OscVoice& ov, Float4 down, Float4 up, Float4 sub,
                                             bool hasSub, bool toOutput, float* frames,
                                             const float* acc, float* m) {
    const Float4 dl = down * Float4(ov.panDown[0]), dr = down * Float4(ov.panDown[1]);
    const Float4 ul = up * Float4(ov.panUp[0]), ur = up * Float4(ov.panUp[1]);
    Float4 sl, sr;
    if (hasSub) {
        sl = sub * Float4(ov.subPan[0]);
        sr = sub * Float4(ov.subPan[1]);
    }
    (((dl + dr + ul + ur) * Float4(0.25f)) + (sl + sr) * Float4(0.5f)).store(m);
    if (toOutput) {
        const Float4 half(0.5f);
        const Float4 left = ((dl + ul) * half + sl) * Float4(ov.panOsc[0]);
        const Float4 right = ((dr + ur) * half + sr) * Float4(ov.panOsc[1]);
        (Float4::load(acc) + Float4(_mm_unpacklo_ps(left.v, right.v))).store(frames);
        (Float4::load(acc + 4) + Float4(_mm_unpackhi_ps(left.v, right.v))).store(frames + 4);
    }
}

// The plain oscillator rendered and mixed in one go, with or without spread (separate up and
// down copies), the sub-oscillator and oscillator 2's phase modulation by `pmIn`. The samples never
// leave registers; every product and sum is the one the separate render and mix make, in the same
// order, so the output is the same to the bit.
template <bool Spread, bool Sub, bool PM, bool Shaped, bool Feed, bool Rows>
inline void renderMixPlain(const OscVoice& pm, bool toOutput, OscSlot& os, EnvState& env,
                           float* frames, const float* acc, float* mono, float* m,
                           const float* pmIn) {
    // The samples stay in registers: a vector load of four separately stored floats would wait
    // for the stores to drain.
    float x[4], u[4], s[4];
    uint32_t phase = os.phase;
    float feed = os.feedDown;
    plainCopy<PM, Shaped, Feed, Rows>(pm, os.inc, pm.downFactor, phase, feed, x, pmIn);
    os.phase = phase;
    os.feedDown = feed;
    if constexpr (Spread) {
        uint32_t upPhase = os.upPhase;
        float upFeed = os.feedUp;
        plainCopy<PM, Shaped, Feed, Rows>(pm, os.inc, pm.upFactor, upPhase, upFeed, u, pmIn);
        os.upPhase = upPhase;
        os.feedUp = upFeed;
    } else {
        os.upPhase = phase;
        os.feedUp = feed;
    }
    if constexpr (Sub) {
        const uint32_t i1 = stepOf(os.inc[0] * pm.subFactor);
        const uint32_t i2 = stepOf(os.inc[1] * pm.subFactor);
        uint32_t p = os.subPhase + pm.subOffset;
        s[0] = pm.subTable[warpOrPlain(pm.subSymRowTable, p) & 0xFFF];
        p += i1;
        s[1] = pm.subTable[warpOrPlain(pm.subSymRowTable, p) & 0xFFF];
        p += i1;
        s[2] = pm.subTable[warpOrPlain(pm.subSymRowTable, p) & 0xFFF];
        p += i2;
        s[3] = pm.subTable[warpOrPlain(pm.subSymRowTable, p) & 0xFFF];
        os.subPhase = (os.subPhase + 2 * (i1 + i2)) & kPhaseMask;
    }
    float g[2];
    ampGains(pm.ampPositive != 0, pm.ampAmount, pm.gain, env, g);
    const Float4 xs = pack4(x);
    if constexpr (!Spread && !Sub) {
        // Up and down copies are the same samples: one product per channel and sample. The
        // gains of the two halves as (g0, g0, g1, g1); each lane's products in the scalar order.
        const Float4 gain(_mm_unpacklo_ps(_mm_set_ss(g[0]), _mm_set_ss(g[1])));
        const Float4 halves(_mm_unpacklo_ps(gain.v, gain.v));
        const Float4 toMono = xs * (halves * Float4(pm.mixToMono));
        toMono.store(m);
        if (mono) toMono.store(mono);
        if (toOutput) {
            // (0.5 g0 downL panL, 0.5 g0 downR panR, 0.5 g1 downL panL, 0.5 g1 downR panR)
            const Float4 c = Float4(0.5f) * halves * pairTwice(&pm.mixDownL) * pairTwice(pm.panOsc);
            const Float4 x01(_mm_unpacklo_ps(xs.v, xs.v)), x23(_mm_unpackhi_ps(xs.v, xs.v));
            (Float4::load(acc) + x01 * Float4(_mm_movelh_ps(c.v, c.v))).store(frames);
            (Float4::load(acc + 4) + x23 * Float4(_mm_movehl_ps(c.v, c.v))).store(frames + 4);
        }
    } else {
        const Float4 gain(g[0], g[0], g[1], g[1]);
        const Float4 down = xs * gain;
        const Float4 up = Spread ? pack4(u) * gain : down;
        Float4 sg;
        if constexpr (Sub) sg = pack4(s) * gain;
        mixCopies(pm, down, up, sg, Sub, toOutput, frames, acc, m);
        if (mono) Float4::load(m).store(mono);
    }
}

// The instance for the copies and sub-oscillator in use; without `Rows` both symmetry rows
// of the pass are known to be the identity. Always inlined: as an out-of-line copy its
// arguments and the mono mix would go through memory.
template <bool PM, bool Shaped, bool Feed, bool Rows = true>
[[gnu::always_inline]] inline void renderMixPlainAny(const OscVoice& pm, bool toOutput, OscSlot& os,
                                                     EnvState& env, float* frames, const float* acc,
                                                     float* mono, float* m, const float* pmIn,
                                                     bool spread, bool sub) {
    if (spread)
        sub ? renderMixPlain<true, true, PM, Shaped, Feed, Rows>(pm, toOutput, os, env, frames, acc,
                                                                 mono, m, pmIn)
            : renderMixPlain<true, false, PM, Shaped, Feed, Rows>(pm, toOutput, os, env, frames,
                                                                  acc, mono, m, pmIn);
    else
        sub ? renderMixPlain<false, true, PM, Shaped, Feed, Rows>(pm, toOutput, os, env, frames,
                                                                  acc, mono, m, pmIn)
            : renderMixPlain<false, false, PM, Shaped, Feed, Rows>(pm, toOutput, os, env, frames,
                                                                   acc, mono, m, pmIn);
}

// Phase modulation, shaping and feedback are rarer: kept out of line so the plain loop stays
// small.
[[gnu::noinline]] void renderMixPlainRare(const OscVoice& pm, bool toOutput, OscSlot& os,
                                          EnvState& env, float* frames, const float* acc,
                                          float* mono, float* m, const float* pmIn, bool shaped,
                                          bool spread, bool sub) {
    if (!pmIn)
        shaped ? renderMixPlainAny<false, true, true>(pm, toOutput, os, env, frames, acc, mono, m,
                                                      pmIn, spread, sub)
               : renderMixPlainAny<false, false, true>(pm, toOutput, os, env, frames, acc, mono, m,
                                                       pmIn, spread, sub);
    else if (shaped)
        renderMixPlainAny<true, true, true>(pm, toOutput, os, env, frames, acc, mono, m, pmIn,
                                            spread, sub);
    else
        renderMixPlainAny<true, false, true>(pm, toOutput, os, env, frames, acc, mono, m, pmIn,
                                             spread, sub);
}

// One copy's phase and feedback memory carried over a pass as plainCopy carries them, making
// only the samples they depend on: the last one, which the memory keeps, and with feedback the
// one before that, which moves the last one's position.
template <bool Shaped>
inline void carryCopy(const OscVoice& pm, const float inc[2], float factor, uint32_t& phase,
                      float& feed) {
    for (int h = 0; h < 2; ++h) {
        const uint32_t step = stepOf(inc[h] * factor);
        if (h == 1 || pm.feedScale != 0.0f) {
            uint32_t pos = phase + pm.phaseOffset;
            if (pm.feedScale != 0.0f) {
                float fb = feed * pm.feedScale;
                fb = fb > 1.0e9f ? 1.0e9f : (fb < -1.0e9f ? -1.0e9f : fb);
                pos += static_cast<uint32_t>(static_cast<int32_t>(fb));
            }
            const int i = warpOrPlain(pm.symRowTable[h], pos + step);
            feed = Shaped ? shapedSample(pm, i) : pm.table[i & 0xFFF];
        }
        phase = (phase + 2 * step) & kPhaseMask;
    }
}

// A pass of a sub-voice whose samples nothing reads: its phases, its feedback memories and its
// amp envelope move on as the render moves them, so a reader that appears later (or the
// feedback, which reads each copy's last sample) finds them where they would be.
inline void carryUnheard(const OscVoice& pm, bool sub, OscSlot& os, EnvState& env) {
    const bool shaped = oscShaped(pm);
    auto copy = [&pm, &os, shaped](float factor, uint32_t& phase, float& feed) {
        if (shaped)
            carryCopy<true>(pm, os.inc, factor, phase, feed);
        else
            carryCopy<false>(pm, os.inc, factor, phase, feed);
    };
    uint32_t phase = os.phase;
    float feed = os.feedDown;
    copy(pm.downFactor, phase, feed);
    os.phase = phase;
    os.feedDown = feed;
    if (pm.spreadOn) {
        uint32_t upPhase = os.upPhase;
        float upFeed = os.feedUp;
        copy(pm.upFactor, upPhase, upFeed);
        os.upPhase = upPhase;
        os.feedUp = upFeed;
    } else {
        os.upPhase = phase;
        os.feedUp = feed;
    }
    if (sub) {
        const uint32_t i1 = stepOf(os.inc[0] * pm.subFactor);
        const uint32_t i2 = stepOf(os.inc[1] * pm.subFactor);
        os.subPhase = (os.subPhase + 2 * (i1 + i2)) & kPhaseMask;
    }
    float value = env.value;
    for (int h = 0; h < 2; ++h) value += env.step;
    env.value = value;
}

// Four phase steps at once, each as `stepOf` makes it.
inline __m128i stepsOf(__m128 x) {
    x = _mm_and_ps(x, _mm_cmpord_ps(x, x)); // NaN gives no step
    x = _mm_max_ps(x, _mm_set1_ps(-kPhaseLimit));
    x = _mm_min_ps(x, _mm_set1_ps(kPhaseLimit));
    return _mm_cvttps_epi32(x);
}

// Four sub-voices at once, one per lane, for the plain oscillator without spread,
// sub-oscillator, modulation, shaping or feedback: each lane makes the products and sums of the
// sub-voice by sub-voice render in the same order, with its own voice's settings, so every
// sample is the same to the bit. The table reads stay one by one; the steps, positions, gains
// and mix go four at a time. `slot` and `index` are the four sub-voices' slots and indices in
// their voices; with `OneVoice` all four belong to one voice and its settings are read once.
template <int Osc, bool Rows, bool OneVoice>
[[gnu::noinline]] void plainLanes(const OscVoice* const* pmOf, const int* slot,
                                  const int32_t* index, OscSlot (*slots)[2], EnvState (*envs)[4],
                                  stereoOverStruct (*paths)[2], float (*monos)[4], bool toOutput,
                                  bool first, float* const* sources) {
    OscSlot* os[4];
    EnvState* env[4];
    const OscVoice* pm[4];
    for (int l = 0; l < 4; ++l) {
        os[l] = &slots[slot[l]][Osc];
        env[l] = &envs[slot[l]][Osc == 0 ? 0 : 2];
        pm[l] = OneVoice ? pmOf[0] : pmOf[l];
    }
    // A setting of each lane's voice, or the one voice's setting in every lane.
    auto lanes = [&pm](auto read) {
        if constexpr (OneVoice) return Float4(read(*pm[0]));
        return Float4(read(*pm[0]), read(*pm[1]), read(*pm[2]), read(*pm[3]));
    };
    const Float4 factor = lanes([](const OscVoice& o) { return o.downFactor; });
    const __m128i s0 =
        stepsOf((Float4(os[0]->inc[0], os[1]->inc[0], os[2]->inc[0], os[3]->inc[0]) * factor).v);
    const __m128i s1 =
        stepsOf((Float4(os[0]->inc[1], os[1]->inc[1], os[2]->inc[1], os[3]->inc[1]) * factor).v);
    const __m128i phase =
        _mm_setr_epi32(static_cast<int>(os[0]->phase), static_cast<int>(os[1]->phase),
                       static_cast<int>(os[2]->phase), static_cast<int>(os[3]->phase));
    const __m128i offset = OneVoice ? _mm_set1_epi32(static_cast<int>(pm[0]->phaseOffset))
                                    : _mm_setr_epi32(static_cast<int>(pm[0]->phaseOffset),
                                                     static_cast<int>(pm[1]->phaseOffset),
                                                     static_cast<int>(pm[2]->phaseOffset),
                                                     static_cast<int>(pm[3]->phaseOffset));
    const __m128i pos = _mm_add_epi32(phase, offset);
    const __m128i pos2 = _mm_add_epi32(pos, _mm_add_epi32(s0, s0));
    alignas(16) uint32_t next[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(next),
                    _mm_and_si128(_mm_add_epi32(_mm_add_epi32(phase, _mm_add_epi32(s0, s0)),
                                                _mm_add_epi32(s1, s1)),
                                  _mm_set1_epi32(static_cast<int>(kPhaseMask))));
    // A sample of each lane from its table index (bits 12 to 23 of its position), the indices
    // taken out two at a time; each lane reads its own voice's table and symmetry row.
    auto samples = [&pm](__m128i position, int h) {
        const __m128i i = _mm_and_si128(_mm_srli_epi32(position, 12), _mm_set1_epi32(0xFFF));
        const uint64_t lo = static_cast<uint64_t>(_mm_cvtsi128_si64(i));
        const uint64_t hi = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(i, i)));
        auto read = [&pm, h](int l, uint64_t n) {
            const uint32_t k = static_cast<uint32_t>(n);
            const OscVoice& o = OneVoice ? *pm[0] : *pm[l];
            if constexpr (Rows) {
                const int32_t* row = o.symRowTable[h];
                return o.table[row ? row[k] & 0xFFF : k];
            }
            return o.table[k];
        };
        return Float4(read(0, lo), read(1, lo >> 32), read(2, hi), read(3, hi >> 32));
    };
    const Float4 x[4] = {samples(pos, 0), samples(_mm_add_epi32(pos, s0), 0), samples(pos2, 1),
                         samples(_mm_add_epi32(pos2, s1), 1)};
    for (int l = 0; l < 4; ++l) {
        os[l]->phase = os[l]->upPhase = next[l];
        os[l]->feedDown = os[l]->feedUp = x[3].lane(l);
    }
    // The amp envelope's depth times the level, stepped once per half; each lane takes the
    // form of its voice's polarity.
    const Float4 value(env[0]->value, env[1]->value, env[2]->value, env[3]->value);
    const Float4 step(env[0]->step, env[1]->step, env[2]->step, env[3]->step);
    const Float4 amount = lanes([](const OscVoice&o) { return o.ampAmount; }), one(1.0f);
    const __m128 positive = _mm_castsi128_ps(
        _mm_cmpgt_epi32(OneVoice ? _mm_set1_epi32(pm[0]->ampPositive)
                                 : _mm_setr_epi32(pm[0]->ampPositive, pm[1]->ampPositive,
                                                  pm[2]->ampPositive, pm[3]->ampPositive),
                        _mm_setzero_si128()));
    auto depth = [&](Float4 e) {
        if constexpr (OneVoice) {
            return pm[0]->ampPositive != 0 ? amount * e + one - amount : one - amount * e;
        }
        const Float4 up = amount * e + one - amount, down = one - amount * e;
        return Float4(_mm_or_ps(_mm_and_ps(positive, up.v), _mm_andnot_ps(positive, down.v)));
    };
    const Float4 value1 = value + step;
    const Float4 g0 = depth(value) * lanes([](const OscVoice& o) { return o.gain[0]; });
    const Float4 g1 = depth(value1) * lanes([](const OscVoice& o) { return o.gain[1]; });
    alignas(16) float values[4];
    (value1 + step).store(values);
    for (int l = 0; l < 4; ++l) env[l]->value = values[l];
    // The mono mix, lanes per sample turned into rows per sub-voice.
    const Float4 toMono = lanes([](const OscVoice& o) { return o.mixToMono; });
    __m128 m0 = (x[0] * (g0 * toMono)).v, m1 = (x[1] * (g0 * toMono)).v;
    __m128 m2 = (x[2] * (g1 * toMono)).v, m3 = (x[3] * (g1 * toMono)).v;
    _MM_TRANSPOSE4_PS(m0, m1, m2, m3);
    const __m128 m[4] = {m0, m1, m2, m3};
    if (Osc == 0)
        for (int l = 0; l < 4; ++l) _mm_storeu_ps(monos[slot[l]], m[l]);
    if (toOutput) {
        // (0.5 g downL panL) and (0.5 g downR panR) of each half, in the scalar order.
        const Float4 half(0.5f);
        const Float4 downL = lanes([](const OscVoice& o) { return o.mixDownL; });
        const Float4 downR = lanes([](const OscVoice& o) { return o.mixDownR; });
        const Float4 panL = lanes([](const OscVoice& o) { return o.panOsc[0]; });
        const Float4 panR = lanes([](const OscVoice& o) { return o.panOsc[1]; });
        const Float4 cl0 = half * g0 * downL * panL, cr0 = half * g0 * downR * panR;
        const Float4 cl1 = half * g1 * downL * panL, cr1 = half * g1 * downR * panR;
        __m128 a0 = (x[0] * cl0).v, b0 = (x[0] * cr0).v, a1 = (x[1] * cl0).v, b1 = (x[1] * cr0).v;
        __m128 a2 = (x[2] * cl1).v, b2 = (x[2] * cr1).v, a3 = (x[3] * cl1).v, b3 = (x[3] * cr1).v;
        _MM_TRANSPOSE4_PS(a0, b0, a1, b1);
        _MM_TRANSPOSE4_PS(a2, b2, a3, b3);
        const __m128 lo[4] = {a0, b0, a1, b1}, hi[4] = {a2, b2, a3, b3};
        for (int l = 0; l < 4; ++l) {
            float* frames = &paths[slot[l]][0].first.left;
            const float* acc = first ? kZeroFrames : frames;
            _mm_storeu_ps(frames, _mm_add_ps(_mm_loadu_ps(acc), lo[l]));
            _mm_storeu_ps(frames + 4, _mm_add_ps(_mm_loadu_ps(acc + 4), hi[l]));
        }
    }
    // Each sub-voice's sources as the one-at-a-time render writes them, in list order.
    alignas(16) float row[4];
    if (Osc == 0) {
        for (int l = 0; l < 4; ++l)
            if (index[l] == 0) {
                _mm_store_ps(row, m[l]);
                sources[OneVoice ? 0 : l][src::Osc1Output] =
                    (0.0f + row[0] + row[1] + row[2] + row[3]) * 0.125f;
            }
    } else if (OneVoice) {
        _mm_store_ps(row, m[3]);
        sources[0][91] = (0.0f + row[2] + row[3]) * 0.25f;
    } else {
        for (int l = 0; l < 4; ++l) {
            _mm_store_ps(row, m[l]);
            sources[l][91] = (0.0f + row[2] + row[3]) * 0.25f;
        }
    }
}

} // namespace

// Oscillator 2's hard sync: oscillator 1's phase of the same sub-voice marks the half passes in
// which it wraps.
void APlugin::advanceSync(int slot) {
    OscSlot& s2 = oscSlots[slot][1];
    const OscSlot& s1 = oscSlots[slot][0];
    for (int h = 0; h < 2; ++h) {
        s2.syncMark[h] = 0;
        const uint32_t next = s2.syncPhase + stepOf(2.0f * s1.inc[h]);
        if (next > kPhaseMask) s2.syncMark[h] = 1;
        s2.syncPhase = next & kPhaseMask;
    }
}

void APlugin::renderOscSamples(int voice, int slot, int osc) {
    OscSlot& os = oscSlots[slot][osc];
    const OscVoice& ov = oscVoices[voice][osc];
    const float* table = ov.table;
    const float* mono = osc1Mono[slot];
    const int mode = osc == 1 ? osc2ModMode : kModOff;
    const float modA = ov.modAmount < 0.0f ? 0.0f : (ov.modAmount > 1.0f ? 1.0f : ov.modAmount);
    const float syncFactor = voiceDest[voice][oscdest::Osc2Sync];
    const bool zek = ov.zek > 0.0001f;
    for (int h = 0; h < 2; ++h) {
        if (osc == 1 && osc2SyncOn && os.syncMark[h]) {
            // Restart within the cycle: the phase times the sync factor, truncated.
            auto resync = [syncFactor](uint32_t p) {
                const float x = static_cast<float>(p & kPhaseMask) * syncFactor;
                return stepOf(x > 0.0f ? x : 0.0f) & kPhaseMask;
            };
            os.phase = resync(os.phase);
            os.upPhase = resync(os.upPhase);
            os.subPhase = resync(os.subPhase);
        }
        const int32_t* row = symmetryRow(ov.symRow[h]);
        for (int copy = 0; copy < 2; ++copy) {
            const bool up = copy == 1;
            if (up && !ov.spreadOn) {
                os.upPhase = os.phase;
                os.up[2 * h] = os.down[2 * h];
                os.up[2 * h + 1] = os.down[2 * h + 1];
                os.feedUp = os.feedDown;
                continue;
            }
            uint32_t& phase = up ? os.upPhase : os.phase;
            float& feed = up ? os.feedUp : os.feedDown;
            float* out = up ? os.up : os.down;
            const float factor = up ? ov.upFactor : ov.downFactor;
            float fb = feed * ov.feedScale;
            fb = fb > 1.0e9f ? 1.0e9f : (fb < -1.0e9f ? -1.0e9f : fb);
            uint32_t pos = phase + ov.phaseOffset + static_cast<uint32_t>(static_cast<int32_t>(fb));
            uint32_t steps[2];
            if (mode == kModFM) {
                for (int j = 0; j < 2; ++j)
                    steps[j] = stepOf(os.inc[h] * factor *
                                      fastExp2(6.0f * ov.modAmount * mono[2 * h + j]));
            } else {
                steps[0] = steps[1] = stepOf(os.inc[h] * factor);
            }
            for (int j = 0; j < 2; ++j) {
                const int k = 2 * h + j;
                uint32_t p = pos;
                if (mode == kModPM) {
                    float d = mono[k] * ov.pmDepth;
                    d = d > 1.0e9f ? 1.0e9f : (d < -1.0e9f ? -1.0e9f : d);
                    p += static_cast<uint32_t>(static_cast<int32_t>(d));
                }
                int i = warp(row, p);
                if (zek) i = zekMorph(i, ov.zek, ov.zekX, ov.zekY);
                float x = table[i & 0xFFF];
                if (ov.wrapOn) x = wrapFold(x, ov.wrapNeg, ov.wrapPos);
                if (ov.bitsOn) x = crush(x, ov.bitsQ, ov.bitsInvQ);
                if (mode >= kModRing) x = modulate(mode, x, modA, mono[k]);
                out[k] = x;
                pos += steps[j];
            }
            phase = (phase + steps[0] + steps[1]) & kPhaseMask;
            feed = out[2 * h + 1];
        }
    }
}

// Noise holds each drawn value for two 2x-rate samples.
void APlugin::renderNoise(int slot, int osc, int subVoice) {
    OscSlot& os = oscSlots[slot][osc];
    for (int h = 0; h < 2; ++h) {
        float v;
        if (oscType[osc] == 7) {
            v = doPinkNoise(subVoice, osc, static_cast<int>(sampleCounter + h));
        } else {
            const uint32_t t = RandSeed * 16807u;
            RandSeed = t + 1;
            v = static_cast<float>(static_cast<int32_t>(t)) * 4.656612873e-10f;
        }
        os.down[2 * h] = os.down[2 * h + 1] = os.up[2 * h] = os.up[2 * h + 1] = v;
    }
}

void APlugin::renderSub(int voice, int slot, int osc) {
    OscSlot& os = oscSlots[slot][osc];
    const OscVoice& ov = oscVoices[voice][osc];
    const uint32_t i1 = stepOf(os.inc[0] * ov.subFactor);
    const uint32_t i2 = stepOf(os.inc[1] * ov.subFactor);
    const int32_t* row = symmetryRow(ov.subSymRow);
    const float* table = ov.subTable;
    uint32_t p = os.subPhase + ov.subOffset;
    os.sub[0] = table[warp(row, p) & 0xFFF];
    p += i1;
    os.sub[1] = table[warp(row, p) & 0xFFF];
    p += i1;
    os.sub[2] = table[warp(row, p) & 0xFFF];
    p += i2;
    os.sub[3] = table[warp(row, p) & 0xFFF];
    os.subPhase = (os.subPhase + 2 * (i1 + i2)) & kPhaseMask;
}

// The oscillator's samples scaled by its amp envelope, level and pans into the slot's frames;
// oscillator 1 also leaves its mono mix, the modulator of oscillator 2. The four samples of the
// pass go through in four lanes, each lane with the same products and sums, in the same order,
// as one sample on its own; only the two running sums of the mono mix stay sample by sample.
void APlugin::mixOscillator(int voice, int slot, int osc, int subVoice) {
    OscSlot& os = oscSlots[slot][osc];
    const OscVoice& ov = oscVoices[voice][osc];
    EnvState& env = oscEnv[slot][osc == 0 ? 0 : 2];
    const bool sub = subOn[osc] != 0;
    const bool toOutput = osc == 1 || osc1OutputOn;
    float* frames = &pathIn[slot][0].first.left; // 8 floats: (L, R) per sample
    const float* acc = oscFramesFirst == osc ? kZeroFrames : frames;
    float* mono = osc == 0 ? osc1Mono[slot] : nullptr;
    float g[2];
    ampGains(ov.ampPositive, ov.ampAmount, ov.gain, env, g);
    alignas(16) float m[4];
    if (!sub && !ov.spreadOn) {
        // Up and down copies are the same samples: one product per channel and sample.
        const float downL = ov.panDown[0] + ov.panUp[0], downR = ov.panDown[1] + ov.panUp[1];
        const float toMono = 0.25f * (downL + downR);
        const Float4 x = Float4::load(os.down);
        (x * Float4(g[0] * toMono, g[0] * toMono, g[1] * toMono, g[1] * toMono)).store(m);
        if (toOutput) {
            const float cl0 = 0.5f * g[0] * downL * ov.panOsc[0];
            const float cr0 = 0.5f * g[0] * downR * ov.panOsc[1];
            const float cl1 = 0.5f * g[1] * downL * ov.panOsc[0];
            const float cr1 = 0.5f * g[1] * downR * ov.panOsc[1];
            const Float4 x01(_mm_unpacklo_ps(x.v, x.v)), x23(_mm_unpackhi_ps(x.v, x.v));
            (Float4::load(acc) + x01 * Float4(cl0, cr0, cl0, cr0)).store(frames);
            (Float4::load(acc + 4) + x23 * Float4(cl1, cr1, cl1, cr1)).store(frames + 4);
        }
    } else {
        const Float4 gain(g[0], g[0], g[1], g[1]);
        const Float4 down = Float4::load(os.down) * gain, up = Float4::load(os.up) * gain;
        const Float4 s = sub ? Float4::load(os.sub) * gain : Float4();
        mixCopies(ov, down, up, s, sub, toOutput, frames, acc, m);
    }
    if (mono)
        for (int k = 0; k < 4; ++k) mono[k] = m[k];
    // From 0 as the sample-by-sample sums were, so a sum of zeros keeps their sign.
    const float monoSum = 0.0f + m[0] + m[1] + m[2] + m[3];
    if (subVoice == 0 && osc == 0) voiceSource[voice][src::Osc1Output] = monoSum * 0.125f;
    if (osc == 1) voiceSource[voice][91] = (0.0f + m[2] + m[3]) * 0.25f;
}

template <int Osc> void APlugin::renderOscillatorOf() {
    constexpr int osc = Osc;
    const bool on = oscOn[osc] != 0;
    // Oscillator 1 keeps its pitch running for oscillator 2's sync even while it is off.
    if (!on && !(osc == 0 && osc2SyncOn)) return;
    // Each voice's settings in the scalar order (drift, spread, table, ZEK, every 2nd pass,
    // every pass, increments); the settings of every 2nd pass and every pass of all voices go
    // four at a time across lanes between the two loops. No voice reads what another writes.
    setOscInputsMove(osc);
    // Between control steps, where no slot moves their inputs and their last computation read
    // no LFO value, a voice's settings stand; the others are listed and computed again.
    const bool settingsMove = (oscInputsMove[osc] & kOscSettingsMove) != 0;
    const bool extras = subOn[osc] || (osc == 1 && osc2ModMode != 0);
    int list[kNumVoices];
    uint8_t listDue[kNumVoices];
    int count = 0;
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        OscVoice& ov = oscVoices[v][osc];
        const bool every8 = (voicePassCount[v] & 7) == 0 || voiceIsNew[v];
        const bool every2 = (voicePassCount[v] & 1) == 0 || voiceIsNew[v];
        // An oscillator switched on, or given another type or sub wave, while the voice sounds
        // chooses its table and slower settings on this pass, not at the voice's next 8th:
        // until then they would be another wave's, or none.
        const bool restructured = on && ov.setupSerial != voiceSetupSerial;
        if (every8) setOscDrift(v, osc);
        if ((osc == 0 ? every2 : every8) || restructured) setOscSpread(v, osc);
        if (!on) continue;
        const bool due8 = every8 || restructured;
        if (due8) {
            setOscTableChoice(v, osc);
            setOscZek(v, osc);
        }
        ov.setupSerial = voiceSetupSerial;
        if (!settingsMove && !due8 && oscPassKeys[v][osc].valid) {
            ZEK2_SHORTCUT_TAKEN(OscSettingsStand);
            if (extras) setOscEveryPassExtras(v, osc);
            continue;
        }
        list[count] = v;
        listDue[count++] = every2 || restructured;
    }
    if (count > 0) setOscSettingsLanes(osc, list, listDue, count, true);
    // The plain oscillator reads its voice's settings where they are; what it needs to know of
    // each voice comes with the increments.
    const bool pmOn = osc == 1 && osc2ModMode == kModPM;
    const bool plainKind =
        on && !oscNoise[osc] && (osc == 0 || (!osc2SyncOn && (osc2ModMode == kModOff || pmOn)));
    uint8_t kind[kNumVoices];
    setOscIncrements(osc, plainKind ? kind : nullptr, pmOn);
    if (osc == 1 && osc2SyncOn)
        for (int i = 0; i < subVoiceCount; ++i) advanceSync(subVoiceList[0][i] % kSubVoiceSlots);
    if (!on) return;
    const bool sub = subOn[osc] != 0;
    const bool toOutput = osc == 1 || osc1OutputOn;
    // Oscillator 1 with its output off is heard only through oscillator 2's modulation and its
    // output source. With neither, the samples of all but each voice's first sub-voice (the
    // costliest part of a shaped or unison oscillator) would be made for nobody: only their
    // phases, feedback and amp envelope move on. The first sub-voice is rendered, as its mix is
    // the voice's output source, which a slot that starts to read it reads from the pass
    // before. Noise still draws, as the shared generator's sequence depends on it.
    const bool unheard = osc == 0 && plainKind && !toOutput &&
                         !(oscOn[1] && osc2ModMode != kModOff) && !modSrcInUse[src::Osc1Output] &&
                         !noSkips;
    // One loop for the oscillator that starts the frames and one for the one that adds to them.
    auto render = [&](auto firstC, auto unheardC) {
        constexpr bool first = decltype(firstC)::value;
        constexpr bool carried = decltype(unheardC)::value;
        // Slot numbers are in range by construction: a compare spares the division of the
        // modulo, which stays as the guard against a stray one.
        auto slotAt = [this](int i) {
            const int32_t n = subVoiceList[0][i];
            return static_cast<uint32_t>(n) < static_cast<uint32_t>(kSubVoiceSlots)
                       ? n
                       : n % kSubVoiceSlots;
        };
        auto voiceAt = [this](int i) { return subVoiceList[1][i] & 15; };
        for (int i = 0; i < subVoiceCount; ++i) {
            const int slot = slotAt(i);
            const int v = voiceAt(i);
            const int k = subVoiceList[2][i];
            const OscVoice* pm = &oscVoices[v][osc];
            if (carried && k != 0) {
                ZEK2_SHORTCUT_TAKEN(Osc1Carried);
                carryUnheard(*pm, sub, oscSlots[slot][0], oscEnv[slot][0]);
                continue;
            }
            // Four entries of the plain form without spread or sub-oscillator go side by side:
            // four sub-voices of one voice with its settings read once, or of several voices.
            const bool lanesFit = plainKind && !carried && !sub &&
                                  !(kind[v] & (kOscRare | kOscSpread)) && i + 3 < subVoiceCount;
            if (lanesFit && voiceAt(i + 3) == v) {
                const int slots4[4] = {slot, slotAt(i + 1), slotAt(i + 2), slotAt(i + 3)};
                float* const rows[1] = {voiceSource[v]};
                if (kind[v] & kOscRows)
                    plainLanes<osc, true, true>(&pm, slots4, &subVoiceList[2][i], oscSlots, oscEnv,
                                                pathIn, osc1Mono, toOutput, first, rows);
                else
                    plainLanes<osc, false, true>(&pm, slots4, &subVoiceList[2][i], oscSlots, oscEnv,
                                                 pathIn, osc1Mono, toOutput, first, rows);
                i += 3;
                continue;
            }
            if (lanesFit) {
                const int v1 = voiceAt(i + 1), v2 = voiceAt(i + 2), v3 = voiceAt(i + 3);
                const uint8_t all = kind[v] | kind[v1] | kind[v2] | kind[v3];
                if (!(all & (kOscRare | kOscSpread))) {
                    const int slots4[4] = {slot, slotAt(i + 1), slotAt(i + 2), slotAt(i + 3)};
                    const OscVoice* pms[4] = {pm, &oscVoices[v1][osc], &oscVoices[v2][osc],
                                              &oscVoices[v3][osc]};
                    float* const rows[4] = {voiceSource[v], voiceSource[v1], voiceSource[v2],
                                            voiceSource[v3]};
                    if (all & kOscRows)
                        plainLanes<osc, true, false>(pms, slots4, &subVoiceList[2][i], oscSlots,
                                                     oscEnv, pathIn, osc1Mono, toOutput, first,
                                                     rows);
                    else
                        plainLanes<osc, false, false>(pms, slots4, &subVoiceList[2][i], oscSlots,
                                                      oscEnv, pathIn, osc1Mono, toOutput, first,
                                                      rows);
                    i += 3;
                    continue;
                }
            }
            if (plainKind) {
                alignas(16) float m[4];
                OscSlot& os = oscSlots[slot][osc];
                EnvState& env = oscEnv[slot][osc == 0 ? 0 : 2];
                float* frames = &pathIn[slot][0].first.left;
                const float* acc = first ? kZeroFrames : frames;
                float* mono = osc == 0 ? osc1Mono[slot] : nullptr;
                const bool spread = (kind[v] & kOscSpread) != 0;
                if (kind[v] & kOscRare) {
                    const bool shaped = oscShaped(*pm);
                    renderMixPlainRare(*pm, toOutput, os, env, frames, acc, mono, m,
                                       pmOn ? osc1Mono[slot] : nullptr, shaped, spread, sub);
                } else if (kind[v] & kOscRows) {
                    renderMixPlainAny<false, false, false>(*pm, toOutput, os, env, frames, acc,
                                                           mono, m, nullptr, spread, sub);
                } else {
                    renderMixPlainAny<false, false, false, false>(
                        *pm, toOutput, os, env, frames, acc, mono, m, nullptr, spread, sub);
                }
                if (k == 0 && osc == 0)
                    voiceSource[v][src::Osc1Output] = (0.0f + m[0] + m[1] + m[2] + m[3]) * 0.125f;
                if (osc == 1) voiceSource[v][91] = (0.0f + m[2] + m[3]) * 0.25f;
                continue;
            }
            if (oscNoise[osc])
                renderNoise(slot, osc, k);
            else
                renderOscSamples(v, slot, osc);
            if (subOn[osc]) renderSub(v, slot, osc);
            mixOscillator(v, slot, osc, k);
        }
    };
    // (Oscillator 1 left unheard never starts the frames.)
    if (oscFramesFirst == osc)
        render(std::true_type(), std::false_type());
    else if (unheard)
        render(std::false_type(), std::true_type());
    else
        render(std::false_type(), std::false_type());
}

void APlugin::renderOscillator(int osc) {
    // One instance per oscillator: the choices that depend on which one it is fold away.
    if (osc == 0)
        renderOscillatorOf<0>();
    else
        renderOscillatorOf<1>();
}
