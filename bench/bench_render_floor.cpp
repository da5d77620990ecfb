// The render loop's own cost through the real plug-in: "idle floor" (no notes, the default
// sound with the brick filter on, blocks of 128 and 32 frames at 48 kHz; target below 0.002 of
// a core) and "MIDI storm" (200 events in every block for 10 seconds; the CPU time of the
// worst block as a fraction of the block's duration, where a dropout would be heard).
#include "bench/Scenarios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#endif

namespace {

constexpr float kRate = 48000.0f;

void IdleFloor(benchmark::State& state) {
    const VstInt32 block = static_cast<VstInt32>(state.range(0));
    testhost::resetHost();
    testhost::Plugin plugin(kRate, block);
    plugin.setParameter(256, 1.0f); // Brick Filter On/Off
    const size_t frames = static_cast<size_t>(block);
    std::vector<float> left(frames), right(frames), silence(frames);
    float* inputs[2] = {silence.data(), silence.data()};
    float* outputs[2] = {left.data(), right.data()};
    for (auto _ : state) {
        plugin->processReplacing(plugin.get(), inputs, outputs, block);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["rtf"] =
        benchmark::Counter(double(block) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}
BENCHMARK(IdleFloor)->Name("idle floor")->Arg(128)->Arg(32);

// One block of the slept floor, out of line so a profiler can count only these calls
// (valgrind --tool=callgrind --instr-atstart=no --collect-atstart=no
// --toggle-collect='*renderSleptBlock*'; the set-up then runs uninstrumented).
[[gnu::noinline]] void renderSleptBlock(AEffect* effect, float** inputs, float** outputs,
                                        VstInt32 block) {
    effect->processReplacing(effect, inputs, outputs, block);
}

// The dense patch's sixteen keys held, released, and its tail left to die away for a minute
// (as the table's "slept floor"): the cost of a block once the effect chain sleeps. The slept
// plug-in is made once per block size and kept (never closed), since the benchmark library
// calls this function several times and the set-up renders a minute of the dense patch.
testhost::Plugin& sleptPlugin(VstInt32 block) {
    static testhost::Plugin* slept[2] = {nullptr, nullptr};
    testhost::Plugin*& plugin = slept[block == 128 ? 0 : 1];
    if (plugin) return *plugin;
    testhost::resetHost();
    plugin = new testhost::Plugin(kRate, block);
    scenariopatch::setUpDensePatch(*plugin);
    plugin->setParameter(tag::AmpEnvRelease, 0.6f);
    scenariopatch::holdSixteen(*plugin);
    std::vector<float> l, r;
    for (int i = 0; i < 24; ++i) plugin->process(4096, l, r);
    scenariopatch::releaseSixteen(*plugin);
    for (int i = 0; i < 60 * 12; ++i) plugin->process(4096, l, r);
    return *plugin;
}

void SleptFloor(benchmark::State& state) {
    const VstInt32 block = static_cast<VstInt32>(state.range(0));
    testhost::Plugin& plugin = sleptPlugin(block);
    const size_t frames = static_cast<size_t>(block);
    std::vector<float> left(frames), right(frames), silence(frames);
    float* inputs[2] = {silence.data(), silence.data()};
    float* outputs[2] = {left.data(), right.data()};
    CALLGRIND_START_INSTRUMENTATION;
    for (auto _ : state) {
        renderSleptBlock(plugin.get(), inputs, outputs, block);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["rtf"] =
        benchmark::Counter(double(block) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}
BENCHMARK(SleptFloor)->Name("slept floor")->Arg(128)->Arg(32);

void MidiStorm(benchmark::State& state) {
    constexpr VstInt32 kBlock = 512;
    constexpr int kEventsPerBlock = 200;
    const int blocks = static_cast<int>(10.0f * kRate / kBlock);
    testhost::resetHost();
    double worst = 0.0, total = 0.0;
    for (auto _ : state) {
        testhost::Plugin plugin(kRate, kBlock);
        std::vector<float> left, right;
        plugin.process(kBlock, left, right);
        // The storm: notes on and off, controllers, bend and pressure spread over the block.
        std::vector<std::array<int, 4>> events(kEventsPerBlock);
        for (int b = 0; b < blocks; ++b) {
            for (int i = 0; i < kEventsPerBlock; ++i) {
                const int key = 36 + (b * 7 + i) % 60;
                const int kinds[5] = {0x90, 0x80, 0xB0, 0xE0, 0xD0};
                const int status = kinds[i % 5];
                events[size_t(i)] = {i * kBlock / kEventsPerBlock, status,
                                     status == 0xB0 ? (i % 2 ? 1 : 74) : key, 1 + (i * 13) % 126};
            }
            const double start = bench::threadSeconds();
            plugin.sendMidi(events);
            plugin.process(kBlock, left, right);
            const double spent = bench::threadSeconds() - start;
            worst = std::max(worst, spent);
            total += spent;
            benchmark::DoNotOptimize(left.data());
        }
    }
    const double blockSeconds = kBlock / double(kRate);
    state.counters["worst_block"] = worst / blockSeconds;
    state.counters["rtf"] = total / (double(state.iterations()) * blocks * blockSeconds);
}
BENCHMARK(MidiStorm)->Name("MIDI storm")->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
