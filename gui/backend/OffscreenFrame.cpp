// The off-screen back end: the frame lives in its back buffer only; events are synthetic. A
// menu pop-up is drawn over the frame's image by the frame itself, and a message window is
// only kept (tests read its text and close it). Tests use it without a display.
// User-interface thread only.
#include "gui/backend/Backend.h"

namespace VSTGUI::backend {

namespace {

class OffscreenFrame : public IPlatformFrame {
public:
    explicit OffscreenFrame(CFrame* f) : frame(f) {}

    void present(const CRect&) override {}
    void pumpEvents() override {}
    void resize(int, int) override {}

    void openMenuPopup(MenuPopup& popup, const CRect& anchor) override {
        popup.open(frame->getViewSize(), anchor);
    }
    void updateMenuPopup() override {}
    void closeMenuPopup() override {}
    bool drawsMenuPopupInFrame() const override { return true; }
    void openMessageWindow(MessageWindow&) override {}
    void closeMessageWindow() override {}

private:
    CFrame* frame;
};

} // namespace

std::unique_ptr<IPlatformFrame> createOffscreenFrame(CFrame* frame) {
    return std::make_unique<OffscreenFrame>(frame);
}

} // namespace VSTGUI::backend
