#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/catalogue/CatalogueDiff.h"
#include "core/customer/Recheck.h"
#include "core/platform/Result.h"

namespace kb {

// Two catalogue releases side by side: what changed, and which saved orders it touches.

struct ComparisonFiles {
    std::string oldCatalogue;
    std::string oldPrices; // empty: prices are not compared
    std::string newCatalogue;
    std::string newPrices;
    std::string ordersFolder; // empty: no orders are rechecked
};

// The price files beside both catalogues, found as the program finds its own. Prices are
// compared only when both catalogues have one; otherwise both stay empty and *note says why.
ComparisonFiles PricesBesideCatalogues(const std::string& oldCatalogue, const std::string& newCatalogue,
                                       std::string* note);

// An order whose verdict, code or price differs between the releases.
struct TouchedOrder {
    RecheckedOrder before;
    RecheckedOrder after;
};

struct CatalogueComparison {
    ComparisonFiles files;
    std::vector<Change> changes;
    // Order numbers listed twice, orders that could not be rechecked: for the reader.
    std::vector<std::string> notes;
    // A price that is not a number, naming the file: the program would not start on it.
    std::vector<std::string> badPrices;

    bool ordersChecked = false;
    std::size_t orderCount = 0;
    std::vector<TouchedOrder> touched; // sorted by file
    std::string currency;              // of the new prices; empty without prices
    bool cancelled = false;

    // "N changes", with "; M of K orders affected" when orders were rechecked.
    std::string Summary() const;
};

struct ComparisonRun {
    // How many of the rechecks are done (two per order: old release, then new), from the
    // checking threads, one call at a time, every few hundredths of a second.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Asked between files: a run told to stop ends after the files it is reading.
    std::function<bool()> cancelled;
    unsigned threads = 1;
};

// Reads both releases, compares them and, with an orders folder, rechecks each of its customer
// files under both. Fails, naming the file, when a catalogue or price file cannot be read or
// the orders folder is none. A cancelled run returns the orders checked under both, marked
// cancelled. Reads only; safe on any thread.
Result<CatalogueComparison> CompareCatalogues(const ComparisonFiles& files, const ComparisonRun& run = {});

// order FILE OLD-VERDICT -> NEW-VERDICT OLD-PRICE -> NEW-PRICE, tab-separated.
std::string TouchedOrderLine(const TouchedOrder& order);

// Every change line, every touched order, then the summary: what the companion prints.
std::string ComparisonText(const CatalogueComparison& comparison);

} // namespace kb
