// The ribbon dragged with real pointer events in an X11 window while the audio thread renders:
// the host hears each drag as one edit, the spring's glide back to rest inside it, on the main
// and on the Easy screen.
#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"
#include "RibbonPlaces.h"
#include "tests/TestEnv.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using testhost::EditorSession;
using testhost::HostCall;
using namespace ribbonplaces;

namespace {

// The ribbon's tags.
constexpr int kRibbon = 127, kSpringTime = 377;

std::string describe(const std::vector<HostCall>& log) {
    std::string s;
    for (const HostCall& c : log)
        if (c.index == kRibbon &&
            (c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit ||
             c.opcode == audioMasterEndEdit))
            s += std::to_string(c.opcode) + ":" + std::to_string(c.opt) + " ";
    return s;
}

int countOn(const std::vector<HostCall>& log, VstInt32 opcode, int tag) {
    int n = 0;
    for (const HostCall& c : log) n += c.opcode == opcode && c.index == tag;
    return n;
}

// The last value the host was told of a tag (-1 when none).
float lastAutomated(const std::vector<HostCall>& log, int tag) {
    float v = -1.0f;
    for (const HostCall& c : log)
        if (c.opcode == audioMasterAutomate && c.index == tag) v = c.opt;
    return v;
}

// Renders blocks of 256 frames at about the real rate, as a host's audio thread does.
class AudioThread {
public:
    explicit AudioThread(testhost::Plugin& p)
        : thread([this, &p] {
              std::vector<float> left, right;
              while (!stop.load()) {
                  p.process(256, left, right);
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~AudioThread() {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

} // namespace

TEST(HostRibbon, EachDragIsOneEditWithItsGlideInside) {
    testhost::resetHost();
    testhost::Plugin plugin;
    std::vector<float> left, right;
    plugin.process(8192, left, right);
    EditorSession s(plugin);
    if (!s.ok()) ZEK2_CANNOT_RUN(s.whyNot());
    AudioThread audio(plugin);
    auto ended = [&](int drags) {
        return EditorSession::waitFor(
            [&] { return countOn(s.calls(), audioMasterEndEdit, kRibbon) >= drags; },
            EditorSession::kPatienceMs);
    };
    for (const char* screen : {"main", "easy"}) {
        if (std::string(screen) == "easy") {
            s.click(kEasyX, kEasyY);
            s.idles(5);
        }
        // "1/8 QB": a quarter of a second back to rest at 120 BPM.
        s.uiCall([&] { plugin.setParameter(kSpringTime, 9.1f / 17.99f); });
        s.forget();
        s.drag(kRibbonLeft, kRibbonY, kRibbonRight, kRibbonY, 8);
        ASSERT_TRUE(ended(1)) << screen << ": " << describe(s.calls());
        s.idles(10);
        auto log = s.calls();
        EXPECT_EQ(countOn(log, audioMasterBeginEdit, kRibbon), 1) << screen << describe(log);
        EXPECT_EQ(countOn(log, audioMasterEndEdit, kRibbon), 1) << screen << describe(log);
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << screen << describe(log);
        EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty())
            << screen << describe(log);
        // The glide is inside: the host's last value is the ribbon's rest.
        const float rest = plugin.getParameter(kRibbon);
        EXPECT_TRUE(rest == 0.0f || rest == 0.5f) << rest;
        EXPECT_EQ(lastAutomated(log, kRibbon), rest) << screen << describe(log);

        // A press while the last drag glides back ("1/2 QB": one second) ends that drag's edit
        // where the glide was and starts its own.
        s.uiCall([&] { plugin.setParameter(kSpringTime, 15.1f / 17.99f); });
        s.forget();
        s.drag(kRibbonLeft, kRibbonY, kRibbonRight, kRibbonY, 4);
        s.drag(kRibbonRight, kRibbonY, kRibbonLeft + 200, kRibbonY, 4);
        ASSERT_TRUE(ended(2)) << screen << ": " << describe(s.calls());
        s.idles(10);
        log = s.calls();
        EXPECT_EQ(countOn(log, audioMasterBeginEdit, kRibbon), 2) << screen << describe(log);
        EXPECT_EQ(countOn(log, audioMasterEndEdit, kRibbon), 2) << screen << describe(log);
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << screen << describe(log);
        const auto firstEnd = std::find_if(log.begin(), log.end(), [](const HostCall& c) {
            return c.opcode == audioMasterEndEdit && c.index == kRibbon;
        });
        EXPECT_GT(lastAutomated({log.begin(), firstEnd}, kRibbon), 0.6f) << describe(log);

        // Without a spring the drag ends at the release and nothing follows.
        s.uiCall([&] { plugin.setParameter(kSpringTime, 0.0f); });
        s.forget();
        s.drag(kRibbonLeft, kRibbonY, kRibbonRight, kRibbonY, 4);
        s.idles(10);
        log = s.calls();
        EXPECT_EQ(countOn(log, audioMasterBeginEdit, kRibbon), 1) << screen << describe(log);
        EXPECT_EQ(countOn(log, audioMasterEndEdit, kRibbon), 1) << screen << describe(log);
        EXPECT_EQ(EditorSession::bracketFaults(log), "") << screen << describe(log);
        EXPECT_GT(plugin.getParameter(kRibbon), 0.9f);
    }
}
