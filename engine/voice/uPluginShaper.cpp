// The voice path's waveshaper and low-fi positions, and the control-rate set-up of the three
// voice stages. Called on the audio thread: the positions once per pass by the voice pass,
// setVoiceStages by the voice's control-rate update.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/StageMath.h"

#include <cmath>

namespace {

using namespace stagemath;

// The waveshaper's table index: the truncated product wraps into the 16-bit cosine table (a
// negative product too); a product too large for an integer reads entry 0.
inline int foldIndex(float p) {
    if (!(std::fabs(p) < 1073741824.0f)) return 0;
    return static_cast<int>(p) & 0xFFFF;
}

constexpr float kSmoothKeep = 0.9f;
constexpr float kSmoothTake = 0.100000024f;

} // namespace

void APlugin::collectStageVoices(StageVoices& out) const {
    int index[kNumVoices];
    for (int& i : index) i = -1;
    out.count = 0;
    for (int i = 0; i < subVoiceCount && i < kSubVoiceSlots; ++i) {
        const int slot = subVoiceList[0][i], v = subVoiceList[1][i];
        if (slot < 0 || slot >= kSubVoiceSlots || v < 0 || v >= kNumVoices) continue;
        if (index[v] < 0) {
            index[v] = out.count++;
            out.voices[index[v]] = v;
            out.slotCount[index[v]] = 0;
        }
        int& n = out.slotCount[index[v]];
        if (n < kSubVoicesPerVoice) out.slots[index[v]][n++] = slot;
    }
}

void APlugin::setVoiceStages(int voice, bool smooth) {
    if (voice < 0 || voice >= kNumVoices) return;
    const int v = voice;
    // Set up while the switch is on, and while the slow update's flag, which decides whether
    // the path runs the stage, still says so: a stage never runs on values it was not given.
    if (getOnOff(tag::WaveShaperOn) || shaperOn) {
        if (smooth) {
            shaperTopSmooth[v] =
                kSmoothKeep * shaperTopSmooth[v] + kSmoothTake * currentValues[tag::WaveShaperTop];
            shaperBottomSmooth[v] = kSmoothKeep * shaperBottomSmooth[v] +
                                    kSmoothTake * currentValues[tag::WaveShaperBottom];
        }
        const float topMod =
            getVoiceStageValue(v, tag::WaveShaperTop) - currentValues[tag::WaveShaperTop];
        const float bottomMod =
            getVoiceStageValue(v, tag::WaveShaperBottom) - currentValues[tag::WaveShaperBottom];
        shaperTop[v] = (std::exp2(4.0f * clamp01(shaperTopSmooth[v] + topMod)) - 1.0f) * 65535.99f;
        shaperBottom[v] =
            (std::exp2(4.0f * clamp01(shaperBottomSmooth[v] + bottomMod)) - 1.0f) * 65535.99f;
        shaperRect[v] = 1.0f - 2.0f * clamp01(getVoiceStageValue(v, tag::WaveShaperRectification));
    }
    if (getOnOff(tag::LowFiOn) || lofiOn) {
        lofiStep[v] = std::exp2(16.5f - 16.0f * clamp01(getVoiceStageValue(v, tag::LowFiBits)));
        lofiInvStep[v] = 1.0f / lofiStep[v];
        lofiHold[v] = std::exp2(5.0f * clamp01(getVoiceStageValue(v, tag::LowFiSampleRate)));
        const float noise = clamp01(getVoiceStageValue(v, tag::LowFiNoise));
        lofiNoise[v] = noise * noise * noise;
    }
    setVoiceDistortCoeffs(v, smooth);
}

void APlugin::doWaveShaper() {
    if (!getOnOff(tag::WaveShaperOn) || !tables) return;
    StageVoices sv;
    collectStageVoices(sv);
    const float* cosTable = tables->CosArray;
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        shaperMix[v] = kSmoothKeep * shaperMix[v] + kSmoothTake * currentValues[tag::WaveShaperMix];
        const float mod =
            getVoiceStageValue(v, tag::WaveShaperMix) - currentValues[tag::WaveShaperMix];
        const float w = clamp01(shaperMix[v] + mod);
        const float dry = clamp01(2.0f - 2.0f * w), wet = clamp01(2.0f * w);
        for (int j = 0; j < sv.slotCount[i]; ++j) {
            const int slot = sv.slots[i][j];
            for (int f = 0; f < 2; ++f) {
                float x[4] = {pathIn[slot][f].first.left, pathIn[slot][f].first.right,
                              pathIn[slot][f].second.left, pathIn[slot][f].second.right};
                for (float& s : x) {
                    if (s >= 0.0f)
                        s = wet * s * cosTable[foldIndex(s * shaperTop[v])] + dry * s;
                    else
                        s = wet * shaperRect[v] * s * cosTable[foldIndex(s * shaperBottom[v])] +
                            dry * s;
                }
                pathOut[slot][f] = {{x[0], x[1]}, {x[2], x[3]}};
            }
        }
    }
}

