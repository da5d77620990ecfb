// Real key events with the pointer over the editor, as a musician at a DAW presses them: the
// keys the editor does not use (space, letters, ctrl+s, the arrows with a modifier held, the
// page keys) reach the host's window, where its transport, save and navigation shortcuts live;
// the plain up and down arrows step programs while keyboard control is on, whatever the state
// of Num Lock and Caps Lock, and are the host's too once it is off.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"

#include <X11/XKBlib.h>

using testhost::EditorSession;

namespace {

// The logo turns to the back side, where the computer keyboard switch sits (100 percent).
constexpr int kLogoX = 917, kLogoY = 40, kKeyboardSwitchX = 286, kKeyboardSwitchY = 499;

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

// Locks or unlocks Num Lock and Caps Lock, as their keys do.
void setLocks(Display* d, bool num, bool caps) {
    const unsigned numMask = XkbKeysymToModifiers(d, XK_Num_Lock);
    XkbLockModifiers(d, XkbUseCoreKbd, numMask | LockMask,
                     (num ? numMask : 0) | (caps ? LockMask : 0));
    XSync(d, False);
}

// Renders until a stepped program is applied and the editor has shown it.
void settleProgram(testhost::Plugin& plugin, EditorSession& s) {
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    s.idles(2);
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
    // Down, which the editor uses, steps the program and stays the editor's, also with Num
    // Lock or Caps Lock on.
    struct LocksOff {
        Display* d;
        ~LocksOff() { setLocks(d, false, false); }
    } locksOff{s.getDisplay()};
    std::string before = programName(plugin);
    const bool locks[4][2] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& [num, caps] : locks) {
        const std::string what = std::string("Num Lock ") + (num ? "on" : "off") + ", Caps Lock " +
                                 (caps ? "on" : "off");
        setLocks(s.getDisplay(), num, caps);
        std::this_thread::sleep_for(std::chrono::milliseconds(320));
        EXPECT_EQ(pressesAtHost(s, XK_Down), 0) << "down, " << what;
        settleProgram(plugin, s);
        EXPECT_NE(programName(plugin), before) << "down, " << what;
        before = programName(plugin);
    }
    // The arrows with a modifier and the page keys are the host's, and step nothing: each comes
    // long enough after the last step that a step would be taken, and none is at the end of
    // the bank.
    const std::string stepped = programName(plugin);
    const std::pair<KeySym, KeySym> hosts[] = {{XK_Down, XK_Control_L},
                                               {XK_Up, XK_Shift_L},
                                               {XK_Down, XK_Alt_L},
                                               {XK_Page_Up, 0},
                                               {XK_Page_Down, 0}};
    for (const auto& [sym, modifier] : hosts) {
        std::this_thread::sleep_for(std::chrono::milliseconds(320));
        const std::string what =
            std::string(modifier ? XKeysymToString(modifier) : "") + "+" + XKeysymToString(sym);
        EXPECT_EQ(pressesAtHost(s, sym, modifier), 1) << what;
        settleProgram(plugin, s);
        EXPECT_EQ(programName(plugin), stepped) << what;
    }
    // With keyboard control switched off on the back side, plain Down is the host's too.
    s.click(kLogoX, kLogoY);
    s.click(kKeyboardSwitchX, kKeyboardSwitchY);
    s.moveTo(600, 300);
    std::this_thread::sleep_for(std::chrono::milliseconds(320));
    EXPECT_EQ(pressesAtHost(s, XK_Down), 1) << "down, keyboard control off";
    settleProgram(plugin, s);
    EXPECT_EQ(programName(plugin), stepped) << "down, keyboard control off";
    s.click(kKeyboardSwitchX, kKeyboardSwitchY); // on again, as the preferences had it
}
