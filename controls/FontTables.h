// Which standard font each kind of text uses at each screen size, so text grows with the
// editor. Constant after load; read on the user-interface thread.
#pragma once

#include "controls/StyleTables.h"
#include "gui/CFontDesc.h"

// Text inside controls and displays.
extern VSTGUI::CFontRef const FONT_SIZES[SCREEN_SIZE_COUNT];
// Labels made by the control factory and the screen layouts.
extern VSTGUI::CFontRef const LABEL_FONT_SIZES[SCREEN_SIZE_COUNT];
// Menu-button captions and the larger labels; one step larger at 125 and 150 percent.
extern VSTGUI::CFontRef const BIG_LABEL_FONT_SIZES[SCREEN_SIZE_COUNT];
