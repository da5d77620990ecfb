// The arpeggiator's walk through its patterns and its note orders, driven block by block as
// the control-rate updates drive it: which step and which key each step boundary plays.
#include "ArpRig.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using arprig::ArpRig;
using arprig::Boundary;
constexpr int kStride = tag::SeqStride;

std::vector<int> stepsOf(const std::vector<Boundary>& log) {
    std::vector<int> steps;
    for (const Boundary& b : log) steps.push_back(b.step + 16 * b.pattern);
    return steps;
}

std::vector<int> notesOf(const std::vector<Boundary>& log) {
    std::vector<int> notes;
    for (const Boundary& b : log) notes.push_back(b.note + b.offset);
    return notes;
}

} // namespace

TEST(ArpPattern, LoopModesWalkTheStepsAsDefined) {
    { // "On": the first pass plays from step 0, later ones from the loop start.
        ArpRig rig;
        rig.stepped(tag::SeqStepsA, 4); // 5 steps
        rig.stepped(tag::SeqLoopStartA, 2);
        rig.press(60);
        EXPECT_EQ(stepsOf(rig.run(9)), (std::vector<int>{0, 1, 2, 3, 4, 2, 3, 4, 2}));
        EXPECT_EQ(rig.e().arpPlayedCount, 2);
    }
    { // "Off": one pass, then the arpeggiator lets go of its keys.
        ArpRig rig;
        rig.stepped(tag::ArpLoopMode, 1);
        rig.stepped(tag::SeqStepsA, 2);
        rig.press(60);
        EXPECT_EQ(stepsOf(rig.run(10)), (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(rig.e().arpHeldCount, 0);
        EXPECT_TRUE(rig.run(1).empty());
        EXPECT_FALSE(rig.e().arpRunning);
    }
    { // "PingPong": the last step is not repeated, nor the turn at the start.
        ArpRig rig;
        rig.stepped(tag::ArpLoopMode, 2);
        rig.stepped(tag::SeqStepsA, 3);
        rig.press(60);
        EXPECT_EQ(stepsOf(rig.run(10)), (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2, 3}));
    }
}

TEST(ArpPattern, JoinChainsBothPatterns) {
    { // "On": A, then B, then back to A's loop start; only the return counts as a wrap.
        ArpRig rig;
        rig.stepped(tag::ArpPlayMode, 3);
        rig.stepped(tag::SeqStepsA, 2);
        rig.stepped(tag::SeqStepsA + kStride, 1);
        rig.stepped(tag::SeqLoopStartA, 1);
        rig.press(60);
        EXPECT_EQ(stepsOf(rig.run(9)), (std::vector<int>{0, 1, 2, 16, 17, 1, 2, 16, 17}));
        EXPECT_EQ(rig.e().arpPlayedCount, 1);
    }
    { // "PingPong": up through A and B, down through B and A.
        ArpRig rig;
        rig.stepped(tag::ArpPlayMode, 3);
        rig.stepped(tag::ArpLoopMode, 2);
        rig.stepped(tag::SeqStepsA, 2);
        rig.stepped(tag::SeqStepsA + kStride, 2);
        rig.press(60);
        EXPECT_EQ(stepsOf(rig.run(13)),
                  (std::vector<int>{0, 1, 2, 16, 17, 18, 17, 16, 2, 1, 0, 1, 2}));
    }
}

TEST(ArpPattern, NoteOrdersFollowPressOrderOrPitch) {
    struct Case {
        int mode;
        std::vector<int> notes;
    };
    const Case cases[] = {
        {0, {64, 60, 67, 64, 60, 67}}, // Up: press order
        {1, {67, 60, 64, 67, 60, 64}}, // Down
        {2, {64, 60, 67, 60, 64, 60}}, // Up / Down
        {5, {60, 64, 67, 60, 64, 67}}, // Ordered: pitch order
    };
    for (const Case& c : cases) {
        ArpRig rig;
        rig.stepped(tag::ArpMode, c.mode);
        for (int key : {64, 60, 67}) rig.press(key);
        EXPECT_EQ(notesOf(rig.run(6)), c.notes) << "mode " << c.mode;
    }

    ArpRig rig;
    rig.stepped(tag::ArpMode, 4); // Random: only held keys, and each of them in time
    for (int key : {64, 60, 67}) rig.press(key);
    int seen[3] = {};
    for (int note : notesOf(rig.run(60))) {
        ASSERT_TRUE(note == 60 || note == 64 || note == 67 || note == 72 || note == 76 ||
                    note == 79)
            << note;
        ++seen[note % 12 == 0 ? 0 : (note % 12 == 4 ? 1 : 2)];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[2], 0);
}

TEST(ArpPattern, OctavesAdvanceAtEachNewPassThroughTheKeys) {
    ArpRig rig;
    rig.stepped(tag::ArpOctave, 1); // 2 octaves
    rig.press(60);
    rig.press(62);
    EXPECT_EQ(notesOf(rig.run(6)), (std::vector<int>{60, 62, 72, 74, 60, 62}));

    ArpRig one; // one key in "Up / Down": the octave moves on at every step after the first
    one.stepped(tag::ArpMode, 2);
    one.stepped(tag::ArpOctave, 2);
    one.press(60);
    EXPECT_EQ(notesOf(one.run(5)), (std::vector<int>{60, 72, 84, 60, 72}));
}

TEST(ArpPattern, BoundsFollowTheirSettingsAndModulation) {
    ArpRig rig;
    APlugin& e = rig.e();
    rig.stepped(tag::SeqStepsA, 7);
    rig.stepped(tag::SeqLoopStartA, 4);
    EXPECT_EQ(e.getArpNumOfSteps(0), 8);
    EXPECT_EQ(e.getArpLoopStart(0), 4);
    rig.stepped(tag::ArpStartCatchup, 1); // "Even" makes the start odd
    EXPECT_EQ(e.getArpLoopStart(0), 5);
    rig.stepped(tag::ArpStartCatchup, 2); // "Odd" makes it even
    rig.stepped(tag::SeqLoopStartA, 5);
    EXPECT_EQ(e.getArpLoopStart(0), 4);
    rig.stepped(tag::ArpStepsCatchup, 2); // stored with the pattern only
    EXPECT_EQ(e.getArpNumOfSteps(0), 8);

    e.globalDest[236] = 1.0f; // "Arp Steps": at most 16
    EXPECT_EQ(e.getArpNumOfSteps(0), 16);
    e.globalDest[236] = -1.0f; // at least 1, and the loop start falls to 0
    EXPECT_EQ(e.getArpNumOfSteps(0), 1);
    EXPECT_EQ(e.getArpLoopStart(0), 0);
    e.globalDest[236] = 0.0f;
    e.globalDest[237] = 1.0f; // "Arp Loop Start" up to the last step
    EXPECT_EQ(e.getArpLoopStart(0), 7);
    e.globalDest[237] = -1.0f;
    EXPECT_EQ(e.getArpLoopStart(0), 0);

    EXPECT_EQ(e.getArpStepTune(16), 0);
    EXPECT_EQ(e.getArpStepTune(-1), 0);
    EXPECT_FALSE(e.getArpStepOn(16));
    EXPECT_FLOAT_EQ(e.getArpStepVel(-5), 0.0f);
}
