// The per-block drivers of the playing arpeggiator, run every 16 samples by the global
// control-rate update in the Arp play mode: the note orders and the sequencer modes share one
// step driver; the chord mode has its own. Audio thread.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/performance/ArpIndexes.h"

#include <algorithm>
#include <cmath>

namespace {
inline float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}
} // namespace

uint32_t APlugin::arpRandom() {
    const uint32_t t = RandSeed * 16807u;
    RandSeed = t + 1u;
    return (t >> 16) & 32767u;
}

float APlugin::arpVelocityBlend() const {
    return clamp01(getLockVar(tagOfArp(tag::SeqVelKeysA, -1, 0)) +
                   globalDest[arp::DestVelocityKey]);
}

// The step's settings become the voice's arp sources; its smoothed free values start where
// the global ones stand.
void APlugin::publishArpStep(int voice, int step) {
    if (voice < 0 || voice >= kNumVoices) return;
    arpVoiceFreeTarget[0][voice] = getArpStepFree1(step);
    arpVoiceFreeTarget[1][voice] = getArpStepFree2(step);
    arpVoiceFreeSmooth[0][voice] = lastVoiceSource[arp::SrcFree1];
    arpVoiceFreeSmooth[1][voice] = lastVoiceSource[arp::SrcFree2];
    voiceSource[voice][arp::SrcVelocity] = getArpStepVel(step) / 127.0f;
    voiceSource[voice][arp::SrcTune] = getArpStepTune(step) / 36.0f;
}

// The key at the current note index: press order for "Up" .. "Random", pitch order for the
// "Ordered" modes; the sequencer modes play the last key pressed.
int APlugin::pickArpNote(bool sequencer, int& velocity) {
    if (arpHeldCount <= 0) {
        velocity = 0;
        return 0;
    }
    if (sequencer) {
        velocity = arpSeqVelocity;
        return arpHeldNotes[0];
    }
    const int i = std::clamp(arpNoteIndex, 0, arpHeldCount - 1);
    const bool sorted = arpMode >= arp::Ordered;
    velocity = sorted ? arpSortedVelocities[i] : arpHeldVelocities[i];
    return sorted ? arpSortedNotes[i] : arpHeldNotes[i];
}

namespace {
// The note index for counter c over n keys, and whether it starts a new pass through them.
int noteIndexFor(int mode, int n, int c, uint32_t random, bool& newPass) {
    const int r = c % n;
    switch (mode) {
    case arp::Down:
    case arp::ReverseOrdered:
        newPass = r == 0;
        return n - 1 - r;
    case arp::UpDown:
    case arp::OrderedUpDown:
    case arp::DownUp:
    case arp::OrderedDownUp: {
        const int turn = n > 1 ? c % (2 * n - 2) : 0;
        newPass = turn == 0;
        const int up = turn < n ? turn : 2 * n - 2 - turn;
        return (mode == arp::DownUp || mode == arp::OrderedDownUp) ? n - 1 - up : up;
    }
    case arp::Random: {
        const int i = static_cast<int>((n - 0.01) * double(random) / 32767.0);
        newPass = i == 0;
        return std::clamp(i, 0, n - 1);
    }
    default: // "Up", "Ordered"
        newPass = r == 0;
        return r;
    }
}
} // namespace

void APlugin::setArpNorm() {
    runArpSteps(false);
}

void APlugin::setArpSeq() {
    noticeSequencerKey();
    runArpSteps(true);
}

// A new key or a release changes the key the sequencer plays; in "Sequence Restart" that
// sends the pattern back to its first step, and each new key fixes the pattern's bounds.
void APlugin::noticeSequencerKey() {
    if (arpHeldCount <= 0) return;
    const bool keyChanged = arpHeldNotes[0] != arpSeqKeySeen;
    const bool depthChanged = heldNoteTop != arpSeqDepthSeen;
    if (!keyChanged && !depthChanged) return;
    if (arpMode == arp::SequenceRestart) arpSeqRestart = 1;
    if (keyChanged || heldNoteTop > arpSeqDepthSeen) {
        arpStepCount = getArpNumOfSteps(arpPlayingPattern);
        arpLoopStart = getArpLoopStart(arpPlayingPattern);
    }
    arpSeqKeySeen = arpHeldNotes[0];
    arpSeqDepthSeen = heldNoteTop;
}

