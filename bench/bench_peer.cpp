// The peer row: another VST 2.4 instrument loaded through the test host's callback, playing the
// same sixteen keys on its first program, struck again every 2 s (a held note of a decaying
// program would end in a tail whose cost says nothing of the instrument), in turn with ZEK2 over
// several rounds, so one run prints both figures and their ratios. Benchmark thread only.
#include "bench/Scenarios.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

// The sixteen keys of holdSixteen released and struck again at the first sample of a block.
void strikeSixteen(AEffect* effect) {
    std::vector<std::array<int, 4>> notes;
    for (int v = 0; v < 16; ++v) notes.push_back({0, 0x80, 40 + 3 * v, 0});
    for (int v = 0; v < 16; ++v) notes.push_back({0, 0x90, 40 + 3 * v, 100});
    testmidi::EventBlock keys(notes);
    effect->dispatcher(effect, effProcessEvents, 0, 0, keys.get(), 0.0f);
}

// One round of one instrument: `seconds` of audio with the keys struck every 2 s from its
// start. The real-time factor of the round and each strike block's CPU time over its duration.
struct Round {
    double rtf = 0.0;
    std::vector<double> strikes;
};

Round playRound(AEffect* effect, Buffers& buffers, double seconds) {
    const long period = long(2 * kRate) / kBlock;
    const long blocks = long(seconds * kRate) / kBlock;
    Round round;
    double cpu = 0.0;
    for (long b = 0; b < blocks; ++b) {
        const bool strike = b % period == 0;
        if (strike) strikeSixteen(effect);
        const double spent = timedBlock(effect, buffers, kBlock);
        cpu += spent;
        if (strike) round.strikes.push_back(spent * kRate / kBlock);
    }
    round.rtf = cpu / (double(blocks * kBlock) / kRate);
    return round;
}

// Median and range of a list of figures.
struct Spread {
    double median = 0.0, low = 0.0, high = 0.0;
};

Spread spreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

std::string text(const Spread& s, const char* format) {
    char median[32], low[32], high[32], line[112];
    std::snprintf(median, sizeof(median), format, s.median);
    std::snprintf(low, sizeof(low), format, s.low);
    std::snprintf(high, sizeof(high), format, s.high);
    std::snprintf(line, sizeof(line), "%s (%s-%s)", median, low, high);
    return line;
}

} // namespace

bool printPeer(const std::string& path, bool shortForm) {
    const double seconds = shortForm ? 2.0 : 4.0;
    const int rounds = shortForm ? 3 : 9;
    testhost::resetHost();
    testhost::host().time.sampleRate = kRate;
    PeerInstrument peer(path);
    if (!peer.get()) return false;
    if (!(peer.get()->flags & effFlagsIsSynth))
        std::fprintf(stderr, "peer: %s does not call itself an instrument\n", path.c_str());
    testhost::Plugin plain(kRate, kBlock);
    voicePatch(plain, 0);
    testhost::Plugin first(kRate, kBlock);
    settle(first);

    // The three play in turn, round after round, so a change in the machine's pace reaches all
    // of them alike; the ratios are taken within each round.
    struct Player {
        std::string name;
        AEffect* effect;
        std::vector<double> rtfs, strikes;
    };
    Player players[3] = {{"peer: " + peer.name() + " (first program)", peer.get(), {}, {}},
                         {"ZEK2 plain 16 voices", plain.get(), {}, {}},
                         {"ZEK2 first factory program", first.get(), {}, {}}};
    Buffers buffers(kBlock);
    for (Player& p : players) playRound(p.effect, buffers, 0.25); // warm-up
    std::vector<double> rtfRatios, strikeRatios;
    for (int r = 0; r < rounds; ++r) {
        Round played[3];
        for (int i = 0; i < 3; ++i) {
            played[i] = playRound(players[i].effect, buffers, seconds);
            players[i].rtfs.push_back(played[i].rtf);
            for (double s : played[i].strikes) players[i].strikes.push_back(s);
        }
        if (played[0].rtf > 0.0) rtfRatios.push_back(played[1].rtf / played[0].rtf);
        const double peerStrike = spreadOf(played[0].strikes).median;
        if (peerStrike > 0.0)
            strikeRatios.push_back(spreadOf(played[1].strikes).median / peerStrike);
    }

    std::printf("\npeer row at 48 kHz, block %d: sixteen keys struck again every 2 s, %d rounds of "
                "%.0f s, the instruments in turn; median (range)\n",
                int(kBlock), rounds, seconds);
    std::printf("%-36s  %-28s  %s\n", "instrument", "rtf", "strike block / its duration");
    for (const Player& p : players)
        std::printf("%-36s  %-28s  %s\n", p.name.c_str(), text(spreadOf(p.rtfs), "%.4f").c_str(),
                    text(spreadOf(p.strikes), "%.3f").c_str());
    std::printf("ratio ZEK2 plain / peer, per round: rtf %s (target at most 0.4), strike block %s "
                "(target at most 1.5)\n",
                text(spreadOf(rtfRatios), "%.2f").c_str(),
                text(spreadOf(strikeRatios), "%.2f").c_str());
    return true;
}

} // namespace bench
