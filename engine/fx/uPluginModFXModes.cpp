// The filter and amplitude modes of the modulation effect (audio thread): Phaser, WahWah,
// Tremolo, AutoPan and Ring Modulation.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>

using namespace fx;

namespace {
constexpr int kSampleAndHoldWave = 5;
constexpr int kUserWave1 = 6;
constexpr float kTwoPi = 6.2831853f;
} // namespace

void APlugin::modFXPhaser(ModFXPass& pass) {
    ModFXState& m = modFX;
    const float pitch = clamp01(pass.k1 + fxMod(DEST_MOD_FX_PHASER_PITCH));
    const float w = 0.45f * 0.99f * pass.k2;
    const float q = 2.0f * (0.9f * clamp01(fxMod(DEST_MOD_FX_PHASER_Q) + 0.8f) + 0.05f);
    const float g =
        -0.95f * clampTo(fxValue(tag::ModFx4) + fxMod(DEST_MOD_FX_FEED), -1.0f, 1.0f) + 1e-15f;
    const uint32_t widen = static_cast<uint32_t>(
        4.0f * std::exp2(8.0f * clamp01(fxMod(DEST_MOD_FX_WIDEN) + 0.85f)) + 1.0f);
    // Section coefficients once per pass, per channel (left follows A, right B).
    const float lfo[2] = {m.outA, m.outB};
    float b0[2], b1[2];
    for (int ch = 0; ch < 2; ++ch) {
        const float hz = 15.0f * std::exp2(10.0f * pitch * (0.5f + w * (0.5f * lfo[ch] + 0.5f)));
        const float omega = kTwoPi * hz / engineRate;
        const float alpha = std::sin(omega) / q;
        b0[ch] = (1.0f - alpha) / (1.0f + alpha);
        b1[ch] = -2.0f * std::cos(omega) / (1.0f + alpha);
    }
    const uint32_t c = m.counter;
    for (int k = 0; k < 2; ++k) {
        float y[2];
        const float fb[2] = {m.phaserFeedback.left, m.phaserFeedback.right};
        const float in[2] = {pass.s[k].left, pass.s[k].right};
        for (int ch = 0; ch < 2; ++ch) {
            float x = in[ch] - g * fb[ch] + 1e-15f;
            for (int s = 0; s < 4; ++s) {
                const float out =
                    clampTo(b0[ch] * x + b1[ch] * m.phaserX1[ch][s] + m.phaserX2[ch][s] -
                                b1[ch] * m.phaserY1[ch][s] - b0[ch] * m.phaserY2[ch][s] + 1e-15f,
                            -10.0f, 10.0f);
                m.phaserX2[ch][s] = m.phaserX1[ch][s];
                m.phaserX1[ch][s] = x;
                m.phaserY2[ch][s] = m.phaserY1[ch][s];
                m.phaserY1[ch][s] = out;
                x = out;
            }
            y[ch] = x;
        }
        m.phaserFeedback = modFXBand({y[0], y[1]});
        // The left chain is heard `widen` frames later than the right one.
        const uint32_t i = c + static_cast<uint32_t>(k);
        m.phaserWiden[i & (ModFXState::kLine - 1)] = y[0];
        pass.wet[k] = {m.phaserWiden[(i - widen) & (ModFXState::kLine - 1)], y[1]};
    }
    modFXLimit(pass);
    for (stereoStruct& v : pass.wet) v = {v.left * pass.panLeft, v.right * pass.panRight};
}

void APlugin::modFXWahWah(ModFXPass& pass) {
    const float lo = clamp01(fxValue(tag::ModFx1) + fxMod(DEST_MOD_FX_WAH_LOW));
    const float hi = clamp01(fxValue(tag::ModFx2) + fxMod(DEST_MOD_FX_WAH_HIGH));
    const float q = clamp01(fxValue(tag::ModFx4) + fxMod(DEST_MOD_FX_PHASER_Q));
    const stereoStruct cutoffs{lo + (hi - lo) * (0.5f * modFX.outA + 0.5f),
                               lo + (hi - lo) * (0.5f * modFX.outB + 0.5f)};
    stereoOverStruct a{pass.s[0], pass.s[0]}, b{pass.s[1], pass.s[1]};
    fxFilter5.processLPStereo(cutoffs, q, a, b, a, b);
    const stereoOverStruct* f[2] = {&a, &b};
    for (int k = 0; k < 2; ++k) {
        const stereoStruct v{0.5f * (f[k]->first.left + f[k]->second.left) * pass.panLeft,
                             0.5f * (f[k]->first.right + f[k]->second.right) * pass.panRight};
        pass.wet[k] = modFXBand(v);
    }
}

