// Names of tempo-synchronised time values, performance, LFO, arpeggiator and XY pad choices,
// and the preference keys, settings-menu texts and preset-menu commands.
// Constant data; read by the audio and user-interface threads without locks.

#include "engine/params/StringTables.h"

constexpr const char* const PLAY_MODE_STR[PLAY_MODE_COUNT] = {
    "Poly", "Poly MPE", "Mono", "Mono Lo", "Mono Hi", "Legato", "Legato Lo", "Legato Hi", "Arp"};
static_assert(allEntriesSet(PLAY_MODE_STR));

constexpr const char* const PORT_MODE_STR[PORT_MODE_COUNT] = {
    "Off", "Constant Rate", "Constant Time", "Held Rate", "Held Time"};
static_assert(allEntriesSet(PORT_MODE_STR));

constexpr const char* const UNI_MODE_STR[UNI_MODE_COUNT] = {
    "Off",           "2 Voices",    "3 Voices",      "4 Voices",  "5 Voices",     "6 Voices",
    "2 Octave",      "3 Octave",    "2 Special",     "3 Special", "Major",        "Fifth",
    "Suspended 4",   "Suspended 2", "Major Added 9", "Major 6",   "Major 7",      "Minor",
    "Minor Added 9", "Minor 6",     "Minor b6",      "Minor 7",   "Minor 7b5",    "Dominant 7",
    "7 Suspended 4", "Diminished",  "Diminish 7",    "Augmented", "Minor Major 7"};
static_assert(allEntriesSet(UNI_MODE_STR));

constexpr const char* const PITCH_BEND_STR[PITCH_BEND_COUNT] = {
    "Off",    "1 Semi", "2 Semi",  "3 Semi",  "4 Semi",  "5 Semi",  "6 Semi",  "7 Semi",
    "8 Semi", "9 Semi", "10 Semi", "11 Semi", "12 Semi", "24 Semi", "36 Semi", "48 Semi"};
static_assert(allEntriesSet(PITCH_BEND_STR));

constexpr const char* const PITCH_BEND_SEMI_STR[PITCH_BEND_SEMI_COUNT] = {
    "Off",           "1 Semi-tones",  "2 Semi-tones",  "3 Semi-tones",
    "4 Semi-tones",  "5 Semi-tones",  "6 Semi-tones",  "7 Semi-tones",
    "8 Semi-tones",  "9 Semi-tones",  "10 Semi-tones", "11 Semi-tones",
    "12 Semi-tones", "24 Semi-tones", "36 Semi-tones", "48 Semi-tones"};
static_assert(allEntriesSet(PITCH_BEND_SEMI_STR));

// Tempo-synchronised times: each note value comes as triplet ("T"), plain and dotted ("*").

constexpr const char* const ENV_TEMPO_SYNC_STR[ENV_TEMPO_SYNC_COUNT] = {
    "Off",     "1/32T QB", "1/32 QB", "1/32* QB", "1/16T QB", "1/16 QB", "1/16* QB", "1/8T QB",
    "1/8 QB",  "1/8* QB",  "1/4T QB", "1/4 QB",   "1/4* QB",  "1/2T QB", "1/2 QB",   "1/2* QB",
    "1/1T QB", "1/1 QB",   "1/1* QB", "2/1T QB",  "2/1 QB",   "2/1* QB", "4/1T QB",  "4/1 QB",
    "4/1* QB", "8/1T QB",  "8/1 QB",  "8/1* QB",  "16/1T QB", "16/1 QB", "16/1* QB"};
static_assert(allEntriesSet(ENV_TEMPO_SYNC_STR));

