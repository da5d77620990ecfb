// The rotary dial: a knob film strip with an outer modulation ring, the synthesizer's gesture
// scheme (command menu, default, as-loaded and typed values, relative drag) and the wheel.
// User-interface thread.
#pragma once

#include "gui/CControl.h"

class TKnob : public VSTGUI::CKnobBase {
public:
    TKnob(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag,
          VSTGUI::CBitmap* knob, VSTGUI::CBitmap* outer, VSTGUI::CPoint& offset, int frames);

    // The ring strip; the editor owns it. No redraw.
    void setOuter(VSTGUI::CBitmap* ring) { outer = ring; }
    // v: the parameter's modulated value 0..1, shown on the ring.
    void setModValue(float v);
    void setBypassed(bool b);
    void setOn(bool on) { setBypassed(!on); }

    // Images the knob and the ring show now.
    int getKnobFrame() const;
    int getRingFrame() const { return ringFrame; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    bool bypassed = false;
    int32_t maxFrame;
    int32_t ringFrame = 0;
    float frameCount;
    float dragStartValue = 0.0f;
    float dragStep = 0.0f; // value change per pixel
    VSTGUI::CBitmap* outer;
    VSTGUI::CBitmap* knob;
    VSTGUI::CPoint dragStartPoint;
    VSTGUI::CPoint lastDragPoint;
};

// Mouse up of every value control: the drag source is released and the edit bracket closed.
VSTGUI::CMouseEventResult finishValueDrag(VSTGUI::CControl* control);
