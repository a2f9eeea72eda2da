#include "core/session/UserPreferences.h"

#include <gtest/gtest.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

std::vector<std::string> Names(const std::vector<std::string>& paths, const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(path.substr(folder.size()));
    return names;
}

} // namespace

TEST(RecentOrders, NewestFirstEachOnceAtMostEightKeptPerUser) {
    TempDir dir;
    // The settings folder is made on the first write, as for the other per-user settings.
    const std::string settings = dir.file("config/vk72/settings.ini");
    const std::string folder = dir.path().string() + "/";
    for (int n = 1; n <= 10; ++n)
        dir.write("o" + std::to_string(n) + ".CST", "[Data]\n");
    const auto order = [&](int n) { return folder + "o" + std::to_string(n) + ".CST"; };

    struct Step {
        const char* what;
        std::function<void(RecentOrders&)> act;
        std::vector<std::string> expected;
    };
    const std::vector<Step> steps = {
        {"first", [&](RecentOrders& r) { (void)r.Add(order(1)); }, {"o1.CST"}},
        {"newest first", [&](RecentOrders& r) { (void)r.Add(order(2)); }, {"o2.CST", "o1.CST"}},
        {"again moves up, once", [&](RecentOrders& r) { (void)r.Add(order(1)); }, {"o1.CST", "o2.CST"}},
        {"ninth drops the oldest",
         [&](RecentOrders& r) {
             for (int n = 3; n <= 9; ++n)
                 (void)r.Add(order(n));
         },
         {"o9.CST", "o8.CST", "o7.CST", "o6.CST", "o5.CST", "o4.CST", "o3.CST", "o1.CST"}},
        {"removed",
         [&](RecentOrders& r) { (void)r.Remove(order(5)); },
         {"o9.CST", "o8.CST", "o7.CST", "o6.CST", "o4.CST", "o3.CST", "o1.CST"}},
        {"a path the file would change is not kept",
         [&](RecentOrders& r) {
             (void)r.Add(folder + "bad\xff.CST");
             (void)r.Add(folder + "two\nlines.CST");
             (void)r.Add("");
         },
         {"o9.CST", "o8.CST", "o7.CST", "o6.CST", "o4.CST", "o3.CST", "o1.CST"}},
    };
    RecentOrders recent(settings);
    EXPECT_TRUE(recent.files().empty());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(recent);
        EXPECT_EQ(Names(recent.files(), folder), step.expected);
        // Another copy of the program, or the next run, reads the same list.
        EXPECT_EQ(RecentOrders(settings).files(), recent.files());
    }

    // What another running copy added is not lost by this one's next change.
    RecentOrders other(settings);
    ASSERT_TRUE(other.Add(order(10)).has_value());
    ASSERT_TRUE(recent.Add(order(2)).has_value());
    EXPECT_EQ(Names(recent.files(), folder),
              (std::vector<std::string>{"o2.CST", "o10.CST", "o9.CST", "o8.CST", "o7.CST", "o6.CST", "o4.CST",
                                        "o3.CST"}));
}

TEST(RecentOrders, AVanishedOrderIsReportedAndTakenOff) {
    TempDir dir;
    const std::string settings = dir.file("settings.ini");
    const std::string kept = dir.write("kept.CST", "[Data]\n");
    const std::string gone = dir.write("gone.CST", "[Data]\n");
    RecentOrders recent(settings);
    ASSERT_TRUE(recent.Add(gone).has_value());
    ASSERT_TRUE(recent.Add(kept).has_value());
    std::filesystem::remove(gone);

    EXPECT_FALSE(recent.Choose(kept).has_value());
    const std::optional<Message> message = recent.Choose(gone);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->kind, Message::Kind::Information);
    EXPECT_EQ(message->text, "The order \"" + gone +
                                 "\" no longer exists. It was taken off the list of recently used orders.");
    EXPECT_EQ(recent.files(), std::vector<std::string>{kept});
    EXPECT_EQ(RecentOrders(settings).files(), std::vector<std::string>{kept});

    // Without a settings file the list serves this run only.
    RecentOrders memory;
    ASSERT_TRUE(memory.Add(kept).has_value());
    EXPECT_EQ(memory.files(), std::vector<std::string>{kept});
}

