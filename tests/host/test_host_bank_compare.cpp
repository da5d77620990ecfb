// renderbank --compare as one checking a change runs it: the same figures pass; a file that
// lacks presets, holds others, or has fewer figures for one fails, and every such preset is
// named, so a comparison never passes on figures it did not see.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#ifdef ZEK2_RENDERBANK_PATH

namespace {

struct CompareRun {
    int status = -1;
    std::string output;
};

CompareRun compare(const std::string& before, const std::string& after) {
    CompareRun run;
    const std::string command = std::string("\"") + ZEK2_RENDERBANK_PATH + "\" --compare \"" +
                                before + "\" \"" + after + "\" 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) run.output += buffer;
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

// The output line that begins with a preset's name, or "".
std::string lineOf(const std::string& output, const std::string& name) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, name.size() + 1, name + " ") == 0) return line;
    return "";
}

} // namespace

TEST(HostBankCompare, EveryPresetMissingFromEitherSideIsNamedAndFails) {
    const char* base = std::getenv("ZEK2_TEST_TMP");
    std::string folder = std::string((base && base[0] == '/') ? base : "/tmp") + "/zek2cmpXXXXXX";
    ASSERT_TRUE(mkdtemp(folder.data()));
    // A name, a tab, loudness, peak, the count of spectral peaks, the peaks, the bands.
    const std::string sine = "Init Sine\t-23.1 -5 2 440 880 -30 -40 -50\n";
    const std::string bass = "Bass One\t-22 -4 2 55 110 -20 -30 -40\n";
    const std::string pad = "Pad Two\t-24 -6 2 220 440 -35 -45 -55\n";
    const std::string lead = "Lead Three\t-21 -3 2 330 660 -25 -35 -45\n";
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(folder + "/" + name) << text;
        return folder + "/" + name;
    };
    const std::string full = write("full", sine + bass + pad + lead);
    const std::string part = write("part", sine + bass + "Other\t-21 -3 2 330 660 -25 -35 -45\n");
    const std::string fewer = write("fewer", sine + bass + pad + "Lead Three\t-21 -3 2 330 660\n");

    const CompareRun same = compare(full, full);
    EXPECT_EQ(same.status, 0) << same.output;
    EXPECT_NE(same.output.find("0 presets outside the tolerances, 0 missing"), std::string::npos)
        << same.output;

    for (const bool reversed : {false, true}) {
        const CompareRun run = reversed ? compare(part, full) : compare(full, part);
        EXPECT_EQ(run.status, 1) << run.output;
        for (const char* name : {"Pad Two", "Lead Three", "Other"})
            EXPECT_NE(lineOf(run.output, name).find("MISSING"), std::string::npos) << name << "\n"
                                                                                   << run.output;
        EXPECT_EQ(lineOf(run.output, "Bass One").find("MISSING"), std::string::npos);
        EXPECT_NE(run.output.find("3 missing"), std::string::npos) << run.output;
    }

    const CompareRun cut = compare(full, fewer);
    EXPECT_EQ(cut.status, 1) << cut.output;
    EXPECT_NE(lineOf(cut.output, "Lead Three").find("DIFFERS"), std::string::npos) << cut.output;
    std::filesystem::remove_all(folder);
}

#endif
