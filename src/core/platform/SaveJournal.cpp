#include "core/platform/SaveJournal.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "core/platform/FileLock.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"

namespace kb {

namespace {

constexpr std::string_view kMagic = "VK72 in-place save journal 1\n";
constexpr std::string_view kJournalSuffix = ".journal";
constexpr std::string_view kTemporaryPrefix = ".journal-";
constexpr std::size_t kChecksumSize = 32;
// Old and new content of a file of the largest size any reader takes, and the header.
constexpr std::size_t kMaxJournalSize = 2 * kMaxReadFileSize + 8192;
// A journal being written is younger; an older temporary file is a killed writer's.
constexpr std::time_t kLeftoverSeconds = 60;

std::mutex g_messagesMutex;
std::vector<std::string> g_messages;

void Queue(std::string message) {
    const std::lock_guard<std::mutex> lock(g_messagesMutex);
    g_messages.push_back(std::move(message));
}

std::string Reason(int error) {
    return std::generic_category().message(error);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string JournalName(const struct stat& file) {
    char name[64];
    std::snprintf(name, sizeof name, "%llx-%llx", static_cast<unsigned long long>(file.st_dev),
                  static_cast<unsigned long long>(file.st_ino));
    return std::string(name) + std::string(kJournalSuffix);
}

// Each folder on the way made private when this program makes it.
int MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

struct Journal {
    std::string raw;
    std::string path;
    std::string_view old;
    std::string_view next;
};

std::array<unsigned char, kChecksumSize> Checksum(std::string_view data) {
    std::array<unsigned char, kChecksumSize> sum{};
    if (sodium_init() < 0)
        std::abort();
    crypto_generichash(sum.data(), sum.size(), reinterpret_cast<const unsigned char*>(data.data()),
                       data.size(), nullptr, 0);
    return sum;
}

bool ReadNumber(std::string_view& text, char end, std::size_t& value) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr == text.data() + text.size() || *ptr != end)
        return false;
    text.remove_prefix(static_cast<std::size_t>(ptr - text.data()) + 1);
    return true;
}

// Missing: nullopt with error ENOENT; damaged: nullopt with error 0.
std::optional<Journal> ReadJournal(const std::string& file, int& error) {
    error = 0;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    Journal journal;
    struct stat st {};
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                static_cast<std::size_t>(st.st_size) <= kMaxJournalSize;
    if (read) {
        journal.raw.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (read && got < journal.raw.size()) {
            const ssize_t r =
                ::pread(fd, journal.raw.data() + got, journal.raw.size() - got, static_cast<off_t>(got));
            if (r < 0 && errno == EINTR)
                continue;
            read = r > 0;
            got += read ? static_cast<std::size_t>(r) : 0;
        }
    }
    ::close(fd);
    if (!read)
        return std::nullopt;

    std::string_view text = journal.raw;
    if (text.size() < kMagic.size() + kChecksumSize || !text.starts_with(kMagic))
        return std::nullopt;
    const std::string_view body = text.substr(0, text.size() - kChecksumSize);
    const auto sum = Checksum(body);
    if (!std::equal(sum.begin(), sum.end(),
                    reinterpret_cast<const unsigned char*>(body.data() + body.size())))
        return std::nullopt;
    text = body.substr(kMagic.size());
    std::size_t pathSize = 0, oldSize = 0, nextSize = 0;
    if (!ReadNumber(text, ' ', pathSize) || !ReadNumber(text, ' ', oldSize) ||
        !ReadNumber(text, '\n', nextSize) || text.size() != pathSize + oldSize + nextSize || pathSize == 0)
        return std::nullopt;
    journal.path = std::string(text.substr(0, pathSize));
    journal.old = text.substr(pathSize, oldSize);
    journal.next = text.substr(pathSize + oldSize, nextSize);
    return journal;
}

// Moves the journal out of the way under a name no scan applies; returns that name.
std::string KeepAside(const std::string& journal) {
    for (int n = 1; n < 1000; ++n) {
        const std::string kept = journal + ".kept" + (n == 1 ? std::string() : std::to_string(n));
        struct stat st {};
        if (::lstat(kept.c_str(), &st) != 0 && errno == ENOENT &&
            ::rename(journal.c_str(), kept.c_str()) == 0)
            return kept;
    }
    return journal;
}

std::string DamagedMessage(const std::string& kept) {
    return "A journal of an interrupted save is damaged and was not applied; it was kept as " + Quoted(kept) +
           ".";
}

std::string ChangedMessage(const std::string& file, const std::string& kept) {
    return "The interrupted save of " + Quoted(file) +
           " was not completed: the file has changed since. Its journal was kept as " + Quoted(kept) + ".";
}

std::string CompletedMessage(const std::string& file) {
    return "The save of " + Quoted(file) + " was interrupted; it has now been completed from its journal.";
}

std::string FailedText(const std::string& file, const std::string& journal, int error) {
    return "The interrupted save of " + Quoted(file) + " could not be completed (" + Reason(error) +
           "); its journal " + Quoted(journal) + " is applied at the next start.";
}

enum class Outcome { Done, Completed, Changed, Damaged, Failed };

// Under the file's lock: applies the journal when the file is what the interrupted save left.
Outcome Apply(LockedFile& file, const std::string& journalPath, std::string& message, int& error) {
    const std::optional<Journal> journal = ReadJournal(journalPath, error);
    if (!journal) {
        if (error == ENOENT)
            return Outcome::Done;
        message = DamagedMessage(KeepAside(journalPath));
        return Outcome::Damaged;
    }
    std::string content;
    const auto largest = std::max(journal->old.size(), journal->next.size());
    if (static_cast<std::size_t>(file.info().st_size) > largest ||
        !(file.ReadAll(content) && IsInterruptedRewrite(content, journal->old, journal->next))) {
        message = ChangedMessage(journal->path, KeepAside(journalPath));
        return Outcome::Changed;
    }
    if (content == journal->next) {
        ::unlink(journalPath.c_str());
        return Outcome::Done;
    }
    if (!file.Overwrite(journal->next)) {
        error = errno;
        message = FailedText(journal->path, journalPath, error);
        return Outcome::Failed;
    }
    ::unlink(journalPath.c_str());
    message = CompletedMessage(journal->path);
    return Outcome::Completed;
}

// Temporary journals of killed writers.
void RemoveLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::time_t old = std::time(nullptr) - kLeftoverSeconds;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (std::string_view(entry->d_name).starts_with(kTemporaryPrefix) &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && st.st_mtime < old)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

std::string JournalFolder() {
    return paths::StateFolder();
}

bool IsInterruptedRewrite(std::string_view content, std::string_view old, std::string_view next) {
    if (content.size() < std::min(old.size(), next.size()) ||
        content.size() > std::max(old.size(), next.size()))
        return false;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (!((i < next.size() && content[i] == next[i]) || (i < old.size() && content[i] == old[i])))
            return false;
    }
    return true;
}

