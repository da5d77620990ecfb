// renderbank --compare as one checking a change runs it: the same figures pass; a file that
// lacks presets, holds others, or has fewer figures for one fails, and every such preset is
// named, so a comparison never passes on figures it did not see. A chord run writes its
// figures too, and a run leaves nothing in its output folder but the renders and figures.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef ZEK2_RENDERBANK_PATH

namespace {

// The output of renderbank with `arguments`, its exit status last.
std::string renderbank(const std::string& arguments) {
    const std::string command =
        std::string("\"") + ZEK2_RENDERBANK_PATH + "\" " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) output += buffer;
    const int raw = pclose(pipe);
    return output + "exit " + std::to_string(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
}

std::string compare(const std::string& before, const std::string& after) {
    return renderbank("--compare \"" + before + "\" \"" + after + "\"");
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

#ifdef ZEK2_BANK_TEXT_PATH
    // A chord run on one preset: its figures compare with themselves, and the output folder
    // holds the chord's files and the figures, no folder of the plug-in's preferences.
    const std::string chords = folder + "/chords";
    const std::string run =
        renderbank("--chord 2 \"" ZEK2_BANK_TEXT_PATH "\" \"" + chords + "\" \"Init Sine\"");
    EXPECT_TRUE(has(run, "exit 0")) << run;
    std::ifstream figures(chords + "/figures.txt");
    std::string line;
    EXPECT_TRUE(std::getline(figures, line) && line.rfind("Init Sine\t", 0) == 0) << line;
    const std::string self = compare(chords + "/figures.txt", chords + "/figures.txt");
    EXPECT_TRUE(has(self, "0 presets outside the tolerances, 0 missing from one file\nexit 0"))
        << self;
    for (const auto& entry : std::filesystem::directory_iterator(chords))
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
#endif
    std::filesystem::remove_all(folder);
}

#endif
