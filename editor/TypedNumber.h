// Whole numbers typed into the editor's entry boxes (A4 pitch, brick-filter frequency):
// parsed independently of the process locale and refused rather than guessed. Any thread.
#pragma once

#include <string>

// True with `number` for an optional sign and digits, optionally followed by a fraction
// (cut off) and the unit ("440", " 440.5 Hz", "15khz"). False for anything else: an empty
// answer, text that is no number, or a number beyond int.
bool parseTypedInt(const std::string& text, const std::string& unit, int& number);
