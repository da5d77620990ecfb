// Structural settings changed while notes sound, through the real plug-in: every switch, type
// and mode a musician can click, flipped under held notes that started between two of the
// voices' control steps and rendered in short blocks. Nothing may crash, and the output stays
// finite and inside the clamp.
#include "ScenarioPatches.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using scenariopatch::settle;
using testhost::Plugin;

constexpr float kBound = 0.999f;

// Renders `frames` frames in short blocks whose lengths cycle through odd sizes, so changes
// land at every position of the voices' pass grid. Returns the peak; a sample that is not
// finite or beyond the clamp fails the test at once and returns -1.
float renderShort(Plugin& p, int frames, const char* what) {
    static constexpr int kSizes[] = {3, 1, 5, 3, 7, 2, 3};
    std::vector<float> l, r;
    float peak = 0.0f;
    int size = 0;
    for (int done = 0; done < frames;) {
        const int n = kSizes[size++ % 7];
        p.process(n, l, r);
        for (int i = 0; i < n; ++i)
            for (float x : {l[i], r[i]}) {
                if (!std::isfinite(x) || std::fabs(x) > kBound) {
                    ADD_FAILURE() << what << ": sample " << x << " at frame " << done + i;
                    return -1.0f;
                }
                peak = std::fmax(peak, std::fabs(x));
            }
        done += n;
    }
    return peak;
}

// A plain, audible patch: saw and square, no unison, effects bypassed, the amp envelope
// holding at full level.
void plainPatch(Plugin& p) {
    settle(p);
    p.setParameter(tag::Osc1Type, scenariopatch::stepped(1, 7.99f));
    p.setParameter(tag::Osc2Type, scenariopatch::stepped(2, 7.99f));
    p.setParameter(tag::UnisonMode, 0.0f);
    p.setParameter(tag::BypassFxOn, 1.0f);
    p.setParameter(tag::AmpEnvAttack, 0.0f);
    p.setParameter(tag::AmpEnvSustain, 1.0f);
}

TEST(HostStateChanges, OscillatorSwitchedOnUnderAHeldNoteSoundsAtOnce) {
    testhost::resetHost();
    Plugin p(44100.0f, 512);
    plainPatch(p);
    for (int osc : {tag::Osc2On, tag::Osc1On}) {
        p.setParameter(tag::Osc1On, 0.0f);
        p.setParameter(tag::Osc2On, 0.0f);
        renderShort(p, 600, "both off");
        // A note starting at frame 5 of a block: its voice's control steps fall between the
        // engine's slow updates.
        p.sendMidi({{5, 0x90, 60, 100}});
        EXPECT_LT(renderShort(p, 700, "note with both oscillators off"), 1e-3f);
        p.setParameter(osc, 1.0f);
        // The switch is read by the next slow update (within 128 samples); from there on the
        // oscillator sounds, whatever the voice's pass count.
        const float peak = renderShort(p, 200, "oscillator switched on");
        EXPECT_GT(peak, 0.01f) << "tag " << osc;
        p.sendMidi({{0, 0x80, 60, 0}});
        renderShort(p, 4000, "release");
    }
}

