// The editor opened off-screen by a host (a null parent window): it takes the host's
// parameter writes and program changes through its idle calls, echoes no automation back,
// and idles safely while another thread renders and automates.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using testhost::Plugin;

class HostCoreEditor : public ::testing::Test {
protected:
    void SetUp() override { testhost::resetHost(); }
};

TEST_F(HostCoreEditor, AnOffscreenEditorFollowsTheHostWithoutEchoingAutomation) {
    Plugin plugin;
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
    for (int round = 0; round < 3; ++round) {
        for (int tag : {1, 57, 246, 294, 339, 350, 1012})
            plugin.setParameter(tag, 0.1f * static_cast<float>(round + 1));
        std::vector<float> left, right;
        plugin.process(4096 * 2, left, right); // a program change lands at a block boundary
        plugin.dispatch(effEditIdle);
    }
    EXPECT_FLOAT_EQ(plugin.getParameter(57), 0.3f);
    // Writes from the host are the host's own: nothing comes back as automation.
    EXPECT_TRUE(testhost::host().automated.empty());
    plugin.dispatch(effEditClose);
    // Closed, the editor takes nothing; opened again, it starts afresh.
    plugin.setParameter(57, 0.7f);
    plugin.dispatch(effEditIdle);
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
    plugin.dispatch(effEditIdle);
    plugin.dispatch(effEditClose);
}

// One thread renders blocks and automates parameters as a host's audio thread does, while
// this one runs the editor's idle calls; a fixed number of rounds.
TEST(CoreEditorRace, RenderingAndAutomationWhileTheEditorIdles) {
    testhost::resetHost();
    Plugin plugin;
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, nullptr), 1);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        std::vector<float> left, right;
        for (int block = 0; block < 48; ++block) {
            if (block % 8 == 0) plugin.sendMidi({{0, 0x90, 60, 100}, {100, 0x80, 60, 0}});
            for (int tag : {1, 57, 58, 250, 333, 341})
                plugin.setParameter(tag, static_cast<float>((block * 7 + tag) % 10) / 10.0f);
            plugin.process(512, left, right);
        }
        done = true;
    });
    int idles = 0;
    while (!done.load() || idles < 100) {
        plugin.dispatch(effEditIdle);
        ++idles;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    audio.join();
    plugin.dispatch(effEditClose);
    EXPECT_GE(idles, 100);
}

} // namespace
