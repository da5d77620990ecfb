// The stereo delay stage of the effect chain (audio thread, once per pass): parameters and
// modulation become settings of the tape delay unit, and dry and echo are mixed and panned.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"

using namespace fx;

void APlugin::doDelay(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
    if (!getOnOff(tag::DelayOn)) return;

    delayFX.setTempo(tempo);
    delayFX.setTimeSync(fxValue(tag::DelayTempoSyncOn));
    const float length = fxMod(DEST_DELAY_LENGTH);
    const stereoStruct time{clamp01(fxValue(tag::DelayLeft) + fxMod(DEST_DELAY_LEFT) + length),
                            clamp01(fxValue(tag::DelayRight) + fxMod(DEST_DELAY_RIGHT) + length)};
    // The fine offset is at most 0.1 s per unit of modulation; the unit holds the length.
    const float fine = std::fabs(fxMod(DEST_DELAY_FINE) * 0.1f * engineRate);
    delayFX.setDelayLen(time, stereoStruct{fine, fine}, 1.0f);
    // After the lengths, so the equal-feed law sees this pass's lengths.
    delayFX.setEqual(fxValue(tag::DelayEqualFeedOn));
    delayFX.setFeed(clamp01(fxValue(tag::DelayFeed) + fxMod(DEST_DELAY_FEED)) * 1.98f - 0.99f,
                    clamp01(fxValue(tag::DelayCrossFeed) + fxMod(DEST_DELAY_CROSS)) * 1.98f -
                        0.99f);
    delayFX.setFeedFilter(
        clamp01(fxValue(tag::DelayLowPassFrequency) + fxMod(DEST_DELAY_LOW_PASS)),
        clamp01(fxValue(tag::DelayHighPassFrequency) + fxMod(DEST_DELAY_HIGH_PASS)));

    delayStage.delayMixSmooth =
        0.9f * delayStage.delayMixSmooth + (1.0f - 0.9f) * fxValue(tag::DelayMix) + 1e-15f;
    const Gains mix = mixGains(clamp01(delayStage.delayMixSmooth + fxMod(DEST_DELAY_MIX)));
    const Gains pan = panGains(clamp01(fxMod(DEST_DELAY_PAN) + 0.5f));

    stereoStruct d0, d1;
    delayFX.process(in0, d0);
    delayFX.process(in1, d1);
    const float wetL = 0.9f * mix.wet * pan.dry, wetR = 0.9f * mix.wet * pan.wet;
    out0->left = mix.dry * in0.left + wetL * d0.left;
    out0->right = mix.dry * in0.right + wetR * d0.right;
    out1->left = mix.dry * in1.left + wetL * d1.left;
    out1->right = mix.dry * in1.right + wetR * d1.right;
}