// Every switch, type, mode, order and wave a voice reads, each swept through its whole range
// under held notes, then left at a value of its range while the next one is swept.
TEST(HostStateChanges, EveryStructuralSettingFlipsSafelyUnderHeldNotes) {
    const int tags[] = {tag::Osc1On,
                        tag::Osc2On,
                        tag::Osc1Type,
                        tag::Osc2Type,
                        tag::Osc1OutputOn,
                        tag::Osc2SyncOn,
                        tag::Osc2ModMode,
                        tag::Osc2ModAmount,
                        tag::Osc1SubVolume,
                        tag::Osc2SubVolume,
                        tag::Osc1Spread,
                        tag::Osc2Spread,
                        tag::Osc1ZekAmount,
                        tag::Osc2ZekAmount,
                        tag::Osc1Octave,
                        tag::Osc2Octave,
                        tag::Osc1FreeRunningOn,
                        tag::Osc2FreeRunningOn,
                        tag::Osc1KeyTrackOn,
                        tag::Osc2KeyTrackOn,
                        tag::Osc1FreeLfoOn,
                        tag::Osc2FreeLfoOn,
                        tag::Osc1LfoSyncOn,
                        tag::Osc2LfoSyncOn,
                        tag::Osc1AmpEnvSyncOn,
                        tag::Osc2AmpEnvSyncOn,
                        tag::Osc1PitchEnvSyncOn,
                        tag::Osc2PitchEnvSyncOn,
                        tag::AnalogDriftOn,
                        tag::UnisonMode,
                        tag::UnisonDelaySyncOn,
                        tag::PlayMode,
                        tag::PortamentoMode,
                        tag::OscPath,
                        tag::FilterType,
                        tag::FilterSplitModeOn,
                        tag::FilterEnvInverseOn,
                        tag::FilterEnvSyncOn,
                        tag::HpOn,
                        tag::HpTrackOn,
                        tag::HpQOn,
                        tag::PreEqOn,
                        tag::PreEqFilterMode,
                        tag::PostEqOn,
                        tag::PostEqFilterMode,
                        tag::WaveShaperOn,
                        tag::VoiceDistortionOn,
                        tag::VoiceDistortionMode,
                        tag::LowFiOn,
                        tag::GaterOn,
                        tag::GaterMode,
                        tag::Free1EnvSyncOn,
                        tag::Free2EnvSyncOn,
                        tag::MainLfoWave,
                        tag::MainLfoPlayMode,
                        tag::MainLfoSyncOn,
                        tag::MainLfoPhase,
                        tag::FreeLfo1Wave,
                        tag::FreeLfo1PlayMode,
                        tag::FreeLfo1SyncOn,
                        tag::FreeLfo2Wave,
                        tag::FreeLfo2PlayMode,
                        tag::FreeLfo2SyncOn,
                        tag::FreeLfo12Mode,
                        tag::Xy1PlayMode,
                        tag::Xy2PlayMode,
                        tag::BrickFilterOn,
                        tag::ArpOn,
                        tag::ArpMode,
                        tag::ArpPlayMode};
    // 48 values from 0 to 1 reach every step of a tag with up to 48 steps (stored as
    // (i + 0.1) / (n - 0.01)).
    constexpr int kValues = 48;
    testhost::resetHost();
    Plugin p(44100.0f, 512);
    plainPatch(p);
    p.setParameter(tag::Osc1On, 0.0f);
    p.setParameter(tag::Osc2On, 0.0f);
    int key = 0;
    auto retrigger = [&](int offset) {
        std::vector<std::array<int, 4>> notes;
        for (int k = 0; k < 3; ++k) notes.push_back({0, 0x80, 48 + 7 * k + key % 12, 0});
        ++key;
        for (int k = 0; k < 3; ++k)
            notes.push_back({offset + 2 * k, 0x90, 48 + 7 * k + key % 12, 100});
        p.sendMidi(notes);
    };
    for (int round = 0; round < 2; ++round) {
        for (int t : tags) {
            retrigger(round == 0 ? 5 : 3);
            renderShort(p, 37, "notes start");
            for (int i = 0; i < kValues; ++i) {
                const float value = static_cast<float>(i) / (kValues - 1);
                p.setParameter(t, value);
                // Past one slow update (128 samples) and eight passes of every voice.
                if (renderShort(p, 150, "sweep") < 0.0f) {
                    ADD_FAILURE() << "tag " << t << " at " << value << ", round " << round;
                    return;
                }
                // A play mode, unison or arpeggiator change may stop the voices.
                if (i % 8 == 7) retrigger(1 + i % 5);
            }
            // Left somewhere in its range, so later sweeps meet it in another state.
            p.setParameter(t, static_cast<float>((t * 7 + round * 3) % kValues) / (kValues - 1));
        }
    }
}

} // namespace
