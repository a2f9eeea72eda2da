#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/catalogue/CatalogueSnapshot.h"
#include "core/platform/Result.h"

namespace kb {

// An order number that a group section (or Extension) names but OrderNumbers lacks.
struct MissingOrderNumber {
    std::string section;
    std::string key;
    std::string orderNumber;
};

// The settings menu's three values as the catalogue stores them (a per-user file may
// override them); the only part of a loaded catalogue that changes while the program runs.
struct StoredSettings {
    bool useStdConfig = true;
    // The stored price display; false in no-price mode whatever the file says.
    bool showPrices = false;
    int osStdLanguage = 0;
};

// Everything ReadCatalogue reads from the catalogue and the price file.
struct Catalogue {
    std::shared_ptr<const CatalogueSnapshot> snapshot = std::make_shared<const CatalogueSnapshot>();
    StoredSettings settings;
    std::vector<MissingOrderNumber> missing;
};

// The program's exit codes for a failed start.
enum class LoadResult { Loaded = 0, CatalogueMissing = 1, BadPrice = 3 };

struct LoadOutcome {
    LoadResult result = LoadResult::Loaded;
    // Why the catalogue could not be read, or which price is not a number.
    std::string detail;
};

// Reads both files. The price file may be absent (no-price mode). Fails with
// ErrorCode::CatalogueMissing (no catalogue, or one that cannot be read) or
// ErrorCode::BadPrice (a price file that cannot be read, or a price that is not a number).
Result<Catalogue> ReadCatalogue(const std::string& cataloguePath, const std::string& pricePath);

// The exit code and detail of a failed read.
LoadOutcome OutcomeOf(const Error& error);

} // namespace kb
