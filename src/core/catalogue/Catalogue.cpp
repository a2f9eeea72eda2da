#include "core/catalogue/Catalogue.h"

#include "core/platform/Numbers.h"
#include "core/platform/Paths.h"
#include "core/platform/TIniFile.h"

namespace kb {

namespace {

// Keys "0", "1", ... up to the first empty value; order numbers that name no part
// are left out of the list and reported.
std::vector<std::string> ReadGroup(const TIniFile& ini, const char* section, const PartTable& parts,
                                   std::vector<MissingOrderNumber>& missing) {
    std::vector<std::string> items;
    for (int k = 0;; ++k) {
        const std::string key = std::to_string(k);
        std::string orderNumber = ini.ReadString(section, key, "");
        if (orderNumber.empty())
            break;
        if (const Part* part = parts.ByOrderNumber(orderNumber))
            items.push_back(part->description);
        else
            missing.push_back({section, key, std::move(orderNumber)});
    }
    return items;
}

Error Missing(std::string detail) {
    return Error{std::move(detail), ErrorCode::CatalogueMissing};
}

Error BadPrice(std::string detail) {
    return Error{std::move(detail), ErrorCode::BadPrice};
}

} // namespace

Result<Catalogue> ReadCatalogue(const std::string& cataloguePath, const std::string& pricePath) {
    if (!paths::Exists(cataloguePath))
        return Missing({});
    const TIniFile ini(cataloguePath);
    if (!ini.Readable())
        return Missing(ini.ReadError());

    auto snapshot = std::make_shared<CatalogueSnapshot>();
    Catalogue loaded;
    snapshot->pricesPresent = paths::Exists(pricePath);
    const TIniFile prices(pricePath);
    // Otherwise the first price would be blamed for a file that could not be read at all.
    if (snapshot->pricesPresent && !prices.Readable())
        return BadPrice(prices.ReadError());

    snapshot->currency = prices.ReadString("General", "Currency", "EUR");
    snapshot->priceBase = prices.ReadString("General", "PriceBase", "EN");
    const std::string separator = prices.ReadString("General", "DecimalSeparator", ",");
    snapshot->decimalSeparator = separator.empty() ? ',' : separator[0];
    snapshot->priceDate = prices.ReadString("General", "Date", "");

    loaded.settings.useStdConfig = ini.ReadBool("General", "UseStdConfig", true);
    snapshot->version = ini.ReadString("General", "Version", "???");
    loaded.settings.showPrices = snapshot->pricesPresent && ini.ReadBool("General", "ShowPrices", true);

    for (int n = 0; n < PartTable::kSlots; ++n) {
        Part part;
        part.orderNumber = ini.ReadString("OrderNumbers", std::to_string(n), "");
        if (part.orderNumber.empty())
            continue;
        part.type = ini.ReadString("Types", part.orderNumber, "");
        part.description = ini.ReadString("Descriptions", part.orderNumber, "");
        part.price = prices.ReadString("Prices", part.orderNumber, "");
        part.index = ini.ReadString("Index", part.orderNumber, "");
        if (snapshot->pricesPresent && !numbers::ParseDecimal(part.price, snapshot->decimalSeparator))
            return BadPrice("Price of " + part.orderNumber + " in " + pricePath + ": \"" + part.price + "\"");
        snapshot->parts.Set(n, std::move(part));
    }

    for (const auto& info : AllGroups()) {
        auto& items = snapshot->Items(info.group);
        if (info.group == Group::OSLanguage) {
            for (int k = 0;; ++k) {
                std::string name = ini.ReadString("OSLanguages", std::to_string(k), "");
                if (name.empty())
                    break;
                items.push_back(std::move(name));
            }
            continue;
        }
        items = ReadGroup(ini, info.section, snapshot->parts, loaded.missing);
        // The controls show an empty-slot entry before a slot's modules.
        if (info.kind == ControlKind::SlotList)
            items.insert(items.begin(), kEmptySlotText);
    }
    loaded.settings.osStdLanguage = ini.ReadInteger("General", "OSStdLanguage", 0);

    const std::string extension = ini.ReadString("Extension", "0", "");
    if (const Part* card = snapshot->parts.ByOrderNumber(extension))
        snapshot->extensionCaption = card->description;
    else if (!extension.empty())
        loaded.missing.push_back({"Extension", "0", extension});
    loaded.snapshot = std::move(snapshot);
    return loaded;
}

LoadOutcome OutcomeOf(const Error& error) {
    return {error.code == ErrorCode::BadPrice ? LoadResult::BadPrice : LoadResult::CatalogueMissing,
            error.message};
}

} // namespace kb
