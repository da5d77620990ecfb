// A careless or hostile host: every dispatcher opcode with out-of-range indexes, values,
// pointers and floats, events of every shape, odd block, rate and mains orders, chunks that are
// short, huge or corrupted, and editor calls without an open window, all while notes sound.
// After each call the plug-in must still answer and render bounded, finite audio.
#include "ArpSession.h"
#include "AudioAnalysis.h"
#include "EndingCall.h"
#include "ScenarioPatches.h"
#include "TestHost.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <thread>

using namespace testhost;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr VstInt32 kChunkBytes = 8224;

// A system-exclusive event as hosts lay it out.
struct SysexEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr reserved1;
    char* sysexDump;
    VstIntPtr reserved2;
};

// Renders `frames` frames and fails on any sample that is not finite or outside the clamp.
::testing::AssertionResult rendersBounded(Plugin& p, VstInt32 frames = 64) {
    std::vector<float> l, r;
    p.process(frames, l, r);
    for (VstInt32 i = 0; i < frames; ++i) {
        const float a = l[size_t(i)], b = r[size_t(i)];
        if (!std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > 0.999f ||
            std::fabs(b) > 0.999f)
            return ::testing::AssertionFailure() << "frame " << i << ": " << a << ", " << b;
    }
    if (l[size_t(frames)] != 12345.0f || r[size_t(frames)] != 12345.0f)
        return ::testing::AssertionFailure() << "a frame past the block was written";
    return ::testing::AssertionSuccess();
}

// The dense patch with sixteen keys held: every unit runs while the host misbehaves.
void playDense(Plugin& p) {
    scenariopatch::settle(p);
    scenariopatch::setUpDensePatch(p);
    scenariopatch::holdSixteen(p);
    std::vector<float> l, r;
    p.process(2048, l, r);
}

bool allParametersInRange(Plugin& p) {
    for (VstInt32 t = 0; t < 2048; ++t) {
        const float v = p.getParameter(t);
        if (!(v >= 0.0f && v <= 1.0f)) return false;
    }
    return true;
}

// A buffer the host hands in for an answer, with a guard band that must stay untouched.
struct Answer {
    static constexpr size_t kBytes = 512;
    alignas(16) unsigned char bytes[kBytes + 64];
    Answer() { std::memset(bytes, 0x55, sizeof(bytes)); }
    bool guardIntact() const {
        for (size_t i = kBytes; i < sizeof(bytes); ++i)
            if (bytes[i] != 0x55) return false;
        return true;
    }
    size_t written() const {
        size_t last = 0;
        for (size_t i = 0; i < kBytes; ++i)
            if (bytes[i] != 0x55) last = i + 1;
        return last;
    }
};

// The opcode sweep for one host identity: chunks and vendor calls differ between hosts.
void sweepEveryOpcode(const char* product, const char* vendor) {
    SCOPED_TRACE(product);
    resetHost();
    host().product = product;
    host().vendor = vendor;
    Plugin plugin;
    playDense(plugin);

    const VstInt32 indexes[] = {0, 1, -1, 2047, 2048, INT_MIN, INT_MAX};
    const VstIntPtr values[] = {0,
                                1,
                                -1,
                                2048,
                                INT_MAX,
                                INT_MIN,
                                std::numeric_limits<VstIntPtr>::max(),
                                std::numeric_limits<VstIntPtr>::min()};
    const float opts[] = {0.0f, 1.0f, -1.0f, kNaN, kInf, -kInf, 1e30f, -1e30f, 1e-40f};
    std::vector<VstInt32> opcodes;
    for (VstInt32 op = -3; op <= 90; ++op) opcodes.push_back(op);
    for (VstInt32 op : {INT_MIN, INT_MAX, 255, 1000, 0x7FFF}) opcodes.push_back(op);

    for (VstInt32 opcode : opcodes) {
        // effClose ends the instance, effEditOpen with a pointer makes a window of it and
        // effSetChunk reads as many bytes as the host says: each has its own case. The value of the
        // speaker-arrangement calls is an address the host owns, so it gets one.
        if (opcode == effClose || opcode == effEditOpen || opcode == effSetChunk) continue;
        const bool valueIsAddress =
            opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
        for (VstInt32 index : indexes)
            for (VstIntPtr value : values)
                for (float opt : {opts[(size_t(index) + size_t(value)) % 9]})
                    for (bool withPointer : {false, true}) {
                        Answer answer;
                        Answer input;
                        const VstIntPtr v =
                            valueIsAddress ? reinterpret_cast<VstIntPtr>(input.bytes) : value;
                        // The rate, the block size and the mains get their own test; here a
                        // sane value keeps the notes going.
                        const bool stateCall = opcode == effSetSampleRate ||
                                               opcode == effSetBlockSize ||
                                               opcode == effMainsChanged;
                        if (stateCall && !withPointer) continue;
                        std::memset(answer.bytes, 0, Answer::kBytes);
                        plugin.dispatch(opcode, index, stateCall ? 1 : v,
                                        withPointer ? answer.bytes : nullptr,
                                        stateCall ? 44100.0f : opt);
                        ASSERT_TRUE(answer.guardIntact())
                            << "opcode " << opcode << " index " << index << " value " << value;
                        ASSERT_TRUE(input.guardIntact()) << "opcode " << opcode;
                    }
        ASSERT_TRUE(rendersBounded(plugin)) << "after opcode " << opcode;
    }

    // The texts fit the sizes hosts reserve: names, labels and displays 64 bytes, program
    // names 24, effect name 32, vendor and product 64; a garbage index writes at most that too.
    struct TextCall {
        VstInt32 opcode;
        size_t bytes;
    };
    for (TextCall call : {TextCall{effGetParamName, 64}, TextCall{effGetParamLabel, 64},
                          TextCall{effGetParamDisplay, 64}, TextCall{effGetProgramName, 24},
                          TextCall{effGetProgramNameIndexed, 24}, TextCall{effGetEffectName, 32},
                          TextCall{effGetVendorString, 64}, TextCall{effGetProductString, 64}})
        for (VstInt32 index : indexes) {
            Answer answer;
            plugin.dispatch(call.opcode, index, 0, answer.bytes);
            EXPECT_LE(answer.written(), call.bytes) << call.opcode << " index " << index;
        }

    // Invalid parameter indexes get the documented neutral answers.
    for (VstInt32 index : {-1, 2048, INT_MIN, INT_MAX}) {
        EXPECT_EQ(plugin.text(effGetParamName, index), "") << index;
        EXPECT_EQ(plugin.text(effGetParamDisplay, index), " ") << index;
        EXPECT_EQ(plugin.getParameter(index), 0.0f) << index;
        VstParameterProperties properties{};
        EXPECT_EQ(plugin.dispatch(effGetParameterProperties, index, 0, &properties), 0);
    }
    EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 2400);
    EXPECT_TRUE(allParametersInRange(plugin));
    ASSERT_TRUE(rendersBounded(plugin, 4096));
}

} // namespace

