// Small drawing additions the displays share: filled and outlined rectangles and an
// antialiased line in the context's current colours. User-interface thread.
#pragma once

#include "gui/CDrawContext.h"

#include <functional>
#include <string>

// Fills rect with the context's fill colour.
void fillRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context);
// Outlines rect with the context's frame colour.
void drawRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context);
// A line from a to b in the frame colour.
void lineAA(VSTGUI::CDrawContext* context, VSTGUI::CPoint a, VSTGUI::CPoint b);

// Whether a text stands where it is to be drawn.
using TextFits = std::function<bool(const std::string&)>;

// `text` as it fits: whole when `fits` takes it, else cut at a character and ended with "..."
// (as much of the text as fits with it). The first form fits `width` pixels of the context's
// font.
std::string fittedText(VSTGUI::CDrawContext* context, const std::string& text,
                       VSTGUI::CCoord width);
std::string fittedText(const std::string& text, const TextFits& fits);

// A value text ("-100.0%", "12.5 st") in a shorter form where `fits` does not take the whole
// one: its number rounded to a whole one, then without its unit. The sign always stays.
std::string shortValueText(const std::string& text, const TextFits& fits);
