// The arpeggiator as a modulation source: the three mod-arp modes that play no notes and only
// publish the pattern's steps, and the smoothing of the Free 1 / Free 2 step values into the
// arp sources of the voices. Audio thread (render loop, voice update, note road).
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/performance/ArpIndexes.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr float kDenormalOffset = 1e-15f;
}

// Publishes the step of a mod arp: voice -1 is the global one, whose values go to every voice
// and to the global sources.
void APlugin::updateArpMod(int voice) {
    if (!arp::isModArp(arpMode) || voice < -1 || voice >= kNumVoices) return;
    const bool global = voice < 0;
    const int step = global ? arpModStep : arpVoiceModStep[voice];
    const int cycle = global ? arpModCycle : arpVoiceCycle[voice];
    const int pattern = global ? arpPlayingPattern : arpVoicePattern[voice];
    const bool on = getArpStepOn(step, pattern);
    const bool publish = on && !(getArpStepTied(step, pattern) && !getArpRetrigger(cycle));
    const float tune = getArpStepTune(step, pattern) / 36.0f;
    const float velocity = std::clamp(getArpStepVel(step, pattern) / 127.0f, 0.0f, 1.0f);

    const int first = global ? 0 : voice;
    const int last = global ? kNumVoices - 1 : voice;
    for (int v = first; v <= last; ++v) {
        voiceSource[v][arp::SrcOn] = on ? 1.0f : 0.0f;
        if (!publish) continue;
        voiceSource[v][arp::SrcTune] = tune;
        voiceSource[v][arp::SrcVelocity] = velocity;
    }
    if (global || voice == lastVoice) {
        lastVoiceSource[arp::SrcOn] = on ? 1.0f : 0.0f;
        if (publish) {
            lastVoiceSource[arp::SrcTune] = tune;
            lastVoiceSource[arp::SrcVelocity] = velocity;
        }
    }
    if (!publish) return;
    const float free1 = getArpStepFree1(step, pattern);
    const float free2 = getArpStepFree2(step, pattern);
    if (global) {
        arpModFreeTarget[0] = free1;
        arpModFreeTarget[1] = free2;
    } else {
        arpVoiceFreeTarget[0][voice] = free1;
        arpVoiceFreeTarget[1][voice] = free2;
    }
}

// The note road: a note from silence starts the global mod arp afresh at step 0, which is
// published at once. The host's transport start restarts it too (updateArpClock).
void APlugin::restartModArp() {
    arpMode = std::clamp(getLockSteppedValue(tag::ArpMode), 0, 15);
    // The bounds are fixed here as a key fixes them for the note arpeggiator; else the first
    // pass would run on whatever bounds the last arpeggio left.
    followArpPattern();
    arpStepCount = getArpNumOfSteps(arpPlayingPattern);
    arpLoopStart = getArpLoopStart(arpPlayingPattern);
    arpModStep = 0;
    arpModSwing = 0;
    arpPhase = 0.0;
    arpModDirection = 1;
    arpModCycle = 0;
    arpModRunning = 1;
    updateArpMod(-1);
    arpModFreeSmooth[0] = arpModFreeTarget[0];
    arpModFreeSmooth[1] = arpModFreeTarget[1];
}

// A new voice starts its own "Mod Arp Poly" sequence on the pattern its key chooses.
// In "Mod Arp Mono" every new note restarts the global mod arp as well.
void APlugin::restartArpModVoice(int voice, int key) {
    if (voice < 0 || voice >= kNumVoices) return;
    if (getLockSteppedValue(tag::ArpMode) == arp::ModMono) restartModArp();
    int pattern = 0;
    switch (std::clamp(getLockSteppedValue(tag::ArpPlayMode), 0, 3)) {
    case arp::PlayB:
        pattern = 1;
        break;
    case arp::PlayTop:
        if (key >= 120 && key <= 123) arpTopPattern = key >= 122 ? 1 : 0;
        pattern = arpTopPattern;
        break;
    default:
        break;
    }
    arpVoicePattern[voice] = pattern;
    arpVoiceModStep[voice] = 0;
    arpVoiceSwing[voice] = 0;
    arpVoicePhase[voice] = 0.0;
    arpVoiceDirection[voice] = 1;
    arpVoiceCycle[voice] = 0;
    arpVoiceRunning[voice] = 1;
    updateArpMod(voice);
    arpVoiceFreeSmooth[0][voice] = arpVoiceFreeTarget[0][voice];
    arpVoiceFreeSmooth[1][voice] = arpVoiceFreeTarget[1][voice];
}

// Render loop, every 16 samples after setArpMod (outside the Arp play mode, in "Mod Arp
// Free" and "Mod Arp Mono"): the global mod arp's free values are smoothed into the global and
// per-voice sources.
void APlugin::smoothArpFree() {
    const int pattern = arpPlayingPattern & 1;
    for (int f = 0; f < 2; ++f) {
        const float target = arpModFreeTarget[f];
        float& smooth = arpModFreeSmooth[f];
        const float c = target > smooth ? arpSmoothCoefs[0][pattern] : arpSmoothCoefs[1][pattern];
        smooth = smooth * c + (1.0f - c) * target + kDenormalOffset;
    }
    const float values[4] = {arpModFreeTarget[0], arpModFreeSmooth[0], arpModFreeTarget[1],
                             arpModFreeSmooth[1]};
    // One block copy per row. Written as a loop over the four sources around one over the
    // voices, GCC 12 at -O2 vectorises the outer loop and takes the rows' four values for
    // 16-byte aligned, which they are not: an aligned store that faults.
    std::memcpy(&lastVoiceSource[arp::SrcFree1], values, sizeof values);
    for (int v = 0; v < kNumVoices; ++v)
        std::memcpy(&voiceSource[v][arp::SrcFree1], values, sizeof values);
}

// Voice control-rate update: in the Arp play mode the voice's step values, in "Mod Arp Poly"
// its own sequence, smoothed into the voice's sources 85..88.
void APlugin::updateArpVoiceSources(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    const bool notes = arpPlayModeIsArp != 0;
    if (!notes) {
        if (arpMode != arp::ModPoly) return;
        setArpMod(voice);
    }
    const int pattern = arpPlayingPattern & 1;
    float values[4];
    for (int f = 0; f < 2; ++f) {
        const float target = arpVoiceFreeTarget[f][voice];
        float& smooth = arpVoiceFreeSmooth[f][voice];
        // The note modes rise with the decay coefficient and fall with the attack one; the
        // poly mod arp the other way round, like the global one.
        const bool attack = notes ? smooth > target : target > smooth;
        const float c = arpSmoothCoefs[attack ? 0 : 1][pattern];
        smooth = smooth * c + (1.0f - c) * target + kDenormalOffset;
        values[2 * f] = target;
        values[2 * f + 1] = smooth;
    }
    for (int i = 0; i < 4; ++i) {
        voiceSource[voice][arp::SrcFree1 + i] = values[i];
        if (voice == lastVoice) lastVoiceSource[arp::SrcFree1 + i] = values[i];
    }
}
