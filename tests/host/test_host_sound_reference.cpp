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
         -20.003,
         -9.965,
         {392.7950, 262.1204, 330.3668},
         {-13.23, -12.04, -12.96, -12.18, -12.27, -8.14,  -11.26, 13.79,  33.43,  -1.49,
          -5.52,  30.57,  8.68,   6.52,   37.66,  2.59,   35.10,  35.76,  9.86,   1.51,
          27.51,  20.48,  26.04,  27.53,  1.87,   22.03,  18.31,  20.58,  19.11,  18.56,
          14.07,  16.29,  9.14,   13.41,  11.10,  9.78,   7.13,   6.68,   3.54,   2.37,
          0.85,   -1.75,  -4.63,  -7.06,  -9.17,  -12.64, -15.16, -18.98, -22.72, -27.25}},
        {"Drawbar Organ",
         -19.993,
         -8.362,
         {195.5950, 391.7411, 130.9902},
         {8.77,   25.30,  29.23,  7.07,   9.88,   34.11,  24.43,  28.28,  36.82,  24.24,
          34.76,  36.39,  25.63,  22.12,  33.07,  19.96,  30.00,  33.09,  21.76,  18.03,
          27.55,  17.04,  26.07,  27.26,  -2.17,  12.75,  0.47,   14.18,  -28.36, 12.44,
          3.43,   10.64,  -1.11,  8.48,   -46.49, -48.54, -51.18, -61.35, -60.60, -62.21,
          -58.98, -51.64, -54.20, -58.25, -56.88, -59.44, -59.67, -56.53, -57.61, -57.04}},
        {"Reese Bass",
         -20.001,
         -10.301,
         {97.2460, 65.3547, 196.4501},
         {32.15,  33.17,  42.16,  15.66,  23.05,  45.45,  27.67,  20.48,  30.19,  27.98,
          20.82,  37.35,  22.20,  18.76,  20.12,  27.80,  14.51,  30.84,  12.80,  20.82,
          10.49,  20.80,  13.55,  14.42,  5.47,   4.48,   -3.60,  -3.68,  -7.51,  -13.16,
          -18.06, -23.05, -27.77, -31.71, -34.62, -39.54, -43.06, -47.67, -47.14, -49.41,
          -55.83, -58.80, -59.06, -57.15, -63.71, -65.17, -63.87, -69.72, -69.11, -74.43}},
        {"FM Brass Lead",
         -19.999,
         -16.797,
         {393.8772, 131.5336, 197.3016},
         {-9.78,  -8.74,  -9.99,  -11.89, -10.87, 0.50,   6.82,   22.44,  41.26,  8.54,
          10.56,  38.84,  24.99,  2.28,   15.27,  -10.10, -6.71,  40.57,  17.13,  -13.30,
          -19.85, -10.82, -23.57, 14.51,  -20.34, -27.69, -29.15, -11.86, -32.34, -32.73,
          -36.21, -38.74, -41.76, -45.74, -49.79, -52.87, -51.58, -50.16, -49.67, -51.25,
          -52.57, -53.42, -53.17, -53.36, -53.82, -53.75, -54.51, -55.16, -55.94, -57.58}},
        {"Comb Resonator Pad",
         -19.997,
         -9.751,
         {2354.5222, 659.1980, 1418.5805},
         {7.66,  7.93,  8.20,  6.65,  5.30,  5.91,  7.80,  3.09,  15.81, 2.84,  -0.38, 11.13, 2.38,
          10.73, 19.78, 0.67,  18.37, 18.96, 6.68,  18.17, 19.05, 18.32, 20.33, 18.82, 3.04,  16.27,
          9.87,  15.75, 17.79, 13.33, 13.25, 14.27, 13.50, 17.24, 14.46, 14.18, 15.67, 12.20, 14.26,
          14.39, 14.46, 12.65, 14.59, 13.06, 13.27, 13.11, 13.28, 11.44, 10.77, 8.19}},
        {"Sync Sweep Lead",
         -19.998,
         -13.426,
         {392.9079, 784.8529, 196.7342},
         {5.28,  5.69,  5.50,  5.60,  6.43,  6.67,  6.27,  16.31, 37.04,  8.88,
          8.67,  36.03, 20.27, 12.20, 28.83, 4.01,  6.09,  35.53, 16.22,  5.01,
          19.76, 23.13, 18.32, 31.99, 8.19,  17.28, 12.32, 23.51, 13.23,  21.84,
          10.62, 19.56, 8.75,  16.18, 15.24, 13.32, 12.04, 11.25, 9.30,   9.25,
          9.05,  7.76,  5.97,  4.01,  2.68,  -0.93, -2.60, -6.62, -10.17, -14.52}},
        {"Wrapfold Lead",
         -19.977,
         -13.301,
         {391.9770, 1175.9635, 195.9901},
         {-5.89, -2.67, -0.42, 0.16,   -3.20,  -3.01,  7.34,   23.90,  37.51,  12.07,
          14.85, 35.71, 21.20, 8.36,   3.79,   2.86,   6.68,   38.84,  14.97,  0.92,
          -3.34, 26.77, 22.09, -17.97, -11.92, 21.41,  -5.85,  30.04,  16.05,  2.86,
          11.95, 18.37, 8.47,  -3.45,  14.32,  -2.33,  10.07,  -7.75,  5.79,   -8.76,
          0.55,  -4.43, -6.55, -8.66,  -10.81, -15.37, -15.56, -20.74, -20.40, -23.98}},
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
