// The resets that bring a modulator to rest: an LFO's start delay from its delay destination,
// the modulation delay's rebuild rule, the state a program application leaves, and the guards.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

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

TEST(UnitResets, ModulationDelayIsRebuiltOnAModeChangeAndForTapeModesOnly) {
    auto engine = std::make_unique<APlugin>(nullptr);
    engine->setSampleRate(48000.0f);
    constexpr int kChorus = 0, kTapeChorus = 1, kFlanger = 2, kTapeFlanger = 3;
    auto select = [&](int mode) {
        engine->setSteppedValue(tag::ModFxMode, mode);
        engine->setGlobalRare();
    };
    auto rebuildsBy = [&](auto&& action) {
        const int before = engine->getModFXDelaySetups();
        action();
        return engine->getModFXDelaySetups() - before;
    };
    select(kChorus);

    // A change of mode always starts the unit afresh; the same mode again does not.
    EXPECT_EQ(rebuildsBy([&] { select(kTapeChorus); }), 1);
    EXPECT_EQ(rebuildsBy([&] { select(kTapeChorus); }), 0);
    // The engine reset and a rate change rebuild it only while a tape mode is applied.
    EXPECT_EQ(rebuildsBy([&] { engine->reset(); }), 1);
    EXPECT_EQ(rebuildsBy([&] { engine->setSampleRate(44100.0f); }), 1);
    EXPECT_EQ(rebuildsBy([&] { select(kTapeFlanger); }), 1);
    EXPECT_EQ(rebuildsBy([&] { engine->reset(); }), 1);
    EXPECT_EQ(rebuildsBy([&] { select(kFlanger); }), 1);
    EXPECT_EQ(rebuildsBy([&] { engine->reset(); }), 0);
    EXPECT_EQ(rebuildsBy([&] { engine->setSampleRate(96000.0f); }), 0);
    EXPECT_EQ(rebuildsBy([&] { select(kChorus); }), 1);
    EXPECT_EQ(rebuildsBy([&] { engine->reset(); }), 0);
}

TEST(UnitResets, ApplyingAProgramSetsTheRibbonAndTheGlobalLFOPattern) {
    auto engine = std::make_unique<APlugin>(nullptr);
    auto apply = [&](float ribbon, bool bipolar, int quant, int spring) {
        engine->setParameter(tag::RibbonValue, ribbon);
        engine->setParameter(tag::RibbonBipolarOn, bipolar ? 1.0f : 0.0f);
        engine->setSteppedValue(tag::RibbonQuantization, quant);
        engine->setSteppedValue(tag::RibbonSpringTime, spring);
        engine->setParameter(tag::ApplyPreset, 1.0f);
        engine->setPresetParameters();
    };
    constexpr int kFree = 0, kQuant16 = 4, kQuant2 = 12, kSpringOff = 0, kSpringQuarter = 12;

    // Quantised to the steps between the ends: "16" has 15 gaps, "2" only the ends.
    apply(0.5f, false, kQuant16, kSpringOff);
    EXPECT_FLOAT_EQ(engine->getRibbonPosition(), 8.0f / 15.0f);
    EXPECT_FALSE(engine->getRibbonSpringActive());
    apply(0.8f, true, kQuant2, kSpringOff); // bipolar 0.6 rounds to 1
    EXPECT_FLOAT_EQ(engine->getRibbonPosition(), 1.0f);
    apply(0.3f, true, kQuant2, kSpringOff); // bipolar -0.4 rounds to 0
    EXPECT_FLOAT_EQ(engine->getRibbonPosition(), 0.0f);
    apply(0.3f, true, kFree, kSpringOff);
    EXPECT_NEAR(engine->getRibbonPosition(), -0.4f, 1e-6f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::RibbonValue), 0.3f);

    // With a spring time the ribbon starts at rest: the middle when bipolar, else the bottom.
    apply(0.9f, true, kFree, kSpringQuarter);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::RibbonValue), 0.5f);
    EXPECT_FLOAT_EQ(engine->getOrigValue(tag::RibbonValue), 0.5f);
    // Already at rest, so the reset's first control update leaves the spring idle there.
    EXPECT_FLOAT_EQ(engine->getRibbonPosition(), 0.5f);
    EXPECT_FALSE(engine->getRibbonSpringActive());
    apply(0.9f, false, kFree, kSpringQuarter);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::RibbonValue), 0.0f);

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(engine->getGlobalLfoState(i), (i & 1) ? 1.875f : 0.0f) << "value " << i;
}
