// The five pages of the main screen's page container as layout tables: arpeggiator, user
// waves, modulation (free LFOs, envelopes, matrix), effects and paths. Coordinates are relative
// to the container; the container shows one page's views at a time. Host user-interface thread.
#include "editor/screens/MainLayout.h"
#include "editor/screens/ScreenDisplays.h"

#include "controls/FontTables.h"
#include "controls/TButtons.h"
#include "controls/TKnob.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/displays/TArpScreen.h"
#include "controls/displays/TWaveDisplay.h"
#include "editor/SkinResources.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>
#include <iterator>

using namespace VSTGUI;

namespace layout {
namespace {

const Row ARP_FIXED[] = {
    onOff(492, "ON", {5, 1, 0, 2}, {13, -2, 0, 0}, 0, 2), // widening 2: ON is wider than its switch
    named(radio(4, "A", 31, {13, -2, 0, 0}, 0, 30), "Select Arpeggiator A"),
    named(radio(4, "B", 55, {13, -2, 0, 0}, 0, 30), "Select Arpeggiator B"),
    menu(493, "PLAY MODE", 79, {12, 3, 3, 4}, {76, 0, 4, 2}, 15, ARP_PLAY_MODE_STR, 4),
    menu(494, "MODE", 157, {12, 3, 3, 4}, {76, 0, 2, 0}, 15, ARP_MODE_STR, 16),
    menu(495, "LOOP MODE", 235, {12, 3, 3, 4}, {76, 0, 2, 0}, 15, ARP_LOOP_MODE_STR, 3),
    menu(498, "OCTAVE", 390, {12, 3, 3, 4}, 76, 15, ARP_OCT_STR, 4),
    menu(499, "TIED MODE", 468, {12, 3, 3, 4}, {76, -1, 0, -2}, 15, ARP_TIED_MODE_STR, 4),
    menu(501, "LOCK MODE", 547, {12, 3, 3, 4}, {76, -1, -2, -1}, 15, LOCK_STR, 3, false),
    menu(497, "CATCHUP", 93, {264, 3, 3, 4}, {77, -1, 0, 0}, 15, ARP_CATCHUP_STR, 3),
    menu(496, "CATCHUP", 252, {264, 3, 3, 4}, 77, 15, ARP_CATCHUP_STR, 3),
    menu(500, "RATCHET", 355, {264, 3, 3, 4}, {77, 1, 2, 2}, 15, ARP_RATCHET_MODE_STR, 9),
    onOff(502, "SYNC", 624, 98, 0, 20),
    onOff(504, "LATCH", 624, 148, 0, 20),
    onOff(503, "KEY", 624, 200, 0, 10), // widening 10: the caption is wider than its switch
    named(menuButton(21, "", 624, 13, 27, 34), "Arpeggiator Menu"),
    // The caption lies over its button: under the pointer it is the button.
    named(label("CMD", {620, 4, 4, 7}, {30, 0, 1, 3}, 27, 9, 1), "Arpeggiator Menu"),
};
enum { kArpA = 1, kArpB = 2, kArpLock = 8 };

// Per arpeggiator: the two step knobs and five more, then its speed, steps and loop menus.
constexpr int ARP_STEPS[2] = {506, 643}, ARP_LOOP_START[2] = {505, 642};
constexpr int ARP_RATCHET_VEL[2] = {508, 645}, ARP_SWING[2] = {509, 646};
constexpr int ARP_SMOOTH[2] = {510, 647}, ARP_SLIDE[2] = {511, 648}, ARP_VEL_KEYS[2] = {512, 649};
constexpr int ARP_SPEED[2] = {507, 644};
const Row ARP_KNOBS[] = {
    knobPair(ARP_STEPS, nullptr, 10, 257, 3),
    knobPair(ARP_LOOP_START, nullptr, 170, 257, 3),
    knobPair(ARP_RATCHET_VEL, "RTC VEL", 440, 256, 3, 20),
    knobPair(ARP_SWING, "SWING", 481, 256, 3, 20),
    knobPair(ARP_SMOOTH, "SMTH", 522, 256, 3, 20),
    knobPair(ARP_SLIDE, "SLIDE", 563, 256, 3, 20),
    knobPair(ARP_VEL_KEYS, "KEY/VEL", 604, 256, 3, 20),
};
const Row ARP_MENUS[] = {
    menuPair(ARP_SPEED, "SPEED", 313, {12, 3, 3, 4}, {76, 0, -1, 0}, 15, ARP_SPEED_STR, 17),
    // The steps and loop-start menus 42 wide, not 48: at 48 their windows run into the CATCHUP
    // menus'. The loop start's two caption lines stand above its menu: below it the page ends.
    menuPair(ARP_STEPS, "STEPS", 44, {264, 3, 3, 4}, 42, 15, ARP_STEPS_STR, 16),
    menuPair(ARP_LOOP_START, "LOOP!START", 203, {264, 3, 3, 4}, 42, 15, ARP_LOOP_START_STR, 16,
             kCaptionAbove),
};
enum { kArpLoopStartMenu = 2 };
const Coord LOOP_START_CAPTION_BOTTOM = 261;
const char* const ARP_ROW_STR[8] = {"NO",  "TIED",  "SLIDE", "TUNE",
                                    "VEL", "FREE1", "FREE2", "RATCH"};
// FREE1 and FREE2 stand in boxes 5 px wider to the left, with the same right edge as at 30 px:
// their captions are wider than 30 px.
const Coord ARP_ROW_X[8] = {20,
                            {21, 0, 1, -2},
                            {20, 1, 2, 1},
                            {20, 0, 1, 0},
                            {21, 0, 0, -1}, // VEL 1 px left at 100 %: off the grid's edge
                            {16, 2, 1, 1},
                            {15, 3, 2, 1},
                            {16, 0, 1, -1}};
// The grid's row pitch per screen size: 142/7, 178/7, 213/7 and 284/7 pixels.
constexpr float ARP_ROW_PITCH[4] = {20.285715f, 25.428572f, 30.428572f, 40.57143f};
constexpr int ARP_GRID_RECT[4][4] = {
    {53, 76, 551, 162}, {66, 95, 690, 204}, {78, 113, 830, 244}, {104, 152, 1106, 326}};
constexpr int kLightOff = 10048, kLightOn = 10049;
constexpr int32_t kSubmenuStyle = 280;
constexpr int WAVE_PRESET_TAGS[2] = {tag::UserWave1Preset, tag::UserWave2Preset};

const Row WAVE_PAGE[] = {
    // WAVE PRESET and SHAPER 1 px lower at 100 %: a pixel below their menus' windows.
    label("WAVE PRESET", {9, 1, 3, 0}, {276, -2, -2, -2}, 160, 17, 1),
    label("LOAD", {178, 0, 4, 0}, 275, 30, 17, 0),
    label("SAVE", {212, -1, 1, -2}, 275, 30, 17, 0),
    label("SHAPER", {246, 0, 2, 1}, {276, -2, -2, -2}, 100, 17, 1),
    // AMT1 and AMT2 6 px higher and 12 high, not 17: lower, the page's edge cuts them.
    label("AMT1", {362, 1, 4, 0}, 278, 30, 12, 0),
    label("AMT2", {405, 1, 4, 0}, 278, 30, 12, 0),
    label("APPLY", {441, 1, 4, 2}, 275, 40, 17, 0),
    label("CMD", {478, 2, 4, 2}, 275, 30, 17, 0),
    label("COPY", {512, 1, 3, 1}, 275, 30, 17, 0),
    label("PASTE", {546, 0, 2, 0}, 275, 35, 17, 0), // 35 wide: the caption is wider than 30
    label("CLEAR", {579, 1, 5, 2}, 275, 40, 17, 0),
    label("UNDO", {616, 1, 3, 3}, 275, 30, 17, 0),
    // Each radio right of the sheet's place where the caption before it would touch it: the
    // user waves' 2 px at 125 % and 150 %, POINT DRAW's 2 px at 150 %, LINE DRAW's 2 px at every
    // size, ERASE's 2 px at 125 % and 1 at 150 %.
    named(radio(5, nullptr, {43, -3, -4, 0}, 13), "Show User Wave 1"),
    named(radio(5, nullptr, {116, -3, -4, 0}, 13), "Show User Wave 2"),
    // 3 px left at 125 %, 2 at 150 %: the wider caption keeps off its radio.
    label("USER 1", {5, -1, -1, 3}, {17, 2, 1, 0}, 40, 10, 0),
    label("USER 2", 78, {17, 2, 0, 0}, 40, 10, 0),
    named(radio(6, nullptr, {211, -5, -9, -2}, 13), "Select User Wave Draw Mode"),
    named(radio(6, nullptr, {299, -5, -12, -4}, 13), "Select User Wave Line Mode"),
    named(radio(6, nullptr, {361, -3, -4, 0}, 13), "Select User Wave Erase Mode"),
    // The wider captions keep off the next radio: POINT DRAW 6 px left (8 at 150 %) in a box 3 px
    // wider, LINE DRAW 3 px left at 125 %, 8 at 150 %, 2 at 200 %, ERASE 1 px left at 125 %.
    label("POINT DRAW", {142, 0, -2, 0}, {17, 2, 0, 0}, 68, 10, 0),
    // These two captions lie over their switches: under the pointer they are the switch.
    named(label("LINE DRAW", {241, -3, -8, -2}, {17, 2, 0, 0}, 65, 10, 0),
          "Select User Wave Line Mode"),
    named(label("ERASE", {327, -1, 0, 0}, {17, 2, 0, 0}, 65, 10, 0), "Select User Wave Erase Mode"),
};
enum { kUserWaveRadio = 12, kPenRadio = 16 };
// WAVE DISPLAY's radio 2 px right at every size, PARTIAL DISPLAY's 1 px at 100 % and 2 at 125 %
// and 150 %: the captions before them keep a pixel off.
const Row WAVE_MODE_RADIOS[] = {
    named(radio(7, nullptr, {465, -1, -1, 0}, 13), "User Wave 1 Waveform Mode",
          "User Wave 2 Waveform Mode"),
    named(radio(7, nullptr, {579, 1, 1, 0}, 13), "User Wave 1 Additive Mode",
          "User Wave 2 Additive Mode"),
};
const Row WAVE_PAGE_REST[] = {
    // The wider captions keep off the next radio: WAVE DISPLAY in a box 10 px wider about the same
    // middle, both 6 px further left at 125 % and 9 at 150 %.
    label("WAVE DISPLAY", {387, -1, 0, 0}, {17, 2, 0, 0}, 80, 10, 1),
    label("PARTIAL DISPLAY", {490, 1, 2, 0}, {17, 2, 0, 0}, 90, 10, 1),
    onOff(1008, "EXP", 627, 13, 2, 30),
    named(kick(10044, nullptr, 184, {261, -3, 0, 0}), "Load User Wave"),
    named(kick(10044, nullptr, 216, {261, -3, 0, 0}), "Save User Wave"),
    named(kick(10044, nullptr, 449, {261, -3, 0, 0}), "Apply Wave-Shaping"),
    named(kick(10044, nullptr, 518, {261, -3, 0, 0}), "Copy User Wave"),
    named(kick(10044, nullptr, 553, {261, -3, 0, 0}), "Paste User Wave"),
    named(kick(10044, nullptr, 588, {261, -3, 0, 0}), "Clear User Wave"),
    named(kick(10044, nullptr, 623, {261, -3, 0, 0}), "User Wave Undo"),
    menu(1005, nullptr, 249, {261, 1, 0, 0}, 98, 16, USER_WAVE_SHAPER_MODE_STR, 13),
    knob(1006, nullptr, 359, 252, 3),
    knob(1007, nullptr, 402, 252, 3),
    menuButton(22, "", 479, {261, -3, 0, 0}, 25, 25),
};
enum { kWaveKicks = 3 };
const Coord WAVE_PRESET_X = 8, WAVE_PRESET_Y = {261, 1, 0, 0}, WAVE_PRESET_W = 160,
            WAVE_PRESET_H = 16;
const Coord WAVE_DISPLAY_X = 10, WAVE_DISPLAY_Y = 47, WAVE_DISPLAY_W = 630, WAVE_DISPLAY_H = 190;

// The LFO titles stand 2 px higher, at the page's top edge, clear of the mode menus' windows.
// The wider captions get wider boxes: the LFO titles 6 px, the ENV titles 4 px.
const Row MOD_PAGE[] = {
    named(menuButton(12, "LFO 1", {5, 2, 1, 4}, 0, 40, 14), "Free LFO 1 Menu"),
    named(menuButton(13, "LFO 2", {263, 2, 5, 5}, 0, 40, 14), "Free LFO 2 Menu"),
    label("LFO 1 + 2", {523, 2, 5, 2}, 0, 64, 14, 0, kBigDark),
    // 2 px left at 100 % and 125 %: the caption keeps a pixel off the attack knob.
    named(menuButton(10, "ENV 1", {3, 3, 4, 8}, 55, 38, 14), "Free Envelope 1 Menu"),
    named(menuButton(11, "ENV 2", {334, 2, 1, 3}, 55, 38, 14), "Free Envelope 2 Menu"),
    menu(371, "MODE", {5, 3, 6, 4}, {14, 5, 3, 4}, {77, 0, 0, -2}, 15, LFO_PLAY_MODE_STR, 3),
    menu(370, "WAVE", {95, 3, 6, 4}, {14, 5, 3, 4}, {77, 0, 0, -3}, 15, LFO_WAVE_STR, 8),
    // SPEED's caption 10 px wider each side, and SYNC 2 px further right so the two keep apart.
    knob(124, "SPEED", {181, 3, 0, 0}, {4, 2, 0, 0}, 3, 10),
    onOff(369, "SYNC", {221, 3, 0, 0}, 15, 0, 10),
    menu(374, "MODE", {264, 0, 6, 4}, {14, 5, 3, 4}, {77, -1, 0, -2}, 15, LFO_PLAY_MODE_STR, 3),
    menu(373, "WAVE", {356, 0, 6, 4}, {14, 5, 3, 4}, {77, -2, -2, -5}, 15, LFO_WAVE_STR, 8),
    // As for the first LFO.
    knob(125, "SPEED", 440, {4, 2, 0, 0}, 3, 10),
    onOff(372, "SYNC", 480, 15, 0, 10),
    menu(375, "MODE", 525, {14, 5, 3, 4}, {77, 3, 5, 0}, 15, LFO_12_MODE_STR, 13),
    knob(126, "AMT", {612, 0, 2, 0}, {4, 2, 0, 0}, 3),
    knob(113, "ATT", 41, 59, 3),
    knob(114, "DEC", 81, 59, 3),
    knob(115, "SUST", 121, 59, 3),
    knob(116, "FADE", 161, 59, 4),
    knob(117, "REL", 201, 59, 3),
    knob(357, "KEY", 241, 59, 4),
    knob(358, "VEL", 281, 59, 4),
    knob(118, "ATT", 372, 59, 3),
    knob(119, "DEC", 412, 59, 3),
    knob(120, "SUST", 452, 59, 3),
    knob(121, "FADE", 492, 59, 4),
    knob(122, "REL", 532, 59, 3),
    knob(360, "KEY", 572, 59, 4),
    knob(361, "VEL", 612, 59, 4),
    onOff(359, "SYNC", {13, 2, -2, -2}, {68, -2, 0, 0}, 0, 10),
    onOff(362, "SYNC", {343, 2, -2, -2}, {68, -2, 0, 0}, 0, 10),
    label("SLOT", {11, 0, 1, 1}, {123, 1, 0, 0}, 33, 12, 1, kGreen),
    label("SOURCE", {46, 1, 0, 1}, {123, 1, 0, 0}, 115, 12, 1, kGreen),
    label("LOWER", {163, 0, 3, 1}, {123, 1, 0, 0}, 75, 12, 1, kGreen),
    label("UPPER", {240, 1, 0, 0}, {123, 1, 0, 0}, 76, 12, 1, kGreen),
    label("DESTINATION", {318, 2, 3, 1}, {123, 1, 0, 0}, 135, 12, 1, kGreen),
    label("OFFSET", {455, 1, 2, 1}, {123, 1, 0, 0}, 87, 12, 1, kGreen),
    label("AMOUNT", {543, 2, 2, 1}, {123, 1, 0, 0}, 91, 12, 1, kGreen),
};
constexpr int MOD_MATRIX_RECT[4][4] = {
    {10, 135, 630, 156}, {14, 170, 786, 196}, {15, 202, 944, 237}, {21, 270, 1260, 315}};

void buildArpPage(uEditor& ed, Builder& b, ViewList& page) {
    uEditorControlSet& ui = ed.ui;
    Built fixed[std::size(ARP_FIXED)];
    b.build(ARP_FIXED, fixed);
    ui.arpSeqRadios[0] = fixed[kArpA].as<TRadioButton>();
    ui.arpSeqRadios[1] = fixed[kArpB].as<TRadioButton>();
    ui.arpLockMenu = fixed[kArpLock].as<TOptionMenu>();
    for (int a = 0; a < 2; ++a) {
        b.pass = a;
        b.target = nullptr;
        Built knobs[std::size(ARP_KNOBS)];
        b.build(ARP_KNOBS, knobs);
        Built menus[std::size(ARP_MENUS)];
        ViewList seq{ui.arpSeqViews[a], edlayout::kArpSeqViews};
        for (size_t i = 0; i < std::size(ARP_MENUS); ++i) {
            Row r = ARP_MENUS[i];
            if (a == 1) r.text = nullptr; // the second set shares the first one's captions
            menus[i] = b.build(r);
            seq.add(menus[i].view);
            page.add(menus[i].caption);
        }
        // The loop start's two caption lines end just above its menu's window.
        if (TLabel* above = menus[kArpLoopStartMenu].caption) {
            CRect place = above->getViewSize();
            place.offset(0, b.sy(LOOP_START_CAPTION_BOTTOM) - place.bottom);
            above->setViewSize(place, false);
        }
        for (size_t k = 0; k < std::size(ARP_KNOBS); ++k) {
            ui.arpKnobs[a][k] = knobs[k].as<TKnob>();
            if (a == 0) page.add(knobs[k].caption);
        }
    }
    b.pass = 0;
    b.target = &page;
    const int big = ed.getBig();
    for (int k = 0; k < 8; ++k) {
        TLabel* l = nullptr;
        const int y = ed.getScaled(78, 1, 0, 0) + static_cast<int>(k * ARP_ROW_PITCH[big]);
        ed.createLabel(l, b.sx(ARP_ROW_X[k]), y, ed.getScaled(k >= 5 ? 35 : 30), ed.getScaled(16),
                       ARP_ROW_STR[k], LABEL_FONT_SIZES[big], LABEL_COLOR, 2);
        page.add(l);
    }
    ed.lastArpStepShown = -1;
    CBitmap* lit = ed.getSkinBitmap(kLightOn);
    for (int i = 0; i < edlayout::kArpLights && lit; ++i) {
        const int x =
            ed.getScaled(62) + static_cast<int>(static_cast<float>(i) * 0.0625f *
                                                static_cast<float>(ed.getScaled(551, 3, 4, 2)));
        const int y = ed.getScaled(53);
        auto* light = new TBitmap(CRect(x, y, x + lit->getWidth(), y + lit->getHeight()),
                                  ed.getSkinBitmap(kLightOff), &ed);
        ed.own(light);
        ui.arpLights[i] = light;
        page.add(light);
    }
    auto* grid = new TArpScreen(boxOf(ARP_GRID_RECT[big]), &ed, big);
    // The grid's texts keep clear of the lines the skin draws under it.
    if (SkinGridColumns lines{}; findSkinGridColumns(skin::MID_SCREEN_BITMAPS[0], big, &lines))
        grid->setColumnLines(lines.first, lines.pitch, lines.width);
    ed.own(grid);
    ui.arpGrid = grid;
    ed.setHoverName(grid, "Arpeggiator Display");
    page.add(grid);
}

void buildWavePage(uEditor& ed, Builder& b, ViewList& page) {
    uEditorControlSet& ui = ed.ui;
    Built head[std::size(WAVE_PAGE)];
    ed.resetUserWaveBook();
    b.build(WAVE_PAGE, head);
    for (int w = 0; w < 2; ++w) ui.userWaveRadios[w] = head[kUserWaveRadio + w].as<TRadioButton>();
    for (int p = 0; p < 3; ++p) ui.waveDrawRadios[p] = head[kPenRadio + p].as<TRadioButton>();
    // Each user wave's pair of display-mode radios sits at the same places; the page shows the
    // pair of the wave selected.
    b.target = nullptr;
    for (int w = 0; w < 2; ++w) {
        Built pair[std::size(WAVE_MODE_RADIOS)];
        b.pass = w;
        b.build(WAVE_MODE_RADIOS, pair);
        for (int m = 0; m < 2; ++m) ui.waveEditRadios[w][m] = pair[m].as<TRadioButton>();
    }
    b.pass = 0;
    b.target = &page;
    Built rest[std::size(WAVE_PAGE_REST)];
    b.build(WAVE_PAGE_REST, rest);
    CKickButton** kicks[7] = {&ui.waveLoadButton, &ui.waveSaveButton,  &ui.waveApplyButton,
                              &ui.waveCopyButton, &ui.wavePasteButton, &ui.waveClearButton,
                              &ui.waveUndoButton};
    for (int k = 0; k < 7; ++k) *kicks[k] = rest[kWaveKicks + k].as<CKickButton>();

    // Preset 0 stands alone; each section's presets follow one another from preset 1 on.
    int start[USER_WAVE_SECTIONS_COUNT + 1] = {1};
    for (int k = 0; k < USER_WAVE_SECTIONS_COUNT; ++k)
        start[k + 1] = std::min(start[k] + std::max(1, USER_WAVE_PRESETS_SECTION_NO[k]),
                                USER_WAVE_PRESET_COUNT);
    const CRect r = boxOf(b, WAVE_PRESET_X, WAVE_PRESET_Y, WAVE_PRESET_W, WAVE_PRESET_H);
    for (int w = 0; w < 2; ++w) {
        ViewList own{ui.waveViews[w], edlayout::kWaveViews};
        TOptionMenu** menus = ui.wavePresetMenus[w];
        menus[0] = ed.makeGroupedMenu(r, WAVE_PRESET_TAGS[w], USER_WAVE_PRESET_STR, start,
                                      USER_WAVE_SECTIONS_COUNT, USER_WAVE_SECTIONS_STR,
                                      kSubmenuStyle, &menus[1], uEditor::kNoTag);
        own.add(menus[0]);
    }
    auto* display = new TWaveDisplay(
        boxOf(b, WAVE_DISPLAY_X, WAVE_DISPLAY_Y, WAVE_DISPLAY_W, WAVE_DISPLAY_H), &ed, ed.getBig());
    ed.own(display);
    ui.waveDisplay = display;
    page.add(display);
}

void buildModPage(uEditor& ed, Builder& b, ViewList& page) {
    Built rows[std::size(MOD_PAGE)];
    b.build(MOD_PAGE, rows);
    const int big = ed.getBig();
    CView* matrix = screens::makeModMatrix(ed, boxOf(MOD_MATRIX_RECT[big]));
    ed.ui.modMatrixDisplay = matrix;
    ed.setHoverName(matrix, "Modulation Matrix Display");
    page.add(matrix);
}

} // namespace

void buildMainPages(uEditor& ed, Builder& b) {
    ViewList* frame = b.target;
    using Page = void (*)(uEditor&, Builder&, ViewList&);
    const Page pages[5] = {buildArpPage, buildWavePage, buildModPage, buildFXPage, buildPathPage};
    for (int p = 0; p < 5; ++p) {
        ViewList list{ed.ui.pageViews[p], edlayout::kPageViews};
        b.target = &list;
        pages[p](ed, b, list);
    }
    b.target = frame;
}

} // namespace layout
