// The host's block call (host audio thread): muted while a program is applied, the wave
// audition, or the normal block that walks the samples one at a time: MIDI at its sample, the
// input source, the fade before a program change, the periodic work paced by sampleCounter
// (4 / 16 / 128 / 4,096 / 16,384 samples) and a pass of two output frames every second sample.
#include "engine/APlugin.h"

#include "dsp/DenormalGuard.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "platform/prefs.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr VstInt32 kTimeInfoFlags = kVstPpqPosValid | kVstTempoValid; // 0x600
// What the host's time information may say; beyond these a value is held (see takeHostTime).
constexpr double kMaxHostPosition = 4e8; // quarter notes
constexpr double kMinHostTempo = 0.1, kMaxHostTempo = 12000.0;
constexpr int kArpPlayMode = 8;
constexpr int kModArpFree = 13;
constexpr int kModArpMono = 14;

// Host buffers may hold anything: a value that is not finite counts as silence.
inline float finiteOrZero(float x) {
    return std::isfinite(x) ? x : 0.0f;
}

} // namespace

void APlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0 || !outputs || !outputs[0] || !outputs[1]) return;
    DenormalGuard denormals;
    beginRenderBlock();
    float* left = outputs[0];
    float* right = outputs[1];

    if (applyingPreset) {
        // Muted: MIDI is still consumed (and dropped), nothing else runs.
        for (VstInt32 i = 0; i < sampleFrames; ++i) {
            if (pendingMidiEvents > 0) processMidi(i);
            left[i] = right[i] = 0.0f;
            ++sampleCounter;
        }
        return;
    }
    if (waveAudition) {
        renderWaveAudition(outputs, sampleFrames);
        return;
    }
    renderNormal(inputs, outputs, sampleFrames);
}

void APlugin::renderWaveAudition(float** outputs, VstInt32 sampleFrames) {
    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        waveAuditionVolume =
            0.99f * waveAuditionVolume + 0.01f * currentValues[tag::MainVolume] + 1e-15f;
        // The Main Volume law of the global modulation: -60 .. +10 dB, modulation in knob units.
        float x = waveAuditionVolume + mainVolumeMod;
        x = x > 0.0f ? (x > 1.0f ? 1.0f : x) : 0.0f;
        const float gain = x < 0.001f ? 0.0f : std::pow(10.0f, (70.0f * x - 60.0f) / 20.0f);
        masterGain = gain * globalDest[dest::MainVolume] * midiVolume;
        const float s = finiteOrZero(
            masterGain * getUserWaveTableValue(waveAuditionWave,
                                               static_cast<float>(waveAuditionPosition) / 4096.0f));
        outputs[0][i] = outputs[1][i] = s;
        // Positions 0..4094.
        waveAuditionPosition = (waveAuditionPosition + 10) % 4095;
    }
}

const VstTimeInfo* APlugin::takeHostTime(const VstTimeInfo* time) {
    if (!time) return nullptr;
    VstTimeInfo& t = hostTime;
    t = *time;
    // Positions in quarter notes: a NaN or infinite one is no position (0, its flag cleared), a
    // huge one is held at about six years at 120 BPM, so four times it still counts in an int.
    const auto position = [](double& x, bool valid) {
        if (!std::isfinite(x)) {
            x = 0.0;
            return false;
        }
        x = std::clamp(x, -kMaxHostPosition, kMaxHostPosition);
        return valid;
    };
    if (!position(t.ppqPos, t.flags & kVstPpqPosValid)) t.flags &= ~kVstPpqPosValid;
    if (!position(t.barStartPos, t.flags & kVstBarsValid)) t.flags &= ~kVstBarsValid;
    bool cycle = position(t.cycleStartPos, t.flags & kVstCyclePosValid);
    cycle = position(t.cycleEndPos, cycle) && cycle;
    if (!cycle) t.flags &= ~(kVstCyclePosValid | kVstTransportCycleActive);
    // A tempo that is no number is none; a real one is held to what the clocks can follow.
    if (std::isfinite(t.tempo))
        t.tempo = std::clamp(t.tempo, kMinHostTempo, kMaxHostTempo);
    else {
        t.tempo = 120.0;
        t.flags &= ~kVstTempoValid;
    }
    if (!std::isfinite(t.samplePos)) t.samplePos = 0.0;
    if (!std::isfinite(t.nanoSeconds)) t.nanoSeconds = 0.0;
    if (!(t.sampleRate >= 1.0 && t.sampleRate <= 1e7)) t.sampleRate = engineRateDouble;
    if (t.timeSigNumerator < 1 || t.timeSigNumerator > 256 || t.timeSigDenominator < 1 ||
        t.timeSigDenominator > 256) {
        t.timeSigNumerator = t.timeSigDenominator = 4;
        t.flags &= ~kVstTimeSigValid;
    }
    return &t;
}

