// Drawing, modulation indicator and gestures of the film-strip sliders. User-interface thread.
#include "controls/TBitmapSliders.h"

#include "controls/ControlContext.h"
#include "controls/StyleTables.h"
#include "controls/TKnob.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {

// The modulation circle sits where a thumb as long as the slider is thick would sit; at the
// two smaller sizes the skin's thumbs sit one pixel further right.
void drawModCircle(CDrawContext* context, CCoord cx, CCoord cy, CCoord thickness) {
    const CCoord r = static_cast<int>(thickness * 0.25);
    context->setFrameColor(GREEN_COLOR);
    context->setLineWidth(2);
    context->drawEllipse(CRect(cx - r, cy - r, cx + r, cy + r));
    context->setLineWidth(1);
}

int pixelShift(const ControlEditor* editor) {
    return editor->getBig() < 2 ? 1 : 0;
}

// The shared start of both sliders' mouse-down, up to the drag: true when the click was
// consumed (menu, value click, typed entry) and result holds the answer.
bool sliderClick(CControl* control, const CButtonState& buttons, CMouseEventResult& result,
                 CMouseEventResult afterMenu) {
    ControlEditor* editor = editorOf(control);
    ControlSound* engine = engineOf(control);
    result = kDone;
    if (!editor || !engine) return true;
    if (isMenuClick(buttons)) {
        editor->showMIDIMenu(control, true);
        result = afterMenu;
        return true;
    }
    // The drag starts from the engine's value, so a plain click changes nothing.
    control->setValue(std::clamp(engine->getParameter(control->getTag()), 0.0f, 1.0f));
    const float def = control->getDefaultValue();
    const float orig = engine->getOrigValue(control->getTag());
    if (applyValueClick(control, engine, buttons, clickTarget(buttons, def, def, orig)))
        return true;
    control->beginEdit();
    if (editor->getDragAndDrop()) editor->setDropTag(control->getTag());
    return false;
}

} // namespace

THSlider::THSlider(const CRect& r, IControlListener* l, long t, CBitmap* strip, CPoint&, int n)
    : CKnobBase(r, l, static_cast<int32_t>(t), strip), trackWidth(static_cast<float>(r.getWidth())),
      frames(n) {}

void THSlider::setBypassed(bool b) {
    if (bypassed == b) return;
    bypassed = b;
    setDirty(true);
}

void THSlider::setModValue(float v) {
    const ControlEditor* editor = editorOf(this);
    if (!editor || !engineOf(this)) return;
    if (!editor->getAnimation()) {
        modValue = value;
    } else if (std::fabs(v - modValue) > 0.001f) {
        modValue = v;
        setDirty(true);
    }
}

CCoord THSlider::imageOffset() const {
    const CCoord h = getHeight();
    if (value < 0.0f || h <= 0) return 0;
    const auto y = static_cast<int>(value * (frames - 1) * h);
    return y - y % static_cast<int>(h);
}

void THSlider::draw(CDrawContext* context) {
    if (!mayDraw(this)) return;
    const ControlEditor* editor = editorOf(this);
    if (background)
        background->draw(context, size, CPoint(0, imageOffset()), bypassed ? 64.0f / 255.0f : 1.0f);
    const CCoord h = getHeight();
    if (editor->getAnimation() && !bypassed && std::fabs(value - modValue) > 0.01f)
        drawModCircle(context,
                      size.left + h / 2 + static_cast<int>((getWidth() - h) * modValue) +
                          pixelShift(editor),
                      size.top + h / 2, h);
    setDirty(false);
}

CMouseEventResult THSlider::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (bypassed) return kDone;
    CMouseEventResult result;
    if (sliderClick(this, buttons, result, kFollowed)) return result;
    dragPosition = std::clamp(static_cast<float>(where.x - size.left) / trackWidth, 0.0f, 1.0f);
    lastX = static_cast<float>(where.x);
    setValue(dragPosition);
    if (isDirty()) valueChanged();
    setDirty(true);
    return onMouseMoved(where, buttons);
}

CMouseEventResult THSlider::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || where.x == std::trunc(lastX)) return kFollowed;
    float delta = static_cast<float>(where.x - lastX) / trackWidth;
    if (buttons & kShift) delta /= 20.0f;
    dragPosition += delta;
    setValue(std::clamp(dragPosition, 0.0f, 1.0f));
    lastX = static_cast<float>(where.x);
    if (isDirty()) valueChanged();
    setDirty(true);
    return kFollowed;
}

CMouseEventResult THSlider::onMouseUp(CPoint&, const CButtonState&) {
    return finishValueDrag(this);
}

TVSlider::TVSlider(const CRect& r, IControlListener* l, long t, CBitmap* strip, CPoint&, int n)
    : CKnobBase(r, l, static_cast<int32_t>(t), strip),
      trackHeight(static_cast<float>(r.getHeight())), maxFrame(static_cast<float>(n - 1)) {}

void TVSlider::setModValue(float v) {
    const ControlEditor* editor = editorOf(this);
    if (!editor || !engineOf(this)) return;
    if (!editor->getAnimation()) {
        modValue = value;
    } else if (std::fabs(v - modValue) > 0.001f) {
        modValue = v;
        setDirty(true);
    }
}

void TVSlider::draw(CDrawContext* context) {
    if (!mayDraw(this)) return;
    const ControlEditor* editor = editorOf(this);
    if (background) background->draw(context, size, CPoint(imageIndex() * getWidth(), 0), 1.0f);
    const CCoord w = getWidth();
    if (editor->getAnimation() && std::fabs(value - modValue) > 0.01f)
        drawModCircle(context, size.left + w / 2 + pixelShift(editor),
                      size.top + w / 2 + static_cast<int>((getHeight() - w) * (1.0f - modValue)),
                      w);
    setDirty(false);
}

CMouseEventResult TVSlider::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!getMouseEnabled()) return kDone;
    CMouseEventResult result;
    if (sliderClick(this, buttons, result, kDone)) return result;
    dragPosition = std::clamp(static_cast<float>(where.y - size.top) / trackHeight, 0.0f, 1.0f);
    lastY = static_cast<float>(where.y);
    // The top is the largest value.
    setValue(1.0f - dragPosition);
    if (isDirty()) valueChanged();
    setDirty(true);
    return onMouseMoved(where, buttons);
}

CMouseEventResult TVSlider::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || where.y == std::trunc(lastY)) return kFollowed;
    float delta = static_cast<float>(where.y - lastY) / trackHeight;
    if (buttons & kShift) delta /= 20.0f;
    dragPosition += delta;
    setValue(std::clamp(1.0f - dragPosition, 0.0f, 1.0f));
    lastY = static_cast<float>(where.y);
    if (isDirty()) valueChanged();
    setDirty(true);
    return kFollowed;
}

CMouseEventResult TVSlider::onMouseUp(CPoint&, const CButtonState&) {
    return finishValueDrag(this);
}
