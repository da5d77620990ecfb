// Pop-up menus, message boxes and file choosers run beside the host's idle calls: while one is
// open every effEditIdle call returns quickly and the next follows on time, as the host's own
// record of its idle calls shows. A choice applies when it is made, as one edit, and the
// read-outs show it at once, for the control under the pointer or wherever the pointer was
// left; closing the editor with one open closes it and changes nothing. Driven by real X events.
#include "tests/PidfdSignalsRefused.h"
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "StandardError.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

using testhost::EditorSession;
using testhost::HostCall;

namespace {

// Where things sit on the main screen at 100 percent.
constexpr int kMenuSetToValue = 8; // Down steps to "Set to Value" in a knob's command menu
constexpr int kFilterTypeX = 729, kFilterTypeY = 116, kFilterType = 294;
constexpr int kPresetMenuX = 150, kPresetMenuY = 30;
constexpr int kQuantX = 1090, kQuantY = 742, kQuant = 378;
constexpr int kEcsMenuX = 383, kEcsMenuY = 27;
constexpr int kOsc1VolumeX = 305, kOsc1VolumeY = 133, kOsc1Volume = 12;
constexpr int kOsc1WaveX = 60, kOsc1WaveY = 122, kOsc1Wave = 260;
// The multi view's arpeggiator page: its tab, the grid and the A switch.
constexpr int kArpTabX = 62, kArpTabY = 415, kArpGridX = 300, kArpGridY = 560;
constexpr int kArpAX = 61, kArpAY = 444;
// The multi view's wave page: its tab and the preset menu of User Wave 1.
constexpr int kWaveTabX = 132, kWavePresetX = 100, kWavePresetY = 696, kWave1Preset = 1012;
// A place of the main screen over no control.
constexpr int kNoControlX = 1120, kNoControlY = 765;
// Down steps from "Preset 1-32" over the eight columns and "Clear Preset" to the first
// screen-size command.
constexpr int kPresetMenuScreenSize100 = 10;
// How long each pop-up is held open while the idle calls are watched.
constexpr int kHoldMs = 1000;
// What the host must see meanwhile: about one idle call every 20 ms, each returning at once. A
// pop-up that held the idle calls would hold one for the whole time it is open. A busy machine
// (two cores shared with builds and other tests, or a sanitizer build's slower drawing) stalls
// a call or the next one now and then for a few hundred ms, and gives fewer calls, but never
// half the hold in one, nor fewer than one in 200 ms.
constexpr double kLongestCallMs = kHoldMs / 2.0, kLongestIntervalMs = kHoldMs / 2.0;
constexpr int kFewestCalls = kHoldMs / 200;

// Holds the pop-up open for a while, as a musician reading it does.
void hold(EditorSession& s) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
    s.idles(2);
}

// The idle figures since `mark`, printed; true when they meet the target. With `check` a
// miss fails the test.
bool smooth(EditorSession& s, size_t mark, const char* what, bool check = true) {
    const EditorSession::IdleFigures f = s.idleFigures(mark);
    std::printf("[ figures  ] %s open: %d idle calls, longest call %.1f ms, longest interval "
                "%.1f ms\n",
                what, f.calls, f.longestCallMs, f.longestIntervalMs);
    const bool met = f.longestCallMs <= kLongestCallMs &&
                     f.longestIntervalMs <= kLongestIntervalMs && f.calls >= kFewestCalls;
    if (check) {
        EXPECT_LE(f.longestCallMs, kLongestCallMs) << what;
        EXPECT_LE(f.longestIntervalMs, kLongestIntervalMs) << what;
        EXPECT_GE(f.calls, kFewestCalls) << what;
    }
    return met;
}

