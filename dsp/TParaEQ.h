// Parametric EQs: three peaking bands and a low-pass / high-pass ladder pair. TParaEQ keeps 16
// units (one per voice) and runs the active voices in one call; it also serves the distortion
// effect through unit 0. TUniParaEQ is one voice's unit for its unison sub-voices. init() runs
// when the engine is built or the rate or play settings change; the rest on the audio thread.
#pragma once

#include "dsp/Float4.h"
#include "dsp/StereoTypes.h"

#include <cstdint>
#include <limits>

// Settings of one EQ unit and its coefficients as plain numbers.
struct ParaEQUnit {
    uint8_t direct = 0;
    uint8_t bandActive[3] = {};
    float lastLowPass = 0.0f, smoothLowPass = 0.0f;
    float lastHighPass = 0.0f, smoothHighPass = 0.0f;
    // The clamped controls lastLowPass and lastHighPass were computed from (-1: none yet).
    float lowPassControl = -1.0f, highPassControl = -1.0f;
    float band[3][5] = {}; // b0, b1, b2, a1, a2
    // The clamped gain, frequency and bandwidth of each band's last design (-1: none yet).
    float bandInputs[3][3] = {{-1.0f, -1.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}};
    // The same controls before clamping (NaN: none yet, or the band's design was replaced), so a
    // call with the controls of the last one returns before any clamping or call.
    static constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
    float bandControls[3][3] = {
        {kNone, kNone, kNone}, {kNone, kNone, kNone}, {kNone, kNone, kNone}};
    bool sameControls(int b, float gain, float freq, float bw) const {
        return gain == bandControls[b][0] && freq == bandControls[b][1] && bw == bandControls[b][2];
    }
    float lowPass[3] = {};  // k, f, p
    float highPass[3] = {}; // k, f, p
};

// Four-lane coefficients: TUniParaEQ holds its unit's in every lane; TParaEQ keeps two units
// (2p + 1 in lanes 0 and 1, 2p in lanes 2 and 3) side by side in the same order, so one vector
// step serves two voices.
struct ParaEQCoefs {
    Float4 band[3][5];
    Float4 lowPass[3];
    Float4 highPass[3];
};

// The running state of one set of lanes: each band's last two inputs and outputs and the two
// ladders.
struct ParaEQLanes {
    Float4 x1[3], x2[3], y1[3], y2[3];
    Float4 lowPass[5], highPass[5];
};

// The rate-derived values both EQ forms share.
struct ParaEQRate {
    float rate = 44100.0f;
    float invRate = 1.0f / 44100.0f;
    float invDoubleRate = 0.5f / 44100.0f;
    float ceiling = 0.4f * 44100.0f;
    void set(float newRate);
};

class TParaEQ {
public:
    static constexpr int kUnits = 16;
    static constexpr int kBands = 3;
    // Floats from one coefficient or state to the next: four lanes of each of eight pairs.
    static constexpr int kStride = 2 * kUnits;

    // A rate that is not finite or lies outside 5 .. 500,000 Hz, which the engine refuses too,
    // is replaced by 44,100.
    void init(float rate);
    // Clears one unit's histories and ladder states; flags, coefficients and smoothing stay.
    void reset(int unit);
    // The same for every unit.
    void reset();
    void setDirect(int unit);
    // One peaking band (0..2): gain 0..1 over -20..+20 dB, frequency 0..1 over 20..20,480 Hz,
    // bandwidth 0..1 over Q 16..1/64.
    void setParameters(int unit, int band, float gain, float freq, float bw) {
        if (unit >= 0 && unit < kUnits && band >= 0 && band < kBands &&
            units[unit].sameControls(band, gain, freq, bw))
            return;
        designParameters(unit, band, gain, freq, bw);
    }
    // The cut filters' cutoff controls and their modulation.
    void setFilter(int unit, float lowPass, float highPass, float lowPassMod, float highPassMod);
    // Runs the units named by voiceList[0 .. count - 1] over frameA[v] and frameB[v] in place;
    // mode 0 "Off", 1 "LP", 2 "HP", 3 "Both". Entries outside 0..15 are skipped. `wide` runs two
    // pairs of units at a time in eight lanes, with the same numbers; only where hasAvx2().
    void process(int mode, int count, const int* voiceList, stereoOverStruct* frameA,
                 stereoOverStruct* frameB, bool wide = false);
    // Where one unit's two frames come from and go: read from `in`, written to `out` and to
    // `next` (either may be the input itself).
    struct Frames {
        const stereoOverStruct* in;
        stereoOverStruct* out;
        stereoOverStruct* next;
    };
    // The same run as process() over frames[v] for each listed unit v, without copies.
    void process(int mode, int count, const int* voiceList, const Frames* frames,
                 bool wide = false);
    // The distortion effect's two bands at fixed frequencies in Hz, on unit 0.
    void setFXParameters(float freq1, float gain1, float freq2, float gain2);
    void processFX(stereoOverStruct in1, stereoOverStruct in2, stereoOverStruct& out1,
                   stereoOverStruct& out2);

