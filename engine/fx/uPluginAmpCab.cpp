// The amplifier and cabinet modes of the distortion effect (audio thread): boost, the speaker
// response (a 64-tap impulse response or a 32-tap recursive cabinet row), the tube-like drive,
// the bass and treble bands of the FX EQ and the post gain.
#include "engine/APlugin.h"

#include "dsp/CabinetModels.h"
#include "engine/fx/FXCommon.h"
#include "engine/tables/LookupTables.h"

#include <cmath>

using namespace fx;

namespace {
float drive(float y, float d) {
    const float t = y * d + 1e-15f;
    const float v = (y + t) / (std::fabs(t) + 1.0f);
    return v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v + 1e-15f);
}
} // namespace

void APlugin::distortAmpTail(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                             stereoStruct y0, stereoStruct y1, float extraGain, stereoStruct* out0,
                             stereoStruct* out1) {
    const float dist = std::exp2(8.0f * d.p[3]) - 1.0f;
    y0 = {drive(y0.left, dist), drive(y0.right, dist)};
    y1 = {drive(y1.left, dist), drive(y1.right, dist)};
    if ((distortFX.distortFXCount & 7u) == 0)
        distortEQ.setFXParameters(200.0f, d.p[4], 4000.0f, d.p[5]);
    stereoOverStruct a = holdFrame(y0), b = holdFrame(y1);
    distortEQ.processFX(a, b, a, b);
    const stereoStruct e0 = frameMean(a), e1 = frameMean(b);
    // The post gain is computed directly: -30 .. +30 dB, silent at the bottom.
    const float post = d.p[6] < 0.001f ? 0.0f : std::pow(10.0f, (60.0f * d.p[6] - 30.0f) / 20.0f);
    distortMixOut(d, in0, in1, e0, e1, post * extraGain, out0, out1);
}

void APlugin::distortAmp(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                         stereoStruct* out0, stereoStruct* out1) {
    stereoStruct x[2] = {{distortBoost(in0.left, d.preGain), distortBoost(in0.right, d.preGain)},
                         {distortBoost(in1.left, d.preGain), distortBoost(in1.right, d.preGain)}};
    const int model = static_cast<int>(5.99f * d.p[2]);
    if (model > 0 && model < DISTORT_FIR_KERNELS) {
        // The ring holds the last 64 frames; tap j of the response weighs the frame j frames
        // old, so the response is the speaker's impulse response in time order.
        const float* h = tables->distortFirKernels[model];
        for (stereoStruct& f : x) {
            distortFX.ampRing[distortFX.ampIndex] = f;
            float l = 0.0f, r = 0.0f;
            for (int j = 0; j < DISTORT_FIR_TAPS; ++j) {
                const stereoStruct& s =
                    distortFX.ampRing[(distortFX.ampIndex - j) & (DistortFXState::kAmpRing - 1)];
                l += h[j] * s.left;
                r += h[j] * s.right;
            }
            f = {l, r};
            distortFX.ampIndex = (distortFX.ampIndex + 1) & (DistortFXState::kAmpRing - 1);
        }
    }
    distortAmpTail(d, in0, in1, x[0], x[1], 1.0f, out0, out1);
}

void APlugin::distortCab(const DistortFXParams& d, stereoStruct in0, stereoStruct in1,
                         stereoStruct* out0, stereoStruct* out1) {
    stereoStruct x[2] = {{distortBoost(in0.left, d.preGain), distortBoost(in0.right, d.preGain)},
                         {distortBoost(in1.left, d.preGain), distortBoost(in1.right, d.preGain)}};
    const int model = static_cast<int>(3.99f * d.p[2]);
    const int row = cabinet::rowFor(model, engineRate);
    const cabinet::Tables& cab = cabinet::tables();
    if (model > 0) {
        const float* aa = cab.AA[row];
        const float* bb = cab.BB[row];
        for (stereoStruct& f : x) {
            distortFX.cabInRing[distortFX.cabIndex] = f;
            float l = 0.0f, r = 0.0f;
            for (int k = 0; k < cabinet::kTaps; ++k) {
                const int i = (distortFX.cabIndex - k) & (DistortFXState::kCabRing - 1);
                l += aa[k] * distortFX.cabInRing[i].left + bb[k] * distortFX.cabOutRing[i].left;
                r += aa[k] * distortFX.cabInRing[i].right + bb[k] * distortFX.cabOutRing[i].right;
            }
            // The rows are stable; the clamp only keeps a broken input from ringing for ever.
            f = {clampTo(l, -100.0f, 100.0f), clampTo(r, -100.0f, 100.0f)};
            distortFX.cabOutRing[distortFX.cabIndex] = f;
            distortFX.cabIndex = (distortFX.cabIndex + 1) & (DistortFXState::kCabRing - 1);
        }
    }
    distortAmpTail(d, in0, in1, x[0], x[1], cab.GAIN[row], out0, out1);
}
