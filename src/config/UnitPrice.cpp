#include "config/UnitPrice.h"

#include "catalogue/PartTable.h"
#include "platform/Numbers.h"

std::string ComputeUnitPrice(const Selections& selections, const PartTable& parts, char separator) {
    double amount = 0.0;
    // Runs on every click: a price that is not a number is left out rather than raised.
    const auto add = [&](const Part* part) {
        if (!part)
            return;
        if (const auto price = numbers::ParseDecimal(part->price, separator))
            amount += *price;
    };

    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
        add(selections.SelectedPart(g, parts));
    if (selections.pciChecked)
        add(selections.ExtensionPart(parts));
    for (int n = 1; n <= 10; ++n)
        if (selections.SlotHasOwnModule(n))
            add(selections.SelectedPart(Slot(n), parts));
    for (Group g : {Group::HMI, Group::Power, Group::Display, Group::HMICable})
        add(selections.SelectedPart(g, parts));

    return numbers::FormatGeneral(amount, separator);
}
