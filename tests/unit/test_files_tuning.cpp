// Tuning files: which section counts, what a refused file leaves, the name in the name tags,
// and the pitch a retuned key is heard at.
#include "FilesRig.h"
#include "TestFolders.h"
#include "engine/files/FileFormats.h"
#include "platform/strings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace {

using zekfiles::TuningParse;

struct Table {
    float n[128];
    Table() {
        for (int i = 0; i < 128; ++i) n[i] = static_cast<float>(i);
    }
};

TuningParse parse(const std::string& text, Table& t) {
    return zekfiles::parseTuningText(text, t.n);
}

class TuningFiles : public filesrig::FileTest {
protected:
    TuningFiles() : FileTest("zek2tuning") {}
};

// The process's file size limit at `bytes` while it lives, its signal ignored, so a write past
// it fails as one on a full disk does; then both as they were.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before);
        const rlimit limit{bytes, before.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, signalBefore);
    }
    void (*signalBefore)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
};

} // namespace

TEST(TuningText, TheExactSectionWinsAndOnlyItsNoteLinesCount) {
    Table t;
    const std::string both = "; a comment\n[Tuning]\nnote 60=7000\n"
                             "[Exact Tuning]\r\nBaseFreq = 8.1757989156\r\n"
                             "note 60 = 6050\r\nnote 61=6100.5=3\r\nnote 200=1\r\nnote x=5\r\n"
                             "note 62=\r\nnote 63\r\n";
    ASSERT_EQ(parse(both, t), TuningParse::Ok);
    EXPECT_FLOAT_EQ(t.n[60], 60.5f) << "a quarter tone up";
    EXPECT_FLOAT_EQ(t.n[61], 61.005f);
    EXPECT_EQ(t.n[62], 62.0f);
    EXPECT_EQ(t.n[0], 0.0f) << "a note that is not a number names no note";

    Table plain;
    ASSERT_EQ(parse("[Tuning]\nnote 0=-150\nnote 127=12600\n; end\nnote 5=0\n", plain),
              TuningParse::Ok);
    EXPECT_FLOAT_EQ(plain.n[0], -1.5f);
    EXPECT_FLOAT_EQ(plain.n[127], 126.0f);
    EXPECT_EQ(plain.n[5], 5.0f) << "a comment ends the section";
}

TEST(TuningText, NoSectionOrAnUnusableCentValueRefusesTheWholeFile) {
    for (const char* bad : {"note 60=6050\n", "", "[Tun\n", "[Tuning]\nnote 1=100\nnote 60=nan\n",
                            "[Tuning]\nnote 60=inf\n", "[Tuning]\nnote 60=abc\n",
                            "[Tuning]\nnote 60=1e9\n", "[Exact Tuning]\nnote 60=-20000\n"}) {
        Table t;
        EXPECT_NE(parse(bad, t), TuningParse::Ok) << bad;
        EXPECT_EQ(t.n[1], 1.0f) << bad;
        EXPECT_EQ(t.n[60], 60.0f) << bad;
    }
}

TEST_F(TuningFiles, ALoadNamesTheTuningAndARefusalOrCancelKeepsTuningAndName) {
    EXPECT_EQ(e->getTuningName(), "Standard Tuning");
    const std::string longName(45, 'q');
    dialogs.answerOk(write(longName + ".tun", "[Tuning]\nnote 60=6050\n"));
    e->loadTuning();
    EXPECT_TRUE(e->getOnOff(tag::HasTuningOn));
    EXPECT_EQ(e->getTuningName(), std::string(39, 'q'));
    EXPECT_FLOAT_EQ(e->getTuning(60), 60.5f);
    EXPECT_EQ(e->getTuning(61), 61.0f);

    // Cancel, a missing file, no section, a bad value: all leave tuning and name.
    dialogs.answerCancel();
    e->loadTuning();
    for (const std::string& path :
         {folder + "/missing.tun", write("none.tun", "[Scale]\nnote 60=100\n"),
          write("bad.tun", "[Tuning]\nnote 61=6200\nnote 60=nan\n")}) {
        dialogs.answerOk(path);
        dialogs.answerOk(); // the message box
        e->loadTuning();
    }
    int problems = 0;
    for (const DialogRequest& q : dialogs.questions())
        problems += q.kind == DialogKind::Message && q.text == "Problem with Tuning File";
    EXPECT_EQ(problems, 3) << "every refused file is said so; a cancel is not";
    EXPECT_EQ(e->getTuningName(), std::string(39, 'q'));
    EXPECT_FLOAT_EQ(e->getTuning(60), 60.5f);
    EXPECT_EQ(e->getTuning(61), 61.0f);

    e->resetTuning();
    EXPECT_EQ(e->getTuningName(), "Standard Tuning");
    EXPECT_EQ(e->getTuning(60), 60.0f);
}

