// The X11 child window of a frame: creation inside the host's window, event translation,
// presenting the back buffer, and a clean end when the host destroys its window first.
// User-interface thread only.
#include "gui/backend/X11Frame.h"

#include "gui/backend/X11Error.h"
#include "vst2/VstInterface.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace VSTGUI::backend {

int32_t buttonStateFromX(unsigned int state) {
    int32_t b = 0;
    if (state & Button1Mask) b |= kLButton;
    if (state & Button2Mask) b |= kMButton;
    if (state & Button3Mask) b |= kRButton;
    if (state & ShiftMask) b |= kShift;
    if (state & ControlMask) b |= kControl; // stands where Command is expected
    if (state & Mod1Mask) b |= kAlt;        // Alt stands where Option is expected
    if (state & Mod4Mask) b |= kApple;
    return b;
}

namespace {
// The X keys that have a VST virtual key.
struct VirtualKey {
    KeySym sym;
    unsigned char virt;
};
constexpr VirtualKey kVirtualKeys[] = {
    {XK_BackSpace, 1},  {XK_Tab, 2},  {XK_Return, 19}, {XK_Escape, 20}, {XK_space, 21},
    {XK_Left, 11},      {XK_Up, 12},  {XK_Right, 13},  {XK_Down, 14},   {XK_Page_Up, 15},
    {XK_Page_Down, 16}, {XK_Home, 9}, {XK_End, 10},    {XK_Delete, 22}};
} // namespace

unsigned char virtualKeyFromX(unsigned long keysym) {
    for (const VirtualKey& k : kVirtualKeys)
        if (k.sym == keysym) return k.virt;
    return 0;
}

X11Frame::X11Frame(CFrame* f, Display* d, Window p) : frame(f), display(d), parent(p) {}

X11Frame::~X11Frame() {
    if (display) {
        closeMenuPopup();
        closeMessageWindow();
    }
    if (surface) {
        // Cairo keeps per-display state until its device is finished; finish it before the
        // connection closes, or that state is lost with it.
        auto* s = static_cast<cairo_surface_t*>(surface);
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(s));
        cairo_surface_destroy(s);
        if (device) {
            cairo_device_finish(device);
            cairo_device_destroy(device);
        }
    }
    if (!display) return;
    {
        X11ErrorTrap trap(display);
        // The host may have destroyed its window, and ours with it; then there is nothing to do.
        if (gc) XFreeGC(display, gc);
        if (window) XDestroyWindow(display, window);
        trap.sync();
    }
    XCloseDisplay(display);
}

bool X11Frame::create(int w, int h) {
    XWindowAttributes parentAttributes{};
    {
        // A host may hand over a window it has already destroyed: that is a refusal to
        // report in plain words, not an X error to log.
        X11ErrorTrap probe(display, false);
        if (!XGetWindowAttributes(display, parent, &parentAttributes) || !probe.sync()) {
            std::fprintf(stderr,
                         "ZEK2 editor: the host's window 0x%lx does not exist; the "
                         "editor stays closed\n",
                         static_cast<unsigned long>(parent));
            return false;
        }
    }
    X11ErrorTrap trap(display);
    XSetWindowAttributes attributes{};
    // No key events: a key the editor does not use goes on to the host's window, where the
    // host's shortcuts live. The keys it uses are taken by `grabUsedKeys`.
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | StructureNotifyMask;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.border_pixel = 0;
    window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(w),
                           static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWEventMask | CWBackPixel | CWBorderPixel, &attributes);
    if (!trap.sync() || !window) {
        window = 0;
        return false;
    }
    visual = parentAttributes.visual;
    width = w;
    height = h;
    // The back buffer's pixels are 0x00RRGGBB words: a 24-bit true-colour window takes them as
    // they are. Any other visual goes through cairo.
    directPixels = parentAttributes.depth == 24 && visual->red_mask == 0xFF0000 &&
                   visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
    if (directPixels)
        gc = XCreateGC(display, window, 0, nullptr);
    else
        surface = cairo_xlib_surface_create(display, window, visual, w, h);
    XMapWindow(display, window);
    grabUsedKeys();
    watchAncestors();
    return trap.sync();
}

