// The voice distortion's 21 shaping curves and the control-rate coefficients of the modes that
// need them. Called on the audio thread by the distortion stage and the voice's control-rate
// update.
#include "engine/voice/VoiceDistortModes.h"

#include "dsp/DistortCurves.h"
#include "engine/tables/LookupTables.h"

#include <cmath>
#include <cstdint>

namespace voicedistort {

namespace {

inline float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

inline float sign(float x) {
    return x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
}

// A 16-bit table index from a product that may be large or not finite: the truncated integer
// wraps into the table, as a phase does.
inline int wrap16(float p) {
    if (!(std::fabs(p) < 1073741824.0f)) return 0;
    return static_cast<int>(p) & 0xFFFF;
}

} // namespace

void computeCoeffs(int mode, float a, float b, float clipSymmetry, float clipLow, float clipHigh,
                   float rate, float (&out)[kCoeffs]) {
    const float up = clamp01(2.0f * b);          // the amount's share above zero
    const float down = clamp01(2.0f - 2.0f * b); // and below
    switch (mode) {
    case Atan:
        out[0] = std::exp2(5.0f * a * up) - 0.99f;
        out[1] = std::exp2(5.0f * a * down) - 0.99f;
        out[2] = 1.0f / std::atan(out[0]);
        out[3] = 1.0f / std::atan(out[1]);
        break;
    case Clipper: {
        const float level = std::exp2(-10.0f * b);
        const float s = clamp01(clipSymmetry);
        out[0] = clamp01(2.0f - 2.0f * s) * level;
        out[1] = clamp01(2.0f * s) * level;
        // A one-pole coefficient above 1 overshoots and, above 2, diverges: at rates below
        // 20 kHz the top of the knob would reach there, so it is held at 1 (no smoothing).
        const float invDoubleRate = rate > 0.0f ? 1.0f / (2.0f * rate) : 0.0f;
        out[2] = std::fmin(1.0f, 20.0f * std::exp2(11.0f * clamp01(clipLow)) * invDoubleRate);
        out[3] = std::fmin(1.0f, 20.0f * std::exp2(11.0f * clamp01(clipHigh)) * invDoubleRate);
        break;
    }
    case Cos1:
        out[0] = (std::exp2(5.0f * a) - 1.0f) * 32767.994f;
        break;
    case Cos2:
        out[0] = (std::exp2(5.0f * a) - 1.0f) * 32767.994f;
        out[1] = (std::exp2(5.0f * b) - 1.0f) * 32767.994f - out[0];
        break;
    case Cross2:
        out[0] = -0.95f * std::exp2(7.0f * a * down - 10.0f);
        out[1] = 0.95f * std::exp2(7.0f * a * up - 10.0f);
        break;
    case Fuzz:
        out[0] = (std::exp2(4.0f * b) - 1.0f) * 32768.0f;
        break;
    case Gapper:
        out[0] = std::exp2(4.0f * b + 2.0f) - 1.0f;
        break;
    case Octave2:
        out[0] = std::exp2(4.0f * a * up);
        out[1] = std::exp2(4.0f * a * down);
        break;
    case Overdrive: {
        const float k = std::exp2(6.0f * a) - 1.0f;
        out[0] = up * k;
        out[1] = down * k;
        break;
    }
    case Power: {
        const float p = 0.999f * a * up, n = 0.999f * a * down;
        out[0] = 2.0f * p / (1.0f - p);
        out[1] = 2.0f * n / (1.0f - n);
        break;
    }
    case Rectify:
        out[0] = std::exp2(4.0f * b);
        break;
    case Rez:
        out[0] = std::exp2(8.0f * b - 4.0f) * 65535.99f;
        break;
    case Saturator:
        out[0] = std::exp2(4.0f * a * up) - 1.0f;
        out[1] = std::exp2(4.0f * a * down) - 1.0f;
        break;
    case Valve:
        out[0] = std::exp2(5.0f * a * up) - 0.99f;
        out[1] = std::exp2(5.0f * a * down) + 0.99f;
        break;
    default:
        break;
    }
}

PassKnobs passKnobs(float a, float b, const float* userWave1, const float* userWave2) {
    PassKnobs k;
    k.a = a;
    k.b = b;
    k.limiterGain = std::exp2(6.0f * a);
    k.limiterCeiling = std::exp2(-6.0f * b);
    k.andScale = std::exp2(10.0f * b + 6.0f);
    k.andMask = static_cast<int32_t>(a * k.andScale);
    k.transientBand = distort::transientBand(b);
    k.userWave1 = userWave1;
    k.userWave2 = userWave2;
    return k;
}

float shape(int mode, float x, const float (&c)[kCoeffs], const PassKnobs& k,
            const LookupTables& t) {
    const float a = k.a, b = k.b;
    const float ax = std::fabs(x);
    const bool pos = x > 0.0f;
    switch (mode) {
    case And: {
        const int32_t bits = static_cast<int32_t>(ax * k.andScale) & k.andMask;
        return sign(x) * clamp01(static_cast<float>(bits) / (k.andScale + 1e-5f));
    }
    case Atan:
        if (ax > 0.001f) return std::atan((pos ? c[0] : c[1]) * x) * (pos ? c[2] : c[3]) + 1e-15f;
        return x;
    case Cos1:
        return x * t.CosArray[wrap16(x * c[0] + b * 65535.99f)];
    case Cos2:
        return x * t.CosArray[wrap16((ax * c[1] + c[0]) * x)];
    case Cross1: {
        const float u = ax - 0.2f * a;
        const float y = u < 0.0f ? 2.0f * u : u;
        return x >= 0.0f ? y : -(1.0f - 2.0f * b) * y;
    }
    case Cross2: {
        const float lo = c[0], hi = c[1];
        if (x >= lo && x <= hi) return 0.0f;
        const float d = x > hi ? 1.0f - hi : 1.0f - std::fabs(lo);
        if (std::fabs(d) < 1e-5f) return x;
        return (x - (x > hi ? hi : lo)) / d;
    }
    case Foldover: {
        const float th = 1.0f - 0.99f * a * (pos ? clamp01(2.0f * b) : clamp01(2.0f - 2.0f * b));
        const float u = x - th;
        const float n = std::trunc(u / (4.0f * th));
        return (std::fabs(std::fabs(u - 4.0f * th * n) - 2.0f * th) - th) / th;
    }
    case Fuzz:
        return x + a * (1.0f - x * x) * t.SineArray[wrap16(x * c[0])];
    case Gapper: {
        const float p = ax * c[0];
        return p - std::floor(p) > 0.5f ? x * (1.0f - a) : x;
    }
    case Limiter: {
        float v = x * k.limiterGain;
        v = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
        return std::fabs(v) > k.limiterCeiling ? sign(v) * k.limiterCeiling : v;
    }
    case Octave1: {
        float r = 2.0f * ax;
        if (r > 1.0f) r = 2.0f - r;
        const float s = pos ? 1.0f - b : 1.0f - a;
        return s * x - (1.0f - s) * r;
    }
    case Octave2: {
        float v = ax * (pos ? c[0] : c[1]);
        v -= 2.0f * std::trunc(v / 2.0f);
        if (v > 1.0f) v = 2.0f - v;
        return sign(x) * v;
    }
    case Overdrive: {
        const float kk = pos ? c[0] : c[1];
        return x * (ax + kk) / (x * x + (kk - 1.0f) * ax + 1.0f);
    }
    case Power: {
        const float kk = pos ? c[0] : c[1];
        return (1.0f + kk) * x / (1.0f + kk * ax);
    }
    case Rectify: {
        const float u = c[0] * x + 1e-15f;
        const float v = (x + u) / (std::fabs(u) + 1.0f) + 1e-15f;
        return v >= 0.0f ? v : (1.0f - 2.0f * a) * v;
    }
    case Rez: {
        const float th = std::fmin(ax, 1.0f - ax);
        const float w = ax + a * th * t.CosArray[wrap16(c[0] * th + 65535.99f)];
        return sign(x) * clamp01(w / (th + 1.0f));
    }
    case Saturator: {
        const float u = (pos ? c[0] : c[1]) * x + 1e-15f;
        return (x + u) / (std::fabs(u) + 1.0f) + 1e-15f;
    }
    case Shaper: {
        if (!k.userWave1 || !k.userWave2) return x;
        const float p = clamp01(0.5f * x + 0.5f) * 4095.99f;
        const int i = static_cast<int>(p);
        const float phi = p - static_cast<float>(i);
        const int next = (i < 4094 ? i : 4094) + 1;
        const float w1 = k.userWave1[i] + (k.userWave1[next] - k.userWave1[i]) * phi;
        const float w2 = k.userWave2[i] + (k.userWave2[next] - k.userWave2[i]) * phi;
        return b * ((1.0f - a) * w1 + a * w2) + (1.0f - b) * x;
    }
    case Square: {
        const float hi = a * clamp01(2.0f * b), lo = a * clamp01(2.0f - 2.0f * b);
        if (x >= 0.001f) return hi + (1.0f - hi) * x;
        if (x <= -0.001f) return (1.0f - lo) * x - lo;
        return 0.0f;
    }
    case Transient:
        return distort::transientShape(x, a, k.transientBand);
    case Valve: {
        const float w = ((pos ? c[0] : c[1]) + ax) * ax;
        return sign(x) * clamp01(w / (w + 1.0f));
    }
    default:
        return x;
    }
}

} // namespace voicedistort
