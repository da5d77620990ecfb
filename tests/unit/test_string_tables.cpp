// Unit tests of the global string tables: lengths that readers rely on, the structure tables
// beside them, entries with odd texts, and that every entry is a non-null plain-ASCII string.
// Runs on the test thread only.

#include "engine/params/StringTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct TableView {
    std::string name;
    const char* const* entries;
    std::size_t count;
};

template <std::size_t N>
void addTable(std::vector<TableView>& all, const char* name, const char* const (&table)[N]) {
    all.push_back({name, table, N});
}

template <std::size_t R, std::size_t C>
void addTable(std::vector<TableView>& all, const char* name, const char* const (&table)[R][C]) {
    for (std::size_t r = 0; r < R; ++r)
        all.push_back({std::string(name) + "[" + std::to_string(r) + "]", table[r], C});
}

#define ADD_TABLE(all, table) addTable(all, #table, table)

std::vector<TableView> allTables() {
    std::vector<TableView> all;
    ADD_TABLE(all, SRC_STR);
    ADD_TABLE(all, SRC_SHORT_STR);
    ADD_TABLE(all, SRC_SUB_STR);
    ADD_TABLE(all, DEST_STR);
    ADD_TABLE(all, DEST_SHORT_STR);
    ADD_TABLE(all, DEST_SUB_STR);
    ADD_TABLE(all, OSC_TYPE_STR);
    ADD_TABLE(all, OSC_OCT_STR);
    ADD_TABLE(all, OSC_MOD_MODE_STR);
    ADD_TABLE(all, FILTER_TYPE_STR);
    ADD_TABLE(all, FILTER_TYPE_SUB_STR);
    ADD_TABLE(all, FILTER_MULTI_1_STR);
    ADD_TABLE(all, FILTER_MULTI_2_STR);
    ADD_TABLE(all, FILTER_VOWEL_STR);
    ADD_TABLE(all, EQ_FILTER_TYPE_STR);
    ADD_TABLE(all, DISTORT_VOICE_MODE_STR);
    ADD_TABLE(all, DISTORT_FX_MODE_STR);
    ADD_TABLE(all, DISTORT_MODE_VAR_STR);
    ADD_TABLE(all, DISTORT_MODE_VAR_SHORT_STR);
    ADD_TABLE(all, DISTORT_MODE_LABEL_STR);
    ADD_TABLE(all, AMP_MODEL_STR);
    ADD_TABLE(all, CAB_MODEL_STR);
    ADD_TABLE(all, MOD_FX_MODE_STR);
    ADD_TABLE(all, MOD_FX_LABEL_STR);
    ADD_TABLE(all, RING_STR);
    ADD_TABLE(all, GATER_MODE_STR);
    ADD_TABLE(all, GATER_POS_STR);
    ADD_TABLE(all, GATER_STEPS_STR);
    ADD_TABLE(all, USER_WAVE_PRESET_STR);
    ADD_TABLE(all, USER_WAVE_SECTIONS_STR);
    ADD_TABLE(all, USER_WAVE_SHAPER_MODE_STR);
    ADD_TABLE(all, PLAY_MODE_STR);
    ADD_TABLE(all, PORT_MODE_STR);
    ADD_TABLE(all, UNI_MODE_STR);
    ADD_TABLE(all, PITCH_BEND_STR);
    ADD_TABLE(all, PITCH_BEND_SEMI_STR);
    ADD_TABLE(all, ENV_TEMPO_SYNC_STR);
    ADD_TABLE(all, FADE_ENV_TEMPO_SYNC_STR);
    ADD_TABLE(all, LFO_PERIOD_STR);
    ADD_TABLE(all, FX_PERIOD_STR);
    ADD_TABLE(all, DELAY_LEN_STR);
    ADD_TABLE(all, GATER_PERIOD_STR);
    ADD_TABLE(all, UNI_DELAY_TEMPO_SYNC_STR);
    ADD_TABLE(all, RIBBON_SPRING_TIME_STR);
    ADD_TABLE(all, RIBBON_QUANT_STR);
    ADD_TABLE(all, LFO_WAVE_STR);
    ADD_TABLE(all, LFO_PHASE_STR);
    ADD_TABLE(all, LFO_PLAY_MODE_STR);
    ADD_TABLE(all, LFO_12_MODE_STR);
    ADD_TABLE(all, ARP_STR);
    ADD_TABLE(all, ARP_PLAY_MODE_STR);
    ADD_TABLE(all, ARP_MODE_STR);
    ADD_TABLE(all, ARP_LOOP_MODE_STR);
    ADD_TABLE(all, ARP_CATCHUP_STR);
    ADD_TABLE(all, ARP_OCT_STR);
    ADD_TABLE(all, ARP_TIED_MODE_STR);
    ADD_TABLE(all, ARP_RATCHET_MODE_STR);
    ADD_TABLE(all, LOCK_STR);
    ADD_TABLE(all, ARP_LOOP_START_STR);
    ADD_TABLE(all, ARP_STEPS_STR);
    ADD_TABLE(all, ARP_SPEED_STR);
    ADD_TABLE(all, ARP_RATCHET_STR);
    ADD_TABLE(all, XY_RECORD_MODE_STR);
    ADD_TABLE(all, XY_LOOP_MODE_STR);
    ADD_TABLE(all, XY_PLAY_MODE_STR);
    ADD_TABLE(all, XY_SPEED_STR);
    ADD_TABLE(all, REG_SCREEN_SIZE_STR);
    ADD_TABLE(all, OFF_ON_STR);
    ADD_TABLE(all, SCREEN_SIZE_STR);
    ADD_TABLE(all, SET_SCREEN_SIZE_STR);
    ADD_TABLE(all, MIDI_IN_CHANNEL_STR);
    ADD_TABLE(all, MIDI_OUT_CHANNEL_STR);
    ADD_TABLE(all, PRESET_SUB_HEADER_STR);
    ADD_TABLE(all, PRESET_COMMAND_STR);
    return all;
}

