// The frame's message window on X11: a small top-level window of its own, kept above the
// host's window and centred on the editor, served from the frame's idle calls. It closes on
// "OK", Return, Escape or the window manager's close. User-interface thread only.
#include "gui/CDrawContext.h"
#include "gui/backend/X11Error.h"
#include "gui/backend/X11Frame.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <algorithm>

namespace VSTGUI::backend {

void X11Frame::openMessageWindow(MessageWindow& m) {
    closeMessageWindow();
    if (!window) return;
    X11ErrorTrap trap(display);
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const int w = static_cast<int>(m.getSize().getWidth());
    const int h = static_cast<int>(m.getSize().getHeight());
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, root, (width - w) / 2, (height - h) / 3, &x, &y, &child);
    x = std::clamp(x, 0, std::max(0, DisplayWidth(display, screen) - w));
    y = std::clamp(y, 0, std::max(0, DisplayHeight(display, screen) - h));
    XSetWindowAttributes a{};
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask;
    a.background_pixel = BlackPixel(display, screen);
    messageWindow =
        XCreateWindow(display, root, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWEventMask | CWBackPixel, &a);
    XStoreName(display, messageWindow, "ZEK2");
    XSetTransientForHint(display, messageWindow, parent);
    deleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, messageWindow, &deleteWindowAtom, 1);
    // A fixed size: the text is laid out for it.
    XSizeHints hints{};
    hints.flags = PPosition | PMinSize | PMaxSize;
    hints.x = x;
    hints.y = y;
    hints.min_width = hints.max_width = w;
    hints.min_height = hints.max_height = h;
    XSetWMNormalHints(display, messageWindow, &hints);
    XMapRaised(display, messageWindow);
    messageSurface =
        cairo_xlib_surface_create(display, messageWindow, DefaultVisual(display, screen), w, h);
    message = &m;
    XFlush(display);
}

void X11Frame::closeMessageWindow() {
    if (!messageWindow) return;
    X11ErrorTrap trap(display);
    if (messageSurface) cairo_surface_destroy(static_cast<cairo_surface_t*>(messageSurface));
    XDestroyWindow(display, messageWindow);
    messageSurface = nullptr;
    messageWindow = 0;
    message = nullptr;
    trap.sync();
}

bool X11Frame::messageEvent(XEvent& event) {
    if (!message || event.xany.window != messageWindow) return false;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            paintOnWindow(messageSurface, static_cast<int>(message->getSize().getWidth()),
                          static_cast<int>(message->getSize().getHeight()),
                          [&](CDrawContext* context) { message->draw(context); });
        break;
    case ButtonPress:
        if (event.xbutton.button == Button1)
            message->mouseDown(CPoint(event.xbutton.x, event.xbutton.y));
        break;
    case ButtonRelease:
        if (event.xbutton.button == Button1)
            message->mouseUp(CPoint(event.xbutton.x, event.xbutton.y));
        break;
    case KeyPress: {
        KeySym sym = 0;
        char text[8];
        XLookupString(&event.xkey, text, sizeof text, &sym, nullptr);
        if (const unsigned char v = virtualKeyFromX(sym)) message->keyDown(v);
        break;
    }
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom) message->close();
        break;
    default:
        break;
    }
    return true;
}

} // namespace VSTGUI::backend
