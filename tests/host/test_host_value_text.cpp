// Parameter names, labels and value texts as a host reads them through the dispatcher: every
// tag's text fits the host's 32-byte buffer, the texts of each display type, the knobs renamed
// by their modes and number texts under a comma locale.
#include "TestHost.h"
#include "engine/params/ParamTags.h"
#include "tests/PlainOscillator.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

using namespace testhost;

namespace {

constexpr unsigned char kMarker = 0xA5;
constexpr int kProbeBytes = 64;

// Stored value of step `index` of a stepped tag with the given range.
constexpr auto& step = testpatch::stepValue;
constexpr float kDistortModeRange = 39.99f; // tags 334 and 339
constexpr float kModFxModeRange = 19.99f;
constexpr float kFilterTypeRange = 49.99f;
constexpr float kModSourceRange = 127.99f;
constexpr float kModDestRange = 399.99f;

class HostValueText : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }

    // Asks for one text into a marked 64-byte buffer and checks that the plug-in wrote a
    // terminated text into the first 32 bytes and nothing after them.
    static std::string probe(Plugin& plugin, VstInt32 opcode, VstInt32 tagNum) {
        unsigned char buffer[kProbeBytes];
        std::memset(buffer, kMarker, sizeof(buffer));
        plugin.dispatch(opcode, tagNum, 0, buffer);
        bool terminated = false;
        for (int i = 0; i < kVstExtMaxParamStrLen && !terminated; ++i) terminated = buffer[i] == 0;
        EXPECT_TRUE(terminated) << "opcode " << opcode << " tag " << tagNum;
        for (int i = kVstExtMaxParamStrLen; i < kProbeBytes; ++i) {
            if (buffer[i] != kMarker) {
                ADD_FAILURE() << "opcode " << opcode << " tag " << tagNum << " wrote byte " << i;
                break;
            }
        }
        if (!terminated) return std::string();
        return std::string(reinterpret_cast<const char*>(buffer));
    }

    // Every tag's name, label and value text, checked for size and for numbers gone wrong.
    static void checkAllTags(Plugin& plugin, const char* state) {
        for (VstInt32 t = 0; t < tag::Count; ++t) {
            const std::string name = probe(plugin, effGetParamName, t);
            EXPECT_FALSE(name.empty()) << state << " tag " << t;
            EXPECT_EQ(probe(plugin, effGetParamLabel, t), " ") << state << " tag " << t;
            const std::string text = probe(plugin, effGetParamDisplay, t);
            EXPECT_FALSE(text.empty()) << state << " tag " << t;
            for (const char* bad : {"nan", "inf"})
                EXPECT_EQ(text.find(bad), std::string::npos) << state << " tag " << t << text;
        }
    }

    static std::string textAt(Plugin& plugin, VstInt32 tagNum, float value) {
        plugin.setParameter(tagNum, value);
        return plugin.text(effGetParamDisplay, tagNum);
    }
};

} // namespace

TEST_F(HostValueText, EveryTagFitsTheHostBuffer) {
    Plugin plugin;
    checkAllTags(plugin, "as loaded");
    // Every tag at either end together, so the modes, switches and sources that other texts
    // depend on are at their ends too.
    for (VstInt32 t = 0; t < tag::Count; ++t) plugin.setParameter(t, 0.0f);
    checkAllTags(plugin, "all at 0");
    for (VstInt32 t = 0; t < tag::Count; ++t) plugin.setParameter(t, 1.0f);
    checkAllTags(plugin, "all at 1");

    // Outside the tags: an empty name, a blank text and the same blank label.
    for (VstInt32 t : {-1, 2048, 100000}) {
        EXPECT_EQ(probe(plugin, effGetParamName, t), "");
        EXPECT_EQ(probe(plugin, effGetParamDisplay, t), " ");
        EXPECT_EQ(probe(plugin, effGetParamLabel, t), " ");
    }
}

