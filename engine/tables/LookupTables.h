// Process-wide lookup tables: sine and decibel curves, LFO shapes, the oscillator symmetry
// remap, the band-limited built-in wave bank, FFT tables, FIR kernels and the modulation
// classification. Built once on first use, then read by every thread unlocked. The filter
// coefficient tables belong to the DSP classes (dsp/FilterTables.h, included here).
#pragma once

#include "dsp/FilterTables.h"
#include "engine/params/StringTables.h"

#include <cstdint>

// ---------------------------------------------------------------------------
// Sizes
// ---------------------------------------------------------------------------

constexpr int LUT_PHASE_SIZE = 65536; // 16-bit phase or a 0..1 control
constexpr int LFO_SHAPE_COUNT = LFO_WAVE_COUNT;
constexpr int USER_WAVE_POINTS = 512;
constexpr int SYMMETRY_ROWS = 512;
constexpr int SYMMETRY_SIZE = 4096;
constexpr int SYMMETRY_IDENTITY_ROW = 255;

constexpr int OSC_TABLE_SIZE = 4096;   // one cycle, no guard sample
constexpr int OSC_BANDS_PER_WAVE = 34; // band 0 the exact shape, 1..33 band-limited
constexpr int OSC_BUILTIN_WAVES = 4;   // Sine, Saw, Square, Triangle
constexpr int OSC_BUILTIN_TABLES = OSC_BANDS_PER_WAVE * OSC_BUILTIN_WAVES; // 136
inline constexpr int OSC_USER_TABLE_START[2] = {136, 170};
constexpr int OSC_PREVIEW_TABLE = 204;
constexpr int OSC_BANK_TABLES = 205;
constexpr int OSC_PITCH_MAP_SIZE = 128;
constexpr int OSC_PITCH_LOWEST = -57; // semitones; the pitch index is semitones + 57
constexpr int OSC_PITCH_HIGHEST = 70;
constexpr int ADD_WAVE_HARMONICS = 2048;

constexpr int FFT_SIZE = 4096;
constexpr int FFT_BITS = 12;
constexpr int FFT_STAGE_ENTRIES = FFT_SIZE / 2;
constexpr int FFT_LANES = 4;

constexpr int DISTORT_FIR_KERNELS = 6; // one per amp model: 0 passes the signal unchanged
constexpr int DISTORT_FIR_TAPS = 64;

constexpr int MOD_SRC_TABLE_SIZE = 512;
// One entry more than there are destinations: a descriptor may carry DEST_COUNT itself as "no
// destination text" (the main LFO's speed-modulation amount does), and it must read as percent.
constexpr int MOD_DEST_TABLE_SIZE = DEST_COUNT + 1;

enum ModDestUnit {
    MOD_UNIT_PERCENT = 0,
    MOD_UNIT_SEMITONES = 1,
    MOD_UNIT_SPEED = 2,
    MOD_UNIT_OCTAVES = 3
};

// Five four-lane vectors: 2.0, 0.5, 0.5, k, g.
constexpr int BRICK_FILTER_COEF_FLOATS = 5 * 4;

// ---------------------------------------------------------------------------
// Constants that need no building
// ---------------------------------------------------------------------------

// Per-step phase increments and depths of the reverb's four modulated delay lines.
inline constexpr float REVERB_MOD_INC_ARRAY[4] = {5.642177e-05f, 3.706845e-05f, 6.4e-05f,
                                                  4.573257e-05f};
inline constexpr float REVERB_MOD_DEPTH_ARRAY[4] = {0.050505f, 0.030303f, 0.030303f, 0.060606f};
// The voice path's constant four-lane factors: 0.001, sqrt(2) and 2.
inline constexpr float VOICE_PATH_CONST_ARRAY[3] = {0.001f, 1.4142135f, 2.0f};

// ---------------------------------------------------------------------------
// The shared block
// ---------------------------------------------------------------------------

// Everything here is the same for every engine instance. One object exists per process, on the
// heap, built by the first call of lookupTables() (std::call_once) and never written again, so
// a second engine costs nothing. Per-instance data that starts from these tables (the user-wave
// tables 136..204 of the oscillator bank, the user-wave LFO shapes, the brick filter's
// coefficients) lives in the engine.
//
// Readers that compute an index from a float use the index functions below (and those of
// dsp/FilterTables.h), which keep it inside the table for any input, NaN and infinities
// included.
struct LookupTables {
    LookupTables(const LookupTables&) = delete;
    LookupTables& operator=(const LookupTables&) = delete;

    // Phase x = i / 65535.98828125 (0 .. just under 1).
    float SineArray[LUT_PHASE_SIZE];
    float CosArray[LUT_PHASE_SIZE];
    float AbsSineArray[LUT_PHASE_SIZE]; // 0.5 sin + 0.5, unipolar

    // Gain for a 0..1 control at the same x; 0 below x = 0.001 (silence at the bottom).
    float dbGain30Array[LUT_PHASE_SIZE];      // -30 .. 0 dB
    float dbGain60Array[LUT_PHASE_SIZE];      // -60 .. 0 dB
    float dbGainBipolarArray[LUT_PHASE_SIZE]; // -30 .. +30 dB
    float dbGain40Array[LUT_PHASE_SIZE];      // -30 .. +10 dB

    // One cycle per LFO_WAVE_STR shape at x = i / 65536 (index: lfoTableIndex). Shape 5
    // ("Sample And Hold") uses its held value instead and stays zero; shapes 6 and 7 (the user
    // waves) also stay zero here, because each engine draws its own user waves: the LFOs read
    // those shapes from the engine's user LFO waves, which it fills through the three
    // interpolation tables below.
    float lfoShapeTables[LFO_SHAPE_COUNT][LUT_PHASE_SIZE];

