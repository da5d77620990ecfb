// Constant number tables of the voices' unison layouts. Read by every thread (the tempo-synced
// times and periods are in engine/tables/).
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
