// Reading and writing of the displays' preset files. User-interface thread.
#include "engine/files/DisplayPresets.h"

#include "engine/files/FileFormats.h"
#include "platform/strings.h"

#include <cmath>
#include <cstdio>

namespace zekfiles {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next blank-separated word from `pos`, or false at the end.
bool nextWord(std::string_view text, std::size_t& pos, std::string_view& word) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos >= text.size()) return false;
    const std::size_t start = pos;
    while (pos < text.size() && !isBlank(text[pos])) ++pos;
    word = text.substr(start, pos - start);
    return true;
}

// [sign] digits [. digits] [e [sign] digits] and nothing else, so "0,5" or "0.5x" is refused
// rather than read as its leading part.
bool isDecimal(std::string_view w) {
    std::size_t i = 0, digits = 0;
    auto sign = [&] {
        if (i < w.size() && (w[i] == '+' || w[i] == '-')) ++i;
    };
    auto run = [&] {
        std::size_t n = 0;
        for (; i < w.size() && w[i] >= '0' && w[i] <= '9'; ++i) ++n;
        return n;
    };
    sign();
    digits = run();
    if (i < w.size() && w[i] == '.') {
        ++i;
        digits += run();
    }
    if (digits == 0) return false;
    if (i < w.size() && (w[i] == 'e' || w[i] == 'E')) {
        ++i;
        sign();
        if (run() == 0) return false;
    }
    return i == w.size();
}

} // namespace

bool parseDisplayPreset(std::string_view text, const DisplayPresetKind& kind, float* values) {
    if (kind.count <= 0 || kind.count > kMaxDisplayPresetValues) return false;
    std::size_t pos = 0;
    std::string_view word;
    if (kind.header && !nextWord(text, pos, word)) return false;
    float read[kMaxDisplayPresetValues];
    for (int i = 0; i < kind.count; ++i) {
        double v = 0.0;
        if (!nextWord(text, pos, word) || !isDecimal(word) || !parseNumberC(word, v)) return false;
        if (!std::isfinite(v) || v < 0.0 || v > 1.0) return false;
        read[i] = static_cast<float>(v);
    }
    for (int i = 0; i < kind.count; ++i) values[i] = read[i];
    return true;
}

std::string formatDisplayPreset(const DisplayPresetKind& kind, const float* values) {
    std::string text;
    if (kind.header) text = std::string(kind.header) + "\n";
    for (int i = 0; i < kind.count; ++i) text += floatString(values[i], 6) + "\n";
    return text;
}

bool loadDisplayPreset(const std::string& path, const DisplayPresetKind& kind, float* values) {
    std::string text;
    return readTextFile(path, kMaxDisplayPresetBytes, text) &&
           parseDisplayPreset(text, kind, values);
}

bool saveDisplayPreset(const std::string& path, const DisplayPresetKind& kind,
                       const float* values) {
    if (path.empty()) return false;
    const std::string temporary = path + ".part";
    if (!writeTextFile(temporary, formatDisplayPreset(kind, values))) {
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string withPresetExtension(const std::string& path, const DisplayPresetKind& kind) {
    const std::string ext = kind.extension;
    if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return path;
    return path + ext;
}

} // namespace zekfiles
