// Decoding and drawing of pictures with cairo: PNG bytes become an image surface once, and each
// draw paints a part of it through the context's clip and alpha. User-interface thread.
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

#include <cairo.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace VSTGUI {

namespace {

std::atomic<BitmapResourceProvider> resourceProvider{nullptr};

struct PngReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

cairo_status_t readPng(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<PngReader*>(closure);
    if (length > r->size - r->pos) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* decodePng(const uint8_t* data, size_t size) {
    if (!data || size < 8) return nullptr;
    PngReader reader{data, size, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(readPng, &reader);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

} // namespace

void setBitmapResourceProvider(BitmapResourceProvider provider) {
    resourceProvider.store(provider);
}

CBitmap::CBitmap(int id) : resourceId(id) {
    char name[32];
    std::snprintf(name, sizeof name, "bmp%05d", id);
    const uint8_t* data = nullptr;
    size_t size = 0;
    BitmapResourceProvider provider = resourceProvider.load();
    if (provider && provider(name, "png", &data, &size)) {
        auto* s = decodePng(data, size);
        if (s) {
            surface = s;
            width = cairo_image_surface_get_width(s);
            height = cairo_image_surface_get_height(s);
        }
    }
}

CBitmap::CBitmap(const uint8_t* png, size_t size) {
    if (auto* s = decodePng(png, size)) {
        surface = s;
        width = cairo_image_surface_get_width(s);
        height = cairo_image_surface_get_height(s);
    }
}

CBitmap::CBitmap(int w, int h, bool) {
    if (w <= 0 || h <= 0) return;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return;
    }
    surface = s;
    width = w;
    height = h;
}

CBitmap::~CBitmap() {
    if (surface) cairo_surface_destroy(static_cast<cairo_surface_t*>(surface));
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha) {
    if (!context || !surface || rect.isEmpty()) return;
    auto* cr = static_cast<cairo_t*>(context->getNativeContext());
    const CPoint origin = context->getOffset();
    cairo_save(cr);
    cairo_rectangle(cr, origin.x + rect.left, origin.y + rect.top, rect.getWidth(),
                    rect.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, static_cast<cairo_surface_t*>(surface),
                             origin.x + rect.left - offset.x, origin.y + rect.top - offset.y);
    // Skin pictures are drawn 1:1, so the nearest pixel keeps them sharp.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    const double a = static_cast<double>(alpha) * context->getGlobalAlpha();
    if (a >= 1.0)
        cairo_paint(cr);
    else if (a > 0.0)
        cairo_paint_with_alpha(cr, a);
    cairo_restore(cr);
    if (IDrawWatcher* w = CDrawContext::getWatcher(); w && a > 0.0) {
        CRect box = rect, clip = context->getClipRect();
        w->drewPicture(this, box.offset(origin.x, origin.y), offset,
                       clip.offset(origin.x, origin.y));
    }
}

} // namespace VSTGUI
