// Draws the EQ curves from the engine's band parameters and turns drags into frequency, gain
// and bandwidth values (Shift). User-interface thread.
#include "controls/displays/TEQDisplay.h"

#include "controls/ControlContext.h"
#include "controls/DrawHelpers.h"
#include "controls/FontTables.h"
#include "engine/params/ParamTags.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace VSTGUI;

const int TEQDisplay::EQ_BAND_FREQ_TAGS[2][kBands] = {
    {tag::PreEqBand1Freq, tag::PreEqBand2Freq, tag::PreEqBand3Freq},
    {tag::PostEqBand1Freq, tag::PostEqBand2Freq, tag::PostEqBand3Freq}};
const int TEQDisplay::EQ_BAND_BW_TAGS[2][kBands] = {
    {tag::PreEqBand1Bw, tag::PreEqBand2Bw, tag::PreEqBand3Bw},
    {tag::PostEqBand1Bw, tag::PostEqBand2Bw, tag::PostEqBand3Bw}};
const int TEQDisplay::EQ_BAND_GAIN_TAGS[2][kBands] = {
    {tag::PreEqBand1Gain, tag::PreEqBand2Gain, tag::PreEqBand3Gain},
    {tag::PostEqBand1Gain, tag::PostEqBand2Gain, tag::PostEqBand3Gain}};
const int TEQDisplay::EQ_FILTER_MODE_TAGS[2] = {tag::PreEqFilterMode, tag::PostEqFilterMode};
const int TEQDisplay::EQ_FILTER_LP_TAGS[2] = {tag::PreEqLowPassFrequency,
                                              tag::PostEqLowPassFrequency};
const int TEQDisplay::EQ_FILTER_HP_TAGS[2] = {tag::PreEqHighPassFrequency,
                                              tag::PostEqHighPassFrequency};

namespace {

constexpr double kPi = 3.14159265358979323846;
// The curves are drawn at a fixed rate, whatever the host runs at, so they look the same
// everywhere; the ten octaves shown stay well below its Nyquist frequency.
constexpr double kDrawRate = 88100.0;
constexpr int DOT_SIZE[SCREEN_SIZE_COUNT] = {4, 5, 5, 7};
constexpr CColor BAND_COLORS[TEQDisplay::kBands] = {{41, 191, 48}, {14, 172, 255}, {185, 87, 22}};
constexpr CColor SHADE_COLOR{255, 255, 255, 31};

CColor pale(CColor c) {
    c.alpha = 31;
    return c;
}

// 20 Hz at 0, 20,480 Hz at 1: ten octaves.
double bandFrequency(double v) {
    return 20.0 * std::pow(2.0, 10.0 * v);
}

} // namespace

TEQDisplay::TEQDisplay(const CRect& size, int eq, IControlListener* listener)
    : CControl(size, listener, ControlEditor::kNoTag), eqIndex(eq & 1),
      widthPx(static_cast<int>(size.getWidth())), heightPx(static_cast<int>(size.getHeight())),
      width(static_cast<float>(size.getWidth())), height(static_cast<float>(size.getHeight())) {
    const int columns = std::max(0, static_cast<int>(1 + width));
    cosW.resize(static_cast<size_t>(columns));
    cos2W.resize(static_cast<size_t>(columns));
    for (int x = 0; x < columns; ++x) {
        const double w = 2 * kPi * bandFrequency(x / static_cast<double>(width)) / kDrawRate;
        cosW[static_cast<size_t>(x)] = std::cos(w);
        cos2W[static_cast<size_t>(x)] = std::cos(2 * w);
    }
}

void TEQDisplay::setEQ(int eq) {
    eqIndex = eq & 1;
    setDirty(true);
}

void TEQDisplay::setBypassed(bool b) {
    if (b == bypassed) return;
    bypassed = b;
    setDirty(true);
}

float TEQDisplay::paramOf(int t) const {
    DisplaySound* engine = displaySoundOf(this);
    return engine ? engine->getParameter(t) : 0.0f;
}

int TEQDisplay::bandAt(float x) const {
    x = std::clamp(x, 0.0f, 1.0f);
    int best = 0;
    float bestDistance = 1000.0f;
    for (int b = 0; b < kBands; ++b) {
        const float d = std::fabs(x - paramOf(EQ_BAND_FREQ_TAGS[eqIndex][b]));
        if (d < bestDistance) bestDistance = d, best = b;
    }
    return best;
}

// The standard peaking biquad of each band, normalised by a0.
void TEQDisplay::updateCoefficients() {
    for (int b = 0; b < kBands; ++b) {
        const double w0 =
            2 * kPi * bandFrequency(paramOf(EQ_BAND_FREQ_TAGS[eqIndex][b])) / kDrawRate;
        const double q = std::pow(2.0, 4.0 - 10.0 * paramOf(EQ_BAND_BW_TAGS[eqIndex][b]));
        const double db = 40.0 * paramOf(EQ_BAND_GAIN_TAGS[eqIndex][b]) - 20.0;
        const double a = std::pow(10.0, db / 40.0);
        const double alpha = std::sin(w0) / (2 * q);
        const double a0 = 1 + alpha / a;
        b0[b] = (1 + alpha * a) / a0;
        b1[b] = a1[b] = -2 * std::cos(w0) / a0;
        b2[b] = (1 - alpha * a) / a0;
        a2[b] = (1 - alpha / a) / a0;
        gainDB[b] = db;
    }
}

