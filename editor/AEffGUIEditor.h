// The binding between the VST 2.4 editor base and the view layer: it keeps the frame, hands
// the host's idle, key and wheel calls to it, reports control edits to the host and gives the
// editor's millisecond clock. Host user-interface thread.
#pragma once

#include "gui/CFrame.h"
#include "vst2/AEffEditor.h"

#include <atomic>
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

    // Edit brackets to the host, for parameter tags only (0..2047): anything else is no
    // parameter and the host never hears of it. Brackets of one tag nest, so a control and a
    // display that both bracket the same gesture give the host one beginEdit and one endEdit.
    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;
    bool isEditOpen(int32_t tag) const;
    // Ends every bracket still open (a gesture cut short by closing the window); with
    // `sparePastRelease` the one kept past the release stays open.
    void endAllEdits(bool sparePastRelease = false);
    // A gesture whose view lost the mouse (taken off the screen mid-drag) still ends for the
    // host at the release.
    void mouseReleased() override { endAllEdits(true); }
    // The open bracket of `tag` outlives the mouse release (the ribbon's glide back to rest
    // belongs to the drag); its own endEdit closes it, or the window's closing.
    void keepEditPastRelease(int32_t tag) { editPastRelease = tag; }
    // Asks the host to re-read every parameter's value and name, once, at the next idle call
    // on the user-interface thread; any thread may ask, several asks give one call.
    void requestHostDisplay() { hostDisplayPending.store(true, std::memory_order_release); }
    bool isHostDisplayPending() const { return hostDisplayPending.load(); }
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
    // The host's updateDisplay when one was asked for; the editor's idle calls it.
    void serveHostDisplay();

    VSTGUI::CFrame* frame = nullptr;

private:
    static constexpr int kTagCount = 2048;
    uint16_t openEdits[kTagCount] = {};
    int32_t editPastRelease = -1;
    std::atomic<bool> hostDisplayPending{false};
};
