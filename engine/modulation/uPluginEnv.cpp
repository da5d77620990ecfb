// The eight envelopes: attack, decay, sustain (with a fade for the free envelopes) and release,
// each a linear ramp bent by a power per segment, on free or tempo-synced times. Advanced once
// per 16 samples by the voice and global control-rate updates on the audio thread; the note
// road starts a voice's envelopes.
#include "engine/APlugin.h"

#include "dsp/FastMath.h"
#include "engine/params/ParamTags.h"
#include "engine/tables/TempoSync.h"

#include <emmintrin.h>

namespace {

constexpr int kEnvs = 8;
// Tags and destinations by envelope: 0 Amp, 1 Filter, 2 Free 1, 3 Free 2, 4 Osc 1 Amp,
// 5 Osc 1 Pitch, 6 Osc 2 Amp, 7 Osc 2 Pitch. -1: no fade.
constexpr int ATT_TAGS[kEnvs] = {6, 62, 113, 118, 24, 29, 47, 52};
constexpr int DEC_TAGS[kEnvs] = {7, 63, 114, 119, 25, 30, 48, 53};
constexpr int SUST_TAGS[kEnvs] = {8, 64, 115, 120, 26, 31, 49, 54};
constexpr int FADE_TAGS[kEnvs] = {-1, -1, 116, 121, -1, -1, -1, -1};
constexpr int REL_TAGS[kEnvs] = {9, 65, 117, 122, 27, 32, 50, 55};
constexpr int DEST_ATT[kEnvs] = {247, 121, 264, 275, 52, 59, 102, 109};
constexpr int DEST_DEC[kEnvs] = {248, 122, 265, 276, 53, 60, 103, 110};
constexpr int DEST_SUST[kEnvs] = {249, 123, 266, 277, 54, 61, 104, 111};
constexpr int DEST_FADE[kEnvs] = {-1, -1, 267, 278, -1, -1, -1, -1};
constexpr int DEST_REL[kEnvs] = {250, 124, 268, 279, 55, 62, 105, 112};
constexpr float kSilent = 1e-5f;
constexpr float kAmpSustainGlide = 0.01f; // per update, also the fast fade of a stolen voice

float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

} // namespace

float APlugin::envTimeIncrement(float knob, bool synced) const {
    if (synced) {
        int n = static_cast<int>(knob * 30.99f + 0.1f);
        n = n < 0 ? 0 : (n > 30 ? 30 : n);
        return static_cast<float>(16.0 / (TEMPO_SYNC_TIME[n] * samplesPerWholeNoteDouble + 1.0));
    }
    // A full ramp takes about 2^(14 k) milliseconds: 1 ms at 0, 16.384 s at 1.
    return 16000.0f / (fastExp2(14.0f * knob) * engineRate + 32.0f);
}

float APlugin::getEnvAtt(int env, int voice) const {
    if (env < 0 || env >= kEnvs) return 0.0f;
    const float* mod = voice >= 0 ? voiceDest[voice & 15] : globalDest;
    const float k = clamp01(currentValues[ATT_TAGS[env]] + mod[DEST_ATT[env]]);
    return envTimeIncrement(k, envSynced[env] != 0);
}

float APlugin::getEnvDec(int env, int voice) const {
    if (env < 0 || env >= kEnvs) return 0.0f;
    const float* mod = voice >= 0 ? voiceDest[voice & 15] : globalDest;
    const float k = clamp01(currentValues[DEC_TAGS[env]] + mod[DEST_DEC[env]]);
    return envTimeIncrement(k, envSynced[env] != 0);
}

float APlugin::getEnvRel(int env, int voice) const {
    if (env < 0 || env >= kEnvs) return 0.0f;
    const float* mod = voice >= 0 ? voiceDest[voice & 15] : globalDest;
    const float k = clamp01(currentValues[REL_TAGS[env]] + mod[DEST_REL[env]]);
    // Every envelope but the amp envelope holds its output at the top of the release knob.
    if (env != 0 && k > 0.99f) return 0.0f;
    return envTimeIncrement(k, envSynced[env] != 0);
}

float APlugin::getEnvSust(int env, int voice) const {
    if (env < 0 || env >= kEnvs) return 0.0f;
    const float* mod = voice >= 0 ? voiceDest[voice & 15] : globalDest;
    const float u = currentValues[SUST_TAGS[env]] + mod[DEST_SUST[env]];
    // Never a full 1.0, so the decay stage always ends.
    if (!(u >= 0.0f)) return 0.0f;
    return u > 1.0f ? 0.999f : 0.999f * u;
}