    // Reading a 512-point wave at a 16-bit phase: y = (i / 65536) x 511.99, fraction y -
    // floor(y), index int(y), next index int(y + 1) mod 512 (the last entries wrap to point 0).
    struct {
        float fraction[LUT_PHASE_SIZE];
        int32_t index[LUT_PHASE_SIZE];
        int32_t next[LUT_PHASE_SIZE];
    } userWaveInterpTables;

    // Phase remap per symmetry step c: the part of the cycle up to s = 0.01 + 0.98 c / 512 is
    // stretched over the first half. Row 255 is the identity. Every entry is 0..4095.
    int32_t symmetryTable[SYMMETRY_ROWS][SYMMETRY_SIZE];

    // Harmonic k's amplitude and phase (cycles) of the four built-in waves; entry 0 unused.
    float ADDA_WAVE[OSC_BUILTIN_WAVES][ADD_WAVE_HARMONICS];
    float ADDP_WAVE[OSC_BUILTIN_WAVES][ADD_WAVE_HARMONICS];

    // The built-in part of the oscillator bank: table 34 x wave + band.
    float oscWaveBank[OSC_BUILTIN_TABLES][OSC_TABLE_SIZE];
    // Band for a pitch index (semitones + 57), and the harmonics each band keeps.
    int32_t oscTableForPitch[OSC_PITCH_MAP_SIZE];
    int32_t oscPartialLimits[OSC_BANDS_PER_WAVE];

    // User-wave FFT: 12-bit bit reversal, and per stage s (block length 2^(s+1)) the cosine
    // ([s][0]) and sine ([s][1]) of 2 pi j / L for every butterfly in block order, four lanes
    // of the same value for four-wide arithmetic.
    int32_t fftBitReverse[FFT_SIZE];
    float fftTwiddles[FFT_BITS][2][FFT_STAGE_ENTRIES][FFT_LANES];

    // Amp-model impulse responses of the distortion FX; kernel 0 is the unit impulse.
    float distortFirKernels[DISTORT_FIR_KERNELS][DISTORT_FIR_TAPS];

    // Modulation classification. Prefer the bounded readers modDestUnit, modSrcIsBipolar and
    // modSrcHasNoOffset.
    int32_t modDestUnits[MOD_DEST_TABLE_SIZE];
    uint8_t modSrcBipolar[MOD_SRC_TABLE_SIZE];
    uint8_t modSrcNoOffset[MOD_SRC_TABLE_SIZE];

private:
    LookupTables() = default;
    friend const LookupTables& lookupTables();
};

// The one shared block; the first call builds it (about 15 MB) and the filter tables with it,
// later calls return the same object. Safe to call from any thread.
const LookupTables& lookupTables();

// ---------------------------------------------------------------------------
// Index functions: every result lies inside its table, whatever the input
// ---------------------------------------------------------------------------

// Index of the decibel tables (and the other 0..1 control tables) for a 0..1 control.
inline int unitTableIndex(float control) {
    return clampTableIndex(control * 65535.99f, LUT_PHASE_SIZE);
}

// Index into one LFO shape for a 0..1 phase.
inline int lfoTableIndex(float phase) {
    return clampTableIndex(phase * 65535.999f, LUT_PHASE_SIZE);
}

// Pitch index for a pitch in octaves: clamp(int(12 x octaves), -57, 70) + 57; NaN counts as 0.
inline int oscPitchIndex(float octaves) {
    float semis = 12.0f * octaves;
    if (semis != semis) semis = 0.0f;
    if (semis < static_cast<float>(OSC_PITCH_LOWEST)) semis = static_cast<float>(OSC_PITCH_LOWEST);
    if (semis > static_cast<float>(OSC_PITCH_HIGHEST))
        semis = static_cast<float>(OSC_PITCH_HIGHEST);
    return static_cast<int>(semis) - OSC_PITCH_LOWEST;
}

// Band of the wave bank for a pitch index, the index clamped to 0..127.
int oscBandForPitchIndex(int pitchIndex);

// One symmetry row, the row clamped to 0..511.
const int32_t* symmetryRow(int row);

// Unit of a destination's amount; percent for any index outside the table.
int modDestUnit(int dest);
// Whether a source is bipolar / ignores its slot's offset; false outside the table.
bool modSrcIsBipolar(int src);
bool modSrcHasNoOffset(int src);

// ---------------------------------------------------------------------------
// Per-instance data made from shared rules
// ---------------------------------------------------------------------------

// The brick filter runs at BRICK_FILTER_BASE_HZ x 2^(BRICK_FILTER_OCTAVES x control), the
// control being 0..1.
constexpr float BRICK_FILTER_BASE_HZ = 20.0f;
constexpr float BRICK_FILTER_OCTAVES = 12.0f;

// The brick filter's k and g for its frequency control (0..1) at the given rate. The angle
// is held below pi/2, where cos + 0.0015 could reach zero and k would blow up; a rate that is
// not positive and finite opens the filter fully.
void brickFilterKG(float frequencyValue, float rate, float& k, float& g);

// Fills an engine's own brick-filter coefficient block (BRICK_FILTER_COEF_FLOATS floats, four
// lanes each of 2.0, 0.5, 0.5, k, g). The engine clears the filter state itself.
void initBrickFilterCoefficients(float* dst, float frequencyValue, float rate);

// ---------------------------------------------------------------------------
// Builders, called once by lookupTables()
// ---------------------------------------------------------------------------

namespace lookup_build {
// The wave-bank family: ADDA_WAVE, ADDP_WAVE, oscWaveBank, oscTableForPitch, oscPartialLimits,
// fftBitReverse and fftTwiddles.
void buildWaveTables(LookupTables& t);
// 12-bit bit reversal of i.
int bitReverse12(int i);
} // namespace lookup_build
