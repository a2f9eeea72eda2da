#include "core/session/Configurator.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "TestFiles.h"
#include "core/config/ConfigurationCheck.h"
#include "core/platform/TIniFile.h"

using namespace kb;

namespace {

// Order number, description, price. Housing A, CPU A, RAM A, OS A, HMI Azo, Power,
// Display and Cable 5m are each group's standard choice; together they cost 2120.
const std::vector<std::array<const char*, 3>> kParts = {
    {"H1", "Housing A", "1000"}, {"H2", "Housing B", "1100"}, {"C1", "CPU A", "200"},
    {"C2", "CPU B", "300"},      {"R1", "RAM A", "50"},       {"O1", "OS A", "100"},
    {"M1", "HMI Azo", "300"},    {"M2", "HMI Panel", "250"},  {"P1", "Power", "40"},
    {"D1", "Display", "400"},    {"K1", "Cable 5m", "30"},    {"E1", "PCI card", "500"},
    {"S1", "RS232", "10"},       {"S2", "CAN", "20"},         {"S3", "Ethernet", "30"},
    {"S4", "Digital IO", "40"},  {"S5", "Analog IO", "50"},   {"PB", "Profibus", "70"},
};

std::string List(const std::string& section, const std::vector<std::string>& values) {
    std::string text = "[" + section + "]\n";
    for (std::size_t k = 0; k < values.size(); ++k)
        text += std::to_string(k) + "=" + values[k] + "\n";
    return text;
}

// A small catalogue: X4 offers Profibus as entry 3, X9 as entry 6, the other slots
// RS232, CAN and Ethernet. general and rules are added as they stand.
std::string CatalogueText(const std::string& general = "UseStdConfig=1\nShowPrices=1\n",
                          const std::string& rules = "") {
    std::string text = "[General]\nVersion=T1\n" + general;
    std::vector<std::string> orderNumbers;
    for (const auto& p : kParts)
        orderNumbers.push_back(p[0]);
    text += List("OrderNumbers", orderNumbers);
    text += "[Descriptions]\n";
    for (const auto& p : kParts)
        text += std::string(p[0]) + "=" + p[1] + "\n";
    text += List("Housing", {"H1", "H2"}) + List("CPU", {"C1", "C2"}) + List("RAM", {"R1"}) +
            List("OperatingSystem", {"O1"}) + List("OSLanguages", {"german", "english", "french", "dutch"}) +
            List("Extension", {"E1"}) + List("HMI", {"M1", "M2"}) + List("Power", {"P1"}) +
            List("Display", {"D1"}) + List("HMICable", {"K1"});
    for (int n = 1; n <= 10; ++n) {
        const std::string slot = "X" + std::to_string(n);
        if (n == 4)
            text += List(slot, {"S1", "S2", "PB"});
        else if (n == 9)
            text += List(slot, {"S1", "S2", "S3", "S4", "S5", "PB"});
        else
            text += List(slot, {"S1", "S2", "S3"});
    }
    return text + rules;
}

std::string PriceText(const std::map<std::string, std::string>& overrides = {}) {
    std::string text = "[General]\nCurrency=CHF\n[Prices]\n";
    for (const auto& p : kParts) {
        const auto it = overrides.find(p[0]);
        text += std::string(p[0]) + "=" + (it == overrides.end() ? p[2] : it->second) + "\n";
    }
    return text;
}

class ConfiguratorTest : public ::testing::Test {
  protected:
    // Loads the files and runs the start-up; no price file means no-price mode.
    void Start(const std::string& catalogue, const std::optional<std::string>& prices = PriceText()) {
        m_ini = m_dir.write("KITBUILDER.INI", catalogue);
        m_prs = prices ? m_dir.write("KITBUILDER.PRS", *prices) : m_dir.file("KITBUILDER.PRS");
        ASSERT_EQ(m_app.LoadCatalogue(m_ini, m_prs).result, LoadResult::Loaded);
        EXPECT_TRUE(m_app.StartUp().empty());
    }
    std::string Stored(const char* key) const {
        return TIniFile(m_ini).ReadString("General", key, "<missing>");
    }
    const std::string& Text(Group g) const { return m_app.configuration().Text(g); }

