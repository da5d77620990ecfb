// Option menus: a list of entries (titles, separators, disabled entries and submenus) shown as
// a pop-up that stays open across idle calls; the chosen entry becomes current in the menu that
// holds it, as one edit, when it is chosen. Titles follow the
// menu conventions: "-" is a separator and a "-G" prefix greys an entry out. UI thread only.
#pragma once

#include "gui/CControl.h"

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {

class COptionMenu;

class CMenuItem : public CBaseObject {
public:
    enum Flags : int32_t { kNoFlags = 0, kDisabled = 1 << 0, kTitle = 1 << 1, kSeparator = 1 << 3 };

    explicit CMenuItem(std::string title, int32_t flags = kNoFlags, COptionMenu* submenu = nullptr);

    const std::string& getTitle() const { return title; }
    void setTitle(const std::string& t) { title = t; }
    int32_t getFlags() const { return flags; }
    bool isEnabled() const { return (flags & kDisabled) == 0; }
    void setEnabled(bool on) { flags = on ? (flags & ~kDisabled) : (flags | kDisabled); }
    bool isSeparator() const { return (flags & kSeparator) != 0; }
    bool isTitle() const { return (flags & kTitle) != 0; }
    COptionMenu* getSubmenu() const { return submenu; }
    // An entry that can be chosen: enabled, not a separator, no submenu.
    bool isChoosable() const { return isEnabled() && !isSeparator() && !isTitle() && !submenu; }

protected:
    ~CMenuItem() override;

private:
    std::string title;
    int32_t flags;
    COptionMenu* submenu;
};

class COptionMenu : public CParamDisplay {
public:
    COptionMenu(const CRect& size, IControlListener* listener, int32_t tag,
                CBitmap* background = nullptr, CBitmap* bgWhenClick = nullptr, int32_t style = 0);
    // A free-standing menu for commands (no control face).
    COptionMenu();

    // The menu conventions: "-" adds a separator, "-G<title>" a disabled entry titled <title>,
    // anything else an ordinary entry; index -1 appends.
    CMenuItem* addEntry(const std::string& title, int32_t index = -1, int32_t itemFlags = 0);
    CMenuItem* addEntry(COptionMenu* submenu, const std::string& title);
    CMenuItem* addEntry(CMenuItem* item, int32_t index = -1);
    CMenuItem* addSeparator(int32_t index = -1);
    CMenuItem* getEntry(int32_t index) const;
    int32_t getNbEntries() const { return static_cast<int32_t>(items.size()); }
    bool removeEntry(int32_t index);
    bool removeAllEntry();

    // The current entry (-1 none). Without countSeparator, separators are not counted.
    int32_t getCurrentIndex(bool countSeparator = false) const;
    CMenuItem* getCurrent() const;
    // The current index; with a title buffer and a current entry, its title is copied there.
    int32_t getCurrent(char* title, bool countSeparator) const;
    bool setCurrent(int32_t index, bool countSeparator = true);
    // Replaces an entry's title by the conventions ("-G" disables; null gives "" and enables).
    void setEntry(long index, char* title);
    // The menu in which the last choice was made, with the chosen index; null when none.
    COptionMenu* getLastItemMenu(int32_t& index) const;

    // Opens the list below the control. The pop-up stays open across idle calls; when it
    // closes, a chosen entry becomes current and its listener hears it, inside this control's
    // edit brackets, and then `closed` runs with whether an entry was chosen. Neither happens
    // when the frame closes first. True when an entry was chosen before this call returns (a
    // scripted pop-up); false while the pop-up is open, or when none could open.
    using PopupClosed = std::function<void(bool chosen)>;
    bool popup(PopupClosed closed = {});
    bool doPopup() { return popup(); }
    // Marks a choice as if the user made it in the pop-up: used by the pop-up and the tests.
    void choose(COptionMenu* holder, int32_t index);

    void setValue(float v) override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t getMenuStyle() const { return menuStyle; }
    CButtonState getLastButtons() const { return lastButtons; }

protected:
    ~COptionMenu() override;

    std::vector<CMenuItem*> items;
    int32_t currentIndex = -1;
    COptionMenu* lastMenu = nullptr;
    int32_t lastResult = -1;
    int32_t menuStyle = 0;
    CBitmap* bgWhenClick = nullptr;
    CButtonState lastButtons;
};

} // namespace VSTGUI
