#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/config/ConfigurationCheck.h"

namespace kb {

enum class HintKind { None, Breaks, Clears };

// What choosing one entry now would do to the check's verdict.
struct EntryHint {
    HintKind kind = HintKind::None;
    // Breaks: the status text the check would show. Clears: the status text shown now.
    std::string reason;

    bool operator==(const EntryHint&) const = default;
};

// A hint for every entry of every selection control and for the card's check box, indexed
// as the controls are. Information only: nothing is selected, nothing refused.
struct RuleHints {
    // By group and entry index; the language box carries no rules and stays empty.
    std::array<std::vector<EntryHint>, kGroupCount> entries;
    // The card's check box: unchecked at 0, checked at 1.
    std::array<EntryHint, 2> pci;

    const EntryHint& At(Group g, int index) const;
    int MarkedCount() const;
    bool operator==(const RuleHints&) const = default;
};

// While the choice has no rule fault, an entry is marked Breaks when choosing it would cause
// one; while it has one, an entry is marked Clears when choosing it would clear every fault.
// An entry naming no part (empty slot, unknown text, the unchecked card) never breaks a rule.
// Pure: the rule sections are passed in, read once by the caller for all entries.
RuleHints ComputeRuleHints(const Choice& choice, const CatalogueSnapshot& catalogue,
                           const RuleSections& rules);

// The hints for the catalogue file's current rules; none when its rules cannot be read (the
// check reports that itself).
RuleHints ReadRuleHints(const Choice& choice, const CatalogueSnapshot& catalogue,
                        const std::string& cataloguePath);

// One marked entry, named by its control ("PCI" for the card's check box).
struct MarkedEntry {
    std::string control;
    int index = 0;
    EntryHint hint;

    bool operator==(const MarkedEntry&) const = default;
};

// The marked entries in the window's order: Housing, Processor, RAM, OS, PCI, HMI, Power,
// X1 to X10, Display, HMICable, and by index within a control.
std::vector<MarkedEntry> ListMarks(const RuleHints& hints);

// The tooltip of a marked entry.
std::string HintToolTip(const EntryHint& hint);

} // namespace kb
