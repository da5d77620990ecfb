// Every caption the screens show, at every size, on every page and in every mode whose captions
// change: the ink it leaves when drawn lies inside its own box, inside the view container that
// holds it and inside the painted section around it, clear of the section's rim; it touches no
// control and no skin window, and it keeps at least two pixels from every other caption. The
// captions the skin prints itself (the back side's) count as captions too. A section's title
// keeps those two pixels from what the lamps and menus in its title row draw, too. A caption that
// fails is named with its size, its screen state and where its ink lies.
//
// And measured from the drawing itself: every text that any view draws is whole, inside its own
// rectangle and its clip, and at least a pixel clear of every other drawing (every filled,
// stroked or painted shape, every picture's ink, every other text, and every box and caption
// the skin generator paints into the backgrounds) unless it lies on that drawing, drawn before
// it, clear of its outline.
#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TModScreen.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "gui/backend/Backend.h"
#include "test_controls_rig.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using namespace controlstest;

// A view's rectangle in frame pixels.
CRect inFrame(const CView* v, CRect r) {
    CPoint a(r.left, r.top), b(r.right, r.bottom);
    v->localToFrame(a);
    v->localToFrame(b);
    return CRect(a.x, a.y, b.x, b.y);
}

bool overlaps(const CRect& a, const CRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool inside(const CRect& inner, const CRect& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// Fewer than `gap` empty pixels between two inks, across and down.
bool closerThan(const CRect& a, const CRect& b, int gap) {
    return a.left < b.right + gap && b.left < a.right + gap && a.top < b.bottom + gap &&
           b.top < a.bottom + gap;
}

std::string str(const CRect& r) {
    std::ostringstream o;
    o << "(" << r.left << "," << r.top << " " << r.getWidth() << "x" << r.getHeight() << ")";
    return o.str();
}

constexpr double SCALES[4] = {1.0, 1.25, 1.5, 2.0};
constexpr int kMinGap = 2;

// What the skin paints on a picture, from the skin's own description: the dark windows that
// menus, read-outs and displays sit in, the light sections, and the captions it prints itself.
// Rectangles at 100 percent with their corrections by size, by picture id.
struct Decoration {
    std::string kind;
    double v[4] = {};   // x, y, w, h at 100 percent
    int fix[4][4] = {}; // their corrections by size
    char align = 'l';
    std::string text;
    // Where the skin draws it at a size, in the picture's pixels.
    CRect at(int size) const {
        double p[4];
        for (int k = 0; k < 4; ++k) p[k] = std::floor(v[k] * SCALES[size]) + fix[k][size];
        return CRect(p[0], p[1], p[0] + p[2], p[1] + p[3]);
    }
};
// How far into a section the rim the skin strokes along its edge reaches.
CCoord sectionRim(int size) {
    return std::ceil(0.5 + std::max(1.0, SCALES[size]) / 2);
}
std::map<int, std::vector<Decoration>> skinDecorations() {
    std::map<int, std::vector<Decoration>> out;
    std::ifstream in(ZEK2_SKIN_TEXT);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '@') continue;
        std::istringstream words(line.substr(1));
        int id = 0;
        std::string n[4];
        Decoration d;
        words >> id >> d.kind >> n[0] >> n[1] >> n[2] >> n[3];
        for (int k = 0; k < 4; ++k)
            std::sscanf(n[k].c_str(), "%lf(%d/%d/%d)", &d.v[k], &d.fix[k][1], &d.fix[k][2],
                        &d.fix[k][3]);
        if (d.kind == "text" || d.kind == "title") {
            words >> d.align >> std::ws;
            std::getline(words, d.text);
        }
        out[id].push_back(d);
    }
    return out;
}

// The visible ink of one line of text: the pixels that the text covers by a quarter or more.
constexpr uint8_t kInkAlpha = 64;
// Any ink at all: every pixel that a drawing changes.
constexpr uint8_t kAnyInk = 1;

// The smallest rectangle around the pixels of `area` in an image that `isInk` picks; empty when
// it picks none.
template <class Pick> CRect inkIn(void* image, const CRect& area, Pick isInk) {
    CRect ink(area.right, area.bottom, area.left, area.top);
    for (auto y = static_cast<int>(area.top); y < area.bottom; ++y)
        for (auto x = static_cast<int>(area.left); x < area.right; ++x)
            if (isInk(backend::readPixel(image, x, y))) {
                ink.left = std::min<CCoord>(ink.left, x);
                ink.top = std::min<CCoord>(ink.top, y);
                ink.right = std::max<CCoord>(ink.right, x + 1);
                ink.bottom = std::max<CCoord>(ink.bottom, y + 1);
            }
    return ink.left >= ink.right ? CRect() : ink;
}

