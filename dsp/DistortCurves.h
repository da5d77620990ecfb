// The static shaping curves of the distortion effect: one curve per shaped mode, set up once per
// call from the mode's two shape controls and then applied per sample. Pure functions of their
// inputs and the shared sine, cosine and user-wave tables; called on the audio thread.
#pragma once

#include <cmath>

namespace distort {

// Internal mode numbers of the curves (the other modes have their own signal chains).
enum Mode {
    kAmp = 0,
    kAnd = 1,
    kAtan = 2,
    kCab = 3,
    kClipper = 4,
    kCos1 = 5,
    kCos2 = 6,
    kCross1 = 7,
    kCross2 = 8,
    kFoldover = 9,
    kFuzz = 10,
    kGapper = 11,
    kLimiter = 12,
    kLowFi = 13,
    kOctave1 = 14,
    kOctave2 = 15,
    kOverdrive = 16,
    kPower = 17,
    kRectify = 18,
    kRez = 19,
    kSaturator = 20,
    kShaper = 21,
    kSquare = 22,
    kTransient = 23,
    kTube = 24,
    kValve = 25,
    kWaveShaper = 26,
    kModes = 27
};

// True for the modes that run a static curve between boost, normalisation and filters.
bool isShaped(int mode);

// The tables the curves read: one cycle of sine and cosine (65,536 entries each) and the first
// band-limited table of each user wave (4,096 entries each).
struct Tables {
    const float* sine;
    const float* cosine;
    const float* wave1;
    const float* wave2;
};

// One mode's curve with its per-call constants.
struct Curve {
    int mode = kAnd;
    float p2 = 0.0f, p3 = 0.0f;
    float k1 = 0.0f, k2 = 0.0f, k3 = 0.0f, k4 = 0.0f;
    Tables tables{};

    // p2, p3: the mode's second and third controls, 0..1.
    void prepare(int shapeMode, float p2Value, float p3Value, const Tables& t);
    // c: the boosted input held to -1..1; x: the input before the boost (some curves pass or
    // scale it). The result is finite and bounded for every c in -1..1.
    float shape(float c, float x) const;
};

// "Transient": only a band of levels, band .. 2 band, passes, as a triangle that rises from 0 at
// the band's lower edge to Amount in its middle and falls back to 0 at its upper edge, so the
// curve has no jump anywhere. The band's lower edge follows the Range control (0.05 .. 0.97).
// The distortion effect and the voice distortion both shape with these two.
inline float transientBand(float range) {
    return 0.92f * range * range * range + 0.05f;
}
inline float transientShape(float c, float amount, float band) {
    const float m = std::fabs(c);
    if (!(m > band && m < 2.0f * band)) return 0.0f;
    const float tri = 1.0f - std::fabs(2.0f * (m - band) / band - 1.0f);
    return (c > 0.0f ? amount : -amount) * tri;
}

// Index of a 65,536-entry cycle for any float: held to a safe range, truncated toward zero as
// the curves define, then wrapped into the table.
inline int cycleIndex(float position) {
    if (!(position > -1073741824.0f)) position = position != position ? 0.0f : -1073741824.0f;
    if (position > 1073741824.0f) position = 1073741824.0f;
    return static_cast<int>(position) & 65535;
}

} // namespace distort
