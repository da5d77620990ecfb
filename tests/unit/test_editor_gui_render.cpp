// Off-screen drawing of a view tree: pictures with offsets and alpha, containers with local
// coordinates and clipping, text, the dirty redraw of the idle pass, and PNG output.
#include "GuiTestSupport.h"
#include "TestFolders.h"
#include "gui/CControl.h"

#include <gtest/gtest.h>

using namespace VSTGUI;
using guitest::near;

namespace {
const CColor kRed{255, 0, 0, 255};
const CColor kGreen{0, 255, 0, 255};
const CColor kBlue{0, 0, 255, 255};
const CColor kYellow{255, 255, 0, 255};
} // namespace

TEST(GuiRender, TreeOfViewsWithBitmapsAlphaAndTextRendersToMatchingPixels) {
    CFrame* frame = guitest::offscreenFrame(200, 120);
    auto* panel = new CViewContainer(CRect(50, 20, 150, 100));
    panel->setBackgroundColor(kBlue);
    guitest::attach(frame, panel);

    // A picture at (10, 10) inside the container lands at (60, 30) on the frame.
    CBitmap* red = guitest::solidBitmap(20, 20, kRed, kRed);
    auto* picture = new CView(CRect(10, 10, 30, 30));
    picture->setBackground(red);
    guitest::attach(panel, picture);

    // A two-state switch shows its lower half when on.
    CBitmap* states = guitest::solidBitmap(10, 20, kGreen, kYellow);
    auto* off = new COnOffButton(CRect(40, 10, 50, 20), nullptr, 1, states);
    auto* on = new COnOffButton(CRect(60, 10, 70, 20), nullptr, 2, states);
    on->setValue(1.0f);
    guitest::attach(panel, off);
    guitest::attach(panel, on);

    // Half-transparent red over the blue container.
    auto* faded = new CView(CRect(10, 40, 30, 60));
    faded->setBackground(red);
    faded->setAlphaValue(0.5f);
    guitest::attach(panel, faded);

    // A child that sticks out of its container is clipped to it.
    auto* overhang = new CView(CRect(90, 60, 130, 100));
    overhang->setBackground(guitest::solidBitmap(40, 40, kGreen, kGreen));
    overhang->getBackground()->forget();
    guitest::attach(panel, overhang);

    auto* text = new CParamDisplay(CRect(0, 100, 200, 120));
    text->setBackColor(kBlackCColor);
    text->setFontColor(kWhiteCColor);
    text->setText("MMMMMMMM");
    guitest::attach(frame, text);

    frame->render();
    EXPECT_TRUE(near(frame->getPixel(60, 30), kRed));
    EXPECT_TRUE(near(frame->getPixel(79, 49), kRed));
    EXPECT_TRUE(near(frame->getPixel(80, 50), kBlue));
    EXPECT_TRUE(near(frame->getPixel(95, 35), kGreen));
    EXPECT_TRUE(near(frame->getPixel(115, 35), kYellow));
    EXPECT_TRUE(near(frame->getPixel(65, 70), CColor(128, 0, 128, 255), 3));
    EXPECT_TRUE(near(frame->getPixel(145, 85), kGreen));
    EXPECT_FALSE(near(frame->getPixel(155, 85), kGreen)); // outside the container: clipped
    // The text leaves light pixels inside its box and none outside it.
    int lit = 0;
    for (int x = 60; x < 140; ++x)
        for (int y = 100; y < 120; ++y) lit += frame->getPixel(x, y).red > 128;
    EXPECT_GT(lit, 20);
    EXPECT_TRUE(near(frame->getPixel(2, 102), kBlackCColor));

    // A change shows only after the idle pass redraws the dirty view.
    off->setValue(1.0f);
    EXPECT_TRUE(near(frame->getPixel(95, 35), kGreen));
    frame->idle(1000);
    EXPECT_TRUE(near(frame->getPixel(95, 35), kYellow));

    red->forget();
    states->forget();
    // The frame lets go of its views; the ones only it kept are released with it.
    frame->forget();
}

// Counts its draws, to see which views a redraw reaches.
class CountingView : public CView {
public:
    using CView::CView;
    void draw(CDrawContext* context) override {
        ++draws;
        CView::draw(context);
    }
    int draws = 0;
};

