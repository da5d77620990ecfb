// The processing order of one orderable path (0 the voice path, six units; 1 the FX path,
// five): a row per position with its number, unit name and up and down arrows. An arrow moves
// the unit one place; a press on a name and a release on another row moves the unit there.
// The order lives only in the path parameter. User-interface thread.
#pragma once

#include "gui/CControl.h"

class TPathDisplay : public VSTGUI::CControl {
public:
    static const int PATH_TAGS[2];
    static const int PATH_NUM[2];
    static const int PATH_LAST[2];

    TPathDisplay(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int path,
                 int screenSize);

    int getSelected() const { return selected; }
    // -1 none, 1 up, 2 down: the arrow hit by the last press.
    int getPressedArrow() const { return pressedArrow; }
    int getPath() const { return path; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint&, const VSTGUI::CButtonState&) override {
        return VSTGUI::kMouseEventHandled;
    }
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    int rowAt(VSTGUI::CCoord y) const;

    int screenSize;
    int selected = 0;
    int pressedArrow = -1;
    int path;
    int arrowWidth, arrowHeight;
    int upArrowX, downArrowX;
    float scale;
    float rowHeight;
};
