// Input: any bytes, read as an RTF document. Reading must end, hold at most a constant
// times the input's size in memory and give sane text. An input that starts with the
// marker byte 0x01 is instead a table (style bytes, then cells separated by 0x1F and rows
// by 0x1E) that goes through our writer and back: every cell and format must return.
#include "core/platform/TextCodec.h"
#include "core/richtext/RtfReader.h"
#include "core/richtext/RtfWriter.h"

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using namespace kb;

namespace {

constexpr char kTableMarker = '\x01';
// What the result may hold per input byte, beyond a fixed allowance: far more than a
// paragraph or run costs (12 bytes, twice that while a list grows), while a copy of 64 tab
// stops or of a format in every paragraph does not fit.
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

bool IsControl(char32_t c) {
    return (c < 32 && c != '\t' && c != '\n') || (c >= 0x7F && c <= 0x9F);
}

void CheckSane(const RtfDocument& document, std::size_t inputSize) {
    Require(document.fontHalfPoints > 0 && document.fontHalfPoints <= 3276, "font size out of range");
    Require(!document.fonts.empty() && !document.tabStopSets.empty() && document.tabStopSets[0].empty(),
            "no default font or empty tab-stop set");
    for (const RtfCharFormat& format : document.charFormats) {
        Require(format.font < document.fonts.size(), "a font index out of range");
        Require(format.halfPoints > 0 && format.halfPoints <= 3276, "a run's font size out of range");
    }
    for (const std::vector<int>& stops : document.tabStopSets) {
        Require(stops.size() <= 64, "more than 64 tab stops");
        Require(std::adjacent_find(stops.begin(), stops.end(), std::greater_equal<>()) == stops.end(),
                "tab stops not strictly ascending");
        for (const int stop : stops)
            Require(stop > 0 && stop <= 31680, "a tab stop out of range");
    }
    for (const RtfParagraphFormat& format : document.paragraphFormats) {
        Require(format.tabStops < document.tabStopSets.size(), "a tab-stop set index out of range");
        Require(format.leftIndentTwips >= 0 && format.leftIndentTwips <= 31680, "left indent out of range");
        Require(format.rightIndentTwips >= 0 && format.rightIndentTwips <= 31680,
                "right indent out of range");
        Require(format.firstLineIndentTwips >= -31680 && format.firstLineIndentTwips <= 31680,
                "first-line indent out of range");
        Require(format.spaceBeforeTwips >= 0 && format.spaceBeforeTwips <= 31680 &&
                    format.spaceAfterTwips >= 0 && format.spaceAfterTwips <= 31680,
                "paragraph spacing out of range");
    }

    Require(IsValidUtf8(document.text), "the text is not UTF-8");
    const std::u32string characters = ToCodePoints(document.text);
    Require(std::none_of(characters.begin(), characters.end(), IsControl), "a control character in the text");

    // The runs cover the text in order, each paragraph takes the runs after the one before.
    std::uint32_t position = 0;
    for (const RtfRun& run : document.runs) {
        Require(run.begin == position && run.end > run.begin, "runs overlap, leave a gap or are empty");
        Require(run.format < document.charFormats.size(), "a format index out of range");
        position = run.end;
    }
    Require(position == document.text.size(), "text after the last run");
    std::size_t nextRun = 0;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        Require(paragraph.firstRun == nextRun && paragraph.runCount <= document.runs.size() - nextRun,
                "a paragraph's runs out of order or range");
        Require(paragraph.format < document.paragraphFormats.size(), "a paragraph format index out of range");
        nextRun += paragraph.runCount;
        const std::span<const RtfRun> runs = document.Runs(paragraph);
        for (std::size_t i = 1; i < runs.size(); ++i)
            Require(runs[i - 1].format != runs[i].format, "two neighbouring runs of the same format");
    }
    Require(nextRun == document.runs.size(), "runs outside every paragraph");

