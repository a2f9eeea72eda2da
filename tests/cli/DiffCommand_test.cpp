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

std::string Quoted(const std::string& path) {
    return "'" + path + "' ";
}

TEST(DiffCommand, SampleAgainstItselfIsNoChange) {
    TempDir dir;
    const std::string ini = KITBUILDER_DATA_DIR "/KITBUILDER.INI";
    const std::string copy = dir.write("COPY.INI", ReadFileBytes(ini));
    dir.write("COPY.PRS", ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.PRS"));
    for (const std::string& other : {ini, copy}) {
        const CompanionRun run = Companion(dir, "diff " + Quoted(ini) + Quoted(other));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "0 changes\n");
        EXPECT_EQ(run.err, "");
    }
}

// A release that moves USB's index letter, allows no CAN in the lower row any more and raises the
// large housing's price, against a folder of orders saved under the release before.
TEST(DiffCommand, ChangesThenTheOrdersTheyTouch) {
    TempDir dir;
    const std::string oldIni = dir.write("old/KITBUILDER.INI", kSmallCatalogue);
    dir.write("old/KITBUILDER.PRS", kSmallPrices);
    std::string catalogue = ReplaceOnce(kSmallCatalogue, "704=U\n", "704=V\n");
    catalogue = ReplaceOnce(catalogue, "[Max_SCOM]\n701=1", "[Max_SCOM]\n701=0");
    const std::string newIni = dir.write("new/KITBUILDER.INI", catalogue);
    dir.write("new/KITBUILDER.PRS", ReplaceOnce(kSmallPrices, "101=150", "101=165"));
    const std::string orders = dir.path().string() + "/orders";
    dir.write("orders/a-valid.CST", CustomerFileText("Acme", "Ann", "VK72-1111x-110Ax-00000-00000-D3x"));
    dir.write("orders/b-usb.cst", CustomerFileText("Bolt", "Bob", "VK72-1111x-110Ax-00000-000U0-D3x"));
    dir.write("orders/c-can.CST", CustomerFileText("Cog", "Cy", "VK72-1111x-110Ax-00000-C0000-D3x"));
    dir.write("orders/d-large.CST", CustomerFileText("Dent", "Di", "VK72-2111x-110Ax-00000-00000-D3x"));
    dir.write("orders/e-empty.CST", "");

    const CompanionRun run = Companion(dir, "diff " + Quoted(oldIni) + Quoted(newIni) + "--orders " +
                                                Quoted(orders) + "--html " + Quoted(dir.file("report.html")));
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(run.out, "index\t704\tU\tV\n"
                       "price\t101\t150\t165 (+10,0 %)\n"
                       "limit\tMax_SCOM:701\t1\t0\n"
                       "order\t" +
                           orders +
                           "/b-usb.cst\tvalid -> changed\t2245 -> 2195\n"
                           "order\t" +
                           orders +
                           "/c-can.CST\tvalid -> invalid\t2215 -> 2215\n"
                           "order\t" +
                           orders +
                           "/d-large.CST\tvalid -> valid\t2245 -> 2260\n"
                           "3 changes; 3 of 5 orders affected\n");
    EXPECT_EQ(run.err, "");
    const std::string html = ReadFileBytes(dir.file("report.html"));
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("Saved orders affected (3 of 5)"), std::string::npos);
}

TEST(DiffCommand, BadInputNamesTheFileAndSetsTheExitCode) {
    TempDir dir;
    const std::string ini = dir.write("a/KITBUILDER.INI", kSmallCatalogue);
    const std::string prs = dir.write("a/KITBUILDER.PRS", kSmallPrices);
    // No price file beside it.
    const std::string other = dir.write("b/OTHER.INI", ReplaceOnce(kSmallCatalogue, "704=U\n", "704=E\n"));
    const std::string badPrices = dir.write("b/BAD.PRS", ReplaceOnce(kSmallPrices, "700=10", "700=ten"));
    const std::string missing = dir.file("b/NONE.INI");
    struct Case {
        const char* name;
        std::string args;
        int exitCode;
        std::string out;         // exactly, when not empty
        std::string errContains; // a piece of the error stream
    };
    const Case cases[] = {
        {"missing catalogue", "diff " + Quoted(ini) + Quoted(missing), 1, "",
         "Cannot read \"" + missing + "\": no such file"},
        {"a folder for a catalogue", "diff " + Quoted(dir.file("a")) + Quoted(ini), 1, "", dir.file("a")},
        {"one price file only", "diff " + Quoted(ini) + Quoted(other) + "--prices " + Quoted(prs), 64, "",
         "--prices needs two price files, OLD.PRS and NEW.PRS"},
        {"one catalogue only", "diff " + Quoted(ini), 64, "", "diff takes two catalogues"},
        {"global catalogue option", "--catalogue " + Quoted(ini) + "diff " + Quoted(ini) + Quoted(other), 64,
         "", "diff takes its catalogues and price files after the command"},
        {"orders folder that is none", "diff " + Quoted(ini) + Quoted(ini) + "--orders " + Quoted(missing), 1,
         "", "\"" + missing + "\" is not a folder of saved orders"},
        {"lint errors are printed and the diff still runs",
         "diff " + Quoted(ini) + Quoted(other) + "--no-prices", 4, "index\t704\tU\tE\n1 change\n",
         other + ": error: X9/3: Index \"E\" of 704 repeats 703 in the same list"},
        {"price beside one catalogue only: not compared", "diff " + Quoted(ini) + Quoted(other), 4,
         "index\t704\tU\tE\n1 change\n", "warning: Prices were not compared: only \"" + prs + "\""},
        {"a price that is not a number",
         "diff " + Quoted(ini) + Quoted(ini) + "--prices " + Quoted(prs) + Quoted(badPrices), 3,
         "price\t700\t10\tten\n1 change\n",
         badPrices + ": the price of 700, \"ten\", is not a number with the decimal separator \",\""},
        {"the same file twice", "diff " + Quoted(ini) + Quoted(ini) + "--prices " + Quoted(prs) + Quoted(prs),
         0, "0 changes\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CompanionRun run = Companion(dir, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (!c.out.empty())
            EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.errContains), std::string::npos) << run.err;
    }
    const CompanionRun help = Companion(dir, "--help");
    EXPECT_NE(
        help.out.find(
            "diff OLD.INI NEW.INI [--prices OLD.PRS NEW.PRS | --no-prices] [--orders FOLDER] [--html FILE]"),
        std::string::npos);
}

} // namespace
