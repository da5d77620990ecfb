// A voice's four-lane LFO step (Main LFO, Free LFO 1, Free LFO 2, morph) against the steps one
// at a time: the same state bit for bit and the same draws from the shared generator, with
// sample and hold, smoothing, humanise, restarts, start delays and new notes.
#include "LfoStageRow.h"
#include "engine/APlugin.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

TEST(ModLfo, VoiceFourLaneStepGivesTheOneAtATimeBitsAndDraws) {
    struct Case {
        int waves[3];   // Free LFO 1, Free LFO 2, Main LFO
        float stage[6]; // phase, shape, smooth, bias, bits, hold (modulation values)
        float humanise, amount;
    };
    const Case cases[] = {
        {{0, 1, 2}, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 0.0f, 0.5f},
        {{3, 4, 6}, {0.3f, 0.6f, 0.4f, -0.7f, 0.55f, 0.2f}, 0.8f, 0.0f},
        {{7, 0, 4}, {-0.4f, -0.9f, 0.1f, 0.6f, 0.8f, 0.05f}, -1.5f, 1.0f},
    };
    constexpr int v = 5, kMorph = 3, kMorphHumanise = 293;
    for (const Case& c : cases) {
        auto e = std::make_unique<APlugin>(nullptr);
        e->setSampleRate(48000.0f);
        e->freeLfoInUse = 1;
        e->lfo12Mode = 12;
        e->setSteppedValue(tag::FreeLfo12Mode, 12);
        const int waveTags[3] = {tag::FreeLfo1Wave, tag::FreeLfo2Wave, tag::MainLfoWave};
        const int speedTags[3] = {tag::FreeLfo1Speed, tag::FreeLfo2Speed, tag::MainLfoSpeed};
        const int modeTags[3] = {tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode,
                                 tag::MainLfoPlayMode};
        for (int i = 0; i < 3; ++i) {
            e->setSteppedValue(waveTags[i], c.waves[i]);
            e->setParameter(speedTags[i], 0.9f + 0.03f * i);
            e->setParameter(modeTags[i], 0.0f); // per voice
            writeLfoStages(&e->voiceDest[v][LFO_DEST_FIRST[i]], c.stage, c.humanise, i);
        }
        e->setVoiceLFOSettings(v);
        LFOState* lfos = e->getVoiceLFOsForTesting(v);
        static LFOState saved[4], lanes[4];
        int taken = 0;
        for (int n = 0; n < 3000; ++n) {
            // Now and then a phase just below a restart, an accumulator just below a hold, a
            // start delay and a new note.
            if (n % 37 == 0) lfos[n % 4].run.phase = 0.99995 - 0.00001 * (n % 5);
            if (n % 53 == 0) lfos[(n + 1) % 4].run.holdAccumulator = 0.9999;
            if (n % 301 == 0) lfos[n % 3].run.delayCounter = -12;
            e->voiceIsNew[v] = n % 41 == 0 ? 1 : 0;
            std::memcpy(saved, lfos, sizeof(saved));
            const uint32_t seed = e->RandSeed;
            float laneMorph = 0.0f;
            const bool took = e->stepVoiceLFOLanes(v, c.amount, &laneMorph);
            std::memcpy(lanes, lfos, sizeof(lanes));
            const uint32_t laneSeed = e->RandSeed;
            std::memcpy(lfos, saved, sizeof(saved));
            e->RandSeed = seed;
            e->setVoiceLFO(v, 2);
            e->setVoiceLFO(v, 0);
            e->setVoiceLFO(v, 1);
            const float morph =
                e->stepMorphLFO(lfos[kMorph], lfos[0], lfos[1], c.amount,
                                e->voiceDest[v][kMorphHumanise], e->getVoiceMorphRateForTesting(v));
            if (!took) continue;
            ++taken;
            ASSERT_EQ(std::memcmp(lanes, lfos, sizeof(lanes)), 0) << "step " << n;
            ASSERT_EQ(std::memcmp(&laneMorph, &morph, sizeof(float)), 0) << "step " << n;
            ASSERT_EQ(laneSeed, e->RandSeed) << "step " << n;
        }
        EXPECT_GT(taken, 2900) << "wave " << c.waves[0];
    }
}
