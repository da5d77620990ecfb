// Typed entry of parameter values: setNumValue picks the entry form from the tag and its
// descriptor, asks through the modal input box and writes the converted value. Called on the
// user-interface thread only; the box blocks that thread while the engine keeps rendering.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"
#include "platform/dialogs.h"
#include "platform/strings.h"

#include <cmath>
#include <cstring>

namespace {

// Integers typed by the user saturate here, far beyond every range, so that sums such as
// n + 36 or n - 1 can never overflow.
constexpr long long kEntryIntLimit = 1000000000;

// Truncation toward zero of a value the caller has bounded; the guard keeps it defined.
int truncInt(double x) {
    if (!(x > -1.0e9 && x < 1.0e9)) return 0;
    return static_cast<int>(x);
}

std::string intText(long long n) {
    return std::to_string(n);
}

// The step a stored value shows as int(value x range), held inside the table it indexes.
int heldIndex(float value, float range, int count) {
    const int i = truncInt(static_cast<double>(value) * range);
    if (i < 0) return 0;
    return i >= count ? count - 1 : i;
}

double log2d(double x) {
    return std::log2(x);
}

// The tempo-sync switch of an envelope time; -1 for the amp envelope, which has none.
int envSyncTag(int tagNum) {
    struct Row {
        int first;
        int sync;
    };
    // Attack, decay and release lie at first, first + 1 and first + 3 (the sustain between).
    static constexpr Row kRows[] = {
        {tag::Osc1AmpEnvAttack, tag::Osc1AmpEnvSyncOn},
        {tag::Osc1PitchEnvAttack, tag::Osc1PitchEnvSyncOn},
        {tag::Osc2AmpEnvAttack, tag::Osc2AmpEnvSyncOn},
        {tag::Osc2PitchEnvAttack, tag::Osc2PitchEnvSyncOn},
        {tag::FilterEnvAttack, tag::FilterEnvSyncOn},
    };
    for (const Row& row : kRows)
        if (tagNum == row.first || tagNum == row.first + 1 || tagNum == row.first + 3)
            return row.sync;
    // The free envelopes carry a fade between sustain and release.
    if (tagNum == tag::Free1EnvAttack || tagNum == tag::Free1EnvDecay ||
        tagNum == tag::Free1EnvRelease)
        return tag::Free1EnvSyncOn;
    if (tagNum == tag::Free2EnvAttack || tagNum == tag::Free2EnvDecay ||
        tagNum == tag::Free2EnvRelease)
        return tag::Free2EnvSyncOn;
    return -1;
}

// The modulation-FX modes by their index in MOD_FX_MODE_STR.
constexpr int kModFXLastDelayMode = 4; // 0..4: chorus, flanger and ensemble modes
constexpr int kModFXPhaser = 5;
constexpr int kModFXWahWah = 6;
constexpr int kModFXAutoPan = 8;
constexpr int kModFXRingMod = 9;

} // namespace

// ---------------------------------------------------------------------------------------------
// Parsing and the input-box cycle

bool APlugin::entryNumber(const char* text, bool strip, double& x) {
    if (text == nullptr) return false;
    const std::string typed(text, strnlen(text, kEntryTextBytes - 1));
    if (parseTypedNumber(typed, strip, x)) return true;
    refuseTypedNumber(typed);
    return false;
}

bool APlugin::entryInteger(const char* text, bool strip, int& n) {
    double x = 0.0;
    if (!entryNumber(text, strip, x)) return false;
    // A number between two steps takes the nearer one; beyond every range it saturates.
    const double limit = static_cast<double>(kEntryIntLimit);
    n = static_cast<int>(std::lround(x < -limit ? -limit : (x > limit ? limit : x)));
    return true;
}

bool APlugin::askEntry(int tagNum, const std::string& prompt, const std::string& initial,
                       char (&text)[kEntryTextBytes]) {
    std::string title = getParameterNameStr(tagNum);
    title.resize(utf8CutLength(title, kEntryTitleChars));
    copyToBuffer(initial, text, sizeof text);
    inputBox(prompt, title, text, sizeof text);
    return text[0] != 0;
}

void APlugin::writeEntry(int tagNum, double value) {
    if (std::isnan(value)) return;
    if (value < 0.0) value = 0.0;
    if (value > 1.0) value = 1.0;
    setParameter(tagNum, static_cast<float>(value));
}

// ---------------------------------------------------------------------------------------------
// The entry forms

