// Real-time factor of the voice stages through the real plug-in: sixteen held saw voices with
// every stage on ("full voice path"), and the same under six-voice unison with a zero-delay and
// a comb filter ("unison filter"), and the table's "dense patch" (every stage, the sixteen matrix
// slots and every effect unit). rtf = CPU time per second of audio at 48 kHz.
#include "bench/Scenarios.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr VstInt32 kBlock = 512;
namespace sp = stagespatch;

template <typename SetUp> void run(benchmark::State& state, SetUp setUp) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    setUp(plugin);
    std::vector<std::array<int, 4>> notes;
    for (int i = 0; i < 16; ++i) notes.push_back({0, 0x90, 40 + 3 * i, 100});
    plugin.sendMidi(notes);
    std::vector<float> left, right;
    plugin.process(kBlock, left, right);
    for (auto _ : state) {
        plugin.process(kBlock, left, right);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["rtf"] =
        benchmark::Counter(double(kBlock) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void run(benchmark::State& state, const sp::Stages& s) {
    run(state, [&](testhost::Plugin& p) { sp::apply(p, s); });
}

void FullVoicePath(benchmark::State& state) {
    run(state, bench::fullVoicePath());
}
BENCHMARK(FullVoicePath)->Name("full voice path");

// The table's "dense patch": every stage, all sixteen matrix slots and every effect unit.
void DensePatch(benchmark::State& state) {
    run(state, [](testhost::Plugin& p) { scenariopatch::setUpDensePatch(p); });
}
BENCHMARK(DensePatch)->Name("dense patch");

// The same sixteen voices with every stage off and the filter bypassed: what the stages add is
// the difference to "full voice path".
void VoicesAlone(benchmark::State& state) {
    sp::Stages s;
    s.twoOscillators = true;
    run(state, s);
}
BENCHMARK(VoicesAlone)->Name("voices without stages");

void UnisonFilter(benchmark::State& state) {
    sp::Stages s = bench::fullVoicePath();
    s.unison = sp::kSixVoices;
    s.filterType = state.range(0) ? sp::kCombPlus : sp::k24LPZ;
    run(state, s);
}
BENCHMARK(UnisonFilter)->Name("unison filter")->Arg(0)->Arg(1)->ArgName("comb");

} // namespace
