// The cabinet models of the distortion effect: per model a 32-tap recursive filter row (input
// taps and output taps) and an output gain, one set of rows for normal rates and one for rates
// above 80 kHz. The rows are designed from the readable speaker rules in CabinetModels.cpp
// when the library loads, before any engine exists; afterwards they are only read.
#pragma once

namespace cabinet {

constexpr int kModels = 4;         // "None", "Fender", "Marshall", "Off Axis"
constexpr int kRows = 2 * kModels; // rows 4..7 serve rates above 80 kHz
constexpr int kTaps = 32;
constexpr float kHighRateAbove = 80000.0f;

struct Tables {
    // y = sum over k of AA[k] x input[n - k] + BB[k] x output[n - k]; BB[0] is 0.
    float AA[kRows][kTaps];
    float BB[kRows][kTaps];
    // Output gain per row, read after the post gain; every row index has one.
    float GAIN[kRows];
};

const Tables& tables();

// The row of a model 0..3 at a rate: the high-rate set above 80 kHz.
inline int rowFor(int model, float rate) {
    if (model < 0) model = 0;
    if (model >= kModels) model = kModels - 1;
    return rate > kHighRateAbove ? model + kModels : model;
}

} // namespace cabinet
