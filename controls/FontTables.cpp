// The font tables by screen size. The standard fonts have constant addresses, so these tables
// are ready before any initialiser runs. User-interface thread.
#include "controls/FontTables.h"

using namespace VSTGUI;

CFontRef const FONT_SIZES[SCREEN_SIZE_COUNT] = {kNormalFontVerySmall, kNormalFontSmall, kNormalFont,
                                                kNormalFontVeryBig};
CFontRef const LABEL_FONT_SIZES[SCREEN_SIZE_COUNT] = {kNormalFontVerySmall, kNormalFontSmall,
                                                      kNormalFont, kNormalFontVeryBig};
CFontRef const BIG_LABEL_FONT_SIZES[SCREEN_SIZE_COUNT] = {kNormalFontSmall, kNormalFont,
                                                          kNormalFontBig, kNormalFontVeryBig};
