// The drawing surface handed to every view: lines, rectangles, ellipses, text aligned in a
// rectangle, pictures, a clip rectangle and a translation that containers use for their
// children's local coordinates. Backed by cairo and pango; user-interface thread only.
#pragma once

#include "gui/CFontDesc.h"
#include "gui/GuiTypes.h"

#include <string>

namespace VSTGUI {

class CBitmap;

// Sees every drawing as it lands, for checks of the layout: where it goes in frame pixels and
// the clip (frame pixels) it goes through. Shapes give the width of their outline, 0 when
// filled; a colour or alpha that leaves nothing is not reported.
class IDrawWatcher {
public:
    virtual void drewShape(const CRect& box, CCoord outline, const CRect& clip) = 0;
    virtual void drewText(const std::string& text, CFontRef font, const CRect& box,
                          CHoriTxtAlign align, const CRect& clip) = 0;
    // The part of `bitmap` that starts at `offset`, drawn into `box`.
    virtual void drewPicture(CBitmap* bitmap, const CRect& box, const CPoint& offset,
                             const CRect& clip) = 0;

protected:
    ~IDrawWatcher() = default;
};

class CDrawContext {
public:
    // Draws into a back-end surface owned by the caller (an image of the frame).
    explicit CDrawContext(void* nativeSurface);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setFrameColor(const CColor& c) { frameColor = c; }
    void setFillColor(const CColor& c) { fillColor = c; }
    void setFontColor(const CColor& c) { fontColor = c; }
    CColor getFrameColor() const { return frameColor; }
    CColor getFillColor() const { return fillColor; }
    CColor getFontColor() const { return fontColor; }
    void setFont(CFontRef font) { currentFont = font; }
    CFontRef getFont() const { return currentFont; }
    void setLineWidth(CCoord w) { lineWidth = w; }
    CCoord getLineWidth() const { return lineWidth; }
    void setGlobalAlpha(float a) { globalAlpha = a; }
    float getGlobalAlpha() const { return globalAlpha; }

    void drawLine(const CPoint& from, const CPoint& to);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect) { drawRect(rect, kDrawFilled); }
    void fillEllipse(const CRect& rect) { drawEllipse(rect, kDrawFilled); }
    // One line of text, vertically centred in rect, clipped to it.
    void drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    CCoord getStringWidth(const std::string& text);
    // The box that the glyphs' ink of one line in the current font covers when drawString
    // draws it in rect.
    CRect getStringInk(const std::string& text, const CRect& rect,
                       CHoriTxtAlign align = kCenterText);
    // The width of one line of text without a surface (menu layout).
    static CCoord measureString(CFontRef font, const std::string& text);
    // One line of text as drawString places it: its logical size, and the box its ink covers
    // relative to the line's top left (layout checks).
    struct TextExtent {
        CCoord width = 0, height = 0;
        CRect ink;
    };
    static TextExtent measureText(CFontRef font, const std::string& text);
    // The box that the glyphs' ink of one line covers when drawString draws it in rect, as the
    // font gives it (layout checks).
    static CRect placeText(CFontRef font, const std::string& text, const CRect& rect,
                           CHoriTxtAlign align);
    void clear(const CColor& c);

    // The clip rectangle in the current coordinates; drawing outside it leaves no mark.
    void setClipRect(const CRect& rect);
    CRect getClipRect() const;
    void resetClipRect();
    // The origin of the current coordinates, in frame pixels.
    void setOffset(const CPoint& p) { offset = p; }
    CPoint getOffset() const { return offset; }

    // Saves and restores colours, font, alpha, clip and offset.
    void saveGlobalState();
    void restoreGlobalState();

    void* getNativeContext() const { return cr; }

    // The one watcher of every context's drawing, null for none (user-interface thread).
    static void setWatcher(IDrawWatcher* w);
    static IDrawWatcher* getWatcher();

private:
    void applyClip();
    void setSource(const CColor& c);

    void* cr = nullptr;
    CColor frameColor = kBlackCColor;
    CColor fillColor = kWhiteCColor;
    CColor fontColor = kBlackCColor;
    CFontRef currentFont = nullptr;
    CCoord lineWidth = 1;
    float globalAlpha = 1.0f;
    CPoint offset;
    CRect clipRect; // frame pixels
    struct Saved {
        CColor frame, fill, font;
        CFontRef fontRef;
        CCoord line;
        float alpha;
        CPoint offset;
        CRect clip;
    };
    Saved stack[16] = {};
    int depth = 0;
    CRect surfaceRect;
};

} // namespace VSTGUI
