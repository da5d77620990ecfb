// The delay-line modes of the modulation effect (audio thread): Chorus, Tape Chorus, Flanger,
// Tape Flanger and Ensemble, and the clearing of the effect's state.
#include "engine/APlugin.h"

#include "engine/fx/FXCommon.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"

#include <cmath>
#include <cstring>

using namespace fx;

namespace {
constexpr uint32_t kLineMask = ModFXState::kLine - 1;
// The chorus and flanger read four points around the read position; the nearest of them must
// already be written this pass (the write follows the read), and the farthest must not reach
// round the line.
constexpr float kChorusMinDelay = 4.0f;
constexpr float kFlangerMinDelay = 3.0f;
constexpr float kMaxDelay = ModFXState::kLine - 3;

// Four-point read at `delay` frames behind frame index i.
stereoStruct readCubic(const stereoStruct* line, uint32_t i, float delay) {
    float r = static_cast<float>(i & kLineMask) - delay;
    if (r < 0.0f) r += static_cast<float>(ModFXState::kLine);
    const int n = static_cast<int>(r);
    const float t = r - static_cast<float>(n);
    const stereoStruct& ym = line[(n - 1) & kLineMask];
    const stereoStruct& y0 = line[n & kLineMask];
    const stereoStruct& y1 = line[(n + 1) & kLineMask];
    const stereoStruct& y2 = line[(n + 2) & kLineMask];
    const auto cubic = [t](float a, float b, float c, float d) {
        const float c1 = 0.5f * (c - a);
        const float c2 = a - 2.5f * b + 2.0f * c - 0.5f * d;
        const float c3 = 1.5f * (b - c) + 0.5f * (d - a);
        return ((c3 * t + c2) * t + c1) * t + b;
    };
    return {cubic(ym.left, y0.left, y1.left, y2.left),
            cubic(ym.right, y0.right, y1.right, y2.right)};
}

stereoStruct scale(stereoStruct v, float l, float r) {
    return {v.left * l, v.right * r};
}
} // namespace

void ModFXState::clear() {
    const float keepMix = mixSmooth;
    counter = 0;
    phaseA = phaseB = skewA = skewB = outA = outB = increment = 0.0f;
    humanizeA = humanizeB = 1.0f;
    panPhase = panOut = holdPhase = heldA = heldB = glideA = glideB = randomValue = 0.0f;
    seed = 1;
    lowCoef = 1.0f;
    highCoef = 0.0f;
    lowRest = 0.0f;
    highRest = 1.0f;
    bandLow = bandHigh = stereoStruct{};
    limiterEnv = 0.0f;
    // Lines the effect has not run on since the last clear are silent already.
    if (linesWritten) {
        for (stereoStruct& f : chorus) f = {};
        for (auto& line : ensemble)
            for (stereoStruct& f : line) f = {};
        std::memset(phaserWiden, 0, sizeof(phaserWiden));
        linesWritten = 0;
    }
    // The ensemble voices start together; their own rates spread them apart as they run.
    for (float& phase : ensemblePhase) phase = 0.0f;
    std::memset(phaserX1, 0, sizeof(phaserX1));
    std::memset(phaserX2, 0, sizeof(phaserX2));
    std::memset(phaserY1, 0, sizeof(phaserY1));
    std::memset(phaserY2, 0, sizeof(phaserY2));
    phaserFeedback = {};
    ensembleSpread = 1.0f;
    waveSmooth = {};
    ringPhase = 0.0f;
    mixSmooth = keepMix;
}

void APlugin::modFXChorusDelays(const ModFXPass& pass, float base, float& left,
                                float& right) const {
    const float w = 0.99f * pass.k2;
    const float widen =
        4.0f * std::exp2(8.0f * clamp01(fxValue(tag::ModFx4) + fxMod(DEST_MOD_FX_WIDEN))) + 1.0f;
    left = base * (w * (0.5f * modFX.outA + 0.5f) + 1.0f - w);
    right = base * (w * (0.5f * modFX.outB + 0.5f) + 1.0f - w) + widen;
}

void APlugin::modFXChorus(ModFXPass& pass) {
    float dl, dr;
    modFXChorusDelays(pass, pass.k1 * 0.05f * engineRate + 1.0f, dl, dr);
    dl = clampTo(dl, kChorusMinDelay, kMaxDelay);
    dr = clampTo(dr, kChorusMinDelay, kMaxDelay);
    const uint32_t c = modFX.counter;
    for (int k = 0; k < 2; ++k) {
        const stereoStruct l = readCubic(modFX.chorus, c + k, dl);
        const stereoStruct r = readCubic(modFX.chorus, c + k, dr);
        pass.wet[k] = {l.left * pass.panLeft, r.right * pass.panRight};
    }
    for (int k = 0; k < 2; ++k) modFX.chorus[(c + k) & kLineMask] = modFXBand(pass.s[k]);
}

void APlugin::modFXTapeChorus(ModFXPass& pass) {
    float dl, dr;
    modFXChorusDelays(pass, pass.k1 * 0.05f * engineRate + 1.0f, dl, dr);
    modFXDelay.setDelayLenDirect({dl, dr});
    modFXDelay.setFeed(0.0f);
    for (int k = 0; k < 2; ++k) {
        stereoStruct d;
        modFXDelay.process(pass.s[k], d);
        pass.wet[k] = scale(modFXBand(d), pass.panLeft, pass.panRight);
    }
}

