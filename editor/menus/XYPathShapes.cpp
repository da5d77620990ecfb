// The XY pad menu's path shapes and transforms. User-interface thread.
#include "editor/menus/XYPathShapes.h"

#include <cmath>

namespace xypath {

namespace {

constexpr float kPi = 3.14159265358979f;

float clampf(float v, float lo, float hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

Path makeShape(Shape shape, double a, double b, double c) {
    Path p;
    for (int i = 0; i < kPoints; ++i) {
        const float fi = static_cast<float>(i);
        const float t = 2.0f * fi / 31.0f - 1.0f;
        const float turn = 2.0f * kPi * fi / 32.0f;
        float x = 0.0f, y = 0.0f;
        switch (shape) {
        case Shape::Circle:
            x = std::sin(turn), y = std::cos(turn);
            break;
        case Shape::Square: {
            const int q = i / 8;
            const float u = -1.0f + 0.25f * static_cast<float>(i % 8);
            const float xs[4] = {-1.0f, u, 1.0f, -u}, ys[4] = {u, 1.0f, -u, -1.0f};
            x = xs[q], y = ys[q];
            break;
        }
        case Shape::Horizontal:
            x = t;
            break;
        case Shape::Vertical:
            y = t;
            break;
        case Shape::Diagonal: {
            // An angle of any size: reduced to one turn so the sine and cosine stay exact.
            const float angle = static_cast<float>(std::fmod(a, 360.0) / 360.0) * 2.0f * kPi;
            const float m = std::fmax(std::fabs(std::sin(angle)), std::fabs(std::cos(angle)));
            x = t * std::cos(angle) / m, y = t * std::sin(angle) / m;
            break;
        }
        case Shape::SpiralIn:
        case Shape::SpiralOut: {
            const float turns = clampf(static_cast<float>(b), -1000.0f, 1000.0f);
            const float r = shape == Shape::SpiralOut ? fi / 32.0f : 1.0f - fi / 32.0f;
            x = r * std::sin(turn * turns), y = r * std::cos(turn * turns);
            break;
        }
        case Shape::Lissajous: {
            const float mx = clampf(static_cast<float>(a), -1e6f, 1e6f);
            const float my = clampf(static_cast<float>(b), -1e6f, 1e6f);
            const float phase = static_cast<float>(std::fmod(c, 360.0) / 360.0) * 2.0f * kPi;
            x = std::sin(turn * mx), y = std::cos(turn * my + phase);
            break;
        }
        }
        p.x[i] = x, p.y[i] = y;
    }
    return p;
}

Path reversed(const Path& p) {
    Path r;
    for (int i = 0; i < kPoints; ++i) r.x[i] = p.x[kPoints - 1 - i], r.y[i] = p.y[kPoints - 1 - i];
    return r;
}

Path flippedVertically(const Path& p) {
    Path r = p;
    for (float& y : r.y) y = -y;
    return r;
}

Path flippedHorizontally(const Path& p) {
    Path r = p;
    for (float& x : r.x) x = -x;
    return r;
}

Path startMoved(const Path& p, int percent) {
    // In whole points; a typed percentage beyond one turn wraps like the points do.
    const int k = static_cast<int>(static_cast<long long>(percent) * kPoints / 100 % kPoints);
    Path r;
    for (int i = 0; i < kPoints; ++i) {
        const int j = ((i + k) % kPoints + kPoints) % kPoints;
        r.x[i] = p.x[j], r.y[i] = p.y[j];
    }
    return r;
}

Path rotated(const Path& p, int degrees) {
    const float a =
        clampf(static_cast<float>(degrees) / 360.0f * 2.0f * kPi, -31.415928f, 31.415928f);
    const float c = std::cos(a), s = std::sin(a);
    Path r;
    for (int i = 0; i < kPoints; ++i)
        r.x[i] = p.x[i] * c - p.y[i] * s, r.y[i] = p.y[i] * c + p.x[i] * s;
    return r;
}

Path snapped(const Path& p, int n) {
    if (n < 1 || n > 128) return p;
    const float g = static_cast<float>(n + 1);
    auto snap = [g](float v) {
        const float h = v > 0.0f ? 0.5f : (v < 0.0f ? -0.5f : 0.0f);
        return std::trunc(v * g + h) / g;
    };
    Path r;
    for (int i = 0; i < kPoints; ++i) r.x[i] = snap(p.x[i]), r.y[i] = snap(p.y[i]);
    return r;
}

Path smoothed(const Path& p) {
    Path r;
    for (int i = 0; i < kPoints; ++i) {
        const int before = i > 0 ? i - 1 : 0, after = i < kPoints - 1 ? i + 1 : kPoints - 1;
        r.x[i] = (p.x[before] + p.x[after]) / 2.0f;
        r.y[i] = (p.y[before] + p.y[after]) / 2.0f;
    }
    return r;
}

Path scaled(const Path& p, int percent) {
    const float s = static_cast<float>(percent) / 100.0f;
    Path r;
    for (int i = 0; i < kPoints; ++i) r.x[i] = p.x[i] * s, r.y[i] = p.y[i] * s;
    return r;
}

} // namespace xypath
