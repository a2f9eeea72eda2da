#include "core/config/ConfigurationCheck.h"

#include <algorithm>

#include "core/platform/TIniFile.h"

namespace kb {

namespace {

using RuleLines = std::vector<std::pair<std::string, std::string>>;

constexpr Group kUpperRow[] = {Group::X1, Group::X2, Group::X3, Group::X4, Group::X5};
constexpr Group kLowerRow[] = {Group::X6, Group::X7, Group::X8, Group::X9, Group::X10};

std::string LimitText(int limit, const std::string& description) {
    const bool one = limit == 1;
    return std::string(one ? "There is only " : "There are only ") + std::to_string(limit) + " " +
           description + (one ? " interface allowed!" : " interfaces allowed!");
}

void Fail(Verdict& verdict, CheckResult result, std::string text) {
    verdict.result = result;
    verdict.statusText = std::move(text);
}

// Only the first character counts, so "12" limits to 1; a value that does not begin
// with a digit sets no limit.
void CheckRowLimits(const Configuration& config, const RuleLines& limits, const Group (&row)[5],
                    Verdict& verdict) {
    for (const auto& [orderNumber, value] : limits) {
        if (value.empty() || value[0] < '0' || value[0] > '9')
            continue;
        const int limit = value[0] - '0';
        const Part* part = config.catalogue().parts.ByOrderNumber(orderNumber);
        if (!part)
            continue;
        int count = 0;
        const std::string* description = nullptr;
        for (Group slot : row) {
            if (config.SlotEmpty(SlotNumber(slot)) || config.SelectedPart(slot) != part)
                continue;
            ++count;
            description = &config.Text(slot);
        }
        if (count > limit)
            Fail(verdict, CheckResult::LimitExceeded, LimitText(limit, *description));
    }
}

void CheckProfibusPair(const Configuration& config, Verdict& verdict) {
    if (config.ShowsProfibus(Group::X4) != config.ShowsProfibus(Group::X9))
        Fail(verdict, CheckResult::Profibus, kStatusProfibus);
}

void CheckExclusions(const Configuration& config, const RuleLines& pairs, Verdict& verdict) {
    const std::vector<std::string> chosen = config.SelectionList();
    const auto isChosen = [&](const std::string& orderNumber) {
        return std::find(chosen.begin(), chosen.end(), orderNumber) != chosen.end();
    };
    const PartTable& parts = config.catalogue().parts;
    for (const auto& [a, b] : pairs) {
        const Part* partA = parts.ByOrderNumber(a);
        const Part* partB = parts.ByOrderNumber(b);
        if (!partA || !partB || !isChosen(a) || !isChosen(b))
            continue;
        Fail(verdict, CheckResult::Excluded,
             "Combination of " + partA->description + " and " + partB->description + " is not allowed!");
        return;
    }
}

void CompletePartner(Choice& choice, const CatalogueSnapshot& catalogue, Group with, Group partner) {
    const Configuration config(choice, catalogue);
    if (!config.ShowsProfibus(with) || !config.SlotEmpty(SlotNumber(partner)))
        return;
    const auto& items = catalogue.Items(partner);
    const auto entry = std::find(items.begin(), items.end(), kProfibusText);
    if (entry != items.end())
        choice[partner] = static_cast<int>(entry - items.begin());
}

} // namespace

Result<RuleSections> ReadRuleSections(const std::string& cataloguePath) {
    const TIniFile ini(cataloguePath);
    if (!ini.Readable())
        return Error{ini.ReadError()};
    RuleSections rules;
    rules.maxPcom = ini.ReadSectionValues("Max_PCOM");
    rules.maxScom = ini.ReadSectionValues("Max_SCOM");
    rules.excludeList = ini.ReadSectionValues("Exclude_List");
    return rules;
}

Choice CompleteProfibus(Choice choice, const CatalogueSnapshot& catalogue) {
    if (!Configuration(choice, catalogue).Complete())
        return choice;
    CompletePartner(choice, catalogue, Group::X9, Group::X4);
    CompletePartner(choice, catalogue, Group::X4, Group::X9);
    return choice;
}

Verdict Evaluate(const Choice& choice, const CatalogueSnapshot& catalogue, const RuleSections& rules) {
    Verdict verdict;
    verdict.statusText = kStatusNoErrors;

    const Configuration config(choice, catalogue);
    if (!config.Complete()) {
        Fail(verdict, CheckResult::Incomplete, kStatusIncomplete);
        return verdict;
    }

    // The limits count the slots as chosen; the pairing and the exclusions see the
    // configuration as the check leaves it, with an empty Profibus partner completed.
    CheckRowLimits(config, rules.maxPcom, kUpperRow, verdict);
    CheckRowLimits(config, rules.maxScom, kLowerRow, verdict);

    const Choice completed = CompleteProfibus(choice, catalogue);
    const Configuration after(completed, catalogue);
    CheckProfibusPair(after, verdict);
    if (verdict.result == CheckResult::Passed)
        CheckExclusions(after, rules.excludeList, verdict);
    return verdict;
}

} // namespace kb
