// The resets that bring a modulator to rest: an LFO's start delay from its delay destination,
// and the guards on pad, voice, LFO and destination numbers.
#include "engine/APlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

TEST(UnitResets, VoiceLFOStartDelayFollowsItsDelayDestination) {
    auto engine = std::make_unique<APlugin>(nullptr);
    engine->setSampleRate(48000.0f);
    constexpr int kFreeLfo1Delay = 288, kMainLfoDelay = 257;

    engine->setModDestValue(kFreeLfo1Delay, 0.0005f);
    engine->resetVoiceLFO(3, 0);
    EXPECT_EQ(engine->getVoiceLFO(3, 0).run.delayCounter, 0);

    engine->setModDestValue(kFreeLfo1Delay, 0.5f); // 2^7 = 128 ms
    engine->resetVoiceLFO(3, 0);
    EXPECT_EQ(engine->getVoiceLFO(3, 0).run.delayCounter, -static_cast<int>(0.128 * 48000.0));
    engine->resetVoiceLFO(3, 3); // LFO 3 shares LFO 0's delay
    EXPECT_EQ(engine->getVoiceLFO(3, 3).run.delayCounter, -static_cast<int>(0.128 * 48000.0));

    engine->setModDestValue(kMainLfoDelay, 7.0f); // beyond 1: the longest delay, 16.384 s
    engine->resetVoiceLFO(15, 2);
    EXPECT_EQ(engine->getVoiceLFO(15, 2).run.delayCounter, -static_cast<int>(16.384 * 48000.0));
    engine->setModDestValue(kMainLfoDelay, NAN); // never a delay from nothing
    engine->resetVoiceLFO(15, 2);
    EXPECT_EQ(engine->getVoiceLFO(15, 2).run.delayCounter, 0);
    EXPECT_EQ(engine->getVoiceLFO(15, 2).run.humanise, 1.0);

    // Out-of-range numbers are ignored rather than written past the arrays.
    engine->resetVoiceLFO(16, 0);
    engine->resetVoiceLFO(-1, 0);
    engine->resetVoiceLFO(0, 4);
    engine->resetGlobalLFO(4);
    engine->resetXY(2);
    engine->initGlobalEnv(8);
    engine->setModDestValue(323, 1.0f);
    EXPECT_EQ(engine->getModDestValue(323), 0.0f);
    EXPECT_EQ(engine->getModDestValue(-1), 0.0f);
    EXPECT_EQ(engine->getPathUnit(0, 0), 0);
    EXPECT_EQ(engine->getPathUnit(1, 5), -1);
    EXPECT_EQ(engine->getPathUnit(2, 0), -1);
}
