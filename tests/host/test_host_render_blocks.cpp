// The render loop as a host sees it: the same MIDI gives bit-identical output whatever the
// block length, and hostile input buffers give bounded finite output.
#include "AudioAnalysis.h"
#include "ScenarioPatches.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using namespace testhost;

namespace {

constexpr float kRate = 48000.0f;

struct TimedMidi {
    int at; // absolute frame
    int status, data1, data2;
};

// Plays `total` frames in blocks of `block`, sending each message in the block that holds its
// frame with the offset inside that block; with `moveTransport` the host's transport moves on
// with the audio, as a DAW's does.
std::vector<float> playInBlocks(Plugin& plugin, int block, int total,
                                const std::vector<TimedMidi>& midi, bool moveTransport) {
    std::vector<float> out, left, right;
    for (int start = 0; start < total; start += block) {
        const int frames = std::min(block, total - start);
        std::vector<std::array<int, 4>> events;
        for (const TimedMidi& m : midi)
            if (m.at >= start && m.at < start + frames)
                events.push_back({m.at - start, m.status, m.data1, m.data2});
        if (!events.empty()) plugin.sendMidi(events);
        if (moveTransport) {
            host().time.samplePos = start;
            host().time.ppqPos = start / double(kRate) * host().time.tempo / 60.0;
        }
        plugin.process(frames, left, right);
        for (int i = 0; i < frames; ++i) {
            out.push_back(left[size_t(i)]);
            out.push_back(right[size_t(i)]);
        }
    }
    return out;
}

// The first index where two renders differ bit for bit, or their size.
size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return i;
    return std::min(a.size(), b.size());
}

// Renders `total` frames in blocks of `block` from a fresh instance, the transport moving.
std::vector<float> renderInBlocks(int block, int total, const std::vector<TimedMidi>& midi) {
    Plugin plugin(kRate, block);
    std::vector<float> left, right;
    // Free-running oscillators and analog drift start at random: off, for a repeatable sound.
    plugin.process(1, left, right);
    for (VstInt32 tag : {254, 261, 278}) plugin.setParameter(tag, 0.0f);
    return playInBlocks(plugin, block, total, midi, true);
}

// The dense modulation (free LFOs and their morph, white and pink noise, all sixteen slots)
// on a short release, set after the start-up program; then `total` frames in blocks of
// `block` with the notes at their frames. Silences between the notes leave no voice sounding.
std::vector<float> renderModulatedInBlocks(int block, int total,
                                           const std::vector<TimedMidi>& midi) {
    Plugin plugin(kRate, block);
    std::vector<float> left, right;
    for (int i = 0; i < 3; ++i) plugin.process(4096, left, right);
    for (VstInt32 tag : {254, 261, 278}) plugin.setParameter(tag, 0.0f);
    scenariopatch::setDenseModulation([&](int t, float v) { plugin.setParameter(t, v); });
    // The two noise slots onto the voice volume and the first oscillator, where they are heard.
    plugin.setParameter(tag::ModDestFirst + 4, (2 + 0.1f) / 399.99f);
    plugin.setParameter(tag::ModDestFirst + 5, (16 + 0.1f) / 399.99f);
    plugin.setParameter(tag::AmpEnvRelease, 0.05f);
    return playInBlocks(plugin, block, total, midi, false);
}

} // namespace

TEST(HostRenderBlocks, OutputIsBitIdenticalForAnyBlockLength) {
    resetHost();
    const std::vector<TimedMidi> midi = {
        {5, 0x90, 60, 100},   {333, 0x90, 67, 90},   {1000, 0xE0, 0, 80}, {1500, 0x80, 60, 0},
        {2047, 0xB0, 1, 100}, {2500, 0x90, 72, 127}, {3001, 0x80, 67, 0}, {3900, 0x80, 72, 0},
    };
    const int total = 6144;
    const std::vector<float> reference = renderInBlocks(1024, total, midi);
    for (int block : {1, 32, 128}) {
        const std::vector<float> other = renderInBlocks(block, total, midi);
        ASSERT_EQ(other.size(), reference.size());
        EXPECT_EQ(firstDifference(other, reference), reference.size()) << "blocks of " << block;
    }
    EXPECT_TRUE(audio::allFiniteNormal(reference));
}

