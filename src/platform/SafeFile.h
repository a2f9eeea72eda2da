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

// Reads a regular file whole. A missing file (or folder on the way) is Missing; a folder,
// a special file (a FIFO would block), a file larger than maxSize or a read error is
// Failed. Both set reason to the system's words; data is empty unless Ok.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& data,
                         std::string& reason);
