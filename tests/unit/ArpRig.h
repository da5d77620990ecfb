// A test rig for the arpeggiator's engine state: one engine with the arpeggiator on and its
// settings at their defaults, keys entered through the note road, and the control-rate
// hooks driven block by block, recording each step boundary that sounds a note.
#pragma once

#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <memory>
#include <vector>

namespace arprig {

struct Boundary {
    int pattern;
    int step;
    int note;
    int offset; // semitones
};

// One engine with the arpeggiator on and every arpeggiator setting at its default.
class ArpRig {
public:
    explicit ArpRig(float rate = 48000.0f) : engine(std::make_unique<APlugin>(nullptr)) {
        engine->setSampleRate(rate);
        for (int t = tag::ArpFirst; t <= tag::ArpLast; ++t) engine->setToDefault(t);
        engine->setParameter(tag::ArpOn, 1.0f);
        engine->setParameter(tag::ArpSyncOn, 0.0f);
        engine->updateArpRare();
    }
    APlugin& e() { return *engine; }

    void stepped(int t, int index) {
        engine->setParameter(t, stepStoredValue(index, engine->getSteppedRange(t)));
        engine->updateArpRare();
    }
    // Keys go through the note road, as MIDI would send them.
    void press(int key, int velocity = 100) { engine->midiNoteDown(key, velocity, 0); }
    void release(int key) { engine->midiNoteRelease(key, 0, 0); }
    // Runs control blocks of 16 samples and records each step boundary that sounds a note.
    std::vector<Boundary> run(int boundaries, int maxBlocks = 100000) {
        std::vector<Boundary> log;
        APlugin& a = *engine;
        for (int block = 0; block < maxBlocks && int(log.size()) < boundaries; ++block) {
            if (block % 8 == 0) a.updateArpRare();
            const double before = a.arpStepPhase;
            const bool first = a.arpFirstStep;
            a.updateArpClock();
            a.updateArpOften();
            if (!a.arpRunning || a.arpHeldCount == 0) break; // the pattern ended
            const bool boundary = (first && !a.arpFirstStep) || a.arpStepPhase < before;
            if (boundary)
                log.push_back(
                    {a.arpPlayingPattern, a.arpStep, a.arpCurNote, int(a.arpPitchOffset)});
        }
        return log;
    }

private:
    std::unique_ptr<APlugin> engine;
};

} // namespace arprig
