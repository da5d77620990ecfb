// The arpeggiator's two 16-step patterns: reading a step's settings, the loop bounds, and the
// walk through the pattern in the three loop modes with "Join" chaining. Audio thread; the
// editor may call the const readers.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/performance/ArpIndexes.h"

#include <algorithm>

namespace {
constexpr int kLastStep = tag::SeqStepCount - 1;

inline bool validStep(int step) {
    return step >= 0 && step <= kLastStep;
}
inline int validPattern(int pattern) {
    return pattern == 1 ? 1 : 0;
}
// A modulation amount in whole steps, as the step and loop-start destinations add it.
inline int stepsOfMod(float m) {
    return static_cast<int>(15.99f * m + 0.1f);
}
} // namespace

// The walk of one player through a pattern: the note arpeggiator, the global mod arp and the
// mod arp of each voice each keep their own.
struct APlugin::ArpCursor {
    int32_t& step;
    int32_t& direction;
    int32_t& pattern;
    int32_t& loopStart;
    int32_t& count;
    int loopMode;
    bool join;
};

// A pattern of -1 names the playing pattern.
int APlugin::tagOfArp(int firstTagA, int pattern, int step) const {
    if (pattern < 0) pattern = arpPlayingPattern;
    return firstTagA + validPattern(pattern) * tag::SeqStride + step;
}

bool APlugin::getArpStepOn(int step, int pattern) const {
    return validStep(step) && getLockVarOnOff(tagOfArp(tag::SeqStepOnA, pattern, step));
}

bool APlugin::getArpStepTied(int step, int pattern) const {
    return validStep(step) && getLockVarOnOff(tagOfArp(tag::SeqStepTiedA, pattern, step));
}

bool APlugin::getArpStepSlide(int step, int pattern) const {
    return validStep(step) && getLockVarOnOff(tagOfArp(tag::SeqStepSlideA, pattern, step));
}

int APlugin::getArpStepTune(int step, int pattern) const {
    if (!validStep(step)) return 0;
    return static_cast<int>(getLockVar(tagOfArp(tag::SeqStepTuneA, pattern, step)) * 72.99f) - 36;
}

float APlugin::getArpStepVel(int step, int pattern) const {
    if (!validStep(step)) return 0.0f;
    const float v = 127.0f * getLockVar(tagOfArp(tag::SeqStepVelA, pattern, step));
    return std::clamp(v, 0.0f, 127.0f);
}

float APlugin::getArpStepFree1(int step, int pattern) const {
    if (!validStep(step)) return 0.0f;
    const float v = getLockVar(tagOfArp(tag::SeqStepFree1A, pattern, step));
    return std::clamp(2.0f * v - 1.0f, -1.0f, 1.0f);
}

float APlugin::getArpStepFree2(int step, int pattern) const {
    if (!validStep(step)) return 0.0f;
    const float v = getLockVar(tagOfArp(tag::SeqStepFree2A, pattern, step));
    return std::clamp(2.0f * v - 1.0f, -1.0f, 1.0f);
}

int APlugin::getArpStepRatchet(int step, int pattern) const {
    if (!validStep(step)) return 0;
    // The stored index steps further than the four ratchet choices; the rest count as "4".
    return std::clamp(getLockSteppedValue(tagOfArp(tag::SeqStepRatchetA, pattern, step)), 0, 3);
}

int APlugin::getArpSpeed() const {
    return std::clamp(getLockSteppedValue(tagOfArp(tag::SeqSpeedA, arpPlayingPattern, 0)), 0, 16);
}

int APlugin::getArpNumOct() const {
    return std::clamp(getLockSteppedValue(tag::ArpOctave), 0, 3) + 1;
}

int APlugin::getArpLoopMode() const {
    return std::clamp(getLockSteppedValue(tag::ArpLoopMode), 0, 2);
}

int APlugin::getArpTiedMode() const {
    return std::clamp(getLockSteppedValue(tag::ArpTiedMode), 0, 3);
}

int APlugin::getArpNumOfSteps(int pattern) const {
    return arpStepsWithMod(pattern, globalDest[arp::DestSteps]);
}

int APlugin::getArpLoopStart(int pattern) const {
    return arpLoopStartWithMod(pattern, globalDest[arp::DestSteps], globalDest[arp::DestLoopStart]);
}

int APlugin::getShownArpNumOfSteps(int pattern) const {
    return arpStepsWithMod(pattern, modShown.arpStepsMod);
}

