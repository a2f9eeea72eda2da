#include "core/catalogue/CatalogueSnapshot.h"

#include "core/catalogue/Catalogue.h"

namespace kb {

std::shared_ptr<const CatalogueSnapshot> MakeSnapshot(const Catalogue& catalogue) {
    auto snapshot = std::make_shared<CatalogueSnapshot>();
    snapshot->parts = catalogue.parts;
    for (const auto& info : AllGroups()) {
        auto& items = snapshot->Items(info.group);
        items = catalogue.options[static_cast<std::size_t>(info.group)];
        if (info.kind == ControlKind::SlotList)
            items.insert(items.begin(), kEmptySlotText);
    }
    snapshot->extensionCaption = catalogue.extensionCaption;
    snapshot->pricesPresent = catalogue.pricesPresent;
    snapshot->currency = catalogue.currency;
    snapshot->priceBase = catalogue.priceBase;
    snapshot->priceDate = catalogue.priceDate;
    snapshot->decimalSeparator = catalogue.decimalSeparator;
    return snapshot;
}

} // namespace kb
