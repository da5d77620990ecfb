// The audio thread's one-off costs through the real plug-in at 48 kHz in blocks of 128: the
// worst block's CPU time as a fraction of the block's duration (target below 0.25) around a
// play-structure change, a preset apply and an oscillator switched to a user wave, each with
// the full voice path and sixteen held notes.
#include "bench/Scenarios.h"
#include "tests/host/StagesPatch.h"
#include "tests/host/TestHost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 128;
namespace sp = stagespatch;

// Two saws and no stages, so the block that carries the change stands out.
sp::Stages plainVoices() {
    sp::Stages s;
    s.twoOscillators = true;
    return s;
}

void holdSixteen(testhost::Plugin& p) {
    std::vector<std::array<int, 4>> notes;
    for (int i = 0; i < 16; ++i) notes.push_back({0, 0x90, 40 + 3 * i, 100});
    p.sendMidi(notes);
}

// Renders `before` blocks, runs the change, then `after` blocks; the worst block after the
// change (thread CPU time over the block's duration) and the mean of the blocks before it.
void spike(benchmark::State& state, const std::function<void(testhost::Plugin&)>& setUp,
           const std::function<void(testhost::Plugin&, int)>& change, int after) {
    double worst = 0.0, steady = 0.0;
    const int before = 64;
    int round = 0;
    for (auto _ : state) {
        testhost::resetHost();
        testhost::Plugin plugin(kRate, kBlock);
        sp::apply(plugin, plainVoices());
        setUp(plugin);
        holdSixteen(plugin);
        std::vector<float> left, right;
        double sum = 0.0;
        for (int b = 0; b < before; ++b) {
            const double start = bench::threadSeconds();
            plugin.process(kBlock, left, right);
            sum += bench::threadSeconds() - start;
        }
        steady += sum / before;
        change(plugin, round++);
        for (int b = 0; b < after; ++b) {
            const double start = bench::threadSeconds();
            plugin.process(kBlock, left, right);
            worst = std::max(worst, bench::threadSeconds() - start);
        }
        benchmark::DoNotOptimize(left.data());
    }
    const double blockSeconds = kBlock / double(kRate);
    state.counters["steady_block"] = steady / double(state.iterations()) / blockSeconds;
    state.counters["worst_block"] = worst / blockSeconds;
}

void none(testhost::Plugin&) {}

void PlayStructureChange(benchmark::State& state) {
    spike(
        state, none,
        [](testhost::Plugin& p, int round) {
            p.setParameter(tag::UnisonMode, sp::step(1 + round % 3, sp::kUnisonRange));
        },
        16);
}
BENCHMARK(PlayStructureChange)->Name("spike: play-structure change")->Iterations(5);

// Both oscillators on the user waves and the delay and reverb running, so the apply has both
// waves' tables to rebuild and the effect lines to clear.
void userWavesAndFX(testhost::Plugin& p) {
    p.setParameter(tag::Osc1Type, sp::step(4, sp::kOscTypeRange));
    p.setParameter(tag::Osc2Type, sp::step(5, sp::kOscTypeRange));
    p.setParameter(tag::BypassFxOn, 0.0f);
    p.setParameter(343, 1.0f); // delay on
    p.setParameter(346, 1.0f); // reverb on
    std::vector<float> l, r;
    p.process(4096, l, r);
}

void PresetApply(benchmark::State& state) {
    spike(
        state, userWavesAndFX,
        [](testhost::Plugin& p, int) { p.setParameter(tag::ApplyPreset, 1.0f); },
        // The apply waits for a 4,096-sample boundary; the rebuilds may follow over blocks.
        int(kRate / kBlock));
}
BENCHMARK(PresetApply)->Name("spike: preset apply")->Iterations(5);

void UserWaveSwitch(benchmark::State& state) {
    spike(
        state, none,
        [](testhost::Plugin& p, int round) {
            p.setParameter(tag::Osc1Type, sp::step(4 + round % 2, sp::kOscTypeRange));
        },
        int(kRate / kBlock / 4));
}
BENCHMARK(UserWaveSwitch)->Name("spike: switch to a user wave")->Iterations(5);

} // namespace
