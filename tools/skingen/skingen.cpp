// Build tool: draws every skin picture listed in the skin file at the four screen sizes with
// cairo and writes them as PNG resources into one blob, with a C++ source that indexes the
// blob and embeds it into the plug-in; and, when asked, the list of where the backgrounds'
// decorations leave ink (the layout checks read it). Usage:
// skingen <skin.txt> <out.bin> <out.cpp> [<ink.txt>]
#include "controls/StyleTables.h"
#include "editor/SkinResources.h"
#include "editor/screens/RibbonPlace.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using VSTGUI::CColor;

// The palette: dark frame and windows, light grey sections for the dark captions, and the
// style tables' greens for everything that lights up.
const CColor kFrame{20, 22, 25, 255};
const CColor kTopBarHigh{44, 48, 53, 255};
const CColor kTopBarLow{27, 30, 34, 255};
// Sections are flat, so a view container's picture sits seamlessly on the section around it.
const CColor kPanel{204, 208, 212, 255};
const CColor kPanelEdge{150, 156, 162, 255};
const CColor kLcd{14, 18, 15, 255};
const CColor kLcdEdge{58, 68, 60, 255};
const CColor kKnobHigh{78, 84, 90, 255};
const CColor kKnobLow{30, 33, 37, 255};
const CColor kPointer{236, 240, 243, 255};
const CColor kTrack{64, 70, 76, 255};
const CColor kOff{58, 63, 68, 255};

struct Decoration {
    std::string kind;
    double x, y, w, h;
    // Per-size corrections of x, y, w and h at 125, 150 and 200 percent, written as the layout
    // writes them ("139(+5/+3/+4)"), so a window follows the control it frames.
    int fix[4][3] = {};
    // Text kinds: the alignment (l, c, r) and the words after it.
    char align = 'l';
    std::string text;
};

struct Picture {
    int id = 0;
    std::string kind;
    double w = 0, h = 0;
    int frames = 1;
    std::vector<Decoration> decorations;
};

constexpr double kPi = 3.14159265358979323846;

void source(cairo_t* cr, CColor c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double y0, double y1, CColor top, CColor bottom) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, top.red / 255.0, top.green / 255.0, top.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.red / 255.0, bottom.green / 255.0,
                                     bottom.blue / 255.0);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// ---------------------------------------------------------------------------------------------
// Where the decorations leave ink: for each background and page, at each size, every box the
// generator fills or strokes and every caption it prints, as the pixels that the drawing touches
// at all (a caption's also the box its font gives the glyphs' ink). A line reads "<id> <size>
// <what> <left> <top> <right> <bottom> <rim> [<words>]" in the picture's pixels; rim is how many
// pixels the outline of a stroked shape reaches into its box (0 for a flat one), so what lies
// inside and clear of the rim is on the shape, not against it.

struct InkSink {
    std::ostringstream* out = nullptr;
    int id = 0, size = 0;
    void box(const char* what, int l, int t, int r, int b, int rim = 0,
             const std::string& words = {}) const {
        if (!out || l >= r || t >= b) return;
        *out << id << ' ' << size << ' ' << what << ' ' << l << ' ' << t << ' ' << r << ' ' << b
             << ' ' << rim;
        if (!words.empty()) *out << ' ' << words;
        *out << '\n';
    }
};
InkSink ink;
// Where each picture's arpeggiator grid draws its column lines, at each size (the editor's grid
// keeps its texts clear of them).
std::vector<SkinGridColumns> gridColumns;

// The pixels that the span from a to b touches: [firstInk(a), endInk(b)).
int firstInk(double a) {
    return static_cast<int>(std::floor(a + 1e-9));
}
int endInk(double b) {
    return static_cast<int>(std::ceil(b - 1e-9));
}
// A filled area from (x0, y0) to (x1, y1).
void inkArea(const char* what, double x0, double y0, double x1, double y1) {
    ink.box(what, firstInk(x0), firstInk(y0), endInk(x1), endInk(y1));
}
// A rectangle filled and stroked along its edge with a line of width lw centred on it.
void inkOutlined(const char* what, double x, double y, double w, double h, double lw) {
    const double a = x - lw / 2;
    const int l = firstInk(a), t = firstInk(y - lw / 2);
    const int rim = endInk(a + lw) - l;
    ink.box(what, l, t, endInk(x + w + lw / 2), endInk(y + h + lw / 2), rim);
}

