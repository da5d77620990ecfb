// The engine's parameter model used directly: stepped and on/off rules, the edit test, copy and
// swap, random values, text held in tags, and selecting programs from a bank of the test's own.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

std::unique_ptr<APlugin> makeEngine() {
    return std::make_unique<APlugin>(nullptr);
}

constexpr int kPortamentoMode = 247; // 5 steps, range 4.99
constexpr int kPitchBendDown = 248;  // 16 steps, range 15.99
constexpr int kMainVolume = 1;       // continuous, counts as an edit
constexpr int kPreEqOn = 306;        // a switch left out of randomisation

// A small bank of this test's own: three presets, two of them with the same name.
struct TestBank {
    float values[3][kNumParams] = {};
    const char* names[3] = {"Alpha", "Twin", "Twin"};
    PresetBank bank{3, values, names};
    explicit TestBank(const APlugin& engine) {
        for (int p = 0; p < 3; ++p) {
            for (int t = 0; t < kNumParams; ++t) values[p][t] = engine.getDefaultValue(t);
            values[p][kMainVolume] = 0.1f * float(p + 1);
            const char* name = names[p];
            for (int i = 0; name[i]; ++i)
                values[p][tag::PresetNameFirst + i] = charStoredValue(name[i]);
        }
    }
};

} // namespace

TEST(ParameterModel, SteppedRuleAtTheEndsOfTheRange) {
    EXPECT_EQ(APlugin::getSteppedValue(1.0f, 15.99f, 16), 15);
    EXPECT_EQ(APlugin::getSteppedValue(-0.5f, 15.99f, 16), 0);
    EXPECT_EQ(APlugin::getSteppedValue(5.0f, 15.99f, 16), 15);

    auto engine = makeEngine();
    engine->setSteppedValue(kPortamentoMode, 9);
    EXPECT_FLOAT_EQ(engine->getParameter(kPortamentoMode), 4.1f / 4.99f);
    EXPECT_EQ(engine->getSteppedValue(kPortamentoMode), 4);
    engine->setSteppedValue(kPortamentoMode, -3);
    EXPECT_FLOAT_EQ(engine->getParameter(kPortamentoMode), 0.1f / 4.99f);
    EXPECT_EQ(engine->getSteppedValue(kPortamentoMode), 0);
    engine->setSteppedValueMax(kPitchBendDown);
    EXPECT_EQ(engine->getSteppedValue(kPitchBendDown), 15);

    // A continuous tag has no steps.
    engine->setParameter(kMainVolume, 0.7f);
    EXPECT_EQ(engine->getSteppedValue(kMainVolume), 0);
    engine->setSteppedValue(kMainVolume, 3);
    EXPECT_FLOAT_EQ(engine->getParameter(kMainVolume), 0.7f);
    EXPECT_EQ(engine->getSteppedValue(-1), 0);

    EXPECT_TRUE(APlugin::getOnOff(0.5f));
    engine->setParameter(kMainVolume, 0.5f);
    engine->toggleValue(kMainVolume);
    EXPECT_EQ(engine->getParameter(kMainVolume), 0.0f);
}

TEST(ParameterModel, EditTestThresholds) {
    auto engine = makeEngine();
    TestBank bank(*engine);
    engine->usePresetBank(bank.bank);
    engine->setProgram(0);
    engine->setPresetParameters();
    ASSERT_FALSE(engine->getEditChanged());
    const float loaded = engine->getOrigValue(kMainVolume);

    engine->setParameter(kMainVolume, loaded + 0.00005f); // below the threshold
    EXPECT_FALSE(engine->getEditChanged());
    engine->setParameter(kMainVolume, loaded + 0.001f);
    EXPECT_TRUE(engine->getEditChanged());
    engine->setParameter(kMainVolume, loaded); // back on the loaded value: stays edited
    EXPECT_TRUE(engine->getEditChanged());

    // Tags that never count as an edit leave it alone.
    auto fresh = makeEngine();
    fresh->usePresetBank(bank.bank);
    fresh->setProgram(0);
    fresh->setPresetParameters();
    fresh->setParameter(tag::RibbonValue, 0.9f);
    fresh->setParameter(tag::UserWave1UsePartialsOn, 1.0f);
    EXPECT_FALSE(fresh->getEditChanged());
    // Selecting another program leaves the edited state as it was.
    engine->setProgram(0);
    engine->setPresetParameters();
    EXPECT_TRUE(engine->getEditChanged());
}