// Opens a menu with a click, opens its first submenu by key, holds it open, closes both by
// key, and checks the idle calls of the whole time. A busy machine may stall one call now and
// then, whatever the editor does: a miss is measured once more before it counts, while a menu
// that blocks misses every time.
void watchMenu(EditorSession& s, int x, int y, unsigned button, const char* what) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const size_t mark = s.idleMark();
        s.click(x, y, button);
        ASSERT_TRUE(s.waitForPopup()) << what;
        s.key(XK_Down);
        s.key(XK_Right);
        hold(s);
        s.keys(XK_Escape, 2);
        EXPECT_TRUE(s.waitForNoPopup()) << what;
        if (smooth(s, mark, what, attempt == 1)) return;
    }
}

int edits(const std::vector<HostCall>& log) {
    return EditorSession::countOf(log, audioMasterAutomate) +
           EditorSession::countOf(log, audioMasterBeginEdit) +
           EditorSession::countOf(log, audioMasterEndEdit);
}

// Orphans come to this process for the life of a scope, which reaps them: a dialog program
// killed with its wrapper, say.
struct Reaper {
    Reaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
    ~Reaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

// The whole of a small file, or "" when it cannot be read.
std::string readText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Neither gone nor a zombie.
bool runs(pid_t pid) {
    const std::string stat = readText("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && stat[paren + 2] != 'Z' && stat[paren + 2] != 'X';
}

// Gone for good, not even a zombie: a child of this process (or an orphan that came to it under
// a Reaper) is reaped here first.
bool gone(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, WNOHANG);
    return kill(pid, 0) == -1;
}

// A dialog program that stands in for zenity: it notes each question, waits until the test
// lets it go, and then answers with the prepared text (OK) or, with none, Cancel. A stubborn one
// ignores SIGTERM.
class FakeDialogProgram {
public:
    explicit FakeDialogProgram(bool stubborn = false) {
        const char* base = std::getenv("ZEK2_TEST_TMP");
        folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2popXXXXXX";
        if (!mkdtemp(folder.data())) return;
        {
            std::ofstream script(folder + "/zenity");
            script << "#!/bin/sh\n"
                   << "D='" << folder << "'\n"
                   << (stubborn ? "trap '' TERM\n" : "") << "echo $$ > \"$D/pid\"\n"
                   << "echo $PPID > \"$D/wrapper\"\n"
                   << "echo \"$1\" >> \"$D/asked\"\n"
                   << "while [ ! -e \"$D/go\" ]; do sleep 0.02; done\n"
                   << "rm -f \"$D/go\"\n"
                   << "if [ -e \"$D/answer\" ]; then cat \"$D/answer\"; exit 0; fi\n"
                   << "exit 1\n";
        }
        chmod((folder + "/zenity").c_str(), 0755);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (folder + ":" + oldPath).c_str(), 1);
    }
    ~FakeDialogProgram() {
        setenv("PATH", oldPath.c_str(), 1);
        for (const char* f : {"zenity", "asked", "go", "answer", "pid", "wrapper"})
            std::remove((folder + "/" + f).c_str());
        rmdir(folder.c_str());
    }
    // The questions asked so far, by their first argument (--info, --file-selection, ...).
    std::vector<std::string> asked() const { return lines("asked"); }
    // The process of the last question, and its wrapper (the plug-in's child).
    pid_t pid() const { return lastNumber("pid"); }
    pid_t wrapper() const { return lastNumber("wrapper"); }
    void answer(const std::string& text) { std::ofstream(folder + "/answer") << text << "\n"; }
    void cancelNext() { std::remove((folder + "/answer").c_str()); }
    void go() { std::ofstream(folder + "/go") << "\n"; }
    bool waitForQuestions(size_t n) {
        return EditorSession::waitFor([&] { return asked().size() >= n; },
                                      EditorSession::kPatienceMs);
    }
    // Lets the last question's program answer and waits until the plug-in has taken the
    // answer: it reaps the wrapper when it reads the answer.
    bool goAndWaitForTheAnswer() {
        const pid_t asked = wrapper();
        go();
        return asked > 0 && EditorSession::waitFor([&] { return kill(asked, 0) == -1; },
                                                   EditorSession::kPatienceMs);
    }

private:
    pid_t lastNumber(const char* name) const {
        const auto all = lines(name);
        return all.empty() ? 0 : static_cast<pid_t>(std::atoi(all.back().c_str()));
    }
    std::vector<std::string> lines(const char* name) const {
        std::vector<std::string> out;
        std::ifstream in(folder + "/" + name);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }
    std::string folder, oldPath;
};

