#include "core/platform/SafeFile.h"
#include "core/platform/TIniFile.h"

#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(TIniFileWriteStrings, ReplacesAndAddsEveryKeyKeepingTheRest) {
    const struct {
        const char* name;
        std::string before;
        Pairs values;
        std::string after;
    } cases[] = {
        {"keys replaced in place, a missing one added after the last key, CRLF kept",
         "; note\r\n[Data]\r\nName1=Old\r\n\r\nCity = Bern \r\n[Other]\r\nName1=stays\r\n",
         {{"name1", "New"}, {"Street", "Main 1"}, {"City", "Basel"}},
         "; note\r\n[Data]\r\nName1=New\r\n\r\nCity = Basel \r\nStreet=Main 1\r\n[Other]\r\nName1=stays\r\n"},
        {"section added at the end with its keys in the given order",
         "[General]\nVersion=1",
         {{"Name1", "A"}, {"Name2", ""}, {"Code", "VK72-x"}},
         "[General]\nVersion=1\n[Data]\nName1=A\nName2=\nCode=VK72-x\n"},
        {"empty file", "", {{"Name1", "A"}}, "[Data]\nName1=A\n"},
        {"a key listed twice takes its last value",
         "[Data]\nName1=Old\n",
         {{"Name1", "A"}, {"Name1", "B"}},
         "[Data]\nName1=B\n"},
        {"line breaks become blanks, blanks at an end are quoted",
         "[Data]\n",
         {{"Name1", "two\nlines"}, {"Name2", " padded "}},
         "[Data]\nName1=two lines\nName2=\" padded \"\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("order.CST", c.before);
        TIniFile ini(path);
        const Result<void> written = ini.WriteStrings("Data", c.values);
        ASSERT_TRUE(written.has_value()) << c.name << ": " << written.error().message;
        EXPECT_EQ(ReadFileBytes(path), c.after) << c.name;
        // The object holds what is on disk.
        EXPECT_EQ(ini.ReadString("Data", c.values.back().first, "?"),
                  TIniFile(path).ReadString("Data", c.values.back().first, "!"))
            << c.name;
    }
}

TEST(TIniFileWriteStrings, ABadNameWritesNothing) {
    TempDir dir;
    const std::string before = "[Data]\nName1=Old\n";
    const std::string path = dir.write("order.CST", before);
    TIniFile ini(path);
    const Result<void> written = ini.WriteStrings("Data", {{"Name1", "New"}, {"a=b", "x"}});
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().message, "Cannot write \"" + path + "\": invalid key name");
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(ini.ReadString("Data", "Name1", ""), "Old");
}

// A program killed half-way leaves its temporary file behind: it must show nobody the
// content, whatever the target's mode and the umask.
TEST(WriteFileSafely, ATemporaryFileLeftBehindIsPrivate) {
    TempDir dir;
    const std::string path = dir.write("order.CST", "old");
    fs::permissions(path, fs::perms::all &
                              ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    const std::string outcome = InChildProcess([&] {
        ::umask(0);
        // Writing past the limit ends the process with SIGXFSZ, as a kill would.
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        (void)WriteFileSafely(path, std::string(8192, 'n'));
        return std::string("the write was not stopped");
    });
    EXPECT_EQ(outcome, "the child process failed");
    EXPECT_EQ(ReadFileBytes(path), "old");
    int temporaries = 0;
    for (const auto& item : fs::directory_iterator(dir.path())) {
        if (item.path() == path)
            continue;
        ++temporaries;
        const auto perms = item.status().permissions();
        EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
            << item.path().filename();
        EXPECT_LE(item.path().filename().string().size(), 16u) << item.path().filename();
    }
    EXPECT_EQ(temporaries, 1);
}

TEST(WriteFileSafely, AReadOnlyFolderIsWrittenInPlace) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root bypasses permissions; the customer file table covers it as another user";
    TempDir dir;
    const std::string path = dir.write("t.ini", "[General]\nShowPrices=1\n");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    TIniFile ini(path);
    const Result<void> written = ini.WriteString("General", "ShowPrices", "0");
    EXPECT_TRUE(written.has_value()) << written.error().message;
    EXPECT_EQ(ReadFileBytes(path), "[General]\nShowPrices=0\n");
}

} // namespace
