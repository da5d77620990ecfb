// The skin pictures of one opening: made for the current screen size when the editor opens,
// released when it closes. The multi view's page backgrounds are made here once, so switching
// pages never decodes a picture again. Host user-interface thread.
#include "editor/ueditor.h"

using namespace VSTGUI;

namespace skin {
const int OPENING_IDS[kOpeningCount] = {
    10000, 10001, 10020, 10021, 10022, 10023, 10003, 10004, 10005, 10006, 10007, 10008,
    10030, 10031, 10032, 10033, 10034, 10040, 10041, 10042, 10043, 10044, 10045, 10046,
    10047, 10048, 10049, 10050, 10051, 10035, 10036, 10037, 10038, 10060, 10061, 10062,
    10063, 10054, 10055, 10056, 10057, 10016, 10014, 10015, 10017, 10052, 10053, 10064};
} // namespace skin

namespace {
// A picture that did not load counts as missing, so the factories make no control from it.
CBitmap* loadPicture(int resource) {
    auto* b = new CBitmap(resource);
    if (b->isLoaded()) return b;
    b->forget();
    return nullptr;
}
} // namespace

void uEditor::createBitmaps() {
    removeBitmaps();
    for (int i = 0; i < skin::kOpeningCount; ++i)
        skinBitmaps[i] = loadPicture(getScaledBitmap(skin::OPENING_IDS[i]));
    // The back side's background is made with the others, so showing the page decodes nothing.
    backSideBitmap = loadPicture(getScaledBitmap(skin::kBackSideBackground));
    // Page 0 shows the multi view's own background; the others are loaded now.
    for (int page = 1; page < skin::kPageCount; ++page)
        pageBitmaps[page] = loadPicture(getScaledBitmap(skin::MID_SCREEN_BITMAPS[page]));
}

void uEditor::removeBitmap(CBitmap*& bitmap) {
    if (!bitmap) return;
    bitmap->forget();
    bitmap = nullptr;
}

void uEditor::removeBitmaps() {
    for (CBitmap*& b : skinBitmaps) removeBitmap(b);
    for (CBitmap*& b : pageBitmaps) removeBitmap(b);
    removeBitmap(backSideBitmap);
}

CBitmap* uEditor::getSkinBitmap(int id) const {
    if (id == skin::kBackSideBackground) return backSideBitmap;
    for (int i = 0; i < skin::kOpeningCount; ++i)
        if (skin::OPENING_IDS[i] == id) return skinBitmaps[i];
    return nullptr;
}

CBitmap* uEditor::getPageBackground(int page) const {
    if (page < 0 || page >= skin::kPageCount) return nullptr;
    return page == 0 ? getSkinBitmap(skin::kMultiViewBackground) : pageBitmaps[page];
}

// Every control of every screen is released here once the frame and the containers have let
// go of it: the factory handed each one to the editor's list of owned views.
void uEditor::removeControls() {
    releaseOwnedViews();
}
