#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/platform/Result.h"

namespace kb {

// A catalogue and its price file as a release delivers them, read for comparison: every part
// by its order number, every list by the order numbers it names, every rule and setting.
// Unlike the loader it keeps order numbers that no part carries, so a broken entry still
// shows in a comparison.
struct CatalogueContent {
    struct PartEntry {
        std::string orderNumber;
        int slot = 0;
        std::string type;
        std::string description;
        std::string index;
        std::string price; // as written; empty without a price file
    };
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    std::string cataloguePath;
    std::string pricePath; // empty when no price file is compared
    // In slot order, each order number once (its lowest slot, as the program looks it up).
    std::vector<PartEntry> parts;
    // The group sections and Extension: section name and the order numbers of keys 0, 1, ...
    std::vector<std::pair<std::string, std::vector<std::string>>> lists;
    std::vector<std::string> languages;
    Pairs maxPcom;
    Pairs maxScom;
    Pairs excludeList;
    Pairs settings;      // General of the catalogue, without the user's settings
    Pairs priceSettings; // General of the price file
    char decimalSeparator = ',';
    std::string currency; // empty without a price file
    // Order numbers listed twice in one section: "the first counts" lines, one per number.
    std::vector<std::string> repeats;
    // Prices that are not numbers with the file's separator: order number and text.
    Pairs badPrices;

    const PartEntry* Part(const std::string& orderNumber) const;
};

// Reads both files through the program's profile-file reader. pricePath empty: no prices.
// Fails, naming the file, when one is missing, cannot be read or is over the size limit.
Result<CatalogueContent> ReadCatalogueContent(const std::string& cataloguePath, const std::string& pricePath);

// In the order a report lists them.
enum class ChangeKind {
    PartAdded,
    PartRemoved,
    Description,
    Type,
    Index,
    Price,
    EntryAdded,
    EntryRemoved,
    EntryMoved,
    Limit,
    ExclusionAdded,
    ExclusionRemoved,
    Language,
    Setting,
};
inline constexpr int kChangeKindCount = 14;

// "part-added", "price", ...
const char* ChangeKindName(ChangeKind kind);

struct Change {
    ChangeKind kind = ChangeKind::Setting;
    std::string subject;
    std::string oldValue;
    std::string newValue;
    // For people: the description of the part concerned (empty where none is).
    std::string part;
    // The change of a price in per cent ("+12,5 %"); empty otherwise.
    std::string percent;

    bool operator==(const Change&) const = default;
};

// What a report marks: a thing taken away, a rule made stricter, a code character moved.
enum class ChangeMark { None, Removed, Tightened, CodesChange };
ChangeMark MarkOf(const Change& change);

// The differences, matched by order number, sorted by kind and then by subject (numbers
// inside subjects compared as numbers, so X2 comes before X10). Prices are compared only
// when both sides have a price file.
std::vector<Change> DiffCatalogues(const CatalogueContent& before, const CatalogueContent& after);

// KIND SUBJECT OLD NEW, tab-separated; a price's change follows the new price: "1150 (+12,5 %)".
std::string ChangeLine(const Change& change);

// "1 change", "N changes".
std::string ChangeCount(std::size_t count);

// Orders subjects as the report does: digit runs by their value.
bool NaturalLess(const std::string& a, const std::string& b);

} // namespace kb
