// The tuning table: loading a tuning file, its name in the name tags, switching it off, and
// the table following the name a restored or loaded sound gives. Loads on the user-interface
// thread (settings page), the following on the thread that loads a sound or on the follower's
// thread; the note start reads the table on the audio thread.
#include "engine/APlugin.h"

#include "engine/files/FileFormats.h"
#include "engine/host/TestHooks.h"
#include "engine/params/ParamTags.h"
#include "platform/dialogs.h"
#include "platform/strings.h"

#include <cmath>

namespace {
// A tuning file is a few kilobytes; a larger one is refused unread.
constexpr std::size_t kMaxTuningBytes = 1024 * 1024;
// A name that keeps changing while its file is read is followed this often; the writes that
// change it ask for another follow anyway.
constexpr int kFollowTries = 16;
// One character per name tag; the last tag always stays empty.
constexpr int kNameChars = tag::TuningNameCount - 1;
constexpr float kCharScale = 255.99f;
constexpr const char* kTuningProblem = "Problem with Tuning File";
constexpr const char* kMissingTuning = "Missing: ";
constexpr const char* kStandardTuning = "Standard Tuning";
// Tunings of one name with other contents are kept as "name 2" .. "name 999".
constexpr int kMostCopiesOfAName = 999;

// The name the tags give, up to the first empty one. A stored bank reaches the record without
// the write roads' clamp, so a tag may hold NaN or a value far out of range.
template <class Values> std::string nameIn(const Values& values) {
    std::string name;
    for (int i = 0; i < tag::TuningNameCount; ++i) {
        const float scaled = values[tag::TuningNameFirst + i] * kCharScale;
        if (!(scaled >= 1.0f)) break;
        name.push_back(static_cast<char>(scaled >= 255.0f ? 255 : static_cast<int>(scaled)));
    }
    return name;
}

// A name that stands for a file in the tuning folder and nowhere else: a host may write any
// characters into the name tags.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

void fillStandard(float (&table)[zekfiles::kTuningNotes]) {
    for (int n = 0; n < zekfiles::kTuningNotes; ++n) table[n] = static_cast<float>(n);
}
} // namespace

float APlugin::getTuning(int note) const {
    if (note < 0 || note > 127) return 0.0f;
    return getOnOff(tag::HasTuningOn) ? tuningNoteTable[note] : static_cast<float>(note);
}

std::string APlugin::tuningFilePath(const std::string& name) const {
    std::string folder = tuningDir;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + name + ".tun";
}

// The sound keeps only the name: a copy under it in the tuning folder is found again when the
// sound is restored, wherever the file came from. So a name is never given to two contents: a
// tuning whose name a copy of another tuning holds is kept under the name with the first number
// from 2 whose copy is free or holds this tuning already, each cut to what the name tags hold.
std::string APlugin::keepTuningCopy(const std::string& path, const std::string& text,
                                    const std::string& name, std::string& problem) {
    const std::string base = name.substr(0, utf8CutLength(name, kNameChars));
    if (!isPlainName(base)) {
        problem = "The tuning \"" + name + "\" cannot be kept with the sound: its name cannot " +
                  "name a file. Rename the file and load it again.";
        return {};
    }
    for (int n = 1; n <= kMostCopiesOfAName;) {
        const std::string number = n == 1 ? "" : " " + std::to_string(n);
        const std::string kept =
            base.substr(0, utf8CutLength(base, kNameChars - number.size())) + number;
        const std::string copy = tuningFilePath(kept);
        std::string there;
        if (copy == path || (zekfiles::readTextFile(copy, kMaxTuningBytes, there) && there == text))
            return kept;
        if (!fileExists(copy)) {
            makeDirectory(tuningDir);
            if (zekfiles::createTextFile(copy, text)) return kept;
            // Another instance may have kept a tuning under the name meanwhile: it is read again.
            if (fileExists(copy)) continue;
            problem = "The tuning \"" + name + "\" cannot be kept with the sound: no copy of it " +
                      "could be written into the folder " + tuningDir +
                      ". Make the folder writable and load the tuning again.";
            return {};
        }
        ++n;
    }
    problem = "The tuning \"" + name + "\" cannot be kept with the sound: the folder " + tuningDir +
              " holds " + std::to_string(kMostCopiesOfAName) + " other tunings of that name.";
    return {};
}

