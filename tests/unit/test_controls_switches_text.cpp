// Toggles, radio buttons, read-outs, labels and pictures off-screen: clicks, engine-side
// setters, the pictures and texts they draw, and the label's line limits.
#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TReadouts.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

const CColor kOff{200, 0, 0, 255};
const CColor kOn{0, 0, 200, 255};

CBitmap* twoStates() {
    auto* b = new CBitmap(20, 40, true);
    CDrawContext c(b->getNativeSurface());
    c.setFillColor(kOff);
    c.fillRect(CRect(0, 0, 20, 20));
    c.setFillColor(kOn);
    c.fillRect(CRect(0, 20, 20, 40));
    return b;
}

} // namespace

TEST_F(ControlsTest, TogglesFlipOnEveryClickAndRadioButtonsOnlySwitchOn) {
    open();
    CBitmap* strip = twoStates();
    auto* t = add(new TOnOff(CRect(10, 10, 30, 30), &rec, 10, strip, 0));
    auto* r = add(new TRadioButton(CRect(50, 10, 70, 30), &rec, strip, 300, 0));
    strip->forget();

    EXPECT_TRUE(near(pixel(CPoint(20, 20)), kOff));
    press(CPoint(20, 20), kLButton);
    release(CPoint(20, 20));
    EXPECT_FLOAT_EQ(t->getValue(), 1.0f);
    EXPECT_TRUE(near(pixel(CPoint(20, 20)), kOn));
    press(CPoint(20, 20), kRButton);
    EXPECT_FLOAT_EQ(t->getValue(), 0.0f);
    EXPECT_EQ(rec.values.size(), 2u);
    EXPECT_EQ(rec.begins, 2);
    EXPECT_EQ(rec.ends, 2);
    t->setInvisible(true);
    rec.values.clear();
    press(CPoint(20, 20), kLButton);
    EXPECT_TRUE(rec.values.empty());

    press(CPoint(60, 20), kLButton);
    EXPECT_FLOAT_EQ(r->getValue(), 1.0f);
    EXPECT_EQ(rec.values.size(), 1u);
    press(CPoint(60, 20), kLButton);
    EXPECT_FLOAT_EQ(r->getValue(), 1.0f);
    EXPECT_EQ(rec.values.size(), 1u);
    EXPECT_TRUE(near(pixel(CPoint(60, 20)), kOn));
    r->setOff();
    EXPECT_FLOAT_EQ(r->getValue(), 0.0f);
}

TEST_F(ControlsTest, ReadoutsShowTheEngineTextAndClickAsMomentaryButtons) {
    open();
    frame->setBackground(nullptr);
    frame->setBackgroundColor(kBlackCColor);
    auto* quiet = add(new TReadout(CRect(10, 10, 200, 30), &rec, "", true, false));
    auto* button = add(new TReadout(CRect(10, 40, 200, 60), &rec, "Go", true, true));
    char text[64] = "";
    engine->getParameterDisplay(10, text);
    quiet->setDirty(false);
    quiet->setString(text);
    EXPECT_TRUE(quiet->isDirty());
    quiet->setDirty(false);
    quiet->setString(text);
    EXPECT_FALSE(quiet->isDirty());
    frame->render();
    int lit = 0;
    for (int x = 10; x < 200; ++x)
        for (int y = 10; y < 30; ++y) lit += near(frame->getPixel(x, y), TEXT_COLOR, 60);
    EXPECT_GT(lit, 5);

    press(CPoint(50, 20), kLButton);
    EXPECT_TRUE(rec.values.empty());
    press(CPoint(50, 50), kLButton);
    release(CPoint(50, 50));
    ASSERT_EQ(rec.values.size(), 2u);
    EXPECT_FLOAT_EQ(rec.values[0], 1.0f);
    EXPECT_FLOAT_EQ(rec.values[1], 0.0f);
    EXPECT_EQ(button->getString(), "Go");
}

TEST_F(ControlsTest, LabelsBreakLinesDimAndCutOverlongText) {
    open();
    frame->setBackground(nullptr);
    frame->setBackgroundColor(kBlackCColor);
    const CColor red{255, 0, 0, 255};
    auto* l = add(new TLabel(CRect(10, 10, 110, 40), "A!B!C", LABEL_FONT_SIZES[0], red, 5));
    frame->render();
    EXPECT_EQ(l->getLineCount(), 3);
    // Each band of 10 pixels holds a red letter.
    for (int band = 0; band < 3; ++band) {
        int lit = 0;
        for (int x = 10; x < 110; ++x)
            for (int y = 10 + band * 10; y < 20 + band * 10; ++y)
                lit += frame->getPixel(x, y).red > 120;
        EXPECT_GT(lit, 0) << band;
    }
    l->setString("A!");
    frame->render();
    EXPECT_EQ(l->getLineCount(), 2);
    // Bypassed: the constructor's colour at alpha 63, even after a new colour.
    l->setColor(CColor{0, 255, 0, 255});
    l->setBypassed(true);
    l->setString("MMMM");
    frame->render();
    int maxRed = 0, maxGreen = 0;
    for (int x = 10; x < 110; ++x)
        for (int y = 10; y < 40; ++y) {
            maxRed = std::max<int>(maxRed, frame->getPixel(x, y).red);
            maxGreen = std::max<int>(maxGreen, frame->getPixel(x, y).green);
        }
    EXPECT_GT(maxRed, 30);
    EXPECT_LT(maxRed, 90);
    EXPECT_EQ(maxGreen, 0);

    // Beyond 20 lines of 255 bytes the text is cut, never inside a character.
    std::string many;
    for (int i = 0; i < 30; ++i) many += "x!";
    EXPECT_EQ(labelLines(many).size(), 20u);
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "\xC3\xA9"; // é
    const auto lines = labelLines(wide + "!ok");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 254u);
    EXPECT_EQ(lines[1], "ok");
}

TEST_F(ControlsTest, BitmapAlphaZeroHidesThePictureButKeepsTheView) {
    open();
    frame->setBackground(nullptr);
    frame->setBackgroundColor(kBlackCColor);
    CBitmap* pic = twoStates();
    auto* b = add(new TBitmap(CRect(10, 10, 30, 50), pic, nullptr));
    pic->forget();
    EXPECT_TRUE(near(pixel(CPoint(20, 15)), kOff));
    b->setAlpha(0);
    EXPECT_TRUE(near(pixel(CPoint(20, 15)), kBlackCColor));
    EXPECT_EQ(frame->getNbViews(), 1);
    EXPECT_EQ(b->getAlpha(), 0);
}