// The pixels that `paint` touches in the area (x, y, w, h) of a picture, drawn alone on a clear
// scratch image, together with `glyphs`, the box that the font gives the glyphs' ink.
template <class Paint>
void inkPainted(const char* what, const std::string& words, double x, double y, double w, double h,
                const cairo_rectangle_t& glyphs, Paint paint) {
    if (!ink.out) return;
    const int m = static_cast<int>(std::ceil(h)) + 16;
    const int x0 = static_cast<int>(std::floor(x)) - m, y0 = static_cast<int>(std::floor(y)) - m;
    const int sw = static_cast<int>(std::ceil(w)) + 2 * m;
    const int sh = static_cast<int>(std::ceil(h)) + 2 * m;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sw, sh);
    cairo_t* cr = cairo_create(scratch);
    cairo_translate(cr, -x0, -y0);
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(scratch);
    const unsigned char* data = cairo_image_surface_get_data(scratch);
    const int stride = cairo_image_surface_get_stride(scratch);
    int l = firstInk(glyphs.x), t = firstInk(glyphs.y);
    int r = endInk(glyphs.x + glyphs.width), b = endInk(glyphs.y + glyphs.height);
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            uint32_t p;
            std::memcpy(&p, data + j * stride + 4 * i, 4);
            if ((p >> 24) == 0) continue;
            l = std::min(l, x0 + i), t = std::min(t, y0 + j);
            r = std::max(r, x0 + i + 1), b = std::max(b, y0 + j + 1);
        }
    cairo_surface_destroy(scratch);
    ink.box(what, l, t, r, b, 0, words);
}

// ---------------------------------------------------------------------------------------------
// Backgrounds and their decorations

// Outlines are whole pixels wide and lie on whole pixels inside their box, so no faint half
// pixel spills beside them at any size.
double outlineWidth(double s) {
    return std::round(std::max(1.0, s));
}

// A rounded box from (x, y), w by h, filled and outlined just inside its edge.
void drawOutlined(cairo_t* cr, const char* what, double x, double y, double w, double h,
                  double radius, double s, CColor fill, CColor edge) {
    const double lw = outlineWidth(s);
    inkOutlined(what, x + lw / 2, y + lw / 2, w - lw, h - lw, lw);
    roundedRect(cr, x + lw / 2, y + lw / 2, w - lw, h - lw, radius);
    source(cr, fill);
    cairo_fill_preserve(cr);
    source(cr, edge);
    cairo_set_line_width(cr, lw);
    cairo_stroke(cr);
}

void drawPanel(cairo_t* cr, double x, double y, double w, double h, double s) {
    drawOutlined(cr, "panel", x, y, w, h, 6 * s, s, kPanel, kPanelEdge);
}

void drawLcd(cairo_t* cr, double x, double y, double w, double h, double s,
             const char* what = "window") {
    drawOutlined(cr, what, x, y, w, h, 3 * s, s, kLcd, kLcdEdge);
}

// Where a grid of `cols` columns in the box from x, w wide puts its column lines: the cells keep
// their places, measured from the middle of the box's first pixel.
SkinGridColumns columnLines(double x, double w, double s, int cols) {
    return {0, 0, x + 0.5, (w - 1) / cols, static_cast<int>(outlineWidth(s))};
}