// Index of the first entry equal to title, as a menu handler finds it; -1 when absent.
int firstIndexOf(const char* const* table, int count, const char* title) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(table[i], title) == 0) return i;
    return -1;
}

} // namespace

TEST(StringTables, CountsOfIndexedTables) {
    // The lengths that stepped parameters, source and destination numbers and menus index by.
    EXPECT_EQ(std::size(SRC_STR), 106u);
    EXPECT_EQ(std::size(SRC_SHORT_STR), 106u);
    EXPECT_EQ(std::size(SRC_SUB_STR), 4u);
    EXPECT_EQ(std::size(DEST_STR), 323u);
    EXPECT_EQ(std::size(DEST_SHORT_STR), 323u);
    EXPECT_EQ(std::size(DEST_SUB_STR), 22u);
    EXPECT_EQ(std::size(OSC_TYPE_STR), 8u);
    EXPECT_EQ(std::size(OSC_OCT_STR), 9u);
    EXPECT_EQ(std::size(OSC_MOD_MODE_STR), 7u);
    EXPECT_EQ(std::size(FILTER_TYPE_STR), 43u);
    EXPECT_EQ(std::size(FILTER_TYPE_SUB_STR), 6u);
    EXPECT_EQ(std::size(FILTER_MULTI_1_STR), 2u);
    EXPECT_EQ(std::size(FILTER_MULTI_2_STR), 3u);
    EXPECT_EQ(std::size(FILTER_VOWEL_STR), 5u);
    EXPECT_EQ(std::size(EQ_FILTER_TYPE_STR), 4u);
    EXPECT_EQ(std::size(DISTORT_VOICE_MODE_STR), 23u);
    EXPECT_EQ(std::size(DISTORT_FX_MODE_STR), 27u);
    EXPECT_EQ(sizeof(DISTORT_MODE_VAR_STR) / sizeof(const char*), 216u);
    EXPECT_EQ(sizeof(DISTORT_MODE_VAR_SHORT_STR) / sizeof(const char*), 216u);
    EXPECT_EQ(sizeof(DISTORT_MODE_LABEL_STR) / sizeof(const char*), 216u);
    EXPECT_EQ(std::size(DISTORT_MODE_VAR_STR[0]), 8u);
    EXPECT_EQ(std::size(AMP_MODEL_STR), 6u);
    EXPECT_EQ(std::size(CAB_MODEL_STR), 4u);
    EXPECT_EQ(std::size(MOD_FX_MODE_STR), 10u);
    EXPECT_EQ(sizeof(MOD_FX_LABEL_STR) / sizeof(const char*), 40u);
    EXPECT_EQ(std::size(MOD_FX_LABEL_STR[0]), 4u);
    EXPECT_EQ(std::size(RING_STR), 4u);
    EXPECT_EQ(std::size(GATER_MODE_STR), 2u);
    EXPECT_EQ(std::size(GATER_POS_STR), 2u);
    EXPECT_EQ(std::size(GATER_STEPS_STR), 16u);
    EXPECT_EQ(std::size(USER_WAVE_PRESET_STR), 237u);
    EXPECT_EQ(std::size(USER_WAVE_SECTIONS_STR), 9u);
    EXPECT_EQ(std::size(USER_WAVE_SHAPER_MODE_STR), 13u);
    EXPECT_EQ(std::size(PLAY_MODE_STR), 9u);
    EXPECT_EQ(std::size(PORT_MODE_STR), 5u);
    EXPECT_EQ(std::size(UNI_MODE_STR), 29u);
    EXPECT_EQ(std::size(PITCH_BEND_STR), 16u);
    EXPECT_EQ(std::size(PITCH_BEND_SEMI_STR), 16u);
    EXPECT_EQ(std::size(ENV_TEMPO_SYNC_STR), 31u);
    EXPECT_EQ(std::size(FADE_ENV_TEMPO_SYNC_STR), 61u);
    EXPECT_EQ(std::size(LFO_PERIOD_STR), 34u);
    EXPECT_EQ(std::size(FX_PERIOD_STR), 34u);
    EXPECT_EQ(std::size(DELAY_LEN_STR), 15u);
    EXPECT_EQ(std::size(GATER_PERIOD_STR), 34u);
    EXPECT_EQ(std::size(UNI_DELAY_TEMPO_SYNC_STR), 31u);
    EXPECT_EQ(std::size(RIBBON_SPRING_TIME_STR), 18u);
    EXPECT_EQ(std::size(RIBBON_QUANT_STR), 13u);
    EXPECT_EQ(std::size(LFO_WAVE_STR), 8u);
    EXPECT_EQ(std::size(LFO_PHASE_STR), 4u);
    EXPECT_EQ(std::size(LFO_PLAY_MODE_STR), 3u);
    EXPECT_EQ(std::size(LFO_12_MODE_STR), 13u);
    EXPECT_EQ(std::size(ARP_STR), 2u);
    EXPECT_EQ(std::size(ARP_PLAY_MODE_STR), 4u);
    EXPECT_EQ(std::size(ARP_MODE_STR), 16u);
    EXPECT_EQ(std::size(ARP_LOOP_MODE_STR), 3u);
    EXPECT_EQ(std::size(ARP_CATCHUP_STR), 3u);
    EXPECT_EQ(std::size(ARP_OCT_STR), 4u);
    EXPECT_EQ(std::size(ARP_TIED_MODE_STR), 4u);
    EXPECT_EQ(std::size(ARP_RATCHET_MODE_STR), 9u);
    EXPECT_EQ(std::size(LOCK_STR), 3u);
    EXPECT_EQ(std::size(ARP_LOOP_START_STR), 16u);
    EXPECT_EQ(std::size(ARP_STEPS_STR), 16u);
    EXPECT_EQ(std::size(ARP_SPEED_STR), 17u);
    EXPECT_EQ(std::size(ARP_RATCHET_STR), 4u);
    EXPECT_EQ(std::size(XY_RECORD_MODE_STR), 3u);
    EXPECT_EQ(std::size(XY_LOOP_MODE_STR), 3u);
    EXPECT_EQ(std::size(XY_PLAY_MODE_STR), 3u);
    EXPECT_EQ(std::size(XY_SPEED_STR), 17u);
    EXPECT_EQ(std::size(REG_SCREEN_SIZE_STR), 4u);
    EXPECT_EQ(std::size(OFF_ON_STR), 2u);
    EXPECT_EQ(std::size(SCREEN_SIZE_STR), 4u);
    EXPECT_EQ(std::size(SET_SCREEN_SIZE_STR), 4u);
    EXPECT_EQ(std::size(MIDI_IN_CHANNEL_STR), 17u);
    EXPECT_EQ(std::size(MIDI_OUT_CHANNEL_STR), 17u);
    EXPECT_EQ(std::size(PRESET_SUB_HEADER_STR), 8u);
    EXPECT_EQ(std::size(PRESET_COMMAND_STR), 27u);
}

