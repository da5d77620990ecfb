// The editor driven by real pointer and key events in an X11 window, as a musician drives it
// in a DAW, and what the host is told of each edit.
#include "tests/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "FakeDialogs.h"
#include "StandardError.h"

using testhost::EditorSession;
using testhost::HostCall;

namespace {

constexpr auto describe = &EditorSession::describe;

// Where things sit on the main screen at 100 percent, and the parameters they edit.
constexpr int kOsc1VolumeX = 305, kOsc1VolumeY = 133, kOsc1Volume = 12;
constexpr int kEQCurveX = 987, kEQCurveY = 304, kPreEqOn = 306;
constexpr int kPreEqBand2Freq = 310, kPreEqBand2Gain = 312;
constexpr int kArpTabX = 63, kWaveTabX = 132, kModTabX = 195, kFXTabX = 246, kPathTabX = 314;
constexpr int kTabY = 416;
constexpr int kGateStep1X = 88, kGateLeftY = 691, kGaterOn = 347, kGaterLeft = 355;
constexpr int kGridX = 100, kGridOnY = 505, kGridTuneY = 565, kStep1On = 513, kStep1Tune = 561;
constexpr int kPreviewX = 47, kPreviewY = 39, kSettingsX = 1106, kSettingsY = 15;
constexpr int kOrigX = 325, kOrigY = 48, kLogoX = 917, kLogoY = 40;
constexpr int kBackSideEmptyX = 60, kBackSideEmptyY = 720;
constexpr int kEasyX = 676, kEasyY = 51, kBackX = 917, kBackY = 40, kApplyPreset = 1018;
constexpr std::pair<int, int> kEasyPulses[] = {
    {132, 637}, {283, 628}, {513, 699}, {903, 646}, {1010, 646}};
// The knob's command menu: Down steps over the enabled entries, the first being the help.
constexpr int kMenuSetToMinimum = 5, kMenuSetToValue = 8, kMenuLatchToMIDI = 12,
              kMenuClearAllMIDI = 15;
constexpr int kLearnController = 85;
constexpr int kChunkBytes = 8224;

// Renders until the first program is applied, then opens the editor with the pre-EQ and
// the gater on, so their displays take clicks.
void prepare(testhost::Plugin& plugin) {
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    plugin.setParameter(kPreEqOn, 1.0f);
    plugin.setParameter(kGaterOn, 1.0f);
}

// No begin, end or automate names a tag outside the parameters.
bool namesNoOutsideTag(const std::vector<HostCall>& log) {
    for (const HostCall& c : log)
        if ((c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit ||
             c.opcode == audioMasterAutomate) &&
            (c.index < 0 || c.index > 2047))
            return false;
    return true;
}

} // namespace

