// Typed entry of values through the scripted input box: what each entry form asks, the value
// it stores for a typed number, and the answers that must store nothing (Cancel, text without
// a number, numbers with no logarithm) whatever the process locale.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"
#include "platform/dialogs.h"
#include "tests/PlainOscillator.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {
// An engine and a scripted input box for each test.
class NumericEntry : public ::testing::Test {
protected:
    // Types `answer` into the box that setNumValue(tag) opens; returns the stored value.
    float typed(int tagNum, const std::string& answer) {
        script.answerOk(answer);
        e->setNumValue(tagNum);
        return e->getParameter(tagNum);
    }
    std::unique_ptr<APlugin> e = std::make_unique<APlugin>(nullptr);
    ScriptedDialogs script;
    ScopedDialogBackend scope{script};
};

using testpatch::stepValue;

} // namespace

TEST_F(NumericEntry, ReverbSizeAsksAndStores) {
    const int t = tag::ReverbSize;

    EXPECT_NEAR(typed(t, "7.75"), 30.0f / 30.75f, 1e-5f);
    EXPECT_EQ(script.questions().back().text, "0.25 to 7.75m^3");

    EXPECT_FLOAT_EQ(typed(t, "8"), 1.0f);
    EXPECT_FLOAT_EQ(typed(t, "0.25"), 0.0f);
    EXPECT_NEAR(typed(t, " 2.25"), 8.0f / 30.75f, 1e-5f);

    // Cancel, an empty answer and text without a number leave the value alone.
    const float before = e->getParameter(t);
    script.answerCancel();
    e->setNumValue(t);
    EXPECT_FLOAT_EQ(e->getParameter(t), before);
    EXPECT_FLOAT_EQ(typed(t, ""), before);
    EXPECT_FLOAT_EQ(typed(t, "big"), before);
    EXPECT_FLOAT_EQ(typed(t, "nan"), before);
    // Huge numbers clamp instead of overflowing.
    EXPECT_FLOAT_EQ(typed(t, "1e30"), 1.0f);
    EXPECT_FLOAT_EQ(typed(t, "-99999999999"), 0.0f);
    EXPECT_EQ(script.unusedAnswers(), 0u);
}

TEST_F(NumericEntry, InvalidTagAsksNothing) {
    e->setNumValue(-1);
    e->setNumValue(2048);
    e->setNumValue(tag::Version); // internal: nothing to type
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(NumericEntry, DelayTimeFreeAndSynced) {
    const int t = tag::DelayLeft;

    e->setOff(tag::DelayTempoSyncOn);
    EXPECT_NEAR(typed(t, "1024"), 10.0f / 12.0f, 1e-5f);
    EXPECT_EQ(script.questions().back().text, "0 to 1024ms");
    EXPECT_NEAR(typed(t, "0"), 10.0f / 12.0f, 1e-5f); // ignored
    EXPECT_FLOAT_EQ(typed(t, "4096"), 1.0f);
    EXPECT_FLOAT_EQ(typed(t, "1"), 0.0f);

    e->setOn(tag::DelayTempoSyncOn);
    EXPECT_NEAR(typed(t, "5"), stepValue(5, 14.99f), 1e-6f);
    EXPECT_EQ(script.questions().back().text, "1/32T QB [0] to 1/2* QB [14]");
    EXPECT_NEAR(typed(t, "99"), stepValue(14, 14.99f), 1e-6f);
    EXPECT_NEAR(typed(t, "step 7"), stepValue(7, 14.99f), 1e-6f); // stripped
}

TEST_F(NumericEntry, SteppedCountAndSwitches) {
    const int t = tag::PlayMode;
    const float range = e->getSteppedRange(t);
    e->setSteppedValue(t, 2);
    EXPECT_NEAR(typed(t, "3"), 3.0f / range, 1e-6f);
    EXPECT_EQ(script.questions().back().defaultText, "2");
    EXPECT_EQ(e->getSteppedValue(t), 3);
    EXPECT_FLOAT_EQ(typed(t, "12"), 1.0f);
    EXPECT_EQ(e->getSteppedValue(t), 8);
    EXPECT_FLOAT_EQ(typed(t, "-4"), 0.0f);
    EXPECT_EQ(e->getSteppedValue(t), 0);
    EXPECT_FLOAT_EQ(typed(t, "1e30"), 1.0f);

    // A number between two steps takes the nearer one.
    EXPECT_NEAR(typed(t, "2.6"), 3.0f / range, 1e-6f);
    EXPECT_NEAR(typed(t, "2,4"), 2.0f / range, 1e-6f);

    // An on/off tag: 1 on, below 0.5 off, a word without digits is refused and changes nothing.
    const int s = tag::Osc1On;
    e->setOff(s);
    EXPECT_FLOAT_EQ(typed(s, "1"), 1.0f);
    EXPECT_EQ(script.questions().back().text, "0 for Off, 1 for On");
    EXPECT_FLOAT_EQ(typed(s, "0.4"), 0.0f);
    EXPECT_FLOAT_EQ(typed(s, "On"), 0.0f);
    const auto& asked = script.questions();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[asked.size() - 2].defaultText, "Off");
    EXPECT_EQ(asked.back().kind, DialogKind::Message);
    EXPECT_EQ(asked.back().text, "\"On\" is not a number. Nothing was changed.");
}

