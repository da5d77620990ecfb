// The editor's life on the engine, off-screen: opening builds the frame, the skin pictures and
// the view containers and shows the main background; closing releases all of it; the screen
// size comes from the preferences; engine calls from other threads only mark, and the idle
// pass serves the marks on the user-interface thread.
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

using namespace VSTGUI;

namespace {
uint32_t fakeTicks = 1000;
uint32_t readFakeTicks() {
    return fakeTicks;
}

// A fresh preferences file and a controllable clock for one test.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeTicks = 1000;
        AEffGUIEditor::setTickSource(readFakeTicks);
    }
    void TearDown() override {
        engine.reset();
        AEffGUIEditor::setTickSource(nullptr);
    }
    uEditor* makeEditor() {
        engine = std::make_unique<APlugin>(nullptr);
        return new uEditor(engine.get());
    }
    // Advances the 60 Hz clock by whole ticks.
    static void wait(uint32_t ticks) { fakeTicks += ticks; }

    FreshPrefs prefs{"zek2editor"};
    std::unique_ptr<APlugin> engine;
};

int brightness(CColor c) {
    return (c.red + c.green + c.blue) / 3;
}

} // namespace

TEST_F(EditorTest, OpeningBuildsFrameSkinAndContainersAndClosingReleasesThem) {
    uEditor* ed = makeEditor();
    ERect* r = nullptr;
    ASSERT_TRUE(ed->getRect(&r));
    EXPECT_EQ(r->right - r->left, 1132);
    EXPECT_EQ(r->bottom - r->top, 779);

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(ed->open(nullptr));
        EXPECT_TRUE(ed->getEditorFinishedOpening());
        EXPECT_TRUE(engine->getEditorOpen());
        EXPECT_FALSE(engine->getEditorOpening());
        CFrame* frame = ed->getFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 1132, 779));
        EXPECT_EQ(frame->getBackground(), ed->getSkinBitmap(skin::kMainBackground));
        for (int id : skin::OPENING_IDS) EXPECT_NE(ed->getSkinBitmap(id), nullptr) << id;

        // The five containers sit on the main screen at their places, sized by their skins.
        for (CViewContainer* c :
             {ed->getOscModContainer(0), ed->getOscModContainer(1), ed->getEQContainer(),
              ed->getDistortVoiceContainer(), ed->getMultiViewContainer()}) {
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(frame->isChild(c));
        }

        // The skin shows: a dark top bar above light section panels.
        frame->render();
        EXPECT_LT(brightness(frame->getPixel(5, 5)), 80);
        EXPECT_GT(brightness(frame->getPixel(40, 220)), 150);

        ed->close();
        EXPECT_EQ(ed->getFrame(), nullptr);
        EXPECT_FALSE(ed->getEditorFinishedOpening());
        EXPECT_FALSE(engine->getEditorOpen());
        for (int id : skin::OPENING_IDS) EXPECT_EQ(ed->getSkinBitmap(id), nullptr);
        ed->close(); // a second close does nothing harmful
    }
}

TEST_F(EditorTest, TheLastScreenSizeSwitchedOnWinsAndScalesTheFrame) {
    saveStringToPrefs("Big125", "Y");
    uEditor* ed = makeEditor();
    EXPECT_EQ(ed->getBig(), 1);
    ASSERT_TRUE(ed->open(nullptr));
    EXPECT_EQ(ed->getFrame()->getViewSize(), CRect(0, 0, 1415, 973));
    ed->close();

    saveStringToPrefs("Big200", "Y");
    ed = makeEditor();
    EXPECT_EQ(ed->getBig(), 3);
    ERect* r = nullptr;
    ed->getRect(&r);
    EXPECT_EQ(r->right, 2264);
    EXPECT_EQ(r->bottom, 1558);
    ASSERT_TRUE(ed->open(nullptr));
    EXPECT_EQ(ed->getFrame()->getViewSize(), CRect(0, 0, 2264, 1558));
    ed->close();
}

