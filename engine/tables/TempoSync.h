// Tempo-synced times in whole notes, indexed by a synced time knob's step (0 = Off): the
// envelopes, the unison start delay and the XY replay read them. Constants, any thread.
#pragma once

inline constexpr double TEMPO_SYNC_TIME[31] = {
    0.0,     1.0 / 48, 1.0 / 32, 3.0 / 64, 1.0 / 24, 1.0 / 16, 3.0 / 32, 1.0 / 12,
    1.0 / 8, 3.0 / 16, 1.0 / 6,  1.0 / 4,  3.0 / 8,  1.0 / 3,  1.0 / 2,  3.0 / 4,
    2.0 / 3, 1.0,      3.0 / 2,  4.0 / 3,  2.0,      3.0,      8.0 / 3,  4.0,
    6.0,     16.0 / 3, 8.0,      12.0,     32.0 / 3, 16.0,     24.0};
