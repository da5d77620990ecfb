// The user-wave display's settings, geometry and drawing: the waveform (bars, or the shaped
// preview as a line), the grid, the pending line, the partials half and the titles.
// User-interface thread only.
#include "controls/displays/TWaveDisplay.h"

#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {
constexpr int kSnapModes = 5;
constexpr int kDrawModes = 3;
// Sub-positions per column at which the partials' amplitude is sampled, so narrow peaks show.
constexpr int kColumnSamples = 10;
} // namespace

TWaveDisplay::TWaveDisplay(const CRect& r, IControlListener* listener, int size)
    : CControl(r, listener, ControlEditor::kNoTag),
      guiSize(std::clamp(size, 0, SCREEN_SIZE_COUNT - 1)) {
    layout();
}

void TWaveDisplay::setWave(int w) {
    if (w == 0 || w == 1) wave = w;
    lineVisible = false;
    setDirty(true);
}

void TWaveDisplay::setPartial(bool on) {
    if (on == partialView) return;
    partialView = on;
    layout();
    setDirty(true);
}

void TWaveDisplay::setExpPartial(bool on) {
    if (on == expPartial) return;
    expPartial = on;
    setDirty(true);
}

void TWaveDisplay::setShaperMode(int mode) {
    if (mode == shaperMode) return;
    shaperMode = mode;
    setDirty(true);
}

void TWaveDisplay::setSnapMode(int mode) {
    if (mode == snapMode || mode < 0 || mode >= kSnapModes) return;
    snapMode = mode;
    lineVisible = false;
    layout();
    setDirty(true);
}

void TWaveDisplay::setDrawMode(int mode) {
    if (mode == drawMode || mode < 0 || mode >= kDrawModes) return;
    drawMode = mode;
    lineVisible = false;
    setDirty(true);
}

void TWaveDisplay::setParameter(int i, float value) {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || i < 0 || i >= kPoints) return;
    engine->setParameter(USER_WAVE_START[wave] + i, std::clamp(value, 0.0f, 1.0f));
}

int TWaveDisplay::getWaveTablePartial(float x) const {
    const DisplaySound* engine = displaySoundOf(this);
    const float w = plotWidthF;
    x = std::clamp(x, 0.0f, w);
    // The exponential axis gives the low partials most of the width.
    const float p = engine && engine->getOnOff(tag::UserWaveExpPartialsOn)
                        ? std::exp2(9.0f * x / w) - 1.0f
                        : x / w * 511.99f;
    return std::clamp(static_cast<int>(p), 0, kShownPartials - 1);
}

void TWaveDisplay::layout() {
    const CCoord w = size.getWidth();
    plotLeft = partialView ? static_cast<int>(size.left + w / 2 + 4) : static_cast<int>(size.left);
    plotWidth = std::max(1, partialView ? static_cast<int>(w / 2 - 4) : static_cast<int>(w));
    plotWidthF = static_cast<float>(plotWidth);
    pixelsPerPoint = plotWidthF / 511.0f;
    height = std::max(1.0f, static_cast<float>(size.getHeight()));
    const auto divisions = static_cast<float>(SNAP_DIVIDE[snapMode]);
    pointsPerCell = 512.0f / divisions;
    pixelsPerCell = plotWidthF / divisions;
}

