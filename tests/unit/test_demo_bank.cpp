// Checks the built-in preset bank against the engine's parameter descriptors, and that the bank
// generator refuses bad bank text. Runs on the test thread only.
#include "TestFolders.h"
#include "engine/APlugin.h"
#include "engine/host/DemoBank.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kNameTagLast = tag::PresetNameFirst + tag::PresetNameCount - 1;
constexpr int kTextTagLast = tag::PresetParamFirst + tag::PresetParamCount - 1;
constexpr int kFolderTagLast = DEMO_FOLDER_FIRST + DEMO_FOLDER_LENGTH - 1;

// The descriptors as an engine holds them, so the bank is checked against what plays it.
struct Def {
    std::string name;
    bool onOff;
    int steppedNum;
    float steppedRange;
};

const std::array<Def, tag::Count>& defs() {
    static const std::array<Def, tag::Count> built = [] {
        auto engine = std::make_unique<APlugin>(nullptr);
        std::array<Def, tag::Count> d;
        for (int t = 0; t < tag::Count; ++t)
            d[t] = {engine->getParamName(t), engine->getIsOnOff(t), engine->getSteppedNum(t),
                    engine->getSteppedRange(t)};
        return d;
    }();
    return built;
}

bool isStepped(const Def& def) {
    return def.steppedNum > 0 && def.steppedRange > 0.0f;
}

int readStep(float value, const Def& def) {
    return stepIndexOf(value, def.steppedRange, def.steppedNum);
}

float charValue(char c) {
    return charStoredValue(static_cast<unsigned char>(c));
}

int readChar(float value) {
    return charCodeOf(value);
}

bool keptByNameTags(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 32 && u <= 126 && std::strchr(":?|<>\"*/\\", c) == nullptr;
}

