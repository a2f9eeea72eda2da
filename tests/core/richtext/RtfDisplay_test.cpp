#include "core/richtext/RtfDisplay.h"

#include <gtest/gtest.h>

using namespace kb;

namespace {

// Paragraphs joined by '|', bold runs in braces.
std::string Describe(const RtfDocument& document) {
    std::string text;
    for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
        text += p > 0 ? "|" : "";
        for (const RtfRun& run : document.Runs(document.paragraphs[p])) {
            const bool bold = document.Format(run).bold;
            text += (bold ? "{" : "") + std::string(document.Text(run)) + (bold ? "}" : "");
        }
    }
    return text;
}

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

TEST(BoundForDisplay, CutsParagraphsRunsAndTheWholeSayingHowMuch) {
    const RtfDisplayLimits small{5, 3, 12};
    const struct {
        const char* name;
        std::string rtf;
        std::string shown;
    } cases[] = {
        {"within every limit", "{\\rtf1 abc\\par {\\b de}\\par}", "abc|{de}"},
        {"a long paragraph ends in an ellipsis", "{\\rtf1 abcdefgh\\par xy\\par}",
         "abcde\xE2\x80\xA6|xy|[3 characters were left out: this window shows up to 5 characters and 3 "
         "changes "
         "of style a paragraph, 12 characters in all.]"},
        {"characters, not bytes: a cut never splits one",
         "{\\rtf1 \\u228?\\u246?\\u252?\\u233?\\u224?\\u231?\\par}",
         "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA9\xC3\xA0\xE2\x80\xA6|[1 character was left out: this window shows "
         "up "
         "to 5 characters and 3 changes of style a paragraph, 12 characters in all.]"},
        {"past the runs the rest keeps the last run's style", "{\\rtf1 a{\\b b}c{\\b d}\\par}",
         "a{b}cd|[1 change of style not shown: this window shows up to 5 characters and 3 changes of style a "
         "paragraph, 12 characters in all.]"},
        {"past the whole, paragraphs are left out", "{\\rtf1 abcde\\par fghij\\par klmno\\par pq\\par}",
         "abcde|fghij|kl\xE2\x80\xA6|[5 characters were left out (1 whole paragraph): this window shows up "
         "to 5 "
         "characters and 3 changes of style a paragraph, 12 characters in all.]"},
    };
    for (const auto& c : cases) {
        const Result<RtfDocument> read = ReadRtf(c.rtf);
        ASSERT_TRUE(read.has_value()) << c.name;
        EXPECT_EQ(Describe(BoundForDisplay(*read, small)), c.shown) << c.name;
    }
}

TEST(BoundForDisplay, HostileDocumentsShrinkToTheLimits) {
    // One line of 1 MB, and 400,000 changes of style in one paragraph.
    const Result<RtfDocument> line = ReadRtf("{\\rtf1 " + std::string(1 << 20, 'a') + "}");
    const Result<RtfDocument> styles = ReadRtf("{\\rtf1 " + Repeat("{\\b a}a", 200000) + "}");
    const RtfDisplayLimits limits;
    for (const Result<RtfDocument>* read : {&line, &styles}) {
        ASSERT_TRUE(read->has_value());
        const RtfDocument shown = BoundForDisplay(**read, limits);
        ASSERT_EQ(shown.paragraphs.size(), 2u);
        EXPECT_LE(shown.Runs(shown.paragraphs[0]).size(), limits.paragraphRuns);
        EXPECT_LE(shown.text.size(), limits.paragraphCharacters + 400);
        EXPECT_TRUE(shown.Text(shown.paragraphs[1])
                        .starts_with("[" + std::to_string(read == &line ? (1 << 20) - 5000 : 395000) +
                                     " characters were left out"))
            << shown.Text(shown.paragraphs[1]);
    }
}

} // namespace
