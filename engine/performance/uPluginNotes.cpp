// The note road: keys from MIDI, the preview note and the arpeggiator become voices in the
// nine play modes; the held-note stack of the mono and legato modes; voice allocation and
// stealing; the voice queries. Audio thread (the preview note arrives from the editor).
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"

#include <emmintrin.h>
#include <limits>

namespace {

enum PlayModes {
    kPoly = 0,
    kPolyMPE = 1,
    kMono = 2,
    kMonoLo = 3,
    kMonoHi = 4,
    kLegato = 5,
    kLegatoLo = 6,
    kLegatoHi = 7,
    kArp = 8
};
constexpr int kArpPlayTop = 2;
constexpr int kArpListModes = 9; // "Arp Mode" 0..9 keep a key list, above one key
constexpr float kBusyLevel = 1e-5f;
constexpr float kStealLevelLimit = 100.0f;

bool isMonoFamily(int mode) {
    return mode >= kMono && mode <= kMonoHi;
}
bool isLegatoFamily(int mode) {
    return mode >= kLegato && mode <= kLegatoHi;
}

} // namespace

float APlugin::noteRandom() {
    noteRandomSeed = noteRandomSeed * 1103515245u + 12345u;
    const float u = static_cast<float>((noteRandomSeed >> 16) & 0x7FFF) / 32767.0f;
    return 2.0f * u - 1.0f;
}

// ---------------------------------------------------------------------------------------------
// Keys down

void APlugin::midiNoteDown(int key, int velocity, int channel) {
    if (key < 0 || key > 127) return;
    notesPlayingCount = getNotesPlaying();
    if (notesPlayingCount == 0) {
        // A new phrase: the phrase sources, global envelopes and mod arp start again.
        lastVoiceSource[17] = velocity / 127.0f;
        lastVoiceSource[5] = key / 127.0f;
        lastVoiceSource[6] = (key - 57) / 12.0f;
        for (int slot = 7; slot <= 9; slot += 2) {
            const float r = noteRandom();
            lastVoiceSource[slot] = r;
            lastVoiceSource[slot + 1] = 0.5f * r + 0.5f;
        }
        globalEnvPhrase = 1;
        for (int env = 0; env < kGlobalEnvs; ++env) initGlobalEnv(env);
        for (int src : {85, 87, 86, 88, 83, 84}) setModSrc(src, 0.0f, false);
        setModSrc(82, 0.0f, true);
        restartModArp();
    }

    const int mode = getPlayMode();
    if (getLockSteppedValue(tag::ArpPlayMode) == kArpPlayTop && key >= 120 && key <= 123) {
        // With "Top" the four highest keys choose the pattern and do not play in the arp.
        arpTopPattern = key <= 121 ? 0 : 1;
        if (mode == kArp) return;
    }

    int started = -1;
    if (mode == kPoly || mode == kPolyMPE) {
        started = getNextCurVoice();
        if (mode == kPolyMPE) voiceChannel[started] = channel;
        voicePressed[started] = 1;
        setNotePressed(started, key, velocity, 0.0f, true, false, true);
    } else if (isMonoFamily(mode) || isLegatoFamily(mode)) {
        const bool firstKey = heldNoteTop < 0;
        if (!firstKey) {
            const int top = heldNotes[heldNoteTop];
            const bool lowOnly = mode == kMonoLo || mode == kLegatoLo;
            const bool highOnly = mode == kMonoHi || mode == kLegatoHi;
            if ((lowOnly && key >= top) || (highOnly && key <= top)) return; // not even stacked
        }
        pushHeldNote(key);
        if (firstKey) {
            monoVelocity = velocity;
            notesPlayingCount = 1;
        } else {
            monoSecondKey = 1;
            notesPlayingCount = 2;
        }
        if (isMonoFamily(mode) || firstKey) {
            startMonoVoice(key);
        } else {
            // Legato: the sounding voice glides to the new key without a new start.
            setNotePressed(currentVoice, key, monoVelocity, 0.0f, false, false, true);
        }
        started = currentVoice;
    } else {
        noteDownArp(key, velocity);
        return;
    }
    voiceSustained[started] = sustainPedal;
    if (mode == kPoly || mode == kPolyMPE) notesPlayingCount = getNotesPlaying();
}

