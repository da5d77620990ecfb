// The engine over long runs and from two threads: its 64-bit counters crossing 2^32 and 2^63
// change nothing that is heard, every block runs with denormals flushed and gives the host its
// own floating-point mode back, and resets asked for by another thread than the render's wait
// for the next block (or run at once while the host has the plug-in suspended).
#include "RenderEngine.h"

#include <gtest/gtest.h>

#include <xmmintrin.h>

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

// The floating-point control word the engine had when it asked the host for the time.
unsigned csrDuringBlock = 0;
VstIntPtr timeAskingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) csrDuringBlock = _mm_getcsr();
    return 0;
}

TEST(EngineDenormals, EveryBlockFlushesDenormalsAndGivesTheHostItsModeBack) {
    constexpr unsigned kFlushToZero = 0x8000, kDenormalsAreZero = 0x0040, kStatusFlags = 0x3F;
    const std::string folder = makeTempFolder("zek2csr");
    setPrefsFileForTesting(folder + "/prefs.conf");
    {
        auto engine = std::make_unique<APlugin>(timeAskingHost);
        engine->setSampleRate(48000.0f);
        std::vector<float> out(256), in(256, 0.0f);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {out.data(), out.data()};
        const unsigned hostMode = _mm_getcsr();
        _mm_setcsr(hostMode & ~(kFlushToZero | kDenormalsAreZero));
        for (int block = 0; block < 3; ++block) {
            csrDuringBlock = 0;
            engine->processReplacing(inputs, outputs, 256);
            EXPECT_EQ(csrDuringBlock & (kFlushToZero | kDenormalsAreZero),
                      kFlushToZero | kDenormalsAreZero);
            EXPECT_EQ(_mm_getcsr() & ~kStatusFlags,
                      hostMode & ~(kFlushToZero | kDenormalsAreZero | kStatusFlags));
        }
        _mm_setcsr(hostMode);
    }
    setPrefsFileForTesting("");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
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

// The ribbon's spring belongs to the render: the editor's stop and start are wishes the next
// ribbon update serves, the last one counting, and the render's own start (the MIDI spring)
// does not undo a hold the editor asked for meanwhile.
TEST(EngineRequests, TheEditorsRibbonSpringWishesAreServedByTheRender) {
    Engine e;
    e->setParameter(tag::RibbonBipolarOn, 0.0f);
    e->setSteppedValue(tag::RibbonSpringTime, 12); // a quarter of a whole note
    e->setParameter(tag::RibbonValue, 1.0f);
    e.render(256);
    ASSERT_FALSE(e->getRibbonSpringActive());

    // Pressed and released between two blocks: the glide starts with the next update.
    std::thread([&] {
        e->setRibbbonSpringOff();
        e->setRibbonSpringOn();
    }).join();
    EXPECT_FALSE(e->getRibbonSpringActive());
    EXPECT_TRUE(e->isRibbonSpringGliding());
    e.render(16);
    EXPECT_TRUE(e->getRibbonSpringActive());
    e.render(256);
    EXPECT_LT(e->getParameter(tag::RibbonValue), 1.0f);

    // Held again from the editor while the render starts the spring of its own.
    std::thread([&] { e->setRibbbonSpringOff(); }).join();
    EXPECT_FALSE(e->isRibbonSpringGliding());
    e->setRibbonSpringOn();
    e.render(16);
    EXPECT_FALSE(e->getRibbonSpringActive());
    const float held = e->getParameter(tag::RibbonValue);
    e.render(1024);
    EXPECT_EQ(e->getParameter(tag::RibbonValue), held);
}

} // namespace
