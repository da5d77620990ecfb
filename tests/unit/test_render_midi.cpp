// MIDI dispatch on engine state: pitch bend and pressure routing, MIDI learn with its
// never-learnt all-off controllers, soft take-over, the arpeggiator's held releases, and MIDI
// out with its note-off for every note-on.
#include "RenderEngine.h"

#include <gtest/gtest.h>

using rendertest::Engine;
using rendertest::sentMidi;

namespace {
constexpr int kNoteOn = 0x90, kCC = 0xB0, kBend = 0xE0, kPolyPressure = 0xA0;
} // namespace

TEST(RenderMidi, PitchBendAndPressureReachTheirSources) {
    Engine e;
    e.play({{kBend, 0, 64}});
    EXPECT_EQ(e->pitchBend, 0.0f);
    e.play({{kBend, 0, 0}});
    EXPECT_EQ(e->pitchBend, -1.0f);
    EXPECT_EQ(e->lastVoiceSource[18], -1.0f);
    e.play({{kBend, 127, 127}});
    EXPECT_FLOAT_EQ(e->pitchBend, 8191.0f / 8192.0f);
    EXPECT_FLOAT_EQ(e->voiceSource[9][18], 8191.0f / 8192.0f);
    // Poly pressure for a key no voice plays goes to every voice; a played key only to its own.
    e.play({{kPolyPressure, 99, 127}});
    EXPECT_EQ(e->voicePolyPressure[11], 1.0f);
    e.play({{kNoteOn, 60, 100}, {kPolyPressure, 60, 0}});
    EXPECT_EQ(e->voicePolyPressure[0], 0.0f);
    EXPECT_EQ(e->voicePolyPressure[11], 1.0f);
    // CC 7 scales the output; a program change does nothing.
    e.play({{kCC, 7, 0}, {0xC0, 5, 0}});
    EXPECT_EQ(e->midiVolume, 0.0f);
    EXPECT_EQ(e.pressedCount(), 1);
}

TEST(RenderMidi, LearningSkipsAllOffControllersAndTakeOverWaitsForTheValue) {
    Engine e;
    const int target = tag::FilterFrequency;
    e->setParameter(target, 0.5f);
    e.play({{kNoteOn, 60, 100}});
    e->setMIDILatch(target);
    e.play({{kCC, 123, 0}});
    EXPECT_EQ(e.pressedCount(), 0) << "all notes off";
    EXPECT_EQ(e->getMIDICCTag(123), 0) << "never learnt";
    EXPECT_TRUE(e->midiLearnArmed);
    // The next controller is learnt; its first value is far from 0.5, so nothing moves.
    e.play({{kCC, 20, 115}});
    EXPECT_EQ(e->getMIDICCTag(20), target);
    EXPECT_FALSE(e->midiLearnArmed);
    EXPECT_EQ(e->getParameter(target), 0.5f);
    e.play({{kCC, 20, 70}}); // 0.551: still outside 0.025
    EXPECT_EQ(e->getParameter(target), 0.5f);
    e.play({{kCC, 20, 65}}); // 0.512: caught
    EXPECT_FLOAT_EQ(e->getParameter(target), 65.0f / 127.0f);
    e.play({{kCC, 20, 127}}); // caught: follows at once
    EXPECT_EQ(e->getParameter(target), 1.0f);
}

TEST(RenderMidi, UnlearningNeverRetargetsALearnWaitingForAnotherTag) {
    Engine e;
    const int armed = tag::FilterFrequency, other = tag::FilterQ;
    e->setMIDILatch(armed);
    e->setMIDILatch(other, false);
    EXPECT_TRUE(e->midiLearnArmed) << "a learn waiting for another tag stays armed";
    e.play({{kCC, 21, 64}});
    EXPECT_EQ(e->getMIDICCTag(21), armed);
    // Unlearning the tag a learn waits for stops the learn: the next controller stays free.
    e->setMIDILatch(other);
    e->setMIDILatch(other, false);
    EXPECT_FALSE(e->midiLearnArmed);
    e.play({{kCC, 22, 64}});
    EXPECT_EQ(e->getMIDICCTag(22), 0);
    // Unlearning with nothing armed arms nothing.
    e->setMIDILatch(armed, false);
    EXPECT_FALSE(e->midiLearnArmed);
    e.play({{kCC, 23, 64}});
    EXPECT_EQ(e->getMIDICCTag(23), 0);
    EXPECT_EQ(e->getMIDICCTag(21), 0) << "the armed tag's own controller is unlearnt";
}

TEST(RenderMidi, HeldArpReleasesKeepAtMost64) {
    Engine e;
    e->setParameter(tag::ArpOn, 1.0f);
    e->setParameter(tag::ArpLatchOn, 1.0f);
    e.settle();
    e.render(256); // the slow update sees the latch turn on
    for (int i = 0; i < 70; ++i) {
        e.play({{kNoteOn, 40 + i % 40, 100}});
        e.play({{0x80, 40 + i % 40, 0}});
    }
    EXPECT_EQ(e->arpHeldReleaseCount, 64);
    EXPECT_LE(e->arpHeldCount, APlugin::kArpKeys);
}

