// A command pop-up of the editor's menus: entries are added with the action they run, and a
// choice is dispatched by the menu that holds it and its index, so two entries that share a
// title (the same destination name under two groups) stay two commands. Titles are only shown
// (and read by tests). User-interface thread only; one object builds one pop-up, which stays
// open across idle calls after the object is gone and hands its choice on when it closes.
#pragma once

#include <cstddef>
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

    // What the pop-up closed with: the chosen entry's action (empty when it has none or the
    // menu was dismissed), and the menu and index of the choice (null and -1 when dismissed).
    struct Choice {
        bool chosen = false;
        bool undo = false;
        Action action;
        VSTGUI::COptionMenu* menu = nullptr;
        int index = -1;
        // An entry was picked, with or without an action of its own.
        bool picked() const { return menu != nullptr; }
    };
    using Closed = std::function<void(const Choice&)>;
    // Shows the menu on the 16 x 16 square centred on the mouse. When the pop-up closes it is
    // taken off the frame again and `closed` runs with the choice, after this call has returned
    // unless the pop-up is scripted; when the window closes first, `closed` never runs.
    void popup(VSTGUI::CFrame* frame, Closed closed);

private:
    struct Entry {
        VSTGUI::COptionMenu* menu;
        int index;
        Action action;
        bool undo;
    };
    VSTGUI::COptionMenu* root;
    std::vector<Entry> entries;
};

// A menu as a table of rows: each row's title, the command it makes for the scope the menu acts
// on (the pad, the sequence, the clicked cell) and the row's own number (a row, a direction, a
// shape). A row without a maker is a plain entry: "-" a separator, "-G" a greyed line.
template <class Scope> struct MenuRow {
    const char* title;
    CommandMenu::Action (*make)(const Scope&, int) = nullptr;
    int arg = 0;
};

// Adds the rows in order to `menu` (the top level when null).
template <class Scope, std::size_t N>
void addRows(CommandMenu& m, const MenuRow<Scope> (&rows)[N], const Scope& scope,
             VSTGUI::COptionMenu* menu = nullptr) {
    for (const MenuRow<Scope>& row : rows)
        m.add(row.title, row.make ? row.make(scope, row.arg) : CommandMenu::Action(), menu);
}
