// The user-wave display's pen: freehand, line and erase on the waveform with grid snap, the
// partials pen, the preset-value clicks and the audition. Only the cheap partial update runs
// per move; the full rebuild of the wave runs once at the release. User-interface thread only.
#include "controls/ControlContext.h"
#include "controls/displays/TWaveDisplay.h"

#include <algorithm>
#include <vector>

using namespace VSTGUI;

float TWaveDisplay::depthAt(CCoord y) const {
    return std::clamp(static_cast<float>((y - size.top) / height), 0.0f, 1.0f);
}

int TWaveDisplay::pointAt(CCoord x) const {
    return std::clamp(static_cast<int>((x - plotLeft) / pixelsPerPoint), 0, kPoints - 1);
}

// A line end in pixels from the plot's left edge: held inside the plot (a line started in the
// gap beside the partials or dragged past the plot's edge ends at that edge), then snapped down
// to a whole grid cell.
float TWaveDisplay::lineX(CCoord x) const {
    float p = std::clamp(static_cast<float>(x - plotLeft), 0.0f, plotWidthF);
    if (snapMode != 0) p = static_cast<int>(p / pixelsPerCell) * pixelsPerCell;
    return p;
}

// A partial's value under the pen: from the top (amplitude) or the middle (phase) downwards.
float TWaveDisplay::partialValue(CCoord y) const {
    if (drawMode == kErase) return 0.0f;
    const float half = height / 2;
    const float d = static_cast<float>(y - size.top) - (phaseHalf ? half : 0.0f);
    return 1.0f - std::clamp(d / half, 0.0f, 1.0f);
}

// Plain writes, as the pen's: the release tells the host of the points that moved.
void TWaveDisplay::setAllPoints(DisplaySound* engine, bool toOrig) {
    for (int t = USER_WAVE_START[wave]; t < USER_WAVE_START[wave] + kPoints; ++t)
        engine->setParameter(t, toOrig ? engine->getOrigValue(t) : engine->getDefaultValue(t));
}

CMouseEventResult TWaveDisplay::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!getMouseEnabled() || !engine) return kDone;
    layout();
    partialsPen = audition = penDown = false;
    prevIndex = curIndex = 0;
    prevDepth = curDepth = 0.0f;
    if ((buttons & (kRButton | kShift)) == (kRButton | kShift)) {
        audition = true;
        engine->setUserPreview(wave, true);
        return kFollowed; // the release ends the audition
    }
    if (shaperMode != 0) return kDone; // the shaped preview is not edited
    if (!(buttons & kLButton)) {
        editor->showWaveMenu(wave);
        return kDone;
    }
    editor->addWaveUndo();
    editor->setSectionUndo(kWaveSection);
    // The stroke may write any point of the wave, the partials pen all of them.
    std::vector<int> points(kPoints);
    for (int i = 0; i < kPoints; ++i) points[static_cast<size_t>(i)] = USER_WAVE_START[wave] + i;
    editor->beginStroke(points);
    if ((buttons & (kControl | kShift)) == (kControl | kShift)) {
        setAllPoints(engine, true);
        return kFollowed; // the release rebuilds the wave
    }
    if (buttons == (kLButton | kControl) || buttons.isDoubleClick()) {
        setAllPoints(engine, false);
        return kFollowed;
    }
    penDown = true;
    if (partialView && where.x - size.left <= size.getWidth() / 2) {
        prevColumn = std::clamp(static_cast<int>(where.x - size.left), 0, plotWidth - 1);
        phaseHalf = where.y - size.top >= height / 2;
        prevValue = partialValue(where.y);
        partialsPen = true;
    } else {
        lastPoint = CPoint(-1, -1);
        firstMove = true;
        if (drawMode == kLineDraw) {
            startX = endX = lineX(where.x);
            startValue = endValue = 1.0f - depthAt(where.y);
        }
        curIndex = pointAt(where.x);
        curDepth = depthAt(where.y);
    }
    onMouseMoved(where, buttons); // the press draws as the first move
    return kFollowed;
}

