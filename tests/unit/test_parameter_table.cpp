// Checks the parameter table's invariants after the engine's build order: fill, then rows.
// Runs on the test thread only.
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>

namespace {

struct BuiltTable {
    std::array<ParamDef, tag::Count> defs;
    std::array<int, tag::Count> timesDefined{};
    int outOfRange = 0;
};

// Mirrors the engine's build: every tag gets the fill, then each definition overwrites its tag
// and a negative zero argument becomes the default.
const BuiltTable& builtTable() {
    static const BuiltTable table = [] {
        BuiltTable t;
        for (int i = 0; i < tag::Count; ++i) defaultParamDef(i, t.defs[i]);
        forEachParamDef([&t](const ParamDef& def) {
            if (def.tag < 0 || def.tag >= tag::Count) {
                ++t.outOfRange;
                return;
            }
            ParamDef stored = def;
            stored.zero = def.zero >= 0.0f ? def.zero : def.defaultValue;
            t.defs[def.tag] = stored;
            ++t.timesDefined[def.tag];
        });
        return t;
    }();
    return table;
}

// The tags that no row or family defines, written out independently of the table.
bool isUndefinedTag(int t) {
    return t == 245 || t == 491 || t == 641 || t == 922 || (t >= 964 && t <= 1004) ||
           (t >= 1014 && t <= 1020);
}

int readStep(float value, float range, int num) {
    int i = static_cast<int>(value * range + 0.1f);
    if (i < 0) return 0;
    return i >= num ? num - 1 : i;
}

void expectRow(int t, const char* name, float def, bool onOff, int num, float range, int dest,
               int display, float zero) {
    const ParamDef& d = builtTable().defs[t];
    SCOPED_TRACE("tag " + std::to_string(t));
    EXPECT_EQ(d.tag, t);
    EXPECT_EQ(d.name, name);
    EXPECT_FLOAT_EQ(d.defaultValue, def);
    EXPECT_EQ(d.onOff, onOff);
    EXPECT_EQ(d.steppedNum, num);
    EXPECT_FLOAT_EQ(d.steppedRange, range);
    EXPECT_EQ(d.modDest, dest);
    EXPECT_EQ(d.displayType, display);
    EXPECT_FLOAT_EQ(d.zero, zero);
}

} // namespace

TEST(ParameterTable, EveryDefinedTagIsDefinedExactlyOnce) {
    const BuiltTable& t = builtTable();
    EXPECT_EQ(t.outOfRange, 0);
    int undefined = 0;
    int defined = 0;
    for (int i = 0; i < tag::Count; ++i) {
        if (isUndefinedTag(i)) {
            ++undefined;
            EXPECT_EQ(t.timesDefined[i], 0) << "tag " << i;
        } else {
            ++defined;
            EXPECT_EQ(t.timesDefined[i], 1) << "tag " << i;
        }
    }
    EXPECT_EQ(undefined, 52);
    EXPECT_EQ(defined, 1996);
}

TEST(ParameterTable, UndefinedTagsKeepTheFill) {
    const BuiltTable& t = builtTable();
    for (int i = 0; i < tag::Count; ++i) {
        if (!isUndefinedTag(i)) continue;
        const ParamDef& d = t.defs[i];
        SCOPED_TRACE("tag " + std::to_string(i));
        EXPECT_EQ(d.name, "Unused Parameter " + std::to_string(i + 1) + " N/A");
        EXPECT_EQ(d.defaultValue, 0.0f);
        EXPECT_EQ(d.zero, 0.0f);
        EXPECT_EQ(d.steppedNum, -1);
        EXPECT_EQ(d.steppedRange, 1.0f);
        EXPECT_EQ(d.displayType, 25);
        EXPECT_FALSE(d.onOff);
        EXPECT_EQ(d.modDest, 0);
    }
    EXPECT_EQ(t.defs[245].name, "Unused Parameter 246 N/A");
    EXPECT_EQ(t.defs[641].name, "Unused Parameter 642 N/A");
    EXPECT_EQ(t.defs[tag::ApplyPreset].name, "Unused Parameter 1019 N/A");
}

