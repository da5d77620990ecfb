// Option menus: the entry conventions ("-" separators, "-G" greyed entries), the current-entry
// rules, and the modal pop-up with submenus driven off-screen by scripted pointer events.
#include "GuiTestSupport.h"
#include "gui/COptionMenu.h"

#include <gtest/gtest.h>

#include <vector>

using namespace VSTGUI;

namespace {

struct Listener : IControlListener {
    void valueChanged(CControl* c) override { senders.push_back(c); }
    std::vector<CControl*> senders;
};

// A driver that performs one pointer event per step, then gives up (dismisses the pop-up).
struct Script {
    std::vector<std::function<void(MenuPopup&)>> steps;
    size_t next = 0;
    bool operator()(MenuPopup& p) {
        if (next >= steps.size()) return false;
        steps[next++](p);
        return true;
    }
};

} // namespace

TEST(GuiMenu, EntryTitlesFollowTheSeparatorAndGreyedConventions) {
    auto* menu = new COptionMenu();
    menu->addEntry("-");
    menu->addEntry("-GNot MIDI Latched");
    menu->addEntry("--");
    menu->addEntry("- ");
    menu->addEntry("-G-GSave");
    menu->addEntry("");
    menu->addEntry("Load");
    ASSERT_EQ(menu->getNbEntries(), 7);
    EXPECT_TRUE(menu->getEntry(0)->isSeparator());
    EXPECT_FALSE(menu->getEntry(1)->isEnabled());
    EXPECT_EQ(menu->getEntry(1)->getTitle(), "Not MIDI Latched");
    EXPECT_EQ(menu->getEntry(4)->getTitle(), "-GSave");
    EXPECT_FALSE(menu->getEntry(4)->isEnabled());
    EXPECT_TRUE(menu->getEntry(5)->isEnabled());

    // No current entry yet: the buffer is left alone.
    char title[256] = "unchanged";
    EXPECT_EQ(menu->getCurrent(title, false), -1);
    EXPECT_STREQ(title, "unchanged");
    menu->setCurrent(6);
    EXPECT_EQ(menu->getCurrent(nullptr, false), 5); // the separator is not counted
    EXPECT_EQ(menu->getCurrent(title, true), 6);
    EXPECT_STREQ(title, "Load");
    menu->forget();
}

TEST(GuiMenu, APopupWithSubmenusReturnsTheChosenEntrysTitleAndIndex) {
    CFrame* frame = guitest::offscreenFrame(600, 400);
    Listener listener;
    auto* menu = new COptionMenu(CRect(20, 20, 120, 36), &listener, 294);
    menu->addEntry("-GFilter Command Menu");
    menu->addEntry("Bypass");
    menu->addEntry("-");
    auto* sub = new COptionMenu(CRect(20, 20, 120, 36), &listener, 294);
    for (const char* t : {"12 LP1", "12 HP1", "-G12 BP1", "12 N1"}) sub->addEntry(t);
    menu->addEntry(sub, "12 dB Filters");
    sub->forget(); // the entry keeps it
    guitest::attach(frame, menu);
    frame->render();

    // Hover the submenu entry, move into the submenu, release on its fourth entry.
    Script script;
    script.steps.push_back([](MenuPopup& p) {
        EXPECT_EQ(p.getNbLevels(), 1);
        p.mouseMoved(p.getItemCenter(0, 3));
    });
    script.steps.push_back([](MenuPopup& p) {
        ASSERT_EQ(p.getNbLevels(), 2);
        // The submenu opens beside the main list.
        EXPECT_GE(p.getLevel(1).rect.left, p.getLevel(0).rect.right - 1);
        p.mouseMoved(p.getItemCenter(1, 2));
    });
    script.steps.push_back([](MenuPopup& p) {
        p.mouseUp(p.getItemCenter(1, 2), kLButton); // greyed: cannot be chosen
        EXPECT_FALSE(p.isDone());
    });
    script.steps.push_back([frame](MenuPopup& p) {
        // The pop-up is drawn over the frame while it is open.
        const CPoint c = p.getItemCenter(1, 3);
        p.mouseMoved(c);
        EXPECT_NE(frame->getPixel(static_cast<int>(c.x), static_cast<int>(c.y)),
                  CColor(12, 14, 16, 255));
        p.mouseDown(c, kLButton);
        p.mouseUp(c, kLButton);
    });
    frame->setMenuDriver(std::ref(script));
    frame->platformMouseDown(CPoint(30, 25), kLButton, 100);

    int32_t index = -1;
    COptionMenu* holder = menu->getLastItemMenu(index);
    EXPECT_EQ(holder, sub);
    EXPECT_EQ(index, 3);
    char title[256] = "";
    EXPECT_EQ(sub->getCurrent(title, false), 3);
    EXPECT_STREQ(title, "12 N1");
    EXPECT_EQ(menu->getCurrent(nullptr, false), -1); // the choice was made below
    ASSERT_EQ(listener.senders.size(), 1u);
    EXPECT_EQ(listener.senders[0], sub);
    // The overlay is gone once the pop-up closed.
    EXPECT_EQ(frame->getPixel(300, 380), CColor(12, 14, 16, 255));

    // A top-level choice by keys: down twice lands on "Bypass" (the title is greyed).
    Script keys;
    keys.steps.push_back([](MenuPopup& p) { p.keyDown(14); });
    keys.steps.push_back([](MenuPopup& p) { p.keyDown(19); });
    frame->setMenuDriver(std::ref(keys));
    EXPECT_TRUE(menu->popup());
    EXPECT_EQ(menu->getCurrent(title, true), 1);
    EXPECT_STREQ(title, "Bypass");
    EXPECT_EQ(menu->getLastItemMenu(index), menu);

    // A press outside every panel dismisses: nothing chosen, nothing told.
    listener.senders.clear();
    Script away;
    away.steps.push_back([](MenuPopup& p) { p.mouseDown(CPoint(590, 390), kLButton); });
    frame->setMenuDriver(std::ref(away));
    EXPECT_FALSE(menu->popup());
    EXPECT_EQ(menu->getLastItemMenu(index), nullptr);
    EXPECT_TRUE(listener.senders.empty());
    frame->forget();
}

TEST(GuiMenu, ALongMenuWrapsIntoColumnsInsideTheScreen) {
    CFrame* frame = guitest::offscreenFrame(1400, 700);
    auto* menu = new COptionMenu(CRect(1300, 680, 1380, 696), nullptr, 9999);
    for (int i = 0; i < 237; ++i) menu->addEntry("Wave Preset " + std::to_string(i));
    guitest::attach(frame, menu);
    bool checked = false;
    frame->setMenuDriver([&](MenuPopup& p) {
        const CRect r = p.getLevel(0).rect;
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 1400);
        EXPECT_LE(r.bottom, 700);
        // The last entry sits in a later column than the first.
        EXPECT_GT(p.getItemCenter(0, 236).x, p.getItemCenter(0, 0).x);
        p.mouseDown(p.getItemCenter(0, 236), kLButton);
        p.mouseUp(p.getItemCenter(0, 236), kLButton);
        checked = true;
        return true;
    });
    EXPECT_TRUE(menu->popup());
    EXPECT_TRUE(checked);
    EXPECT_EQ(menu->getCurrentIndex(), 236);
    EXPECT_FLOAT_EQ(menu->getValue(), 236.0f);
    frame->forget();
}
