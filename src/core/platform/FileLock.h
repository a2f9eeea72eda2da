#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace kb {

// How long a save waits for another program's save of the same file before it gives up.
inline constexpr std::chrono::milliseconds kSaveLockWait{5000};

// An existing regular file, open for reading and writing, with the write lock that every save
// of it takes for its whole read-modify-write. The lock is an open-file-description lock: POSIX
// byte-range semantics, so it also holds against other machines on a shared folder whose file
// system honours POSIX locks, yet no other descriptor of this process opening and closing the
// file can drop it. Released when the object goes.
class LockedFile {
  public:
    enum class Status { Locked, Missing, Busy, Failed };

    // Opens the file at path (which must not be a symbolic link) and takes its lock, waiting at
    // most wait for another holder. When the path names another file once the lock is held (a
    // save replaced it by rename meanwhile), starts again on that one. A file system without
    // locks gives the file unlocked, as any editor would write it.
    static LockedFile Open(const std::string& path, std::chrono::milliseconds wait);

    LockedFile() = default;
    ~LockedFile();
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    Status status() const { return m_status; }
    // The errno of a Failed open.
    int error() const { return m_error; }
    int fd() const { return m_fd; }
    // The file as it was when the lock was taken; Refresh after changing it.
    const struct stat& info() const { return m_info; }
    bool Refresh();

    // The whole content from the start; false with errno set when it cannot be read.
    bool ReadAll(std::string& data) const;
    // Makes the content exactly these bytes, the new ones written over the old from the start,
    // then the length cut, then flushed to the disk. False with errno set on failure, the file
    // then holding some mix of both.
    bool Overwrite(std::string_view content);

  private:
    Status m_status = Status::Missing;
    int m_error = 0;
    int m_fd = -1;
    struct stat m_info {};
};

} // namespace kb
