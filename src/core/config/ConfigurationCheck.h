#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/config/Choice.h"
#include "core/platform/Result.h"

namespace kb {

// The rule sections of the catalogue, read afresh at every check so that an edited
// catalogue takes effect at once.
struct RuleSections {
    std::vector<std::pair<std::string, std::string>> maxPcom;     // order number, limit text
    std::vector<std::pair<std::string, std::string>> maxScom;     // order number, limit text
    std::vector<std::pair<std::string, std::string>> excludeList; // order number A, order number B
};

// A missing file holds no rules; an unreadable one is an error naming it (the check then
// runs without rules, rule hints show none).
Result<RuleSections> ReadRuleSections(const std::string& cataloguePath);

// The numbers are what the check has always returned to its callers.
enum class CheckResult {
    Passed = 0,
    Incomplete = 1,
    LimitExceeded = 2,
    Profibus = 3,
    Excluded = 4,
};

struct Verdict {
    CheckResult result = CheckResult::Passed;
    std::string statusText;

    // A fault of the rules, not merely a missing selection.
    bool RuleFault() const { return result != CheckResult::Passed && result != CheckResult::Incomplete; }
};

inline constexpr const char* kStatusNoErrors = "Selected configuration has no errors.";
inline constexpr const char* kStatusIncomplete =
    "Configuration is not complete. Check: Housing, CPU, RAM, Operating System, HMI, Power, Display and "
    "length of cable. In each group one option must be selected!";
inline constexpr const char* kStatusProfibus = "Profibus interface can be installed only on X9 and needs "
                                               "also X4. If Profibus is selected on X9, also X4 "
                                               "must be set to Profibus! Or vice versa.";

// Profibus takes X4 and X9 together: in a complete configuration an empty partner slot of a
// Profibus entry gets its own Profibus entry. Anything else is left as it is.
Choice CompleteProfibus(Choice choice, const CatalogueSnapshot& catalogue);

// The verdict of the check for this choice, in its fixed order: completeness, upper-row and
// lower-row limits, Profibus pairing (after the completion above), exclusions. Reads no file
// and changes nothing, so it may run on any thread on a shared catalogue.
Verdict Evaluate(const Choice& choice, const CatalogueSnapshot& catalogue, const RuleSections& rules);

} // namespace kb