TEST_F(HostValueText, TextsPerDisplayType) {
    Plugin plugin;
    EXPECT_EQ(plugin.text(effGetParamName, tag::None), "NONE");
    EXPECT_EQ(plugin.text(effGetParamDisplay, tag::None), "INTERNAL");

    EXPECT_EQ(textAt(plugin, tag::MainPan, 0.5f), "C");
    EXPECT_EQ(textAt(plugin, tag::MainPan, 0.75f), "50% L / 100% R");
    EXPECT_EQ(textAt(plugin, tag::WaveShaperMix, 0.75f), "50% D / 100% W");
    EXPECT_EQ(textAt(plugin, tag::Osc1SubVolume, 0.25f), "-15.0 dB");
    EXPECT_EQ(textAt(plugin, tag::MainVolume, 0.0f), "-60.0 dB");
    EXPECT_EQ(textAt(plugin, tag::VelocityToVolume, 0.5f), "50.0%");
    EXPECT_EQ(textAt(plugin, tag::Osc1Semi, 0.0f), "-48 Semi");
    EXPECT_EQ(textAt(plugin, tag::FilterFrequency, 0.0f), "20 Hz");
    EXPECT_EQ(textAt(plugin, tag::FilterFrequency, 0.5f), "640 Hz");
    EXPECT_EQ(textAt(plugin, tag::FilterFrequency, 1.0f), "20.5 KHz");
    // The brick filter spans twelve octaves from 20 Hz, not the voice filter's ten: at its
    // default it runs at 14.9 kHz, which the voice filter's text would call 4.9 kHz.
    EXPECT_EQ(plugin.text(effGetParamDisplay, tag::BrickFilterFrequency), "14.9 KHz");
    EXPECT_EQ(textAt(plugin, tag::BrickFilterFrequency, 0.0f), "20 Hz");
    EXPECT_EQ(textAt(plugin, tag::BrickFilterFrequency, 0.375f), "452 Hz");
    EXPECT_EQ(textAt(plugin, tag::BrickFilterFrequency, 0.5f), "1.3 KHz");
    EXPECT_EQ(textAt(plugin, tag::BrickFilterFrequency, 0.75f), "10.2 KHz");
    EXPECT_EQ(textAt(plugin, tag::BrickFilterFrequency, 1.0f), "81.9 KHz");
    EXPECT_EQ(textAt(plugin, tag::AmpEnvRelease, 1.0f), "16.38 sec");
    plugin.setParameter(tag::Osc1LfoSyncOn, 0.0f);
    EXPECT_EQ(textAt(plugin, tag::Osc1LfoSpeed, 1.0f), "220.00 Hz");
    plugin.setParameter(tag::Free1EnvSyncOn, 0.0f);
    plugin.setParameter(tag::Free1EnvSustain, 1.0f);
    EXPECT_EQ(textAt(plugin, tag::Free1EnvFade, 0.0f), "Down 1 ms");

    EXPECT_EQ(textAt(plugin, tag::MainVolume, 1.0f), "10.0 dB");
    // Synced times read as note lengths; a synced envelope's top is endless.
    plugin.setParameter(tag::Osc1AmpEnvSyncOn, 1.0f);
    EXPECT_EQ(textAt(plugin, tag::Osc1AmpEnvRelease, 1.0f), "Endless");
    plugin.setParameter(tag::Osc1LfoSyncOn, 1.0f);
    EXPECT_EQ(textAt(plugin, tag::Osc1LfoSpeed, 1.0f), "1/32T QB");
    plugin.setParameter(tag::Free1EnvSustain, 0.0f);
    EXPECT_EQ(textAt(plugin, tag::Free1EnvFade, 0.5f), "Off");

    // Play mode reads "Arp" while the arpeggiator is on, whatever its own value.
    plugin.setParameter(tag::PlayMode, step(2, 9.99f));
    const std::string ownMode = plugin.text(effGetParamDisplay, tag::PlayMode);
    plugin.setParameter(tag::ArpOn, 1.0f);
    EXPECT_EQ(plugin.text(effGetParamDisplay, tag::PlayMode), "Arp");
    plugin.setParameter(tag::ArpOn, 0.0f);
    EXPECT_EQ(plugin.text(effGetParamDisplay, tag::PlayMode), ownMode);
    EXPECT_NE(ownMode, "Arp");

    // Modulation slot 1: Pitchbend (source 18) has no offset and a bipolar range; a slot
    // aimed at Global Pitch (destination 8) reads semitones.
    plugin.setParameter(tag::ModSourceFirst, step(18, kModSourceRange));
    EXPECT_EQ(textAt(plugin, tag::ModOffsetFirst, 0.3f), "---");
    plugin.setParameter(tag::ModDestFirst, step(8, kModDestRange));
    EXPECT_EQ(textAt(plugin, tag::ModAmountFirst, 1.0f), "36.00 sm");

    plugin.setParameter(tag::FilterType, step(15, kFilterTypeRange));
    EXPECT_EQ(textAt(plugin, tag::FilterVowel, 0.25f), "LP: 75%, HP: 25%");
    EXPECT_EQ(textAt(plugin, tag::FilterVowel, 1.0f), "HP");
    plugin.setParameter(tag::FilterType, step(36, kFilterTypeRange));
    EXPECT_EQ(textAt(plugin, tag::FilterVowel, 0.5f), "50.0%");

    // The step ratchets' nine steps read inside their four names.
    EXPECT_EQ(textAt(plugin, tag::SeqStepRatchetA, 1.0f), "4");
    EXPECT_EQ(textAt(plugin, tag::SeqStepRatchetA, 0.0f), "Off");
}

