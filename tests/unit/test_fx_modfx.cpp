// The modulation effect driven frame by frame: off is an exact pass-through, the chorus and
// flanger delays sweep, the ensemble's lines, the phaser's moving notches, the wah's peak, the
// tremolo's depth and the auto-pan law, ring modulation's sum and difference, and finite
// output in every mode at extreme settings.
#include "engine/APlugin.h"
#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"
#include "tests/host/AudioAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {
constexpr float kRate = 48000.0f;

std::unique_ptr<APlugin> makeModFX(int mode, float k1, float k2, float k3, float k4) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    e->setParameter(tag::ModFxOn, 1.0f);
    e->setSteppedValue(tag::ModFxMode, mode);
    e->setParameter(tag::ModFxTempoSyncOn, 0.0f);
    e->setParameter(tag::ModFxMix, 1.0f);
    e->setParameter(tag::ModFx1, k1);
    e->setParameter(tag::ModFx2, k2);
    e->setParameter(tag::ModFx3, k3);
    e->setParameter(tag::ModFx4, k4);
    e->reset();
    e->setGlobalRare();
    return e;
}

struct Out {
    std::vector<float> l, r;
};

Out run(APlugin& e, int frames, const std::function<stereoStruct(int)>& in) {
    Out o;
    for (int n = 0; n < frames; n += 2) {
        stereoStruct a, b;
        e.doFXMod(in(n), in(n + 1), &a, &b);
        o.l.push_back(a.left);
        o.l.push_back(b.left);
        o.r.push_back(a.right);
        o.r.push_back(b.right);
    }
    return o;
}

stereoStruct sine(int n, double hz) {
    const float v = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * hz * n / kRate));
    return {v, v};
}

// The lag (frames) of the strongest response after an impulse at `at`, within `window`.
int echoLag(const std::vector<float>& y, int at, int window) {
    int best = 0;
    float peak = 0.0f;
    for (int i = 0; i < window; ++i)
        if (std::fabs(y[size_t(at + i)]) > peak) {
            peak = std::fabs(y[size_t(at + i)]);
            best = i;
        }
    return best;
}
} // namespace

TEST(FxModFX, ChorusAndFlangerDelaysSweep) {
    for (int mode : {fx::kModChorus, fx::kModFlanger, fx::kModTapeChorus}) {
        // Length 0.5: a 1,201-frame chorus span; the fastest free LFO (about 36 ms a cycle).
        auto e = makeModFX(mode, 0.5f, 1.0f, 0.75f, 0.0f);
        const int spacing = 3000, clicks = 12;
        // Impulses on both inputs: the flanger's left column is fed from the right input.
        const Out o = run(*e, spacing * clicks, [&](int n) {
            return n % spacing == 0 ? stereoStruct{1.0f, 1.0f} : stereoStruct{};
        });
        int lo = 1 << 30, hi = 0;
        for (int c = 1; c < clicks; ++c) {
            const int lag = echoLag(o.l, c * spacing, spacing - 10);
            lo = std::min(lo, lag);
            hi = std::max(hi, lag);
            EXPECT_GE(lag, 3) << mode; // never from the far side of the line
        }
        EXPECT_GT(hi - lo, 100) << mode; // the delay moves with the LFO
        EXPECT_LE(hi, 0.05 * kRate * 0.5 + 60) << mode;
    }
}

