// A held note's own LFOs and envelope sources, through the real plug-in: an LFO that idled (run
// globally, or read by nothing) and then starts to run for the voice under the held note, or an
// envelope source that nothing read until then, sounds as on an instance that had its reader
// from the note's start.
#include "EditChecks.h"
#include "ScenarioPatches.h"

#include <gtest/gtest.h>

#include <cmath>
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