void APlugin::runArpSteps(bool sequencer) {
    if (!arpRunning) return;
    if (arpHeldCount <= 0) {
        arpRunning = 0;
        turnAllVoicesOff();
        return;
    }
    const int pattern = arpPlayingPattern & 1;
    arpRatchetPhase += arpIncrement * arpSwingFactors[pattern][arpSwingPhase & 1];
    const float k = arpVelocityBlend();
    const double length = std::max(0.0, double(globalDest[arp::DestNoteLength]) + 1.0001);
    arpGate = length > 1.0 ? kArpEndlessGate : length;
    int keyVelocity = 0;

    // Ratchet hit: the step sounds again on a fresh voice, at the same key and octave.
    if (arpRatchetPhase > arpRatchetInterval) {
        turnAllVoicesOff();
        const int voice = getNextCurVoice();
        setVoiceOn(voice);
        if (voice >= 0 && voice < kNumVoices) arpVoiceStep[voice] = arpStep;
        arpRatchetPhase -= arpRatchetInterval;
        ++arpRatchetCount;
        const bool tied = getArpStepTied(arpStep) && !arpFirstStep;
        if (getArpStepOn(arpStep) && (!tied || getArpRetrigger(arpCycle))) {
            const int note = pickArpNote(sequencer, keyVelocity);
            arpVelocity = keyVelocity * k + (1.0f - k) * getArpStepVel(arpStep);
            arpPitchOffset = float(12 * arpOctave + getArpStepTune(arpStep));
            if (note > 0) {
                setNotePressed(voice, note, int(arpVelocity), arpPitchOffset, !tied, true,
                               getArpStepSlide(arpStep));
                if (!tied) arpRatchetInterval = getArpRatchetLen(arpStep);
            }
        }
    }

    if (arpStepPhase > arpGate) setVoiceOff(currentVoice);

    if (crossArpStepBoundary()) {
        if (!updateArpStep()) return;
        if (sequencer && arpSeqRestart) {
            // "Sequence Restart": a new or released key sends the pattern back to its start.
            arpSeqRestart = 0;
            arpStep = 0;
            arpDirection = 1;
        }
        const bool first = arpFirstStep != 0;
        arpFirstStep = 0;
        const int step = arpStep;
        if (!getArpStepOn(step)) {
            setVoiceOff(currentVoice);
        } else if (getArpStepTied(step) && !first) {
            // A tie keeps the sounding voice; the tied rule decides whether it takes this
            // step's pitch.
            if (getArpRetrigger(arpCycle)) {
                arpCurNote = pickArpNote(sequencer, keyVelocity);
                arpPitchOffset = float(12 * arpOctave + getArpStepTune(step));
                publishArpStep(currentVoice, step);
            }
            if (arpCurNote > 0)
                setNotePressed(currentVoice, arpCurNote, int(arpVelocity), arpPitchOffset, false,
                               true, getArpStepSlide(step));
        } else {
            if (!sequencer) {
                arpNoteCounter = first ? 0 : arpNoteCounter + 1;
                bool newPass = false;
                const uint32_t random = arpMode == arp::Random ? arpRandom() : 0u;
                arpNoteIndex = noteIndexFor(arpMode, std::max(1, int(arpHeldCount)), arpNoteCounter,
                                            random, newPass);
                if (newPass && !first) arpOctave = (arpOctave + 1) % std::max(1, arpNumOct);
            }
            arpCurNote = pickArpNote(sequencer, keyVelocity);
            turnAllVoicesOff();
            const int voice = getNextCurVoice();
            setVoiceOn(voice);
            if (voice >= 0 && voice < kNumVoices) arpVoiceStep[voice] = step;
            arpVelocity = keyVelocity * k + (1.0f - k) * getArpStepVel(step);
            arpPitchOffset = float(12 * arpOctave + getArpStepTune(step));
            publishArpStep(voice, step);
            if (arpCurNote > 0) {
                setNotePressed(voice, arpCurNote, int(arpVelocity), arpPitchOffset, true, true,
                               getArpStepSlide(step));
                arpRatchetInterval = getArpRatchetLen(step);
            }
        }
    }

    if (currentVoice >= 0 && currentVoice < kNumVoices) {
        lastVoiceSource[arp::SrcTune] = voiceSource[currentVoice][arp::SrcTune];
        lastVoiceSource[arp::SrcVelocity] = voiceSource[currentVoice][arp::SrcVelocity];
    }
    arpStepPhase += arpIncrement * arpSwingFactors[arpPlayingPattern & 1][arpSwingPhase & 1];
}

