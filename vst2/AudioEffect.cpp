// The basic VST 2.4 effect: record set-up, opcodes 0 to 24, basic host requests and the
// value-to-text helpers. Host threads call in through the static entry points.
#include "vst2/AudioEffect.h"

#include "vst2/AEffEditor.h"

#include <cxxabi.h>

#include <cmath>
#include <cstdint>
#include <cstring>

AudioEffect::AudioEffect(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : audioMaster(master), numPrograms(programs), numParams(params) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = __processClassDeprecated;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
    editor = nullptr;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt, VstIntPtr fallback) {
    if (!audioMaster || closedByHost.load(std::memory_order_acquire)) return fallback;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

// ---------------------------------------------------------------------------------------------
// Static entry points

static AudioEffect* objectOf(AEffect* e) {
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

namespace {
// The opcodes that run the editor's own code, which may call the host back; the vendor calls
// carry the host's mouse wheel to it.
bool entersEditor(VstInt32 opcode) {
    return opcode == effEditOpen || opcode == effEditIdle || opcode == effEditKeyDown ||
           opcode == effEditKeyUp || opcode == effVendorSpecific;
}
} // namespace

ZEK2_CATCHES_FORCED_UNWIND VstIntPtr AudioEffect::dispatchEffectClass(AEffect* e, VstInt32 opcode,
                                                                      VstInt32 index,
                                                                      VstIntPtr value, void* ptr,
                                                                      float opt) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return 0;
    const HostCancelHold held;
    if (opcode == effClose) return effect->closeFromHost();
    if (opcode == effEditClose) {
        effect->closeEditorFromHost();
        return 0;
    }
    const bool editorCall = entersEditor(opcode);
    // A closing editor is not entered again before its close has been carried out; nor is it
    // opened (which first closes the one open) from inside a call that may have its views on
    // the stack.
    if (editorCall && (effect->editorClosing.load() || effect->closedByHost.load())) return 0;
    if (opcode == effEditOpen && effect->ownSlot()) return 0;
    HostCall call(effect, editorCall);
    // The host is C code: an exception (an allocation failing in a text query, say) must end
    // here as a plain "no" rather than unwind through it. A host thread that ends inside one of
    // our callbacks (pthread_exit, a cancel) is no exception of ours: its unwind must go on, and
    // the call's slot is let go on the way out.
    try {
        return effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (abi::__forced_unwind&) {
        throw;
    } catch (...) {
        return 0;
    }
}

VstIntPtr AudioEffect::closeFromHost() {
    // A second close, while the first waits or runs, has nothing left to do.
    if (closedByHost.exchange(true, std::memory_order_acq_rel)) return 1;
    CallSlot* slot = ownSlot();
    if (!slot) {
        closeAndDelete(this);
        return 1;
    }
    // Asked from inside one of the plug-in's calls: it goes when the outermost has returned,
    // and the host hears nothing more of it meanwhile. An editor on the stack stops serving.
    slot->closeEffect = true;
    if (slot->editorDepth > 0 && editor) editor->closeRequested();
    return 1;
}

ZEK2_CATCHES_FORCED_UNWIND void AudioEffect::closeEditorFromHost() {
    if (!editor || editorClosing.exchange(true)) return;
    if (CallSlot* slot = ownSlot()) {
        slot->closeEditor = true;
        if (slot->editorDepth > 0) editor->closeRequested();
        return;
    }
    HostCall call(this, true);
    // Before the call ends, even when the host's thread ends inside the editor's close: a close
    // of the plug-in asked inside the editor's follows there.
    try {
        editor->close();
    } catch (abi::__forced_unwind&) {
        editorClosing = false;
        throw;
    } catch (...) {
    }
    editorClosing = false;
}

ZEK2_CATCHES_FORCED_UNWIND void AudioEffect::closeAndDelete(AudioEffect* effect) {
    try {
        effect->dispatcher(effClose, 0, 0, nullptr, 0.0f);
    } catch (abi::__forced_unwind&) {
        delete effect;
        throw;
    } catch (...) {
    }
    delete effect;
}

AudioEffect::HostCall::HostCall(AudioEffect* owner, bool entersEditor)
    : effect(owner), slot(owner->enterCall()), editorCall(entersEditor && slot) {
    if (editorCall) ++slot->editorDepth;
}

AudioEffect::HostCall::~HostCall() noexcept(false) {
    if (!slot) return;
    if (editorCall) --slot->editorDepth;
    if (--slot->depth == 0) effect->leaveCall(*slot);
}

static_assert(std::atomic<std::thread::id>::is_always_lock_free,
              "the render finds its call slot without a lock");

AudioEffect::CallSlot* AudioEffect::ownSlot() {
    const std::thread::id self = std::this_thread::get_id();
    // Only this thread writes its own id into a slot, so a plain read finds it.
    for (CallSlot& slot : callSlots)
        if (slot.thread.load(std::memory_order_relaxed) == self) return &slot;
    return nullptr;
}

AudioEffect::CallSlot* AudioEffect::enterCall() {
    if (CallSlot* own = ownSlot()) {
        ++own->depth;
        return own;
    }
    const std::thread::id self = std::this_thread::get_id();
    for (CallSlot& slot : callSlots) {
        std::thread::id free;
        if (slot.thread.load(std::memory_order_relaxed) == free &&
            slot.thread.compare_exchange_strong(free, self, std::memory_order_acquire,
                                                std::memory_order_relaxed)) {
            slot.depth = 1;
            return &slot;
        }
    }
    return nullptr;
}

ZEK2_CATCHES_FORCED_UNWIND void AudioEffect::leaveCall(CallSlot& slot) {
    // The slot is let go (or the instance closed, taking it along) however this ends.
    const auto finish = [this, &slot] {
        if (slot.closeEffect) {
            closeAndDelete(this); // the slot goes with the instance
            return;
        }
        slot.thread.store(std::thread::id(), std::memory_order_release);
    };
    if (slot.closeEditor) {
        slot.closeEditor = false;
        // The editor's close calls the host too: the slot stays held, so a close asked inside
        // it waits again.
        slot.depth = slot.editorDepth = 1;
        try {
            if (editor) editor->close();
        } catch (abi::__forced_unwind&) {
            editorClosing = false;
            slot.depth = slot.editorDepth = 0;
            finish();
            throw;
        } catch (...) {
        }
        editorClosing = false;
        slot.depth = slot.editorDepth = 0;
    }
    finish();
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return 0.0f;
    const HostCancelHold held;
    HostCall call(effect, false);
    return effect->getParameter(index);
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return;
    const HostCancelHold held;
    HostCall call(effect, false);
    effect->setParameter(index, value);
}

void AudioEffect::__processClassDeprecated(AEffect* e, float** inputs, float** outputs,
                                           VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return;
    const HostCancelHold held;
    HostCall call(effect, false);
    effect->__processDeprecated(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs,
                                        VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return;
    const HostCancelHold held;
    HostCall call(effect, false);
    effect->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              VstInt32 sampleFrames) {
    AudioEffect* effect = objectOf(e);
    if (!effect) return;
    const HostCancelHold held;
    HostCall call(effect, false);
    effect->processDoubleReplacing(inputs, outputs, sampleFrames);
}

// ---------------------------------------------------------------------------------------------
// Dispatcher for the basic opcodes

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    switch (opcode) {
    case effOpen:
        open();
        break;
    case effClose:
        close();
        break;
    case effSetProgram:
        // A value outside the 32-bit range names no program; cut to 32 bits it could name
        // program 0 and reload it over the edited sound.
        if (value < numPrograms && value >= INT32_MIN) setProgram(static_cast<VstInt32>(value));
        break;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr) setProgramName(static_cast<char*>(ptr));
        break;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        break;
    case effGetParamLabel:
        if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
        break;
    case effGetParamDisplay:
        if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
        break;
    case effGetParamName:
        if (ptr) getParameterName(index, static_cast<char*>(ptr));
        break;
    case effSetSampleRate:
        setSampleRate(opt);
        break;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        break;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        break;
    case effEditGetRect:
        if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        break;
    case effEditOpen:
        if (editor) return editor->open(ptr) ? 1 : 0;
        break;
    case effEditClose:
        if (editor) editor->close();
        break;
    case effEditIdle:
        if (editor) editor->idle();
        break;
    case effIdentify:
        return fourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
        if (ptr) return static_cast<VstIntPtr>(getChunk(static_cast<void**>(ptr), index != 0));
        break;
    case effSetChunk: {
        // A size beyond the 32-bit range is still "more than a chunk", never a small number cut
        // from it; a negative one stays negative and is refused.
        const VstInt32 size = value > INT32_MAX
                                  ? INT32_MAX
                                  : (value < INT32_MIN ? INT32_MIN : static_cast<VstInt32>(value));
        return static_cast<VstIntPtr>(setChunk(ptr, size, index != 0));
    }
    default:
        break;
    }
    return 0;
}

void AudioEffect::processDoubleReplacing(double**, double** outputs, VstInt32 sampleFrames) {
    if (!outputs || sampleFrames <= 0) return;
    for (VstInt32 channel = 0; channel < cEffect.numOutputs; ++channel)
        if (double* out = outputs[channel])
            for (VstInt32 i = 0; i < sampleFrames; ++i) out[i] = 0.0;
}

// ---------------------------------------------------------------------------------------------
// Texts with no content of their own

void AudioEffect::getProgramName(char* name) {
    if (name) name[0] = 0;
}
void AudioEffect::getParameterLabel(VstInt32, char* label) {
    if (label) label[0] = 0;
}
void AudioEffect::getParameterDisplay(VstInt32, char* text) {
    if (text) text[0] = 0;
}
void AudioEffect::getParameterName(VstInt32, char* text) {
    if (text) text[0] = 0;
}
VstInt32 AudioEffect::getChunk(void**, bool) {
    return 0;
}
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) {
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Host requests

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value, 0);
}

