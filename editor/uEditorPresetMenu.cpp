// The preset and folder menus of the top bar: eight columns of the built-in presets, "Clear
// Preset" and the screen-size commands; the shown name follows the current program on every
// refresh. Built at each opening; host user-interface thread.
#include "editor/ueditor.h"

#include "controls/TOptionMenu.h"
#include "engine/APlugin.h"
#include "engine/params/StringTables.h"

using namespace VSTGUI;

namespace {

constexpr int kPresetsPerColumn = 32;
constexpr int kMenuX = 112, kPresetMenuY = 23, kFolderMenuY = 43, kMenuW = 164, kMenuH = 16;
constexpr int32_t kMenuStyle = 256, kColumnStyle = 280;
constexpr int kKindOptionMenu = 2;
const char* const kFolderName = "Introduction Folder";
// The top-level entries after the eight columns and their separator.
constexpr int kClearEntry = PRESET_SUB_HEADER_COUNT + 1;
constexpr int kFirstSizeEntry = kClearEntry + 1;

} // namespace

void uEditor::createPresetMenus() {
    APlugin* engine = getEngine();
    if (!engine || !frame) return;
    removePresetMenus();
    const int x = getScaled(kMenuX), w = getScaled(kMenuW), h = getScaled(kMenuH);
    const CRect presetRect(x, getScaled(kPresetMenuY), x + w, getScaled(kPresetMenuY) + h);
    presetMenu = new TOptionMenu(presetRect, this, kNoTag, nullptr, nullptr, kMenuStyle, false);
    presetMenu->setPresetMenu();
    const int count = engine->getBuiltinPresetCount();
    for (int k = 0; k < PRESET_SUB_HEADER_COUNT; ++k) {
        presetColumns[k] =
            new TOptionMenu(presetRect, this, kNoTag, nullptr, nullptr, kColumnStyle, true);
        char name[64] = "";
        for (int i = k * kPresetsPerColumn; i < (k + 1) * kPresetsPerColumn && i < count; ++i)
            if (engine->getDemoName(i, name)) presetColumns[k]->addEntry(name);
        presetMenu->addEntry(presetColumns[k], PRESET_SUB_HEADER_STR[k]);
    }
    presetMenu->addEntry("-");
    presetMenu->addEntry(PRESET_COMMAND_STR[PRESET_COMMAND_CLEAR]);
    for (int i = 0; i < SET_SCREEN_SIZE_COUNT; ++i)
        presetMenu->addEntry(PRESET_COMMAND_STR[PRESET_COMMAND_SCREEN_SIZE_FIRST + i]);
    addControl(presetMenu, kKindOptionMenu);

    const CRect folderRect(x, getScaled(kFolderMenuY), x + w, getScaled(kFolderMenuY) + h);
    folderMenu = new TOptionMenu(folderRect, this, kNoTag, nullptr, nullptr, kMenuStyle, false);
    folderMenu->setFolderMenu();
    folderMenu->addEntry(kFolderName);
    folderMenu->setString(kFolderName);
    addControl(folderMenu, kKindOptionMenu);
}

void uEditor::showPresetMenus() {
    if (!frame) return;
    for (TOptionMenu* m : {presetMenu, folderMenu})
        if (m && !m->isAttached()) frame->addView(m);
}

void uEditor::removePresetMenus() {
    for (TOptionMenu*& column : presetColumns) removeControl(column);
    removeControl(presetMenu);
    removeControl(folderMenu);
}

bool uEditor::servePresetMenuChoice(CControl* control) {
    APlugin* engine = getEngine();
    if (!engine || !control || !presetMenu) return false;
    for (int k = 0; k < PRESET_SUB_HEADER_COUNT; ++k) {
        if (control != presetColumns[k]) continue;
        const int entry = presetColumns[k]->getCurrentIndex(true);
        if (entry >= 0) engine->setDemoProgram(k * kPresetsPerColumn + entry);
        resume();
        return true;
    }
    if (control == folderMenu) return true;
    if (control != presetMenu) return false;
    int32_t entry = -1;
    if (presetMenu->getLastItemMenu(entry) == presetMenu) {
        if (entry == kClearEntry) engine->clearProgram();
        if (entry >= kFirstSizeEntry && entry < kFirstSizeEntry + SET_SCREEN_SIZE_COUNT)
            setScreenSize(entry - kFirstSizeEntry);
    }
    resume();
    return true;
}

void uEditor::updatePresetMenu() {
    APlugin* engine = getEngine();
    if (!finishedOpening.load() || !engine || !presetMenu) return;
    char name[64] = "";
    engine->getProgramName(name);
    presetMenu->setString(name);
    presetMenu->setDirty(true);
}
