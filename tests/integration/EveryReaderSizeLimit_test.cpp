// Every file the program reads is refused above the size limit, with a message that
// names the file and the limit.
#include "core/platform/SafeFile.h"
#include "core/richtext/RtfReader.h"
#include "core/session/Configurator.h"

#include "TestFiles.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr const char* kLimitReason = "File too large (the limit is 64 MB)";

TEST(FileSizeLimit, EveryReaderNamesTheFileAndTheLimit) {
    TempDir dir;
    const std::string catalogue =
        dir.write("KITBUILDER.INI", ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.INI"));
    const std::string prices =
        dir.write("KITBUILDER.PRS", ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.PRS"));
    // Sparse and starting with what the reader expects, so that only the size is at fault.
    const auto oversized = [&dir](const std::string& name, const std::string& start) {
        const std::string path = dir.write(name, start);
        fs::resize_file(path, kMaxReadFileSize + 1);
        return path;
    };
    const std::string bigCatalogue = oversized("BIG.INI", "[General]\nVersion=1\n");
    const std::string bigPrices = oversized("BIG.PRS", "[General]\nCurrency=EUR\n");
    const std::string bigCustomer = oversized("big.kd", "[Data]\nName1=Someone\n");
    const std::string bigNotes = oversized("big.rtf", "{\\rtf1 Release notes\\par}");

    struct Case {
        const char* name;
        std::string path;
        std::function<std::string()> read; // the message the user gets
    };
    const Case cases[] = {
        {"catalogue", bigCatalogue,
         [&] {
             Configurator c;
             const LoadOutcome outcome = c.LoadCatalogue(bigCatalogue, prices);
             EXPECT_EQ(outcome.result, LoadResult::CatalogueMissing);
             return Configurator::LoadFailureText(outcome);
         }},
        {"price file", bigPrices,
         [&] {
             Configurator c;
             const LoadOutcome outcome = c.LoadCatalogue(catalogue, bigPrices);
             EXPECT_EQ(outcome.result, LoadResult::BadPrice);
             return Configurator::LoadFailureText(outcome);
         }},
        {"customer file", bigCustomer,
         [&] {
             Configurator c;
             const auto messages = c.OpenCustomerFile(bigCustomer);
             EXPECT_TRUE(c.customerFile().empty());
             EXPECT_EQ(messages.size(), 1u);
             return messages.empty() ? std::string() : messages.front().text;
         }},
        {"release notes", bigNotes,
         [&] {
             const Result<RtfDocument> notes = ReadRtfFile(bigNotes);
             if (notes)
                 return std::string("read whole");
             EXPECT_EQ(notes.error().code, ErrorCode::TooLarge);
             return notes.error().message;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(c.read().find("Cannot read \"" + c.path + "\": " + kLimitReason), std::string::npos);
    }
}

} // namespace
