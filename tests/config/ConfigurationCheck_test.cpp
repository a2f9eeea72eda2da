#include "config/ConfigurationCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "TestFiles.h"
#include "catalogue/PartTable.h"
#include "config/UnitPrice.h"

namespace {

struct TestPart {
    const char* orderNumber;
    const char* description;
    const char* price;
};

// Every mandatory group offers its parts in this order; the standard choice is the first.
constexpr TestPart kParts[] = {
    {"H1", "Housing A", "1000"}, {"H2", "Housing B", "1100"}, {"C1", "CPU A", "200"},
    {"R1", "RAM A", "50"},       {"O1", "OS A", "100"},       {"M1", "HMI Azo", "300"},
    {"M2", "HMI Panel", "250"},  {"P1", "Power", "40"},       {"D1", "Display", "400"},
    {"K1", "Cable 5m", "30"},    {"E1", "PCI card", "500"},   {"S1", "RS232", "10"},
    {"S2", "CAN", "20"},         {"S3", "Ethernet", "30"},    {"S4", "Digital IO", "40"},
    {"PB", "Profibus", "70"},
};

PartTable MakeParts(const std::map<std::string, std::string>& prices = {}) {
    PartTable parts;
    int slot = 0;
    for (const auto& p : kParts) {
        const auto price = prices.find(p.orderNumber);
        parts.Set(slot++, Part{p.orderNumber, "", p.description,
                               price == prices.end() ? p.price : price->second, ""});
    }
    return parts;
}

// The standard configuration with all slots empty. X4 offers Profibus as entry 3 and
// X9 as entry 6, as the catalogue is expected to.
Selections MakeSelections() {
    Selections s;
    s[Group::Housing].items = {"Housing A", "Housing B"};
    s[Group::Processor].items = {"CPU A"};
    s[Group::RAM].items = {"RAM A"};
    s[Group::OS].items = {"OS A"};
    s[Group::HMI].items = {"HMI Azo", "HMI Panel"};
    s[Group::Power].items = {"Power"};
    s[Group::Display].items = {"Display"};
    s[Group::HMICable].items = {"Cable 5m"};
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable})
        s[g].index = 0;
    for (int n = 1; n <= 10; ++n) {
        auto& slot = s[Slot(n)];
        slot.items = {kEmptySlotText, "RS232", "CAN", "Ethernet", "Digital IO", "Analog IO", "Profibus"};
        slot.index = 0;
    }
    s[Group::X4].items = {kEmptySlotText, "RS232", "CAN", "Profibus"};
    s.pciCaption = "PCI card";
    return s;
}

void Pick(Selections& s, Group g, const std::string& text) {
    auto& items = s[g].items;
    const auto it = std::find(items.begin(), items.end(), text);
    ASSERT_NE(it, items.end()) << text;
    s[g].index = static_cast<int>(it - items.begin());
}

using Picks = std::vector<std::pair<Group, const char*>>;

struct CheckCase {
    const char* name;
    Picks picks;
    RuleSections rules;
    int result;
    std::string text;
    Picks after = {}; // selections expected after the check (Profibus completion)
    bool pci = false;
};