void APlugin::doLowFi() {
    if (!getOnOff(tag::LowFiOn) || !tables) return;
    StageVoices sv;
    collectStageVoices(sv);
    checkStageMemoRate();
    float dry[kNumVoices] = {}, wet[kNumVoices] = {}, coef[kNumVoices] = {};
    bool filterOn[kNumVoices] = {};
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        lofiMix[v] = kSmoothKeep * lofiMix[v] + kSmoothTake * currentValues[tag::LowFiMix];
        const float w = clamp01(lofiMix[v] + getVoiceStageValue(v, tag::LowFiMix) -
                                currentValues[tag::LowFiMix]);
        dry[v] = clamp01(2.0f - 2.0f * w);
        wet[v] = clamp01(2.0f * w);
        const float f = clamp01(getVoiceStageValue(v, tag::LowFiLowPassFrequency));
        filterOn[v] = f < 0.99f;
        coef[v] = lofiCoefMemo[v](f, [this](float x) {
            const float hz = std::fmin(20.0f * std::exp2(10.0f * x), rateTimes04);
            return tables->FilterSine[filterTableIndex(hz * inverseDoubleRate)];
        });
    }
    for (int i = 0; i < subVoiceCount && i < kSubVoiceSlots; ++i) {
        const int slot = subVoiceList[0][i], v = subVoiceList[1][i];
        if (slot < 0 || slot >= kSubVoiceSlots || v < 0 || v >= kNumVoices) continue;
        // A voice whose steps were never set (its first update still to come) passes through.
        if (!(lofiStep[v] > 0.0f) || !(lofiHold[v] >= 1.0f)) continue;
        float reduced[2][2]; // frame, channel
        for (int f = 0; f < 2; ++f) {
            const stereoOverStruct& in = pathIn[slot][f];
            lofiCounter[slot] += 1.0f;
            if (lofiCounter[slot] >= lofiHold[v]) {
                lofiHeld[slot] = {(in.first.left + in.second.left) * 0.5f,
                                  (in.first.right + in.second.right) * 0.5f};
                lofiCounter[slot] -= lofiHold[v];
            }
            const float held[2] = {lofiHeld[slot].left, lofiHeld[slot].right};
            for (int ch = 0; ch < 2; ++ch) {
                const float h = held[ch];
                const float sgn = h > 0.0f ? 1.0f : (h < 0.0f ? -1.0f : 0.0f);
                const float q = sgn * floorPositive(lofiStep[v] * std::fabs(h));
                const uint32_t t = RandSeed * 16807u;
                RandSeed = t + 1u;
                const float r = static_cast<float>(static_cast<int32_t>(t)) * 4.656612873e-10f;
                reduced[f][ch] =
                    q * lofiInvStep[v] * ((1.0f - lofiNoise[v]) + lofiNoise[v] * (r + 1.0f) * 0.5f);
            }
        }
        // Sub-samples A0, A1, B0, B1: each frame's value twice.
        float out[4][2];
        float low[2] = {lofiLow[slot].left, lofiLow[slot].right};
        float band[2] = {lofiBand[slot].left, lofiBand[slot].right};
        for (int k = 0; k < 4; ++k) {
            for (int ch = 0; ch < 2; ++ch) {
                float y = reduced[k / 2][ch];
                if (filterOn[v]) {
                    const float b = clipBand(band[ch]);
                    const float high = y + 1e-15f - low[ch] - b;
                    band[ch] = coef[v] * high + b;
                    low[ch] = coef[v] * band[ch] + low[ch];
                    y = 1.4142135f * low[ch] + 1e-15f;
                }
                out[k][ch] = y;
            }
        }
        for (int ch = 0; ch < 2; ++ch) {
            // A state that stopped being finite starts again from silence.
            if (!std::isfinite(low[ch]) || !std::isfinite(band[ch])) low[ch] = band[ch] = 0.0f;
        }
        lofiLow[slot] = {low[0], low[1]};
        lofiBand[slot] = {band[0], band[1]};
        for (int f = 0; f < 2; ++f) {
            const stereoOverStruct& in = pathIn[slot][f];
            const float* a = out[2 * f];
            const float* b = out[2 * f + 1];
            pathOut[slot][f] = {
                {dry[v] * in.first.left + wet[v] * a[0], dry[v] * in.first.right + wet[v] * a[1]},
                {dry[v] * in.second.left + wet[v] * b[0],
                 dry[v] * in.second.right + wet[v] * b[1]}};
        }
    }
}
