// The orderings of the two orderable chains, the oscillator path (six voice stages) and the FX
// path (five effects), one per step of their path parameter. Built once per process on first
// use; read by the control-rate update, the path display and the path menu without locks.
#pragma once

#include "engine/params/ParamTags.h"

#include <cstdint>

constexpr int PATH_COUNT = 2;
constexpr int PATH_OSC = 0;           // FILTER, PRE-EQ, WAVESHAPER, DISTORTION, LOW-FI, POST-EQ
constexpr int PATH_FX = 1;            // DISTORT, MOD FX, GATER, STEREO DELAY, REVERB
constexpr int PATH_PERM_SLOTS = 5040; // room for every ordering of up to seven units

inline constexpr int PATH_TAGS[PATH_COUNT] = {tag::OscPath, tag::FxPath};
inline constexpr int PATH_NUM[PATH_COUNT] = {6, 5};                     // units in the path
inline constexpr int PATH_LAST[PATH_COUNT] = {5, 4};                    // last position
inline constexpr int PATHS_PERM_NUM[PATH_COUNT] = {720, 120};           // orderings, 6! and 5!
inline constexpr float PATHS_PERM_RANGE[PATH_COUNT] = {719.0f, 119.0f}; // stepped range
constexpr int PATH_MAX_UNITS = 6;

// Entry j of row `path` is the ordering of step j as a decimal code: the unit numbers from the
// first position to the last read as one number, so a leading unit 0 leaves no digit (0,1,2,3,
// 4,5 is 12345). Rows hold their orderings in lexicographic order; entries past
// PATHS_PERM_NUM[path] are 0. The same array for every caller (built once).
using PathPermutationRows = int32_t[PATH_COUNT][PATH_PERM_SLOTS];
const PathPermutationRows& pathPermutations();

// The step of a path parameter value: int(value x range + 0.1), clamped into the path's
// orderings (NaN gives step 0). -1 for an invalid path.
int pathStepForValue(int path, float value);

// The unit at a position of the ordering of a step. The step is clamped into the path's
// orderings; an invalid path or a position outside 0..PATH_LAST[path] gives -1.
int pathUnitAt(int path, int step, int position);

// The whole ordering of a step into units[0 .. PATH_NUM[path] - 1]; returns the number of units
// written (0 for an invalid path). The step is clamped as by pathUnitAt.
int pathOrdering(int path, int step, int* units);
