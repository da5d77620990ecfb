// The benchmark table: every scenario of the sound issues through the real plug-in at 48 kHz,
// in blocks of 128 and of 32, with the median real-time factor of five runs (thread CPU time
// over audio time) and the worst block (its CPU time over its duration) against the targets,
// then the dense patch's release and reverb tail second by second. Benchmark thread only.
#include "bench/Scenarios.h"

#include <valgrind/callgrind.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

namespace {

namespace sp = stagespatch;

constexpr VstInt32 kBlockSizes[2] = {128, 32};
constexpr int kRuns = 5;

// True when the block starting at `frame` holds frame `at` of a period.
bool crosses(long frame, int frames, long period, long at) {
    const long phase = frame % period;
    return phase <= at && at < phase + frames;
}

void holdStages(testhost::Plugin& p, const sp::Stages& s) {
    sp::apply(p, s);
    holdSixteen(p);
}

sp::Stages unisonFilter(int type) {
    sp::Stages s = fullVoicePath();
    s.unison = sp::kSixVoices;
    s.filterType = type;
    return s;
}

// The scenarios of the sound issues, in the order of the table; rows that other bench files
// add with addScenario follow them.
std::vector<Scenario> standardScenarios() {
    std::vector<Scenario> rows;
    auto addScenario = [&](Scenario s) { rows.push_back(std::move(s)); };
    addScenario({"idle floor", 0.002, 0.25,
                 [](testhost::Plugin& p) {
                     settle(p);
                     p.setParameter(tag::BrickFilterOn, 1.0f);
                 },
                 nullptr});
    addScenario(
        {"plain 16 voices", 0.015, 0.25, [](testhost::Plugin& p) { voicePatch(p, 0); }, nullptr});
    // The plain patch's sixteen keys released and struck again at the same sample every 2 s:
    // the worst block is the one of the sixteen note starts.
    addScenario({"16 note starts", 0.0, 0.25, [](testhost::Plugin& p) { voicePatch(p, 0); },
                 [](testhost::Plugin& p, long frame, int frames) {
                     if (!crosses(frame, frames, long(2 * kRate), 0)) return;
                     std::vector<std::array<int, 4>> keys;
                     for (int k = 0; k < 16; ++k) keys.push_back({0, 0x80, 48 + (k * 36) / 16, 0});
                     for (int k = 0; k < 16; ++k)
                         keys.push_back({0, 0x90, 48 + (k * 36) / 16, 100});
                     p.sendMidi(keys);
                 }});
    addScenario({"unison 96", 0.04, 0.25, [](testhost::Plugin& p) { voicePatch(p, 5); }, nullptr});
    addScenario({"full voice path", 0.05, 0.25,
                 [](testhost::Plugin& p) { holdStages(p, fullVoicePath()); }, nullptr});
    addScenario({"unison filter 24 LPZ", 0.0, 0.25,
                 [](testhost::Plugin& p) { holdStages(p, unisonFilter(sp::k24LPZ)); }, nullptr});
    addScenario({"unison filter Comb +", 0.0, 0.25,
                 [](testhost::Plugin& p) { holdStages(p, unisonFilter(sp::kCombPlus)); }, nullptr});
    addScenario({"dense modulation", 0.0, 0.25,
                 [](testhost::Plugin& p) {
                     settle(p);
                     setDenseModulation([&](int t, float v) { p.setParameter(t, v); });
                     holdSixteen(p);
                 },
                 nullptr});
    // A preset change every 2 s; the storm set up again once it has landed (in the next block),
    // the keys after the slow update took the new modes.
    addScenario({"arp storm", 0.0, 0.25, [](testhost::Plugin& p) { settle(p); },
                 [](testhost::Plugin& p, long frame, int frames) {
                     const long period = long(2 * kRate);
                     if (crosses(frame, frames, period, 0)) p.setParameter(tag::ApplyPreset, 1.0f);
                     if (crosses(frame, frames, period, 8192)) setUpStorm(p);
                     if (crosses(frame, frames, period, 9216)) stormKeys(p);
                 }});
    addScenario({"FX chain", 0.0, 0.25,
                 [](testhost::Plugin& p) {
                     settle(p);
                     setUpFX(p, kChain);
                     holdSixteen(p);
                 },
                 nullptr});
    addScenario({"full FX", 0.0, 0.25,
                 [](testhost::Plugin& p) {
                     settle(p);
                     setUpFX(p, kFull);
                     holdSixteen(p);
                 },
                 nullptr});
    addScenario({"dense patch", 0.08, 0.25,
                 [](testhost::Plugin& p) {
                     setUpDensePatch(p);
                     holdSixteen(p);
                 },
                 nullptr});
    // Everything at once: six-voice unison on sixteen keys through the costliest filter type
    // (the comb filter measured above the 24 dB types), every voice stage, every effect unit
    // and all sixteen matrix slots.
    addScenario({"heaviest patch", 0.0, 0.5,
                 [](testhost::Plugin& p) {
                     sp::apply(p, unisonFilter(sp::kCombPlus));
                     setDenseModulation([&](int t, float v) { p.setParameter(t, v); });
                     setUpFX(p, kFull);
                     holdSixteen(p);
                 },
                 nullptr});
    // Oscillator 1 shaped (ZEK morph, spread, sub-oscillator) under four-voice unison on sixteen
    // keys, with its output off and oscillator 2 off: nothing hears it, so only each voice's
    // first sub-voice (whose mix is the Osc 1 Output source) is made in full, the others no more
    // than their phases and the last samples their feedback memories keep.
    addScenario({"unheard oscillator", 0.0, 0.25,
                 [](testhost::Plugin& p) {
                     voicePatch(p, 3); // "4 Voices"
                     p.setParameter(tag::Osc1ZekAmount, 0.7f);
                     p.setParameter(tag::Osc1Spread, 0.4f);
                     p.setParameter(tag::Osc1SubVolume, 0.9f);
                     p.setParameter(tag::Osc1OutputOn, 0.0f);
                     p.setParameter(tag::Osc2On, 0.0f);
                 },
                 nullptr});
    // The dense patch's keys released and its release and reverb tail left to die away for a
    // minute, so the effect chain has gone to sleep: the floor it sleeps at.
    addScenario({"slept floor", 0.002, 0.25,
                 [](testhost::Plugin& p) {
                     setUpDensePatch(p);
                     p.setParameter(tag::AmpEnvRelease, 0.6f);
                     holdSixteen(p);
                     std::vector<float> l, r;
                     for (int i = 0; i < 24; ++i) p.process(4096, l, r);
                     releaseSixteen(p);
                     for (int i = 0; i < 60 * 12; ++i) p.process(4096, l, r);
                 },
                 nullptr});
    // The preset applied afresh every second under sixteen held keys, which are struck again
    // once it has landed: the preset apply's block is the worst one.
    addScenario({"preset changes", 0.0, 0.25,
                 [](testhost::Plugin& p) {
                     settle(p);
                     holdSixteen(p);
                 },
                 [](testhost::Plugin& p, long frame, int frames) {
                     const long period = long(kRate);
                     if (crosses(frame, frames, period, 0)) p.setParameter(tag::ApplyPreset, 1.0f);
                     if (crosses(frame, frames, period, 8192)) holdSixteen(p);
                 }});
    return rows;
}

} // namespace

