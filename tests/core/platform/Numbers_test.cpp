#include "core/platform/Numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

using namespace kb;

using numbers::FormatGeneral;
using numbers::ParseDecimal;
using numbers::ParseInteger;
using numbers::ParseWhole;

TEST(Numbers, ParseDecimalAcceptsTheGrammar) {
    struct Case {
        const char* text;
        char separator;
        double expected;
    };
    const Case cases[] = {
        {"0", ',', 0.0},
        {"12", ',', 12.0},
        {"12,5", ',', 12.5},
        {",5", ',', 0.5},
        {"0,1", ',', 0.1},
        {"-3,25", ',', -3.25},
        {"+7", ',', 7.0},
        {"007", ',', 7.0},
        {"  42  ", ',', 42.0},
        {"\t1,5\t", ',', 1.5},
        {"1E3", ',', 1000.0},
        {"1,5e-2", ',', 0.015},
        {"2e+2", ',', 200.0},
        {",25E1", ',', 2.5},
        {"-1,5E-3 ", ',', -0.0015},
        {"123456789012345678901234567890", ',', 1.2345678901234568e29},
        {"0,000000000000000000000000000001", ',', 1e-30},
        {"1e-400", ',', 0.0},
        {"0e99999", ',', 0.0},
        {"12.5", '.', 12.5},
        {".5", '.', 0.5},
        {"-1.5E3", '.', -1500.0},
        {" +0.25 ", '.', 0.25},
    };
    for (const Case& c : cases) {
        const auto value = ParseDecimal(c.text, c.separator);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << "\" with '" << c.separator << "'";
        EXPECT_DOUBLE_EQ(*value, c.expected) << '"' << c.text << "\" with '" << c.separator << "'";
    }
    EXPECT_TRUE(std::signbit(*ParseDecimal("-0", ',')));
    EXPECT_TRUE(std::signbit(*ParseDecimal("-1e-999", ',')));
}

TEST(Numbers, ParseDecimalRejectsEverythingElse) {
    struct Case {
        const char* text;
        char separator;
    };
    const Case cases[] = {
        {"", ','},        {"   ", ','},     {"5,", ','},    {",", ','},      {"1.5", ','},
        {"1.000,5", ','}, {"1,000,5", ','}, {"1,,5", ','},  {"1 000", ','},  {"+", ','},
        {"-", ','},       {"--1", ','},     {"+-1", ','},   {"- 1", ','},    {"e5", ','},
        {",e5", ','},     {"1e", ','},      {"1e+", ','},   {"1,5e", ','},   {"1e5,5", ','},
        {"1e2e3", ','},   {"abc", ','},     {"12a", ','},   {"1,5 x", ','},  {"0x10", ','},
        {"inf", ','},     {"nan", ','},     {"1e400", ','}, {"-1e400", ','}, {"1e99999999999999999999", ','},
        {"1,5", '.'},     {"1,000.5", '.'}, {"5.", '.'},    {".", '.'},      {"1\n", ','},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(ParseDecimal(c.text, c.separator).has_value())
            << '"' << c.text << "\" with '" << c.separator << "'";
    EXPECT_FALSE(ParseDecimal(std::string_view("1\0", 2), ',').has_value());
}

TEST(Numbers, ParseWhole) {
    const struct {
        const char* text;
        std::optional<long long> expected;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-17", -17},
        {"+5", 5},
        {"  12\t", 12},
        {"0000123", 123},
        {"9223372036854775807", std::numeric_limits<long long>::max()},
        {"-9223372036854775808", std::numeric_limits<long long>::min()},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"+", std::nullopt},
        {"- 5", std::nullopt},
        {"1 2", std::nullopt},
        {"1,5", std::nullopt},
        {"1.0", std::nullopt},
        {"1e3", std::nullopt},
        {"12a", std::nullopt},
        {"0x1F", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWhole(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Numbers, ParseIntegerTakesTheProfileForms) {
    const std::vector<std::pair<const char*, std::optional<int>>> cases = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"007", 7},
        {" 12 ", 12},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0x00000010", 16},
        {"0x7FFFFFFF", INT_MAX},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x", {}},
        {"0x80000000", {}},
        {"2147483648", {}},
        {"-2147483649", {}},
        {"99999999999999999999", {}},
        {"", {}},
        {"-", {}},
        {"+", {}},
        {"12a", {}},
        {"1 2", {}},
        {"0x1G", {}},
        {"-0x10", {}},
        {"0x-1", {}},
        {"0x+1", {}},
        {"0x 1", {}},
        {"1e3", {}},
        {"yes", {}},
        {"1.5", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseInteger(text), expected) << text;
}

TEST(Numbers, FormatGeneral) {
    const struct {
        double value;
        char separator;
        const char* expected;
    } cases[] = {
        {1200.0, ',', "1200"},
        {1234.5, ',', "1234,5"},
        {-1234.5, ',', "-1234,5"},
        {0.1 + 0.2, ',', "0,3"},
        {1e15, ',', "1E15"},
        {123456789012345.0, ',', "123456789012345"},
        {1e20, ',', "1E20"},
        {1.5e-7, ',', "1,5E-7"},
        {1e100, ',', "1E100"},
        {-2.5e-300, ',', "-2,5E-300"},
        {0.0001, ',', "0,0001"},
        {0.00001, ',', "1E-5"},
        {1.0 / 3.0, ',', "0,333333333333333"},
        {2.0 / 3.0, ',', "0,666666666666667"},
        {0.0, ',', "0"},
        {-0.0, ',', "0"},
        {2.5, '.', "2.5"},
        {1.5e-7, '.', "1.5E-7"},
        {std::numeric_limits<double>::infinity(), ',', "INF"},
        {-std::numeric_limits<double>::infinity(), ',', "-INF"},
        {std::numeric_limits<double>::max(), ',', "1,79769313486231E308"},
        {-std::numeric_limits<double>::max(), '.', "-1.79769313486231E308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value, c.separator), c.expected) << c.value;
}

TEST(Numbers, FormattedValuesParseBack) {
    std::vector<double> values = {0.1,
                                  0.3,
                                  1234.5,
                                  -987654.321,
                                  1e-300,
                                  -4.2e-200,
                                  4e-320,
                                  1e308,
                                  -1e307,
                                  99999.99,
                                  1e15 + 1.,
                                  123456789.123456789,
                                  -1e-5,
                                  6.02e23,
                                  1.0,
                                  -1.0,
                                  0.5,
                                  2.0 / 3.0,
                                  std::numeric_limits<double>::max(),
                                  -1.797693134862315e308};
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));

    for (const char separator : {',', '.'}) {
        for (const double value : values) {
            const std::string text = FormatGeneral(value, separator);
            const auto parsed = ParseDecimal(text, separator);
            ASSERT_TRUE(parsed.has_value()) << text;
            EXPECT_EQ(FormatGeneral(*parsed, separator), text);
            if (std::isnormal(value)) {
                EXPECT_LE(std::abs(*parsed - value), 1e-14 * std::abs(value)) << text;
            }
        }
    }
}