TEST(HostEditorEvents, EveryUserEditReachesTheHostAsOneBracketedEdit) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    // Each gesture: what the host heard, the tags it must name and that a value moved.
    auto expectEdit = [&](const char* what, std::set<int> tags) {
        const auto log = s.calls();
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << what << ": " << describe(log);
        EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty())
            << what << ": " << describe(log);
        for (int t : tags)
            EXPECT_TRUE(EditorSession::bracketedEdits(log).count(t))
                << what << " tag " << t << ": " << describe(log);
        s.forget();
    };
    s.forget();

    // A plain click puts back nothing, not even a value the host set unseen.
    plugin.setParameter(kOsc1Volume, 0.9988f);
    s.click(kOsc1VolumeX, kOsc1VolumeY);
    EXPECT_EQ(plugin.getParameter(kOsc1Volume), 0.9988f);
    expectEdit("plain click", {});

    s.drag(kOsc1VolumeX, kOsc1VolumeY, kOsc1VolumeX, kOsc1VolumeY + 30);
    EXPECT_LT(plugin.getParameter(kOsc1Volume), 0.9f);
    expectEdit("knob drag", {kOsc1Volume});

    // The knob's command menu: "Set to Minimum Value", chosen with the keys.
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.keys(XK_Down, kMenuSetToMinimum);
    s.key(XK_Return);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(3);
    EXPECT_EQ(plugin.getParameter(kOsc1Volume), 0.0f);
    expectEdit("menu value command", {kOsc1Volume});

    const float freq = plugin.getParameter(kPreEqBand2Freq);
    s.drag(kEQCurveX, kEQCurveY, kEQCurveX + 30, kEQCurveY - 20);
    EXPECT_NE(plugin.getParameter(kPreEqBand2Freq), freq);
    expectEdit("EQ point drag", {kPreEqBand2Freq, kPreEqBand2Gain});

    s.click(kFXTabX, kTabY);
    const float gate = plugin.getParameter(kGaterLeft);
    s.click(kGateStep1X, kGateLeftY);
    EXPECT_NE(plugin.getParameter(kGaterLeft), gate);
    expectEdit("gate step", {kGaterLeft});

    s.click(kArpTabX, kTabY);
    const float on = plugin.getParameter(kStep1On);
    s.click(kGridX, kGridOnY);
    EXPECT_NE(plugin.getParameter(kStep1On), on);
    expectEdit("grid toggle", {kStep1On});
    const float tune = plugin.getParameter(kStep1Tune);
    s.drag(kGridX, kGridTuneY, kGridX, kGridTuneY - 40);
    EXPECT_GT(plugin.getParameter(kStep1Tune), tune);
    expectEdit("grid tune drag", {kStep1Tune});

    // Controls that edit no parameter: the preview key and the settings menu (dismissed).
    s.click(kPreviewX, kPreviewY);
    s.click(kSettingsX, kSettingsY);
    if (s.waitForPopup(1500)) s.key(XK_Escape);
    EXPECT_TRUE(s.waitForNoPopup());
    expectEdit("controls without a parameter", {});
    s.close();
    EXPECT_TRUE(namesNoOutsideTag(s.calls()));
}

TEST(HostEditorEvents, AGestureCutShortStillEndsForTheHost) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    s.forget();
    // Released outside the window.
    s.drag(kOsc1VolumeX, kOsc1VolumeY, s.getWidth() + 40, s.getHeight() + 40);
    auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_EQ(EditorSession::bracketedEdits(log), std::set<int>{kOsc1Volume}) << describe(log);
    s.forget();
    // The logo turns to the back side and a click there returns: the clicked views leave the
    // screen under the mouse, and the knobs bracket as before afterwards.
    s.click(kLogoX, kLogoY);
    s.idles(3);
    s.click(kBackSideEmptyX, kBackSideEmptyY);
    s.idles(3);
    s.drag(kOsc1VolumeX, kOsc1VolumeY, kOsc1VolumeX, kOsc1VolumeY - 20);
    log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_EQ(EditorSession::bracketedEdits(log), std::set<int>{kOsc1Volume}) << describe(log);
    EXPECT_TRUE(namesNoOutsideTag(log));
    s.forget();
    // The editor closes while the button is down, then the button comes up.
    s.moveTo(kEQCurveX, kEQCurveY);
    s.press();
    s.moveTo(kEQCurveX + 20, kEQCurveY + 10);
    EXPECT_NE(EditorSession::bracketFaults(s.calls()), "") << "the drag is open";
    s.close();
    s.release();
    log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_FALSE(EditorSession::bracketedEdits(log).empty()) << describe(log);
    EXPECT_TRUE(namesNoOutsideTag(log));
}

// The dialog program stands in for zenity: it answers when the test lets it, as a user would
// after a while.
TEST(HostEditorEvents, TypedEntryRunsBesideTheIdleCallsAndIsOneEdit) {
    testhost::FakeDialogs dialogs;
    ASSERT_TRUE(dialogs.ok());
    dialogs.answer("25");
    dialogs.hold(true);
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    const float before = plugin.getParameter(kOsc1Volume);
    s.forget();
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.keys(XK_Down, kMenuSetToValue);
    s.key(XK_Return);
    // While the question is open the host's idle calls keep returning: some 25 in half a second,
    // a few on a busy machine, and none after the first had it waited for the answer.
    ASSERT_TRUE(dialogs.waitForQuestions(1));
    const long idlesBefore = s.idleCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_GE(s.idleCalls() - idlesBefore, 5);
    EXPECT_EQ(plugin.getParameter(kOsc1Volume), before);
    dialogs.hold(false);
    EXPECT_TRUE(EditorSession::waitFor([&] { return plugin.getParameter(kOsc1Volume) != before; },
                                       EditorSession::kPatienceMs));
    s.idles(3);
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_TRUE(EditorSession::bracketedEdits(log).count(kOsc1Volume)) << describe(log);
    EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty());
}

