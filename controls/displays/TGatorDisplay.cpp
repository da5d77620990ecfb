// Draws and edits the gate pattern. User-interface thread.
#include "controls/displays/TGatorDisplay.h"

#include "controls/ControlContext.h"
#include "controls/DrawHelpers.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {

constexpr CColor STEP_ON{36, 161, 1, 255};
constexpr CColor STEP_OFF{36, 161, 1, 63};
constexpr CColor STEP_ON_DIM{36, 161, 1, 63};
constexpr CColor STEP_OFF_DIM{36, 161, 1, 15};
constexpr int kSectionGater = 28;

} // namespace

TGatorDisplay::TGatorDisplay(const CRect& size, IControlListener* listener, int32_t tag,
                             bool vertical)
    : CControl(size, listener, tag), vertical(vertical) {}

void TGatorDisplay::setOn(bool on) {
    if (off == !on) return;
    off = !on;
    setDirty(true);
}

void TGatorDisplay::setSteps(float v) {
    const int steps = std::clamp(static_cast<int>(v * 15.99f), 0, kSteps - 1) + 1;
    if (steps == shownSteps) return;
    shownSteps = steps;
    setDirty(true);
}

void TGatorDisplay::draw(CDrawContext* context) {
    setDirty(false);
    if (!mayDraw(this)) return;
    const CColor onColor = off ? STEP_ON_DIM : STEP_ON;
    const CColor offColor = off ? STEP_OFF_DIM : STEP_OFF;
    const int mask = maskOf(value);
    const CRect& r = getViewSize();
    // Cells keep their 16-step size whatever the number shown.
    const float w = static_cast<float>(r.getWidth()) / kSteps;
    const float h = static_cast<float>(r.getHeight()) / kSteps;
    float x = static_cast<float>(r.left);
    for (int i = 0; i < shownSteps; ++i) {
        context->setFillColor((mask >> i) & 1 ? onColor : offColor);
        if (vertical) {
            const CCoord top = r.top + static_cast<int>(i * h);
            fillRectExt(CRect(r.left, top, r.right - 2, top + static_cast<int>(h) - 1), context);
        } else {
            const CCoord left = static_cast<int>(x);
            fillRectExt(CRect(left, r.top, left + static_cast<int>(w) - 2, r.bottom - 1), context);
            x += w;
        }
    }
}

void TGatorDisplay::set(float v) {
    setValue(v);
    setDirty(true);
    // One step is one edit of the row's parameter for the host.
    beginEdit();
    valueChanged();
    endEdit();
}

CMouseEventResult TGatorDisplay::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    // While the gater is off even the menu click is ignored.
    if (off || !getMouseEnabled() || !editor || !engine) return kDone;
    if (isMenuClick(buttons)) {
        editor->showGaterMenu();
        return kDone;
    }
    editor->setSectionUndo(kSectionGater);
    float v = buttons == (kLButton | kAlt) ? 0.0f : buttons == (kLButton | kShift) ? 1.0f : -1.0f;
    if (buttons & kControl)
        v = (buttons & kShift) ? engine->getOrigValue(tag) : engine->getDefaultValue(tag);
    if (v > -0.5f) {
        set(v);
        return kDone;
    }
    if (buttons != kLButton) return kDone;
    const CRect& r = getViewSize();
    const double at =
        vertical ? (where.y - r.top) / r.getHeight() : (where.x - r.left) / r.getWidth();
    // A zero-sized view gives no step; the click toggles nothing then.
    if (!std::isfinite(at)) return kDone;
    const int step = static_cast<int>(std::clamp(at * kSteps, 0.0, kSteps - 1.0));
    set(valueOf(maskOf(value) ^ (1 << step)));
    return kDone;
}
