#include "platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string RandomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string suffix(6, '0');
    for (char& c : suffix) {
        c = kChars[generator() % (sizeof(kChars) - 1)];
    }
    return suffix;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

bool WriteFileSafely(const std::string& path, std::string_view content, std::string* error) {
    const auto fail = [&](int err) {
        if (error) {
            *error = "Cannot write \"" + path + "\": " + std::generic_category().message(err);
        }
        return false;
    };

    // Write through a symbolic link to the file it names instead of replacing the link.
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            return fail(EISDIR);
        }
        if (!S_ISREG(st.st_mode)) {
            return fail(EINVAL);
        }
        // rename() would replace a write-protected file; the protection must hold.
        if (::access(target.c_str(), W_OK) != 0) {
            return fail(errno);
        }
    } else if (errno != ENOENT) {
        return fail(errno);
    }

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + "." + RandomSuffix();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return fail(errno);
        }
    }
    if (fd < 0) {
        return fail(EEXIST);
    }

    const auto abandon = [&](int err) {
        if (fd >= 0) {
            ::close(fd);
        }
        ::unlink(temp.c_str());
        return fail(err);
    };
    if (!WriteAll(fd, content) || ::fsync(fd) != 0) {
        return abandon(errno);
    }
    if (exists) {
        if (::fchmod(fd, st.st_mode & 07777) != 0) {
            return abandon(errno);
        }
        // Keeping the owner only works with the right to give files away; without it the
        // writer owns the new file, as with any editor that saves by rename.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
        }
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) {
        return abandon(errno);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return abandon(errno);
    }

    // Make the rename itself durable; the data is already safe, so a failure here is not reported.
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

std::string TooLargeReason(std::size_t limit) {
    constexpr std::size_t kKB = 1024;
    constexpr std::size_t kMB = kKB * kKB;
    const std::string amount = limit % kMB == 0   ? std::to_string(limit / kMB) + " MB"
                               : limit % kKB == 0 ? std::to_string(limit / kKB) + " KB"
                                                  : std::to_string(limit) + " bytes";
    return std::generic_category().message(EFBIG) + " (the limit is " + amount + ")";
}

ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& data,
                         std::string& reason) {
    data.clear();
    maxSize = std::min(maxSize, kMaxReadFileSize);
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        reason = std::generic_category().message(error);
        return error == ENOENT || error == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        reason = std::generic_category().message(errno);
        ::close(fd);
        return ReadStatus::Failed;
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > maxSize) {
        reason = S_ISDIR(st.st_mode)   ? std::generic_category().message(EISDIR)
                 : S_ISREG(st.st_mode) ? TooLargeReason(maxSize)
                                       : std::string("Not a regular file");
        ::close(fd);
        return ReadStatus::Failed;
    }
    // One spare byte lets the loop notice a file that grew since fstat.
    data.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > maxSize) {
                reason = TooLargeReason(maxSize);
                ::close(fd);
                data.clear();
                return ReadStatus::Failed;
            }
            data.resize(std::min(data.size() * 2, maxSize + 1));
        }
        const ssize_t r = ::read(fd, data.data() + got, data.size() - got);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            reason = std::generic_category().message(errno);
            ::close(fd);
            data.clear();
            return ReadStatus::Failed;
        }
        if (r == 0) {
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    data.resize(got);
    return ReadStatus::Ok;
}
