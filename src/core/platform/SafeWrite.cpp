// The writing half of SafeFile.h: locked read-modify-write, rename or journalled rewrite.
#include "core/platform/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "core/platform/SaveJournal.h"

namespace kb {

namespace {

constexpr std::string_view kTemporaryPrefix = ".kb";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kSuffixLength = 8;
// A live save's temporary file is seconds old at most; an older one is a killed writer's.
constexpr std::time_t kLeftoverSeconds = 60;
// Rounds of a save that another program's new file or rename overtook.
constexpr int kAttempts = 20;

std::string RandomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string suffix(kSuffixLength, '0');
    for (char& c : suffix)
        c = kChars[generator() % (sizeof(kChars) - 1)];
    return suffix;
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kSuffixLength + kTemporarySuffix.size() ||
        !name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix))
        return false;
    const std::string_view suffix = name.substr(kTemporaryPrefix.size(), kSuffixLength);
    return std::all_of(suffix.begin(), suffix.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

bool WriteAll(int fd, std::string_view data) {
    off_t offset = 0;
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
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Follows symbolic links in the last part of the path, so that a link is written through
// and a dangling one gets its target. Folders on the way are left as given.
bool FollowLinks(const std::string& path, std::string& target, int& err) {
    target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            err = errno;
            return err == ENOENT;
        }
        if (!S_ISLNK(st.st_mode))
            return true;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) {
            err = errno;
            return false;
        }
        link.resize(static_cast<std::size_t>(length));
        target = link.starts_with('/') ? link : FolderOf(target) + "/" + link;
    }
    err = ELOOP;
    return false;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Temporary files that killed saves left in the folder: this user's, untouched for a minute.
void RemoveLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::time_t old = std::time(nullptr) - kLeftoverSeconds;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (IsTemporaryName(entry->d_name) &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && st.st_mtime < old)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// A private file beside the target, removed again unless Keep is called.
class TemporaryFile {
  public:
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }

    // Created with the given mode (the umask applies), then made private at once: nothing is
    // written to it before. errno tells why it could not be made.
    bool Create(const std::string& folder, mode_t mode) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            // A short name, so that a target of the longest legal name still has one.
            std::string path =
                folder + "/" + std::string(kTemporaryPrefix) + RandomSuffix() + std::string(kTemporarySuffix);
            m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd >= 0) {
                m_path = std::move(path);
                struct stat st {};
                if (::fstat(m_fd, &st) != 0 || ::fchmod(m_fd, 0600) != 0)
                    return false;
                m_createdMode = st.st_mode & 07777;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        errno = EEXIST;
        return false;
    }

    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }
    // The mode a new file gets here: what the umask (or the folder's default ACL) left of 0666.
    mode_t createdMode() const { return m_createdMode; }

    // Whole content on the disk, then the final owner and mode: only now may others read it.
    bool Fill(std::string_view content, uid_t uid, gid_t gid, mode_t mode) {
        if (!WriteAll(m_fd, content) || ::fsync(m_fd) != 0)
            return false;
        if (uid != ::geteuid() || gid != ::getegid()) {
            // Keeping the owner needs the right to give files away; the group, membership of it.
            // Without either the writer owns the new file, as with any editor that saves by rename.
            if (::fchown(m_fd, uid, gid) != 0) {
                [[maybe_unused]] const int ignored = ::fchown(m_fd, static_cast<uid_t>(-1), gid);
            }
        }
        // After fchown, which may clear the set-ID bits.
        return ::fchmod(m_fd, mode) == 0;
    }

    // The file has taken the target's place (or name): nothing to remove.
    void Keep() { m_path.clear(); }

  private:
    int m_fd = -1;
    std::string m_path;
    mode_t m_createdMode = 0600;
};

class Saver {
  public:
    Saver(const std::string& path, const ContentUpdate* update, std::string_view content, FileMode mode,
          std::chrono::milliseconds lockWait)
        : m_path(path), m_update(update), m_content(content), m_mode(mode), m_lockWait(lockWait) {}

