// The 16-slot modulation matrix as a table: thirteen rows of slot number (bypass), source,
// lower and upper window, destination, offset and amount, a scroll bar for the last three
// slots, source and destination pop-up menus and value drags. All data are the engine's
// parameters; the display holds only view state. User-interface thread.
#pragma once

#include "engine/params/ParamTags.h"
#include "gui/CControl.h"

class TModScreen : public VSTGUI::CControl {
public:
    static constexpr int kRows = 13;
    static constexpr int kSlots = tag::ModSlotCount;
    static constexpr int kColumns = 7;
    // First tag of each column's block of 16: bypass, source, lower, upper, destination,
    // offset, amount. The tag of column c in slot s is MOD_START_TAGS[c] + s.
    static const int MOD_START_TAGS[kColumns];

    TModScreen(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int screenSize);

    // The slot shown in a row, from the scroll position.
    int getModSlot(int row) const;
    int getModSlotFromY(int y) const;
    // The column under x; a boundary pixel counts as the amount column.
    int getModColFromX(int x) const;
    int getScrollPosition() const { return scrollPosition; }
    int getScrollRange() const { return scrollRange; }
    int getEditTag() const { return editTag; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    // Over the scroll bar the wheel moves the thumb; over a cell it steps that cell's
    // parameter by one notch (Shift for the fine step), each notch one edit the host hears.
    bool onWheel(const VSTGUI::CPoint& where, const float& distance,
                 const VSTGUI::CButtonState& buttons) override;

private:
    // The pop-up menus of the source and destination cells (TModScreenMenus.cpp).
    void showSourceMenu(int slot);
    void showDestMenu(int slot);

    bool valueDrag = false;
    bool scrollDrag = false;
    int screenSize;
    int editTag = 0;
    int scrollBarX;
    int scrollPosition = 0;
    int thumbHeight, thumbWidth;
    int scrollRange;
    int colStart[kColumns];
    int colWidth[kColumns];
    int rowTop[kRows];
    int rowHeights[kRows];
    float dragStartValue = 0.0f;
    float lastStep = 1.0f / 200;
    float rowHeight;
    VSTGUI::CPoint lastMouse{-1, -1};
    VSTGUI::CPoint dragStart;
};
