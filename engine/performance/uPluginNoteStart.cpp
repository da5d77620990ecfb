// The start of one voice (setNotePressed): its tuned pitch, velocity curve, portamento step,
// the restart of its oscillators, filters, envelopes, LFOs and unison delays on a new note,
// its note and controller sources, and the MIDI out of arpeggiator notes. Audio thread.
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoSync.h"

#include <cmath>
#include <cstring>

namespace {

enum PortModes { kPortOff = 0, kConstantRate = 1, kConstantTime = 2, kHeldRate = 3, kHeldTime = 4 };
constexpr int kPolyMPE = 1;
constexpr int kLfoRestartsGlobally = 2; // an LFO play mode that restarts with every note
constexpr int LFO_PLAY_MODE_TAGS[3] = {tag::FreeLfo1PlayMode, tag::FreeLfo2PlayMode,
                                       tag::MainLfoPlayMode};
constexpr int kArpSlideDest = 240;
constexpr int kPortamentoDest = 10;
constexpr int kVelocityToVolumeDest = 3;
constexpr int kUnisonDelayDest = 15;

float clamp01(float x) {
    return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
}

} // namespace

void APlugin::setNotePressed(int voice, int key, int velocity, float offset, bool retrigger,
                             bool fromArp, bool slide) {
    if (voice < 0 || voice >= kNumVoices) return;
    if (key < 0) key = 0;
    if (key > 127) key = 127;
    if (velocity < 0) velocity = 0;
    if (velocity > 127) velocity = 127;

    voiceNote[voice] = key;
    shareGlobalSources(voice);
    const float tuned = getOnOff(tag::HasTuningOn) ? tuningNoteTable[key] : static_cast<float>(key);
    const float target = (tuned + offset - 57.0f) / 12.0f;
    voiceTargetPitch[voice] = target;
    voiceVelocity[voice] = std::pow(velocity / 127.0f, velocityCurve);
    const float a =
        clamp01(currentValues[tag::VelocityToVolume] + globalDest[kVelocityToVolumeDest]);
    voiceVelocityGain[voice] = a * velocity / 127.0f + (1.0f - a);

    // After a reset there is no previous note, so the first note does not glide.
    if (std::fabs(lastNotePitch + 10.0f) < 0.001f) lastNotePitch = target;

    float glide = 1.0f; // 1..4096
    if (fromArp) {
        if (slide) {
            const int slideTag = tag::SeqSlideAmtA + (arpPlayingPattern == 1 ? tag::SeqStride : 0);
            glide = std::exp2(12.0f * clamp01(getLockVar(slideTag) + globalDest[kArpSlideDest]));
        }
    } else {
        glide = std::exp2(12.0f *
                          clamp01(getLockVar(tag::PortamentoAmount) + globalDest[kPortamentoDest]));
    }
    const float distance = target - lastNotePitch;
    float step = 0.0f;
    switch (getPortMode()) {
    case kConstantTime:
    case kHeldTime:
        step = distance / glide;
        break;
    case kConstantRate:
    case kHeldRate:
        step = distance > 0.0f ? 1.0f / glide : (distance < 0.0f ? -1.0f / glide : 0.0f);
        break;
    default:
        break;
    }
    voiceGlideStep[voice] = step;
    voiceGlideSign[voice] = step > 0.0f ? 1.0f : (step < 0.0f ? -1.0f : 0.0f);
    voiceGlidePitch[voice] = lastNotePitch;
    lastNotePitch = target;

    if (retrigger) {
        // Oscillators, envelopes, and the filter and EQs, which start clean and jump to their
        // targets instead of gliding there.
        restartVoice(voice);
        // The note's first evaluation of the slots (below) reads the envelope sources as the
        // restarted envelopes give them, not what the voice's last pass left in its row, which
        // is only kept while something reads it.
        voiceFirstSlot[voice] = slotInRange(voiceSlots[voice][0]);
        publishEnvSources(voice);
        setUnisonDelays(voice);
        if (getIsPolyGater()) resetGater(voice);
        for (int n = 0; n < kVoiceLFOs; ++n) resetVoiceLFO(voice, n);
        for (int n = 0; n < 3; ++n)
            if (getSteppedValue(LFO_PLAY_MODE_TAGS[n]) == kLfoRestartsGlobally) resetGlobalLFO(n);
        restartArpModVoice(voice, key);
        // A pad replaying its path per voice starts the path again with the note.
        for (int pad = 0; pad < 2; ++pad)
            if (isXYVoiceReplay(pad)) {
                xyReplay[pad].voicePosition[voice] = 0.0;
                xyReplay[pad].voiceDirection[voice] = 1.0;
            }
        restartNoteSources(key, velocity);
    }

    // The voice's own note sources, in every call.
    voiceSource[voice][src::Velocity] = voiceVelocity[voice];
    voiceSource[voice][5] = key / 127.0f;
    voiceSource[voice][6] = (key - 57) / 12.0f;
    for (int slot = 7; slot <= 9; slot += 2) {
        const float r = noteRandom();
        voiceSource[voice][slot] = r;
        voiceSource[voice][slot + 1] = 0.5f * r + 0.5f;
    }
    setVoiceControllers(voice);

    sendArpNoteOut(voice, key, offset, velocity, retrigger);
    setGlobalRare();
    if (!fromArp) setGlobalOften();

    if (retrigger) {
        voicePassCount[voice] = 0;
        voiceIsNew[voice] = 1;
        // Starts the row from the defaults itself.
        setVoiceModNoteStart(voice);
    }
}

