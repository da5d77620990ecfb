// User-wave files (".wve") and the import of WAV and AIFF samples into a user wave.
// User-interface thread (the wave display's menu); the table rebuild is the user waves' own.
#include "engine/APlugin.h"

#include "engine/files/FileFormats.h"
#include "engine/params/ParamTags.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"
#include "platform/strings.h"

namespace {
constexpr int USER_WAVE_START[2] = {tag::UserWave1First, tag::UserWave2First};
constexpr int kPoints = zekfiles::kWavePoints;
static_assert(kPoints == tag::UserWavePointCount, "a wave file holds every point of a wave");
// A wave file is 515 short lines; anything much larger is not one.
constexpr std::size_t kMaxWaveBytes = 256 * 1024;
constexpr const char* kWaveFileProblem = "Problem with Wave file";
constexpr const char* kWavePresetProblem = "Problem with Wave Preset";

float clamp01(float x) {
    return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
}
} // namespace

bool APlugin::saveWaveFile(int n, const std::string& path) {
    if (!isValidWave(n)) return false;
    float points[kPoints];
    for (int i = 0; i < kPoints; ++i) points[i] = getParameter(USER_WAVE_START[n] + i);
    return zekfiles::writeTextFile(path, zekfiles::formatWaveFile(n, points));
}

bool APlugin::loadWaveFile(int n, const std::string& path) {
    if (!isValidWave(n)) return false;
    std::string text;
    float points[kPoints];
    if (!zekfiles::readTextFile(path, kMaxWaveBytes, text) ||
        !zekfiles::parseWaveFile(text, points))
        return false;
    if (EditorLink* open = getOpenEditor()) open->addWaveUndo();
    for (int i = 0; i < kPoints; ++i) setParameter(USER_WAVE_START[n] + i, points[i]);
    return true;
}

void APlugin::saveWave(int n) {
    if (!isValidWave(n)) return;
    std::string folder, path;
    fileSelectSaveDirStr("Save Wave Preset", waveDir, "Save", "Wave.wve", folder, path);
    if (path.empty()) return;
    if (!folder.empty()) makeDirectory(folder);
    if (!saveWaveFile(n, path)) messageBox(kWavePresetProblem, 2);
}

void APlugin::loadWave(int n) {
    if (!isValidWave(n)) return;
    std::string extra, folder, path;
    fileSelectLoadDirStr("Load Wave Preset", waveDir, "Load", "*.wve", extra, folder, path);
    if (!path.empty() && !loadWaveFile(n, path)) messageBox(kWaveFileProblem, 2);
    // Loaded, refused or cancelled: the wave is rebuilt from the points it now has.
    createUserWaveTable(n);
}

bool APlugin::importSample(int n, const std::string& path) {
    if (!isValidWave(n)) return false;
    sampleReader.setName(path);
    std::string extension = getFileNameExtensionsStr(path);
    upperCase(extension);
    const bool read = extension == ".WAV" ? sampleReader.loadWav() : sampleReader.loadAiff();
    if (!read) return false;
    if (EditorLink* open = getOpenEditor()) open->addWaveUndo();
    // The 512 points span the whole sample, whatever its rate and loop.
    const float len = static_cast<float>(sampleReader.getLen());
    for (int i = 0; i < kPoints; ++i) {
        float left = 0.0f, right = 0.0f;
        sampleReader.getSample(static_cast<float>(i) / kPoints * len, left, right);
        setParameter(USER_WAVE_START[n] + i, clamp01((left + right) * 0.25f + 0.5f));
    }
    return true;
}

void APlugin::loadSample(int n) {
    if (!isValidWave(n)) return;
    std::string extra, folder, path;
    fileSelectLoadDirStr("Select Sample", sampleDir, "Load", "*.wav; aiff; *.aif", extra, folder,
                         path);
    if (path.empty() || !fileExists(path)) return;
    saveStringToPrefs("SampleDir", folder);
    if (!importSample(n, path)) return;
    sampleDir = folder;
    // The oscillators follow the new points only once the wave's tables are rebuilt.
    createUserWaveTable(n);
}