    TempDir m_dir;
    std::string m_ini;
    std::string m_prs;
    Configurator m_app;
};

TEST_F(ConfiguratorTest, StartWithoutStandardConfigurationShowsNoAmount) {
    Start(CatalogueText("UseStdConfig=0\n"));
    EXPECT_EQ(m_app.checkResult(), CheckResult::Incomplete);
    EXPECT_EQ(m_app.statusText(), kStatusIncomplete);
    EXPECT_TRUE(m_app.errorDisplay());
    EXPECT_FALSE(m_app.showOrderListEnabled());
    EXPECT_EQ(m_app.priceText(), "");

    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
        m_app.ChangeControl(Control::Of(g), 0, ChangeBy::Program);
    for (Group g : {Group::HMI, Group::Power, Group::Display})
        m_app.UserSelect(g, 0);
    EXPECT_EQ(m_app.priceText(), "");
    m_app.UserSelect(Group::HMICable, 0);
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_EQ(m_app.priceText(), "2120");
}

TEST_F(ConfiguratorTest, StoredPriceDisplayAfterStartUp) {
    struct Case {
        const char* general;
        bool shown;
        std::string stored;
        bool holdsSetting; // the file already holds the state: start-up must not write
    };
    const Case cases[] = {
        {"ShowPrices=1\n", true, "1", true},
        {"ShowPrices=0\n", false, "0", true},
        {"", true, "1", false},
        {"ShowPrices=yes\n", true, "1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.general);
        Configurator app;
        const std::string catalogue = CatalogueText(c.general);
        const std::string ini = m_dir.write("KITBUILDER.INI", catalogue);
        const std::string prs = m_dir.write("KITBUILDER.PRS", PriceText());
        ASSERT_EQ(app.LoadCatalogue(ini, prs).result, LoadResult::Loaded);
        EXPECT_TRUE(app.StartUp().empty());
        EXPECT_EQ(app.checkResult(), CheckResult::Passed);
        EXPECT_EQ(app.statusText(), kStatusNoErrors);
        EXPECT_TRUE(app.showOrderListEnabled());
        EXPECT_EQ(app.showPricesChecked(), c.shown);
        EXPECT_EQ(app.priceBoxVisible(), c.shown);
        EXPECT_TRUE(app.showPricesEnabled());
        EXPECT_EQ(app.priceBoxCaption(), "Price of unit");
        // The amount and the currency are kept up to date while the box is hidden.
        EXPECT_EQ(app.priceText(), "2120");
        EXPECT_EQ(app.currencyText(), "  CHF");
        EXPECT_EQ(TIniFile(ini).ReadString("General", "ShowPrices", ""), c.stored);
        if (c.holdsSetting) {
            EXPECT_EQ(ReadFileBytes(ini), catalogue);
        }
    }
}

TEST_F(ConfiguratorTest, ReadOnlyCatalogueStartsWithoutMessage) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files";
    const std::string ini = m_dir.write("KITBUILDER.INI", CatalogueText("ShowPrices=0\n"));
    const std::string prs = m_dir.write("KITBUILDER.PRS", PriceText());
    ASSERT_EQ(chmod(ini.c_str(), 0444), 0);
    ASSERT_EQ(m_app.LoadCatalogue(ini, prs).result, LoadResult::Loaded);
    EXPECT_TRUE(m_app.StartUp().empty());
    EXPECT_FALSE(m_app.priceBoxVisible());

    // A click that cannot store the setting reports it and leaves the display alone.
    const auto failure = m_app.ShowPricesClick();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->kind, Message::Kind::Error);
    EXPECT_NE(failure->text.find(ini), std::string::npos) << failure->text;
    EXPECT_FALSE(m_app.showPricesChecked());
    EXPECT_FALSE(m_app.priceBoxVisible());
}

