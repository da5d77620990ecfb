// The user-wave display driven off-screen: the pen's point, line and erase modes with grid
// snap, lines that start or end outside the plot, and all three displays of this folder drawn
// at each screen size.
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TWaveDisplay.h"
#include "controls/displays/TXYScreen.h"

#include "test_controls_rig.h"

#include <vector>

using namespace controlstest;

namespace {

// 511 pixels wide from x = 20: point i sits at x = 20 + i; the plot is 200 high from y = 20
// (a value of 0 lies on the bottom edge, just outside).
constexpr int kLeft = 20, kTop = 20;
CPoint at(int point, float value) {
    return CPoint(kLeft + point, kTop + 200.0 * (1.0 - value));
}

class WavesPen : public ControlsTest {
protected:
    float point(int i) { return engine->getParameter(tag::UserWave1First + i); }
    void flatten(float v) {
        for (int i = 0; i < 512; ++i) engine->setParameter(tag::UserWave1First + i, v);
    }
    void stroke(CPoint from, CPoint to) {
        press(from, kLButton);
        move(to, kLButton);
        release(to);
    }
    std::vector<float> all() {
        std::vector<float> v;
        for (int t = 0; t < 2048; ++t) v.push_back(engine->getParameter(t));
        return v;
    }
};

} // namespace

// The pen writes while it moves; the release rebuilds the wave from its partials, which
// reshapes the points, so the pen's own writes are read before the release.
TEST_F(WavesPen, PointLineAndEraseWithGridSnap) {
    open();
    auto* wave = add(new TWaveDisplay(CRect(kLeft, kTop, kLeft + 511, kTop + 200), ed, 0));
    flatten(0.5f);
    // A click without movement sets the one point under the pen.
    press(at(100, 0.75f), kLButton);
    EXPECT_NEAR(point(100), 0.75f, 0.01f);
    EXPECT_FLOAT_EQ(point(99), 0.5f);
    EXPECT_FLOAT_EQ(point(101), 0.5f);
    release(at(100, 0.75f));

    // Erase: every point the pen passes returns to the middle.
    wave->setDrawMode(TWaveDisplay::kErase);
    flatten(0.9f);
    press(at(10, 0.1f), kLButton);
    move(at(60, 0.2f), kLButton);
    for (int i = 10; i < 60; ++i) EXPECT_FLOAT_EQ(point(i), 0.5f) << i;
    EXPECT_FLOAT_EQ(point(9), 0.9f);
    release(at(60, 0.2f));

    // "Grid 1/4": a dab in the last quarter sets 384..510 flat to the pen's height.
    wave->setDrawMode(TWaveDisplay::kPointDraw);
    wave->setSnapMode(1);
    flatten(0.5f);
    press(at(450, 0.8f), kLButton);
    for (int i = 384; i < 511; ++i) EXPECT_NEAR(point(i), 0.8f, 0.01f) << i;
    EXPECT_FLOAT_EQ(point(383), 0.5f);
    EXPECT_FLOAT_EQ(point(511), 0.5f);
    release(at(450, 0.8f));

    // Command-Shift restores the loaded points, a double click gives the defaults.
    press(at(5, 0.5f), kLButton | kControl | kShift);
    EXPECT_FLOAT_EQ(point(450), engine->getOrigValue(tag::UserWave1First + 450));
    release(at(5, 0.5f));
    flatten(0.3f);
    press(at(5, 0.5f), kLButton | kDoubleClick);
    EXPECT_FLOAT_EQ(point(450), engine->getDefaultValue(tag::UserWave1First + 450));
    release(at(5, 0.5f));

    // A line is written at the release, rising across its points; drawn right to left it
    // writes the same points.
    wave->setSnapMode(0);
    wave->setDrawMode(TWaveDisplay::kLineDraw);
    flatten(0.5f);
    stroke(at(200, 0.1f), at(300, 1.0f));
    std::vector<float> forward(512);
    for (int i = 0; i < 512; ++i) forward[size_t(i)] = point(i);
    for (int i = 215; i < 285; ++i) EXPECT_LT(point(i), point(i + 1)) << i;
    flatten(0.5f);
    stroke(at(300, 1.0f), at(200, 0.1f));
    for (int i = 0; i < 512; ++i) EXPECT_FLOAT_EQ(point(i), forward[size_t(i)]) << i;
}

TEST_F(WavesPen, LinesFromOutsideThePlotStayInsideTheWave) {
    open();
    auto* wave = add(new TWaveDisplay(CRect(kLeft, kTop, kLeft + 511, kTop + 200), ed, 0));
    wave->setDrawMode(TWaveDisplay::kLineDraw);
    wave->setPartial(true);
    ASSERT_GT(wave->getPlotLeft(), kLeft + 511 / 2);
    // Started in the gap between the partials and the waveform, dragged far left and up.
    const std::vector<float> before = all();
    const CPoint gap(wave->getPlotLeft() - 2, kTop + 50);
    stroke(gap, CPoint(-300, -40));
    stroke(gap, CPoint(2000, 400));
    const std::vector<float> after = all();
    for (int t = 0; t < 2048; ++t) {
        if (t >= tag::UserWave1First && t < tag::UserWave2First) continue;
        EXPECT_EQ(after[size_t(t)], before[size_t(t)]) << "tag " << t;
    }
}

// The partials pen: the upper half draws amplitudes, the lower half phases; erase clears.
TEST_F(WavesPen, PartialsPenDrawsAmplitudeAndPhase) {
    open();
    auto* wave = add(new TWaveDisplay(CRect(kLeft, kTop, kLeft + 511, kTop + 200), ed, 0));
    wave->setPartial(true);
    const int column = 40, p = wave->getWaveTablePartial(float(column));
    press(CPoint(kLeft + column, kTop + 20), kLButton); // a tenth down the amplitude half
    EXPECT_NEAR(engine->getWaveTablePartialsAmp(0, p), 0.8f, 0.01f);
    release(CPoint(kLeft + column, kTop + 20));
    press(CPoint(kLeft + column, kTop + 100), kLButton); // exactly half way: the phase half
    EXPECT_NEAR(engine->getWaveTablePartials(0, p, true), 1.0f, 0.01f);
    release(CPoint(kLeft + column, kTop + 100));
    wave->setDrawMode(TWaveDisplay::kErase);
    press(CPoint(kLeft + column - 5, kTop + 20), kLButton);
    move(CPoint(kLeft + column + 5, kTop + 20), kLButton);
    EXPECT_EQ(engine->getWaveTablePartialsAmp(0, p), 0.0f);
    release(CPoint(kLeft + column + 5, kTop + 20));
}

TEST_F(WavesPen, DisplaysDrawAtEverySize) {
    for (int size = 0; size < 4; ++size) {
        if (ed) ed->close();
        engine.reset();
        open(size);
        const double s = SCALE[size];
        add(new TArpScreen(CRect(0, 0, 400 * s, 160 * s), ed, size));
        add(new TXYScreen(CRect(0, 170 * s, 150 * s, 320 * s), 0, ed, size));
        auto* wave = add(new TWaveDisplay(CRect(160 * s, 170 * s, 560 * s, 320 * s), ed, size));
        engine->setParameter(tag::Xy1EditOn, 1.0f);
        engine->setSteppedValue(tag::Xy1RecordMode, TXYScreen::kReplay);
        frame->render();
        // The wave's middle line runs across the whole display.
        EXPECT_TRUE(near(pixel(CPoint(162 * s, 245 * s)), WAVE_COLOR, 40)) << size;
        wave->setPartial(true);
        frame->render();
    }
}
