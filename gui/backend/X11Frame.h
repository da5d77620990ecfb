// The X11 back end of a frame: a child window of the host's window on a display connection of
// our own. Events are read only when the frame's idle pass asks (the host's editor-idle call);
// the back buffer is copied to the window as a whole-frame double buffer. UI thread only.
#pragma once

#include "gui/backend/Backend.h"

#include <X11/Xlib.h>

namespace VSTGUI::backend {

class X11Frame : public IPlatformFrame {
public:
    X11Frame(CFrame* frame, Display* display, Window parent);
    ~X11Frame() override;
    // Creates and maps the window; false when the parent does not exist.
    bool create(int width, int height);

    void present(const CRect& rect) override;
    void pumpEvents() override;
    bool runMenuPopup(MenuPopup& popup, const CRect& anchorInFrame) override;
    void resize(int width, int height) override;

    Display* getDisplay() const { return display; }
    Window getWindow() const { return window; }
    bool isWindowAlive() const { return window != 0; }
    // Hands one event of our window to the frame (the pop-up loop passes on the frame's).
    void dispatch(XEvent& event);

private:
    CFrame* frame;
    Display* display;
    Window parent;
    Window window = 0;
    Visual* visual = nullptr;
    void* surface = nullptr; // the window's cairo surface, when pixels cannot be put directly
    GC gc = nullptr;
    bool directPixels = false; // a 24-bit true-colour visual takes the back buffer's pixels as is
    int width = 0;
    int height = 0;
    CRect exposed;
};

// Modifier and button bits of an X event state, as the frame's button state.
int32_t buttonStateFromX(unsigned int state);
// The VST virtual key of an X key symbol, 0 for a character key.
unsigned char virtualKeyFromX(unsigned long keysym);

} // namespace VSTGUI::backend
