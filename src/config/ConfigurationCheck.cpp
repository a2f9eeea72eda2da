#include "config/ConfigurationCheck.h"

#include <algorithm>

#include "catalogue/PartTable.h"
#include "platform/TIniFile.h"

namespace {

using RuleLines = std::vector<std::pair<std::string, std::string>>;

constexpr Group kUpperRow[] = {Group::X1, Group::X2, Group::X3, Group::X4, Group::X5};
constexpr Group kLowerRow[] = {Group::X6, Group::X7, Group::X8, Group::X9, Group::X10};

// A slot without any selection holds no module either.
bool SlotEmpty(const OptionList& slot) {
    return slot.index <= 0;
}

bool ShowsProfibus(const OptionList& slot) {
    return slot.HasSelection() && slot.Text() == kProfibusText;
}

std::string LimitText(int limit, const std::string& description) {
    const bool one = limit == 1;
    return std::string(one ? "There is only " : "There are only ") + std::to_string(limit) + " " +
           description + (one ? " interface allowed!" : " interfaces allowed!");
}

// Only the first character counts, so "12" limits to 1; a value that does not begin
// with a digit sets no limit.
void CheckRowLimits(const Selections& selections, const PartTable& parts, const RuleLines& limits,
                    const Group (&row)[5], CheckVerdict& verdict) {
    for (const auto& [orderNumber, value] : limits) {
        if (value.empty() || value[0] < '0' || value[0] > '9')
            continue;
        const int limit = value[0] - '0';
        const Part* part = parts.ByOrderNumber(orderNumber);
        if (!part)
            continue;
        int count = 0;
        std::string description;
        for (Group slot : row) {
            if (SlotEmpty(selections[slot]) || selections.SelectedPart(slot, parts) != part)
                continue;
            ++count;
            description = selections[slot].Text();
        }
        if (count > limit) {
            verdict.error = true;
            verdict.result = kCheckLimitExceeded;
            verdict.statusText = LimitText(limit, description);
        }
    }
}

// Profibus takes X4 and X9 together: an empty partner slot is completed with its
// Profibus entry, any other module there breaks the pair.
void CheckProfibusPartner(Selections& selections, Group with, Group partner, CheckVerdict& verdict) {
    if (!ShowsProfibus(selections[with]) || ShowsProfibus(selections[partner]))
        return;
    auto& slot = selections[partner];
    if (SlotEmpty(slot)) {
        const auto entry = std::find(slot.items.begin(), slot.items.end(), kProfibusText);
        if (entry != slot.items.end()) {
            slot.index = static_cast<int>(entry - slot.items.begin());
            slot.editText.clear();
            return;
        }
    }
    verdict.error = true;
    verdict.result = kCheckProfibus;
    verdict.statusText = kStatusProfibus;
}

void CheckExclusions(const Selections& selections, const PartTable& parts, const RuleLines& pairs,
                     CheckVerdict& verdict) {
    const std::vector<std::string> chosen = selections.SelectionList(parts);
    const auto isChosen = [&](const std::string& orderNumber) {
        return std::find(chosen.begin(), chosen.end(), orderNumber) != chosen.end();
    };
    for (const auto& [a, b] : pairs) {
        const Part* partA = parts.ByOrderNumber(a);
        const Part* partB = parts.ByOrderNumber(b);
        if (!partA || !partB || !isChosen(a) || !isChosen(b))
            continue;
        verdict.error = true;
        verdict.result = kCheckExcluded;
        verdict.statusText =
            "Combination of " + partA->description + " and " + partB->description + " is not allowed!";
        return;
    }
}

} // namespace

RuleSections ReadRuleSections(const std::string& cataloguePath) {
    const TIniFile ini(cataloguePath);
    if (!ini.Readable())
        return {};
    RuleSections rules;
    rules.maxPcom = ini.ReadSectionValues("Max_PCOM");
    rules.maxScom = ini.ReadSectionValues("Max_SCOM");
    rules.excludeList = ini.ReadSectionValues("Exclude_List");
    return rules;
}

CheckVerdict RunConfigurationCheck(Selections& selections, const PartTable& parts,
                                   const RuleSections& rules) {
    CheckVerdict verdict;
    verdict.statusText = kStatusNoErrors;

    if (!selections.Complete()) {
        verdict.error = true;
        verdict.result = kCheckIncomplete;
        verdict.statusText = kStatusIncomplete;
        return verdict;
    }

    CheckRowLimits(selections, parts, rules.maxPcom, kUpperRow, verdict);
    CheckRowLimits(selections, parts, rules.maxScom, kLowerRow, verdict);

    CheckProfibusPartner(selections, Group::X9, Group::X4, verdict);
    CheckProfibusPartner(selections, Group::X4, Group::X9, verdict);

    if (verdict.result == kCheckPassed)
        CheckExclusions(selections, parts, rules.excludeList, verdict);
    return verdict;
}
