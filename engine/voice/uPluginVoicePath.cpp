// The voice path (audio thread, once per pass): the six stages in the order "Osc Path" gives,
// each position's output as a modulation source, the voices' amp and pan gains and gater, and
// the sum of every sub-voice through a DC blocker into voiceSum.
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

namespace {

enum PathUnit { kFilter = 0, kPreEQ, kWaveShaper, kDistortion, kLowFi, kPostEQ };

float quarterSum(const stereoOverStruct& f) {
    return 0.25f * (f.first.left + f.first.right + f.second.left + f.second.right);
}

// Two floats of `a` into lanes 0 and 1, two of `b` into lanes 2 and 3.
Float4 loadHalves(const float* a, const float* b) {
    const __m128 lo = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(a));
    return Float4(_mm_loadh_pi(lo, reinterpret_cast<const __m64*>(b)));
}

// The sum's step over one or two sub-voices: their frames from `frames` through the DC
// blockers, back into `out` where a source reads them (`keep`), and times the gains ({L, R} of A,
// then of B, per frame) and the unison pans into the sum, A's part before B's.
struct SumStep {
    const stereoOverStruct (*frames)[2];
    stereoOverStruct (*out)[2];
    stereoStruct* dcState;
    const float (*pans)[2];
    Float4 in, fb;
    bool keep;
    Float4 sum[2];

    void run(int slotA, int slotB, bool pair, const Float4 (&gain)[2]) {
        const Float4 off(1e-15f);
        const Float4 pan = loadHalves(pans[slotA], pans[slotB]);
        Float4 dc = loadHalves(&dcState[slotA].left, &dcState[slotB].left);
        for (int f = 0; f < 2; ++f) {
            const Float4 g = gain[f] * pan;
            const Float4 frameA = Float4::load(&frames[slotA][f].first.left);
            const Float4 frameB = Float4::load(&frames[slotB][f].first.left);
            // Sub-frames 0 and 1 of both: {L, R} of A, then of B.
            Float4 sub[2] = {_mm_movelh_ps(frameA.v, frameB.v), _mm_movehl_ps(frameB.v, frameA.v)};
            Float4 part[2];
            for (int j = 0; j < 2; ++j) {
                dc = in * sub[j] + fb * dc + off;
                sub[j] = sub[j] - dc;
                part[j] = sub[j] * g + off;
            }
            if (keep) Float4(_mm_movelh_ps(sub[0].v, sub[1].v)).store(&out[slotA][f].first.left);
            sum[f] += _mm_movelh_ps(part[0].v, part[1].v);
            if (!pair) continue;
            if (keep) Float4(_mm_movehl_ps(sub[1].v, sub[0].v)).store(&out[slotB][f].first.left);
            sum[f] += _mm_movehl_ps(part[1].v, part[0].v);
        }
        alignas(16) float d[4];
        dc.store(d);
        dcState[slotA] = {d[0], d[1]};
        if (pair) dcState[slotB] = {d[2], d[3]};
    }
    void finish(stereoOverStruct (&voiceSum)[2]) const {
        sum[0].store(&voiceSum[0].first.left);
        sum[1].store(&voiceSum[1].first.left);
    }
};

} // namespace

// The filter stage: the voice filter with its envelope, LFO, drive, high-pass and pan.
void APlugin::runVoiceFilter() {
    doVoiceFilter();
}

// Every unit writes its output into both pathOut and pathIn, so the next position reads it
// without a copy; a sub-voice a unit leaves alone has both equal already.
void APlugin::runPathUnit(int unit) {
    switch (unit) {
    case kFilter:
        runVoiceFilter();
        break;
    case kPreEQ:
        if (preEqOn) runVoiceEQ(false);
        break;
    case kWaveShaper:
        if (shaperOn) doWaveShaper();
        break;
    case kDistortion:
        if (voiceDistortOn) doVoiceDistort();
        break;
    case kLowFi:
        if (lofiOn) doLowFi();
        break;
    case kPostEQ:
        if (postEqOn) runVoiceEQ(true);
        break;
    default:
        break; // an unknown unit leaves the position empty
    }
}