TEST(FxModFX, EnsembleUsesSixLinesAndPhaserNotchesMove) {
    auto e = makeModFX(fx::kModEnsemble, 0.5f, 0.2f, 0.3f, 0.0f);
    const Out o = run(*e, 4000, [](int n) { return n == 0 ? stereoStruct{1, 1} : stereoStruct{}; });
    // Four voices reach the left side, four the right, at spread delays.
    int peaks = 0;
    for (size_t i = 1; i + 1 < o.l.size(); ++i)
        if (std::fabs(o.l[i]) > 0.02f && std::fabs(o.l[i]) >= std::fabs(o.l[i - 1]) &&
            std::fabs(o.l[i]) > std::fabs(o.l[i + 1]))
            ++peaks;
    EXPECT_GE(peaks, 3);
    EXPECT_TRUE(audio::allFiniteNormal(o.r));

    // Amount modulated to -0.145 gives six voices with one rate, width and length; as they all
    // start together from a reset, both sides (four voices each) carry the same signal, also
    // after the mode is left and entered again.
    auto same = makeModFX(fx::kModEnsemble, 0.5f, 0.6f, 0.6f, 0.3f);
    same->globalDest[fx::DEST_MOD_FX_ENSEMBLE_AMOUNT] = -0.145f;
    auto noise = [](int n) {
        const float v = 0.4f * std::sin(0.013f * float(n)) + 0.3f * std::sin(0.0031f * float(n));
        return stereoStruct{v, v};
    };
    for (int round = 0; round < 2; ++round) {
        const Out m = run(*same, 24000, noise);
        ASSERT_GT(audio::rms(m.l, 4000), 1e-3);
        for (size_t i = 0; i < m.l.size(); ++i) ASSERT_EQ(m.l[i], m.r[i]) << round << " " << i;
        same->setSteppedValue(tag::ModFxMode, fx::kModChorus);
        same->setGlobalRare();
        same->setSteppedValue(tag::ModFxMode, fx::kModEnsemble);
        same->setGlobalRare();
    }

    // Phaser with the dry signal: the notches move across a steady tone.
    auto p = makeModFX(fx::kModPhaser, 0.6f, 1.0f, 0.7f, 0.5f);
    p->setParameter(tag::ModFxMix, 0.5f);
    p->reset();
    const Out ph = run(*p, 48000, [](int n) { return sine(n, 700.0); });
    double lo = 1e9, hi = 0;
    for (int w = 4; w < 48; ++w) {
        const double r = audio::rms(ph.r, size_t(w * 1000), size_t(w * 1000 + 1000));
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    EXPECT_GT(hi, 2.0 * lo);
}

TEST(FxModFX, WahTremoloAutoPanAndRingModulation) {
    // The wah's low-pass peak follows its control (low = high, no sweep).
    auto level = [](float control, double hz) {
        auto e = makeModFX(fx::kModWahWah, control, control, 0.5f, 0.8f);
        const Out o = run(*e, 24000, [hz](int n) { return sine(n, hz); });
        return audio::rms(o.l, 12000);
    };
    EXPECT_GT(level(0.8f, 4000.0), 4.0 * level(0.3f, 4000.0));

    // Tremolo: amount 0 keeps the level, amount 1 swings it.
    auto swing = [](int mode, float amount, bool right) {
        auto e = makeModFX(mode, 0.0f, amount, 0.8f, 0.0f); // sine wave, 0.25 s a cycle
        const Out o = run(*e, 48000, [](int n) { return sine(n, 1000.0); });
        double lo = 1e9, hi = 0;
        for (int w = 4; w < 96; ++w) {
            const double r = audio::rms(right ? o.r : o.l, size_t(w * 500), size_t(w * 500 + 500));
            lo = std::min(lo, r);
            hi = std::max(hi, r);
        }
        return hi / std::max(lo, 1e-9);
    };
    EXPECT_LT(swing(fx::kModTremolo, 0.0f, false), 1.05);
    EXPECT_GT(swing(fx::kModTremolo, 1.0f, false), 10.0);
    EXPECT_LT(swing(fx::kModAutoPan, 0.0f, true), 1.05);
    EXPECT_GT(swing(fx::kModAutoPan, 1.0f, true), 10.0);

    // Ring modulation of 1 kHz by 640 Hz: 360 Hz and 1,640 Hz, little left at 1 kHz.
    auto ring = makeModFX(fx::kModRingMod, 0.0f, 1.0f, 0.5f, 0.0f);
    const Out ro = run(*ring, 48000, [](int n) { return sine(n, 1000.0); });
    const std::vector<float> tail(ro.l.begin() + 4800, ro.l.end());
    const double sum = audio::magnitudeAt(tail, 1640.0, kRate);
    const double diff = audio::magnitudeAt(tail, 360.0, kRate);
    const double carrierIn = audio::magnitudeAt(tail, 1000.0, kRate);
    EXPECT_GT(sum, 10.0 * carrierIn);
    EXPECT_GT(diff, 10.0 * carrierIn);
    EXPECT_NEAR(sum / diff, 1.0, 0.3);
}

TEST(FxModFX, EveryModeStaysFiniteAtExtremes) {
    for (int mode = 0; mode < 10; ++mode)
        for (float m : {1e6f, -1e6f, NAN, 1.0f, -1.0f})
            for (float knob : {0.0f, 1.0f}) {
                auto e = makeModFX(mode, knob, 1.0f - knob, knob, 1.0f - knob);
                e->setParameter(tag::ModFxTempoSyncOn, knob);
                for (int d = fx::DEST_MOD_FX_MIX; d <= fx::DEST_MOD_FX_PAN_SPEED; ++d)
                    e->globalDest[d] = (d & 1) ? m : -m;
                const Out o = run(*e, 3000, [](int n) {
                    return stereoStruct{n % 2 ? 50.0f : -50.0f, float(n % 7) - 3.0f};
                });
                for (size_t i = 0; i < o.l.size(); ++i) {
                    ASSERT_TRUE(std::isfinite(o.l[i]) && std::isfinite(o.r[i]))
                        << "mode " << mode << " mod " << m << " at " << i;
                    ASSERT_LT(std::fabs(o.l[i]), 1e4f) << "mode " << mode;
                }
            }
}
