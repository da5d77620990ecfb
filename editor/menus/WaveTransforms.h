// The user-wave menu's transforms on the 512 points of one wave (values 0..1, 0.5 the zero
// line). Each computes every new point from the wave as it was before. Pure functions;
// user-interface thread.
#pragma once

namespace wavetransform {

constexpr int kPoints = 512;
using Wave = float[kPoints];

void normalize(const Wave in, Wave out);
void removeDC(const Wave in, Wave out);
void reverse(const Wave in, Wave out);
void inverse(const Wave in, Wave out);
void absolute(const Wave in, Wave out);
// The shape moves `shift` points later (negative: earlier); indexes wrap.
void move(const Wave in, Wave out, int shift);
// A typed angle, limited to -360..360 degrees, as a shift: 90 degrees are 128 points.
int angleShift(int degrees);
// Deviations from 0.5 times m (0..4), clipped.
void amplify(const Wave in, Wave out, float m);
// Deviations from 0.5 cut toward zero to `levels` (1..64) steps, clipped.
void quantize(const Wave in, Wave out, int levels);
void doubled(const Wave in, Wave out);
void pingPong(const Wave in, Wave out);
// (a p[i - 1] + (1 - a) p[i] + a p[i + 1]) / (1 + a) with indexes wrapping.
void smooth(const Wave in, Wave out, float a);
// Steps of `rate` points (1..64), each a new value from `next` (0..1).
template <class Next> void randomize(Wave out, int rate, Next next) {
    float r = next();
    for (int i = 0; i < kPoints; ++i) {
        if (i > 0 && i % rate == 0) r = next();
        out[i] = r;
    }
}

} // namespace wavetransform
