// Designs the cabinet rows from speaker rules: per model a resonant high-pass for the cone's
// low end, a resonant low-pass for its roll-off and a reflection in the box, multiplied out
// into one row. Built once when the library loads; read by the audio thread.
#include "dsp/CabinetModels.h"

#include <cmath>
#include <cstring>

namespace cabinet {
namespace {

enum SectionKind { kHighPass, kLowPass };

struct Section {
    SectionKind kind;
    double hz, q;
};

// A speaker in its box: the cone's resonant low end (a high-pass with a bump), its roll-off
// (a low-pass whose resonance makes the presence peak), and one reflection inside the box
// that colours the middle with a comb. Only the two sections recur; the reflection is part of
// the input taps, so every row stays a low-order, well-conditioned recursion.
struct Model {
    const char* name;
    Section low, high;
    double reflectionMs, reflectionGain;
    double peakGain; // the row's largest gain; the model's output gain brings it to unity
};

// "Fender": an open back, a loose low end and a bright top; "Marshall": a closed 4x12, a tight
// thump and a hard presence peak; "Off Axis": the same box heard from the side, the highs
// falling early and a deeper comb.
constexpr Model MODELS[kModels - 1] = {
    {"Fender", {kHighPass, 75.0, 1.1}, {kLowPass, 5200.0, 1.3}, 0.25, 0.25, 1.0},
    {"Marshall", {kHighPass, 95.0, 1.6}, {kLowPass, 3800.0, 2.2}, 0.16, 0.35, 3.0},
    {"Off Axis", {kHighPass, 85.0, 1.0}, {kLowPass, 2400.0, 0.7}, 0.4, -0.3, 3.0},
};

// The rates each set of rows is designed at.
constexpr double DESIGN_RATE[2] = {44100.0, 96000.0};

// One section's normalised coefficients (b0, b1, b2, a1, a2) at a rate.
void design(const Section& s, double rate, double* b, double* a) {
    const double w = 2.0 * M_PI * s.hz / rate;
    const double cw = std::cos(w), sw = std::sin(w);
    const double alpha = sw / (2.0 * s.q);
    const double a0 = 1.0 + alpha;
    switch (s.kind) {
    case kHighPass:
        b[0] = (1.0 + cw) / 2.0;
        b[1] = -(1.0 + cw);
        b[2] = (1.0 + cw) / 2.0;
        a[1] = -2.0 * cw;
        a[2] = 1.0 - alpha;
        break;
    case kLowPass:
        b[0] = (1.0 - cw) / 2.0;
        b[1] = 1.0 - cw;
        b[2] = (1.0 - cw) / 2.0;
        a[1] = -2.0 * cw;
        a[2] = 1.0 - alpha;
        break;
    }
    for (int k = 0; k < 3; ++k) b[k] /= a0;
    a[1] /= a0;
    a[2] /= a0;
}

// Magnitude of num / den at angular frequency w.
double magnitude(const double* num, const double* den, int order, int denOrder, double w) {
    double nr = 0, ni = 0, dr = 0, di = 0;
    for (int k = 0; k <= order; ++k) {
        nr += num[k] * std::cos(w * k);
        ni -= num[k] * std::sin(w * k);
    }
    for (int k = 0; k <= denOrder; ++k) {
        dr += den[k] * std::cos(w * k);
        di -= den[k] * std::sin(w * k);
    }
    return std::sqrt((nr * nr + ni * ni) / (dr * dr + di * di));
}

// Multiplies the polynomial p (degree n) by q (degree m) into p.
int multiply(double* p, int n, const double* q, int m) {
    double r[kTaps] = {};
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= m && i + j < kTaps; ++j) r[i + j] += p[i] * q[j];
    std::memcpy(p, r, sizeof(r));
    return n + m < kTaps - 1 ? n + m : kTaps - 1;
}

// Adds the box reflection to the input taps: `delay` frames late, never earlier than
// `firstFree` (taps before it keep their values) and at most as late as the taps reach.
int addReflection(const Model& m, double rate, int firstFree, double* num, int order) {
    double reflection[kTaps] = {1.0};
    int delay = static_cast<int>(m.reflectionMs * rate / 1000.0 + 0.5);
    if (delay > kTaps - 1 - order) delay = kTaps - 1 - order;
    if (delay < firstFree) delay = firstFree;
    reflection[delay] = m.reflectionGain;
    return multiply(num, order, reflection, delay);
}

void storeRow(const double* num, const double* den, double scale, float* aa, float* bb) {
    for (int k = 0; k < kTaps; ++k) {
        aa[k] = static_cast<float>(num[k] * scale);
        bb[k] = k == 0 ? 0.0f : static_cast<float>(-den[k]); // the row adds its output taps
    }
}

void buildRow(const Model& m, double rate, float* aa, float* bb) {
    double num[kTaps] = {1.0}, den[kTaps] = {1.0};
    int order = 0, denOrder = 0;
    const Section* sections[2] = {&m.low, &m.high};
    for (const Section* s : sections) {
        double b[3] = {}, a[3] = {1.0, 0.0, 0.0};
        design(*s, rate, b, a);
        order = multiply(num, order, b, 2);
        denOrder = multiply(den, denOrder, a, 2);
    }
    order = addReflection(m, rate, 1, num, order);
    // The largest gain over the audible band, found on a fine grid, is scaled to the model's
    // peak gain, which its output gain undoes.
    double peak = 0.0;
    for (int i = 1; i <= 2000; ++i) {
        const double hz = 20.0 * std::pow(1000.0, i / 2000.0);
        if (hz >= 0.45 * rate) break;
        const double g = magnitude(num, den, order, denOrder, 2.0 * M_PI * hz / rate);
        if (g > peak) peak = g;
    }
    storeRow(num, den, peak > 0.0 ? m.peakGain / peak : 1.0, aa, bb);
}

// "Fender" at normal rates keeps the voicing it is known by: input taps with zeros at about
// -0.83 and 0.38 over a damped pole pair (radius 0.62, so it cannot ring): +0.6 dB at the
// bottom, a presence peak of about +7 dB near 8 kHz and -18 dB at the top (at 44.1 kHz). Its
// box reflection comes after these taps; the row is used at its own scale.
constexpr double FENDER_INPUT[3] = {0.952579, 0.423653, -0.299326};
constexpr double FENDER_OUTPUT[3] = {0.0, 0.373288, -0.379113};

void buildVoicedRow(const Model& m, double rate, float* aa, float* bb) {
    double num[kTaps] = {FENDER_INPUT[0], FENDER_INPUT[1], FENDER_INPUT[2]};
    double den[kTaps] = {1.0, -FENDER_OUTPUT[1], -FENDER_OUTPUT[2]};
    addReflection(m, rate, 3, num, 2);
    storeRow(num, den, 1.0, aa, bb);
}

Tables build() {
    Tables t{};
    for (int set = 0; set < 2; ++set) {
        const int none = set * kModels;
        t.AA[none][0] = 1.0f; // "None": the frame passes unchanged (never run)
        t.GAIN[none] = 1.0f;
        for (int m = 1; m < kModels; ++m) {
            if (set == 0 && m == 1)
                buildVoicedRow(MODELS[0], DESIGN_RATE[0], t.AA[1], t.BB[1]);
            else
                buildRow(MODELS[m - 1], DESIGN_RATE[set], t.AA[none + m], t.BB[none + m]);
            t.GAIN[none + m] = static_cast<float>(1.0 / MODELS[m - 1].peakGain);
        }
    }
    return t;
}

const Tables CAB_TABLES = build();

} // namespace

const Tables& tables() {
    return CAB_TABLES;
}

} // namespace cabinet
