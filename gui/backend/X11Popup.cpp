// Option-menu pop-ups on X11: one override-redirect window per open level, a pointer and
// keyboard grab so a press anywhere else dismisses the menu, and a modal event loop until the
// user chooses or dismisses. User-interface thread only.
#include "gui/CDrawContext.h"
#include "gui/backend/X11Error.h"
#include "gui/backend/X11Frame.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <poll.h>

#include <vector>

namespace VSTGUI::backend {

namespace {

struct PanelWindow {
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    CRect rect;
};

class PopupWindows {
public:
    PopupWindows(Display* d, MenuPopup& p) : display(d), popup(p) {}
    ~PopupWindows() { destroy(); }

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
        if (!p.surface) return;
        const int w = static_cast<int>(p.rect.getWidth()), h = static_cast<int>(p.rect.getHeight());
        void* image = createBackBuffer(w, h);
        if (!image) return;
        {
            CDrawContext context(image);
            popup.drawLevel(&context, level);
        }
        cairo_t* cr = cairo_create(p.surface);
        cairo_set_source_surface(cr, static_cast<cairo_surface_t*>(image), 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(p.surface);
        destroyBackBuffer(image);
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
        a.event_mask = ExposureMask;
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

} // namespace

bool X11Frame::runMenuPopup(MenuPopup& popup, const CRect& anchorInFrame) {
    if (!window) return false;
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
    popup.open(screenBounds, anchor);
    PopupWindows windows(display, popup);
    windows.sync();
    if (popup.isDone()) return false;

    const Window grabWindow = windows.firstWindow();
    const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    const bool pointerGrabbed = XGrabPointer(display, grabWindow, False, mask, GrabModeAsync,
                                             GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    const bool keyboardGrabbed = XGrabKeyboard(display, grabWindow, False, GrabModeAsync,
                                               GrabModeAsync, CurrentTime) == GrabSuccess;
    const CFrame::MenuDriver& driver = frame->getMenuDriver();

    while (!popup.isDone() && window) {
        windows.sync();
        // A test may script the choice on the real windows.
        if (driver) {
            XSync(display, False);
            if (!driver(popup)) popup.cancel();
            continue;
        }
        if (XPending(display) == 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case Expose:
            if (windows.owns(event.xexpose.window))
                windows.redrawWindow(event.xexpose.window);
            else
                dispatch(event);
            break;
        case MotionNotify:
            while (XCheckTypedEvent(display, MotionNotify, &event)) {
            }
            popup.mouseMoved(CPoint(event.xmotion.x_root, event.xmotion.y_root));
            break;
        case ButtonPress:
            if (event.xbutton.button <= Button3)
                popup.mouseDown(CPoint(event.xbutton.x_root, event.xbutton.y_root),
                                buttonStateFromX(event.xbutton.state));
            break;
        case ButtonRelease:
            if (event.xbutton.button <= Button3)
                popup.mouseUp(CPoint(event.xbutton.x_root, event.xbutton.y_root),
                              buttonStateFromX(event.xbutton.state));
            break;
        case KeyPress: {
            KeySym sym = 0;
            char text[8];
            XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
            if (const unsigned char v = virtualKeyFromX(sym)) popup.keyDown(v);
            break;
        }
        case DestroyNotify:
            dispatch(event);
            break;
        default:
            break;
        }
    }
    if (pointerGrabbed) XUngrabPointer(display, CurrentTime);
    if (keyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    if (!window) popup.cancel();
    return popup.isChosen();
}

} // namespace VSTGUI::backend
