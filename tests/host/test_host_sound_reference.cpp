// The sound of a few factory presets held to figures measured on an earlier build: the phrase's
// loudness within 0.2 LU, its peak within 0.5 dB, the strongest spectral peaks within 1 cent
// and the spectrum in sixth-octave bands from 50 Hz to 16 kHz within 1 dB RMS. Any rework of the
// voice engine that is meant to leave the sound alone must keep these; the figures stand for
// the audio, which is not stored. The presets use no random sources, so renders repeat.
#include "tests/host/SoundFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Reference {
    const char* name;
    double loudness, peakDb;
    std::vector<double> peakHz, bandDb;
};

// Measured with soundfigures::measure on the phrase of bankphrase::renderPreset.
const std::vector<Reference>& references() {
    static const std::vector<Reference> all = {
        {"Clean Poly Synth",
         -23.003,
         -12.975,
         {392.7953, 262.1204, 330.3669},
         {-16.15, -14.99, -15.91, -15.16, -15.29, -11.13, -14.20, 10.59,  30.48,  -4.41,
          -8.35,  27.56,  5.46,   3.48,   34.65,  -0.43,  32.09,  32.75,  6.85,   -1.50,
          24.51,  17.46,  23.03,  24.51,  -1.19,  19.01,  15.30,  17.57,  16.09,  15.54,
          11.06,  13.28,  6.13,   10.39,  8.09,   6.77,   4.12,   3.67,   0.52,   -0.64,
          -2.16,  -4.76,  -7.64,  -10.07, -12.18, -15.65, -18.17, -21.99, -25.73, -30.26}},
        {"Drawbar Organ",
         -22.999,
         -11.372,
         {195.5951, 391.7412, 130.9997},
         {5.76,   22.30,  26.24,  3.91,   6.87,   31.10,  21.42,  25.26,  33.82,  21.23,
          31.75,  33.38,  22.62,  19.11,  30.06,  16.95,  26.99,  30.08,  18.75,  15.03,
          24.54,  14.03,  23.06,  24.25,  -5.18,  9.74,   -2.54,  11.17,  -31.37, 9.43,
          0.42,   7.63,   -4.12,  5.47,   -49.50, -51.55, -54.19, -64.36, -63.61, -65.21,
          -61.99, -54.65, -57.21, -61.26, -59.89, -62.45, -62.68, -59.54, -60.62, -60.05}},
        {"Reese Bass",
         -23.000,
         -13.332,
         {97.2460, 65.3551, 196.4488},
         {29.12,  30.07,  39.19,  12.59,  20.02,  42.42,  24.64,  17.44,  27.17,  24.95,
          17.81,  34.33,  19.17,  15.73,  17.12,  24.77,  11.49,  27.81,  9.77,   17.80,
          7.48,   17.77,  10.52,  11.39,  2.45,   1.45,   -6.62,  -6.71,  -10.54, -16.18,
          -21.09, -26.08, -30.79, -34.74, -37.65, -42.59, -46.09, -50.69, -50.17, -52.44,
          -58.86, -62.13, -62.09, -60.18, -66.91, -68.37, -66.90, -73.21, -72.14, -77.96}},
        {"FM Brass Lead",
         -22.998,
         -19.807,
         {393.8772, 131.5372, 197.3016},
         {-12.79, -11.75, -13.00, -14.89, -13.86, -2.51,  3.82,   19.44,  38.27,  5.52,
          7.55,   35.83,  21.98,  -0.73,  12.31,  -13.11, -9.72,  37.56,  14.12,  -16.31,
          -22.85, -13.83, -26.58, 11.50,  -23.35, -30.70, -32.16, -14.87, -35.35, -35.74,
          -39.22, -41.75, -44.77, -48.75, -52.80, -56.03, -54.59, -53.17, -52.68, -54.26,
          -55.58, -56.45, -56.17, -56.37, -56.83, -56.76, -57.51, -58.17, -58.94, -60.59}},
        {"Comb Resonator Pad",
         -22.999,
         -12.754,
         {2354.5222, 659.1980, 1418.5804},
         {4.66,  4.92,  5.19,  3.65,  2.30,  2.91,  4.79,  0.09,  12.81, -0.16, -3.38, 8.13, -0.63,
          7.73,  16.77, -2.33, 15.36, 15.96, 3.68,  15.17, 16.05, 15.32, 17.33, 15.82, 0.04, 13.27,
          6.87,  12.74, 14.78, 10.33, 10.25, 11.26, 10.50, 14.24, 11.46, 11.18, 12.67, 9.19, 11.26,
          11.39, 11.46, 9.65,  11.59, 10.06, 10.27, 10.11, 10.27, 8.44,  7.77,  5.19}},
        {"Sync Sweep Lead",
         -23.001,
         -16.441,
         {392.9037, 784.8261, 196.7337},
         {1.86, 2.36,  2.28,  2.43,  3.29,  3.54,  3.18,  13.25, 34.06, 5.82,   5.59,  33.01, 17.25,
          9.18, 25.83, 0.74,  2.62,  32.55, 13.21, 1.56,  16.76, 20.11, 15.27,  28.95, -0.29, 14.22,
          9.24, 20.63, 10.22, 18.80, 7.33,  16.52, 5.73,  13.26, 12.15, 10.38,  8.90,  8.29,  6.19,
          6.21, 6.06,  4.71,  2.95,  0.99,  -0.36, -3.99, -5.61, -9.68, -13.21, -17.57}},
        {"Wrapfold Lead",
         -23.001,
         -16.325,
         {391.9770, 1175.9635, 195.9901},
         {-8.91, -5.69, -3.44, -2.86,  -6.22,  -6.03,  4.32,   20.88,  34.49,  9.05,
          11.82, 32.69, 18.18, 5.34,   0.76,   -0.16,  3.66,   35.81,  11.95,  -2.11,
          -6.36, 23.74, 19.06, -20.99, -14.95, 18.39,  -8.87,  27.02,  13.03,  -0.16,
          8.93,  15.35, 5.44,  -6.47,  11.30,  -5.36,  7.05,   -10.78, 2.77,   -11.79,
          -2.48, -7.46, -9.57, -11.69, -13.83, -18.40, -18.58, -23.76, -23.43, -27.00}},
    };
    return all;
}

} // namespace

