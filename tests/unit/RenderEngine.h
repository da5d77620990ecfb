// A test engine for the note road and render loop: an APlugin on fresh preferences with a
// recording host callback, blocks rendered with processReplacing and MIDI queued through
// processEvents, as the host would. For unit tests that check engine state.
#pragma once

#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "platform/prefs.h"

#include "TestFolders.h"
#include "tests/MidiEvents.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace rendertest {

// MIDI messages the engine sent, recorded by the host callback.
struct Sent {
    int status, data1, data2;
    VstInt32 deltaFrames;
};

inline std::vector<Sent>& sentMidi() {
    static std::vector<Sent> sent;
    return sent;
}

inline VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterProcessEvents && ptr) {
        auto* events = static_cast<VstEvents*>(ptr);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            const auto* m = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
            sentMidi().push_back({static_cast<unsigned char>(m->midiData[0]),
                                  static_cast<unsigned char>(m->midiData[1]),
                                  static_cast<unsigned char>(m->midiData[2]), m->deltaFrames});
        }
        return 1;
    }
    return 0;
}

class Engine {
public:
    explicit Engine(float rate = 48000.0f) {
        sentMidi().clear();
        engine = std::make_unique<APlugin>(recordingHost);
        engine->setSampleRate(rate);
        render(1); // the first program is applied at the first boundary
        engine->setParameter(tag::ArpOn, 0.0f);
        playMode(0);
    }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    APlugin* operator->() const { return engine.get(); }
    APlugin& operator*() const { return *engine; }

    // A new play structure takes effect at the next slow update, which releases every voice.
    void playMode(int mode) {
        engine->setSteppedValue(tag::PlayMode, mode);
        settle();
    }
    void settle() { render(256); }

    void render(int frames) {
        left.assign(size_t(frames), 0.0f);
        right.assign(size_t(frames), 0.0f);
        input.assign(size_t(frames), 0.0f);
        float* in[2] = {input.data(), input.data()};
        float* out[2] = {left.data(), right.data()};
        engine->processReplacing(in, out, frames);
    }

    // Queues (deltaFrames, status, data1, data2) messages.
    void midi(const std::vector<std::array<int, 4>>& messages) {
        testmidi::EventBlock events(messages);
        engine->processEvents(events.get());
    }

    // Queues the messages at deltaFrames 0 and renders one sample, so they are handled.
    void play(const std::vector<std::array<int, 3>>& messages) {
        std::vector<std::array<int, 4>> timed;
        for (const auto& m : messages) timed.push_back({0, m[0], m[1], m[2]});
        midi(timed);
        render(1);
    }

    int pressedCount() const {
        int n = 0;
        for (uint8_t p : engine->voicePressed) n += p != 0;
        return n;
    }

    std::vector<float> left, right, input;

private:
    FreshPrefs prefs{"zek2render"};
    std::unique_ptr<APlugin> engine;
};

} // namespace rendertest
