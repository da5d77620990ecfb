// Integrated loudness of a stereo stretch in LUFS, in the manner of ITU-R BS.1770: K-weighting
// (a high shelf and a high pass), mean square per 400 ms block with 75 % overlap, an absolute
// gate at -70 LUFS and a relative gate 10 LU below. Plain loops for the tests and tools.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace loudness {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
    double run(double x) {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// The two K-weighting stages at any rate, from their analogue corner frequencies and Qs (the
// recommendation tabulates them for 48 kHz; these give the same filters there).
inline Biquad shelfStage(double rate) {
    const double gainDb = 3.99984385397, q = 0.7071752369554193, fc = 1681.9744509555319;
    const double a = std::pow(10.0, gainDb / 40.0), w = 2.0 * M_PI * fc / rate;
    const double alpha = std::sin(w) / (2.0 * q), c = std::cos(w), s = 2.0 * std::sqrt(a) * alpha;
    const double a0 = (a + 1) - (a - 1) * c + s;
    return {a * ((a + 1) + (a - 1) * c + s) / a0, -2 * a * ((a - 1) + (a + 1) * c) / a0,
            a * ((a + 1) + (a - 1) * c - s) / a0, 2 * ((a - 1) - (a + 1) * c) / a0,
            ((a + 1) - (a - 1) * c - s) / a0};
}

inline Biquad highPassStage(double rate) {
    const double q = 0.5003270373253953, fc = 38.13547087613982;
    const double w = 2.0 * M_PI * fc / rate, alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
    const double a0 = 1 + alpha;
    return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

inline std::vector<double> kWeightedSquares(const std::vector<float>& x, double rate) {
    Biquad shelf = shelfStage(rate), highPass = highPassStage(rate);
    std::vector<double> out(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const double y = highPass.run(shelf.run(x[i]));
        out[i] = y * y;
    }
    return out;
}

// -200 for silence or a stretch shorter than one block.
inline double integrated(const std::vector<float>& left, const std::vector<float>& right,
                         double rate) {
    const std::vector<double> l = kWeightedSquares(left, rate), r = kWeightedSquares(right, rate);
    const size_t block = size_t(0.4 * rate), step = block / 4;
    std::vector<double> blocks;
    for (size_t at = 0; at + block <= l.size() && at + block <= r.size(); at += step) {
        double sum = 0.0;
        for (size_t i = at; i < at + block; ++i) sum += l[i] + r[i];
        blocks.push_back(sum / double(block));
    }
    auto lufs = [](double power) { return -0.691 + 10.0 * std::log10(power); };
    auto gatedMean = [&blocks, &lufs](double gate) {
        double sum = 0.0;
        size_t n = 0;
        for (double p : blocks)
            if (p > 0.0 && lufs(p) > gate) sum += p, ++n;
        return n ? sum / double(n) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    if (absolute <= 0.0) return -200.0;
    const double relative = gatedMean(lufs(absolute) - 10.0);
    return relative > 0.0 ? lufs(relative) : -200.0;
}

} // namespace loudness
