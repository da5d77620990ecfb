// Showing the Easy screen and the back side, and leaving the back side: the frame is emptied
// without releasing its views, takes the screen's background and adds the screen's views in
// their drawing order, then every control is brought in line with the engine. Host
// user-interface thread.
#include "controls/TButtons.h"
#include "editor/screens/ScreenDisplays.h"
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"

using namespace VSTGUI;

namespace {
void addAll(CFrame* frame, CView* const* views, int count) {
    for (int i = 0; i < count; ++i)
        if (views[i] && !views[i]->isAttached()) frame->addView(views[i]);
}
} // namespace

void uEditor::showEasyScreen() {
    APlugin* engine = getEngine();
    if (!frame || !engine || showingScreen) return;
    showingScreen = true;
    frame->removeAll(false);
    frame->invalidRect(frame->getViewSize());
    frame->setDirty(false);
    frame->setBackground(getSkinBitmap(skin::kEasyBackground));
    showTop();
    // Captions, buttons, knobs and switches, sliders, menus, pads, the filter type menu, the EQ
    // radios, the curve, the gate rows, the pulses and the ribbon strip, as the layout lists.
    addAll(frame, ui.easyViews, edlayout::kEasyViews);
    const int e = getSelectedEQ() & 1;
    for (int i = 0; i < 2; ++i)
        if (TRadioButton* r = ui.eqRadios[1][i]) r->setState(i == e);
    updateEasyEQ();
    const float steps = engine->getParameter(tag::GaterSteps);
    screens::showGateRow(ui.gateDisplays[1][0], engine->getParameter(tag::GaterLeft), steps);
    screens::showGateRow(ui.gateDisplays[1][1], engine->getParameter(tag::GaterRight), steps);
    showingScreen = false;
    screenMode = 1;
    resume();
    frame->setDirty(true);
}

void uEditor::showBackScreen() {
    if (!frame || !getEngine()) return;
    frame->removeAll(false);
    frame->invalidRect(frame->getViewSize());
    frame->setDirty(false);
    screenMode = 2;
    frame->setBackground(getSkinBitmap(skin::kBackSideBackground));
    addAll(frame, ui.backViews, edlayout::kBackViews);
    refreshBackScreen();
    frame->setDirty(true);
}

void uEditor::hideBackScreen() {
    if (!frame) return;
    frame->removeAll(false);
    frame->invalidRect(frame->getViewSize());
    frame->setDirty(false);
    frame->setBackground(getSkinBitmap(skin::kMainBackground));
    resume();
    showMainScreen();
}