void APlugin::pushHeldNote(int key) {
    heldNoteTop = heldNoteTop + 1 < kHeldNotes ? heldNoteTop + 1 : kHeldNotes - 1;
    heldNotes[heldNoteTop] = key;
}

// Mono and legato: the current voice fades out fast and a new voice starts the key.
void APlugin::startMonoVoice(int key) {
    const int old = currentVoice;
    setVoiceOff(old);
    voiceFastFade[old] = 1;
    // A stolen voice must fade even under the sustain pedal, or it would hang until pedal up.
    voiceSustained[old] = 0;
    const int voice = getNextCurVoice();
    voiceFastFade[voice] = 0;
    voicePressed[voice] = 1;
    setNotePressed(voice, key, monoVelocity, 0.0f, true, false, true);
    voiceSustained[voice] = sustainPedal;
}

void APlugin::noteDownArp(int key, int velocity) {
    bool firstKey;
    if (getLockSteppedValue(tag::ArpMode) > kArpListModes) {
        // The single-key modes play the newest held key only, at the velocity of the key
        // that started the phrase.
        firstKey = heldNoteTop < 0;
        pushHeldNote(key);
        arpHeldNotes[0] = key;
        if (firstKey) arpHeldVelocities[0] = velocity;
        arpHeldCount = 1;
    } else {
        firstKey = arpHeldCount == 0;
        if (arpHeldCount < kArpKeys) {
            arpHeldNotes[arpHeldCount] = key;
            arpHeldVelocities[arpHeldCount] = velocity;
            ++arpHeldCount;
        }
        doNoZeroArp();
        doSortArp();
    }
    if (firstKey && arpHeldCount == 1) {
        setArpFirstKey(velocity);
        alternationCounter = 0;
    }
    getArpToStart();
}

// ---------------------------------------------------------------------------------------------
// Keys up

bool APlugin::removeHeldNote(int key) {
    bool found = false;
    for (int i = 0; i <= heldNoteTop; ++i) found = found || heldNotes[i] == key;
    if (!found) return false;
    int count = 0;
    for (int i = 0; i <= heldNoteTop; ++i)
        if (heldNotes[i] != key && heldNotes[i] > 0) heldNotesScratch[count++] = heldNotes[i];
    for (int i = 0; i < kHeldNotes; ++i) heldNotes[i] = i < count ? heldNotesScratch[i] : -1;
    heldNoteTop = count - 1;
    return true;
}

void APlugin::midiNoteRelease(int key, int, int channel) {
    const int mode = getPlayMode();
    if (mode == kPoly || mode == kPolyMPE) {
        for (int v = 0; v < kNumVoices; ++v) {
            if (voiceNote[v] != key) continue;
            if (mode == kPolyMPE && voiceChannel[v] != channel) continue;
            voiceNote[v] = 0;
            setVoiceOff(v);
        }
        return;
    }
    if (mode == kArp) {
        noteReleaseArp(key);
        return;
    }

    // Mono and legato.
    if (heldNoteTop < 0) return;
    const int oldTop = heldNotes[heldNoteTop];
    const bool lastKey = heldNoteTop == 0;
    if (!removeHeldNote(key)) return;
    if (lastKey || heldNoteTop < 0) {
        // The last key (or a key stacked twice, which leaves nothing): the voice stops.
        setVoiceOff(currentVoice);
        voiceFastFade[currentVoice] = 0;
        for (int32_t& n : heldNotes) n = -1;
        heldNoteTop = -1;
        monoSecondKey = 0;
        return;
    }
    const int newTop = heldNotes[heldNoteTop];
    if (isLegatoFamily(mode)) {
        setNotePressed(currentVoice, newTop, monoVelocity, 0.0f, false, false, true);
    } else if (key == oldTop) {
        startMonoVoice(newTop);
    }
}

