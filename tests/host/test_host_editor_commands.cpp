// The editor's command menus and typed entries driven by real pointer and key events, and what
// the host hears of them: each menu button opens its own unit's menu, the XY pad asks for its
// controller number, the gater's pattern commands keep the hidden steps, a section command is
// one bracketed edit per moved parameter and one updateDisplay, a gesture that changes nothing
// tells the host nothing, typed numbers take a decimal comma and refuse text, every file
// chooser starts in its kind's folder, made on a fresh home, where a save then lands, and a
// loaded tuning plays again in its restored sound.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// Before the X headers, which define None.
#include "tests/PlainOscillator.h"
#include "tests/host/AudioAnalysis.h"

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "FakeDialogs.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <tuple>

using testhost::EditorSession;
using testhost::FakeDialogs;
using testhost::HostCall;

namespace {

constexpr auto describe = &EditorSession::describe;

// Where things sit on the main screen at 100 percent.
constexpr int kTabY = 416, kModTabX = 195, kFXTabX = 246;
constexpr int kEnvButtonY = 488, kEnv1X = 47, kEnv2X = 376;
constexpr int kLfoButtonY = 435, kLfo1X = 47, kLfo2X = 305;
constexpr int kFilterButtonX = 721, kFilterButtonY = 98;
constexpr int kFilterTypeX = 729, kFilterTypeY = 116;
constexpr int kGaterButtonX = 62, kGaterButtonY = 659;
constexpr int kXYPad1X = 270, kXYPad1Y = 324;
constexpr int kVolumeX = 305, kVolumeY = 133, kSemiX = 132, kSemiY = 122;
constexpr int kFineX = 163, kFineY = 148;
constexpr int kHelpX = 383, kHelpY = 49;
constexpr int kArpTabX = 63, kWaveTabX = 132;
constexpr int kEQButtonX = 885, kEQButtonY = 219, kEcsMenuX = 383, kEcsMenuY = 27;
constexpr int kModMatrixX = 200, kModMatrixY = 620, kArpCmdX = 662, kArpCmdY = 456;
constexpr int kWaveCmdX = 516, kWaveCmdY = 699, kBackSideX = 917, kBackSideY = 40;
constexpr int kTuningX = 374, kTuningY = 579, kTuningOn = 923;
constexpr int kBackSideEmptyX = 60, kBackSideEmptyY = 720;
constexpr int kOrigX = 325, kOrigY = 48, kEditX = 325, kEditY = 28;
constexpr int kTuningResetX = 494, kTuningResetY = 579, kBrickX = 406, kBrickY = 619;
constexpr int kA4X = 178, kA4Y = 579, kPresetMenuX = 150, kPresetMenuY = 30, kPresetStepX = 274;
constexpr int kXYRecordX = 134, kXYRecordY = 261;
constexpr int kPlayLockX = 800, kPlayLockY = 571, kPortamento = 10;
constexpr int kSettingsX = 1106, kSettingsY = 15;
// The wave page's buttons and menus.
constexpr int kWaveButtonY = 691, kWaveCopyX = 550, kWavePasteX = 585, kWaveClearX = 620;
constexpr int kWaveUndoX = 655, kWavePresetX = 100, kWavePresetY = 696;
constexpr int kWaveLoadX = 216, kWaveSaveX = 248, kWave2X = 147, kAdditiveX = 611;
constexpr int kWaveformX = 497;
constexpr int kWaveRadioY = 445;

// The parameters.
constexpr int kVolume = 12, kSemi = 14, kFine = 15, kXYPad1X_Tag = 272, kXY1RecordMode = 778;
constexpr int kMainVolume = 1, kFilterType = 294;
constexpr int kGaterOn = 347, kGaterSteps = 350, kGaterLeft = 355, kGaterRight = 356;
const std::vector<int> kEnv1 = {359, 113, 114, 115, 116, 117, 357, 358};
const std::vector<int> kEnv2 = {362, 118, 119, 120, 121, 122, 360, 361};
const std::vector<int> kLfo1 = {124, 369, 370, 371}, kLfo2 = {125, 372, 373, 374};
const std::vector<int> kFilter = {57, 58, 59, 297, 298, 299, 296, 66,  295, 294, 60,
                                  61, 62, 63, 64,  65,  302, 303, 304, 67,  305};

// Entries of the menus as Down reaches them: the keys step over greyed entries and separators.
constexpr int kResetUnit = 1;                          // free envelope and LFO menus
constexpr int kResetFilter = 2, kRandomizeFilter = 11; // filter menu, nothing copied yet
constexpr int kGaterMoveRight = 12, kGaterInverse = 14;
constexpr int kXYSetXMidiCC = 26; // XY menu with the pad in record mode "Live"
constexpr int kKnobSetToMinimum = 5, kKnobSetToValue = 8;

int edits(const std::vector<HostCall>& log) {
    return EditorSession::countOf(log, audioMasterAutomate) +
           EditorSession::countOf(log, audioMasterBeginEdit) +
           EditorSession::countOf(log, audioMasterEndEdit);
}

// Brackets that closed with no automate of their tag inside: the host was told of an edit
// that changed nothing.
int emptyBrackets(const std::vector<HostCall>& log) {
    std::map<int, int> automates; // per open tag: automates since its beginEdit, -1 closed
    int empty = 0;
    for (const HostCall& c : log) {
        if (c.opcode == audioMasterBeginEdit) automates[c.index] = 0;
        if (c.opcode == audioMasterAutomate && automates.count(c.index) && automates[c.index] >= 0)
            ++automates[c.index];
        if (c.opcode == audioMasterEndEdit) {
            empty += automates.count(c.index) && automates[c.index] == 0;
            automates[c.index] = -1;
        }
    }
    return empty;
}

// Renders until the first program is applied.
void prepare(testhost::Plugin& plugin) {
    std::vector<float> left, right;
    plugin.process(8192, left, right);
}

// The dialog stand-in on PATH, the plug-in after its first program and its editor.
struct DialogSession {
    FakeDialogs dialogs;
    testhost::Plugin plugin;
    bool prepared = (prepare(plugin), true);
    EditorSession s{plugin};
    // Why a test cannot run here; "" when it can.
    std::string whyNot() const { return !dialogs.ok() ? "no folder for the dialogs" : s.whyNot(); }
};

// A home of the musician's own, empty: preferences and data in a new folder, for the whole
// process. The preferences are read once per process, so it must come before the first
// plug-in; `ok()` is false when one was loaded already.
struct FreshHome {
    std::string folder;
    FreshHome() {
        if (testhost::openedPlugins() > 0) return;
        const char* base = std::getenv("ZEK2_TEST_TMP");
        folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2homeXXXXXX";
        if (!mkdtemp(folder.data())) {
            folder.clear();
            return;
        }
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    }
    ~FreshHome() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    bool ok() const { return !folder.empty(); }
};

std::vector<float> valuesOf(testhost::Plugin& plugin, const std::vector<int>& tags) {
    std::vector<float> v;
    for (int t : tags) v.push_back(plugin.getParameter(t));
    return v;
}

// Picks entry `downs` of the menu that the click at x, y opens.
void choose(EditorSession& s, int x, int y, int downs, unsigned button = 1) {
    s.click(x, y, button);
    ASSERT_TRUE(s.waitForPopup()) << "no menu at " << x << ", " << y;
    s.keys(XK_Down, downs);
    s.key(XK_Return);
    ASSERT_TRUE(s.waitForNoPopup());
    s.idles(4);
}

int maskOf(testhost::Plugin& plugin, int tag) {
    return static_cast<int>(plugin.getParameter(tag) * 65535.9f);
}
float maskValue(int mask) {
    return (static_cast<float>(mask) + 0.5f) / 65536.0f;
}

// Two clicks at one place are a double click within 400 ms.
void pauseOverDoubleClick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
}

