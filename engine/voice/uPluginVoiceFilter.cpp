// The voice path's FILTER, PRE-EQ and POST-EQ positions, their control-rate set-up and a note
// start's reset of them. Audio thread: the positions once per pass, the set-up at each voice's
// control rate, the reset when the note road starts a voice.
#include "engine/APlugin.h"

#include "dsp/SameBytes.h"
#include "dsp/ShortcutCounts.h"
#include "engine/modulation/ModIndices.h"
#include "engine/params/ParamTags.h"

#include <cstring>

namespace {

inline float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

// A frame {L0, R0, L1, R1} times the pan gains {l, r, l, r}, from `in` into `out` and into
// `next` (the next position's input), so the path needs no copy after this stage.
inline void panFrame(const stereoOverStruct& in, stereoOverStruct& out, stereoOverStruct& next,
                     Float4 pan) {
    const Float4 x = Float4::load(&in.first.left) * pan;
    x.store(&out.first.left);
    x.store(&next.first.left);
}

} // namespace

void APlugin::startVoiceStages(int voice) {
    const int v = voice & 15;
    voiceFilters[v].reset();
    voiceFilters[v].setDirect();
    preEQ.reset(v);
    preEQ.setDirect(v);
    postEQ.reset(v);
    postEQ.setDirect(v);
    voicePreEQ[v].reset();
    voicePreEQ[v].setDirect();
    voicePostEQ[v].reset();
    voicePostEQ[v].setDirect();
}

void APlugin::setVoiceFilterAndEQ(int voice) {
    const int v = voice & 15;
    TFilter& f = voiceFilters[v];
    f.setType(getSteppedValue(tag::FilterType), true);
    voiceFilterHot[v].type = f.getType();
    f.setMod(currentValues[tag::ModWheelToFilterFrequency], smoothModWheel[v]);
    // The same amount and pitch would give the same key tracking bit for bit.
    const float track[2] = {currentValues[tag::FilterFrequencyKeyTrack], voiceTargetPitch[v]};
    if (noSkips || !filterTrackValid[v] || !sameBytes(track, filterTrackKey[v], sizeof(track))) {
        f.setTrack(track[0], track[1]);
        std::memcpy(filterTrackKey[v], track, sizeof(track));
        filterTrackValid[v] = 1;
    } else {
        ZEK2_SHORTCUT_TAKEN(FilterTrackKept);
    }
    f.setVel(currentValues[tag::FilterFrequencyVelocityTrack], voiceVelocity[v]);

    const bool unison = unisonMode != 0;
    for (int eq = 0; eq < 2; ++eq) {
        const int base = tag::PreEqOn + eq * tag::EqStride;
        if (!getOnOff(base)) continue;
        for (int b = 0; b < tag::EqBandCount; ++b) {
            const int freqTag = base + 1 + b * tag::EqBandStride;
            const float freq = getVoiceStageValue(v, freqTag);
            const float bw = getVoiceStageValue(v, freqTag + 1);
            const float gain = getVoiceStageValue(v, freqTag + 2);
            if (unison)
                (eq ? voicePostEQ[v] : voicePreEQ[v]).setParameters(b, gain, freq, bw);
            else
                (eq ? postEQ : preEQ).setParameters(v, b, gain, freq, bw);
        }
        const int lpTag = base + 11, hpTag = base + 12;
        const float lpMod = getVoiceStageValue(v, lpTag) - currentValues[lpTag];
        const float hpMod = getVoiceStageValue(v, hpTag) - currentValues[hpTag];
        if (unison)
            (eq ? voicePostEQ[v] : voicePreEQ[v])
                .setFilter(currentValues[lpTag], currentValues[hpTag], lpMod, hpMod);
        else
            (eq ? postEQ : preEQ)
                .setFilter(v, currentValues[lpTag], currentValues[hpTag], lpMod, hpMod);
    }
}

