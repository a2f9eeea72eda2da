#include <gtest/gtest.h>

#include "core/session/ComparisonHtml.h"

using namespace kb;

namespace {

TEST(ComparisonHtml, EscapesEveryTextSoAnyValueMakesAValidPage) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain 72160300", "plain 72160300"},
        {"<b>A & B</b>", "&lt;b&gt;A &amp; B&lt;/b&gt;"},
        {"say \"hi\" it's", "say &quot;hi&quot; it&#39;s"},
        {"tab\tline\nend", "tab\tline\nend"},
        {"nul\x01"
         "del\x7f",
         "nul\xEF\xBF\xBD"
         "del\xEF\xBF\xBD"},
        {"Gr\xFC\xDF"
         "e",
         "Gr\xC3\xBC\xC3\x9F"
         "e"},                        // Windows-1252 bytes become their characters
        {"\xC2\x85", "\xEF\xBF\xBD"}, // a C1 control is no text either
        {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},
    };
    for (const auto& [text, html] : cases)
        EXPECT_EQ(HtmlEscape(text), html) << text;
}

TEST(ComparisonHtml, PageHoldsFileValuesAsTextAndMarksWhatWasTakenAway) {
    CatalogueComparison comparison;
    comparison.files = {"/old/<KITBUILDER>.INI", "", "/new/KITBUILDER.INI", "", "/orders"};
    comparison.changes = {
        {ChangeKind::PartRemoved, "950", "<script>alert(1)</script>", "", "<script>alert(1)</script>", ""},
        {ChangeKind::Price, "101", "150", "165", "Housing large", "+10,0 %"},
    };
    comparison.ordersChecked = true;
    comparison.orderCount = 4;
    RecheckedOrder before, after;
    before.file = after.file = "/orders/a&b.CST";
    before.verdict = RecheckVerdict::Valid;
    after.verdict = RecheckVerdict::Invalid;
    after.company1 = "O'Neil & Sons";
    comparison.touched.push_back({before, after});

    const std::string page = ComparisonHtml(comparison);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("/old/&lt;KITBUILDER&gt;.INI"), std::string::npos);
    EXPECT_NE(page.find("O&#39;Neil &amp; Sons"), std::string::npos);
    EXPECT_NE(
        page.find(
            "<tr class=\"removed\"><td><span class=\"key\">950</span> <span class=\"mark\">removed</span>"),
        std::string::npos);
    EXPECT_NE(page.find("<td class=\"num up\">+10,0 %</td>"), std::string::npos);
    EXPECT_NE(page.find("valid &rarr; invalid <span class=\"mark\">no longer valid</span>"),
              std::string::npos);
    EXPECT_NE(page.find("2 changes; 1 of 4 orders affected"), std::string::npos);
}

} // namespace