float APlugin::getEnvFade(int env, int voice) const {
    if (env < 0 || env >= kEnvs || FADE_TAGS[env] < 0) return 0.0f;
    const float* mod = voice >= 0 ? voiceDest[voice & 15] : globalDest;
    const float k = clamp01(currentValues[FADE_TAGS[env]] + mod[DEST_FADE[env]]);
    const float b = 2.0f * k - 1.0f;
    if (b > -0.001f && b < 0.001f) return 0.0f;
    if (envSynced[env]) {
        int n = static_cast<int>(k * 60.99f + 0.1f);
        n = n < 0 ? 0 : (n > 60 ? 60 : n);
        const double t = TEMPO_SYNC_FADE_TIME[n];
        if (t == 0.0) return 0.0f;
        // Signed whole notes: the sign says whether the level fades down or up.
        return static_cast<float>(16.0 / (t * samplesPerWholeNoteDouble + 1.0));
    }
    const float a = b < 0.0f ? -b : b;
    const float inc = 16000.0f / (fastExp2(18.0f - 18.0f * a) * engineRate);
    return b < 0.0f ? -inc : inc;
}

float APlugin::getEnvShape(const EnvState& e, int env, float sustain, bool gated) const {
    if (e.position < kSilent) return 0.0f;
    if (gated) {
        if (e.stage == 0) {
            const float a = envShapes[0][env];
            return a == 1.0f ? e.position : fastPow(e.position, a);
        }
        if (e.stage == 1) {
            if (!(e.position > sustain)) return sustain;
            const float d = 1.0f - sustain > 1e-5f ? 1.0f / (1.0f - sustain) : 1.0f;
            float x = (e.position - sustain) * d;
            x = x < 0.0f ? -x : x;
            const float shaped = envShapes[1][env] == 1.0f ? x : fastPow(x, envShapes[1][env]);
            return sustain + shaped * (1.0f - sustain);
        }
        return e.position;
    }
    if (e.position <= 0.0f) return 0.0f;
    float x = e.position * e.releaseRecip;
    x = x < 0.0f ? -x : x;
    const float r = envShapes[2][env];
    return e.releaseStart * (r == 1.0f ? x : fastPow(x, r));
}

// Held in its sustain: the position is the output unless it is silent. The amp envelope glides
// to a changed sustain level; the others keep their position, clamped and moved by a free
// envelope's fade, and work out no sustain level. No shape is worked out.
inline void APlugin::stepHeldEnvelope(EnvState& e, int env, int voice) {
    const float previous = e.output;
    float position = e.position;
    if (env == 0) {
        const float sustain = getEnvSust(0, voice);
        if (position < sustain)
            position =
                position + kAmpSustainGlide > sustain ? sustain : position + kAmpSustainGlide;
        else if (position > sustain)
            position =
                position - kAmpSustainGlide < sustain ? sustain : position - kAmpSustainGlide;
    } else {
        if (env == 2 || env == 3) position += getEnvFade(env, voice) * e.speed;
        position = clamp01(position);
    }
    finishEnvelopeStep(e, previous, position, position < kSilent ? 0.0f : position, true, voice);
}

inline void APlugin::finishEnvelopeStep(EnvState& e, float previous, float position, float output,
                                        bool gated, int voice) {
    e.previous = previous;
    e.position = position;
    e.output = output;
    if (gated) {
        // A release starts at the output as it stands and bends the ramp that remains of the
        // position by the release shape: measured against the position, not the output, so
        // whatever shape the attack or decay had, the release never starts above this output.
        const bool silent = position < kSilent;
        e.releaseStart = silent ? 0.0f : output;
        e.releaseRecip = silent ? 1.0f : 1.0f / position;
    }
    if (voice >= 0) {
        if (e.restart) {
            e.position = e.output = e.releaseStart;
            e.releaseRecip = e.position < kSilent ? 1.0f : 1.0f / e.position;
            e.restart = 0;
        }
        e.value = previous;
        e.step = (e.output - previous) * (1.0f / 16.0f);
    } else {
        e.value = output;
    }
}