TEST(HostHostile, EveryOpcodeWithHostileArgumentsWhileNotesSound) {
    sweepEveryOpcode("REAPER", "Cockos");                 // bank chunks
    sweepEveryOpcode("MASCHINE 2", "Native");             // the vendor-specific queries
    sweepEveryOpcode("Reason", "Propellerhead Software"); // program chunks too
    sweepEveryOpcode("Ardour", "Ardour Community");       // no chunks, the wheel message
}

TEST(HostHostile, ParameterAndTextEntryWithHostileIndexesValuesAndStrings) {
    resetHost();
    Plugin plugin;
    playDense(plugin);
    const float values[] = {kNaN,
                            -kNaN,
                            kInf,
                            -kInf,
                            -0.0f,
                            1e-40f,
                            -1e-40f,
                            1.0000001f,
                            -0.0000001f,
                            1e30f,
                            std::numeric_limits<float>::denorm_min()};
    std::mt19937 rng(7);
    // Texts that depend on the rate (times, frequencies) are asked at the ends of its range.
    const float rates[] = {5.0f, 500000.0f, 44100.0f, 8000.0f, 192000.0f, 44100.0f};
    for (int round = 0; round < 6; ++round) {
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rates[round]);
        for (VstInt32 t = 0; t < 2048; ++t)
            plugin.setParameter(t, round % 2 ? values[rng() % 11] : float(rng() % 3) / 2.0f);
        for (VstInt32 t : {-1, 2048, INT_MIN, INT_MAX}) {
            plugin.setParameter(t, 0.5f);
            EXPECT_EQ(plugin.getParameter(t), 0.0f);
        }
        ASSERT_TRUE(allParametersInRange(plugin)) << round;
        // Every name and value text of whatever was stored fits the host's buffer, terminated.
        for (VstInt32 t = 0; t < 2048; ++t)
            for (VstInt32 opcode : {effGetParamName, effGetParamDisplay, effGetParamLabel}) {
                Answer answer;
                plugin.dispatch(opcode, t, 0, answer.bytes);
                ASSERT_LE(answer.written(), 64u) << "tag " << t << " opcode " << opcode;
                ASSERT_NE(std::memchr(answer.bytes, 0, 64), nullptr) << "tag " << t;
            }
        scenariopatch::holdSixteen(plugin);
        for (int block = 0; block < 20; ++block) ASSERT_TRUE(rendersBounded(plugin, 500)) << round;
    }

    // Typed values: a null pointer, an empty, a huge, a non-number and a locale comma are all
    // answered, and nothing outside the valid tags changes.
    std::string huge(100000, '9');
    std::string longText(5000, 'x');
    for (VstInt32 index : {0, 5, 112, 276, 2047, -1, 2048, INT_MIN, INT_MAX}) {
        plugin.dispatch(effString2Parameter, index, 0, nullptr);
        for (const std::string& text :
             {std::string(), std::string("abc"), std::string("0,5"), std::string("1e999"),
              std::string("-1e999"), std::string("nan"), std::string("inf"), huge, longText}) {
            std::vector<char> buffer(text.begin(), text.end());
            buffer.push_back(0);
            plugin.dispatch(effString2Parameter, index, 0, buffer.data());
        }
        plugin.dispatch(effCanBeAutomated, index);
    }
    // A capability text that is long, empty or unknown is simply not a capability.
    std::string capability(10000, 'r');
    EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, capability.data()), 0);
    EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("")), 0);
    EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 1);
    EXPECT_TRUE(allParametersInRange(plugin));
    ASSERT_TRUE(rendersBounded(plugin, 4096));
}