    float getSampleRate() const { return rates.rate; }
    bool isBandActive(int unit, int band) const;

private:
    static constexpr int kPairs = kUnits / 2;
    void designParameters(int unit, int band, float gain, float freq, float bw);
    void storeUnitCoefs(int unit);

    // The frequency and clamped gain of each effect band's last design, which stands while
    // they do (NaN: none yet, or the band was designed for a voice since).
    static constexpr float kNoDesign = std::numeric_limits<float>::quiet_NaN();
    float fxInputs[2][2] = {{kNoDesign, kNoDesign}, {kNoDesign, kNoDesign}};

    ParaEQRate rates;
    ParaEQUnit units[kUnits];
    // In ParaEQCoefs' and ParaEQLanes' order, pair p's four lanes at 4p of each coefficient and
    // state, so two neighbouring pairs load as eight lanes.
    alignas(16) float pairCoefs[sizeof(ParaEQCoefs) / sizeof(Float4)][kStride];
    alignas(16) float pairLanes[sizeof(ParaEQLanes) / sizeof(Float4)][kStride];
};

// One voice's EQ under unison: n sub-voices (1..6), two per four-lane group; where the processor
// has AVX2, two groups run side by side in eight lanes.
class TUniParaEQ {
public:
    // Floats from one state to the next: four lanes of each of up to four groups side by side.
    static constexpr int kStride = 16;

    void init(float rate);
    void reset();
    void setDirect() { unit.direct = 1; }
    void setParameters(int band, float gain, float freq, float bw) {
        if (band >= 0 && band < TParaEQ::kBands && unit.sameControls(band, gain, freq, bw)) return;
        designParameters(band, gain, freq, bw);
    }
    void setFilter(float lowPass, float highPass, float lowPassMod, float highPassMod);
    // Runs frames[0 .. n - 1]: each sub-voice read from `in`, written to `out` and `next`.
    void process(int mode, int n, const TParaEQ::Frames* frames);
    // The same over frameA[0 .. n - 1] and frameB[0 .. n - 1] in place.
    void process(int mode, int n, stereoOverStruct* frameA, stereoOverStruct* frameB);
    // a.process(mode, n, framesA) and b.process(mode, n, framesB) with the same numbers; where
    // both leave a last odd group and have the same bands on, the two run side by side in
    // eight lanes.
    static void process(TUniParaEQ& a, const TParaEQ::Frames* framesA, TUniParaEQ& b,
                        const TParaEQ::Frames* framesB, int mode, int n);

    float getSampleRate() const { return rates.rate; }

private:
    void designParameters(int band, float gain, float freq, float bw);
    [[gnu::noinline]] void clearStates();

    ParaEQRate rates;
    ParaEQUnit unit;
    ParaEQCoefs coefs;
    // The groups' states in ParaEQLanes' order, each state's lanes group after group.
    alignas(16) float states[sizeof(ParaEQLanes) / sizeof(Float4)][kStride] = {};
    bool wide = false; // AVX2: two groups per step
    // A reset only marks the states: they are cleared when the EQ next runs, so a note start
    // without unison does not write 2.9 KB per voice that nothing reads.
    bool statesStale = false;
};
