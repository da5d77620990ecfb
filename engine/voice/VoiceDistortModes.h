// The voice distortion's shaping curves and per-mode coefficients, as plain functions of the
// knob values, so that the stage and the tests share one definition. Audio thread (the stage
// and the voice's control-rate update); no state.
#pragma once

#include <cstdint>

struct LookupTables;

namespace voicedistort {

// Internal mode numbers (the voice menu maps to them through REAL_DISTORT_MODES).
enum Mode {
    And = 1,
    Atan = 2,
    Clipper = 4,
    Cos1 = 5,
    Cos2 = 6,
    Cross1 = 7,
    Cross2 = 8,
    Foldover = 9,
    Fuzz = 10,
    Gapper = 11,
    Limiter = 12,
    Octave1 = 14,
    Octave2 = 15,
    Overdrive = 16,
    Power = 17,
    Rectify = 18,
    Rez = 19,
    Saturator = 20,
    Shaper = 21,
    Square = 22,
    Transient = 23,
    Tube = 24,
    Valve = 25
};

constexpr int kCoeffs = 4;

// The mode's control-rate coefficients from A and B (knobs 2 and 3, smoothed and modulated,
// 0..1); Clipper also takes its knobs 4..6 (symmetry, and the two one-pole frequencies) and the
// host rate. Modes without coefficients leave `out` as it is.
void computeCoeffs(int mode, float a, float b, float clipSymmetry, float clipLow, float clipHigh,
                   float rate, float (&out)[kCoeffs]);

// The knobs a mode reads per pass, prepared once per voice and pass.
struct PassKnobs {
    float a = 0.0f, b = 0.0f;
    float limiterGain = 1.0f, limiterCeiling = 1.0f; // 2^(6A), 2^(-6B)
    float andScale = 64.0f;                          // 2^(10B + 6)
    int32_t andMask = 0;
    float transientBand = 0.05f;      // the lower edge of the band Transient passes
    const float* userWave1 = nullptr; // the first tables of the two user waves, 4096 points
    const float* userWave2 = nullptr;
};
PassKnobs passKnobs(float a, float b, const float* userWave1, const float* userWave2);

// The shaped value of x (already through the pre-gain, so within -1..1) for the common-chain
// modes; Clipper, Tube and unknown modes return x.
float shape(int mode, float x, const float (&coeffs)[kCoeffs], const PassKnobs& k,
            const LookupTables& t);

} // namespace voicedistort