    Result<void> Run() {
        std::string target;
        int err = 0;
        if (!FollowLinks(m_path, target, err))
            return Fail(err);
        const std::string folder = FolderOf(target);
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            struct stat st {};
            if (::stat(target.c_str(), &st) != 0) {
                if (errno != ENOENT)
                    return Fail(errno);
                std::optional<Result<void>> created = CreateNew(target, folder);
                if (created)
                    return *created;
                continue;
            }
            if (S_ISDIR(st.st_mode))
                return Fail(EISDIR);
            if (!S_ISREG(st.st_mode))
                return Fail(SpecialFileReason(target));

            LockedFile file = LockedFile::Open(target, m_lockWait);
            switch (file.status()) {
            case LockedFile::Status::Missing:
                continue;
            case LockedFile::Status::Busy:
                return Fail(kBeingSavedReason);
            case LockedFile::Status::Failed:
                return Fail(file.error() == EINVAL ? SpecialFileReason(target) : Reason(file.error()));
            case LockedFile::Status::Locked:
                break;
            }
            return Replace(file, target, folder);
        }
        return Fail(kBeingSavedReason);
    }

  private:
    static std::string Reason(int err) { return std::generic_category().message(err); }
    Error Fail(const std::string& reason) const {
        return Error{"Cannot write \"" + m_path + "\": " + reason};
    }
    Error Fail(int err) const { return Fail(Reason(err)); }

    Result<std::string> Compose(std::string current) const {
        if (!m_update)
            return std::string(m_content);
        return (*m_update)(std::move(current));
    }

    // A file not there yet: it appears whole under its name or not at all. A hard link puts
    // it there only while the name is free, so a save that made the file meanwhile is not
    // overwritten from an empty start; it is read and changed like any existing file.
    std::optional<Result<void>> CreateNew(const std::string& target, const std::string& folder) const {
        Result<std::string> content = Compose({});
        if (!content)
            return Result<void>(content.error());
        TemporaryFile temporary;
        if (!temporary.Create(folder, 0666))
            return Result<void>(Fail(errno));
        if (!temporary.Fill(*content, ::geteuid(), ::getegid(), FinalMode(temporary.createdMode())))
            return Result<void>(Fail(errno));
        if (::link(temporary.path().c_str(), target.c_str()) != 0) {
            if (errno == EEXIST)
                return std::nullopt;
            // A file system without hard links: the rename may replace a file made meanwhile.
            if (::rename(temporary.path().c_str(), target.c_str()) != 0)
                return Result<void>(Fail(errno));
            temporary.Keep();
        }
        Finish(folder);
        return Result<void>();
    }

    Result<void> Replace(LockedFile& file, const std::string& target, const std::string& folder) const {
        if (Result<void> completed = CompletePendingSave(file); !completed)
            return Fail(completed.error().message);
        const struct stat st = file.info();
        // The old content is needed to compose the new one and to rewrite in place.
        const bool inPlace = st.st_nlink > 1;
        std::string old;
        if (m_update || inPlace) {
            if (static_cast<std::size_t>(st.st_size) > kMaxReadFileSize)
                return Fail(TooLargeReason(kMaxReadFileSize));
            if (!file.ReadAll(old))
                return Fail(errno);
        }
        Result<std::string> content = Compose(m_update ? (inPlace ? old : std::move(old)) : std::string());
        if (!content)
            return content.error();

        // A rename would give this name a new file and leave the other links with the old one.
        if (inPlace)
            return RewriteInPlace(file, target, old, *content);

        TemporaryFile temporary;
        if (!temporary.Create(folder, 0600)) {
            // A folder that may not be written beside a file that may: write the file itself.
            if (errno == EACCES || errno == EPERM) {
                if (!file.ReadAll(old))
                    return Fail(errno);
                return RewriteInPlace(file, target, old, *content);
            }
            return Fail(errno);
        }
        if (!temporary.Fill(*content, st.st_uid, st.st_gid, FinalMode(st.st_mode & 07777)) ||
            ::rename(temporary.path().c_str(), target.c_str()) != 0)
            return Fail(errno);
        temporary.Keep();
        Finish(folder);
        return {};
    }

    // The old bytes come back when the write fails; the journal completes the new ones should
    // the program die half-way.
    Result<void> RewriteInPlace(LockedFile& file, const std::string& target, std::string_view old,
                                std::string_view content) const {
        Result<SaveJournal> journal = SaveJournal::Begin(file, target, old, content);
        if (!journal)
            return Fail(journal.error().message);
        if (file.Overwrite(content)) {
            journal->Finish();
            if (m_mode == FileMode::Private) {
                [[maybe_unused]] const int ignored = ::fchmod(file.fd(), 0600);
            }
            return {};
        }
        const int err = errno;
        // Kept where the old bytes cannot be put back either: it makes the file whole at the next start.
        if (file.Overwrite(old))
            journal->Finish();
        return Fail(err);
    }

    mode_t FinalMode(mode_t mode) const { return m_mode == FileMode::Private ? 0600 : mode; }

    static void Finish(const std::string& folder) {
        // Makes the rename durable; the data is already safe, so a failure is not reported.
        SyncFolder(folder);
        RemoveLeftovers(folder);
    }

    const std::string& m_path;
    const ContentUpdate* m_update;
    std::string_view m_content;
    FileMode m_mode;
    std::chrono::milliseconds m_lockWait;
};

} // namespace

Result<void> WriteFileSafely(const std::string& path, std::string_view content, FileMode mode) {
    return Saver(path, nullptr, content, mode, kSaveLockWait).Run();
}

Result<void> UpdateFileSafely(const std::string& path, const ContentUpdate& update,
                              std::chrono::milliseconds lockWait) {
    return Saver(path, &update, {}, FileMode::Keep, lockWait).Run();
}

} // namespace kb