TEST(HostEditorEvents, AChangeOfManyParametersCallsUpdateDisplayOnceFromTheUiThread) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    auto updates = [&] {
        int n = 0;
        for (const HostCall& c : s.calls())
            if (c.opcode == audioMasterUpdateDisplay) {
                ++n;
                EXPECT_EQ(c.thread, s.uiThreadId());
            }
        return n;
    };
    std::vector<float> left, right;
    // A preset step with the arrow key, applied by the render at its next boundary.
    std::this_thread::sleep_for(std::chrono::milliseconds(320));
    char before[kVstMaxProgNameLen + 1] = "", after[kVstMaxProgNameLen + 1] = "";
    plugin.dispatch(effGetProgramName, 0, 0, before);
    s.forget();
    s.moveTo(600, 300);
    s.key(XK_Down);
    plugin.process(8192, left, right);
    s.idles(4);
    plugin.dispatch(effGetProgramName, 0, 0, after);
    EXPECT_STRNE(before, after);
    EXPECT_EQ(updates(), 1);
    // ORIG swaps every value at once.
    s.forget();
    s.click(kOrigX, kOrigY);
    plugin.process(8192, left, right);
    s.idles(4);
    EXPECT_EQ(updates(), 1);
    // A single knob edit asks for nothing.
    s.forget();
    s.drag(kOsc1VolumeX, kOsc1VolumeY, kOsc1VolumeX, kOsc1VolumeY + 20);
    s.idles(3);
    EXPECT_EQ(updates(), 0);

    // A controller taught to the knob moves it from the audio thread, which never calls the
    // host: the host hears no automate but one updateDisplay from the UI thread.
    auto knobMenu = [&](int downs) {
        s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
        ASSERT_TRUE(s.waitForPopup());
        s.keys(XK_Down, downs);
        s.key(XK_Return);
        EXPECT_TRUE(s.waitForNoPopup());
    };
    knobMenu(kMenuLatchToMIDI);
    const int near = static_cast<int>(plugin.getParameter(kOsc1Volume) * 127.0f + 0.5f);
    plugin.sendMidi({{0, 0xB0, kLearnController, near}});
    plugin.process(256, left, right);
    s.idles(4);
    s.forget();
    for (int v = near; v > near - 20 && v > 0; v -= 4) {
        plugin.sendMidi({{0, 0xB0, kLearnController, v}});
        plugin.process(256, left, right);
    }
    s.idles(4);
    EXPECT_NEAR(plugin.getParameter(kOsc1Volume), std::max(1, near - 16) / 127.0f, 0.02f);
    EXPECT_EQ(EditorSession::countOf(s.calls(), audioMasterAutomate), 0) << describe(s.calls());
    EXPECT_EQ(updates(), 1);
    knobMenu(kMenuClearAllMIDI);
}
// What the host does itself is told nothing back while the editor is open: a program it
// selects, a chunk it restores (values and the program trigger take the same apply), a MIDI
// program change in its track.
TEST(HostEditorEvents, TheHostsOwnChangesAreToldNothingBack) {
    struct HostBack {
        ~HostBack() { testhost::resetHost(); }
    } hostBack;
    testhost::host().product = "REAPER"; // a host offered the chunk
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    void* data = nullptr;
    ASSERT_EQ(plugin.dispatch(effGetChunk, 0, 0, &data), kChunkBytes);
    const std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + kChunkBytes);
    std::vector<float> left, right;
    auto away = [&] {
        for (int t : {kOsc1Volume, kOsc1Volume + 1, 1100, 1600}) plugin.setParameter(t, 0.9f);
    };
    s.forget();
    away();
    plugin.dispatch(effSetProgram, 0, 0);
    plugin.process(8192, left, right);
    away();
    ASSERT_EQ(plugin.dispatch(effSetChunk, 0, kChunkBytes, const_cast<char*>(chunk.data())), 1);
    plugin.sendMidi({{0, 0xC0, 5, 0}});
    plugin.process(8192, left, right);
    s.idles(6);
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::countOf(log, audioMasterAutomate) +
                  EditorSession::countOf(log, audioMasterBeginEdit) +
                  EditorSession::countOf(log, audioMasterEndEdit),
              0)
        << describe(log);
    EXPECT_GE(EditorSession::countOf(log, audioMasterUpdateDisplay), 1);
}

