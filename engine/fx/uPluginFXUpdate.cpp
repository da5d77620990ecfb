// The effects' share of the control-rate updates and of the engine's resets (audio thread for
// the updates; the resets run on their caller's thread: start-up, rate change, engine reset).
#include "engine/APlugin.h"

#include "dsp/DistortCurves.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoTables.h"

#include <cstring>

namespace {
constexpr int kTapeChorus = 1;
constexpr int kTapeFlanger = 3;
} // namespace

void APlugin::setFXRare() {
    gater.gaterOn = getOnOff(tag::GaterOn);
    gater.gaterPolyOn = gater.gaterOn && getIsPolyGater();
    const int masks[2] = {static_cast<int>(fxValue(tag::GaterLeft) * 65535.9f),
                          static_cast<int>(fxValue(tag::GaterRight) * 65535.9f)};
    for (int s = 0; s < GaterState::kGaterStepsMax; ++s) {
        gater.gaterStepGains[s][0] = (masks[0] >> s) & 1 ? 1.0f : 0.0f;
        gater.gaterStepGains[s][1] = (masks[1] >> s) & 1 ? 1.0f : 0.0f;
    }
    distortFX.distortFXOn = getOnOff(tag::DistortFxOn);
    distortFX.distortFXShaped = distort::isShaped(distortFXMode);
    const int mode = getSteppedValue(tag::ModFxMode);
    if (mode != modFX.modFXMode) {
        initModFX(false);
        modFX.modFXMode = mode;
    }
    updatePaths();
}

void APlugin::setFXOften() {
    gater.gaterMixSmooth = 0.9f * gater.gaterMixSmooth + 0.1f * fxValue(tag::GaterMix) + 1e-15f;
    gater.gaterSpeedTime = GATER_SPEED_TIME[getSteppedValue(tag::GaterSpeed)];
    gater.gaterSteps = getSteppedValue(tag::GaterSteps) + 1;
    // 8 x speed steps per beat.
    gater.gaterIncrement =
        engineRate > 0.0f ? 2.0 * tempo / (15.0 * engineRate) * gater.gaterSpeedTime : 0.0;
}

void APlugin::initModFX(bool onlyTapeModes) {
    // Only the tape modes keep rate-dependent lines in the delay unit.
    if (!onlyTapeModes || modFX.modFXMode == kTapeChorus || modFX.modFXMode == kTapeFlanger) {
        modFXDelay.init(engineRate > 0.0f ? engineRate : 44100.0f);
        ++modFXDelaySetups;
    }
    fxFilter5.reset();
    modFX.clear();
    distortFX.lowFiCounter = 0.0f;
    distortFX.lowFiHeld = {};
    reverbStage.reverbPassCounter = 0;
    reverbStage.reverbPreDelayPrimed = false;
    if (reverbStage.reverbSpreadWritten)
        std::memset(reverbStage.reverbSpreadLine, 0, sizeof(reverbStage.reverbSpreadLine));
    reverbStage.reverbSpreadWritten = 0;
}

// The engine reset runs this after initModFX and the distortion filters' reset.
void APlugin::resetFX() {
    delayFX.init(engineRate);
    delayStage.delayMixSmooth = fxValue(tag::DelayMix);
    reverbStage.reverbMixSmooth = fxValue(tag::ReverbMix);
    reverb.mute();
    if (reverbStage.reverbPreDelayWritten)
        std::memset(reverbStage.reverbPreDelay, 0, sizeof(reverbStage.reverbPreDelay));
    reverbStage.reverbPreDelayWritten = 0;
    modFX.mixSmooth = fxValue(tag::ModFxMix);
    distortFX.distortFXMixSmooth = fxValue(tag::DistortionFxMix);
    for (int n = 0; n < 7; ++n) distortFX.distortFXParSmooth[n] = fxValue(tag::DistortionFx1 + n);
    distortFX.distortFXEnvIn = distortFX.distortFXEnvOut = {};
    for (stereoStruct& f : distortFX.ampRing) f = {};
    for (stereoStruct& f : distortFX.cabInRing) f = {};
    for (stereoStruct& f : distortFX.cabOutRing) f = {};
    distortFX.clipperLow1 = distortFX.clipperLow2 = {};
}
