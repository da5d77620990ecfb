// The voice filter's block form for unison: one call filters the n sub-voices of a voice with
// the shared controls and coefficients, two sub-voices per four-lane vector, each lane group on
// its own state and each sub-voice's comb on its own rings. Audio thread only.
#include "dsp/FilterMath.h"
#include "dsp/TFilter.h"

namespace {

// Sub-frame k of a pass: 0 and 1 from frame A, 2 and 3 from frame B.
inline stereoStruct& subFrame(stereoOverStruct* a, stereoOverStruct* b, int j, int k) {
    stereoOverStruct& f = k < 2 ? a[j] : b[j];
    return (k & 1) ? f.second : f.first;
}

// Lanes {R of 2g+1, L of 2g+1, R of 2g, L of 2g}.
inline Float4 gather(const stereoStruct& lo, const stereoStruct& hi) {
    return Float4(hi.right, hi.left, lo.right, lo.left);
}

inline void scatter(Float4 v, stereoStruct& lo, stereoStruct& hi) {
    alignas(16) float f[4];
    _mm_store_ps(f, v.v);
    hi.right = f[0];
    hi.left = f[1];
    lo.right = f[2];
    lo.left = f[3];
}

} // namespace

void TFilter::process(stereoStruct cutoff, stereoStruct cutoffMod, float resonanceValue,
                      float vowel, int n, stereoOverStruct* inA, stereoOverStruct* inB,
                      stereoOverStruct* outA, stereoOverStruct* outB) {
    if (n < 1 || !inA || !inB || !outA || !outB) return;
    if (n > kMaxSubVoices) n = kMaxSubVoices;

    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < 4; ++k) {
            stereoStruct& s = subFrame(inA, inB, j, k);
            float x[2] = {s.left, s.right};
            preDrive(x, 2);
            s = {x[0], x[1]};
        }
    }
    if (type == 0 && !hpOn) {
        for (int j = 0; j < n; ++j) {
            outA[j] = inA[j];
            outB[j] = inB[j];
        }
        return;
    }
    if (updateControls(cutoff, cutoffMod, resonanceValue, vowel)) computeCoefficients(vowel);

    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < 4; ++k) {
            stereoStruct& s = subFrame(inA, inB, j, k);
            s.left = 0.1f * filtermath::finiteOr0(s.left) + 1e-15f;
            s.right = 0.1f * filtermath::finiteOr0(s.right) + 1e-15f;
        }
        outA[j] = inA[j];
        outB[j] = inB[j];
    }
    if (n & 1) { // the last group pairs the last sub-voice with a copy of itself
        inA[n] = inA[n - 1];
        inB[n] = inB[n - 1];
    }
    const int groups = (n + 1) / 2;
    int slots[4][3];
    historySlots(slots);
    Float4 ring[4];
    if (type == 41 || type == 42) ringModulators(ring);

    if (type >= 38 && type <= 40) {
        // Combs run at full level on each sub-voice's own rings, limited to +-10.
        for (int j = 0; j < n; ++j) {
            float left[4], right[4];
            for (int k = 0; k < 4; ++k) {
                const stereoStruct& s = subFrame(inA, inB, j, k);
                left[k] = s.left;
                right[k] = s.right;
            }
            runComb(2 + j, 8 + j, left, right, blockRingFill, true);
            for (int k = 0; k < 4; ++k) subFrame(outA, outB, j, k) = {left[k], right[k]};
        }
        blockRingFill = blockRingFill + 4 < kRingFrames ? blockRingFill + 4 : kRingFrames;
        advanceComb();
        if (n & 1) {
            outA[n] = outA[n - 1];
            outB[n] = outB[n - 1];
        }
    } else {
        const Float4 ten(10.0f), offset(1e-15f);
        for (int g = 0; g < groups; ++g) {
            Float4 v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = gather(subFrame(inA, inB, 2 * g, k), subFrame(inA, inB, 2 * g + 1, k));
            runGroup(block[g], v, slots, ring);
            sanitize(block[g], v);
            for (int k = 0; k < 4; ++k)
                scatter(v[k] * ten + offset, subFrame(outA, outB, 2 * g, k),
                        subFrame(outA, outB, 2 * g + 1, k));
        }
    }

    if (hpOn) {
        const Float4 ten(10.0f), tenth(0.1f), offset(1e-15f);
        for (int g = 0; g < groups; ++g) {
            Float4 v[4];
            for (int k = 0; k < 4; ++k)
                v[k] = gather(subFrame(outA, outB, 2 * g, k), subFrame(outA, outB, 2 * g + 1, k)) *
                           tenth +
                       offset;
            runHP(block[g], v);
            sanitize(block[g], v);
            for (int k = 0; k < 4; ++k)
                scatter(v[k] * ten + offset, subFrame(outA, outB, 2 * g, k),
                        subFrame(outA, outB, 2 * g + 1, k));
        }
    }
}
