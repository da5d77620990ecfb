// Stepping values by wheel notches and menu steps, the selectors' side effects, and the typed
// modulation-slot amounts in semitones, ratio, octaves and percent (scripted input box).
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

std::unique_ptr<APlugin> makeEngine() {
    return std::make_unique<APlugin>(nullptr);
}

// The first destination index whose amount is shown in `unit`.
int destWithUnit(int unit) {
    for (int d = 0; d < 323; ++d)
        if (modDestUnit(d) == unit) return d;
    return -1;
}

} // namespace

TEST(DeltaStepping, SteppedTagsStopAtTheirEnds) {
    auto e = makeEngine();
    const int t = tag::FilterType;
    const int count = e->getSteppedNum(t);
    ASSERT_GT(count, 2);
    e->setSteppedValue(t, 0);
    e->changeDelta(t, -1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(t), 0);
    e->changeDelta(t, 1, true, 10.0f); // fine and scale do not apply to steps
    EXPECT_EQ(e->getSteppedValue(t), 1);
    e->setSteppedValueMax(t);
    e->changeDelta(t, 1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(t), count - 1);
    e->changeDelta(t, INT_MAX, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(t), count - 1);
    e->changeDelta(t, INT_MIN, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(t), 0);
    EXPECT_FLOAT_EQ(e->getParameter(t), 0.1f / e->getSteppedRange(t));

    // The mode selectors and the sequence lengths clamp the same way (editor closed).
    for (int s : {tag::VoiceDistortionMode, tag::DistortFxMode, tag::ModFxMode, tag::SeqStepsA,
                  tag::SeqLoopStartA + tag::SeqStride}) {
        e->setSteppedValueMax(s);
        e->changeDelta(s, 1, false, 1.0f);
        EXPECT_EQ(e->getSteppedValue(s), e->getSteppedNum(s) - 1) << s;
        e->setSteppedValue(s, 0);
        e->changeDelta(s, -3, false, 1.0f);
        EXPECT_EQ(e->getSteppedValue(s), 0) << s;
    }
}

