// The tuning subset of ".tun" files: the "[Exact Tuning]" or "[Tuning]" section's
// "note N=cents" lines. User-interface thread.
#include "engine/files/FileFormats.h"

#include "platform/strings.h"

#include <vector>

namespace zekfiles {

namespace {

// The reader keeps this many lines of this many characters; the rest of a file is ignored.
constexpr std::size_t kMaxLines = 512;
constexpr std::size_t kMaxLineChars = 127;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

} // namespace

TuningParse parseTuningText(std::string_view text, float (&table)[kTuningNotes]) {
    // Editors on some systems start a UTF-8 file with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    long exact = -1, plain = -1;
    while (!text.empty() && lines.size() < kMaxLines) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, kMaxLineChars);
        if (startsWith(line, "[Exac")) exact = static_cast<long>(lines.size());
        if (startsWith(line, "[Tuni")) plain = static_cast<long>(lines.size());
        lines.push_back(line);
    }
    const long start = exact >= 0 ? exact : plain;
    if (start < 0) return TuningParse::NoSection;

    float scratch[kTuningNotes];
    for (int n = 0; n < kTuningNotes; ++n) scratch[n] = table[n];
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (startsWith(line, ";")) break;
        if (!startsWith(line, "note") || line.size() <= 5) continue;
        const std::string_view entry = line.substr(5);
        const std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view left = trimmed(entry.substr(0, equals));
        std::string_view right = trimmed(entry.substr(equals + 1));
        // Only the first '=' counts; what follows a second one is dropped.
        right = trimmed(right.substr(0, right.find('=')));
        if (left.empty() || right.empty()) continue;
        int note = 0;
        if (!parseLeadingInt(left, note) || note < 0 || note >= kTuningNotes) continue;
        double cents = 0.0;
        if (!parseNumberC(right, cents) || cents < kMinTuningCents || cents > kMaxTuningCents)
            return TuningParse::BadValue;
        scratch[note] = static_cast<float>(cents / 100.0);
    }
    for (int n = 0; n < kTuningNotes; ++n) table[n] = scratch[n];
    return TuningParse::Ok;
}

} // namespace zekfiles
