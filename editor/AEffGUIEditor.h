// The binding between the VST 2.4 editor base and the view layer: it keeps the frame, hands
// the host's idle, key and wheel calls to it, reports control edits to the host and gives the
// editor's millisecond clock. Host user-interface thread.
#pragma once

#include "gui/CFrame.h"
#include "vst2/AEffEditor.h"

#include <cstdint>

class AEffGUIEditor : public AEffEditor, public VSTGUI::VSTGUIEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override = default;

    bool open(void* parentWindow) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    // The host's wheel, at the frame's current mouse location and buttons.
    bool onWheel(float distance) override;

    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;
    int32_t getKnobMode() const override { return AEffEditor::getKnobMode(); }
    VSTGUI::CFrame* getFrame() const override { return frame; }
    virtual void doIdleStuff() { idle(); }

    // Milliseconds of a 60-tick-a-second clock: ticks x 1000 / 60, unsigned 32-bit, so it
    // moves in steps of 16 or 17 ms.
    static uint32_t getTicks();
    // Tests replace the 60 Hz tick counter; null returns to the monotonic clock.
    using TickSource = uint32_t (*)();
    static void setTickSource(TickSource source);

protected:
    VSTGUI::CFrame* frame = nullptr;
};
