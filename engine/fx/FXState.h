// State blocks of the effect chain's units (gater, delay, reverb, distortion and modulation
// effects), held inline in the engine. Written on the audio thread by the effect units; cleared
// by the engine's resets.
#pragma once

#include "dsp/StereoTypes.h"

#include <cstdint>

// The gater: switches and the pattern (slow update), mix, speed and steps (fast update), and the
// global gater's position and gains. The per-voice gater reads the pattern and speed from here.
struct GaterState {
    static constexpr int kGaterStepsMax = 16;

    bool gaterOn = false;
    bool gaterPolyOn = false;
    float gaterStepGains[kGaterStepsMax][2] = {}; // per step: left, right
    float gaterMixSmooth = 0.0f;
    double gaterSpeedTime = 0.0;
    int32_t gaterSteps = 1;
    double gaterIncrement = 0.0; // steps per output frame
    // The global gater's position in steps as fixed point with 32 fractional bits; it wraps
    // after 2^32 steps, so hours of running never lose the step's precision.
    uint64_t gaterPos = 0;
    stereoStruct gaterGain = {};
    // The rise and fall smoothing controls last seen and their weights.
    float gaterSmoothControls[2] = {-1.0f, -1.0f};
    float gaterSmoothWeights[2] = {1.0f, 1.0f};
};

// The delay stage around its tape delay unit (the unit itself is a DSP member of the engine).
struct DelayStageState {
    float delayMixSmooth = 0.0f;
};

// The reverb stage around its reverb unit: the rate's coefficients, the slow line modulation,
// pass counter, widen oscillators, smoothed mix, and the spread and pre-delay lines.
struct ReverbStageState {
    static constexpr int kReverbPreDelaySamples = 131072;
    static constexpr int kReverbPreDelayLine = kReverbPreDelaySamples / 2;
    static constexpr int kReverbSpreadLine = 32768;

    // Set with the rate: the two modulation frequencies (cycles per sample) and the four
    // widen ranges (samples).
    float reverbCoefs[2] = {};
    float reverbLineStarts[4] = {};
    // The slow line modulation: two phases in cycles and the sample counter at their last
    // advance.
    double reverbModPhases[2] = {};
    uint64_t reverbModCounter = 0;
    uint32_t reverbPassCounter = 0;
    // Set once the pre-delay lines have been written all the way round since the counter
    // started; until then a read from before the start gives the 1e-15 floor.
    bool reverbPreDelayPrimed = false;
    // Set while the reverb has written its lines since they were last cleared.
    uint8_t reverbSpreadWritten = 0, reverbPreDelayWritten = 0;
    int32_t reverbSpreadLength = 1;
    float reverbWidenPhases[4] = {};
    float reverbMixSmooth = 0.0f;
    float reverbSpreadLine[kReverbSpreadLine] = {};
    // The pre-delay lines: left half, then right half.
    float reverbPreDelay[kReverbPreDelaySamples] = {};
};

// The distortion effect: switch, mode kind and smoothing (the mode is the engine's
// distortFXMode), level followers, the amp and cabinet rings, the clipper's and low-fi's states.
struct DistortFXState {
    static constexpr int kAmpRing = 64;
    static constexpr int kCabRing = 32;

    bool distortFXOn = false;
    bool distortFXShaped = false;
    float distortFXMixSmooth = 0.0f;
    float distortFXParSmooth[7] = {};
    uint32_t distortFXCount = 0;
    stereoStruct distortFXEnvIn = {}, distortFXEnvOut = {};
    stereoStruct ampRing[kAmpRing] = {};
    int32_t ampIndex = 0;
    stereoStruct cabInRing[kCabRing] = {}, cabOutRing[kCabRing] = {};
    int32_t cabIndex = 0;
    stereoStruct clipperLow1 = {}, clipperLow2 = {};
    float lowFiCounter = 0.0f;
    stereoStruct lowFiHeld = {};
};

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

    // The applied "Mod FX Mode" (0..9): the slow update sets it after clearing the state for
    // a new mode, so clear() keeps it.
    int32_t modFXMode = 0;
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

    // Everything back to its start, the smoothed mix and the mode aside; in place, without a
    // temporary.
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