// One update of one instance: position by stage and gate, then the shaped output.
void APlugin::stepEnvelope(EnvState& e, int env, int voice, bool gated, bool fastFade) {
    if (gated && e.stage == 2) {
        stepHeldEnvelope(e, env, voice);
        return;
    }
    const float previous = e.output;
    // The sustain level matters only to a held envelope (in its attack or decay here).
    const float sustain = gated ? getEnvSust(env, voice) : 0.0f;
    if (gated) {
        if (e.stage == 0) {
            e.position += getEnvAtt(env, voice) * e.speed;
            if (e.position > 1.0f) {
                e.position = 1.0f;
                e.stage = 1;
            }
        } else if (e.stage == 1) {
            e.position -= getEnvDec(env, voice) * e.speed;
            if (e.position < sustain) {
                e.position = sustain;
                e.stage = 2;
            }
        }
    } else if (fastFade) {
        e.position = clamp01(e.position - kAmpSustainGlide);
    } else if (e.position > 0.0f) {
        e.position = clamp01(e.position - getEnvRel(env, voice) * e.speed);
    } else {
        // Released to the floor: no release time can move it, so none is worked out.
        e.position = 0.0f;
    }
    const float position = e.position;
    float output;
    if (fastFade && !gated) {
        output = position;
        if (position <= 0.0f) voiceFastFade[voice & 15] = 0;
    } else {
        output = getEnvShape(e, env, sustain, gated);
    }
    finishEnvelopeStep(e, previous, position, output, gated, voice);
}

void APlugin::stepVoiceEnvelopes(int voice, bool gated) {
    voice &= 15;
    // Held envelopes mostly sit in their sustain: that step is taken here, the others by
    // stepEnvelope.
    auto step = [&](EnvState& e, int env) {
        if (gated && e.stage == 2)
            stepHeldEnvelope(e, env, voice);
        else
            stepEnvelope(e, env, voice, gated, false);
    };
    for (int env = 1; env <= 3; ++env) step(voiceEnv[voice][env], env);
    for (int k = 0; k < uniNumVoices; ++k) {
        EnvState* slotEnvs = oscEnv[slotInRange(voiceSlots[voice][k])];
        for (int env = 4; env < kEnvs; ++env) step(slotEnvs[env - 4], env);
    }
}

void APlugin::setVolEnv(int voice, int env) {
    if (voice < 0 || voice >= kNumVoices || env != 0) return;
    EnvState& e = voiceEnv[voice][0];
    const bool gated = voicePressed[voice] || voiceSustained[voice];
    if (gated && e.stage == 2)
        stepHeldEnvelope(e, 0, voice);
    else
        stepEnvelope(e, 0, voice, gated, voiceFastFade[voice] != 0);
    // The render loop reads the level and adds the step once per output frame.
    voiceLevel[voice] = e.value;
}

void APlugin::setEnv(int voice, int env) {
    if (voice < 0 || voice >= kNumVoices || env < 1 || env > 3) return;
    const bool gated = voicePressed[voice] || voiceSustained[voice];
    stepEnvelope(voiceEnv[voice][env], env, voice, gated, false);
}

void APlugin::setOscEnv(int voice, int slot, int env) {
    if (voice < 0 || voice >= kNumVoices || slot < 0 || slot >= kSubVoiceSlots || env < 4 ||
        env > 7)
        return;
    const bool gated = voicePressed[voice] || voiceSustained[voice];
    stepEnvelope(oscEnv[slot][env - 4], env, voice, gated, false);
}

void APlugin::setGlobalEnv(int env) {
    if (env < 1 || env > 3) return;
    // Gated while any voice is pressed or sustained: all sixteen flags of each array at once.
    static_assert(kNumVoices == 16, "one byte lane per voice");
    const __m128i held =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(voicePressed)),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(voiceSustained)));
    const bool gated = _mm_movemask_epi8(_mm_cmpeq_epi8(held, _mm_setzero_si128())) != 0xFFFF;
    EnvState& e = globalEnv[env];
    e.speed = envGlobalSpeed[env];
    stepEnvelope(e, env, -1, gated, false);
}

void APlugin::startVoiceEnvelopes(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    // An envelope with no attack that does not follow the tempo starts at the top of its decay.
    auto start = [this](EnvState& e, int env) {
        const float speed = e.speed;
        e = EnvState{};
        e.speed = speed;
        if (env != 0 && currentValues[ATT_TAGS[env]] < 0.001f && !envSynced[env]) {
            e.stage = 1;
            e.position = e.output = e.previous = e.value = 1.0f;
        }
    };
    for (int env = 0; env < 4; ++env) start(voiceEnv[voice][env], env);
    voiceLevel[voice] = 0.0f;
    for (int k = 0; k < kSubVoicesPerVoice; ++k) {
        const int slot = voice * kSubVoicesPerVoice + k;
        for (int env = 4; env < kEnvs; ++env) start(oscEnv[slot][env - 4], env);
        subVoiceEnvFactor[slot][0] = subVoiceEnvFactor[slot][1] = subVoiceEnvFactor[slot][2] = 1.0f;
    }
}

void APlugin::resetVoiceEnvelopes() {
    for (auto& row : voiceEnv)
        for (EnvState& e : row) e = EnvState{};
    for (auto& row : oscEnv)
        for (EnvState& e : row) e = EnvState{};
    for (float& level : voiceLevel) level = 0.0f;
}
