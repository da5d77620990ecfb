// The distortion effect's modes with a chain of their own besides the amp and the cabinet
// (audio thread): Clipper, Low-Fi, WaveShaper and Tube.
#include "engine/APlugin.h"

#include "dsp/DistortCurves.h"
#include "engine/fx/FXCommon.h"
#include "engine/tables/LookupTables.h"

#include <cmath>

using namespace fx;

namespace {
// One-pole coefficient of 20 x 2^(11 v) Hz. Held at 1 (the input itself): above that, at low
// rates, the filter would overshoot and then run away.
float onePole(float v, float rate) {
    const float k = 20.0f * std::exp2(11.0f * v) / rate;
    return k < 1.0f ? k : 1.0f;
}
} // namespace

void APlugin::distortClipper(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                             stereoStruct* out0, stereoStruct* out1) {
    stereoOverStruct a = holdFrame(in0), b = holdFrame(in1);
    fxFilters[2].processHP(d.p[2], 0.0f, false, a, b, a, b);
    const float lim = std::exp2(-10.0f * d.p[3]);
    const float upper = clamp01(2.0f * d.p[4]) * lim;
    const float lower = -clamp01(2.0f - 2.0f * d.p[4]) * lim;
    const float kA = onePole(d.p[5], engineRate), kB = onePole(d.p[6], engineRate);
    stereoStruct w[2];
    const stereoStruct v[2] = {frameMean(a), frameMean(b)};
    for (int k = 0; k < 2; ++k) {
        const float yl = clampTo(v[k].left * d.preGain, lower, upper);
        const float yr = clampTo(v[k].right * d.preGain, lower, upper);
        distortFX.clipperLow1.left += kA * (yl - distortFX.clipperLow1.left) + 1e-15f;
        distortFX.clipperLow1.right += kA * (yr - distortFX.clipperLow1.right) + 1e-15f;
        distortFX.clipperLow2.left +=
            kB * (distortFX.clipperLow1.left - distortFX.clipperLow2.left) + 1e-15f;
        distortFX.clipperLow2.right +=
            kB * (distortFX.clipperLow1.right - distortFX.clipperLow2.right) + 1e-15f;
        w[k] = {distortFX.clipperLow1.left - distortFX.clipperLow2.left,
                distortFX.clipperLow1.right - distortFX.clipperLow2.right};
    }
    distortMixOut(d, in0, in1, w[0], w[1], d.postGain, out0, out1);
}

float APlugin::distortRandom() {
    // 32-bit multiply with wrap-around; the product read as signed gives -1..1, here 0..1.
    const uint32_t product = RandSeed * 16807u;
    RandSeed = product + 1u;
    return (static_cast<float>(static_cast<int32_t>(product)) / 2147483648.0f + 1.0f) * 0.5f;
}

void APlugin::distortLowFi(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                           stereoStruct* out0, stereoStruct* out1) {
    const float step = std::exp2(5.0f * d.p[2]); // hold 1 .. 32 frames
    const float q = std::exp2(16.5f - 16.0f * d.p[3]);
    const float n = d.p[4] * d.p[4] * d.p[4];
    const stereoStruct in[2] = {in0, in1};
    stereoStruct y[2];
    for (int k = 0; k < 2; ++k) {
        distortFX.lowFiCounter += 1.0f;
        if (distortFX.lowFiCounter + 1.0f > step) {
            distortFX.lowFiCounter -= step;
            distortFX.lowFiHeld = {distortBoost(in[k].left, d.preGain),
                                   distortBoost(in[k].right, d.preGain)};
        }
        const auto crush = [q](float h) {
            const float m = std::floor(std::fabs(h) * q) / q;
            return h < 0.0f ? -m : m;
        };
        const float ul = distortRandom(), ur = distortRandom();
        y[k].left = crush(distortFX.lowFiHeld.left) * ((1.0f - n) + n * ul);
        y[k].right = crush(distortFX.lowFiHeld.right) * ((1.0f - n) + n * ur);
    }
    stereoStruct f0, f1;
    distortFilterPair(d, y[0], y[1], f0, f1);
    distortMixOut(d, in0, in1, f0, f1, d.postGain, out0, out1);
}

void APlugin::distortWaveShaper(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                                stereoStruct* out0, stereoStruct* out1) {
    const float kTop = (std::exp2(4.0f * d.p[2]) - 1.0f) * 65535.99f;
    const float kBottom = (std::exp2(4.0f * d.p[3]) - 1.0f) * 65535.99f;
    const float rect = 1.0f - 2.0f * d.p[4];
    const auto shape = [&](float x) {
        const float k = x > 0.0f ? kTop : kBottom;
        const float r = x > 0.0f ? 1.0f : rect;
        return r * distortBoost(x, d.preGain) * tables->CosArray[distort::cycleIndex(k * x)];
    };
    const stereoStruct y0{shape(in0.left), shape(in0.right)};
    const stereoStruct y1{shape(in1.left), shape(in1.right)};
    stereoStruct f0, f1;
    distortFilterPair(d, y0, y1, f0, f1);
    distortMixOut(d, in0, in1, f0, f1, d.postGain, out0, out1);
}

void APlugin::distortTube(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                          stereoStruct* out0, stereoStruct* out1) {
    const float drive = std::exp2(8.0f * d.p[3]) - 1.0f;
    const auto saturate = [drive](float x) {
        const float t = x * drive + 1e-15f;
        const float y = (x + t) / (std::fabs(t) + 1.0f);
        return y > 1.0f ? 1.0f : (y < -1.0f ? -1.0f : y + 1e-15f);
    };
    stereoOverStruct a = holdFrame({saturate(in0.left), saturate(in0.right)});
    stereoOverStruct b = holdFrame({saturate(in1.left), saturate(in1.right)});
    // Tone, moved by the modulation wheel as far as "Modulation" asks.
    const float cutoff = clamp01(d.p[4] + (2.0f * d.p[6] - 1.0f) * smoothedModWheel);
    fxFilters[3].processBP(cutoff, d.p[5], false, a, b, a, b);
    const float limit = d.p[1];
    const auto shapeBand = [&](float v) {
        if (v < 0.0f) v *= d.p[2];
        return clampTo(v, -limit, limit);
    };
    stereoStruct* sub[4] = {&a.first, &a.second, &b.first, &b.second};
    for (stereoStruct* s : sub) {
        s->left = shapeBand(s->left);
        s->right = shapeBand(s->right);
    }
    const auto softClip = [](float m) {
        if (m > 1.0f) return 1.0f;
        if (m < -1.0f) return -1.0f;
        const float sgn = m > 0.0f ? 1.0f : (m < 0.0f ? -1.0f : 0.0f);
        return 0.5f * (3.0f * m - m * std::fabs(m)) + 1e-15f * sgn;
    };
    const stereoStruct m0 = frameMean(a), m1 = frameMean(b);
    const stereoStruct y0{softClip(m0.left * d.postGain), softClip(m0.right * d.postGain)};
    const stereoStruct y1{softClip(m1.left * d.postGain), softClip(m1.right * d.postGain)};
    distortMixOut(d, in0, in1, y0, y1, 1.0f, out0, out1);
}
