// Input: style bytes, then cells separated by 0x1F and rows by 0x1E. The document must
// be 7-bit, its groups balanced, every escape complete, and the text of every cell (UTF-8,
// stray bytes as Windows-1252) must come back out of it in order.
#include "core/platform/TextCodec.h"
#include "core/richtext/RtfWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kb;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_rtf: %s\n", what);
        std::abort();
    }
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}

// Reads the document's body text as an RTF reader would: escaped symbols and \'hh bytes
// are text, \tab a tab, \par a line end, other control words nothing. The font table is
// a group of its own and is skipped.
std::string BodyText(const std::string& rtf) {
    std::string text;
    int depth = 0;
    int skipDepth = 0; // inside the font table when non-zero
    char32_t highSurrogate = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        Require(static_cast<unsigned char>(c) < 128, "a byte above 127");
        if (c == '{') {
            ++depth;
            continue;
        }
        if (c == '}') {
            Require(depth > 0, "a closing brace without its group");
            if (depth == skipDepth)
                skipDepth = 0;
            --depth;
            continue;
        }
        Require(depth > 0, "text outside the document's group");
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            if (skipDepth == 0)
                text += c;
            continue;
        }
        Require(i + 1 < rtf.size(), "a backslash at the end");
        const char next = rtf[++i];
        if (next == '\\' || next == '{' || next == '}') {
            if (skipDepth == 0)
                text += next;
        } else if (next == '\'') {
            Require(i + 2 < rtf.size() && IsHex(rtf[i + 1]) && IsHex(rtf[i + 2]), "an incomplete \\' escape");
            if (skipDepth == 0)
                AppendUtf8(text, Cp1252CodePoint(static_cast<unsigned char>(HexValue(rtf[i + 1]) * 16 +
                                                                            HexValue(rtf[i + 2]))));
            i += 2;
        } else {
            Require(IsLetter(next), "an unknown control symbol");
            std::size_t end = i;
            while (end < rtf.size() && IsLetter(rtf[end]))
                ++end;
            const std::string word = rtf.substr(i, end - i);
            const std::size_t number = end;
            if (end < rtf.size() && rtf[end] == '-')
                ++end;
            while (end < rtf.size() && IsDigit(rtf[end]))
                ++end;
            if (word == "u") {
                // \uN? in 16-bit units, a character beyond them as a surrogate pair; "?" stands in.
                Require(end > number && end < rtf.size() && rtf[end] == '?',
                        "\\u without its number and \"?\"");
                const int value = std::stoi(rtf.substr(number, end - number));
                Require(value >= -32768 && value <= 32767, "\\u out of range");
                const char32_t unit = static_cast<char32_t>(value < 0 ? value + 65536 : value);
                if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    Require(highSurrogate != 0, "a low surrogate alone");
                    if (skipDepth == 0)
                        AppendUtf8(text, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
                    highSurrogate = 0;
                } else {
                    Require(highSurrogate == 0, "a high surrogate alone");
                    if (unit >= 0xD800 && unit <= 0xDBFF)
                        highSurrogate = unit;
                    else if (skipDepth == 0)
                        AppendUtf8(text, unit);
                }
                i = end;
                continue;
            }
            Require(highSurrogate == 0, "a high surrogate alone");
            // A blank ends a control word and belongs to it.
            i = (end < rtf.size() && rtf[end] == ' ') ? end : end - 1;
            if (word == "fonttbl")
                skipDepth = depth;
            else if (skipDepth == 0 && word == "tab")
                text += '\t';
            else if (skipDepth == 0 && word == "par")
                text += '\n';
        }
    }
    Require(depth == 0, "unbalanced braces");
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    RtfTableStyle style;
    std::size_t pos = 0;
    if (size >= 3) {
        style.headingBoldUnderlined = data[0] & 1;
        style.fontCharset = data[0] >> 1;
        style.fontHalfPoints = data[1];
        for (int i = 0; i < (data[2] & 7); ++i)
            style.tabStopsPoints.push_back(100 * i + data[2]);
        pos = 3;
        // The font name runs to the first row separator.
        const std::size_t end = input.find('\x1e', pos);
        if (end != std::string::npos) {
            style.fontName = input.substr(pos, end - pos);
            pos = end + 1;
        }
    }

    std::vector<std::vector<std::string>> rows;
    std::string expected;
    if (pos < size) {
        rows.emplace_back(1);
        for (std::size_t i = pos; i < size; ++i) {
            if (input[i] == '\x1e')
                rows.emplace_back(1);
            else if (input[i] == '\x1f')
                rows.back().emplace_back();
            else
                rows.back().back() += input[i];
        }
    }
    for (const auto& row : rows) {
        for (const std::string& cell : row) {
            // Cells are UTF-8, stray bytes Windows-1252; control characters are dropped.
            for (const char32_t c : ToCodePoints(cell)) {
                if (c == '\t' || (c >= 32 && (c < 127 || c > 0x9F)))
                    AppendUtf8(expected, c);
            }
            expected += '\t';
        }
        expected += '\n';
    }

    const std::string rtf = WriteRtfTable(rows, style);
    Require(rtf.starts_with("{\\rtf1"), "no RTF header");
    Require(BodyText(rtf) == expected, "the cells do not read back");
    return 0;
}
