// The voice control-rate update (audio thread): every 8th pass of a voice, or on its first,
// controllers, pitch bend, envelope rates and steps, unison tuning, portamento, oscillator
// pitch and the settings of the filter, EQs, waveshaper, low-fi and distortion.
#include "engine/APlugin.h"

#include "dsp/FastMath.h"
#include "dsp/Float4.h"
#include "dsp/SameBytes.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/voice/VoiceTables.h"

#include <cstring>

namespace {

constexpr float kPhaseRange = 16777215.0f;

float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// A pan or symmetry position split into a (left, right) gain pair, both 1 at the centre.
void panPair(float p, float* out) {
    const float l = 2.0f - 2.0f * p, r = 2.0f * p;
    out[0] = l > 1.0f ? 1.0f : (l < 0.0f ? 0.0f : l);
    out[1] = r > 1.0f ? 1.0f : (r < 0.0f ? 0.0f : r);
}

} // namespace

void APlugin::setVoiceModOften(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    float* src = voiceSource[voice];
    const float* dest = voiceDest[voice];
    const bool last = voice == lastVoice;

    // The smoothers: skipped while they stand at their fixed point for unchanged inputs (a
    // step would then give every value and source bit for bit as it stands).
    static_assert(src::ControllerLast - src::ControllerFirst + 1 == 21, "21 controllers");
    float inputs[24];
    inputs[0] = voiceModWheel[voice];
    inputs[1] = voicePolyPressure[voice];
    inputs[2] = voiceChannelPressure[voice];
    std::memcpy(inputs + 3, &voiceMidiSource[voice][src::ControllerFirst], 21 * sizeof(float));
    const bool settled = !noSkips && smoothersSettled[voice] && !voiceIsNew[voice] &&
                         sameBytes(inputs, smootherInputs[voice], sizeof(inputs));
    if (settled) ZEK2_SHORTCUT_TAKEN(SmoothersSettled);
    if (!settled) {
        float before[24], after[24];
        before[0] = smoothModWheel[voice];
        before[1] = smoothPolyPressure[voice];
        before[2] = smoothChannelPressure[voice];
        std::memcpy(before + 3, smoothControllers[voice], sizeof(smoothControllers[voice]));
        for (int k = 0; k < 24; ++k) after[k] = 0.99f * before[k] + 0.01f * inputs[k];
        smoothModWheel[voice] = after[0];
        smoothPolyPressure[voice] = after[1];
        smoothChannelPressure[voice] = after[2];
        std::memcpy(smoothControllers[voice], after + 3, sizeof(smoothControllers[voice]));
        src[src::ModWheel] = after[0];
        src[src::ModWheelOrAftertouch] = after[0] > after[2] ? after[0] : after[2];
        src[src::ChannelAftertouch] = after[2];
        src[src::PolyAftertouch] = after[1];
        std::memcpy(src + src::ControllerFirst, after + 3, 21 * sizeof(float));
        smoothersSettled[voice] = sameBytes(before, after, sizeof(after)) ? 1 : 0;
        std::memcpy(smootherInputs[voice], inputs, sizeof(inputs));
    }
    if (last)
        for (int s = src::ModWheel; s <= src::ControllerLast; ++s)
            if (s <= src::PolyAftertouch || s >= src::ControllerFirst) lastVoiceSource[s] = src[s];

    // Pitch bend, up and down with their own ranges.
    const float u = src[src::PitchBend] * 0.5f + 0.5f;
    voicePitchBend[voice] = u > 0.5f ? getPitchBendValue(tag::PitchBendUp, u)
                                     : -getPitchBendValue(tag::PitchBendDown, 1.0f - u);
    // The arpeggiator's free sources of this voice (and its "Mod Arp Poly" step).
    updateArpVoiceSources(voice);

    setVoiceEnvRates(voice);
    setVolEnv(voice, 0);
    // The other envelopes as setEnv and setOscEnv step them, with the gate read once (the
    // oscillator envelopes' speeds first: the other envelopes' steps do not read them).
    setOscEnvSpeeds(voice);
    stepVoiceEnvelopes(voice, voicePressed[voice] || voiceSustained[voice]);
    setVoiceLFOSettings(voice);

    // The XY pads' modulation of this voice, from the pad or from its own replay.
    const int xTags[2] = {tag::Osc1ZekX, tag::Osc2ZekX};
    const int yTags[2] = {tag::Osc1ZekY, tag::Osc2ZekY};
    const uint32_t replayPads = getXYVoiceReplayPads();
    for (int pad = 0; pad < 2; ++pad) {
        float x = currentValues[xTags[pad]], y = currentValues[yTags[pad]];
        if (replayPads & (1u << pad)) {
            updateXYReplay(pad, voice);
            getXYValue(pad, voice, x, y);
        }
        updateXYMod(voice, pad, x, y);
    }
    (void)dest;
    // Only the slots write the row between two updates, so outside their entries it still
    // holds the defaults unless those or the slots' destinations changed since.
    if (voiceDefaultSeen[voice] != voiceDefaultSerial) setDefaultVoiceMod(voice);
}

