// The performance scenarios through the real plug-in, for what they must never do: allocate
// on the audio thread (dense patch, unison, arpeggiator storm, program changes, user-wave
// rebuilds), or leave a tail that never reaches silence.
#include "AllocationCount.h"
#include "ScenarioPatches.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace scenariopatch;
using testhost::Plugin;

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 512;
constexpr float kUserWave1 = (4 + 0.1f) / 7.99f; // "Osc 1 Type" index 4

struct Buffers {
    std::vector<float> left = std::vector<float>(kBlock), right = left, silence = left;
};

// Renders `blocks` blocks, counting allocations only while the plug-in renders; false when a
// sample is not finite.
bool render(Plugin& p, Buffers& b, int blocks, bool count) {
    float* inputs[2] = {b.silence.data(), b.silence.data()};
    float* outputs[2] = {b.left.data(), b.right.data()};
    bool finite = true;
    for (int i = 0; i < blocks; ++i) {
        alloccount::counting = count;
        p->processReplacing(p.get(), inputs, outputs, kBlock);
        alloccount::counting = false;
        for (float x : b.left) finite = finite && std::isfinite(x);
    }
    return finite;
}

TEST(HostScenarios, AudioThreadAllocatesNothingInAnyScenario) {
    if (!ZEK2_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizer runtime owns operator new";
    struct Case {
        const char* name;
        std::function<void(Plugin&)> setUp;
        std::function<void(Plugin&)> during; // between two counted stretches
    };
    const Case cases[] = {
        {"dense patch",
         [](Plugin& p) {
             setUpDensePatch(p);
             holdSixteen(p);
         },
         [](Plugin& p) { releaseSixteen(p); }},
        {"unison 96", [](Plugin& p) { voicePatch(p, 5); }, [](Plugin& p) { holdSixteen(p); }},
        {"arp storm",
         [](Plugin& p) {
             settle(p);
             setUpStorm(p);
             stormKeys(p);
         },
         [](Plugin& p) { p.setParameter(507, (8 + 0.1f) / 16.99f); }},
        {"program changes",
         [](Plugin& p) {
             settle(p);
             holdSixteen(p);
         },
         [](Plugin& p) { p.setParameter(tag::ApplyPreset, 1.0f); }},
        {"user-wave rebuilds",
         [](Plugin& p) {
             settle(p);
             holdSixteen(p);
         },
         [](Plugin& p) {
             p.setParameter(tag::Osc1Type, kUserWave1);
             for (int k = 0; k < 512; k += 37) p.setParameter(tag::UserWave1First + k, 0.9f);
         }},
    };
    for (const Case& c : cases) {
        testhost::resetHost();
        Plugin plugin(kRate, kBlock);
        c.setUp(plugin);
        Buffers buffers;
        ASSERT_TRUE(render(plugin, buffers, 4, false)) << c.name;
        testhost::host().opcodes.reserve(testhost::host().opcodes.size() + 100000);
        testhost::host().automated.reserve(10000);
        alloccount::allocations = 0;
        EXPECT_TRUE(render(plugin, buffers, 20, true)) << c.name;
        c.during(plugin);
        // Past two 4,096-sample boundaries, where a program is applied.
        EXPECT_TRUE(render(plugin, buffers, 20, true)) << c.name;
        EXPECT_EQ(alloccount::allocations.load(), 0) << c.name;
    }
}

// The dense patch's release, reverb and delay tail: below -80 dB the effect chain counts 16 s
// of silence and then sleeps, and from then on the output is exact zeros.
TEST(HostScenarios, DensePatchTailEndsInExactSilence) {
    testhost::resetHost();
    Plugin plugin(kRate, kBlock);
    setUpDensePatch(plugin);
    plugin.setParameter(tag::AmpEnvRelease, 0.6f);
    holdSixteen(plugin);
    Buffers b;
    ASSERT_TRUE(render(plugin, b, int(kRate) / kBlock, false));
    releaseSixteen(plugin);
    int firstSilentSecond = -1;
    const int blocksPerSecond = int(kRate) / kBlock;
    for (int second = 1; second <= 60; ++second) {
        bool silent = true;
        for (int i = 0; i < blocksPerSecond; ++i) {
            ASSERT_TRUE(render(plugin, b, 1, false)) << "second " << second;
            for (VstInt32 k = 0; k < kBlock; ++k)
                silent = silent && b.left[size_t(k)] == 0.0f && b.right[size_t(k)] == 0.0f;
        }
        if (firstSilentSecond < 0 && silent) firstSilentSecond = second;
        if (firstSilentSecond > 0) {
            EXPECT_TRUE(silent) << "sound again at second " << second;
            // The sanitizer build, many times slower, watches the silence for a few seconds.
            if (testenv::kSanitized && second >= firstSilentSecond + 3) break;
        }
    }
    EXPECT_GT(firstSilentSecond, 16);
    EXPECT_LT(firstSilentSecond, 60);
}

} // namespace
