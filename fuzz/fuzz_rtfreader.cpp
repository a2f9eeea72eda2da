// Input: any bytes, read as an RTF document. Reading must end, hold at most a constant
// times the input's size in memory and give sane text. An input that starts with the
// marker byte 0x01 is instead a table (style bytes, then cells separated by 0x1F and rows
// by 0x1E) that goes through our writer and back: every cell and format must return.
#include "dialogs/RtfReader.h"
#include "orderlist/RtfWriter.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kTableMarker = '\x01';
// What the result may hold per input byte, beyond a fixed allowance: an empty paragraph
// costs about 56 bytes for two input bytes (twice that while the list grows), while a copy
// of 64 tab stops in every paragraph does not fit.
constexpr std::size_t kBytesPerInputByte = 64;
constexpr std::size_t kResultAllowance = 64 * 1024;
// Reading may need more for a while: the saved states of nested groups.
constexpr std::size_t kPeakAllowance = 2 * 1024 * 1024;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_rtfreader: %s\n", what);
        std::abort();
    }
}

// Heap bytes in use and their peak, kept by the sanitizer's allocation hooks.
std::size_t g_live = 0;
std::size_t g_peak = 0;

void OnMalloc(const volatile void*, std::size_t size) {
    g_live += size;
    g_peak = std::max(g_peak, g_live);
}

void OnFree(const volatile void* pointer) {
    if (pointer)
        g_live -= __sanitizer_get_allocated_size(const_cast<const void*>(pointer));
}

std::string Text(const RtfParagraph& paragraph) {
    std::string text;
    for (const RtfRun& run : paragraph.runs)
        text += run.text;
    return text;
}

void CheckSane(const RtfReadResult& result, std::size_t inputSize) {
    const RtfDocument& document = result.document;
    Require(document.fontHalfPoints > 0 && document.fontHalfPoints <= 3276, "font size out of range");
    std::size_t characters = 0;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        Require(paragraph.tabStopsTwips.size() <= 64, "more than 64 tab stops");
        Require(std::is_sorted(paragraph.tabStopsTwips.begin(), paragraph.tabStopsTwips.end()),
                "tab stops out of order");
        for (const int stop : paragraph.tabStopsTwips)
            Require(stop > 0, "a tab stop at or left of the edge");
        Require(paragraph.leftIndentTwips >= 0 && paragraph.leftIndentTwips <= 31680,
                "left indent out of range");
        Require(paragraph.firstLineIndentTwips >= -31680 && paragraph.firstLineIndentTwips <= 31680,
                "first-line indent out of range");
        for (std::size_t i = 0; i < paragraph.runs.size(); ++i) {
            const RtfRun& run = paragraph.runs[i];
            Require(!run.text.empty(), "an empty run");
            for (const char c : run.text)
                Require(c == '\t' || static_cast<unsigned char>(c) >= 32, "a control character in the text");
            if (i > 0) {
                const RtfRun& before = paragraph.runs[i - 1];
                Require(before.bold != run.bold || before.italic != run.italic ||
                            before.underline != run.underline,
                        "two neighbouring runs of the same format");
            }
            characters += run.text.size();
        }
    }
    // Every character shown costs at least one input byte, every paragraph two.
    Require(characters <= inputSize, "more characters than input bytes");
    Require(document.paragraphs.size() <= inputSize / 2 + 1, "more paragraphs than the input can hold");
}

void ReadAnyBytes(std::string_view input) {
    const std::size_t before = g_live;
    g_peak = g_live;
    {
        const RtfReadResult result = ReadRtf(input);
        const std::size_t held = g_live - before;
        if (held > kBytesPerInputByte * input.size() + kResultAllowance)
            std::fprintf(stderr, "fuzz_rtfreader: %zu bytes held for %zu input bytes\n", held, input.size());
        Require(held <= kBytesPerInputByte * input.size() + kResultAllowance,
                "the result holds too much memory");
        Require(result.ok == input.starts_with("{\\rtf"), "RTF and not RTF told apart wrongly");
        if (!result.ok) {
            Require(result.error == kNotRtfText, "an unexpected error text");
            Require(result.document.paragraphs.empty(), "a document from text that is not RTF");
        }
        CheckSane(result, input.size());
    }
    Require(g_peak - before <= kBytesPerInputByte * input.size() + kPeakAllowance,
            "reading needed too much memory");
}

bool Plain(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
               c == '-';
    });
}

void RoundTrip(std::string_view input) {
    RtfTableStyle style;
    std::size_t pos = 0;
    if (input.size() >= 3) {
        const auto byte = [&input](std::size_t i) { return static_cast<unsigned char>(input[i]); };
        style.headingBoldUnderlined = byte(0) & 1;
        style.fontCharset = byte(0) >> 1;
        style.fontHalfPoints = byte(1);
        for (int i = 0; i < (byte(2) & 7); ++i)
            style.tabStopsPoints.push_back(100 * i + byte(2));
        pos = 3;
        // The font name runs to the first row separator.
        const std::size_t end = input.find('\x1e', pos);
        if (end != std::string_view::npos) {
            style.fontName = input.substr(pos, end - pos);
            pos = end + 1;
        }
    }

    std::vector<std::vector<std::string>> rows;
    if (pos < input.size()) {
        rows.emplace_back(1);
        for (std::size_t i = pos; i < input.size(); ++i) {
            if (input[i] == '\x1e')
                rows.emplace_back(1);
            else if (input[i] == '\x1f')
                rows.back().emplace_back();
            else
                rows.back().back() += input[i];
        }
    }

    const RtfReadResult result = ReadRtf(WriteRtfTable(rows, style));
    Require(result.ok, "our own RTF is not read");
    const RtfDocument& document = result.document;
    Require(document.paragraphs.size() == rows.size(), "rows and paragraphs differ in number");

    std::vector<int> stops;
    for (const int points : style.tabStopsPoints)
        if (points > 0)
            stops.push_back(points * 20);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string expected;
        for (const std::string& cell : rows[r]) {
            for (const char c : cell)
                if (c == '\t' || static_cast<unsigned char>(c) >= 128 || (c >= 32 && c != 127))
                    expected += c;
            expected += '\t';
        }
        const RtfParagraph& paragraph = document.paragraphs[r];
        Require(Text(paragraph) == expected, "a cell does not read back");
        Require(paragraph.tabStopsTwips == stops, "the tab stops do not read back");
        const bool heading = r == 0 && style.headingBoldUnderlined;
        for (const RtfRun& run : paragraph.runs)
            Require(run.bold == heading && run.underline == heading && !run.italic,
                    "the format does not read back");
    }
    if (!rows.empty()) {
        Require(document.fontHalfPoints == (style.fontHalfPoints > 0 ? style.fontHalfPoints : 24),
                "the font size does not read back");
        const auto first = style.fontName.find_first_not_of(' ');
        const auto last = style.fontName.find_last_not_of(' ');
        if (first != std::string::npos && Plain(style.fontName))
            Require(document.fontName == style.fontName.substr(first, last - first + 1),
                    "the font name does not read back");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.starts_with(kTableMarker))
        RoundTrip(input.substr(1));
    else
        ReadAnyBytes(input);
    return 0;
}