void APlugin::setNumPer(int tagNum, bool bipolar) {
    if (!isValidTag(tagNum)) return;
    const float v = getParameter(tagNum);
    char text[kEntryTextBytes];
    const std::string initial = floatString(bipolar ? v * 200.0f - 100.0f : v * 100.0f, 1);
    if (!askEntry(tagNum, bipolar ? "-100 to 100%" : "0 to 100%", initial, text)) return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return;
    writeEntry(tagNum, bipolar ? x / 200.0 + 0.5 : x / 100.0);
}

void APlugin::setNumVol(int tagNum, float scale, float offset, const std::string& prompt) {
    if (!isValidTag(tagNum) || !(scale != 0.0f)) return;
    char text[kEntryTextBytes];
    const std::string initial = floatString(getParameter(tagNum) * scale - offset, 1);
    if (!askEntry(tagNum, prompt, initial, text)) return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return;
    writeEntry(tagNum, x / scale + static_cast<double>(offset) / scale);
}

void APlugin::setNumFilter(int tagNum) {
    if (!isValidTag(tagNum)) return;
    char text[kEntryTextBytes];
    if (!askEntry(tagNum, "20 Hz to 20500 Hz", getFilterFreqStr(getParameter(tagNum)), text))
        return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return;
    // 20 Hz is the bottom of the scale; a zero or negative frequency has no logarithm.
    writeEntry(tagNum, x > 0.0 ? log2d(x / 20.0) / 10.0 : 0.0);
}

void APlugin::setNumSpeed(int tagNum, bool synced) {
    if (!isValidTag(tagNum)) return;
    char text[kEntryTextBytes];
    const std::string initial = getParameterDisplayStr(tagNum);
    if (synced) {
        if (!askEntry(tagNum, "0 to " + intText(LFO_PERIOD_COUNT - 1), initial, text)) return;
        int n = 0;
        if (!entryInteger(text, true, n)) return;
        setSteppedValue(tagNum, n, 33.99f, LFO_PERIOD_COUNT);
        return;
    }
    if (!askEntry(tagNum, "0 to 220 Hz", initial, text)) return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return;
    writeEntry(tagNum, x < 0.000001 ? 0.0 : log2d(x * 4096.0 / 55.0) / 14.0);
}

void APlugin::setNumLowFi(int tagNum, bool rate) {
    if (!isValidTag(tagNum)) return;
    char text[kEntryTextBytes];
    const std::string initial = getParameterDisplayStr(tagNum);
    if (!askEntry(tagNum, rate ? "44100 to 1400 Hz" : "0 to 16 Bits", initial, text)) return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return;
    if (!rate) {
        writeEntry(tagNum, 1.0 - x / 15.99);
        return;
    }
    // The rate falls as the value rises; a zero or negative rate has no logarithm and takes
    // the crudest rate, where the scale tends as the typed rate approaches 0.
    writeEntry(tagNum, x > 0.0 ? log2d(44100.0 / x) / 5.0 : 1.0);
}

void APlugin::setNumStepped(int tagNum, float range, int count) {
    if (!isValidTag(tagNum) || count < 1 || !(range > 0.0f)) return;
    char text[kEntryTextBytes];
    const std::string initial =
        intText(truncInt(static_cast<double>(getParameter(tagNum)) * range));
    if (!askEntry(tagNum, "0 to " + intText(count - 1), initial, text)) return;
    int n = 0;
    if (!entryInteger(text, true, n)) return;
    // n / range reads back as step n: the reader adds 0.1 before it truncates.
    writeEntry(tagNum, n / static_cast<double>(range));
}

void APlugin::setNumSteppedStr(int tagNum, float range, int count, const char* const* names) {
    if (!isValidTag(tagNum) || count < 1 || !(range > 0.0f) || names == nullptr) return;
    const int current = heldIndex(getParameter(tagNum), range, count);
    std::string prompt = std::string(names[0]) + " (0) to " + names[count - 1] + " (" +
                         intText(count - 1) + ")" + " Currently :" + names[current] + " (" +
                         intText(current) + ")";
    prompt.resize(utf8CutLength(prompt, kEntryTextBytes - 1));
    char text[kEntryTextBytes];
    if (!askEntry(tagNum, prompt, intText(current), text)) return;
    int n = 0;
    if (!entryInteger(text, true, n)) return;
    writeEntry(tagNum, n / static_cast<double>(range));
}

// ---------------------------------------------------------------------------------------------
// The dispatcher

