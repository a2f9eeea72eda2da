#include "core/richtext/RtfWriter.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

using namespace kb;

namespace {

RtfTableStyle OrderListStyle() {
    RtfTableStyle style;
    style.tabStopsPoints = {70, 150, 325, 405, 480};
    return style;
}

std::vector<std::string> Paragraphs(const std::string& rtf) {
    std::vector<std::string> paragraphs;
    std::size_t start = rtf.find("\\pard");
    while (start != std::string::npos) {
        const std::size_t end = rtf.find("\\par\n", start);
        if (end == std::string::npos)
            break;
        paragraphs.push_back(rtf.substr(start, end - start));
        start = rtf.find("\\pard", end);
    }
    return paragraphs;
}

bool HasBoldOrUnderline(const std::string& paragraph) {
    for (const char* word : {"\\b ", "\\b\\", "\\ul ", "\\ul\\"})
        if (paragraph.find(word) != std::string::npos)
            return true;
    return false;
}

// Groups must close in order, and only the last byte may close the outermost one.
::testing::AssertionResult SevenBitAndBalanced(const std::string& rtf) {
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const auto byte = static_cast<unsigned char>(rtf[i]);
        if (byte >= 128)
            return ::testing::AssertionFailure() << "byte " << int(byte) << " at " << i;
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth == 0 && i + 1 != rtf.size())
            return ::testing::AssertionFailure() << "document group closed at " << i;
        if (depth < 0)
            return ::testing::AssertionFailure() << "unbalanced '}' at " << i;
    }
    if (depth != 0)
        return ::testing::AssertionFailure() << depth << " groups left open";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(RtfWriter, EscapesText) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"Order Number 1,5 (EUR)", "Order Number 1,5 (EUR)"},
        {"", ""},
        {"C:\\path", "C:\\\\path"},
        {"{braces}", "\\{braces\\}"},
        {"a\tb", "a\\tab b"},
        {"K\xe4se", "K\\'e4se"},
        {"\x80\xff\xa0", "\\'80\\'ff\\'a0"},
        {"line\r\nbreak\n", "linebreak"},
        {"\x01\x1b[\x1f\x7f!", "[!"},
        {std::string("a\0b", 3), "ab"},
        {"\\'e4", "\\\\'e4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RtfEscape(c.text), c.expected) << c.text;
}

TEST(RtfWriter, WritesHeaderTabStopsAndHeading) {
    const std::vector<std::vector<std::string>> rows = {
        {"Order Number", "Type", "Description", "", "Pos."},
        {"100", "T1", "Housing", "", ""},
        {"", "", "", "", ""},
    };
    const std::string rtf = WriteRtfTable(rows, OrderListStyle());

    EXPECT_EQ(
        rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial Narrow;}}", 0),
        0u)
        << rtf;
    EXPECT_NE(rtf.find("\\viewkind4\\uc1"), std::string::npos);
    EXPECT_TRUE(SevenBitAndBalanced(rtf));

    const auto paragraphs = Paragraphs(rtf);
    ASSERT_EQ(paragraphs.size(), rows.size()) << rtf;
    for (const std::string& paragraph : paragraphs) {
        EXPECT_NE(paragraph.find("\\tx1400\\tx3000\\tx6500\\tx8100\\tx9600"), std::string::npos) << paragraph;
        EXPECT_NE(paragraph.find("\\f0\\fs20"), std::string::npos) << paragraph;
    }
    EXPECT_NE(paragraphs[0].find(
                  "\\b\\ul Order Number\\tab Type\\tab Description\\tab \\tab Pos.\\tab \\b0\\ulnone"),
              std::string::npos)
        << paragraphs[0];
    EXPECT_FALSE(HasBoldOrUnderline(paragraphs[1])) << paragraphs[1];
    EXPECT_FALSE(HasBoldOrUnderline(paragraphs[2])) << paragraphs[2];
    EXPECT_NE(paragraphs[2].find(" \\tab \\tab \\tab \\tab \\tab "), std::string::npos) << paragraphs[2];

    RtfTableStyle plain = OrderListStyle();
    plain.headingBoldUnderlined = false;
    plain.fontName = "Liberation {Sans}; Narrow";
    plain.fontCharset = 238;
    plain.fontHalfPoints = 17;
    const std::string plainRtf = WriteRtfTable(rows, plain);
    EXPECT_FALSE(HasBoldOrUnderline(plainRtf)) << plainRtf;
    EXPECT_NE(plainRtf.find("{\\f0\\fswiss\\fcharset238 Liberation \\{Sans\\} Narrow;}"), std::string::npos)
        << plainRtf;
    EXPECT_NE(plainRtf.find("\\f0\\fs17"), std::string::npos);
    EXPECT_TRUE(SevenBitAndBalanced(plainRtf));
}

