// Saving a customer file onto what a user's disk really holds: each case either saves the
// whole order or leaves the old file byte for byte, with a message naming the file.
#include "core/customer/CustomerRecord.h"

#include "TestFiles.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

const std::string kOldText = "; order of 3 May\n[Data]\nCompany1=Old Ltd\nName1=Old\nIdent1=A\nIdent2=B\n"
                             "Code=VK72-1111x-110Ax-00000-00000-D3x\n[Notes]\nseen=yes\n";

CustomerRecord NewRecord(std::size_t companyLength = 200) {
    CustomerRecord record;
    record[CustomerRecord::Company1] = std::string(companyLength, 'c');
    record[CustomerRecord::Name1] = "Jones";
    record[CustomerRecord::City] = "Bern";
    record[CustomerRecord::Code] = "VK72-2121x-231Ax-C0000-000P0-D5x";
    return record;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Empty when the file holds the new record and still the old file's other lines.
std::string SavedProblem(const std::string& path, bool hadOldFile) {
    const Result<CustomerRecord> read = ReadCustomerFile(path);
    if (!read)
        return read.error().message;
    if (read->fields != NewRecord().fields)
        return "the file does not hold the new record";
    if (hadOldFile && ReadFileBytes(path).find("[Notes]\nseen=yes\n") == std::string::npos)
        return "other lines were lost";
    return {};
}

enum class Run { Here, Unprivileged, SizeLimited };

struct SaveCase {
    const char* name;
    Run run;
    // Makes the folder's content and returns the path to save to.
    std::function<std::string(const TempDir&)> setup;
    // Empty: the save succeeds. Otherwise the reason that the message gives.
    std::string refusal;
    // Further checks after a successful save; returns what is wrong.
    std::function<std::string(const TempDir&, const std::string&)> check = nullptr;
};

std::string Write(const std::string& path, const CustomerRecord& record) {
    const Result<void> written = WriteCustomerFile(path, record);
    return written ? "saved" : written.error().message;
}

TEST(HostileSave, EachCaseSavesWholeOrKeepsTheOldFile) {
    const bool root = ::geteuid() == 0;
    const std::vector<SaveCase> cases = {
        {"plain file", Run::Here,
         [](const TempDir& d) {
             const std::string path = d.write("order.CST", kOldText);
             fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
             return path;
         },
         "",
         [](const TempDir&, const std::string& path) -> std::string {
             const auto perms = fs::status(path).permissions();
             return perms == (fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
                        ? ""
                        : "the file's mode changed";
         }},
        {"new file", Run::Here, [](const TempDir& d) { return d.file("new.CST"); }, "",
         [](const TempDir&, const std::string& path) -> std::string {
             // As any new file: what the umask leaves, so that a colleague sharing the folder can open it.
             const mode_t mask = ::umask(0);
             ::umask(mask);
             struct stat st {};
             return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0777) == (0666 & ~mask)
                        ? ""
                        : "a new order does not have the mode the umask gives";
         }},
        {"read-only file", Run::Unprivileged,
         [](const TempDir& d) {
             const std::string path = d.write("order.CST", kOldText);
             fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
             return path;
         },
         "Permission denied"},
        {"locked folder, writable file", Run::Unprivileged,
         [](const TempDir& d) {
             fs::create_directory(d.path() / "shared");
             const std::string path = d.write("shared/order.CST", kOldText);
             fs::permissions(path, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                      fs::perms::others_exec));
             fs::permissions(d.path() / "shared", fs::perms::owner_read | fs::perms::owner_exec |
                                                      fs::perms::group_read | fs::perms::group_exec |
                                                      fs::perms::others_read | fs::perms::others_exec);
             return path;
         },
         "",
         [](const TempDir& d, const std::string&) -> std::string {
             return Listing(d.path() / "shared") == std::vector<std::string>{"order.CST"}
                        ? ""
                        : "something was left in the locked folder";
         }},
        {"locked folder, new file", Run::Unprivileged,
         [](const TempDir& d) {
             fs::create_directory(d.path() / "shared");
             fs::permissions(d.path() / "shared", fs::perms::owner_read | fs::perms::owner_exec |
                                                      fs::perms::others_read | fs::perms::others_exec);
             return d.file("shared/new.CST");
         },
         "Permission denied"},
        {"folder", Run::Here,
         [](const TempDir& d) {
             fs::create_directory(d.path() / "order.CST");
             return d.file("order.CST");
         },
         "Is a directory"},
        {"FIFO", Run::Here,
         [](const TempDir& d) {
             const std::string path = d.file("order.CST");
             EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
             return path;
         },
         "it is a FIFO (named pipe), not a regular file"},
        {"dangling symbolic link", Run::Here,
         [](const TempDir& d) {
             fs::create_symlink("target.CST", d.path() / "order.CST");
             return d.file("order.CST");
         },
         "",
         [](const TempDir& d, const std::string& path) -> std::string {
             if (!fs::is_symlink(path))
                 return "the link was replaced";
             return SavedProblem(d.file("target.CST"), false);
         }},
        {"symbolic link to a file", Run::Here,
         [](const TempDir& d) {
             d.write("target.CST", kOldText);
             fs::create_symlink(d.path() / "target.CST", d.path() / "order.CST");
             return d.file("order.CST");
         },
         "",
         [](const TempDir& d, const std::string& path) -> std::string {
             return fs::is_symlink(path) ? SavedProblem(d.file("target.CST"), true) : "the link was replaced";
         }},
        {"file with two hard links", Run::Here,
         [](const TempDir& d) {
             const std::string path = d.write("order.CST", kOldText);
             fs::create_hard_link(path, d.path() / "copy.CST");
             return path;
         },
         "",
         [](const TempDir& d, const std::string& path) -> std::string {
             if (Inode(path) != Inode(d.file("copy.CST")))
                 return "the hard link was broken";
             return SavedProblem(d.file("copy.CST"), true);
         }},
        {"name of 255 bytes", Run::Here,
         [](const TempDir& d) { return d.write(std::string(251, 'n') + ".CST", kOldText); }, ""},
        {"disk full (file size limit)", Run::SizeLimited,
         [](const TempDir& d) { return d.write("order.CST", kOldText); }, "File too large"},
        {"disk full on a hard-linked file", Run::SizeLimited,
         [](const TempDir& d) {
             const std::string path = d.write("order.CST", kOldText);
             fs::create_hard_link(path, d.path() / "copy.CST");
             return path;
         },
         "it can only be rewritten in place, and the journal that keeps it whole meanwhile cannot be written "
         "in "
         "\"STATE\" (File too large)"},
    };

    // In-place saves keep their journals here, where the unprivileged user may write too.
    TempDir state;
    fs::permissions(state.path(), fs::perms::all, fs::perm_options::replace);
    const ScopedEnvironment stateHome("XDG_STATE_HOME", state.path().string());
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (c.run == Run::Unprivileged)
            fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
        const std::string path = c.setup(dir);
        const bool regular = fs::is_regular_file(path);
        const std::string before = regular ? ReadFileBytes(path) : std::string();
        const auto listingBefore = Listing(dir.path());

        std::string outcome;
        if (c.run == Run::Here) {
            outcome = Write(path, NewRecord());
        } else if (c.run == Run::Unprivileged) {
            if (root && InChildProcess([] { return std::string(); }, true) != "")
                GTEST_SKIP() << "running as root without the right to become another user";
            outcome = InChildProcess([&] { return Write(path, NewRecord()); }, true);
        } else {
            outcome = InChildProcess([&] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{kOldText.size() + 20, kOldText.size() + 20};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return std::string("cannot limit the file size");
                return Write(path, NewRecord());
            });
        }

        if (c.refusal.empty()) {
            EXPECT_EQ(outcome, "saved");
            EXPECT_EQ(SavedProblem(path, regular), "");
            if (c.check) {
                EXPECT_EQ(c.check(dir, path), "");
            }
        } else {
            std::string refusal = c.refusal;
            if (const auto at = refusal.find("STATE"); at != std::string::npos)
                refusal.replace(at, 5, state.file("vk72-configurator"));
            EXPECT_EQ(outcome, "Cannot write \"" + path + "\": " + refusal);
            if (regular) {
                EXPECT_EQ(ReadFileBytes(path), before);
            }
            EXPECT_EQ(Listing(dir.path()), listingBefore);
        }
        for (const std::string& name : Listing(dir.path())) {
            EXPECT_FALSE(name.starts_with(".kb")) << "temporary file left: " << name;
        }
    }
}