// One block as a host renders it; the test host's own records are cleared outside the timing.
double timedBlock(AEffect* effect, Buffers& b, VstInt32 frames) {
    testhost::host().midiOut.clear();
    testhost::host().opcodes.clear();
    testhost::host().automated.clear();
    float* inputs[2] = {b.silence.data(), b.silence.data()};
    float* outputs[2] = {b.left.data(), b.right.data()};
    const double start = threadSeconds();
    effect->processReplacing(effect, inputs, outputs, frames);
    return threadSeconds() - start;
}

namespace {

double timedBlock(testhost::Plugin& p, Buffers& b, VstInt32 frames) {
    return timedBlock(p.get(), b, frames);
}

Row measure(const Scenario& s, VstInt32 block, double seconds) {
    testhost::resetHost();
    testhost::Plugin plugin(kRate, block);
    if (s.setUp) s.setUp(plugin);
    return measureEffect(plugin.get(), block, seconds, [&](long frame, int frames) {
        if (s.everyBlock) s.everyBlock(plugin, frame, frames);
    });
}

} // namespace

Row measureEffect(AEffect* effect, VstInt32 block, double seconds,
                  const std::function<void(long frame, int frames)>& everyBlock) {
    Buffers buffers(block);
    long frame = 0;
    auto render = [&](double length, double& cpu, double& worst) {
        const long blocks = long(length * kRate) / block;
        for (long i = 0; i < blocks; ++i, frame += block) {
            if (everyBlock) everyBlock(frame, block);
            const double spent = timedBlock(effect, buffers, block);
            cpu += spent;
            worst = std::max(worst, spent);
        }
        return double(blocks * block) / kRate;
    };
    double cpu = 0.0, worst = 0.0;
    render(0.25, cpu, worst); // warm-up: caches, the first control-rate updates
    std::vector<double> rtfs;
    worst = 0.0;
    for (int run = 0; run < kRuns; ++run) {
        cpu = 0.0;
        const double audio = render(seconds, cpu, worst);
        rtfs.push_back(cpu / audio);
    }
    std::sort(rtfs.begin(), rtfs.end());
    return {rtfs[kRuns / 2], worst * kRate / block};
}