TEST(StringTables, GroupBoundariesCoverTheirTables) {
    // Source groups: 39 + 28 + 21 + 17 sources, 1..105; source 0 in none.
    EXPECT_EQ(SRC_SUB_START[0], 1);
    EXPECT_EQ(SRC_SUB_START[SRC_SUB_COUNT], SRC_COUNT);
    const int srcSizes[SRC_SUB_COUNT] = {39, 28, 21, 17};
    for (int g = 0; g < SRC_SUB_COUNT; ++g)
        EXPECT_EQ(SRC_SUB_START[g + 1] - SRC_SUB_START[g], srcSizes[g]) << "source group " << g;

    // Destination groups: strictly increasing, 1..322; the oscillator groups hold 29 and 31.
    EXPECT_EQ(DEST_SUB_START[0], 1);
    EXPECT_EQ(DEST_SUB_START[DEST_SUB_COUNT], DEST_COUNT);
    for (int g = 0; g < DEST_SUB_COUNT; ++g)
        EXPECT_LT(DEST_SUB_START[g], DEST_SUB_START[g + 1]) << "destination group " << g;
    EXPECT_EQ(DEST_SUB_START[2] - DEST_SUB_START[1], 29);
    EXPECT_EQ(DEST_SUB_START[4] - DEST_SUB_START[3], 31);
    // Each destination group opens with its own heading's topic.
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[1]], "Osc 1 Volume");
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[8]], "Voice Distortion Mix");
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[10]], "Distortion FX Mix");
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[21]], "Modulation Slot 1 Amount");
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[21] - 1], "Ribbon Smooth");

    // Filter type groups: 1..42, type 0 ("Bypass") in none.
    EXPECT_EQ(FILTER_TYPE_SUB_START[0], 1);
    EXPECT_EQ(FILTER_TYPE_SUB_START[FILTER_TYPE_SUB_COUNT], FILTER_TYPE_COUNT);
    EXPECT_STREQ(FILTER_TYPE_STR[FILTER_TYPE_SUB_START[1]], "12 LP1");
    EXPECT_STREQ(FILTER_TYPE_STR[FILTER_TYPE_SUB_START[5]], "Vowel");
    EXPECT_STREQ(FILTER_TYPE_STR[FILTER_TYPE_COUNT - 1], "AM");

    // User-wave sections: 236 presets after "None".
    int sum = 0;
    for (int n : USER_WAVE_PRESETS_SECTION_NO) sum += n;
    EXPECT_EQ(sum + 1, USER_WAVE_PRESET_COUNT);
    EXPECT_STREQ(USER_WAVE_PRESET_STR[1], "Sine");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[1 + 6], "FAT_Saw");             // first of "Saw"
    EXPECT_STREQ(USER_WAVE_PRESET_STR[236 - 13 + 1], "Aah");          // first of "Vocal"
    EXPECT_STREQ(USER_WAVE_PRESET_STR[236 - 13 - 24 + 1], "BagPipe"); // first of "String / Wind"
}

