// Properties of the global string tables that the code relies on but does not state: menus
// find an entry by its title, so titles must be unique; the group starts cover their tables;
// the distortion mode map names the same mode twice; a destination's unit and a source's
// polarity agree with their names; the engine's named source and destination indexes name
// what the tables name. Counts are the tables' own static_asserts.
#include "engine/modulation/ModIndices.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

// Index of the first entry equal to title, as a menu handler finds it; -1 when absent.
int firstIndexOf(const char* const* table, int count, const char* title) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(table[i], title) == 0) return i;
    return -1;
}

bool contains(const char* text, const char* part) {
    return std::strstr(text, part) != nullptr;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(StringTables, EveryMenuTitleFindsItsOwnEntry) {
    const struct {
        const char* name;
        const char* const* table;
        int count;
    } menus[] = {{"SRC_STR", SRC_STR, SRC_COUNT},
                 {"SRC_SHORT_STR", SRC_SHORT_STR, SRC_COUNT},
                 {"DEST_STR", DEST_STR, DEST_COUNT},
                 {"DEST_SHORT_STR", DEST_SHORT_STR, DEST_COUNT},
                 {"FILTER_TYPE_STR", FILTER_TYPE_STR, FILTER_TYPE_COUNT},
                 {"DISTORT_VOICE_MODE_STR", DISTORT_VOICE_MODE_STR, DISTORT_VOICE_MODE_COUNT},
                 {"DISTORT_FX_MODE_STR", DISTORT_FX_MODE_STR, DISTORT_FX_MODE_COUNT},
                 {"MOD_FX_MODE_STR", MOD_FX_MODE_STR, MOD_FX_MODE_COUNT},
                 {"PLAY_MODE_STR", PLAY_MODE_STR, PLAY_MODE_COUNT},
                 {"UNI_MODE_STR", UNI_MODE_STR, UNI_MODE_COUNT},
                 {"LFO_PERIOD_STR", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
                 {"FADE_ENV_TEMPO_SYNC_STR", FADE_ENV_TEMPO_SYNC_STR, FADE_ENV_TEMPO_SYNC_COUNT},
                 {"ARP_MODE_STR", ARP_MODE_STR, ARP_MODE_COUNT},
                 {"ARP_SPEED_STR", ARP_SPEED_STR, ARP_SPEED_COUNT}};
    for (const auto& menu : menus)
        for (int i = 0; i < menu.count; ++i)
            EXPECT_EQ(firstIndexOf(menu.table, menu.count, menu.table[i]), i)
                << menu.name << " entry " << i << " \"" << menu.table[i] << "\"";

    // The doubled titles that do exist resolve to their first entry.
    EXPECT_EQ(firstIndexOf(USER_WAVE_PRESET_STR, USER_WAVE_PRESET_COUNT, "Octave "), 84);
    EXPECT_EQ(firstIndexOf(USER_WAVE_PRESET_STR, USER_WAVE_PRESET_COUNT, "Vocal"), 231);
    EXPECT_EQ(firstIndexOf(XY_RECORD_MODE_STR, XY_RECORD_MODE_COUNT, "Replay"), 1);
    // The preset menu's five commands are distinct from each other and from the separators.
    for (int i : {9, 23, 24, 25, 26})
        EXPECT_EQ(firstIndexOf(PRESET_COMMAND_STR, PRESET_COMMAND_COUNT, PRESET_COMMAND_STR[i]), i);
}

TEST(StringTables, GroupStartsCoverTheirTablesInOrder) {
    auto coversInOrder = [](const int* starts, int groups, int count) {
        if (starts[0] != 1 || starts[groups] != count) return false;
        for (int g = 0; g < groups; ++g)
            if (starts[g] >= starts[g + 1]) return false;
        return true;
    };
    EXPECT_TRUE(coversInOrder(SRC_SUB_START, SRC_SUB_COUNT, SRC_COUNT));
    EXPECT_TRUE(coversInOrder(DEST_SUB_START, DEST_SUB_COUNT, DEST_COUNT));
    EXPECT_TRUE(coversInOrder(FILTER_TYPE_SUB_START, FILTER_TYPE_SUB_COUNT, FILTER_TYPE_COUNT));
    int presets = 0;
    for (int n : USER_WAVE_PRESETS_SECTION_NO) presets += n;
    EXPECT_EQ(presets + 1, USER_WAVE_PRESET_COUNT); // "None" lies in no section
    // A group's first entry belongs to its heading, not to the previous group.
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[1]], "Osc 1 Volume");
    EXPECT_STREQ(DEST_STR[DEST_SUB_START[21]], "Modulation Slot 1 Amount");
    EXPECT_STREQ(FILTER_TYPE_STR[FILTER_TYPE_SUB_START[5]], "Vowel");
}