void APlugin::noteReleaseArp(int key) {
    const bool listMode = getLockSteppedValue(tag::ArpMode) <= kArpListModes;
    if (arpPedalHold || getLockVarOnOff(tag::ArpLatchOn)) {
        // The pedal or the latch holds the key; it leaves when the pedal goes up. Releases
        // beyond the record's 64 entries are dropped.
        if (arpHeldReleaseCount < kArpHeldReleases) arpHeldReleases[arpHeldReleaseCount++] = key;
        if (listMode && arpHeldCount == 0)
            for (int v = 0; v < kNumVoices; ++v) setVoiceOff(v);
        return;
    }
    if (listMode) {
        int count = 0;
        for (int i = 0; i < arpHeldCount; ++i) {
            if (arpHeldNotes[i] == key) continue;
            arpHeldNotes[count] = arpHeldNotes[i];
            arpHeldVelocities[count] = arpHeldVelocities[i];
            ++count;
        }
        arpHeldCount = count;
        doNoZeroArp();
        doSortArp();
        if (arpHeldCount == 0)
            for (int v = 0; v < kNumVoices; ++v) setVoiceOff(v);
        return;
    }
    // Single-key modes: a key that never sounded (a pattern key of "Top") changes nothing.
    bool held = false;
    for (int i = 0; i <= heldNoteTop; ++i) held = held || heldNotes[i] == key;
    if (!held) return;
    if (heldNoteTop <= 0) {
        for (int v = 0; v < kNumVoices; ++v) setVoiceOff(v);
        arpHeldCount = 0;
        for (int32_t& n : heldNotes) n = -1;
        heldNoteTop = -1;
        return;
    }
    removeHeldNote(key);
    if (heldNoteTop < 0) {
        for (int v = 0; v < kNumVoices; ++v) setVoiceOff(v);
        arpHeldCount = 0;
        return;
    }
    arpHeldNotes[0] = heldNotes[heldNoteTop];
    arpHeldCount = 1;
}

// ---------------------------------------------------------------------------------------------
// Voices

void APlugin::setVoiceOff(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    // The envelopes see the gate close through voicePressed (and voiceSustained).
    voicePressed[voice] = 0;
    endOutNotesOfVoice(voice);
}

void APlugin::setVoiceOn(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    voicePressed[voice] = 1;
}

int APlugin::getNextCurVoice() {
    int busy = 0;
    for (int v = 0; v < kNumVoices; ++v) busy += isVoiceBusy(v);

    // The quietest voice under the limit, among released voices first (lowest index on ties).
    auto quietest = [this](int skip, bool releasedOnly) {
        int found = -1;
        float best = kStealLevelLimit;
        for (int v = 0; v < kNumVoices; ++v) {
            if (v == skip || (releasedOnly && voicePressed[v])) continue;
            if (voiceLevel[v] < best) {
                best = voiceLevel[v];
                found = v;
            }
        }
        return found;
    };

    int taken = -1;
    if (busy != kNumVoices - 1) {
        for (int v = 0; v < kNumVoices && taken < 0; ++v)
            if (!isVoiceBusy(v)) taken = v;
        if (taken < 0) taken = quietest(-1, true);
        if (taken < 0) taken = quietest(-1, false);
        if (taken < 0) taken = (currentVoice + 1) % 15;
    } else {
        // Exactly 15 busy: take the free voice and start fading another, so that the next key
        // finds a free voice too.
        for (int v = kNumVoices - 1; v >= 0 && taken < 0; --v)
            if (!isVoiceBusy(v)) taken = v;
        int victim = quietest(taken, true);
        if (victim < 0) victim = quietest(taken, false);
        if (victim >= 0) {
            voicePressed[victim] = 0;
            voiceSustained[victim] = 0;
            voiceFastFade[victim] = 1;
            endOutNotesOfVoice(victim);
        }
        voiceFastFade[taken] = 0;
    }
    currentVoice = lastVoice = taken;
    voiceStartStamp[taken] = sampleClock;
    setOldestVoice();
    return taken;
}

