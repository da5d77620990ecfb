// "Arp storm": the arpeggiator at its fastest through the real plug-in. Chord mode with eight
// keys at "16x BPM", every step ratcheted four times, six unison voices, and a preset change
// every 2 s after which the storm is set up again. Reports the real-time factor ("rtf") and
// the worst block's CPU time as a fraction of its duration ("worst_block", target < 0.25).
#include "tests/host/TestHost.h"

#include <benchmark/benchmark.h>

#include <time.h>

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

inline float stepped(int index, float range) {
    return (index + 0.1f) / range;
}

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

void setUpStorm(testhost::Plugin& plugin) {
    plugin.setParameter(492, 1.0f);                // "Arp On/Off"
    plugin.setParameter(494, stepped(9, 19.99f));  // "Chord"
    plugin.setParameter(500, stepped(1, 9.99f));   // ratchets "On"
    plugin.setParameter(507, stepped(16, 16.99f)); // "16x BPM"
    plugin.setParameter(506, 1.0f);                // 16 steps
    plugin.setParameter(250, stepped(5, 29.99f));  // "6 Voices"
    for (int s = 0; s < 16; ++s) {
        plugin.setParameter(513 + s, 1.0f);              // on
        plugin.setParameter(529 + s, 0.0f);              // not tied
        plugin.setParameter(625 + s, stepped(3, 9.99f)); // ratchet "4"
    }
}

void BM_ArpStorm(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    std::vector<float> left, right;
    long block = 0;
    double worst = 0.0;
    for (auto _ : state) {
        const long phase = block % kPresetPeriod;
        if (phase == 0) plugin.setParameter(1018, 1.0f); // the current preset applied afresh
        if (phase == kSetUpAt) setUpStorm(plugin);
        if (phase == kKeysAt) {
            std::vector<std::array<int, 4>> keys;
            for (int k : {48, 52, 55, 59, 60, 64, 67, 71}) keys.push_back({0, 0x90, k, 100});
            plugin.sendMidi(keys);
        }
        testhost::host().midiOut.clear();
        testhost::host().opcodes.clear();
        const double start = threadSeconds();
        plugin.process(kBlock, left, right);
        worst = std::max(worst, (threadSeconds() - start) * kRate / kBlock);
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
