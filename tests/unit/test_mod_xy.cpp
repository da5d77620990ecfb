// The XY pads: a gesture recorded, resampled to the 32-point path and replayed with loop off,
// on and ping-pong; a zero-length gesture; the per-voice replay; the pad sources of a voice.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kLoopOff = 0, kLoopOn = 1, kLoopPingPong = 2;
constexpr int kRecordLive = 0, kRecordRecord = 1, kRecordReplay = 2;
constexpr int kPlayPoly = 0;

std::unique_ptr<APlugin> makeEngine() {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    e->setSteppedValue(tag::Xy1Sync, 0);
    e->setParameter(tag::Xy1Speed, 0.5f); // speed factor 1
    e->setSteppedValue(tag::Xy1PlayMode, kPlayPoly);
    return e;
}

// A one-second gesture on pad 0: X from 0 to 1, Y from 1 to 0, fed every 16 samples.
void recordRamp(APlugin& e) {
    e.setSteppedValue(tag::Xy1RecordMode, kRecordRecord);
    e.updateXYStuff(0);
    e.startXYRecord(0);
    for (int n = 0; n <= 3000; ++n) {
        const float t = n / 3000.0f;
        e.setXYRecord(0, t, 1.0f - t);
        e.updateXYStuff(0);
        e.sampleCounter += 16;
    }
    e.sampleCounter -= 16;
    e.endXYRecord(0);
}

float pathX(APlugin& e, int k) {
    return e.getParameter(tag::Xy1PathXFirst + k);
}

// Replays pad 0 for the given seconds and returns its X.
float replayX(APlugin& e, double seconds) {
    e.setSteppedValue(tag::Xy1RecordMode, kRecordReplay);
    e.updateXYStuff(0);
    e.startReplay(0);
    const int updates = static_cast<int>(seconds * kRate / 16.0);
    for (int i = 0; i < updates; ++i) e.updateXYReplay(0);
    return e.getCurrentValue(tag::Osc1ZekX); // the replay moves the engine's values only
}

} // namespace

TEST(ModXY, GestureResampledAndReplayedInEachLoopMode) {
    auto e = makeEngine();
    recordRamp(*e);
    // One second long; the 32 points follow the ramp.
    EXPECT_NEAR(e->getParameter(tag::Xy1LenSec) * 1000.0f + e->getParameter(tag::Xy1LenMs), 1.0f,
                0.002f);
    EXPECT_NEAR(pathX(*e, 0), 0.0f, 0.01f);
    EXPECT_NEAR(pathX(*e, 16), 0.5f, 0.01f);

    // The path takes its recorded second at speed 1.
    e->setSteppedValue(tag::Xy1LoopMode, kLoopOn);
    EXPECT_NEAR(replayX(*e, 0.5), 0.5f, 0.02f);
    EXPECT_NEAR(replayX(*e, 1.25), 0.25f, 0.02f); // wrapped once
    // Loop off holds on the last segment.
    e->setSteppedValue(tag::Xy1LoopMode, kLoopOff);
    const float held = replayX(*e, 1.5);
    EXPECT_NEAR(held, pathX(*e, 31), 1e-3f); // position 30.99999: the end of segment 30
    EXPECT_NEAR(replayX(*e, 3.0), held, 1e-6f);
    // Ping-pong runs the path forward, then back.
    e->setSteppedValue(tag::Xy1LoopMode, kLoopPingPong);
    EXPECT_NEAR(replayX(*e, 0.5), 0.5f, 0.02f);
    EXPECT_NEAR(replayX(*e, 1.5), 0.5f, 0.04f);
    EXPECT_NEAR(replayX(*e, 1.75), 0.25f, 0.04f);

    // The speed knob scales the replay: 2^(8 x 0.625 - 4) = 2.
    e->setSteppedValue(tag::Xy1LoopMode, kLoopOn);
    e->setParameter(tag::Xy1Speed, 0.625f);
    EXPECT_NEAR(replayX(*e, 0.25), 0.5f, 0.02f);
}

TEST(ModXY, ZeroLengthGestureRestsAtTheCentre) {
    auto e = makeEngine();
    e->setSteppedValue(tag::Xy1RecordMode, kRecordRecord);
    e->updateXYStuff(0);
    e->startXYRecord(0);
    e->setXYRecord(0, 0.9f, 0.1f);
    e->endXYRecord(0); // released before its first millisecond
    for (int k = 0; k < 32; ++k) {
        EXPECT_FLOAT_EQ(pathX(*e, k), 0.5f);
        EXPECT_FLOAT_EQ(e->getParameter(tag::Xy1PathYFirst + k), 0.5f);
    }
    e->setSteppedValue(tag::Xy1LoopMode, kLoopOn);
    EXPECT_FLOAT_EQ(replayX(*e, 0.3), 0.5f);
    EXPECT_FLOAT_EQ(e->getCurrentValue(tag::Osc1ZekY), 0.5f);
}

TEST(ModXY, PerVoiceReplayAndPadSources) {
    auto e = makeEngine();
    recordRamp(*e);
    e->setSteppedValue(tag::Xy1RecordMode, kRecordReplay);
    e->setSteppedValue(tag::Xy1LoopMode, kLoopOn);
    e->updateXYStuff(0);
    // Each voice runs its own replay: voice 1 started half a second after voice 0.
    for (int i = 0; i < 3000; ++i) {
        e->updateXYReplay(0, 0);
        if (i >= 1500) e->updateXYReplay(0, 1);
    }
    float x0, y0, x1, y1;
    e->getXYValue(0, 0, x0, y0);
    e->getXYValue(0, 1, x1, y1);
    EXPECT_NEAR(x0, 0.0f, 0.03f); // one full second: back at the start
    EXPECT_NEAR(x1, 0.5f, 0.02f);

    // Sources of a voice: bipolar and unipolar X and Y and the distance from the centre.
    e->setParameter(tag::Osc1ZekLfoToX, 0.0f);
    e->setParameter(tag::Osc1ZekLfoToY, 0.0f);
    e->updateXYMod(3, 0, 1.0f, 0.5f);
    const float* s = &e->voiceSource[3][68];
    EXPECT_FLOAT_EQ(s[0], 1.0f);
    EXPECT_FLOAT_EQ(s[1], 1.0f);
    EXPECT_FLOAT_EQ(s[2], 0.0f);
    EXPECT_FLOAT_EQ(s[3], 0.5f);
    EXPECT_NEAR(s[4], 1.0f / 1.4142135f, 1e-6f);
    e->voiceDest[3][34] = 0.7f; // the pad's X destination pushes it to the edge
    e->updateXYMod(3, 0, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(s[1], 1.0f);

    // Out-of-range pads and voices are ignored.
    e->updateXYMod(16, 0, 0.5f, 0.5f);
    e->updateXYReplay(2, 0);
    e->setXYPath(0, 32, 0.0f, 0.0f);
    e->setXYPath(0, 5, -3.0f, 3.0f);
    EXPECT_FLOAT_EQ(pathX(*e, 5), 0.0f);
    EXPECT_FLOAT_EQ(e->getParameter(tag::Xy1PathYFirst + 5), 1.0f);
    EXPECT_EQ(e->getXYRecordMode(2), kRecordLive);
}