    const bool omitted = document.omittedParagraphs > 0;
    Require(document.paragraphs.size() <= kMaxRtfParagraphs + (omitted ? 1 : 0),
            "more paragraphs than the limit");
    // Every character shown costs at least one input byte, every paragraph two, beyond the
    // note on paragraphs left out.
    const std::size_t note = omitted ? document.Text(document.paragraphs.back()).size() : 0;
    Require(characters.size() <= inputSize + note, "more characters than input bytes");
    Require(document.paragraphs.size() <= inputSize / 2 + 1 + (omitted ? 1 : 0),
            "more paragraphs than the input can hold");
}

void ReadAnyBytes(std::string_view input) {
    const std::size_t before = g_live;
    g_peak = g_live;
    {
        const Result<RtfDocument> result = ReadRtf(input);
        const std::size_t held = g_live - before;
        if (held > kBytesPerInputByte * input.size() + kResultAllowance)
            std::fprintf(stderr, "fuzz_rtfreader: %zu bytes held for %zu input bytes\n", held, input.size());
        Require(held <= kBytesPerInputByte * input.size() + kResultAllowance,
                "the result holds too much memory");
        Require(result.has_value() == input.starts_with("{\\rtf"), "RTF and not RTF told apart wrongly");
        if (result)
            CheckSane(*result, input.size());
        else
            Require(result.error().message == kNotRtfText && result.error().code == ErrorCode::Malformed,
                    "an unexpected error");
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
        // The writer's \'hh bytes are Windows-1252 (\ansicpg1252), which a font charset
        // with a code page of its own (Mac, symbol) would read otherwise; the program writes ANSI.
        if (style.fontCharset == 2 || style.fontCharset == 77)
            style.fontCharset = 0;
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

    const Result<RtfDocument> result = ReadRtf(WriteRtfTable(rows, style));
    Require(result.has_value(), "our own RTF is not read");
    const RtfDocument& document = *result;
    // Rows past the limit are left out and said so in one more paragraph.
    const std::size_t shown = std::min(rows.size(), kMaxRtfParagraphs);
    Require(document.paragraphs.size() == shown + (rows.size() > shown ? 1 : 0),
            "rows and paragraphs differ in number");
    Require(document.omittedParagraphs == rows.size() - shown, "rows left out are not counted");

    std::vector<int> stops;
    for (const int points : style.tabStopsPoints)
        if (points > 0)
            stops.push_back(std::min(points * 20, 31680));
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    const int halfPoints = style.fontHalfPoints > 0 ? std::min(style.fontHalfPoints, 3276) : 24;
    const auto first = style.fontName.find_first_not_of(' ');
    const auto last = style.fontName.find_last_not_of(' ');
    const bool plainName = first != std::string::npos && Plain(style.fontName);
    for (std::size_t r = 0; r < shown; ++r) {
        // Cells are UTF-8 where valid, Windows-1252 elsewhere; control characters other
        // than tabs are dropped, everything else comes back whether written as \'hh or \uN.
        std::string expected;
        for (const std::string& cell : rows[r]) {
            for (const char32_t c : ToCodePoints(cell))
                if (!IsControl(c) && c != '\n')
                    AppendUtf8(expected, c);
            expected += '\t';
        }
        const RtfParagraph& paragraph = document.paragraphs[r];
        Require(document.Text(paragraph) == expected, "a cell does not read back");
        Require(document.TabStops(paragraph) == stops, "the tab stops do not read back");
        const bool heading = r == 0 && style.headingBoldUnderlined;
        for (const RtfRun& run : document.Runs(paragraph)) {
            const RtfCharFormat& format = document.Format(run);
            Require(format.bold == heading && format.underline == heading && !format.italic && !format.strike,
                    "the format does not read back");
            Require(format.halfPoints == halfPoints, "a run's font size does not read back");
            Require(document.Font(run).charset == style.fontCharset, "the font charset does not read back");
            if (plainName)
                Require(document.Font(run).name == style.fontName.substr(first, last - first + 1),
                        "a run's font name does not read back");
        }
    }
    if (!rows.empty()) {
        Require(document.fontHalfPoints == halfPoints, "the font size does not read back");
        if (plainName)
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