int APlugin::getShownArpLoopStart(int pattern) const {
    return arpLoopStartWithMod(pattern, modShown.arpStepsMod, modShown.arpLoopStartMod);
}

int APlugin::arpStepsWithMod(int pattern, float stepsMod) const {
    const int steps = getLockSteppedValue(tagOfArp(tag::SeqStepsA, pattern, 0));
    return std::clamp(steps + stepsOfMod(stepsMod), 0, kLastStep) + 1;
}

int APlugin::arpLoopStartWithMod(int pattern, float stepsMod, float loopStartMod) const {
    int start = getLockSteppedValue(tagOfArp(tag::SeqLoopStartA, pattern, 0));
    const int catchup = getLockSteppedValue(tag::ArpStartCatchup);
    if (catchup == arp::CatchupEven) start |= 1;
    if (catchup == arp::CatchupOdd) start -= start % 2;
    start += stepsOfMod(loopStartMod);
    const int steps = getLockSteppedValue(tagOfArp(tag::SeqStepsA, pattern, 0));
    int upper = std::min(steps + stepsOfMod(stepsMod), kLastStep);
    if (upper < 1) upper = 0;
    return start < 0 ? 0 : std::min(start, upper);
}

// Whether a tied step takes the new step's pitch ("re-pitches") in the given cycle parity.
bool APlugin::getArpRetrigger(int cycle) const {
    switch (getArpTiedMode()) {
    case arp::TieSpecial:
        return true;
    case arp::TieToggle1:
        return (cycle & 1) == 0;
    case arp::TieToggle2:
        return (cycle & 1) == 1;
    default:
        return false;
    }
}

bool APlugin::getArpRatchetDisplay() const {
    const int p = arpPlayedCount;
    switch (std::clamp(getLockSteppedValue(tag::ArpRatchetMode), 0, 8)) {
    case arp::RatchetOn:
        return true;
    case arp::RatchetOffOn:
        return p % 2 == 1;
    case arp::RatchetOnOff:
        return p % 2 == 0;
    case arp::Ratchet2Off1On:
        return p % 3 == 2;
    case arp::Ratchet3Off1On:
        return p % 4 == 3;
    case arp::Ratchet1On2Off:
        return p % 3 == 0;
    case arp::Ratchet1On3Off:
        return p % 4 == 0;
    case arp::RatchetVelocity: {
        const int t = tagOfArp(tag::SeqRatchetVelA, arpPlayingPattern, 0);
        const float threshold =
            std::clamp(getLockVar(t) + globalDest[arp::DestRatchetVelocity], 0.0f, 1.0f);
        return threshold <= arpPhraseVelocity;
    }
    default:
        return false;
    }
}

// The time to the next ratchet hit, in steps; kArpNoInterval when the step has no more hits.
double APlugin::getArpRatchetLen(int step) const {
    const int hits = getArpStepRatchet(step);
    if (getArpStepTied(step) || hits == 0 || arpRatchetCount >= hits || !getArpRatchetDisplay())
        return kArpNoInterval;
    return 1.0 / (hits + 1);
}

void APlugin::fixArpBounds(ArpCursor& c, int pattern) {
    c.pattern = validPattern(pattern);
    c.count = getArpNumOfSteps(c.pattern);
    c.loopStart = getArpLoopStart(c.pattern);
}

namespace {
constexpr int kCursorEnded = 0, kCursorMoved = 1, kCursorWrapped = 2;
}

