// The built-in user-wave shapes: 128 points (0..1) each, one per USER_WAVE_PRESET_STR entry,
// generated at build time from tools/wavegen/shapes.txt. Constant data, any thread.
#pragma once

#include "engine/params/StringTables.h"

constexpr int USER_WAVE_SHAPE_POINTS = 128;
extern const float BUILT_IN_ADD_WAVE[USER_WAVE_PRESET_COUNT][USER_WAVE_SHAPE_POINTS];
