// The stage names and short value names of the style tables. Constant arrays of literals:
// nothing to build at load or free at unload; read on the user-interface thread.
#include "controls/StyleTables.h"

#include "engine/tables/PathPermutations.h"

const char* const PATH_STR[PATH_STR_COUNT] = {"FILTER", "PRE-EQ",       "WAVESHAPER", "DISTORTION",
                                              "LOW-FI", "POST-EQ",      "DISTORT",    "MOD FX",
                                              "GATER",  "STEREO DELAY", "REVERB"};

const char* pathStageName(int path, int unit) {
    if (path < 0 || path > 1 || unit < 0 || unit >= PATH_NUM[path]) return "";
    return PATH_STR[(path == 0 ? 0 : PATH_NUM[0]) + unit];
}

const char* const FILTER_TYPE_SHORT_STR[FILTER_TYPE_SHORT_COUNT] = {
    "Bypass",    "6 LP",    "6 HP",  "12 LP1", "12 HP1", "12 BP1", "12 N1",  "12 LP2",
    "12 HP2",    "12 BP2",  "12 N2", "12 LPZ", "12 HPZ", "12 BPZ", "12 NZ",  "12 LP/HP",
    "12 L/B/HP", "18 LP",   "18 HP", "24 LP",  "24 HP",  "24 BP",  "24 N",   "24 LP2",
    "24 HP2",    "24 BP2",  "24 N2", "24 LPZ", "24 HPZ", "24 BPZ", "24 NZ",  "24 LP/HP",
    "24 L/B/HP", "36 LP",   "36 HP", "Vowel",  "Form2",  "Form4",  "Comb +", "Comb -",
    "Comb +/-",  "RingMod", "AM"};

const char* const UNI_MODE_SHORT_STR[UNI_MODE_SHORT_COUNT] = {
    "Off",    "2",      "3",        "4",     "5",      "6",     "2 Oct",    "3 Oct",
    "2 SP",   "3 SP",   "Maj",      "Fifth", "Sus 4",  "Sus 2", "Maj Add9", "Maj 6",
    "Maj 7",  "Min",    "Min Add9", "Min 6", "Min b6", "Min 7", "Min 7b5",  "Dom 7",
    "7 Sus4", "Dimshd", "Dim 7",    "Aug",   "MinMaj7"};

const char* const OSC_TYPE_SHORT_STR[OSC_TYPE_SHORT_COUNT] = {
    "Sine", "Saw", "Square", "Triangle", "User 1", "User 2", "W. Noise", "P. Noise"};

const char* const LFO_WAVE_SHORT_STR[LFO_WAVE_SHORT_COUNT] = {"Sine",   "Tri", "Saw U", "Saw D",
                                                              "Square", "S&H", "User1", "User2"};

const char* const LFO_PHASE_SHORT_STR[LFO_PHASE_SHORT_COUNT] = {"0 Degs", "90 Degs", "180 Degs",
                                                                "270 Degs"};

const char* const ARP_MODE_SHORT_STR[ARP_MODE_SHORT_COUNT] = {
    "Up",         "Down",      "Up/Down",   "Down/Up", "Random", "Ordered",
    "Rev Order",  "Order U/D", "Order D/U", "Chord",   "Seq",    "Seq Restart",
    "Seq Legato", "Mod Free",  "Mod Mono",  "Mod Poly"};

const char* const ARP_STEPS_SHORT_STR[ARP_STEPS_SHORT_COUNT] = {
    "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12", "13", "14", "15", "16"};

const char* const ARP_RATCHET_MODE_SHORT_STR[ARP_RATCHET_MODE_SHORT_COUNT] = {
    "Off", "On", "Off/On", "On/Off", "2/1 Off/On", "3/1 Off/On", "1/2 On/Off", "1/3 On/Off", "Vel"};

// Each column of the matrix ends where the next begins, at every size.
constexpr bool modColumnsMeet() {
    for (int s = 0; s < SCREEN_SIZE_COUNT; ++s)
        for (int c = 0; c + 1 < MOD_COLUMN_COUNT; ++c)
            if (MOD_COL_END[s][c] != MOD_COL_START[s][c + 1]) return false;
    return true;
}
static_assert(modColumnsMeet(), "modulation matrix columns must meet");
