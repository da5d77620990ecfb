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

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

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
constexpr int kKnobSetToValue = 8;

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

// "Reset Filter" and "Randomize Filter": every parameter the command moved reaches the host as
// one bracketed edit within the command, nothing else does, and one updateDisplay follows.
TEST(HostEditorEvents, ASectionCommandIsOneBracketedEditPerMovedParameter) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    auto check = [&](const char* what, const std::vector<float>& before) {
        const auto log = s.calls();
        std::set<int> moved;
        for (size_t i = 0; i < kFilter.size(); ++i)
            if (plugin.getParameter(kFilter[i]) != before[i]) moved.insert(kFilter[i]);
        EXPECT_FALSE(moved.empty()) << what;
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << what << ": " << describe(log);
        EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty())
            << what << ": " << describe(log);
        EXPECT_EQ(EditorSession::bracketedEdits(log), moved) << what << ": " << describe(log);
        EXPECT_EQ(EditorSession::countOf(log, audioMasterAutomate), static_cast<int>(moved.size()))
            << what << ": " << describe(log);
        EXPECT_EQ(emptyBrackets(log), 0) << what << ": " << describe(log);
        EXPECT_EQ(EditorSession::countOf(log, audioMasterUpdateDisplay), 1) << what;
        // The updateDisplay comes after the last edit call.
        EXPECT_TRUE(!log.empty() && log.back().opcode == audioMasterUpdateDisplay)
            << what << ": " << describe(log);
        s.forget();
    };
    choose(s, kFilterButtonX, kFilterButtonY, kResetFilter);
    // Every filter parameter away from its default: the reset moves all 21.
    for (int t : kFilter) plugin.setParameter(t, plugin.getParameter(t) < 0.5f ? 0.9f : 0.1f);
    s.idles(2);
    s.forget();
    std::vector<float> before = valuesOf(plugin, kFilter);
    choose(s, kFilterButtonX, kFilterButtonY, kResetFilter);
    s.idles(2);
    check("Reset Filter", before);
    before = valuesOf(plugin, kFilter);
    choose(s, kFilterButtonX, kFilterButtonY, kRandomizeFilter);
    s.idles(2);
    check("Randomize Filter", before);
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

// A tuning loaded on the back side from a folder of the musician's own travels with its sound:
// every note 200 cents up, note 60 at 293.66 Hz. The host saves the sound (its values; the
// chunk where it takes one), the file goes, and a new instance restored from either form plays
// the tuned pitch. With the tuning gone from everywhere, a restored sound plays standard pitch
// and the back side's read-out tells another text than while the tuning played.
TEST(HostEditorEvents, ALoadedTuningPlaysAgainWhenItsSoundIsRestored) {
    DialogSession d;
    if (!d.whyNot().empty()) ZEK2_CANNOT_RUN(d.whyNot());
    const char* base = std::getenv("ZEK2_TEST_TMP");
    std::string folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2tunXXXXXX";
    ASSERT_TRUE(mkdtemp(folder.data()));
    const std::string name = "Up200 " + std::to_string(getpid());
    const std::string file = folder + "/" + name + ".tun";
    {
        std::ofstream out(file);
        out << "[Tuning]\n";
        for (int n = 0; n < 128; ++n) out << "note " << n << "=" << n * 100 + 200 << "\n";
    }
    testpatch::setPlainVoice(d.plugin, 0);
    d.dialogs.answerFile(file);
    d.s.click(kBackSideX, kBackSideY);
    d.s.click(kTuningX, kTuningY);
    ASSERT_TRUE(EditorSession::waitFor([&] { return d.plugin.getParameter(kTuningOn) == 1.0f; },
                                       EditorSession::kPatienceMs));
    // The back side's tuning read-out, once two looks a few idle calls apart agree.
    const auto readout = [](EditorSession& s) {
        auto look = [&] {
            s.idles(3);
            return s.box(303, 572, 142, 15);
        };
        std::vector<unsigned long> last = look();
        for (std::vector<unsigned long> now = look(); now != last; now = look()) last = now;
        return last;
    };
    const auto playing = readout(d.s);
    const std::vector<float> saved = valuesOf(d.plugin, [] {
        std::vector<int> all(2048);
        for (int t = 0; t < 2048; ++t) all[static_cast<size_t>(t)] = t;
        return all;
    }());
    std::vector<char> chunk(8224, 0);
    std::memcpy(chunk.data(), saved.data(), 2048 * sizeof(float));
    std::filesystem::remove_all(folder);

    // Note 60 of a restored instance, until it sounds at `hz` (the file work may follow the
    // host's writes on a thread of its own).
    const auto playsAt = [](testhost::Plugin& p, double hz) {
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
    };
    const auto restoredByValues = [&](testhost::Plugin& p) {
        prepare(p);
        // Every value but the program trigger (1018): the writes of the name fetch the tuning.
        for (int t = 0; t < 2048; ++t)
            if (t != 1018) p.setParameter(t, saved[static_cast<size_t>(t)]);
    };
    {
        testhost::Plugin p;
        restoredByValues(p);
        EXPECT_TRUE(playsAt(p, 293.66)) << "restored from its values";
    }
    {
        testhost::host().product = "REAPER";
        testhost::host().vendor = "Cockos";
        testhost::Plugin p;
        prepare(p);
        ASSERT_EQ(p.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()),
                  1);
        EXPECT_TRUE(playsAt(p, 293.66)) << "restored from its chunk";
        testhost::resetHost();
    }

    // The copy the load kept goes too.
    const std::string kept =
        std::string(std::getenv("XDG_DATA_HOME")) + "/Velmora/ZEK2/Tuning/" + name + ".tun";
    ASSERT_EQ(std::remove(kept.c_str()), 0) << kept;
    testhost::Plugin p;
    restoredByValues(p);
    EditorSession s(p);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    s.click(kBackSideX, kBackSideY);
    EXPECT_TRUE(playsAt(p, 261.63)) << "standard pitch with the tuning gone";
    EXPECT_TRUE(readout(s) != playing) << "the read-out names the missing tuning as if it played";
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
