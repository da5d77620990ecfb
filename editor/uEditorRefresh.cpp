// The engine's road into the editor and the editor's two refresh passes. setParameter,
// resume, triggerOver, turnPartialOff and clearUndos may run on the audio thread: they only
// set atomic marks (a bit per tag, flags, a level). The idle pass, on the user-interface
// thread, serves the marks and is the only code that touches controls and views.
#include "editor/EditorModeTables.h"
#include "editor/ueditor.h"

#include "controls/TButtons.h"
#include "controls/TOptionMenu.h"
#include "controls/TReadouts.h"
#include "controls/TSlider.h"
#include "controls/displays/TXYScreen.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {
constexpr uint32_t kIdlePassMs = 40;
constexpr float kResumeThreshold = 0.00001f;
} // namespace

void uEditor::markTag(int tag) {
    dirtyTags[tag >> 6].fetch_or(uint64_t{1} << (tag & 63), std::memory_order_acq_rel);
}

bool uEditor::isTagMarked(int tag) const {
    if (!isValidTag(tag)) return false;
    return (dirtyTags[tag >> 6].load(std::memory_order_acquire) >> (tag & 63)) & 1u;
}

bool uEditor::isRedrawPending(int container) const {
    switch (container) {
    case 0:
        return redrawOscMod.load();
    case 1:
        return redrawEQ.load();
    case 2:
        return redrawDistortVoice.load();
    case 3:
        return redrawMultiView.load();
    default:
        return xyModesChanged.load();
    }
}

void uEditor::setParameter(int tag, float) {
    // The value shown is the engine's when the mark is served, so the argument is not kept.
    if (!finishedOpening.load(std::memory_order_acquire) || !effect || !isValidTag(tag)) return;
    raiseRedrawForTag(tag);
    markTag(tag);
    // A controller taught to a parameter moves it from the audio thread, which must not call
    // the host; the host re-reads the values at the next idle instead.
    if (std::this_thread::get_id() != uiThread.load() && isMidiLearned(tag)) requestHostDisplay();
}

bool uEditor::isMidiLearned(int tag) const {
    APlugin* engine = getEngine();
    // While a preset is applied every tag is pushed; the apply asks for the display itself.
    if (!engine || tag == 0 || engine->getIsSettingPreset()) return false;
    for (int cc = 0; cc < 128; ++cc)
        if (engine->getMIDICCTag(cc) == tag) return true;
    return false;
}

void uEditor::triggerOver() {
    overloadLevel.store(255, std::memory_order_relaxed);
}

void uEditor::clearUndos() {
    clearUndosPending.store(true, std::memory_order_release);
}

void uEditor::resume() {
    if (!finishedOpening.load(std::memory_order_acquire)) return;
    resumePending.store(true, std::memory_order_release);
    // On the user-interface thread the refresh happens at once; any other thread leaves it
    // to the next idle pass.
    if (std::this_thread::get_id() == uiThread.load()) {
        resumePending.store(false, std::memory_order_release);
        doResume();
    }
}

void uEditor::doResume() {
    APlugin* engine = getEngine();
    if (!engine || !finishedOpening || showingScreen || busy) return;
    busy = true;
    if (screenMode < 2) {
        const int screen = screenMode;
        updatePresetMenu();
        // Menus standing on the screen itself; those inside containers follow their refill.
        for (int i = 0; i < controlCount; ++i) {
            CControl* c = controls[i];
            if (!c || controlKinds[i] != kKindMenu || controlScreen[i] != screen) continue;
            if (c->getParentView() != frame || !isValidTag(c->getTag())) continue;
            const int t = c->getTag();
            if (t == tag::FilterType)
                resumeMenu(static_cast<TOptionMenu*>(c), engine->getParameter(t), 49.99f,
                           FILTER_TYPE_COUNT, FILTER_TYPE_STR);
            else if (t == tag::MainLfoSpeedModSource)
                resumeMenu(static_cast<TOptionMenu*>(c), engine->getParameter(t), 127.99f,
                           SRC_COUNT, SRC_STR);
            else
                resumeMenu(static_cast<TOptionMenu*>(c));
        }
        showXYRecordModes();
        for (int pad = 0; pad < 2; ++pad)
            if (CView* d = ui.xyDisplays[screen][pad]) d->setDirty(true);
        if (TOptionMenu* lock = ui.playLockMenus[screen])
            lock->setString(LOCK_STR[std::clamp(engine->getLockState(1), 0, LOCK_COUNT - 1)]);
        xyModesChanged = true;
        if (screen == 0) redrawOscMod = redrawEQ = redrawDistortVoice = redrawMultiView = true;
    } else {
        // The back side's settings, each read-out through the page's own formatter.
        refreshBackScreen();
    }
    // Buttons and menus follow through their own refresh, never through the registry.
    for (int i = 0; i < controlCount; ++i) {
        CControl* c = controls[i];
        const int kind = controlKinds[i];
        if (!c || !isValidTag(c->getTag()) || kind == kKindButton || kind == kKindMenu) continue;
        const float v = engine->getParameter(c->getTag());
        if (std::fabs(c->getValue() - v) > kResumeThreshold) {
            c->setValue(v);
            c->invalid();
            c->setDirty(true);
        }
    }
    busy = false;
}

