// Real key events with the pointer over the editor, as a musician at a DAW presses them: the
// keys the editor does not use (space, letters, ctrl+s) reach the host's window, where its
// transport and save shortcuts live; the arrows step programs while keyboard control is on.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"

using testhost::EditorSession;

namespace {

// Presses and releases `sym` through XTest, with `modifier` held when not 0, and counts the
// presses of `sym` that reach the host's window.
int pressesAtHost(EditorSession& s, KeySym sym, KeySym modifier = 0) {
    Display* d = s.getDisplay();
    const Window host = s.getHostWindow();
    XEvent event;
    while (XCheckWindowEvent(d, host, KeyPressMask | KeyReleaseMask, &event)) {
    }
    const KeyCode code = XKeysymToKeycode(d, sym);
    const KeyCode held = modifier ? XKeysymToKeycode(d, modifier) : 0;
    if (held) XTestFakeKeyEvent(d, held, True, CurrentTime);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    if (held) XTestFakeKeyEvent(d, held, False, CurrentTime);
    XSync(d, False);
    s.idles(3);
    int presses = 0;
    while (XCheckWindowEvent(d, host, KeyPressMask | KeyReleaseMask, &event))
        presses += event.type == KeyPress && event.xkey.keycode == code;
    return presses;
}

std::string programName(testhost::Plugin& plugin) {
    char name[kVstMaxProgNameLen + 1] = "";
    plugin.dispatch(effGetProgramName, 0, 0, name);
    return name;
}

} // namespace

TEST(HostEditorEvents, KeysTheEditorDoesNotUseReachTheHost) {
    testhost::Plugin plugin;
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    // The host listens to the keys of its window, as a DAW's window does.
    XSelectInput(s.getDisplay(), s.getHostWindow(), KeyPressMask | KeyReleaseMask);
    s.moveTo(600, 300);
    // A program step waits 300 ms after the opening.
    std::this_thread::sleep_for(std::chrono::milliseconds(320));
    EXPECT_EQ(pressesAtHost(s, XK_space), 1) << "space";
    EXPECT_EQ(pressesAtHost(s, XK_a), 1) << "a";
    EXPECT_EQ(pressesAtHost(s, XK_s, XK_Control_L), 1) << "ctrl+s";
    EXPECT_EQ(pressesAtHost(s, XK_Left), 1) << "left";
    // Down, which the editor uses, steps the program and stays the editor's.
    const std::string first = programName(plugin);
    EXPECT_EQ(pressesAtHost(s, XK_Down), 0) << "down";
    plugin.process(8192, left, right);
    s.idles(2);
    EXPECT_NE(programName(plugin), first);
}