void APlugin::doVoiceFilter() {
    const int n = uniNumVoices < 1 ? 1 : (uniNumVoices > 6 ? 6 : uniNumVoices);
    const bool unison = unisonMode != 0;
    // Without unison a voice's pass waits for the next voices': two voices whose filters can
    // share a vector run together, and four (two such pairs) where eight lanes can take them.
    // The waiting voices are filled in place in their entries, so none is copied as a whole (a
    // copy would read back in wide pieces what was stored in narrow ones).
    struct Pending {
        int voice = -1, slot = 0;
        TFilter::PassInput input{};
        Float4 pan;
    } entries[4];
    int pendingCount = 0;
    auto runAlone = [&](const Pending& p) {
        stereoOverStruct(&out)[2] = pathOut[p.slot];
        voiceFilters[p.voice].process(p.input.cutoff, p.input.cutoffMod, p.input.resonance,
                                      p.input.vowel, p.input.inA, p.input.inB, out[0], out[1]);
        stereoOverStruct* next = nextPathIn(p.voice, 0, p.slot);
        panFrame(out[0], out[0], next[0], p.pan);
        panFrame(out[1], out[1], next[1], p.pan);
    };
    // A filter's results, panned into the path and the next position's input.
    auto panOut = [&](const Pending& p, const stereoOverStruct(&out)[2]) {
        stereoOverStruct* next = nextPathIn(p.voice, 0, p.slot);
        for (int k = 0; k < 2; ++k) panFrame(out[k], pathOut[p.slot][k], next[k], p.pan);
    };
    auto runPair = [&](const Pending& first, const Pending& second) {
        stereoOverStruct outFirst[2], outSecond[2];
        if (TFilter::processPair(voiceFilters[first.voice], voiceFilters[second.voice], first.input,
                                 second.input, outFirst, outSecond)) {
            panOut(first, outFirst);
            panOut(second, outSecond);
        } else {
            runAlone(first);
            runAlone(second);
        }
    };
    auto flush = [&] {
        if (pendingCount >= 2) runPair(entries[0], entries[1]);
        if (pendingCount == 1 || pendingCount == 3) runAlone(entries[pendingCount - 1]);
        pendingCount = 0;
    };
    // The knobs and their modulation slots stand still for the pass: read once, not per voice.
    // Those only a running filter reads wait for the first one, so a pass of bypassed filters
    // (the pan alone) does not read them at all.
    const StageKnob preDistort = stageKnob(tag::FilterPreDistort);
    const StageKnob hpFrequency = hpOn ? stageKnob(tag::HpFrequency) : StageKnob{0.0f, 0};
    const StageKnob hpQ = hpOn ? stageKnob(tag::HpQ) : StageKnob{0.0f, 0};
    StageKnob envAmount{0.0f, 0}, lfoAmount{0.0f, 0}, frequency{0.0f, 0}, splitOffset{0.0f, 0},
        resonance{0.0f, 0}, vowelKnob{0.0f, 0};
    bool knobsRead = false;
    const float hpOnValue = hpOn ? 1.0f : 0.0f, hpTrackValue = hpTrack ? 1.0f : 0.0f;
    const float hpQOnValue = hpQOn ? 1.0f : 0.0f;
    // The common pass with every stage off: each voice's filter bypassed at the centre with its
    // pre-drive input where it stood. Then the filter envelope's step is all there is to do, and
    // the frames stay in pathIn. Any other pass takes the full loop below, which does the same
    // checks one voice at a time.
    if (pathFramesInInput && !hpOn) {
        bool idle = true;
        for (int a = 0; a < activeVoiceCount && idle; ++a) {
            const int v = activeVoices[a] & 15;
            const VoiceFilterHot& hot = voiceFilterHot[v];
            const float* dest = voiceDest[v];
            // The pan gains are exactly 1 only at a pan of exactly 0.5.
            idle = hot.type == 0 && !hot.driven && !hot.hpOn &&
                   preDistort.at(dest) == hot.distortIn && dest[dest::FilterPan] + 0.5f == 0.5f;
        }
        if (idle) {
            for (int a = 0; a < activeVoiceCount; ++a) {
                EnvState& env = voiceEnv[activeVoices[a] & 15][1];
                env.value += 2.0f * env.step;
            }
            return;
        }
    }
    // While every voice so far had a bypassed filter at the centre (gains of exactly 1), the
    // frames stay in pathIn. The first voice that changes its frames gives those before it
    // their copies in pathOut, as their pan would have written them.
    auto leaveInput = [&](int upTo) {
        pathFramesInInput = 0;
        for (int b = 0; b < upTo; ++b) {
            const int w = activeVoices[b] & 15;
            for (int j = 0; j < (unison ? n : 1); ++j) {
                const int s = unison ? slotInRange(voiceSlots[w][j]) : voiceFirstSlot[w];
                pathOut[s][0] = pathIn[s][0];
                pathOut[s][1] = pathIn[s][1];
            }
        }
    };
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int v = activeVoices[a] & 15;
        for (int i = 0; i < pendingCount; ++i) // a voice listed twice takes its passes in turn
            if (v == entries[i].voice) flush();
        TFilter& f = voiceFilters[v];
        EnvState& env = voiceEnv[v][1];
        const float* dest = voiceDest[v];
        const float envValue = env.value;
        env.value += 2.0f * env.step;
        // The filter's own setDistort compares the same way: the same input leaves it alone.
        VoiceFilterHot& hot = voiceFilterHot[v];
        const float distortIn = preDistort.at(dest);
        if (distortIn != hot.distortIn) {
            f.setDistort(distortIn);
            hot.distortIn = distortIn;
            hot.driven = f.getDrive() > 0.0001f;
        }
        if (hpOn) {
            f.setHP(hpOnValue, hpTrackValue, hpQOnValue, clamp01(hpFrequency.at(dest)),
                    clamp01(hpQ.at(dest)), voiceTargetPitch[v]);
            hot.hpOn = 1;
        } else if (hot.hpOn) {
            f.setHPOff();
            hot.hpOn = 0;
        }

        const float p = clamp01(dest[dest::FilterPan] + 0.5f);
        const float panL = clamp01(2.0f - 2.0f * p), panR = clamp01(2.0f * p);
        const bool bypassed = hot.type == 0 && !hpOn && !hot.driven;
        if (!bypassed) {
            if (!knobsRead) {
                envAmount = stageKnob(tag::FilterEnvAmount);
                lfoAmount = stageKnob(tag::MainLfoToFilterFrequency);
                frequency = stageKnob(tag::FilterFrequency);
                splitOffset = stageKnob(tag::FilterStereoSplitOffset);
                resonance = stageKnob(tag::FilterQ);
                vowelKnob = stageKnob(tag::FilterVowel);
                knobsRead = true;
            }
            // Only the filter's own pass reads its envelope and LFO terms.
            f.setEnv(envValue * filterEnvSign * clamp01(envAmount.at(dest)));
            const float lfoDepth = lfoAmount.at(dest);
            f.setLFO(lfoDepth * lfoDepth, voiceSource[v][src::MainLfoUni]);
        }
        if (pathFramesInInput) {
            if (bypassed && panL == 1.0f && panR == 1.0f) continue;
            leaveInput(a);
        }
        if (bypassed) {
            // The filter would hand its inputs back unchanged: only the pan is left to do.
            const Float4 pan(panL, panR, panL, panR);
            if (!unison) {
                // The first slot, bounded by the pass's voice collection.
                const int s = voiceFirstSlot[v];
                stereoOverStruct* next = nextPathIn(v, 0, s);
                panFrame(pathIn[s][0], pathOut[s][0], next[0], pan);
                panFrame(pathIn[s][1], pathOut[s][1], next[1], pan);
                continue;
            }
            for (int j = 0; j < n; ++j) {
                const int s = slotInRange(voiceSlots[v][j]);
                stereoOverStruct* next = nextPathIn(v, j, s);
                for (int k = 0; k < 2; ++k) panFrame(pathIn[s][k], pathOut[s][k], next[k], pan);
            }
            continue;
        }
        const float cut = frequency.knob;
        const float cutMod = frequency.at(dest) - cut;
        stereoStruct cutoff{cut, cut}, mod{cutMod, cutMod};
        if (filterSplit) {
            cutoff.right = splitOffset.knob;
            mod.right = splitOffset.at(dest) - cutoff.right;
        }
        const float q = resonance.at(dest);
        const float vowel = vowelKnob.at(dest);

        const Float4 pan(panL, panR, panL, panR);
        if (!unison) {
            Pending& next = entries[pendingCount++];
            next.voice = v;
            next.slot = voiceFirstSlot[v];
            next.input.cutoff = cutoff;
            next.input.cutoffMod = mod;
            next.input.resonance = q;
            next.input.vowel = vowel;
            Float4::load(&pathIn[next.slot][0].first.left).store(&next.input.inA.first.left);
            Float4::load(&pathIn[next.slot][1].first.left).store(&next.input.inB.first.left);
            next.pan = pan;
            if (pendingCount < 4) continue;
            TFilter* const four[4] = {
                &voiceFilters[entries[0].voice], &voiceFilters[entries[1].voice],
                &voiceFilters[entries[2].voice], &voiceFilters[entries[3].voice]};
            const TFilter::PassInput* const inputs[4] = {&entries[0].input, &entries[1].input,
                                                         &entries[2].input, &entries[3].input};
            stereoOverStruct out[4][2];
            if (TFilter::processQuad(four, inputs, out)) {
                for (int i = 0; i < 4; ++i) panOut(entries[i], out[i]);
            } else {
                runPair(entries[0], entries[1]);
                runPair(entries[2], entries[3]);
            }
            pendingCount = 0;
            continue;
        }
        stereoOverStruct inA[kSubVoicesPerVoice], inB[kSubVoicesPerVoice];
        stereoOverStruct outA[kSubVoicesPerVoice + 1], outB[kSubVoicesPerVoice + 1];
        for (int j = 0; j < n; ++j) {
            const int s = slotInRange(voiceSlots[v][j]);
            inA[j] = pathIn[s][0];
            inB[j] = pathIn[s][1];
        }
        f.process(cutoff, mod, q, vowel, n, inA, inB, outA, outB);
        for (int j = 0; j < n; ++j) {
            const int s = slotInRange(voiceSlots[v][j]);
            stereoOverStruct* next = nextPathIn(v, j, s);
            panFrame(outA[j], pathOut[s][0], next[0], pan);
            panFrame(outB[j], pathOut[s][1], next[1], pan);
        }
    }
    flush();
}
