// One pass of the render loop (host audio thread, every second sample): voice collection with
// the unison start delays, the voices' hand-off, decimation to two output frames, the five-slot
// effect chain with its silence sleep, output gain, level follower, the 4x brick-wall filter
// and the clamp.
#include "engine/APlugin.h"

#include "dsp/Float4.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/LookupTables.h"
#include "engine/tables/PathPermutations.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kSilentLevel = 1e-4f;
constexpr float kOutputBound = 0.999f;
constexpr float kDigitalSilence = 1e-9f;
constexpr float kDenormalOffset = 1e-15f;
// Below this the brick filter's input and state give output under kDigitalSilence.
constexpr float kBrickRest = 1e-12f;
enum FxUnits { kDistortFX = 0, kModFX = 1, kGater = 2, kDelay = 3, kReverb = 4 };

bool isFinite(const stereoStruct& f) {
    return std::isfinite(f.left) && std::isfinite(f.right);
}

// Limits to +-0.999; NaN is silence. The 1e-15 offsets that keep the states out of denormal
// range are far below any converter's resolution (-180 dB here): the host gets exact zeros.
float clampOutput(float x) {
    if (x > kOutputBound) return kOutputBound;
    if (x < -kOutputBound) return -kOutputBound;
    if (!(std::fabs(x) >= kDigitalSilence)) return 0.0f;
    return x;
}

// Lanes that are NaN, infinite or beyond any audio level become 0, so a fault upstream cannot
// settle in the filter state.
Float4 keepFinite(Float4 x) {
    const __m128 bound = _mm_set1_ps(1e30f);
    return _mm_and_ps(x.v, _mm_cmplt_ps(abs(x).v, bound));
}

} // namespace

// Only sounding voices read their rows; a voice that starts takes the current values
// (shareGlobalSources), so the rows of idle voices are not written twice a pass. While no slot
// and no LFO speed reads a source, no row is written at all (the written value is forgotten, so
// a starting voice takes nothing); catchUpPublishedSources brings the rows up to date when a
// reader appears.
void APlugin::publishInput(float value) {
    inputSourceLast = value;
    if (!modSrcInUse[src::Input] && !noSkips) {
        ZEK2_SHORTCUT_TAKEN(InputOutputRowsLeft);
        inputSourceWritten = std::numeric_limits<float>::quiet_NaN();
        return;
    }
    if (value == inputSourceWritten) return;
    inputSourceWritten = value;
    for (uint32_t busy = getBusyVoiceMask(); busy != 0; busy &= busy - 1)
        voiceSource[__builtin_ctz(busy)][src::Input] = value;
}

void APlugin::publishOutput(float value) {
    lastVoiceSource[src::Output] = value;
    outputSourceLast = value;
    if (!modSrcInUse[src::Output] && !noSkips) {
        ZEK2_SHORTCUT_TAKEN(InputOutputRowsLeft);
        outputSourceWritten = std::numeric_limits<float>::quiet_NaN();
        return;
    }
    if (value == outputSourceWritten) return;
    outputSourceWritten = value;
    for (uint32_t busy = getBusyVoiceMask(); busy != 0; busy &= busy - 1)
        voiceSource[__builtin_ctz(busy)][src::Output] = value;
}

void APlugin::catchUpPublishedSources() {
    // The rows hold what every pass since the last write would have written: the last value.
    if (modSrcInUse[src::Input] && std::isnan(inputSourceWritten) && !std::isnan(inputSourceLast))
        publishInput(inputSourceLast);
    if (modSrcInUse[src::Output] && std::isnan(outputSourceWritten) &&
        !std::isnan(outputSourceLast))
        publishOutput(outputSourceLast);
    catchUpOscLfoSources();
}

void APlugin::collectVoices() {
    activeVoiceCount = 0;
    subVoiceCount = 0;
    const uint32_t busy = getBusyVoiceMask();
    if (busy == 0) return;
    int units = uniNumVoices;
    units = units < 1 ? 1 : (units > kSubVoicesPerVoice ? kSubVoicesPerVoice : units);
    // The counts in locals: the list stores could otherwise alias them. The slots are bounded
    // once here, so the stages of the pass index with them directly.
    int voices = 0, listed = 0;
    int32_t* listSlot = subVoiceList[0];
    int32_t* listVoice = subVoiceList[1];
    int32_t* listIndex = subVoiceList[2];
    for (uint32_t left = busy & 0xFFFFu; left != 0; left &= left - 1) {
        const int v = __builtin_ctz(left);
        activeVoices[voices++] = v;
        const int32_t* slots = voiceSlots[v];
        int32_t* delay = subVoiceDelay[v];
        uint8_t* started = subVoiceStarted[v];
        voiceFirstSlot[v] = slotInRange(slots[0]);
        for (int s = 0; s < units; ++s) {
            const int32_t old = delay[s];
            // Counting stops once the sub-voice has started, so the counter never overflows.
            if (old < 0) delay[s] = old + 2;
            const bool starts = old >= -1;
            started[s] = starts;
            if (!starts) continue;
            listSlot[listed] = slotInRange(slots[s]);
            listVoice[listed] = v;
            listIndex[listed] = s;
            ++listed;
        }
    }
    activeVoiceCount = voices;
    subVoiceCount = listed;
}