// Showing a page or dismissing a menu edits nothing: the host hears no edit call at all.
TEST(HostEditorEvents, LookingAroundTellsTheHostNothing) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    auto edits = [&] {
        const auto log = s.calls();
        return EditorSession::countOf(log, audioMasterAutomate) +
               EditorSession::countOf(log, audioMasterBeginEdit) +
               EditorSession::countOf(log, audioMasterEndEdit);
    };
    s.forget();
    for (int tab : {kWaveTabX, kFXTabX, kArpTabX}) {
        s.click(tab, kTabY);
        s.idles(4);
    }
    EXPECT_EQ(edits(), 0) << describe(s.calls());
    s.click(kGridX, kGridOnY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.key(XK_Escape);
    EXPECT_TRUE(s.waitForNoPopup());
    s.click(kOsc1VolumeX, kOsc1VolumeY, 3);
    ASSERT_TRUE(s.waitForPopup());
    s.key(XK_Escape);
    EXPECT_TRUE(s.waitForNoPopup());
    s.idles(4);
    EXPECT_EQ(edits(), 0) << describe(s.calls());
}

// The audio thread renders, takes MIDI and steps presets while the user drags knobs and the
// EQ: the host still hears sound brackets, and updateDisplay only from the UI thread.
TEST(HostEditorEventsRace, EditsWhileTheAudioThreadRendersAndAppliesPresets) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> left, right;
        int block = 0;
        while (!stop.load()) {
            plugin.sendMidi({{0, 0x90, 60, 100}, {64, 0xB0, 1, block & 127}, {128, 0x80, 60, 0}});
            plugin.process(256, left, right);
            plugin.setParameter(kOsc1Volume + 1, static_cast<float>(block % 100) / 100.0f);
            ++block;
        }
    });
    s.forget();
    for (int round = 0; round < 3; ++round) {
        s.drag(kOsc1VolumeX, kOsc1VolumeY, kOsc1VolumeX, kOsc1VolumeY - 30, 4);
        s.drag(kEQCurveX, kEQCurveY, kEQCurveX - 20, kEQCurveY + 10, 4);
        s.moveTo(600, 300);
        s.key(round % 2 ? XK_Up : XK_Down);
        std::this_thread::sleep_for(std::chrono::milliseconds(320));
    }
    s.idles(5);
    stop = true;
    audio.join();
    s.close();
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    for (const HostCall& c : log) {
        if (c.opcode == audioMasterUpdateDisplay || c.opcode == audioMasterBeginEdit ||
            c.opcode == audioMasterEndEdit) {
            EXPECT_EQ(c.thread, s.uiThreadId());
        }
    }
    EXPECT_GE(EditorSession::countOf(log, audioMasterUpdateDisplay), 1);
}

namespace {

// The pixels of a box of the host's window, once two looks a few idle calls apart agree.
std::vector<unsigned long> settledBox(EditorSession& s, int x, int y, int w, int h) {
    auto grab = [&] { return s.box(x, y, w, h); };
    s.idles(6);
    std::vector<unsigned long> last = grab();
    for (int round = 0; round < 50; ++round) {
        s.idles(3);
        std::vector<unsigned long> now = grab();
        if (now == last) return now;
        last = std::move(now);
    }
    return last;
}

// True once the box shows `want` (a display may keep to its own refresh beat).
bool showsWithinPatience(EditorSession& s, int x, int y, int w, int h,
                         const std::vector<unsigned long>& want) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(EditorSession::kPatienceMs);
    while (settledBox(s, x, y, w, h) != want)
        if (std::chrono::steady_clock::now() > until) return false;
    return true;
}

} // namespace

