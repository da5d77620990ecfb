// The parameter and program roads as a host uses them: writes, reads, the program change that
// the audio thread applies at its next 4,096-sample boundary, and a host restoring a sound.
#include "AudioAnalysis.h"
#include "BankPhrase.h"
#include "TestHost.h"

#include "engine/params/ParamTags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace testhost;

namespace {

constexpr VstInt32 kMainVolume = tag::MainVolume;
constexpr VstInt32 kUnisonDelaySyncOn = tag::UnisonDelaySyncOn; // a switch
constexpr VstInt32 kPlayMode = tag::PlayMode;
constexpr VstInt32 kArpOn = tag::ArpOn;
constexpr VstInt32 kApplyPreset = tag::ApplyPreset;
constexpr VstInt32 kChunkBytes = 8224;

class HostParameters : public ::testing::Test {
protected:
    void SetUp() override { resetHost(); }

    // Renders until the render loop's sample counter has passed the next boundary.
    static void renderPastBoundary(Plugin& plugin, VstInt32 frames = 4096 + 64) {
        std::vector<float> left, right;
        plugin.process(frames, left, right);
        for (VstInt32 i = 0; i < frames; ++i) {
            ASSERT_TRUE(std::isfinite(left[size_t(i)]));
            ASSERT_EQ(left[size_t(i)], right[size_t(i)]);
        }
    }
};

} // namespace

TEST_F(HostParameters, WritesAreClampedSnappedAndInvalidTagsIgnored) {
    Plugin plugin;
    plugin.setParameter(5, 1.7f);
    EXPECT_EQ(plugin.getParameter(5), 1.0f);
    plugin.setParameter(5, -0.2f);
    EXPECT_EQ(plugin.getParameter(5), 0.0f);
    plugin.setParameter(5, NAN);
    EXPECT_EQ(plugin.getParameter(5), 0.0f);
    plugin.setParameter(5, 0.3f);
    EXPECT_FLOAT_EQ(plugin.getParameter(5), 0.3f);

    plugin.setParameter(kUnisonDelaySyncOn, 0.49f);
    EXPECT_EQ(plugin.getParameter(kUnisonDelaySyncOn), 0.0f);
    plugin.setParameter(kUnisonDelaySyncOn, 0.5f);
    EXPECT_EQ(plugin.getParameter(kUnisonDelaySyncOn), 1.0f);

    plugin.setParameter(2048, 0.5f);
    plugin.setParameter(-1, 0.5f);
    plugin.setParameter(1 << 30, 0.5f);
    EXPECT_EQ(plugin.getParameter(2048), 0.0f);
    EXPECT_EQ(plugin.getParameter(-1), 0.0f);
    // A plain host write is not echoed back as automation.
    EXPECT_TRUE(host().automated.empty());
}

TEST_F(HostParameters, ApplyTriggerIsServedByTheRendersNextBlock) {
    Plugin plugin;
    std::vector<float> left, right;
    plugin.process(64, left, right); // the first boundary applies the initial program

    constexpr VstInt32 kArpKeyEntryOn = tag::ArpKeyEntryOn, kArpLatchOn = tag::ArpLatchOn,
                       kShaperMode = tag::UserWaveShaperMode,
                       kPartials1 = tag::UserWave1UsePartialsOn,
                       kPartials2 = tag::UserWave2UsePartialsOn;
    for (VstInt32 t : {kArpKeyEntryOn, kArpLatchOn, kPartials1, kPartials2})
        plugin.setParameter(t, 1.0f);
    plugin.setParameter(kShaperMode, 0.5f);
    plugin.setParameter(kApplyPreset, 0.0f); // any value raises the apply

    EXPECT_EQ(plugin.getParameter(kArpKeyEntryOn), 1.0f) << "the render serves it, not the write";

    plugin.process(1, left, right); // its next block, far from a 4,096-sample boundary
    for (VstInt32 t : {kArpKeyEntryOn, kArpLatchOn, kShaperMode, kPartials1, kPartials2})
        EXPECT_EQ(plugin.getParameter(t), 0.0f) << "tag " << t;
}

TEST_F(HostParameters, ArpOnInAProgramSelectsThePlayModeArpStep) {
    Plugin plugin;
    renderPastBoundary(plugin, 64);
    plugin.setParameter(kArpOn, 1.0f);
    plugin.setParameter(kPlayMode, 0.0f);
    plugin.setParameter(kApplyPreset, 1.0f);
    renderPastBoundary(plugin);
    EXPECT_FLOAT_EQ(plugin.getParameter(kPlayMode), 0.81081086f);
    EXPECT_EQ(static_cast<int>(plugin.getParameter(kPlayMode) * 9.99f + 0.1f), 8);
}

