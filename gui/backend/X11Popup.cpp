// Option-menu pop-ups on X11: one override-redirect window per open level, served from the
// frame's idle calls like the frame's own window. No grab is taken, so the host's windows go on
// as usual while a menu is open; the pop-up takes the keyboard focus while open and gives it
// back, and closes on a press on the frame, on the loss of the focus (a click elsewhere) and on
// Escape. User-interface thread only.
#include "gui/CDrawContext.h"
#include "gui/backend/X11Error.h"
#include "gui/backend/X11Frame.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <vector>

namespace VSTGUI::backend {

void paintOnWindow(void* windowSurface, int w, int h,
                   const std::function<void(CDrawContext*)>& draw) {
    auto* surface = static_cast<cairo_surface_t*>(windowSurface);
    if (!surface) return;
    void* image = createBackBuffer(w, h);
    if (!image) return;
    {
        CDrawContext context(image);
        draw(&context);
    }
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_surface(cr, static_cast<cairo_surface_t*>(image), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    destroyBackBuffer(image);
}

namespace {

struct PanelWindow {
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    CRect rect;
};

} // namespace

class X11PopupWindows {
public:
    X11PopupWindows(Display* d, MenuPopup& p) : display(d), popup(p) {}
    ~X11PopupWindows() { destroy(); }

    // Makes the windows match the open levels and draws them.
    void sync() {
        if (generation == popup.getGeneration() && !panels.empty()) return;
        generation = popup.getGeneration();
        const int32_t n = popup.getNbLevels();
        while (static_cast<int32_t>(panels.size()) > n) {
            destroyPanel(panels.back());
            panels.pop_back();
        }
        for (int32_t i = 0; i < n; ++i) {
            const CRect& r = popup.getLevel(i).rect;
            if (i >= static_cast<int32_t>(panels.size())) panels.emplace_back();
            PanelWindow& p = panels[static_cast<size_t>(i)];
            if (p.window && p.rect != r) {
                destroyPanel(p);
                p = PanelWindow();
            }
            if (!p.window) createPanel(p, r);
            draw(i);
        }
        XFlush(display);
    }

    void draw(int32_t level) {
        PanelWindow& p = panels[static_cast<size_t>(level)];
        paintOnWindow(p.surface, static_cast<int>(p.rect.getWidth()),
                      static_cast<int>(p.rect.getHeight()),
                      [&](CDrawContext* context) { popup.drawLevel(context, level); });
    }

    Window firstWindow() const { return panels.empty() ? 0 : panels.front().window; }
    bool owns(Window w) const {
        for (const PanelWindow& p : panels)
            if (p.window == w) return true;
        return false;
    }
    void redrawWindow(Window w) {
        for (size_t i = 0; i < panels.size(); ++i)
            if (panels[i].window == w) draw(static_cast<int32_t>(i));
    }

private:
    void createPanel(PanelWindow& p, const CRect& r) {
        const int screen = DefaultScreen(display);
        XSetWindowAttributes a{};
        a.override_redirect = True;
        a.save_under = True;
        a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       KeyPressMask | FocusChangeMask;
        a.background_pixel = BlackPixel(display, screen);
        p.rect = r;
        p.window = XCreateWindow(display, RootWindow(display, screen), static_cast<int>(r.left),
                                 static_cast<int>(r.top), static_cast<unsigned>(r.getWidth()),
                                 static_cast<unsigned>(r.getHeight()), 0, CopyFromParent,
                                 InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixel, &a);
        XMapRaised(display, p.window);
        p.surface = cairo_xlib_surface_create(display, p.window, DefaultVisual(display, screen),
                                              static_cast<int>(r.getWidth()),
                                              static_cast<int>(r.getHeight()));
    }
    void destroyPanel(PanelWindow& p) {
        if (p.surface) cairo_surface_destroy(p.surface);
        if (p.window) XDestroyWindow(display, p.window);
        p.surface = nullptr;
        p.window = 0;
    }
    void destroy() {
        for (PanelWindow& p : panels) destroyPanel(p);
        panels.clear();
        XFlush(display);
    }

    Display* display;
    MenuPopup& popup;
    std::vector<PanelWindow> panels;
    uint32_t generation = ~0u;
};

void X11Frame::openMenuPopup(MenuPopup& p, const CRect& anchorInFrame) {
    closeMenuPopup();
    if (!window) {
        p.cancel();
        return;
    }
    X11ErrorTrap trap(display);
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, root, static_cast<int>(anchorInFrame.left),
                          static_cast<int>(anchorInFrame.top), &rx, &ry, &child);
    const CRect screenBounds(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen));
    CRect anchor = anchorInFrame;
    anchor.moveTo(rx, ry);
    p.open(screenBounds, anchor);
    if (p.isDone()) return;
    popup = &p;
    popupOrigin = screenOrigin();
    popupWindows = new X11PopupWindows(display, p);
    popupWindows->sync();
    // The keys go to the menu while it is open: it takes the focus, and a click elsewhere
    // that moves the focus closes it.
    XGetInputFocus(display, &focusBefore, &focusRevertBefore);
    XSetInputFocus(display, popupWindows->firstWindow(), RevertToParent, CurrentTime);
    XFlush(display);
}

