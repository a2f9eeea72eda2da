#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/Result.h"

namespace kb {

// A rich-text document as far as the program shows and prints it. Its memory is a small
// constant times the RTF it came from: the text of all runs lies in one string, and
// formats and tab-stop sets are held once however many runs or paragraphs use them.

inline constexpr std::uint32_t kRtfAutoColor = 0xFFFFFFFF;

struct RtfFont {
    std::string name;
    std::string family; // "roman", "swiss", "modern", "script", "decor", "tech" or "" (\fnil)
    int charset = 0;    // \fcharset
};

struct RtfCharFormat {
    std::uint32_t font = 0; // index into RtfDocument::fonts
    int halfPoints = 24;
    std::uint32_t color = kRtfAutoColor; // 0xRRGGBB
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool operator==(const RtfCharFormat&) const = default;
};

enum class RtfAlignment : std::uint8_t { Left, Center, Right, Justify };

struct RtfParagraphFormat {
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndentTwips = 0;
    int rightIndentTwips = 0;
    int firstLineIndentTwips = 0; // from the left indent; negative for a hanging first line
    int spaceBeforeTwips = 0;
    int spaceAfterTwips = 0;
    std::uint32_t tabStops = 0; // index into RtfDocument::tabStopSets; 0 is the empty set
    bool operator==(const RtfParagraphFormat&) const = default;
};

// Characters [begin, end) of RtfDocument::text in one format.
struct RtfRun {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    std::uint32_t format = 0; // index into RtfDocument::charFormats
};

struct RtfParagraph {
    std::uint32_t firstRun = 0;
    std::uint32_t runCount = 0;
    std::uint32_t format = 0; // index into RtfDocument::paragraphFormats
};

struct RtfDocument {
    // UTF-8; a tab stands as '\t', a line break inside a paragraph as '\n'.
    std::string text;
    std::vector<RtfRun> runs;
    std::vector<RtfParagraph> paragraphs;
    std::vector<RtfCharFormat> charFormats;
    std::vector<RtfParagraphFormat> paragraphFormats;
    std::vector<std::vector<int>> tabStopSets; // left tab stops from the left edge, ascending
    std::vector<RtfFont> fonts;                // fonts[0] stands for a font the table does not name

    std::string fontName;    // the font of the text (the one most of the text is set in)
    int fontHalfPoints = 24; // font size of that text
    // Paragraphs past the limit that were left out; a last paragraph then says so.
    std::size_t omittedParagraphs = 0;

    std::string_view Text(const RtfRun& run) const;
    std::span<const RtfRun> Runs(const RtfParagraph& paragraph) const;
    const RtfCharFormat& Format(const RtfRun& run) const { return charFormats[run.format]; }
    const RtfParagraphFormat& Format(const RtfParagraph& paragraph) const;
    const std::vector<int>& TabStops(const RtfParagraph& paragraph) const;
    const RtfFont& Font(const RtfRun& run) const { return fonts[Format(run).font]; }
    std::string Text(const RtfParagraph& paragraph) const;
};

// More paragraphs than any real order list or release notes hold; the rest is left out.
inline constexpr std::size_t kMaxRtfParagraphs = 20000;

// Reads RTF as written by this program and by common word processors: groups, paragraphs,
// line breaks, tabs, tab stops, indents, spacing and alignment, bold, italic, underline
// and strike-through, font table, sizes and colours, list text, field results, \'hh in the
// document's or the font's code page and \u escapes; destinations it does not show
// (pictures, objects, styles, information, unknown \* groups) are skipped. Text that is not
// RTF is an error (Malformed); a damaged document is read as far as it goes. Time is linear
// in the input.
Result<RtfDocument> ReadRtf(std::string_view rtf);

inline constexpr const char* kNotRtfText = "not a rich text (RTF) document";

// Reads an RTF file whole. A file that cannot be read or is not RTF is an error that names it,
// with the code of ReadWholeFile or Malformed.
Result<RtfDocument> ReadRtfFile(const std::string& path);

// Release notes as a file holds them: RTF is read as RTF, an empty file is an empty
// document, any other text a plain-text document (one paragraph a line, decoded by the
// program's text rule). A file that cannot be read is an error that names it, with the code
// of ReadWholeFile.
Result<RtfDocument> ReadRichOrPlainTextFile(const std::string& path);

} // namespace kb