std::string displayOf(testhost::Plugin& plugin, int tag) {
    char text[kVstMaxParamStrLen + 1] = "";
    plugin.dispatch(effGetParamDisplay, tag, 0, text);
    return text;
}

} // namespace

// Each menu button over a free envelope or LFO opens that unit's menu: its reset resets that
// unit and leaves the other one alone.
TEST(HostEditorEvents, EachEnvelopeAndLfoButtonOpensItsOwnUnitsMenu) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    s.click(kModTabX, kTabY);
    s.idles(4);
    struct Button {
        const char* name;
        int x, y;
        const std::vector<int>& own;
        const std::vector<int>& other;
    };
    const Button buttons[] = {{"ENV 1", kEnv1X, kEnvButtonY, kEnv1, kEnv2},
                              {"ENV 2", kEnv2X, kEnvButtonY, kEnv2, kEnv1},
                              {"LFO 1", kLfo1X, kLfoButtonY, kLfo1, kLfo2},
                              {"LFO 2", kLfo2X, kLfoButtonY, kLfo2, kLfo1}};
    for (const Button& b : buttons) {
        // Both units away from their defaults, so a reset moves the unit it is given.
        for (int t : b.own) plugin.setParameter(t, 0.73f);
        for (int t : b.other) plugin.setParameter(t, 0.27f);
        s.idles(2);
        const std::vector<float> own = valuesOf(plugin, b.own), other = valuesOf(plugin, b.other);
        choose(s, b.x, b.y, kResetUnit);
        EXPECT_EQ(valuesOf(plugin, b.other), other) << b.name << " reset the other unit";
        EXPECT_NE(valuesOf(plugin, b.own), own) << b.name << " did not reset its own unit";
    }
}

// "Set X MIDI CC" asks for the controller number, as the knobs' "Set MIDI CC" does; the
// controller then moves the pad's X.
TEST(HostEditorEvents, TheXYPadAsksForItsControllerNumber) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    FakeDialogs& dialogs = d.dialogs;
    testhost::Plugin& plugin = d.plugin;
    EditorSession& s = d.s;
    dialogs.answer("21");
    plugin.setParameter(kXY1RecordMode, 0.0f); // "Live": the latch entries are offered
    s.idles(2);
    choose(s, kXYPad1X, kXYPad1Y, kXYSetXMidiCC, 3);
    ASSERT_TRUE(dialogs.waitForQuestions(1)) << "no question asked";
    const auto asked = dialogs.questions("--entry");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(FakeDialogs::argument(asked[0], "--title="), "MIDI CC (0 - 127)");
    ASSERT_TRUE(dialogs.waitForAnswers(1));
    s.idles(2);
    std::vector<float> left, right;
    const int near = static_cast<int>(plugin.getParameter(kXYPad1X_Tag) * 127.0f + 0.5f);
    const int far = near < 64 ? 127 : 0;
    for (int v : {near, far}) {
        plugin.sendMidi({{0, 0xB0, 21, v}});
        plugin.process(256, left, right);
    }
    EXPECT_FLOAT_EQ(plugin.getParameter(kXYPad1X_Tag), static_cast<float>(far) / 127.0f);
}