namespace {

// Short blocks carry the fixed cost of a block more often: their worst block may reach half
// of its duration.
double worstTarget(const Scenario& s, VstInt32 block) {
    return block < 128 ? std::max(s.worstTarget, 0.5) : s.worstTarget;
}

void printRow(const Scenario& s, VstInt32 block, const Row& row) {
    const bool rtfTargeted = s.rtfTarget > 0.0 && block == 128;
    const bool above =
        (rtfTargeted && row.rtf >= s.rtfTarget) || row.worst >= worstTarget(s, block);
    char rtfTarget[16] = "-";
    if (rtfTargeted) std::snprintf(rtfTarget, sizeof(rtfTarget), "< %.3f", s.rtfTarget);
    std::printf("%-24s %5d  %8.4f  %-8s  %8.4f  < %.2f  %s\n", s.name.c_str(), int(block), row.rtf,
                rtfTarget, row.worst, worstTarget(s, block), above ? "ABOVE TARGET" : "ok");
}

// The dense patch played for 2 s, then its keys released: CPU per second along the release and
// reverb tail must not rise (no denormals), the output reaches exact zeros, and once 16 s of
// silence (below -80 dB) have passed the chain sleeps at the idle floor's cost.
void printTail() {
    constexpr VstInt32 kBlock = 128;
    constexpr int kTailSeconds = 60;
    testhost::resetHost();
    testhost::Plugin plugin(kRate, kBlock);
    setUpDensePatch(plugin);
    plugin.setParameter(tag::AmpEnvRelease, 0.6f);
    holdSixteen(plugin);
    Buffers buffers(kBlock);
    const int blocksPerSecond = int(kRate) / kBlock;
    double unused = 0.0;
    for (int b = 0; b < 2 * blocksPerSecond; ++b) unused += timedBlock(plugin, buffers, kBlock);
    releaseSixteen(plugin);
    int firstSilent = -1;
    std::printf("\ndense patch tail after release (block 128): rtf per second, peak level\n");
    for (int second = 1; second <= kTailSeconds; ++second) {
        double cpu = 0.0, peak = 0.0;
        for (int b = 0; b < blocksPerSecond; ++b) {
            cpu += timedBlock(plugin, buffers, kBlock);
            for (VstInt32 i = 0; i < kBlock; ++i)
                peak = std::max({peak, double(std::fabs(buffers.left[size_t(i)])),
                                 double(std::fabs(buffers.right[size_t(i)]))});
        }
        if (peak == 0.0 && firstSilent < 0) firstSilent = second;
        if (second == 1 || second % 5 == 0)
            std::printf("  %2d s  rtf %8.4f  peak %.3g\n", second,
                        cpu * kRate / (blocksPerSecond * kBlock), peak);
    }
    if (firstSilent > 0)
        std::printf("  exact silence from second %d\n", firstSilent);
    else
        std::printf("  NOT SILENT after %d s\n", kTailSeconds);
}

} // namespace

void printTable(bool shortForm, const std::string& filter) {
    const double seconds = shortForm ? 0.5 : 4.0;
    std::printf("ZEK2 benchmark table at 48 kHz: median of %d runs of %.1f s; rtf = thread CPU "
                "time / audio time, worst = worst block's CPU time / its duration\n",
                kRuns, seconds);
    std::printf("%-24s %5s  %8s  %-8s  %8s  %-6s\n", "scenario", "block", "rtf", "target", "worst",
                "target");
    std::vector<Scenario> rows = standardScenarios();
    rows.insert(rows.end(), scenarios().begin(), scenarios().end());
    for (const Scenario& s : rows) {
        if (!filter.empty() && s.name.find(filter) == std::string::npos) continue;
        for (VstInt32 block : kBlockSizes) printRow(s, block, measure(s, block, seconds));
        std::fflush(stdout);
    }
    if (filter.empty() || std::string("dense patch tail").find(filter) != std::string::npos)
        printTail();
    if (filter.empty() || std::string("host writes").find(filter) != std::string::npos)
        printHostWaits(shortForm);
}

