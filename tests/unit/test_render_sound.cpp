// Engine state behind what a musician hears: the shaper preview of the wave the editor shows,
// the cutoff knob's modulation ring, a play structure changed under a new voice, and the user
// waves rebuilt by every reset.
#include "RenderEngine.h"

#include <gtest/gtest.h>

#include <vector>

using rendertest::Engine;

TEST(RenderSound, ShaperPreviewShapesTheUserWaveTheEditorShows) {
    Engine e;
    // Wave 1 a square high then low, wave 2 the same upside down.
    for (int i = 0; i < tag::UserWavePointCount; ++i) {
        const bool firstHalf = i < tag::UserWavePointCount / 2;
        e->setParameter(tag::UserWave1First + i, firstHalf ? 1.0f : 0.0f);
        e->setParameter(tag::UserWave2First + i, firstHalf ? 0.0f : 1.0f);
    }
    e->createUserWaveTable(0);
    e->createUserWaveTable(1);
    e->setSteppedValue(tag::UserWaveShaperMode, 1); // "Volume" at unit gain
    e->setParameter(tag::UserWaveShaper1, 1.0f);
    e->setParameter(tag::UserWaveShaper2, 0.0f);
    e.settle();
    // The preview table answers for either wave while a shaper mode is on.
    EXPECT_GT(e->getUserWaveTableValue(1, 0.25f), 0.8f) << "closed editor: user wave 1";

    e->setEditorFlags(false, true);
    e->setPreviewUserWave(1);
    e.settle();
    EXPECT_LT(e->getUserWaveTableValue(1, 0.25f), -0.8f) << "the editor shows wave 2";
    e->setPreviewUserWave(0);
    e.settle();
    EXPECT_GT(e->getUserWaveTableValue(1, 0.25f), 0.8f) << "and back to wave 1";
    e->setPreviewUserWave(1);
    e->setEditorFlags(false, false);
    e.settle();
    EXPECT_GT(e->getUserWaveTableValue(1, 0.25f), 0.8f) << "closing falls back to wave 1";
}

TEST(RenderSound, CutoffRingShowsTheModWheelAndTheFilterEnvelope) {
    Engine e;
    const float cut = 0.3f;
    e->setParameter(tag::FilterFrequency, cut);
    e->setParameter(tag::MainLfoToFilterFrequency, 0.0f);
    e->setParameter(tag::ModWheelToFilterFrequency, 0.5f); // the wheel moves nothing
    e->setParameter(tag::FilterEnvAmount, 0.0f);
    e->setParameter(tag::FilterEnvInverseOn, 0.0f);
    e->setParameter(tag::FilterEnvAttack, 0.0f);
    e->setParameter(tag::FilterEnvDecay, 0.0f);
    e->setParameter(tag::FilterEnvSustain, 1.0f);
    for (int s = 0; s < 16; ++s) e->setParameter(443 + s, 0.0f); // no matrix slot
    e.settle();
    e.play({{0x90, 60, 100}, {0xB0, 1, 127}});
    e.render(24000); // the smoothed wheel and the envelope arrive
    EXPECT_NEAR(e->getModValue(tag::FilterFrequency), cut, 1e-3) << "nothing modulates";

    e->setParameter(tag::ModWheelToFilterFrequency, 0.75f); // half the wheel, upwards
    e.render(256);
    EXPECT_NEAR(e->getModValue(tag::FilterFrequency), cut + 0.5f, 0.01);
    e->setParameter(tag::ModWheelToFilterFrequency, 0.4f); // a fifth of it, downwards
    e.render(256);
    EXPECT_NEAR(e->getModValue(tag::FilterFrequency), cut - 0.2f, 0.01);

    e->setParameter(tag::ModWheelToFilterFrequency, 0.5f);
    e->setParameter(tag::FilterEnvAmount, 0.25f);
    e.render(256);
    const float env = e->getModValue(tag::FilterFrequency) - cut;
    EXPECT_GT(env, 0.05f) << "the open filter envelope raises the ring";
    EXPECT_LE(env, 0.25f + 1e-3f);
    e->setParameter(tag::FilterEnvInverseOn, 1.0f);
    e.render(512);
    EXPECT_NEAR(e->getModValue(tag::FilterFrequency) - cut, -env, 0.01) << "inverted";
}

TEST(RenderSound, AStructureChangeSeenAtANoteStartStillStopsTheOlderVoices) {
    Engine e;
    e.play({{0x90, 48, 100}, {0x90, 52, 100}});
    e.render(4096);
    ASSERT_EQ(e.pressedCount(), 2);
    // "Unison Mode" moves and a key lands before the slow update sees it: the note start
    // meets the change first.
    e->setSteppedValue(tag::UnisonMode, 3);
    e.play({{0x90, 60, 100}});
    EXPECT_EQ(e.pressedCount(), 1) << "the voices of the old structure stop";
    e.render(2048);
    EXPECT_EQ(e.pressedCount(), 1);
    int sounding = -1;
    for (int v = 0; v < 16; ++v)
        if (e->voicePressed[v]) sounding = v;
    ASSERT_GE(sounding, 0);
    EXPECT_EQ(e->voiceNote[sounding], 60) << "the new note keeps sounding";
    EXPECT_GT(e->voiceLevel[sounding], 0.01f);
    // With no key in between, the change stops everything at the next slow update.
    e->setSteppedValue(tag::UnisonMode, 0);
    e.render(256);
    EXPECT_EQ(e.pressedCount(), 0);
}

TEST(RenderSound, EveryResetRebuildsTheUserWavesFromTheirStoredPoints) {
    Engine e;
    e.render(8192); // the loaded program's own rebuild is done
    std::vector<float> loaded(tag::UserWavePointCount);
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        loaded[size_t(i)] = e->getParameter(tag::UserWave2First + i);
    const float loadedValue = e->getUserWaveTableValue(1, 0.25f);
    ASSERT_LT(loadedValue, 0.5f);
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        e->setParameter(tag::UserWave2First + i, i < tag::UserWavePointCount / 2 ? 1.0f : 0.0f);
    e.render(8192); // written points are rebuilt a step per slow update
    ASSERT_GT(e->getUserWaveTableValue(1, 0.25f), 0.8f);
    // The compare back to the sound as loaded stores the loaded points directly, then resets:
    // stored points the tables do not show yet.
    e->origProgram();
    e.render(8192);
    EXPECT_EQ(e->getUserWaveTableValue(1, 0.25f), loadedValue) << "the tables follow the points";
    for (int i = 0; i < tag::UserWavePointCount; ++i)
        ASSERT_EQ(e->getParameter(tag::UserWave2First + i), loaded[size_t(i)])
            << "the stored points stay as they are, point " << i;
}
