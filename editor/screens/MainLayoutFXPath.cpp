// The page area's effects page (distortion, modulation effect, delay, reverb, gater) and its
// paths page as layout tables, relative to the page container. Host user-interface thread, at
// each opening.
#include "editor/screens/MainLayout.h"

#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <iterator>

using namespace VSTGUI;

namespace layout {
namespace {

const Row FX_DISTORT[] = {
    // 76 wide, not 74: the caption is wider.
    menuButton(17, "DISTORT FX", {5, 2, 1, 3}, {16, 1, -1, 1}, 76, 14),
    // 106 wide, not 96: the caption is wider.
    named(menuButton(16, "MODULATION FX", {5, 2, 1, 3}, {72, -1, -2, -1}, 106, 14), "Mod FX Menu"),
    named(menuButton(14, "DELAY", {5, 2, 1, 3}, {126, 2, 1, 1}, 64, 14), "Delay Menu"),
    named(menuButton(15, "REVERB", {5, 2, 1, 3}, {180, 1, 1, 1}, 64, 14), "Reverb Menu"),
    named(menuButton(18, "GATER", {5, 2, 1, 3}, {226, 1, -1, 1}, 64, 14), "Gater Menu"),
    // At 100 % 4 px narrower from the left, with the modulation effect's menu below it and
    // both skin windows: room for that effect's lamp after its wider caption.
    menu(339, nullptr, {128, -5, 0, -8}, {14, 3, 1, 2}, {118, 5, 6, 8}, 15, DISTORT_FX_MODE_STR,
         27),
    knob(85, "MIX", 255, 5, 4, 10),
    // Margins 20, not 10: the modes' captions are wider.
    knob(86, "D1", 305, 5, 3, 20),
    knob(87, "D1", 355, 5, 3, 20),
    knob(88, "D1", 405, 5, 3, 20),
    knob(89, "D1", 455, 5, 3, 20),
    knob(90, "D1", 505, 5, 3, 20),
    knob(91, "D1", 555, 5, 3, 20),
    knob(92, "D1", 605, 5, 3, 20),
    // 8 px right, with no step back left at the larger sizes: clear of the DISTORT FX caption.
    onOff(338, nullptr, 84, {14, 0, -1, 0}),
};
constexpr int kDistortFxMenu = 5, kDistortFxMix = 6;
const Row FX_MOD[] = {
    menu(341, nullptr, {128, -5, 0, -8}, {69, 3, 3, 3}, {118, 5, 6, 8}, 15, MOD_FX_MODE_STR, 10),
    // Margins 20, not 10: the modes' captions are wider.
    knob(93, "MIX", 255, 60, 4, 20),
    knob(94, "LEN", 305, 60, 3, 20),
    knob(95, "WIDTH", 355, 60, 3, 20),
    knob(96, "SPEED", 405, 60, 3, 20),
    knob(97, "SPRD", 455, 60, 3, 20),
    // Two clear pixels after the MODULATION FX caption and before the menu's window.
    onOff(340, nullptr, {110, -2, -3, -4}, {69, -1, 0, 0}),
    onOff(342, nullptr, {514, 0, -2, 0}, {69, -1, 0, 0}),
    label("SYNC", {465, 3, 0, 5}, {88, 1, 0, 0}, 70, 17, 2),
};
const Row FX_DELAY[] = {
    knob(98, "MIX", 155, 115, 4),
    knob(99, "L", 205, 115, 3),
    knob(100, "R", 255, 115, 3),
    knob(101, "FEED", 305, 115, 4),
    knob(102, "CROSS", 355, 115, 4, 10), // margin 10: the caption is wider than the knob
    knob(103, "LP", 405, 115, 3),
    knob(104, "HP", 455, 115, 3),
    // Two clear pixels after the wider DELAY caption at every size.
    onOff(343, nullptr, {46, -1, -6, -10}, {124, 0, 1, 0}),
    onOff(344, nullptr, {514, 0, -2, -3}, {124, 0, 1, 0}),
    // SYNC 2 px left and EQUAL FEED 4 px right: the wider captions would read as one line.
    label("SYNC", {463, 3, 0, 5}, {143, 1, 0, 0}, 70, 17, 2),
    onOff(345, nullptr, {564, -1, -1, -2}, {124, 0, 1, 0}),
    label("EQUAL FEED", {527, 0, 1, -2}, {143, 1, 0, 0}, 80, 17, 2),
};
// DAMP's caption margin 10: the caption is wider than the knob. The switch keeps two clear
// pixels after the wider REVERB caption at every size.
const Row FX_REVERB[] = {
    knob(105, "MIX", 150, 170, 4),      knob(106, "PRE", 200, 170, 3),
    knob(107, "SIZE", 250, 170, 3),     knob(108, "LEN", 300, 170, 3),
    knob(109, "DAMP", 350, 170, 3, 10), knob(111, "LP", 400, 170, 3),
    knob(112, "HP", 450, 170, 3),       onOff(346, nullptr, {56, -3, -7, -18}, {178, 0, 1, 0}),
};
const Row FX_GATER[] = {
    bigHSlider(348, "MIX", 360, 222),
    bigHSlider(351, "SMOOTH", 457, 222),
    bigHSlider(352, "SWING", 554, 222),
    // Two clear pixels after the wider GATER caption at every size.
    onOff(347, nullptr, {48, -2, -9, -15}, {224, -1, -1, 0}),
    menu(350, "STEPS", 76, {223, 4, 3, 4}, {77, 0, 1, -1}, 15, GATER_STEPS_STR, 16),
    menu(349, "SPEED", 174, {223, 4, 3, 4}, {77, 1, 0, -1}, 15, GATER_PERIOD_STR, 34),
    menu(353, "MODE", {271, 0, 0, -8}, {223, 4, 3, 4}, {77, 2, 2, 0}, 15, GATER_MODE_STR, 2),
    label("LEFT", 2, 257, 36, 16, 2),
    label("RIGHT", 2, {274, 2, 2, 0}, 36, 16, 2),
};
const Coord GATE_X = 45, GATE_Y[2] = {{257, 0, 0, 1}, {274, 2, 3, 1}}, GATE_W = {597, 0, 0, -2},
            GATE_H = 16;

const Row PATH_PAGE[] = {
    label("SLOT", {29, 0, 0, 2}, 84, 37, 25, 1, kGreen),
    label("MODULE", 70, 84, 160, 25, 1, kGreen),
    label("POS", {233, 0, 0, 1}, 84, 68, 25, 1, kGreen),
    label("SLOT", {347, 0, 0, 2}, 84, 37, 25, 1, kGreen),
    label("MODULE", {386, 0, 0, 3}, 84, 160, 25, 1, kGreen),
    label("POS", {549, 0, 0, 4}, 84, 68, 25, 1, kGreen),
};
const Coord PATH_X[2] = {29, 347}, PATH_Y = 109, PATH_W = 274, PATH_H = 137;
const Row PATH_BUTTONS[] = {
    named(menuButton(19, "OSC PATH", 24, 58, 123, 14), "Oscillator Path Menu"),
    named(menuButton(20, "FX PATH", 341, 58, 123, 14), "FX Path Menu"),
};

} // namespace

void buildFXPage(uEditor& ed, Builder& b, ViewList& page) {
    uEditorControlSet& ui = ed.ui;
    APlugin* engine = static_cast<APlugin*>(ed.getEffect());
    using G = uEditor;
    ed.groupOff[G::kGroupDistortFX] = !engine->getOnOff(tag::DistortFxOn);
    Built distort[std::size(FX_DISTORT)];
    b.build(FX_DISTORT, distort);
    for (int k = 0; k < 8; ++k) {
        ui.distortFxControls[k] = distort[kDistortFxMix + k].as<CControl>();
        ui.distortFxLabels[k] = distort[kDistortFxMix + k].caption;
    }
    captionsOf(distort, ui.lookLabels[edlayout::kLookDistortFX][0]);
    ui.lookMenus[edlayout::kLookDistortFX][0][0] = distort[kDistortFxMenu].as<TOptionMenu>();

    ed.groupOff[G::kGroupModFX] = !engine->getOnOff(tag::ModFxOn);
    Built mod[std::size(FX_MOD)];
    b.build(FX_MOD, mod);
    for (int k = 0; k < 5; ++k) {
        ui.modFxKnobs[k] = mod[1 + k].as<TKnob>();
        ui.modFxLabels[k] = mod[1 + k].caption;
    }
    ui.modFxSync = mod[7].as<CControl>();
    ui.modFxLabels[5] = mod[8].as<TLabel>();
    captionsOf(mod, ui.lookLabels[edlayout::kLookModFX][0]);
    ui.lookMenus[edlayout::kLookModFX][0][0] = mod[0].as<TOptionMenu>();

    ed.groupOff[G::kGroupDelay] = !engine->getOnOff(tag::DelayOn);
    Built delay[std::size(FX_DELAY)];
    b.build(FX_DELAY, delay);
    captionsOf(delay, ui.lookLabels[edlayout::kLookDelay][0]);

    ed.groupOff[G::kGroupReverb] = !engine->getOnOff(tag::ReverbOn);
    Built reverb[std::size(FX_REVERB)];
    b.build(FX_REVERB, reverb);
    captionsOf(reverb, ui.lookLabels[edlayout::kLookReverb][0]);

    ed.groupOff[G::kGroupGater] = !engine->getOnOff(tag::GaterOn);
    Built gater[std::size(FX_GATER)];
    b.build(FX_GATER, gater);
    captionsOf(gater, ui.lookLabels[edlayout::kLookGater][0]);
    for (int m = 0; m < 3; ++m)
        ui.lookMenus[edlayout::kLookGater][0][m] = gater[4 + m].as<TOptionMenu>();
    for (int side = 0; side < 2; ++side) {
        CView* row = screens::makeGateRow(ed, boxOf(b, GATE_X, GATE_Y[side], GATE_W, GATE_H),
                                          side == 0 ? tag::GaterLeft : tag::GaterRight, false);
        ui.gateDisplays[0][side] = row;
        ed.setHoverName(row, side == 0 ? "Left Gater Display" : "Right Gater Display");
        page.add(row);
    }
}

void buildPathPage(uEditor& ed, Builder& b, ViewList& page) {
    Built heads[std::size(PATH_PAGE)];
    b.build(PATH_PAGE, heads);
    for (int path = 0; path < 2; ++path) {
        CView* list =
            screens::makePathList(ed, boxOf(b, PATH_X[path], PATH_Y, PATH_W, PATH_H), path);
        ed.ui.pathDisplays[path] = list;
        ed.setHoverName(list, path == 0 ? "Oscillator Path Display" : "FX Path Display");
        page.add(list);
    }
    Built buttons[std::size(PATH_BUTTONS)];
    b.build(PATH_BUTTONS, buttons);
}

} // namespace layout
