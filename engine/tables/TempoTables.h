// Tempo-synced tables of the LFOs, the ribbon spring and the gater (the envelope and XY
// times are in TempoSync.h).
// Compile-time constants; read by every thread.
#pragma once

#include "engine/params/StringTables.h"

// Synced LFO periods in units of 8 beats, by the 34-step sync selector (read over 33.99);
// 0 is "Off". The global and voice LFOs, the oscillator LFOs and the modulation effect's LFO
// all read this one table.
inline constexpr double D_PERIOD_ARRAY[LFO_PERIOD_COUNT] = {
    0.0,      24.0,     16.0,     32.0 / 3, 12.0,      8.0,      16.0 / 3, 6.0,      4.0,
    8.0 / 3,  3.0,      2.0,      4.0 / 3,  1.5,       1.0,      2.0 / 3,  0.75,     0.5,
    1.0 / 3,  3.0 / 8,  1.0 / 4,  1.0 / 6,  3.0 / 16,  1.0 / 8,  1.0 / 12, 3.0 / 32, 1.0 / 16,
    1.0 / 24, 3.0 / 64, 1.0 / 32, 1.0 / 48, 3.0 / 128, 1.0 / 64, 1.0 / 96};

// Gater speed factors by the 34-step speed selector; 0 ("Off") stops the gater.
inline constexpr double GATER_SPEED_TIME[GATER_PERIOD_COUNT] = {
    0.0,      1.0 / 64, 1.0 / 48, 1.0 / 32, 1.0 / 24, 1.0 / 16, 3.0 / 32, 1.0 / 12, 1.0 / 8,
    3.0 / 16, 1.0 / 6,  1.0 / 4,  3.0 / 8,  1.0 / 3,  1.0 / 2,  3.0 / 4,  2.0 / 3,  1.0,
    1.5,      4.0 / 3,  2.0,      3.0,      8.0 / 3,  4.0,      6.0,      16.0 / 3, 8.0,
    12.0,     32.0 / 3, 16.0,     24.0,     64.0 / 3, 32.0,     48.0};

// Ribbon spring-back times in whole notes by the spring selector; 0 "Off", 1 "Instant".
inline constexpr double RIBBON_SPRING_TIME_ARRAY[RIBBON_SPRING_TIME_COUNT] = {
    0.0,     0.0,      1.0 / 48, 1.0 / 32, 3.0 / 64, 1.0 / 24, 1.0 / 16, 3.0 / 32, 1.0 / 12,
    1.0 / 8, 3.0 / 16, 1.0 / 6,  1.0 / 4,  3.0 / 8,  1.0 / 3,  1.0 / 2,  3.0 / 4,  1.0};

// Ribbon quantisation: positions - 1 by the quantise selector; 0 is "Off".
inline constexpr int RIBBON_QUANT_DIVIDE[RIBBON_QUANT_COUNT] = {0, 31, 23, 19, 15, 11, 9,
                                                                7, 5,  4,  3,  2,  1};

// Start phase of the Main LFO by its phase selector, in cycles (the global and the voice LFO).
inline constexpr double LFO_PHASE_VAL[LFO_PHASE_COUNT] = {0.0, 0.25, 0.5, 0.75};
