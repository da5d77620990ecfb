// The voice path's distortion position: the common chain (pre-gain, shaping, level matching,
// low-pass and high-pass, post-gain) and the Clipper and Tube chains, and the mode's
// control-rate coefficients. Audio thread: once per pass, and at each voice's control rate.
#include "dsp/FilterMath.h"
#include "dsp/Float8.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/StageMath.h"
#include "engine/voice/VoiceDistortModes.h"

#include <cmath>

namespace {

using namespace stagemath;

constexpr int kMixKnob = 0; // distortSmooth[v][0] is the mix (tag 72), [1..7] the knobs

// Two slots' stereo values side by side: lanes {L, R} of the first, then of the second.
inline Float4 pairOf(stereoStruct a, stereoStruct b) {
    return Float4(a.left, a.right, b.left, b.right);
}

inline void split(Float4 v, stereoStruct& a, stereoStruct& b) {
    alignas(16) float f[4];
    _mm_store_ps(f, v.v);
    a = {f[0], f[1]};
    b = {f[2], f[3]};
}

// The means of two slots' frames side by side, {L, R} of a, then of b.
inline Float4 frameMeans(const stereoOverStruct& a, const stereoOverStruct& b) {
    const Float4 fa = Float4::load(&a.first.left), fb = Float4::load(&b.first.left);
    // Sub-frame 0 of a and b, then sub-frame 1 of a and b.
    return (Float4(_mm_movelh_ps(fa.v, fb.v)) + Float4(_mm_movehl_ps(fb.v, fa.v))) * Float4(0.5f);
}

// dry x input + wet x shaped into one slot's two path frames, and back into its input frames
// when `handOn`. y[k] holds sub-sample k of two slots, {L, R} of the first, then of the second;
// `upper` picks the second.
inline void mixInto(stereoOverStruct (&out)[2], stereoOverStruct (&in)[2], const Float4 (&y)[4],
                    bool upper, float dry, float wet, bool handOn) {
    for (int f = 0; f < 2; ++f) {
        const Float4 shaped = upper ? _mm_movehl_ps(y[2 * f + 1].v, y[2 * f].v)
                                    : _mm_movelh_ps(y[2 * f].v, y[2 * f + 1].v);
        const Float4 mixed = Float4(dry) * Float4::load(&in[f].first.left) + Float4(wet) * shaped;
        mixed.store(&out[f].first.left);
        if (handOn) mixed.store(&in[f].first.left);
    }
}

// Per voice: drive, tone, damping, rectification, limit, gain, dry and wet, in one row so a pair
// of voices takes each as {a, a, b, b} in one shuffle.
enum TubeParameter { kDrive, kTone, kDamping, kRectify, kLimit, kGain, kDry, kWet };

struct TubeEntry {
    int slot, index; // the sub-voice's slot and its voice's row
};

// The Tube chain keeps nothing between voices, so it pairs sub-voices across them (without
// unison two voices share a step instead of one voice filling half of it); with AVX2 two pairs
// share an eight-lane step.
struct TubeRun {
    const float (*par)[8];
    const TubeEntry* list;
    int count;
    stereoOverStruct (*pathIn)[2];
    stereoOverStruct (*pathOut)[2];
    APlugin::DistortFilterState* states;
    bool handOn;
};

// One step's parameters, each sub-voice's in its two lanes.
template <class V> struct TubeLanes { V drive, tone, damping, rectify, limit, gain; };

inline TubeLanes<Float4> pairLanes(const float* a, const float* b) {
    const __m128 a0 = _mm_load_ps(a), b0 = _mm_load_ps(b);
    const __m128 a1 = _mm_load_ps(a + 4), b1 = _mm_load_ps(b + 4);
    return {_mm_shuffle_ps(a0, b0, _MM_SHUFFLE(0, 0, 0, 0)),
            _mm_shuffle_ps(a0, b0, _MM_SHUFFLE(1, 1, 1, 1)),
            _mm_shuffle_ps(a0, b0, _MM_SHUFFLE(2, 2, 2, 2)),
            _mm_shuffle_ps(a0, b0, _MM_SHUFFLE(3, 3, 3, 3)),
            _mm_shuffle_ps(a1, b1, _MM_SHUFFLE(0, 0, 0, 0)),
            _mm_shuffle_ps(a1, b1, _MM_SHUFFLE(1, 1, 1, 1))};
}

inline Float4 negate(Float4 x) {
    return _mm_xor_ps(x.v, _mm_set1_ps(-0.0f));
}

ZEK2_AVX2 inline Float8 negate(Float8 x) {
    return _mm256_xor_ps(x.v, _mm256_set1_ps(-0.0f));
}

// The lane steps: for four lanes here, and for eight in `wide`, compiled for AVX2 as a whole.
#include "engine/voice/VoiceDistortSteps.h"

#pragma GCC push_options
#pragma GCC target("avx2")
namespace wide {
#include "engine/voice/VoiceDistortSteps.h"
} // namespace wide
#pragma GCC pop_options

// A pair's states back (a state that stopped being finite starts again from silence) and its
// frames mixed into the path; `second` says whether eb is a sub-voice of its own.
inline void finishTubePair(const TubeRun& r, const TubeEntry& ea, const TubeEntry& eb, bool second,
                           Float4 low, Float4 band, const Float4 (&y)[4]) {
    APlugin::DistortFilterState& a = r.states[ea.slot];
    APlugin::DistortFilterState& b = r.states[eb.slot];
    stereoStruct lowB, bandB;
    split(filtermath::finiteOrZero(low), a.low1, lowB);
    split(filtermath::finiteOrZero(band), a.band1, bandB);
    const float* pa = r.par[ea.index];
    mixInto(r.pathOut[ea.slot], r.pathIn[ea.slot], y, false, pa[kDry], pa[kWet], r.handOn);
    if (!second) return;
    b.low1 = lowB;
    b.band1 = bandB;
    const float* pb = r.par[eb.index];
    mixInto(r.pathOut[eb.slot], r.pathIn[eb.slot], y, true, pb[kDry], pb[kWet], r.handOn);
}

// Entry e with the next one, four lanes; returns the entry after them. A slot listed twice
// (never in practice) runs on its own, after its first entry.
inline int runTubePair(const TubeRun& r, int e) {
    const TubeEntry& ea = r.list[e];
    const bool second = e + 1 < r.count && r.list[e + 1].slot != ea.slot;
    const TubeEntry& eb = second ? r.list[e + 1] : ea;
    const int s0 = ea.slot, s1 = eb.slot;
    const TubeLanes<Float4> p = pairLanes(r.par[ea.index], r.par[eb.index]);
    Float4 low = pairOf(r.states[s0].low1, r.states[s1].low1);
    Float4 band = pairOf(r.states[s0].band1, r.states[s1].band1);
    const Float4 x[2] = {frameMeans(r.pathIn[s0][0], r.pathIn[s1][0]),
                         frameMeans(r.pathIn[s0][1], r.pathIn[s1][1])};
    Float4 y[4];
    tubeSamples(p, low, band, x, y);
    finishTubePair(r, ea, eb, second, low, band, y);
    return e + (second ? 2 : 1);
}

// Four entries with four different slots at a time in eight lanes, the same operations per
// lane as two pairs; the rest pair by pair.
__attribute__((target("avx2"), flatten)) void runTubeWide(const TubeRun& r) {
    for (int e = 0; e < r.count;) {
        const TubeEntry* q = r.list + e;
        if (!(e + 3 < r.count && fourSlots(q))) {
            e = runTubePair(r, e);
            continue;
        }
        e += 4;
        const TubeLanes<Float4> lo = pairLanes(r.par[q[0].index], r.par[q[1].index]);
        const TubeLanes<Float4> hi = pairLanes(r.par[q[2].index], r.par[q[3].index]);
        const TubeLanes<Float8> p = {
            Float8::join(lo.drive, hi.drive),     Float8::join(lo.tone, hi.tone),
            Float8::join(lo.damping, hi.damping), Float8::join(lo.rectify, hi.rectify),
            Float8::join(lo.limit, hi.limit),     Float8::join(lo.gain, hi.gain)};
        const APlugin::DistortFilterState* st[4] = {&r.states[q[0].slot], &r.states[q[1].slot],
                                                    &r.states[q[2].slot], &r.states[q[3].slot]};
        Float8 low =
            Float8::join(pairOf(st[0]->low1, st[1]->low1), pairOf(st[2]->low1, st[3]->low1));
        Float8 band =
            Float8::join(pairOf(st[0]->band1, st[1]->band1), pairOf(st[2]->band1, st[3]->band1));
        Float8 x[2];
        for (int f = 0; f < 2; ++f)
            x[f] = Float8::join(frameMeans(r.pathIn[q[0].slot][f], r.pathIn[q[1].slot][f]),
                                frameMeans(r.pathIn[q[2].slot][f], r.pathIn[q[3].slot][f]));
        Float8 y[4];
        wide::tubeSamples(p, low, band, x, y);
        const Float4 yLo[4] = {y[0].low(), y[1].low(), y[2].low(), y[3].low()};
        const Float4 yHi[4] = {y[0].high(), y[1].high(), y[2].high(), y[3].high()};
        finishTubePair(r, q[0], q[1], true, low.low(), band.low(), yLo);
        finishTubePair(r, q[2], q[3], true, low.high(), band.high(), yHi);
    }
}

} // namespace

