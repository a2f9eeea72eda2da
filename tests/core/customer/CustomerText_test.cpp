#include "core/customer/CustomerRecord.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kb;

namespace {

TEST(CustomerText, EightBitFilesReadAsTheyAlwaysDidAndSaveByteForByte) {
    TempDir dir;
    const std::string original =
        "; written by an 8-bit program \xA7\r\n[Data]\r\nName1=Wei\xDF\r\nIdent1=\x80 100\r\n"
        "Street=\"  quoted \x93x\x94  \"\r\n[Other]\r\nKeep=\xE4\xF6\r\n";
    const std::string path = dir.write("old.CST", original);
    const CustomerRecord record = *ReadCustomerFile(path);
    EXPECT_EQ(record[CustomerRecord::Name1], "Wei\xC3\x9F");
    EXPECT_EQ(record[CustomerRecord::Ident1], "\xE2\x82\xAC 100");
    EXPECT_EQ(record[CustomerRecord::Street], "  quoted \xE2\x80\x9Cx\xE2\x80\x9D  ");

    ASSERT_TRUE(WriteCustomerFile(path, record).has_value());
    const std::string saved = ReadFileBytes(path);
    // The keys the file lacked are added; every byte it had stays.
    EXPECT_EQ(saved.substr(0, saved.find("[Other]")),
              "; written by an 8-bit program \xA7\r\n[Data]\r\nName1=Wei\xDF\r\nIdent1=\x80 100\r\n"
              "Street=\"  quoted \x93x\x94  "
              "\"\r\nCompany1=\r\nCompany2=\r\nName2=\r\nCity=\r\nIdent2=\r\nCode=\r\n");
    EXPECT_TRUE(saved.ends_with("[Other]\r\nKeep=\xE4\xF6\r\n"));
}

TEST(CustomerText, EveryCharacterSurvivesSavingAndReading) {
    TempDir dir;
    const std::string path = dir.file("new.CST");
    CustomerRecord record;
    record[CustomerRecord::Company1] = "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xC5\x81\xC3\xB3"
                                       "d\xC5\xBA \xE5\x8C\x97\xE4\xBA\xAC "
                                       "\xF0\x9F\x98\x80";
    record[CustomerRecord::Name1] = "M\xC3\xBCller \xE2\x80\x93 \xE2\x82\xAC";
    record[CustomerRecord::City] = "\xC3\x83\xC2\xBC";
    record[CustomerRecord::Code] = "VK72-1111x-110Ax-00000-00000-D3x";
    ASSERT_TRUE(WriteCustomerFile(path, record).has_value());

    const std::string saved = ReadFileBytes(path);
    EXPECT_NE(saved.find("Company1=" + record[CustomerRecord::Company1] + "\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Name1=M\xFCller \x96 \x80\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("City=\xC3\x83\xC2\xBC\n"), std::string::npos) << saved;
    EXPECT_EQ(ReadCustomerFile(path)->fields, record.fields);
}

TEST(CustomerText, Utf16FilesAreReadAndWrittenBackByTheRule) {
    TempDir dir;
    const std::u16string text = u"[Data]\r\nName1=Wei\u00df\r\nCompany1=\u5317\u4eac \U0001F600\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    const std::string path = dir.write("utf16.CST", bytes);
    CustomerRecord record = *ReadCustomerFile(path);
    EXPECT_EQ(record[CustomerRecord::Name1], "Wei\xC3\x9F");
    EXPECT_EQ(record[CustomerRecord::Company1], "\xE5\x8C\x97\xE4\xBA\xAC \xF0\x9F\x98\x80");

    record[CustomerRecord::City] = "K\xC3\xB6ln";
    ASSERT_TRUE(WriteCustomerFile(path, record).has_value());
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(
        saved.rfind("[Data]\r\nName1=Wei\xDF\r\nCompany1=\xE5\x8C\x97\xE4\xBA\xAC \xF0\x9F\x98\x80\r\n", 0),
        0u)
        << saved;
    EXPECT_NE(saved.find("City=K\xF6ln\r\n"), std::string::npos) << saved;
    EXPECT_EQ(ReadCustomerFile(path)->fields, record.fields);
}

} // namespace
