// Small resets that bring one unit to rest so that its own update can take over: the
// modulation effect, an XY pad's replay, a global or voice LFO, a global envelope. Called on
// the thread of their caller (start-up, rate change, engine reset, note starts).
#include "engine/APlugin.h"

#include "engine/tables/LookupTables.h"
#include "engine/tables/PathPermutations.h"

#include <cmath>

namespace {
// The destination holding each LFO's start delay; LFO 3 shares LFO 0's.
constexpr int DEST_LFO_DELAY[kVoiceLFOs] = {288, 297, 257, 288};
constexpr int kTapeChorus = 1;
constexpr int kTapeFlanger = 3;
} // namespace

void APlugin::initModFX(bool onlyTapeModes) {
    // Only the tape modes keep rate-dependent lines in the delay unit.
    if (!onlyTapeModes || modFXMode == kTapeChorus || modFXMode == kTapeFlanger) {
        modFXDelay.init(engineRate > 0.0f ? engineRate : 44100.0f);
        ++modFXDelaySetups;
    }
    fxFilter5.reset();
}

void APlugin::resetXY(int pad) {
    if (pad < 0 || pad > 1) return;
    xyReplayFactor = 1.0;
    xyReplay[pad] = XYReplayState{};
    for (auto& record : xyReplay[pad].records) {
        record[0] = 0.0;
        record[1] = 0.0;
        record[2] = 1.0;
        record[3] = 0.0;
    }
}

void APlugin::resetGlobalLFO(int lfo) {
    if (lfo < 0 || lfo >= kGlobalLFOs) return;
    GlobalLFOState& g = globalLFOs[lfo];
    g.phase = g.stepPhase = 0.0;
    g.rateFactor = 1.0f;
    g.output = g.previousOutput = g.heldStep = g.fourth = 0.0f;
}

void APlugin::resetVoiceLFO(int voice, int lfo) {
    if (voice < 0 || voice >= kNumVoices || lfo < 0 || lfo >= kVoiceLFOs) return;
    VoiceLFOState& l = voiceLFOs[voice][lfo];
    l.phase = 0.0;
    l.outputs[0] = l.outputs[1] = l.outputs[2] = 0.0f;
    l.held = 0.0f;
    l.factors[0] = l.factors[1] = 1.0f;
    // Start delay of 2^(14 v) milliseconds, 1 ms to 16.384 s; below 0.001 none.
    const float v = modDestValues[DEST_LFO_DELAY[lfo]];
    if (!(v >= 0.001f)) {
        l.delayCounter = 0;
        return;
    }
    const double e = v > 1.0f ? 14.0 : 14.0 * v;
    l.delayCounter = -static_cast<int32_t>(std::pow(2.0, e) / 1000.0 * engineRate);
}

void APlugin::initGlobalEnv(int env) {
    if (env < 0 || env >= kGlobalEnvs) return;
    globalEnvs[env] = GlobalEnvState{};
}

float APlugin::getModDestValue(int dest) const {
    return dest >= 0 && dest < kModDestSlots ? modDestValues[dest] : 0.0f;
}

void APlugin::setModDestValue(int dest, float value) {
    if (dest >= 0 && dest < kModDestSlots) modDestValues[dest] = value;
}

int APlugin::getPathUnit(int path, int position) const {
    if (path < 0 || path > 1 || position < 0 || position >= PATH_NUM[path]) return -1;
    return pathUnits[path][position];
}
