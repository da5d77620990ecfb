// The LFOs: speed free and synced, the period of the published global source, the bits and
// sample-and-hold stages, a stopped LFO, a voice LFO's start delay, the shape clamp, the morph
// LFO with stopped inputs and the Free LFO 1/2 combination modes.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr int kMainLfoSource = 60, kFreeLfo12Source = 66;
constexpr int kMainLfoShape = 256, kMainLfoDelay = 257, kMainLfoBits = 260, kMainLfoHold = 261;
constexpr int kWaveSine = 0, kWaveSquare = 4;

std::unique_ptr<APlugin> makeEngine() {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    for (int s = 0; s < 16; ++s) e->setParameter(tag::ModDestFirst + s, 0.0f);
    e->setModSlotTable();
    e->setParameter(tag::MainLfoSyncOn, 0.0f);
    e->setParameter(tag::MainLfoSpeedModAmount, 0.5f); // no speed modulation
    e->setSteppedValue(tag::MainLfoPhase, 0);
    e->setSteppedValue(tag::MainLfoWave, kWaveSine);
    e->setSteppedValue(tag::MainLfoPlayMode, 0); // "Poly": each voice runs its own
    for (int d = 254; d <= 262; ++d) e->globalDest[d] = 0.0f;
    e->globalDest[12] = 0.0f;
    return e;
}

// Free speed knob for a frequency: 110 x 2^(14 (x - 1)) Hz.
float speedKnobFor(double hz) {
    return static_cast<float>(1.0 + std::log2(hz / 110.0) / 14.0);
}

// Runs the global sources for n samples and returns the published Main LFO.
std::vector<float> renderMainLfo(APlugin& e, int n) {
    e.setGlobalLFOSettings();
    std::vector<float> out(n);
    for (int i = 0; i < n; ++i) {
        e.doGlobalSources();
        out[i] = e.lastVoiceSource[kMainLfoSource];
        ++e.sampleCounter;
    }
    return out;
}

double risingCrossingsPerSecond(const std::vector<float>& v) {
    int first = -1, last = -1, count = 0;
    for (size_t i = 1; i < v.size(); ++i)
        if (v[i - 1] < 0.0f && v[i] >= 0.0f) {
            if (first < 0) first = static_cast<int>(i);
            last = static_cast<int>(i);
            ++count;
        }
    if (count < 2) return 0.0;
    return (count - 1) * kRate / (last - first);
}

} // namespace

TEST(ModLfo, SpeedFreeAndSyncedAndThePublishedPeriod) {
    auto e = makeEngine();
    e->setParameter(tag::MainLfoSpeed, speedKnobFor(6.0));
    EXPECT_NEAR(risingCrossingsPerSecond(renderMainLfo(*e, 48000)), 6.0, 0.05);
    // The speed destination doubles the rate per half unit: 2^(2 m).
    e->globalDest[254] = 0.5f;
    EXPECT_NEAR(risingCrossingsPerSecond(renderMainLfo(*e, 48000)), 12.0, 0.1);
    e->globalDest[254] = 0.0f;
    e->setParameter(tag::MainLfoSyncOn, 1.0f);
    e->setParameter(tag::MainLfoSpeed, 23.0f / 33.99f); // "1/8": one beat, 2 Hz at 120 BPM
    EXPECT_NEAR(risingCrossingsPerSecond(renderMainLfo(*e, 96000)), 2.0, 0.02);
}

TEST(ModLfo, BitsSampleAndHoldAndAStoppedLfo) {
    auto e = makeEngine();
    e->setParameter(tag::MainLfoSpeed, speedKnobFor(50.0));
    e->globalDest[kMainLfoBits] = 1.0f; // one level each side: -1, 0, 1 only
    e->setGlobalLFOSettings();
    std::set<int> levels;
    for (int i = 0; i < 9600; ++i) {
        e->doGlobalSources();
        ++e->sampleCounter;
        // Each step's output; the published source ramps between them over four samples.
        const float v = e->getGlobalLFO(2).run.output;
        const float r = std::round(v);
        ASSERT_NEAR(v, r, 1e-6f);
        levels.insert(static_cast<int>(r));
    }
    EXPECT_EQ(levels, (std::set<int>{-1, 0, 1}));

    // Sample and hold at 0.5: the value changes only every 4 / 2^-8 = 256 samples.
    e->globalDest[kMainLfoBits] = 0.0f;
    e->globalDest[kMainLfoHold] = 0.5f;
    e->setGlobalLFOSettings();
    int changes = 0, lastChange = -1;
    float previous = e->getGlobalLFO(2).run.output;
    for (int i = 0; i < 48000; ++i) {
        e->doGlobalSources();
        ++e->sampleCounter;
        const float v = e->getGlobalLFO(2).run.output;
        if (v == previous) continue;
        if (lastChange >= 0) {
            EXPECT_EQ((i - lastChange) % 256, 0) << "at sample " << i;
        }
        lastChange = i;
        previous = v;
        ++changes;
    }
    EXPECT_GT(changes, 150);

    // Stopped: the output settles at 0.
    e->globalDest[kMainLfoHold] = 0.0f;
    e->setParameter(tag::MainLfoSpeed, 0.0f);
    std::vector<float> stopped = renderMainLfo(*e, 4800);
    EXPECT_NEAR(stopped.back(), 0.0f, 1e-5f); // within one quantiser level
}

TEST(ModLfo, ShapeAndMorphStayFiniteWhereTheyOnceDividedByZero) {
    auto e = makeEngine();
    // Two slots' worth on the shape destination put the warp point at 0 or 1.
    e->setParameter(tag::MainLfoSpeed, speedKnobFor(40.0));
    for (float shape : {2.0f, -2.0f, 1.0f, -1.0f}) {
        e->globalDest[kMainLfoShape] = shape;
        for (float v : renderMainLfo(*e, 4800)) ASSERT_TRUE(std::isfinite(v)) << shape;
    }
    // The morph LFO between two stopped LFOs (increment 0) stands still instead of NaN.
    e->setParameter(tag::ModSourceFirst, (kFreeLfo12Source + 0.1f) / 127.99f);
    e->setParameter(tag::ModDestFirst, (114 + 0.1f) / 399.99f);
    e->setModSlotTable();
    e->setSteppedValue(tag::FreeLfo12Mode, 12);
    e->setParameter(tag::FreeLfo1Speed, 0.0f);
    e->setParameter(tag::FreeLfo2Speed, 0.0f);
    for (float amount : {0.0f, 0.5f, 1.0f}) {
        e->setParameter(tag::FreeLfo12Amount, amount);
        e->setGlobalLFOSettings();
        for (int i = 0; i < 4800; ++i) {
            e->doGlobalSources();
            ++e->sampleCounter;
            ASSERT_TRUE(std::isfinite(e->lastVoiceSource[kFreeLfo12Source])) << amount;
        }
    }
}
