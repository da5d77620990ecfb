// The audio thread allocates nothing: every operator new of the process, the plug-in's
// included, is counted while a block is rendered. (Skipped in sanitizer builds, whose runtime
// owns operator new.)
#include "AllocationCount.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace alloccount {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
} // namespace alloccount
using alloccount::allocations;
using alloccount::counting;

#if ZEK2_COUNT_ALLOCATIONS
// The test executable exports these, so the loaded plug-in's allocations come here too.
void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
#endif

using namespace testhost;

TEST(HostAudioThread, RenderingMidiAndProgramChangesAllocatesNothing) {
    if (!ZEK2_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizer runtime owns operator new";
    resetHost();
    Plugin plugin;
    std::vector<float> left(8193), right(8193), in(8193, 0.0f);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    plugin->processReplacing(plugin.get(), inputs, outputs, 64); // first program applied

    // A MIDI block built before counting, as a host owns its event memory.
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof(VstMidiEvent);
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);

    // The test host records every request; its own bookkeeping must not count.
    host().opcodes.reserve(host().opcodes.size() + 100000);
    host().automated.reserve(1000);
    counting = true;
    plugin.setParameter(1018, 1.0f); // a program change, applied on the audio thread
    plugin.setParameter(1, 0.25f);
    plugin.dispatch(effProcessEvents, 0, 0, &events);
    for (int block = 0; block < 4; ++block)
        plugin->processReplacing(plugin.get(), inputs, outputs, 8192);
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}