TEST(StringTables, DistortionModeMapAndControlNames) {
    // Row 0 maps each voice distortion mode to the combined mode of the same name; row 1 is
    // the identity. A voice mode never reaches "Amp", "Cab", "Low-Fi" or "WaveShaper".
    for (int i = 0; i < DISTORT_VOICE_MODE_COUNT; ++i) {
        const int m = REAL_DISTORT_MODES[0][i];
        ASSERT_GE(m, 0);
        ASSERT_LT(m, DISTORT_FX_MODE_COUNT);
        EXPECT_STREQ(DISTORT_VOICE_MODE_STR[i], DISTORT_FX_MODE_STR[m]) << "voice mode " << i;
        EXPECT_TRUE(m != 0 && m != 3 && m != 13 && m != 26) << "voice mode " << i;
    }
    for (int i = 0; i < DISTORT_FX_MODE_COUNT; ++i) EXPECT_EQ(REAL_DISTORT_MODES[1][i], i);

    // Every row of full names belongs to its mode: "<mode> Mix" first, label "MIX".
    for (int m = 0; m < DISTORT_FX_MODE_COUNT; ++m) {
        const std::string mode = DISTORT_FX_MODE_STR[m];
        EXPECT_EQ(std::string(DISTORT_MODE_VAR_STR[m][0]), mode + " Mix") << "mode " << m;
        EXPECT_STREQ(DISTORT_MODE_LABEL_STR[m][0], "MIX") << "mode " << m;
        for (int k = 0; k < DISTORT_SLOTS_PER_MODE; ++k)
            EXPECT_EQ(std::string(DISTORT_MODE_VAR_STR[m][k]).rfind(mode + " ", 0), 0u)
                << "mode " << m << " slot " << k;
    }

    // Voice mode 0 shows "And" and names its controls from combined mode 1, not "Amp".
    EXPECT_STREQ(DISTORT_VOICE_MODE_STR[0], "And");
    EXPECT_STREQ(DISTORT_MODE_VAR_STR[REAL_DISTORT_MODES[0][0]][1], "And Pre-Boost");
    EXPECT_STREQ(DISTORT_MODE_VAR_STR[REAL_DISTORT_MODES[0][0]][2], "And Amount");
    // "Amp" and "Cab" keep slot 7 as a placeholder with an empty label; "Tube" has no pre-boost.
    EXPECT_STREQ(DISTORT_MODE_VAR_STR[0][7], "Amp 7");
    EXPECT_STREQ(DISTORT_MODE_LABEL_STR[0][7], "");
    EXPECT_STREQ(DISTORT_MODE_VAR_SHORT_STR[3][7], "Cab 7");
    EXPECT_STREQ(DISTORT_MODE_LABEL_STR[3][7], "");
    EXPECT_STREQ(DISTORT_MODE_VAR_STR[24][1], "Tube Limiter");
    EXPECT_STREQ(DISTORT_MODE_LABEL_STR[24][5], "EMPHSIS");
    EXPECT_STREQ(DISTORT_MODE_LABEL_STR[18][3], "DISTRT");
    // The longest control name, which the host name buffer must hold after "DistortFX ".
    EXPECT_STREQ(DISTORT_MODE_VAR_STR[26][6], "WaveShaper High Pass Filter Frequency");
    EXPECT_STREQ(DISTORT_MODE_VAR_SHORT_STR[26][7], "Wave Boost");
}