TEST(HostHostile, EventsAndBlocksOfEveryShapeFromACarelessHost) {
    resetHost();
    Plugin plugin(44100.0f, 256);
    playDense(plugin);

    // Null, empty and negative counts.
    EXPECT_EQ(plugin.dispatch(effProcessEvents, 0, 0, nullptr), 0);
    VstEvents empty{};
    empty.numEvents = 0;
    plugin.dispatch(effProcessEvents, 0, 0, &empty);
    empty.numEvents = -5;
    plugin.dispatch(effProcessEvents, 0, 0, &empty);
    empty.numEvents = INT_MIN;
    plugin.dispatch(effProcessEvents, 0, 0, &empty);
    ASSERT_TRUE(rendersBounded(plugin));

    // A list with null entries, sysex (with and without a dump), unknown types, odd byte sizes,
    // bad status bytes, data bytes with the top bit set and offsets far outside the block.
    std::vector<VstMidiEvent> midi;
    std::mt19937 rng(11);
    const VstInt32 deltas[] = {0, 1, 255, 256, 257, -1, -1000, INT_MIN, INT_MAX, 1 << 20};
    for (int i = 0; i < 400; ++i) {
        VstMidiEvent e{};
        e.type = (i % 17 == 0) ? 99 : kVstMidiType;
        e.byteSize = (i % 13 == 0) ? 0 : (i % 11 == 0 ? -1 : VstInt32(sizeof(VstMidiEvent)));
        e.deltaFrames = deltas[rng() % 10];
        for (char& b : e.midiData) b = static_cast<char>(rng());
        e.noteLength = static_cast<VstInt32>(rng());
        e.noteOffset = static_cast<VstInt32>(rng());
        e.detune = static_cast<char>(rng());
        e.noteOffVelocity = static_cast<char>(rng());
        e.reserved1 = static_cast<char>(rng());
        midi.push_back(e);
    }
    SysexEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof(SysexEvent);
    sysex.dumpBytes = 1 << 20;
    sysex.sysexDump = nullptr;
    char dump[6] = {char(0xF0), 0x7E, 0x7F, 0x09, 0x01, char(0xF7)};
    SysexEvent sysex2 = sysex;
    sysex2.dumpBytes = sizeof(dump);
    sysex2.sysexDump = dump;
    std::vector<VstEvent*> list;
    for (size_t i = 0; i < midi.size(); ++i) {
        list.push_back(reinterpret_cast<VstEvent*>(&midi[i]));
        if (i % 29 == 0) list.push_back(nullptr);
        if (i % 31 == 0) list.push_back(reinterpret_cast<VstEvent*>(&sysex));
        if (i % 37 == 0) list.push_back(reinterpret_cast<VstEvent*>(&sysex2));
    }
    std::vector<char> block(sizeof(VstEvents) + sizeof(VstEvent*) * list.size());
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = static_cast<VstInt32>(list.size());
    std::memcpy(events->events, list.data(), sizeof(VstEvent*) * list.size());
    for (int burst = 0; burst < 3; ++burst) {
        plugin.dispatch(effProcessEvents, 0, 0, events);
        for (int b = 0; b < 20; ++b) ASSERT_TRUE(rendersBounded(plugin, 256)) << burst << " " << b;
    }

    // Blocks of 0, negative and far more frames than the block size set; output pointers that
    // are null leave the plug-in alone and the next real block renders.
    std::vector<float> l(8192, 12345.0f), r(8192, 12345.0f);
    float* outputs[2] = {l.data(), r.data()};
    for (VstInt32 frames : {0, -1, -256, INT_MIN}) {
        plugin->processReplacing(plugin.get(), nullptr, outputs, frames);
        ASSERT_EQ(l[0], 12345.0f) << frames;
    }
    plugin->processReplacing(plugin.get(), nullptr, nullptr, 256);
    float* halfNull[2] = {l.data(), nullptr};
    plugin->processReplacing(plugin.get(), nullptr, halfNull, 256);
    float* otherHalfNull[2] = {nullptr, r.data()};
    plugin->processReplacing(plugin.get(), nullptr, otherHalfNull, 256);
    plugin->processReplacing(plugin.get(), nullptr, outputs, 8000); // block size says 256
    for (size_t i = 0; i < 8000; ++i)
        ASSERT_TRUE(std::isfinite(l[i]) && std::fabs(l[i]) <= 0.999f) << i;
    // The same calls on the deprecated accumulating and the double entry points.
    plugin->process(plugin.get(), nullptr, nullptr, 256);
    plugin->process(plugin.get(), nullptr, halfNull, 256);
    plugin->process(plugin.get(), nullptr, outputs, -7);
    // The double-precision call, which the record does not offer, is answered with silence
    // rather than whatever the host's buffers held.
    std::vector<double> dl(257, 7.0), dr(257, 7.0);
    double* doubles[2] = {dl.data(), dr.data()};
    plugin->processDoubleReplacing(plugin.get(), nullptr, doubles, 256);
    for (size_t i = 0; i < 256; ++i) ASSERT_TRUE(dl[i] == 0.0 && dr[i] == 0.0) << i;
    EXPECT_EQ(dl[256], 7.0);
    plugin->processDoubleReplacing(plugin.get(), nullptr, nullptr, 256);
    double* halfNullDoubles[2] = {nullptr, dr.data()};
    plugin->processDoubleReplacing(plugin.get(), nullptr, halfNullDoubles, 256);
    plugin->processDoubleReplacing(plugin.get(), nullptr, doubles, -3);
    ASSERT_TRUE(rendersBounded(plugin, 1024));

    // Releasing everything still ends in silence: no note was left stuck by the garbage. Events
    // from far in the future wait at most a second, so they have all played first.
    for (int b = 0; b < 110; ++b) plugin.process(441, l, r);
    std::vector<std::array<int, 4>> off;
    for (int ch = 0; ch < 16; ++ch) off.push_back({0, 0xB0 | ch, 123, 0});
    plugin.sendMidi(off);
    scenariopatch::setUpFX(plugin, scenariopatch::kNoFX);
    for (int tag : {tag::ArpOn, tag::DelayOn, tag::ReverbOn, tag::GaterOn})
        plugin.setParameter(tag, 0);
    std::vector<float> tail;
    for (int b = 0; b < 200; ++b) {
        plugin.process(441, l, r);
        tail.assign(l.begin(), l.begin() + 441);
    }
    EXPECT_LT(audio::peak(tail), 1e-4);
}

