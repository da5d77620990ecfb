// A command pop-up of the editor's menus: entries are added with the action they run, and a
// choice is dispatched by the menu that holds it and its index, so two entries that share a
// title (the same destination name under two groups) stay two commands. Titles are only shown
// (and read by tests). User-interface thread only; one object lives for one pop-up.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
class CFrame;
class COptionMenu;
} // namespace VSTGUI

class CommandMenu {
public:
    using Action = std::function<void()>;

    CommandMenu();
    ~CommandMenu();
    CommandMenu(CommandMenu const&) = delete;
    CommandMenu& operator=(CommandMenu const&) = delete;

    VSTGUI::COptionMenu* getRoot() const { return root; }
    // Adds an entry to `menu` (the top level when null) by the menu conventions: "-" is a
    // separator, a "-G" title a greyed entry that cannot be chosen.
    void add(const std::string& title, Action action = {}, VSTGUI::COptionMenu* menu = nullptr);
    // The undo entry: a command that pops the menu's own snapshot instead of pushing one.
    void addUndo(bool enabled, Action action);
    VSTGUI::COptionMenu* addSubmenu(const std::string& title,
                                    VSTGUI::COptionMenu* parent = nullptr);

    // Shows the menu on the 16 x 16 square centred on the mouse, modally, then takes it off the
    // frame again. True when an entry was chosen.
    bool popup(VSTGUI::CFrame* frame);
    bool chosen() const { return chosenEntry >= 0; }
    bool chosenIsUndo() const { return chosen() && entries[chosenEntry].undo; }
    // Runs the chosen entry's action, if any.
    void run() const;
    // A copy of the chosen entry's action (empty when none), to run after the pop-up is gone.
    Action chosenAction() const { return chosen() ? entries[chosenEntry].action : Action(); }

private:
    struct Entry {
        VSTGUI::COptionMenu* menu;
        int index;
        Action action;
        bool undo;
    };
    VSTGUI::COptionMenu* root;
    std::vector<Entry> entries;
    int chosenEntry = -1;
};
