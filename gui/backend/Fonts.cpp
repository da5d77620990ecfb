// The standard fonts shared by every editor of the process. Sizes are pixels; each step is
// about a quarter larger, so a table indexed by screen size keeps text in proportion.
#include "gui/CFontDesc.h"

namespace VSTGUI {

const char* const kDefaultFontFamily = "DejaVu Sans";

namespace {
// Static objects: they live as long as the library, and their addresses are constants, so the
// font tables of other units may point at them from their own load-time initialisers.
struct StandardFont : CFontDesc {
    explicit StandardFont(double size) : CFontDesc(kDefaultFontFamily, size) {}
    ~StandardFont() override = default;
};
StandardFont verySmall(9);
StandardFont small(11);
StandardFont normal(13);
StandardFont big(15);
StandardFont veryBig(18);
} // namespace

CFontRef const kNormalFontVerySmall = &verySmall;
CFontRef const kNormalFontSmall = &small;
CFontRef const kNormalFont = &normal;
CFontRef const kNormalFontBig = &big;
CFontRef const kNormalFontVeryBig = &veryBig;

} // namespace VSTGUI
