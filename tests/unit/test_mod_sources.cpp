// The ribbon (spring-back time, quantised bipolar values), the engine's own reproducible
// noise generator, and each voice's envelope and LFO sources.
#include "RenderEngine.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Sources 40..67 of every sounding voice are its own values paired with 1 - value (envelopes)
// or the unipolar form (LFOs), in their fixed places: voices at different envelope stages and
// LFO phases, the free LFOs per voice and the Main LFO global. After the pass each value has
// moved on by its step from what the source took.
TEST(ModSources, EachVoiceEnvelopeAndLfoSourceHoldsItsOwnValue) {
    rendertest::Engine e;
    for (int t : {tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode}) e->setParameter(t, 0.0f);
    e->setParameter(tag::MainLfoPlayMode, 0.5f);
    e->setParameter(tag::FreeLfo1Speed, 0.7f);
    e->setParameter(tag::FreeLfo2Speed, 0.5f);
    // Free LFO 1 on a slot, so the free LFOs run, and the filter envelope on another, so the
    // envelope sources are written (nothing writes them while nothing reads them).
    e->setParameter(tag::ModBypassFirst, 0.0f);
    e->setParameter(tag::ModSourceFirst, (62 + 0.1f) / 127.99f);
    e->setParameter(tag::ModDestFirst, (16 + 0.1f) / 399.99f);
    e->setParameter(tag::ModBypassFirst + 1, 0.0f);
    e->setParameter(tag::ModSourceFirst + 1, (48 + 0.1f) / 127.99f);
    e->setParameter(tag::ModDestFirst + 1, (16 + 0.1f) / 399.99f);
    for (int t :
         {tag::FilterEnvAttack, tag::Free1EnvAttack, tag::Free2EnvAttack, tag::Osc1AmpEnvAttack})
        e->setParameter(t, 0.4f);
    e.render(4096); // through the slow update that takes the slot
    for (int k = 0; k < 4; ++k) {
        e.play({{0x90, 48 + 7 * k, 40 + 20 * k}});
        e.render(301 + 97 * k);
    }
    ASSERT_EQ(e->activeVoiceCount, 4);
    for (int a = 0; a < 4; ++a) {
        const int v = e->activeVoices[a];
        const float* src = e->voiceSource[v];
        for (int k = 0; k < 8; ++k) EXPECT_EQ(src[41 + 2 * k], 1.0f - src[40 + 2 * k]) << v << k;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(src[61 + 2 * k], 0.5f * src[60 + 2 * k] + 0.5f);
        // The filter and free envelopes moved on by two steps, the amp level by one per frame.
        for (int env = 1; env < 4; ++env) {
            const EnvState& s = e->getVoiceEnv(v, env);
            EXPECT_EQ(src[env == 1 ? 48 : 50 + 2 * (env - 1)] + 2.0f * s.step, s.value) << v;
        }
        const float step = e->getVoiceEnv(v, 0).step;
        float level = src[50];
        for (int f = 0; f < 2; ++f) level = std::max(level + step, 0.0f);
        EXPECT_EQ(level, e->voiceLevel[v]) << v;
        for (int lfo = 0; lfo < 2; ++lfo) {
            const LFORunState& r = e->getVoiceLFO(v, lfo).run;
            EXPECT_EQ(src[62 + 2 * lfo] + r.increment, r.value) << v << lfo;
        }
        EXPECT_EQ(src[60], e->lastVoiceSource[60]) << "the Main LFO runs globally";
        EXPECT_NE(src[62], src[64]) << "each free LFO its own";
    }
    const float* first = e->voiceSource[e->activeVoices[0]];
    const float* last = e->voiceSource[e->activeVoices[3]];
    for (int s : {40, 48, 52, 62}) EXPECT_NE(first[s], last[s]) << s;
}