void APlugin::renderPass() {
    collectVoices();
    if (activeVoiceCount == 0) arpModRunning = 0;
    // Always called: the shared oscillator-LFO phases move on every pass, with or without
    // voices; with none the sum stays silent.
    renderVoices();

    // The four values stay in registers: built as a struct array on the stack they were read
    // back wider than written, which stalls the idle loop.
    float l0 = 0.5f * (voiceSum[0].first.left + voiceSum[0].second.left) + kDenormalOffset;
    float r0 = 0.5f * (voiceSum[0].first.right + voiceSum[0].second.right) + kDenormalOffset;
    float l1 = 0.5f * (voiceSum[1].first.left + voiceSum[1].second.left) + kDenormalOffset;
    float r1 = 0.5f * (voiceSum[1].first.right + voiceSum[1].second.right) + kDenormalOffset;
    if (!(std::isfinite(l0) && std::isfinite(r0) && std::isfinite(l1) && std::isfinite(r1))) {
        // A voice stage blew up: its state is cleared so the fault cannot stay until a reset.
        for (int i = 0; i < activeVoiceCount; ++i) {
            const int v = activeVoices[i];
            voiceFilters[v].reset();
            voicePreEQ[v].reset();
            voicePostEQ[v].reset();
        }
        l0 = r0 = l1 = r1 = 0.0f;
    }
    framesIn[0].left = framesOut[0].left = l0;
    framesIn[0].right = framesOut[0].right = r0;
    framesIn[1].left = framesOut[1].left = l1;
    framesIn[1].right = framesOut[1].right = r1;
    publishInput((l0 + r0) * 0.5f);
    runOutputStage();
}

// A pass of a quiet span while the chain sleeps: no voice sounds and the chain gives exact
// silence, so only what a full pass leaves behind is written: the shared oscillator-LFO phases
// move on, the sums hold the denormal offset and the sources see silence.
void APlugin::renderSleptPass() {
    ZEK2_SHORTCUT_TAKEN(SleptPass);
    arpModRunning = 0;
    voiceSum[0] = voiceSum[1] = stereoOverStruct{};
    moveSharedOscLfoPhases();
    for (int k = 0; k < 2; ++k) {
        framesIn[k].left = framesOut[k].left = kDenormalOffset;
        framesIn[k].right = framesOut[k].right = kDenormalOffset;
    }
    publishInput((kDenormalOffset + kDenormalOffset) * 0.5f);
    outputFrames[0] = outputFrames[1] = stereoStruct{};
    for (float& state : brickState) state = 0.0f;
    publishOutput(0.0f);
}

// 8 x rate passes are 16 seconds of output.
bool APlugin::getIsChainAsleep() const {
    return silentPasses >= static_cast<int32_t>(engineRate * 8.0f);
}

// An effect blew up: its lines and filters start again from silence.
void APlugin::clearFxChain() {
    delayFX.clear();
    reverb.clear();
    for (TFXFilter& f : fxFilters) f.reset();
    fxFilter5.reset();
    distortEQ.reset();
    initModFX(true);
    framesIn[0] = framesIn[1] = stereoStruct{};
}

// True when some unit of the chain would change what passes through it.
bool APlugin::getIsFxChainLive() const {
    return distortFX.distortFXOn || (gater.gaterOn && !getIsPolyGater()) ||
           getOnOff(tag::ModFxOn) || getOnOff(tag::DelayOn) || getOnOff(tag::ReverbOn);
}

