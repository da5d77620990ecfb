// The parametric EQs on their own: band gains and their centre, inactive bands, the cut
// filters, the multi-unit list, the unison form against the multi-unit form, and bad input.
#include "StagesRig.h"
#include "dsp/Float8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace stages;

namespace {

// Runs one unit of a TParaEQ over a mono signal sent to both channels.
std::vector<float> runUnit(TParaEQ& eq, int unit, int mode, const std::vector<float>& in) {
    std::vector<float> out(in.size());
    stereoOverStruct a[16] = {}, b[16] = {};
    for (size_t i = 0; i + 3 < in.size(); i += 4) {
        a[unit] = frame(in, in, i);
        b[unit] = frame(in, in, i + 2);
        eq.process(mode, 1, &unit, a, b);
        out[i] = a[unit].first.left, out[i + 1] = a[unit].second.left;
        out[i + 2] = b[unit].first.left, out[i + 3] = b[unit].second.left;
    }
    return out;
}

double gainDb(const std::vector<float>& out, const std::vector<float>& in) {
    return 20.0 * std::log10(audio::rms(out, out.size() / 2) / audio::rms(in, in.size() / 2));
}

// The frequency control for a band at hz.
float bandFreq(double hz) {
    return controlFor(hz);
}

} // namespace

TEST(StagesEQ, BandGainAtItsCentreFollowsTheSetting) {
    const std::vector<float> in = sine(1000.0, 19200, 0.1);
    for (float gain : {0.0f, 0.125f, 0.3f, 0.6f, 0.875f, 1.0f}) {
        auto eq = std::make_unique<TParaEQ>();
        eq->init(kRate);
        eq->setParameters(3, 1, gain, bandFreq(1000.0), 0.5f);
        const double want = 40.0 * gain - 20.0;
        EXPECT_NEAR(gainDb(runUnit(*eq, 3, 0, in), in), want, 0.5) << "gain " << gain;
        // Three octaves away a narrow band leaves the signal nearly alone.
        auto away = std::make_unique<TParaEQ>();
        away->init(kRate);
        away->setParameters(3, 1, gain, bandFreq(125.0), 0.2f);
        EXPECT_NEAR(gainDb(runUnit(*away, 3, 0, in), in), 0.0, 0.5) << "gain " << gain;
    }
}

TEST(StagesEQ, InactiveBandsChangeNothing) {
    // A band at 0 dB neither processes nor keeps history, whatever its frequency and width.
    const std::vector<float> in = noise(4096, 21);
    auto a = std::make_unique<TParaEQ>(), b = std::make_unique<TParaEQ>();
    a->init(kRate);
    b->init(kRate);
    a->setParameters(0, 0, 0.8f, 0.3f, 0.4f);
    b->setParameters(0, 0, 0.8f, 0.3f, 0.4f);
    a->setParameters(0, 2, 0.5f, 0.9f, 0.1f);
    b->setParameters(0, 2, 0.5002f, 0.1f, 0.9f); // within 0.01 dB of 0
    EXPECT_FALSE(b->isBandActive(0, 2));
    EXPECT_EQ(runUnit(*a, 0, 0, in), runUnit(*b, 0, 0, in));
    // Nothing active and no cut filter: the signal comes back, give or take rounding.
    auto flat = std::make_unique<TParaEQ>();
    flat->init(kRate);
    const std::vector<float> out = runUnit(*flat, 5, 0, in);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_NEAR(out[i], in[i], 1e-6f);
}

TEST(StagesEQ, CutFiltersByMode) {
    auto gainAt = [](int mode, double hz) {
        auto eq = std::make_unique<TParaEQ>();
        eq->init(kRate);
        eq->setDirect(0);
        eq->setFilter(0, controlFor(1000.0), controlFor(1000.0), 0.0f, 0.0f);
        const std::vector<float> in = sine(hz, 19200, 0.1);
        return gainDb(runUnit(*eq, 0, mode, in), in);
    };
    EXPECT_GT(gainAt(1, 125.0) - gainAt(1, 8000.0), 40.0); // "LP"
    EXPECT_GT(gainAt(2, 8000.0) - gainAt(2, 125.0), 8.0);  // "HP": input minus the ladder
    EXPECT_NEAR(gainAt(0, 8000.0), 0.0, 0.1);              // "Off"
    EXPECT_LT(gainAt(3, 8000.0), gainAt(1, 8000.0) + 0.5); // "Both": low-pass first
    EXPECT_NEAR(gainAt(1, 125.0), 20.0 * std::log10(1.03), 0.5);
}

