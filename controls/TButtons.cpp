// Drawing and clicks of the toggle and the radio button. User-interface thread.
#include "controls/TButtons.h"

#include "controls/ControlContext.h"
#include "gui/CBitmap.h"

using namespace VSTGUI;

namespace {

// Off image in the upper half of the strip, on image in the lower.
void drawHalf(CDrawContext* context, CBitmap* strip, const CRect& size, float value, float alpha) {
    const CCoord y = strip->getHeight() * static_cast<int>(value) * 0.5;
    strip->draw(context, size, CPoint(0, y), alpha);
}

} // namespace

TOnOff::TOnOff(const CRect& r, IControlListener* l, long t, CBitmap* s, long style)
    : COnOffButton(r, l, static_cast<int32_t>(t), s, static_cast<int32_t>(style)), strip(s) {}

void TOnOff::setState(bool on) {
    if (on == (value > 0.5f)) return;
    value = on ? 1.0f : 0.0f;
    setDirty(true);
}

void TOnOff::setInvisible(bool b) {
    if (invisible == b) return;
    invisible = b;
    setDirty(true);
}

void TOnOff::setBypassed(bool b) {
    if (bypassed == b) return;
    bypassed = b;
    setDirty(true);
}

void TOnOff::setOn() {
    if (value > 0.5f) return;
    value = 1.0f;
    setDirty(true);
}

void TOnOff::setOff() {
    if (value <= 0.5f) return;
    value = 0.0f;
    setDirty(true);
}

void TOnOff::draw(CDrawContext* context) {
    if (mayDraw(this) && !invisible && strip)
        drawHalf(context, strip, size, value, bypassed ? 64.0f / 255.0f : 1.0f);
    setDirty(false);
}

CMouseEventResult TOnOff::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!getMouseEnabled() || bypassed || invisible || !editorOf(this)) return kDone;
    if ((buttons & (kShift | kControl | kAlt | kApple)) && listener &&
        listener->controlModifierClicked(this, buttons) != 0)
        return kDone;
    // Any button toggles; a value such as 0.7 counts as off here, as int(value) is 0.
    value = static_cast<int>(value) == 0 ? 1.0f : 0.0f;
    beginEdit();
    valueChanged();
    endEdit();
    setDirty(true);
    return kFollowed;
}

TRadioButton::TRadioButton(const CRect& r, IControlListener* l, CBitmap* s, int group, int x)
    : CControl(r, l, ControlEditor::kNoTag), radioTag(group), extra(x), strip(s) {}

void TRadioButton::setState(bool on) {
    if (on == (value > 0.5f)) return;
    value = on ? 1.0f : 0.0f;
    setDirty(true);
}

void TRadioButton::setOn() {
    setState(true);
}

void TRadioButton::setOff() {
    setState(false);
}

void TRadioButton::draw(CDrawContext* context) {
    if (mayDraw(this) && strip) drawHalf(context, strip, size, value, 1.0f);
    setDirty(false);
}

CMouseEventResult TRadioButton::onMouseDown(CPoint&, const CButtonState&) {
    if (!getMouseEnabled()) return kDone;
    // Only switching on: the editor switches the partners off.
    if (value < 0.5f) {
        value = 1.0f - value;
        setDirty(true);
        valueChanged();
    }
    return kFollowed;
}
