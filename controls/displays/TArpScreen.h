// The step grid of the arpeggiator page: 16 steps by 8 rows of one of the two sequences, read
// from and written to the engine through its lock-aware values so locked sections keep theirs.
// User-interface thread only.
#pragma once

#include "engine/params/ParamTags.h"
#include "gui/CControl.h"

// First tag of each grid row, sequence-major (sequence x 8 + row); a cell is first + step.
constexpr int kArpRows = 8;
constexpr int kArpSteps = tag::SeqStepCount;
inline constexpr int ARP_ROW_START_TAGS[tag::SeqCount * kArpRows] = {
    tag::SeqStepOnA,
    tag::SeqStepTiedA,
    tag::SeqStepSlideA,
    tag::SeqStepTuneA,
    tag::SeqStepVelA,
    tag::SeqStepFree1A,
    tag::SeqStepFree2A,
    tag::SeqStepRatchetA,
    tag::SeqStepOnA + tag::SeqStride,
    tag::SeqStepTiedA + tag::SeqStride,
    tag::SeqStepSlideA + tag::SeqStride,
    tag::SeqStepTuneA + tag::SeqStride,
    tag::SeqStepVelA + tag::SeqStride,
    tag::SeqStepFree1A + tag::SeqStride,
    tag::SeqStepFree2A + tag::SeqStride,
    tag::SeqStepRatchetA + tag::SeqStride,
};

class TArpScreen : public VSTGUI::CControl {
public:
    enum Row { kRowOn, kRowTied, kRowSlide, kRowTune, kRowVel, kRowFree1, kRowFree2, kRowRatchet };

    // guiSize: the screen-size index 0..3 the layout builds this grid for.
    TArpScreen(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int guiSize);

    void setArp(int arp);
    int getArp() const { return arp; }
    // Follows the engine's (possibly modulated) step count and loop start of the shown arp.
    void setStepsLoop();
    int getStepCount() const { return stepCount; }
    int getLoopStart() const { return loopStart; }

    float getArpValue(int tag) const;
    bool getArpValueOnOff(int tag) const;
    void setArpValue(int tag, float value);
    void toggleArpValue(int tag);
    // The row under a y and the step under an x, in the parent's coordinates.
    int getArpRow(int y) const;
    int getArpStep(int x) const;
    // The parameter tag of a cell of the shown arp; -1 outside the grid.
    int cellTag(int row, int step) const;
    // Where the skin under the grid draws its column lines, in the coordinates of the view's
    // rectangle: line k (0 and kArpSteps the grid's edges) covers `width` pixels from
    // floor(first + k * pitch), the last edge ending where that line would.
    void setColumnLines(double first, double pitch, int width);

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    bool rowSkipped(int step) const;
    void drawStep(VSTGUI::CDrawContext* context, int step, VSTGUI::CCoord left,
                  VSTGUI::CCoord right) const;
    void popupRatchet(int tag);

    int guiSize;
    int arp = 0;
    int lastStep = 0;
    int lastRow = 0;
    int dragTag = -1;
    int stepCount = kArpSteps;
    int loopStart = 0;
    int rowTop[kArpRows] = {};
    int rowHeight[kArpRows] = {};
    float columnWidth;
    double lineFirst, linePitch;
    int lineWidth = 1;
    float dragValue = 0.0f;
    VSTGUI::CPoint lastPoint{-1, -1};
};
