// A held note's own LFOs and envelope sources, through the real plug-in: an LFO that idled (run
// globally, or read by nothing) and then starts to run for the voice under the held note, or an
// envelope source that nothing read until then, sounds as on an instance that had its reader
// from the note's start.
#include "EditChecks.h"
#include "ScenarioPatches.h"
#include "engine/modulation/ModIndices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using testhost::Plugin;

constexpr int kBlock = 128;
constexpr int kVelocity = 17, kFreeLfo1 = 62, kFreeLfo2 = 64, kOsc2Volume = 64;
constexpr int kOsc1AmpEnv = 40, kFilterEnvInverse = 49, kAmpLevelInverse = 51, kFreeEnv1 = 52;

using scenariopatch::Edit;

struct Case {
    const char* what;
    std::vector<std::pair<int, float>> patch;   // besides the plain saw and square
    std::vector<std::pair<int, float>> changes; // the edit
};

// One note held; the edit comes with the patch, after 0.27 s of the note, or not at all.
// Returns the left channel from 0.4 s after the note's start on.
std::vector<float> play(const Case& c, Edit edit) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    for (auto [t, v] : c.patch) p.setParameter(t, v);
    return scenariopatch::playEditedNote(p, c.changes, edit);
}

float source(int s) {
    return (static_cast<float>(s) + 0.1f) / 127.99f;
}

// A slot from the velocity to Osc 2 Volume, with `more` settings after it.
std::vector<std::pair<int, float>> velocitySlot(std::vector<std::pair<int, float>> more) {
    std::vector<std::pair<int, float>> patch = {{tag::ModBypassFirst, 0.0f},
                                                {tag::ModSourceFirst, source(kVelocity)},
                                                {tag::ModDestFirst, (kOsc2Volume + 0.1f) / 399.99f},
                                                {tag::ModAmountFirst, 0.1f}};
    patch.insert(patch.end(), more.begin(), more.end());
    return patch;
}

} // namespace

TEST(HostVoiceLfo, AnLfoThatStartsToRunUnderAHeldNoteSoundsAsOnAFreshInstance) {
    testhost::resetHost();
    const auto slot = velocitySlot({{tag::FreeLfo1Speed, 0.62f}, {tag::FreeLfo2Speed, 0.55f}});
    const std::vector<Case> cases = {
        {"Main LFO from global to per voice",
         {{tag::MainLfoToVolume, 1.0f}, {tag::MainLfoSpeed, 0.71f}, {tag::MainLfoPlayMode, 0.37f}},
         {{tag::MainLfoPlayMode, 0.0f}}},
        {"slot switched to Free LFO 1", slot, {{tag::ModSourceFirst, source(kFreeLfo1)}}},
        {"slot switched to Free LFO 2, synced to Free LFO 1",
         slot,
         {{tag::ModSourceFirst, source(kFreeLfo2)},
          {tag::FreeLfo12Mode, (9 + 0.1f) / 19.99f},
          {tag::FreeLfo12Amount, 0.3f}}},
    };
    // What is left is the oscillator level's smoothing of the edit, far below a phase slip.
    for (const Case& c : cases)
        expectEditUnderNoteAsFromStart([&c](Edit e) { return play(c, e); }, c.what, 1.0e-5f);
}

TEST(HostVoiceLfo, AnEnvelopeSourceFirstReadUnderAHeldNoteReadsItsCurrentValue) {
    testhost::resetHost();
    // Nothing reads the envelope sources before the edit (the slot reads the velocity); the
    // edit points the slot at one. Its row must hold the voice's value from the first pass.
    const auto slot = velocitySlot({{tag::Free1EnvSustain, 0.3f},
                                    {tag::Free1EnvFade, 0.7f}, // still moving when the edit comes
                                    {tag::FilterEnvSustain, 0.6f},
                                    {tag::AmpEnvSustain, 0.7f},
                                    {tag::Osc1AmpEnvSustain, 0.2f}});
    for (int s : {kOsc1AmpEnv, kFilterEnvInverse, kAmpLevelInverse, kFreeEnv1}) {
        const Case c{
            "slot switched to an envelope source", slot, {{tag::ModSourceFirst, source(s)}}};
        expectEditUnderNoteAsFromStart([&c](Edit e) { return play(c, e); },
                                       ("source " + std::to_string(s)).c_str(), 1.0e-5f);
    }
}

