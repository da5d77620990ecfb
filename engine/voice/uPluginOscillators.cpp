// The oscillators' per-voice settings (audio thread, inside a render pass): table choice,
// drift, spread, ZEK position, levels, pans, wrap, bits, feedback, phase offsets, symmetry,
// the sub-oscillator and the oscillator LFO, each at its own cadence of passes.
#include "engine/APlugin.h"

#include "dsp/FastMath.h"
#include "dsp/ShortcutCounts.h"
#include "engine/tables/LookupTables.h"
#include "engine/voice/OscParams.h"

#include <emmintrin.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

constexpr float kPhaseRange = 16777215.0f;
constexpr uint32_t kPhaseMask = 0xFFFFFF;

float clamp01(float x) {
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

void panPair(float p, float* out) {
    const float l = 2.0f - 2.0f * p, r = 2.0f * p;
    out[0] = l > 1.0f ? 1.0f : (l < 0.0f ? 0.0f : l);
    out[1] = r > 1.0f ? 1.0f : (r < 0.0f ? 0.0f : r);
}

// A modulated value turned into a 24-bit phase offset; out-of-range values saturate before
// the conversion and the result wraps into the cycle.
uint32_t phaseOf(float cycles) {
    float x = cycles * kPhaseRange;
    x = x > 2.0e9f ? 2.0e9f : (x < -2.0e9f ? -2.0e9f : (x != x ? 0.0f : x));
    return static_cast<uint32_t>(static_cast<int32_t>(x)) & kPhaseMask;
}

int symmetryIndex(float x) {
    return static_cast<int>(clamp01(x) * 511.99f);
}

// A symmetry row for the plain render: null where it is the identity, which the render reads
// as the position itself.
inline const int32_t* rowOrIdentity(const int32_t (*rows)[SYMMETRY_SIZE], int row) {
    return row == SYMMETRY_IDENTITY_ROW ? nullptr : rows[row];
}

// Lane forms of the helpers above for four voices at once. Each is the scalar form's operations
// in the same order, its choices made as max, min or select with the operands ordered so that a
// NaN, a signed zero or a tie picks what the scalar comparison picks: every lane gets the scalar
// bits. (_mm_max_ps(a, b) is a > b ? a : b, _mm_min_ps(a, b) is a < b ? a : b.)
inline __m128 select4(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// clamp01: x > 0 ? (x < 1 ? x : 1) : 0.
inline __m128 clamp01x4(__m128 x) {
    return _mm_min_ps(_mm_max_ps(x, _mm_setzero_ps()), _mm_set1_ps(1.0f));
}

// x > hi ? hi : (x < lo ? lo : x), lo < hi.
inline __m128 limit4(__m128 x, float lo, float hi) {
    return _mm_max_ps(_mm_set1_ps(lo), _mm_min_ps(_mm_set1_ps(hi), x));
}

void panPair4(__m128 p, __m128* out) {
    const __m128 two = _mm_set1_ps(2.0f);
    const __m128 r = _mm_mul_ps(two, p);
    out[0] = limit4(_mm_sub_ps(two, r), 0.0f, 1.0f);
    out[1] = limit4(r, 0.0f, 1.0f);
}

__m128i phaseOf4(__m128 cycles) {
    __m128 x = _mm_mul_ps(cycles, _mm_set1_ps(kPhaseRange));
    x = _mm_and_ps(x, _mm_cmpord_ps(x, x)); // NaN counts as 0
    x = limit4(x, -2.0e9f, 2.0e9f);
    return _mm_and_si128(_mm_cvttps_epi32(x), _mm_set1_epi32(static_cast<int>(kPhaseMask)));
}

__m128i symmetryIndex4(__m128 x) {
    return _mm_cvttps_epi32(_mm_mul_ps(clamp01x4(x), _mm_set1_ps(511.99f)));
}

// A ZEK LFO depth: the clamped value times its magnitude, halved.
float zekLfoDepth(float v) {
    v = v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
    return 0.5f * v * (v < 0.0f ? -v : v);
}

__m128 zekLfoDepth4(__m128 v) {
    v = _mm_max_ps(_mm_set1_ps(-1.0f), _mm_min_ps(_mm_set1_ps(1.0f), v));
    const __m128 negative = _mm_cmplt_ps(v, _mm_setzero_ps());
    const __m128 size = select4(negative, _mm_xor_ps(v, _mm_set1_ps(-0.0f)), v);
    return _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(0.5f), v), size);
}

// The first destinations (oscillator 1's numbers) of the blocks of four that hold every
// destination the settings of every 2nd pass and of every pass read: level and pans; symmetry,
// feedback, phase and wrap; LFO depths on PWM and level; the pitch envelope's depth; wrap
// symmetry and bits; ZEK LFO depths; the amp envelope's depth.
constexpr int kKeyBlocks[OscPassKey::kBlocks] = {16, 28, 44, 56, 32, 36, 48};

constexpr bool keyBlocksAdjacent() {
    for (int b : kKeyBlocks)
        for (int osc = 0; osc < 2; ++osc)
            if (oscDest(osc, b + 3) != oscDest(osc, b) + 3) return false;
    return true;
}
static_assert(keyBlocksAdjacent());

