#include "core/platform/TextCodec.h"

#include "TestFiles.h"
#include "core/platform/TIniFile.h"

#include <gtest/gtest.h>

#include <random>

using namespace kb;

namespace {

TEST(TextCodec, DecodesEachValueAsUtf8OrWindows1252) {
    const struct {
        const char* name;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"ASCII", "Plain 123", "Plain 123"},
        {"UTF-8", "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xE5\x8C\x97 \xF0\x9F\x98\x80",
         "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xE5\x8C\x97 \xF0\x9F\x98\x80"},
        {"Windows-1252 letters", "Wei\xDF M\xFCller", "Wei\xC3\x9F M\xC3\xBCller"},
        {"Windows-1252 0x80-0x9F", "\x80\x84\x85\x8A\x91\x92\x93\x94\x96\x97\x99\x9F",
         "\xE2\x82\xAC\xE2\x80\x9E\xE2\x80\xA6\xC5\xA0\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"
         "\xE2\x80\x93\xE2\x80\x94\xE2\x84\xA2\xC5\xB8"},
        {"bytes the code page leaves free", "\x81\x8D\x8F\x90\x9D",
         "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        // One stray byte makes the whole value 8-bit, so no part of it is half read.
        {"UTF-8 with a stray byte", "\xC3\xA4 \xE4", "\xC3\x83\xC2\xA4 \xC3\xA4"},
        {"overlong form", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"encoded surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"cut sequence at the end", "ab\xE2\x82", "ab\xC3\xA2\xE2\x80\x9A"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeText(c.bytes), c.text) << c.name;
        EXPECT_TRUE(IsValidUtf8(DecodeText(c.bytes))) << c.name;
    }
}

TEST(TextCodec, EncodesInWindows1252WhereItHoldsTheValue) {
    const struct {
        const char* name;
        std::string text;
        std::string bytes;
    } cases[] = {
        {"ASCII", "Ann Smith", "Ann Smith"},
        {"Windows-1252", "Wei\xC3\x9F \xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C", "Wei\xDF \x80 \x84x\x93"},
        {"beyond Windows-1252", "Dvo\xC5\x99\xC3\xA1k", "Dvo\xC5\x99\xC3\xA1k"},
        {"emoji", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"free byte of the code page", "\xC2\x81", "\x81"},
        // As 8-bit bytes this would read back as "ü": kept in UTF-8, it reads back as written.
        {"8-bit text that looks like UTF-8", "\xC3\x83\xC2\xBC", "\xC3\x83\xC2\xBC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeForFile(c.text), c.bytes) << c.name;
}

TEST(TextCodec, EveryTextAndEvery8BitValueRoundTrips) {
    std::mt19937 random(1252);
    for (int n = 0; n < 20000; ++n) {
        std::string bytes(std::uniform_int_distribution<int>(0, 12)(random), '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        const std::string text = DecodeText(bytes);
        ASSERT_EQ(DecodeText(EncodeForFile(text)), text) << n;
        // A value an 8-bit program wrote is saved again byte for byte.
        if (!IsValidUtf8(bytes))
            ASSERT_EQ(EncodeForFile(text), bytes) << n;
    }
}

TEST(TextCodec, CountsAndCutsCharacters) {
    const std::string text = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(CharacterCount(text), 5u);
    const struct {
        std::size_t max;
        std::string cut;
    } cases[] = {{0, ""},
                 {1, "a"},
                 {2, "a\xC3\xA4"},
                 {3, "a\xC3\xA4\xE2\x82\xAC"},
                 {4, "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
                 {9, text}};
    for (const auto& c : cases)
        EXPECT_EQ(CutToCharacters(text, c.max), c.cut) << c.max;
}

TEST(TextCodec, Utf16FilesBecomeLinesOfTheRule) {
    const struct {
        const char* name;
        std::string data;
        std::string text;
    } cases[] = {
        {"little endian", std::string("\xFF\xFEW\0\xDF\0\r\0\n\0\x59\x01\xAC\x20", 14),
         "W\xDF\r\n\xC5\x99\xE2\x82\xAC"},
        {"big endian with a pair", std::string("\xFE\xFF\0a\xD8\x3D\xDE\0\0\n\0\x80", 12),
         "a\xF0\x9F\x98\x80\n\xC2\x80"},
        {"lone surrogate and odd byte", std::string("\xFF\xFE\x00\xD8x\0y", 7), "\xEF\xBF\xBDx"},
        {"no byte order mark", "[Data]\nA=\xE4", "[Data]\nA=\xE4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileTextFromUtf16(c.data), c.text) << c.name;
}

TEST(TextCodec, ProfileValuesAreCutByCharacters) {
    TempDir dir;
    std::string euros;
    for (int n = 0; n < 3000; ++n)
        euros += "\xE2\x82\xAC";
    const std::string path =
        dir.write("long.ini", "[S]\nutf8=" + euros + "\n8bit=" + std::string(3000, '\x80') + "\n");
    const TIniFile ini(path);
    for (const char* key : {"utf8", "8bit"}) {
        const std::string value = ini.ReadString("S", key, "");
        EXPECT_EQ(CharacterCount(value), TIniFile::kMaxValueLength) << key;
        EXPECT_EQ(value, euros.substr(0, 3 * TIniFile::kMaxValueLength)) << key;
    }
}

} // namespace
