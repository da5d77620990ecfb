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
    gaterPos = 0;
    gaterGain = {gaterStepGains[0][0], gaterStepGains[0][1]};
    publishGaterSources(-1, gaterGain, true);
}

void APlugin::resetGater(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    gaterVoicePos[voice] = 0.0;
    gaterVoiceGain[voice][0] = gaterStepGains[0][0];
    gaterVoiceGain[voice][1] = gaterStepGains[0][1];
    publishGaterSources(voice, {gaterStepGains[0][0], gaterStepGains[0][1]}, voice == lastVoice);
}

void APlugin::doGater(stereoStruct in, stereoStruct* out) {
    *out = in;
    if (!gaterOn || getIsPolyGater()) return;

    // Swing: the first step of each pair lasts the fraction s of the pair (0.5 straight).
    const float s = 0.5f + 0.499f * clamp01(fxValue(tag::GaterSwing) + fxMod(dest::GaterSwing));
    const uint64_t whole = gaterPos >> 32;
    const uint64_t pairStart = whole & ~uint64_t{1};
    const double withinPair =
        static_cast<double>(gaterPos - (pairStart << 32)) / kPosScale; // 0 .. 2
    const float f = static_cast<float>(withinPair * 0.5);
    const float g = f > s ? (f - s) * (0.5f / (1.0f - s)) + 0.5f : f * (0.5f / s);
    const int steps = gaterSteps >= 1 && gaterSteps <= kGaterStepsMax ? gaterSteps : 1;
    const int step = static_cast<int>((pairStart + static_cast<uint64_t>(2.0f * g)) %
                                      static_cast<uint64_t>(steps));

    // The weights change only with their controls; the powers are renewed only then.
    const float v = fxValue(tag::GaterSmooth) + fxMod(dest::GaterSmooth);
    const float riseControl = v + fxMod(dest::GaterAttack);
    const float fallControl = v + fxMod(dest::GaterDecay);
    if (!(riseControl == gaterSmoothControls[0] && fallControl == gaterSmoothControls[1])) {
        gaterSmoothControls[0] = riseControl;
        gaterSmoothControls[1] = fallControl;
        gaterSmoothWeights[0] = smoothingWeight(riseControl);
        gaterSmoothWeights[1] = smoothingWeight(fallControl);
    }
    const float rise = gaterSmoothWeights[0], fall = gaterSmoothWeights[1];
    const stereoStruct target{gaterStepGains[step][0], gaterStepGains[step][1]};
    const auto glide = [&](float current, float aim) {
        const float a = aim < current ? fall : rise;
        return (a * current + aim) / (a + 1.0f) + 1e-15f;
    };
    gaterGain.left = glide(gaterGain.left, target.left);
    gaterGain.right = glide(gaterGain.right, target.right);
    publishGaterSources(-1, gaterGain, true);

    const float m = clamp01(gaterMixSmooth + fxMod(dest::GaterMix));
    const Gains pan = panGains(clamp01(0.5f + fxMod(dest::GaterPan)));
    out->left = in.left * ((1.0f - m) + m * gaterGain.left) * pan.dry;
    out->right = in.right * ((1.0f - m) + m * gaterGain.right) * pan.wet;

    // The speed modulation scales the rate by up to four times either way.
    const double advance =
        static_cast<double>(std::exp2(2.0f * clampMod(fxMod(dest::GaterSpeed)))) * gaterIncrement;
    if (advance > 0.0 && advance < 1e6) gaterPos += static_cast<uint64_t>(advance * kPosScale);
}
