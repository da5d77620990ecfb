// The compiled bank's user waves: a preset that names a built-in shape for a user wave carries
// that shape's points, as the editor's shape menu would write them.
#include "engine/host/DemoBank.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"
#include "engine/voice/UserWaveShapes.h"

#include <gtest/gtest.h>

TEST(BankUserWaves, NamedShapesArriveAsTheirPoints) {
    const int presetTags[2] = {tag::UserWave1Preset, tag::UserWave2Preset};
    const int firstTags[2] = {tag::UserWave1First, tag::UserWave2First};
    int shaped = 0;
    for (int n = 0; n < DEMO_PRESET_COUNT; ++n) {
        for (int w = 0; w < 2; ++w) {
            const int shape =
                stepIndexOf(DEMOVAR[n][presetTags[w]], 511.99f, USER_WAVE_PRESET_COUNT);
            if (shape <= 0) continue;
            ++shaped;
            SCOPED_TRACE(std::string(DEMO_NAMES[n]) + ", wave " + std::to_string(w + 1));
            const float* b = BUILT_IN_ADD_WAVE[shape];
            // Every fourth point is a shape point; the ones between lie on the line to the next.
            for (int j = 0; j < USER_WAVE_SHAPE_POINTS; ++j) {
                const float next = b[(j + 1) % USER_WAVE_SHAPE_POINTS];
                EXPECT_FLOAT_EQ(DEMOVAR[n][firstTags[w] + 4 * j], b[j]);
                EXPECT_NEAR(DEMOVAR[n][firstTags[w] + 4 * j + 2], 0.5f * (b[j] + next), 1e-6f);
            }
        }
    }
    EXPECT_GE(shaped, 4) << "the bank shows off the built-in shapes";
}
