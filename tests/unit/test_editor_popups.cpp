// Pop-up menus and message windows that stay open across idle calls: the choice applies when
// it is made, closing the window drops whatever is open without acting, and without a dialog
// program the editor says so in a window of its own.
#include "GuiTestSupport.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "gui/COptionMenu.h"
#include "test_sections_rig.h"

#include <gtest/gtest.h>

using namespace VSTGUI;

namespace {

struct Listener : IControlListener {
    std::vector<CControl*> senders;
    void valueChanged(CControl* c) override { senders.push_back(c); }
};

// Walks the open pop-up along a path of titles with its pointer events, choosing the last.
bool chooseInOpenPopup(CFrame* frame, const std::vector<std::string>& path) {
    MenuPopup* p = frame->getOpenMenuPopup();
    if (!p) return false;
    for (size_t level = 0; level < path.size(); ++level) {
        if (static_cast<int32_t>(level) >= p->getNbLevels()) return false;
        const COptionMenu* m = p->getLevel(static_cast<int32_t>(level)).menu;
        int i = 0;
        while (i < m->getNbEntries() && m->getEntry(i)->getTitle() != path[level]) ++i;
        if (i == m->getNbEntries()) return false;
        const CPoint at = p->getItemCenter(static_cast<int32_t>(level), i);
        p->mouseMoved(at);
        if (level + 1 == path.size()) p->mouseUp(at, kLButton);
    }
    return true;
}

// No dialog program: every dialog comes back unshown.
class NoDialogProgram : public DialogBackend {
public:
    DialogAnswer ask(DialogRequest const& request) override {
        asked.push_back(request);
        DialogAnswer none;
        none.dismissed = none.unavailable = true;
        return none;
    }
    std::vector<DialogRequest> asked;
};

} // namespace

TEST(GuiPopups, APopupStaysOpenAcrossIdleCallsAndItsChoiceIsToldWhenMade) {
    CFrame* frame = guitest::offscreenFrame(400, 300);
    frame->setOffscreenPopupsStayOpen(true);
    Listener listener;
    auto* menu = new COptionMenu(CRect(10, 10, 110, 26), &listener, 7);
    for (const char* t : {"Sine", "Saw", "Square"}) menu->addEntry(t);
    guitest::attach(frame, menu);

    frame->platformMouseDown(CPoint(20, 15), kLButton, 100);
    ASSERT_NE(frame->getOpenMenuPopup(), nullptr);
    for (int i = 0; i < 5; ++i) frame->idle();
    ASSERT_NE(frame->getOpenMenuPopup(), nullptr) << "open across idle calls";
    EXPECT_TRUE(listener.senders.empty());
    // Drawn over the frame while open, and gone when closed.
    const CPoint c = frame->getOpenMenuPopup()->getItemCenter(0, 2);
    const CColor under = CColor(12, 14, 16, 255);
    EXPECT_NE(frame->getPixel(static_cast<int>(c.x) + 20, static_cast<int>(c.y)), under);
    ASSERT_TRUE(chooseInOpenPopup(frame, {"Square"}));
    EXPECT_TRUE(listener.senders.empty()) << "told by the idle call that serves the pop-up";
    frame->idle();
    EXPECT_EQ(frame->getOpenMenuPopup(), nullptr);
    ASSERT_EQ(listener.senders.size(), 1u);
    EXPECT_EQ(menu->getCurrentIndex(), 2);
    EXPECT_EQ(frame->getPixel(static_cast<int>(c.x) + 20, static_cast<int>(c.y)), under);

    // A second pop-up cannot open over the first; Escape closes it and tells nothing.
    int closedCalls = 0;
    menu->popup([&](bool chosen) {
        ++closedCalls;
        EXPECT_FALSE(chosen);
    });
    EXPECT_FALSE(frame->openMenuPopup(menu, {}));
    frame->getOpenMenuPopup()->keyDown(20);
    frame->idle();
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(listener.senders.size(), 1u);

    // A view that opens a pop-up from its press and asks for the moves (as a slider's command
    // menu does) gets none: the press is the pop-up's.
    struct Opener : CView {
        COptionMenu* menu;
        explicit Opener(COptionMenu* m) : CView(CRect(200, 10, 260, 40)), menu(m) {}
        CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override {
            menu->popup();
            return kMouseEventHandled;
        }
    };
    guitest::attach(frame, new Opener(menu));
    frame->platformMouseDown(CPoint(210, 20), kRButton, 1000);
    ASSERT_NE(frame->getOpenMenuPopup(), nullptr);
    EXPECT_FALSE(frame->isMouseCaptured());
    // A press on the frame beside the pop-up closes it and reaches no view.
    frame->platformMouseDown(CPoint(210, 20), kLButton, 2000);
    EXPECT_EQ(frame->getOpenMenuPopup(), nullptr);
    EXPECT_EQ(listener.senders.size(), 1u);

    // The frame closes with a pop-up open: nothing is chosen and nothing runs.
    menu->popup([&](bool) { ++closedCalls; });
    ASSERT_TRUE(chooseInOpenPopup(frame, {"Sine"}));
    frame->close();
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(listener.senders.size(), 1u);
    EXPECT_EQ(menu->getCurrentIndex(), 2);
    frame->forget();
}

