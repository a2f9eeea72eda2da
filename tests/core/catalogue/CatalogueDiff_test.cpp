#include <gtest/gtest.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "core/catalogue/CatalogueDiff.h"
#include "core/platform/SafeFile.h"

using namespace kb;

namespace {

using Edits = std::vector<std::pair<std::string, std::string>>;

std::string Edited(std::string text, const Edits& edits) {
    for (const auto& [from, to] : edits)
        text = ReplaceOnce(text, from, to);
    return text;
}

struct DiffCase {
    const char* name;
    Edits catalogue;
    Edits prices;
    std::vector<std::string> lines;
    std::string repeat; // a "the first counts" note the new release must give
};

// The small catalogue against itself after one hand-made change per row.
TEST(CatalogueDiff, EachKindOfChangeIsOneLineMatchedByOrderNumber) {
    const DiffCase cases[] = {
        {"identical", {}, {}, {}, ""},
        {"part added",
         {{"20=950\n", "20=950\n21=960\n"}, {"950=PCI card\n", "950=PCI card\n960=Relay card\n"}},
         {{"950=99,5\n", "950=99,5\n960=12\n"}},
         {"part-added\t960\t\tRelay card"},
         ""},
        {"part removed", {{"20=950\n", ""}}, {}, {"part-removed\t950\tPCI card\t"}, ""},
        {"renamed part is one description line",
         {{"201=CPU fast", "201=CPU faster"}},
         {},
         {"description\t201\tCPU fast\tCPU faster"},
         ""},
        {"type", {{"701=M-C\n", "701=M-CAN\n"}}, {}, {"type\t701\tM-C\tM-CAN"}, ""},
        {"index letter moved", {{"704=U\n", "704=V\n"}}, {}, {"index\t704\tU\tV"}, ""},
        {"price with its change in per cent",
         {},
         {{"101=150", "101=168,75"}, {"702=30", "702=27"}},
         {"price\t101\t150\t168,75 (+12,5 %)", "price\t702\t30\t27 (-10,0 %)"},
         ""},
        {"same amounts under a new separator are no price change",
         {},
         {{"Date=", "DecimalSeparator=.\nDate="}, {"99999=0,5", "99999=0.50"}, {"950=99,5", "950=99.5"}},
         {"setting\tPrices:DecimalSeparator\t\t."},
         ""},
        {"entries added, sorted with numbers as numbers",
         {{"[X2]\n0=700", "[X2]\n0=700\n1=701"}, {"[X10]\n0=700", "[X10]\n0=700\n1=705"}},
         {},
         {"entry-added\tX2:701\t\t1", "entry-added\tX10:705\t\t1"},
         ""},
        {"entry removed", {{"[X1]\n0=700\n1=701", "[X1]\n0=700"}}, {}, {"entry-removed\tX1:701\t1\t"}, ""},
        {"move inside a list",
         {{"[Housing]\n0=100\n1=101", "[Housing]\n0=101\n1=100"}},
         {},
         {"entry-moved\tHousing:100\t0\t1", "entry-moved\tHousing:101\t1\t0"},
         ""},
        {"limits: lowered, added; only the first digit counts",
         {{"[Max_SCOM]\n701=1", "[Max_SCOM]\n701=0\n703=x"},
          {"[Max_PCOM]\n701=1", "[Max_PCOM]\n701=15\n703=2"}},
         {},
         {"limit\tMax_PCOM:703\t\t2", "limit\tMax_SCOM:701\t1\t0"},
         ""},
        {"a pair written the other way round is the same pair", {{"601=201", "201=601"}}, {}, {}, ""},
        {"exclusions added and removed",
         {{"[Exclude_List]\n601=201", "[Exclude_List]\n703=410"}},
         {},
         {"exclusion-added\t703=410\t\tEthernet = System B",
          "exclusion-removed\t601=201\tSupply low = CPU fast\t"},
         ""},
        {"languages",
         {{"2=french\n", "2=francais\n"}, {"5=spanish\n", "5=spanish\n6=polish\n"}},
         {},
         {"language\t2\tfrench\tfrancais", "language\t6\t\tpolish"},
         ""},
        {"settings, but not the user's own",
         {{"Version=9.9", "Version=10.0"}, {"UseStdConfig=1", "UseStdConfig=0\nRelease=2027"}},
         {{"Currency=EUR", "Currency=CHF"}},
         {"setting\tGeneral:Release\t\t2027", "setting\tGeneral:Version\t9.9\t10.0",
          "setting\tPrices:Currency\tEUR\tCHF"},
         ""},
        {"an order number listed twice: the first counts, said once",
         {{"20=950\n", "20=950\n21=100\n22=100\n"},
          {"[X9]\n0=700\n1=701\n2=703\n3=704\n4=705\n5=702",
           "[X9]\n0=700\n1=700\n2=701\n3=703\n4=704\n5=705\n6=702"}},
         {},
         {"entry-moved\tX9:701\t1\t2", "entry-moved\tX9:702\t5\t6", "entry-moved\tX9:703\t2\t3",
          "entry-moved\tX9:704\t3\t4", "entry-moved\tX9:705\t4\t5"},
         "[OrderNumbers] lists 100 at slots 0, 21 and 22; the first counts"},
    };
    for (const DiffCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string oldIni = dir.write("OLD.INI", kSmallCatalogue);
        const std::string oldPrs = dir.write("OLD.PRS", kSmallPrices);
        const std::string newIni = dir.write("NEW.INI", Edited(kSmallCatalogue, c.catalogue));
        const std::string newPrs = dir.write("NEW.PRS", Edited(kSmallPrices, c.prices));
        const Result<CatalogueContent> before = ReadCatalogueContent(oldIni, oldPrs);
        const Result<CatalogueContent> after = ReadCatalogueContent(newIni, newPrs);
        ASSERT_TRUE(before && after);
        std::vector<std::string> lines;
        for (const Change& change : DiffCatalogues(*before, *after))
            lines.push_back(ChangeLine(change));
        EXPECT_EQ(lines, c.lines);
        EXPECT_TRUE(DiffCatalogues(*after, *after).empty());
        EXPECT_TRUE(before->repeats.empty());
        if (!c.repeat.empty()) {
            ASSERT_EQ(after->repeats.size(), 2u);
            EXPECT_EQ(after->repeats[0], newIni + ": " + c.repeat);
            EXPECT_EQ(after->repeats[1], newIni + ": [X9] lists 700 at keys 0 and 1; the first counts");
        }
    }
}

TEST(CatalogueDiff, RefusesWhatCannotBeReadNamingTheFile) {
    TempDir dir;
    const std::string ini = dir.write("KITBUILDER.INI", kSmallCatalogue);
    const std::string folder = dir.path().string();
    const std::string huge = dir.write("HUGE.INI", "[General]\n");
    std::filesystem::resize_file(huge, kMaxReadFileSize + 1);
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("none.INI"), ""},
        {folder, ""},
        {huge, ""},
        {ini, dir.file("none.PRS")},
    };
    for (const auto& [catalogue, prices] : cases) {
        const Result<CatalogueContent> content = ReadCatalogueContent(catalogue, prices);
        ASSERT_FALSE(content);
        EXPECT_NE(content.error().message.find(prices.empty() ? catalogue : prices), std::string::npos)
            << content.error().message;
    }
    const Result<CatalogueContent> badPrice =
        ReadCatalogueContent(ini, dir.write("BAD.PRS", ReplaceOnce(kSmallPrices, "101=150", "101=1.5")));
    ASSERT_TRUE(badPrice);
    EXPECT_EQ(badPrice->badPrices, CatalogueContent::Pairs({{"101", "1.5"}}));
}

