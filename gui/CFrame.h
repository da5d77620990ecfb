// The frame: the root container of an editor's views. It owns the whole-frame back buffer,
// redraws dirty views from the idle pass, routes mouse, wheel and keys (keyboard hook first,
// then the focus view), keeps the mouse location, shows tooltips and runs menu pop-ups. Its
// platform back end is an X11 child window of the host's window, or an off-screen image that
// tests drive with synthetic events. User-interface thread only.
#pragma once

#include "gui/CView.h"
#include "gui/MenuPopup.h"
#include "gui/MessageWindow.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

struct VstKeyCode;

namespace VSTGUI {

class CFrame;
class COptionMenu;

// What the frame needs of the editor that owns it.
class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void beginEdit(int32_t) {}
    virtual void endEdit(int32_t) {}
    // A mouse button came up, after the views had the release: no gesture outlives it.
    virtual void mouseReleased() {}
    virtual int32_t getKnobMode() const { return 0; }
    virtual CFrame* getFrame() const { return nullptr; }
};

// Computer keys reach the hook before any view: 1 handled, -1 not handled.
class IKeyboardHook {
public:
    virtual ~IKeyboardHook() = default;
    virtual int32_t onKeyDown(const VstKeyCode& code, CFrame* frame) = 0;
    virtual int32_t onKeyUp(const VstKeyCode& code, CFrame* frame) = 0;
    // The VST virtual keys the hook takes now, bit n for key n, each only when pressed without
    // a modifier (Num Lock and Caps Lock aside); the window system passes the others, and
    // these with a modifier held, on to the host.
    virtual uint32_t getUsedKeys() const { return 0; }
};

// A window-system back end of the frame.
class IPlatformFrame {
public:
    virtual ~IPlatformFrame() = default;
    // Copies the given part of the back buffer to the screen.
    virtual void present(const CRect& rect) = 0;
    // Reads pending window-system events and hands them to the frame, and to its open pop-up
    // menu and message window.
    virtual void pumpEvents() = 0;
    // Lays the pop-up out (`MenuPopup::open`) and shows it; it stays open across pumps until
    // closed. Events of its own reach it through `pumpEvents`.
    virtual void openMenuPopup(MenuPopup& popup, const CRect& anchorInFrame) = 0;
    // Shows what changed in the open pop-up (levels opened or closed, the hovered entry).
    virtual void updateMenuPopup() = 0;
    virtual void closeMenuPopup() = 0;
    // True when the pop-up is drawn into the frame's own image (the off-screen back end);
    // false when it has windows of its own.
    virtual bool drawsMenuPopupInFrame() const = 0;
    // A message window beside the frame, open until closed.
    virtual void openMessageWindow(MessageWindow& message) = 0;
    virtual void closeMessageWindow() = 0;
    virtual void resize(int width, int height) = 0;
};

enum class PlatformType { kX11ChildWindow, kOffscreen };

class CFrame : public CViewContainer {
public:
    CFrame(const CRect& size, VSTGUIEditorInterface* editor);

    // X11: parent is the host's window id. Off-screen: parent is ignored. False on failure
    // (no display, no such window); the frame then stays usable off-screen.
    bool open(void* parent, PlatformType type = PlatformType::kX11ChildWindow);
    void close();
    bool isOpen() const { return platform != nullptr; }
    // The editor is closing from inside a call still on the stack: no further window event
    // is served, and the frame goes when that call has returned.
    void stopEvents() { eventsStopped = true; }
    bool areEventsStopped() const { return eventsStopped; }
    IPlatformFrame* getPlatformFrame() const { return platform.get(); }

    VSTGUIEditorInterface* getEditor() const { return editor; }
    void registerKeyboardHook(IKeyboardHook* hook) { keyboardHook = hook; }
    void unregisterKeyboardHook(IKeyboardHook* hook) {
        if (keyboardHook == hook) keyboardHook = nullptr;
    }
    IKeyboardHook* getKeyboardHook() const { return keyboardHook; }
    uint32_t getUsedKeys() const { return keyboardHook ? keyboardHook->getUsedKeys() : 0; }
    void setFocusView(CView* view) { focusView = view; }
    CView* getFocusView() const { return focusView; }

    // The last mouse position, in frame coordinates.
    CPoint& getCurrentMouseLocation(CPoint& where) const;
    CButtonState getCurrentMouseButtons() const { return mouseButtons; }
    // The frame's own child under the mouse (not descending into containers).
    CView* getCurrentView() const;

    // Serves the window system, redraws what is dirty and shows due tooltips.
    void idle();
    void idle(uint32_t nowMs);
    // Redraws the whole frame into the back buffer now.
    void render();