void uEditor::showXYRecordModes() {
    APlugin* engine = getEngine();
    if (!engine) return;
    for (int pad = 0; pad < 2; ++pad) {
        const int mode = engine->getSteppedValue(edtables::XY_RECORD_MODE_TAGS[pad]);
        for (auto& screenRadios : ui.xyModeRadios)
            for (int k = 0; k < 3; ++k)
                if (TRadioButton* r = screenRadios[pad][k]) r->setState(mode == k);
    }
}

void uEditor::serveParameter(int tag) {
    APlugin* engine = getEngine();
    if (!engine) return;
    const float v = std::clamp(engine->getParameter(tag), 0.0f, 1.0f);
    // Every control that shows the tag follows, on whichever screen it sits. Option menus
    // follow through their own refresh, never through the registry.
    for (int i = tagControlIndex[tag]; i >= 0; i = controlNextSameTag[i]) {
        CControl* c = controls[i];
        if (!c || controlKinds[i] == kKindMenu || c->getTag() != tag) continue;
        if (c->getValue() == v) continue;
        c->setValue(v);
        c->invalid();
    }
}

// The marks left by any thread since the last pass, served in the order they matter: a whole
// refresh first, then single tags, then the engine's notices.
void uEditor::serveMarks() {
    if (resumePending.exchange(false)) doResume();
    for (int word = 0; word < 2048 / 64; ++word) {
        uint64_t bits = dirtyTags[word].exchange(0, std::memory_order_acq_rel);
        while (bits) {
            const int bit = __builtin_ctzll(bits);
            bits &= bits - 1;
            serveTagAction(word * 64 + bit);
        }
    }
    if (partialOffPending.exchange(false)) {
        for (int wave = 0; wave < 2; ++wave) {
            TRadioButton* waveform = ui.waveEditRadios[wave][0];
            TRadioButton* additive = ui.waveEditRadios[wave][1];
            waveEditMode[wave] = 0;
            if (!waveform || !additive) continue;
            waveform->setState(true);
            additive->setState(false);
        }
    }
    // A preset applied while the window is open empties the undo stacks.
    serveClearUndos();
}

void uEditor::idle() {
    APlugin* engine = getEngine();
    // A program chosen and applied since is told before the host re-reads the values.
    if (!closePending) tellChosenProgram(false);
    serveHostDisplay();
    // The host may close the editor from inside any callback: nothing more is served then.
    if (closePending) return;
    serveDialog();
    if (closePending || !frame || !engine || !finishedOpening || showingScreen ||
        creatingControls || busy)
        return;
    // The ribbon follows its spring on every call, between the throttled passes too, and on
    // the back side as well, so a drag's glide ends its edit there.
    if (ui.ribbon) {
        if (screenMode < 2) ui.ribbon->setCentered(engine->getOnOff(tag::RibbonBipolarOn));
        ui.ribbon->setCurValue();
    }
    const uint32_t t = getTicks();
    if (t - idleStamp >= kIdlePassMs) {
        idleStamp = t;
        idlePass(t);
    }
    // Window events are read on every call, so a drag follows the mouse between passes.
    if (frame) frame->idle();
}

void uEditor::idlePass(uint32_t t) {
    APlugin* engine = getEngine();
    serveMarks();
    findHoveredView();
    if (hoveredView && hoveredView == ui.modMatrixDisplay) dropMod();
    if (dropReleased) dropTag = -1;
    if (screenRefreshPending.exchange(0)) {
        if (screenMode == 0) showMainScreen();
        if (screenMode == 1) showEasyScreen();
    }
    if (screenMode == 2) {
        idleBackScreen();
        idleHover();
        return;
    }
    if (ui.editedIndicator && engine->getEditChanged() != editStateShown) {
        editStateShown = engine->getEditChanged();
        if (CBitmap* b = ui.indicatorPictures[editStateShown ? 1 : 0])
            ui.editedIndicator->setBackground(b);
        ui.editedIndicator->setDirty(true);
        ui.editedIndicator->invalid();
    }
    idleCompareButtons();
    if (engine->getBuiltinPresetIndex() != presetShown) updatePresetMenu();
    if (ui.ribbon) ui.ribbon->setModValue(engine->getModValue(ui.ribbon->getTag()), t / 100);
    if (screenMode == 1) {
        idleEasyScreen(t);
    } else {
        idleShownModValues(0);
        idleXYModes(0);
        idleSectionLooks(t);
        for (TXYScreen* pad : ui.xyDisplays[0])
            if (pad) pad->update(static_cast<int>(t / 200), xyModOn);
        if (!skipOscMod && redrawOscMod.load()) redrawOscModViewContainer();
        if (!skipEQ && redrawEQ.load()) redrawEQViewContainer();
        if (!skipDistortVoice && redrawDistortVoice.load()) redrawDistortVoiceViewContainer();
        idleMultiView(t);
        if (!skipMultiView && redrawMultiView.load()) redrawMultitViewContainer();
    }
    idleHover();
}

void uEditor::idleCompareButtons() {
    APlugin* engine = getEngine();
    if (!engine) return;
    const bool edited = engine->getEditChanged();
    for (CKickButton* button : {ui.editButton, ui.origButton}) {
        // A button held down shows its press until it is released.
        if (!button || button->isEditing()) continue;
        const bool lit = (button == ui.editButton) == edited;
        const float v = lit ? button->getMax() : button->getMin();
        if (button->getValue() == v) continue;
        button->setValue(v);
        button->invalid();
    }
}
