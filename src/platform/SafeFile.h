#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Replaces the file's content in one step: the bytes go to a temporary file in the same
// folder, which then takes the file's place by rename, so a failure leaves the old file
// whole. A read-only file stays read-only: writing it fails. On failure returns false and
// sets *error to a message naming the file.
bool WriteFileSafely(const std::string& path, std::string_view content, std::string* error);

enum class ReadStatus { Ok, Missing, Failed };

// The largest file any reader takes, far above any real catalogue, price, customer file or
// release notes: a larger one is refused before it is read, so that a hostile or mistaken
// file neither freezes the program nor exhausts its memory.
inline constexpr std::size_t kMaxReadFileSize = std::size_t{64} << 20;

// Reads a regular file whole. A missing file (or folder on the way) is Missing; a folder,
// a special file (a FIFO would block), a file larger than maxSize or kMaxReadFileSize
// (whichever is smaller) or a read error is Failed. Both set reason to the system's words,
// for a file too large with the limit; data is empty unless Ok.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& data,
                         std::string& reason);

// Why a file of more than limit bytes is refused, naming the limit: "File too large (the
// limit is 64 MB)".
std::string TooLargeReason(std::size_t limit);
