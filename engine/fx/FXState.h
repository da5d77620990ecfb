// State blocks of the distortion and modulation effects, held inline in the engine. Written on
// the audio thread by the effect units; cleared by the engine's resets.
#pragma once

#include "dsp/StereoTypes.h"

#include <cstdint>

// The distortion effect's settings for one call, after smoothing and modulation.
struct DistortFXParams {
    float p[8];     // p[1]..p[7]: the seven controls, 0..1 (p[0] unused)
    float dry, wet; // mix law
    float panLeft, panRight;
    float preGain, postGain; // from the -30..+30 dB table
};

// The modulation effect: shared LFO, band filter, mix and limiter, and every mode's lines.
struct ModFXState {
    static constexpr int kLine = 32768;
    static constexpr int kEnsembleVoices = 6;

    uint32_t counter = 0; // +2 per call, on or off
    // LFO: phases, skewed phases, outputs, held pair and glide, humanise factors, pan.
    float phaseA = 0.0f, phaseB = 0.0f;
    float skewA = 0.0f, skewB = 0.0f;
    float outA = 0.0f, outB = 0.0f;
    float increment = 0.0f;
    float humanizeA = 1.0f, humanizeB = 1.0f;
    float panPhase = 0.0f, panOut = 0.0f;
    float holdPhase = 0.0f;
    float heldA = 0.0f, heldB = 0.0f;
    float glideA = 0.0f, glideB = 0.0f;
    float randomValue = 0.0f;
    uint32_t seed = 1;
    // Band filter (coefficients renewed every call) and its states.
    float lowCoef = 1.0f, highCoef = 0.0f, lowRest = 0.0f, highRest = 1.0f;
    stereoStruct bandLow = {}, bandHigh = {};
    float limiterEnv = 0.0f;
    float mixSmooth = 0.0f; // kept by clear(); the engine reset latches it
    // Delay-line modes.
    stereoStruct chorus[kLine] = {};
    stereoStruct ensemble[kEnsembleVoices][kLine] = {};
    float ensemblePhase[kEnsembleVoices] = {};
    // Per-voice powers of the spread amount e, renewed only when e changes.
    float ensembleSpread = 1.0f;                    // the e they were made for (never a real e)
    float ensembleFactors[kEnsembleVoices][3] = {}; // increment, width, length
    // Phaser: four allpass sections per channel with two inputs and two outputs of history,
    // the feedback pair and the left channel's widen line.
    float phaserX1[2][4] = {}, phaserX2[2][4] = {}, phaserY1[2][4] = {}, phaserY2[2][4] = {};
    stereoStruct phaserFeedback = {};
    float phaserWiden[kLine] = {};
    uint8_t linesWritten = 0; // set by the effect's pass, cleared by clear()
    // Tremolo and AutoPan smoothing, ring modulation carrier.
    stereoStruct waveSmooth = {};
    float ringPhase = 0.0f;

    // Everything back to its start, the smoothed mix aside; in place, without a temporary.
    void clear();
};

// One call of the modulation effect: the scaled inputs, the two shape controls, the mode's pan
// gains, and the wet frames the mode leaves.
struct ModFXPass {
    stereoStruct s[2];
    float k1, k2;
    float panLeft, panRight;
    stereoStruct wet[2];
};
