// The performance ribbon: a thumb on a horizontal track that jumps to the click, follows the
// drag and, released, glides back with the engine's spring; a second thumb shows the
// modulated value and a mark the centre in centred mode. User-interface thread.
#pragma once

#include "gui/CControl.h"

class ControlSound;

// Where a thumb sits on the track (0..1) for a value v; centred ribbons are bipolar around
// the middle. quant is the engine's stepped quantisation index (0 none).
float ribbonPosition(float v, bool centred, int quant);

class TSlider : public VSTGUI::CControl {
public:
    TSlider(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag, int guiSize,
            bool centred);

    void setCentered(bool centred);
    // Follows the engine's value while its spring glides back and the thumb is not held;
    // after a drag, inside the drag's edit, which ends when the ribbon is at rest.
    void setCurValue();
    // stamp: the editor clock in 100 ms steps; the thumb moves at most once per step.
    void setModValue(float v, int stamp);
    float getModValue() const { return modValue; }
    int getTrackStart() const { return trackStart; }
    float getTrackLength() const { return trackLength; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    void followGlide(ControlSound* engine);
    void drawThumb(VSTGUI::CDrawContext* context, VSTGUI::CBitmap* thumb, float p) const;

    bool centred;
    bool dragging = false;
    bool springBracket = false; // the drag's edit is the host's alone (a spring is set)
    bool gliding = false;       // released, the spring glides inside the drag's edit
    int32_t modStamp = 0;
    int32_t trackStart;
    float trackLength;
    float modValue = 0.0f;
    float position = 0.0f;
    float lastX = 0.0f;
};