TEST(ConfigurationCheck, VerdictsInOrderOfTheRules) {
    const std::string noErrors = kStatusNoErrors;
    const CheckCase cases[] = {
        {"nothing in the slots", {}, {}, kCheckPassed, noErrors},
        {"upper row over a limit of 1",
         {{Group::X1, "RS232"}, {Group::X3, "RS232"}},
         {{{"S1", "1"}}, {}, {}},
         kCheckLimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"lower row over a limit of 2",
         {{Group::X6, "CAN"}, {Group::X8, "CAN"}, {Group::X10, "CAN"}},
         {{}, {{"S2", "2"}}, {}},
         kCheckLimitExceeded,
         "There are only 2 CAN interfaces allowed!"},
        {"a limit of 0",
         {{Group::X2, "Ethernet"}},
         {{{"S3", "0"}}, {}, {}},
         kCheckLimitExceeded,
         "There are only 0 Ethernet interfaces allowed!"},
        {"only the first digit counts",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "12"}}, {}, {}},
         kCheckLimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"at the limit",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "2"}}, {}, {}},
         kCheckPassed,
         noErrors},
        {"rows are counted apart",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X6, "RS232"}, {Group::X7, "RS232"}},
         {{{"S1", "2"}}, {{"S1", "2"}}, {}},
         kCheckPassed,
         noErrors},
        {"empty limit sets none", {{Group::X1, "RS232"}}, {{{"S1", ""}}, {}, {}}, kCheckPassed, noErrors},
        {"non-digit limit sets none",
         {{Group::X1, "RS232"}},
         {{{"S1", "x1"}}, {}, {}},
         kCheckPassed,
         noErrors},
        {"limit naming no part",
         {{Group::X1, "RS232"}},
         {{{"ZZ", "0"}, {"", "0"}}, {}, {}},
         kCheckPassed,
         noErrors},
        {"last violation of a row stands",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X3, "CAN"}, {Group::X4, "CAN"}},
         {{{"S1", "1"}, {"S2", "1"}}, {}, {}},
         kCheckLimitExceeded,
         "There is only 1 CAN interface allowed!"},
        {"both rows over: the lower row's text",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X6, "CAN"}},
         {{{"S1", "1"}}, {{"S2", "0"}}, {}},
         kCheckLimitExceeded,
         "There are only 0 CAN interfaces allowed!"},
        {"Profibus in X9 completes X4",
         {{Group::X9, "Profibus"}},
         {},
         kCheckPassed,
         noErrors,
         {{Group::X4, "Profibus"}, {Group::X9, "Profibus"}}},
        {"Profibus in X4 completes X9",
         {{Group::X4, "Profibus"}},
         {},
         kCheckPassed,
         noErrors,
         {{Group::X4, "Profibus"}, {Group::X9, "Profibus"}}},
        {"Profibus in X9, another module in X4",
         {{Group::X9, "Profibus"}, {Group::X4, "CAN"}},
         {},
         kCheckProfibus,
         kStatusProfibus,
         {{Group::X4, "CAN"}}},
        {"Profibus in X4, another module in X9",
         {{Group::X4, "Profibus"}, {Group::X9, "Ethernet"}},
         {},
         kCheckProfibus,
         kStatusProfibus,
         {{Group::X9, "Ethernet"}}},
        {"Profibus error wins over a limit",
         {{Group::X6, "CAN"}, {Group::X9, "Profibus"}, {Group::X4, "RS232"}},
         {{}, {{"S2", "0"}}, {}},
         kCheckProfibus,
         kStatusProfibus},
        {"forbidden pair",
         {{Group::X1, "RS232"}, {Group::X6, "CAN"}},
         {{}, {}, {{"S1", "S2"}}},
         kCheckExcluded,
         "Combination of RS232 and CAN is not allowed!"},
        {"forbidden pair, value in an earlier group",
         {{Group::X2, "CAN"}},
         {{}, {}, {{"S2", "H1"}}},
         kCheckExcluded,
         "Combination of CAN and Housing A is not allowed!"},
        {"first matching pair in file order",
         {{Group::X1, "RS232"}, {Group::X2, "CAN"}, {Group::X3, "Ethernet"}},
         {{}, {}, {{"S4", "S1"}, {"S3", "S1"}, {"S1", "S2"}}},
         kCheckExcluded,
         "Combination of Ethernet and RS232 is not allowed!"},
        {"pair with the cable length",
         {},
         {{}, {}, {{"K1", "H1"}}},
         kCheckExcluded,
         "Combination of Cable 5m and Housing A is not allowed!"},
        {"pair with the unchecked card", {}, {{}, {}, {{"E1", "H1"}}}, kCheckPassed, noErrors},
        {"pair with the checked card",
         {},
         {{}, {}, {{"E1", "H1"}}},
         kCheckExcluded,
         "Combination of PCI card and Housing A is not allowed!",
         {},
         true},
        {"pair with one part not chosen",
         {{Group::X1, "RS232"}},
         {{}, {}, {{"S1", "S2"}}},
         kCheckPassed,
         noErrors},
        // "0" stands for every empty slot in the selection list, but names no part.
        {"pair naming no part",
         {},
         {{}, {}, {{"ZZ", "H1"}, {"H1", "0"}, {"0", "0"}}},
         kCheckPassed,
         noErrors},
        {"pairs are not evaluated after a limit failure",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "1"}}, {}, {{"S1", "H1"}}},
         kCheckLimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"pairs are not evaluated after a Profibus failure",
         {{Group::X9, "Profibus"}, {Group::X4, "CAN"}},
         {{}, {}, {{"S2", "H1"}}},
         kCheckProfibus,
         kStatusProfibus},
        {"pairs see the Profibus completion",
         {{Group::X9, "Profibus"}},
         {{}, {}, {{"PB", "H1"}}},
         kCheckExcluded,
         "Combination of Profibus and Housing A is not allowed!"},
    };
    const PartTable parts = MakeParts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Selections s = MakeSelections();
        s.pciChecked = c.pci;
        for (const auto& [g, text] : c.picks)
            Pick(s, g, text);
        const CheckVerdict verdict = RunConfigurationCheck(s, parts, c.rules);
        EXPECT_EQ(verdict.result, c.result);
        EXPECT_EQ(verdict.error, c.result != kCheckPassed);
        EXPECT_EQ(verdict.statusText, c.text);
        for (const auto& [g, text] : c.after)
            EXPECT_EQ(s[g].Text(), text) << Info(g).controlName;
    }
}

TEST(ConfigurationCheck, PartnerSlotWithoutProfibusEntryIsAnError) {
    const PartTable parts = MakeParts();
    Selections s = MakeSelections();
    s[Group::X4].items = {kEmptySlotText, "RS232", "CAN", "Ethernet"};
    Pick(s, Group::X9, "Profibus");
    const CheckVerdict verdict = RunConfigurationCheck(s, parts, {});
    EXPECT_EQ(verdict.result, kCheckProfibus);
    EXPECT_TRUE(verdict.error);
    EXPECT_EQ(verdict.statusText, kStatusProfibus);
    EXPECT_EQ(s[Group::X4].index, 0);
}

