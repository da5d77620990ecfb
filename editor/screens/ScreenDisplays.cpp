// The displays the screens place, made and pointed here, each owned by the editor. Until the
// EQ curve, gate, matrix and path display classes are in the build, the screens leave their
// places empty. Host user-interface thread.
#include "editor/screens/ScreenDisplays.h"

#include "editor/ueditor.h"

#if __has_include("controls/displays/TEQDisplay.h") &&                                             \
                  __has_include("controls/displays/TGatorDisplay.h") &&                            \
                                __has_include("controls/displays/TModScreen.h") &&                 \
                                              __has_include("controls/displays/TPathDisplay.h")
#define ZEK2_SCREEN_DISPLAYS 1
#include "controls/displays/TEQDisplay.h"
#include "controls/displays/TGatorDisplay.h"
#include "controls/displays/TModScreen.h"
#include "controls/displays/TPathDisplay.h"
#endif

using namespace VSTGUI;

namespace screens {

#ifdef ZEK2_SCREEN_DISPLAYS

namespace {
template <class T> T* owned(uEditor& ed, T* view) {
    ed.own(view);
    return view;
}
} // namespace

CView* makeEQCurve(uEditor& ed, const CRect& r) {
    return owned(ed, new TEQDisplay(r, 0, &ed));
}

CView* makeGateRow(uEditor& ed, const CRect& r, int tag, bool vertical) {
    return owned(ed, new TGatorDisplay(r, &ed, tag, vertical));
}

CView* makeModMatrix(uEditor& ed, const CRect& r) {
    return owned(ed, new TModScreen(r, &ed, ed.getBig()));
}

CView* makePathList(uEditor& ed, const CRect& r, int path) {
    return owned(ed, new TPathDisplay(r, &ed, path, ed.getBig()));
}

void pointEQCurve(CView* curve, int eq, bool bypassed) {
    auto* d = dynamic_cast<TEQDisplay*>(curve);
    if (!d) return;
    d->setEQ(eq);
    d->setBypassed(bypassed);
    d->setDirty(true);
}

void showGateRow(CView* row, float pattern, float steps) {
    auto* d = dynamic_cast<TGatorDisplay*>(row);
    if (!d) return;
    d->setValue(pattern);
    d->setSteps(steps);
    d->setDirty(true);
}

#else

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

#endif

} // namespace screens
