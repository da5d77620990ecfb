// The skin pictures compiled into the plug-in: PNG resources named "bmp%05d" by id, one set per
// screen size. The table is generated at build time by tools/skingen. Read-only data.
#pragma once

#include <cstddef>
#include <cstdint>

// True with the bytes of the named resource of the given type ("png").
bool findSkinResource(const char* name, const char* type, const uint8_t** data, size_t* size);
// The number of resources in the skin.
int getSkinResourceCount();

// Where the skin draws the column lines of the arpeggiator grid on picture `id` at screen size
// `size`, in the picture's pixels: line k covers `width` pixels from floor(first + k * pitch).
struct SkinGridColumns {
    int id, size;
    double first, pitch;
    int width;
};
// True, with the lines, where that picture has such a grid at that size.
bool findSkinGridColumns(int id, int size, SkinGridColumns* columns);
