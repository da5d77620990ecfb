// The ribbon (spring-back time, quantised bipolar values) and the engine's own reproducible
// noise generator.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kRibbonSource = 81;

std::unique_ptr<APlugin> makeEngine() {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    for (int s = 0; s < 16; ++s) e->setParameter(tag::ModDestFirst + s, 0.0f);
    e->setModSlotTable();
    return e;
}

} // namespace

TEST(ModSources, RibbonSpringsBackInItsTimeAndQuantises) {
    auto e = makeEngine();
    e->setParameter(tag::RibbonBipolarOn, 0.0f);
    e->setSteppedValue(tag::RibbonQuantization, 0);
    e->setSteppedValue(tag::RibbonSpringTime, 12); // "1/4 QB": a quarter of a whole note
    e->setParameter(tag::RibbonValue, 1.0f);
    e->setRibbonSpringOn();
    // A whole note at 120 BPM is 96,000 samples: back at rest after 24,000, 1,500 updates.
    int updates = 0;
    while (e->getParameter(tag::RibbonValue) > 0.0f && updates < 5000) {
        e->updateRibbon();
        ++updates;
    }
    EXPECT_NEAR(updates, 1500, 2);
    EXPECT_FALSE(e->getRibbonSpringActive());

    // "Instant" with the ribbon already within 0.01 of rest: armed at rate 0, then stopped.
    e->setSteppedValue(tag::RibbonSpringTime, 1);
    e->setParameter(tag::RibbonValue, 0.005f);
    e->setRibbonSpringOn();
    EXPECT_TRUE(e->getRibbonSpringActive());
    e->updateRibbon();
    EXPECT_FALSE(e->getRibbonSpringActive());
    EXPECT_FLOAT_EQ(e->getParameter(tag::RibbonValue), 0.005f);

    // Bipolar with quantise "2": the source settles on -1, 0 or 1.
    e->setSteppedValue(tag::RibbonSpringTime, 0);
    e->setParameter(tag::RibbonBipolarOn, 1.0f);
    e->setSteppedValue(tag::RibbonQuantization, 12);
    for (float x : {0.1f, 0.3f, 0.55f, 0.9f}) {
        e->setParameter(tag::RibbonValue, x);
        for (int i = 0; i < 400; ++i) e->updateRibbon();
        const float v = e->lastVoiceSource[kRibbonSource];
        EXPECT_NEAR(v, std::round(v), 1e-4f) << x;
    }
}

TEST(ModSources, NoiseIsReproducible) {
    // Two engines draw the same numbers: the generator is the engine's own.
    auto a = makeEngine();
    auto b = makeEngine();
    std::set<float> seen;
    for (int i = 0; i < 1000; ++i) {
        const float u = a->getRandUnit();
        ASSERT_EQ(u, b->getRandUnit());
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        seen.insert(u);
    }
    EXPECT_GT(seen.size(), 990u);
}
