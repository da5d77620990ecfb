// renderbank --compare as one checking a change runs it: the same figures pass; a file that
// lacks presets, holds others, or has fewer figures for one fails, and every such preset is
// named, so a comparison never passes on figures it did not see.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef ZEK2_RENDERBANK_PATH

namespace {

// The output of renderbank --compare, its exit status last.
std::string compare(const std::string& before, const std::string& after) {
    const std::string command = std::string("\"") + ZEK2_RENDERBANK_PATH + "\" --compare \"" +
                                before + "\" \"" + after + "\" 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) output += buffer;
    const int raw = pclose(pipe);
    return output + "exit " + std::to_string(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
}

bool has(const std::string& output, const std::string& text) {
    return output.find(text) != std::string::npos;
}

} // namespace

TEST(HostBankCompare, EveryPresetMissingFromEitherSideIsNamedAndFails) {
    const char* base = std::getenv("ZEK2_TEST_TMP");
    std::string folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2cmpXXXXXX";
    ASSERT_TRUE(mkdtemp(folder.data()));
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(folder + "/" + name) << text;
        return folder + "/" + name;
    };
    // A name, a tab, loudness, peak, the count of spectral peaks, the peaks, the bands.
    const std::string two =
        "Init Sine\t-23 -5 2 440 880 -30 -40\nBass One\t-22 -4 2 55 110 -20 -30\n";
    const std::string full = write("full", two + "Pad Two\t-24 -6 2 220 440 -35 -45\n");
    const std::string part = write("part", two + "Other\t-21 -3 2 330 660 -25 -35\n");
    const std::string fewer = write("fewer", two + "Pad Two\t-24 -6 2 220 440\n");

    const std::string same = compare(full, full);
    EXPECT_TRUE(has(same, "0 presets outside the tolerances, 0 missing from one file\nexit 0"))
        << same;
    for (const std::string& run : {compare(full, part), compare(part, full)}) {
        EXPECT_TRUE(has(run, "Pad Two                   MISSING from ")) << run;
        EXPECT_TRUE(has(run, "Other                     MISSING from ")) << run;
        EXPECT_TRUE(has(run, "2 missing from one file\nexit 1")) << run;
    }
    const std::string cut = compare(full, fewer);
    EXPECT_TRUE(has(cut, "DIFFERS\n") && has(cut, "exit 1")) << cut;
    std::filesystem::remove_all(folder);
}

#endif
