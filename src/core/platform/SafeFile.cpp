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

} // namespace kb