// The blocks that hold every destination the settings of every pass read, first.
constexpr int kEveryPassBlocks = 4;
static_assert(kKeyBlocks[0] <= oscdest::Volume && kKeyBlocks[1] <= oscdest::Symmetry &&
              oscdest::Phase < kKeyBlocks[1] + 4 && kKeyBlocks[2] <= oscdest::LfoToPwm &&
              oscdest::LfoToPwm < kKeyBlocks[2] + 4 && kKeyBlocks[3] <= oscdest::PitchEnvAmount &&
              oscdest::PitchEnvAmount < kKeyBlocks[3] + 4);

// What each destination's movement moves of an oscillator: its settings of every 2nd pass and
// every pass (the key blocks) or its increments.
struct OscDestReads {
    uint8_t of[2][kModDests] = {};
    constexpr OscDestReads() {
        for (int osc = 0; osc < 2; ++osc) {
            for (int b : kKeyBlocks)
                for (int k = 0; k < 4; ++k) of[osc][oscDest(osc, b) + k] |= kOscSettingsMove;
            for (int d : {static_cast<int>(dest::GlobalPitch),
                          static_cast<int>(dest::GlobalFinePitch), oscDest(osc, oscdest::Fine),
                          oscDest(osc, oscdest::Semi), oscDest(osc, oscdest::LfoToPitch)})
                of[osc][d] |= kOscPitchMove;
        }
    }
};
constexpr OscDestReads kOscDestReadTable{};
constexpr const uint8_t (&kOscDestReads)[2][kModDests] = kOscDestReadTable.of;

// Whether a voice's destinations are the bits its valid key holds: all of them where the
// settings of every 2nd pass are due, else those the settings of every pass read (the others
// then stay as they are whatever the row holds).
// The oscillator is a template argument: every block's place in the row is then a constant.
template <int Osc>
[[gnu::always_inline]] inline bool passKeyHolds(const OscPassKey& key, const float* row, bool due) {
    static_assert(kEveryPassBlocks == 4 && OscPassKey::kBlocks == 7);
    if (!key.valid) return false;
    const __m128i* kept = reinterpret_cast<const __m128i*>(key.key);
    auto same = [row, kept](auto b) {
        constexpr int block = decltype(b)::value;
        const __m128i now = _mm_loadu_si128(
            reinterpret_cast<const __m128i*>(row + oscDest(Osc, kKeyBlocks[block])));
        return _mm_cmpeq_epi32(now, _mm_load_si128(kept + block));
    };
    using std::integral_constant;
    __m128i all = _mm_and_si128(
        _mm_and_si128(same(integral_constant<int, 0>{}), same(integral_constant<int, 1>{})),
        _mm_and_si128(same(integral_constant<int, 2>{}), same(integral_constant<int, 3>{})));
    if (due)
        all = _mm_and_si128(all, _mm_and_si128(_mm_and_si128(same(integral_constant<int, 4>{}),
                                                             same(integral_constant<int, 5>{})),
                                               same(integral_constant<int, 6>{})));
    return _mm_movemask_epi8(all) == 0xFFFF;
}

uint32_t oscMoveBits(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof(bits));
    return bits;
}

void keepPassKey(OscPassKey& key, const float* row, int osc) {
    __m128i* kept = reinterpret_cast<__m128i*>(key.key);
    for (int b = 0; b < OscPassKey::kBlocks; ++b)
        _mm_store_si128(kept + b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                      row + oscDest(osc, kKeyBlocks[b]))));
}

} // namespace

alignas(16) const float kSilentWaveTable[4096] = {};

// 0..1 in steps of 1/32767, from the instance's own generator: phases and drift stay the same
// for the same notes whatever other instances or the host do with the C library's generator.
float APlugin::oscRandom() {
    oscRandSeed = oscRandSeed * 1103515245u + 12345u;
    return static_cast<float>((oscRandSeed >> 16) & 0x7FFF) / 32767.0f;
}

const float* APlugin::getOscTable(int table) const {
    if (table >= 0 && table < OSC_BUILTIN_TABLES) return tables->oscWaveBank[table];
    if (table >= OSC_BUILTIN_TABLES && table < OSC_BANK_TABLES)
        return userWaveTables[table - OSC_BUILTIN_TABLES];
    return userWaveTables[OSC_BANK_TABLES - 1 - OSC_BUILTIN_TABLES];
}

// The oscillator LFO: every 8th pass its increment, every pass the two values of the pass.
// Its sources (56-59) are written to the voice's row only while a slot reads them (the global
// ones always, for the last voice); catchUpOscLfoSources fills the rows when a reader appears.
void APlugin::stepOscLfo(int voice, int osc, bool update) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    const OscTags& t = OSC_TAGS[osc];
    if (update) {
        const double inc =
            ov.lfoSpeedMemo[0](2.0f * dest[dest::GlobalLfoSpeed]) * 16777215.0 * oscLfoRate[osc] *
            ov.lfoSpeedMemo[1](dest[oscDest(osc, oscdest::LfoSpeed)]) *
            ov.lfoSpeedMemo[2](
                (2.0f * (currentValues[t.lfoKeyTrack] + dest[oscDest(osc, oscdest::LfoKeyTrack)]) -
                 1.0f) *
                voiceSource[voice][src::CenterNote]);
        ov.lfoInc = static_cast<uint32_t>(inc < 4194304.0 ? (inc > 0.0 ? inc : 0.0) : 4194304.0);
        ov.lfoStepped = 1;
    }
    // The values in locals: a store through the source row could otherwise alias them and
    // force reloads.
    const float* sine = tables->SineArray;
    float lfo0, lfo1;
    if (oscFreeLfo[osc]) {
        const uint32_t p = oscLfoSharedPhase[osc];
        lfo0 = sine[(p >> 8) & 0xFFFF];
        lfo1 = sine[((p + static_cast<uint32_t>(oscLfoSharedInc[osc])) >> 8) & 0xFFFF];
    } else {
        const uint32_t p = ov.lfoPhase, inc = ov.lfoInc;
        lfo0 = sine[(p >> 8) & 0xFFFF];
        lfo1 = sine[((p + inc) >> 8) & 0xFFFF];
        ov.lfoPhase = (p + 2 * inc) & kPhaseMask;
    }
    ov.lfo[0] = lfo0;
    ov.lfo[1] = lfo1;
    const int s = 56 + 2 * osc;
    if (oscLfoRowsRead[osc]) {
        float* src = voiceSource[voice];
        src[s] = lfo0;
        src[s + 1] = 0.5f * lfo0 + 0.5f;
    } else {
        ZEK2_SHORTCUT_TAKEN(OscLfoRowsLeft);
    }
    if (voice == lastVoice) {
        lastVoiceSource[s] = lfo0;
        lastVoiceSource[s + 1] = 0.5f * lfo0 + 0.5f;
    }
}