// Each display shows what the sound holds at every opening, on the page the editor opens on:
// the host writes a value while the editor is closed, and the opening draws it. The same value
// written again draws the same picture; another value draws another. The host's writes while the
// display is shown draw the same pictures as the openings. Each gate row shows its own pattern
// in the sound's step count. Then a click on the gate row edits exactly the step under the
// pointer of the pattern the row shows.
TEST(HostEditorEvents, EveryDisplayShowsTheStoredValuesAtEveryOpening) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    constexpr int kMainScreen = -1;
    struct Case {
        const char* display;
        int tab;        // the page tab clicked before the first closing
        int x, y, w, h; // the display's box at 100 percent
        std::vector<int> tags;
        float a, b; // two values, each drawn differently
    };
    const Case cases[] = {
        {"gate rows", kFXTabX, 70, 683, 597, 33, {kGaterLeft, 356}, 0.00278f, 0.93f},
        {"right gate row", kFXTabX, 70, 700, 597, 16, {356}, 0.3f, 0.6f},
        {"gate step count", kFXTabX, 70, 683, 597, 33, {350}, 0.2f, 0.8f},
        {"arpeggiator grid", kArpTabX, 78, 502, 551, 162, {kStep1On, 514}, 1.0f, 0.0f},
        {"EQ curve", kMainScreen, 876, 239, 223, 131, {kPreEqBand2Gain}, 0.2f, 0.8f},
        {"modulation matrix", kModTabX, 35, 561, 630, 156, {475}, 0.2f, 0.8f},
        {"paths", kPathTabX, 54, 535, 592, 137, {258, 336}, 0.0f, 0.6f},
        {"XY pad", kMainScreen, 201, 255, 138, 138, {272, 273}, 0.2f, 0.8f},
    };
    for (const Case& c : cases) {
        if (c.tab != kMainScreen) s.click(c.tab, kTabY);
        auto openWith = [&](float v) {
            s.uiCall([&] { plugin.dispatch(effEditClose); });
            for (int t : c.tags) plugin.setParameter(t, v);
            EXPECT_TRUE(s.reopen()) << c.display;
            return settledBox(s, c.x, c.y, c.w, c.h);
        };
        const auto first = openWith(c.a);
        const auto second = openWith(c.b);
        const auto third = openWith(c.a);
        EXPECT_TRUE(first != second) << c.display << " shows nothing of the stored values";
        EXPECT_TRUE(first == third) << c.display << " shows something else than what is stored";
        for (float v : {c.b, c.a}) {
            for (int t : c.tags) plugin.setParameter(t, v);
            EXPECT_TRUE(showsWithinPatience(s, c.x, c.y, c.w, c.h, v == c.a ? first : second))
                << c.display << " does not follow the host's write of " << v << " while shown";
        }
    }

    // The bank's programs share their user waves: a pen stroke changes the wave, and the
    // openings after it show the stroke.
    s.click(kWaveTabX, kTabY);
    const auto before = settledBox(s, 35, 473, 630, 190);
    s.drag(60, 500, 600, 640, 16);
    const auto drawn = settledBox(s, 35, 473, 630, 190);
    EXPECT_TRUE(drawn != before) << "the stroke shows";
    for (int opening = 0; opening < 2; ++opening) {
        s.uiCall([&] { plugin.dispatch(effEditClose); });
        ASSERT_TRUE(s.reopen());
        EXPECT_TRUE(settledBox(s, 35, 473, 630, 190) == drawn) << "user wave, opening " << opening;
    }

    // On the FX page, opened a third time with a pattern stored: one click flips one step.
    s.click(kFXTabX, kTabY);
    for (int opening = 0; opening < 3; ++opening) {
        s.uiCall([&] { plugin.dispatch(effEditClose); });
        plugin.setParameter(kGaterLeft, (0xA5F1 + 0.5f) / 65536);
        ASSERT_TRUE(s.reopen());
    }
    s.idles(4);
    s.click(kGateStep1X + 37 * 2, kGateLeftY);
    s.idles(3);
    EXPECT_EQ(static_cast<int>(plugin.getParameter(kGaterLeft) * 65535.9f), 0xA5F1 ^ (1 << 2));
}