TEST(HostHostile, RatesBlockSizesAndMainsInOddOrders) {
    resetHost();
    Plugin plugin;
    playDense(plugin);
    // Rates a host should never send, then the extremes of the accepted range, each with the
    // dense patch playing.
    for (float rate : {0.0f, -1.0f, -44100.0f, kNaN, kInf, -kInf, 1.0f, 4.9f, 1e9f, 5.0f, 8.0f,
                       100.0f, 1000.0f, 8000.0f, 500000.0f, 384000.0f, 44100.0f}) {
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        scenariopatch::holdSixteen(plugin);
        for (int b = 0; b < 6; ++b) ASSERT_TRUE(rendersBounded(plugin, 700)) << "rate " << rate;
        scenariopatch::releaseSixteen(plugin);
        ASSERT_TRUE(rendersBounded(plugin, 700)) << "rate " << rate;
    }
    for (VstIntPtr size : {VstIntPtr(0), VstIntPtr(-1), VstIntPtr(INT_MIN), VstIntPtr(INT_MAX),
                           VstIntPtr(1), VstIntPtr(1) << 40}) {
        plugin.dispatch(effSetBlockSize, 0, size);
        ASSERT_TRUE(rendersBounded(plugin, 1500)) << "block size " << size;
    }

    // Suspend and resume in every order, with events and blocks where a host should send none.
    scenariopatch::holdSixteen(plugin);
    const VstIntPtr orders[] = {0, 0, 1, 1, 1, 0, 7, -1, 0, 1};
    for (VstIntPtr mains : orders) {
        plugin.dispatch(effMainsChanged, 0, mains);
        scenariopatch::holdSixteen(plugin);
        ASSERT_TRUE(rendersBounded(plugin, 300)) << mains;
        plugin.dispatch(effStartProcess);
        plugin.dispatch(effStopProcess);
        plugin.dispatch(effStopProcess);
    }
    ASSERT_TRUE(rendersBounded(plugin, 4096));
}

TEST(HostHostile, ChunksAndProgramsFromACarelessHost) {
    resetHost();
    host().product = "REAPER";
    Plugin plugin;
    playDense(plugin);
    void* data = nullptr;
    ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
    const std::vector<unsigned char> valid(static_cast<unsigned char*>(data),
                                           static_cast<unsigned char*>(data) + kChunkBytes);
    void* again = nullptr;
    ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &again), kChunkBytes);
    EXPECT_EQ(std::memcmp(again, valid.data(), kChunkBytes), 0);
    // Asked without a place for the pointer, or as a program chunk, nothing is handed out.
    EXPECT_EQ(plugin.dispatch(effGetChunk, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin.dispatch(effGetChunk, 1, 0, &again), 0);

    // Null, short, negative and huge sizes: the short ones are refused, a longer one is read
    // for what a chunk holds.
    std::vector<unsigned char> bigger(valid);
    bigger.resize(1 << 20, 0xFF);
    for (VstIntPtr size : {VstIntPtr(0), VstIntPtr(-1), VstIntPtr(INT_MIN), VstIntPtr(1),
                           VstIntPtr(kChunkBytes - 1)})
        EXPECT_EQ(plugin.dispatch(effSetChunk, 0, size, bigger.data()), 0) << size;
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes, nullptr), 0);
    // A size past the 32-bit range is not cut down to a small or a negative one.
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, -(VstIntPtr(1) << 32) + kChunkBytes, bigger.data()),
              0);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, (VstIntPtr(1) << 32) + 5, bigger.data()), 1);
    EXPECT_EQ(plugin.dispatch(effSetChunk, 0, VstIntPtr(1) << 20, bigger.data()), 1);
    ASSERT_TRUE(rendersBounded(plugin, 4096));

    // Fuzz: the valid chunk with bytes flipped, or cut short, is refused or taken; either way
    // every value stays in range and the sound stays finite with notes held.
    std::mt19937 rng(1234);
    for (int round = 0; round < 24; ++round) {
        std::vector<unsigned char> chunk(valid);
        const int flips = 1 + int(rng() % 64);
        for (int f = 0; f < flips; ++f) chunk[rng() % chunk.size()] ^= 1u << (rng() % 8);
        if (round % 5 == 0)
            for (size_t i = kChunkBytes - 32; i < size_t(kChunkBytes); ++i) chunk[i] = 0xAB;
        const VstIntPtr size = (round % 4 == 3) ? VstIntPtr(rng() % kChunkBytes) : kChunkBytes;
        const VstIntPtr answer = plugin.dispatch(effSetChunk, 0, size, chunk.data());
        EXPECT_EQ(answer, size == kChunkBytes ? 1 : 0) << round;
        scenariopatch::holdSixteen(plugin);
        for (int b = 0; b < 2; ++b) ASSERT_TRUE(rendersBounded(plugin, 2048)) << round;
        ASSERT_TRUE(allParametersInRange(plugin)) << round;
        // The name handed back is always terminated within its field.
        void* out = nullptr;
        ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &out), kChunkBytes);
        const char* name = static_cast<const char*>(out) + 8192;
        EXPECT_LT(strnlen(name, 32), 32u) << round;
    }

    // Program calls with values outside the one program change nothing.
    plugin.setParameter(tag::ReverbOn, 1.0f);
    scenariopatch::settle(plugin);
    const float before = plugin.getParameter(tag::ReverbOn);
    for (VstIntPtr program :
         {VstIntPtr(1), VstIntPtr(-1), VstIntPtr(INT_MAX), VstIntPtr(INT_MIN), VstIntPtr(1) << 32,
          -(VstIntPtr(1) << 32), std::numeric_limits<VstIntPtr>::min()}) {
        plugin.dispatch(effSetProgram, 0, program);
        ASSERT_TRUE(rendersBounded(plugin, 4096));
        ASSERT_EQ(plugin.getParameter(tag::ReverbOn), before) << program;
    }
    char longName[300];
    std::memset(longName, 'n', sizeof(longName) - 1);
    longName[sizeof(longName) - 1] = 0;
    plugin.dispatch(effSetProgramName, 0, 0, longName);
    plugin.dispatch(effSetProgramName, 0, 0, nullptr);
    plugin.dispatch(effBeginSetProgram);
    plugin.dispatch(effBeginSetProgram);
    plugin.dispatch(effEndSetProgram);
    EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
    ASSERT_TRUE(rendersBounded(plugin, 4096));
}

