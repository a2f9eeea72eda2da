#include "core/platform/TextCodec.h"

#include <array>

namespace kb {

namespace {

// 0x80-0x9F of Windows-1252. The five bytes the code page leaves free map to the control
// characters of the same number, as Windows itself converts them, so they round-trip.
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Reads one well-formed UTF-8 sequence at pos (no overlong forms, no surrogates, nothing
// above U+10FFFF). Returns its length, or 0 when the bytes there are not one.
std::size_t Utf8Sequence(std::string_view s, std::size_t pos, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - pos < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        char32_t codePoint;
        const std::size_t length = Utf8Sequence(bytes, pos, codePoint);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

char32_t Cp1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte;
}

int Cp1252Byte(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        codePoint = 0xFFFD;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string DecodeText(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes)
        AppendUtf8(text, Cp1252CodePoint(static_cast<unsigned char>(c)));
    return text;
}

std::string EncodeForFile(std::string_view utf8) {
    if (!IsValidUtf8(utf8))
        return std::string(utf8);
    std::string bytes;
    bytes.reserve(utf8.size());
    bool eightBit = false;
    for (const char32_t codePoint : ToCodePoints(utf8)) {
        const int byte = Cp1252Byte(codePoint);
        if (byte < 0)
            return std::string(utf8);
        eightBit |= byte >= 0x80;
        bytes += static_cast<char>(byte);
    }
    // Some 8-bit texts ("Ã¼") happen to be valid UTF-8 and would read back as something
    // else ("ü"); those are written as UTF-8, which reads back exactly.
    if (eightBit && IsValidUtf8(bytes))
        return std::string(utf8);
    return bytes;
}

std::u32string ToCodePoints(std::string_view utf8) {
    std::u32string codePoints;
    codePoints.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t codePoint;
        const std::size_t length = Utf8Sequence(utf8, pos, codePoint);
        if (length == 0) {
            codePoints += Cp1252CodePoint(static_cast<unsigned char>(utf8[pos++]));
        } else {
            codePoints += codePoint;
            pos += length;
        }
    }
    return codePoints;
}

std::string FileTextFromUtf16(std::string data) {
    const bool littleEndian = data.starts_with("\xFF\xFE");
    if (!littleEndian && !data.starts_with("\xFE\xFF"))
        return data;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(data[i]);
        const auto b = static_cast<unsigned char>(data[i + 1]);
        return littleEndian ? a | (b << 8) : (a << 8) | b;
    };
    std::string text;
    std::string line;
    const auto endLine = [&] {
        text += EncodeForFile(line);
        line.clear();
    };
    for (std::size_t i = 2; i + 1 < data.size(); i += 2) {
        char32_t codePoint = unit(i);
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 3 < data.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (codePoint == '\n' || codePoint == '\r') {
            endLine();
            text += static_cast<char>(codePoint);
        } else {
            AppendUtf8(line, codePoint);
        }
    }
    endLine();
    return text;
}

std::size_t CharacterCount(std::string_view utf8) {
    return ToCodePoints(utf8).size();
}

std::string_view CutToCharacters(std::string_view utf8, std::size_t maxCharacters) {
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < utf8.size() && count < maxCharacters; ++count) {
        char32_t codePoint;
        const std::size_t length = Utf8Sequence(utf8, pos, codePoint);
        pos += length == 0 ? 1 : length;
    }
    return utf8.substr(0, pos);
}

} // namespace kb