void APlugin::runOutputStage() {
    const bool quietIn = std::fabs(framesIn[0].left) + std::fabs(framesIn[0].right) <= kSilentLevel;
    if (!quietIn) silentPasses = 0;
    if (getIsChainAsleep()) {
        // Asleep: exact silence, and the brick filter starts from rest when the sound returns.
        outputFrames[0] = outputFrames[1] = stereoStruct{};
        for (float& state : brickState) state = 0.0f;
        publishOutput(0.0f);
        return;
    }

    if (!getOnOff(tag::BypassFxOn) && !getIsFxChainLive()) {
        // Every unit is off: each would hand its input on, the modulation effect's pass
        // counter still moves (its LFO keeps its place in time).
        modFX.counter += 2;
        if (!isFinite(framesIn[0]) || !isFinite(framesIn[1])) clearFxChain();
    } else if (!getOnOff(tag::BypassFxOn)) {
        for (int p = 0; p < PATH_NUM[PATH_FX]; ++p) {
            switch (pathUnits[PATH_FX][p]) {
            case kDistortFX:
                doDistortFX(framesIn[0], framesIn[1], &framesOut[0], &framesOut[1]);
                break;
            case kModFX:
                doFXMod(framesIn[0], framesIn[1], &framesOut[0], &framesOut[1]);
                break;
            case kGater:
                doGater(framesIn[0], &framesOut[0]);
                doGater(framesIn[1], &framesOut[1]);
                break;
            case kDelay:
                doDelay(framesIn[0], framesIn[1], &framesOut[0], &framesOut[1]);
                break;
            case kReverb:
                doReverb(framesIn[0], framesIn[1], &framesOut[0], &framesOut[1]);
                break;
            default:
                break;
            }
            framesIn[0] = framesOut[0];
            framesIn[1] = framesOut[1];
        }
        if (!isFinite(framesIn[0]) || !isFinite(framesIn[1])) clearFxChain();
    }
    // Only passes silent both before and after the chain count, so an effect tail that is
    // still sounding keeps the chain awake.
    const bool quietOut = std::fabs(framesIn[0].left) + std::fabs(framesIn[0].right) < kSilentLevel;
    if (quietIn && quietOut) {
        if (silentPasses < std::numeric_limits<int32_t>::max()) ++silentPasses;
    } else {
        silentPasses = 0;
    }

    float gain = fadeGain * masterGain;
    if (!std::isfinite(gain)) gain = 0.0f;
    for (int k = 0; k < 2; ++k) {
        outputFrames[k].left = framesIn[k].left * gain + kDenormalOffset;
        outputFrames[k].right = framesIn[k].right * gain + kDenormalOffset;
    }

    const float level = std::fabs(outputFrames[0].left) + std::fabs(outputFrames[0].right);
    outputLevel = 0.99f * outputLevel + 0.01f * (std::isfinite(level) ? level : 0.0f);
    if (!std::isfinite(outputLevel)) outputLevel = 0.0f;
    // The slow update lowers Main Volume while this stays raised and auto-limit is on.
    if (outputLevel > 1.0f) autoLimitTriggered = 1;

    if (getOnOff(tag::BrickFilterOn)) runBrickFilter();

    for (stereoStruct& f : outputFrames) {
        f.left = clampOutput(f.left);
        f.right = clampOutput(f.right);
    }
    publishOutput((outputFrames[0].left + outputFrames[0].right) * 0.5f);
}

// A two-pole state-variable low-pass in zero-delay-feedback form at four times the rate, each
// frame held for four steps; the output is the mean of the four low-pass values. Lanes hold
// (R, L, R, L); lanes 3 and 2 give left and right.
void APlugin::runBrickFilter() {
    // At rest (input and state below -240 dB) the filter could only give values that the
    // clamp turns into exact zeros: the idle engine skips its sixteen steps.
    const Float4 rest(kBrickRest);
    const Float4 in0(outputFrames[0].right, outputFrames[0].left, outputFrames[1].right,
                     outputFrames[1].left);
    if (_mm_movemask_ps(_mm_cmplt_ps(abs(in0).v, rest.v)) == 15 &&
        _mm_movemask_ps(_mm_cmplt_ps(abs(Float4::load(brickState)).v, rest.v)) == 15 &&
        _mm_movemask_ps(_mm_cmplt_ps(abs(Float4::load(brickState + 4)).v, rest.v)) == 15) {
        outputFrames[0] = outputFrames[1] = stereoStruct{};
        for (float& state : brickState) state = 0.0f;
        return;
    }
    // The coefficient block of the slow update: lanes of 2.0, 0.5, 0.5, g, h; the damping
    // k = 2.0 x 0.5 = 1.
    const Float4 damping = Float4::load(brickCoefs) * Float4::load(brickCoefs + 4);
    const Float4 g = Float4::load(brickCoefs + 12);
    const Float4 h = Float4::load(brickCoefs + 16);
    const Float4 kPlusG = damping + g;
    const Float4 quarter(0.25f);
    Float4 s1 = Float4::load(brickState);
    Float4 s2 = Float4::load(brickState + 4);
    for (stereoStruct& frame : outputFrames) {
        const Float4 x(frame.right, frame.left, frame.right, frame.left);
        Float4 sum;
        for (int step = 0; step < 4; ++step) {
            const Float4 hp = (x - (kPlusG * s1 + s2)) * h;
            const Float4 v = g * hp;
            const Float4 bp = s1 + v;
            s1 = bp + v;
            const Float4 u = g * bp;
            const Float4 lp = s2 + u;
            s2 = lp + u;
            sum += lp;
        }
        s1 = keepFinite(s1);
        s2 = keepFinite(s2);
        const Float4 out = keepFinite(sum * quarter);
        frame.left = out.lane(3) + kDenormalOffset;
        frame.right = out.lane(2) + kDenormalOffset;
    }
    s1.store(brickState);
    s2.store(brickState + 4);
}
