// The display menus through the off-screen pop-up: each command's effect on the engine, the
// refusals and Cancel doing nothing, the preset files through the dialogs, and undo.
#include "controls/displays/XYTags.h"
#include "editor/menus/XYPathShapes.h"
#include "engine/files/DisplayPresets.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include "test_sections_rig.h"

#include <cmath>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

using namespace sectionstest;

namespace {

int messages(const ScriptedDialogs& d, const std::string& text) {
    int n = 0;
    for (const DialogRequest& q : d.questions())
        n += q.kind == DialogKind::Message && q.text == text;
    return n;
}

int mask(APlugin& e, int tag) {
    return static_cast<int>(e.getParameter(tag) * 65535.9f);
}

// A user who answers only when the test says so: each question stays open, while the editor
// goes on, until `answer` gives the oldest one its reply.
class LateDialogs : public DialogBackend {
public:
    DialogAnswer ask(DialogRequest const& request) override {
        asked.push_back(request);
        return DialogAnswer();
    }
    std::unique_ptr<PendingDialog> askLater(DialogRequest const& request) override {
        asked.push_back(request);
        auto slot = std::make_shared<std::optional<DialogAnswer>>();
        open.push_back(slot);
        return std::make_unique<Late>(slot);
    }
    void answer(bool ok, const std::string& text = {}) {
        ASSERT_FALSE(open.empty());
        DialogAnswer a;
        a.ok = ok;
        a.text = ok ? text : "";
        *open.front() = a;
        open.pop_front();
    }
    std::vector<DialogRequest> asked;
    std::deque<std::shared_ptr<std::optional<DialogAnswer>>> open;

private:
    struct Late : PendingDialog {
        explicit Late(std::shared_ptr<std::optional<DialogAnswer>> s) : slot(std::move(s)) {}
        bool poll(DialogAnswer& a) override {
            if (!*slot) return false;
            a = **slot;
            return true;
        }
        std::shared_ptr<std::optional<DialogAnswer>> slot;
    };
};

std::vector<float> xyPath(APlugin& e, int pad) {
    std::vector<float> v;
    for (int i = 0; i < xypath::kPoints; ++i) {
        v.push_back(e.getParameter(xytags::pathX(pad, i)));
        v.push_back(e.getParameter(xytags::pathY(pad, i)));
    }
    return v;
}

} // namespace

TEST_F(MenuRig, EQMenuSwitchesCopiesAndItsFilesRoundTripOrAreRefusedWhole) {
    choose({"Turn All EQS Off"});
    ed->showEQMenu();
    EXPECT_EQ(shown[0].title, "-GEQ Command Menu");
    EXPECT_FALSE(e().getOnOff(tag::PreEqOn));
    EXPECT_FALSE(e().getOnOff(tag::PostEqOn));
    for (int i = 0; i < 13; ++i) e().setParameter(306 + i, static_cast<float>(i) / 16.0f);
    choose({"Copy Pre to Post EQ"});
    ed->showEQMenu();
    for (int i = 0; i < 13; ++i) EXPECT_EQ(e().getParameter(319 + i), e().getParameter(306 + i));

    // Saved without an extension, the file gets ".eq"; loaded back, every value returns.
    const std::string path = folder + "/mine";
    dialogs.answerOk(path);
    choose({"Save EQ Preset"});
    ed->showEQMenu();
    const std::string text = readWhole(path + ".eq");
    EXPECT_EQ(text.substr(0, 14), "V1.0\n0.000000\n");
    for (int i = 0; i < 13; ++i) e().setParameter(306 + i, 0.9f);
    dialogs.answerOk(path + ".eq");
    choose({"Load EQ Preset"});
    ed->showEQMenu();
    for (int i = 0; i < 13; ++i) EXPECT_EQ(e().getParameter(306 + i), i / 16.0f) << i;

    // A damaged file, a missing one and a cancelled dialog change nothing; Undo still works.
    writeWhole(path + ".eq", text.substr(0, text.size() - 9) + "nan\n");
    for (const char* answer : {"bad", "missing"}) {
        dialogs.answerOk(std::string(answer) == "bad" ? path + ".eq" : folder + "/none.eq");
        choose({"Load EQ Preset"});
        ed->showEQMenu();
    }
    choose({"Load EQ Preset"}); // the script has run out: Cancel
    ed->showEQMenu();
    EXPECT_EQ(messages(dialogs, "Problem with EQ Preset"), 2);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(e().getParameter(306 + i), i / 16.0f);
    dialogs.answerOk("/nonexistent-folder/x.eq");
    choose({"Save EQ Preset"});
    ed->showEQMenu();
    EXPECT_EQ(messages(dialogs, "Problem with EQ Preset"), 3); // a failed save says so
    for (int n = 0; n < 5; ++n) {
        choose({"Undo"});
        ed->showEQMenu();
    }
    for (int i = 1; i < 13; ++i) EXPECT_EQ(e().getParameter(306 + i), 0.9f); // before the load
}

