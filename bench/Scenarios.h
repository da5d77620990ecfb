// The list of scenarios that the benchmark table measures and the thread clock it measures
// with; the patches themselves (tests/host/ScenarioPatches.h) are shared with the host tests.
// Benchmark thread only; a scenario registers itself from any bench file with addScenario.
#pragma once

#include "engine/params/ParamTags.h"
#include "tests/host/ScenarioPatches.h"
#include "tests/host/TestHost.h"

#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr float kRate = 48000.0f;

// CPU time of this thread: a block's cost without the time the scheduler gave to others.
double threadSeconds();

// ---- Scenarios of the table ----------------------------------------------------------------
// A scenario prepares a freshly loaded plug-in (the start-up program already applied), then the
// table renders it in blocks; `everyBlock`, when set, runs before each block, outside the
// timing, with the number of frames rendered before the block and the block's length (for
// preset changes, keys, storms).
//
// To add a row (a spike scenario, say), register it from any bench file:
//     static const int row = bench::addScenario({"user wave switch", 0.0, 0.25,
//         [](testhost::Plugin& p) { bench::settle(p); bench::holdSixteen(p); },
//         [](testhost::Plugin& p, long frame, int frames) { ... }});
// It is printed after the standard rows; `zek2_bench --table=user` prints only rows whose
// name holds "user".
struct Scenario {
    std::string name;
    double rtfTarget = 0.0;    // real-time factor at block 128; 0 when there is none
    double worstTarget = 0.25; // the worst block's CPU time as a fraction of its duration
    std::function<void(testhost::Plugin&)> setUp;
    std::function<void(testhost::Plugin&, long frame, int frames)> everyBlock;
};

// Adds a row after the standard ones; returns the number of added rows.
int addScenario(Scenario scenario);
const std::vector<Scenario>& scenarios();

// A host's buffers for one block: silence in, stereo out.
struct Buffers {
    explicit Buffers(VstInt32 frames)
        : left(size_t(frames)), right(size_t(frames)), silence(size_t(frames)) {}
    std::vector<float> left, right, silence;
};

// Renders one block as a host does and returns its thread CPU time in seconds.
double timedBlock(AEffect* effect, Buffers& b, VstInt32 frames);

// A scenario's figures: the median real-time factor of five runs and the worst block's CPU
// time over its duration.
struct Row {
    double rtf = 0.0, worst = 0.0;
};

// Renders any instrument as the table does (a quarter second of warm-up, then five runs of
// `seconds`); `everyBlock` runs before each block, outside the timing.
Row measureEffect(AEffect* effect, VstInt32 block, double seconds,
                  const std::function<void(long frame, int frames)>& everyBlock);

// Prints the table: per scenario and per block size (128, then 32) the median real-time
// factor of five runs and the worst block. `shortForm` keeps each run to half a second.
void printTable(bool shortForm, const std::string& filter);

// Prints the longest parameter write of a host's real-time threads while the editor's thread
// loads wave shapes into the wave written, all on one core (bench_host_waits.cpp).
void printHostWaits(bool shortForm);

// Prints, per scenario and block size, the median block, the costliest block by its cheapest of
// five runs of the same events (the work the engine does there) with the sample it starts at,
// and the worst single block (that work plus what the machine added).
void printBlocks(const std::string& filter);

// Renders one second of each scenario whose name holds `filter` (block 128) with callgrind's
// instrumentation on around it: the instruction count of the engine for that second.
void printCount(const std::string& filter);

// Loads another VST 2.4 instrument from `path` and plays sixteen keys on its first program,
// struck again every 2 s, beside ZEK2's plain patch and first factory program, the three
// alternating over several rounds; prints per instrument the median and range of the real-time
// factor and of the strike block, and of their ratios ZEK2 plain / peer per round. False when
// the module cannot be loaded or has no instrument.
bool printPeer(const std::string& path, bool shortForm);

// ---- Shared set-ups (tests/host/ScenarioPatches.h) ------------------------------------------
using namespace scenariopatch;

} // namespace bench
