// Small drawing additions the displays share: filled and outlined rectangles and an
// antialiased line in the context's current colours. User-interface thread.
#pragma once

#include "gui/CDrawContext.h"

// Fills rect with the context's fill colour.
void fillRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context);
// Outlines rect with the context's frame colour.
void drawRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context);
// A line from a to b in the frame colour.
void lineAA(VSTGUI::CDrawContext* context, VSTGUI::CPoint a, VSTGUI::CPoint b);
