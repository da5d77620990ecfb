// Whole numbers typed into the editor's entry boxes, parsed without the locale. Any thread.
#include "editor/TypedNumber.h"

#include <cctype>
#include <charconv>

namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool equalsNoCase(const char* a, const char* end, const std::string& b) {
    if (static_cast<size_t>(end - a) != b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

bool parseTypedInt(const std::string& text, const std::string& unit, int& number) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isSpace(*p)) ++p;
    while (end > p && isSpace(end[-1])) --end;
    if (p < end && *p == '+') ++p; // from_chars takes a minus sign only
    int value = 0;
    const auto [rest, error] = std::from_chars(p, end, value);
    if (error != std::errc() || rest == p) return false;
    p = rest;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && std::isdigit(static_cast<unsigned char>(*p))) ++p;
    }
    while (p < end && isSpace(*p)) ++p;
    if (p != end && !equalsNoCase(p, end, unit)) return false;
    number = value;
    return true;
}
