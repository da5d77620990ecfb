// The arpeggiator in time with the host, as a host sees it through MIDI out: step onsets for
// the tempo and rate, swing, ratchets, the host-synced start, a tempo change mid-pattern,
// and the same log whatever the block size.
#include "tests/host/ArpSession.h"

#include <cmath>

using namespace arptest;

namespace {
// Onsets fall on the 16-sample control grid: within one grid step of the exact time.
constexpr double kGrid = 16.0;

void expectOnsetsNear(const std::vector<long>& onsets, const std::vector<double>& expected,
                      double tolerance = kGrid) {
    ASSERT_GE(onsets.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(double(onsets[i]), expected[i], tolerance) << "onset " << i;
}
} // namespace

TEST_F(ArpHost, SixteenthStepsAtTheHostTempoForBothRates) {
    for (float rate : {44100.0f, 48000.0f}) {
        Session s(rate, 512);
        s.keyDown(60);
        s.render(long(s.stepSamples() * 8.5));
        std::vector<double> expected;
        for (int n = 0; n < 8; ++n) expected.push_back(n * s.stepSamples());
        expectOnsetsNear(s.onsetSamples(), expected);
        EXPECT_EQ(s.onsetKeys(), std::vector<int>(9, 60)) << "rate " << rate;
    }
}

TEST_F(ArpHost, SwingLengthensTheFirstStepOfEachPair) {
    Session s(48000.0f, 256);
    s.set(kSwing, 1.0f);
    s.render(256);
    s.keyDown(60);
    const double step = s.stepSamples();
    s.render(long(step * 6.5));
    // Swing 1: 4/3 and 2/3 of a plain step in turn, so each pair keeps two steps' length.
    expectOnsetsNear(s.onsetSamples(),
                     {0.0, step * 4 / 3, step * 2, step * 10 / 3, step * 4, step * 16 / 3});
}

TEST_F(ArpHost, RatchetFourHitsAtQuartersOfTheStep) {
    Session s(48000.0f, 512);
    s.set(kArpRatchetMode, stepped(1, 9.99f)); // "On"
    s.set(kStepRatchet, stepped(3, 9.99f));    // step 1: "4"
    s.render(512);
    s.keyDown(64);
    const double step = s.stepSamples();
    s.render(long(step * 2.5));
    expectOnsetsNear(s.onsetSamples(), {0.0, step / 4, step / 2, step * 3 / 4, step, step * 2});
    EXPECT_EQ(s.onsetSamples().size(), 6u);

    // "Off / On Cycle": no ratchets in the first pass of the pattern.
    Session off(48000.0f, 512);
    off.set(kArpRatchetMode, stepped(2, 9.99f));
    off.set(kStepRatchet, stepped(3, 9.99f));
    off.render(512);
    off.keyDown(64);
    off.render(long(step * 2.5));
    EXPECT_EQ(off.onsetSamples().size(), 3u);
}

TEST_F(ArpHost, SameEventLogForAnyBlockSize) {
    std::vector<std::vector<Sent>> logs;
    for (VstInt32 block : {1, 64, 1024}) {
        Session s(44100.0f, block);
        s.set(kSwing, 0.4f);
        s.set(kArpOctave, stepped(1, 3.99f));
        s.set(kArpRatchetMode, stepped(1, 9.99f));
        s.set(kStepRatchet + 2, stepped(1, 9.99f));
        s.set(kStepTied + 5, 1.0f);
        s.set(kStepTune + 5, tuneValue(7));
        s.set(kArpTiedMode, stepped(1, 3.99f)); // "Special": the tie takes the new pitch
        s.render(1024);
        s.keyDown(60);
        s.keyDown(67);
        s.render(20000);
        s.keyUp(60);
        s.render(12000);
        logs.push_back(s.log);
    }
    ASSERT_GT(logs[0].size(), 10u);
    for (size_t k = 1; k < logs.size(); ++k) {
        ASSERT_EQ(logs[k].size(), logs[0].size()) << "log " << k;
        for (size_t i = 0; i < logs[0].size(); ++i) {
            EXPECT_EQ(logs[k][i].sample, logs[0][i].sample) << "log " << k << " event " << i;
            EXPECT_EQ(logs[k][i].status, logs[0][i].status) << "log " << k << " event " << i;
            EXPECT_EQ(logs[k][i].key, logs[0][i].key) << "log " << k << " event " << i;
        }
    }
}

TEST_F(ArpHost, SyncedStartWaitsForTheNextSixteenthWhileTheHostPlays) {
    Session s(48000.0f, 512);
    s.set(kArpSync, 1.0f);
    testhost::HostState& h = testhost::host();
    h.time.flags |= kVstTransportPlaying;
    h.time.ppqPos = 8.1; // 0.4 of a sixteenth into the bar's 33rd sixteenth
    s.render(512);
    s.keyDown(60);
    s.render(12000);
    const double wait = (8.25 - 8.1 - 512.0 / 48000.0 * 2.0) * 24000.0; // quarters to samples
    EXPECT_GT(wait, 3000.0);
    ASSERT_FALSE(s.onsetSamples().empty());
    EXPECT_NEAR(double(s.onsetSamples()[0]), wait, kGrid + 1.0);
}

TEST_F(ArpHost, StartsAtOnceWithTheTransportStoppedOrNoTimeAtAll) {
    for (bool answerTime : {true, false}) {
        Session s(44100.0f, 512);
        s.set(kArpSync, 1.0f);
        testhost::host().answerTime = answerTime;
        s.render(512);
        s.keyDown(62);
        s.render(12000);
        const std::vector<long> onsets = s.onsetSamples();
        ASSERT_FALSE(onsets.empty()) << "time info " << answerTime;
        EXPECT_LE(onsets[0], 16) << "time info " << answerTime;
        EXPECT_EQ(onsets.size(), 3u) << "time info " << answerTime;
    }
}

TEST_F(ArpHost, TempoChangeMidStepKeepsThePosition) {
    Session s(48000.0f, 500);
    s.render(500);
    s.keyDown(60);
    const double step = s.stepSamples(120.0); // 6000 samples
    s.render(long(step * 1.5));               // half-way through the second step
    testhost::host().time.tempo = 60.0;       // the rest of that step takes twice as long
    s.render(long(step * 3.2));
    // The grid's error in the phase at the change doubles with the halved tempo.
    expectOnsetsNear(s.onsetSamples(), {0.0, step, step * 1.5 + step, step * 2.5 + 2 * step},
                     3 * kGrid);

    Session wild(48000.0f, 512); // tempi outside 0.1..12000 are held to the range
    wild.render(512);
    testhost::host().time.tempo = 1e9;
    wild.keyDown(60);
    wild.render(4096);
    EXPECT_FALSE(wild.onsetSamples().empty());
    testhost::host().time.tempo = 0.0;
    wild.render(4096);
    EXPECT_TRUE(wild.p().getParameter(kArpOn) > 0.5f);
}

TEST_F(ArpHost, TransportStopAndStartKeepTheRunningPatternInStep) {
    Session s(48000.0f, 512);
    s.set(kArpSync, 1.0f);
    testhost::HostState& h = testhost::host();
    h.time.flags |= kVstTransportPlaying;
    h.time.ppqPos = 0.0;
    s.render(512);
    s.keyDown(60);
    const double step = s.stepSamples();
    s.render(long(step * 2.5));
    h.time.flags &= ~kVstTransportPlaying; // stop
    s.render(long(step * 2));
    h.time.flags |= kVstTransportPlaying; // and start again
    s.render(long(step * 2));
    const std::vector<long> onsets = s.onsetSamples();
    ASSERT_EQ(onsets.size(), 6u); // the first waited for the next sixteenth
    for (size_t i = 1; i < onsets.size(); ++i)
        EXPECT_NEAR(double(onsets[i] - onsets[i - 1]), step, kGrid) << "onset " << i;
}
