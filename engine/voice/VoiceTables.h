// Constant number tables of the voices: unison layouts, tempo-synced envelope times, the
// oscillator LFO's synced periods and the main LFO's phase offsets. Read by every thread.
#pragma once

#include "engine/params/StringTables.h"

constexpr int kMaxSubVoices = 6;

// Sub-voices per "Unison Mode" entry and the level factor that keeps the sum near one voice.
// The factors are rounded as stored sounds expect them, not exact 1/sqrt(n).
inline constexpr int UNI_NUM_VOICES[UNI_MODE_COUNT] = {1, 2, 3, 4, 5, 6, 2, 3, 4, 6, 3, 3, 3, 3, 4,
                                                       4, 4, 3, 4, 4, 4, 4, 4, 4, 4, 3, 4, 3, 4};
inline constexpr float UNI_DIVIDE[UNI_MODE_COUNT] = {
    1.0f, 0.707f, 0.577f, 0.5f, 0.447f, 0.408f, 0.707f, 0.577f, 0.5f, 0.408f,
    0.5f, 0.5f,   0.5f,   0.5f, 0.5f,   0.5f,   0.5f,   0.5f,   0.5f, 0.5f,
    0.5f, 0.5f,   0.5f,   0.5f, 0.5f,   0.5f,   0.5f,   0.5f,   0.5f};

// Tuning of each sub-voice in semitones: scaled by "Unison Amount" in modes 0..5, fixed
// intervals in the octave and chord modes.
inline constexpr float UNI_TUNE_SPREAD[UNI_MODE_COUNT][kMaxSubVoices] = {
    {0, 0, 0, 0, 0, 0},
    {-0.2f, 0.2f, 0, 0, 0, 0},
    {-0.2f, 0, 0.2f, 0, 0, 0},
    {-0.2f, 0.1f, -0.1f, 0.2f, 0, 0},
    {-0.2f, 0.1f, 0, -0.1f, 0.2f, 0},
    {-0.2f, -0.1f, 0, 0, 0.1f, 0.2f},
    {-12, 0, 0, 0, 0, 0},
    {-12, 0, 12, 0, 0, 0},
    {0, 0, -12, -12, 0, 0},
    {0, 0, -12, -12, 12, 12},
    {0, 4, 7, 0, 0, 0},
    {0, 7, 0, 0, 0, 0},
    {0, 5, 7, 0, 0, 0},
    {0, 2, 7, 0, 0, 0},
    {0, 4, 7, 14, 0, 0},
    {0, 4, 7, 9, 0, 0},
    {0, 4, 7, 11, 0, 0},
    {0, 3, 7, 0, 0, 0},
    {0, 3, 7, 14, 0, 0},
    {0, 3, 7, 9, 0, 0},
    {0, 3, 7, 8, 0, 0},
    {0, 3, 7, 10, 0, 0},
    {0, 3, 6, 10, 0, 0},
    {0, 4, 7, 10, 0, 0},
    {0, 5, 7, 10, 0, 0},
    {0, 3, 6, 0, 0, 0},
    {0, 3, 6, 9, 0, 0},
    {0, 4, 8, 0, 0, 0},
    {0, 3, 7, 11, 0, 0}};

// Stereo position of each sub-voice, -1 left .. 1 right, scaled by "Unison Spread".
inline constexpr float UNI_PAN[UNI_MODE_COUNT][kMaxSubVoices] = {
    {0, 0, 0, 0, 0, 0},   {-1, 1, 0, 0, 0, 0},   {-1, 0, 1, 0, 0, 0}, {-1, 0.5f, -0.5f, 1, 0, 0},
    {-1, -1, 0, 1, 1, 0}, {-1, -1, 0, 0, 1, 1},  {-1, 1, 0, 0, 0, 0}, {-1, 0, 1, 0, 0, 0},
    {-1, 1, -1, 1, 0, 0}, {-1, 1, -1, 1, -1, 1}, {0, -1, 1, 0, 0, 0}, {0, -1, 1, 0, 0, 0},
    {0, -1, 1, 0, 0, 0},  {0, -1, 1, 0, 0, 0},   {0, -1, 0, 1, 0, 0}, {0, -1, 0, 1, 0, 0},
    {0, -1, 0, 1, 0, 0},  {0, -1, 0, 0, 0, 0},   {0, -1, 0, 1, 0, 0}, {0, -1, 0, 1, 0, 0},
    {0, -1, 0, 1, 0, 0},  {0, -1, 0, 1, 0, 0},   {0, -1, 0, 1, 0, 0}, {0, -1, 0, 1, 0, 0},
    {0, -1, 0, 1, 0, 0},  {0, -1, 1, 0, 0, 0},   {0, -1, 0, 1, 0, 0}, {0, -1, 1, 0, 0, 0},
    {0, -1, 0, 1, 0, 0}};

// Synced envelope times in whole notes, by the time knob read over 30.99 ("Off" first).
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

// Synced oscillator-LFO periods in units of 8 beats, by the speed knob read over 33.99.
inline constexpr double PERIOD_ARRAY[LFO_PERIOD_COUNT] = {
    0.0,      24.0,     16.0,    32.0 / 3, 12.0,      8.0,      16.0 / 3, 6.0,     4.0,
    8.0 / 3,  3.0,      2.0,     4.0 / 3,  1.5,       1.0,      2.0 / 3,  0.75,    0.5,
    1.0 / 3,  0.375,    0.25,    1.0 / 6,  0.1875,    0.125,    1.0 / 12, 0.09375, 0.0625,
    1.0 / 24, 0.046875, 0.03125, 1.0 / 48, 0.0234375, 0.015625, 1.0 / 96};

// Start phase of the main LFO by "Main LFO Phase".
inline constexpr float LFO_PHASE_VAL[LFO_PHASE_COUNT] = {0.0f, 0.25f, 0.5f, 0.75f};
