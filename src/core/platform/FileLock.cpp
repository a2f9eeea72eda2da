#include "core/platform/FileLock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kb {

namespace {

enum class LockResult { Taken, Held, Unsupported, Failed };

LockResult TryLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
        return LockResult::Taken;
    if (errno == EAGAIN || errno == EACCES)
        return LockResult::Held;
    if (errno == EINVAL || errno == ENOLCK || errno == EOPNOTSUPP)
        return LockResult::Unsupported;
    return LockResult::Failed;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

LockedFile LockedFile::Open(const std::string& path, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    LockedFile file;
    const auto fail = [&file](int error) {
        file = LockedFile();
        file.m_status = Status::Failed;
        file.m_error = error;
        return std::move(file);
    };
    for (;;) {
        // O_NONBLOCK: a FIFO put there since the caller looked must not block the open.
        file.m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (file.m_fd < 0) {
            if (errno == ENOENT) {
                file.m_status = Status::Missing;
                return file;
            }
            return fail(errno);
        }
        if (::fstat(file.m_fd, &file.m_info) != 0)
            return fail(errno);
        if (!S_ISREG(file.m_info.st_mode))
            return fail(EINVAL);

        auto pause = std::chrono::milliseconds(1);
        LockResult result;
        while ((result = TryLock(file.m_fd)) == LockResult::Held) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                file = LockedFile();
                file.m_status = Status::Busy;
                return file;
            }
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::milliseconds(50));
        }
        if (result == LockResult::Failed)
            return fail(errno);

        // The lock is on what the path named at the open; a save that replaced the file by
        // rename while this one waited has made that file history.
        struct stat now {};
        if (::lstat(path.c_str(), &now) == 0 && SameFile(now, file.m_info)) {
            // The size may have changed while waiting.
            if (!file.Refresh())
                return fail(errno);
            file.m_status = Status::Locked;
            return file;
        }
        ::close(file.m_fd);
        file.m_fd = -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            file.m_status = Status::Busy;
            return file;
        }
    }
}

bool LockedFile::Refresh() {
    return ::fstat(m_fd, &m_info) == 0;
}

bool LockedFile::ReadAll(std::string& data) const {
    data.assign(static_cast<std::size_t>(m_info.st_size), '\0');
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t r = ::pread(m_fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return false;
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    data.resize(got);
    return true;
}

bool LockedFile::Overwrite(std::string_view content) {
    off_t offset = 0;
    while (!content.empty()) {
        const ssize_t written = ::pwrite(m_fd, content.data(), content.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return ::ftruncate(m_fd, offset) == 0 && ::fsync(m_fd) == 0 && Refresh();
}

LockedFile::~LockedFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : m_status(other.m_status), m_error(other.m_error), m_fd(std::exchange(other.m_fd, -1)),
      m_info(other.m_info) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_status = other.m_status;
        m_error = other.m_error;
        m_fd = std::exchange(other.m_fd, -1);
        m_info = other.m_info;
    }
    return *this;
}

} // namespace kb
