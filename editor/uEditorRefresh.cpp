// The engine's road into the editor. setParameter, resume, triggerOver, turnPartialOff and
// clearUndos may run on the audio thread: they only set atomic marks (a bit per tag, flags, a
// level). The idle pass, on the user-interface thread, serves the marks and is the only code
// that touches controls and views.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

namespace {
constexpr uint32_t kIdlePassMs = 40;
constexpr float kResumeThreshold = 0.00001f;
constexpr int kOverloadFadeStep = 10;
constexpr int kKindButton = 0;
constexpr int kKindOptionMenu = 2;
} // namespace

void uEditor::markTag(int tag) {
    dirtyTags[tag >> 6].fetch_or(uint64_t{1} << (tag & 63), std::memory_order_acq_rel);
}

bool uEditor::isTagMarked(int tag) const {
    if (!isValidTag(tag)) return false;
    return (dirtyTags[tag >> 6].load(std::memory_order_acquire) >> (tag & 63)) & 1u;
}

void uEditor::raiseRedrawForTag(int tag) {
    if (tag == 333 || tag == 334) redrawDistortVoice = true;
    if (tag >= 306 && tag <= 331) redrawEQ = true;
    if ((tag >= 18 && tag <= 32) || (tag >= 41 && tag <= 55)) redrawOscMod = true;
    if ((tag >= 379 && tag <= 490) || (tag >= 513 && tag <= 777)) redrawMultiView = true;
    if (tag == 779 || tag == 780 || tag == 787 || tag == 788) xyModesChanged = true;
}

void uEditor::setParameter(int tag, float) {
    // The value shown is the engine's when the mark is served, so the argument is not kept.
    if (!finishedOpening.load(std::memory_order_acquire) || !effect || !isValidTag(tag)) return;
    raiseRedrawForTag(tag);
    markTag(tag);
}

void uEditor::triggerOver() {
    overloadLevel.store(255, std::memory_order_relaxed);
}

void uEditor::turnPartialOff() {
    partialOffPending.store(true, std::memory_order_release);
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
    if (screenMode == 0) {
        updatePresetMenu();
        xyModesChanged = redrawOscMod = redrawEQ = redrawDistortVoice = redrawMultiView = true;
    } else if (screenMode == 1) {
        updatePresetMenu();
        xyModesChanged = true;
    }
    for (int i = 0; i < controlCount; ++i) {
        CControl* c = controls[i];
        const int kind = controlKinds[i];
        if (!c || !isValidTag(c->getTag()) || kind == kKindButton || kind == kKindOptionMenu)
            continue;
        const float v = engine->getParameter(c->getTag());
        if (std::fabs(c->getValue() - v) > kResumeThreshold) {
            c->setValue(v);
            c->invalid();
            c->setDirty(true);
        }
    }
    busy = false;
}

void uEditor::serveParameter(int tag) {
    APlugin* engine = getEngine();
    if (!engine) return;
    const float v = std::clamp(engine->getParameter(tag), 0.0f, 1.0f);
    // Every control that shows the tag follows, on whichever screen it sits. Option menus
    // follow through their own refresh, never through the registry.
    for (int i = tagControlIndex[tag]; i >= 0; i = controlNextSameTag[i]) {
        CControl* c = controls[i];
        if (!c || controlKinds[i] == kKindOptionMenu || c->getTag() != tag) continue;
        if (c->getValue() == v) continue;
        c->setValue(v);
        c->invalid();
    }
}

void uEditor::serveMarks() {
    if (resumePending.exchange(false)) doResume();
    for (int word = 0; word < 2048 / 64; ++word) {
        uint64_t bits = dirtyTags[word].exchange(0, std::memory_order_acq_rel);
        while (bits) {
            const int bit = __builtin_ctzll(bits);
            bits &= bits - 1;
            serveParameter(word * 64 + bit);
        }
    }
    if (partialOffPending.exchange(false)) waveEditMode[0] = waveEditMode[1] = 0;
    // The section model's undo levels are cleared here once it exists; nothing is kept yet.
    clearUndosPending.exchange(false);
    if (screenRefreshPending.exchange(0) && screenMode == 0) showMainScreen();
    if (!skipOscMod && redrawOscMod.exchange(false)) redrawOscModViewContainer();
    if (!skipEQ && redrawEQ.exchange(false)) redrawEQViewContainer();
    if (!skipDistortVoice && redrawDistortVoice.exchange(false)) redrawDistortVoiceViewContainer();
    if (!skipMultiView && redrawMultiView.exchange(false)) redrawMultitViewContainer();
    // The overload mark fades in steps; the main volume's label shows it once it exists.
    const int level = overloadLevel.load(std::memory_order_relaxed);
    if (level > 0) overloadLevel.store(std::max(0, level - kOverloadFadeStep));
}

void uEditor::idle() {
    if (!frame || !effect || !finishedOpening || showingScreen || creatingControls || busy) return;
    const uint32_t t = getTicks();
    if (t - idleStamp >= kIdlePassMs) {
        idleStamp = t;
        serveMarks();
    }
    // Window events are read on every call, so a drag follows the mouse between passes.
    if (frame) frame->idle();
}
