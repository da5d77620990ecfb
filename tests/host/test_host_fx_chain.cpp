// The effect chain on rendered audio through the real plug-in: a held note through delay,
// reverb and gater; the reorder of the chain heard within a slow update; every distortion and
// modulation mode finite and bounded at extreme settings.
#include "tests/host/AudioAnalysis.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr float kRate = 48000.0f;
// Tags of the effect switches and settings the tests drive.
constexpr int kDistortFxOn = 338, kDistortFxMode = 339, kModFxOn = 340, kModFxMode = 341;
constexpr int kDelayOn = 343, kReverbOn = 346, kGaterOn = 347, kFxPath = 336, kBypassFx = 337;
constexpr int kDelayMix = 98, kReverbMix = 105, kDelayTempoSync = 344, kDelayFeed = 101;
constexpr int kGaterLeft = 355, kGaterRight = 356, kGaterMix = 348, kGaterSpeed = 349,
              kGaterSmooth = 351;
constexpr int kDistortFxFirst = 85, kModFxFirst = 93; // mix, then the knobs
// Stepped ranges: a stepped value is (index + 0.1) / range.
constexpr float kDistortModeRange = 39.99f, kModModeRange = 19.99f;

// Switches every unit off and lets the first program apply (at the first 4,096-sample boundary)
// before any note is played.
void allOff(testhost::Plugin& p) {
    std::vector<float> l, r;
    p.process(4608, l, r);
    for (int t : {kDistortFxOn, kModFxOn, kDelayOn, kReverbOn, kGaterOn}) p.setParameter(t, 0.0f);
}

bool notesSound() {
    testhost::resetHost();
    testhost::Plugin p(kRate, 256);
    allOff(p);
    p.sendMidi({{0, 0x90, 60, 110}});
    const auto a = p.renderLeft(9600);
    return audio::rms(a, 4800) > 1e-4;
}
} // namespace

TEST(HostFxChain, DelayEchoesAfterTheNoteAndReverbTailDecays) {
    ASSERT_TRUE(notesSound()) << "a played note makes no sound";
    auto playShortNote = [](bool delay) {
        testhost::resetHost();
        testhost::Plugin p(kRate, 256);
        allOff(p);
        p.setParameter(kDelayOn, delay ? 1.0f : 0.0f);
        p.setParameter(kDelayTempoSync, 1.0f);
        p.setParameter(kDelayFeed, 0.8f);
        p.setParameter(kDelayMix, 0.5f);
        p.sendMidi({{0, 0x90, 60, 110}, {2400, 0x80, 60, 0}});
        return p.renderLeft(96000);
    };
    const auto withDelay = playShortNote(true), dry = playShortNote(false);
    EXPECT_TRUE(audio::allFiniteNormal(withDelay));
    // Long after the note's release the echoes still sound.
    const double echoes = audio::rms(withDelay, 48000, 96000);
    EXPECT_GT(echoes, 1e-4);
    EXPECT_GT(echoes, 10.0 * audio::rms(dry, 48000, 96000));

    testhost::resetHost();
    testhost::Plugin q(kRate, 256);
    allOff(q);
    q.setParameter(kReverbOn, 1.0f);
    q.setParameter(kReverbMix, 0.6f);
    q.sendMidi({{0, 0x90, 60, 110}, {2400, 0x80, 60, 0}});
    const auto withReverb = q.renderLeft(4 * 48000);
    EXPECT_TRUE(audio::allFiniteNormal(withReverb));
    const double early = audio::rms(withReverb, 12000, 36000);
    const double late = audio::rms(withReverb, 144000, 192000);
    EXPECT_GT(early, 1e-4);
    EXPECT_LT(late, 0.5 * early);
}

