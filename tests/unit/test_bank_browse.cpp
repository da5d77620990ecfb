// Browsing a preset bank, the compare of as-loaded and edited sound, and the init patch, on
// the engine directly with a small bank of the test's own.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kMainVolume = 1;

struct FourPresetBank {
    float values[4][kNumParams] = {};
    const char* names[4] = {"Zero", "One", "Two", "Three"};
    PresetBank bank{4, values, names};
    explicit FourPresetBank(const APlugin& engine) {
        for (int p = 0; p < 4; ++p) {
            for (int t = 0; t < kNumParams; ++t) values[p][t] = engine.getDefaultValue(t);
            values[p][kMainVolume] = 0.1f * float(p + 1);
            values[p][tag::UserWave1First] = 0.05f * float(p + 1);
            for (int i = 0; names[p][i]; ++i)
                values[p][tag::PresetNameFirst + i] = charStoredValue(names[p][i]);
        }
    }
};

struct Fixture {
    std::unique_ptr<APlugin> engine = std::make_unique<APlugin>(nullptr);
    FourPresetBank bank{*engine};
    Fixture() { engine->usePresetBank(bank.bank); }
    void apply() { engine->setPresetParameters(); }
};

} // namespace

TEST(BankBrowse, SteppingStopsAtBothEndsAndRefusesOutOfRangeSelections) {
    Fixture f;
    f.engine->setDemoProgram(0);
    f.engine->changeDemoProgramDelta(-1);
    EXPECT_EQ(f.engine->getBuiltinPresetIndex(), 0);
    f.engine->changeDemoProgramDelta(+500);
    EXPECT_EQ(f.engine->getBuiltinPresetIndex(), 3);
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.4f);
    f.engine->changeDemoProgramDelta(+1);
    EXPECT_EQ(f.engine->getBuiltinPresetIndex(), 3);
    f.engine->changeDemoProgramDelta(-2147483647);
    EXPECT_EQ(f.engine->getBuiltinPresetIndex(), 0);

    f.engine->setDemoProgram(2);
    f.engine->setDemoProgram(4);
    f.engine->setDemoProgram(-1);
    EXPECT_EQ(f.engine->getBuiltinPresetIndex(), 2);
    EXPECT_TRUE(f.engine->getPendingPresetApply());

    char name[64] = "untouched";
    EXPECT_TRUE(f.engine->getDemoName(1, name));
    EXPECT_STREQ(name, "One");
    EXPECT_FALSE(f.engine->getDemoName(-1, name));
    EXPECT_FALSE(f.engine->getDemoName(4, name));
    EXPECT_STREQ(name, "One");
}

TEST(BankBrowse, CompareThereAndBackReturnsTheEditedValues) {
    Fixture f;
    f.engine->setDemoProgram(1);
    f.apply();
    f.engine->setParameter(kMainVolume, 0.9f);
    f.engine->setParameter(tag::UserWave1First, 0.99f);
    f.engine->setParameter(2047, 0.42f);
    ASSERT_TRUE(f.engine->getEditChanged());

    f.engine->origProgram();
    EXPECT_FALSE(f.engine->getEditChanged());
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.2f);
    EXPECT_FLOAT_EQ(f.engine->getParameter(tag::UserWave1First), 0.1f);

    f.engine->editProgram();
    EXPECT_TRUE(f.engine->getEditChanged());
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.9f);
    EXPECT_FLOAT_EQ(f.engine->getParameter(tag::UserWave1First), 0.99f);
    EXPECT_FLOAT_EQ(f.engine->getParameter(2047), 0.42f);

    // The same through the file commands.
    f.engine->doFileCommands(11);
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.2f);
    f.engine->doFileCommands(12);
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.9f);
    f.engine->doFileCommands(99);
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.9f);
}

TEST(BankBrowse, InitPatchKeepsTheNameAndMarksTheSoundEdited) {
    Fixture f;
    f.engine->setDemoProgram(3);
    f.apply();
    ASSERT_FALSE(f.engine->getEditChanged());
    f.engine->clearProgram();
    EXPECT_TRUE(f.engine->getEditChanged());
    EXPECT_EQ(f.engine->getStringFromParamStr(tag::PresetNameFirst, tag::PresetNameCount), "Three");
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), f.engine->getDefaultValue(kMainVolume));
    // Compare still returns to the preset as loaded.
    f.engine->origProgram();
    EXPECT_FLOAT_EQ(f.engine->getParameter(kMainVolume), 0.4f);
}
