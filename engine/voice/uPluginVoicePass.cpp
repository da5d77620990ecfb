// The voices' share of a render pass (audio thread): every voice the render loop collected is
// updated at control rate, runs its oscillators and its six path positions, and is summed.
#include "engine/APlugin.h"

namespace {
constexpr int kSrcOsc12Output = 92;
} // namespace

void APlugin::renderVoices() {
    voiceSum[0] = voiceSum[1] = stereoOverStruct{};
    // The shared oscillator-LFO phases serve this pass from where they stand, then move on.
    const uint32_t lfoPhase[2] = {oscLfoSharedPhase[0], oscLfoSharedPhase[1]};
    moveSharedOscLfoPhases();
    if (activeVoiceCount <= 0) return;
    // The Main LFO's speed reads its source at any voice's control step, not only after the
    // slot table's rebuild: a source it starts to read is written from this pass on (and its
    // rows brought up to date) before any voice reads it.
    setModSourcesInUse(false);

    // Each voice's control update and sources, then the matrix of every voice (four lanes at a
    // time), then the updates that read what the matrix wrote. Each voice keeps its own order;
    // no step of one voice reads what another's writes. Whether a voice's control step is due
    // is read once: nothing in the pass moves its count or its new-note flag before the sum.
    uint8_t due[kNumVoices];
    // The per-pass sources of each voice read nothing another voice's control update writes,
    // and the LFO steps draw their random numbers in voice order as before.
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        due[a] = (voicePassCount[v] & 7) == 0 || voiceIsNew[v];
        if (due[a]) setVoiceModOften(v);
    }
    setVoiceLFOPasses(activeVoices, activeVoiceCount);
    setVoiceEnvSources(activeVoices, activeVoiceCount);
    setVoiceModLanes(activeVoices, activeVoiceCount);
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        if (due[a])
            setVoiceOften(v);
        else if (voiceSetupSeen[v] != voiceSetupSerial)
            // A structural setting changed between two of the voice's updates: what the
            // update chooses from it is chosen now, so no stage runs on a set-up made for
            // another structure (the oscillators see the serial themselves).
            refreshVoiceSetup(v);
        voiceSetupSeen[v] = voiceSetupSerial;
    }

    // The first oscillator that reaches the output writes every listed slot's frames, and
    // oscillator 1 writes its mono mix whenever it runs: only what no oscillator writes is
    // cleared.
    oscFramesFirst = oscOn[0] && osc1OutputOn ? 0 : (oscOn[1] ? 1 : -1);
    if (oscFramesFirst < 0 || !oscOn[0])
        for (int i = 0; i < subVoiceCount; ++i) {
            const int slot = subVoiceList[0][i];
            if (oscFramesFirst < 0) pathIn[slot][0] = pathIn[slot][1] = stereoOverStruct{};
            if (!oscOn[0])
                osc1Mono[slot][0] = osc1Mono[slot][1] = osc1Mono[slot][2] = osc1Mono[slot][3] =
                    0.0f;
        }
    const uint32_t saved[2] = {oscLfoSharedPhase[0], oscLfoSharedPhase[1]};
    oscLfoSharedPhase[0] = lfoPhase[0];
    oscLfoSharedPhase[1] = lfoPhase[1];
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        stepOscLfo(v, 0, due[a] != 0);
        stepOscLfo(v, 1, due[a] != 0);
    }
    oscLfoSharedPhase[0] = saved[0];
    oscLfoSharedPhase[1] = saved[1];
    renderOscillator(0);
    renderOscillator(1);

    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        const stereoOverStruct* f = pathIn[voiceFirstSlot[v]];
        voiceSource[v][kSrcOsc12Output] =
            (f[0].second.left + f[0].second.right + f[1].second.left + f[1].second.right) * 0.125f;
        if (v == lastVoice)
            for (int s = 90; s <= 92; ++s) lastVoiceSource[s] = voiceSource[v][s];
        ++voicePassCount[v];
    }
    runVoicePath();
}

void APlugin::moveSharedOscLfoPhases() {
    for (int o = 0; o < 2; ++o)
        oscLfoSharedPhase[o] =
            (oscLfoSharedPhase[o] + 2u * static_cast<uint32_t>(oscLfoSharedInc[o])) & 0xFFFFFF;
}

void APlugin::restartVoice(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    restartVoiceOscillators(voice);
    startVoiceEnvelopes(voice);
    startVoiceStages(voice);
}
