// Loading, the effect record, host recognition, the opcode surface and block rendering, seen
// from a host that knows the plug-in only through VSTPluginMain and the AEffect record.
#include "AudioAnalysis.h"
#include "TestHost.h"
#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testhost;

namespace {

class HostLifecycle : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }
};

VstInt32 flagsFor(const char* product, const char* vendor) {
    resetHost();
    host().product = product;
    host().vendor = vendor;
    Plugin plugin;
    return plugin->flags;
}

} // namespace

TEST_F(HostLifecycle, HostAnsweringVersionZeroGetsNoEngine) {
    host().version = 0;
    EXPECT_EQ(entryPoint()(hostCallback), nullptr);
    // Only the version was asked: no engine was constructed.
    EXPECT_EQ(host().opcodes.size(), 1u);
    EXPECT_EQ(host().opcodes[0], audioMasterVersion);
}

TEST_F(HostLifecycle, RecordDescribesAStereoSynthWith2048Parameters) {
    Plugin plugin;
    EXPECT_EQ(plugin->magic, fourCharCode('V', 's', 't', 'P'));
    EXPECT_EQ(plugin->numPrograms, 1);
    EXPECT_EQ(plugin->numParams, 2048);
    EXPECT_EQ(plugin->numInputs, 2);
    EXPECT_EQ(plugin->numOutputs, 2);
    EXPECT_EQ(plugin->uniqueID, fourCharCode('V', 'Q', 'X', '2'));
    EXPECT_EQ(plugin->version, 1);
    EXPECT_TRUE(plugin->flags & effFlagsCanReplacing);
    EXPECT_TRUE(plugin->flags & effFlagsIsSynth);
    EXPECT_TRUE(plugin->flags & effFlagsHasEditor);
    EXPECT_EQ(plugin.dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin.dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
}

TEST_F(HostLifecycle, ProgramChunksAreOfferedToRecognisedHostsOnly) {
    EXPECT_TRUE(flagsFor("Reaper", "Cockos") & effFlagsProgramChunks);
    EXPECT_FALSE(flagsFor("REAPER X", "") & effFlagsProgramChunks);
    EXPECT_TRUE(flagsFor("KOMPLETE Kontrol", "") & effFlagsProgramChunks);
    EXPECT_TRUE(flagsFor("Reason", "Propellerhead Software") & effFlagsProgramChunks);
    EXPECT_FALSE(flagsFor("Ardour", "Ardour Community") & effFlagsProgramChunks);
    EXPECT_FALSE(flagsFor("", "") & effFlagsProgramChunks);
}

TEST_F(HostLifecycle, EveryOpcodeAnswersWithoutCrashingEvenWithNullPointers) {
    Plugin plugin;
    for (VstInt32 opcode = 0; opcode <= 79; ++opcode) {
        if (opcode == effClose) continue; // ends the instance; the fixture closes it
        plugin.dispatch(opcode, 0, 0, nullptr, 0.0f);
        plugin.dispatch(opcode, 5, 0, nullptr, 1.0f);
        // A hostile float: nothing may convert it to an integer unchecked.
        for (float opt : {NAN, INFINITY, -1e30f}) plugin.dispatch(opcode, 0, 0, nullptr, opt);
    }
    EXPECT_EQ(plugin.dispatch(1000, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(plugin.dispatch(-1, 0, 0, nullptr, 0.0f), 0);
    // The instance still renders afterwards.
    std::vector<float> left, right;
    plugin.process(64, left, right);
    EXPECT_EQ(left[0], 0.0f);
}

TEST_F(HostLifecycle, BaseOpcodeAnswers) {
    Plugin plugin;
    EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
    plugin.dispatch(effSetProgram, 0, 1); // past the one program: ignored
    EXPECT_EQ(plugin.dispatch(effGetProgram), 0);
    EXPECT_EQ(plugin.dispatch(effSetTotalSampleToProcess, 0, 777), 777);
    EXPECT_EQ(plugin.dispatch(effCanBeAutomated, 3), 1);

    // Resuming asks the host for MIDI.
    const int before = host().count(audioMasterWantMidi);
    plugin.dispatch(effMainsChanged, 0, 7);
    EXPECT_EQ(host().count(audioMasterWantMidi), before + 1);
}

TEST_F(HostLifecycle, BlocksOfAnyLengthAreFullyWrittenWithSilence) {
    Plugin plugin;
    std::vector<float> left, right;
    for (VstInt32 frames : {1, 2, 64, 4096, 4097, 10000}) {
        plugin.process(frames, left, right);
        for (VstInt32 i = 0; i < frames; ++i) {
            ASSERT_EQ(left[size_t(i)], 0.0f) << frames << " frames, frame " << i;
            ASSERT_EQ(right[size_t(i)], 0.0f) << frames << " frames, frame " << i;
        }
        // Nothing past the block is touched.
        EXPECT_EQ(left[size_t(frames)], 12345.0f);
        EXPECT_EQ(right[size_t(frames)], 12345.0f);
    }
    plugin.process(0, left, right);
    EXPECT_EQ(left[0], 12345.0f);

    // The deprecated accumulating call writes silence too, even with a note playing.
    plugin.sendMidi({{0, 0x90, 60, 100}, {3, 0x80, 60, 0}});
    left.assign(9, 5.0f);
    right.assign(9, 5.0f);
    std::vector<float> in(9, 0.0f);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {left.data(), right.data()};
    plugin->process(plugin.get(), inputs, outputs, 8);
    for (size_t i = 0; i < 8; ++i) ASSERT_TRUE(left[i] == 0.0f && right[i] == 0.0f) << i;
    EXPECT_EQ(left[8], 5.0f);
    plugin->process(plugin.get(), inputs, outputs, 0);
    EXPECT_EQ(left[8], 5.0f);
}

TEST_F(HostLifecycle, MidiIsConsumedAcrossBlocksAndNeverOverflowsTheQueue) {
    Plugin plugin;
    std::vector<float> left, right;
    // More events than the queue holds, some due beyond this block.
    std::vector<std::array<int, 4>> notes;
    for (int i = 0; i < 300; ++i) notes.push_back({i % 700, 0x90, 36 + i % 60, 100});
    auto renderBurst = [&] {
        plugin.sendMidi(notes);
        for (int block = 0; block < 4; ++block) {
            plugin.process(256, left, right);
            // Every frame written, finite and inside the output clamp.
            for (size_t i = 0; i < 256; ++i)
                ASSERT_TRUE(std::fabs(left[i]) <= 0.999f && std::fabs(right[i]) <= 0.999f) << i;
        }
    };
    renderBurst();
    // A second full burst is accepted again once the first has drained.
    renderBurst();
}

TEST_F(HostLifecycle, SeveralInstancesAndRateChangesLiveSideBySide) {
    Plugin a(48000.0f), b(96000.0f);
    a.dispatch(effSetSampleRate, 0, 0, nullptr, 0.0f);     // refused
    a.dispatch(effSetSampleRate, 0, 0, nullptr, NAN);      // refused
    a.dispatch(effSetSampleRate, 0, 0, nullptr, 1e9f);     // refused
    b.dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f); // accepted
    std::vector<float> left, right;
    a.process(128, left, right);
    b.process(128, left, right);
    EXPECT_EQ(left[0], 0.0f);
}

// Switching the plug-in off releases every held note and drops queued MIDI; switched on again,
// it plays as before.
TEST_F(HostLifecycle, MainsOffReleasesHeldNotesAndMainsOnPlaysAgain) {
    const VstInt32 frames = 4800; // 0.1 s
    auto heldNote = [&](bool mainsCycle) {
        Plugin plugin(48000.0f);
        std::vector<float> left, right;
        plugin.process(4096 + 64, left, right); // the initial program is applied
        // A short release and no effect tails, so that a released note falls silent at once.
        plugin.setParameter(tag::AmpEnvSustain, 1.0f);
        plugin.setParameter(tag::AmpEnvRelease, 0.0f);
        plugin.setParameter(tag::BypassFxOn, 1.0f);
        plugin.sendMidi({{0, 0x90, 60, 100}});
        plugin.process(frames, left, right);
        const double before = audio::rms(left, frames / 2, frames);
        if (mainsCycle) {
            // A note queued for the stream that stops is dropped with it.
            plugin.sendMidi({{100, 0x90, 67, 100}});
            plugin.dispatch(effMainsChanged, 0, 0);
            plugin.dispatch(effMainsChanged, 0, 1);
        }
        plugin.process(frames, left, right);
        const double after = audio::rms(left, frames / 2, frames);
        EXPECT_TRUE(audio::allFiniteNormal(left));
        plugin.sendMidi({{0, 0x90, 64, 100}});
        plugin.process(frames, left, right);
        return std::array<double, 3>{before, after, audio::rms(left, frames / 2, frames)};
    };
    const auto kept = heldNote(false);
    ASSERT_FALSE(kept[0] < 1e-4) << "a played note makes no sound";
    const auto cycled = heldNote(true);
    EXPECT_GT(kept[1], 0.5 * kept[0]) << "a held note keeps sounding without the mains cycle";
    EXPECT_LT(cycled[1], 1e-3 * cycled[0]);
    EXPECT_GT(cycled[2], 0.1 * cycled[0]) << "a new note sounds after mains on";
}
