// A host may close the editor, or delete the plug-in, from inside any callback of the editor:
// the beginEdit, automate, endEdit or updateDisplay of a knob drag, a menu choice, a typed
// entry or a section command. The sanitizer builds check that nothing freed is touched.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "EndingCall.h"
#include "FakeDialogs.h"

#include <cstdio>
#include <memory>
#include <string>

using testhost::EditorSession;

namespace {

constexpr int kVolumeX = 305, kVolumeY = 133, kVolume = 12, kFilterType = 294;
constexpr int kEcsMenuX = 383, kEcsMenuY = 27; // its first entry opens a file chooser
const std::vector<int> kFilter = {57, 58, 59, 297, 298, 299, 296, 66,  295, 294, 60,
                                  61, 62, 63, 64,  65,  302, 303, 304, 67,  305};

// A gesture that edits: the knob drag, or a menu opened by a click and picked by keys (the
// filter type, the knob's "Set to Value" typed entry, the filter section's reset).
void makeGesture(EditorSession& s, testhost::Plugin& plugin, int g) {
    plugin.setParameter(kVolume, 0.9f);
    plugin.setParameter(kFilterType, 0.99f);
    for (int t : kFilter) plugin.setParameter(t, plugin.getParameter(t) < 0.5f ? 0.9f : 0.1f);
    s.idles(3);
    if (g == 0) return s.drag(kVolumeX, kVolumeY, kVolumeX, kVolumeY + 30);
    const std::vector<KeySym> picks[] = {
        {XK_Down, XK_Down, XK_Right, XK_Down}, std::vector<KeySym>(8, XK_Down), {XK_Down, XK_Down}};
    const int at[][3] = {{729, 116, 1}, {kVolumeX, kVolumeY, 3}, {721, 98, 1}};
    s.click(at[g - 1][0], at[g - 1][1], static_cast<unsigned>(at[g - 1][2]));
    if (!s.waitForPopup(3000)) return;
    for (KeySym k : picks[g - 1]) s.key(k);
    s.key(XK_Return);
}

// Runs `inside` at the first callback `opcode` of the user-interface thread; true when it ran.
bool closeInside(EditorSession& s, testhost::Plugin& plugin, int gesture, VstInt32 opcode,
                 const std::function<void()>& inside) {
    std::atomic<bool> fired{false};
    s.uiCall([&] {
        testhost::hostReentry() = [&, ui = std::this_thread::get_id()](VstInt32 op, VstInt32) {
            if (op == opcode && !fired && std::this_thread::get_id() == ui) {
                fired = true;
                inside();
            }
        };
    });
    makeGesture(s, plugin, gesture);
    EditorSession::waitFor([&] { return fired.load(); }, 3000);
    s.idles(3);
    s.uiCall([] { testhost::hostReentry() = nullptr; });
    return fired;
}

} // namespace

