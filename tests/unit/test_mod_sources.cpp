// The ribbon (spring-back time, quantised bipolar values) and the noise sources (the engine's
// own reproducible generator, pink noise's slope).
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kRibbonSource = 81;

std::unique_ptr<APlugin> makeEngine() {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    for (int s = 0; s < 16; ++s) e->setParameter(tag::ModDestFirst + s, 0.0f);
    e->setModSlotTable();
    return e;
}

// In-place radix-2 FFT.
void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2.0 * M_PI / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

} // namespace

TEST(ModSources, RibbonSpringsBackInItsTimeAndQuantises) {
    auto e = makeEngine();
    e->setParameter(tag::RibbonBipolarOn, 0.0f);
    e->setSteppedValue(tag::RibbonQuantization, 0);
    e->setSteppedValue(tag::RibbonSpringTime, 12); // "1/4 QB": a quarter of a whole note
    e->setParameter(tag::RibbonValue, 1.0f);
    e->setRibbonSpringOn();
    // A whole note at 120 BPM is 96,000 samples: back at rest after 24,000, 1,500 updates.
    int updates = 0;
    while (e->getParameter(tag::RibbonValue) > 0.0f && updates < 5000) {
        e->updateRibbon();
        ++updates;
    }
    EXPECT_NEAR(updates, 1500, 2);
    EXPECT_FALSE(e->getRibbonSpringActive());

    // "Instant" with the ribbon already within 0.01 of rest: armed at rate 0, then stopped.
    e->setSteppedValue(tag::RibbonSpringTime, 1);
    e->setParameter(tag::RibbonValue, 0.005f);
    e->setRibbonSpringOn();
    EXPECT_TRUE(e->getRibbonSpringActive());
    e->updateRibbon();
    EXPECT_FALSE(e->getRibbonSpringActive());
    EXPECT_FLOAT_EQ(e->getParameter(tag::RibbonValue), 0.005f);

    // Bipolar with quantise "2": the source settles on -1, 0 or 1.
    e->setSteppedValue(tag::RibbonSpringTime, 0);
    e->setParameter(tag::RibbonBipolarOn, 1.0f);
    e->setSteppedValue(tag::RibbonQuantization, 12);
    for (float x : {0.1f, 0.3f, 0.55f, 0.9f}) {
        e->setParameter(tag::RibbonValue, x);
        for (int i = 0; i < 400; ++i) e->updateRibbon();
        const float v = e->lastVoiceSource[kRibbonSource];
        EXPECT_NEAR(v, std::round(v), 1e-4f) << x;
    }
}

TEST(ModSources, NoiseIsReproducibleAndPinkFallsThreeDbPerOctave) {
    // Two engines draw the same numbers: the generator is the engine's own.
    auto a = makeEngine();
    auto b = makeEngine();
    std::set<float> seen;
    for (int i = 0; i < 1000; ++i) {
        const float u = a->getRandUnit();
        ASSERT_EQ(u, b->getRandUnit());
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        seen.insert(u);
    }
    EXPECT_GT(seen.size(), 990u);

    // Pink noise: odd counts repeat the even one; the band powers fall about 3 dB an octave.
    constexpr int kFft = 4096, kSegments = 64;
    std::vector<double> power(kFft / 2, 0.0);
    int counter = 0;
    for (int seg = 0; seg < kSegments; ++seg) {
        std::vector<std::complex<double>> buf(kFft);
        for (int i = 0; i < kFft; ++i, ++counter) {
            const float p = a->doPinkNoise(0, 2, counter);
            ASSERT_GE(p, -1.0f);
            ASSERT_LT(p, 1.0f);
            if (counter & 1) {
                ASSERT_EQ(p, buf[i - 1].real());
            }
            buf[i] = p;
        }
        double mean = 0.0;
        for (auto& x : buf) mean += x.real() / kFft;
        for (int i = 0; i < kFft; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFft); // Hann window
            buf[i] = (buf[i].real() - mean) * w;
        }
        fft(buf);
        for (int k = 0; k < kFft / 2; ++k) power[k] += std::norm(buf[k]);
    }
    auto bandDb = [&](double lo, double hi) {
        double sum = 0.0;
        int n = 0;
        for (int k = 1; k < kFft / 2; ++k) {
            const double f = k * kRate / kFft;
            if (f >= lo && f < hi) {
                sum += power[k];
                ++n;
            }
        }
        return 10.0 * std::log10(sum / n); // mean density, so octaves compare directly
    };
    const double slope = (bandDb(3000.0, 6000.0) - bandDb(375.0, 750.0)) / 3.0;
    EXPECT_NEAR(slope, -3.0, 1.0);
}
