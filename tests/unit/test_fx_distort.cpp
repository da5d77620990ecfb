// The distortion effect: each static curve at sample points, bounded and continuous, and the
// voice distortion's curves beside them; the mix law; the amp responses and cabinet rows stable
// at every rate with a gain for every row.
#include "dsp/CabinetModels.h"
#include "dsp/DistortCurves.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/VoiceDistortModes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
float ramp[4096];

distort::Tables curveTables() {
    for (int i = 0; i < 4096; ++i) ramp[i] = 2.0f * float(i) / 4095.0f - 1.0f;
    const LookupTables& t = lookupTables();
    return {t.SineArray, t.CosArray, ramp, ramp};
}

} // namespace

TEST(FxDistortCurves, EveryCurveIsBoundedAndTheDesignedOnesAreContinuous) {
    using namespace distort;
    for (int mode = 0; mode < kModes; ++mode) {
        if (!isShaped(mode)) continue;
        for (float p2 : {0.0f, 0.3f, 1.0f})
            for (float p3 : {0.0f, 0.5f, 1.0f}) {
                distort::Curve k;
                k.prepare(mode, p2, p3, curveTables());
                for (int i = -1000; i <= 1000; ++i) {
                    const float c = float(i) / 1000.0f;
                    const float y = k.shape(c, c);
                    ASSERT_TRUE(std::isfinite(y)) << mode;
                    ASSERT_LE(std::fabs(y), 2.0f) << mode << " " << c;
                }
            }
    }
    // Transient, Valve and each half of Square have no jumps.
    for (int mode : {kTransient, kValve, kSquare}) {
        distort::Curve k;
        k.prepare(mode, 0.7f, 0.4f, curveTables());
        float last = k.shape(-1.0f, -1.0f);
        for (int i = -9999; i <= 10000; ++i) {
            const float c = float(i) / 10000.0f;
            const float y = k.shape(c, c);
            if (mode != kSquare || std::fabs(c) > 0.0011f) {
                ASSERT_LT(std::fabs(y - last), 0.01f) << mode << " at " << c;
            }
            last = y;
        }
    }
    // "Square": the negative half steps to -n and falls with slope n (n = Amount at
    // Symmetry 0.5), so Amount 0 cuts it and full Amount doubles it; "Transient" passes only
    // the band r..2r (r = 0.05 at Range 0), peaking at Amount in its middle.
    distort::Curve sq;
    sq.prepare(kSquare, 1.0f, 0.5f, curveTables());
    EXPECT_FLOAT_EQ(sq.shape(-0.5f, -0.5f), -1.5f);
    EXPECT_FLOAT_EQ(sq.shape(-1.0f, -1.0f), -2.0f);
    EXPECT_FLOAT_EQ(sq.shape(0.5f, 0.5f), 1.0f);
    EXPECT_EQ(sq.shape(-0.0005f, -0.0005f), 0.0f);
    sq.prepare(kSquare, 0.0f, 0.5f, curveTables());
    EXPECT_EQ(sq.shape(-0.5f, -0.5f), 0.0f);
    EXPECT_FLOAT_EQ(sq.shape(0.5f, 0.5f), 0.5f);
    distort::Curve tr;
    tr.prepare(kTransient, 0.8f, 0.0f, curveTables());
    EXPECT_EQ(tr.shape(0.04f, 0.04f), 0.0f);
    EXPECT_EQ(tr.shape(-0.11f, -0.11f), 0.0f);
    EXPECT_NEAR(tr.shape(-0.075f, -0.075f), -0.8f, 1e-5f);

    // The voice distortion shapes with the same curves: each common-chain mode bounded, and
    // "Transient" the effect's own curve, continuous.
    const distort::Tables ct = curveTables();
    for (int menu = 0; menu < DISTORT_VOICE_MODE_COUNT; ++menu) {
        const int mode = REAL_DISTORT_MODES[0][menu];
        if (mode == voicedistort::Clipper || mode == voicedistort::Tube) continue;
        for (float a : {0.0f, 0.3f, 1.0f})
            for (float b : {0.0f, 0.5f, 1.0f}) {
                float coeffs[voicedistort::kCoeffs] = {};
                voicedistort::computeCoeffs(mode, a, b, 0.5f, 0.5f, 0.5f, 48000.0f, coeffs);
                const voicedistort::PassKnobs pk = voicedistort::passKnobs(a, b, ramp, ramp);
                distort::Curve fx;
                fx.prepare(mode, a, b, ct);
                for (int i = -1000; i <= 1000; ++i) {
                    const float c = float(i) / 1000.0f;
                    const float y = voicedistort::shape(mode, c, coeffs, pk, lookupTables());
                    ASSERT_TRUE(std::isfinite(y)) << mode;
                    ASSERT_LE(std::fabs(y), 2.0f) << mode << " " << c;
                    if (mode == kTransient) {
                        ASSERT_EQ(y, fx.shape(c, c)) << c;
                    }
                }
            }
    }
    {
        float coeffs[voicedistort::kCoeffs] = {};
        const voicedistort::PassKnobs pk = voicedistort::passKnobs(1.0f, 0.0f, ramp, ramp);
        float last = 0.0f;
        for (int i = -10000; i <= 10000; ++i) {
            const float c = float(i) / 10000.0f;
            const float y = voicedistort::shape(kTransient, c, coeffs, pk, lookupTables());
            ASSERT_LT(std::fabs(y - last), 0.05f) << "voice Transient at " << c;
            last = y;
        }
    }

    // Table positions from huge or negative products stay inside the cycle.
    for (float p : {-3e9f, -65537.5f, -1.0f, 0.0f, 65536.0f, 5e9f, NAN, -INFINITY})
        EXPECT_TRUE(cycleIndex(p) >= 0 && cycleIndex(p) < 65536);
}

