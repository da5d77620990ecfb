// Parameter names, labels and value texts for the host and the editor's read-outs. Called on
// the host's threads and the editor's user-interface thread, never by the render loop; the
// values are read unlocked while the audio thread may be writing them.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Stored values are 0..1 by the write roads, but a chunk, a bank or a held lock value can
// still bring NaN or a value outside; every formula below is only bounded for 0..1.
float unitValue(float x) {
    if (!(x >= 0.0f)) return 0.0f; // NaN and negatives
    return x > 1.0f ? 1.0f : x;
}

int boundIndex(int index, int count) {
    if (index < 0) return 0;
    return index >= count ? count - 1 : index;
}

// Reads a string table with the index held inside it.
template <std::size_t N> const char* entry(const char* const (&table)[N], int index) {
    return table[boundIndex(index, static_cast<int>(N))];
}

// Truncation toward zero of a value in display units. A whole number typed in is stored as a
// float that may fall a hair short of it (5 cents is 0.52499998, so 104.999994 units): within a
// thousandth of a unit of a whole number counts as that number. Callers pass bounded values;
// the guard only keeps the conversion defined.
int truncInt(float x) {
    if (!(x > -1.0e9f && x < 1.0e9f)) return 0;
    constexpr float kUnitTolerance = 1e-3f;
    return static_cast<int>(x >= 0.0f ? x + kUnitTolerance : x - kUnitTolerance);
}

std::string intStr(long long n) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), n);
    return std::string(buffer, result.ptr);
}

// 2^x in double precision, rounded to float.
float pow2f(float x) {
    return static_cast<float>(std::pow(2.0, static_cast<double>(x)));
}

// Every frequency text: whole hertz below 1 kHz, kilohertz to a tenth from there on.
std::string frequencyStr(float hz) {
    if (hz < 1000.0f) return intStr(truncInt(hz)) + " Hz";
    return APlugin::getFloatStr(hz / 1000.0f, 1) + " KHz";
}

// The brick filter's own span (20 Hz at 0 to 81920 Hz at 1, twelve octaves): the voice filter's
// ten-octave text would name a frequency it does not run at.
std::string brickFreqStr(float value) {
    return frequencyStr(pow2f(BRICK_FILTER_OCTAVES * unitValue(value)) * BRICK_FILTER_BASE_HZ);
}

std::string percentStr(float v) {
    return APlugin::getFloatStr(100.0f * v, 1) + "%";
}

std::string bipolarPercentStr(float v) {
    return intStr(truncInt(200.0f * v) - 100) + "%";
}

std::string lowFiRateStr(float v) {
    return intStr(truncInt(44100.0f / pow2f(5.0f * v))) + " Hz";
}

std::string lowFiBitsStr(float v) {
    return APlugin::getFloatStr(16.0f - 15.99f * v, 1) + " Bits";
}

