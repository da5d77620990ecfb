// Control values, listener notification and edit brackets, and the basic controls.
// User-interface thread only.
#include "gui/CControl.h"

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace VSTGUI {

// ---------------------------------------------------------------------------------------------
// CControl

CControl::CControl(const CRect& r, IControlListener* l, int32_t t, CBitmap* bg)
    : CView(r), listener(l), tag(t) {
    if (bg) setBackground(bg);
}

void CControl::setValueNormalized(float v) {
    setValue(vmin + std::clamp(v, 0.0f, 1.0f) * getRange());
}

float CControl::getValueNormalized() const {
    const float range = getRange();
    return range == 0.0f ? 0.0f : (value - vmin) / range;
}

void CControl::valueChanged() {
    if (listener) listener->valueChanged(this);
}

void CControl::bounceValue() {
    value = std::clamp(value, std::min(vmin, vmax), std::max(vmin, vmax));
}

void CControl::beginEdit() {
    if (editing++ > 0) return;
    if (listener) listener->controlBeginEdit(this);
    if (auto* editor = getEditor()) editor->beginEdit(tag);
}

void CControl::endEdit() {
    if (editing <= 0) return;
    if (--editing > 0) return;
    if (auto* editor = getEditor()) editor->endEdit(tag);
    if (listener) listener->controlEndEdit(this);
}

bool CControl::isDirty() const {
    return value != oldValue || CView::isDirty();
}

void CControl::setDirty(bool dirty) {
    CView::setDirty(dirty);
    // A clean control remembers the value it shows; a dirty one forgets it.
    oldValue = dirty ? value - 1.0f : value;
}

// ---------------------------------------------------------------------------------------------
// CKnobBase

CKnobBase::CKnobBase(const CRect& r, IControlListener* l, int32_t t, CBitmap* bg)
    : CControl(r, l, t, bg) {}

bool CKnobBase::onWheel(const CPoint&, const float& distance, const CButtonState& buttons) {
    if (!getMouseEnabled()) return false;
    const float step = (buttons & kShift) ? wheelInc * 0.1f : wheelInc;
    const float before = value;
    value += distance * step * getRange();
    bounceValue();
    if (value != before) {
        beginEdit();
        valueChanged();
        endEdit();
        invalid();
    }
    return true;
}

CMouseEventResult CKnobBase::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    dragStart = where;
    dragStartValue = value;
    beginEdit();
    return kMouseEventHandled;
}

CMouseEventResult CKnobBase::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!isEditing()) return kMouseEventNotHandled;
    const float pixels = (buttons & kShift) ? 10000.0f : 200.0f;
    value = dragStartValue + static_cast<float>(dragStart.y - where.y) / pixels * getRange();
    bounceValue();
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnobBase::onMouseUp(CPoint&, const CButtonState&) {
    endEdit();
    return kMouseEventHandled;
}

// ---------------------------------------------------------------------------------------------
// COnOffButton

COnOffButton::COnOffButton(const CRect& r, IControlListener* l, int32_t t, CBitmap* bg, int32_t)
    : CControl(r, l, t, bg) {}

void COnOffButton::draw(CDrawContext* context) {
    if (background) {
        const CCoord half = background->getHeight() / 2;
        background->draw(context, size, CPoint(0, value >= vmax ? half : 0), alpha);
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton() && !buttons.isRightButton()) return kMouseEventNotHandled;
    value = value >= vmax ? vmin : vmax;
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

// ---------------------------------------------------------------------------------------------
// CKickButton

CKickButton::CKickButton(const CRect& r, IControlListener* l, int32_t t, CBitmap* bg,
                         const CPoint& off)
    : CControl(r, l, t, bg), offset(off) {}

void CKickButton::draw(CDrawContext* context) {
    if (background) {
        const CCoord half = background->getHeight() / 2;
        CPoint where(offset.x, offset.y + (value >= vmax ? half : 0));
        background->draw(context, size, where, alpha);
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    beginEdit();
    value = vmax;
    invalid();
    valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState&) {
    if (!isEditing()) return kMouseEventNotHandled;
    const float v = size.pointInside(where) ? vmax : vmin;
    if (v != value) {
        value = v;
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
    if (!isEditing()) return kMouseEventNotHandled;
    if (value >= vmax) {
        // The release is the second change: pressed, then back to rest.
        value = vmin;
        valueChanged();
    }
    invalid();
    endEdit();
    return kMouseEventHandled;
}

// ---------------------------------------------------------------------------------------------
// CParamDisplay

CParamDisplay::CParamDisplay(const CRect& r, CBitmap* bg, int32_t s)
    : CControl(r, nullptr, -1, bg), font(kNormalFontSmall), style(s) {}

void CParamDisplay::setText(const std::string& t) {
    if (hasText && t == text) return;
    text = t;
    hasText = true;
    setDirty(true);
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& string) {
    if (backColor.alpha > 0) {
        context->setFillColor(backColor);
        context->fillRect(size);
    }
    if (frameColor.alpha > 0) {
        context->setFrameColor(frameColor);
        context->drawRect(size);
    }
    context->setFont(font);
    context->setFontColor(fontColor);
    context->drawString(string, size, horiAlign, antialias);
}

void CParamDisplay::draw(CDrawContext* context) {
    if (background) background->draw(context, size, CPoint(), alpha);
    if (hasText) {
        drawText(context, text);
    } else {
        // Built by hand: the host's locale must not turn the point into a comma.
        const long hundredths = std::lround(static_cast<double>(value) * 100.0);
        const long whole = std::labs(hundredths) / 100, part = std::labs(hundredths) % 100;
        std::string number = (hundredths < 0 ? "-" : "") + std::to_string(whole) + "." +
                             (part < 10 ? "0" : "") + std::to_string(part);
        drawText(context, number);
    }
    setDirty(false);
}

} // namespace VSTGUI