void drawGrid(cairo_t* cr, double x, double y, double w, double h, double s, int cols, int rows) {
    drawLcd(cr, x, y, w, h, s);
    source(cr, DARK_GREEN_COLOR);
    const double lw = outlineWidth(s);
    cairo_set_line_width(cr, lw);
    const SkinGridColumns columns = columnLines(x, w, s, cols);
    const double x0 = x + 0.5, y0 = y + 0.5, w0 = w - 1, h0 = h - 1;
    for (int i = 1; i < cols; ++i) {
        const double gx = std::floor(columns.first + columns.pitch * i) + lw / 2;
        cairo_move_to(cr, gx, y0 + 2 * s);
        cairo_line_to(cr, gx, y0 + h0 - 2 * s);
        inkArea("line", gx - lw / 2, y0 + 2 * s, gx + lw / 2, y0 + h0 - 2 * s);
    }
    for (int j = 1; j < rows; ++j) {
        const double gy = std::floor(y0 + h0 * j / rows) + lw / 2;
        cairo_move_to(cr, x0 + 2 * s, gy);
        cairo_line_to(cr, x0 + w0 - 2 * s, gy);
        inkArea("line", x0 + 2 * s, gy - lw / 2, x0 + w0 - 2 * s, gy + lw / 2);
    }
    cairo_stroke(cr);
}

void drawTopBar(cairo_t* cr, double x, double y, double w, double h, double s) {
    inkArea("bar", x, y, x + w, y + h);
    inkArea("line", x, y + h - std::round(2 * s), x + w, y + h);
    cairo_rectangle(cr, x, y, w, h);
    verticalGradient(cr, y, y + h, kTopBarHigh, kTopBarLow);
    cairo_fill(cr);
    source(cr, GREEN_COLOR);
    const double line = std::round(2 * s);
    cairo_rectangle(cr, x, y + h - line, w, line);
    cairo_fill(cr);
}

void drawLogo(cairo_t* cr, double x, double y, double w, double h, double) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, h * 0.78);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "ZEK2", &e);
    const double tx = x + w - e.width - e.x_bearing - h * 0.2;
    const double ty = y + (h - e.height) / 2 - e.y_bearing;
    source(cr, LIGHT_GREEN_COLOR);
    cairo_move_to(cr, tx, ty);
    cairo_show_text(cr, "ZEK2");
    const cairo_rectangle_t glyphs{tx + e.x_bearing, ty + e.y_bearing, e.width, e.height};
    inkPainted("logo", "ZEK2", tx, y, e.width + e.x_bearing, h, glyphs, [&](cairo_t* c) {
        cairo_select_font_face(c, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(c, h * 0.78);
        cairo_move_to(c, tx, ty);
        cairo_show_text(c, "ZEK2");
    });
    // An underline in the lit green ties the mark to the top bar's edge.
    source(cr, GREEN_COLOR);
    cairo_rectangle(cr, tx, y + h - h * 0.08, e.width + e.x_bearing, h * 0.06);
    cairo_fill(cr);
    inkArea("line", tx, y + h - h * 0.08, tx + e.width + e.x_bearing, y + h - h * 0.02);
}

// Captions whose ink leaves their box at some size; the skin is refused when any does.
std::vector<std::string> textsCut;

// A caption printed on a section: dark on the panels, green in the windows; a title is bold.
void drawText(cairo_t* cr, const Decoration& d, double x, double y, double w, double h,
              CColor colour, bool bold) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, h * 0.72);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t e;
    cairo_text_extents(cr, d.text.c_str(), &e);
    double tx = x;
    if (d.align == 'c') tx = x + (w - e.x_advance) / 2;
    if (d.align == 'r') tx = x + w - e.x_advance;
    const double ty = y + (h - fe.height) / 2 + fe.ascent;
    const double inkLeft = std::round(tx) + e.x_bearing, inkRight = inkLeft + e.width;
    if (inkLeft < x - 1 || inkRight > x + w + 1)
        textsCut.push_back("\"" + d.text + "\" is wider than its box, " +
                           std::to_string(static_cast<int>(w)) + " pixels at a height of " +
                           std::to_string(static_cast<int>(h)));
    source(cr, colour);
    cairo_move_to(cr, std::round(tx), std::round(ty));
    cairo_show_text(cr, d.text.c_str());
    const cairo_rectangle_t glyphs{std::round(tx) + e.x_bearing, std::round(ty) + e.y_bearing,
                                   e.width, e.height};
    inkPainted("text", d.text, x, y, w, h, glyphs, [&](cairo_t* c) {
        cairo_select_font_face(c, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(c, h * 0.72);
        cairo_move_to(c, std::round(tx), std::round(ty));
        cairo_show_text(c, d.text.c_str());
    });
}

