#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kb {

// Decimal numbers as the price file writes them, with the decimal separator that the
// price file names. Independent of the C locale.
namespace numbers {

// Optional blanks, optional sign, digits, at most one separator followed by digits,
// optional exponent, optional blanks. No thousands separators. Empty text is not a number.
std::optional<double> ParseDecimal(std::string_view text, char separator);

// Whole decimal number with optional sign and blanks around it, as an integer.
std::optional<long long> ParseWhole(std::string_view text);

// An integer as profile values and command-line arguments give it, with blanks around it:
// a whole decimal number in the range of int, or 0x (or 0X) and hexadecimal digits up to
// 0x7FFFFFFF. Files written by earlier versions rely on exactly these forms.
std::optional<int> ParseInteger(std::string_view text);

// General format: at most 15 significant digits, no thousands separator, no trailing
// zeros, the separator only when there is a fraction (1200, 1234,5, 0,3).
std::string FormatGeneral(double value, char separator);

} // namespace numbers

} // namespace kb
