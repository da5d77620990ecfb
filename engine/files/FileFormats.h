// The text formats of the engine's own small files: controller maps (".ecs"), user waves
// (".wve") and the tuning subset of ".tun" files, parsed and written apart from the engine so
// that a refused file changes nothing. Pure functions; the file commands call them on the
// user-interface thread. Numbers are read and written with '.' whatever the process locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zekfiles {

constexpr int kControllers = 128;
constexpr int kMaxControllerTag = 2047;
constexpr int kWavePoints = 512;
constexpr int kTuningNotes = 128;
// Pitches in cents a tuning may give: ten octaves beyond both ends of the keyboard. Beyond
// that a file is damaged, not a tuning.
constexpr double kMinTuningCents = -12000.0;
constexpr double kMaxTuningCents = 24700.0;

// The whole file into `text`; false when it cannot be read or is larger than `maxBytes`.
bool readTextFile(const std::string& path, std::size_t maxBytes, std::string& text);
// Writes `text` as the whole file; false when it could not be written completely.
bool writeTextFile(const std::string& path, const std::string& text);
// Writes `text` as a new file; false when a file of that name is there already (left as it
// is) or it could not be written completely (nothing is left then).
bool createTextFile(const std::string& path, const std::string& text);

// Exactly 128 whole numbers 0..2047, one per controller, and nothing after them.
bool parseControllerMap(std::string_view text, int32_t (&map)[kControllers]);
std::string formatControllerMap(const int32_t (&map)[kControllers]);

// "0", "512", the wave index 0 or 1, then 512 numbers, and nothing after them. The points are
// returned as written (the caller clamps them to 0..1).
bool parseWaveFile(std::string_view text, float (&points)[kWavePoints]);
std::string formatWaveFile(int index, const float (&points)[kWavePoints]);

enum class TuningParse { Ok, NoSection, BadValue };
// The exact-tuning section when there is one, else the tuning section: the notes it names
// get their cents / 100 in `table`; the others keep what `table` held.
TuningParse parseTuningText(std::string_view text, float (&table)[kTuningNotes]);

} // namespace zekfiles
