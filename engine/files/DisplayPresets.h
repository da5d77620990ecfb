// The small text preset files of the displays: EQ (".eq"), modulation matrix (".mod"),
// arpeggiator (".arp") and XY path (".xyp"). One normalised value 0..1 per line after an
// optional version word; one reader and one writer serve all four. Pure functions, called on
// the user-interface thread; numbers use '.' whatever the process locale.
#pragma once

#include <string>
#include <string_view>

namespace zekfiles {

struct DisplayPresetKind {
    const char* header;    // the version word written first, or null for none
    int count;             // how many values the file holds
    const char* extension; // with its dot
    const char* problem;   // the one message for every fault of this kind
};

inline constexpr DisplayPresetKind kEQPreset{"V1.0", 13, ".eq", "Problem with EQ Preset"};
inline constexpr DisplayPresetKind kModPreset{"V2.0", 112, ".mod", "Problem with Mod Preset"};
inline constexpr DisplayPresetKind kArpPreset{"V1.0", 286, ".arp", "Problem with Arp Preset"};
inline constexpr DisplayPresetKind kXYPreset{nullptr, 74, ".xyp", "Problem with XY Preset"};

// The largest count of the kinds, so callers can hold any of them on the stack.
constexpr int kMaxDisplayPresetValues = 286;
// Files beyond this are not presets of these kinds.
constexpr std::size_t kMaxDisplayPresetBytes = 1 << 20;

// The version word (any one word, never compared) when the kind has one, then `kind.count`
// values, each a whole finite number within 0..1. Whatever follows them is ignored. On any
// fault (too few values, a word that is not a number, a comma for the decimal point, a value
// out of range or not finite) the answer is false and `values` is untouched.
bool parseDisplayPreset(std::string_view text, const DisplayPresetKind& kind, float* values);
// The version word, then each value with six decimals, one per line.
std::string formatDisplayPreset(const DisplayPresetKind& kind, const float* values);

// The same on files. Saving writes a neighbouring temporary file and renames it over the
// target, so a full disk or a missing permission leaves an existing file as it was.
bool loadDisplayPreset(const std::string& path, const DisplayPresetKind& kind, float* values);
bool saveDisplayPreset(const std::string& path, const DisplayPresetKind& kind, const float* values);

// `path` with the kind's extension appended unless it already ends in it.
std::string withPresetExtension(const std::string& path, const DisplayPresetKind& kind);

} // namespace zekfiles
