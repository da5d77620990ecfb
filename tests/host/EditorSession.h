// The editor in a real X11 window, driven as a musician drives it: the host makes a parent
// window, opens the editor into it from its own user-interface thread, calls effEditIdle every
// 20 ms as a DAW does, and the test moves the pointer, clicks, drags, wheels and types through
// the XTest extension, so every event comes from the X server. Every host callback is logged
// with its thread. Include it after gtest (the X headers define None and Bool). Needs DISPLAY (the
// tests run under Xvfb); a test without one is skipped.
#pragma once

#include "TestHost.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// After the test framework and the host: the X headers define macros (None, Bool, Status).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace testhost {

class EditorSession {
public:
    // Opens the editor of `plugin` in a new parent window at the top left of the screen.
    // `ok()` is false when there is no display, no XTest or the editor refused to open.
    explicit EditorSession(Plugin& p) : plugin(p) {
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) {
            reason = "no X display";
            return;
        }
        display = XOpenDisplay(nullptr);
        if (!display) {
            reason = "cannot open the X display";
            return;
        }
        sessionDisplay() = display;
        previousHandler() = XSetErrorHandler(onXError);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
            reason = "the X server has no XTest";
            return;
        }
        ERect* rect = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &rect);
        width = rect ? rect->right - rect->left : 1132;
        height = rect ? rect->bottom - rect->top : 779;
        XSetWindowAttributes a{};
        a.override_redirect = True; // no window manager may move it
        parent = XCreateWindow(display, DefaultRootWindow(display), 0, 0,
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                               CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &a);
        XMapRaised(display, parent);
        XSync(display, False);
        callLog().start();
        uiThread = std::thread([this] { uiLoop(); });
        uiId = uiThread.get_id();
        opened = ui([this] {
            return plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1;
        });
        if (!opened) reason = "the editor did not open";
        idles(3);
        XSync(display, False);
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
        // Park the pointer outside the editor: no hover or drag is left from another test.
        XTestFakeMotionEvent(display, DefaultScreen(display), width + 50, height + 50, CurrentTime);
        XSync(display, False);
        idles(2);
    }

    ~EditorSession() {
        close();
        if (display) {
            if (parent) XDestroyWindow(display, parent);
            XSync(display, False);
            XSetErrorHandler(previousHandler());
            sessionDisplay() = nullptr;
            XCloseDisplay(display);
        }
        callLog().stop();
    }
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    bool ok() const { return opened; }
    Display* getDisplay() const { return display; }
    Window getHostWindow() const { return parent; }
    // The pixels of a box of the host's window as the server has them now, row by row; empty
    // when the box cannot be read.
    std::vector<unsigned long> box(int x, int y, int w, int h) const {
        std::vector<unsigned long> all;
        XSync(display, False);
        XImage* image = XGetImage(display, parent, x, y, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (!image) return all;
        for (int j = 0; j < image->height; ++j)
            for (int i = 0; i < image->width; ++i) all.push_back(XGetPixel(image, i, j));
        XDestroyImage(image);
        return all;
    }
    // Opens the editor again into the same window, after the host closed it.
    bool reopen() {
        opened = ui([this] {
            return plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1;
        });
        idles(3);
        return opened;
    }
    // The host closed the plug-in from inside a callback (on the user-interface thread): no
    // idle call or close follows.
    void pluginClosed() { opened = false; }
    const std::string& whyNot() const { return reason; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    std::thread::id uiThreadId() const { return uiId; }

    // Closes the editor on the user-interface thread and stops the idle calls.
    void close() {
        if (!uiThread.joinable()) return;
        if (opened) uiCall([this] { plugin.dispatch(effEditClose); });
        opened = false;
        {
            std::lock_guard<std::mutex> guard(taskLock);
            stopping = true;
        }
        uiThread.join();
    }

    // Runs `fn` on the user-interface thread between two idle calls and waits for it, as long
    // as a busy machine may take (kPatienceMs). A blocked thread (a menu that never closes) ends
    // the wait then with a false answer.
    template <class Fn> auto ui(Fn fn) -> decltype(fn()) {
        using R = decltype(fn());
        auto result = std::make_shared<R>();
        auto done = std::make_shared<std::atomic<bool>>(false);
        {
            std::lock_guard<std::mutex> guard(taskLock);
            tasks.push_back([fn, result, done] {
                *result = fn();
                done->store(true);
            });
        }
        if (!waitFor([&] { return done->load(); }, kPatienceMs)) return R{};
        return *result;
    }
    void uiCall(std::function<void()> fn) {
        ui([fn] {
            fn();
            return true;
        });
    }

    // Waits until the user-interface thread has made `n` more idle calls (at most `ms`). Used
    // also where no idle call may come (the plug-in closed), so its limit stays short.
    bool idles(int n, int ms = 5000) {
        const long target = idleCount.load() + n;
        return waitFor([&] { return idleCount.load() >= target; }, ms);
    }
    long idleCalls() const { return idleCount.load(); }

    // ---- How the idle calls went: the host's own record of every effEditIdle ----------------
    using Clock = std::chrono::steady_clock;
    struct IdleFigures {
        double longestCallMs = 0.0;     // the longest single effEditIdle call
        double longestIntervalMs = 0.0; // the longest time from one call's start to the next's
        int calls = 0;
    };
    // A point in the record; the figures are taken from there on.
    size_t idleMark() {
        std::lock_guard<std::mutex> guard(idleLock);
        return idleRecord.size();
    }
    IdleFigures idleFigures(size_t mark) {
        std::lock_guard<std::mutex> guard(idleLock);
        IdleFigures f;
        auto ms = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        for (size_t i = mark; i < idleRecord.size(); ++i) {
            ++f.calls;
            f.longestCallMs =
                std::max(f.longestCallMs, ms(idleRecord[i].second - idleRecord[i].first));
            if (i > mark)
                f.longestIntervalMs = std::max(f.longestIntervalMs,
                                               ms(idleRecord[i].first - idleRecord[i - 1].first));
        }
        return f;
    }

    // How long a wait for something that should happen may last: a busy machine (two cores
    // shared by several test runs) can hold the editor for seconds. A wait ends as soon as its
    // event comes, so only a failure takes this long.
    static constexpr int kPatienceMs = 60000;

    // Polls `done` every 5 ms for at most `ms` milliseconds.
    static bool waitFor(const std::function<bool()>& done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // ---- Pointer and keys, at points of the editor (pixels from its top left corner) -------
    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
        settle();
    }
    void press(unsigned button = 1) {
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        settle();
    }
    void release(unsigned button = 1) {
        XTestFakeButtonEvent(display, button, False, CurrentTime);
        settle();
    }
    void click(int x, int y, unsigned button = 1) {
        moveTo(x, y);
        press(button);
        release(button);
    }
    // Presses at the start, moves in `steps` equal steps to the end and releases there.
    void drag(int x0, int y0, int x1, int y1, int steps = 8, unsigned button = 1) {
        moveTo(x0, y0);
        press(button);
        for (int i = 1; i <= steps; ++i)
            moveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        release(button);
    }
    // Wheel clicks at a point: positive away from the user (X button 4), negative toward.
    void wheel(int x, int y, int clicks) {
        moveTo(x, y);
        const unsigned button = clicks > 0 ? 4 : 5;
        for (int i = 0; i < std::abs(clicks); ++i) {
            XTestFakeButtonEvent(display, button, True, CurrentTime);
            XTestFakeButtonEvent(display, button, False, CurrentTime);
        }
        settle();
    }
    // A key by its X keysym (XK_Down, XK_Return, 'a'...), with Shift when asked.
    void key(KeySym sym, bool shift = false) {
        const KeyCode code = XKeysymToKeycode(display, sym);
        const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
        if (shift) XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
        settle();
    }
    void keys(KeySym sym, int times) {
        for (int i = 0; i < times; ++i) key(sym);
    }
    // A click with a modifier key held (XK_Alt_L, XK_Control_L, XK_Shift_L...).
    void clickWith(KeySym modifier, int x, int y, unsigned button = 1) {
        const KeyCode code = XKeysymToKeycode(display, modifier);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        click(x, y, button);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        settle();
    }
    // Two clicks within the double-click time, with a few idle calls between them as a
    // musician leaves, so the first click is seen and drawn before the second.
    void doubleClick(int x, int y) {
        moveTo(x, y);
        for (int i = 0; i < 2; ++i) {
            XTestFakeButtonEvent(display, 1, True, CurrentTime);
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
            XSync(display, False);
            idles(3, 250);
        }
        settle();
    }

    // ---- Windows -------------------------------------------------------------------------
    // Mapped windows at the top level other than the host's that `wanted` accepts.
    std::vector<Window>
    topWindows(const std::function<bool(Window, const XWindowAttributes&)>& wanted) {
        std::vector<Window> out;
        Window root = 0, up = 0, *list = nullptr;
        unsigned int n = 0;
        XSync(display, False);
        if (XQueryTree(display, DefaultRootWindow(display), &root, &up, &list, &n))
            for (unsigned i = 0; i < n; ++i) {
                if (list[i] == parent) continue;
                XWindowAttributes a{};
                if (XGetWindowAttributes(display, list[i], &a) && a.map_state == IsViewable &&
                    wanted(list[i], a))
                    out.push_back(list[i]);
            }
        if (list) XFree(list);
        return out;
    }
    // The editor's pop-up menus: they bypass the window manager.
    std::vector<Window> popups() {
        return topWindows([](Window, const XWindowAttributes& a) { return a.override_redirect; });
    }
    bool waitForPopup(int ms = kPatienceMs) {
        return waitFor([&] { return !popups().empty(); }, ms);
    }
    bool waitForNoPopup(int ms = kPatienceMs) {
        return waitFor([&] { return popups().empty(); }, ms);
    }
    // Mapped top-level windows titled "ZEK2" that the window manager may handle: the editor's
    // own message windows, where they are on the screen.
    struct Box {
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::vector<Box> messageWindows() {
        std::vector<Box> out;
        topWindows([&](Window w, const XWindowAttributes& a) {
            char* name = nullptr;
            if (a.override_redirect || !XFetchName(display, w, &name) || !name) return false;
            if (std::string(name) == "ZEK2") out.push_back({a.x, a.y, a.width, a.height});
            XFree(name);
            return false;
        });
        return out;
    }
    // The editor's child windows in the host's window.
    size_t editorWindows() {
        Window root = 0, up = 0, *list = nullptr;
        unsigned int n = 0;
        XSync(display, False);
        size_t count = 0;
        if (XQueryTree(display, parent, &root, &up, &list, &n)) count = n;
        if (list) XFree(list);
        return count;
    }

    // ---- What the host was told ----------------------------------------------------------
    std::vector<HostCall> calls() { return callLog().snapshot(); }
    void forget() { callLog().clear(); }

    // Begin/automate/end of the log, and what is wrong with them: a tag outside 0..2047, an
    // end without its begin, a begin left open, or an automate of a tag that no begin opened.
    // Empty when the brackets are sound. Automates of other tags while one is open are allowed
    // (a control that writes several parameters brackets each).
    static std::string bracketFaults(const std::vector<HostCall>& log, bool mustBeClosed = true) {
        std::map<int, int> open;
        std::string faults;
        for (const HostCall& c : log) {
            const bool edit = c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit ||
                              c.opcode == audioMasterAutomate;
            if (!edit) continue;
            if (c.index < 0 || c.index > 2047) {
                faults += "opcode " + std::to_string(c.opcode) + " for tag " +
                          std::to_string(c.index) + "; ";
                continue;
            }
            if (c.opcode == audioMasterBeginEdit) ++open[c.index];
            if (c.opcode == audioMasterEndEdit && --open[c.index] < 0) {
                faults += "endEdit without beginEdit for " + std::to_string(c.index) + "; ";
                open[c.index] = 0;
            }
        }
        if (mustBeClosed)
            for (auto& [tag, n] : open)
                if (n > 0) faults += "beginEdit left open for " + std::to_string(tag) + "; ";
        return faults;
    }

    // Automates made by the user-interface thread that no beginEdit of the same tag encloses.
    static std::vector<int> unbracketedAutomates(const std::vector<HostCall>& log,
                                                 std::thread::id thread) {
        std::map<int, int> open;
        std::vector<int> loose;
        for (const HostCall& c : log) {
            if (c.thread != thread) continue;
            if (c.opcode == audioMasterBeginEdit) ++open[c.index];
            if (c.opcode == audioMasterEndEdit) --open[c.index];
            if (c.opcode == audioMasterAutomate && open[c.index] <= 0) loose.push_back(c.index);
        }
        return loose;
    }

    // The tags that went through a complete beginEdit, automate, endEdit.
    static std::set<int> bracketedEdits(const std::vector<HostCall>& log) {
        std::map<int, int> state; // 1 begun, 2 automated while begun
        std::set<int> done;
        for (const HostCall& c : log) {
            if (c.opcode == audioMasterBeginEdit) state[c.index] = 1;
            if (c.opcode == audioMasterAutomate && state[c.index] >= 1) state[c.index] = 2;
            if (c.opcode == audioMasterEndEdit) {
                if (state[c.index] == 2) done.insert(c.index);
                state[c.index] = 0;
            }
        }
        return done;
    }

    // The edit calls and updateDisplays of the log as "opcode:tag" words, for failure messages.
    static std::string describe(const std::vector<HostCall>& log) {
        std::string s;
        for (const HostCall& c : log)
            if (c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit ||
                c.opcode == audioMasterEndEdit || c.opcode == audioMasterUpdateDisplay)
                s += std::to_string(c.opcode) + ":" + std::to_string(c.index) + " ";
        return s;
    }

    static int countOf(const std::vector<HostCall>& log, VstInt32 opcode) {
        int n = 0;
        for (const HostCall& c : log) n += c.opcode == opcode;
        return n;
    }

private:
    // A pop-up can close between listing it and asking after it: the errors of the session's
    // own requests are expected and never fatal; the plug-in's go on to the handler before.
    static Display*& sessionDisplay() {
        static Display* d = nullptr;
        return d;
    }
    static XErrorHandler& previousHandler() {
        static XErrorHandler h = nullptr;
        return h;
    }
    static int onXError(Display* d, XErrorEvent* e) {
        if (d == sessionDisplay()) return 0;
        return previousHandler() ? previousHandler()(d, e) : 0;
    }

    // Lets the server deliver what was sent and the editor read it at its next idle calls.
    void settle() {
        XSync(display, False);
        if (idles(2, 150) || !popups().empty()) return;
        idles(2); // a slow machine: the idle calls are late, not blocked
    }

    void uiLoop() {
        for (;;) {
            std::vector<std::function<void()>> now;
            {
                std::lock_guard<std::mutex> guard(taskLock);
                now.swap(tasks);
                if (stopping && now.empty()) return;
            }
            for (auto& task : now) task();
            if (opened) {
                const Clock::time_point start = Clock::now();
                plugin.dispatch(effEditIdle);
                const Clock::time_point end = Clock::now();
                std::lock_guard<std::mutex> guard(idleLock);
                idleRecord.emplace_back(start, end);
            }
            ++idleCount;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    Plugin& plugin;
    Display* display = nullptr;
    Window parent = 0;
    int width = 0, height = 0;
    std::string reason;
    std::atomic<bool> opened{false};
    std::thread uiThread;
    std::thread::id uiId;
    std::mutex taskLock;
    std::vector<std::function<void()>> tasks;
    bool stopping = false;
    std::atomic<long> idleCount{0};
    std::mutex idleLock;
    std::vector<std::pair<Clock::time_point, Clock::time_point>> idleRecord;
};

} // namespace testhost
