// The four displays drawn at every screen size: each leaves marks inside its own rectangle,
// and the EQ's column tables follow its width even past the widest layout.
#include "controls/displays/TEQDisplay.h"
#include "controls/displays/TGatorDisplay.h"
#include "controls/displays/TModScreen.h"
#include "controls/displays/TPathDisplay.h"
#include "engine/params/ParamTags.h"

#include "test_controls_rig.h"

using namespace controlstest;

namespace {

bool drawnIn(CFrame* frame, const CRect& r) {
    for (int y = static_cast<int>(r.top); y < r.bottom; ++y)
        for (int x = static_cast<int>(r.left); x < r.right; ++x)
            if (!near(frame->getPixel(x, y), kBlackCColor, 8)) return true;
    return false;
}

} // namespace

TEST_F(ControlsTest, DisplaysDrawAtEveryScreenSize) {
    for (int size = 0; size < 4; ++size) {
        if (ed) ed->close();
        open(size);
        frame->setBackground(nullptr);
        frame->setBackgroundColor(kBlackCColor);
        const float s = SCALE[size];
        const auto at = [s](double x, double y, double w, double h) {
            return CRect(x * s, y * s, (x + w) * s, (y + h) * s);
        };
        const CRect eqRect = at(0, 0, 286, 120), gateRect = at(0, 130, 160, 16);
        const CRect modRect = at(0, 150, 630, 130), pathRect = at(0, 290, 280, 120);
        // Wider than the widest layout: the tables follow the width.
        auto* wide = add(new TEQDisplay(CRect(0, 420 * s, 1100, 420 * s + 60), 1, ed));
        EXPECT_EQ(wide->columnCount(), 1101);
        add(new TEQDisplay(eqRect, 0, ed));
        auto* gate = add(new TGatorDisplay(gateRect, ed, tag::GaterLeft, false));
        gate->setValue(1.0f);
        add(new TModScreen(modRect, ed, size));
        add(new TPathDisplay(pathRect, ed, 0, size));
        frame->render();
        for (const CRect& r : {eqRect, gateRect, modRect, pathRect})
            EXPECT_TRUE(drawnIn(frame, r)) << "size " << size << " at " << r.top;
    }
}
