// The X11 back end of a frame: a child window of the host's window on a display connection of
// our own. Events are read only when the frame's idle pass asks (the host's editor-idle call),
// for the frame's window and for its pop-up menu and message windows, which stay open across
// those calls; the back buffer is copied to the window as a whole-frame double buffer.
// UI thread only.
#pragma once

#include "gui/backend/Backend.h"

#include <X11/Xlib.h>

#include <functional>
#include <vector>

namespace VSTGUI::backend {

class X11PopupWindows;

class X11Frame : public IPlatformFrame {
public:
    X11Frame(CFrame* frame, Display* display, Window parent);
    ~X11Frame() override;
    // Creates and maps the window; false when the parent does not exist.
    bool create(int width, int height);

    void present(const CRect& rect) override;
    void pumpEvents() override;
    void openMenuPopup(MenuPopup& popup, const CRect& anchorInFrame) override;
    void updateMenuPopup() override;
    void closeMenuPopup() override;
    bool drawsMenuPopupInFrame() const override { return false; }
    void openMessageWindow(MessageWindow& message) override;
    void closeMessageWindow() override;
    void resize(int width, int height) override;

    Display* getDisplay() const { return display; }
    Window getWindow() const { return window; }
    bool isWindowAlive() const { return window != 0; }
    // Hands one event of our window to the frame.
    void dispatch(XEvent& event);

private:
    // Events of the open pop-up's windows, and of ours while it is open (a press on the frame
    // closes it; the pointer's moves and release and the keys go to it). True when taken.
    bool popupEvent(XEvent& event);
    bool messageEvent(XEvent& event);
    // The window that had the focus before the pop-up still exists and is on the screen.
    bool focusCanReturn() const;
    // Tells the frame where the pointer rests after a pop-up had its moves.
    void pointerRestsAgain();
    // Grabs the keys the editor uses now, pressed without a modifier, and lets go of the others.
    void grabUsedKeys();
    // Watches the host's windows from our parent up to the root: when one is hidden, moved or
    // put elsewhere, or ours loses its parent, an open pop-up closes rather than stay behind.
    void watchAncestors();
    // A structure event of ours or of a watched window; true when taken.
    bool structureEvent(const XEvent& event);
    // Where our window's top left corner is on the screen.
    CPoint screenOrigin() const;

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
    uint32_t grabbedKeys = 0; // bit n: VST virtual key n is grabbed
    std::vector<Window> ancestors;
    // The open pop-up and its windows, and the input focus it took from whoever had it.
    MenuPopup* popup = nullptr;
    X11PopupWindows* popupWindows = nullptr;
    CPoint popupOrigin; // our window's screen origin when the pop-up opened
    Window focusBefore = 0;
    int focusRevertBefore = RevertToParent;
    // The open message window.
    MessageWindow* message = nullptr;
    Window messageWindow = 0;
    void* messageSurface = nullptr;
    Atom deleteWindowAtom = 0;
};

// Draws with `draw` into a new image of w x h and copies it onto an X window's cairo surface.
void paintOnWindow(void* windowSurface, int w, int h,
                   const std::function<void(CDrawContext*)>& draw);

// Modifier and button bits of an X event state, as the frame's button state.
int32_t buttonStateFromX(unsigned int state);
// The VST virtual key of an X key symbol, 0 for a character key.
unsigned char virtualKeyFromX(unsigned long keysym);

} // namespace VSTGUI::backend
