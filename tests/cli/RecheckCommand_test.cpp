#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

struct CompanionRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CompanionRun Companion(const TempDir& dir, const std::string& args) {
    const std::string outFile = dir.file("stdout.txt");
    const std::string errFile = dir.file("stderr.txt");
    const std::string command =
        std::string(KITBUILDER_CLI) + " " + args + " >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(outFile), ReadFileBytes(errFile)};
}

// Orders saved under the small catalogue, then rechecked after a new catalogue arrived in which
// USB's index letter moved, the lower row allows no CAN any more and CAN left slot X1.
TEST(RecheckCommand, OneLinePerOrderThenTheCounts) {
    TempDir dir;
    std::string catalogue = ReplaceOnce(kSmallCatalogue, "704=U\n", "704=V\n");
    catalogue = ReplaceOnce(catalogue, "[Max_SCOM]\n701=1", "[Max_SCOM]\n701=0");
    catalogue = ReplaceOnce(catalogue, "[X1]\n0=700\n1=701", "[X1]\n0=700");
    const std::string ini = dir.write("KITBUILDER.INI", catalogue);
    dir.write("KITBUILDER.PRS", kSmallPrices);
    fs::create_directories(dir.path() / "orders" / "folder.CST");
    dir.write("orders/a-valid.CST",
              CustomerFileText("Acme Ltd", "Ann Smith", "VK72-1111x-110Ax-00000-00000-D3x"));
    dir.write("orders/b-usb.cst",
              CustomerFileText("Bolt Inc", "Bob Jones", "VK72-1111x-110Ax-00000-000U0-D3x"));
    dir.write("orders/c-can.CST", CustomerFileText("Cog AG", "Cy Kay", "VK72-1111x-110Ax-00000-C0000-D3x"));
    dir.write("orders/d-x1.CST", CustomerFileText("Dent", "Di", "VK72-1111x-110Ax-C0000-00000-D3x"));
    dir.write("orders/e-empty.CST", "");
    dir.write("orders/notes.txt", CustomerFileText("Not", "an order", "VK72-1111x"));
    const std::string extra =
        dir.write("extra.order", CustomerFileText("Extra", "", "VK72-2111x-110Ax-00000-00000-D3x"));
    const std::string before = ReadFileBytes(ini);

    const std::string orders = dir.path().string() + "/orders";
    const CompanionRun run =
        Companion(dir, "--catalogue '" + ini + "' recheck '" + orders + "' '" + extra + "'");
    EXPECT_EQ(run.exitCode, 4);
    const std::string ok = "\t0\tSelected configuration has no errors.\t";
    const std::string std = "VK72-1111x-110Ax-00000-00000-D3x";
    EXPECT_EQ(run.out, dir.path().string() +
                           "/extra.order\tvalid\tExtra\t\tVK72-2111x-110Ax-00000-00000-D3x\t"
                           "VK72-2111x-110Ax-00000-00000-D3x" +
                           ok + "2245\tEUR\n" + orders + "/a-valid.CST\tvalid\tAcme Ltd\tAnn Smith\t" + std +
                           "\t" + std + ok + "2195\tEUR\n" + orders +
                           "/b-usb.cst\tchanged\tBolt Inc\tBob Jones\tVK72-1111x-110Ax-00000-000U0-D3x\t" +
                           std + ok + "2195\tEUR\n" + orders +
                           "/c-can.CST\tinvalid\tCog AG\tCy Kay\tVK72-1111x-110Ax-00000-C0000-D3x\t"
                           "VK72-1111x-110Ax-00000-C0000-D3x\t2\tThere are only 0 CAN interfaces allowed!\t"
                           "2215\tEUR\n" +
                           orders + "/d-x1.CST\tchanged\tDent\tDi\tVK72-1111x-110Ax-C0000-00000-D3x\t" + std +
                           ok + "2195\tEUR\n" + orders + "/e-empty.CST\tunreadable\t\t\t\t\t\t\"" + orders +
                           "/e-empty.CST\" holds no ID code (key Code of section [Data])\t\t\n" + orders +
                           "/folder.CST\tunreadable\t\t\t\t\t\tCannot read \"" + orders +
                           "/folder.CST\": Is a directory\t\t\n"
                           "7 orders: 2 valid, 2 changed, 1 invalid, 2 unreadable\n");
    EXPECT_EQ(run.err, "\"" + orders + "/e-empty.CST\" holds no ID code (key Code of section [Data])\n" +
                           "Cannot read \"" + orders + "/folder.CST\": Is a directory\n");
    EXPECT_EQ(ReadFileBytes(ini), before);

    // Every order valid: success; no price file: no price and no currency.
    fs::remove(dir.file("KITBUILDER.PRS"));
    const CompanionRun valid =
        Companion(dir, "--catalogue '" + ini + "' recheck '" + orders + "/a-valid.CST' '" + extra + "'");
    EXPECT_EQ(valid.exitCode, 0) << valid.err;
    // Sorted by the names as given.
    EXPECT_EQ(valid.out, dir.path().string() +
                             "/extra.order\tvalid\tExtra\t\tVK72-2111x-110Ax-00000-00000-D3x\t"
                             "VK72-2111x-110Ax-00000-00000-D3x" +
                             ok + "\t\n" + orders + "/a-valid.CST\tvalid\tAcme Ltd\tAnn Smith\t" + std +
                             "\t" + std + ok + "\t\n" + "2 orders: 2 valid, 0 changed, 0 invalid\n");
    EXPECT_TRUE(valid.err.empty()) << valid.err;

    const CompanionRun none = Companion(dir, "--catalogue '" + ini + "' recheck");
    EXPECT_EQ(none.exitCode, 64);
    EXPECT_NE(none.err.find("recheck needs at least one file or folder"), std::string::npos);
    const CompanionRun help = Companion(dir, "--help");
    EXPECT_NE(help.out.find("recheck PATH..."), std::string::npos);
}

} // namespace
