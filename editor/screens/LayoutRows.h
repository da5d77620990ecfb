// The screens' layouts as data: one row per control, in unscaled pixels of the 100 percent
// screen with the small per-size corrections, and the builder that turns a table of rows into
// controls through the editor's factory. Host user-interface thread, at each opening.
#pragma once

#include <cstddef>

class uEditor;
class TLabel;
namespace VSTGUI {
class CView;
class CControl;
} // namespace VSTGUI

namespace layout {

// An unscaled coordinate and its corrections at 125, 150 and 200 percent.
struct Coord {
    int v = 0, a1 = 0, a2 = 0, a3 = 0;
    constexpr Coord() = default;
    constexpr Coord(int value, int c125 = 0, int c150 = 0, int c200 = 0)
        : v(value), a1(c125), a2(c150), a3(c200) {}
};

enum class Kind : unsigned char {
    Knob,       // tag, caption (null: none), style a, label margin b (screen pixels)
    OnOff,      // tag, caption (null: none), placement a, width b, shift c
    Radio,      // group in tag, caption (null: none), placement a, width b, shift c
    Menu,       // tag, caption (null: none), w x h, titles, count, arrows a, margin b, caption
                // side c (kCaptionBelow, kCaptionAbove)
    MenuButton, // menu number in tag, caption, w x h
    Label,      // caption, w x h, align a, look b (LabelLook)
    Kick,       // picture id in tag, caption (null: none), placement a, width b
    KickArea,   // w x h
    Readout,    // caption as the first text, w x h, clickable a
    HSlider,    // tag, caption, label margin b
    BigHSlider, // tag, caption, label margin b
    VSlider,    // tag
    BigVSlider, // tag
};

enum LabelLook { kDark = 0, kGreen = 1, kBigDark = 2 };
enum CaptionSide { kCaptionBelow = 0, kCaptionAbove = 1 };

// Where a row's place, size or caption room was chosen for the captions' font, which is wider than
// the skin's lettering, a comment says so and by how much; every other row stands as the panel was
// designed.
struct Row {
    Kind kind;
    int tag;
    const char* text;
    Coord x, y, w, h;
    int a = 0, b = 0;
    Coord c{};
    const char* const* titles = nullptr;
    int count = 0;
    // Per-oscillator or per-pass rows take their tag from this two-entry table.
    const int* pair = nullptr;
    // The name the read-outs show while the pointer rests on a view without a parameter of its
    // own; a per-pass row's second pass takes the second name.
    const char* hover = nullptr;
    const char* hoverSecond = nullptr;
};

// A row whose view carries a fixed hover name (two for a per-pass row).
constexpr Row named(Row row, const char* name, const char* second = nullptr) {
    row.hover = name;
    row.hoverSecond = second;
    return row;
}

// Row makers, so the tables read like the layout sheets.
constexpr Row knob(int tag, const char* caption, Coord x, Coord y, int style, int margin = 0) {
    return {Kind::Knob, tag, caption, x, y, {}, {}, style, margin};
}
constexpr Row knobPair(const int* tags, const char* caption, Coord x, Coord y, int style,
                       int margin = 0) {
    return {Kind::Knob, 0, caption, x, y, {}, {}, style, margin, {}, nullptr, 0, tags};
}
constexpr Row onOff(int tag, const char* caption, Coord x, Coord y, int placement = 0,
                    int width = 0, Coord shift = {}) {
    return {Kind::OnOff, tag, caption, x, y, {}, {}, placement, width, shift};
}
constexpr Row onOffPair(const int* tags, const char* caption, Coord x, Coord y, int placement = 0,
                        int width = 0, Coord shift = {}) {
    return {Kind::OnOff, 0, caption, x, y, {}, {}, placement, width, shift, nullptr, 0, tags};
}
constexpr Row radio(int group, const char* caption, Coord x, Coord y, int placement = 0,
                    int width = 0, Coord shift = {}) {
    return {Kind::Radio, group, caption, x, y, {}, {}, placement, width, shift};
}
constexpr Row menu(int tag, const char* caption, Coord x, Coord y, Coord w, Coord h,
                   const char* const* titles, int count, bool arrows = true, int margin = 0) {
    return {Kind::Menu, tag, caption, x, y, w, h, arrows ? 1 : 0, margin, {}, titles, count};
}
constexpr Row menuPair(const int* tags, const char* caption, Coord x, Coord y, Coord w, Coord h,
                       const char* const* titles, int count, int side = kCaptionBelow) {
    return {Kind::Menu, 0, caption, x, y, w, h, 1, 0, side, titles, count, tags};
}
constexpr Row menuButton(int number, const char* caption, Coord x, Coord y, Coord w, Coord h) {
    return {Kind::MenuButton, number, caption, x, y, w, h};
}
constexpr Row label(const char* text, Coord x, Coord y, Coord w, Coord h, int align,
                    int look = kDark) {
    return {Kind::Label, 0, text, x, y, w, h, align, look};
}
constexpr Row kick(int picture, const char* caption, Coord x, Coord y, int placement = 0,
                   int width = 0) {
    return {Kind::Kick, picture, caption, x, y, {}, {}, placement, width};
}
constexpr Row kickArea(Coord x, Coord y, Coord w, Coord h) {
    return {Kind::KickArea, 0, nullptr, x, y, w, h};
}
constexpr Row readout(const char* text, Coord x, Coord y, Coord w, Coord h,
                      bool clickable = false) {
    return {Kind::Readout, 0, text, x, y, w, h, clickable ? 1 : 0};
}
constexpr Row hSlider(int tag, const char* caption, Coord x, Coord y, int margin = 0) {
    return {Kind::HSlider, tag, caption, x, y, {}, {}, 0, margin};
}
constexpr Row bigHSlider(int tag, const char* caption, Coord x, Coord y, int margin = 0) {
    return {Kind::BigHSlider, tag, caption, x, y, {}, {}, 0, margin};
}
constexpr Row vSlider(int tag, Coord x, Coord y) {
    return {Kind::VSlider, tag, nullptr, x, y, {}, {}};
}
constexpr Row vSliderPair(const int* tags, Coord x, Coord y) {
    return {Kind::VSlider, 0, nullptr, x, y, {}, {}, 0, 0, {}, nullptr, 0, tags};
}
constexpr Row bigVSlider(int tag, Coord x, Coord y) {
    return {Kind::BigVSlider, tag, nullptr, x, y, {}, {}};
}

// What one row made: the control (or the label of a label row) and its caption.
struct Built {
    VSTGUI::CView* view = nullptr;
    TLabel* caption = nullptr;
    template <class T> T* as() const { return static_cast<T*>(view); }
};

// A list of views in drawing order, with room for a fixed number. A view that finds the
// list full is not shown; it is counted in overflows().
struct ViewList {
    VSTGUI::CView** views = nullptr;
    int capacity = 0;
    int count = 0;
    bool add(VSTGUI::CView* v);
};

// Views and captions that a full list turned away since the library was loaded (user-interface
// thread). Each one is also reported on standard error; a sound layout leaves it unchanged.
int overflows();
void reportOverflow(const char* list, int capacity);

// Places and builds rows. `dx` moves every x by unscaled pixels before scaling (the second
// oscillator's panels); `pass` picks the entry of a row's two-entry tag table.
struct Builder {
    uEditor& ed;
    ViewList* target = nullptr;
    int dx = 0;
    int pass = 0;

    int sx(Coord c) const;
    int sy(Coord c) const;
    int s(Coord c) const { return sy(c); }
    Built build(const Row& row);
    // Builds every row into `out` (as many entries as rows); views join the target list.
    void build(const Row* rows, size_t count, Built* out);
    template <size_t N> void build(const Row (&rows)[N], Built (&out)[N]) { build(rows, N, out); }
    void add(VSTGUI::CView* v) {
        if (target) target->add(v);
    }
};

} // namespace layout