// The phrase-wide sources of a new note: velocity, key, randoms and the alternations.
void APlugin::restartNoteSources(int key, int velocity) {
    lastVoiceSource[src::Velocity] = velocity / 127.0f;
    lastVoiceSource[5] = key / 127.0f;
    lastVoiceSource[6] = (key - 57) / 12.0f;
    for (int slot = 7; slot <= 9; slot += 2) {
        const float r = noteRandom();
        lastVoiceSource[slot] = r;
        lastVoiceSource[slot + 1] = 0.5f * r + 0.5f;
    }
    static constexpr float FOUR_STEP[4] = {-1.0f, 0.0f, 1.0f, 0.0f};
    const int c = alternationCounter;
    const float alternations[6] = {
        2.0f * (c % 2) - 1.0f, static_cast<float>(c % 2), static_cast<float>(c % 3) - 1.0f,
        0.5f * (c % 3),        FOUR_STEP[c % 4],          0.5f * FOUR_STEP[c % 4] + 0.5f};
    // One block copy per row: a loop over the sources around one over the voices is
    // vectorised by GCC 12 as an outer loop, which misjudges the rows' alignment.
    for (int v = 0; v < kNumVoices; ++v)
        std::memcpy(&voiceSource[v][11], alternations, sizeof alternations);
    std::memcpy(&lastVoiceSource[11], alternations, sizeof alternations);
    alternationCounter = (c + 1) % 12;
}

// A voice starts at the current controller values (not smoothed in).
void APlugin::setVoiceControllers(int voice) {
    float* src = voiceSource[voice];
    smoothersSettled[voice] = 0; // the sources below are not the smoothed values
    const int channel = voiceChannel[voice];
    if (getPlayMode() == kPolyMPE && channel >= 0 && channel < 16) {
        voiceModWheel[voice] = channelModWheel[channel];
        voicePolyPressure[voice] = channelPolyPressure[channel];
        voiceChannelPressure[voice] = channelPressure[channel];
        for (int s = 18; s <= 39; ++s)
            src[s] = voiceMidiSource[voice][s] = channelMidiSource[channel][s];
    } else {
        for (int s = 19; s <= 39; ++s) src[s] = voiceMidiSource[voice][s];
        src[18] = pitchBend;
    }
    src[1] = src[2] = voiceModWheel[voice];
    src[3] = voiceChannelPressure[voice];
    src[4] = voicePolyPressure[voice];
    // Source 2 "Mod Wheel / Aftertouch" is the larger of the two.
    if (src[3] > src[2]) src[2] = src[3];
    const float bend = src[18];
    voicePitchBend[voice] =
        bend * getPitchBendRange(bend > 0.0f ? tag::PitchBendUp : tag::PitchBendDown);
    for (int s = 19; s <= 39; ++s) lastVoiceSource[s] = voiceMidiSource[voice][s];
}

// Unison sub-voice k starts k sixths of the delay time late (or k quarters of a synced note).
void APlugin::setUnisonDelays(int voice) {
    const float m = globalDest[kUnisonDelayDest];
    float amount = getLockVar(tag::UnisonDelay);
    if (amount < 0.0f) amount = 0.0f;
    const float y = std::exp2(2.0f * m) * amount;
    const bool synced = getLockVarOnOff(tag::UnisonDelaySyncOn);
    for (int k = 0; k < 8; ++k) {
        int32_t delay = 0;
        if (k < kSubVoicesPerVoice && y >= 0.001f) {
            if (synced) {
                int n = static_cast<int>(y * 30.99f + 0.1f);
                n = n < 0 ? 0 : (n > 30 ? 30 : n);
                // Held to 2^30 samples, so a very slow tempo cannot overflow the counter.
                double samples = k * TEMPO_SYNC_TIME[n] * samplesPerWholeNoteDouble;
                if (!(samples < 1073741824.0)) samples = 1073741824.0;
                delay = -(static_cast<int32_t>(samples) / 4);
            } else {
                // At most 2^16 samples: y above 1 (modulated) is held there.
                const float e = y > 1.0f ? 1.0f : y;
                delay = -static_cast<int32_t>((std::exp2(16.0f * e) - 1.0f) * k / 6.0f);
            }
        }
        subVoiceDelay[voice][k] = delay;
        subVoiceStarted[voice][k] = 0;
    }
}
