// Modulation heard through the real plug-in: the Main Volume law, velocity to volume, an LFO
// to pitch at the expected depth, a tempo-synced LFO's period against the host tempo (also when
// the tempo or the speed moves under a held note), and all 16 slots at full on one destination
// staying finite and bounded, and the Main LFO's speed source heard when no slot reads it.
#include "tests/host/AudioAnalysis.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kMainVolume = 1, kVelocityToVolume = 2, kMainLfoSpeed = 123;
constexpr int kMainLfoWave = 363, kMainLfoPlayMode = 364, kMainLfoPhase = 365;
constexpr int kMainLfoSync = 366, kMainLfoSpeedModAmount = 367;
constexpr int kModBypass = 379, kModSource = 395, kModLower = 411, kModUpper = 427;
constexpr int kModDest = 443, kModOffset = 459, kModAmount = 475;
constexpr int kFxBypass = 337;
constexpr int kSrcVelocity = 17, kSrcMainLfo = 60, kSrcOffset = 101;
constexpr int kDestVoiceVolume = 2, kDestGlobalPitch = 8, kDestFilterFrequency = 114;

// A plain patch: effects bypassed, no slot in use, Main LFO still and in sine shape.
void plainPatch(testhost::Plugin& p) {
    p.setParameter(kFxBypass, 1.0f);
    for (int s = 0; s < 16; ++s) {
        p.setParameter(kModDest + s, 0.0f);
        p.setParameter(kModBypass + s, 0.0f);
    }
    p.setParameter(kVelocityToVolume, 0.0f);
    p.setParameter(kMainVolume, 6.0f / 7.0f); // 0 dB
    p.setParameter(kMainLfoSpeedModAmount, 0.5f);
}

void setSlot(testhost::Plugin& p, int s, int source, int dest, float lower, float upper,
             float offset, float amount) {
    p.setParameter(kModSource + s, (source + 0.1f) / 127.99f);
    p.setParameter(kModDest + s, (dest + 0.1f) / 399.99f);
    p.setParameter(kModLower + s, lower);
    p.setParameter(kModUpper + s, upper);
    p.setParameter(kModOffset + s, offset);
    p.setParameter(kModAmount + s, amount);
}

// RMS of a held note from 0.1 s on, after the patch settled for a slow update.
double noteLevel(testhost::Plugin& p, int velocity, int frames = 19200) {
    p.renderLeft(512);
    p.sendMidi({{0, 0x90, 57, velocity}});
    const auto a = p.renderLeft(frames);
    p.sendMidi({{0, 0x80, 57, 0}});
    p.renderLeft(48000);
    return audio::rms(a, 4800);
}

struct FreshHost {
    FreshHost() { testhost::resetHost(); }
};

// A plug-in on a fresh host with the plain patch; a played note must sound, so no test below
// passes on silence.
class HostMod : public ::testing::Test {
protected:
    void SetUp() override {
        plainPatch(p);
        ASSERT_GT(noteLevel(p, 110), 1e-4) << "a played note makes no sound";
    }
    // At 90 BPM a square Main LFO synced to "1/4" (two beats: 4/3 s) gates Voice Volume, and
    // a key is held under it.
    void holdKeyUnderSyncedSquare() {
        testhost::host().time.tempo = 90.0;
        p.setParameter(kMainLfoWave, (4 + 0.1f) / 7.99f);
        p.setParameter(kMainLfoPlayMode, 0.0f);
        p.setParameter(kMainLfoSync, 1.0f);
        p.setParameter(kMainLfoSpeed, 20.0f / 33.99f);
        setSlot(p, 0, kSrcMainLfo, kDestVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
        p.renderLeft(512);
        p.sendMidi({{0, 0x90, 57, 110}});
    }
    FreshHost fresh;
    testhost::Plugin p{kRate, 256};
};

} // namespace

TEST_F(HostMod, MainVolumeFollowsItsDecibelLaw) {
    auto levelAt = [&](float knob) {
        p.setParameter(kMainVolume, knob);
        p.renderLeft(48000); // the smoothed volume settles
        return noteLevel(p, 110);
    };
    const double unity = levelAt(6.0f / 7.0f);
    ASSERT_GT(unity, 1e-4);
    // 70 dB over the knob: -60 dB at 0, +10 dB at 1; 0.5 is -25 dB.
    EXPECT_NEAR(20.0 * std::log10(levelAt(0.5f) / unity), -25.0, 0.5);
    EXPECT_NEAR(20.0 * std::log10(levelAt(5.0f / 7.0f) / unity), -10.0, 0.5);
    p.setParameter(kMainVolume, 0.0f);
    p.renderLeft(96000);
    p.sendMidi({{0, 0x90, 57, 110}});
    EXPECT_LT(audio::peak(p.renderLeft(9600)), 1e-9); // silence, not -60 dB
}

