// Small helpers shared by the voice filter and the parametric EQs: the four-lane pair layout,
// the guarded cubic soft clip and the clearing of states that stopped being finite. Called on
// the audio thread from inside the filter and EQ units.
#pragma once

#include "dsp/Float4.h"
#include "dsp/Float8.h"

namespace filtermath {

// A stereo value in the lane layout of the filters and EQs: {R, L, R, L}. The unison forms put
// the second sub-voice in lanes 0 and 1, so one coefficient vector serves both layouts.
inline Float4 pairVec(float left, float right) {
    return Float4(right, left, right, left);
}

// x - c x^3 with x first held to the point where the cubic turns back (|x| = 1 / sqrt(3c)).
// Without the hold a large state would flip sign and grow, and the filter would scream. The
// eight-lane form does the same per lane.
inline Float4 cubicClip(Float4 x, Float4 c, Float4 limit) {
    const Float4 h = clamp(x, Float4(0.0f) - limit, limit);
    return h - c * h * h * h;
}
ZEK2_AVX2 inline Float8 cubicClip(Float8 x, Float8 c, Float8 limit) {
    const Float8 h = clamp(x, Float8(0.0f) - limit, limit);
    return h - c * h * h * h;
}

// Every lane that is NaN or infinite becomes 0.
inline Float4 finiteOrZero(Float4 x) {
    const __m128 d = _mm_sub_ps(x.v, x.v); // 0 for finite lanes, NaN otherwise
    return _mm_and_ps(x.v, _mm_cmpeq_ps(d, _mm_setzero_ps()));
}
ZEK2_AVX2 inline Float8 finiteOrZero(Float8 x) {
    const __m256 d = _mm256_sub_ps(x.v, x.v);
    return _mm256_and_ps(x.v, _mm256_cmp_ps(d, _mm256_setzero_ps(), _CMP_EQ_OQ));
}

inline bool allFinite(Float4 x) {
    const __m128 d = _mm_sub_ps(x.v, x.v);
    return _mm_movemask_ps(_mm_cmpeq_ps(d, _mm_setzero_ps())) == 0xF;
}

// Clears a run of four-lane states when any of them is not finite.
inline void clearIfNotFinite(Float4* states, int count) {
    bool ok = true;
    for (int i = 0; i < count; ++i) ok = ok && allFinite(states[i]);
    if (!ok)
        for (int i = 0; i < count; ++i) states[i] = Float4();
}

inline float clampf(float x, float lo, float hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}

// 0..1, with NaN read as 0.
inline float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// The scalar form of cubicClip.
inline float cubicClip(float x, float c, float limit) {
    const float h = clampf(x, -limit, limit);
    return h - c * h * h * h;
}

// A float that is NaN or infinite becomes 0.
inline float finiteOr0(float x) {
    return (x - x == 0.0f) ? x : 0.0f;
}

} // namespace filtermath
