// An opened off-screen editor on a real engine with fresh preferences and scripted dialogs,
// for the menu tests: each pop-up's tree is recorded, then the entry named by a path of
// titles is chosen through the pop-up's own pointer events (an empty path dismisses).
#pragma once

#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "gui/COptionMenu.h"
#include "platform/dialogs.h"
#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sectionstest {

using namespace VSTGUI;

// One shown entry: its title by the menu conventions ("-", "-G" for greyed) and its submenu.
struct Shown {
    std::string title;
    std::vector<Shown> sub;
};

inline std::vector<Shown> record(const COptionMenu* menu) {
    std::vector<Shown> out;
    for (int i = 0; i < menu->getNbEntries(); ++i) {
        const CMenuItem* e = menu->getEntry(i);
        Shown s{e->isSeparator() ? "-" : (e->isEnabled() ? "" : "-G") + e->getTitle(), {}};
        if (e->getSubmenu()) s.sub = record(e->getSubmenu());
        out.push_back(s);
    }
    return out;
}

inline std::vector<std::string> titles(const std::vector<Shown>& menu) {
    std::vector<std::string> out;
    for (const Shown& s : menu) out.push_back(s.title);
    return out;
}

inline const Shown* find(const std::vector<Shown>& menu, const std::string& title) {
    for (const Shown& s : menu)
        if (s.title == title) return &s;
    return nullptr;
}

struct MenuRig : ::testing::Test {
    void SetUp() override {
        folder = makeTempFolder("zek2menus");
        setPrefsFileForTesting(folder + "/prefs.conf");
        installDialogBackend(&dialogs);
        engine = std::make_unique<APlugin>(nullptr);
        ed = static_cast<uEditor*>(engine->getEditor());
        ASSERT_TRUE(ed->open(nullptr));
        ed->getFrame()->setMenuDriver([this](MenuPopup& p) { return drive(p); });
    }
    void TearDown() override {
        ed->close();
        engine.reset();
        installDialogBackend(nullptr);
        setPrefsFileForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Chooses the entry at the end of the path of titles in the next pop-ups.
    void choose(std::vector<std::string> titlePath) { path = std::move(titlePath); }

    bool drive(MenuPopup& p) {
        shown = record(p.getMenu());
        ++popups;
        for (size_t level = 0; level < path.size(); ++level) {
            const COptionMenu* m = p.getLevel(static_cast<int32_t>(level)).menu;
            int index = -1;
            for (int i = 0; i < m->getNbEntries() && index < 0; ++i)
                if (m->getEntry(i)->getTitle() == path[level]) index = i;
            if (index < 0) break;
            const CPoint at = p.getItemCenter(static_cast<int32_t>(level), index);
            p.mouseMoved(at);
            if (level + 1 == path.size()) {
                p.mouseDown(at, kLButton);
                p.mouseUp(at, kLButton);
            }
        }
        path.clear();
        return false;
    }

    APlugin& e() { return *engine; }

    std::string folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<APlugin> engine;
    uEditor* ed = nullptr;
    std::vector<std::string> path;
    std::vector<Shown> shown;
    int popups = 0;
};

} // namespace sectionstest
