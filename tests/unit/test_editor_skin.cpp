// The generated skin: every picture the editor loads exists at every screen size, decodes,
// and keeps the frame rules of its kind; the generator refuses a bad skin file.
#include "editor/SkinResources.h"
#include "editor/ueditor.h"
#include "gui/CBitmap.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace VSTGUI;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
};

Picture load(int id, int size) {
    auto* b = new CBitmap(id + 1000 * size);
    Picture p{static_cast<int>(b->getWidth()), static_cast<int>(b->getHeight())};
    b->forget();
    return p;
}

int scaled(int v, int size) {
    return static_cast<int>(static_cast<float>(v) * SCALE[size]);
}

} // namespace

TEST(Skin, EveryPictureExistsAtEverySizeWithTheFrameRulesOfItsKind) {
    setBitmapResourceProvider(&findSkinResource);
    std::vector<int> ids(std::begin(skin::OPENING_IDS), std::end(skin::OPENING_IDS));
    ids.push_back(skin::kBackSideBackground);
    for (int page = 1; page < skin::kPageCount; ++page)
        ids.push_back(skin::MID_SCREEN_BITMAPS[page]);
    EXPECT_EQ(ids.size(), 53u);
    EXPECT_EQ(getSkinResourceCount(), 53 * 4);

    for (int size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        for (int id : ids) {
            const Picture p = load(id, size);
            EXPECT_GT(p.width, 0) << id;
            EXPECT_GT(p.height, 0) << id;
        }
        // Backgrounds are the main screen times the scale.
        for (int id : {10000, 10001, 10002}) {
            const Picture p = load(id, size);
            EXPECT_EQ(p.width, scaled(1132, size));
            EXPECT_EQ(p.height, scaled(779, size));
        }
        // Knob faces and rings: 143 square frames stacked; a face and its rings share a size.
        for (int id : {10030, 10031, 10032, 10033, 10034}) {
            const Picture p = load(id, size);
            EXPECT_EQ(p.height % 143, 0) << id;
            EXPECT_EQ(p.height / 143, p.width) << id;
        }
        EXPECT_EQ(load(10030, size).width, load(10031, size).width);
        EXPECT_EQ(load(10032, size).width, load(10033, size).width);
        EXPECT_EQ(load(10032, size).width, load(10034, size).width);
    }
    // Pictures grow with the size: the 200 percent knob is twice the 100 percent one.
    EXPECT_EQ(load(10031, 3).width, 2 * load(10031, 0).width);
    setBitmapResourceProvider(nullptr);
}

TEST(Skin, TheGeneratorRefusesABadSkinFileWithoutWritingOutput) {
    const std::string folder = makeTempFolder("zek2skin");
    auto run = [&](const std::string& text) {
        writeWhole(folder + "/skin.txt", text);
        const std::string command = std::string(ZEK2_SKINGEN_PATH) + " " + folder + "/skin.txt " +
                                    folder + "/out.bin " + folder + "/out.cpp 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_NE(run("10030 knobbody 42 42\n"), 0); // a strip without its frame count
    EXPECT_NE(run("10030 sparkle 42 42\n"), 0);  // an unknown kind
    EXPECT_NE(run("10044 switch 14 14\n10044 switch 14 14\n"), 0); // listed twice
    EXPECT_NE(run("@10044 panel 1 2 3 4\n"), 0); // decoration of an unknown picture
    EXPECT_NE(run("99 switch 14 14\n"), 0);      // outside the id range
    // A correction needs all three sizes.
    EXPECT_NE(run("10002 background 200 100\n@10002 lcd 1 2(+1/+2) 3 4\n"), 0);
    // A caption wider than its box at any size.
    EXPECT_NE(run("10002 background 200 100\n@10002 text 0 0 30 14 l MIDI RECEIVE CHANNEL\n"), 0);
    EXPECT_EQ(readWhole(folder + "/out.cpp"), "");
    EXPECT_EQ(run("10044 switch 14 14\n"), 0);
    EXPECT_NE(readWhole(folder + "/out.cpp").find("bmp13044"), std::string::npos);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
