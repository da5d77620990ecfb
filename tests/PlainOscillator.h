// Oscillator 1 alone with neutral settings for tests that listen to one wave: full level,
// centred, key-tracked, octave and semitone at their centres, no spread, sub-oscillator,
// LFO or envelope depth. Serves the host's plug-in and the engine alike.
#pragma once

#include "engine/params/ParamTags.h"

namespace testpatch {

// The stored value of step `index` of a stepped parameter with the given range.
inline float stepValue(int index, float range) {
    return (static_cast<float>(index) + 0.1f) / range;
}

// `type`: 0 sine, 1 saw, 2 square, 3 triangle, 4 and 5 the user waves, 6 and 7 noise.
template <class Target> void setPlainOsc1(Target& p, int type) {
    p.setParameter(tag::Osc1On, 1.0f);
    p.setParameter(tag::Osc1Type, stepValue(type, 7.99f));
    p.setParameter(tag::Osc1Volume, 1.0f);
    p.setParameter(tag::Osc1Pan, 0.5f);
    p.setParameter(tag::Osc1OutputOn, 1.0f);
    p.setParameter(tag::Osc1Octave, stepValue(4, 8.99f));
    p.setParameter(tag::Osc1Semi, 48.5f / 96.99f);
    p.setParameter(tag::Osc1Fine, 0.5f);
    p.setParameter(tag::Osc1SubVolume, 0.5f);
    p.setParameter(tag::Osc1Spread, 0.0f);
    p.setParameter(tag::Osc1Symmetry, 0.5f);
    p.setParameter(tag::Osc1KeyTrackOn, 1.0f);
    p.setParameter(tag::Osc1LfoToPitch, 0.0f);
    p.setParameter(tag::Osc1LfoToAmp, 0.0f);
    p.setParameter(tag::Osc1LfoToPwm, 0.0f);
    p.setParameter(tag::Osc1AmpEnvAmount, 0.5f);
    p.setParameter(tag::Osc1PitchEnvAmount, 0.5f);
    p.setParameter(tag::Osc1ZekAmount, 0.0f);
}

// Oscillator 1 alone as above, heard as it is: no second oscillator, unison, drift,
// portamento, bend, LFO to level, pan or cutoff, the amp envelope open at once, effects and
// brick filter bypassed.
template <class Target> void setPlainVoice(Target& p, int type) {
    setPlainOsc1(p, type);
    p.setParameter(tag::Osc2On, 0.0f);
    p.setParameter(tag::Osc2SyncOn, 0.0f);
    p.setParameter(tag::UnisonMode, stepValue(0, 29.99f));
    p.setParameter(tag::AnalogDriftOn, 0.0f);
    p.setParameter(tag::GlobalTuning, 0.5f);
    p.setParameter(tag::PortamentoMode, 0.0f);
    p.setParameter(tag::PitchBendUp, 0.0f);
    p.setParameter(tag::PitchBendDown, 0.0f);
    p.setParameter(tag::AmpEnvAttack, 0.0f);
    p.setParameter(tag::AmpEnvDecay, 0.0f);
    p.setParameter(tag::AmpEnvSustain, 1.0f);
    p.setParameter(tag::AmpEnvRelease, 0.0f);
    p.setParameter(tag::MainPan, 0.5f);
    p.setParameter(tag::MainLfoToVolume, 0.0f);
    p.setParameter(tag::MainLfoToPan, 0.0f);
    p.setParameter(tag::MainLfoToFilterFrequency, 0.0f);
    p.setParameter(tag::BypassFxOn, 1.0f);
    p.setParameter(tag::BrickFilterOn, 0.0f);
}

} // namespace testpatch
