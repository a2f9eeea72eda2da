#include "core/orderlist/OrderList.h"

#include "TestFiles.h"
#include "core/catalogue/PartTable.h"
#include "core/session/Configurator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace kb;

namespace {

// Every slot offers "Module"; X4 and X9 offer "Profibus" second. Prices 0,1 + 0,2 for the
// Zev-Ozi, 1000 + 200 for the ZEV-Azo, the cable being an included part.
constexpr const char* kCatalogue =
    "[General]\nUseStdConfig=1\nShowPrices=1\nOSStdLanguage=0\n"
    "[OrderNumbers]\n0=1001\n1=1002\n2=1003\n3=1004\n4=0500100\n5=OS-7\n6=1006\n7=1007\n8=1008\n9=2001\n"
    "10=2002\n11=3001\n12=99999203\n"
    "[Types]\n1001=T-H\n1002=T-P\n1003=T-C\n1004=T-R\n0500100=T-OS\nOS-7=T-OS7\n1006=T-PCI\n1007=T-A\n"
    "1008=T-B\n2001=T-M\n2002=T-PB\n3001=T-D\n99999203=T-K\n"
    "[Descriptions]\n1001=Housing\n1002=Power\n1003=CPU\n1004=RAM\n0500100=OS\nOS-7=Bad OS\n1006=Card\n"
    "1007=Panel\n1008=Monitor\n2001=Module\n2002=Profibus\n3001=Display\n99999203=Cable\n"
    "[Index]\n1001=1\n1002=1\n1003=1\n1004=1\n0500100=1\nOS-7=2\n1006=1\n1007=A\n1008=B\n2001=M\n2002=P\n"
    "3001=E\n99999203=F\n"
    "[Housing]\n0=1001\n[Power]\n0=1002\n[CPU]\n0=1003\n[RAM]\n0=1004\n[OperatingSystem]\n0=0500100\n1=OS-7\n"
    "[OSLanguages]\n0=german\n1=english\n2=french\n[Extension]\n0=1006\n[HMI]\n0=1007\n1=1008\n"
    "[X1]\n0=2001\n[X2]\n0=2001\n[X3]\n0=2001\n[X4]\n0=2001\n1=2002\n[X5]\n0=2001\n"
    "[X6]\n0=2001\n[X7]\n0=2001\n[X8]\n0=2001\n[X9]\n0=2001\n1=2002\n[X10]\n0=2001\n"
    "[Display]\n0=3001\n[HMICable]\n0=99999203\n";

constexpr const char* kPrices = "[General]\nCurrency=EUR\nPriceBase=EN\nDecimalSeparator=,\nDate=2026-11-15\n"
                                "[Prices]\n1001=0,1\n1002=0,2\n1003=0\n1004=0\n0500100=0\nOS-7=0\n1006=0\n"
                                "1007=0\n1008=0\n2001=0\n2002=0\n3001=1000\n99999203=200\n";

class OrderListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(m_configurator
                      .LoadCatalogue(m_dir.write("KITBUILDER.INI", kCatalogue),
                                     m_dir.write("KITBUILDER.PRS", kPrices))
                      .result,
                  LoadResult::Loaded);
        m_configurator.StartUp();
        m_choice = m_configurator.choice();
        m_catalogue = *m_configurator.snapshot();
    }

    Result<OrderList> Compose(bool pricesShown, const CustomerRecord& customer = {}) const {
        const OrderListInput input{m_choice, m_catalogue, pricesShown, customer};
        return ComposeOrderList(input);
    }

    TempDir m_dir;
    Configurator m_configurator;
    Choice m_choice;
    CatalogueSnapshot m_catalogue;
};

// What a row is, by the texts that mark it.
std::string RowKind(const OrderListRow& row) {
    static const std::set<std::string> labels{"Subtotal Zev-Ozi",           "Subtotal ZEV-Azo", "Total",
                                              "Date of price information:", "Display",          "Cable"};
    if (row[1] == "ID-Code:")
        return "ID";
    for (int f = CustomerRecord::Company1; f <= CustomerRecord::Ident2; ++f)
        if (row[1] == CustomerRecord::LabelCaption(static_cast<CustomerRecord::Field>(f)))
            return "customer";
    if (row[3] == "======")
        return row[3];
    if (labels.count(row[2]))
        return row[2];
    if (!row[2].empty())
        return "part";
    for (const auto& cell : row)
        if (!cell.empty())
            return "stray " + cell;
    return "";
}

