#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"

namespace {

struct SaveRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

SaveRun Save(const TempDir& dir, const std::string& args) {
    const std::string command = std::string(KITBUILDER_CLI) + " --catalogue '" + dir.file("KITBUILDER.INI") +
                                "' save " + args + " >'" + dir.file("out") + "' 2>'" + dir.file("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(dir.file("out")),
            ReadFileBytes(dir.file("err"))};
}

// The configuration the small catalogue starts with.
const std::string kStartCode = "VK72-1111x-120Ax-00000-00000-D3x";

TEST(SaveCommand, WritesTheFileAsTheWindowsSaveDoes) {
    const struct {
        const char* name;
        std::string before; // empty: no file
        std::string args;
        int exitCode;
        std::string after; // the file; "unchanged" keeps what was there
        std::string out;
        std::string err;
    } cases[] = {
        {"new file: nine keys, the code of the standard configuration", "",
         "'Company1=Acme Ltd' 'Name1=Ann Smith' City=Bern", 0,
         "[Data]\nCompany1=Acme Ltd\nCompany2=\nName1=Ann "
         "Smith\nName2=\nStreet=\nCity=Bern\nIdent1=\nIdent2=\nCode=" +
             kStartCode + "\n",
         kStartCode + "\n", ""},
        {"the code and the controls give the configuration; other lines stay",
         "; order\n[Data]\nName1=Old\nCode=x\n[Notes]\nseen=yes\n",
         "--code vk72-2121x-231ax-C0000-000P0-D5x X1=0 'Street= Main 1 '", 0,
         "; "
         "order\n[Data]\nName1=\nCode=VK72-2121x-231Ax-00000-000P0-D5x\nCompany1=\nCompany2=\nName2=\nStreet="
         "\" Main 1 "
         "\"\nCity=\nIdent1=\nIdent2=\n[Notes]\nseen=yes\n",
         "VK72-2121x-231Ax-00000-000P0-D5x\n", ""},
        {"Code=CODE is the code to apply", "", "Code=VK72-1111x-110Ax-S0000-00000-D3x", 0,
         "[Data]\nCompany1=\nCompany2=\nName1=\nName2=\nStreet=\nCity=\nIdent1=\nIdent2=\nCode=VK72-1111x-"
         "110Ax-S0000-"
         "00000-D3x\n",
         "VK72-1111x-110Ax-S0000-00000-D3x\n", ""},
        {"a configuration with a fault is not saved", "[Data]\nName1=Old\n",
         "--code VK72-1111x-110Ax-C00C0-00000-D3x", 4, "unchanged", "",
         "There is only 1 CAN interface allowed!\n"},
        {"a code that does not stand for its configuration is not saved", "",
         "--code VK72-1111x-110Ax-Q0000-00000-D3x", 4, "", "",
         "does not describe a correct configuration of VK72!"},
        {"a code too short is not saved", "", "--code VK72-11", 4, "", "", "VK72-11"},
        {"an unknown name is wrong usage", "", "Company3=x", 64, "", "", "\"Company3=x\""},
        {"no file is wrong usage", "", "", 64, "", "", "save needs the customer file to write"},
        {"two files are wrong usage", "", "other.CST", 64, "", "", "\"other.CST\" is a second one"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("KITBUILDER.INI", kSmallCatalogue);
        const std::string path = dir.file("order.CST");
        if (!c.before.empty())
            dir.write("order.CST", c.before);
        const std::string fileArg = std::string(c.name).starts_with("no file") ? "" : "'" + path + "' ";
        const SaveRun run = Save(dir, fileArg + c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out);
        if (c.exitCode == 0)
            EXPECT_EQ(run.err, "");
        else
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        if (c.after == "unchanged")
            EXPECT_EQ(ReadFileBytes(path), c.before);
        else if (c.after.empty())
            EXPECT_FALSE(std::filesystem::exists(path));
        else
            EXPECT_EQ(ReadFileBytes(path), c.after);
    }
}

TEST(SaveCommand, ReportsAFileItCannotWrite) {
    TempDir dir;
    dir.write("KITBUILDER.INI", kSmallCatalogue);
    std::filesystem::create_directory(dir.path() / "order.CST");
    const SaveRun run = Save(dir, "'" + dir.file("order.CST") + "' Name1=x");
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.err, "Cannot write \"" + dir.file("order.CST") + "\": Is a directory\n");
}

} // namespace