TEST(FxDistortCurves, AmpResponsesAndCabinetRowsDecayAtEveryRate) {
    const cabinet::Tables& cab = cabinet::tables();
    for (int row = 0; row < cabinet::kRows; ++row) {
        EXPECT_GT(cab.GAIN[row], 0.0f) << row;
        EXPECT_EQ(cab.BB[row][0], 0.0f) << row;
    }
    EXPECT_EQ(cabinet::rowFor(1, 96000.0f), 5);
    EXPECT_EQ(cabinet::rowFor(3, 48000.0f), 3);
    for (int model = 1; model < cabinet::kModels; ++model)
        for (float rate : {44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
            const int row = cabinet::rowFor(model, rate);
            const int frames = 40000;
            std::vector<float> in(frames, 0.0f), out(frames, 0.0f);
            in[0] = 1.0f;
            double early = 0, late = 0;
            for (int n = 0; n < frames; ++n) {
                float y = 0.0f;
                for (int k = 0; k < cabinet::kTaps && k <= n; ++k)
                    y += cab.AA[row][k] * in[n - k] + (k > 0 ? cab.BB[row][k] * out[n - k] : 0);
                out[n] = y;
                if (n < 1000) early += double(y) * y;
                if (n >= frames - 1000) late += double(y) * y;
            }
            EXPECT_GT(early, 1e-6) << model << " " << rate;
            EXPECT_LT(late, 1e-9 * early) << model << " " << rate;
        }
}

TEST(FxDistortUnit, FenderKeepsItsVoicingAndTheAmpResponsesRunForwardInTime) {
    const cabinet::Tables& cab = cabinet::tables();
    const int fender = cabinet::rowFor(1, 44100.0f);
    const float aa[3] = {0.952579f, 0.423653f, -0.299326f}, bb[3] = {0.0f, 0.373288f, -0.379113f};
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(cab.AA[fender][k], aa[k]) << k;
        EXPECT_FLOAT_EQ(cab.BB[fender][k], bb[k]) << k;
    }
    EXPECT_EQ(cab.GAIN[fender], 1.0f);

    // An impulse through "Amp" at unity boost, no drive, flat bands: each speaker's answer
    // comes at once and dies away within the 64 frames, never swelling towards their end.
    for (int model = 1; model <= 5; ++model) {
        auto e = std::make_unique<APlugin>(nullptr);
        e->setSampleRate(44100.0f);
        e->setParameter(tag::DistortFxOn, 1.0f);
        e->setSteppedValue(tag::DistortFxMode, distort::kAmp);
        e->setParameter(tag::DistortionFxMix, 1.0f);
        const float knobs[7] = {0.5f, (model + 0.5f) / 5.99f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f};
        for (int k = 0; k < 7; ++k) e->setParameter(tag::DistortionFx1 + k, knobs[k]);
        e->reset();
        e->setGlobalRare();
        std::vector<float> y;
        for (int n = 0; n < 128; n += 2) {
            stereoStruct o0, o1;
            e->doDistortFX({n == 0 ? 0.5f : 0.0f, 0.0f}, {}, &o0, &o1);
            y.push_back(o0.left);
            y.push_back(o1.left);
        }
        double head = 0, tail = 0;
        for (int n = 0; n < 24; ++n) head += double(y[n]) * y[n];
        for (int n = 40; n < 72; ++n) tail += double(y[n]) * y[n];
        EXPECT_GT(head, 1e-4) << model;
        EXPECT_LT(tail, 0.05 * head) << model;
    }
}

