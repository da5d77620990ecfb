// Scalar helpers of the voice stages (waveshaper, low-fi, distortion): clamps that compile to
// single min/max instructions, so the signal's sign never drives a branch, and the clipped
// state-variable filter's band cubic. Audio thread; no state.
#pragma once

#include <xmmintrin.h>

#include <cmath>
#include <cstdint>

namespace stagemath {

inline float minf(float a, float b) {
    return _mm_cvtss_f32(_mm_min_ss(_mm_set_ss(a), _mm_set_ss(b)));
}

inline float maxf(float a, float b) {
    return _mm_cvtss_f32(_mm_max_ss(_mm_set_ss(a), _mm_set_ss(b)));
}

// lo..hi; a NaN comes out as lo.
inline float clampf(float x, float lo, float hi) {
    return minf(maxf(x, lo), hi);
}

// 0..1, with NaN read as 0.
inline float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// floor(x) for x >= 0 without a library call: below 2^23 the truncated integer, above it x is
// whole already. NaN comes out as NaN.
inline float floorPositive(float x) {
    return x < 8388608.0f ? static_cast<float>(static_cast<int32_t>(x)) : x;
}

// The clipped SVF's cubic on its band state, held where the cubic turns back (|b| = 1 /
// sqrt(0.003)); past that point it would flip the state's sign and the filter would scream.
inline float clipBand(float band) {
    const float b = clampf(band, -18.257419f, 18.257419f);
    return b - 0.001f * b * b * b;
}

// Whether entries q[0..3] (anything with a `slot`) name four different sub-voice slots, so they
// may share an eight-lane step: a slot listed twice runs after its first entry instead.
template <class Entry> inline bool fourSlots(const Entry* q) {
    return q[0].slot != q[1].slot && q[0].slot != q[2].slot && q[0].slot != q[3].slot &&
           q[1].slot != q[2].slot && q[1].slot != q[3].slot && q[2].slot != q[3].slot;
}

// A filter state that stopped being finite starts again from silence.
inline void keepFinite(float& a, float& b) {
    if (!std::isfinite(a) || !std::isfinite(b)) a = b = 0.0f;
}

} // namespace stagemath
