// Per-mode data of the editor: the defaults each distortion and modulation-effect mode gives
// its knobs, the ring picture of each distortion knob, the modulation effect's captions, the
// wave-shaper's two constant values and the slot ranges of the oscillator pages. Constant
// data, read on the user-interface thread.
#pragma once

#include "engine/params/ParamTags.h"

namespace edtables {

constexpr int kDistortModes = 27; // rows of the combined distortion modes
constexpr int kDistortSlots = 8;  // slot 0 the mix control, 1..7 the knobs
constexpr int kModFXModes = 10;
constexpr int kModFXSlots = 6;
constexpr int kShaperModes = 13;

// Knob defaults per combined distortion mode; a row not listed in the design is the common
// row {1, 0.5, 0, 0.5, 0, 1, 0, 0.5}.
inline constexpr float DISTORT_DEFAULTS[kDistortModes][kDistortSlots] = {
    {1.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f},       // 0
    {1.0f, 0.5f, 0.99f, 1.0f, 0.0f, 1.0f, 0.0f, 0.5f},      // 1
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 2
    {1.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f},       // 3
    {1.0f, 0.5f, 0.28f, 0.2f, 0.5f, 1.0f, 0.0f, 0.5f},      // 4
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 5
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 6
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 7
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 8
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 9
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 10
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 11
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 12
    {1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f},       // 13
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 14
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 15
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 16
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 17
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 18
    {1.0f, 0.5f, 1.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 19
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 20
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 21
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 22
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 23
    {1.0f, 0.88f, 0.72f, 0.57f, 0.46f, 0.28f, 0.81f, 0.5f}, // 24
    {1.0f, 0.5f, 0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.5f},       // 25
    {1.0f, 0.5f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.5f}};      // 26

// Which ring a distortion knob wears per mode row: 1 for the second picture of knob style 4
// (the bipolar ring), 0 for that of style 3.
inline constexpr unsigned char DISTORT_RINGS[kDistortModes][kDistortSlots] = {
    {0, 1, 0, 0, 1, 1, 1, 0},
    {0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0, 1, 0, 0, 1, 1, 1, 0},
    {0, 1, 0, 0, 1, 0, 0, 1},
    {0},
    {0},
    {0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0},
    {0},
    {0},
    {0},
    {0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0},
    {0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0},
    {0, 0, 1, 0, 0, 0, 1, 0},
    {0, 0, 0, 1, 0, 0, 0, 0},
    {0}};

// Modulation effect: the five knobs' defaults per mode (the sixth value is kept unused).
inline constexpr float MODFX_DEFAULTS[kModFXModes][kModFXSlots] = {
    {0.166f, 0.481f, 0.44f, 0.42f, 0.36f, 0.0f}, {0.166f, 0.481f, 0.44f, 0.42f, 0.36f, 0.0f},
    {0.15f, 0.15f, 1.0f, 0.43f, 0.81f, 0.0f},    {0.15f, 0.15f, 1.0f, 0.43f, 0.81f, 0.0f},
    {0.53f, 0.49f, 0.36f, 0.45f, 0.34f, 0.0f},   {0.5f, 0.53f, 0.57f, 0.5f, 0.44f, 0.0f},
    {1.0f, 0.25f, 0.75f, 0.5f, 0.0f, 0.0f},      {1.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f},
    {1.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f},        {1.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f}};

// The modulation effect's six captions per mode: its five knobs, then its sync switch.
inline constexpr const char* MODFX_CAPTIONS[kModFXModes][kModFXSlots] = {
    {"MIX", "LEN", "WIDTH", "SPEED", "WIDEN", "SYNC"},
    {"MIX", "LEN", "WIDTH", "SPEED", "WIDEN", "SYNC"},
    {"MIX", "LEN", "WIDTH", "SPEED", "FEED", "SYNC"},
    {"MIX", "LEN", "WIDTH", "SPEED", "FEED", "SYNC"},
    {"MIX", "LEN", "WIDTH", "SPEED", "FEED", "SYNC"},
    {"MIX", "FREQ", "WIDTH", "SPEED", "FEED", "SYNC"},
    {"MIX", "LOW", "HIGH", "SPEED", "Q", "SYNC"},
    {"MIX", "WAVE", "AMOUNT", "SPEED", "", "SYNC"},
    {"MIX", "WAVE", "AMOUNT", "SPEED", "", "SYNC"},
    {"MIX", "WAVE", "AMOUNT", "FREQ", "FINE", ""}};

// Tags of each effect's remembered knobs, in the order they are swapped.
inline constexpr int DISTORT_VOICE_TAGS[kDistortSlots] = {
    tag::VoiceDistortionMix, tag::Distortion1, tag::Distortion2, tag::Distortion3,
    tag::Distortion4,        tag::Distortion5, tag::Distortion6, tag::Distortion7};
inline constexpr int DISTORT_FX_TAGS[kDistortSlots] = {
    tag::DistortionFxMix, tag::DistortionFx1, tag::DistortionFx2, tag::DistortionFx3,
    tag::DistortionFx4,   tag::DistortionFx5, tag::DistortionFx6, tag::DistortionFx7};
inline constexpr int MODFX_TAGS[kModFXSlots] = {tag::ModFxMix, tag::ModFx1, tag::ModFx2,
                                                tag::ModFx3,   tag::ModFx4, tag::ModFxTempoSyncOn};

// The wave-shaper's two values (tags 1006 and 1007) per shaper mode.
inline constexpr float SHAPER_FIRST[kShaperModes] = {0,    0.75f, 0.75f, 0, 0.5f, 0,   0.5f,
                                                     0.5f, 0,     0,     0, 0,    0.5f};
inline constexpr float SHAPER_SECOND[kShaperModes] = {0, 0.5f, 0.75f, 0, 0, 0,   0,
                                                      0, 1.0f, 0,     0, 0, 0.5f};

// Label and knob slots of each oscillator page (LFO, amplitude envelope, pitch envelope).
inline constexpr int OSC_START_LABEL[3] = {0, 8, 15};
inline constexpr int OSC_END_LABEL[3] = {7, 14, 21};
inline constexpr int OSC_START_KNOB[3] = {0, 6, 12};
inline constexpr int OSC_END_KNOB[3] = {5, 11, 17};
inline constexpr int EQ_ON_TAGS[2] = {tag::PreEqOn, tag::PostEqOn};
inline constexpr int USE_PARTIALS_ON_TAGS[2] = {tag::UserWave1UsePartialsOn,
                                                tag::UserWave2UsePartialsOn};
inline constexpr int WAVE_PRESET_NUMS_TAGS[2] = {tag::UserWave1Preset, tag::UserWave2Preset};
inline constexpr int XY_RECORD_MODE_TAGS[2] = {tag::Xy1RecordMode, tag::Xy2RecordMode};
inline constexpr int OSC_SYM_TAGS[2] = {tag::Osc1Symmetry, tag::Osc2Symmetry};
inline constexpr int ARP_STEPS_TAGS[2] = {tag::SeqStepsA, tag::SeqStepsA + tag::SeqStride};
inline constexpr int ARP_LOOP_START_TAGS[2] = {tag::SeqLoopStartA,
                                               tag::SeqLoopStartA + tag::SeqStride};

} // namespace edtables
