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

} // namespace

LoadOutcome ReadCatalogue(const std::string& cataloguePath, const std::string& pricePath,
                          Catalogue& catalogue) {
    if (!paths::Exists(cataloguePath))
        return {LoadResult::CatalogueMissing, {}};
    const TIniFile ini(cataloguePath);
    if (!ini.Readable())
        return {LoadResult::CatalogueMissing, ini.ReadError()};

    catalogue.pricesPresent = paths::Exists(pricePath);
    const TIniFile prices(pricePath);
    // Otherwise the first price would be blamed for a file that could not be read at all.
    if (catalogue.pricesPresent && !prices.Readable())
        return {LoadResult::BadPrice, prices.ReadError()};

    catalogue.currency = prices.ReadString("General", "Currency", "EUR");
    catalogue.priceBase = prices.ReadString("General", "PriceBase", "EN");
    const std::string separator = prices.ReadString("General", "DecimalSeparator", ",");
    catalogue.decimalSeparator = separator.empty() ? ',' : separator[0];
    catalogue.priceDate = prices.ReadString("General", "Date", "");

    catalogue.useStdConfig = ini.ReadBool("General", "UseStdConfig", true);
    catalogue.version = ini.ReadString("General", "Version", "???");
    catalogue.showPrices = catalogue.pricesPresent && ini.ReadBool("General", "ShowPrices", true);

    for (int n = 0; n < PartTable::kSlots; ++n) {
        Part part;
        part.orderNumber = ini.ReadString("OrderNumbers", std::to_string(n), "");
        if (part.orderNumber.empty())
            continue;
        part.type = ini.ReadString("Types", part.orderNumber, "");
        part.description = ini.ReadString("Descriptions", part.orderNumber, "");
        part.price = prices.ReadString("Prices", part.orderNumber, "");
        part.index = ini.ReadString("Index", part.orderNumber, "");
        if (catalogue.pricesPresent && !numbers::ParseDecimal(part.price, catalogue.decimalSeparator)) {
            LoadOutcome bad{LoadResult::BadPrice,
                            "Price of " + part.orderNumber + " in " + pricePath + ": \"" + part.price + "\""};
            catalogue.parts.Set(n, std::move(part));
            return bad;
        }
        catalogue.parts.Set(n, std::move(part));
    }

    for (const auto& info : AllGroups()) {
        if (info.group == Group::OSLanguage) {
            auto& languages = catalogue.options[static_cast<std::size_t>(info.group)];
            for (int k = 0;; ++k) {
                std::string name = ini.ReadString("OSLanguages", std::to_string(k), "");
                if (name.empty())
                    break;
                languages.push_back(std::move(name));
            }
            continue;
        }
        catalogue.options[static_cast<std::size_t>(info.group)] =
            ReadGroup(ini, info.section, catalogue.parts, catalogue.missing);
    }
    catalogue.osStdLanguage = ini.ReadInteger("General", "OSStdLanguage", 0);

    const std::string extension = ini.ReadString("Extension", "0", "");
    if (const Part* card = catalogue.parts.ByOrderNumber(extension))
        catalogue.extensionCaption = card->description;
    else if (!extension.empty())
        catalogue.missing.push_back({"Extension", "0", extension});
    return {};
}

} // namespace kb