bool APlugin::loadTuningFile(const std::string& path, const std::string& name,
                             std::string* problem) {
    std::string text, why;
    float table[zekfiles::kTuningNotes];
    fillStandard(table);
    // Parsed apart and taken over whole, so a refused file leaves the tuning as it was.
    if (!zekfiles::readTextFile(path, kMaxTuningBytes, text) ||
        zekfiles::parseTuningText(text, table) != zekfiles::TuningParse::Ok) {
        if (problem) *problem = kTuningProblem;
        return false;
    }
    // A tuning the sound could not find again when it is restored is refused now.
    const std::string kept = keepTuningCopy(path, text, name, why);
    if (kept.empty()) {
        if (problem) *problem = why;
        return false;
    }
    // Held while the name is written, so the follower never reads half a name.
    std::lock_guard<PriorityMutex> hold(tuningFileLock);
    for (int n = 0; n < zekfiles::kTuningNotes; ++n) tuningNoteTable[n] = table[n];
    tuningTableName = kept;
    tuningTableFound = true;
    for (int i = 0; i < tag::TuningNameCount; ++i) {
        const int code =
            static_cast<std::size_t>(i) < kept.size() ? static_cast<unsigned char>(kept[i]) : 0;
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
    std::string problem;
    if (!loadTuningFile(path, name, &problem)) messageBox(problem, 2);
}

void APlugin::resetTuning() {
    setParameter(tag::HasTuningOn, 0.0f);
    std::lock_guard<PriorityMutex> hold(tuningFileLock);
    for (int n = 0; n < 128; ++n) tuningNoteTable[n] = static_cast<float>(n);
    // The name stays with the sound; the table is read again when it is switched on.
    tuningTableName.clear();
    tuningTableFound = true;
}

std::string APlugin::getTuningName() const {
    // The record's values: those a load just restored, before the render applies them.
    if (programValues.values[tag::HasTuningOn] < 0.5f) return kStandardTuning;
    const std::string name = nameIn(programValues.values);
    // Switched on without a name (by a host), the sound plays the standard table.
    if (name.empty()) return kStandardTuning;
    std::lock_guard<PriorityMutex> hold(tuningFileLock);
    if (tuningTableFound && name == tuningTableName) return name;
    return kMissingTuning + name;
}

void APlugin::tuningNameWritten(int t) {
    // A load fetches the table on its own thread, so the sound's first note plays it; the
    // audio thread and single name characters leave the file work to the follower's thread.
    if (t == tag::ApplyPreset && !onRenderThread()) {
        ZEK2_TEST_HOOK(tuningFetch);
        followTuningName();
    } else
        tuningFollower.request();
}

void APlugin::followTuningName() {
    // The file is read and parsed without the lock, so a thread waiting for it (a host's load)
    // waits for no disk; the table goes in only while the record still names what was read.
    std::string name = nameIn(programValues.values);
    for (int tries = 0; tries < kFollowTries; ++tries) {
        {
            std::lock_guard<PriorityMutex> hold(tuningFileLock);
            if (name == tuningTableName && tuningTableFound) return;
        }
        float table[zekfiles::kTuningNotes];
        fillStandard(table);
        bool found = name.empty();
        std::string text;
        if (isPlainName(name) &&
            zekfiles::readTextFile(tuningFilePath(name), kMaxTuningBytes, text))
            found = zekfiles::parseTuningText(text, table) == zekfiles::TuningParse::Ok;
        // A file not found or refused plays the standard table.
        if (!found) fillStandard(table);
        ZEK2_TEST_HOOK(followerRead);
        std::lock_guard<PriorityMutex> hold(tuningFileLock);
        const std::string now = nameIn(programValues.values);
        if (now != name) {
            name = now; // written again meanwhile: the new name is followed
            continue;
        }
        for (int n = 0; n < zekfiles::kTuningNotes; ++n) tuningNoteTable[n] = table[n];
        tuningTableName = name;
        tuningTableFound = found;
        return;
    }
}
