// The distortion effect's static curves (audio thread): per-call constants and the per-sample
// shapes of the 21 shaped modes.
#include "dsp/DistortCurves.h"

#include <cmath>

namespace distort {
namespace {
float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}
float clampSym(float x, float limit) {
    if (!(x > -limit)) return -limit;
    return x > limit ? limit : x;
}
float sign(float x) {
    return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
}
// The positive and negative halves' share of a symmetry control (both 1 at 0.5).
float upper(float symmetry) {
    return clamp01(2.0f * symmetry);
}
float lower(float symmetry) {
    return clamp01(2.0f - 2.0f * symmetry);
}
// Linear reading of a 4,096-point wave at u in 0..1 (the last point reads the one before it).
float waveAt(const float* wave, float u) {
    float p = u * 4095.99f;
    if (!(p > 0.0f)) p = 0.0f;
    if (p > 4095.99f) p = 4095.99f;
    const int i = static_cast<int>(p);
    const int j = (i < 4094 ? i : 4094) + 1;
    return wave[i] + (p - static_cast<float>(i)) * (wave[j] - wave[i]);
}
} // namespace

bool isShaped(int mode) {
    switch (mode) {
    case kAmp:
    case kCab:
    case kClipper:
    case kLowFi:
    case kTube:
    case kWaveShaper:
        return false;
    default:
        return mode >= 0 && mode < kModes;
    }
}

void Curve::prepare(int shapeMode, float p2Value, float p3Value, const Tables& t) {
    mode = shapeMode;
    p2 = p2Value;
    p3 = p3Value;
    tables = t;
    switch (mode) {
    case kAnd:
        k1 = std::exp2(10.0f * p3 + 6.0f);
        k2 = static_cast<float>(static_cast<int>(p2 * k1));
        break;
    case kAtan: {
        const float a = 5.0f * p2;
        k1 = std::exp2(upper(p3) * a) - 0.99f;
        k2 = std::exp2(lower(p3) * a) - 0.99f;
        k3 = 1.0f / std::atan(k1);
        k4 = 1.0f / std::atan(k2);
        break;
    }
    case kCos1:
        k1 = (std::exp2(5.0f * p2) - 1.0f) * 32767.994f;
        k2 = p3 * 65535.99f;
        break;
    case kCos2:
        k1 = (std::exp2(5.0f * p2) - 1.0f) * 32767.994f;
        k2 = (std::exp2(5.0f * p3) - 1.0f) * 32767.994f;
        break;
    case kCross2: {
        const float a = 7.0f * p2;
        k1 = 0.95f * std::exp2(upper(p3) * a - 10.0f);
        k2 = -0.95f * std::exp2(lower(p3) * a - 10.0f);
        break;
    }
    case kFoldover:
        k1 = 1.0f - 0.99f * p2 * upper(p3);
        k2 = 1.0f - 0.99f * p2 * lower(p3);
        break;
    case kFuzz:
        k1 = (std::exp2(4.0f * p3) - 1.0f) * 32768.0f;
        break;
    case kGapper:
        k1 = std::exp2(4.0f * p3 + 2.0f) - 1.0f;
        break;
    case kLimiter:
        k1 = std::exp2(6.0f * p2);
        k2 = std::exp2(-6.0f * p3);
        break;
    case kOctave2: {
        const float a = 4.0f * p2;
        k1 = std::exp2(upper(p3) * a);
        k2 = std::exp2(lower(p3) * a);
        break;
    }
    case kOverdrive:
        k1 = (std::exp2(6.0f * p2) - 1.0f) * lower(p3);
        break;
    case kPower: {
        const float a = 0.999f * p2;
        const float aPos = upper(p3) * a, aNeg = lower(p3) * a;
        k1 = 2.0f * aPos / (1.0f - aPos);
        k2 = 2.0f * aNeg / (1.0f - aNeg);
        break;
    }
    case kRectify:
        k1 = std::exp2(4.0f * p3);
        break;
    case kRez:
        k1 = std::exp2(8.0f * p3 - 4.0f) * 65535.99f;
        break;
    case kSaturator: {
        const float a = 4.0f * p2;
        k1 = std::exp2(upper(p3) * a) - 1.0f;
        k2 = std::exp2(lower(p3) * a) - 1.0f;
        break;
    }
    case kSquare:
        k1 = upper(p3) * p2;
        k2 = lower(p3) * p2;
        break;
    case kTransient:
        k1 = transientBand(p3);
        break;
    case kValve: {
        const float a = 5.0f * p2;
        k1 = std::exp2(upper(p3) * a) - 0.99f;
        k2 = std::exp2(lower(p3) * a) + 0.99f;
        break;
    }
    default:
        break;
    }
}

