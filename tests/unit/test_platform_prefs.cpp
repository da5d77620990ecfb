// Tests of the preference store: file format, sharing between stores, damaged files, the
// audio-side mirrors and the queued MIDI-learn writes. Every file lives in a fresh
// temporary folder; the real home is never touched.

#include "platform/prefs.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
class PlatformPrefs : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeTempFolder("zek2prefs");
        ASSERT_FALSE(folder_.empty());
        // Even a reload from the environment stays inside the temporary folder.
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (folder_ + "/system").c_str(), 1);
        path_ = folder_ + "/VMQX/com.VMQX.ZEK2.conf";
        setPrefsFileForTesting(path_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string folder_;
    std::string path_;
    // The tests point these elsewhere; the tests after them find them as they were.
    ScopedEnv environment{"HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME"};
};

TEST_F(PlatformPrefs, ValuesKeepTheirFormAndSurviveTheFile) {
    std::string value = "left";
    loadStringFromPrefs("ECSDir", value, 127);
    EXPECT_EQ(value, "") << "a missing string reads as empty";

    std::string awkward = "line one\nline two \\ back\r= equals  ";
    saveStringToPrefs("ECSDir", "/home/ü ser/ZEK2/ECS/");
    saveStringToPrefs("Odd=Key\n", awkward);
    saveIntToPrefs("A4", 442);
    saveIntToPrefs("Low", -2147483647 - 1);
    saveBoolToPrefs("Keyboard", false);

    std::string file = readWhole(path_);
    EXPECT_NE(file.find("i A4=442\n"), std::string::npos) << file;

    // Everything is read back from the file, not from the writer's memory.
    PrefStore fresh(path_);
    EXPECT_EQ(fresh.getString("ECSDir"), "/home/ü ser/ZEK2/ECS/");
    EXPECT_EQ(fresh.getString("Odd=Key\n"), awkward);
    EXPECT_EQ(fresh.getInt("A4"), 442);
    EXPECT_EQ(fresh.getInt("Low"), -2147483647 - 1);
    EXPECT_FALSE(fresh.getSwitch("Keyboard", true));
}

TEST_F(PlatformPrefs, SwitchesCountOnlyExactlyYAndN) {
    saveStringToPrefs("Keyboard", "y");
    saveStringToPrefs("ToolTip", "Yes");
    saveStringToPrefs("Animation", "");
    saveStringToPrefs("XYMod", "N");
    saveStringToPrefs("DragAndDrop", "Y");
    EXPECT_TRUE(getRegisterIsOn("Keyboard", true));
    EXPECT_FALSE(getRegisterIsOn("ToolTip", false));
    EXPECT_TRUE(getRegisterIsOn("Animation", true));
    EXPECT_FALSE(getRegisterIsOn("XYMod", true));
    EXPECT_TRUE(getRegisterIsOn("DragAndDrop", false));
}

TEST_F(PlatformPrefs, LongValuesAreNotCutAndBuffersAreCutOnCharacters) {
    std::string folder = "/";
    for (int i = 0; i < 150; ++i) folder += "é"; // 300 bytes
    saveStringToPrefs("SampleDir", folder);
    std::string whole;
    loadStringFromPrefs("SampleDir", whole, 127);
    EXPECT_EQ(whole, folder);

    char buffer[128];
    std::memset(buffer, 'x', sizeof(buffer));
    loadStringFromPrefs("SampleDir", buffer, 127);
    std::string cut(buffer);
    EXPECT_EQ(cut.size(), 125u) << "'/' and 62 two-byte characters fit in 126 bytes";
    EXPECT_EQ(folder.compare(0, cut.size(), cut), 0);
    EXPECT_EQ(buffer[127], 'x') << "nothing is written beyond maxLen";
}

TEST_F(PlatformPrefs, TwoStoresOnOneFileSeeEachOthersWritesAfterReload) {
    PrefStore first(path_);
    PrefStore second(path_);
    EXPECT_EQ(second.getString("EQDir"), "");
    first.setString("EQDir", "/eq/");
    EXPECT_EQ(second.getString("EQDir"), "") << "a loaded store reads its cache";
    second.reload();
    EXPECT_EQ(second.getString("EQDir"), "/eq/");

    // A write of one store keeps what the other wrote since it last read the file.
    second.setInt("MIDIChannel", 3);
    first.setString("WaveDir", "/waves/");
    PrefStore third(path_);
    EXPECT_EQ(third.getString("EQDir"), "/eq/");
    EXPECT_EQ(third.getInt("MIDIChannel"), 3);
    EXPECT_EQ(third.getString("WaveDir"), "/waves/");
}