// A thin rule that parts two groups of one section.
void drawRule(cairo_t* cr, double x, double y, double w, double s) {
    inkArea("line", x, y, x + w, y + outlineWidth(s));
    source(cr, kPanelEdge);
    cairo_rectangle(cr, x, y, w, outlineWidth(s));
    cairo_fill(cr);
}

// The ribbon's well, its outline just around the ribbon's own rectangle at this size.
void drawRibbonWell(cairo_t* cr, double s) {
    int size = 0;
    while (size + 1 < SCREEN_SIZE_COUNT && SCALE[size] < s) ++size;
    const int* r = layout::RIBBON_RECT[size];
    const double lw = outlineWidth(s);
    drawLcd(cr, r[0] - lw, r[1] - lw, r[2] + 2 * lw, r[3] + 2 * lw, s, "ribbon");
}

void drawDecorations(cairo_t* cr, const Picture& p, double s) {
    int size = 0;
    while (size + 1 < SCREEN_SIZE_COUNT && SCALE[size] < s) ++size;
    for (const Decoration& d : p.decorations) {
        auto at = [&](double v, int field) {
            return std::floor(v * s) + (size > 0 ? d.fix[field][size - 1] : 0);
        };
        const double x = at(d.x, 0), y = at(d.y, 1), w = at(d.w, 2), h = at(d.h, 3);
        if (d.kind == "topbar")
            drawTopBar(cr, x, y, w, h, s);
        else if (d.kind == "logo")
            drawLogo(cr, x, y, w, h, s);
        else if (d.kind == "panel")
            drawPanel(cr, x, y, w, h, s);
        else if (d.kind == "lcd")
            drawLcd(cr, x, y, w, h, s);
        else if (d.kind == "xy")
            drawGrid(cr, x, y, w, h, s, 4, 4);
        else if (d.kind == "grid") {
            drawGrid(cr, x, y, w, h, s, 16, 8);
            SkinGridColumns columns = columnLines(x, w, s, 16);
            columns.id = ink.id;
            columns.size = ink.size;
            gridColumns.push_back(columns);
        } else if (d.kind == "text")
            drawText(cr, d, x, y, w, h, LABEL_COLOR, false);
        else if (d.kind == "title")
            drawText(cr, d, x, y, w, h, LABEL_COLOR, true);
        else if (d.kind == "button") {
            drawLcd(cr, x, y, w, h, s);
            drawText(cr, d, x, y, w, h, GREEN_COLOR, true);
        } else if (d.kind == "rule")
            drawRule(cr, x, y, w, s);
        else if (d.kind == "ribbon")
            drawRibbonWell(cr, s);
    }
}

// ---------------------------------------------------------------------------------------------
// Controls

// Angle of frame i of n on the 270-degree sweep, in cairo's radians (0 = east, clockwise).
double sweepAngle(int i, int n) {
    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    return (-225.0 + 270.0 * t) * kPi / 180.0;
}

void drawKnobBody(cairo_t* cr, double w, double h, double s, int i, int n) {
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 4.5 * s;
    cairo_pattern_t* p =
        cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.4, r * 0.1, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(p, 0, kKnobHigh.red / 255.0, kKnobHigh.green / 255.0,
                                     kKnobHigh.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, kKnobLow.red / 255.0, kKnobLow.green / 255.0,
                                     kKnobLow.blue / 255.0);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    source(cr, CColor(12, 13, 15, 255));
    cairo_set_line_width(cr, std::max(1.0, 0.8 * s));
    cairo_stroke(cr);
    const double a = sweepAngle(i, n);
    source(cr, kPointer);
    cairo_set_line_width(cr, std::max(1.5, 2.0 * s));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx + std::cos(a) * r * 0.35, cy + std::sin(a) * r * 0.35);
    cairo_line_to(cr, cx + std::cos(a) * r * 0.85, cy + std::sin(a) * r * 0.85);
    cairo_stroke(cr);
}