float Curve::shape(float c, float x) const {
    const float m = std::fabs(c);
    const float s = sign(c);
    switch (mode) {
    case kAnd: {
        const int q = static_cast<int>(m * k1) & static_cast<int>(k2);
        return s * clamp01(static_cast<float>(q) / (k1 + 0.00001f));
    }
    case kAtan:
        // Near silence the unboosted input passes, so a zero boost still lets it through.
        if (m <= 0.001f) return x;
        return (c > 0.0f ? std::atan(k1 * c) * k3 : std::atan(k2 * c) * k4) + 1e-15f;
    case kCos1:
        return tables.cosine[cycleIndex(k1 * c + k2)] * x;
    case kCos2:
        return tables.cosine[cycleIndex((k1 + (k2 - k1) * m) * c)] * x;
    case kCross1: {
        const float d = m - 0.2f * p2;
        const float y = d >= 0.0f ? d : 2.0f * d;
        return c >= 0.0f ? y : -y * (1.0f - 2.0f * p3);
    }
    case kCross2: {
        if (c > k2 && c < k1) return 0.0f;
        const float den = c >= k1 ? 1.0f - k1 : 1.0f - std::fabs(k2);
        if (den < 0.00001f) return c;
        return c >= k1 ? (c - k1) / den : (c - k2) / den;
    }
    case kFoldover: {
        const float t = c > 0.0f ? k1 : k2;
        const float u = c - t;
        const float k = static_cast<float>(static_cast<int>(u / (4.0f * t)));
        return (std::fabs(std::fabs(u - 4.0f * t * k) - 2.0f * t) - t) / t;
    }
    case kFuzz:
        return c + p2 * (1.0f - c * c) * tables.sine[cycleIndex(k1 * c)];
    case kGapper: {
        const float v = m * k1;
        return v - std::floor(v) > 0.5f ? x * (1.0f - p2) : x;
    }
    case kLimiter: {
        const float v = clampSym(c * k1, 1.0f);
        return std::fabs(v) <= k2 ? v : sign(v) * k2;
    }
    case kOctave1: {
        float t = 2.0f * m;
        if (t > 1.0f) t = 2.0f - t;
        const float k = c > 0.0f ? 1.0f - p3 : 1.0f - p2;
        return k * c - (1.0f - k) * t;
    }
    case kOctave2: {
        const float u = m * (c > 0.0f ? k1 : k2);
        float w = u - 2.0f * static_cast<float>(static_cast<int>(u / 2.0f));
        if (w > 1.0f) w = 2.0f - w;
        return s * w;
    }
    case kOverdrive:
        return (k1 + m) * c / (c * c + (k1 - 1.0f) * m + 1.0f);
    case kPower: {
        const float k = c > 0.0f ? k1 : k2;
        return (1.0f + k) * c / (1.0f + k * m);
    }
    case kRectify: {
        const float t = c * k1 + 1e-15f;
        const float v = (c + t) / (std::fabs(t) + 1.0f) + 1e-15f;
        return v >= 0.0f ? v : v * (1.0f - 2.0f * p2);
    }
    case kRez: {
        const float r = m < 1.0f - m ? m : 1.0f - m;
        const float wobble = tables.cosine[cycleIndex(k1 * r + 65535.99f)];
        return s * clamp01((m + p2 * r * wobble) / (1.0f + r));
    }
    case kSaturator: {
        const float t = c * (c > 0.0f ? k1 : k2) + 1e-15f;
        return (c + t) / (std::fabs(t) + 1.0f) + 1e-15f;
    }
    case kShaper: {
        const float u = 0.5f * c + 0.5f;
        const float w = (1.0f - p2) * waveAt(tables.wave1, u) + p2 * waveAt(tables.wave2, u);
        return (1.0f - p3) * c + p3 * w;
    }
    case kSquare:
        // The positive half rises from its step to full level; the negative half steps to -n
        // and falls on with the same slope n to -2n at full scale, so at Amount 0 it is cut
        // (a half-wave) and at full Amount it reaches twice the level of the positive half.
        if (m <= 0.001f) return 0.0f;
        return c >= 0.0f ? (1.0f - k1) * c + k1 : k2 * c - k2;
    case kTransient:
        return transientShape(c, p2, k1);
    case kValve: {
        const float v = ((c > 0.0f ? k1 : k2) + m) * m;
        return s * clamp01(v / (v + 1.0f));
    }
    default:
        return c;
    }
}

} // namespace distort
