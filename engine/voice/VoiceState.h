// Plain state records of the voice engine: one envelope instance, one oscillator of one
// sub-voice, one oscillator's per-voice settings. Held inline in APlugin's fixed arrays and
// touched by the audio thread only.
#pragma once

#include "dsp/FastMath.h"

#include <cstddef>
#include <cstdint>
#include <limits>

// One envelope instance. The position is a linear ramp; the output is that ramp bent by the
// segment's shape; `value` is what the audio loop reads, moved towards the output by `step`
// once per output frame between two control-rate updates.
struct EnvState {
    int32_t stage = 0; // 0 attack, 1 decay, 2 sustain
    float position = 0.0f;
    float output = 0.0f;
    float previous = 0.0f;
    float step = 0.0f;
    float value = 0.0f;
    float releaseStart = 0.0f; // the output at the last gated update: where a release starts
    float releaseRecip = 1.0f; // 1 / the position then (1 when silent): the release's scale
    float speed = 1.0f;
    uint8_t restart = 0;
};

// The last input and result of a costly curve that a stage evaluates every pass while its
// input mostly stands still.
struct CurveMemo {
    float in = -1.0e30f;
    float out = 0.0f;
    template <class Curve> float operator()(float x, Curve curve) {
        if (!(x == in)) {
            in = x;
            out = curve(x);
        }
        return out;
    }
};

// The last argument and result of a power of two whose argument mostly stands still. fastExp2
// gives +0 and -0 the same result, so an argument equal to the last one always has its result;
// a NaN argument never equals, and the first call always computes.
struct Exp2Memo {
    float in = std::numeric_limits<float>::quiet_NaN();
    float out = 1.0f;
    float operator()(float x) {
        if (x != in) {
            in = x;
            out = fastExp2(x);
        }
        return out;
    }
};

// The inputs of a voice's envelope speeds at their last computation, and the speeds.
struct EnvRateMemo {
    static constexpr int kInputs = 28;
    float inputs[kInputs] = {};
    float envSpeed[4] = {};
    float laneRate[4] = {};
    uint8_t valid = 0;
};

// One oscillator of one sub-voice slot. Phases are 24-bit cycles kept in 32-bit words and
// masked after every step, so no arithmetic on them can index outside a table.
struct OscSlot {
    uint32_t phase = 0;
    uint32_t upPhase = 0;
    uint32_t subPhase = 0;
    uint32_t syncPhase = 0;
    uint8_t syncMark[2] = {};
    float feedDown = 0.0f;
    float feedUp = 0.0f;
    float inc[2] = {};
    float driftPhase = 0.0f;
    float driftRandom = 0.0f;
    float drift = 1.0f;
    float down[4] = {};
    float up[4] = {};
    float sub[4] = {};
};

// A cycle of silence: what an oscillator reads before its first table choice, so that no
// read of an oscillator can find a table missing.
extern const float kSilentWaveTable[4096];

// One oscillator's settings for one voice, refreshed every pass, every 2nd or every 8th pass,
// and at once on the voice's next pass when the oscillator's structure changed.
struct OscVoice {
    // Four blocks of four values each that the render pass writes, and one it reads, four voices
    // at a time as the rows of a 4x4 transpose: each block's members stay together, in this
    // order (checked below).
    // Every 2nd pass: the amp envelope's depth, the ZEK LFO depths, the pans and their sums as
    // the plain render mixes a voice without spread or sub-oscillator.
    float ampAmount = 0.0f;
    float zekLfoX = 0.0f, zekLfoY = 0.0f;
    float mixToMono = 1.0f;
    float panDown[2] = {1.0f, 1.0f}, panUp[2] = {1.0f, 1.0f};
    float panOsc[2] = {1.0f, 1.0f};
    float mixDownL = 2.0f, mixDownR = 2.0f;
    // Every pass.
    float gain[2] = {};
    float feedScale = 0.0f;
    float pitchEnvAmount = 0.0f;
    uint32_t phaseOffset = 0;
    int32_t symRow[2] = {255, 255};
    int32_t spareRow = 0;
    // The oscillator LFO's two values of the pass, and its depth on the level.
    float lfo[2] = {};
    float lfoToAmp = 0.0f;
    float spareLevel = 0.0f;

