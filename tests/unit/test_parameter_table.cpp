// The descriptors an engine holds after construction: names, defaults, zero values, steps,
// switches and the randomisation bounds, read through the engine's own accessors and used
// through its write roads, so that a fault in the descriptor build shows.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

const APlugin& engine() {
    static const std::unique_ptr<APlugin> shared = std::make_unique<APlugin>(nullptr);
    return *shared;
}

bool isUnused(const std::string& name) {
    return name.rfind("Unused Parameter ", 0) == 0;
}

} // namespace

TEST(ParameterTable, NamesAreUniqueAndUndefinedTagsSayTheyAreUnused) {
    const APlugin& e = engine();
    std::map<std::string, int> seen;
    int unused = 0;
    for (int t = 0; t < tag::Count; ++t) {
        const std::string& name = e.getParamName(t);
        ASSERT_FALSE(name.empty()) << "tag " << t;
        if (isUnused(name)) {
            ++unused;
            EXPECT_EQ(name, "Unused Parameter " + std::to_string(t + 1) + " N/A");
            EXPECT_EQ(e.getDefaultValue(t), 0.0f) << name;
            EXPECT_EQ(e.getSteppedNum(t), -1) << name;
            EXPECT_EQ(e.getDisplayType(t), 25) << name;
            continue;
        }
        auto [it, inserted] = seen.emplace(name, t);
        EXPECT_TRUE(inserted) << "\"" << name << "\" at " << t << " and " << it->second;
    }
    // Holes: 245, 491, 641, 922, 964..1004, 1014..1020 (1018 is the apply trigger).
    EXPECT_EQ(unused, 52);
    EXPECT_EQ(e.getParamName(tag::ApplyPreset), "Unused Parameter 1019 N/A");
    EXPECT_EQ(e.getParamName(-1), "");
    EXPECT_EQ(e.getParamName(tag::Count), "");
}

TEST(ParameterTable, DefaultsAndZeroValuesAreStoredValues) {
    const APlugin& e = engine();
    for (int t = 0; t < tag::Count; ++t) {
        SCOPED_TRACE("tag " + std::to_string(t) + " " + e.getParamName(t));
        const float d = e.getDefaultValue(t);
        ASSERT_TRUE(d >= 0.0f && d <= 1.0f);
        // A switch is exactly off or on.
        EXPECT_EQ(e.getIsOnOff(t), e.getDisplayType(t) == 1);
        if (e.getIsOnOff(t)) {
            EXPECT_TRUE(d == 0.0f || d == 1.0f);
        }
        // The zero value is the default but for the three volumes, whose zero is full scale.
        const bool volume = t == tag::MainVolume || t == tag::Osc1Volume || t == tag::Osc2Volume;
        EXPECT_EQ(e.getZeroValue(t), volume ? 1.0f : d);
        EXPECT_TRUE(e.getDestForTag(t) >= 0 && e.getDestForTag(t) <= 323);
    }
    // A few rows whose values the sound relies on.
    EXPECT_FLOAT_EQ(e.getDefaultValue(tag::MainVolume), 0.8f);
    EXPECT_FLOAT_EQ(e.getDefaultValue(tag::Osc1Volume), 0.748f);
    EXPECT_EQ(e.getDefaultValue(tag::BrickFilterOn), 1.0f);
    EXPECT_EQ(e.getDefaultValue(tag::UserWave1First), 0.0f);
    EXPECT_EQ(e.getDefaultValue(tag::UserWave1First + 256), 0.5f); // a rising ramp
    EXPECT_EQ(e.getDefaultValue(tag::UserWave1First + 511), 511.0f / 512.0f);
    EXPECT_EQ(e.getDefaultValue(tag::UserWave1First + 512), 0.5f); // wave 2 is flat
    EXPECT_EQ(e.getSteppedValue(tag::Osc1Octave, e.getDefaultValue(tag::Osc1Octave)), 4);
    EXPECT_EQ(e.getSteppedValue(tag::GaterSteps, e.getDefaultValue(tag::GaterSteps)), 15);
    EXPECT_EQ(e.getSteppedValue(tag::Xy1Sync, e.getDefaultValue(tag::Xy1Sync)), 17);
}

