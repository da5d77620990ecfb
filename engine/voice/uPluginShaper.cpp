// The voice path's waveshaper and low-fi positions, and the control-rate set-up of the three
// voice stages. Called on the audio thread: the positions once per pass by the voice pass,
// setVoiceStages by the voice's control-rate update.
#include "engine/APlugin.h"

#include "dsp/FilterMath.h"
#include "dsp/Float8.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/StageMath.h"

#include <cmath>
#include <type_traits>

namespace {

using namespace stagemath;

constexpr float kSmoothKeep = 0.9f;
constexpr float kSmoothTake = 0.100000024f;

// Two floats of `a` into lanes 0 and 1, two of `b` into lanes 2 and 3.
inline Float4 loadHalves(const float* a, const float* b) {
    const __m128 lo = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(a));
    return Float4(_mm_loadh_pi(lo, reinterpret_cast<const __m64*>(b)));
}

// Lanes 0 and 1 of v into `lo`, lanes 2 and 3 into `hi`.
inline void storeHalves(Float4 v, float* lo, float* hi) {
    _mm_storel_pi(reinterpret_cast<__m64*>(lo), v.v);
    _mm_storeh_pi(reinterpret_cast<__m64*>(hi), v.v);
}

// A sub-voice's held and reduced values, frame 0 {L, R}, then frame 1.
struct LofiReduced {
    int slot, voice;
    float value[2][2]; // frame, channel
};

// The low-fi's low-pass and mix over the reduced values, two sub-voices per four lanes ({L, R}
// of each), four per eight lanes with AVX2.
struct LofiRun {
    const LofiReduced* list;
    int count;
    const float *dry, *wet, *coef;
    const bool* filterOn;
    stereoStruct *low, *band;
    stereoOverStruct (*pathIn)[2];
    stereoOverStruct (*pathOut)[2];
    bool handOn;
};

// One step's inputs: coefficients, the low-pass's on mask, states and each frame's values.
template <class V> struct LofiLanes {
    V coef, on, low, band;
    V value[2];
    bool allOn;
};

inline LofiLanes<Float4> lofiPair(const LofiRun& r, const LofiReduced& a, const LofiReduced& b) {
    const int va = a.voice, vb = b.voice;
    const bool onA = r.filterOn[va], onB = r.filterOn[vb];
    LofiLanes<Float4> l;
    l.on = _mm_castsi128_ps(_mm_setr_epi32(onA ? -1 : 0, onA ? -1 : 0, onB ? -1 : 0, onB ? -1 : 0));
    l.allOn = onA && onB;
    l.coef = Float4(r.coef[va], r.coef[va], r.coef[vb], r.coef[vb]);
    l.low = loadHalves(&r.low[a.slot].left, &r.low[b.slot].left);
    l.band = loadHalves(&r.band[a.slot].left, &r.band[b.slot].left);
    const Float4 va4 = Float4::load(&a.value[0][0]), vb4 = Float4::load(&b.value[0][0]);
    l.value[0] = _mm_movelh_ps(va4.v, vb4.v);
    l.value[1] = _mm_movehl_ps(vb4.v, va4.v);
    return l;
}

inline Float4 pick(Float4 mask, Float4 yes, Float4 no) {
    return _mm_or_ps(_mm_and_ps(mask.v, yes.v), _mm_andnot_ps(mask.v, no.v));
}

ZEK2_AVX2 inline Float8 pick(Float8 mask, Float8 yes, Float8 no) {
    return _mm256_or_ps(_mm256_and_ps(mask.v, yes.v), _mm256_andnot_ps(mask.v, no.v));
}

// A channel whose state stopped being finite starts again from silence.
inline void keepFinite(Float4& low, Float4& band) {
    const Float4 zero;
    const __m128 finite = _mm_and_ps(_mm_cmpeq_ps(_mm_sub_ps(low.v, low.v), zero.v),
                                     _mm_cmpeq_ps(_mm_sub_ps(band.v, band.v), zero.v));
    low = _mm_and_ps(low.v, finite);
    band = _mm_and_ps(band.v, finite);
}

ZEK2_AVX2 inline void keepFinite(Float8& low, Float8& band) {
    const Float8 zero;
    const __m256 finite =
        _mm256_and_ps(_mm256_cmp_ps(_mm256_sub_ps(low.v, low.v), zero.v, _CMP_EQ_OQ),
                      _mm256_cmp_ps(_mm256_sub_ps(band.v, band.v), zero.v, _CMP_EQ_OQ));
    low = _mm256_and_ps(low.v, finite);
    band = _mm256_and_ps(band.v, finite);
}