// Fades run down, "Off" at index 30, then up; the last entry lacks " QB".
constexpr const char* const FADE_ENV_TEMPO_SYNC_STR[FADE_ENV_TEMPO_SYNC_COUNT] = {
    "Down 1/32T QB", "Down 1/32 QB", "Down 1/32* QB", "Down 1/16T QB", "Down 1/16 QB",
    "Down 1/16* QB", "Down 1/8T QB", "Down 1/8 QB",   "Down 1/8* QB",  "Down 1/4T QB",
    "Down 1/4 QB",   "Down 1/4* QB", "Down 1/2T QB",  "Down 1/2 QB",   "Down 1/2* QB",
    "Down 1/1T QB",  "Down 1/1 QB",  "Down 1/1* QB",  "Down 2/1T QB",  "Down 2/1 QB",
    "Down 2/1* QB",  "Down 4/1T QB", "Down 4/1 QB",   "Down 4/1* QB",  "Down 8/1T QB",
    "Down 8/1 QB",   "Down 8/1* QB", "Down 16/1T QB", "Down 16/1 QB",  "Down 16/1* QB",
    "Off",           "Up 16/1* QB",  "Up 16/1 QB",    "Up 16/1T QB",   "Up 8/1* QB",
    "Up 8/1 QB",     "Up 8/1T QB",   "Up 4/1* QB",    "Up 4/1 QB",     "Up 4/1T QB",
    "Up 2/1* QB",    "Up 2/1 QB",    "Up 2/1T QB",    "Up 1/1* QB",    "Up 1/1 QB",
    "Up 1/1T QB",    "Up 1/2* QB",   "Up 1/2 QB",     "Up 1/2T QB",    "Up 1/4* QB",
    "Up 1/4 QB",     "Up 1/4T QB",   "Up 1/8* QB",    "Up 1/8 QB",     "Up 1/8T QB",
    "Up 1/16* QB",   "Up 1/16 QB",   "Up 1/16T QB",   "Up 1/32* QB",   "Up 1/32 QB",
    "Up 1/32T"};
static_assert(allEntriesSet(FADE_ENV_TEMPO_SYNC_STR));

// Index 32 lacks " QB".
constexpr const char* const LFO_PERIOD_STR[LFO_PERIOD_COUNT] = {
    "Off",      "32/1* QB", "32/1 QB",  "32/1T QB", "16/1* QB", "16/1 QB", "16/1T QB",
    "8/1* QB",  "8/1 QB",   "8/1T QB",  "4/1* QB",  "4/1 QB",   "4/1T QB", "2/1* QB",
    "2/1 QB",   "2/1T QB",  "1/1* QB",  "1/1 QB",   "1/1T QB",  "1/2* QB", "1/2 QB",
    "1/2T QB",  "1/4* QB",  "1/4 QB",   "1/4T QB",  "1/8* QB",  "1/8 QB",  "1/8T QB",
    "1/16* QB", "1/16 QB",  "1/16T QB", "1/32* QB", "1/32",     "1/32T QB"};
static_assert(allEntriesSet(LFO_PERIOD_STR));

constexpr const char* const FX_PERIOD_STR[FX_PERIOD_COUNT] = {
    "Off",      "128/1* QB", "128/1 QB", "128/1T QB", "64/1* QB", "64/1 QB",  "64/1T QB",
    "32/1* QB", "32/1 QB",   "32/1T QB", "16/1* QB",  "16/1 QB",  "16/1T QB", "8/1* QB",
    "8/1 QB",   "8/1T QB",   "4/1* QB",  "4/1 QB",    "4/1T QB",  "2/1* QB",  "2/1 QB",
    "2/1T QB",  "1/1* QB",   "1/1 QB",   "1/1T QB",   "1/2* QB",  "1/2 QB",   "1/2T QB",
    "1/4* QB",  "1/4 QB",    "1/4T QB",  "1/8* QB",   "1/8 QB",   "1/8T QB"};
static_assert(allEntriesSet(FX_PERIOD_STR));

constexpr const char* const DELAY_LEN_STR[DELAY_LEN_COUNT] = {
    "1/32T QB", "1/32 QB", "1/32* QB", "1/16T QB", "1/16 QB", "1/16* QB", "1/8T QB", "1/8 QB",
    "1/8* QB",  "1/4T QB", "1/4 QB",   "1/4* QB",  "1/2T QB", "1/2 QB",   "1/2* QB"};
static_assert(allEntriesSet(DELAY_LEN_STR));