double TEQDisplay::response(int b, int x) const {
    if (b < 0 || b >= kBands || x < 0 || x >= columnCount()) return 0.0;
    if (std::fabs(static_cast<float>(gainDB[b])) < 0.01f) return 0.0;
    const double c1 = cosW[static_cast<size_t>(x)], c2 = cos2W[static_cast<size_t>(x)];
    const double n = b0[b] * b0[b] + b1[b] * b1[b] + b2[b] * b2[b] +
                     2 * b1[b] * (b0[b] + b2[b]) * c1 + 2 * b0[b] * b2[b] * c2;
    const double d =
        1 + a1[b] * a1[b] + a2[b] * a2[b] + 2 * a1[b] * (1 + a2[b]) * c1 + 2 * a2[b] * c2;
    // A pole or zero landing exactly on a column would give an infinite or NaN line.
    if (!(n > 0) || !(d > 0)) return 0.0;
    return 0.5 * std::log10(n / d);
}

void TEQDisplay::drawShading(CDrawContext* context, int d) {
    const CRect& r = getViewSize();
    const int mode = displaySoundOf(this)->getSteppedValue(EQ_FILTER_MODE_TAGS[eqIndex]);
    context->setFillColor(SHADE_COLOR);
    // Both rectangles sit d pixels right and down, clipped by the view.
    if (mode == 1 || mode == 3) {
        const float lp = paramOf(EQ_FILTER_LP_TAGS[eqIndex]);
        fillRectExt(CRect(r.left + d + static_cast<int>(lp * width), r.top + d,
                          r.left + d + widthPx, r.top + d + heightPx),
                    context);
    }
    if (mode == 2 || mode == 3) {
        const float hp = paramOf(EQ_FILTER_HP_TAGS[eqIndex]);
        fillRectExt(CRect(r.left + d, r.top + d, r.left + d + static_cast<int>(hp * width),
                          r.top + d + heightPx),
                    context);
    }
}

void TEQDisplay::drawInfo(CDrawContext* context) {
    DisplaySound* engine = displaySoundOf(this);
    const int b = std::clamp(curBand, 0, kBands - 1);
    const float s = SCALE[editorOf(this)->getBig()];
    const std::string text =
        "Band: " + std::to_string(curBand + 1) +
        ", Freq: " + engine->getParameterDisplayStr(EQ_BAND_FREQ_TAGS[eqIndex][b]) +
        ", BW: " + engine->getParameterDisplayStr(EQ_BAND_BW_TAGS[eqIndex][b]) +
        ", Gain: " + engine->getParameterDisplayStr(EQ_BAND_GAIN_TAGS[eqIndex][b]);
    const CRect& r = getViewSize();
    const CCoord left = r.left + static_cast<int>(5 * s);
    const CCoord top = r.bottom - static_cast<int>(14 * s);
    context->setFontColor(LIGHT_GREEN_COLOR);
    context->drawString(text, CRect(left, top, left + r.getWidth(), top + static_cast<int>(10 * s)),
                        kLeftText, true);
}

void TEQDisplay::draw(CDrawContext* context) {
    setDirty(false);
    if (!mayDraw(this) || !displaySoundOf(this)) return;
    const int big = editorOf(this)->getBig();
    const CRect& r = getViewSize();
    context->setFont(FONT_SIZES[big]);
    context->setLineWidth(1);
    updateCoefficients();
    const int columns = std::min(widthPx, columnCount());
    const float mid = static_cast<float>(static_cast<int>(height) / 2);
    const int d = DOT_SIZE[big];
    if (!bypassed) {
        drawShading(context, d);
        for (int b = 0; b < kBands; ++b) {
            context->setFrameColor(pale(BAND_COLORS[b]));
            for (int x = 0; x < columns; ++x)
                context->drawLine(
                    CPoint(r.left + x, r.top + mid),
                    CPoint(r.left + x, r.top + static_cast<int>(yOf(response(b, x)))));
        }
    }
    const int curveColumns = std::min(static_cast<int>(width), columnCount());
    for (int b = 0; b < kBands && curveColumns > 0; ++b) {
        context->setFrameColor(bypassed ? pale(BAND_COLORS[b]) : BAND_COLORS[b]);
        float prev = yOf(response(b, 0));
        for (int x = 1; x < curveColumns; ++x) {
            const float y = yOf(response(b, x));
            lineAA(context, CPoint(r.left + x - 1, r.top + static_cast<int>(prev)),
                   CPoint(r.left + x, r.top + static_cast<int>(y)));
            prev = y;
        }
    }
    if (!bypassed) {
        for (int b = 0; b < kBands; ++b) {
            context->setFrameColor(BAND_COLORS[b]);
            context->setFillColor(BAND_COLORS[b]);
            const float px = paramOf(EQ_BAND_FREQ_TAGS[eqIndex][b]) * static_cast<float>(widthPx);
            const CPoint c(r.left + static_cast<int>(px + 1),
                           r.top + static_cast<int>(yOf(response(b, static_cast<int>(px)))));
            const int radius = b == curBand ? 2 * d : d;
            const CRect dot(c.x - radius, c.y - radius, c.x + radius, c.y + radius);
            context->drawEllipse(dot, b == curBand ? kDrawStroked : kDrawFilled);
        }
    }
    // The 0 dB line over the curves and dots.
    context->setLineWidth(2);
    context->setFrameColor(DARK_GREEN_COLOR);
    const CCoord zero = r.top + static_cast<int>(height / 2);
    context->drawLine(CPoint(r.left, zero), CPoint(r.right, zero));
    context->setLineWidth(1);
    if (showInfo) drawInfo(context);
}

