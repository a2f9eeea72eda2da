#include "core/platform/TIniFile.h"

#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FolderListing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* expected; // with default "DEF"
};

TEST(TIniFileRead, ValuesAsTheProgramExpectsThem) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<ReadCase> cases = {
        {"section and key case", "[General]\nVersion=1.2\n", "GENERAL", "version", "1.2"},
        {"first of duplicate keys", "[A]\nk=first\nK=second\n", "A", "k", "first"},
        {"first of duplicate sections", "[A]\nk=1\n[B]\n[a]\nk=2\nj=3\n", "A", "j", "DEF"},
        {"blanks and tabs dropped", "[ A \t]\n \t key \t=\t value  x \t\n", "A", "KEY", "value  x"},
        {"one pair of quotes", "[A]\nk = \" a \"\n", "A", "k", " a "},
        {"only the outer pair", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
        {"lone quote kept", "[A]\nk=\"abc\n", "A", "k", "\"abc"},
        {"single quote char", "[A]\nk=\"\n", "A", "k", "\""},
        {"empty value is not the default", "[A]\nk=\n", "A", "k", ""},
        {"empty quoted value", "[A]\nk=\"\"\n", "A", "k", ""},
        {"missing key", "[A]\nk=1\n", "A", "j", "DEF"},
        {"missing section", "[A]\nk=1\n", "B", "k", "DEF"},
        {"key before first header belongs nowhere", "k=1\n[A]\n", "A", "k", "DEF"},
        {"comment lines", "[A]\n;k=1\n  # k=2\nk=3\n", "A", "k", "3"},
        {"semicolon inside a value is text", "[A]\nk=1 ; note\n", "A", "k", "1 ; note"},
        {"equals sign inside a value", "[A]\nk=a=b\n", "A", "k", "a=b"},
        {"line without equals ignored", "[A]\nk\nk=2\n", "A", "k", "2"},
        {"text after closing bracket", "[A] trailing\nk=1\n", "A", "k", "1"},
        {"header without closing bracket", "[A\nk=1\n", "A", "k", "1"},
        {"CRLF", "[A]\r\nk=1\r\nj=2\r\n", "A", "j", "2"},
        {"lone CR", "[A]\rk=1\rj=2", "A", "j", "2"},
        {"mixed endings", "[A]\r\nk=1\nj=2\r", "A", "j", "2"},
        {"BOM is not part of the first line", bom + "[A]\nk=1\n", "A", "k", "1"},
        {"caller's blanks ignored", "[A]\nk=1\n", " A ", "\tk ", "1"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        TIniFile ini(dir.write("t.ini", c.text));
        EXPECT_TRUE(ini.Readable()) << c.name;
        EXPECT_EQ(ini.ReadString(c.section, c.key, "DEF"), c.expected) << c.name;
    }
    TempDir dir;
    TIniFile nul(dir.write("t.ini", std::string("[A\0B]\nk\0=v\n", 11)));
    EXPECT_EQ(nul.ReadString(std::string_view("A\0B", 3), std::string_view("k\0", 2), "DEF"), "v");
}

TEST(TIniFileRead, ValuesAreCutAt2047Characters) {
    const std::string exact(2047, 'e');
    const std::string longer = std::string(2047, 'a') + "bcd";
    TempDir dir;
    TIniFile ini(
        dir.write("t.ini", "[A]\nexact=" + exact + "\nlong=" + longer + "\nquoted=\"" + longer + "\"\n"));
    EXPECT_EQ(ini.ReadString("A", "exact", ""), exact);
    EXPECT_EQ(ini.ReadString("A", "long", ""), longer.substr(0, 2047));
    EXPECT_EQ(ini.ReadString("A", "quoted", ""), longer.substr(0, 2047));
    EXPECT_EQ(ini.ReadSectionValues("A")[1].second, longer.substr(0, 2047));
}

TEST(TIniFileRead, IntegersAndBooleansFromTheFile) {
    TempDir dir;
    TIniFile ini(
        dir.write("t.ini", "[General]\nLang=\"3\"\nHex=0x10\nOff=0\nOn=2\nYes=yes\nEmpty=\nNull=0x0\n"));
    EXPECT_EQ(ini.ReadInteger("general", "lang", -1), 3);
    EXPECT_EQ(ini.ReadInteger("General", "Hex", -1), 16);
    EXPECT_EQ(ini.ReadInteger("General", "Empty", -1), -1);
    EXPECT_EQ(ini.ReadInteger("General", "Missing", -1), -1);
    EXPECT_FALSE(ini.ReadBool("General", "Off", true));
    EXPECT_TRUE(ini.ReadBool("General", "On", false));
    EXPECT_TRUE(ini.ReadBool("General", "Yes", true));
    EXPECT_FALSE(ini.ReadBool("General", "Yes", false));
    EXPECT_FALSE(ini.ReadBool("General", "Null", true));
    EXPECT_TRUE(ini.ReadBool("General", "Missing", true));
}

TEST(TIniFileRead, SectionListsInFileOrder) {
    // Long enough that sections and keys go through the hash index as well as the scan.
    std::string text = "[Short]\nb=1\na=2\nB=3\n;c=4\nc=\"5\"\n";
    std::vector<std::string> longKeys;
    for (int i = 0; i < 40; ++i) {
        text += "[S" + std::to_string(i) + "]\nx=" + std::to_string(i) + "\n";
    }
    text += "[Long]\n";
    for (int i = 149; i >= 0; --i) {
        text += std::to_string(i) + "=v" + std::to_string(i) + "\n";
        longKeys.push_back(std::to_string(i));
    }
    text += "0=dup\n[long]\nextra=1\n[s7]\nx=dup\n";
    TempDir dir;
    TIniFile ini(dir.write("t.ini", text));

    EXPECT_EQ(ini.ReadSection("short"), (std::vector<std::string>{"b", "a", "c"}));
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ini.ReadSectionValues("SHORT"), (Pairs{{"b", "1"}, {"a", "2"}, {"c", "5"}}));
    EXPECT_EQ(ini.ReadSection("Long"), longKeys);
    for (int i = 0; i < 150; ++i) {
        EXPECT_EQ(ini.ReadString("LONG", std::to_string(i), "?"), "v" + std::to_string(i));
    }
    EXPECT_EQ(ini.ReadString("Long", "extra", "?"), "?");
    EXPECT_EQ(ini.ReadString("S7", "x", "?"), "7");
    EXPECT_EQ(ini.ReadString("s39", "x", "?"), "39");
    EXPECT_TRUE(ini.SectionExists("s0"));
    EXPECT_FALSE(ini.SectionExists("S40"));
    EXPECT_TRUE(ini.ReadSection("missing").empty());
}

