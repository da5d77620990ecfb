// The built-in preset bank: 116 factory presets of every parameter value in tag order, with
// their names. The table is generated from presets/bank.txt at build time; read-only data.
#pragma once

#include "engine/params/ParamTags.h"

constexpr int DEMO_PRESET_COUNT = 116;

// A preset name fits the name tags with room to spare and carries none of the characters that
// text in tags would clean up.
constexpr int DEMO_NAME_MAX_LENGTH = 23;

// Every preset carries the same folder text in the first preset-text tags.
constexpr int DEMO_FOLDER_FIRST = tag::PresetParamFirst;
constexpr int DEMO_FOLDER_LENGTH = 15;

// DEMOVAR[n][t] is the value of tag t in preset n, 0..1; stepped tags hold exact steps and
// switches exactly 0 or 1. Tags 210..237 spell DEMO_NAMES[n], one character per tag.
extern const float DEMOVAR[DEMO_PRESET_COUNT][tag::Count];
extern const char* const DEMO_NAMES[DEMO_PRESET_COUNT];
