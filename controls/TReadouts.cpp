// Drawing and clicks of the read-outs, labels and pictures. User-interface thread.
#include "controls/TReadouts.h"

#include "controls/ControlContext.h"
#include "controls/DrawHelpers.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

using namespace VSTGUI;

namespace {

int32_t alignOf(bool centred) {
    return centred ? kCenterText : kLeftText;
}

// Cuts s to at most max bytes without splitting a UTF-8 sequence.
std::string cutUtf8(const std::string& s, size_t max) {
    if (s.size() <= max) return s;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}

// Momentary-button clicks of the clickable read-outs: 1 while pressed, 0 at the release.
CMouseEventResult pressReadout(CControl* control, bool clickable, const CButtonState& buttons) {
    if (!control->getMouseEnabled() || !buttons.isLeftButton() || !editorOf(control) || !clickable)
        return kDone;
    control->setValue(1.0f);
    control->setDirty(true);
    control->valueChanged();
    return kFollowed;
}

CMouseEventResult releaseReadout(CControl* control, const CButtonState& buttons) {
    if (buttons.isLeftButton()) {
        control->setValue(0.0f);
        control->setDirty(true);
        control->valueChanged();
    }
    return kFollowed;
}

} // namespace

std::vector<std::string> labelLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (static_cast<int>(lines.size()) < kMaxLabelLines) {
        const size_t bang = text.find('!', start);
        lines.push_back(cutUtf8(text.substr(start, bang - start), kMaxLabelLineBytes));
        if (bang == std::string::npos) break;
        start = bang + 1;
    }
    return lines;
}

TReadout::TReadout(const CRect& r, IControlListener* l, std::string t, bool centred, bool click)
    : CControl(r, l, ControlEditor::kNoTag), clickable(click), text(std::move(t)),
      textAlign(alignOf(centred)) {}

void TReadout::setString(std::string t) {
    if (t == text) return;
    text = std::move(t);
    setDirty(true);
}

void TReadout::draw(CDrawContext* context) {
    const ControlEditor* editor = editorOf(this);
    if (!mayDraw(this)) return;
    context->setFont(FONT_SIZES[editor->getBig()]);
    context->setFontColor(TEXT_COLOR);
    CRect box = size;
    // Even heights centre half a pixel low; one pixel up matches the skin's boxes.
    if (static_cast<int>(getHeight()) % 2 == 0) box.offset(0, -1);
    // A name longer than the box (a tuning, file or preset name) ends with "..." inside it.
    context->drawString(fittedText(context, text, box.getWidth() - 2), box,
                        static_cast<CHoriTxtAlign>(textAlign), true);
    setDirty(false);
}

CMouseEventResult TReadout::onMouseDown(CPoint&, const CButtonState& buttons) {
    return pressReadout(this, clickable, buttons);
}

CMouseEventResult TReadout::onMouseUp(CPoint&, const CButtonState& buttons) {
    return releaseReadout(this, buttons);
}

TReadoutString::TReadoutString(const CRect& r, IControlListener* l, std::string t, bool black,
                               bool centred, bool click)
    : CControl(r, l, ControlEditor::kNoTag), clickable(click), text(std::move(t)),
      colour(black ? kBlackCColor : kWhiteCColor), textAlign(alignOf(centred)) {}

void TReadoutString::setString(const std::string& t) {
    if (t == text) return;
    text = t;
    setDirty(true);
}

void TReadoutString::draw(CDrawContext* context) {
    if (!mayDraw(this)) return;
    context->setFont(kNormalFontVeryBig);
    context->setFontColor(colour);
    context->drawString(text, size, static_cast<CHoriTxtAlign>(textAlign), true);
    setDirty(false);
}

CMouseEventResult TReadoutString::onMouseDown(CPoint&, const CButtonState& buttons) {
    return pressReadout(this, clickable, buttons);
}

CMouseEventResult TReadoutString::onMouseUp(CPoint&, const CButtonState& buttons) {
    return releaseReadout(this, buttons);
}

TLabel::TLabel(const CRect& r, std::string t, CFontDesc* font, CColor c, int align)
    : CParamDisplay(r), text(std::move(t)), labelFont(font),
      colour(c), bypassedColour{c.red, c.green, c.blue, 63},
      textAlign(align == 2 ? kRightText : (align == 0 ? kLeftText : kCenterText)) {
    setTag(ControlEditor::kNoTag);
}

void TLabel::setString(const std::string& t) {
    if (t == text) return;
    text = t;
    setDirty(true);
}

void TLabel::setColor(CColor c) {
    if (c == colour) return;
    colour = c;
    setDirty(true);
}

void TLabel::setBypassed(bool b) {
    if (bypassed == b) return;
    bypassed = b;
    setDirty(true);
}

void TLabel::setInvisible(bool b) {
    if (invisible == b) return;
    invisible = b;
    setDirty(true);
}

void TLabel::draw(CDrawContext* context) {
    if (!mayDraw(this) || invisible) {
        setDirty(false);
        return;
    }
    const std::vector<std::string> lines = labelLines(text);
    lineCount = static_cast<int32_t>(lines.size());
    context->setFont(boldFont(labelFont));
    context->setFontColor(bypassed ? bypassedColour : colour);
    const CCoord band = getHeight() / lineCount;
    for (int k = 0; k < lineCount; ++k) {
        const CRect box(size.left, size.top + k * band, size.right, size.top + (k + 1) * band);
        context->drawString(lines[static_cast<size_t>(k)], box,
                            static_cast<CHoriTxtAlign>(textAlign), true);
    }
    setDirty(false);
}

TBitmap::TBitmap(const CRect& r, CBitmap* bitmap, IControlListener* l)
    : CControl(r, l, ControlEditor::kNoTag, bitmap) {}

void TBitmap::setAlpha(int a) {
    if (a == bitmapAlpha) return;
    bitmapAlpha = a;
    setDirty(true);
}

void TBitmap::draw(CDrawContext* context) {
    if (mayDraw(this) && background)
        background->draw(context, size, CPoint(), static_cast<float>(bitmapAlpha) / 255.0f);
    setDirty(false);
}
