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
    EXPECT_EQ(model->getTag(0, 207), -1);
    EXPECT_EQ(model->getTag(46, 0), -1);

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

    // Bad section numbers are refused.
    model->setSectionUndo(e(), -1);
    model->undoSection(e(), 46);
    EXPECT_EQ(model->getUndoLevel(46), -1);
}

TEST_F(SectionsTest, CopyAndSwapBetweenSiblingsSkipTheFiller) {
    for (int t = 1; t < 1023; ++t) e().setParameter(t, 0.25f);
    e().setParameter(264, 1.0f); // oscillator 1 output switch
    for (int t : {276, 34, 56, 290, 281, 282}) e().setParameter(t, 0.75f); // oscillator 2
    e().setParameter(281, 1.0f);
    model->copySections(e(), 1, 4);
    EXPECT_EQ(e().getParameter(34), 0.25f);
    EXPECT_EQ(e().getParameter(56), 0.25f);
    EXPECT_EQ(e().getParameter(290), 0.25f);
    EXPECT_EQ(e().getParameter(281), 1.0f);  // oscillator 2 only: kept
    EXPECT_EQ(e().getParameter(282), 0.75f); // oscillator 2 only: kept
    EXPECT_EQ(e().getParameter(kFiller), e().getDefaultValue(kFiller));

    // Swap exchanges each pair once: pre-EQ and post-EQ.
    for (int i = 0; i < 13; ++i) {
        e().setParameter(306 + i, 0.1f);
        e().setParameter(319 + i, 0.9f);
    }
    model->swapSections(e(), section::PreEQ, section::PostEQ);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(e().getParameter(306 + i), e().getIsOnOff(306 + i) ? 1.0f : 0.9f) << i;
        EXPECT_EQ(e().getParameter(319 + i), e().getIsOnOff(319 + i) ? 0.0f : 0.1f) << i;
    }
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
    auto* ed = static_cast<uEditor*>(engine->getEditor());
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
