// Voice state the audio cannot show directly: the concert-pitch chain from the A4 preference,
// envelope times and shapes, the per-voice octave, unison tunings and the user-wave guard.
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

constexpr float kRate = 48000.0f;

class VoiceEngine : public ::testing::Test {
protected:
    std::unique_ptr<APlugin> engine() {
        auto e = std::make_unique<APlugin>(nullptr);
        e->setSampleRate(kRate);
        e->setGlobalRare();
        return e;
    }
    void choose(APlugin& e, int t, int index) {
        e.setParameter(t, (index + 0.1f) / e.getSteppedRange(t));
    }
    // Presses voice 0 on a key by hand, as the note road does, and runs its first update.
    void press(APlugin& e, int key) {
        e.voicePressed[0] = 1;
        e.voiceNote[0] = key;
        e.voiceTargetPitch[0] = e.voiceGlidePitch[0] = (key - 57) / 12.0f;
        e.voiceVelocity[0] = e.voiceVelocityGain[0] = 1.0f;
        e.restartVoice(0);
        for (int d = 0; d < 323; ++d) e.voiceDest[0][d] = e.voiceDestDefault[d];
        e.setVoiceModOften(0);
        e.setVoiceOften(0);
    }
    FreshPrefs prefs{"zek2voice"};
};

} // namespace

TEST_F(VoiceEngine, EnvelopeTimesFollowTheKnobLawAndSyncedNoteValues) {
    auto e = engine();
    // Free: a whole ramp in 2^(14 k) ms, 16 samples per update.
    for (float k : {0.0f, 0.5f, 1.0f}) {
        e->setParameter(tag::AmpEnvAttack, k);
        const double updates = 1.0 / e->getEnvAtt(0, 0);
        const double ms = updates * 16.0 / kRate * 1000.0;
        EXPECT_NEAR(ms / std::exp2(14.0 * k), 1.0, 0.02) << k;
    }
    // Synced (filter envelope): "1/4 QB", index 11, a quarter of a whole note at 120 BPM.
    e->setParameter(tag::FilterEnvSyncOn, 1.0f);
    e->setGlobalRare();
    e->setParameter(tag::FilterEnvDecay, (11 + 0.1f) / 30.99f);
    const double samples = 16.0 / e->getEnvDec(1, 0);
    EXPECT_NEAR(samples, 0.25 * 240.0 * kRate / 120.0 + 1.0, 1.0);
    // Sustain tops out below 1 so that the decay always ends; release at the top holds every
    // envelope but the amp envelope.
    e->setParameter(tag::FilterEnvSustain, 1.0f);
    EXPECT_FLOAT_EQ(e->getEnvSust(1, 0), 0.999f);
    e->setParameter(tag::FilterEnvRelease, 1.0f);
    e->setParameter(tag::AmpEnvRelease, 1.0f);
    EXPECT_EQ(e->getEnvRel(1, 0), 0.0f);
    EXPECT_GT(e->getEnvRel(0, 0), 0.0f);
    // A fade knob within 0.0005 of its centre does not fade.
    e->setParameter(tag::Free1EnvFade, 0.5003f);
    EXPECT_EQ(e->getEnvFade(2, 0), 0.0f);
    e->setParameter(tag::Free1EnvFade, 0.0f);
    EXPECT_LT(e->getEnvFade(2, 0), 0.0f);
}

TEST_F(VoiceEngine, AmpEnvelopeRisesHoldsAndReleasesToExactSilence) {
    auto e = engine();
    e->setParameter(tag::AmpEnvAttack, 0.5f); // 128 ms
    e->setParameter(tag::AmpEnvDecay, 0.0f);
    e->setParameter(tag::AmpEnvSustain, 0.5f);
    e->setParameter(tag::AmpEnvRelease, 0.0f);
    press(*e, 60);
    int updates = 0;
    while (e->getVoiceEnv(0, 0).stage == 0 && updates < 10000) {
        e->setVolEnv(0, 0);
        ++updates;
    }
    EXPECT_NEAR(updates * 16.0 / kRate, 0.128, 0.005);
    for (int i = 0; i < 50; ++i) e->setVolEnv(0, 0);
    EXPECT_NEAR(e->getVoiceEnv(0, 0).output, 0.4995f, 1e-4);
    e->voicePressed[0] = 0;
    for (int i = 0; i < 20; ++i) e->setVolEnv(0, 0);
    EXPECT_EQ(e->getVoiceEnv(0, 0).output, 0.0f);
    e->setVolEnv(0, 0);
    EXPECT_EQ(e->voiceLevel[0], 0.0f);
}

TEST_F(VoiceEngine, UnisonTuningsFollowTheAmountOrTheChord) {
    auto e = engine();
    choose(*e, tag::UnisonMode, 5); // "6 Voices"
    e->setParameter(tag::UnisonAmount, 0.0f);
    e->setGlobalRare();
    ASSERT_EQ(e->getUnisonCount(), 6);
    press(*e, 60);
    for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(e->getSubVoiceTune(k), 1.0f) << k;
    e->setParameter(tag::UnisonAmount, 1.0f);
    e->setVoiceOften(0);
    EXPECT_NEAR(e->getSubVoiceTune(0), std::exp2(-0.2 / 12.0), 1e-5);
    choose(*e, tag::UnisonMode, 16); // "Major 7": 0, 4, 7, 11 whatever the amount
    e->setGlobalRare();
    e->setVoiceOften(0);
    EXPECT_NEAR(e->getSubVoiceTune(3), std::exp2(11.0 / 12.0), 1e-5);
}