// Speed factors of the voice's envelopes from the speed destinations and key and velocity
// tracking.
void APlugin::setVoiceEnvRates(int voice) {
    const float* dest = voiceDest[voice];
    const float* src = voiceSource[voice];
    // Nine powers of two from inputs that mostly stand still between updates: the last
    // results are reused while every input is the same.
    EnvRateMemo& memo = envRateMemo[voice];
    constexpr int speedLane[4] = {
        oscDest(0, oscdest::AmpEnvSpeed), oscDest(0, oscdest::PitchEnvSpeed),
        oscDest(1, oscdest::AmpEnvSpeed), oscDest(1, oscdest::PitchEnvSpeed)};
    constexpr int keyLane[4] = {
        oscDest(0, oscdest::AmpEnvKeyTrack), oscDest(0, oscdest::PitchEnvKeyTrack),
        oscDest(1, oscdest::AmpEnvKeyTrack), oscDest(1, oscdest::PitchEnvKeyTrack)};
    const float inputs[EnvRateMemo::kInputs] = {dest[dest::GlobalEnvSpeed],
                                                dest[dest::AmpEnvSpeed],
                                                dest[dest::FilterEnvSpeed],
                                                dest[dest::FreeEnv1Speed],
                                                dest[dest::FreeEnv1KeyTrack],
                                                dest[dest::FreeEnv1VelocityTrack],
                                                dest[dest::FreeEnv2Speed],
                                                dest[dest::FreeEnv2KeyTrack],
                                                dest[dest::FreeEnv2VelocityTrack],
                                                dest[speedLane[0]],
                                                dest[speedLane[1]],
                                                dest[speedLane[2]],
                                                dest[speedLane[3]],
                                                dest[keyLane[0]],
                                                dest[keyLane[1]],
                                                dest[keyLane[2]],
                                                dest[keyLane[3]],
                                                src[src::CenterNote],
                                                voiceTargetPitch[voice],
                                                voiceVelocity[voice],
                                                currentValues[tag::Free1EnvKeyTrack],
                                                currentValues[tag::Free2EnvKeyTrack],
                                                currentValues[tag::Free1EnvVelocityTrack],
                                                currentValues[tag::Free2EnvVelocityTrack],
                                                currentValues[tag::Osc1AmpEnvKeyTrack],
                                                currentValues[tag::Osc1PitchEnvKeyTrack],
                                                currentValues[tag::Osc2AmpEnvKeyTrack],
                                                currentValues[tag::Osc2PitchEnvKeyTrack]};
    if (!noSkips && memo.valid && sameBytes(inputs, memo.inputs, sizeof(inputs))) {
        ZEK2_SHORTCUT_TAKEN(EnvSpeedsKept);
        for (int e = 0; e < 4; ++e) voiceEnv[voice][e].speed = memo.envSpeed[e];
        for (int l = 0; l < 4; ++l) oscEnvLaneRate[voice][l] = memo.laneRate[l];
        return;
    }
    std::memcpy(memo.inputs, inputs, sizeof(inputs));
    memo.valid = 1;
    const float g = dest[dest::GlobalEnvSpeed];
    voiceEnv[voice][0].speed = fastExp2(2.0f * (g + dest[dest::AmpEnvSpeed]));
    voiceEnv[voice][1].speed = fastExp2(2.0f * (dest[dest::FilterEnvSpeed] + g));
    const int keyTags[2] = {tag::Free1EnvKeyTrack, tag::Free2EnvKeyTrack};
    const int velTags[2] = {tag::Free1EnvVelocityTrack, tag::Free2EnvVelocityTrack};
    for (int n = 0; n < 2; ++n) {
        const float k =
            fastExp2((2.0f * currentValues[keyTags[n]] - 1.0f + dest[dest::FreeEnvKeyTrack[n]]) *
                     voiceTargetPitch[voice]);
        const float w =
            dest[dest::FreeEnvVelocityTrack[n]] * 4.0f + 8.0f * currentValues[velTags[n]] - 4.0f;
        const float factor = fastExp2((1.0f - voiceVelocity[voice]) * w) * k;
        voiceEnv[voice][2 + n].speed = fastExp2(2.0f * (g + dest[dest::FreeEnvSpeed[n]])) * factor;
    }
    // Oscillator envelopes: Osc 1 amp, Osc 1 pitch, Osc 2 amp, Osc 2 pitch.
    const int tagLane[4] = {tag::Osc1AmpEnvKeyTrack, tag::Osc1PitchEnvKeyTrack,
                            tag::Osc2AmpEnvKeyTrack, tag::Osc2PitchEnvKeyTrack};
    for (int l = 0; l < 4; ++l)
        oscEnvLaneRate[voice][l] = fastExp2(
            src[src::CenterNote] * (2.0f * currentValues[tagLane[l]] - 1.0f + dest[keyLane[l]]) +
            2.0f * (dest[speedLane[l]] + g));
    for (int e = 0; e < 4; ++e) memo.envSpeed[e] = voiceEnv[voice][e].speed;
    for (int l = 0; l < 4; ++l) memo.laneRate[l] = oscEnvLaneRate[voice][l];
}

