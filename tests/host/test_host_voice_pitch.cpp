// Played notes heard through the real plug-in: concert pitch at every rate, equal temperament
// over the keyboard, the tuning and octave controls, unison detune, the amp envelope's release,
// pan, DC, and bounded output under extreme settings.
#include "engine/params/ParamTags.h"
#include "tests/PlainOscillator.h"
#include "tests/host/AudioAnalysis.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using testhost::Plugin;

namespace {

// Stepped ranges of the selectors these tests set (index i is stored as (i + 0.1) / range).
constexpr float kTypeRange = 7.99f;
constexpr float kUnisonRange = 29.99f;
constexpr float kOctaveRange = 8.99f;

constexpr auto& step = testpatch::stepValue;

// A plain voice: oscillator 1 alone, a sine, no sub, unison, drift or envelope colour; the
// amp envelope opens at once and holds full level.
void plainPatch(Plugin& p, int type = 0) {
    std::vector<float> l, r;
    // Let the start-up program land first, so it cannot overwrite the settings below.
    for (int i = 0; i < 3; ++i) p.process(4096, l, r);
    testpatch::setPlainVoice(p, type);
    p.process(256, l, r);
}

// Renders `seconds` of a held key, after a settling tenth of a second.
std::vector<float> holdKey(Plugin& p, int key, double seconds, float rate,
                           std::vector<float>* rightOut = nullptr) {
    p.sendMidi({{0, 0x90, key, 100}});
    std::vector<float> l, r;
    p.process(static_cast<VstInt32>(0.1 * rate), l, r);
    p.process(static_cast<VstInt32>(seconds * rate), l, r);
    l.pop_back(); // the guard sample past the block
    r.pop_back();
    if (rightOut) *rightOut = r;
    return l;
}

double keyHz(int key, double a4 = 440.0) {
    return a4 * std::pow(2.0, (key - 69) / 12.0);
}

} // namespace

TEST(HostVoicePitch, KeysSoundAtEqualTemperamentFromA4AtEveryRate) {
    for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
        for (int key : {21, 45, 69, 93, 108}) {
            Plugin p(rate, 512);
            plainPatch(p);
            const std::vector<float> l = holdKey(p, key, 1.0, rate);
            ASSERT_GT(audio::rms(l), 0.05) << "silent at key " << key << ", " << rate << " Hz";
            EXPECT_NEAR(audio::cents(audio::crossingFrequency(l, rate), keyHz(key)), 0.0, 1.0)
                << "key " << key << " at " << rate << " Hz";
        }
    }
}

TEST(HostVoicePitch, TuningOctaveSemiAndFineMoveThePitchByTheirAmounts) {
    const float rate = 48000.0f;
    struct Case {
        int tagNo;
        float value;
        double cents;
    } cases[] = {
        {tag::GlobalTuning, 0.75f, 600.0},                // half way up: half an octave
        {tag::GlobalTuning, 0.0f, -1200.0},               // an octave down at the bottom
        {tag::Osc1Octave, step(5, kOctaveRange), 1200.0}, // one octave step
        {tag::Osc1Semi, 55.5f / 96.99f, 700.0},           // seven semitones
        {tag::Osc1Fine, 0.75f, 50.0},                     // half of +100 cents
    };
    for (const Case& c : cases) {
        Plugin p(rate, 512);
        plainPatch(p);
        p.setParameter(c.tagNo, c.value);
        const std::vector<float> l = holdKey(p, 60, 0.5, rate);
        EXPECT_NEAR(audio::cents(audio::crossingFrequency(l, rate), keyHz(60)), c.cents, 1.0)
            << "tag " << c.tagNo;
    }
}

TEST(HostVoicePitch, EveryOscillatorTypeSoundsAtTheKeysPitch) {
    const float rate = 48000.0f;
    for (int type = 0; type < 6; ++type) {
        Plugin p(rate, 512);
        plainPatch(p, type);
        if (type >= 4) {
            // A user wave drawn as a sine, taken up when the type is.
            for (int i = 0; i < 512; ++i)
                p.setParameter((type == 4 ? tag::UserWave1First : tag::UserWave2First) + i,
                               static_cast<float>(0.5 + 0.5 * std::sin(6.283185307 * i / 512.0)));
            p.setParameter(tag::Osc1Type, step(0, kTypeRange));
            std::vector<float> l, r;
            p.process(512, l, r);
            p.setParameter(tag::Osc1Type, step(type, kTypeRange));
            p.process(512, l, r);
        }
        const std::vector<float> l = holdKey(p, 57, 0.5, rate);
        EXPECT_NEAR(audio::cents(audio::dominantFrequency(l, rate), 220.0), 0.0, 2.0)
            << "type " << type;
    }
}