constexpr const char* const GATER_PERIOD_STR[GATER_PERIOD_COUNT] = {
    "Off",      "16/1* QB", "16/1 QB",  "16/1T QB", "8/1* QB",  "8/1 QB",  "8/1T QB",
    "4/1* QB",  "4/1 QB",   "4/1T QB",  "2/1* QB",  "2/1 QB",   "2/1T QB", "1/1* QB",
    "1/1 QB",   "1/1T QB",  "1/2* QB",  "1/2 QB",   "1/2T QB",  "1/4* QB", "1/4 QB",
    "1/4T QB",  "1/8* QB",  "1/8 QB",   "1/8T QB",  "1/16* QB", "1/16 QB", "1/16T QB",
    "1/32* QB", "1/32 QB",  "1/32T QB", "1/64* QB", "1/64 QB",  "1/64T QB"};
static_assert(allEntriesSet(GATER_PERIOD_STR));

constexpr const char* const UNI_DELAY_TEMPO_SYNC_STR[UNI_DELAY_TEMPO_SYNC_COUNT] = {
    "Off",     "1/128T QB", "1/128 QB", "1/128* QB", "1/64T QB", "1/64 QB", "1/64* QB", "1/32T QB",
    "1/32 QB", "1/32* QB",  "1/16T QB", "1/16 QB",   "1/16* QB", "1/8T QB", "1/8 QB",   "1/8* QB",
    "1/4T QB", "1/4 QB",    "1/4* QB",  "1/2T QB",   "1/2 QB",   "1/2* QB", "1/1T QB",  "1/1 QB",
    "1/1* QB", "2/1T QB",   "2/1 QB",   "2/1* QB",   "4/1T QB",  "4/1 QB",  "4/1* QB"};
static_assert(allEntriesSet(UNI_DELAY_TEMPO_SYNC_STR));

constexpr const char* const RIBBON_SPRING_TIME_STR[RIBBON_SPRING_TIME_COUNT] = {
    "Off",     "Instant",  "1/32T QB", "1/32 QB", "1/32* QB", "1/16T QB",
    "1/16 QB", "1/16* QB", "1/8T QB",  "1/8 QB",  "1/8* QB",  "1/4T QB",
    "1/4 QB",  "1/4* QB",  "1/2T QB",  "1/2 QB",  "1/2* QB",  "1 QB"};
static_assert(allEntriesSet(RIBBON_SPRING_TIME_STR));

constexpr const char* const RIBBON_QUANT_STR[RIBBON_QUANT_COUNT] = {
    "Off", "32", "24", "20", "16", "12", "10", "8", "6", "5", "4", "3", "2"};
static_assert(allEntriesSet(RIBBON_QUANT_STR));

constexpr const char* const LFO_WAVE_STR[LFO_WAVE_COUNT] = {
    "Sine",   "Triangle",        "Saw Up",      "Saw Down",
    "Square", "Sample And Hold", "User Wave 1", "User Wave 2"};
static_assert(allEntriesSet(LFO_WAVE_STR));

constexpr const char* const LFO_PHASE_STR[LFO_PHASE_COUNT] = {"0 Degrees", "90 Degrees",
                                                              "180 Degrees", "270 Degrees"};
static_assert(allEntriesSet(LFO_PHASE_STR));

constexpr const char* const LFO_PLAY_MODE_STR[LFO_PLAY_MODE_COUNT] = {"Poly", "Free", "Mono"};
static_assert(allEntriesSet(LFO_PLAY_MODE_STR));

constexpr const char* const LFO_12_MODE_STR[LFO_12_MODE_COUNT] = {
    "Add", "Sub", "Mix", "Mult", "Sign", "Max", "Min", "And", "Or", "Sync", "FM", "PM", "Morph"};
static_assert(allEntriesSet(LFO_12_MODE_STR));

constexpr const char* const ARP_STR[ARP_COUNT] = {"Arp A", "Arp B"};
static_assert(allEntriesSet(ARP_STR));

constexpr const char* const ARP_PLAY_MODE_STR[ARP_PLAY_MODE_COUNT] = {"Arp A", "Arp B", "Top",
                                                                      "Join"};
static_assert(allEntriesSet(ARP_PLAY_MODE_STR));

