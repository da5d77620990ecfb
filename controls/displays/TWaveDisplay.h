// The user-wave display of the wave page: draws the shown user wave (512 point parameters) and
// edits it with a pen (point, line or erase, optionally snapped to a grid); in the partials
// view its left half shows and draws the wave's partials; with a shaper mode on it shows the
// engine's shaped preview and does not edit. User-interface thread only.
#pragma once

#include "engine/params/ParamTags.h"
#include "gui/CControl.h"

class DisplaySound;

inline constexpr int USER_WAVE_START[2] = {tag::UserWave1First, tag::UserWave2First};

class TWaveDisplay : public VSTGUI::CControl {
public:
    enum DrawMode { kPointDraw, kLineDraw, kErase };
    static constexpr int kPoints = tag::UserWavePointCount;
    // The partials the display reaches.
    static constexpr int kShownPartials = 512;
    static constexpr int kWaveSection = 43;

    // guiSize: the screen-size index 0..3 the layout builds this display for.
    TWaveDisplay(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int guiSize);

    void setWave(int wave);
    int getWave() const { return wave; }
    void setPartial(bool on);
    bool getPartial() const { return partialView; }
    void setExpPartial(bool on);
    void setShaperMode(int mode);
    int getSnapMode() const { return snapMode; }
    void setSnapMode(int mode);
    int getDrawMode() const { return drawMode; }
    void setDrawMode(int mode);
    bool isLineVisible() const { return lineVisible; }
    bool isAuditioning() const { return audition; }

    // Writes point i (0..511) of the shown wave, clamped to 0..1, without a host notice.
    void setParameter(int i, float value);
    // The partial under x pixels from the partial plot's left edge, 0..511.
    int getWaveTablePartial(float x) const;
    // The plot: its left edge and width in pixels (the waveform's half in the partials view).
    int getPlotLeft() const { return plotLeft; }
    int getPlotWidth() const { return plotWidth; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    void layout();
    void drawWave(VSTGUI::CDrawContext* context, DisplaySound* engine) const;
    void drawPartials(VSTGUI::CDrawContext* context, DisplaySound* engine) const;
    void drawTitles(VSTGUI::CDrawContext* context, DisplaySound* engine) const;
    // Pen helpers.
    float depthAt(VSTGUI::CCoord y) const;
    int pointAt(VSTGUI::CCoord x) const;
    float lineX(VSTGUI::CCoord x) const;
    float partialValue(VSTGUI::CCoord y) const;
    void movePartials(const VSTGUI::CPoint& where, DisplaySound* engine);
    void moveFreehand(const VSTGUI::CPoint& where, DisplaySound* engine);
    void writeLine();
    void setAllPoints(DisplaySound* engine, bool toOrig);

    int guiSize;
    int wave = 0;
    bool partialView = false;
    bool expPartial = false;
    int shaperMode = 0;
    int snapMode = 0;
    int drawMode = kPointDraw;
    // Plot geometry, from the view size and the partials flag.
    int plotLeft = 0;
    int plotWidth = 1;
    float plotWidthF = 1.0f;
    float pixelsPerPoint = 1.0f;
    float height = 1.0f;
    float pointsPerCell = 512.0f;
    float pixelsPerCell = 1.0f;
    // Pen state.
    bool penDown = false;
    bool firstMove = false;
    bool lineVisible = false;
    bool partialsPen = false;
    bool phaseHalf = false;
    bool audition = false;
    int prevIndex = 0, curIndex = 0;
    float prevDepth = 0.0f, curDepth = 0.0f;
    float startX = 0.0f, endX = 0.0f, startValue = 0.0f, endValue = 0.0f;
    int prevColumn = 0;
    float prevValue = 0.0f;
    VSTGUI::CPoint lastPoint{-1, -1};
};
