// Benchmark entry. `zek2_bench --table` prints the benchmark table of every scenario against its
// targets (see bench_table.cpp; `--table=NAME` only the rows whose name holds NAME), and
// `zek2_bench --short` the same table with short runs, as CI does; no figure fails a run.
// `zek2_bench --blocks[=NAME]` tells the table's worst blocks that repeat from those the machine
// made (bench_table.cpp). `zek2_bench --peer PATH` measures another VST 2.4 instrument beside ZEK2
// (bench_peer.cpp). `zek2_bench --count=NAME` renders one second of the rows whose name holds NAME
// for callgrind (bench_table.cpp):
//     valgrind --tool=callgrind --instr-atstart=no build/bench/zek2_bench --count="plain 16"
// Without them: times the first engine of the process (which builds the shared
// tables), then runs the registered Google Benchmark cases (their usual --benchmark_* flags apply).
#include "bench/Scenarios.h"
#include "engine/APlugin.h"
#include "platform/strings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    // Every engine made here reads and writes its preferences and data files below the build
    // folder, never in the user's own. Both folders are made at once: an instrument measured
    // beside ZEK2 (--peer) makes its own folder in them, but not their parents.
    const std::string home = ZEK2_BENCH_HOME, config = home + "/config", data = home + "/data";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    makeDirectory(config);
    makeDirectory(data);
    bool table = false, shortForm = false, blocks = false, count = false;
    std::string filter, peer;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc) peer = argv[++i];
        if (std::strcmp(argv[i], "--short") == 0) table = shortForm = true;
        if (std::strcmp(argv[i], "--table") == 0) table = true;
        if (std::strcmp(argv[i], "--blocks") == 0) blocks = true;
        if (std::strncmp(argv[i], "--blocks=", 9) == 0) {
            blocks = true;
            filter = argv[i] + 9;
        }
        if (std::strncmp(argv[i], "--count=", 8) == 0) {
            count = true;
            filter = argv[i] + 8;
        }
        if (std::strncmp(argv[i], "--table=", 8) == 0) {
            table = true;
            filter = argv[i] + 8;
        }
    }
    if (!peer.empty()) return bench::printPeer(peer, shortForm) ? 0 : 1;
    if (count) {
        bench::printCount(filter);
        return 0;
    }
    if (blocks) {
        bench::printBlocks(filter);
        return 0;
    }
    if (table) {
        bench::printTable(shortForm, filter);
        return 0;
    }

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
