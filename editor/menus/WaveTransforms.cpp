// The user-wave transforms. User-interface thread.
#include "editor/menus/WaveTransforms.h"

#include <cmath>

namespace wavetransform {

namespace {

float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float bipolar(float p) {
    return 2.0f * p - 1.0f;
}
int wrap(int i) {
    return ((i % kPoints) + kPoints) % kPoints;
}

} // namespace

void normalize(const Wave in, Wave out) {
    float peak = 0.001f; // a flat wave stays flat rather than dividing by zero
    for (int i = 0; i < kPoints; ++i) peak = std::fmax(peak, std::fabs(bipolar(in[i])));
    for (int i = 0; i < kPoints; ++i) out[i] = clamp01(bipolar(in[i]) / peak * 0.5f + 0.5f);
}

void removeDC(const Wave in, Wave out) {
    float mean = 0.0f;
    for (int i = 0; i < kPoints; ++i) mean += bipolar(in[i]);
    mean /= static_cast<float>(kPoints);
    for (int i = 0; i < kPoints; ++i) out[i] = clamp01((bipolar(in[i]) - mean) * 0.5f + 0.5f);
}

void reverse(const Wave in, Wave out) {
    for (int i = 0; i < kPoints; ++i) out[i] = in[kPoints - 1 - i];
}

void inverse(const Wave in, Wave out) {
    for (int i = 0; i < kPoints; ++i) out[i] = 1.0f - in[i];
}

void absolute(const Wave in, Wave out) {
    for (int i = 0; i < kPoints; ++i) out[i] = std::fabs(bipolar(in[i])) * 0.5f + 0.5f;
}

void move(const Wave in, Wave out, int shift) {
    shift = wrap(shift);
    for (int i = 0; i < kPoints; ++i) out[i] = in[wrap(i - shift)];
}

int angleShift(int degrees) {
    if (degrees < -360) degrees = -360;
    if (degrees > 360) degrees = 360;
    return degrees * kPoints / 360;
}

void amplify(const Wave in, Wave out, float m) {
    for (int i = 0; i < kPoints; ++i) out[i] = clamp01((in[i] - 0.5f) * m + 0.5f);
}

void quantize(const Wave in, Wave out, int levels) {
    const float l = static_cast<float>(levels);
    for (int i = 0; i < kPoints; ++i) {
        const float d = in[i] - 0.5f;
        const float sign = d > 0.0f ? 1.0f : (d < 0.0f ? -1.0f : 0.0f);
        out[i] = clamp01(sign * std::floor(std::fabs(d) * l) / l + 0.5f);
    }
}

void doubled(const Wave in, Wave out) {
    for (int i = 0; i < kPoints; ++i) out[i] = in[wrap(2 * i)];
}

void pingPong(const Wave in, Wave out) {
    for (int i = 0; i < kPoints / 2; ++i) {
        out[i] = in[2 * i];
        out[kPoints / 2 + i] = in[kPoints - 1 - 2 * i];
    }
}

void smooth(const Wave in, Wave out, float a) {
    for (int i = 0; i < kPoints; ++i)
        out[i] = (a * in[wrap(i - 1)] + (1.0f - a) * in[i] + a * in[wrap(i + 1)]) / (1.0f + a);
}

} // namespace wavetransform