TEST(StringTables, ModulationVocabularyEdges) {
    EXPECT_STREQ(SRC_STR[0], "None");
    EXPECT_STREQ(SRC_SHORT_STR[0], "None");
    EXPECT_STREQ(DEST_STR[0], "None");
    EXPECT_STREQ(DEST_SHORT_STR[0], "None");
    EXPECT_STREQ(SRC_STR[SRC_COUNT - 1], "Pink UniPolar Noise");
    EXPECT_STREQ(SRC_SHORT_STR[SRC_COUNT - 1], "Pink Uni Noise");
    EXPECT_STREQ(DEST_STR[DEST_COUNT - 1], "Modulation Slot 16 Amount");
    EXPECT_STREQ(DEST_SHORT_STR[DEST_COUNT - 1], "Mod Slot 16 Amount");

    // Trailing blanks are part of the texts.
    for (int s : {8, 10, 16, 61, 86, 88})
        EXPECT_EQ(SRC_STR[s][std::strlen(SRC_STR[s]) - 1], ' ') << "source " << s;
    EXPECT_STREQ(SRC_STR[8], "Note UniPolar Random 1 ");
    EXPECT_STREQ(SRC_STR[88], "Arp Smoothed Free 2 ");
    EXPECT_STREQ(SRC_SHORT_STR[19], "CC2 ");
    EXPECT_STREQ(SRC_SHORT_STR[61], "Main Uni LFO ");
    EXPECT_STREQ(SRC_SHORT_STR[86], "Arp Smth Free 1");

    // Spellings that differ from their neighbours.
    EXPECT_STREQ(SRC_STR[6], "Center Note");
    EXPECT_STREQ(SRC_SHORT_STR[6], "Centre Note");
    EXPECT_STREQ(SRC_SHORT_STR[63], "Free Uni LFO 1");
    EXPECT_STREQ(SRC_SHORT_STR[65], "Free LFO Uni 2");
    EXPECT_STREQ(DEST_SUB_STR[5], "FIlter");
    EXPECT_STREQ(DEST_SHORT_STR[20], "Osc1 Octave");
    EXPECT_STREQ(DEST_SHORT_STR[68], "Osc2 Oct");
    EXPECT_STREQ(DEST_STR[76], "Osc 2 Mod Amount");
    EXPECT_STREQ(DEST_STR[77], "Osc 2 Sync");
    EXPECT_STREQ(DEST_SHORT_STR[128], "Main LFO>Filter Freq");
    EXPECT_STREQ(DEST_STR[158], "Voice Distortion Mix");
    EXPECT_STREQ(DEST_STR[165], "Distortion 7");
    EXPECT_STREQ(DEST_STR[179], "Distortion FX Pan");
    EXPECT_STREQ(SRC_SUB_STR[0], "MIDI Mod Sources");
    EXPECT_STREQ(SRC_SUB_STR[3], "Output / Other Mod Sources");

    // Menus recognise a chosen source or destination by its title, first match winning, so
    // every title must be unique within its table.
    const struct {
        const char* name;
        const char* const* table;
        int count;
    } menus[] = {{"SRC_STR", SRC_STR, SRC_COUNT},
                 {"SRC_SHORT_STR", SRC_SHORT_STR, SRC_COUNT},
                 {"DEST_STR", DEST_STR, DEST_COUNT},
                 {"DEST_SHORT_STR", DEST_SHORT_STR, DEST_COUNT}};
    for (const auto& menu : menus)
        for (int i = 0; i < menu.count; ++i)
            EXPECT_EQ(firstIndexOf(menu.table, menu.count, menu.table[i]), i)
                << menu.name << " entry " << i << " \"" << menu.table[i] << "\"";
}

