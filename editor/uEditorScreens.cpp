// Showing the main screen and refilling its view containers. Screens switch by detaching the
// frame's views and adding the chosen screen's views again; containers are refilled only from
// the idle pass, when their redraw request is set. Host user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

using namespace VSTGUI;

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
    if (!getEngine() || showingScreen || !frame) return;
    showingScreen = true;
    for (CViewContainer* c : {oscModContainer[0], oscModContainer[1], eqContainer,
                              distortVoiceContainer, multiViewContainer})
        if (c) frame->addView(c);
    showTop();
    showingScreen = false;
}

// The top bar's controls join here as the main screen's layout is built.
void uEditor::showTop() {}

void uEditor::redrawOscModViewContainer() {
    if (!oscModContainer[0] || !oscModContainer[1] || !getEngine() || skipOscMod) return;
    skipOscMod = true;
    redrawOscMod = false;
    for (CViewContainer* c : oscModContainer) {
        if (c->getNbViews() > 0) c->removeAll(false);
        c->setBackground(getSkinBitmap(skin::kOscModBackground));
        c->invalid();
    }
    skipOscMod = false;
}

void uEditor::redrawEQViewContainer() {
    if (!eqContainer || !getEngine() || skipEQ) return;
    skipEQ = true;
    redrawEQ = false;
    if (eqContainer->getNbViews() > 0) eqContainer->removeAll(false);
    eqContainer->setBackground(getSkinBitmap(skin::kEQBackground));
    eqContainer->invalid();
    skipEQ = false;
}

void uEditor::redrawDistortVoiceViewContainer() {
    if (!distortVoiceContainer || !getEngine() || skipDistortVoice) return;
    skipDistortVoice = true;
    redrawDistortVoice = false;
    if (distortVoiceContainer->getNbViews() > 0) distortVoiceContainer->removeAll(false);
    distortVoiceContainer->setBackground(getSkinBitmap(skin::kDistortVoiceBackground));
    distortVoiceContainer->invalid();
    skipDistortVoice = false;
}

void uEditor::redrawMultitViewContainer() {
    if (!multiViewContainer || !getEngine() || skipMultiView) return;
    skipMultiView = true;
    redrawMultiView = false;
    if (multiViewContainer->getNbViews() > 0) multiViewContainer->removeAll(false);
    // The page pictures were decoded when the editor opened; a refill only points at one.
    multiViewContainer->setBackground(getPageBackground(multiViewPage));
    multiViewContainer->invalid();
    skipMultiView = false;
}

void uEditor::setMultiViewPage(int page) {
    if (page < 0 || page >= skin::kPageCount) return;
    multiViewPage = page;
    redrawMultiView = true;
}

// The preset menu shows the current preset's name once the top bar exists.
void uEditor::updatePresetMenu() {}