// With a pattern of four steps, "Move Right" changes steps 1 to 4 only: the hidden steps keep
// what the musician set, and show it again when the pattern grows. "Inverse" flips all sixteen
// steps, and a second one gives the hidden steps back.
TEST(HostEditorEvents, GaterCommandsKeepTheHiddenSteps) {
    testhost::Plugin plugin;
    prepare(plugin);
    plugin.setParameter(kGaterOn, 1.0f);
    plugin.setParameter(kGaterSteps, 3.1f / 15.99f);
    plugin.setParameter(kGaterLeft, maskValue(0x00F1));
    plugin.setParameter(kGaterRight, maskValue(0x0102));
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    s.click(kFXTabX, kTabY);
    s.idles(4);
    choose(s, kGaterButtonX, kGaterButtonY, kGaterMoveRight);
    EXPECT_EQ(maskOf(plugin, kGaterLeft), 0x00F2);
    EXPECT_EQ(maskOf(plugin, kGaterRight), 0x0104);
    choose(s, kGaterButtonX, kGaterButtonY, kGaterInverse);
    EXPECT_EQ(maskOf(plugin, kGaterLeft), 0xFF0D);
    EXPECT_EQ(maskOf(plugin, kGaterRight), 0xFEFB);
    choose(s, kGaterButtonX, kGaterButtonY, kGaterInverse);
    EXPECT_EQ(maskOf(plugin, kGaterLeft), 0x00F2);
    EXPECT_EQ(maskOf(plugin, kGaterRight), 0x0104);
    plugin.setParameter(kGaterSteps, 15.1f / 15.99f);
    s.idles(2);
    EXPECT_EQ(maskOf(plugin, kGaterLeft) & 0xFFF0, 0x00F0);
    EXPECT_EQ(maskOf(plugin, kGaterRight) & 0xFFF0, 0x0100);
}

// Gestures that change nothing tell the host nothing: a menu closed with Escape, an Option
// click (the question is asked first; text that is no number is refused with a message), the
// second click of a double click on a knob at its default. "Set to Value" is one edit.
TEST(HostEditorEvents, NoEditCallsForGesturesThatChangeNothing) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    FakeDialogs& dialogs = d.dialogs;
    testhost::Plugin& plugin = d.plugin;
    EditorSession& s = d.s;
    s.forget();
    s.click(kFilterTypeX, kFilterTypeY);
    ASSERT_TRUE(s.waitForPopup());
    s.key(XK_Escape);
    ASSERT_TRUE(s.waitForNoPopup());
    s.idles(3);
    EXPECT_EQ(edits(s.calls()), 0) << "Escape: " << describe(s.calls());
    // An entry chosen is one edit: the first, "Bypass", away from another type.
    plugin.setParameter(kFilterType, 0.5f);
    s.idles(2);
    s.forget();
    choose(s, kFilterTypeX, kFilterTypeY, 1);
    EXPECT_LT(plugin.getParameter(kFilterType), 0.1f);
    EXPECT_EQ(describe(s.calls()), "43:294 0:294 44:294 ") << "a choice";

    dialogs.answer("abc");
    const float volume = plugin.getParameter(kVolume);
    s.forget();
    s.clickWith(XK_Alt_L, kVolumeX, kVolumeY);
    ASSERT_TRUE(dialogs.waitForQuestions(2));
    s.idles(6);
    EXPECT_EQ(plugin.getParameter(kVolume), volume);
    EXPECT_EQ(edits(s.calls()), 0) << "Option click: " << describe(s.calls());
    const auto refusals = dialogs.questions("--info");
    ASSERT_EQ(refusals.size(), 1u) << "the refusal";
    EXPECT_NE(FakeDialogs::argument(refusals[0], "--text=").find("abc"), std::string::npos);
    ASSERT_TRUE(dialogs.waitForAnswers(2)) << "the refusal read";

    dialogs.answer("25");
    s.forget();
    choose(s, kVolumeX, kVolumeY, kKnobSetToValue, 3);
    ASSERT_TRUE(dialogs.waitForQuestions(3));
    EXPECT_TRUE(EditorSession::waitFor([&] { return plugin.getParameter(kVolume) != volume; },
                                       EditorSession::kPatienceMs));
    s.idles(3);
    EXPECT_EQ(describe(s.calls()), "43:12 0:12 44:12 ") << "Set to Value";

    pauseOverDoubleClick();
    s.doubleClick(kVolumeX, kVolumeY); // to the default
    s.idles(3);
    s.forget();
    pauseOverDoubleClick();
    s.doubleClick(kVolumeX, kVolumeY); // at the default already
    s.idles(3);
    EXPECT_EQ(emptyBrackets(s.calls()), 0) << "double click: " << describe(s.calls());
    EXPECT_EQ(EditorSession::bracketFaults(s.calls()), "");
}

// A decimal comma is the decimal point; a number between two steps takes the nearer one;
// text that is no number changes nothing and says so.
TEST(HostEditorEvents, TypedNumbersTakeACommaAndRoundToTheNearestStep) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    FakeDialogs& dialogs = d.dialogs;
    testhost::Plugin& plugin = d.plugin;
    EditorSession& s = d.s;
    size_t asked = 0;
    auto type = [&](int x, int y, const char* answer) {
        dialogs.answer(answer);
        s.forget();
        pauseOverDoubleClick();
        s.clickWith(XK_Alt_L, x, y);
        EXPECT_TRUE(dialogs.waitForAnswers(++asked)) << answer;
        s.idles(2);
    };
    type(kFineX, kFineY, "12,5");
    EXPECT_FLOAT_EQ(plugin.getParameter(kFine), 0.5625f);
    EXPECT_EQ(displayOf(plugin, kFine), "12 C");
    EXPECT_EQ(describe(s.calls()), "43:15 0:15 44:15 ");
    type(kFineX, kFineY, "0,5");
    EXPECT_FLOAT_EQ(plugin.getParameter(kFine), 0.5025f);
    // A whole number reads back as typed, though its float falls a hair short of it.
    type(kFineX, kFineY, "5");
    EXPECT_EQ(displayOf(plugin, kFine), "5 C");
    type(kSemiX, kSemiY, "-3.6");
    EXPECT_EQ(displayOf(plugin, kSemi), "-4 Semi");
    const float fine = plugin.getParameter(kFine);
    type(kFineX, kFineY, "twelve");
    EXPECT_TRUE(dialogs.waitForAnswers(++asked)) << "the refusal";
    EXPECT_EQ(plugin.getParameter(kFine), fine);
    EXPECT_EQ(edits(s.calls()), 0) << describe(s.calls());
    EXPECT_EQ(dialogs.questions("--info").size(), 1u);
}

