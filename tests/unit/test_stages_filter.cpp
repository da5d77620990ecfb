// The voice filter on its own: the cutoff pipeline, the magnitude response of every family,
// the special types, the high-pass stage, and the guards against loud or broken input.
#include "StagesRig.h"

#include <gtest/gtest.h>

#include <memory>

using namespace stages;

namespace {

std::unique_ptr<TFilter> makeFilter(int type, float rate = kRate) {
    auto f = std::make_unique<TFilter>();
    prepare(*f, type, rate);
    return f;
}

} // namespace

TEST(StagesFilter, CutoffControlSpansTwentyHzToTwentyKHzUnderTheCeiling) {
    auto f = makeFilter(1);
    stereoOverStruct a{}, b{};
    f->process({0.0f, 1.0f}, {}, 0.0f, 0.0f, {}, {}, a, b);
    EXPECT_NEAR(f->getCutoffHz(0), 20.0f, 1e-3f);
    EXPECT_NEAR(f->getCutoffHz(1), 20480.0f, 0.5f);

    // Key tracking one octave up at full amount doubles the cutoff; modulation past the ends
    // is held to the range.
    f->setTrack(1.0f, 1.0f);
    f->setDirect();
    f->process({0.5f, 0.5f}, {-3.0f, 3.0f}, 0.0f, 0.0f, {}, {}, a, b);
    EXPECT_NEAR(f->getCutoffHz(0), 40.0f, 1e-3f);
    EXPECT_NEAR(f->getCutoffHz(1), 40960.0f, 1.0f);

    // Above 0.4 of the rate the response no longer moves: at 32 kHz, cutoffs of 15 and 20 kHz
    // both sit at the 12.8 kHz ceiling.
    const std::vector<float> in = noise(2048, 5);
    std::vector<float> l1, r1, l2, r2;
    auto a1 = makeFilter(7, 32000.0f), a2 = makeFilter(7, 32000.0f);
    runFilter(*a1, {1.0f, 0.5f, 0.0f}, in, in, l1, r1);
    runFilter(*a2, {controlFor(15000.0), 0.5f, 0.0f}, in, in, l2, r2);
    EXPECT_EQ(l1, l2);
}

TEST(StagesFilter, EveryFamilyCutsWhereItShould) {
    const FilterSettings s{controlFor(1000.0), 0.0f, 0.0f};
    // Type, minimum attenuation in dB three octaves from the cutoff.
    struct Case {
        int type;
        double minDrop;
    };
    const Case lowPass[] = {{1, 14},  {3, 30},  {7, 30},  {11, 30}, {17, 40}, {19, 50},
                            {23, 50}, {27, 50}, {33, 60}, {15, 30}, {31, 50}};
    for (const Case& c : lowPass) {
        const double pass = filterGainDb(c.type, s, 125.0);
        const double stop = filterGainDb(c.type, s, 8000.0);
        EXPECT_GT(pass, -4.0) << "type " << c.type;
        EXPECT_LT(pass, 7.0) << "type " << c.type;
        EXPECT_GT(pass - stop, c.minDrop) << "type " << c.type;
    }
    // The ladder's high tap is the input minus its low-pass, which falls only gently below the
    // cutoff; the one-pole's coefficient 2w puts its corner near a third of the cutoff.
    const Case highPass[] = {{2, 8},   {4, 30}, {8, 30},  {12, 30}, {18, 40},
                             {20, 50}, {24, 6}, {28, 50}, {34, 40}};
    for (const Case& c : highPass) {
        const double pass = filterGainDb(c.type, s, 8000.0);
        const double stop = filterGainDb(c.type, s, 125.0);
        EXPECT_GT(pass, -4.0) << "type " << c.type;
        EXPECT_LT(pass, 7.0) << "type " << c.type;
        EXPECT_GT(pass - stop, c.minDrop) << "type " << c.type;
    }
    // The multi types morph: vowel 1 is the high-pass end.
    const FilterSettings hp{s.cutoff, 0.0f, 1.0f};
    EXPECT_GT(filterGainDb(15, hp, 8000.0) - filterGainDb(15, hp, 125.0), 30.0);
    EXPECT_GT(filterGainDb(32, hp, 8000.0) - filterGainDb(32, hp, 125.0), 50.0);
}