void APlugin::renderNormal(float** inputs, float** outputs, VstInt32 sampleFrames) {
    timeInfo = takeHostTime(getTimeInfo(kTimeInfoFlags));
    blockStartPosition = songPosition = timeInfo ? timeInfo->ppqPos : 0.0;
    blockLength = sampleFrames;
    const float* inLeft = inputs ? inputs[0] : nullptr;
    const float* inRight = inputs ? inputs[1] : nullptr;
    float* left = outputs[0];
    float* right = outputs[1];

    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        // Between two 16-sample steps with nothing sounding and nothing due, the samples run
        // without the checks and publications nobody would see.
        const VstInt32 quietEnd = getQuietSpanEnd(i, sampleFrames);
        if (quietEnd > i) {
            renderQuietSpan(inLeft, inRight, left, right, i, quietEnd);
            i = quietEnd - 1;
            continue;
        }
        const bool midiWaits = pendingPresetApply && applyWaitingSound(i);
        if (pendingMidiEvents > 0 && !midiWaits) processMidi(i);
        blockSampleIndex = i;
        const float inL = inLeft ? finiteOrZero(inLeft[i]) : 0.0f;
        const float inR = inRight ? finiteOrZero(inRight[i]) : 0.0f;
        inputLevel = (inL + inR) * 0.5f;
        publishInput(inputLevel);

        if (fadeOutActive) {
            // 1,000 samples down to silence, then the program change waits for the next block.
            fadeGain -= 0.001f;
            if (fadeGain < 0.0f) {
                fadeGain = 0.0f;
                pendingPresetApply = true;
                applyingPreset = false;
                fadeOutActive = false;
                turnAllVoicesOff();
            }
        }

        const uint64_t counter = sampleCounter;
        if ((counter & 16383u) == 0)
            autoLimitOn = getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true);
        if ((counter & 4095u) == 0) {
            if (ribbonSpringCountdown < 0) {
                ribbonSpringCountdown = -1;
            } else if (--ribbonSpringCountdown == 0) {
                setRibbonSpringOn();
            }
            if (editorRefreshPending) updateEditorScreen();
        }

        if (applyingPreset || pendingPresetApply) {
            // Waiting for the program change: silence, never the last frames held as DC.
            outputFrames[0] = outputFrames[1] = stereoStruct{};
        } else {
            doGlobalSources();
            if ((counter & 15u) == 0) {
                songPosition += 16.0 / engineRateDouble * tempoDouble / 60.0;
                smoothedModWheel = 0.99f * smoothedModWheel + 0.01f * modWheel + 1e-15f;
                lastVoiceSource[1] = smoothedModWheel;
                if ((counter & 127u) == 0) setGlobalRare();
                setGlobalOften();
                setLastVoice();
                setOldestVoice();
                anyVoicePlaying = getIsAnyVoicePlaying();
                if (activeVoiceCount == 0) arpModRunning = 0;
                if (getPlayMode() != kArpPlayMode) {
                    const int arpMode = getLockSteppedValue(tag::ArpMode);
                    if (arpMode == kModArpFree || arpMode == kModArpMono) {
                        setArpMod();
                        smoothArpFree();
                    }
                }
            }
            if (oddSample == 0) renderPass();
        }

        endSample(left, right, i);
    }
    // Outside the loop, MIDI out is stamped at the start of the next block.
    blockSampleIndex = 0;
    publishModShown();
}