TEST(TIniFileRead, NamesWithLongCommonPrefixes) {
    // Names that differ only in their last characters, as a file crafted against the
    // lookup would hold them; duplicates in other cases come later and must not count.
    const std::string prefix(300, 'k');
    const auto key = [&prefix](int i) { return prefix + std::to_string(i); };
    std::string text = "[Data]\n";
    std::vector<std::string> keys;
    for (int i = 0; i < 200; ++i) {
        text += key(i) + "=v" + std::to_string(i) + "\n";
        keys.push_back(key(i));
        // The ninth name is where the scan gives way to the hash index.
        if (i == 8) {
            text += "K" + key(0).substr(1) + "=dup\n";
        }
    }
    for (int i = 0; i < 200; ++i) {
        text += "[" + prefix + "S" + std::to_string(i) + "]\nx=" + std::to_string(i) + "\n";
    }
    for (int i = 0; i < 200; i += 7) {
        text += "[DATA]\n" + key(i) + "=later\n[" + prefix + "s" + std::to_string(i) + "]\nx=later\n";
        text += "[Data ]\nnew=1\n";
    }
    TempDir dir;
    const TIniFile ini(dir.write("t.ini", text));

    EXPECT_EQ(ini.ReadSection("data"), keys);
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        std::string upper = key(i);
        upper[i % prefix.size()] = 'K';
        EXPECT_EQ(ini.ReadString("Data", upper, "?"), "v" + std::to_string(i));
        EXPECT_EQ(ini.ReadString(prefix + "S" + std::to_string(i), "x", "?"), std::to_string(i));
    }
    EXPECT_EQ(ini.ReadString("Data", prefix, "?"), "?");
    EXPECT_EQ(ini.ReadString("Data", key(200), "?"), "?");
    EXPECT_EQ(ini.ReadString("Data", "new", "?"), "?");
    EXPECT_FALSE(ini.SectionExists(prefix + "S200"));
}

TEST(TIniFileRead, MissingFileAndFolder) {
    TempDir dir;
    TIniFile missing(dir.file("none.ini"));
    EXPECT_TRUE(missing.Readable());
    EXPECT_EQ(missing.ReadString("A", "k", "DEF"), "DEF");
    EXPECT_FALSE(missing.SectionExists("A"));

    TIniFile folder(dir.path().string());
    EXPECT_FALSE(folder.Readable());
    EXPECT_EQ(folder.ReadError(), "Cannot read \"" + dir.path().string() + "\": Is a directory");
    EXPECT_EQ(folder.ReadString("A", "k", "DEF"), "DEF");
}

