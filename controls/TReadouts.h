// Passive views: the value read-out (optionally a momentary button), the coloured text line,
// the multi-line caption and the picture with an adjustable alpha. All carry no parameter.
// User-interface thread.
#pragma once

#include "gui/CControl.h"

#include <string>
#include <vector>

// A caption's lines: split at every "!", at most kMaxLabelLines lines of at most
// kMaxLabelLineBytes bytes each; longer text is cut, never inside a UTF-8 character.
constexpr int kMaxLabelLines = 20;
constexpr size_t kMaxLabelLineBytes = 255;
std::vector<std::string> labelLines(const std::string& text);

class TReadout : public VSTGUI::CControl {
public:
    TReadout(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, std::string text,
             bool centred, bool clickable);

    void setString(std::string text);
    const std::string& getString() const { return text; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    bool clickable;
    std::string text;
    int32_t textAlign;
};

class TReadoutString : public VSTGUI::CControl {
public:
    TReadoutString(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, std::string text,
                   bool black, bool centred, bool clickable);

    void setString(const std::string& text);
    std::string getString() const { return text; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    bool clickable;
    std::string text;
    VSTGUI::CColor colour;
    int32_t textAlign;
};

class TLabel : public VSTGUI::CParamDisplay {
public:
    // align: 0 left, 2 right, anything else centred.
    TLabel(const VSTGUI::CRect& size, std::string text, VSTGUI::CFontDesc* font,
           VSTGUI::CColor colour, int align);

    void setString(const std::string& text);
    const std::string& getString() const { return text; }
    void setColor(VSTGUI::CColor colour);
    void setBypassed(bool b);
    void setOn(bool on) { setBypassed(!on); }
    void setInvisible(bool b);
    int getLineCount() const { return lineCount; }
    VSTGUI::CFontDesc* getFont() const { return labelFont; }
    int getAlign() const { return textAlign; }
    bool isInvisible() const { return invisible; }

    void draw(VSTGUI::CDrawContext* context) override;

private:
    bool bypassed = false;
    bool invisible = false;
    std::string text;
    VSTGUI::CFontDesc* labelFont;
    VSTGUI::CColor colour;
    VSTGUI::CColor bypassedColour;
    int32_t textAlign;
    int32_t lineCount = 1;
};

class TBitmap : public VSTGUI::CControl {
public:
    TBitmap(const VSTGUI::CRect& size, VSTGUI::CBitmap* bitmap, VSTGUI::IControlListener* listener);

    // 0..255.
    void setAlpha(int alpha);
    int getAlpha() const { return bitmapAlpha; }

    void draw(VSTGUI::CDrawContext* context) override;

private:
    int32_t bitmapAlpha = 255;
};