TEST_F(NumericEntry, SequenceARows) {
    const int steps = tag::SeqStepsA;
    typed(steps, "16");
    EXPECT_EQ(e->getSteppedValue(steps), 15);
    typed(steps, "0");
    EXPECT_EQ(e->getSteppedValue(steps), 0);
    typed(steps, "5");
    EXPECT_EQ(e->getSteppedValue(steps), 4);
    // Sequence B asks for the index instead.
    typed(steps + tag::SeqStride, "5");
    EXPECT_EQ(script.questions().back().text, "0 to 15");
    EXPECT_EQ(e->getSteppedValue(steps + tag::SeqStride), 5);

    EXPECT_FLOAT_EQ(typed(tag::SeqStepVelA + 3, "127"), 1.0f);
    EXPECT_NEAR(typed(tag::SeqStepVelA + 3, "63.5"), 0.5f, 1e-6f);

    const int ratchet = tag::SeqStepRatchetA;
    typed(ratchet, "3");
    EXPECT_EQ(e->getParameterDisplayStr(ratchet), "3");
    typed(ratchet, "0");
    EXPECT_EQ(e->getParameterDisplayStr(ratchet), "Off");
    // Any answer but 2, 3 or 4 turns the ratchet off, the "Off" the prompt offers included;
    // only Cancel and an empty answer keep it.
    for (const char* off : {"Off", "never", "5", "23"}) {
        typed(ratchet, "2");
        typed(ratchet, off);
        EXPECT_EQ(e->getParameterDisplayStr(ratchet), "Off") << "typed " << off;
    }
    typed(ratchet, "x4x");
    EXPECT_EQ(e->getParameterDisplayStr(ratchet), "4");
    typed(ratchet, "");
    script.answerCancel();
    e->setNumValue(ratchet);
    EXPECT_EQ(e->getParameterDisplayStr(ratchet), "4");
}

TEST_F(NumericEntry, SemitoneRowsReadBackWhatWasTyped) {
    const int tuneB = tag::SeqStepTuneA + tag::SeqStride; // display type 17
    const int tuneA = tag::SeqStepTuneA;
    for (int n = -36; n <= 36; ++n) {
        const std::string number = std::to_string(n);
        typed(tuneB, number);
        EXPECT_EQ(e->getParameterDisplayStr(tuneB), number) << "type 17, typed " << n;
        typed(tuneA, number);
        EXPECT_EQ(e->getParameterDisplayStr(tuneA), number) << "sequence A, typed " << n;
    }
    typed(tuneB, "99");
    EXPECT_EQ(e->getParameterDisplayStr(tuneB), "36");
    typed(tuneB, "-99999999999");
    EXPECT_EQ(e->getParameterDisplayStr(tuneB), "-36");
}

