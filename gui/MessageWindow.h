// A message the frame shows in a small window of its own, with one "OK" button: its text
// wrapped to lines, its size, the button, and whether it was closed. The platform back end
// shows it and feeds it events in the window's own coordinates. User-interface thread only.
#pragma once

#include "gui/GuiTypes.h"
#include "gui/MenuPopup.h"

#include <string>
#include <vector>

namespace VSTGUI {

class CDrawContext;

class MessageWindow {
public:
    MessageWindow(std::string text, const MenuStyle& style);

    const std::string& getText() const { return text; }
    // The window's size; the top-left corner is (0, 0).
    const CRect& getSize() const { return size; }
    const CRect& getButton() const { return button; }

    // Events in the window's coordinates. Virtual keys of the VST key code: return, escape
    // and space close it as "OK" does.
    void mouseDown(const CPoint& where);
    void mouseUp(const CPoint& where);
    void keyDown(int32_t virtualKey);
    void close() { done = true; }
    bool isDone() const { return done; }

    void draw(CDrawContext* context) const;

private:
    std::string text;
    std::vector<std::string> lines;
    CRect size;
    CRect button;
    bool pressed = false;
    bool done = false;
    MenuStyle style;
};

} // namespace VSTGUI
