// The voice filter and the EQ on their own, for measuring the units without the voices:
// sixteen voices' worth of calls per pass at 48 kHz with a moving cutoff (so coefficients are
// recomputed as an envelope would make them), reported as the real-time factor.
#include "dsp/DenormalGuard.h"
#include "dsp/TFilter.h"
#include "dsp/TParaEQ.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr double kPassesPerSecond = 24000.0; // two output frames per pass at 48 kHz
constexpr int kVoices = 16;

void reportPasses(benchmark::State& state) {
    state.counters["rtf"] =
        benchmark::Counter(1.0 / kPassesPerSecond, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

// One pass of sixteen filters of one type; the argument is the type, 0 sub-voices meaning the
// per-pass form, else the unison block form.
void FilterPass(benchmark::State& state) {
    const DenormalGuard guard;
    const int type = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    auto filters = std::make_unique<TFilter[]>(kVoices);
    for (int v = 0; v < kVoices; ++v) {
        filters[v].init(48000.0f);
        filters[v].setType(type, true);
        filters[v].setDistort(0.5f);
        filters[v].setHP(1.0f, 0.0f, 0.0f, 0.2f, 0.0f, 0.0f);
    }
    stereoOverStruct a{{0.1f, 0.2f}, {0.3f, -0.1f}}, b{{-0.2f, 0.1f}, {0.05f, 0.2f}};
    stereoOverStruct inA[7], inB[7], outA[7], outB[7];
    int pass = 0;
    for (auto _ : state) {
        const float env = 0.1f + 0.0001f * static_cast<float>(pass++ % 64);
        for (int v = 0; v < kVoices; ++v) {
            filters[v].setEnv(env);
            if (n == 0) {
                filters[v].process({0.5f, 0.5f}, {}, 0.5f, 0.2f, a, b, outA[0], outB[0]);
            } else {
                for (int j = 0; j < n; ++j) inA[j] = a, inB[j] = b;
                filters[v].process({0.5f, 0.5f}, {}, 0.5f, 0.2f, n, inA, inB, outA, outB);
            }
        }
        benchmark::DoNotOptimize(outA[0]);
    }
    reportPasses(state);
}
BENCHMARK(FilterPass)
    ->Name("filter 16 voices")
    ->ArgNames({"type", "unison"})
    ->Args({23, 0})
    ->Args({27, 0})
    ->Args({35, 0})
    ->Args({27, 6})
    ->Args({38, 6});

// One pass of the multi-unit EQ over sixteen voices, three active bands, cut filters by mode.
void EqPass(benchmark::State& state) {
    const DenormalGuard guard;
    const int mode = static_cast<int>(state.range(0));
    auto eq = std::make_unique<TParaEQ>();
    eq->init(48000.0f);
    int list[kVoices];
    for (int v = 0; v < kVoices; ++v) {
        list[v] = v;
        for (int band = 0; band < 3; ++band)
            eq->setParameters(v, band, 0.75f, 0.3f + 0.2f * band, 0.4f);
        eq->setDirect(v);
        eq->setFilter(v, 0.95f, 0.05f, 0.0f, 0.0f);
    }
    stereoOverStruct a[kVoices], b[kVoices];
    for (auto _ : state) {
        for (int v = 0; v < kVoices; ++v) {
            a[v] = {{0.1f, 0.2f}, {0.3f, -0.1f}};
            b[v] = a[v];
        }
        eq->process(mode, kVoices, list, a, b);
        benchmark::DoNotOptimize(a[0]);
    }
    reportPasses(state);
}
BENCHMARK(EqPass)->Name("EQ 16 voices")->ArgName("mode")->Arg(0)->Arg(3);

} // namespace
