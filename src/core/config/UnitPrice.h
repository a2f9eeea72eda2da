#pragma once

#include <optional>
#include <string>

#include "core/config/Choice.h"
#include "core/config/ConfigurationCheck.h"

namespace kb {

// The price of the unit: the sum of the prices of the parts the configuration lists, as
// decimal numbers with the catalogue's separator, written in the general number format. The
// Profibus entry of X4 adds nothing (the module is priced once, in X9); the display and cable
// count only while the ZEV-Azo is shown, exactly as the order list lists them. Texts that are
// not numbers or name no part add nothing.
std::string ComputeUnitPrice(const Choice& choice, const CatalogueSnapshot& catalogue);

// The price a check shows for the choice it left (Profibus completed): none without prices
// or while the configuration is incomplete, so the price box keeps the last complete price.
std::optional<std::string> CheckedUnitPrice(const Choice& checked, const Verdict& verdict,
                                            const CatalogueSnapshot& catalogue);

} // namespace kb
