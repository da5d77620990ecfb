// What a host sends that a careful host would not, and state changed under sounding notes:
// the reverb's high-pass turned down while the tail rings, absurd time information, and the
// texts a generic editor asks for on its own thread while the audio thread changes the modes
// those texts follow.
#include "tests/host/AudioAnalysis.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

using testhost::Plugin;

constexpr float kRate = 44100.0f;
constexpr int kReverbOn = 346, kReverbHighPass = 112, kFilterPreDistort = 60;
constexpr int kArpOn = 492, kArpSyncOn = 502, kDistortFxOn = 338, kDistortFxMode = 339;

float peak(const std::vector<float>& x, size_t from = 0) {
    float m = 0.0f;
    for (size_t i = from; i < x.size(); ++i) m = std::max(m, std::fabs(x[i]));
    return m;
}

// The first program lands at the first 4,096-sample boundary; tests start after it.
void settle(Plugin& p) {
    std::vector<float> l, r;
    p.process(4608, l, r);
}

TEST(HostHostile, ReverbHighPassTurnedDownWhileTheTailRingsLeavesNoOffset) {
    testhost::resetHost();
    Plugin p(kRate, 512);
    settle(p);
    p.setParameter(kReverbOn, 1.0f);
    p.setParameter(kReverbHighPass, 0.5f);
    p.setParameter(kFilterPreDistort, 0.3f); // a little DC in every voice
    p.sendMidi({{0, 0x90, 48, 110}, {0, 0x90, 52, 110}, {0, 0x90, 55, 110}, {0, 0x90, 60, 110}});
    p.renderLeft(44032);
    // Turned to the bottom (no high-pass) while the chord and its tail sound, as a musician
    // or a modulation slot does.
    p.setParameter(kReverbHighPass, 0.0f);
    p.renderLeft(22016);
    p.sendMidi({{0, 0x80, 48, 0}, {0, 0x80, 52, 0}, {0, 0x80, 55, 0}, {0, 0x80, 60, 0}});
    const std::vector<float> tail = p.renderLeft(20 * 44032);
    ASSERT_TRUE(audio::allFiniteNormal(tail));
    // Twenty seconds later the tail has died away: nothing is left standing at the output.
    EXPECT_LT(peak(tail, tail.size() - 22016), 1e-5f);
}

// Every field of the time information a host may fill with nonsense, a block at a time, with
// the arpeggiator synced to the host and a chord held: the plug-in keeps playing, finite and
// within its bound, and plays on normally once the host makes sense again.
TEST(HostHostile, AbsurdTimeInformationIsHeldWhereItEnters) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    testhost::resetHost();
    Plugin p(kRate, 512);
    settle(p);
    p.setParameter(kArpOn, 1.0f);
    p.setParameter(kArpSyncOn, 1.0f);
    settle(p); // the mode change stops every voice at the next slow update
    VstTimeInfo& t = testhost::host().time;
    t.flags |= kVstTransportPlaying | kVstBarsValid | kVstCyclePosValid | kVstTransportCycleActive;
    p.sendMidi({{0, 0x90, 48, 110}, {0, 0x90, 52, 110}, {0, 0x90, 55, 110}});
    const double absurd[] = {1e12, -1e12, nan, inf, -inf, 3e9, -3e9, 1e300};
    std::vector<float> all;
    for (double x : absurd) {
        t.ppqPos = x;
        t.barStartPos = x;
        t.cycleStartPos = x;
        t.cycleEndPos = -x;
        t.samplePos = x;
        t.tempo = x;
        t.timeSigNumerator = static_cast<VstInt32>(std::isfinite(x) ? -7 : 0);
        t.timeSigDenominator = 0;
        const std::vector<float> block = p.renderLeft(4096);
        all.insert(all.end(), block.begin(), block.end());
    }
    for (float x : all) ASSERT_TRUE(std::isfinite(x) && std::fabs(x) <= 0.999f);
    // Back to a sane host: the arpeggiator is heard.
    t.ppqPos = 16.0;
    t.barStartPos = 16.0;
    t.samplePos = 0.0;
    t.tempo = 120.0;
    t.timeSigNumerator = t.timeSigDenominator = 4;
    t.cycleStartPos = 0.0;
    t.cycleEndPos = 16.0;
    const std::vector<float> after = p.renderLeft(44032);
    EXPECT_GT(audio::rms(after, 0, after.size()), 1e-4);
}

// A generic editor asks the distortion effect's knob names and texts on its own thread while
// the audio thread's slow update follows the mode the host automates.
TEST(HostQueriesRace, DistortionFxTextsWhileTheModeChanges) {
    testhost::resetHost();
    Plugin p(kRate, 256);
    settle(p);
    p.setParameter(kDistortFxOn, 1.0f);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> l, r;
        p.sendMidi({{0, 0x90, 60, 100}});
        for (int block = 0; block < 200; ++block) {
            p.setParameter(kDistortFxMode, static_cast<float>((block * 7) % 40) / 40.0f + 0.01f);
            p.process(256, l, r);
        }
        done = true;
    });
    int asked = 0;
    while (!done.load() || asked < 200) {
        for (int tag = 86; tag <= 92; ++tag) {
            char text[256] = {};
            p.dispatch(effGetParamName, tag, 0, text);
            p.dispatch(effGetParamDisplay, tag, 0, text);
            p.dispatch(effGetParamLabel, tag, 0, text);
        }
        ++asked;
    }
    audio.join();
    EXPECT_GE(asked, 200);
}

} // namespace
