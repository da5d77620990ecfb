// The waveshaper, low-fi and voice-distortion positions of the voice path, run on the engine's
// path buffers for one voice, and the distortion modes' static curves.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/VoiceDistortModes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// An engine with voice 0 playing one sub-voice in slot 0, whose path input is `in`.
struct StageRig {
    std::unique_ptr<APlugin> e = std::make_unique<APlugin>(nullptr);

    explicit StageRig(float rate = 48000.0f) {
        e->setSampleRate(rate);
        e->subVoiceCount = 1;
        e->subVoiceList[0][0] = 0;
        e->subVoiceList[1][0] = 0;
    }
    void set(int tag, float value) { e->setParameter(tag, value); }
    void input(stereoOverStruct a, stereoOverStruct b) {
        e->pathIn[0][0] = e->pathOut[0][0] = a;
        e->pathIn[0][1] = e->pathOut[0][1] = b;
    }
    // Lets the 0.9/0.1 smoothing of mixes and knobs settle, then runs one pass of the stage.
    template <class Stage> void settle(Stage stage, int passes = 300) {
        for (int i = 0; i < passes; ++i) {
            e->setVoiceStages(0);
            (e.get()->*stage)();
        }
    }
    stereoOverStruct out(int frame) const { return e->pathOut[0][frame]; }
};

const stereoOverStruct kFrameA{{0.25f, -0.5f}, {0.75f, -0.125f}};
const stereoOverStruct kFrameB{{0.5f, 0.5f}, {-0.25f, -0.75f}};

void expectFrame(const stereoOverStruct& got, const stereoOverStruct& want, float tol = 1e-6f) {
    EXPECT_NEAR(got.first.left, want.first.left, tol);
    EXPECT_NEAR(got.first.right, want.first.right, tol);
    EXPECT_NEAR(got.second.left, want.second.left, tol);
    EXPECT_NEAR(got.second.right, want.second.right, tol);
}

stereoOverStruct scaled(const stereoOverStruct& f, float g) {
    return {{f.first.left * g, f.first.right * g}, {f.second.left * g, f.second.right * g}};
}

} // namespace

TEST(StagesVoice, WaveShaperMixTopAndRectification) {
    StageRig r;
    r.set(tag::WaveShaperOn, 1.0f);
    r.set(tag::WaveShaperTop, 0.0f);
    r.set(tag::WaveShaperBottom, 0.0f);
    r.set(tag::WaveShaperRectification, 0.0f);
    r.set(tag::WaveShaperMix, 0.0f);
    r.input(kFrameA, kFrameB);
    r.settle(&APlugin::doWaveShaper);
    expectFrame(r.out(0), kFrameA); // mix 0: dry only

    r.set(tag::WaveShaperMix, 0.5f); // dry and wet both at full level, no folding at Top 0
    r.settle(&APlugin::doWaveShaper);
    expectFrame(r.out(0), scaled(kFrameA, 2.0f), 1e-4f);

    r.set(tag::WaveShaperMix, 1.0f);
    r.set(tag::WaveShaperRectification, 1.0f); // the negative half turns over
    r.settle(&APlugin::doWaveShaper);
    EXPECT_NEAR(r.out(0).first.right, 0.5f, 1e-4f);
    EXPECT_NEAR(r.out(1).second.right, 0.75f, 1e-4f);
    EXPECT_NEAR(r.out(0).first.left, 0.25f, 1e-4f);

    // Top 1 folds: 0.25 x 15 x 65536 lands three quarters round the cosine, near zero.
    r.set(tag::WaveShaperTop, 1.0f);
    r.settle(&APlugin::doWaveShaper);
    EXPECT_NEAR(r.out(0).first.left, 0.0f, 1e-3f);
}

TEST(StagesVoice, LowFiHoldsQuantisesAndFilters) {
    StageRig r;
    r.set(tag::LowFiOn, 1.0f);
    r.set(tag::LowFiMix, 1.0f);
    r.set(tag::LowFiBits, 1.0f); // steps of 1 / sqrt(2)
    r.set(tag::LowFiSampleRate, 0.0f);
    r.set(tag::LowFiNoise, 0.0f);
    r.set(tag::LowFiLowPassFrequency, 1.0f); // filter bypassed
    const stereoOverStruct a{{0.8f, -0.8f}, {0.8f, -0.8f}}, b{{0.5f, 0.0f}, {0.5f, 0.0f}};
    r.input(a, b);
    r.settle(&APlugin::doLowFi);
    const float step = 1.0f / std::sqrt(2.0f);
    expectFrame(r.out(0), {{step, -step}, {step, -step}}, 1e-5f);
    expectFrame(r.out(1), {{0.0f, 0.0f}, {0.0f, 0.0f}}, 1e-5f); // 0.5 is under one step

    // Sample rate 1 holds a value for 32 frames: a new input is heard only after that.
    r.set(tag::LowFiBits, 0.0f); // practically transparent
    r.set(tag::LowFiSampleRate, 1.0f);
    r.settle(&APlugin::doLowFi, 64);
    r.input({{0.3f, 0.3f}, {0.3f, 0.3f}}, {{0.3f, 0.3f}, {0.3f, 0.3f}});
    int framesUntilHeard = 0;
    do {
        r.e->doLowFi();
        framesUntilHeard += 2;
    } while (std::fabs(r.out(1).first.left - 0.3f) > 1e-3f && framesUntilHeard < 100);
    EXPECT_LE(framesUntilHeard, 34);
    EXPECT_GE(framesUntilHeard, 4);

    // The output low-pass below 0.99 smooths a step.
    r.set(tag::LowFiSampleRate, 0.0f);
    r.set(tag::LowFiLowPassFrequency, 0.3f);
    r.input(a, a);
    r.settle(&APlugin::doLowFi, 1);
    EXPECT_LT(std::fabs(r.out(0).first.left), 0.5f);
    r.settle(&APlugin::doLowFi, 2000);
    EXPECT_NEAR(r.out(1).second.left, 0.8f * 1.4142135f, 0.05f);
}

