// The automation soak through the real plug-in: fixed seeds in every run (each seed that once
// found a fault stays here), the two-thread form for the race build, and the open-ended form
// that tools/soak.sh drives with fresh seeds.
// ZEK2_COMPARE_PLUGIN may name another build of the plug-in: the fixed test then plays only its
// every-tag sessions, in both builds, and they must give the same bits (tools/test.sh names an
// unoptimised build and one at -O2, where an optimiser's fault would show).
#include "Soak.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

namespace {

using soak::Options;

long long envNumber(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoll(text, nullptr, 10);
}

// Plays one seed; a failure names the seed and the command that replays it. The seed is
// printed before the session starts, so a crash names it too.
bool playSeed(const Options& o, double* seconds = nullptr, int64_t* queries = nullptr) {
    std::cout << "soak seed " << o.seed << " (" << o.blocks << " blocks"
              << (o.queryThread ? ", query thread" : "") << ")" << std::endl;
    soak::Session session(o);
    const std::string failure = session.run();
    if (seconds) *seconds += session.secondsRendered();
    if (queries) *queries += session.queriesAsked();
    if (failure.empty()) return true;
    ADD_FAILURE() << "soak seed " << o.seed << " failed at " << failure
                  << "\n  replay: " << soak::replayCommand(o);
    return false;
}

// The sanitizer builds render many times slower: they play the short cases and the first
// blocks of the long ones.
constexpr int kSanitizerBlocks = testenv::kSanitized ? 120 : 0;

// Seeds that found a fault are kept with the number of blocks that reached it; the others
// are plain seeds of the usual length.
struct FixedCase {
    uint64_t seed;
    int blocks;
};
constexpr FixedCase kFixedCases[] = {
    {2, 20},    // "Osc 2 On/Off" switched on under held notes (block 14): a crash
    {3, 10},    // "Osc 1 On/Off" the same (block 7)
    {109, 120}, // a song position of 2^31 sixteenths from the host (undefined behaviour)
    {127, 120}, // one of 1e300 quarter notes
    {1, 1500},  {4, 1500}, {5, 1500}, {6, 1500}, {7, 1500}, {8, 1500}, {9, 1500}, {10, 1500},
};
// Sessions of the every-tag form: each tag written, every Arp Mode and Play Mode value played.
constexpr FixedCase kEveryTagCases[] = {{21, 200}, {22, 200}};

// The first sample where two renders differ in their bits; their size when none does.
size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    size_t first = 0;
    while (first < a.size() && first < b.size() &&
           std::memcmp(&a[first], &b[first], sizeof(float)) == 0)
        ++first;
    return first;
}

TEST(HostSoak, FixedSeedsPlayCleanAndEndInSilence) {
    const char* other = std::getenv("ZEK2_COMPARE_PLUGIN");
    const testhost::EntryProc otherBuild =
        other && *other ? testhost::loadEntryPoint(other) : nullptr;
    for (const FixedCase& c : kEveryTagCases) {
        Options o;
        o.seed = c.seed;
        o.blocks = c.blocks;
        o.everyTag = true;
        std::vector<float> here, there;
        o.output = &here;
        if (!playSeed(o) || !otherBuild) continue;
        o.entry = otherBuild;
        o.output = &there;
        if (!playSeed(o)) continue;
        EXPECT_EQ(here.size(), there.size()) << "seed " << c.seed << " in " << other;
        EXPECT_EQ(firstDifference(here, there), here.size())
            << "seed " << c.seed << " in " << other;
    }
    if (otherBuild) return;
    for (const FixedCase& c : kFixedCases) {
        Options o;
        o.seed = c.seed;
        // A seed that found a fault keeps the blocks that reached it; the plain ones play half.
        const int sanitizerBlocks = c.blocks < 1500 ? kSanitizerBlocks : kSanitizerBlocks / 2;
        o.blocks = kSanitizerBlocks > 0 ? std::min(c.blocks, sanitizerBlocks) : c.blocks;
        playSeed(o);
    }
}

// The host's user-interface thread asks names, labels, displays, program names, parameter
// properties, chunks and the NKS answers while the session renders and automates.
TEST(HostSoakRace, EveryHostQueryWhileTheSessionRenders) {
    for (uint64_t seed : {11u, 12u, 13u}) {
        Options o;
        o.seed = seed;
        o.blocks = kSanitizerBlocks > 0 ? 2 * kSanitizerBlocks : 600;
        o.queryThread = true;
        int64_t queries = 0;
        playSeed(o, nullptr, &queries);
        EXPECT_GT(queries, 0);
    }
}

// One seed again, as a failure printed it (ZEK2_SOAK_SEED, ZEK2_SOAK_BLOCKS,
// ZEK2_SOAK_THREADS=2 for the query thread).
TEST(HostSoak, Replay) {
    if (!std::getenv("ZEK2_SOAK_SEED")) GTEST_SKIP() << "set ZEK2_SOAK_SEED to replay a seed";
    Options o;
    o.seed = static_cast<uint64_t>(envNumber("ZEK2_SOAK_SEED", 1));
    o.blocks = static_cast<int>(envNumber("ZEK2_SOAK_BLOCKS", 1500));
    o.queryThread = envNumber("ZEK2_SOAK_THREADS", 1) == 2;
    o.everyTag = envNumber("ZEK2_SOAK_EVERY_TAG", 0) == 1;
    o.traceFrom = static_cast<int>(envNumber("ZEK2_SOAK_TRACE_FROM", -1));
    playSeed(o);
}

// Fresh seeds from ZEK2_SOAK_FIRST_SEED on, until ZEK2_SOAK_SECONDS have passed; the totals
// are printed at the end.
TEST(HostSoak, FreshSeedsForAWhile) {
    const long long limit = envNumber("ZEK2_SOAK_SECONDS", 0);
    if (limit <= 0) GTEST_SKIP() << "set ZEK2_SOAK_SECONDS to soak for that long";
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    Options o;
    o.seed = static_cast<uint64_t>(envNumber("ZEK2_SOAK_FIRST_SEED", 1000));
    o.blocks = static_cast<int>(envNumber("ZEK2_SOAK_BLOCKS", 1500));
    o.queryThread = envNumber("ZEK2_SOAK_THREADS", 1) == 2;
    long long seeds = 0, blocks = 0, failed = 0;
    double seconds = 0.0;
    int64_t queries = 0;
    while (elapsed() < static_cast<double>(limit)) {
        if (!playSeed(o, &seconds, &queries)) ++failed;
        ++seeds;
        blocks += o.blocks;
        ++o.seed;
    }
    std::cout << "soak summary: " << seeds << " seeds, " << blocks << " blocks, "
              << seconds / 3600.0 << " hours of audio, " << queries << " host queries, " << failed
              << " failed, " << elapsed() << " s" << std::endl;
}

} // namespace
