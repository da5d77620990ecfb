// The note road on engine state: sample-accurate starts, allocation and stealing, the mono and
// legato stacks, portamento steps, Poly MPE with the sustain pedal, and the 64-bit start
// stamps.
#include "RenderEngine.h"

#include <gtest/gtest.h>

#include <cmath>

using rendertest::Engine;

namespace {
constexpr int kNoteOn = 0x90, kNoteOff = 0x80, kCC = 0xB0;

int voicePlaying(Engine& e, int key) {
    for (int v = 0; v < kNumVoices; ++v)
        if (e->voicePressed[v] && e->voiceNote[v] == key) return v;
    return -1;
}

float pitchOf(int key) {
    return (key - 57) / 12.0f;
}
} // namespace

TEST(RenderNotes, ANoteStartsAtTheSampleItsOffsetNames) {
    Engine e;
    e.render(7); // an odd start, so the note also falls on a stored-frame sample
    const uint64_t clock = e->sampleClock;
    e.midi({{5, kNoteOn, 60, 100}});
    e.render(5);
    EXPECT_EQ(e.pressedCount(), 0) << "not before sample 5";
    e.render(1);
    ASSERT_EQ(e.pressedCount(), 1);
    EXPECT_EQ(e->voiceStartStamp[0], clock + 5);
    EXPECT_EQ(e->voiceNote[0], 60);
    // Velocity 0 releases exactly like a note-off; a note on another channel than the chosen
    // one is consumed without effect.
    e.play({{kNoteOn, 60, 0}});
    EXPECT_EQ(e.pressedCount(), 0);
    saveMIDIChannelToPrefs(kPrefMIDIChannel, 4); // channel index 3
    e->updateMIDIChannel(false);
    e.play({{kNoteOn + 4, 62, 100}});
    EXPECT_EQ(e.pressedCount(), 0);
    EXPECT_EQ(e->getPendingMidiEvents(), 0);
    e.play({{kNoteOn + 3, 62, 100}});
    EXPECT_EQ(e.pressedCount(), 1);
}

TEST(RenderNotes, TheQueueTakes250EventsAndAFaultyFarFutureCannotBlockIt) {
    Engine e;
    std::vector<std::array<int, 4>> far(251, {1 << 30, kNoteOn, 60, 100});
    e.midi(far);
    EXPECT_EQ(e->getPendingMidiEvents(), 250);
    // Each waits at most a second of samples, then plays; later notes get through.
    e.render(48000);
    EXPECT_EQ(e->getPendingMidiEvents(), 250);
    e.render(1);
    EXPECT_EQ(e->getPendingMidiEvents(), 0);
    e.play({{kNoteOn, 70, 100}});
    EXPECT_GE(voicePlaying(e, 70), 0);
    // A negative offset is due at once.
    e.midi({{-40, kNoteOn, 72, 100}});
    e.render(1);
    EXPECT_GE(voicePlaying(e, 72), 0);
    // Suspending empties the queue.
    e.midi({{100, kNoteOn, 74, 100}});
    e->suspend();
    EXPECT_EQ(e->getPendingMidiEvents(), 0);
}

TEST(RenderNotes, PolyAllocationTakesFreeVoicesAndStealsWithExactly15Busy) {
    Engine e;
    e.play({{kNoteOn, 60, 100}, {kNoteOn, 61, 100}});
    EXPECT_EQ(voicePlaying(e, 60), 0);
    EXPECT_EQ(voicePlaying(e, 61), 1);
    for (int k = 62; k < 62 + 13; ++k) e.play({{kNoteOn, k, 100}});
    ASSERT_EQ(e.pressedCount(), 15);
    for (int v = 0; v < kNumVoices; ++v) e->voiceLevel[v] = 0.8f;
    // Voice 3 is releasing and the quietest released voice: it is the one faded.
    e.play({{kNoteOff, 63, 0}});
    e->voiceLevel[3] = 0.5f;
    e->voiceLevel[7] = 0.2f; // quieter, but still held
    e->voiceLevel[15] = 0.0f;
    e.play({{kNoteOn, 90, 100}});
    EXPECT_EQ(voicePlaying(e, 90), 15);
    EXPECT_EQ(e->voiceFastFade[3], 1);
    EXPECT_EQ(e->voiceFastFade[7], 0);
    EXPECT_EQ(e->voicePressed[7], 1);

    // With every voice held and 15 busy, the quietest held voice is stolen.
    Engine f;
    for (int k = 40; k < 55; ++k) f.play({{kNoteOn, k, 100}});
    for (int v = 0; v < kNumVoices; ++v) f->voiceLevel[v] = 0.9f;
    f->voiceLevel[15] = 0.0f;
    f->voiceLevel[4] = 0.3f;
    f.play({{kNoteOn, 80, 100}});
    EXPECT_EQ(voicePlaying(f, 80), 15);
    EXPECT_EQ(f->voicePressed[4], 0);
    EXPECT_EQ(f->voiceFastFade[4], 1);
}