TEST(DeltaStepping, ContinuousMovesByFineOrCoarseStepTimesScale) {
    auto e = makeEngine();
    const int t = tag::ReverbDamp;
    e->setParameter(t, 0.995f);
    e->changeDelta(t, 1, false, 1.0f);
    EXPECT_FLOAT_EQ(e->getParameter(t), 1.0f);
    e->setParameter(t, 0.995f);
    e->changeDelta(t, 1, true, 1.0f);
    EXPECT_NEAR(e->getParameter(t), 0.996f, 1e-6f);
    e->setParameter(t, 0.5f);
    e->changeDelta(t, 1, false, 10.0f);
    EXPECT_NEAR(e->getParameter(t), 0.6f, 1e-6f);
    e->changeDelta(t, -1, false, 100.0f);
    EXPECT_FLOAT_EQ(e->getParameter(t), 0.0f);
    e->changeDelta(t, INT_MAX, false, 10.0f);
    EXPECT_FLOAT_EQ(e->getParameter(t), 1.0f);
    // A scale that is not a number moves nothing.
    e->setParameter(t, 0.3f);
    e->changeDelta(t, 1, false, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(e->getParameter(t), 0.3f);
}

TEST(DeltaStepping, SelectorSideEffects) {
    auto e = makeEngine();
    // Play Mode: reaching the "Arp" step switches the arpeggiator on, leaving it off.
    e->setSteppedValue(tag::PlayMode, 7);
    e->setOn(tag::ArpOn);
    e->changeDelta(tag::PlayMode, 0, false, 1.0f);
    EXPECT_FALSE(e->getOnOff(tag::ArpOn));
    e->changeDelta(tag::PlayMode, 1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(tag::PlayMode), 8);
    EXPECT_TRUE(e->getOnOff(tag::ArpOn));
    e->setOff(tag::ArpOn);
    e->changeDelta(tag::PlayMode, 1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(tag::PlayMode), 8);
    EXPECT_TRUE(e->getOnOff(tag::ArpOn));
    e->changeDelta(tag::PlayMode, -1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(tag::PlayMode), 7);
    EXPECT_FALSE(e->getOnOff(tag::ArpOn));

    // An oscillator type change recentres that oscillator's symmetry, even at the end.
    e->setParameter(tag::Osc1Symmetry, 0.2f);
    e->setParameter(tag::Osc2Symmetry, 0.8f);
    e->setSteppedValueMax(tag::Osc1Type);
    e->changeDelta(tag::Osc1Type, 1, false, 1.0f);
    EXPECT_EQ(e->getSteppedValue(tag::Osc1Type), e->getSteppedNum(tag::Osc1Type) - 1);
    EXPECT_FLOAT_EQ(e->getParameter(tag::Osc1Symmetry), 0.5f);
    EXPECT_FLOAT_EQ(e->getParameter(tag::Osc2Symmetry), 0.8f);

    // The ribbon's spring time steps and stops at either end.
    const int spring = tag::RibbonSpringTime;
    e->setSteppedValue(spring, 0);
    e->changeDelta(spring, -1, false, 1.0f);
    EXPECT_EQ(e->getRibbonSpringTime(), 0);
    e->changeDelta(spring, 1, false, 1.0f);
    EXPECT_EQ(e->getRibbonSpringTime(), 1);
    e->changeDelta(spring, 100, false, 1.0f);
    EXPECT_EQ(e->getRibbonSpringTime(), e->getSteppedNum(spring) - 1);

    // The user-wave presets go through their own stepping.
    e->setParameter(tag::UserWave1Preset, 0.0f);
    e->changeDelta(tag::UserWave1Preset, 2, false, 1.0f);
    EXPECT_EQ(static_cast<int>(e->getParameter(tag::UserWave1Preset) * 511.99f + 0.1f), 2);
}

TEST(DeltaStepping, ModAmountInTheDestinationUnit) {
    auto e = makeEngine();
    ScriptedDialogs script;
    ScopedDialogBackend scope(script);
    const int slot = 0;
    const int amount = tag::ModAmountFirst + slot;
    auto typeAmount = [&](const std::string& text) {
        script.answerOk(text);
        e->setModValue(amount, slot);
        return e->getParameter(amount);
    };

    const int semi = destWithUnit(MOD_UNIT_SEMITONES);
    ASSERT_GE(semi, 0);
    e->setSteppedValue(tag::ModDestFirst + slot, semi);
    ASSERT_EQ(e->getDestTypeForSlot(slot), 1);
    e->setParameter(amount, 0.5f);
    EXPECT_NEAR(typeAmount("12"), 12.0f / 72.0f + 0.5f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-36 to 36 semi");
    EXPECT_FLOAT_EQ(typeAmount("40"), 1.0f);
    EXPECT_NEAR(typeAmount("7.9"), 8.0f / 72.0f + 0.5f, 1e-6f); // the nearest whole semitone

    const int ratio = destWithUnit(MOD_UNIT_SPEED);
    ASSERT_GE(ratio, 0);
    e->setSteppedValue(tag::ModDestFirst + slot, ratio);
    ASSERT_EQ(e->getDestTypeForSlot(slot), 2);
    e->setParameter(amount, 0.5f);
    EXPECT_NEAR(typeAmount("200"), 0.75f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "25% to 400%");
    EXPECT_NEAR(typeAmount("50"), 0.25f, 1e-6f);

    const int oct = destWithUnit(MOD_UNIT_OCTAVES);
    ASSERT_GE(oct, 0);
    e->setSteppedValue(tag::ModDestFirst + slot, oct);
    ASSERT_EQ(e->getDestTypeForSlot(slot), 3);
    EXPECT_NEAR(typeAmount("1"), 0.59375f, 1e-6f);
    EXPECT_EQ(script.questions().back().text, "-7 to 8 octave");
    EXPECT_NEAR(typeAmount("-2"), 0.5f - 2.5f / 16.0f, 1e-6f);

    e->setSteppedValue(tag::ModDestFirst + slot, semi);
    script.answerOk("-12");
    e->setNumValue(tag::ModOffsetFirst + slot);
    EXPECT_EQ(script.questions().back().text, "-36 to 36 semi");
    EXPECT_NEAR(e->getParameter(tag::ModOffsetFirst + slot), 0.5f - 12.0f / 72.0f, 1e-6f);

    // A slot outside 0..15 asks nothing.
    const std::size_t asked = script.questions().size();
    e->setModValue(amount, 16);
    e->setModValue(amount, -1);
    EXPECT_EQ(script.questions().size(), asked);
}