TEST(HostHostile, EditorCallsWithoutAWindowAndCloseInAnyState) {
    resetHost();
    host().product = "REAPER"; // chunks served
    {
        Plugin plugin;
        playDense(plugin);
        // Idle, close, keys, knob mode and the wheel before any opening.
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        plugin.dispatch(effEditClose);
        ERect* rect = nullptr;
        EXPECT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(plugin.dispatch(effEditGetRect, 0, 0, nullptr), 0);
        const VstInt32 wheelIndex = fourCharCode('s', 't', 'C', 'A');
        const VstIntPtr wheelValue = fourCharCode('W', 'h', 'e', 'e');
        auto everyKeyAndWheel = [&] {
            for (VstInt32 character : {0, int('a'), int('z'), int(' '), -1, 255, INT_MAX, INT_MIN})
                for (VstIntPtr virt = 0; virt < 70; ++virt)
                    for (float modifiers : {0.0f, 1.0f, 15.0f, kNaN}) {
                        plugin.dispatch(effEditKeyDown, character, virt, nullptr, modifiers);
                        plugin.dispatch(effEditKeyUp, character, virt, nullptr, modifiers);
                    }
            for (float wheel : {1.0f, -1.0f, kNaN, kInf, -kInf, 1e30f})
                plugin.dispatch(effVendorSpecific, wheelIndex, wheelValue, nullptr, wheel);
            for (VstIntPtr mode : {VstIntPtr(-1), VstIntPtr(0), VstIntPtr(2), VstIntPtr(99)})
                plugin.dispatch(effSetEditKnobMode, 0, mode);
        };
        everyKeyAndWheel();
        ASSERT_TRUE(rendersBounded(plugin, 1024));

        // A window id with no display to find it on, and one that names no window: refused.
        const char* display = std::getenv("DISPLAY");
        const std::string savedDisplay = display ? display : "";
        unsetenv("DISPLAY");
        EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x12345ul)), 0);
        if (display) setenv("DISPLAY", savedDisplay.c_str(), 1);
        EXPECT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x7ffffff0ul)), 0);
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        everyKeyAndWheel();
        ASSERT_TRUE(rendersBounded(plugin, 1024));

        // Opened without a parent window (offscreen), the same calls, then opened again
        // without a close, idled, closed twice.
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
        plugin.dispatch(effEditIdle);
        everyKeyAndWheel();
        ASSERT_TRUE(rendersBounded(plugin, 1024));
        // The open editor takes every tag at its ends, just inside them and at random values,
        // from the host's automation, a garbage chunk and program calls.
        std::mt19937 rng(99);
        for (float value : {0.0f, 1.0f, 0.0001f, 0.9999f, kNaN, -1.0f, 2.0f, -2.0f})
            for (VstInt32 t = 0; t < 2048; ++t)
                plugin.setParameter(t, value < -1.5f ? float(rng() % 1000) / 999.0f : value);
        plugin.dispatch(effEditIdle);
        ASSERT_TRUE(rendersBounded(plugin, 4096));
        plugin.dispatch(effEditIdle);
        std::vector<float> garbage(8224 / 4);
        for (float& g : garbage) g = float(rng() % 1000) / 999.0f;
        plugin.dispatch(effSetChunk, 0, 8224, garbage.data());
        plugin.dispatch(effSetProgram, 0, 0);
        for (int b = 0; b < 4; ++b) {
            ASSERT_TRUE(rendersBounded(plugin, 4096));
            plugin.dispatch(effEditIdle);
        }
        plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
        plugin.dispatch(effEditIdle);
        ASSERT_TRUE(rendersBounded(plugin, 1024));
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
        plugin.dispatch(effEditIdle);
        plugin.dispatch(effEditClose);
        plugin.dispatch(effEditClose);
        plugin.dispatch(effEditIdle);
        ASSERT_TRUE(rendersBounded(plugin, 1024));
        // Left open: effClose ends the instance with the editor still open.
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
        plugin.dispatch(effEditIdle);
    }
    // effClose right after construction, with notes queued, and after a suspend.
    {
        AEffect* effect = entryPoint()(hostCallback);
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    }
    {
        Plugin plugin;
        scenariopatch::holdSixteen(plugin);
        plugin.dispatch(effMainsChanged, 0, 0);
        plugin.dispatch(effMainsChanged, 0, 0);
    }
}

