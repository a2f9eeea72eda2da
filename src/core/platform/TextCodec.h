#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kb {

// The program's one rule for text: inside the core every text is UTF-8.
//
// Our files hold values written by 8-bit programs (Windows-1252) and by this one (UTF-8),
// so each value is decoded on its own: bytes that are valid UTF-8 are taken as UTF-8,
// anything else as Windows-1252. No byte sequence is an error or turns into "?".
// Written back, a value that Windows-1252 can hold is written in it, so 8-bit peers keep
// reading it; any other value is written as UTF-8.

bool IsValidUtf8(std::string_view bytes);

// A file value (or any 8-bit text) as UTF-8.
std::string DecodeText(std::string_view bytes);

// A UTF-8 value as the bytes a file gets. The result always decodes back to the value.
std::string EncodeForFile(std::string_view utf8);

// A whole file that starts with a UTF-16 byte order mark, as 8-bit lines written by the
// rule above; any other data is returned unchanged.
std::string FileTextFromUtf16(std::string data);

// Code points of UTF-8 text; invalid bytes are taken as Windows-1252, one each.
std::u32string ToCodePoints(std::string_view utf8);
void AppendUtf8(std::string& out, char32_t codePoint);

// The Windows-1252 byte of a code point, or -1 when the code page has none.
int Cp1252Byte(char32_t codePoint);
char32_t Cp1252CodePoint(unsigned char byte);

std::size_t CharacterCount(std::string_view utf8);
// The text up to its maxCharacters-th character, never splitting one.
std::string_view CutToCharacters(std::string_view utf8, std::size_t maxCharacters);

} // namespace kb