// On a fresh home no folder of the plug-in's exists yet. Each kind of file has its chooser
// start in the kind's own folder, made before the chooser opens, and a name typed there is
// saved there, not wherever the desktop's chooser starts without a folder.
TEST(HostEditorEvents, EveryFileChooserStartsInItsKindsFolderOnAFreshHome) {
    FreshHome home;
    if (!home.ok()) GTEST_SKIP() << "a plug-in was loaded before in this process";
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    EditorSession& s = d.s;
    FakeDialogs& dialogs = d.dialogs;
    const std::string zek2 = home.folder + "/data/Velmora/ZEK2/";
    // Opens a menu with a click and picks by keys: Up from nothing lands on the menu's closing
    // "Undo" row, or on the save above it while the row is greyed with nothing to undo.
    auto pick = [&](int x, int y, unsigned button, KeySym key, int times) {
        s.click(x, y, button);
        ASSERT_TRUE(s.waitForPopup()) << "no menu at " << x << ", " << y;
        s.keys(key, times);
        s.key(XK_Return);
        ASSERT_TRUE(s.waitForNoPopup());
    };
    struct Kind {
        const char* title;
        const char* folder;
        const char* saved; // the file a save leaves; nullptr for a chooser that opens files
        std::function<void()> open;
    };
    const Kind kinds[] = {
        {"Save EQ Preset", "EQ/", "mine.eq", [&] { pick(kEQButtonX, kEQButtonY, 1, XK_Up, 1); }},
        {"Save Mod Matrix Preset", "Mod/", "mine.mod",
         [&] {
             s.click(kModTabX, kTabY);
             pick(kModMatrixX, kModMatrixY, 3, XK_Up, 2);
         }},
        {"Save Arp Preset", "Arp/", "mine.arp",
         [&] {
             s.click(kArpTabX, kTabY);
             pick(kArpCmdX, kArpCmdY, 1, XK_Up, 1);
         }},
        {"Save XY Preset", "XY/", "mine.xyp", [&] { pick(kXYPad1X, kXYPad1Y, 3, XK_Up, 1); }},
        {"Save Wave Preset", "Waves/", "mine.wve",
         [&] {
             s.click(kWaveTabX, kTabY);
             pick(kWaveCmdX, kWaveCmdY, 1, XK_Up, 1);
         }},
        {"Select Sample", "Samples/", nullptr, [&] { pick(kWaveCmdX, kWaveCmdY, 1, XK_Up, 4); }},
        {"Save ECS", "ECS/", "mine.ecs", [&] { pick(kEcsMenuX, kEcsMenuY, 1, XK_Down, 2); }},
        {"Tuning Files", "Tuning/", nullptr,
         [&] {
             s.click(kBackSideX, kBackSideY);
             s.click(kTuningX, kTuningY);
         }},
    };
    struct stat info;
    ASSERT_NE(stat((home.folder + "/data").c_str(), &info), 0) << "the home is not fresh";
    for (const Kind& k : kinds) {
        const size_t before = dialogs.questions("--file-selection").size();
        if (k.saved) dialogs.answerFile("mine");
        k.open();
        ASSERT_TRUE(EditorSession::waitFor(
            [&] { return dialogs.questions("--file-selection").size() > before; },
            EditorSession::kPatienceMs))
            << "no chooser: " << k.title;
        const auto asked = dialogs.questions("--file-selection").back();
        const std::string folder = zek2 + k.folder;
        EXPECT_EQ(FakeDialogs::argument(asked, "--title="), k.title);
        EXPECT_EQ(FakeDialogs::argument(asked, "--filename=").substr(0, folder.size()), folder)
            << k.title;
        EXPECT_EQ(FakeDialogs::argument(asked, "start-folder-exists="), "yes") << k.title;
        if (k.saved) {
            EXPECT_TRUE(
                EditorSession::waitFor([&] { return stat((folder + k.saved).c_str(), &info) == 0; },
                                       EditorSession::kPatienceMs))
                << k.title << ": " << k.saved << " not saved in " << folder;
        }
        EXPECT_TRUE(dialogs.waitForAnswers(dialogs.questions().size())) << k.title;
    }
    EXPECT_TRUE(dialogs.questions("--info").empty()) << "nothing to tell";
}

