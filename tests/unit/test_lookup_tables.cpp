// Unit tests of the shared lookup tables, the built-in wave bank and the path permutations:
// edge values, one defining property per table family, and the clamped index functions.
// Runs on the test thread only.

#include "engine/tables/LookupTables.h"
#include "engine/tables/PathPermutations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <set>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// An independent double-precision FFT (recursive radix 2) to read the tables' spectra.
void referenceFft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    if (n < 2) return;
    std::vector<std::complex<double>> even(n / 2), odd(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i) {
        even[i] = a[2 * i];
        odd[i] = a[2 * i + 1];
    }
    referenceFft(even);
    referenceFft(odd);
    for (std::size_t k = 0; k < n / 2; ++k) {
        const std::complex<double> t = std::polar(1.0, -2.0 * M_PI * k / n) * odd[k];
        a[k] = even[k] + t;
        a[k + n / 2] = even[k] - t;
    }
}

template <std::size_t N> bool allFinite(const float (&table)[N]) {
    return std::all_of(table, table + N, [](float v) { return std::isfinite(v); });
}

} // namespace

TEST(LookupTables, IndexFunctionsStayInsideTheirTables) {
    for (float bad : {kNaN, -1.0f, -kInf}) {
        EXPECT_EQ(filterTableIndex(bad), 0);
        EXPECT_EQ(filterControlIndex(bad), 0);
        EXPECT_EQ(unitTableIndex(bad), 0);
        EXPECT_EQ(lfoTableIndex(bad), 0);
    }
    // At and above Nyquist, and with a rate of zero (infinite ratio), the last entry.
    for (float high : {0.5f, 3.0f, 1e30f, kInf})
        EXPECT_EQ(filterTableIndex(high), LUT_FILTER_SIZE - 1);
    // A control at or above its top, the last entry.
    for (float high : {1.0f, 3.0f, 1e30f, kInf}) {
        EXPECT_EQ(filterControlIndex(high), LUT_FILTER_SIZE - 1);
        EXPECT_EQ(unitTableIndex(high), LUT_PHASE_SIZE - 1);
        EXPECT_EQ(lfoTableIndex(high), LUT_PHASE_SIZE - 1);
    }
    EXPECT_EQ(filterTableIndex(0.25f), static_cast<int>((0.25f + 0.001f) * 262143.0f));
    EXPECT_EQ(unitTableIndex(0.5f), 32767);

    EXPECT_EQ(oscPitchIndex(kNaN), 57);
    EXPECT_EQ(oscPitchIndex(-100.0f), 0);
    EXPECT_EQ(oscPitchIndex(kInf), 127);
    EXPECT_EQ(oscBandForPitchIndex(-5), 0);
    EXPECT_EQ(oscBandForPitchIndex(5000), OSC_BANDS_PER_WAVE - 1);
    EXPECT_EQ(symmetryRow(-1), symmetryRow(0));
    EXPECT_EQ(symmetryRow(9999), symmetryRow(SYMMETRY_ROWS - 1));
}

TEST(LookupTables, BandLimitedWavesKeepNoPartialAboveTheirLimit) {
    const LookupTables& t = lookupTables();
    // Exact shapes at their first sample.
    EXPECT_EQ(t.oscWaveBank[34][0], -1.0f);
    std::vector<std::complex<double>> spectrum(OSC_TABLE_SIZE);
    for (int wave = 0; wave < OSC_BUILTIN_WAVES; ++wave) {
        double exactSumAbs = 0.0;
        for (float v : t.oscWaveBank[OSC_BANDS_PER_WAVE * wave]) exactSumAbs += std::fabs(v);
        for (int band = 1; band < OSC_BANDS_PER_WAVE; ++band) {
            const float* table = t.oscWaveBank[OSC_BANDS_PER_WAVE * wave + band];
            double sumAbs = 0.0;
            for (int i = 0; i < OSC_TABLE_SIZE; ++i) {
                spectrum[i] = table[i];
                sumAbs += std::fabs(table[i]);
            }
            referenceFft(spectrum);
            const int limit = t.oscPartialLimits[band];
            double kept = 0.0, above = 0.0;
            for (int k = 1; k <= OSC_TABLE_SIZE / 2; ++k)
                (k <= limit ? kept : above) =
                    std::max(k <= limit ? kept : above, std::abs(spectrum[k]));
            EXPECT_LT(above, 1e-4 * kept) << "wave " << wave << " band " << band;
            EXPECT_LT(std::abs(spectrum[0]), 1e-3 * kept) << "wave " << wave << " band " << band;
            // Each band keeps the exact shape's mean absolute level.
            EXPECT_NEAR(sumAbs, exactSumAbs, 1e-3 * exactSumAbs)
                << "wave " << wave << " band " << band;
        }
    }
}