Result<SaveJournal> SaveJournal::Begin(const LockedFile& file, const std::string& path, std::string_view old,
                                       std::string_view content) {
    const std::string folder = JournalFolder();
    const auto refuse = [](const std::string& reason) {
        return Error{"it can only be rewritten in place, and the journal that keeps it whole meanwhile " +
                     reason};
    };
    if (folder.empty())
        return refuse("has no folder (neither XDG_STATE_HOME nor HOME names one)");
    if (const int error = MakeFolders(folder))
        return refuse("cannot be kept in " + Quoted(folder) + " (" + Reason(error) + ")");
    RemoveLeftovers(folder);

    // Absolute, for the start of a program in another working folder.
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).string();
    if (ec)
        absolute = path;
    std::string header(kMagic);
    header += std::to_string(absolute.size()) + ' ' + std::to_string(old.size()) + ' ' +
              std::to_string(content.size()) + '\n' + absolute;
    std::string temporary = folder + "/" + std::string(kTemporaryPrefix) + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return refuse("cannot be kept in " + Quoted(folder) + " (" + Reason(errno) + ")");

    crypto_generichash_state state;
    if (sodium_init() < 0)
        std::abort();
    crypto_generichash_init(&state, nullptr, 0, kChecksumSize);
    off_t offset = 0;
    const auto put = [&](std::string_view data) {
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(data.data()), data.size());
        while (!data.empty()) {
            const ssize_t written = ::pwrite(fd, data.data(), data.size(), offset);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return false;
            data.remove_prefix(static_cast<std::size_t>(written));
            offset += written;
        }
        return true;
    };
    std::array<unsigned char, kChecksumSize> sum{};
    bool written = put(header) && put(old) && put(content);
    crypto_generichash_final(&state, sum.data(), sum.size());
    const std::string journalPath = folder + "/" + JournalName(file.info());
    written = written && put(std::string_view(reinterpret_cast<const char*>(sum.data()), sum.size())) &&
              ::fsync(fd) == 0 && ::rename(temporary.c_str(), journalPath.c_str()) == 0;
    const int error = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return refuse("cannot be written in " + Quoted(folder) + " (" + Reason(error) + ")");
    }
    // The journal must be on the disk before the file is touched.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return SaveJournal(journalPath);
}

