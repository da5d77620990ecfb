// Build-time generator of the built-in preset bank: reads the readable bank text, checks it
// against the parameter table and writes the C++ source that defines DEMOVAR and DEMO_NAMES.
// Runs on the build host only; usage: presetgen <bank.txt> <DemoBank.cpp>
#include "engine/host/DemoBank.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"
#include "engine/voice/UserWaveShapes.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The folder text every preset carries; exactly DEMO_FOLDER_LENGTH characters.
constexpr char kFolderText[] = "ZEK2 Factory   ";
static_assert(sizeof(kFolderText) - 1 == DEMO_FOLDER_LENGTH, "folder text has a fixed length");

// The preset-text band: written by the generator alone, never by a preset block.
constexpr int kTextFirst = tag::PresetParamFirst;
constexpr int kTextLast = tag::PresetParamFirst + tag::PresetParamCount - 1;

// Characters that text in tags would store as something else.
constexpr char kCleanedChars[] = ":?|<>\"*/\\";

using PresetValues = std::array<float, tag::Count>;

struct Preset {
    std::string name;
    PresetValues values;
};

struct Table {
    std::array<ParamDef, tag::Count> defs;
    std::array<bool, tag::Count> defined{};
    std::map<std::string, int> byName; // -1 marks a name that two tags share
};

bool isStepped(const ParamDef& def) {
    return def.steppedNum > 0 && def.steppedRange > 0.0f;
}

int readStep(float value, const ParamDef& def) {
    return stepIndexOf(value, def.steppedRange, def.steppedNum);
}

float textValue(unsigned char c) {
    return charStoredValue(c);
}

void buildTable(Table& table) {
    for (int t = 0; t < tag::Count; ++t) defaultParamDef(t, table.defs[t]);
    forEachParamDef([&table](const ParamDef& def) {
        if (def.tag < 0 || def.tag >= tag::Count) return;
        table.defs[def.tag] = def;
        table.defined[def.tag] = true;
    });
    for (int t = 0; t < tag::Count; ++t) {
        if (!table.defined[t]) continue;
        auto inserted = table.byName.emplace(table.defs[t].name, t);
        if (!inserted.second) inserted.first->second = -1;
    }
}

// Every preset starts from the defaults. A stepped default is stored as the exact step it reads
// as, so the bank never holds a value between steps.
bool buildBase(const Table& table, PresetValues& base, std::string& error) {
    for (int t = 0; t < tag::Count; ++t) {
        const ParamDef& def = table.defs[t];
        float v = (t >= kTextFirst && t <= kTextLast) ? 0.0f : def.defaultValue;
        if (def.onOff) v = v >= 0.5f ? 1.0f : 0.0f;
        if (isStepped(def)) v = stepStoredValue(readStep(v, def), def.steppedRange);
        if (!(v >= 0.0f && v <= 1.0f)) {
            error = "the default of tag " + std::to_string(t) + " is stored outside 0..1";
            return false;
        }
        base[t] = v;
    }
    return true;
}

std::string trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool isAllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

class BankParser {
public:
    BankParser(const Table& paramTable, const PresetValues& defaults, const std::string& bankPath)
        : table(paramTable), base(defaults), path(bankPath) {}

    bool parse(std::istream& in, std::vector<Preset>& presets) {
        std::string raw;
        int lineNo = 0;
        while (std::getline(in, raw)) {
            ++lineNo;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            const std::string line = trim(raw);
            if (line.empty() || line[0] == '#') continue;
            const size_t eq = line.find('=');
            bool ok = true;
            if (eq == std::string::npos) {
                ok = startPreset(line, lineNo, presets);
            } else {
                // A value may carry a trailing comment, such as the name of a step.
                const std::string value = line.substr(eq + 1);
                ok = setValue(trim(line.substr(0, eq)), trim(value.substr(0, value.find('#'))),
                              lineNo, presets);
            }
            if (!ok) return false;
        }
        if (static_cast<int>(presets.size()) != DEMO_PRESET_COUNT) {
            message = path + ": the bank holds " + std::to_string(presets.size()) +
                      " presets; it must hold exactly " + std::to_string(DEMO_PRESET_COUNT);
            return false;
        }
        return true;
    }

    const std::string& error() const { return message; }

private:
    bool fail(int lineNo, const std::string& text) {
        message = path + ":" + std::to_string(lineNo) + ": " + text;
        return false;
    }

