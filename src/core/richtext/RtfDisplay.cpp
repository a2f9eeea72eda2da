#include "core/richtext/RtfDisplay.h"

#include <algorithm>
#include <string>

namespace kb {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool IsLeadByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

std::size_t CountCharacters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), IsLeadByte));
}

// The longest start of the text with at most count characters.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(text[i]) && count-- == 0)
            return text.substr(0, i);
    }
    return text;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

RtfDocument BoundForDisplay(const RtfDocument& document, const RtfDisplayLimits& limits) {
    RtfDocument shown;
    shown.charFormats = document.charFormats;
    shown.paragraphFormats = document.paragraphFormats;
    shown.tabStopSets = document.tabStopSets;
    shown.fonts = document.fonts;
    shown.fontName = document.fontName;
    shown.fontHalfPoints = document.fontHalfPoints;
    shown.omittedParagraphs = document.omittedParagraphs;
    if (shown.fonts.empty())
        shown.fonts.push_back({});
    if (shown.tabStopSets.empty())
        shown.tabStopSets.push_back({});

    std::size_t omittedCharacters = 0;
    std::size_t omittedRuns = 0;
    std::size_t omittedParagraphs = 0;
    std::size_t total = 0;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        const std::span<const RtfRun> runs = document.Runs(paragraph);
        if (total >= limits.documentCharacters) {
            ++omittedParagraphs;
            for (const RtfRun& run : runs)
                omittedCharacters += CountCharacters(document.Text(run));
            continue;
        }
        const std::size_t budget = std::min(limits.paragraphCharacters, limits.documentCharacters - total);
        std::size_t used = 0;
        bool cut = false;
        RtfParagraph kept{static_cast<std::uint32_t>(shown.runs.size()), 0, paragraph.format};
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const std::string_view text = document.Text(runs[r]);
            if (cut) {
                omittedCharacters += CountCharacters(text);
                continue;
            }
            const bool merged = r >= limits.paragraphRuns && kept.runCount > 0;
            if (merged)
                ++omittedRuns;
            const std::string_view part = FirstCharacters(text, budget - used);
            const std::size_t partCharacters = CountCharacters(part);
            used += partCharacters;
            if (part.size() < text.size()) {
                omittedCharacters += CountCharacters(text) - partCharacters;
                cut = true;
            }
            const auto begin = static_cast<std::uint32_t>(shown.text.size());
            shown.text.append(part);
            if (cut)
                shown.text.append(kEllipsis);
            const auto end = static_cast<std::uint32_t>(shown.text.size());
            if (merged) {
                shown.runs.back().end = end;
            } else {
                shown.runs.push_back(RtfRun{begin, end, runs[r].format});
                ++kept.runCount;
            }
        }
        total += used;
        shown.paragraphs.push_back(kept);
    }
    if (omittedCharacters == 0 && omittedRuns == 0)
        return shown;

    std::string note = "[";
    if (omittedCharacters > 0)
        note += Plural(omittedCharacters, "character was", "characters were") + " left out";
    if (omittedParagraphs > 0)
        note += " (" + Plural(omittedParagraphs, "whole paragraph", "whole paragraphs") + ")";
    if (omittedRuns > 0)
        note += std::string(omittedCharacters > 0 ? ", and " : "") +
                Plural(omittedRuns, "change", "changes") + " of style not shown";
    note += ": this window shows up to " + std::to_string(limits.paragraphCharacters) + " characters and " +
            std::to_string(limits.paragraphRuns) + " changes of style a paragraph, " +
            std::to_string(limits.documentCharacters) + " characters in all.]";
    RtfCharFormat italic;
    italic.italic = true;
    const auto format = static_cast<std::uint32_t>(shown.charFormats.size());
    shown.charFormats.push_back(italic);
    const auto paragraphFormat = static_cast<std::uint32_t>(shown.paragraphFormats.size());
    shown.paragraphFormats.push_back(RtfParagraphFormat{});
    const auto begin = static_cast<std::uint32_t>(shown.text.size());
    shown.text += note;
    shown.paragraphs.push_back(
        RtfParagraph{static_cast<std::uint32_t>(shown.runs.size()), 1, paragraphFormat});
    shown.runs.push_back(RtfRun{begin, static_cast<std::uint32_t>(shown.text.size()), format});
    return shown;
}

} // namespace kb