TEST(StringTables, SoundVocabularyEdges) {
    EXPECT_STREQ(OSC_OCT_STR[0], "-4");
    EXPECT_STREQ(OSC_OCT_STR[4], "0");
    EXPECT_STREQ(OSC_OCT_STR[8], "4");
    EXPECT_STREQ(FILTER_TYPE_STR[0], "Bypass");
    EXPECT_STREQ(FILTER_TYPE_STR[15], "12 Multi LP / HP");
    EXPECT_STREQ(FILTER_TYPE_STR[32], "24 Multi LP / BP / HP");
    EXPECT_STREQ(FILTER_VOWEL_STR[4], "U");

    // The tape modes repeat their plain twins; unused controls read "N/A".
    for (int k = 0; k < MOD_FX_CONTROLS_PER_MODE; ++k) {
        EXPECT_STREQ(MOD_FX_LABEL_STR[1][k], MOD_FX_LABEL_STR[0][k]);
        EXPECT_STREQ(MOD_FX_LABEL_STR[3][k], MOD_FX_LABEL_STR[2][k]);
    }
    EXPECT_STREQ(MOD_FX_LABEL_STR[5][0], "Phaser Frequency");
    EXPECT_STREQ(MOD_FX_LABEL_STR[7][3], "Tremolo N/A");
    EXPECT_STREQ(MOD_FX_LABEL_STR[8][3], "AutoPan N/A");
    EXPECT_STREQ(MOD_FX_LABEL_STR[9][3], "RingMod Fine");
    EXPECT_STREQ(MOD_FX_MODE_STR[9], "Ring Modulation");

    EXPECT_STREQ(GATER_STEPS_STR[0], "01 Step");
    EXPECT_STREQ(GATER_STEPS_STR[1], "02 Steps");
    EXPECT_STREQ(GATER_STEPS_STR[15], "16 Steps");

    // User-wave presets: the doubled titles resolve to their lower index.
    EXPECT_STREQ(USER_WAVE_PRESET_STR[0], "None");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[84], "Octave ");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[149], "Octave ");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[99], "Tri_Number ");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[231], "Vocal");
    EXPECT_STREQ(USER_WAVE_PRESET_STR[236], "Vocal");
    EXPECT_EQ(firstIndexOf(USER_WAVE_PRESET_STR, USER_WAVE_PRESET_COUNT, "Octave "), 84);
    EXPECT_EQ(firstIndexOf(USER_WAVE_PRESET_STR, USER_WAVE_PRESET_COUNT, "Vocal"), 231);
    EXPECT_EQ(firstIndexOf(USER_WAVE_PRESET_STR, USER_WAVE_PRESET_COUNT, "Octave"), -1);
    EXPECT_STREQ(USER_WAVE_SECTIONS_STR[7], "String / Wind");
    EXPECT_STREQ(USER_WAVE_SHAPER_MODE_STR[12], "Bits");
}

