// Value texts read straight from an engine: the number helpers, the modulation slot texts and
// the bounds on every table read for values that the write roads would never store. What a
// host reads of the texts and names is tested through the host.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

// Slot 1 of the modulation matrix.
constexpr int kSource = tag::ModSourceFirst;
constexpr int kLower = tag::ModLowerFirst;
constexpr int kDest = tag::ModDestFirst;
constexpr int kOffset = tag::ModOffsetFirst;
constexpr int kAmount = tag::ModAmountFirst;

constexpr int kSrcVelocity = 17;
constexpr int kSrcPitchbend = 18;
constexpr int kDestGlobalPitch = 8;
constexpr int kDestUnisonDelay = 15; // a speed-factor destination

std::unique_ptr<APlugin> makeEngine() {
    return std::make_unique<APlugin>(nullptr);
}

// Sets the value and returns its text.
std::string textAt(APlugin& e, int tagNum, float value) {
    e.setParameter(tagNum, value);
    return e.getParameterDisplayStr(tagNum);
}

bool isBoundedText(const std::string& text) {
    if (text.empty() || text.size() > 31) return false;
    for (const char* bad : {"nan", "NaN", "inf", "INF"})
        if (text.find(bad) != std::string::npos) return false;
    return true;
}

} // namespace

TEST(ValueText, FloatStrIsFixedNotationWithAPoint) {
    EXPECT_EQ(APlugin::getFloatStr(12.5f, 2), "12.50");
    EXPECT_EQ(APlugin::getFloatStr(-0.04f, 1), "-0.0");
    EXPECT_EQ(APlugin::getFloatStr(1234567.0f, 0), "1234567"); // no grouping
    // Rounded as the C library's fixed format rounds: the exact binary value, ties to even.
    EXPECT_EQ(APlugin::getFloatStr(0.125f, 2), "0.12");
    EXPECT_EQ(APlugin::getFloatStr(0.375f, 2), "0.38");
    EXPECT_EQ(APlugin::getFloatStr(2.675f, 2), "2.67"); // 2.67499995...
    // Nothing that is not a number reaches a text.
    EXPECT_EQ(APlugin::getFloatStr(std::numeric_limits<float>::quiet_NaN(), 1), "0.0");
    EXPECT_EQ(APlugin::getFloatStr(std::numeric_limits<float>::infinity(), 2), "0.00");
    EXPECT_EQ(APlugin::getFloatStr(-std::numeric_limits<float>::infinity(), 0), "0");
    EXPECT_EQ(APlugin::getFloatStr(1.5f, -2), "2");
    EXPECT_EQ(APlugin::getFloatStr(std::numeric_limits<float>::max(), 1).size(), 41u);
    EXPECT_EQ(APlugin::getFilterFreqStr(std::nanf("")), "20 Hz");
    EXPECT_EQ(APlugin::getFilterFreqStr(40.0f), "20.5 KHz");
    EXPECT_EQ(APlugin::getEnvLenStr(-5.0f, false, false, false), "1 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(0.75f, 0.0f), "Up 512 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(std::nanf(""), std::nanf("")), "Off"); // sustain 0
}