TEST_F(EditorTest, CallsFromTheAudioThreadOnlyMarkAndTheIdlePassServesThem) {
    uEditor* ed = makeEditor();
    ed->setParameter(57, 0.5f); // closed: nothing is marked
    EXPECT_FALSE(ed->isTagMarked(57));
    ASSERT_TRUE(ed->open(nullptr));
    auto* knob = new CKnobBase(CRect(0, 0, 30, 30), ed, 57);
    ed->getFrame()->addView(knob);
    ASSERT_TRUE(ed->addControl(knob, 1));
    EXPECT_FLOAT_EQ(knob->getValue(), engine->getParameter(57));

    std::thread audio([&] {
        engine->setParameter(57, 0.8f);
        ed->setParameter(57, 0.3f);
        ed->setParameter(9999, 0.3f);
        ed->resume();
        ed->triggerOver();
        ed->turnPartialOff();
    });
    audio.join();
    // Nothing on screen changed yet.
    EXPECT_NE(knob->getValue(), 0.8f);
    EXPECT_TRUE(ed->isTagMarked(57));
    EXPECT_TRUE(ed->isResumePending());
    EXPECT_EQ(ed->getOverloadLevel(), 255);

    // Within 40 ms of the last pass the marks wait; then they are served.
    wait(3);
    ed->idle();
    EXPECT_FALSE(ed->isResumePending());
    EXPECT_FLOAT_EQ(knob->getValue(), 0.8f); // the engine's value, not the pushed one
    EXPECT_EQ(ed->getOverloadLevel(), 245);

    // The user-interface thread's own refresh happens at once.
    engine->setParameter(57, 0.1f);
    ed->resume();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
    ed->getFrame()->removeView(knob, false);
    knob->forget();
    ed->close();
}

TEST_F(EditorTest, ArrowKeysStepProgramsAtMostOncePer300Ms) {
    uEditor* ed = makeEditor();
    ASSERT_TRUE(ed->open(nullptr));
    CFrame* frame = ed->getFrame();
    auto settle = [&] {
        engine->setPresetParameters();
        engine->updateEditorScreen();
    };
    settle();
    const int start = engine->getBuiltinPresetIndex();
    const VstKeyCode down{0, 14, 0}, up{0, 12, 0}, pageUp{0, 15, 0};

    wait(30);
    EXPECT_EQ(ed->onKeyDown(down, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 1);
    settle();
    wait(6); // 100 ms later: swallowed, yet handled
    EXPECT_EQ(ed->onKeyDown(down, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 1);
    wait(12); // 300 ms after the accepted step
    EXPECT_EQ(ed->onKeyDown(down, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 2);
    settle();

    // A step while a preset is being set is dropped.
    wait(30);
    engine->changeDemoProgramDelta(1);
    EXPECT_EQ(ed->onKeyDown(down, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 3);
    settle();

    // A clock that went back does not block the next step.
    fakeTicks = 0;
    EXPECT_EQ(ed->onKeyDown(up, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 2);
    settle();

    wait(30);
    EXPECT_EQ(ed->onKeyDown(pageUp, frame), 1);
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 2);
    // With keyboard control off every key goes back to the host, also through the frame.
    ed->setKeyboardControl(false);
    EXPECT_EQ(ed->onKeyDown(down, frame), -1);
    VstKeyCode hostKey = down;
    EXPECT_FALSE(ed->onKeyDown(hostKey));
    EXPECT_EQ(engine->getBuiltinPresetIndex(), start + 2);
    ed->close();
}

TEST_F(EditorTest, TheEditTagFollowsTheHostsEditsOfRegisteredControls) {
    // Tags that no screen shows, so the knob below is their only control.
    constexpr int kFree = 1022;
    uEditor* ed = makeEditor();
    ASSERT_TRUE(ed->open(nullptr));
    auto* knob = new CKnobBase(CRect(0, 0, 30, 30), ed, kFree);
    ed->getFrame()->addView(knob);
    ed->addControl(knob, 1);
    ed->setEditTag(kFree);
    EXPECT_EQ(ed->getEditControl(), knob);
    ed->setEditTag(kFree - 1); // no control bears it: unchanged
    EXPECT_EQ(ed->getEditControl(), knob);
    ed->setEditTag(9999);
    EXPECT_EQ(ed->getEditControl(), nullptr);
    ed->setEditTag(kFree);
    ed->setEditTag(-1);
    EXPECT_EQ(ed->getEditControl(), nullptr);
    ed->getFrame()->removeView(knob, false);
    knob->forget();
    ed->close();
}
