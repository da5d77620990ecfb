// The preset menu of the real plug-in in an X11 window: a click on the preset name opens the
// list, the pointer picks a preset in a column, and the arrows step the bank; the host hears
// of no edit outside the parameters.
#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "BankPhrase.h"
#include "EditorSession.h"
#include "tests/TestEnv.h"

using testhost::EditorSession;

namespace {

// The preset name at 100 percent: 112, 23, 164 x 16.
constexpr int kPresetX = 112, kPresetY = 23, kPresetW = 164, kPresetH = 16;

// Pointer events sent straight to the server: while a pop-up is open the editor's idle call
// runs the pop-up, so waiting for idle calls between events would only time out.
struct Pointer {
    Display* display = XOpenDisplay(nullptr);
    ~Pointer() {
        if (display) XCloseDisplay(display);
    }
    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        XSync(display, False);
    }
    void click(int x, int y) {
        moveTo(x, y);
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
    }
    XWindowAttributes geometry(Window w) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, w, &a);
        return a;
    }
};

} // namespace

TEST(HostEditorEvents, ThePresetNameOpensTheBankAndAClickInAColumnPicksAPreset) {
    testhost::Plugin plugin;
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    Pointer pointer;
    ASSERT_TRUE(pointer.display);
    // A failed step must not leave a pop-up open: the editor could not close under it.
    struct Dismiss {
        EditorSession& s;
        Pointer& p;
        ~Dismiss() {
            if (!s.popups().empty()) p.click(s.getWidth() + 200, s.getHeight() + 200);
            EditorSession::waitFor([&] { return s.popups().empty(); }, EditorSession::kPatienceMs);
        }
    } dismiss{s, pointer};
    const std::string first = plugin.text(effGetProgramName);
    s.forget();

    pointer.click(kPresetX + 40, kPresetY + kPresetH / 2);
    ASSERT_TRUE(s.waitForPopup());
    auto panels = s.popups();
    ASSERT_EQ(panels.size(), 1u);
    // Eight columns, a separator of 7 pixels and five commands, in rows of equal height.
    const XWindowAttributes list = pointer.geometry(panels[0]);
    const int row = (list.height - 2 - 7) / 13;
    ASSERT_GT(row, 4);
    // Hovering "Preset 33-64" opens its column beside the list. The list may show a moment
    // before it takes the pointer, so the pointer moves again until the column is there.
    int jiggle = 0;
    ASSERT_TRUE(EditorSession::waitFor(
        [&] {
            pointer.moveTo(list.x + list.width / 2 + (jiggle++ % 2), list.y + 1 + row + row / 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return s.popups().size() == 2;
        },
        5000));
    panels = s.popups();
    const XWindowAttributes a = pointer.geometry(panels[0]);
    const Window column = a.x == list.x && a.y == list.y ? panels[1] : panels[0];
    const XWindowAttributes presets = pointer.geometry(column);
    EXPECT_GE(presets.x, list.x + list.width - 1);
    const int presetRow = (presets.height - 2) / 32;
    EXPECT_EQ(presetRow, row);
    pointer.click(presets.x + presets.width / 2, presets.y + 1 + 4 * presetRow + presetRow / 2);
    ASSERT_TRUE(s.waitForNoPopup());
    s.idles(3);
    const std::string picked = plugin.text(effGetProgramName);
    EXPECT_NE(picked, first);
    EXPECT_FALSE(picked.empty());

    // The program is applied by the audio thread; then the right arrow steps to the next
    // preset, the left one back to the one picked.
    std::vector<float> left, right;
    for (int i = 0; i < 8; ++i) plugin.process(4096, left, right);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    s.click(kPresetX + kPresetW - 2, kPresetY + kPresetH / 2);
    const std::string next = plugin.text(effGetProgramName);
    EXPECT_NE(next, picked);
    for (int i = 0; i < 8; ++i) plugin.process(4096, left, right);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    s.click(kPresetX + kPresetW - 16, kPresetY + kPresetH / 2);
    EXPECT_EQ(plugin.text(effGetProgramName), picked);
    EXPECT_TRUE(s.popups().empty());

    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "");
}

// A host's undo of a program change writes back only the values that moved, the name's among
// them: the preset name shows that sound's name again, as drawn.
TEST(HostEditorEvents, ThePresetNameFollowsTheValuesAHostWritesBack) {
    testhost::Plugin plugin;
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    std::vector<float> left, right;
    auto shown = [&](const char* preset) {
        bankphrase::selectPreset(plugin, preset);
        for (int i = 0; i < 3; ++i) plugin.process(4096, left, right);
        s.idles(3);
        return s.box(kPresetX, kPresetY, kPresetW, kPresetH);
    };
    const auto glass = shown("Glass Piano");
    std::vector<float> values(2048);
    for (VstInt32 t = 0; t < 2048; ++t) values[size_t(t)] = plugin.getParameter(t);
    ASSERT_NE(shown("Vowel Choir Keys"), glass);
    for (VstInt32 t = 0; t < 2048; ++t)
        if (plugin.getParameter(t) != values[size_t(t)]) plugin.setParameter(t, values[size_t(t)]);
    plugin.process(4096, left, right);
    EXPECT_TRUE(EditorSession::waitFor(
        [&] {
            s.idles(1);
            return s.box(kPresetX, kPresetY, kPresetW, kPresetH) == glass;
        },
        EditorSession::kPatienceMs))
        << "the preset name still shows the sound before";
}
