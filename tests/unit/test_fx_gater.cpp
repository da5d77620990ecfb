// The global gater: pattern, swing, smoothing, mix and pan, its restarts and the voice mode,
// and a position that wraps after hours.
#include "engine/APlugin.h"
#include "engine/fx/FXCommon.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
std::unique_ptr<APlugin> makeGater(int leftMask, int rightMask) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(48000.0f);
    e->setParameter(tag::GaterOn, 1.0f);
    e->setParameter(tag::ArpOn, 0.0f);
    e->setSteppedValue(tag::GaterMode, 0);
    e->setParameter(tag::GaterLeft, (leftMask + 0.5f) / 65536.0f);
    e->setParameter(tag::GaterRight, (rightMask + 0.5f) / 65536.0f);
    e->setParameter(tag::GaterSmooth, 0.0f);
    e->setParameter(tag::GaterSwing, 0.0f);
    e->setParameter(tag::GaterMix, 1.0f);
    e->setSteppedValue(tag::GaterSteps, 15);
    e->setSteppedValue(tag::GaterSpeed, 17); // one step per eighth of a beat
    e->setFXRare();
    for (int i = 0; i < 200; ++i) e->setFXOften(); // the mix settles
    e->resetGater();
    return e;
}

// Gains after each frame of a run of `frames` frames.
std::vector<stereoStruct> gains(APlugin& e, int frames) {
    std::vector<stereoStruct> g;
    for (int n = 0; n < frames; ++n) {
        stereoStruct o;
        e.doGater({1.0f, 1.0f}, &o);
        g.push_back(o);
    }
    return g;
}
} // namespace

TEST(FxGater, PatternSwingAndSmoothing) {
    // Both masks full: the output equals the input whatever the mix.
    auto e = makeGater(0xFFFF, 0xFFFF);
    for (int n = 0; n < 1000; ++n) {
        stereoStruct o;
        const stereoStruct in{std::sin(0.1f * float(n)), 0.5f};
        e->doGater(in, &o);
        ASSERT_EQ(o.left, in.left);
        ASSERT_EQ(o.right, in.right);
    }
    EXPECT_FLOAT_EQ(e->lastVoiceSource[src::GaterAverage], 1.0f);

    // Alternate steps on the left, none on the right. At 120 bpm a step lasts 3,000 frames;
    // smoothing 0 moves the gain 99.6 % of the way in one frame.
    e = makeGater(0x5555, 0x0000);
    EXPECT_NEAR(e->gater.gaterIncrement, 1.0 / 3000.0, 1e-9);
    const auto g = gains(*e, 12000);
    EXPECT_NEAR(g[1500].left, 1.0f, 1e-3f);
    EXPECT_NEAR(g[4500].left, 0.0f, 1e-3f);
    EXPECT_NEAR(g[7500].left, 1.0f, 1e-3f);
    EXPECT_NEAR(g[3001].left, 1.0f / 257.0f, 1e-3f); // one frame into the off step
    EXPECT_NEAR(g[100].right, 0.0f, 1e-6f);

    // Swing 1: the first step of each pair lasts 99.9 % of the pair.
    e = makeGater(0x5555, 0x0000);
    e->setParameter(tag::GaterSwing, 1.0f);
    const auto s = gains(*e, 6000);
    EXPECT_NEAR(s[5900].left, 1.0f, 1e-3f);
    EXPECT_NEAR(s[5998].left, 0.0f, 0.01f);

    // Full smoothing glides slowly; pan modulation +0.5 silences the left side.
    e = makeGater(0x5555, 0x5555);
    e->setParameter(tag::GaterSmooth, 1.0f);
    const auto slow = gains(*e, 3100);
    EXPECT_GT(slow[3099].left, 0.9f);
    e->globalDest[dest::GaterPan] = 0.5f;
    const auto panned = gains(*e, 4);
    EXPECT_EQ(panned[3].left, 0.0f);
    EXPECT_GT(panned[3].right, 0.9f);
}

TEST(FxGater, OffVoiceModeRestartsAndWrap) {
    auto e = makeGater(0x0001, 0x0001);
    // Off: unchanged frames, the position stands.
    e->setParameter(tag::GaterOn, 0.0f);
    e->setFXRare();
    const auto off = gains(*e, 10);
    EXPECT_EQ(off[9].left, 1.0f);
    EXPECT_EQ(e->getGaterPos(), 0u);
    // Voice mode: the chain's gater passes the sound and stands; with the arpeggiator on the
    // global gater works whatever the mode.
    e->setParameter(tag::GaterOn, 1.0f);
    e->setSteppedValue(tag::GaterMode, 1);
    e->setFXRare();
    EXPECT_TRUE(e->gater.gaterPolyOn);
    const auto voice = gains(*e, 3500);
    EXPECT_EQ(voice[3499].left, 1.0f);
    EXPECT_EQ(e->getGaterPos(), 0u);
    e->setParameter(tag::ArpOn, 1.0f);
    e->setFXRare();
    EXPECT_FALSE(e->getIsPolyGater());
    gains(*e, 3500);
    EXPECT_GT(e->getGaterPos(), 0u);

    // Hours later the position wraps and the step stays inside the pattern.
    e->gater.gaterPos = ~uint64_t{0} - 1000;
    e->globalDest[dest::GaterSpeed] = 1e9f; // held to four times the rate
    const auto wrapped = gains(*e, 20);
    for (const stereoStruct& g : wrapped) EXPECT_TRUE(std::isfinite(g.left));
    EXPECT_LT(e->getGaterPos(), uint64_t{1} << 40);
}
