// The global control-rate updates (audio thread): every 128 samples the slow one turns modes,
// switches and path orders into engine state; every 16 samples the fast one follows the host's
// tempo and transport and runs the global envelopes.
#include "engine/APlugin.h"

#include "dsp/FastMath.h"
#include "dsp/SameBytes.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/TempoTables.h"
#include "engine/voice/VoiceTables.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kPlayModeArp = 8;

// Attack shape destination per envelope 0..3; the decay and release shapes follow it.
constexpr int ENV_SHAPE_DESTS[4] = {dest::AmpEnvAttackShape, dest::FilterEnvAttackShape,
                                    dest::FreeEnv1AttackShape, dest::FreeEnv2AttackShape};
// Sync switches of envelopes 1..7; the amp envelope always runs on free times.
constexpr int ENV_SYNC_TAGS[8] = {-1,
                                  tag::FilterEnvSyncOn,
                                  tag::Free1EnvSyncOn,
                                  tag::Free2EnvSyncOn,
                                  tag::Osc1AmpEnvSyncOn,
                                  tag::Osc1PitchEnvSyncOn,
                                  tag::Osc2AmpEnvSyncOn,
                                  tag::Osc2PitchEnvSyncOn};

float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

} // namespace

int APlugin::getPortMode() const {
    if (cachedPlayMode == kPlayModeArp) return 1;
    return getLockSteppedValue(tag::PortamentoMode);
}

void APlugin::setGlobalRare() {
    // Auto-limit: one step of 0.002 down per 128 samples while the output overloads.
    if (autoLimitOn && autoLimitTriggered) {
        autoLimitTriggered = 0;
        setParameterAutomated(tag::MainVolume, clamp01(getParameter(tag::MainVolume) - 0.002f));
        if (EditorLink* open = getOpenEditor()) open->triggerOver();
    }
    // Brick filter coefficients, only when the frequency moved (they take a sine and cosine).
    const float brick = currentValues[tag::BrickFilterFrequency];
    if (brick != brickValueCached) {
        brickValueCached = brick;
        initBrickFilterCoefficients(brickCoefs, brick, engineRate);
    }
    // Concert pitch. The base-note factor holds A4 / 4 cycles per host sample (110 Hz at key
    // 69 - 24 semitones' worth); the oscillators step at twice the rate with half an increment
    // per step and carry pitch relative to key 57, so a factor of 2 here puts key 69 exactly at
    // the A4 preference. "Global Tuning" moves it by up to an octave either way.
    pitchBase = static_cast<float>(std::exp2(2.0 * currentValues[tag::GlobalTuning] - 1.0) *
                                   basePitchFactor * 2.0);
    velocityCurve = fastExp2(3.0f - 6.0f * clamp01(globalDest[dest::VelocityShape] + 0.5f));
    portamentoAmount = getLockVar(tag::PortamentoAmount);

    setGlobalPlayStructure();
    setGlobalOscillators();
    setGlobalPaths();
    setGlobalEnvelopes();
    // The effect chain's gater, modulation-effect mode and both orderable paths.
    setFXRare();
    // Global LFO settings, the modulation slot table and its in-use flags.
    setModRare();
    // Which voice-side destinations the slots use: the voices compute the costly ones only
    // then. The sub and spread flags take effect at the next update (one old).
    for (int o = 0; o < 2; ++o) {
        destInUseSubVol[o] = modDestInUse[oscDest(o, oscdest::SubVolume)];
        destInUseSpread[o] = modDestInUse[oscDest(o, oscdest::Spread)] ||
                             modDestInUse[oscDest(o, oscdest::UpSpread)] ||
                             modDestInUse[oscDest(o, oscdest::DownSpread)];
    }
    updateArpRare();
    dcInput = onePoleCoef;
    dcFeedback = onePoleComplement;

    noteVoiceStructure();

    // The shaper preview follows the three shaper controls and the wave the editor shows.
    const float s = currentValues[tag::UserWaveShaperMode] + currentValues[tag::UserWaveShaper1] +
                    currentValues[tag::UserWaveShaper2];
    const int wave = getPreviewUserWave();
    if (std::fabs(s - shaperPreviewSum) > 0.001f || wave != shaperPreviewWave) {
        shaperPreviewSum = s;
        shaperPreviewWave = wave;
        updatePreviewWaveTable();
    }
}