TEST_F(PlatformPrefs, DamagedFilesLoadWhatTheyCan) {
    mkdir((folder_ + "/VMQX").c_str(), 0700);
    writeWhole(path_, "# comment\n"
                      "s Good=one\n"
                      "no equals sign here\n"
                      "x Unknown=1\n"
                      "s BadEscape=a\\qb\n"
                      "i NotANumber=12x\n"
                      "i TooBig=99999999999\n"
                      "s =empty key\n"
                      "\n"
                      "i 5=77\r\n"
                      "s Tail=cut in the mid\\");
    reloadPrefs();
    std::string value;
    loadStringFromPrefs("Good", value, 127);
    EXPECT_EQ(value, "one");
    EXPECT_EQ(getMIDICC(5), 77);
    EXPECT_EQ(loadIntFromPrefs("NotANumber"), 0);
    loadStringFromPrefs("BadEscape", value, 127);
    EXPECT_EQ(value, "");
    loadStringFromPrefs("Tail", value, 127);
    EXPECT_EQ(value, "");
}

TEST_F(PlatformPrefs, AnInterruptedWriteLeavesTheOldFileWhole) {
    saveStringToPrefs("ArpDir", "/arp/");
    saveIntToPrefs("A4", 432);
    std::string before = readWhole(path_);
    // What a crash between writing the temporary file and renaming it leaves behind.
    std::string leftover = folder_ + "/VMQX/.com.VMQX.ZEK2.conf.Ab12Cd";
    writeWhole(leftover, "s ArpDir=/half-wri");
    reloadPrefs();
    EXPECT_EQ(readWhole(path_), before);
    std::string value;
    loadStringFromPrefs("ArpDir", value, 127);
    EXPECT_EQ(value, "/arp/");
    EXPECT_EQ(loadIntFromPrefs("A4"), 432);
}

TEST_F(PlatformPrefs, AudioMirrorsFollowEveryWrite) {
    EXPECT_TRUE(getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true));
    saveBoolToPrefs(kPrefAutoLimit, false);
    EXPECT_FALSE(getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true));
    saveBoolToPrefs(kPrefMIDICapture, true);
    EXPECT_TRUE(getRegisterIsOnAudio(AudioPrefSwitch::MIDICapture, false));

    setMIDICC(5, 77);
    EXPECT_EQ(getMIDICCAudio(5), 77);
    EXPECT_EQ(getMIDICCAudio(128), 0);
    EXPECT_EQ(getMIDICCAudio(-1), 0);

    // A write of another process reaches the mirrors with the next reload.
    PrefStore other(path_);
    other.setString(kPrefAutoLimit, "Y");
    other.setInt("5", 12);
    EXPECT_FALSE(getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true));
    reloadPrefs();
    EXPECT_TRUE(getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, false));
    EXPECT_EQ(getMIDICCAudio(5), 12);
}

TEST_F(PlatformPrefs, AudioLearntControllersReachTheFileOnlyWhenFlushed) {
    EXPECT_FALSE(flushPendingPrefWrites());
    setMIDICCFromAudio(7, 300);
    setMIDICCFromAudio(128, 1);
    setMIDICCFromAudio(-1, 1);
    EXPECT_EQ(getMIDICCAudio(7), 300);
    EXPECT_EQ(getMIDICC(7), 300) << "the editor sees the learnt entry at once";
    EXPECT_EQ(readWhole(path_).find("i 7=300"), std::string::npos);
    PrefStore other(path_);
    EXPECT_EQ(other.getInt("7"), 0);

    EXPECT_TRUE(flushPendingPrefWrites());
    EXPECT_NE(readWhole(path_).find("i 7=300\n"), std::string::npos);
    other.reload();
    EXPECT_EQ(other.getInt("7"), 300);

    // A reload while a learnt entry waits keeps it and writes it, together with what
    // another process wrote meanwhile.
    setMIDICCFromAudio(9, 12);
    other.setInt("A4", 441);
    reloadPrefs();
    EXPECT_EQ(getMIDICC(9), 12);
    EXPECT_EQ(loadIntFromPrefs("A4"), 441);

    // A learnt entry followed by an editor write of the same slot: the editor's wins.
    setMIDICCFromAudio(10, 55);
    setMIDICC(10, 0);
    flushPendingPrefWrites();
    EXPECT_EQ(getMIDICC(10), 0);
    EXPECT_EQ(PrefStore(path_).getInt("10"), 0);
}

