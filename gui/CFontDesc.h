// Font descriptions: a family, a pixel size and a style. The standard fonts below are shared by
// every editor of the process and never change; fontconfig resolves the family to an installed
// face (DejaVu Sans by default). User-interface thread only.
#pragma once

#include "gui/CBaseObject.h"

#include <string>

namespace VSTGUI {

enum CTxtFace : int32_t { kNormalFace = 0, kBoldFace = 1 << 1, kItalicFace = 1 << 2 };

class CFontDesc : public CBaseObject {
public:
    CFontDesc(std::string family, double pixelSize, int32_t style = kNormalFace)
        : name(std::move(family)), size(pixelSize), style(style) {}

    const std::string& getName() const { return name; }
    double getSize() const { return size; }
    int32_t getStyle() const { return style; }
    void setSize(double s) { size = s; }
    void setStyle(int32_t s) { style = s; }

private:
    std::string name;
    double size;
    int32_t style;
};

using CFontRef = CFontDesc*;

// The family every standard font uses.
extern const char* const kDefaultFontFamily;

// Standard fonts, from smallest to largest.
extern CFontRef const kNormalFontVerySmall;
extern CFontRef const kNormalFontSmall;
extern CFontRef const kNormalFont;
extern CFontRef const kNormalFontBig;
extern CFontRef const kNormalFontVeryBig;

} // namespace VSTGUI
