// The voice path (audio thread, once per pass): the six stages in the order "Osc Path" gives,
// each position's output as a modulation source, the voices' amp and pan gains and gater, and
// the sum of every sub-voice through a DC blocker into voiceSum.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

namespace {

enum PathUnit { kFilter = 0, kPreEQ, kWaveShaper, kDistortion, kLowFi, kPostEQ };
constexpr int kSrcModuleFirst = 93; // "Filter Output" .. "Post-EQ Output" by position
constexpr int kSrcVoiceOutput = 99;
constexpr int kDestVoiceVolume = 2;
constexpr int kDestMainPan = 4;
constexpr int kSrcMainLfo = 60;

float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

float quarterSum(const stereoOverStruct& f) {
    return 0.25f * (f.first.left + f.first.right + f.second.left + f.second.right);
}

} // namespace

// The filter stage: the voice filter with its envelope, LFO, drive, high-pass and pan.
void APlugin::runVoiceFilter() {
    doVoiceFilter();
}

bool APlugin::runPathUnit(int unit) {
    switch (unit) {
    case kFilter:
        runVoiceFilter();
        return true;
    case kPreEQ:
        if (preEqOn) runVoiceEQ(false);
        return preEqOn;
    case kWaveShaper:
        if (shaperOn) doWaveShaper();
        return shaperOn;
    case kDistortion:
        if (voiceDistortOn) doVoiceDistort();
        return voiceDistortOn;
    case kLowFi:
        if (lofiOn) doLowFi();
        return lofiOn;
    case kPostEQ:
        if (postEqOn) runVoiceEQ(true);
        return postEqOn;
    default:
        return false; // an unknown unit leaves the position empty
    }
}

// The Pre-EQ or Post-EQ stage.
void APlugin::runVoiceEQ(bool post) {
    doVoiceEQ(post);
}

void APlugin::runVoicePath() {
    for (int k = 0; k < 6; ++k) {
        // Each position starts with its output equal to its input, so after a unit that is off
        // there is nothing to hand on.
        if (runPathUnit(pathUnits[0][k]))
            for (int i = 0; i < subVoiceCount; ++i) {
                const int slot = subVoiceList[0][i] % kSubVoiceSlots;
                pathIn[slot][0] = pathOut[slot][0];
                pathIn[slot][1] = pathOut[slot][1];
            }
        // The source follows the position, whatever unit stands there.
        if (!moduleSourceUsed[k]) continue;
        for (int a = 0; a < activeVoiceCount; ++a) {
            const int v = activeVoices[a];
            const float x = quarterSum(pathOut[voiceSlots[v][0] % kSubVoiceSlots][0]);
            voiceSource[v][kSrcModuleFirst + k] = x;
            if (v == lastVoice) lastVoiceSource[kSrcModuleFirst + k] = x;
        }
    }
    setVoiceGains();
    sumVoices();
    if (voiceOutputSourceUsed)
        for (int a = 0; a < activeVoiceCount; ++a) {
            const int v = activeVoices[a];
            const float x = quarterSum(pathOut[voiceSlots[v][0] % kSubVoiceSlots][0]);
            voiceSource[v][kSrcVoiceOutput] = x;
            if (v == lastVoice) lastVoiceSource[kSrcVoiceOutput] = x;
        }
}

void APlugin::setVoiceGains() {
    const float lfoVolume = currentValues[tag::MainLfoToVolume];
    const float lfoPan = currentValues[tag::MainLfoToPan];
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a];
        const float* dest = voiceDest[v];
        const float depth = clamp01(lfoVolume + dest[3]);
        const float panDepth = 0.5f * clamp01(lfoPan + dest[5]);
        const float m = voiceSource[v][kSrcMainLfo];
        const float g = voiceVelocityGain[v] * unisonLevel * dest[kDestVoiceVolume] *
                        ((1.0f - depth) + depth * (0.5f + 0.5f * m));
        // The smoothed Main Pan, so a pan move glides instead of stepping the gains.
        const float p = clamp01(mainPanSmooth + dest[kDestMainPan] + panDepth * m);
        const float gl = clamp01(2.0f - 2.0f * p) * g, gr = clamp01(2.0f * p) * g;
        EnvState& amp = voiceEnv[v][0];
        for (int f = 0; f < 2; ++f) {
            voiceFrameGain[v][f][0] = voiceLevel[v] * gl;
            voiceFrameGain[v][f][1] = voiceLevel[v] * gr;
            voiceLevel[v] += amp.step;
            if (voiceLevel[v] < 0.0f) voiceLevel[v] = 0.0f;
        }
        if (gaterPolyOn)
            for (int f = 0; f < 2; ++f) {
                doVoiceGater(v);
                voiceFrameGain[v][f][0] *= gaterVoiceOut[v][0];
                voiceFrameGain[v][f][1] *= gaterVoiceOut[v][1];
            }
        voiceIsNew[v] = 0;
    }
}

// Every sub-voice through its DC blocker into the sum, with its voice's frame gains and its
// unison pan pair.
void APlugin::sumVoices() {
    voiceSum[0] = voiceSum[1] = stereoOverStruct{};
    const float in = dcInput, fb = dcFeedback;
    for (int i = 0; i < subVoiceCount; ++i) {
        const int slot = subVoiceList[0][i] % kSubVoiceSlots;
        const int v = subVoiceList[1][i] & 15;
        stereoStruct& dc = slotDcState[slot];
        const float* pan = subVoicePan[slot];
        for (int f = 0; f < 2; ++f) {
            const float gl = voiceFrameGain[v][f][0] * pan[0];
            const float gr = voiceFrameGain[v][f][1] * pan[1];
            stereoStruct* sub[2] = {&pathOut[slot][f].first, &pathOut[slot][f].second};
            stereoStruct* sum[2] = {&voiceSum[f].first, &voiceSum[f].second};
            for (int j = 0; j < 2; ++j) {
                dc.left = in * sub[j]->left + fb * dc.left + 1e-15f;
                dc.right = in * sub[j]->right + fb * dc.right + 1e-15f;
                sub[j]->left -= dc.left;
                sub[j]->right -= dc.right;
                sum[j]->left += sub[j]->left * gl + 1e-15f;
                sum[j]->right += sub[j]->right * gr + 1e-15f;
            }
        }
    }
}