// One step of a cursor. The per-voice mod arp ("poly") turns differently in "PingPong": it
// plays the last step twice and leaves B for A without replaying B's first step.
int APlugin::moveArpCursor(ArpCursor& c, bool poly) {
    if (c.loopMode != arp::LoopPingPong) c.direction = 1; // a turn left over from PingPong
    c.step += c.direction;
    switch (c.loopMode) {
    case arp::LoopOff:
        if (c.step < c.count) return kCursorMoved;
        if (c.join && c.pattern == 0) {
            fixArpBounds(c, 1);
            c.step = 0;
            return kCursorMoved;
        }
        return kCursorEnded;
    case arp::LoopPingPong:
        if (!c.join) {
            if (c.direction > 0 && c.step >= c.count) {
                c.step = poly ? c.count - 1 : std::max(c.step - 2, 0);
                c.direction = -1;
            }
            if (c.direction < 0 && c.step <= c.loopStart) {
                c.direction = 1;
                fixArpBounds(c, c.pattern);
                c.step = c.loopStart;
                return kCursorWrapped;
            }
            return kCursorMoved;
        }
        if (c.direction > 0 && c.step >= c.count) {
            if (c.pattern == 0) {
                fixArpBounds(c, 1);
                c.step = 0;
                return kCursorMoved;
            }
            c.step = c.count - 2;
            c.direction = -1;
        }
        // Below B's first step (or, for a voice, at it) play goes on down through A. A
        // one-step B turns straight below its first step and lands here too.
        if (c.direction < 0 && c.pattern == 1 && (poly ? c.step <= 0 : c.step < 0)) {
            fixArpBounds(c, 0);
            c.step = c.count - 1;
        }
        if (c.direction < 0 && c.pattern == 0 && c.step <= c.loopStart) {
            c.direction = 1;
            fixArpBounds(c, 0);
            c.step = c.loopStart;
            return kCursorWrapped;
        }
        return kCursorMoved;
    default: // "On"
        if (c.step < c.count) return kCursorMoved;
        if (c.join && c.pattern == 0) {
            fixArpBounds(c, 1);
            c.step = 0;
            return kCursorMoved;
        }
        fixArpBounds(c, c.join ? 0 : c.pattern);
        c.step = c.loopStart;
        return kCursorWrapped;
    }
}

// Advances the note arpeggiator by one step; false when loop mode "Off" ended the pattern.
bool APlugin::updateArpStep() {
    // The step is shared with the editor's display: moved on a copy, stored once.
    int32_t step = arpStep;
    ArpCursor c{step,         arpDirection, arpPlayingPattern,           arpLoopStart,
                arpStepCount, arpLoopMode,  arpPlayMode == arp::PlayJoin};
    const int moved = moveArpCursor(c, false);
    arpStep = step;
    if (moved == kCursorEnded) {
        arpHeldCount = 0;
        turnAllVoicesOff();
        return false;
    }
    if (moved == kCursorWrapped) {
        arpCycle ^= 1;
        arpPlayedCount = (arpPlayedCount + 1) % 720;
        if (arp::isSequencer(arpMode)) arpOctave = (arpOctave + 1) % std::max(1, arpNumOct);
    }
    return true;
}

// The global mod arp ("Mod Arp Free", "Mod Arp Mono"): every 16 samples from the render loop
// while the play mode is not Arp. It shares the playing pattern and its bounds.
void APlugin::setArpMod() {
    if (!arpModRunning) return;
    arpPhase += arpIncrement * arpSwingFactors[validPattern(arpPlayingPattern)][arpModSwing & 1];
    if (arpPhase < 1.0) return;
    arpModSwing ^= 1;
    arpPhase -= static_cast<int>(arpPhase);
    int32_t step = arpModStep;
    ArpCursor c{step,         arpModDirection, arpPlayingPattern,           arpLoopStart,
                arpStepCount, arpLoopMode,     arpPlayMode == arp::PlayJoin};
    const int moved = moveArpCursor(c, false);
    arpModStep = step;
    if (moved == kCursorEnded) {
        arpModRunning = 0;
        return;
    }
    if (moved == kCursorWrapped) arpModCycle ^= 1;
    updateArpMod(-1);
}

// The mod arp of one voice ("Mod Arp Poly"), from the voice's control-rate update.
void APlugin::setArpMod(int voice) {
    if (voice < 0 || voice >= kNumVoices || !arpVoiceRunning[voice]) return;
    double& phase = arpVoicePhase[voice];
    phase +=
        arpIncrement * arpSwingFactors[validPattern(arpPlayingPattern)][arpVoiceSwing[voice] & 1];
    if (phase < 1.0) return;
    arpVoiceSwing[voice] ^= 1;
    phase -= static_cast<int>(phase);
    int32_t loopStart = 0, count = 1, step = arpVoiceModStep[voice];
    ArpCursor c{step,        arpVoiceDirection[voice],    arpVoicePattern[voice], loopStart, count,
                arpLoopMode, arpPlayMode == arp::PlayJoin};
    fixArpBounds(c, c.pattern); // the voice's bounds follow its own pattern at every step
    const int moved = moveArpCursor(c, true);
    arpVoiceModStep[voice] = step;
    if (moved == kCursorEnded) {
        arpVoiceRunning[voice] = 0;
        return;
    }
    if (moved == kCursorWrapped) arpVoiceCycle[voice] ^= 1;
    updateArpMod(voice);
}