// Where a line of text leaves ink when drawn in `box` as the captions draw it, with nothing
// clipping it (frame pixels). The text is drawn in a larger box that puts it at the same place,
// on a scratch image, and the ink is read back: the pixels of at least `alpha`, and with
// `glyphBox` also every pixel of the box that the font gives the glyphs' ink.
class InkProbe {
public:
    explicit InkProbe(uint8_t alpha = kInkAlpha, bool glyphBox = false)
        : alpha(alpha), glyphBox(glyphBox) {}
    CRect ink(CFontRef font, const std::string& text, const CRect& box, CHoriTxtAlign align) {
        const double fx = box.left - std::floor(box.left), fy = box.top - std::floor(box.top);
        const auto key = std::make_tuple(font, text, static_cast<int>(align), box.getWidth(),
                                         box.getHeight(), fx, fy);
        auto found = cache.find(key);
        if (found == cache.end()) found = cache.emplace(key, measure(font, text, box, align)).first;
        CRect r = found->second;
        r.offset(std::floor(box.left), std::floor(box.top));
        return r;
    }

private:
    CRect measure(CFontRef font, const std::string& text, const CRect& box,
                  CHoriTxtAlign align) const {
        // Room for text far wider or higher than its box.
        const int m = static_cast<int>(CDrawContext::measureText(font, text).width) + 32;
        const int w = static_cast<int>(std::ceil(box.getWidth())) + 2 * m + 2;
        const int h = static_cast<int>(std::ceil(box.getHeight())) + 2 * m + 2;
        void* image = backend::createBackBuffer(w, h);
        const double fx = box.left - std::floor(box.left), fy = box.top - std::floor(box.top);
        // Growing a box evenly keeps centred text where it was; a left-aligned line grows to the
        // right only, a right-aligned one to the left only.
        CRect wide(m + fx, m + fy, m + fx + box.getWidth(), m + fy + box.getHeight());
        wide.top -= m - 1;
        wide.bottom += m - 1;
        if (align != kLeftText) wide.left -= m - 1;
        if (align != kRightText) wide.right += m - 1;
        {
            CDrawContext c(image);
            c.setFont(font);
            c.setFontColor(kBlackCColor);
            c.drawString(text, wide, align, true);
        }
        CRect ink = inkIn(image, CRect(0, 0, w, h), [this](CColor c) { return c.alpha >= alpha; });
        backend::destroyBackBuffer(image);
        if (glyphBox) {
            CRect glyphs = CDrawContext::placeText(font, text, wide, align);
            glyphs = CRect(std::floor(glyphs.left), std::floor(glyphs.top), std::ceil(glyphs.right),
                           std::ceil(glyphs.bottom));
            if (ink.isEmpty())
                ink = glyphs;
            else if (!glyphs.isEmpty())
                ink.unite(glyphs);
        }
        if (!ink.isEmpty()) ink.offset(-m, -m);
        return ink;
    }
    uint8_t alpha;
    bool glyphBox;
    std::map<std::tuple<CFontRef, std::string, int, CCoord, CCoord, double, double>, CRect> cache;
};

// What the skin generator says its backgrounds and pages leave, by picture resource (id + 1000 x
// size): boxes in the picture's pixels, how far an outline reaches into each, and the words of
// its captions.
struct SkinInk {
    CRect box;
    CCoord rim = 0;
    std::string words;
};
const std::map<int, std::vector<SkinInk>>& skinInk() {
    static const std::map<int, std::vector<SkinInk>> list = [] {
        std::map<int, std::vector<SkinInk>> out;
        std::ifstream in(ZEK2_SKIN_INK);
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            int id = 0, size = 0;
            std::string what;
            double l = 0, t = 0, r = 0, b = 0;
            SkinInk ink;
            words >> id >> size >> what >> l >> t >> r >> b >> ink.rim >> std::ws;
            std::getline(words, ink.words);
            ink.box = CRect(l, t, r, b);
            out[id + 1000 * size].push_back(ink);
        }
        return out;
    }();
    return list;
}

// One piece of ink on the screen: a text's, a solid area's, or an outline's whose inside is not
// its own.
struct Ink {
    CRect box;      // where it lies, clipped to what is seen
    CRect whole;    // all of it, unclipped
    CCoord rim = 0; // an outline's reach into `whole`; 0 for a solid area or a text
    bool text = false;
    std::string words;
    CRect own, clip; // a text's rectangle and the clip it was drawn through
};

