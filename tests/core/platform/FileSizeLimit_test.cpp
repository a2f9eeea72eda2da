#include "core/platform/SafeFile.h"
#include "core/platform/TIniFile.h"

#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

// Files of the sizes around the limit, sparse, so that they cost no disk.
std::string SparseFile(const TempDir& dir, const std::string& name, std::uintmax_t size) {
    const std::string path = dir.write(name, "[General]\nVersion=1\n");
    fs::resize_file(path, size);
    return path;
}

TEST(FileSizeLimit, WholeFileReadsStopAtTheLimitAndNameIt) {
    TempDir dir;
    const std::string atLimit = SparseFile(dir, "at.ini", kMaxReadFileSize);
    const std::string overLimit = SparseFile(dir, "over.ini", kMaxReadFileSize + 1);
    const std::string small = SparseFile(dir, "small.ini", 1001);

    const std::string missing = dir.file("missing.ini");
    const std::string folder = dir.path().string();

    struct Case {
        const char* name;
        std::string path;
        std::size_t maxSize;
        ErrorCode code; // Unspecified: read
        std::string reason;
    };
    const Case cases[] = {
        {"a file at the limit is read", atLimit, SIZE_MAX, ErrorCode::Unspecified, ""},
        {"one byte more is refused", overLimit, SIZE_MAX, ErrorCode::TooLarge,
         "File too large (the limit is 64 MB)"},
        {"a caller's larger limit does not lift it", overLimit, kMaxReadFileSize * 2, ErrorCode::TooLarge,
         "File too large (the limit is 64 MB)"},
        {"a caller's smaller limit is named", small, 1000, ErrorCode::TooLarge,
         "File too large (the limit is 1000 bytes)"},
        {"a file just under a caller's limit", small, 1001, ErrorCode::Unspecified, ""},
        {"a missing file", missing, SIZE_MAX, ErrorCode::Missing, "No such file or directory"},
        {"a folder", folder, SIZE_MAX, ErrorCode::Unreadable, "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<std::string> data = ReadWholeFile(c.path, c.maxSize);
        if (c.code == ErrorCode::Unspecified) {
            ASSERT_TRUE(data) << data.error().message;
            EXPECT_EQ(data->size(), fs::file_size(c.path));
        } else {
            ASSERT_FALSE(data);
            EXPECT_EQ(data.error().code, c.code);
            EXPECT_EQ(data.error().message, "Cannot read \"" + c.path + "\": " + c.reason);
            EXPECT_EQ(ReadFailureReason(data.error(), c.path), c.reason);
        }
    }
    EXPECT_EQ(TooLargeReason(16 * 1024), "File too large (the limit is 16 KB)");

    const TIniFile ini(overLimit);
    EXPECT_FALSE(ini.Readable());
    EXPECT_EQ(ini.ReadError(), "Cannot read \"" + overLimit + "\": File too large (the limit is 64 MB)");
    EXPECT_EQ(ini.ReadString("General", "Version", "none"), "none");
    const TIniFile read(atLimit);
    EXPECT_TRUE(read.Readable());
    EXPECT_EQ(read.ReadString("General", "Version", "none"), "1");
}

} // namespace
