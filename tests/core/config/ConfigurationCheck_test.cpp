#include "core/config/ConfigurationCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "TestFiles.h"
#include "core/catalogue/PartTable.h"
#include "core/config/UnitPrice.h"

using namespace kb;

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

// A catalogue's entries and a choice in it, as the tests write them.
struct Trial {
    CatalogueSnapshot catalogue;
    Choice choice;

    std::string Text(Group g) const { return Configuration(choice, catalogue).Text(g); }
};

// The standard configuration with all slots empty. X4 offers Profibus as entry 3 and
// X9 as entry 6, as the catalogue is expected to.
Trial MakeSelections(const PartTable& parts) {
    Trial s;
    s.catalogue.parts = parts;
    s.catalogue.Items(Group::Housing) = {"Housing A", "Housing B"};
    s.catalogue.Items(Group::Processor) = {"CPU A"};
    s.catalogue.Items(Group::RAM) = {"RAM A"};
    s.catalogue.Items(Group::OS) = {"OS A"};
    s.catalogue.Items(Group::HMI) = {"HMI Azo", "HMI Panel"};
    s.catalogue.Items(Group::Power) = {"Power"};
    s.catalogue.Items(Group::Display) = {"Display"};
    s.catalogue.Items(Group::HMICable) = {"Cable 5m"};
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable})
        s.choice[g] = 0;
    for (int n = 1; n <= 10; ++n) {
        s.catalogue.Items(Slot(n)) = {kEmptySlotText, "RS232",     "CAN",     "Ethernet",
                                      "Digital IO",   "Analog IO", "Profibus"};
        s.choice[Slot(n)] = 0;
    }
    s.catalogue.Items(Group::X4) = {kEmptySlotText, "RS232", "CAN", "Profibus"};
    s.catalogue.extensionCaption = "PCI card";
    return s;
}

void Pick(Trial& s, Group g, const std::string& text) {
    const auto& items = s.catalogue.Items(g);
    const auto it = std::find(items.begin(), items.end(), text);
    ASSERT_NE(it, items.end()) << text;
    s.choice[g] = static_cast<int>(it - items.begin());
}

// The check as the main window runs it: the verdict, then the completed choice kept.
Verdict Check(Trial& s, const RuleSections& rules) {
    const Verdict verdict = Evaluate(s.choice, s.catalogue, rules);
    s.choice = CompleteProfibus(s.choice, s.catalogue);
    return verdict;
}

std::string Price(const Trial& s, const PartTable& parts, char separator) {
    CatalogueSnapshot catalogue = s.catalogue;
    catalogue.parts = parts;
    catalogue.decimalSeparator = separator;
    return ComputeUnitPrice(s.choice, catalogue);
}

using Picks = std::vector<std::pair<Group, const char*>>;

struct CheckCase {
    const char* name;
    Picks picks;
    RuleSections rules;
    CheckResult result;
    std::string text;
    Picks after = {}; // selections expected after the check (Profibus completion)
    bool pci = false;
};