namespace {

// One way a host calls into the plug-in: an opcode with plain arguments, a render, a
// parameter write or read.
struct Door {
    std::string name;
    std::function<void(Plugin&)> enter;
    bool editor = false; // made with the editor open
};

std::vector<Door> everyDoor(const std::vector<unsigned char>& chunk) {
    std::vector<Door> doors;
    for (VstInt32 op = 0; op <= 80; ++op) {
        if (op == effClose) continue;
        VstIntPtr value = 0;
        float opt = 0.0f;
        if (op == effMainsChanged || op == effSetBlockSize) value = op == effMainsChanged ? 1 : 256;
        if (op == effSetSampleRate) opt = 48000.0f;
        if (op == effEditKeyDown || op == effEditKeyUp) value = 14; // the arrow down
        const bool editor = (op >= effEditGetRect && op <= effEditTop) || op == effEditKeyDown ||
                            op == effEditKeyUp || op == effSetEditKnobMode;
        doors.push_back({"opcode " + std::to_string(op),
                         [=](Plugin& p) {
                             Answer answer;
                             std::memset(answer.bytes, 0, Answer::kBytes);
                             // The editor opens offscreen: a pointer would name a window.
                             void* ptr = op == effEditOpen ? nullptr : answer.bytes;
                             if (op == effSetChunk) ptr = const_cast<unsigned char*>(chunk.data());
                             p.dispatch(op, 0, op == effSetChunk ? kChunkBytes : value, ptr, opt);
                         },
                         editor});
    }
    doors.push_back({"mains off", [](Plugin& p) { p.dispatch(effMainsChanged, 0, 0); }});
    doors.push_back({"wheel",
                     [](Plugin& p) {
                         p.dispatch(effVendorSpecific, fourCharCode('s', 't', 'C', 'A'),
                                    fourCharCode('W', 'h', 'e', 'e'), nullptr, 1.0f);
                     },
                     true});
    doors.push_back({"processReplacing", [](Plugin& p) { (void)rendersBounded(p, 8192); }});
    // A plug-in closed inside one of these calls is not called again.
    doors.push_back({"setParameter", [](Plugin& p) {
                         for (VstInt32 t = 0; t < 2048 && p.get(); t += 7) p.setParameter(t, 0.3f);
                     }});
    doors.push_back({"getParameter", [](Plugin& p) {
                         for (VstInt32 t = 0; t < 2048 && p.get(); ++t) (void)p.getParameter(t);
                     }});
    return doors;
}

// An instance whose every part can call the host: the arpeggiator playing held keys (its notes
// go out as MIDI), chunks served, and when asked the editor open offscreen.
std::unique_ptr<Plugin> busyInstance(bool withEditor) {
    auto p = std::make_unique<Plugin>();
    scenariopatch::settle(*p);
    p->setParameter(tag::ArpOn, 1.0f);
    (void)rendersBounded(*p, 4096); // the mode change settles
    p->sendMidi({{0, 0x90, 60, 100}, {0, 0x90, 64, 100}});
    (void)rendersBounded(*p, 4096);
    if (withEditor) {
        p->dispatch(effEditOpen, 0, 0, nullptr);
        p->dispatch(effEditIdle);
    }
    return p;
}

} // namespace

