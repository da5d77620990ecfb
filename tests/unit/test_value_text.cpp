// Value texts, names and labels read straight from an engine: the number helpers, the texts
// per display type and per tag, the mode-dependent knob names and the bounds on every table
// read, for values that the write roads would never store.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"
#include "engine/tables/LookupTables.h"

#include <gtest/gtest.h>

#include <clocale>
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

// Puts the process into a locale whose decimal separator is a comma, if one is installed.
const char* useCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "ru_RU.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0)
            return name;
    }
    std::setlocale(LC_ALL, "C");
    return nullptr;
}

} // namespace

TEST(ValueText, FloatStrIsFixedNotationWithAPoint) {
    EXPECT_EQ(APlugin::getFloatStr(12.5f, 2), "12.50");
    EXPECT_EQ(APlugin::getFloatStr(-0.04f, 1), "-0.0");
    EXPECT_EQ(APlugin::getFloatStr(0.5f, 1), "0.5");
    EXPECT_EQ(APlugin::getFloatStr(220.0f, 2), "220.00");
    EXPECT_EQ(APlugin::getFloatStr(16.384f, 2), "16.38");
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
}

TEST(ValueText, NumberTextsIgnoreACommaLocale) {
    const char* name = useCommaLocale();
    if (!name) GTEST_SKIP() << "no locale with a comma decimal separator is installed";
    auto e = makeEngine();
    const std::string half = APlugin::getFloatStr(0.5f, 1);
    const std::string pct = textAt(*e, tag::VelocityToVolume, 0.5f);
    const std::string db = textAt(*e, tag::Osc1SubVolume, 0.25f);
    const std::string freq = textAt(*e, tag::FilterFrequency, 1.0f);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(half, "0.5") << name;
    EXPECT_EQ(pct, "50.0%");
    EXPECT_EQ(db, "-15.0 dB");
    EXPECT_EQ(freq, "20.5 KHz");
}