VstInt32 AudioEffect::getMasterVersion() {
    auto version = static_cast<VstInt32>(callHost(audioMasterVersion, 0, 0, nullptr, 0, 1));
    return version == 0 ? 1 : version;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId, 0, 0, nullptr, 0, 0));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle, 0, 0, nullptr, 0, 0);
}

bool AudioEffect::isInputConnected(VstInt32 input) {
    return static_cast<VstInt32>(callHost(audioMasterPinConnected, input, 0, nullptr, 0, 0)) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return static_cast<VstInt32>(callHost(audioMasterPinConnected, output, 1, nullptr, 0, 0)) == 0;
}

// ---------------------------------------------------------------------------------------------
// Value-to-text helpers. Each writes at most maxLen characters and always terminates the
// buffer at index maxLen; a negative maxLen writes nothing.

static void storeBounded(const char* source, char* text, VstInt32 maxLen) {
    if (!text || maxLen < 0) return;
    VstInt32 i = 0;
    for (; i < maxLen && source[i]; ++i) text[i] = source[i];
    for (; i <= maxLen; ++i) text[i] = 0;
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0.0f || std::isnan(value)) {
        storeBounded("-oo", text, maxLen);
        return;
    }
    float2string(20.0f * std::log10(value), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    if (samples == 0.0f) {
        float2string(0.0f, text, maxLen);
        return;
    }
    float2string(getSampleRate() / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(static_cast<float>(static_cast<double>(samples) * 1000.0 / getSampleRate()), text,
                 maxLen);
}

// Eight characters of fixed-width decimal text, the fraction truncated. Values whose integer
// part does not fit (and NaN or infinity) read "Huge!", as int2string does for its range.
void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    if (!text || maxLen < 0) return;
    const bool negative = value < 0.0f;
    const double m = std::fabs(static_cast<double>(value));
    const double limit = negative ? 1e6 : 1e7;
    if (!(m < limit)) {
        storeBounded("Huge!", text, maxLen);
        return;
    }
    char buffer[24];
    int c = 0;
    if (negative) buffer[c++] = '-';
    auto integer = static_cast<long>(std::floor(m));
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + integer % 10);
        integer /= 10;
    } while (integer > 0);
    while (n > 0) buffer[c++] = digits[--n];
    buffer[c++] = '.';
    if (c <= 7) {
        const int places = 8 - c;
        auto fraction = static_cast<long>(std::fmod(m, 1.0) * std::pow(10.0, places));
        for (int i = places - 1; i >= 0; --i) {
            buffer[c + i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        c += places;
    }
    buffer[c] = 0;
    storeBounded(buffer, text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    if (value >= 100000000) {
        storeBounded("Huge!", text, maxLen);
        return;
    }
    char buffer[16];
    int c = 0;
    // Widen before negating so the most negative value has a magnitude too.
    long long magnitude = value;
    if (magnitude < 0) {
        buffer[c++] = '-';
        magnitude = -magnitude;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    while (n > 0) buffer[c++] = digits[--n];
    buffer[c] = 0;
    storeBounded(buffer, text, maxLen);
}
