// A patch for hearing the voice stages through the real plug-in: one or two saws with every
// colouring switched off, then the filter, EQs, waveshaper, low-fi and distortion as asked.
// Shared by the stage host tests and the stage benchmarks.
#pragma once

#include "engine/params/ParamTags.h"
#include "tests/PlainOscillator.h"
#include "tests/host/TestHost.h"

#include <vector>

namespace stagespatch {

// Stepped ranges of the selectors set here (index i is stored as (i + 0.1) / range).
constexpr float kOscTypeRange = 7.99f;
constexpr float kUnisonRange = 29.99f;
constexpr float kOctaveRange = 8.99f;
constexpr float kFilterTypeRange = 49.99f;
constexpr float kDistortModeRange = 39.99f;
constexpr float kEqModeRange = 3.99f;
constexpr int kSaw = 1;
constexpr int kSixVoices = 5; // "Unison Mode" index of "6 Voices"
constexpr int kTube = 21;     // "Voice Distortion Mode" index of "Tube"
constexpr int k24LP2 = 23, k24LPZ = 27, kCombPlus = 38;

inline constexpr auto& step = testpatch::stepValue;

struct Stages {
    int filterType = 0;
    float cutoff = 1.0f;
    float resonance = 0.0f;
    float drive = 0.0f;
    float envAmount = 0.5f; // 0.5: no envelope
    bool hp = false;
    bool eqs = false;     // Pre- and Post-EQ with three active bands each and both cut filters
    float eqGain = 0.75f; // the bands' gain control (0.75: +10 dB)
    int eqMode = 3;       // the cut filters: 0 "Off" .. 3 "Both"
    bool shaper = false;
    bool lofi = false;
    bool distortion = false;
    int distortMode = kTube;
    int unison = 0;
    bool twoOscillators = false;
};

inline void apply(testhost::Plugin& p, const Stages& s) {
    std::vector<float> l, r;
    for (int i = 0; i < 3; ++i) p.process(4096, l, r); // the start-up program lands first
    testpatch::setPlainVoice(p, kSaw);
    p.setParameter(tag::Osc2On, s.twoOscillators ? 1.0f : 0.0f);
    p.setParameter(tag::Osc2Type, step(kSaw, kOscTypeRange));
    p.setParameter(tag::Osc2Volume, 1.0f);
    p.setParameter(tag::UnisonMode, step(s.unison, kUnisonRange));
    p.setParameter(tag::UnisonAmount, 0.3f);

    p.setParameter(tag::FilterType, step(s.filterType, kFilterTypeRange));
    p.setParameter(tag::FilterFrequency, s.cutoff);
    p.setParameter(tag::FilterQ, s.resonance);
    p.setParameter(tag::FilterVowel, 0.0f);
    p.setParameter(tag::FilterPreDistort, s.drive);
    p.setParameter(tag::FilterEnvAmount, s.envAmount);
    p.setParameter(tag::FilterSplitModeOn, 0.0f);
    p.setParameter(tag::FilterFrequencyKeyTrack, 0.5f);
    p.setParameter(tag::FilterFrequencyVelocityTrack, 0.5f);
    p.setParameter(tag::ModWheelToFilterFrequency, 0.5f);
    p.setParameter(tag::HpOn, s.hp ? 1.0f : 0.0f);
    p.setParameter(tag::HpFrequency, 0.2f);
    p.setParameter(tag::HpQOn, 0.0f);

    for (int eq = 0; eq < 2; ++eq) {
        const int base = tag::PreEqOn + eq * tag::EqStride;
        p.setParameter(base, s.eqs ? 1.0f : 0.0f);
        for (int b = 0; b < tag::EqBandCount; ++b) {
            p.setParameter(base + 1 + b * tag::EqBandStride, 0.3f + 0.2f * b); // frequency
            p.setParameter(base + 2 + b * tag::EqBandStride, 0.4f);            // bandwidth
            p.setParameter(base + 3 + b * tag::EqBandStride, s.eqGain);        // gain
        }
        p.setParameter(base + 10, step(s.eqMode, kEqModeRange));
        p.setParameter(base + 11, 0.95f);
        p.setParameter(base + 12, 0.05f);
    }

    p.setParameter(tag::WaveShaperOn, s.shaper ? 1.0f : 0.0f);
    p.setParameter(tag::WaveShaperMix, 0.5f);
    p.setParameter(tag::WaveShaperTop, 0.3f);
    p.setParameter(tag::WaveShaperBottom, 0.2f);
    p.setParameter(tag::LowFiOn, s.lofi ? 1.0f : 0.0f);
    p.setParameter(tag::LowFiMix, 0.5f);
    p.setParameter(tag::LowFiBits, 0.5f);
    p.setParameter(tag::LowFiSampleRate, 0.2f);
    p.setParameter(tag::LowFiLowPassFrequency, 0.8f);
    p.setParameter(tag::VoiceDistortionOn, s.distortion ? 1.0f : 0.0f);
    p.setParameter(tag::VoiceDistortionMode, step(s.distortMode, kDistortModeRange));
    p.setParameter(tag::VoiceDistortionMix, 0.5f);
    for (int k = 0; k < 7; ++k) p.setParameter(tag::Distortion1 + k, 0.6f);
    p.process(512, l, r); // let the slow update take the switches and modes
}

} // namespace stagespatch