TEST(GuiRender, TheIdlePassRedrawsOnlyTheDirtyViewsNotTheBoxAroundThem) {
    CFrame* frame = guitest::offscreenFrame(400, 300);
    CBitmap* red = guitest::solidBitmap(20, 20, kRed, kRed);
    CBitmap* green = guitest::solidBitmap(20, 20, kGreen, kGreen);
    auto* topLeft = guitest::attach(frame, new CountingView(CRect(0, 0, 20, 20)));
    auto* middle = guitest::attach(frame, new CountingView(CRect(190, 140, 210, 160)));
    auto* bottomRight = guitest::attach(frame, new CountingView(CRect(380, 280, 400, 300)));
    // Two views overlapping each other, dirtied together: one redraw covers both.
    auto* under = guitest::attach(frame, new CountingView(CRect(300, 20, 340, 60)));
    auto* over = guitest::attach(frame, new CountingView(CRect(320, 40, 360, 80)));
    for (CountingView* v : {topLeft, middle, bottomRight, under, over}) v->setBackground(red);
    frame->render();
    const int middleDraws = middle->draws;

    // Two small views in opposite corners change: the view between them is not drawn again,
    // and both changes show.
    topLeft->setBackground(green);
    bottomRight->setBackground(green);
    topLeft->setDirty(true);
    bottomRight->setDirty(true);
    frame->idle(1000);
    EXPECT_EQ(middle->draws, middleDraws);
    EXPECT_TRUE(near(frame->getPixel(10, 10), kGreen));
    EXPECT_TRUE(near(frame->getPixel(390, 290), kGreen));
    EXPECT_TRUE(near(frame->getPixel(200, 150), kRed));

    // Overlapping changes draw the upper view last, as a whole redraw does.
    under->setBackground(green);
    under->setDirty(true);
    over->setDirty(true);
    frame->invalidRect(CRect(0, 290, 10, 300));
    frame->idle(1100);
    EXPECT_TRUE(near(frame->getPixel(330, 50), kRed));
    EXPECT_TRUE(near(frame->getPixel(305, 25), kGreen));
    EXPECT_EQ(middle->draws, middleDraws);

    // Many scattered changes beyond what the frame keeps apart still all show.
    for (int i = 0; i < 12; ++i) frame->invalidRect(CRect(i * 30, 200, i * 30 + 5, 205));
    middle->setBackground(green);
    middle->setDirty(true);
    frame->idle(1200);
    EXPECT_TRUE(near(frame->getPixel(200, 150), kGreen));

    red->forget();
    green->forget();
    frame->forget();
}

TEST(GuiRender, NumberedBitmapsComeFromTheInstalledResourceProvider) {
    static std::string asked;
    static std::string png;
    {
        CFrame* frame = guitest::offscreenFrame(4, 2);
        const std::string folder = makeTempFolder("zek2gui");
        frame->writePNG(folder + "/p.png");
        png = readWhole(folder + "/p.png");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        frame->forget();
    }
    setBitmapResourceProvider(
        [](const char* name, const char* type, const uint8_t** data, size_t* size) {
            asked = std::string(name) + "." + type;
            if (std::string(name) == "bmp10064") {
                *data = reinterpret_cast<const uint8_t*>(png.data());
                *size = png.size();
                return true;
            }
            if (std::string(name) == "bmp10065") { // a corrupt resource
                static const uint8_t junk[16] = {0x89, 'P', 'N', 'G', 1, 2, 3};
                *data = junk;
                *size = sizeof junk;
                return true;
            }
            return false;
        });
    auto* found = new CBitmap(10064);
    EXPECT_EQ(asked, "bmp10064.png");
    EXPECT_TRUE(found->isLoaded());
    EXPECT_EQ(found->getWidth(), 4);
    auto* missing = new CBitmap(123);
    EXPECT_EQ(asked, "bmp00123.png");
    EXPECT_FALSE(missing->isLoaded());
    auto* corrupt = new CBitmap(10065);
    EXPECT_FALSE(corrupt->isLoaded());
    EXPECT_EQ(corrupt->getWidth(), 0);
    found->forget();
    missing->forget();
    corrupt->forget();
    setBitmapResourceProvider(nullptr);
}
