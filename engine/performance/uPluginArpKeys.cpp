// The keys the arpeggiator plays: the held-note list with its sorted copy and late-key flags,
// the first key of an arpeggio, the pattern a key chooses, the latch, and the reset of the
// arpeggiator's state. Audio thread (note road, control-rate updates); the editor thread
// resets it through setEverythingOff.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/performance/ArpIndexes.h"

#include <algorithm>
#include <cstring>

void APlugin::initArp(bool clearHeld) {
    arpFirstStep = arpChordStart = arpChordFirst = 1;
    arpRunning = 0;
    arpStepPhase = 0.0;
    arpStep = 0;
    arpDirection = 1;
    arpSwingPhase = 0;
    arpNumOct = 1; // a count, never 0: the octave advances modulo it
    arpOctave = 0;
    arpCycle = arpModCycle = 0;
    arpRatchetPhase = 0.0;
    arpRatchetInterval = kArpNoInterval;
    arpRatchetCount = 0;
    arpPlayedCount = 0;
    arpPitchOffset = 0.0f;
    arpVelocity = 1.0f;
    arpPhraseVelocity = 0.0f;
    if (!clearHeld) return;
    arpHeldCount = 0;
    std::memset(arpHeldNotes, 0, sizeof(arpHeldNotes));
    std::memset(arpHeldVelocities, 0, sizeof(arpHeldVelocities));
    std::memset(arpSortedNotes, 0, sizeof(arpSortedNotes));
    std::memset(arpSortedVelocities, 0, sizeof(arpSortedVelocities));
    std::memset(arpChordLate, 0, sizeof(arpChordLate));
    arpFlaggedCount = 0;
    arpSeqRestart = 0;
    for (int v = 0; v < kNumVoices; ++v) {
        arpChordVoices[v] = -1;
        arpVoiceStep[v] = -1;
    }
}

// Drops entries whose note is 0 or below, keeping the order of the rest. The note road calls
// it after every change of the list, so this is also where keys are told apart: an entry
// that was not in the list before is a new key, which the chord mode adds to a sounding chord
// and whose press fixes the pattern's bounds.
void APlugin::doNoZeroArp() {
    const int count = std::clamp<int>(arpHeldCount, 0, kArpKeys);
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (arpHeldNotes[i] <= 0) continue;
        arpHeldNotes[kept] = arpHeldNotes[i];
        arpHeldVelocities[kept] = arpHeldVelocities[i];
        ++kept;
    }
    arpHeldCount = kept;

    uint8_t claimed[kArpKeys] = {};
    uint8_t late[kArpKeys] = {};
    bool added = false;
    for (int i = 0; i < kept; ++i) {
        late[i] = 1;
        bool found = false;
        for (int j = 0; j < arpFlaggedCount && !found; ++j) {
            if (claimed[j] || arpFlaggedNotes[j] != arpHeldNotes[i]) continue;
            claimed[j] = 1;
            late[i] = arpChordLate[j];
            found = true;
        }
        added = added || !found;
    }
    for (int i = 0; i < kArpKeys; ++i) {
        arpChordLate[i] = i < kept ? late[i] : 0;
        arpFlaggedNotes[i] = i < kept ? arpHeldNotes[i] : 0;
    }
    arpFlaggedCount = kept;
    if (added) {
        arpStepCount = getArpNumOfSteps(arpPlayingPattern);
        arpLoopStart = getArpLoopStart(arpPlayingPattern);
    }
}

// The held keys in ascending note order, velocities moving with their notes.
void APlugin::doSortArp() {
    const int n = std::clamp<int>(arpHeldCount, 0, kArpKeys);
    for (int i = 0; i < n; ++i) {
        arpSortedNotes[i] = arpHeldNotes[i];
        arpSortedVelocities[i] = arpHeldVelocities[i];
    }
    for (int pass = 0; pass + 1 < n; ++pass)
        for (int i = 0; i + 1 < n - pass; ++i)
            if (arpSortedNotes[i] > arpSortedNotes[i + 1]) {
                std::swap(arpSortedNotes[i], arpSortedNotes[i + 1]);
                std::swap(arpSortedVelocities[i], arpSortedVelocities[i + 1]);
            }
}

