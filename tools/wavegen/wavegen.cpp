// Build-time generator of the built-in user-wave shapes: reads the readable shape rules of
// shapes.txt and writes the C++ source that defines BUILT_IN_ADD_WAVE (128 points each).
// Runs on the build host only; usage: wavegen <shapes.txt> <UserWaveShapes.cpp>
//
// A rule line is "<index> <name>: <step>; <step>; ...". A step is an operation with numbers:
// a wave (sine, saw, ramp, square, tri, harm, charm, formant, noise, steps, exp) replaces the
// cycle, "+wave weight ..." adds one and "*wave ..." multiplies by one; the shapers (clip,
// drive, fold, rect, half, pow, quant, smooth, shift, sync, pm, invert, reverse, mirror) bend
// it. Every shape is scaled to a peak of 1 and stored as 0.5 + 0.5 x.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kPoints = 128;
constexpr int kShapes = 237;
constexpr double kPi = 3.14159265358979323846;
using Cycle = std::vector<double>;

double arg(const std::vector<double>& a, size_t i, double fallback) {
    return i < a.size() ? a[i] : fallback;
}

// One wave by name; false for an unknown name.
bool makeWave(const std::string& name, const std::vector<double>& a, Cycle& result) {
    Cycle out(kPoints, 0.0);
    for (int i = 0; i < kPoints; ++i) {
        const double x = static_cast<double>(i) / kPoints;
        double v = 0.0;
        if (name == "sine") {
            v = std::sin(2.0 * kPi * (arg(a, 0, 1.0) * x + arg(a, 1, 0.0)));
        } else if (name == "saw") {
            v = 2.0 * x - 1.0;
        } else if (name == "ramp") {
            v = 1.0 - 2.0 * x;
        } else if (name == "square") {
            v = x < arg(a, 0, 0.5) ? 1.0 : -1.0;
        } else if (name == "tri") {
            v = 1.0 - 4.0 * std::fabs(x - 0.5);
        } else if (name == "harm" || name == "charm") {
            for (size_t h = 0; h < a.size(); ++h) {
                const double angle = 2.0 * kPi * static_cast<double>(h + 1) * x;
                v += a[h] * (name == "harm" ? std::sin(angle) : std::cos(angle));
            }
        } else if (name == "formant") {
            // Harmonics under resonance peaks: pairs of centre harmonic and width.
            for (int h = 1; h <= 40; ++h) {
                double amp = 0.0;
                for (size_t p = 0; p + 1 < a.size(); p += 2)
                    amp += std::exp(-std::pow((h - a[p]) / a[p + 1], 2.0));
                v += amp / std::sqrt(static_cast<double>(h)) * std::sin(2.0 * kPi * h * x);
            }
        } else if (name == "noise") {
            // Held random values, reproducible from the seed.
            const int steps = static_cast<int>(arg(a, 1, 32.0));
            unsigned seed = static_cast<unsigned>(arg(a, 0, 1.0)) * 2654435761u + 12345u;
            const int step = static_cast<int>(x * steps);
            for (int s = 0; s <= step; ++s) seed = seed * 1103515245u + 12345u;
            v = static_cast<double>((seed >> 8) & 0xFFFF) / 32767.5 - 1.0;
        } else if (name == "steps") {
            const double n = arg(a, 0, 8.0);
            v = 2.0 * std::floor(x * n) / (n - 1.0) - 1.0;
        } else if (name == "exp") {
            const double k = arg(a, 0, 4.0);
            v = 2.0 * (std::exp(k * x) - 1.0) / (std::exp(k) - 1.0) - 1.0;
        } else {
            return false;
        }
        out[i] = v;
    }
    result = out;
    return true;
}

double readAt(const Cycle& c, double position) {
    position -= std::floor(position);
    const double p = position * kPoints;
    const int i0 = static_cast<int>(p) % kPoints;
    const int i1 = (i0 + 1) % kPoints;
    return c[i0] + (c[i1] - c[i0]) * (p - std::floor(p));
}

