// What the engine tells its editor: the one way the engine reaches up to the screen. The editor
// implements it and links itself to the engine when it is made; the engine calls it only while
// the editor is open, the host's edit brackets aside. Values, refreshes and the overload come
// from any thread, the audio thread too, and only leave marks that the editor's idle pass serves;
// the updates after a stepped selector come from the editor's own commands on the
// user-interface thread.
#pragma once

class EditorLink {
public:
    // A value the engine stored, for the controls of its tag.
    virtual void setParameter(int tag, float value) = 0;
    // Every control reads the engine again (a program applied, the engine reset).
    virtual void resume() = 0;
    // The output overloaded and the auto-limit lowered the volume: the overload lamp lights.
    virtual void triggerOver() = 0;
    // The whole screen is drawn again at the next idle pass.
    virtual void requestScreenRefresh() = 0;
    // A new program was applied: the partial views close and the undo history is cleared.
    virtual void turnPartialOff() = 0;
    virtual void clearUndos() = 0;
    // The host's edit bracket of `tag` began (-1: it ended).
    virtual void setEditTag(int tag) = 0;
    // A user wave is about to change: the editor keeps an undo point of it.
    virtual void addWaveUndo() = 0;
    // A mode selector stepped from `oldStep` to `newStep`: the section's knobs swap the values
    // the editor remembers for each mode.
    virtual void updateDistortVoice(int oldStep, int newStep) = 0;
    virtual void updateDistortFX(int oldStep, int newStep) = 0;
    virtual void updateModFX(int oldStep, int newStep) = 0;
    // A pattern's length or loop start stepped: its menus and the pattern view follow.
    virtual void updateArpSteps() = 0;
    // The user-wave shaper's mode stepped to `mode`: the editor keeps an undo point of the wave
    // and writes the mode with the shaper values that go with it.
    virtual void updateShaperModeMenu(int mode) = 0;

protected:
    ~EditorLink() = default;
};