    const float* table = kSilentWaveTable;
    const float* subTable = kSilentWaveTable;
    // The engine's structure serial this set-up was chosen under; a different one makes the
    // next pass choose the table and the slower settings again.
    uint32_t setupSerial = 0;
    float zek = 0.0f; // ZEK amount; the morph is bypassed at or below 0.0001
    float zekX = 1.0f, zekY = 1.0f;
    uint8_t spreadOn = 0;
    float upFactor = 1.0f, downFactor = 1.0f;
    uint8_t ampPositive = 1;
    float subGain = 0.0f;
    float subPan[2] = {1.0f, 1.0f};
    uint8_t wrapOn = 0;
    float wrapNeg = 1.0f, wrapPos = 1.0f;
    uint8_t bitsOn = 0;
    float bitsQ = 1.0f, bitsInvQ = 1.0f;
    int32_t subSymRow = 255;
    // The symmetry rows as the plain render reads them: null for the identity row.
    const int32_t* symRowTable[2] = {nullptr, nullptr};
    const int32_t* subSymRowTable = nullptr;
    uint32_t subOffset = 0;
    float subFactor = 0.5f;
    float modAmount = 0.0f;
    float pmDepth = 0.0f;
    // The last pitch inputs (octaves, base) and their increments, so a steady pitch costs no
    // power of two per pass.
    float pitchIn[2] = {-1000.0f, -1000.0f};
    float pitchBaseIn = -1.0f;
    float pitchOut[2] = {};
    // The increments were made without a pitch envelope or LFO pitch depth under the structure
    // serial `pitchSerial`: while no input moves they stand.
    uint8_t pitchStands = 0;
    uint32_t pitchSerial = 0;
    // The oscillator LFO: a 24-bit phase and its increment per output frame.
    uint32_t lfoPhase = 0;
    uint32_t lfoInc = 0;
    uint8_t lfoStepped = 0; // the voice has run a pass: `lfo` holds the values of its last
    // Powers of two of settings that mostly stand still: spread up and down, sub-oscillator
    // tune, phase modulation depth, the LFO's speed, speed modulation and key tracking.
    Exp2Memo spreadUpMemo, spreadDownMemo, subTuneMemo, pmDepthMemo;
    Exp2Memo lfoSpeedMemo[3];
};

// What the plain render needs to know of a voice's oscillator, as flags combined without
// branches (a branch per test costs more than the tests): the rare forms (phase modulation,
// shaping, feedback), spread, and a symmetry row other than the identity.
enum OscRenderKind : uint8_t { kOscRare = 1, kOscSpread = 2, kOscRows = 4 };

inline bool oscShaped(const OscVoice& o) {
    return (o.zek > 0.0001f) | (o.wrapOn != 0) | (o.bitsOn != 0);
}

inline uint8_t oscRenderKind(const OscVoice& o, bool pmOn) {
    const bool rows = (reinterpret_cast<uintptr_t>(o.symRowTable[0]) |
                       reinterpret_cast<uintptr_t>(o.symRowTable[1])) != 0;
    return static_cast<uint8_t>((pmOn | oscShaped(o) | (o.feedScale != 0.0f)) * kOscRare |
                                (o.spreadOn != 0) * kOscSpread | rows * kOscRows);
}

// The inputs of one oscillator's settings of every 2nd pass and of every pass for one voice at
// their last computation together, as bits: seven blocks of four adjacent destinations of the
// voice's row. `valid` says both were computed on that pass with both LFO depths 0, where the
// LFO's values reach none of them: the same inputs then give the same bits again.
struct OscPassKey {
    static constexpr int kBlocks = 7;
    alignas(16) uint32_t key[4 * kBlocks] = {};
    uint8_t valid = 0;
};

// The last pitch inputs are read as one block of four.
static_assert(offsetof(OscVoice, pitchBaseIn) == offsetof(OscVoice, pitchIn) + 8 &&
              offsetof(OscVoice, pitchOut) == offsetof(OscVoice, pitchIn) + 12);

// The blocks of four above, each member 4 bytes after the one before.
static_assert(offsetof(OscVoice, zekLfoX) == offsetof(OscVoice, ampAmount) + 4 &&
              offsetof(OscVoice, zekLfoY) == offsetof(OscVoice, ampAmount) + 8 &&
              offsetof(OscVoice, mixToMono) == offsetof(OscVoice, ampAmount) + 12);
static_assert(offsetof(OscVoice, panUp) == offsetof(OscVoice, panDown) + 8);
static_assert(offsetof(OscVoice, mixDownL) == offsetof(OscVoice, panOsc) + 8 &&
              offsetof(OscVoice, mixDownR) == offsetof(OscVoice, panOsc) + 12);
static_assert(offsetof(OscVoice, feedScale) == offsetof(OscVoice, gain) + 8 &&
              offsetof(OscVoice, pitchEnvAmount) == offsetof(OscVoice, gain) + 12);
static_assert(offsetof(OscVoice, symRow) == offsetof(OscVoice, phaseOffset) + 4 &&
              offsetof(OscVoice, spareRow) == offsetof(OscVoice, phaseOffset) + 12);
static_assert(offsetof(OscVoice, lfoToAmp) == offsetof(OscVoice, lfo) + 8 &&
              offsetof(OscVoice, spareLevel) == offsetof(OscVoice, lfo) + 12);
