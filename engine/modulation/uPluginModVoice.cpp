// The modulation matrix per voice: the evaluation on every pass, the note-start evaluation,
// the restore of untargeted destinations (audio thread), and the modulated value of a
// parameter that the editor draws on its knob rings (user-interface thread).
#include "engine/APlugin.h"

#include "engine/modulation/ModIndices.h"
#include "engine/modulation/ModSlotMath.h"
#include "engine/params/ParamTags.h"
#include "engine/voice/VoiceState.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include <emmintrin.h>

namespace {
float clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f;
    return x > 1.0f ? 1.0f : x;
}

// Speed destinations are exponents (2^(2 m)); the knob rings show them in knob units.
constexpr float kSpeedRingScale = 9.704061f;
} // namespace

namespace {
// Lane-wise forms of the slot arithmetic: every operation is the scalar one in the same order,
// and each choice is a select, so every lane gets the scalar form's bits.
inline __m128 select(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}
inline __m128 negate(__m128 x) {
    return _mm_xor_ps(x, _mm_set1_ps(-0.0f));
}
// x < 0 ? -x : x
inline __m128 magnitude(__m128 x) {
    return select(_mm_cmplt_ps(x, _mm_setzero_ps()), negate(x), x);
}
inline __m128 volumeFactor4(__m128 x, __m128 amount) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 raised = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(x, amount), one), amount);
    const __m128 a = magnitude(amount);
    const __m128 lowered =
        _mm_sub_ps(_mm_add_ps(_mm_mul_ps(_mm_sub_ps(one, magnitude(x)), a), one), a);
    return select(_mm_cmpgt_ps(amount, _mm_set1_ps(1e-6f)), raised, lowered);
}
inline __m128 pitchOctaves4(__m128 c) {
    __m128 held = _mm_mul_ps(c, _mm_set1_ps(3600.0f));
    held = _mm_and_ps(held, _mm_cmpeq_ps(held, held)); // NaN counts as 0
    held = _mm_max_ps(_mm_min_ps(held, _mm_set1_ps(1.0e9f)), _mm_set1_ps(-1.0e9f));
    const __m128 cents = _mm_cvtepi32_ps(_mm_cvttps_epi32(held));
    return _mm_div_ps(_mm_mul_ps(cents, _mm_set1_ps(0.01f)), _mm_set1_ps(12.0f));
}

// How a slot maps its source: Center Note's full range, an empty window, a window clamped to
// 0..1, a bipolar window.
enum SlotMap : uint8_t { kMapCenter, kMapEmpty, kMapClamped, kMapBipolar };

// The offset and range of a slot at the lanes' amounts, before the window.
inline void slotOffsetRange(const APlugin::VoiceModSlot& slot, __m128 amount, __m128& offset,
                            __m128& range) {
    offset = slot.symmetric ? negate(amount) : _mm_set1_ps(slot.offset);
    range = _mm_sub_ps(amount, offset);
    if (slot.centerNote) {
        range = _mm_mul_ps(_mm_set1_ps(2.0f), amount);
        offset = negate(amount);
    } else if (!(slot.upper > slot.lower)) {
        offset = range = _mm_setzero_ps();
    }
}

// Sources that move on every pass (envelopes, LFOs, the gater, the audio and noise sources):
// their slots are evaluated anew each pass without looking for a standing value.
bool movesEveryPass(int source) {
    return (source >= src::Osc1AmpEnv && source <= src::FreeLfo12Uni) ||
           (source >= src::GaterLeft && source <= src::GaterAverage) ||
           (source >= src::Input && source <= src::Output) || source >= src::WhiteNoise;
}
} // namespace

