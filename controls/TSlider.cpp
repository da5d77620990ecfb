// The ribbon's gestures, spring hand-over, modulation thumb and drawing. User-interface thread.
#include "controls/TSlider.h"

#include "controls/ControlContext.h"
#include "controls/StyleTables.h"
#include "engine/tables/TempoTables.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {

constexpr int kCentreMark = 10061;
constexpr int kThumb = 10062;
constexpr int kModThumb = 10063;

int halfThumb(int guiSize) {
    return SLIDER_WIDTH[std::clamp(guiSize, 0, SCREEN_SIZE_COUNT - 1)] / 2;
}

} // namespace

float ribbonPosition(float v, bool centred, int quant) {
    float p = centred ? 2.0f * v - 1.0f : v;
    if (quant > 0 && quant < 13) {
        const auto d = static_cast<float>(RIBBON_QUANT_DIVIDE[quant]);
        p = std::floor(p * d + 0.5f) / d;
    }
    return centred ? 0.5f * p + 0.5f : p;
}

TSlider::TSlider(const CRect& r, IControlListener* l, long t, int guiSize, bool c)
    : CControl(r, l, static_cast<int32_t>(t)), centred(c),
      trackStart(static_cast<int>(r.left + halfThumb(guiSize))),
      trackLength(static_cast<float>(static_cast<int>(r.right - halfThumb(guiSize)) - trackStart)) {
}

void TSlider::setCentered(bool c) {
    if (centred == c) return;
    centred = c;
    ControlSound* engine = engineOf(this);
    if (!engine) return;
    // The spring aims at the new rest position.
    if (engine->getRibbonSpringTime() != 0) engine->setRibbonSpringOn();
    setDirty(true);
}

void TSlider::setCurValue() {
    ControlSound* engine = engineOf(this);
    if (!engine || dragging) return;
    if (gliding) {
        followGlide(engine);
        return;
    }
    // A glide the user did not start (the MIDI spring, a new rest) is shown, not told.
    if (engine->getRibbonSpringTime() == 0) return;
    const float v = std::clamp(engine->getParameter(tag), 0.0f, 1.0f);
    if (std::fabs(v - position) < 0.003f) return;
    position = v;
    if (getValue() == v) return;
    setValue(v);
    setDirty(true);
}

// The glide after a drag is part of the drag's edit: the host hears the values inside the
// bracket the press opened, and the bracket closes when the ribbon is at rest.
void TSlider::followGlide(ControlSound* engine) {
    ControlEditor* editor = editorOf(this);
    // The window closing ended the bracket: the glide goes on without the host.
    if (!editor || !editor->isEditOpen(tag)) {
        gliding = false;
        return;
    }
    const bool ends = !engine->getRenderRunning() || !engine->isRibbonSpringGliding();
    const float v = std::clamp(engine->getParameter(tag), 0.0f, 1.0f);
    if (std::fabs(v - position) >= 0.003f || (ends && v != position)) {
        position = v;
        setValue(v);
        setDirty(true);
        engine->automateCurrentValue(tag);
    }
    if (!ends) return;
    gliding = false;
    editor->endEdit(tag);
}

void TSlider::setModValue(float v, int stamp) {
    if (!engineOf(this) || stamp == modStamp) return;
    modStamp = stamp;
    const float m = centred ? 0.5f * v + 0.5f : v;
    if (std::fabs(modValue - m) < 0.01f) return;
    modValue = m;
    setDirty(true);
}

CMouseEventResult TSlider::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    if (!editor) return kDone;
    ControlSound* engine = engineOf(this);
    if (!engine) return kFollowed;
    // A press during the glide of the last drag ends that drag's edit: one edit a drag.
    if (gliding) {
        gliding = false;
        editor->endEdit(tag);
    }
    if (isMenuClick(buttons)) {
        editor->showMIDIMenu(this, true);
        return kFollowed;
    }
    const float rest = centred ? 0.5f : 0.0f;
    const float target = clickTarget(buttons, getDefaultValue(), rest, engine->getOrigValue(tag));
    if (target > -0.5f || (buttons & kAlt)) {
        applyValueClick(this, engine, buttons, target);
        return kDone;
    }
    dragging = true;
    // Without a spring the listener sees the gesture; with one only the host does, so the
    // glide that follows is not taken for the user's edit.
    springBracket = engine->getRibbonSpringTime() != 0;
    if (springBracket)
        editor->beginEdit(tag);
    else
        beginEdit();
    engine->setRibbbonSpringOff();
    position = std::clamp((static_cast<float>(where.x) - trackStart) / trackLength, 0.0f, 1.0f);
    setValue(position);
    if (isDirty()) valueChanged();
    lastX = static_cast<float>(where.x);
    return onMouseMoved(where, buttons);
}

CMouseEventResult TSlider::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || where.x == std::trunc(lastX)) return kFollowed;
    float delta = (static_cast<float>(where.x) - lastX) / trackLength;
    if (buttons & kShift) delta /= 20.0f;
    // Clamped as it runs, so the thumb turns back as soon as the mouse does.
    position = std::clamp(position + delta, 0.0f, 1.0f);
    setValue(position);
    lastX = static_cast<float>(where.x);
    if (isDirty()) valueChanged();
    setDirty(true);
    return kFollowed;
}

CMouseEventResult TSlider::onMouseUp(CPoint&, const CButtonState&) {
    ControlEditor* editor = editorOf(this);
    ControlSound* engine = engineOf(this);
    if (editor && engine && dragging) {
        engine->setRibbonSpringOn();
        // The bracket closes the way it was opened; a glide keeps the host's open until the
        // ribbon is at rest.
        if (!springBracket) {
            endEdit();
        } else if (engine->getRenderRunning() && engine->isRibbonSpringGliding()) {
            gliding = true;
            editor->keepEditPastRelease(tag);
        } else {
            editor->endEdit(tag);
        }
    }
    dragging = false;
    setDirty(true);
    return kFollowed;
}

void TSlider::drawThumb(CDrawContext* context, CBitmap* thumb, float p) const {
    const int centre = static_cast<int>(p * trackLength) + trackStart;
    const int half = static_cast<int>(thumb->getWidth()) / 2;
    const CCoord top = (size.top + size.bottom - static_cast<int>(thumb->getHeight())) / 2;
    thumb->draw(context, CRect(centre - half, top, centre + half, top + thumb->getHeight()),
                CPoint(), 1.0f);
}

void TSlider::draw(CDrawContext* context) {
    const ControlEditor* editor = editorOf(this);
    ControlSound* engine = engineOf(this);
    if (!mayDraw(this) || !engine) return;
    CBitmap* mark = editor->getSkinBitmap(kCentreMark);
    CBitmap* thumb = editor->getSkinBitmap(kThumb);
    CBitmap* modThumb = editor->getSkinBitmap(kModThumb);
    if (!mark || !thumb || !modThumb) return;
    if (centred) {
        const CCoord left = (size.left + size.right - mark->getWidth()) / 2;
        mark->draw(context,
                   CRect(left, size.top, left + mark->getWidth(), size.top + mark->getHeight()));
    }
    const int quant = engine->getRibbonQuant();
    // The modulation thumb goes first, so the thumb covers it where they meet.
    if (editor->getAnimation())
        drawThumb(context, modThumb, ribbonPosition(modValue, centred, quant));
    drawThumb(context, thumb, ribbonPosition(value, centred, quant));
    setDirty(false);
}
