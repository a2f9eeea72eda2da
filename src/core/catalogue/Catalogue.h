#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/catalogue/Groups.h"
#include "core/catalogue/PartTable.h"

namespace kb {

// An order number that a group section (or Extension) names but OrderNumbers lacks.
struct MissingOrderNumber {
    std::string section;
    std::string key;
    std::string orderNumber;
};

// Everything LoadCatalogue reads from the catalogue and the price file.
struct Catalogue {
    PartTable parts;

    bool pricesPresent = false;
    std::string currency = "EUR";
    std::string priceBase = "EN";
    std::string priceDate;
    char decimalSeparator = ',';
    std::string version = "???";

    bool useStdConfig = true;
    // The stored price display; false in no-price mode whatever the file says.
    bool showPrices = false;
    int osStdLanguage = 0;

    // Entries of every selection control: part descriptions, language names for
    // OSLanguage. Slot lists hold only the catalogue's modules, without the empty entry.
    std::array<std::vector<std::string>, kGroupCount> options;
    std::string extensionCaption;

    std::vector<MissingOrderNumber> missing;
};

// The numbers are the program's exit codes for a failed start.
enum class LoadResult { Loaded = 0, CatalogueMissing = 1, BadPrice = 3 };

struct LoadOutcome {
    LoadResult result = LoadResult::Loaded;
    // Why the catalogue could not be read, or which price is not a number.
    std::string detail;
};

// Reads both files into catalogue. The price file may be absent (no-price mode).
// On a result other than Loaded the catalogue holds what was read up to the failure.
LoadOutcome ReadCatalogue(const std::string& cataloguePath, const std::string& pricePath,
                          Catalogue& catalogue);

} // namespace kb
