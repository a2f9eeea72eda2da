// Input: a separator choice byte, then number text. A parsed number must survive
// formatting and parsing again to 15 significant digits, agree with the C library's
// reading of the same text, and whole numbers must round-trip exactly.
#include "core/platform/Numbers.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kb;

namespace {

void Require(bool condition, const char* what, const std::string& text) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_numbers: %s: \"%s\"\n", what, text.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char separator = (data[0] & 1) ? '.' : ',';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    if (const auto value = numbers::ParseDecimal(text, separator)) {
        Require(std::isfinite(*value), "a parsed number is not finite", text);
        const std::string formatted = numbers::FormatGeneral(*value, separator);
        const auto again = numbers::ParseDecimal(formatted, separator);
        Require(again.has_value(), "formatted text does not parse", formatted);
        Require(std::fabs(*again - *value) <= std::fabs(*value) * 1e-14, "the value changed past 15 digits",
                formatted);
        Require(numbers::FormatGeneral(*again, separator) == formatted, "formatting is not stable",
                formatted);

        // Both read the text to the nearest double; strtod wants the point and no blanks
        // (it skips leading ones itself but stops at trailing ones).
        std::string c = text;
        for (char& ch : c)
            if (ch == separator)
                ch = '.';
        while (!c.empty() && (c.back() == ' ' || c.back() == '\t'))
            c.pop_back();
        errno = 0;
        char* end = nullptr;
        const double reference = std::strtod(c.c_str(), &end);
        Require(end == c.c_str() + c.size(), "strtod stops early on accepted text", text);
        if (errno == 0 && std::fabs(reference) >= DBL_MIN)
            Require(*value == reference, "the value differs from strtod's", text);
    }

    if (const auto whole = numbers::ParseWhole(text)) {
        const auto again = numbers::ParseWhole(std::to_string(*whole));
        Require(again && *again == *whole, "a whole number does not round-trip", text);
    }
    return 0;
}
