#pragma once

#include <string>
#include <string_view>

namespace text {

// Names of sections, keys, files and languages compare without regard to ASCII case.
bool EqualNoCase(std::string_view a, std::string_view b);
// Without the blanks (spaces and tabs) at either end.
std::string_view Trim(std::string_view s);
// Capitals as the ID code takes them: ASCII and the Latin-1 letters whose capital is still
// one Latin-1 character ("ÿ", "ß" and "µ" stay).
std::string UpperCode(std::string_view s);

} // namespace text