TEST(ParameterTable, DescriptorShapesAreConsistent) {
    const BuiltTable& t = builtTable();
    for (int i = 0; i < tag::Count; ++i) {
        if (isUndefinedTag(i)) continue;
        const ParamDef& d = t.defs[i];
        SCOPED_TRACE("tag " + std::to_string(i) + " " + d.name);
        EXPECT_EQ(d.onOff, d.displayType == 1);
        EXPECT_GE(d.displayType, 0);
        EXPECT_LE(d.displayType, 25);
        EXPECT_GE(d.defaultValue, 0.0f);
        EXPECT_LE(d.defaultValue, 1.0f);
        EXPECT_GE(d.modDest, 0);
        EXPECT_LE(d.modDest, 323);
        if (i == tag::MainVolume || i == tag::Osc1Volume || i == tag::Osc2Volume) {
            EXPECT_EQ(d.zero, 1.0f);
        } else {
            EXPECT_EQ(d.zero, d.defaultValue);
        }
        if (d.steppedNum == -1) {
            EXPECT_EQ(d.steppedRange, -1.0f);
            continue;
        }
        ASSERT_GE(d.steppedNum, 2);
        EXPECT_FALSE(d.onOff);
        if (i == tag::OscPath) {
            EXPECT_EQ(d.steppedNum, 720);
            EXPECT_EQ(d.steppedRange, 719.0f);
        } else if (i == tag::FxPath) {
            EXPECT_EQ(d.steppedNum, 120);
            EXPECT_EQ(d.steppedRange, 119.0f);
        } else {
            EXPECT_GE(d.steppedRange, d.steppedNum - 0.0101f);
        }
        // Every step written the stored way, clamped to 1.0 as a write does, reads back.
        for (int s = 0; s < d.steppedNum; ++s) {
            const float v = std::min((s + 0.1f) / d.steppedRange, 1.0f);
            ASSERT_EQ(readStep(v, d.steppedRange, d.steppedNum), s) << "step " << s;
        }
        EXPECT_EQ(readStep(1.0f, d.steppedRange, d.steppedNum), d.steppedNum - 1);
    }
    // Only "Main LFO Speed" is stepped among the modulatable sound settings.
    for (int i = tag::MainVolume; i <= tag::RibbonValue; ++i) {
        EXPECT_EQ(t.defs[i].steppedNum == -1, i != tag::MainLfoSpeed) << "tag " << i;
    }
}

TEST(ParameterTable, SteppedDefaultsReadAsTheirStep) {
    const BuiltTable& t = builtTable();
    const std::map<int, int> expected = {
        {tag::MainLfoSpeed, 0},
        {tag::PlayMode, 0},
        {tag::UnisonMode, 0},
        {tag::Osc1Octave, 4},
        {tag::Osc2Octave, 4},
        {tag::FilterType, 0},
        {tag::GaterSpeed, 14},
        {tag::GaterSteps, 15},
        {tag::MainLfoPlayMode, 2},
        {tag::MainLfoSpeedModSource, 2},
        {tag::RibbonSpringTime, 15},
        {tag::SeqStepsA, 15},
        {tag::SeqStepsA + tag::SeqStride, 15},
        {tag::SeqSpeedA, 8},
        {tag::SeqSpeedA + tag::SeqStride, 8},
        {tag::Xy1Sync, 17},
        {tag::Xy2Sync, 17},
        {tag::Xy1Speed, 8},
        {tag::Xy2Speed, 8},
        {tag::UserWave2Preset, 0},
    };
    for (const auto& [t0, step] : expected) {
        const ParamDef& d = t.defs[t0];
        EXPECT_EQ(readStep(d.defaultValue, d.steppedRange, d.steppedNum), step)
            << "tag " << t0 << " " << d.name;
    }
}

TEST(ParameterTable, NamesAreUniqueAmongDefinedTags) {
    const BuiltTable& t = builtTable();
    std::map<std::string, int> seen;
    for (int i = 0; i < tag::Count; ++i) {
        if (isUndefinedTag(i)) continue;
        auto [it, inserted] = seen.emplace(t.defs[i].name, i);
        EXPECT_TRUE(inserted) << "\"" << t.defs[i].name << "\" at " << i << " and " << it->second;
        EXPECT_FALSE(t.defs[i].name.empty());
    }
}