TEST(DemoBank, EveryValueFitsItsParameter) {
    int failures = 0;
    for (int n = 0; n < DEMO_PRESET_COUNT; ++n) {
        for (int t = 0; t < tag::Count; ++t) {
            const float v = DEMOVAR[n][t];
            const Def& def = defs()[t];
            const char* problem = nullptr;
            if (!(v >= 0.0f && v <= 1.0f)) {
                problem = "outside 0..1";
            } else if (def.onOff && v != 0.0f && v != 1.0f) {
                problem = "a switch that is neither 0 nor 1";
            } else if (isStepped(def) && v != stepStoredValue(readStep(v, def), def.steppedRange)) {
                problem = "between two steps";
            }
            if (problem && ++failures <= 20) {
                ADD_FAILURE() << "preset " << n << " (" << DEMO_NAMES[n] << ") tag " << t << " \""
                              << def.name << "\" = " << v << " is " << problem;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(DemoBank, NamesAreUniqueAndCarriedInTheNameTags) {
    std::set<std::string> seen;
    for (int n = 0; n < DEMO_PRESET_COUNT; ++n) {
        SCOPED_TRACE("preset " + std::to_string(n));
        ASSERT_NE(DEMO_NAMES[n], nullptr);
        const std::string name = DEMO_NAMES[n];
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), static_cast<size_t>(DEMO_NAME_MAX_LENGTH)) << name;
        EXPECT_TRUE(seen.insert(name).second) << "name used twice: " << name;
        for (char c : name) EXPECT_TRUE(keptByNameTags(c)) << name << " holds '" << c << "'";

        std::string carried;
        for (int t = tag::PresetNameFirst; t <= kNameTagLast; ++t) {
            const size_t i = static_cast<size_t>(t - tag::PresetNameFirst);
            const float expected = i < name.size() ? charValue(name[i]) : 0.0f;
            EXPECT_EQ(DEMOVAR[n][t], expected) << name << " place " << i;
            const int code = readChar(DEMOVAR[n][t]);
            if ((code & 0xFF) != 0) carried += static_cast<char>(code);
        }
        EXPECT_EQ(carried, name);
    }
}

// Two presets that sound alike under different names would be a copying slip in the bank.
TEST(DemoBank, EveryPresetIsADistinctSound) {
    auto sameSound = [](int a, int b) {
        for (int t = 0; t < tag::Count; ++t) {
            if (t >= tag::PresetParamFirst && t <= kTextTagLast) continue;
            if (DEMOVAR[a][t] != DEMOVAR[b][t]) return false;
        }
        return true;
    };
    for (int a = 0; a < DEMO_PRESET_COUNT; ++a) {
        for (int b = a + 1; b < DEMO_PRESET_COUNT; ++b) {
            EXPECT_FALSE(sameSound(a, b)) << DEMO_NAMES[a] << " and " << DEMO_NAMES[b];
        }
    }
}

#ifdef ZEK2_PRESETGEN_PATH

struct GeneratorRun {
    int status = -1;
    std::string output;
    std::string bankPath;
    bool wroteSource = false;
};

// A folder of the test's own, so runs side by side never share the generator's files.
struct ScratchDir {
    std::filesystem::path path{makeTempFolder("zek2presetgen")};
    ScratchDir() = default;
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

GeneratorRun runGenerator(const ScratchDir& scratch, const std::string& caseName,
                          const std::string& bankText) {
    const std::filesystem::path& dir = scratch.path;
    GeneratorRun run;
    run.bankPath = (dir / (caseName + ".txt")).string();
    const std::string source = (dir / (caseName + ".cpp")).string();
    std::filesystem::remove(source);
    {
        std::ofstream file(run.bankPath, std::ios::binary | std::ios::trunc);
        file << bankText;
    }
    const std::string command = std::string("\"") + ZEK2_PRESETGEN_PATH + "\" \"" + run.bankPath +
                                "\" \"" + source + "\" 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe)) run.output += buffer;
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.wroteSource = std::filesystem::exists(source);
    return run;
}

// count presets named "Preset 1".. with one ordinary value each.
std::string goodBank(int count) {
    const std::string volume = defs()[tag::MainVolume].name;
    std::string text = "# test bank\n";
    for (int i = 1; i <= count; ++i) {
        text += "\nPreset " + std::to_string(i) + "\n" + volume + " = 0.7\n";
    }
    return text;
}

TEST(DemoBank, GeneratorWritesAGoodBank) {
    const ScratchDir scratch;
    ASSERT_FALSE(scratch.path.empty());
    const GeneratorRun run = runGenerator(scratch, "good", goodBank(DEMO_PRESET_COUNT));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(run.wroteSource);
}

TEST(DemoBank, GeneratorRefusesBadBankText) {
    const Def& volume = defs()[tag::MainVolume];
    const Def& type = defs()[tag::Osc1Type];
    const Def& osc2On = defs()[tag::Osc2On];
    const std::string over = std::string(DEMO_NAME_MAX_LENGTH + 1, 'x');

    struct Case {
        const char* id;
        std::string text;
        int line; // 0: the message names the file without a line
        const char* says;
    };
    std::vector<Case> cases = {
        {"unknown_name", "Alpha\nNo Such Knob = 0.5\n", 2, "unknown tag"},
        {"number_too_big", "Alpha\n99999999 = 0.5\n", 2, "names no parameter"},
        {"text_tag", "Alpha\n" + std::to_string(tag::PresetNameFirst) + " = 0.5\n", 2,
         "preset text"},
        {"above_one", "Alpha\n" + volume.name + " = 1.5\n", 2, "outside 0..1"},
        {"not_a_number", "Alpha\n" + volume.name + " = loud\n", 2, "needs a number"},
        {"step_past_count",
         "Alpha\n" + type.name + " = step " + std::to_string(type.steppedNum) + "\n", 2,
         "has steps"},
        {"switch_as_number", "Alpha\n" + osc2On.name + " = 1\n", 2, "is a switch"},
        {"duplicate_name", "Alpha\n\nBeta\n\nAlpha\n", 5, "already used on line 1"},
        {"too_few", goodBank(DEMO_PRESET_COUNT - 1), 0, "must hold exactly"},
        {"too_many", goodBank(DEMO_PRESET_COUNT + 1), 2 + 3 * DEMO_PRESET_COUNT + 1,
         "one more than"},
    };
    // A stepped tag whose last step would be stored above 1 must be refused too.
    for (int t = 0; t < tag::Count; ++t) {
        const Def& def = defs()[t];
        if (t >= tag::PresetParamFirst && t <= kTextTagLast) continue;
        if (!isStepped(def) || stepStoredValue(def.steppedNum - 1, def.steppedRange) <= 1.0f)
            continue;
        cases.push_back(
            {"step_above_one",
             "Alpha\n" + std::to_string(t) + " = step " + std::to_string(def.steppedNum - 1) + "\n",
             2, "above 1"});
        break;
    }

    const ScratchDir scratch;
    ASSERT_FALSE(scratch.path.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const GeneratorRun run = runGenerator(scratch, c.id, c.text);
        EXPECT_NE(run.status, 0) << run.output;
        EXPECT_NE(run.status, -1) << "the generator did not run";
        EXPECT_FALSE(run.wroteSource);
        const std::string where =
            c.line > 0 ? run.bankPath + ":" + std::to_string(c.line) + ":" : run.bankPath + ":";
        EXPECT_NE(run.output.find(where), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
}

#endif

} // namespace
