// The tests' entry point: before any test runs, the process gets a folder of its own below
// $TMPDIR (else /tmp), with the preferences and data files in it, so neither the unit tests nor
// the plug-in they load ever touch the real home, and no run finds what an earlier one left.
// The tests make their scratch folders below it too ($ZEK2_TEST_TMP); the whole folder goes
// when the tests are done, whatever a test left in it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string run = std::string((tmp && tmp[0] == '/') ? tmp : "/tmp") + "/zek2testsXXXXXX";
    if (!mkdtemp(run.data())) {
        std::perror(("cannot make the tests' folder " + run).c_str());
        return 1;
    }
    setenv("ZEK2_TEST_TMP", run.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (run + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (run + "/data").c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(run, ignored);
    return failed;
}
