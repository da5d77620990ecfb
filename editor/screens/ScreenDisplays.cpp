// The displays the screens place, made and pointed here. Least form until the EQ curve, gate,
// matrix and path displays are in: nothing is made, and the screens leave their places empty.
// Host user-interface thread.
#include "editor/screens/ScreenDisplays.h"

using namespace VSTGUI;

namespace screens {

CView* makeEQCurve(uEditor&, const CRect&) {
    return nullptr;
}

CView* makeGateRow(uEditor&, const CRect&, int, bool) {
    return nullptr;
}

CView* makeModMatrix(uEditor&, const CRect&) {
    return nullptr;
}

CView* makePathList(uEditor&, const CRect&, int) {
    return nullptr;
}

void pointEQCurve(CView*, int, bool) {}

void showGateRow(CView*, float, float) {}

} // namespace screens