void APlugin::setVoiceModSlotLanes() {
    voiceModSlotsFold = 0;
    for (int i = 0; i < modSlotCount; ++i) {
        const VoiceModSlot& slot = voiceModSlots[i];
        VoiceModSlotLanes& f = voiceModSlotLanes[i];
        const __m128 amount = _mm_add_ps(_mm_set1_ps(slot.amount), _mm_setzero_ps());
        __m128 offset, range;
        slotOffsetRange(slot, amount, offset, range);
        _mm_store_ps(f.amount, amount);
        _mm_store_ps(f.offset, offset);
        _mm_store_ps(f.range, range);
        _mm_store_ps(f.lower, _mm_set1_ps(slot.lower));
        _mm_store_ps(f.scale, _mm_set1_ps(slot.scale));
        f.map = slot.centerNote              ? kMapCenter
                : !(slot.upper > slot.lower) ? kMapEmpty
                : slot.bipolar               ? kMapBipolar
                                             : kMapClamped;
        f.folds = movesEveryPass(slot.source) ? 0 : 1;
        voiceModSlotsFold |= f.folds;
    }
    if (++voiceModSlotSerial == 0) voiceModSlotSerial = 1;
}

void APlugin::setVoiceModLanes(const int* voices, int count) {
    const int slotCount = modSlotCount;
    const VoiceModSlot* slots = voiceModSlots;
    const VoiceModSlotLanes* forms = voiceModSlotLanes;
    const bool chained = modSlotChains != 0;
    // A chain moves the amounts, so chained slots never fold.
    const bool folding = voiceModSlotsFold && !chained;
    // Every row is 512 floats in both tables: a voice's destination row lies at a fixed
    // distance from its source row, so one pointer per lane reaches both.
    static_assert(sizeof(voiceSource[0]) == sizeof(voiceDest[0]), "rows of one size");
    const std::ptrdiff_t toDest =
        reinterpret_cast<const char*>(voiceDest) - reinterpret_cast<const char*>(voiceSource);
    for (int first = 0; first < count; first += 4) {
        // A short last group repeats its last voice: the repeated lane reads and writes the
        // same values as the lane it copies.
        int lanes[4];
        const char* source[4];
        for (int k = 0; k < 4; ++k) {
            lanes[k] = voices[first + k < count ? first + k : count - 1];
            source[k] = reinterpret_cast<const char*>(voiceSource[lanes[k]]);
        }
        auto rowOf = [&](int k) {
            return reinterpret_cast<float*>(const_cast<char*>(source[k]) + toDest);
        };
        // A slot's term stands while its source values do, for the same voices and slot
        // forms.
        VoiceModFold& fold = voiceModFolds[first >> 2];
        bool foldValid = false;
        if (folding) {
            foldValid = fold.serial == voiceModSlotSerial &&
                        std::memcmp(fold.voices, lanes, sizeof(lanes)) == 0;
            std::memcpy(fold.voices, lanes, sizeof(lanes));
            fold.serial = voiceModSlotSerial;
        }
        // The slot-amount chain (filled only with chains).
        __m128 chain[16];
        if (chained)
            for (int i = 0; i < slotCount; ++i) {
                const int d = dest::SlotAmountFirst + slots[i].slot;
                chain[i] = _mm_setr_ps(
                    modslot::chainedAmount(rowOf(0)[d]), modslot::chainedAmount(rowOf(1)[d]),
                    modslot::chainedAmount(rowOf(2)[d]), modslot::chainedAmount(rowOf(3)[d]));
            }
        // Each destination starts from its default at its first slot and is written back
        // after its last; the slots between carry it in a register.
        __m128 carried[16];
        for (int i = 0; i < slotCount; ++i) {
            const VoiceModSlot& slot = slots[i];
            const VoiceModSlotLanes& form = forms[i];
            const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(slot.source) * 4;
            auto sourceOf = [&](int k) { return *reinterpret_cast<const float*>(source[k] + at); };
            const __m128 x = _mm_setr_ps(sourceOf(0), sourceOf(1), sourceOf(2), sourceOf(3));
            __m128 term;
            if (foldValid && form.folds &&
                _mm_movemask_epi8(_mm_cmpeq_epi32(
                    _mm_castps_si128(x),
                    _mm_load_si128(reinterpret_cast<const __m128i*>(fold.x[i])))) == 0xFFFF) {
                term = _mm_load_ps(fold.term[i]);
            } else {
                __m128 amount, offset, range;
                if (chained) {
                    amount = _mm_add_ps(_mm_set1_ps(slot.amount), chain[i]);
                    slotOffsetRange(slot, amount, offset, range);
                } else {
                    amount = _mm_load_ps(form.amount);
                    offset = _mm_load_ps(form.offset);
                    range = _mm_load_ps(form.range);
                }
                __m128 mapped = x;
                if (form.map == kMapEmpty) {
                    mapped = _mm_setzero_ps();
                } else if (form.map != kMapCenter) {
                    const __m128 lower = _mm_load_ps(form.lower);
                    const __m128 below = _mm_cmplt_ps(x, lower);
                    offset = _mm_andnot_ps(below, offset);
                    range = _mm_andnot_ps(below, range);
                    __m128 m = _mm_mul_ps(_mm_sub_ps(x, lower), _mm_load_ps(form.scale));
                    if (form.map == kMapClamped) {
                        m = select(_mm_cmpgt_ps(m, _mm_set1_ps(1.0f)), _mm_set1_ps(1.0f), m);
                        m = select(_mm_cmplt_ps(m, _mm_setzero_ps()), _mm_setzero_ps(), m);
                    }
                    mapped = select(below, x, m);
                }
                switch (slot.kind) {
                case modslot::kMultiply:
                    term = volumeFactor4(mapped, amount);
                    break;
                case modslot::kPitch:
                    term = pitchOctaves4(_mm_add_ps(_mm_mul_ps(mapped, range), offset));
                    break;
                default:
                    term = _mm_add_ps(_mm_mul_ps(mapped, range), offset);
                    break;
                }
                if (folding && form.folds) {
                    _mm_store_ps(fold.x[i], x);
                    _mm_store_ps(fold.term[i], term);
                }
            }
            const int d = slot.dest;
            const __m128 out =
                slot.group == i ? _mm_set1_ps(voiceDestDefault[d]) : carried[slot.group];
            const __m128 result =
                slot.kind == modslot::kMultiply ? _mm_mul_ps(out, term) : _mm_add_ps(out, term);
            carried[slot.group] = result;
            if (!slot.lastOnDest) continue;
            alignas(16) float values[4];
            _mm_store_ps(values, result);
            for (int k = 0; k < 4; ++k) rowOf(k)[d] = values[k];
        }
    }
}

