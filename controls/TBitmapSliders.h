// The horizontal and vertical sliders drawn from film strips: the value jumps to the click and
// follows the drag (Shift: a twentieth of the speed); a circle marks the modulated value.
// User-interface thread.
#pragma once

#include "gui/CControl.h"

class THSlider : public VSTGUI::CKnobBase {
public:
    THSlider(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag,
             VSTGUI::CBitmap* strip, VSTGUI::CPoint& offset, int frames);

    void setModValue(float v);
    float getModValue() const { return modValue; }
    void setBypassed(bool b);
    void setOn(bool on) { setBypassed(!on); }
    // The strip's source y offset for the current value.
    VSTGUI::CCoord imageOffset() const;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    bool bypassed = false;
    float trackWidth;
    float dragPosition = 0.0f; // running, unclamped
    float modValue = 0.0f;
    float lastX = 0.0f;
    int32_t frames;
};

class TVSlider : public VSTGUI::CKnobBase {
public:
    TVSlider(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag,
             VSTGUI::CBitmap* strip, VSTGUI::CPoint& offset, int frames);

    void setModValue(float v);
    float getModValue() const { return modValue; }
    // The strip's image for the current value (images lie side by side).
    int imageIndex() const { return static_cast<int>(value * maxFrame); }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    float lastY = 0.0f;
    float modValue = 0.0f;
    float dragPosition = 0.0f; // running, unclamped; 0 at the top
    float trackHeight;
    float maxFrame;
};
