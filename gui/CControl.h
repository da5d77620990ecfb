// Controls: views with a tag, a value between a minimum and a maximum, a default, a listener
// told of every change, and begin/end edit around user gestures; and the basic controls built
// on it (knob base with the wheel, on/off and kick buttons, a text display). UI thread only.
#pragma once

#include "gui/CFontDesc.h"
#include "gui/CView.h"

#include <string>

namespace VSTGUI {

class CControl;

class IControlListener {
public:
    virtual ~IControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // Asked before a Shift or Control click acts; a non-zero answer takes the click.
    virtual int32_t controlModifierClicked(CControl*, CButtonState) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, IControlListener* listener = nullptr, int32_t tag = -1,
             CBitmap* background = nullptr);

    virtual void setValue(float v) { value = v; }
    float getValue() const { return value; }
    void setValueNormalized(float v);
    float getValueNormalized() const;
    void setMin(float v) { vmin = v; }
    void setMax(float v) { vmax = v; }
    float getMin() const { return vmin; }
    float getMax() const { return vmax; }
    float getRange() const { return vmax - vmin; }
    void setDefaultValue(float v) { defaultValue = v; }
    float getDefaultValue() const { return defaultValue; }
    void setTag(int32_t t) { tag = t; }
    int32_t getTag() const { return tag; }
    void setListener(IControlListener* l) { listener = l; }
    IControlListener* getListener() const { return listener; }
    void setWheelInc(float inc) { wheelInc = inc; }
    float getWheelInc() const { return wheelInc; }

    // Tells the listener that the value changed.
    virtual void valueChanged();
    // Clamps the value into min..max.
    void bounceValue();
    // Bracket a gesture: the listener and the editor (host automation) are told.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing > 0; }

    bool isDirty() const override;
    void setDirty(bool dirty = true) override;

protected:
    IControlListener* listener;
    int32_t tag;
    float value = 0.0f;
    float oldValue = 1.0f;
    float vmin = 0.0f;
    float vmax = 1.0f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    int32_t editing = 0;
};

// Knob base: the mouse wheel steps the value by the wheel increment (a tenth with Shift), and
// a vertical drag moves it, 200 pixels for the full range (Shift: 10,000).
class CKnobBase : public CControl {
public:
    CKnobBase(const CRect& size, IControlListener* listener, int32_t tag,
              CBitmap* background = nullptr);
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

protected:
    CPoint dragStart;
    float dragStartValue = 0.0f;
};

// A two-state switch: the picture holds off (upper half) and on (lower half) stacked. A press
// toggles between min and max and is consumed.
class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background,
                 int32_t style = 0);
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

// A push button: max while pressed and the mouse is over it, back to min at the release.
// Without a picture it is an invisible hit area.
class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background,
                const CPoint& offset = CPoint());
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

private:
    CPoint offset;
};

// A one-line text display: a fixed text when one is set, else the value as a number.
class CParamDisplay : public CControl {
public:
    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
    void draw(CDrawContext* context) override;

    void setFont(CFontRef f) { font = f; }
    CFontRef getFont() const { return font; }
    void setFontColor(const CColor& c) { fontColor = c; }
    CColor getFontColor() const { return fontColor; }
    void setBackColor(const CColor& c) { backColor = c; }
    void setFrameColor(const CColor& c) { frameColor = c; }
    void setHoriAlign(CHoriTxtAlign a) { horiAlign = a; }
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setAntialias(bool on) { antialias = on; }
    int32_t getStyle() const { return style; }
    void setStyle(int32_t s) { style = s; }
    void setText(const std::string& text);
    const std::string& getText() const { return text; }

protected:
    void drawText(CDrawContext* context, const std::string& string);

    CFontRef font;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kTransparentCColor;
    CColor frameColor = kTransparentCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    bool antialias = true;
    int32_t style;
    std::string text;
    bool hasText = false;
};

} // namespace VSTGUI
