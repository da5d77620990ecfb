// Small string and path helpers: bounded copies, case changes, locale-free number parsing
// and path pieces. Pure functions, callable from any thread.

#include "platform/strings.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNumberChar(char c) {
    return isDigit(c) || c == '+' || c == '-' || c == '.';
}

char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of the separator that ends the folder part: the last '/', else the last '\\'.
std::size_t lastSeparator(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) return slash;
    return path.rfind('\\');
}

} // namespace

std::size_t utf8CutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t cut = maxBytes;
    // The byte at `cut` is the first one left out; if it continues a character, that
    // character began earlier and must be left out whole.
    while (cut > 0 && isContinuationByte(text[cut])) --cut;
    return cut;
}

bool copyToBuffer(std::string_view text, char* buffer, std::size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) return text.empty();
    std::size_t length = utf8CutLength(text, bufferSize - 1);
    std::memmove(buffer, text.data(), length);
    buffer[length] = '\0';
    return length == text.size();
}

void upperCase(std::string& text) {
    for (char& c : text) c = asciiUpper(c);
}

void upperCase(char* text) {
    if (text == nullptr) return;
    for (; *text != '\0'; ++text) *text = asciiUpper(*text);
}

void lowerCase(std::string& text) {
    for (char& c : text) c = asciiLower(c);
}

void lowerCase(char* text) {
    if (text == nullptr) return;
    for (; *text != '\0'; ++text) *text = asciiLower(*text);
}

void stripAllButNum(std::string& text) {
    std::size_t kept = 0;
    for (char c : text)
        if (isNumberChar(c)) text[kept++] = c;
    text.resize(kept);
}

void stripAllButNum(char* text) {
    if (text == nullptr) return;
    char* out = text;
    for (char const* in = text; *in != '\0'; ++in)
        if (isNumberChar(*in)) *out++ = *in;
    *out = '\0';
}

void safename(char* name) {
    if (name == nullptr) return;
    // Host product strings are compared by their first letters only; anything after a
    // control character or outside ASCII is not part of the name.
    constexpr int kMaxNameLength = 24;
    int i = 0;
    while (i < kMaxNameLength && static_cast<signed char>(name[i]) >= 32) ++i;
    name[i] = '\0';
}

bool parseLeadingInt(std::string_view text, int& number) {
    std::size_t start = 0;
    if (!text.empty() && text[0] == '+') start = 1;
    std::size_t firstDigit = (start == 0 && !text.empty() && text[0] == '-') ? 1 : start;
    if (firstDigit >= text.size() || !isDigit(text[firstDigit])) return false;
    int parsed = 0;
    auto result = std::from_chars(text.data() + start, text.data() + text.size(), parsed);
    if (result.ec != std::errc()) return false;
    number = parsed;
    return true;
}

bool parseNumberC(std::string_view text, double& value) {
    std::size_t start = 0;
    if (!text.empty() && text[0] == '+') start = 1;
    std::size_t body = (start == 0 && !text.empty() && text[0] == '-') ? 1 : start;
    // from_chars would also read "inf" and "nan"; a typed value must begin with a digit
    // or a point followed by a digit.
    if (body >= text.size()) return false;
    bool digitFirst = isDigit(text[body]);
    bool pointFirst = text[body] == '.' && body + 1 < text.size() && isDigit(text[body + 1]);
    if (!digitFirst && !pointFirst) return false;
    double parsed = 0.0;
    auto result = std::from_chars(text.data() + start, text.data() + text.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool parseTypedNumber(std::string_view text, bool strip, double& value) {
    std::string s(text);
    for (char& c : s)
        if (c == ',') c = '.';
    if (strip) stripAllButNum(s);
    std::size_t start = 0;
    while (start < s.size() && (s[start] == ' ' || s[start] == '\t')) ++start;
    return parseNumberC(std::string_view(s).substr(start), value);
}

std::string floatString(float value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 30) decimals = 30;
    char buffer[128];
    auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return std::string();
    return std::string(buffer, result.ptr);
}

std::string getFileNameExtensionsStr(std::string const& path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return std::string();
    return path.substr(dot);
}

std::string getFileNameOnlyStr(std::string const& path, bool withoutExtension) {
    std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos) return std::string();
    std::string name = path.substr(separator + 1);
    // Only a dot of the name itself starts an extension; a dot in a folder name does not.
    if (withoutExtension) {
        std::size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.resize(dot);
    }
    return name;
}

void getFileNameOnly(char const* path, char* name, std::size_t nameSize, bool withoutExtension) {
    if (name == nullptr || nameSize == 0) return;
    if (path == nullptr) {
        name[0] = '\0';
        return;
    }
    copyToBuffer(getFileNameOnlyStr(path, withoutExtension), name, nameSize);
}

void getFileNameOnly(char const* path, char* name, bool withoutExtension) {
    getFileNameOnly(path, name, kTextBufferSize, withoutExtension);
}

std::string getFileDriveDirStr(std::string const& path) {
    std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos) return std::string();
    return path.substr(0, separator + 1);
}

std::string getFolderNameOnlyStr(std::string const& path) {
    std::string folder = getFileDriveDirStr(path);
    if (folder.empty()) return std::string();
    folder.pop_back();
    std::size_t separator = lastSeparator(folder);
    return separator == std::string::npos ? folder : folder.substr(separator + 1);
}

void removeEndSlash(std::string& path) {
    if (!path.empty() && path.back() == '/') path.pop_back();
}

void removeDoubleSlash(std::string& path) {
    std::string result;
    result.reserve(path.size());
    for (char c : path)
        if (c != '/' || result.empty() || result.back() != '/') result += c;
    path.swap(result);
}

std::string getFullPathForFileNameStr(std::string const& folder, std::string const& name) {
    if (folder.empty() || folder == "Root Folder") return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

void ltrim(std::string& text) {
    text.erase(0, text.find_first_not_of(' '));
}

void rtrim(std::string& text) {
    std::size_t last = text.find_last_not_of(' ');
    text.resize(last == std::string::npos ? 0 : last + 1);
}

void trim(std::string& text) {
    rtrim(text);
    ltrim(text);
}

bool stringCompareIgnoreCase(std::string const& a, std::string const& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

char validChar(char c) {
    if (c >= 0 && c < 32) return '\0';
    if (c == ':') return '-';
    switch (c) {
    case '/':
    case '\\':
    case '|':
    case '?':
    case '*':
    case '<':
    case '>':
    case '"':
    case '\x7f':
        return ' ';
    default:
        return c;
    }
}

std::string safeNameToSaveStr(std::string const& name) {
    constexpr std::size_t kMaxSaveNameLength = 24;
    std::string result;
    for (char c : name) {
        char valid = validChar(c);
        if (valid != '\0') result += valid;
    }
    ltrim(result);
    result.resize(utf8CutLength(result, kMaxSaveNameLength));
    return result;
}

std::string getThreeCharName(int index, std::string const& name) {
    std::string number = std::to_string(static_cast<long long>(index) + 1);
    if (number.size() < 3 && number[0] != '-') number.insert(0, 3 - number.size(), '0');
    return number + " " + name;
}

bool makeDirectory(std::string const& path) {
    if (path.empty()) return false;
    std::string partial;
    std::size_t position = 0;
    while (position <= path.size()) {
        std::size_t next = path.find('/', position);
        if (next == std::string::npos) next = path.size();
        partial = path.substr(0, next);
        if (!partial.empty() && mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
        position = next + 1;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
