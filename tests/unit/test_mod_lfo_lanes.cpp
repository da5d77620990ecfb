// The global LFOs' four-lane step against their one-at-a-time step: the same state bit for bit
// and the same draws from the shared generator, over every wave with a table, bias, bits,
// sample and hold, smoothing, humanise and restarts, with the morph LFO in the fourth lane;
// and the lanes refuse what they do not cover.
#include "LfoStageRow.h"
#include "engine/APlugin.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct LaneCase {
    int waves[3];    // Free LFO 1, Free LFO 2, Main LFO
    float speeds[3]; // the speed knobs
    float stage[6];  // phase, shape, smooth, bias, bits, hold (modulation values)
    float humanise;
};

// Steps one engine both ways from the same state and compares; with `morph` the morph LFO
// steps after the three (in the fourth lane, or as stepMorphLFO). Returns the steps the lanes
// took.
int compareSteps(APlugin& e, int steps, bool morph = false) {
    int taken = 0;
    static LFOState saved[kGlobalLFOs], lanes[kGlobalLFOs];
    LFOState* lfos = e.getGlobalLFOsForTesting();
    constexpr int kMorph = 3, kMorphHumanise = 293;
    for (int n = 0; n < steps; ++n) {
        // Now and then a phase just below a restart and an accumulator just below a hold.
        if (n % 37 == 0) lfos[n % 3].run.phase = 0.99995 - 0.00001 * (n % 5);
        if (n % 53 == 0) lfos[(n + 1) % 3].run.holdAccumulator = 0.9999;
        std::memcpy(saved, lfos, sizeof(saved));
        const uint32_t seed = e.RandSeed;
        float laneMorph = 0.0f, scalarMorph = 0.0f;
        const bool took = e.stepGlobalLFOLanes(morph ? &laneMorph : nullptr);
        std::memcpy(lanes, lfos, sizeof(lanes));
        const uint32_t laneSeed = e.RandSeed;
        std::memcpy(lfos, saved, sizeof(saved));
        e.RandSeed = seed;
        if (took) {
            EXPECT_EQ(std::memcmp(lanes, saved, sizeof(saved)) != 0 || n == 0, true);
            ++taken;
        } else {
            EXPECT_EQ(std::memcmp(lanes, saved, sizeof(saved)), 0) << "refused but changed";
            EXPECT_EQ(laneSeed, seed);
        }
        e.setGlobalLFO(2);
        e.setGlobalLFO(0);
        e.setGlobalLFO(1);
        if (morph) {
            BlendedRate blended;
            scalarMorph = e.stepMorphLFO(lfos[kMorph], lfos[0], lfos[1], e.lfo12Amount,
                                         e.globalDest[kMorphHumanise], blended);
        }
        if (took && morph) {
            EXPECT_EQ(std::memcmp(&laneMorph, &scalarMorph, sizeof(float)), 0) << "step " << n;
        }
        if (took) {
            EXPECT_EQ(std::memcmp(lanes, lfos, sizeof(lanes)), 0) << "step " << n;
            EXPECT_EQ(laneSeed, e.RandSeed) << "step " << n;
        }
        if (::testing::Test::HasFailure()) break;
    }
    return taken;
}

} // namespace

TEST(ModLfo, FourLaneStepGivesTheOneAtATimeBitsAndDraws) {
    const LaneCase cases[] = {
        {{0, 1, 2}, {0.6f, 0.7f, 0.5f}, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 0.0f},
        {{3, 4, 6}, {0.95f, 0.99f, 0.9f}, {0.3f, 0.6f, 0.4f, -0.7f, 0.55f, 0.2f}, 0.8f},
        {{7, 0, 4}, {1.0f, 0.8f, 0.97f}, {-0.4f, -0.9f, 0.1f, 0.6f, 0.8f, 0.05f}, -1.5f},
        {{2, 3, 1}, {0.9f, 0.93f, 0.99f}, {0.25f, 1.5f, 0.9f, 1.0f, 0.3f, 0.6f}, 3.0f},
    };
    for (const LaneCase& c : cases) {
        auto e = std::make_unique<APlugin>(nullptr);
        e->setSampleRate(48000.0f);
        for (int s = 0; s < 16; ++s) e->setParameter(tag::ModDestFirst + s, 0.0f);
        e->setModSlotTable();
        e->freeLfoInUse = 1;
        e->setSteppedValue(tag::FreeLfo12Mode, 0);
        const int waveTags[3] = {tag::FreeLfo1Wave, tag::FreeLfo2Wave, tag::MainLfoWave};
        const int speedTags[3] = {tag::FreeLfo1Speed, tag::FreeLfo2Speed, tag::MainLfoSpeed};
        const int syncTags[3] = {tag::FreeLfo1SyncOn, tag::FreeLfo2SyncOn, tag::MainLfoSyncOn};
        for (int i = 0; i < 3; ++i) {
            e->setSteppedValue(waveTags[i], c.waves[i]);
            e->setParameter(speedTags[i], c.speeds[i]);
            e->setParameter(syncTags[i], 0.0f);
            writeLfoStages(&e->globalDest[LFO_DEST_FIRST[i]], c.stage, c.humanise, i);
        }
        e->setGlobalLFOSettings();
        ASSERT_TRUE(e->getGlobalLFOLanesReady()) << "wave " << c.waves[0];
        EXPECT_GT(compareSteps(*e, 4000), 3900) << "wave " << c.waves[0];
        // The morph between the two free LFOs in the fourth lane, at a few amounts.
        e->setSteppedValue(tag::FreeLfo12Mode, 12);
        for (float amount : {0.0f, 0.3f, 1.0f}) {
            e->lfo12Amount = amount;
            e->globalDest[293] = c.humanise;
            e->setGlobalLFOSettings();
            EXPECT_GT(compareSteps(*e, 2000, true), 1900) << "morph " << amount;
        }
        e->setSteppedValue(tag::FreeLfo12Mode, 0);
    }

    // Sample and hold has no table: the lanes are not ready, and refuse if asked anyway after
    // a phase was pushed outside what their fast fractions cover.
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(48000.0f);
    e->freeLfoInUse = 1;
    e->setSteppedValue(tag::MainLfoWave, 5);
    e->setGlobalLFOSettings();
    EXPECT_FALSE(e->getGlobalLFOLanesReady());
    e->setSteppedValue(tag::MainLfoWave, 0);
    e->setParameter(tag::MainLfoSpeed, 0.6f);
    e->setParameter(tag::FreeLfo1Speed, 0.6f);
    e->setParameter(tag::FreeLfo2Speed, 0.6f);
    e->setGlobalLFOSettings();
    ASSERT_TRUE(e->getGlobalLFOLanesReady());
    e->getGlobalLFOsForTesting()[2].run.phase = 5.0;
    EXPECT_EQ(compareSteps(*e, 1), 0);
}