// Sounds (or, without newNotes, re-pitches) the first `count` held keys together at the
// current pitch offset and velocity.
void APlugin::startArpChord(bool newNotes, int count) {
    for (int i = 0; i < count; ++i) {
        int voice = arpChordVoices[i];
        if (newNotes) {
            voice = getNextCurVoice();
            setVoiceOn(voice);
            arpChordVoices[i] = voice;
        }
        if (voice < 0 || voice >= kNumVoices) continue;
        arpVoiceStep[voice] = arpStep;
        publishArpStep(voice, arpStep);
        if (arpHeldNotes[i] <= 0) continue;
        setNotePressed(voice, arpHeldNotes[i], int(arpVelocity), arpPitchOffset, newNotes, true,
                       false);
        if (newNotes) arpRatchetInterval = getArpRatchetLen(arpStep);
    }
}

void APlugin::setArpChord() {
    if (!arpRunning) return;
    if (arpHeldCount <= 0) {
        arpRunning = 0;
        turnAllVoicesOff();
        return;
    }
    const int pattern = arpPlayingPattern & 1;
    const float k = arpVelocityBlend();
    const double length = std::max(0.0, double(globalDest[arp::DestNoteLength]) + 1.0001);
    arpGate = length > 1.0 ? kArpEndlessGate : length;
    // There is a voice for each of 16 keys; keys beyond them are held but not voiced.
    const int keys = std::min<int>(arpHeldCount, kNumVoices);

    // Keys added while the chord sounds join it at once. Before the first chord they wait for
    // it instead, so that no key starts twice.
    arpChordLate[0] = 0;
    for (int i = 1; i < arpHeldCount; ++i) {
        if (!arpChordLate[i]) continue;
        arpChordLate[i] = 0;
        if (arpFirstStep || i >= keys) continue;
        const int voice = getNextCurVoice();
        setVoiceOn(voice);
        if (arpHeldNotes[i] > 0) {
            const float velocity = arpHeldVelocities[i] * k + (1.0f - k) * getArpStepVel(arpStep);
            setNotePressed(voice, arpHeldNotes[i], int(velocity), arpPitchOffset, true, true,
                           false);
            arpRatchetInterval = getArpRatchetLen(arpStep);
        }
    }

    arpRatchetPhase += arpIncrement * arpSwingFactors[pattern][arpSwingPhase & 1];
    if (arpRatchetPhase > arpRatchetInterval) {
        turnAllVoicesOff();
        arpRatchetPhase -= arpRatchetInterval;
        ++arpRatchetCount;
        if (getArpStepOn(arpStep) && (!getArpStepTied(arpStep) || arpFirstStep)) {
            arpVelocity = arpHeldVelocities[0] * k + (1.0f - k) * getArpStepVel(arpStep);
            startArpChord(true, keys);
        }
    }

    if (arpStepPhase > arpGate) turnAllVoicesOff();

    if (crossArpStepBoundary()) {
        if (!updateArpStep()) return;
        const bool first = arpFirstStep != 0;
        arpFirstStep = 0;
        arpChordFirst = 0;
        const int step = arpStep;
        if (!getArpStepOn(step)) {
            turnAllVoicesOff();
        } else if (getArpStepTied(step) && !first) {
            if (getArpRetrigger(arpCycle)) {
                arpPitchOffset = float(12 * arpOctave + getArpStepTune(step));
                arpVelocity = arpHeldVelocities[0] * k + (1.0f - k) * getArpStepVel(step);
                startArpChord(false, keys);
            }
        } else {
            if (!first) arpOctave = (arpOctave + 1) % std::max(1, arpNumOct);
            arpPitchOffset = float(12 * arpOctave + getArpStepTune(step));
            arpVelocity = arpHeldVelocities[0] * k + (1.0f - k) * getArpStepVel(step);
            turnAllVoicesOff();
            startArpChord(true, keys);
        }
    }

    const int voice = arpChordVoices[0];
    if (voice >= 0 && voice < kNumVoices) {
        lastVoiceSource[arp::SrcTune] = voiceSource[voice][arp::SrcTune];
        lastVoiceSource[arp::SrcVelocity] = voiceSource[voice][arp::SrcVelocity];
    }
    arpStepPhase += arpIncrement * arpSwingFactors[arpPlayingPattern & 1][arpSwingPhase & 1];
}

// Moves the step phase past a step's end (or onto the first step), turning the swing half and
// restarting the ratchets; false while the step still runs.
bool APlugin::crossArpStepBoundary() {
    if (arpStepPhase >= 1.0) {
        arpStepPhase -= std::floor(arpStepPhase);
    } else if (arpFirstStep) {
        arpStepPhase = 0.0;
    } else {
        return false;
    }
    arpSwingPhase ^= 1;
    arpRatchetPhase = 0.0;
    arpRatchetCount = 0;
    return true;
}