// Called whenever the set of read sources may have changed: when a slot starts reading an
// oscillator LFO's sources, every voice's row takes the values of its last pass, as if every
// pass had written it (a voice that never ran keeps its zeros).
void APlugin::catchUpOscLfoSources() {
    for (int osc = 0; osc < 2; ++osc) {
        const int s = 56 + 2 * osc;
        const bool read = (modSrcInUse[s] | modSrcInUse[s + 1] | noSkips) != 0;
        if (read && !oscLfoRowsRead[osc])
            for (int v = 0; v < kNumVoices; ++v) {
                const OscVoice& ov = oscVoices[v][osc];
                if (!ov.lfoStepped) continue;
                voiceSource[v][s] = ov.lfo[0];
                voiceSource[v][s + 1] = 0.5f * ov.lfo[0] + 0.5f;
            }
        oscLfoRowsRead[osc] = read;
    }
}

// Band-limited table for the sounding pitch: one table more every two semitones, so no kept
// partial passes the Nyquist frequency of the doubled rate. The pitch is the one the
// oscillator plays until the next choice: bend, pitch modulation, the higher of the
// oscillator LFO's two values of this pass and the pitch envelope where it stands highest
// among the voice's sub-voices over the coming eight passes.
void APlugin::setOscTableChoice(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    const OscTags& t = OSC_TAGS[osc];
    const float lfoDepth = currentValues[t.lfoToPitch] + dest[oscDest(osc, oscdest::LfoToPitch)];
    const float lfo0 = ov.lfo[0] * lfoDepth, lfo1 = ov.lfo[1] * lfoDepth;
    const float envAmount = 2.0f * clamp01(currentValues[t.pitchEnvAmount] +
                                           dest[oscDest(osc, oscdest::PitchEnvAmount)]) -
                            1.0f;
    float env = 0.0f;
    if (envAmount != 0.0f) {
        const int e = osc == 0 ? 1 : 3;
        env = -1.0e30f;
        for (int k = 0; k < uniNumVoices; ++k) {
            const EnvState& s = oscEnv[voiceSlots[voice][k] % kSubVoiceSlots][e];
            const float now = s.value * envAmount, ahead = (s.value + 16.0f * s.step) * envAmount;
            env = std::fmax(env, std::fmax(now, ahead));
        }
        if (!(env > -1.0e29f)) env = 0.0f;
    }
    const float pitch = oscOctavePitch[voice][osc] + voicePitchBend[voice] +
                        dest[dest::GlobalPitch] + dest[oscDest(osc, oscdest::Semi)] +
                        voiceOscKeyPitch[voice][osc] + std::fmax(lfo0, lfo1) + env;
    // The nearest semitone: a bend's top (8191/8192 of its range) or a pitch a hair below a
    // key counts as that key, not as the key below with its richer table.
    const int index = oscPitchIndex(pitch + 0.5f / 12.0f); // semitones + 57, clamped
    int band = tables->oscTableForPitch[index];
    const int type = oscType[osc] < 0 ? 0 : (oscType[osc] > 5 ? 0 : oscType[osc]);
    if ((type == 4 || type == 5) && band == 0) band = 1;
    ov.table = getOscTable(type * OSC_BANDS_PER_WAVE + band);
    const int subIndex = index < 12 ? 0 : index - 12;
    ov.subTable = getOscTable(subWaveSet[osc] + tables->oscTableForPitch[subIndex]);
}

void APlugin::setOscDrift(int voice, int osc) {
    const bool driftOn = getOnOff(tag::AnalogDriftOn);
    for (int k = 0; k < uniNumVoices; ++k) {
        OscSlot& os = oscSlots[voiceSlots[voice][k] % kSubVoiceSlots][osc];
        os.driftPhase += 2.0f * (renderCoefB + (renderCoefA - renderCoefB) * os.driftRandom);
        if (os.driftPhase > 1.0f) {
            os.driftPhase -= 1.0f;
            os.driftRandom = oscRandom();
        }
        os.drift =
            driftOn ? fastExp2(tables->SineArray[unitTableIndex(os.driftPhase)] * 0.00075f) : 1.0f;
    }
}

