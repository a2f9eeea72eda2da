#pragma once

#include <ostream>
#include <string>
#include <vector>

// Wrong arguments to diff; the companion prints the text with its usage.
struct DiffUsageError {
    std::string text;
};

inline constexpr const char* kDiffUsage =
    "  diff OLD.INI NEW.INI [--prices OLD.PRS NEW.PRS] [--orders FOLDER] [--html FILE]\n"
    "                           what a new catalogue release changes: one line per change,\n"
    "                           KIND SUBJECT OLD NEW separated by tabs, matched by order number;\n"
    "                           with --orders, every saved order of the folder rechecked under both\n"
    "                           (\"order FILE OLD -> NEW VERDICT OLD -> NEW PRICE\" where it differs);\n"
    "                           then \"N changes\" (\"; M of K orders affected\"); --html writes a report\n"
    "                           for people; without --prices the price files beside the catalogues\n";

// kitbuilder-cli diff: args are what follows the command. noPrices: the global --no-prices.
// Returns the exit code: 0 nothing differs, 4 something does, 1 a file cannot be read (or the
// report not written), 3 a price is not a number. Throws DiffUsageError.
int RunDiff(const std::vector<std::string>& args, bool noPrices, std::ostream& out, std::ostream& err);
