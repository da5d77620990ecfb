// Tests of the string and path helpers at their edges: buffers cut on UTF-8 boundaries,
// file names with and without folders or extensions, and number parsing whatever the
// process locale.

#include "platform/strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace {

bool isValidUtf8(std::string const& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 4;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

TEST(PlatformStrings, BuffersAreCutOnCharacterBoundaries) {
    std::string mixed = "aé€😀b"; // 1 + 2 + 3 + 4 + 1 bytes
    for (std::size_t size = 1; size <= mixed.size() + 2; ++size) {
        char buffer[32];
        std::memset(buffer, '#', sizeof(buffer));
        bool whole = copyToBuffer(mixed, buffer, size);
        std::string copied(buffer);
        EXPECT_LT(copied.size(), size);
        EXPECT_TRUE(isValidUtf8(copied)) << size;
        EXPECT_EQ(mixed.compare(0, copied.size(), copied), 0);
        EXPECT_EQ(whole, copied == mixed);
        EXPECT_EQ(buffer[size], '#') << "nothing written past the buffer";
    }
    char small[5];
    copyToBuffer(mixed, small, sizeof(small));
    EXPECT_STREQ(small, "aé") << "the euro sign would not fit whole";
    EXPECT_EQ(utf8CutLength("😀", 3), 0u);
    EXPECT_TRUE(copyToBuffer("", nullptr, 0));
}

TEST(PlatformStrings, StripAllButNumKeepsDigitsSignsAndPoints) {
    std::string text = "Value: -12.5 dB";
    stripAllButNum(text);
    EXPECT_EQ(text, "-12.5");
    char buffer[kTextBufferSize] = "1e3";
    stripAllButNum(buffer);
    EXPECT_STREQ(buffer, "13");
    std::string utf8 = "½ 4²€+";
    stripAllButNum(utf8);
    EXPECT_EQ(utf8, "4+");
}

TEST(PlatformStrings, FileNamePiecesAtTheirEdges) {
    EXPECT_EQ(getFileNameExtensionsStr("/a/b/Kick.wav"), ".wav");
    EXPECT_EQ(getFileNameExtensionsStr("/a/b/Kick"), "");
    EXPECT_EQ(getFileNameExtensionsStr("/a/b/Kick." + std::string(300, 'w')),
              "." + std::string(300, 'w'));

    char name[kTextBufferSize];
    getFileNameOnly("/x/y/Just 12.tun", name, true);
    EXPECT_STREQ(name, "Just 12");
    getFileNameOnly("C:\\tunings\\Pelog.tun", name, true);
    EXPECT_STREQ(name, "Pelog");
    getFileNameOnly("Bare.tun", name, true);
    EXPECT_STREQ(name, "") << "no folder: no name";
    getFileNameOnly("/x.2/Kick", name, true);
    EXPECT_STREQ(name, "Kick") << "a dot in a folder is no extension";

    // A 300-byte name fills a default buffer to 255 bytes; a multibyte one is cut whole.
    std::string longName(300, 'n');
    getFileNameOnly(("/f/" + longName + ".tun").c_str(), name, true);
    EXPECT_EQ(std::string(name), longName.substr(0, 255));
    EXPECT_EQ(getFileNameOnlyStr("/f/" + longName + ".tun", true), longName);
    char small[8];
    getFileNameOnly("/f/ÄÖÜäöü.tun", small, sizeof(small), true);
    EXPECT_STREQ(small, "ÄÖÜ");

    EXPECT_EQ(getFolderNameOnlyStr("/a/Waves/c.wve"), "Waves");
    EXPECT_EQ(getFolderNameOnlyStr("/c.wve"), "");
    std::string slashed = "/a/b/";
    removeEndSlash(slashed);
    EXPECT_EQ(slashed, "/a/b");
    EXPECT_EQ(getFullPathForFileNameStr("Root Folder", "x.eq"), "x.eq");
}

TEST(PlatformStrings, NumbersParseTheSameInEveryLocale) {
    // Under a locale with a decimal comma (where one is installed) the results must not
    // change.
    char const* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    for (char const* locale : {"C", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, locale) == nullptr) continue;
        double value = 0.0;
        EXPECT_TRUE(parseNumberC("12.5", value));
        EXPECT_DOUBLE_EQ(value, 12.5);
        EXPECT_TRUE(parseNumberC("+.25", value));
        EXPECT_DOUBLE_EQ(value, 0.25);
        EXPECT_TRUE(parseNumberC("-3.5-1", value));
        EXPECT_DOUBLE_EQ(value, -3.5);
        value = 7.0;
        for (char const* bad : {"", "-", "+", ".", "+-1", "inf", "nan", "1e999", "-.", "e5"}) {
            EXPECT_FALSE(parseNumberC(bad, value)) << bad;
            EXPECT_DOUBLE_EQ(value, 7.0);
        }
        EXPECT_EQ(floatString(0.5f, 2), "0.50");
        EXPECT_EQ(floatString(-1234.5f, 1), "-1234.5");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());

    int number = 99;
    EXPECT_TRUE(parseLeadingInt("3.9", number));
    EXPECT_EQ(number, 3);
    EXPECT_TRUE(parseLeadingInt("-2147483648", number));
    EXPECT_EQ(number, -2147483647 - 1);
    number = 99;
    for (char const* bad : {"", "-", "+", ".5", "2147483648", "99999999999", "--1", "+-1"}) {
        EXPECT_FALSE(parseLeadingInt(bad, number)) << bad;
        EXPECT_EQ(number, 99);
    }
}

} // namespace
