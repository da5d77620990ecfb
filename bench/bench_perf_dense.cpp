// "Dense patch" through the real plug-in at 48 kHz in blocks of 128: the full voice path (two
// saws, 24 dB low-pass with drive, envelope and high-pass, both EQs, waveshaper, low-fi, tube
// distortion), dense modulation and the full effect chain (amp distortion, ensemble, synced
// delay, long reverb, gater) with sixteen held notes. Reports the real-time factor (target
// below 0.08) and the worst block, both in thread CPU time.
#include "bench/DensePatch.h"
#include "tests/host/StagesPatch.h"
#include "tests/host/TestHost.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 128;
namespace sp = stagespatch;

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

void fullEffects(testhost::Plugin& p) {
    constexpr int kDistortFxOn = 338, kDistortFxMode = 339, kModFxOn = 340, kModFxMode = 341;
    constexpr int kDelayOn = 343, kDelayTempoSync = 344, kDelayFeed = 101, kDelayMix = 98;
    constexpr int kReverbOn = 346, kReverbLength = 108, kReverbMix = 105, kGaterOn = 347;
    p.setParameter(tag::BypassFxOn, 0.0f);
    p.setParameter(kDistortFxOn, 1.0f);
    p.setParameter(kDistortFxMode, 0.1f / 39.99f); // "Amp"
    p.setParameter(kModFxOn, 1.0f);
    p.setParameter(kModFxMode, 4.1f / 19.99f); // "Ensemble"
    p.setParameter(kDelayOn, 1.0f);
    p.setParameter(kDelayTempoSync, 1.0f);
    p.setParameter(kDelayFeed, (0.7f + 0.99f) / 1.98f);
    p.setParameter(kDelayMix, 0.4f);
    p.setParameter(kReverbOn, 1.0f);
    p.setParameter(kReverbLength, 1.0f);
    p.setParameter(kReverbMix, 0.4f);
    p.setParameter(kGaterOn, 1.0f);
}

void DensePatch(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    sp::Stages s;
    s.filterType = sp::k24LP2;
    s.cutoff = 0.7f;
    s.resonance = 0.5f;
    s.drive = 0.5f;
    s.envAmount = 0.8f;
    s.hp = s.eqs = s.shaper = s.lofi = s.distortion = true;
    s.eqMode = 0;
    s.twoOscillators = true;
    sp::apply(plugin, s);
    densepatch::setDenseModulation([&](int t, float v) { plugin.setParameter(t, v); });
    fullEffects(plugin);
    std::vector<float> left, right;
    plugin.process(4096, left, right);
    std::vector<std::array<int, 4>> notes;
    for (int i = 0; i < 16; ++i) notes.push_back({0, 0x90, 40 + 3 * i, 100});
    plugin.sendMidi(notes);
    for (int i = 0; i < 40; ++i) plugin.process(kBlock, left, right);
    double worst = 0.0, total = 0.0;
    for (auto _ : state) {
        const double start = threadSeconds();
        plugin.process(kBlock, left, right);
        const double spent = threadSeconds() - start;
        total += spent;
        worst = std::max(worst, spent);
        benchmark::DoNotOptimize(left.data());
    }
    const double blockSeconds = kBlock / double(kRate);
    state.counters["rtf"] = total / (double(state.iterations()) * blockSeconds);
    state.counters["worst_block"] = worst / blockSeconds;
}
BENCHMARK(DensePatch)->Name("dense patch");

} // namespace
