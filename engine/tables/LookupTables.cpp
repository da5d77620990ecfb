// Builds the shared lookup block once per process: sine, decibel, LFO, interpolation, symmetry,
// FIR and modulation tables (the wave bank lives in WaveTableBank.cpp). Runs on the first
// caller's thread; every thread reads the result afterwards without locks.

#include "engine/tables/LookupTables.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <mutex>

namespace {

// The float values of the phase divisor (65535.99) and of pi that every table is built with.
constexpr float kPhaseDivisor = 65535.98828125f;
constexpr float kPi = 3.14159274f;

void buildSineGroup(LookupTables& t) {
    for (int i = 0; i < LUT_PHASE_SIZE; ++i) {
        const float u = static_cast<float>(i) / kPhaseDivisor;
        const float angle = (u + u) * kPi;
        const float s = std::sin(angle);
        t.SineArray[i] = s;
        t.CosArray[i] = std::cos(angle);
        t.AbsSineArray[i] = 0.5f * s + 0.5f;
        float g30 = 0.0f, g60 = 0.0f, gBi = 0.0f, g40 = 0.0f;
        if (static_cast<double>(u) >= 0.001) { // silence at the very bottom of the control
            g30 = static_cast<float>(
                std::pow(10.0, static_cast<double>((30.0f * u - 30.0f) / 20.0f)));
            g60 = static_cast<float>(
                std::pow(10.0, static_cast<double>((60.0f * u - 60.0f) / 20.0f)));
            gBi = static_cast<float>(
                std::pow(10.0, static_cast<double>((60.0f * u - 30.0f) / 20.0f)));
            g40 = static_cast<float>(
                std::pow(10.0, static_cast<double>((40.0f * u - 30.0f) / 20.0f)));
        }
        t.dbGain30Array[i] = g30;
        t.dbGain60Array[i] = g60;
        t.dbGainBipolarArray[i] = gBi;
        t.dbGain40Array[i] = g40;
    }
}

void buildLfoShapes(LookupTables& t) {
    // Shapes 5 (sample and hold), 6 and 7 (user waves) keep the zero fill: see the header.
    for (int i = 0; i < LUT_PHASE_SIZE; ++i) {
        const float x = static_cast<float>(i) * (1.0f / 65536.0f);
        t.lfoShapeTables[0][i] = std::sin(2.0f * x * kPi);
        t.lfoShapeTables[1][i] = 2.0f * std::fabs(1.0f - 2.0f * x) - 1.0f;
        t.lfoShapeTables[2][i] = 2.0f * x - 1.0f;
        t.lfoShapeTables[3][i] = 1.0f - 2.0f * x;
        t.lfoShapeTables[4][i] = x > 0.5f ? 1.0f : -1.0f;
    }
}

void buildUserWaveInterp(LookupTables& t) {
    auto& u = t.userWaveInterpTables;
    for (int i = 0; i < LUT_PHASE_SIZE; ++i) {
        const float x = static_cast<float>(i) * (1.0f / 65536.0f);
        const float y = x * 511.99f;
        u.fraction[i] = y - std::floor(y);
        u.index[i] = static_cast<int32_t>(y);
        u.next[i] = static_cast<int32_t>(y + 1.0f) & (USER_WAVE_POINTS - 1);
    }
}

void buildSymmetryTable(LookupTables& t) {
    for (int c = 0; c < SYMMETRY_ROWS; ++c) {
        const float s = static_cast<float>(c) * 0.98f / 512.0f + 0.01f;
        int32_t* row = t.symmetryTable[c];
        for (int j = 0; j < SYMMETRY_SIZE; ++j) {
            const float p = static_cast<float>(j) / 4095.0f;
            const float v =
                p >= s ? 4095.0f * ((p - s) * 0.5f / (1.0f - s) + 0.5f) : 4095.0f * p * 0.5f / s;
            // The entry indexes a 4,096-sample wave: keep a rounding slip from reaching 4,096.
            row[j] = std::min(std::max(static_cast<int32_t>(v), 0), SYMMETRY_SIZE - 1);
        }
    }
    for (int j = 0; j < SYMMETRY_SIZE; ++j) t.symmetryTable[SYMMETRY_IDENTITY_ROW][j] = j;
}

// ---------------------------------------------------------------------------
// Distortion FX amp-model kernels
// ---------------------------------------------------------------------------

// The first taps of the "4x10" speaker; its tail continues them with a generated resonance.
constexpr float kFourByTenHead[8] = {0.00390625f, -0.00390625f, 0.003875732f, -0.05090332f,
                                     -0.1213989f, -0.1137390f,  -0.07464600f, 0.01144409f};

// A speaker-like response: the ringing of a cone resonance, exp(-n / decay) sin(2 pi f n),
// smoothed by the binomial [1 4 6 4 1] / 16. The binomial puts a double zero at Nyquist, so
// every generated kernel rolls off to nothing at the top as a loudspeaker does, and its
// length is the resonance's plus four.
struct SpeakerModel {
    float frequency; // cycles per sample at the output rate
    float decay;     // samples to fall by 1/e
    int taps;
};

void speakerResponse(const SpeakerModel& model, float* out) {
    constexpr float kBinomial[5] = {1.0f / 16, 4.0f / 16, 6.0f / 16, 4.0f / 16, 1.0f / 16};
    const int ringTaps = model.taps - 4;
    for (int n = 0; n < model.taps; ++n) out[n] = 0.0f;
    for (int n = 0; n < ringTaps; ++n) {
        const double ring = std::exp(-n / static_cast<double>(model.decay)) *
                            std::sin(2.0 * M_PI * model.frequency * n);
        for (int b = 0; b < 5; ++b) out[n + b] += static_cast<float>(ring * kBinomial[b]);
    }
}

// Largest magnitude of the kernel's frequency response on a grid of 1,024 points, 0 .. Nyquist.
double peakResponse(const float* kernel, int taps) {
    double peak = 0.0;
    for (int k = 0; k <= 1024; ++k) {
        const double w = M_PI * k / 1024.0;
        std::complex<double> h = 0.0;
        for (int n = 0; n < taps; ++n)
            h += static_cast<double>(kernel[n]) * std::polar(1.0, -w * n);
        peak = std::max(peak, std::abs(h));
    }
    return peak;
}

void buildDistortKernels(LookupTables& t) {
    for (auto& kernel : t.distortFirKernels) std::fill(kernel, kernel + DISTORT_FIR_TAPS, 0.0f);
    t.distortFirKernels[0][0] = 1.0f; // model "None": the frames pass unchanged

    // "4x10": the fixed head, then a ring at about 2 kHz (at 44.1 kHz) whose level was chosen
    // so the whole kernel stays at or below unity gain.
    float* fourByTen = t.distortFirKernels[1];
    std::copy(std::begin(kFourByTenHead), std::end(kFourByTenHead), fourByTen);
    float tail[DISTORT_FIR_TAPS - 8];
    speakerResponse({0.045f, 9.0f, DISTORT_FIR_TAPS - 8}, tail);
    for (int n = 0; n < DISTORT_FIR_TAPS - 8; ++n) fourByTen[8 + n] = 0.08f * tail[n];

    // "4x12" a lower, longer ring than "4x10"; "Bass" low and slow; "Combo" bright and short;
    // "Radio" a small cone: high and damped within 16 taps. Each is scaled to a peak gain of 1,
    // so the model changes the colour and the Post-Boost sets the level.
    const SpeakerModel models[4] = {
        {0.05f, 10.0f, 64}, {0.022f, 14.0f, 64}, {0.07f, 7.0f, 64}, {0.11f, 2.5f, 16}};
    for (int m = 0; m < 4; ++m) {
        float* kernel = t.distortFirKernels[2 + m];
        speakerResponse(models[m], kernel);
        const double peak = peakResponse(kernel, models[m].taps);
        for (int n = 0; n < models[m].taps; ++n) kernel[n] = static_cast<float>(kernel[n] / peak);
    }
}

// ---------------------------------------------------------------------------
// Modulation classification
// ---------------------------------------------------------------------------

constexpr int kSemitoneDests[] = {8, 21, 22, 23, 41, 69, 70, 71, 91};
constexpr int kOctaveDests[] = {20, 68};
constexpr int kSpeedDests[] = {11,  12,  15,  39,  45,  50,  57,  89,  95,  100, 107, 120,
                               184, 206, 229, 235, 246, 254, 263, 274, 285, 294, 305};
// Bipolar sources that still use their slot's offset: the LFOs and the ZEK X and Y sources.
constexpr int kBipolarWithOffset[] = {56, 58, 60, 62, 64, 66, 68, 70, 73, 75};
// Bipolar sources without an offset: centre note, random, alternates, bend, ribbon, arp tune,
// the arpeggiator values, the input and the outputs, and the noises.
constexpr int kBipolarNoOffset[] = {6, 7, 9, 11, 13, 15, 18, 81, 83, 102, 104};
constexpr int kBipolarRunFirst = 85, kBipolarRunLast = 100;

void buildModTables(LookupTables& t) {
    std::fill(std::begin(t.modDestUnits), std::end(t.modDestUnits), MOD_UNIT_PERCENT);
    for (int d : kSemitoneDests) t.modDestUnits[d] = MOD_UNIT_SEMITONES;
    for (int d : kOctaveDests) t.modDestUnits[d] = MOD_UNIT_OCTAVES;
    for (int d : kSpeedDests) t.modDestUnits[d] = MOD_UNIT_SPEED;

    std::fill(std::begin(t.modSrcBipolar), std::end(t.modSrcBipolar), 0);
    std::fill(std::begin(t.modSrcNoOffset), std::end(t.modSrcNoOffset), 0);
    for (int s : kBipolarWithOffset) t.modSrcBipolar[s] = 1;
    for (int s : kBipolarNoOffset) t.modSrcBipolar[s] = t.modSrcNoOffset[s] = 1;
    for (int s = kBipolarRunFirst; s <= kBipolarRunLast; ++s)
        t.modSrcBipolar[s] = t.modSrcNoOffset[s] = 1;
}

std::unique_ptr<LookupTables> sharedTables;
std::once_flag sharedTablesOnce;

} // namespace