// The pattern that plays follows "Arp Play Mode": A, B, the last choice of keys 120..123
// ("Top"), or for "Join" the chaining of the step walk itself.
void APlugin::followArpPattern() {
    switch (std::clamp(getLockSteppedValue(tag::ArpPlayMode), 0, 3)) {
    case arp::PlayA:
        arpPlayingPattern = 0;
        break;
    case arp::PlayB:
        arpPlayingPattern = 1;
        break;
    case arp::PlayTop:
        arpPlayingPattern = arpTopPattern & 1;
        break;
    default:
        break;
    }
}

// The first key of an arpeggio starts the pattern, its modulators and its free values afresh;
// getArpToStart then decides when the steps begin.
void APlugin::setArpFirstKey(int velocity) {
    resetGlobalLFO(0);
    resetGlobalLFO(1);
    resetVoiceLFO(currentVoice, 0);
    resetVoiceLFO(currentVoice, 1);
    resetXY(0);
    resetXY(1);
    resetGater();
    currentVoice = 0;
    arpPlayMode = std::clamp(getLockSteppedValue(tag::ArpPlayMode), 0, 3);
    arpMode = std::clamp(getLockSteppedValue(tag::ArpMode), 0, 15);
    if (arpPlayMode == arp::PlayJoin) arpPlayingPattern = 0;
    followArpPattern();
    arpFirstStep = arpChordStart = arpChordFirst = 1;
    arpRunning = 0;
    arpStep = -1;
    arpDirection = 1;
    arpStepPhase = 0.0;
    arpRatchetPhase = 0.0;
    arpRatchetCount = 0;
    arpRatchetInterval = kArpNoInterval;
    arpNoteCounter = 0;
    arpNoteIndex = 0;
    arpSwingPhase = 0;
    arpOctave = 0;
    arpCycle = 0;
    arpSeqRestart = 0;
    arpSeqKeySeen = arpHeldNotes[0];
    arpSeqDepthSeen = heldNoteTop;
    arpSeqVelocity = velocity;
    arpPhraseVelocity = std::clamp(velocity, 0, 127) / 127.0f;
    arpStepCount = getArpNumOfSteps(arpPlayingPattern);
    arpLoopStart = getArpLoopStart(arpPlayingPattern);
    const float free1 = getArpStepFree1(0);
    const float free2 = getArpStepFree2(0);
    for (int v = 0; v < kNumVoices; ++v) {
        arpVoiceFreeTarget[0][v] = arpVoiceFreeSmooth[0][v] = free1;
        arpVoiceFreeTarget[1][v] = arpVoiceFreeSmooth[1][v] = free2;
    }
    lastVoiceSource[arp::SrcFree1] = free1;
    lastVoiceSource[arp::SrcFree2] = free2;
}

// Switching the latch off lets go of every key it held.
void APlugin::releaseLatchedKeys() {
    const int count = std::clamp<int>(arpHeldReleaseCount, 0, kArpHeldReleases);
    arpHeldReleaseCount = 0;
    // A release that is held again (pedal down) is written at or below the entry being read.
    for (int i = 0; i < count; ++i) midiNoteRelease(arpHeldReleases[i], 127, 0);
}

int APlugin::getSelectedArp() const {
    if (isEditorOpen()) return getEditorArp() & 1;
    return arpPlayingPattern & 1;
}

int APlugin::getArp() const {
    if (arpMode >= arp::ModFree || !arpPlayModeIsArp || !arpRunning || arpHeldCount <= 0) return -1;
    return arpPlayingPattern & 1;
}

int APlugin::getArpLedPos() const {
    if (arpKeyEntryOn) return arpEntryStep;
    if (arp::isModArp(arpMode)) {
        if (!arpModRunning) return -1;
        if (arpMode != arp::ModPoly) return arpModStep;
        const int v = lastVoice;
        return v >= 0 && v < kNumVoices ? arpVoiceModStep[v] : -1;
    }
    if (arpPlayModeIsArp && arpRunning && arpHeldCount > 0) return arpStep;
    return -1;
}

// Audio thread, at the end of every block: what the editor's arpeggiator page shows.
void APlugin::publishArpShown() {
    modShown.arp = getArp();
    modShown.arpLed = getArpLedPos();
    modShown.arpStepsMod = globalDest[arp::DestSteps];
    modShown.arpLoopStartMod = globalDest[arp::DestLoopStart];
}
