// What the own controls ask of the editor: the drag source for the modulation matrix and the
// command menu of a knob or slider. The section menus of the menu buttons are entry points only
// until their menus are built. Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"
#include "gui/COptionMenu.h"

#include <string>

using namespace VSTGUI;

namespace {

enum MIDIMenuEntry { kSetDefault = 0, kSetOriginal = 1, kSetTyped = 2 };

// The gesture help under the command menu: the keys as the user presses them.
const char* const GESTURE_HELP[] = {"-GDrag: change the value",
                                    "-GShift+Drag: fine adjustment",
                                    "-GDouble click: default value",
                                    "-GCommand+Click: default value",
                                    "-GCommand+Shift+Click: original value",
                                    "-GOption+Click: type a value",
                                    "-GRight or Control click: this menu"};

} // namespace

void uEditor::showMIDIMenu(CControl* control, bool slider) {
    APlugin* engine = getEngine();
    if (!engine || !frame || !control || !isValidTag(control->getTag())) return;
    const int tag = control->getTag();
    auto* menu = new COptionMenu();
    menu->addEntry("Set to Default Value");
    menu->addEntry("Set to Original Value");
    menu->addEntry("Set to Value");
    menu->addSeparator();
    auto* help = new COptionMenu();
    for (const char* line : GESTURE_HELP) help->addEntry(line);
    menu->addEntry(help, slider ? "Slider Control Information" : "Dial Control Information");
    help->forget();
    int cc = -1;
    for (int i = 0; i < 128 && cc < 0; ++i)
        if (engine->getMIDICCTag(i) == tag) cc = i;
    menu->addEntry(cc < 0 ? std::string("-GNot MIDI Latched")
                          : "-GMIDI Latched to CC " + std::to_string(cc));

    MenuPopup popup(menu, frame);
    if (frame->runMenuPopup(popup) && popup.getChosenMenu() == menu) {
        float target = -1.0f;
        switch (popup.getChosenIndex()) {
        case kSetDefault:
            target = control->getDefaultValue();
            break;
        case kSetOriginal:
            target = engine->getOrigValue(tag);
            break;
        case kSetTyped:
            control->beginEdit();
            engine->setNumValue(tag);
            control->setValue(engine->getParameter(tag));
            control->valueChanged();
            control->endEdit();
            control->setDirty(true);
            break;
        default:
            break;
        }
        if (target > -0.5f) {
            control->beginEdit();
            control->setValue(target);
            control->valueChanged();
            control->endEdit();
            control->setDirty(true);
        }
    }
    menu->forget();
}

// The settings and section menus are built with the screens that own them.
void uEditor::showControlMenu() {}
void uEditor::showOscMenu(int) {}
void uEditor::showFilterMenu() {}
void uEditor::showAmpMenu() {}
void uEditor::showPlayMenu() {}
void uEditor::showMainLFOMenu() {}
void uEditor::showEQMenu() {}
void uEditor::showFXMenu(int) {}
void uEditor::showFreeMenu(int, int) {}
void uEditor::showGaterMenu() {}
void uEditor::showPathMenu(int, int) {}
void uEditor::showArpMenu(int, int, bool) {}
void uEditor::showWaveMenu(int) {}

// Least forms for the displays until the section model stands: no undo level is kept, and the
// pad's point selection and menu do nothing yet.
void uEditor::setSectionUndo(int) {}
// Least form: the section's tags stay as they are.
void uEditor::resetSection(int) {}
// Least form: the section's tags stay as they are.
void uEditor::setSectionToOrig(int) {}
void uEditor::setXYPoint(int, int) {}
void uEditor::showXYMenu(int) {}
