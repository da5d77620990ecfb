// The source and destination pop-up menus of the modulation matrix. A choice is read back by
// the submenu it was made in and its index there, never by its title: destinations of
// different groups may share a name. User-interface thread; the menu stays open across idle
// calls and the choice is written when it is made.
#include "controls/displays/TModScreen.h"

#include "controls/ControlContext.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"

#include <functional>
#include <string>
#include <vector>

using namespace VSTGUI;

namespace {

// Entries of the menu before the first group: the title, a separator and "None".
constexpr int kNoneEntry = 2;
constexpr int kFirstGroupEntry = 3;
constexpr int kMenuStyle = 272;

struct GroupedMenu {
    COptionMenu* root = nullptr;
    std::vector<COptionMenu*> groups;
};

// Builds the pop-up 20 pixels square around the pointer: title, separator, "None", then one
// submenu per group whose entries are name(first .. next group's first - 1).
template <class Name>
GroupedMenu buildMenu(CFrame* frame, const std::string& title, const char* const* groupTitles,
                      const std::string& groupPrefix, const int* groupStart, int groupCount,
                      Name name) {
    CPoint p;
    frame->getCurrentMouseLocation(p);
    GroupedMenu m;
    m.root = new COptionMenu(CRect(p.x - 10, p.y - 10, p.x + 10, p.y + 10), nullptr,
                             ControlEditor::kNoTag, nullptr, nullptr, kMenuStyle);
    m.root->addEntry("-G" + title);
    m.root->addSeparator();
    m.root->addEntry("None");
    for (int g = 0; g < groupCount; ++g) {
        auto* sub = new COptionMenu();
        for (int k = groupStart[g]; k < groupStart[g + 1]; ++k) sub->addEntry(name(k));
        m.root->addEntry(sub, groupPrefix + groupTitles[g]);
        m.groups.push_back(sub);
        sub->forget(); // the entry keeps it
    }
    return m;
}

// Pops the menu up; when it closes `chosen` hears the chosen index into the grouped list (0 for
// "None"), or -1. The frame holds the menu from here on and lets go of it when it closes.
void runMenu(CFrame* frame, const GroupedMenu& m, const int* groupStart,
             std::function<void(int)> chosen) {
    frame->addView(m.root);
    m.root->forget();
    COptionMenu* root = m.root;
    root->popup([frame, root, groups = m.groups, groupStart,
                 chosen = std::move(chosen)](bool picked) {
        int choice = -1;
        if (picked) {
            int32_t index = -1;
            COptionMenu* holder = root->getLastItemMenu(index);
            if (holder == root && index == kNoneEntry) choice = 0;
            for (size_t g = 0; g < groups.size(); ++g)
                if (holder == groups[g] && index >= 0 && index < groupStart[g + 1] - groupStart[g])
                    choice = groupStart[g] + index;
        }
        frame->setFocusView(nullptr);
        frame->removeView(root, false);
        chosen(choice);
    });
}

} // namespace

void TModScreen::showSourceMenu(int slot) {
    CFrame* frame = getFrame();
    DisplaySound* engine = displaySoundOf(this);
    if (!frame || !engine) return;
    const GroupedMenu m =
        buildMenu(frame, "Mod Source " + std::to_string(slot + 1), SRC_SUB_STR, "Modulate by ",
                  SRC_SUB_START, SRC_SUB_COUNT, [](int k) { return std::string(SRC_STR[k]); });
    runMenu(frame, m, SRC_SUB_START, [this, engine, slot](int source) {
        ControlEditor* editor = editorOf(this);
        if (editor && source >= 0 && source < SRC_COUNT)
            editor->userEdit(tag::ModSourceFirst + slot,
                             [&] { engine->setSteppedValue(tag::ModSourceFirst + slot, source); });
        setDirty(true);
    });
}

void TModScreen::showDestMenu(int slot) {
    CFrame* frame = getFrame();
    DisplaySound* engine = displaySoundOf(this);
    ControlEditor* editor = editorOf(this);
    if (!frame || !engine || !editor) return;
    const GroupedMenu m = buildMenu(frame, "Mod Destination " + std::to_string(slot + 1),
                                    DEST_SUB_STR, "", DEST_SUB_START, DEST_SUB_COUNT,
                                    [editor](int d) { return editor->getDestMenuStr(d, false); });
    runMenu(frame, m, DEST_SUB_START, [this, engine, editor, slot](int dest) {
        if (dest >= 0 && dest < DEST_COUNT)
            editor->userEdit(tag::ModDestFirst + slot,
                             [&] { engine->setSteppedValue(tag::ModDestFirst + slot, dest); });
        setDirty(true);
    });
}
