// An opened off-screen editor on a real engine, fresh preferences and scripted dialogs: each
// pop-up's tree is recorded ("-G" marks a greyed entry), then the entry at the end of a path
// of titles is chosen with the pop-up's own pointer events; an empty path dismisses it.
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

struct Shown {
    std::string title;
    std::vector<Shown> sub;
};

inline std::vector<Shown> record(const COptionMenu* menu) {
    std::vector<Shown> out;
    for (int i = 0; i < menu->getNbEntries(); ++i) {
        const CMenuItem* e = menu->getEntry(i);
        out.push_back({e->isSeparator() ? "-" : (e->isEnabled() ? "" : "-G") + e->getTitle(),
                       e->getSubmenu() ? record(e->getSubmenu()) : std::vector<Shown>{}});
    }
    return out;
}

inline const Shown* find(const std::vector<Shown>& menu, const std::string& title) {
    for (const Shown& s : menu)
        if (s.title == title) return &s;
    return nullptr;
}

struct MenuRig : ::testing::Test {
    void SetUp() override {
        installDialogBackend(&dialogs);
        engine = std::make_unique<APlugin>(nullptr);
        ed = new uEditor(engine.get());
        ASSERT_TRUE(ed->open(nullptr));
        ed->getFrame()->setMenuDriver([this](MenuPopup& p) {
            shown = record(p.getMenu());
            ++popups;
            for (size_t level = 0; level < path.size(); ++level) {
                const COptionMenu* m = p.getLevel(static_cast<int32_t>(level)).menu;
                int i = 0;
                while (i < m->getNbEntries() && m->getEntry(i)->getTitle() != path[level]) ++i;
                if (i == m->getNbEntries()) break;
                const CPoint at = p.getItemCenter(static_cast<int32_t>(level), i);
                p.mouseMoved(at);
                if (level + 1 == path.size()) p.mouseUp(at, kLButton);
            }
            path.clear();
            return false;
        });
    }
    void TearDown() override {
        ed->close();
        engine.reset();
        installDialogBackend(nullptr);
    }
    void choose(std::vector<std::string> titlePath) { path = std::move(titlePath); }
    APlugin& e() { return *engine; }

    FreshPrefs prefs{"zek2menus"};
    const std::string& folder = prefs.folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<APlugin> engine;
    uEditor* ed = nullptr;
    std::vector<std::string> path;
    std::vector<Shown> shown;
    int popups = 0;
};

} // namespace sectionstest