const LookupTables& lookupTables() {
    std::call_once(sharedTablesOnce, [] {
        // Value-initialised, so every table not filled below reads zero.
        std::unique_ptr<LookupTables> t(new LookupTables());
        buildSineGroup(*t);
        buildDistortKernels(*t);
        buildLfoShapes(*t);
        buildUserWaveInterp(*t);
        buildModTables(*t);
        buildSymmetryTable(*t);
        lookup_build::buildWaveTables(*t);
        sharedTables = std::move(t);
        // The filter tables come with this block, so no engine reader builds them late.
        filterTables();
    });
    return *sharedTables;
}

int oscBandForPitchIndex(int pitchIndex) {
    return lookupTables()
        .oscTableForPitch[std::min(std::max(pitchIndex, 0), OSC_PITCH_MAP_SIZE - 1)];
}

const int32_t* symmetryRow(int row) {
    return lookupTables().symmetryTable[std::min(std::max(row, 0), SYMMETRY_ROWS - 1)];
}

int modDestUnit(int dest) {
    if (static_cast<unsigned>(dest) >= static_cast<unsigned>(MOD_DEST_TABLE_SIZE))
        return MOD_UNIT_PERCENT;
    return lookupTables().modDestUnits[dest];
}

bool modSrcIsBipolar(int src) {
    if (static_cast<unsigned>(src) >= static_cast<unsigned>(MOD_SRC_TABLE_SIZE)) return false;
    return lookupTables().modSrcBipolar[src] != 0;
}

