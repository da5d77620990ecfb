#include "gui/DirtyRegion.h"

namespace VSTGUI {

namespace {

CCoord area(const CRect& r) {
    return r.getWidth() * r.getHeight();
}

CRect united(CRect a, const CRect& b) {
    return a.unite(b);
}

// Two rectangles are redrawn as one when their box costs little more than the two alone.
bool worthMerging(const CRect& a, const CRect& b) {
    return a.rectOverlap(b) || area(united(a, b)) <= (area(a) + area(b)) * 1.25;
}

} // namespace

void DirtyRegion::add(const CRect& rect) {
    if (rect.isEmpty()) return;
    CRect r = rect;
    // A merge may make the box reach others: merge again until nothing is left to take in.
    for (int i = 0; i < count;) {
        if (worthMerging(rects[i], r)) {
            r.unite(rects[i]);
            remove(i);
            i = 0;
        } else {
            ++i;
        }
    }
    if (count < kMaxRects) {
        rects[count++] = r;
        return;
    }
    // Full: the rectangle joins the one whose box grows least.
    int best = 0;
    CCoord bestGrowth = area(united(rects[0], r)) - area(rects[0]);
    for (int i = 1; i < count; ++i) {
        const CCoord growth = area(united(rects[i], r)) - area(rects[i]);
        if (growth < bestGrowth) best = i, bestGrowth = growth;
    }
    r.unite(rects[best]);
    remove(best);
    add(r);
}

void DirtyRegion::bound(const CRect& limit) {
    for (int i = 0; i < count;) {
        rects[i].bound(limit);
        if (rects[i].isEmpty())
            remove(i);
        else
            ++i;
    }
}

} // namespace VSTGUI
