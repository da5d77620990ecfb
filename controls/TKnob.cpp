// The rotary dial's drawing, modulation ring and gestures. User-interface thread.
#include "controls/TKnob.h"

#include "controls/ControlContext.h"
#include "gui/CBitmap.h"

#include <algorithm>

using namespace VSTGUI;

TKnob::TKnob(const CRect& r, IControlListener* l, long t, CBitmap* knobStrip, CBitmap* ring,
             CPoint&, int frames)
    : CKnobBase(r, l, static_cast<int32_t>(t), knobStrip), maxFrame(frames - 1),
      frameCount(static_cast<float>(frames)), outer(ring), knob(knobStrip), dragStartPoint(0, 0),
      lastDragPoint(0, 0) {}

void TKnob::setBypassed(bool b) {
    if (bypassed == b) return;
    bypassed = b;
    setDirty(true);
}

void TKnob::setModValue(float v) {
    ControlEditor* editor = editorOf(this);
    if (!editor) return;
    // With animation off the ring follows the knob itself.
    int frame = editor->getAnimation() ? static_cast<int>(v * frameCount + 0.1f)
                                       : static_cast<int>(frameCount * value);
    frame = std::clamp(frame, 0, std::max(0, maxFrame));
    if (frame == ringFrame) return;
    ringFrame = frame;
    setDirty(true);
}

int TKnob::getKnobFrame() const {
    // The last image of the strip is never shown: a full knob shows frames - 2.
    return std::clamp(static_cast<int>(frameCount * value), 0, std::max(0, maxFrame - 1));
}

void TKnob::draw(CDrawContext* context) {
    if (!mayDraw(this)) return;
    const CCoord h = getHeight();
    if (!bypassed && outer)
        outer->draw(context,
                    CRect(size.left, size.top, size.left + outer->getWidth(), size.top + h),
                    CPoint(0, ringFrame * h), 1.0f);
    if (knob) {
        const CCoord y = static_cast<int>(getKnobFrame() * h);
        knob->draw(context, CRect(size.left, size.top, size.left + knob->getWidth(), size.top + h),
                   CPoint(0, y), bypassed ? 63.0f / 255.0f : 1.0f);
    }
    setDirty(false);
}

CMouseEventResult TKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    ControlSound* engine = engineOf(this);
    if (!getMouseEnabled() || tag == ControlEditor::kNoTag || bypassed || !editor || !engine)
        return kDone;
    if (isMenuClick(buttons)) {
        editor->showMIDIMenu(this, false);
        return kDone;
    }
    // The drag starts from the engine's value: the host may have moved it unseen, and a plain
    // click must not put back what the knob showed.
    setValue(std::clamp(engine->getParameter(tag), 0.0f, 1.0f));
    const float target =
        clickTarget(buttons, getDefaultValue(), getDefaultValue(), engine->getOrigValue(tag));
    if (applyValueClick(this, engine, buttons, target)) return kDone;
    beginEdit();
    if (editor->getDragAndDrop()) editor->setDropTag(tag);
    dragStartPoint = where;
    lastDragPoint = CPoint(-1, -1);
    dragStartValue = value;
    dragStep = getRange() / ((buttons & kShift) ? 10000.0f : 200.0f);
    return onMouseMoved(where, buttons);
}

CMouseEventResult TKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || where == lastDragPoint) return kFollowed;
    lastDragPoint = where;
    const float step = getRange() / ((buttons & kShift) ? 10000.0f : 200.0f);
    const auto distance = static_cast<float>(dragStartPoint.y - where.y);
    // Re-base so that Shift pressed or released mid-drag changes the rate, not the value. The
    // start value is left unclamped: after an overshoot the mouse must come back first.
    dragStartValue += (dragStep - step) * distance;
    dragStep = step;
    value = dragStartValue + step * distance;
    bounceValue();
    valueChanged();
    setDirty(true);
    return kFollowed;
}

CMouseEventResult TKnob::onMouseUp(CPoint&, const CButtonState&) {
    return finishValueDrag(this);
}

CMouseEventResult finishValueDrag(CControl* control) {
    ControlEditor* editor = editorOf(control);
    if (editor && editor->getDragAndDrop()) editor->releasedDropDial();
    control->endEdit();
    control->setDirty(true);
    return kFollowed;
}
