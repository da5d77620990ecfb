// The open pop-up of an option menu: one panel per open level (the menu, then each submenu the
// pointer opened), entries laid out in columns that fit the screen, the hovered entry, and the
// outcome (an entry chosen or the pop-up dismissed). The platform back end shows the panels
// (as pop-up windows, or drawn into the off-screen frame) and feeds events in the coordinates
// of the bounds it gave. User-interface thread only.
#pragma once

#include "gui/CFontDesc.h"
#include "gui/GuiTypes.h"

#include <vector>

namespace VSTGUI {

class CDrawContext;
class CFrame;
class COptionMenu;

struct MenuStyle {
    CColor background{28, 31, 34, 250};
    CColor border{70, 76, 82, 255};
    CColor text{222, 226, 230, 255};
    CColor disabledText{118, 124, 130, 255};
    CColor hoverBackground{43, 201, 0, 255};
    CColor hoverText{16, 20, 16, 255};
    CColor separator{64, 70, 76, 255};
    CFontRef font = nullptr; // null: the standard small font
};

class MenuPopup {
public:
    struct Level {
        COptionMenu* menu = nullptr;
        CRect rect;                   // in the bounds' coordinates
        std::vector<CRect> itemRects; // one per entry, in the level's own coordinates
        int32_t hovered = -1;
        int32_t openedFrom = -1; // the entry of the level above that opened this one
    };

    MenuPopup(COptionMenu* menu, CFrame* frame);

    // Lays out the first level below anchor (or above it when there is no room) within bounds.
    void open(const CRect& bounds, const CRect& anchor);
    void setStyle(const MenuStyle& s) { style = s; }
    const MenuStyle& getStyle() const { return style; }

    int32_t getNbLevels() const { return static_cast<int32_t>(levels.size()); }
    const Level& getLevel(int32_t i) const { return levels[static_cast<size_t>(i)]; }
    // Rises every time a level opens or closes, so a back end knows when to remake its windows.
    uint32_t getGeneration() const { return generation; }
    // The centre of an entry, in the bounds' coordinates (tests aim the pointer with it).
    CPoint getItemCenter(int32_t level, int32_t index) const;

    // Events in the bounds' coordinates.
    void mouseMoved(const CPoint& where);
    void mouseDown(const CPoint& where, const CButtonState& buttons);
    void mouseUp(const CPoint& where, const CButtonState& buttons);
    // Virtual keys of the VST key code: 1 back, 11..14 arrows, 19 return, 20 escape.
    void keyDown(int32_t virtualKey);
    void cancel() { done = true; }

    bool isDone() const { return done; }
    bool isChosen() const { return chosenMenu != nullptr; }
    COptionMenu* getChosenMenu() const { return chosenMenu; }
    int32_t getChosenIndex() const { return chosenIndex; }
    CFrame* getFrame() const { return frame; }
    COptionMenu* getMenu() const { return rootMenu; }

    // Draws one level with its top-left corner at the context's origin.
    void drawLevel(CDrawContext* context, int32_t level) const;

private:
    Level layout(COptionMenu* menu) const;
    void place(Level& level, const CRect& anchor, bool beside);
    int32_t levelAt(const CPoint& where) const;
    int32_t itemAt(int32_t level, const CPoint& where) const;
    void hover(int32_t level, int32_t item);
    void truncate(int32_t count);
    void choose(int32_t level, int32_t item);

    COptionMenu* rootMenu;
    CFrame* frame;
    MenuStyle style;
    CRect bounds;
    std::vector<Level> levels;
    uint32_t generation = 0;
    bool done = false;
    COptionMenu* chosenMenu = nullptr;
    int32_t chosenIndex = -1;
};

} // namespace VSTGUI
