// The parts of the frame waiting to be redrawn, kept as a few rectangles: one bounding box of
// two small views in opposite corners would redraw everything between them on every pass.
#pragma once

#include "gui/GuiTypes.h"

namespace VSTGUI {

class DirtyRegion {
public:
    static constexpr int kMaxRects = 8;

    // Adds a rectangle, merged with those it overlaps or nearly fills a box with.
    void add(const CRect& r);
    void clear() { count = 0; }
    bool isEmpty() const { return count == 0; }
    int size() const { return count; }
    const CRect& operator[](int i) const { return rects[i]; }
    // Clips every rectangle to `limit`, dropping those left empty.
    void bound(const CRect& limit);

private:
    void remove(int i) { rects[i] = rects[--count]; }

    CRect rects[kMaxRects];
    int count = 0;
};

} // namespace VSTGUI
