// The audio thread's user-wave rebuild spread over the slow updates: the sounding tables stay
// until the new ones are whole, and the result equals the editor's one-call rebuild.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<APlugin> makeEngine() {
    auto engine = std::make_unique<APlugin>(nullptr);
    engine->setSampleRate(48000.0f);
    return engine;
}

void drawSquare(APlugin& e, int wave) {
    const int first = wave == 0 ? tag::UserWave1First : tag::UserWave2First;
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        e.setParameter(first + i, i < 256 ? 0.9f : 0.1f);
}

std::vector<float> bandTables(const APlugin& e, int wave) {
    std::vector<float> out;
    for (int t = 1; t < OSC_BANDS_PER_WAVE; ++t) {
        const float* table = e.getOscTable(OSC_USER_TABLE_START[wave] + t);
        out.insert(out.end(), table, table + OSC_TABLE_SIZE);
    }
    return out;
}

} // namespace

TEST(PerfWaveBuild, SwitchBuildsOverUpdatesKeepingOldTablesAndMatchesTheOneCallRebuild) {
    auto reference = makeEngine();
    drawSquare(*reference, 1);
    reference->setParameter(tag::Osc2Type, (5 + 0.1f) / 7.99f);
    reference->setGlobalRare();        // takes the type up; the first step only analyses
    reference->createUserWaveTable(1); // the editor's form, all at once
    const std::vector<float> expected = bandTables(*reference, 1);

    auto e = makeEngine();
    drawSquare(*e, 1);
    const std::vector<float> before = bandTables(*e, 1);
    e->setParameter(tag::Osc2Type, (5 + 0.1f) / 7.99f);
    e->setGlobalRare();
    EXPECT_TRUE(e->isUserWaveBuilding());
    EXPECT_FALSE(e->getUserWaveBusy());
    int updates = 1;
    for (; e->isUserWaveBuilding() && updates < 100; ++updates) {
        if (updates == 20) {
            EXPECT_EQ(bandTables(*e, 1), before) << "a half-built table sounds";
        }
        e->setGlobalRare();
    }
    EXPECT_GT(updates, 30);
    EXPECT_LT(updates, 100);
    EXPECT_EQ(bandTables(*e, 1), expected);
    EXPECT_GT(std::fabs(expected[OSC_TABLE_SIZE / 4]), 0.5f);
}

TEST(PerfWaveBuild, AnEditorRebuildDuringTheBuildStartsItAgainAndApplyKeepsThePoints) {
    auto e = makeEngine();
    drawSquare(*e, 0);
    e->setParameter(tag::Osc1Type, (4 + 0.1f) / 7.99f);
    e->setGlobalRare();
    for (int i = 0; i < 10; ++i) e->setGlobalRare();
    e->updatePartials(0); // the editor used the transform's arrays meanwhile
    int updates = 0;
    while (e->isUserWaveBuilding() && updates < 100) {
        e->setGlobalRare();
        ++updates;
    }
    EXPECT_GT(updates, 30) << "the build did not start again";

    // A preset apply rebuilds the tables from the loaded points and leaves the points alone.
    const float point = e->getCurrentValue(tag::UserWave1First + 100);
    e->setParameter(tag::ApplyPreset, 1.0f);
    e->setPresetParameters();
    EXPECT_EQ(e->getCurrentValue(tag::UserWave1First + 100), point);
}
