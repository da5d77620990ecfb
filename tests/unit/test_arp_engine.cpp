// Engine state of the playing arpeggiator that MIDI out does not show: the note-length gate,
// the ratchet rules, the step sources and their smoothing, the editor's queries, and the
// switches that stop it.
#include "ArpRig.h"

#include <gtest/gtest.h>

#include <cmath>

using arprig::ArpRig;

namespace {
constexpr int kSrcTune = 83, kSrcVelocity = 84, kSrcFree1 = 85, kSrcSmoothFree1 = 86;
constexpr int kDestNoteLength = 239;

// Runs control blocks until the step phase has passed `phase` of the current step.
void runUntilPhase(APlugin& e, double phase) {
    for (int block = 0; block < 100000 && e.arpStepPhase < phase; ++block) {
        e.updateArpClock();
        e.updateArpOften();
    }
}
} // namespace

TEST(ArpEngine, NoteLengthGateReleasesTheVoiceWithinTheStep) {
    ArpRig rig;
    APlugin& e = rig.e();
    rig.press(60);
    rig.run(1);
    const int voice = e.lastVoice;
    ASSERT_TRUE(e.voicePressed[voice]);
    runUntilPhase(e, 0.9);
    EXPECT_TRUE(e.voicePressed[voice]) << "unmodulated, a note lasts until the next step";

    ArpRig gated;
    APlugin& g = gated.e();
    g.globalDest[kDestNoteLength] = -0.5f; // a gate of half a step
    gated.press(60);
    gated.run(1);
    const int v = g.lastVoice;
    runUntilPhase(g, 0.45);
    EXPECT_TRUE(g.voicePressed[v]);
    runUntilPhase(g, 0.55);
    EXPECT_FALSE(g.voicePressed[v]);
    EXPECT_EQ(g.arpGate, -0.5 + 1.0001);
}

TEST(ArpEngine, RatchetRulesFollowThePlayedCountAndThePhraseVelocity) {
    ArpRig rig;
    APlugin& e = rig.e();
    e.setParameter(tag::SeqStepRatchetA + 2, stepStoredValue(1, 9.99f)); // "2"
    const bool expected[7][4] = {
        // played count 0..3 under "On", "Off / On", "On/Off", "2 Off / 1 On", "3 Off / 1 On",
        // "1 On / 2 Off", "1 On / 3 Off"
        {true, true, true, true},    {false, true, false, true},  {true, false, true, false},
        {false, false, true, false}, {false, false, false, true}, {true, false, false, true},
        {true, false, false, false}};
    for (int mode = 1; mode <= 7; ++mode) {
        rig.stepped(tag::ArpRatchetMode, mode);
        for (int p = 0; p < 4; ++p) {
            e.arpPlayedCount = p;
            e.arpRatchetCount = 0;
            EXPECT_EQ(e.getArpRatchetDisplay(), expected[mode - 1][p]) << mode << " " << p;
            EXPECT_EQ(e.getArpRatchetLen(2), expected[mode - 1][p] ? 0.5 : 9999.0);
        }
    }
    rig.stepped(tag::ArpRatchetMode, 8); // "Velocity": a phrase at least as loud as the knob
    e.setParameter(tag::SeqRatchetVelA, 0.5f);
    e.arpPhraseVelocity = 0.6f;
    EXPECT_TRUE(e.getArpRatchetDisplay());
    e.arpPhraseVelocity = 0.4f;
    EXPECT_FALSE(e.getArpRatchetDisplay());
    e.arpPhraseVelocity = 0.6f;
    e.arpRatchetCount = 1; // the one extra hit made
    EXPECT_EQ(e.getArpRatchetLen(2), 9999.0);
    e.arpRatchetCount = 0;
    e.setParameter(tag::SeqStepTiedA + 2, 1.0f); // a tied step never ratchets
    EXPECT_EQ(e.getArpRatchetLen(2), 9999.0);
    rig.stepped(tag::ArpRatchetMode, 0);
    e.setParameter(tag::SeqStepTiedA + 2, 0.0f);
    EXPECT_EQ(e.getArpRatchetLen(2), 9999.0);
}

TEST(ArpEngine, StepSourcesReachTheVoiceAndTheirFreeValuesAreSmoothed) {
    ArpRig rig;
    APlugin& e = rig.e();
    e.setParameter(tag::SeqStepTuneA + 1, (12 + 0.1f) / 72.99f + 0.5f);
    e.setParameter(tag::SeqStepVelA + 1, 0.5f);
    e.setParameter(tag::SeqStepFree1A + 0, 0.5f); // 0
    e.setParameter(tag::SeqStepFree1A + 1, 1.0f); // +1
    e.setParameter(tag::SeqSmoothA, 0.5f);
    rig.press(60);
    rig.run(2);
    const int v = e.lastVoice;
    EXPECT_FLOAT_EQ(e.voiceSource[v][kSrcTune], 12.0f / 36.0f);
    EXPECT_FLOAT_EQ(e.voiceSource[v][kSrcVelocity], 63.5f / 127.0f);
    EXPECT_FLOAT_EQ(e.lastVoiceSource[kSrcTune], 12.0f / 36.0f);
    EXPECT_FLOAT_EQ(e.arpVoiceFreeTarget[0][v], 1.0f);
    // The smoothed value starts where the global one stood and moves towards the target.
    float previous = e.arpVoiceFreeSmooth[0][v];
    for (int update = 0; update < 50; ++update) {
        e.updateArpVoiceSources(v);
        const float now = e.voiceSource[v][kSrcSmoothFree1];
        EXPECT_GE(now, previous);
        EXPECT_LE(now, 1.0f + 1e-6f);
        previous = now;
    }
    EXPECT_GT(previous, 0.5f);
    EXPECT_FLOAT_EQ(e.voiceSource[v][kSrcFree1], 1.0f);
    EXPECT_TRUE(std::isfinite(previous));
}

