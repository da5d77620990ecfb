// The effect chain's state-variable filter: set-up, smoothing and caching of its coefficient,
// the soft clip, and what its three forms do to a sine.
#include "dsp/TFXFilter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
stereoOverStruct held(float l, float r) {
    return {{l, r}, {l, r}};
}

// Level of a sine of `hz` after the filter at 44.1 kHz, measured over the last half second.
double sineGain(int kind, float cutoff, double hz) {
    TFXFilter f;
    f.init(44100.0f);
    double sum = 0.0, in = 0.0;
    const int frames = 44100;
    for (int n = 0; n < frames; n += 2) {
        const float a = static_cast<float>(std::sin(2.0 * M_PI * hz * n / 44100.0));
        const float b = static_cast<float>(std::sin(2.0 * M_PI * hz * (n + 1) / 44100.0));
        stereoOverStruct o1, o2;
        if (kind == 0) f.processLP(cutoff, 0.0f, true, held(a, a), held(b, b), o1, o2);
        if (kind == 1) f.processHP(cutoff, 0.0f, true, held(a, a), held(b, b), o1, o2);
        if (kind == 2) f.processBP(cutoff, 0.0f, true, held(a, a), held(b, b), o1, o2);
        if (n >= frames / 2) {
            const double y1 = 0.5 * (o1.first.left + o1.second.left);
            const double y2 = 0.5 * (o2.first.left + o2.second.left);
            sum += y1 * y1 + y2 * y2;
            in += double(a) * a + double(b) * b;
        }
    }
    return std::sqrt(sum / in);
}
} // namespace

TEST(FxFilter, FormsShapeASineAndTheClipHoldsTheLoop) {
    // Cutoff 0.5 is 640 Hz: the low-pass keeps 100 Hz and cuts 8 kHz, the high-pass the reverse,
    // the band-pass keeps its centre and cuts both ends.
    EXPECT_NEAR(sineGain(0, 0.5f, 100.0), 1.0, 0.05);
    EXPECT_LT(sineGain(0, 0.5f, 8000.0), 0.02);
    EXPECT_LT(sineGain(1, 0.5f, 100.0), 0.1);
    EXPECT_NEAR(sineGain(1, 0.5f, 8000.0), 1.0, 0.05);
    EXPECT_GT(sineGain(2, 0.5f, 640.0), 0.5);
    EXPECT_LT(sineGain(2, 0.5f, 20.0), 0.1);
    EXPECT_LT(sineGain(2, 0.5f, 15000.0), 0.1);

    // Silence through a cleared filter is never exactly zero (the 1e-15 floor).
    TFXFilter f;
    f.init(48000.0f);
    stereoOverStruct o1, o2;
    f.processLP(0.5f, 0.0f, true, held(0, 0), held(0, 0), o1, o2);
    EXPECT_GT(o1.first.left, 0.0f);

    // Full resonance with a huge input stays bounded: the cubic term pulls the band back.
    for (int i = 0; i < 20000; ++i)
        f.processBP(0.4f, 1.0f, true, held(100.0f, -100.0f), held(-100.0f, 100.0f), o1, o2);
    EXPECT_TRUE(std::isfinite(o2.second.left) && std::isfinite(o2.second.right));
    EXPECT_LT(std::fabs(f.getBand(0)), 1e4f);

    // The two-cutoff form filters each channel with its own cutoff.
    TFXFilter st;
    st.init(44100.0f);
    double l = 0, r = 0;
    for (int n = 0; n < 8820; n += 2) {
        const float a = static_cast<float>(std::sin(2.0 * M_PI * 4000.0 * n / 44100.0));
        const float b = static_cast<float>(std::sin(2.0 * M_PI * 4000.0 * (n + 1) / 44100.0));
        st.processLPStereo({0.2f, 1.0f}, 0.0f, held(a, a), held(b, b), o1, o2);
        if (n > 4410) {
            l += std::fabs(o1.first.left);
            r += std::fabs(o1.first.right);
        }
    }
    EXPECT_LT(l * 10.0, r);
}
