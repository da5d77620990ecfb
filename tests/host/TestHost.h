// A small VST 2.4 host for the tests: loads the built ZEK2.so with dlopen, calls its entry
// point with a host callback and drives it only through the AEffect record, as a DAW does.
#pragma once

#include "tests/MidiEvents.h"
#include "vst2/VstInterface.h"

#include <dlfcn.h>

#include <array>
#include <cstring>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testhost {

// One MIDI message the plug-in sent through audioMasterProcessEvents.
struct SentMidi {
    int status = 0;
    int data1 = 0;
    int data2 = 0;
    VstInt32 deltaFrames = 0;
};

// What the host callback answers and what it has been asked. One instance serves the test
// that is running; tests run one at a time.
struct HostState {
    VstIntPtr version = 2400;
    std::string product = "ZEK2 Test Host";
    std::string vendor = "ZEK2 Tests";
    bool answerTime = true;
    VstTimeInfo time{};
    std::vector<VstInt32> opcodes;                     // every request, in order
    std::vector<std::pair<VstInt32, float>> automated; // audioMasterAutomate (index, value)
    int midiOutBlocks = 0;
    std::vector<SentMidi> midiOut; // every MIDI event sent, in order

    int count(VstInt32 opcode) const {
        int n = 0;
        for (VstInt32 op : opcodes) n += op == opcode;
        return n;
    }
};

inline HostState& host() {
    static HostState state;
    return state;
}

// One call of the host callback as a log entry: what was asked and from which thread.
struct HostCall {
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    float opt = 0.0f;
    std::thread::id thread;
};

// Every callback in order, kept while `on` is set; the editor tests read it from their thread
// while the plug-in calls from its user-interface and audio threads.
struct CallLog {
    std::mutex lock;
    bool on = false;
    std::vector<HostCall> calls;

    void start() {
        std::lock_guard<std::mutex> guard(lock);
        calls.clear();
        calls.reserve(1 << 16);
        on = true;
    }
    void stop() {
        std::lock_guard<std::mutex> guard(lock);
        on = false;
    }
    std::vector<HostCall> snapshot() {
        std::lock_guard<std::mutex> guard(lock);
        return calls;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(lock);
        calls.clear();
    }
};

inline CallLog& callLog() {
    static CallLog log;
    return log;
}

// Serialises the recording of HostState: the plug-in calls back from more than one thread.
inline std::mutex& hostLock() {
    static std::mutex m;
    return m;
}

inline void resetHost() {
    host() = HostState{};
    host().midiOut.reserve(4096); // recording must not allocate on the audio thread
    host().time.sampleRate = 44100.0;
    host().time.tempo = 120.0;
    host().time.timeSigNumerator = 4;
    host().time.timeSigDenominator = 4;
    host().time.flags = kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
}

// A host that saves the sound as a chunk, as REAPER does: the plug-in offers chunks only to the
// hosts that save them (the test host's own name gets none).
inline void actAsChunkHost() {
    resetHost();
    host().product = "REAPER";
    host().vendor = "Cockos";
}

// A host may call back into the plug-in from inside any callback (close its editor or the
// whole plug-in, say). When a test sets it, `reentry` runs first on the calling thread, outside
// the host's locks; tests set and clear it on the thread whose callbacks it answers.
using Reentry = std::function<void(VstInt32 opcode, VstInt32 index)>;
inline Reentry& hostReentry() {
    static Reentry reentry;
    return reentry;
}