// Opens a menu with a click and chooses its entry `downs` steps down with Return.
bool chooseByKeys(EditorSession& s, int x, int y, int downs) {
    s.click(x, y);
    if (!s.waitForPopup()) return false;
    s.keys(XK_Down, downs);
    s.key(XK_Return);
    return true;
}

// Holds an open dialog for a while, lets the program answer, and checks the idle calls of
// the time it was open. A busy machine may stall a call now and then: a miss is measured again,
// twice at most and the dialog still open, before it counts, while a dialog that held the idle
// calls until its program answered would miss every time.
void watchDialog(EditorSession& s, FakeDialogProgram& program, const char* what) {
    size_t mark = s.idleMark();
    hold(s);
    for (int attempt = 1; !smooth(s, mark, what, attempt == 3); ++attempt) {
        mark = s.idleMark();
        hold(s);
    }
    EXPECT_TRUE(program.goAndWaitForTheAnswer()) << what;
}

// The pixels of the top bar's two read-outs, the hovered parameter's name and value.
std::vector<unsigned long> readouts(EditorSession& s) {
    return s.box(402, 23, 225, 36);
}

// Renders until the first program is applied.
void prepare(testhost::Plugin& plugin) {
    std::vector<float> left, right;
    plugin.process(8192, left, right);
}

} // namespace

