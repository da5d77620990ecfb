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
    gaterOn = getOnOff(tag::GaterOn);
    gaterPolyOn = gaterOn && getIsPolyGater();
    const int masks[2] = {static_cast<int>(fxValue(tag::GaterLeft) * 65535.9f),
                          static_cast<int>(fxValue(tag::GaterRight) * 65535.9f)};
    for (int s = 0; s < kGaterStepsMax; ++s) {
        gaterStepGains[s][0] = (masks[0] >> s) & 1 ? 1.0f : 0.0f;
        gaterStepGains[s][1] = (masks[1] >> s) & 1 ? 1.0f : 0.0f;
    }
    distortFXOn = getOnOff(tag::DistortFxOn);
    distortFXShaped = distort::isShaped(distortFXMode);
    const int mode = getSteppedValue(tag::ModFxMode);
    if (mode != modFXMode) {
        initModFX(false);
        modFXMode = mode;
    }
    updatePaths();
}

void APlugin::setFXOften() {
    gaterMixSmooth = 0.9f * gaterMixSmooth + 0.1f * fxValue(tag::GaterMix) + 1e-15f;
    gaterSpeedTime = GATER_SPEED_TIME[getSteppedValue(tag::GaterSpeed)];
    gaterSteps = getSteppedValue(tag::GaterSteps) + 1;
    // 8 x speed steps per beat.
    gaterIncrement = engineRate > 0.0f ? 2.0 * tempo / (15.0 * engineRate) * gaterSpeedTime : 0.0;
}

void APlugin::initModFX(bool onlyTapeModes) {
    // Only the tape modes keep rate-dependent lines in the delay unit.
    if (!onlyTapeModes || modFXMode == kTapeChorus || modFXMode == kTapeFlanger) {
        modFXDelay.init(engineRate > 0.0f ? engineRate : 44100.0f);
        ++modFXDelaySetups;
    }
    fxFilter5.reset();
    modFX.clear();
    lowFiCounter = 0.0f;
    lowFiHeld = {};
    reverbPassCounter = 0;
    reverbPreDelayPrimed = false;
    if (reverbSpreadWritten) std::memset(reverbSpreadLine, 0, sizeof(reverbSpreadLine));
    reverbSpreadWritten = 0;
}

// The engine reset runs this after initModFX and the distortion filters' reset.
void APlugin::resetFX() {
    delayFX.init(engineRate);
    delayMixSmooth = fxValue(tag::DelayMix);
    reverbMixSmooth = fxValue(tag::ReverbMix);
    reverb.mute();
    if (reverbPreDelayWritten) std::memset(reverbPreDelay, 0, sizeof(reverbPreDelay));
    reverbPreDelayWritten = 0;
    modFX.mixSmooth = fxValue(tag::ModFxMix);
    distortFXMixSmooth = fxValue(tag::DistortionFxMix);
    for (int n = 0; n < 7; ++n) distortFXParSmooth[n] = fxValue(tag::DistortionFx1 + n);
    distortFXEnvIn = distortFXEnvOut = {};
    for (stereoStruct& f : ampRing) f = {};
    for (stereoStruct& f : cabInRing) f = {};
    for (stereoStruct& f : cabOutRing) f = {};
    clipperLow1 = clipperLow2 = {};
}