void drawRing(cairo_t* cr, double w, double h, double s, int i, int n, bool bipolar) {
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 1.8 * s;
    const double a0 = sweepAngle(0, n), a1 = sweepAngle(n - 1, n), a = sweepAngle(i, n);
    cairo_set_line_width(cr, std::max(1.5, 2.4 * s));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    source(cr, kTrack);
    cairo_arc(cr, cx, cy, r, a0, a1);
    cairo_stroke(cr);
    const double from = bipolar ? -kPi / 2 : a0;
    if (std::fabs(a - from) < 1e-9) return;
    source(cr, GREEN_COLOR);
    if (a > from)
        cairo_arc(cr, cx, cy, r, from, a);
    else
        cairo_arc(cr, cx, cy, r, a, from);
    cairo_stroke(cr);
}

void drawSlider(cairo_t* cr, double w, double h, double s, int i, int n, bool vertical) {
    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    const double thick = std::max(2.0, 3 * s), thumbLen = std::max(4.0, 6 * s);
    if (vertical) {
        const double tx = std::floor((w - thick) / 2), travel = h - thumbLen;
        const double ty = travel * (1 - t);
        roundedRect(cr, tx, 0, thick, h, thick / 2);
        source(cr, kTrack);
        cairo_fill(cr);
        roundedRect(cr, tx, ty + thumbLen / 2, thick, h - ty - thumbLen / 2, thick / 2);
        source(cr, GREEN_COLOR);
        cairo_fill(cr);
        roundedRect(cr, 0.5, ty + 0.5, w - 1, thumbLen - 1, 1.5 * s);
    } else {
        const double ty = std::floor((h - thick) / 2), travel = w - thumbLen;
        const double tx = travel * t;
        roundedRect(cr, 0, ty, w, thick, thick / 2);
        source(cr, kTrack);
        cairo_fill(cr);
        roundedRect(cr, 0, ty, tx + thumbLen / 2, thick, thick / 2);
        source(cr, GREEN_COLOR);
        cairo_fill(cr);
        roundedRect(cr, tx + 0.5, 0.5, thumbLen - 1, h - 1, 1.5 * s);
    }
    source(cr, kPointer);
    cairo_fill_preserve(cr);
    source(cr, kKnobLow);
    cairo_set_line_width(cr, std::max(1.0, 0.8 * s));
    cairo_stroke(cr);
}

void drawButton(cairo_t* cr, double x, double y, double w, double h, double s, bool on,
                bool rounded) {
    const double r = rounded ? std::min(w, h) / 2 - 0.5 : 2.5 * s;
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
    source(cr, on ? GREEN_COLOR : kOff);
    cairo_fill_preserve(cr);
    source(cr, on ? DARK_GREEN_COLOR : kKnobLow);
    cairo_set_line_width(cr, std::max(1.0, s));
    cairo_stroke(cr);
    if (on) {
        // A lighter core reads as a lit lamp.
        roundedRect(cr, x + w * 0.3, y + h * 0.3, w * 0.4, h * 0.4, r * 0.4);
        source(cr, LIGHT_GREEN_COLOR);
        cairo_fill(cr);
    }
}

void drawArrow(cairo_t* cr, double x, double y, double w, double h, int direction, CColor c) {
    // direction: 0 left, 1 right, 2 up, 3 down.
    const double cx = x + w / 2, cy = y + h / 2, rx = w * 0.35, ry = h * 0.35;
    switch (direction) {
    case 0:
        cairo_move_to(cr, cx + rx, cy - ry), cairo_line_to(cr, cx - rx, cy),
            cairo_line_to(cr, cx + rx, cy + ry);
        break;
    case 1:
        cairo_move_to(cr, cx - rx, cy - ry), cairo_line_to(cr, cx + rx, cy),
            cairo_line_to(cr, cx - rx, cy + ry);
        break;
    case 2:
        cairo_move_to(cr, cx - rx, cy + ry), cairo_line_to(cr, cx, cy - ry),
            cairo_line_to(cr, cx + rx, cy + ry);
        break;
    default:
        cairo_move_to(cr, cx - rx, cy - ry), cairo_line_to(cr, cx, cy + ry),
            cairo_line_to(cr, cx + rx, cy - ry);
        break;
    }
    cairo_close_path(cr);
    source(cr, c);
    cairo_fill(cr);
}

