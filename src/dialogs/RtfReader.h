#pragma once

#include <string>
#include <string_view>
#include <vector>

// A rich-text document as far as the program shows and prints it: paragraphs of text
// runs with bold and underline, tab characters, left tab stops and indents, one font.
struct RtfRun {
    std::string text; // 8-bit text (Latin-1); a tab stands as '\t'
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

struct RtfParagraph {
    std::vector<RtfRun> runs;
    std::vector<int> tabStopsTwips; // left tab stops from the left edge
    int leftIndentTwips = 0;
    int firstLineIndentTwips = 0; // from the left indent; negative for a hanging first line
};

struct RtfDocument {
    std::string fontName;    // the font of the text (the one most of the text is set in)
    int fontHalfPoints = 24; // font size of that text
    std::vector<RtfParagraph> paragraphs;
};

struct RtfReadResult {
    bool ok = false;
    std::string error;
    RtfDocument document;
};

// Reads RTF as written by this program and by common word processors: groups, paragraphs,
// tabs, tab stops and indents, bold, italic and underline, font table and size, \'hh and \u escapes;
// destinations it does not show (pictures, styles, information) are skipped. Text that is
// not RTF is an error; a damaged document is read as far as it goes.
RtfReadResult ReadRtf(std::string_view rtf);

inline constexpr const char* kNotRtfText = "not a rich text (RTF) document";

// Reads an RTF file whole. A file that cannot be read or is not RTF is an error that names it.
RtfReadResult ReadRtfFile(const std::string& path);