void APlugin::setOscSpread(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    float s = currentValues[OSC_TAGS[osc].spread] + dest[oscDest(osc, oscdest::Spread)];
    // Oscillator 2's spread is not held to 0..1 before the division.
    s = (osc == 0 ? clamp01(s) : s) / 30.0f;
    ov.downFactor = 1.0f;
    if (s > 0.0001f || destInUseSpread[osc]) {
        ov.spreadOn = 1;
        ov.upFactor = ov.spreadUpMemo(dest[oscDest(osc, oscdest::UpSpread)] / 30.0f + s +
                                      dest[oscDest(osc, oscdest::UpSemi)]);
        ov.downFactor = ov.spreadDownMemo(-(dest[oscDest(osc, oscdest::DownSpread)] / 30.0f + s +
                                            dest[oscDest(osc, oscdest::DownSemi)]));
    }
}

void APlugin::setOscZek(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    ov.zek =
        clamp01(currentValues[OSC_TAGS[osc].zekAmount] + dest[oscDest(osc, oscdest::ZekAmount)]);
    if (ov.zek <= 0.0001f) return;
    float x = 0.5f, y = 0.5f;
    getXYValue(osc, voice, x, y);
    const float lfo = voiceSource[voice][src::MainLfo];
    ov.zekX = fastExp2(4.0f * clamp01(x + dest[oscDest(osc, oscdest::ZekX)] + ov.zekLfoX * lfo));
    ov.zekY = fastExp2(4.0f * clamp01(y + dest[oscDest(osc, oscdest::ZekY)] + ov.zekLfoY * lfo));
}

void APlugin::setOscEvery2nd(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    const OscTags& t = OSC_TAGS[osc];
    const float ampKnob = currentValues[t.ampEnvAmount];
    const float ampMod = dest[oscDest(osc, oscdest::AmpEnvAmount)];
    ov.ampPositive = ampKnob >= 0.5f;
    const float a = ov.ampPositive ? 2.0f * clamp01(ampKnob + ampMod) - 1.0f
                                   : 1.0f - 2.0f * clamp01(ampKnob - ampMod);
    ov.ampAmount = clamp01(a);
    ov.lfoToAmp = clamp01(currentValues[t.lfoToAmp] + dest[oscDest(osc, oscdest::LfoToAmp)]);
    panPair(clamp01(dest[oscDest(osc, oscdest::DownPan)] + 0.5f), ov.panDown);
    panPair(clamp01(dest[oscDest(osc, oscdest::UpPan)] + 0.5f), ov.panUp);
    panPair(clamp01(oscPanSmooth[osc] + dest[oscDest(osc, oscdest::Pan)]), ov.panOsc);
    ov.mixDownL = ov.panDown[0] + ov.panUp[0];
    ov.mixDownR = ov.panDown[1] + ov.panUp[1];
    ov.mixToMono = 0.25f * (ov.mixDownL + ov.mixDownR);
    ov.zekLfoX = zekLfoDepth(currentValues[t.zekLfoX] + dest[oscDest(osc, oscdest::ZekLfoX)]);
    ov.zekLfoY = zekLfoDepth(currentValues[t.zekLfoY] + dest[oscDest(osc, oscdest::ZekLfoY)]);
    setOscShaping(voice, osc);
}

// Wrap and bit reduction: their switches and, where on, their gains and steps.
void APlugin::setOscShaping(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    const float wrap = dest[oscDest(osc, oscdest::Wrap)];
    ov.wrapOn = clamp01(wrap) > 0.001f;
    if (ov.wrapOn) {
        const float w2 = 2.0f * (dest[oscDest(osc, oscdest::WrapSymmetry)] + 0.5f);
        ov.wrapNeg = fastExp2(clamp01(2.0f - w2) * 4.0f * wrap);
        ov.wrapPos = fastExp2(clamp01(w2) * 4.0f * wrap);
    }
    const float bits = clamp01(dest[oscDest(osc, oscdest::Bits)]);
    ov.bitsOn = bits > 0.001f;
    if (ov.bitsOn) {
        ov.bitsQ = fastExp2(16.0f - 16.0f * bits);
        ov.bitsInvQ = 1.0f / ov.bitsQ;
    }
}

void APlugin::setOscEveryPass(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    const OscTags& t = OSC_TAGS[osc];
    const float volume = oscGainSmooth[osc] * dest[oscDest(osc, oscdest::Volume)];
    for (int h = 0; h < 2; ++h)
        ov.gain[h] = ((ov.lfo[h] * 0.5f + 0.5f) * ov.lfoToAmp + 1.0f - ov.lfoToAmp) * volume;
    float feed = dest[oscDest(osc, oscdest::Feedback)] * 5592349.0f;
    ov.feedScale = feed > 1.0e8f ? 1.0e8f : (feed < -1.0e8f ? -1.0e8f : feed);
    ov.phaseOffset = phaseOf(dest[oscDest(osc, oscdest::Phase)]);
    const float sym = currentValues[t.symmetry] + dest[oscDest(osc, oscdest::Symmetry)];
    const float pwm = clamp01(currentValues[t.lfoToPwm] + dest[oscDest(osc, oscdest::LfoToPwm)]);
    for (int h = 0; h < 2; ++h) {
        ov.symRow[h] = symmetryIndex(sym + ov.lfo[h] * 0.5f * pwm);
        ov.symRowTable[h] = rowOrIdentity(tables->symmetryTable, ov.symRow[h] & 511);
    }
    ov.pitchEnvAmount = 2.0f * clamp01(currentValues[t.pitchEnvAmount] +
                                       dest[oscDest(osc, oscdest::PitchEnvAmount)]) -
                        1.0f;
    setOscEveryPassExtras(voice, osc);
}

