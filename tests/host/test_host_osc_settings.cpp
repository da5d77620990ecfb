// The oscillators' settings of a held note follow edits of their knobs and of the matrix slots
// that reach them, through the real plug-in: a note whose settings stood still for a while and
// then see an edit sounds, once the edit's smoothing has settled, as the same note on an
// instance that had the edit from the start.
#include "AudioAnalysis.h"
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
constexpr int kVelocity = 17; // the matrix source

using scenariopatch::Edit;

struct Case {
    const char* what;
    int dest;                                   // slot 1's destination (velocity, amount 0.5)
    std::vector<std::pair<int, float>> changes; // the edit
};

// Saw and square, one voice, no drift or free-running phases, effects bypassed; slot 1 from
// velocity onto `dest`. One note held; the edit comes with the patch, after 0.27 s of the note,
// or not at all. Returns the left channel from 0.4 s after the note's start on.
std::vector<float> play(const Case& c, Edit edit) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    p.setParameter(tag::Osc1LfoSpeed, 0.6f);
    p.setParameter(tag::Osc2LfoSpeed, 0.6f);
    p.setParameter(tag::ModSourceFirst, (kVelocity + 0.1f) / 127.99f);
    p.setParameter(tag::ModDestFirst, (c.dest + 0.1f) / 399.99f);
    p.setParameter(tag::ModAmountFirst, 0.5f);
    p.setParameter(tag::ModBypassFirst, 0.0f);
    return scenariopatch::playEditedNote(p, c.changes, edit);
}

using audio::largestDifference;

} // namespace

TEST(HostOscSettings, EditsUnderAHeldNoteSoundAsOnAFreshInstance) {
    testhost::resetHost();
    constexpr int kNone = 0, kOsc1Symmetry = 28, kOsc1Phase = 30, kOsc2Volume = 64;
    const std::vector<Case> cases = {
        {"oscillator 1 symmetry knob", kNone, {{tag::Osc1Symmetry, 0.8f}}},
        {"oscillator 2 symmetry knob", kNone, {{tag::Osc2Symmetry, 0.25f}}},
        {"oscillator 1 level knob", kNone, {{tag::Osc1Volume, 0.3f}}},
        {"oscillator 2 pan knob", kNone, {{tag::Osc2Pan, 0.9f}}},
        {"oscillator 1 amp envelope depth", kNone, {{tag::Osc1AmpEnvAmount, 0.1f}}},
        {"oscillator 2 LFO onto PWM", kNone, {{tag::Osc2LfoToPwm, 0.7f}}},
        {"oscillator 1 LFO onto level", kNone, {{tag::Osc1LfoToAmp, 0.8f}}},
        {"slot onto oscillator 1 symmetry", kOsc1Symmetry, {{tag::ModAmountFirst, 0.9f}}},
        {"slot onto oscillator 1 phase", kOsc1Phase, {{tag::ModAmountFirst, 0.8f}}},
        {"slot onto oscillator 2 level", kOsc2Volume, {{tag::ModAmountFirst, 0.1f}}},
        {"slot re-routed onto oscillator 1 phase",
         kOsc1Symmetry,
         {{tag::ModDestFirst, (kOsc1Phase + 0.1f) / 399.99f}, {tag::ModAmountFirst, 0.8f}}},
    };
    for (const Case& c : cases)
        expectEditUnderNoteAsFromStart([&c](Edit e) { return play(c, e); }, c.what, 1.0e-3f);
}

