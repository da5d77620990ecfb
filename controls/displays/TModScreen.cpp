// Draws the modulation matrix table and serves its presses, drags and the scroll bar.
// User-interface thread.
#include "controls/displays/TModScreen.h"

#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "engine/params/ParamTags.h"
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace VSTGUI;

const int TModScreen::MOD_START_TAGS[kColumns] = {
    tag::ModBypassFirst, tag::ModSourceFirst, tag::ModLowerFirst, tag::ModUpperFirst,
    tag::ModDestFirst,   tag::ModOffsetFirst, tag::ModAmountFirst};

namespace {

constexpr int kSectionModMatrix = 39;
constexpr int kColBypass = 0, kColSource = 1, kColDest = 4;
// Destinations of this type move in 72 steps of their range unless Shift asks for fine values.
constexpr int kSnappedDestType = 1;
constexpr float kSnapSteps = 72.0f;

} // namespace

TModScreen::TModScreen(const CRect& size, IControlListener* listener, int screen)
    : CControl(size, listener, ControlEditor::kNoTag), screenSize(std::clamp(screen, 0, 3)) {
    scrollBarX = MOD_COL_END[screenSize][kColumns - 1];
    thumbHeight = MOD_SCROLL_HEIGHT[screenSize];
    thumbWidth = MOD_SCROLL_WIDTH[screenSize];
    scrollRange = static_cast<int>(size.getHeight() - thumbHeight);
    rowHeight = static_cast<float>(size.getHeight()) / kRows;
    for (int c = 0; c < kColumns; ++c) {
        colStart[c] = MOD_COL_START[screenSize][c];
        colWidth[c] = MOD_COL_END[screenSize][c] - MOD_COL_START[screenSize][c];
    }
    for (int k = 0; k < kRows; ++k) {
        rowTop[k] = static_cast<int>(k * rowHeight);
        rowHeights[k] = static_cast<int>(rowHeight);
    }
}

int TModScreen::getModSlot(int row) const {
    // A view no taller than the thumb cannot scroll: its top slot stays the first.
    const int top = scrollRange > 0
                        ? static_cast<int>(static_cast<float>(scrollPosition) / scrollRange * 3.99f)
                        : 0;
    return std::clamp(top + row, 0, kSlots - 1);
}

int TModScreen::getModSlotFromY(int y) const {
    if (!(rowHeight > 0)) return getModSlot(0);
    const float row = std::clamp((y - static_cast<float>(getViewSize().top)) / rowHeight, -1.0f,
                                 static_cast<float>(kSlots));
    return getModSlot(static_cast<int>(row));
}

int TModScreen::getModColFromX(int x) const {
    const int left = static_cast<int>(getViewSize().left);
    for (int c = 0; c < kColumns; ++c)
        if (left + colStart[c] < x && x < left + colStart[c] + colWidth[c]) return c;
    return kColumns - 1;
}

void TModScreen::draw(CDrawContext* context) {
    setDirty(false);
    DisplaySound* engine = displaySoundOf(this);
    if (!mayDraw(this) || !engine) return;
    const CRect& r = getViewSize();
    context->setFont(FONT_SIZES[editorOf(this)->getBig()]);
    for (int row = 0; row < kRows; ++row) {
        const int s = getModSlot(row);
        context->setFontColor(engine->getModBypass(s) ? TEXT_BYPASSED_COLOR : TEXT_COLOR);
        for (int c = 0; c < kColumns; ++c) {
            const CRect cell(CPoint(r.left + colStart[c], r.top + rowTop[row]),
                             CPoint(colWidth[c], rowHeights[row]));
            const std::string text = c == 0 ? std::to_string(s + 1)
                                            : engine->getParameterDisplayStr(MOD_START_TAGS[c] + s);
            context->drawString(text, cell, kCenterText, true);
        }
    }
    context->setFillColor(SCROLL_BAR_COLOR);
    context->setFrameColor(SCROLL_BAR_COLOR);
    const CPoint thumb(r.left + scrollBarX, r.top + scrollPosition + (screenSize == 0 ? 1 : 0));
    context->drawRect(CRect(thumb, CPoint(thumbWidth, thumbHeight)), kDrawFilledAndStroked);
}

