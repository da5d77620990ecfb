// Two instances in one DAW session: each renders on an audio thread of its own while its editor
// idles in a real X11 window on its user-interface thread; the host automates every tag (the
// ribbon included) and plays notes, the user steps presets and drags the ribbon, and the host
// hands each instance's chunk to the other. Run under ThreadSanitizer, any unsynchronised
// access between the threads fails the test.
#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "RibbonPlaces.h"
#include "tests/TestEnv.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

using testhost::EditorSession;
using namespace ribbonplaces;
using testhost::Plugin;

namespace {

constexpr int kTags = 2048;
constexpr int kTagsPerBlock = 128; // every tag once in 16 blocks
constexpr int kRibbon = 127, kRibbonBipolar = 376;
constexpr VstIntPtr kKeyDown = 14; // the editor steps to the next preset

// One instance's audio thread: blocks of 256 frames at about the real rate, notes and the
// host's automation of every tag in turn, with the ribbon and its centring moving in every
// block.
class Session {
public:
    explicit Session(int seed) : plugin(44100.0f, 256), offset(seed * 37) {
        std::vector<float> left, right;
        plugin.process(8192, left, right); // the first program is applied
    }
    void startAudio() {
        audio = std::thread([this] { render(); });
    }
    void stopAudio() {
        stop = true;
        if (audio.joinable()) audio.join();
    }
    ~Session() { stopAudio(); }

    Plugin plugin;
    std::atomic<int> blocks{0};
    std::atomic<bool> clean{true};

private:
    void render() {
        std::vector<float> left, right;
        int next = 0;
        for (int block = 0; !stop.load(); ++block) {
            if (block % 8 == 0)
                plugin.sendMidi({{0, 0x90, 48 + block % 24, 100}, {40, 0x90, 60, 90}});
            if (block % 8 == 5) plugin.sendMidi({{0, 0x80, 60, 0}, {90, 0xB0, 1, block & 127}});
            for (int i = 0; i < kTagsPerBlock; ++i, next = (next + 1) % kTags)
                plugin.setParameter(next, static_cast<float>((next * 13 + block + offset) % 101) /
                                              100.0f);
            plugin.setParameter(kRibbon, static_cast<float>(block % 11) / 10.0f);
            plugin.setParameter(kRibbonBipolar, (block / 4) % 2 ? 1.0f : 0.0f);
            plugin.process(256, left, right);
            for (size_t i = 0; i < 256; ++i)
                if (!std::isfinite(left[i]) || std::fabs(left[i]) > 1.0f) clean = false;
            ++blocks;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        plugin.sendMidi({{0, 0xB0, 123, 0}});
        plugin.process(256, left, right);
    }

    std::atomic<bool> stop{false};
    std::thread audio;
    int offset;
};

// The bank chunk of `from`, taken on its user-interface thread.
std::vector<unsigned char> chunkOf(Session& from, EditorSession& ui) {
    return ui.ui([&] {
        void* data = nullptr;
        const VstIntPtr size = from.plugin.dispatch(effGetChunk, 0, 0, &data);
        std::vector<unsigned char> bytes;
        if (data && size > 0)
            bytes.assign(static_cast<unsigned char*>(data),
                         static_cast<unsigned char*>(data) + size);
        return bytes;
    });
}

} // namespace

TEST(HostDawRace, TwoInstancesRenderAndIdleWhileTheHostAutomatesAndSwapsChunks) {
    testhost::resetHost();
    // A host that takes the state as chunks.
    testhost::host().product = "REAPER";
    testhost::host().vendor = "Cockos";
    Session a(1), b(2);
    auto uiA = std::make_unique<EditorSession>(a.plugin);
    if (!uiA->ok()) ZEK2_CANNOT_RUN(uiA->whyNot());
    // The second window opens over the first: the pointer reaches b's editor.
    auto uiB = std::make_unique<EditorSession>(b.plugin);
    ASSERT_TRUE(uiB->ok()) << uiB->whyNot();
    a.startAudio();
    b.startAudio();
    for (int round = 0; round < 4; ++round) {
        // The user steps both editors to their next preset and drags b's ribbon.
        uiA->uiCall([&] { a.plugin.dispatch(effEditKeyDown, 0, kKeyDown); });
        uiB->uiCall([&] { b.plugin.dispatch(effEditKeyDown, 0, kKeyDown); });
        uiB->drag(kRibbonLeft, kRibbonY, kRibbonRight - 100 * round, kRibbonY, 4);
        if (round == 2) uiB->click(kEasyX, kEasyY);
        // The host hands each instance's state to the other, as a copy of a track does.
        const std::vector<unsigned char> fromA = chunkOf(a, *uiA);
        const std::vector<unsigned char> fromB = chunkOf(b, *uiB);
        ASSERT_FALSE(fromA.empty());
        ASSERT_FALSE(fromB.empty());
        uiB->uiCall([&] {
            b.plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(fromA.size()),
                              const_cast<unsigned char*>(fromA.data()));
        });
        uiA->uiCall([&] {
            a.plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(fromB.size()),
                              const_cast<unsigned char*>(fromB.data()));
        });
        uiA->idles(4);
        uiB->idles(4);
    }
    // Every tag went through the host's automation at least twice on both instances.
    EXPECT_TRUE(EditorSession::waitFor(
        [&] { return a.blocks.load() >= 32 && b.blocks.load() >= 32; }, 20000));
    a.stopAudio();
    b.stopAudio();
    uiB->close();
    uiA->close();
    EXPECT_TRUE(a.clean.load());
    EXPECT_TRUE(b.clean.load());
    for (Session* s : {&a, &b})
        for (int t = 0; t < kTags; ++t) {
            const float v = s->plugin.getParameter(t);
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << t;
        }
}