TEST_F(ConfiguratorTest, ShowPricesClickTogglesAndStores) {
    Start(CatalogueText());
    ASSERT_TRUE(m_app.priceBoxVisible());

    EXPECT_FALSE(m_app.ShowPricesClick().has_value());
    EXPECT_FALSE(m_app.showPricesChecked());
    EXPECT_FALSE(m_app.priceBoxVisible());
    EXPECT_EQ(Stored("ShowPrices"), "0");

    // The amount follows changes while the box is hidden.
    m_app.UserSelect(Group::X1, 1);
    EXPECT_EQ(m_app.priceText(), "2130");

    const int runs = m_app.checkRuns();
    EXPECT_FALSE(m_app.ShowPricesClick().has_value());
    EXPECT_TRUE(m_app.showPricesChecked());
    EXPECT_TRUE(m_app.priceBoxVisible());
    EXPECT_EQ(m_app.priceBoxCaption(), "Price of unit");
    EXPECT_EQ(m_app.currencyText(), "  CHF");
    EXPECT_EQ(m_app.priceText(), "2130");
    EXPECT_EQ(m_app.checkRuns(), runs + 1);
    EXPECT_EQ(Stored("ShowPrices"), "1");
}

TEST_F(ConfiguratorTest, NoPriceModeNeverShowsAPrice) {
    const std::string catalogue = CatalogueText();
    Start(catalogue, std::nullopt);
    EXPECT_FALSE(m_app.showPricesEnabled());
    EXPECT_FALSE(m_app.showPricesChecked());
    EXPECT_EQ(m_app.priceBoxCaption(), "");
    EXPECT_EQ(m_app.currencyText(), "");
    EXPECT_EQ(m_app.priceText(), "");

    EXPECT_FALSE(m_app.ShowPricesClick().has_value());
    EXPECT_FALSE(m_app.showPricesChecked());
    m_app.UserSelect(Group::X1, 1);
    m_app.ChangeControl(Control::Card(), 1, ChangeBy::Program);
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_EQ(m_app.priceText(), "");
    EXPECT_EQ(m_app.currencyText(), "");
    EXPECT_EQ(m_app.priceBoxCaption(), "");
    EXPECT_EQ(ReadFileBytes(m_ini), catalogue);
}

