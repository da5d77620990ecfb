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

// The two K-weighting stages at any rate, from their analogue corner frequencies, Qs and shelf
// gain; at 48 kHz they give the recommendation's tabulated coefficients.
inline Biquad shelfStage(double rate) {
    const double gainDb = 3.999843853973347, q = 0.7071752369554196, fc = 1681.974450955533;
    const double k = std::tan(M_PI * fc / rate), vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416), a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

inline Biquad highPassStage(double rate) {
    const double q = 0.5003270373238773, fc = 38.13547087602444;
    const double k = std::tan(M_PI * fc / rate), a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
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