float APlugin::modFXWave(int wave, float phase) const {
    const int i = lfoTableIndex(phase);
    if (wave >= kUserWave1) return userLfoShapes[wave - kUserWave1][i];
    return tables->lfoShapeTables[wave][i];
}

float APlugin::modFXSmoothing() const {
    // 1 (no smoothing) without modulation; held to 0..1 so it never overshoots.
    return std::exp2(-13.0f * clamp01(fxMod(DEST_MOD_FX_SMOOTH)));
}

void APlugin::modFXTremolo(ModFXPass& pass) {
    ModFXState& m = modFX;
    const int wave = getSteppedValue(fxValue(tag::ModFx1), 7.99f, 8);
    stereoStruct target = m.waveSmooth; // "Sample And Hold" stays where it stood
    if (wave != kSampleAndHoldWave) target = {modFXWave(wave, m.skewA), modFXWave(wave, m.skewB)};
    const float s = modFXSmoothing();
    m.waveSmooth.left = s * target.left + (1.0f - s) * m.waveSmooth.left;
    m.waveSmooth.right = s * target.right + (1.0f - s) * m.waveSmooth.right;
    const float a = clamp01(fxValue(tag::ModFx2) + fxMod(DEST_MOD_FX_AMOUNT));
    const float gl = ((1.0f - a) + a * (0.5f * m.waveSmooth.left + 0.5f)) * pass.panLeft;
    const float gr = ((1.0f - a) + a * (0.5f * m.waveSmooth.right + 0.5f)) * pass.panRight;
    for (int k = 0; k < 2; ++k)
        pass.wet[k] = modFXBand({pass.s[k].left * gl, pass.s[k].right * gr});
}

void APlugin::modFXAutoPan(ModFXPass& pass) {
    ModFXState& m = modFX;
    const int wave = getSteppedValue(fxValue(tag::ModFx1), 7.99f, 8);
    const float target = wave == kSampleAndHoldWave ? m.waveSmooth.left : modFXWave(wave, m.skewA);
    const float s = modFXSmoothing();
    m.waveSmooth.left = s * target + (1.0f - s) * m.waveSmooth.left;
    const float d = clampTo(0.5f * (fxValue(tag::ModFx2) + fxMod(DEST_MOD_FX_AMOUNT)), 0.0f, 0.5f);
    const float p = d * m.waveSmooth.left + 0.5f;
    const float gl = clamp01(2.0f - 2.0f * p) * pass.panLeft;
    const float gr = clamp01(2.0f * p) * pass.panRight;
    for (int k = 0; k < 2; ++k)
        pass.wet[k] = modFXBand({pass.s[k].left * gl, pass.s[k].right * gr});
}

void APlugin::modFXRingMod(ModFXPass& pass) {
    ModFXState& m = modFX;
    const float a = clamp01(fxValue(tag::ModFx2) + fxMod(DEST_MOD_FX_AMOUNT));
    const float v = fxValue(tag::ModFx3) + fxMod(DEST_MOD_FX_RING_FREQ);
    const float e = v < 0.0f ? 0.0f : (v > 1.0f ? 10.0f : 10.0f * v);
    const float hz = 20.0f * std::exp2(e) + 100.0f * fxValue(tag::ModFx4);
    const float inc = hz / engineRate;
    const int wave = getSteppedValue(fxValue(tag::ModFx1), 3.99f, 4);
    const auto carrier = [wave](float phase) {
        switch (wave) {
        case 0:
            return std::sin(kTwoPi * phase);
        case 1:
            return 2.0f * std::fabs(2.0f * phase - 1.0f) - 1.0f;
        case 2:
            return 2.0f * phase - 1.0f;
        default:
            return phase > 0.5f ? 1.0f : (phase < 0.5f ? -1.0f : 0.0f);
        }
    };
    const float p1 = frac(m.ringPhase);
    const float p2 = frac(p1 + inc);
    m.ringPhase = frac(p2 + inc);
    const float phases[2] = {p1, p2};
    const float shift = fxMod(DEST_MOD_FX_PHASE);
    for (int k = 0; k < 2; ++k) {
        const float cl = carrier(phases[k]);
        const float cr = carrier(frac(phases[k] + shift));
        pass.wet[k] = modFXBand({pass.s[k].left * ((1.0f - a) + a * cl) * pass.panLeft,
                                 pass.s[k].right * ((1.0f - a) + a * cr) * pass.panRight});
    }
}
