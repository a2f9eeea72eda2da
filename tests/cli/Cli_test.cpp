#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "TypedCodes.h"

namespace {

// A small catalogue that keeps every rule; tests break it one way at a time.
const std::string& kCatalogue = kSmallCatalogue;
const std::string& kPrices = kSmallPrices;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun RunCli(const TempDir& dir, const std::string& args) {
    const std::string outFile = dir.file("stdout.txt");
    const std::string errFile = dir.file("stderr.txt");
    const std::string command =
        std::string(KITBUILDER_CLI) + " " + args + " >'" + outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileBytes(outFile);
    run.err = ReadFileBytes(errFile);
    return run;
}

// Replaces the first occurrence; a pattern starting with '*' replaces every one.
std::string Replace(std::string text, std::string from, const std::string& to) {
    if (!from.empty() && from[0] == '*') {
        from.erase(0, 1);
        EXPECT_NE(text.find(from), std::string::npos) << from;
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    }
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string ReportLine(const std::string& report, const std::string& name) {
    const auto at = report.find("\n" + name + "\t");
    const auto start = report.rfind(name + "\t", 0) == 0 ? 0 : (at == std::string::npos ? at : at + 1);
    if (start == std::string::npos)
        return {};
    return report.substr(start, report.find('\n', start) - start);
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_ini = m_dir.write("KITBUILDER.INI", kCatalogue);
        m_dir.write("KITBUILDER.PRS", kPrices);
    }
    std::string Catalogue() const { return "--catalogue '" + m_ini + "' "; }

    TempDir m_dir;
    std::string m_ini;
};

TEST_F(CliTest, LintPassesACleanCatalogue) {
    const CliRun run = RunCli(m_dir, Catalogue() + "lint");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "0 errors, 0 warnings\n");
}

