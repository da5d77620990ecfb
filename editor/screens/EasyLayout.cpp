// The Easy screen: a one-screen digest of the instrument on its own background, as layout
// tables, built once per opening in the order its views are shown; and updateEasyEQ, which
// points its three bandwidth knobs and its curve at the EQ selected. Host user-interface thread.
#include "controls/FontTables.h"
#include "controls/TBitmapSliders.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TXYScreen.h"
#include "editor/screens/MainLayout.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <iterator>

using namespace VSTGUI;
using namespace layout;

namespace {

const Row EASY_BUTTONS[] = {
    // OSC1 5 px left at 125 % and 3 at 150 %, OSC2 3 and 2: the captions keep off their switches.
    menuButton(24, "OSC1", {30, -5, -3, 0}, 91, 43, 14),
    menuButton(25, "OSC2", {360, -3, -1, 0}, 91, 40, 14),
    menuButton(26, "FILTER", {689, 0, 3, 2}, 91, 48, 14),
    menuButton(27, "AMP", {816, 0, 2, 1}, 91, 34, 14),
    menuButton(28, "MAIN LFO", {940, 0, 3, 2}, 91, 69, 14),
    menuButton(29, "PLAY MODE", {940, 0, 3, 2}, 205, 85, 14),
    menuButton(30, "EQ", 30, 392, 23, 14),
    menuButton(31, "WAVESHAPER", {426, 0, 2, 1}, 391, 93, 14),
    menuButton(33, "DISTORTION", {426, 0, 2, 1}, 458, 87, 14),
    menuButton(32, "LOW-FI", {426, 0, 2, 1}, 524, 87, 14),
    menuButton(34, "DISTORT FX", {552, 0, 2, 1}, {391, 1, 0, 0}, 81, 14),
    menuButton(35, "MOD FX", {666, 0, 2, 1}, {391, 1, 0, 0}, 57, 14),
    menuButton(36, "DELAY", {780, 0, 4, 1}, {391, 1, 0, 0}, 47, 14),
    menuButton(37, "REVERB", {894, 0, 4, 2}, {391, 1, 0, 0}, 55, 14),
    menuButton(38, "GATER", {1009, 0, 2, 0}, {391, 1, 0, 0}, 48, 14),
};

// Every caption margin on this screen is a choice: 2 lets VOLUME, as wide as its knob at 200 %,
// keep its edges; 10 gives the captions wider than their knob room; 16 gives the filter's third
// knob room for "Formant", its caption under the formant filters.
const Row EASY_KNOBS[] = {
    knob(12, "VOLUME", 268, 105, 1, 2),  knob(33, "ZEK", 45, 246, 1),
    knob(782, "SPD", 309, 340, 4),       knob(34, "VOLUME", 598, 106, 1, 2),
    knob(56, "ZEK", 375, 246, 1),        knob(790, "SPD", 640, 340, 4),
    knob(57, "FREQ", 695, 106, 1),       knob(58, "Q", 757, 119, 3, 16),
    knob(61, "ENV", 695, 182, 1),        knob(62, "ATT", 697, 282, 3),
    knob(63, "DEC", 753, 282, 3),        knob(64, "SUST", 697, 335, 3),
    knob(65, "REL", 753, 335, 3),        knob(1, "VOLUME", 823, 106, 1, 2),
    knob(4, "PAN", 887, 119, 4),         knob(6, "ATT", 824, 282, 3),
    knob(7, "DEC", 880, 282, 3),         knob(8, "SUST", 824, 335, 3),
    knob(9, "REL", 880, 335, 3),         knob(123, "SPEED", 945, 106, 1),
    knob(10, "AMT", 950, 283, 3),        knob(11, "AMT", 1040, 335, 3),
    knob(251, "SPRD", 1073, 335, 3),     knob(308, "BW 1", 131, 535, 3),
    knob(311, "BW 2", 229, 535, 3),      knob(314, "BW 3", 327, 535, 3),
    knob(87, "AMT 1", 558, 469, 3, 10),  knob(88, "AMT 2", 607, 469, 3, 10),
    knob(96, "SPEED", 698, 469, 3, 10),  knob(99, "LEFT", 788, 424, 3),
    knob(100, "RIGHT", 837, 424, 3, 10), knob(101, "FEED", 811, 469, 4),
    knob(107, "SIZE", 903, 424, 3),      knob(108, "LEN", 952, 424, 3),
    knob(109, "DAMP", 930, 469, 3, 10),
};
enum { kEasyFilterKnob = 7, kEasyFirstBW = 23 };

const Row EASY_SWITCHES_1[] = {
    // Where the main screen has them: two clear pixels after the OSC1 and OSC2 captions.
    onOff(259, nullptr, {64, -8, -7, -13}, {89, -1, 0, 0}),
    onOff(276, nullptr, {394, -5, -6, -12}, {89, -1, 0, 0}),
    onOff(306, nullptr, 77, 435),
    onOff(319, nullptr, 77, 496),
};
const Row EASY_LABELS[] = {
    // PRE 3 px left (1 at 125 %, 2 at 150 % and 200 %), POST's box 2 px wider and ending 2 px
    // further left (3 at 125 % and 150 %, 4 at 200 %): the wider captions keep a pixel off their
    // switches.
    label("PRE", {51, 3, 1, 4}, {438, 1, 0, 0}, 24, 12, 2),
    label("POST", {48, 0, -2, 0}, {499, 2, 1, -1}, 28, 12, 2),
};
// Each section's switch keeps two clear pixels after its menu button's caption, which is wider
// than the skin's lettering; the corrections by size put each one there at every size.
const Row EASY_SWITCHES_2[] = {
    onOff(332, nullptr, {520, -14, -16, -24}, {389, -1, 0, 0}),
    onOff(333, nullptr, {508, -12, -13, -22}, {456, -1, 0, 0}),
    onOff(335, nullptr, {474, -5, -6, -14}, {522, -1, 0, 0}),
    onOff(338, nullptr, {630, -8, -13, -23}, {389, -1, 0, 0}),
    onOff(340, nullptr, {718, -4, -5, -14}, {389, -1, 0, 0}),
    onOff(343, nullptr, {821, -3, -2, -12}, {389, -1, 0, 0}),
    onOff(346, nullptr, {945, -5, -3, -18}, {389, -1, 0, 0}),
    onOff(347, nullptr, {1052, -4, -8, -14}, {389, -1, 0, 0}),
};
const Row EASY_V_SLIDERS[] = {
    bigVSlider(274, 107, 208), bigVSlider(275, 134, 208), bigVSlider(292, 438, 208),
    bigVSlider(293, 465, 208), bigVSlider(66, 765, 165),  bigVSlider(3, 839, 165),
    bigVSlider(5, 894, 165),
};
// 10 px (the pads' sliders) and 14 px (the filter and amp sliders) lower: the wider first line
// would run into the slider above it.
const Row EASY_LFO_LABELS[] = {
    label("LFO!>!X", {101, 0, 2, 1}, 300, 30, 24, 1),
    label("LFO!>!Y", {128, 1, 0, 1}, 300, 30, 24, 1),
    label("LFO!>!X", {432, 1, 2, 2}, 300, 30, 24, 1),
    label("LFO!>!Y", {459, 2, 0, 2}, 300, 30, 24, 1),
    label("LFO!>FILT", {759, 2, 0, 1}, 257, 30, 24, 1),
    label("LFO!>VOL", {825, 0, 2, 2}, 257, 45, 24, 1),
    label("LFO!>PAN", {880, 0, 2, 2}, 257, 45, 24, 1),
};
const Row EASY_H_SLIDERS[] = {
    bigHSlider(68, "MIX", 434, 418, 25),  bigHSlider(72, "MIX", 434, 484, 25),
    bigHSlider(80, "MIX", 434, 549, 25),  bigHSlider(85, "MIX", 555, 549, 25),
    bigHSlider(93, "MIX", 669, 549, 25),  bigHSlider(98, "MIX", 783, 549, 25),
    bigHSlider(105, "MIX", 897, 549, 25), bigHSlider(348, "MIX", 1011, 549, 25),
};
const Row EASY_OSC_MENUS[] = {
    menu(260, "WAVE", 59, {121, 4, 3, 4}, {77, 2, 3, 0}, 15, OSC_TYPE_STR, 8),
    menu(263, "OCT", 177, {121, 4, 3, 4}, 48, 15, OSC_OCT_STR, 9),
    menu(277, "WAVE", 390, {121, 4, 3, 4}, {77, 2, 2, 0}, 15, OSC_TYPE_STR, 8),
    menu(280, "OCT", 508, {121, 4, 3, 4}, 48, 15, OSC_OCT_STR, 9),
};
// Per pad: its record-mode radios, its three menus; then its display.
const Row EASY_PAD_RADIOS[2][3] = {
    {radio(-1, "LIVE", 34, {347, -2, 2, 0}, 0, 30), radio(-1, "REC", 64, {347, -2, 2, 0}, 0, 30),
     radio(-1, "PLAY", 94, {347, -2, 2, 0}, 0, 30)},
    {radio(-1, "LIVE", 365, {347, -2, 2, 0}, 0, 30), radio(-1, "REC", 395, {347, -2, 2, 0}, 0, 30),
     radio(-1, "PLAY", 425, {347, -2, 2, 0}, 0, 30)},
};
const Row EASY_PAD_MENUS[2][3] = {
    {menu(780, "MODE", 123, {346, 4, 3, 4}, {61, 2, 2, 3}, 15, XY_PLAY_MODE_STR, 3),
     menu(779, "LOOP", 185, {346, 4, 3, 4}, {61, 2, 2, 2}, 15, XY_LOOP_MODE_STR, 3),
     menu(781, "SYNC", 247, {346, 4, 3, 4}, {61, 2, 2, 2}, 15, ENV_TEMPO_SYNC_STR, 31)},
    {menu(788, "MODE", 454, {346, 4, 3, 4}, {61, 2, 2, 2}, 15, XY_PLAY_MODE_STR, 3),
     menu(787, "LOOP", 516, {346, 4, 3, 4}, {61, 2, 2, 0}, 15, XY_LOOP_MODE_STR, 3),
     menu(789, "SYNC", 578, {346, 4, 3, 4}, {61, 2, 2, 0}, 15, ENV_TEMPO_SYNC_STR, 31)},
};
const Coord EASY_PAD_X[2] = {{177, 0, 1, 0}, {508, 1, 0, 0}}, EASY_PAD_Y = {181, 3, 1, 0};
constexpr int EASY_PAD_W = 157, EASY_PAD_H = 151;
const Row EASY_LAST_MENUS[] = {
    menu(363, "WAVE", 1002, {128, 2, 1, 2}, {98, 3, 1, 0}, 15, LFO_WAVE_STR, 8),
    menu(246, "PLAY MODE", 1002, {233, 4, -5, 5}, {98, 3, 0, 0}, 15, PLAY_MODE_STR, 9),
    menu(247, "PORT MODE", 1002, {291, 4, 3, 4}, {98, 2, 0, 0}, 15, PORT_MODE_STR, 5),
    menu(250, "UNISON MODE", 938, {344, 2, 3, 4}, {98, 2, 4, 2}, 15, UNI_MODE_STR, 29),
    menu(339, "MODE", 551, {431, 5, 3, 4}, {98, 2, 1, 0}, 15, DISTORT_FX_MODE_STR, 27),
    menu(341, "MODE", 665, {431, 5, 3, 4}, {98, 2, 1, 0}, 15, MOD_FX_MODE_STR, 10),
};
enum { kEasyDistortFxMode = 4, kEasyModFxMode = 5 };
const Coord EASY_FILTER_X = 737, EASY_FILTER_Y = {88, 4, 3, 6}, EASY_FILTER_W = 61,
            EASY_FILTER_H = 13;
const Row EASY_EQ_RADIOS[] = {
    named(radio(2, "EDIT", 77, 414, 2, 50), "Select Pre-EQ"),
    named(radio(2, "EDIT", 77, 474, 2, 50), "Select Post-EQ"),
};
const Coord EASY_EQ_X = 105, EASY_EQ_Y = 414, EASY_EQ_W = 286, EASY_EQ_H = 114;
const Coord EASY_GATE_X[2] = {{1025, 0, 0, -2}, {1059, 0, -1, -1}}, EASY_GATE_Y = 417;
constexpr int EASY_GATE_W = 32, EASY_GATE_H = 112;
const Row EASY_GATE_LABELS[] = {
    label("L", 1024, 404, 32, 10, 1),
    label("R", 1058, 404, 32, 10, 1),
};
// The pulsing pictures' corners per screen size; they are placed, not scaled.
constexpr int PULSE_X[4][5] = {{132, 283, 513, 903, 1010},
                               {165, 354, 641, 1129, 1263},
                               {198, 424, 769, 1354, 1516},
                               {264, 566, 1026, 1806, 2020}};
constexpr int PULSE_Y[4][5] = {{637, 628, 699, 646, 646},
                               {796, 784, 874, 806, 806},
                               {947, 936, 1056, 959, 959},
                               {1274, 1256, 1398, 1292, 1292}};
constexpr int kPulsePicture = 10064;

// The captions of each effect section on the easy screen, lit by the section's switch.
struct LookOf {
    int look;
    int tags[4];
};
const LookOf EASY_LOOKS[] = {
    {edlayout::kLookWaveshaper, {68}},
    {edlayout::kLookVoiceDistort, {72}},
    {edlayout::kLookLowFi, {80}},
    {edlayout::kLookDistortFX, {85, 87, 88}},
    {edlayout::kLookModFX, {93, 96}},
    {edlayout::kLookDelay, {98, 99, 100, 101}},
    {edlayout::kLookReverb, {105, 107, 108, 109}},
    {edlayout::kLookGater, {348}},
};

constexpr int kEasyCaptions = 96;
constexpr int kPulses = static_cast<int>(std::size(PULSE_X[0]));
constexpr int kEQBands = 3;

// The easy screen's views as they are made: the captions, which the screen shows before any
// control, and the controls in the order shown after them.
struct EasyViews {
    CView* captionViews[kEasyCaptions] = {};
    CView* controlViews[edlayout::kEasyViews] = {};
    ViewList captions{captionViews, kEasyCaptions};
    ViewList controls{controlViews, edlayout::kEasyViews};
};

// What a group of rows adds to the captions: nothing, the rows' captions, or the rows
// themselves (label rows, shown only as captions).
enum class Captions { None, OfRows, Rows };

template <size_t N>
void buildGroup(Builder& b, const Row (&rows)[N], Built (&made)[N], Captions c, EasyViews& v) {
    b.build(rows, made);
    for (const Built& x : made) {
        if (c == Captions::OfRows) v.captions.add(x.caption);
        (c == Captions::Rows ? v.captions : v.controls).add(x.view);
    }
}

// The rows before the pads, in the order they are made and shown.
struct EasyRows {
    Built buttons[std::size(EASY_BUTTONS)];
    Built knobs[std::size(EASY_KNOBS)];
    Built switches1[std::size(EASY_SWITCHES_1)];
    Built labels[std::size(EASY_LABELS)];
    Built switches2[std::size(EASY_SWITCHES_2)];
    Built vSliders[std::size(EASY_V_SLIDERS)];
    Built lfoLabels[std::size(EASY_LFO_LABELS)];
    Built hSliders[std::size(EASY_H_SLIDERS)];
    Built oscMenus[std::size(EASY_OSC_MENUS)];
    Built lastMenus[std::size(EASY_LAST_MENUS)];
    Built eqRadios[std::size(EASY_EQ_RADIOS)];
    Built gateLabels[std::size(EASY_GATE_LABELS)];
};

void buildEasyRows(uEditor& ed, Builder& b, EasyRows& r, EasyViews& v) {
    buildGroup(b, EASY_BUTTONS, r.buttons, Captions::None, v);
    buildGroup(b, EASY_KNOBS, r.knobs, Captions::OfRows, v);
    ed.ui.easyFilterKnob = r.knobs[kEasyFilterKnob].as<TKnob>();
    ed.ui.easyFilterLabel = r.knobs[kEasyFilterKnob].caption;
    buildGroup(b, EASY_SWITCHES_1, r.switches1, Captions::None, v);
    buildGroup(b, EASY_LABELS, r.labels, Captions::Rows, v);
    buildGroup(b, EASY_SWITCHES_2, r.switches2, Captions::None, v);
    buildGroup(b, EASY_V_SLIDERS, r.vSliders, Captions::None, v);
    buildGroup(b, EASY_LFO_LABELS, r.lfoLabels, Captions::Rows, v);
    buildGroup(b, EASY_H_SLIDERS, r.hSliders, Captions::OfRows, v);
    buildGroup(b, EASY_OSC_MENUS, r.oscMenus, Captions::OfRows, v);
}

// Each pad: its record-mode radios and menus (made in that order, the menus shown first), then
// its display.
void buildEasyPads(uEditor& ed, Builder& b, EasyViews& v) {
    for (int pad = 0; pad < edlayout::kPads; ++pad) {
        Built radios[edlayout::kXYRecordModes], menus[std::size(EASY_PAD_MENUS[0])];
        b.build(EASY_PAD_RADIOS[pad], radios);
        for (int m = 0; m < edlayout::kXYRecordModes; ++m) {
            v.captions.add(radios[m].caption);
            ed.ui.xyModeRadios[1][pad][m] = radios[m].as<TRadioButton>();
        }
        b.build(EASY_PAD_MENUS[pad], menus);
        for (const Built& x : menus) v.captions.add(x.caption);
        auto* display = new TXYScreen(boxOf(b, EASY_PAD_X[pad], EASY_PAD_Y, EASY_PAD_W, EASY_PAD_H),
                                      pad, &ed, ed.getBig());
        ed.own(display);
        ed.ui.xyDisplays[1][pad] = display;
        ed.setHoverName(display,
                        pad == 0 ? "Easy Oscillator 1 XY Screen" : "Easy Oscillator 2 XY Screen");
        for (const Built& x : menus) v.controls.add(x.view);
        for (const Built& x : radios) v.controls.add(x.view);
        v.controls.add(display);
    }
}

// The filter type, the EQ with its radios and curve, the gate rows, the pulsing pictures.
void buildEasyDisplays(uEditor& ed, Builder& b, EasyRows& r, EasyViews& v) {
    buildGroup(b, EASY_LAST_MENUS, r.lastMenus, Captions::OfRows, v);
    TOptionMenu* filterTypes = ed.makeGroupedMenu(
        boxOf(b, EASY_FILTER_X, EASY_FILTER_Y, EASY_FILTER_W, EASY_FILTER_H), tag::FilterType,
        FILTER_TYPE_STR, FILTER_GROUP_START, FILTER_TYPE_SUB_COUNT, FILTER_TYPE_SUB_STR, 280,
        &ed.ui.filterGroupMenus[1][1]);
    ed.ui.filterGroupMenus[1][0] = filterTypes;
    v.controls.add(filterTypes);
    buildGroup(b, EASY_EQ_RADIOS, r.eqRadios, Captions::OfRows, v);
    ed.ui.eqRadios[1][0] = r.eqRadios[0].as<TRadioButton>();
    ed.ui.eqRadios[1][1] = r.eqRadios[1].as<TRadioButton>();
    ed.ui.eqDisplays[1] =
        screens::makeEQCurve(ed, boxOf(b, EASY_EQ_X, EASY_EQ_Y, EASY_EQ_W, EASY_EQ_H));
    ed.setHoverName(ed.ui.eqDisplays[1], "Easy EQ Display");
    v.controls.add(ed.ui.eqDisplays[1]);
    for (int side = 0; side < 2; ++side) {
        ed.ui.gateDisplays[1][side] = screens::makeGateRow(
            ed, boxOf(b, EASY_GATE_X[side], EASY_GATE_Y, EASY_GATE_W, EASY_GATE_H),
            side == 0 ? tag::GaterLeft : tag::GaterRight, true);
        ed.setHoverName(ed.ui.gateDisplays[1][side],
                        side == 0 ? "Left Gater Display" : "Right Gater Display");
        v.controls.add(ed.ui.gateDisplays[1][side]);
    }
    buildGroup(b, EASY_GATE_LABELS, r.gateLabels, Captions::Rows, v);
    CBitmap* glow = ed.getSkinBitmap(kPulsePicture);
    for (int k = 0; k < kPulses && glow; ++k) {
        const int x = PULSE_X[ed.getBig()][k], y = PULSE_Y[ed.getBig()][k];
        ed.ui.pulses[k] =
            new TBitmap(CRect(x, y, x + glow->getWidth(), y + glow->getHeight()), glow, &ed);
        ed.own(ed.ui.pulses[k]);
        v.controls.add(ed.ui.pulses[k]);
    }
}

// The captions each effect section's switch lights, and its mode menus.
void markEasyLooks(uEditor& ed, const EasyRows& r) {
    for (const LookOf& l : EASY_LOOKS) {
        int n = 0;
        for (int t : l.tags)
            for (const Built& h : r.hSliders)
                if (t && h.view && static_cast<CControl*>(h.view)->getTag() == t)
                    ed.ui.lookLabels[l.look][1][n++] = h.caption;
        for (int t : l.tags)
            for (const Built& k : r.knobs)
                if (t && k.view && static_cast<CControl*>(k.view)->getTag() == t)
                    ed.ui.lookLabels[l.look][1][n++] = k.caption;
    }
    ed.ui.lookMenus[edlayout::kLookDistortFX][1][0] =
        r.lastMenus[kEasyDistortFxMode].as<TOptionMenu>();
    ed.ui.lookMenus[edlayout::kLookModFX][1][0] = r.lastMenus[kEasyModFxMode].as<TOptionMenu>();
}

} // namespace

