#include "core/platform/Numbers.h"

#include "core/platform/Text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kb {

namespace numbers {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t CountDigits(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - pos;
}

// Decimal order of magnitude of a number that std::from_chars found out of range, to tell
// overflow (a positive order) from underflow (a negative one). The exponent saturates, so
// absurdly long exponents cannot overflow the arithmetic.
long long OrderOfMagnitude(std::string_view integerDigits, std::string_view fractionDigits,
                           bool negativeExponent, std::string_view exponentDigits) {
    constexpr long long limit = 1'000'000'000;
    long long exponent = 0;
    for (char c : exponentDigits) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > limit) {
            exponent = limit;
            break;
        }
    }
    if (negativeExponent)
        exponent = -exponent;

    const auto firstInteger = integerDigits.find_first_not_of('0');
    if (firstInteger != std::string_view::npos)
        return static_cast<long long>(integerDigits.size() - firstInteger) - 1 + exponent;
    const auto firstFraction = fractionDigits.find_first_not_of('0');
    return -static_cast<long long>(firstFraction) - 1 + exponent;
}

} // namespace

std::optional<double> ParseDecimal(std::string_view text, char separator) {
    text = kb::text::Trim(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    const std::string_view integerDigits = text.substr(pos, CountDigits(text, pos));
    pos += integerDigits.size();

    std::string_view fractionDigits;
    if (pos < text.size() && text[pos] == separator) {
        ++pos;
        fractionDigits = text.substr(pos, CountDigits(text, pos));
        if (fractionDigits.empty())
            return std::nullopt;
        pos += fractionDigits.size();
    }
    if (integerDigits.empty() && fractionDigits.empty())
        return std::nullopt;

    bool negativeExponent = false;
    std::string_view exponentDigits;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negativeExponent = text[pos] == '-';
            ++pos;
        }
        exponentDigits = text.substr(pos, CountDigits(text, pos));
        if (exponentDigits.empty())
            return std::nullopt;
        pos += exponentDigits.size();
    }
    if (pos != text.size())
        return std::nullopt;

    // from_chars knows only '.', and no leading '+'.
    std::string normalised;
    normalised.reserve(text.size() + 2);
    if (negative)
        normalised += '-';
    normalised += integerDigits;
    if (!fractionDigits.empty()) {
        normalised += '.';
        normalised += fractionDigits;
    }
    if (!exponentDigits.empty()) {
        normalised += 'e';
        if (negativeExponent)
            normalised += '-';
        normalised += exponentDigits;
    }

    double value = 0.0;
    const char* begin = normalised.data();
    const char* end = begin + normalised.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // A number too small for a double is still a number: it becomes zero.
        if (OrderOfMagnitude(integerDigits, fractionDigits, negativeExponent, exponentDigits) < 0)
            return negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> ParseWhole(std::string_view text) {
    text = kb::text::Trim(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digits = CountDigits(text, pos);
    if (digits == 0 || pos + digits != text.size())
        return std::nullopt;

    // The sign stays with the digits so that the most negative value converts too.
    std::string normalised;
    if (negative)
        normalised += '-';
    normalised += text.substr(pos);
    long long value = 0;
    const char* begin = normalised.data();
    const char* end = begin + normalised.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<int> ParseInteger(std::string_view text) {
    const std::string_view trimmed = kb::text::Trim(text);
    if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
        const std::string_view digits = trimmed.substr(2);
        int value = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        // from_chars would take a sign after the prefix; the digits alone are the number.
        if (ec != std::errc() || ptr != digits.data() + digits.size() || digits.front() == '-')
            return std::nullopt;
        return value;
    }
    const std::optional<long long> whole = ParseWhole(trimmed);
    if (!whole || *whole < std::numeric_limits<int>::min() || *whole > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*whole);
}

std::string FormatGeneral(double value, char separator) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";
    // The largest doubles round up past the range at 15 digits, and that text would not
    // read back; they are cut to the largest 15-digit number that fits instead.
    constexpr double kLargest15Digits = 1.79769313486231e308;
    if (std::fabs(value) > kLargest15Digits)
        value = std::copysign(kLargest15Digits, value);

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    const std::string_view plain(buffer, static_cast<std::size_t>(result.ptr - buffer));

    std::string text;
    const auto e = plain.find('e');
    for (char c : plain.substr(0, e))
        text += c == '.' ? separator : c;
    if (e != std::string_view::npos) {
        text += 'E';
        std::string_view exponent = plain.substr(e + 1);
        if (exponent.front() == '-')
            text += '-';
        if (exponent.front() == '-' || exponent.front() == '+')
            exponent.remove_prefix(1);
        while (exponent.size() > 1 && exponent.front() == '0')
            exponent.remove_prefix(1);
        text += exponent;
    }
    return text;
}

} // namespace numbers

} // namespace kb
