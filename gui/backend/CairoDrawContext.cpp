// The draw context on cairo, with text laid out by pango (fontconfig picks the face).
// User-interface thread only.
#include "gui/CDrawContext.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {

cairo_t* ctx(void* p) {
    return static_cast<cairo_t*>(p);
}

PangoFontDescription* describe(CFontRef font) {
    PangoFontDescription* d = pango_font_description_new();
    const char* family = font ? font->getName().c_str() : kDefaultFontFamily;
    pango_font_description_set_family(d, family);
    const double size = font ? font->getSize() : 12.0;
    pango_font_description_set_absolute_size(d, size * PANGO_SCALE);
    const int32_t style = font ? font->getStyle() : 0;
    pango_font_description_set_weight(d, (style & kBoldFace) ? PANGO_WEIGHT_BOLD
                                                             : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, (style & kItalicFace) ? PANGO_STYLE_ITALIC
                                                              : PANGO_STYLE_NORMAL);
    return d;
}

PangoLayout* layoutFor(cairo_t* cr, CFontRef font, const std::string& text, bool antialias) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* d = describe(font);
    pango_layout_set_font_description(layout, d);
    pango_font_description_free(d);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    // Text from a host or a file may hold bytes that are not UTF-8: they are shown as the
    // replacement character rather than handed to the layout, which warns on standard error.
    const gssize length = static_cast<gssize>(text.size());
    if (g_utf8_validate(text.data(), length, nullptr)) {
        pango_layout_set_text(layout, text.data(), static_cast<int>(length));
    } else {
        gchar* valid = g_utf8_make_valid(text.data(), length);
        pango_layout_set_text(layout, valid, -1);
        g_free(valid);
    }
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    return layout;
}

// Where drawString puts the top left of a line laid out in `layout` in `rect`, and the box the
// glyphs' ink covers there.
CPoint placeLine(PangoLayout* layout, const CRect& rect, CHoriTxtAlign align,
                 CRect* inkBox = nullptr) {
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    double x = rect.left;
    // A line at either edge keeps its ink inside the rectangle, also where a glyph's ink
    // reaches past the line's advance.
    if (align == kCenterText)
        x += std::floor((rect.getWidth() - logical.width) / 2);
    else if (align == kRightText)
        x += rect.getWidth() - std::max(logical.width, ink.x + ink.width);
    else
        x -= std::min(0, ink.x);
    const double y = rect.top + std::floor((rect.getHeight() - logical.height) / 2);
    if (inkBox)
        *inkBox = CRect(x + ink.x, y + ink.y, x + ink.x + ink.width, y + ink.y + ink.height);
    return CPoint(x, y);
}

IDrawWatcher* watcher = nullptr;

CRect moved(CRect r, const CPoint& by) {
    return r.offset(by.x, by.y);
}

} // namespace

void CDrawContext::setWatcher(IDrawWatcher* w) {
    watcher = w;
}

IDrawWatcher* CDrawContext::getWatcher() {
    return watcher;
}

CDrawContext::CDrawContext(void* nativeSurface) {
    auto* surface = static_cast<cairo_surface_t*>(nativeSurface);
    cr = cairo_create(surface);
    double w = 0, h = 0;
    if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
        w = cairo_image_surface_get_width(surface);
        h = cairo_image_surface_get_height(surface);
    }
    surfaceRect = CRect(0, 0, w, h);
    clipRect = surfaceRect;
}

CDrawContext::~CDrawContext() {
    cairo_destroy(ctx(cr));
}

void CDrawContext::setSource(const CColor& c) {
    cairo_set_source_rgba(ctx(cr), c.red / 255.0, c.green / 255.0, c.blue / 255.0,
                          c.alpha / 255.0 * globalAlpha);
}

void CDrawContext::applyClip() {
    cairo_t* c = ctx(cr);
    cairo_reset_clip(c);
    cairo_rectangle(c, clipRect.left, clipRect.top, clipRect.getWidth(), clipRect.getHeight());
    cairo_clip(c);
}

void CDrawContext::setClipRect(const CRect& rect) {
    CRect r = rect;
    r.offset(offset.x, offset.y);
    clipRect = r;
    applyClip();
}

CRect CDrawContext::getClipRect() const {
    CRect r = clipRect;
    return r.offset(-offset.x, -offset.y);
}

void CDrawContext::resetClipRect() {
    clipRect = surfaceRect;
    applyClip();
}

void CDrawContext::saveGlobalState() {
    if (depth >= 16) return;
    stack[depth++] = {frameColor, fillColor,   fontColor, currentFont,
                      lineWidth,  globalAlpha, offset,    clipRect};
}

