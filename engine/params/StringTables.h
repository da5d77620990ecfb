// The global string tables that name menu entries, value texts, modulation sources and
// destinations, tempo-sync periods, preset commands and preference keys, with their counts.
// Constant data, valid before any engine exists; read by every thread without locks.
#pragma once

#include <cstddef>

// Every table is an array of pointers to string literals, so it is constant-initialized:
// there is nothing to construct when the module loads and nothing to destroy at unload.
// An entry's position is its meaning; readers bound their index with the table's count.

// ---------------------------------------------------------------------------
// Modulation sources and destinations
// ---------------------------------------------------------------------------

constexpr int SRC_COUNT = 106; // source 0 is "None"
constexpr int SRC_SHORT_COUNT = SRC_COUNT;
constexpr int SRC_SUB_COUNT = 4;
constexpr int DEST_COUNT = 323; // destination 0 is "None"
constexpr int DEST_SHORT_COUNT = DEST_COUNT;
constexpr int DEST_SUB_COUNT = 22;

extern const char* const SRC_STR[SRC_COUNT];
extern const char* const SRC_SHORT_STR[SRC_SHORT_COUNT];
extern const char* const SRC_SUB_STR[SRC_SUB_COUNT];
extern const char* const DEST_STR[DEST_COUNT];
extern const char* const DEST_SHORT_STR[DEST_SHORT_COUNT];
extern const char* const DEST_SUB_STR[DEST_SUB_COUNT];

// Group g of the source menus holds sources SRC_SUB_START[g] .. SRC_SUB_START[g + 1] - 1;
// the last value closes the last group. Source 0 lies in no group.
inline constexpr int SRC_SUB_START[SRC_SUB_COUNT + 1] = {1, 40, 68, 89, 106};

// The same for destination groups; destination 0 lies in no group.
inline constexpr int DEST_SUB_START[DEST_SUB_COUNT + 1] = {1,   16,  45,  64,  95,  114, 132, 154,
                                                           158, 166, 171, 180, 207, 217, 228, 235,
                                                           246, 254, 263, 285, 304, 307, 323};

// ---------------------------------------------------------------------------
// Oscillator, filter, distortion, effect and user-wave vocabularies
// ---------------------------------------------------------------------------

constexpr int OSC_TYPE_COUNT = 8;
constexpr int OSC_OCT_COUNT = 9;
constexpr int OSC_MOD_MODE_COUNT = 7;
constexpr int FILTER_TYPE_COUNT = 43;
constexpr int FILTER_TYPE_SUB_COUNT = 6;
constexpr int FILTER_MULTI_1_COUNT = 2;
constexpr int FILTER_MULTI_2_COUNT = 3;
constexpr int FILTER_VOWEL_COUNT = 5;
constexpr int EQ_FILTER_TYPE_COUNT = 4;
constexpr int DISTORT_VOICE_MODE_COUNT = 23;
constexpr int DISTORT_FX_MODE_COUNT = 27; // also the number of combined distortion modes
constexpr int DISTORT_SLOTS_PER_MODE = 8; // slot 0 is the mode's mix, 1..7 its controls
constexpr int AMP_MODEL_COUNT = 6;
constexpr int CAB_MODEL_COUNT = 4;
constexpr int MOD_FX_MODE_COUNT = 10;
constexpr int MOD_FX_CONTROLS_PER_MODE = 4; // "Mod FX 1" .. "Mod FX 4"
constexpr int RING_COUNT = 4;
constexpr int GATER_MODE_COUNT = 2;
constexpr int GATER_POS_COUNT = 2;
constexpr int GATER_STEPS_COUNT = 16;
constexpr int USER_WAVE_PRESET_COUNT = 237; // preset 0 is "None"
constexpr int USER_WAVE_SECTIONS_COUNT = 9;
constexpr int USER_WAVE_SHAPER_MODE_COUNT = 13;

