// The gater's 16-step on/off pattern (tag 355 left or 356 right, the whole pattern as one
// value): shows the steps the step count selects, toggles a step per click, Shift fills and
// Alt clears. An ordinary parameter control: edits go through the listener. UI thread.
#pragma once

#include "gui/CControl.h"

class TGatorDisplay : public VSTGUI::CControl {
public:
    static constexpr int kSteps = 16;

    TGatorDisplay(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
                  bool vertical);

    // The pattern as a 16-bit mask (bit i = step i on) and back; the value of a mask decodes
    // to the same mask again.
    static int maskOf(float value) {
        return !(value > 0.0f) ? 0 : value >= 1.0f ? 0xffff : static_cast<int>(value * 65535.9f);
    }
    static float valueOf(int mask) { return (static_cast<float>(mask & 0xffff) + 0.5f) / 65536; }

    void setOn(bool on);
    bool isOn() const { return !off; }
    // v: the normalised value of the step count, 1..16 steps.
    void setSteps(float v);
    int getSteps() const { return shownSteps; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

private:
    void set(float v);

    bool off = false;
    bool vertical;
    int shownSteps = kSteps;
};