TEST(HostVoicePitch, UnisonDetunesBySpreadAndChordsPlayTheirIntervals) {
    const float rate = 48000.0f;
    Plugin p(rate, 512);
    plainPatch(p);
    p.setParameter(tag::UnisonMode, step(10, kUnisonRange)); // "Major": root, third, fifth
    p.setParameter(tag::UnisonSpread, 0.0f);
    // A new unison layout stops every voice when the slow update takes it up.
    std::vector<float> l0, r0;
    p.process(512, l0, r0);
    const std::vector<float> l = holdKey(p, 57, 0.5, rate);
    const double root = audio::magnitudeAt(l, 220.0, rate);
    EXPECT_GT(audio::magnitudeAt(l, keyHz(61), rate), 0.3 * root);
    EXPECT_GT(audio::magnitudeAt(l, keyHz(64), rate), 0.3 * root);
    EXPECT_LT(audio::magnitudeAt(l, keyHz(62), rate), 0.05 * root);
}

TEST(HostVoicePitch, ReleasedVoiceFallsSilentAndHardPanSilencesTheOtherSide) {
    const float rate = 48000.0f;
    Plugin p(rate, 512);
    plainPatch(p);
    p.setParameter(tag::MainPan, 0.0f);
    std::vector<float> right;
    const std::vector<float> left = holdKey(p, 69, 0.3, rate, &right);
    EXPECT_GT(audio::rms(left), 0.05);
    EXPECT_LT(audio::rms(right), 1e-4);
    EXPECT_NEAR(audio::mean(left), 0.0, 1e-3);
    // Release 0: about a millisecond, then nothing at all.
    p.sendMidi({{0, 0x80, 69, 0}});
    std::vector<float> l, r;
    p.process(static_cast<VstInt32>(0.05 * rate), l, r);
    p.process(4800, l, r);
    l.pop_back();
    EXPECT_LT(audio::peak(l), 1e-5);
}

TEST(HostVoicePitch, SawAtKey100KeepsItsAliasesFarBelowItsHarmonics) {
    const float rate = 44100.0f;
    Plugin p(rate, 512);
    plainPatch(p, 1);
    const std::vector<float> l = holdKey(p, 100, 0.5, rate);
    const double f0 = keyHz(100);
    double harmonic = 0.0, alias = 0.0;
    for (int h = 1; h * f0 < 20000.0; ++h)
        harmonic += std::pow(audio::magnitudeAt(l, h * f0, rate), 2);
    // Between the harmonics, where only folded partials can be.
    for (int h = 1; (h + 1) * f0 < 20000.0; ++h)
        for (double frac : {0.25, 0.5, 0.75})
            alias = std::max(alias, audio::magnitudeAt(l, (h + frac) * f0, rate));
    EXPECT_LT(alias * alias, harmonic * 0.01);
}

