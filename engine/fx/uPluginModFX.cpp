// The modulation effect of the chain (audio thread, once per pass): the shared LFO with skew,
// bias, bits, sample-and-hold, humanise and glide, the band filter, the limiter, the mode pan
// and the mix; the modes themselves live in the two files beside this one.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/TempoTables.h"

#include <cmath>

using namespace fx;

namespace {
float bipolarBias(float v, float b) {
    if (b > 0.0f && v < 0.0f) return v * (1.0f - b);
    if (b < 0.0f && v > 0.0f) return v * (1.0f - std::fabs(b));
    return v;
}
} // namespace

float APlugin::modFXRandom() {
    const uint32_t v = modFX.seed * 16807u;
    modFX.seed = v + 1u;
    return (static_cast<float>(static_cast<int32_t>(v)) / 2147483648.0f + 1.0f) * 0.5f;
}

void APlugin::modFXLfoUpdate() {
    ModFXState& m = modFX;
    const float x = fxMod(DEST_MOD_FX_PHASE) + 10.0f;
    const float p[2] = {frac(m.phaseA + x), frac(m.phaseB + x + fxMod(DEST_MOD_FX_SEPARATION))};
    const float knee = clamp01(fxMod(DEST_MOD_FX_SHAPE) + 0.5f) * 0.998f + 0.001f;
    float q[2];
    for (int k = 0; k < 2; ++k)
        q[k] = p[k] <= knee ? 0.5f * p[k] / knee : 0.5f * (p[k] - knee) / (1.0f - knee) + 0.5f;
    m.skewA = q[0];
    m.skewB = q[1];
    const float* sine = tables->SineArray;
    float sA = sine[lfoTableIndex(q[0])], sB = sine[lfoTableIndex(q[1])];
    m.panOut = sine[lfoTableIndex(m.panPhase)];

    float inc = 0.0f;
    if (getOnOff(tag::ModFxTempoSyncOn)) {
        const int i = getSteppedValue(clamp01(fxValue(tag::ModFx3)), 33.99f, 34);
        if (i > 0 && tempo > 0.0f)
            inc = 1.0f /
                  (32.0f *
                   (static_cast<float>(D_PERIOD_ARRAY[i]) * 15.0f * engineRate / tempo + 1.0f));
    } else {
        inc = std::exp2(14.0f * fxValue(tag::ModFx3)) * 1.71875f / (256.0f * engineRate);
    }
    inc *= std::exp2(2.0f * clampMod(fxMod(DEST_MOD_FX_SPEED)));
    m.increment = inc;
    float spread = clamp01(fxMod(DEST_MOD_FX_SPREAD)) * 3.0f + 1.0f;
    const float spreadInc = (spread > 0.0f ? spread : 0.0f) * inc;
    m.phaseA += m.humanizeA * inc;
    const float nextB = m.phaseB + m.humanizeB * spreadInc;
    m.panPhase = frac(m.panPhase + std::exp2(2.0f * clampMod(fxMod(DEST_MOD_FX_PAN_SPEED))) * inc);
    if (m.phaseA >= 1.0f) {
        m.phaseA = frac(m.phaseA);
        const float r = modFXRandom();
        m.humanizeA = m.humanizeB =
            std::exp2((2.0f * r - 1.0f) * clampMod(fxMod(DEST_MOD_FX_HUMANIZE)));
        m.randomValue = modFXRandom();
    }
    m.phaseB = frac(nextB);

    const float bias = clampTo(fxMod(DEST_MOD_FX_BIAS), -1.0f, 1.0f);
    sA = bipolarBias(sA, bias);
    sB = bipolarBias(sB, bias);
    const float bits = fxMod(DEST_MOD_FX_BITS);
    if (bits > 0.001f) {
        const float n = std::exp2(17.0f - 17.0f * clamp01(bits));
        const auto quantise = [n](float v) {
            return clampTo(std::floor((v + 1.0f) * (n + 0.999f)) / n - 1.0f, -1.0f, 1.0f);
        };
        sA = quantise(sA);
        sB = quantise(sB);
    }
    // The outputs start from the last held pair and glide to the new one over two passes.
    m.outA = m.heldA;
    m.outB = m.heldB;
    m.holdPhase += 4.0f * std::exp2(-16.0f * clamp01(fxMod(DEST_MOD_FX_SAMPLE_HOLD)));
    if (m.holdPhase >= 1.0f) {
        m.heldA = sA;
        m.heldB = sB;
        m.holdPhase = frac(m.holdPhase);
    }
    m.glideA = (m.heldA - m.outA) * 0.5f;
    m.glideB = (m.heldB - m.outB) * 0.5f;
}

stereoStruct APlugin::modFXBand(stereoStruct v) {
    ModFXState& m = modFX;
    const auto run = [&m](float x, float& low, float& high) {
        const float a = m.lowCoef * x + m.lowRest * low + 1e-15f;
        const float b = m.highCoef * a + m.highRest * high + 1e-15f;
        low = a;
        high = b;
        return a - b;
    };
    return {run(v.left, m.bandLow.left, m.bandHigh.left),
            run(v.right, m.bandLow.right, m.bandHigh.right)};
}