    bool startPreset(const std::string& name, int lineNo, std::vector<Preset>& presets) {
        if (static_cast<int>(presets.size()) >= DEMO_PRESET_COUNT) {
            return fail(lineNo, "preset \"" + name + "\" is one more than the " +
                                    std::to_string(DEMO_PRESET_COUNT) + " the bank holds");
        }
        if (static_cast<int>(name.size()) > DEMO_NAME_MAX_LENGTH) {
            return fail(lineNo, "preset name \"" + name + "\" is longer than " +
                                    std::to_string(DEMO_NAME_MAX_LENGTH) + " characters");
        }
        for (char c : name) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 32 || u > 126) {
                return fail(lineNo, "preset name \"" + name + "\" holds a non-printable character");
            }
            for (const char* p = kCleanedChars; *p; ++p) {
                if (c == *p) {
                    return fail(lineNo, "preset name \"" + name + "\" holds '" + std::string(1, c) +
                                            "', which the name tags cannot keep");
                }
            }
        }
        auto seen = nameLines.emplace(name, lineNo);
        if (!seen.second) {
            return fail(lineNo, "preset name \"" + name + "\" is already used on line " +
                                    std::to_string(seen.first->second));
        }
        presets.push_back(Preset{name, base});
        setInPreset.fill(false);
        return true;
    }

    bool resolveTag(const std::string& key, int lineNo, int& t) {
        if (isAllDigits(key)) {
            t = key.size() > 5 ? tag::Count : std::atoi(key.c_str());
            if (t >= tag::Count || !table.defined[t]) {
                return fail(lineNo, "tag number " + key + " names no parameter");
            }
        } else {
            const auto found = table.byName.find(key);
            if (found == table.byName.end()) return fail(lineNo, "unknown tag \"" + key + "\"");
            if (found->second < 0) {
                return fail(lineNo, "tag name \"" + key + "\" is shared; give the tag number");
            }
            t = found->second;
        }
        if (t >= kTextFirst && t <= kTextLast) {
            return fail(lineNo, "tag " + std::to_string(t) +
                                    " holds preset text, which comes from the name line");
        }
        return true;
    }

    bool setValue(const std::string& key, const std::string& text, int lineNo,
                  std::vector<Preset>& presets) {
        if (presets.empty()) return fail(lineNo, "a value comes before the first preset name");
        int t = 0;
        if (!resolveTag(key, lineNo, t)) return false;
        if (setInPreset[t]) return fail(lineNo, "tag \"" + key + "\" is set twice in one preset");
        setInPreset[t] = true;

        const ParamDef& def = table.defs[t];
        const std::string what = "\"" + def.name + "\" (tag " + std::to_string(t) + ")";
        float& slot = presets.back().values[t];
        if (def.onOff) {
            if (text != "on" && text != "off") {
                return fail(lineNo,
                            what + " is a switch: its value is on or off, not \"" + text + "\"");
            }
            slot = text == "on" ? 1.0f : 0.0f;
            return true;
        }
        if (isStepped(def)) {
            const std::string prefix = "step ";
            const std::string number =
                text.compare(0, prefix.size(), prefix) == 0 ? trim(text.substr(prefix.size())) : "";
            if (!isAllDigits(number)) {
                return fail(lineNo,
                            what + " is stepped: its value is \"step N\", not \"" + text + "\"");
            }
            const int index = number.size() > 5 ? def.steppedNum : std::atoi(number.c_str());
            if (index >= def.steppedNum) {
                return fail(lineNo, what + " has steps 0.." + std::to_string(def.steppedNum - 1) +
                                        ", not " + number);
            }
            const float v = stepStoredValue(index, def.steppedRange);
            if (v > 1.0f) {
                return fail(lineNo, what + " step " + number + " would be stored above 1");
            }
            slot = v;
            return true;
        }
        char* end = nullptr;
        errno = 0;
        const double v = text.empty() ? -1.0 : std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v)) {
            return fail(lineNo, what + " needs a number 0..1, not \"" + text + "\"");
        }
        if (v < 0.0 || v > 1.0) return fail(lineNo, what + " value " + text + " is outside 0..1");
        slot = static_cast<float>(v);
        return true;
    }

    const Table& table;
    const PresetValues& base;
    std::string path;
    std::string message;
    std::map<std::string, int> nameLines;
    std::array<bool, tag::Count> setInPreset{};
};

