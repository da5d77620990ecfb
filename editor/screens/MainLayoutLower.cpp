// The main screen's lower panels as layout tables: the EQ curve, waveshaper, voice distortion,
// low-fi, the page tabs, and the ribbon strip; the five pages follow in MainLayoutPages.cpp.
// Host user-interface thread, at each opening.
#include "editor/screens/MainLayout.h"
#include "editor/screens/RibbonPlace.h"
#include "editor/screens/ScreenDisplays.h"

#include "controls/FontTables.h"
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/TSlider.h"
#include "editor/EditorModeTables.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>
#include <iterator>

using namespace VSTGUI;

namespace layout {
namespace {

const Coord EQ_CURVE_X = 876, EQ_CURVE_Y = 239, EQ_CURVE_W = 223, EQ_CURVE_H = 131;

const Row WAVESHAPER_PANEL[] = {
    // 90 wide, not 70, and its switch 22 px further right: the caption is wider.
    named(menuButton(7, "WAVESHAPER", {875, -1, 0, 0}, 501, 90, 14), "Waveshaper Menu"),
    onOff(332, nullptr, 966, {499, -1, -1, -4}),
    hSlider(68, "MIX", 876, 522, 25),
    knob(69, "TOP", 970, 514, 3),
    knob(70, "BOTT", 1019, 514, 3),
    knob(71, "RECT", 1068, 514, 4),
};

const Row DISTORT_HEADER[] = {
    // 56 wide, not 50, and its switch 10 px further right, 5 more at 125 %: the caption is wider.
    named(menuButton(8, "DISTORT", {875, -1, 1, 0}, 563, 56, 14), "Voice Distort Menu"),
    onOff(333, nullptr, {934, -4, -4, -10}, {561, -1, 1, 0}),
};
// Inside the voice distortion's container; the knobs' captions follow the mode.
const Row DISTORT_VOICE[] = {
    menu(334, nullptr, 7, {14, 3, 3, 4}, 76, 15, DISTORT_VOICE_MODE_STR, 23),
    hSlider(72, nullptr, 8, {52, 2, 2, 2}),
    label("MIX", 34, {65, 2, 0, 0}, 20, 20, 1),
    // Margins 20, not 10, and the top row's last three knobs 5, 7 and 10 px further right (8 and
    // 11 at 100 %): the modes' captions are wider and keep apart.
    knob(73, "", 87, 3, 3, 20),
    knob(74, "", 128, 3, 3, 20),
    knob(75, "", {170, -1, -2, -2}, 3, 3, 20),
    knob(76, "", {211, -1, -1, -2}, 3, 3, 20),
    knob(77, "", 103, 45, 3, 20),
    knob(78, "", 143, 45, 3, 20),
    knob(79, "", 183, 45, 3, 20),
};
constexpr int kDistortKnobRow = 3;

const Row LOW_FI_PANEL[] = {
    named(menuButton(9, "LOW-FI", {875, -1, 0, 0}, 673, 48, 14), "LowFi Menu"),
    onOff(335, nullptr, {924, -9, -6, -12}, {671, -1, 0, 0}), // 8 px right: clear of the caption
    hSlider(80, "MIX", 876, 696, 25),
    knob(81, "BITS", 954, 687, 3),
    knob(82, "RATE", 990, 687, 3),
    knob(83, "NOISE", 1029, 687, 3, 10), // margin 10: the caption is wider than the knob
    knob(84, "LP", 1067, 687, 3),
};

const Row PAGE_TABS[] = {
    label("ARP", {31, 0, 0, -1}, {406, -1, -1, -1}, 34, 25, 0, kBigDark),
    // Left of the sheet's places, so that each caption keeps a pixel off its radio: WAVE 3 px (4
    // at 125 % and 200 %, 5 at 150 %) in a box 4 px wider, MOD 2 px (3 at 125 % and 150 %), FX 1
    // px at 100 % and 125 %, PATH 1 px at 100 %.
    label("WAVE", {89, 1, 0, 1}, {406, -1, -1, -1}, 38, 25, 0, kBigDark),
    label("MOD", {159, 0, 0, 3}, {406, -1, -1, -1}, 34, 25, 0, kBigDark),
    label("FX", {222, 1, 1, 1}, {406, -1, -1, -1}, 34, 25, 0, kBigDark),
    label("PATH", {275, 1, 2, 1}, {406, -1, -1, -1}, 34, 25, 0, kBigDark),
    named(radio(3, nullptr, {57, -3, -3, -1}, {410, -3, -2, -3}), "Show Arpeggiator Screen"),
    named(radio(3, nullptr, {126, -3, -6, -1}, {410, -3, -2, -3}), "Show Wave Screen"),
    named(radio(3, nullptr, {189, -2, -4, -1}, {410, -3, -2, -3}), "Show Mod Screen"),
    named(radio(3, nullptr, {240, -2, -3, -1}, {410, -3, -2, -3}), "Show FX Screen"),
    named(radio(3, nullptr, {308, -3, -5, 0}, {410, -3, -2, -2}), "Show Path Screen"),
    onOff(337, nullptr, 649, {410, -3, -2, -3}),
    // 3 px left (4 at 125 %, 8 at 150 %): the wider caption keeps a pixel off its switch.
    label("BYPASS ALL", {587, 3, 7, 4}, {410, -1, -2, -1}, 70, 17, 0),
};
constexpr int kFirstTabRadio = 5, kBypassAll = 10, kBypassAllLabel = 11;

const Row RIBBON_STRIP[] = {
    onOff(376, nullptr, 905, {736, -1, 0, 0}),
    menu(377, nullptr, 963, {735, 5, 3, 4}, 62, 15, RIBBON_SPRING_TIME_STR, 18),
    // 7 px right (5 unscaled at the other sizes), with its caption and window: room for the
    // wider QUANT between the two menus.
    menu(378, nullptr, {1068, -3, -3, -4}, {735, 5, 3, 4}, 48, 15, RIBBON_QUANT_STR, 13),
    // 2 px left (1 at the other sizes), the ribbon 3 px shorter at 100 %: the caption keeps a
    // pixel off the ribbon's well and off its switch.
    label("BIPOLAR", {857, 2, 2, 3}, {740, 1, 0, 0}, 46, 9, 2),
    label("SPRING!BACK", 914, {734, 3, 2, 2}, 46, 18, 2),
    // 5 px right (3 unscaled at the other sizes): off the spring-time window.
    label("QUANT", {1019, -2, -3, -4}, {740, 1, 0, 0}, 46, 9, 2),
};
} // namespace

void buildMainLower(uEditor& ed, Builder& b) {
    APlugin* engine = static_cast<APlugin*>(ed.getEffect());
    uEditorControlSet& ui = ed.ui;

    {
        const int x = b.sx(EQ_CURVE_X), y = b.sy(EQ_CURVE_Y);
        CView* curve =
            screens::makeEQCurve(ed, CRect(x, y, x + b.s(EQ_CURVE_W), y + b.s(EQ_CURVE_H)));
        ui.eqDisplays[0] = curve;
        ed.setHoverName(curve, "EQ Display");
        b.add(curve);
    }

    ed.groupOff[uEditor::kGroupWaveshaper] = !engine->getOnOff(tag::WaveShaperOn);
    Built shaper[std::size(WAVESHAPER_PANEL)];
    b.build(WAVESHAPER_PANEL, shaper);
    captionsOf(shaper, ui.lookLabels[edlayout::kLookWaveshaper][0]);

    Built distortHeader[std::size(DISTORT_HEADER)];
    b.build(DISTORT_HEADER, distortHeader);
    ViewList* frame = b.target;
    b.target = nullptr; // the container shows them, by mode
    Built distort[std::size(DISTORT_VOICE)];
    b.build(DISTORT_VOICE, distort);
    ui.distortVoiceMenu = distort[0].as<TOptionMenu>();
    ui.distortVoiceMix = distort[1].as<CControl>();
    ui.distortVoiceLabels[0] = distort[2].as<TLabel>();
    for (int k = 0; k < edlayout::kDistortKnobs; ++k) {
        ui.distortVoiceKnobs[k] = distort[kDistortKnobRow + k].as<TKnob>();
        ui.distortVoiceLabels[k + 1] = distort[kDistortKnobRow + k].caption;
    }
    ed.setDistortRings();
    b.target = frame;

    ed.groupOff[uEditor::kGroupLowFi] = !engine->getOnOff(tag::LowFiOn);
    Built lowFi[std::size(LOW_FI_PANEL)];
    b.build(LOW_FI_PANEL, lowFi);
    captionsOf(lowFi, ui.lookLabels[edlayout::kLookLowFi][0]);

    Built tabs[std::size(PAGE_TABS)];
    b.build(PAGE_TABS, tabs);
    for (int p = 0; p < 5; ++p) ui.pageRadios[p] = tabs[kFirstTabRadio + p].as<TRadioButton>();
    ui.bypassFxSwitch = tabs[kBypassAll].as<CControl>();
    ui.bypassFxLabel = tabs[kBypassAllLabel].as<TLabel>();

    buildMainPages(ed, b);

    Built ribbon[std::size(RIBBON_STRIP)];
    b.build(RIBBON_STRIP, ribbon);
    const int* r = RIBBON_RECT[ed.getBig()];
    ui.ribbon = new TSlider(CRect(r[0], r[1], r[0] + r[2], r[1] + r[3]), &ed, tag::RibbonValue,
                            ed.getBig(), true);
    ed.own(ui.ribbon);
    ed.addControl(ui.ribbon, uEditor::kKindSlider);
    b.add(ui.ribbon);
    // The easy screen shows the same ribbon strip.
    int n = 0;
    for (const Built& x : ribbon) ed.ribbonGroup[n++] = x.view;
    ed.ribbonGroup[n] = ui.ribbon;
}

} // namespace layout

// Each voice distortion knob's outer ring as the current mode uses the knob: from its left end
// (10033) or from its middle (10034).
void uEditor::setDistortRings() {
    APlugin* engine = getEngine();
    if (!engine) return;
    const int mode = std::clamp(engine->getSteppedValue(tag::VoiceDistortionMode), 0,
                                DISTORT_VOICE_MODE_COUNT - 1);
    const int row = REAL_DISTORT_MODES[0][mode];
    for (int k = 1; k < edtables::kDistortSlots; ++k)
        if (TKnob* knob = ui.distortVoiceKnobs[k - 1])
            if (CBitmap* ring = getSkinBitmap(edtables::DISTORT_RINGS[row][k] ? 10034 : 10033))
                knob->setOuter(ring);
}