TEST(HostEditorEvents, TheHostMayCloseTheEditorOrThePluginInsideAnyCallback) {
    testhost::FakeDialogs dialogs;
    auto plugin = std::make_unique<testhost::Plugin>();
    std::vector<float> left, right;
    plugin->process(8192, left, right);
    EditorSession s(*plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    int closes = 0;
    for (int g = 0; g < 4; ++g)
        for (VstInt32 opcode : {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit,
                                audioMasterUpdateDisplay}) {
            const std::string what = std::to_string(g) + ", opcode " + std::to_string(opcode);
            if (g == 2) dialogs.answer("25");
            s.forget();
            const bool closed =
                closeInside(s, *plugin, g, opcode, [&] { plugin->dispatch(effEditClose); });
            // Only the section command moves many parameters and asks for an updateDisplay.
            EXPECT_TRUE(closed || (opcode == audioMasterUpdateDisplay && g != 3)) << what;
            closes += closed;
            EXPECT_EQ(s.editorWindows(), closed ? 0u : 1u) << what;
            EXPECT_TRUE(s.popups().empty()) << what;
            EXPECT_EQ(EditorSession::bracketFaults(s.calls()), "") << what;
            ASSERT_TRUE(s.reopen()) << what;
        }
    std::printf("[ figures  ] the host closed the editor inside %d callbacks\n", closes);

    // The plug-in deleted inside an automate of a knob drag, its editor still open: the window
    // goes and the host hears nothing more of it.
    size_t callsAtClose = 0;
    EXPECT_TRUE(closeInside(s, *plugin, 0, audioMasterAutomate, [&] {
        plugin->dispatch(effClose);
        plugin->forgetClosed();
        s.pluginClosed();
        callsAtClose = testhost::callLog().snapshot().size();
    }));
    EXPECT_EQ(s.editorWindows(), 0u);
    // The automate the host answered is logged after its answer.
    EXPECT_EQ(s.calls().size(), callsAtClose + 1);
}

// The host answers a knob drag's brackets by closing the editor, opening it or deleting the
// plug-in: at the press's beginEdit, at the release's endEdit, and at the endEdit that the
// editor's own close sends for a drag still held. Each is carried out, or refused (an opening),
// once the plug-in's call has returned.
TEST(HostEditorEvents, TheHostMayAnswerADragsBracketsByClosingOpeningOrDeleting) {
    std::unique_ptr<testhost::Plugin> plugin;
    std::unique_ptr<EditorSession> s;
    enum Answer { kCloseEditor, kOpenEditor, kDeletePlugin };
    const VstInt32 kHeldAtClose = -1;
    for (VstInt32 callback :
         {VstInt32(audioMasterBeginEdit), VstInt32(audioMasterEndEdit), kHeldAtClose})
        for (Answer answer : {kCloseEditor, kOpenEditor, kDeletePlugin}) {
            const std::string what =
                std::to_string(callback) + ", answer " + std::to_string(int(answer));
            if (!plugin) {
                plugin = std::make_unique<testhost::Plugin>();
                std::vector<float> left, right;
                plugin->process(8192, left, right);
                s = std::make_unique<EditorSession>(*plugin);
                if (!s->ok()) ZEK2_CANNOT_RUN(s->whyNot());
            }
            const auto inside = [&] {
                if (answer == kOpenEditor) {
                    plugin->dispatch(effEditOpen, 0, 0,
                                     reinterpret_cast<void*>(s->getHostWindow()));
                    return;
                }
                plugin->dispatch(effEditClose);
                if (answer != kDeletePlugin) return;
                plugin->dispatch(effClose);
                plugin->forgetClosed();
                s->pluginClosed();
            };
            s->forget();
            bool fired = false;
            if (callback != kHeldAtClose) {
                fired = closeInside(*s, *plugin, 0, callback, inside);
            } else {
                plugin->setParameter(kVolume, 0.5f);
                s->idles(3);
                s->moveTo(kVolumeX, kVolumeY);
                s->press();
                s->moveTo(kVolumeX, kVolumeY + 20);
                s->uiCall([&] {
                    testhost::hostReentry() = [&](VstInt32 op, VstInt32) {
                        if (op != audioMasterEndEdit || fired) return;
                        fired = true;
                        inside();
                    };
                    plugin->dispatch(effEditClose);
                    testhost::hostReentry() = nullptr;
                });
                s->release();
            }
            EXPECT_TRUE(fired) << what;
            const bool stillOpen = answer == kOpenEditor && callback != kHeldAtClose;
            EXPECT_EQ(s->editorWindows(), stillOpen ? 1u : 0u) << what;
            if (!plugin->get()) {
                s.reset();
                plugin.reset();
                continue;
            }
            EXPECT_EQ(EditorSession::bracketFaults(s->calls()), "") << what;
            ASSERT_TRUE(s->reopen()) << what;
        }
}

// A host thread that ends inside one of the editor's calls: it exits inside the endEdit that the
// editor's close sends for a knob drag still held, the close asked by the host or asked at the
// drag's beginEdit and carried out as the idle call that took the press returns; or it is
// cancelled (asked before the call) while the editor closes or idles with a file chooser open.
// An exit unwinds through the plug-in, a cancel acts only once the call has returned to the
// host; the host lives and the editor opens again. Each call runs on a thread of the host's own
// while its user-interface thread waits for it.
TEST(HostEditorEvents, AHostThreadThatEndsInsideTheEditorsCalls) {
    testhost::FakeDialogs dialogs(EditorSession::kPatienceMs); // a chooser stays until ended
    auto plugin = std::make_unique<testhost::Plugin>();
    std::vector<float> left, right;
    plugin->process(8192, left, right);
    EditorSession s(*plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    bool asked = false;
    const auto close = [](testhost::Plugin& p) { p.dispatch(effEditClose); };
    const auto idle = [](testhost::Plugin& p) { p.dispatch(effEditIdle); };
    const auto idleUntilAsked = [&](testhost::Plugin& p) {
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(EditorSession::kPatienceMs / 2);
        while (!asked && std::chrono::steady_clock::now() < end) {
            p.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    const auto closeAtBegin = [&](VstInt32 op) {
        if (op != audioMasterBeginEdit || asked) return;
        asked = true;
        plugin->dispatch(effEditClose);
    };
    enum Before { kDragHeld, kPressWaiting, kChooserOpen };
    struct Row {
        const char* name;
        Before before;
        testhost::EndingCall call;
    } rows[] = {
        {"close, exit in the drag's endEdit",
         kDragHeld,
         {plugin.get(), close, audioMasterEndEdit, false}},
        {"idle, close asked at the drag's beginEdit, exit in its endEdit",
         kPressWaiting,
         {plugin.get(), idleUntilAsked, audioMasterEndEdit, false, closeAtBegin}},
        {"close with a chooser open, cancelled", kChooserOpen, {plugin.get(), close, -1, true}},
        {"idle with a chooser open, cancelled", kChooserOpen, {plugin.get(), idle, -1, true}},
    };
    size_t questions = 0;
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        plugin->setParameter(kVolume, 0.5f);
        s.idles(3);
        s.moveTo(kVolumeX, kVolumeY);
        if (row.before == kDragHeld) {
            s.press();
            s.moveTo(kVolumeX, kVolumeY + 20);
        }
        if (row.before == kChooserOpen) {
            s.click(kEcsMenuX, kEcsMenuY);
            ASSERT_TRUE(s.waitForPopup());
            s.key(XK_Down);
            s.key(XK_Return);
            ASSERT_TRUE(dialogs.waitForQuestions(++questions));
        }
        void* result = &row;
        s.uiCall([&] {
            if (row.before == kPressWaiting) {
                XTestFakeButtonEvent(s.getDisplay(), 1, True, CurrentTime);
                XSync(s.getDisplay(), False);
            }
            result = row.call.run();
        });
        EXPECT_EQ(result, row.call.cancel ? PTHREAD_CANCELED : nullptr);
        EXPECT_TRUE(row.call.reached);
        EXPECT_EQ(row.call.returned, row.call.cancel) << "a cancel acted inside the plug-in's call";
        if (row.before != kChooserOpen) s.release();
        ASSERT_TRUE(s.reopen());
        asked = false;
    }
}
