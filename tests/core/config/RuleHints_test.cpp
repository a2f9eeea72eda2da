#include "core/config/RuleHints.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TestFiles.h"

using namespace kb;

// gtest prints the mismatching lists readably.
void PrintTo(const MarkedEntry& m, std::ostream* os) {
    *os << m.control << '[' << m.index << "] " << (m.hint.kind == HintKind::Breaks ? "breaks" : "clears")
        << " \"" << m.hint.reason << '"';
}

namespace {

constexpr const char* kPartList[][2] = {
    {"H1", "Housing A"}, {"H2", "Housing B"}, {"C1", "CPU A"},    {"R1", "RAM A"},    {"O1", "OS A"},
    {"M1", "HMI Azo"},   {"P1", "Power"},     {"D1", "Display"},  {"K1", "Cable 5m"}, {"E1", "PCI card"},
    {"S1", "RS232"},     {"S2", "CAN"},       {"S3", "Ethernet"}, {"PB", "Profibus"},
};

// The standard configuration with empty slots: X4 offers Profibus as entry 3, X9 as entry 4;
// "Modem" names no part. Without "withProfibus" the Profibus entries name no part either.
struct Sample {
    CatalogueSnapshot catalogue;
    Choice choice;

    explicit Sample(bool withProfibus = true) {
        int slot = 0;
        for (const auto& p : kPartList)
            if (withProfibus || std::string(p[0]) != "PB")
                catalogue.parts.Set(slot++, Part{p[0], "", p[1], "10", ""});
        catalogue.Items(Group::Housing) = {"Housing A", "Housing B"};
        catalogue.Items(Group::Processor) = {"CPU A"};
        catalogue.Items(Group::RAM) = {"RAM A"};
        catalogue.Items(Group::OS) = {"OS A"};
        catalogue.Items(Group::OSLanguage) = {"german", "english"};
        catalogue.Items(Group::HMI) = {"HMI Azo"};
        catalogue.Items(Group::Power) = {"Power"};
        catalogue.Items(Group::Display) = {"Display"};
        catalogue.Items(Group::HMICable) = {"Cable 5m"};
        for (int n = 1; n <= 10; ++n)
            catalogue.Items(Slot(n)) = {kEmptySlotText, "RS232", "CAN", "Modem"};
        catalogue.Items(Group::X4) = {kEmptySlotText, "RS232", "CAN", "Profibus"};
        catalogue.Items(Group::X9) = {kEmptySlotText, "RS232", "CAN", "Ethernet", "Profibus"};
        catalogue.extensionCaption = "PCI card";
        catalogue.pricesPresent = true;
        for (const GroupInfo& info : AllGroups())
            choice[info.group] = 0;
    }
};

using Picks = std::vector<std::pair<Group, int>>;

struct HintCase {
    const char* name;
    Picks picks;
    bool pci;
    RuleSections rules;
    std::vector<MarkedEntry> expected;
    bool withProfibus = true;
};

MarkedEntry Breaks(const char* control, int index, const std::string& reason) {
    return {control, index, {HintKind::Breaks, reason}};
}

MarkedEntry Clears(const char* control, int index, const std::string& reason) {
    return {control, index, {HintKind::Clears, reason}};
}

TEST(RuleHints, MarksOfEveryEntryByConfiguration) {
    const std::string twoRS232 = "There are only 2 RS232 interfaces allowed!";
    const std::string oneCAN = "There is only 1 CAN interface allowed!";
    const std::string housingCard = "Combination of Housing B and PCI card is not allowed!";
    const RuleSections upperRS232{{{"S1", "2"}}, {}, {}};
    const RuleSections lowerCAN{{}, {{"S2", "1"}}, {}};
    const RuleSections housingWithCard{{}, {}, {{"H2", "E1"}}};
    const RuleSections cardWithHousing{{}, {}, {{"E1", "H2"}}};

    const HintCase cases[] = {
        {"no rules, nothing marked", {{Group::X1, 1}, {Group::X2, 1}}, false, {}, {}},
        {"upper row at its limit: a third RS232 above breaks it, below does not",
         {{Group::X1, 1}, {Group::X2, 1}},
         false,
         upperRS232,
         {Breaks("X3", 1, twoRS232), Breaks("X4", 1, twoRS232), Breaks("X5", 1, twoRS232)}},
        {"lower row limit of one, in the singular",
         {{Group::X7, 2}},
         false,
         lowerCAN,
         {Breaks("X6", 2, oneCAN), Breaks("X8", 2, oneCAN), Breaks("X9", 2, oneCAN),
          Breaks("X10", 2, oneCAN)}},
        {"Profibus on either slot is completed on the empty partner", {}, false, {}, {}},
        {"Profibus on X9 cannot be completed while X4 holds a module",
         {{Group::X4, 1}},
         false,
         {},
         {Breaks("X9", 4, kStatusProfibus)}},
        {"Profibus on X4 cannot be completed while X9 holds a module",
         {{Group::X9, 3}},
         false,
         {},
         {Breaks("X4", 3, kStatusProfibus)}},
        {"a Profibus pair: moving either half away breaks the pairing",
         {{Group::X4, 3}, {Group::X9, 4}},
         false,
         {},
         {Breaks("X4", 1, kStatusProfibus), Breaks("X4", 2, kStatusProfibus),
          Breaks("X9", 1, kStatusProfibus), Breaks("X9", 2, kStatusProfibus),
          Breaks("X9", 3, kStatusProfibus)}},
        {"an entry naming no part never breaks a rule", {{Group::X4, 1}}, false, {}, {}, false},
        {"exclusion: the housing breaks it while the card is in",
         {},
         true,
         housingWithCard,
         {Breaks("Housing", 1, housingCard)}},
        {"exclusion: the card breaks it while the housing is chosen",
         {{Group::Housing, 1}},
         false,
         housingWithCard,
         {Breaks("PCI", 1, housingCard)}},
        {"exclusion written the other way round",
         {{Group::Housing, 1}},
         false,
         cardWithHousing,
         {Breaks("PCI", 1, "Combination of PCI card and Housing B is not allowed!")}},
        {"a fault: only what clears it is marked, the card among them",
         {{Group::Housing, 1}},
         true,
         housingWithCard,
         {Clears("Housing", 0, housingCard), Clears("PCI", 0, housingCard)}},
        {"a limit fault is cleared by any other entry of an offending slot, the empty one too",
         {{Group::X1, 1}, {Group::X2, 1}, {Group::X3, 1}},
         false,
         upperRS232,
         {Clears("X1", 0, twoRS232), Clears("X1", 2, twoRS232), Clears("X1", 3, twoRS232),
          Clears("X2", 0, twoRS232), Clears("X2", 2, twoRS232), Clears("X2", 3, twoRS232),
          Clears("X3", 0, twoRS232), Clears("X3", 2, twoRS232), Clears("X3", 3, twoRS232)}},
        {"two faults at once: no single entry clears both",
         {{Group::X1, 1}, {Group::X2, 1}, {Group::X3, 1}, {Group::Housing, 1}},
         true,
         {{{"S1", "2"}}, {}, {{"H2", "E1"}}},
         {}},
        {"an incomplete configuration has no fault: the entry completing it into one breaks",
         {{Group::X1, 1}, {Group::X2, 1}, {Group::X3, 1}, {Group::Display, -1}},
         false,
         upperRS232,
         {Breaks("Display", 0, twoRS232)}},
    };
    for (const HintCase& c : cases) {
        Sample s(c.withProfibus);
        for (const auto& [group, index] : c.picks)
            s.choice[group] = index;
        s.choice.pciChecked = c.pci;
        const RuleHints hints = ComputeRuleHints(s.choice, s.catalogue, c.rules);
        EXPECT_EQ(ListMarks(hints), c.expected) << c.name;
        EXPECT_EQ(hints.MarkedCount(), static_cast<int>(c.expected.size())) << c.name;
    }
}

TEST(RuleHints, IndexedAsTheControlsAndSafeOutside) {
    Sample s;
    s.choice[Group::X1] = 1;
    s.choice[Group::X2] = 1;
    const RuleHints hints = ComputeRuleHints(s.choice, s.catalogue, {{{"S1", "2"}}, {}, {}});
    EXPECT_EQ(hints.At(Group::X3, 1).kind, HintKind::Breaks);
    EXPECT_EQ(hints.At(Group::X3, 0).kind, HintKind::None);
    EXPECT_EQ(hints.At(Group::X3, 99).kind, HintKind::None);
    EXPECT_EQ(hints.At(Group::X3, -1).kind, HintKind::None);
    EXPECT_TRUE(hints.entries[static_cast<std::size_t>(Group::OSLanguage)].empty());
    EXPECT_EQ(HintToolTip(hints.At(Group::X3, 1)),
              "Choosing this breaks a rule: \"There are only 2 RS232 interfaces allowed!\"");
    EXPECT_EQ(HintToolTip({HintKind::Clears, "Broken!"}), "Choosing this clears the fault: \"Broken!\"");
    EXPECT_EQ(HintToolTip({}), "");
}

TEST(RuleHints, RulesComeFromTheCatalogueFile) {
    TempDir dir;
    Sample s;
    s.choice[Group::X1] = 1;
    s.choice[Group::X2] = 1;
    const std::string catalogue = dir.write("KITBUILDER.INI", "[Max_PCOM]\nS1=2\n");
    EXPECT_EQ(ReadRuleHints(s.choice, s.catalogue, catalogue).MarkedCount(), 3);
    // No file holds no rules; a folder in its place cannot be read: no marks either way.
    EXPECT_EQ(ReadRuleHints(s.choice, s.catalogue, dir.file("MISSING.INI")).MarkedCount(), 0);
    EXPECT_EQ(ReadRuleHints(s.choice, s.catalogue, dir.path().string()).MarkedCount(), 0);
}

} // namespace
