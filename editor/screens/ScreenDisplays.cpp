// The displays the screens place, made and pointed here, each owned by the editor. Host
// user-interface thread.
#include "editor/screens/ScreenDisplays.h"

#include "editor/ueditor.h"

#include "controls/displays/TEQDisplay.h"
#include "controls/displays/TGatorDisplay.h"
#include "controls/displays/TModScreen.h"
#include "controls/displays/TPathDisplay.h"

using namespace VSTGUI;

namespace screens {

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
    auto* row = owned(ed, new TGatorDisplay(r, &ed, tag, vertical));
    // The row draws the pattern it holds and a click edits that one: registered under its
    // tag, it takes the sound's pattern with every refresh and every push, on any screen.
    ed.addControl(row, uEditor::kKindDisplay);
    return row;
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

void lightGateRow(CView* row, bool on) {
    auto* d = dynamic_cast<TGatorDisplay*>(row);
    if (!d || d->isOn() == on) return;
    d->setOn(on);
    d->setDirty(true);
}

} // namespace screens
