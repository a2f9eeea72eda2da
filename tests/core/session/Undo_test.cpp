#include "core/session/Configurator.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"

using namespace kb;

namespace {

// The sample catalogue in a scratch folder, started as the window starts it.
class UndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::filesystem::path data(KITBUILDER_DATA_DIR);
        m_ini = m_dir.write("KITBUILDER.INI", ReadFileBytes((data / "KITBUILDER.INI").string()));
        m_prs = m_dir.write("KITBUILDER.PRS", ReadFileBytes((data / "KITBUILDER.PRS").string()));
        ASSERT_EQ(m_app.LoadCatalogue(m_ini, m_prs).result, LoadResult::Loaded);
        m_app.StartUp(false);
        m_app.SetChangeListener([this] { ++m_notices; });
    }

    // The code of a configuration made on a second copy of the program.
    std::string CodeOf(const std::vector<std::pair<Group, int>>& picks, bool pci) {
        Configurator other;
        EXPECT_EQ(other.LoadCatalogue(m_ini, m_prs).result, LoadResult::Loaded);
        other.StartUp(false);
        for (const auto& [group, index] : picks)
            other.UserSelect(group, index);
        other.UserSetPCI(pci);
        const Result<std::string> code = other.CurrentIDCode();
        EXPECT_TRUE(code.has_value());
        return code ? kIDCodePrefix + *code : std::string();
    }

    TempDir m_dir;
    std::string m_ini;
    std::string m_prs;
    Configurator m_app;
    int m_notices = 0;
};

TEST_F(UndoTest, StepsAcrossControlsACodeAndACustomerFile) {
    EXPECT_FALSE(m_app.CanUndo());
    EXPECT_FALSE(m_app.CanRedo());
    const Choice start = m_app.choice();
    const std::string startPrice = m_app.priceText();

    m_app.UserSelect(Group::X1, 1);
    // Choosing the entry already shown changes nothing and adds no step.
    m_app.UserSelect(Group::X1, 1);
    const Choice afterX1 = m_app.choice();
    m_app.UserSelect(Group::HMI, 1);
    ASSERT_FALSE(m_app.choice().azoVisible);
    const Choice afterHMI = m_app.choice();
    m_app.UserTypeLanguage("k");
    m_app.UserTypeLanguage("kl");
    m_app.UserTypeLanguage("klingon");
    const Choice typed = m_app.choice();
    m_app.UserSetPCI(true);
    const Choice withCard = m_app.choice();

    const std::string code = CodeOf({{Group::Housing, 1}, {Group::X2, 2}}, false);
    ASSERT_FALSE(m_app.ApplyIDCode(code).has_value());
    const Choice fromCode = m_app.choice();
    const std::string codePrice = m_app.priceText();

    const std::string customer =
        m_dir.write("ORDER.CST", "[Data]\nName1=Ada\nCode=" + CodeOf({{Group::X3, 1}}, true) + "\n");
    EXPECT_TRUE(m_app.OpenCustomerFile(customer).empty());
    const Choice fromFile = m_app.choice();
    ASSERT_NE(fromFile, fromCode);

    const int checks = m_app.checkRuns();
    m_notices = 0;
    const Choice expectedBack[] = {fromCode, withCard, typed, afterHMI, afterX1, start};
    for (const Choice& expected : expectedBack) {
        ASSERT_TRUE(m_app.CanUndo());
        m_app.Undo();
        EXPECT_EQ(m_app.choice(), expected);
    }
    EXPECT_FALSE(m_app.CanUndo());
    // Each undo ran the check once and told the window once.
    EXPECT_EQ(m_app.checkRuns(), checks + 6);
    EXPECT_EQ(m_notices, 6);
    EXPECT_EQ(m_app.priceText(), startPrice);
    EXPECT_EQ(m_app.statusText(), kStatusNoErrors);
    // The customer record and its file stay as opened.
    EXPECT_EQ(m_app.customer()[CustomerRecord::Name1], "Ada");
    EXPECT_EQ(m_app.customerFile(), customer);

    for (const Choice& expected : {afterX1, afterHMI, typed, withCard, fromCode}) {
        ASSERT_TRUE(m_app.CanRedo());
        m_app.Redo();
        EXPECT_EQ(m_app.choice(), expected);
    }
    EXPECT_EQ(m_app.priceText(), codePrice);
    EXPECT_TRUE(m_app.CanRedo());

    // A new change after an undo drops what was left to redo.
    m_app.UserSelect(Group::X5, 2);
    EXPECT_FALSE(m_app.CanRedo());
    m_app.Undo();
    EXPECT_EQ(m_app.choice(), fromCode);
}

