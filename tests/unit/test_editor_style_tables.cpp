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

    // Option-menu text and menu-button captions part at 150 percent and meet at 200.
    EXPECT_EQ(FONT_SIZES[2], kNormalFont);
    EXPECT_EQ(BIG_LABEL_FONT_SIZES[2], kNormalFontBig);
    for (CFontRef f : {FONT_SIZES[3], LABEL_FONT_SIZES[3], BIG_LABEL_FONT_SIZES[3]})
        EXPECT_EQ(f, kNormalFontVeryBig);
    // Text grows with the screen size.
    for (int s = 1; s < SCREEN_SIZE_COUNT; ++s) {
        EXPECT_GT(FONT_SIZES[s]->getSize(), FONT_SIZES[s - 1]->getSize());
        EXPECT_GT(BIG_LABEL_FONT_SIZES[s]->getSize(), BIG_LABEL_FONT_SIZES[s - 1]->getSize());
    }
    EXPECT_EQ(std::string(FILTER_TYPE_SHORT_STR[FILTER_TYPE_SHORT_COUNT - 1]), "AM");
    EXPECT_EQ(std::string(UNI_MODE_SHORT_STR[25]), "Dimshd");
}
