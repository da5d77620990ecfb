// Every control kind drawn at the four screen sizes: each is rendered to a PNG and must draw
// inside its rectangle and nowhere outside it.
#include "controls/FontTables.h"
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/TSlider.h"
#include "engine/params/ParamTags.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

bool isBlack(CColor c) {
    return c.red < 3 && c.green < 3 && c.blue < 3;
}

} // namespace

TEST_F(ControlsTest, EveryControlDrawsInsideItsRectangleAtEachScreenSize) {
    for (int size = 0; size < 4; ++size) {
        if (ed) ed->close();
        engine.reset();
        ed = nullptr;
        open(size);
        frame->setBackground(nullptr);
        frame->setBackgroundColor(kBlackCColor);
        const auto s = [&](int v) { return static_cast<CCoord>(ed->getScaled(v)); };
        std::vector<CRect> rects;
        // One row of 40 unscaled pixels per control, 10 pixels apart.
        const auto row = [&](int width, int height) {
            const CCoord top = s(10 + 50 * static_cast<int>(rects.size()));
            rects.emplace_back(s(20), top, s(20) + s(width), top + s(height));
            return rects.back();
        };
        CPoint offset;
        CRect r = row(40, 40);
        CBitmap* knobStrip =
            greyStrip(static_cast<int>(r.getWidth()), static_cast<int>(r.getHeight()), 143);
        auto* knob = add(new TKnob(r, &rec, 10, knobStrip, knobStrip, offset, 143));
        knob->setValue(0.7f);
        r = row(100, 20);
        CBitmap* hStrip =
            greyStrip(static_cast<int>(r.getWidth()), static_cast<int>(r.getHeight()), 52);
        add(new THSlider(r, &rec, 11, hStrip, offset, 52))->setValue(0.4f);
        r = row(20, 40);
        CBitmap* vStrip =
            greyStrip(static_cast<int>(r.getWidth()), static_cast<int>(r.getHeight()), 52, true);
        add(new TVSlider(r, &rec, 12, vStrip, offset, 52))->setValue(0.6f);
        const CBitmap* thumb = ed->getSkinBitmap(10062);
        ASSERT_NE(thumb, nullptr);
        r = row(200, 40);
        add(new TSlider(r, &rec, tag::RibbonValue, size, true))->setValue(0.8f);
        r = row(150, 20);
        auto* menu = add(new TOptionMenu(r, &rec, 9000 % 2048, nullptr, nullptr, 0, false));
        menu->setString("Menu text");
        r = row(150, 20);
        add(new TMenuButton(r, &rec, "SECTION", 3));
        CBitmap* sw = greyStrip(static_cast<int>(s(20)), static_cast<int>(s(10)), 2);
        r = row(20, 20);
        add(new TOnOff(r, &rec, 13, sw, 0));
        r = row(20, 20);
        add(new TRadioButton(r, &rec, sw, 300, 0))->setState(true);
        r = row(150, 20);
        add(new TReadout(r, &rec, "Read out", false, false));
        r = row(150, 20);
        add(new TReadoutString(r, &rec, "Version", false, false, false));
        r = row(150, 30);
        add(new TLabel(r, "TWO!LINES", LABEL_FONT_SIZES[size], CColor{255, 255, 255, 255}, 0));
        r = row(20, 20);
        add(new TBitmap(r, sw, nullptr));
        for (CBitmap* b : {knobStrip, hStrip, vStrip, sw}) b->forget();

        frame->render();
        ASSERT_TRUE(frame->writePNG(prefs.folder + "/controls" + std::to_string(size) + ".png"));
        for (size_t i = 0; i < rects.size(); ++i) {
            const CRect& c = rects[i];
            bool drawn = false;
            for (auto y = static_cast<int>(c.top); y < c.bottom && !drawn; ++y)
                for (auto x = static_cast<int>(c.left); x < c.right && !drawn; ++x)
                    drawn = !isBlack(frame->getPixel(x, y));
            EXPECT_TRUE(drawn) << "control " << i << " at size " << size;
            // A ring two pixels outside the rectangle stays untouched.
            for (auto x = static_cast<int>(c.left) - 2; x < c.right + 2; ++x) {
                EXPECT_TRUE(isBlack(frame->getPixel(x, static_cast<int>(c.top) - 2)))
                    << "control " << i << " at size " << size;
                EXPECT_TRUE(isBlack(frame->getPixel(x, static_cast<int>(c.bottom) + 1)))
                    << "control " << i << " at size " << size;
            }
            EXPECT_TRUE(isBlack(frame->getPixel(static_cast<int>(c.right) + 1,
                                                static_cast<int>(c.top + c.bottom) / 2)));
            EXPECT_TRUE(isBlack(frame->getPixel(static_cast<int>(c.left) - 2,
                                                static_cast<int>(c.top + c.bottom) / 2)));
        }
    }
}