// Every drawing of one render as the draw context reports it, in drawing order, and the ink each
// leaves in frame pixels: texts from the probe, pictures from their pixels, the skin's
// backgrounds from the generator's list.
class InkLog : public IDrawWatcher {
public:
    void drewShape(const CRect& box, CCoord outline, const CRect& clip) override {
        drawings.push_back({box, clip, outline, {}, nullptr, kLeftText, nullptr, {}});
    }
    void drewText(const std::string& text, CFontRef font, const CRect& box, CHoriTxtAlign align,
                  const CRect& clip) override {
        if (text.find_first_not_of(" \t") == std::string::npos) return;
        drawings.push_back({box, clip, 0, text, font, align, nullptr, {}});
    }
    void drewPicture(CBitmap* bitmap, const CRect& box, const CPoint& from,
                     const CRect& clip) override {
        drawings.push_back({box, clip, 0, {}, nullptr, kLeftText, bitmap, from});
    }

    // Every text drawn, with the rectangle it was drawn in (frame pixels).
    std::vector<std::pair<std::string, CRect>> texts() const {
        std::vector<std::pair<std::string, CRect>> out;
        for (const Drawing& d : drawings)
            if (!d.text.empty()) out.emplace_back(d.text, d.box);
        return out;
    }

    std::vector<Ink> inks(InkProbe& probe) {
        std::vector<Ink> out;
        for (const Drawing& d : drawings) {
            const CRect clip = seen(d.box, d.clip);
            if (!d.text.empty()) {
                const CRect full = probe.ink(d.font, d.text, d.box, d.align);
                out.push_back({seen(full, d.clip), full, 0, true, d.text, d.box, d.clip});
            } else if (!d.picture) {
                out.push_back({clip, d.box, std::ceil(d.outline), false, {}, {}, {}});
            } else if (const auto skin = skinInk().find(d.picture->getResourceId());
                       skin != skinInk().end()) {
                // A skin background: the generator's boxes, where the picture lands.
                for (const SkinInk& k : skin->second) {
                    CRect at = k.box;
                    at.offset(d.box.left - d.from.x, d.box.top - d.from.y);
                    out.push_back(
                        {seen(at, clip), at, k.rim, !k.words.empty(), k.words, clip, clip});
                }
            } else if (const CRect at = pictureInk(d); !at.isEmpty()) {
                out.push_back({seen(at, clip), at, 0, false, {}, {}, {}});
            }
        }
        return out;
    }

private:
    struct Drawing {
        CRect box, clip;
        CCoord outline;   // a stroked shape's line width; 0 when filled
        std::string text; // a text's words, drawn in `box`
        CFontRef font;
        CHoriTxtAlign align;
        CBitmap* picture; // a picture's part from `from`, drawn into `box`
        CPoint from;
    };
    static CRect seen(CRect r, const CRect& clip) {
        r.bound(clip);
        return r.isEmpty() ? CRect() : r;
    }
    // Where the pixels of a picture's drawn part land.
    CRect pictureInk(const Drawing& d) {
        const auto key =
            std::make_tuple(d.picture, d.from.x, d.from.y, d.box.getWidth(), d.box.getHeight());
        auto found = pictures.find(key);
        if (found == pictures.end()) {
            CRect part(d.from.x, d.from.y, d.from.x + d.box.getWidth(),
                       d.from.y + d.box.getHeight());
            part.bound(CRect(0, 0, d.picture->getWidth(), d.picture->getHeight()));
            CRect ink = inkIn(d.picture->getNativeSurface(), part,
                              [](CColor c) { return c.alpha >= kAnyInk; });
            if (!ink.isEmpty()) ink.offset(-d.from.x, -d.from.y);
            found = pictures.emplace(key, ink).first;
        }
        CRect at = found->second;
        return at.isEmpty() ? at : at.offset(d.box.left, d.box.top);
    }
    std::vector<Drawing> drawings;
    std::map<std::tuple<CBitmap*, CCoord, CCoord, CCoord, CCoord>, CRect> pictures;
};