int APlugin::getVoiceDistortMode() const {
    const int menu = getSteppedValue(tag::VoiceDistortionMode);
    return REAL_DISTORT_MODES[0][menu < 0 ? 0 : (menu > 22 ? 22 : menu)];
}

void APlugin::setVoiceDistortCoeffs(int v, bool smooth) {
    if (smooth && getOnOff(tag::VoiceDistortionOn)) {
        for (int i = 0; i < 8; ++i)
            distortSmooth[v][i] = 0.9f * distortSmooth[v][i] +
                                  0.100000024f * currentValues[tag::VoiceDistortionMix + i];
    }
    auto knob = [&](int i) {
        const int t = tag::VoiceDistortionMix + i;
        return clamp01(distortSmooth[v][i] + getVoiceStageValue(v, t) - currentValues[t]);
    };
    const int mode = getVoiceDistortMode();
    float(&c)[voicedistort::kCoeffs] = voiceDistortCoeffs[v];
    voicedistort::computeCoeffs(mode, knob(2), knob(3), knob(4), knob(5), knob(6), engineRate, c);
    voiceDistortCoeffMode[v] = mode;
}

void APlugin::doVoiceDistort() {
    if (!getOnOff(tag::VoiceDistortionOn) || !tables) return;
    const int mode = getVoiceDistortMode();
    checkStageMemoRate();
    StageVoices local;
    const StageVoices& sv = passStageVoices(local);
    // The knobs and their modulation slots are the same for every voice of the pass. Each
    // voice's eight values are two four-lane steps of StageKnob::at and clamp01: a knob without
    // a slot reads slot 0 under a zero mask, so it adds 0 as at() does.
    int dest[8];
    alignas(16) float knob[8];
    alignas(16) int32_t hasDest[8];
    for (int k = 0; k < 8; ++k) {
        const StageKnob s = stageKnob(tag::VoiceDistortionMix + k);
        knob[k] = s.knob;
        dest[k] = s.dest;
        hasDest[k] = s.dest > 0 ? -1 : 0;
    }
    const Float4 knobLo = Float4::load(knob), knobHi = Float4::load(knob + 4);
    const __m128 maskLo = _mm_load_ps(reinterpret_cast<const float*>(hasDest));
    const __m128 maskHi = _mm_load_ps(reinterpret_cast<const float*>(hasDest + 4));
    const Float4 zero, one(1.0f);
    alignas(16) float knobs[kNumVoices][8];
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        // A mode chosen since the voice's last update gets its own coefficients now: another
        // mode's would put its curve on the wrong scale until then.
        if (voiceDistortCoeffMode[v] != mode) setVoiceDistortCoeffs(v, false);
        const float* d = voiceDest[v];
        const Float4 modLo(
            _mm_and_ps(maskLo, _mm_setr_ps(d[dest[0]], d[dest[1]], d[dest[2]], d[dest[3]])));
        const Float4 modHi(
            _mm_and_ps(maskHi, _mm_setr_ps(d[dest[4]], d[dest[5]], d[dest[6]], d[dest[7]])));
        // clamp01 as max then min: a NaN and -0 come out as +0, as there.
        min(max(Float4::load(distortSmooth[v]) + (knobLo + modLo) - knobLo, zero), one)
            .store(knobs[i]);
        min(max(Float4::load(distortSmooth[v] + 4) + (knobHi + modHi) - knobHi, zero), one)
            .store(knobs[i] + 4);
        if (mode == voicedistort::Tube) continue;
        const float w = knobs[i][kMixKnob];
        doDistortChain(v, sv.slots[i], sv.slotCount[i], mode, clamp01(2.0f - 2.0f * w),
                       clamp01(2.0f * w), knobs[i]);
    }
    // The Tube chain keeps nothing between voices, so it pairs sub-voices across them: without
    // unison two voices share a step instead of one voice filling half of it.
    if (mode == voicedistort::Tube) doTubeChains(sv, knobs);
}

