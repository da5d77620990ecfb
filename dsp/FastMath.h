// Fast powers of two and base-2 logarithms for control-rate and per-sample curves, accurate to
// a few parts in 10^8 (far below a hundredth of a cent). Pure functions, any thread.
#pragma once

#include <cstdint>
#include <cstring>

// 2^x. Arguments beyond +-126 saturate there, so the result is always a normal float; NaN
// gives 1.
inline float fastExp2(float x) {
    if (!(x > -126.0f)) x = (x != x) ? 0.0f : -126.0f;
    if (x > 126.0f) x = 126.0f;
    // Split into the nearest integer and a fraction in -0.5..0.5.
    const float rounded = static_cast<float>(static_cast<int>(x + (x >= 0.0f ? 0.5f : -0.5f)));
    const float f = x - rounded;
    // e^(f ln 2) by its series to the 7th power: the error stays below 1e-8 for |f| <= 0.5.
    const float t = f * 0.69314718f;
    const float p =
        1.0f +
        t * (1.0f + t * (0.5f + t * (1.0f / 6.0f +
                                     t * (1.0f / 24.0f +
                                          t * (1.0f / 120.0f +
                                               t * (1.0f / 720.0f + t * (1.0f / 5040.0f)))))));
    const int32_t bits = (static_cast<int32_t>(rounded) + 127) << 23;
    float scale;
    std::memcpy(&scale, &bits, sizeof(scale));
    return p * scale;
}

// log2(x) for x > 0; 0 or less (and NaN) give -126, the floor of fastExp2.
inline float fastLog2(float x) {
    if (!(x > 1.1754944e-38f)) return -126.0f;
    int32_t bits;
    std::memcpy(&bits, &x, sizeof(bits));
    int exponent = ((bits >> 23) & 0xFF) - 127;
    bits = (bits & 0x007FFFFF) | 0x3F800000; // mantissa in 1..2
    float m;
    std::memcpy(&m, &bits, sizeof(m));
    if (m > 1.41421356f) {
        m *= 0.5f;
        ++exponent;
    }
    // log2(m) = 2 atanh(s) / ln 2 with s = (m - 1) / (m + 1), |s| <= 0.172.
    const float s = (m - 1.0f) / (m + 1.0f);
    const float s2 = s * s;
    const float series =
        s * (1.0f + s2 * (1.0f / 3.0f + s2 * (1.0f / 5.0f + s2 * (1.0f / 7.0f + s2 / 9.0f))));
    return static_cast<float>(exponent) + series * 2.88539008f;
}

// x^y for x >= 0; 0 for x <= 0.
inline float fastPow(float x, float y) {
    if (!(x > 0.0f)) return 0.0f;
    return fastExp2(y * fastLog2(x));
}
