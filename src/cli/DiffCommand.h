#pragma once

#include <ostream>
#include <string>
#include <vector>

// Wrong arguments to diff; the companion prints the text with its usage.
struct DiffUsageError {
    std::string text;
};

// kitbuilder-cli diff: args are what follows the command. noPrices: the global --no-prices.
// Returns the exit code: 0 nothing differs, 4 something does, 1 a file cannot be read (or the
// report not written), 3 a price is not a number. Throws DiffUsageError.
int RunDiff(const std::vector<std::string>& args, bool noPrices, std::ostream& out, std::ostream& err);
