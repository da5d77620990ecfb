// A host that saves the state on one thread while the user loads states on another, beside the
// render: every save is one whole loaded state, and the block a save was given keeps its bytes
// until the next save. Under ThreadSanitizer any unsynchronised access fails the test.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace testhost;

namespace {

constexpr VstInt32 kChunkBytes = 8224;
using Chunk = std::vector<unsigned char>;

Chunk takeChunk(Plugin& plugin) {
    void* data = nullptr;
    if (plugin.dispatch(effGetChunk, 0, 0, &data) != kChunkBytes || !data) return {};
    return Chunk(static_cast<unsigned char*>(data),
                 static_cast<unsigned char*>(data) + kChunkBytes);
}

// Loads `chunk` under `name` and renders until the engine has applied it; returns what a save
// then gives, which later loads of it give again (the apply rewrites nothing of it).
Chunk loadNamed(Plugin& plugin, Chunk chunk, const char* name) {
    std::strcpy(reinterpret_cast<char*>(chunk.data() + 8192), name);
    plugin.dispatch(effSetChunk, 0, kChunkBytes, chunk.data());
    std::vector<float> left, right;
    for (int i = 0; i < 4; ++i) plugin.process(4096, left, right);
    return takeChunk(plugin);
}

} // namespace

TEST(HostChunkRace, SavesDuringLoadsAreWholeAndStayPutUntilTheNextSave) {
    resetHost();
    host().product = "REAPER"; // a host that takes the state as chunks
    host().vendor = "Cockos";
    Plugin plugin(44100.0f, 256);
    const Chunk a = loadNamed(plugin, takeChunk(plugin), "State A");
    plugin.setParameter(1, 0.3125f);
    plugin.setParameter(1024, 0.777f);
    const Chunk b = loadNamed(plugin, takeChunk(plugin), "State B");
    ASSERT_EQ(loadNamed(plugin, a, "State A"), a);

    std::atomic<bool> stop{false};
    std::atomic<int> loads{0}, blocks{0};
    std::thread audio([&] {
        std::vector<float> left, right;
        for (int block = 0; !stop; ++block) {
            if (block % 8 == 0) plugin.sendMidi({{0, 0x90, 48 + block % 12, 90}});
            if (block % 8 == 6) plugin.sendMidi({{0, 0x80, 48 + block % 12, 0}});
            plugin.process(256, left, right);
            ++blocks;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    std::thread loader([&] {
        for (int n = 0; !stop; ++n, ++loads)
            plugin.dispatch(effSetChunk, 0, kChunkBytes,
                            const_cast<unsigned char*>((n % 2 ? b : a).data()));
    });
    // Saves go on until the render has applied loads for a while beside them.
    int saves = 0, torn = 0, moved = 0;
    for (; saves < 150 || blocks < 64; ++saves) {
        void* data = nullptr;
        if (plugin.dispatch(effGetChunk, 0, 0, &data) != kChunkBytes || !data) break;
        const auto* held = static_cast<const unsigned char*>(data);
        const Chunk saved(held, held + kChunkBytes);
        torn += saved != a && saved != b; // the values of one state with the name of the other
        // Loads go on while the host still writes out the block it was given.
        for (const int seen = loads; loads < seen + 2;) std::this_thread::yield();
        moved += std::memcmp(held, saved.data(), kChunkBytes) != 0;
    }
    stop = true;
    loader.join();
    audio.join();
    EXPECT_GE(saves, 150);
    EXPECT_EQ(torn, 0) << "of " << saves << " saves mixed two states";
    EXPECT_EQ(moved, 0) << "of " << saves << " saved blocks changed before the next save";
}
