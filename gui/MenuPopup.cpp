// Layout, pointer and key handling and drawing of an open option-menu pop-up; independent of
// the window system. User-interface thread only.
#include "gui/MenuPopup.h"

#include "gui/CDrawContext.h"
#include "gui/COptionMenu.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {
constexpr CCoord kPadLeft = 12;
constexpr CCoord kPadRight = 26; // room for the submenu arrow
constexpr CCoord kSeparatorHeight = 7;
constexpr CCoord kMargin = 4;
} // namespace

MenuPopup::MenuPopup(COptionMenu* menu, CFrame* f) : rootMenu(menu), frame(f) {}

MenuPopup::Level MenuPopup::layout(COptionMenu* menu) const {
    Level level;
    level.menu = menu;
    CFontRef font = style.font ? style.font : kNormalFontSmall;
    const CCoord itemHeight = std::floor(font->getSize() * 1.75);
    // Long lists (hundreds of sources or wave presets) wrap into further columns.
    const CCoord maxHeight = std::max(itemHeight * 4, bounds.getHeight() - 2 * kMargin);
    std::vector<CCoord> columnWidths;
    std::vector<int32_t> columnOf;
    CCoord y = 0, columnWidth = 60, tallest = 0;
    int32_t column = 0;
    const int32_t n = menu->getNbEntries();
    for (int32_t i = 0; i < n; ++i) {
        const CMenuItem* item = menu->getEntry(i);
        const CCoord h = item->isSeparator() ? kSeparatorHeight : itemHeight;
        if (y + h > maxHeight && y > 0) {
            columnWidths.push_back(columnWidth);
            tallest = std::max(tallest, y);
            ++column;
            y = 0;
            columnWidth = 60;
        }
        if (!item->isSeparator())
            columnWidth =
                std::max(columnWidth, CDrawContext::measureString(font, item->getTitle()) +
                                          kPadLeft + kPadRight);
        level.itemRects.emplace_back(0, y, 0, y + h);
        columnOf.push_back(column);
        y += h;
    }
    columnWidths.push_back(columnWidth);
    tallest = std::max(tallest, y);
    std::vector<CCoord> columnLeft(columnWidths.size(), 0);
    for (size_t c = 1; c < columnWidths.size(); ++c)
        columnLeft[c] = columnLeft[c - 1] + columnWidths[c - 1];
    for (int32_t i = 0; i < n; ++i) {
        CRect& r = level.itemRects[static_cast<size_t>(i)];
        const size_t c = static_cast<size_t>(columnOf[static_cast<size_t>(i)]);
        r.left = columnLeft[c] + 1;
        r.right = columnLeft[c] + columnWidths[c] - 1;
        r.offset(0, 1);
    }
    const CCoord width = columnLeft.back() + columnWidths.back();
    level.rect = CRect(0, 0, width, std::max<CCoord>(tallest, itemHeight) + 2);
    return level;
}

void MenuPopup::place(Level& level, const CRect& anchor, bool beside) {
    const CCoord w = level.rect.getWidth(), h = level.rect.getHeight();
    CCoord x, y;
    if (beside) {
        x = anchor.right;
        y = anchor.top - 1;
        if (x + w > bounds.right) x = anchor.left - w; // no room on the right: open leftwards
    } else {
        x = anchor.left;
        y = anchor.bottom;
        if (y + h > bounds.bottom) y = anchor.top - h; // no room below: open above
    }
    x = std::max(bounds.left, std::min(x, bounds.right - w));
    y = std::max(bounds.top, std::min(y, bounds.bottom - h));
    level.rect.moveTo(x, y);
}

void MenuPopup::open(const CRect& b, const CRect& anchor) {
    bounds = b;
    levels.clear();
    done = false;
    chosenMenu = nullptr;
    chosenIndex = -1;
    if (!rootMenu || rootMenu->getNbEntries() == 0) {
        done = true;
        return;
    }
    Level first = layout(rootMenu);
    place(first, anchor, false);
    levels.push_back(first);
    ++generation;
}

CPoint MenuPopup::getItemCenter(int32_t level, int32_t index) const {
    if (level < 0 || level >= getNbLevels()) return CPoint(-1, -1);
    const Level& l = levels[static_cast<size_t>(level)];
    if (index < 0 || index >= static_cast<int32_t>(l.itemRects.size())) return CPoint(-1, -1);
    const CRect& r = l.itemRects[static_cast<size_t>(index)];
    return CPoint(l.rect.left + (r.left + r.right) / 2, l.rect.top + (r.top + r.bottom) / 2);
}

int32_t MenuPopup::levelAt(const CPoint& where) const {
    for (int32_t i = getNbLevels() - 1; i >= 0; --i)
        if (levels[static_cast<size_t>(i)].rect.pointInside(where)) return i;
    return -1;
}

int32_t MenuPopup::itemAt(int32_t level, const CPoint& where) const {
    const Level& l = levels[static_cast<size_t>(level)];
    const CPoint local(where.x - l.rect.left, where.y - l.rect.top);
    for (size_t i = 0; i < l.itemRects.size(); ++i) {
        if (!l.itemRects[i].pointInside(local)) continue;
        const CMenuItem* item = l.menu->getEntry(static_cast<int32_t>(i));
        return item && !item->isSeparator() ? static_cast<int32_t>(i) : -1;
    }
    return -1;
}

void MenuPopup::truncate(int32_t count) {
    if (getNbLevels() <= count) return;
    levels.resize(static_cast<size_t>(count));
    ++generation;
}