TEST(FxDistortUnit, MixLawOffPassThroughAndExtremes) {
    auto make = [](float mix, int mode) {
        auto e = std::make_unique<APlugin>(nullptr);
        e->setSampleRate(48000.0f);
        e->setParameter(tag::DistortFxOn, 1.0f);
        e->setSteppedValue(tag::DistortFxMode, mode);
        e->setParameter(tag::DistortionFxMix, mix);
        for (int k = 0; k < 7; ++k) e->setParameter(tag::DistortionFx1 + k, 0.6f);
        e->reset();
        e->setGlobalRare();
        return e;
    };
    auto in = [](int n) { return stereoStruct{0.5f * std::sin(0.05f * n), 0.3f}; };
    for (int mode : {distort::kSaturator, distort::kAmp, distort::kCab, distort::kTube}) {
        auto full = make(1.0f, mode), half = make(0.5f, mode), none = make(0.0f, mode);
        for (int n = 0; n < 2000; n += 2) {
            stereoStruct f0, f1, h0, h1, z0, z1;
            full->doDistortFX(in(n), in(n + 1), &f0, &f1);
            half->doDistortFX(in(n), in(n + 1), &h0, &h1);
            none->doDistortFX(in(n), in(n + 1), &z0, &z1);
            // 0.5 gives the dry signal and the processed one both at full level.
            ASSERT_NEAR(h0.left - f0.left, in(n).left, 1e-5f) << mode;
            ASSERT_NEAR(h1.right - f1.right, in(n + 1).right, 1e-5f) << mode;
            ASSERT_NEAR(z0.left, in(n).left, 1e-6f);
        }
    }
    // Off: the frames pass unchanged and nothing moves.
    auto off = make(1.0f, distort::kFuzz);
    off->setParameter(tag::DistortFxOn, 0.0f);
    off->setGlobalRare();
    stereoStruct o0, o1;
    off->doDistortFX(in(1), in(2), &o0, &o1);
    EXPECT_EQ(o0.left, in(1).left);
    EXPECT_EQ(off->distortFX.distortFXCount, 0u);

    // Every mode at extreme settings, with wild modulation, stays finite.
    for (int mode = 0; mode < distort::kModes; ++mode)
        for (float extreme : {0.0f, 1.0f}) {
            auto e = make(1.0f, mode);
            for (int k = 0; k < 7; ++k)
                e->setParameter(tag::DistortionFx1 + k, k % 2 ? extreme : 1.0f - extreme);
            for (int d = 171; d <= 179; ++d) e->globalDest[d] = extreme > 0.5f ? 1e6f : -1e6f;
            for (int n = 0; n < 600; n += 2) {
                e->doDistortFX({40.0f, -40.0f}, {-1e4f, 1e-30f}, &o0, &o1);
                ASSERT_TRUE(std::isfinite(o0.left) && std::isfinite(o1.right)) << mode;
            }
        }
}