TEST_F(MenuRig, ModMenuSlotCommandsAndTheAmountRoute) {
    for (int s = 0; s < 16; ++s) e().setParameter(tag::ModAmountFirst + s, s / 20.0f);
    choose({"Delete Slot"});
    ed->showModMenu(3);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 3), 4 / 20.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 14), 15 / 20.0f);
    EXPECT_EQ(e().getParameter(tag::ModAmountFirst + 15), e().getDefaultValue(490));
    choose({"Move Slot Up"});
    ed->showModMenu(5);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 4), 6 / 20.0f);
    choose({"Undo"});
    ed->showModMenu(5);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 4), 5 / 20.0f);
    choose({"Paste Slot"}); // nothing copied yet
    ed->showModMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst), 0.0f);

    // A source from a group submenu modulates slot 2's amount through the first free later slot.
    for (int s = 0; s < 16; ++s)
        e().setSteppedValue(tag::ModDestFirst + s, s == 6 || s < 2 ? 0 : 5);
    choose({std::string("Modulate Slot Amount by ") + SRC_SUB_STR[0], SRC_STR[3]});
    ed->showModMenu(2);
    EXPECT_EQ(e().getModSrcBySlot(6), 3);
    EXPECT_EQ(e().getModDestBySlot(6), 309);
    EXPECT_EQ(e().getModDestBySlot(0), 0);

    const std::string path = folder + "/m.mod";
    dialogs.answerOk(path);
    choose({"Save Mod Matrix Preset"});
    ed->showModMenu(-1);
    choose({"Reset Mod Matrix"});
    ed->showModMenu(-1);
    dialogs.answerOk(path);
    choose({"Load Mod Matrix Preset"});
    ed->showModMenu(-1);
    EXPECT_EQ(e().getModDestBySlot(6), 309);
    EXPECT_FLOAT_EQ(e().getParameter(tag::ModAmountFirst + 3), 4 / 20.0f);
}

TEST_F(MenuRig, GaterPatternCommandsWorkOverTheActiveLength) {
    e().setSteppedValue(tag::GaterSteps, 7); // eight steps
    e().setParameter(tag::GaterLeft, 1.5f / 65536.0f);
    e().setParameter(tag::GaterRight, 0.5f / 65536.0f);
    choose({"Move Left"});
    ed->showGaterMenu();
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x80);
    choose({"Move Right"}); // the active steps only: the hidden ones keep their values
    ed->showGaterMenu();
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x0001);
    choose({"Reverse"});
    ed->showGaterMenu();
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x0080);
    choose({"Alternate Left/Right"});
    ed->showGaterMenu();
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x5555);
    EXPECT_EQ(mask(e(), tag::GaterRight), 0xAAAA);
    choose({"Set Length", "Set Length to 16 Steps"});
    ed->showGaterMenu();
    EXPECT_FLOAT_EQ(e().getParameter(tag::GaterSteps), 15.1f / 15.99f);
    for (int n = 0; n < 2; ++n) {
        choose({"Undo"});
        ed->showGaterMenu();
    }
    EXPECT_EQ(mask(e(), tag::GaterLeft), 0x0080);
}