namespace {

// Where the sweep's writes come from: a thread of the host's own, or the user-interface
// thread between two idle calls, each write served by the editor's idle before the render
// that follows applies it.
enum class Writer { HostThread, UiThread };

// The sweep over every screen and every tag: on each screen the host writes every tag (but the
// program trigger) while it is shown, and the window shows what a fresh opening of the screen
// shows, for two sets of values. Nothing is printed on standard error meanwhile (a text that is
// not valid UTF-8 drawn as it is makes the text layout warn).
void sweepEveryScreen(Writer writer) {
    testhost::Plugin plugin;
    prepare(plugin);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    testhost::StandardErrorKept errors;
    struct Screen {
        const char* name;
        int x, y; // clicked after an opening to show the screen
    };
    const Screen screens[] = {{"ARP page", kArpTabX, kTabY},   {"WAVE page", kWaveTabX, kTabY},
                              {"MOD page", kModTabX, kTabY},   {"FX page", kFXTabX, kTabY},
                              {"PATH page", kPathTabX, kTabY}, {"Easy screen", kEasyX, kEasyY},
                              {"back side", kBackX, kBackY}};
    const int width = s.getWidth(), height = s.getHeight();
    std::vector<float> left, right;
    for (const Screen& screen : screens) {
        // From 0.37 to 0.8 the distortion FX changes its mode, and a slot the matrix shows
        // takes one of its knobs as destination, named after the mode.
        for (float offset : {0.37f, 0.8f}) {
            auto openScreen = [&] {
                s.uiCall([&] { plugin.dispatch(effEditClose); });
                EXPECT_TRUE(s.reopen());
                s.click(screen.x, screen.y);
                // Parked outside again: no hover name or tip stands over either picture.
                s.moveTo(width + 50, height + 50);
            };
            openScreen();
            auto writeAll = [&] {
                for (int t = 0; t < 2048; ++t)
                    if (t != kApplyPreset)
                        plugin.setParameter(t, std::fmod(t * 0.6180339887f + offset, 1.0f));
            };
            if (writer == Writer::UiThread) {
                s.uiCall(writeAll);
                // Long enough for a whole idle pass (one per 40 ms) to serve the writes.
                s.idles(5);
                plugin.process(512, left, right);
            } else {
                writeAll();
            }
            const auto shown = settledBox(s, 0, 0, width, height);
            openScreen();
            const auto fresh = settledBox(s, 0, 0, width, height);
            // The Easy screen's five lights pulse with time, not with a value.
            auto pulsing = [&](size_t i) {
                const int x = static_cast<int>(i % static_cast<size_t>(width));
                const int y = static_cast<int>(i / static_cast<size_t>(width));
                for (const auto& [px, py] : kEasyPulses)
                    if (screen.x == kEasyX && x >= px - 1 && x <= px + 26 && y >= py - 1 &&
                        y <= py + 26)
                        return true;
                return false;
            };
            size_t differ = 0;
            int leftmost = width, top = height, rightmost = -1, bottom = -1;
            for (size_t i = 0; i < shown.size() && i < fresh.size(); ++i) {
                if (shown[i] == fresh[i] || pulsing(i)) continue;
                ++differ;
                const int x = static_cast<int>(i % static_cast<size_t>(width));
                const int y = static_cast<int>(i / static_cast<size_t>(width));
                leftmost = std::min(leftmost, x), rightmost = std::max(rightmost, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
            EXPECT_EQ(differ, 0u) << screen.name << " after the host's writes (values from "
                                  << offset << ") differs from a fresh opening in " << leftmost
                                  << ".." << rightmost << " x " << top << ".." << bottom;
        }
    }
    s.close();
    const std::string printed = errors.text();
    EXPECT_TRUE(printed.empty()) << std::count(printed.begin(), printed.end(), '\n')
                                 << " lines on standard error, the first: "
                                 << printed.substr(printed.find_first_not_of('\n'), 120);
}

} // namespace

TEST(HostEditorEvents, EveryScreenFollowsEveryTagWrittenFromAHostThread) {
    sweepEveryScreen(Writer::HostThread);
}

TEST(HostEditorEvents, EveryScreenFollowsEveryTagWrittenFromTheUserInterfaceThread) {
    sweepEveryScreen(Writer::UiThread);
}
