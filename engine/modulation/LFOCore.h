// The arithmetic shared by every LFO instance (global, per voice, morph): stage settings from
// modulation values, the shape warp, bias and quantiser. Pure functions; audio thread.
#pragma once

#include "engine/APlugin.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace lfocore {

inline float clampf(float x, float lo, float hi) {
    if (!(x > lo)) return lo; // NaN takes the lower bound
    return x > hi ? hi : x;
}

// Phases are positive and far below 2^53, where the floor is the truncation: one conversion
// instead of the floor's rounding sequence, with the same result. Zero, negatives, huge values
// and NaN take the floor.
inline double frac(double x) {
    if (x > 0.0 && x < 9.0e15) return x - static_cast<double>(static_cast<int64_t>(x));
    return x - std::floor(x);
}

// The same for the quantiser's float floor (a positive value below 2^23 truncates exactly).
inline float floorFast(float x) {
    if (x > 0.0f && x < 8.0e6f) return static_cast<float>(static_cast<int32_t>(x));
    return std::floor(x);
}

// Stage settings from the modulated phase, shape, smooth, bias, bits and sample-and-hold
// values, one input at a time. The shape is held to -1..1, so the warp point stays inside
// 0.005..0.995: with two slots on the shape destination it would otherwise reach 0 or 1,
// divide by zero and read outside the wave table.
inline void setPhaseStage(LFOSettings& s, double phase) {
    s.phaseOffset = phase + 10.0;
}
inline void setShapeStage(LFOSettings& s, float shape) {
    s.shapePoint = 0.5 + 0.495 * static_cast<double>(clampf(shape, -1.0f, 1.0f));
    s.warpLow = 0.5 / s.shapePoint;
    s.warpHigh = 0.5 / (1.0 - s.shapePoint);
}
inline void setSmoothStage(LFOSettings& s, float smooth) {
    s.smooth = 1.0f - std::exp2(-12.0f * clampf(smooth, 0.0f, 1.0f));
}
inline void setBiasStage(LFOSettings& s, float bias) {
    const float b = clampf(bias, -1.0f, 1.0f);
    s.bias[0] = b > 0.0f ? 1.0f - b : 1.0f;
    s.bias[1] = 1.0f;
    s.bias[2] = b < 0.0f ? 1.0f + b : 1.0f;
}
inline void setBitsStage(LFOSettings& s, float bits) {
    const float levels = std::exp2(17.0f - 17.0f * clampf(bits, 0.0f, 1.0f));
    s.steps = levels + 0.999f;
    s.inverse = 1.0f / levels;
}
// Every step at 0; every 16,384 steps (65,536 samples) at 1.
inline void setHoldStage(LFOSettings& s, float hold) {
    s.holdRate = 4.0f / std::exp2(16.0f * clampf(hold, 0.0f, 1.0f));
}

inline void setStages(LFOSettings& s, double phase, float shape, float smooth, float bias,
                      float bits, float hold) {
    setPhaseStage(s, phase);
    setShapeStage(s, shape);
    setSmoothStage(s, smooth);
    setBiasStage(s, bias);
    setBitsStage(s, bits);
    setHoldStage(s, hold);
}

// The inputs of the stage settings a memo last saw, compared bit for bit: each stage is set
// only when its own input differs (or the memo is not valid), so an unchanged input keeps the
// value the computation would give again.
inline void setStagesOnce(LFOSettings& s, LFOSettingsMemo& memo, double phase, float shape,
                          float smooth, float bias, float bits, float hold) {
    const bool valid = memo.stageValid != 0;
    memo.stageValid = 1;
    if (!valid || std::memcmp(&memo.stagePhase, &phase, sizeof(phase)) != 0) {
        memo.stagePhase = phase;
        setPhaseStage(s, phase);
    }
    auto changed = [&memo, valid](int k, float x) {
        if (valid && std::memcmp(&memo.stageKey[k], &x, sizeof(x)) == 0) return false;
        memo.stageKey[k] = x;
        return true;
    };
    if (changed(0, shape)) setShapeStage(s, shape);
    if (changed(1, smooth)) setSmoothStage(s, smooth);
    if (changed(2, bias)) setBiasStage(s, bias);
    if (changed(3, bits)) setBitsStage(s, bits);
    if (changed(4, hold)) setHoldStage(s, hold);
}

// The shape warp: the first half of the cycle is stretched or squeezed to end at w.
inline double warp(double t, const LFOSettings& s) {
    return t <= s.shapePoint ? t * s.warpLow : (t - s.shapePoint) * s.warpHigh + 0.5;
}

inline int tableIndex(double position) {
    const double p = position * 65535.999;
    if (!(p > 0.0)) return 0;
    return p >= 65535.0 ? 65535 : static_cast<int>(p);
}

inline float biasGain(const LFOSettings& s, float v) {
    return v < 0.0f ? s.bias[0] : (v > 0.0f ? s.bias[2] : s.bias[1]);
}

// Bias and quantiser: floor(levels x (v x bias + 1)) / levels - 1, within -1..1.
inline float quantise(const LFOSettings& s, float v) {
    const float q = floorFast(s.steps * (v * biasGain(s, v) + 1.0f)) * s.inverse - 1.0f;
    return clampf(q, -1.0f, 1.0f);
}

// Sample and hold: the held value follows v once the accumulator reaches 1.
inline void sampleAndHold(const LFOSettings& s, LFORunState& r, float v) {
    r.holdAccumulator += s.holdRate;
    if (r.holdAccumulator >= 1.0) {
        r.held = v;
        r.holdAccumulator = frac(r.holdAccumulator);
    }
}

// The rate factor drawn at each cycle start: 2^((2u - 1) depth). The depth is held to +-16
// octaves so a runaway modulation sum cannot turn the phase into inf and then NaN.
inline double humaniseFactor(float u, float depth) {
    return std::exp2((2.0 * u - 1.0) * clampf(depth, -16.0f, 16.0f));
}

// exp(a ln(inc2) + (1 - a) ln(inc1)): the rate between two LFOs on a log scale. A stopped LFO
// (increment 0) would make that 0 x -inf = NaN; its share then stops the blend instead.
inline double blendRate(double inc1, double inc2, double a) {
    if (!(inc1 > 0.0) || !(inc2 > 0.0)) {
        if (a <= 0.0) return inc1 > 0.0 ? inc1 : 0.0;
        if (a >= 1.0) return inc2 > 0.0 ? inc2 : 0.0;
        return 0.0;
    }
    return std::exp(a * std::log(inc2) + (1.0 - a) * std::log(inc1));
}

} // namespace lfocore
