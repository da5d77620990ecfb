// The benchmark scenarios' shared set-ups (the patches of the sound issues, played through the
// real plug-in) and the list of scenarios that the benchmark table measures. Benchmark thread
// only; a scenario registers itself from any bench file with bench::addScenario.
#pragma once

#include "engine/params/ParamTags.h"
#include "tests/host/StagesPatch.h"
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

// Prints the table: per scenario and per block size (128, then 32) the median real-time
// factor of five runs and the worst block. `shortForm` keeps each run to half a second.
void printTable(bool shortForm, const std::string& filter);

// ---- Shared set-ups ------------------------------------------------------------------------
// Renders until the start-up program has been applied (it lands at sample 4,096).
void settle(testhost::Plugin& p);
// Sixteen keys over three octaves held (40, 43, .. 85).
void holdSixteen(testhost::Plugin& p);
void releaseSixteen(testhost::Plugin& p);

// Oscillators plain (saw and square), only the amp envelope, effects bypassed; `unisonMode` is
// the "Unison Mode" index (5: "6 Voices"). Sixteen keys over three octaves are then held.
void voicePatch(testhost::Plugin& p, int unisonMode);

// Every voice stage on: "24 LP2" with drive and envelope, high-pass, both EQs, waveshaper,
// low-fi and "Tube" distortion, two oscillators.
stagespatch::Stages fullVoicePath();

// The effect chain: kChain is a synced delay with feedback 0.7, a long reverb and the gater;
// kFull adds the distortion FX "Amp" and the modulation FX "Ensemble"; kNoFX turns them off.
enum FxScenario { kNoFX, kChain, kFull };
void setUpFX(testhost::Plugin& p, FxScenario scenario);

// The arpeggiator at its fastest: chord mode at "16x BPM", every step ratcheted four times,
// six unison voices; stormKeys holds the eight keys of the storm.
void setUpStorm(testhost::Plugin& p);
void stormKeys(testhost::Plugin& p);

// All 16 matrix slots in use (voice LFOs with sample and hold, the Free LFO 1/2 morph, noise,
// module and voice-output sources), every LFO per voice. `set(tag, value)` writes a value:
// the plug-in's setParameter or the engine's own.
struct ModSlot {
    int source, dest;
};
constexpr ModSlot kDenseSlots[16] = {
    {62, 114}, {64, 116}, {66, 8},   {60, 2}, {102, 154}, {104, 158}, {50, 16},  {52, 64},
    {68, 34},  {99, 181}, {95, 132}, {17, 3}, {101, 261}, {81, 207},  {61, 292}, {90, 259}};
template <typename SetParameter> void setDenseModulation(SetParameter set) {
    for (int s = 0; s < 16; ++s) {
        set(tag::ModBypassFirst + s, 0.0f);
        set(tag::ModSourceFirst + s, (kDenseSlots[s].source + 0.1f) / 127.99f);
        set(tag::ModDestFirst + s, (kDenseSlots[s].dest + 0.1f) / 399.99f);
        set(tag::ModLowerFirst + s, 0.0f);
        set(tag::ModUpperFirst + s, 1.0f);
        set(tag::ModOffsetFirst + s, 0.4f);
        set(tag::ModAmountFirst + s, 0.6f);
    }
    set(tag::FreeLfo12Mode, (12 + 0.1f) / 19.99f); // "Morph"
    set(tag::FreeLfo12Amount, 0.5f);
    set(tag::FreeLfo1Speed, 0.6f);
    set(tag::FreeLfo2Speed, 0.7f);
    set(tag::MainLfoSpeed, 0.5f);
    for (int t : {tag::MainLfoPlayMode, tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode}) set(t, 0.0f);
}

// The dense patch: the full voice path, dense modulation and the full FX chain; the keys are
// left to the caller.
void setUpDensePatch(testhost::Plugin& p);

} // namespace bench