// With every unit off the chain hands the voices on untouched, as the bypass does; a unit
// switched on under the sounding chord is heard, and once switched off again the chain is plain.
TEST(HostFxChain, EveryUnitOffSoundsAsTheBypassAndAUnitSwitchedOnIsHeard) {
    auto play = [](bool bypass, bool chorusAWhile) {
        testhost::resetHost();
        testhost::Plugin p(kRate, 128);
        allOff(p);
        p.setParameter(kBypassFx, bypass ? 1.0f : 0.0f);
        p.sendMidi({{0, 0x90, 48, 100}, {0, 0x90, 55, 100}, {37, 0x90, 64, 90}});
        std::vector<float> out = p.renderLeft(24000);
        p.setParameter(kModFxOn, chorusAWhile ? 1.0f : 0.0f);
        const std::vector<float> chorus = p.renderLeft(12000);
        p.setParameter(kModFxOn, 0.0f);
        const std::vector<float> after = p.renderLeft(12000);
        out.insert(out.end(), chorus.begin(), chorus.end());
        out.insert(out.end(), after.begin(), after.end());
        return out;
    };
    const auto plain = play(false, false), bypassed = play(true, false);
    const auto chorus = play(false, true);
    ASSERT_EQ(plain.size(), bypassed.size());
    EXPECT_GT(audio::rms(plain, 4800, 24000), 1e-3);
    EXPECT_TRUE(plain == bypassed) << "the chain with every unit off changed the voices";
    EXPECT_TRUE(audio::allFiniteNormal(chorus));
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 24000, chorus.begin()));
    double moved = 0.0;
    for (size_t i = 24000; i < 36000; ++i) moved += std::fabs(chorus[i] - plain[i]);
    EXPECT_GT(moved / 12000.0, 1e-4) << "the modulation effect switched on is not heard";
    // Switched off again (its lines let go within a tenth of a second) the chain is plain.
    EXPECT_TRUE(std::equal(chorus.begin() + 40800, chorus.end(), plain.begin() + 40800))
        << "switched off again the chain still changes the voices";
}

TEST(HostFxChain, GaterChopsAndAReorderIsHeardWithinASlowUpdate) {
    ASSERT_TRUE(notesSound()) << "a played note makes no sound";
    testhost::resetHost();
    testhost::Plugin p(kRate, 256);
    allOff(p);
    p.setParameter(kGaterOn, 1.0f);
    p.setParameter(kGaterMix, 1.0f);
    p.setParameter(kGaterSpeed, 17.1f / 33.99f); // one step per eighth of a beat
    p.setParameter(kGaterLeft, (0x5555 + 0.5f) / 65536.0f);
    p.setParameter(kGaterRight, (0x5555 + 0.5f) / 65536.0f);
    p.sendMidi({{0, 0x90, 60, 110}});
    const auto gated = p.renderLeft(48000);
    // Steps of 3,000 frames at 120 bpm, every other one silent: the level swings fully.
    double lo = 1e9, hi = 0.0;
    for (int w = 2; w < 90; ++w) {
        const double level = audio::rms(gated, size_t(w * 500), size_t(w * 500 + 500));
        lo = std::min(lo, level);
        hi = std::max(hi, level);
    }
    EXPECT_GT(hi, 20.0 * lo);

    // A new FX path order reaches the chain at the next slow update. The gater closes while
    // the reverb (wet only) still rings: with the gater before the reverb the tail goes on;
    // moved behind the reverb, the gater silences it within 128 samples.
    auto tailAfterClosing = [&](bool reorder) {
        testhost::resetHost();
        testhost::Plugin q(kRate, 256);
        allOff(q);
        q.setParameter(kFxPath, 0.0f);
        q.setParameter(kGaterOn, 1.0f);
        q.setParameter(kGaterMix, 1.0f);
        q.setParameter(kGaterSmooth, 0.0f);
        q.setParameter(kGaterLeft, (0xFFFF + 0.5f) / 65536.0f);
        q.setParameter(kGaterRight, (0xFFFF + 0.5f) / 65536.0f);
        q.setParameter(kReverbOn, 1.0f);
        q.setParameter(kReverbMix, 1.0f);
        q.sendMidi({{0, 0x90, 60, 110}});
        q.renderLeft(24000);
        q.setParameter(kGaterLeft, 0.5f / 65536.0f);
        q.setParameter(kGaterRight, 0.5f / 65536.0f);
        if (reorder) q.setParameter(kFxPath, (5.0f + 0.1f) / 119.0f); // ..., REVERB, DELAY, GATER
        const auto after = q.renderLeft(1024);
        return audio::rms(after, 256);
    };
    EXPECT_GT(tailAfterClosing(false), 1e-3);
    EXPECT_LT(tailAfterClosing(true), 1e-5);
}

