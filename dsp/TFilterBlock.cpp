// The voice filter's block form for unison: one call filters the n sub-voices of a voice with
// the shared controls and coefficients, two sub-voices per four-lane vector, each lane group on
// its own state and each sub-voice's comb on its own rings. Audio thread only.
#include "dsp/FilterMath.h"
#include "dsp/Float8.h"
#include "dsp/TFilter.h"
#include "dsp/TFilterKernels.h"

namespace {

// A frame as lanes {L0, R0, L1, R1}, in memory order.
inline Float4 loadFrame(const stereoOverStruct& f) {
    return Float4::load(&f.first.left);
}

inline void storeFrame(Float4 v, stereoOverStruct& f) {
    v.store(&f.first.left);
}

inline void prepareFrames(Float4* a, Float4* b, int n, float drive, bool driven, bool scaled) {
    for (int j = 0; j < n; ++j) {
        a[j] = tfilter::prepare(a[j], drive, driven, scaled);
        b[j] = tfilter::prepare(b[j], drive, driven, scaled);
    }
}

// Frames A and B of a sub-voice side by side in eight lanes, the same operations per lane.
__attribute__((target("avx2"), flatten)) void
prepareFramesWide(Float4* a, Float4* b, int n, float drive, bool driven, bool scaled) {
    for (int j = 0; j < n; ++j) {
        const Float8 x = tfilter::wide::prepare(Float8::join(a[j], b[j]), drive, driven, scaled);
        a[j] = x.low();
        b[j] = x.high();
    }
}

// Sub-frames 0 and 1 of two frames {L0, R0, L1, R1} (sub-voices 2g and 2g + 1) as the lane
// group's vectors {R of 2g+1, L of 2g+1, R of 2g, L of 2g}.
inline Float4 groupLanes(Float4 lo, Float4 hi, bool second) {
    return second ? _mm_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(2, 3, 2, 3))
                  : _mm_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(0, 1, 0, 1));
}

// The group's two sub-frame vectors back into the frames of sub-voices 2g (lanes 3, 2) and
// 2g + 1 (lanes 1, 0).
inline void splitLanes(Float4 k0, Float4 k1, Float4& lo, Float4& hi) {
    lo = _mm_shuffle_ps(k0.v, k1.v, _MM_SHUFFLE(2, 3, 2, 3));
    hi = _mm_shuffle_ps(k0.v, k1.v, _MM_SHUFFLE(0, 1, 0, 1));
}

// The same two steps for groups 0 and 1 side by side (group 0 in lanes 0..3, 1 in 4..7): the
// frames of sub-voices 0 and 2, and of 1 and 3, joined, take the same in-lane shuffles.
ZEK2_AVX2 inline Float8 groupLanes(Float8 lo, Float8 hi, bool second) {
    return second ? _mm256_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(2, 3, 2, 3))
                  : _mm256_shuffle_ps(hi.v, lo.v, _MM_SHUFFLE(0, 1, 0, 1));
}

ZEK2_AVX2 inline void splitLanes(Float8 k0, Float8 k1, Float8& lo, Float8& hi) {
    lo = _mm256_shuffle_ps(k0.v, k1.v, _MM_SHUFFLE(2, 3, 2, 3));
    hi = _mm256_shuffle_ps(k0.v, k1.v, _MM_SHUFFLE(0, 1, 0, 1));
}

// The high-pass stage of the block form over lane groups 0 and 1 at once, frames a and b of
// sub-voices 0..3 in place, each group on its own states (low and band, [g]). Bit g of the
// result is set where group g's output is not finite; the caller then clears that group.
__attribute__((target("avx2"), flatten)) int highPassTwoGroups(Float4* a, Float4* b, Float4 f,
                                                               Float4 d, Float4* const (&low)[2],
                                                               Float4* const (&band)[2]) {
    const Float8 tenth(0.1f), ten(10.0f), offset(1e-15f);
    const Float8 loA = Float8::join(a[0], a[2]), hiA = Float8::join(a[1], a[3]);
    const Float8 loB = Float8::join(b[0], b[2]), hiB = Float8::join(b[1], b[3]);
    Float8 v[4] = {groupLanes(loA, hiA, false), groupLanes(loA, hiA, true),
                   groupLanes(loB, hiB, false), groupLanes(loB, hiB, true)};
    for (Float8& x : v) x = x * tenth + offset;
    Float8 lowState = Float8::join(*low[0], *low[1]), bandState = Float8::join(*band[0], *band[1]);
    tfilter::wide::highPass(lowState, bandState, v, Float8(f), Float8(d));
    *low[0] = lowState.low();
    *low[1] = lowState.high();
    *band[0] = bandState.low();
    *band[1] = bandState.high();
    __m256 finite = _mm256_set1_ps(-1.0f); // all bits set
    for (const Float8& x : v)
        finite = _mm256_and_ps(
            finite, _mm256_cmp_ps(_mm256_sub_ps(x.v, x.v), _mm256_setzero_ps(), _CMP_EQ_OQ));
    const int lanes = _mm256_movemask_ps(finite);
    for (Float8& x : v) x = x * ten + offset;
    Float8 lo, hi;
    splitLanes(v[0], v[1], lo, hi);
    a[0] = lo.low();
    a[2] = lo.high();
    a[1] = hi.low();
    a[3] = hi.high();
    splitLanes(v[2], v[3], lo, hi);
    b[0] = lo.low();
    b[2] = lo.high();
    b[1] = hi.low();
    b[3] = hi.high();
    return ((lanes & 0xF) != 0xF ? 1 : 0) | ((lanes >> 4) != 0xF ? 2 : 0);
}

} // namespace