TEST_F(OrderListTest, RowsOfTheFourLayouts) {
    // Row offsets after the n part rows; 0 means the row is absent.
    struct Layout {
        bool prices;
        bool azo;
        int subtotalOzi, display, subtotalAzo, total, id, customers, date;
    };
    const Layout layouts[] = {
        {true, true, 1, 3, 5, 7, 10, 12, 21},
        {false, true, 0, 2, 0, 0, 6, 8, 0},
        {true, false, 1, 0, 0, 0, 4, 6, 15},
        {false, false, 0, 0, 0, 0, 3, 5, 0},
    };
    for (const int extraSlots : {0, 2}) {
        if (extraSlots) {
            m_choice[Group::X2] = 1;
            m_choice[Group::X7] = 1;
        }
        const int n = 6 + extraSlots;
        for (const Layout& layout : layouts) {
            m_choice.azoVisible = layout.azo;
            std::vector<std::string> expected(kOrderListRows);
            for (int r = 1; r <= n; ++r)
                expected[r] = "part";
            auto mark = [&](int offset, const char* kind) {
                if (offset)
                    expected[static_cast<std::size_t>(n + offset)] = kind;
            };
            mark(layout.subtotalOzi, "Subtotal Zev-Ozi");
            mark(layout.display, "Display");
            mark(layout.display ? layout.display + 1 : 0, "Cable");
            mark(layout.subtotalAzo, "Subtotal ZEV-Azo");
            mark(layout.total, "Total");
            mark(layout.total ? layout.total + 1 : 0, "======");
            mark(layout.id, "ID");
            for (int i = 0; i < 8; ++i)
                mark(layout.customers + i, "customer");
            mark(layout.date, "Date of price information:");

            const Result<OrderList> build = Compose(layout.prices);
            ASSERT_TRUE(build.has_value()) << build.error().message;
            const auto& rows = build->rows;
            ASSERT_EQ(rows.size(), expected.size());
            EXPECT_EQ(rows[0], (OrderListRow{"Order Number", "Type", "Description",
                                             layout.prices ? "Price EN (EUR)" : "", "Pos."}));
            for (std::size_t r = 1; r < rows.size(); ++r) {
                EXPECT_EQ(RowKind(rows[r]), expected[r]) << "row " << r << ", n " << n << ", prices "
                                                         << layout.prices << ", ZEV-Azo " << layout.azo;
                if (!layout.prices) {
                    EXPECT_TRUE(rows[r][3].empty()) << "row " << r;
                }
            }
            if (extraSlots) {
                EXPECT_EQ(rows[7][4], "X2");
                EXPECT_EQ(rows[8][4], "X7");
            }
        }
    }
}

TEST_F(OrderListTest, PartRowsSumsIncludedPartsAndCustomer) {
    CustomerRecord customer;
    customer[CustomerRecord::Name1] = "Miller";
    const Result<OrderList> build = Compose(true, customer);
    ASSERT_TRUE(build.has_value()) << build.error().message;
    const auto& rows = build->rows;
    EXPECT_EQ(rows[1], (OrderListRow{"1001", "T-H", "Housing", "0,1", ""}));
    EXPECT_EQ(rows[2], (OrderListRow{"1002", "T-P", "Power", "0,2", ""}));
    EXPECT_EQ(rows[7][3], "0,3");
    EXPECT_EQ(rows[9], (OrderListRow{"3001", "T-D", "Display", "1000", ""}));
    EXPECT_EQ(rows[10], (OrderListRow{"(included)", "T-K", "Cable", "200", ""}));
    EXPECT_EQ(rows[11][3], "1200");
    EXPECT_EQ(rows[13][3], "1200,3");
    EXPECT_EQ(rows[16], (OrderListRow{"", "ID-Code:", "VK72-1111x-110Ax-00000-00000-EFx", "", ""}));
    EXPECT_EQ(build->code, "VK72-1111x-110Ax-00000-00000-EFx");
    EXPECT_EQ(rows[20], (OrderListRow{"", "Name1", "Miller", "", ""}));
    EXPECT_EQ(rows[27][3], "2026-11-15");
}

TEST_F(OrderListTest, OperatingSystemRowCarriesTheLanguage) {
    const struct {
        int language;
        const char* typed;
        const char* orderNumber;
        const char* description;
    } cases[] = {
        {0, "", "500100", "OS, german"},
        {2, "", "500102", "OS, french"},
        {-1, "", "500100", "OS"},
        {-1, "russian", "500100", "OS, russian"},
    };
    for (const auto& tc : cases) {
        m_choice[Group::OSLanguage] = tc.language;
        m_choice.typedLanguage = tc.typed;
        const Result<OrderList> build = Compose(false);
        ASSERT_TRUE(build.has_value()) << build.error().message;
        EXPECT_EQ(build->rows[5][0], tc.orderNumber) << tc.description;
        EXPECT_EQ(build->rows[5][2], tc.description);
    }
}

TEST_F(OrderListTest, ProfibusIsListedOnceOnX9) {
    m_choice[Group::X4] = 2;
    m_choice[Group::X9] = 2;
    const Result<OrderList> build = Compose(false);
    ASSERT_TRUE(build.has_value()) << build.error().message;
    std::vector<std::string> positions;
    for (const auto& row : build->rows)
        if (!row[4].empty())
            positions.push_back(row[4]);
    EXPECT_EQ(positions, (std::vector<std::string>{"Pos.", "X9"}));
    EXPECT_EQ(build->rows[7], (OrderListRow{"2002", "T-PB", "Profibus", "", "X9"}));
    EXPECT_EQ(build->code, "VK72-1111x-110Ax-00000-000P0-EFx");
}

