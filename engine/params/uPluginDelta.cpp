// Stepping a value by wheel notches and menu steps (changeDelta), with the side effects of the
// selectors that carry them, and the typed entry of a modulation slot's amount (setModValue).
// Called on the user-interface thread only.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "platform/strings.h"

#include <cmath>

namespace {

// The symmetry knob of each oscillator, reset when its wave type changes.
constexpr int OSC_SYM_TAGS[2] = {tag::Osc1Symmetry, tag::Osc2Symmetry};

constexpr int kPlayModeArp = 8; // "Arp" of PLAY_MODE_STR

// current + delta held to 0..count-1, without overflowing for any delta.
int steppedTarget(int current, int delta, int count) {
    long long target = static_cast<long long>(current) + delta;
    if (target > count - 1) target = count - 1;
    if (target < 0) target = 0;
    return static_cast<int>(target);
}

int truncInt(double x) {
    if (!(x > -1.0e9 && x < 1.0e9)) return 0;
    return static_cast<int>(x);
}

} // namespace

void APlugin::changeDelta(int tagNum, int delta, bool fine, float scale) {
    if (!isValidTag(tagNum)) return;
    const int current = getSteppedValue(tagNum);
    const int count = paramSteppedNums[tagNum];
    EditorLink* openEditor = getOpenEditor();

    switch (tagNum) {
    case tag::PlayMode:
        setSteppedValue(tagNum, steppedTarget(current, delta, count));
        if (getSteppedValue(tagNum) == kPlayModeArp)
            setOn(tag::ArpOn);
        else
            setOff(tag::ArpOn);
        return;
    case tag::Osc1Type:
    case tag::Osc2Type:
        setSteppedValue(tagNum, steppedTarget(current, delta, count));
        // Each wave type reads the symmetry its own way; a new type starts from the centre.
        setParameter(OSC_SYM_TAGS[tagNum == tag::Osc1Type ? 0 : 1], 0.5f);
        return;
    case tag::VoiceDistortionMode:
    case tag::DistortFxMode:
    case tag::ModFxMode: {
        // The step is clamped before the write so the editor swaps to the step stored.
        const int next = steppedTarget(current, delta, count);
        setSteppedValue(tagNum, next);
        if (openEditor == nullptr) return;
        if (tagNum == tag::VoiceDistortionMode)
            openEditor->updateDistortVoice(current, next);
        else if (tagNum == tag::DistortFxMode)
            openEditor->updateDistortFX(current, next);
        else
            openEditor->updateModFX(current, next);
        return;
    }
    case tag::SeqLoopStartA:
    case tag::SeqStepsA:
    case tag::SeqLoopStartA + tag::SeqStride:
    case tag::SeqStepsA + tag::SeqStride:
        setSteppedValue(tagNum, steppedTarget(current, delta, count));
        if (openEditor != nullptr) openEditor->updateArpSteps();
        return;
    case tag::UserWave1Preset:
    case tag::UserWave2Preset:
        changeUserWaveDelta(tagNum == tag::UserWave1Preset ? 0 : 1, delta);
        return;
    case tag::RibbonSpringTime:
        setSteppedValue(tagNum, steppedTarget(current, delta, count));
        if (getSteppedValue(tagNum) != 0) setRibbonSpringOn();
        return;
    case tag::UserWaveShaperMode:
        // The editor records the undo point and writes the mode; without it nothing changes.
        if (openEditor != nullptr)
            openEditor->updateShaperModeMenu(
                steppedTarget(current, delta, USER_WAVE_SHAPER_MODE_COUNT));
        return;
    default:
        break;
    }

    if (count != -1) {
        setSteppedValue(tagNum, steppedTarget(current, delta, count));
        return;
    }
    if (paramIsOnOff[tagNum]) {
        if (delta < 0)
            setOff(tagNum);
        else
            setOn(tagNum);
        return;
    }
    const double step = static_cast<double>(delta) * scale * (fine ? 0.001 : 0.01);
    double v = static_cast<double>(getParameter(tagNum)) + step;
    if (std::isnan(v)) return; // a NaN scale moves nothing
    if (v < 0.0) v = 0.0;
    if (v > 1.0) v = 1.0;
    setParameterAutomated(tagNum, static_cast<float>(v));
}

void APlugin::setModValue(int tagNum, int slot) {
    if (!isValidModSlot(slot) || !isValidTag(tagNum)) return;
    const float value = getParameter(tagNum);
    const int type = getDestTypeForSlot(slot);
    char text[kEntryTextBytes];
    switch (type) {
    case 1: { // semitones, -36..36
        const std::string initial =
            floatString(static_cast<float>(truncInt(720.0 * value)) * 0.1f - 36.0f, 1);
        if (!askEntry(tagNum, "-36 to 36 semi", initial, text)) return;
        int n = 0;
        if (entryInteger(text, false, n)) writeEntry(tagNum, n / 72.0 + 0.5);
        return;
    }
    case 2: { // speed ratio, 25% .. 400%, two octaves either way
        const std::string initial =
            std::to_string(truncInt(std::pow(2.0, 4.0 * value - 2.0) * 100.0));
        if (!askEntry(tagNum, "25% to 400%", initial, text)) return;
        double x = 0.0;
        if (!entryNumber(text, false, x)) return;
        double r = x / 100.0;
        if (!(r >= 0.25)) r = 0.25; // also keeps the logarithm defined
        if (r > 4.0) r = 4.0;
        writeEntry(tagNum, (std::log2(r) + 2.0) * 0.25);
        return;
    }
    case 3: { // octaves
        const std::string initial = std::to_string(truncInt((2.0 * value - 1.0) * 8.99 + 0.1));
        if (!askEntry(tagNum, "-7 to 8 octave", initial, text)) return;
        int n = 0;
        if (!entryInteger(text, false, n)) return;
        const double sign = n > 0 ? 1.0 : (n < 0 ? -1.0 : 0.0);
        double t = (n + 0.5 * sign) / 8.0;
        if (t < -1.0) t = -1.0;
        if (t > 1.0) t = 1.0;
        writeEntry(tagNum, 0.5 * t + 0.5);
        return;
    }
    default:
        setNumPer(tagNum, true);
        return;
    }
}
