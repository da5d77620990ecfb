// The peer row: another VST 2.4 instrument loaded through the test host's callback, playing the
// same sixteen held keys on its first program, measured as the table measures ZEK2, so one run
// prints both figures and their ratio. Benchmark thread only.
#include "bench/Scenarios.h"

#include <dlfcn.h>

#include <cstdio>

namespace bench {

namespace {

constexpr VstInt32 kBlock = 128;

// One instance of a foreign module, opened and closed as a host does.
class PeerInstrument {
public:
    explicit PeerInstrument(const std::string& path) {
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            std::fprintf(stderr, "peer: cannot load %s: %s\n", path.c_str(), dlerror());
            return;
        }
        auto entry =
            reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(module, "VSTPluginMain"));
        if (!entry)
            entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(module, "main"));
        if (!entry) {
            std::fprintf(stderr, "peer: %s exports no VST 2.4 entry point\n", path.c_str());
            return;
        }
        effect = entry(testhost::hostCallback);
        if (!effect || effect->magic != kEffectMagic) {
            std::fprintf(stderr, "peer: %s returned no effect\n", path.c_str());
            effect = nullptr;
            return;
        }
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        dispatch(effSetBlockSize, 0, kBlock);
        dispatch(effSetProgram, 0, 0);
        dispatch(effMainsChanged, 0, 1);
        dispatch(effStartProcess);
    }
    ~PeerInstrument() {
        if (effect) {
            dispatch(effStopProcess);
            dispatch(effMainsChanged, 0, 0);
            dispatch(effClose);
        }
        // The module stays loaded: some instruments leave threads or atexit handlers behind.
    }
    PeerInstrument(const PeerInstrument&) = delete;
    PeerInstrument& operator=(const PeerInstrument&) = delete;

    AEffect* get() const { return effect; }
    std::string name() {
        char text[256] = {};
        dispatch(effGetEffectName, 0, 0, text);
        if (!text[0]) dispatch(effGetProductString, 0, 0, text);
        return text[0] ? text : "peer";
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

private:
    void* module = nullptr;
    AEffect* effect = nullptr;
};

// The sixteen keys of holdSixteen, sent before the first timed block of the warm-up.
testmidi::EventBlock sixteenKeys() {
    std::vector<std::array<int, 4>> notes;
    for (int v = 0; v < 16; ++v) notes.push_back({0, 0x90, 40 + 3 * v, 100});
    return testmidi::EventBlock(notes);
}

void printLine(const std::string& name, const Row& row) {
    std::printf("%-32s %5d  %8.4f  %8.4f\n", name.c_str(), int(kBlock), row.rtf, row.worst);
}

} // namespace

bool printPeer(const std::string& path, bool shortForm) {
    const double seconds = shortForm ? 0.5 : 4.0;
    testhost::resetHost();
    testhost::host().time.sampleRate = kRate;
    PeerInstrument peer(path);
    if (!peer.get()) return false;
    if (!(peer.get()->flags & effFlagsIsSynth))
        std::fprintf(stderr, "peer: %s does not call itself an instrument\n", path.c_str());
    testmidi::EventBlock keys = sixteenKeys();
    peer.dispatch(effProcessEvents, 0, 0, keys.get());
    const Row peerRow = measureEffect(peer.get(), kBlock, seconds, nullptr);

    testhost::resetHost();
    Row plain;
    {
        testhost::Plugin plugin(kRate, kBlock);
        voicePatch(plugin, 0);
        plain = measureEffect(plugin.get(), kBlock, seconds, nullptr);
    }
    testhost::resetHost();
    Row first;
    {
        testhost::Plugin plugin(kRate, kBlock);
        settle(plugin);
        holdSixteen(plugin);
        first = measureEffect(plugin.get(), kBlock, seconds, nullptr);
    }

    std::printf("\npeer row at 48 kHz, sixteen held keys, median of 5 runs of %.1f s\n", seconds);
    std::printf("%-32s %5s  %8s  %8s\n", "instrument", "block", "rtf", "worst");
    printLine("peer: " + peer.name() + " (first program)", peerRow);
    printLine("ZEK2 plain 16 voices", plain);
    printLine("ZEK2 first factory program", first);
    std::printf("ratio ZEK2 plain / peer: %.2f (target at most 0.4)\n",
                peerRow.rtf > 0.0 ? plain.rtf / peerRow.rtf : 0.0);
    return true;
}

} // namespace bench