TEST_F(OrderListTest, TableGrowsToKeepThePriceDate) {
    m_choice.pciChecked = true;
    for (int n = 1; n <= 10; ++n)
        m_choice[Slot(n)] = 1;
    const Result<OrderList> build = Compose(true);
    ASSERT_TRUE(build.has_value()) << build.error().message;
    const OrderList& list = *build;
    ASSERT_EQ(list.rows.size(), 39u);
    EXPECT_EQ(list.rows[17][4], "X10");
    EXPECT_EQ(list.rows[38][2], "Date of price information:");
    EXPECT_NE(list.rtf.find("Date of price information:"), std::string::npos);
    const std::string plain = list.PlainText();
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 39);
}

TEST_F(OrderListTest, PlainAndRichTextCopies) {
    const Result<OrderList> build = Compose(true);
    ASSERT_TRUE(build.has_value()) << build.error().message;
    const std::string plain = build->PlainText();
    EXPECT_EQ(plain.substr(0, plain.find('\n') + 1),
              "Order Number\tType\tDescription\tPrice EN (EUR)\tPos.\t\n");
    EXPECT_NE(plain.find("\n1001\tT-H\tHousing\t0,1\t\t\n"), std::string::npos);
    EXPECT_EQ(plain.substr(plain.size() - 6), "\t\t\t\t\t\n");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), kOrderListRows);

    const std::string& rtf = build->rtf;
    EXPECT_NE(rtf.find("Arial Narrow"), std::string::npos);
    EXPECT_NE(rtf.find("\\tx1400\\tx3000\\tx6500\\tx8100\\tx9600"), std::string::npos);
    const auto bold = rtf.find("\\b");
    const auto heading = rtf.find("Order Number");
    EXPECT_LT(bold, heading);
    EXPECT_LT(heading, rtf.find("\\b0"));
    EXPECT_LT(rtf.find("\\b0"), rtf.find("Housing"));
}

TEST_F(OrderListTest, BuildFailuresNameTheGroupOrPart) {
    struct Case {
        void (*change)(Choice&, CatalogueSnapshot&);
        const char* error;
    };
    const Case cases[] = {
        {[](Choice& s, CatalogueSnapshot&) { s[Group::Housing] = -1; },
         "Cannot make the order list: the group Housing has no selection."},
        // A slot without a selection holds no module, as one showing the empty entry.
        {[](Choice& s, CatalogueSnapshot&) { s[Group::X5] = -1; }, ""},
        {[](Choice&, CatalogueSnapshot& c) { c.Items(Group::HMI)[0] = "Ghost"; },
         "Cannot make the order list: the entry \"Ghost\" of the group HMI names no part in the catalogue."},
        {[](Choice& s, CatalogueSnapshot& c) {
             s.pciChecked = true;
             c.extensionCaption = "Gone";
         },
         "Cannot make the order list: the extension card \"Gone\" names no part in the catalogue."},
        {[](Choice& s, CatalogueSnapshot&) { s[Group::OS] = 1; },
         "Cannot make the order list: the order number \"OS-7\" of the operating system \"Bad OS\" is not a "
         "whole number."},
        {[](Choice&, CatalogueSnapshot& c) {
             c.parts.Set(11, {"3001", "T-D", "Display", "1000", ""});
         },
         "Cannot make the ID code: the part \"Display\" (order number 3001) has no Index character in the "
         "catalogue."},
        {[](Choice&, CatalogueSnapshot& c) {
             c.parts.Set(11, {"3001", "T-D", "Display", "n/a", "E"});
         },
         "Cannot make the order list: the price \"n/a\" of the part \"Display\" (order number 3001) is not a "
         "number."},
        // Without the ZEV-Azo neither display nor cable is needed.
        {[](Choice& s, CatalogueSnapshot& c) {
             s.azoVisible = false;
             s[Group::Display] = -1;
             c.Items(Group::HMICable)[0] = "Ghost";
         },
         ""},
    };
    const Choice good = m_choice;
    const CatalogueSnapshot goodCatalogue = m_catalogue;
    for (const Case& tc : cases) {
        m_choice = good;
        m_catalogue = goodCatalogue;
        tc.change(m_choice, m_catalogue);
        const Result<OrderList> build = Compose(true);
        EXPECT_EQ(build.has_value(), std::string(tc.error).empty()) << tc.error;
        EXPECT_EQ(build ? std::string() : build.error().message, tc.error);
    }
}

TEST_F(OrderListTest, FailedBuildKeepsTheStoredCode) {
    ASSERT_TRUE(m_configurator.BuildOrderlist().has_value());
    EXPECT_EQ(m_configurator.customer()[CustomerRecord::Code], "VK72-1111x-110Ax-00000-00000-EFx");
    m_configurator.UserSelect(Group::OS, 1);
    EXPECT_FALSE(m_configurator.BuildOrderlist().has_value());
    EXPECT_EQ(m_configurator.customer()[CustomerRecord::Code], "VK72-1111x-110Ax-00000-00000-EFx");
}

} // namespace
