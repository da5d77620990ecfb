// Where the ribbon lies on the main and the Easy screen, per screen size (x, y, w, h in
// pixels): a table of its own, not scaled, shared by the layout and the skin generator, which
// draws the ribbon's well to fit. At 150 percent the ribbon is 30 pixels high, as it always
// was, not 57; the well is drawn to that height. At 100 percent it is 830 wide, not 833: the
// BIPOLAR caption after it needs the room. Read-only data.
#pragma once

namespace layout {
inline constexpr int RIBBON_RECT[4][4] = {
    {26, 726, 830, 38}, {32, 909, 1041, 47}, {48, 1105, 1215, 30}, {52, 1452, 1666, 76}};
} // namespace layout