namespace {

// A tuning file of every note `cents` away from standard pitch, at `path`.
void writeTuning(const std::string& path, int cents) {
    std::ofstream out(path);
    out << "[Tuning]\n";
    for (int n = 0; n < 128; ++n) out << "note " << n << "=" << n * 100 + cents << "\n";
}

// Until note 60 of `p` sounds at `hz` (the file work may follow the host's writes on a thread
// of its own).
bool playsAt(testhost::Plugin& p, double hz) {
    return EditorSession::waitFor(
        [&] {
            std::vector<float> l, r;
            p.sendMidi({{0, 0x90, 60, 100}});
            p.process(4410, l, r);
            p.process(17640, l, r);
            l.pop_back();
            p.sendMidi({{0, 0x80, 60, 0}});
            p.process(4410, r, r);
            return std::fabs(audio::cents(audio::crossingFrequency(l, 44100.0), hz)) < 2.0;
        },
        EditorSession::kPatienceMs);
}

// Every value of a sound as the host keeps it.
std::vector<float> soundOf(testhost::Plugin& p) {
    std::vector<int> all(2048);
    for (int t = 0; t < 2048; ++t) all[static_cast<size_t>(t)] = t;
    return valuesOf(p, all);
}

// Restores a saved sound by its values, as a host without chunks does: with the program trigger
// (1018) the sound is loaded, without it every value is an edit (the writes of the name fetch
// the tuning either way).
void restoreByValues(testhost::Plugin& p, const std::vector<float>& sound, bool asLoaded) {
    for (int t = 0; t < 2048; ++t)
        if (asLoaded || t != 1018) p.setParameter(t, sound[static_cast<size_t>(t)]);
    std::vector<float> l, r;
    if (asLoaded) p.process(512, l, r);
}

// The back side's tuning read-out, once two looks a few idle calls apart agree.
std::vector<unsigned long> tuningReadout(EditorSession& s) {
    auto look = [&] {
        s.idles(3);
        return s.box(303, 572, 142, 15);
    };
    std::vector<unsigned long> last = look();
    for (std::vector<unsigned long> now = look(); now != last; now = look()) last = now;
    return last;
}

// A folder of the musician's own for tuning files, with two sub-folders A and B; gone with it.
struct TuningFolder {
    std::string path;
    TuningFolder() {
        const char* base = std::getenv("ZEK2_TEST_TMP");
        path = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2tunXXXXXX";
        if (!mkdtemp(path.data())) path.clear();
        std::error_code ignored;
        std::filesystem::create_directories(path + "/A", ignored);
        std::filesystem::create_directories(path + "/B", ignored);
    }
    ~TuningFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

// The copy a load kept in the tuning folder of the test's data home.
std::string keptCopy(const std::string& name) {
    return std::string(std::getenv("XDG_DATA_HOME")) + "/Velmora/ZEK2/Tuning/" + name + ".tun";
}

} // namespace

// Two tunings of one name from two folders of the musician's own, loaded on the back side one
// after the other: A's every note 200 cents up (note 60 at 293.66 Hz), B's 300 cents down
// (220 Hz). Each sound keeps its own, and loading A again gives A's sound again. The compare
// buttons fetch the tuning of the sound they switch to: loaded with A and edited to B, the sound
// plays A after ORIG and B after EDIT. The host saves each sound (its values; the chunk where it
// takes one), the files go, and a new instance restored from either form plays that sound's
// pitch. With the tunings gone from everywhere, a restored sound plays standard pitch and the
// back side's read-out tells another text than while the tuning played. A tuning whose name no
// file can have is refused at once, with a message.
TEST(HostEditorEvents, ALoadedTuningPlaysAgainWhenItsSoundIsRestored) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    auto folder = std::make_unique<TuningFolder>();
    ASSERT_FALSE(folder->path.empty());
    // The test processes share one data folder: the name is this process's own.
    const std::string name = "Up " + std::to_string(getpid());
    struct Tuning {
        std::string file;
        double hz;
        std::vector<float> sound;
        std::vector<unsigned long> readout;
    };
    Tuning tunings[2] = {{folder->path + "/A/" + name + ".tun", 293.66, {}, {}},
                         {folder->path + "/B/" + name + ".tun", 220.0, {}, {}}};
    writeTuning(tunings[0].file, 200);
    writeTuning(tunings[1].file, -300);
    testpatch::setPlainVoice(d.plugin, 0);
    d.s.click(kBackSideX, kBackSideY);
    auto load = [&](const std::string& file) {
        const std::vector<float> before = soundOf(d.plugin);
        d.dialogs.answerFile(file);
        d.s.click(kTuningX, kTuningY);
        EXPECT_TRUE(EditorSession::waitFor([&] { return soundOf(d.plugin) != before; },
                                           EditorSession::kPatienceMs))
            << file;
        d.s.idles(2); // the idle call that loads it has ended
    };
    for (Tuning& tuning : tunings) {
        load(tuning.file);
        EXPECT_EQ(d.plugin.getParameter(kTuningOn), 1.0f);
        EXPECT_TRUE(playsAt(d.plugin, tuning.hz)) << tuning.file;
        tuning.sound = soundOf(d.plugin);
        tuning.readout = tuningReadout(d.s);
    }
    EXPECT_TRUE(tunings[0].readout != tunings[1].readout) << "both read-outs name the same tuning";
    load(tunings[0].file);
    EXPECT_EQ(soundOf(d.plugin), tunings[0].sound) << "A loaded again";

    // "..": no file in the tuning folder can be named so.
    const std::vector<float> before = soundOf(d.plugin);
    writeTuning(folder->path + "/...tun", 100);
    d.dialogs.answerFile(folder->path + "/...tun");
    d.s.click(kTuningX, kTuningY);
    ASSERT_TRUE(EditorSession::waitFor([&] { return !d.dialogs.questions("--info").empty(); },
                                       EditorSession::kPatienceMs))
        << "the refusal is not said";
    EXPECT_NE(
        FakeDialogs::argument(d.dialogs.questions("--info")[0], "--text=").find("cannot be kept"),
        std::string::npos);
    EXPECT_EQ(soundOf(d.plugin), before) << "the refused tuning changed the sound";