// The Pre-EQ or Post-EQ stage. The EQs read each sub-voice's frames where they stand and write
// them straight to the position's output and the next position's input.
void APlugin::runVoiceEQ(bool post) {
    const int mode = post ? postEqMode : preEqMode;
    if (unisonMode != 0) {
        const int n = uniNumVoices < 1 ? 1 : (uniNumVoices > 6 ? 6 : uniNumVoices);
        auto voiceFrames = [&](int v, TParaEQ::Frames(&frames)[kSubVoicesPerVoice]) {
            for (int j = 0; j < n; ++j) {
                const int s = slotInRange(voiceSlots[v][j]);
                frames[j] = {pathIn[s], pathOut[s], nextPathIn(v, j, s)};
            }
        };
        TUniParaEQ* eqs = post ? voicePostEQ : voicePreEQ;
        // Two voices at a time, so their last odd groups of sub-voices can share a step.
        int a = 0;
        for (; a + 1 < activeVoiceCount; a += 2) {
            const int v = activeVoices[a] & 15, w = activeVoices[a + 1] & 15;
            TParaEQ::Frames framesV[kSubVoicesPerVoice], framesW[kSubVoicesPerVoice];
            voiceFrames(v, framesV);
            voiceFrames(w, framesW);
            TUniParaEQ::process(eqs[v], framesV, eqs[w], framesW, mode, n);
        }
        if (a < activeVoiceCount) {
            const int v = activeVoices[a] & 15;
            TParaEQ::Frames frames[kSubVoicesPerVoice];
            voiceFrames(v, frames);
            eqs[v].process(mode, n, frames);
        }
        return;
    }
    TParaEQ::Frames frames[kNumVoices];
    int list[kNumVoices];
    int count = 0;
    for (int a = 0; a < activeVoiceCount && a < kNumVoices; ++a) {
        const int v = activeVoices[a] & 15;
        const int s = voiceFirstSlot[v];
        frames[v] = {pathIn[s], pathOut[s], nextPathIn(v, 0, s)};
        list[count++] = v;
    }
    (post ? postEQ : preEQ).process(mode, count, list, frames, stagesWide);
}

void APlugin::runVoicePath() {
    // With every stage off only the filter can change the frames: until it does, they stay in
    // pathIn and the sources and the sum read them there, so a bypassed filter copies nothing.
    const bool stagesOff = !(preEqOn || shaperOn || voiceDistortOn || lofiOn || postEqOn);
    pathFramesInInput = stagesOff ? 1 : 0;
    // Every position starts with its output equal to its input. A filter, or an EQ that is on,
    // in the first position writes both for every sub-voice of the list, so then the
    // oscillators' frames need no copy.
    const int first = pathUnits[0][0];
    if (!stagesOff &&
        !(first == kFilter || (first == kPreEQ && preEqOn) || (first == kPostEQ && postEqOn)))
        for (int i = 0; i < subVoiceCount; ++i) {
            const int slot = subVoiceList[0][i];
            pathOut[slot][0] = pathIn[slot][0];
            pathOut[slot][1] = pathIn[slot][1];
        }
    StageVoices stageVoices;
    if (shaperOn || voiceDistortOn || lofiOn) {
        collectStageVoices(stageVoices);
        pathStageVoices = &stageVoices;
    }
    for (int k = 0; k < 6; ++k) {
        // With every stage off only the filter's position does anything: a plain test there
        // instead of the dispatch, whose jump the pass's other work keeps mispredicting.
        if (!stagesOff)
            runPathUnit(pathUnits[0][k]);
        else if (pathUnits[0][k] == kFilter)
            runVoiceFilter();
        // The source follows the position, whatever unit stands there.
        if (!moduleSourceUsed[k]) continue;
        const stereoOverStruct(*frames)[2] = pathFrames();
        for (int a = 0; a < activeVoiceCount; ++a) {
            const int v = activeVoices[a];
            const float x = quarterSum(frames[voiceFirstSlot[v]][0]);
            voiceSource[v][src::PathOutputFirst + k] = x;
            if (v == lastVoice) lastVoiceSource[src::PathOutputFirst + k] = x;
        }
    }
    pathStageVoices = nullptr;
    // For the "Voice Output" source the sum writes every listed sub-voice's output into pathOut.
    setVoiceGains();
    sumVoices();
    pathFramesInInput = 0;
    if (voiceOutputSourceUsed)
        for (int a = 0; a < activeVoiceCount; ++a) {
            const int v = activeVoices[a];
            const float x = quarterSum(pathOut[voiceFirstSlot[v]][0]);
            voiceSource[v][src::VoiceOutput] = x;
            if (v == lastVoice) lastVoiceSource[src::VoiceOutput] = x;
        }
}