// One shaper by name; false for an unknown name.
bool shape(const std::string& name, const std::vector<double>& a, Cycle& c) {
    const Cycle in = c;
    for (int i = 0; i < kPoints; ++i) {
        const double x = static_cast<double>(i) / kPoints;
        double& v = c[i];
        if (name == "clip") {
            v = std::max(-1.0, std::min(1.0, v * arg(a, 0, 2.0)));
        } else if (name == "drive") {
            v = std::tanh(v * arg(a, 0, 3.0));
        } else if (name == "fold") {
            v = std::sin(v * arg(a, 0, 2.0) * kPi * 0.5);
        } else if (name == "rect") {
            v = 2.0 * std::fabs(v) - 1.0;
        } else if (name == "half") {
            v = v > 0.0 ? v : 0.0;
        } else if (name == "pow") {
            v = (v < 0.0 ? -1.0 : 1.0) * std::pow(std::fabs(v), arg(a, 0, 2.0));
        } else if (name == "quant") {
            const double n = arg(a, 0, 4.0);
            v = std::round(v * n) / n;
        } else if (name == "shift") {
            v = readAt(in, x + arg(a, 0, 0.25));
        } else if (name == "sync") {
            v = readAt(in, x * arg(a, 0, 2.0));
        } else if (name == "pm") {
            v = readAt(in, x + arg(a, 0, 0.2) * std::sin(2.0 * kPi * arg(a, 1, 1.0) * x));
        } else if (name == "invert") {
            v = -v;
        } else if (name == "reverse") {
            v = in[(kPoints - i) % kPoints];
        } else if (name == "mirror") {
            v = readAt(in, x < 0.5 ? 2.0 * x : 2.0 - 2.0 * x);
        } else if (name == "smooth") {
            // Passes of a circular [1 2 1] / 4 filter.
            const int passes = static_cast<int>(arg(a, 0, 2.0));
            Cycle t = in;
            for (int p = 0; p < passes; ++p) {
                Cycle u = t;
                for (int j = 0; j < kPoints; ++j)
                    u[j] = 0.25 * t[(j + kPoints - 1) % kPoints] + 0.5 * t[j] +
                           0.25 * t[(j + 1) % kPoints];
                t = u;
            }
            c = t;
            return true;
        } else {
            return false;
        }
    }
    return true;
}

bool applyStep(const std::string& text, Cycle& c, std::string& error) {
    std::istringstream in(text);
    std::string op;
    if (!(in >> op)) return true;
    std::vector<double> a;
    double x;
    while (in >> x) a.push_back(x);
    if (!in.eof()) {
        error = "bad number in step \"" + text + "\"";
        return false;
    }
    if (op[0] == '+' || op[0] == '*') {
        Cycle w;
        const bool add = op[0] == '+';
        std::vector<double> rest = a;
        const double weight = add ? arg(a, 0, 1.0) : 1.0;
        if (add && !rest.empty()) rest.erase(rest.begin());
        if (!makeWave(op.substr(1), rest, w)) {
            error = "unknown wave \"" + op.substr(1) + "\"";
            return false;
        }
        for (int i = 0; i < kPoints; ++i) c[i] = add ? c[i] + weight * w[i] : c[i] * w[i];
        return true;
    }
    if (makeWave(op, a, c)) return true;
    if (shape(op, a, c)) return true;
    error = "unknown step \"" + op + "\"";
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: wavegen <shapes.txt> <UserWaveShapes.cpp>\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "wavegen: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<Cycle> shapes;
    std::vector<std::string> names;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const size_t colon = line.find(':');
        std::istringstream head(line.substr(0, colon == std::string::npos ? 0 : colon));
        int index = -1;
        std::string name;
        if (colon == std::string::npos || !(head >> index >> name) ||
            index != static_cast<int>(shapes.size())) {
            std::cerr << argv[1] << ":" << lineNo << ": expected \"" << shapes.size()
                      << " <name>: steps\"\n";
            return 1;
        }
        Cycle c(kPoints, 0.0);
        std::istringstream steps(line.substr(colon + 1));
        std::string step, error;
        while (std::getline(steps, step, ';'))
            if (!applyStep(step, c, error)) {
                std::cerr << argv[1] << ":" << lineNo << ": " << error << "\n";
                return 1;
            }
        double peak = 0.0;
        for (double v : c) peak = std::max(peak, std::fabs(v));
        if (!(peak > 1e-6) || !std::isfinite(peak)) {
            std::cerr << argv[1] << ":" << lineNo << ": shape " << name << " is silent\n";
            return 1;
        }
        for (double& v : c) v = 0.5 + 0.5 * v / peak;
        shapes.push_back(c);
        names.push_back(name);
    }
    if (static_cast<int>(shapes.size()) != kShapes) {
        std::cerr << argv[1] << ": " << shapes.size() << " shapes, expected " << kShapes << "\n";
        return 1;
    }
    std::ofstream out(argv[2]);
    out << "// Generated by tools/wavegen from tools/wavegen/shapes.txt; do not edit.\n";
    out << "#include \"engine/voice/UserWaveShapes.h\"\n\n";
    out << "const float BUILT_IN_ADD_WAVE[USER_WAVE_PRESET_COUNT][USER_WAVE_SHAPE_POINTS] = {\n";
    char number[32];
    for (size_t s = 0; s < shapes.size(); ++s) {
        out << "    // " << s << " " << names[s] << "\n    {";
        for (int i = 0; i < kPoints; ++i) {
            std::snprintf(number, sizeof(number), "%.6ff", shapes[s][i]);
            out << number << (i + 1 < kPoints ? (i % 8 == 7 ? ",\n     " : ", ") : "");
        }
        out << "},\n";
    }
    out << "};\n";
    return out ? 0 : 1;
}
