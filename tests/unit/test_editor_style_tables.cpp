// The style and font tables by screen size, and the stage names by path and unit.
#include "controls/FontTables.h"
#include "controls/StyleTables.h"

#include <gtest/gtest.h>

#include <string>

using namespace VSTGUI;

TEST(StyleTables, StageNamesAndFontsFollowPathAndScreenSize) {
    EXPECT_EQ(std::string(pathStageName(0, 0)), "FILTER");
    EXPECT_EQ(std::string(pathStageName(0, 5)), "POST-EQ");
    EXPECT_EQ(std::string(pathStageName(1, 0)), "DISTORT");
    EXPECT_EQ(std::string(pathStageName(1, 4)), "REVERB");
    EXPECT_EQ(std::string(pathStageName(1, 5)), ""); // the FX path has five units
    EXPECT_EQ(std::string(pathStageName(2, 0)), "");
    EXPECT_EQ(std::string(pathStageName(0, -1)), "");

    // Text grows with the screen size.
    for (int s = 1; s < SCREEN_SIZE_COUNT; ++s) {
        EXPECT_GT(FONT_SIZES[s]->getSize(), FONT_SIZES[s - 1]->getSize());
        EXPECT_GT(BIG_LABEL_FONT_SIZES[s]->getSize(), BIG_LABEL_FONT_SIZES[s - 1]->getSize());
    }
}