void APlugin::setNumValue(int tagNum) {
    if (!isValidTag(tagNum)) return;
    if (setNumSequenceA(tagNum)) return;
    // Main LFO Speed is stepped in its descriptor but is entered as a speed.
    const int syncTag = tag::lfoSpeedSyncTag(tagNum);
    if (syncTag >= 0) {
        setNumSpeed(tagNum, getOnOff(syncTag));
        return;
    }
    if (setNumEffect(tagNum)) return;
    if (paramSteppedNums[tagNum] != -1) {
        setNumStepped(tagNum, paramSteppedRanges[tagNum], paramSteppedNums[tagNum]);
        return;
    }
    setNumByDisplayType(tagNum);
}

// Sequence A's loop start, step count, step velocities, tunes and ratchets; sequence B's
// counterparts take the general rules.
bool APlugin::setNumSequenceA(int tagNum) {
    char text[kEntryTextBytes];
    if (tagNum == tag::SeqLoopStartA || tagNum == tag::SeqStepsA) {
        if (!askEntry(tagNum, "1 to 16 Steps", getParameterDisplayStr(tagNum), text)) return true;
        int n = 0;
        if (entryInteger(text, true, n)) setSteppedValue(tagNum, n - 1);
        return true;
    }
    if (tagNum >= tag::SeqStepVelA && tagNum < tag::SeqStepVelA + tag::SeqStepCount) {
        if (!askEntry(tagNum, "0 to 127", getParameterDisplayStr(tagNum), text)) return true;
        double x = 0.0;
        if (entryNumber(text, false, x)) writeEntry(tagNum, x / 127.0);
        return true;
    }
    if (tagNum >= tag::SeqStepTuneA && tagNum < tag::SeqStepTuneA + tag::SeqStepCount) {
        if (!askEntry(tagNum, "-36 to 36 semi", getParameterDisplayStr(tagNum), text)) return true;
        int n = 0;
        if (entryInteger(text, false, n)) writeEntry(tagNum, (n + 0.1) / 72.99 + 0.5);
        return true;
    }
    if (tagNum >= tag::SeqStepRatchetA && tagNum < tag::SeqStepRatchetA + tag::SeqStepCount) {
        if (!askEntry(tagNum, "0 - Off, 2,3,4", "0", text)) return true;
        std::string s(text);
        stripAllButNum(s);
        // (i + 0.01) / 9.99 for the steps 1, 2 and 3 ("2", "3", "4") and 0 ("Off"); every other
        // answer, the word "Off" that the prompt offers included, turns the ratchet off.
        if (s == "2")
            writeEntry(tagNum, 0.1011011);
        else if (s == "3")
            writeEntry(tagNum, 0.2012012);
        else if (s == "4")
            writeEntry(tagNum, 0.3013013);
        else
            writeEntry(tagNum, 0.001001001);
        return true;
    }
    return false;
}

// The distortion, low-fi, modulation-FX, delay and reverb knobs whose unit depends on the
// tag or on the section's mode. False for a tag without a row of its own.
bool APlugin::setNumEffect(int tagNum) {
    if (tagNum >= tag::Distortion1 && tagNum <= tag::Distortion7) {
        const int step = getSteppedValue(tag::VoiceDistortionMode);
        setNumDistortion(tagNum, tagNum - tag::VoiceDistortionMix, REAL_DISTORT_MODES[0][step]);
        return true;
    }
    if (tagNum >= tag::DistortionFx1 && tagNum <= tag::DistortionFx7) {
        const int step = getSteppedValue(tag::DistortFxMode);
        setNumDistortion(tagNum, tagNum - tag::DistortionFxMix, REAL_DISTORT_MODES[1][step]);
        return true;
    }
    const int modFXMode = getSteppedValue(tag::ModFxMode);
    char text[kEntryTextBytes];
    double x = 0.0;
    switch (tagNum) {
    case tag::LowFiBits:
        setNumLowFi(tagNum, false);
        return true;
    case tag::LowFiSampleRate:
        setNumLowFi(tagNum, true);
        return true;
    case tag::ModFx1:
        setNumModFX1(tagNum);
        return true;
    case tag::ModFx2:
        if (modFXMode == kModFXWahWah)
            setNumFilter(tagNum);
        else
            setNumPer(tagNum, false);
        return true;
    case tag::ModFx3:
        if (modFXMode == kModFXRingMod)
            setNumFilter(tagNum);
        else
            setNumSpeed(tagNum, getOnOff(tag::ModFxTempoSyncOn));
        return true;
    case tag::DelayLeft:
    case tag::DelayRight:
        setNumDelayTime(tagNum);
        return true;
    case tag::ReverbPreDelay:
        if (!askEntry(tagNum, "0 to 511ms", getParameterDisplayStr(tagNum), text)) return true;
        if (entryNumber(text, false, x) && x > 0.0001)
            writeEntry(tagNum, log2d(2.0 * x + 1.0) / 10.0);
        return true;
    case tag::ReverbSize:
        if (!askEntry(tagNum, "0.25 to 7.75m^3", getParameterDisplayStr(tagNum), text)) return true;
        if (entryNumber(text, false, x)) writeEntry(tagNum, (4.0 * x - 1.0) / 30.75);
        return true;
    case tag::ReverbLength:
        if (!askEntry(tagNum, "1 to 400%", getParameterDisplayStr(tagNum), text)) return true;
        if (entryNumber(text, false, x) && x > 0.0001)
            writeEntry(tagNum, (log2d(x / 100.0) + 6.0) / 8.0);
        return true;
    default:
        return false;
    }
}

