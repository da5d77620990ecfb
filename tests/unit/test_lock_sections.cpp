// Lock sections: a locked section keeps playing its held values across program changes, and
// only the three states free, locked and "Set" are accepted.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TwoPresetBank {
    float values[2][kNumParams] = {};
    const char* names[2] = {"First", "Second"};
    PresetBank bank{2, values, names};
    TwoPresetBank() {
        for (int p = 0; p < 2; ++p) {
            values[p][494] = 0.2f + 0.5f * float(p);
            values[p][tag::PortamentoAmount] = 0.1f + 0.3f * float(p);
            for (int i = 0; names[p][i]; ++i)
                values[p][tag::PresetNameFirst + i] = charStoredValue(names[p][i]);
        }
    }
};

void select(APlugin& engine, const char* name) {
    engine.setStringFromParam(name, tag::PresetNameFirst, tag::PresetNameCount);
    engine.setProgram(0);
    engine.setPresetParameters();
}

} // namespace

TEST(LockSections, LockedArpKeepsItsValuesAcrossAProgramChange) {
    auto engine = std::make_unique<APlugin>(nullptr);
    TwoPresetBank bank;
    engine->usePresetBank(bank.bank);
    select(*engine, "First");
    EXPECT_FLOAT_EQ(engine->getLockVar(494), 0.2f);

    engine->setLockState(kLockArp, kLockLocked);
    EXPECT_TRUE(engine->getArpLocked());
    EXPECT_FALSE(engine->getPlayLocked());
    select(*engine, "Second");
    EXPECT_FLOAT_EQ(engine->getLockVar(494), 0.2f);                   // held
    EXPECT_FLOAT_EQ(engine->getCurrentValue(494), 0.7f);              // the new program's
    EXPECT_FLOAT_EQ(engine->getLockVar(tag::PortamentoAmount), 0.4f); // Play is free

    // Edits while locked change only the held copy.
    engine->setLockVar(500, 0.9f);
    EXPECT_FLOAT_EQ(engine->getLockVar(500), 0.9f);
    EXPECT_FLOAT_EQ(engine->getParameter(500), 0.0f);

    // "Set" writes the held copy into the sound and frees the section.
    engine->setLockState(kLockArp, kLockSet);
    EXPECT_EQ(engine->getLockState(kLockArp), kLockFree);
    EXPECT_FLOAT_EQ(engine->getParameter(494), 0.2f);
    EXPECT_FLOAT_EQ(engine->getParameter(500), 0.9f);
    EXPECT_FLOAT_EQ(engine->getLockVar(494), 0.2f);

    // While free, a lock-aware write changes the sound too.
    engine->setLockVar(500, 0.3f);
    EXPECT_FLOAT_EQ(engine->getParameter(500), 0.3f);
}

TEST(LockSections, RefusedRequestsChangeNothing) {
    auto engine = std::make_unique<APlugin>(nullptr);
    engine->setParameter(tag::PlayMode, (3 + 0.1f) / 9.99f);
    engine->updateEditorScreen(); // clears the refresh request
    ASSERT_FALSE(engine->getEditorRefreshPending());

    // "Set" on a free section would write stale (here never captured, zero) values.
    engine->setLockState(kLockPlay, kLockSet);
    EXPECT_EQ(engine->getSteppedValue(tag::PlayMode), 3);
    EXPECT_FALSE(engine->getEditorRefreshPending());

    engine->setLockState(kLockPlay, 7);
    engine->setLockState(kLockPlay, -1);
    engine->setLockState(3, kLockLocked);
    engine->setLockState(0, kLockLocked);
    EXPECT_EQ(engine->getLockState(kLockPlay), kLockFree);
    EXPECT_EQ(engine->getLockState(0), 0);
    EXPECT_EQ(engine->getLockState(3), 0);
    EXPECT_FALSE(engine->getEditorRefreshPending());

    engine->setLockState(kLockPlay, kLockLocked);
    EXPECT_TRUE(engine->getEditorRefreshPending());
    engine->updateEditorScreen();
    engine->setLockState(kLockPlay, kLockLocked); // already locked: nothing
    EXPECT_FALSE(engine->getEditorRefreshPending());
    EXPECT_EQ(engine->getLockSteppedValue(tag::PlayMode), 3);

    // Unison Mode belongs to no section: lock-aware writes ignore it.
    const float unisonMode = engine->getParameter(250);
    engine->setLockVar(250, 0.5f);
    EXPECT_FLOAT_EQ(engine->getParameter(250), unisonMode);
    EXPECT_FALSE(engine->getTagLocked(250));
    EXPECT_TRUE(engine->getTagLocked(tag::UnisonSpread));
}
