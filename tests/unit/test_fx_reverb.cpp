// The reverb unit: its tunings, the limits of its settings, silence after mute, and a tail
// that decays without freezing, at the rates the engine accepts.
#include "dsp/TBasicReverb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
// Energy of the summed outputs over [from, to) after an impulse at frame 0.
struct Tail {
    double early = 0, late = 0, last = 0;
    bool finite = true;
};

Tail impulseTail(TBasicReverb& r, int frames) {
    Tail t;
    for (int n = 0; n < frames; ++n) {
        float o1, o2, o3, o4;
        const float x = n == 0 ? 1.0f : 0.0f;
        r.process(x, x, o1, o2, o3, o4);
        const double e = double(o1 + o3) * (o1 + o3) + double(o2 + o4) * (o2 + o4);
        if (!std::isfinite(e)) t.finite = false;
        if (n < frames / 4) t.early += e;
        if (n >= frames / 2 && n < 3 * frames / 4) t.late += e;
        if (n >= 3 * frames / 4) t.last += e;
    }
    return t;
}
} // namespace

TEST(FxReverb, TuningsAndSettingLimits) {
    auto r = std::make_unique<TBasicReverb>();
    // A size that would exceed the lines is held at 16,383; a tiny one at 1.
    r->setSize(1000.0f, 1e-9f);
    EXPECT_EQ(r->getCombLength(5), 16383);
    EXPECT_EQ(r->getCombLength(25), 1);
    r->setSize(NAN, INFINITY);
    EXPECT_EQ(r->getCombLength(0), 1);
    EXPECT_EQ(r->getCombLength(39), 16383);

    // Every line is at least one sample long at the lowest rate and fits at the highest.
    for (float rate : {5.0f, 500000.0f}) {
        r->setSampleRate(rate);
        for (int side = 0; side < 2; ++side)
            for (int k = 0; k < TBasicReverb::kAllpasses; ++k) {
                EXPECT_GE(r->getAllpassLength(side, k), 1);
                EXPECT_LE(r->getAllpassLength(side, k), TBasicReverb::kAllpassMax);
            }
        for (int line = 0; line < TBasicReverb::kLines; ++line) {
            EXPECT_GE(r->getCombLength(line), 1);
            EXPECT_LE(r->getCombLength(line), 16383);
        }
        r->setWiden(-5, 0, 1 << 20, 100);
        float o1, o2, o3, o4;
        for (int n = 0; n < 2000; ++n) r->process(1.0f, -1.0f, o1, o2, o3, o4);
        EXPECT_TRUE(std::isfinite(o1) && std::isfinite(o4));
    }
    r->setSampleRate(0.0f); // ignored
    EXPECT_EQ(r->getSampleRate(), 500000.0f);
}

TEST(FxReverb, TailDecaysAndMuteSilences) {
    for (float rate : {44100.0f, 96000.0f}) {
        auto r = std::make_unique<TBasicReverb>();
        r->setSampleRate(rate);
        r->setRoomSize(0.8f);
        r->setDamp(0.3f);
        r->setFilter(0.91f, 0.19f);
        r->setSize(1.0f, 1.1f);
        const Tail t = impulseTail(*r, static_cast<int>(rate * 2));
        EXPECT_TRUE(t.finite);
        EXPECT_GT(t.early, 0.0);
        EXPECT_GT(t.late, 0.0);     // still ringing after a second
        EXPECT_LT(t.late, t.early); // but decaying
        EXPECT_LT(t.last, t.late);  // and still decaying, never frozen
        EXPECT_LT(t.last, 0.5 * t.early);
    }
    // After mute, silence in gives silence out (the allpasses' 1e-8 guard aside).
    auto r = std::make_unique<TBasicReverb>();
    float o1, o2, o3, o4;
    for (int n = 0; n < 5000; ++n) r->process(0.5f, -0.5f, o1, o2, o3, o4);
    r->mute();
    for (int n = 0; n < 5000; ++n) {
        r->process(0.0f, 0.0f, o1, o2, o3, o4);
        ASSERT_LT(std::fabs(o1) + std::fabs(o2) + std::fabs(o3) + std::fabs(o4), 1e-7f) << n;
    }
}
