// The arpeggiator as a modulation source: the global mod arp ("Mod Arp Free"), the per-voice
// one ("Mod Arp Poly") with its own turn in "PingPong", the sources they publish and the
// smoothing of the Free 1 / Free 2 values.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kSrcOn = 82, kSrcTune = 83, kSrcFree1 = 85, kSrcSmoothFree1 = 86;

std::unique_ptr<APlugin> modEngine(int mode, int loopMode, int steps) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(48000.0f);
    for (int t = tag::ArpFirst; t <= tag::ArpLast; ++t) e->setToDefault(t);
    e->setParameter(tag::PlayMode, 0.0f); // poly: the mod arps run outside the Arp play mode
    auto stepped = [&](int t, int index) {
        e->setParameter(t, stepStoredValue(index, e->getSteppedRange(t)));
    };
    stepped(tag::ArpMode, mode);
    stepped(tag::ArpLoopMode, loopMode);
    stepped(tag::SeqStepsA, steps - 1);
    e->updateArpRare();
    e->updateArpClock();
    e->updateArpOften();
    return e;
}

// Runs 16-sample blocks until the global mod arp has taken `count` more steps.
std::vector<int> globalSteps(APlugin& e, int count) {
    std::vector<int> steps;
    for (int block = 0; block < 100000 && int(steps.size()) < count; ++block) {
        const int before = e.arpModStep;
        const double phase = e.arpPhase;
        e.setArpMod();
        if (!e.arpModRunning) break;
        if (e.arpPhase < phase || e.arpModStep != before) steps.push_back(e.arpModStep);
    }
    return steps;
}

std::vector<int> voiceSteps(APlugin& e, int voice, int count) {
    std::vector<int> steps;
    for (int block = 0; block < 100000 && int(steps.size()) < count; ++block) {
        const double phase = e.arpVoicePhase[voice];
        e.updateArpVoiceSources(voice);
        if (!e.arpVoiceRunning[voice]) break;
        if (e.arpVoicePhase[voice] < phase) steps.push_back(e.arpVoiceModStep[voice]);
    }
    return steps;
}

} // namespace

TEST(ArpMod, GlobalModArpPublishesEachStepToEveryVoice) {
    auto e = modEngine(13, 0, 4);
    e->setParameter(tag::SeqStepFree1A + 0, 1.0f); // +1
    e->setParameter(tag::SeqStepFree1A + 1, 0.0f); // -1, but tied ("Normal" holds it)
    e->setParameter(tag::SeqStepTiedA + 1, 1.0f);
    e->setParameter(tag::SeqStepOnA + 2, 0.0f); // off
    e->setParameter(tag::SeqStepTuneA + 3, (12 + 0.1f) / 72.99f + 0.5f);
    e->restartModArp(); // a note from silence: step 0 at once
    EXPECT_EQ(e->arpModStep, 0);
    EXPECT_FLOAT_EQ(e->arpModFreeTarget[0], 1.0f);
    EXPECT_FLOAT_EQ(e->arpModFreeSmooth[0], 1.0f) << "the smoothed value jumps at a restart";
    for (int v : {0, 7, 15}) EXPECT_EQ(e->voiceSource[v][kSrcOn], 1.0f);
    EXPECT_EQ(e->lastVoiceSource[kSrcOn], 1.0f);

    EXPECT_EQ(globalSteps(*e, 1), std::vector<int>{1});
    EXPECT_EQ(e->voiceSource[4][kSrcOn], 1.0f);
    EXPECT_FLOAT_EQ(e->arpModFreeTarget[0], 1.0f) << "a held tie keeps the values";
    EXPECT_EQ(globalSteps(*e, 1), std::vector<int>{2});
    EXPECT_EQ(e->voiceSource[4][kSrcOn], 0.0f);
    EXPECT_EQ(globalSteps(*e, 1), std::vector<int>{3});
    EXPECT_FLOAT_EQ(e->lastVoiceSource[kSrcTune], 12.0f / 36.0f);
    EXPECT_EQ(globalSteps(*e, 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(e->getArpLedPos(), 3);

    // "Off": the mod arp stops at the end of the pattern and publishes nothing more.
    auto once = modEngine(13, 1, 2);
    once->restartModArp();
    EXPECT_EQ(globalSteps(*once, 5), std::vector<int>{1});
    EXPECT_FALSE(once->arpModRunning);
    EXPECT_EQ(once->getArpLedPos(), -1);
}

TEST(ArpMod, PingPongTurnsDifferentlyForTheGlobalAndTheVoiceModArp) {
    auto global = modEngine(13, 2, 3);
    global->restartModArp();
    EXPECT_EQ(globalSteps(*global, 8), (std::vector<int>{1, 2, 1, 0, 1, 2, 1, 0}));

    // Per voice the last step plays twice.
    auto poly = modEngine(15, 2, 3);
    poly->restartArpModVoice(5, 60);
    EXPECT_TRUE(poly->arpVoiceRunning[5]);
    EXPECT_EQ(poly->arpVoiceModStep[5], 0);
    EXPECT_EQ(voiceSteps(*poly, 5, 9), (std::vector<int>{1, 2, 2, 1, 0, 1, 2, 2, 1}));
    EXPECT_FALSE(poly->arpVoiceRunning[6]) << "each voice runs its own sequence";

    // "Top": keys 122/123 choose pattern B for a new voice, 120/121 pattern A.
    auto top = modEngine(15, 0, 16);
    top->setParameter(tag::ArpPlayMode, stepStoredValue(2, top->getSteppedRange(tag::ArpPlayMode)));
    top->restartArpModVoice(2, 122);
    EXPECT_EQ(top->arpVoicePattern[2], 1);
    top->restartArpModVoice(3, 64);
    EXPECT_EQ(top->arpVoicePattern[3], 1);
    top->restartArpModVoice(4, 121);
    EXPECT_EQ(top->arpVoicePattern[4], 0);
    top->restartArpModVoice(16, 60); // no such voice: ignored
    top->updateArpVoiceSources(-1);
}