TEST_F(NumericEntry, FrequencyTimeAndRateClampAtTheirEnds) {
    const int f = tag::FilterFrequency;
    EXPECT_NEAR(typed(f, "1280"), 0.6f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "20 Hz to 20500 Hz");
    EXPECT_FLOAT_EQ(typed(f, "20480 Hz"), 1.0f);
    EXPECT_FLOAT_EQ(typed(f, "0"), 0.0f);

    const int env = tag::AmpEnvAttack;
    EXPECT_NEAR(typed(env, "128"), 0.5f, 1e-6f);
    EXPECT_FLOAT_EQ(typed(env, "16384"), 1.0f);
    EXPECT_FLOAT_EQ(typed(env, "0"), 0.0f);
    EXPECT_FLOAT_EQ(typed(env, "0.5"), 0.0f);

    // A synced envelope time is entered as a step of the sync table.
    const int env1 = tag::Osc1AmpEnvDecay;
    e->setOn(tag::Osc1AmpEnvSyncOn);
    EXPECT_NEAR(typed(env1, "5"), 5.0f / 30.99f, 1e-6f);

    const int rate = tag::LowFiSampleRate;
    EXPECT_FLOAT_EQ(typed(rate, "44100"), 0.0f);
    EXPECT_EQ(script.questions().back().text, "44100 to 1400 Hz");
    EXPECT_NEAR(typed(rate, "1378.125"), 1.0f, 1e-6f);
    typed(rate, "44100");
    EXPECT_FLOAT_EQ(typed(rate, "-8000"), 1.0f);

    const int bits = tag::LowFiBits;
    EXPECT_FLOAT_EQ(typed(bits, "16"), 0.0f);
    EXPECT_NEAR(typed(bits, "0"), 1.0f, 1e-6f);
    for (int t : {f, env, env1, rate, bits}) EXPECT_TRUE(std::isfinite(e->getParameter(t)));
}

TEST_F(NumericEntry, LfoSpeedFreeAndSynced) {
    const int t = tag::FreeLfo1Speed;

    e->setOff(tag::FreeLfo1SyncOn);
    // 55 / 4096 Hz x 2^7 sits half-way up the 14-octave scale.
    EXPECT_NEAR(typed(t, "1.71875"), 0.5f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "0 to 220 Hz");
    EXPECT_FLOAT_EQ(typed(t, "500"), 1.0f);

    e->setOn(tag::FreeLfo1SyncOn);
    EXPECT_NEAR(typed(t, "5"), stepValue(5, 33.99f), 1e-6f);
    EXPECT_NEAR(typed(t, "99"), stepValue(33, 33.99f), 1e-6f);

    // "Mod FX 3" is a speed, but a frequency in Ring Modulation mode.
    e->setOff(tag::ModFxTempoSyncOn);
    typed(tag::ModFx3, "1");
    EXPECT_EQ(script.questions().back().text, "0 to 220 Hz");
    e->setSteppedValue(tag::ModFxMode, 9);
    EXPECT_NEAR(typed(tag::ModFx3, "1280"), 0.6f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "20 Hz to 20500 Hz");
}