void X11Frame::watchAncestors() {
    // The host may destroy any of them at any time: a window gone is no error to report.
    X11ErrorTrap trap(display, false);
    for (Window w : ancestors) XSelectInput(display, w, NoEventMask);
    ancestors.clear();
    Window w = window;
    for (;;) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned int n = 0;
        if (!w || !XQueryTree(display, w, &root, &up, &children, &n)) break;
        if (children) XFree(children);
        if (!up || up == root) break;
        XSelectInput(display, up, StructureNotifyMask);
        ancestors.push_back(up);
        w = up;
    }
    trap.sync();
}

CPoint X11Frame::screenOrigin() const {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return CPoint(x, y);
}

bool X11Frame::structureEvent(const XEvent& event) {
    const Window w = event.xany.window;
    const bool ours = w == window;
    if (!ours && std::find(ancestors.begin(), ancestors.end(), w) == ancestors.end()) return false;
    switch (event.type) {
    case UnmapNotify:
        if (popup) popup->cancel();
        return true;
    case ReparentNotify:
        if (popup) popup->cancel();
        watchAncestors();
        return true;
    case ConfigureNotify:
        if (popup && window && screenOrigin() != popupOrigin) popup->cancel();
        return true;
    default:
        // DestroyNotify goes on to `dispatch`.
        return false;
    }
}

// A passive grab on our window takes a key while the pointer is over it and the keyboard focus
// is the host's (the focus window or an ancestor of ours): the keys the editor uses come to
// it, every other key goes on as if the editor were not there. A grab names the exact
// modifiers it takes, so a used key is grabbed once for each state of Num Lock and Caps Lock
// and for no other modifier: with Ctrl, Shift or Alt held it is the host's shortcut.
void X11Frame::grabUsedKeys() {
    const uint32_t used = frame->getUsedKeys();
    if (!window || used == grabbedKeys) return;
    X11ErrorTrap trap(display, false);
    const unsigned int numLock = XkbKeysymToModifiers(display, XK_Num_Lock); // Mod2 on most
    const unsigned int locks[4] = {0, LockMask, numLock, numLock | LockMask};
    for (const VirtualKey& k : kVirtualKeys) {
        const uint32_t bit = 1u << k.virt;
        if ((used & bit) == (grabbedKeys & bit)) continue;
        const KeyCode code = XKeysymToKeycode(display, k.sym);
        if (!code) continue;
        if (used & bit) {
            for (unsigned int state : locks)
                XGrabKey(display, code, state, window, False, GrabModeAsync, GrabModeAsync);
        } else {
            XUngrabKey(display, code, AnyModifier, window);
        }
    }
    grabbedKeys = used;
}

void X11Frame::resize(int w, int h) {
    if (!window) return;
    X11ErrorTrap trap(display);
    XResizeWindow(display, window, static_cast<unsigned>(w), static_cast<unsigned>(h));
    cairo_xlib_surface_set_size(static_cast<cairo_surface_t*>(surface), w, h);
    width = w;
    height = h;
}

void X11Frame::present(const CRect& rect) {
    if (!window || rect.isEmpty()) return;
    X11ErrorTrap trap(display);
    auto* image = static_cast<cairo_surface_t*>(frame->getBackBuffer());
    if (directPixels && gc && image) {
        cairo_surface_flush(image);
        const int iw = cairo_image_surface_get_width(image);
        const int ih = cairo_image_surface_get_height(image);
        XImage* x = XCreateImage(display, visual, 24, ZPixmap, 0,
                                 reinterpret_cast<char*>(cairo_image_surface_get_data(image)),
                                 static_cast<unsigned>(iw), static_cast<unsigned>(ih), 32,
                                 cairo_image_surface_get_stride(image));
        if (!x) return;
        const int left = std::max(0, static_cast<int>(rect.left));
        const int top = std::max(0, static_cast<int>(rect.top));
        const int right = std::min(iw, static_cast<int>(std::ceil(rect.right)));
        const int bottom = std::min(ih, static_cast<int>(std::ceil(rect.bottom)));
        if (right > left && bottom > top)
            XPutImage(display, window, gc, x, left, top, left, top,
                      static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top));
        x->data = nullptr; // the pixels stay the frame's
        XDestroyImage(x);
        XFlush(display);
        return;
    }
    if (!surface) return;
    cairo_t* cr = cairo_create(static_cast<cairo_surface_t*>(surface));
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, static_cast<cairo_surface_t*>(frame->getBackBuffer()), 0, 0);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(static_cast<cairo_surface_t*>(surface));
    XFlush(display);
}