TEST(ConfigurationCheck, VerdictsInOrderOfTheRules) {
    const std::string noErrors = kStatusNoErrors;
    const CheckCase cases[] = {
        {"nothing in the slots", {}, {}, CheckResult::Passed, noErrors},
        {"upper row over a limit of 1",
         {{Group::X1, "RS232"}, {Group::X3, "RS232"}},
         {{{"S1", "1"}}, {}, {}},
         CheckResult::LimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"lower row over a limit of 2",
         {{Group::X6, "CAN"}, {Group::X8, "CAN"}, {Group::X10, "CAN"}},
         {{}, {{"S2", "2"}}, {}},
         CheckResult::LimitExceeded,
         "There are only 2 CAN interfaces allowed!"},
        {"a limit of 0",
         {{Group::X2, "Ethernet"}},
         {{{"S3", "0"}}, {}, {}},
         CheckResult::LimitExceeded,
         "There are only 0 Ethernet interfaces allowed!"},
        {"only the first digit counts",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "12"}}, {}, {}},
         CheckResult::LimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"at the limit",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "2"}}, {}, {}},
         CheckResult::Passed,
         noErrors},
        {"rows are counted apart",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X6, "RS232"}, {Group::X7, "RS232"}},
         {{{"S1", "2"}}, {{"S1", "2"}}, {}},
         CheckResult::Passed,
         noErrors},
        {"empty limit sets none",
         {{Group::X1, "RS232"}},
         {{{"S1", ""}}, {}, {}},
         CheckResult::Passed,
         noErrors},
        {"non-digit limit sets none",
         {{Group::X1, "RS232"}},
         {{{"S1", "x1"}}, {}, {}},
         CheckResult::Passed,
         noErrors},
        {"limit naming no part",
         {{Group::X1, "RS232"}},
         {{{"ZZ", "0"}, {"", "0"}}, {}, {}},
         CheckResult::Passed,
         noErrors},
        {"last violation of a row stands",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X3, "CAN"}, {Group::X4, "CAN"}},
         {{{"S1", "1"}, {"S2", "1"}}, {}, {}},
         CheckResult::LimitExceeded,
         "There is only 1 CAN interface allowed!"},
        {"both rows over: the lower row's text",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}, {Group::X6, "CAN"}},
         {{{"S1", "1"}}, {{"S2", "0"}}, {}},
         CheckResult::LimitExceeded,
         "There are only 0 CAN interfaces allowed!"},
        {"Profibus in X9 completes X4",
         {{Group::X9, "Profibus"}},
         {},
         CheckResult::Passed,
         noErrors,
         {{Group::X4, "Profibus"}, {Group::X9, "Profibus"}}},
        {"Profibus in X4 completes X9",
         {{Group::X4, "Profibus"}},
         {},
         CheckResult::Passed,
         noErrors,
         {{Group::X4, "Profibus"}, {Group::X9, "Profibus"}}},
        {"Profibus in X9, another module in X4",
         {{Group::X9, "Profibus"}, {Group::X4, "CAN"}},
         {},
         CheckResult::Profibus,
         kStatusProfibus,
         {{Group::X4, "CAN"}}},
        {"Profibus in X4, another module in X9",
         {{Group::X4, "Profibus"}, {Group::X9, "Ethernet"}},
         {},
         CheckResult::Profibus,
         kStatusProfibus,
         {{Group::X9, "Ethernet"}}},
        {"Profibus error wins over a limit",
         {{Group::X6, "CAN"}, {Group::X9, "Profibus"}, {Group::X4, "RS232"}},
         {{}, {{"S2", "0"}}, {}},
         CheckResult::Profibus,
         kStatusProfibus},
        {"forbidden pair",
         {{Group::X1, "RS232"}, {Group::X6, "CAN"}},
         {{}, {}, {{"S1", "S2"}}},
         CheckResult::Excluded,
         "Combination of RS232 and CAN is not allowed!"},
        {"forbidden pair, value in an earlier group",
         {{Group::X2, "CAN"}},
         {{}, {}, {{"S2", "H1"}}},
         CheckResult::Excluded,
         "Combination of CAN and Housing A is not allowed!"},
        {"first matching pair in file order",
         {{Group::X1, "RS232"}, {Group::X2, "CAN"}, {Group::X3, "Ethernet"}},
         {{}, {}, {{"S4", "S1"}, {"S3", "S1"}, {"S1", "S2"}}},
         CheckResult::Excluded,
         "Combination of Ethernet and RS232 is not allowed!"},
        {"pair with the cable length",
         {},
         {{}, {}, {{"K1", "H1"}}},
         CheckResult::Excluded,
         "Combination of Cable 5m and Housing A is not allowed!"},
        {"pair with the unchecked card", {}, {{}, {}, {{"E1", "H1"}}}, CheckResult::Passed, noErrors},
        {"pair with the checked card",
         {},
         {{}, {}, {{"E1", "H1"}}},
         CheckResult::Excluded,
         "Combination of PCI card and Housing A is not allowed!",
         {},
         true},
        {"pair with one part not chosen",
         {{Group::X1, "RS232"}},
         {{}, {}, {{"S1", "S2"}}},
         CheckResult::Passed,
         noErrors},
        // "0" stands for every empty slot in the selection list, but names no part.
        {"pair naming no part",
         {},
         {{}, {}, {{"ZZ", "H1"}, {"H1", "0"}, {"0", "0"}}},
         CheckResult::Passed,
         noErrors},
        {"pairs are not evaluated after a limit failure",
         {{Group::X1, "RS232"}, {Group::X2, "RS232"}},
         {{{"S1", "1"}}, {}, {{"S1", "H1"}}},
         CheckResult::LimitExceeded,
         "There is only 1 RS232 interface allowed!"},
        {"pairs are not evaluated after a Profibus failure",
         {{Group::X9, "Profibus"}, {Group::X4, "CAN"}},
         {{}, {}, {{"S2", "H1"}}},
         CheckResult::Profibus,
         kStatusProfibus},
        {"pairs see the Profibus completion",
         {{Group::X9, "Profibus"}},
         {{}, {}, {{"PB", "H1"}}},
         CheckResult::Excluded,
         "Combination of Profibus and Housing A is not allowed!"},
    };
    const PartTable parts = MakeParts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Trial s = MakeSelections(parts);
        s.choice.pciChecked = c.pci;
        for (const auto& [g, text] : c.picks)
            Pick(s, g, text);
        const Verdict verdict = Check(s, c.rules);
        EXPECT_EQ(verdict.result, c.result);
        EXPECT_EQ(verdict.statusText, c.text);
        for (const auto& [g, text] : c.after)
            EXPECT_EQ(s.Text(g), text) << Info(g).controlName;
    }
}

