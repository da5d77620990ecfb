// The arpeggiator's modes as a host hears them through MIDI out: the note order, ties under
// each tie rule, chords of 8 and of 20 keys, the sequencer modes, latch and pedal hold.
#include "tests/host/ArpSession.h"

#include <algorithm>

using namespace arptest;

namespace {
constexpr float kTiedRange = 3.99f;

// The note-ons of each step: their keys, grouped by onset sample.
std::vector<std::vector<int>> chordsOf(const Session& s) {
    std::vector<std::vector<int>> chords;
    long last = -1;
    for (const Sent& e : s.noteOns()) {
        if (e.sample != last) chords.emplace_back();
        chords.back().push_back(e.key);
        last = e.sample;
    }
    for (auto& chord : chords) std::sort(chord.begin(), chord.end());
    return chords;
}
} // namespace

TEST_F(ArpHost, TiedStepsHoldOrTakeTheNewPitchByTheirRule) {
    struct Case {
        int rule;
        std::vector<int> keys;
    };
    // Four steps, the second tied and tuned up a fifth; two passes of the pattern.
    const Case cases[] = {
        {0, {60, 60, 60, 60, 60, 60}},         // "Normal": the tie holds the note
        {1, {60, 67, 60, 60, 60, 67, 60, 60}}, // "Special": it takes the step's pitch
        {2, {60, 67, 60, 60, 60, 60, 60}},     // "Toggle 1": in even cycles
        {3, {60, 60, 60, 60, 67, 60, 60}},     // "Toggle 2": in odd cycles
    };
    for (const Case& c : cases) {
        Session s(48000.0f, 512);
        s.set(kSteps, stepped(3, 15.99f));
        s.set(kStepTied + 1, 1.0f);
        s.set(kStepTune + 1, tuneValue(7));
        s.set(kArpTiedMode, stepped(c.rule, kTiedRange));
        s.render(512);
        s.keyDown(60);
        s.render(long(s.stepSamples() * 7.5));
        EXPECT_EQ(s.onsetKeys(), c.keys) << "rule " << c.rule;
        if (c.rule == 0) {
            // The held note is not ended at the tied step: its note-off comes at step 3.
            for (const Sent& e : s.log)
                if ((e.status & 0xF0) == 0x80 && e.sample < long(s.stepSamples() * 1.9))
                    ADD_FAILURE() << "note-off at " << e.sample;
        }
    }
}

TEST_F(ArpHost, ChordModePlaysEveryHeldKeyUpToSixteen) {
    for (int keys : {8, 20}) {
        Session s(48000.0f, 512);
        s.set(kArpMode, stepped(9, 19.99f));
        s.set(kArpOctave, stepped(1, 3.99f)); // 2 octaves: up at the second step, back after
        s.render(512);
        std::vector<int> held;
        for (int k = 0; k < keys; ++k) {
            held.push_back(48 + k);
            s.keyDown(48 + k);
        }
        s.render(long(s.stepSamples() * 2.5));
        const auto chords = chordsOf(s);
        ASSERT_EQ(chords.size(), 3u) << keys << " keys";
        const size_t voiced = std::min<size_t>(size_t(keys), 16);
        std::vector<int> first(held.begin(), held.begin() + long(voiced));
        std::vector<int> up;
        for (int k : first) up.push_back(k + 12);
        EXPECT_EQ(chords[0], first) << keys << " keys";
        EXPECT_EQ(chords[1], up) << keys << " keys";
        EXPECT_EQ(chords[2], first) << keys << " keys";
    }
}

TEST_F(ArpHost, SequencerTransposesThePatternByTheLastKey) {
    const int tunes[4] = {0, 3, 7, 12};
    for (int mode : {10, 11}) {
        Session s(48000.0f, 500);
        s.set(kArpMode, stepped(mode, 19.99f));
        s.set(kSteps, stepped(3, 15.99f));
        for (int i = 0; i < 4; ++i) s.set(kStepTune + i, tuneValue(tunes[i]));
        s.render(500);
        s.keyDown(60);
        const double step = s.stepSamples();
        s.render(long(step * 1.5));
        s.keyDown(65); // half-way through the second step, while 60 is held
        s.render(long(step * 2));
        s.keyUp(65); // half-way through the fourth step: back to 60
        s.render(long(step * 2));
        const std::vector<int> expected = mode == 10 ? std::vector<int>{60, 63, 72, 77, 60, 63}
                                                     // "Sequence Restart": each change starts again
                                                     : std::vector<int>{60, 63, 65, 68, 60, 63};
        EXPECT_EQ(s.onsetKeys(), expected) << "mode " << mode;
    }
}

TEST_F(ArpHost, LatchAndPedalKeepReleasedKeysPlaying) {
    const double plain = 6000.0; // one step at 48 kHz and 120 BPM
    // Latch, or the sustain pedal in the Arp play mode: released keys play on until the latch
    // is switched off or the pedal goes up.
    for (bool pedal : {false, true}) {
        Session s(48000.0f, 512);
        auto hold = [&](bool on) {
            if (pedal)
                s.midi(0, 0xB0, 64, on ? 127 : 0);
            else
                s.set(kArpLatch, on ? 1.0f : 0.0f);
        };
        hold(true);
        s.render(512);
        s.keyDown(60);
        s.keyDown(67);
        s.render(1000);
        s.keyUp(60);
        s.keyUp(67);
        s.render(long(plain * 4) - 2000);
        EXPECT_EQ(s.onsetKeys(), (std::vector<int>{60, 67, 60, 67})) << "pedal " << pedal;
        hold(false);
        s.render(long(plain * 3));
        EXPECT_EQ(s.noteOns().size(), 4u) << "pedal " << pedal << ": the keys were let go";
    }
}

TEST_F(ArpHost, AKeyAddedToASoundingChordJoinsAtOnce) {
    Session s(48000.0f, 512);
    s.set(kArpMode, stepped(9, 19.99f));
    s.render(512);
    s.keyDown(60);
    s.keyDown(64);
    s.render(2048);
    s.keyDown(67); // a third of the way into the first step
    s.render(6000);
    const auto chords = chordsOf(s);
    ASSERT_EQ(chords.size(), 3u);
    EXPECT_EQ(chords[0], (std::vector<int>{60, 64}));
    EXPECT_EQ(chords[1], (std::vector<int>{67}));
    EXPECT_NEAR(double(s.noteOns()[2].sample - s.firstKeyAt), 2048.0, 16.0);
    EXPECT_EQ(chords[2], (std::vector<int>{60, 64, 67}));
}

TEST_F(ArpHost, TheListKeepsThirtyTwoKeys) {
    Session s(48000.0f, 512);
    s.set(kSpeed, stepped(16, 16.99f)); // "16x BPM": 375 samples a step
    s.render(512);
    for (int k = 0; k < 33; ++k) s.keyDown(40 + k);
    s.render(375 * 40);
    const std::vector<int> keys = s.onsetKeys();
    ASSERT_GE(keys.size(), 34u);
    for (int k = 0; k < 32; ++k) EXPECT_EQ(keys[size_t(k)], 40 + k);
    EXPECT_EQ(keys[32], 40) << "the 33rd key was not stored";
}
