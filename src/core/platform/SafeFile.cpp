#include "core/platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kb {

namespace {

std::string RandomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = kChars[generator() % (sizeof(kChars) - 1)];
    }
    return suffix;
}

bool WriteAll(int fd, std::string_view data, off_t offset) {
    while (!data.empty()) {
        const ssize_t written = ::pwrite(fd, data.data(), data.size(), offset);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

// Reads up to size bytes from the start; a file that shrank meanwhile gives what is there.
bool ReadAll(int fd, std::string& data, std::size_t size) {
    data.assign(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        const ssize_t r = ::pread(fd, data.data() + got, size - got, static_cast<off_t>(got));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            return false;
        }
        if (r == 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    data.resize(got);
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
        if (!S_ISLNK(st.st_mode)) {
            return true;
        }
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

// Rewrites the file through one descriptor: the new bytes over the old ones, then the
// length. A failure puts the old bytes back, so the file ends as it was as far as the
// disk allows.
int RewriteInPlace(const std::string& target, std::string_view content) {
    // O_NONBLOCK: a FIFO put there since the check must not block the open.
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return errno;
    }
    const auto finish = [fd](int err) {
        ::close(fd);
        return err;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return finish(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return finish(EINVAL);
    }
    std::string old;
    if (!ReadAll(fd, old, static_cast<std::size_t>(st.st_size))) {
        return finish(errno);
    }
    if (WriteAll(fd, content, 0) && ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 &&
        ::fsync(fd) == 0) {
        return ::close(fd) == 0 ? 0 : errno;
    }
    const int err = errno;
    if (WriteAll(fd, old, 0)) {
        [[maybe_unused]] const int truncated = ::ftruncate(fd, static_cast<off_t>(old.size()));
        ::fsync(fd);
    }
    return finish(err);
}

std::string SpecialFileKind(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a FIFO (named pipe)";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "a special file";
}

} // namespace

std::string SpecialFileReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        return {};
    }
    return "it is " + SpecialFileKind(st.st_mode) + ", not a regular file";
}

namespace {

bool WriteReplacing(const std::string& path, std::string_view content, FileMode mode, std::string* error) {
    const auto failWith = [&](const std::string& reason) {
        if (error) {
            *error = "Cannot write \"" + path + "\": " + reason;
        }
        return false;
    };
    const auto fail = [&](int err) { return failWith(std::generic_category().message(err)); };

    std::string target;
    int err = 0;
    if (!FollowLinks(path, target, err)) {
        return fail(err);
    }
    const auto inPlace = [&]() {
        err = RewriteInPlace(target, content);
        if (err == 0 && mode == FileMode::Private) {
            [[maybe_unused]] const int ignored = ::chmod(target.c_str(), 0600);
        }
        return err == 0 || fail(err);
    };
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            return fail(EISDIR);
        }
        if (!S_ISREG(st.st_mode)) {
            return failWith("it is " + SpecialFileKind(st.st_mode) + ", not a regular file");
        }
        // rename() would replace a write-protected file; the protection must hold.
        if (::access(target.c_str(), W_OK) != 0) {
            return fail(errno);
        }
        // A rename would give this name a new file and leave the other links with the old one.
        if (st.st_nlink > 1) {
            return inPlace();
        }
    } else if (errno != ENOENT) {
        return fail(errno);
    }

    // Private from the start: a file left behind by a killed program shows nobody the
    // order. A short name, so that a target of the longest legal name still has one.
    const std::string folder = FolderOf(target);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/.kb" + RandomSuffix() + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            // A folder that may not be written beside a file that may: write the file itself.
            if (exists && (errno == EACCES || errno == EPERM)) {
                return inPlace();
            }
            return fail(errno);
        }
    }
    if (fd < 0) {
        return fail(EEXIST);
    }

    const auto abandon = [&](int failure) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temp.c_str());
        return fail(failure);
    };
    if (!WriteAll(fd, content, 0) || ::fsync(fd) != 0) {
        return abandon(errno);
    }
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keeping the owner only works with the right to give files away; without it the
        // writer owns the new file, as with any editor that saves by rename.
        [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return abandon(errno);
    }
    // The file's own mode only once it has taken the file's place; the descriptor still
    // names it. The content is safe, so a failure here is not reported.
    if (exists && mode == FileMode::Keep) {
        [[maybe_unused]] const int ignored = ::fchmod(fd, st.st_mode & 07777);
    }
    ::close(fd);

    // Make the rename itself durable; the data is already safe, so a failure here is not reported.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

Result<void> WriteFileSafely(const std::string& path, std::string_view content, FileMode mode) {
    std::string error;
    if (!WriteReplacing(path, content, mode, &error))
        return Error{error};
    return {};
}

std::string TooLargeReason(std::size_t limit) {
    constexpr std::size_t kKB = 1024;
    constexpr std::size_t kMB = kKB * kKB;
    const std::string amount = limit % kMB == 0   ? std::to_string(limit / kMB) + " MB"
                               : limit % kKB == 0 ? std::to_string(limit / kKB) + " KB"
                                                  : std::to_string(limit) + " bytes";
    return std::generic_category().message(EFBIG) + " (the limit is " + amount + ")";
}

namespace {

std::string CannotReadPrefix(const std::string& path) {
    return "Cannot read \"" + path + "\": ";
}

} // namespace

Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxSize) {
    const auto fail = [&path](ErrorCode code, const std::string& reason) {
        return Error{CannotReadPrefix(path) + reason, code};
    };
    maxSize = std::min(maxSize, kMaxReadFileSize);
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        return fail(error == ENOENT || error == ENOTDIR ? ErrorCode::Missing : ErrorCode::Unreadable,
                    std::generic_category().message(error));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(ErrorCode::Unreadable, std::generic_category().message(error));
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > maxSize) {
        ::close(fd);
        if (S_ISREG(st.st_mode))
            return fail(ErrorCode::TooLarge, TooLargeReason(maxSize));
        return fail(ErrorCode::Unreadable, S_ISDIR(st.st_mode) ? std::generic_category().message(EISDIR)
                                                               : std::string("Not a regular file"));
    }
    // One spare byte lets the loop notice a file that grew since fstat.
    std::string data(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > maxSize) {
                ::close(fd);
                return fail(ErrorCode::TooLarge, TooLargeReason(maxSize));
            }
            data.resize(std::min(data.size() * 2, maxSize + 1));
        }
        const ssize_t r = ::read(fd, data.data() + got, data.size() - got);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return fail(ErrorCode::Unreadable, std::generic_category().message(error));
        }
        if (r == 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    data.resize(got);
    return data;
}

std::string ReadFailureReason(const Error& error, const std::string& path) {
    const std::string prefix = CannotReadPrefix(path);
    if (error.message.starts_with(prefix))
        return error.message.substr(prefix.size());
    return error.message;
}

} // namespace kb
