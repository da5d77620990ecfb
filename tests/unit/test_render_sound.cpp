// Engine state behind what a musician hears: the shaper preview of the wave the editor shows,
// the cutoff knob's modulation ring, a play structure changed under a new voice, the
// alternation counter at a transport start, the user waves rebuilt by every reset, and the
// sequencer's step velocities.
#include "RenderEngine.h"

#include <gtest/gtest.h>

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
