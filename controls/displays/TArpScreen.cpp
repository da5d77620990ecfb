// The arpeggiator grid: drawing of the shown sequence and the cell gestures (toggles, value
// drags, preset values, typed entry, the ratchet pop-up). User-interface thread only.
#include "controls/displays/TArpScreen.h"

#include "controls/ControlContext.h"
#include "controls/DrawHelpers.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "engine/params/StringTables.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace VSTGUI;

namespace {

// The loop-start mark's left and right insets from the step's edge, per screen size.
constexpr int kLoopMarkLeft[SCREEN_SIZE_COUNT] = {2, 3, 4, 5};
constexpr int kLoopMarkRight[SCREEN_SIZE_COUNT] = {6, 9, 12, 14};
constexpr int kLoopModeOff = 1;
enum TiedMode { kTiedNormal, kTiedSpecial, kTiedToggle1, kTiedToggle2 };
// A drag of this many pixels (right or up) takes a value across its whole range.
constexpr float kDragPixels = 400.0f;
constexpr float kFineFactor = 20.0f;

} // namespace

TArpScreen::TArpScreen(const CRect& r, IControlListener* listener, int size)
    : CControl(r, listener, ControlEditor::kNoTag),
      guiSize(std::clamp(size, 0, SCREEN_SIZE_COUNT - 1)),
      columnWidth(static_cast<float>(r.getWidth()) / kArpSteps), lineFirst(r.left - 0.5),
      linePitch(columnWidth) {
    // The eight bands tile the view exactly, whatever its height.
    const float pitch = static_cast<float>(r.getHeight()) / kArpRows;
    for (int k = 0; k < kArpRows; ++k) {
        rowTop[k] = static_cast<int>(k * pitch);
        rowHeight[k] = static_cast<int>((k + 1) * pitch) - rowTop[k];
    }
}

void TArpScreen::setColumnLines(double first, double pitch, int width) {
    lineFirst = first;
    linePitch = pitch;
    lineWidth = std::max(width, 1);
}

void TArpScreen::setArp(int a) {
    if (a != 0 && a != 1) return;
    if (a == arp) return;
    arp = a;
    setDirty(true);
}

void TArpScreen::setStepsLoop() {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine) return;
    const int steps = engine->getShownArpNumOfSteps(arp);
    const int start = engine->getShownArpLoopStart(arp);
    if (steps == stepCount && start == loopStart) return;
    stepCount = std::clamp(steps, 1, kArpSteps);
    loopStart = std::clamp(start, 0, kArpSteps - 1);
    setDirty(true);
}

float TArpScreen::getArpValue(int t) const {
    const DisplaySound* engine = displaySoundOf(this);
    return engine ? engine->getLockVar(t) : 0.0f;
}

bool TArpScreen::getArpValueOnOff(int t) const {
    const DisplaySound* engine = displaySoundOf(this);
    return engine && engine->getLockVarOnOff(t);
}

// Each click edit is one edit the host hears.
void TArpScreen::setArpValue(int t, float v) {
    DisplaySound* engine = displaySoundOf(this);
    ControlEditor* editor = editorOf(this);
    if (!engine || !editor) return;
    editor->userEdit(t, [&] { engine->setLockVar(t, v); });
    setDirty(true);
}

void TArpScreen::toggleArpValue(int t) {
    DisplaySound* engine = displaySoundOf(this);
    ControlEditor* editor = editorOf(this);
    if (!engine || !editor) return;
    editor->userEdit(t, [&] { engine->setLockVar(t, engine->getLockVarOnOff(t) ? 0.0f : 1.0f); });
    setDirty(true);
}

int TArpScreen::getArpRow(int y) const {
    const int d = static_cast<int>(y - size.top);
    for (int k = 0; k < kArpRows; ++k)
        if (d >= rowTop[k] && d < rowTop[k] + rowHeight[k]) return k;
    return 0;
}

int TArpScreen::getArpStep(int x) const {
    return std::clamp(static_cast<int>((x - size.left) / columnWidth), 0, kArpSteps - 1);
}

int TArpScreen::cellTag(int row, int step) const {
    if (row < 0 || row >= kArpRows || step < 0 || step >= kArpSteps) return -1;
    return ARP_ROW_START_TAGS[arp * kArpRows + row] + step;
}

// A tied step hides its lower rows when the tied mode lets the tie hold in this cycle.
bool TArpScreen::rowSkipped(int step) const {
    const DisplaySound* engine = displaySoundOf(this);
    if (!engine || !getArpValueOnOff(cellTag(kRowTied, step))) return false;
    switch (engine->getArpTiedMode()) {
    case kTiedNormal:
        return true;
    case kTiedToggle1:
        return engine->getArpSeq() != 0;
    case kTiedToggle2:
        return engine->getArpSeq() != 1;
    default:
        return false;
    }
}