TEST_F(MenuRig, PathMovesTheSelectedUnitAndCancelDoesNothing) {
    const int start[5] = {e().getPathEntry(0, 1), e().getPathEntry(1, 1), e().getPathEntry(2, 1),
                          e().getPathEntry(3, 1), e().getPathEntry(4, 1)};
    ed->setPathSelected(1, 1);
    dialogs.answerOk("9");
    choose({"Move Selected To"});
    ed->showPathMenu(29, -1);
    EXPECT_EQ(dialogs.questions().back().defaultText, "2");
    EXPECT_EQ(e().getPathEntry(4, 1), start[1]);
    EXPECT_EQ(e().getPathEntry(1, 1), start[2]);
    dialogs.answerCancel();
    choose({"Move Selected To"});
    ed->showPathMenu(29, -1);
    EXPECT_EQ(e().getPathEntry(4, 1), start[1]);
    choose({"Undo"});
    ed->showPathMenu(29, -1);
    choose({"Undo"});
    ed->showPathMenu(29, -1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(e().getPathEntry(i, 1), start[i]);
    ed->setPathSelected(0, 0);
    const int last = e().getPathEntry(5, 0), first = e().getPathEntry(0, 0);
    choose({"Move Selected Up"});
    ed->showPathMenu(23, 0);
    EXPECT_EQ(e().getPathEntry(0, 0), last);
    EXPECT_EQ(e().getPathEntry(5, 0), first);
}

TEST_F(MenuRig, ArpRotatesReversesAndTransposesOverItsStepsAndRefusesWhenLocked) {
    const int tune = tag::SeqStepTuneA;
    e().setSteppedValue(tag::SeqStepsA, 7); // eight steps
    for (int s = 0; s < 16; ++s) e().setParameter(tune + s, s / 20.0f);
    choose({"Move Arp Left"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_FLOAT_EQ(e().getParameter(tune), 1 / 20.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tune + 7), 0.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tune + 8), 8 / 20.0f);
    dialogs.answerOk("-2147483647"); // no overflow: a huge move is a move modulo eight
    choose({"Move Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_FLOAT_EQ(e().getParameter(tune), 0.0f);
    choose({"Reverse Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_FLOAT_EQ(e().getParameter(tune), 7 / 20.0f);
    dialogs.answerOk("12");
    choose({"Transpose Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_NEAR(e().getParameter(tune), 7 / 20.0f + 12 / 72.99f, 1e-5);
    EXPECT_FLOAT_EQ(e().getParameter(tune + 8), 8 / 20.0f);
    dialogs.answerCancel();
    choose({"Transpose Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_NEAR(e().getParameter(tune), 7 / 20.0f + 12 / 72.99f, 1e-5);
    dialogs.answerOk("99999");
    choose({"Transpose Arp"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_EQ(e().getParameter(tune), 1.0f);

    const std::string path = folder + "/a.arp";
    dialogs.answerOk(path);
    choose({"Save Arp Preset"});
    ed->showArpMenu(-1, -1, false);
    choose({"Step / Row / Cell Commands", "Randomize Row"});
    ed->showArpMenu(3, 2, true);
    dialogs.answerOk(path);
    choose({"Load Arp Preset"});
    ed->showArpMenu(-1, -1, false);
    EXPECT_EQ(e().getParameter(tune), 1.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tune + 8), 8 / 20.0f);
    for (int n = 0; n < 7; ++n) {
        choose({"Undo"});
        ed->showArpMenu(-1, -1, false);
    }
    for (int s = 0; s < 16; ++s) EXPECT_FLOAT_EQ(e().getParameter(tune + s), s / 20.0f);

    e().setLockState(kLockPlay, kLockLocked);
    const int before = popups;
    ed->showArpMenu(-1, -1, false);
    EXPECT_EQ(popups, before);
}

TEST_F(MenuRig, XYShapesTransformsAndFilesAsNumbers) {
    choose({"Presets", "Set to Circle"});
    ed->showXYMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy1PathXFirst), 0.5f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy1PathYFirst), 1.0f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy1PathXFirst + 8), 1.0f);
    dialogs.answerOk("25");
    choose({"Move XY Start"});
    ed->showXYMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy1PathXFirst), 1.0f); // old point 8 leads
    dialogs.answerCancel();
    choose({"Scale X and Y"}); // Cancel: the path is not collapsed
    ed->showXYMenu(0);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy1PathXFirst), 1.0f);
    dialogs.answerOk("90");
    choose({"Rotate"}); // the right edge turns to the top
    ed->showXYMenu(0);
    EXPECT_NEAR(e().getParameter(tag::Xy1PathXFirst), 0.5f, 1e-5);
    EXPECT_NEAR(e().getParameter(tag::Xy1PathYFirst), 1.0f, 1e-5);

    // A file saved from XY 1 loads into XY 2 position by position.
    e().setParameter(tag::Osc1ZekX, 0.25f);
    const std::string path = folder + "/p.xyp";
    dialogs.answerOk(path);
    choose({"Save XY Preset"});
    ed->showXYMenu(0);
    EXPECT_EQ(readWhole(path).size(), 74u * 9u);
    const float before = e().getParameter(tag::Xy2PathYFirst);
    dialogs.answerOk(path);
    choose({"Load XY Preset"});
    ed->showXYMenu(1);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Osc2ZekX), 0.25f);
    EXPECT_NEAR(e().getParameter(tag::Xy2PathYFirst), 1.0f, 1e-5);
    choose({"Undo"});
    ed->showXYMenu(1);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Xy2PathYFirst), before);
}