TEST(TIniFileRead, UnreadableFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    TempDir dir;
    const std::string path = dir.write("t.ini", "[A]\nk=1\n");
    fs::permissions(path, fs::perms::none);
    TIniFile ini(path);
    EXPECT_FALSE(ini.Readable());
    EXPECT_EQ(ini.ReadError(), "Cannot read \"" + path + "\": Permission denied");
}

TEST(TIniFileRead, BinaryGarbageDoesNotCrash) {
    std::mt19937 random(7);
    const std::string alphabet = std::string("[]=;#\r\n \t\"\xEF\xBB\xBF"
                                             "ab",
                                             15) +
                                 std::string(1, '\0');
    TempDir dir;
    for (int round = 0; round < 100; ++round) {
        std::string text(random() % 400, '\0');
        for (char& c : text) {
            c = (random() % 2) ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
        }
        const std::string path = dir.write("t.ini", text);
        TIniFile ini(path);
        for (const std::string section : {"", "a", "b", "ab", "]"}) {
            for (const auto& [key, value] : ini.ReadSectionValues(section)) {
                EXPECT_EQ(ini.ReadString(section, key, "?"), value);
            }
            ini.ReadInteger(section, "a", 0);
        }
        ASSERT_TRUE(ini.WriteString("New Section", "k", "v"));
        const std::string written = ReadFileBytes(path);
        EXPECT_EQ(written.substr(0, text.size()), text);
        EXPECT_EQ(ini.ReadString("new section", "K", "?"), "v");
    }
}

struct WriteCase {
    const char* name;
    std::optional<std::string> before; // none: the file does not exist
    const char* section;
    const char* key;
    const char* value;
    std::string after;
    const char* readBack;
};