TEST(RenderNotes, MonoModesRetriggerAndReturnToTheHeldKey) {
    Engine e;
    e.playMode(2); // Mono
    e.play({{kNoteOn, 60, 100}});
    const int first = voicePlaying(e, 60);
    ASSERT_GE(first, 0);
    e->voiceLevel[first] = 0.8f; // sounding, as its envelope would leave it
    e.play({{kNoteOn, 64, 40}});
    const int second = voicePlaying(e, 64);
    ASSERT_GE(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(e.pressedCount(), 1);
    EXPECT_FLOAT_EQ(e->voiceVelocity[second], 100.0f / 127.0f) << "the phrase's velocity";
    EXPECT_EQ(e->getNotesOn(), 2);
    e->voiceIsNew[second] = 0;
    e.play({{kNoteOff, 64, 0}});
    const int back = voicePlaying(e, 60);
    ASSERT_GE(back, 0);
    EXPECT_EQ(e->voiceIsNew[back], 1) << "retriggered";
    EXPECT_FLOAT_EQ(e->voiceVelocity[back], 100.0f / 127.0f);
    e.play({{kNoteOff, 60, 0}});
    EXPECT_EQ(e.pressedCount(), 0);

    // Mono Lo: a higher key is ignored entirely, not even stacked.
    e.playMode(3);
    e.play({{kNoteOn, 60, 100}, {kNoteOn, 64, 100}});
    EXPECT_GE(voicePlaying(e, 60), 0);
    EXPECT_EQ(voicePlaying(e, 64), -1);
    e.play({{kNoteOff, 64, 0}});
    EXPECT_GE(voicePlaying(e, 60), 0);
    e.play({{kNoteOff, 60, 0}});
    EXPECT_EQ(e.pressedCount(), 0);
    // Mono Hi: a lower key is ignored.
    e.playMode(4);
    e.play({{kNoteOn, 60, 100}, {kNoteOn, 55, 100}});
    EXPECT_GE(voicePlaying(e, 60), 0);
    EXPECT_EQ(voicePlaying(e, 55), -1);
}

TEST(RenderNotes, LegatoGlidesOnOneVoiceAndFollowsTheTopKey) {
    Engine e;
    e.playMode(5); // Legato
    e.play({{kNoteOn, 60, 100}});
    const int voice = voicePlaying(e, 60);
    ASSERT_GE(voice, 0);
    e->voiceIsNew[voice] = 0;
    e.play({{kNoteOn, 64, 100}});
    EXPECT_EQ(voicePlaying(e, 64), voice);
    EXPECT_EQ(e->voiceIsNew[voice], 0) << "no retrigger";
    e.play({{kNoteOff, 60, 0}});
    EXPECT_EQ(voicePlaying(e, 64), voice);
    EXPECT_FLOAT_EQ(e->voiceTargetPitch[voice], pitchOf(64));
    e.play({{kNoteOn, 67, 100}, {kNoteOff, 67, 0}});
    EXPECT_EQ(voicePlaying(e, 64), voice) << "back to the remaining key";
    e.play({{kNoteOff, 64, 0}});
    EXPECT_EQ(e.pressedCount(), 0);
}

TEST(RenderNotes, PortamentoStepsFollowTheModeAndNeverGlideAfterAReset) {
    Engine e;
    // Each case starts from a stopped engine, so its first note has no previous one; the
    // steps are read at the start, before any control update moves the voice.
    auto glideTo = [&e](int mode, float amount, int from, int to) {
        e->setSteppedValue(tag::PortamentoMode, mode);
        e->setParameter(tag::PortamentoAmount, amount);
        e.settle();
        e->setEverythingOff(true);
        e->midiNoteDown(from, 100, 0);
        EXPECT_EQ(e->voiceGlideStep[e->currentVoice], 0.0f) << "no glide after a reset";
        e->midiNoteRelease(from, 0, 0);
        e->midiNoteDown(to, 100, 0);
        EXPECT_FLOAT_EQ(e->voiceGlidePitch[e->currentVoice], pitchOf(from));
        return e->voiceGlideStep[e->currentVoice];
    };
    EXPECT_EQ(glideTo(0, 0.0f, 60, 72), 0.0f); // Off
    // Constant Rate with amount 0 (G = 1): one octave per update, signed by the interval.
    EXPECT_FLOAT_EQ(glideTo(1, 0.0f, 72, 48), -1.0f);
    EXPECT_FLOAT_EQ(glideTo(1, 0.0f, 48, 50), 1.0f);
    // Constant Time: the whole interval over G = 2 updates.
    EXPECT_NEAR(glideTo(2, 1.0f / 12.0f, 48, 51), (pitchOf(51) - pitchOf(48)) / 2.0f, 1e-5f);
    EXPECT_EQ(e->voiceGlideSign[e->currentVoice], 1.0f);
}

TEST(RenderNotes, SustainHoldsReleasedKeysAndPolyMpeReleasesPerChannel) {
    Engine e;
    e.play({{kNoteOn, 60, 100}});
    const int v = voicePlaying(e, 60);
    e->voiceLevel[5] = 0.5f; // a voice already releasing audibly
    e.play({{kCC, 64, 127}, {kNoteOff, 60, 0}});
    EXPECT_EQ(e->voicePressed[v], 0);
    EXPECT_EQ(e->voiceSustained[v], 1) << "held by the pedal";
    EXPECT_EQ(e->voiceSustained[5], 0) << "a releasing voice keeps releasing";
    e.play({{kCC, 64, 0}});
    EXPECT_EQ(e->voiceSustained[v], 0);

    // Poly MPE: the same key on two channels is released per channel, also across a sustain
    // message (which used to forget every voice's channel and hang the notes).
    Engine m;
    m.playMode(1);
    m.play({{kNoteOn + 2, 60, 100}, {kNoteOn + 3, 60, 100}});
    ASSERT_EQ(m.pressedCount(), 2);
    m.play({{kCC + 2, 64, 0}});
    m.play({{kNoteOff + 3, 60, 0}});
    EXPECT_EQ(m.pressedCount(), 1);
    EXPECT_EQ(m->voiceChannel[voicePlaying(m, 60)], 2);
    m.play({{kNoteOff + 2, 60, 0}});
    EXPECT_EQ(m.pressedCount(), 0);
}

TEST(RenderNotes, TheOldestVoiceStaysRightPastTwoToThe32Samples) {
    Engine e;
    e->sampleClock = (uint64_t(1) << 32) - 3;
    e.play({{kNoteOn, 60, 100}});
    e->sampleClock += 10; // the 32-bit clock would have wrapped to a small value here
    e.play({{kNoteOn, 62, 100}});
    e->setOldestVoice();
    e->setLastVoice();
    EXPECT_EQ(e->oldestVoice, voicePlaying(e, 60));
    EXPECT_EQ(e->lastVoice, voicePlaying(e, 62));
    EXPECT_GT(e->voiceStartStamp[voicePlaying(e, 62)], uint64_t(1) << 32);
    // Stamps beyond what a 999,999,999 start could find still give an oldest voice.
    e->sampleClock = uint64_t(1) << 40;
    e.play({{kNoteOn, 64, 100}});
    e->setOldestVoice();
    EXPECT_EQ(e->oldestVoice, voicePlaying(e, 60));
}
