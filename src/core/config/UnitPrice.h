#pragma once

#include <string>

#include "core/config/Choice.h"

namespace kb {

// The price of the unit: the sum of the selected parts' prices as decimal numbers with the
// catalogue's separator, written in the general number format. The Profibus entry of X4 adds
// nothing (the module is priced once, in X9). Texts that are not numbers or name no part add
// nothing.
std::string ComputeUnitPrice(const Choice& choice, const CatalogueSnapshot& catalogue);

} // namespace kb
