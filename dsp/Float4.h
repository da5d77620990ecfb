// Four float lanes in one SSE register, with the operators the DSP units need, so the hot
// loops that keep coefficients and states replicated across lanes read like scalar code.
// SSE2 is part of every x86-64 processor.
#pragma once

#include <emmintrin.h>

struct Float4 {
    __m128 v;

    Float4() : v(_mm_setzero_ps()) {}
    Float4(__m128 x) : v(x) {}
    explicit Float4(float x) : v(_mm_set1_ps(x)) {}
    // Lanes in memory order: lane 0 first.
    Float4(float a, float b, float c, float d) : v(_mm_setr_ps(a, b, c, d)) {}

    static Float4 load(const float* p) { return Float4(_mm_loadu_ps(p)); }
    void store(float* p) const { _mm_storeu_ps(p, v); }
    float lane(int i) const {
        alignas(16) float out[4];
        _mm_store_ps(out, v);
        return out[i & 3];
    }

    Float4& operator+=(Float4 o) {
        v = _mm_add_ps(v, o.v);
        return *this;
    }
    Float4& operator-=(Float4 o) {
        v = _mm_sub_ps(v, o.v);
        return *this;
    }
    Float4& operator*=(Float4 o) {
        v = _mm_mul_ps(v, o.v);
        return *this;
    }
};

inline Float4 operator+(Float4 a, Float4 b) {
    return _mm_add_ps(a.v, b.v);
}
inline Float4 operator-(Float4 a, Float4 b) {
    return _mm_sub_ps(a.v, b.v);
}
inline Float4 operator*(Float4 a, Float4 b) {
    return _mm_mul_ps(a.v, b.v);
}
inline Float4 operator/(Float4 a, Float4 b) {
    return _mm_div_ps(a.v, b.v);
}
inline Float4 min(Float4 a, Float4 b) {
    return _mm_min_ps(a.v, b.v);
}
inline Float4 max(Float4 a, Float4 b) {
    return _mm_max_ps(a.v, b.v);
}
inline Float4 clamp(Float4 x, Float4 lo, Float4 hi) {
    return min(max(x, lo), hi);
}
inline Float4 abs(Float4 x) {
    return _mm_andnot_ps(_mm_set1_ps(-0.0f), x.v);
}
// Lanes that are NaN become 0; every other lane is kept.
inline Float4 zeroNaN(Float4 x) {
    return _mm_and_ps(x.v, _mm_cmpord_ps(x.v, x.v));
}
