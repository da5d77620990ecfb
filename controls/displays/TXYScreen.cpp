// The XY pad display's state, path accessors and mouse gestures: live drags, gesture recording
// through the engine, and path-point edits in replay mode. User-interface thread only.
#include "controls/displays/TXYScreen.h"

#include "controls/ControlContext.h"
#include "controls/displays/XYTags.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace VSTGUI;
using namespace xytags;

TXYScreen::TXYScreen(const CRect& r, int p, IControlListener* listener, int size)
    : CControl(r, listener, ControlEditor::kNoTag), pad(p == 1 ? 1 : 0),
      guiSize(std::clamp(size, 0, 3)), plotWidth(static_cast<float>(r.getWidth() - 1)),
      plotHeight(static_cast<float>(r.getHeight() - 1)) {}

void TXYScreen::update(int counter, bool showMod) {
    showModulation = showMod;
    if (counter == redrawCounter || drawing) return;
    redrawCounter = counter;
    setDirty(true);
}

bool TXYScreen::getEditOn() const {
    const DisplaySound* engine = displaySoundOf(this);
    return engine && engine->getOnOff(padTag(tag::Xy1EditOn, pad));
}

bool TXYScreen::hasPath() const {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine) return false;
    const float len = engine->getParameter(padTag(tag::Xy1LenSec, pad)) * 1000.0f +
                      engine->getParameter(padTag(tag::Xy1LenMs, pad));
    return len >= 0.002f;
}

void TXYScreen::getXY(int i, float& x, float& y) const {
    x = y = 0.0f;
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || i < 0 || i >= kPathPoints) return;
    x = engine->getParameter(pathX(pad, i));
    y = engine->getParameter(pathY(pad, i));
}

void TXYScreen::getXYPoint(int i, int& px, int& py) const {
    px = py = 0;
    if (i < 0 || i >= kPathPoints) return;
    float x, y;
    getXY(i, x, y);
    px = static_cast<int>(size.left + static_cast<int>(x * plotWidth));
    py = static_cast<int>(size.top + static_cast<int>((1.0f - y) * plotHeight));
}

void TXYScreen::setXYPoint(int i, float x, float y) {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || i < 0 || i >= kPathPoints) return;
    engine->setParameterAutomated(pathX(pad, i), x);
    engine->setParameterAutomated(pathY(pad, i), y);
}

void TXYScreen::toPad(const CPoint& p, float& x, float& y) const {
    const auto w = static_cast<CCoord>(plotWidth > 0 ? plotWidth : 1);
    const auto h = static_cast<CCoord>(plotHeight > 0 ? plotHeight : 1);
    x = static_cast<float>(std::clamp((p.x - size.left) / w, 0.0, 1.0));
    y = 1.0f - static_cast<float>(std::clamp((p.y - size.top) / h, 0.0, 1.0));
}

int TXYScreen::getEditPoint(int mx, int my) const {
    if (!displaySoundOf(this)) return -1;
    float x, y;
    toPad(CPoint(mx, my), x, y);
    int best = -1;
    float bestDistance = 10000.0f;
    for (int i = 0; i < kPathPoints; ++i) {
        float px, py;
        getXY(i, px, py);
        const float d = (px - x) * (px - x) + (py - y) * (py - y);
        // Strictly nearer only: of two points in one place the lower-numbered wins.
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

std::string TXYScreen::readout() const {
    if (!dragging) return "";
    float x = padX, y = padY;
    if (recordMode == kReplay) {
        if (!getEditOn() || selected < 0) return "";
        getXY(selected, x, y);
    }
    char text[48];
    std::snprintf(text, sizeof text, "X %d%%, Y %d%%", static_cast<int>(x * 200.0f - 100.0f),
                  static_cast<int>(y * 200.0f - 100.0f));
    return text;
}

CMouseEventResult TXYScreen::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!getMouseEnabled() || !engine) return kDone;
    editor->setXYPoint(pad, -1);
    lastPoint = CPoint(-1, -1);
    dragging = false;
    if (buttons & kRButton) {
        selected = recordMode == kReplay ? getEditPoint(int(where.x), int(where.y)) : -1;
        editor->setXYPoint(pad, selected);
        editor->showXYMenu(pad);
        return kDone;
    }
    editor->setSectionUndo(kAllXYSection);
    if (recordMode == kRecord) {
        // A recording writes the position as it goes, then the length and the whole path.
        std::vector<int> written = {posX(pad), posY(pad), padTag(tag::Xy1LenSec, pad),
                                    padTag(tag::Xy1LenMs, pad)};
        for (int i = 0; i < kPathPoints; ++i) {
            written.push_back(pathX(pad, i));
            written.push_back(pathY(pad, i));
        }
        editor->beginStroke(written);
        float x, y;
        toPad(where, x, y);
        engine->setParameter(posX(pad), x);
        engine->setParameter(posY(pad), y);
        engine->updateMIDIXY(pad);
        engine->startXYRecord(pad);
        dragging = true;
        onMouseMoved(where, buttons);
        return kFollowed;
    }
    return pressOther(where, buttons, engine);
}

