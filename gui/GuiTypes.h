// Plain value types of the view layer: points, rectangles, colours, mouse button bits and the
// answers of mouse handlers. Header only; used on the user-interface thread and by the skin
// generator, which takes its palette from the same colour type.
#pragma once

#include <algorithm>
#include <cstdint>

namespace VSTGUI {

using CCoord = double;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(CCoord px, CCoord py) : x(px), y(py) {}
    CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

// Edges, not origin and size: right and bottom lie just outside the rectangle.
struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;
    constexpr CRect() = default;
    constexpr CRect(CCoord l, CCoord t, CCoord r, CCoord b)
        : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getTopLeft() const { return {left, top}; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    CRect& setWidth(CCoord w) {
        right = left + w;
        return *this;
    }
    CRect& setHeight(CCoord h) {
        bottom = top + h;
        return *this;
    }
    CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    CRect& inset(CCoord dx, CCoord dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        return *this;
    }
    bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool rectOverlap(const CRect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    CRect& bound(const CRect& o) {
        left = std::max(left, o.left);
        top = std::max(top, o.top);
        right = std::min(right, o.right);
        bottom = std::min(bottom, o.bottom);
        if (isEmpty()) right = left, bottom = top;
        return *this;
    }
    CRect& unite(const CRect& o) {
        if (o.isEmpty()) return *this;
        if (isEmpty()) return *this = o;
        left = std::min(left, o.left);
        top = std::min(top, o.top);
        right = std::max(right, o.right);
        bottom = std::max(bottom, o.bottom);
        return *this;
    }
    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

// Four bytes red, green, blue, alpha, in that order.
struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;
    constexpr CColor() = default;
    constexpr CColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
        : red(r), green(g), blue(b), alpha(a) {}
    bool operator==(const CColor& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kTransparentCColor{0, 0, 0, 0};

// Mouse button and modifier bits of a mouse event. On Linux, Control stands where the Command
// key is expected and Alt where Option is; the Super key gives the kApple (Control) bit.
enum CButton : int32_t {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5, // "Command"
    kAlt = 1 << 6,     // "Option"
    kApple = 1 << 7,   // "Control"
    kDoubleClick = 1 << 10,
};

class CButtonState {
public:
    constexpr CButtonState(int32_t s = 0) : state(s) {}
    int32_t getButtonState() const { return state & (kLButton | kMButton | kRButton); }
    int32_t getModifierState() const { return state & (kShift | kControl | kAlt | kApple); }
    bool isLeftButton() const { return (state & kLButton) != 0; }
    bool isRightButton() const { return (state & kRButton) != 0; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }
    operator int32_t() const { return state; }
    CButtonState& operator|=(int32_t bits) {
        state |= bits;
        return *this;
    }

private:
    int32_t state;
};

// What a mouse handler answers. Handled: the moves and the release follow to the same view.
// HandledButDontNeedMovedOrUpEvents: the press is consumed and nothing follows.
enum CMouseEventResult : int32_t {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled = 1,
    kMouseEventNotHandled = 2,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents = 3,
    kMouseMoveEventHandledButDontNeedMoreEvents = 4,
};

enum CHoriTxtAlign : int32_t { kLeftText = 0, kCenterText = 1, kRightText = 2 };

enum CDrawStyle : int32_t { kDrawStroked = 0, kDrawFilled = 1, kDrawFilledAndStroked = 2 };

} // namespace VSTGUI
