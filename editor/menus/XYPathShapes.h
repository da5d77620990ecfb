// The XY pad menu's path arithmetic: the eight generated shapes and the transforms, on the
// 32 points of a path in bipolar coordinates (-1..1, Y = +1 at the top). Pure functions;
// user-interface thread. Results may leave -1..1; writing the path clips them.
#pragma once

namespace xypath {

constexpr int kPoints = 32;

struct Path {
    float x[kPoints] = {};
    float y[kPoints] = {};
};

enum class Shape { Circle, Square, Horizontal, Vertical, Diagonal, SpiralIn, SpiralOut, Lissajous };

// `a`, `b`, `c`: the diagonal's angle in degrees; the spirals' turns; the Lissajous X and Y
// multipliers and Y phase in degrees. Unused ones are ignored.
Path makeShape(Shape shape, double a = 0.0, double b = 0.0, double c = 0.0);

Path reversed(const Path& p);
Path flippedVertically(const Path& p);   // Y negated
Path flippedHorizontally(const Path& p); // X negated
// Old point k becomes the start, k = percent / 100 x 32 cut toward zero.
Path startMoved(const Path& p, int percent);
// Counter-clockwise by the angle, limited to ten turns either way.
Path rotated(const Path& p, int degrees);
// Each coordinate to the nearest multiple of 1 / (n + 1), halves away from zero; only
// n = 1..128 acts.
Path snapped(const Path& p, int n);
// Each point becomes the mean of its two neighbours (the ends use themselves as one).
Path smoothed(const Path& p);
Path scaled(const Path& p, int percent);

} // namespace xypath