void APlugin::noteVoiceStructure() {
    const int32_t now[kVoiceStructureFields] = {oscOn[0],
                                                oscOn[1],
                                                oscType[0],
                                                oscType[1],
                                                subOn[0],
                                                subOn[1],
                                                subWaveSet[0],
                                                subWaveSet[1],
                                                osc2SyncOn,
                                                unisonMode,
                                                preEqOn,
                                                postEqOn,
                                                preEqMode,
                                                postEqMode,
                                                shaperOn,
                                                lofiOn,
                                                voiceDistortOn,
                                                voiceDistortInternalMode,
                                                getSteppedValue(tag::FilterType),
                                                lfo12Mode,
                                                freeLfoInUse,
                                                freeLfo12InUse,
                                                oscKeyTrack[0],
                                                oscKeyTrack[1]};
    if (sameBytes(now, voiceStructure, sizeof(now))) return;
    std::memcpy(voiceStructure, now, sizeof(now));
    ++voiceSetupSerial;
}

// Play mode, portamento and unison. A change of any of them stops every voice and clears the
// voices' DSP history, since voices laid out for one structure cannot continue in another.
void APlugin::setGlobalPlayStructure() {
    const int arpOn = getLockVarOnOff(tag::ArpOn) ? 1 : 0;
    const int playMode = getPlayMode();
    const int portMode = playMode == kPlayModeArp ? 1 : getLockSteppedValue(tag::PortamentoMode);
    const int arpPlayMode = getLockSteppedValue(tag::ArpPlayMode);
    const int arpMode = getLockSteppedValue(tag::ArpMode);
    int uni = getLockSteppedValue(tag::UnisonMode);
    uni = uni < 0 ? 0 : (uni >= UNI_MODE_COUNT ? UNI_MODE_COUNT - 1 : uni);
    const bool changed = uni != unisonMode || arpMode != cachedArpMode ||
                         arpPlayMode != cachedArpPlayMode || playMode != cachedPlayMode ||
                         arpOn != cachedArpOn || portMode != cachedPortMode;
    cachedArpOn = arpOn;
    cachedPlayMode = playMode;
    cachedPortMode = portMode;
    cachedArpPlayMode = arpPlayMode;
    cachedArpMode = arpMode;
    unisonMode = uni;
    uniNumVoices = UNI_NUM_VOICES[uni];
    unisonLevel = UNI_DIVIDE[uni];
    // The first update only learns the structure: nothing plays yet that could be stopped.
    if (!structureKnown) {
        structureKnown = true;
        return;
    }
    if (!changed) return;
    // A note started since the change (the note road runs this update right after a start)
    // was laid out under the new structure: it keeps sounding, with the DSP state its start
    // gave it. Every other voice stops and loses its history, as with no new note.
    bool fresh[kNumVoices];
    bool anyFresh = false;
    for (int v = 0; v < kNumVoices; ++v) {
        fresh[v] = voiceIsNew[v] || (voicePressed[v] && voiceStartStamp[v] == sampleClock);
        anyFresh = anyFresh || fresh[v];
    }
    if (!anyFresh) {
        setEverythingOff(true);
    } else {
        for (int v = 0; v < kNumVoices; ++v)
            if (!fresh[v] && voicePressed[v]) {
                setVoiceOff(v);
                voiceChannel[v] = -1;
            }
    }
    preEQ.init(engineRate);
    postEQ.init(engineRate);
    for (int v = 0; v < kNumVoices; ++v) {
        if (fresh[v]) {
            // Its EQ units start clean and at their targets, as the note start left them.
            preEQ.setDirect(v);
            postEQ.setDirect(v);
            continue;
        }
        initVoiceFilter(v, engineRate);
        voicePreEQ[v].init(engineRate);
        voicePostEQ[v].init(engineRate);
        for (int k = 0; k < kSubVoicesPerVoice; ++k) {
            const int slot = kSubVoicesPerVoice * v + k;
            oscSlots[slot][0] = oscSlots[slot][1] = OscSlot{};
            slotDcState[slot] = stereoStruct{};
            for (float& m : osc1Mono[slot]) m = 0.0f;
        }
        // The increments just cleared are made again on the voice's next pass, not left
        // standing at zero until its next control step.
        oscVoices[v][0].pitchStands = oscVoices[v][1].pitchStands = 0;
    }
}

