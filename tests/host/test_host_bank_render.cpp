// The factory bank played as a host plays it: every preset, selected by name, plays a short
// phrase (arpeggios and sequences with the host's transport running) and must sound, stay
// finite, peak at or below -1 dBFS, let its tail die away and sit near the bank's loudness; an
// eight-note chord, its keys sent in three orders, must keep the same distance from the clamp.
#include "tests/host/BankShards.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// The bank is levelled to this loudness of the phrase. Every preset within 3 LU of it keeps
// every preset within 6 LU of the bank's median, whatever the median turns out to be.
// -23 LUFS, as broadcast practice has it, leaves the headroom a chord needs.
constexpr double kBankLoudness = -23.0;
constexpr double kLoudnessTolerance = 3.0;
constexpr double kPeakLimitDb = -1.0;
constexpr double kSilenceLufs = -60.0;
constexpr int kChordKeys = 8;
constexpr int kMainVolumeTag = 1;
// The first preset is the parameters' defaults, which a new instance plays; the default Main
// Volume sets its level (about 4.4 LU above the bank), and it is not the bank's to move.
constexpr int kDefaultsPreset = 0;

class BankRender : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(BankRender, EveryPresetSoundsCleanlyAtTheBankLoudness) {
    bankshards::forEachPreset(GetParam(), [](int n, const std::string& name) {
        std::string selected;
        const bankphrase::Rendering r = bankphrase::renderPreset(name, &selected);
        EXPECT_EQ(selected, name);
        EXPECT_TRUE(r.finite);
        EXPECT_GT(r.loudness, kSilenceLufs);
        EXPECT_LE(r.peakDb, kPeakLimitDb);
        EXPECT_TRUE(r.tailDecayed) << "still ringing " << r.tailSeconds << " s after the phrase";
        if (n != kDefaultsPreset) {
            EXPECT_NEAR(r.loudness, kBankLoudness, kLoudnessTolerance);
        }

        // A chord is what pushes a preset to the clamp; the auto-limit must not step in either.
        // Hosts send a chord's keys in any order, and the order moves the peak.
        for (const bankphrase::ChordOrder order : bankphrase::kChordOrders) {
            SCOPED_TRACE(bankphrase::orderName(order));
            const bankphrase::Rendering chord = bankphrase::renderNotes(
                name, bankphrase::chord(kChordKeys, order), bankphrase::kChordSeconds);
            EXPECT_TRUE(chord.finite);
            EXPECT_LE(chord.peakDb, kPeakLimitDb) << kChordKeys << "-note chord";
            for (const auto& [index, value] : testhost::host().automated)
                EXPECT_NE(index, kMainVolumeTag)
                    << "the auto-limit lowered the Main Volume to " << value;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Shards, BankRender, ::testing::Range(0, bankshards::kShards));

// A new instance starts on the bank's first preset, and a name the bank does not hold falls
// back to it, as the program selection promises.
TEST(HostBank, NewInstanceAndUnknownNamesStartOnTheFirstPreset) {
    testhost::resetHost();
    testhost::Plugin plugin(48000.0f, 256);
    EXPECT_EQ(plugin.text(effGetProgramName), bankshards::names().at(0));
    bankphrase::selectPreset(plugin, bankshards::names().at(5));
    EXPECT_EQ(plugin.text(effGetProgramName), bankshards::names().at(5));
    bankphrase::selectPreset(plugin, "No Such Preset");
    EXPECT_EQ(plugin.text(effGetProgramName), bankshards::names().at(0));
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
