// The automation soak: a long DAW session played fast from a seed. It loads the real plug-in
// with a host callback of its own, plays random notes, chords, bends, controllers and the
// sustain pedal, writes random values (0, 1, values just inside them, the odd hostile one) to
// random tags between and inside blocks of random lengths, sends hostile time information,
// suspends, resumes and changes the rate and the block size. After every block each sample
// must be finite and within the output bound; at the end, with every note off and the effects
// off, two seconds later the output must be exact zero. One seed always plays the same
// session, so a failure is replayed from its seed. The optional second thread asks every host
// query while the session renders, as a host's user-interface thread does. The every-tag form
// also writes each of the 2048 tags in its first blocks and steps Arp Mode and Play Mode
// through all their values; its output can be kept to hold one build's bits to another's.
#pragma once

#include "TestHost.h"
#include "tests/PlainOscillator.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace soak {

// xoshiro256**, seeded through splitmix64: the same stream on every platform and library.
class Rng {
public:
    explicit Rng(uint64_t seed) {
        for (uint64_t& word : state) {
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }
    uint64_t next() {
        const uint64_t result = rotl(state[1] * 5, 7) * 9;
        const uint64_t t = state[1] << 17;
        state[2] ^= state[0];
        state[3] ^= state[1];
        state[1] ^= state[2];
        state[0] ^= state[3];
        state[2] ^= t;
        state[3] = rotl(state[3], 45);
        return result;
    }
    // 0 .. n - 1
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T, size_t N> T pick(const T (&items)[N]) { return items[below(int(N))]; }

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t state[4];
};

// What the soak's host answers. One session runs at a time in a process; the callback is only
// called from the rendering thread and from the opening of the plug-in.
struct HostAnswers {
    VstTimeInfo time{};
    bool answerTime = true;
    const char* product = "ZEK2 Soak Host";
    double rate = 44100.0;
};

inline HostAnswers& answers() {
    static HostAnswers a;
    return a;
}

inline VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    HostAnswers& a = answers();
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetTime:
        return a.answerTime ? reinterpret_cast<VstIntPtr>(&a.time) : 0;
    case audioMasterGetProductString:
        if (ptr) std::snprintf(static_cast<char*>(ptr), 64, "%s", a.product);
        return 1;
    case audioMasterGetVendorString:
        if (ptr) std::snprintf(static_cast<char*>(ptr), 64, "%s", "ZEK2 Tests");
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(a.rate);
    default:
        return 0;
    }
}

// Tags a musician changes that rebuild the voice or the chain: switches, types and modes,
// play mode, unison, paths, the filter type, the arpeggiator, program changes.
constexpr int kStructuralTags[] = {
    11,  246, 247, 248, 249, 250, 251, 252, 253,  254,  255,  256,  258,  259,  260, 261, 262,
    264, 266, 267, 269, 271, 276, 277, 278, 279,  281,  282,  283,  284,  286,  288, 294, 295,
    300, 302, 303, 304, 306, 316, 319, 329, 332,  333,  334,  335,  336,  337,  338, 339, 340,
    341, 342, 343, 344, 345, 346, 347, 353, 354,  363,  364,  366,  368,  370,  371, 373, 374,
    375, 376, 378, 492, 493, 494, 495, 496, 497,  498,  499,  500,  501,  502,  503, 504, 506,
    507, 778, 779, 780, 786, 787, 788, 923, 1005, 1008, 1010, 1011, 1012, 1013, 1018};

// The switches that leave a sound after every note is off: the effects and the arpeggiator's
// latch and note entry.
constexpr int kQuietTags[] = {343, 346, 338, 340, 347, 492, 503, 504};

// The amp envelopes' releases and their tempo sync; the modulation slots' sources.
constexpr int kShortReleaseTags[] = {9, 27, 50, 269, 286};
constexpr int kModSourceFirst = 395;

constexpr double kRates[] = {22050.0, 32000.0, 44100.0,  48000.0,
                             88200.0, 96000.0, 176400.0, 192000.0};
constexpr float kOutputBound = 0.999f;