// The short per-pass step before the voice's matrix: its LFOs, its envelope sources and the
// free envelopes' interpolation.
void APlugin::setVoiceModSources(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    setVoiceLFOPass(voice);
    setVoiceEnvSources(&voice, 1);
}

void APlugin::publishEnvSources(int voice) {
    // Value and 1 - value pairs: the oscillator envelopes of the first sub-voice, then the
    // filter envelope, the amp level and the two free envelopes.
    const Float4 one(1.0f);
    float* src = voiceSource[voice];
    const EnvState* osc = oscEnv[voiceFirstSlot[voice]];
    const EnvState* env = voiceEnv[voice];
    const Float4 oscValue(osc[0].value, osc[1].value, osc[2].value, osc[3].value);
    const Float4 envValue(env[1].value, voiceLevel[voice], env[2].value, env[3].value);
    const Float4 oscRest = one - oscValue, envRest = one - envValue;
    Float4(_mm_unpacklo_ps(oscValue.v, oscRest.v)).store(src + src::Osc1AmpEnv);
    Float4(_mm_unpackhi_ps(oscValue.v, oscRest.v)).store(src + src::Osc2AmpEnv);
    Float4(_mm_unpacklo_ps(envValue.v, envRest.v)).store(src + src::FilterEnv);
    Float4(_mm_unpackhi_ps(envValue.v, envRest.v)).store(src + src::FreeEnv1);
}

void APlugin::setVoiceEnvSources(const int* voices, int count) {
    // Unread sources are not written, except on the pass before each control step: the Main
    // LFO's speed reads its source at the step, before the pass writes the row, so a reader
    // that has just appeared finds there what the last pass would have written (the envelopes
    // have moved on since, and no later value would do). The matrix reads the rows after
    // this, and a note's start writes them before its first evaluation.
    const bool publish = envSourcesInUse != 0;
    for (int n = 0; n < count; ++n) {
        const int voice = voices[n] & 15;
        if (publish || (voicePassCount[voice] & 7) == 7)
            publishEnvSources(voice);
        else
            ZEK2_SHORTCUT_TAKEN(EnvRowsLeft);
        EnvState* env = voiceEnv[voice];
        for (int e = 2; e <= 3; ++e) env[e].value += 2.0f * env[e].step;
    }
}