TEST(StagesEQ, OnlyListedUnitsRunAndBadEntriesAreSkipped) {
    auto eq = std::make_unique<TParaEQ>();
    eq->init(kRate);
    for (int u = 0; u < 16; ++u) eq->setParameters(u, 0, 1.0f, bandFreq(1000.0), 0.5f);
    stereoOverStruct a[16], b[16];
    for (int u = 0; u < 16; ++u) a[u] = b[u] = {{0.5f, 0.5f}, {0.5f, 0.5f}};
    const int list[] = {2, -1, 99, 7};
    eq->process(0, 4, list, a, b);
    EXPECT_NE(a[2].first.left, 0.5f);
    EXPECT_NE(a[7].first.left, 0.5f);
    EXPECT_EQ(a[3].first.left, 0.5f);
    EXPECT_EQ(b[0].second.right, 0.5f);
}

TEST(StagesEQ, UnisonFormMatchesTheMultiUnitForm) {
    const size_t n = 2048;
    for (int voices = 1; voices <= 6; ++voices) {
        auto uni = std::make_unique<TUniParaEQ>();
        auto multi = std::make_unique<TParaEQ>();
        uni->init(kRate);
        multi->init(kRate);
        for (int band = 0; band < 3; ++band) {
            uni->setParameters(band, 0.2f + 0.3f * band, 0.3f + 0.2f * band, 0.5f);
            for (int j = 0; j < voices; ++j)
                multi->setParameters(j, band, 0.2f + 0.3f * band, 0.3f + 0.2f * band, 0.5f);
        }
        uni->setDirect();
        uni->setFilter(0.8f, 0.2f, 0.0f, 0.0f);
        for (int j = 0; j < voices; ++j) {
            multi->setDirect(j);
            multi->setFilter(j, 0.8f, 0.2f, 0.0f, 0.0f);
        }
        std::vector<std::vector<float>> sig;
        for (int j = 0; j < voices; ++j) sig.push_back(noise(n, 50 + j));
        double worst = 0.0;
        for (size_t i = 0; i < n; i += 4) {
            stereoOverStruct ua[6], ub[6], ma[16], mb[16];
            int list[6];
            for (int j = 0; j < voices; ++j) {
                ua[j] = ma[j] = frame(sig[j], sig[(j + 1) % voices], i);
                ub[j] = mb[j] = frame(sig[j], sig[(j + 1) % voices], i + 2);
                list[j] = j;
            }
            uni->process(3, voices, ua, ub);
            multi->process(3, voices, list, ma, mb);
            for (int j = 0; j < voices; ++j) {
                worst = std::fmax(worst, std::fabs(ua[j].first.left - ma[j].first.left));
                worst = std::fmax(worst, std::fabs(ub[j].second.right - mb[j].second.right));
            }
        }
        EXPECT_LT(worst, 1e-5) << voices << " voices";
    }
}

TEST(StagesEQ, LoudAndBrokenInputRecovers) {
    auto eq = std::make_unique<TParaEQ>();
    eq->init(kRate);
    for (int band = 0; band < 3; ++band) eq->setParameters(0, band, 1.0f, 0.5f, 1.0f);
    eq->setDirect(0);
    eq->setFilter(0, 0.7f, 0.1f, 0.0f, 0.0f);
    const std::vector<float> loud = noise(4096, 8, 100.0);
    std::vector<float> out = runUnit(*eq, 0, 3, loud);
    EXPECT_TRUE(audio::allFiniteNormal(out));
    const float nan = std::nanf("");
    const std::vector<float> bad(16, nan);
    runUnit(*eq, 0, 3, bad);
    out = runUnit(*eq, 0, 3, noise(512, 9));
    EXPECT_TRUE(audio::allFiniteNormal(out));
    EXPECT_GT(audio::rms(out), 1e-3);
}

