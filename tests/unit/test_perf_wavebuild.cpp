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

// Slow updates, the first taking up the values written, until no rebuild of either wave is
// under way or waiting; false when that takes more than a few rebuilds.
bool finishBuilds(APlugin& e) {
    for (int updates = 0; updates < 400; ++updates) {
        e.setGlobalRare();
        if (!e.isUserWaveBuilding() && !e.getUserWaveDirty(0) && !e.getUserWaveDirty(1))
            return true;
    }
    return false;
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

// An oscillator switched to a wave smooths the wave's points when nobody wrote them since the
// wave was last built; points a host writes around the switch (as a restore of a sound does,
// before or after the build's analysis) are kept as written, and the wave plays them; so are
// the points of a sound applied while the switch's build still waits behind the other wave's.
TEST(PerfWaveBuild, ASwitchSmoothsOnlyPointsNobodyWroteSinceTheWaveWasBuilt) {
    const int corner = tag::UserWave1First + 255;
    auto alone = makeEngine();
    drawSquare(*alone, 0);
    ASSERT_TRUE(finishBuilds(*alone));
    alone->setParameter(tag::Osc1Type, (4 + 0.1f) / 7.99f);
    ASSERT_TRUE(finishBuilds(*alone));
    EXPECT_NE(alone->getParameter(corner), 0.9f) << "a switch alone smooths the points";

    // The square with its corner moved, applied as a sound's: its tables are built from the
    // points as they stand.
    auto whole = makeEngine();
    drawSquare(*whole, 0);
    whole->setParameter(corner, 0.3f);
    whole->setParameter(tag::Osc1Type, (4 + 0.1f) / 7.99f);
    whole->setPresetParameters();
    ASSERT_TRUE(finishBuilds(*whole));
    for (const bool afterAnalysis : {false, true}) {
        SCOPED_TRACE(afterAnalysis ? "written after the analysis" : "written before the switch");
        auto e = makeEngine();
        drawSquare(*e, 0);
        if (afterAnalysis) {
            ASSERT_TRUE(finishBuilds(*e));
        }
        e->setParameter(tag::Osc1Type, (4 + 0.1f) / 7.99f);
        if (afterAnalysis) {
            e->setGlobalRare(); // the switch's build analyses the points
            ASSERT_TRUE(e->isUserWaveBuilding());
        }
        e->setParameter(corner, 0.3f);
        ASSERT_TRUE(finishBuilds(*e));
        for (int i = 0; i < tag::UserWavePointCount; ++i)
            ASSERT_EQ(e->getParameter(tag::UserWave1First + i),
                      i == 255 ? 0.3f : (i < 256 ? 0.9f : 0.1f))
                << "point " << i;
        EXPECT_EQ(bandTables(*e, 0), bandTables(*whole, 0)) << "the wave plays other points";
    }

    auto applied = makeEngine();
    drawSquare(*applied, 1);
    ASSERT_TRUE(finishBuilds(*applied));
    applied->setParameter(tag::UserWave1First, 0.7f); // wave 1 builds first
    applied->setParameter(tag::Osc2Type, (5 + 0.1f) / 7.99f);
    applied->setGlobalRare();
    ASSERT_TRUE(applied->getUserWaveDirty(1));
    applied->setPresetParameters();
    ASSERT_TRUE(finishBuilds(*applied));
    EXPECT_EQ(applied->getParameter(tag::UserWave2First + 255), 0.9f) << "the applied points";
}