TEST(StringTables, TimingAndPerformanceVocabularyEdges) {
    EXPECT_STREQ(ENV_TEMPO_SYNC_STR[0], "Off");
    EXPECT_STREQ(ENV_TEMPO_SYNC_STR[30], "16/1* QB");
    EXPECT_STREQ(UNI_DELAY_TEMPO_SYNC_STR[1], "1/128T QB");
    EXPECT_STREQ(UNI_DELAY_TEMPO_SYNC_STR[30], "4/1* QB");
    EXPECT_STREQ(DELAY_LEN_STR[0], "1/32T QB");
    EXPECT_STREQ(DELAY_LEN_STR[14], "1/2* QB");
    EXPECT_STREQ(FADE_ENV_TEMPO_SYNC_STR[0], "Down 1/32T QB");
    EXPECT_STREQ(FADE_ENV_TEMPO_SYNC_STR[30], "Off");
    EXPECT_STREQ(FADE_ENV_TEMPO_SYNC_STR[31], "Up 16/1* QB");
    EXPECT_STREQ(FADE_ENV_TEMPO_SYNC_STR[60], "Up 1/32T");
    EXPECT_STREQ(LFO_PERIOD_STR[1], "32/1* QB");
    EXPECT_STREQ(LFO_PERIOD_STR[32], "1/32");
    EXPECT_STREQ(LFO_PERIOD_STR[33], "1/32T QB");
    EXPECT_STREQ(GATER_PERIOD_STR[33], "1/64T QB");
    EXPECT_STREQ(FX_PERIOD_STR[1], "128/1* QB");
    EXPECT_STREQ(FX_PERIOD_STR[33], "1/8T QB");
    EXPECT_STREQ(RIBBON_SPRING_TIME_STR[1], "Instant");
    EXPECT_STREQ(RIBBON_SPRING_TIME_STR[17], "1 QB");
    EXPECT_STREQ(RIBBON_QUANT_STR[12], "2");

    EXPECT_STREQ(PLAY_MODE_STR[8], "Arp");
    EXPECT_STREQ(UNI_MODE_STR[28], "Minor Major 7");
    EXPECT_STREQ(PITCH_BEND_STR[13], "24 Semi");
    EXPECT_STREQ(PITCH_BEND_SEMI_STR[15], "48 Semi-tones");
    EXPECT_STREQ(LFO_WAVE_STR[5], "Sample And Hold");
    EXPECT_STREQ(LFO_12_MODE_STR[12], "Morph");

    EXPECT_STREQ(ARP_LOOP_MODE_STR[0], "On");
    EXPECT_STREQ(ARP_LOOP_MODE_STR[1], "Off");
    EXPECT_STREQ(ARP_OCT_STR[0], "1 Octave ");
    EXPECT_STREQ(ARP_OCT_STR[1], "2 Octaves");
    EXPECT_STREQ(ARP_RATCHET_MODE_STR[3], "On/Off Cycle");
    EXPECT_STREQ(ARP_RATCHET_MODE_STR[8], "Velocity");
    EXPECT_STREQ(ARP_LOOP_START_STR[0], "Step 01");
    EXPECT_STREQ(ARP_LOOP_START_STR[15], "Step 16");
    EXPECT_STREQ(ARP_STEPS_STR[0], "01 Step");
    EXPECT_STREQ(ARP_STEPS_STR[15], "16 Steps");
    EXPECT_STREQ(ARP_SPEED_STR[8], "1x BPM");
    EXPECT_STREQ(ARP_RATCHET_STR[0], "Off");
    EXPECT_STREQ(ARP_RATCHET_STR[3], "4");

    EXPECT_STREQ(XY_RECORD_MODE_STR[1], "Replay");
    EXPECT_STREQ(XY_RECORD_MODE_STR[2], "Replay");
    EXPECT_STREQ(XY_LOOP_MODE_STR[2], "<>");
    for (int i = 0; i < XY_SPEED_COUNT; ++i) EXPECT_STREQ(XY_SPEED_STR[i], ARP_SPEED_STR[i]);
}