void X11Frame::updateMenuPopup() {
    if (!popupWindows) return;
    X11ErrorTrap trap(display);
    popupWindows->sync();
    XSync(display, False);
}

void X11Frame::closeMenuPopup() {
    if (!popupWindows) return;
    X11ErrorTrap trap(display);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // The focus goes back where it was, unless the user has moved it meanwhile or that window
    // has gone or been hidden (the server then reverts the focus itself). It may go between
    // the look and the request: that error is expected, and only that one is kept quiet.
    if (popupWindows->owns(focus) && focusBefore != None && focusCanReturn()) {
        trap.sync();
        X11ErrorTrap expected(display, false);
        XSetInputFocus(display, focusBefore, focusRevertBefore, CurrentTime);
        expected.sync();
    }
    delete popupWindows;
    popupWindows = nullptr;
    popup = nullptr;
    trap.sync();
    pointerRestsAgain();
}

// While a pop-up is open the pointer's moves are its own, and when it closes no move tells
// where the pointer rests: it is asked once, so the view under it is the hovered view again
// without waiting for the next move.
void X11Frame::pointerRestsAgain() {
    if (!window) return;
    X11ErrorTrap probe(display, false); // the host may have destroyed our window meanwhile
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int state = 0;
    const bool onScreen =
        XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &state);
    if (!probe.sync()) return;
    if (onScreen && x >= 0 && y >= 0 && x < width && y < height)
        frame->platformMouseRests(CPoint(x, y));
    else
        frame->platformMouseExited();
}

bool X11Frame::focusCanReturn() const {
    if (focusBefore == PointerRoot) return true;
    X11ErrorTrap probe(display, false);
    XWindowAttributes a{};
    return XGetWindowAttributes(display, focusBefore, &a) && probe.sync() &&
           a.map_state == IsViewable;
}

bool X11Frame::popupEvent(XEvent& event) {
    if (!popup || !popupWindows) return false;
    const bool own = popupWindows->owns(event.xany.window);
    const bool frames = event.xany.window == window;
    if (!own && !frames) return false;
    switch (event.type) {
    case Expose:
        if (!own) return false;
        popupWindows->redrawWindow(event.xexpose.window);
        return true;
    case MotionNotify:
        // The pop-up works in screen coordinates: the frame's moves of a press-and-drag count.
        while (XCheckTypedEvent(display, MotionNotify, &event)) {
        }
        popup->mouseMoved(CPoint(event.xmotion.x_root, event.xmotion.y_root));
        return true;
    case ButtonPress:
        if (event.xbutton.button > Button3) return true;
        // A press on the editor beside the pop-up is the frame's: it closes the pop-up.
        if (frames) return false;
        popup->mouseDown(CPoint(event.xbutton.x_root, event.xbutton.y_root),
                         buttonStateFromX(event.xbutton.state));
        return true;
    case ButtonRelease:
        if (event.xbutton.button <= Button3)
            popup->mouseUp(CPoint(event.xbutton.x_root, event.xbutton.y_root),
                           buttonStateFromX(event.xbutton.state));
        return true;
    case KeyPress: {
        KeySym sym = 0;
        char text[8];
        XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
        if (const unsigned char v = virtualKeyFromX(sym)) popup->keyDown(v);
        return true;
    }
    case KeyRelease:
        return true;
    case FocusOut:
        // Another window took the keyboard: the user went elsewhere.
        if (own && event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
            event.xfocus.detail != NotifyPointer)
            popup->cancel();
        return own;
    default:
        return own;
    }
}

} // namespace VSTGUI::backend