namespace {

constexpr int kOsc1LfoSource = 56, kOsc2LfoSource = 58, kOsc2LfoUnipolar = 59, kMainLfo = 60;
constexpr int kOsc1Semi = 21, kOsc1Symmetry = 28;

float sourceValue(int source) {
    return (source + 0.1f) / 127.99f;
}
float destValue(int dest) {
    return (dest + 0.1f) / 399.99f;
}

using Settings = std::vector<std::pair<int, float>>;

// Four voices whose oscillator LFOs run at their own speeds, with `setup`; slot 1 takes the Main
// LFO onto oscillator 1's symmetry. Bypassed slots from slot 3 on name the `readers` sources
// from the start, so their values are read on every pass. The first three keys are held, the
// fourth is released before the edit and struck again after it, so its voice sleeps through
// the edit. The edit comes after 0.27 s, or not at all. Returns the left channel from 0.4 s on.
std::vector<float> playFour(const Settings& setup, const Settings& changes, bool edit,
                            const std::vector<int>& readers) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    p.setParameter(tag::AmpEnvRelease, 0.0f);
    p.setParameter(tag::Osc1LfoSpeed, 0.6f);
    p.setParameter(tag::Osc2LfoSpeed, 0.55f);
    p.setParameter(tag::MainLfoSpeed, 0.4f);
    p.setParameter(tag::ModSourceFirst, sourceValue(kMainLfo));
    p.setParameter(tag::ModDestFirst, destValue(kOsc1Symmetry));
    p.setParameter(tag::ModAmountFirst, 0.8f);
    p.setParameter(tag::ModBypassFirst, 0.0f);
    p.setParameter(tag::ModBypassFirst + 1, 0.0f);
    for (auto [t, v] : setup) p.setParameter(t, v);
    for (size_t k = 0; k < readers.size(); ++k) {
        p.setParameter(tag::ModSourceFirst + 2 + int(k), sourceValue(readers[k]));
        p.setParameter(tag::ModBypassFirst + 2 + int(k), 1.0f);
    }
    std::vector<float> l, r, out;
    p.process(512, l, r);
    p.sendMidi({{3, 0x90, 45, 100}, {48, 0x90, 64, 90}, {77, 0x90, 52, 110}});
    p.process(kBlock, l, r);
    p.sendMidi({{16, 0x90, 57, 80}});
    for (int b = 0; b < 250; ++b) {
        if (b == 40) p.sendMidi({{5, 0x80, 57, 0}});
        if (b == 100 && edit)
            for (auto [t, v] : changes) p.setParameter(t, v);
        if (b == 130) p.sendMidi({{9, 0x90, 57, 80}});
        p.process(kBlock, l, r);
        if (b >= 150) out.insert(out.end(), l.begin(), l.begin() + kBlock);
    }
    return out;
}

struct ReaderCase {
    const char* what;
    Settings setup, changes;
};

// Each case's edit is heard, and under held notes it sounds bit for bit as where the `readers`
// sources were read all along.
void expectEditAsWithReaders(const std::vector<ReaderCase>& cases,
                             const std::vector<int>& readers) {
    for (const ReaderCase& c : cases) {
        const std::vector<float> before = playFour(c.setup, c.changes, false, {});
        const std::vector<float> read = playFour(c.setup, c.changes, true, readers);
        const std::vector<float> edited = playFour(c.setup, c.changes, true, {});
        ASSERT_FALSE(read.empty());
        EXPECT_GT(largestDifference(before, edited), 0.02f) << c.what << ": the edit is heard";
        EXPECT_EQ(largestDifference(edited, read), 0.0f) << c.what;
    }
}

} // namespace

