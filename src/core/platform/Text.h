#pragma once

#include <string>
#include <string_view>

namespace kb {

namespace text {

// Names of sections, keys, files and languages compare without regard to ASCII case.
bool EqualNoCase(std::string_view a, std::string_view b);
// Without the blanks (spaces and tabs) at either end.
std::string_view Trim(std::string_view s);

} // namespace text

} // namespace kb