TEST(HostEditorPopups, MenusStayOpenAcrossIdleCallsAndTheirChoiceIsOneEdit) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    const float type = plugin.getParameter(kFilterType);

    // An option menu (the filter TYPE list), the preset menu and a knob's command menu, each
    // held open with its first submenu opened by key.
    watchMenu(s, kFilterTypeX, kFilterTypeY, 1, "option menu");
    watchMenu(s, kPresetMenuX, kPresetMenuY, 1, "preset menu");
    watchMenu(s, kOsc1VolumeX, kOsc1VolumeY, 3, "knob command menu");
    s.idles(3);
    EXPECT_EQ(plugin.getParameter(kFilterType), type) << "dismissing changes nothing";

    // A choice made by keys applies when it is made: one bracketed edit of the menu's tag.
    // The first entry stands alone; the second opens the first group of types.
    s.forget();
    s.click(kFilterTypeX, kFilterTypeY);
    ASSERT_TRUE(s.waitForPopup());
    s.keys(XK_Down, 2);
    s.key(XK_Right);
    s.key(XK_Down);
    s.key(XK_Return);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(3);
    EXPECT_NE(plugin.getParameter(kFilterType), type);
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "");
    EXPECT_EQ(EditorSession::bracketedEdits(log), std::set<int>{kFilterType});
    EXPECT_EQ(EditorSession::countOf(log, audioMasterBeginEdit), 1);

    // With nothing hovered, the first Up lands on the last entry and the first Down on the
    // first: the ribbon's QUANT menu, whose last entry is "2" and first "Off".
    for (const auto& [key, text] : {std::pair<KeySym, const char*>{XK_Up, "2"}, {XK_Down, "Off"}}) {
        s.click(kQuantX, kQuantY);
        ASSERT_TRUE(s.waitForPopup());
        s.key(key);
        s.key(XK_Return);
        EXPECT_TRUE(s.waitForNoPopup());
        char shown[kVstMaxParamStrLen * 4] = "";
        plugin.dispatch(effGetParamDisplay, kQuant, 0, shown);
        EXPECT_STREQ(shown, text);
    }

    // The pointer visits the open pop-up and comes back to rest on the menu, where the choice
    // is made by keys: with the pop-up gone, the menu under the pointer is the hovered control
    // again, and the read-outs show the new wave at once, as they do after the pointer moves.
    s.moveTo(kOsc1WaveX, kOsc1WaveY);
    s.idles(4);
    const std::vector<unsigned long> waveBefore = readouts(s);
    const float wave = plugin.getParameter(kOsc1Wave);
    s.click(kOsc1WaveX, kOsc1WaveY);
    ASSERT_TRUE(s.waitForPopup());
    s.moveTo(kOsc1WaveX, kOsc1WaveY + 40);
    s.moveTo(kOsc1WaveX, kOsc1WaveY);
    s.keys(XK_Down, 2);
    s.key(XK_Return);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(4);
    EXPECT_NE(plugin.getParameter(kOsc1Wave), wave);
    const std::vector<unsigned long> waveChosen = readouts(s);
    s.moveTo(kOsc1WaveX + 2, kOsc1WaveY);
    s.idles(4);
    EXPECT_NE(waveChosen, waveBefore);
    EXPECT_TRUE(waveChosen == readouts(s)) << "the read-outs show the wave chosen";

    // The same when the pointer has left the menu, as a click on an entry of a submenu leaves
    // it: the wave page's preset menu of User Wave 1, where "Sine_Dist" is the first entry
    // after "Sine" in its "Sine" group, chosen with the pointer over no control.
    s.click(kWaveTabX, kArpTabY); // the tabs stand in one row
    s.moveTo(kWavePresetX, kWavePresetY);
    s.idles(4);
    const std::vector<unsigned long> presetBefore = readouts(s);
    s.click(kWavePresetX, kWavePresetY);
    ASSERT_TRUE(s.waitForPopup());
    s.moveTo(kNoControlX, kNoControlY);
    for (KeySym k : {XK_Down, XK_Down, XK_Right, XK_Down}) s.key(k);
    s.key(XK_Return);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(4);
    char preset[kVstMaxParamStrLen * 4] = "";
    plugin.dispatch(effGetParamDisplay, kWave1Preset, 0, preset);
    EXPECT_STREQ(preset, "Sine_Dist");
    const std::vector<unsigned long> presetChosen = readouts(s);
    s.moveTo(kWavePresetX, kWavePresetY);
    s.idles(4);
    EXPECT_TRUE(presetChosen != presetBefore) << "the read-outs keep the preset before";
    EXPECT_TRUE(presetChosen == readouts(s)) << "the read-outs show the wave preset chosen";

    // From a knob onto the arpeggiator grid, which has no parameter of its own: the read-outs
    // take the grid's name rather than keep the knob's, and a view named otherwise (the A
    // switch) shows another name.
    s.click(kArpTabX, kArpTabY);
    s.moveTo(kOsc1VolumeX, kOsc1VolumeY);
    s.idles(4);
    const std::vector<unsigned long> knobShown = readouts(s);
    s.moveTo(kArpGridX, kArpGridY);
    s.idles(4);
    const std::vector<unsigned long> gridShown = readouts(s);
    EXPECT_TRUE(gridShown != knobShown) << "the grid leaves the knob's name";
    s.moveTo(kArpAX, kArpAY);
    s.idles(4);
    EXPECT_TRUE(readouts(s) != gridShown) << "the A switch shows its own name";
    s.moveTo(kArpGridX + 40, kArpGridY);
    s.idles(4);
    EXPECT_TRUE(readouts(s) == gridShown) << "the grid names itself again";

    // A press outside the pop-up, on the editor, closes it and does nothing else.
    s.forget();
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.click(1120, 765);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(3);
    EXPECT_EQ(edits(s.calls()), 0);

    // The editor closes with a menu open: the menu goes with it and nothing changes.
    const float volume = plugin.getParameter(kOsc1Volume);
    s.forget();
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.key(XK_Down);
    s.close();
    EXPECT_TRUE(s.waitForNoPopup());
    EXPECT_EQ(edits(s.calls()), 0);
    EXPECT_EQ(plugin.getParameter(kOsc1Volume), volume);
}

