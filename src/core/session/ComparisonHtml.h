#pragma once

#include <string>
#include <string_view>

#include "core/session/CatalogueComparison.h"

namespace kb {

// The comparison as one self-contained HTML page for people: a summary, a table per kind of
// change and the touched orders. No script, no network, its styles in the page; fits a
// phone's width and prints. UTF-8.
std::string ComparisonHtml(const CatalogueComparison& comparison);

// Text for an HTML element or a quoted attribute: markup characters escaped, and control
// characters and bytes that are not UTF-8 replaced, so any file value makes a valid page.
std::string HtmlEscape(std::string_view text);

} // namespace kb
