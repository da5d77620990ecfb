// Drawing additions over the draw context. User-interface thread.
#include "controls/DrawHelpers.h"

void fillRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context) {
    if (context) context->drawRect(rect, VSTGUI::kDrawFilled);
}

void drawRectExt(VSTGUI::CRect rect, VSTGUI::CDrawContext* context) {
    if (context) context->drawRect(rect, VSTGUI::kDrawStroked);
}

void lineAA(VSTGUI::CDrawContext* context, VSTGUI::CPoint a, VSTGUI::CPoint b) {
    if (context) context->drawLine(a, b);
}
