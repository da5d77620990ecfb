// The displays' preset files as text: each kind round-trips, damaged files are refused whole,
// and mutated files never crash the reader or leak a value outside 0..1.
#include "engine/files/DisplayPresets.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace zekfiles;

namespace {

const DisplayPresetKind* const KINDS[] = {&kEQPreset, &kModPreset, &kArpPreset, &kXYPreset};

std::string sample(const DisplayPresetKind& k, float* values) {
    for (int i = 0; i < k.count; ++i) values[i] = static_cast<float>((i * 37) % 1001) / 1000.0f;
    return formatDisplayPreset(k, values);
}

} // namespace

TEST(Menus27Files, EachKindRoundTripsUnderACommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // a comma locale where present; '.' must stay
    const std::string folder = makeTempFolder("zek2presets");
    for (const DisplayPresetKind* k : KINDS) {
        float in[kMaxDisplayPresetValues], out[kMaxDisplayPresetValues] = {};
        const std::string text = sample(*k, in);
        const std::string path = folder + "/p" + k->extension;
        ASSERT_TRUE(saveDisplayPreset(path, *k, in));
        EXPECT_EQ(readWhole(path), text);
        ASSERT_TRUE(loadDisplayPreset(path, *k, out));
        for (int i = 0; i < k->count; ++i) EXPECT_EQ(out[i], in[i]) << k->extension << i;
        EXPECT_EQ(formatDisplayPreset(*k, out), text); // saved again: the same bytes
        int lines = 0;
        for (char c : text) lines += c == '\n';
        EXPECT_EQ(lines, k->count + (k->header ? 1 : 0));
    }
    EXPECT_EQ(formatDisplayPreset(kXYPreset, std::vector<float>(74, 0.5f).data()).substr(0, 9),
              "0.500000\n");
    std::setlocale(LC_ALL, saved.c_str());
    std::filesystem::remove_all(folder);
}

TEST(Menus27Files, DamagedFilesAreRefusedWholeAndExtraLinesIgnored) {
    float in[kMaxDisplayPresetValues];
    const std::string good = sample(kModPreset, in);
    float out[kMaxDisplayPresetValues];
    for (float& v : out) v = -7.0f;
    auto refused = [&](const std::string& text) {
        const bool ok = parseDisplayPreset(text, kModPreset, out);
        for (int i = 0; i < kModPreset.count; ++i)
            if (out[i] != -7.0f) return false; // untouched on refusal
        return !ok;
    };
    const std::size_t last = good.rfind('\n', good.size() - 2);
    EXPECT_TRUE(refused(good.substr(0, last + 1))); // one value short
    EXPECT_TRUE(refused(""));                       // empty
    EXPECT_TRUE(refused("V2.0\n"));                 // header only
    for (const char* bad : {"abc", "nan", "inf", "1e40", "1.000001", "-0.0001", "0,5", "0.5x"}) {
        std::string text = good;
        text.replace(5, 8, bad); // the first value
        EXPECT_TRUE(refused(text)) << bad;
    }
    // Any version word; values of exactly 0 and 1; lines past the last value are ignored.
    std::string text = "V9.9\n0\n1" + good.substr(good.find('\n', 5 + 9));
    text += "0.25\n7\nnot read\n";
    ASSERT_TRUE(parseDisplayPreset(text, kModPreset, out));
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 1.0f);
    EXPECT_EQ(out[111], in[111]);
    // Without a header the first word is already a value.
    float xy[kMaxDisplayPresetValues];
    EXPECT_FALSE(parseDisplayPreset("V1.0\n" + sample(kXYPreset, xy), kXYPreset, out));

    EXPECT_EQ(withPresetExtension("/a/b", kEQPreset), "/a/b.eq");
    EXPECT_EQ(withPresetExtension("/a/b.eq", kEQPreset), "/a/b.eq");
    EXPECT_FALSE(saveDisplayPreset("/nonexistent-folder/x.eq", kEQPreset, in));
    EXPECT_FALSE(loadDisplayPreset("/nonexistent-folder/x.eq", kEQPreset, out));
}

TEST(Menus27Files, MutatedFilesNeverYieldAValueOutsideTheRange) {
    std::mt19937 rng(27);
    for (int round = 0; round < 400; ++round) {
        const DisplayPresetKind& k = *KINDS[round % 4];
        float in[kMaxDisplayPresetValues], out[kMaxDisplayPresetValues];
        std::string text = sample(k, in);
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 4) {
            case 0:
                text[at] = static_cast<char>(rng() % 256);
                break;
            case 1:
                text.erase(at, 1 + rng() % 12);
                break;
            case 2:
                text.insert(at, std::string(1 + rng() % 3, "9.-e,\n x"[rng() % 8]));
                break;
            default:
                text.resize(at);
                break;
            }
        }
        for (float& v : out) v = 0.5f;
        if (!parseDisplayPreset(text, k, out)) continue;
        for (int i = 0; i < k.count; ++i) ASSERT_TRUE(out[i] >= 0.0f && out[i] <= 1.0f);
    }
}
