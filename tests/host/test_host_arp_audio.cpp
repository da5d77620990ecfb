// The arpeggiator heard through the real plug-in: each step sounds at its own pitch (a step
// tuned up an octave doubles the frequency), and the arpeggio's audio stays finite.
#include "tests/host/ArpSession.h"
#include "tests/host/AudioAnalysis.h"

#include <vector>

using namespace arptest;

namespace {
constexpr int kMainVolume = 1, kFxBypass = 337, kModDest = 443;
} // namespace

TEST_F(ArpHost, EachStepSoundsAtItsOwnPitch) {
    Session s(48000.0f, 256);
    s.set(kFxBypass, 1.0f);
    for (int slot = 0; slot < 16; ++slot) s.set(kModDest + slot, 0.0f);
    s.set(kMainVolume, 6.0f / 7.0f);
    s.set(kSpeed, stepped(4, 16.99f)); // "1/4x BPM": a quarter note a step, 24,000 samples
    s.set(kSteps, stepped(1, 15.99f));
    s.set(kStepTune + 1, tuneValue(12));
    s.render(512);
    s.keyDown(57);
    std::vector<float> audio;
    for (int block = 0; block < 48000 / 256; ++block) {
        s.render(256);
        audio.insert(audio.end(), s.left.begin(), s.left.begin() + 256);
    }
    ASSERT_TRUE(audio::allFiniteNormal(audio));
    const std::vector<float> first(audio.begin() + 4800, audio.begin() + 22000);
    const std::vector<float> second(audio.begin() + 28800, audio.begin() + 46000);
    ASSERT_FALSE(audio::rms(first) < 1e-4) << "a played note makes no sound";
    const double f1 = audio::dominantFrequency(first, 48000.0, 50.0, 4000.0);
    const double f2 = audio::dominantFrequency(second, 48000.0, 50.0, 4000.0);
    EXPECT_NEAR(f2 / f1, 2.0, 0.01) << f1 << " Hz then " << f2 << " Hz";
    EXPECT_GT(audio::rms(second), 1e-4);
}
