#pragma once

#include <string>
#include <string_view>

// Replaces the file's content in one step: the bytes go to a temporary file in the same
// folder, which then takes the file's place by rename, so a failure leaves the old file
// whole. A read-only file stays read-only: writing it fails. On failure returns false and
// sets *error to a message naming the file.
bool WriteFileSafely(const std::string& path, std::string_view content, std::string* error);
