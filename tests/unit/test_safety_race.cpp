// The engine shared by two threads, as a host shares it: one renders while the other changes
// programs, compares, clears the patch, edits a user wave and loads a tuning file. Run under
// ThreadSanitizer too (the suite name ends in "Race"): no race, no NaN, no lost program.
#include "RenderEngine.h"
#include "TestFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

using rendertest::Engine;

constexpr int kRounds = 40;
constexpr int kBlock = 128;
constexpr float kUserWave1 = (4 + 0.1f) / 7.99f; // "Osc 1 Type" index 4

// Renders blocks until told to stop, striking and releasing a chord now and then.
class AudioThread {
public:
    explicit AudioThread(Engine& engine) : e(engine), thread([this] { run(); }) {
        while (blocks.load() < 2) std::this_thread::yield();
    }
    ~AudioThread() { stop(); }
    void stop() {
        done = true;
        if (thread.joinable()) thread.join();
    }
    // Returns once `n` more blocks have been rendered.
    void waitBlocks(int n) const {
        const int until = blocks.load() + n;
        while (blocks.load() < until) std::this_thread::yield();
    }
    std::atomic<bool> finite{true};

private:
    void run() {
        std::vector<float> left(kBlock), right(kBlock), in(kBlock, 0.0f);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {left.data(), right.data()};
        for (int b = 0; !done.load(); ++b) {
            if (b % 48 == 0) e.midi({{0, 0x90, 48, 100}, {3, 0x90, 55, 90}, {9, 0x90, 60, 80}});
            if (b % 48 == 30) e.midi({{0, 0x80, 48, 0}, {0, 0x80, 55, 0}, {0, 0x80, 60, 0}});
            e->processReplacing(inputs, outputs, kBlock);
            for (int i = 0; i < kBlock; ++i)
                if (!std::isfinite(left[size_t(i)]) || !std::isfinite(right[size_t(i)]))
                    finite = false;
            blocks.fetch_add(1);
        }
    }
    Engine& e;
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread thread;
};

TEST(EngineRace, ProgramsCompareWavesAndTuningWhileRendering) {
    Engine e;
    const std::string folder = makeTempFolder("zek2race");
    const std::string tuning = folder + "/quarter.tun";
    writeWhole(tuning, "[Tuning]\nnote 60=6050\nnote 64=6350\n");
    const int count = e->getBuiltinPresetCount();
    ASSERT_GT(count, 3);
    {
        AudioThread audio(e);
        for (int round = 0; round < kRounds; ++round) {
            e->setDemoProgram((round * 7) % count);
            e->origProgram();
            e->editProgram();
            e->clearProgram();
            // Oscillator 1 on user wave 1, whose points change: the render rebuilds the wave.
            e->setParameter(tag::Osc1Type, kUserWave1);
            for (int k = 0; k < 8; ++k)
                e->setParameter(tag::UserWave1First + (round * 37 + k * 61) % 512,
                                float((round + k) % 10) / 9.0f);
            e->loadTuningFile(tuning, "Quarter");
            audio.waitBlocks(1);
        }
        // The last selection lands while earlier ones are still being applied; it is applied
        // after them, never dropped (a program is applied at 4,096-sample boundaries).
        const int last = 3;
        e->setDemoProgram(last);
        audio.waitBlocks(3 * 4096 / kBlock + 2);
        audio.stop();
        EXPECT_TRUE(audio.finite.load());
        EXPECT_EQ(e->getBuiltinPresetIndex(), last);
        const float* preset = e->getPresetBank().values[last];
        int differing = 0;
        for (int t = 1; t < 128; ++t)
            differing += t != tag::RibbonValue && e->getCurrentValue(t) != preset[t];
        EXPECT_EQ(differing, 0);
        EXPECT_FALSE(e->getPendingPresetApply());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
