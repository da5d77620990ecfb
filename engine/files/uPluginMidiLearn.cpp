// MIDI learn, typed controller assignment, the soft take-over state and controller-map
// (".ecs") files. User-interface thread (menu commands and buttons); the audio thread reads
// the map and learns from MIDI itself (see doControlChange).
#include "engine/APlugin.h"

#include "engine/files/FileFormats.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"
#include "platform/strings.h"

namespace {
constexpr int kControllers = zekfiles::kControllers;
// A map file is 128 short lines; anything much larger is not one.
constexpr std::size_t kMaxECSBytes = 64 * 1024;
constexpr const char* kECSProblem = "Problem with ECS File";

// The controller number typed by the user, held to 0..127; false when the answer holds no
// number at all.
bool typedController(const std::string& answer, int& cc) {
    std::size_t i = 0;
    while (i < answer.size() && (answer[i] == ' ' || answer[i] == '\t')) ++i;
    bool negative = false;
    if (i < answer.size() && (answer[i] == '-' || answer[i] == '+')) negative = answer[i++] == '-';
    long number = 0;
    bool digits = false;
    for (; i < answer.size() && answer[i] >= '0' && answer[i] <= '9'; ++i) {
        digits = true;
        if (number < 1000) number = number * 10 + (answer[i] - '0');
    }
    if (!digits) return false;
    if (negative) number = -number;
    cc = number < 0 ? 0 : (number > kControllers - 1 ? kControllers - 1 : int(number));
    return true;
}
} // namespace

void APlugin::setMIDILatch(int tag, bool on) {
    if (!isValidTag(tag)) return;
    if (on) {
        midiLearnTag = tag;
        midiLearnArmed = true;
        return;
    }
    // Unlearning never arms nor re-targets a learn; it only stops one waiting for this tag.
    if (midiLearnTag == tag) midiLearnArmed = false;
    for (int cc = 0; cc < kControllers; ++cc) {
        if (midiCCMap[cc] != tag) continue;
        midiCCMap[cc] = 0;
        setMIDICC(cc, 0);
    }
    // The take-over state belongs to the tag: the next learning starts it afresh.
    midiCaptureValues[tag] = 0.0f;
    midiCaptureCaught[tag] = 0;
}

void APlugin::setMIDICCNum(int tag) {
    if (!isValidTag(tag)) return;
    std::string answer;
    inputBox("MIDI CC : " + getParameterNameStr(tag), "MIDI CC (0 - 127)", answer);
    int cc = 0;
    if (answer.empty() || !typedController(answer, cc)) return;
    midiCCMap[cc] = tag;
    setMIDICC(cc, tag);
}

void APlugin::resetMIDI() {
    int none[kControllers] = {};
    for (int cc = 0; cc < kControllers; ++cc) midiCCMap[cc] = 0;
    // One write of the preferences for all 128 entries.
    setMIDICCMap(none);
    resetMIDICapture();
}

void APlugin::resetMIDICapture() {
    for (int t = 0; t < kNumParams; ++t) {
        midiCaptureValues[t] = getParameter(t);
        midiCaptureCaught[t] = 0;
    }
}

bool APlugin::saveECSFile(const std::string& path) {
    int32_t map[kControllers];
    for (int cc = 0; cc < kControllers; ++cc) map[cc] = midiCCMap[cc];
    return zekfiles::writeTextFile(path, zekfiles::formatControllerMap(map));
}

bool APlugin::loadECSFile(const std::string& path) {
    std::string text;
    int32_t map[kControllers];
    if (!fileExists(path) || !zekfiles::readTextFile(path, kMaxECSBytes, text) ||
        !zekfiles::parseControllerMap(text, map))
        return false;
    int tags[kControllers];
    for (int cc = 0; cc < kControllers; ++cc) midiCCMap[cc] = tags[cc] = map[cc];
    setMIDICCMap(tags);
    resetMIDICapture();
    return true;
}

void APlugin::saveECS() {
    std::string folder, path;
    fileSelectSaveDirStr("Save ECS", ecsDir, "Save", "ZEK2.ecs", folder, path);
    if (path.empty()) return;
    // The folder is made on the first save into it.
    if (!folder.empty()) makeDirectory(folder);
    if (!saveECSFile(path)) messageBox(kECSProblem, 2);
}

void APlugin::loadECS() {
    std::string extra, folder, path;
    fileSelectLoadDirStr("Load ECS", ecsDir, "Load", "*.ecs", extra, folder, path);
    if (path.empty()) return;
    if (!loadECSFile(path)) messageBox(kECSProblem, 2);
}
