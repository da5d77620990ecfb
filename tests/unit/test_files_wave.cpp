// User-wave files: the written text under a comma locale, loading back, and the refusals that
// keep the current wave.
#include "FilesRig.h"
#include "TestFolders.h"
#include "engine/files/FileFormats.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

namespace {

class WaveFiles : public filesrig::FileTest {
protected:
    WaveFiles() : FileTest("zek2wave") {}
    std::string waveText(int points, const std::string& header = "0\n512\n1\n") const {
        std::string text = header;
        for (int i = 0; i < points; ++i) text += i % 2 ? "0.25\n" : "0.750000\n";
        return text;
    }
};

// A comma locale for one scope, where the system has one.
class ScopedCommaLocale {
public:
    ScopedCommaLocale() {
        old_ = std::setlocale(LC_ALL, nullptr);
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    bool active() const { return active_; }

private:
    std::string old_;
    bool active_ = false;
};

} // namespace

TEST_F(WaveFiles, AWaveSavedUnderACommaLocaleLoadsBackIntoTheOtherWave) {
    for (int i = 0; i < 512; ++i)
        e->setParameter(tag::UserWave1First + i, static_cast<float>(i) / 511.0f);
    {
        ScopedCommaLocale comma;
        dialogs.answerOk(folder + "/ramp.txt");
        e->saveWave(0);
        dialogs.answerOk(folder + "/ramp.wve");
        e->loadWave(1);
    }
    const std::string text = readWhole(folder + "/ramp.wve");
    EXPECT_EQ(text.substr(0, 26), "0\n512\n0\n0.000000\n0.001957\n");
    EXPECT_EQ(text.find(','), std::string::npos);
    // The rebuild after the load may move a point by a rounding step.
    for (int i : {0, 1, 300, 511})
        EXPECT_NEAR(e->getParameter(tag::UserWave2First + i), i / 511.0f, 1e-4) << i;
    EXPECT_EQ(messages("Problem with Wave file"), 0);
}

TEST_F(WaveFiles, AShortGarbledOrOutOfRangeFileIsRefusedAndTheWaveStays) {
    for (int i = 0; i < 512; ++i) e->setParameter(tag::UserWave1First + i, 0.5f);
    const std::string refused[] = {
        waveText(511),
        waveText(513),
        waveText(512, "0\n256\n0\n"),
        waveText(512, "1\n512\n0\n"),
        waveText(300) + "0,5\n" + waveText(211, ""),
        waveText(300) + "nan\n" + waveText(211, ""),
        std::string(),
    };
    for (const std::string& bad : refused) {
        writeWhole(folder + "/bad.wve", bad);
        dialogs.answerOk(folder + "/bad.wve");
        dialogs.answerOk();
        e->loadWave(0);
    }
    dialogs.answerOk(folder + "/missing.wve");
    dialogs.answerOk();
    e->loadWave(0);
    EXPECT_EQ(messages("Problem with Wave file"), 8);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(e->getParameter(tag::UserWave1First + i), 0.5f);

    // Values beyond 0..1 are held to it; an unwritable target says so.
    writeWhole(folder + "/wide.wve", waveText(511) + "7\n");
    ASSERT_TRUE(e->loadWaveFile(0, folder + "/wide.wve"));
    EXPECT_EQ(e->getParameter(tag::UserWave1First + 511), 1.0f);
    EXPECT_EQ(e->getParameter(tag::UserWave1First), 0.75f);
    writeWhole(folder + "/plain", "a file, not a folder");
    dialogs.answerOk(folder + "/plain/x.wve");
    dialogs.answerOk();
    e->saveWave(0);
    EXPECT_EQ(messages("Problem with Wave Preset"), 1);
}