void drawPathButton(cairo_t* cr, double w, double h, double s, bool up, bool pressed) {
    roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3 * s);
    source(cr, pressed ? DARK_GREEN_COLOR : kLcd);
    cairo_fill_preserve(cr);
    source(cr, kLcdEdge);
    cairo_set_line_width(cr, std::max(1.0, s));
    cairo_stroke(cr);
    drawArrow(cr, w / 2 - h / 2, 0, h, h, up ? 2 : 3, pressed ? LIGHT_GREEN_COLOR : GREEN_COLOR);
}

void drawGlow(cairo_t* cr, double w, double h, CColor c, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_radial(w / 2, h / 2, 0, w / 2, h / 2, w / 2);
    cairo_pattern_add_color_stop_rgba(p, 0, c.red / 255.0, c.green / 255.0, c.blue / 255.0, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, c.red / 255.0, c.green / 255.0, c.blue / 255.0, 0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
}

// ---------------------------------------------------------------------------------------------

struct Size {
    int w, h;
};

// The size of the whole image: strips and two-state pictures repeat the given cell.
Size imageSize(const Picture& p, double s) {
    const int w = static_cast<int>(p.w * s), h = static_cast<int>(p.h * s);
    const std::string& k = p.kind;
    if (k == "knobbody" || k == "ringuni" || k == "ringbi" || k == "hslider")
        return {w, h * p.frames};
    if (k == "vslider") return {w * p.frames, h};
    if (k == "switch" || k == "kick" || k == "tab" || k == "arrowleft" || k == "arrowright" ||
        k == "arrowup" || k == "arrowdown")
        return {w, h * 2};
    return {w, h};
}

bool draw(cairo_t* cr, const Picture& p, double s) {
    const double w = static_cast<int>(p.w * s), h = static_cast<int>(p.h * s);
    const std::string& k = p.kind;
    if (k == "background" || k == "page") {
        // The ground covers the whole picture; the decorations lie on it.
        ink.box("ground", 0, 0, static_cast<int>(w), static_cast<int>(h));
        source(cr, k == "page" ? kPanel : kFrame);
        cairo_paint(cr);
        drawDecorations(cr, p, s);
    } else if (k == "knobbody" || k == "ringuni" || k == "ringbi" || k == "hslider" ||
               k == "vslider") {
        for (int i = 0; i < p.frames; ++i) {
            cairo_save(cr);
            if (k == "vslider")
                cairo_translate(cr, w * i, 0);
            else
                cairo_translate(cr, 0, h * i);
            cairo_rectangle(cr, 0, 0, w, h);
            cairo_clip(cr);
            if (k == "knobbody")
                drawKnobBody(cr, w, h, s, i, p.frames);
            else if (k == "ringuni" || k == "ringbi")
                drawRing(cr, w, h, s, i, p.frames, k == "ringbi");
            else
                drawSlider(cr, w, h, s, i, p.frames, k == "vslider");
            cairo_restore(cr);
        }
    } else if (k == "switch" || k == "kick" || k == "tab") {
        drawButton(cr, 0, 0, w, h, s, false, k == "switch");
        drawButton(cr, 0, h, w, h, s, true, k == "switch");
    } else if (k == "led" || k == "ledon") {
        roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 1.5 * s);
        source(cr, k == "ledon" ? GREEN_COLOR : DARK_GREEN_COLOR);
        cairo_fill(cr);
    } else if (k == "arrowleft" || k == "arrowright" || k == "arrowup" || k == "arrowdown") {
        const int dir = k == "arrowleft" ? 0 : k == "arrowright" ? 1 : k == "arrowup" ? 2 : 3;
        drawArrow(cr, 0, 0, w, h, dir, GREEN_COLOR);
        drawArrow(cr, 0, h, w, h, dir, LIGHT_GREEN_COLOR);
    } else if (k == "pathup" || k == "pathuppressed" || k == "pathdown" || k == "pathdownpressed") {
        drawPathButton(cr, w, h, s, k.rfind("pathup", 0) == 0,
                       k.find("pressed") != std::string::npos);
    } else if (k == "point") {
        cairo_arc(cr, w / 2, h / 2, w / 2 - 0.5, 0, 2 * kPi);
        source(cr, GREEN_COLOR);
        cairo_fill(cr);
        cairo_arc(cr, w / 2, h / 2, w / 5, 0, 2 * kPi);
        source(cr, LIGHT_GREEN_COLOR);
        cairo_fill(cr);
    } else if (k == "mark") {
        source(cr, kPointer);
        cairo_paint(cr);
    } else if (k == "thumb" || k == "modthumb") {
        roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 2 * s);
        source(cr, k == "thumb" ? kPointer : CColor(43, 201, 0, 160));
        cairo_fill(cr);
    } else if (k == "glow") {
        drawGlow(cr, w, h, GREEN_COLOR, 0.9);
    } else if (k == "original" || k == "edited") {
        cairo_arc(cr, w / 2, h / 2, w / 2 - 0.5, 0, 2 * kPi);
        source(cr, k == "edited" ? GREEN_COLOR : DARK_GREEN_COLOR);
        cairo_fill(cr);
    } else {
        return false;
    }
    return true;
}