TEST(TIniFileWrite, ChangesOnlyTheKey) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string other = "; head\n[Other]\nKey=1\n\n";
    const std::vector<WriteCase> cases = {
        {"replace keeps spacing", other + "[General]\nKey = 1  \nX=2\n", "general", "KEY", "0",
         other + "[General]\nKey = 0  \nX=2\n", "0"},
        {"replace quoted value", "[A]\nk=\"a b\"\n", "A", "k", "c", "[A]\nk=c\n", "c"},
        {"replace empty value", "[A]\nk =\nj=1\n", "A", "k", "5", "[A]\nk =5\nj=1\n", "5"},
        {"replace first duplicate", "[A]\nk=1\nk=2\n[a]\nk=3\n", "A", "k", "9", "[A]\nk=9\nk=2\n[a]\nk=3\n",
         "9"},
        {"add after last key line", "[A]\nx=1\n\n; c\n[B]\ny=2\n", "A", "z", "3",
         "[A]\nx=1\nz=3\n\n; c\n[B]\ny=2\n", "3"},
        {"add to first of duplicate sections", "[A]\nx=1\n[B]\n[a]\ny=2\n", "a", "y", "v",
         "[A]\nx=1\ny=v\n[B]\n[a]\ny=2\n", "v"},
        {"add to empty section", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n", "v"},
        {"add without final newline", "[A]\nx=1", "A", "k", "v", "[A]\nx=1\nk=v", "v"},
        {"key before header untouched", "k=1\n[A]\n", "A", "k", "v", "k=1\n[A]\nk=v\n", "v"},
        {"add section", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n", "v"},
        {"add section without final newline", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n", "v"},
        {"create file", std::nullopt, "General", "UseStdConfig", "1", "[General]\nUseStdConfig=1\n", "1"},
        {"empty file", "", "A", "k", "v", "[A]\nk=v\n", "v"},
        {"CRLF add key", "[A]\r\nx=1\r\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n", "2"},
        {"CRLF add section", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "2"},
        {"CR add key", "[A]\rx=1\r", "A", "y", "2", "[A]\rx=1\ry=2\r", "2"},
        {"BOM kept on replace", bom + "[A]\r\nk=1\r\n", "A", "k", "2", bom + "[A]\r\nk=2\r\n", "2"},
        {"BOM-only file", bom, "A", "k", "v", bom + "[A]\nk=v\n", "v"},
        {"line breaks in value", "[A]\nk=1\n", "A", "k", "a\r\nb\rc\n", "[A]\nk=\"a  b c \"\n", "a  b c "},
        {"blanks at the ends kept", "[A]\n", "A", "k", " x ", "[A]\nk=\" x \"\n", " x "},
        {"quotes kept", "[A]\n", "A", "k", "\"q\"", "[A]\nk=\"\"q\"\"\n", "\"q\""},
        {"empty value", "[A]\nk=1\n", "A", "k", "", "[A]\nk=\n", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = c.before ? dir.write("t.ini", *c.before) : dir.file("t.ini");
        TIniFile ini(path);
        const Result<void> written = ini.WriteString(c.section, c.key, c.value);
        ASSERT_TRUE(written.has_value()) << c.name << ": " << written.error().message;
        EXPECT_EQ(ReadFileBytes(path), c.after) << c.name;
        EXPECT_EQ(ini.ReadString(c.section, c.key, "DEF"), c.readBack) << c.name;
        EXPECT_EQ(TIniFile(path).ReadString(c.section, c.key, "DEF"), c.readBack) << c.name;
        EXPECT_EQ(FolderListing(dir.path()), std::vector<std::string>{"t.ini"}) << c.name;
    }
}

TEST(TIniFileWrite, IntegersBooleansAndFileState) {
    TempDir dir;
    const std::string path = dir.write("t.ini", "[General]\nShowPrices=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TIniFile ini(path);
    // Another writer changes the file after this object read it; that change must survive.
    TIniFile other(path);
    ASSERT_TRUE(other.WriteInteger("General", "OSStdLanguage", -12));
    ASSERT_TRUE(ini.WriteBool("General", "ShowPrices", false));
    ASSERT_TRUE(ini.WriteBool("General", "UseStdConfig", true));
    EXPECT_EQ(ReadFileBytes(path), "[General]\nShowPrices=0\nOSStdLanguage=-12\nUseStdConfig=1\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A write through a link changes the file it names and keeps the link.
    const std::string link = dir.file("link.ini");
    fs::create_symlink(path, link);
    ASSERT_TRUE(TIniFile(link).WriteInteger("General", "OSStdLanguage", 3));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TIniFile(path).ReadInteger("General", "OSStdLanguage", 0), 3);
}

enum class Setup { None, ReadOnlyFile, ReadOnlyFolder, FolderAsFile, MissingFolder };
struct FailCase {
    const char* name;
    Setup setup;
    const char* section;
    const char* key;
    const char* reason;
};

void ExpectWriteFails(const std::vector<FailCase>& cases) {
    const std::string original = "[General]\r\nShowPrices=1\r\n";
    for (const auto& c : cases) {
        TempDir dir;
        std::string path = dir.write("t.ini", original);
        if (c.setup == Setup::ReadOnlyFile) {
            fs::permissions(path, fs::perms::owner_read);
        } else if (c.setup == Setup::ReadOnlyFolder) {
            fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        } else if (c.setup == Setup::FolderAsFile) {
            path = dir.path().string();
        } else if (c.setup == Setup::MissingFolder) {
            path = dir.file("none/t.ini");
        }
        TIniFile ini(path);
        const Result<void> written = ini.WriteString(c.section, c.key, "0");
        ASSERT_FALSE(written.has_value()) << c.name;
        EXPECT_EQ(written.error().message, "Cannot write \"" + path + "\": " + c.reason) << c.name;
        EXPECT_EQ(ReadFileBytes(dir.file("t.ini")), original) << c.name;
        EXPECT_EQ(FolderListing(dir.path()), std::vector<std::string>{"t.ini"}) << c.name;
        if (c.setup == Setup::ReadOnlyFile) {
            EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read) << c.name;
        }
    }
}

TEST(TIniFileWrite, FailuresLeaveTheFileAlone) {
    ExpectWriteFails({
        {"folder as file", Setup::FolderAsFile, "General", "ShowPrices", "Is a directory"},
        {"missing folder", Setup::MissingFolder, "General", "ShowPrices", "No such file or directory"},
        {"empty key", Setup::None, "General", " ", "empty key name"},
        {"key with equals sign", Setup::None, "General", "a=b", "invalid key name"},
        {"key that opens a header", Setup::None, "General", "[x", "invalid key name"},
        {"section with bracket", Setup::None, "Gen]eral", "k", "invalid section name"},
    });
}

TEST(TIniFileWrite, PermissionsAreRespected) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root bypasses permissions";
    }
    ExpectWriteFails({
        {"read-only file", Setup::ReadOnlyFile, "General", "ShowPrices", "Permission denied"},
    });
}

} // namespace
