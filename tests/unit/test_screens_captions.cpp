// Every caption the screens show, at every size, on every page and in every mode whose captions
// change: its text lies inside its own box and inside the container that holds it, and its ink
// touches no other control and no other caption. A caption that fails is named with its size,
// its screen state and where its ink lies.
#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "test_controls_rig.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

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

// A bold glyph's edge may reach one pixel past its advance: that fringe is no cut.
bool inside(const CRect& inner, const CRect& outer) {
    return inner.left >= outer.left - 1 && inner.right <= outer.right + 1 &&
           inner.top >= outer.top - 1 && inner.bottom <= outer.bottom + 1;
}

std::string str(const CRect& r) {
    std::ostringstream o;
    o << "(" << r.left << "," << r.top << " " << r.getWidth() << "x" << r.getHeight() << ")";
    return o.str();
}

// The dark windows the skin paints on a background (menus, read-outs, displays sit in them):
// a dark caption over one cannot be read. Rectangles at 100 percent, by picture id.
struct Window {
    double v[4] = {};   // x, y, w, h at 100 percent
    int fix[4][4] = {}; // their corrections by size
};
std::map<int, std::vector<Window>> skinWindows() {
    std::map<int, std::vector<Window>> out;
    std::ifstream in(ZEK2_SKIN_TEXT);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '@') continue;
        std::istringstream words(line.substr(1));
        int id = 0;
        std::string kind, n[4];
        words >> id >> kind >> n[0] >> n[1] >> n[2] >> n[3];
        if (kind != "lcd" && kind != "xy" && kind != "grid" && kind != "button") continue;
        Window w;
        for (int k = 0; k < 4; ++k)
            std::sscanf(n[k].c_str(), "%lf(%d/%d/%d)", &w.v[k], &w.fix[k][1], &w.fix[k][2],
                        &w.fix[k][3]);
        out[id].push_back(w);
    }
    return out;
}

// One drawn line of a caption: where its ink lies, the box that clips it, the container's view.
struct Line {
    const CView* owner;
    std::string text;
    CRect ink, box, clip;
};

// Where the drawing context puts the ink of one line drawn in `box` (frame pixels).
CRect inkOf(CFontRef font, const std::string& text, const CRect& box, int align) {
    const CDrawContext::TextExtent e = CDrawContext::measureText(font, text);
    double x = box.left;
    if (align == kCenterText)
        x += std::floor((box.getWidth() - e.width) / 2);
    else if (align == kRightText)
        x += box.getWidth() - e.width;
    const double y = box.top + std::floor((box.getHeight() - e.height) / 2);
    CRect ink = e.ink;
    ink.offset(x, y);
    return ink;
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
        addWindows(c);
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
                addLines(v, l->getString(), boldFont(l->getFont()), r, l->getAlign(), clip);
            } else if (auto* m = dynamic_cast<const TMenuButton*>(v)) {
                addLines(v, m->getCaption(), boldFont(BIG_LABEL_FONT_SIZES[ed->getBig()]), r,
                         kLeftText, clip);
            } else if (auto* k = dynamic_cast<const CKickButton*>(v); k && !k->getBackground()) {
                continue; // an invisible click area over the skin
            } else {
                // A knob's caption starts just above its rectangle's lower edge, where the round
                // picture leaves room; beside a control a caption keeps out of its rectangle.
                const CCoord m = ed->getScaled(2);
                controls.push_back({v, CRect(r.left + 1, r.top + m, r.right - 1, r.bottom - m)});
            }
        }
    }
    // The skin windows of a container's background, where the container stands.
    void addWindows(const CViewContainer* c) {
        static const std::map<int, std::vector<Window>> windows = skinWindows();
        static const double SCALES[4] = {1.0, 1.25, 1.5, 2.0};
        const int size = ed->getBig();
        for (const auto& [id, list] : windows) {
            if (!c->getBackground() || ed->getSkinBitmap(id) != c->getBackground()) continue;
            for (const Window& w : list) {
                double p[4];
                for (int k = 0; k < 4; ++k)
                    p[k] = std::floor(w.v[k] * SCALES[size]) + w.fix[k][size];
                CRect at = inFrame(c, CRect(p[0], p[1], p[0] + p[2], p[1] + p[3]));
                at.inset(1, 1); // the window's rim
                windowsShown.push_back(at);
            }
        }
    }
    void addLines(const CView* v, const std::string& text, CFontRef font, const CRect& box,
                  int align, const CRect& clip) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (;;) {
            const size_t bang = text.find('!', start);
            parts.push_back(text.substr(start, bang - start));
            if (bang == std::string::npos) break;
            start = bang + 1;
        }
        const double band = box.getHeight() / static_cast<double>(parts.size());
        for (size_t k = 0; k < parts.size(); ++k) {
            if (parts[k].find_first_not_of(" \t") == std::string::npos) continue;
            const CRect b(box.left, box.top + k * band, box.right, box.top + (k + 1) * band);
            lines.push_back({v, parts[k], inkOf(font, parts[k], b, align), b, clip});
        }
    }

    // Draws the frame as it stands and checks every caption; returns what failed.
    void check(const std::string& state) {
        lines.clear();
        controls.clear();
        windowsShown.clear();
        frame->render();
        collect(frame, frame->getViewSize());
        const std::string where = "size " + std::to_string(ed->getBig()) + ", " + state + ": ";
        for (const Line& l : lines) {
            const std::string name = where + "\"" + l.text + "\" ink " + str(l.ink);
            if (!inside(l.ink, l.box)) report(name + " is cut by its box " + str(l.box));
            if (!inside(l.ink, l.clip)) report(name + " is cut by its container " + str(l.clip));
            for (const auto& [v, r] : controls)
                if (overlaps(l.ink, r)) report(name + " overlaps a control at " + str(r));
            for (const CRect& r : windowsShown)
                if (overlaps(l.ink, r) && !inside(l.ink, r))
                    report(name + " runs into a skin window at " + str(r));
            for (const Line& o : lines)
                if (&o < &l && o.owner != l.owner && overlaps(l.ink, o.ink))
                    report(name + " overlaps \"" + o.text + "\" ink " + str(o.ink));
        }
    }
    void report(const std::string& what) {
        if (seen.insert(what).second) failures.push_back(what);
    }

    std::vector<Line> lines;
    std::vector<std::pair<const CView*, CRect>> controls;
    std::vector<CRect> windowsShown;
    std::vector<std::string> failures;
    std::set<std::string> seen;
};

TEST_F(ScreenCaptions, EveryCaptionFitsItsBoxAndClearsItsNeighboursAtEverySize) {
    for (int size = 0; size < 4; ++size) {
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
        ed->showEasyScreen();
        idle();
        check("Easy screen");
        click(ui.eqRadios[1][1]);
        check("Easy screen, post-EQ");
        ed->showBackScreen();
        idle();
        check("back side");
        closeShown();
    }
    std::string all;
    for (const std::string& f : failures) all += f + "\n";
    EXPECT_TRUE(failures.empty()) << failures.size() << " captions do not fit:\n" << all;
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
