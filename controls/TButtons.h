// Two-image switches: the toggle of an on/off parameter and the radio button of a page or mode
// group, where a click only switches the clicked button on. User-interface thread.
#pragma once

#include "gui/CControl.h"

class TOnOff : public VSTGUI::COnOffButton {
public:
    TOnOff(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag,
           VSTGUI::CBitmap* strip, long style);

    // From the engine: the listener is not told.
    void setState(bool on);
    void setInvisible(bool b);
    bool isInvisible() const { return invisible; }
    void setBypassed(bool b);
    void setOn(bool on) { setBypassed(!on); }
    void setOn();
    void setOff();

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

private:
    bool bypassed = false;
    bool invisible = false;
    VSTGUI::CBitmap* strip;
};

class TRadioButton : public VSTGUI::CControl {
public:
    TRadioButton(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener,
                 VSTGUI::CBitmap* strip, int radioTag, int extra);

    int getRadioTag() const { return radioTag; }
    int getExtra() const { return extra; }
    void setState(bool on);
    void setOn();
    void setOff();

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

private:
    int32_t radioTag;
    int32_t extra;
    VSTGUI::CBitmap* strip;
};