TEST_F(ConfiguratorTest, WhichActionsRunTheCheck) {
    struct Case {
        const char* name;
        std::function<void(Configurator&)> action;
        int runs;
    };
    const Case cases[] = {
        {"radio set to its current index",
         [](Configurator& a) { a.ChangeControl(Control::Of(Group::Housing), 0, ChangeBy::Program); }, 0},
        {"radio set to another index",
         [](Configurator& a) { a.ChangeControl(Control::Of(Group::Housing), 1, ChangeBy::Program); }, 1},
        {"list set by the program",
         [](Configurator& a) { a.ChangeControl(Control::Of(Group::X3), 2, ChangeBy::Program); }, 0},
        {"HMI set by the program",
         [](Configurator& a) { a.ChangeControl(Control::Of(Group::HMI), 1, ChangeBy::Program); }, 0},
        {"list changed by the user", [](Configurator& a) { a.UserSelect(Group::X3, 2); }, 1},
        {"language changed by the user", [](Configurator& a) { a.UserSelect(Group::OSLanguage, 1); }, 0},
        {"card set to its current state",
         [](Configurator& a) { a.ChangeControl(Control::Card(), 0, ChangeBy::Program); }, 0},
        {"card set to another state",
         [](Configurator& a) { a.ChangeControl(Control::Card(), 1, ChangeBy::Program); }, 1},
        {"card clicked by the user", [](Configurator& a) { a.UserSetPCI(true); }, 1},
        {"HMI changed by the user", [](Configurator& a) { a.UserSelect(Group::HMI, 1); }, 1},
        {"language command", [](Configurator& a) { a.LanguageClick(2); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Configurator app;
        ASSERT_EQ(app.LoadCatalogue(m_dir.write("KITBUILDER.INI", CatalogueText()),
                                    m_dir.write("KITBUILDER.PRS", PriceText()))
                      .result,
                  LoadResult::Loaded);
        app.StartUp();
        const int before = app.checkRuns();
        c.action(app);
        EXPECT_EQ(app.checkRuns() - before, c.runs);
    }
}

TEST_F(ConfiguratorTest, HMIChangeSetsTheZevAzoVisibility) {
    Start(CatalogueText());
    ASSERT_TRUE(m_app.choice().azoVisible);
    m_app.UserSelect(Group::HMI, 1);
    EXPECT_FALSE(m_app.choice().azoVisible);
    // Display and cable stay selected while hidden, but are priced only when shown.
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_EQ(m_app.priceText(), "1640");
    m_app.UserSelect(Group::HMI, 0);
    EXPECT_TRUE(m_app.choice().azoVisible);
    EXPECT_EQ(m_app.priceText(), "2120");
}

TEST_F(ConfiguratorTest, HiddenZevAzoStillNeedsDisplayAndCable) {
    Start(CatalogueText("UseStdConfig=0\n"));
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
        m_app.ChangeControl(Control::Of(g), 0, ChangeBy::Program);
    m_app.UserSelect(Group::Power, 0);
    m_app.UserSelect(Group::HMI, 1);
    EXPECT_FALSE(m_app.choice().azoVisible);
    EXPECT_EQ(m_app.statusText(), kStatusIncomplete);
}

TEST_F(ConfiguratorTest, ProfibusCompletionAndPrice) {
    Start(CatalogueText());
    m_app.UserSelect(Group::X9, 6);
    EXPECT_EQ(m_app.choice()[Group::X4], 3);
    EXPECT_EQ(Text(Group::X4), "Profibus");
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_EQ(m_app.priceText(), "2190");

    // Emptying one of the pair by hand would be completed again at once.
    m_app.ChangeControl(Control::Of(Group::X9), 0, ChangeBy::Program);
    m_app.ChangeControl(Control::Of(Group::X4), 0, ChangeBy::Program);
    m_app.UserSelect(Group::X4, 3);
    EXPECT_EQ(m_app.choice()[Group::X9], 6);
    EXPECT_EQ(m_app.priceText(), "2190");

    m_app.UserSelect(Group::X9, 2);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Profibus);
    EXPECT_EQ(m_app.statusText(), kStatusProfibus);
    EXPECT_TRUE(m_app.errorDisplay());
}

TEST_F(ConfiguratorTest, ForbiddenPairGivesResult4) {
    Start(CatalogueText("UseStdConfig=1\n", "[Exclude_List]\nE1=H2\n"));
    m_app.ChangeControl(Control::Card(), 1, ChangeBy::Program);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Passed);
    m_app.ChangeControl(Control::Of(Group::Housing), 1, ChangeBy::Program);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Excluded);
    EXPECT_EQ(m_app.statusText(), "Combination of PCI card and Housing B is not allowed!");
    EXPECT_TRUE(m_app.errorDisplay());
    EXPECT_FALSE(m_app.showOrderListEnabled());
    // Save refuses such a configuration.
    EXPECT_TRUE(m_app.PrepareSave().has_value());
}

TEST_F(ConfiguratorTest, EditedCatalogueTakesEffectAtTheNextCheck) {
    Start(CatalogueText());
    m_app.UserSelect(Group::X1, 1);
    m_app.UserSelect(Group::X2, 1);
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);

    m_dir.write("KITBUILDER.INI", CatalogueText("UseStdConfig=1\nShowPrices=1\n", "[Max_PCOM]\nS1=1\n"));
    m_app.UserSelect(Group::X3, 2);
    EXPECT_EQ(m_app.checkResult(), CheckResult::LimitExceeded);
    EXPECT_EQ(m_app.statusText(), "There is only 1 RS232 interface allowed!");
    EXPECT_TRUE(m_app.errorDisplay());
    EXPECT_EQ(m_app.priceText(), "2160");

    m_app.UserSelect(Group::X2, 0);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Passed);
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_FALSE(m_app.errorDisplay());
    EXPECT_TRUE(m_app.showOrderListEnabled());
}

TEST_F(ConfiguratorTest, FractionalPricesAddAsDecimals) {
    std::map<std::string, std::string> prices;
    for (const auto& p : kParts)
        prices[p[0]] = "0";
    prices["H1"] = "0,1";
    prices["C1"] = "0,2";
    Start(CatalogueText(), PriceText(prices));
    EXPECT_EQ(m_app.priceText(), "0,3");
}

