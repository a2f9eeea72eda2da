#pragma once

#include <string>

namespace kb {

inline constexpr const char* kDesignerCredit = "Designed and built by the VK72 configurator team.";
inline constexpr const char* kMakerNotice = "(c) 2026 the VK72 configurator team. All rights reserved.";

// The About box's version line: program and catalogue version, and the price file's date
// whenever a price file was loaded, whether or not prices are shown.
std::string AboutVersionLine(const std::string& catalogueVersion, bool pricesPresent,
                             const std::string& priceDate);

} // namespace kb