// Every scenario rendered kRuns times from a fresh instance, the same events at the same
// samples each time, block by block: a block's cheapest run is the work it does, the rest is
// what the scheduler and the other programs on the machine added. The costliest block by its
// cheapest run is the worst block the engine itself causes (a note start, a preset apply);
// when the worst block of the table lies far above it, the machine made it.
void printBlocks(const std::string& filter) {
    constexpr double kSeconds = 4.0;
    std::printf("per-block cost at 48 kHz over %d runs of %.1f s (fractions of the block's "
                "duration): median block, costliest block by its cheapest run and where it "
                "starts, worst single block\n",
                kRuns, kSeconds);
    std::printf("%-24s %5s  %8s  %8s  %9s  %8s\n", "scenario", "block", "median", "repeats",
                "at sample", "worst");
    std::vector<Scenario> rows = standardScenarios();
    rows.insert(rows.end(), scenarios().begin(), scenarios().end());
    for (const Scenario& s : rows) {
        if (!filter.empty() && s.name.find(filter) == std::string::npos) continue;
        for (VstInt32 block : kBlockSizes) {
            const size_t blocks = size_t(kSeconds * kRate) / size_t(block);
            std::vector<double> cheapest(blocks, 1e9);
            double worst = 0.0;
            for (int run = 0; run < kRuns; ++run) {
                testhost::resetHost();
                testhost::Plugin plugin(kRate, block);
                if (s.setUp) s.setUp(plugin);
                Buffers buffers(block);
                for (size_t i = 0; i < blocks; ++i) {
                    if (s.everyBlock) s.everyBlock(plugin, long(i) * block, block);
                    const double spent = timedBlock(plugin, buffers, block);
                    cheapest[i] = std::min(cheapest[i], spent);
                    // The first blocks warm the caches and run the first control updates.
                    if (i >= 8) worst = std::max(worst, spent);
                }
            }
            const auto first = cheapest.begin() + 8;
            const size_t at = size_t(std::max_element(first, cheapest.end()) - cheapest.begin());
            const double repeats = cheapest[at];
            std::nth_element(first, first + (cheapest.end() - first) / 2, cheapest.end());
            const double median = first[(cheapest.end() - first) / 2];
            const double scale = kRate / block;
            std::printf("%-24s %5d  %8.4f  %8.4f  %9ld  %8.4f\n", s.name.c_str(), int(block),
                        median * scale, repeats * scale, long(at) * block, worst * scale);
            std::fflush(stdout);
        }
    }
}

} // namespace bench

namespace bench {

// One second of each matching scenario at block 128 after the usual quarter second of warm-up,
// with callgrind's collection switched on around it alone (the requests do nothing outside
// valgrind). Under `valgrind --tool=callgrind --instr-atstart=no` the total is the engine's
// instructions per second of audio; divided by 24,000 passes and the voice count it gives the
// instructions per voice per pass.
void printCount(const std::string& filter) {
    constexpr VstInt32 kBlock = 128;
    std::vector<Scenario> rows = standardScenarios();
    rows.insert(rows.end(), scenarios().begin(), scenarios().end());
    for (const Scenario& s : rows) {
        if (!filter.empty() && s.name.find(filter) == std::string::npos) continue;
        testhost::resetHost();
        testhost::Plugin plugin(kRate, kBlock);
        if (s.setUp) s.setUp(plugin);
        Buffers buffers(kBlock);
        const long warm = long(0.25 * kRate) / kBlock, counted = long(kRate) / kBlock;
        long frame = 0;
        double checksum = 0.0;
        for (long i = 0; i < warm + counted; ++i, frame += kBlock) {
            if (s.everyBlock) s.everyBlock(plugin, frame, kBlock);
            if (i == warm) CALLGRIND_START_INSTRUMENTATION;
            timedBlock(plugin, buffers, kBlock);
            for (VstInt32 k = 0; k < kBlock; ++k)
                checksum += double(buffers.left[size_t(k)]) + double(buffers.right[size_t(k)]);
        }
        CALLGRIND_STOP_INSTRUMENTATION;
        std::printf("%-24s counted 1 s at block 128 (output sum %.6g)\n", s.name.c_str(), checksum);
    }
}

} // namespace bench