// Why a text's ink is not whole and clear on a screen, or "" when it is: cut by its own
// rectangle or its clip, covered by what is drawn after it, or touching (no empty pixel
// between) a drawing that it does not lie on.
std::string textFault(const std::vector<Ink>& inks, size_t i) {
    const Ink& t = inks[i];
    if (!inside(t.whole, t.own)) return "is cut by its rectangle " + str(t.own);
    if (!inside(t.whole, t.clip)) return "is cut by its clip " + str(t.clip);
    for (size_t j = 0; j < inks.size(); ++j) {
        const Ink& o = inks[j];
        if (j == i || o.box.isEmpty() || !closerThan(t.box, o.box, 1)) continue;
        if (o.text) return "touches the text \"" + o.words + "\" at " + str(o.box);
        // Lying on a drawing made before it, clear of that drawing's outline, is fine.
        CRect on = o.whole;
        if (o.rim > 0) on.inset(o.rim + 1, o.rim + 1);
        if (j < i && inside(t.box, on)) continue;
        if (j > i && overlaps(t.box, o.box)) return "is covered by a drawing at " + str(o.box);
        return (o.rim > 0 ? "touches the outline of " : "touches a drawing at ") + str(o.whole);
    }
    return "";
}

// One drawn line of a caption: whose it is, where its ink lies, the box that clips it and the
// visible part of the container that holds it.
struct Line {
    const void* owner;
    std::string text;
    CRect ink, box, clip;
    bool title = false; // a section's title, on its menu button
};

// Empty pixels between two inks across, or (negative) how far they overlap.
CCoord gapAcross(const CRect& a, const CRect& b) {
    return std::max(a.left - b.right, b.left - a.right);
}

class ScreenCaptions : public ControlsTest {
protected:
    void click(CView* v) {
        clickMiddle(v);
        idle();
    }
    void setMode(int tagNumber, int mode) {
        engine->setSteppedValue(tagNumber, mode);
        ed->setParameter(tagNumber, engine->getParameter(tagNumber));
        idle();
    }

    // Walks the shown views: captions (labels, menu buttons) and the controls they must clear.
    void collect(const CViewContainer* c, const CRect& clip) {
        addSkin(c, clip);
        for (int32_t i = 0; i < c->getNbViews(); ++i) {
            const CView* v = c->getView(i);
            if (!v || !v->isVisible()) continue;
            const CRect r = inFrame(c, v->getViewSize());
            if (v->isContainer()) {
                CRect inner = r;
                inner.bound(clip);
                collect(static_cast<const CViewContainer*>(v), inner);
                continue;
            }
            if (auto* l = dynamic_cast<const TLabel*>(v)) {
                if (l->isInvisible()) continue;
                const std::vector<std::string> parts = labelLines(l->getString());
                const CCoord band = r.getHeight() / static_cast<CCoord>(parts.size());
                for (size_t k = 0; k < parts.size(); ++k)
                    addLine(v, parts[k], boldFont(l->getFont()),
                            CRect(r.left, r.top + k * band, r.right, r.top + (k + 1) * band),
                            static_cast<CHoriTxtAlign>(l->getAlign()), clip);
            } else if (auto* m = dynamic_cast<const TMenuButton*>(v)) {
                addLine(v, m->getCaption(), boldFont(BIG_LABEL_FONT_SIZES[ed->getBig()]), r,
                        kLeftText, clip, true);
            } else if (auto* k = dynamic_cast<const CKickButton*>(v); k && !k->getBackground()) {
                continue; // an invisible click area over the skin
            } else {
                // A knob's caption starts just above its rectangle's lower edge, where the round
                // picture leaves room; beside a control a caption keeps out of its rectangle.
                const CCoord m = ed->getScaled(2);
                controls.push_back({v, CRect(r.left + 1, r.top + m, r.right - 1, r.bottom - m)});
                if (dynamic_cast<const TOnOff*>(v) || dynamic_cast<const TOptionMenu*>(v))
                    drawn.push_back(drawnInk(v, r));
            }
        }
    }
    // What the skin paints under a container, where the container stands: its windows, its
    // sections and its own captions.
    void addSkin(const CViewContainer* c, const CRect& clip) {
        static const std::map<int, std::vector<Decoration>> skin = skinDecorations();
        const int size = ed->getBig();
        for (const auto& [id, list] : skin) {
            CBitmap* picture = ed->getSkinBitmap(id);
            if (!c->getBackground() || picture != c->getBackground()) continue;
            for (const Decoration& d : list) {
                const CRect drawn = d.at(size);
                const CRect at = inFrame(c, drawn);
                if (d.kind == "lcd" || d.kind == "xy" || d.kind == "grid" || d.kind == "button") {
                    CRect inner = at;
                    inner.inset(1, 1); // the window's rim
                    windowsShown.push_back(inner);
                } else if (d.kind == "panel") {
                    // Clear of the section's rim by a pixel.
                    CRect inner = at;
                    inner.inset(sectionRim(size) + 1, sectionRim(size) + 1);
                    sections.push_back({at, inner});
                } else if (d.kind == "text" || d.kind == "title") {
                    const CRect ink = printedInk(picture, drawn);
                    if (ink.isEmpty()) continue;
                    lines.push_back({&d, d.text, inFrame(c, ink), at, clip});
                }
            }
        }
    }
    // The dark pixels of a caption the skin prints in `box` of its picture.
    static CRect printedInk(CBitmap* picture, const CRect& box) {
        return inkIn(picture->getNativeSurface(), box, [](CColor c) { return c.red < 128; });
    }
    void addLine(const CView* v, const std::string& text, CFontRef font, const CRect& box,
                 CHoriTxtAlign align, const CRect& clip, bool title = false) {
        if (text.find_first_not_of(" \t") == std::string::npos) return;
        const CRect ink = probe.ink(font, text, box, align);
        if (!ink.isEmpty()) lines.push_back({v, text, ink, box, clip, title});
    }
    // What a control draws, in frame pixels: a switch's lamp in either state, where its picture
    // strip is seen; a menu its whole rectangle.
    static CRect drawnInk(const CView* v, const CRect& r) {
        const auto* lamp = dynamic_cast<const TOnOff*>(v);
        if (!lamp || !lamp->getBackground()) return r;
        CBitmap* strip = lamp->getBackground();
        const auto h = static_cast<CCoord>(r.getHeight());
        CRect ink;
        for (int half = 0; half < 2; ++half) {
            CRect part =
                inkIn(strip->getNativeSurface(), CRect(0, half * h, r.getWidth(), (half + 1) * h),
                      [](CColor c) { return c.alpha >= kInkAlpha; });
            if (part.isEmpty()) continue;
            part.offset(r.left, r.top - half * h);
            if (ink.isEmpty())
                ink = part;
            else
                ink.unite(part);
        }
        return ink;
    }