void uEditor::createEasyScreenControls() {
    if (!getEngine()) return;
    buildingScreen = 1;
    Builder b{*this, nullptr};
    EasyViews views;
    EasyRows rows;
    buildEasyRows(*this, b, rows, views);
    for (int band = 0; band < kEQBands; ++band) {
        easyBandwidth[band] = rows.knobs[kEasyFirstBW + band].as<TKnob>();
        easyBandwidthLabels[band] = rows.knobs[kEasyFirstBW + band].caption;
    }
    buildEasyPads(*this, b, views);
    buildEasyDisplays(*this, b, rows, views);
    markEasyLooks(*this, rows);
    // Shown: every caption, then the controls, then the ribbon's group.
    ViewList shown{ui.easyViews, edlayout::kEasyViews};
    for (int i = 0; i < views.captions.count; ++i) shown.add(views.captionViews[i]);
    for (int i = 0; i < views.controls.count; ++i) shown.add(views.controlViews[i]);
    for (CView* v : ribbonGroup) shown.add(v);
    buildingScreen = 0;
}

// The three bandwidth knobs move the selected EQ's bands; the captions and the curve turn pale
// while that EQ is off. The registry keeps the knobs under their first tags.
void uEditor::updateEasyEQ() {
    APlugin* engine = getEngine();
    if (!engine || easyEQGuard) return;
    easyEQGuard = true;
    easyEQRedraw = false;
    const int e = getSelectedEQ() & 1;
    constexpr int EQ_BW[2][3] = {{308, 311, 314}, {321, 324, 327}};
    const bool bypassed = !engine->getOnOff(e == 0 ? tag::PreEqOn : tag::PostEqOn);
    for (int band = 0; band < 3; ++band) {
        if (TKnob* k = easyBandwidth[band]) {
            k->setTag(EQ_BW[e][band]);
            k->setValue(engine->getParameter(EQ_BW[e][band]));
            k->setDirty(true);
        }
        if (TLabel* l = easyBandwidthLabels[band]) l->setBypassed(bypassed);
    }
    screens::pointEQCurve(ui.eqDisplays[1], e, bypassed);
    easyEQGuard = false;
}