void APlugin::modFXLimit(ModFXPass& pass) {
    const float peak = std::fmax(std::fabs(pass.wet[0].left), std::fabs(pass.wet[0].right));
    float& env = modFX.limiterEnv;
    env = 0.999f * env + (1.0f - 0.999f) * (peak == peak ? peak : 0.0f) + 1e-15f;
    if (env >= 1.2f) {
        const float g = 1.2f / env;
        for (stereoStruct& w : pass.wet) {
            w.left = w.left * g + 1e-15f;
            w.right = w.right * g + 1e-15f;
        }
    }
}

void APlugin::doFXMod(stereoStruct in0, stereoStruct in1, stereoStruct* out0, stereoStruct* out1) {
    *out0 = in0;
    *out1 = in1;
    ModFXState& m = modFX;
    const uint32_t c = m.counter;
    if (!getOnOff(tag::ModFxOn)) {
        m.counter = c + 2;
        return;
    }
    m.linesWritten = 1;
    if (((c >> 1) & 1u) == 0) modFXLfoUpdate();

    ModFXPass pass;
    pass.s[0] = {0.1f * in0.left + 1e-15f, 0.1f * in0.right + 1e-15f};
    pass.s[1] = {0.1f * in1.left + 1e-15f, 0.1f * in1.right + 1e-15f};
    pass.k1 = clamp01(fxValue(tag::ModFx1) + fxMod(DEST_MOD_FX_LENGTH));
    pass.k2 = clamp01(fxValue(tag::ModFx2) + fxMod(DEST_MOD_FX_WIDTH));

    // Band filter: the low-pass opens to 40,960 Hz, the high-pass sits at 20 Hz (85 Hz for the
    // flangers). Coefficients are held at 1 (the input itself): at low rates a larger one
    // would make the one-pole run away.
    const bool flanger = modFX.modFXMode == kModFlanger || modFX.modFXMode == kModTapeFlanger;
    float h = clamp01(fxMod(DEST_MOD_FX_HIGH_PASS));
    if (flanger) h = clamp01(h + 0.19f);
    const float lp =
        20.0f * std::exp2(11.0f * clamp01(1.0f - fxMod(DEST_MOD_FX_LOW_PASS))) / engineRate;
    const float hp = 20.0f * std::exp2(11.0f * h) / engineRate;
    m.lowCoef = lp < 1.0f ? lp : 1.0f;
    m.highCoef = hp < 1.0f ? hp : 1.0f;
    m.lowRest = 1.0f - m.lowCoef;
    m.highRest = 1.0f - m.highCoef;

    // Mode pan: the flangers and the phaser swing with the pan oscillator by default.
    const float offset = flanger || modFX.modFXMode == kModPhaser ? 0.4f : 0.0f;
    const float d = clampTo(0.5f * (fxMod(DEST_MOD_FX_PAN_MOD) + offset), 0.0f, 0.5f);
    const float q = 2.0f * (d * m.panOut + 0.5f);
    pass.panLeft = clamp01(2.0f - q);
    pass.panRight = clamp01(q);

    switch (modFX.modFXMode) {
    case kModChorus:
        modFXChorus(pass);
        break;
    case kModTapeChorus:
        modFXTapeChorus(pass);
        break;
    case kModFlanger:
        modFXFlanger(pass);
        break;
    case kModTapeFlanger:
        modFXTapeFlanger(pass);
        break;
    case kModEnsemble:
        modFXEnsemble(pass);
        break;
    case kModPhaser:
        modFXPhaser(pass);
        break;
    case kModWahWah:
        modFXWahWah(pass);
        break;
    case kModTremolo:
        modFXTremolo(pass);
        break;
    case kModAutoPan:
        modFXAutoPan(pass);
        break;
    default:
        modFXRingMod(pass);
        break;
    }

    m.mixSmooth = 0.9f * m.mixSmooth + (1.0f - 0.9f) * fxValue(tag::ModFxMix) + 1e-15f;
    const Gains mix = mixGains(clamp01(m.mixSmooth + fxMod(DEST_MOD_FX_MIX)));
    const Gains pan = panGains(clamp01(fxMod(DEST_MOD_FX_PAN) + 0.5f));
    // The factor 10 undoes the input scaling.
    const float l = 10.0f * mix.wet * pan.dry, r = 10.0f * mix.wet * pan.wet;
    out0->left = mix.dry * in0.left + l * pass.wet[0].left;
    out0->right = mix.dry * in0.right + r * pass.wet[0].right;
    out1->left = mix.dry * in1.left + l * pass.wet[1].left;
    out1->right = mix.dry * in1.right + r * pass.wet[1].right;

    m.outA += m.glideA;
    m.outB += m.glideB;
    m.counter = c + 2;
}
