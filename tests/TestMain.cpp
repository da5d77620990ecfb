// The tests' entry point: before any test runs, preferences and data files are sent below the
// build folder, so neither the unit tests nor the plug-in they load ever touch the real home.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const std::string home = ZEK2_TEST_HOME;
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