TEST(ValueText, ModulationSlotTexts) {
    auto e = makeEngine();
    e->setSteppedValue(kSource, kSrcPitchbend);
    EXPECT_EQ(e->getParameterDisplayStr(kSource), SRC_SHORT_STR[kSrcPitchbend]);
    e->setSteppedValue(kSource, kSrcVelocity);
    EXPECT_EQ(textAt(*e, kLower, 0.0f), "0%");
    EXPECT_NE(textAt(*e, kOffset, 0.5f), "---");

    e->setSteppedValue(kDest, kDestGlobalPitch);
    EXPECT_EQ(textAt(*e, kAmount, 0.0f), "-36.00 sm");
    e->setSteppedValue(kDest, kDestUnisonDelay);
    EXPECT_EQ(textAt(*e, kAmount, 0.5f), "x 1.00");
    EXPECT_EQ(textAt(*e, kAmount, 1.0f), "x 4.00");

    // The destination selector's top step is the last destination, never one past it.
    e->setParameter(kDest, 1.0f);
    EXPECT_EQ(e->getParameterDisplayStr(kDest), DEST_SHORT_STR[DEST_COUNT - 1]);
    // "Main LFO Speed Mod Amount" carries the destination one past the table; its own text is
    // a plain amount and reads no destination table.
    EXPECT_EQ(e->getDestForTag(tag::MainLfoSpeedModAmount), DEST_COUNT);
    EXPECT_EQ(textAt(*e, tag::MainLfoSpeedModAmount, 0.75f), "50.0%");
    EXPECT_EQ(modDestUnit(DEST_COUNT), MOD_UNIT_PERCENT);

    // Distortion destinations name the knob of the current mode.
    e->setSteppedValue(tag::VoiceDistortionMode, 0); // And
    e->setSteppedValue(kDest, 160);
    EXPECT_EQ(e->getParameterDisplayStr(kDest), DISTORT_MODE_VAR_SHORT_STR[1][2]);
    e->setSteppedValue(kDest, 172);
    EXPECT_EQ(e->getParameterDisplayStr(kDest),
              std::string("DistortFX ") + DISTORT_MODE_VAR_SHORT_STR[e->getDistortFXMode()][1]);
}

TEST(ValueText, TableReadsStayInsideTheirTables) {
    auto e = makeEngine();
    // The step ratchets have nine steps and four names: the steps above read as the last.
    for (int seqTag : {tag::SeqStepRatchetA, tag::SeqStepRatchetA + tag::SeqStride + 15}) {
        for (int step = 0; step < 9; ++step) {
            e->setSteppedValue(seqTag, step);
            EXPECT_EQ(e->getParameterDisplayStr(seqTag), ARP_RATCHET_STR[step < 4 ? step : 3])
                << seqTag << " step " << step;
        }
    }
    // A held lock value is stored unchecked; NaN and far-out values still give a bounded text.
    e->setLockState(kLockArp, kLockLocked);
    const float wild[] = {std::numeric_limits<float>::quiet_NaN(), 1.0e30f, -1.0e30f,
                          std::numeric_limits<float>::infinity()};
    for (float w : wild) {
        for (int t = tag::ArpFirst; t <= tag::ArpLast; ++t) {
            e->setLockVar(t, w);
            const std::string text = e->getParameterDisplayStr(t);
            EXPECT_TRUE(isBoundedText(text)) << t << " " << w << " \"" << text << "\"";
        }
    }
    e->setLockVar(tag::ArpRatchetMode, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(e->getParameterDisplayStr(tag::ArpRatchetMode), ARP_RATCHET_MODE_STR[0]);
    e->setLockVar(tag::SeqSpeedA, 1.0e30f);
    EXPECT_EQ(e->getParameterDisplayStr(tag::SeqSpeedA),
              std::string(ARP_SPEED_STR[ARP_SPEED_COUNT - 1]) + " BPM");
}

TEST(ValueText, WildStoredValuesGiveBoundedTextsForEveryTag) {
    // A bank is stored without the write roads' clamp, so its values reach the texts as they
    // are; every tag and every text it depends on (modes, switches, sources) gets them.
    static float values[1][kNumParams];
    const char* names[1] = {"Wild"};
    const float wild[] = {std::numeric_limits<float>::quiet_NaN(), 7.5f, -3.0f,
                          std::numeric_limits<float>::infinity(), 1.0e30f};
    for (float w : wild) {
        for (int t = 0; t < kNumParams; ++t) values[0][t] = w;
        PresetBank bank{1, values, names};
        auto e = makeEngine();
        e->usePresetBank(bank);
        e->setProgram(0); // stores the bank's values as they are
        ASSERT_FALSE(e->getCurrentValue(tag::MainPan) == 0.5f);
        e->updateDistortFXMode();
        for (int t = 0; t < kNumParams; ++t) {
            const std::string text = e->getParameterDisplayStr(t);
            EXPECT_TRUE(isBoundedText(text)) << t << " " << w << " \"" << text << "\"";
            const std::string name = e->getParameterNameStr(t);
            EXPECT_FALSE(name.empty()) << t;
        }
    }
}