TEST(ParameterTable, EveryStepOfEverySteppedTagReadsBackThroughTheWriteRoad) {
    auto e = std::make_unique<APlugin>(nullptr);
    int stepped = 0;
    for (int t = 0; t < tag::Count; ++t) {
        const int num = e->getSteppedNum(t);
        if (num < 0) continue;
        ++stepped;
        SCOPED_TRACE("tag " + std::to_string(t) + " " + e->getParamName(t));
        ASSERT_GE(num, 2);
        EXPECT_FALSE(e->getIsOnOff(t));
        // The range is at least the count but for the two paths, whose last step is 1.0.
        if (t == tag::OscPath || t == tag::FxPath)
            EXPECT_EQ(e->getSteppedRange(t), num - 1.0f);
        else
            EXPECT_GE(e->getSteppedRange(t), num - 0.0101f);
        for (int s = 0; s < num; ++s) {
            e->setSteppedValue(t, s);
            ASSERT_EQ(e->getSteppedValue(t), s) << "step " << s;
        }
        e->setParameter(t, 1.0f);
        EXPECT_EQ(e->getSteppedValue(t), num - 1);
        // The largest random value still reads as the last step, never beyond.
        e->setParameter(t, e->getRandomMax(t));
        EXPECT_EQ(e->getSteppedValue(t), num - 1);
    }
    EXPECT_GT(stepped, 100);
    // Among the modulatable sound settings only "Main LFO Speed" is stepped.
    for (int t = tag::MainVolume; t <= tag::RibbonValue; ++t)
        EXPECT_EQ(e->getSteppedNum(t) > 0, t == tag::MainLfoSpeed) << "tag " << t;
    EXPECT_EQ(e->getSteppedNum(tag::OscPath), 720);
    EXPECT_EQ(e->getSteppedNum(tag::FxPath), 120);
    EXPECT_EQ(e->getSteppedNum(tag::FilterType), 43);
}

TEST(ParameterTable, SwitchesSnapAndFlagsFollowTheirBands) {
    auto e = std::make_unique<APlugin>(nullptr);
    int switches = 0;
    for (int t = 0; t < tag::Count; ++t) {
        if (!e->getIsOnOff(t)) continue;
        ++switches;
        e->setParameter(t, 0.49f);
        ASSERT_EQ(e->getParameter(t), 0.0f) << "tag " << t;
        e->setParameter(t, 0.5f);
        ASSERT_EQ(e->getParameter(t), 1.0f) << "tag " << t;
    }
    EXPECT_GT(switches, 100);

    // Edges of the bands: what counts as an edit, what reaches the editor, what randomises.
    for (int t : {0, 1, 126, 246, 1009, 1012, 1022}) EXPECT_TRUE(e->getCountsAsEdit(t)) << t;
    for (int t : {127, 128, 245, 1010, 1011, 1023, 1024, 2047})
        EXPECT_FALSE(e->getCountsAsEdit(t)) << t;
    for (int t : {1, 127, 246, 793, 1005, 1013}) EXPECT_TRUE(e->getNotifiesEditor(t)) << t;
    for (int t : {0, 128, 794, 923, 1014, 2047}) EXPECT_FALSE(e->getNotifiesEditor(t)) << t;
    for (int t : {tag::Osc1On, tag::PreEqOn, tag::ArpOn, tag::Xy1RecordMode, 791, 921})
        EXPECT_FALSE(e->getRandomizable(t)) << t;
    for (int t : {tag::MainVolume, tag::FilterType, 790, 922, 2047})
        EXPECT_TRUE(e->getRandomizable(t)) << t;
    EXPECT_FALSE(e->getCountsAsEdit(-1));
    EXPECT_FALSE(e->getRandomizable(tag::Count));
}
