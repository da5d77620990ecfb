// The editor base: registration with the effect, the rectangle hand-out and the knob mode
// shared by every editor of the process. Called on the host's user-interface thread.
#include "vst2/AEffEditor.h"

#include "vst2/AudioEffect.h"

#include <atomic>

namespace {
std::atomic<VstInt32> knobMode{0};
}

AEffEditor::AEffEditor(AudioEffect* owner) : effect(owner) {
    if (effect) effect->setEditor(this);
}

bool AEffEditor::getRect(ERect** outRect) {
    if (!outRect) return false;
    *outRect = &rect;
    return true;
}

bool AEffEditor::setKnobMode(VstInt32 mode) {
    knobMode.store(mode);
    return true;
}

VstInt32 AEffEditor::getKnobMode() {
    return knobMode.load();
}
