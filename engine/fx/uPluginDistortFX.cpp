// The distortion effect of the chain (audio thread, once per pass): mix, pan and control
// smoothing, the shaped modes (boost, curve, level normalisation, 2x-rate low- and high-pass)
// and the dispatch to the modes with a chain of their own.
#include "engine/APlugin.h"

#include "dsp/DistortCurves.h"
#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>

using namespace fx;

namespace {
float follow(float env, float x) {
    const float v = 0.98f * env + 0.02f * std::fabs(x);
    return v > 0.001f ? v : 0.001f; // never below, so the normalisation never divides by 0
}
} // namespace

float APlugin::distortBoost(float x, float gain) {
    return clampTo(gain * x, -1.0f, 1.0f);
}

void APlugin::distortFilterPair(const DistortFXParams& d, stereoStruct y0, stereoStruct y1,
                                stereoStruct& f0, stereoStruct& f1) {
    stereoOverStruct a = holdFrame(y0), b = holdFrame(y1);
    fxFilters[0].processLP(d.p[5], 0.0f, false, a, b, a, b);
    fxFilters[1].processHP(d.p[6], 0.0f, false, a, b, a, b);
    f0 = frameMean(a);
    f1 = frameMean(b);
}

void APlugin::distortMixOut(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                            stereoStruct w0, stereoStruct w1, float gain, stereoStruct* out0,
                            stereoStruct* out1) {
    const float l = gain * d.wet * d.panLeft, r = gain * d.wet * d.panRight;
    out0->left = in0.left * d.dry + w0.left * l;
    out0->right = in0.right * d.dry + w0.right * r;
    out1->left = in1.left * d.dry + w1.left * l;
    out1->right = in1.right * d.dry + w1.right * r;
}

void APlugin::doDistortFX(stereoStruct in0, stereoStruct in1, stereoStruct* out0,
                          stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
    if (!distortFX.distortFXOn) return;

    DistortFXParams d;
    distortFX.distortFXMixSmooth =
        0.9f * distortFX.distortFXMixSmooth + 0.1f * fxValue(tag::DistortionFxMix) + 1e-15f;
    const Gains mix = mixGains(clamp01(distortFX.distortFXMixSmooth + fxMod(DEST_DISTORT_FX_MIX)));
    const Gains pan = panGains(clamp01(0.5f + fxMod(DEST_DISTORT_FX_PAN)));
    d.dry = mix.dry;
    d.wet = mix.wet;
    d.panLeft = pan.dry;
    d.panRight = pan.wet;
    d.p[0] = 0.0f;
    for (int n = 1; n <= 7; ++n) {
        float& s = distortFX.distortFXParSmooth[n - 1];
        if ((distortFX.distortFXCount & 1u) == 0)
            s = 0.9f * s + 0.1f * fxValue(tag::DistortionFx1 + n - 1) + 1e-15f;
        d.p[n] = clamp01(s + fxMod(DEST_DISTORT_FX_MIX + n));
    }
    const float* gainTable = tables->dbGainBipolarArray;
    d.preGain = gainTable[unitTableIndex(d.p[1])];
    d.postGain = gainTable[unitTableIndex(d.p[7])];

    switch (distortFXMode) {
    case distort::kAmp:
        distortAmp(d, in0, in1, out0, out1);
        break;
    case distort::kCab:
        distortCab(d, in0, in1, out0, out1);
        break;
    case distort::kClipper:
        distortClipper(d, in0, in1, out0, out1);
        break;
    case distort::kLowFi:
        distortLowFi(d, in0, in1, out0, out1);
        break;
    case distort::kTube:
        distortTube(d, in0, in1, out0, out1);
        break;
    case distort::kWaveShaper:
        distortWaveShaper(d, in0, in1, out0, out1);
        break;
    default:
        distortShaped(d, in0, in1, out0, out1);
        break;
    }
    ++distortFX.distortFXCount;
}

void APlugin::distortShaped(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                            stereoStruct* out0, stereoStruct* out1) {
    distort::Curve curve;
    const distort::Tables t{tables->SineArray, tables->CosArray,
                            userWaveTables[OSC_USER_TABLE_START[0] - OSC_BUILTIN_TABLES],
                            userWaveTables[OSC_USER_TABLE_START[1] - OSC_BUILTIN_TABLES]};
    curve.prepare(distortFXMode, d.p[2], d.p[3], t);
    const stereoStruct in[2] = {in0, in1};
    stereoStruct y[2];
    for (int k = 0; k < 2; ++k) {
        y[k].left = curve.shape(distortBoost(in[k].left, d.preGain), in[k].left);
        y[k].right = curve.shape(distortBoost(in[k].right, d.preGain), in[k].right);
    }
    distortFX.distortFXEnvIn.left = follow(distortFX.distortFXEnvIn.left, in0.left);
    distortFX.distortFXEnvIn.right = follow(distortFX.distortFXEnvIn.right, in0.right);
    distortFX.distortFXEnvOut.left = follow(distortFX.distortFXEnvOut.left, y[0].left);
    distortFX.distortFXEnvOut.right = follow(distortFX.distortFXEnvOut.right, y[0].right);
    const float p4 = d.p[4];
    if (p4 > 0.0001f) {
        // At full "Normal" the shaped level follows the input level.
        const float gl =
            (1.0f - p4) + p4 * distortFX.distortFXEnvIn.left / distortFX.distortFXEnvOut.left;
        const float gr =
            (1.0f - p4) + p4 * distortFX.distortFXEnvIn.right / distortFX.distortFXEnvOut.right;
        for (stereoStruct& f : y) {
            f.left *= gl;
            f.right *= gr;
        }
    }
    stereoStruct f0, f1;
    distortFilterPair(d, y[0], y[1], f0, f1);
    distortMixOut(d, in0, in1, f0, f1, d.postGain, out0, out1);
}