constexpr const char* const ARP_MODE_STR[ARP_MODE_COUNT] = {"Up",
                                                            "Down",
                                                            "Up / Down",
                                                            "Down / Up",
                                                            "Random",
                                                            "Ordered",
                                                            "Reverse Ordered",
                                                            "Ordered Up / Down",
                                                            "Ordered Down / Up",
                                                            "Chord",
                                                            "Sequencer",
                                                            "Sequence Restart",
                                                            "Sequence Legato",
                                                            "Mod Arp Free",
                                                            "Mod Arp Mono",
                                                            "Mod Arp Poly"};
static_assert(allEntriesSet(ARP_MODE_STR));

// Index 0 is "On", index 1 "Off".
constexpr const char* const ARP_LOOP_MODE_STR[ARP_LOOP_MODE_COUNT] = {"On", "Off", "PingPong"};
static_assert(allEntriesSet(ARP_LOOP_MODE_STR));

constexpr const char* const ARP_CATCHUP_STR[ARP_CATCHUP_COUNT] = {"All", "Even", "Odd"};
static_assert(allEntriesSet(ARP_CATCHUP_STR));

constexpr const char* const ARP_OCT_STR[ARP_OCT_COUNT] = {"1 Octave ", "2 Octaves", "3 Octaves",
                                                          "4 Octaves"};
static_assert(allEntriesSet(ARP_OCT_STR));

constexpr const char* const ARP_TIED_MODE_STR[ARP_TIED_MODE_COUNT] = {"Normal", "Special",
                                                                      "Toggle 1", "Toggle 2"};
static_assert(allEntriesSet(ARP_TIED_MODE_STR));

constexpr const char* const ARP_RATCHET_MODE_STR[ARP_RATCHET_MODE_COUNT] = {"Off",
                                                                            "On",
                                                                            "Off / On Cycle",
                                                                            "On/Off Cycle",
                                                                            "2 Off / 1 On Cycle",
                                                                            "3 Off / 1 On Cycle",
                                                                            "1 On / 2 Off Cycle",
                                                                            "1 On / 3 Off Cycle",
                                                                            "Velocity"};
static_assert(allEntriesSet(ARP_RATCHET_MODE_STR));

constexpr const char* const LOCK_STR[LOCK_COUNT] = {"Off", "On", "Set"};
static_assert(allEntriesSet(LOCK_STR));

constexpr const char* const ARP_LOOP_START_STR[ARP_LOOP_START_COUNT] = {
    "Step 01", "Step 02", "Step 03", "Step 04", "Step 05", "Step 06", "Step 07", "Step 08",
    "Step 09", "Step 10", "Step 11", "Step 12", "Step 13", "Step 14", "Step 15", "Step 16"};
static_assert(allEntriesSet(ARP_LOOP_START_STR));

constexpr const char* const ARP_STEPS_STR[ARP_STEPS_COUNT] = {
    "01 Step",  "02 Steps", "03 Steps", "04 Steps", "05 Steps", "06 Steps", "07 Steps", "08 Steps",
    "09 Steps", "10 Steps", "11 Steps", "12 Steps", "13 Steps", "14 Steps", "15 Steps", "16 Steps"};
static_assert(allEntriesSet(ARP_STEPS_STR));

constexpr const char* const ARP_SPEED_STR[ARP_SPEED_COUNT] = {
    "1/16x BPM", "1/12x BPM", "1/8x BPM", "1/6x BPM", "1/4x BPM", "1/3x BPM",
    "1/2x BPM",  "2/3x BPM",  "1x BPM",   "3/2x BPM", "2x BPM",   "3x BPM",
    "4x BPM",    "6x BPM",    "8x BPM",   "12x BPM",  "16x BPM"};
static_assert(allEntriesSet(ARP_SPEED_STR));

constexpr const char* const ARP_RATCHET_STR[ARP_RATCHET_COUNT] = {"Off", "2", "3", "4"};
static_assert(allEntriesSet(ARP_RATCHET_STR));

// Both replay modes show the same text.
constexpr const char* const XY_RECORD_MODE_STR[XY_RECORD_MODE_COUNT] = {"Live", "Replay", "Replay"};
static_assert(allEntriesSet(XY_RECORD_MODE_STR));

constexpr const char* const XY_LOOP_MODE_STR[XY_LOOP_MODE_COUNT] = {"Off", "On", "<>"};
static_assert(allEntriesSet(XY_LOOP_MODE_STR));

