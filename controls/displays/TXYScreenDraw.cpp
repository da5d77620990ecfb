// The XY pad display's drawing: the engine poll that runs with every draw (position changes,
// MIDI-driven recording), the path in replay mode, the position marks and the read-out.
// User-interface thread only.
#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "controls/displays/TXYScreen.h"
#include "controls/displays/XYTags.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

using namespace VSTGUI;
using namespace xytags;

namespace {

constexpr int kPadPointBitmap = 10060;
constexpr int kPlayFree = 1;
constexpr int kLoopOn = 1;
constexpr CCoord kReadoutHeight = 10;

// Draws the pad-point picture centred on a pixel.
void drawCentred(CDrawContext* context, CBitmap* bitmap, int px, int py, float alpha) {
    if (!bitmap) return;
    const CCoord w = bitmap->getWidth(), h = bitmap->getHeight();
    const CCoord left = px - static_cast<int>(w / 2), top = py - static_cast<int>(h / 2);
    bitmap->draw(context, CRect(left, top, left + w, top + h), CPoint(), alpha);
}

} // namespace

// Picks up what the engine changed since the last draw, and runs the MIDI-driven recording:
// armed when the record mode turns to 1, recording from the first MIDI move, ended when the
// record mode turns to 2.
void TXYScreen::pollEngine(DisplaySound* engine) {
    const int oldMode = recordMode;
    recordMode = engine->getXYRecordMode(pad);
    playMode = engine->getXYPlayMode(pad);
    if (recordMode != kRecord)
        armed = false;
    else if (oldMode != kRecord)
        armed = true;
    if (engine->getUpdateXY(pad)) {
        engine->getXYEditor(pad, padX, padY);
        engine->setUpdateXY(pad, false);
    }
    const bool xChanged = engine->getXChanged(pad);
    const bool yChanged = engine->getYChanged(pad);
    if (xChanged || yChanged) {
        padX = engine->getParameter(posX(pad));
        padY = engine->getParameter(posY(pad));
    }
    midiChange = engine->getXYMidiChange(pad);
    if (midiChange && recordMode == kRecord && armed) {
        recording = true;
        armed = false;
        engine->startXYRecord(pad);
    }
    if (!recording) return;
    if (recordMode == kRecord) {
        engine->setXYRecord(pad, padX, padY);
    } else if (recordMode == kReplay) {
        recording = false;
        armed = true;
        engine->endXYRecord(pad);
    }
}

void TXYScreen::drawPath(CDrawContext* context, DisplaySound* engine) const {
    const int blob = XY_BLOB_SIZE[guiSize];
    int px[kPathPoints], py[kPathPoints];
    for (int i = 0; i < kPathPoints; ++i) getXYPoint(i, px[i], py[i]);
    context->setLineWidth(1);
    context->setFrameColor(XY_NORM_COLOR);
    for (int i = 1; i < kPathPoints; ++i)
        context->drawLine(CPoint(px[i - 1], py[i - 1]), CPoint(px[i], py[i]));
    if (engine->getXYLoopMode(pad) == kLoopOn)
        context->drawLine(CPoint(px[kPathPoints - 1], py[kPathPoints - 1]), CPoint(px[0], py[0]));
    for (int i = 0; i < kPathPoints; ++i) {
        context->setFillColor(i == selected ? XY_SELECTED_COLOR : XY_NORM_COLOR);
        const CCoord left = px[i] - blob / 2, top = py[i] - blob / 2;
        context->fillEllipse(CRect(left, top, left + blob, top + blob));
    }
}

void TXYScreen::drawMarks(CDrawContext* context, DisplaySound* engine) {
    if (recordMode == kReplay && playMode != kPlayFree && engine->getShownNotesPlaying() == 0)
        return;
    ControlEditor* editor = editorOf(this);
    CBitmap* point = editor ? editor->getSkinBitmap(kPadPointBitmap) : nullptr;
    auto pixel = [&](float x, float y, int& px, int& py) {
        px = static_cast<int>(size.left + static_cast<int>(x * plotWidth));
        py = static_cast<int>(size.top + static_cast<int>((1.0f - y) * plotHeight));
    };
    int px, py;
    float mx, my;
    if (showModulation && engine->getXYModVal(pad, mx, my)) {
        pixel(mx, my, px, py);
        drawCentred(context, point, px, py, 127.0f / 255.0f);
    }
    engine->getXYValue(pad, padX, padY);
    pixel(padX, padY, px, py);
    drawCentred(context, point, px, py, 1.0f);
}

void TXYScreen::draw(CDrawContext* context) {
    setDirty(false);
    if (drawing) return;
    DisplaySound* engine = displaySoundOf(this);
    if (!mayDraw(this) || !engine) return;
    drawing = true;
    pollEngine(engine);
    context->setFont(FONT_SIZES[guiSize]);
    context->setFontColor(LIGHT_GREEN_COLOR);
    context->setFrameColor(GREEN_COLOR);
    if (getEditOn() && recordMode == kReplay) drawPath(context, engine);
    drawMarks(context, engine);
    const std::string text = readout();
    if (!text.empty())
        context->drawString(text,
                            CRect(size.left, size.bottom - kReadoutHeight, size.right, size.bottom),
                            kRightText, true);
    drawing = false;
}
