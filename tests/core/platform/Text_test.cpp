#include "core/platform/Text.h"

#include <gtest/gtest.h>

using namespace kb;

namespace {

TEST(Text, TrimAndEqualNoCase) {
    const struct {
        std::string_view text;
        std::string_view trimmed;
    } trims[] = {
        {"  a b\t", "a b"}, {"\t\t", ""}, {"", ""}, {"x", "x"}, {" \xC3\xA4 ", "\xC3\xA4"},
    };
    for (const auto& c : trims) {
        const std::string_view trimmed = text::Trim(c.text);
        EXPECT_EQ(trimmed, c.trimmed) << c.text;
        // Always a view into the text itself, even when nothing is left of it.
        EXPECT_TRUE(trimmed.data() >= c.text.data() && trimmed.data() <= c.text.data() + c.text.size())
            << c.text;
    }
    EXPECT_TRUE(text::EqualNoCase("Max_PCOM", "max_pcom"));
    EXPECT_FALSE(text::EqualNoCase("Max_PCOM", "max_pcom "));
    // Only ASCII letters fold: names are matched as the files' 8-bit programs matched them.
    EXPECT_FALSE(text::EqualNoCase("\xC3\x84", "\xC3\xA4"));
}

} // namespace
