// The look shared by every control at the four screen sizes: colours, per-size offsets and
// sizes, the column layouts of the modulation matrix and path displays, snap divisions, the
// short value names that compact option menus show and the names of the processing stages.
// Constant data, read on the user-interface thread; the skin generator takes its palette here.
#pragma once

#include "engine/params/StringTables.h" // SCREEN_SIZE_COUNT: 100, 125, 150, 200 percent
#include "gui/GuiTypes.h"

inline constexpr VSTGUI::CColor TEXT_COLOR{43, 201, 0, 255};
inline constexpr VSTGUI::CColor TEXT_BYPASSED_COLOR{43, 201, 0, 63};
inline constexpr VSTGUI::CColor TEXT_TRANS_COLOR{43, 201, 0, 63};
inline constexpr VSTGUI::CColor GREEN_COLOR{43, 201, 0, 255};
inline constexpr VSTGUI::CColor LIGHT_GREEN_COLOR{215, 251, 179, 255};
inline constexpr VSTGUI::CColor DARK_GREEN_COLOR{19, 65, 8, 255};
inline constexpr VSTGUI::CColor LABEL_COLOR{44, 44, 44, 255};
inline constexpr VSTGUI::CColor SCROLL_BAR_COLOR{43, 201, 0, 63};
inline constexpr VSTGUI::CColor XY_NORM_COLOR{43, 201, 0, 127};
inline constexpr VSTGUI::CColor XY_SELECTED_COLOR{43, 201, 0, 255};
inline constexpr VSTGUI::CColor WAVE_COLOR{43, 201, 0, 255};
inline constexpr VSTGUI::CColor WAVE_LINE_COLOR{255, 255, 255, 255};

// Per screen size, in pixels (SCALE is the factor itself).
inline constexpr float SCALE[SCREEN_SIZE_COUNT] = {1.0f, 1.25f, 1.5f, 2.0f};
inline constexpr int MENU_ARROW_OFF[SCREEN_SIZE_COUNT] = {4, 6, 6, 8};
inline constexpr int MENU_FOLDER_ARROW_OFF[SCREEN_SIZE_COUNT] = {0, -1, 0, -4};
inline constexpr int INDICATOR_SIZE[SCREEN_SIZE_COUNT] = {6, 7, 9, 12};
inline constexpr int INDICATOR_OFF[SCREEN_SIZE_COUNT] = {20, 25, 30, 40};
inline constexpr int SLIDER_WIDTH[SCREEN_SIZE_COUNT] = {32, 40, 48, 64};
inline constexpr int MOD_SCROLL_HEIGHT[SCREEN_SIZE_COUNT] = {10, 11, 15, 20};
inline constexpr int MOD_SCROLL_WIDTH[SCREEN_SIZE_COUNT] = {5, 7, 10, 11};
inline constexpr int XY_BLOB_SIZE[SCREEN_SIZE_COUNT] = {6, 7, 8, 12};

// Left and right x of the seven columns of the modulation matrix display.
constexpr int MOD_COLUMN_COUNT = 7;
inline constexpr int MOD_COL_START[SCREEN_SIZE_COUNT][MOD_COLUMN_COUNT] = {
    {0, 36, 153, 230, 308, 445, 533},
    {0, 42, 189, 286, 383, 554, 665},
    {0, 53, 228, 344, 460, 666, 799},
    {0, 70, 304, 458, 613, 888, 1065}};
inline constexpr int MOD_COL_END[SCREEN_SIZE_COUNT][MOD_COLUMN_COUNT] = {
    {36, 153, 230, 308, 445, 533, 625},
    {42, 189, 286, 383, 554, 665, 780},
    {53, 228, 344, 460, 666, 799, 938},
    {70, 304, 458, 613, 888, 1065, 1249}};

// Left edges (five, the last closing the fourth column) and widths of the path display's
// columns: number, unit name, up arrow, down arrow.
inline constexpr int PATH_COL[SCREEN_SIZE_COUNT][5] = {
    {0, 41, 203, 238, 274}, {0, 55, 253, 297, 342}, {0, 61, 304, 358, 411}, {0, 82, 408, 480, 551}};
inline constexpr int PATH_WIDTH[SCREEN_SIZE_COUNT][4] = {
    {41, 162, 35, 35}, {55, 198, 44, 44}, {61, 243, 53, 53}, {82, 326, 71, 71}};

// Snap divisions of the wave display: off, 1/4, 1/8, 1/16, 1/32.
inline constexpr int SNAP_DIVIDE[5] = {1, 4, 8, 16, 32};

// Names of the processing stages: the voice path's six (0..5), then the FX path's five
// (6..10). pathStageName gives the name of a path's unit.
constexpr int PATH_STR_COUNT = 11;
extern const char* const PATH_STR[PATH_STR_COUNT];
const char* pathStageName(int path, int unit);

// Short value names of compact option menus, indexed by the stepped value.
constexpr int FILTER_TYPE_SHORT_COUNT = 43;
constexpr int UNI_MODE_SHORT_COUNT = 29;
constexpr int OSC_TYPE_SHORT_COUNT = 8;
constexpr int LFO_WAVE_SHORT_COUNT = 8;
constexpr int LFO_PHASE_SHORT_COUNT = 4;
constexpr int ARP_MODE_SHORT_COUNT = 16;
constexpr int ARP_STEPS_SHORT_COUNT = 16;
constexpr int ARP_RATCHET_MODE_SHORT_COUNT = 9;
extern const char* const FILTER_TYPE_SHORT_STR[FILTER_TYPE_SHORT_COUNT];
extern const char* const UNI_MODE_SHORT_STR[UNI_MODE_SHORT_COUNT];
extern const char* const OSC_TYPE_SHORT_STR[OSC_TYPE_SHORT_COUNT];
extern const char* const LFO_WAVE_SHORT_STR[LFO_WAVE_SHORT_COUNT];
extern const char* const LFO_PHASE_SHORT_STR[LFO_PHASE_SHORT_COUNT];
extern const char* const ARP_MODE_SHORT_STR[ARP_MODE_SHORT_COUNT];
extern const char* const ARP_STEPS_SHORT_STR[ARP_STEPS_SHORT_COUNT];
extern const char* const ARP_RATCHET_MODE_SHORT_STR[ARP_RATCHET_MODE_SHORT_COUNT];
