// Notes heard through the real plug-in: a note sounds from the sample its offset names, in
// every play mode; a release lets it fade to silence; a loud chord stays within the clamp.
// Skipped while the voices make no sound.
#include "AudioAnalysis.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testhost;

namespace {

constexpr float kRate = 48000.0f;
constexpr float kPlayModeRange = 9.99f; // tag 246, nine modes
constexpr float kMainVolume = 1;
constexpr VstInt32 kPlayMode = 246;

// Renders `frames` frames and returns the left channel (right in `right`), without the test
// host's end marker.
std::vector<float> play(Plugin& plugin, int frames, std::vector<float>& right) {
    std::vector<float> left;
    plugin.process(frames, left, right);
    left.resize(size_t(frames));
    right.resize(size_t(frames));
    return left;
}

// Index of the first sample of either channel that is not exactly zero; -1 when none.
int firstSound(const std::vector<float>& left, const std::vector<float>& right, int frames) {
    for (int i = 0; i < frames; ++i)
        if (left[size_t(i)] != 0.0f || right[size_t(i)] != 0.0f) return i;
    return -1;
}

// A fresh instance in the given play mode, past its first program change and settled.
void prepare(Plugin& plugin, int mode) {
    std::vector<float> left, right;
    plugin.process(64, left, right);
    plugin.setParameter(kPlayMode, (mode + 0.1f) / kPlayModeRange);
    for (int i = 0; i < 8; ++i) plugin.process(1024, left, right);
}

// Where a note sent at `offset` inside a block starts to sound; -1 when it does not.
int onsetOf(int mode, int offset) {
    Plugin plugin(kRate, 512);
    prepare(plugin, mode);
    std::vector<float> left, right;
    plugin.sendMidi({{offset, 0x90, 60, 127}});
    plugin.process(512, left, right);
    return firstSound(left, right, 512);
}

} // namespace

TEST(HostRenderNotes, ANoteSoundsFromItsSampleInEveryPlayMode) {
    resetHost();
    ASSERT_FALSE(onsetOf(0, 5) < 0) << "a played note makes no sound";
    for (int mode = 0; mode < 9; ++mode) { // the arpeggiator (8) starts at its next control step
        const int early = onsetOf(mode, 5);
        const int late = onsetOf(mode, 37);
        // Nothing before the note's sample; sound within the envelope's first step after it.
        EXPECT_GE(early, 5) << "mode " << mode;
        EXPECT_LE(early, 5 + 16) << "mode " << mode;
        EXPECT_EQ(late - early, 32) << "mode " << mode;
    }
}

TEST(HostRenderNotes, ANoteInTheFirstBlockIsNotCutByTheStartingProgram) {
    // A host may send a note with its very first block, when the starting program is applied.
    resetHost();
    Plugin plugin(kRate, 512);
    plugin.sendMidi({{0, 0x90, 60, 127}});
    std::vector<float> right;
    const std::vector<float> left = play(plugin, 2048, right);
    const int onset = firstSound(left, right, 2048);
    EXPECT_GE(onset, 0);
    EXPECT_LE(onset, 16);
    EXPECT_GT(audio::rms(left, 1024, 2048), 1e-3);
}

TEST(HostRenderNotes, AReleasedNoteFadesToSilenceAndAChordIsHeldAtTheClamp) {
    resetHost();
    Plugin plugin(kRate, 512);
    prepare(plugin, 0);
    std::vector<float> right;
    plugin.sendMidi({{0, 0x90, 48, 127}});
    std::vector<float> left = play(plugin, 4096, right);
    ASSERT_FALSE(audio::peak(left) == 0.0) << "a played note makes no sound";
    EXPECT_TRUE(audio::allFiniteNormal(left));
    plugin.sendMidi({{0, 0x80, 48, 0}});
    bool silent = false;
    for (int block = 0; block < 40 && !silent; ++block) { // up to 20 s of release
        left = play(plugin, 24000, right);
        silent = audio::peak(left) == 0.0 && audio::peak(right) == 0.0;
    }
    EXPECT_TRUE(silent) << "the released voice ends";

    // Full volume and a dense chord: never beyond the clamp, never a fault.
    plugin.setParameter(kMainVolume, 1.0f);
    std::vector<std::array<int, 4>> chord;
    for (int k = 0; k < 16; ++k) chord.push_back({0, 0x90, 36 + 3 * k, 127});
    plugin.sendMidi(chord);
    left = play(plugin, 8192, right);
    const double bound = double(0.999f);
    EXPECT_EQ(audio::peak(left), bound) << "held exactly at the clamp";
    EXPECT_LE(audio::peak(right), bound);
    EXPECT_TRUE(audio::allFiniteNormal(left));
}

TEST(HostRenderNotes, AnOverloadLowersMainVolumeStepByStep) {
    resetHost();
    Plugin plugin(kRate, 512);
    prepare(plugin, 0);
    plugin.setParameter(kMainVolume, 1.0f);
    std::vector<std::array<int, 4>> chord;
    for (int k = 0; k < 16; ++k) chord.push_back({0, 0x90, 36 + 3 * k, 127});
    plugin.sendMidi(chord);
    std::vector<float> right;
    const std::vector<float> left = play(plugin, 24000, right);
    ASSERT_FALSE(audio::peak(left) == 0.0) << "a played note makes no sound";
    // The host is told of each lowered value: steps of 0.002 at most every 128 samples.
    float last = 1.0f;
    int steps = 0;
    for (const auto& [index, value] : host().automated) {
        if (index != kMainVolume) continue;
        EXPECT_LT(value, last);
        EXPECT_GE(value, last - 0.0021f);
        last = value;
        ++steps;
    }
    EXPECT_GT(steps, 0);
    EXPECT_LE(steps, 24000 / 128 + 1);
    EXPECT_LT(plugin.getParameter(kMainVolume), 1.0f);
}
