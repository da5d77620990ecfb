// Computer keys and program stepping: with keyboard control on, the up and down arrows step
// through the built-in bank, at most once per 300 ms; every other key is the host's. Host
// user-interface thread.
#include "editor/ueditor.h"

#include "engine/APlugin.h"
#include "vst2/VstInterface.h"

namespace {
// Virtual key codes of the VST key record.
constexpr unsigned char kVirtUp = 12;
constexpr unsigned char kVirtRight = 13;
constexpr unsigned char kVirtDown = 14;
constexpr unsigned char kVirtPageUp = 15;
constexpr unsigned char kVirtPageDown = 16;
constexpr uint32_t kProgramStepMs = 300;
constexpr int32_t kHandled = 1;
constexpr int32_t kNotHandled = -1;
} // namespace

int32_t uEditor::onKeyDown(const VstKeyCode& key, VSTGUI::CFrame*) {
    if (!keyboardOn || key.virt < kVirtUp || key.virt > kVirtPageDown) return kNotHandled;
    switch (key.virt) {
    case kVirtUp:
        programStep(-1);
        return kHandled;
    case kVirtDown:
        programStep(+1);
        return kHandled;
    case kVirtPageUp:
    case kVirtPageDown:
        return kHandled;
    case kVirtRight:
    default:
        return kNotHandled;
    }
}

// The keys the window takes for itself: only the two arrows that step, and only as long as
// keyboard control is on. The page keys step nothing, so they stay the host's even though a
// host that hands them to the editor hears them answered as handled.
uint32_t uEditor::getUsedKeys() const {
    if (!keyboardOn) return 0;
    return (1u << kVirtUp) | (1u << kVirtDown);
}

int32_t uEditor::onKeyUp(const VstKeyCode&, VSTGUI::CFrame*) {
    return kNotHandled;
}

void uEditor::changeProgramDelta(int delta, bool) {
    programStep(delta);
}

void uEditor::programStep(int delta) {
    APlugin* engine = getEngine();
    if (!engine || engine->getIsSettingPreset()) return;
    const uint32_t t = getTicks();
    lastProgramStepAttempt = t;
    // A clock that went back must not block stepping: the next step is taken at once.
    if (t < programStepStamp) programStepStamp = t - (kProgramStepMs + 1);
    if (t - programStepStamp < kProgramStepMs) return;
    programStepStamp = t;
    programTold([engine, delta] { engine->changeDemoProgramDelta(delta); });
    resume();
}