float APlugin::modFXFlangerDelays(const ModFXPass& pass, float& left, float& right) const {
    const float span = clampTo(pass.k1 * 0.05f * engineRate + 44.0f, 0.0f, 32767.0f);
    const float w = 0.99f * pass.k2;
    const float widen = std::exp2(8.0f * clamp01(fxMod(DEST_MOD_FX_WIDEN)));
    left = (w * (0.5f * modFX.outA + 0.5f) + 1.0f - w) * span + 10.0f;
    right = (w * (0.5f * modFX.outB + 0.5f) + 1.0f - w) * span + 10.0f + 4.0f * widen + 1.0f;
    return clampTo(fxValue(tag::ModFx4) + fxMod(DEST_MOD_FX_FEED), -1.0f, 1.0f);
}

void APlugin::modFXFlanger(ModFXPass& pass) {
    float dl, dr;
    const float f = modFXFlangerDelays(pass, dl, dr);
    dl = clampTo(dl, kFlangerMinDelay, kMaxDelay);
    dr = clampTo(dr, kFlangerMinDelay, kMaxDelay);
    const uint32_t c = modFX.counter;
    stereoStruct r[2];
    for (int k = 0; k < 2; ++k) {
        const stereoStruct a = readCubic(modFX.chorus, c + k, dl);
        const stereoStruct b = readCubic(modFX.chorus, c + k, dr);
        r[k] = {a.left, b.right};
        // The columns cross: the left one is fed the right input, and they feed back with
        // opposite signs; held to +-10 so full feedback stays bounded.
        modFX.chorus[(c + k) & kLineMask] = {
            clampTo(-f * r[k].left + pass.s[k].right + 1e-15f, -10.0f, 10.0f),
            clampTo(f * r[k].right + pass.s[k].left + 1e-15f, -10.0f, 10.0f)};
    }
    pass.wet[0] = modFXBand(r[0]);
    pass.wet[1] = modFXBand(r[1]);
    modFXLimit(pass);
    for (stereoStruct& w : pass.wet) w = scale(w, pass.panLeft, pass.panRight);
}

void APlugin::modFXTapeFlanger(ModFXPass& pass) {
    float dl, dr;
    const float f = modFXFlangerDelays(pass, dl, dr);
    modFXDelay.setFeed(-f);
    modFXDelay.setDelayLenDirect({dl, dr});
    for (int k = 0; k < 2; ++k) {
        stereoStruct d;
        modFXDelay.process(pass.s[k], d);
        pass.wet[k] = modFXBand(d);
    }
    modFXLimit(pass);
    for (stereoStruct& w : pass.wet) w = scale(w, pass.panLeft, pass.panRight);
}

void APlugin::modFXEnsemble(ModFXPass& pass) {
    const float a = fxMod(DEST_MOD_FX_ENSEMBLE_AMOUNT) + 0.145f;
    const float e = a < -1.0f ? 0.0f : -2.0f * (a < 1.0f ? a : 1.0f);
    const float f = clampTo(fxValue(tag::ModFx4) + fxMod(DEST_MOD_FX_FEED), -1.0f, 1.0f);
    // Voice gains (left, right): 0 right only, 1 both, 2 left only, and again.
    constexpr float GAIN[ModFXState::kEnsembleVoices][2] = {{0, 1}, {1, 1}, {1, 0},
                                                            {0, 1}, {1, 1}, {1, 0}};
    stereoStruct sum[2] = {};
    const uint32_t c = modFX.counter;
    if (e != modFX.ensembleSpread) {
        modFX.ensembleSpread = e;
        for (int v = 0; v < ModFXState::kEnsembleVoices; ++v) {
            const float kv = static_cast<float>(v);
            modFX.ensembleFactors[v][0] = std::exp2(kv * e / 5.3f);
            modFX.ensembleFactors[v][1] = std::exp2(kv * e / 8.3f);
            modFX.ensembleFactors[v][2] = std::exp2(kv * e / 5.0f);
        }
    }
    const float span = pass.k1 * 0.05f * engineRate + 1.0f;
    for (int v = 0; v < ModFXState::kEnsembleVoices; ++v) {
        const float* factor = modFX.ensembleFactors[v];
        const float inc = modFX.increment * factor[0];
        const float width = 0.99f * pass.k2 * factor[1];
        const float length = clampTo(span * factor[2], 0.0f, 32767.0f);
        const float depth = length * width, base = length * (1.0f - width);
        stereoStruct* line = modFX.ensemble[v];
        float& phase = modFX.ensemblePhase[v];
        for (int k = 0; k < 2; ++k) {
            phase = frac(phase + inc);
            // At least one frame back (the current slot is written below) and never round
            // the line, whatever the amount modulation makes of the width.
            const float d =
                clampTo(tables->AbsSineArray[lfoTableIndex(phase)] * depth + base, 1.0f, kMaxDelay);
            const uint32_t i = c + static_cast<uint32_t>(k);
            const uint32_t n = static_cast<uint32_t>(d);
            const float t = d - static_cast<float>(n);
            const stereoStruct& y0 = line[(i - n) & kLineMask];
            const stereoStruct& y1 = line[(i - n - 1) & kLineMask];
            const stereoStruct value{y0.left + t * (y1.left - y0.left),
                                     y0.right + t * (y1.right - y0.right)};
            line[i & kLineMask] = {clampTo(-f * value.left + pass.s[k].left, -10.0f, 10.0f),
                                   clampTo(-f * value.right + pass.s[k].right, -10.0f, 10.0f)};
            sum[k].left += GAIN[v][0] * value.left;
            sum[k].right += GAIN[v][1] * value.right;
        }
    }
    for (int k = 0; k < 2; ++k) {
        const stereoStruct b = modFXBand(sum[k]);
        pass.wet[k] = {0.5f * b.left * pass.panLeft, 0.5f * b.right * pass.panRight};
    }
}
