// The amp panel and the EQ panel up to its curve: the frame's controls, then each EQ's knobs,
// filters and band names for the EQ container, which shows the EQ selected. Host
// user-interface thread, at each opening.
#include "editor/screens/MainLayout.h"

#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "editor/ueditor.h"
#include "engine/params/StringTables.h"

#include <iterator>

using namespace VSTGUI;

namespace layout {
namespace {

const Row AMP_PANEL[] = {
    named(menuButton(3, "AMP", 875, 91, 35, 14), "Amp Menu"),
    knob(1, "VOLUME", 1053, 91, 1, 2),   // margin 2: at 200 % the caption is as wide as the knob
    knob(2, "VEL>VOL", 964, 106, 3, 20), // margin 20, not 10: the caption is wider
    knob(4, "PAN", 1006, 106, 4),
    knob(6, "ATT", 944, 158, 3),
    knob(7, "DEC", 984, 158, 3),
    knob(8, "SUS", 1025, 158, 3),
    knob(9, "REL", 1066, 158, 3),
    // Both boxes 2 px wider each side: from 125 % on the leading blank pushes " LFO" past 21 px.
    label(" LFO!>!VOL", {870, 1, 2, 2}, 180, 25, 24, 1),
    label(" LFO!>!PAN", {899, -1, 1, 1}, 180, 25, 24, 1),
    vSlider(3, 875, 107),
    vSlider(5, 903, 107),
};

// The EQ's four switches 2 px right (1 at 125 %): the POST caption keeps clear of the section's
// edge.
const Coord EQ_SWITCH_X = {898, -1, -3, -4};
const Row EQ_FRAME[] = {
    named(menuButton(6, "EQ", {875, -1, 0, 0}, 212, 20, 14), "EQ Menu"),
    named(radio(2, "EDIT", EQ_SWITCH_X, 381, 2, 33), "Select Pre-EQ"),
    onOff(306, "PRE", EQ_SWITCH_X, {407, 0, 0, 1}, 2, 33),
    named(radio(2, "EDIT", EQ_SWITCH_X, 444, 2, 33), "Select Post-EQ"),
    onOff(319, "POST", EQ_SWITCH_X, 470, 2, 33),
};

// One EQ's container: three bands of knobs, the two filters, the type menu, the band names.
constexpr int EQ_FREQ[6] = {307, 310, 313, 320, 323, 326};
constexpr int EQ_BW[6] = {308, 311, 314, 321, 324, 327};
constexpr int EQ_GAIN[6] = {309, 312, 315, 322, 325, 328};
constexpr int EQ_MODE[2] = {316, 329}, EQ_LP[2] = {317, 330}, EQ_HP[2] = {318, 331};
const Row EQ_BAND[] = {
    knob(0, "FREQ", 40, 0, 3),
    knob(0, "BW", 76, 0, 3),
    knob(0, "GAIN", 112, 0, 4),
};
const Row EQ_FILTERS[] = {
    knobPair(EQ_LP, "LP", 155, 40, 3),
    knobPair(EQ_HP, "HP", 155, 80, 3),
    {Kind::Menu, 0, "TYPE", 153, {2, 4, 4, 4}, 36, 15, 1, 1, {}, EQ_FILTER_TYPE_STR, 4, EQ_MODE},
    label("BAND1", 3, {9, 3, 2, 1}, 35, 15, 2),
    label("BAND2", 3, {49, 2, 1, 2}, 35, 15, 2),
    label("BAND3", 3, {89, 2, 1, 2}, 35, 15, 2),
};

} // namespace

void buildMainAmpEQ(uEditor& ed, Builder& b) {
    Built amp[std::size(AMP_PANEL)];
    b.build(AMP_PANEL, amp);

    Built eq[std::size(EQ_FRAME)];
    b.build(EQ_FRAME, eq);
    ed.ui.eqRadios[0][0] = eq[1].as<TRadioButton>();
    ed.ui.eqRadios[0][1] = eq[3].as<TRadioButton>();
    ViewList* frame = b.target;
    b.target = nullptr; // the EQ container shows the selected EQ's
    for (int e = 0; e < 2; ++e) {
        int labels = 0, knobs = 0;
        for (int band = 0; band < 3; ++band) {
            const int i = 3 * e + band;
            const int tags[3] = {EQ_FREQ[i], EQ_BW[i], EQ_GAIN[i]};
            for (int k = 0; k < 3; ++k) {
                Row r = EQ_BAND[k];
                r.tag = tags[k];
                r.y = 40 * band;
                const Built made = b.build(r);
                ed.ui.eqKnobs[e][knobs++] = made.as<TKnob>();
                ed.ui.eqLabels[e][labels++] = made.caption;
            }
        }
        b.pass = e;
        Built filters[std::size(EQ_FILTERS)];
        b.build(EQ_FILTERS, filters);
        ed.ui.eqKnobs[e][knobs++] = filters[0].as<TKnob>();
        ed.ui.eqKnobs[e][knobs++] = filters[1].as<TKnob>();
        ed.ui.eqModeMenus[e] = filters[2].as<TOptionMenu>();
        ed.ui.eqTypeMenus[e] = ed.ui.eqModeMenus[e];
        for (int k = 0; k < 3; ++k) ed.ui.eqLabels[e][labels++] = filters[k].caption;
        for (int k = 3; k < 6; ++k) ed.ui.eqLabels[e][labels++] = filters[k].as<TLabel>();
    }
    b.pass = 0;
    b.target = frame;
}

} // namespace layout
