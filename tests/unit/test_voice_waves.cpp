// User waves: the built-in shapes, the chain from points through partials to band-limited
// tables, the transform, and the guard that keeps two rebuilds apart.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/UserWaveShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::unique_ptr<APlugin> makeEngine() {
    auto engine = std::make_unique<APlugin>(nullptr);
    engine->setSampleRate(48000.0f);
    return engine;
}

void setPoints(APlugin& e, int wave, double (*f)(double)) {
    const int first = wave == 0 ? tag::UserWave1First : tag::UserWave2First;
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        e.setParameter(first + i, static_cast<float>(0.5 + 0.5 * f(i / 512.0)));
}

// Selects a stepped entry and lets the slow update take it up.
void choose(APlugin& e, int t, int index) {
    e.setParameter(t, (index + 0.1f) / e.getSteppedRange(t));
    e.setGlobalRare();
}

double peakOf(const float* t) {
    double p = 0.0;
    for (int i = 0; i < OSC_TABLE_SIZE; ++i) p = std::max(p, std::fabs(double(t[i])));
    return p;
}

} // namespace

TEST(VoiceWaves, BuiltInShapesAreInRangeDistinctAndSound) {
    for (int s = 0; s < USER_WAVE_PRESET_COUNT; ++s) {
        float lo = 1.0f, hi = 0.0f;
        for (float v : BUILT_IN_ADD_WAVE[s]) {
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "shape " << s;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_GT(hi - lo, 0.1f) << "shape " << s << " " << USER_WAVE_PRESET_STR[s];
        for (int o = 0; o < s; ++o) {
            bool same = true;
            for (int i = 0; i < USER_WAVE_SHAPE_POINTS && same; ++i)
                same = BUILT_IN_ADD_WAVE[s][i] == BUILT_IN_ADD_WAVE[o][i];
            EXPECT_FALSE(same) << "shapes " << o << " and " << s << " are identical";
        }
    }
}

TEST(VoiceWaves, SineRoundTripsToOnePartialAndBandTables) {
    auto e = makeEngine();
    choose(*e, tag::Osc1Type, 4); // "User Wave 1"
    setPoints(*e, 0, [](double x) { return std::sin(kTwoPi * x); });
    e->createUserWaveTable(0);
    EXPECT_NEAR(e->getWaveTablePartialsAmp(0, 0), 1.0f, 0.01f);
    for (int k = 1; k < 100; ++k) EXPECT_LT(e->getWaveTablePartialsAmp(0, k), 0.01f) << k;
    // The re-synthesised points stay a sine of full height.
    EXPECT_NEAR(e->getCurrentValue(tag::UserWave1First + 128), 1.0f, 0.01f);
    EXPECT_NEAR(e->getCurrentValue(tag::UserWave1First + 384), 0.0f, 0.01f);
    // Every band-limited table holds the same sine.
    for (int t = 1; t < OSC_BANDS_PER_WAVE; ++t) {
        const float* table = e->getOscTable(OSC_USER_TABLE_START[0] + t);
        EXPECT_NEAR(peakOf(table), 1.0, 0.01) << t;
        EXPECT_NEAR(table[1024], 1.0f, 0.02f) << t;
    }
    EXPECT_FALSE(e->getUserWaveBusy());
}

TEST(VoiceWaves, FlatPointsGiveSilentTables) {
    auto e = makeEngine();
    choose(*e, tag::Osc2Type, 5); // "User Wave 2"
    setPoints(*e, 1, [](double) { return 0.0; });
    e->createUserWaveTable(1);
    for (int t = 0; t < OSC_BANDS_PER_WAVE; ++t)
        EXPECT_EQ(peakOf(e->getOscTable(OSC_USER_TABLE_START[1] + t)), 0.0) << t;
    for (int i = 0; i < tag::UserWavePointCount; i += 37)
        EXPECT_FLOAT_EQ(e->getCurrentValue(tag::UserWave2First + i), 0.5f);
}

TEST(VoiceWaves, SawBandsKeepOnlyTheirPartials) {
    auto e = makeEngine();
    choose(*e, tag::Osc1Type, 4);
    setPoints(*e, 0, [](double x) { return 2.0 * x - 1.0; });
    e->createUserWaveTable(0);
    // Band 19 keeps 18 harmonics: the 19th and above are gone.
    const float* band = e->getOscTable(OSC_USER_TABLE_START[0] + 19);
    auto harmonic = [band](int h) {
        double re = 0.0, im = 0.0;
        for (int i = 0; i < OSC_TABLE_SIZE; ++i) {
            re += band[i] * std::cos(kTwoPi * h * i / OSC_TABLE_SIZE);
            im += band[i] * std::sin(kTwoPi * h * i / OSC_TABLE_SIZE);
        }
        return std::hypot(re, im) / (OSC_TABLE_SIZE / 2);
    };
    EXPECT_GT(harmonic(1), 0.3);
    EXPECT_GT(harmonic(18), 0.3 / 18 * 0.5);
    EXPECT_LT(harmonic(19), 1e-4);
    EXPECT_LT(harmonic(40), 1e-4);
}

TEST(VoiceWaves, ShapeSelectionCopiesPointsAndRefusesBadNumbers) {
    auto e = makeEngine();
    // Shape 11, "Saw", at the wave's 512 points: four points per shape point.
    e->setParameter(tag::UserWave1Preset, (11 + 0.1f) / 511.99f);
    e->setUserWave(0);
    const float* saw = BUILT_IN_ADD_WAVE[11];
    EXPECT_NEAR(e->getCurrentValue(tag::UserWave1First + 40), saw[10], 0.02f);
    // A number past the list copies nothing.
    const float before = e->getCurrentValue(tag::UserWave1First + 40);
    e->setParameter(tag::UserWave1Preset, (300 + 0.1f) / 511.99f);
    e->setUserWave(0);
    EXPECT_EQ(e->getCurrentValue(tag::UserWave1First + 40), before);
    e->setUserWave(7); // no such wave
}