extern const char* const OSC_TYPE_STR[OSC_TYPE_COUNT];
extern const char* const OSC_OCT_STR[OSC_OCT_COUNT];
extern const char* const OSC_MOD_MODE_STR[OSC_MOD_MODE_COUNT];
extern const char* const FILTER_TYPE_STR[FILTER_TYPE_COUNT];
extern const char* const FILTER_TYPE_SUB_STR[FILTER_TYPE_SUB_COUNT];
extern const char* const FILTER_MULTI_1_STR[FILTER_MULTI_1_COUNT];
extern const char* const FILTER_MULTI_2_STR[FILTER_MULTI_2_COUNT];
extern const char* const FILTER_VOWEL_STR[FILTER_VOWEL_COUNT];
extern const char* const EQ_FILTER_TYPE_STR[EQ_FILTER_TYPE_COUNT];
extern const char* const DISTORT_VOICE_MODE_STR[DISTORT_VOICE_MODE_COUNT];
extern const char* const DISTORT_FX_MODE_STR[DISTORT_FX_MODE_COUNT];
// One row per combined distortion mode, one column per control slot: full control names,
// short names and the upper-case panel labels ("" for the unused slot 7 of "Amp" and "Cab").
extern const char* const DISTORT_MODE_VAR_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE];
extern const char* const DISTORT_MODE_VAR_SHORT_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE];
extern const char* const DISTORT_MODE_LABEL_STR[DISTORT_FX_MODE_COUNT][DISTORT_SLOTS_PER_MODE];
extern const char* const AMP_MODEL_STR[AMP_MODEL_COUNT];
extern const char* const CAB_MODEL_STR[CAB_MODEL_COUNT];
extern const char* const MOD_FX_MODE_STR[MOD_FX_MODE_COUNT];
// One row per modulation FX mode: the names of its four controls.
extern const char* const MOD_FX_LABEL_STR[MOD_FX_MODE_COUNT][MOD_FX_CONTROLS_PER_MODE];
extern const char* const RING_STR[RING_COUNT];
extern const char* const GATER_MODE_STR[GATER_MODE_COUNT];
extern const char* const GATER_POS_STR[GATER_POS_COUNT];
extern const char* const GATER_STEPS_STR[GATER_STEPS_COUNT];
extern const char* const USER_WAVE_PRESET_STR[USER_WAVE_PRESET_COUNT];
extern const char* const USER_WAVE_SECTIONS_STR[USER_WAVE_SECTIONS_COUNT];
extern const char* const USER_WAVE_SHAPER_MODE_STR[USER_WAVE_SHAPER_MODE_COUNT];

// Filter type group g holds types FILTER_TYPE_SUB_START[g] .. FILTER_TYPE_SUB_START[g + 1] - 1;
// type 0 ("Bypass") lies in no group.
inline constexpr int FILTER_TYPE_SUB_START[FILTER_TYPE_SUB_COUNT + 1] = {1, 3, 17, 19, 33, 35, 43};

// Row 0 maps a voice distortion mode to its combined mode number (the voice distortion lacks
// "Amp", "Cab", "Low-Fi" and "WaveShaper"; its last four cells are unused); row 1 maps the
// distortion FX mode, which already is the combined number, to itself.
inline constexpr int REAL_DISTORT_MODES[2][DISTORT_FX_MODE_COUNT] = {
    {1,  2,  4,  5,  6,  7,  8,  9,  10, 11, 12, 14, 15, 16,
     17, 18, 19, 20, 21, 22, 23, 24, 25, 0,  0,  0,  0},
    {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
     14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}};

// How many consecutive presets, from preset 1 on, each user-wave section holds (236 in all).
inline constexpr int USER_WAVE_PRESETS_SECTION_NO[USER_WAVE_SECTIONS_COUNT] = {6,  28, 26, 41, 17,
                                                                               46, 35, 24, 13};

// ---------------------------------------------------------------------------
// Tempo sync, performance, LFO, arpeggiator and XY vocabularies
// ---------------------------------------------------------------------------