// A preset that picks a built-in shape for a user wave, and sets none of that wave's points
// itself, carries the shape's points: four points per shape point, linearly between them, as
// the editor's shape menu writes them. The wave then sounds as named without the editor.
constexpr int kWavePoints = 512;
constexpr float kWavePresetRange = 511.99f;

void fillUserWaves(Preset& preset, const PresetValues& base) {
    const int presetTags[2] = {tag::UserWave1Preset, tag::UserWave2Preset};
    const int firstTags[2] = {tag::UserWave1First, tag::UserWave2First};
    for (int w = 0; w < 2; ++w) {
        const int shape =
            stepIndexOf(preset.values[presetTags[w]], kWavePresetRange, USER_WAVE_PRESET_COUNT);
        if (shape <= 0) continue;
        bool pointsSet = false;
        for (int k = 0; k < kWavePoints; ++k)
            pointsSet = pointsSet || preset.values[firstTags[w] + k] != base[firstTags[w] + k];
        if (pointsSet) continue;
        const float* b = BUILT_IN_ADD_WAVE[shape];
        for (int j = 0; j < USER_WAVE_SHAPE_POINTS; ++j) {
            const float b0 = b[j], b1 = b[(j + 1) % USER_WAVE_SHAPE_POINTS];
            for (int m = 0; m < 4; ++m) {
                preset.values[firstTags[w] + 4 * j + m] =
                    b0 + (b1 - b0) * static_cast<float>(m) * 0.25f;
            }
        }
    }
}

// Name and folder text, one character per tag; the remaining text tags stay empty.
void writeText(Preset& preset) {
    for (int i = 0; i < DEMO_FOLDER_LENGTH; ++i) {
        preset.values[DEMO_FOLDER_FIRST + i] =
            textValue(static_cast<unsigned char>(kFolderText[i]));
    }
    for (size_t i = 0; i < preset.name.size(); ++i) {
        preset.values[tag::PresetNameFirst + static_cast<int>(i)] =
            textValue(static_cast<unsigned char>(preset.name[i]));
    }
}

// The shortest decimal literal that reads back as exactly the same float.
std::string floatLiteral(float v) {
    if (v == 0.0f) return "0.0f";
    char buf[32];
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(buf, sizeof(buf), "%.*g", precision, static_cast<double>(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    std::string s = buf;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s + "f";
}

std::string generate(const std::vector<Preset>& presets) {
    std::ostringstream out;
    out << "// The built-in preset bank as compiled data, written by presetgen from "
           "presets/bank.txt.\n"
           "// Generated at build time: edit the bank text, not this file.\n"
           "#include \"engine/host/DemoBank.h\"\n\n"
           "const char* const DEMO_NAMES[DEMO_PRESET_COUNT] = {\n";
    for (const Preset& p : presets) out << "    \"" << p.name << "\",\n";
    out << "};\n\nconst float DEMOVAR[DEMO_PRESET_COUNT][tag::Count] = {\n";
    for (size_t n = 0; n < presets.size(); ++n) {
        out << "    // " << n << ": " << presets[n].name << "\n    {";
        for (int t = 0; t < tag::Count; ++t) {
            out << (t % 8 == 0 ? "\n        " : " ") << floatLiteral(presets[n].values[t]) << ",";
        }
        out << "\n    },\n";
    }
    out << "};\n";
    return out.str();
}

// Writes beside the target and renames, so a failed run never leaves a half-written source.
bool writeFile(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file << text;
        if (!file.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: presetgen <bank.txt> <DemoBank.cpp>\n";
        return 2;
    }
    const std::string inPath = argv[1];
    const std::string outPath = argv[2];

    Table table;
    buildTable(table);
    PresetValues base{};
    std::string error;
    if (!buildBase(table, base, error)) {
        std::cerr << "presetgen: " << error << "\n";
        return 1;
    }

    std::ifstream in(inPath);
    if (!in) {
        std::cerr << "presetgen: cannot open " << inPath << "\n";
        return 1;
    }
    std::vector<Preset> presets;
    BankParser parser(table, base, inPath);
    if (!parser.parse(in, presets)) {
        std::cerr << "presetgen: error: " << parser.error() << "\n";
        return 1;
    }
    for (Preset& p : presets) {
        fillUserWaves(p, base);
        writeText(p);
    }

    if (!writeFile(outPath, generate(presets))) {
        std::cerr << "presetgen: cannot write " << outPath << "\n";
        return 1;
    }
    return 0;
}