inline VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
    if (const Reentry& reentry = hostReentry()) reentry(opcode, index);
    {
        CallLog& log = callLog();
        std::lock_guard<std::mutex> guard(log.lock);
        if (log.on) log.calls.push_back({opcode, index, value, opt, std::this_thread::get_id()});
    }
    std::lock_guard<std::mutex> guard(hostLock());
    HostState& h = host();
    h.opcodes.push_back(opcode);
    switch (opcode) {
    case audioMasterVersion:
        return h.version;
    case audioMasterAutomate:
        h.automated.emplace_back(index, opt);
        return 0;
    case audioMasterGetTime:
        return h.answerTime ? reinterpret_cast<VstIntPtr>(&h.time) : 0;
    case audioMasterGetProductString:
        if (ptr) std::strncpy(static_cast<char*>(ptr), h.product.c_str(), 63);
        return 1;
    case audioMasterGetVendorString:
        if (ptr) std::strncpy(static_cast<char*>(ptr), h.vendor.c_str(), 63);
        return 1;
    case audioMasterProcessEvents:
        ++h.midiOutBlocks;
        if (auto* events = static_cast<VstEvents*>(ptr)) {
            for (VstInt32 i = 0; i < events->numEvents; ++i) {
                const VstEvent* e = events->events[i];
                if (!e || e->type != kVstMidiType) continue;
                const auto* m = reinterpret_cast<const VstMidiEvent*>(e);
                h.midiOut.push_back({static_cast<unsigned char>(m->midiData[0]),
                                     static_cast<unsigned char>(m->midiData[1]),
                                     static_cast<unsigned char>(m->midiData[2]), m->deltaFrames});
            }
        }
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(h.time.sampleRate);
    case audioMasterCanDo:
        return 0;
    default:
        (void)value;
        return 0;
    }
}

using EntryProc = AEffect* (*)(audioMasterCallback);

// A plug-in module's entry point; the module stays loaded for the test process.
inline EntryProc loadEntryPoint(const char* path) {
    void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    auto proc = reinterpret_cast<EntryProc>(dlsym(lib, "VSTPluginMain"));
    if (!proc) throw std::runtime_error("VSTPluginMain not exported");
    return proc;
}

// The plug-in module, loaded once per test process.
inline EntryProc entryPoint() {
    static EntryProc entry = loadEntryPoint(ZEK2_PLUGIN_PATH);
    return entry;
}

// Plug-in instances opened in this process so far; the first one loads the preferences.
inline int& openedPlugins() {
    static int count = 0;
    return count;
}

// One plug-in instance, opened as a DAW opens it and closed with effClose; from ZEK2.so unless
// another module's entry point is given.
class Plugin {
public:
    explicit Plugin(float rate = 44100.0f, VstInt32 blockSize = 512, EntryProc entry = nullptr) {
        ++openedPlugins();
        effect = (entry ? entry : entryPoint())(hostCallback);
        if (!effect) throw std::runtime_error("VSTPluginMain returned null");
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, blockSize);
        dispatch(effMainsChanged, 0, 1);
    }
    ~Plugin() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    AEffect* get() const { return effect; }
    // The host closed the plug-in itself (effClose from inside a callback): nothing is sent after.
    void forgetClosed() { effect = nullptr; }
    AEffect* operator->() const { return effect; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) { effect->setParameter(effect, index, value); }
    float getParameter(VstInt32 index) { return effect->getParameter(effect, index); }

    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buffer[256] = {};
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    // Renders `frames` frames with processReplacing into buffers pre-filled with a marker, so
    // a frame left unwritten shows.
    void process(VstInt32 frames, std::vector<float>& left, std::vector<float>& right) {
        left.assign(size_t(frames) + 1, 12345.0f);
        right.assign(size_t(frames) + 1, 12345.0f);
        std::vector<float> inL(size_t(frames) + 1, 0.0f), inR(size_t(frames) + 1, 0.0f);
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {left.data(), right.data()};
        effect->processReplacing(effect, inputs, outputs, frames);
    }

    // Renders `frames` frames (a multiple of 256) in blocks of 256; returns the left channel.
    std::vector<float> renderLeft(int frames) {
        std::vector<float> all, l, r;
        for (int done = 0; done < frames; done += 256) {
            process(256, l, r);
            all.insert(all.end(), l.begin(), l.begin() + 256);
        }
        return all;
    }

    // Queues MIDI events through effProcessEvents; each is (deltaFrames, status, data1, data2).
    void sendMidi(const std::vector<std::array<int, 4>>& messages) {
        testmidi::EventBlock events(messages);
        dispatch(effProcessEvents, 0, 0, events.get());
    }

private:
    AEffect* effect = nullptr;
};

} // namespace testhost
