// The main screen's layout is built in two halves: the upper panels (top bar to the EQ knobs),
// then the lower panels, the five pages and the ribbon. Host user-interface thread.
#pragma once

#include "editor/screens/LayoutRows.h"

namespace layout {
// From the EQ curve display to the ribbon, after the upper panels.
void buildMainLower(uEditor& ed, Builder& b);
// The page container's five pages, each into its own list of views.
void buildMainPages(uEditor& ed, Builder& b);
} // namespace layout
