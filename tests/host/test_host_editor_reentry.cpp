// A host may close the editor, or the whole plug-in, from inside any callback the editor makes:
// inside the beginEdit, automate or endEdit of a knob drag, a menu choice, a typed entry or a
// section command, and inside the updateDisplay that follows. The process lives on (the
// sanitizer builds check that nothing freed is touched), the editor's window goes, the edit
// brackets stay sound, and a plug-in the host closed calls it no more. Real X events.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "FakeDialogs.h"

#include <cstdio>
#include <memory>

using testhost::EditorSession;

namespace {

// Where things sit on the main screen at 100 percent, and what they edit.
constexpr int kVolumeX = 305, kVolumeY = 133, kVolume = 12;
constexpr int kFilterTypeX = 729, kFilterTypeY = 116, kFilterType = 294;
constexpr int kFilterButtonX = 721, kFilterButtonY = 98, kResetFilter = 2;
constexpr int kKnobSetToValue = 8;
const std::vector<int> kFilter = {57, 58, 59, 297, 298, 299, 296, 66,  295, 294, 60,
                                  61, 62, 63, 64,  65,  302, 303, 304, 67,  305};

enum Gesture { kKnobDrag, kMenuChoice, kTypedEntry, kSectionCommand, kGestures };
const char* const kGestureNames[kGestures] = {"knob drag", "menu choice", "typed entry",
                                              "section command"};

// Sets the parameters away from where the gesture takes them, so that it edits, and makes it.
void makeGesture(EditorSession& s, testhost::Plugin& plugin, Gesture g) {
    switch (g) {
    case kKnobDrag:
        plugin.setParameter(kVolume, 0.5f);
        s.idles(3);
        s.drag(kVolumeX, kVolumeY, kVolumeX, kVolumeY + 30);
        break;
    case kMenuChoice:
        // The first type of the first group.
        plugin.setParameter(kFilterType, 0.99f);
        s.idles(3);
        s.click(kFilterTypeX, kFilterTypeY);
        if (!s.waitForPopup()) break;
        s.keys(XK_Down, 2);
        s.key(XK_Right);
        s.key(XK_Down);
        s.key(XK_Return);
        break;
    case kTypedEntry:
        plugin.setParameter(kVolume, 0.9f);
        s.idles(3);
        s.click(kVolumeX, kVolumeY, 3);
        if (!s.waitForPopup()) break;
        s.keys(XK_Down, kKnobSetToValue);
        s.key(XK_Return);
        break;
    case kSectionCommand:
        for (int t : kFilter) plugin.setParameter(t, plugin.getParameter(t) < 0.5f ? 0.9f : 0.1f);
        s.idles(3);
        s.click(kFilterButtonX, kFilterButtonY);
        if (!s.waitForPopup()) break;
        s.keys(XK_Down, kResetFilter);
        s.key(XK_Return);
        break;
    default:
        break;
    }
}

// Arms the host to run `inside` at the first callback `opcode` from the user-interface thread.
void closeInside(EditorSession& s, VstInt32 opcode, std::atomic<bool>& fired,
                 std::function<void()> inside) {
    fired = false;
    s.uiCall([&s, opcode, &fired, inside] {
        const std::thread::id ui = s.uiThreadId();
        testhost::hostReentry() = [opcode, &fired, inside, ui](VstInt32 op, VstInt32) {
            if (op != opcode || fired || std::this_thread::get_id() != ui) return;
            fired = true;
            inside();
        };
    });
}
void disarm(EditorSession& s) {
    s.uiCall([] { testhost::hostReentry() = nullptr; });
}

} // namespace

TEST(HostEditorEvents, TheHostMayCloseTheEditorInsideAnyCallback) {
    testhost::FakeDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    testhost::Plugin plugin;
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    const VstInt32 opcodes[] = {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit,
                                audioMasterUpdateDisplay};
    std::atomic<bool> fired{false};
    int closes = 0;
    for (int g = 0; g < kGestures; ++g)
        for (VstInt32 opcode : opcodes) {
            const std::string what =
                std::string(kGestureNames[g]) + ", opcode " + std::to_string(opcode);
            if (g == kTypedEntry) dialogs.answer("25");
            s.forget();
            closeInside(s, opcode, fired, [&plugin] { plugin.dispatch(effEditClose); });
            makeGesture(s, plugin, static_cast<Gesture>(g));
            // The choice of a typed entry comes when the dialog program answers.
            const bool closed = EditorSession::waitFor([&] { return fired.load(); }, 3000);
            s.idles(3);
            disarm(s);
            const auto log = s.calls();
            // A single edit asks for no updateDisplay; every other callback comes.
            if (opcode != audioMasterUpdateDisplay || g == kSectionCommand) {
                EXPECT_TRUE(closed) << what << ": " << EditorSession::describe(log);
            }
            closes += closed;
            if (closed) {
                EXPECT_EQ(s.editorWindows(), 0u) << what;
                EXPECT_TRUE(s.popups().empty()) << what;
            }
            EXPECT_EQ(EditorSession::bracketFaults(log), "")
                << what << ": " << EditorSession::describe(log);
            ASSERT_TRUE(s.reopen()) << what;
            EXPECT_EQ(s.editorWindows(), 1u) << what;
        }
    std::printf("[ figures  ] the host closed the editor inside %d of 16 callbacks\n", closes);
}

// The host deletes the plug-in from inside a callback of the editor, after closing the editor
// first or without: the editor's window goes and the plug-in calls the host no more.
TEST(HostEditorEvents, TheHostMayCloseThePluginInsideACallback) {
    for (bool closeEditorFirst : {true, false}) {
        auto plugin = std::make_unique<testhost::Plugin>();
        std::vector<float> left, right;
        plugin->process(8192, left, right);
        EditorSession s(*plugin);
        if (!s.ok()) {
            ZEK2_CANNOT_RUN(s.whyNot());
        }
        std::atomic<bool> fired{false};
        size_t callsAtClose = 0;
        closeInside(s, closeEditorFirst ? audioMasterBeginEdit : audioMasterAutomate, fired, [&] {
            if (closeEditorFirst) plugin->dispatch(effEditClose);
            plugin->dispatch(effClose);
            plugin->forgetClosed();
            s.pluginClosed();
            callsAtClose = testhost::callLog().snapshot().size();
        });
        if (closeEditorFirst)
            makeGesture(s, *plugin, kMenuChoice);
        else
            makeGesture(s, *plugin, kKnobDrag);
        ASSERT_TRUE(EditorSession::waitFor([&] { return fired.load(); }, 3000));
        s.idles(3);
        disarm(s);
        EXPECT_EQ(s.editorWindows(), 0u);
        EXPECT_TRUE(s.popups().empty());
        // The call the host answered by closing is logged after its answer; none follows.
        EXPECT_LE(s.calls().size(), callsAtClose + 1) << EditorSession::describe(s.calls());
    }
}
