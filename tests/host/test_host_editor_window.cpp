// The editor window as a host sees it under an X server: the host makes a parent window, opens
// the editor at each screen size, checks the child window's size and content, closes, opens
// again (which shows the very same picture) and closes; and the host may destroy its window
// while the editor is open. Each size
// is its own test, since the preferences are read once per process. Skipped without DISPLAY;
// the test script runs under Xvfb.
#include "TestHost.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

// After the test framework: the X headers define macros (None, Bool) that it uses as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// Points the preferences at a private file with the given screen size switched on; false when
// the process has loaded a plug-in already (the preferences are read once). The file serves the
// process to its end and goes with the process's own folder (TestMain.cpp).
bool usePrefsWithSize(int size) {
    if (testhost::openedPlugins() > 0) return false;
    const char* base = std::getenv("ZEK2_TEST_TMP");
    std::string folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2winXXXXXX";
    if (!mkdtemp(folder.data())) return false;
    mkdir((folder + "/VMQX").c_str(), 0700);
    std::ofstream conf(folder + "/VMQX/com.VMQX.ZEK2.conf");
    const char* keys[4] = {"Big100", "Big125", "Big150", "Big200"};
    for (int i = 0; i < 4; ++i) conf << "s " << keys[i] << "=" << (i == size ? "Y" : "N") << "\n";
    conf.close();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    return true;
}

class HostEditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) ZEK2_CANNOT_RUN("no X display");
        display = XOpenDisplay(nullptr);
        if (!display) ZEK2_CANNOT_RUN("cannot open the X display");
        parent = makeParent();
    }
    void TearDown() override {
        if (!display) return;
        if (parent) XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    Window makeParent() {
        Window w =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 2400, 1700, 0, 0, 0);
        XMapWindow(display, w);
        XSync(display, False);
        return w;
    }
    std::vector<Window> children() {
        Window root = 0, up = 0, *list = nullptr;
        unsigned int n = 0;
        XSync(display, False);
        std::vector<Window> out;
        if (XQueryTree(display, parent, &root, &up, &list, &n))
            for (unsigned i = 0; i < n; ++i) out.push_back(list[i]);
        if (list) XFree(list);
        return out;
    }
    void idle(testhost::Plugin& plugin, int times = 10) {
        for (int i = 0; i < times; ++i) {
            plugin.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XSync(display, False);
    }
    // Opens, checks the window and its picture, closes; twice. Every opening shows the sound
    // as the engine holds it: the second picture is the first, pixel for pixel.
    void openAndCheck(int size) {
        if (!usePrefsWithSize(size)) GTEST_SKIP() << "preferences already loaded in this process";
        testhost::Plugin plugin;
        ERect* rect = nullptr;
        ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
        const float scale[4] = {1.0f, 1.25f, 1.5f, 2.0f};
        const int w = static_cast<int>(1132 * scale[size]), h = static_cast<int>(779 * scale[size]);
        EXPECT_EQ(rect->right - rect->left, w);
        EXPECT_EQ(rect->bottom - rect->top, h);
        std::vector<float> left, right;
        plugin.process(8192, left, right); // the first program is applied
        std::vector<unsigned long> first;
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
            idle(plugin);
            const std::vector<Window> kids = children();
            ASSERT_EQ(kids.size(), 1u);
            XWindowAttributes a{};
            XGetWindowAttributes(display, kids[0], &a);
            EXPECT_EQ(a.width, w);
            EXPECT_EQ(a.height, h);
            EXPECT_EQ(a.map_state, IsViewable);
            checkScreenshot(kids[0], w, h);
            const std::vector<unsigned long> shown = pixels(kids[0], w, h);
            if (round == 0) first = shown;
            int differ = 0;
            for (size_t i = 0; i < first.size() && i < shown.size(); ++i)
                differ += first[i] != shown[i];
            EXPECT_EQ(differ, 0) << "pixels that differ from the first opening";
            plugin.dispatch(effEditClose);
            EXPECT_TRUE(children().empty());
        }
    }
    std::vector<unsigned long> pixels(Window window, int w, int h) {
        std::vector<unsigned long> all;
        XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (!image) return all;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) all.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return all;
    }
    // The picture is not blank: dark and light areas and several colours.
    void checkScreenshot(Window window, int w, int h) {
        XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        std::set<unsigned long> colours;
        int dark = 0, light = 0;
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 7) {
                const unsigned long p = XGetPixel(image, x, y);
                colours.insert(p);
                const int v = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
                dark += v < 150;
                light += v > 500;
            }
        EXPECT_GT(colours.size(), 8u);
        EXPECT_GT(dark, 100);
        EXPECT_GT(light, 100);
        XDestroyImage(image);
    }
    Display* display = nullptr;
    Window parent = 0;
};

} // namespace

TEST_F(HostEditorWindow, OpensAt100Percent) {
    openAndCheck(0);
}
TEST_F(HostEditorWindow, OpensAt125Percent) {
    openAndCheck(1);
}
TEST_F(HostEditorWindow, OpensAt150Percent) {
    openAndCheck(2);
}
TEST_F(HostEditorWindow, OpensAt200Percent) {
    openAndCheck(3);
}

TEST_F(HostEditorWindow, TheHostMayDestroyItsWindowWhileTheEditorIsOpen) {
    testhost::Plugin plugin;
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    idle(plugin, 3);
    XDestroyWindow(display, parent);
    XSync(display, False);
    parent = 0;
    idle(plugin, 3);
    plugin.dispatch(effEditClose);
    // The process lives on, and the editor opens again in a new window.
    parent = makeParent();
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    idle(plugin, 3);
    EXPECT_EQ(children().size(), 1u);
    plugin.dispatch(effEditClose);
    EXPECT_TRUE(children().empty());
    // A window id that does not exist is refused.
    EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x7ffffff0ul)), 0);
}

TEST_F(HostEditorWindow, TheHostsArrowKeysStepTheProgramsWhileTheEditorIsOpen) {
    testhost::Plugin plugin;
    auto programName = [&] {
        char name[kVstMaxProgNameLen + 1] = "";
        plugin.dispatch(effGetProgramName, 0, 0, name);
        return std::string(name);
    };
    // Without an open editor the keys go back to the host.
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 0, 14), 0);
    // The first program is applied by the audio thread; a step waits until it is, and for
    // 300 ms after the editor opened.
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    idle(plugin, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(320));
    const std::string first = programName();
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 0, 14), 1); // down: the next program
    const std::string second = programName();
    EXPECT_NE(second, first);
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 0, 14), 1); // within 300 ms: swallowed
    EXPECT_EQ(programName(), second);
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 0, 11), 0); // left: the host's
    EXPECT_EQ(plugin.dispatch(effEditKeyDown, 'a', 0), 0);
    plugin.dispatch(effEditClose);
}
