// A controller map kept in the preferences, as a saved or learnt map leaves it, drives its
// parameter in a freshly loaded plug-in, with soft take-over.
#include "engine/params/ParamTags.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kController = 20;

// Points the preferences at a private file mapping kController to the filter frequency; false
// when this process has loaded a plug-in already (the preferences are read once).
bool usePrefsWithMap(std::string& folder) {
    if (testhost::openedPlugins() > 0) return false;
    const char* base = std::getenv("ZEK2_TEST_TMP");
    folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2mapXXXXXX";
    if (!mkdtemp(folder.data())) return false;
    mkdir((folder + "/VMQX").c_str(), 0700);
    std::ofstream conf(folder + "/VMQX/com.VMQX.ZEK2.conf");
    conf << "i " << kController << "=" << tag::FilterFrequency << "\ns MIDICapture=Y\n";
    conf.close();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    return true;
}

} // namespace

TEST(HostFilesMidiMap, AMappedControllerWaitsForTheSoundsValueThenFollows) {
    std::string folder;
    if (!usePrefsWithMap(folder)) GTEST_SKIP() << "a plug-in was loaded before in this process";
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } cleanup{folder};
    testhost::Plugin p(48000.0f, 256);
    std::vector<float> l, r;
    p.process(4096, l, r); // the first program lands
    const float loaded = p.getParameter(tag::FilterFrequency);
    const int near = static_cast<int>(std::lround(loaded * 127.0f));
    const int far = loaded < 0.5f ? 127 : 0;

    p.sendMidi({{0, 0xB0, kController, far}});
    p.process(64, l, r);
    EXPECT_EQ(p.getParameter(tag::FilterFrequency), loaded) << "far from the value: no jump";
    p.sendMidi({{0, 0xB0, kController, near}});
    p.process(64, l, r);
    EXPECT_FLOAT_EQ(p.getParameter(tag::FilterFrequency), near / 127.0f);
    p.sendMidi({{0, 0xB0, kController, far}});
    p.process(64, l, r);
    EXPECT_FLOAT_EQ(p.getParameter(tag::FilterFrequency), far / 127.0f) << "caught: follows";
}