void SaveJournal::Finish() {
    ::unlink(m_path.c_str());
}

Result<void> CompletePendingSave(LockedFile& file) {
    const std::string folder = JournalFolder();
    if (folder.empty())
        return {};
    const std::string journalPath = folder + "/" + JournalName(file.info());
    struct stat st {};
    if (::lstat(journalPath.c_str(), &st) != 0)
        return {};
    std::string message;
    int error = 0;
    const Outcome outcome = Apply(file, journalPath, message, error);
    if (!message.empty())
        Queue(message);
    if (outcome == Outcome::Failed)
        return Error{message};
    return {};
}

void CompleteInterruptedSaveOf(const std::string& path) {
    const std::string folder = JournalFolder();
    struct stat target {};
    struct stat journal {};
    if (folder.empty() || ::stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode) ||
        ::lstat((folder + "/" + JournalName(target)).c_str(), &journal) != 0)
        return;
    // A reader that may not write the file leaves its journal to one who may.
    LockedFile file = LockedFile::Open(path, kSaveLockWait);
    if (file.status() == LockedFile::Status::Locked)
        (void)CompletePendingSave(file);
}

std::vector<std::string> TakeJournalMessages() {
    const std::lock_guard<std::mutex> lock(g_messagesMutex);
    return std::exchange(g_messages, {});
}

std::vector<std::string> CompleteInterruptedSaves() {
    std::vector<std::string> messages;
    const std::string folder = JournalFolder();
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!dir)
        return messages;
    std::vector<std::string> journals;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.ends_with(kJournalSuffix) && !name.starts_with('.'))
            journals.push_back(folder + "/" + std::string(name));
    }
    ::closedir(dir);
    std::sort(journals.begin(), journals.end());
    RemoveLeftovers(folder);

    for (const std::string& journalPath : journals) {
        int error = 0;
        const std::optional<Journal> journal = ReadJournal(journalPath, error);
        if (!journal) {
            if (error != ENOENT)
                messages.push_back(DamagedMessage(KeepAside(journalPath)));
            continue;
        }
        LockedFile file = LockedFile::Open(journal->path, kSaveLockWait);
        switch (file.status()) {
        case LockedFile::Status::Missing:
            messages.push_back("The interrupted save of " + Quoted(journal->path) +
                               " was not completed: the file no longer exists. Its journal was kept as " +
                               Quoted(KeepAside(journalPath)) + ".");
            continue;
        case LockedFile::Status::Busy:
            // Its holder completes it before it saves.
            continue;
        case LockedFile::Status::Failed:
            messages.push_back(FailedText(journal->path, journalPath, file.error()));
            continue;
        case LockedFile::Status::Locked:
            break;
        }
        // Under the lock the journal may already be gone (its save ended meanwhile); the file
        // named it, so the name it has under the lock is the one to apply.
        std::string message;
        (void)Apply(file, journalPath, message, error);
        if (!message.empty())
            messages.push_back(message);
    }
    return messages;
}

} // namespace kb
