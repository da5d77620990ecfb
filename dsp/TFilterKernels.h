// The voice filter's lane steps for four lanes (tfilter) and for eight (tfilter::wide, compiled
// for AVX2 as a whole), from the one text of dsp/TFilterSteps.h, so that both paths run the
// same operations per lane in the same order and give the same bits. Eight-lane code calls the
// wide steps only. Audio thread only; internal to TFilter*.cpp.
#pragma once

#include "dsp/FilterMath.h"
#include "dsp/Float8.h"

namespace tfilter {

template <class V> struct SvfOut { V low, high, band; };

template <class V> struct Zdf { V lp, bp, hp; };

// The zero-delay state-variable filter's coefficients: g, and per stage 2R + g and
// 1 / (g^2 + 2Rg + 1); the multi-mode weights.
template <class V> struct ZdfCoefs { V g, c1, h1, c2, h2, wLP, wBP, wHP; };

template <class V> struct Ladder {
    V low, band3; // b4 and b3 after the step
};

inline Float4 greater(Float4 a, Float4 b) {
    return _mm_cmpgt_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 greater(Float8 a, Float8 b) {
    return _mm256_cmp_ps(a.v, b.v, _CMP_GT_OS);
}
inline Float4 bitsAnd(Float4 a, Float4 b) {
    return _mm_and_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 bitsAnd(Float8 a, Float8 b) {
    return _mm256_and_ps(a.v, b.v);
}
inline Float4 bitsOr(Float4 a, Float4 b) {
    return _mm_or_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 bitsOr(Float8 a, Float8 b) {
    return _mm256_or_ps(a.v, b.v);
}
// Not a, and b.
inline Float4 bitsAndNot(Float4 a, Float4 b) {
    return _mm_andnot_ps(a.v, b.v);
}
ZEK2_AVX2 inline Float8 bitsAndNot(Float8 a, Float8 b) {
    return _mm256_andnot_ps(a.v, b.v);
}

#include "dsp/TFilterSteps.h"

} // namespace tfilter

#pragma GCC push_options
#pragma GCC target("avx2")
namespace tfilter::wide {

#include "dsp/TFilterSteps.h"

} // namespace tfilter::wide
#pragma GCC pop_options
