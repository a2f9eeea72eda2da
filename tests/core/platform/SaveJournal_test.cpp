#include "core/platform/FileLock.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"
#include "core/platform/SaveJournal.h"
#include "core/platform/TIniFile.h"

#include "TestFiles.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A save killed at some moment of its rewrite in place: what the next start makes of it.
TEST(SaveJournal, TheNextStartCompletesWhatAKillLeftOrKeepsTheJournalAside) {
    const std::string longer = "[Data]\nName1=" + std::string(300, 'L') + "\n[Notes]\nseen=yes\n";
    const std::string shorter = "[Data]\nName1=S\n[Notes]\nseen=yes\n";
    const struct {
        const char* name;
        std::string old;
        std::string next;
        // The file as the kill left it, from the old and new content and the journal's path.
        std::function<void(const std::string& file, const std::string& journal)> kill;
        std::string after;   // "old", "new" or "as left"
        std::string message; // start of the message; empty for none
        bool keptAside = false;
    } cases[] = {
        {"killed before the rewrite", longer, shorter, [](auto&, auto&) {}, "new",
         "The save of \"FILE\" was interrupted; it has now been completed from its journal."},
        {"killed half-way, the new record shorter", longer, shorter,
         [&](const std::string& file, auto&) {
             std::string mix = longer;
             mix.replace(0, shorter.size(), shorter);
             TempDir::Overwrite(file, mix);
         },
         "new", "The save of \"FILE\" was interrupted"},
        {"killed half-way, the new record longer", shorter, longer,
         [&](const std::string& file, auto&) {
             TempDir::Overwrite(file, longer.substr(0, shorter.size() + 40));
         },
         "new", "The save of \"FILE\" was interrupted"},
        {"killed after the rewrite, before the journal went", longer, shorter,
         [&](const std::string& file, auto&) { TempDir::Overwrite(file, shorter); }, "new", ""},
        {"the file changed since", longer, shorter,
         [](const std::string& file, auto&) { TempDir::Overwrite(file, "[Data]\nName1=Someone else\n"); },
         "as left",
         "The interrupted save of \"FILE\" was not completed: the file has changed since. Its journal was "
         "kept as "
         "\"JOURNAL.kept\".",
         true},
        {"a damaged journal", longer, shorter,
         [](auto&, const std::string& journal) {
             std::string bytes = ReadFileBytes(journal);
             bytes[bytes.size() / 2] ^= 1;
             TempDir::Overwrite(journal, bytes);
         },
         "old",
         "A journal of an interrupted save is damaged and was not applied; it was kept as \"JOURNAL.kept\".",
         true},
        {"the file is gone", longer, shorter, [](const std::string& file, auto&) { fs::remove(file); },
         "gone",
         "The interrupted save of \"FILE\" was not completed: the file no longer exists. Its journal was "
         "kept as "
         "\"JOURNAL.kept\".",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ScopedEnvironment state("XDG_STATE_HOME", dir.file("state"));
        const std::string path = dir.write("order.CST", c.old);
        std::string journalPath;
        {
            LockedFile file = LockedFile::Open(path, kSaveLockWait);
            ASSERT_EQ(file.status(), LockedFile::Status::Locked);
            Result<SaveJournal> journal = SaveJournal::Begin(file, path, c.old, c.next);
            ASSERT_TRUE(journal.has_value()) << journal.error().message;
            const std::vector<std::string> names = Names(dir.path() / "state" / "vk72-configurator");
            ASSERT_EQ(names.size(), 1u);
            journalPath = (dir.path() / "state" / "vk72-configurator" / names[0]).string();
        }
        c.kill(path, journalPath);
        const std::string left = fs::exists(path) ? ReadFileBytes(path) : "gone";

        const std::vector<std::string> messages = CompleteInterruptedSaves();
        const std::string expected = c.after == "new" ? c.next : c.after == "old" ? c.old : left;
        EXPECT_EQ(fs::exists(path) ? ReadFileBytes(path) : "gone", expected);
        std::string message = c.message;
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{"FILE", path}, {"JOURNAL", journalPath}})
            if (const auto at = message.find(from); at != std::string::npos)
                message.replace(at, from.size(), to);
        if (message.empty()) {
            EXPECT_TRUE(messages.empty()) << messages.front();
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].starts_with(message)) << messages[0];
        }
        EXPECT_FALSE(fs::exists(journalPath));
        EXPECT_EQ(fs::exists(journalPath + ".kept"), c.keptAside);
        // A second start has nothing more to do.
        EXPECT_TRUE(CompleteInterruptedSaves().empty());
    }
}

// A reader touching the file completes its journal before it reads; the message waits.
TEST(SaveJournal, AReaderCompletesTheSaveBeforeReading) {
    TempDir dir;
    const ScopedEnvironment state("XDG_STATE_HOME", dir.file("state"));
    const std::string path = dir.write("order.CST", "[Data]\nName1=Old\n");
    {
        LockedFile file = LockedFile::Open(path, kSaveLockWait);
        ASSERT_TRUE(SaveJournal::Begin(file, path, "[Data]\nName1=Old\n", "[Data]\nName1=New\n").has_value());
    }
    EXPECT_EQ(TIniFile(path).ReadString("Data", "Name1", ""), "New");
    EXPECT_EQ(TakeJournalMessages(),
              std::vector<std::string>{"The save of \"" + path +
                                       "\" was interrupted; it has now been completed from its journal."});
    EXPECT_TRUE(TakeJournalMessages().empty());
}

// An in-place save without a place for its journal is refused, the file untouched.
TEST(SaveJournal, NoJournalNoSaveInPlace) {
    TempDir dir;
    const std::string blocker = dir.write("not-a-folder", "");
    const ScopedEnvironment state("XDG_STATE_HOME", blocker);
    const std::string path = dir.write("order.CST", "old");
    fs::create_hard_link(path, dir.file("copy.CST"));
    const Result<void> written = WriteFileSafely(path, "new");
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(
        written.error().message,
        "Cannot write \"" + path +
            "\": it can only be rewritten in place, and the journal that keeps it whole meanwhile cannot be "
            "kept in \"" +
            blocker + "/vk72-configurator\" (Not a directory)");
    EXPECT_EQ(ReadFileBytes(dir.file("copy.CST")), "old");
}

TEST(SaveJournal, StateFolderFromTheEnvironment) {
    EXPECT_EQ(paths::StateFolder("/state", "/home/u"), "/state/vk72-configurator");
    EXPECT_EQ(paths::StateFolder("relative", "/home/u/"), "/home/u/.local/state/vk72-configurator");
    EXPECT_EQ(paths::StateFolder(nullptr, nullptr), "");
}

} // namespace
