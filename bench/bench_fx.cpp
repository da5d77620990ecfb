// The effect chain's cost through the real plug-in at 48 kHz: "FX chain" (16 voices through a
// synced delay with feedback 0.7, a long reverb and the gater) and "full FX" (the same plus
// the distortion "Amp" and the modulation "Ensemble"). Each reports the real-time factor of the
// 2 s playing part and of single seconds of the 40 s tail after the notes end (the tail's cost
// must not rise, as it would with denormals; once the tail has been below -80 dB for 16 s the
// chain sleeps and the cost drops), the worst block, and the tail's level at 20 s and 40 s.
#include "bench/Scenarios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <time.h>

#include <cmath>
#include <vector>

namespace {

// CPU time of this thread: a block's cost without the time the scheduler gave to others.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 256;

void Chain(benchmark::State& state, bench::FxScenario scenario) {
    const int playBlocks = static_cast<int>(2.0f * kRate / kBlock);
    const int tailSeconds = 40;
    const int blocksPerSecond = static_cast<int>(kRate / kBlock);
    double playTime = 0.0, worst = 0.0;
    std::vector<double> tail(size_t(tailSeconds), 0.0), peak(size_t(tailSeconds), 0.0);
    for (auto _ : state) {
        testhost::resetHost();
        testhost::Plugin plugin(kRate, kBlock);
        std::vector<float> left, right;
        plugin.process(4608, left, right); // the first program applies at sample 4,096
        bench::setUpFX(plugin, scenario);
        std::vector<std::array<int, 4>> on, off;
        for (int v = 0; v < 16; ++v) {
            on.push_back({0, 0x90, 40 + 3 * v, 100});
            off.push_back({0, 0x80, 40 + 3 * v, 0});
        }
        plugin.sendMidi(on);
        for (int b = 0; b < playBlocks; ++b) {
            const double start = threadSeconds();
            plugin.process(kBlock, left, right);
            const double spent = threadSeconds() - start;
            playTime += spent;
            worst = std::max(worst, spent);
        }
        plugin.sendMidi(off);
        for (int s = 0; s < tailSeconds; ++s) {
            double level = 0.0;
            const double start = threadSeconds();
            for (int b = 0; b < blocksPerSecond; ++b) {
                plugin.process(kBlock, left, right);
                for (VstInt32 i = 0; i < kBlock; ++i)
                    level = std::max(level, double(std::fabs(left[size_t(i)])));
            }
            tail[size_t(s)] += threadSeconds() - start;
            peak[size_t(s)] = level;
        }
        benchmark::DoNotOptimize(left.data());
    }
    const double n = double(state.iterations());
    const double blockSeconds = kBlock / double(kRate);
    state.counters["rtf"] = playTime / (n * playBlocks * blockSeconds);
    state.counters["worst_block"] = worst / blockSeconds;
    const double second = blocksPerSecond * blockSeconds;
    state.counters["tail_rtf_1s"] = tail[0] / (n * second);
    state.counters["tail_rtf_10s"] = tail[9] / (n * second);
    state.counters["tail_rtf_20s"] = tail[19] / (n * second);
    state.counters["tail_rtf_40s"] = tail[39] / (n * second);
    state.counters["tail_peak_20s"] = peak[19];
    state.counters["tail_peak_40s"] = peak[39];
}

// The same voices with every effect off: the reference the two scenarios add to.
void NoFX(benchmark::State& state) {
    Chain(state, bench::kNoFX);
}
void FXChain(benchmark::State& state) {
    Chain(state, bench::kChain);
}
void FullFX(benchmark::State& state) {
    Chain(state, bench::kFull);
}
BENCHMARK(NoFX)->Name("FX off (reference)")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FXChain)->Name("FX chain")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FullFX)->Name("full FX")->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
