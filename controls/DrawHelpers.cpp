// Drawing additions over the draw context. User-interface thread.
#include "controls/DrawHelpers.h"
#include <cctype>

void fillRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context) {
    if (context) context->drawRect(rect, VSTGUI::kDrawFilled);
}

void drawRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context) {
    if (context) context->drawRect(rect, VSTGUI::kDrawStroked);
}

void lineAA(VSTGUI::CDrawContext* context, VSTGUI::CPoint a, VSTGUI::CPoint b) {
    if (context) context->drawLine(a, b);
}

std::string fittedText(VSTGUI::CDrawContext* context, const std::string& text,
                       VSTGUI::CCoord width) {
    return fittedText(text,
                      [&](const std::string& t) { return context->getStringWidth(t) <= width; });
}

std::string fittedText(const std::string& text, const TextFits& fits) {
    if (fits(text)) return text;
    static const std::string kEllipsis = "...";
    std::string kept = text;
    while (!kept.empty()) {
        // Cut whole characters: a UTF-8 continuation byte goes with the byte before it.
        do kept.pop_back();
        while (!kept.empty() && (static_cast<unsigned char>(kept.back()) & 0xC0) == 0x80);
        while (!kept.empty() && kept.back() == ' ') kept.pop_back();
        if (fits(kept + kEllipsis)) return kept + kEllipsis;
    }
    return kEllipsis;
}

std::string shortValueText(const std::string& text, const TextFits& fits) {
    if (fits(text)) return text;
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') ++at;
    const std::size_t signAt = at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const std::size_t digitsAt = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == digitsAt) return fittedText(text, fits);
    std::string whole = text.substr(digitsAt, at - digitsAt);
    bool roundUp = false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        roundUp = at < text.size() && text[at] >= '5' && text[at] <= '9';
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    }
    if (roundUp) {
        std::size_t i = whole.size();
        while (i > 0 && whole[i - 1] == '9') whole[--i] = '0';
        if (i == 0)
            whole.insert(whole.begin(), '1');
        else
            ++whole[i - 1];
    }
    const std::string number = text.substr(signAt, digitsAt - signAt) + whole;
    const std::string rounded = number + text.substr(at);
    if (fits(rounded)) return rounded;
    return number;
}