// The waveshaper's settings of one voice.
struct ShaperVoice {
    float top, bottom, wetTop, wetBottom, dry;
};

inline Float4 atLeastZero(Float4 x) {
    return _mm_cmpge_ps(x.v, _mm_setzero_ps());
}

ZEK2_AVX2 inline Float8 atLeastZero(Float8 x) {
    return _mm256_cmp_ps(x.v, _mm256_setzero_ps(), _CMP_GE_OS);
}

// The truncated product wraps into the 16-bit cosine table (a negative one too); a product too
// large for an integer (or NaN) reads entry 0. Only the table reads are one by one.
inline Float4 cosAt(const float* table, Float4 p) {
    const __m128i inRange = _mm_castps_si128(_mm_cmplt_ps(abs(p).v, _mm_set1_ps(1073741824.0f)));
    const __m128i index =
        _mm_and_si128(_mm_and_si128(_mm_cvttps_epi32(p.v), _mm_set1_epi32(0xFFFF)), inRange);
    alignas(16) int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
    return Float4(table[at[0]], table[at[1]], table[at[2]], table[at[3]]);
}

ZEK2_AVX2 inline Float8 cosAt(const float* table, Float8 p) {
    const __m256i inRange =
        _mm256_castps_si256(_mm256_cmp_ps(abs(p).v, _mm256_set1_ps(1073741824.0f), _CMP_LT_OS));
    const __m256i index = _mm256_and_si256(
        _mm256_and_si256(_mm256_cvttps_epi32(p.v), _mm256_set1_epi32(0xFFFF)), inRange);
    alignas(32) int32_t at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    return _mm256_setr_ps(table[at[0]], table[at[1]], table[at[2]], table[at[3]], table[at[4]],
                          table[at[5]], table[at[6]], table[at[7]]);
}

// The lane steps: for four lanes here, and for eight in `wide`, compiled for AVX2 as a whole.
#include "engine/voice/ShaperSteps.h"

#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "engine/voice/ShaperSteps.h"
} // namespace wide
#pragma GCC pop_options

// A pair's states back and its frames mixed into the path; `pair` says whether b is a
// sub-voice of its own.
inline void lofiFinish(const LofiRun& r, const LofiReduced& a, const LofiReduced& b, bool pair,
                       Float4 low, Float4 band, const Float4 (&y)[4]) {
    for (int f = 0; f < 2; ++f) {
        const Float4 ya = _mm_shuffle_ps(y[2 * f].v, y[2 * f + 1].v, _MM_SHUFFLE(1, 0, 1, 0));
        const Float4 in = Float4::load(&r.pathIn[a.slot][f].first.left);
        const Float4 mixed = Float4(r.dry[a.voice]) * in + Float4(r.wet[a.voice]) * ya;
        mixed.store(&r.pathOut[a.slot][f].first.left);
        if (r.handOn) mixed.store(&r.pathIn[a.slot][f].first.left);
    }
    if (!pair) {
        _mm_storel_pi(reinterpret_cast<__m64*>(&r.low[a.slot].left), low.v);
        _mm_storel_pi(reinterpret_cast<__m64*>(&r.band[a.slot].left), band.v);
        return;
    }
    storeHalves(low, &r.low[a.slot].left, &r.low[b.slot].left);
    storeHalves(band, &r.band[a.slot].left, &r.band[b.slot].left);
    for (int f = 0; f < 2; ++f) {
        const Float4 yb = _mm_shuffle_ps(y[2 * f].v, y[2 * f + 1].v, _MM_SHUFFLE(3, 2, 3, 2));
        const Float4 in = Float4::load(&r.pathIn[b.slot][f].first.left);
        const Float4 mixed = Float4(r.dry[b.voice]) * in + Float4(r.wet[b.voice]) * yb;
        mixed.store(&r.pathOut[b.slot][f].first.left);
        if (r.handOn) mixed.store(&r.pathIn[b.slot][f].first.left);
    }
}

