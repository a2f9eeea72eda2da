#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/platform/FileLock.h"
#include "core/platform/Result.h"

namespace kb {

// Replaces the file's content in one step: the bytes go to a private temporary file in the
// same folder, which takes the file's mode and then its place by rename, so a failure or a
// kill leaves the old file whole. Where that cannot keep what the user has (a file with
// several hard links) or no temporary file may be created beside an existing, writable file
// (a locked folder), the file is rewritten in place under a journal in the user's state folder
// (SaveJournal.h), which completes the rewrite should the program die half-way; without a
// journal the save is refused. Every save of a file holds its lock throughout (FileLock.h): a
// save that waits longer than kSaveLockWait for another fails, saying so. A new file gets the
// mode the umask gives. A symbolic link is written through, a dangling one creates its target.
// A read-only file stays read-only: writing it fails, as does writing a folder, a FIFO or a
// device. Temporary files of killed saves in the folder (this user's, a minute old) are
// removed. The error names the file and the reason.
// A file written Private is readable by its owner only (0600), whatever mode it had before.
enum class FileMode { Keep, Private };
Result<void> WriteFileSafely(const std::string& path, std::string_view content,
                             FileMode mode = FileMode::Keep);

// The new content of a file made from its content now (empty for a file not there yet); an
// Error ends the save with the file unchanged. May be called more than once, when another
// program created the file meanwhile.
using ContentUpdate = std::function<Result<std::string>(std::string current)>;

// Reads the file, makes its new content and writes it, as WriteFileSafely does, all under the
// file's lock, so that no other save of it comes between the read and the write. The content
// read is limited to kMaxReadFileSize.
Result<void> UpdateFileSafely(const std::string& path, const ContentUpdate& update,
                              std::chrono::milliseconds lockWait = kSaveLockWait);

// The reason given when another save holds the file's lock for longer than a save waits.
inline constexpr const char* kBeingSavedReason =
    "it is being saved by another program; try again in a moment";

// The largest file any reader takes, far above any real catalogue, price, customer file or
// release notes: a larger one is refused before it is read, so that a hostile or mistaken
// file neither freezes the program nor exhausts its memory.
inline constexpr std::size_t kMaxReadFileSize = std::size_t{64} << 20;

// Reads a regular file whole. The error says "Cannot read "PATH": " and the system's words
// (for a file too large, the limit) and has the code Missing for a missing file (or folder
// on the way), TooLarge for a file larger than maxSize or kMaxReadFileSize (whichever is
// smaller), Unreadable for a folder, a special file (a FIFO would block) or a read error.
Result<std::string> ReadWholeFile(const std::string& path, std::size_t maxSize = kMaxReadFileSize);

// The reason in a ReadWholeFile error without the words naming the file, for a caller that
// reports the failure as part of an operation of its own (a write that reads first).
std::string ReadFailureReason(const Error& error, const std::string& path);

// Why the path cannot be written as a file when it names a FIFO, a device or a socket
// ("it is a FIFO (named pipe), not a regular file"); empty for anything else.
std::string SpecialFileReason(const std::string& path);

// Why a file of more than limit bytes is refused, naming the limit: "File too large (the
// limit is 64 MB)".
std::string TooLargeReason(std::size_t limit);

} // namespace kb
