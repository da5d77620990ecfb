// The preset and folder menus of the top bar: eight columns of the built-in presets, then
// "Clear Preset" and the screen-size commands. Made at each opening into the editor's control
// set; showing them, their choices and the shown name are the top bar's. User-interface thread.
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
static_assert(PRESET_SUB_HEADER_COUNT == edlayout::kPresetColumns, "one column per header");

} // namespace

void uEditor::createPresetMenus() {
    APlugin* engine = getEngine();
    if (!engine || !frame) return;
    const int x = getScaled(kMenuX), w = getScaled(kMenuW), h = getScaled(kMenuH);
    const CRect presetRect(x, getScaled(kPresetMenuY), x + w, getScaled(kPresetMenuY) + h);
    TOptionMenu* menu =
        new TOptionMenu(presetRect, this, kNoTag, nullptr, nullptr, kMenuStyle, false);
    menu->setPresetMenu();
    const int count = engine->getBuiltinPresetCount();
    for (int k = 0; k < PRESET_SUB_HEADER_COUNT; ++k) {
        auto* column =
            new TOptionMenu(presetRect, this, kNoTag, nullptr, nullptr, kColumnStyle, true);
        char name[kBuiltinPresetNameBytes] = "";
        for (int i = k * kPresetsPerColumn; i < (k + 1) * kPresetsPerColumn && i < count; ++i)
            if (engine->getDemoName(i, name)) column->addEntry(name);
        menu->addEntry(column, PRESET_SUB_HEADER_STR[k]);
        ui.presetColumnMenus[k] = column;
        own(column);
    }
    menu->addEntry("-");
    menu->addEntry(PRESET_COMMAND_STR[PRESET_COMMAND_CLEAR]);
    for (int i = 0; i < SET_SCREEN_SIZE_COUNT; ++i)
        menu->addEntry(PRESET_COMMAND_STR[PRESET_COMMAND_SCREEN_SIZE_FIRST + i]);
    ui.presetMenu = menu;
    setHoverName(menu, "Preset Menu");
    own(menu);
    addControl(menu, kKindOptionMenu);

    const CRect folderRect(x, getScaled(kFolderMenuY), x + w, getScaled(kFolderMenuY) + h);
    auto* folder = new TOptionMenu(folderRect, this, kNoTag, nullptr, nullptr, kMenuStyle, false);
    folder->setFolderMenu();
    folder->addEntry(kFolderName);
    folder->setString(kFolderName);
    ui.folderMenu = folder;
    setHoverName(folder, "Folder Menu");
    own(folder);
    addControl(folder, kKindOptionMenu);
}