TEST(HostileSave, DevicesAreRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may make a device node";
    TempDir dir;
    const std::string path = dir.file("order.CST");
    ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(Write(path, NewRecord()), "Cannot write \"" + path + "\": it is a device, not a regular file");
    EXPECT_TRUE(fs::is_character_file(path));
}

// A real full disk: a small tmpfs in a mount namespace of a child process, so that nothing
// stays mounted whatever happens.
TEST(HostileSave, FullDiskKeepsTheOldFile) {
    TempDir dir;
    // The journal of the hard-linked file's rewrite on a disk that has room for it.
    TempDir state;
    const ScopedEnvironment stateHome("XDG_STATE_HOME", state.path().string());
    const std::string result = InChildProcess([&]() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0)
            return "skip";
        std::string problems;
        for (const bool hardLinked : {false, true}) {
            const std::string name = hardLinked ? "linked.CST" : "order.CST";
            const std::string path = dir.write(name, kOldText);
            if (hardLinked)
                fs::create_hard_link(path, dir.path() / "copy.CST");
            // Fill the disk to its last byte.
            const std::string filler = dir.file("filler");
            {
                FILE* out = std::fopen(filler.c_str(), "ab");
                const std::string block(4096, 'f');
                while (out && std::fwrite(block.data(), 1, block.size(), out) == block.size() &&
                       std::fflush(out) == 0) {
                }
                if (out)
                    std::fclose(out);
            }
            // Larger than a page, so that even a rewrite in place needs new space.
            CustomerRecord large = NewRecord(2047);
            large[CustomerRecord::Company2] = large[CustomerRecord::Street] = std::string(2047, 's');
            const Result<void> written = WriteCustomerFile(path, large);
            const std::string error = written ? std::string() : written.error().message;
            if (written)
                problems += name + ": saved on a full disk; ";
            else if (error.find("\"" + path + "\": No space left on device") == std::string::npos)
                problems += name + ": " + error + "; ";
            if (ReadFileBytes(path) != kOldText)
                problems += name + ": the old file changed; ";
            for (const std::string& left : Listing(dir.path()))
                if (left.starts_with(".kb"))
                    problems += "temporary file left: " + left + "; ";
            fs::remove(filler);
        }
        return problems;
    });
    if (result == "skip")
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_EQ(result, "");
}

} // namespace
