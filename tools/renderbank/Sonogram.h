// A sonogram picture of a stereo rendering for the renderbank tool: Hann-windowed FFTs of
// the mono sum on a logarithmic frequency axis (20 Hz at the bottom to 20 kHz at the top),
// above a strip with the level in dB, written as a PNG through cairo. Build-machine tool code.
#pragma once

#include "tests/host/SoundFigures.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace sonogram {

constexpr int kFftSize = 4096;
constexpr int kHop = 512;
constexpr int kHeight = 300;
constexpr int kLevelStrip = 60;
constexpr double kFloorDb = -100.0;

// The sound figures' transform serves the picture too.
using soundfigures::fft;

// Black through blue, red and yellow to white as the level rises from the floor to 0 dB.
inline uint32_t colour(double db) {
    const double t = std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0);
    const double r = std::clamp(3.0 * t - 1.0, 0.0, 1.0), g = std::clamp(3.0 * t - 2.0, 0.0, 1.0);
    const double b = t < 0.33 ? 3.0 * t : std::clamp(2.0 - 3.0 * t, 0.0, 1.0) + g;
    auto byte = [](double v) { return uint32_t(std::lrint(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

inline bool writePng(const std::string& path, const std::vector<float>& left,
                     const std::vector<float>& right, double rate) {
    const size_t frames = std::min(left.size(), right.size());
    const int columns = std::max(1, int(frames / kHop));
    const int height = kHeight + kLevelStrip;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    auto pixel = [&](int x, int y) { return reinterpret_cast<uint32_t*>(data + y * stride) + x; };

    std::vector<std::complex<double>> bins(kFftSize);
    const double lo = std::log(20.0), hi = std::log(std::min(20000.0, 0.5 * rate));
    for (int x = 0; x < columns; ++x) {
        double power = 0.0;
        for (int i = 0; i < kFftSize; ++i) {
            const size_t at = size_t(x) * kHop + size_t(i);
            const double s = at < frames ? 0.5 * (double(left[at]) + right[at]) : 0.0;
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / (kFftSize - 1));
            bins[size_t(i)] = s * hann;
            if (i < kHop) power += s * s;
        }
        fft(bins);
        for (int y = 0; y < kHeight; ++y) {
            const double f = std::exp(lo + (hi - lo) * (kHeight - 1 - y) / (kHeight - 1));
            const size_t k = std::min(size_t(f * kFftSize / rate + 0.5), size_t(kFftSize / 2));
            const double magnitude = std::abs(bins[k]) * 4.0 / kFftSize; // full-scale sine: 0 dB
            *pixel(x, y + kLevelStrip) = colour(20.0 * std::log10(magnitude + 1e-12));
        }
        const double db = 10.0 * std::log10(power / kHop + 1e-12);
        const int bar = int(std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0) * kLevelStrip);
        for (int y = 0; y < kLevelStrip; ++y)
            *pixel(x, y) = y >= kLevelStrip - bar ? 0x60c060u : 0x202020u;
    }
    cairo_surface_mark_dirty(surface);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

} // namespace sonogram
