// The contribution of one modulation slot: the window over the source, the symmetric and
// bipolar forms and the Center Note override. Shared by the global, per-voice and note-start
// evaluations; pure arithmetic, any thread.
#pragma once

#include <cstdint>

namespace modslot {

constexpr int kCenterNote = 6;
// How the voice form applies a slot.
constexpr uint8_t kAdd = 0, kMultiply = 1, kPitch = 2;

// What a slot adds: x is the source mapped through the window, and the output runs from
// offset (bottom of the window) to offset + range (top).
struct Term {
    float x;
    float range;
    float offset;
    float amount;
    float value() const { return x * range + offset; }
};

// amount and offset are the slot's bipolar outputs (offset already replaced by -amount for a
// symmetric source); scale is 1 / (upper - lower), or 1 for a window narrower than 0.01.
inline Term contribution(float x, float amount, float offset, float lower, float upper, float scale,
                         bool bipolar, bool centerOverride) {
    Term t{x, amount - offset, offset, amount};
    if (centerOverride) {
        // Center Note ignores the window: -amount at the lowest key, +amount at the highest.
        t.range = 2.0f * amount;
        t.offset = -amount;
        return t;
    }
    if (!(upper > lower)) {
        t.x = t.offset = t.range = 0.0f;
    } else if (lower > x) {
        t.offset = t.range = 0.0f;
    } else if (bipolar) {
        t.x = (x - lower) * scale; // no clamp: above the window the output keeps growing
    } else {
        const float m = (x - lower) * scale;
        t.x = m < 0.0f ? 0.0f : (m > 1.0f ? 1.0f : m);
    }
    return t;
}

// Volume destinations multiply: with a positive amount the level is full at x = 1 and lowered
// by the amount at x = 0; otherwise full at x = 0 and lowered by |amount| at |x| = 1.
inline float volumeFactor(float x, float amount) {
    if (amount > 1e-6f) return x * amount + 1.0f - amount;
    const float a = amount < 0.0f ? -amount : amount;
    const float ax = x < 0.0f ? -x : x;
    return (1.0f - ax) * a + 1.0f - a;
}

// Pitch destinations: c = 1 is 36 semitones, kept in whole cents, stored in octaves.
inline float pitchOctaves(float c) {
    float held = c * 3600.0f;
    // Outside the int range (a runaway chain of slots) the pitch saturates; NaN counts as 0.
    if (held != held) held = 0.0f;
    if (held > 1.0e9f) held = 1.0e9f;
    if (held < -1.0e9f) held = -1.0e9f;
    return static_cast<float>(static_cast<int>(held)) * 0.01f / 12.0f;
}

// The modulation one slot adds to another slot's amount. Slots may feed each other in a
// loop (slot 1 scales slot 2, slot 2 scales slot 1), which would grow every evaluation until
// it overflowed to inf and NaN; held to +-2, a chained amount stays within +-3.
inline float chainedAmount(float mod) {
    if (!(mod > -2.0f)) return mod != mod ? 0.0f : -2.0f;
    return mod > 2.0f ? 2.0f : mod;
}

inline bool isVolumeDest(int d) {
    return d == 2 || d == 16 || d == 64;
}
inline bool isStartVolumeDest(int d) {
    return d == 1 || d == 16 || d == 64;
}
inline bool isPitchDest(int d) {
    return d == 8 || d == 21 || d == 22 || d == 23 || d == 41 || d == 69 || d == 70 || d == 71 ||
           d == 91;
}

} // namespace modslot