TEST(CatalogueDiff, MarksWhatIsTakenAwayOrMadeStricter) {
    const std::pair<Change, ChangeMark> cases[] = {
        {{ChangeKind::PartRemoved, "950", "PCI card", "", "", ""}, ChangeMark::Removed},
        {{ChangeKind::EntryRemoved, "X1:701", "1", "", "", ""}, ChangeMark::Removed},
        {{ChangeKind::ExclusionAdded, "703=410", "", "x", "", ""}, ChangeMark::Tightened},
        {{ChangeKind::ExclusionRemoved, "703=410", "x", "", "", ""}, ChangeMark::None},
        {{ChangeKind::Limit, "Max_SCOM:701", "1", "0", "", ""}, ChangeMark::Tightened},
        {{ChangeKind::Limit, "Max_SCOM:701", "", "3", "", ""}, ChangeMark::Tightened},
        {{ChangeKind::Limit, "Max_SCOM:701", "1", "2", "", ""}, ChangeMark::None},
        {{ChangeKind::Limit, "Max_SCOM:701", "1", "", "", ""}, ChangeMark::None},
        {{ChangeKind::Index, "704", "U", "V", "", ""}, ChangeMark::CodesChange},
        {{ChangeKind::Language, "2", "french", "francais", "", ""}, ChangeMark::CodesChange},
        {{ChangeKind::Language, "6", "", "polish", "", ""}, ChangeMark::None},
        {{ChangeKind::Price, "101", "150", "168", "", "+12,0 %"}, ChangeMark::None},
    };
    for (const auto& [change, mark] : cases)
        EXPECT_EQ(MarkOf(change), mark) << ChangeLine(change);
}

} // namespace
