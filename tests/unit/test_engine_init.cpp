// The engine's start-up settings read from the preferences: folders, MIDI channels, the
// controller map and the auto-limit switch, each with its fallback.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string stored(const char* key) {
    std::string value;
    loadStringFromPrefs(key, value, 4096);
    return value;
}

} // namespace

TEST(EngineInit, FreshPreferencesGiveDefaultFoldersAndStoreThem) {
    FreshPrefs prefs("zek2init");
    auto engine = std::make_unique<APlugin>(nullptr);
    const std::string base = getApplicationFolder();
    EXPECT_EQ(engine->getFolder(kFolderECS), base + "ECS/");
    EXPECT_EQ(engine->getFolder(kFolderHelp), base + "Manual/Velmora_ZEK2_Manual.pdf");
    EXPECT_EQ(stored("ECSDir"), base + "ECS/");
    EXPECT_EQ(stored("Tuning"), "");
    EXPECT_EQ(engine->getMidiInChannel(), -1);
    EXPECT_EQ(engine->getMidiOutChannel(), -1);
    EXPECT_TRUE(engine->getAutoLimitOn());
}

TEST(EngineInit, StoredSettingsAreReadWithTheirFallbacks) {
    FreshPrefs prefs("zek2init");
    const std::string longFolder = "/data/" + std::string(300, 'w') + "/";
    saveStringToPrefs("WaveDir", longFolder); // longer than the old 127-byte limit
    saveStringToPrefs("Help", "/somewhere/else.pdf");
    saveStringToPrefs("AutoLimit", "N");
    saveIntToPrefs("A4", 442);

    const int stored[] = {1, 16, 17, 18, -3, 0};
    const int expected[] = {0, 15, -1, -1, -1, -1};
    for (int i = 0; i < 6; ++i) {
        saveIntToPrefs("MIDIChannel", stored[i]);
        auto engine = std::make_unique<APlugin>(nullptr);
        EXPECT_EQ(engine->getMidiInChannel(), expected[i]) << "stored " << stored[i];
        if (i == 0) {
            EXPECT_EQ(engine->getFolder(kFolderWave), longFolder);
            EXPECT_EQ(engine->getFolder(kFolderHelp),
                      getApplicationFolder() + "Manual/Velmora_ZEK2_Manual.pdf");
            EXPECT_FALSE(engine->getAutoLimitOn());
            engine->setSampleRate(48000.0f);
            EXPECT_NEAR(engine->getBasePitchFactor(), 442.0 * (110.0 / 48000.0) / 440.0, 1e-12);
        }
    }
}

TEST(EngineInit, SampleRateGuardAndDerivedValues) {
    auto engine = std::make_unique<APlugin>(nullptr);
    EXPECT_FLOAT_EQ(engine->getEngineRate(), 44099.0f);
    const int setups = engine->getRateSetups();
    engine->setSampleRate(44099.0f);
    engine->setSampleRate(44099.000001f);
    engine->setSampleRate(4.9f);
    engine->setSampleRate(500001.0f);
    engine->setSampleRate(0.0f);
    engine->setSampleRate(-48000.0f);
    EXPECT_EQ(engine->getRateSetups(), setups);
    EXPECT_FLOAT_EQ(engine->getEngineRate(), 44099.0f);
    engine->setSampleRate(44100.0f);
    EXPECT_EQ(engine->getRateSetups(), setups + 1);
    EXPECT_FLOAT_EQ(engine->getEngineRate(), 44100.0f);
    engine->setSampleRate(5.0f);
    engine->setSampleRate(500000.0f);
    EXPECT_EQ(engine->getRateSetups(), setups + 3);
    EXPECT_EQ(engine->getTempo(), 120.0);
}