TEST(HostEditorPopups, MessageBoxesAndFileChoosersRunBesideTheIdleCalls) {
    FakeDialogProgram program;
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());

    // A message box: the screen-size notice of the preset menu. The idle calls are watched
    // from when it is open (the call that runs the command writes the preferences).
    ASSERT_TRUE(chooseByKeys(s, kPresetMenuX, kPresetMenuY, kPresetMenuScreenSize100));
    ASSERT_TRUE(program.waitForQuestions(1));
    EXPECT_EQ(program.asked().back(), "--info");
    watchDialog(s, program, "message box");

    // A file chooser: "Load ECS" of the ECS menu, cancelled.
    ASSERT_TRUE(chooseByKeys(s, kEcsMenuX, kEcsMenuY, 1));
    ASSERT_TRUE(program.waitForQuestions(2));
    EXPECT_EQ(program.asked().back(), "--file-selection");
    program.cancelNext();
    watchDialog(s, program, "file chooser");

    // The editor closes while the chooser is open: the chooser's program and its wrapper end
    // (the program goes to this process when killed with its wrapper), and nothing is asked or
    // changed after.
    Reaper reaper;
    ASSERT_TRUE(chooseByKeys(s, kEcsMenuX, kEcsMenuY, 1));
    ASSERT_TRUE(program.waitForQuestions(3));
    const pid_t pid = program.pid(), wrapper = program.wrapper();
    s.forget();
    s.close();
    EXPECT_TRUE(EditorSession::waitFor([&] { return gone(pid) && !runs(wrapper); },
                                       EditorSession::kPatienceMs))
        << "the chooser's program and its wrapper run on";
    EXPECT_EQ(program.asked().size(), 3u);
    EXPECT_EQ(edits(s.calls()), 0);
}

// The editor closes while a dialog program that ignores SIGTERM is open: the close returns
// at once all the same, and the program is ended (killed with its wrapper, it goes to the reaper
// of orphans, this process) and reaped, not left behind as a zombie. Both ways of signalling
// the dialog's group are taken: on a handle (Linux 6.9 and later) and the plain group kill, with
// the host's thread refused every signal through a handle, so that only the plain kill can end
// the program.
TEST(HostEditorPopups, ClosingNeverWaitsForADialogProgram) {
    Reaper reaper;
    struct PlainKill {
        explicit PlainKill(bool on) {
            if (on) setenv("ZEK2_NO_PIDFD_GROUP_SIGNAL", "1", 1);
        }
        ~PlainKill() { unsetenv("ZEK2_NO_PIDFD_GROUP_SIGNAL"); }
    };
    for (const bool plainKill : {false, true}) {
        SCOPED_TRACE(plainKill ? "plain group kill" : "group signal on a handle");
        PlainKill way(plainKill);
        FakeDialogProgram program(true);
        testhost::Plugin plugin;
        prepare(plugin);
        EditorSession s(plugin);
        if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
        ASSERT_TRUE(chooseByKeys(s, kEcsMenuX, kEcsMenuY, 1));
        ASSERT_TRUE(program.waitForQuestions(1));
        ASSERT_TRUE(
            EditorSession::waitFor([&] { return program.pid() > 0; }, EditorSession::kPatienceMs));
        const pid_t pid = program.pid();
        if (plainKill && !s.ui([] { return testenv::refusePidfdSignalsOnThisThread(); }))
            ZEK2_CANNOT_RUN("no seccomp filter to refuse signals through a pidfd");
        const double ms = s.ui([&] {
            const auto start = std::chrono::steady_clock::now();
            plugin.dispatch(effEditClose);
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                             start)
                .count();
        });
        // A close that waited for the program is let go here, so the test fails rather than hangs.
        if (ms == 0.0) program.go();
        std::printf("[ figures  ] effEditClose with a stubborn dialog open: %.1f ms (%s)\n", ms,
                    plainKill ? "plain group kill" : "group signal on a handle");
        // The close holds the host for about 70 ms (SIGTERM, SIGKILL 50 ms later, a last look);
        // a loaded machine may stall the host's thread for a second or two more. A close that
        // waited for the program would last until this test gave up on it (a minute).
        EXPECT_GT(ms, 0.0) << "effEditClose waited for the dialog program";
        EXPECT_LT(ms, 10000.0);
        EXPECT_TRUE(EditorSession::waitFor([&] { return gone(pid); }, EditorSession::kPatienceMs))
            << "the program is gone, not even a zombie";
        EXPECT_EQ(program.asked().size(), 1u);
        EXPECT_EQ(edits(s.calls()), 0);
    }
}