void X11Frame::dispatch(XEvent& event) {
    switch (event.type) {
    case Expose:
        exposed.unite(CRect(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                            event.xexpose.y + event.xexpose.height));
        break;
    case ButtonPress: {
        const CPoint where(event.xbutton.x, event.xbutton.y);
        const int32_t mods =
            buttonStateFromX(event.xbutton.state) & ~(kLButton | kMButton | kRButton);
        switch (event.xbutton.button) {
        case Button1:
            frame->platformMouseDown(where, mods | kLButton,
                                     static_cast<uint32_t>(event.xbutton.time));
            break;
        case Button2:
            frame->platformMouseDown(where, mods | kMButton,
                                     static_cast<uint32_t>(event.xbutton.time));
            break;
        case Button3:
            frame->platformMouseDown(where, mods | kRButton,
                                     static_cast<uint32_t>(event.xbutton.time));
            break;
        case Button4:
            frame->platformWheel(where, 1.0f, mods);
            break;
        case Button5:
            frame->platformWheel(where, -1.0f, mods);
            break;
        default:
            break;
        }
        break;
    }
    case ButtonRelease:
        if (event.xbutton.button <= Button3) {
            const int32_t bit = event.xbutton.button == Button1   ? kLButton
                                : event.xbutton.button == Button2 ? kMButton
                                                                  : kRButton;
            const int32_t mods =
                buttonStateFromX(event.xbutton.state) & ~(kLButton | kMButton | kRButton);
            frame->platformMouseUp(CPoint(event.xbutton.x, event.xbutton.y), mods | bit);
        }
        break;
    case MotionNotify: {
        // Only the newest position matters; older queued ones are skipped.
        while (XCheckTypedWindowEvent(display, window, MotionNotify, &event)) {
        }
        frame->platformMouseMoved(CPoint(event.xmotion.x, event.xmotion.y),
                                  buttonStateFromX(event.xmotion.state));
        break;
    }
    case LeaveNotify:
        frame->platformMouseExited();
        break;
    case KeyPress:
    case KeyRelease: {
        char text[8] = "";
        KeySym sym = 0;
        const int n = XLookupString(&event.xkey, text, sizeof text - 1, &sym, nullptr);
        VstKeyCode key{};
        key.virt = virtualKeyFromX(sym);
        key.character = (key.virt == 0 && n == 1) ? static_cast<unsigned char>(text[0]) : 0;
        const int32_t mods = buttonStateFromX(event.xkey.state);
        key.modifier = static_cast<unsigned char>(
            ((mods & kShift) ? 1 : 0) | ((mods & kAlt) ? 2 : 0) | ((mods & kControl) ? 4 : 0));
        if (event.type == KeyPress)
            frame->onKeyDown(key);
        else
            frame->onKeyUp(key);
        break;
    }
    case DestroyNotify:
        // The host destroyed its window, and ours went with it.
        if (event.xdestroywindow.window == window) window = 0;
        break;
    default:
        break;
    }
}

void X11Frame::pumpEvents() {
    if (!display) return;
    X11ErrorTrap trap(display);
    grabUsedKeys();
    while (!frame->areEventsStopped() && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (popupEvent(event) || messageEvent(event) || structureEvent(event)) continue;
        if (event.xany.window == window || event.type == DestroyNotify) dispatch(event);
    }
    // The host destroyed its window: an open pop-up goes with it.
    if (!window && popup) popup->cancel();
    if (!exposed.isEmpty()) {
        CRect r = exposed;
        exposed = CRect();
        present(r);
    }
}

std::unique_ptr<IPlatformFrame> createX11Frame(CFrame* frame, unsigned long parentWindow, int width,
                                               int height) {
    if (!parentWindow) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    auto x11 = std::make_unique<X11Frame>(frame, display, static_cast<Window>(parentWindow));
    if (!x11->create(width, height)) return nullptr;
    return x11;
}

} // namespace VSTGUI::backend