// An oscillator LFO runs on while nothing hears it: a depth or a reader of its source that
// appears under held notes (and while a voice sleeps) finds the LFO where it would have been,
// and the notes sound bit for bit as where its values were read all along.
TEST(HostOscSettings, OscillatorLfoReadersAppearingUnderHeldNotesFindItsPhase) {
    testhost::resetHost();
    const Settings freeLfo2 = {{tag::Osc2FreeLfoOn, 1.0f}};
    const std::vector<ReaderCase> cases = {
        {"oscillator 1 LFO onto pitch", {}, {{tag::Osc1LfoToPitch, 0.3f}}},
        {"oscillator 2 LFO onto level", {}, {{tag::Osc2LfoToAmp, 0.8f}}},
        {"oscillator 1 LFO onto PWM", {}, {{tag::Osc1LfoToPwm, 0.7f}}},
        {"free-running oscillator 2 LFO onto pitch", freeLfo2, {{tag::Osc2LfoToPitch, 0.4f}}},
        {"slot from free-running oscillator 2's LFO onto oscillator 1 pitch",
         freeLfo2,
         {{tag::ModSourceFirst + 1, sourceValue(kOsc2LfoSource)},
          {tag::ModDestFirst + 1, destValue(kOsc1Semi)},
          {tag::ModAmountFirst + 1, 0.7f}}},
        {"Main LFO speed from free-running oscillator 2's LFO",
         freeLfo2,
         {{tag::MainLfoSpeedModSource, sourceValue(kOsc2LfoSource)},
          {tag::MainLfoSpeedModAmount, 0.9f}}},
        {"slot from oscillator 1's LFO onto oscillator 1 pitch",
         {},
         {{tag::ModSourceFirst + 1, sourceValue(kOsc1LfoSource)},
          {tag::ModDestFirst + 1, destValue(kOsc1Semi)},
          {tag::ModAmountFirst + 1, 0.6f}}},
        {"slot from oscillator 2's unipolar LFO onto oscillator 1 symmetry",
         {},
         {{tag::ModSourceFirst + 1, sourceValue(kOsc2LfoUnipolar)},
          {tag::ModDestFirst + 1, destValue(kOsc1Symmetry)},
          {tag::ModAmountFirst + 1, 0.9f}}},
        {"Main LFO speed from oscillator 1's LFO",
         {},
         {{tag::MainLfoSpeedModSource, sourceValue(kOsc1LfoSource + 1)},
          {tag::MainLfoSpeedModAmount, 0.95f}}},
    };
    expectEditAsWithReaders(cases, {kOsc1LfoSource, kOsc2LfoSource});
}

// Oscillator 1 with its output off, oscillator 2 not modulated by it and no slot reading its
// output makes no samples, yet runs on: its output switched on under held unison notes (and while
// a voice sleeps) finds its phases and amp envelope where a reader of its output kept them, bit
// for bit; and oscillator 2's ring modulation and a slot from its output still hear it.
TEST(HostOscSettings, UnheardOscillator1RunsOnAndIsHeardByItsReaders) {
    testhost::resetHost();
    constexpr int kOsc1Output = 90, kOsc2Semi = 69;
    const Settings unheard = {{tag::Osc1OutputOn, 0.0f},       {tag::Osc2ModMode, 0.0f},
                              {tag::Osc1ZekAmount, 0.7f},      {tag::Osc1Spread, 0.4f},
                              {tag::Osc1SubVolume, 0.9f},      {tag::Osc1AmpEnvAmount, 0.95f},
                              {tag::Osc1AmpEnvDecay, 0.6f},    {tag::Osc1AmpEnvSustain, 0.2f},
                              {tag::UnisonMode, 3.1f / 29.99f}};
    Settings ring = unheard, slot = unheard;
    ring.insert(ring.end(), {{tag::Osc2ModMode, 3.1f / 19.99f}, {tag::Osc2ModAmount, 0.8f}});
    slot.insert(slot.end(), {{tag::ModSourceFirst + 1, sourceValue(kOsc1Output)},
                             {tag::ModDestFirst + 1, destValue(kOsc2Semi)},
                             {tag::ModAmountFirst + 1, 0.95f}});
    expectEditAsWithReaders(
        {{"oscillator 1's output switched on", unheard, {{tag::Osc1OutputOn, 1.0f}}},
         {"oscillator 1 off under oscillator 2's ring modulation", ring, {{tag::Osc1On, 0.0f}}},
         {"oscillator 1 off under a slot from its output", slot, {{tag::Osc1On, 0.0f}}}},
        {kOsc1Output});
}

