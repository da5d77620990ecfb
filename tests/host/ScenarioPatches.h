// The patches of the performance scenarios, played through the real plug-in: the voice patch,
// the full voice path, the effect chain, the arpeggiator storm, dense modulation and the dense
// patch. Shared by the benchmark table and the host tests that run these scenarios.
#pragma once

#include "bench/DensePatch.h"
#include "engine/params/ParamTags.h"
#include "tests/host/StagesPatch.h"
#include "tests/host/TestHost.h"

#include <array>
#include <utility>
#include <vector>

namespace scenariopatch {

inline float stepped(int index, float range) {
    return (static_cast<float>(index) + 0.1f) / range;
}

// Renders until the start-up program has been applied (it lands at sample 4,096).
inline void settle(testhost::Plugin& p) {
    std::vector<float> l, r;
    for (int i = 0; i < 3; ++i) p.process(4096, l, r);
}

// Sixteen keys over three octaves (40, 43, .. 85) pressed or released.
// A plain, audible patch: saw and square, no unison, effects bypassed, the amp envelope
// holding at full level.
inline void sawSquarePatch(testhost::Plugin& p) {
    settle(p);
    p.setParameter(tag::Osc1Type, stepped(1, 7.99f));
    p.setParameter(tag::Osc2Type, stepped(2, 7.99f));
    p.setParameter(tag::UnisonMode, 0.0f);
    p.setParameter(tag::BypassFxOn, 1.0f);
    p.setParameter(tag::AmpEnvAttack, 0.0f);
    p.setParameter(tag::AmpEnvSustain, 1.0f);
}

// The saw and square with both oscillators on and every phase starting afresh at each note (no
// drift, no free-running oscillators), so two instances given the same events play the same
// samples.
inline void repeatableSawSquarePatch(testhost::Plugin& p) {
    sawSquarePatch(p);
    p.setParameter(tag::AnalogDriftOn, 0.0f);
    p.setParameter(tag::Osc1FreeRunningOn, 0.0f);
    p.setParameter(tag::Osc2FreeRunningOn, 0.0f);
    p.setParameter(tag::Osc1On, 1.0f);
    p.setParameter(tag::Osc2On, 1.0f);
}

// When an edit reaches a held note: never, with the patch before the note, or 0.27 s into it.
enum class Edit { None, FromStart, UnderNote };

// One key held from the first block on, with `changes` applied as `edit` says, in blocks of 128.
// Returns the left channel from 0.4 s after the note's start on.
inline std::vector<float>
playEditedNote(testhost::Plugin& p, const std::vector<std::pair<int, float>>& changes, Edit edit) {
    constexpr int block = 128;
    auto apply = [&] {
        for (auto [t, v] : changes) p.setParameter(t, v);
    };
    if (edit == Edit::FromStart) apply();
    std::vector<float> l, r, out;
    p.process(512, l, r);
    p.sendMidi({{3, 0x90, 57, 100}});
    for (int b = 0; b < 250; ++b) {
        if (b == 100 && edit == Edit::UnderNote) apply();
        p.process(block, l, r);
        if (b >= 150) out.insert(out.end(), l.begin(), l.begin() + block);
    }
    return out;
}

inline void holdSixteen(testhost::Plugin& p, bool on = true) {
    std::vector<std::array<int, 4>> notes;
    for (int v = 0; v < 16; ++v) notes.push_back({0, on ? 0x90 : 0x80, 40 + 3 * v, on ? 100 : 0});
    p.sendMidi(notes);
}
inline void releaseSixteen(testhost::Plugin& p) {
    holdSixteen(p, false);
}

// Oscillators plain (saw and square), only the amp envelope, effects bypassed; `unisonMode` is
// the "Unison Mode" index (5: "6 Voices"). Sixteen keys over three octaves are then held.
inline void voicePatch(testhost::Plugin& p, int unisonMode) {
    settle(p);
    const float typeRange = 7.99f;
    p.setParameter(tag::Osc1On, 1.0f);
    p.setParameter(tag::Osc1Type, stepped(1, typeRange));
    p.setParameter(tag::Osc2On, 1.0f);
    p.setParameter(tag::Osc2Type, stepped(2, typeRange));
    p.setParameter(tag::Osc2SyncOn, 0.0f);
    p.setParameter(tag::Osc2ModMode, 0.0f);
    for (int t : {tag::Osc1SubVolume, tag::Osc2SubVolume, tag::Osc1AmpEnvAmount,
                  tag::Osc1PitchEnvAmount, tag::Osc2AmpEnvAmount, tag::Osc2PitchEnvAmount})
        p.setParameter(t, 0.5f);
    for (int t : {tag::Osc1Spread, tag::Osc2Spread, tag::Osc1ZekAmount, tag::Osc2ZekAmount,
                  tag::FilterType, tag::FilterEnvAmount, tag::PreEqOn, tag::PostEqOn,
                  tag::WaveShaperOn, tag::VoiceDistortionOn, tag::LowFiOn, tag::GaterOn, tag::HpOn,
                  tag::Osc1LfoToPitch, tag::Osc2LfoToPitch})
        p.setParameter(t, 0.0f);
    p.setParameter(tag::UnisonMode, stepped(unisonMode, 29.99f));
    p.setParameter(tag::AmpEnvAttack, 0.1f);
    p.setParameter(tag::AmpEnvSustain, 0.8f);
    p.setParameter(tag::BypassFxOn, 1.0f);
    std::vector<float> l, r;
    p.process(512, l, r);
    std::vector<std::array<int, 4>> notes;
    for (int k = 0; k < 16; ++k) notes.push_back({0, 0x90, 48 + (k * 36) / 16, 100});
    p.sendMidi(notes);
}

// Every voice stage on: "24 LP2" with drive and envelope, high-pass, both EQs, waveshaper,
// low-fi and "Tube" distortion, two oscillators.
inline stagespatch::Stages fullVoicePath() {
    namespace sp = stagespatch;
    sp::Stages s;
    s.filterType = sp::k24LP2;
    s.cutoff = 0.7f;
    s.resonance = 0.5f;
    s.drive = 0.5f;
    s.envAmount = 0.8f;
    s.hp = true;
    s.eqs = true;
    s.eqMode = 0; // three active bands each, the cut filters off
    s.shaper = s.lofi = s.distortion = true;
    s.distortMode = sp::kTube;
    s.twoOscillators = true;
    return s;
}

// The effect chain: kChain is a synced delay with feedback 0.7, a long reverb and the gater;
// kFull adds the distortion FX "Amp" and the modulation FX "Ensemble"; kNoFX turns them off.
enum FxScenario { kNoFX, kChain, kFull };
inline void setUpFX(testhost::Plugin& p, FxScenario scenario) {
    const bool on = scenario != kNoFX;
    const bool full = scenario == kFull;
    p.setParameter(tag::BypassFxOn, 0.0f);
    p.setParameter(343, on ? 1.0f : 0.0f);       // "Delay On/Off"
    p.setParameter(344, 1.0f);                   // tempo sync
    p.setParameter(101, (0.7f + 0.99f) / 1.98f); // feedback 0.7
    p.setParameter(98, 0.4f);                    // delay mix
    p.setParameter(346, on ? 1.0f : 0.0f);       // "Reverb On/Off"
    p.setParameter(tag::ReverbLength, 1.0f);
    p.setParameter(107, 0.59f);            // size
    p.setParameter(105, 0.4f);             // reverb mix
    p.setParameter(347, on ? 1.0f : 0.0f); // "Gater On/Off"
    p.setParameter(355, (0x5F5F + 0.5f) / 65536.0f);
    p.setParameter(356, (0x7777 + 0.5f) / 65536.0f);
    p.setParameter(338, full ? 1.0f : 0.0f); // "Distort FX On/Off"
    p.setParameter(339, 0.1f / 39.99f);      // "Amp"
    p.setParameter(340, full ? 1.0f : 0.0f); // "Mod FX On/Off"
    p.setParameter(341, 4.1f / 19.99f);      // "Ensemble"
}

// The arpeggiator at its fastest: chord mode at "16x BPM", every step ratcheted four times,
// six unison voices; stormKeys holds the eight keys of the storm.
inline void setUpStorm(testhost::Plugin& p) {
    p.setParameter(492, 1.0f);                // "Arp On/Off"
    p.setParameter(494, stepped(9, 19.99f));  // "Chord"
    p.setParameter(500, stepped(1, 9.99f));   // ratchets "On"
    p.setParameter(507, stepped(16, 16.99f)); // "16x BPM"
    p.setParameter(506, 1.0f);                // 16 steps
    p.setParameter(250, stepped(5, 29.99f));  // "6 Voices"
    for (int s = 0; s < 16; ++s) {
        p.setParameter(513 + s, 1.0f);              // on
        p.setParameter(529 + s, 0.0f);              // not tied
        p.setParameter(625 + s, stepped(3, 9.99f)); // ratchet "4"
    }
}
inline void stormKeys(testhost::Plugin& p) {
    std::vector<std::array<int, 4>> keys;
    for (int k : {48, 52, 55, 59, 60, 64, 67, 71}) keys.push_back({0, 0x90, k, 100});
    p.sendMidi(keys);
}

// All 16 matrix slots in use (bench/DensePatch.h holds the slot table).
using densepatch::setDenseModulation;

// The dense patch: the full voice path, dense modulation and the full FX chain; the keys are
// left to the caller.
inline void setUpDensePatch(testhost::Plugin& p) {
    stagespatch::apply(p, fullVoicePath());
    setDenseModulation([&](int t, float v) { p.setParameter(t, v); });
    setUpFX(p, kFull);
}

} // namespace scenariopatch
