#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/Selections.h"

class PartTable;

// The rule sections of the catalogue, read afresh at every check so that an edited
// catalogue takes effect at once.
struct RuleSections {
    std::vector<std::pair<std::string, std::string>> maxPcom;     // order number, limit text
    std::vector<std::pair<std::string, std::string>> maxScom;     // order number, limit text
    std::vector<std::pair<std::string, std::string>> excludeList; // order number A, order number B
};

// A missing or unreadable file gives no rules.
RuleSections ReadRuleSections(const std::string& cataloguePath);

enum CheckResult {
    kCheckPassed = 0,
    kCheckIncomplete = 1,
    kCheckLimitExceeded = 2,
    kCheckProfibus = 3,
    kCheckExcluded = 4,
};

struct CheckVerdict {
    int result = kCheckPassed;
    bool error = false; // selects the red display
    std::string statusText;
};

inline constexpr const char* kStatusNoErrors = "Selected configuration has no errors.";
inline constexpr const char* kStatusIncomplete =
    "Configuration is not complete. Check: Housing, CPU, RAM, Operating System, HMI, Power, Display and "
    "length of cable. In each group one option must be selected!";
inline constexpr const char* kStatusProfibus = "Profibus interface can be installed only on X9 and needs "
                                               "also X4. If Profibus is selected on X9, also X4 "
                                               "must be set to Profibus! Or vice versa.";

// Runs the checks in their fixed order: completeness, upper-row and lower-row limits,
// Profibus pairing (completing an empty partner slot in selections), exclusions.
CheckVerdict RunConfigurationCheck(Selections& selections, const PartTable& parts, const RuleSections& rules);