// The sub-oscillator's and oscillator 2's modulation settings of the pass, where in use.
void APlugin::setOscEveryPassExtras(int voice, int osc) {
    OscVoice& ov = oscVoices[voice][osc];
    const float* dest = voiceDest[voice];
    if (subOn[osc]) {
        ov.subGain = tables->dbGain30Array[unitTableIndex(
            clamp01(oscSubLevel[osc] + dest[oscDest(osc, oscdest::SubVolume)]))];
        panPair(clamp01(dest[oscDest(osc, oscdest::SubPan)] + 0.5f), ov.subPan);
        ov.subPan[0] *= ov.subGain;
        ov.subPan[1] *= ov.subGain;
        ov.subOffset = phaseOf(dest[oscDest(osc, oscdest::SubPhase)]);
        ov.subSymRow = symmetryIndex(dest[oscDest(osc, oscdest::SubSymmetry)] + 0.5f);
        ov.subSymRowTable = rowOrIdentity(tables->symmetryTable,
                                          std::min(std::max(ov.subSymRow, 0), SYMMETRY_ROWS - 1));
        ov.subFactor = ov.subTuneMemo(dest[oscDest(osc, oscdest::SubTune)]) * 0.5f;
    }
    if (osc == 1 && osc2ModMode != 0) {
        ov.modAmount = currentValues[tag::Osc2ModAmount] + dest[oscdest::Osc2ModAmount];
        if (osc2ModMode == 1)
            ov.pmDepth = (ov.pmDepthMemo(3.0f * ov.modAmount) - 1.0f) * kPhaseRange;
    }
}

void APlugin::checkOscKnobs(int osc) {
    const OscTags& t = OSC_TAGS[osc];
    const __m128i knobs[3] = {
        _mm_castps_si128(_mm_setr_ps(oscGainSmooth[osc], currentValues[t.symmetry],
                                     currentValues[t.lfoToPwm], currentValues[t.pitchEnvAmount])),
        _mm_castps_si128(_mm_setr_ps(currentValues[t.ampEnvAmount], currentValues[t.lfoToAmp],
                                     oscPanSmooth[osc], currentValues[t.zekLfoX])),
        _mm_setr_epi32(static_cast<int>(oscMoveBits(currentValues[t.zekLfoY])),
                       static_cast<int>(oscMoveBits(currentValues[t.lfoToPitch])),
                       static_cast<int>(voiceDefaultSerial), 0)};
    __m128i* kept = reinterpret_cast<__m128i*>(oscPassKnobs[osc]);
    __m128i same = _mm_set1_epi32(-1);
    for (int b = 0; b < 3; ++b)
        same = _mm_and_si128(same, _mm_cmpeq_epi32(knobs[b], _mm_load_si128(kept + b)));
    if (_mm_movemask_epi8(same) == 0xFFFF) return;
    for (int b = 0; b < 3; ++b) _mm_store_si128(kept + b, knobs[b]);
    for (auto& keys : oscPassKeys) keys[osc].valid = 0;
    for (auto& voice : oscVoices) voice[osc].pitchStands = 0;
}

// Between two control steps a voice's destinations move only where a matrix slot writes them
// (the defaults under them are rewritten at control steps, and a change of them is seen by
// checkOscKnobs): where no slot writes what the settings or the increments read, the values of
// their last computation still hold.
void APlugin::setOscInputsMove(int osc) {
    checkOscKnobs(osc);
    uint8_t moves = 0;
    const uint8_t* reads = kOscDestReads[osc];
    for (int i = 0; i < modSlotCount && i < 16; ++i) {
        const uint32_t d = static_cast<uint32_t>(voiceModSlots[i].dest);
        moves |= d < uint32_t(kModDests) ? reads[d] : 0;
    }
    // With every shortcut off, every input counts as moving.
    oscInputsMove[osc] = noSkips ? kOscSettingsMove | kOscPitchMove : moves;
}

