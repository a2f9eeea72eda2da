#include "core/customer/Recheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr const char* kStandard = "VK72-1111x-110Ax-00000-00000-D3x";
// The standard configuration with CAN in X1.
constexpr const char* kWithCan = "VK72-1111x-110Ax-C0000-00000-D3x";

Configurator Started(const std::string& catalogue, const std::string& prices) {
    Configurator c;
    const LoadOutcome outcome = c.LoadCatalogue(catalogue, prices);
    if (outcome.result != LoadResult::Loaded)
        throw std::runtime_error("catalogue did not load: " + outcome.detail);
    c.StartUp(false);
    return c;
}

class RecheckTest : public ::testing::Test {
  protected:
    // The folder's catalogue and prices as the program would start on them.
    RecheckBasis Basis(const std::string& catalogue = kSmallCatalogue,
                       const std::string& prices = kSmallPrices) {
        const std::string ini = m_dir.write("KITBUILDER.INI", catalogue);
        const std::string prs = m_dir.write("KITBUILDER.PRS", prices);
        const Configurator c = Started(ini, prs);
        return MakeRecheckBasis(c.snapshot(), c.startChoice(), ReadRuleSections(ini).value());
    }
    std::string Order(const std::string& name, const std::string& code) {
        return m_dir.write(name, CustomerFileText("Acme Ltd", "Ann Smith", code));
    }

    TempDir m_dir;
};