TEST_F(CliTest, LintFindsEachBrokenRule) {
    struct Case {
        const char* name;
        std::string from, to;
        std::string finding;
    };
    const std::vector<Case> cases = {
        {"unknown order number in a group", "[X3]\n0=700", "[X3]\n0=777",
         "error: X3/0: order number \"777\""},
        {"unknown extension card", "[Extension]\n0=950", "[Extension]\n0=951",
         "error: Extension/0: order number"},
        {"unknown limit key", "[Max_PCOM]\n701=1", "[Max_PCOM]\n799=1", "error: Max_PCOM/799: order number"},
        {"unknown lower limit key", "[Max_SCOM]\n701=1", "[Max_SCOM]\n798=1",
         "error: Max_SCOM/798: order number"},
        {"unknown exclusion partner", "601=201\n", "601=209\n",
         "error: Exclude_List/601: order number \"209\""},
        {"duplicate order number", "20=950\n", "20=950\n21=100\n",
         "error: OrderNumbers/21: order number \"100\" repeats"},
        {"duplicate description", "101=Housing large", "101=Housing small",
         "error: Descriptions/101: description"},
        {"part without Index", "704=U\n", "", "error: Index/704: part has no Index"},
        {"list position out of order", "101=2\n", "101=3\n", "error: Housing/1: Index \"3\""},
        {"two-character match Index", "703=E\n", "703=EE\n", "error: X9/2: Index \"EE\""},
        {"UTF-8 match Index", "703=E\n", "703=\xC3\x84\n",
         "error: X9/2: Index \"\xC3\x84\" of 703 must be exactly one ASCII"},
        {"8-bit match Index", "703=E\n", "703=\xC4\n",
         "error: X9/2: Index \"\xC3\x84\" of 703 must be exactly one ASCII"},
        {"repeated match Index", "704=U\n", "704=E\n", "error: X9/3: Index \"E\" of 704 repeats 703"},
        {"slot module with 0", "705=D\n", "705=0\n", "error: X9/4: Index \"0\""},
        {"extension card Index", "950=1\n[Housing]", "950=7\n[Housing]", "error: Extension/0: Index \"7\""},
        {"OS order number not whole", "*410", "41A", "error: OperatingSystem/1: operating system order"},
        {"more than nine languages", "5=spanish\n", "5=spanish\n6=a\n7=b\n8=c\n9=d\n",
         "error: OSLanguages/9: more than nine"},
        {"standard languages out of order", "1=english\n2=french", "1=french\n2=english",
         "error: OSLanguages/1: \"french\" found where \"english\""},
        {"Profibus misplaced in X4", "1=701\n2=702\n[X5]", "1=702\n2=701\n[X5]",
         "error: X4/2: entry 3 of X4 must be the Profibus"},
        {"limit without digit", "[Max_SCOM]\n701=1", "[Max_SCOM]\n701=x", "error: Max_SCOM/701: limit \"x\""},
        {"gap in a group list", "[X6]\n0=700\n1=701", "[X6]\n0=700\n2=701", "warning: X6/2: never read"},
        {"empty mandatory group", "[RAM]\n0=300", "[RAM]\n", "error: RAM/0: the list is empty"},
        {"lower-case match Index", "701=C\n", "701=c\n", "error: X1/1: Index \"c\" of 701 is a lower-case"},
        {"code does not survive", "101=Housing large", "101=Housing small",
         "error: Housing/1: option \"Housing small\" does not survive"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_dir.write("KITBUILDER.INI", Replace(kCatalogue, c.from, c.to));
        const CliRun run = RunCli(m_dir, Catalogue() + "lint");
        EXPECT_NE(run.out.find(c.finding), std::string::npos) << run.out;
        const bool isError = c.finding.rfind("error", 0) == 0;
        EXPECT_EQ(run.exitCode, isError ? 4 : 0) << run.out;
    }

    m_dir.write("KITBUILDER.INI", kCatalogue);
    m_dir.write("KITBUILDER.PRS", Replace(kPrices, "704=50", "704=5.5"));
    const CliRun badPrice = RunCli(m_dir, Catalogue() + "lint");
    EXPECT_EQ(badPrice.exitCode, 4);
    EXPECT_NE(badPrice.out.find("error: Prices/704: price \"5.5\""), std::string::npos) << badPrice.out;
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "--no-prices lint").exitCode, 0);
}