TEST_F(HostValueText, DistortionAndModFxKnobsAreRenamedByTheirModes) {
    Plugin plugin;
    plugin.setParameter(tag::VoiceDistortionMode, step(0, kDistortModeRange)); // And
    EXPECT_EQ(plugin.text(effGetParamName, tag::Distortion2), "And Amount");
    plugin.setParameter(tag::VoiceDistortionMode, step(21, kDistortModeRange)); // Tube
    EXPECT_EQ(plugin.text(effGetParamName, tag::Distortion1), "Tube Limiter");
    EXPECT_EQ(textAt(plugin, tag::Distortion7, 1.0f), "10.0 dB");
    // A 34-character name reaches the host as its first 31 characters.
    plugin.setParameter(tag::VoiceDistortionMode, step(2, kDistortModeRange)); // Clipper
    EXPECT_EQ(probe(plugin, effGetParamName, tag::Distortion6), "Clipper High Pass Filter Freque");
    EXPECT_EQ(textAt(plugin, tag::Distortion2, 0.0f), "20 Hz");

    // The FX knobs' texts follow the menu at once.
    plugin.setParameter(tag::DistortFxMode, step(0, kDistortModeRange)); // Amp
    EXPECT_EQ(textAt(plugin, tag::DistortionFx2, 1.0f), "Radio");
    plugin.setParameter(tag::DistortFxMode, step(24, kDistortModeRange)); // Tube
    EXPECT_EQ(textAt(plugin, tag::DistortionFx1, 0.5f), "50.0%");
    for (VstInt32 t = tag::DistortionFx1; t <= tag::DistortionFx7; ++t)
        EXPECT_EQ(plugin.text(effGetParamName, t).rfind("DistortFX ", 0), 0u) << t;
    for (VstInt32 t : {tag::DistortionFxMix, tag::ModFxMix, tag::LowFiMix})
        EXPECT_EQ(plugin.text(effGetParamName, t).find("DistortFX"), std::string::npos);

    plugin.setParameter(tag::ModFxMode, step(5, kModFxModeRange));
    EXPECT_EQ(plugin.text(effGetParamName, tag::ModFx1), "Phaser Frequency");
    EXPECT_EQ(plugin.text(effGetParamName, tag::ModFxMix), "Mod FX Mix");
    plugin.setParameter(tag::ModFxMode, step(7, kModFxModeRange));
    EXPECT_EQ(plugin.text(effGetParamName, tag::ModFx4), "Tremolo N/A");
}

// The distortion-FX knobs take their names from the mode the engine applied, which the slow
// control-rate update takes from the menu.
TEST_F(HostValueText, DistortionFxNamesFollowTheSlowUpdate) {
    Plugin plugin;
    plugin.setParameter(tag::DistortFxMode, step(24, kDistortModeRange)); // Tube
    std::vector<float> left, right;
    plugin.process(256, left, right);
    EXPECT_EQ(plugin.text(effGetParamName, tag::DistortionFx1), "DistortFX Tube Limiter");
    plugin.setParameter(tag::DistortFxMode, step(0, kDistortModeRange)); // Amp
    plugin.process(256, left, right);
    EXPECT_EQ(plugin.text(effGetParamName, tag::DistortionFx1), "DistortFX Amp Pre-Boost");
}

TEST_F(HostValueText, NumbersKeepAPointUnderACommaLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "ru_RU.UTF-8", "it_IT.UTF-8", "es_ES.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) &&
            std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            chosen = name;
            break;
        }
    }
    if (!chosen) {
        std::setlocale(LC_ALL, "C");
        ZEK2_CANNOT_RUN("no locale with a comma decimal separator is installed");
    }
    Plugin plugin;
    const std::string pct = textAt(plugin, tag::VelocityToVolume, 0.5f);
    const std::string db = textAt(plugin, tag::Osc1SubVolume, 0.25f);
    const std::string khz = textAt(plugin, tag::FilterFrequency, 1.0f);
    const std::string sec = textAt(plugin, tag::AmpEnvRelease, 1.0f);
    plugin.setParameter(tag::Osc1LfoSyncOn, 0.0f);
    const std::string hz = textAt(plugin, tag::Osc1LfoSpeed, 1.0f);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(pct, "50.0%") << chosen;
    EXPECT_EQ(db, "-15.0 dB");
    EXPECT_EQ(khz, "20.5 KHz");
    EXPECT_EQ(sec, "16.38 sec");
    EXPECT_EQ(hz, "220.00 Hz");
}