void APlugin::setVoiceGains() {
    const float lfoVolume = currentValues[tag::MainLfoToVolume];
    const float lfoPan = currentValues[tag::MainLfoToPan];
    // The amp and pan gains of four voices at a time, lane by lane the same products and sums as
    // one voice alone; the envelope's interpolation and the gater stay per voice.
    const Float4 zero, one(1.0f), half(0.5f), two(2.0f);
    const Float4 volume(lfoVolume), pan(lfoPan), level(unisonLevel), panSmooth(mainPanSmooth);
    for (int first = 0; first < activeVoiceCount; first += 4) {
        int lanes[4];
        for (int k = 0; k < 4; ++k)
            lanes[k] = activeVoices[first + k < activeVoiceCount ? first + k : first];
        auto gather = [&](auto read) {
            return Float4(read(lanes[0]), read(lanes[1]), read(lanes[2]), read(lanes[3]));
        };
        // Four voices in a row (sixteen held notes) read their per-voice arrays in one load.
        const bool row = lanes[3] == lanes[0] + 3;
        auto perVoice = [&](const float* values) {
            return row ? Float4::load(values + lanes[0]) : gather([&](int v) { return values[v]; });
        };
        // Destinations 2 .. 5 of each voice side by side, turned into one vector per slot.
        Float4 d[4];
        for (int k = 0; k < 4; ++k) d[k] = Float4::load(&voiceDest[lanes[k]][dest::VoiceVolume]);
        _MM_TRANSPOSE4_PS(d[0].v, d[1].v, d[2].v, d[3].v);
        const Float4 voiceVolume = d[0], volumeDest = d[1], mainPan = d[2], panDest = d[3];
        const Float4 m = gather([&](int v) { return voiceSource[v][src::MainLfo]; });
        const Float4 velocity = perVoice(voiceVelocityGain);
        const Float4 depth = clamp(volume + volumeDest, zero, one);
        const Float4 panDepth = half * clamp(pan + panDest, zero, one);
        const Float4 g =
            velocity * level * voiceVolume * ((one - depth) + depth * (half + half * m));
        // The smoothed Main Pan, so a pan move glides instead of stepping the gains.
        const Float4 p = clamp(panSmooth + mainPan + panDepth * m, zero, one);
        const Float4 gl = clamp(two - two * p, zero, one) * g;
        const Float4 gr = clamp(two * p, zero, one) * g;
        // The envelope's level for each output frame, then its step, held at 0 from below.
        Float4 levels = perVoice(voiceLevel);
        const Float4 envStep = gather([&](int v) { return voiceEnv[v][0].step; });
        Float4 frameGain[4];
        for (int f = 0; f < 2; ++f) {
            frameGain[2 * f] = levels * gl;
            frameGain[2 * f + 1] = levels * gr;
            levels += envStep;
            levels = _mm_andnot_ps(_mm_cmplt_ps(levels.v, zero.v), levels.v);
        }
        // Lane k of the four becomes voice k's {L, R} of frame 0 and of frame 1.
        _MM_TRANSPOSE4_PS(frameGain[0].v, frameGain[1].v, frameGain[2].v, frameGain[3].v);
        alignas(16) float level[4];
        levels.store(level);
        const int count = activeVoiceCount - first < 4 ? activeVoiceCount - first : 4;
        for (int k = 0; k < count; ++k) {
            const int v = lanes[k];
            frameGain[k].store(&voiceFrameGain[v][0][0]);
            voiceLevel[v] = level[k];
            if (gater.gaterPolyOn)
                for (int f = 0; f < 2; ++f) {
                    doVoiceGater(v);
                    voiceFrameGain[v][f][0] *= gaterVoiceOut[v][0];
                    voiceFrameGain[v][f][1] *= gaterVoiceOut[v][1];
                }
            voiceIsNew[v] = 0;
        }
    }
}

// Every sub-voice through its DC blocker into the sum, with its voice's frame gains and its
// unison pan pair. Two sub-voices share a four-lane step ({L, R} of each); their parts are
// added to the sum one after the other in list order, as one at a time would add them.
void APlugin::sumVoices() {
    SumStep step{pathFrames(),
                 pathOut,
                 slotDcState,
                 subVoicePan,
                 Float4(dcInput),
                 Float4(dcFeedback),
                 voiceOutputSourceUsed != 0,
                 {}};
    for (int i = 0; i < subVoiceCount;) {
        const int slotA = subVoiceList[0][i];
        const int va = subVoiceList[1][i] & 15;
        // A slot listed twice (never in practice) runs on its own, after its first entry.
        const bool pair = i + 1 < subVoiceCount && subVoiceList[0][i + 1] != slotA;
        const int slotB = pair ? subVoiceList[0][i + 1] : slotA;
        const int vb = pair ? subVoiceList[1][i + 1] & 15 : va;
        i += pair ? 2 : 1;
        const Float4 gain[2] = {loadHalves(voiceFrameGain[va][0], voiceFrameGain[vb][0]),
                                loadHalves(voiceFrameGain[va][1], voiceFrameGain[vb][1])};
        step.run(slotA, slotB, pair, gain);
    }
    step.finish(voiceSum);
}