// setOscEvery2nd (for the voices whose `due` is set) and setOscEveryPass for a list of voices,
// four at a time across lanes; each voice's settings come out with the bits of the scalar
// forms. A short last group repeats its last voice, which writes the same values again.
void APlugin::setOscSettingsLanes(int osc, const int* voices, const uint8_t* due, int count,
                                  bool knobsChecked) {
    if (count > kNumVoices) count = kNumVoices;
    if (count <= 0) return;
    const OscTags& t = OSC_TAGS[osc];
    const float ampKnob = currentValues[t.ampEnvAmount];
    const bool ampPositive = ampKnob >= 0.5f;
    const __m128 one = _mm_set1_ps(1.0f), two = _mm_set1_ps(2.0f), half = _mm_set1_ps(0.5f);
    const __m128 knob = _mm_set1_ps(ampKnob);
    const __m128 lfoToAmpKnob = _mm_set1_ps(currentValues[t.lfoToAmp]);
    const __m128 panSmooth = _mm_set1_ps(oscPanSmooth[osc]);
    const __m128 zekLfoXKnob = _mm_set1_ps(currentValues[t.zekLfoX]);
    const __m128 zekLfoYKnob = _mm_set1_ps(currentValues[t.zekLfoY]);
    const __m128 gainSmooth = _mm_set1_ps(oscGainSmooth[osc]);
    const __m128 symKnob = _mm_set1_ps(currentValues[t.symmetry]);
    const __m128 pwmKnob = _mm_set1_ps(currentValues[t.lfoToPwm]);
    const __m128 pitchEnvKnob = _mm_set1_ps(currentValues[t.pitchEnvAmount]);
    const bool extras = subOn[osc] || (osc == 1 && osc2ModMode != 0);
    const int32_t(*symTable)[SYMMETRY_SIZE] = tables->symmetryTable;
    if (!knobsChecked) checkOscKnobs(osc);
    // The voices whose inputs are those of their last computation keep its settings; the
    // others go four at a time, the list padded to whole groups with its last voice.
    int list[kNumVoices + 3];
    uint8_t dueList[kNumVoices + 3];
    int changed = 0;
    const bool full = noSkips;
    auto sift = [&](auto oscillator) {
        constexpr int o = decltype(oscillator)::value;
        for (int i = 0; i < count; ++i) {
            const int v = voices[i];
            const bool laneDue = due[i] != 0;
            if (!full && passKeyHolds<o>(oscPassKeys[v][o], voiceDest[v], laneDue)) {
                ZEK2_SHORTCUT_TAKEN(OscLanesStand);
                if (extras) setOscEveryPassExtras(v, o);
                continue;
            }
            list[changed] = v;
            dueList[changed++] = laneDue;
        }
    };
    if (osc == 0)
        sift(std::integral_constant<int, 0>{});
    else
        sift(std::integral_constant<int, 1>{});
    if (changed == 0) return;
    for (int i = changed; i < changed + 3; ++i) {
        list[i] = list[changed - 1];
        dueList[i] = dueList[changed - 1];
    }
    count = changed;
    for (int first = 0; first < count; first += 4) {
        const int* v = list + first;
        const uint8_t* laneDue = dueList + first;
        const float* d[4];
        OscVoice* ov[4];
        for (int k = 0; k < 4; ++k) {
            d[k] = voiceDest[v[k]];
            ov[k] = &oscVoices[v[k]][osc];
        }
        auto at = [&d, osc](int dest1) {
            const int i = oscDest(osc, dest1);
            return _mm_setr_ps(d[0][i], d[1][i], d[2][i], d[3][i]);
        };
        if (laneDue[0] | laneDue[1] | laneDue[2] | laneDue[3]) {
            const __m128 mod = at(oscdest::AmpEnvAmount);
            const __m128 a =
                ampPositive ? _mm_sub_ps(_mm_mul_ps(two, clamp01x4(_mm_add_ps(knob, mod))), one)
                            : _mm_sub_ps(one, _mm_mul_ps(two, clamp01x4(_mm_sub_ps(knob, mod))));
            const __m128 lfoToAmp = clamp01x4(_mm_add_ps(lfoToAmpKnob, at(oscdest::LfoToAmp)));
            __m128 down[2], up[2], pan[2];
            panPair4(clamp01x4(_mm_add_ps(at(oscdest::DownPan), half)), down);
            panPair4(clamp01x4(_mm_add_ps(at(oscdest::UpPan), half)), up);
            panPair4(clamp01x4(_mm_add_ps(panSmooth, at(oscdest::Pan))), pan);
            const __m128 downL = _mm_add_ps(down[0], up[0]);
            const __m128 downR = _mm_add_ps(down[1], up[1]);
            // Rows of the three blocks of every 2nd pass: after the transposes, row k is lane
            // k's block.
            __m128 b0 = clamp01x4(a);
            __m128 b1 = zekLfoDepth4(_mm_add_ps(zekLfoXKnob, at(oscdest::ZekLfoX)));
            __m128 b2 = zekLfoDepth4(_mm_add_ps(zekLfoYKnob, at(oscdest::ZekLfoY)));
            __m128 b3 = _mm_mul_ps(_mm_set1_ps(0.25f), _mm_add_ps(downL, downR));
            _MM_TRANSPOSE4_PS(b0, b1, b2, b3);
            __m128 p0 = down[0], p1 = down[1], p2 = up[0], p3 = up[1];
            _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
            __m128 q0 = pan[0], q1 = pan[1], q2 = downL, q3 = downR;
            _MM_TRANSPOSE4_PS(q0, q1, q2, q3);
            const __m128 block[3][4] = {{b0, b1, b2, b3}, {p0, p1, p2, p3}, {q0, q1, q2, q3}};
            alignas(16) float level[4];
            _mm_store_ps(level, lfoToAmp);
            const __m128 limit = _mm_set1_ps(0.001f);
            const int shaped =
                _mm_movemask_ps(_mm_or_ps(_mm_cmpgt_ps(clamp01x4(at(oscdest::Wrap)), limit),
                                          _mm_cmpgt_ps(clamp01x4(at(oscdest::Bits)), limit)));
            for (int k = 0; k < 4; ++k) {
                if (!laneDue[k]) continue;
                OscVoice& o = *ov[k];
                _mm_storeu_ps(&o.ampAmount, block[0][k]);
                _mm_storeu_ps(o.panDown, block[1][k]);
                _mm_storeu_ps(o.panOsc, block[2][k]);
                o.lfoToAmp = level[k];
                o.ampPositive = ampPositive;
                if (shaped >> k & 1) {
                    setOscShaping(v[k], osc);
                } else {
                    o.wrapOn = 0;
                    o.bitsOn = 0;
                }
            }
        }
        // The LFO values and level depth of each voice, now including this pass's depth.
        __m128 lfo0 = _mm_loadu_ps(ov[0]->lfo), lfo1 = _mm_loadu_ps(ov[1]->lfo);
        __m128 lfoToAmp = _mm_loadu_ps(ov[2]->lfo), spare = _mm_loadu_ps(ov[3]->lfo);
        _MM_TRANSPOSE4_PS(lfo0, lfo1, lfoToAmp, spare);
        const __m128 volume = _mm_mul_ps(gainSmooth, at(oscdest::Volume));
        auto gainOf = [&](__m128 lfo) {
            const __m128 swing = _mm_add_ps(_mm_mul_ps(lfo, half), half);
            return _mm_mul_ps(_mm_sub_ps(_mm_add_ps(_mm_mul_ps(swing, lfoToAmp), one), lfoToAmp),
                              volume);
        };
        __m128 g0 = gainOf(lfo0), g1 = gainOf(lfo1);
        __m128 g2 =
            limit4(_mm_mul_ps(at(oscdest::Feedback), _mm_set1_ps(5592349.0f)), -1.0e8f, 1.0e8f);
        __m128 g3 = _mm_sub_ps(
            _mm_mul_ps(two, clamp01x4(_mm_add_ps(pitchEnvKnob, at(oscdest::PitchEnvAmount)))), one);
        _MM_TRANSPOSE4_PS(g0, g1, g2, g3);
        const __m128 sym = _mm_add_ps(symKnob, at(oscdest::Symmetry));
        const __m128 pwm = clamp01x4(_mm_add_ps(pwmKnob, at(oscdest::LfoToPwm)));
        const __m128i row0 =
            symmetryIndex4(_mm_add_ps(sym, _mm_mul_ps(_mm_mul_ps(lfo0, half), pwm)));
        const __m128i row1 =
            symmetryIndex4(_mm_add_ps(sym, _mm_mul_ps(_mm_mul_ps(lfo1, half), pwm)));
        alignas(16) int32_t rows[2][4];
        _mm_store_si128(reinterpret_cast<__m128i*>(rows[0]), row0);
        _mm_store_si128(reinterpret_cast<__m128i*>(rows[1]), row1);
        // The phase offset and both rows as float bit patterns through the transpose (moves
        // only, no arithmetic), then back.
        __m128 r0 = _mm_castsi128_ps(phaseOf4(at(oscdest::Phase))), r1 = _mm_castsi128_ps(row0);
        __m128 r2 = _mm_castsi128_ps(row1), r3 = _mm_setzero_ps();
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        const __m128 gains[4] = {g0, g1, g2, g3}, ints[4] = {r0, r1, r2, r3};
        // A key is kept where both sets of settings were computed now, without the LFO.
        const int lfoFree = _mm_movemask_ps(_mm_and_ps(_mm_cmpeq_ps(lfoToAmp, _mm_setzero_ps()),
                                                       _mm_cmpeq_ps(pwm, _mm_setzero_ps())));
        for (int k = 0; k < 4; ++k) {
            OscVoice& o = *ov[k];
            OscPassKey& key = oscPassKeys[v[k]][osc];
            key.valid = laneDue[k] && (lfoFree >> k & 1);
            if (key.valid) keepPassKey(key, d[k], osc);
            _mm_storeu_ps(o.gain, gains[k]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(&o.phaseOffset), _mm_castps_si128(ints[k]));
            o.symRowTable[0] = rowOrIdentity(symTable, rows[0][k] & 511);
            o.symRowTable[1] = rowOrIdentity(symTable, rows[1][k] & 511);
            if (extras && (k == 0 || v[k] != v[k - 1])) setOscEveryPassExtras(v[k], osc);
        }
    }
}