// Entry i with the next one, four lanes; returns the entry after them. A slot listed twice
// (never in practice) runs on its own, after its first entry.
inline int runLofiPair(const LofiRun& r, int i) {
    const LofiReduced& a = r.list[i];
    const bool pair = i + 1 < r.count && r.list[i + 1].slot != a.slot;
    const LofiReduced& b = pair ? r.list[i + 1] : a;
    LofiLanes<Float4> l = lofiPair(r, a, b);
    Float4 y[4];
    lofiSamples(l, y);
    lofiFinish(r, a, b, pair, l.low, l.band, y);
    return i + (pair ? 2 : 1);
}

// Four entries with four different slots at a time in eight lanes, the same operations per
// lane as two pairs; the rest pair by pair.
__attribute__((target("avx2"), flatten)) void runLofiWide(const LofiRun& r) {
    for (int i = 0; i < r.count;) {
        const LofiReduced* q = r.list + i;
        if (!(i + 3 < r.count && fourSlots(q))) {
            i = runLofiPair(r, i);
            continue;
        }
        i += 4;
        const LofiLanes<Float4> lo = lofiPair(r, q[0], q[1]), hi = lofiPair(r, q[2], q[3]);
        LofiLanes<Float8> l;
        l.coef = Float8::join(lo.coef, hi.coef);
        l.on = Float8::join(lo.on, hi.on);
        l.low = Float8::join(lo.low, hi.low);
        l.band = Float8::join(lo.band, hi.band);
        l.value[0] = Float8::join(lo.value[0], hi.value[0]);
        l.value[1] = Float8::join(lo.value[1], hi.value[1]);
        l.allOn = lo.allOn && hi.allOn;
        Float8 y[4];
        wide::lofiSamples(l, y);
        const Float4 yLo[4] = {y[0].low(), y[1].low(), y[2].low(), y[3].low()};
        const Float4 yHi[4] = {y[0].high(), y[1].high(), y[2].high(), y[3].high()};
        lofiFinish(r, q[0], q[1], true, l.low.low(), l.band.low(), yLo);
        lofiFinish(r, q[2], q[3], true, l.low.high(), l.band.high(), yHi);
    }
}

// The pass's voices through the waveshaper, each with its sub-voices.
struct ShaperRun {
    int count;
    const int* slotCount;
    const int (*slots)[APlugin::kSubVoicesPerVoice];
    const ShaperVoice* voices;
    stereoOverStruct (*pathIn)[2];
    stereoOverStruct (*pathOut)[2];
    const float* cosTable;
    bool handOn;
};

// A frame's four values at a time.
inline void shapeVoices(const ShaperRun& r) {
    for (int i = 0; i < r.count; ++i) {
        const ShaperLanes<Float4> s(r.voices[i]);
        for (int j = 0; j < r.slotCount[i]; ++j) {
            const int slot = r.slots[i][j];
            for (int f = 0; f < 2; ++f) {
                float* in = &r.pathIn[slot][f].first.left;
                const Float4 y = shape(s, Float4::load(in), r.cosTable);
                y.store(&r.pathOut[slot][f].first.left);
                if (r.handOn) y.store(in);
            }
        }
    }
}

// Both frames of a sub-voice at a time in eight lanes, the same operations per lane.
__attribute__((target("avx2"), flatten)) void shapeVoicesWide(const ShaperRun& r) {
    for (int i = 0; i < r.count; ++i) {
        const wide::ShaperLanes<Float8> s(r.voices[i]);
        for (int j = 0; j < r.slotCount[i]; ++j) {
            float* in = &r.pathIn[r.slots[i][j]][0].first.left;
            const Float8 y = wide::shape(s, Float8(_mm256_loadu_ps(in)), r.cosTable);
            _mm256_storeu_ps(&r.pathOut[r.slots[i][j]][0].first.left, y.v);
            if (r.handOn) _mm256_storeu_ps(in, y.v);
        }
    }
}

} // namespace

void APlugin::collectStageVoices(StageVoices& out) const {
    int index[kNumVoices];
    for (int& i : index) i = -1;
    out.count = 0;
    for (int i = 0; i < subVoiceCount && i < kSubVoiceSlots; ++i) {
        const int slot = subVoiceList[0][i], v = subVoiceList[1][i];
        if (slot < 0 || slot >= kSubVoiceSlots || v < 0 || v >= kNumVoices) continue;
        if (index[v] < 0) {
            index[v] = out.count++;
            out.voices[index[v]] = v;
            out.slotCount[index[v]] = 0;
        }
        int& n = out.slotCount[index[v]];
        if (n < kSubVoicesPerVoice) out.slots[index[v]][n++] = slot;
    }
}