    // Draws the frame as it stands and checks every caption; keeps what failed, once for each
    // size, with the first screen state that shows it.
    void check(const std::string& state) {
        lines.clear();
        controls.clear();
        drawn.clear();
        windowsShown.clear();
        sections.clear();
        // The pointer leaves the frame: a tooltip is not part of the layout.
        frame->platformMouseExited();
        idle();
        InkLog log;
        CDrawContext::setWatcher(&log);
        frame->render();
        CDrawContext::setWatcher(nullptr);
        checkTexts(log.inks(textProbe), state);
        textsDrawn = log.texts();
        collect(frame, frame->getViewSize());
        const std::string size = "size " + std::to_string(ed->getBig()) + ": ";
        // ZEK2_CAPTION_SHOTS names a folder that receives a picture of every state checked.
        if (const char* dir = std::getenv("ZEK2_CAPTION_SHOTS")) {
            std::string name = "size" + std::to_string(ed->getBig()) + "-" + state;
            for (char& ch : name)
                if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '-';
            frame->writePNG(std::string(dir) + "/" + name + ".png");
        }
        auto report = [&](const std::string& what) {
            if (seen.insert(size + what).second)
                failures.push_back(size + what + " (" + state + ")");
        };
        for (const Line& l : lines) {
            const std::string name = "\"" + l.text + "\" ink " + str(l.ink);
            if (!inside(l.ink, l.box)) report(name + " is cut by its box " + str(l.box));
            if (!inside(l.ink, l.clip)) report(name + " is cut by its container " + str(l.clip));
            const CPoint middle((l.box.left + l.box.right) / 2, (l.box.top + l.box.bottom) / 2);
            for (const auto& [outer, inner] : sections)
                if (outer.pointInside(middle) && !inside(l.ink, inner))
                    report(name + " touches the edge of its section " + str(outer));
            for (const auto& [v, r] : controls)
                if (overlaps(l.ink, r)) report(name + " overlaps a control at " + str(r));
            for (const CRect& r : windowsShown)
                if (overlaps(l.ink, r) && !inside(l.ink, r))
                    report(name + " runs into a skin window at " + str(r));
            for (const CRect& r : drawn)
                if (l.title && !r.isEmpty() && r.top < l.box.bottom && l.box.top < r.bottom &&
                    closerThan(l.ink, r, kMinGap))
                    report(name + " stands " + std::to_string(int(gapAcross(l.ink, r))) +
                           " px across from a control in its title row at " + str(r));
            for (const Line& o : lines)
                if (&o < &l && o.owner != l.owner && closerThan(l.ink, o.ink, kMinGap))
                    report(name + " stands within " + std::to_string(kMinGap) + " px of \"" +
                           o.text + "\" ink " + str(o.ink));
        }
    }

