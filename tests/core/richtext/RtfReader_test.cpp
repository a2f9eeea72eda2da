#include "core/richtext/RtfReader.h"

#include "TestFiles.h"
#include "core/platform/TextCodec.h"
#include "core/richtext/RtfWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace kb;

namespace {

// A paragraph as "<left indent, first line indent>[tab stops]text", formatted runs as "{flags:text}" with
// flags b, i, u, s; paragraphs joined by '|'.
std::string Describe(const RtfDocument& document) {
    std::string text;
    for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
        const RtfParagraph& paragraph = document.paragraphs[p];
        const RtfParagraphFormat& format = document.Format(paragraph);
        if (p > 0)
            text += '|';
        if (format.leftIndentTwips != 0 || format.firstLineIndentTwips != 0)
            text += "<" + std::to_string(format.leftIndentTwips) + " " +
                    std::to_string(format.firstLineIndentTwips) + ">";
        const std::vector<int>& stops = document.TabStops(paragraph);
        if (!stops.empty()) {
            text += '[';
            for (std::size_t t = 0; t < stops.size(); ++t)
                text += (t > 0 ? " " : "") + std::to_string(stops[t]);
            text += ']';
        }
        for (const RtfRun& run : document.Runs(paragraph)) {
            const RtfCharFormat& f = document.Format(run);
            const std::string flags = std::string(f.bold ? "b" : "") + (f.italic ? "i" : "") +
                                      (f.underline ? "u" : "") + (f.strike ? "s" : "");
            const std::string runText(document.Text(run));
            text += flags.empty() ? runText : "{" + flags + ":" + runText + "}";
        }
    }
    return text;
}

struct RoundTripCase {
    const char* name;
    RtfTableStyle style;
    std::vector<int> tabStopsTwips;
};

class RtfRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

RtfTableStyle Style(const char* font, int halfPoints, std::vector<int> tabs, bool heading) {
    RtfTableStyle style;
    style.fontName = font;
    style.fontHalfPoints = halfPoints;
    style.tabStopsPoints = std::move(tabs);
    style.headingBoldUnderlined = heading;
    return style;
}

