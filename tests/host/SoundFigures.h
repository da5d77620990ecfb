// A preset's sound reduced to a few figures, so two renderings of the same phrase can be
// compared without storing audio: loudness, peak, the frequencies of the strongest spectral
// peaks and the level of the spectrum in sixth-octave bands from 50 Hz to 16 kHz. Shared by the
// bank's reference check and the renderbank tool; plain loops on the caller's thread.
#pragma once

#include "tests/host/BankPhrase.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

namespace soundfigures {

constexpr int kFftSize = 16384; // 2.9 Hz bins at 48 kHz; peaks are interpolated between them
constexpr int kPeaks = 3;
constexpr double kLowHz = 50.0, kHighHz = 16000.0;
constexpr int kBandsPerOctave = 6;

// In-place radix-2 transform; the size is a power of two.
inline void fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * M_PI / double(len);
        for (size_t k = 0; k < len / 2; ++k) {
            const std::complex<double> w = std::polar(1.0, angle * double(k));
            for (size_t i = 0; i < n; i += len) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

struct Figures {
    double loudness = -200.0, peakDb = -200.0;
    std::vector<double> peakHz; // the strongest spectral peaks, by falling level
    std::vector<double> bandDb; // mean power per band, dB
};

// Mean power spectrum of the mono sum over the phrase: half-overlapping Hann windows.
inline std::vector<double> powerSpectrum(const bankphrase::Rendering& r) {
    const size_t frames = std::min(r.phraseFrames, std::min(r.left.size(), r.right.size()));
    std::vector<double> power(kFftSize / 2 + 1, 0.0);
    std::vector<std::complex<double>> bins(kFftSize);
    int windows = 0;
    for (size_t at = 0; at + kFftSize <= frames; at += kFftSize / 2, ++windows) {
        for (int i = 0; i < kFftSize; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFftSize);
            bins[size_t(i)] =
                0.5 * (double(r.left[at + size_t(i)]) + r.right[at + size_t(i)]) * hann;
        }
        fft(bins);
        for (size_t k = 0; k < power.size(); ++k) power[k] += std::norm(bins[k]);
    }
    for (double& p : power) p /= std::max(windows, 1);
    return power;
}

inline Figures measure(const bankphrase::Rendering& r) {
    Figures f;
    f.loudness = r.loudness;
    f.peakDb = r.peakDb;
    const std::vector<double> power = powerSpectrum(r);
    const double binHz = bankphrase::kRate / kFftSize;
    auto db = [](double p) { return 10.0 * std::log10(p + 1e-30); };

    // Local maxima above 50 Hz, the strongest first; each placed between bins by a parabola
    // through the log levels of its neighbours.
    std::vector<std::pair<double, double>> maxima; // (level, Hz)
    for (size_t k = size_t(kLowHz / binHz) + 1; k + 1 < power.size(); ++k) {
        if (!(power[k] > power[k - 1] && power[k] >= power[k + 1])) continue;
        const double a = db(power[k - 1]), b = db(power[k]), c = db(power[k + 1]);
        const double denom = a - 2.0 * b + c;
        const double shift = denom < 0.0 ? 0.5 * (a - c) / denom : 0.0;
        maxima.push_back({b, (double(k) + shift) * binHz});
    }
    std::sort(maxima.begin(), maxima.end(), [](const auto& x, const auto& y) { return x > y; });
    for (size_t i = 0; i < maxima.size() && i < size_t(kPeaks); ++i)
        f.peakHz.push_back(maxima[i].second);

    for (double lo = kLowHz; lo < kHighHz * 0.999; lo *= std::exp2(1.0 / kBandsPerOctave)) {
        const double hi = std::min(lo * std::exp2(1.0 / kBandsPerOctave), kHighHz);
        double sum = 0.0;
        int count = 0;
        for (size_t k = size_t(std::ceil(lo / binHz)); double(k) * binHz < hi; ++k, ++count)
            sum += power[k];
        f.bandDb.push_back(db(sum / std::max(count, 1)));
    }
    return f;
}

// The RMS over the bands of the difference in dB; bands where both lie below -100 dB of the
// louder rendering's strongest band are left out (quantisation noise, not sound).
inline double logSpectrumDifference(const Figures& a, const Figures& b) {
    const size_t n = std::min(a.bandDb.size(), b.bandDb.size());
    double top = -300.0;
    for (size_t i = 0; i < n; ++i) top = std::max({top, a.bandDb[i], b.bandDb[i]});
    double sum = 0.0;
    int count = 0;
    for (size_t i = 0; i < n; ++i) {
        if (std::max(a.bandDb[i], b.bandDb[i]) < top - 100.0) continue;
        const double d = a.bandDb[i] - b.bandDb[i];
        sum += d * d;
        ++count;
    }
    return count ? std::sqrt(sum / count) : 0.0;
}

inline double cents(double hz, double reference) {
    return 1200.0 * std::log2(hz / reference);
}

// One line of text: loudness, peak, the peaks' frequencies, then the bands.
inline std::string format(const Figures& f) {
    std::string line;
    char number[32];
    std::snprintf(number, sizeof(number), "%.3f %.3f %zu", f.loudness, f.peakDb, f.peakHz.size());
    line += number;
    for (double hz : f.peakHz) {
        std::snprintf(number, sizeof(number), " %.4f", hz);
        line += number;
    }
    for (double d : f.bandDb) {
        std::snprintf(number, sizeof(number), " %.2f", d);
        line += number;
    }
    return line;
}

} // namespace soundfigures