// A press in live or replay mode: preset values, typed entry, then a drag of the position or
// of the path point nearest to the mouse.
CMouseEventResult TXYScreen::pressOther(CPoint& where, const CButtonState& b,
                                        DisplaySound* engine) {
    ControlEditor* editor = editorOf(this);
    if (b.isDoubleClick()) {
        editor->userEdit(posX(pad), [&] { engine->setToDefault(posX(pad)); });
        editor->userEdit(posY(pad), [&] { engine->setToDefault(posY(pad)); });
    }
    if (b & kControl) {
        if (b & kShift)
            editor->resetSection(kPadSection[pad]);
        else
            editor->setSectionToOrig(kPadSection[pad]);
    }
    if (b == (kLButton | kAlt)) {
        const int point = recordMode == kReplay ? getEditPoint(int(where.x), int(where.y)) : -1;
        editor->typeValue(point >= 0 ? pathX(pad, point) : posX(pad));
        editor->typeValue(point >= 0 ? pathY(pad, point) : posY(pad));
    }
    if (recordMode == kReplay) {
        if (!getEditOn() || !hasPath()) return kDone;
        selected = getEditPoint(int(where.x), int(where.y));
        editor->setXYPoint(pad, selected);
    } else if (b.isDoubleClick()) {
        padX = padY = 0.5f;
        editor->userEdit(posX(pad), [&] {
            editor->userEdit(posY(pad), [&] { engine->setXY(pad, 0.5f, 0.5f); });
        });
        setDirty(true);
        return kDone;
    }
    dragging = true;
    onMouseMoved(where, b);
    return kFollowed;
}

CMouseEventResult TXYScreen::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    DisplaySound* engine = displaySoundOf(this);
    if (!dragging || !engine) return kMouseEventHandled;
    toPad(where, padX, padY);
    if (!(buttons & kLButton) || where == lastPoint) return kMouseEventHandled;
    if (recordMode == kLive) {
        // The position is written plainly; the host hears it inside the drag's brackets.
        hold(posX(pad), posY(pad));
        engine->setXY(pad, padX, padY);
        engine->setParameterAutomated(posX(pad), engine->getParameter(posX(pad)));
        engine->setParameterAutomated(posY(pad), engine->getParameter(posY(pad)));
    } else if (recordMode == kRecord) {
        engine->setXYRecord(pad, padX, padY);
        engine->updateMIDIXY(pad);
    } else if (getEditOn() && hasPath() && selected >= 0 && selected < kPathPoints) {
        hold(pathX(pad, selected), pathY(pad, selected));
        setXYPoint(selected, padX, padY);
    }
    setDirty(true);
    lastPoint = where;
    return kMouseEventHandled;
}

void TXYScreen::hold(int tagX, int tagY) {
    ControlEditor* editor = editorOf(this);
    if (!editor || (heldTags[0] == tagX && heldTags[1] == tagY)) return;
    releaseHeld();
    heldTags[0] = tagX;
    heldTags[1] = tagY;
    editor->beginEdit(tagX);
    editor->beginEdit(tagY);
}

void TXYScreen::releaseHeld() {
    ControlEditor* editor = editorOf(this);
    for (int& t : heldTags) {
        if (t >= 0 && editor) editor->endEdit(t);
        t = -1;
    }
}

CMouseEventResult TXYScreen::onMouseUp(CPoint&, const CButtonState&) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    releaseHeld();
    const bool recorded = recordMode == kRecord && dragging;
    if (engine && recorded) engine->endXYRecord(pad);
    // Each value the recording moved is an edit of its own, and the host re-reads the path.
    if (editor && recorded) {
        editor->endStroke();
        editor->requestHostDisplay();
    }
    if (editor) editor->setXYPoint(pad, -1);
    if (engine && recordMode == kReplay && engine->getXYEdit(pad) && hasPath()) selected = -1;
    dragging = false;
    setDirty(true);
    return kMouseEventHandled;
}