constexpr int PLAY_MODE_COUNT = 9;
constexpr int PORT_MODE_COUNT = 5;
constexpr int UNI_MODE_COUNT = 29;
constexpr int PITCH_BEND_COUNT = 16;
constexpr int PITCH_BEND_SEMI_COUNT = 16;
constexpr int ENV_TEMPO_SYNC_COUNT = 31;      // read with range 30.99
constexpr int FADE_ENV_TEMPO_SYNC_COUNT = 61; // read with range 60.99; index 30 is "Off"
constexpr int LFO_PERIOD_COUNT = 34;          // read with range 33.99
constexpr int FX_PERIOD_COUNT = 34;
constexpr int DELAY_LEN_COUNT = 15; // read at int(v x 14.99)
constexpr int GATER_PERIOD_COUNT = 34;
constexpr int UNI_DELAY_TEMPO_SYNC_COUNT = 31; // read with range 30.99
constexpr int RIBBON_SPRING_TIME_COUNT = 18;
constexpr int RIBBON_QUANT_COUNT = 13;
constexpr int LFO_WAVE_COUNT = 8;
constexpr int LFO_PHASE_COUNT = 4;
constexpr int LFO_PLAY_MODE_COUNT = 3;
constexpr int LFO_12_MODE_COUNT = 13;
constexpr int ARP_COUNT = 2;
constexpr int ARP_PLAY_MODE_COUNT = 4;
constexpr int ARP_MODE_COUNT = 16;
constexpr int ARP_LOOP_MODE_COUNT = 3;
constexpr int ARP_CATCHUP_COUNT = 3;
constexpr int ARP_OCT_COUNT = 4;
constexpr int ARP_TIED_MODE_COUNT = 4;
constexpr int ARP_RATCHET_MODE_COUNT = 9;
constexpr int LOCK_COUNT = 3;
constexpr int ARP_LOOP_START_COUNT = 16;
constexpr int ARP_STEPS_COUNT = 16;
constexpr int ARP_SPEED_COUNT = 17;
constexpr int ARP_RATCHET_COUNT = 4; // the step ratchet parameters step further: bound first
constexpr int XY_RECORD_MODE_COUNT = 3;
constexpr int XY_LOOP_MODE_COUNT = 3;
constexpr int XY_PLAY_MODE_COUNT = 3;
constexpr int XY_SPEED_COUNT = 17;

extern const char* const PLAY_MODE_STR[PLAY_MODE_COUNT];
extern const char* const PORT_MODE_STR[PORT_MODE_COUNT];
extern const char* const UNI_MODE_STR[UNI_MODE_COUNT];
extern const char* const PITCH_BEND_STR[PITCH_BEND_COUNT];
extern const char* const PITCH_BEND_SEMI_STR[PITCH_BEND_SEMI_COUNT];
extern const char* const ENV_TEMPO_SYNC_STR[ENV_TEMPO_SYNC_COUNT];
extern const char* const FADE_ENV_TEMPO_SYNC_STR[FADE_ENV_TEMPO_SYNC_COUNT];
extern const char* const LFO_PERIOD_STR[LFO_PERIOD_COUNT];
extern const char* const FX_PERIOD_STR[FX_PERIOD_COUNT];
extern const char* const DELAY_LEN_STR[DELAY_LEN_COUNT];
extern const char* const GATER_PERIOD_STR[GATER_PERIOD_COUNT];
extern const char* const UNI_DELAY_TEMPO_SYNC_STR[UNI_DELAY_TEMPO_SYNC_COUNT];
extern const char* const RIBBON_SPRING_TIME_STR[RIBBON_SPRING_TIME_COUNT];
extern const char* const RIBBON_QUANT_STR[RIBBON_QUANT_COUNT];
extern const char* const LFO_WAVE_STR[LFO_WAVE_COUNT];
extern const char* const LFO_PHASE_STR[LFO_PHASE_COUNT];
extern const char* const LFO_PLAY_MODE_STR[LFO_PLAY_MODE_COUNT];
extern const char* const LFO_12_MODE_STR[LFO_12_MODE_COUNT];
extern const char* const ARP_STR[ARP_COUNT];
extern const char* const ARP_PLAY_MODE_STR[ARP_PLAY_MODE_COUNT];
extern const char* const ARP_MODE_STR[ARP_MODE_COUNT];
extern const char* const ARP_LOOP_MODE_STR[ARP_LOOP_MODE_COUNT];
extern const char* const ARP_CATCHUP_STR[ARP_CATCHUP_COUNT];
extern const char* const ARP_OCT_STR[ARP_OCT_COUNT];
extern const char* const ARP_TIED_MODE_STR[ARP_TIED_MODE_COUNT];
extern const char* const ARP_RATCHET_MODE_STR[ARP_RATCHET_MODE_COUNT];
extern const char* const LOCK_STR[LOCK_COUNT];
extern const char* const ARP_LOOP_START_STR[ARP_LOOP_START_COUNT];
extern const char* const ARP_STEPS_STR[ARP_STEPS_COUNT];
extern const char* const ARP_SPEED_STR[ARP_SPEED_COUNT];
extern const char* const ARP_RATCHET_STR[ARP_RATCHET_COUNT];
extern const char* const XY_RECORD_MODE_STR[XY_RECORD_MODE_COUNT];
extern const char* const XY_LOOP_MODE_STR[XY_LOOP_MODE_COUNT];
extern const char* const XY_PLAY_MODE_STR[XY_PLAY_MODE_COUNT];
extern const char* const XY_SPEED_STR[XY_SPEED_COUNT];