TEST(StringTables, SettingsKeysAndPresetCommands) {
    EXPECT_STREQ(REG_AUTO_LIMIT_STR, "AutoLimit");
    EXPECT_STREQ(REG_MIDI_IN_CHANNEL_STR, "MIDIChannel");
    EXPECT_STREQ(REG_MIDI_OUT_CHANNEL_STR, "MIDIOutChannel");
    EXPECT_STREQ(REG_MIDI_SPRING_CHANNEL_STR, "MIDISpring");
    EXPECT_STREQ(REG_DIAL_ANIMATION_STR, "Animation");
    EXPECT_STREQ(REG_SCREEN_SIZE_STR[0], "Big100");
    EXPECT_STREQ(REG_SCREEN_SIZE_STR[3], "Big200");
    // The preferences store keeps one value per key: the keys must be distinct.
    std::set<std::string> keys = {
        REG_MIDI_PRESET_STR,     REG_MIDI_BANK_STR,        REG_MIDI_CAPTURE_STR,
        REG_MIDI_IN_CHANNEL_STR, REG_MIDI_OUT_CHANNEL_STR, REG_MIDI_SPRING_CHANNEL_STR,
        REG_KEYBOARD_STR,        REG_DRAG_AND_DROP_STR,    REG_TOOL_TIP_STR,
        REG_DIAL_ANIMATION_STR,  REG_SHOW_XY_MOD_STR,      REG_AUTO_LIMIT_STR};
    for (const char* key : REG_SCREEN_SIZE_STR) keys.insert(key);
    EXPECT_EQ(keys.size(), 16u);

    EXPECT_STREQ(OFF_ON_STR[0], "Off");
    EXPECT_STREQ(OFF_ON_STR[1], "On");
    EXPECT_STREQ(MIDI_IN_CHANNEL_STR[0], "Omni");
    EXPECT_STREQ(MIDI_OUT_CHANNEL_STR[0], "Off");
    EXPECT_STREQ(MIDI_IN_CHANNEL_STR[1], "CH 01");
    EXPECT_STREQ(MIDI_OUT_CHANNEL_STR[16], "CH 16");
    EXPECT_STREQ(SCREEN_SIZE_STR[2], "150% Screen");
    EXPECT_STREQ(PRESET_SUB_HEADER_STR[0], "Preset 1-32");
    EXPECT_STREQ(PRESET_SUB_HEADER_STR[6], "Preset 193-224");
    EXPECT_STREQ(PRESET_SUB_HEADER_STR[7], "Preset 225 - 256");

    EXPECT_STREQ(PRESET_COMMAND_STR[0], "Save Current Preset in Favorites");
    EXPECT_STREQ(PRESET_COMMAND_STR[PRESET_COMMAND_CLEAR], "Clear Preset");
    for (int i : {10, 16, 19, 22}) EXPECT_STREQ(PRESET_COMMAND_STR[i], "-") << "entry " << i;
    for (int s = 0; s < SCREEN_SIZE_COUNT; ++s)
        EXPECT_STREQ(PRESET_COMMAND_STR[PRESET_COMMAND_SCREEN_SIZE_FIRST + s],
                     SET_SCREEN_SIZE_STR[s]);
    EXPECT_STREQ(SET_SCREEN_SIZE_STR[0], "Set To 100% Screen Size");
    // The preset menu's handler compares titles: the five commands it offers are unique.
    for (int i : {9, 23, 24, 25, 26})
        EXPECT_EQ(firstIndexOf(PRESET_COMMAND_STR, PRESET_COMMAND_COUNT, PRESET_COMMAND_STR[i]), i);
}

TEST(StringTables, EveryEntryIsPlainAscii) {
    for (const TableView& t : allTables()) {
        for (std::size_t i = 0; i < t.count; ++i) {
            const char* text = t.entries[i];
            ASSERT_NE(text, nullptr) << t.name << " entry " << i;
            for (const char* c = text; *c != '\0'; ++c)
                EXPECT_TRUE(*c >= 0x20 && *c < 0x7f) << t.name << " entry " << i;
        }
    }
    // Slot value texts, "DistortFX " + a short control name included, stay under 32 characters.
    for (const char* text : SRC_SHORT_STR) EXPECT_LT(std::strlen(text), 32u) << text;
    for (const char* text : DEST_SHORT_STR) EXPECT_LT(std::strlen(text), 32u) << text;
    for (const auto& row : DISTORT_MODE_VAR_SHORT_STR)
        for (const char* text : row) EXPECT_LT(std::strlen(text) + 10, 32u) << text;
    // Host names: "DistortFX " + the longest full control name is 47 characters.
    for (const auto& row : DISTORT_MODE_VAR_STR)
        for (const char* text : row) EXPECT_LE(std::strlen(text) + 10, 47u) << text;
    for (const char* key :
         {REG_MIDI_PRESET_STR, REG_MIDI_BANK_STR, REG_MIDI_CAPTURE_STR, REG_MIDI_IN_CHANNEL_STR,
          REG_MIDI_OUT_CHANNEL_STR, REG_MIDI_SPRING_CHANNEL_STR, REG_KEYBOARD_STR,
          REG_DRAG_AND_DROP_STR, REG_TOOL_TIP_STR, REG_DIAL_ANIMATION_STR, REG_SHOW_XY_MOD_STR,
          REG_AUTO_LIMIT_STR}) {
        ASSERT_NE(key, nullptr);
        EXPECT_GT(std::strlen(key), 0u);
    }
}
