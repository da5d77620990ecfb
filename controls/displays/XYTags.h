// The parameter tags one XY pad display reads and writes, by pad (0 or 1) and path point.
// Compile-time helpers; any thread.
#pragma once

#include "engine/params/ParamTags.h"

namespace xytags {

constexpr int padTag(int first, int pad) {
    return first + pad * tag::XyPadStride;
}
constexpr int posX(int pad) {
    return pad == 0 ? tag::Osc1ZekX : tag::Osc2ZekX;
}
constexpr int posY(int pad) {
    return pad == 0 ? tag::Osc1ZekY : tag::Osc2ZekY;
}
constexpr int pathX(int pad, int point) {
    return tag::Xy1PathXFirst + pad * tag::XyPathPadStride + point;
}
constexpr int pathY(int pad, int point) {
    return tag::Xy1PathYFirst + pad * tag::XyPathPadStride + point;
}
// Undo sections: all XY tags, and each pad's own.
constexpr int kAllXYSection = 36;
constexpr int kPadSection[2] = {37, 38};

} // namespace xytags