// A host that answers a callback by closing the plug-in or its editor: whichever call of the
// plug-in's made the callback, the close waits until that call has returned, nothing freed is
// touched meanwhile (the sanitizer builds check), and a closed plug-in calls the host no more.
TEST(HostHostile, CloseInsideEveryCallbackOfEveryCall) {
    arptest::usePrivatePreferences(); // the arpeggiator's notes go out to the host
    resetHost();
    host().product = "REAPER";
    std::vector<unsigned char> chunk;
    {
        Plugin p;
        void* data = nullptr;
        ASSERT_EQ(p.dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
        chunk.assign(static_cast<unsigned char*>(data),
                     static_cast<unsigned char*>(data) + kChunkBytes);
    }
    int closes = 0;
    std::string doorsWithCallbacks;
    for (const Door& door : everyDoor(chunk)) {
        // First the callbacks this call makes on the calling thread.
        std::vector<VstInt32> made;
        {
            auto p = busyInstance(door.editor);
            hostReentry() = [&](VstInt32 op, VstInt32) {
                if (std::find(made.begin(), made.end(), op) == made.end()) made.push_back(op);
            };
            door.enter(*p);
            hostReentry() = nullptr;
        }
        if (!made.empty()) doorsWithCallbacks += door.name + ", ";
        for (VstInt32 callback : made)
            for (VstInt32 closer : {effClose, effEditClose}) {
                SCOPED_TRACE(door.name + ", callback " + std::to_string(callback) + ", closer " +
                             std::to_string(closer));
                auto p = busyInstance(door.editor || closer == effEditClose);
                bool fired = false;
                int heardAfter = 0;
                hostReentry() = [&](VstInt32 op, VstInt32) {
                    if (fired) {
                        ++heardAfter;
                    } else if (op == callback) {
                        fired = true;
                        p->dispatch(closer);
                        if (closer == effClose) p->forgetClosed();
                    }
                };
                door.enter(*p);
                hostReentry() = nullptr;
                EXPECT_TRUE(fired);
                closes += fired;
                if (closer == effClose) {
                    EXPECT_EQ(heardAfter, 0);
                    continue;
                }
                EXPECT_TRUE(rendersBounded(*p, 512));
                EXPECT_EQ(p->dispatch(effEditOpen, 0, 0, nullptr), 1);
                p->dispatch(effEditIdle);
            }
    }
    std::printf("[ figures  ] %d closes inside callbacks of %s\n", closes,
                doorsWithCallbacks.c_str());
    EXPECT_NE(doorsWithCallbacks.find("processReplacing"), std::string::npos);
    EXPECT_NE(doorsWithCallbacks.find("opcode 12"), std::string::npos); // resume's wantMidi
}

// A host thread that ends inside one of our callbacks (the host cancels it, or it exits) during
// the plug-in's construction, a resume, a render or the editor's opening: an exit unwinds
// through the plug-in, a cancel acts only once the call has returned to the host, the process
// lives, and the plug-in goes on serving, plays the program selected next (a thread ended inside
// an opening holds back no load) and closes from another thread (the ended call let its slot go).
TEST(HostHostile, AHostThreadThatEndsInsideACallback) {
    resetHost();
    auto p = std::make_unique<Plugin>();
    scenariopatch::settle(*p);
    const auto construct = [](Plugin&) {
        if (AEffect* e = entryPoint()(hostCallback)) e->dispatcher(e, effClose, 0, 0, nullptr, 0);
    };
    const auto resume = [](Plugin& q) { q.dispatch(effMainsChanged, 0, 1); };
    const auto render = [](Plugin& q) { (void)rendersBounded(q, 512); };
    const auto open = [](Plugin& q) { q.dispatch(effEditOpen, 0, 0, nullptr); };
    const VstInt32 productString = audioMasterGetProductString;
    const std::pair<const char*, EndingCall> calls[] = {
        {"construction, exit", {p.get(), construct, productString, false}},
        {"construction, cancel", {p.get(), construct, productString, true}},
        {"resume, exit", {p.get(), resume, audioMasterWantMidi, false}},
        {"resume, cancel", {p.get(), resume, audioMasterWantMidi, true}},
        {"render, exit", {p.get(), render, audioMasterGetTime, false}},
        {"render, cancel", {p.get(), render, audioMasterGetTime, true}},
        {"open, exit", {p.get(), open, productString, false}},
        {"open, cancel", {p.get(), open, productString, true}},
    };
    for (auto [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call.run(), call.cancel ? PTHREAD_CANCELED : nullptr);
        EXPECT_TRUE(call.reached);
        EXPECT_EQ(call.returned, call.cancel) << "a cancel acted inside the plug-in's call";
        p->dispatch(effMainsChanged, 0, 1);
        EXPECT_TRUE(rendersBounded(*p, 4096));
        p->setParameter(tag::MainVolume, 0.0f);
        p->dispatch(effSetProgram, 0, 0);
        (void)p->renderLeft(3 * 4096);
        p->sendMidi({{0, 0x90, 60, 100}});
        EXPECT_GT(audio::peak(p->renderLeft(8192)), 0.001) << "the program selected is not played";
        p->sendMidi({{0, 0x80, 60, 0}});
        // The next thread is likely to get the ended one's id: a slot it left held would make
        // the plug-in take this thread for one inside a call and refuse to open the editor.
        std::thread([&] {
            EXPECT_EQ(p->dispatch(effEditOpen, 0, 0, nullptr), 1);
            p->dispatch(effEditClose);
        }).join();
    }
    std::promise<void> closed;
    std::thread closer([&] {
        p.reset();
        closed.set_value();
    });
    const bool done =
        closed.get_future().wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    EXPECT_TRUE(done) << "the close from another thread hung";
    done ? closer.join() : closer.detach();
}

namespace {

// One random call of a careless host, drawn from everything above; renders are checked.
::testing::AssertionResult randomHostCall(Plugin& p, std::mt19937& rng, bool& editorOpen) {
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const float floats[] = {0.0f, 1.0f, 0.5f, kNaN, kInf, -kInf, -1.0f, 1e30f, 0.9999f, 1e-40f};
    switch (pick(16)) {
    case 0:
    case 1:
    case 2:
    case 3: {
        std::vector<std::array<int, 4>> events;
        for (int n = pick(8); n >= 0; --n)
            events.push_back({pick(3) == 0 ? pick(5000) - 1000 : pick(512), 0x80 + pick(128),
                              pick(256), pick(256)});
        p.sendMidi(events);
        return rendersBounded(p, 1 + pick(1024));
    }
    case 4:
        for (int n = pick(40); n >= 0; --n)
            p.setParameter(pick(2100) - 20, pick(2) ? floats[pick(10)] : float(pick(1001)) / 1000);
        return rendersBounded(p, 1 + pick(600));
    case 5: {
        const float rates[] = {44100.0f, 48000.0f, 22050.0f, 96000.0f, 5.0f, 500000.0f, kNaN, 0};
        p.dispatch(effSetSampleRate, 0, 0, nullptr, rates[pick(8)]);
        p.dispatch(effSetBlockSize, 0, pick(3) ? 1 + pick(4096) : -pick(100));
        return rendersBounded(p, 1 + pick(600));
    }
    case 6:
        p.dispatch(effMainsChanged, 0, pick(2));
        return rendersBounded(p, 1 + pick(300));
    case 7:
        if (editorOpen) {
            p.dispatch(effEditClose);
            editorOpen = false;
        } else {
            editorOpen = p.dispatch(effEditOpen, 0, 0, nullptr) == 1;
        }
        return rendersBounded(p, 1 + pick(300));
    case 8:
        p.dispatch(pick(2) ? effEditKeyDown : effEditKeyUp, pick(300) - 20, pick(80), nullptr,
                   float(pick(16)));
        p.dispatch(effEditIdle);
        return rendersBounded(p, 1 + pick(300));
    case 9: {
        void* data = nullptr;
        if (p.dispatch(effGetChunk, 0, 0, &data) == kChunkBytes && data) {
            std::vector<unsigned char> chunk(static_cast<unsigned char*>(data),
                                             static_cast<unsigned char*>(data) + kChunkBytes);
            for (int f = pick(20); f > 0; --f) chunk[rng() % chunk.size()] ^= 1u << pick(8);
            p.dispatch(effSetChunk, 0, pick(4) ? kChunkBytes : pick(kChunkBytes), chunk.data());
        }
        return rendersBounded(p, 1 + pick(1024));
    }
    case 10:
        p.dispatch(effSetProgram, 0, pick(3) - 1);
        return rendersBounded(p, 1 + pick(1024));
    case 11: {
        char text[80];
        const VstInt32 opcodes[] = {effGetParamName,   effGetParamDisplay, effGetParamLabel,
                                    effGetProgramName, effCanBeAutomated,  effString2Parameter};
        std::snprintf(text, sizeof(text), "%d", pick(2000) - 1000);
        p.dispatch(opcodes[pick(6)], pick(2100) - 20, 0, text);
        return rendersBounded(p, 1 + pick(64));
    }
    case 12:
        p.dispatch(effVendorSpecific, fourCharCode('s', 't', 'C', 'A'),
                   fourCharCode('W', 'h', 'e', 'e'), nullptr, floats[pick(10)]);
        return rendersBounded(p, 1 + pick(64));
    default: {
        std::vector<float> l(2048), r(2048);
        float* outputs[2] = {l.data(), r.data()};
        p->processReplacing(p.get(), nullptr, outputs, pick(2) ? -pick(100) : pick(2048));
        for (float x : l)
            if (!std::isfinite(x) || std::fabs(x) > 0.999f)
                return ::testing::AssertionFailure() << "sample " << x;
        return rendersBounded(p, 1 + pick(64));
    }
    }
}

} // namespace

// Random sequences of all the calls above, seeded; ZEK2_HOSTILE_SEEDS=n runs n more seeds.
TEST(HostHostile, RandomSequencesOfHostileCalls) {
    std::vector<unsigned> seeds = {1, 2, 3, 4};
    if (const char* more = std::getenv("ZEK2_HOSTILE_SEEDS"))
        for (unsigned s = 0, n = unsigned(std::atoi(more)); s < n; ++s) seeds.push_back(1000 + s);
    for (unsigned seed : seeds) {
        resetHost();
        host().product = seed % 2 ? "REAPER" : "MASCHINE";
        std::mt19937 rng(seed);
        Plugin plugin;
        playDense(plugin);
        bool editorOpen = false;
        for (int call = 0; call < 300; ++call) {
            if (call % 40 == 0) scenariopatch::holdSixteen(plugin);
            ASSERT_TRUE(randomHostCall(plugin, rng, editorOpen))
                << "seed " << seed << " call " << call;
        }
        EXPECT_TRUE(allParametersInRange(plugin)) << "seed " << seed;
    }
}

namespace {

// The race test's host: it answers from constants and records nothing, so its two threads share
// no host state of the test's own.
VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetProductString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "REAPER");
        return 1;
    case audioMasterGetVendorString:
        if (ptr) std::strcpy(static_cast<char*>(ptr), "Cockos");
        return 1;
    default:
        return 0;
    }
}

} // namespace