constexpr const char* const XY_PLAY_MODE_STR[XY_PLAY_MODE_COUNT] = {"Poly", "Free", "Mono"};
static_assert(allEntriesSet(XY_PLAY_MODE_STR));

constexpr const char* const XY_SPEED_STR[XY_SPEED_COUNT] = {
    "1/16x BPM", "1/12x BPM", "1/8x BPM", "1/6x BPM", "1/4x BPM", "1/3x BPM",
    "1/2x BPM",  "2/3x BPM",  "1x BPM",   "3/2x BPM", "2x BPM",   "3x BPM",
    "4x BPM",    "6x BPM",    "8x BPM",   "12x BPM",  "16x BPM"};
static_assert(allEntriesSet(XY_SPEED_STR));

constexpr const char* const REG_SCREEN_SIZE_STR[REG_SCREEN_SIZE_COUNT] = {"Big100", "Big125",
                                                                          "Big150", "Big200"};
static_assert(allEntriesSet(REG_SCREEN_SIZE_STR));

constexpr const char* const OFF_ON_STR[OFF_ON_COUNT] = {"Off", "On"};
static_assert(allEntriesSet(OFF_ON_STR));

constexpr const char* const SCREEN_SIZE_STR[SCREEN_SIZE_COUNT] = {"100% Screen", "125% Screen",
                                                                  "150% Screen", "200% Screen"};
static_assert(allEntriesSet(SCREEN_SIZE_STR));

constexpr const char* const SET_SCREEN_SIZE_STR[SET_SCREEN_SIZE_COUNT] = {
    "Set To 100% Screen Size", "Set To 125% Screen Size", "Set To 150% Screen Size",
    "Set To 200% Screen Size"};
static_assert(allEntriesSet(SET_SCREEN_SIZE_STR));

constexpr const char* const MIDI_IN_CHANNEL_STR[MIDI_IN_CHANNEL_COUNT] = {
    "Omni",  "CH 01", "CH 02", "CH 03", "CH 04", "CH 05", "CH 06", "CH 07", "CH 08",
    "CH 09", "CH 10", "CH 11", "CH 12", "CH 13", "CH 14", "CH 15", "CH 16"};
static_assert(allEntriesSet(MIDI_IN_CHANNEL_STR));

constexpr const char* const MIDI_OUT_CHANNEL_STR[MIDI_OUT_CHANNEL_COUNT] = {
    "Off",   "CH 01", "CH 02", "CH 03", "CH 04", "CH 05", "CH 06", "CH 07", "CH 08",
    "CH 09", "CH 10", "CH 11", "CH 12", "CH 13", "CH 14", "CH 15", "CH 16"};
static_assert(allEntriesSet(MIDI_OUT_CHANNEL_STR));

constexpr const char* const PRESET_SUB_HEADER_STR[PRESET_SUB_HEADER_COUNT] = {
    "Preset 1-32",    "Preset 33-64",   "Preset 65-96",   "Preset 97-128",
    "Preset 129-160", "Preset 161-192", "Preset 193-224", "Preset 225 - 256"};
static_assert(allEntriesSet(PRESET_SUB_HEADER_STR));

// "-" entries are menu separators; 23..26 repeat SET_SCREEN_SIZE_STR.

constexpr const char* const PRESET_COMMAND_STR[PRESET_COMMAND_COUNT] = {
    "Save Current Preset in Favorites",
    "Save Preset",
    "Save Preset As",
    "Save Preset In Folder",
    "Rename Preset",
    "Create New Preset",
    "Delete Preset",
    "Load Preset",
    "Default Preset",
    "Clear Preset",
    "-",
    "Copy Folder",
    "Rename Folder",
    "Create New Folder",
    "Delete Folder",
    "Open Gandrith",
    "-",
    "Revert to Original Preset",
    "Revert to Edited Preset",
    "-",
    "Convert ZEK Bank",
    "Convert ZEK Preset",
    "-",
    "Set To 100% Screen Size",
    "Set To 125% Screen Size",
    "Set To 150% Screen Size",
    "Set To 200% Screen Size"};
static_assert(allEntriesSet(PRESET_COMMAND_STR));
