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
