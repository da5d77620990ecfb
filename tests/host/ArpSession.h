// A host session for the arpeggiator tests: the real plug-in with MIDI out on channel 1, the
// arpeggiator on and its settings at their defaults, rendered in blocks of a chosen size with
// the host's clock moving along, and a log of the MIDI it sends with absolute sample positions.
#pragma once

#include "tests/PlainOscillator.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace arptest {

// Parameter tags, as the host knows them.
constexpr int kArpOn = 492, kArpPlayMode = 493, kArpMode = 494, kArpLoopMode = 495,
              kArpOctave = 498, kArpTiedMode = 499, kArpRatchetMode = 500, kArpSync = 502,
              kArpLatch = 504;
constexpr int kSteps = 506, kSpeed = 507, kSwing = 509, kVelKeys = 512;
constexpr int kStepOn = 513, kStepTied = 529, kStepTune = 561, kStepVel = 577, kStepRatchet = 625;
constexpr int kStrideB = 137;

// The stored value of step `index` of a stepped parameter with the given range.
inline constexpr auto& stepped = testpatch::stepValue;
inline float tuneValue(int semitones) {
    return (semitones + 0.1f) / 72.99f + 0.5f;
}

struct Sent {
    long sample; // from the first sample the session rendered
    int status;
    int key;
    int velocity;
};

// Points the preferences at a private file that sends MIDI out on channel 1. The store is
// read once per process, so this must come before the process opens its first plug-in; the
// file serves the process to its end and goes with the process's own folder (TestMain.cpp).
inline bool usePrivatePreferences() {
    static const bool ready = [] {
        if (testhost::openedPlugins() > 0) return false;
        const char* base = std::getenv("ZEK2_TEST_TMP");
        std::string root = (base && base[0] == '/') ? base : "/tmp";
        std::string pattern = root + "/zek2arpXXXXXX";
        if (!mkdtemp(pattern.data())) return false;
        mkdir((pattern + "/VMQX").c_str(), 0700);
        std::ofstream(pattern + "/VMQX/com.VMQX.ZEK2.conf") << "i MIDIOutChannel=1\n";
        setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        return true;
    }();
    return ready;
}

class Session {
public:
    Session(float rate, VstInt32 block) : rate(rate), block(block) {
        testhost::resetHost();
        testhost::host().time.sampleRate = rate;
        plugin = std::make_unique<testhost::Plugin>(rate, block);
        renderRaw(4096); // the first program is applied at the first boundary
        defaults();
        renderRaw(4096); // mode changes settle (the slow update stops every voice)
        testhost::host().midiOut.clear();
        clock = 0;
    }

    testhost::Plugin& p() { return *plugin; }
    void set(int tag, float value) { plugin->setParameter(tag, value); }

    // Every arpeggiator setting at its default, the arpeggiator on, sync off.
    void defaults() {
        for (int t = 493; t <= 504; ++t) set(t, 0.0f);
        set(kArpOn, 1.0f);
        for (int pattern = 0; pattern < 2; ++pattern) {
            const int b = pattern * kStrideB;
            set(505 + b, 0.0f);    // loop start
            set(kSteps + b, 1.0f); // 16 steps
            set(kSpeed + b, 0.5f); // "1x BPM"
            for (int t = 508; t <= 512; ++t) set(t + b, 0.0f);
            for (int s = 0; s < 16; ++s) {
                set(kStepOn + b + s, 1.0f);
                set(kStepTied + b + s, 0.0f);
                set(545 + b + s, 0.0f); // slide
                set(kStepTune + b + s, tuneValue(0));
                set(kStepVel + b + s, 1.0f);
                set(593 + b + s, 0.5f);
                set(609 + b + s, 0.5f);
                set(kStepRatchet + b + s, 0.0f);
            }
        }
    }

    // Queues MIDI at `offset` samples into the next block.
    void midi(int offset, int status, int key, int velocity) {
        plugin->sendMidi({{offset, status, key, velocity}});
    }
    void keyDown(int key, int velocity = 100) {
        if (firstKeyAt < 0) firstKeyAt = clock;
        midi(0, 0x90, key, velocity);
    }
    void keyUp(int key) { midi(0, 0x80, key, 0); }

    // Renders `frames` samples in blocks, the host's position following while it plays.
    void render(long frames) {
        testhost::HostState& h = testhost::host();
        while (frames > 0) {
            const VstInt32 n = VstInt32(std::min<long>(frames, block));
            const size_t before = h.midiOut.size();
            plugin->process(n, left, right);
            for (size_t i = before; i < h.midiOut.size(); ++i) {
                const testhost::SentMidi& m = h.midiOut[i];
                log.push_back({clock + m.deltaFrames, m.status, m.data1, m.data2});
            }
            if (h.time.flags & kVstTransportPlaying)
                h.time.ppqPos += n / rate * h.time.tempo / 60.0;
            clock += n;
            frames -= n;
        }
    }

    std::vector<Sent> noteOns() const {
        std::vector<Sent> ons;
        for (const Sent& s : log)
            if ((s.status & 0xF0) == 0x90 && s.velocity > 0) ons.push_back(s);
        return ons;
    }
    // Note-on samples counted from the first key pressed.
    std::vector<long> onsetSamples() const {
        std::vector<long> samples;
        for (const Sent& s : noteOns()) samples.push_back(s.sample - std::max(firstKeyAt, 0L));
        return samples;
    }
    std::vector<int> onsetKeys() const {
        std::vector<int> keys;
        for (const Sent& s : noteOns()) keys.push_back(s.key);
        return keys;
    }
    // Samples of one plain step at `tempo` BPM and "1x BPM": a sixteenth note.
    double stepSamples(double tempo = 120.0) const { return rate * 15.0 / tempo; }

    std::vector<Sent> log;
    std::vector<float> left, right;
    long firstKeyAt = -1;

private:
    void renderRaw(long frames) {
        while (frames > 0) {
            const VstInt32 n = VstInt32(std::min<long>(frames, block));
            plugin->process(n, left, right);
            frames -= n;
        }
    }

    float rate;
    VstInt32 block;
    long clock = 0;
    std::unique_ptr<testhost::Plugin> plugin;
};

// Each arpeggiator test needs MIDI out, which the preferences switch on for the process.
class ArpHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!usePrivatePreferences())
            GTEST_SKIP() << "needs a process of its own (ctest runs each test alone)";
    }
};

} // namespace arptest
