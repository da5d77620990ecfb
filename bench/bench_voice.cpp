// Real-time factor of the voices through the real plug-in at 48 kHz in blocks of 128: sixteen
// held notes over three octaves, oscillator 1 a saw and oscillator 2 a square, only the amp
// envelope, effects bypassed; once with unison off, once with "6 Voices" (96 sub-voices), and
// once with both oscillators' spread and sub-oscillators on, once with oscillator 2 phase
// modulated by oscillator 1, and once with both through the ZEK morph.
// The worst block's real-time factor is reported beside the mean.
#include "bench/Scenarios.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace {

// CPU time of this thread: a block's cost without the time the scheduler gave to others.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 128;
constexpr int kSeconds = 20;

void renderHeld(benchmark::State& state, int unisonMode,
                std::initializer_list<std::pair<int, float>> settings = {}) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    bench::voicePatch(plugin, unisonMode);
    for (auto [t, value] : settings) plugin.setParameter(t, value);
    std::vector<float> left, right;
    const int blocks = static_cast<int>(kSeconds * kRate) / kBlock;
    double worst = 0.0;
    for (auto _ : state) {
        for (int b = 0; b < blocks; ++b) {
            const double t0 = threadSeconds();
            plugin.process(kBlock, left, right);
            const double spent = threadSeconds() - t0;
            if (spent > worst) worst = spent;
        }
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["rtf"] = benchmark::Counter(double(blocks) * kBlock / kRate,
                                               benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
    state.counters["worst_block_rtf"] = worst / (kBlock / kRate);
}

// Target: below 0.015.
void BM_VoicePlain16(benchmark::State& state) {
    renderHeld(state, 0);
}
BENCHMARK(BM_VoicePlain16)->Unit(benchmark::kMillisecond);

// Target: below 0.08.
void BM_VoiceUnison96(benchmark::State& state) {
    renderHeld(state, 5);
}
BENCHMARK(BM_VoiceUnison96)->Unit(benchmark::kMillisecond);

// Spread (up and down copies) and the sub-oscillator on in both oscillators, unison off.
void BM_VoiceSpreadSub16(benchmark::State& state) {
    renderHeld(state, 0,
               {{tag::Osc1Spread, 0.3f},
                {tag::Osc2Spread, 0.2f},
                {tag::Osc1SubVolume, 0.8f},
                {tag::Osc2SubVolume, 0.7f}});
}
BENCHMARK(BM_VoiceSpreadSub16)->Unit(benchmark::kMillisecond);

// Oscillator 2 phase modulated by oscillator 1 ("PM"), unison off.
void BM_VoicePM16(benchmark::State& state) {
    renderHeld(state, 0, {{tag::Osc2ModMode, 1.1f / 19.99f}, {tag::Osc2ModAmount, 0.3f}});
}
BENCHMARK(BM_VoicePM16)->Unit(benchmark::kMillisecond);

// Both oscillators through the ZEK morph, unison off.
void BM_VoiceZek16(benchmark::State& state) {
    renderHeld(state, 0, {{tag::Osc1ZekAmount, 0.5f}, {tag::Osc2ZekAmount, 0.6f}});
}
BENCHMARK(BM_VoiceZek16)->Unit(benchmark::kMillisecond);

} // namespace
