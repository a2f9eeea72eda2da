#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/Groups.h"
#include "core/catalogue/PartTable.h"

namespace kb {

// The catalogue's side of a configuration, as loaded: parts, the entries of every control and
// the price labels. Never changed once made, so the window, rule hints and background checks
// share one copy without locks.
struct CatalogueSnapshot {
    PartTable parts;
    // Entries as the controls show them: slot lists start with the empty-slot entry.
    std::array<std::vector<std::string>, kGroupCount> items;
    std::string extensionCaption;

    bool pricesPresent = false;
    std::string currency = "EUR";
    std::string priceBase = "EN";
    std::string priceDate;
    char decimalSeparator = ',';
    std::string version = "???";

    const std::vector<std::string>& Items(Group g) const { return items[static_cast<std::size_t>(g)]; }
    std::vector<std::string>& Items(Group g) { return items[static_cast<std::size_t>(g)]; }
    int Count(Group g) const { return static_cast<int>(Items(g).size()); }
};

} // namespace kb