TEST(ConfigurationCheck, IncompleteStopsAtOnce) {
    const PartTable parts = MakeParts();
    // A limit violation and a Profibus slot waiting for completion: neither is looked at.
    const RuleSections rules{{{"S1", "0"}}, {}, {{"H1", "C1"}}};
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable}) {
        SCOPED_TRACE(Info(g).controlName);
        Selections s = MakeSelections();
        Pick(s, Group::X1, "RS232");
        Pick(s, Group::X9, "Profibus");
        s[g].index = -1;
        const CheckVerdict verdict = RunConfigurationCheck(s, parts, rules);
        EXPECT_EQ(verdict.result, kCheckIncomplete);
        EXPECT_TRUE(verdict.error);
        EXPECT_EQ(verdict.statusText, kStatusIncomplete);
        EXPECT_EQ(s[Group::X4].index, 0);
    }
}

TEST(ConfigurationCheck, ReadsEveryRuleLineInFileOrder) {
    TempDir dir;
    const std::string path =
        dir.write("KITBUILDER.INI", "[General]\r\n"
                                    "Version=1\r\n"
                                    "[max_pcom]\r\n"
                                    "S2=1\r\n"
                                    "S1 = \"25\"\r\n"
                                    "S2=7\r\n"
                                    "[Max_SCOM]\r\n"
                                    "S3=\r\n"
                                    "[Exclude_List]\r\n"
                                    "A0=B0\r\nA1=B1\r\nA2=B2\r\nA3=B3\r\nA4=B4\r\nA5=B5\r\n"
                                    "A6=B6\r\nA7=B7\r\nA8=B8\r\nA9=B9\r\nA10=B10\r\nA11=B11\r\n");
    const RuleSections rules = ReadRuleSections(path);
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(rules.maxPcom, (Lines{{"S2", "1"}, {"S1", "25"}}));
    EXPECT_EQ(rules.maxScom, (Lines{{"S3", ""}}));
    ASSERT_EQ(rules.excludeList.size(), 12u);
    EXPECT_EQ(rules.excludeList.front(), (std::pair<std::string, std::string>{"A0", "B0"}));
    EXPECT_EQ(rules.excludeList.back(), (std::pair<std::string, std::string>{"A11", "B11"}));
}

TEST(ConfigurationCheck, NoRulesWithoutAReadableFile) {
    TempDir dir;
    for (const std::string& path : {dir.file("absent.ini"), dir.path().string()}) {
        SCOPED_TRACE(path);
        const RuleSections rules = ReadRuleSections(path);
        EXPECT_TRUE(rules.maxPcom.empty());
        EXPECT_TRUE(rules.maxScom.empty());
        EXPECT_TRUE(rules.excludeList.empty());
    }
}

struct PriceCase {
    const char* name;
    Picks picks;
    bool pci;
    std::string expected;
};

TEST(UnitPrice, SumsTheSelectedParts) {
    // Housing A, CPU A, RAM A, OS A, HMI Azo, Power, Display, Cable 5m.
    const std::string base = "2120";
    const PriceCase cases[] = {
        {"standard configuration", {}, false, base},
        {"checked card", {}, true, "2620"},
        {"filled slots", {{Group::X1, "RS232"}, {Group::X10, "CAN"}}, false, "2150"},
        {"emptied slot", {{Group::X1, "RS232"}, {Group::X1, kEmptySlotText}}, false, base},
        {"Profibus counted once", {{Group::X4, "Profibus"}, {Group::X9, "Profibus"}}, false, "2190"},
        {"Profibus in X4 alone adds nothing", {{Group::X4, "Profibus"}}, false, base},
        {"other housing", {{Group::Housing, "Housing B"}}, false, "2220"},
        {"panel HMI keeps display and cable", {{Group::HMI, "HMI Panel"}}, false, "2070"},
    };
    const PartTable parts = MakeParts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Selections s = MakeSelections();
        s.pciChecked = c.pci;
        for (const auto& [g, text] : c.picks)
            Pick(s, g, text);
        s.azoVisible = s[Group::HMI].index == 0;
        EXPECT_EQ(ComputeUnitPrice(s, parts, ','), c.expected);
    }
}

TEST(UnitPrice, FractionsAndTextsThatAreNoNumbers) {
    const PartTable parts = MakeParts({{"H1", "0.1"},
                                       {"C1", "0.2"},
                                       {"R1", "0"},
                                       {"O1", "x"},
                                       {"M1", ""},
                                       {"P1", "0"},
                                       {"D1", "0"},
                                       {"K1", "1e3"}});
    Selections s = MakeSelections();
    EXPECT_EQ(ComputeUnitPrice(s, parts, '.'), "1000.3");
    // With the comma as separator "0.1" is no number and adds nothing.
    EXPECT_EQ(ComputeUnitPrice(s, parts, ','), "1000");
    // A selected text that names no part adds nothing either.
    s[Group::Housing].items[0] = "Unknown housing";
    EXPECT_EQ(ComputeUnitPrice(s, parts, '.'), "1000.2");
}

} // namespace