// Copies text into a host buffer: at most limit - 1 characters and the terminator.
void copyToHost(const std::string& text, char* out, std::size_t limit) {
    const std::size_t n = text.size() < limit - 1 ? text.size() : limit - 1;
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

constexpr std::size_t kHostTextBytes = kVstExtMaxParamStrLen;

// Envelope-time tags with their tempo-sync switch (-1: never synced) and whether the tag
// reads "Endless" at the top of its range.
struct EnvTimeRow {
    int timeTag;
    int syncTag;
    bool endless;
};
constexpr EnvTimeRow kEnvTimeRows[] = {
    {tag::AmpEnvAttack, -1, false},
    {tag::AmpEnvDecay, -1, false},
    {tag::AmpEnvRelease, -1, false},
    {tag::Osc1AmpEnvAttack, tag::Osc1AmpEnvSyncOn, false},
    {tag::Osc1AmpEnvDecay, tag::Osc1AmpEnvSyncOn, false},
    {tag::Osc1AmpEnvRelease, tag::Osc1AmpEnvSyncOn, true},
    {tag::Osc1PitchEnvAttack, tag::Osc1PitchEnvSyncOn, false},
    {tag::Osc1PitchEnvDecay, tag::Osc1PitchEnvSyncOn, false},
    {tag::Osc1PitchEnvRelease, tag::Osc1PitchEnvSyncOn, true},
    {tag::Osc2AmpEnvAttack, tag::Osc2AmpEnvSyncOn, false},
    {tag::Osc2AmpEnvDecay, tag::Osc2AmpEnvSyncOn, false},
    {tag::Osc2AmpEnvRelease, tag::Osc2AmpEnvSyncOn, true},
    {tag::Osc2PitchEnvAttack, tag::Osc2PitchEnvSyncOn, false},
    {tag::Osc2PitchEnvDecay, tag::Osc2PitchEnvSyncOn, false},
    {tag::Osc2PitchEnvRelease, tag::Osc2PitchEnvSyncOn, true},
    {tag::FilterEnvAttack, tag::FilterEnvSyncOn, false},
    {tag::FilterEnvDecay, tag::FilterEnvSyncOn, false},
    {tag::FilterEnvRelease, tag::FilterEnvSyncOn, true},
    {tag::Free1EnvAttack, tag::Free1EnvSyncOn, false},
    {tag::Free1EnvDecay, tag::Free1EnvSyncOn, false},
    {tag::Free1EnvRelease, tag::Free1EnvSyncOn, true},
    {tag::Free2EnvAttack, tag::Free2EnvSyncOn, false},
    {tag::Free2EnvDecay, tag::Free2EnvSyncOn, false},
    {tag::Free2EnvRelease, tag::Free2EnvSyncOn, true},
};

// Speeds of other tags (the modulation effect's) follow the main LFO's sync switch.
int lfoSyncTag(int speedTag) {
    const int sync = tag::lfoSpeedSyncTag(speedTag);
    return sync < 0 ? tag::MainLfoSyncOn : sync;
}

// How a distortion knob reads, per combined distortion mode and knob 1..7.
enum DistortKnob : uint8_t {
    kKnobPercent,   // 0.0% .. 100.0%
    kKnobBipolar,   // -100% .. 100%
    kKnobDB60,      // -30.0 .. 30.0 dB
    kKnobDB40,      // -20.0 .. 20.0 dB
    kKnobDB4030,    // -30.0 .. 10.0 dB
    kKnobFrequency, // filter frequency
    kKnobAmpModel,
    kKnobCabModel,
    kKnobLowFiRate,
    kKnobLowFiBits
};

constexpr DistortKnob kKnobsAmp[7] = {kKnobDB40, kKnobAmpModel, kKnobPercent, kKnobDB40,
                                      kKnobDB40, kKnobDB40,     kKnobPercent};
constexpr DistortKnob kKnobsCab[7] = {kKnobDB40, kKnobCabModel, kKnobPercent, kKnobDB40,
                                      kKnobDB40, kKnobDB40,     kKnobPercent};
constexpr DistortKnob kKnobsClipper[7] = {kKnobDB60,    kKnobFrequency, kKnobPercent,
                                          kKnobBipolar, kKnobFrequency, kKnobFrequency,
                                          kKnobDB60};
constexpr DistortKnob kKnobsLowFi[7] = {kKnobDB60,    kKnobLowFiRate, kKnobLowFiBits,
                                        kKnobPercent, kKnobFrequency, kKnobFrequency,
                                        kKnobDB60};
constexpr DistortKnob kKnobsTube[7] = {kKnobPercent, kKnobBipolar, kKnobPercent, kKnobFrequency,
                                       kKnobPercent, kKnobBipolar, kKnobDB4030};
constexpr DistortKnob kKnobsWaveShaper[7] = {
    kKnobDB60, kKnobPercent, kKnobPercent, kKnobBipolar, kKnobFrequency, kKnobFrequency, kKnobDB60};
constexpr DistortKnob kKnobsSymmetric[7] = {
    kKnobDB60, kKnobPercent, kKnobBipolar, kKnobPercent, kKnobFrequency, kKnobFrequency, kKnobDB60};
constexpr DistortKnob kKnobsPlain[7] = {kKnobDB60,      kKnobPercent,   kKnobPercent, kKnobPercent,
                                        kKnobFrequency, kKnobFrequency, kKnobDB60};

const DistortKnob* distortKnobs(int mode) {
    switch (mode) {
    case 0: // Amp
        return kKnobsAmp;
    case 3: // Cab
        return kKnobsCab;
    case 4: // Clipper
        return kKnobsClipper;
    case 13: // Low-Fi
        return kKnobsLowFi;
    case 24: // Tube
        return kKnobsTube;
    case 26: // WaveShaper
        return kKnobsWaveShaper;
    default:
        return tag::distortThirdKnobIsBipolar(mode) ? kKnobsSymmetric : kKnobsPlain;
    }
}

// The map's cells index the rows of the per-mode name tables.
constexpr bool distortModesInRange() {
    for (const auto& row : REAL_DISTORT_MODES)
        for (int mode : row)
            if (mode < 0 || mode >= DISTORT_FX_MODE_COUNT) return false;
    return true;
}
static_assert(distortModesInRange(), "every distortion mode names a row");

// Combined distortion mode of a voice-distortion menu entry, and of a distortion-FX entry.
int voiceDistortMode(int menuIndex) {
    return REAL_DISTORT_MODES[0][boundIndex(menuIndex, DISTORT_VOICE_MODE_COUNT)];
}

int fxDistortMode(int menuIndex) {
    return REAL_DISTORT_MODES[1][boundIndex(menuIndex, DISTORT_FX_MODE_COUNT)];
}

// Destinations whose short names follow the distortion modes: the voice distortion's mix and
// knobs, and the same eight of the distortion FX.
constexpr int kVoiceDistortDestFirst = 158, kVoiceDistortDestLast = 165;
constexpr int kFxDistortDestFirst = 171, kFxDistortDestLast = 178;

} // namespace