TEST(StagesFilter, BandAndNotchTypesCentreOnTheCutoff) {
    const FilterSettings s{controlFor(1000.0), 0.5f, 0.0f};
    const int bandPass[] = {5, 9, 13, 21, 25, 29};
    for (int type : bandPass) {
        const double centre = filterGainDb(type, s, 1000.0);
        EXPECT_GT(centre - filterGainDb(type, s, 125.0), 10.0) << "type " << type;
        EXPECT_GT(centre - filterGainDb(type, s, 8000.0), 10.0) << "type " << type;
    }
    const int notch[] = {10, 14, 26, 30};
    for (int type : notch) {
        const double centre = filterGainDb(type, s, 1000.0);
        EXPECT_GT(filterGainDb(type, s, 125.0) - centre, 30.0) << "type " << type;
        EXPECT_GT(filterGainDb(type, s, 8000.0) - centre, 30.0) << "type " << type;
    }
}

TEST(StagesFilter, ResonancePeaksAtTheCutoff) {
    // Against the pass band, resonance lifts the cutoff region.
    const FilterSettings flat{controlFor(1000.0), 0.0f, 0.0f};
    const FilterSettings peak{controlFor(1000.0), 0.9f, 0.0f};
    auto lift = [](int type, const FilterSettings& s) {
        return filterGainDb(type, s, 1000.0) - filterGainDb(type, s, 125.0);
    };
    for (int type : {3, 7, 11, 17, 19, 23, 27, 33})
        EXPECT_GT(lift(type, peak) - lift(type, flat), 10.0) << "type " << type;
}

TEST(StagesFilter, VowelFormantsSitAtTheirTableFrequencies) {
    // At a cutoff of 440 Hz and vowel 0 the bands lie at 650, 1080, 2650 and 2900 Hz.
    const FilterSettings s{controlFor(440.0), 0.0f, 0.0f};
    const double f1 = filterGainDb(35, s, 650.0);
    const double f2 = filterGainDb(35, s, 1080.0);
    const double trough = filterGainDb(35, s, 810.0);
    EXPECT_GT(f1 - filterGainDb(35, s, 330.0), 10.0);
    EXPECT_GT(f1 - trough, 6.0);
    EXPECT_GT(f2 - trough, 6.0);
    EXPECT_GT(f2 - filterGainDb(35, s, 1620.0), 12.0);
    EXPECT_GT(filterGainDb(35, s, 2800.0) - filterGainDb(35, s, 1620.0), 12.0);
}

TEST(StagesFilter, CombPitchAndSign) {
    const FilterSettings s{controlFor(1000.0), 1.0f, 0.0f};
    // Comb + peaks at the cutoff and its harmonics, Comb - at the odd harmonics of half of it.
    const double plusPeak = filterGainDb(38, s, 1000.0);
    EXPECT_GT(plusPeak - filterGainDb(38, s, 1500.0), 15.0);
    EXPECT_GT(filterGainDb(38, s, 2000.0) - filterGainDb(38, s, 2500.0), 15.0);
    EXPECT_GT(filterGainDb(39, s, 1500.0) - filterGainDb(39, s, 1000.0), 15.0);
    EXPECT_GT(filterGainDb(39, s, 500.0) - filterGainDb(39, s, 2000.0), 15.0);
    // Ping-pong crosses the channels: a signal on the left alone comes out on the right too.
    auto f = makeFilter(40);
    const size_t n = 4096;
    const std::vector<float> in = sine(1000.0, n), silent(n, 0.0f);
    std::vector<float> l, r;
    runFilter(*f, s, in, silent, l, r);
    EXPECT_GT(audio::rms(r, n / 2), 0.1 * audio::rms(in, n / 2));
}