void TFilter::process(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue,
                      float vowel, int n, const stereoOverStruct* inA, const stereoOverStruct* inB,
                      stereoOverStruct* outA, stereoOverStruct* outB) {
    if (n < 1 || !inA || !inB || !outA || !outB) return;
    if (n > kMaxSubVoices) n = kMaxSubVoices;
    if (blockStale) {
        for (Lanes& g : block) g = Lanes{};
        blockStale = false;
    }

    // Frames A and B of every sub-voice, worked on in registers; entry n repeats the last
    // sub-voice for an odd n, so the last lane group runs a copy of it.
    Float4 a[kMaxSubVoices + 1], b[kMaxSubVoices + 1];
    for (int j = 0; j < n; ++j) {
        a[j] = loadFrame(inA[j]);
        b[j] = loadFrame(inB[j]);
    }
    // The pre-drive, then for a filter that runs its working level: one tenth, with a sample
    // that is not finite entering as silence.
    const bool driven = drive > 0.0001f, bypassed = type == 0 && !hpOn;
    if (wide)
        prepareFramesWide(a, b, n, drive, driven, !bypassed);
    else
        prepareFrames(a, b, n, drive, driven, !bypassed);
    if (bypassed) {
        for (int j = 0; j < n; ++j) {
            storeFrame(a[j], outA[j]);
            storeFrame(b[j], outB[j]);
        }
        return;
    }
    if (updateControls(cutoff, cutoffMod, resonanceValue, vowel)) computeCoefficients(vowel);

    const Float4 tenth(0.1f), ten(10.0f), offset(1e-15f);
    if (n & 1) {
        a[n] = a[n - 1];
        b[n] = b[n - 1];
    }
    const int groups = (n + 1) / 2;
    int slots[4][3];
    historySlots(slots);
    Float4 ring[4];
    if (type == 41 || type == 42) ringModulators(ring);

    if (type >= 38 && type <= 40) {
        // Combs run at full level on each sub-voice's own rings, limited as the per-pass form
        // limits them.
        runCombBlock(a, b, n);
        blockRingFill = blockRingFill + 4 < kRingFrames ? blockRingFill + 4 : kRingFrames;
        advanceComb();
        if (n & 1) {
            a[n] = a[n - 1];
            b[n] = b[n - 1];
        }
    } else {
        for (int g = 0; g < groups; ++g) {
            Float4 v[4] = {groupLanes(a[2 * g], a[2 * g + 1], false),
                           groupLanes(a[2 * g], a[2 * g + 1], true),
                           groupLanes(b[2 * g], b[2 * g + 1], false),
                           groupLanes(b[2 * g], b[2 * g + 1], true)};
            runGroup(c, block[g], v, slots, ring);
            sanitize(block[g], v);
            for (Float4& x : v) x = x * ten + offset;
            splitLanes(v[0], v[1], a[2 * g], a[2 * g + 1]);
            splitLanes(v[2], v[3], b[2 * g], b[2 * g + 1]);
        }
    }

    if (hpOn) {
        int g = 0;
        if (wide && groups >= 2) {
            Float4* const low[2] = {&block[0].hpLow, &block[1].hpLow};
            Float4* const band[2] = {&block[0].hpBand, &block[1].hpBand};
            const int notFinite = highPassTwoGroups(a, b, c.hpF, c.hpD, low, band);
            if (notFinite & 1) block[0] = Lanes{};
            if (notFinite & 2) block[1] = Lanes{};
            g = 2;
        }
        for (; g < groups; ++g) {
            Float4 v[4] = {groupLanes(a[2 * g], a[2 * g + 1], false),
                           groupLanes(a[2 * g], a[2 * g + 1], true),
                           groupLanes(b[2 * g], b[2 * g + 1], false),
                           groupLanes(b[2 * g], b[2 * g + 1], true)};
            for (Float4& x : v) x = x * tenth + offset;
            runHP(c, block[g], v);
            sanitize(block[g], v);
            for (Float4& x : v) x = x * ten + offset;
            splitLanes(v[0], v[1], a[2 * g], a[2 * g + 1]);
            splitLanes(v[2], v[3], b[2 * g], b[2 * g + 1]);
        }
    }
    // Entry n of the outputs may be written: an odd n leaves the copy's result there.
    const int written = (n & 1) ? n + 1 : n;
    for (int j = 0; j < written; ++j) {
        storeFrame(a[j], outA[j]);
        storeFrame(b[j], outB[j]);
    }
}