TEST(LookupTables, BrickFilterCoefficientsStayFinite) {
    float block[BRICK_FILTER_COEF_FLOATS];
    initBrickFilterCoefficients(block, 0.0f, 44100.0f);
    for (int lane = 0; lane < 4; ++lane) {
        EXPECT_EQ(block[lane], 2.0f);
        EXPECT_EQ(block[4 + lane], 0.5f);
        EXPECT_EQ(block[8 + lane], 0.5f);
    }
    const float k = block[12], g = block[16];
    EXPECT_NEAR(k, std::sin(20.0 * M_PI / (4.0 * 44100.0)), 1e-6);
    EXPECT_FLOAT_EQ(g, 1.0f / (k * k + k + 1.0f));
    for (float value : {kNaN, -1.0f, 0.0f, 0.5f, 1.0f, 7.0f})
        for (float rate : {kNaN, -1.0f, 0.0f, 22050.0f, 44100.0f, 192000.0f, kInf}) {
            float kk = 0.0f, gg = 0.0f;
            brickFilterKG(value, rate, kk, gg);
            EXPECT_TRUE(std::isfinite(kk) && kk >= 0.0f) << value << " " << rate;
            EXPECT_TRUE(std::isfinite(gg) && gg > 0.0f && gg <= 1.0f) << value << " " << rate;
        }
}

TEST(LookupTables, PathPermutationsDecode) {
    const PathPermutationRows& rows = pathPermutations();
    EXPECT_EQ(rows[PATH_OSC][1], 12354);
    EXPECT_EQ(rows[PATH_OSC][719], 543210);
    EXPECT_EQ(rows[PATH_FX][119], 43210);
    EXPECT_EQ(pathUnitAt(PATH_OSC, 360, 0), 3);
    EXPECT_EQ(pathUnitAt(PATH_FX, 48, 0), 2);

    // Every step is a distinct ordering of all units, in increasing order; the rest is empty.
    for (int path = 0; path < PATH_COUNT; ++path) {
        for (int step = 0; step < PATHS_PERM_NUM[path]; ++step) {
            int units[PATH_MAX_UNITS] = {};
            ASSERT_EQ(pathOrdering(path, step, units), PATH_NUM[path]);
            std::set<int> seen(units, units + PATH_NUM[path]);
            ASSERT_EQ(static_cast<int>(seen.size()), PATH_NUM[path]) << path << " " << step;
            ASSERT_EQ(*seen.rbegin(), PATH_LAST[path]) << path << " " << step;
            if (step > 0) {
                ASSERT_GT(rows[path][step], rows[path][step - 1]);
            }
        }
        for (int j = PATHS_PERM_NUM[path]; j < PATH_PERM_SLOTS; ++j) ASSERT_EQ(rows[path][j], 0);
    }

    // Steps outside the orderings are clamped; bad paths and positions answer -1.
    EXPECT_EQ(pathUnitAt(PATH_OSC, -5, 0), 0);
    EXPECT_EQ(pathUnitAt(PATH_OSC, 99999, 0), 5);
    EXPECT_EQ(pathUnitAt(PATH_FX, 120, 0), 4); // an entry the FX row does not use
    EXPECT_EQ(pathUnitAt(2, 0, 0), -1);
    EXPECT_EQ(pathUnitAt(PATH_FX, 0, 5), -1);
    EXPECT_EQ(pathOrdering(7, 0, nullptr), 0);

    EXPECT_EQ(pathStepForValue(PATH_OSC, 1.0f), 719);
    EXPECT_EQ(pathStepForValue(PATH_FX, 1.0f), 119);
    EXPECT_EQ(pathStepForValue(PATH_OSC, (360 + 0.1f) / 719.0f), 360);
    EXPECT_EQ(pathStepForValue(PATH_OSC, kNaN), 0);
    EXPECT_EQ(pathStepForValue(PATH_FX, kInf), 119);
    EXPECT_EQ(pathStepForValue(3, 0.5f), -1);
}