TEST_F(NumericEntry, DistortionKnobsFollowTheirMode) {
    // Distortion FX in "Amp": knob 2 picks an amp model from its table.
    e->setSteppedValue(tag::DistortFxMode, 0);
    e->setParameter(tag::DistortionFx2, 0.0f);
    EXPECT_NEAR(typed(tag::DistortionFx2, "3"), 3.0f / 5.99f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "None (0) to Radio (5) Currently :None (0)");
    EXPECT_NEAR(typed(tag::DistortionFx1, "10"), 0.75f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-20 to 20 dB");

    // Voice distortion in "Overdrive": knob 3 is a bipolar amount.
    int overdrive = -1;
    for (int step = 0; step < DISTORT_VOICE_MODE_COUNT; ++step)
        if (REAL_DISTORT_MODES[0][step] == 16) overdrive = step;
    ASSERT_GE(overdrive, 0);
    e->setSteppedValue(tag::VoiceDistortionMode, overdrive);
    EXPECT_NEAR(typed(tag::Distortion3, "-50"), 0.25f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-100 to 100%");
    EXPECT_NEAR(typed(tag::Distortion1, "0"), 0.5f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-30 to 30 dB");
}

TEST_F(NumericEntry, LevelAndPercentForms) {
    const int t = tag::ReverbDamp;
    e->setParameter(t, 0.25f);
    script.answerOk("50%");
    e->setNumPer(t, true);
    EXPECT_EQ(script.questions().back().defaultText, "-50.0");
    EXPECT_NEAR(e->getParameter(t), 0.75f, 1e-6f);
    script.answerOk("12.5");
    e->setNumPer(t, false);
    EXPECT_EQ(script.questions().back().defaultText, "75.0");
    EXPECT_NEAR(e->getParameter(t), 0.125f, 1e-6f);
    script.answerOk("-6 dB");
    e->setNumVol(t, 70.0f, 60.0f, "-60 to 10 dB");
    EXPECT_NEAR(e->getParameter(t), 54.0f / 70.0f, 1e-6f);
}

TEST_F(NumericEntry, CommaLocaleDoesNotChangeParsing) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) ZEK2_CANNOT_RUN("de_DE.UTF-8 missing");
    EXPECT_NEAR(typed(tag::ReverbSize, "2.25"), 8.0f / 30.75f, 1e-6f);
    e->setParameter(tag::ReverbDamp, 0.0f);
    script.answerOk("50.5");
    e->setNumPer(tag::ReverbDamp, false);
    EXPECT_NEAR(e->getParameter(tag::ReverbDamp), 0.505f, 1e-6f);
    // A comma is a decimal point too, whatever the locale, with the filter or without.
    EXPECT_NEAR(typed(tag::ReverbSize, "0,5"), 1.0f / 30.75f, 1e-6f);
    script.answerOk("0.5");
    e->setNumPer(tag::ReverbDamp, true);
    EXPECT_NEAR(e->getParameter(tag::ReverbDamp), 0.5025f, 1e-6f);
    EXPECT_EQ(script.questions().back().defaultText, "1.0");
    script.answerOk("12,5 %");
    e->setNumPer(tag::ReverbDamp, false);
    EXPECT_NEAR(e->getParameter(tag::ReverbDamp), 0.125f, 1e-6f);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(NumericEntry, LongAnswersStayInTheBuffer) {
    // 1000 bytes of digits: the box keeps 255 of them, which still make a number.
    EXPECT_FLOAT_EQ(typed(tag::ReverbSize, std::string(1000, '9')), 1.0f);
    // Two-byte characters only: cut on a character boundary, no number, nothing stored.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xC3\xA9";
    EXPECT_FLOAT_EQ(typed(tag::ReverbSize, wide), 1.0f);
    // A digit run past the int range in an integer row saturates.
    typed(tag::PlayMode, std::string(300, '9'));
    EXPECT_EQ(e->getSteppedValue(tag::PlayMode), 8);

    // The parsers on their own.
    double x = 0.0;
    int n = 0;
    EXPECT_TRUE(APlugin::entryInteger("12.7", false, n));
    EXPECT_EQ(n, 13);
    EXPECT_TRUE(APlugin::entryInteger("-3,6", true, n));
    EXPECT_EQ(n, -4);
    EXPECT_TRUE(APlugin::entryInteger("-99999999999", false, n));
    EXPECT_EQ(n, -1000000000);
    EXPECT_FALSE(APlugin::entryInteger("abc", false, n));
    EXPECT_TRUE(APlugin::entryInteger("abc-4", true, n));
    EXPECT_EQ(n, -4);
    EXPECT_TRUE(APlugin::entryNumber("  .5x", false, x));
    EXPECT_DOUBLE_EQ(x, 0.5);
    EXPECT_FALSE(APlugin::entryNumber("1e999", false, x));
    EXPECT_FALSE(APlugin::entryNumber(nullptr, true, x));
}

TEST_F(NumericEntry, ModSlotRowsDispatch) {
    // A slot amount with a percent destination asks bipolar percent.
    const int slot = 2;
    e->setSteppedValue(tag::ModDestFirst + slot, 0);
    ASSERT_EQ(e->getDestTypeForSlot(slot), 0);
    EXPECT_NEAR(typed(tag::ModAmountFirst + slot, "50"), 0.75f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-100 to 100%");
    EXPECT_NEAR(typed(tag::ModOffsetFirst + slot, "-50"), 0.25f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-100 to 100%");
    // The lower and upper amounts follow their source's polarity.
    int bipolarSource = -1;
    for (int s = 0; s < 128 && bipolarSource < 0; ++s)
        if (modSrcIsBipolar(s)) bipolarSource = s;
    ASSERT_GE(bipolarSource, 0);
    e->setSteppedValue(tag::ModSourceFirst + slot, bipolarSource);
    typed(tag::ModLowerFirst + slot, "0");
    EXPECT_EQ(script.questions().back().text, "-100 to 100%");
    e->setSteppedValue(tag::ModSourceFirst + slot, 0);
    typed(tag::ModUpperFirst + slot, "0");
    EXPECT_EQ(script.questions().back().text, "0 to 100%");
}