void APlugin::setVoiceStages(int voice, bool smooth) {
    if (voice < 0 || voice >= kNumVoices) return;
    const int v = voice;
    // Set up while the switch is on, and while the slow update's flag, which decides whether
    // the path runs the stage, still says so: a stage never runs on values it was not given.
    if (getOnOff(tag::WaveShaperOn) || shaperOn) {
        if (smooth) {
            shaperTopSmooth[v] =
                kSmoothKeep * shaperTopSmooth[v] + kSmoothTake * currentValues[tag::WaveShaperTop];
            shaperBottomSmooth[v] = kSmoothKeep * shaperBottomSmooth[v] +
                                    kSmoothTake * currentValues[tag::WaveShaperBottom];
        }
        const float topMod =
            getVoiceStageValue(v, tag::WaveShaperTop) - currentValues[tag::WaveShaperTop];
        const float bottomMod =
            getVoiceStageValue(v, tag::WaveShaperBottom) - currentValues[tag::WaveShaperBottom];
        // The fold factors' powers of two are made again only when their clamped inputs move.
        auto fold = [](float x) { return (std::exp2(4.0f * x) - 1.0f) * 65535.99f; };
        shaperTop[v] = shaperTopMemo[v](clamp01(shaperTopSmooth[v] + topMod), fold);
        shaperBottom[v] = shaperBottomMemo[v](clamp01(shaperBottomSmooth[v] + bottomMod), fold);
        shaperRect[v] = 1.0f - 2.0f * clamp01(getVoiceStageValue(v, tag::WaveShaperRectification));
    }
    if (getOnOff(tag::LowFiOn) || lofiOn) {
        lofiStep[v] = lofiStepMemo[v](clamp01(getVoiceStageValue(v, tag::LowFiBits)), [&](float x) {
            const float step = std::exp2(16.5f - 16.0f * x);
            lofiInvStep[v] = 1.0f / step;
            return step;
        });
        lofiHold[v] = lofiHoldMemo[v](clamp01(getVoiceStageValue(v, tag::LowFiSampleRate)),
                                      [](float x) { return std::exp2(5.0f * x); });
        const float noise = clamp01(getVoiceStageValue(v, tag::LowFiNoise));
        lofiNoise[v] = noise * noise * noise;
    }
    setVoiceDistortCoeffs(v, smooth);
}

void APlugin::doWaveShaper() {
    if (!getOnOff(tag::WaveShaperOn) || !tables) return;
    StageVoices local;
    const StageVoices& sv = passStageVoices(local);
    const StageKnob mixKnob = stageKnob(tag::WaveShaperMix);
    const bool handOn = pathStageVoices != nullptr; // run by the path: write its next input too
    ShaperVoice voices[kNumVoices];
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        shaperMix[v] = kSmoothKeep * shaperMix[v] + kSmoothTake * mixKnob.knob;
        const float mod = mixKnob.at(voiceDest[v]) - mixKnob.knob;
        const float w = clamp01(shaperMix[v] + mod);
        const float dry = clamp01(2.0f - 2.0f * w), wet = clamp01(2.0f * w);
        // The sign picks the side's fold and gain per lane, so it never drives a branch.
        voices[i] = {shaperTop[v], shaperBottom[v], wet, wet * shaperRect[v], dry};
    }
    const ShaperRun run{sv.count, sv.slotCount, sv.slots,         voices,
                        pathIn,   pathOut,      tables->CosArray, handOn};
    if (stagesWide)
        shapeVoicesWide(run);
    else
        shapeVoices(run);
}

