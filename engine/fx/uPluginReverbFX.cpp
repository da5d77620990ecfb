// The reverb stage of the effect chain (audio thread, once per pass): pre-delay with feedback
// and widening, the reverb unit's slowly renewed settings, the spread line and the mix.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"

#include <cmath>

using namespace fx;

namespace {
// Per-update increments and depths of the four widen oscillators.
constexpr float REVERB_WIDEN_INC[4] = {5.642177e-05f, 3.706845e-05f, 6.4e-05f, 4.573257e-05f};
constexpr float REVERB_WIDEN_DEPTH[4] = {0.050505f, 0.030303f, 0.030303f, 0.060606f};
constexpr double kTwoPi = 6.283185307179586;
} // namespace

void APlugin::doReverb(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
    if (!getOnOff(tag::ReverbOn)) return;
    reverbStage.reverbSpreadWritten = reverbStage.reverbPreDelayWritten = 1;

    const uint32_t c = reverbStage.reverbPassCounter;
    if (((c >> 1) & 7u) == 0) {
        int taps[4];
        for (int k = 0; k < 4; ++k) {
            reverbStage.reverbWidenPhases[k] =
                frac(reverbStage.reverbWidenPhases[k] + REVERB_WIDEN_INC[k]);
            const float t = 1.0f - std::fabs(2.0f * reverbStage.reverbWidenPhases[k] - 1.0f);
            const float depth = REVERB_WIDEN_DEPTH[k];
            taps[k] = static_cast<int>(
                (t * depth + (1.0f - depth)) * reverbStage.reverbLineStarts[k] + 1.0f);
        }
        reverb.setWiden(taps[0], taps[1], taps[2], taps[3]);
        // The slow line modulation runs on phases in cycles, advanced by the samples since the
        // last update: the sample counter's size never reaches the sine, so the modulation
        // keeps its resolution however long the engine has run.
        const double elapsed = static_cast<double>(sampleCounter - reverbStage.reverbModCounter);
        reverbStage.reverbModCounter = sampleCounter;
        for (int k = 0; k < 2; ++k) {
            const double phase =
                reverbStage.reverbModPhases[k] + elapsed * reverbStage.reverbCoefs[k];
            reverbStage.reverbModPhases[k] = phase - std::floor(phase);
        }
        const float a =
            static_cast<float>(1.0 + 0.002 * std::sin(reverbStage.reverbModPhases[0] * kTwoPi));
        const float b =
            static_cast<float>(1.0 + 0.002 * std::sin(reverbStage.reverbModPhases[1] * kTwoPi));
        reverb.setMod(a, b, a, b);
        reverb.setRoomSize(clamp01(fxValue(tag::ReverbSize) + fxMod(DEST_REVERB_SIZE)));
        reverb.setDamp(clamp01(fxValue(tag::ReverbDamp) + fxMod(DEST_REVERB_DAMPING)));
        reverb.setFilter(
            clamp01(fxValue(tag::ReverbLowPassFrequency) + fxMod(DEST_REVERB_LOW_PASS)),
            clamp01(fxValue(tag::ReverbHighPassFrequency) + fxMod(DEST_REVERB_HIGH_PASS)));
        const float z = std::exp2(
            8.0f * clamp01(fxValue(tag::ReverbLength) + fxMod(DEST_REVERB_LENGTH)) - 6.0f);
        reverb.setSize(z, 1.1f * z);
        // 1/256 .. 256 samples; only used while the spread modulation is above 0.001.
        reverbStage.reverbSpreadLength =
            static_cast<int32_t>(std::exp2(8.0f * clampMod(fxMod(DEST_REVERB_SPREAD))));
    }
    reverbStage.reverbPassCounter = c + 2;
    if (reverbStage.reverbPassCounter >=
        static_cast<uint32_t>(ReverbStageState::kReverbPreDelayLine))
        reverbStage.reverbPreDelayPrimed = true;

    // Pre-delay: about 0.5 ms to 512 ms, at most the whole line (never wrapped to a short one
    // at high rates or with strong modulation); the right side one sample longer by default.
    float x = fxValue(tag::ReverbPreDelay) + clampMod(fxMod(DEST_REVERB_PRE_DELAY));
    if (!(x > 0.0f)) x = 0.0f;
    const double dLong = std::exp2(10.0 * x) / 2000.0 * engineRate + 1.0;
    const int32_t maxDelay = ReverbStageState::kReverbPreDelayLine;
    const int32_t d = dLong < maxDelay ? static_cast<int32_t>(dLong) : maxDelay;
    int32_t dR = d + static_cast<int32_t>(std::exp2(clampMod(fxMod(DEST_REVERB_PRE_WIDEN))));
    if (dR > maxDelay) dR = maxDelay;
    const float g = clampTo(-0.995f * fxMod(DEST_REVERB_PRE_FEED), -0.995f, 0.995f);

    float* lineL = reverbStage.reverbPreDelay;
    float* lineR = reverbStage.reverbPreDelay + ReverbStageState::kReverbPreDelayLine;
    constexpr uint32_t kMask = ReverbStageState::kReverbPreDelayLine - 1;
    const stereoStruct in[2] = {in0, in1};
    stereoStruct wet[2];
    for (int k = 0; k < 2; ++k) {
        const uint32_t i = c + static_cast<uint32_t>(k);
        const bool primed = reverbStage.reverbPreDelayPrimed;
        const float rL = primed || i >= static_cast<uint32_t>(d) ? lineL[(i - d) & kMask] : 1e-15f;
        const float rR =
            primed || i >= static_cast<uint32_t>(dR) ? lineR[(i - dR) & kMask] : 1e-15f;
        lineL[i & kMask] = g * rL + in[k].left;
        lineR[i & kMask] = g * rR + in[k].right;
        float o1, o2, o3, o4;
        reverb.process(rL, rR, o1, o2, o3, o4);
        wet[k].left = (o1 + o3) * 0.707f * 0.9f + 1e-15f;
        wet[k].right = (o2 + o4) * 0.707f * 0.9f + 1e-15f;
    }

    if (fxMod(DEST_REVERB_SPREAD) > 0.001f) {
        constexpr uint32_t kSpreadMask = ReverbStageState::kReverbSpreadLine - 1;
        float* spread = reverbStage.reverbSpreadLine;
        for (int k = 0; k < 2; ++k) {
            const uint32_t i = c + static_cast<uint32_t>(k);
            spread[i & kSpreadMask] = wet[k].right;
            wet[k].right =
                spread[(i - static_cast<uint32_t>(reverbStage.reverbSpreadLength)) & kSpreadMask];
        }
    }

    // The square root makes the reverb rise quickly near the middle of the knob.
    reverbStage.reverbMixSmooth =
        0.9f * reverbStage.reverbMixSmooth + (1.0f - 0.9f) * fxValue(tag::ReverbMix) + 1e-15f;
    const float y =
        clampTo(2.0f * (reverbStage.reverbMixSmooth + fxMod(DEST_REVERB_MIX)) - 1.0f, -1.0f, 1.0f);
    const float sign = y > 0.0f ? 1.0f : (y < 0.0f ? -1.0f : 0.0f);
    const Gains mix = mixGains((sign * std::sqrt(std::fabs(y)) + 1.0f) * 0.5f);
    const Gains pan = panGains(clamp01(fxMod(DEST_REVERB_PAN) + 0.5f));

    stereoStruct* out[2] = {out0, out1};
    for (int k = 0; k < 2; ++k) {
        out[k]->left = (in[k].left + 1e-15f) * mix.dry + mix.wet * pan.dry * wet[k].left + 1e-15f;
        out[k]->right =
            (in[k].right + 1e-15f) * mix.dry + mix.wet * pan.wet * wet[k].right + 1e-15f;
    }
}
