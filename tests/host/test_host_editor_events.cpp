// The editor driven by real pointer and key events in an X11 window, as a musician drives it
// in a DAW, and what the host is told of each edit.
#include <gtest/gtest.h>

// After the test framework: the X headers it brings define macros (None, Bool) gtest uses.
#include "EditorSession.h"

using testhost::EditorSession;
using testhost::HostCall;

namespace {

// Where controls sit on the main screen at 100 percent (centres).
constexpr int kOsc1VolumeX = 305, kOsc1VolumeY = 133;

std::string describe(const std::vector<HostCall>& log) {
    std::string s;
    for (const HostCall& c : log)
        if (c.opcode == audioMasterAutomate || c.opcode == audioMasterBeginEdit ||
            c.opcode == audioMasterEndEdit || c.opcode == audioMasterUpdateDisplay)
            s += std::to_string(c.opcode) + ":" + std::to_string(c.index) + " ";
    return s;
}

} // namespace

TEST(HostEditorEvents, AKnobDragIsOneBracketedEdit) {
    testhost::Plugin plugin;
    EditorSession s(plugin);
    if (!s.ok()) GTEST_SKIP() << s.whyNot();
    const float before = plugin.getParameter(12);
    s.forget();
    s.drag(kOsc1VolumeX, kOsc1VolumeY, kOsc1VolumeX, kOsc1VolumeY + 40);
    const auto log = s.calls();
    EXPECT_EQ(EditorSession::bracketFaults(log), "") << describe(log);
    EXPECT_EQ(EditorSession::bracketedEdits(log), std::set<int>{12}) << describe(log);
    EXPECT_LT(plugin.getParameter(12), before);
    EXPECT_TRUE(EditorSession::unbracketedAutomates(log, s.uiThreadId()).empty());
}
