// "Dense modulation" (bench/DensePatch.h) with 16 voices held. Two scenarios report the
// real-time factor ("rtf", CPU time per second of audio at 48 kHz): the whole plug-in rendering
// through its host interface, and the modulation work alone on the engine at the cadence the render
// loop runs it.
#include "bench/DensePatch.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "tests/host/TestHost.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 512;

void reportRealTimeFactor(benchmark::State& state, VstInt32 framesPerIteration) {
    state.counters["rtf"] = benchmark::Counter(double(framesPerIteration) / kRate,
                                               benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}

// The whole plug-in with 16 held notes.
void BM_DenseModulationPlugin(benchmark::State& state) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    densepatch::setDenseModulation([&](int t, float v) { plugin.setParameter(t, v); });
    std::vector<float> left, right;
    plugin.process(kBlock, left, right); // the first block applies the starting program
    std::vector<std::array<int, 4>> notes;
    for (int n = 0; n < 16; ++n) notes.push_back({0, 0x90, 40 + 3 * n, 100});
    plugin.sendMidi(notes);
    for (int i = 0; i < 20; ++i) plugin.process(kBlock, left, right);
    for (auto _ : state) {
        plugin.process(kBlock, left, right);
        benchmark::DoNotOptimize(left.data());
    }
    reportRealTimeFactor(state, kBlock);
}
BENCHMARK(BM_DenseModulationPlugin);

// The modulation share alone: per sample the global sources, every 16 samples the global
// evaluation, every 128 the slot table; per pass of each of 16 voices the LFO pass and the
// matrix evaluation, every 8th pass the voice's LFO settings and default restore.
void BM_DenseModulationEngine(benchmark::State& state) {
    auto e = std::make_unique<APlugin>(nullptr);
    e->setSampleRate(kRate);
    densepatch::setDenseModulation([&](int t, float v) { e->setParameter(t, v); });
    e->setModRare();
    for (int v = 0; v < kNumVoices; ++v) {
        e->voicePressed[v] = 1;
        e->voiceIsNew[v] = 0;
        e->activeVoices[v] = v;
    }
    e->activeVoiceCount = kNumVoices;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            e->doGlobalSources();
            if ((e->sampleCounter & 15u) == 0) {
                if ((e->sampleCounter & 127u) == 0) e->setModRare();
                e->setGlobalMod();
                e->updateRibbon();
            }
            if ((e->sampleCounter & 1u) == 0) {
                for (int v = 0; v < kNumVoices; ++v) {
                    if ((e->voicePassCount[v] & 7) == 0) {
                        e->setVoiceLFOSettings(v);
                        e->setDefaultVoiceMod(v);
                    }
                    e->setVoiceLFOPass(v);
                    e->setVoiceModLanes(&v, 1);
                    ++e->voicePassCount[v];
                }
            }
            ++e->sampleCounter;
        }
        benchmark::DoNotOptimize(e->voiceDest[0]);
    }
    reportRealTimeFactor(state, kBlock);
}
BENCHMARK(BM_DenseModulationEngine);

} // namespace
