// Benchmark entry: times the first engine of the process (which builds the shared tables),
// then runs the registered scenarios.
#include "engine/APlugin.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    { auto first = std::make_unique<APlugin>(nullptr); }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("first engine construction (shared tables built): %.2f ms\n", elapsed.count());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