TEST(ValueText, TimeAndFrequencyHelpers) {
    EXPECT_EQ(APlugin::getFilterFreqStr(0.0f), "20 Hz");
    EXPECT_EQ(APlugin::getFilterFreqStr(0.5f), "640 Hz");
    EXPECT_EQ(APlugin::getFilterFreqStr(1.0f), "20.5 KHz");
    EXPECT_EQ(APlugin::getFilterFreqStr(std::nanf("")), "20 Hz");
    EXPECT_EQ(APlugin::getFilterFreqStr(40.0f), "20.5 KHz");

    EXPECT_EQ(APlugin::getEnvLenStr(0.0f, false), "1 ms");
    EXPECT_EQ(APlugin::getEnvLenStr(1.0f, false), "16.38 sec");
    EXPECT_EQ(APlugin::getEnvLenStr(1.0f, false, true, true), "Endless");
    EXPECT_EQ(APlugin::getEnvLenStr(1.0f, false, true, false), ENV_TEMPO_SYNC_STR[30]);
    EXPECT_EQ(APlugin::getEnvLenStr(-5.0f, false, false, false), "1 ms");

    EXPECT_EQ(APlugin::getFadeLenStr(0.5f, 0.3f), "Off");
    EXPECT_EQ(APlugin::getFadeLenStr(1.0f, 1.0f), "Off");
    EXPECT_EQ(APlugin::getFadeLenStr(1.0f, 0.0f), "Up 1 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(0.0f, 1.0f), "Down 1 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(0.75f, 0.0f), "Up 512 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(0.25f, 1.0f), "Down 512 ms");
    EXPECT_EQ(APlugin::getFadeLenStr(0.0f, 1.0f, true), FADE_ENV_TEMPO_SYNC_STR[0]);
    EXPECT_EQ(APlugin::getFadeLenStr(std::nanf(""), std::nanf("")), "Off"); // sustain 0

    EXPECT_EQ(APlugin::getDBStr(0.5f, 30.0f, 30.0f), "-15.0 dB");
}

TEST(ValueText, DisplayTypeTexts) {
    auto e = makeEngine();
    // Pan and mix.
    EXPECT_EQ(textAt(*e, tag::MainPan, 0.5f), "C");
    EXPECT_EQ(textAt(*e, tag::MainPan, 0.75f), "50% L / 100% R");
    EXPECT_EQ(textAt(*e, tag::MainPan, 0.0f), "100% L / 0% R");
    EXPECT_EQ(textAt(*e, tag::WaveShaperMix, 0.5f), "Equal");
    EXPECT_EQ(textAt(*e, tag::WaveShaperMix, 0.75f), "50% D / 100% W");
    // Decibels, symmetric about the centre.
    EXPECT_EQ(textAt(*e, tag::Osc1SubVolume, 0.5f), "Off");
    EXPECT_EQ(textAt(*e, tag::Osc1SubVolume, 0.0f), "0.0 dB");
    EXPECT_EQ(textAt(*e, tag::Osc1SubVolume, 1.0f), "0.0 dB");
    EXPECT_EQ(textAt(*e, tag::Osc1SubVolume, 0.25f), "-15.0 dB");
    EXPECT_EQ(textAt(*e, tag::MainVolume, 1.0f), "10.0 dB");
    EXPECT_EQ(textAt(*e, tag::Osc1Volume, 0.0f), "-60.0 dB");
    // Pitch.
    EXPECT_EQ(textAt(*e, tag::Osc1Semi, 0.0f), "-48 Semi");
    EXPECT_EQ(textAt(*e, tag::Osc1Semi, 1.0f), "48 Semi");
    EXPECT_EQ(textAt(*e, tag::Osc1Fine, 0.5f), "0 C");
    EXPECT_EQ(textAt(*e, tag::SeqStepTuneA, 0.0f), "-36");
    EXPECT_EQ(textAt(*e, tag::SeqStepTuneA, 1.0f), "36");
    // Frequency and time.
    EXPECT_EQ(textAt(*e, tag::FilterFrequency, 0.0f), "20 Hz");
    EXPECT_EQ(textAt(*e, tag::FilterFrequency, 0.5f), "640 Hz");
    EXPECT_EQ(textAt(*e, tag::FilterFrequency, 1.0f), "20.5 KHz");
    EXPECT_EQ(textAt(*e, tag::AmpEnvRelease, 1.0f), "16.38 sec");
    EXPECT_EQ(textAt(*e, tag::AmpEnvRelease, 0.0f), "1 ms");
    e->setParameter(tag::Osc1AmpEnvSyncOn, 1.0f);
    EXPECT_EQ(textAt(*e, tag::Osc1AmpEnvRelease, 1.0f), "Endless");
    EXPECT_EQ(textAt(*e, tag::Osc1AmpEnvAttack, 1.0f), ENV_TEMPO_SYNC_STR[30]);
    e->setParameter(tag::Free1EnvSustain, 0.0f);
    e->setParameter(tag::Free1EnvSyncOn, 0.0f);
    EXPECT_EQ(textAt(*e, tag::Free1EnvFade, 1.0f), "Up 1 ms");
    EXPECT_EQ(textAt(*e, tag::Free1EnvFade, 0.5f), "Off");
    e->setParameter(tag::Osc1LfoSyncOn, 0.0f);
    EXPECT_EQ(textAt(*e, tag::Osc1LfoSpeed, 0.0f), "Off");
    EXPECT_EQ(textAt(*e, tag::Osc1LfoSpeed, 1.0f), "220.00 Hz");
    e->setParameter(tag::Osc1LfoSyncOn, 1.0f);
    EXPECT_EQ(textAt(*e, tag::Osc1LfoSpeed, 1.0f), LFO_PERIOD_STR[33]);

    // Play mode reads "Arp" while the arpeggiator is on, whatever its own value.
    e->setSteppedValue(tag::PlayMode, 2);
    e->setParameter(tag::ArpOn, 1.0f);
    EXPECT_EQ(e->getParameterDisplayStr(tag::PlayMode), "Arp");
    e->setParameter(tag::ArpOn, 0.0f);
    EXPECT_EQ(e->getParameterDisplayStr(tag::PlayMode), PLAY_MODE_STR[2]);

    EXPECT_EQ(e->getParameterDisplayStr(-1), " ");
    EXPECT_EQ(e->getParameterDisplayStr(2048), " ");
    EXPECT_EQ(e->getParameterDisplayStr(tag::None), "INTERNAL");
    for (int t : {tag::Xy1LenSec, tag::Xy1LenMs, tag::Xy2LenSec, tag::Xy2LenMs})
        EXPECT_EQ(e->getParameterDisplayStr(t), "----") << t;
}

TEST(ValueText, ModulationSlotTexts) {
    auto e = makeEngine();
    e->setSteppedValue(kSource, kSrcPitchbend);
    EXPECT_EQ(e->getParameterDisplayStr(kSource), SRC_SHORT_STR[kSrcPitchbend]);
    EXPECT_EQ(textAt(*e, kOffset, 0.3f), "---");
    EXPECT_EQ(textAt(*e, kLower, 0.0f), "-100%");
    e->setSteppedValue(kSource, kSrcVelocity);
    EXPECT_EQ(textAt(*e, kLower, 0.0f), "0%");
    EXPECT_NE(textAt(*e, kOffset, 0.5f), "---");

    e->setSteppedValue(kDest, kDestGlobalPitch);
    EXPECT_EQ(textAt(*e, kAmount, 0.5f), "0.00 sm");
    EXPECT_EQ(textAt(*e, kAmount, 1.0f), "36.00 sm");
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

TEST(ValueText, FilterVowelFollowsTheFilterType) {
    auto e = makeEngine();
    e->setSteppedValue(tag::FilterType, 15);
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.25f), "LP: 75%, HP: 25%");
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.0f), "LP");
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 1.0f), "HP");
    e->setSteppedValue(tag::FilterType, 16);
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.75f), "BP: 51%, HP: 49%");
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.0f), "LP");
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 1.0f), "HP");
    e->setSteppedValue(tag::FilterType, 36);
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.5f), "50.0%");
    e->setSteppedValue(tag::FilterType, 1);
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 0.0f), FILTER_VOWEL_STR[0]);
    EXPECT_EQ(textAt(*e, tag::FilterVowel, 1.0f), FILTER_VOWEL_STR[FILTER_VOWEL_COUNT - 1]);
}