TEST(RenderMidi, TheRunningArpeggiatorSendsPairedNotesStampedInsideTheBlock) {
    Engine e;
    saveMIDIChannelToPrefs(kPrefMIDIOutChannel, 1);
    e->updateMIDIChannel(false);
    e->setParameter(tag::ArpOn, 1.0f);
    e.render(512);
    sentMidi().clear();
    constexpr int kBlock = 100;
    e.midi({{37, kNoteOn, 60, 100}, {38, kNoteOn, 64, 100}});
    for (int i = 0; i < 300; ++i) e.render(kBlock); // over half a second of arpeggio
    e.midi({{50, 0x80, 60, 0}, {51, 0x80, 64, 0}});
    for (int i = 0; i < 40; ++i) e.render(kBlock);

    int sounding[128] = {};
    int notes = 0;
    for (const auto& m : sentMidi()) {
        EXPECT_GE(m.deltaFrames, 0);
        EXPECT_LT(m.deltaFrames, kBlock);
        EXPECT_EQ(m.status & 0x0F, 0);
        if ((m.status & 0xF0) == 0x90) {
            EXPECT_EQ(sounding[m.data1], 0) << "a second note-on before the note-off";
            ++sounding[m.data1];
            ++notes;
        } else {
            EXPECT_EQ(m.status & 0xF0, 0x80);
            EXPECT_EQ(sounding[m.data1], 1) << "a note-off without its note-on";
            --sounding[m.data1];
        }
    }
    EXPECT_GE(notes, 3);
    for (int key = 0; key < 128; ++key) EXPECT_EQ(sounding[key], 0) << "hanging " << key;

    // A stamp outside the block never goes negative or past the block; the output channel
    // follows the preference (channel index 2 here).
    saveMIDIChannelToPrefs(kPrefMIDIOutChannel, 3);
    e->updateMIDIChannel(false);
    sentMidi().clear();
    e->blockLength = 64;
    e->blockSampleIndex = -5;
    e->setNotePressed(1, 50, 100, 0.0f, true, true, false);
    e->blockSampleIndex = 500;
    e->suspend();
    ASSERT_EQ(sentMidi().size(), 2u);
    EXPECT_EQ(sentMidi()[0].deltaFrames, 0);
    EXPECT_EQ(sentMidi()[1].deltaFrames, 63);
    EXPECT_EQ(sentMidi()[1].status, 0x82);
}

TEST(RenderMidi, KeyEntryWritesStepsAndEndsAfterTheLastPlayingStep) {
    Engine e;
    e->setSteppedValue(tag::SeqStepsA, 2); // three steps
    e->setParameter(tag::SeqStepOnA + 1, 0.0f);
    e->setParameter(tag::SeqStepOnA + 2, 1.0f);
    e->setParameter(tag::SeqStepTiedA + 2, 0.0f);
    e->setParameter(tag::ArpKeyEntryOn, 1.0f);
    e.render(64); // the fast update takes the switch
    const float skippedTune = e->getParameter(tag::SeqStepTuneA + 1);
    e.play({{kNoteOn, 67, 100}});
    EXPECT_EQ(e->getParameter(tag::SeqStepOnA), 1.0f);
    EXPECT_NEAR(e->getParameter(tag::SeqStepTuneA), (7 + 0.1f) / 72.99f + 0.5f, 1e-6f);
    EXPECT_NEAR(e->getParameter(tag::SeqStepVelA), 100.0f / 127.0f, 1e-6f);
    EXPECT_EQ(e.pressedCount(), 1) << "the key is auditioned";
    e.play({{0x80, 67, 0}});
    EXPECT_EQ(e.pressedCount(), 0);
    // Step 1 is off, so the next key goes to step 2, and then the entry ends.
    e.play({{kNoteOn, 48, 50}});
    EXPECT_EQ(e->getParameter(tag::SeqStepTuneA + 1), skippedTune);
    EXPECT_NEAR(e->getParameter(tag::SeqStepTuneA + 2), (-12 + 0.1f) / 72.99f + 0.5f, 1e-6f);
    e.play({{0x80, 48, 0}});
    EXPECT_EQ(e->getParameter(tag::ArpKeyEntryOn), 0.0f);
}

TEST(RenderMidi, APreviewNoteKeepsOtherPreviewVoicesAndReleasesItsKey) {
    Engine e;
    e.play({{kNoteOn, 50, 100}});
    e->previewNoteOn();
    EXPECT_EQ(e.pressedCount(), 1) << "the first preview stops the keys";
    e->previewNoteOn();
    EXPECT_EQ(e.pressedCount(), 2) << "a second preview does not";
    e->previewNoteReleased();
    EXPECT_EQ(e.pressedCount(), 0);
    EXPECT_EQ(e->previewPlaying, 0);
}