TEST_F(ConfiguratorTest, IncompleteKeepsTheLastAmount) {
    Start(CatalogueText());
    m_app.UserSelect(Group::X1, 1);
    ASSERT_EQ(m_app.priceText(), "2130");
    m_app.UserSelect(Group::Power, -1);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Incomplete);
    EXPECT_TRUE(m_app.errorDisplay());
    m_app.UserSelect(Group::X2, 1);
    EXPECT_EQ(m_app.priceText(), "2130");
}

TEST_F(ConfiguratorTest, StandardConfigurationToggle) {
    Start(CatalogueText());
    const Group mandatory[] = {Group::Housing, Group::Processor, Group::RAM,     Group::OS,
                               Group::HMI,     Group::Power,     Group::Display, Group::HMICable};
    m_app.ChangeControl(Control::Of(Group::Housing), 1, ChangeBy::Program);
    m_app.UserSelect(Group::X1, 1);

    EXPECT_FALSE(m_app.SetStdConfigExecute().has_value());
    EXPECT_FALSE(m_app.standardConfigurationChecked());
    EXPECT_EQ(Stored("UseStdConfig"), "0");
    for (Group g : mandatory)
        EXPECT_EQ(m_app.choice()[g], -1) << Info(g).controlName;
    EXPECT_EQ(m_app.choice()[Group::X1], 1);
    EXPECT_EQ(m_app.statusText(), kStatusIncomplete);
    EXPECT_TRUE(m_app.errorDisplay());

    EXPECT_FALSE(m_app.SetStdConfigExecute().has_value());
    EXPECT_TRUE(m_app.standardConfigurationChecked());
    EXPECT_EQ(Stored("UseStdConfig"), "1");
    for (Group g : mandatory)
        EXPECT_EQ(m_app.choice()[g], 0) << Info(g).controlName;
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    EXPECT_EQ(m_app.priceText(), "2130");
}

TEST_F(ConfiguratorTest, LanguageCommands) {
    Start(CatalogueText("UseStdConfig=1\nOSStdLanguage=1\n"));
    EXPECT_EQ(m_app.checkedLanguage(), 1);
    const std::string status = m_app.statusText();

    EXPECT_FALSE(m_app.LanguageClick(2).has_value());
    EXPECT_EQ(Stored("OSStdLanguage"), "2");
    EXPECT_EQ(Text(Group::OSLanguage), "french");
    EXPECT_EQ(m_app.checkedLanguage(), 2);

    // Only four languages: the number is stored and checked, the box has no selection.
    EXPECT_FALSE(m_app.LanguageClick(5).has_value());
    EXPECT_EQ(Stored("OSStdLanguage"), "5");
    EXPECT_EQ(m_app.choice()[Group::OSLanguage], -1);
    EXPECT_EQ(m_app.checkedLanguage(), 5);
    EXPECT_EQ(m_app.statusText(), status);
    EXPECT_EQ(m_app.priceText(), "2120");
}

// The title names the customer file by its last folders: up to ten folder levels are taken
// off, each round keeping at most 100 characters.
TEST(WindowTitle, NamesTheFileByItsLastFolders) {
    std::string eleven;
    for (int level = 1; level <= 11; ++level)
        eleven += "/d" + std::to_string(level);
    const struct {
        std::string file;
        std::string shown;
    } cases[] = {
        {"", "----"},
        {"/home/ann/orders/Miller.CST", "Miller.CST"},
        {"C:\\orders\\Miller.CST", "Miller.CST"},
        {eleven + "/x.CST", "d10/d11/x.CST"},
        {"/" + std::string(150, 'n'), std::string(100, 'n')},
        {std::string(150, 'n'), std::string(150, 'n')},
    };
    for (const auto& c : cases) {
        Configurator configurator;
        configurator.SetCustomerFile(c.file);
        EXPECT_EQ(configurator.WindowTitle(), std::string(kApplicationTitle) + kProgramVersion +
                                                  " [Customer: ----] [File: " + c.shown + "]")
            << c.file;
    }
}

} // namespace
