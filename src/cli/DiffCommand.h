#pragma once

#include <ostream>
#include <string>
#include <vector>

// Wrong arguments to diff; the companion prints the text with its usage.
struct DiffUsageError {
    std::string text;
};

inline constexpr const char* kDiffUsage =
    "  diff OLD.INI NEW.INI [--prices OLD.PRS NEW.PRS | --no-prices] [--orders FOLDER] [--html FILE]\n"
    "                           what a new catalogue release changes, matched by order number: one\n"
    "                           line per change, KIND SUBJECT OLD NEW separated by tabs (without\n"
    "                           --prices, the price files beside the catalogues are compared); with\n"
    "                           --orders, each saved order of the folder rechecked under both and\n"
    "                           listed where it differs, \"order FILE OLD -> NEW VERDICT OLD -> NEW "
    "PRICE\";\n"
    "                           then \"N changes\" (\"; M of K orders affected\"); --html also writes the\n"
    "                           report as a web page\n";

// kitbuilder-cli diff: args are what follows the command. noPrices: the global --no-prices.
// Returns the exit code: 0 nothing differs, 4 something does, 1 a file cannot be read (or the
// report not written), 3 a price is not a number. Throws DiffUsageError.
int RunDiff(const std::vector<std::string>& args, bool noPrices, std::ostream& out, std::ostream& err);