// A host's preset browser restores chunks and selects the program on its user-interface thread,
// and the user opens and closes the window, while the audio thread renders notes: neither may
// tear the other's state.
TEST(HostHostileRace, ChunksProgramsAndTextsFromTheUiThreadWhileRendering) {
    AEffect* effect = entryPoint()(quietHost);
    ASSERT_NE(effect, nullptr);
    auto dispatch = [effect](VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    };
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effMainsChanged, 0, 1);
    std::vector<float> l(4096), r(4096);
    float* outputs[2] = {l.data(), r.data()};
    effect->processReplacing(effect, nullptr, outputs, 4096);
    effect->processReplacing(effect, nullptr, outputs, 4096);
    for (int t : {tag::DelayOn, tag::ReverbOn, tag::Osc2On}) effect->setParameter(effect, t, 1.0f);
    effect->setParameter(effect, tag::UnisonMode, scenariopatch::stepped(5, 29.99f));
    void* data = nullptr;
    ASSERT_EQ(dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
    const std::vector<unsigned char> valid(static_cast<unsigned char*>(data),
                                           static_cast<unsigned char*>(data) + kChunkBytes);
    std::atomic<bool> done{false};
    std::atomic<bool> bad{false};
    std::thread audio([&] {
        std::vector<float> al(256), ar(256);
        float* out[2] = {al.data(), ar.data()};
        testmidi::EventBlock keys({{0, 0x90, 48, 100}, {5, 0x90, 55, 100}, {9, 0x80, 48, 0}});
        for (int block = 0; !done.load() || block < 50; ++block) {
            if (block % 16 == 0) effect->dispatcher(effect, effProcessEvents, 0, 0, keys.get(), 0);
            effect->processReplacing(effect, nullptr, out, 256);
            for (size_t i = 0; i < 256; ++i)
                if (!std::isfinite(al[i]) || std::fabs(al[i]) > 0.999f) bad = true;
        }
    });
    std::mt19937 rng(5);
    char text[256];
    for (int round = 0; round < 120; ++round) {
        std::vector<unsigned char> chunk(valid);
        for (int f = 0; f < 8; ++f) chunk[rng() % chunk.size()] ^= 1u << (rng() % 8);
        dispatch(effSetChunk, 0, kChunkBytes, chunk.data());
        void* out = nullptr;
        dispatch(effGetChunk, 0, 0, &out);
        dispatch(effSetProgram, 0, 0);
        dispatch(effGetProgramName, 0, 0, text);
        for (VstInt32 t = 0; t < 2048; t += 97) {
            dispatch(effGetParamDisplay, t, 0, text);
            effect->setParameter(effect, t, float(rng() % 100) / 99.0f);
        }
        // The user opens and closes the plug-in's window meanwhile.
        if (round % 10 == 0) dispatch(effEditOpen, 0, 0, nullptr);
        dispatch(effEditIdle);
        // The host's arrow keys step through the bank while the window is open.
        dispatch(effEditKeyDown, 0, round % 3 ? 14 : 12);
        dispatch(effEditKeyUp, 0, round % 3 ? 14 : 12);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (round % 10 == 5) dispatch(effEditClose);
    }
    done = true;
    audio.join();
    EXPECT_FALSE(bad.load());
    for (VstInt32 t = 0; t < 2048; ++t) {
        const float v = effect->getParameter(effect, t);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << t;
    }
    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effClose), 1);
}