TEST_F(UndoTest, UndoRestoresTheVerdictAndTheProfibusPair) {
    const auto& x9 = m_app.snapshot()->Items(Group::X9);
    const int profibus = static_cast<int>(std::find(x9.begin(), x9.end(), kProfibusText) - x9.begin());
    ASSERT_LT(profibus, static_cast<int>(x9.size()));
    m_app.UserSelect(Group::X9, profibus);
    ASSERT_EQ(m_app.configuration().Text(Group::X4), kProfibusText);
    const Choice paired = m_app.choice();
    m_app.UserSelect(Group::X9, 0);
    // The check completes the pair again, so emptying X9 alone changes nothing.
    EXPECT_EQ(m_app.choice(), paired);
    m_app.UserSelect(Group::X4, 1);
    ASSERT_EQ(m_app.checkResult(), CheckResult::Profibus);
    m_app.Undo();
    EXPECT_EQ(m_app.choice(), paired);
    EXPECT_EQ(m_app.checkResult(), CheckResult::Passed);
    EXPECT_FALSE(m_app.errorDisplay());
    m_app.Redo();
    EXPECT_EQ(m_app.checkResult(), CheckResult::Profibus);
    EXPECT_EQ(m_app.statusText(), kStatusProfibus);
}

TEST_F(UndoTest, NotUndoneSettingsAndAFailedCode) {
    // A code too short to apply changes nothing: no step.
    EXPECT_TRUE(m_app.ApplyIDCode("VK72-1").has_value());
    EXPECT_FALSE(m_app.CanUndo());
    // Settings write files and are no steps of their own.
    EXPECT_FALSE(m_app.SetStdConfigExecute().has_value());
    EXPECT_FALSE(m_app.CanUndo());
    // Nothing to undo or redo leaves everything, and runs no check.
    const int checks = m_app.checkRuns();
    m_app.Undo();
    m_app.Redo();
    EXPECT_EQ(m_app.checkRuns(), checks);
}

TEST_F(UndoTest, KeepsTheLatestStepsUpToItsLimit) {
    const int steps = static_cast<int>(UndoHistory::kDefaultSteps) + 20;
    std::vector<Choice> seen{m_app.choice()};
    for (int i = 0; i < steps; ++i) {
        m_app.UserSelect(Slot(i % 10 + 1), 1 + (i / 10) % 2);
        seen.push_back(m_app.choice());
    }
    int undone = 0;
    while (m_app.CanUndo()) {
        m_app.Undo();
        ++undone;
        ASSERT_EQ(m_app.choice(), seen[seen.size() - 1 - static_cast<std::size_t>(undone)]);
    }
    EXPECT_EQ(undone, static_cast<int>(UndoHistory::kDefaultSteps));
    EXPECT_GE(undone, 100);
}

TEST(UndoHistory, TypingMergesOnlyWithTypingJustBefore) {
    UndoHistory history(3);
    Choice a, b, c;
    b.typedLanguage = "b";
    c.typedLanguage = "c";
    history.Record(a, true);
    history.Record(b, true); // typing on: no step of its own
    ASSERT_EQ(history.Undo(c), a);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.Redo(a), c);
    // After an undo or redo, typing starts a new step.
    history.Record(c, true);
    EXPECT_EQ(history.Undo(b), c);
    EXPECT_EQ(history.Undo(c), a);
}

} // namespace
