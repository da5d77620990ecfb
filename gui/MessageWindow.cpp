// Layout, drawing and the "OK" button of a message window; independent of the window system.
// User-interface thread only.
#include "gui/MessageWindow.h"

#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {
constexpr CCoord kMaxTextWidth = 420;
constexpr CCoord kPad = 16;
constexpr CCoord kButtonWidth = 80;

// Splits the text at its line breaks and wraps each line at blanks to fit `width`.
std::vector<std::string> wrap(const std::string& text, CFontRef font, CCoord width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line;
        size_t word = start;
        while (word < end) {
            size_t blank = text.find(' ', word);
            if (blank == std::string::npos || blank > end) blank = end;
            const std::string next = text.substr(word, blank - word);
            const std::string joined = line.empty() ? next : line + " " + next;
            if (!line.empty() && CDrawContext::measureString(font, joined) > width) {
                lines.push_back(line);
                line = next;
            } else {
                line = joined;
            }
            word = blank + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
} // namespace

MessageWindow::MessageWindow(std::string t, const MenuStyle& s) : text(std::move(t)), style(s) {
    CFontRef font = style.font ? style.font : kNormalFontSmall;
    lines = wrap(text, font, kMaxTextWidth);
    CCoord widest = kButtonWidth;
    for (const std::string& line : lines)
        widest = std::max(widest, CDrawContext::measureString(font, line));
    const CCoord lineHeight = std::floor(font->getSize() * 1.6);
    const CCoord buttonHeight = std::floor(font->getSize() * 2.0);
    const CCoord w = std::ceil(widest) + 2 * kPad;
    const CCoord textBottom = kPad + lineHeight * static_cast<CCoord>(lines.size());
    size = CRect(0, 0, w, textBottom + kPad + buttonHeight + kPad);
    button = CRect(w - kPad - kButtonWidth, textBottom + kPad, w - kPad,
                   textBottom + kPad + buttonHeight);
}

void MessageWindow::mouseDown(const CPoint& where) {
    pressed = button.pointInside(where);
}

void MessageWindow::mouseUp(const CPoint& where) {
    if (pressed && button.pointInside(where)) done = true;
    pressed = false;
}

void MessageWindow::keyDown(int32_t virtualKey) {
    if (virtualKey == 19 || virtualKey == 20 || virtualKey == 21) done = true;
}

void MessageWindow::draw(CDrawContext* context) const {
    CFontRef font = style.font ? style.font : kNormalFontSmall;
    context->setFillColor(style.background);
    context->fillRect(size);
    context->setFont(font);
    context->setFontColor(style.text);
    const CCoord lineHeight = std::floor(font->getSize() * 1.6);
    CCoord y = kPad;
    for (const std::string& line : lines) {
        context->drawString(line, CRect(kPad, y, size.right - kPad, y + lineHeight), kLeftText,
                            true);
        y += lineHeight;
    }
    context->setFillColor(style.hoverBackground);
    context->fillRect(button);
    context->setFontColor(style.hoverText);
    context->drawString("OK", button, kCenterText, true);
}

} // namespace VSTGUI
