// Builds the built-in oscillator waves: their additive partials, the exact and band-limited
// tables, the pitch-to-band map, and the bit-reversal and twiddle tables of the user-wave FFT.
// Called once from lookupTables() on the first caller's thread.

#include "engine/tables/LookupTables.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.14159274f;

// Harmonics kept per band: each band covers two semitones, so consecutive limits fall by about
// 2^(2/12). Entry 0 belongs to the exact shape.
constexpr int32_t kPartialLimits[OSC_BANDS_PER_WAVE] = {
    2047, 149, 133, 118, 105, 94, 83, 74, 66, 59, 52, 47, 41, 37, 33, 29, 26,
    23,   20,  18,  16,  14,  13, 11, 10, 9,  8,  7,  6,  5,  5,  4,  4,  3};

constexpr int kAdditiveTop = 255;         // the saw, square and triangle stop at harmonic 255
constexpr float kSilentPartial = 0.0001f; // a band whose partials all fall below is silent

enum { kSine = 0, kSaw = 1, kSquare = 2, kTriangle = 3 };

// Amplitudes and phases (cycles) of the four waves. The saw and square phases carry -k/8192,
// half a sample of a 4,096-sample table, so their band-limited copies sit half a sample later
// than the exact shapes; the sine and triangle are aligned.
void buildAdditiveWaves(LookupTables& t) {
    t.ADDA_WAVE[kSine][1] = 1.0f;
    t.ADDP_WAVE[kSine][1] = 0.75f;
    for (int k = 1; k <= kAdditiveTop; ++k) {
        const float kf = static_cast<float>(k);
        const float shiftedPhase = 0.25f - kf / 8192.0f;
        const bool odd = (k & 1) != 0;
        t.ADDA_WAVE[kSaw][k] = 1.0f / kf;
        t.ADDP_WAVE[kSaw][k] = shiftedPhase;
        t.ADDA_WAVE[kSquare][k] = odd ? 1.0f / kf : 0.0f;
        t.ADDP_WAVE[kSquare][k] = odd ? shiftedPhase : 0.5f;
        t.ADDA_WAVE[kTriangle][k] = odd ? 1.0f / (kf * kf) : 0.0f;
        t.ADDP_WAVE[kTriangle][k] = odd ? 0.0f : 0.5f;
    }
}

// Band 0, the exact shape, of each wave; returns its sum of absolute values.
double buildExactShape(LookupTables& t, int wave) {
    float* table = t.oscWaveBank[OSC_BANDS_PER_WAVE * wave];
    double sumAbs = 0.0;
    for (int i = 0; i < OSC_TABLE_SIZE; ++i) {
        const float x = static_cast<float>(i) * 0.00024414124f; // i / 4095.99
        float v = 0.0f;
        switch (wave) {
        case kSine:
            v = std::sin(2.0f * x * kPi);
            break;
        case kSaw:
            v = 2.0f * x - 1.0f;
            break;
        case kSquare:
            v = x < 0.5f ? -1.0f : 1.0f;
            break;
        default:
            v = 1.0f - std::fabs(2.0f - 4.0f * x);
            break;
        }
        table[i] = v;
        sumAbs += std::fabs(v);
    }
    return sumAbs;
}

// Radix-2 decimation-in-time transform of 4,096 points whose input is already in bit-reversed
// order, with the twiddle exp(-2 pi i j / L) advanced by a double-precision recurrence.
void transformBitReversed(float* re, float* im) {
    for (int len = 2; len <= FFT_SIZE; len <<= 1) {
        const double angle = -2.0 * M_PI / len;
        const double halfSine = std::sin(0.5 * angle);
        const double alpha = 2.0 * halfSine * halfSine;
        const double beta = std::sin(angle);
        const int half = len / 2;
        double wr = 1.0, wi = 0.0;
        for (int j = 0; j < half; ++j) {
            for (int lower = j; lower < FFT_SIZE; lower += len) {
                const int upper = lower + half;
                const float tr = static_cast<float>(wr * re[upper] - wi * im[upper]);
                const float ti = static_cast<float>(wr * im[upper] + wi * re[upper]);
                re[upper] = re[lower] - tr;
                im[upper] = im[lower] - ti;
                re[lower] += tr;
                im[lower] += ti;
            }
            const double oldWr = wr;
            wr = wr - (alpha * wr + beta * wi);
            wi = wi - (alpha * wi - beta * oldWr);
        }
    }
}