TEST(HostVoicePitch, ExtremeSettingsOfEveryTypeAndModeStayFiniteAndBounded) {
    const float rate = 44100.0f;
    Plugin p(rate, 256);
    plainPatch(p);
    p.setParameter(tag::Osc2On, 1.0f);
    p.setParameter(tag::Osc2SyncOn, 1.0f);
    p.setParameter(tag::Osc2ModAmount, 1.0f);
    p.setParameter(tag::Osc2Volume, 1.0f);
    p.setParameter(tag::Osc2SubVolume, 1.0f);
    p.setParameter(tag::Osc1SubVolume, 0.0f);
    p.setParameter(tag::Osc1Spread, 1.0f);
    p.setParameter(tag::Osc2Spread, 1.0f);
    p.setParameter(tag::Osc1LfoToPitch, 1.0f);
    p.setParameter(tag::Osc1LfoSpeed, 1.0f);
    p.setParameter(tag::Osc1PitchEnvAmount, 1.0f);
    p.setParameter(tag::Osc1Symmetry, 0.0f);
    p.setParameter(tag::Osc2Symmetry, 1.0f);
    p.setParameter(tag::Osc1ZekAmount, 1.0f);
    p.setParameter(tag::Osc1Octave, 1.0f);
    p.setParameter(tag::Osc2Octave, 0.0f);
    p.setParameter(tag::UnisonMode, step(9, kUnisonRange));
    p.setParameter(tag::GlobalTuning, 1.0f);
    std::vector<float> l, r;
    for (int type = 0; type < 8; ++type)
        for (int mode = 0; mode < 7; ++mode) {
            p.setParameter(tag::Osc1Type, step(type, kTypeRange));
            p.setParameter(tag::Osc2Type, step(7 - type, kTypeRange));
            p.setParameter(tag::Osc2ModMode, (mode + 0.1f) / 19.99f);
            p.sendMidi({{0, 0x90, 127, 127}, {10, 0x90, 0, 1}, {20, 0x90, 64, 90}});
            p.process(2048, l, r);
            l.pop_back();
            r.pop_back();
            ASSERT_TRUE(audio::allFiniteNormal(l)) << type << " " << mode;
            ASSERT_TRUE(audio::allFiniteNormal(r)) << type << " " << mode;
            EXPECT_LE(audio::peak(l), double(0.999f)) << type << " " << mode;
            p.sendMidi({{0, 0xB0, 123, 0}});
        }
}

namespace {
// Oscillator 1 a sine at key 57 (220 Hz) feeding oscillator 2, a sine seven semitones up,
// with only oscillator 2 heard.
std::vector<float> osc2Mode(int mode, float amount, bool sync = false) {
    const float rate = 48000.0f;
    Plugin p(rate, 512);
    plainPatch(p);
    p.setParameter(tag::Osc1OutputOn, 0.0f);
    p.setParameter(tag::Osc2On, 1.0f);
    p.setParameter(tag::Osc2Type, step(0, kTypeRange));
    p.setParameter(tag::Osc2Volume, 1.0f);
    p.setParameter(tag::Osc2Pan, 0.5f);
    p.setParameter(tag::Osc2Octave, step(4, kOctaveRange));
    p.setParameter(tag::Osc2Semi, 55.5f / 96.99f);
    p.setParameter(tag::Osc2Fine, 0.5f);
    p.setParameter(tag::Osc2SubVolume, 0.5f);
    p.setParameter(tag::Osc2Spread, 0.0f);
    p.setParameter(tag::Osc2Symmetry, 0.5f);
    p.setParameter(tag::Osc2KeyTrackOn, 1.0f);
    p.setParameter(tag::Osc2AmpEnvAmount, 0.5f);
    p.setParameter(tag::Osc2PitchEnvAmount, 0.5f);
    p.setParameter(tag::Osc2LfoToPitch, 0.0f);
    p.setParameter(tag::Osc2LfoToAmp, 0.0f);
    p.setParameter(tag::Osc2ZekAmount, 0.0f);
    p.setParameter(tag::Osc2ModMode, (mode + 0.1f) / 19.99f);
    p.setParameter(tag::Osc2ModAmount, amount);
    p.setParameter(tag::Osc2SyncOn, sync ? 1.0f : 0.0f);
    std::vector<float> l, r;
    p.process(512, l, r);
    return holdKey(p, 57, 0.5, rate);
}
} // namespace

TEST(HostVoicePitch, Oscillator2ModesMakeTheirSpectra) {
    const double rate = 48000.0, f1 = 220.0, f2 = keyHz(64);
    using audio::magnitudeAt;
    // Off: oscillator 2 alone at its own pitch.
    const std::vector<float> off = osc2Mode(0, 1.0f);
    EXPECT_NEAR(audio::cents(audio::dominantFrequency(off, rate), f2), 0.0, 2.0);
    // Ring at full amount: sum and difference, no carrier.
    const std::vector<float> ring = osc2Mode(3, 1.0f);
    const double sum = magnitudeAt(ring, f2 + f1, rate), diff = magnitudeAt(ring, f2 - f1, rate);
    EXPECT_GT(sum, 10.0 * magnitudeAt(ring, f2, rate));
    EXPECT_GT(diff, 10.0 * magnitudeAt(ring, f2, rate));
    // FM: sidebands at the carrier plus and minus the modulator.
    const std::vector<float> fm = osc2Mode(2, 0.3f);
    EXPECT_GT(magnitudeAt(fm, f2 + f1, rate), 0.05 * magnitudeAt(fm, f2, rate));
    EXPECT_GT(magnitudeAt(fm, f2 - f1, rate), 0.05 * magnitudeAt(fm, f2, rate));
    EXPECT_LT(magnitudeAt(off, f2 + f1, rate), 0.01 * magnitudeAt(off, f2, rate));
    // Sync: oscillator 2 restarts with oscillator 1, so the sound repeats at 220 Hz.
    const std::vector<float> sync = osc2Mode(0, 0.0f, true);
    EXPECT_GT(magnitudeAt(sync, f1, rate), 0.1 * magnitudeAt(sync, f2, rate));
    EXPECT_LT(magnitudeAt(off, f1, rate), 0.01 * magnitudeAt(off, f2, rate));
}