TEST(ParameterTable, SampleRows) {
    expectRow(0, "NONE", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(1, "Main Volume", 0.8f, false, -1, -1.0f, 1, 4, 1.0f);
    expectRow(12, "Osc 1 Volume", 0.748f, false, -1, -1.0f, 16, 5, 1.0f);
    expectRow(59, "Filter Vowel", 0.0f, false, -1, -1.0f, 117, 0, 0.0f);
    expectRow(93, "Mod FX Mix", 0.416667f, false, -1, -1.0f, 180, 9, 0.416667f);
    expectRow(123, "Main LFO Speed", 0.0f, false, 34, 33.99f, 254, 16, 0.0f);
    expectRow(127, "Ribbon Value", 0.5f, false, -1, -1.0f, 304, 3, 0.5f);
    expectRow(128, "Preset Parameter 129 N/A", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(244, "Preset Parameter 245 N/A", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(246, "Play Mode", 0.0f, false, 9, 9.99f, 0, 0, 0.0f);
    expectRow(250, "Unison Mode", 0.0f, false, 29, 29.99f, 0, 0, 0.0f);
    expectRow(256, "Brick Filter On/Off", 1.0f, true, -1, -1.0f, 0, 1, 1.0f);
    expectRow(282, "Osc 2 Mod Mode", 0.0f, false, 7, 19.99f, 0, 0, 0.0f);
    expectRow(294, "Filter Type", 0.0f, false, 43, 49.99f, 0, 0, 0.0f);
    expectRow(355, "Gater Left", 0.880211f, false, -1, -1.0f, 0, 0, 0.880211f);
    expectRow(367, "Main LFO Speed Mod Amount", 0.75f, false, -1, -1.0f, 323, 3, 0.75f);
    expectRow(368, "Main LFO Speed Mod Source", 0.019532776f, false, 106, 127.99f, 0, 23,
              0.019532776f);
    expectRow(379, "Mod Slot 1 Bypass On/Off", 0.0f, true, -1, -1.0f, 0, 1, 0.0f);
    expectRow(410, "Mod Slot 16 Source", 0.0f, false, 106, 127.99f, 0, 23, 0.0f);
    expectRow(443, "Mod Slot 1 Destination", 0.0f, false, 323, 399.99f, 0, 24, 0.0f);
    expectRow(475, "Mod Slot 1 Amount", 0.5f, false, -1, -1.0f, 307, 21, 0.5f);
    expectRow(490, "Mod Slot 16 Amount", 0.5f, false, -1, -1.0f, 322, 21, 0.5f);
    expectRow(492, "Arp On/Off", 0.0f, true, -1, -1.0f, 0, 1, 0.0f);
    expectRow(493, "Arp Play Mode", 0.0f, false, 4, 9.99f, 0, 0, 0.0f);
    expectRow(505, "Arp A Loop Start", 0.0f, false, 16, 15.99f, 237, 0, 0.0f);
    expectRow(646, "Arp B Swing", 0.0f, false, -1, -1.0f, 238, 2, 0.0f);
    expectRow(649, "Arp B Vel/Key", 0.0f, false, -1, -1.0f, 241, 2, 0.0f);
    expectRow(513, "Arp A Step 1  On/Off", 1.0f, true, -1, -1.0f, 0, 1, 1.0f);
    expectRow(529, "Arp A Step 1 Tied On/Off", 0.0f, true, -1, -1.0f, 0, 1, 0.0f);
    expectRow(576, "Arp A Step 16 Tune", 0.5f, false, -1, -1.0f, 0, 17, 0.5f);
    expectRow(650, "Arp B Step 1 On/Off", 1.0f, true, -1, -1.0f, 0, 1, 1.0f);
    expectRow(714, "Arp B Step 1 Velocity", 1.0f, false, -1, -1.0f, 0, 7, 1.0f);
    expectRow(777, "Arp B Step 16 Ratchet", 0.0f, false, 9, 9.99f, 0, 18, 0.0f);
    expectRow(782, "XY 1 Speed", 0.5f, false, 17, 16.99f, 39, 0, 0.5f);
    expectRow(794, "XY 1: Point 1 X", 0.5f, false, -1, -1.0f, 0, 3, 0.5f);
    expectRow(857, "XY 1: Point 32 Y", 0.5f, false, -1, -1.0f, 0, 3, 0.5f);
    expectRow(921, "XY 2: Point 32 Y", 0.5f, false, -1, -1.0f, 0, 3, 0.5f);
    expectRow(923, "Has Tuning On/Off", 0.0f, true, -1, -1.0f, 0, 1, 0.0f);
    expectRow(924, "Tuning Name Parameter 1 N/A", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(963, "Tuning Name Parameter 40 N/A", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(1012, "User Wave 1 Preset", 0.0f, false, 237, 511.99f, 0, 0, 0.0f);
    expectRow(1021, "Version", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(1022, "ZEK2", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(1023, "Dummy", 0.0f, false, -1, -1.0f, 0, 25, 0.0f);
    expectRow(1024, "User Wave 1: 1", 0.0f, false, -1, -1.0f, 0, 3, 0.0f);
    expectRow(1535, "User Wave 1: 512", 0.998046875f, false, -1, -1.0f, 0, 3, 0.998046875f);
    expectRow(1536, "User Wave 2: 1", 0.5f, false, -1, -1.0f, 0, 3, 0.5f);
    expectRow(2047, "User Wave 2: 512", 0.5f, false, -1, -1.0f, 0, 3, 0.5f);

    // The user-wave ramp is exact at every point, not just the ends.
    const BuiltTable& t = builtTable();
    for (int k = 0; k < tag::UserWavePointCount; ++k) {
        EXPECT_EQ(t.defs[tag::UserWave1First + k].defaultValue, k / 512.0f) << "point " << k;
    }
}

TEST(ParameterTable, FlagBandsAtTheirEdges) {
    const std::set<int> editTrue = {0, 1, 126, 246, 641, 1009, 1012, 1013, 1014, 1021, 1022};
    const std::set<int> editFalse = {-1, 127, 128, 245, 1010, 1011, 1023, 1024, 2047, 2048};
    for (int i : editTrue) EXPECT_TRUE(paramCountsAsEditBand(i)) << "tag " << i;
    for (int i : editFalse) EXPECT_FALSE(paramCountsAsEditBand(i)) << "tag " << i;

    const std::set<int> notifyTrue = {1, 127, 246, 641, 793, 1005, 1010, 1013};
    const std::set<int> notifyFalse = {-1, 0, 128, 245, 794, 923, 1004, 1014, 1022, 2047, 2048};
    for (int i : notifyTrue) EXPECT_TRUE(paramNotifiesEditorBand(i)) << "tag " << i;
    for (int i : notifyFalse) EXPECT_FALSE(paramNotifiesEditorBand(i)) << "tag " << i;

    // The exclusion list written out as numbers, so a wrong constant in the code shows.
    std::set<int> excluded = {259, 276, 306, 319, 332, 333, 335, 340, 343, 346,
                              347, 353, 368, 492, 778, 783, 784, 785, 786};
    for (int i = 791; i <= 921; ++i) excluded.insert(i);
    EXPECT_EQ(excluded.size(), 150u);
    for (int i = 0; i < tag::Count; ++i) {
        EXPECT_EQ(paramRandomizableBand(i), excluded.count(i) == 0) << "tag " << i;
    }
    EXPECT_FALSE(paramRandomizableBand(-1));
    EXPECT_FALSE(paramRandomizableBand(2048));
}

TEST(ParameterTable, RandomMaximum) {
    EXPECT_EQ(paramRandomMaxFor(-1, -1.0f), 1.0f);
    EXPECT_EQ(paramRandomMaxFor(-1, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(paramRandomMaxFor(9, 9.99f), 8.99f / 9.99f);
    EXPECT_FLOAT_EQ(paramRandomMaxFor(43, 49.99f), 42.99f / 49.99f);
    // The top random value of every stepped tag still reads as its last step, never beyond.
    const BuiltTable& t = builtTable();
    for (int i = 0; i < tag::Count; ++i) {
        const ParamDef& d = t.defs[i];
        if (d.steppedNum < 0) continue;
        const float top = paramRandomMaxFor(d.steppedNum, d.steppedRange);
        const float clamped = std::min(top, 1.0f);
        EXPECT_EQ(readStep(clamped, d.steppedRange, d.steppedNum), d.steppedNum - 1) << "tag " << i;
    }
}