uint32_t APlugin::getBusyVoiceMask() const {
    static_assert(kNumVoices == 16, "one byte lane and one float lane per voice");
    const __m128i pressed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(voicePressed));
    const __m128 threshold = _mm_set1_ps(kBusyLevel);
    // The four level compares (all ones or zero per voice) narrowed to one byte per voice,
    // in voice order, so one byte mask holds both tests.
    auto above = [this, threshold](int q) {
        return _mm_castps_si128(_mm_cmpgt_ps(_mm_loadu_ps(voiceLevel + 4 * q), threshold));
    };
    const __m128i levels =
        _mm_packs_epi16(_mm_packs_epi32(above(0), above(1)), _mm_packs_epi32(above(2), above(3)));
    const __m128i idle = _mm_andnot_si128(levels, _mm_cmpeq_epi8(pressed, _mm_setzero_si128()));
    return ~static_cast<uint32_t>(_mm_movemask_epi8(idle)) & 0xFFFFu;
}

int APlugin::getNotesPlaying() const {
    return __builtin_popcount(getBusyVoiceMask());
}

bool APlugin::getIsAnyVoicePlaying() const {
    return getBusyVoiceMask() != 0;
}

int APlugin::getNotesOn() const {
    const int mode = getPlayMode();
    if ((isMonoFamily(mode) || isLegatoFamily(mode)) && monoSecondKey) return 2;
    int n = 0;
    for (uint8_t pressed : voicePressed) n += pressed != 0;
    return n;
}

int APlugin::getLastPlayed() const {
    // Pass counts grow by 24,000 a second: the search starts above any of them, so a voice
    // held for hours is still found.
    int found = -1;
    uint32_t best = std::numeric_limits<uint32_t>::max();
    for (int i = 0; i < activeVoiceCount && i < kNumVoices; ++i) {
        const int v = activeVoices[i];
        if (voicePassCount[v] < best) {
            best = voicePassCount[v];
            found = v;
        }
    }
    return found;
}

void APlugin::setOldestVoice() {
    // Stamps are 64-bit sample counts: the search starts above any of them.
    int oldest = 0;
    uint64_t best = std::numeric_limits<uint64_t>::max();
    for (uint32_t busy = getBusyVoiceMask(); busy != 0; busy &= busy - 1) {
        const int v = __builtin_ctz(busy);
        if (voiceStartStamp[v] < best) {
            best = voiceStartStamp[v];
            oldest = v;
        }
    }
    oldestVoice = oldest;
}

void APlugin::setLastVoice() {
    const uint32_t busy = getBusyVoiceMask();
    if (busy == 0) return;
    if (busy & (1u << (currentVoice & 15))) lastVoice = currentVoice;
    uint64_t best = 0;
    for (uint32_t rest = busy; rest != 0; rest &= rest - 1) {
        const int v = __builtin_ctz(rest);
        if (voiceStartStamp[v] > best) {
            best = voiceStartStamp[v];
            lastVoice = v;
        }
    }
}

float APlugin::getPitchBendRange(int tag) const {
    // 0..12 semitones in steps of one, then 2, 3 and 4 octaves.
    static constexpr float PITCH_BEND_RANGE_ARRAY[16] = {
        0.0f,      1.0f / 12, 2.0f / 12,  3.0f / 12,  4.0f / 12, 5.0f / 12, 6.0f / 12, 7.0f / 12,
        8.0f / 12, 9.0f / 12, 10.0f / 12, 11.0f / 12, 1.0f,      2.0f,      3.0f,      4.0f};
    int index = static_cast<int>(getLockVar(tag) * 15.99f);
    index = index < 0 ? 0 : (index > 15 ? 15 : index);
    return PITCH_BEND_RANGE_ARRAY[index];
}

float APlugin::getPitchBendValue(int tag, float bend) const {
    return (bend - 0.5f) * getPitchBendRange(tag) * 24.0f / 12.0f;
}