TEST_F(HostParameters, HostRestoringEveryParameterGetsItsSoundBack) {
    // A sound edited in one instance, as a host saves it: all 2048 parameters.
    std::vector<float> saved(2048);
    {
        Plugin original;
        renderPastBoundary(original, 64);
        original.setParameter(kMainVolume, 0.3125f);
        original.setParameter(6, 0.75f);                // amp attack
        original.setParameter(14, 0.625f);              // osc 1 semi
        original.setParameter(260, (3 + 0.1f) / 7.99f); // osc 1 type, step 3
        for (VstInt32 t = 0; t < 2048; ++t) saved[size_t(t)] = original.getParameter(t);
    }
    // A fresh instance restored in index order, 1018 included, as hosts do on reopening.
    Plugin restored;
    for (VstInt32 t = 0; t < 2048; ++t) restored.setParameter(t, saved[size_t(t)]);
    renderPastBoundary(restored);
    renderPastBoundary(restored);
    for (VstInt32 t = 0; t < 2048; ++t)
        ASSERT_FLOAT_EQ(restored.getParameter(t), saved[size_t(t)]) << "tag " << t;

    // A host's undo of a program change writes back only the values that moved, the name's
    // among them: the name it reads is that of the sound it wrote back, no bank preset applied.
    Plugin undone;
    bankphrase::selectPreset(undone, "Glass Piano");
    renderPastBoundary(undone);
    std::vector<float> glass(2048);
    for (VstInt32 t = 0; t < 2048; ++t) glass[size_t(t)] = undone.getParameter(t);
    bankphrase::selectPreset(undone, "Vowel Choir Keys");
    renderPastBoundary(undone);
    ASSERT_EQ(undone.text(effGetProgramName), "Vowel Choir Keys");
    for (VstInt32 t = 0; t < 2048; ++t)
        if (undone.getParameter(t) != glass[size_t(t)]) undone.setParameter(t, glass[size_t(t)]);
    renderPastBoundary(undone);
    EXPECT_EQ(undone.text(effGetProgramName), "Glass Piano");
    for (VstInt32 t = 0; t < 2048; ++t)
        ASSERT_EQ(undone.getParameter(t), glass[size_t(t)]) << "tag " << t;
}

namespace {

// Key 60 struck on the sound as it stands and heard for 8,192 frames: how bright it is.
double noteBrightness(Plugin& plugin) {
    plugin.sendMidi({{0, 0x90, 60, 100}});
    const std::vector<float> heard = plugin.renderLeft(8192);
    plugin.sendMidi({{0, 0x80, 60, 0}});
    return audio::brightness(heard, 256);
}

} // namespace

// "Glass Piano" plays user wave 1. A host writes a square wave into its 512 points and renders
// on, with the editor closed and open: the note is the one the same state plays loaded whole.
TEST_F(HostParameters, UserWavePointsAHostWritesAreHeard) {
    host().product = "REAPER"; // a chunk host, for the state loaded whole
    const auto glassPiano = [](Plugin& plugin) {
        bankphrase::selectPreset(plugin, "Glass Piano");
        renderPastBoundary(plugin);
    };
    Plugin before;
    glassPiano(before);
    const double glassy = noteBrightness(before);
    for (const bool editorOpen : {false, true}) {
        SCOPED_TRACE(editorOpen ? "editor open" : "editor closed");
        Plugin plugin;
        glassPiano(plugin);
        if (editorOpen) {
            ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1); // offscreen
        }
        for (VstInt32 i = 0; i < tag::UserWavePointCount; ++i)
            plugin.setParameter(tag::UserWave1First + i, i < 256 ? 1.0f : 0.0f);
        renderPastBoundary(plugin);
        const double written = noteBrightness(plugin);
        for (VstInt32 i = 0; i < tag::UserWavePointCount; ++i)
            ASSERT_EQ(plugin.getParameter(tag::UserWave1First + i), i < 256 ? 1.0f : 0.0f);
        void* data = nullptr;
        ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
        std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + kChunkBytes);
        if (editorOpen) plugin.dispatch(effEditClose);
        Plugin whole;
        whole.dispatch(effSetChunk, 0, kChunkBytes, chunk.data());
        renderPastBoundary(whole);
        const double loaded = noteBrightness(whole);
        std::printf("[ figures  ] brightness: Glass Piano %.3f, its points written %.3f, the same "
                    "state loaded whole %.3f\n",
                    glassy, written, loaded);
        EXPECT_GT(loaded, 1.1 * glassy) << "the square is the brighter wave";
        EXPECT_NEAR(written, loaded, 0.02 * loaded) << "the written points are not heard";
    }
}

TEST_F(HostParameters, ProgramNameFitsTheHostBuffer) {
    Plugin plugin;
    char name[40];
    std::memset(name, 'x', sizeof(name));
    plugin.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_LT(std::strlen(name), 24u);
    char indexed[40];
    std::memset(indexed, 'x', sizeof(indexed));
    EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, 0, 0, indexed), 1);
    EXPECT_STREQ(indexed, name);
    char untouched[4] = {'a', 'b', 'c', 0};
    EXPECT_EQ(plugin.dispatch(effGetProgramNameIndexed, 1, 0, untouched), 0);
    EXPECT_STREQ(untouched, "abc");
    plugin.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Renamed"));
    EXPECT_EQ(plugin.text(effGetProgramName), name);
}
