// Numbers typed into the display menus' input boxes. Cancel and answers without a number give
// false, so the command does nothing; numbers are read whatever the process locale and never
// overflow. User-interface thread.
#pragma once

#include "platform/dialogs.h"
#include "platform/strings.h"

#include <cmath>
#include <string>

namespace menuanswers {

// The whole number the answer starts with, after keeping only digits, signs and points.
inline bool askInt(const std::string& informative, const std::string& message,
                   const std::string& initial, int& number) {
    std::string answer = initial;
    inputBox(informative, message, answer);
    stripAllButNum(answer);
    return !answer.empty() && parseLeadingInt(answer, number);
}

// The decimal number the answer starts with; non-finite answers count as none.
inline bool askFloat(const std::string& informative, const std::string& message,
                     const std::string& initial, double& number) {
    std::string answer = initial;
    inputBox(informative, message, answer);
    stripAllButNum(answer);
    double v = 0.0;
    if (answer.empty() || !parseNumberC(answer, v) || !std::isfinite(v)) return false;
    number = v;
    return true;
}

inline int clampInt(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

inline float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

} // namespace menuanswers