TEST_F(HostMod, VelocityToVoiceVolumeScalesTheLevel) {
    setSlot(p, 0, kSrcVelocity, kDestVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
    const double loud = noteLevel(p, 127);
    const double soft = noteLevel(p, 32);
    ASSERT_GT(loud, 1e-4);
    EXPECT_NEAR(soft / loud, 32.0 / 127.0, 0.02);
}

TEST_F(HostMod, MainLfoMovesThePitchByItsDepth) {
    // A square Main LFO, 0.5 Hz, moving Global Pitch by +-12 semitones: per voice ("Poly"),
    // and run globally ("Free", "Mono"), where a voice whose own LFOs rest passes the global
    // value on at every pass. The highest and lowest pitch over windows half a second apart
    // (one lies within each half cycle, as a global LFO's phase need not start with the note).
    for (int mode = 0; mode < 3; ++mode) {
        testhost::Plugin q{kRate, 256};
        plainPatch(q);
        q.setParameter(kMainLfoWave, (4 + 0.1f) / 7.99f);
        q.setParameter(kMainLfoPlayMode, (mode + 0.1f) / 2.99f);
        q.setParameter(kMainLfoPhase, 0.0f);
        q.setParameter(kMainLfoSync, 0.0f);
        q.setParameter(kMainLfoSpeed, static_cast<float>(1.0 + std::log2(0.5 / 110.0) / 14.0));
        setSlot(q, 0, kSrcMainLfo, kDestGlobalPitch, 0.0f, 1.0f, 1.0f / 3.0f, 2.0f / 3.0f);
        q.renderLeft(512);
        q.sendMidi({{0, 0x90, 57, 110}});
        const auto a = q.renderLeft(124800);
        std::vector<double> pitches;
        for (int at = 4800; at + 19200 <= 124800; at += 24000) {
            const std::vector<float> window(a.begin() + at, a.begin() + at + 19200);
            pitches.push_back(audio::dominantFrequency(window, kRate, 80.0, 1000.0));
        }
        const auto [low, high] = std::minmax_element(pitches.begin(), pitches.end());
        EXPECT_NEAR(12.0 * std::log2(*high / *low), 24.0, 0.1) << "play mode " << mode;
    }
}

TEST_F(HostMod, SyncedLfoPeriodFollowsTheHostTempo) {
    holdKeyUnderSyncedSquare();
    const auto a = p.renderLeft(4 * 48000);
    const std::vector<double> rises = audio::halfLevelRises(a, kRate);
    ASSERT_GE(rises.size(), 2u);
    EXPECT_NEAR(rises[1] - rises[0], 4.0 / 3.0, 0.02);
}

TEST_F(HostMod, SixteenSlotsAtFullStayFiniteAndBounded) {
    for (int dest : {kDestGlobalPitch, kDestFilterFrequency, kDestVoiceVolume}) {
        for (int s = 0; s < 16; ++s) setSlot(p, s, kSrcOffset, dest, 0.0f, 1.0f, 1.0f, 1.0f);
        p.renderLeft(512);
        p.sendMidi({{0, 0x90, 57, 127}, {0, 0x90, 64, 127}});
        const auto a = p.renderLeft(24000);
        p.sendMidi({{0, 0x80, 57, 0}, {0, 0x80, 64, 0}});
        EXPECT_TRUE(audio::allFiniteNormal(a)) << "destination " << dest;
        EXPECT_LE(audio::peak(a), 0.999) << "destination " << dest;
    }
}

TEST_F(HostMod, VoiceGaterPatternAndSwingShapeTheNote) {
    constexpr int kGaterOn = 347, kGaterMix = 348, kGaterSpeed = 349, kGaterSteps = 350;
    constexpr int kGaterSmooth = 351, kGaterSwing = 352, kGaterMode = 353;
    constexpr int kGaterLeft = 355, kGaterRight = 356;
    // The share of 5 ms windows above half the level, and the time between rises.
    auto measure = [&](float swing, double& period) {
        testhost::resetHost();
        testhost::Plugin p(kRate, 256);
        plainPatch(p);
        p.setParameter(kGaterOn, 1.0f);
        p.setParameter(kGaterMode, (1 + 0.1f) / 1.99f);    // per voice
        p.setParameter(kGaterSteps, (3 + 0.1f) / 15.99f);  // four steps
        p.setParameter(kGaterSpeed, (14 + 0.1f) / 33.99f); // 1/2: 4 steps a beat
        p.setParameter(kGaterSmooth, 0.0f);
        p.setParameter(kGaterSwing, swing);
        p.setParameter(kGaterMix, 1.0f);
        const float onOff = (0x5555 + 0.5f) / 65536.0f; // steps 0 and 2 open
        p.setParameter(kGaterLeft, onOff);
        p.setParameter(kGaterRight, onOff);
        p.renderLeft(512);
        p.sendMidi({{0, 0x90, 57, 110}});
        const auto a = p.renderLeft(2 * 48000);
        std::vector<double> level;
        const std::vector<double> rises = audio::halfLevelRises(a, kRate, &level, 4800);
        const double top = *std::max_element(level.begin(), level.end());
        const auto open =
            std::count_if(level.begin(), level.end(), [&](double v) { return v >= 0.5 * top; });
        period = rises.size() >= 2 ? rises[1] - rises[0] : 0.0;
        return double(open) / double(level.size());
    };
    double period = 0.0;
    // 120 BPM, sixteenths: a step of 125 ms, open every other step.
    EXPECT_NEAR(measure(0.0f, period), 0.5, 0.05);
    EXPECT_NEAR(period, 0.25, 0.011);
    // Swing 0.5: the open first step of each pair holds 75 % of the pair.
    EXPECT_NEAR(measure(0.5f, period), 0.75, 0.05);
    EXPECT_NEAR(period, 0.25, 0.011);
}

TEST_F(HostMod, HeldVoiceLfoFollowsTempoAndSpeedEdits) {
    // The same synced square gating Voice Volume; the key stays down while the host tempo
    // doubles, and again while the LFO is unsynced and its speed knob moves: the held voice's
    // LFO takes each new rate without a new note.
    holdKeyUnderSyncedSquare();
    auto period = [&](int frames) {
        const std::vector<double> rises = audio::halfLevelRises(p.renderLeft(frames), kRate);
        EXPECT_GE(rises.size(), 3u);
        return rises.size() >= 3 ? rises[2] - rises[1] : 0.0;
    };
    EXPECT_NEAR(period(5 * 48000), 4.0 / 3.0, 0.02);
    testhost::host().time.tempo = 180.0;
    p.renderLeft(4800);
    EXPECT_NEAR(period(3 * 48000), 2.0 / 3.0, 0.02);
    // Unsynced: 110 x 2^(14 (x - 1)) Hz, from 1 Hz to 2 Hz.
    p.setParameter(kMainLfoSync, 0.0f);
    p.setParameter(kMainLfoSpeed, static_cast<float>(1.0 + std::log2(1.0 / 110.0) / 14.0));
    p.renderLeft(4800);
    EXPECT_NEAR(period(4 * 48000), 1.0, 0.02);
    p.setParameter(kMainLfoSpeed, static_cast<float>(1.0 + std::log2(2.0 / 110.0) / 14.0));
    p.renderLeft(4800);
    EXPECT_NEAR(period(2 * 48000), 0.5, 0.02);
}

TEST_F(HostMod, MainLfoSpeedSourceIsHeardWithoutASlotReadingIt) {
    // A 2 Hz square Main LFO gates Voice Volume and Free LFO 1 moves its speed. The second
    // instance also has a slot reading Free LFO 1 at no amount, which must change nothing: the
    // speed source runs because the Main LFO reads it, not because some slot does.
    constexpr int kMainLfoSpeedModSource = 368, kSrcFreeLfo1 = 62;
    testhost::Plugin o{kRate, 256}, q{kRate, 256};
    for (testhost::Plugin* x : {&o, &q}) {
        plainPatch(*x);
        x->setParameter(kMainLfoWave, (4 + 0.1f) / 7.99f);
        x->setParameter(kMainLfoPlayMode, 0.0f);
        x->setParameter(kMainLfoSync, 0.0f);
        x->setParameter(kMainLfoSpeed, static_cast<float>(1.0 + std::log2(2.0 / 110.0) / 14.0));
        setSlot(*x, 0, kSrcMainLfo, kDestVoiceVolume, 0.0f, 1.0f, 0.5f, 1.0f);
        x->setParameter(kMainLfoSpeedModSource, (kSrcFreeLfo1 + 0.1f) / 127.99f);
        x->setParameter(kMainLfoSpeedModAmount, 1.0f);
    }
    setSlot(q, 1, kSrcFreeLfo1, kDestFilterFrequency, 0.0f, 1.0f, 0.5f, 0.5f);
    std::vector<float> a, b;
    for (testhost::Plugin* x : {&o, &q}) {
        x->renderLeft(512);
        x->sendMidi({{0, 0x90, 57, 110}});
        (x == &o ? a : b) = x->renderLeft(3 * 48000);
    }
    double diff = 0.0, peak = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        diff = std::max(diff, double(std::fabs(a[i] - b[i])));
        peak = std::max(peak, double(std::fabs(b[i])));
    }
    ASSERT_GT(peak, 1e-3);
    EXPECT_LT(diff, 1e-4 * peak);
}