TEST(StagesEQ, NeighbouringUnitsNeverTouchEachOther) {
    // Unit 4 alone, and unit 4 beside a loud unit 5 that is reset and skipped now and then:
    // unit 4's output is the same bit for bit.
    auto alone = std::make_unique<TParaEQ>(), shared = std::make_unique<TParaEQ>();
    for (TParaEQ* eq : {alone.get(), shared.get()}) {
        eq->init(kRate);
        for (int u : {4, 5})
            for (int b = 0; b < 3; ++b) eq->setParameters(u, b, 0.9f, 0.2f + 0.3f * b, 0.3f);
        for (int u : {4, 5}) {
            eq->setDirect(u);
            eq->setFilter(u, 0.7f, 0.2f, 0.0f, 0.0f);
        }
    }
    shared->setParameters(5, 1, 0.5f, 0.5f, 0.5f); // unit 5's middle band off, unit 4's on
    const std::vector<float> a = noise(2048, 31), b = noise(2048, 32, 5.0);
    for (size_t i = 0; i < a.size(); i += 4) {
        stereoOverStruct fa1[16], fb1[16], fa2[16], fb2[16];
        fa1[4] = fa2[4] = frame(a, a, i);
        fb1[4] = fb2[4] = frame(a, a, i + 2);
        fa2[5] = frame(b, b, i);
        fb2[5] = frame(b, b, i + 2);
        const int one[] = {4};
        const int both[] = {5, 4};
        alone->process(3, 1, one, fa1, fb1);
        const bool skip = (i / 4) % 5 == 0;
        shared->process(3, skip ? 1 : 2, skip ? one : both, fa2, fb2);
        if ((i / 4) % 7 == 0) shared->reset(5);
        ASSERT_EQ(fa1[4].first.left, fa2[4].first.left) << i;
        ASSERT_EQ(fb1[4].second.right, fb2[4].second.right) << i;
    }
}

TEST(StagesEQ, EightLanesGiveTheSameBitsAsFour) {
    // Two pairs of units share eight lanes, each pair with its own coefficients and masks:
    // lists that leave a pair half used or an odd pair over, bands active in some units only,
    // every mode, resets, and a loud unit in either half whose states pass the float range and
    // start again, must give what four lanes give, bit for bit.
    if (!hasAvx2()) GTEST_SKIP() << "no AVX2";
    auto four = std::make_unique<TParaEQ>(), eight = std::make_unique<TParaEQ>();
    for (TParaEQ* eq : {four.get(), eight.get()}) {
        eq->init(kRate);
        for (int u = 0; u < 16; ++u) {
            for (int b = 0; b < 3; ++b)
                eq->setParameters(u, b, (u + b) % 4 ? 0.2f + 0.04f * u : 0.5f, 0.3f * b + 0.02f * u,
                                  0.4f);
            eq->setDirect(u);
            eq->setFilter(u, 0.6f + 0.02f * u, 0.1f + 0.01f * u, 0.0f, 0.0f);
        }
        for (int u : {9, 11}) // +40 dB at 1 kHz
            for (int b : {0, 2}) eq->setParameters(u, b, 1.0f, controlFor(1000.0), 0.5f);
    }
    const std::vector<float> sig = noise(4096, 77), loud = sine(1000.0, 4096, 3e38);
    uint32_t seed = 5;
    for (size_t i = 0; i + 19 < sig.size(); i += 4) {
        stereoOverStruct a[2][16], b[2][16];
        int list[16], count = 0;
        seed = seed * 1664525u + 1013904223u;
        const int loudUnit = i / 1024 == 1 ? 9 : (i / 1024 == 2 ? 11 : -1);
        for (int u = 0; u < 16; ++u) {
            const std::vector<float>& in = u == loudUnit ? loud : sig;
            a[0][u] = a[1][u] = frame(in, in, i + u);
            b[0][u] = b[1][u] = frame(in, in, i + u + 2);
            if ((seed >> (u + 8)) & 1 || i % 64 == 0 || u == loudUnit) list[count++] = u;
        }
        const int mode = static_cast<int>(i / 4) % 4;
        four->process(mode, count, list, a[0], b[0], false);
        eight->process(mode, count, list, a[1], b[1], true);
        ASSERT_EQ(std::memcmp(a[0], a[1], sizeof(a[0])), 0) << i;
        ASSERT_EQ(std::memcmp(b[0], b[1], sizeof(b[0])), 0) << i;
        if (i % 52 == 0) four->reset(int(i / 52) % 16), eight->reset(int(i / 52) % 16);
    }
}