    d.s.click(kBackSideEmptyX, kBackSideEmptyY);
    restoreByValues(d.plugin, tunings[0].sound, true);
    restoreByValues(d.plugin, tunings[1].sound, false);
    EXPECT_TRUE(playsAt(d.plugin, 220.0)) << "as edited";
    for (auto [x, y, hz, what] :
         {std::tuple{kOrigX, kOrigY, 293.66, "ORIG"}, std::tuple{kEditX, kEditY, 220.0, "EDIT"},
          std::tuple{kOrigX, kOrigY, 293.66, "ORIG again"}}) {
        d.s.click(x, y);
        EXPECT_TRUE(playsAt(d.plugin, hz)) << what;
    }
    folder.reset();

    for (const Tuning& tuning : tunings) {
        {
            testhost::Plugin p;
            prepare(p);
            restoreByValues(p, tuning.sound, false);
            EXPECT_TRUE(playsAt(p, tuning.hz)) << tuning.file << " restored from its values";
        }
        testhost::host().product = "REAPER";
        testhost::host().vendor = "Cockos";
        testhost::Plugin p;
        prepare(p);
        std::vector<char> chunk(8224, 0);
        std::memcpy(chunk.data(), tuning.sound.data(), 2048 * sizeof(float));
        ASSERT_EQ(p.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()),
                  1);
        EXPECT_TRUE(playsAt(p, tuning.hz)) << tuning.file << " restored from its chunk";
        testhost::resetHost();
    }

    // The copies the loads kept go too.
    for (const std::string& copy : {keptCopy(name), keptCopy(name + " 2")})
        ASSERT_EQ(std::remove(copy.c_str()), 0) << copy;
    testhost::Plugin p;
    prepare(p);
    restoreByValues(p, tunings[0].sound, false);
    EditorSession s(p);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    s.click(kBackSideX, kBackSideY);
    EXPECT_TRUE(playsAt(p, 261.63)) << "standard pitch with the tuning gone";
    EXPECT_TRUE(tuningReadout(s) != tunings[0].readout)
        << "the read-out names the missing tuning as if it played";
}