bool modSrcHasNoOffset(int src) {
    if (static_cast<unsigned>(src) >= static_cast<unsigned>(MOD_SRC_TABLE_SIZE)) return false;
    return lookupTables().modSrcNoOffset[src] != 0;
}

void brickFilterKG(float frequencyValue, float rate, float& k, float& g) {
    // Just below pi/2: cos stays clearly positive, so k = sin / (cos + 0.0015) stays finite.
    constexpr double kMaxAngle = 0.49 * M_PI;
    float v = frequencyValue;
    if (!(v > 0.0f)) v = 0.0f; // NaN and negatives: the lowest frequency
    if (v > 1.0f) v = 1.0f;
    const float a =
        static_cast<float>(std::exp2(double{BRICK_FILTER_OCTAVES} * static_cast<double>(v)));
    double w = kMaxAngle;
    if (rate > 0.0f && std::isfinite(rate))
        w = std::min(static_cast<double>(a) / (4.0 * static_cast<double>(rate)) *
                         double{BRICK_FILTER_BASE_HZ} * M_PI,
                     kMaxAngle);
    k = static_cast<float>(std::sin(w) / (std::cos(w) + 0.0015));
    g = 1.0f / (k * k + k + 1.0f);
}

void initBrickFilterCoefficients(float* dst, float frequencyValue, float rate) {
    float k = 0.0f, g = 0.0f;
    brickFilterKG(frequencyValue, rate, k, g);
    const float lanes[5] = {2.0f, 0.5f, 0.5f, k, g};
    for (int v = 0; v < 5; ++v)
        for (int lane = 0; lane < 4; ++lane) dst[v * 4 + lane] = lanes[v];
}