TEST(StagesVoice, DistortionMixAndPreBoost) {
    StageRig r;
    r.set(tag::VoiceDistortionOn, 1.0f);
    r.e->setSteppedValue(tag::VoiceDistortionMode, 13); // "Overdrive"
    r.set(tag::Distortion1, 0.8f);
    r.set(tag::Distortion5, 1.0f);
    r.set(tag::Distortion6, 0.0f);
    r.set(tag::VoiceDistortionMix, 0.0f);
    r.input(kFrameA, kFrameB);
    r.settle(&APlugin::doVoiceDistort);
    expectFrame(r.out(0), kFrameA, 0.0f); // mix 0 passes the input exactly
    expectFrame(r.out(1), kFrameB, 0.0f);

    // Pre-Boost 0 feeds silence to the shaping: at full mix the output is silent too.
    StageRig q;
    q.set(tag::VoiceDistortionOn, 1.0f);
    q.e->setSteppedValue(tag::VoiceDistortionMode, 13);
    q.set(tag::Distortion1, 0.0f);
    q.set(tag::VoiceDistortionMix, 1.0f);
    q.input(kFrameA, kFrameB);
    q.settle(&APlugin::doVoiceDistort);
    expectFrame(q.out(1), {}, 1e-6f);
}

TEST(StagesVoice, EveryModeStaysBoundedAndClipperIsStableAtLowRates) {
    // Each voice mode at extreme knobs, loud input, a low host rate: finite and within +-2
    // (dry at most 1 plus the wet part limited to 1).
    StageRig r(8000.0f);
    r.set(tag::VoiceDistortionOn, 1.0f);
    r.set(tag::VoiceDistortionMix, 0.5f);
    for (int mode = 0; mode < DISTORT_VOICE_MODE_COUNT; ++mode) {
        r.e->setSteppedValue(tag::VoiceDistortionMode, mode);
        for (float knob : {0.0f, 1.0f}) {
            for (int k = 0; k < 7; ++k) r.set(tag::Distortion1 + k, knob);
            r.set(tag::Distortion4, 1.0f - knob); // the level matching too
            for (int pass = 0; pass < 400; ++pass) {
                const float s = (pass % 7) * 0.3f - 0.9f;
                r.input({{s, -s}, {s * 0.5f, s}}, {{-s, s}, {s, 0.2f}});
                r.e->setVoiceStages(0);
                r.e->doVoiceDistort();
                for (int f = 0; f < 2; ++f) {
                    const stereoOverStruct o = r.out(f);
                    for (float v : {o.first.left, o.first.right, o.second.left, o.second.right}) {
                        ASSERT_TRUE(std::isfinite(v)) << "mode " << mode;
                        ASSERT_LE(std::fabs(v), 2.0f) << "mode " << mode;
                    }
                }
            }
        }
    }
    // "Transient" passes the band of levels r .. 2r (r = 0.05 at Range 0) as a triangle that
    // starts from 0 at both edges: a steady level just inside an edge, at full Amount, 0 dB
    // boosts and the filters open, comes out near silent, not at the clamp.
    StageRig t;
    t.set(tag::VoiceDistortionOn, 1.0f);
    t.e->setSteppedValue(tag::VoiceDistortionMode, 20); // "Transient"
    t.set(tag::VoiceDistortionMix, 1.0f);
    const float knobs[7] = {0.5f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f};
    for (int k = 0; k < 7; ++k) t.set(tag::Distortion1 + k, knobs[k]);
    t.input({}, {});
    t.settle(&APlugin::doVoiceDistort);
    auto peakAt = [&](float level) {
        const stereoOverStruct f{{level, level}, {level, level}};
        t.input(f, f);
        float peak = 0.0f;
        for (int pass = 0; pass < 200; ++pass) {
            t.e->setVoiceStages(0);
            t.e->doVoiceDistort();
            peak = std::fmax(peak, std::fabs(t.out(1).second.left));
        }
        return peak;
    };
    for (float level : {0.0501f, 0.0999f, -0.0501f}) EXPECT_LT(peakAt(level), 0.01f) << level;
    // Its middle, 1.5 r, reaches Amount (0.707 of it after the output gain).
    EXPECT_GT(peakAt(0.075f), 0.5f);

    // The Clipper's one-pole coefficients never pass 1, whatever the rate.
    float c[voicedistort::kCoeffs] = {};
    voicedistort::computeCoeffs(voicedistort::Clipper, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 8000.0f, c);
    EXPECT_LE(c[2], 1.0f);
    EXPECT_LE(c[3], 1.0f);
}