// Phase increments of the two halves of the pass for every sub-voice of every active voice,
// with the pitch envelope, the oscillator LFO's pitch depth, unison tuning and drift. What is
// the oscillator's alone (its destinations' places, the LFO depth knob, the envelope) is looked
// up once for all voices.
void APlugin::setOscIncrements(int osc, uint8_t* kind, bool pmOn) {
    const int fine = oscDest(osc, oscdest::Fine), semi = oscDest(osc, oscdest::Semi);
    const int lfoToPitch = oscDest(osc, oscdest::LfoToPitch);
    const float depthKnob = currentValues[OSC_TAGS[osc].lfoToPitch];
    const int env = osc == 0 ? 1 : 3;
    const int unison = uniNumVoices;
    // Slot numbers are in range by construction: a compare spares the division of the modulo,
    // which stays as the guard against a stray one.
    auto slotOf = [](int32_t s) {
        return static_cast<uint32_t>(s) < static_cast<uint32_t>(kSubVoiceSlots)
                   ? s
                   : s % kSubVoiceSlots;
    };
    const bool pitchMoves = (oscInputsMove[osc] & kOscPitchMove) != 0;
    const int always = noSkips ? 7 : 0; // every power made again
    for (int a = 0; a < activeVoiceCount; ++a) {
        const int voice = activeVoices[a];
        OscVoice& ov = oscVoices[voice][osc];
        // Read here, after every setting of the pass is made, in the loop that touches the
        // voice anyway.
        if (kind) kind[voice & 15] = oscRenderKind(ov, pmOn);
        const int32_t* slots = voiceSlots[voice];
        // Between control steps, with nothing moving the pitch, the increments of the last
        // pass stand; only the pitch envelope moves on.
        const bool due = (voicePassCount[voice] & 7) == 0 || voiceIsNew[voice];
        if (ov.pitchStands && !pitchMoves && !due && ov.pitchEnvAmount == 0.0f &&
            ov.pitchSerial == voiceSetupSerial) {
            ZEK2_SHORTCUT_TAKEN(OscIncrementsStand);
            for (int k = 0; k < unison; ++k) {
                EnvState& e = oscEnv[slotOf(slots[k])][env];
                e.value += 2.0f * e.step;
            }
            continue;
        }
        const float* dest = voiceDest[voice];
        const float pitch = (dest[dest::GlobalFinePitch] + dest[fine]) / 12.0f +
                            dest[dest::GlobalPitch] + dest[semi] + voiceOscKeyPitch[voice][osc] +
                            voicePitchBend[voice];
        const float depth = depthKnob + dest[lfoToPitch];
        const float base = oscIncrementBase[voice][osc] * 0.5f;
        // The voice's share of both halves once; only a pitch envelope needs a power per slot.
        // Both halves' octaves and the base are checked against the last ones in one compare
        // (!= as in C: a NaN always counts as moved); a half whose octaves or base moved gets
        // its power again. Equal inputs give the kept results, so they need no store.
        // Through __m64, which may alias the floats: a load through a double pointer could be
        // moved above the stores of the two values.
        const __m128 lfo = _mm_loadl_pi(
            _mm_setzero_ps(), reinterpret_cast<const __m64*>(static_cast<float*>(ov.lfo)));
        const __m128 xs = _mm_add_ps(_mm_set1_ps(pitch), _mm_mul_ps(lfo, _mm_set1_ps(depth)));
        const __m128 now = _mm_movelh_ps(xs, _mm_set1_ps(base)); // x0, x1, base, base
        const int moved =
            (_mm_movemask_ps(_mm_cmpneq_ps(now, _mm_loadu_ps(ov.pitchIn))) | always) & 7;
        if ((moved & 5) == 0 || (moved & 6) == 0) ZEK2_SHORTCUT_TAKEN(OscPitchPowersKept);
        if (moved) {
            const float x0 = _mm_cvtss_f32(xs);
            const float x1 = _mm_cvtss_f32(_mm_shuffle_ps(xs, xs, 1));
            if (moved & 5) ov.pitchOut[0] = base * fastExp2(x0);
            if (moved & 6) ov.pitchOut[1] = base * fastExp2(x1);
            ov.pitchIn[0] = x0;
            ov.pitchIn[1] = x1;
            ov.pitchBaseIn = base;
        }
        const float p0 = ov.pitchOut[0], p1 = ov.pitchOut[1];
        const float amount = ov.pitchEnvAmount;
        ov.pitchStands = amount == 0.0f && depth == 0.0f;
        ov.pitchSerial = voiceSetupSerial;
        if (amount == 0.0f) {
            for (int k = 0; k < unison; ++k) {
                const int slot = slotOf(slots[k]);
                OscSlot& os = oscSlots[slot][osc];
                EnvState& e = oscEnv[slot][env];
                const float b = subVoiceTune[slot] * os.drift;
                os.inc[0] = b * p0;
                os.inc[1] = b * p1;
                e.value += 2.0f * e.step;
            }
            continue;
        }
        for (int k = 0; k < unison; ++k) {
            const int slot = slotOf(slots[k]);
            OscSlot& os = oscSlots[slot][osc];
            EnvState& e = oscEnv[slot][env];
            const float b = subVoiceTune[slot] * os.drift;
            os.inc[0] = b * p0 * fastExp2(e.value * amount);
            e.value += e.step;
            os.inc[1] = b * p1 * fastExp2(e.value * amount);
            e.value += e.step;
        }
    }
}