// ---------------------------------------------------------------------------------------------
// Host queries and their string forms

void APlugin::getParameterDisplay(VstInt32 tag, char* text) {
    if (!text) return;
    text[0] = ' ';
    text[1] = 0;
    if (!isValidTag(tag)) return;
    copyToHost(parameterDisplayText(tag), text, kHostTextBytes);
}

void APlugin::getParameterName(VstInt32 tag, char* name) {
    if (!name) return;
    name[0] = 0;
    if (!isValidTag(tag)) return;
    // The longest renamed knob has 47 characters; the host gets the first 31.
    copyToHost(parameterNameText(tag), name, kHostTextBytes);
}

void APlugin::getParameterLabel(VstInt32, char* label) {
    // Units are part of the value texts, so the label is the same blank for every tag.
    if (label) copyToHost(" ", label, kHostTextBytes);
}

std::string APlugin::getParameterNameStr(int tag) {
    return isValidTag(tag) ? parameterNameText(tag) : std::string();
}

std::string APlugin::getParameterDisplayStr(int tag) {
    return isValidTag(tag) ? parameterDisplayText(tag) : std::string(" ");
}

std::string APlugin::parameterNameText(int tag) const {
    if (tag >= tag::Distortion1 && tag < tag::Distortion1 + tag::DistortionKnobCount) {
        const int mode = voiceDistortMode(textIndex(tag::VoiceDistortionMode));
        return DISTORT_MODE_VAR_STR[mode][tag - tag::VoiceDistortionMix];
    }
    if (tag >= tag::DistortionFx1 && tag < tag::DistortionFx1 + tag::DistortionKnobCount) {
        const int mode = fxDistortMode(distortFXMode);
        return std::string("DistortFX ") + DISTORT_MODE_VAR_STR[mode][tag - tag::DistortionFxMix];
    }
    if (tag >= tag::ModFx1 && tag < tag::ModFx1 + tag::ModFxKnobCount) {
        const int mode = boundIndex(textIndex(tag::ModFxMode), MOD_FX_MODE_COUNT);
        return MOD_FX_LABEL_STR[mode][tag - tag::ModFx1];
    }
    return getParamName(tag);
}

void APlugin::updateDistortFXMode() {
    distortFXMode = fxDistortMode(textIndex(tag::DistortFxMode));
}

// ---------------------------------------------------------------------------------------------
// Values as the texts read them

// The current value, held to 0..1.
float APlugin::textValue(int tag) const {
    return unitValue(getCurrentValue(tag));
}

// The stepped index of the current value with the tag's own range and count.
int APlugin::textIndex(int tag) const {
    return getSteppedValue(tag, textValue(tag));
}

// The stepped index of the lock-aware value: the held copy while the tag's section is locked.
int APlugin::textLockIndex(int tag) const {
    if (!isValidTag(tag)) return 0;
    return getSteppedValue(tag,
                           unitValue(getTagLocked(tag) ? lockValues[tag] : currentValues[tag]));
}

