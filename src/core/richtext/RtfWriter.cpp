#include "RtfWriter.h"

#include "core/platform/TextCodec.h"

namespace kb {

namespace {

// One UTF-16 unit as \uN with "?" for readers that do not know \u (\uc1); RTF takes N as a
// signed 16-bit number.
void AppendUnicodeUnit(std::string& out, char32_t unit) {
    const int value = unit > 32767 ? static_cast<int>(unit) - 65536 : static_cast<int>(unit);
    out += "\\u" + std::to_string(value) + '?';
}

} // namespace

std::string RtfEscape(const std::string& text) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char32_t c : ToCodePoints(text)) {
        const int byte = Cp1252Byte(c);
        if (c == '\\' || c == '{' || c == '}') {
            escaped += '\\';
            escaped += static_cast<char>(c);
        } else if (c == '\t') {
            escaped += "\\tab ";
        } else if (c < 32 || (c >= 127 && c <= 0x9F)) {
            // Control characters show nothing.
        } else if (byte >= 128) {
            escaped += "\\'";
            escaped += hexDigits[byte >> 4];
            escaped += hexDigits[byte & 0x0f];
        } else if (byte >= 0) {
            escaped += static_cast<char>(byte);
        } else if (c > 0xFFFF) {
            AppendUnicodeUnit(escaped, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnicodeUnit(escaped, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUnicodeUnit(escaped, c);
        }
    }
    return escaped;
}

std::string WriteRtfTable(const std::vector<std::vector<std::string>>& rows, const RtfTableStyle& style) {
    // A semicolon ends the font name in the font table, so it cannot be part of it.
    std::string fontName = RtfEscape(style.fontName);
    std::erase(fontName, ';');

    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset" +
                      std::to_string(style.fontCharset) + " " + fontName + ";}}\n\\viewkind4\\uc1\n";

    std::string paragraphStart = "\\pard";
    for (const int stop : style.tabStopsPoints)
        paragraphStart += "\\tx" + std::to_string(stop * 20);
    // The blank ends the size control word, so a cell that starts with a digit stays text.
    paragraphStart += "\\f0\\fs" + std::to_string(style.fontHalfPoints) + " ";

    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool heading = i == 0 && style.headingBoldUnderlined;
        rtf += paragraphStart;
        if (heading)
            rtf += "\\b\\ul ";
        for (const std::string& cell : rows[i]) {
            rtf += RtfEscape(cell);
            rtf += "\\tab ";
        }
        if (heading)
            rtf += "\\b0\\ulnone";
        rtf += "\\par\n";
    }
    rtf += "}";
    return rtf;
}

} // namespace kb
