// Start-up cost of one engine: the shared tables are built by the first engine of a process,
// so every later engine should cost little. The first construction is timed once in main.
#include "engine/APlugin.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// An engine constructed and destroyed, as a host does when it loads another instance.
void BM_ConstructEngine(benchmark::State& state) {
    for (auto _ : state) {
        auto engine = std::make_unique<APlugin>(nullptr);
        benchmark::DoNotOptimize(engine.get());
    }
}
BENCHMARK(BM_ConstructEngine)->Unit(benchmark::kMillisecond);

} // namespace