    // Every menu of the screen and every cell of the modulation table shows the widest of its
    // values.
    void showWidestValues() {
        std::vector<TOptionMenu*> menus;
        findMenus(frame, menus);
        for (TOptionMenu* m : menus)
            showWidest(m->getTag(), 1, true, [&] { return m->faceText(); });
        for (int c = 1; c < TModScreen::kColumns; ++c) {
            const int first = TModScreen::MOD_START_TAGS[c];
            showWidest(first, 16, c == 1 || c == 4,
                       [&] { return engine->getParameterDisplayStr(first); });
        }
    }
    // Sets the `count` parameters from `first` to the value at which `shown()` is widest (by its
    // width at the first size that tries `first`): a stepped one tries every step, the others a
    // few points of their range.
    template <class Shown> void showWidest(int first, int count, bool stepped, Shown shown) {
        auto set = [&](int t, float v) {
            engine->setParameter(t, v);
            ed->setParameter(t, v);
            idle();
        };
        auto found = widest.find(first);
        if (found == widest.end()) {
            std::vector<float> values = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
            if (stepped) {
                engine->setSteppedValueMax(first);
                values.clear();
                for (int i = 0, last = engine->getSteppedValue(first); i <= last; ++i) {
                    engine->setSteppedValue(first, i);
                    values.push_back(engine->getParameter(first));
                }
            }
            float best = 0;
            CCoord bestWidth = -1;
            for (float v : values) {
                set(first, v);
                const CCoord w = CDrawContext::measureText(FONT_SIZES[ed->getBig()], shown()).width;
                if (w > bestWidth) best = v, bestWidth = w;
            }
            found = widest.emplace(first, best).first;
        }
        for (int k = 0; k < count; ++k) set(first + k, found->second);
    }
    static void findMenus(const CViewContainer* c, std::vector<TOptionMenu*>& out) {
        for (int32_t i = 0; i < c->getNbViews(); ++i) {
            CView* v = c->getView(i);
            if (!v || !v->isVisible()) continue;
            if (v->isContainer())
                findMenus(static_cast<const CViewContainer*>(v), out);
            else if (auto* m = dynamic_cast<TOptionMenu*>(v); m && uEditor::isValidTag(m->getTag()))
                out.push_back(m);
        }
    }

    // Every value cell of the grid drawn by the last check reads its value: the whole text, or
    // a shorter form with the same sign and the number rounded to a whole one.
    void checkGridValues(int arp, const std::string& state) {
        const TArpScreen* grid = ed->ui.arpGrid;
        const CRect at = inFrame(grid->getParentView(), grid->getViewSize());
        const CCoord columnWidth = at.getWidth() / 16, rowHeight = at.getHeight() / kArpRows;
        // The number a value text starts with, its sign and all.
        auto number = [](const std::string& text) {
            double n = 0;
            const size_t at = text.find_first_of("-0123456789");
            if (at != std::string::npos)
                std::from_chars(text.data() + at, text.data() + text.size(), n);
            return n;
        };
        for (const auto& [text, box] : textsDrawn) {
            const CPoint middle((box.left + box.right) / 2, (box.top + box.bottom) / 2);
            if (!at.pointInside(middle)) continue;
            const int step = static_cast<int>((box.left - at.left) / columnWidth);
            const int row = static_cast<int>((middle.y - at.top) / rowHeight);
            if (row < TArpScreen::kRowTune || row > TArpScreen::kRowRatchet) continue;
            const std::string whole = engine->getParameterDisplayStr(
                ARP_ROW_START_TAGS[arp * kArpRows + row] + std::clamp(step, 0, 15));
            const double shown = number(text), value = number(whole);
            if (text == whole ||
                (std::signbit(shown) == std::signbit(value) && std::fabs(shown - value) <= 0.5))
                continue;
            const std::string what = "size " + std::to_string(ed->getBig()) + ": grid cell of \"" +
                                     whole + "\" reads \"" + text + "\"";
            if (seen.insert(what).second) failures.push_back(what + " (" + state + ")");
        }
    }

    // Every text of the render whole and clear; a text that fails is counted once for its size,
    // by its words and where its ink lies, with the first state that shows it.
    void checkTexts(const std::vector<Ink>& inks, const std::string& state) {
        const int size = ed->getBig();
        for (size_t i = 0; i < inks.size(); ++i) {
            if (!inks[i].text || inks[i].box.isEmpty()) continue;
            const std::string fault = textFault(inks, i);
            if (fault.empty()) continue;
            const std::string name = "\"" + inks[i].words + "\" ink " + str(inks[i].whole);
            if (textsSeen[size].insert(name).second)
                textFailures[size].push_back(name + " " + fault + " (" + state + ")");
        }
    }

