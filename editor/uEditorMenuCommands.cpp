// Building, showing and dispatching the editor's command pop-ups. User-interface thread.
#include "editor/uEditorMenuCommands.h"

#include "gui/CFrame.h"
#include "gui/COptionMenu.h"

#include <memory>

using namespace VSTGUI;

namespace {
constexpr int32_t kCommandMenuTag = 9999;
constexpr int32_t kCommandMenuStyle = 272; // a pop-up without check marks
constexpr CCoord kHalfSquare = 8;
} // namespace

CommandMenu::CommandMenu()
    : root(new COptionMenu(CRect(0, 0, 2 * kHalfSquare, 2 * kHalfSquare), nullptr, kCommandMenuTag,
                           nullptr, nullptr, kCommandMenuStyle)) {}

CommandMenu::~CommandMenu() {
    root->forget();
}

void CommandMenu::add(const std::string& title, Action action, COptionMenu* menu) {
    COptionMenu* holder = menu ? menu : root;
    const int index = holder->getNbEntries();
    holder->addEntry(title);
    if (action) entries.push_back({holder, index, std::move(action), false});
}

void CommandMenu::addUndo(bool enabled, Action action) {
    const int index = root->getNbEntries();
    root->addEntry(enabled ? "Undo" : "-GUndo");
    entries.push_back({root, index, std::move(action), true});
}

COptionMenu* CommandMenu::addSubmenu(const std::string& title, COptionMenu* parent) {
    auto* sub = new COptionMenu(CRect(0, 0, 2 * kHalfSquare, 2 * kHalfSquare), nullptr,
                                kCommandMenuTag, nullptr, nullptr, kCommandMenuStyle);
    (parent ? parent : root)->addEntry(sub, title);
    sub->forget(); // the entry holds it now
    return sub;
}

void CommandMenu::popup(CFrame* frame, Closed closed) {
    if (!frame || frame->getOpenMenuPopup()) return;
    CPoint where;
    frame->getCurrentMouseLocation(where);
    root->setViewSize(CRect(where.x - kHalfSquare, where.y - kHalfSquare, where.x + kHalfSquare,
                            where.y + kHalfSquare));
    frame->addView(root);
    // The entries go with the pop-up: this object is gone by the time it closes.
    auto kept = std::make_shared<std::vector<Entry>>(std::move(entries));
    entries.clear();
    COptionMenu* menu = root;
    menu->popup([frame, menu, kept, closed = std::move(closed)](bool) {
        Choice choice;
        int32_t index = -1;
        COptionMenu* holder = menu->getLastItemMenu(index);
        choice.menu = holder;
        choice.index = holder ? index : -1;
        for (const Entry& e : *kept)
            if (holder && e.menu == holder && e.index == index) {
                choice.chosen = true;
                choice.undo = e.undo;
                choice.action = e.action;
            }
        // The pop-up's own windows give back what they covered; the menu's square on the
        // frame is all that is left to redraw here.
        frame->invalidRect(menu->getViewSize());
        frame->removeView(menu, false);
        closed(choice);
    });
}