TEST(HostFxChain, EveryDistortionAndModulationModeStaysFinite) {
    ASSERT_TRUE(notesSound()) << "a played note makes no sound";
    for (int unit = 0; unit < 2; ++unit) {
        testhost::resetHost();
        testhost::Plugin p(kRate, 256);
        allOff(p);
        p.setParameter(unit == 0 ? kDistortFxOn : kModFxOn, 1.0f);
        const int modes = unit == 0 ? 27 : 10;
        const int first = unit == 0 ? kDistortFxFirst : kModFxFirst;
        const int knobs = unit == 0 ? 8 : 5;
        for (int mode = 0; mode < modes; ++mode) {
            p.setParameter(unit == 0 ? kDistortFxMode : kModFxMode,
                           (mode + 0.1f) / (unit == 0 ? kDistortModeRange : kModModeRange));
            for (float extreme : {1.0f, 0.0f}) {
                for (int k = 0; k < knobs; ++k)
                    p.setParameter(first + k, k % 2 ? extreme : 1.0f - extreme);
                p.sendMidi({{0, 0x90, 48, 127}, {0, 0x90, 84, 127}});
                const auto out = p.renderLeft(3072);
                ASSERT_TRUE(audio::allFiniteNormal(out)) << unit << " mode " << mode;
                ASSERT_LE(audio::peak(out), 0.9991) << unit << " mode " << mode;
                p.sendMidi({{0, 0x80, 48, 0}, {0, 0x80, 84, 0}});
            }
        }
    }
}

TEST(HostFxChain, CabinetModelsSettleAtEveryRate) {
    ASSERT_TRUE(notesSound()) << "a played note makes no sound";
    // A short chord through each cabinet, played hard with some drive, then silence: the
    // cabinet's answer sounds and has died away a second later at every rate, with the rows
    // of the high rates above 80 kHz.
    for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f})
        for (int model = 1; model <= 3; ++model) {
            testhost::resetHost();
            testhost::host().time.sampleRate = rate;
            testhost::Plugin p(rate, 256);
            allOff(p);
            p.setParameter(kDistortFxOn, 1.0f);
            p.setParameter(kDistortFxMode, (3 + 0.1f) / kDistortModeRange); // "Cab"
            const float knobs[8] = {1.0f, 0.7f, (model + 0.5f) / 3.99f, 0.3f, 0.5f, 0.5f,
                                    0.5f, 0.5f};
            for (int k = 0; k < 8; ++k) p.setParameter(kDistortFxFirst + k, knobs[k]);
            const int tenth = (int(rate / 10) / 256) * 256;
            p.sendMidi({{0, 0x90, 36, 127}, {0, 0x90, 79, 127}});
            const auto chord = p.renderLeft(tenth);
            p.sendMidi({{0, 0x80, 36, 0}, {0, 0x80, 79, 0}});
            const auto after = p.renderLeft(15 * tenth);
            ASSERT_TRUE(audio::allFiniteNormal(chord) && audio::allFiniteNormal(after))
                << rate << " model " << model;
            const double sounding = audio::rms(chord);
            const double late = audio::rms(after, after.size() - size_t(2 * tenth));
            EXPECT_GT(sounding, 1e-3) << rate << " model " << model;
            EXPECT_LT(late, 1e-4) << rate << " model " << model;
        }
}