    std::map<int, float> widest; // the widest value of a parameter, by its tag
    InkProbe probe;
    InkProbe textProbe{kAnyInk, true};
    std::set<std::string> textsSeen[4];
    std::vector<std::string> textFailures[4];
    std::vector<Line> lines;
    std::vector<std::pair<const CView*, CRect>> controls;
    std::vector<CRect> drawn; // what the lamps and menus among them draw
    std::vector<CRect> windowsShown;
    std::vector<std::pair<CRect, CRect>> sections; // drawn, and the part clear of its rim
    std::vector<std::string> failures;
    std::set<std::string> seen;
    std::vector<std::pair<std::string, CRect>> textsDrawn; // by the last check
};

// One size a test, so ctest spreads the four over its jobs.
class ScreenCaptionsAtSize : public ScreenCaptions, public ::testing::WithParamInterface<int> {};

TEST_P(ScreenCaptionsAtSize, EveryCaptionFitsItsBoxAndClearsItsNeighbours) {
    for (const int size : {GetParam()}) {
        openShown(size);
        ASSERT_EQ(ed->getBig(), size);
        auto& ui = ed->ui;
        // The main screen: each oscillator page and EQ beside each of the five pages.
        for (int oscPage = 0; oscPage < 3; ++oscPage) {
            click(ui.oscPageRadios[0][oscPage]);
            click(ui.oscPageRadios[1][oscPage]);
            click(ui.eqRadios[0][oscPage & 1]);
            for (int page = 0; page < 5; ++page) {
                ed->setMultiViewPage(page);
                idle();
                check("main, oscillator page " + std::to_string(oscPage) + ", page " +
                      std::to_string(page));
            }
        }
        // The second arpeggiator and the second user wave show their own sets.
        ed->setMultiViewPage(0);
        idle();
        click(ui.arpSeqRadios[1]);
        check("main, arpeggiator B");
        // Both grids with every step on and every value cell at its lowest, its highest and
        // its widest value.
        for (int arp = 0; arp < 2; ++arp) {
            click(ui.arpSeqRadios[arp]);
            auto setRow = [&](int row, float v) {
                for (int step = 0; step < 16; ++step) {
                    const int t = ARP_ROW_START_TAGS[arp * kArpRows + row] + step;
                    engine->setParameter(t, v);
                    ed->setParameter(t, v);
                }
                idle();
            };
            setRow(TArpScreen::kRowOn, 1.0f);
            setRow(TArpScreen::kRowTied, 0.0f);
            for (float v : {0.0f, 1.0f}) {
                for (int row = TArpScreen::kRowTune; row <= TArpScreen::kRowRatchet; ++row)
                    setRow(row, v);
                check("main, arpeggiator " + std::to_string(arp) + ", every cell at " +
                      std::to_string(int(v)));
            }
            for (int row = TArpScreen::kRowTune; row <= TArpScreen::kRowRatchet; ++row) {
                const int first = ARP_ROW_START_TAGS[arp * kArpRows + row];
                showWidest(first, 16, row == TArpScreen::kRowRatchet,
                           [&] { return engine->getParameterDisplayStr(first); });
            }
            check("main, arpeggiator " + std::to_string(arp) + ", every cell at its widest");
            // Values across the range in steps of 5 %, and those that only just fit between the
            // column's lines at some size: -99.9, -99.0 and -10.0 %.
            std::vector<float> values;
            for (int k = 0; k <= 40; ++k) values.push_back(k / 40.0f);
            for (float v : {0.0005f, 0.005f, 0.45f}) values.push_back(v);
            for (size_t first = 0; first < values.size(); first += 16) {
                for (int row = TArpScreen::kRowTune; row <= TArpScreen::kRowRatchet; ++row)
                    for (int step = 0; step < 16; ++step) {
                        const int t = ARP_ROW_START_TAGS[arp * kArpRows + row] + step;
                        const float v = values[(first + step) % values.size()];
                        engine->setParameter(t, v);
                        ed->setParameter(t, v);
                    }
                idle();
                const std::string state = "main, arpeggiator " + std::to_string(arp) +
                                          ", values from " + std::to_string(first);
                check(state);
                checkGridValues(arp, state);
            }
        }
        click(ui.arpSeqRadios[1]);
        ed->setMultiViewPage(1);
        idle();
        click(ui.userWaveRadios[1]);
        check("main, user wave 2");
        // Every mode of the distortions and the modulation effect writes its own captions.
        ed->setMultiViewPage(3);
        idle();
        for (int mode = 0; mode < DISTORT_FX_MODE_COUNT; ++mode) {
            setMode(tag::DistortFxMode, mode);
            setMode(tag::VoiceDistortionMode, mode % DISTORT_VOICE_MODE_COUNT);
            setMode(tag::ModFxMode, mode % MOD_FX_MODE_COUNT);
            check("main, FX page, distortion and modulation modes " + std::to_string(mode));
        }
        // The filter types that rename the filter's knobs, and every menu at its widest value.
        for (int type = 0; type < FILTER_TYPE_COUNT; ++type) {
            setMode(tag::FilterType, type);
            check("main, filter type " + std::to_string(type));
        }
        for (int page = 0; page < 5; ++page) {
            ed->setMultiViewPage(page);
            idle();
            showWidestValues();
            check("main, page " + std::to_string(page) + ", every menu at its widest value");
        }
        ed->showEasyScreen();
        idle();
        check("Easy screen");
        click(ui.eqRadios[1][1]);
        check("Easy screen, post-EQ");
        for (int type = 0; type < FILTER_TYPE_COUNT; ++type) {
            setMode(tag::FilterType, type);
            check("Easy screen, filter type " + std::to_string(type));
        }
        showWidestValues();
        check("Easy screen, every menu at its widest value");
        ed->showBackScreen();
        idle();
        check("back side");
        // A tuning name longer than its read-out.
        const std::string longName = "Werckmeister III well temperament (1691)";
        for (size_t i = 0; i < longName.size(); ++i)
            engine->setParameter(tag::TuningNameFirst + int(i), (longName[i] + 0.5f) / 255.99f);
        engine->setParameter(tag::HasTuningOn, 1.0f);
        ui.tuningReadout->setString(engine->getTuningName());
        check("back side, a long tuning name");
        engine->setParameter(tag::HasTuningOn, 0.0f);
        closeShown();
    }
    std::string all;
    for (const std::string& f : failures) all += f + "\n";
    EXPECT_TRUE(failures.empty()) << failures.size() << " captions do not fit:\n" << all;
    const int size = GetParam();
    std::string texts;
    for (const std::string& f : textFailures[size]) texts += f + "\n";
    EXPECT_TRUE(textFailures[size].empty())
        << textFailures[size].size() << " texts at size " << size
        << " are not whole and clear of every other drawing:\n"
        << texts;
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScreenCaptionsAtSize, ::testing::Range(0, 4));