TEST_F(TuningFiles, ATuningFileRetunesTheRenderedPitchByItsCents) {
    const float rate = 48000.0f;
    filesrig::plainPatch(e);
    ASSERT_TRUE(
        e->loadTuningFile(write("q.tun", "[Exact Tuning]\nnote 69=6950\nnote 57=5500\n"), "q"));
    const double a4 = 440.0;
    EXPECT_NEAR(
        audio::cents(audio::crossingFrequency(filesrig::holdKey(e, 69, 0.3, rate), rate), a4), 50.0,
        1.0);
    EXPECT_NEAR(
        audio::cents(audio::crossingFrequency(filesrig::holdKey(e, 57, 0.3, rate), rate), a4),
        -1400.0, 1.0);
    e->resetTuning();
    EXPECT_NEAR(
        audio::cents(audio::crossingFrequency(filesrig::holdKey(e, 69, 0.3, rate), rate), a4), 0.0,
        1.0);

    // The sound restored (its values written, then its program applied) plays the tuning it
    // names from the copy the load kept, the file itself gone; with the copy gone too it plays
    // the standard table and says the tuning is missing.
    e->setParameter(tag::HasTuningOn, 1.0f);
    std::vector<float> sound(2048);
    for (int t = 0; t < 2048; ++t) sound[static_cast<size_t>(t)] = e->getParameter(t);
    std::filesystem::remove(folder + "/q.tun");
    for (const bool kept : {true, false}) {
        e->resetTuning();
        for (int t = 0; t < 2048; ++t) e->setParameter(t, sound[static_cast<size_t>(t)]);
        e->setParameter(tag::ApplyPreset, 1.0f);
        // After a render the file work is the engine's own thread's: waited for, patiently.
        const std::string name = kept ? "q" : "Missing: q";
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (e->getTuningName() != name && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(e->getTuningName(), name);
        EXPECT_EQ(e->getTuning(69), kept ? 69.5f : 69.0f) << name;
        std::filesystem::remove(e->getFolder(kFolderTuning) + "q.tun");
    }
}

// Names that share the 39 bytes the name tags hold are never given to two contents: the second
// is kept as the first 37 bytes and " 2", and each load of the same content finds its copy.
TEST_F(TuningFiles, NamesSharingTheirFirst39BytesKeepTheirOwnCopies) {
    const std::string shared = "A_very_long_tuning_name_for_the_gamelan_";
    const std::string pelog = write(shared + "pelog.tun", "[Tuning]\nnote 60=6010\n");
    const std::string slendro = write(shared + "slendro.tun", "[Tuning]\nnote 60=6020\n");
    const std::string first = shared.substr(0, 39), second = shared.substr(0, 37) + " 2";
    for (const std::string& path : {pelog, slendro, pelog, slendro}) {
        ASSERT_TRUE(e->loadTuningFile(path, getFileNameOnlyStr(path, true)));
        EXPECT_EQ(e->getTuningName(), path == pelog ? first : second);
        EXPECT_FLOAT_EQ(e->getTuning(60), path == pelog ? 60.1f : 60.2f);
    }
    const std::string kept = e->getFolder(kFolderTuning);
    EXPECT_FALSE(std::filesystem::exists(kept + shared.substr(0, 37) + " 3.tun"))
        << "a load again made a copy";
}

// A tuning that cannot be kept with the sound is refused when it is loaded, with a message,
// and the tuning before stays: a name no file can have, a folder that holds the most copies of
// the name, a copy that cannot be written whole (removed, so no part of it stays under the name
// for a restored sound to find), a tuning folder that cannot be made. Switched on without a
// name, the sound plays and names the standard table.
TEST_F(TuningFiles, ATuningThatCannotBeKeptIsRefusedWhenLoaded) {
    const std::string q = "q" + std::to_string(getpid());
    ASSERT_TRUE(e->loadTuningFile(write(q + ".tun", "[Tuning]\nnote 60=6050\n"), q));
    std::string problem;
    EXPECT_FALSE(e->loadTuningFile(write("...tun", "[Tuning]\nnote 60=6100\n"), "..", &problem));
    EXPECT_NE(problem.find("cannot be kept"), std::string::npos) << problem;
    EXPECT_EQ(e->getTuningName(), q);
    EXPECT_FLOAT_EQ(e->getTuning(60), 60.5f);
    // Through the chooser the refusal is said.
    dialogs.answerOk(folder + "/...tun");
    dialogs.answerOk(); // the message box
    e->loadTuning();
    EXPECT_EQ(messages(problem), 1);
    const std::string kept = e->getFolder(kFolderTuning);
    for (int n = 1; n <= 999; ++n)
        writeWhole(kept + "full" + (n == 1 ? "" : " " + std::to_string(n)) + ".tun",
                   "[Tuning]\nnote 1=" + std::to_string(n) + "\n");
    EXPECT_FALSE(e->loadTuningFile(write("full.tun", "[Tuning]\nnote 1=0\n"), "full", &problem));
    EXPECT_NE(problem.find("999 other tunings"), std::string::npos) << problem;
    const std::string cut = write("cut.tun", "[Tuning]\nnote 60=6100\n");
    bool loaded = true;
    {
        // Nothing else is written meanwhile, a failure's report neither.
        FileSizeLimit limit(10);
        loaded = e->loadTuningFile(cut, "cut", &problem);
    }
    EXPECT_FALSE(loaded);
    EXPECT_NE(problem.find("could be written"), std::string::npos) << problem;
    EXPECT_FALSE(std::filesystem::exists(kept + "cut.tun")) << "a cut copy was left";
    EXPECT_EQ(e->getTuningName(), q);
    EXPECT_FLOAT_EQ(e->getTuning(60), 60.5f);
    std::filesystem::remove(kept + q + ".tun");

    // The preferences are the test engine's own.
    write("plain", "a file, not a folder");
    saveStringToPrefs("Tuning", folder + "/plain/Tuning");
    {
        auto blocked = std::make_unique<APlugin>(nullptr);
        problem.clear();
        EXPECT_FALSE(
            blocked->loadTuningFile(write("r.tun", "[Tuning]\nnote 60=6100\n"), "r", &problem));
        EXPECT_NE(problem.find(folder + "/plain/Tuning"), std::string::npos) << problem;
        EXPECT_EQ(blocked->getTuningName(), "Standard Tuning");
    }
    saveStringToPrefs("Tuning", "");

    e->resetTuning();
    e->setParameter(tag::HasTuningOn, 1.0f);
    for (int i = 0; i < tag::TuningNameCount; ++i) e->setParameter(tag::TuningNameFirst + i, 0.0f);
    EXPECT_EQ(e->getTuningName(), "Standard Tuning");
    EXPECT_EQ(e->getTuning(61), 61.0f);
}

class TuningFilesRace : public TuningFiles {};

namespace {
// Lets two threads (0 and 1) go at one moment, both on a core: they answer each other's turn a
// few times first, so one that the scheduler put aside while it waited does not start late.
void meet(std::atomic<int>& turn, int thread) {
    constexpr int kTurns = 8;
    for (int step = thread; step < kTurns; step += 2) {
        while (turn.load() != step) {
        }
        turn.store(step + 1);
    }
    while (turn.load() < kTurns) {
    }
}
} // namespace

// Two instances load two tunings of one file name at the same moment, round after round: each
// keeps a copy of its own (one under the name, the other as "name 2"), never one for both, so
// each sound, restored from its name, plays its own tuning.
TEST_F(TuningFilesRace, TwoInstancesLoadingTuningsOfOneNameAtOnceKeepACopyEach) {
    auto other = std::make_unique<APlugin>(nullptr);
    const std::string kept = e->getFolder(kFolderTuning);
    ASSERT_EQ(other->getFolder(kFolderTuning), kept);
    std::filesystem::create_directories(folder + "/A");
    std::filesystem::create_directories(folder + "/B");
    APlugin* engines[2] = {&*e, other.get()};
    const std::string texts[2] = {"[Tuning]\nnote 60=6100\n", "[Tuning]\nnote 60=6200\n"};
    const std::string paths[2] = {write("A/same.tun", texts[0]), write("B/same.tun", texts[1])};
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        std::atomic<int> turn{0};
        bool loaded[2] = {};
        std::thread loads[2];
        for (int i = 0; i < 2; ++i)
            loads[i] = std::thread([&, i] {
                meet(turn, i);
                loaded[i] = engines[i]->loadTuningFile(paths[i], "same");
            });
        for (std::thread& load : loads) load.join();
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(loaded[i]) << "round " << round;
            EXPECT_EQ(readWhole(kept + engines[i]->getTuningName() + ".tun"), texts[i])
                << "round " << round << ": instance " << i << " keeps the other's tuning";
        }
        for (const char* copy : {"same.tun", "same 2.tun"}) std::filesystem::remove(kept + copy);
    }
}