TEST(ValueText, KnobNamesAndTextsFollowTheirModes) {
    auto e = makeEngine();
    EXPECT_EQ(e->getParameterNameStr(tag::None), "NONE");
    EXPECT_EQ(e->getParameterNameStr(tag::MainVolume), "Main Volume");
    EXPECT_EQ(e->getParameterNameStr(-3), "");
    EXPECT_EQ(e->getParameterNameStr(2048), "");

    e->setSteppedValue(tag::VoiceDistortionMode, 0);
    EXPECT_EQ(e->getParameterNameStr(tag::Distortion2), "And Amount");
    e->setSteppedValue(tag::VoiceDistortionMode, 21); // Tube
    EXPECT_EQ(e->getParameterNameStr(tag::Distortion1), DISTORT_MODE_VAR_STR[24][1]);
    EXPECT_EQ(textAt(*e, tag::Distortion7, 1.0f), "10.0 dB");
    EXPECT_EQ(textAt(*e, tag::Distortion2, 0.0f), "-100%");

    // The FX knobs are named from the applied mode, their texts from the menu at once.
    e->setSteppedValue(tag::DistortFxMode, 0);
    e->updateDistortFXMode();
    EXPECT_EQ(e->getParameterNameStr(tag::DistortionFx1), "DistortFX Amp Pre-Boost");
    e->setSteppedValue(tag::DistortFxMode, 26); // WaveShaper
    EXPECT_EQ(e->getParameterNameStr(tag::DistortionFx1), "DistortFX Amp Pre-Boost");
    EXPECT_EQ(textAt(*e, tag::DistortionFx6, 1.0f), "20.5 KHz");
    e->updateDistortFXMode();
    EXPECT_EQ(e->getDistortFXMode(), 26);
    EXPECT_EQ(e->getParameterNameStr(tag::DistortionFx6),
              "DistortFX WaveShaper High Pass Filter Frequency");
    e->setSteppedValue(tag::DistortFxMode, 0);
    EXPECT_EQ(textAt(*e, tag::DistortionFx2, 1.0f), AMP_MODEL_STR[AMP_MODEL_COUNT - 1]);

    e->setSteppedValue(tag::ModFxMode, 5);
    EXPECT_EQ(e->getParameterNameStr(tag::ModFx1), "Phaser Frequency");
    e->setSteppedValue(tag::ModFxMode, 7);
    EXPECT_EQ(e->getParameterNameStr(tag::ModFx4), "Tremolo N/A");
    EXPECT_EQ(textAt(*e, tag::ModFx1, 1.0f), LFO_WAVE_STR[LFO_WAVE_COUNT - 1]);
    for (int mode = 0; mode < MOD_FX_MODE_COUNT; ++mode) {
        e->setSteppedValue(tag::ModFxMode, mode);
        EXPECT_EQ(e->getParameterNameStr(tag::ModFxMix), "Mod FX Mix");
    }
    for (int mode = 0; mode < DISTORT_FX_MODE_COUNT; ++mode) {
        e->setSteppedValue(tag::DistortFxMode, mode);
        e->updateDistortFXMode();
        EXPECT_EQ(e->getParameterNameStr(tag::DistortionFxMix), "Distortion FX Mix");
    }
}

TEST(ValueText, HostBuffersGetAtMostThirtyOneCharacters) {
    auto e = makeEngine();
    e->setSteppedValue(tag::DistortFxMode, 26);
    e->updateDistortFXMode();
    char buffer[64];
    std::memset(buffer, 0x5A, sizeof(buffer));
    e->getParameterName(tag::DistortionFx6, buffer);
    EXPECT_EQ(std::string(buffer), std::string("DistortFX WaveShaper High Pass Filter Frequency")
                                       .substr(0, kVstExtMaxParamStrLen - 1));
    for (int i = kVstExtMaxParamStrLen; i < 64; ++i) EXPECT_EQ(buffer[i], 0x5A) << i;

    std::memset(buffer, 0x5A, sizeof(buffer));
    e->getParameterLabel(tag::MainVolume, buffer);
    EXPECT_STREQ(buffer, " ");
    e->getParameterLabel(5000, buffer);
    EXPECT_STREQ(buffer, " ");
    e->getParameterLabel(tag::MainVolume, nullptr); // no buffer, nothing written
    e->getParameterName(tag::MainVolume, nullptr);
    e->getParameterDisplay(tag::MainVolume, nullptr);
    std::memset(buffer, 0x5A, sizeof(buffer));
    e->getParameterName(-1, buffer);
    EXPECT_STREQ(buffer, "");
    e->getParameterDisplay(-1, buffer);
    EXPECT_STREQ(buffer, " ");
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