// Notes that start after silences at odd frames, away from the 16-frame steps, with every
// global source feeding the voices: the LFO and noise values a note starts with, and the
// control steps it meets, do not depend on where the blocks end.
TEST(HostRenderBlocks, GlobalSourcesAfterSilenceAreBitIdenticalForAnyBlockLength) {
    resetHost();
    const std::vector<TimedMidi> midi = {
        {3, 0x90, 60, 100},  {1001, 0x80, 60, 0}, {5003, 0x90, 64, 90},  {5555, 0x90, 71, 110},
        {6007, 0x80, 64, 0}, {6009, 0x80, 71, 0}, {9997, 0x90, 55, 120}, {10501, 0x80, 55, 0},
    };
    const int total = 14336;
    const std::vector<float> reference = renderModulatedInBlocks(1024, total, midi);
    // Each note is heard, and each silence between them reaches exact zeros.
    for (int at : {3, 5003, 9997})
        EXPECT_GT(audio::rms(reference, size_t(2 * (at + 200)), size_t(2 * (at + 800))), 1e-3)
            << "note at " << at;
    for (int at : {4900, 9900, 14300})
        EXPECT_EQ(reference[size_t(2 * at)], 0.0f) << "silence at " << at;
    for (int block : {1, 7, 32, 128, 1000}) {
        const std::vector<float> other = renderModulatedInBlocks(block, total, midi);
        ASSERT_EQ(other.size(), reference.size());
        EXPECT_EQ(firstDifference(other, reference), reference.size()) << "blocks of " << block;
    }
    EXPECT_TRUE(audio::allFiniteNormal(reference));
}

namespace {

// One oscillator, effects bypassed, the amp envelope holding, slot 1 taking the velocity at
// full amount.
void oneOscillatorOnVelocity(Plugin& plugin) {
    plugin.setParameter(tag::Osc1On, 1.0f);
    plugin.setParameter(tag::Osc2On, 0.0f);
    plugin.setParameter(tag::BypassFxOn, 1.0f);
    plugin.setParameter(tag::AmpEnvSustain, 1.0f);
    plugin.setParameter(tag::ModSourceFirst, (17 + 0.1f) / 127.99f); // velocity
    plugin.setParameter(tag::ModAmountFirst, 1.0f);
    plugin.setParameter(tag::ModBypassFirst, 0.0f);
}

// One oscillator, effects bypassed, slot 1 on the velocity, set before the start-up program
// lands (it keeps what the host set, and starts every smoothed level at its target). The first
// oscillator's volume and the slot's destination are `volume` and `dest` from the start or,
// with `editAsleep`, set to them once 18 s of silence have put the engine to sleep (from 0.9
// and no destination). A soft note then plays: the level of its first half second.
double levelAfterSilence(float volume, int dest, bool editAsleep) {
    Plugin plugin(kRate, 128);
    std::vector<float> left, right, out;
    oneOscillatorOnVelocity(plugin);
    auto set = [&](float v, int d) {
        plugin.setParameter(tag::Osc1Volume, v);
        plugin.setParameter(tag::ModDestFirst, (d + 0.1f) / 399.99f);
    };
    if (editAsleep)
        set(0.9f, 0);
    else
        set(volume, dest);
    for (int i = 0; i < 18 * 375; ++i) plugin.process(128, left, right);
    if (editAsleep) set(volume, dest);
    for (int i = 0; i < 100; ++i) plugin.process(128, left, right);
    plugin.sendMidi({{5, 0x90, 60, 30}});
    for (int i = 0; i < 190; ++i) {
        plugin.process(128, left, right);
        out.insert(out.end(), left.begin(), left.begin() + 128);
    }
    return 20.0 * std::log10(audio::rms(out, 2400) + 1e-12);
}

} // namespace

// A level and a matrix slot edited while the engine sleeps (its slow updates keep what their
// unchanged inputs gave): the next note sounds as on an instance that had the setting from
// the start, and not as before the edit.
TEST(HostRenderBlocks, EditsWhileAsleepReachTheNextNote) {
    resetHost();
    constexpr int kNone = 0, kVoiceVolume = 2;
    const double before = levelAfterSilence(0.9f, kNone, false);
    const double fresh = levelAfterSilence(0.5f, kVoiceVolume, false);
    const double edited = levelAfterSilence(0.5f, kVoiceVolume, true);
    EXPECT_GT(before - fresh, 6.0); // the edit is heard
    EXPECT_NEAR(edited, fresh, 0.05);
    // Each edit on its own.
    EXPECT_NEAR(levelAfterSilence(0.5f, kNone, true), levelAfterSilence(0.5f, kNone, false), 0.05);
    EXPECT_NEAR(levelAfterSilence(0.9f, kVoiceVolume, true),
                levelAfterSilence(0.9f, kVoiceVolume, false), 0.05);
}

