// Reading and writing of whole small text files, and the controller-map and user-wave
// formats. User-interface thread.
#include "engine/files/FileFormats.h"

#include "platform/strings.h"

#include <cstdio>
#include <memory>

namespace zekfiles {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Splits a text into blank-separated words.
class Words {
public:
    explicit Words(std::string_view text) : text_(text) {}
    bool next(std::string_view& word) {
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
        if (pos_ >= text_.size()) return false;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
        word = text_.substr(start, pos_ - start);
        return true;
    }
    bool atEnd() {
        std::string_view rest;
        return !next(rest);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// How a word is written: [sign] digits, and with `fraction` also [. digits] [e [sign] digits],
// with at least one digit before the exponent. True when the whole word has that form.
bool isNumberWord(std::string_view word, bool fraction) {
    std::size_t i = 0, digits = 0;
    auto sign = [&] {
        if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    };
    auto run = [&] {
        std::size_t n = 0;
        for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) ++n;
        return n;
    };
    sign();
    digits = run();
    if (fraction && i < word.size() && word[i] == '.') {
        ++i;
        digits += run();
    }
    if (digits == 0) return false;
    if (fraction && i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        sign();
        if (run() == 0) return false;
    }
    return i == word.size();
}

// A word that is a whole decimal integer within lo..hi.
bool wordToInt(std::string_view word, int lo, int hi, int& value) {
    int number = 0;
    if (!isNumberWord(word, false) || !parseLeadingInt(word, number) || number < lo || number > hi)
        return false;
    value = number;
    return true;
}

// A word that is a whole finite decimal number.
bool wordToFloat(std::string_view word, float& value) {
    double number = 0.0;
    if (!isNumberWord(word, true) || !parseNumberC(word, number) || number < -1e30 || number > 1e30)
        return false;
    value = static_cast<float>(number);
    return true;
}

} // namespace

bool readTextFile(const std::string& path, std::size_t maxBytes, std::string& text) {
    text.clear();
    if (path.empty()) return false;
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), f.get())) > 0) {
        if (text.size() + got > maxBytes) return false;
        text.append(buffer, got);
    }
    return std::ferror(f.get()) == 0;
}

namespace {
// Writes `text` into the open file and closes it; true when all of it was written.
bool writeAndClose(std::FILE* f, const std::string& text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    // A full disk may show only when the buffer is flushed.
    const bool closed = std::fclose(f) == 0;
    return written && closed;
}
} // namespace

bool writeTextFile(const std::string& path, const std::string& text) {
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    return f && writeAndClose(f, text);
}

bool createTextFile(const std::string& path, const std::string& text) {
    if (path.empty()) return false;
    // "x": the open fails when the file is there, so another writer's file is never replaced.
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f) return false;
    if (writeAndClose(f, text)) return true;
    std::remove(path.c_str());
    return false;
}

bool parseControllerMap(std::string_view text, int32_t (&map)[kControllers]) {
    int32_t scratch[kControllers] = {};
    Words words(text);
    for (int cc = 0; cc < kControllers; ++cc) {
        std::string_view word;
        int value = 0;
        if (!words.next(word) || !wordToInt(word, 0, kMaxControllerTag, value)) return false;
        scratch[cc] = value;
    }
    if (!words.atEnd()) return false;
    for (int cc = 0; cc < kControllers; ++cc) map[cc] = scratch[cc];
    return true;
}

std::string formatControllerMap(const int32_t (&map)[kControllers]) {
    std::string text;
    for (int cc = 0; cc < kControllers; ++cc) text += std::to_string(map[cc]) + "\n";
    return text;
}

bool parseWaveFile(std::string_view text, float (&points)[kWavePoints]) {
    Words words(text);
    std::string_view word;
    int value = 0;
    if (!words.next(word) || !wordToInt(word, 0, 0, value)) return false;
    if (!words.next(word) || !wordToInt(word, kWavePoints, kWavePoints, value)) return false;
    if (!words.next(word) || !wordToInt(word, 0, 1, value)) return false;
    float scratch[kWavePoints];
    for (float& point : scratch)
        if (!words.next(word) || !wordToFloat(word, point)) return false;
    if (!words.atEnd()) return false;
    for (int i = 0; i < kWavePoints; ++i) points[i] = scratch[i];
    return true;
}

std::string formatWaveFile(int index, const float (&points)[kWavePoints]) {
    std::string text = "0\n512\n" + std::to_string(index) + "\n";
    for (float point : points) text += floatString(point, 6) + "\n";
    return text;
}

} // namespace zekfiles
