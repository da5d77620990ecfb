// The arpeggiator's clock and its hooks in the control-rate updates: host tempo and transport,
// the step increment, swing, the host-synced start, the smoothing coefficients and the
// per-block drivers. Audio thread, every 16 and every 128 samples.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/performance/ArpIndexes.h"

#include <algorithm>
#include <cmath>

namespace {
// Steps per sixteenth note for each "Speed" choice, "1/16x BPM" .. "16x BPM".
constexpr double ARP_TEMPO_ARRAY[17] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3,
                                        1.0 / 2,  2.0 / 3,  1.0,     1.5,     2.0,     3.0,
                                        4.0,      6.0,      8.0,     12.0,    16.0};

// Tempi outside this range would stall the clock or divide by nearly nothing.
constexpr double kMinTempo = 0.1, kMaxTempo = 12000.0;

inline float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}

// One-pole coefficient of a smoothing amount: 0 (no smoothing) up to 1 - 2^-8.
inline float smoothCoef(float amount) {
    return amount <= 0.0f ? 0.0f : 1.0f - std::exp2(-8.0f * clamp01(amount));
}
} // namespace

void APlugin::updateArpRare() {
    arpPlayModeIsArp = getPlayMode() == arp::PlayModeArp ? 1 : 0;
    arpPlayMode = std::clamp(getLockSteppedValue(tag::ArpPlayMode), 0, 3);
    arpMode = std::clamp(getLockSteppedValue(tag::ArpMode), 0, 15);
    arpLoopMode = getArpLoopMode();

    const bool latch = getLockVarOnOff(tag::ArpLatchOn);
    if (latch != (arpLatchSeen != 0)) {
        arpLatchSeen = latch ? 1 : 0;
        if (latch)
            arpHeldReleaseCount = 0;
        else
            releaseLatchedKeys();
    }

    // A swing s lengthens the first step of each pair to (1 + s) / (1 + s/2) plain steps and
    // shortens the second to 1 / (1 + s/2), so a pair keeps its length.
    for (int p = 0; p < 2; ++p) {
        const float s =
            clamp01(getLockVar(tagOfArp(tag::SeqSwingA, p, 0)) + globalDest[arp::DestSwing]);
        const double f = 0.5 * s + 1.0;
        arpSwingFactors[p][0] = f;
        arpSwingFactors[p][1] = f / (s + 1.0);
    }
}

void APlugin::updateArpClock() {
    // A host that reports no time counts as a stopped transport at the last known tempo.
    const VstTimeInfo* time = timeInfo;
    if (time && (time->flags & kVstTempoValid) && std::isfinite(time->tempo))
        arpTempo = std::clamp(time->tempo, kMinTempo, kMaxTempo);
    const bool playing = time && (time->flags & kVstTransportPlaying);
    if (playing && !arpTransportSeen) {
        // The host's transport starts: the global mod arp begins again with its first step.
        arpModSwing = 0;
        arpModStep = -1;
        arpPhase = 0.0;
    }
    arpTransportSeen = playing ? 1 : 0;

    followArpPattern();
    // The phase counts steps, so a tempo change keeps the position within the step.
    const double speed = ARP_TEMPO_ARRAY[getArpSpeed()];
    const double mod = std::exp2(2.0 * double(globalDest[arp::DestSpeed]));
    arpIncrement =
        engineRateDouble > 0.0 ? speed * 16.0 * arpTempo / (15.0 * engineRateDouble) * mod : 0.0;
    if (!std::isfinite(arpIncrement)) arpIncrement = 0.0;
    arpNumOct = getArpNumOct();
    getArpToStart();
}

int APlugin::getArpToStart() {
    // Sixteenths; the host's position is held where it enters, this holds the count anyway.
    const double position = std::clamp(4.0 * songPosition, -2e9, 2e9);
    const int sixteenth = static_cast<int>(position);
    const double fraction = position - sixteenth;
    const double clamped = std::max(position, 0.0);

    if (arpHeldCount > 0 && !arpRunning) {
        const VstTimeInfo* time = timeInfo;
        const bool playing = time && (time->flags & kVstTransportPlaying);
        bool start = true; // a stopped transport, no time at all, or sync off: at once
        if (playing && getLockVarOnOff(tag::ArpSyncOn)) {
            const double tolerance = hostVendorIsProp && engineRateDouble > 0.0
                                         ? 8.0 * arpTempo / engineRateDouble
                                         : 0.001;
            start = sixteenth != arpLastSixteenth || fraction < tolerance || clamped < tolerance;
        }
        if (start) {
            arpRunning = 1;
            resetGater();
        }
        // The LFOs wait at their start until the arpeggiator begins.
        for (int lfo = 0; lfo < 4; ++lfo) {
            resetGlobalLFO(lfo);
            for (int v = 0; v < kNumVoices; ++v) resetVoiceLFO(v, lfo);
        }
    }
    arpLastSixteenth = sixteenth;
    return sixteenth;
}

void APlugin::updateArpOften() {
    const bool entry = getLockVarOnOff(tag::ArpKeyEntryOn);
    if (entry != (arpKeyEntrySeen != 0)) {
        if (arpKeyEntrySeen) arpEntryStep = 0;
        arpKeyEntrySeen = entry ? 1 : 0;
        arpKeyEntryOn = arpKeyEntrySeen;
        setEverythingOff(true);
    }

    for (int p = 0; p < 2; ++p) {
        const float x = getLockVar(tagOfArp(tag::SeqSmoothA, p, 0)) + globalDest[arp::DestSmooth];
        arpSmoothCoefs[0][p] = smoothCoef(x + globalDest[arp::DestSmoothAttack]);
        arpSmoothCoefs[1][p] = smoothCoef(x + globalDest[arp::DestSmoothDecay]);
    }

    if (getPlayMode() != arp::PlayModeArp || !arpRunning) return;
    arpMode = std::clamp(getLockSteppedValue(tag::ArpMode), 0, 15);
    if (arp::isNoteOrder(arpMode))
        setArpNorm();
    else if (arpMode == arp::Chord)
        setArpChord();
    else if (arp::isSequencer(arpMode))
        setArpSeq();
}