TEST(StringTables, DistortionModeMapNamesTheSameModeTwice) {
    // Row 0 maps each voice distortion mode to the combined mode of the same name; the voice
    // distortion never reaches "Amp", "Cab", "Low-Fi" or "WaveShaper". Row 1 is the identity.
    for (int i = 0; i < DISTORT_VOICE_MODE_COUNT; ++i) {
        const int m = REAL_DISTORT_MODES[0][i];
        ASSERT_GE(m, 0);
        ASSERT_LT(m, DISTORT_FX_MODE_COUNT);
        EXPECT_STREQ(DISTORT_VOICE_MODE_STR[i], DISTORT_FX_MODE_STR[m]) << "voice mode " << i;
        EXPECT_TRUE(m != 0 && m != 3 && m != 13 && m != 26) << "voice mode " << i;
    }
    for (int i = 0; i < DISTORT_FX_MODE_COUNT; ++i) EXPECT_EQ(REAL_DISTORT_MODES[1][i], i);

    // Every control name of a mode begins with the mode's name; slot 0 is its mix.
    for (int m = 0; m < DISTORT_FX_MODE_COUNT; ++m) {
        const std::string mode = DISTORT_FX_MODE_STR[m];
        EXPECT_EQ(std::string(DISTORT_MODE_VAR_STR[m][0]), mode + " Mix") << "mode " << m;
        EXPECT_STREQ(DISTORT_MODE_LABEL_STR[m][0], "MIX") << "mode " << m;
        for (int k = 0; k < DISTORT_SLOTS_PER_MODE; ++k)
            EXPECT_EQ(std::string(DISTORT_MODE_VAR_STR[m][k]).rfind(mode + " ", 0), 0u)
                << "mode " << m << " slot " << k;
    }
    // The tape modes share the controls of their plain twins.
    for (int k = 0; k < MOD_FX_CONTROLS_PER_MODE; ++k) {
        EXPECT_STREQ(MOD_FX_LABEL_STR[1][k], MOD_FX_LABEL_STR[0][k]);
        EXPECT_STREQ(MOD_FX_LABEL_STR[3][k], MOD_FX_LABEL_STR[2][k]);
    }
}

TEST(StringTables, DestinationUnitsAndSourcePolarityAgreeWithTheirNames) {
    for (int d = 0; d < DEST_COUNT; ++d) {
        const std::string name = DEST_STR[d];
        SCOPED_TRACE("destination " + std::to_string(d) + " " + name);
        const bool octaves = contains(DEST_STR[d], "Octave");
        const bool speed = endsWith(name, " Speed") || name == "Unison Delay";
        const bool semitones =
            endsWith(name, " Semi") || endsWith(name, " Sub Tune") || name == "Global Pitch";
        const int unit = modDestUnit(d);
        EXPECT_EQ(unit == MOD_UNIT_OCTAVES, octaves);
        EXPECT_EQ(unit == MOD_UNIT_SPEED, speed);
        EXPECT_EQ(unit == MOD_UNIT_SEMITONES, semitones);
    }
    // Past the table, and for the one extra destination of the main LFO's speed amount, percent.
    EXPECT_EQ(modDestUnit(DEST_COUNT), MOD_UNIT_PERCENT);
    EXPECT_EQ(modDestUnit(-1), MOD_UNIT_PERCENT);

    for (int s = 0; s < SRC_COUNT; ++s) {
        SCOPED_TRACE("source " + std::to_string(s) + " " + SRC_STR[s]);
        // A unipolar twin never swings below zero; the bipolar LFOs and pad axes keep the
        // slot's offset, every other bipolar source has none.
        if (contains(SRC_STR[s], "UniPolar")) {
            EXPECT_FALSE(modSrcIsBipolar(s));
        }
        const bool lfoOrAxis =
            contains(SRC_STR[s], "LFO") || endsWith(SRC_STR[s], " X") || endsWith(SRC_STR[s], " Y");
        if (modSrcIsBipolar(s)) {
            EXPECT_EQ(modSrcHasNoOffset(s), !lfoOrAxis);
        }
        EXPECT_TRUE(!modSrcHasNoOffset(s) || modSrcIsBipolar(s));
    }
    // Each bipolar LFO or noise is followed by its unipolar twin.
    for (int s : {56, 60, 62, 66, 102, 104}) {
        EXPECT_TRUE(modSrcIsBipolar(s)) << SRC_STR[s];
        EXPECT_TRUE(contains(SRC_STR[s + 1], "UniPolar")) << SRC_STR[s + 1];
    }
    EXPECT_FALSE(modSrcIsBipolar(-1));
    EXPECT_FALSE(modSrcHasNoOffset(MOD_SRC_TABLE_SIZE));
}