void APlugin::restartVoiceOscillators(int voice) {
    if (voice < 0 || voice >= kNumVoices) return;
    const int spreadTags[2] = {tag::Osc1Spread, tag::Osc2Spread};
    for (int o = 0; o < 2; ++o) {
        oscVoices[voice][o].spreadOn = 0;
        oscVoices[voice][o].upFactor = oscVoices[voice][o].downFactor = 1.0f;
        for (int k = 0; k < kSubVoicesPerVoice; ++k) {
            OscSlot& os = oscSlots[voice * kSubVoicesPerVoice + k][o];
            const OscSlot old = os;
            os = OscSlot{};
            os.driftPhase = old.driftPhase;
            os.driftRandom = old.driftRandom;
            os.drift = old.drift;
            if (getOnOff(o == 0 ? tag::Osc1FreeRunningOn : tag::Osc2FreeRunningOn)) {
                auto randomPhase = [this] {
                    return static_cast<uint32_t>(oscRandom() * kPhaseRange) & kPhaseMask;
                };
                os.phase = os.subPhase = randomPhase();
                os.upPhase = currentValues[spreadTags[o]] >= 0.01f ? randomPhase() : os.phase;
            }
        }
    }
    for (int k = 0; k < kSubVoicesPerVoice; ++k) {
        const int slot = voice * kSubVoicesPerVoice + k;
        osc1Mono[slot][0] = osc1Mono[slot][1] = osc1Mono[slot][2] = osc1Mono[slot][3] = 0.0f;
    }
}
