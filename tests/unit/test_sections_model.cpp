// The section model on a real engine: the lists' shape, the 16-level undo stacks, copy and
// swap between siblings, randomize, and the engine's request to clear the stacks.
#include "editor/sections/SectionModel.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace {

constexpr int kFiller = 1023;

struct SectionsTest : ::testing::Test {
    std::unique_ptr<APlugin> engine = std::make_unique<APlugin>(nullptr);
    std::unique_ptr<SectionModel> model = std::make_unique<SectionModel>();
    APlugin& e() { return *engine; }
};

} // namespace

TEST_F(SectionsTest, ListsCoverTheSoundAndSiblingsLineUp) {
    // Every tag of the sound but the preset name and the few free-standing settings lies in
    // some section; none lies outside 0..2047.
    std::set<int> covered;
    for (int s = 0; s < section::kCount; ++s) {
        ASSERT_GT(model->getTagCount(s), 0) << s;
        for (int i = 0; i < model->getTagCount(s); ++i) {
            const int t = model->getTag(s, i);
            ASSERT_TRUE(uEditor::isValidTag(t)) << s;
            covered.insert(t);
        }
    }
    auto outside = [](int t) {
        return t == 0 || t == 40 || t == 83 || t == 84 || (t >= 126 && t <= 245) ||
               (t >= 252 && t <= 257) || t == 300 || t == 301 || t == 337 || t == 347 ||
               (t >= 375 && t <= 378) || t == 491 || (t >= 922 && t <= 1004) ||
               (t >= 1014 && t <= 1022);
    };
    for (int t = 0; t < 2048; ++t) EXPECT_EQ(covered.count(t) == 1, !outside(t)) << t;

    // Sibling sections have equal lengths, and each slot pairs settings of the same kind.
    for (const auto& pair : section::SIBLING_SECTIONS) {
        ASSERT_EQ(model->getTagCount(pair[0]), model->getTagCount(pair[1]));
        for (int i = 0; i < model->getTagCount(pair[0]); ++i) {
            const int a = model->getTag(pair[0], i), b = model->getTag(pair[1], i);
            if (a == kFiller || b == kFiller) continue;
            EXPECT_EQ(e().getSteppedNum(a), e().getSteppedNum(b)) << a << " " << b;
            EXPECT_EQ(e().getIsOnOff(a), e().getIsOnOff(b)) << a << " " << b;
            EXPECT_EQ(e().getDestForTag(a) > 0, e().getDestForTag(b) > 0) << a << " " << b;
        }
    }
}

TEST_F(SectionsTest, UndoKeepsSixteenSnapshotsAndDropsTheOldest) {
    const int s = section::AmpEnvelope; // tags 6..9
    EXPECT_EQ(model->getUndoLevel(s), -1);
    model->undoSection(e(), s); // empty: nothing changes, the level stays
    EXPECT_EQ(model->getUndoLevel(s), -1);

    for (int k = 0; k < 17; ++k) {
        e().setParameter(7, k / 100.0f);
        model->setSectionUndo(e(), s);
    }
    EXPECT_EQ(model->getUndoLevel(s), 15);
    e().setParameter(7, 0.9f);
    for (int k = 0; k < 16; ++k) model->undoSection(e(), s);
    EXPECT_EQ(model->getUndoLevel(s), -1);
    EXPECT_NEAR(e().getParameter(7), 0.01f, 1e-6); // the first snapshot was dropped
    model->undoSection(e(), s);
    EXPECT_NEAR(e().getParameter(7), 0.01f, 1e-6);

    model->setSectionUndo(e(), -1); // refused
    EXPECT_EQ(model->getUndoLevel(-1), -1);
}

TEST_F(SectionsTest, RandomizeTouchesOnlyRandomisableTags) {
    const int s = section::AllOscillators;
    for (int i = 0; i < model->getTagCount(s); ++i) e().setParameter(model->getTag(s, i), 0.5f);
    int changed = 0, fixed = 0;
    model->randomizeSection(e(), s);
    for (int i = 0; i < model->getTagCount(s); ++i) {
        const int t = model->getTag(s, i);
        const float v = e().getParameter(t);
        if (!e().getRandomizable(t)) {
            ++fixed;
            EXPECT_EQ(v, e().getIsOnOff(t) ? 1.0f : 0.5f) << t;
        } else if (v != 0.5f) {
            ++changed;
        }
    }
    EXPECT_GT(fixed, 0);
    EXPECT_GT(changed, 20);
}

// The engine asks from its audio thread for the stacks to be cleared while the user works
// on a section; only the request crosses the threads.
TEST(SectionsRace, ClearRequestWhileUndoing) {
    auto engine = std::make_unique<APlugin>(nullptr);
    auto* ed = new uEditor(engine.get());
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int i = 0; i < 200 && !done; ++i) ed->clearUndos();
    });
    for (int i = 0; i < 200; ++i) {
        ed->setSectionUndo(section::Amp);
        ed->undoSection(section::Amp);
        EXPECT_GE(ed->getSectionUndoLevel(section::Amp), -1);
    }
    done = true;
    audio.join();
    ed->clearUndos();
    EXPECT_EQ(ed->getSectionUndoLevel(section::Amp), -1);
}
