// Which parameter tags and modulation destinations each of the two oscillators reads.
// Oscillator 2's destinations follow oscillator 1's in the same order, shifted by 48 up to the
// spread destinations and by 50 after its two extra entries (mod amount and sync).
#pragma once

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

// Oscillator 1's destinations; oscDest() maps them to oscillator o's.
namespace oscdest {
constexpr int Volume = 16, Pan = 17, UpPan = 18, DownPan = 19, Octave = 20, Semi = 21, UpSemi = 22,
              DownSemi = 23, Fine = 24, Spread = 25, UpSpread = 26, DownSpread = 27, Symmetry = 28,
              Feedback = 29, Phase = 30, Wrap = 31, WrapSymmetry = 32, Bits = 33, ZekX = 34,
              ZekY = 35, ZekAmount = 36, ZekLfoX = 37, ZekLfoY = 38, SubVolume = 40, SubTune = 41,
              SubSymmetry = 42, SubPhase = 43, SubPan = 44, LfoSpeed = 45, LfoToPwm = 46,
              LfoToAmp = 47, LfoToPitch = 48, LfoKeyTrack = 49, AmpEnvAmount = 51,
              PitchEnvAmount = 58;
constexpr int Osc2ModAmount = 76, Osc2Sync = 77;
} // namespace oscdest

constexpr int oscDest(int osc, int dest1) {
    return osc == 0 ? dest1 : (dest1 <= oscdest::DownSpread ? dest1 + 48 : dest1 + 50);
}

// Global pitch and fine destinations, octaves and semitones.
constexpr int kDestGlobalPitch = 8;
constexpr int kDestGlobalFine = 9;
constexpr int kDestGlobalLfoSpeed = 12;
// Voice sources the oscillators read and write.
constexpr int kSrcCenterNote = 6;
constexpr int kSrcMainLfo = 60;