void TArpScreen::drawStep(CDrawContext* context, int step, CCoord left, CCoord right) const {
    DisplaySound* engine = displaySoundOf(this);
    auto box = [&](int row) {
        return CRect(left, size.top + rowTop[row], right, size.top + rowTop[row] + rowHeight[row]);
    };
    const bool on = getArpValueOnOff(cellTag(kRowOn, step));
    char label[12];
    std::snprintf(label, sizeof label, "%02d", step + 1);
    context->setFontColor(on ? TEXT_COLOR : TEXT_TRANS_COLOR);
    context->drawString(label, box(kRowOn), kCenterText, true);
    if (!on) return;
    context->setFontColor(TEXT_COLOR);
    if (getArpValueOnOff(cellTag(kRowTied, step)))
        context->drawString("X", box(kRowTied), kCenterText, true);
    if (rowSkipped(step)) return;
    if (getArpValueOnOff(cellTag(kRowSlide, step)))
        context->drawString("X", box(kRowSlide), kCenterText, true);
    // A value whose ink would not stand a pixel clear of its column's lines (the box reaches
    // past the right one, and centres the text a little right of the column's middle) would
    // run into its neighbour's or lose its sign to the cell's edge: it is drawn in a shorter
    // form instead.
    auto lineAt = [&](int k) {
        const auto at = static_cast<CCoord>(std::floor(lineFirst + k * linePitch));
        return k == kArpSteps ? at - (lineWidth - 1) : at;
    };
    const CCoord clearFrom = std::max(left, lineAt(step) + lineWidth + 1);
    const CCoord clearTo = std::min(right, lineAt(step + 1) - 1);
    for (int row = kRowTune; row <= kRowRatchet; ++row) {
        const CRect cell = box(row);
        const auto fits = [&](const std::string& text) {
            const CRect ink = context->getStringInk(text, cell, kCenterText);
            return std::floor(ink.left) >= clearFrom && std::ceil(ink.right) <= clearTo;
        };
        context->drawString(
            shortValueText(engine->getParameterDisplayStr(cellTag(row, step)), fits), cell,
            kCenterText, true);
    }
}

void TArpScreen::draw(CDrawContext* context) {
    setDirty(false);
    DisplaySound* engine = displaySoundOf(this);
    if (!mayDraw(this) || !engine) return;
    const float f = SCALE[guiSize];
    context->setFont(FONT_SIZES[guiSize]);
    if (engine->getArpLoopMode() != kLoopModeOff) {
        const CCoord x = size.left + static_cast<int>(loopStart * columnWidth);
        context->setFillColor(LIGHT_GREEN_COLOR);
        context->fillRect(CRect(x + kLoopMarkLeft[guiSize], size.top, x + kLoopMarkRight[guiSize],
                                size.top + static_cast<int>(4 * f)));
    }
    for (int i = 0; i < stepCount; ++i) {
        const float a = i * columnWidth + 1.0f;
        drawStep(context, i, size.left + static_cast<int>(a),
                 size.left + static_cast<int>(a + columnWidth) - 1 + static_cast<int>(2 * f));
    }
}

CMouseEventResult TArpScreen::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    // A locked arpeggiator is not edited here, and its menu does not open either.
    if (!getMouseEnabled() || !engine || engine->getArpOrPlayLocked()) return kDone;
    dragTag = -1;
    lastStep = getArpStep(static_cast<int>(where.x));
    lastRow = getArpRow(static_cast<int>(where.y));
    if (isMenuClick(buttons)) {
        editor->showArpMenu(lastRow, lastStep, true);
        return kDone;
    }
    // Recorded before the step test: a click beyond the last step is undoable too.
    editor->setSectionUndo(40);
    if (lastStep >= stepCount) return kDone;
    const int t = cellTag(lastRow, lastStep);
    if (lastRow <= kRowSlide) {
        toggleArpValue(t);
        return kDone;
    }
    dragTag = t;
    const float target = clickTarget(buttons, engine->getDefaultValue(t),
                                     engine->getDefaultValue(t), engine->getOrigValue(t));
    if (target > -0.5f) {
        setArpValue(t, target);
        return kDone;
    }
    if (buttons == (kLButton | kAlt)) {
        editor->typeValue(t);
        setDirty(true);
        return kDone;
    }
    if (lastRow == kRowRatchet) {
        popupRatchet(t);
        return kDone;
    }
    dragValue = getArpValue(t);
    lastPoint = where;
    // The drag is one gesture for the host, closed at the release.
    editor->beginEdit(t);
    // The press counts as the first move of the drag.
    onMouseMoved(where, buttons);
    return kFollowed;
}

CMouseEventResult TArpScreen::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    setDirty(true);
    if (!(buttons & kLButton) || where == lastPoint) return kMouseEventHandled;
    const float pixels = (buttons & kShift) ? kDragPixels * kFineFactor : kDragPixels;
    // Right and up both raise the value; the engine bounds what it stores.
    dragValue += static_cast<float>((where.x - lastPoint.x) + (lastPoint.y - where.y)) / pixels;
    lastPoint = where;
    if (DisplaySound* engine = displaySoundOf(this)) engine->setLockVar(dragTag, dragValue);
    return kMouseEventHandled;
}

CMouseEventResult TArpScreen::onMouseUp(CPoint&, const CButtonState&) {
    if (ControlEditor* editor = editorOf(this); editor && dragTag >= 0) editor->endEdit(dragTag);
    dragTag = -1;
    setDirty(true);
    return kMouseEventHandled;
}

// The ratchet count is chosen from a small menu under the mouse; the entry is recognised by
// its index in this menu, never by its title.
void TArpScreen::popupRatchet(int t) {
    CFrame* frame = getFrame();
    DisplaySound* engine = displaySoundOf(this);
    if (!frame || !engine) return;
    CPoint m;
    frame->getCurrentMouseLocation(m);
    auto* menu = new COptionMenu(CRect(m.x - 10, m.y - 10, m.x + 10, m.y + 10), nullptr,
                                 ControlEditor::kNoTag);
    menu->setVisible(false);
    for (const char* entry : ARP_RATCHET_STR) menu->addEntry(entry);
    frame->addView(menu);
    menu->forget(); // the frame holds it, until the pop-up has closed
    menu->popup([this, frame, menu, engine, t](bool chosen) {
        int index = -1;
        if (chosen && menu->getLastItemMenu(index) == menu && index >= 0 &&
            index < ARP_RATCHET_COUNT) {
            if (ControlEditor* editor = editorOf(this))
                editor->userEdit(t, [&] { engine->setSteppedValue(t, index); });
        }
        frame->removeView(menu, false);
        setDirty(true);
    });
}
