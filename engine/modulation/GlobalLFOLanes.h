// The settings of one voice's three LFOs side by side in their step order (Main LFO, Free
// LFO 1, Free LFO 2; the fourth lane holds the morph LFO), packed whenever their settings are
// made so their step runs in four lanes. Audio thread.
#pragma once

#include <cstdint>

// What a lane reads before its settings are packed.
inline constexpr float kNoWave[1] = {0.0f};

struct GlobalLFOLanes {
    alignas(16) double phaseOffset[4] = {};
    alignas(16) double shapePoint[4] = {};
    alignas(16) double warpLow[4] = {};
    alignas(16) double warpHigh[4] = {};
    alignas(16) double speed[4] = {};
    alignas(16) float holdRate[4] = {};
    alignas(16) float biasBelow[4] = {};
    alignas(16) float biasZero[4] = {};
    alignas(16) float biasAbove[4] = {};
    alignas(16) float steps[4] = {};
    alignas(16) float inverse[4] = {};
    alignas(16) float smooth[4] = {};
    // Lanes 0-2: the wave table, or for the random wave the LFO's random value, read at the
    // table index masked by indexMask (0 for the random value).
    const float* wave[3] = {kNoWave, kNoWave, kNoWave};
    uint32_t indexMask[3] = {};
    // Bit k: lane k's LFO runs for the voice (it is on and not run globally); its speed is
    // above 0 (it moves).
    uint8_t runs = 0;
    uint8_t moves = 0;

    // Lane k's copy of one LFO's settings (the wave table is the caller's, for lanes 0-2).
    template <typename Settings> void setLane(int k, const Settings& s) {
        phaseOffset[k] = s.phaseOffset;
        shapePoint[k] = s.shapePoint;
        warpLow[k] = s.warpLow;
        warpHigh[k] = s.warpHigh;
        speed[k] = s.speed;
        holdRate[k] = s.holdRate;
        biasBelow[k] = s.bias[0];
        biasZero[k] = s.bias[1];
        biasAbove[k] = s.bias[2];
        steps[k] = s.steps;
        inverse[k] = s.inverse;
        smooth[k] = s.smooth;
    }
};
