#include "core/config/UnitPrice.h"

#include "core/platform/Numbers.h"

namespace kb {

std::string ComputeUnitPrice(const Choice& choice, const CatalogueSnapshot& catalogue) {
    const Configuration config(choice, catalogue);
    const char separator = catalogue.decimalSeparator;
    double amount = 0.0;
    // Runs on every click: a price that is not a number is left out rather than raised.
    const auto add = [&](const Part* part) {
        if (!part)
            return;
        if (const auto price = numbers::ParseDecimal(part->price, separator))
            amount += *price;
    };

    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
        add(config.SelectedPart(g));
    if (choice.pciChecked)
        add(config.ExtensionPart());
    for (int n = 1; n <= 10; ++n)
        if (config.SlotHasOwnModule(n))
            add(config.SelectedPart(Slot(n)));
    add(config.SelectedPart(Group::HMI));
    add(config.SelectedPart(Group::Power));
    if (choice.azoVisible) {
        add(config.SelectedPart(Group::Display));
        add(config.SelectedPart(Group::HMICable));
    }
    return numbers::FormatGeneral(amount, separator);
}

std::optional<std::string> CheckedUnitPrice(const Choice& checked, const Verdict& verdict,
                                            const CatalogueSnapshot& catalogue) {
    if (!catalogue.pricesPresent || verdict.result == CheckResult::Incomplete)
        return std::nullopt;
    return ComputeUnitPrice(checked, catalogue);
}

} // namespace kb