CMouseEventResult TEQDisplay::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    DisplaySound* engine = displaySoundOf(this);
    if (!getMouseEnabled() || !editor || !engine) return kDone;
    if (isMenuClick(buttons)) {
        editor->showEQMenu();
        return kDone;
    }
    // A view without width or height has no frequency or gain under the pointer.
    if (bypassed || width <= 0 || height <= 0) return kDone;
    editor->setSectionUndo(17);
    curBand = bandAt(static_cast<float>((where.x - getViewSize().left) / width));
    const int tags[3] = {EQ_BAND_FREQ_TAGS[eqIndex][curBand], EQ_BAND_BW_TAGS[eqIndex][curBand],
                         EQ_BAND_GAIN_TAGS[eqIndex][curBand]};
    if (buttons.isDoubleClick() || (buttons & kControl)) {
        const bool orig = !buttons.isDoubleClick() && (buttons & kShift);
        for (int t : tags)
            editor->userEdit(t, [&] { orig ? engine->setToOrig(t) : engine->setToDefault(t); });
        setDirty(true);
        return kDone;
    }
    if (buttons & kAlt) {
        editor->typeValue((buttons & kShift) ? tags[1] : tags[2]);
        setDirty(true);
        return kDone;
    }
    endDragged();
    showInfo = true;
    pickBand = true;
    curBand = 0;
    lastMouse = CPoint(-1, -1);
    if (buttons.isLeftButton()) return onMouseMoved(where, buttons);
    return kDone;
}

CMouseEventResult TEQDisplay::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    DisplaySound* engine = displaySoundOf(this);
    if (!engine || !buttons.isLeftButton() || where == lastMouse || width <= 0 || height <= 0)
        return kMouseEventHandled;
    const CRect& r = getViewSize();
    const float x = std::clamp(static_cast<float>((where.x - r.left) / width), 0.0f, 1.0f);
    const float y = std::clamp(static_cast<float>((where.y - r.top) / height), 0.0f, 1.0f);
    if (pickBand) {
        pickBand = false;
        curBand = bandAt(x);
    }
    const int b = std::clamp(curBand, 0, kBands - 1);
    if (buttons & kShift) {
        const float fv = engine->getParameter(EQ_BAND_FREQ_TAGS[eqIndex][b]);
        writeDragged(EQ_BAND_BW_TAGS[eqIndex][b], std::min(1.0f, 3 * std::fabs(x - fv)));
    } else {
        writeDragged(EQ_BAND_FREQ_TAGS[eqIndex][b], x);
        writeDragged(EQ_BAND_GAIN_TAGS[eqIndex][b], 1 - y);
    }
    setDirty(true);
    lastMouse = where;
    return kMouseEventHandled;
}

// A drag is one gesture per tag it moves: each is opened for the host at its first write and
// closed at the release.
void TEQDisplay::writeDragged(int tag, float value) {
    DisplaySound* engine = displaySoundOf(this);
    ControlEditor* editor = editorOf(this);
    if (!engine || !editor) return;
    bool open = false;
    int* free = nullptr;
    for (int& t : draggedTags) {
        if (t == tag) open = true;
        if (t < 0 && !free) free = &t;
    }
    // A drag moves one band: its frequency, gain and bandwidth fill the three places.
    if (!open && free) {
        *free = tag;
        editor->beginEdit(tag);
    }
    engine->setParameterAutomated(tag, value);
}

void TEQDisplay::endDragged() {
    ControlEditor* editor = editorOf(this);
    for (int& t : draggedTags) {
        if (t >= 0 && editor) editor->endEdit(t);
        t = -1;
    }
}

CMouseEventResult TEQDisplay::onMouseUp(CPoint&, const CButtonState&) {
    endDragged();
    showInfo = false;
    curBand = -1;
    setDirty(true);
    return kMouseEventHandled;
}