TEST_F(VoiceEngine, UserWaveRebuildsNeverRunTogetherAndNeverLeaveTheBusyFlag) {
    auto e = engine();
    // A partial edit leaves no flag behind: a later switch to the wave gets its tables.
    e->setWaveTablePartials(0, 0, 1.0f, false);
    EXPECT_FALSE(e->getUserWaveBusy());
    choose(*e, tag::Osc1Type, 4);
    e->setGlobalRare();
    EXPECT_FALSE(e->getUserWaveDirty(0));
    // Bad indexes are refused.
    e->setWaveTablePartials(2, 0, 1.0f, 0.5f);
    e->setWaveTablePartials(0, -1, 1.0f, false);
    const float before = e->getWaveTablePartialsAmp(0, 3);
    e->setWaveTablePartials(0, 3, std::nanf(""), false);
    EXPECT_EQ(e->getWaveTablePartialsAmp(0, 3), before);
}

// The oscillators' settings of every 2nd pass and of every pass run four voices at a time
// across lanes; each voice must get the bits the one-voice forms give it, from its own
// modulation, LFO values and cadence, with the sub-oscillator, phase modulation, wrap and bits in
// use for some voices, and with values beyond every range (NaN, infinities, signed zeros).
TEST_F(VoiceEngine, OscillatorSettingsInLanesGiveEachVoiceTheOneVoiceBits) {
    auto e = engine();
    e->setParameter(tag::Osc1SubVolume, 0.9f);
    choose(*e, tag::Osc2ModMode, 1); // phase modulation
    e->setParameter(tag::Osc2ModAmount, 0.3f);
    e->setParameter(tag::Osc1AmpEnvAmount, 0.7f); // the positive branch
    e->setParameter(tag::Osc2AmpEnvAmount, 0.2f); // the negative one
    e->setParameter(tag::Osc1Pan, 0.3f);
    e->setParameter(tag::Osc2Volume, 0.8f);
    e->setParameter(tag::Osc1LfoToAmp, 0.4f);
    e->setParameter(tag::Osc2LfoToPwm, 0.6f);
    e->setGlobalRare();
    e->snapSmoothedLevels();
    press(*e, 62); // voice 0 from a real note start
    const float values[13] = {-1.5f, -0.25f, -0.0f,    0.0f,      0.0005f, 0.3f,  0.75f,
                              1.0f,  2.5f,   INFINITY, -INFINITY, NAN,     3.0e9f};
    const int voices[7] = {5, 0, 9, 3, 12, 1, 7};
    const uint8_t due[2][7] = {{1, 0, 1, 1, 0, 0, 1}, {0, 1, 1, 0, 1, 1, 0}};
    static OscVoice before[16][2], scalar[16][2];
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < 7; ++k) {
            const int v = voices[k];
            for (int d = 0; d < 160; ++d) e->voiceDest[v][d] = values[(v * 7 + d * 3 + pass) % 13];
            for (int osc = 0; osc < 2; ++osc)
                for (int h = 0; h < 2; ++h)
                    e->oscVoiceSettings(v, osc).lfo[h] = values[(v + 5 * osc + 3 * h + pass) % 9];
        }
        for (int osc = 0; osc < 2; ++osc) {
            for (int v = 0; v < 16; ++v)
                std::memcpy(&before[v][osc], &e->oscVoiceSettings(v, osc), sizeof(OscVoice));
            for (int k = 0; k < 7; ++k) {
                if (due[pass][k]) e->setOscEvery2nd(voices[k], osc);
                e->setOscEveryPass(voices[k], osc);
            }
            for (int v = 0; v < 16; ++v) {
                std::memcpy(&scalar[v][osc], &e->oscVoiceSettings(v, osc), sizeof(OscVoice));
                std::memcpy(&e->oscVoiceSettings(v, osc), &before[v][osc], sizeof(OscVoice));
            }
            e->setOscSettingsLanes(osc, voices, due[pass], 7);
            for (int v = 0; v < 16; ++v)
                EXPECT_EQ(
                    std::memcmp(&scalar[v][osc], &e->oscVoiceSettings(v, osc), sizeof(OscVoice)), 0)
                    << "pass " << pass << ", oscillator " << osc << ", voice " << v;
        }
    }
    // The values above reach the shaping of some voices: wrap and bits are tried on and off.
    int wraps = 0, bits = 0;
    for (int v : voices) {
        wraps += e->oscVoiceSettings(v, 0).wrapOn + e->oscVoiceSettings(v, 1).wrapOn;
        bits += e->oscVoiceSettings(v, 0).bitsOn + e->oscVoiceSettings(v, 1).bitsOn;
    }
    EXPECT_GT(wraps, 0);
    EXPECT_LT(wraps, 14);
    EXPECT_GT(bits, 0);
    EXPECT_LT(bits, 14);
}
