// Option menu entries, the current-entry rules and the pop-up call. The pop-up itself is the
// frame's (MenuPopup, shown by the platform back end and served by the idle calls).
// User-interface thread only.
#include "gui/COptionMenu.h"

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

#include <cstring>

namespace VSTGUI {

CMenuItem::CMenuItem(std::string t, int32_t f, COptionMenu* sub)
    : title(std::move(t)), flags(f), submenu(sub) {
    if (submenu) submenu->remember();
}

CMenuItem::~CMenuItem() {
    if (submenu) submenu->forget();
}

COptionMenu::COptionMenu(const CRect& r, IControlListener* l, int32_t t, CBitmap* bg,
                         CBitmap* bgClick, int32_t style)
    : CParamDisplay(r, bg, style), menuStyle(style), bgWhenClick(bgClick) {
    setListener(l);
    setTag(t);
    setMin(0);
    setMax(0);
    if (bgWhenClick) bgWhenClick->remember();
}

COptionMenu::COptionMenu() : COptionMenu(CRect(), nullptr, -1) {}

COptionMenu::~COptionMenu() {
    removeAllEntry();
    if (bgWhenClick) bgWhenClick->forget();
}

CMenuItem* COptionMenu::addEntry(CMenuItem* item, int32_t index) {
    if (!item) return nullptr;
    if (index < 0 || index > getNbEntries())
        items.push_back(item);
    else
        items.insert(items.begin() + index, item);
    setMax(static_cast<float>(getNbEntries() - 1));
    return item;
}

CMenuItem* COptionMenu::addEntry(const std::string& title, int32_t index, int32_t itemFlags) {
    if (title == "-") return addSeparator(index);
    if (title.size() >= 2 && title[0] == '-' && title[1] == 'G')
        return addEntry(new CMenuItem(title.substr(2), itemFlags | CMenuItem::kDisabled), index);
    return addEntry(new CMenuItem(title, itemFlags), index);
}

CMenuItem* COptionMenu::addEntry(COptionMenu* submenu, const std::string& title) {
    return addEntry(new CMenuItem(title, CMenuItem::kNoFlags, submenu), -1);
}

CMenuItem* COptionMenu::addSeparator(int32_t index) {
    return addEntry(new CMenuItem("", CMenuItem::kSeparator), index);
}

CMenuItem* COptionMenu::getEntry(int32_t index) const {
    if (index < 0 || index >= getNbEntries()) return nullptr;
    return items[static_cast<size_t>(index)];
}

bool COptionMenu::removeEntry(int32_t index) {
    CMenuItem* item = getEntry(index);
    if (!item) return false;
    items.erase(items.begin() + index);
    item->forget();
    if (currentIndex == index)
        currentIndex = -1;
    else if (currentIndex > index)
        --currentIndex;
    return true;
}

bool COptionMenu::removeAllEntry() {
    for (CMenuItem* item : items) item->forget();
    items.clear();
    currentIndex = -1;
    lastMenu = nullptr;
    lastResult = -1;
    return true;
}

int32_t COptionMenu::getCurrentIndex(bool countSeparator) const {
    if (currentIndex < 0 || currentIndex >= getNbEntries()) return -1;
    if (countSeparator) return currentIndex;
    int32_t n = 0;
    for (int32_t i = 0; i < currentIndex; ++i)
        if (!items[static_cast<size_t>(i)]->isSeparator()) ++n;
    return n;
}

CMenuItem* COptionMenu::getCurrent() const {
    return getEntry(currentIndex);
}

int32_t COptionMenu::getCurrent(char* title, bool countSeparator) const {
    const int32_t index = getCurrentIndex(countSeparator);
    if (title && index >= 0) {
        const std::string& t = items[static_cast<size_t>(currentIndex)]->getTitle();
        std::memcpy(title, t.c_str(), t.size() + 1);
    }
    return index;
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator) {
    if (!countSeparator) {
        // Translate an index without separators into the list's own index.
        for (int32_t i = 0, n = 0; i < getNbEntries(); ++i) {
            if (items[static_cast<size_t>(i)]->isSeparator()) continue;
            if (n++ == index) {
                index = i;
                break;
            }
        }
    }
    if (index < 0 || index >= getNbEntries()) return false;
    currentIndex = index;
    CParamDisplay::setValue(static_cast<float>(index));
    setDirty(true);
    return true;
}

void COptionMenu::setEntry(long index, char* title) {
    CMenuItem* item = getEntry(static_cast<int32_t>(index));
    if (!item) return;
    if (!title) {
        item->setTitle("");
        item->setEnabled(true);
    } else if (title[0] == '-' && title[1] == 'G') {
        item->setTitle(title + 2);
        item->setEnabled(false);
    } else {
        item->setTitle(title);
        item->setEnabled(true);
    }
    setDirty(true);
}

COptionMenu* COptionMenu::getLastItemMenu(int32_t& index) const {
    index = lastResult;
    return lastMenu;
}

void COptionMenu::setValue(float v) {
    CParamDisplay::setValue(v);
    const int32_t index = static_cast<int32_t>(v + 0.5f);
    currentIndex = (index >= 0 && index < getNbEntries()) ? index : -1;
}

void COptionMenu::choose(COptionMenu* holder, int32_t index) {
    if (!holder) return;
    CMenuItem* item = holder->getEntry(index);
    if (!item || !item->isChoosable()) return;
    lastMenu = holder;
    lastResult = index;
    holder->currentIndex = index;
    holder->CParamDisplay::setValue(static_cast<float>(index));
    holder->setDirty(true);
    setDirty(true);
    // The holder's listener hears of the choice, a submenu without one through us: one edit.
    beginEdit();
    if (holder->getListener())
        holder->valueChanged();
    else if (holder != this)
        valueChanged();
    endEdit();
}

bool COptionMenu::popup(PopupClosed closed) {
    lastMenu = nullptr;
    lastResult = -1;
    CFrame* frame = getFrame();
    if (!frame) return false;
    // The frame keeps this menu while the pop-up is open; a pop-up that closes at once may
    // let go of it (its `closed` taking it off the frame), so it is kept for the call too.
    remember();
    frame->openMenuPopup(this,
                         [this, closed = std::move(closed)](COptionMenu* holder, int32_t index) {
                             if (holder) choose(holder, index);
                             if (closed) closed(lastMenu != nullptr);
                         });
    const bool chosen = lastMenu != nullptr;
    forget();
    return chosen;
}

void COptionMenu::draw(CDrawContext* context) {
    if (background) background->draw(context, size, CPoint(), alpha);
    const CMenuItem* item = getCurrent();
    drawText(context, item ? item->getTitle() : std::string());
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
    lastButtons = buttons;
    if (!getMouseEnabled()) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (buttons.isLeftButton() || buttons.isRightButton()) popup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

} // namespace VSTGUI
