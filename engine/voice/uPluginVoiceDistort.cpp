// The voice path's distortion position: the common chain (pre-gain, shaping, level matching,
// low-pass and high-pass, post-gain) and the Clipper and Tube chains, and the mode's
// control-rate coefficients. Audio thread: once per pass, and at each voice's control rate.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/StageMath.h"
#include "engine/voice/VoiceDistortModes.h"

#include <cmath>

namespace {

using namespace stagemath;

constexpr int kMixKnob = 0; // distortSmooth[v][0] is the mix (tag 72), [1..7] the knobs

} // namespace

void APlugin::setVoiceDistortCoeffs(int v) {
    if (getOnOff(tag::VoiceDistortionOn)) {
        for (int i = 0; i < 8; ++i)
            distortSmooth[v][i] = 0.9f * distortSmooth[v][i] +
                                  0.100000024f * currentValues[tag::VoiceDistortionMix + i];
    }
    auto knob = [&](int i) {
        const int t = tag::VoiceDistortionMix + i;
        return clamp01(distortSmooth[v][i] + getVoiceStageValue(v, t) - currentValues[t]);
    };
    const int menu = getSteppedValue(tag::VoiceDistortionMode);
    const int mode = REAL_DISTORT_MODES[0][menu < 0 ? 0 : (menu > 22 ? 22 : menu)];
    float(&c)[voicedistort::kCoeffs] = voiceDistortCoeffs[v];
    voicedistort::computeCoeffs(mode, knob(2), knob(3), knob(4), knob(5), knob(6), engineRate, c);
}

void APlugin::doVoiceDistort() {
    if (!getOnOff(tag::VoiceDistortionOn) || !tables) return;
    const int menu = getSteppedValue(tag::VoiceDistortionMode);
    const int mode = REAL_DISTORT_MODES[0][menu < 0 ? 0 : (menu > 22 ? 22 : menu)];
    StageVoices sv;
    collectStageVoices(sv);
    for (int i = 0; i < sv.count; ++i) {
        const int v = sv.voices[i];
        float knobs[8];
        for (int k = 0; k < 8; ++k) {
            const int t = tag::VoiceDistortionMix + k;
            knobs[k] = clamp01(distortSmooth[v][k] + getVoiceStageValue(v, t) - currentValues[t]);
        }
        const float w = knobs[kMixKnob];
        doDistortChain(v, sv.slots[i], sv.slotCount[i], mode, clamp01(2.0f - 2.0f * w),
                       clamp01(2.0f * w), knobs);
    }
}

