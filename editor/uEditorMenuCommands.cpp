// Building, showing and dispatching the editor's command pop-ups. User-interface thread.
#include "editor/uEditorMenuCommands.h"

#include "gui/CFrame.h"
#include "gui/COptionMenu.h"

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

bool CommandMenu::popup(CFrame* frame) {
    chosenEntry = -1;
    if (!frame) return false;
    CPoint where;
    frame->getCurrentMouseLocation(where);
    root->setViewSize(CRect(where.x - kHalfSquare, where.y - kHalfSquare, where.x + kHalfSquare,
                            where.y + kHalfSquare));
    frame->addView(root);
    root->popup();
    int32_t index = -1;
    COptionMenu* holder = root->getLastItemMenu(index);
    for (size_t i = 0; holder && i < entries.size(); ++i)
        if (entries[i].menu == holder && entries[i].index == index)
            chosenEntry = static_cast<int>(i);
    frame->removeView(root, false);
    frame->invalidRect(frame->getViewSize());
    return chosen();
}

void CommandMenu::run() const {
    if (chosen() && entries[chosenEntry].action) entries[chosenEntry].action();
}
