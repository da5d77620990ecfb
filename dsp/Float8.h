// Eight float lanes in one AVX register, with the operators of Float4, for the loops that run
// eight lanes where the processor has AVX2. Every function is compiled for AVX2 and may only be
// called from code compiled for it, chosen at run time (hasAvx2). No FMA: each lane does the
// same separate multiplies and adds as the four-lane code, so both give the same numbers.
//
// Code compiled for AVX2 passes a Float8 in a register, other code on the stack: a Float8 must
// never go by value between the two, whatever the optimiser inlines. So every function that
// takes, returns or works on one is compiled for AVX2. A template or lambda is compiled for the
// target where it is written, whatever calls it: the steps shared by four and eight lanes are
// written once in a file of their own, included a second time inside
// `#pragma GCC target("avx2")` in a namespace `wide`, and the eight-lane code calls that copy.
#pragma once

#include "dsp/Float4.h"

#include <immintrin.h>

#include <cstdlib>

#define ZEK2_AVX2 __attribute__((target("avx2")))

// Whether this processor runs the AVX2 code; asked when a unit is set up, never on the audio
// thread. ZEK2_NO_AVX2=1 in the environment keeps the four-lane code, so the tests can hold
// both forms against each other on one machine.
inline bool hasAvx2() {
    const char* off = std::getenv("ZEK2_NO_AVX2");
    if (off && off[0] == '1') return false;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

struct Float8 {
    __m256 v;

    ZEK2_AVX2 Float8() : v(_mm256_setzero_ps()) {}
    ZEK2_AVX2 Float8(__m256 x) : v(x) {}
    ZEK2_AVX2 explicit Float8(float x) : v(_mm256_set1_ps(x)) {}
    // The same four lanes in both halves.
    ZEK2_AVX2 explicit Float8(Float4 x) : v(_mm256_set_m128(x.v, x.v)) {}
    // Lanes 0..3 from lo, 4..7 from hi.
    static ZEK2_AVX2 Float8 join(Float4 lo, Float4 hi) { return _mm256_set_m128(hi.v, lo.v); }
    ZEK2_AVX2 Float4 low() const { return _mm256_castps256_ps128(v); }
    ZEK2_AVX2 Float4 high() const { return _mm256_extractf128_ps(v, 1); }
};

ZEK2_AVX2 inline Float8 operator+(Float8 a, Float8 b) {
    return _mm256_add_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 operator-(Float8 a, Float8 b) {
    return _mm256_sub_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 operator*(Float8 a, Float8 b) {
    return _mm256_mul_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 min(Float8 a, Float8 b) {
    return _mm256_min_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 max(Float8 a, Float8 b) {
    return _mm256_max_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 clamp(Float8 x, Float8 lo, Float8 hi) {
    return min(max(x, lo), hi);
}
ZEK2_AVX2 inline Float8 operator/(Float8 a, Float8 b) {
    return _mm256_div_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 abs(Float8 x) {
    return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), x.v);
}
