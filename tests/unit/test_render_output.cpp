// The output stage on engine state: the clamp, the guards against NaN and infinity, the
// brick filter's coefficient at every rate, the silence sleep and its immediate wake, the
// unison start delays and the fade before a program change.
#include "RenderEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using rendertest::Engine;

namespace {
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void feed(Engine& e, float left, float right) {
    e->framesIn[0] = e->framesIn[1] = stereoStruct{left, right};
    e->runOutputStage();
}
} // namespace

TEST(RenderOutput, TheClampIsExactAndNothingUnboundedComesOut) {
    Engine e;
    e->masterGain = 1.0f;
    e->setParameter(tag::BrickFilterOn, 0.0f);
    feed(e, 5.0f, -7.0f);
    EXPECT_EQ(e->outputFrames[0].left, 0.999f);
    EXPECT_EQ(e->outputFrames[1].right, -0.999f);
    feed(e, 0.25f, -0.5f);
    EXPECT_FLOAT_EQ(e->outputFrames[0].left, 0.25f);
    // NaN and infinities from the chain or the gain give bounded, finite output, and leave no
    // fault in the follower or the brick filter's state.
    e->setParameter(tag::BrickFilterOn, 1.0f);
    for (float bad : {kNaN, kInf, -kInf}) {
        feed(e, bad, 0.5f);
        for (const stereoStruct& f : e->outputFrames) {
            EXPECT_TRUE(std::isfinite(f.left) && std::isfinite(f.right));
            EXPECT_LE(std::fabs(f.left), 0.999f);
        }
        EXPECT_TRUE(std::isfinite(e->outputLevel));
    }
    e->masterGain = kNaN;
    feed(e, 0.5f, 0.5f);
    EXPECT_EQ(e->outputFrames[0].left, 0.0f);
    e->masterGain = 1.0f;
    for (int i = 0; i < 200; ++i) feed(e, 0.5f, 0.5f);
    EXPECT_NEAR(e->outputFrames[1].left, 0.5f, 0.01f) << "the filter recovered";
}

TEST(RenderOutput, BrickFilterStaysStableAtEveryRateWithTheKnobAtItsTop) {
    for (float rate : {22050.0f, 32000.0f, 44100.0f, 192000.0f}) {
        Engine e(rate);
        e->setParameter(tag::BrickFilterOn, 1.0f);
        e->setParameter(tag::BrickFilterFrequency, 1.0f);
        e.settle(); // the slow update takes the new frequency
        e->masterGain = 1.0f;
        // A full-scale square at Nyquist stays bounded, and a steady level passes at unity.
        for (int i = 0; i < 100; ++i) feed(e, (i & 1) ? 0.9f : -0.9f, 0.9f);
        EXPECT_LE(std::fabs(e->outputFrames[0].left), 0.999f) << rate;
        for (int i = 0; i < 2000; ++i) feed(e, 0.5f, 0.5f);
        EXPECT_NEAR(e->outputFrames[1].right, 0.5f, 1e-3f) << rate;
    }
}

TEST(RenderOutput, SilenceSleepsWithExactZerosAndWakesAtOnce) {
    Engine e(8000.0f); // 64,000 silent passes put the chain to sleep
    e->masterGain = 1.0f;
    const int sleepAfter = 8 * 8000;
    // Silent passes interrupted by a sounding one count from zero again.
    for (int i = 0; i < sleepAfter - 10; ++i) feed(e, 0.0f, 0.0f);
    feed(e, 0.2f, 0.0f);
    EXPECT_EQ(e->silentPasses, 0);
    for (int i = 0; i < sleepAfter; ++i) feed(e, 0.0f, 0.0f);
    feed(e, 0.0f, 0.0f);
    EXPECT_EQ(e->outputFrames[0].left, 0.0f);
    EXPECT_EQ(e->outputFrames[1].right, 0.0f);
    // The first sounding pass plays at once.
    feed(e, 0.3f, 0.3f);
    EXPECT_GT(e->outputFrames[0].left, 0.05f);
}

TEST(RenderOutput, UnisonSubVoicesJoinAfterTheirDelay) {
    Engine e;
    e->uniNumVoices = 3;
    e->voicePressed[2] = 1;
    e->subVoiceDelay[2][0] = 0;
    e->subVoiceDelay[2][1] = -5;
    e->subVoiceDelay[2][2] = -1;
    int joined[3] = {};
    for (int pass = 1; pass <= 3; ++pass) {
        e->collectVoices();
        for (int i = 0; i < e->subVoiceCount; ++i)
            if (joined[e->subVoiceList[2][i]] == 0) joined[e->subVoiceList[2][i]] = pass;
    }
    EXPECT_EQ(joined[0], 1);
    EXPECT_EQ(joined[2], 1);
    EXPECT_EQ(joined[1], 3) << "-5, -3, -1";
    // A voice released at exactly 1e-5 is no longer collected.
    e->voicePressed[2] = 0;
    e->voiceLevel[2] = 1e-5f;
    e->collectVoices();
    EXPECT_EQ(e->activeVoiceCount, 0);
}

TEST(RenderOutput, AFadeEndsInSilenceAndTheProgramFollowsInTheNextBlock) {
    Engine e;
    // Up to 2,000 samples before a 4,096-sample boundary: the fade ends well before it.
    const uint64_t now = e->getSampleCounter();
    uint64_t boundary = (now / 4096 + 1) * 4096;
    if (boundary - now < 2000) boundary += 4096;
    e.render(int(boundary - now - 2000));
    e->startFadeOut();
    e.render(500);
    EXPECT_NEAR(e->fadeGain, 0.5f, 2e-3f) << "linear over 1,000 samples";
    e.render(502);
    EXPECT_EQ(e->fadeGain, 0.0f);
    EXPECT_TRUE(e->getPendingPresetApply()) << "waits for the next block";
    for (size_t i = 500; i < 502; ++i) EXPECT_EQ(e.left[i], 0.0f);
    e.render(1);
    EXPECT_FALSE(e->getPendingPresetApply()) << "applied at the next block's first sample";
    EXPECT_EQ(e->fadeGain, 1.0f);
    // A note falling due after a fade, in the same block: the program is applied first, at the
    // note's frame, and the note sounds from there.
    e->startFadeOut();
    e.midi({{1200, 0x90, 60, 100}});
    e.render(3000);
    EXPECT_FALSE(e->getPendingPresetApply());
    EXPECT_EQ(e.pressedCount(), 1);
    for (int i = 1001; i < 1200; ++i) ASSERT_EQ(e.left[size_t(i)], 0.0f) << i;
    EXPECT_GT(*std::max_element(e.left.begin() + 1200, e.left.begin() + 1300), 0.001f);
}

TEST(RenderOutput, WaveAuditionReplacesTheBlockAndStopsTheCounters) {
    Engine e;
    e->setParameter(tag::MainVolume, 0.0f);
    const uint64_t counter = e->getSampleCounter();
    const uint64_t clock = e->sampleClock;
    e->waveAudition = true;
    e.midi({{0, 0x90, 60, 100}});
    e.render(2000);
    for (float s : e.left) EXPECT_EQ(s, 0.0f) << "Main Volume 0 is silence";
    EXPECT_EQ(e->getSampleCounter(), counter);
    EXPECT_EQ(e->sampleClock, clock);
    EXPECT_EQ(e.pressedCount(), 0) << "no MIDI while auditioning";
    EXPECT_LT(e->waveAuditionPosition, 4095);
    // The reset ends the audition; the queued note then plays.
    e->reset();
    e.render(1);
    EXPECT_EQ(e.pressedCount(), 1);
}
