// The editor binding: host calls into the frame, control edits to the host, the tick clock.
// Host user-interface thread.
#include "editor/AEffGUIEditor.h"

#include "vst2/AudioEffectX.h"

#include <atomic>
#include <ctime>

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect) {}

bool AEffGUIEditor::open(void* parentWindow) {
    systemWindow = parentWindow;
    return true;
}

void AEffGUIEditor::idle() {
    if (frame) frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    return frame && frame->onKeyDown(key) == 1;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    return frame && frame->onKeyUp(key) == 1;
}

bool AEffGUIEditor::onWheel(float distance) {
    if (!frame) return false;
    VSTGUI::CPoint where;
    frame->getCurrentMouseLocation(where);
    return frame->platformWheel(where, distance, frame->getCurrentMouseButtons());
}

void AEffGUIEditor::beginEdit(int32_t tag) {
    if (tag < 0 || tag >= kTagCount) return;
    if (openEdits[tag]++ > 0) return;
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) fx->beginEdit(tag);
}

void AEffGUIEditor::endEdit(int32_t tag) {
    if (tag < 0 || tag >= kTagCount || openEdits[tag] == 0) return;
    if (--openEdits[tag] > 0) return;
    if (tag == editPastRelease) editPastRelease = -1;
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) fx->endEdit(tag);
}

bool AEffGUIEditor::isEditOpen(int32_t tag) const {
    return tag >= 0 && tag < kTagCount && openEdits[tag] > 0;
}

void AEffGUIEditor::endAllEdits(bool sparePastRelease) {
    for (int32_t tag = 0; tag < kTagCount; ++tag)
        if (openEdits[tag] > 0 && !(sparePastRelease && tag == editPastRelease)) {
            openEdits[tag] = 1;
            endEdit(tag);
        }
}

void AEffGUIEditor::serveHostDisplay() {
    if (!hostDisplayPending.exchange(false, std::memory_order_acq_rel)) return;
    if (auto* fx = dynamic_cast<AudioEffectX*>(effect)) fx->updateDisplay();
}

namespace {
std::atomic<AEffGUIEditor::TickSource> tickSource{nullptr};
}

void AEffGUIEditor::setTickSource(TickSource source) {
    tickSource.store(source);
}

uint32_t AEffGUIEditor::getTicks() {
    if (TickSource source = tickSource.load()) return source() * 1000u / 60u;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ticks = static_cast<uint64_t>(ts.tv_sec) * 60u +
                           static_cast<uint64_t>(ts.tv_nsec) * 60u / 1000000000u;
    return static_cast<uint32_t>(ticks * 1000u / 60u);
}
