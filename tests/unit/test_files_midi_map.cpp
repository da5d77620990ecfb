// MIDI learn's user-interface side: typed assignment, unlearning, and controller-map files
// with their refusals, the preferences that mirror the map, and soft take-over afterwards.
#include "FilesRig.h"
#include "TestFolders.h"
#include "engine/files/FileFormats.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int kCC = 0xB0;

std::string lines(int count, int value = 0) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(value) + "\n";
    return text;
}

class MidiMapFiles : public filesrig::FileTest {
protected:
    MidiMapFiles() : FileTest("zek2ecs") {}
};

} // namespace

TEST(ControllerMapText, ExactlyOneHundredTwentyEightTagsInRangeAndNothingElse) {
    int32_t map[128];
    for (int32_t& m : map) m = 7;
    EXPECT_TRUE(zekfiles::parseControllerMap(lines(128), map));
    EXPECT_EQ(map[127], 0) << "128 zeros clear the map";
    std::string text = lines(127, 2047) + "5";
    ASSERT_TRUE(zekfiles::parseControllerMap(text, map)) << "the last newline may be missing";
    EXPECT_EQ(map[0], 2047);
    EXPECT_EQ(map[127], 5);
    EXPECT_EQ(zekfiles::formatControllerMap(map), lines(127, 2047) + "5\n");
    for (const std::string& bad :
         {lines(127), lines(129), lines(127) + "2048\n", lines(127) + "-1\n",
          lines(127) + "12abc\n", lines(127) + "1.5\n", lines(127) + "5-\n", lines(128) + "x",
          std::string()}) {
        EXPECT_FALSE(zekfiles::parseControllerMap(bad, map));
        EXPECT_EQ(map[0], 2047) << "a refused text changes nothing";
    }
}

TEST_F(MidiMapFiles, TypedNumbersAreHeldToTheControllerRangeAndUnlearnClearsTheTagsEntry) {
    const int tagA = tag::FilterFrequency, tagB = tag::FilterQ;
    for (const char* answer : {"200", "-5", " 12 dB", "abc"}) dialogs.answerOk(answer);
    dialogs.answerCancel();
    for (int i = 0; i < 5; ++i) e->setMIDICCNum(i < 3 ? tagA : tagB);
    EXPECT_EQ(e->getMIDICCTag(127), tagA);
    EXPECT_EQ(e->getMIDICCTag(0), tagA);
    EXPECT_EQ(e->getMIDICCTag(12), tagA);
    EXPECT_EQ(getMIDICC(127), tagA) << "kept in the preferences";
    for (int cc = 0; cc < 128; ++cc) EXPECT_NE(e->getMIDICCTag(cc), tagB) << "no number, no map";

    // Unlearning removes every controller of the tag and the take-over entry of the tag, not
    // that of the controller number.
    e->setMIDICCNum(-1); // not a tag: not even a question
    EXPECT_EQ(dialogs.questions().size(), 5u);
    e->setParameter(12, 0.7f);
    e->setParameter(tagA, 0.3f);
    e->resetMIDICapture();
    e->setMIDILatch(tagA, false);
    EXPECT_FALSE(e->midiLearnArmed);
    for (int cc : {0, 12, 127}) {
        EXPECT_EQ(e->getMIDICCTag(cc), 0);
        EXPECT_EQ(getMIDICC(cc), 0);
    }
    EXPECT_FLOAT_EQ(e->getMIDICaptureValue(12), 0.7f);
    EXPECT_EQ(e->getMIDICaptureValue(tagA), 0.0f);
    e->setMIDILatch(4000, true);
    EXPECT_FALSE(e->midiLearnArmed) << "an invalid tag arms nothing";
}

TEST_F(MidiMapFiles, MapsSaveAndLoadWholeOrNotAtAllThenTakeOverSoftly) {
    const int target = tag::FilterFrequency;
    dialogs.answerOk("20");
    e->setMIDICCNum(target);
    const std::string saved = folder + "/mine.ecs";
    dialogs.answerOk(folder + "/mine");
    e->saveECS();
    std::string expected = lines(128);
    expected.replace(2 * 20, 1, std::to_string(target));
    EXPECT_EQ(readWhole(saved), expected);

    e->resetMIDI();
    EXPECT_EQ(e->getMIDICCTag(20), 0);
    EXPECT_EQ(getMIDICC(20), 0);

    // Refused: short, long, out of range, missing. Each says so and changes nothing.
    for (const std::string& bad : {lines(127), lines(129), lines(127) + "4096\n"}) {
        writeWhole(folder + "/bad.ecs", bad);
        dialogs.answerOk(folder + "/bad.ecs");
        dialogs.answerOk();
        e->loadECS();
    }
    dialogs.answerOk(folder + "/missing.ecs");
    dialogs.answerOk();
    e->loadECS();
    dialogs.answerCancel();
    e->loadECS();
    EXPECT_EQ(messages("Problem with ECS File"), 4);
    for (int cc = 0; cc < 128; ++cc) ASSERT_EQ(e->getMIDICCTag(cc), 0);

    dialogs.answerOk(saved);
    e->loadECS();
    EXPECT_EQ(e->getMIDICCTag(20), target);
    EXPECT_EQ(getMIDICC(20), target);

    // Loading restarts soft take-over: a controller far from the value waits for it.
    e->setParameter(target, 0.5f);
    e->resetMIDICapture();
    e.play({{kCC, 20, 120}});
    EXPECT_EQ(e->getParameter(target), 0.5f);
    e.play({{kCC, 20, 64}});
    EXPECT_FLOAT_EQ(e->getParameter(target), 64.0f / 127.0f);
    e.play({{kCC, 20, 0}});
    EXPECT_EQ(e->getParameter(target), 0.0f);
}