void APlugin::setVoiceModNoteStart(int v) {
    if (v < 0 || v >= kNumVoices) return;
    float* row = voiceDest[v];
    const float* source = voiceSource[v];
    std::memcpy(row, voiceDestDefault, sizeof(float) * kModDests);
    for (int i = 0; i < modSlotCount; ++i) {
        const int s = modSlotList[i];
        // The first evaluation of a note: no slot-amount chain yet, and a bipolar source runs
        // from -amount to +amount.
        const float amount = modSlotAmount[s];
        const float offset = modSlotBipolar[s] ? -amount : modSlotOffset[s];
        const modslot::Term term =
            modslot::contribution(source[modSlotSource[s]], amount, offset, modSlotLower[s],
                                  modSlotUpper[s], modSlotScale[s], modSlotBipolar[s], false);
        const int d = modSlotDest[s];
        if (modslot::isStartVolumeDest(d))
            row[d] *= modslot::volumeFactor(term.x, amount);
        else if (modslot::isPitchDest(d))
            row[d] += modslot::pitchOctaves(term.value());
        else
            row[d] += term.value();
    }
}

void APlugin::setDefaultVoiceMod(int v) {
    if (v < 0 || v >= kNumVoices) return;
    // One copy of the defaults, keeping the values the slots wrote this pass.
    float* row = voiceDest[v];
    float kept[16];
    for (int s = 0; s < 16; ++s) kept[s] = row[modSlotDest[s]];
    std::memcpy(row, voiceDestDefault, sizeof(float) * kModDests);
    for (int s = 0; s < 16; ++s) row[modSlotDest[s]] = kept[s];
    voiceDefaultSeen[v] = voiceDefaultSerial;
}

