// Pictures: a PNG decoded once into pixels, drawn whole or in part with an alpha. Skin pictures
// are made from a numeric id through the installed resource provider. User-interface thread.
#pragma once

#include "gui/CBaseObject.h"
#include "gui/GuiTypes.h"

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

class CDrawContext;

// Finds a resource by name ("bmp10030") and type ("png"); true with its bytes when present.
using BitmapResourceProvider = bool (*)(const char* name, const char* type, const uint8_t** data,
                                        size_t* size);
// Installs the provider that numeric bitmaps are read from; null removes it.
void setBitmapResourceProvider(BitmapResourceProvider provider);

class CBitmap : public CBaseObject {
public:
    // The resource "bmp%05d" of type png; an empty bitmap when it is missing or corrupt.
    explicit CBitmap(int resourceId);
    // Decodes PNG bytes; an empty bitmap when they are not a PNG.
    CBitmap(const uint8_t* png, size_t size);
    // A blank transparent picture of the given size (the tests draw into these).
    CBitmap(int width, int height, bool blank);

    bool isLoaded() const { return surface != nullptr; }
    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    int getResourceId() const { return resourceId; }

    // Draws the part of the picture that starts at offset into rect, scaled 1:1, clipped to
    // rect, with alpha 0..1 on top of the context's global alpha.
    void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
              float alpha = 1.0f);

    // The back end's pixel surface.
    void* getNativeSurface() const { return surface; }

protected:
    ~CBitmap() override;

private:
    void* surface = nullptr;
    int width = 0;
    int height = 0;
    int resourceId = -1;
};

} // namespace VSTGUI
