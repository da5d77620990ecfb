// The LFO lane tests' set-up of one LFO's stage modulation, shared by the global and the voice
// four-lane tests.
#pragma once

#include "engine/modulation/ModIndices.h"

// Writes the phase, shape, smooth, bias, bits and hold modulation values of `stage` and the
// humanise value into `row` (an LFO's first destination). LFO `i` gets its phase moved by 0.1 i
// and its hold scaled by i, so the three LFOs of one case differ.
inline void writeLfoStages(float* row, const float (&stage)[6], float humanise, int i) {
    row[kLfoPhase] = stage[0] + 0.1f * static_cast<float>(i);
    row[kLfoShape] = stage[1];
    row[kLfoSmooth] = stage[2];
    row[kLfoBias] = stage[3];
    row[kLfoBits] = stage[4];
    row[kLfoHold] = stage[5] * static_cast<float>(i);
    row[kLfoHumanise] = humanise;
}