bool isStrip(const std::string& k) {
    return k == "knobbody" || k == "ringuni" || k == "ringbi" || k == "hslider" || k == "vslider";
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::string*>(closure);
    out->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// "139" or "139(+5/+3/+4)": a value at 100 percent and its corrections at the other sizes.
bool parseCoord(const std::string& token, double& value, int (&fix)[3]) {
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    if (end == token.c_str()) return false;
    if (*end == 0) return true;
    int a = 0, b = 0, c = 0, used = 0;
    if (std::sscanf(end, "(%d/%d/%d)%n", &a, &b, &c, &used) != 3 || end[used] != 0) return false;
    fix[0] = a, fix[1] = b, fix[2] = c;
    return true;
}

int fail(const std::string& file, int line, const std::string& why) {
    std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: skingen <skin.txt> <out.bin> <out.cpp> [<ink.txt>]\n");
        return 2;
    }
    const std::string skinPath = argv[1];
    std::ifstream in(skinPath);
    if (!in) return fail(skinPath, 0, "cannot read the skin file");
    std::map<int, Picture> pictures;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        if (line[0] == '@') {
            char at = 0;
            int id = 0;
            Decoration d;
            std::string coords[4];
            if (!(words >> at >> id >> d.kind >> coords[0] >> coords[1] >> coords[2] >>
                  coords[3]) ||
                !parseCoord(coords[0], d.x, d.fix[0]) || !parseCoord(coords[1], d.y, d.fix[1]) ||
                !parseCoord(coords[2], d.w, d.fix[2]) || !parseCoord(coords[3], d.h, d.fix[3]))
                return fail(skinPath, lineNo, "a decoration needs @<id> kind x y width height");
            auto it = pictures.find(id);
            if (it == pictures.end()) return fail(skinPath, lineNo, "decoration of an unknown id");
            if (d.kind == "text" || d.kind == "title" || d.kind == "button") {
                if (!(words >> d.align) || (d.align != 'l' && d.align != 'c' && d.align != 'r'))
                    return fail(skinPath, lineNo, "a text needs its alignment l, c or r");
                std::getline(words >> std::ws, d.text);
                if (d.text.empty()) return fail(skinPath, lineNo, "a text needs its words");
            }
            it->second.decorations.push_back(d);
            continue;
        }
        Picture p;
        if (!(words >> p.id >> p.kind >> p.w >> p.h))
            return fail(skinPath, lineNo, "a picture needs id kind width height");
        if (isStrip(p.kind) && !(words >> p.frames))
            return fail(skinPath, lineNo, "a strip needs its frame count");
        if (p.id < 10000 || p.id > 10999 || p.w < 1 || p.h < 1 || p.frames < 1)
            return fail(skinPath, lineNo, "id must be 10000..10999 and sizes positive");
        if (pictures.count(p.id)) return fail(skinPath, lineNo, "id listed twice");
        pictures[p.id] = p;
    }

    std::string blob;
    std::ostringstream index, inkList;
    if (argc == 5)
        inkList
            << "# Generated by skingen from the skin file; do not edit. Where each background's\n"
            << "# decorations leave ink: <id> <size> <what> <left> <top> <right> <bottom> <rim> "
               "[<words>]\n";
    int count = 0;
    for (int size = 0; size < SCREEN_SIZE_COUNT; ++size) {
        const double s = SCALE[size];
        for (const auto& [id, picture] : pictures) {
            const Size is = imageSize(picture, s);
            cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, is.w, is.h);
            cairo_t* cr = cairo_create(surface);
            const bool decorated = picture.kind == "background" || picture.kind == "page";
            ink = {argc == 5 && decorated ? &inkList : nullptr, id, size};
            const bool known = draw(cr, picture, s);
            cairo_destroy(cr);
            if (!known) {
                cairo_surface_destroy(surface);
                std::fprintf(stderr, "%s: unknown kind \"%s\" of id %d\n", skinPath.c_str(),
                             picture.kind.c_str(), id);
                return 1;
            }
            const size_t offset = blob.size();
            cairo_surface_write_to_png_stream(surface, appendBytes, &blob);
            cairo_surface_destroy(surface);
            char name[16];
            std::snprintf(name, sizeof name, "bmp%05d", id + 1000 * size);
            index << "    {\"" << name << "\", " << offset << "u, " << blob.size() - offset
                  << "u},\n";
            ++count;
        }
    }

    if (!textsCut.empty()) {
        for (const std::string& why : textsCut)
            std::fprintf(stderr, "%s: %s\n", skinPath.c_str(), why.c_str());
        return 1;
    }

    std::ofstream bin(argv[2], std::ios::binary | std::ios::trunc);
    bin.write(blob.data(), static_cast<std::streamsize>(blob.size()));
    if (!bin) return fail(argv[2], 0, "cannot write the blob");

    if (argc == 5) {
        std::ofstream list(argv[4], std::ios::trunc);
        list << inkList.str();
        if (!list) return fail(argv[4], 0, "cannot write the ink list");
    }

    std::ofstream cpp(argv[3], std::ios::trunc);
    cpp << "// Generated by skingen from the skin file; do not edit.\n"
        << "#include \"editor/SkinResources.h\"\n\n#include <cstring>\n\n"
        << "__asm__(\".section .rodata\\n.balign 16\\n.globl zek2SkinBlob\\n"
        << ".hidden zek2SkinBlob\\nzek2SkinBlob:\\n.incbin \\\"" << argv[2]
        << "\\\"\\n.previous\\n\");\n"
        << "extern \"C\" const uint8_t zek2SkinBlob[];\n\n"
        << "namespace {\nstruct SkinEntry {\n    const char* name;\n    uint32_t offset;\n"
        << "    uint32_t size;\n};\nconst SkinEntry kSkin[] = {\n"
        << index.str() << "};\n} // namespace\n\n"
        << "bool findSkinResource(const char* name, const char* type, const uint8_t** data,\n"
        << "                      size_t* size) {\n"
        << "    if (!name || !type || !data || !size || std::strcmp(type, \"png\") != 0) return "
           "false;\n"
        << "    for (const SkinEntry& e : kSkin) {\n"
        << "        if (std::strcmp(e.name, name) != 0) continue;\n"
        << "        *data = zek2SkinBlob + e.offset;\n        *size = e.size;\n"
        << "        return true;\n    }\n    return false;\n}\n\n"
        << "int getSkinResourceCount() {\n    return " << count << ";\n}\n\n";
    cpp << std::setprecision(17) << "namespace {\nconst SkinGridColumns kGridColumns[] = {\n";
    for (const SkinGridColumns& g : gridColumns)
        cpp << "    {" << g.id << ", " << g.size << ", " << g.first << ", " << g.pitch << ", "
            << g.width << "},\n";
    cpp << "};\n} // namespace\n\n"
        << "bool findSkinGridColumns(int id, int size, SkinGridColumns* columns) {\n"
        << "    for (const SkinGridColumns& g : kGridColumns) {\n"
        << "        if (g.id != id || g.size != size) continue;\n"
        << "        if (columns) *columns = g;\n        return true;\n    }\n    return "
           "false;\n}\n";
    if (!cpp) return fail(argv[3], 0, "cannot write the source");
    return 0;
}