// The host unloads the plug-in with a file chooser open, never closing the editor or the
// instance: the chooser's program (one that ignores SIGTERM) and its wrapper end all the same,
// within about a second, while the host runs on. The host is a child process that loads a copy
// of the plug-in of its own, so that unloading it unloads the code.
TEST(HostEditorPopups, ADialogEndsWhenThePluginIsUnloadedWithoutClosing) {
    if (!std::getenv("DISPLAY")) ZEK2_CANNOT_RUN("no X display");
    Reaper reaper;
    FakeDialogProgram program(true);
    const char* base = std::getenv("ZEK2_TEST_TMP");
    std::string copy = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2unloadXXXXXX";
    const int copyFd = mkstemp(copy.data());
    ASSERT_GE(copyFd, 0);
    close(copyFd);
    std::filesystem::copy_file(ZEK2_PLUGIN_PATH, copy,
                               std::filesystem::copy_options::overwrite_existing);
    int told[2];
    ASSERT_EQ(pipe(told), 0);
    const pid_t host = testenv::forkChild();
    ASSERT_GE(host, 0);
    if (host == 0) {
        close(told[0]);
        void* library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) _exit(2);
        {
            // Neither is ever deleted: no effEditClose, no effClose.
            auto* plugin = new testhost::Plugin(
                44100.0f, 512,
                reinterpret_cast<testhost::EntryProc>(dlsym(library, "VSTPluginMain")));
            prepare(*plugin);
            auto* s = new EditorSession(*plugin);
            if (!s->ok() || !chooseByKeys(*s, kEcsMenuX, kEcsMenuY, 1) ||
                !program.waitForQuestions(1))
                _exit(2);
            // The host stops its idle calls and closes nothing.
            s->pluginClosed();
            s->close();
        }
        const bool unloaded =
            dlclose(library) == 0 && dlopen(copy.c_str(), RTLD_NOW | RTLD_NOLOAD) == nullptr;
        const char said = unloaded ? 'u' : 'n';
        if (write(told[1], &said, 1) == 1) pause();
        _exit(0);
    }
    close(told[1]);
    char said = 0;
    pollfd toldFd{told[0], POLLIN, 0};
    const bool answered =
        poll(&toldFd, 1, testenv::kChildPatienceMs) == 1 && read(told[0], &said, 1) == 1;
    close(told[0]);
    std::remove(copy.c_str());
    const pid_t pid = program.pid(), wrapper = program.wrapper();
    // The host never reaps its wrapper: a zombie wrapper has ended.
    const auto start = std::chrono::steady_clock::now();
    const bool ended = answered && said == 'u' && wrapper > 0 &&
                       EditorSession::waitFor(
                           [&] {
                               int reaped = 0;
                               waitpid(pid, &reaped, WNOHANG);
                               return !runs(pid) && !runs(wrapper);
                           },
                           EditorSession::kPatienceMs);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const bool hostRuns = runs(host);
    std::printf("[ figures  ] plug-in unloaded without effClose: program %d, wrapper %d left "
                "after %.0f ms\n",
                pid > 0 && runs(pid), wrapper > 0 && runs(wrapper), ms);
    kill(host, SIGKILL);
    testenv::waitForChild(host, "the stand-in host");
    if (pid > 0 && runs(pid)) kill(pid, SIGKILL);
    ASSERT_TRUE(answered) << "the host did not get a dialog open";
    ASSERT_EQ(said, 'u') << "the plug-in's code stayed loaded";
    ASSERT_GT(wrapper, 0);
    EXPECT_TRUE(ended) << "the dialog ended with the plug-in's unloading";
    EXPECT_TRUE(hostRuns) << "the host runs on";
}

