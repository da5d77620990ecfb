// The editor side of the VST 2.4 binding: the base an editor derives from, reached by the
// effect's dispatcher on the host's user-interface thread.
#pragma once

#include "vst2/VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    // Registers itself with the effect, which sets the record's has-editor flag.
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    virtual bool getRect(ERect** rect);
    virtual bool open(void* ptr) {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    // The host closed the editor, or the plug-in, from inside a callback made while one of the
    // editor's own calls was on the stack: the editor serves nothing more, and `close` (or the
    // plug-in's deletion) follows when the host's outermost call into the plug-in has returned.
    virtual void closeRequested() {}
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode&) { return false; }
    virtual bool onKeyUp(VstKeyCode&) { return false; }
    virtual bool onWheel(float) { return false; }
    // One knob mode shared by every editor of the process.
    virtual bool setKnobMode(VstInt32 mode);
    static VstInt32 getKnobMode();

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
    ERect rect{0, 0, 0, 0};
};
