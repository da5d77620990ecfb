// The voice gater: each voice's own rhythmic gate with swing and separate attack and decay
// smoothing, on the gater effect's pattern, step count and rate. Called by the voice path
// once per frame of a pass while the gater runs per voice (audio thread).
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <cmath>

namespace {
float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

// Smoothing weight: 2^-8 at 0 (almost instant) to 4096 at 1 (very slow).
float gateWeight(float control) {
    return static_cast<float>(std::exp2(12.0 - 20.0 * (1.0 - clamp01(control))));
}
} // namespace

void APlugin::doVoiceGater(int v) {
    if (v < 0 || v >= kNumVoices) return;
    const float* row = voiceDest[v];
    gaterVoiceMix[v] = 0.9f * gaterVoiceMix[v] + 0.1f * currentValues[tag::GaterMix] + 1e-15f;
    const float s = clamp01(currentValues[tag::GaterSwing] + row[dest::GaterSwing]) * 0.499f + 0.5f;

    const int steps = gater.gaterSteps < 1 ? 1 : (gater.gaterSteps > 16 ? 16 : gater.gaterSteps);
    double& position = gaterVoicePos[v];
    position += gater.gaterIncrement * std::exp2(2.0 * row[dest::GaterSpeed]);
    if (!(position < 1.0e12)) position = 0.0; // a runaway rate restarts the pattern
    position = std::fmod(position, static_cast<double>(steps));
    if (position < 0.0) position = 0.0;

    // The first step of every pair lasts the fraction s of the pair.
    const double pairStart = 2.0 * std::floor(position * 0.5);
    const double f = (position - pairStart) * 0.5;
    const double g = f <= s ? f * 0.5 / s : (f - s) * 0.5 / (1.0 - s) + 0.5;
    const int step = static_cast<int>(2.0 * g + pairStart) % steps;

    const float base = currentValues[tag::GaterSmooth] + row[dest::GaterSmooth];
    const float attack = gateWeight(base + row[dest::GaterAttack]);
    const float decay = gateWeight(base + row[dest::GaterDecay]);
    float* gate = gaterVoiceGain[v];
    for (int c = 0; c < 2; ++c) {
        const float target = gater.gaterStepGains[step][c];
        const float k = target < gate[c] ? decay : attack;
        gate[c] = (k * gate[c] + target) / (k + 1.0f) + 1e-15f;
    }

    voiceSource[v][src::GaterLeft] = gate[0];
    voiceSource[v][src::GaterRight] = gate[1];
    voiceSource[v][src::GaterAverage] = 0.5f * (gate[0] + gate[1]);
    if (v == lastVoice) {
        lastVoiceSource[src::GaterLeft] = gate[0];
        lastVoiceSource[src::GaterRight] = gate[1];
        lastVoiceSource[src::GaterAverage] = 0.5f * (gate[0] + gate[1]);
    }

    const float m = clamp01(gaterVoiceMix[v] + row[dest::GaterMix]);
    const float p = clamp01(row[dest::GaterPan] + 0.5f);
    const float panLeft = 2.0f - 2.0f * p < 1.0f ? 2.0f - 2.0f * p : 1.0f;
    const float panRight = 2.0f * p < 1.0f ? 2.0f * p : 1.0f;
    gaterVoiceOut[v][0] = (1.0f - m) + m * gate[0] * panLeft;
    gaterVoiceOut[v][1] = (1.0f - m) + m * gate[1] * panRight;
}
