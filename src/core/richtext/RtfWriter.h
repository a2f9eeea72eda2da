#pragma once

#include <string>
#include <vector>

namespace kb {

// Writes a table of text rows as an RTF document: one paragraph per row, every cell
// followed by a tab, left tab stops at the given positions. The first paragraph can be
// bold and underlined. Texts are UTF-8; a character of Windows-1252 is written as \'hh
// (\ansicpg1252), any other as \uN, so the output is 7-bit.
struct RtfTableStyle {
    std::string fontName = "Arial Narrow";
    int fontCharset = 0;             // ANSI
    int fontHalfPoints = 20;         // 10 pt
    std::vector<int> tabStopsPoints; // from the left edge
    bool headingBoldUnderlined = true;
};

std::string WriteRtfTable(const std::vector<std::vector<std::string>>& rows, const RtfTableStyle& style);

// Escapes one UTF-8 text run for RTF: \, { and } escaped, tabs as \tab, Windows-1252
// characters above 127 as \'hh, others as \uN? (two for a character beyond 16 bits),
// control characters dropped.
std::string RtfEscape(const std::string& text);

} // namespace kb