// Band s of a wave: harmonics 1..limit from the additive tables, scaled so the band keeps the
// exact shape's mean absolute level (times the largest kept amplitude, 0 for a silent band).
void buildBand(LookupTables& t, int wave, int band, double exactSumAbs, std::vector<float>& re,
               std::vector<float>& im) {
    std::fill(re.begin(), re.end(), 0.0f);
    std::fill(im.begin(), im.end(), 0.0f);
    const int limit = kPartialLimits[band];
    float largest = 0.0f;
    for (int k = 1; k <= limit; ++k) {
        const float a = t.ADDA_WAVE[wave][k];
        const float f = kTwoPi * (t.ADDP_WAVE[wave][k] - 0.5f);
        re[k] = a * std::cos(f);
        im[k] = a * std::sin(f);
        if (a > largest) largest = a;
    }
    if (largest < kSilentPartial) largest = 0.0f;

    for (int i = 0; i < FFT_SIZE; ++i) {
        const int r = lookup_build::bitReverse12(i);
        if (i < r) {
            std::swap(re[i], re[r]);
            std::swap(im[i], im[r]);
        }
    }
    transformBitReversed(re.data(), im.data());

    double sumAbs = 0.0;
    for (int i = 0; i < FFT_SIZE; ++i) sumAbs += std::fabs(re[i]);
    // A band with nothing in it would divide zero by zero: it stays silent instead.
    const float scale = sumAbs > 0.0 ? static_cast<float>(largest * (exactSumAbs / sumAbs)) : 0.0f;
    float* table = t.oscWaveBank[OSC_BANDS_PER_WAVE * wave + band];
    for (int i = 0; i < FFT_SIZE; ++i) table[i] = re[i] * scale;
}

void buildPitchMap(LookupTables& t) {
    for (int b = 0; b < OSC_BANDS_PER_WAVE; ++b) t.oscPartialLimits[b] = kPartialLimits[b];
    // Band 0 below pitch index 60, then one band more every two semitones, 33 at most.
    for (int p = 0; p < OSC_PITCH_MAP_SIZE; ++p)
        t.oscTableForPitch[p] = p < 60 ? 0 : std::min((p - 60) / 2 + 1, OSC_BANDS_PER_WAVE - 1);
}

void buildFftTables(LookupTables& t) {
    for (int i = 0; i < FFT_SIZE; ++i) t.fftBitReverse[i] = lookup_build::bitReverse12(i);
    for (int stage = 0; stage < FFT_BITS; ++stage) {
        const int len = 2 << stage;
        const double angle = 2.0 * M_PI / len;
        const double halfSine = std::sin(0.5 * angle);
        const double alpha = 2.0 * halfSine * halfSine;
        const double beta = std::sin(angle);
        int entry = 0;
        for (int block = 0; block < FFT_SIZE / len; ++block) {
            double wr = 1.0, wi = 0.0;
            for (int j = 0; j < len / 2; ++j, ++entry) {
                for (int lane = 0; lane < FFT_LANES; ++lane) {
                    t.fftTwiddles[stage][0][entry][lane] = static_cast<float>(wr);
                    t.fftTwiddles[stage][1][entry][lane] = static_cast<float>(wi);
                }
                const double oldWr = wr;
                wr = wr - (alpha * wr + beta * wi);
                wi = wi - (alpha * wi - beta * oldWr);
            }
        }
    }
}

} // namespace

namespace lookup_build {

int bitReverse12(int i) {
    int r = 0;
    for (int b = 0; b < FFT_BITS; ++b) r = (r << 1) | ((i >> b) & 1);
    return r;
}

void buildWaveTables(LookupTables& t) {
    buildAdditiveWaves(t);
    buildPitchMap(t);
    std::vector<float> re(FFT_SIZE), im(FFT_SIZE);
    for (int wave = 0; wave < OSC_BUILTIN_WAVES; ++wave) {
        const double exactSumAbs = buildExactShape(t, wave);
        for (int band = 1; band < OSC_BANDS_PER_WAVE; ++band)
            buildBand(t, wave, band, exactSumAbs, re, im);
    }
    buildFftTables(t);
}

} // namespace lookup_build