namespace {

// A slot from `source` to `destination` at `amount`.
std::vector<std::pair<int, float>> modSlot(int slot, int from, int to, float amount) {
    return {{tag::ModBypassFirst + slot, 0.0f},
            {tag::ModSourceFirst + slot, source(from)},
            {tag::ModDestFirst + slot, (to + 0.1f) / 399.99f},
            {tag::ModAmountFirst + slot, amount}};
}

// Four notes held for half a second, in blocks of 128; a 64-bit FNV-1a hash of both channels'
// sample bits.
uint64_t renderHash(const std::vector<std::pair<int, float>>& patch) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    for (auto [t, v] : patch) p.setParameter(t, v);
    std::vector<float> l, r;
    p.process(256, l, r);
    p.sendMidi({{0, 0x90, 50, 100}, {0, 0x90, 57, 90}, {5, 0x90, 62, 80}, {9, 0x90, 69, 70}});
    uint64_t hash = audio::kHashStart;
    for (int b = 0; b < 190; ++b) {
        p.process(kBlock, l, r);
        hash = audio::hashBits(audio::hashBits(hash, l, kBlock), r, kBlock);
    }
    return hash;
}

} // namespace

// The voices' own LFOs in every kind of step: the Free LFO 1/2 morph, sync, frequency and phase
// modulation and a combination, the random wave, a stopped LFO, a start delay, sample and hold,
// humanised restarts, the Main LFO per voice beside global free LFOs and the other way round.
// The hashes were taken on an earlier build: a rework of the voice LFO step that is meant to
// leave the sound alone must keep every bit.
TEST(HostVoiceLfo, EveryKindOfVoiceLfoStepKeepsItsRecordedSound) {
    testhost::resetHost();
    std::vector<std::pair<int, float>> base;
    // Every LFO and the combination heard on the oscillators' fine tune and volumes; the
    // velocity drives humanise, sample and hold, a start delay and the bits.
    const int slots[8][3] = {
        {66, oscDest(0, oscdest::Fine), 0},        {60, oscDest(1, oscdest::Fine), 0},
        {62, oscDest(0, oscdest::Volume), 0},      {64, oscDest(1, oscdest::Volume), 0},
        {17, LFO_DEST_FIRST[0] + kLfoHumanise, 1}, {17, LFO_DEST_FIRST[1] + kLfoHold, 1},
        {17, LFO_DEST_FIRST[2] + kLfoDelay, 1},    {17, LFO_DEST_FIRST[2] + kLfoBits, 1}};
    for (int s = 0; s < 8; ++s) {
        const auto slot = modSlot(s, slots[s][0], slots[s][1], slots[s][2] ? 0.35f : 0.6f);
        base.insert(base.end(), slot.begin(), slot.end());
    }
    for (auto [t, v] : std::vector<std::pair<int, float>>{{tag::MainLfoSpeed, 0.74f},
                                                          {tag::FreeLfo1Speed, 0.81f},
                                                          {tag::FreeLfo2Speed, 0.69f},
                                                          {tag::FreeLfo12Amount, 0.45f},
                                                          {tag::MainLfoPlayMode, 0.0f},
                                                          {tag::FreeLfo1PlayMode, 0.0f},
                                                          {tag::FreeLfo2PlayMode, 0.0f}})
        base.push_back({t, v});
    auto mode = [](int m) { return std::make_pair(int(tag::FreeLfo12Mode), (m + 0.1f) / 19.99f); };
    auto wave = [](int t, int w) { return std::make_pair(t, (w + 0.1f) / 7.99f); };
    struct Kind {
        const char* what;
        std::vector<std::pair<int, float>> changes;
        uint64_t hash;
    };
    const std::vector<Kind> kinds = {
        {"morph",
         {mode(12), wave(tag::FreeLfo1Wave, 3), wave(tag::FreeLfo2Wave, 1)},
         5204603839960548235ull},
        {"sync", {mode(9), wave(tag::FreeLfo2Wave, 2)}, 6088181667827087963ull},
        {"frequency modulation", {mode(10), wave(tag::FreeLfo1Wave, 4)}, 13602448500670010191ull},
        {"phase modulation", {mode(11), wave(tag::MainLfoWave, 5)}, 17769134643101491955ull},
        {"a combination, random waves",
         {mode(3), wave(tag::FreeLfo1Wave, 5), wave(tag::FreeLfo2Wave, 5)},
         8419743630345823631ull},
        {"morph of a random wave, Free LFO 2 stopped",
         {mode(12), wave(tag::FreeLfo1Wave, 5), {tag::FreeLfo2Speed, 0.0f}},
         3930938470764116883ull},
        {"Main LFO per voice, free LFOs global",
         {mode(12), {tag::FreeLfo1PlayMode, 0.6f}, {tag::FreeLfo2PlayMode, 0.6f}},
         12802342949547814259ull},
        {"free LFOs per voice, Main LFO global",
         {mode(10), {tag::MainLfoPlayMode, 0.6f}},
         7715739609939686131ull},
    };
    for (const Kind& k : kinds) {
        auto patch = base;
        patch.insert(patch.end(), k.changes.begin(), k.changes.end());
        EXPECT_EQ(renderHash(patch), k.hash) << k.what;
    }
}