// Oscillators switched off under held unison notes leave nothing of their last samples behind:
// with nothing reaching the output the voices fall silent, and oscillator 2's phase modulation
// by a switched-off oscillator 1 is none at all, as with the modulation off.
TEST(HostOscSettings, OscillatorsSwitchedOffUnderUnisonNotesLeaveNothingBehind) {
    auto play = [](float modMode, std::vector<std::pair<int, float>> edit) {
        testhost::resetHost();
        Plugin p(48000.0f, kBlock);
        scenariopatch::voicePatch(p, 5); // "6 Voices", sixteen keys held
        p.setParameter(tag::Osc2ModMode, modMode);
        p.setParameter(tag::Osc2ModAmount, 0.6f);
        std::vector<float> l, r, out;
        for (int b = 0; b < 400; ++b) {
            if (b == 80)
                for (auto [t, v] : edit) p.setParameter(t, v);
            p.process(kBlock, l, r);
            out.insert(out.end(), l.begin(), l.begin() + kBlock);
        }
        return out;
    };
    auto peak = [](const std::vector<float>& x, size_t from) {
        float m = 0.0f;
        for (size_t i = from; i < x.size(); ++i) m = std::fmax(m, std::fabs(x[i]));
        return m;
    };
    const size_t late = 360 * kBlock;
    const std::vector<float> quiet = play(0.0f, {{tag::Osc2On, 0.0f}, {tag::Osc1OutputOn, 0.0f}});
    EXPECT_GT(peak(quiet, 0), 0.05f);
    EXPECT_LT(peak(quiet, late), 1.0e-4f) << "no oscillator reaches the output";
    const float pm = 1.1f / 19.99f;
    const std::vector<float> modulated = play(pm, {{tag::Osc1On, 0.0f}});
    const std::vector<float> plain = play(0.0f, {{tag::Osc1On, 0.0f}});
    EXPECT_GT(peak(plain, late), 0.05f);
    EXPECT_GT(largestDifference(std::vector<float>(modulated.begin(), modulated.begin() + late / 2),
                                std::vector<float>(plain.begin(), plain.begin() + late / 2)),
              0.02f)
        << "the modulation is heard while oscillator 1 plays";
    EXPECT_EQ(largestDifference(std::vector<float>(modulated.begin() + late, modulated.end()),
                                std::vector<float>(plain.begin() + late, plain.end())),
              0.0f)
        << "a switched-off oscillator 1 modulates nothing";
}

namespace {

constexpr int kVelocitySource = 17, kGlobalPitch = 8, kOsc2Symmetry = 78;

// Four keys under six-voice unison with `mode`, while the host bends the pitch, sweeps levels
// and symmetry knobs block by block, and turns per-pass modulation (the oscillator LFOs onto
// pitch and PWM) on and off again. With `zeroSlots`, three slots of amount 0 (from velocity,
// a value that never moves) write oscillator 1's and 2's symmetry and the global pitch: the
// oscillators then take every setting and increment afresh on every pass, which must sound the
// same as letting them stand between control steps. Returns both channels.
std::vector<float> playUnisonMode(const Settings& mode, bool zeroSlots) {
    Plugin p(48000.0f, kBlock);
    scenariopatch::repeatableSawSquarePatch(p);
    p.setParameter(tag::UnisonMode, scenariopatch::stepped(5, 29.99f)); // "6 Voices"
    p.setParameter(tag::Osc1LfoSpeed, 0.6f);
    p.setParameter(tag::Osc2LfoSpeed, 0.45f);
    // No LFO depth or pitch envelope to begin with: nothing moves the settings or the
    // increments between control steps.
    for (int t : {tag::Osc1LfoToPitch, tag::Osc2LfoToPitch, tag::Osc1LfoToPwm, tag::Osc2LfoToPwm,
                  tag::Osc1LfoToAmp, tag::Osc2LfoToAmp})
        p.setParameter(t, 0.0f);
    p.setParameter(tag::PitchBendUp, 2.5f / 15.99f); // two semitones each way
    p.setParameter(tag::PitchBendDown, 2.5f / 15.99f);
    p.setParameter(tag::Osc1PitchEnvAmount, 0.5f); // the centre: no pitch envelope
    p.setParameter(tag::Osc2PitchEnvAmount, 0.5f);
    for (auto [t, v] : mode) p.setParameter(t, v);
    if (zeroSlots) {
        const int dests[3] = {kOsc1Symmetry, kOsc2Symmetry, kGlobalPitch};
        for (int k = 0; k < 3; ++k) {
            p.setParameter(tag::ModSourceFirst + 13 + k, sourceValue(kVelocitySource));
            p.setParameter(tag::ModDestFirst + 13 + k, destValue(dests[k]));
            p.setParameter(tag::ModOffsetFirst + 13 + k, 0.5f);
            p.setParameter(tag::ModAmountFirst + 13 + k, 0.5f);
            p.setParameter(tag::ModBypassFirst + 13 + k, 0.0f);
        }
    }
    std::vector<float> l, r, out;
    p.process(512, l, r);
    p.sendMidi({{3, 0x90, 45, 100}, {40, 0x90, 52, 90}, {77, 0x90, 57, 110}, {90, 0x90, 64, 70}});
    for (int b = 0; b < 160; ++b) {
        if (b == 20) p.sendMidi({{11, 0xE0, 0, 100}}); // bent up
        if (b == 45) p.sendMidi({{70, 0xE0, 0, 20}});  // and down
        if (b == 60) p.sendMidi({{33, 0xE0, 0, 64}});  // centred
        if (b >= 30 && b < 50) {
            p.setParameter(tag::Osc2Volume, 0.9f - 0.01f * float(b - 30));
            p.setParameter(tag::Osc1Symmetry, 0.5f + 0.01f * float(b - 30));
        }
        if (b == 70) {
            p.setParameter(tag::Osc1LfoToPitch, 0.3f);
            p.setParameter(tag::Osc2LfoToPwm, 0.6f);
        }
        if (b == 100) {
            p.setParameter(tag::Osc1LfoToPitch, 0.0f);
            p.setParameter(tag::Osc2LfoToPwm, 0.0f);
        }
        if (b == 120) p.sendMidi({{50, 0x80, 52, 0}});
        p.process(kBlock, l, r);
        out.insert(out.end(), l.begin(), l.begin() + kBlock);
        out.insert(out.end(), r.begin(), r.begin() + kBlock);
    }
    return out;
}

} // namespace

