// Construction, rectangle and window life of the editor (host user-interface thread).
#include "editor/ueditor.h"

#include "engine/APlugin.h"
#include "engine/params/StringTables.h"
#include "platform/prefs.h"
#include "vst2/AudioEffect.h"

uEditor::uEditor(AudioEffect* owner) : AEffEditor(owner) {
    // Read in this order; the last size that is switched on wins, none on is 100 percent.
    for (int index = 1; index < 4; ++index)
        if (getRegisterIsOn(REG_SCREEN_SIZE_STR[index], false)) screenSizeIndex = index;
    const float scale = SCALE[screenSizeIndex];
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(kMainHeight * scale);
    rect.right = static_cast<VstInt16>(kMainWidth * scale);
}

// No window can be built yet: the host is told the editor did not open.
bool uEditor::open(void*) {
    return false;
}

void uEditor::close() {
    systemWindow = nullptr;
}

void uEditor::resume() {}

void uEditor::setParameter(int, float) {}

void uEditor::setEditTag(int tag) {
    editTag = (tag >= 0 && tag < 2048) ? tag : -1;
}

void uEditor::clearUndos() {}

void uEditor::turnPartialOff() {}

// The section controls do not exist until the editor's screens are built; until then there is
// nothing to swap or redraw.
void uEditor::updateDistortVoice(int, int) {}
void uEditor::updateDistortFX(int, int) {}
void uEditor::updateModFX(int, int) {}
void uEditor::updateArpSteps() {}
void uEditor::addWaveUndo() {}

void uEditor::updateShaperModeMenu(int mode) {
    // The shaper mode is stored even while no display shows it.
    if (auto* engine = static_cast<APlugin*>(getEffect())) engine->setSteppedValue(1005, mode);
}
