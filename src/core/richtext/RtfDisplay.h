#pragma once

#include <cstddef>

#include "core/richtext/RtfReader.h"

namespace kb {

// How much of a document a window lays out. A text layout's time grows with the length of a
// paragraph and the number of its style runs far faster than with the document, and its memory
// with the whole text; real release notes stay far below these.
struct RtfDisplayLimits {
    std::size_t paragraphCharacters = 5000;
    std::size_t paragraphRuns = 500;
    std::size_t documentCharacters = 500000;
};

// The document as a window shows it. A paragraph longer than the limit ends with "…" after its
// first paragraphCharacters characters; past paragraphRuns style runs the rest of a paragraph
// keeps the style of its last run; past documentCharacters the rest of the document is left out.
// When anything was cut, a closing paragraph says how much.
RtfDocument BoundForDisplay(const RtfDocument& document, const RtfDisplayLimits& limits = {});

} // namespace kb