// ---------------------------------------------------------------------------
// Preference keys, settings menus and preset commands
// ---------------------------------------------------------------------------

// Keys of the preferences store. On/off switches are stored as "Y" / "N".
inline constexpr const char* REG_MIDI_PRESET_STR = "MIDIPreset";
inline constexpr const char* REG_MIDI_BANK_STR = "MIDIBank";
inline constexpr const char* REG_MIDI_CAPTURE_STR = "MIDICapture";
inline constexpr const char* REG_MIDI_IN_CHANNEL_STR = "MIDIChannel";     // integer, 0 = all
inline constexpr const char* REG_MIDI_OUT_CHANNEL_STR = "MIDIOutChannel"; // integer, 0 = off
inline constexpr const char* REG_MIDI_SPRING_CHANNEL_STR = "MIDISpring";
inline constexpr const char* REG_KEYBOARD_STR = "Keyboard";
inline constexpr const char* REG_DRAG_AND_DROP_STR = "DragAndDrop";
inline constexpr const char* REG_TOOL_TIP_STR = "ToolTip";
inline constexpr const char* REG_DIAL_ANIMATION_STR = "Animation";
inline constexpr const char* REG_SHOW_XY_MOD_STR = "XYMod";
inline constexpr const char* REG_AUTO_LIMIT_STR = "AutoLimit";

constexpr int SCREEN_SIZE_COUNT = 4; // 100, 125, 150 and 200 percent
constexpr int REG_SCREEN_SIZE_COUNT = SCREEN_SIZE_COUNT;
constexpr int SET_SCREEN_SIZE_COUNT = SCREEN_SIZE_COUNT;
constexpr int OFF_ON_COUNT = 2;
constexpr int MIDI_IN_CHANNEL_COUNT = 17;  // 0 = all channels, then 1..16
constexpr int MIDI_OUT_CHANNEL_COUNT = 17; // 0 = off, then 1..16
constexpr int PRESET_SUB_HEADER_COUNT = 8; // blocks of 32 presets
constexpr int PRESET_COMMAND_COUNT = 27;

// One "Y" / "N" switch per screen size; exactly one holds "Y".
extern const char* const REG_SCREEN_SIZE_STR[REG_SCREEN_SIZE_COUNT];
extern const char* const OFF_ON_STR[OFF_ON_COUNT];
extern const char* const SCREEN_SIZE_STR[SCREEN_SIZE_COUNT];
extern const char* const SET_SCREEN_SIZE_STR[SET_SCREEN_SIZE_COUNT];
extern const char* const MIDI_IN_CHANNEL_STR[MIDI_IN_CHANNEL_COUNT];
extern const char* const MIDI_OUT_CHANNEL_STR[MIDI_OUT_CHANNEL_COUNT];
extern const char* const PRESET_SUB_HEADER_STR[PRESET_SUB_HEADER_COUNT];
extern const char* const PRESET_COMMAND_STR[PRESET_COMMAND_COUNT];

// Preset commands that code recognises by number.
constexpr int PRESET_COMMAND_CLEAR = 9;
constexpr int PRESET_COMMAND_SCREEN_SIZE_FIRST = 23; // 23..26 set screen sizes 0..3

// True when no entry of a table is null. Each definition is checked with it in a
// static_assert, so an initializer that runs short fails the build instead of leaving a null
// entry for a reader to trip over; one that runs long fails already.
template <std::size_t N> constexpr bool allEntriesSet(const char* const (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i] == nullptr) return false;
    return true;
}

template <std::size_t R, std::size_t C>
constexpr bool allEntriesSet(const char* const (&table)[R][C]) {
    for (std::size_t i = 0; i < R; ++i)
        if (!allEntriesSet(table[i])) return false;
    return true;
}