void APlugin::setGlobalOscillators() {
    oscOn[0] = getOnOff(tag::Osc1On);
    oscOn[1] = getOnOff(tag::Osc2On);
    osc1OutputOn = getOnOff(tag::Osc1OutputOn);
    oscFreeRunning[0] = getOnOff(tag::Osc1FreeRunningOn);
    oscFreeRunning[1] = getOnOff(tag::Osc2FreeRunningOn);
    oscKeyTrack[0] = getOnOff(tag::Osc1KeyTrackOn);
    oscKeyTrack[1] = getOnOff(tag::Osc2KeyTrackOn);
    osc2SyncOn = getOnOff(tag::Osc2SyncOn);
    oscFreeLfo[0] = getOnOff(tag::Osc1FreeLfoOn);
    oscFreeLfo[1] = getOnOff(tag::Osc2FreeLfoOn);
    const int semiTags[2] = {tag::Osc1Semi, tag::Osc2Semi};
    const int fineTags[2] = {tag::Osc1Fine, tag::Osc2Fine};
    const int typeTags[2] = {tag::Osc1Type, tag::Osc2Type};
    const int subTags[2] = {tag::Osc1SubVolume, tag::Osc2SubVolume};
    for (int o = 0; o < 2; ++o) {
        // +-48 semitones and +-100 cents, whole steps of each.
        oscCoarse[o] =
            static_cast<float>(static_cast<int>(96.99f * currentValues[semiTags[o]]) - 48) / 12.0f;
        oscFine[o] = static_cast<float>(
                         static_cast<int>((2.0f * currentValues[fineTags[o]] - 1.0f) * 100.0f)) /
                     1200.0f;
        const int type = getSteppedValue(typeTags[o]);
        if (type != oscType[o] && (type == 4 || type == 5)) requestUserWaveRebuild(type - 4, true);
        oscType[o] = type;
        oscNoise[o] = type == 6 || type == 7;
        const float sub = currentValues[subTags[o]];
        subOn[o] = std::fabs(sub - 0.5f) > 0.01f || destInUseSubVol[o];
        subWaveSet[o] = sub >= 0.5f ? 2 * OSC_BANDS_PER_WAVE : 0;
    }
    // A wave an oscillator switched to is built over the next updates, a step at a time; a
    // step waits while the editor is rebuilding a wave itself.
    advanceUserWaveBuild();
    osc2ModMode = getSteppedValue(tag::Osc2ModMode);
    updateOscLfoRates();
}

void APlugin::updateOscLfoRates() {
    const int speedTags[2] = {tag::Osc1LfoSpeed, tag::Osc2LfoSpeed};
    const int syncTags[2] = {tag::Osc1LfoSyncOn, tag::Osc2LfoSyncOn};
    const int keyTags[2] = {tag::Osc1LfoKeyTrack, tag::Osc2LfoKeyTrack};
    const float center = lastVoiceSource[src::CenterNote];
    for (int o = 0; o < 2; ++o) {
        const float x = currentValues[speedTags[o]];
        double rate = 0.0;
        if (x >= 0.0001f) {
            if (getOnOff(syncTags[o])) {
                const int index = getSteppedValue(clamp01(x), 33.99f, 34);
                if (index > 0)
                    rate = 1.0 / ((D_PERIOD_ARRAY[index] * 15.0 * ratePerTempo + 1.0) * 32.0);
            } else {
                rate = std::exp2(14.0 * x) * lfoRateFactor;
            }
        }
        oscLfoRate[o] = rate;
        const double scale = rate * 16777215.0 * std::exp2(2.0 * globalDest[dest::GlobalLfoSpeed]) *
                             std::exp2(globalDest[oscDest(o, oscdest::LfoSpeed)]) *
                             std::exp2((2.0 * (currentValues[keyTags[o]] +
                                               globalDest[oscDest(o, oscdest::LfoKeyTrack)]) -
                                        1.0) *
                                       center);
        oscLfoSharedInc[o] =
            x < 0.0001f ? 0 : static_cast<int32_t>(scale < 8388607.0 ? scale : 8388607.0);
    }
}

void APlugin::setGlobalPaths() {
    filterSplit = getOnOff(tag::FilterSplitModeOn);
    filterEnvSign = getOnOff(tag::FilterEnvInverseOn) ? -1.0f : 1.0f;
    hpOn = getOnOff(tag::HpOn);
    hpTrack = getOnOff(tag::HpTrackOn);
    hpQOn = getOnOff(tag::HpQOn);
    preEqOn = getOnOff(tag::PreEqOn);
    postEqOn = getOnOff(tag::PostEqOn);
    shaperOn = getOnOff(tag::WaveShaperOn);
    lofiOn = getOnOff(tag::LowFiOn);
    preEqMode = getSteppedValue(tag::PreEqFilterMode);
    postEqMode = getSteppedValue(tag::PostEqFilterMode);
    voiceDistortOn = getOnOff(tag::VoiceDistortionOn);
    int mode = getSteppedValue(tag::VoiceDistortionMode);
    mode = mode < 0 ? 0 : (mode >= DISTORT_VOICE_MODE_COUNT ? DISTORT_VOICE_MODE_COUNT - 1 : mode);
    voiceDistortInternalMode = REAL_DISTORT_MODES[0][mode];
    updateDistortFXMode();
}

