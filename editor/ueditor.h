// The synthesizer's one editor object. The engine creates it and registers it as the plug-in's
// editor; the host opens, idles and closes it from its user-interface thread, while the engine
// may push values into it from any thread.
#pragma once

#include "vst2/AEffEditor.h"

#include <atomic>

class AudioEffect;

class uEditor : public AEffEditor {
public:
    // Size of the main screen at 100 percent, in pixels.
    static constexpr int kMainWidth = 1000;
    static constexpr int kMainHeight = 640;
    static constexpr float SCALE[4] = {1.0f, 1.25f, 1.5f, 2.0f};

    explicit uEditor(AudioEffect* effect);
    ~uEditor() override = default;

    bool open(void* parentWindow) override;
    void close() override;

    // Engine to editor: every engine value into its control.
    void resume();
    // Engine to editor: one value into the control of its tag.
    void setParameter(int tag, float value);
    void setEditTag(int tag);
    void clearUndos();
    void turnPartialOff();

    // After a mode selector moved: swap the remembered values of the section's knobs.
    void updateDistortVoice(int oldStep, int newStep);
    void updateDistortFX(int oldStep, int newStep);
    void updateModFX(int oldStep, int newStep);
    void updateArpSteps();
    void updateShaperModeMenu(int mode);
    // Records an undo point of the wave display before a user wave changes.
    void addWaveUndo();

    int getScreenSizeIndex() const { return screenSizeIndex; }
    // The arpeggiator pattern (0 or 1) selected in the arpeggiator screen; least form: A.
    int getSelectedArp() const { return 0; }

    // Raised by the engine after it replaced the sound; the idle pass shows the screen again.
    std::atomic<unsigned char> screenRefreshPending{0};

private:
    int screenSizeIndex = 0;
    int editTag = -1;
};
