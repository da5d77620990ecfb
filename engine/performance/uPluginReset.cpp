// The three levels of stop (all voices released; everything off with the key bookkeeping;
// the whole engine reset), the MIDI channel and A4 refresh from the preferences, and the
// editor's preview note. Audio thread: another thread's call is queued for the next block
// (see uPluginResetRequests.cpp), or served on that thread while no render runs.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "platform/prefs.h"

#include <cstring>
#include <limits>

namespace {
constexpr int kGlobalLFOsReset = 3; // Free LFO 1, Free LFO 2, Main LFO
constexpr int kAlwaysOnSource = 101;
} // namespace

void APlugin::turnAllVoicesOffNow() {
    for (int v = 0; v < kNumVoices; ++v) {
        if (!voicePressed[v]) continue;
        setVoiceOff(v);
        voiceChannel[v] = -1;
    }
}

void APlugin::setEverythingOffNow(bool resetGlide) {
    turnAllVoicesOffNow();
    // A receiver of our MIDI out must never keep a note hanging.
    endAllOutNotes();
    currentVoice = 0;
    initArp(true);
    for (uint8_t& f : voiceFastFade) f = 0;
    for (int32_t& n : heldNotes) n = -1;
    if (resetGlide) lastNotePitch = -10.0f;
    heldNoteTop = -1;
    monoSecondKey = 0;
    for (int v = 0; v < kNumVoices; ++v) {
        setDefaultVoiceMod(v);
        for (int k = 0; k < kSubVoicesPerVoice; ++k) voiceSlots[v][k] = kSubVoicesPerVoice * v + k;
    }
}

int APlugin::updateBaseNote() {
    int a4 = loadIntFromPrefs(kPrefA4);
    if (a4 < 10 || a4 > 10000) a4 = 440;
    basePitchFactor = a4 * (110.0 / engineRateDouble) / 440.0;
    return a4;
}

void APlugin::updateMIDIChannel(bool force) {
    const int in = getMIDIChannelFromPrefs(kPrefMIDIChannel);
    const int out = getMIDIChannelFromPrefs(kPrefMIDIOutChannel);
    const bool changed = in != midiInChannel || out != midiOutChannel;
    // Notes sent on the old out channel end there.
    if (out != midiOutChannel) endAllOutNotes();
    midiInChannel = in;
    midiOutChannel = out;
    if (changed || force) turnAllVoicesOff();
}

void APlugin::previewNoteOn() {
    previewWanted = true;
    if (deferToRender(kRequestPreview)) return;
    if (!previewPlaying) turnAllVoicesOff();
    previewPlaying = 1;
    midiNoteDown(60, 100, 0);
}

void APlugin::previewNoteReleased() {
    previewWanted = false;
    if (deferToRender(kRequestPreview)) return;
    midiNoteRelease(60, 0, 0);
    previewPlaying = 0;
}

// The engine-wide reset: every voice, filter, envelope, LFO and effect starts again silent
// from the current values, and the next note does not glide.
void APlugin::resetNow() {
    fadeOutActive = false;
    fadeGain = 1.0f;
    autoLimitTriggered = 0;
    previewPlaying = 0;
    waveAudition = false;
    outputLevel = 0.0f;

    setEverythingOffNow(true);
    smoothedModWheel = modWheel;
    updateMIDIChannel(false);
    for (int pad = 0; pad < 2; ++pad) {
        resetXY(pad);
        if (getXYRecordMode(pad) == 2) startReplay(pad);
    }

    for (int v = 0; v < kNumVoices; ++v) voiceFilters[v].reset();
    for (int v = 0; v < kNumVoices; ++v) {
        voicePressed[v] = 0;
        voiceSustained[v] = 0;
        voiceIsNew[v] = 0;
    }
    resetVoiceEnvelopes();

    for (int n = 0; n < kGlobalLFOsReset; ++n) {
        for (int v = 0; v < kNumVoices; ++v) resetVoiceLFO(v, n);
        resetGlobalLFO(n);
    }

    updateDistortFXMode();
    distortEQ.reset();
    for (TFXFilter& f : fxFilters) f.reset();
    for (int v = 0; v < kNumVoices; ++v) {
        voicePreEQ[v].reset();
        voicePostEQ[v].reset();
    }
    preEQ.reset();
    postEQ.reset();

    for (float& s : lastVoiceSource) s = 0.0f;
    inputSourceWritten = outputSourceWritten = std::numeric_limits<float>::quiet_NaN();
    inputSourceLast = outputSourceLast = std::numeric_limits<float>::quiet_NaN();
    lastVoiceSource[kAlwaysOnSource] = 1.0f;
    initModFX(true);

    resetFX();

    for (int32_t& key : arpHeldReleases) key = 0;
    arpHeldReleaseCount = 0;

    // The output stage starts silent; the brick filter follows the current frequency.
    outputFrames[0] = outputFrames[1] = stereoStruct{};
    initBrickFilterCoefficients(brickCoefs, currentValues[tag::BrickFilterFrequency], engineRate);
    for (float& state : brickState) state = 0.0f;

    // The oscillator types latched and both user waves rebuilt from their stored points (the
    // points stay as they are), over the audio thread's next slow updates.
    oscType[0] = getSteppedValue(tag::Osc1Type);
    oscType[1] = getSteppedValue(tag::Osc2Type);
    requestUserWaveRebuild(0, false);
    requestUserWaveRebuild(1, false);
    snapSmoothedLevels();

    if (EditorLink* open = getOpenEditor()) open->resume();
    setGlobalRare();
    setGlobalOften();
}