TEST_P(RtfRoundTrip, ReadsBackEveryCellWithTabStopsFontAndHeading) {
    const RtfTableStyle& style = GetParam().style;
    // An order list's shape: a heading, part rows, empty rows, cells that start with digits,
    // RTF's special characters and a Latin-1 letter.
    std::vector<std::vector<std::string>> rows = {
        {"Order number", "Type", "Description", "Price", "Qty"},
        {"VK72-1000", "Housing", "Stainless steel housing, IP69K", "1250,50", "1"},
        {"5000", "OS", "Operating system, german", "100", "1"},
        {"S2", "CAN",
         "Schnittstelle f\u00fcr CAN {2.0B} \u2013 \u20ac 5, Dvo\u0159\u00e1k \u5317\u4eac \U0001F600", "20",
         "1"},
        {"", "", "", "", ""},
        {"", "", "Back\\slash and 100% \t tab", "", ""},
        {"Total", "", "", "3120,5", ""},
        {"ID code", "VK72-0000A-0000B-00000-00000-00S", "", "", ""},
    };
    for (int n = 0; n < 30; ++n)
        rows.push_back({"", "", "", "", ""});

    const Result<RtfDocument> result = ReadRtf(WriteRtfTable(rows, style));

    ASSERT_TRUE(result) << result.error().message;
    EXPECT_EQ(result.value().fontName, style.fontName);
    EXPECT_EQ(result.value().fontHalfPoints, style.fontHalfPoints);
    ASSERT_EQ(result.value().paragraphs.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const RtfDocument& document = result.value();
        const RtfParagraph& paragraph = document.paragraphs[r];
        std::string expected;
        for (const std::string& cell : rows[r])
            expected += cell + "\t";
        EXPECT_EQ(document.Text(paragraph), expected) << "row " << r;
        EXPECT_EQ(document.TabStops(paragraph), GetParam().tabStopsTwips) << "row " << r;
        const bool heading = r == 0 && style.headingBoldUnderlined;
        for (const RtfRun& run : document.Runs(paragraph)) {
            EXPECT_EQ(document.Format(run).bold, heading)
                << "row " << r << " run \"" << document.Text(run) << "\"";
            EXPECT_EQ(document.Format(run).underline, heading) << "row " << r;
            EXPECT_FALSE(document.Format(run).italic) << "row " << r;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Styles, RtfRoundTrip,
    ::testing::Values(RoundTripCase{"OrderList",
                                    Style("Arial Narrow", 20, {70, 150, 325, 405, 480}, true),
                                    {1400, 3000, 6500, 8100, 9600}},
                      RoundTripCase{"PlainHeading", Style("Courier New", 24, {36, 400}, false), {720, 8000}},
                      RoundTripCase{"NoTabStops", Style("Liberation Sans", 17, {}, true), {}}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

struct Snippet {
    const char* name;
    const char* rtf;
    const char* expected;
    const char* fontName = "";
    int halfPoints = 24;
};

TEST(RtfReader, ReadsWhatWordProcessorsWrite) {
    const Snippet snippets[] = {
        {"nested groups restore bold", "{\\rtf1 a{\\b b{\\i c}d}e\\par}", "a{b:b}{bi:c}{b:d}e"},
        {"switches off with 0 and plain",
         "{\\rtf1\\b a\\b0 b\\ul c\\ul0 d\\ul e\\ulnone f\\i\\b1 g\\plain h\\i1 j\\i0 k}",
         "{b:a}b{u:c}d{u:e}f{bi:g}h{i:j}k"},
        {"other underline kinds", "{\\rtf1\\ulw a\\ulnone b\\uldb c\\par}", "{u:a}b{u:c}"},
        {"unicode with one fallback", "{\\rtf1\\uc1 Price \\u8364E 5\\par}", "Price \u20ac 5"},
        {"unicode Latin-1 and its fallback byte", "{\\rtf1\\uc1 K\\u228\\'e4se\\par}", "K\u00e4se"},
        {"unicode with two fallbacks", "{\\rtf1\\uc2 \\u8364\\'80\\'81x\\par}", "\u20acx"},
        {"no fallback", "{\\rtf1\\uc0\\u228 x\\par}", "\u00e4x"},
        {"negative unicode", "{\\rtf1\\u-3913?x\\par}", "\uf0b7x"},
        {"fallback ends with the group", "{\\rtf1{\\uc3\\u8364}abc\\par}", "\u20acabc"},
        {"fallback counts a control word", "{\\rtf1\\u8364\\tab x\\par}", "\u20acx"},
        {"hex escape", "{\\rtf1 K\\'e4se \\'C4 \\'80\\'93\\'9f\\par}", "K\u00e4se \u00c4 \u20ac\u201c\u0178"},
        {"broken hex escapes", "{\\rtf1 a\\'g1b\\'4x\\par}", "ag1bx"},
        {"control symbols", "{\\rtf1 a\\\\b\\{c\\}d\\~e\\-f\\_g\\par}",
         "a\\b{c}d\u00a0"
         "ef-g"},
        {"skipped destinations",
         "{\\rtf1{\\info{\\title Secret}{\\author Me}}{\\colortbl;\\red255\\green0\\blue0;}"
         "{\\stylesheet{\\s0 Normal;}}{\\*\\generator Writer;}{\\header Head\\par}{\\footer Foot\\par}"
         "{\\pict\\pngblip 89504e47}{\\*\\unknowndest junk{\\b more}}{\\footnote note}Body\\par}",
         "Body"},
        {"field result without its instruction",
         "{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt here}}.\\par}", "See here."},
        {"tab stops, tabs and pard",
         "{\\rtf1\\pard\\tx1400\\tx720\\tx1400 a\\tab b\\par c\\par\\pard d\\par}",
         "[720 1400]a\tb|[720 1400]c|d"},
        {"indents until pard",
         "{\\rtf1\\pard\\li284\\fi-284\\tx284 -\\tab item\\par next\\par\\pard\\fi360 "
         "plain\\par\\li-5\\fi-99999 x\\par}",
         "<284 -284>[284]-\titem|<284 -284>[284]next|<0 360>plain|<0 -31680>x"},
        {"bullet text keeps the paragraph's tab stops",
         "{\\rtf1\\pard\\tx360{\\listtext\\pard\\plain \\'b7\\tab}Item\\par}", "[360]\u00b7\tItem"},
        {"paragraph breaks", "{\\rtf1 one\\line two\r\n\\par\\par three\\page four}", "one\ntwo||three|four"},
        {"escaped line end is a paragraph", "{\\rtf1 one\\\ntwo}", "one|two"},
        {"one blank ends a control word", "{\\rtf1\\fs20 100 pieces\\b  two\\b0\\par}", "100 pieces{b: two}",
         "", 20},
        {"binary data passed over", "{\\rtf1 a{\\*\\blob\\bin4 }{\\}}b\\par}", "ab"},
        {"text after the document", "{\\rtf1 a\\par}b{\\rtf1 c}", "a"},
        {"raw tab and control bytes",
         "{\\rtf1 a\tb\x01"
         "c\\par}",
         "a\tbc"},
        {"quotes and dashes",
         "{\\rtf1\\ldblquote a\\rdblquote \\endash  b\\emdash\\lquote c\\rquote\\bullet\\par}",
         "\u201ca\u201d\u2013 b\u2014\u2018c\u2019\u2022"},
        {"font table with several fonts",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 "
         "Arial;}"
         "{\\f2\\fmodern Courier New{\\*\\falt Courier};}}\\f1\\fs20 Hello world in Arial\\par\\f2 x\\par}",
         "Hello world in Arial|x", "Arial", 20},
        {"default font", "{\\rtf1\\deff1{\\fonttbl{\\f0 Times;}{\\f1 Verdana;}}Text\\par}", "Text",
         "Verdana"},
        {"font table without groups",
         "{\\rtf1{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}\\f0\\fs28 Hi\\par}", "Hi",
         "Helvetica", 28},
        {"font of most of the text",
         "{\\rtf1{\\fonttbl{\\f0 Symbol;}{\\f1 Arial;}}{\\f0\\fs16 \\'b7}\\f1 Long text here\\par}",
         "\u00b7Long text here", "Arial"},
        {"unknown font number", "{\\rtf1\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f7 x\\par}", "x", "Tahoma"},
        {"plain returns to the default font and size",
         "{\\rtf1\\deff0{\\fonttbl{\\f0 Tahoma;}{\\f1 Arial;}}\\f1\\fs40 a\\plain bcd\\par}", "abcd",
         "Tahoma"},
        {"huge numbers", "{\\rtf1\\fs99999999999999999999 x\\u-99999999999 y\\par}", "x\ufffd", "", 3276},
        {"unclosed groups", "{\\rtf1{\\b abc", "{b:abc}"},
        {"extra closing braces", "{\\rtf1 a}}}b", "a"},
        {"trailing backslash", "{\\rtf1 a\\", "a"},
        {"truncated hex", "{\\rtf1 a\\'e", "a"},
        {"truncated unicode", "{\\rtf1 a\\u", "a"},
        {"no text", "{\\rtf1}", ""},
    };
    for (const Snippet& s : snippets) {
        const Result<RtfDocument> result = ReadRtf(s.rtf);
        ASSERT_TRUE(result) << s.name << ": " << result.error().message;
        EXPECT_EQ(Describe(result.value()), s.expected) << s.name;
        EXPECT_EQ(result.value().fontName, s.fontName) << s.name;
        EXPECT_EQ(result.value().fontHalfPoints, s.halfPoints) << s.name;
    }
}

TEST(RtfReader, RefusesTextThatIsNotRtf) {
    const std::string inputs[] = {"",
                                  "hello",
                                  "{\\rt",
                                  " {\\rtf1 a}",
                                  "\xEF\xBB\xBF{\\rtf1 a}",
                                  "{\\RTF1 a}",
                                  "<html>{\\rtf1 a}</html>",
                                  std::string("\0{\\rtf1 a}", 10)};
    for (const std::string& input : inputs) {
        const Result<RtfDocument> result = ReadRtf(input);
        ASSERT_FALSE(result) << input;
        EXPECT_EQ(result.error().message, kNotRtfText) << input;
        EXPECT_EQ(result.error().code, ErrorCode::Malformed) << input;
    }
}

TEST(RtfReader, DeepNestingKeepsShallowTextAndDropsTheRest) {
    const auto nested = [](int depth, const std::string& inner) {
        return "{\\rtf1 " + std::string(depth, '{') + inner + std::string(depth, '}') + " after\\par}";
    };

    Result<RtfDocument> result = ReadRtf(nested(500, "\\b kept"));
    ASSERT_TRUE(result);
    EXPECT_EQ(Describe(result.value()), "{b:kept} after");

    // Far beyond any real document: the groups carry no text, the document goes on after them.
    result = ReadRtf(nested(200000, "\\b lost\\par"));
    ASSERT_TRUE(result);
    EXPECT_EQ(Describe(result.value()), " after");

    result = ReadRtf("{\\rtf1 x" + std::string(300000, '{'));
    ASSERT_TRUE(result);
    EXPECT_EQ(Describe(result.value()), "x");
}

TEST(RtfReader, GarbageNeverBreaksTheReader) {
    std::mt19937 random(20260301);
    const std::string alphabet = "{}\\abcdefilnprstuxy0123456789'-*~_ ;\t\r\n\x01\xE4\xFF";
    for (int n = 0; n < 3000; ++n) {
        std::string input = n % 2 == 0 ? "{\\rtf1" : "";
        const auto length = std::uniform_int_distribution<int>(0, 400)(random);
        for (int i = 0; i < length; ++i) {
            input +=
                n % 3 == 0
                    ? static_cast<char>(random())
                    : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        }
        const Result<RtfDocument> result = ReadRtf(input);
        EXPECT_EQ(result.has_value(), input.starts_with("{\\rtf")) << n;
        if (!result)
            continue;
        const RtfDocument& document = *result;
        EXPECT_TRUE(IsValidUtf8(document.text)) << n;
        for (const unsigned char c : document.text)
            EXPECT_TRUE(c >= 32 || c == '\t' || c == '\n') << n << ": byte " << int(c);
        for (const RtfParagraph& paragraph : document.paragraphs) {
            EXPECT_LE(document.TabStops(paragraph).size(), 64u) << n;
            for (const RtfRun& run : document.Runs(paragraph))
                EXPECT_FALSE(document.Text(run).empty()) << n;
        }
    }
}

TEST(RtfReader, ReadsFilesAndNamesTheFileInErrors) {
    TempDir dir;
    const std::string good = dir.write("good.rtf", "{\\rtf1 Notes\\par}");
    const std::string text = dir.write("text.rtf", "Just text");
    const std::string folder = dir.file("folder.rtf");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir.file("fifo.rtf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const Result<RtfDocument> read = ReadRtfFile(good);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(Describe(*read), "Notes");

    const struct {
        std::string path;
        std::string reason;
        ErrorCode code;
    } failures[] = {
        {dir.file("missing.rtf"), "No such file or directory", ErrorCode::Missing},
        {text, kNotRtfText, ErrorCode::Malformed},
        {folder, "Is a directory", ErrorCode::Unreadable},
        {fifo, "Not a regular file", ErrorCode::Unreadable},
    };
    for (const auto& failure : failures) {
        const Result<RtfDocument> result = ReadRtfFile(failure.path);
        ASSERT_FALSE(result) << failure.path;
        EXPECT_EQ(result.error().message, "Cannot read \"" + failure.path + "\": " + failure.reason);
        EXPECT_EQ(result.error().code, failure.code) << failure.path;
    }
}

} // namespace

namespace {

// Release notes written as HTML (tests/core/richtext/data/release-notes.html) and turned into RTF by
// LibreOffice Writer (scripts/make-rtf-fixtures.sh): what went in must come out.
TEST(RtfReader, ReadsReleaseNotesAWordProcessorWrote) {
    const Result<RtfDocument> result =
        ReadRtfFile(std::string(KITBUILDER_SOURCE_DIR) + "/tests/core/richtext/data/release-notes.rtf");
    ASSERT_TRUE(result) << result.error().message;
    const RtfDocument& document = result.value();

    const struct {
        std::string text;
        RtfAlignment alignment;
    } paragraphs[] = {
        {"VK72 Configuration Tool 2.1", RtfAlignment::Center},
        {"Release notes \u2013 \u201cevery character kept\u201d", RtfAlignment::Center},
        {"Customer names such as Dvo\u0159\u00e1k, \u0141\u00f3d\u017a and \u5317\u4eac are kept, and prices "
         "show the "
         "\u20ac sign.",
         RtfAlignment::Left},
        {"Right aligned, 9 pt", RtfAlignment::Right},
        {"Justified text: underlined, struck through, italic and bold italic \u2014 with an em dash.",
         RtfAlignment::Justify},
        {"Indented by one inch, in a fixed-width font", RtfAlignment::Left},
        {"\u2022\tFirst point with \u2018single\u2019 quotes ", RtfAlignment::Left},
        {"\u2022\tSecond point with an emoji \U0001F600 ", RtfAlignment::Left},
        {"Line one\nline two of the same paragraph", RtfAlignment::Left},
        {"See the notes on the web for more.", RtfAlignment::Left},
        {"Green 14 pt then normal.", RtfAlignment::Left},
    };
    ASSERT_EQ(document.paragraphs.size(), std::size(paragraphs));
    for (std::size_t p = 0; p < std::size(paragraphs); ++p) {
        EXPECT_EQ(document.Text(document.paragraphs[p]), paragraphs[p].text) << p;
        EXPECT_EQ(document.Format(document.paragraphs[p]).alignment, paragraphs[p].alignment) << p;
    }
    EXPECT_EQ(document.Format(document.paragraphs[5]).leftIndentTwips, 1440);
    EXPECT_EQ(document.Format(document.paragraphs[6]).leftIndentTwips, 709);
    EXPECT_EQ(document.Format(document.paragraphs[6]).firstLineIndentTwips, -283);
    EXPECT_EQ(document.TabStops(document.paragraphs[6]), std::vector<int>{709});
    EXPECT_EQ(document.fontName, "Liberation Sans");
    EXPECT_EQ(document.fontHalfPoints, 22);

    // The run holding each piece of text, with the format it went in with.
    const auto runOf = [&](std::string_view piece) -> const RtfCharFormat* {
        for (const RtfRun& run : document.runs) {
            if (document.Text(run) == piece)
                return &document.Format(run);
        }
        return nullptr;
    };
    const struct {
        std::string text;
        bool bold, italic, underline, strike;
        int halfPoints;
        std::uint32_t color;
        std::string font;
    } runs[] = {
        {"VK72 Configuration Tool 2.1", true, false, false, false, 36, 0x1F4E79, "Liberation Sans"},
        {"Dvo\u0159\u00e1k", true, false, false, false, 22, 0x000000, "Liberation Sans"},
        {"\u20ac", false, false, false, false, 22, 0xC00000, "Liberation Sans"},
        {"Right aligned, 9 pt", false, false, false, false, 18, 0x000000, "Liberation Sans"},
        {"underlined", false, false, true, false, 22, 0x000000, "Liberation Sans"},
        {"struck through", false, false, false, true, 22, 0x000000, "Liberation Sans"},
        {"italic", false, true, false, false, 22, 0x000000, "Liberation Sans"},
        {"bold italic", true, true, false, false, 22, 0x000000, "Liberation Sans"},
        {"Indented by one inch, in a fixed-width font", false, false, false, false, 20, 0x000000,
         "Liberation Mono"},
        {"the notes on the web", false, false, true, false, 22, 0x000080, "Liberation Sans"},
        {"Green 14 pt", false, false, false, false, 28, 0x00B050, "Liberation Sans"},
    };
    for (const auto& r : runs) {
        const RtfCharFormat* format = runOf(r.text);
        ASSERT_NE(format, nullptr) << r.text;
        EXPECT_EQ(format->bold, r.bold) << r.text;
        EXPECT_EQ(format->italic, r.italic) << r.text;
        EXPECT_EQ(format->underline, r.underline) << r.text;
        EXPECT_EQ(format->strike, r.strike) << r.text;
        EXPECT_EQ(format->halfPoints, r.halfPoints) << r.text;
        EXPECT_EQ(format->color, r.color) << r.text;
        EXPECT_EQ(document.fonts[format->font].name, r.font) << r.text;
    }
}

} // namespace

namespace {

TEST(RtfReader, CodePagesColoursAndParagraphFormats) {
    const struct {
        const char* name;
        std::string rtf;
        std::string text;
    } texts[] = {
        {"document code page", "{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}", "\u0414\u0430"},
        {"font code page over the document's",
         "{\\rtf1\\ansicpg1252{\\fonttbl{\\f0\\fcharset238 Arial CE;}{\\f1 Arial;}}\\f0 Dvo\\'f8\\'e1k "
         "\\f1\\'f8}",
         "Dvo\u0159\u00e1k \u00f8"},
        {"Greek font", "{\\rtf1{\\fonttbl{\\f0\\fcharset161 Arial Greek;}}\\f0\\'e1\\'e2}", "\u03b1\u03b2"},
        {"symbol font bullet", "{\\rtf1{\\fonttbl{\\f0\\fcharset2 Symbol;}}\\f0\\'b7}", "\u2022"},
        {"unknown code page reads as Windows-1252", "{\\rtf1\\ansicpg99999 \\'80}", "\u20ac"},
        {"DOS and Macintosh character sets", "{\\rtf1\\pc \\'81{\\mac \\'8a}}", "\u00fc\u00e4"},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?!}", "\U0001F600!"},
        {"lone surrogates", "{\\rtf1 \\u-10179?x\\u-8704?y}", "\ufffdx\ufffdy"},
        {"hidden text", "{\\rtf1 a{\\v secret}b\\v c\\v0 d}", "abd"},
    };
    for (const auto& t : texts) {
        const Result<RtfDocument> result = ReadRtf(t.rtf);
        ASSERT_EQ(result.value().paragraphs.size(), 1u) << t.name;
        EXPECT_EQ(result.value().Text(result.value().paragraphs[0]), t.text) << t.name;
    }

    const Result<RtfDocument> result =
        ReadRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
                "\\pard\\qc\\sb120\\sa240\\li100\\ri200 {\\cf1 red}{\\cf2\\strike blue}"
                "{\\cf0 auto}{\\cf9 none}\\par\\qr r\\par\\pard\\qj j\\par}");
    const RtfDocument& document = result.value();
    ASSERT_EQ(document.paragraphs.size(), 3u);
    const RtfParagraphFormat& first = document.Format(document.paragraphs[0]);
    EXPECT_EQ(first.alignment, RtfAlignment::Center);
    EXPECT_EQ(first.spaceBeforeTwips, 120);
    EXPECT_EQ(first.spaceAfterTwips, 240);
    EXPECT_EQ(first.leftIndentTwips, 100);
    EXPECT_EQ(first.rightIndentTwips, 200);
    EXPECT_EQ(document.Format(document.paragraphs[1]).alignment, RtfAlignment::Right);
    EXPECT_EQ(document.Format(document.paragraphs[1]).spaceAfterTwips, 240);
    EXPECT_EQ(document.Format(document.paragraphs[2]).alignment, RtfAlignment::Justify);
    EXPECT_EQ(document.Format(document.paragraphs[2]).spaceAfterTwips, 0);
    const auto runs = document.Runs(document.paragraphs[0]);
    ASSERT_EQ(runs.size(), 3u); // "auto" and "none" share the automatic colour
    EXPECT_EQ(document.Format(runs[0]).color, 0xFF0000u);
    EXPECT_EQ(document.Format(runs[1]).color, 0x0080FFu);
    EXPECT_TRUE(document.Format(runs[1]).strike);
    EXPECT_EQ(document.Format(runs[2]).color, kRtfAutoColor);
    EXPECT_EQ(document.Text(runs[2]), "autonone");
}

TEST(RtfReader, FormatsAndTabStopsAreHeldOnce) {
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}";
    for (int n = 0; n < 500; ++n)
        rtf += "\\pard\\tx720\\tx1440\\tx2880 {\\b a}\\tab{\\f1\\fs20 b}\\tab c\\par\n";
    const RtfDocument document = ReadRtf(rtf + "}").value();
    ASSERT_EQ(document.paragraphs.size(), 500u);
    EXPECT_EQ(document.tabStopSets.size(), 2u); // the empty set and the one every paragraph shares
    EXPECT_EQ(document.paragraphFormats.size(), 1u);
    EXPECT_EQ(document.charFormats.size(), 3u);
    EXPECT_EQ(document.runs.size(), 2000u);
    EXPECT_EQ(document.Text(document.paragraphs[499]), "a\tb\tc");
}

TEST(RtfReader, ParagraphsPastTheLimitAreLeftOutWithANote) {
    std::string rtf = "{\\rtf1 ";
    for (std::size_t n = 0; n < kMaxRtfParagraphs + 25; ++n)
        rtf += "p" + std::to_string(n) + "\\par ";
    const RtfDocument document = ReadRtf(rtf + "}").value();
    ASSERT_EQ(document.paragraphs.size(), kMaxRtfParagraphs + 1);
    EXPECT_EQ(document.omittedParagraphs, 25u);
    EXPECT_EQ(document.Text(document.paragraphs[kMaxRtfParagraphs - 1]),
              "p" + std::to_string(kMaxRtfParagraphs - 1));
    const RtfParagraph& note = document.paragraphs.back();
    EXPECT_EQ(document.Text(note), "[25 more paragraphs were left out: only the first " +
                                       std::to_string(kMaxRtfParagraphs) + " are shown.]");
    EXPECT_TRUE(document.Format(document.Runs(note)[0]).italic);

    std::string full = "{\\rtf1 ";
    for (std::size_t n = 0; n < kMaxRtfParagraphs; ++n)
        full += "x\\par ";
    const RtfDocument exact = ReadRtf(full + "}").value();
    EXPECT_EQ(exact.paragraphs.size(), kMaxRtfParagraphs);
    EXPECT_EQ(exact.omittedParagraphs, 0u);
}

} // namespace