// A sound loaded or selected is applied at the block's first sample, or, when it lands while
// the block runs, at a 4,096-sample boundary or a sample where MIDI falls due; always before that
// sample's MIDI. A note struck after a load or a selection so plays the new sound from its own
// frame, rather than starting on the sound before and being cut by the apply's reset; and
// however fast a host loads, the apply runs at those samples only. True when MIDI is due and the
// sound still waits (a load holds the program record this instant): the MIDI then waits with
// it, so no note starts on the sound before. Kept out of the sample loop, which it would
// otherwise swell with the whole apply.
[[gnu::noinline]] bool APlugin::applyWaitingSound(VstInt32 i) {
    const bool midiDue = pendingMidiEvents > 0 && isMidiDue();
    if (i != 0 && (sampleCounter & 4095u) != 0 && !midiDue) return false;
    setPresetParameters();
    return midiDue && pendingPresetApply;
}

// The sample's output frame goes to the host's buffers and the clocks move on.
void APlugin::endSample(float* left, float* right, VstInt32 i) {
    left[i] = outputFrames[oddSample].left;
    right[i] = outputFrames[oddSample].right;
    oddSample = 1 - oddSample;
    ++sampleClock;
    ++sampleCounter;
}

VstInt32 APlugin::getQuietSpanEnd(VstInt32 i, VstInt32 sampleFrames) const {
    const uint32_t phase = static_cast<uint32_t>(sampleCounter & 15u);
    // The 16-sample steps (and with them the 4,096-sample boundaries) run the full sample.
    // Voices of the last pass answer the common case at once (one that has just ended costs
    // one more full pass); the mask catches a voice started since.
    if (phase == 0 || activeVoiceCount > 0 || pendingMidiEvents > 0 || fadeOutActive ||
        applyingPreset || pendingPresetApply || getBusyVoiceMask() != 0 || noSkips)
        return i;
    const VstInt32 end = i + static_cast<VstInt32>(16u - phase);
    return end < sampleFrames ? end : sampleFrames;
}

// The same samples as the full loop gives them when no voice sounds and no MIDI, fade or
// program change is due: the voice rows are not read, so the "Input" source and the global
// sources reach their rows once, at the span's last sample; the noise generators and the LFO
// ramps still move every sample, and every pass runs.
void APlugin::renderQuietSpan(const float* inLeft, const float* inRight, float* left, float* right,
                              VstInt32 begin, VstInt32 end) {
    ZEK2_SHORTCUT_TAKEN(QuietSpan);
    // The span's last 4-sample step: the LFO ramps before it are overwritten by it.
    const VstInt32 lastStep =
        end - 1 - static_cast<VstInt32>((sampleCounter + uint64_t(end - 1 - begin)) & 3u);
    for (VstInt32 i = begin; i < end; ++i) {
        blockSampleIndex = i;
        const bool last = i + 1 == end;
        if (last) {
            const float inL = inLeft ? finiteOrZero(inLeft[i]) : 0.0f;
            const float inR = inRight ? finiteOrZero(inRight[i]) : 0.0f;
            inputLevel = (inL + inR) * 0.5f;
            publishInput(inputLevel);
        }
        doQuietGlobalSources(last, i >= lastStep);
        if (oddSample == 0) {
            if (getIsChainAsleep() && !noSkips)
                renderSleptPass();
            else
                renderPass();
        }
        endSample(left, right, i);
    }
}

// The call of old hosts: MIDI is consumed, the output is silent.
void APlugin::__processDeprecated(float**, float** outputs, VstInt32 sampleFrames) {
    if (!outputs || !outputs[0] || !outputs[1] || sampleFrames < 1) return;
    for (VstInt32 i = 0; i < sampleFrames; ++i) {
        if (pendingMidiEvents > 0) processMidi(i);
        outputs[0][i] = outputs[1][i] = 0.0f;
    }
}