void APlugin::setVoiceOften(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    const float* dest = voiceDest[voice];

    setVoiceUnison(voice);

    // Portamento: the held modes glide only while two or more notes play.
    const int port = cachedPortMode;
    const bool glide =
        port == 1 || port == 2 || ((port == 3 || port == 4) && notesPlayingCount >= 2);
    if (glide) {
        voiceGlidePitch[voice] += voiceGlideStep[voice];
        if ((voiceGlideSign[voice] < 0.0f && voiceGlidePitch[voice] < voiceTargetPitch[voice]) ||
            (voiceGlideSign[voice] > 0.0f && voiceGlidePitch[voice] > voiceTargetPitch[voice]))
            voiceGlidePitch[voice] = voiceTargetPitch[voice];
    } else {
        voiceGlidePitch[voice] = voiceTargetPitch[voice];
    }
    voiceOscKeyPitch[voice][0] = oscKeyTrack[0] ? voiceGlidePitch[voice] : 0.0f;
    voiceOscKeyPitch[voice][1] = oscKeyTrack[1] ? voiceGlidePitch[voice] : 0.0f;

    // Octave and increment base, kept per voice so one voice's octave modulation stays its own.
    constexpr int octaveDests[2] = {oscDest(0, oscdest::Octave), oscDest(1, oscdest::Octave)};
    const int octaveTags[2] = {tag::Osc1Octave, tag::Osc2Octave};
    for (int o = 0; o < 2; ++o) {
        float octMod = dest[octaveDests[o]] * 8.99f + 0.1f;
        octMod = octMod > 64.0f ? 64.0f : (octMod < -64.0f ? -64.0f : octMod);
        const int oct = static_cast<int>(octMod) + getSteppedValue(octaveTags[o]) - 4;
        oscOctavePitch[voice][o] = oscCoarse[o] + oscFine[o] + static_cast<float>(oct);
        oscIncrementBase[voice][o] = fastExp2(oscOctavePitch[voice][o]) * pitchBase * kPhaseRange;
    }

    setVoiceFilterAndEQ(voice);
    setVoiceStages(voice);
}

// The four oscillator envelope speeds of each sub-voice: the voice's lane rates times the
// sub-voice's own factors.
void APlugin::setOscEnvSpeeds(int voice) {
    for (int k = 0; k < uniNumVoices; ++k) {
        const int slot = slotInRange(voiceSlots[voice][k]);
        const float* f = subVoiceEnvFactor[slot];
        oscEnv[slot][0].speed = oscEnvLaneRate[voice][0] * f[1];
        oscEnv[slot][1].speed = oscEnvLaneRate[voice][1] * f[0];
        oscEnv[slot][2].speed = oscEnvLaneRate[voice][2] * f[1];
        oscEnv[slot][3].speed = oscEnvLaneRate[voice][3] * f[2];
    }
}

// Unison tuning and pans of each sub-voice.
void APlugin::setVoiceUnison(int voice) {
    const float* dest = voiceDest[voice];
    const int m = unisonMode;
    const float amount = getLockVar(tag::UnisonAmount) + dest[dest::UnisonAmount];
    const float spread = clamp01(getLockVar(tag::UnisonSpread) + dest[dest::UnisonSpread]);
    // The sub-voices keep their tunings and pans while every input stands still.
    const float key[4] = {amount, spread, static_cast<float>(m), static_cast<float>(uniNumVoices)};
    if (!noSkips && unisonMemoValid[voice] && sameBytes(key, unisonMemo[voice], sizeof(key))) {
        ZEK2_SHORTCUT_TAKEN(UnisonKept);
        return;
    }
    std::memcpy(unisonMemo[voice], key, sizeof(key));
    unisonMemoValid[voice] = 1;
    const float detune = fastExp2(0.2f * amount / 12.0f);
    for (int k = 0; k < uniNumVoices; ++k) {
        const int slot = slotInRange(voiceSlots[voice][k]);
        const float semis = UNI_TUNE_SPREAD[m][k];
        float tune;
        if (m <= 5) {
            tune = fastExp2(semis * amount / 12.0f);
        } else {
            tune = fastExp2(semis / 12.0f);
            if ((m == 8 || m == 9) && (k == 1 || k == 3 || (m == 9 && k == 5))) tune *= detune;
        }
        subVoiceTune[slot] = tune;
        panPair(spread * 0.5f * UNI_PAN[m][k] + 0.5f, subVoicePan[slot]);
    }
}

void APlugin::refreshVoiceSetup(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    setVoiceUnison(voice);
    // Key tracking switched on or off: the oscillators follow the key, or stop following it,
    // from this pass (the glide stands still until the voice's next update).
    voiceOscKeyPitch[voice][0] = oscKeyTrack[0] ? voiceGlidePitch[voice] : 0.0f;
    voiceOscKeyPitch[voice][1] = oscKeyTrack[1] ? voiceGlidePitch[voice] : 0.0f;
    // Sub-voices that a larger unison count brought in take their envelope speeds now; their
    // envelopes move on at the voice's next update as the others do.
    setOscEnvSpeeds(voice);
    setVoiceLFOSettings(voice);
    setVoiceFilterAndEQ(voice);
    setVoiceStages(voice, false);
}