TEST_F(CliTest, SelectAppliesUserChangesAndReports) {
    const CliRun run = RunCli(m_dir, Catalogue() + "select X4=3 Housing=1 OSLanguage=2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReportLine(run.out, "Housing"), "Housing\t1\tHousing large");
    EXPECT_EQ(ReportLine(run.out, "X4"), "X4\t3\tProfibus");
    // The check completes the Profibus pair in X9.
    EXPECT_EQ(ReportLine(run.out, "X9"), "X9\t6\tProfibus");
    EXPECT_EQ(ReportLine(run.out, "PCI"), "PCI\t0\tPCI card");
    EXPECT_EQ(ReportLine(run.out, "ZEV-Azo"), "ZEV-Azo\tshown");
    EXPECT_EQ(ReportLine(run.out, "Result"), "Result\t0");
    EXPECT_EQ(ReportLine(run.out, "Status"), "Status\tSelected configuration has no errors.");
    EXPECT_EQ(ReportLine(run.out, "Price"), "Price\t2275\tEUR");
    EXPECT_EQ(ReportLine(run.out, "Code"), "Code\tVK72-2111x-130Ax-00000-000P0-D3x");

    const CliRun hidden = RunCli(m_dir, Catalogue() + "--no-prices select HMI=1 Power=1 Processor=1");
    ASSERT_EQ(hidden.exitCode, 0);
    EXPECT_EQ(ReportLine(hidden.out, "ZEV-Azo"), "ZEV-Azo\thidden");
    EXPECT_EQ(ReportLine(hidden.out, "Result"), "Result\t4");
    EXPECT_EQ(ReportLine(hidden.out, "Status"),
              "Status\tCombination of Supply low and CPU fast is not allowed!");
    EXPECT_EQ(ReportLine(hidden.out, "Price"), "Price\t\t");

    for (const char* bad : {"Nothing=1", "X4=4", "Housing=-2", "PCI=2", "X4", "RAM=one"}) {
        SCOPED_TRACE(bad);
        const CliRun usage = RunCli(m_dir, Catalogue() + "select " + bad);
        EXPECT_EQ(usage.exitCode, 64);
        EXPECT_NE(usage.err.find("usage: kitbuilder-cli"), std::string::npos);
        EXPECT_TRUE(usage.out.empty());
    }
}

TEST_F(CliTest, MarksListsWhatWouldBreakOrClearARule) {
    const std::string exclusion = "Combination of Supply low and CPU fast is not allowed!";
    const struct {
        const char* args;
        std::string out;
    } cases[] = {
        {"marks", "0 marked\n"},
        {"marks X1=2", "X4\t2\tbreaks\tCAN\tThere is only 1 CAN interface allowed!\n1 marked\n"},
        {"marks Processor=1", "Power\t1\tbreaks\tSupply low\t" + exclusion + "\n1 marked\n"},
        {"marks Processor=1 Power=1", "Processor\t0\tclears\tCPU slow\t" + exclusion +
                                          "\nPower\t0\tclears\tSupply 24 V\t" + exclusion + "\n2 marked\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(m_dir, Catalogue() + c.args);
        EXPECT_EQ(run.exitCode, 0) << c.args << run.err;
        EXPECT_EQ(run.out, c.out) << c.args;
    }

    // The card is listed as PCI, before the slots; its text is the card's caption.
    m_dir.write("KITBUILDER.INI", Replace(kCatalogue, "[Exclude_List]\n", "[Exclude_List]\n950=101\n"));
    const CliRun card = RunCli(m_dir, Catalogue() + "marks X1=2 Housing=1");
    EXPECT_EQ(card.exitCode, 0);
    EXPECT_EQ(card.out,
              "PCI\t1\tbreaks\tPCI card\tCombination of PCI card and Housing large is not allowed!\n"
              "X4\t2\tbreaks\tCAN\tThere is only 1 CAN interface allowed!\n2 marked\n");

    EXPECT_EQ(RunCli(m_dir, Catalogue() + "marks X4=9").exitCode, 64);
    EXPECT_NE(RunCli(m_dir, "--help").out.find("marks [NAME=INDEX...]"), std::string::npos);
}

TEST_F(CliTest, DecodeReportsWhetherTheCodeReproducesItself) {
    const CliRun good = RunCli(m_dir, Catalogue() + "decode vk72-2121x-231ax-C0000-000P0-D5x");
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(ReportLine(good.out, "Processor"), "Processor\t1\tCPU fast");
    EXPECT_EQ(ReportLine(good.out, "OSLanguage"), "OSLanguage\t2\tfrench");
    EXPECT_EQ(ReportLine(good.out, "PCI"), "PCI\t1\tPCI card");
    EXPECT_EQ(ReportLine(good.out, "X1"), "X1\t2\tCAN");
    EXPECT_EQ(ReportLine(good.out, "X4"), "X4\t3\tProfibus");
    EXPECT_EQ(ReportLine(good.out, "HMICable"), "HMICable\t1\tCable 5 m");
    EXPECT_EQ(ReportLine(good.out, "Code"), "Code\tVK72-2121x-231Ax-C0000-000P0-D5x");

    // Without the prefix the code is taken all the same.
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "decode 2121x-231Ax-C0000-000P0-D5x").exitCode, 0);

    const CliRun unknown = RunCli(m_dir, Catalogue() + "decode VK72-1111x-110Ax-Q0000-00000-D3x");
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(unknown.err.find("does not describe a correct configuration of VK72!"), std::string::npos);
    EXPECT_EQ(ReportLine(unknown.out, "X1"), "X1\t0\t---------------");

    const CliRun shortCode = RunCli(m_dir, Catalogue() + "decode VK72-1111x");
    EXPECT_EQ(shortCode.exitCode, 4);
    EXPECT_NE(shortCode.err.find("\"VK72-1111x\" is not an ID code"), std::string::npos) << shortCode.err;
}

