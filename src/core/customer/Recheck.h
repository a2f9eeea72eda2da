#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/config/Choice.h"
#include "core/config/ConfigurationCheck.h"

namespace kb {

// Saved orders against the catalogue loaded now: each customer file's code is applied as
// File Open applies it, but from the program's start-up state and on the shared snapshot,
// so many files can be checked on any thread without touching the main window.

enum class RecheckVerdict { Valid, Changed, Invalid, Unreadable };

// "valid", "changed", "invalid", "unreadable".
const char* VerdictName(RecheckVerdict verdict);

// What a run shares between all orders: read once, never changed while it runs.
struct RecheckBasis {
    std::shared_ptr<const CatalogueSnapshot> catalogue;
    // The choice the program starts with on this catalogue; every order starts from it.
    Choice startChoice;
    RuleSections rules;

    // The currency column: empty without prices.
    std::string Currency() const;
};

// A run's basis with the rule sections the caller read once (ReadRuleSections; an unreadable
// catalogue gives none, and the orders are checked without rules as the check runs then).
RecheckBasis MakeRecheckBasis(std::shared_ptr<const CatalogueSnapshot> catalogue, const Choice& startChoice,
                              const RuleSections& rules);

struct RecheckedOrder {
    std::string file; // as given, or as found in the folder
    RecheckVerdict verdict = RecheckVerdict::Unreadable;
    // Why the file could not be read (unreadable only).
    std::string reason;

    std::string company1;
    std::string name1;
    std::string storedCode;
    // The code of the configuration now, prefixed; empty when none can be produced.
    std::string codeNow;
    // Why no code can be produced, or why the stored code could not be applied.
    std::string codeFailure;
    // The check's result; none when the stored code could not be applied at all.
    std::optional<CheckResult> result;
    std::string statusText;
    // The unit price; empty when the configuration is incomplete or there are no prices.
    std::string price;
    // Controls whose place of the stored code found no entry (a character that fits none, a
    // radio position past the end, a list position out of range), named as the controls are.
    std::vector<std::string> unmatched;
    // The configuration as File Open leaves it.
    Choice choice;

    bool AllPlacesMatched() const { return unmatched.empty(); }
};

// Checks one customer file. Only reads it; never throws.
RecheckedOrder RecheckCustomerFile(const std::string& path, const RecheckBasis& basis);

// Applies the prefixed code to the start choice as File Open does, with the reactions of the
// radio groups and the check box, up to the check that ends it: the choice is what that check
// sees (CompleteProfibus of it is what File Open leaves). Fails with the decoder's message
// when the code is too short; then nothing is applied.
struct AppliedCode {
    Choice choice;
    std::vector<std::string> unmatched;
};
Result<AppliedCode> ApplyStoredCode(const std::string& prefixedCode, const Choice& startChoice,
                                    const CatalogueSnapshot& catalogue);

// The files to check for the paths given: a file as given, a folder's entries whose name
// ends in ".CST" without regard to case (not its subfolders), sorted by name. A path that
// neither exists nor can be listed comes back as an unreadable order with the reason.
struct CustomerFileList {
    std::vector<std::string> files;
    std::vector<RecheckedOrder> failures;
};
CustomerFileList FindCustomerFiles(const std::vector<std::string>& paths,
                                   const std::function<bool()>& cancelled = {});

// What a run has done since it last said so.
struct RecheckProgress {
    std::vector<RecheckedOrder> rows; // checked since the last report
    std::size_t done = 0;
    std::size_t total = 0;
};

struct RecheckRun {
    // Called with the rows checked since the last call, at most every interval and once at the
    // end; from the checking threads, one call at a time.
    std::function<void(RecheckProgress)> report;
    // Asked between files: a run told to stop ends after the files it is reading.
    std::function<bool()> cancelled;
    unsigned threads = 1;
    std::chrono::milliseconds interval{40};
};

// Finds the customer files of the paths and checks each against the basis, on the given number
// of threads sharing it. The orders sorted by file; after a cancel, those finished.
std::vector<RecheckedOrder> RecheckOrders(const std::vector<std::string>& paths, const RecheckBasis& basis,
                                          const RecheckRun& run = {});

// Orders sorted by file, then "N orders: A valid, B changed, C invalid[, D unreadable]".
void SortByFile(std::vector<RecheckedOrder>& orders);
std::string RecheckSummary(const std::vector<RecheckedOrder>& orders);

// The columns of a rechecked order: FILE VERDICT COMPANY1 NAME1 STORED CODE, CODE NOW, RESULT
// (the check's number), STATUS (an unreadable file's reason), PRICE, CURRENCY (with a price).
inline constexpr std::size_t kRecheckColumnCount = 10;
std::array<std::string, kRecheckColumnCount> RecheckFields(const RecheckedOrder& order,
                                                           const std::string& currency);
// The fields joined by tabs; tabs and line breaks inside a field become blanks.
std::string TabSeparated(const std::vector<std::string>& fields);
// RecheckFields as one tab-separated line.
std::string RecheckLine(const RecheckedOrder& order, const std::string& currency);

} // namespace kb
