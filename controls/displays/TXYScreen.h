// One XY pad's display: shows and drags the pad position (live), records a gesture that the
// engine turns into a 32-point path, and draws and edits that path in replay mode; also the
// MIDI-driven recording that the draw polls. User-interface thread only.
#pragma once

#include "engine/params/ParamTags.h"
#include "gui/CControl.h"

#include <string>

class DisplaySound;

class TXYScreen : public VSTGUI::CControl {
public:
    enum RecordMode { kLive, kRecord, kReplay };
    static constexpr int kPathPoints = tag::XyPathPointCount;

    // guiSize: the screen-size index 0..3 the layout builds this pad for.
    TXYScreen(const VSTGUI::CRect& size, int pad, VSTGUI::IControlListener* listener, int guiSize);

    // From the editor's refresh: the clock in 100 or 200 ms steps and the "XYMod" switch.
    void update(int counter, bool showModulation);
    bool getEditOn() const;
    bool hasPath() const;
    // Path point i (0..31); anything else reads 0, 0 and writes nothing.
    void getXY(int i, float& x, float& y) const;
    void getXYPoint(int i, int& px, int& py) const;
    void setXYPoint(int i, float x, float y);
    // The path point nearest to a mouse point; -1 without engine.
    int getEditPoint(int mx, int my) const;
    // A mouse point as pad coordinates, clamped to the pad (y grows upwards).
    void toPad(const VSTGUI::CPoint& p, float& x, float& y) const;

    int getPad() const { return pad; }
    int getSelected() const { return selected; }
    bool isDragging() const { return dragging; }
    bool isRecording() const { return recording; }
    // The read-out drawn along the bottom edge while a drag runs ("" otherwise).
    std::string readout() const;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    void pollEngine(DisplaySound* engine);
    void drawPath(VSTGUI::CDrawContext* context, DisplaySound* engine) const;
    void drawMarks(VSTGUI::CDrawContext* context, DisplaySound* engine);
    VSTGUI::CMouseEventResult pressOther(VSTGUI::CPoint& where, const VSTGUI::CButtonState& b,
                                         DisplaySound* engine);

    int pad;
    int guiSize;
    bool showModulation = false;
    bool dragging = false;
    bool drawing = false;
    bool midiChange = false;
    bool recording = false;
    bool armed = false;
    int redrawCounter = 0;
    int selected = -1;
    int recordMode = kLive;
    int playMode = 0;
    float plotWidth;
    float plotHeight;
    float padX = 0.5f;
    float padY = 0.5f;
    VSTGUI::CPoint lastPoint{-1, -1};
    // The tags a drag has opened for the host (position or one path point), closed at the
    // release.
    int heldTags[2] = {-1, -1};
    void hold(int tagX, int tagY);
    void releaseHeld();
};