// The sweep over the editor's commands (buttons, menus, keys, strokes, chooser and entry
// answers): every parameter a command moves reaches the host as one bracketed edit within the
// command, and nothing else does; a section command asks the host once, after its last edit,
// to re-read them. The compare, the init patch and a program chosen replace the whole sound,
// and a pen stroke or a recorded XY gesture many values: each value they moved is told as well,
// and the host re-reads them all after the last (updateDisplay).
TEST(HostEditorEvents, EveryCommandTellsTheHostEachValueItMoves) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    EditorSession& s = d.s;
    testhost::Plugin& plugin = d.plugin;
    TuningFolder folder;
    ASSERT_FALSE(folder.path.empty());
    // The test processes share one data folder: the names are this process's own.
    const std::string own = "Told " + std::to_string(getpid());
    writeTuning(folder.path + "/A/" + own + ".tun", 100);
    auto pick = [&](int x, int y, std::vector<KeySym> keys, unsigned button = 1) {
        s.click(x, y, button);
        ASSERT_TRUE(s.waitForPopup()) << "no menu at " << x << ", " << y;
        for (KeySym k : keys) s.key(k);
        s.key(XK_Return);
        ASSERT_TRUE(s.waitForNoPopup());
    };
    auto downs = [](int n) { return std::vector<KeySym>(static_cast<size_t>(n), XK_Down); };
    // A click that asks a question, and the wait until its answer is served.
    size_t asked = 0;
    auto ask = [&](std::function<void()> click) {
        click();
        ASSERT_TRUE(d.dialogs.waitForAnswers(++asked)) << "no answer taken";
        s.idles(8);
    };
    auto programName = [&] {
        char name[kVstMaxProgNameLen + 1] = "";
        plugin.dispatch(effGetProgramName, 0, 0, name);
        return std::string(name);
    };
    std::vector<float> edited;
    // A program chosen is applied by the render, a gesture recorded against its clock.
    auto render = [&] {
        std::vector<float> left, right;
        plugin.process(8192, left, right);
    };
    // Pressed again while the editor refuses the step (at most one per 300 ms), then applied.
    auto stepProgram = [&](const std::function<void()>& press) {
        const std::string before = programName();
        EXPECT_TRUE(EditorSession::waitFor(
            [&] {
                press();
                return programName() != before;
            },
            EditorSession::kPatienceMs));
        render();
    };
    enum Kind {
        Edits,       // each value moved is one bracketed edit, and nothing else is told
        EditsReread, // and one updateDisplay after the last edit
        NoEdit,      // nothing moves, nothing is told
        WholeSound,  // and an updateDisplay after the last edit
    };
    struct Command {
        const char* name;
        Kind kind;
        std::function<void()> setup, run;
        int movesEach = 1; // how often each value moves, each time told
    };
    const Command commands[] = {
        {"Reset Filter", EditsReread,
         [&] {
             // Every filter parameter away from its default: the reset moves all 21.
             for (int t : kFilter)
                 plugin.setParameter(t, plugin.getParameter(t) < 0.5f ? 0.9f : 0.1f);
         },
         [&] { pick(kFilterButtonX, kFilterButtonY, downs(kResetFilter)); }},
        {"Randomize Filter", EditsReread, nullptr,
         [&] { pick(kFilterButtonX, kFilterButtonY, downs(kRandomizeFilter)); }},
        {"knob menu: Set to Minimum Value", Edits, [&] { plugin.setParameter(kVolume, 0.7f); },
         [&] { pick(kVolumeX, kVolumeY, downs(kKnobSetToMinimum), 3); }},
        {"knob: typed value", Edits, [&] { d.dialogs.answer("33"); },
         [&] { ask([&] { s.clickWith(XK_Alt_L, kVolumeX, kVolumeY); }); }},
        {"play lock: On, then Set after the host moved a play knob", Edits,
         [&] {
             pick(kPlayLockX, kPlayLockY, downs(2));
             plugin.setParameter(kPortamento,
                                 plugin.getParameter(kPortamento) < 0.5f ? 0.8f : 0.2f);
         },
         [&] { pick(kPlayLockX, kPlayLockY, downs(3)); }},
        {"back side: Load Tuning", Edits,
         [&] {
             s.click(kBackSideX, kBackSideY);
             d.dialogs.answerFile(folder.path + "/A/" + own + ".tun");
         },
         [&] { ask([&] { s.click(kTuningX, kTuningY); }); }},
        {"back side: RESET tuning", Edits, nullptr, [&] { s.click(kTuningResetX, kTuningResetY); }},
        {"back side: typed brick filter frequency", Edits, [&] { d.dialogs.answer("25"); },
         [&] { ask([&] { s.click(kBrickX, kBrickY); }); }},
        // A preference of every instance: the pitch the other tests hear stays.
        {"back side: typed A4", NoEdit, [&] { d.dialogs.answer("440"); },
         [&] { ask([&] { s.click(kA4X, kA4Y); }); }},
        {"ORIG", WholeSound,
         [&] { s.click(kBackSideEmptyX, kBackSideEmptyY); }, // to the main screen
         [&] { s.click(kOrigX, kOrigY); }},
        {"EDIT", WholeSound, nullptr, [&] { s.click(kEditX, kEditY); }},
        {"preset menu: Clear Preset", WholeSound, nullptr,
         [&] { pick(kPresetMenuX, kPresetMenuY, downs(9)); }},
        // Told by the close when the render has not applied it yet, and told at once while the
        // host has the plug-in suspended. The host re-reads them when the render applies the
        // program, in the next row.
        {"preset menu: the first preset, the editor closed before the next block", Edits, nullptr,
         [&] {
             pick(kPresetMenuX, kPresetMenuY, {XK_Down, XK_Right, XK_Down});
             s.uiCall([&] { plugin.dispatch(effEditClose); });
             ASSERT_TRUE(s.reopen());
         }},
        {"preset menu: the third preset while suspended", Edits,
         [&] { plugin.dispatch(effMainsChanged, 0, 0); },
         [&] {
             pick(kPresetMenuX, kPresetMenuY, {XK_Down, XK_Right, XK_Down, XK_Down, XK_Down});
             s.idles(4); // the choice served before the host resumes
             plugin.dispatch(effMainsChanged, 0, 1);
         }},
        {"preset menu: the second preset", WholeSound, nullptr,
         [&] {
             pick(kPresetMenuX, kPresetMenuY, {XK_Down, XK_Right, XK_Down, XK_Down});
             render();
         }},
        // A step waits for the program before to be applied and shown, and 300 ms.
        {"preset menu: the step arrow", WholeSound, nullptr,
         [&] { stepProgram([&] { s.click(kPresetStepX, kPresetMenuY); }); }},
        {"keyboard: the down arrow", WholeSound, [&] { s.moveTo(kVolumeX, kVolumeY); },
         [&] { stepProgram([&] { s.key(XK_Down); }); }},
        {"wave page: Copy, then Paste onto the other wave", Edits,
         [&] {
             s.click(kWaveTabX, kTabY);
             s.click(kWaveCopyX, kWaveButtonY);
             s.click(kWave2X, kWaveRadioY);
         },
         [&] { s.click(kWavePasteX, kWaveButtonY); }},
        {"wave page: Save User Wave", NoEdit, [&] { d.dialogs.answerFile(own + ".wve"); },
         [&] { ask([&] { s.click(kWaveSaveX, kWaveButtonY); }); }},
        {"wave page: a built-in wave preset", Edits, nullptr,
         [&] {
             pick(kWavePresetX, kWavePresetY, {XK_Down, XK_Down, XK_Right, XK_Down});
         }},
        // The wave is rebuilt before the chooser answers (as after a Cancel), then loaded.
        {"wave page: Load User Wave", Edits, [&] { d.dialogs.answerFile(own + ".wve"); },
         [&] { ask([&] { s.click(kWaveLoadX, kWaveButtonY); }); }, 2},
        {"wave page: User Wave Undo", Edits, nullptr, [&] { s.click(kWaveUndoX, kWaveButtonY); }},
        {"wave page: Clear User Wave", Edits, nullptr, [&] { s.click(kWaveClearX, kWaveButtonY); }},
        {"wave page: additive mode", Edits, nullptr, [&] { s.click(kAdditiveX, kWaveRadioY); }},
        {"wave page: pen stroke", WholeSound, nullptr, [&] { s.drag(60, 500, 600, 640, 16); }},
        {"wave page: Control-click, the wave to its defaults", Edits, nullptr,
         [&] { s.clickWith(XK_Control_L, 300, 560); }},
        {"XY pad: a recorded gesture", WholeSound, [&] { s.click(kXYRecordX, kXYRecordY); },
         [&] {
             s.moveTo(kXYPad1X - 20, kXYPad1Y - 15);
             s.press();
             for (int i = 1; i <= 4; ++i) {
                 s.moveTo(kXYPad1X - 20 + 10 * i, kXYPad1Y - 15 + 8 * i);
                 render();
             }
             s.release();
         }},
        // The compare there and back over the edited waves: the edited sound comes back whole.
        // The wave page shows the wave's edit mode again after a compare: waveform editing, as
        // the sound was loaded.
        {"ORIG after the wave edits", WholeSound,
         [&] {
             s.click(kWaveformX, kWaveRadioY);
             edited = soundOf(plugin);
         },
         [&] { s.click(kOrigX, kOrigY); }},
        {"EDIT after the wave edits", WholeSound, nullptr,
         [&] {
             s.click(kEditX, kEditY);
             EXPECT_TRUE(soundOf(plugin) == edited) << "EDIT gives back the edited sound";
         }},
        {"settings: Reset Everything", NoEdit, nullptr,
         [&] { pick(kSettingsX, kSettingsY, {XK_Up}); }},
    };
    for (const Command& c : commands) {
        if (c.setup) c.setup();
        s.idles(4);
        s.forget();
        const std::vector<float> before = soundOf(plugin);
        c.run();
        s.idles(6);
        const std::vector<float> after = soundOf(plugin);
        const auto log = s.calls();
        std::set<int> moved;
        std::string movedText;
        for (int t = 0; t < 2048; ++t)
            if (after[static_cast<size_t>(t)] != before[static_cast<size_t>(t)]) {
                moved.insert(t);
                movedText += std::to_string(t) + " ";
            }
        // For the messages: the start of what the host heard and of what moved.
        const std::string calls = describe(log).substr(0, 600);
        movedText = movedText.substr(0, 300);
        const int automates = EditorSession::countOf(log, audioMasterAutomate);
        const int displays = EditorSession::countOf(log, audioMasterUpdateDisplay);
        EXPECT_EQ(moved.empty(), c.kind == NoEdit) << c.name << " moved " << movedText;
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << c.name << ": " << calls;
        EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty())
            << c.name << ": " << calls;
        const std::set<int> told = EditorSession::bracketedEdits(log);
        std::string unmoved;
        for (int t : told)
            if (!moved.count(t)) unmoved += std::to_string(t) + " ";
        const size_t toldMoved =
            told.size() - static_cast<size_t>(std::count(unmoved.begin(), unmoved.end(), ' '));
        std::printf("[ figures  ] %s: told %zu of %zu moved\n", c.name, toldMoved, moved.size());
        EXPECT_EQ(told, moved) << c.name << ": told " << toldMoved << " of " << moved.size()
                               << " moved; told, not moved " << unmoved;
        EXPECT_GE(automates, static_cast<int>(moved.size())) << c.name;
        EXPECT_LE(automates, c.movesEach * static_cast<int>(moved.size())) << c.name;
        EXPECT_EQ(emptyBrackets(log), 0) << c.name << ": " << calls;
        if (c.kind == EditsReread) {
            EXPECT_EQ(displays, 1) << c.name;
            EXPECT_TRUE(!log.empty() && log.back().opcode == audioMasterUpdateDisplay)
                << c.name << ": " << calls;
        }
        if (c.kind == WholeSound) {
            const auto display = std::find_if(log.rbegin(), log.rend(), [](const HostCall& h) {
                return h.opcode == audioMasterUpdateDisplay;
            });
            EXPECT_TRUE(display != log.rend() && edits({display.base(), log.end()}) == 0)
                << c.name << ": no updateDisplay after " << calls;
        }
    }
    std::remove(keptCopy(own).c_str());
    std::remove((std::string(std::getenv("XDG_DATA_HOME")) + "/Velmora/ZEK2/Waves/" + own + ".wve")
                    .c_str());
}