void APlugin::doTubeChains(const StageVoices& sv, const float (*knobs)[8]) {
    const LookupTables& t = *tables;
    alignas(16) float par[kNumVoices][8];
    TubeEntry list[kSubVoiceSlots];
    int count = 0;
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        const float(&K)[8] = knobs[i];
        float(&P)[8] = par[i];
        P[kDrive] = tubeDriveMemo[v](K[3], [](float x) { return std::exp2(8.0f * x) - 1.0f; });
        const float toneControl = K[4] + (2.0f * K[6] - 1.0f) * voiceFilters[v].getModWheel();
        P[kTone] = tubeToneMemo[v](toneControl, [&](float x) {
            return filterTables().FilterSine[filterTableIndex(
                std::fmin(20.0f * std::exp2(10.0f * clamp01(x)), rateTimes04) * inverseDoubleRate)];
        });
        P[kDamping] = 1.0f - 0.95f * K[5];
        P[kRectify] = 2.0f * K[2] - 1.0f;
        P[kLimit] = K[1];
        P[kGain] = t.dbGain40Array[unitTableIndex(K[7])];
        const float w = K[kMixKnob];
        P[kDry] = clamp01(2.0f - 2.0f * w);
        P[kWet] = clamp01(2.0f * w);
        for (int j = 0; j < sv.slotCount[i]; ++j) list[count++] = {sv.slots[i][j], i};
    }
    // Run by the path: write its next input too.
    const TubeRun run{par, list, count, pathIn, pathOut, distortStates, pathStageVoices != nullptr};
    if (stagesWide) {
        runTubeWide(run);
        return;
    }
    for (int e = 0; e < count;) e = runTubePair(run, e);
}

