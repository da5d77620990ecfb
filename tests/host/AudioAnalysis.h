// Measurements on rendered audio for the tests: level, finiteness, the level at one frequency
// and the frequency of the strongest partial. Plain loops; the tests render short stretches.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace audio {

inline double rms(const std::vector<float>& x, size_t from = 0, size_t to = size_t(-1)) {
    if (to > x.size()) to = x.size();
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(to - from));
}

inline double peak(const std::vector<float>& x) {
    double p = 0.0;
    for (float v : x) p = std::fmax(p, std::fabs(double(v)));
    return p;
}

// True when every sample is finite and none is a denormal.
inline bool allFiniteNormal(const std::vector<float>& x) {
    for (float v : x)
        if (!std::isfinite(v) || (v != 0.0f && std::fpclassify(v) == FP_SUBNORMAL)) return false;
    return true;
}

// How bright a sound is, 0 to 1: the level of its sample-to-sample steps over twice its level
// (a sine of frequency f reads sin(pi f / rate); white noise about 0.7).
inline double brightness(const std::vector<float>& x, size_t from = 0) {
    double level = 0.0, steps = 0.0;
    for (size_t i = from + 1; i < x.size(); ++i) {
        level += double(x[i]) * x[i];
        steps += double(x[i] - x[i - 1]) * (x[i] - x[i - 1]);
    }
    return level > 0.0 ? 0.5 * std::sqrt(steps / level) : 0.0;
}

inline double mean(const std::vector<float>& x) {
    double sum = 0.0;
    for (float v : x) sum += v;
    return x.empty() ? 0.0 : sum / double(x.size());
}

// Amplitude of the component at `freq` (Hz), Hann-windowed (Goertzel); a full-scale sine
// reads about 1.
inline double magnitudeAt(const std::vector<float>& x, double freq, double rate) {
    const size_t n = x.size();
    if (n < 2) return 0.0;
    const double w = 2.0 * M_PI * freq / rate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0, windowSum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(n - 1));
        windowSum += hann;
        const double s0 = x[i] * hann + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2.0 * std::sqrt(std::fmax(power, 0.0)) / windowSum;
}

// Frequency (Hz) of the strongest component between lo and hi: a coarse scan in steps of
// 1/8 semitone, then a golden-section search on the Hann-windowed magnitude. Accurate to well
// under a cent on a few tenths of a second of a steady tone.
inline double dominantFrequency(const std::vector<float>& x, double rate, double lo = 20.0,
                                double hi = 20000.0) {
    if (hi > 0.49 * rate) hi = 0.49 * rate;
    const double step = std::pow(2.0, 1.0 / 96.0);
    double best = lo, bestMag = -1.0;
    for (double f = lo; f <= hi; f *= step) {
        const double m = magnitudeAt(x, f, rate);
        if (m > bestMag) bestMag = m, best = f;
    }
    double a = best / step, b = best * step;
    const double g = 0.6180339887498949;
    for (int i = 0; i < 60; ++i) {
        const double c1 = b - g * (b - a), c2 = a + g * (b - a);
        if (magnitudeAt(x, c1, rate) > magnitudeAt(x, c2, rate))
            b = c2;
        else
            a = c1;
    }
    return 0.5 * (a + b);
}

inline double cents(double measured, double expected) {
    return 1200.0 * std::log2(measured / expected);
}

// Frequency from rising zero crossings, interpolated between samples: exact enough for a
// hundredth of a cent on a sine of a second, at any pitch.
inline double crossingFrequency(const std::vector<float>& x, double rate) {
    double first = -1.0, last = -1.0;
    int count = 0;
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = double(i - 1) + x[i - 1] / double(x[i - 1] - x[i]);
            if (first < 0.0) first = t;
            last = t;
            ++count;
        }
    return count > 1 ? (count - 1) * rate / (last - first) : 0.0;
}

// Levels of 5 ms windows from frame `from` on, and the times (seconds from `from`) where the
// level rises through half of its peak: the openings of a gate or a square LFO.
inline std::vector<double> halfLevelRises(const std::vector<float>& x, double rate,
                                          std::vector<double>* levels = nullptr, size_t from = 0) {
    const size_t w = static_cast<size_t>(rate * 0.005);
    std::vector<double> level;
    for (size_t i = from; i + w <= x.size(); i += w) level.push_back(rms(x, i, i + w));
    double top = 0.0;
    for (double v : level) top = std::fmax(top, v);
    std::vector<double> rises;
    for (size_t i = 1; i < level.size(); ++i)
        if (level[i - 1] < 0.5 * top && level[i] >= 0.5 * top) rises.push_back(i * 0.005);
    if (levels) *levels = level;
    return rises;
}

// The largest sample difference of two renders; renders of different lengths differ hugely.
inline float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    float d = b.size() == a.size() ? 0.0f : 1.0e9f;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) d = std::fmax(d, std::fabs(a[i] - b[i]));
    return d;
}

// The start of a 64-bit FNV-1a hash, and the hash moved on by the first `count` samples' bits:
// two renders hash alike only when every sample is the same bit for bit.
constexpr uint64_t kHashStart = 1469598103934665603ull;
inline uint64_t hashBits(uint64_t hash, const std::vector<float>& x, size_t count) {
    for (size_t i = 0; i < count && i < x.size(); ++i) {
        uint32_t bits;
        std::memcpy(&bits, &x[i], sizeof(bits));
        hash = (hash ^ bits) * 1099511628211ull;
    }
    return hash;
}

} // namespace audio
