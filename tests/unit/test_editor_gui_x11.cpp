// The X11 back end under a real (virtual) X server: a frame inside a parent window shows its
// image, its menu pop-ups are real override-redirect windows, a parent that does not exist is
// refused without ending the process, and closing leaves no window behind. Skipped without an
// X display; the test script runs the tests under Xvfb.
#include "GuiTestSupport.h"
#include "gui/COptionMenu.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers define macros (None, Bool) that it uses as names.
#include "gui/backend/X11Frame.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <thread>

using namespace VSTGUI;

namespace {

struct XServer {
    Display* display = nullptr;
    Window parent = 0;
    XServer() {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) return;
        display = XOpenDisplay(nullptr);
        if (!display) return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    ~XServer() {
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    int children(Window w) const {
        Window root = 0, up = 0, *list = nullptr;
        unsigned int n = 0;
        XSync(display, False);
        if (!XQueryTree(display, w, &root, &up, &list, &n)) return -1;
        if (list) XFree(list);
        return static_cast<int>(n);
    }
    Window firstChild(Window w) const {
        Window root = 0, up = 0, *list = nullptr, first = 0;
        unsigned int n = 0;
        XSync(display, False);
        if (XQueryTree(display, w, &root, &up, &list, &n) && n > 0) first = list[0];
        if (list) XFree(list);
        return first;
    }
    // Mapped windows on the root that bypass the window manager: pop-ups.
    int popups() const {
        Window root = 0, up = 0, *list = nullptr;
        unsigned int n = 0;
        int count = 0;
        XSync(display, False);
        XQueryTree(display, DefaultRootWindow(display), &root, &up, &list, &n);
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(display, list[i], &a) && a.override_redirect &&
                a.map_state == IsViewable)
                ++count;
        }
        if (list) XFree(list);
        return count;
    }
};

} // namespace

TEST(GuiX11, AFrameInAParentWindowShowsItsImageAndItsMenusAsPopupWindows) {
    XServer x;
    if (!x.display) ZEK2_CANNOT_RUN("no X display");
    CFrame* frame = new CFrame(CRect(0, 0, 300, 200), nullptr);
    auto* panel = new CViewContainer(CRect(0, 0, 300, 200));
    panel->setBackgroundColor(CColor(255, 0, 0, 255));
    guitest::attach(frame, panel);
    auto* menu = new COptionMenu(CRect(10, 10, 110, 26), nullptr, 1);
    for (const char* t : {"Sine", "Saw", "Square"}) menu->addEntry(t);
    guitest::attach(frame, menu);

    ASSERT_TRUE(frame->open(reinterpret_cast<void*>(x.parent)));
    for (int i = 0; i < 10; ++i) {
        frame->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const Window child = x.firstChild(x.parent);
    ASSERT_NE(child, 0u);
    XWindowAttributes a{};
    XGetWindowAttributes(x.display, child, &a);
    EXPECT_EQ(a.width, 300);
    EXPECT_EQ(a.height, 200);
    XImage* image = XGetImage(x.display, child, 150, 150, 1, 1, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    EXPECT_GT((pixel >> 16) & 0xFF, 200u);
    EXPECT_LT(pixel & 0xFF, 50u);

    int seen = 0;
    frame->setMenuDriver([&](MenuPopup& p) {
        seen = x.popups();
        const CPoint c = p.getItemCenter(0, 1);
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
        return true;
    });
    EXPECT_TRUE(menu->popup());
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(menu->getCurrentIndex(), 1);
    EXPECT_EQ(x.popups(), 0);

    frame->forget();
    EXPECT_EQ(x.children(x.parent), 0);
}

TEST(GuiX11, AParentWindowThatDoesNotExistIsRefusedAndTheProcessLivesOn) {
    XServer x;
    if (!x.display) ZEK2_CANNOT_RUN("no X display");
    const Window gone =
        XCreateSimpleWindow(x.display, DefaultRootWindow(x.display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(x.display, gone);
    XSync(x.display, False);
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(frame->open(reinterpret_cast<void*>(gone)));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(frame->isOpen());
    // The refusal is told in plain words, not as the X error of the probe.
    EXPECT_NE(said.find("does not exist; the editor stays closed"), std::string::npos) << said;
    EXPECT_EQ(said.find("X error"), std::string::npos) << said;

    // The host destroys its window while ours is inside it: idle and close go on quietly.
    ASSERT_TRUE(frame->open(reinterpret_cast<void*>(x.parent)));
    XDestroyWindow(x.display, x.parent);
    XSync(x.display, False);
    x.parent = XCreateSimpleWindow(x.display, DefaultRootWindow(x.display), 0, 0, 10, 10, 0, 0, 0);
    for (int i = 0; i < 3; ++i) frame->idle();
    frame->forget();
    SUCCEED();
}

TEST(GuiX11, MouseButtonsModifiersAndKeysMapToTheButtonStateAndVirtualKeys) {
    using backend::buttonStateFromX;
    using backend::virtualKeyFromX;
    EXPECT_EQ(buttonStateFromX(Button1Mask), kLButton);
    EXPECT_EQ(buttonStateFromX(Button3Mask), kRButton);
    EXPECT_EQ(buttonStateFromX(Button2Mask | ShiftMask), kMButton | kShift);
    // Control stands where the Command key is expected, Alt where Option is.
    EXPECT_EQ(buttonStateFromX(ControlMask), kControl);
    EXPECT_EQ(buttonStateFromX(Mod1Mask), kAlt);
    EXPECT_EQ(buttonStateFromX(Mod4Mask | Button1Mask), kApple | kLButton);
    EXPECT_EQ(buttonStateFromX(LockMask | Mod2Mask), 0); // caps and num lock mean nothing
    EXPECT_EQ(virtualKeyFromX(XK_Up), 12);
    EXPECT_EQ(virtualKeyFromX(XK_Down), 14);
    EXPECT_EQ(virtualKeyFromX(XK_a), 0);
}