TEST_F(CliTest, OrderlistPrintsThePlainTextAndWritesRtf) {
    const std::string customer = m_dir.write(
        "order.CST", "[Data]\nCompany1=Acme Ltd\nName1=Ann Smith\nCode=VK72-1111x-110Ax-00000-00000-D3x\n");
    const std::string rtf = m_dir.file("order.rtf");
    const CliRun run =
        RunCli(m_dir, Catalogue() + "orderlist --customer '" + customer + "' X1=1 --rtf '" + rtf + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Order Number\tType\tDescription\tPrice EN (EUR)\tPos.\t\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("700\tM-S\tSerial\t10\tX1\t\n"), std::string::npos);
    EXPECT_NE(run.out.find("\tCompany1\tAcme Ltd\t\t\t\n"), std::string::npos);
    EXPECT_NE(run.out.find("\tID-Code:\tVK72-1111x-110Ax-S0000-00000-D3x\t\t\t\n"), std::string::npos);
    const std::string written = ReadFileBytes(rtf);
    EXPECT_EQ(written.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(written.find("Acme Ltd"), std::string::npos);

    const CliRun fault = RunCli(m_dir, Catalogue() + "orderlist --code VK72-1111x-110Ax-C00C0-00000-D3x");
    EXPECT_EQ(fault.exitCode, 4);
    EXPECT_EQ(fault.err, "There is only 1 CAN interface allowed!\n");
    EXPECT_TRUE(fault.out.empty());

    const CliRun unwritable =
        RunCli(m_dir, Catalogue() + "orderlist --rtf '" + m_dir.file("no/such/folder.rtf") + "'");
    EXPECT_EQ(unwritable.exitCode, 4);
    EXPECT_NE(unwritable.err.find("no/such/folder.rtf"), std::string::npos);

    // The window's naming rules: ".rtf" added to a bare name, "." and ".." refused.
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "orderlist --rtf '" + m_dir.file("bare") + "'").exitCode, 0);
    EXPECT_EQ(ReadFileBytes(m_dir.file("bare.rtf")).rfind("{\\rtf1", 0), 0u);
    const CliRun dots = RunCli(m_dir, Catalogue() + "orderlist --rtf '" + m_dir.file("..") + "'");
    EXPECT_EQ(dots.exitCode, 4);
    EXPECT_NE(dots.err.find("is not a file name"), std::string::npos) << dots.err;
}

TEST_F(CliTest, OrderlistStopsOnACustomerFileItCannotRead) {
    const std::string folder = m_dir.file("folder.CST");
    std::filesystem::create_directory(folder);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {m_dir.file("missing.CST"),
         "Cannot read \"" + m_dir.file("missing.CST") + "\": No such file or directory\n"},
        {folder, "Cannot read \"" + folder + "\": Is a directory\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(m_dir, Catalogue() + "orderlist --customer '" + c.path + "'");
        EXPECT_EQ(run.exitCode, 1) << c.path;
        EXPECT_EQ(run.err, c.message);
        EXPECT_TRUE(run.out.empty()) << c.path;
    }
}

