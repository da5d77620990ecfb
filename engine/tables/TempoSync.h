// Tempo-synced times in whole notes, indexed by a synced time knob's step: the envelopes, the
// unison start delay and the XY replay read them. Constants, any thread.
#pragma once

#include "engine/params/StringTables.h"

// Synced times by the time knob read over 30.99 ("Off" first).
inline constexpr double TEMPO_SYNC_TIME[ENV_TEMPO_SYNC_COUNT] = {
    0.0,     1.0 / 48, 1.0 / 32, 3.0 / 64, 1.0 / 24, 1.0 / 16, 3.0 / 32, 1.0 / 12,
    1.0 / 8, 3.0 / 16, 1.0 / 6,  1.0 / 4,  3.0 / 8,  1.0 / 3,  1.0 / 2,  3.0 / 4,
    2.0 / 3, 1.0,      3.0 / 2,  4.0 / 3,  2.0,      3.0,      8.0 / 3,  4.0,
    6.0,     16.0 / 3, 8.0,      12.0,     32.0 / 3, 16.0,     24.0};

// Synced fade times of the free envelopes, read over 60.99: fading down (negative) at the
// start, "Off" at 30, fading up at the end; the outermost entries hold 18 rather than 24.
inline constexpr double TEMPO_SYNC_FADE_TIME[FADE_ENV_TEMPO_SYNC_COUNT] = {
    -1.0 / 48, -1.0 / 32, -3.0 / 64, -1.0 / 24, -1.0 / 16, -3.0 / 32, -1.0 / 12, -1.0 / 8,
    -3.0 / 16, -1.0 / 6,  -1.0 / 4,  -3.0 / 8,  -1.0 / 3,  -1.0 / 2,  -3.0 / 4,  -2.0 / 3,
    -1.0,      -3.0 / 2,  -4.0 / 3,  -2.0,      -3.0,      -8.0 / 3,  -4.0,      -6.0,
    -16.0 / 3, -8.0,      -12.0,     -32.0 / 3, -16.0,     -18.0,     0.0,       18.0,
    16.0,      32.0 / 3,  12.0,      8.0,       16.0 / 3,  6.0,       4.0,       8.0 / 3,
    3.0,       2.0,       4.0 / 3,   3.0 / 2,   1.0,       2.0 / 3,   3.0 / 4,   1.0 / 2,
    1.0 / 3,   3.0 / 8,   1.0 / 4,   1.0 / 6,   3.0 / 16,  1.0 / 8,   1.0 / 12,  3.0 / 32,
    1.0 / 16,  1.0 / 24,  3.0 / 64,  1.0 / 32,  1.0 / 48};
