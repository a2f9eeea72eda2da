#include "core/config/RuleHints.h"

#include "core/config/Reaction.h"

namespace kb {

namespace {

const EntryHint kNoHint;

EntryHint HintFor(const Verdict& now, const Verdict& then, bool namesPart) {
    if (!now.RuleFault()) {
        if (then.RuleFault() && namesPart)
            return {HintKind::Breaks, then.statusText};
    } else if (!then.RuleFault()) {
        return {HintKind::Clears, now.statusText};
    }
    return {};
}

} // namespace

const EntryHint& RuleHints::At(Group g, int index) const {
    const auto& hints = entries[static_cast<std::size_t>(g)];
    if (index < 0 || index >= static_cast<int>(hints.size()))
        return kNoHint;
    return hints[static_cast<std::size_t>(index)];
}

int RuleHints::MarkedCount() const {
    int count = 0;
    for (const auto& hints : entries)
        for (const EntryHint& hint : hints)
            count += hint.kind != HintKind::None;
    for (const EntryHint& hint : pci)
        count += hint.kind != HintKind::None;
    return count;
}

RuleHints ComputeRuleHints(const Choice& choice, const CatalogueSnapshot& catalogue,
                           const RuleSections& rules) {
    const Verdict now = Evaluate(choice, catalogue, rules);

    RuleHints hints;
    for (const GroupInfo& info : AllGroups()) {
        if (info.group == Group::OSLanguage)
            continue;
        const int count = catalogue.Count(info.group);
        auto& group = hints.entries[static_cast<std::size_t>(info.group)];
        group.resize(static_cast<std::size_t>(count));
        for (int index = 0; index < count; ++index) {
            // The shown entry would leave the verdict as it is.
            if (index == choice[info.group])
                continue;
            const Choice trial =
                React(choice, Control::Of(info.group), index, ChangeBy::User, catalogue).choice;
            const Configuration config(trial, catalogue);
            const bool namesPart = config.SelectedPart(info.group) != nullptr &&
                                   !(IsSlot(info.group) && config.SlotEmpty(SlotNumber(info.group)));
            group[static_cast<std::size_t>(index)] =
                HintFor(now, Evaluate(trial, catalogue, rules), namesPart);
        }
    }

    const int card = choice.pciChecked ? 0 : 1;
    const Choice trial = React(choice, Control::Card(), card, ChangeBy::User, catalogue).choice;
    const bool cardNamesPart = trial.pciChecked && Configuration(trial, catalogue).ExtensionPart() != nullptr;
    hints.pci[static_cast<std::size_t>(card)] =
        HintFor(now, Evaluate(trial, catalogue, rules), cardNamesPart);
    return hints;
}

RuleHints ReadRuleHints(const Choice& choice, const CatalogueSnapshot& catalogue,
                        const std::string& cataloguePath) {
    const Result<RuleSections> rules = ReadRuleSections(cataloguePath);
    if (!rules)
        return {};
    return ComputeRuleHints(choice, catalogue, *rules);
}

std::vector<MarkedEntry> ListMarks(const RuleHints& hints) {
    std::vector<MarkedEntry> marks;
    const auto add = [&](const char* control, int index, const EntryHint& hint) {
        if (hint.kind != HintKind::None)
            marks.push_back({control, index, hint});
    };
    for (const GroupInfo& info : AllGroups()) {
        // The card's check box stands where the language box does, beside the radio groups.
        if (info.group == Group::OSLanguage) {
            for (int index = 0; index < 2; ++index)
                add("PCI", index, hints.pci[static_cast<std::size_t>(index)]);
            continue;
        }
        const auto& entries = hints.entries[static_cast<std::size_t>(info.group)];
        for (std::size_t index = 0; index < entries.size(); ++index)
            add(info.controlName, static_cast<int>(index), entries[index]);
    }
    return marks;
}

std::string HintToolTip(const EntryHint& hint) {
    switch (hint.kind) {
    case HintKind::Breaks:
        return "Choosing this breaks a rule: \"" + hint.reason + "\"";
    case HintKind::Clears:
        return "Choosing this clears the fault: \"" + hint.reason + "\"";
    case HintKind::None:
        break;
    }
    return {};
}

} // namespace kb