// Each oscillator mode under unison, its settings and increments left standing between control
// steps while nothing moves them, sounds bit for bit as where they are taken afresh every pass,
// through pitch bends, knob sweeps and per-pass LFO modulation switched on and off.
TEST(HostOscSettings, UnisonModesSoundTheSameWhetherSettingsStandOrAreTakenEveryPass) {
    testhost::resetHost();
    auto modMode = [](int m) {
        return Settings{{tag::Osc2ModMode, (m + 0.1f) / 19.99f}, {tag::Osc2ModAmount, 0.4f}};
    };
    const std::vector<std::pair<const char*, Settings>> modes = {
        {"plain saw and square", {}},
        {"symmetry off centre", {{tag::Osc2Symmetry, 0.8f}}},
        {"spread", {{tag::Osc1Spread, 0.5f}, {tag::Osc2Spread, 0.3f}}},
        {"sub-oscillators", {{tag::Osc1SubVolume, 0.9f}, {tag::Osc2SubVolume, 0.8f}}},
        {"phase modulation", modMode(1)},
        {"frequency modulation", modMode(2)},
        {"ring modulation", modMode(3)},
        {"hard sync", {{tag::Osc2SyncOn, 1.0f}}},
        {"ZEK morph", {{tag::Osc1ZekAmount, 0.6f}}},
        {"pitch envelope", {{tag::Osc1PitchEnvAmount, 0.8f}}},
        {"noise", {{tag::Osc2Type, scenariopatch::stepped(6, 7.99f)}}},
    };
    for (const auto& [what, mode] : modes) {
        const std::vector<float> standing = playUnisonMode(mode, false);
        const std::vector<float> afresh = playUnisonMode(mode, true);
        ASSERT_EQ(standing.size(), afresh.size());
        EXPECT_TRUE(audio::allFiniteNormal(standing)) << what;
        EXPECT_GT(audio::peak(standing), 0.01f) << what;
        EXPECT_EQ(largestDifference(standing, afresh), 0.0f) << what;
    }
}