TEST(RtfWriter, OutputIsSevenBitAndBalancedForAnyBytes) {
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    const auto randomText = [&] {
        std::string text(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : text)
            c = static_cast<char>(byte(random));
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        RtfTableStyle style = OrderListStyle();
        style.fontName = randomText();
        std::vector<std::vector<std::string>> rows(4);
        for (auto& row : rows)
            for (int cell = 0; cell < 5; ++cell)
                row.push_back(randomText());
        const std::string rtf = WriteRtfTable(rows, style);
        ASSERT_TRUE(SevenBitAndBalanced(rtf)) << rtf;
        ASSERT_EQ(Paragraphs(rtf).size(), rows.size()) << rtf;
    }
}

namespace {

// The body text of unrtf's HTML, with the bold and underline state that the <b> and <u>
// tags give each of its bytes.
struct HtmlText {
    std::string text;
    std::vector<bool> bold;
    std::vector<bool> underline;
};

HtmlText ReadHtmlBody(const std::string& html) {
    HtmlText body;
    int bold = 0;
    int underline = 0;
    for (std::size_t i = html.find("<body"); i < html.size();) {
        const char delimiter = html[i] == '<' ? '>' : html[i] == '&' ? ';' : '\0';
        const std::size_t end = delimiter ? html.find(delimiter, i) : i;
        if (end == std::string::npos)
            break;
        const std::string token = html.substr(i, end - i + 1);
        i = end + 1;
        if (delimiter == '>') {
            bold += token == "<b>" ? 1 : token == "</b>" ? -1 : 0;
            underline += token == "<u>" ? 1 : token == "</u>" ? -1 : 0;
            continue;
        }
        const std::string text = token == "&nbsp;"                        ? " "
                                 : token == "&auml;" || token == "&#228;" ? "\xc3\xa4"
                                 : token == "&amp;"                       ? "&"
                                 : token == "&lt;"                        ? "<"
                                 : token == "&gt;"                        ? ">"
                                 : token == "\n"                          ? ""
                                                                          : token;
        body.text += text;
        body.bold.insert(body.bold.end(), text.size(), bold > 0);
        body.underline.insert(body.underline.end(), text.size(), underline > 0);
    }
    return body;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

} // namespace

TEST(RtfWriter, UnrtfReadsCellsHeadingAndFont) {
    const std::string unrtf = "/usr/bin/unrtf";
    ASSERT_TRUE(std::filesystem::exists(unrtf))
        << unrtf << " is missing: install the Debian package unrtf to run this test";

    const std::vector<std::vector<std::string>> rows = {
        {"Order Number", "Type", "Description", "Price EN (EUR)", "Pos."},
        {"99999-100", "K\xe4se-2", "Stainless {housing} \\ IP69K", "1234,5", "X1"},
        {"", "", "", "", ""},
        {"", "ID-Code:", "VK72-0000x-0000x-00000-00000-00x", "", ""},
    };
    const std::vector<std::vector<std::string>> expectedRows = {
        rows[0],
        {"99999-100", "K\xc3\xa4se-2", "Stainless {housing} \\ IP69K", "1234,5", "X1"},
        rows[3],
    };

    TempDir dir;
    const std::string path = dir.write("order.rtf", WriteRtfTable(rows, OrderListStyle()));
    const std::string html = RunCommand("'" + unrtf + "' --html '" + path + "' 2>/dev/null");
    ASSERT_NE(html.find("<body"), std::string::npos) << html;
    EXPECT_NE(html.find("Arial Narrow"), std::string::npos) << html;

    const HtmlText body = ReadHtmlBody(html);
    std::size_t pos = 0;
    for (std::size_t row = 0; row < expectedRows.size(); ++row) {
        for (const std::string& cell : expectedRows[row]) {
            pos = body.text.find(cell, pos);
            ASSERT_NE(pos, std::string::npos) << "\"" << cell << "\" not found in order in:\n" << body.text;
            for (std::size_t k = pos; k < pos + cell.size(); ++k) {
                ASSERT_EQ(body.bold[k], row == 0) << "bold of \"" << cell << "\"";
                ASSERT_EQ(body.underline[k], row == 0) << "underline of \"" << cell << "\"";
            }
            pos += cell.size();
        }
    }
}