// ---------------------------------------------------------------------------------------------
// Number texts

std::string APlugin::getFloatStr(float value, int decimals) {
    const double x = std::isfinite(value) ? static_cast<double>(value) : 0.0;
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    // A float's integer part has at most 39 digits.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), x, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

std::string APlugin::getDBStr(int tag, float scale, float offset) const {
    return getFloatStr(scale * textValue(tag) - offset, 1) + " dB";
}

std::string APlugin::getDBStr(float value, float scale, float offset) {
    return getFloatStr(value * scale - offset, 1) + " dB";
}

// 20 Hz at 0 to 20480 Hz at 1, ten octaves.
std::string APlugin::getFilterFreqStr(float value) {
    return frequencyStr(pow2f(10.0f * unitValue(value)) * 20.0f);
}

std::string APlugin::getEnvLenStr(float value, bool flag, bool synced, bool endless) {
    const float x = unitValue(value);
    if (x > 0.999f && endless) return "Endless";
    if (synced) return entry(ENV_TEMPO_SYNC_STR, getSteppedValue(x, 30.99f, ENV_TEMPO_SYNC_COUNT));
    return getEnvLenStr(x, flag);
}

// 1 ms at 0 to 16384 ms at 1, fourteen octaves.
std::string APlugin::getEnvLenStr(float value, bool) {
    const float t = std::floor(pow2f(14.0f * unitValue(value)));
    if (t < 1000.0f) return intStr(truncInt(t)) + " ms";
    return getFloatStr(t / 1000.0f, 2) + " sec";
}

std::string APlugin::getFadeLenStr(float value, float sustain, bool synced) {
    if (synced) {
        return entry(FADE_ENV_TEMPO_SYNC_STR,
                     getSteppedValue(unitValue(value), 60.99f, FADE_ENV_TEMPO_SYNC_COUNT));
    }
    return getFadeLenStr(value, sustain);
}

// Above the centre the level fades up toward full, below it fades down toward silence; the
// time is how long the remaining distance from the sustain level takes.
std::string APlugin::getFadeLenStr(float value, float sustain) {
    const float x = unitValue(value);
    const float s = unitValue(sustain);
    if (std::fabs(x - 0.5f) < 0.002f) return "Off";
    const float d = 2.0f * x - 1.0f;
    float y;
    const char* prefix;
    if (d > 0.0f) {
        y = (1.0f - s) * std::floor(pow2f(18.0f - 18.0f * d));
        prefix = "Up ";
    } else {
        y = s * std::floor(pow2f(18.0f + 18.0f * d));
        prefix = "Down ";
    }
    if (y < 0.1f) return "Off";
    if (y < 1000.0f) return prefix + intStr(truncInt(y)) + " ms";
    return prefix + getFloatStr(y / 1000.0f, 2) + " sec";
}

std::string APlugin::getLFOSpeedStr(int tag, bool synced) const {
    if (synced)
        return entry(LFO_PERIOD_STR, getSteppedValue(textValue(tag), 33.99f, LFO_PERIOD_COUNT));
    return getLFOSpeedStr(tag, 4096.0f, 14.0f, true);
}

std::string APlugin::getLFOSpeedStr(int tag, float divisor, float octaves, bool offAllowed) const {
    const float c = textValue(tag);
    if (offAllowed && c < 0.00001f) return "Off";
    return getFloatStr(pow2f(octaves * c) * (55.0f / divisor), 2) + " Hz";
}

// ---------------------------------------------------------------------------------------------
// Value texts by display type

std::string APlugin::parameterDisplayText(int tag) {
    const float v = unitValue(getLockVar(tag));
    const int type = getDisplayType(tag);
    if (type >= 1 && type <= 25) return displayTypeText(tag, type, v);
    return perTagText(tag, v);
}

std::string APlugin::displayTypeText(int tag, int type, float v) {
    switch (type) {
    case 1:
        return OFF_ON_STR[getOnOff(tag) ? 1 : 0];
    case 2:
        return percentStr(v);
    case 3:
        return getFloatStr(200.0f * v - 100.0f, 1) + "%";
    case 4:
        return getDBStr(tag, 70.0f, 60.0f);
    case 5:
        return getDBStr(tag, 60.0f, 60.0f);
    case 6: {
        // The same gain on either side of the centre; the centre itself is off.
        const float d = std::fabs(v - 0.5f);
        if (d <= 0.001f) return "Off";
        return getDBStr(d + d, 30.0f, 30.0f);
    }
    case 7:
        return intStr(truncInt(127.0f * v));
    case 8:
        if (v >= 0.499f && v <= 0.501f) return "C";
        if (v > 0.501f) return intStr(truncInt(200.0f - 200.0f * v)) + "% L / 100% R";
        return "100% L / " + intStr(truncInt(200.0f * v)) + "% R";
    case 9:
        if (v >= 0.499f && v <= 0.501f) return "Equal";
        if (v > 0.501f) return intStr(truncInt(200.0f - 200.0f * v)) + "% D / 100% W";
        return "100% D / " + intStr(truncInt(200.0f * v)) + "% W";
    case 10:
        return intStr(truncInt(96.99f * v) - 48) + " Semi";
    case 11:
        return intStr(truncInt(200.0f * v) - 100) + " C";
    case 12:
        if (tag == tag::BrickFilterFrequency) return brickFreqStr(getParameter(tag));
        return getFilterFreqStr(getParameter(tag));
    case 13:
        return getDBStr(tag, 40.0f, 20.0f);
    case 14: {
        bool synced = false, endless = false;
        for (const EnvTimeRow& row : kEnvTimeRows) {
            if (row.timeTag != tag) continue;
            synced = row.syncTag >= 0 && getOnOff(row.syncTag);
            endless = row.endless;
        }
        return getEnvLenStr(v, false, synced, endless);
    }
    case 15:
        if (tag == tag::Free1EnvFade) {
            return getFadeLenStr(v, textValue(tag::Free1EnvSustain), getOnOff(tag::Free1EnvSyncOn));
        }
        return getFadeLenStr(v, textValue(tag::Free2EnvSustain), getOnOff(tag::Free2EnvSyncOn));
    case 16:
        return getLFOSpeedStr(tag, getOnOff(lfoSyncTag(tag)));
    case 17:
        return intStr(truncInt(72.99f * v) - 36);
    case 18:
        // The step ratchets have nine steps, the names only four; the higher steps read as
        // the last name rather than past the table.
        return entry(ARP_RATCHET_STR, getSteppedValue(tag, v));
    case 19:
    case 20: {
        const int sourceTag = tag - (type == 19 ? 16 : 32);
        if (modSrcIsBipolar(textIndex(sourceTag))) return bipolarPercentStr(v);
        return intStr(truncInt(100.0f * v)) + "%";
    }
    case 21:
        return modAmountText(tag - 32, v);
    case 22:
        if (modSrcHasNoOffset(textIndex(tag - 64))) return "---";
        return modAmountText(tag - 16, v);
    case 23:
        return entry(SRC_SHORT_STR, textIndex(tag));
    case 24:
        return modDestText(textIndex(tag));
    default:
        return "INTERNAL";
    }
}

// A slot's amount in the unit of the destination that the slot's destination tag selects.
std::string APlugin::modAmountText(int destTag, float v) const {
    switch (modDestUnit(textIndex(destTag))) {
    case MOD_UNIT_SEMITONES:
        return getFloatStr(static_cast<float>(truncInt(v * 36.0f * 200.0f - 3600.0f)) * 0.01f, 2) +
               " sm";
    case MOD_UNIT_SPEED:
        return "x " + getFloatStr(pow2f(4.0f * v - 2.0f), 2);
    case MOD_UNIT_OCTAVES:
        return intStr(truncInt((2.0f * v - 1.0f) * 8.99f + 0.1f)) + " Octave";
    default:
        return bipolarPercentStr(v);
    }
}

std::string APlugin::modDestText(int dest) const {
    if (dest >= kVoiceDistortDestFirst && dest <= kVoiceDistortDestLast) {
        const int mode = voiceDistortMode(textIndex(tag::VoiceDistortionMode));
        return DISTORT_MODE_VAR_SHORT_STR[mode][dest - kVoiceDistortDestFirst];
    }
    if (dest >= kFxDistortDestFirst && dest <= kFxDistortDestLast) {
        const int mode = fxDistortMode(distortFXMode);
        return std::string("DistortFX ") +
               DISTORT_MODE_VAR_SHORT_STR[mode][dest - kFxDistortDestFirst];
    }
    return entry(DEST_SHORT_STR, dest);
}

// ---------------------------------------------------------------------------------------------
// Value texts chosen by the tag itself

std::string APlugin::perTagText(int tag, float v) {
    if (tag >= tag::Distortion1 && tag < tag::Distortion1 + tag::DistortionKnobCount)
        return distortVarText(tag, v);
    if (tag >= tag::DistortionFx1 && tag < tag::DistortionFx1 + tag::DistortionKnobCount)
        return distortVarText(tag, v);

    switch (tag) {
    case tag::FilterVowel:
        return filterVowelText(v);
    case tag::LowFiBits:
        return lowFiBitsStr(v);
    case tag::LowFiSampleRate:
        return lowFiRateStr(v);
    case tag::ModFx1: {
        const int mode = textIndex(tag::ModFxMode);
        if (mode <= 4) return getFloatStr(50.0f * v, 1) + " ms";
        if (mode <= 6) return getFilterFreqStr(getParameter(tag));
        if (mode <= 8) return entry(LFO_WAVE_STR, getSteppedValue(v, 7.99f, LFO_WAVE_COUNT));
        return entry(RING_STR, getSteppedValue(v, 3.99f, RING_COUNT));
    }
    case tag::ModFx2:
        if (textIndex(tag::ModFxMode) == 6) return getFilterFreqStr(getParameter(tag));
        return percentStr(v);
    case tag::ModFx3:
        if (textIndex(tag::ModFxMode) == 9) return getFilterFreqStr(getParameter(tag));
        if (getOnOff(tag::ModFxTempoSyncOn))
            return entry(FX_PERIOD_STR, getSteppedValue(textValue(tag), 33.99f, FX_PERIOD_COUNT));
        return getLFOSpeedStr(tag, 4096.0f, 14.0f, true);
    case tag::ModFx4:
        return percentStr(v);
    case tag::DelayLeft:
    case tag::DelayRight:
        if (getOnOff(tag::DelayTempoSyncOn)) return entry(DELAY_LEN_STR, truncInt(14.99f * v));
        return getFloatStr(pow2f(12.0f * v), 1) + " ms";
    case tag::ReverbPreDelay:
        return getFloatStr((pow2f(10.0f * v) - 1.0f) * 0.5f, 1) + " ms";
    case tag::ReverbSize:
        return getFloatStr(std::floor(30.75f * v + 1.0f) * 0.25f, 1) + " m^3";
    case tag::ReverbLength:
        return intStr(truncInt(pow2f(8.0f * v - 6.0f) * 100.0f)) + "%";
    case tag::PlayMode:
        if (getOnOff(tag::ArpOn)) return "Arp";
        return entry(PLAY_MODE_STR, textIndex(tag));
    case tag::PortamentoMode:
        return entry(PORT_MODE_STR, textIndex(tag));
    case tag::PitchBendDown:
    case tag::PitchBendUp:
        return entry(PITCH_BEND_SEMI_STR, textIndex(tag));
    case tag::UnisonMode:
        return entry(UNI_MODE_STR, textIndex(tag));
    case tag::UnisonDelay:
        if (getOnOff(tag::UnisonDelaySyncOn)) {
            return entry(UNI_DELAY_TEMPO_SYNC_STR,
                         getSteppedValue(v, 30.99f, UNI_DELAY_TEMPO_SYNC_COUNT));
        }
        return intStr(truncInt(100.0f * v)) + "%";
    case tag::GlobalTuning:
        return intStr(truncInt(440.0f * pow2f(2.0f * v - 1.0f))) + " Hz";
    case tag::OscPath:
        return "Osc Path";
    case tag::Osc1Type:
    case tag::Osc2Type:
        return entry(OSC_TYPE_STR, textIndex(tag));
    case tag::Osc1Octave:
    case tag::Osc2Octave:
        return entry(OSC_OCT_STR, textIndex(tag));
    case tag::Osc2ModMode:
        return entry(OSC_MOD_MODE_STR, textIndex(tag));
    case tag::FilterType:
        return entry(FILTER_TYPE_STR, textIndex(tag));
    case tag::PreEqFilterMode:
    case tag::PostEqFilterMode:
        return entry(EQ_FILTER_TYPE_STR, textIndex(tag));
    case tag::VoiceDistortionMode:
        return entry(DISTORT_VOICE_MODE_STR, textIndex(tag));
    case tag::FxPath:
        return "FX Path";
    case tag::DistortFxMode:
        return entry(DISTORT_FX_MODE_STR, textIndex(tag));
    case tag::ModFxMode:
        return entry(MOD_FX_MODE_STR, textIndex(tag));
    case tag::GaterSpeed:
        return entry(GATER_PERIOD_STR, textIndex(tag));
    case tag::GaterSteps:
        // The entries already end in "Step" or "Steps"; the unit is appended all the same.
        return std::string(entry(GATER_STEPS_STR, textIndex(tag))) + " Steps";
    case tag::GaterMode:
        return entry(GATER_MODE_STR, textIndex(tag));
    case tag::GaterPosition:
        return entry(GATER_POS_STR, textIndex(tag));
    case tag::GaterLeft:
        return "Gater Left";
    case tag::GaterRight:
        return "Gater Right";
    case tag::MainLfoWave:
    case tag::FreeLfo1Wave:
    case tag::FreeLfo2Wave:
        return entry(LFO_WAVE_STR, textIndex(tag));
    case tag::MainLfoPlayMode:
    case tag::FreeLfo1PlayMode:
    case tag::FreeLfo2PlayMode:
        return entry(LFO_PLAY_MODE_STR, textIndex(tag));
    case tag::MainLfoPhase:
        return entry(LFO_PHASE_STR, textIndex(tag));
    case tag::FreeLfo12Mode:
        return entry(LFO_12_MODE_STR, textIndex(tag));
    case tag::RibbonSpringTime:
        return entry(RIBBON_SPRING_TIME_STR, textIndex(tag));
    case tag::RibbonQuantization:
        return entry(RIBBON_QUANT_STR, textIndex(tag));
    case tag::ArpPlayMode:
        return entry(ARP_PLAY_MODE_STR, textLockIndex(tag));
    case tag::ArpMode:
        return entry(ARP_MODE_STR, textLockIndex(tag));
    case tag::ArpLoopMode:
        return entry(ARP_LOOP_MODE_STR, getSteppedValue(tag, v));
    case tag::ArpStartCatchup:
    case tag::ArpStepsCatchup:
        return entry(ARP_CATCHUP_STR, getSteppedValue(tag, v));
    case tag::ArpOctave:
        return entry(ARP_OCT_STR, textLockIndex(tag));
    case tag::ArpTiedMode:
        return entry(ARP_TIED_MODE_STR, getSteppedValue(tag, v));
    case tag::ArpRatchetMode:
        return entry(ARP_RATCHET_MODE_STR, textLockIndex(tag));
    case tag::ArpLock:
        return entry(LOCK_STR, textLockIndex(tag));
    case tag::SeqLoopStartA:
    case tag::SeqLoopStartA + tag::SeqStride:
        return entry(ARP_LOOP_START_STR, textLockIndex(tag));
    case tag::SeqStepsA:
    case tag::SeqStepsA + tag::SeqStride:
        return entry(ARP_STEPS_STR, textLockIndex(tag));
    case tag::SeqSpeedA:
    case tag::SeqSpeedA + tag::SeqStride:
        // The entries already end in "BPM"; the unit is appended all the same.
        return std::string(entry(ARP_SPEED_STR, textLockIndex(tag))) + " BPM";
    case tag::Xy1RecordMode:
    case tag::Xy2RecordMode:
        return entry(XY_RECORD_MODE_STR, textIndex(tag));
    case tag::Xy1LoopMode:
    case tag::Xy2LoopMode:
        return entry(XY_LOOP_MODE_STR, textIndex(tag));
    case tag::Xy1PlayMode:
    case tag::Xy2PlayMode:
        return entry(XY_PLAY_MODE_STR, textIndex(tag));
    case tag::Xy1Sync:
    case tag::Xy2Sync:
        return entry(ENV_TEMPO_SYNC_STR, textIndex(tag));
    case tag::Xy1Speed:
    case tag::Xy2Speed:
        return std::string(entry(XY_SPEED_STR, textIndex(tag))) + " x Tempo";
    case tag::UserWaveShaperMode:
        return entry(USER_WAVE_SHAPER_MODE_STR, textIndex(tag));
    case tag::UserWaveShaper1:
        switch (textIndex(tag::UserWaveShaperMode)) {
        case 0:
            return "n/a";
        case 1:
        case 4:
        case 6:
        case 7:
            return intStr(truncInt(200.0f * v - 100.0f)) + "%";
        case 2:
            return intStr(truncInt(200.0f * v)) + "%";
        default:
            return intStr(truncInt(100.0f * v)) + "%";
        }
    case tag::UserWaveShaper2:
        switch (textIndex(tag::UserWaveShaperMode)) {
        case 0:
        case 3:
        case 4:
        case 5:
        case 9:
            return "n/a";
        case 2:
            return intStr(truncInt(200.0f * v)) + "%";
        default:
            return intStr(truncInt(100.0f * v)) + "%";
        }
    case tag::UserWave1Preset:
    case tag::UserWave2Preset:
        if (v > 0.99f) return "User";
        return entry(USER_WAVE_PRESET_STR, getSteppedValue(v, 511.99f, USER_WAVE_PRESET_COUNT));
    default:
        return "----";
    }
}

// The vowel knob is a vowel for most filter types, a morph between outputs for the multi
// types and a plain amount for the formant types.
std::string APlugin::filterVowelText(float v) const {
    const int type = textIndex(tag::FilterType);
    if (type == 36 || type == 37) return percentStr(v);
    if (type == 15 || type == 31) {
        if (v < 0.01f) return FILTER_MULTI_1_STR[0];
        if (v > 0.99f) return FILTER_MULTI_1_STR[1];
        const int p = truncInt(100.0f * v);
        return std::string(FILTER_MULTI_1_STR[0]) + ": " + intStr(100 - p) + "%, " +
               FILTER_MULTI_1_STR[1] + ": " + intStr(p) + "%";
    }
    if (type == 16 || type == 32) {
        const float x = 1.999f * v;
        const int i = boundIndex(truncInt(x), FILTER_MULTI_2_COUNT - 1);
        const float r = x - static_cast<float>(i);
        if (r < 0.01f) return FILTER_MULTI_2_STR[i];
        if (r > 0.99f) return FILTER_MULTI_2_STR[i + 1];
        const int p = truncInt(100.0f * r);
        return std::string(FILTER_MULTI_2_STR[i]) + ": " + intStr(100 - p) + "%, " +
               FILTER_MULTI_2_STR[i + 1] + ": " + intStr(p) + "%";
    }
    return entry(FILTER_VOWEL_STR,
                 getSteppedValue(textValue(tag::FilterVowel), 4.99f, FILTER_VOWEL_COUNT));
}

// Knobs 1..7 of the voice distortion (mode from its menu) and of the distortion FX (mode from
// tag 339 at once, not from the applied mode that names them).
std::string APlugin::distortVarText(int tag, float v) {
    const bool voice = tag < tag::DistortionFx1;
    const int mode = voice ? voiceDistortMode(textIndex(tag::VoiceDistortionMode))
                           : fxDistortMode(textIndex(tag::DistortFxMode));
    const int knob = tag - (voice ? tag::Distortion1 : tag::DistortionFx1);
    switch (distortKnobs(mode)[knob]) {
    case kKnobBipolar:
        return bipolarPercentStr(v);
    case kKnobDB60:
        return getDBStr(tag, 60.0f, 30.0f);
    case kKnobDB40:
        return getDBStr(tag, 40.0f, 20.0f);
    case kKnobDB4030:
        return getDBStr(tag, 40.0f, 30.0f);
    case kKnobFrequency:
        return getFilterFreqStr(getParameter(tag));
    case kKnobAmpModel:
        return entry(AMP_MODEL_STR, truncInt(5.99f * v));
    case kKnobCabModel:
        return entry(CAB_MODEL_STR, truncInt(3.99f * v));
    case kKnobLowFiRate:
        return lowFiRateStr(v);
    case kKnobLowFiBits:
        return lowFiBitsStr(v);
    default:
        return percentStr(v);
    }
}
