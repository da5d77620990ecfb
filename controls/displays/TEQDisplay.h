// The curve editor of one three-band parametric EQ (pre or post): each band's response drawn
// as its own curve, the shelf filters shaded, a dot per band to drag. It reads and writes the
// engine's parameters directly and keeps only a coefficient cache. User-interface thread.
#pragma once

#include "gui/CControl.h"

#include <vector>

class TEQDisplay : public VSTGUI::CControl {
public:
    static constexpr int kBands = 3;
    // Tags by EQ (0 pre, 1 post) and band.
    static const int EQ_BAND_FREQ_TAGS[2][kBands];
    static const int EQ_BAND_BW_TAGS[2][kBands];
    static const int EQ_BAND_GAIN_TAGS[2][kBands];
    static const int EQ_FILTER_MODE_TAGS[2];
    static const int EQ_FILTER_LP_TAGS[2];
    static const int EQ_FILTER_HP_TAGS[2];

    TEQDisplay(const VSTGUI::CRect& size, int eq, VSTGUI::IControlListener* listener);

    void setEQ(int eq);
    int getEQ() const { return eqIndex; }
    int getCurBand() const { return curBand; }
    void setBypassed(bool b);
    bool isBypassed() const { return bypassed; }

    // The band nearest in frequency to a normalised x (0..1); ties keep the lower band.
    int bandAt(float x) const;
    // Log10 of band b's magnitude at pixel column x, from the coefficients of the last draw.
    double response(int band, int x) const;
    // Rebuilds the coefficients from the engine's values (done at the start of every draw).
    void updateCoefficients();
    // Pixel columns the cosine tables cover: one per column of the view's width, plus one.
    int columnCount() const { return static_cast<int>(cosW.size()); }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    float paramOf(int tag) const;
    float yOf(double r) const { return static_cast<float>(height / 2 - r * height / 2); }
    void drawShading(VSTGUI::CDrawContext* context, int d);
    void drawInfo(VSTGUI::CDrawContext* context);

    bool showInfo = false;
    bool pickBand = false;
    // The tags a point drag has bracketed for the host, ended at the release.
    int draggedTags[3] = {-1, -1, -1};
    void writeDragged(int tag, float value);
    void endDragged();
    bool bypassed = false;
    int eqIndex;
    int curBand = -1;
    int widthPx, heightPx;
    float width, height;
    double b0[kBands] = {}, b1[kBands] = {}, b2[kBands] = {}, a1[kBands] = {}, a2[kBands] = {};
    double gainDB[kBands] = {1.0, 1.0, 1.0};
    // cos(w) and cos(2w) of each pixel column's frequency, sized from the view's width so no
    // screen size can index past them.
    std::vector<double> cosW, cos2W;
    VSTGUI::CPoint lastMouse{-1, -1};
};