void TWaveDisplay::movePartials(const CPoint& where, DisplaySound* engine) {
    const int column = std::clamp(static_cast<int>(where.x - size.left), 0, plotWidth - 1);
    const float value = partialValue(where.y);
    const int lo = std::min(column, prevColumn), hi = std::max(column, prevColumn);
    const float loValue = column < prevColumn ? value : prevValue;
    const float hiValue = column < prevColumn ? prevValue : value;
    if (lo == hi) {
        engine->setWaveTablePartials(wave, getWaveTablePartial(float(lo)), loValue, phaseHalf);
    } else {
        // Hundredth-column steps, so that every partial under a steep exponential axis is hit.
        for (int s = lo * 100; s < hi * 100; ++s) {
            const float x = s / 100.0f;
            const float v = loValue + (hiValue - loValue) * (x - lo) / float(hi - lo);
            engine->setWaveTablePartials(wave, getWaveTablePartial(x), v, phaseHalf);
        }
    }
    prevColumn = column;
    prevValue = value;
    engine->createBaseUserTableFromPartials(wave);
}

void TWaveDisplay::moveFreehand(const CPoint& where, DisplaySound* engine) {
    prevIndex = curIndex;
    prevDepth = curDepth;
    curIndex = pointAt(where.x);
    curDepth = depthAt(where.y);
    if (firstMove) prevIndex = curIndex, prevDepth = curDepth;
    firstMove = false;
    if (drawMode == kErase) prevDepth = curDepth = 0.5f;
    const bool curFirst = curIndex < prevIndex;
    const int lo = curFirst ? curIndex : prevIndex, hi = curFirst ? prevIndex : curIndex;
    const float loDepth = curFirst ? curDepth : prevDepth,
                hiDepth = curFirst ? prevDepth : curDepth;
    if (lo == hi) {
        setParameter(lo, 1.0f - curDepth);
    } else {
        for (int i = lo; i < hi; ++i)
            setParameter(i, 1.0f - (loDepth + (hiDepth - loDepth) * (i - lo) / float(hi - lo)));
    }
    if (snapMode != 0) {
        // The grid cell under the pen is drawn flat at the pen's height.
        const int first = static_cast<int>(static_cast<int>(lo / pointsPerCell) * pointsPerCell);
        const int end = std::min(first + static_cast<int>(pointsPerCell), kPoints - 1);
        for (int i = first; i < end; ++i) setParameter(i, 1.0f - curDepth);
    }
    engine->updatePartials(wave);
}

CMouseEventResult TWaveDisplay::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || !penDown || !(buttons & kLButton)) return kMouseEventHandled;
    if (partialsPen) {
        movePartials(where, engine);
    } else if (where == lastPoint) {
        engine->updatePartials(wave);
    } else if (drawMode == kLineDraw) {
        lineVisible = true;
        endX = lineX(where.x);
        endValue = 1.0f - depthAt(where.y);
        engine->updatePartials(wave);
    } else {
        moveFreehand(where, engine);
    }
    lastPoint = where;
    setDirty(true);
    return kMouseEventHandled;
}

// The pending line is written at the release: only points 0..511 of the shown wave.
void TWaveDisplay::writeLine() {
    lineVisible = false;
    const int a = std::clamp(static_cast<int>(startX / pixelsPerPoint), 0, kPoints - 1);
    const int b = std::clamp(static_cast<int>(endX / pixelsPerPoint), 0, kPoints - 1);
    if (a == b) {
        setParameter(a, startValue);
        return;
    }
    const bool reversed = b < a;
    const int lo = reversed ? b : a, hi = reversed ? a : b;
    const float loValue = reversed ? endValue : startValue;
    const float hiValue = reversed ? startValue : endValue;
    for (int i = lo; i < hi; ++i)
        setParameter(i, loValue + (hiValue - loValue) * (i - lo) / float(hi - lo));
}

CMouseEventResult TWaveDisplay::onMouseUp(CPoint&, const CButtonState&) {
    if (!getMouseEnabled()) return kMouseEventNotHandled;
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || audition) {
        if (engine && audition) engine->setUserPreview(wave, false);
        audition = partialsPen = penDown = false;
        setDirty(true);
        return kMouseEventHandled;
    }
    if (penDown && !partialsPen && drawMode == kLineDraw && lineVisible) writeLine();
    engine->createUserWaveTable(wave);
    // Each point the stroke moved is an edit of its own, and the host re-reads the wave.
    if (ControlEditor* editor = editorOf(this)) {
        editor->endStroke();
        if (penDown) editor->requestHostDisplay();
    }
    partialsPen = penDown = false;
    setDirty(true);
    return kMouseEventHandled;
}