TEST(ArpEngine, EditorQueriesAndTheSwitchesThatStopIt) {
    ArpRig rig;
    APlugin& e = rig.e();
    EXPECT_EQ(e.getArp(), -1);
    EXPECT_EQ(e.getArpLedPos(), -1);
    rig.press(60);
    rig.run(3);
    EXPECT_EQ(e.getArp(), 0);
    EXPECT_EQ(e.getArpLedPos(), 2);
    e.setArpKeyEntryPos(5);
    e.setArpKeyEntryPos(16); // outside the pattern: ignored

    // Key entry switched on stops everything and shows the entry position.
    e.setParameter(tag::ArpKeyEntryOn, 1.0f);
    e.updateArpOften();
    EXPECT_EQ(e.arpHeldCount, 0);
    EXPECT_FALSE(e.arpRunning);
    EXPECT_EQ(e.getArpLedPos(), 5);
    e.setParameter(tag::ArpKeyEntryOn, 0.0f);
    e.updateArpOften();
}

TEST(ArpEngine, ChordTiesKeepTheirVoicesAndModArpMonoRestartsAtEachNote) {
    for (int rule : {0, 1}) { // "Normal" holds the chord, "Special" re-pitches the same voices
        ArpRig rig;
        APlugin& e = rig.e();
        rig.stepped(tag::ArpMode, 9);
        rig.stepped(tag::ArpTiedMode, rule);
        e.setParameter(tag::SeqStepTiedA + 1, 1.0f);
        e.setParameter(tag::SeqStepTuneA + 1, (5 + 0.1f) / 72.99f + 0.5f);
        rig.press(60);
        rig.press(64);
        rig.run(1);
        const int first[2] = {e.arpChordVoices[0], e.arpChordVoices[1]};
        rig.run(1);
        EXPECT_EQ(e.arpChordVoices[0], first[0]);
        EXPECT_EQ(e.arpChordVoices[1], first[1]);
        EXPECT_EQ(e.voiceNote[first[0]], 60);
        EXPECT_TRUE(e.voicePressed[first[0]] && e.voicePressed[first[1]]);
        EXPECT_EQ(e.arpPitchOffset, rule == 0 ? 0.0f : 5.0f) << "rule " << rule;
    }

    ArpRig mono; // "Mod Arp Mono" outside the Arp play mode: every note starts step 0 again
    APlugin& m = mono.e();
    m.setParameter(tag::ArpOn, 0.0f);
    m.setParameter(tag::PlayMode, 0.0f);
    mono.stepped(tag::ArpMode, 14);
    m.updateArpClock();
    m.restartModArp();
    for (int block = 0; block < 2000; ++block) m.setArpMod();
    ASSERT_GT(m.arpModStep, 0);
    m.restartArpModVoice(3, 62);
    EXPECT_EQ(m.arpModStep, 0);
    mono.stepped(tag::ArpMode, 13); // "Mod Arp Free" keeps running through new notes
    for (int block = 0; block < 2000; ++block) m.setArpMod();
    const int running = m.arpModStep;
    m.restartArpModVoice(4, 62);
    EXPECT_EQ(m.arpModStep, running);
}

TEST(ArpEngine, SequencerStepsKeepThePhraseVelocityWhileTheNoteFollowsTheNewestKey) {
    ArpRig rig;
    APlugin& e = rig.e();
    rig.stepped(tag::ArpMode, 10);          // "Sequencer"
    e.setParameter(tag::SeqVelKeysA, 1.0f); // the key's velocity only
    rig.press(60, 100);
    rig.run(2);
    EXPECT_EQ(e.arpCurNote, 60);
    EXPECT_FLOAT_EQ(e.arpVelocity, 100.0f);
    rig.press(64, 30); // a later key moves the note, not the phrase's velocity
    rig.run(2);
    EXPECT_EQ(e.arpCurNote, 64);
    EXPECT_FLOAT_EQ(e.arpVelocity, 100.0f);
    rig.release(64); // back to the held key, still at the phrase's velocity
    rig.run(2);
    EXPECT_EQ(e.arpCurNote, 60);
    EXPECT_FLOAT_EQ(e.arpVelocity, 100.0f);
    rig.release(60);
    rig.press(62, 40); // a new phrase takes its own first key's velocity
    rig.run(2);
    EXPECT_FLOAT_EQ(e.arpVelocity, 40.0f);
}
