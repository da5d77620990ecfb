// The main screen's layout is built in two halves: the upper panels (top bar to the EQ knobs),
// then the lower panels, the five pages and the ribbon. Host user-interface thread.
#pragma once

#include "controls/TReadouts.h"
#include "editor/screens/LayoutRows.h"
#include "gui/GuiTypes.h"

namespace layout {
// Where each group of the filter-type menu starts in the type list (the first type stands
// alone at the top); both screens' filter-type menus use it.
inline constexpr int FILTER_GROUP_START[7] = {1, 3, 17, 19, 33, 35, 43};

// From the EQ curve display to the ribbon, after the upper panels.
void buildMainLower(uEditor& ed, Builder& b);
// The page container's five pages, each into its own list of views.
void buildMainPages(uEditor& ed, Builder& b);
// The amp panel and the EQ's controls, after the play panel.
void buildMainAmpEQ(uEditor& ed, Builder& b);
// Pages 3 and 4 of the page container, into the page's list of views.
void buildFXPage(uEditor& ed, Builder& b, ViewList& page);
void buildPathPage(uEditor& ed, Builder& b, ViewList& page);

// A rectangle of the layout sheets, scaled; one of a per-size table, as it stands.
inline VSTGUI::CRect boxOf(const Builder& b, Coord x, Coord y, Coord w, Coord h) {
    const int left = b.sx(x), top = b.sy(y);
    return VSTGUI::CRect(left, top, left + b.s(w), top + b.s(h));
}
inline VSTGUI::CRect boxOf(const int (&r)[4]) {
    return VSTGUI::CRect(r[0], r[1], r[0] + r[2], r[1] + r[3]);
}

// Keeps the captions of built rows (and the rows that are labels) in `to`, from index n; a
// caption beyond the end of `to` is left out and reported.
template <size_t N, size_t M> int captionsOf(const Built (&b)[N], TLabel* (&to)[M], int n = 0) {
    for (const Built& x : b) {
        TLabel* caption = x.caption ? x.caption : dynamic_cast<TLabel*>(x.view);
        if (!caption) continue;
        if (n < 0 || static_cast<size_t>(n) >= M) {
            reportOverflow("a caption list", static_cast<int>(M));
            continue;
        }
        to[n++] = caption;
    }
    return n;
}
} // namespace layout
