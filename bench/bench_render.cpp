// Real-time factor of rendering through the real plug-in: CPU time spent per second of audio
// ("rtf", lower is better; 1.0 means exactly real time on one core).
#include "tests/host/TestHost.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 512;

void reportRealTimeFactor(benchmark::State& state, VstInt32 framesPerIteration) {
    state.counters["rtf"] = benchmark::Counter(double(framesPerIteration) / kRate,
                                               benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

// An idle instance: no notes, default sound.
void BM_RenderIdle(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    std::vector<float> left, right;
    for (auto _ : state) {
        plugin.process(kBlock, left, right);
        benchmark::DoNotOptimize(left.data());
    }
    reportRealTimeFactor(state, kBlock);
}
BENCHMARK(BM_RenderIdle);

// A stream of MIDI notes arriving every block.
void BM_RenderWithMidi(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    std::vector<float> left, right;
    int note = 0;
    for (auto _ : state) {
        plugin.sendMidi({{0, 0x90, 48 + note % 24, 100}, {kBlock / 2, 0x80, 48 + note % 24, 0}});
        ++note;
        plugin.process(kBlock, left, right);
        benchmark::DoNotOptimize(left.data());
    }
    reportRealTimeFactor(state, kBlock);
}
BENCHMARK(BM_RenderWithMidi);

} // namespace