namespace {

// 18 s of silence (the chain falls asleep after 16 s), then a note under oscillator 1's free
// LFO on pitch, whose shared phase runs on through the silence. With `pokes`, a key that is
// not sounding is released once a block, at offsets that walk through the block, so some of
// the silent passes run the full loop instead of the quiet one.
std::vector<float> noteAfterSleep(bool pokes) {
    Plugin plugin(kRate, 128);
    std::vector<float> left, right, out;
    oneOscillatorOnVelocity(plugin);
    plugin.setParameter(tag::Osc1FreeLfoOn, 1.0f);
    plugin.setParameter(tag::Osc1LfoSpeed, 0.37f);
    plugin.setParameter(tag::Osc1LfoToPitch, 0.8f);
    for (int i = 0; i < 18 * 375; ++i) {
        if (pokes) plugin.sendMidi({{(i * 7) % 128, 0x80, 1, 0}});
        plugin.process(128, left, right);
        for (int k = 0; k < 128; ++k)
            if (left[size_t(k)] != 0.0f || right[size_t(k)] != 0.0f) return {};
    }
    plugin.sendMidi({{5, 0x90, 60, 100}});
    for (int i = 0; i < 100; ++i) {
        plugin.process(128, left, right);
        out.insert(out.end(), left.begin(), left.begin() + 128);
    }
    return out;
}

} // namespace

// While the chain sleeps, the quiet passes still move the oscillators' shared LFO phases as a
// full pass does: a note after the silence sounds bit for bit the same whichever way the
// silent passes ran, and the silence itself is exact zeros.
TEST(HostRenderBlocks, ANoteAfterTheChainSleptFindsTheSharedLfoWhereTimeLeftIt) {
    resetHost();
    const std::vector<float> quiet = noteAfterSleep(false);
    ASSERT_GT(audio::rms(quiet), 1e-3);
    const std::vector<float> poked = noteAfterSleep(true);
    ASSERT_EQ(quiet.size(), poked.size());
    EXPECT_EQ(firstDifference(quiet, poked), quiet.size());
}

namespace {

// A held soft note on one oscillator, effects bypassed, under a per-voice Main LFO at 2 Hz that
// moves the volume at full depth, with slot 1 taking the velocity to Osc 1 Volume. `edit`
// (1: Main LFO wave 4, 2: slot 1 off, otherwise slot 1's source: 89 "Input", 100 "Output") is
// made at the start or, with `late`, 0.6 s into the note.
// The left channel from 1.0 s to 1.6 s.
std::vector<float> heldNoteEdited(int edit, bool late) {
    constexpr int kOsc1VolumeDest = 16;
    Plugin plugin(kRate, 128);
    std::vector<float> left, right, out;
    oneOscillatorOnVelocity(plugin);
    plugin.setParameter(tag::MainLfoPlayMode, 0.0f); // per voice
    plugin.setParameter(tag::MainLfoWave, (0 + 0.1f) / 7.99f);
    plugin.setParameter(tag::MainLfoSyncOn, 0.0f);
    plugin.setParameter(tag::MainLfoSpeed, static_cast<float>(1.0 + std::log2(2.0 / 110.0) / 14.0));
    plugin.setParameter(tag::MainLfoToVolume, 1.0f);
    plugin.setParameter(tag::ModDestFirst, (kOsc1VolumeDest + 0.1f) / 399.99f);
    auto apply = [&] {
        if (edit == 1) plugin.setParameter(tag::MainLfoWave, (4 + 0.1f) / 7.99f);
        if (edit == 2) plugin.setParameter(tag::ModDestFirst, 0.0f);
        if (edit >= 3) plugin.setParameter(tag::ModSourceFirst, (edit + 0.1f) / 127.99f);
    };
    if (!late) apply();
    for (int i = 0; i < 100; ++i) plugin.process(128, left, right);
    plugin.sendMidi({{5, 0x90, 60, 30}});
    for (int i = 0; i < 750; ++i) {
        if (i == 225) apply();
        plugin.process(128, left, right);
        if (i >= 375) out.insert(out.end(), left.begin(), left.begin() + 128);
    }
    return out;
}

// The level of the difference of two renders against the level of the second.
double differenceRatio(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> d(a.size());
    for (size_t i = 0; i < a.size(); ++i) d[i] = a[i] - b[i];
    return audio::rms(d) / (audio::rms(b) + 1e-12);
}

} // namespace

