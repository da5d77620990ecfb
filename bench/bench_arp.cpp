// "Arp storm": the arpeggiator at its fastest through the real plug-in. Chord mode with eight
// keys at "16x BPM", every step ratcheted four times, six unison voices, and a preset change
// every 2 s after which the storm is set up again. Reports the real-time factor ("rtf") and
// the worst block's CPU time as a fraction of its duration ("worst_block", target < 0.25).
#include "bench/Scenarios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 512;
// In blocks: a preset change every 2 s, the storm set up again once the change has been
// applied (at a 4,096-sample boundary), the keys after the slow update settled the new modes.
constexpr long kPresetPeriod = long(2 * kRate) / kBlock;
constexpr long kSetUpAt = 16;
constexpr long kKeysAt = 18;

void BM_ArpStorm(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    std::vector<float> left, right;
    long block = 0;
    double worst = 0.0;
    for (auto _ : state) {
        const long phase = block % kPresetPeriod;
        if (phase == 0) plugin.setParameter(1018, 1.0f); // the current preset applied afresh
        if (phase == kSetUpAt) bench::setUpStorm(plugin);
        if (phase == kKeysAt) bench::stormKeys(plugin);
        testhost::host().midiOut.clear();
        testhost::host().opcodes.clear();
        const double start = bench::threadSeconds();
        plugin.process(kBlock, left, right);
        worst = std::max(worst, (bench::threadSeconds() - start) * kRate / kBlock);
        benchmark::DoNotOptimize(left.data());
        ++block;
    }
    state.counters["rtf"] =
        benchmark::Counter(double(kBlock) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
    state.counters["worst_block"] = worst;
}
// Long enough for several preset changes.
BENCHMARK(BM_ArpStorm)->Iterations(2000);

} // namespace