// Without zenity or kdialog the question cannot be asked: the editor says so in a window of
// its own, beside the host's, which closes on Return, while the idle calls go on.
TEST(HostEditorPopups, WithoutADialogProgramTheEditorTellsInAWindowOfItsOwn) {
    // PATH comes back however the test ends.
    struct NoDialogProgram {
        const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        NoDialogProgram() { setenv("PATH", "/nonexistent-zek2", 1); }
        ~NoDialogProgram() { setenv("PATH", oldPath.c_str(), 1); }
    } noDialogProgram;
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    const float volume = plugin.getParameter(kOsc1Volume);
    size_t mark = s.idleMark();
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.keys(XK_Down, kMenuSetToValue);
    s.key(XK_Return);
    EXPECT_TRUE(s.waitForNoPopup());
    ASSERT_TRUE(EditorSession::waitFor([&] { return s.messageWindows().size() == 1; },
                                       EditorSession::kPatienceMs));
    hold(s);
    // A busy machine may stall a call now and then: a miss is measured again, twice at most,
    // before it counts; a window that held the idle calls would miss every time.
    for (int attempt = 1; !smooth(s, mark, "own message window", attempt == 3); ++attempt) {
        mark = s.idleMark();
        hold(s);
    }
    const EditorSession::Box box = s.messageWindows()[0];
    s.moveTo(box.x + box.width / 2, box.y + box.height / 2);
    s.key(XK_Return);
    EXPECT_TRUE(EditorSession::waitFor([&] { return s.messageWindows().empty(); },
                                       EditorSession::kPatienceMs));
    EXPECT_EQ(plugin.getParameter(kOsc1Volume), volume);
}

// The host hides its window, moves it, or puts it into another one: an open menu goes with it.
// A menu whose window to give the focus back to has gone closes without an X error printed.
TEST(HostEditorPopups, AMenuGoesWithItsWindow) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    Display* d = s.getDisplay();
    const Window host = s.getHostWindow(), root = DefaultRootWindow(d);
    const Window holder = XCreateSimpleWindow(d, root, 0, 0, 2000, 1200, 0, 0, 0);
    XMapWindow(d, holder);
    XRaiseWindow(d, host);
    testhost::StandardErrorKept printed;
    // A knob's command menu with its first submenu open is two pop-up windows.
    auto openMenu = [&] {
        s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
        EXPECT_TRUE(s.waitForPopup());
        s.key(XK_Down);
        s.key(XK_Right);
        EXPECT_TRUE(EditorSession::waitFor([&] { return s.popups().size() == 2; },
                                           EditorSession::kPatienceMs));
    };
    const std::function<void()> actions[][2] = {
        {[&] { XUnmapWindow(d, host); }, [&] { XMapRaised(d, host); }},
        {[&] { XMoveWindow(d, host, 40, 30); }, [&] { XMoveWindow(d, host, 0, 0); }},
        {[&] { XReparentWindow(d, host, holder, 0, 0); },
         [&] { XReparentWindow(d, host, root, 0, 0); }}};
    for (auto& action : actions) {
        openMenu();
        action[0]();
        XSync(d, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        s.idles(2);
        EXPECT_EQ(s.popups().size(), 0u);
        action[1]();
        XSync(d, False);
        s.idles(3);
        EXPECT_EQ(s.popups().size(), 0u);
    }
    const Window focus = XCreateSimpleWindow(d, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(d, focus);
    XSync(d, False);
    XSetInputFocus(d, focus, RevertToPointerRoot, CurrentTime);
    openMenu();
    XDestroyWindow(d, focus);
    XSync(d, False);
    s.keys(XK_Escape, 2);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(3);

    EXPECT_EQ(printed.text().find("X error"), std::string::npos);
    XDestroyWindow(d, holder);
}