// Knob `knob` (1..7) of a distortion section in combined mode `mode` (0..26).
void APlugin::setNumDistortion(int tagNum, int knob, int mode) {
    enum Form { Db20, Db30, Db30To10, Per, BiPer, Filter, Rate, Bits, Model };
    static constexpr Form kAmp[7] = {Db20, Model, Per, Db20, Db20, Db20, Per};
    static constexpr Form kClipper[7] = {Db30, Filter, Per, BiPer, Filter, Filter, Db30};
    static constexpr Form kLowFi[7] = {Db30, Rate, Bits, Per, Filter, Filter, Db30};
    static constexpr Form kTube[7] = {Per, BiPer, Per, Filter, Per, BiPer, Db30To10};
    static constexpr Form kWaveShaper[7] = {Db30, Per, Per, BiPer, Filter, Filter, Db30};
    static constexpr Form kOther[7] = {Db30, Per, Per, Per, Filter, Filter, Db30};
    if (knob < 1 || knob > 7) return;
    if (knob == 3 && tag::distortThirdKnobIsBipolar(mode)) {
        setNumPer(tagNum, true);
        return;
    }
    const Form* row = kOther;
    switch (mode) {
    case 0: // Amp
    case 3: // Cab
        row = kAmp;
        break;
    case 4: // Clipper
        row = kClipper;
        break;
    case 13: // Low-Fi
        row = kLowFi;
        break;
    case 24: // Tube
        row = kTube;
        break;
    case 26: // WaveShaper
        row = kWaveShaper;
        break;
    default:
        break;
    }
    switch (row[knob - 1]) {
    case Db20:
        setNumVol(tagNum, 40.0f, 20.0f, "-20 to 20 dB");
        break;
    case Db30:
        setNumVol(tagNum, 60.0f, 30.0f, "-30 to 30 dB");
        break;
    case Db30To10:
        setNumVol(tagNum, 40.0f, 30.0f, "-30 to 10 dB");
        break;
    case Per:
        setNumPer(tagNum, false);
        break;
    case BiPer:
        setNumPer(tagNum, true);
        break;
    case Filter:
        setNumFilter(tagNum);
        break;
    case Rate:
        setNumLowFi(tagNum, true);
        break;
    case Bits:
        setNumLowFi(tagNum, false);
        break;
    case Model:
        if (mode == 0)
            setNumSteppedStr(tagNum, 5.99f, AMP_MODEL_COUNT, AMP_MODEL_STR);
        else
            setNumSteppedStr(tagNum, 3.99f, CAB_MODEL_COUNT, CAB_MODEL_STR);
        break;
    }
}

void APlugin::setNumModFX1(int tagNum) {
    const int mode = getSteppedValue(tag::ModFxMode);
    if (mode <= kModFXLastDelayMode) {
        char text[kEntryTextBytes];
        if (!askEntry(tagNum, "0 to 50 ms", getParameterDisplayStr(tagNum), text)) return;
        double x = 0.0;
        if (entryNumber(text, false, x)) writeEntry(tagNum, x / 50.0);
    } else if (mode <= kModFXWahWah) {
        static_assert(kModFXPhaser == kModFXLastDelayMode + 1, "phaser and wah follow the delays");
        setNumFilter(tagNum);
    } else if (mode <= kModFXAutoPan) {
        setNumSteppedStr(tagNum, 7.99f, LFO_WAVE_COUNT, LFO_WAVE_STR);
    } else {
        setNumSteppedStr(tagNum, 3.99f, RING_COUNT, RING_STR);
    }
}

