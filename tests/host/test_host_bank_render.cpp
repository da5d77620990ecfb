// The factory bank played as a host plays it: every preset, selected by name, plays a short
// phrase (arpeggios and sequences with the host's transport running) and must sound, stay
// finite, peak at or below -1 dBFS, let its tail die away and sit near the bank's loudness.
#include "tests/host/BankPhrase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kPresetCount = 116;
constexpr int kShardSize = 8; // presets per test, so ctest spreads the bank over its jobs

// The bank is levelled to this loudness of the phrase. Every preset within 3 LU of it keeps
// every preset within 6 LU of the bank's median, whatever the median turns out to be.
constexpr double kBankLoudness = -20.0;
constexpr double kLoudnessTolerance = 3.0;
constexpr double kPeakLimitDb = -1.0;
constexpr double kSilenceLufs = -60.0;

// The sanitizer build runs the engine many times slower: there every fourth preset stands for
// its neighbours, which share the engine's code paths.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kEvery = 4;
#else
constexpr int kEvery = 1;
#endif

const std::vector<std::string>& bankNames() {
    static const std::vector<std::string> names = bankphrase::presetNames(ZEK2_BANK_TEXT_PATH);
    return names;
}

class BankRender : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(BankRender, EveryPresetSoundsCleanlyAtTheBankLoudness) {
    ASSERT_EQ(bankNames().size(), size_t(kPresetCount));
    const int first = GetParam() * kShardSize;
    for (int n = first; n < first + kShardSize && n < kPresetCount; ++n) {
        if (n % kEvery) continue;
        const std::string& name = bankNames()[size_t(n)];
        SCOPED_TRACE("preset " + std::to_string(n) + " \"" + name + "\"");
        std::string selected;
        const bankphrase::Rendering r = bankphrase::renderPreset(name, &selected);
        EXPECT_EQ(selected, name);
        EXPECT_TRUE(r.finite);
        EXPECT_GT(r.loudness, kSilenceLufs);
        EXPECT_LE(r.peakDb, kPeakLimitDb);
        EXPECT_TRUE(r.tailDecayed) << "still ringing " << r.tailSeconds << " s after the phrase";
        EXPECT_NEAR(r.loudness, kBankLoudness, kLoudnessTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, BankRender,
                         ::testing::Range(0, (kPresetCount + kShardSize - 1) / kShardSize));

// A new instance starts on the bank's first preset, and a name the bank does not hold falls
// back to it, as the program selection promises.
TEST(HostBank, NewInstanceAndUnknownNamesStartOnTheFirstPreset) {
    testhost::resetHost();
    testhost::Plugin plugin(48000.0f, 256);
    EXPECT_EQ(plugin.text(effGetProgramName), bankNames().at(0));
    bankphrase::selectPreset(plugin, bankNames().at(5));
    EXPECT_EQ(plugin.text(effGetProgramName), bankNames().at(5));
    bankphrase::selectPreset(plugin, "No Such Preset");
    EXPECT_EQ(plugin.text(effGetProgramName), bankNames().at(0));
}

// The meter itself: a 1 kHz sine peaking at -20 dBFS in both channels reads -20 LUFS (the
// K-weighting's gain at 1 kHz is what the -0.691 dB constant takes back; the two channels add
// 3 dB and the sine's mean square takes 3 dB); silence reads as nothing.
TEST(HostBank, LoudnessMeterReadsAKnownSine) {
    const double rate = 48000.0, amplitude = std::pow(10.0, -20.0 / 20.0);
    std::vector<float> tone(static_cast<size_t>(rate));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = float(amplitude * std::sin(2.0 * M_PI * 1000.0 * double(i) / rate));
    EXPECT_NEAR(loudness::integrated(tone, tone, rate), -20.0, 0.2);
    const std::vector<float> silence(static_cast<size_t>(rate), 0.0f);
    EXPECT_LT(loudness::integrated(silence, silence, rate), -100.0);
}
