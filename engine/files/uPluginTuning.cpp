// The tuning table: loading a tuning file, its name in the name tags, and switching it off.
// User-interface thread (settings page); the note start reads the table on the audio thread.
#include "engine/APlugin.h"

#include "engine/files/FileFormats.h"
#include "engine/params/ParamTags.h"
#include "platform/dialogs.h"
#include "platform/strings.h"

#include <cmath>

namespace {
// A tuning file is a few kilobytes; a larger one is refused unread.
constexpr std::size_t kMaxTuningBytes = 1024 * 1024;
// One character per name tag; the last tag always stays empty.
constexpr int kNameChars = tag::TuningNameCount - 1;
constexpr float kCharScale = 255.99f;
constexpr const char* kTuningProblem = "Problem with Tuning File";
} // namespace

float APlugin::getTuning(int note) const {
    if (note < 0 || note > 127) return 0.0f;
    return getOnOff(tag::HasTuningOn) ? tuningNoteTable[note] : static_cast<float>(note);
}

bool APlugin::loadTuningFile(const std::string& path, const std::string& name) {
    std::string text;
    if (!zekfiles::readTextFile(path, kMaxTuningBytes, text)) return false;
    // Parsed apart and taken over whole, so a refused file leaves the tuning as it was.
    float table[zekfiles::kTuningNotes];
    for (int n = 0; n < zekfiles::kTuningNotes; ++n) table[n] = static_cast<float>(n);
    if (zekfiles::parseTuningText(text, table) != zekfiles::TuningParse::Ok) return false;
    for (int n = 0; n < zekfiles::kTuningNotes; ++n) tuningNoteTable[n] = table[n];

    const std::size_t length = utf8CutLength(name, kNameChars);
    for (int i = 0; i < tag::TuningNameCount; ++i) {
        const int code =
            static_cast<std::size_t>(i) < length ? static_cast<unsigned char>(name[i]) : 0;
        setParameter(tag::TuningNameFirst + i, (static_cast<float>(code) + 0.5f) / kCharScale);
    }
    setParameter(tag::HasTuningOn, 1.0f);
    return true;
}

void APlugin::loadTuning() {
    std::string extra, folder, path;
    fileSelectLoadDirStr("Tuning Files", tuningDir, "Load", "*.tun", extra, folder, path);
    const std::string name = getFileNameOnlyStr(path, true);
    if (name.empty()) return;
    if (!loadTuningFile(path, name)) messageBox(kTuningProblem, 2);
}

void APlugin::resetTuning() {
    setParameter(tag::HasTuningOn, 0.0f);
    for (int n = 0; n < 128; ++n) tuningNoteTable[n] = static_cast<float>(n);
}

std::string APlugin::getTuningName() const {
    if (!getOnOff(tag::HasTuningOn)) return "Standard Tuning";
    std::string name;
    for (int i = 0; i < tag::TuningNameCount; ++i) {
        const int code = static_cast<int>(currentValues[tag::TuningNameFirst + i] * kCharScale);
        if (code <= 0) break;
        name.push_back(static_cast<char>(code > 255 ? 255 : code));
    }
    return name;
}
