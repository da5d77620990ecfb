// Structural settings changed while notes sound, through the real plug-in: every switch, type
// and mode a musician can click, flipped under held notes that started between two of the
// voices' control steps and rendered in short blocks. Nothing may crash, and the output stays
// finite and inside the clamp.
#include "ScenarioPatches.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using scenariopatch::sawSquarePatch;
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

TEST(HostStateChanges, OscillatorSwitchedOnUnderAHeldNoteSounds) {
    testhost::resetHost();
    Plugin p(44100.0f, 512);
    sawSquarePatch(p);
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

// What a sweep sets a tag to: a switch off and on, every step of a menu (stored as
// (i + 0.1) / range), or a few values of a knob that switches a unit or wave set.
struct Sweep {
    int tag;
    float range; // 0: values i / (count - 1)
    int count;
};
constexpr Sweep kSwitch(int t) {
    return {t, 0.0f, 2};
}
// A knob around the middle, where the sub-oscillators switch their wave set and on state.
constexpr Sweep kKnob(int t) {
    return {t, 0.0f, 5};
}

std::vector<float> sweepValues(const Sweep& s) {
    std::vector<float> values;
    if (s.range <= 0.0f && s.count == 5) return {0.0f, 0.49f, 0.5f, 0.51f, 1.0f};
    for (int i = 0; i < s.count; ++i)
        values.push_back(s.range > 0.0f ? (static_cast<float>(i) + 0.1f) / s.range
                                        : static_cast<float>(i) / static_cast<float>(s.count - 1));
    return values;
}

// Every switch, type, mode, order and wave a voice reads, each swept through its values under
// held notes, then left at one of them while the next is swept; three rounds, so that each
// sweep meets the others in other states.
TEST(HostStateChanges, EveryStructuralSettingFlipsSafelyUnderHeldNotes) {
    const Sweep sweeps[] = {kSwitch(tag::Osc1On),
                            kSwitch(tag::Osc2On),
                            {tag::Osc1Type, 7.99f, 8},
                            {tag::Osc2Type, 7.99f, 8},
                            kSwitch(tag::Osc1OutputOn),
                            kSwitch(tag::Osc2SyncOn),
                            {tag::Osc2ModMode, 19.99f, 7},
                            kKnob(tag::Osc2ModAmount),
                            kKnob(tag::Osc1SubVolume),
                            kKnob(tag::Osc2SubVolume),
                            kKnob(tag::Osc1Spread),
                            kKnob(tag::Osc2Spread),
                            kKnob(tag::Osc1ZekAmount),
                            kKnob(tag::Osc2ZekAmount),
                            {tag::Osc1Octave, 8.99f, 9},
                            {tag::Osc2Octave, 8.99f, 9},
                            kSwitch(tag::Osc1FreeRunningOn),
                            kSwitch(tag::Osc2FreeRunningOn),
                            kSwitch(tag::Osc1KeyTrackOn),
                            kSwitch(tag::Osc2KeyTrackOn),
                            kSwitch(tag::Osc1FreeLfoOn),
                            kSwitch(tag::Osc2FreeLfoOn),
                            kSwitch(tag::Osc1LfoSyncOn),
                            kSwitch(tag::Osc2LfoSyncOn),
                            kSwitch(tag::Osc1AmpEnvSyncOn),
                            kSwitch(tag::Osc2AmpEnvSyncOn),
                            kSwitch(tag::Osc1PitchEnvSyncOn),
                            kSwitch(tag::Osc2PitchEnvSyncOn),
                            kSwitch(tag::AnalogDriftOn),
                            {tag::UnisonMode, 29.99f, 29},
                            kSwitch(tag::UnisonDelaySyncOn),
                            {tag::PlayMode, 9.99f, 9},
                            {tag::PortamentoMode, 4.99f, 5},
                            // 24 of the 720 orders, spread over the range.
                            {tag::OscPath, 0.0f, 24},
                            {tag::FilterType, 49.99f, 43},
                            kSwitch(tag::FilterSplitModeOn),
                            kSwitch(tag::FilterEnvInverseOn),
                            kSwitch(tag::FilterEnvSyncOn),
                            kSwitch(tag::HpOn),
                            kSwitch(tag::HpTrackOn),
                            kSwitch(tag::HpQOn),
                            kSwitch(tag::PreEqOn),
                            {tag::PreEqFilterMode, 3.99f, 4},
                            kSwitch(tag::PostEqOn),
                            {tag::PostEqFilterMode, 3.99f, 4},
                            kSwitch(tag::WaveShaperOn),
                            kSwitch(tag::VoiceDistortionOn),
                            {tag::VoiceDistortionMode, 39.99f, 23},
                            kSwitch(tag::LowFiOn),
                            kSwitch(tag::GaterOn),
                            {tag::GaterMode, 1.99f, 2},
                            kSwitch(tag::Free1EnvSyncOn),
                            kSwitch(tag::Free2EnvSyncOn),
                            {tag::MainLfoWave, 7.99f, 8},
                            {tag::MainLfoPlayMode, 2.99f, 3},
                            kSwitch(tag::MainLfoSyncOn),
                            {tag::MainLfoPhase, 3.99f, 4},
                            {tag::FreeLfo1Wave, 7.99f, 8},
                            {tag::FreeLfo1PlayMode, 2.99f, 3},
                            kSwitch(tag::FreeLfo1SyncOn),
                            {tag::FreeLfo2Wave, 7.99f, 8},
                            {tag::FreeLfo2PlayMode, 2.99f, 3},
                            kSwitch(tag::FreeLfo2SyncOn),
                            {tag::FreeLfo12Mode, 19.99f, 13},
                            {tag::Xy1PlayMode, 2.99f, 3},
                            {tag::Xy2PlayMode, 2.99f, 3},
                            kSwitch(tag::BrickFilterOn),
                            kSwitch(tag::ArpOn),
                            {tag::ArpMode, 19.99f, 16},
                            {tag::ArpPlayMode, 9.99f, 4}};
    testhost::resetHost();
    Plugin p(44100.0f, 512);
    sawSquarePatch(p);
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
    for (int round = 0; round < 3; ++round) {
        for (const Sweep& s : sweeps) {
            retrigger(round == 1 ? 3 : 5);
            renderShort(p, 37, "notes start");
            const std::vector<float> values = sweepValues(s);
            for (size_t i = 0; i < values.size(); ++i) {
                p.setParameter(s.tag, values[i]);
                // Past one slow update (128 samples) and eight passes of every voice.
                if (renderShort(p, 150, "sweep") < 0.0f) {
                    ADD_FAILURE() << "tag " << s.tag << " at " << values[i] << ", round " << round;
                    return;
                }
                // A play mode, unison or arpeggiator change stops the voices: new ones start.
                if (i % 4 == 3) retrigger(1 + static_cast<int>(i) % 5);
            }
            p.setParameter(s.tag,
                           values[static_cast<size_t>(s.tag * 7 + round * 3) % values.size()]);
        }
    }
}

} // namespace