void APlugin::setGlobalEnvelopes() {
    for (int e = 0; e < 8; ++e) {
        if (e >= 4) {
            envShapes[0][e] = envShapes[1][e] = envShapes[2][e] = 1.0f;
            continue;
        }
        const float* shape = &globalDest[ENV_SHAPE_DESTS[e]]; // attack, decay, release
        envShapes[0][e] = fastExp2(4.0f - 8.0f * (shape[0] + 0.5f));
        envShapes[1][e] = fastExp2(4.0f - 8.0f * (shape[1] + 0.4f));
        envShapes[2][e] = fastExp2(4.0f - 8.0f * (shape[2] + 0.4f));
    }
    const float g = globalDest[dest::GlobalEnvSpeed];
    const float c = lastVoiceSource[src::CenterNote];
    const float v = lastVoiceSource[src::Velocity];
    envGlobalSpeed[1] = fastExp2(2.0f * (g + globalDest[dest::FilterEnvSpeed]));
    const int keyTags[2] = {tag::Free1EnvKeyTrack, tag::Free2EnvKeyTrack};
    const int velTags[2] = {tag::Free1EnvVelocityTrack, tag::Free2EnvVelocityTrack};
    for (int n = 0; n < 2; ++n)
        envGlobalSpeed[2 + n] = fastExp2(2.0f * (g + globalDest[dest::FreeEnvSpeed[n]])) *
                                fastExp2((2.0f * currentValues[keyTags[n]] - 1.0f +
                                          globalDest[dest::FreeEnvKeyTrack[n]]) *
                                         c) *
                                fastExp2((8.0f * currentValues[velTags[n]] - 4.0f +
                                          4.0f * globalDest[dest::FreeEnvVelocityTrack[n]]) *
                                         (1.0f - v));
    envSynced[0] = 0;
    for (int e = 1; e < 8; ++e) envSynced[e] = getOnOff(ENV_SYNC_TAGS[e]);
}

void APlugin::setGlobalOften() {
    // The global modulation first: every later step reads its destinations.
    setGlobalMod();
    updateArpClock();
    // Tempo and transport from the host's time information of this block.
    const uint8_t wasPlaying = transportPlaying;
    transportPlaying = 0;
    if (timeInfo) {
        transportPlaying = (timeInfo->flags & kVstTransportPlaying) != 0;
        if (timeInfo->flags & kVstTempoValid) {
            double t = timeInfo->tempo;
            t = t > 0.1 ? (t < 12000.0 ? t : 12000.0) : 0.1;
            tempoDouble = t;
            tempo = static_cast<float>(t);
        }
    }
    ratePerTempo = engineRateDouble / tempoDouble;
    samplesPerWholeNoteDouble = 240.0 * ratePerTempo;
    samplesPerWholeNote = static_cast<float>(samplesPerWholeNoteDouble);
    if (!wasPlaying && transportPlaying) {
        // Tempo-synced motion starts again with the song.
        restartModOnTransport();
        oscLfoSharedPhase[0] = oscLfoSharedPhase[1] = 0;
        alternationCounter = 0; // the alternation sources count from the song's first note
        resetGater();
        setRibbbonSpringOff();
    } else if (wasPlaying && !transportPlaying) {
        turnAllVoicesOff();
    }

    updateXYPads();
    updateArpOften();

    // Global envelopes, then the envelope sources of the newest and oldest voices.
    const int pairs[4] = {src::AmpEnv, src::FilterEnv, src::FreeEnv1, src::FreeEnv2};
    for (int e : {2, 3, 1}) {
        setGlobalEnv(e);
        lastVoiceSource[pairs[e]] = globalEnv[e].output;
        lastVoiceSource[pairs[e] + 1] = 1.0f - globalEnv[e].output;
    }
    const int last = lastVoice & 15;
    const int firstSlot = voiceSlots[last][0] % kSubVoiceSlots;
    for (int k = 0; k < 4; ++k) {
        lastVoiceSource[src::Osc1AmpEnv + 2 * k] = oscEnv[firstSlot][k].output;
        lastVoiceSource[src::Osc1AmpEnv + 2 * k + 1] = 1.0f - oscEnv[firstSlot][k].output;
    }
    lastVoiceSource[src::AmpEnv] = voiceEnv[last][0].output;
    lastVoiceSource[src::AmpEnv + 1] = 1.0f - voiceEnv[last][0].output;
    // Both pads' sources follow the oldest voice.
    const int oldest = oldestVoice & 15;
    for (int s = src::Osc1ZekX; s < src::Osc2ZekX + src::ZekSourceCount; ++s)
        lastVoiceSource[s] = voiceSource[oldest][s];
    updateRibbon();
    setFXOften();
    for (int v = 0; v < kNumVoices; ++v) voiceSource[v][src::Offset] = 1.0f;
}
