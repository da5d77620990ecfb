// The frame's back buffer as a cairo image: creation, pixel reads and PNG output.
// User-interface thread only.
#include "gui/backend/Backend.h"

#include <cairo.h>

#include <cstring>

namespace VSTGUI::backend {

void* createBackBuffer(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

void destroyBackBuffer(void* buffer) {
    if (buffer) cairo_surface_destroy(static_cast<cairo_surface_t*>(buffer));
}

CColor readPixel(void* buffer, int x, int y) {
    auto* s = static_cast<cairo_surface_t*>(buffer);
    if (!s || x < 0 || y < 0 || x >= cairo_image_surface_get_width(s) ||
        y >= cairo_image_surface_get_height(s))
        return kTransparentCColor;
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) +
                               static_cast<size_t>(y) * cairo_image_surface_get_stride(s);
    uint32_t px;
    std::memcpy(&px, row + static_cast<size_t>(x) * 4, 4);
    const uint8_t a = static_cast<uint8_t>(px >> 24);
    // Cairo keeps colours multiplied by alpha; hand them back plain.
    auto plain = [a](uint32_t c) {
        return static_cast<uint8_t>(a == 0 ? 0 : (c * 255 + a / 2) / a);
    };
    return CColor(plain((px >> 16) & 0xFF), plain((px >> 8) & 0xFF), plain(px & 0xFF), a);
}

bool writePng(void* buffer, const std::string& path) {
    auto* s = static_cast<cairo_surface_t*>(buffer);
    if (!s) return false;
    cairo_surface_flush(s);
    return cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace VSTGUI::backend