// The voice's slow update skips what stands still (its LFO settings, the restore of unmodulated
// destinations, the voice rows of the "Input" and "Output" sources while no slot reads them): an
// LFO wave, slot destination or slot source edited under a held note still reaches the voice,
// which then sounds as on an instance that had the edit from the start.
TEST(HostRenderBlocks, EditsUnderAHeldNoteReachItsVoice) {
    resetHost();
    const std::vector<float> unedited = heldNoteEdited(0, false);
    ASSERT_GT(audio::rms(unedited), 1e-3);
    for (int edit : {1, 2, 89, 100}) {
        const std::vector<float> fresh = heldNoteEdited(edit, false);
        EXPECT_GT(differenceRatio(unedited, fresh), 0.2) << "edit " << edit << " is heard";
        EXPECT_LT(differenceRatio(heldNoteEdited(edit, true), fresh), 0.01) << "edit " << edit;
    }
}

namespace {

// A held note on one oscillator, effects bypassed; slot 1 has no destination and reads `source`
// ("Input" or "Output") all along or, without `allAlong`, the velocity. At 0.6 s it takes
// `source` to Osc 1 Volume (with `takeUp`). Both channels of the first second.
std::vector<float> slotTakesUpSource(int source, bool allAlong, bool takeUp) {
    constexpr int kOsc1VolumeDest = 16;
    Plugin plugin(kRate, 128);
    plugin.setParameter(tag::Osc1On, 1.0f);
    plugin.setParameter(tag::Osc2On, 0.0f);
    plugin.setParameter(tag::BypassFxOn, 1.0f);
    plugin.setParameter(tag::AmpEnvSustain, 1.0f);
    plugin.setParameter(tag::ModSourceFirst, ((allAlong ? source : 17) + 0.1f) / 127.99f);
    plugin.setParameter(tag::ModAmountFirst, 1.0f);
    plugin.setParameter(tag::ModBypassFirst, 0.0f);
    plugin.setParameter(tag::ModDestFirst, 0.0f);
    std::vector<float> out;
    std::vector<float> left, right;
    for (int i = 0; i < 475; ++i) {
        if (i == 100) plugin.sendMidi({{0, 0x90, 60, 100}});
        if (i == 325 && takeUp) {
            plugin.setParameter(tag::ModSourceFirst, (source + 0.1f) / 127.99f);
            plugin.setParameter(tag::ModDestFirst, (kOsc1VolumeDest + 0.1f) / 399.99f);
        }
        plugin.process(128, left, right);
        if (i < 100) continue;
        for (int k = 0; k < 128; ++k) {
            out.push_back(left[size_t(k)]);
            out.push_back(right[size_t(k)]);
        }
    }
    return out;
}

} // namespace

// While no slot reads "Input" or "Output" the voices' rows of them are not written; a slot that
// takes one up under a held note reads the value every pass would have written, bit for bit.
TEST(HostRenderBlocks, SourcesTakenUpUnderAHeldNoteAreCurrent) {
    resetHost();
    for (int source : {89, 100}) {
        const std::vector<float> allAlong = slotTakesUpSource(source, true, true);
        ASSERT_GT(audio::rms(allAlong), 1e-3);
        EXPECT_LT(firstDifference(allAlong, slotTakesUpSource(source, true, false)),
                  allAlong.size())
            << "source " << source << " is heard";
        EXPECT_EQ(firstDifference(allAlong, slotTakesUpSource(source, false, true)),
                  allAlong.size())
            << "source " << source;
    }
}

TEST(HostRenderBlocks, HostileInputBuffersGiveBoundedFiniteOutput) {
    resetHost();
    Plugin plugin(kRate, 256);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> inL(256), inR(256), left(256), right(256);
    for (int i = 0; i < 256; ++i) {
        inL[size_t(i)] = (i % 3 == 0) ? nan : (i % 3 == 1 ? inf : 1e38f);
        inR[size_t(i)] = (i % 2 == 0) ? -inf : nan;
    }
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {left.data(), right.data()};
    plugin.sendMidi({{0, 0x90, 60, 127}, {3, 0x90, 64, 127}});
    for (int block = 0; block < 40; ++block) {
        plugin->processReplacing(plugin.get(), inputs, outputs, 256);
        ASSERT_TRUE(audio::allFiniteNormal(left)) << block;
        ASSERT_TRUE(audio::allFiniteNormal(right)) << block;
        ASSERT_LE(audio::peak(left), 0.999) << block;
        ASSERT_LE(audio::peak(right), 0.999) << block;
    }
    // No input at all (a host with no input pins) is silence too.
    float* noInputs[2] = {nullptr, nullptr};
    plugin->processReplacing(plugin.get(), noInputs, outputs, 256);
    EXPECT_TRUE(audio::allFiniteNormal(left));
}
