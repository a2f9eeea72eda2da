#include "core/platform/FileLock.h"
#include "core/platform/SafeFile.h"
#include "core/platform/TIniFile.h"

#include "TestFiles.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
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

// A save that meets another's lock waits for it, and gives up after its wait naming the file.
TEST(UpdateFileSafely, WaitsForAnotherSaveThenGivesUp) {
    const struct {
        const char* name;
        int heldMs; // how long the other holds the lock; -1 throughout
        bool saved;
    } cases[] = {
        {"released during the wait", 100, true},
        {"never released", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.write("order.CST", "[Data]\nName1=Old\n");
        LockedFile other = LockedFile::Open(path, std::chrono::milliseconds(0));
        ASSERT_EQ(other.status(), LockedFile::Status::Locked);
        std::thread release;
        if (c.heldMs >= 0)
            release = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.heldMs));
                other = LockedFile();
            });
        int composed = 0;
        const Result<void> written = UpdateFileSafely(
            path,
            [&](std::string current) -> Result<std::string> {
                ++composed;
                return current + "Name2=New\n";
            },
            std::chrono::milliseconds(c.heldMs >= 0 ? 5000 : 300));
        if (release.joinable())
            release.join();
        if (c.saved) {
            EXPECT_TRUE(written.has_value()) << written.error().message;
            EXPECT_EQ(ReadFileBytes(path), "[Data]\nName1=Old\nName2=New\n");
        } else {
            ASSERT_FALSE(written.has_value());
            EXPECT_EQ(written.error().message, "Cannot write \"" + path + "\": " + kBeingSavedReason);
            EXPECT_EQ(composed, 0);
            EXPECT_EQ(ReadFileBytes(path), "[Data]\nName1=Old\n");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

// The file's mode at every moment: an existing file's own, a new file's from the umask.
TEST(WriteFileSafely, KeepsTheModeOrTakesTheUmask) {
    const struct {
        const char* name;
        mode_t umask;
        std::optional<mode_t> existing;
        mode_t after;
    } cases[] = {
        {"new file, umask 022", 022, std::nullopt, 0644},
        {"new file, umask 027", 027, std::nullopt, 0640},
        {"new file, umask 002", 002, std::nullopt, 0664},
        {"existing file keeps its mode whatever the umask", 077, 0604, 0604},
        {"a hard-linked file keeps its mode", 022, 0660, 0660},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ScopedEnvironment state("XDG_STATE_HOME", dir.file("state"));
        const std::string path = dir.file("order.CST");
        if (c.existing) {
            dir.write("order.CST", "old");
            ::chmod(path.c_str(), *c.existing);
            if (std::string(c.name).find("hard") != std::string::npos)
                fs::create_hard_link(path, dir.file("copy.CST"));
        }
        const std::string outcome = InChildProcess([&] {
            ::umask(c.umask);
            const Result<void> written = WriteFileSafely(path, "new");
            return written ? std::string() : written.error().message;
        });
        EXPECT_EQ(outcome, "");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after);
        EXPECT_EQ(ReadFileBytes(path), "new");
    }
}

// Temporary files that killed saves left: only this user's, only ours, only a minute old go.
TEST(WriteFileSafely, RemovesWhatKilledSavesLeftAndNothingElse) {
    TempDir dir;
    const std::string path = dir.write("order.CST", "old");
    const struct {
        std::string name;
        int age;
        bool removed;
        bool otherUser = false;
    } files[] = {
        {".kbA1b2C3d4.tmp", 120, true},      {".kbYoungOne.tmp", 5, false},
        {".kbshort.tmp", 120, false},        {"notes.tmp", 120, false},
        {".kbA1b2C3d4.tmp.CST", 120, false}, {".kbOtherUsr.tmp", 120, false, true},
    };
    for (const auto& f : files) {
        dir.write(f.name, "an order");
        if (f.otherUser && ::chown(dir.file(f.name).c_str(), 65534, 65534) != 0)
            continue;
        AgeFile(dir.file(f.name), f.age);
    }
    ASSERT_TRUE(WriteFileSafely(path, "new").has_value());
    for (const auto& f : files) {
        if (f.otherUser && ::geteuid() != 0)
            continue;
        EXPECT_EQ(fs::exists(dir.file(f.name)), !f.removed) << f.name;
    }
}

} // namespace