void APlugin::doDistortChain(int v, const int* slots, int count, int mode, float dry, float wet,
                             const float (&K)[8]) {
    const LookupTables& t = *tables;

    auto coefFor = [&](float hz) {
        const float fc = std::fmin(hz, rateTimes04);
        return t.FilterSine[clampTableIndex((fc + 0.001f) * 262143.0f * inverseDoubleRate,
                                            LUT_FILTER_SIZE)];
    };
    const float postGain = t.dbGainBipolarArray[unitTableIndex(K[7])];

    if (mode == voicedistort::Clipper) {
        const float tone = coefFor(20.0f * std::exp2(10.0f * K[2]));
        const float preGain = t.dbGainBipolarArray[unitTableIndex(K[1])];
        const float* c = voiceDistortCoeffs[v];
        for (int j = 0; j < count; ++j) {
            const int s = slots[j];
            DistortFilterState& st = distortStates[s];
            float* low[2] = {&st.low1.left, &st.low1.right};
            float* band[2] = {&st.band1.left, &st.band1.right};
            float* s1[2] = {&st.low2.left, &st.low2.right};
            float* s2[2] = {&st.band2.left, &st.band2.right};
            float y[4][2];
            for (int k = 0; k < 4; ++k) {
                const stereoOverStruct& in = pathIn[s][k / 2];
                const float x[2] = {(in.first.left + in.second.left) * 0.5f,
                                    (in.first.right + in.second.right) * 0.5f};
                for (int ch = 0; ch < 2; ++ch) {
                    const float b = clipBand(*band[ch]);
                    const float high = x[ch] + 1e-15f - *low[ch] - b;
                    *band[ch] = tone * high + b;
                    *low[ch] = tone * *band[ch] + *low[ch];
                    keepFinite(*low[ch], *band[ch]);
                    const float value = clampf((1.4142135f * high + 1e-15f) * preGain, -c[0], c[1]);
                    *s1[ch] = c[2] * value + (1.0f - c[2]) * *s1[ch] + 1e-15f;
                    *s2[ch] = c[3] * *s1[ch] + (1.0f - c[3]) * *s2[ch] + 1e-15f;
                    keepFinite(*s1[ch], *s2[ch]);
                    y[k][ch] = postGain * (*s1[ch] - *s2[ch]);
                }
            }
            for (int f = 0; f < 2; ++f) {
                const stereoOverStruct& in = pathIn[s][f];
                pathOut[s][f] = {{dry * in.first.left + wet * y[2 * f][0],
                                  dry * in.first.right + wet * y[2 * f][1]},
                                 {dry * in.second.left + wet * y[2 * f + 1][0],
                                  dry * in.second.right + wet * y[2 * f + 1][1]}};
            }
        }
        return;
    }

    if (mode == voicedistort::Tube) {
        const float drive = std::exp2(8.0f * K[3]) - 1.0f;
        const float toneControl = K[4] + (2.0f * K[6] - 1.0f) * voiceFilters[v].getModWheel();
        const float tone = t.FilterSine[filterTableIndex(
            std::fmin(20.0f * std::exp2(10.0f * clamp01(toneControl)), rateTimes04) *
            inverseDoubleRate)];
        const float damping = 1.0f - 0.95f * K[5];
        const float rectify = 2.0f * K[2] - 1.0f;
        const float limit = K[1];
        const float gain = t.dbGain40Array[unitTableIndex(K[7])];
        for (int j = 0; j < count; ++j) {
            const int s = slots[j];
            DistortFilterState& st = distortStates[s];
            float low[2] = {st.low1.left, st.low1.right};
            float band[2] = {st.band1.left, st.band1.right};
            float y[4][2];
            for (int f = 0; f < 2; ++f) {
                const stereoOverStruct& in = pathIn[s][f];
                const float x[2] = {(in.first.left + in.second.left) * 0.5f,
                                    (in.first.right + in.second.right) * 0.5f};
                for (int ch = 0; ch < 2; ++ch) {
                    // The frame's value through the tube curve, then twice through the tone.
                    // Written without branches: the signal's sign would defeat prediction.
                    const float u = drive * x[ch] + 1e-15f;
                    const float v0 = clampf((x[ch] + u) / (std::fabs(u) + 1.0f), -1.0f, 1.0f);
                    for (int k = 2 * f; k < 2 * f + 2; ++k) {
                        const float b = clipBand(band[ch]);
                        const float high = v0 + 1e-15f - low[ch] - damping * b;
                        band[ch] = tone * high + b;
                        low[ch] = tone * band[ch] + low[ch];
                        const float raw = 2.0f * band[ch] + 1e-15f;
                        const float value = maxf(raw, 0.0f) + rectify * minf(raw, 0.0f);
                        // (3v - v|v|) / 2 is the soft clip's curve on both sides and reaches
                        // exactly +-1 at the clamp.
                        const float c = clampf(clampf(value, -limit, limit) * gain, -1.0f, 1.0f);
                        y[k][ch] = 0.5f * (3.0f * c - c * std::fabs(c));
                    }
                }
            }
            keepFinite(low[0], band[0]);
            keepFinite(low[1], band[1]);
            st.low1 = {low[0], low[1]};
            st.band1 = {band[0], band[1]};
            for (int f = 0; f < 2; ++f) {
                const stereoOverStruct& in = pathIn[s][f];
                pathOut[s][f] = {{dry * in.first.left + wet * y[2 * f][0],
                                  dry * in.first.right + wet * y[2 * f][1]},
                                 {dry * in.second.left + wet * y[2 * f + 1][0],
                                  dry * in.second.right + wet * y[2 * f + 1][1]}};
            }
        }
        return;
    }

    // The common chain.
    const float preGain = t.dbGainBipolarArray[unitTableIndex(K[1])];
    const voicedistort::PassKnobs pk =
        voicedistort::passKnobs(K[2], K[3], userWaveTables[0],
                                userWaveTables[OSC_USER_TABLE_START[1] - OSC_USER_TABLE_START[0]]);
    const float(&coeffs)[voicedistort::kCoeffs] = voiceDistortCoeffs[v];
    const float fLow = coefFor(20.0f * std::exp2(10.0f * K[5]));
    const float fHigh = coefFor(20.0f * std::exp2(10.0f * K[6]));
    float normal = 1.0f;
    for (int j = 0; j < count; ++j) {
        const int s = slots[j];
        float shaped[2][2]; // frame, channel
        for (int f = 0; f < 2; ++f) {
            const stereoOverStruct& in = pathIn[s][f];
            const float x[2] = {(in.first.left + in.second.left) * 0.5f,
                                (in.first.right + in.second.right) * 0.5f};
            for (int ch = 0; ch < 2; ++ch) {
                // The curves index tables with their input: it must be a number within -1..1.
                const float pre =
                    std::isfinite(x[ch]) ? clampf(x[ch] * preGain, -1.0f, 1.0f) : 0.0f;
                shaped[f][ch] = voicedistort::shape(mode, pre, coeffs, pk, t);
            }
        }
        if (j == 0 && K[4] > 0.0001f) {
            // Level matching follows the first sub-voice: its input against its shaped output.
            const stereoStruct& first = pathIn[s][0].first;
            distortInLevel[v] =
                0.98f * distortInLevel[v] + 0.01f * std::fabs(first.left + first.right);
            distortOutLevel[v] =
                std::fmax(0.001f, 0.98f * distortOutLevel[v] +
                                      0.01f * std::fabs(shaped[0][0] + shaped[0][1]));
            if (!std::isfinite(distortInLevel[v]) || !std::isfinite(distortOutLevel[v]))
                distortInLevel[v] = distortOutLevel[v] = 0.001f;
            normal = (1.0f - K[4]) + K[4] * distortInLevel[v] / distortOutLevel[v];
        }
        DistortFilterState& st = distortStates[s];
        float low1[2] = {st.low1.left, st.low1.right}, band1[2] = {st.band1.left, st.band1.right};
        float low2[2] = {st.low2.left, st.low2.right}, band2[2] = {st.band2.left, st.band2.right};
        float y[4][2];
        for (int k = 0; k < 4; ++k) {
            for (int ch = 0; ch < 2; ++ch) {
                const float x = shaped[k / 2][ch] * normal;
                const float b1 = clipBand(band1[ch]);
                const float high1 = x + 1e-15f - low1[ch] - 0.9f * b1;
                band1[ch] = fLow * high1 + b1;
                low1[ch] = fLow * band1[ch] + low1[ch];
                const float b2 = clipBand(band2[ch]);
                const float high2 = 1.4142135f * low1[ch] - low2[ch] - 0.9f * b2;
                band2[ch] = fHigh * high2 + b2;
                low2[ch] = fHigh * band2[ch] + low2[ch];
                y[k][ch] = clampf((high2 + 1e-15f) * postGain * 0.707f, -1.0f, 1.0f);
            }
        }
        for (int ch = 0; ch < 2; ++ch) {
            keepFinite(low1[ch], band1[ch]);
            keepFinite(low2[ch], band2[ch]);
        }
        st.low1 = {low1[0], low1[1]};
        st.band1 = {band1[0], band1[1]};
        st.low2 = {low2[0], low2[1]};
        st.band2 = {band2[0], band2[1]};
        for (int f = 0; f < 2; ++f) {
            const stereoOverStruct& in = pathIn[s][f];
            pathOut[s][f] = {
                {dry * in.first.left + wet * y[2 * f][0], dry * in.first.right + wet * y[2 * f][1]},
                {dry * in.second.left + wet * y[2 * f + 1][0],
                 dry * in.second.right + wet * y[2 * f + 1][1]}};
        }
    }
}
