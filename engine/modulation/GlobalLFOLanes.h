// The settings of one voice's three LFOs side by side in their step order (Main LFO, Free
// LFO 1, Free LFO 2; the fourth lane holds the morph LFO), packed whenever their settings are
// made so their step can run in four lanes. Audio thread.
#pragma once

#include <cstdint>

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
    const float* table[3] = {};
    // All three run, move and read a wave table: only then does the packed step apply.
    uint8_t ready = 0;
    uint8_t morph = 0; // the fourth lane holds the morph LFO

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