TEST_F(RecheckTest, SavedOrdersAgainstANewCatalogue) {
    struct Case {
        const char* name;
        std::string from, to; // the catalogue's edit since the order was saved
        std::string storedCode;
        RecheckVerdict verdict;
        std::vector<std::string> unmatched;
        int result; // -1: the code could not be applied
        std::string status;
        std::string codeNow;
        std::string price;
    };
    const std::string ok = kStatusNoErrors;
    using V = RecheckVerdict;
    // clang-format off
    const std::vector<Case> cases = {
        {"unchanged catalogue", "", "", kWithCan, V::Valid, {}, 0, ok, kWithCan, "2215"},
        {"price raised", "", "", kWithCan, V::Valid, {}, 0, ok, kWithCan, "2220"},
        {"index letter moved", "701=C\n", "701=N\n", kWithCan, V::Changed, {"X1"}, 0, ok, kStandard, "2195"},
        {"limit tightened", "[Max_PCOM]\n701=1", "[Max_PCOM]\n701=0", kWithCan, V::Invalid, {}, 2,
         "There are only 0 CAN interfaces allowed!", kWithCan, "2215"},
        {"exclusion added", "601=201\n", "601=201\n701=300\n", kWithCan, V::Invalid, {}, 4,
         "Combination of CAN and RAM 4 GB is not allowed!", kWithCan, "2215"},
        {"module removed from its slot", "[X1]\n0=700\n1=701", "[X1]\n0=700", kWithCan, V::Changed, {"X1"}, 0, ok,
         kStandard, "2195"},
        {"only display removed", "[Display]\n0=800", "[Display]", kWithCan, V::Invalid, {"Display"}, 1,
         kStatusIncomplete, "", ""},
        {"housing past the end", "", "", "VK72-3111x-110Ax-00000-00000-D3x", V::Changed, {"Housing"}, 0, ok,
         "VK72-2111x-110Ax-00000-00000-D3x", "2245"},
        {"card neither on nor off", "", "", "VK72-1111x-117Ax-00000-00000-D3x", V::Changed, {"PCI"}, 0, ok,
         kStandard, "2195"},
        {"power out of range", "", "", "VK72-1911x-110Ax-00000-00000-D3x", V::Invalid, {"Power"}, 1,
         kStatusIncomplete, "", ""},
        {"Profibus in X9 completed in X4", "", "", "VK72-1111x-110Ax-00000-000P0-D3x", V::Valid, {}, 0, ok,
         "VK72-1111x-110Ax-00000-000P0-D3x", "2225"},
        // The hidden display and cable are not priced, as the order list does not list them.
        {"panel without display", "", "", "VK72-1111x-110Bx-00000-00000-00x", V::Valid, {}, 0, ok,
         "VK72-1111x-110Bx-00000-00000-00x", "490"},
        {"letters stored in small", "", "", "vk72-1111x-110ax-c0000-00000-d3x", V::Changed,
         {"HMI", "X1", "Display"}, 0, ok, kStandard, "2195"},
        // The prefix and the placeholders are not read: in small letters or capitals, the same order.
        {"prefix in small letters", "", "", "vk72-1111x-110Ax-C0000-00000-D3x", V::Valid, {}, 0, ok, kWithCan,
         "2215"},
        {"placeholders in capitals", "", "", "VK72-1111X-110AX-C0000-00000-D3X", V::Valid, {}, 0, ok, kWithCan,
         "2215"},
        {"code too short", "", "", "VK72-1111x-110Ax", V::Invalid, {}, -1,
         "The ID code is too short: it has 16 characters, 31 are needed (\"VK72-\" and the code up to the cable "
         "length).", "", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string catalogue =
            c.from.empty() ? kSmallCatalogue : ReplaceOnce(kSmallCatalogue, c.from, c.to);
        const std::string prices = std::string(c.name) == "price raised"
                                       ? ReplaceOnce(kSmallPrices, "701=20", "701=25")
                                       : kSmallPrices;
        const RecheckBasis basis = Basis(catalogue, prices);
        const std::string file = Order("order.CST", c.storedCode);
        const std::string before = ReadFileBytes(file);
        const RecheckedOrder order = RecheckCustomerFile(file, basis);

        EXPECT_EQ(order.file, file);
        EXPECT_EQ(VerdictName(order.verdict), std::string(VerdictName(c.verdict)));
        EXPECT_EQ(order.company1, "Acme Ltd");
        EXPECT_EQ(order.name1, "Ann Smith");
        EXPECT_EQ(order.storedCode, c.storedCode);
        EXPECT_EQ(order.unmatched, c.unmatched);
        EXPECT_EQ(order.result ? static_cast<int>(*order.result) : -1, c.result);
        EXPECT_EQ(order.statusText.rfind(c.status, 0), 0u) << order.statusText;
        EXPECT_EQ(order.codeNow, c.codeNow) << order.codeFailure;
        EXPECT_EQ(order.price, c.price);
        EXPECT_EQ(ReadFileBytes(file), before);
    }
}

TEST_F(RecheckTest, LinesAndSummary) {
    const RecheckBasis basis = Basis();
    std::vector<RecheckedOrder> orders = {
        RecheckCustomerFile(Order("b.CST", kStandard), basis),
        RecheckCustomerFile(Order("a.cst", "VK72-1111x-110Ax-Z0000-00000-D3x"), basis),
        RecheckCustomerFile(m_dir.write("c.CST", "[Data]\nCompany1=Tab\tCo\nCode=VK72-1111x\n"), basis),
        RecheckCustomerFile(m_dir.file("missing.CST"), basis),
    };
    SortByFile(orders);
    const std::string folder = m_dir.path().string() + "/";
    EXPECT_EQ(RecheckLine(orders[0], basis.Currency()),
              folder + "a.cst\tchanged\tAcme Ltd\tAnn Smith\tVK72-1111x-110Ax-Z0000-00000-D3x\t" + kStandard +
                  "\t0\tSelected configuration has no errors.\t2195\tEUR");
    EXPECT_EQ(RecheckLine(orders[1], basis.Currency()),
              folder + "b.CST\tvalid\tAcme Ltd\tAnn Smith\t" + kStandard + "\t" + kStandard +
                  "\t0\tSelected configuration has no errors.\t2195\tEUR");
    EXPECT_EQ(RecheckLine(orders[2], basis.Currency())
                  .rfind(folder + "c.CST\tinvalid\tTab Co\t\tVK72-1111x\t\t\tThe ID code", 0),
              0u);
    EXPECT_EQ(RecheckLine(orders[3], basis.Currency()),
              folder + "missing.CST\tunreadable\t\t\t\t\t\tCannot read \"" + folder +
                  "missing.CST\": no such file\t\t");
    EXPECT_EQ(RecheckSummary(orders), "4 orders: 1 valid, 1 changed, 1 invalid, 1 unreadable");
    orders.pop_back();
    EXPECT_EQ(RecheckSummary(orders), "3 orders: 1 valid, 1 changed, 1 invalid");
    EXPECT_EQ(RecheckSummary({}), "0 orders: 0 valid, 0 changed, 0 invalid");
    EXPECT_EQ(RecheckSummary({orders[0]}), "1 order: 0 valid, 1 changed, 0 invalid");

    fs::remove(m_dir.file("KITBUILDER.PRS"));
    const Configurator c = Started(m_dir.file("KITBUILDER.INI"), m_dir.file("KITBUILDER.PRS"));
    const RecheckBasis withoutPrices = MakeRecheckBasis(
        c.snapshot(), c.startChoice(), ReadRuleSections(m_dir.file("KITBUILDER.INI")).value());
    const RecheckedOrder unpriced = RecheckCustomerFile(Order("d.CST", kStandard), withoutPrices);
    EXPECT_EQ(withoutPrices.Currency(), "");
    EXPECT_EQ(RecheckLine(unpriced, withoutPrices.Currency()),
              folder + "d.CST\tvalid\tAcme Ltd\tAnn Smith\t" + kStandard + "\t" + kStandard +
                  "\t0\tSelected configuration has no errors.\t\t");
}

TEST_F(RecheckTest, FolderEntriesThatAreNoOrders) {
    const RecheckBasis basis = Basis();
    const fs::path orders = m_dir.path() / "orders";
    fs::create_directories(orders / "folder.CST");
    fs::create_directories(orders / "sub");
    const auto write = [&](const std::string& name, const std::string& text) {
        return m_dir.write("orders/" + name, text);
    };
    write("sub/deep.CST", CustomerFileText("Deep", "", kStandard));
    write("good.CST", CustomerFileText("Good", "", kStandard));
    write("lower.cst", CustomerFileText("Lower", "", kStandard));
    write("notes.txt", "not an order");
    write("order.CST.bak", CustomerFileText("Backup", "", kStandard));
    write("empty.CST", "");
    write("binary.CST", std::string("\x7f"
                                    "ELF\x02\x01\x01\0\0\0\xff\xfe[Data\0\x01",
                                    19));
    write("nocode.CST", "[Data]\nCompany1=Acme\nName1=Ann\n");
    const std::string huge = write("huge.CST", "[Data]\nCode=" + std::string(kStandard) + "\n" +
                                                   std::string(2 * 1024 * 1024, ';'));
    const std::string locked = write("locked.CST", CustomerFileText("Locked", "", kStandard));
    ::chmod(locked.c_str(), 0);
    const bool rootReads = ::access(locked.c_str(), R_OK) == 0;

    const std::string folder = orders.string();
    const CustomerFileList found = FindCustomerFiles({folder, m_dir.file("zz.CST")});
    EXPECT_TRUE(found.failures.empty());
    std::vector<std::string> names;
    for (const std::string& file : found.files)
        names.push_back(file.substr(file.rfind('/') + 1));
    const std::vector<std::string> expected = {"binary.CST", "empty.CST",  "folder.CST",
                                               "good.CST",   "huge.CST",   "locked.CST",
                                               "lower.cst",  "nocode.CST", "zz.CST"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(found.files[0], folder + "/binary.CST");

    std::vector<RecheckedOrder> checked;
    for (const std::string& file : found.files)
        checked.push_back(RecheckCustomerFile(file, basis));
    const auto reason = [&](const std::string& name) {
        for (const RecheckedOrder& order : checked)
            if (order.file.ends_with("/" + name))
                return std::string(VerdictName(order.verdict)) + ": " + order.reason;
        return std::string("not checked");
    };
    const std::string path = folder + "/";
    EXPECT_EQ(reason("binary.CST"),
              "unreadable: \"" + path + "binary.CST\" holds no ID code (key Code of section [Data])");
    EXPECT_EQ(reason("empty.CST"),
              "unreadable: \"" + path + "empty.CST\" holds no ID code (key Code of section [Data])");
    EXPECT_EQ(reason("nocode.CST").rfind("unreadable: ", 0), 0u);
    EXPECT_NE(reason("folder.CST").find("Cannot read \"" + path + "folder.CST\""), std::string::npos);
    EXPECT_EQ(reason("huge.CST"), "unreadable: \"" + path + "huge.CST\" is " +
                                      std::to_string(fs::file_size(huge)) +
                                      " bytes long, too large for a customer file");
    EXPECT_EQ(reason("zz.CST"), "unreadable: Cannot read \"" + m_dir.file("zz.CST") + "\": no such file");
    EXPECT_EQ(reason("good.CST"), "valid: ");
    EXPECT_EQ(reason("lower.cst"), "valid: ");
    if (!rootReads) {
        EXPECT_EQ(reason("locked.CST").rfind("unreadable: Cannot read \"" + path + "locked.CST\"", 0), 0u);
    }

    // A folder that cannot be listed is reported, the other paths are still searched.
    ::chmod(orders.c_str(), 0);
    if (::access(orders.c_str(), R_OK) != 0) {
        const CustomerFileList closed = FindCustomerFiles({folder, locked});
        ASSERT_EQ(closed.failures.size(), 1u);
        EXPECT_EQ(closed.failures[0].file, folder);
        EXPECT_EQ(closed.failures[0].reason.rfind("Cannot list \"" + folder + "\"", 0), 0u);
    }
    ::chmod(orders.c_str(), 0755);

    EXPECT_TRUE(FindCustomerFiles({folder}, [] { return true; }).files.empty());
}

// The recheck must leave every order exactly as File Open leaves the main window's state:
// every option of every group of the sample and the small catalogue, and codes with each
// place replaced by characters that fit, fit nothing, or lie past the end.
TEST_F(RecheckTest, SameStateAsFileOpen) {
    struct Data {
        std::string catalogue, prices;
        std::string base; // a code whose places are replaced one by one
    };
    const std::vector<Data> catalogues = {
        {ReadFileBytes(std::string(KITBUILDER_DATA_DIR) + "/KITBUILDER.INI"),
         ReadFileBytes(std::string(KITBUILDER_DATA_DIR) + "/KITBUILDER.PRS"),
         "VK72-1111x-110Ax-00000-00000-M3x"},
        {kSmallCatalogue, kSmallPrices, "VK72-2121x-231Ax-C0000-000P0-D5x"},
        {ReplaceOnce(kSmallCatalogue, "UseStdConfig=1", "UseStdConfig=0"), kSmallPrices, kWithCan},
    };
    int compared = 0;
    for (const Data& data : catalogues) {
        const RecheckBasis basis = Basis(data.catalogue, data.prices);
        const std::string ini = m_dir.file("KITBUILDER.INI");
        const std::string prs = m_dir.file("KITBUILDER.PRS");

        std::vector<std::string> codes = {data.base};
        for (const GroupInfo& info : AllGroups()) {
            for (int index = -1; index < basis.catalogue->Count(info.group); ++index) {
                Configurator c = Started(ini, prs);
                c.UserSelect(info.group, index);
                if (const Result<OrderList> build = c.BuildOrderlist())
                    codes.push_back(build->code);
            }
        }
        const std::string& base = data.base;
        for (std::size_t place = 6; place <= base.size(); ++place) {
            for (char c : std::string("0129ABCDMPSZx/") + '\xe9') {
                std::string code = base;
                code[place - 1] = c;
                codes.push_back(code);
            }
        }
        codes.push_back(base.substr(0, 31));
        codes.push_back(base.substr(0, 30));

        for (const std::string& code : codes) {
            SCOPED_TRACE(code);
            const std::string file = Order("order.CST", code);
            const RecheckedOrder order = RecheckCustomerFile(file, basis);
            Configurator opened = Started(ini, prs);
            opened.OpenCustomerFile(file);
            EXPECT_TRUE(order.choice == opened.choice());
            if (!order.result)
                continue;
            EXPECT_EQ(*order.result, opened.checkResult());
            EXPECT_EQ(order.statusText, opened.statusText());
            const Result<OrderList> build = opened.BuildOrderlist();
            EXPECT_EQ(order.codeNow, build ? build->code : std::string());
            if (opened.configuration().Complete()) {
                EXPECT_EQ(order.price, opened.priceText());
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 500);
}

TEST_F(RecheckTest, UnreadableCatalogueRunsWithoutRules) {
    const std::string ini = m_dir.write("KITBUILDER.INI", kSmallCatalogue);
    const Configurator c = Started(ini, "");
    const Result<RuleSections> rules = ReadRuleSections(m_dir.path().string());
    ASSERT_FALSE(rules.has_value());
    const std::string& error = rules.error().message;
    EXPECT_NE(error.find("Cannot read \"" + m_dir.path().string() + "\""), std::string::npos) << error;
    const RecheckBasis basis = MakeRecheckBasis(c.snapshot(), c.startChoice(), RuleSections{});
    EXPECT_TRUE(basis.rules.maxPcom.empty());
    // Two CAN in the upper row break no rule when there are none.
    const RecheckedOrder order =
        RecheckCustomerFile(Order("order.CST", "VK72-1111x-110Ax-C00C0-00000-D3x"), basis);
    EXPECT_EQ(order.verdict, RecheckVerdict::Valid);
}

// The run over a folder gives the same orders whether one thread checks them or several share
// the snapshot (the ThreadSanitizer build also fails it on a data race), and reports each once.
TEST_F(RecheckTest, ThreadsShareTheBasisAndAgree) {
    const RecheckBasis basis = Basis();
    const char* codes[] = {kStandard, kWithCan, "VK72-1111x-110Ax-CC0C0-00000-D3x",
                           "VK72-1111x-117Ax-00000-00000-D3x", "VK72-1111x"};
    for (int i = 0; i < 40; ++i)
        Order("order" + std::to_string(i) + ".CST", codes[i % 5]);
    m_dir.write("empty.CST", "");

    const auto run = [&](unsigned threads) {
        std::size_t reported = 0, lastDone = 0;
        RecheckRun options;
        options.threads = threads;
        options.interval = std::chrono::milliseconds(0);
        options.report = [&](RecheckProgress progress) {
            reported += progress.rows.size();
            lastDone = progress.done;
            EXPECT_EQ(progress.total, 41u);
        };
        std::vector<std::string> lines;
        for (const RecheckedOrder& order : RecheckOrders({m_dir.path().string()}, basis, options))
            lines.push_back(RecheckLine(order, basis.Currency()));
        EXPECT_EQ(reported, 41u) << threads;
        EXPECT_EQ(lastDone, 41u) << threads;
        return lines;
    };
    const std::vector<std::string> one = run(1);
    ASSERT_EQ(one.size(), 41u);
    EXPECT_EQ(run(2), one);
    EXPECT_EQ(run(4), one);

    RecheckRun cancelled;
    cancelled.threads = 2;
    cancelled.cancelled = [] { return true; };
    EXPECT_TRUE(RecheckOrders({m_dir.path().string()}, basis, cancelled).empty());
}

} // namespace