TEST(ConfigurationCheck, PartnerSlotWithoutProfibusEntryIsAnError) {
    const PartTable parts = MakeParts();
    Trial s = MakeSelections(parts);
    s.catalogue.Items(Group::X4) = {kEmptySlotText, "RS232", "CAN", "Ethernet"};
    Pick(s, Group::X9, "Profibus");
    const Verdict verdict = Check(s, {});
    EXPECT_EQ(verdict.result, CheckResult::Profibus);
    EXPECT_EQ(verdict.statusText, kStatusProfibus);
    EXPECT_EQ(s.choice[Group::X4], 0);
}

TEST(ConfigurationCheck, IncompleteStopsAtOnce) {
    const PartTable parts = MakeParts();
    // A limit violation and a Profibus slot waiting for completion: neither is looked at.
    const RuleSections rules{{{"S1", "0"}}, {}, {{"H1", "C1"}}};
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable}) {
        SCOPED_TRACE(Info(g).controlName);
        Trial s = MakeSelections(parts);
        Pick(s, Group::X1, "RS232");
        Pick(s, Group::X9, "Profibus");
        s.choice[g] = -1;
        const Verdict verdict = Check(s, rules);
        EXPECT_EQ(verdict.result, CheckResult::Incomplete);
        EXPECT_EQ(verdict.statusText, kStatusIncomplete);
        EXPECT_EQ(s.choice[Group::X4], 0);
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
    const Result<RuleSections> read = ReadRuleSections(path);
    ASSERT_TRUE(read.has_value());
    const RuleSections& rules = *read;
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(rules.maxPcom, (Lines{{"S2", "1"}, {"S1", "25"}}));
    EXPECT_EQ(rules.maxScom, (Lines{{"S3", ""}}));
    ASSERT_EQ(rules.excludeList.size(), 12u);
    EXPECT_EQ(rules.excludeList.front(), (std::pair<std::string, std::string>{"A0", "B0"}));
    EXPECT_EQ(rules.excludeList.back(), (std::pair<std::string, std::string>{"A11", "B11"}));
}

TEST(ConfigurationCheck, NoRulesWithoutAReadableFile) {
    TempDir dir;
    // A missing file holds no rules; a folder cannot be read, and the error names it.
    const Result<RuleSections> absent = ReadRuleSections(dir.file("absent.ini"));
    ASSERT_TRUE(absent.has_value());
    EXPECT_TRUE(absent->maxPcom.empty() && absent->maxScom.empty() && absent->excludeList.empty());
    const Result<RuleSections> folder = ReadRuleSections(dir.path().string());
    ASSERT_FALSE(folder.has_value());
    EXPECT_NE(folder.error().message.find(dir.path().string()), std::string::npos) << folder.error().message;
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
        {"panel HMI leaves display and cable out", {{Group::HMI, "HMI Panel"}}, false, "1640"},
    };
    const PartTable parts = MakeParts();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Trial s = MakeSelections(parts);
        s.choice.pciChecked = c.pci;
        for (const auto& [g, text] : c.picks)
            Pick(s, g, text);
        s.choice.azoVisible = s.choice[Group::HMI] == 0;
        EXPECT_EQ(Price(s, parts, ','), c.expected);
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
    Trial s = MakeSelections(parts);
    EXPECT_EQ(Price(s, parts, '.'), "1000.3");
    // With the comma as separator "0.1" is no number and adds nothing.
    EXPECT_EQ(Price(s, parts, ','), "1000");
    // A selected text that names no part adds nothing either.
    s.catalogue.Items(Group::Housing)[0] = "Unknown housing";
    EXPECT_EQ(Price(s, parts, '.'), "1000.2");
}

} // namespace
