// Numbers typed into the display menus' input boxes. Cancel gives false, so the command does
// nothing; an answer without a number is refused with a message and gives false too. Numbers
// are read whatever the process locale, with '.' or ',' as the decimal point, and never
// overflow. User-interface thread.
#pragma once

#include "platform/dialogs.h"
#include "platform/strings.h"

#include <cmath>
#include <limits>
#include <string>

namespace menuanswers {

// The decimal number the answer starts with, after keeping only digits, signs and points.
inline bool askFloat(const std::string& informative, const std::string& message,
                     const std::string& initial, double& number) {
    std::string answer = initial;
    inputBox(informative, message, answer);
    if (answer.empty()) return false;
    if (parseTypedNumber(answer, true, number)) return true;
    refuseTypedNumber(answer);
    return false;
}

// The whole number nearest to it, held within the range of int.
inline bool askInt(const std::string& informative, const std::string& message,
                   const std::string& initial, int& number) {
    double v = 0.0;
    if (!askFloat(informative, message, initial, v)) return false;
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    number = static_cast<int>(std::lround(v < lo ? lo : (v > hi ? hi : v)));
    return true;
}

inline int clampInt(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

inline float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

} // namespace menuanswers
