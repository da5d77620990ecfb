// Which parameter tags and modulation destinations each of the two oscillators reads (the
// destinations by oscdest:: and oscDest() of ModIndices.h).
#pragma once

#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

struct OscTags {
    int volume, pan, subVolume, spread, symmetry, lfoToPwm, lfoToAmp, lfoToPitch, ampEnvAmount,
        pitchEnvAmount, zekAmount, type, octave, lfoKeyTrack, freeLfo, zekLfoX, zekLfoY, zekX, zekY;
};

inline constexpr OscTags OSC_TAGS[2] = {
    {tag::Osc1Volume, tag::Osc1Pan, tag::Osc1SubVolume, tag::Osc1Spread, tag::Osc1Symmetry,
     tag::Osc1LfoToPwm, tag::Osc1LfoToAmp, tag::Osc1LfoToPitch, tag::Osc1AmpEnvAmount,
     tag::Osc1PitchEnvAmount, tag::Osc1ZekAmount, tag::Osc1Type, tag::Osc1Octave,
     tag::Osc1LfoKeyTrack, tag::Osc1FreeLfoOn, tag::Osc1ZekLfoToX, tag::Osc1ZekLfoToY,
     tag::Osc1ZekX, tag::Osc1ZekY},
    {tag::Osc2Volume, tag::Osc2Pan, tag::Osc2SubVolume, tag::Osc2Spread, tag::Osc2Symmetry,
     tag::Osc2LfoToPwm, tag::Osc2LfoToAmp, tag::Osc2LfoToPitch, tag::Osc2AmpEnvAmount,
     tag::Osc2PitchEnvAmount, tag::Osc2ZekAmount, tag::Osc2Type, tag::Osc2Octave,
     tag::Osc2LfoKeyTrack, tag::Osc2FreeLfoOn, tag::Osc2ZekLfoToX, tag::Osc2ZekLfoToY,
     tag::Osc2ZekX, tag::Osc2ZekY}};

// What may move between two control steps of a voice, per oscillator and pass: the inputs of
// its settings of every 2nd pass and every pass, and those of its phase increments.
inline constexpr uint8_t kOscSettingsMove = 1, kOscPitchMove = 2;