void APlugin::doDistortChain(int v, const int* slots, int count, int mode, float dry, float wet,
                             const float (&K)[8]) {
    const LookupTables& t = *tables;
    const bool handOn = pathStageVoices != nullptr; // run by the path: write its next input too

    auto coefFor = [&](float hz) {
        const float fc = std::fmin(hz, rateTimes04);
        return filterTables().FilterSine[clampTableIndex(
            (fc + 0.001f) * 262143.0f * inverseDoubleRate, LUT_FILTER_SIZE)];
    };
    const float postGain = t.dbGainBipolarArray[unitTableIndex(K[7])];

    if (mode == voicedistort::Clipper) {
        const float tone = coefFor(20.0f * std::exp2(10.0f * K[2]));
        const float preGain = t.dbGainBipolarArray[unitTableIndex(K[1])];
        const float* c = voiceDistortCoeffs[v];
        for (int j = 0; j < count; ++j) {
            const int s = slots[j];
            DistortFilterState& st = distortStates[s];
            float* low[2] = {&st.low1.left, &st.low1.right};
            float* band[2] = {&st.band1.left, &st.band1.right};
            float* s1[2] = {&st.low2.left, &st.low2.right};
            float* s2[2] = {&st.band2.left, &st.band2.right};
            float y[4][2];
            for (int k = 0; k < 4; ++k) {
                const stereoStruct mean = frameMean(pathIn[s][k / 2]);
                const float x[2] = {mean.left, mean.right};
                for (int ch = 0; ch < 2; ++ch) {
                    const float b = clipBand(*band[ch]);
                    const float high = x[ch] + 1e-15f - *low[ch] - b;
                    *band[ch] = tone * high + b;
                    *low[ch] = tone * *band[ch] + *low[ch];
                    keepFinite(*low[ch], *band[ch]);
                    const float value = clampf((1.4142135f * high + 1e-15f) * preGain, -c[0], c[1]);
                    *s1[ch] = c[2] * value + (1.0f - c[2]) * *s1[ch] + 1e-15f;
                    *s2[ch] = c[3] * *s1[ch] + (1.0f - c[3]) * *s2[ch] + 1e-15f;
                    keepFinite(*s1[ch], *s2[ch]);
                    y[k][ch] = postGain * (*s1[ch] - *s2[ch]);
                }
            }
            for (int f = 0; f < 2; ++f) {
                const stereoOverStruct& in = pathIn[s][f];
                pathOut[s][f] = {{dry * in.first.left + wet * y[2 * f][0],
                                  dry * in.first.right + wet * y[2 * f][1]},
                                 {dry * in.second.left + wet * y[2 * f + 1][0],
                                  dry * in.second.right + wet * y[2 * f + 1][1]}};
                if (handOn) pathIn[s][f] = pathOut[s][f];
            }
        }
        return;
    }

    // The common chain.
    const float preGain = t.dbGainBipolarArray[unitTableIndex(K[1])];
    const voicedistort::PassKnobs pk =
        voicedistort::passKnobs(K[2], K[3], userWaveTables[0],
                                userWaveTables[OSC_USER_TABLE_START[1] - OSC_USER_TABLE_START[0]]);
    const float(&coeffs)[voicedistort::kCoeffs] = voiceDistortCoeffs[v];
    const float fLow = coefFor(20.0f * std::exp2(10.0f * K[5]));
    const float fHigh = coefFor(20.0f * std::exp2(10.0f * K[6]));
    float normal = 1.0f;
    stereoStruct shaped[kSubVoicesPerVoice][2]; // slot, frame
    for (int j = 0; j < count; ++j) {
        const int s = slots[j];
        for (int f = 0; f < 2; ++f) {
            const stereoStruct x = frameMean(pathIn[s][f]);
            const float in[2] = {x.left, x.right};
            float out[2];
            for (int ch = 0; ch < 2; ++ch) {
                // The curves index tables with their input: it must be a number within -1..1.
                const float pre =
                    std::isfinite(in[ch]) ? clampf(in[ch] * preGain, -1.0f, 1.0f) : 0.0f;
                out[ch] = voicedistort::shape(mode, pre, coeffs, pk, t);
            }
            shaped[j][f] = {out[0], out[1]};
        }
    }
    if (K[4] > 0.0001f) {
        // Level matching follows the first sub-voice: its input against its shaped output.
        const stereoStruct& first = pathIn[slots[0]][0].first;
        distortInLevel[v] = 0.98f * distortInLevel[v] + 0.01f * std::fabs(first.left + first.right);
        distortOutLevel[v] =
            std::fmax(0.001f, 0.98f * distortOutLevel[v] +
                                  0.01f * std::fabs(shaped[0][0].left + shaped[0][0].right));
        if (!std::isfinite(distortInLevel[v]) || !std::isfinite(distortOutLevel[v]))
            distortInLevel[v] = distortOutLevel[v] = 0.001f;
        normal = (1.0f - K[4]) + K[4] * distortInLevel[v] / distortOutLevel[v];
    }
    const Float4 off(1e-15f), damp(0.9f), sqrt2(1.4142135f), lowCoef(fLow), highCoef(fHigh);
    const Float4 outGain(postGain * 0.707f), one(1.0f), minusOne(-1.0f);
    for (int j = 0; j < count; j += 2) {
        const int s0 = slots[j];
        const bool second = j + 1 < count;
        const int s1 = second ? slots[j + 1] : s0;
        const int j1 = second ? j + 1 : j;
        DistortFilterState& a = distortStates[s0];
        DistortFilterState& b = distortStates[s1];
        Float4 low1 = pairOf(a.low1, b.low1), band1 = pairOf(a.band1, b.band1);
        Float4 low2 = pairOf(a.low2, b.low2), band2 = pairOf(a.band2, b.band2);
        Float4 y[4];
        for (int k = 0; k < 4; ++k) {
            const Float4 x = pairOf(shaped[j][k / 2], shaped[j1][k / 2]) * Float4(normal);
            const Float4 b1 = clipBand4(band1);
            const Float4 high1 = x + off - low1 - damp * b1;
            band1 = lowCoef * high1 + b1;
            low1 = lowCoef * band1 + low1;
            const Float4 b2 = clipBand4(band2);
            const Float4 high2 = sqrt2 * low1 - low2 - damp * b2;
            band2 = highCoef * high2 + b2;
            low2 = highCoef * band2 + low2;
            y[k] = clamp((high2 + off) * outGain, minusOne, one);
        }
        stereoStruct l1, b1s, l2, b2s;
        split(filtermath::finiteOrZero(low1), a.low1, l1);
        split(filtermath::finiteOrZero(band1), a.band1, b1s);
        split(filtermath::finiteOrZero(low2), a.low2, l2);
        split(filtermath::finiteOrZero(band2), a.band2, b2s);
        mixInto(pathOut[s0], pathIn[s0], y, false, dry, wet, handOn);
        if (second) {
            b.low1 = l1;
            b.band1 = b1s;
            b.low2 = l2;
            b.band2 = b2s;
            mixInto(pathOut[s1], pathIn[s1], y, true, dry, wet, handOn);
        }
    }
}