void APlugin::setNumDelayTime(int tagNum) {
    char text[kEntryTextBytes];
    if (getOnOff(tag::DelayTempoSyncOn)) {
        const int last = DELAY_LEN_COUNT - 1;
        const std::string prompt = std::string(DELAY_LEN_STR[0]) + " [0] to " +
                                   DELAY_LEN_STR[last] + " [" + intText(last) + "]";
        if (!askEntry(tagNum, prompt, getParameterDisplayStr(tagNum), text)) return;
        int n = 0;
        if (entryInteger(text, true, n)) setSteppedValue(tagNum, n, 14.99f, DELAY_LEN_COUNT);
        return;
    }
    if (!askEntry(tagNum, "0 to 1024ms", getParameterDisplayStr(tagNum), text)) return;
    double x = 0.0;
    // Value 0 is 1 ms and 1 is 4096 ms; an entry at or below 0.001 ms is ignored.
    if (entryNumber(text, false, x) && x > 0.001) writeEntry(tagNum, log2d(x) / 12.0);
}

// ---------------------------------------------------------------------------------------------
// Continuous tags by display type

void APlugin::setNumByDisplayType(int tagNum) {
    char text[kEntryTextBytes];
    const float v = getParameter(tagNum);
    const int type = paramDisplayTypes[tagNum];
    switch (type) {
    case 1:
        setNumOnOff(tagNum);
        return;
    case 3:
    case 8:
    case 9:
    case 11:
    case 15:
        setNumPer(tagNum, true);
        return;
    case 4:
        setNumVol(tagNum, 70.0f, 60.0f, "-60 to 10 dB");
        return;
    case 5:
        setNumVol(tagNum, 60.0f, 60.0f, "-60 to 0 dB");
        return;
    case 7: {
        if (!askEntry(tagNum, "0 to 127", intText(truncInt(v * 127.0)), text)) return;
        double x = 0.0;
        if (entryNumber(text, true, x)) writeEntry(tagNum, x / 127.0);
        return;
    }
    case 10: {
        if (!askEntry(tagNum, "-48 to 48 semi", intText(truncInt(v * 96.99 - 48.0)), text)) return;
        int n = 0;
        if (entryInteger(text, true, n)) writeEntry(tagNum, n / 96.99 + 0.5);
        return;
    }
    case 12:
        setNumFilter(tagNum);
        return;
    case 13:
        setNumVol(tagNum, 40.0f, 20.0f, "-20 to 20 dB");
        return;
    case 14:
        setNumEnvTime(tagNum);
        return;
    case 17: {
        if (!askEntry(tagNum, "-36 to 36 semi", intText(truncInt(v * 72.99 - 36.0)), text)) return;
        int n = 0;
        // The 0.1 keeps the stored value clear of the step below after rounding, so the
        // value text, which truncates, reads back the typed number.
        if (entryInteger(text, true, n)) writeEntry(tagNum, (n + 36 + 0.1) / 72.99);
        return;
    }
    case 19:
    case 20: {
        const int sourceTag = tagNum - (type == 19 ? 16 : 32);
        setNumPer(tagNum, modSrcIsBipolar(getSteppedValue(sourceTag)));
        return;
    }
    case 21:
        setModValue(tagNum, tagNum - tag::ModAmountFirst);
        return;
    case 22:
        setModValue(tagNum, tagNum - tag::ModOffsetFirst);
        return;
    case 25:
        return; // internal
    default:
        setNumPer(tagNum, false);
        return;
    }
}

void APlugin::setNumEnvTime(int tagNum) {
    const int syncTag = envSyncTag(tagNum);
    if (syncTag >= 0 && getOnOff(syncTag)) {
        setNumSteppedStr(tagNum, 30.99f, ENV_TEMPO_SYNC_COUNT, ENV_TEMPO_SYNC_STR);
        return;
    }
    char text[kEntryTextBytes];
    if (!askEntry(tagNum, "1 to 16000 ms", getEnvLenStr(getParameter(tagNum), false), text)) return;
    double x = 0.0;
    if (!entryNumber(text, false, x)) return;
    // Value 0 is 1 ms; shorter times, zero and negatives included, take that end.
    writeEntry(tagNum, x > 0.0 ? log2d(x) / 14.0 : 0.0);
}

void APlugin::setNumOnOff(int tagNum) {
    char text[kEntryTextBytes];
    const char* initial = getParameter(tagNum) < 0.5f ? "Off" : "On";
    if (!askEntry(tagNum, "0 for Off, 1 for On", initial, text)) return;
    double x = 0.0;
    if (!entryNumber(text, true, x)) return; // "On" typed as a word has no digit
    writeEntry(tagNum, x < 0.5 ? 0.0 : 1.0);
}