TEST(ParameterModel, CopyAndSwapNeverTouchTheDummyTag) {
    auto engine = makeEngine();
    engine->setParameter(5, 0.25f);
    engine->setParameter(tag::Dummy, 0.75f);
    engine->copyParameter(5, tag::Dummy);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Dummy), 0.75f);
    engine->swapParameter(tag::Dummy, 5);
    EXPECT_FLOAT_EQ(engine->getParameter(5), 0.25f);
    engine->copyParameter(-1, 5);
    EXPECT_FLOAT_EQ(engine->getParameter(5), 0.25f);

    engine->setParameter(6, 0.5f);
    engine->swapParameter(5, 6);
    EXPECT_FLOAT_EQ(engine->getParameter(5), 0.5f);
    EXPECT_FLOAT_EQ(engine->getParameter(6), 0.25f);

    engine->setParameter(1022, 0.1f);
    engine->copyParameterRange(1020, 1021, 3); // 1020->1021, 1021->1022, skips 1022->1023
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Dummy), 0.75f);
    engine->copyParameterToRange(5, 1020, 1030);
    EXPECT_FLOAT_EQ(engine->getParameter(1030), 0.5f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::Dummy), 0.75f);
}

TEST(ParameterModel, RandomValuesRespectSwitchesAndTheExclusionList) {
    auto engine = makeEngine();
    engine->setParameter(kPreEqOn, 1.0f);
    engine->setRandomValue(kPreEqOn, false);
    EXPECT_EQ(engine->getParameter(kPreEqOn), 1.0f);
    EXPECT_FALSE(engine->getEditorRefreshPending());

    for (int i = 0; i < 50; ++i) {
        engine->setRandomValue(kPreEqOn, true);
        const float v = engine->getParameter(kPreEqOn);
        EXPECT_TRUE(v == 0.0f || v == 1.0f);
        engine->setRandomValue(kPitchBendDown, false);
        EXPECT_LE(engine->getSteppedValue(kPitchBendDown), 15);
    }
    EXPECT_TRUE(engine->getEditorRefreshPending());
}

TEST(ParameterModel, TextHeldInTagsIsCleanedAndBounded) {
    auto engine = makeEngine();
    engine->setStringFromParam("A:B/C", tag::PresetNameFirst, tag::PresetNameCount);
    EXPECT_EQ(engine->getStringFromParamStr(tag::PresetNameFirst, tag::PresetNameCount), "A-B C");
    for (int t = tag::PresetNameFirst + 5; t < tag::PresetNameFirst + tag::PresetNameCount; ++t)
        EXPECT_EQ(engine->getParameter(t), 0.0f);

    const std::string forty(40, 'x');
    engine->setStringFromParam(forty, tag::PresetNameFirst, tag::PresetNameCount);
    EXPECT_EQ(engine->getStringFromParamStr(tag::PresetNameFirst, tag::PresetNameCount),
              std::string(27, 'x'));

    // An empty place is skipped, not the end of the text; bytes outside ASCII become empty.
    engine->setStringFromParam("A\x01"
                               "B\xC3",
                               210, 5);
    EXPECT_EQ(engine->getStringFromParamStr(210, 5), "AB");
    // Runs that reach past the last tag stop there.
    engine->setStringFromParam("abcdef", 2045, 6);
    EXPECT_EQ(engine->getStringFromParamStr(2045, 6), "abc");
}

TEST(ParameterModel, ProgramsAreFoundByNameAndNamesFitTheHostBuffer) {
    auto engine = makeEngine();
    TestBank bank(*engine);
    engine->usePresetBank(bank.bank);

    engine->setStringFromParam("Twin", tag::PresetNameFirst, tag::PresetNameCount);
    engine->setProgram(0);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), 2); // the later of two equal names
    EXPECT_FLOAT_EQ(engine->getParameter(kMainVolume), 0.3f);
    EXPECT_TRUE(engine->getPendingPresetApply());

    engine->setStringFromParam("Nobody", tag::PresetNameFirst, tag::PresetNameCount);
    engine->setProgram(0);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), 0);

    engine->setProgram(1); // there is one program
    EXPECT_EQ(engine->getBuiltinPresetIndex(), 0);
}

TEST(ParameterModel, ApplyingAProgramClearsPerformanceSwitchesAndKeepsItsValues) {
    auto engine = makeEngine();
    TestBank bank(*engine);
    engine->usePresetBank(bank.bank);
    engine->setStringFromParam("Alpha", tag::PresetNameFirst, tag::PresetNameCount);
    engine->setProgram(0);
    engine->setPresetParameters();

    engine->setParameter(tag::ArpKeyEntryOn, 1.0f);
    engine->setParameter(tag::Xy1RecordMode, (1 + 0.1f) / 2.99f);
    engine->setParameter(kMainVolume, 0.66f);
    engine->setParameter(tag::ApplyPreset, 1.0f);
    EXPECT_TRUE(engine->getPendingPresetApply());
    engine->setPresetParameters();
    EXPECT_FALSE(engine->getPendingPresetApply());
    EXPECT_EQ(engine->getParameter(tag::ArpKeyEntryOn), 0.0f);
    EXPECT_EQ(engine->getParameter(tag::Xy1RecordMode), 0.0f);
    EXPECT_FLOAT_EQ(engine->getParameter(kMainVolume), 0.66f); // the record's own value
    EXPECT_FLOAT_EQ(engine->getOrigValue(kMainVolume), 0.66f);
    EXPECT_TRUE(engine->getEditorRefreshPending());
    EXPECT_TRUE(engine->getIsSettingPreset());
}