TEST(StagesFilter, RingModulationMakesSidebands) {
    // A 300 Hz tone through a 1 kHz ring modulator at full depth: 700 and 1300 Hz, no 300.
    auto f = makeFilter(41);
    const FilterSettings s{controlFor(1000.0), 1.0f, 0.0f};
    const size_t n = 19200;
    const std::vector<float> in = sine(300.0, n);
    std::vector<float> l, r;
    runFilter(*f, s, in, in, l, r);
    const double lower = audio::magnitudeAt(l, 700.0, kVoiceRate);
    EXPECT_NEAR(lower, audio::magnitudeAt(l, 1300.0, kVoiceRate), 0.02);
    EXPECT_GT(lower, 0.2);
    EXPECT_LT(audio::magnitudeAt(l, 300.0, kVoiceRate), 0.05);

    // Depth 0 leaves the input as it was.
    auto dry = makeFilter(41);
    runFilter(*dry, {s.cutoff, 0.0f, 0.0f}, in, in, l, r);
    for (size_t i = 0; i < n; ++i) ASSERT_NEAR(l[i], in[i], 1e-5f);
}

TEST(StagesFilter, BypassAndHighPassStage) {
    // Bypass without the stage returns the input exactly.
    auto f = makeFilter(0);
    const std::vector<float> in = noise(4096, 7);
    std::vector<float> l, r;
    runFilter(*f, {}, in, in, l, r);
    EXPECT_EQ(l, in);

    // With the stage on at 1 kHz a low tone is cut and a high one passes.
    auto hpGain = [](double hz) {
        auto g = makeFilter(0);
        g->setHP(1.0f, 0.0f, 0.0f, controlFor(1000.0), 0.0f, 0.0f);
        const size_t n = 19200;
        const std::vector<float> x = sine(hz, n);
        std::vector<float> a, b;
        runFilter(*g, {}, x, x, a, b);
        return 20.0 * std::log10(audio::rms(a, n / 2) / audio::rms(x, n / 2));
    };
    EXPECT_LT(hpGain(125.0), -25.0);
    EXPECT_GT(hpGain(8000.0), -2.0);
}

TEST(StagesFilter, NoteStartSilencesTheCombRings) {
    const FilterSettings s{controlFor(200.0), 1.0f, 0.0f};
    const std::vector<float> in = noise(8192, 3), silent(8192, 0.0f);
    std::vector<float> l, r;
    auto f = makeFilter(38);
    runFilter(*f, s, in, in, l, r);
    runFilter(*f, s, silent, silent, l, r);
    EXPECT_GT(audio::peak(l), 1e-3); // a comb rings on after its input stops
    runFilter(*f, s, in, in, l, r);
    f->reset();
    f->setDirect();
    runFilter(*f, s, silent, silent, l, r);
    EXPECT_LT(audio::peak(l), 1e-6); // nothing of the last note is heard after a reset
}

// Every type at full resonance and drive, swept over the cutoff with a loud input, stays
// finite and bounded; after a burst of NaN the filter recovers on the next calls.
TEST(StagesFilter, NoTypeRunsAwayOrStaysBroken) {
    const size_t n = 8192;
    const std::vector<float> loud = noise(n, 11, 10.0); // +20 dB over full scale
    for (int type = 0; type < TFilter::kTypeCount; ++type) {
        auto f = makeFilter(type);
        f->setDistort(1.0f);
        f->setHP(1.0f, 0.0f, 1.0f, 0.2f, 1.0f, 0.0f);
        double worst = 0.0;
        for (size_t i = 0; i + 3 < n; i += 4) {
            const float sweep = float(i) / float(n);
            stereoOverStruct a, b;
            f->process({sweep, 1.0f - sweep}, {}, 1.0f, sweep, frame(loud, loud, i),
                       frame(loud, loud, i + 2), a, b);
            for (float v : {a.first.left, a.first.right, b.second.left, b.second.right}) {
                ASSERT_TRUE(std::isfinite(v)) << "type " << type;
                worst = std::fmax(worst, std::fabs(v));
            }
        }
        EXPECT_LT(worst, 250.0) << "type " << type;

        const float nan = std::nanf("");
        stereoOverStruct bad{{nan, nan}, {nan, nan}}, a, b;
        f->process({0.5f, 0.5f}, {}, 1.0f, 0.5f, bad, bad, a, b);
        for (int k = 0; k < 8; ++k) f->process({0.5f, 0.5f}, {}, 1.0f, 0.5f, {}, {}, a, b);
        EXPECT_TRUE(std::isfinite(a.first.left) && std::isfinite(b.second.right))
            << "type " << type;
    }
}