CMouseEventResult TModScreen::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!getMouseEnabled() || !editor || !engine) return kDone;
    valueDrag = scrollDrag = false;
    const int s = getModSlotFromY(static_cast<int>(where.y));
    const int c = getModColFromX(static_cast<int>(where.x));
    editTag = MOD_START_TAGS[c] + s;
    if (!buttons.isLeftButton() || isMenuClick(buttons)) {
        editor->showModMenu(s);
        return kDone;
    }
    if (where.x - getViewSize().left > scrollBarX) {
        if (buttons & (kShift | kControl)) {
            scrollPosition = (buttons & kShift) ? 0 : scrollRange;
            return kDone;
        }
        scrollDrag = true;
        return onMouseMoved(where, buttons);
    }
    editor->setSectionUndo(kSectionModMatrix);
    const float target =
        clickTarget(buttons, engine->getDefaultValue(editTag), engine->getDefaultValue(editTag),
                    engine->getOrigValue(editTag));
    if (target > -0.5f) {
        editor->userEdit(editTag, [&] { engine->setParameter(editTag, target); });
        setDirty(true);
        return kDone;
    }
    if (buttons == (kLButton | kAlt)) {
        editor->typeValue(editTag);
        setDirty(true);
        return kDone;
    }
    if (c == kColDest || c == kColSource || c == kColBypass) {
        if (c == kColDest) showDestMenu(s);
        if (c == kColSource) showSourceMenu(s);
        if (c == kColBypass)
            editor->userEdit(tag::ModBypassFirst + s,
                             [&] { engine->toggleValue(tag::ModBypassFirst + s); });
        setDirty(true);
        return kDone;
    }
    // The host hears the drag as one edit of the cell's parameter, not of the display.
    editor->beginEdit(editTag);
    valueDrag = true;
    dragStartValue = engine->getParameter(editTag);
    dragStart = where;
    lastMouse = CPoint(-1, -1);
    return onMouseMoved(where, buttons);
}

CMouseEventResult TModScreen::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    DisplaySound* engine = displaySoundOf(this);
    if (!editorOf(this) || !engine) return kMouseEventHandled;
    if (scrollDrag) {
        const int position =
            std::clamp(static_cast<int>(where.y - getViewSize().top), 0, std::max(0, scrollRange));
        if (position != scrollPosition) {
            scrollPosition = position;
            setDirty(true);
        }
        return kMouseEventHandled;
    }
    if (!valueDrag || !buttons.isLeftButton() || where == lastMouse) return kMouseEventHandled;
    lastMouse = where;
    const float delta = static_cast<float>((where.x - dragStart.x) + (dragStart.y - where.y));
    const bool fine = (buttons & kShift) != 0;
    const float step = fine ? 1.0f / 10000 : 1.0f / 200;
    // Re-based so that pressing or releasing Shift mid-drag never makes the value jump.
    dragStartValue += (lastStep - step) * delta;
    lastStep = step;
    engine->setParameterAutomated(editTag, dragStartValue + step * delta);
    const bool offsetOrAmount =
        editTag >= tag::ModOffsetFirst && editTag < tag::ModAmountFirst + kSlots;
    if (!fine && offsetOrAmount) {
        const int slot = (editTag - tag::ModOffsetFirst) % kSlots;
        if (engine->getDestTypeForSlot(slot) == kSnappedDestType) {
            const float v = engine->getParameter(editTag);
            engine->setParameterAutomated(
                editTag, static_cast<float>(static_cast<int>(kSnapSteps * v + 0.1f)) / kSnapSteps);
        }
    }
    setDirty(true);
    return kMouseEventHandled;
}

CMouseEventResult TModScreen::onMouseUp(CPoint&, const CButtonState&) {
    scrollDrag = false;
    if (valueDrag)
        if (ControlEditor* editor = editorOf(this)) editor->endEdit(editTag);
    valueDrag = false;
    setDirty(true);
    return kMouseEventHandled;
}

bool TModScreen::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!getMouseEnabled() || !editor || !engine) return false;
    // A drag owns the table until its release; the wheel meanwhile changes nothing.
    if (valueDrag || scrollDrag || !(distance != 0.0f)) return true;
    if (where.x - getViewSize().left > scrollBarX) {
        // A notch moves the thumb by a 32nd of its travel, at least one pixel; up is up.
        int step = static_cast<int>(std::lround(scrollRange * distance / 32.0f));
        if (step == 0) step = distance > 0 ? 1 : -1;
        const int position = std::clamp(scrollPosition - step, 0, std::max(0, scrollRange));
        if (position != scrollPosition) {
            scrollPosition = position;
            setDirty(true);
        }
        return true;
    }
    const int s = getModSlotFromY(static_cast<int>(where.y));
    const int t = MOD_START_TAGS[getModColFromX(static_cast<int>(where.x))] + s;
    const int delta = distance > 0 ? 1 : -1;
    const bool fine = (buttons & kShift) != 0;
    editor->setSectionUndo(kSectionModMatrix);
    editor->beginEdit(t);
    const bool offsetOrAmount = t >= tag::ModOffsetFirst && t < tag::ModAmountFirst + kSlots;
    if (!fine && offsetOrAmount && engine->getDestTypeForSlot(s) == kSnappedDestType) {
        // Such destinations move a whole step of their 72 per notch, as a drag lands on them.
        const float steps = std::round(kSnapSteps * engine->getParameter(t)) + delta;
        engine->setParameterAutomated(t, std::clamp(steps, 0.0f, kSnapSteps) / kSnapSteps);
    } else {
        engine->changeDelta(t, delta, fine, 1.0f);
    }
    editor->endEdit(t);
    setDirty(true);
    return true;
}
