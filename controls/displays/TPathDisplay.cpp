// Draws a processing path's order and reorders it through the engine's path operations.
// User-interface thread.
#include "controls/displays/TPathDisplay.h"

#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "engine/params/ParamTags.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace VSTGUI;

const int TPathDisplay::PATH_TAGS[2] = {tag::OscPath, tag::FxPath};
const int TPathDisplay::PATH_NUM[2] = {6, 5};
const int TPathDisplay::PATH_LAST[2] = {5, 4};

namespace {

constexpr int ARROW_WIDTH[SCREEN_SIZE_COUNT] = {21, 28, 42, 42};
constexpr int ARROW_HEIGHT[SCREEN_SIZE_COUNT] = {12, 15, 18, 24};
constexpr int UP_ARROW_X[SCREEN_SIZE_COUNT] = {221, 279, 331, 442};
constexpr int DOWN_ARROW_X[SCREEN_SIZE_COUNT] = {247, 311, 370, 494};
constexpr int kUpArrow = 10054, kUpArrowPressed = 10055;
constexpr int kDownArrow = 10056, kDownArrowPressed = 10057;
// The path menus' sections: the voice path's and the FX path's.
constexpr int PATH_SECTIONS[2] = {23, 29};
constexpr int kArrowUp = 1, kArrowDown = 2;

} // namespace

TPathDisplay::TPathDisplay(const CRect& size, IControlListener* listener, int path, int screen)
    : CControl(size, listener, ControlEditor::kNoTag), screenSize(std::clamp(screen, 0, 3)),
      path(path) {
    arrowWidth = ARROW_WIDTH[screenSize];
    arrowHeight = ARROW_HEIGHT[screenSize];
    upArrowX = UP_ARROW_X[screenSize];
    downArrowX = DOWN_ARROW_X[screenSize];
    scale = SCALE[screenSize];
    // Both paths share the row height of six rows; the FX path leaves the last one empty.
    rowHeight = static_cast<float>(size.getHeight()) / 6;
}

int TPathDisplay::rowAt(CCoord y) const {
    const double row = rowHeight > 0 ? (y - getViewSize().top) / rowHeight : 0.0;
    return static_cast<int>(std::clamp(row, 0.0, static_cast<double>(PATH_LAST[path])));
}

void TPathDisplay::draw(CDrawContext* context) {
    setDirty(false);
    DisplaySound* engine = displaySoundOf(this);
    if (!mayDraw(this) || !engine) return;
    context->setFont(FONT_SIZES[screenSize]);
    if (path != 0 && path != 1) return;
    ControlEditor* editor = editorOf(this);
    const CRect& r = getViewSize();
    const int cellHeight = static_cast<int>(rowHeight);
    for (int i = 0; i < PATH_NUM[path]; ++i) {
        const CCoord y = r.top + static_cast<int>(i * rowHeight);
        context->setFontColor(i == selected ? LIGHT_GREEN_COLOR : GREEN_COLOR);
        context->drawString(
            std::to_string(i + 1),
            CRect(CPoint(r.left, y), CPoint(PATH_WIDTH[screenSize][0], cellHeight)));
        context->drawString(pathStageName(path, engine->getPathEntry(i, path)),
                            CRect(CPoint(r.left + PATH_COL[screenSize][1], y),
                                  CPoint(PATH_WIDTH[screenSize][1], cellHeight)));
        const CCoord arrowY = r.top + static_cast<int>(i * rowHeight + 2 * scale);
        const bool sel = i == selected;
        CBitmap* up =
            editor->getSkinBitmap(sel && pressedArrow == kArrowUp ? kUpArrowPressed : kUpArrow);
        CBitmap* down = editor->getSkinBitmap(sel && pressedArrow == kArrowDown ? kDownArrowPressed
                                                                                : kDownArrow);
        if (up)
            up->draw(context,
                     CRect(CPoint(r.left + upArrowX, arrowY), CPoint(arrowWidth, arrowHeight)),
                     CPoint());
        if (down)
            down->draw(context,
                       CRect(CPoint(r.left + downArrowX, arrowY), CPoint(arrowWidth, arrowHeight)),
                       CPoint());
    }
}

CMouseEventResult TPathDisplay::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!editor || !engine || (path != 0 && path != 1)) return kDone;
    pressedArrow = -1;
    if (buttons.isLeftButton()) {
        const int t = PATH_TAGS[path];
        const float target = clickTarget(buttons, engine->getDefaultValue(t),
                                         engine->getDefaultValue(t), engine->getOrigValue(t));
        if (target > -0.5f) {
            editor->userEdit(t, [&] { engine->setParameter(t, target); });
            editor->requestHostDisplay();
            setDirty(true);
            return kDone;
        }
        selected = rowAt(where.y);
        const CCoord x = where.x - getViewSize().left;
        const int* col = PATH_COL[screenSize];
        if (col[2] < x && x < col[3])
            pressedArrow = kArrowUp;
        else if (col[3] < x && x < col[4])
            pressedArrow = kArrowDown;
        if (pressedArrow != -1) {
            // A move reorders the path: one edit of its tag, and the host re-reads the rest.
            editor->userEdit(
                t, [&] { selected = engine->changePathDelta(selected, pressedArrow, path); });
            editor->requestHostDisplay();
            editor->setPathSelected(path, selected);
            setDirty(true);
            return kDone;
        }
        // A press on a number or name starts a move that the release completes.
        editor->setPathSelected(path, selected);
        return kMouseEventHandled;
    }
    if (buttons & kRButton) editor->showPathMenu(PATH_SECTIONS[path], path);
    return kDone;
}

CMouseEventResult TPathDisplay::onMouseUp(CPoint& where, const CButtonState&) {
    DisplaySound* engine = displaySoundOf(this);
    if (engine && where.x - getViewSize().left < PATH_COL[screenSize][2]) {
        const int target = rowAt(where.y);
        if (target != selected) {
            if (ControlEditor* editor = editorOf(this)) {
                editor->userEdit(PATH_TAGS[path],
                                 [&] { engine->swapPath(selected, target, path); });
                editor->requestHostDisplay();
            }
            selected = target;
            // The path menu moves the unit the display has selected.
            if (ControlEditor* editor = editorOf(this)) editor->setPathSelected(path, selected);
        }
    }
    setDirty(true);
    return kMouseEventHandled;
}