void MenuPopup::hover(int32_t level, int32_t item) {
    Level& l = levels[static_cast<size_t>(level)];
    if (l.hovered != item) {
        l.hovered = item;
        ++generation;
    }
    const CMenuItem* entry = item >= 0 ? l.menu->getEntry(item) : nullptr;
    COptionMenu* sub = entry && entry->isEnabled() ? entry->getSubmenu() : nullptr;
    // Keep the submenu that this entry opened; close anything else below this level.
    if (getNbLevels() > level + 1 && sub &&
        levels[static_cast<size_t>(level + 1)].openedFrom == item)
        return;
    truncate(level + 1);
    if (!sub || sub->getNbEntries() == 0) return;
    Level next = layout(sub);
    next.openedFrom = item;
    CRect anchor = l.itemRects[static_cast<size_t>(item)];
    anchor.offset(l.rect.left, l.rect.top);
    anchor.left = l.rect.left;
    anchor.right = l.rect.right;
    place(next, anchor, true);
    levels.push_back(next);
    ++generation;
}

void MenuPopup::choose(int32_t level, int32_t item) {
    const Level& l = levels[static_cast<size_t>(level)];
    const CMenuItem* entry = l.menu->getEntry(item);
    if (!entry || !entry->isChoosable()) return;
    chosenMenu = l.menu;
    chosenIndex = item;
    done = true;
}

void MenuPopup::mouseMoved(const CPoint& where) {
    if (done) return;
    const int32_t level = levelAt(where);
    if (level < 0) return; // outside: keep what is open, so the pointer may cut corners
    hover(level, itemAt(level, where));
}

void MenuPopup::mouseDown(const CPoint& where, const CButtonState&) {
    if (done) return;
    const int32_t level = levelAt(where);
    if (level < 0) {
        cancel();
        return;
    }
    hover(level, itemAt(level, where));
}

void MenuPopup::mouseUp(const CPoint& where, const CButtonState&) {
    if (done) return;
    const int32_t level = levelAt(where);
    if (level < 0) return; // the release of the press that opened the menu
    const int32_t item = itemAt(level, where);
    if (item >= 0) choose(level, item);
}

void MenuPopup::keyDown(int32_t virtualKey) {
    if (done || levels.empty()) return;
    const int32_t level = getNbLevels() - 1;
    // Steps the hovered entry of the deepest level; looked up afresh, since opening a
    // submenu adds a level and may move the others.
    auto step = [this](int32_t dir) {
        Level& l = levels.back();
        const int32_t n = l.menu->getNbEntries();
        // With nothing hovered the first step lands on the first entry going down and on the
        // last going up.
        int32_t i = l.hovered >= 0 ? l.hovered : dir > 0 ? -1 : n;
        for (int32_t k = 0; k < n; ++k) {
            i = (i + dir + n) % n;
            const CMenuItem* e = l.menu->getEntry(i);
            if (e && !e->isSeparator() && e->isEnabled()) break;
        }
        l.hovered = i;
        ++generation;
    };
    switch (virtualKey) {
    case 12: // up
        step(-1);
        break;
    case 14: // down
        step(+1);
        break;
    case 13: // right: into the submenu
        if (const int32_t hovered = levels.back().hovered; hovered >= 0) {
            hover(level, hovered);
            if (getNbLevels() > level + 1) {
                levels.back().hovered = -1;
                step(+1);
            }
        }
        break;
    case 11: // left: back out of a submenu
    case 1:
        if (level > 0) truncate(level);
        break;
    case 19: // return
        if (const int32_t hovered = levels.back().hovered; hovered >= 0) choose(level, hovered);
        break;
    case 20: // escape
        cancel();
        break;
    default:
        break;
    }
}

void MenuPopup::drawLevel(CDrawContext* context, int32_t index) const {
    if (index < 0 || index >= getNbLevels()) return;
    const Level& l = levels[static_cast<size_t>(index)];
    const CRect whole(0, 0, l.rect.getWidth(), l.rect.getHeight());
    context->setFillColor(style.background);
    context->fillRect(whole);
    context->setFrameColor(style.border);
    context->setLineWidth(1);
    context->drawRect(whole);
    context->setFont(style.font ? style.font : kNormalFontSmall);
    for (size_t i = 0; i < l.itemRects.size(); ++i) {
        const CMenuItem* item = l.menu->getEntry(static_cast<int32_t>(i));
        const CRect& r = l.itemRects[i];
        if (item->isSeparator()) {
            const CCoord y = std::floor((r.top + r.bottom) / 2);
            context->setFrameColor(style.separator);
            context->drawLine(CPoint(r.left + 6, y), CPoint(r.right - 6, y));
            continue;
        }
        const bool hovered = static_cast<int32_t>(i) == l.hovered && item->isEnabled();
        if (hovered) {
            context->setFillColor(style.hoverBackground);
            context->fillRect(r);
        }
        context->setFontColor(!item->isEnabled() ? style.disabledText
                              : hovered          ? style.hoverText
                                                 : style.text);
        CRect textRect = r;
        textRect.left += kPadLeft;
        textRect.right -= kPadRight - 6;
        context->drawString(item->getTitle(), textRect, kLeftText, true);
        if (item->getSubmenu()) {
            // A small right-pointing triangle marks an entry that opens a submenu.
            const CCoord cy = (r.top + r.bottom) / 2, x = r.right - 14;
            context->setFrameColor(hovered ? style.hoverText : style.text);
            for (int k = 0; k < 4; ++k)
                context->drawLine(CPoint(x + k, cy - 4 + k), CPoint(x + k, cy + 4 - k));
        }
    }
}

} // namespace VSTGUI