struct Options {
    uint64_t seed = 1;
    int blocks = 2000;
    bool queryThread = false; // a second thread asks every host query while the session runs
    int traceFrom = -1;       // from this block on, every host action is printed
    bool everyTag = false;    // the every-tag form (see above)
    testhost::EntryProc entry = nullptr;  // another build of the plug-in; null: ZEK2.so
    std::vector<float>* output = nullptr; // when set, every block's left then right samples
};

class Session {
public:
    explicit Session(const Options& o) : options(o), rng(o.seed) {
        HostAnswers& a = answers();
        a = HostAnswers{};
        const char* products[] = {"ZEK2 Soak Host", "REAPER", "KOMPLETE KONTROL"};
        a.product = products[o.seed % 3];
        a.rate = rng.pick(kRates);
        normalTime();
        ++testhost::openedPlugins();
        fx = (o.entry ? o.entry : testhost::entryPoint())(callback);
        if (!fx) return;
        dispatch(effOpen);
        dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(a.rate));
        blockSize = rng.pick(kBlockSizes);
        dispatch(effSetBlockSize, 0, blockSize);
        dispatch(effMainsChanged, 0, 1);
        const size_t most = 8192 + 1;
        left.assign(most, 0.0f);
        right.assign(most, 0.0f);
        silence.assign(most, 0.0f);
        inputL.assign(most, 0.0f);
        inputR.assign(most, 0.0f);
        midi.reserve(64);
        pointers.assign(sizeof(VstEvents) + 64 * sizeof(VstEvent*), 0);
    }
    ~Session() {
        if (fx) fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Plays the whole session; empty when it passed, else what failed, where.
    std::string run() {
        if (!fx) return "the plug-in did not open";
        std::thread queries;
        if (options.queryThread) queries = std::thread([this] { askQueries(); });
        for (block = 0; block < options.blocks && failure.empty(); ++block) playBlock();
        writesAllowed = false;
        while (options.queryThread && !writesStopped.load()) std::this_thread::yield();
        if (failure.empty()) finish();
        stopQueries = true;
        if (queries.joinable()) queries.join();
        return failure;
    }

    int64_t framesRendered() const { return frames; }
    double secondsRendered() const { return seconds; }
    int64_t queriesAsked() const { return queries.load(); }

private:
    static constexpr VstInt32 kBlockSizes[] = {64, 128, 256, 512, 1024, 1024, 2048, 4096};

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return fx->dispatcher(fx, opcode, index, value, ptr, opt);
    }

    void fail(const std::string& what) {
        if (!failure.empty()) return;
        std::ostringstream text;
        text << "block " << block << ": " << what;
        failure = text.str();
    }

    // --- time information -----------------------------------------------------------------

    void normalTime() {
        VstTimeInfo& t = answers().time;
        answers().answerTime = true;
        t = VstTimeInfo{};
        t.sampleRate = answers().rate;
        t.tempo = 60.0 + 120.0 * rng.unit();
        t.timeSigNumerator = 4;
        t.timeSigDenominator = 4;
        t.ppqPos = 0.0;
        t.cycleStartPos = 0.0;
        t.cycleEndPos = 16.0;
        t.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
                  kVstTimeSigValid | kVstCyclePosValid | kVstNanosValid | kVstTransportChanged;
        hostileBlocks = 0;
    }

    double hostileNumber() {
        const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 1e12,
                                 -1e12,
                                 1e300,
                                 -1e300,
                                 0.0,
                                 -4.0,
                                 0.1,
                                 12000.0,
                                 1e9,
                                 2147483648.0,
                                 -2147483649.0};
        return rng.pick(values);
    }

    // One block's time: mostly a playing transport that moves on; now and then a stopped one,
    // a tempo at or beyond the ends, NaN where a host would send one, a huge song position, a
    // nonsense time signature, random flags or no time at all, for a few blocks.
    void advanceTime(VstInt32 n) {
        VstTimeInfo& t = answers().time;
        if (hostileBlocks > 0 && --hostileBlocks == 0) normalTime();
        if (hostileBlocks == 0 && rng.chance(0.02)) {
            hostileBlocks = rng.range(1, 40);
            switch (rng.below(9)) {
            case 0:
                t.flags &= ~kVstTransportPlaying;
                break;
            case 1:
                t.tempo = rng.chance(0.5) ? 0.1 : 12000.0;
                break;
            case 2:
                t.tempo = hostileNumber();
                break;
            case 3:
                t.ppqPos = hostileNumber();
                break;
            case 4:
                t.barStartPos = hostileNumber();
                t.samplePos = hostileNumber();
                t.nanoSeconds = hostileNumber();
                break;
            case 5:
                t.timeSigNumerator = rng.pick({0, -3, 1000000, 7});
                t.timeSigDenominator = rng.pick({0, -1, 3, 1 << 30});
                break;
            case 6:
                t.cycleStartPos = hostileNumber();
                t.cycleEndPos = hostileNumber();
                t.flags |= kVstTransportCycleActive;
                break;
            case 7:
                t.flags = static_cast<VstInt32>(rng.next());
                t.sampleRate = hostileNumber();
                t.smpteFrameRate = static_cast<VstInt32>(rng.next());
                break;
            default:
                answers().answerTime = false;
                break;
            }
        }
        const double rate = answers().rate;
        if (std::isfinite(t.tempo) && std::isfinite(t.ppqPos) && (t.flags & kVstTransportPlaying))
            t.ppqPos += n / rate * t.tempo / 60.0;
        if (std::isfinite(t.samplePos)) t.samplePos += n;
        if (std::isfinite(t.ppqPos)) t.barStartPos = 4.0 * std::floor(t.ppqPos / 4.0);
    }

    // --- parameters ---------------------------------------------------------------------------

    float value() {
        switch (rng.below(24)) {
        case 0:
        case 1:
        case 2:
            return 0.0f;
        case 3:
        case 4:
        case 5:
            return 1.0f;
        case 6:
            return std::nextafter(0.0f, 1.0f);
        case 7:
            return std::nextafter(1.0f, 0.0f);
        case 8:
            return rng.pick({1e-6f, 0.001f, 0.01f});
        case 9:
            return rng.pick({0.99f, 0.999f, 0.999999f});
        case 10:
        case 11: {
            // The middle of one choice of a stepped control.
            const int n = rng.range(2, 40);
            return (rng.below(n) + 0.5f) / static_cast<float>(n);
        }
        case 12:
            if (rng.chance(0.2)) // hostile: out of range or not a number
                return rng.pick({-0.5f, 1.5f, -1e30f, 1e30f,
                                 std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity()});
            return 0.5f;
        default:
            return static_cast<float>(rng.unit());
        }
    }

    int tag() {
        if (rng.chance(0.45)) return rng.pick(kStructuralTags);
        return rng.below(2048);
    }

    bool tracing() const { return options.traceFrom >= 0 && block >= options.traceFrom; }

    void write(int t, float v) {
        if (tracing()) std::printf("  block %d: tag %d = %.9g\n", block, t, double(v));
        fx->setParameter(fx, t, v);
    }

    void writeParameters(int count) {
        for (int i = 0; i < count; ++i) {
            const int t = tag();
            write(t, value());
        }
    }

    // The every-tag form: block b writes tags 32b .. 32b + 31, so every tag within the first 64
    // blocks; Arp Mode moves to its next value every third block, Play Mode every eighth.
    void writeEveryTag() {
        for (int t = 32 * block; t < std::min(32 * block + 32, 2048); ++t) write(t, value());
        if (block % 3 == 0) write(tag::ArpMode, testpatch::stepValue(block / 3 % 16, 19.99f));
        if (block % 8 == 0) write(tag::PlayMode, testpatch::stepValue(block / 8 % 9, 9.99f));
    }

    // --- MIDI ---------------------------------------------------------------------------------

    void add(int delta, int status, int d1, int d2) {
        if (midi.size() >= 64) return;
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = delta;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(d1 & 0x7F);
        e.midiData[2] = static_cast<char>(d2 & 0x7F);
        midi.push_back(e);
    }

    void noteOff(int delta, int channel, int note) {
        add(delta, (rng.chance(0.3) ? 0x90 : 0x80) | channel, note, rng.chance(0.5) ? 0 : 64);
        held[channel][note] = false;
        --heldCount;
    }

    void randomMidi(VstInt32 n) {
        const int events = rng.chance(0.6) ? 0 : rng.range(1, 6);
        for (int i = 0; i < events; ++i) {
            // Now and then a faulty host's offset: before the block or past its end.
            int delta = rng.below(n);
            if (rng.chance(0.01))
                delta = rng.chance(0.5) ? -rng.range(1, 100) : n + rng.below(4 * n);
            if (rng.chance(0.01)) { // an event of another type, which is not MIDI
                add(delta, 0xF0, 0x7E, 0x7F);
                midi.back().type = kVstSysExType;
                continue;
            }
            const int channel = rng.chance(0.8) ? 0 : rng.below(16);
            const int kind = rng.below(100);
            if (kind < 30) {
                add(delta, 0x90 | channel, rng.range(12, 115), rng.range(1, 127));
                held[channel][static_cast<unsigned char>(midi.back().midiData[1])] = true;
                ++heldCount;
            } else if (kind < 38) {
                const int root = rng.range(30, 90);
                for (int k : {0, 4, 7, 11}) {
                    add(delta, 0x90 | channel, root + k, rng.range(40, 127));
                    held[channel][root + k] = true;
                    ++heldCount;
                }
            } else if (kind < 68) {
                for (int c = 0; c < 16 && heldCount > 0; ++c)
                    for (int note = 0; note < 128; ++note)
                        if (held[c][note] && rng.chance(0.25)) noteOff(delta, c, note);
            } else if (kind < 76) {
                add(delta, 0xE0 | channel, rng.below(128), rng.below(128));
            } else if (kind < 86) {
                const int cc = rng.pick({1, 2, 7, 11, 16, 64, 64, 74, 84, 113, 120, 121, 123});
                add(delta, 0xB0 | channel, cc, rng.below(128));
                if (cc == 120 || cc == 123) clearHeld();
            } else if (kind < 90) {
                add(delta, 0xB0 | channel, rng.below(128), rng.below(128));
            } else if (kind < 94) {
                add(delta, 0xD0 | channel, rng.below(128), 0);
            } else if (kind < 97) {
                add(delta, 0xA0 | channel, rng.range(12, 115), rng.below(128));
            } else {
                add(delta, 0xC0 | channel, rng.below(128), 0);
            }
        }
        if (heldCount > 24) // a player has ten fingers and a pedal
            for (int c = 0; c < 16; ++c)
                for (int note = 0; note < 128; ++note)
                    if (held[c][note]) noteOff(n - 1, c, note);
        // A host sends a block's events in time order.
        std::stable_sort(midi.begin(), midi.end(),
                         [](const VstMidiEvent& a, const VstMidiEvent& b) {
                             return a.deltaFrames < b.deltaFrames;
                         });
    }

    void clearHeld() {
        for (auto& channel : held)
            for (bool& h : channel) h = false;
        heldCount = 0;
    }

    void sendMidi() {
        if (midi.empty()) return;
        if (tracing())
            for (const VstMidiEvent& e : midi)
                std::printf("  block %d: midi at %d: %02x %d %d\n", block, e.deltaFrames,
                            static_cast<unsigned char>(e.midiData[0]), e.midiData[1],
                            e.midiData[2]);
        auto* events = reinterpret_cast<VstEvents*>(pointers.data());
        events->numEvents = static_cast<VstInt32>(midi.size());
        events->reserved = 0;
        for (size_t i = 0; i < midi.size(); ++i)
            events->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        dispatch(effProcessEvents, 0, 0, events);
        midi.clear();
    }

    // --- the session ----------------------------------------------------------------------

    // Suspends and resumes, now and then with a new rate or block size in between, as a host
    // does from its own thread while no block renders. The query thread's host does not.
    void hostEvent() {
        if (options.queryThread) return;
        if (tracing()) std::printf("  block %d: suspend, resume\n", block);
        dispatch(effMainsChanged, 0, 0);
        if (rng.chance(0.6)) {
            const double rate = rng.chance(0.5) ? rng.pick(kRates) : rng.range(22050, 192000);
            answers().rate = rate;
            answers().time.sampleRate = rate;
            dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        }
        if (rng.chance(0.6)) {
            blockSize = rng.pick(kBlockSizes);
            dispatch(effSetBlockSize, 0, blockSize);
        }
        if (rng.chance(0.1)) dispatch(effSetProgram, 0, rng.below(128));
        dispatch(effMainsChanged, 0, 1);
    }

    bool render(VstInt32 n, bool exactZero) {
        float* inputs[2] = {silence.data(), silence.data()};
        if (inputKind > 0 && !exactZero) {
            // An instrument on a track with audio: noise, now and then with samples no
            // converter makes.
            for (VstInt32 i = 0; i < n; ++i) {
                inputL[size_t(i)] = static_cast<float>(rng.unit() * 2.0 - 1.0);
                inputR[size_t(i)] = static_cast<float>(rng.unit() * 2.0 - 1.0);
            }
            if (inputKind == 2 && n > 0) {
                const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(), -1e30f, 1e-40f};
                inputL[size_t(rng.below(n))] = rng.pick(odd);
                inputR[size_t(rng.below(n))] = rng.pick(odd);
            }
            inputs[0] = inputL.data();
            inputs[1] = inputR.data();
        }
        float* outputs[2] = {left.data(), right.data()};
        if (tracing()) {
            const VstTimeInfo& t = answers().time;
            std::printf("  block %d: render %d (time %s, flags %x, tempo %g, ppq %g)\n", block, n,
                        answers().answerTime ? "on" : "off", t.flags, t.tempo, t.ppqPos);
            std::fflush(stdout);
        }
        fx->processReplacing(fx, inputs, outputs, n);
        if (options.output) {
            options.output->insert(options.output->end(), left.begin(), left.begin() + n);
            options.output->insert(options.output->end(), right.begin(), right.begin() + n);
        }
        frames += n;
        seconds += n / answers().rate;
        for (VstInt32 i = 0; i < n; ++i)
            for (const float x : {left[size_t(i)], right[size_t(i)]}) {
                if (!std::isfinite(x) || std::fabs(x) > kOutputBound) {
                    std::ostringstream text;
                    text << "sample " << i << " of " << n << " is " << x;
                    fail(text.str());
                    return false;
                }
                if (exactZero && x != 0.0f) {
                    std::ostringstream text;
                    text << "after every note and effect off, sample " << i << " is " << x;
                    fail(text.str());
                    return false;
                }
            }
        return true;
    }

    void playBlock() {
        if (rng.chance(0.004)) hostEvent();
        if (rng.chance(0.002)) writeParameters(rng.range(20, 200)); // a program of writes
        if (options.everyTag) writeEveryTag();
        VstInt32 n;
        const int kind = rng.below(10);
        if (kind < 4)
            n = rng.range(1, 32);
        else if (kind < 8)
            n = rng.range(33, 512);
        else
            n = rng.range(513, 1024);
        n = std::min(n, blockSize);
        if (rng.chance(0.01)) n = 0; // some hosts call with no frames
        if (rng.chance(0.01)) inputKind = rng.chance(0.7) ? 0 : rng.range(1, 2);
        advanceTime(n);
        // A host that automates to the sample splits its block; writes come between parts.
        int parts = rng.chance(0.2) && n > 0 ? rng.range(2, 4) : 1;
        VstInt32 remaining = n;
        do {
            const VstInt32 part = parts-- > 1 ? rng.range(1, remaining) : remaining;
            writeParameters(rng.chance(0.5) ? 0 : rng.range(1, 4));
            randomMidi(part);
            sendMidi();
            if (!render(part, false)) return;
            remaining -= part;
        } while (remaining > 0 && failure.empty());
    }

    void finish() {
        block = -1;
        normalTime();
        answers().time.flags &= ~kVstTransportPlaying;
        inputKind = 0;
        // Events a faulty host sent for later than its block land within a second.
        const VstInt32 late = std::min<VstInt32>(512, blockSize);
        for (int i = 0; i < static_cast<int>(1.1 * answers().rate / late) + 1; ++i)
            render(late, false);
        // Releases end within two seconds: the amp envelopes' releases short and no
        // modulation slot lengthening them.
        for (int t : kShortReleaseTags) fx->setParameter(fx, t, 0.0f);
        for (int t = kModSourceFirst; t < kModSourceFirst + 48; ++t) fx->setParameter(fx, t, 0.0f);
        // A host sends one event list per block: a block for each channel's releases.
        for (int c = 0; c < 16; ++c) {
            for (int note = 0; note < 128; ++note)
                if (held[c][note]) add(0, 0x80 | c, note, 0);
            add(0, 0xB0 | c, 64, 0);
            add(0, 0xB0 | c, 123, 0);
            add(0, 0xB0 | c, 120, 0);
            sendMidi();
            render(std::min<VstInt32>(16, blockSize), false);
        }
        clearHeld();
        for (int t : kQuietTags) fx->setParameter(fx, t, 0.0f);
        render(std::min<VstInt32>(16, blockSize), false);
        const VstInt32 n = std::min<VstInt32>(512, blockSize);
        const int twoSeconds = static_cast<int>(2.0 * answers().rate / n) + 1;
        for (int i = 0; i < twoSeconds && failure.empty(); ++i) render(n, false);
        for (int i = 0; i < 8 && failure.empty(); ++i) render(n, true);
    }

    // The host's user-interface thread: every query a generic editor, a preset browser or a
    // project save makes, in a loop until the session ends.
    void askQueries() {
        Rng ask(options.seed ^ 0x5DEECE66Dull);
        std::vector<char> chunk;
        char text[512];
        while (!stopQueries.load()) {
            writesStopped = !writesAllowed.load();
            const int index = ask.chance(0.3) ? ask.range(73, 92) : ask.below(2048);
            text[0] = 0;
            switch (ask.below(13)) {
            case 0:
            case 1:
                dispatch(effGetParamName, index, 0, text);
                break;
            case 2:
                dispatch(effGetParamLabel, index, 0, text);
                break;
            case 3:
            case 4:
            case 5:
                dispatch(effGetParamDisplay, index, 0, text);
                break;
            case 6:
                dispatch(effGetProgramName, 0, 0, text);
                break;
            case 7:
                dispatch(effGetProgramNameIndexed, ask.below(128), 0, text);
                break;
            case 8: {
                VstParameterProperties properties{};
                dispatch(effGetParameterProperties, index, 0, &properties);
                break;
            }
            case 9: {
                // A project saved, now and then loaded again while the session plays.
                if (!ask.chance(0.05)) break;
                void* data = nullptr;
                const VstInt32 which = ask.below(2);
                const auto size = static_cast<size_t>(dispatch(effGetChunk, which, 0, &data));
                if (size == 0 || !data) break;
                chunk.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
                if (writesAllowed.load() && ask.chance(0.2))
                    dispatch(effSetChunk, which, static_cast<VstIntPtr>(size), chunk.data());
                break;
            }
            case 10: {
                unsigned char record[64] = {};
                const VstInt32 query = (ask.chance(0.5) ? 0x4E49 : 0x4E69) << 16 | ask.below(64);
                dispatch(effVendorSpecific, query, 0, record);
                break;
            }
            case 11:
                // A host's automation lane or generic editor writes from this thread too,
                // until the session's end begins.
                if (writesAllowed.load())
                    fx->setParameter(fx, index, static_cast<float>(ask.unit()));
                break;
            default:
                (void)fx->getParameter(fx, index);
                dispatch(effGetProgram);
                break;
            }
            ++queries;
        }
    }

    Options options;
    Rng rng;
    AEffect* fx = nullptr;
    VstInt32 blockSize = 1024;
    std::vector<float> left, right, silence, inputL, inputR;
    int inputKind = 0; // 0 silence, 1 noise, 2 noise with hostile samples
    std::vector<VstMidiEvent> midi;
    std::vector<char> pointers;
    bool held[16][128] = {};
    int heldCount = 0;
    int hostileBlocks = 0;
    int block = 0;
    int64_t frames = 0;
    double seconds = 0.0;
    std::string failure;
    std::atomic<bool> stopQueries{false};
    std::atomic<bool> writesAllowed{true}, writesStopped{false};
    std::atomic<int64_t> queries{0};
};

// The line that replays a seed.
inline std::string replayCommand(const Options& o) {
    std::ostringstream text;
    text << "ZEK2_SOAK_SEED=" << o.seed << " ZEK2_SOAK_BLOCKS=" << o.blocks
         << (o.queryThread ? " ZEK2_SOAK_THREADS=2" : "")
         << (o.everyTag ? " ZEK2_SOAK_EVERY_TAG=1" : "")
         << " <build>/tests/zek2_host_tests --gtest_filter=HostSoak.Replay";
    return text.str();
}

} // namespace soak