namespace {
// A chord of four keys in six-voice unison, oscillator 1 a saw and oscillator 2 a square with
// the given symmetry, spread, sub volume and ZEK amount, a pan, an amp LFO and amp envelope
// depth, and the given modulation mode at no amount, both heard; both channels interleaved.
std::vector<float> unisonChord(int mode, float symmetry, float spread = 0.0f,
                               float subVolume = 0.5f, float zek = 0.0f) {
    const float rate = 48000.0f;
    Plugin p(rate, 128);
    plainPatch(p, 1);
    p.setParameter(tag::Osc2On, 1.0f);
    p.setParameter(tag::Osc2Type, step(2, kTypeRange));
    p.setParameter(tag::Osc2Volume, 1.0f);
    p.setParameter(tag::Osc2Symmetry, symmetry);
    p.setParameter(tag::Osc2SubVolume, subVolume);
    p.setParameter(tag::Osc2Spread, spread);
    p.setParameter(tag::Osc2ZekAmount, zek);
    p.setParameter(tag::Osc2Pan, 0.3f);
    p.setParameter(tag::Osc2LfoToAmp, 0.6f);
    p.setParameter(tag::Osc2LfoSpeed, 1.0f);
    p.setParameter(tag::Osc2AmpEnvAmount, 0.8f);
    p.setParameter(tag::Osc2ModMode, (mode + 0.1f) / 19.99f);
    p.setParameter(tag::Osc2ModAmount, 0.0f);
    p.setParameter(tag::UnisonMode, step(5, kUnisonRange));
    std::vector<float> l, r;
    p.process(256, l, r);
    p.sendMidi({{3, 0x90, 48, 100}, {40, 0x90, 55, 90}, {77, 0x90, 64, 80}, {99, 0x90, 71, 70}});
    std::vector<float> out;
    for (int b = 0; b < 80; ++b) {
        p.process(128, l, r);
        for (int i = 0; i < 128; ++i) {
            out.push_back(l[i]);
            out.push_back(r[i]);
        }
    }
    return out;
}
} // namespace

// Ring modulation at no amount leaves the carrier as it is, so oscillator 2 through the general
// render (with a modulator) and through the plain one (without) must give the same samples,
// centred symmetry or not, with spread, the sub-oscillator and the ZEK morph off or on, for
// every sub-voice of every voice. Phase modulation at no amount moves no sample either: its own
// one-step render must sound as the plain one too.
TEST(HostVoicePitch, RingAtNoAmountSoundsAsOscillator2Alone) {
    for (float symmetry : {0.5f, 0.3f})
        for (float spread : {0.0f, 0.4f})
            for (float subVolume : {0.5f, 0.85f})
                for (float zek : {0.0f, 0.6f}) {
                    const std::vector<float> alone =
                        unisonChord(0, symmetry, spread, subVolume, zek);
                    EXPECT_GT(audio::peak(alone), 0.05) << symmetry;
                    for (int mode : {3, 1}) {
                        const std::vector<float> modulated =
                            unisonChord(mode, symmetry, spread, subVolume, zek);
                        const std::string what =
                            "mode " + std::to_string(mode) + " symmetry " +
                            std::to_string(symmetry) + " spread " + std::to_string(spread) +
                            " sub " + std::to_string(subVolume) + " zek " + std::to_string(zek);
                        ASSERT_EQ(alone.size(), modulated.size());
                        size_t differ = 0;
                        for (size_t i = 0; i < alone.size(); ++i)
                            differ += alone[i] != modulated[i];
                        EXPECT_EQ(differ, 0u) << what;
                    }
                }
}
