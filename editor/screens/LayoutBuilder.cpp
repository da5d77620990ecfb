// Turns layout rows into controls through the editor's factory: scales each coordinate with its
// per-size correction, picks the caption rule of the row's kind and appends the control and its
// caption to the list of views that shows them. Host user-interface thread, at each opening.
#include "editor/screens/LayoutRows.h"

#include "controls/FontTables.h"
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "editor/ueditor.h"

#include <cstdio>

using namespace VSTGUI;

namespace layout {

namespace {
int overflowCount = 0;

// The factories move a caption that stands beside its control right by a pixel or two at some
// sizes, into a rim the control's picture leaves empty; the skin's switches and buttons fill
// their rectangle, so the caption is moved back and ends at the control's edge.
constexpr int SIDE_CAPTION_NUDGE[4] = {0, 2, 0, 1};
} // namespace

int overflows() {
    return overflowCount;
}

void reportOverflow(const char* list, int capacity) {
    ++overflowCount;
    std::fprintf(stderr, "ZEK2 editor: %s is full at %d entries; an entry is left out\n", list,
                 capacity);
}

bool ViewList::add(CView* v) {
    if (!v) return false;
    if (count >= capacity) {
        reportOverflow("a view list", capacity);
        return false;
    }
    views[count++] = v;
    return true;
}

int Builder::sx(Coord c) const {
    return ed.getScaled(c.v + dx, c.a1, c.a2, c.a3);
}

int Builder::sy(Coord c) const {
    return ed.getScaled(c.v, c.a1, c.a2, c.a3);
}

Built Builder::build(const Row& r) {
    Built out;
    const int tag = r.pair ? r.pair[pass & 1] : r.tag;
    const int x = sx(r.x), y = sy(r.y), w = s(r.w), h = s(r.h);
    const int big = ed.getBig();
    TLabel* caption = nullptr;
    switch (r.kind) {
    case Kind::Knob: {
        TKnob* k = nullptr;
        if (r.text)
            ed.createKnobLabel(k, tag, x, y, r.a, caption, r.text, r.b);
        else
            ed.createKnob(k, tag, x, y, r.a);
        out.view = k;
        break;
    }
    case Kind::OnOff: {
        TOnOff* o = nullptr;
        if (r.text)
            ed.createOnOff(o, tag, x, y, caption, r.text, r.a, s(r.b), s(r.c));
        else
            ed.createOnOff(o, tag, x, y);
        out.view = o;
        break;
    }
    case Kind::Radio: {
        TRadioButton* b = nullptr;
        if (r.text)
            ed.createRadioLabel(b, x, y, tag, caption, r.text, r.a, s(r.b), s(r.c));
        else
            ed.createRadio(b, x, y, tag);
        out.view = b;
        break;
    }
    case Kind::Menu: {
        TOptionMenu* m = nullptr;
        if (r.text)
            ed.createMenuLabel(m, tag, x, y, w, h, r.count, r.titles, true, r.a != 0, caption,
                               r.text, r.c.v, r.b);
        else
            ed.createMenu(m, tag, x, y, w, h, r.count, r.titles, true, r.a != 0);
        out.view = m;
        break;
    }
    case Kind::MenuButton: {
        TMenuButton* m = nullptr;
        ed.createMenuButton(m, tag, x, y, w, h, r.text ? r.text : "");
        out.view = m;
        break;
    }
    case Kind::Label: {
        TLabel* l = nullptr;
        CFontDesc* font = r.b == kBigDark ? BIG_LABEL_FONT_SIZES[big] : LABEL_FONT_SIZES[big];
        ed.createLabel(l, x, y, w, h, r.text ? r.text : "", font,
                       r.b == kGreen ? GREEN_COLOR : LABEL_COLOR, r.a);
        out.view = l;
        break;
    }
    case Kind::Kick: {
        CKickButton* k = nullptr;
        CBitmap* picture = ed.getSkinBitmap(tag);
        if (r.text)
            ed.createKickButtonLabel(k, x, y, picture, caption, r.text, r.a, r.b);
        else
            ed.createKickButton(k, x, y, picture);
        out.view = k;
        break;
    }
    case Kind::KickArea: {
        CKickButton* k = nullptr;
        ed.createKickButtonArea(k, x, y, w, h);
        out.view = k;
        break;
    }
    case Kind::Readout: {
        TReadout* t = nullptr;
        ed.createReadout(t, x, y, w, h, r.text ? r.text : "", false, r.a != 0);
        out.view = t;
        break;
    }
    case Kind::HSlider:
    case Kind::BigHSlider: {
        THSlider* sl = nullptr;
        const bool wide = r.kind == Kind::BigHSlider;
        if (r.text && wide)
            ed.createBigHSliderLabel(sl, tag, x, y, caption, r.text, r.b);
        else if (r.text)
            ed.createHSliderLabel(sl, tag, x, y, caption, r.text, r.b);
        else if (wide)
            ed.createBigHSlider(sl, tag, x, y);
        else
            ed.createHSlider(sl, tag, x, y);
        out.view = sl;
        break;
    }
    case Kind::VSlider:
    case Kind::BigVSlider: {
        TVSlider* sl = nullptr;
        if (r.kind == Kind::BigVSlider)
            ed.createBigVSlider(sl, tag, x, y);
        else
            ed.createVSlider(sl, tag, x, y);
        out.view = sl;
        break;
    }
    }
    const bool beside =
        r.a != 0 && (r.kind == Kind::OnOff || r.kind == Kind::Radio || r.kind == Kind::Kick);
    if (caption && beside) {
        CRect place = caption->getViewSize();
        place.offset(-SIDE_CAPTION_NUDGE[big], 0);
        caption->setViewSize(place, false);
    }
    if (const char* name = (pass & 1) && r.hoverSecond ? r.hoverSecond : r.hover)
        ed.setHoverName(out.view, name);
    out.caption = caption;
    add(out.view);
    add(caption);
    return out;
}

void Builder::build(const Row* rows, size_t count, Built* out) {
    for (size_t i = 0; i < count; ++i) out[i] = build(rows[i]);
}

} // namespace layout

// A menu whose first entry stands alone and whose other entries sit in group submenus.
TOptionMenu* uEditor::makeGroupedMenu(const CRect& r, int tag, const char* const* titles,
                                      const int* groupStart, int groups,
                                      const char* const* groupTitles, int32_t subStyle,
                                      TOptionMenu** subs, int subTag) {
    constexpr int32_t kMenuStyle = 256;
    auto* m = new TOptionMenu(r, this, tag, nullptr, nullptr, kMenuStyle, true);
    m->addEntry(titles[0], -1, 0);
    for (int g = 0; g < groups; ++g) {
        auto* sub =
            new TOptionMenu(r, this, subTag < 0 ? tag : subTag, nullptr, nullptr, subStyle, true);
        for (int k = groupStart[g]; k < groupStart[g + 1]; ++k) sub->addEntry(titles[k], -1, 0);
        m->addEntry(sub, groupTitles[g]);
        own(sub);
        if (subs) subs[g] = sub;
    }
    m->hasDelta();
    own(m);
    addControl(m, kKindMenu);
    return m;
}
