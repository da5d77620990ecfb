// The display menus' common ground: loading and saving their preset files through the file
// dialogs, and the menu state that a preset applied with the window open empties.
// User-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"
#include "engine/files/DisplayPresets.h"
#include "platform/dialogs.h"

#include <string>

void uEditor::clearDisplayMenuState() {
    for (auto& step : gaterSteps) step[0] = step[1] = 0;
    for (float& v : modSlotClip) v = 0.0f;
    for (float& v : arpStepClip) v = 0.0f;
    modSlotClipValid = arpStepClipValid = false;
    selectedXYPoint[0] = selectedXYPoint[1] = 0;
}

void uEditor::setPathSelected(int path, int position) {
    pathSelected[path & 1] = position;
}

bool uEditor::loadDisplayPresetFile(const zekfiles::DisplayPresetKind& kind, const char* title,
                                    int folderKind, const char* filter, const int* tags) {
    APlugin* engine = getEngine();
    if (!engine) return false;
    std::string extra, folder, path;
    fileSelectLoadDirStr(title, engine->getFolder(folderKind), "Load", filter, extra, folder, path);
    if (path.empty()) return false; // cancelled
    float values[zekfiles::kMaxDisplayPresetValues];
    if (!APlugin::fileExists(path) || !zekfiles::loadDisplayPreset(path, kind, values)) {
        messageBox(kind.problem, 2);
        return false;
    }
    for (int i = 0; i < kind.count; ++i) engine->setParameter(tags[i], values[i]);
    engine->reset();
    return true;
}

void uEditor::saveDisplayPresetFile(const zekfiles::DisplayPresetKind& kind, const char* title,
                                    int folderKind, const char* defaultName, const int* tags) {
    APlugin* engine = getEngine();
    if (!engine) return;
    std::string folder, path;
    fileSelectSaveDirStr(title, engine->getFolder(folderKind), "Save", defaultName, folder, path);
    if (path.empty()) return; // cancelled
    // The load dialog lists files by extension, so a name typed without one gets it.
    path = zekfiles::withPresetExtension(path, kind);
    float values[zekfiles::kMaxDisplayPresetValues];
    for (int i = 0; i < kind.count; ++i) values[i] = engine->getParameter(tags[i]);
    if (!zekfiles::saveDisplayPreset(path, kind, values)) messageBox(kind.problem, 2);
}
