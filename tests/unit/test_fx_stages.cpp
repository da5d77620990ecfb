// The delay and reverb stages of the effect chain, driven frame by frame on an engine: off is
// an exact pass-through, the mix laws, echoes at the set time, the pre-delay, and finite output
// under extreme modulation.
#include "engine/APlugin.h"
#include "engine/fx/FXCommon.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {
std::unique_ptr<APlugin> makeEngine(float rate) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(rate);
    for (int t : {tag::DistortFxOn, tag::ModFxOn, tag::GaterOn, tag::DelayOn, tag::ReverbOn})
        e->setParameter(t, 0.0f);
    return e;
}

// Runs `frames` frames (an even count) of `input(n)` through one stage; returns left, right.
template <typename Stage, typename Input>
void runStage(APlugin& e, Stage stage, Input input, int frames, std::vector<float>& l,
              std::vector<float>& r) {
    l.assign(size_t(frames), 0.0f);
    r.assign(size_t(frames), 0.0f);
    for (int n = 0; n < frames; n += 2) {
        stereoStruct o0, o1;
        (e.*stage)(input(n), input(n + 1), &o0, &o1);
        l[size_t(n)] = o0.left;
        r[size_t(n)] = o0.right;
        l[size_t(n + 1)] = o1.left;
        r[size_t(n + 1)] = o1.right;
    }
}
} // namespace

TEST(FxStages, DestinationsNameWhatTheStagesRead) {
    EXPECT_STREQ(DEST_STR[fx::DEST_DISTORT_FX_MIX], "Distortion FX Mix");
    EXPECT_STREQ(DEST_STR[fx::DEST_DISTORT_FX_PAN], "Distortion FX Pan");
    EXPECT_STREQ(DEST_STR[fx::DEST_MOD_FX_MIX], "Mod FX Mix");
    EXPECT_STREQ(DEST_STR[fx::DEST_MOD_FX_PAN_SPEED], "Mod FX Pan Speed");
    EXPECT_STREQ(DEST_STR[fx::DEST_DELAY_MIX], "Delay Mix");
    EXPECT_STREQ(DEST_STR[fx::DEST_DELAY_PAN], "Delay Pan");
    EXPECT_STREQ(DEST_STR[fx::DEST_REVERB_MIX], "Reverb Mix");
    EXPECT_STREQ(DEST_STR[fx::DEST_REVERB_PAN], "Reverb Pan");
    EXPECT_STREQ(DEST_STR[dest::GaterMix], "Gater Mix");
    EXPECT_STREQ(DEST_STR[dest::GaterPan], "Gater Pan");
    EXPECT_STREQ(SRC_STR[src::GaterAverage], "Gater Average");
}

TEST(FxStages, OffPassesExactlyAndDelayEchoesAtItsTime) {
    auto e = makeEngine(48000.0f);
    std::vector<float> l, r;
    auto noise = [](int n) {
        const float x = std::sin(0.37f * float(n)) * 0.7f + 1e-20f;
        return stereoStruct{x, -0.5f * x};
    };
    for (auto stage :
         {&APlugin::doDelay, &APlugin::doReverb, &APlugin::doDistortFX, &APlugin::doFXMod}) {
        runStage(*e, stage, noise, 64, l, r);
        for (int n = 0; n < 64; ++n) {
            ASSERT_EQ(l[size_t(n)], noise(n).left);
            ASSERT_EQ(r[size_t(n)], noise(n).right);
        }
    }

    // Delay on, free time 0.5 (2^6 ms + 1 sample), feedback 0.5, no cross, no filter, wet only.
    e->setParameter(tag::DelayOn, 1.0f);
    e->setParameter(tag::DelayTempoSyncOn, 0.0f);
    e->setParameter(tag::DelayEqualFeedOn, 0.0f);
    e->setParameter(tag::DelayLeft, 0.5f);
    e->setParameter(tag::DelayRight, 0.5f);
    e->setParameter(tag::DelayFeed, (0.5f + 0.99f) / 1.98f);
    e->setParameter(tag::DelayCrossFeed, 0.5f);
    e->setParameter(tag::DelayLowPassFrequency, 1.0f);
    e->setParameter(tag::DelayHighPassFrequency, 0.0f);
    e->setParameter(tag::DelayMix, 1.0f);
    e->reset();                                // latches the mix
    const float length = 64.0f * 48.0f + 1.0f; // 3,073 samples
    runStage(
        *e, &APlugin::doDelay,
        [](int n) {
            return stereoStruct{n == 0 ? 1.0f : 0.0f, 0.0f};
        },
        8000, l, r);
    const int L = static_cast<int>(length);
    EXPECT_NEAR(l[size_t(L)], 0.9f, 1e-4f);      // wet only, times 0.9
    EXPECT_NEAR(l[size_t(2 * L)], 0.45f, 1e-3f); // one repeat at half level
    EXPECT_LT(std::fabs(l[size_t(L / 2)]), 1e-6f);
    EXPECT_LT(std::fabs(r[size_t(L)]), 1e-6f); // no cross feed
}

TEST(FxStages, ReverbMixLawPreDelayAndTail) {
    auto e = makeEngine(44100.0f);
    e->setParameter(tag::ReverbOn, 1.0f);
    e->setParameter(tag::ReverbMix, 0.75f);
    e->setParameter(tag::ReverbPreDelay, 0.0f);
    e->setParameter(tag::ReverbLength, 0.0f);
    e->reset();
    std::vector<float> l, r;
    // Mix 0.75: wet 1 and dry 2 - (1 + sqrt(0.5)) = 0.2929. For the shortest pre-delay,
    // int(rate / 2000 + 1) = 23 frames, the unit is fed only the 1e-15 floor.
    runStage(
        *e, &APlugin::doReverb,
        [](int) {
            return stereoStruct{1.0f, 1.0f};
        },
        22, l, r);
    for (size_t n = 0; n < l.size(); ++n) EXPECT_NEAR(l[n], 0.29289f, 1e-4f) << n;
    runStage(
        *e, &APlugin::doReverb,
        [](int) {
            return stereoStruct{1.0f, 1.0f};
        },
        4000, l, r);
    EXPECT_GT(std::fabs(l.back() - 0.29289f), 1e-3f); // the wet signal has arrived
}

TEST(FxStages, ExtremeModulationStaysFinite) {
    for (float rate : {22050.0f, 192000.0f}) {
        auto e = makeEngine(rate);
        e->setParameter(tag::DelayOn, 1.0f);
        e->setParameter(tag::ReverbOn, 1.0f);
        std::vector<float> l, r;
        for (float m : {1e6f, -1e6f, NAN, INFINITY, 1.0f, -1.0f}) {
            for (int d = fx::DEST_DELAY_MIX; d <= dest::GaterPan; ++d) e->globalDest[d] = m;
            for (auto stage : {&APlugin::doDelay, &APlugin::doReverb}) {
                runStage(
                    *e, stage,
                    [](int n) {
                        return stereoStruct{float(n % 7) - 3.0f, 1.0f};
                    },
                    600, l, r);
                for (size_t n = 0; n < l.size(); ++n)
                    ASSERT_TRUE(std::isfinite(l[n]) && std::isfinite(r[n])) << m << " " << n;
            }
        }
        // The pass counter wraps after hours without reading outside the lines.
        e->reverbStage.reverbPassCounter = 0xFFFFFFF0u;
        runStage(
            *e, &APlugin::doReverb,
            [](int) {
                return stereoStruct{1.0f, 1.0f};
            },
            64, l, r);
        EXPECT_LT(e->reverbStage.reverbPassCounter, 64u);
    }
}
