// The off-screen back end: the frame lives in its back buffer only; events are synthetic and a
// menu pop-up is drawn over the frame's image while a scripted driver feeds it. Tests use it
// without a display. User-interface thread only.
#include "gui/CDrawContext.h"
#include "gui/backend/Backend.h"

namespace VSTGUI::backend {

namespace {

constexpr int kMaxDriverSteps = 10000;

class OffscreenFrame : public IPlatformFrame {
public:
    explicit OffscreenFrame(CFrame* f) : frame(f) {}

    void present(const CRect&) override {}
    void pumpEvents() override {}
    void resize(int, int) override {}

    bool runMenuPopup(MenuPopup& popup, const CRect& anchor) override {
        popup.open(frame->getViewSize(), anchor);
        void* image = frame->getBackBuffer();
        const int w = static_cast<int>(frame->getWidth()), h = static_cast<int>(frame->getHeight());
        void* saved = createBackBuffer(w, h);
        if (!saved) return false;
        copyImage(image, saved);
        const CFrame::MenuDriver& driver = frame->getMenuDriver();
        for (int step = 0; step < kMaxDriverSteps && !popup.isDone(); ++step) {
            copyImage(saved, image);
            drawPanels(popup, image);
            if (!driver || !driver(popup)) popup.cancel();
        }
        copyImage(saved, image);
        destroyBackBuffer(saved);
        return popup.isChosen();
    }

private:
    static void drawPanels(const MenuPopup& popup, void* image) {
        CDrawContext context(image);
        for (int32_t i = 0; i < popup.getNbLevels(); ++i) {
            const CRect& r = popup.getLevel(i).rect;
            context.saveGlobalState();
            context.setOffset(r.getTopLeft());
            context.setClipRect(CRect(0, 0, r.getWidth(), r.getHeight()));
            popup.drawLevel(&context, i);
            context.restoreGlobalState();
        }
    }

    CFrame* frame;
};

} // namespace

std::unique_ptr<IPlatformFrame> createOffscreenFrame(CFrame* frame) {
    return std::make_unique<OffscreenFrame>(frame);
}

} // namespace VSTGUI::backend
