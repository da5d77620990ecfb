// The plug-in side of the basic VST 2.4 interface: owns the AEffect record, turns the host's
// calls on it into virtual calls, answers opcodes 0 to 24 and wraps the basic host requests.
// Called from the host's user-interface and audio threads; it holds no lock.
#pragma once

#include "vst2/VstInterface.h"

#include <pthread.h>

#include <atomic>
#include <thread>

class AEffEditor;

// glibc ends a thread (pthread_exit, a cancel) by an unwind that the catch-alls of the entry
// paths let pass as abi::__forced_unwind; it carries no object, so the sanitizer's check of the
// reference a handler binds is off in the functions that catch it.
#define ZEK2_CATCHES_FORCED_UNWIND __attribute__((no_sanitize("null")))

// A host may cancel one of its threads while it is inside one of our calls. A cancel acting at
// a cancellation point of ours (a dialog reaped or the X server synced in a destructor, which
// may not unwind) would end the host, so it is held off for the whole call, the host's
// callbacks included, and acts at the host's next cancellation point after the call returns.
// Each entry point holds one first thing; nested calls keep it held.
class HostCancelHold {
public:
    HostCancelHold() { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous); }
    ~HostCancelHold() { pthread_setcancelstate(previous, nullptr); }
    HostCancelHold(const HostCancelHold&) = delete;
    HostCancelHold& operator=(const HostCancelHold&) = delete;

private:
    int previous = PTHREAD_CANCEL_ENABLE;
};

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Without double-precision processing (the record's flag clear) a host that calls anyway
    // gets silence, never whatever its buffers held.
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);
    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual VstInt32 getProgram() { return curProgram.load(); }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char*) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);
    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state) { setFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }
    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);
    virtual void __processDeprecated(float**, float**, VstInt32) {}
    virtual float __getVuDeprecated() { return 0.0f; }
    virtual void __hasVuDeprecated(bool state) { setFlag(effFlagsHasVu, state); }
    virtual void __hasClipDeprecated(bool state) { setFlag(effFlagsHasClip, state); }
    virtual void __canMonoDeprecated(bool state) { setFlag(effFlagsCanMono, state); }
    virtual void __setRealtimeQualitiesDeprecated(VstInt32 q) { cEffect.realQualities = q; }
    virtual void __setOfflineQualitiesDeprecated(VstInt32 q) { cEffect.offQualities = q; }

    // Not virtual: the editor registers itself here from its constructor.
    void setEditor(AEffEditor* newEditor);

    // Entry points installed in the record; each finds the object through AEffect::object.
    static VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index,
                                         VstIntPtr value, void* ptr, float opt);
    static float getParameterClass(AEffect* e, VstInt32 index);
    static void setParameterClass(AEffect* e, VstInt32 index, float value);
    static void __processClassDeprecated(AEffect* e, float** inputs, float** outputs,
                                         VstInt32 sampleFrames);
    static void processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                      VstInt32 sampleFrames);
    static void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                            VstInt32 sampleFrames);

protected:
    void setFlag(VstInt32 bit, bool state) {
        cEffect.flags &= ~bit;
        if (state) cEffect.flags |= bit;
    }
    // The host callback, answering `fallback` without a host.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt,
                       VstIntPtr fallback);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    // Written by a selection and by a load, which may come from two of the host's threads.
    std::atomic<VstInt32> curProgram{0};
    AEffect cEffect;

private:
    // The plug-in's code calls the host from inside the host's calls into it (the render asks
    // for the time, the editor sends an edit bracket, a resume asks for MIDI), and the host may
    // answer by closing the editor or the whole plug-in. What is on that thread's stack must
    // outlive the answer: such a close is recorded and carried out when the thread's outermost
    // call into this instance has returned. Each thread inside a call holds one slot, found
    // without a lock, so the render pays a few atomic loads and one exchange a block.
    struct CallSlot {
        std::atomic<std::thread::id> thread{}; // none while free
        // The rest belongs to the thread holding the slot.
        int depth = 0;
        int editorDepth = 0; // of those calls, the ones that run the editor's code
        bool closeEditor = false;
        bool closeEffect = false;
    };
    // Holds the calling thread's slot for the length of one host call.
    class HostCall {
    public:
        HostCall(AudioEffect* effect, bool entersEditor);
        // Runs as the stack unwinds too, when the host's thread ends inside one of our
        // callbacks; what it carries out then (a close asked inside the call) may unwind again.
        ~HostCall() noexcept(false);
        HostCall(const HostCall&) = delete;
        HostCall& operator=(const HostCall&) = delete;

    private:
        AudioEffect* effect;
        CallSlot* slot;
        bool editorCall;
    };
    CallSlot* enterCall();
    // The calling thread's slot while one of its calls is on its stack, else null.
    CallSlot* ownSlot();
    // The outermost call of the slot's thread has returned: the closes asked inside it follow.
    void leaveCall(CallSlot& slot);
    VstIntPtr closeFromHost();
    void closeEditorFromHost();
    static void closeAndDelete(AudioEffect* effect);

    // More threads than this inside calls at once is beyond any host; a call that finds no free
    // slot is served untracked.
    static constexpr int kCallSlots = 8;
    CallSlot callSlots[kCallSlots];
    // The editor's close is asked for or running: it is not entered, opened or closed again.
    std::atomic<bool> editorClosing{false};
    // Set once the host has closed the plug-in: it is not called again, from any thread.
    std::atomic<bool> closedByHost{false};
};
