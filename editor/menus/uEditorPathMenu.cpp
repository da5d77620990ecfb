// The command menu of the two processing paths (oscillator path, FX path): resets, moving
// the display's selected unit, the section clipboard, randomizing and undo.
// User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "editor/menus/MenuAnswers.h"
#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"

#include <string>

namespace {

constexpr const char* PATH_HELP[] = {"-GLeft Click: Change Value",
                                     "-GLeft Click + Control: Show this Menu",
                                     "-GLeft Click + Command: Set to Default Value",
                                     "-GLeft Click + Command + Shift: Set to Original Value",
                                     "-GDouble Click: Set to Default Value",
                                     "-GRight Click: Show this Menu",
                                     "-GScroll Wheel: Move Path Up / Down"};

} // namespace

void uEditor::showPathMenu(int s, int) {
    if (!canShowCommandMenu() || (s != section::OscPath && s != section::FXPath)) return;
    APlugin* e = getEngine();
    const int p = s == section::OscPath ? 0 : 1;
    const int last = p == 0 ? 5 : 4;
    int sel = pathSelected[p];
    if (sel < 0 || sel > last) sel = 0;
    const std::string name = p == 0 ? "Osc Path" : "FX Path";

    CommandMenu m;
    m.add("-G" + name + " Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("Path Display Information");
    for (const char* line : PATH_HELP) m.add(line, {}, info);
    m.add("-");
    m.add("Reset " + name, [this, s] { resetSection(s); });
    m.add("Reset " + name + " to Original Settings", [this, s] { setSectionToOrig(s); });
    m.add("-");
    m.add("Move Selected Up", [e, sel, p] { e->changePathDelta(sel, 1, p); });
    m.add("Move Selected Down", [e, sel, p] { e->changePathDelta(sel, 2, p); });
    m.add("Move Selected To Top", [e, sel, p] { e->swapPath(sel, 0, p); });
    m.add("Move Selected To Bottom", [e, sel, p, last] { e->swapPath(sel, last, p); });
    m.add("Move Selected To", [e, sel, p, last] {
        // Cancel or an answer without a number does nothing; a number out of range is kept
        // to the first or last position.
        int a = 0;
        if (!menuanswers::askInt("Move to position 1 to " + std::to_string(last + 1), "Move To",
                                 std::to_string(sel + 1), a))
            return;
        e->swapPath(sel, a <= 0 ? 0 : (a - 1 > last ? last : a - 1), p);
    });
    m.add("-");
    m.add("Copy " + name, [this, s] { copySection(s); });
    addPasteEntry(m, "Paste " + name, s);
    m.add("-");
    m.add("Randomize " + name, [this, s] { randomizeSection(s); });
    m.add("-");
    addUndoEntry(m, s);
    runSectionMenu(m, s);
}