TEST(GuiPopups, MessagesShowOneAtATimeAndCloseWithTheirButtonOrKeys) {
    CFrame* frame = guitest::offscreenFrame(400, 300);
    frame->showMessage("First");
    frame->showMessage("Second line one\nline two");
    EXPECT_EQ(frame->getShownMessage(), "First");
    frame->getOpenMessage()->keyDown(19); // Return
    frame->idle();
    EXPECT_EQ(frame->getShownMessage(), "Second line one\nline two");
    MessageWindow* m = frame->getOpenMessage();
    EXPECT_GT(m->getSize().getHeight(), m->getButton().getHeight() * 2);
    const CPoint ok((m->getButton().left + m->getButton().right) / 2,
                    (m->getButton().top + m->getButton().bottom) / 2);
    m->mouseDown(CPoint(1, 1));
    m->mouseUp(ok);
    EXPECT_FALSE(m->isDone()) << "a press beside the button is no click on it";
    m->mouseDown(ok);
    m->mouseUp(ok);
    frame->idle();
    EXPECT_EQ(frame->getShownMessage(), "");
    frame->showMessage("Left open");
    frame->forget(); // closing with a message open is quiet
}

namespace {

struct OpenMenus : sectionstest::MenuRig {
    void SetUp() override {
        MenuRig::SetUp();
        ed->getFrame()->setMenuDriver(nullptr);
        ed->getFrame()->setOffscreenPopupsStayOpen(true);
    }
    CFrame* frame() { return ed->getFrame(); }
};

} // namespace

TEST_F(OpenMenus, ASectionCommandRunsWhenChosenAndClosingTheWindowDropsIt) {
    const int all = section::AllOscillators;
    const int level = ed->getSectionUndoLevel(all);
    ed->showOscMenu(0);
    ASSERT_NE(frame()->getOpenMenuPopup(), nullptr);
    for (int i = 0; i < 5; ++i) ed->idle();
    EXPECT_EQ(ed->getSectionUndoLevel(all), level) << "nothing happens while it is open";
    ASSERT_TRUE(chooseInOpenPopup(frame(), {"Swap Oscillators"}));
    const float osc2 = e().getParameter(tag::Osc2Volume);
    e().setParameter(tag::Osc1Volume, 0.123f);
    ed->idle();
    EXPECT_EQ(frame()->getOpenMenuPopup(), nullptr);
    EXPECT_EQ(ed->getSectionUndoLevel(all), level + 1);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Osc2Volume), 0.123f);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Osc1Volume), osc2);

    // Closed with the menu open (an entry already hovered): no snapshot, no change.
    ed->showOscMenu(0);
    ASSERT_NE(frame()->getOpenMenuPopup(), nullptr);
    MenuPopup* p = frame()->getOpenMenuPopup();
    p->mouseMoved(p->getItemCenter(0, 2));
    ed->close();
    EXPECT_EQ(ed->getSectionUndoLevel(all), level + 1);
    EXPECT_FLOAT_EQ(e().getParameter(tag::Osc2Volume), 0.123f);
    ASSERT_TRUE(ed->open(nullptr));
    ed->getFrame()->setOffscreenPopupsStayOpen(true);
    for (int i = 0; i < 3; ++i) ed->idle();
    EXPECT_EQ(ed->getSectionUndoLevel(all), level + 1);
}

// A file chooser open when the window closes goes with it: its answer, should it come, is
// never used.
TEST_F(OpenMenus, AChooserOpenWhenTheWindowClosesIsDroppedAndChangesNothing) {
    std::vector<DialogRequest> asked;
    struct Late : DialogBackend {
        std::vector<DialogRequest>& asked;
        explicit Late(std::vector<DialogRequest>& a) : asked(a) {}
        DialogAnswer ask(DialogRequest const& r) override {
            asked.push_back(r);
            return DialogAnswer();
        }
        std::unique_ptr<PendingDialog> askLater(DialogRequest const& r) override {
            asked.push_back(r);
            struct Never : PendingDialog {
                bool poll(DialogAnswer&) override { return false; }
            };
            return std::make_unique<Never>();
        }
    } late(asked);
    installDialogBackend(&late);
    const int eq = section::BothEQs;
    const int level = ed->getSectionUndoLevel(eq);
    ed->showEQMenu();
    ASSERT_TRUE(chooseInOpenPopup(frame(), {"Load EQ Preset"}));
    ed->idle();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, DialogKind::OpenFile);
    EXPECT_TRUE(ed->isTypedEntryOpen());
    for (int i = 0; i < 5; ++i) ed->idle();
    EXPECT_EQ(ed->getSectionUndoLevel(eq), level) << "the command waits for its answer";
    ed->close();
    EXPECT_FALSE(ed->isTypedEntryOpen());
    ASSERT_TRUE(ed->open(nullptr));
    for (int i = 0; i < 3; ++i) ed->idle();
    EXPECT_EQ(ed->getSectionUndoLevel(eq), level);
    EXPECT_EQ(asked.size(), 1u);
    installDialogBackend(&dialogs);
}