TEST_F(CliTest, OrderlistPrintsCustomerTextAsUtf8ForEitherFileKind) {
    const struct {
        const char* name;
        std::string name1; // as the file holds it
        std::string shown;
    } cases[] = {
        {"Windows-1252", "Wei\xDF \x80 \x84x\x93", "Wei\xC3\x9F \xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C"},
        {"UTF-8", "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xE5\x8C\x97\xE4\xBA\xAC \xF0\x9F\x98\x80",
         "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xE5\x8C\x97\xE4\xBA\xAC \xF0\x9F\x98\x80"},
        {"UTF-16",
         std::string("\xFF\xFE[\0D\0a\0t\0a\0]\0\n\0N\0a\0m\0e\0001\0=\0\xAC\x20\x3D\xD8\x00\xDE", 34),
         "\xE2\x82\xAC\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool utf16 = c.name1.starts_with("\xFF\xFE");
        const std::string customer =
            m_dir.write("order.CST", utf16 ? c.name1 : "[Data]\r\nName1=" + c.name1 + "\r\n");
        const CliRun run = RunCli(m_dir, Catalogue() + "orderlist --customer '" + customer + "'");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("\tName1\t" + c.shown + "\t\t\t\n"), std::string::npos) << run.out;
    }
}

TEST_F(CliTest, FindsTheCatalogueBesideItselfWithoutRegardToCase) {
    const auto folder = m_dir.path() / "bin";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(KITBUILDER_CLI, folder / "kitbuilder-cli");
    std::filesystem::copy_file(m_ini, folder / "kitbuilder.ini");
    const std::string cli = "'" + (folder / "kitbuilder-cli").string() + "' ";
    const int status = std::system((cli + "select Housing=1 >'" + m_dir.file("out.txt") + "' 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadFileBytes(m_dir.file("out.txt"));
    // No price file beside it: no-price mode.
    EXPECT_EQ(ReportLine(ReadFileBytes(m_dir.file("out.txt")), "Price"), "Price\t\t");
}

TEST_F(CliTest, FatalStartUpsAndUsage) {
    const CliRun missing = RunCli(m_dir, "--catalogue '" + m_dir.file("NONE.INI") + "' select Housing=0");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.rfind("Configuration file KITBUILDER.INI not found.", 0), 0u);
    EXPECT_EQ(RunCli(m_dir, "--catalogue '" + m_dir.file("NONE.INI") + "' lint").exitCode, 1);

    const CliRun folder = RunCli(m_dir, "--catalogue '" + m_dir.path().string() + "' decode X");
    EXPECT_EQ(folder.exitCode, 1);

    m_dir.write("KITBUILDER.PRS", Replace(kPrices, "601=40", "601=4O"));
    const CliRun badPrice = RunCli(m_dir, Catalogue() + "select Housing=0");
    EXPECT_EQ(badPrice.exitCode, 3);
    EXPECT_EQ(badPrice.err.rfind("One or more prices have an illegal format.", 0), 0u);
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "--no-prices select Housing=0").exitCode, 0);

    const std::string before = ReadFileBytes(m_ini);
    m_dir.write("KITBUILDER.PRS", kPrices);
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "select Housing=1").exitCode, 0);
    EXPECT_EQ(ReadFileBytes(m_ini), before) << "the companion must never write the catalogue";

    EXPECT_EQ(RunCli(m_dir, "").exitCode, 64);
    EXPECT_EQ(RunCli(m_dir, Catalogue() + "explode").exitCode, 64);
    EXPECT_EQ(RunCli(m_dir, "--prices a --no-prices lint").exitCode, 64);
    const CliRun help = RunCli(m_dir, "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("orderlist [--customer FILE]"), std::string::npos);
}

// The companion takes a typed code exactly as the ID-code dialog does, for decode and --code.
TEST_F(CliTest, TypedCodesAreTakenAsTheDialogTakesThem) {
    for (const TypedCodeCase& c : kTypedCodes) {
        const bool code = *c.normalized != '\0';
        const std::string quoted = "'" + std::string(c.typed) + "'";
        for (const std::string& args : {"decode " + quoted, "orderlist --code " + quoted}) {
            const CliRun run = RunCli(m_dir, Catalogue() + args);
            EXPECT_EQ(run.err.find("is not an ID code") == std::string::npos, code) << args << "\n"
                                                                                    << run.err;
            if (!code)
                EXPECT_EQ(run.exitCode, 4) << args;
        }
    }
}

} // namespace