void APlugin::doLowFi() {
    if (!getOnOff(tag::LowFiOn) || !tables) return;
    StageVoices local;
    const StageVoices& sv = passStageVoices(local);
    checkStageMemoRate();
    const bool handOn = pathStageVoices != nullptr; // run by the path: write its next input too
    const StageKnob mixKnob = stageKnob(tag::LowFiMix);
    const StageKnob lowPassKnob = stageKnob(tag::LowFiLowPassFrequency);
    float dry[kNumVoices] = {}, wet[kNumVoices] = {}, coef[kNumVoices] = {};
    bool filterOn[kNumVoices] = {};
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        lofiMix[v] = kSmoothKeep * lofiMix[v] + kSmoothTake * mixKnob.knob;
        const float w = clamp01(lofiMix[v] + mixKnob.at(voiceDest[v]) - mixKnob.knob);
        dry[v] = clamp01(2.0f - 2.0f * w);
        wet[v] = clamp01(2.0f * w);
        const float f = clamp01(lowPassKnob.at(voiceDest[v]));
        filterOn[v] = f < 0.99f;
        coef[v] = lofiCoefMemo[v](f, [this](float x) {
            const float hz = std::fmin(20.0f * std::exp2(10.0f * x), rateTimes04);
            return filterTables().FilterSine[filterTableIndex(hz * inverseDoubleRate)];
        });
    }
    // First the held and reduced values of every sub-voice in list order (the noise follows
    // that order), then the low-pass and the mix two sub-voices at a time.
    LofiReduced list[kSubVoiceSlots];
    int count = 0;
    const Float4 zero, one(1.0f), minusOne(-1.0f), half(0.5f), whole(8388608.0f);
    for (int i = 0; i < subVoiceCount && i < kSubVoiceSlots; ++i) {
        const int slot = subVoiceList[0][i], v = subVoiceList[1][i];
        if (slot < 0 || slot >= kSubVoiceSlots || v < 0 || v >= kNumVoices) continue;
        // A voice whose steps were never set (its first update still to come) passes through.
        if (!(lofiStep[v] > 0.0f) || !(lofiHold[v] >= 1.0f)) continue;
        LofiReduced& r = list[count++];
        r.slot = slot;
        r.voice = v;
        float held[4]; // frame 0 {L, R}, frame 1 {L, R}
        for (int f = 0; f < 2; ++f) {
            const stereoOverStruct& in = pathIn[slot][f];
            lofiCounter[slot] += 1.0f;
            if (lofiCounter[slot] >= lofiHold[v]) {
                lofiHeld[slot] = frameMean(in);
                lofiCounter[slot] -= lofiHold[v];
            }
            held[2 * f] = lofiHeld[slot].left;
            held[2 * f + 1] = lofiHeld[slot].right;
        }
        // The rest is the same on all four values, one lane each:
        // sign(h) * floor(step * |h|) / step * noise.
        const Float4 h(held[0], held[1], held[2], held[3]);
        const __m128 sgn = _mm_or_ps(_mm_and_ps(_mm_cmpgt_ps(h.v, zero.v), one.v),
                                     _mm_and_ps(_mm_cmplt_ps(h.v, zero.v), minusOne.v));
        const Float4 m = Float4(lofiStep[v]) * abs(h);
        // floorPositive: below 2^23 the truncated integer, else (or NaN) the value itself.
        const __m128 small = _mm_cmplt_ps(m.v, whole.v);
        const __m128 truncated = _mm_cvtepi32_ps(_mm_cvttps_epi32(m.v));
        const Float4 q = Float4(sgn) *
                         Float4(_mm_or_ps(_mm_and_ps(small, truncated), _mm_andnot_ps(small, m.v)));
        const Float4 reduced = q * Float4(lofiInvStep[v]);
        if (lofiNoise[v] == 0.0f) {
            // Without noise the factor is exactly 1 and the four draws only move the seed on:
            // the generator's four steps at once.
            constexpr uint32_t a = 16807u, a2 = a * a, a4 = a2 * a2, c4 = a2 * a + a2 + a + 1u;
            RandSeed = RandSeed * a4 + c4;
            reduced.store(&r.value[0][0]);
            continue;
        }
        // The noise draws in frame, then channel order.
        int32_t draw[4];
        for (int32_t& d : draw) {
            const uint32_t t = RandSeed * 16807u;
            RandSeed = t + 1u;
            d = static_cast<int32_t>(t);
        }
        const Float4 rnd =
            Float4(_mm_cvtepi32_ps(_mm_setr_epi32(draw[0], draw[1], draw[2], draw[3]))) *
            Float4(4.656612873e-10f);
        const Float4 noise(lofiNoise[v]);
        (reduced * ((one - noise) + noise * (rnd + one) * half)).store(&r.value[0][0]);
    }
    const LofiRun run{list,    count,    dry,    wet,     coef,  filterOn,
                      lofiLow, lofiBand, pathIn, pathOut, handOn};
    if (stagesWide) {
        runLofiWide(run);
        return;
    }
    for (int i = 0; i < count;) i = runLofiPair(run, i);
}
