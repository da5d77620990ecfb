// Showing the screens: the frame is emptied (the views stay alive) and the chosen screen's
// views are added again in drawing order. The main screen's top bar and its five view
// containers come first. Host user-interface thread.
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "engine/APlugin.h"
#include "engine/params/StringTables.h"

#include <algorithm>

using namespace VSTGUI;

namespace {
void addAll(CViewContainer* to, CView* const* views, int count) {
    for (int i = 0; i < count; ++i)
        if (views[i]) to->addView(views[i]);
}

void setRadios(TRadioButton* const* radios, int count, int selected) {
    for (int i = 0; i < count; ++i)
        if (radios[i]) radios[i]->setState(i == selected);
}
} // namespace

void uEditor::showMainScreen() {
    if (!frame || mainScreenGuard) return;
    mainScreenGuard = true;
    skipMultiView = false;
    frame->removeAll(false);
    frame->invalidRect(frame->getViewSize());
    frame->setDirty(false);
    frame->setBackground(getSkinBitmap(skin::kMainBackground));
    screenMode = 0;
    showMainScreenControls();
    resume();
    frame->setDirty(true);
    mainScreenGuard = false;
}

void uEditor::showMainScreenControls() {
    APlugin* engine = getEngine();
    if (!engine || showingScreen || !frame) return;
    showingScreen = true;
    for (CViewContainer* c : {oscModContainer[0], oscModContainer[1], eqContainer,
                              distortVoiceContainer, multiViewContainer})
        if (c) frame->addView(c);
    showTop();
    // The layout lists the section menu buttons, labels, knobs, switches, sliders, menus and
    // displays in the order they draw; the radio groups show their selections.
    addAll(frame, ui.mainViews, edlayout::kMainViews);
    for (int osc = 0; osc < 2; ++osc) setRadios(ui.oscPageRadios[osc], 3, oscPage[osc]);
    setRadios(ui.eqRadios[0], 2, selectedEQ);
    setRadios(ui.pageRadios, skin::kPageCount, multiViewPage);
    if (TOptionMenu* lock = ui.playLockMenus[0])
        lock->setString(LOCK_STR[std::clamp(engine->getLockState(1), 0, LOCK_COUNT - 1)]);
    showingScreen = false;
}

void uEditor::showTop() {
    if (!getEngine() || !frame) return;
    CView* const bar[] = {ui.presetMenu,    ui.folderMenu, ui.previewButton,  ui.editedIndicator,
                          ui.editButton,    ui.origButton, ui.ecsMenu,        ui.helpButton,
                          ui.easyButton,    ui.backButton, ui.settingsButton, ui.parameterName,
                          ui.parameterValue};
    // The preset columns are submenus of the preset menu, never views of their own: on the
    // frame they would lie over the preset menu and take its clicks.
    for (CView* v : bar)
        if (v && !v->isAttached()) frame->addView(v);
    addAll(frame, ui.topViews, edlayout::kTopViews);
    updatePresetMenu();
}

void uEditor::updatePresetMenu() {
    APlugin* engine = getEngine();
    if (!finishedOpening || !engine || !ui.presetMenu) return;
    char name[64] = {};
    presetShown = engine->getBuiltinPresetIndex();
    engine->getProgramName(name);
    ui.presetMenu->setString(name);
}

void uEditor::setMultiViewPage(int page) {
    if (page < 0 || page >= skin::kPageCount) return;
    multiViewPage = page;
    redrawMultiView = true;
}