// Every dark window the skin paints for a menu, read-out or display that stands on a section
// lies inside the section, clear of its rim, at every size: a window on the rim reads as a
// control that spills out of its section.
TEST(ScreenSkin, EveryWindowStaysInsideItsSectionAtEverySize) {
    std::vector<std::string> failures;
    for (const auto& [id, list] : skinDecorations())
        for (int size = 0; size < 4; ++size)
            for (const Decoration& w : list) {
                if (w.kind != "lcd" && w.kind != "xy" && w.kind != "grid" && w.kind != "button")
                    continue;
                const CRect window = w.at(size);
                for (const Decoration& s : list) {
                    if (s.kind != "panel" || !overlaps(window, s.at(size))) continue;
                    CRect inner = s.at(size);
                    inner.inset(sectionRim(size), sectionRim(size));
                    if (!inside(window, inner))
                        failures.push_back("picture " + std::to_string(id) + ", size " +
                                           std::to_string(size) + ": window " + str(window) +
                                           " crosses the rim of its section " + str(s.at(size)));
                }
            }
    std::string all;
    for (const std::string& f : failures) all += f + "\n";
    EXPECT_TRUE(failures.empty()) << all;
}

} // namespace

namespace {

// The ECS menu shows a face of its own on both screens that carry the top bar, at every size.
TEST_F(ScreenCaptions, TheEcsMenuHasAFaceAtEverySize) {
    for (int size = 0; size < 4; ++size) {
        openShown(size);
        for (int screen = 0; screen < 2; ++screen) {
            if (screen == 1) {
                ed->showEasyScreen();
                idle();
            }
            const CRect r = ed->ui.ecsMenu->getViewSize();
            ASSERT_TRUE(ed->ui.ecsMenu->isAttached());
            const CColor bar = pixel(CPoint(r.left + 2, r.top - ed->getScaled(3)));
            // The face's rim, well inside the menu's rectangle, and its middle.
            EXPECT_FALSE(near(pixel(CPoint(r.left + 2, (r.top + r.bottom) / 2)), bar, 20))
                << "size " << size << " screen " << screen;
            EXPECT_FALSE(near(pixel(CPoint((r.left + r.right) / 2, r.bottom - 3)), bar, 20))
                << "size " << size << " screen " << screen;
        }
        closeShown();
    }
}

} // namespace