TEST(RecentOrders, CaptionNumbersTheEntryAndKeepsAmpersands) {
    EXPECT_EQ(RecentOrderCaption(0, "/home/ann/orders/Acme.CST"), "&1 Acme.CST");
    EXPECT_EQ(RecentOrderCaption(7, "/home/ann/Smith & Sons.CST"), "&8 Smith && Sons.CST");
}

TEST(WindowLayout, StoredPerUserAndDamagedValuesGiveTheDefaults) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string fileText; // empty: written by WriteWindowLayout
        WindowLayout expected;
    };
    const WindowLayout stored{1100, 600, {150, 0, 90}};
    const std::vector<Case> cases = {
        {"as written", "", stored},
        {"missing file", "-", {0, 0, {0, 0, 0}}},
        {"not numbers, out of range",
         "[CheckSavedOrders]\nWidth=wide\nHeight=-5\nColumns=80,x,99999,70\n",
         {0, 0, {80, 0, 0}}},
        {"columns missing",
         "[CheckSavedOrders]\nWidth=900\nHeight=0x200\nColumns=120\n",
         {900, 512, {120, 0, 0}}},
        {"binary",
         std::string("\x7f"
                     "ELF\0\xff[CheckSavedOrders\0Width=1",
                     31),
         {0, 0, {0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.file(std::string(c.name) + ".ini");
        if (c.fileText.empty())
            ASSERT_TRUE(WriteWindowLayout(file, "CheckSavedOrders", stored).has_value());
        else if (c.fileText != "-")
            dir.write(std::string(c.name) + ".ini", c.fileText);
        EXPECT_EQ(ReadWindowLayout(file, "CheckSavedOrders", 3), c.expected);
    }
    // The window's size goes beside the other settings and keeps them.
    const std::string shared = dir.write("shared.ini", "[General]\nShowPrices=0\n");
    ASSERT_TRUE(WriteWindowLayout(shared, "CheckSavedOrders", stored).has_value());
    EXPECT_EQ(ReadFileBytes(shared).find("[General]\nShowPrices=0\n"), 0u);
}

TEST(FileOpen, AFileThatHoldsNoOrderSaysSo) {
    TempDir dir;
    Configurator app;
    ASSERT_EQ(app.LoadCatalogue(dir.write("KITBUILDER.INI", kSmallCatalogue),
                                dir.write("KITBUILDER.PRS", kSmallPrices))
                  .result,
              LoadResult::Loaded);
    app.StartUp(false);
    struct Case {
        const char* name;
        const char* text; // null: no such file
        bool notice;
    };
    const std::vector<Case> cases = {
        {"binary",
         "\x7f"
         "ELF\x02\x01\xff\xfe",
         true},
        {"text of another kind", "Dear Ann,\nthe terminal ships on Monday.\n", true},
        {"empty", "", true},
        {"an order", "[Data]\nName1=Ann\nCode=VK72-1111x-110Ax-00000-00000-D3x\n", false},
        {"customer data without a code", "[Data]\nCompany1=Acme\n", false},
        {"a new name", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            c.text ? dir.write(std::string(c.name) + ".CST", c.text) : dir.file(std::string(c.name) + ".CST");
        const std::vector<Message> messages = app.OpenCustomerFile(path);
        // Opened as before: the file is current, the fields as read.
        EXPECT_EQ(app.customerFile(), path);
        if (!c.notice) {
            EXPECT_TRUE(messages.empty());
            continue;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, Message::Kind::Information);
        EXPECT_EQ(messages[0].text, "The file \"" + path +
                                        "\" holds no order, so the customer fields are empty and the "
                                        "configuration stays as it was. A Save will add an order to it.");
    }
}