// Closing the menu rebuilds the wave from its partials, which rewrites the points band-limited;
// a sine survives that, so the transforms are checked on one within a small tolerance.
TEST_F(MenuRig, UserWaveTransformsOverAllPointsCancelAndAnEmptyClipboard) {
    const int first = tag::UserWave1First;
    for (int i = 0; i < 512; ++i)
        e().setParameter(first + i, 0.5f + 0.5f * std::sin(6.2831853f * i / 512.0f));
    ed->showWaveMenu(0); // dismissed: only the rebuild
    std::vector<float> p(512);
    for (int i = 0; i < 512; ++i) p[i] = e().getParameter(first + i);
    auto expectShape = [&](auto want) {
        for (int i = 0; i < 512; ++i) ASSERT_NEAR(e().getParameter(first + i), want(i), 2e-3) << i;
    };
    auto at = [&](int i) { return p[((i % 512) + 512) % 512]; };
    choose({"Move User Wave 90 Degrees"});
    ed->showWaveMenu(0);
    expectShape([&](int i) { return at(i - 128); });
    dialogs.answerOk("-90");
    choose({"Move User Wave By Set Amount"}); // the same 128 points back
    ed->showWaveMenu(0);
    for (const char* answer : {"360", "-360"}) {
        dialogs.answerOk(answer);
        choose({"Move User Wave By Set Amount"});
        ed->showWaveMenu(0);
    }
    expectShape(at);
    for (const char* command : {"Amplify User Wave", "Quantize User Wave", "Randomize User Wave"}) {
        dialogs.answerCancel();
        choose({command});
        ed->showWaveMenu(0);
    }
    expectShape(at);
    choose({"Inverse User Wave"});
    ed->showWaveMenu(0);
    expectShape([&](int i) { return 1.0f - at(i); });
    e().setParameter(tag::UserWave1Preset, 0.3f);
    ed->pasteWave(0); // nothing copied: nothing changes
    EXPECT_FLOAT_EQ(e().getParameter(tag::UserWave1Preset), 0.3f);
    expectShape([&](int i) { return 1.0f - at(i); });
    choose({"Undo"});
    ed->showWaveMenu(0);
    expectShape(at);
}

// A command that asks three numbers in turn: the menu call and every idle call return while a
// question is open, nothing moves until the last answer, then the shape is written once, as
// the same command answered at once writes it, with one undo level. Cancel at the second
// question leaves the path as it was.
TEST_F(MenuRig, MenuQuestionsRunBesideTheIdleCallsAndApplyOnceAfterTheLastAnswer) {
    const int all = xytags::kAllXYSection;
    LateDialogs late;
    installDialogBackend(&late);
    const std::vector<float> start = xyPath(e(), 0);
    const int level = ed->getSectionUndoLevel(all);
    choose({"Presets", "Set to Lissajous Curve"});
    ed->showXYMenu(0);
    const char* titles[] = {"X Multiply", "Y Multiply", "Y Angle"};
    const char* answers[] = {"2", "3", "90"};
    for (int q = 0; q < 3; ++q) {
        ASSERT_EQ(late.asked.size(), static_cast<size_t>(q + 1));
        EXPECT_EQ(late.asked.back().text, titles[q]);
        for (int i = 0; i < 5; ++i) ed->idle();
        EXPECT_TRUE(ed->isTypedEntryOpen());
        EXPECT_EQ(xyPath(e(), 0), start) << "question " << q;
        EXPECT_EQ(ed->getSectionUndoLevel(all), level) << "question " << q;
        late.answer(true, answers[q]);
        ed->idle();
    }
    for (int i = 0; i < 5; ++i) ed->idle();
    EXPECT_EQ(late.asked.size(), 3u);
    EXPECT_FALSE(ed->isTypedEntryOpen());
    const std::vector<float> shaped = xyPath(e(), 0);
    EXPECT_NE(shaped, start);
    EXPECT_EQ(ed->getSectionUndoLevel(all), level + 1);
    choose({"Undo"});
    ed->showXYMenu(0);
    EXPECT_EQ(xyPath(e(), 0), start);
    EXPECT_EQ(ed->getSectionUndoLevel(all), level);

    // The same command answered at once writes the same shape.
    installDialogBackend(&dialogs);
    for (const char* a : answers) dialogs.answerOk(a);
    choose({"Presets", "Set to Lissajous Curve"});
    ed->showXYMenu(0);
    EXPECT_EQ(xyPath(e(), 0), shaped);
    EXPECT_EQ(dialogs.unusedAnswers(), 0u);

    // Cancel in the middle of the chain.
    installDialogBackend(&late);
    late.asked.clear();
    const int shapedLevel = ed->getSectionUndoLevel(all);
    choose({"Presets", "Set to Lissajous Curve"});
    ed->showXYMenu(0);
    late.answer(true, "5");
    ed->idle();
    ASSERT_EQ(late.asked.size(), 2u);
    late.answer(false);
    for (int i = 0; i < 5; ++i) ed->idle();
    EXPECT_EQ(late.asked.size(), 2u);
    EXPECT_FALSE(ed->isTypedEntryOpen());
    EXPECT_EQ(xyPath(e(), 0), shaped);
    // Like a dismissed menu, the cancelled command keeps one snapshot, of the path as it is.
    EXPECT_EQ(ed->getSectionUndoLevel(all), shapedLevel + 1);
    choose({"Undo"});
    ed->showXYMenu(0);
    EXPECT_EQ(xyPath(e(), 0), shaped);
    installDialogBackend(&dialogs);
}