    // Events in frame coordinates, from the back end or from tests. timeMs orders presses
    // for the double-click rule: a second press within 400 ms and 4 pixels.
    CMouseEventResult platformMouseDown(const CPoint& where, CButtonState buttons, uint32_t timeMs);
    CMouseEventResult platformMouseMoved(const CPoint& where, CButtonState buttons);
    CMouseEventResult platformMouseUp(const CPoint& where, CButtonState buttons);
    bool platformWheel(const CPoint& where, float distance, CButtonState buttons);
    void platformMouseExited();
    // The pointer rests at `where` without a move of ours having brought it there (a pop-up
    // had the moves): only where it is changes, no view hears of it.
    void platformMouseRests(const CPoint& where);
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;
    bool isMouseCaptured() const { return captured; }

    // Menu pop-ups stay open across idle calls: each idle call serves their events, and the
    // pop-up closes on a choice, Escape, a press outside it or the loss of the keyboard focus.
    // When it has closed, `closed` runs with the menu that holds the chosen entry and its
    // index (null and -1 when dismissed). When the frame closes first, `closed` never runs.
    // False when no pop-up could open (no window, one already open).
    using MenuClosed = std::function<void(COptionMenu* holder, int32_t index)>;
    bool openMenuPopup(COptionMenu* menu, MenuClosed closed);
    MenuPopup* getOpenMenuPopup() const { return openPopup.get(); }
    void setMenuStyle(const MenuStyle& s) { menuStyle = s; }
    // A scripted driver makes pop-ups run to their end inside `openMenuPopup`: it is asked for
    // their events, one step per call, and the pop-up is dismissed when it answers false.
    // Tests script their menu choices with it. Without a driver an off-screen pop-up is
    // dismissed at once, unless tests let it stay open to serve it from idle calls.
    using MenuDriver = std::function<bool(MenuPopup&)>;
    void setMenuDriver(MenuDriver driver) { menuDriver = std::move(driver); }
    const MenuDriver& getMenuDriver() const { return menuDriver; }
    void setOffscreenPopupsStayOpen(bool on) { offscreenPopupsStayOpen = on; }

    // A message in a window of the frame's own, beside the host's window; it does not wait.
    // Messages shown while one is open follow in turn; the frame's closing closes them all.
    void showMessage(const std::string& text);
    // The message on show, "" when none.
    std::string getShownMessage() const;
    MessageWindow* getOpenMessage() const { return openMessage.get(); }

    // The tooltip on show, "" when none.
    const std::string& getShownTooltip() const { return tooltipText; }

    // The back buffer: pixels for tests, a PNG file for screenshots.
    void* getBackBuffer() const { return backBuffer; }
    CColor getPixel(int x, int y) const;
    bool writePNG(const std::string& path) const;

    void invalidRect(const CRect& rect) override;
    void invalidChild(const CRect& localRect) override;

protected:
    ~CFrame() override;

private:
    void updateHover(uint32_t nowMs);
    void drawTooltip();
    void redraw(const CRect& region);
    void redrawDirty();
    bool inTree(const CView* view) const;
    // Finishes a pop-up that is done; otherwise shows what changed in it.
    void serveMenuPopup();
    // Closes the open pop-up; `tell` runs its `closed`.
    void finishMenuPopup(bool tell);
    void drawMenuPopup(CDrawContext& context);
    void serveMessages();
    void closeMessages();

    VSTGUIEditorInterface* editor;
    std::unique_ptr<IPlatformFrame> platform;
    void* backBuffer = nullptr;
    DirtyRegion dirtyRegion;
    IKeyboardHook* keyboardHook = nullptr;
    CView* focusView = nullptr;
    CPoint mouseLocation{-1, -1};
    CButtonState mouseButtons;
    bool captured = false;
    bool eventsStopped = false;
    uint32_t lastPressTime = 0;
    CPoint lastPressPoint{-100, -100};
    int32_t lastPressButton = 0;
    bool lastPressWasDouble = false;
    // Tooltips.
    CView* hoverView = nullptr;
    uint32_t hoverSince = 0;
    uint32_t lastIdleMs = 0;
    std::string tooltipText;
    CRect tooltipRect;
    MenuStyle menuStyle;
    MenuDriver menuDriver;
    bool offscreenPopupsStayOpen = false;
    // The open pop-up, what runs when it closes, and (drawn into the frame) where it was drawn.
    std::unique_ptr<MenuPopup> openPopup;
    MenuClosed popupClosed;
    uint32_t popupGenerationShown = 0;
    CRect popupArea;
    std::unique_ptr<MessageWindow> openMessage;
    std::deque<std::string> waitingMessages;
};

// Milliseconds of the monotonic clock, for the frame's timing.
uint32_t monotonicMilliseconds();

} // namespace VSTGUI