// Nothing installs the manual: the Help button says so, in a message that names the file it
// looked for, and changes nothing.
TEST(HostEditorEvents, HelpSaysTheManualIsNotInstalled) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    d.s.forget();
    d.s.click(kHelpX, kHelpY);
    ASSERT_TRUE(d.dialogs.waitForQuestions(1)) << "the Help button told nothing";
    d.s.idles(3);
    const auto told = d.dialogs.questions("--info");
    ASSERT_EQ(told.size(), 1u);
    const std::string text = FakeDialogs::argument(told[0], "--text=");
    EXPECT_NE(text.find("manual is not installed"), std::string::npos) << text;
    EXPECT_NE(text.find("/Manual/Velmora_ZEK2_Manual.pdf"), std::string::npos) << text;
    EXPECT_EQ(edits(d.s.calls()), 0) << describe(d.s.calls());
}

// The host automation the editor holds back while a section command runs is the user-interface
// thread's alone: the audio thread's auto-limit, lowering "Main Volume" meanwhile, reads the
// hold without a race and still tells the host, and the commands' brackets stay sound.
TEST(HostEditorEventsRace, SectionCommandsWhileTheAudioThreadAutomates) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> left, right;
        plugin.sendMidi({{0, 0x90, 48, 127},
                         {0, 0x90, 55, 127},
                         {0, 0x90, 60, 127},
                         {0, 0x90, 64, 127},
                         {0, 0x90, 67, 127},
                         {0, 0x90, 72, 127}});
        while (!stop.load()) {
            // Full volume again and again: the output overloads and the auto-limit lowers it.
            plugin.setParameter(kMainVolume, 1.0f);
            plugin.process(2048, left, right);
        }
    });
    s.forget();
    for (int round = 0; round < 3; ++round) {
        choose(s, kFilterButtonX, kFilterButtonY, kRandomizeFilter);
        choose(s, kFilterButtonX, kFilterButtonY, kResetFilter);
    }
    stop = true;
    audio.join();
    s.idles(3);
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty()) << describe(log);
    EXPECT_EQ(emptyBrackets(log), 0) << describe(log);
    int fromAudio = 0;
    for (const HostCall& c : log)
        if (c.opcode == audioMasterAutomate && c.thread != s.uiThreadId()) {
            EXPECT_EQ(c.index, kMainVolume);
            ++fromAudio;
        }
    EXPECT_GT(fromAudio, 0);
}
