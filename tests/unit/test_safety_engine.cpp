// The engine over long runs and from two threads: its 64-bit counters crossing 2^32 and 2^63
// change nothing that is heard, and resets asked for by another thread than the render's wait
// for the next block (or run at once while the host has the plug-in suspended).
#include "RenderEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

using rendertest::Engine;

// Voices that are stolen, a pitch LFO, the gater, delay and reverb: everything that keeps a
// position or an index.
void busyPatch(Engine& e) {
    e->setParameter(tag::MainLfoSpeed, 0.6f);
    e->setParameter(tag::Osc1LfoToPitch, 0.7f);
    e->setParameter(tag::BypassFxOn, 0.0f);
    for (int t : {tag::GaterOn, tag::DelayOn, tag::ReverbOn}) e->setParameter(t, 1.0f);
    e->setParameter(tag::GaterMix, 1.0f);
    e->setParameter(tag::GaterSpeed, 0.8f);
    e.settle();
}

// Twenty notes on sixteen voices, a new one every 2,048 samples, then a release tail.
std::vector<float> play(Engine& e) {
    std::vector<float> out;
    auto keep = [&] {
        for (size_t i = 0; i < e.left.size(); ++i) {
            out.push_back(e.left[i]);
            out.push_back(e.right[i]);
        }
    };
    for (int n = 0; n < 20; ++n) {
        e.midi({{0, 0x90, 40 + 2 * n, 90}});
        e.render(2048);
        keep();
    }
    for (int n = 0; n < 20; ++n) e.midi({{0, 0x80, 40 + 2 * n, 0}});
    e.render(8192);
    keep();
    return out;
}

TEST(EngineCounters, PlayingAcrossTheWrapOf32And63BitsSoundsAsFromZero) {
    Engine reference;
    busyPatch(reference);
    reference->setCountersForTesting(0);
    const std::vector<float> expected = play(reference);
    float peak = 0.0f;
    for (float x : expected) peak = std::max(peak, std::fabs(x));
    ASSERT_GT(peak, 0.01f);

    // The starts share the low 14 bits of zero, so every periodic task falls on the same
    // samples; the 40,960 samples played cross 2^32 (or 2^63) after 16,384.
    for (uint64_t start : {(uint64_t{1} << 32) - 16384, (uint64_t{1} << 63) - 16384}) {
        Engine e;
        busyPatch(e);
        e->setCountersForTesting(start);
        const std::vector<float> heard = play(e);
        ASSERT_EQ(heard.size(), expected.size());
        size_t differing = 0;
        for (size_t i = 0; i < heard.size(); ++i)
            differing += !(std::fabs(heard[i] - expected[i]) <= 1e-6f);
        EXPECT_EQ(differing, 0u) << "counters from " << start;
        EXPECT_GT(e->getSampleCounter(), start + 40960);
    }
}

TEST(EngineRequests, ResetsOfAnotherThreadWaitForTheNextBlockOrRunAtOnceWhenSuspended) {
    Engine e; // renders on this thread, as the host's audio thread would
    e.play({{0x90, 60, 100}});
    e.render(256);
    ASSERT_EQ(e.pressedCount(), 1);

    // Init patch from the editor's thread: the values at once, the reset with the next block.
    std::thread([&] { e->clearProgram(); }).join();
    EXPECT_EQ(e->getCurrentValue(tag::MainVolume), e->getDefaultValue(tag::MainVolume));
    EXPECT_EQ(e.pressedCount(), 1);
    EXPECT_EQ(e->getPendingEngineRequests(), uint32_t(APlugin::kRequestReset));
    e.render(1);
    EXPECT_EQ(e.pressedCount(), 0);
    EXPECT_EQ(e->getPendingEngineRequests(), 0u);

    // The preview note: pressed and released between two blocks, the last wish counts.
    std::thread([&] { e->previewNoteOn(); }).join();
    EXPECT_EQ(e.pressedCount(), 0);
    e.render(1);
    EXPECT_EQ(e.pressedCount(), 1);
    std::thread([&] {
        e->previewNoteReleased();
        e->previewNoteOn();
        e->previewNoteReleased();
    }).join();
    e.render(1);
    EXPECT_EQ(e.pressedCount(), 0);

    // The audio thread's own calls are served at once.
    e.play({{0x90, 64, 100}});
    e->reset();
    EXPECT_EQ(e.pressedCount(), 0);

    // Suspended: no block follows, so the caller's thread does the work.
    e.play({{0x90, 67, 100}});
    e->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_FALSE(e->getRenderRunning());
    std::thread([&] { e->previewNoteOn(); }).join();
    EXPECT_EQ(e.pressedCount(), 1);
    std::thread([&] { e->origProgram(); }).join();
    EXPECT_EQ(e.pressedCount(), 0);
    EXPECT_EQ(e->getPendingEngineRequests(), 0u);
    e->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    EXPECT_TRUE(e->getRenderRunning());
}

} // namespace
