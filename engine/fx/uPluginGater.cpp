// The gater (audio thread): the global gater's per-frame step in the effect chain, its two
// restarts and the mode test. The per-voice step lives with the voice modulators and shares
// the pattern, speed and smoothing kept here.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <cmath>

using namespace fx;

namespace {
constexpr double kPosScale = 4294967296.0; // 2^32: one step in fixed-point position units

// The smoothing weight of a 0..1 control: 2^-8 (a step change moves 99.6 % in one frame) up
// to 2^12 (a slow glide).
float smoothingWeight(float v) {
    return static_cast<float>(std::exp2(12.0 - 20.0 * (1.0 - static_cast<double>(clamp01(v)))));
}
} // namespace

bool APlugin::getIsPolyGater() const {
    if (getOnOff(tag::ArpOn)) return false;
    return getSteppedValue(tag::GaterMode) != 0;
}

void APlugin::publishGaterSources(int voice, stereoStruct gain, bool global) {
    const float mean = (gain.left + gain.right) * 0.5f;
    const auto setVoice = [&](int v) {
        voiceSource[v][src::GaterLeft] = gain.left;
        voiceSource[v][src::GaterRight] = gain.right;
        voiceSource[v][src::GaterAverage] = mean;
    };
    if (voice < 0)
        for (int v = 0; v < kNumVoices; ++v) setVoice(v);
    else
        setVoice(voice);
    if (global) {
        lastVoiceSource[src::GaterLeft] = gain.left;
        lastVoiceSource[src::GaterRight] = gain.right;
        lastVoiceSource[src::GaterAverage] = mean;
    }
}

void APlugin::resetGater() {
    gater.gaterPos = 0;
    gater.gaterGain = {gater.gaterStepGains[0][0], gater.gaterStepGains[0][1]};
    publishGaterSources(-1, gater.gaterGain, true);
}

void APlugin::resetGater(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    gaterVoicePos[voice] = 0.0;
    gaterVoiceGain[voice][0] = gater.gaterStepGains[0][0];
    gaterVoiceGain[voice][1] = gater.gaterStepGains[0][1];
    publishGaterSources(voice, {gater.gaterStepGains[0][0], gater.gaterStepGains[0][1]},
                        voice == lastVoice);
}

void APlugin::doGater(stereoStruct in, stereoStruct* out) {
    *out = in;
    if (!gater.gaterOn || getIsPolyGater()) return;

    // Swing: the first step of each pair lasts the fraction s of the pair (0.5 straight).
    const float s = 0.5f + 0.499f * clamp01(fxValue(tag::GaterSwing) + fxMod(dest::GaterSwing));
    const uint64_t whole = gater.gaterPos >> 32;
    const uint64_t pairStart = whole & ~uint64_t{1};
    const double withinPair =
        static_cast<double>(gater.gaterPos - (pairStart << 32)) / kPosScale; // 0 .. 2
    const float f = static_cast<float>(withinPair * 0.5);
    const float g = f > s ? (f - s) * (0.5f / (1.0f - s)) + 0.5f : f * (0.5f / s);
    const int steps = gater.gaterSteps >= 1 && gater.gaterSteps <= GaterState::kGaterStepsMax
                          ? gater.gaterSteps
                          : 1;
    const int step = static_cast<int>((pairStart + static_cast<uint64_t>(2.0f * g)) %
                                      static_cast<uint64_t>(steps));

    // The weights change only with their controls; the powers are renewed only then.
    const float v = fxValue(tag::GaterSmooth) + fxMod(dest::GaterSmooth);
    const float riseControl = v + fxMod(dest::GaterAttack);
    const float fallControl = v + fxMod(dest::GaterDecay);
    if (!(riseControl == gater.gaterSmoothControls[0] &&
          fallControl == gater.gaterSmoothControls[1])) {
        gater.gaterSmoothControls[0] = riseControl;
        gater.gaterSmoothControls[1] = fallControl;
        gater.gaterSmoothWeights[0] = smoothingWeight(riseControl);
        gater.gaterSmoothWeights[1] = smoothingWeight(fallControl);
    }
    const float rise = gater.gaterSmoothWeights[0], fall = gater.gaterSmoothWeights[1];
    const stereoStruct target{gater.gaterStepGains[step][0], gater.gaterStepGains[step][1]};
    const auto glide = [&](float current, float aim) {
        const float a = aim < current ? fall : rise;
        return (a * current + aim) / (a + 1.0f) + 1e-15f;
    };
    gater.gaterGain.left = glide(gater.gaterGain.left, target.left);
    gater.gaterGain.right = glide(gater.gaterGain.right, target.right);
    publishGaterSources(-1, gater.gaterGain, true);

    const float m = clamp01(gater.gaterMixSmooth + fxMod(dest::GaterMix));
    const Gains pan = panGains(clamp01(0.5f + fxMod(dest::GaterPan)));
    out->left = in.left * ((1.0f - m) + m * gater.gaterGain.left) * pan.dry;
    out->right = in.right * ((1.0f - m) + m * gater.gaterGain.right) * pan.wet;

    // The speed modulation scales the rate by up to four times either way.
    const double advance =
        static_cast<double>(std::exp2(2.0f * clampMod(fxMod(dest::GaterSpeed)))) *
        gater.gaterIncrement;
    if (advance > 0.0 && advance < 1e6)
        gater.gaterPos += static_cast<uint64_t>(advance * kPosScale);
}