void TWaveDisplay::drawWave(CDrawContext* context, DisplaySound* engine) const {
    const float h = height;
    context->setLineWidth(1);
    context->setFrameColor(WAVE_LINE_COLOR);
    const int divisions = SNAP_DIVIDE[snapMode];
    for (int k = 1; snapMode != 0 && k < divisions; ++k) {
        const CCoord x = plotLeft + static_cast<int>(k * plotWidthF / divisions);
        context->drawLine(CPoint(x, size.top), CPoint(x, size.bottom));
    }
    context->setFrameColor(WAVE_COLOR);
    const CCoord middle = size.top + static_cast<int>(h * 0.5f);
    CPoint previous;
    for (int x = 0; x < plotWidth; ++x) {
        const float d = engine->getUserWaveTableValue(wave, x / plotWidthF) * 0.5f + 0.5f;
        const CPoint p(plotLeft + x, size.top + static_cast<int>(h - d * h));
        if (shaperMode == 0)
            context->drawLine(CPoint(p.x, middle), p);
        else if (x > 0)
            context->drawLine(previous, p);
        previous = p;
    }
    context->setLineWidth(2);
    if (drawMode == kLineDraw && lineVisible) {
        context->setFrameColor(WAVE_LINE_COLOR);
        context->drawLine(
            CPoint(plotLeft + static_cast<int>(startX), size.top + h * (1 - startValue)),
            CPoint(plotLeft + static_cast<int>(endX), size.top + h * (1 - endValue)));
    }
    context->setFrameColor(WAVE_COLOR);
    const CCoord y = size.top + h * 0.5f;
    context->drawLine(CPoint(size.left, y), CPoint(size.right, y));
    if (partialView)
        context->drawLine(CPoint(size.left + plotWidth, y), CPoint(size.left + 2 * plotWidth, y));
}

void TWaveDisplay::drawPartials(CDrawContext* context, DisplaySound* engine) const {
    const float half = height / 2;
    const CCoord middle = size.top + half;
    context->setLineWidth(1);
    context->setFrameColor(WAVE_COLOR);
    for (int c = 0; c < plotWidth; ++c) {
        float amplitude = 0.0f;
        for (int k = 0; k < kColumnSamples; ++k) {
            const int p = getWaveTablePartial(c + k / static_cast<float>(kColumnSamples));
            amplitude = std::max(amplitude, engine->getWaveTablePartialsAmp(wave, p));
        }
        const float phase = engine->getWaveTablePartialsPhase(wave, getWaveTablePartial(float(c)));
        const CCoord x = size.left + c;
        context->drawLine(CPoint(x, middle),
                          CPoint(x, size.top + static_cast<int>((1 - amplitude) * half)));
        context->drawLine(CPoint(x, middle),
                          CPoint(x, middle + static_cast<int>((1 - phase) * half)));
    }
}

void TWaveDisplay::drawTitles(CDrawContext* context, DisplaySound* engine) const {
    CFontRef font = FONT_SIZES[guiSize];
    context->setFont(font);
    context->setFontColor(LIGHT_GREEN_COLOR);
    const CCoord stripHeight = (font ? font->getSize() : 10) + 2;
    const CRect strip(size.left, size.top + 2, size.right, size.top + 2 + stripHeight);
    if (!partialView) {
        CRect plot = strip;
        plot.left = plotLeft;
        plot.right = plotLeft + plotWidth;
        context->drawString("WAVE DISPLAY", plot, kCenterText, true);
        return;
    }
    CRect left = strip;
    left.right = size.left + plotWidth;
    context->drawString(engine->getOnOff(tag::UserWaveExpPartialsOn) ? "PARTIAL DISPLAY: EXP"
                                                                     : "PARTIAL DISPLAY",
                        left, kCenterText, true);
    context->drawString("AMPLITUDE ", left, kRightText, true);
    CRect phase = left;
    phase.offset(0, height / 2);
    context->drawString("PHASE ", phase, kRightText, true);
    CRect right = strip;
    right.left = size.left + plotWidth;
    right.right = size.left + 2 * plotWidth;
    context->drawString("WAVEFORM", right, kCenterText, true);
    context->setFillColor(WAVE_LINE_COLOR);
    const CCoord mid = size.left + static_cast<int>(size.getWidth() / 2);
    context->fillRect(CRect(mid - 1, size.top, mid + 2, size.bottom));
}

void TWaveDisplay::draw(CDrawContext* context) {
    setDirty(false);
    DisplaySound* engine = displaySoundOf(this);
    if (!mayDraw(this) || !engine) return;
    layout();
    drawWave(context, engine);
    if (partialView) drawPartials(context, engine);
    drawTitles(context, engine);
}