// The engine reads and writes the matrix rows by these names; each must point at the entry its
// name says (one wrong number modulates or publishes the wrong thing, silently).
TEST(StringTables, NamedSourcesAndDestinationsAreTheEntriesTheySay) {
    const std::pair<int, const char*> sources[] = {
        {src::ModWheel, "Mod Wheel"},
        {src::ModWheelOrAftertouch, "Mod Wheel / Aftertouch"},
        {src::ChannelAftertouch, "Channel Aftertouch"},
        {src::PolyAftertouch, "Poly Aftertouch"},
        {src::CenterNote, "Center Note"},
        {src::Velocity, "Velocity"},
        {src::PitchBend, "Pitchbend"},
        {src::ControllerFirst, "CC 2 (Breath)"},
        {src::ControllerLast, "CC 114"},
        {src::Osc1AmpEnv, "Osc 1 Amp Envelope"},
        {src::Osc2AmpEnv, "Osc 2 Amp Envelope"},
        {src::FilterEnv, "Filter Envelope"},
        {src::AmpEnv, "Amp Envelope"},
        {src::AmpEnv + 1, "Amp Inverse Envelope"},
        {src::FreeEnv1, "Free Envelope 1"},
        {src::FreeEnv2 + 1, "Free Inverse Envelope 2"},
        {src::MainLfo, "Main LFO"},
        {src::MainLfoUni, "Main UniPolar LFO "},
        {src::Osc1ZekX, "Osc 1 Zek X"},
        {src::Osc2ZekX, "Osc 2 Zek X"},
        {src::Osc2ZekX + src::ZekSourceCount - 1, "Osc 2 Zek Distance"},
        {src::GaterLeft, "Gater Left"},
        {src::GaterAverage, "Gater Average"},
        {src::PathOutputFirst, "Filter Output"},
        {src::PathOutputFirst + 5, "Post-EQ Output"},
        {src::VoiceOutput, "Voice Output"},
        {src::Offset, "Offset"},
    };
    for (const auto& [index, name] : sources) EXPECT_STREQ(SRC_STR[index], name) << index;

    const std::pair<int, const char*> dests[] = {
        {dest::VoiceVolume, "Voice Volume"},
        {dest::VelocityShape, "Velocity Shape"},
        {dest::GlobalPitch, "Global Pitch"},
        {dest::GlobalFinePitch, "Global Fine Pitch"},
        {dest::GlobalEnvSpeed, "Global Envelope Speed"},
        {dest::GlobalLfoSpeed, "Global LFO Speed"},
        {dest::UnisonAmount, "Unison Amount"},
        {dest::UnisonSpread, "Unison Spread"},
        {dest::FilterPan, "Filter Pan"},
        {dest::FilterEnvSpeed, "Filter Envelope Speed"},
        {dest::GaterMix, "Gater Mix"},
        {dest::GaterPan, "Gater Pan"},
        {dest::AmpEnvSpeed, "Amp Envelope Speed"},
        {dest::FreeEnv1Speed, "Free Envelope 1 Speed"},
        {dest::FreeEnv1KeyTrack, "Free Envelope 1 Key Track"},
        {dest::FreeEnv1VelocityTrack, "Free Envelope 1 Velocity Track"},
        {dest::FreeEnv2Speed, "Free Envelope 2 Speed"},
        {dest::FreeEnv2KeyTrack, "Free Envelope 2 Key Track"},
        {dest::FreeEnv2VelocityTrack, "Free Envelope 2 Velocity Track"},
        {dest::AmpEnvAttackShape + 2, "Amp Envelope Release Shape"},
        {dest::FilterEnvAttackShape, "Filter Envelope Attack Shape"},
        {dest::FreeEnv1AttackShape + 1, "Free Envelope 1 Decay Shape"},
        {dest::FreeEnv2AttackShape + 2, "Free Envelope 2 Release Shape"},
    };
    for (const auto& [index, name] : dests) EXPECT_STREQ(DEST_STR[index], name) << index;

    // Each oscillator destination names oscillator 1's entry and, through oscDest, oscillator
    // 2's: the same text with "Osc 2".
    const int perOsc[] = {
        oscdest::Volume,         oscdest::Octave,        oscdest::Spread,
        oscdest::DownSpread,     oscdest::ZekX,          oscdest::ZekLfoX,
        oscdest::ZekLfoY,        oscdest::ZekSpeed,      oscdest::SubVolume,
        oscdest::LfoSpeed,       oscdest::LfoKeyTrack,   oscdest::AmpEnvSpeed,
        oscdest::AmpEnvKeyTrack, oscdest::PitchEnvSpeed, oscdest::PitchEnvKeyTrack};
    for (int d : perOsc) {
        std::string second = DEST_STR[d];
        ASSERT_EQ(second.rfind("Osc 1 ", 0), 0u) << DEST_STR[d];
        second[4] = '2';
        EXPECT_EQ(DEST_STR[oscDest(1, d)], second);
    }
}