TEST_F(OpenMenus, WithoutADialogProgramTheEditorTellsInAWindowOfItsOwn) {
    NoDialogProgram none;
    installDialogBackend(&none);
    const float volume = e().getParameter(tag::Osc1Volume);
    ed->typeValue(tag::Osc1Volume);
    ASSERT_EQ(none.asked.size(), 1u);
    EXPECT_NE(frame()->getShownMessage().find("zenity"), std::string::npos)
        << frame()->getShownMessage();
    EXPECT_NE(frame()->getShownMessage().find(none.asked[0].title), std::string::npos);
    EXPECT_EQ(e().getParameter(tag::Osc1Volume), volume);
    frame()->getOpenMessage()->close();
    ed->idle();

    EXPECT_EQ(frame()->getShownMessage(), "") << "told once";

    // A question of a menu command is told once too.
    ed->showControlMenu();
    ASSERT_TRUE(chooseInOpenPopup(frame(), {"Set MIDI Input Channel"}));
    ed->idle();
    EXPECT_NE(frame()->getShownMessage().find("zenity"), std::string::npos);
    frame()->getOpenMessage()->close();
    ed->idle();
    EXPECT_EQ(frame()->getShownMessage(), "");

    // A message box that only tells shows its own text there.
    ed->showControlMenu();
    ASSERT_TRUE(chooseInOpenPopup(frame(), {SET_SCREEN_SIZE_STR[0]}));
    ed->idle();
    EXPECT_EQ(frame()->getShownMessage(),
              "When you next open ZEK2, it'll open in 100% Screen Mode");
    installDialogBackend(&dialogs);
}

namespace {

// The edits the engine tells its host, in order: (opcode, tag).
std::vector<std::pair<VstInt32, int>> edits;
VstIntPtr tellingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterBeginEdit || opcode == audioMasterAutomate ||
        opcode == audioMasterEndEdit)
        edits.emplace_back(opcode, index);
    return 0;
}

} // namespace

// A command that waits for its file chooser runs first as a trial with no answer: it tells the
// host nothing then, not even the switch the arpeggiator menu tells after each command, and a
// cancelled chooser leaves nothing behind either.
TEST_F(OpenMenus, ACommandWaitingForItsChooserTellsTheHostNothing) {
    struct Later : DialogBackend {
        bool answered = false;
        DialogAnswer ask(DialogRequest const&) override { return DialogAnswer(); }
        std::unique_ptr<PendingDialog> askLater(DialogRequest const&) override {
            struct Pending : PendingDialog {
                bool& answered;
                explicit Pending(bool& a) : answered(a) {}
                bool poll(DialogAnswer& answer) override {
                    answer = DialogAnswer(); // Cancel
                    return answered;
                }
            };
            return std::make_unique<Pending>(answered);
        }
    } later;
    installDialogBackend(&later);
    edits.clear();
    auto engine = std::make_unique<APlugin>(tellingHost); // too large for the stack
    auto* editor = new uEditor(engine.get());
    ASSERT_TRUE(editor->open(nullptr));
    editor->getFrame()->setMenuDriver(nullptr);
    editor->getFrame()->setOffscreenPopupsStayOpen(true);
    edits.clear();
    editor->showArpMenu(-1, -1, false);
    ASSERT_TRUE(chooseInOpenPopup(editor->getFrame(), {"Load Arp Preset"}));
    editor->idle();
    EXPECT_TRUE(editor->isTypedEntryOpen());
    EXPECT_TRUE(edits.empty()) << edits.size() << " edit calls while the chooser is open";
    later.answered = true;
    editor->idle();
    EXPECT_FALSE(editor->isTypedEntryOpen());
    EXPECT_TRUE(edits.empty()) << edits.size() << " edit calls after Cancel";
    // Chosen without a question, the command still tells the switch.
    editor->showArpMenu(-1, -1, false);
    ASSERT_TRUE(chooseInOpenPopup(editor->getFrame(), {"Swap Arps"}));
    editor->idle();
    EXPECT_FALSE(edits.empty());
    editor->close();
    installDialogBackend(&dialogs);
}
