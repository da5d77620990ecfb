// The main screen's upper panels as layout tables: top bar, both oscillators with their
// modulation pages, the XY pads, filter, main LFO, play, amp and the EQ controls; and
// createMainScreenControls, which builds the panels in this order, the lower half last. Host
// user-interface thread.
#include "editor/screens/MainLayout.h"

#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TXYScreen.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <iterator>

using namespace VSTGUI;
using namespace layout;

static_assert(FILTER_GROUP_START[FILTER_TYPE_SUB_COUNT] == FILTER_TYPE_COUNT,
              "the filter-type groups end with the last type");

namespace {

constexpr int kKick = 10040, kEcsPicture = 10041, kEcsTag = 9998;
constexpr int32_t kMenuStyle = 256, kSubmenuStyle = 280;

const char* const ECS_STR[] = {"Load ECS", "Save ECS", "Clear MIDI"};

// Top bar. The preset and folder menus are the preset menu's own (built with it).
const Row TOP_BAR[] = {
    label("PRESET", 66, 26, 42, 9, 2, kGreen),
    label("BANK", 66, 46, 42, 9, 2, kGreen),
    // 2 px left (1 at 125 %): its last letter keeps a pixel off the ECS button.
    label("ECS", {329, 1, 1, 2}, {25, 1, 2, 2}, 39, 9, 2, kGreen),
    named(kick(kKick, nullptr, 39, {31, -3, -2, 0}), "C3 Preview"),
    named(kick(kKick, "EDIT", 317, {23, -3, -2, -4}, 2, 25), "Edited Preset"),
    // Box 26 wide: at 200 % the caption is 52.
    named(kick(kKick, "ORIG", 317, {43, -3, -2, -4}, 2, 26), "Original Preset"),
    // Box 30 wide: the caption is wider than 25.
    named(kick(kKick, "HELP", 369, {43, -3, -2, -4}, 2, 30), "Show Help"),
    named(kickArea(631, 41, 90, 20), "Show / Hide Easy Screen"),
    named(kickArea(737, 5, 360, 70), "Show / Hide Back Screen"),
    menuButton(23, "", 1098, 10, 17, 10),
    named(readout("Velmora", 402, 23, 225, 16), "Parameter Name"),
    named(readout("ZEK2", 402, 43, 225, 16), "Parameter Value"),
};
enum {
    kTopPreview = 3,
    kTopEdit,
    kTopOrig,
    kTopHelp,
    kTopEasy,
    kTopBack,
    kTopSettings,
    kTopName,
    kTopValue
};

// The oscillators' fixed part.
const Row OSC_FIXED[] = {
    // 5 px left at 125 %, 3 at 150 %: the wider caption keeps clear of its switch.
    named(menuButton(0, "OSC1", {30, -5, -3, 0}, 91, 40, 14), "Oscillator 1 Menu"),
    // Two clear pixels after the caption at every size.
    onOff(259, nullptr, {64, -8, -7, -13}, {89, -1, 0, 0}),
    onOff(261, "FREE", 114, {89, -1, 0, 0}, 2, 25),
    onOff(262, "TRK", 159, {89, -1, 0, 0}, 2, 25),
    onOff(264, "OUT", 305, {89, -1, 0, 0}, 2, 25),
    knob(12, "VOLUME", 289, 118, 1, 2), // margin 2: at 200 % the caption is as wide as the knob
    knob(14, "SEMI", 118, 108, 4),
    knob(15, "FINE", 149, 134, 4),
    knob(17, "SPRD", 180, 108, 3),
    knob(16, "SUB", 211, 134, 4),
    knob(13, "PAN", 242, 108, 4),
    // 3 px left at 125 %, 2 at 150 %: the wider caption keeps clear of its switch.
    named(menuButton(1, "OSC2", {360, -3, -1, 0}, 91, 40, 14), "Oscillator 2 Menu"),
    // Two clear pixels after the caption at every size.
    onOff(276, nullptr, {394, -5, -6, -12}, {89, -1, 0, 0}),
    onOff(278, "FREE", 444, {89, -1, 0, 0}, 2, 25),
    onOff(279, "TRK", 489, {89, -1, 0, 0}, 2, 25),
    // 2 px right, no 2 px shift at 125 %: its caption keeps a pixel off the mode window.
    onOff(281, "SYNC", 632, {89, -1, 0, 0}, 2, 30),
    knob(34, "VOLUME", 620, 118, 1, 2), // margin 2: at 200 % the caption is as wide as the knob
    knob(36, "SEMI", 442, 108, 4),
    knob(37, "FINE", 469, 134, 4), // 1 px right: off the SEMI caption
    knob(39, "SPRD", 498, 108, 3),
    knob(38, "SUB", 526, 134, 4),
    knob(40, "MOD", 554, 108, 3),
    knob(35, "PAN", 582, 134, 4),
    menu(282, nullptr, 539, {91, -1, 1, 1}, 61, 12, OSC_MOD_MODE_STR, 7),
    // 2 px left (5 at 125 %, 8 at 150 %): clear of the mode menu's window.
    label("MOD", {512, 1, 1, 2}, {85, 0, 1, 0}, 30, 25, 0),
};

// Per-oscillator tag tables (oscillator 1, oscillator 2).
constexpr int OSC_TYPE[2] = {260, 277}, OSC_OCT[2] = {263, 280};
constexpr int OSC_SYM[2] = {18, 41}, OSC_LFO_SPEED[2] = {19, 42}, OSC_LFO_PWM[2] = {20, 43};
constexpr int OSC_LFO_AMP[2] = {21, 44}, OSC_LFO_PITCH[2] = {22, 45};
constexpr int OSC_LFO_TRACK[2] = {265, 285}, OSC_LFO_SYNC[2] = {266, 283};
constexpr int OSC_FREE_LFO[2] = {267, 284};
constexpr int OSC_AMP_AMT[2] = {23, 46}, OSC_AMP_ATT[2] = {24, 47}, OSC_AMP_DEC[2] = {25, 48};
constexpr int OSC_AMP_SUST[2] = {26, 49}, OSC_AMP_REL[2] = {27, 50};
constexpr int OSC_AMP_TRACK[2] = {268, 287}, OSC_AMP_SYNC[2] = {269, 286};
constexpr int OSC_PITCH_AMT[2] = {28, 51}, OSC_PITCH_ATT[2] = {29, 52};
constexpr int OSC_PITCH_DEC[2] = {30, 53}, OSC_PITCH_SUST[2] = {31, 54};
constexpr int OSC_PITCH_REL[2] = {32, 55}, OSC_PITCH_TRACK[2] = {270, 289};
constexpr int OSC_PITCH_SYNC[2] = {271, 288};
constexpr int OSC_ZEK_AMT[2] = {33, 56}, XY_SPEED[2] = {782, 790};
constexpr int OSC_ZEK_LFO_X[2] = {274, 292}, OSC_ZEK_LFO_Y[2] = {275, 293};
constexpr int XY_PLAY_MODE[2] = {780, 788}, XY_LOOP_MODE[2] = {779, 787};
constexpr int XY_SYNC_MODE[2] = {781, 789};

// Per-oscillator part on the frame; x moves by 330 for the second oscillator.
const Row OSC_FRAME[] = {
    menuPair(OSC_TYPE, "WAVEFORM", 29, {115, 4, 3, 4}, {77, 3, 4, 0}, 15, OSC_TYPE_STR, 8),
    // 2 px lower at 100 %, 1 at 200 %, with its window: the WAVEFORM caption keeps a pixel above
    // it.
    menuPair(OSC_OCT, "OCTAVE", 29, {143, 3, 0, 1}, {48, -1, 2, 0}, 15, OSC_OCT_STR, 9),
    named(radio(1, "LFO", 56, 183, 2, 30), "Show Oscillator 1 LFO", "Show Oscillator 2 LFO"),
    named(radio(1, "AMP", 56, 202, 2, 30), "Show Oscillator 1 Amp Envelope",
          "Show Oscillator 2 Amp Envelope"),
    // 31 wide: the caption is; no 1 px shift at 125 %: off its radio.
    named(radio(1, "PITCH", 56, 221, 2, 31, {0, 0, 1, 0}), "Show Oscillator 1 Pitch Envelope",
          "Show Oscillator 2 Pitch Envelope"),
    knobPair(OSC_ZEK_AMT, "ZEK", 32, 344, 1),
    knobPair(XY_SPEED, "SPEED", 87, 364, 4, 10), // margin 10: the caption is wider than the knob
    vSliderPair(OSC_ZEK_LFO_X, 32, 253),
    vSliderPair(OSC_ZEK_LFO_Y, 59, 253),
    named(radio(-1, "LIVE", 94, 255, 0, 30), "Oscillator 1 XY Live Mode",
          "Oscillator 2 XY Live Mode"),
    named(radio(-1, "REC", 128, 255, 0, 30), "Oscillator 1 XY Record Mode",
          "Oscillator 2 XY Record Mode"),
    named(radio(-1, "PLAY", 162, 255, 0, 30), "Oscillator 1 XY Replay Mode",
          "Oscillator 2 XY Replay Mode"),
    menuPair(XY_PLAY_MODE, "MODE", 106, {287, 4, 3, 4}, {76, 1, 0, 0}, 15, XY_PLAY_MODE_STR, 3),
    // LOOP 1 px lower at 100 %, SYNC 2 px (1 at 125 %), with their windows: each caption keeps a
    // pixel above the next window.
    menuPair(XY_LOOP_MODE, "LOOP", 106, {315, 2, 2, 2}, 76, 15, XY_LOOP_MODE_STR, 3),
    menuPair(XY_SYNC_MODE, "SYNC", 106, {343, 1, 1, 0}, {76, 1, 0, 0}, 15, ENV_TEMPO_SYNC_STR, 31),
};
enum { kOscPageRadio = 2, kOscXYRadio = 9 };

// The three pages of an oscillator's modulation container: six knobs and the page's switch.
// The switches stand 1 px further right at 125 %: the FREE caption keeps two pixels off the
// TRACK caption below it.
const Coord OSC_PAGE_SWITCH_X = {247, 1, 0, 0};
const Row OSC_LFO_PAGE[] = {
    knobPair(OSC_SYM, "SYM", 3, 13, 4),
    knobPair(OSC_LFO_SPEED, "SPEED", 40, 13, 3, 10),
    knobPair(OSC_LFO_PWM, "PWM", 77, 13, 3),
    knobPair(OSC_LFO_AMP, "AMP", 114, 13, 3),
    knobPair(OSC_LFO_PITCH, "PITCH", 151, 13, 3, 10),
    knobPair(OSC_LFO_TRACK, "TRACK", 188, 13, 4, 10), // margin 10: caption wider than the knob
    onOffPair(OSC_LFO_SYNC, "SYNC", OSC_PAGE_SWITCH_X, 11, 2, 32),
    onOffPair(OSC_FREE_LFO, "FREE", OSC_PAGE_SWITCH_X, 29, 2, 32),
};
const Row OSC_AMP_PAGE[] = {
    knobPair(OSC_AMP_AMT, "AMT", 3, 13, 4),
    knobPair(OSC_AMP_ATT, "ATT", 40, 13, 3),
    knobPair(OSC_AMP_DEC, "DEC", 77, 13, 3),
    knobPair(OSC_AMP_SUST, "SUST", 114, 13, 3),
    knobPair(OSC_AMP_REL, "REL", 151, 13, 3),
    knobPair(OSC_AMP_TRACK, "TRACK", 188, 13, 4, 10), // margin 10: caption wider than the knob
    onOffPair(OSC_AMP_SYNC, "SYNC", OSC_PAGE_SWITCH_X, 11, 2, 32),
};
const Row OSC_PITCH_PAGE[] = {
    knobPair(OSC_PITCH_AMT, "AMT", 3, 13, 4),
    knobPair(OSC_PITCH_ATT, "ATT", 40, 13, 3),
    knobPair(OSC_PITCH_DEC, "DEC", 77, 13, 3),
    knobPair(OSC_PITCH_SUST, "SUST", 114, 13, 3),
    knobPair(OSC_PITCH_REL, "REL", 151, 13, 3),
    knobPair(OSC_PITCH_TRACK, "TRACK", 188, 13, 4, 10), // margin 10: caption wider than the knob
    onOffPair(OSC_PITCH_SYNC, "SYNC", OSC_PAGE_SWITCH_X, 11, 2, 32),
};

// The slider captions 3 px higher (4 at 200 %): their last line keeps a pixel above the knob.
const Coord XY_LFO_CAPTION_Y = {320, 0, 1, 2};
const Row XY_PANELS[] = {
    label("LFO!>!X", {26, 2, 1, 1}, XY_LFO_CAPTION_Y, 30, 24, 1),
    label("LFO!>!Y", {53, 1, 1, 1}, XY_LFO_CAPTION_Y, 30, 24, 1),
    label("LFO!>!X", {356, 1, 1, 1}, XY_LFO_CAPTION_Y, 30, 24, 1),
    label("LFO!>!Y", {383, 2, 1, 1}, XY_LFO_CAPTION_Y, 30, 24, 1),
    onOff(783, "EDIT", {135, 1, 1, -2}, {374, 0, 0, -3}, 0, 32),
    onOff(791, "EDIT", {465, 1, 1, -2}, {374, 0, 0, -3}, 0, 32),
};
// The two pads' rectangles (x, y, then w x h for both).
const Coord XY_PAD_X[2] = {{201, -1, -3, -4}, {531, 0, -3, -3}};
const Coord XY_PAD_Y = {255, 3, 2, 3};
constexpr int XY_PAD_SIZE = 138;

const Row FILTER_PANEL[] = {
    named(menuButton(2, "FILTER", 691, 91, 60, 14), "Filter Menu"),
    knob(57, "FREQ", 687, 137, 1),
    knob(296, "ST OFFSET", 814, 108, 3, 30), // margin 30, not 20: the caption is wider at 200 %
    knob(58, "Q", 756, 152, 3),
    // Margin 24, not 10: FORMANT, its caption for the formant filters, is wider.
    knob(59, "VOWEL", 814, 152, 3, 24),
    knob(299, "VEL", 698, 194, 4),
    knob(298, "TRK", 756, 194, 4),
    knob(297, "MOD WHL", 814, 194, 4, 30), // margin 30, not 20: the caption is wider at 200 %
    knob(61, "ENV", 698, 236, 3),
    knob(66, "LFO", 756, 236, 3),
    knob(60, "DIST", 814, 236, 3),
    knob(62, "ATT", 689, 307, 3),
    knob(63, "DEC", 733, 307, 3),
    knob(64, "SUST", 778, 307, 3),
    knob(65, "REL", 822, 307, 3),
};
// The filter-type menu's place; its caption sits below it.
const Coord FILTER_TYPE_X = 691, FILTER_TYPE_Y = {109, 5, 3, 4}, FILTER_TYPE_W = 76,
            FILTER_TYPE_H = 15, FILTER_TYPE_LABEL_DX = {1, 1, 2, 0};
// The caption 3 px below the menu; 1 px at 125 %, where the frequency knob stands close below.
constexpr int FILTER_TYPE_LABEL_DY[4] = {3, 1, 3, 3};
const Row FILTER_SWITCHES[] = {
    onOff(295, "", 781, 117, 0, 20),
    onOff(300, "INV", 734, 281, 2, 25),
    // Its shift 1 px less at 125 % and 200 %: the caption keeps off its switch.
    onOff(301, "SYNC", 787, 281, 2, 30, {1, -1, 0, -1}),
};
const Row FILTER_HIGH_PASS[] = {
    knob(305, "Q", 778, 358, 3),
    knob(67, "FREQ", 822, 358, 3),
    onOff(302, nullptr, 695, {367, -1, 0, 0}),
    onOff(303, "TRK", 723, 367, 0, 10), // widening 10: the caption is wider than the switch
    onOff(304, "\t", 751, 367, 0, 10),
    label("HP", {695, 1, 2, 3}, {377, 1, 0, 3}, 26, 25, 0),
};

const Row MAIN_LFO_PANEL[] = {
    named(menuButton(5, "MAIN LFO", 691, 412, 70, 14), "Main LFO Menu"),
    menu(364, "MODE", 736, {428, 3, 3, 4}, {58, -1, 2, 2}, 15, LFO_PLAY_MODE_STR, 3),
    menu(363, "WAVE", 798, {428, 3, 3, 4}, {58, -1, 2, 0}, 15, LFO_WAVE_STR, 8),
    menu(365, "PHASE", 798, {456, 3, 3, 4}, {58, -1, 1, 0}, 15, LFO_PHASE_STR, 4),
};
const Coord SPEED_SOURCE_X = 735, SPEED_SOURCE_Y = {484, 3, 3, 4}, SPEED_SOURCE_W = 120,
            SPEED_SOURCE_H = 15;
const Row MAIN_LFO_REST[] = {
    knob(123, "SPEED", 687, 426, 1),
    knob(367, nullptr, 695, 480, 4),
    onOff(366, "SYNC", 757, {457, -2, 0, 0}, 0, 20),
    label("SPEED CTRL", {737, 3, 0, 0}, {499, -2, -1, 3}, 115, 20, 1),
};

const Row PLAY_PANEL[] = {
    named(menuButton(4, "PLAY", 691, 519, 91, 14), "Play Menu"),
    menu(246, nullptr, 759, {536, 3, 3, 4}, 94, 15, PLAY_MODE_STR, 9),
    menu(uEditor::kNoTag, nullptr, 759, {564, 2, 3, 2}, 94, 15, LOCK_STR, 3, false),
    menu(247, nullptr, 759, {592, 1, 3, 0}, 94, 15, PORT_MODE_STR, 5),
    menu(248, nullptr, 759, {620, 0, 3, -2}, 59, 15, PITCH_BEND_STR, 16),
    menu(249, nullptr, 759, {648, -1, 3, 5}, 59, 15, PITCH_BEND_STR, 16),
    label("PLAY MODE", 691, {536, 1, 0, 2}, 65, 17, 2),
    label("PLAY LOCK", 690, {564, 0, 1, 0}, 65, 17, 2),
    label("PORT MODE", 690, {592, 0, 1, -2}, 65, 17, 2),
    label("BEND DOWN", {689, 2, 0, 0}, {620, -1, 3, -4}, 65, 17, 2),
    label("BEND UP", {689, 1, 0, 0}, {648, -2, 3, 3}, 65, 17, 2),
    menu(250, "UNISON", 690, {691, 3, 3, 4}, {59, 1, 2, 0}, 15, UNI_MODE_STR, 29),
    knob(10, "PORT", 822, 609, 3, 1), // margin 1: the caption is wider than the knob
    knob(11, "DETN", 752, {682, -1, 0, 0}, 3),
    knob(251, "SPRD", 786, {682, -1, 0, 0}, 3),
    knob(252, "DELAY", 820, {682, -1, 0, 0}, 3, 10),
    onOff(254, "DRIFT", 830, {649, 0, 0, 1}, 0, 40),
    onOff(253, "SYNC", 724, 673, 2, 35),
};
enum { kPlayLock = 2 };

// The three pages in the order of the page switches; the LFO page has one more control.
struct OscPage {
    const Row* rows;
    size_t count;
};
const OscPage OSC_PAGES[edlayout::kOscPages] = {{OSC_LFO_PAGE, std::size(OSC_LFO_PAGE)},
                                                {OSC_AMP_PAGE, std::size(OSC_AMP_PAGE)},
                                                {OSC_PITCH_PAGE, std::size(OSC_PITCH_PAGE)}};
constexpr int kOscPageRowsMax = edlayout::kOscPageKnobs + 2;
static_assert(std::size(OSC_LFO_PAGE) == kOscPageRowsMax &&
                  std::size(OSC_AMP_PAGE) == edlayout::kOscPageKnobs + 1 &&
                  std::size(OSC_PITCH_PAGE) == edlayout::kOscPageKnobs + 1,
              "each page: its knobs and its switch; the LFO page one more");

// Top bar: its named controls join the top bar, the captions the main screen.
void buildTopBar(uEditor& ed, Builder& b) {
    ViewList* main = b.target;
    Built top[std::size(TOP_BAR)];
    ViewList topList{ed.ui.topViews, edlayout::kTopViews};
    b.target = &topList;
    for (size_t i = 0; i < std::size(TOP_BAR); ++i) top[i] = b.build(TOP_BAR[i]);
    // The ECS menu takes the size of its picture; it acts as a button of the top bar.
    if (CBitmap* p = ed.getSkinBitmap(kEcsPicture)) {
        const int x = b.sx(369), y = b.sy({23, -3, 0, 0});
        const CRect r(x, y, x + p->getWidth(), y + p->getHeight() / 2);
        ed.ui.ecsMenu = new TOptionMenu(r, &ed, kEcsTag, p, nullptr, kMenuStyle, true);
        for (const char* entry : ECS_STR) ed.ui.ecsMenu->addEntry(entry, -1, 0);
        ed.own(ed.ui.ecsMenu);
        ed.addControl(ed.ui.ecsMenu, uEditor::kKindButton);
        ed.setHoverName(ed.ui.ecsMenu, "ECS Menu");
    }
    ed.ui.previewButton = top[kTopPreview].as<CKickButton>();
    ed.ui.editButton = top[kTopEdit].as<CKickButton>();
    ed.ui.origButton = top[kTopOrig].as<CKickButton>();
    ed.ui.helpButton = top[kTopHelp].as<CKickButton>();
    for (int i : {kTopEdit, kTopOrig, kTopHelp})
        if (top[i].caption) top[i].caption->setColor(GREEN_COLOR);
    ed.ui.easyButton = top[kTopEasy].as<CKickButton>();
    ed.ui.backButton = top[kTopBack].as<CKickButton>();
    ed.ui.settingsButton = top[kTopSettings].as<TMenuButton>();
    ed.ui.parameterName = top[kTopName].as<TReadout>();
    ed.ui.parameterValue = top[kTopValue].as<TReadout>();
    b.target = main;
}

// Both oscillators: the frame on the screen, the pages in the oscillator's container.
void buildOscillators(uEditor& ed, Builder& b) {
    ViewList* main = b.target;
    Built fixed[std::size(OSC_FIXED)];
    b.build(OSC_FIXED, fixed);
    for (int osc = 0; osc < edlayout::kOscillators; ++osc) {
        b.dx = 330 * osc;
        b.pass = osc;
        b.target = main;
        Built frameRows[std::size(OSC_FRAME)];
        b.build(OSC_FRAME, frameRows);
        for (int p = 0; p < edlayout::kOscPages; ++p)
            ed.ui.oscPageRadios[osc][p] = frameRows[kOscPageRadio + p].as<TRadioButton>();
        for (int m = 0; m < edlayout::kXYRecordModes; ++m)
            ed.ui.xyModeRadios[0][osc][m] = frameRows[kOscXYRadio + m].as<TRadioButton>();
        // The pages sit in the oscillator's container: no move, and shown by its refill.
        b.dx = 0;
        b.target = nullptr;
        int labels = 0;
        for (int p = 0; p < edlayout::kOscPages; ++p) {
            Built page[kOscPageRowsMax];
            b.build(OSC_PAGES[p].rows, OSC_PAGES[p].count, page);
            for (int k = 0; k < edlayout::kOscPageKnobs; ++k) {
                ed.ui.oscModKnobs[osc][edlayout::kOscPageKnobs * p + k] = page[k].as<TKnob>();
                ed.ui.oscModLabels[osc][labels++] = page[k].caption;
            }
            const int own = edlayout::kOscPageKnobs;
            ed.ui.oscPageControls[osc][p] = page[own].view;
            ed.ui.oscModLabels[osc][labels++] = page[own].caption;
            if (p == 0) {
                ed.ui.oscLfoExtra[osc] = page[own + 1].view;
                ed.ui.oscModLabels[osc][labels++] = page[own + 1].caption;
            }
        }
    }
    b.pass = 0;
    b.target = main;
}

void buildXYPads(uEditor& ed, Builder& b) {
    Built xy[std::size(XY_PANELS)];
    b.build(XY_PANELS, xy);
    for (int pad = 0; pad < edlayout::kPads; ++pad) {
        const int x = b.sx(XY_PAD_X[pad]), y = b.sy(XY_PAD_Y), size = ed.getScaled(XY_PAD_SIZE);
        auto* d = new TXYScreen(CRect(x, y, x + size, y + size), pad, &ed, ed.getBig());
        ed.own(d);
        ed.ui.xyDisplays[0][pad] = d;
        ed.setHoverName(d, pad == 0 ? "Oscillator 1 XY Screen" : "Oscillator 2 XY Screen");
        b.add(d);
    }
}

void buildFilter(uEditor& ed, Builder& b) {
    Built filter[std::size(FILTER_PANEL)];
    b.build(FILTER_PANEL, filter);
    {
        const int x = b.sx(FILTER_TYPE_X), y = b.sy(FILTER_TYPE_Y);
        const CRect r(x, y, x + b.s(FILTER_TYPE_W), y + b.s(FILTER_TYPE_H));
        TOptionMenu* types = ed.makeGroupedMenu(
            r, tag::FilterType, FILTER_TYPE_STR, FILTER_GROUP_START, FILTER_TYPE_SUB_COUNT,
            FILTER_TYPE_SUB_STR, kSubmenuStyle, &ed.ui.filterGroupMenus[0][1]);
        ed.ui.filterGroupMenus[0][0] = types;
        b.add(types);
        TLabel* caption = nullptr;
        ed.createLabel(caption, x + b.sx(FILTER_TYPE_LABEL_DX),
                       static_cast<int>(r.bottom) + FILTER_TYPE_LABEL_DY[ed.getBig()],
                       ed.getScaled(75), ed.getScaled(10), "TYPE", LABEL_FONT_SIZES[ed.getBig()],
                       LABEL_COLOR, 1);
        b.add(caption);
    }
    Built filterSwitches[std::size(FILTER_SWITCHES)];
    b.build(FILTER_SWITCHES, filterSwitches);
    ed.highPassOff = !static_cast<APlugin*>(ed.getEffect())->getOnOff(tag::HpOn);
    Built highPass[std::size(FILTER_HIGH_PASS)];
    b.build(FILTER_HIGH_PASS, highPass);
    captionsOf(highPass, ed.ui.lookLabels[edlayout::kLookHighPass][0]);
}

void buildMainLfo(uEditor& ed, Builder& b) {
    Built lfo[std::size(MAIN_LFO_PANEL)];
    b.build(MAIN_LFO_PANEL, lfo);
    {
        const int x = b.sx(SPEED_SOURCE_X), y = b.sy(SPEED_SOURCE_Y);
        const CRect r(x, y, x + b.s(SPEED_SOURCE_W), y + b.s(SPEED_SOURCE_H));
        // Source 0 is "None", alone at the top; the four source groups follow.
        TOptionMenu* sources =
            ed.makeGroupedMenu(r, tag::MainLfoSpeedModSource, SRC_STR, SRC_SUB_START, SRC_SUB_COUNT,
                               SRC_SUB_STR, kMenuStyle, &ed.ui.sourceGroupMenus[1]);
        ed.ui.sourceGroupMenus[0] = sources;
        b.add(sources);
    }
    Built lfoRest[std::size(MAIN_LFO_REST)];
    b.build(MAIN_LFO_REST, lfoRest);
}

void buildPlay(uEditor& ed, Builder& b) {
    Built play[std::size(PLAY_PANEL)];
    b.build(PLAY_PANEL, play);
    ed.ui.playLockMenus[0] = play[kPlayLock].as<TOptionMenu>();
}

// The main screen's panels in building (and drawing) order.
using PanelBuilder = void (*)(uEditor&, Builder&);
const PanelBuilder MAIN_PANELS[] = {buildTopBar,  buildOscillators, buildXYPads,    buildFilter,
                                    buildMainLfo, buildPlay,        buildMainAmpEQ, buildMainLower};

} // namespace

void uEditor::createMainScreenControls() {
    if (!getEngine()) return;
    creatingControls = true;
    buildingScreen = 0;
    ViewList main{ui.mainViews, edlayout::kMainViews};
    Builder b{*this, &main};
    // The preset and folder menus of the top bar are the preset menu's own.
    createPresetMenus();
    for (auto build : MAIN_PANELS) build(*this, b);
    creatingControls = false;
}
