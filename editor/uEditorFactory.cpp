// The control factory: every control of every screen is made here at the chosen screen scale,
// with its skin pictures, its caption and its entry in the registry. The layout builders call
// it at each opening with coordinates already scaled. Host user-interface thread.
#include "editor/ueditor.h"

#include "controls/FontTables.h"
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"

#include <algorithm>

using namespace VSTGUI;

namespace {

// Skin pictures of the factory, ids at 100 percent.
constexpr int kKnob1First = 10030, kKnob1Second = 10031;
constexpr int kKnob34First = 10032, kKnob3Second = 10033, kKnob4Second = 10034;
constexpr int kVSliderStrip = 10035, kHSliderStrip = 10036;
constexpr int kBigVSliderStrip = 10037, kBigHSliderStrip = 10038;
constexpr int kSwitchPicture = 10044;
constexpr int kKnobFrames = 143;
constexpr int kSliderFrames = 52, kBigVSliderFrames = 62, kBigHSliderFrames = 72;
constexpr int kMenuStyle = 256;
constexpr CColor kBlack{0, 0, 0, 255};

// Per-size nudges of the captions, in pixels. A caption below a switch or a slider starts low
// enough that its letters keep a clear pixel under the lamp or the slider's thumb.
constexpr int SIDE_DX[4] = {0, 2, 0, 1};
constexpr int SIDE_DY[4] = {0, 1, 0, 1};
constexpr int BELOW_DY[4] = {-2, -3, -5, -6};
constexpr int KICK_SIDE_DY[4] = {-1, 1, 0, 1};
constexpr int KICK_BELOW_DY[4] = {-1, 0, 0, 2};
constexpr int MENU_BELOW_DY[4] = {3, 3, 3, 4};
constexpr int SLIDER_BELOW_DY[4] = {0, -1, -2, -2};

// The left edge of a caption right-aligned before a control at x: where the nudges put it, but
// never so far right that its last letter touches the control (the pictures' ink reaches their
// edges), so its box ends a pixel before x.
int sideCaptionLeft(int x, int width, int nudged) {
    return std::min(nudged, x - 1 - width);
}

enum Align { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

CRect box(int x, int y, int w, int h) {
    return CRect(x, y, x + w, y + h);
}

// A caption with a line break ("!") is two lines high.
int captionHeight(const std::string& text, int h) {
    return text.find('!') != std::string::npos ? 2 * h : h;
}

} // namespace

void uEditor::own(CView* view) {
    if (view) ownedViews.push_back(view);
}

void uEditor::setHoverName(CView* view, const char* name) {
    if (!view || !name || hoverCount >= kMaxHoverNames) return;
    hoverViews[hoverCount] = view;
    hoverTexts[hoverCount] = name;
    ++hoverCount;
}

void uEditor::createLabel(TLabel*& label, int x, int y, int w, int h, const std::string& text,
                          CFontDesc* font, CColor colour, int align) {
    label = new TLabel(box(x, y, w, h), text, font, colour, align);
    own(label);
    addControl(label, kKindLabel);
}

// Rule A: switches and radios. Side 0 puts the caption centred below, any other side
// right-aligned to the left.
static void placeSwitchCaption(uEditor& ed, CControl* c, CBitmap* bmp, TLabel*& label,
                               const std::string& text, int side, int width, int dx) {
    const int i = ed.getBig();
    const int x = static_cast<int>(c->getViewSize().left);
    const int y = static_cast<int>(c->getViewSize().top);
    const double half = bmp->getHeight() / 2.0;
    const int h2 = captionHeight(text, static_cast<int>(half));
    if (side != 0)
        ed.createLabel(label, sideCaptionLeft(x, width, x - width + dx + SIDE_DX[i]),
                       y + SIDE_DY[i], width, h2, text, LABEL_FONT_SIZES[i], LABEL_COLOR,
                       kAlignRight);
    else
        ed.createLabel(label, x - width, static_cast<int>(y + half + BELOW_DY[i]),
                       static_cast<int>(bmp->getWidth() + 2 * width), h2, text, LABEL_FONT_SIZES[i],
                       LABEL_COLOR, kAlignCentre);
}

void uEditor::createOnOff(TOnOff*& c, int tag, int x, int y, CBitmap* bmp) {
    if (!bmp) return;
    const int w = static_cast<int>(bmp->getWidth());
    const int h = static_cast<int>(bmp->getHeight() / 2);
    c = new TOnOff(box(x, y, w, h), this, tag, bmp, 0);
    own(c);
    addControl(c, kKindOnOff);
}

void uEditor::createOnOff(TOnOff*& c, int tag, int x, int y) {
    createOnOff(c, tag, x, y, picture(kSwitchPicture));
}

void uEditor::createOnOff(TOnOff*& c, int tag, int x, int y, TLabel*& label,
                          const std::string& text, int side, int width, int dx) {
    createOnOff(c, tag, x, y, picture(kSwitchPicture), label, text, side, width, dx);
}

void uEditor::createOnOff(TOnOff*& c, int tag, int x, int y, CBitmap* bmp, TLabel*& label,
                          const std::string& text, int side, int width, int dx) {
    if (!bmp) return;
    createOnOff(c, tag, x, y, bmp);
    placeSwitchCaption(*this, c, bmp, label, text, side, width, dx);
    setCaption(c, label);
}

void uEditor::createKickButton(CKickButton*& c, int x, int y, int tag, CBitmap* bmp) {
    if (!bmp) return;
    const int w = static_cast<int>(bmp->getWidth());
    const int h = static_cast<int>(bmp->getHeight() / 2);
    c = new CKickButton(box(x, y, w, h), this, tag, bmp, CPoint(0, 0));
    own(c);
    addControl(c, kKindButton);
}

void uEditor::createKickButton(CKickButton*& c, int x, int y, CBitmap* bmp) {
    createKickButton(c, x, y, kNoTag, bmp);
}

void uEditor::createKickButtonArea(CKickButton*& c, int x, int y, int w, int h) {
    c = new CKickButton(box(x, y, w, h), this, kNoTag, nullptr, CPoint(0, 0));
    own(c);
    addControl(c, kKindButton);
}

// Rule B: the caption width is scaled here, and a caption to the left is black.
void uEditor::createKickButtonLabel(CKickButton*& c, int x, int y, CBitmap* bmp, TLabel*& label,
                                    const std::string& text, int side, int width) {
    if (!bmp) return;
    createKickButton(c, x, y, bmp);
    const int i = getBig();
    const int w = getScaled(width);
    const double half = bmp->getHeight() / 2.0;
    const int h2 = captionHeight(text, static_cast<int>(half));
    if (side != 0)
        createLabel(label, sideCaptionLeft(x, w, x - w + SIDE_DX[i]), y + KICK_SIDE_DY[i], w, h2,
                    text, LABEL_FONT_SIZES[i], kBlack, kAlignRight);
    else
        createLabel(label, x - w, static_cast<int>(y + half + KICK_BELOW_DY[i]),
                    static_cast<int>(bmp->getWidth() + 2 * w), h2, text, LABEL_FONT_SIZES[i],
                    LABEL_COLOR, kAlignCentre);
    setCaption(c, label);
}

void uEditor::createRadio(TRadioButton*& c, int x, int y, int group) {
    CBitmap* bmp = picture(kSwitchPicture);
    if (!bmp) return;
    const int w = static_cast<int>(bmp->getWidth());
    const int h = static_cast<int>(bmp->getHeight() / 2);
    c = new TRadioButton(box(x, y, w, h), this, bmp, group, 0);
    own(c);
    addControl(c, kKindButton);
}

void uEditor::createRadioLabel(TRadioButton*& c, int x, int y, int group, TLabel*& label,
                               const std::string& text, int side, int width, int dx) {
    CBitmap* bmp = picture(kSwitchPicture);
    if (!bmp) return;
    createRadio(c, x, y, group);
    placeSwitchCaption(*this, c, bmp, label, text, side, width, dx);
    setCaption(c, label);
}

void uEditor::createKnob(TKnob*& c, int tag, int x, int y, int style) {
    CBitmap* first = nullptr;
    CBitmap* second = nullptr;
    switch (style) {
    case 1:
        first = picture(kKnob1First), second = picture(kKnob1Second);
        break;
    case 3:
        first = picture(kKnob34First), second = picture(kKnob3Second);
        break;
    case 4:
        first = picture(kKnob34First), second = picture(kKnob4Second);
        break;
    default:
        return; // the layouts use styles 1, 3 and 4 only
    }
    if (!first || !second) return;
    const int w = static_cast<int>(second->getWidth());
    const int h = static_cast<int>(second->getHeight() / kKnobFrames);
    CPoint offset(0, 0);
    c = new TKnob(box(x, y, w, h), this, tag, first, second, offset, kKnobFrames);
    own(c);
    addControl(c, kKindKnob);
}

// Rule C: the caption centred below the knob, widened by `width` on each side.
void uEditor::createKnobLabel(TKnob*& c, int tag, int x, int y, int style, TLabel*& label,
                              const std::string& text, int width) {
    TKnob* made = nullptr;
    createKnob(made, tag, x, y, style);
    if (!made) return;
    c = made;
    const int w = static_cast<int>(c->getWidth());
    const int h = static_cast<int>(c->getHeight());
    createLabel(label, x - width, y + h + getScaled(-2), w + 2 * width,
                captionHeight(text, getScaled(9)), text, LABEL_FONT_SIZES[getBig()], LABEL_COLOR,
                kAlignCentre);
    setCaption(c, label);
}

void uEditor::createReadout(TReadout*& c, int x, int y, int w, int h, const std::string& text,
                            bool centred, bool clickable) {
    c = new TReadout(box(x, y, w, h), this, text, centred, clickable);
    own(c);
    addControl(c, kKindButton);
}

namespace {
// Horizontal strips stack their frames; vertical ones put them side by side.
template <class S>
S* makeSlider(uEditor* ed, CBitmap* strip, int tag, int x, int y, int frames, bool stacked) {
    const int w = static_cast<int>(stacked ? strip->getWidth() : strip->getWidth() / frames);
    const int h = static_cast<int>(stacked ? strip->getHeight() / frames : strip->getHeight());
    CPoint offset(0, 0);
    return new S(box(x, y, w, h), ed, tag, strip, offset, frames);
}
} // namespace

void uEditor::createHSlider(THSlider*& c, int tag, int x, int y) {
    CBitmap* strip = picture(kHSliderStrip);
    if (!strip) return;
    c = makeSlider<THSlider>(this, strip, tag, x, y, kSliderFrames, true);
    own(c);
    addControl(c, kKindSlider);
}

void uEditor::createBigHSlider(THSlider*& c, int tag, int x, int y) {
    CBitmap* strip = picture(kBigHSliderStrip);
    if (!strip) return;
    c = makeSlider<THSlider>(this, strip, tag, x, y, kBigHSliderFrames, true);
    own(c);
    addControl(c, kKindSlider);
}

void uEditor::createVSlider(TVSlider*& c, int tag, int x, int y) {
    CBitmap* strip = picture(kVSliderStrip);
    if (!strip) return;
    c = makeSlider<TVSlider>(this, strip, tag, x, y, kSliderFrames, false);
    own(c);
    addControl(c, kKindSlider);
}

void uEditor::createBigVSlider(TVSlider*& c, int tag, int x, int y) {
    CBitmap* strip = picture(kBigVSliderStrip);
    if (!strip) return;
    c = makeSlider<TVSlider>(this, strip, tag, x, y, kBigVSliderFrames, false);
    own(c);
    addControl(c, kKindSlider);
}

// Rule D: centred below the slider, never doubled.
static void placeSliderCaption(uEditor& ed, THSlider* c, TLabel*& label, const std::string& text,
                               int width) {
    const int x = static_cast<int>(c->getViewSize().left);
    const int y = static_cast<int>(c->getViewSize().top);
    ed.createLabel(label, x - width,
                   static_cast<int>(y + c->getHeight() + SLIDER_BELOW_DY[ed.getBig()]),
                   static_cast<int>(c->getWidth() + 2 * width), ed.getScaled(10), text,
                   LABEL_FONT_SIZES[ed.getBig()], LABEL_COLOR, 1);
}

void uEditor::createHSliderLabel(THSlider*& c, int tag, int x, int y, TLabel*& label,
                                 const std::string& text, int width) {
    THSlider* made = nullptr;
    createHSlider(made, tag, x, y);
    if (!made) return;
    c = made;
    placeSliderCaption(*this, c, label, text, width);
    setCaption(c, label);
}

void uEditor::createBigHSliderLabel(THSlider*& c, int tag, int x, int y, TLabel*& label,
                                    const std::string& text, int width) {
    THSlider* made = nullptr;
    createBigHSlider(made, tag, x, y);
    if (!made) return;
    c = made;
    placeSliderCaption(*this, c, label, text, width);
    setCaption(c, label);
}

void uEditor::createMenu(TOptionMenu*& c, int tag, int x, int y, int w, int h, int count,
                         const char* const* titles, bool centred, bool arrows) {
    c = new TOptionMenu(box(x, y, w, h), this, tag, nullptr, nullptr, kMenuStyle, centred);
    for (int i = 0; titles && i < count; ++i) c->addEntry(titles[i] ? titles[i] : "", -1, 0);
    if (arrows) c->hasDelta();
    own(c);
    addControl(c, kKindMenu);
}

// Rule E: side 1 above, side 0 below, any other side to the left.
void uEditor::createMenuLabel(TOptionMenu*& c, int tag, int x, int y, int w, int h, int count,
                              const char* const* titles, bool centred, bool arrows, TLabel*& label,
                              const std::string& text, int side, int width) {
    createMenu(c, tag, x, y, w, h, count, titles, centred, arrows);
    const int i = getBig();
    const int ch = captionHeight(text, getScaled(8));
    CFontDesc* font = LABEL_FONT_SIZES[i];
    if (side == 1)
        createLabel(label, x - width, y - getScaled(15), w + 2 * width, ch, text, font, LABEL_COLOR,
                    kAlignCentre);
    else if (side == 0)
        createLabel(label, x - width, y + h + MENU_BELOW_DY[i], w + 2 * width, ch, text, font,
                    LABEL_COLOR, kAlignCentre);
    else
        createLabel(label, x - (getScaled(5) + width), y + getScaled(4), width, ch, text, font,
                    LABEL_COLOR, kAlignLeft);
    setCaption(c, label);
}

void uEditor::createMenuButton(TMenuButton*& c, int id, int x, int y, int w, int h,
                               const std::string& caption) {
    c = new TMenuButton(box(x, y, w, h), this, caption, id);
    own(c);
    addControl(c, kKindButton);
}