TEST_F(PlatformPrefs, MIDIChannelsAreOnlyValidFrom0To16) {
    EXPECT_TRUE(saveMIDIChannelToPrefs("MIDIChannel", 16));
    EXPECT_EQ(getMIDIChannelFromPrefs("MIDIChannel"), 15);
    EXPECT_FALSE(saveMIDIChannelToPrefs("MIDIChannel", 17));
    EXPECT_FALSE(saveMIDIChannelToPrefs("MIDIChannel", -1));
    EXPECT_EQ(loadIntFromPrefs("MIDIChannel"), 16) << "a refused value stores nothing";
}

TEST_F(PlatformPrefs, TheFileAndFoldersComeFromTheEnvironment) {
    char const* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome != nullptr ? oldHome : "";
    setPrefsFileForTesting(std::string());
    EXPECT_EQ(getPrefsFilePath(), folder_ + "/VMQX/com.VMQX.ZEK2.conf");
    // A relative XDG_CONFIG_HOME is not used; the home's .config is.
    setenv("HOME", folder_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    reloadPrefs();
    EXPECT_EQ(getPrefsFilePath(), folder_ + "/.config/VMQX/com.VMQX.ZEK2.conf");
    saveStringToPrefs("XYDir", "/xy/");
    EXPECT_NE(readWhole(folder_ + "/.config/VMQX/com.VMQX.ZEK2.conf").find("s XYDir=/xy/"),
              std::string::npos);

    setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
    EXPECT_EQ(getApplicationFolder(), folder_ + "/data/Velmora/ZEK2/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(getApplicationFolder(), folder_ + "/.local/share/Velmora/ZEK2/");
    setPrefsFileForTesting(path_);
    if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(PlatformPrefs, SystemWideValuesFillEmptyOnesAndBecomeTheUsers) {
    std::string system = folder_ + "/system.conf";
    writeWhole(system, "s Tuning=/usr/share/tunings/\ns EQDir=/shared/eq/\ni A4=415\n"
                       "s AutoLimit=N\ns MIDICapture=N\ns MIDISpring=N\n");
    mkdir((folder_ + "/VMQX").c_str(), 0700);
    writeWhole(path_, "s EQDir=\ns Keyboard=N\ns MIDISpring=Y\n");
    PrefStore store(path_, system);
    // The switches the audio thread reads become the user's too, without losing the user's own.
    EXPECT_FALSE(store.getSwitch(kPrefAutoLimit, true));
    EXPECT_FALSE(store.getSwitchAudio(AudioPrefSwitch::MIDICapture, true));
    EXPECT_TRUE(store.getSwitch(kPrefMIDISpring, false));
    const std::string adopted = readWhole(path_);
    EXPECT_NE(adopted.find("s AutoLimit=N\n"), std::string::npos) << adopted;
    EXPECT_NE(adopted.find("s MIDICapture=N\n"), std::string::npos) << adopted;
    EXPECT_NE(adopted.find("s MIDISpring=Y\n"), std::string::npos) << adopted;
    EXPECT_EQ(store.getString("EQDir"), "/shared/eq/") << "an empty value counts as missing";
    EXPECT_EQ(store.getString("Tuning"), "/usr/share/tunings/");
    EXPECT_EQ(store.getInt("A4"), 0) << "integers are the user's own only";
    EXPECT_FALSE(store.getSwitch("Keyboard", true));
    std::string file = readWhole(path_);
    EXPECT_NE(file.find("s EQDir=/shared/eq/\n"), std::string::npos) << file;
    EXPECT_NE(file.find("s Tuning=/usr/share/tunings/\n"), std::string::npos) << file;
}

// Run again under the thread sanitizer with the other race tests.
class PlatformPrefsRace : public PlatformPrefs {};

TEST_F(PlatformPrefsRace, LearningWhileTheEditorFlushesLosesNothing) {
    constexpr int kWrites = 5000;
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int i = 0; i < kWrites; ++i) {
            setMIDICCFromAudio(i % kMIDIControllerCount, i);
            (void)getRegisterIsOnAudio(AudioPrefSwitch::AutoLimit, true);
        }
        done.store(true);
    });
    bool on = false;
    while (!done.load()) {
        flushPendingPrefWrites();
        saveBoolToPrefs(kPrefAutoLimit, on = !on);
    }
    audio.join();
    flushPendingPrefWrites();
    PrefStore fromFile(path_);
    for (int cc = 0; cc < kMIDIControllerCount; ++cc) {
        int last =
            kWrites - kMIDIControllerCount +
            ((cc - kWrites) % kMIDIControllerCount + kMIDIControllerCount) % kMIDIControllerCount;
        EXPECT_EQ(getMIDICC(cc), last) << cc;
        EXPECT_EQ(fromFile.getInt(std::to_string(cc)), last) << cc;
    }
}

} // namespace
