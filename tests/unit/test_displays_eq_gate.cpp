// The EQ curve and gate pattern displays off-screen: band drags by the display's mapping, the
// drawn peak at the band's frequency, gate steps toggled, filled and cleared by clicks.
#include "controls/displays/TEQDisplay.h"
#include "controls/displays/TGatorDisplay.h"
#include "engine/params/ParamTags.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

// 300 x 150 pixels at (100, 100): x' = (x - 100) / 300, y' = (y - 100) / 150.
const CRect kEQRect(100, 100, 400, 250);

} // namespace

TEST_F(ControlsTest, EQDragMovesFrequencyAndGainAndShiftSetsBandwidth) {
    open();
    auto* eq = add(new TEQDisplay(kEQRect, 0, ed));
    for (int b = 0; b < 3; ++b)
        engine->setParameter(TEQDisplay::EQ_BAND_FREQ_TAGS[0][b], 0.2f + 0.3f * b);
    // The press picks the band nearest in frequency (band 2 at 0.5) and its dot follows.
    EXPECT_EQ(press(CPoint(245, 130), kLButton), kFollowed);
    EXPECT_EQ(eq->getCurBand(), 1);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Freq), 145.0 / 300, 1e-5);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Gain), 1 - 30.0 / 150, 1e-5);
    move(CPoint(280, 175), kLButton);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Freq), 0.6, 1e-5);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Gain), 0.5, 1e-5);
    // Shift: bandwidth = 3 x the distance from the band's frequency, frequency and gain kept.
    move(CPoint(310, 120), kLButton | kShift);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Bw), 0.3, 1e-4);
    EXPECT_NEAR(engine->getParameter(tag::PreEqBand2Freq), 0.6, 1e-5);
    // Past the edges the band is pinned to the ends of its ranges.
    move(CPoint(900, -50), kLButton);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand2Freq), 1.0f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand2Gain), 1.0f);
    release(CPoint(900, -50));
    EXPECT_EQ(eq->getCurBand(), -1);
    // The press pushed an undo level of the EQ section first.
    ed->undoSection(17);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand2Freq), 0.5f);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand1Freq), 0.2f);

    // Bypassed, a press edits nothing; the post EQ edits its own tags.
    eq->setBypassed(true);
    EXPECT_EQ(press(CPoint(130, 200), kLButton), kDone);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand1Freq), 0.2f);
    eq->setBypassed(false);
    eq->setEQ(1);
    press(CPoint(130, 200), kLButton);
    release(CPoint(130, 200));
    EXPECT_NEAR(engine->getParameter(tag::PostEqBand1Freq), 0.1, 1e-5);
    EXPECT_FLOAT_EQ(engine->getParameter(tag::PreEqBand1Freq), 0.2f);
}

TEST_F(ControlsTest, EQCurvePeaksAtTheBandFrequencyAndFlatBandsStayOnTheZeroLine) {
    open();
    frame->setBackground(nullptr);
    frame->setBackgroundColor(kBlackCColor);
    auto* eq = add(new TEQDisplay(kEQRect, 0, ed));
    const int freq[3] = {tag::PreEqBand1Freq, tag::PreEqBand2Freq, tag::PreEqBand3Freq};
    const int gain[3] = {tag::PreEqBand1Gain, tag::PreEqBand2Gain, tag::PreEqBand3Gain};
    for (int b = 0; b < 3; ++b) {
        engine->setParameter(freq[b], 0.2f + 0.3f * b);
        engine->setParameter(gain[b], 0.5f);
    }
    engine->setParameter(tag::PreEqBand2Bw, 0.3f);
    engine->setParameter(gain[1], 0.9f); // +16 dB
    eq->updateCoefficients();
    for (int x : {0, 100, 299}) EXPECT_EQ(eq->response(0, x), 0.0);
    int peak = 0;
    for (int x = 0; x < 300; ++x)
        if (eq->response(1, x) > eq->response(1, peak)) peak = x;
    EXPECT_NEAR(peak, 150, 1);
    EXPECT_NEAR(eq->response(1, peak), 0.8, 0.01); // 16 dB in 20 dB units

    // On screen the topmost pixel of the second band's colour sits above its frequency.
    int topX = -1, topY = 1000;
    frame->render();
    for (int y = 100; y < 250 && topX < 0; ++y)
        for (int x = 100; x < 400; ++x)
            if (near(frame->getPixel(x, y), CColor(14, 172, 255), 30)) {
                topX = x, topY = y;
                break;
            }
    EXPECT_NEAR(topX, 250, 8);
    EXPECT_NEAR(topY, 100 + 150 * 0.1, 6);
}

TEST_F(ControlsTest, GateStepsToggleShiftFillsAltClearsAndAnOffGaterIgnoresClicks) {
    open();
    // 160 pixels for 16 steps: step i spans x = 100 + 10i .. 100 + 10i + 9.
    auto* g = add(new TGatorDisplay(CRect(100, 100, 260, 120), &rec, tag::GaterLeft, false));
    g->setValue(0.0f);
    press(CPoint(125, 110), kLButton);
    EXPECT_EQ(TGatorDisplay::maskOf(g->getValue()), 1 << 2);
    press(CPoint(259, 110), kLButton);
    EXPECT_EQ(TGatorDisplay::maskOf(g->getValue()), (1 << 2) | (1 << 15));
    press(CPoint(125, 110), kLButton);
    EXPECT_EQ(g->getValue(), TGatorDisplay::valueOf(1 << 15));
    press(CPoint(150, 110), kLButton | kShift);
    EXPECT_EQ(TGatorDisplay::maskOf(g->getValue()), 0xffff);
    const size_t heard = rec.values.size();
    press(CPoint(150, 110), kLButton | kShift | kAlt); // no such gesture
    press(CPoint(150, 110), kLButton | kApple);        // the menu
    EXPECT_EQ(rec.values.size(), heard);
    press(CPoint(150, 110), kLButton | kAlt);
    EXPECT_EQ(g->getValue(), 0.0f);
    press(CPoint(150, 110), kLButton | kControl);
    EXPECT_EQ(g->getValue(), engine->getDefaultValue(tag::GaterLeft));
    EXPECT_EQ(rec.values.size(), heard + 2);

    g->setOn(false);
    press(CPoint(105, 110), kLButton);
    EXPECT_EQ(rec.values.size(), heard + 2);

    // Vertical: steps stacked top to bottom; the step count only limits what is drawn.
    auto* v = add(new TGatorDisplay(CRect(300, 100, 320, 260), &rec, tag::GaterRight, true));
    v->setValue(0.0f);
    v->setSteps(0.0f);
    EXPECT_EQ(v->getSteps(), 1);
    press(CPoint(310, 255), kLButton);
    EXPECT_EQ(TGatorDisplay::maskOf(v->getValue()), 1 << 15);
    EXPECT_EQ(TGatorDisplay::maskOf(TGatorDisplay::valueOf(5)), 5);

    // With the editor listening the pattern reaches the engine.
    auto* e = add(new TGatorDisplay(CRect(100, 300, 260, 320), ed, tag::GaterRight, false));
    e->setValue(TGatorDisplay::valueOf(0));
    press(CPoint(105, 310), kLButton);
    EXPECT_EQ(TGatorDisplay::maskOf(engine->getParameter(tag::GaterRight)), 1);
}