void CDrawContext::restoreGlobalState() {
    if (depth <= 0) return;
    const Saved& s = stack[--depth];
    frameColor = s.frame;
    fillColor = s.fill;
    fontColor = s.font;
    currentFont = s.fontRef;
    lineWidth = s.line;
    globalAlpha = s.alpha;
    offset = s.offset;
    clipRect = s.clip;
    applyClip();
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    cairo_t* c = ctx(cr);
    // Lines of odd width sit on pixel centres so they stay one pixel sharp.
    const double half = std::fmod(lineWidth, 2.0) == 1.0 ? 0.5 : 0.0;
    cairo_move_to(c, offset.x + from.x + half, offset.y + from.y + half);
    cairo_line_to(c, offset.x + to.x + half, offset.y + to.y + half);
    cairo_set_line_width(c, lineWidth);
    setSource(frameColor);
    cairo_stroke(c);
    if (watcher && frameColor.alpha > 0 && globalAlpha > 0) {
        const CCoord w = lineWidth / 2;
        CRect box(std::min(from.x, to.x) + half - w, std::min(from.y, to.y) + half - w,
                  std::max(from.x, to.x) + half + w, std::max(from.y, to.y) + half + w);
        watcher->drewShape(moved(box, offset), 0, clipRect);
    }
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    cairo_t* c = ctx(cr);
    const double x = offset.x + rect.left, y = offset.y + rect.top;
    if (style != kDrawStroked) {
        cairo_rectangle(c, x, y, rect.getWidth(), rect.getHeight());
        setSource(fillColor);
        cairo_fill(c);
        if (watcher && fillColor.alpha > 0 && globalAlpha > 0)
            watcher->drewShape(moved(rect, offset), 0, clipRect);
    }
    if (style != kDrawFilled) {
        if (watcher && frameColor.alpha > 0 && globalAlpha > 0)
            watcher->drewShape(moved(rect, offset), lineWidth, clipRect);
        const double half = lineWidth / 2.0;
        cairo_rectangle(c, x + half, y + half, rect.getWidth() - lineWidth,
                        rect.getHeight() - lineWidth);
        cairo_set_line_width(c, lineWidth);
        setSource(frameColor);
        cairo_stroke(c);
    }
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
    cairo_t* c = ctx(cr);
    const double w = rect.getWidth(), h = rect.getHeight();
    if (w <= 0 || h <= 0) return;
    auto path = [&](double inset) {
        cairo_save(c);
        cairo_translate(c, offset.x + rect.left + w / 2, offset.y + rect.top + h / 2);
        cairo_scale(c, (w / 2 - inset) > 0 ? (w / 2 - inset) : 0.01,
                    (h / 2 - inset) > 0 ? (h / 2 - inset) : 0.01);
        cairo_arc(c, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(c);
    };
    if (style != kDrawStroked) {
        path(0);
        setSource(fillColor);
        cairo_fill(c);
        if (watcher && fillColor.alpha > 0 && globalAlpha > 0)
            watcher->drewShape(moved(rect, offset), 0, clipRect);
    }
    if (style != kDrawFilled) {
        if (watcher && frameColor.alpha > 0 && globalAlpha > 0)
            watcher->drewShape(moved(rect, offset), lineWidth, clipRect);
        path(lineWidth / 2);
        cairo_set_line_width(c, lineWidth);
        setSource(frameColor);
        cairo_stroke(c);
    }
}

void CDrawContext::drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias) {
    if (text.empty() || rect.isEmpty()) return;
    cairo_t* c = ctx(cr);
    PangoLayout* layout = layoutFor(c, currentFont, text, antialias);
    const CPoint at = placeLine(layout, rect, align);
    const double x = offset.x + at.x, y = offset.y + at.y;
    cairo_save(c);
    cairo_rectangle(c, offset.x + rect.left, offset.y + rect.top, rect.getWidth(),
                    rect.getHeight());
    cairo_clip(c);
    setSource(fontColor);
    cairo_move_to(c, x, y);
    pango_cairo_show_layout(c, layout);
    cairo_restore(c);
    g_object_unref(layout);
    if (watcher && fontColor.alpha > 0 && globalAlpha > 0)
        watcher->drewText(text, currentFont, moved(rect, offset), align, clipRect);
}

CCoord CDrawContext::getStringWidth(const std::string& text) {
    PangoLayout* layout = layoutFor(ctx(cr), currentFont, text, true);
    int pw = 0, ph = 0;
    pango_layout_get_pixel_size(layout, &pw, &ph);
    g_object_unref(layout);
    return pw;
}

CRect CDrawContext::getStringInk(const std::string& text, const CRect& rect, CHoriTxtAlign align) {
    if (text.empty()) return CRect();
    PangoLayout* layout = layoutFor(ctx(cr), currentFont, text, true);
    CRect ink;
    placeLine(layout, rect, align, &ink);
    g_object_unref(layout);
    return ink;
}

CCoord CDrawContext::measureString(CFontRef font, const std::string& text) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* c = cairo_create(scratch);
    PangoLayout* layout = layoutFor(c, font, text, true);
    int pw = 0, ph = 0;
    pango_layout_get_pixel_size(layout, &pw, &ph);
    g_object_unref(layout);
    cairo_destroy(c);
    cairo_surface_destroy(scratch);
    return pw;
}

CRect CDrawContext::placeText(CFontRef font, const std::string& text, const CRect& rect,
                              CHoriTxtAlign align) {
    if (text.empty()) return CRect();
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* c = cairo_create(scratch);
    PangoLayout* layout = layoutFor(c, font, text, true);
    CRect ink;
    placeLine(layout, rect, align, &ink);
    g_object_unref(layout);
    cairo_destroy(c);
    cairo_surface_destroy(scratch);
    return ink;
}

CDrawContext::TextExtent CDrawContext::measureText(CFontRef font, const std::string& text) {
    TextExtent out;
    if (text.empty()) return out;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* c = cairo_create(scratch);
    PangoLayout* layout = layoutFor(c, font, text, true);
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    out.width = logical.width;
    out.height = logical.height;
    out.ink = CRect(ink.x, ink.y, ink.x + ink.width, ink.y + ink.height);
    g_object_unref(layout);
    cairo_destroy(c);
    cairo_surface_destroy(scratch);
    return out;
}

void CDrawContext::clear(const CColor& color) {
    cairo_t* c = ctx(cr);
    cairo_save(c);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(c, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                          color.alpha / 255.0);
    cairo_paint(c);
    cairo_restore(c);
}

} // namespace VSTGUI
