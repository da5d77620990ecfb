// renderbank --compare as one checking a change runs it: the same figures pass; a file that
// lacks presets, holds others, or has fewer figures for one fails, and every such preset is
// named, so a comparison never passes on figures it did not see. A chord run writes its
// figures too, and a run leaves nothing in its output folder but the renders and figures. A run
// makes its output folder with the parents it lacks; one that cannot finish says why in one line
// on stderr, before printing anything or making the folder when it can know that early.
#include "tests/unit/TestFolders.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef ZEK2_RENDERBANK_PATH

namespace {

// One run's stdout, stderr and exit status.
struct Outcome {
    std::string out, err;
    int status = -1;
};

// renderbank with `arguments` (quoted as they come) and `redirect` for its stderr.
Outcome run(const std::string& arguments, const std::string& redirect) {
    const std::string command =
        std::string("\"") + ZEK2_RENDERBANK_PATH + "\" " + arguments + " " + redirect;
    Outcome o;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return o;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) o.out += buffer;
    const int raw = pclose(pipe);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return o;
}

// The output of renderbank with `arguments`, stderr within it and its exit status last.
std::string renderbank(const std::string& arguments) {
    const Outcome o = run(arguments, "2>&1");
    return o.out + "exit " + std::to_string(o.status);
}

std::string compare(const std::string& before, const std::string& after) {
    return renderbank("--compare \"" + before + "\" \"" + after + "\"");
}

// One run with its stderr kept apart in the file `errors`.
Outcome renderbankApart(const std::vector<std::string>& arguments, const std::string& errors) {
    std::string quoted;
    for (const std::string& a : arguments) quoted += " \"" + a + "\"";
    Outcome o = run(quoted, "2>\"" + errors + "\"");
    std::ifstream in(errors);
    o.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return o;
}

bool has(const std::string& output, const std::string& text) {
    return output.find(text) != std::string::npos;
}

} // namespace

TEST(HostBankCompare, EveryPresetMissingFromEitherSideIsNamedAndFails) {
    const std::string folder = makeTempFolder("zek2cmp");
    ASSERT_FALSE(folder.empty());
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

#ifdef ZEK2_BANK_TEXT_PATH
TEST(HostBankCompare, RenderbankMakesItsFolderOrSaysWhatIsWrongInOneLine) {
    const std::string f = makeTempFolder("zek2rb");
    ASSERT_FALSE(f.empty());
    const std::string bank = ZEK2_BANK_TEXT_PATH;
    std::ofstream(f + "/file") << "x\n";
    std::ofstream(f + "/empty");
    // A folder where the WAV file goes: only that write fails, after the preset has rendered.
    std::filesystem::create_directories(f + "/w/000_Init_Sine.wav");
    struct Case {
        std::vector<std::string> arguments;
        std::string err;     // all of stderr; a run that says nothing there exits with 0
        std::string out;     // a part of stdout; none means stdout stays empty
        std::string exists;  // a path the run made
        std::string missing; // a path the run must not make
    } cases[] = {
        {{bank, f + "/a/b/out", "Init Sine"}, "", "0    Init Sine", f + "/a/b/out/figures.txt", ""},
        {{bank, f + "/file/out", "Init Sine"},
         "renderbank: cannot make the output folder " + f + "/file/out: Not a directory\n",
         "",
         "",
         ""},
        {{f + "/nosuch.txt", f + "/c"},
         "renderbank: cannot read " + f + "/nosuch.txt: No such file or directory\n",
         "",
         "",
         f + "/c"},
        {{f + "/empty", f + "/c"}, "renderbank: no presets in " + f + "/empty\n", "", "", f + "/c"},
        {{bank, f + "/c", "No Such Preset"},
         "renderbank: no preset in " + bank + " has \"No Such Preset\" in its name\n",
         "",
         "",
         f + "/c"},
        {{bank, f + "/w", "Init Sine"},
         "renderbank: cannot write " + f + "/w/000_Init_Sine.wav\n",
         "0    Init Sine",
         f + "/w/000_Init_Sine.png",
         ""},
        {{"--compare", f + "/empty", f + "/nosuch.txt"},
         "renderbank: cannot read " + f + "/nosuch.txt: No such file or directory\n",
         "",
         "",
         ""},
    };
    for (const Case& c : cases) {
        const Outcome o = renderbankApart(c.arguments, f + "/stderr");
        const std::string what = c.arguments[0] + " " + c.arguments[1];
        EXPECT_EQ(o.status, c.err.empty() ? 0 : 1) << what;
        EXPECT_EQ(o.err, c.err) << what;
        EXPECT_TRUE(c.out.empty() ? o.out.empty() : has(o.out, c.out)) << what << "\n" << o.out;
        EXPECT_TRUE(c.exists.empty() || std::filesystem::exists(c.exists)) << c.exists;
        EXPECT_TRUE(c.missing.empty() || !std::filesystem::exists(c.missing)) << c.missing;
    }
    std::filesystem::remove_all(f);
}
#endif

#endif
