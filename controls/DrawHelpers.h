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

// `text` as it fits in `width` pixels of the context's font: whole when it fits, else cut at a
// character and ended with "..." (as much of the text as fits with it).
std::string fittedText(VSTGUI::CDrawContext* context, const std::string& text,
                       VSTGUI::CCoord width);

// A value text ("-100.0%", "12.5 st") in a shorter form where the whole one is wider than
// `width`: its number rounded to a whole one, then without its unit. The sign always stays.
std::string shortValueText(VSTGUI::CDrawContext* context, const std::string& text,
                           VSTGUI::CCoord width);