TEST(HostSoundReference, PresetsKeepTheirLoudnessPeakPitchAndSpectrum) {
    for (const Reference& ref : references()) {
        SCOPED_TRACE(ref.name);
        const bankphrase::Rendering r = bankphrase::renderPreset(ref.name);
        const soundfigures::Figures f = soundfigures::measure(r);
        EXPECT_NEAR(f.loudness, ref.loudness, 0.2);
        EXPECT_NEAR(f.peakDb, ref.peakDb, 0.5);
        ASSERT_EQ(f.peakHz.size(), ref.peakHz.size());
        for (size_t i = 0; i < ref.peakHz.size(); ++i)
            EXPECT_NEAR(soundfigures::cents(f.peakHz[i], ref.peakHz[i]), 0.0, 1.0)
                << "peak " << i << " at " << f.peakHz[i] << " Hz, was " << ref.peakHz[i] << " Hz";
        soundfigures::Figures stored;
        stored.bandDb = ref.bandDb;
        ASSERT_EQ(f.bandDb.size(), ref.bandDb.size());
        EXPECT_LE(soundfigures::logSpectrumDifference(f, stored), 1.0);
    }
}

// The measure itself: a sine reads at its frequency to well under a cent, and a level change
// of 2 dB over every band reads as 2 dB RMS.
TEST(HostSoundReference, FiguresReadAKnownTone) {
    bankphrase::Rendering r;
    const double hz = 437.3, rate = bankphrase::kRate;
    for (int i = 0; i < int(rate); ++i) {
        const float x = float(0.25 * std::sin(2.0 * M_PI * hz * i / rate) +
                              0.001 * std::sin(2.0 * M_PI * 3000.0 * i / rate));
        r.left.push_back(x);
        r.right.push_back(x);
    }
    r.phraseFrames = r.left.size();
    const soundfigures::Figures f = soundfigures::measure(r);
    ASSERT_FALSE(f.peakHz.empty());
    EXPECT_NEAR(soundfigures::cents(f.peakHz[0], hz), 0.0, 0.5);
    soundfigures::Figures louder = f;
    for (double& d : louder.bandDb) d += 2.0;
    EXPECT_NEAR(soundfigures::logSpectrumDifference(f, louder), 2.0, 1e-9);
}
