// Drives the voice filter and the EQs with test signals at the voice rate (twice the host
// rate) and measures what comes out: shared by the stage unit tests.
#pragma once

#include "dsp/TFilter.h"
#include "dsp/TParaEQ.h"
#include "tests/host/AudioAnalysis.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace stages {

constexpr float kRate = 48000.0f;
constexpr double kVoiceRate = 2.0 * kRate;

// The cutoff control for a frequency in Hz: 20 x 2^(10 x control).
inline float controlFor(double hz) {
    return static_cast<float>(std::log2(hz / 20.0) / 10.0);
}

inline std::vector<float> sine(double hz, size_t n, double amplitude = 0.5) {
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * double(i) / kVoiceRate));
    return x;
}

inline std::vector<float> noise(size_t n, uint32_t seed, double amplitude = 0.5) {
    std::vector<float> x(n);
    for (float& v : x) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(amplitude * (double(seed >> 8) / double(1u << 24) * 2.0 - 1.0));
    }
    return x;
}

inline stereoOverStruct frame(const std::vector<float>& l, const std::vector<float>& r, size_t i) {
    return {{l[i], r[i]}, {l[i + 1], r[i + 1]}};
}

struct FilterSettings {
    float cutoff = 0.5f;
    float resonance = 0.0f;
    float vowel = 0.0f;
};

// Runs the per-pass form over a stereo signal (length a multiple of 4).
inline void runFilter(TFilter& f, const FilterSettings& s, const std::vector<float>& inL,
                      const std::vector<float>& inR, std::vector<float>& outL,
                      std::vector<float>& outR) {
    outL.assign(inL.size(), 0.0f);
    outR.assign(inR.size(), 0.0f);
    for (size_t i = 0; i + 3 < inL.size(); i += 4) {
        stereoOverStruct a, b;
        f.process({s.cutoff, s.cutoff}, {}, s.resonance, s.vowel, frame(inL, inR, i),
                  frame(inL, inR, i + 2), a, b);
        outL[i] = a.first.left, outR[i] = a.first.right;
        outL[i + 1] = a.second.left, outR[i + 1] = a.second.right;
        outL[i + 2] = b.first.left, outR[i + 2] = b.first.right;
        outL[i + 3] = b.second.left, outR[i + 3] = b.second.right;
    }
}

// A fresh filter of one type, its cutoff taken at once.
inline void prepare(TFilter& f, int type, float rate = kRate) {
    f.init(rate);
    f.setType(type, true);
    f.setDirect();
}

// Gain in dB of a sine at hz through a fresh filter, measured over the second half of a
// fifth of a second.
inline double filterGainDb(int type, const FilterSettings& s, double hz) {
    auto owned = std::make_unique<TFilter>(); // the rings make a filter too large for the stack
    TFilter& f = *owned;
    prepare(f, type);
    const size_t n = static_cast<size_t>(kVoiceRate / 5) & ~size_t(3);
    const std::vector<float> in = sine(hz, n);
    std::vector<float> l, r;
    runFilter(f, s, in, in, l, r);
    const double g = audio::rms(l, n / 2) / audio::rms(in, n / 2);
    return 20.0 * std::log10(g + 1e-12);
}

} // namespace stages
