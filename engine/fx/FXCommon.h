// Helpers shared by the effect-chain units (audio thread): the modulation destinations they
// read, by their DEST_STR index, and the clamps and mix laws every stage uses.
#pragma once

#include <cmath>

namespace fx {

// Modulation destinations (DEST_STR indexes) read by the effect units; the gater's, shared
// with the voice gater, are in engine/modulation/ModIndices.h.
constexpr int DEST_DISTORT_FX_MIX = 171; // 172..178 "Distortion FX 1".."7"
constexpr int DEST_DISTORT_FX_PAN = 179;
constexpr int DEST_MOD_FX_MIX = 180;
constexpr int DEST_MOD_FX_LENGTH = 181;
constexpr int DEST_MOD_FX_PHASER_PITCH = 182;
constexpr int DEST_MOD_FX_WIDTH = 183;
constexpr int DEST_MOD_FX_SPEED = 184;
constexpr int DEST_MOD_FX_FEED = 185;
constexpr int DEST_MOD_FX_ENSEMBLE_AMOUNT = 186;
constexpr int DEST_MOD_FX_WAH_LOW = 187;
constexpr int DEST_MOD_FX_WAH_HIGH = 188;
constexpr int DEST_MOD_FX_PHASER_Q = 189;
constexpr int DEST_MOD_FX_AMOUNT = 190;
constexpr int DEST_MOD_FX_RING_FREQ = 191;
constexpr int DEST_MOD_FX_SPREAD = 192;
constexpr int DEST_MOD_FX_WIDEN = 193;
constexpr int DEST_MOD_FX_SEPARATION = 194;
constexpr int DEST_MOD_FX_PHASE = 195;
constexpr int DEST_MOD_FX_SHAPE = 196;
constexpr int DEST_MOD_FX_BIAS = 197;
constexpr int DEST_MOD_FX_BITS = 198;
constexpr int DEST_MOD_FX_SAMPLE_HOLD = 199;
constexpr int DEST_MOD_FX_HUMANIZE = 200;
constexpr int DEST_MOD_FX_SMOOTH = 201;
constexpr int DEST_MOD_FX_LOW_PASS = 202;
constexpr int DEST_MOD_FX_HIGH_PASS = 203;
constexpr int DEST_MOD_FX_PAN = 204;
constexpr int DEST_MOD_FX_PAN_MOD = 205;
constexpr int DEST_MOD_FX_PAN_SPEED = 206;
constexpr int DEST_DELAY_MIX = 207;
constexpr int DEST_DELAY_LENGTH = 208;
constexpr int DEST_DELAY_FINE = 209;
constexpr int DEST_DELAY_LEFT = 210;
constexpr int DEST_DELAY_RIGHT = 211;
constexpr int DEST_DELAY_FEED = 212;
constexpr int DEST_DELAY_CROSS = 213;
constexpr int DEST_DELAY_LOW_PASS = 214;
constexpr int DEST_DELAY_HIGH_PASS = 215;
constexpr int DEST_DELAY_PAN = 216;
constexpr int DEST_REVERB_MIX = 217;
constexpr int DEST_REVERB_PRE_DELAY = 218;
constexpr int DEST_REVERB_PRE_FEED = 219;
constexpr int DEST_REVERB_PRE_WIDEN = 220;
constexpr int DEST_REVERB_SIZE = 221;
constexpr int DEST_REVERB_LENGTH = 222;
constexpr int DEST_REVERB_DAMPING = 223;
constexpr int DEST_REVERB_SPREAD = 224;
constexpr int DEST_REVERB_LOW_PASS = 225;
constexpr int DEST_REVERB_HIGH_PASS = 226;
constexpr int DEST_REVERB_PAN = 227;

// Modulation effect modes ("Mod FX Mode").
constexpr int kModChorus = 0;
constexpr int kModTapeChorus = 1;
constexpr int kModFlanger = 2;
constexpr int kModTapeFlanger = 3;
constexpr int kModEnsemble = 4;
constexpr int kModPhaser = 5;
constexpr int kModWahWah = 6;
constexpr int kModTremolo = 7;
constexpr int kModAutoPan = 8;
constexpr int kModRingMod = 9;

// x held to 0..1; below 0, and NaN, give 0.
inline float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

// x held to lo..hi; NaN gives lo.
inline float clampTo(float x, float lo, float hi) {
    if (!(x > lo)) return lo;
    return x > hi ? hi : x;
}

// A modulation sum that enters an exponent, held to -1..1 first (NaN gives 0), so no setting
// can reach an infinite or denormal power.
inline float clampMod(float m) {
    if (!(m == m)) return 0.0f;
    return m < -1.0f ? -1.0f : (m > 1.0f ? 1.0f : m);
}

// The mix and pan laws of the stages: full dry and full wet at 0.5.
struct Gains {
    float dry, wet;
};
inline Gains mixGains(float m) {
    return {clamp01(2.0f - 2.0f * m), clamp01(2.0f * m)};
}
inline Gains panGains(float p) {
    return {clamp01(2.0f - 2.0f * p), clamp01(2.0f * p)};
}

// x - floor(x): never negative, so a phase stays inside 0..1 for negative inputs too.
inline float frac(float x) {
    const float f = x - std::floor(x);
    return f < 1.0f ? f : 0.0f;
}

} // namespace fx