void APlugin::publishModShown() {
    bool sounding = false;
    for (int v = 0; v < kNumVoices; ++v)
        if (voicePressed[v] || voiceLevel[v] > 0.0001f) sounding = true;
    modShown.sounding = sounding;
    modShown.masterGain = masterGain;
    modShown.notesPlaying = getNotesPlaying();
    publishXYShown();
    publishArpShown();
    if (!sounding) return;
    const int w = currentVoice & 15;
    const float* row = voiceDest[w];
    for (int d = 0; d < kModDests; ++d) modShown.dest[d] = row[d];
    for (int osc = 0; osc < 2; ++osc) {
        modShown.oscGain[osc] = oscVoices[w][osc].gain[0];
        modShown.subGain[osc] = oscVoices[w][osc].subGain;
    }
    modShown.mainLfo = voiceSource[w][src::MainLfo + 1];
    modShown.modWheel = smoothModWheel[w];
    modShown.filterEnv = filterEnvSign * voiceEnv[w][1].value;
}

float APlugin::getModValue(int tagNum) {
    if (!isValidTag(tagNum)) return 0.0f;
    const float current = currentValues[tagNum];
    const int d = paramModDests[tagNum];
    if (d < 1 || d >= kModDests) return current;
    if (!modShown.sounding) return current;
    const auto& row = modShown.dest;

    switch (tagNum) {
    case tag::MainLfoSpeed:
        return clamp01(current + row[254] / kSpeedRingScale);
    case tag::FreeLfo1Speed:
        return clamp01(current + row[285] / kSpeedRingScale);
    case tag::FreeLfo2Speed:
        return clamp01(current + row[294] / kSpeedRingScale);
    case tag::Osc1LfoSpeed:
        return clamp01(current + row[oscDest(0, oscdest::LfoSpeed)] / kSpeedRingScale);
    case tag::Osc2LfoSpeed:
        return clamp01(current + row[oscDest(1, oscdest::LfoSpeed)] / kSpeedRingScale);
    case tag::MainVolume: {
        const float g = modShown.masterGain;
        if (!(g >= 0.001f)) return 0.0f;
        return clamp01((20.0f * std::log10(g) + 60.0f) / 70.0f);
    }
    case tag::Osc1Volume:
    case tag::Osc2Volume: {
        // The oscillator's modulated level, on the knob's 60 dB scale.
        const int osc = tagNum == tag::Osc1Volume ? 0 : 1;
        if (!getOnOff(osc == 0 ? tag::Osc1On : tag::Osc2On)) return current;
        const float level = modShown.oscGain[osc];
        if (!(level >= 0.001f)) return 0.0f;
        return clamp01((20.0f * std::log10(level) + 60.0f) / 60.0f);
    }
    case tag::Osc1SubVolume:
    case tag::Osc2SubVolume: {
        // The sub level on its 30 dB scale, drawn on the side of the centre the knob is on.
        const int osc = tagNum == tag::Osc1SubVolume ? 0 : 1;
        if (!getOnOff(osc == 0 ? tag::Osc1On : tag::Osc2On)) return current;
        const float level = modShown.subGain[osc];
        const float depth =
            level >= 0.001f ? clamp01((20.0f * std::log10(level) + 30.0f) / 30.0f) : 0.0f;
        return clamp01(current < 0.5f ? 0.5f - 0.5f * depth : 0.5f + 0.5f * depth);
    }
    case tag::HpFrequency:
        return clamp01(current + row[dest::HpFrequency]);
    case tag::FilterFrequency: {
        // The cutoff as the voice filter composes it: its own modulation, the mod wheel, the
        // filter envelope and the Main LFO's share.
        const float lfoDepth =
            currentValues[tag::MainLfoToFilterFrequency] + row[dest::MainLfoToFilter];
        const float wheel =
            (2.0f * currentValues[tag::ModWheelToFilterFrequency] - 1.0f) * modShown.modWheel;
        const float env =
            clamp01(currentValues[tag::FilterEnvAmount] + row[dest::FilterEnvAmount]) *
            modShown.filterEnv;
        return clamp01(current + row[dest::FilterFrequency] + wheel + env +
                       lfoDepth * lfoDepth * modShown.mainLfo);
    }
    default:
        return clamp01(current + row[d]);
    }
}
