#pragma once

#include <string>
#include <vector>

struct LintFinding {
    enum class Severity { Error, Warning };
    Severity severity;
    std::string where; // SECTION/KEY
    std::string text;

    std::string Line() const;
};

// Checks the catalogue (and the price file, when pricePath names one) against every rule
// the program relies on, then proves that every option of every group survives the ID code.
// The catalogue must exist and be readable.
std::vector<LintFinding> LintCatalogue(const std::string& cataloguePath, const std::string& pricePath);
