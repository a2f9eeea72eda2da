#include "core/session/CatalogueComparison.h"

#include <filesystem>
#include <system_error>

#include "core/platform/Paths.h"
#include "core/session/Configurator.h"

namespace kb {

namespace {

std::string PricesBeside(const std::string& catalogue) {
    const std::string path = paths::ResolveCaseInsensitive(paths::ReplaceExtension(catalogue, ".PRS"));
    return paths::Exists(path) ? path : std::string();
}

// The basis the program would recheck from on this release, or why it would not start.
Result<RecheckBasis> Basis(const std::string& catalogue, const std::string& prices) {
    Configurator configurator;
    const LoadOutcome outcome = configurator.LoadCatalogue(catalogue, prices);
    if (outcome.result != LoadResult::Loaded)
        return Error{outcome.detail.empty() ? "Cannot read \"" + catalogue + "\"" : outcome.detail};
    configurator.StartUp(false);
    Result<RuleSections> rules = ReadRuleSections(catalogue);
    if (!rules)
        return rules.error();
    return MakeRecheckBasis(configurator.snapshot(), configurator.startChoice(), *rules);
}

bool Touched(const RecheckedOrder& before, const RecheckedOrder& after) {
    return before.verdict != after.verdict || before.codeNow != after.codeNow || before.price != after.price;
}

void CheckOrders(CatalogueComparison& comparison, const ComparisonRun& run) {
    const ComparisonFiles& files = comparison.files;
    if (!comparison.badPrices.empty()) {
        comparison.notes.push_back("Saved orders were not rechecked: the program does not start with a price "
                                   "that is not a number.");
        return;
    }
    const Result<RecheckBasis> before = Basis(files.oldCatalogue, files.oldPrices);
    const Result<RecheckBasis> after = Basis(files.newCatalogue, files.newPrices);
    for (const auto* basis : {&before, &after}) {
        if (!*basis) {
            comparison.notes.push_back("Saved orders were not rechecked: " + basis->error().message);
            return;
        }
    }

    // The folder is listed once per release; a file saved in between is left out below.
    std::size_t firstPass = 0;
    RecheckRun pass;
    pass.cancelled = run.cancelled;
    pass.threads = run.threads;
    pass.report = [&](const RecheckProgress& progress) {
        if (run.progress)
            run.progress(firstPass + progress.done, 2 * progress.total);
    };
    std::vector<RecheckedOrder> old = RecheckOrders({files.ordersFolder}, *before, pass);
    firstPass = old.size();
    std::vector<RecheckedOrder> now = RecheckOrders({files.ordersFolder}, *after, pass);
    comparison.ordersChecked = true;
    comparison.cancelled = run.cancelled && run.cancelled();

    // Both lists are sorted by file.
    auto was = old.begin();
    for (RecheckedOrder& order : now) {
        while (was != old.end() && was->file < order.file)
            ++was;
        if (was == old.end() || was->file != order.file)
            continue;
        ++comparison.orderCount;
        if (Touched(*was, order))
            comparison.touched.push_back({std::move(*was), std::move(order)});
        ++was;
    }
}

} // namespace

ComparisonFiles PricesBesideCatalogues(const std::string& oldCatalogue, const std::string& newCatalogue,
                                       std::string* note) {
    ComparisonFiles files;
    files.oldCatalogue = oldCatalogue;
    files.newCatalogue = newCatalogue;
    const std::string oldPrices = PricesBeside(oldCatalogue);
    const std::string newPrices = PricesBeside(newCatalogue);
    if (!oldPrices.empty() && !newPrices.empty()) {
        files.oldPrices = oldPrices;
        files.newPrices = newPrices;
    } else if (note && (!oldPrices.empty() || !newPrices.empty())) {
        *note = "Prices were not compared: only \"" + (oldPrices.empty() ? newPrices : oldPrices) +
                "\" has a price file beside it, \"" + (oldPrices.empty() ? oldCatalogue : newCatalogue) +
                "\" none.";
    }
    return files;
}

std::string CatalogueComparison::Summary() const {
    std::string summary = ChangeCount(changes.size());
    if (ordersChecked)
        summary += "; " + std::to_string(touched.size()) + " of " + std::to_string(orderCount) +
                   (orderCount == 1 ? " order affected" : " orders affected");
    return summary;
}

Result<CatalogueComparison> CompareCatalogues(const ComparisonFiles& files, const ComparisonRun& run) {
    if (files.oldPrices.empty() != files.newPrices.empty())
        return Error{"Prices are compared only with a price file for each catalogue"};
    Result<CatalogueContent> before = ReadCatalogueContent(files.oldCatalogue, files.oldPrices);
    if (!before)
        return before.error();
    Result<CatalogueContent> after = ReadCatalogueContent(files.newCatalogue, files.newPrices);
    if (!after)
        return after.error();
    if (!files.ordersFolder.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(files.ordersFolder, ec))
            return Error{"\"" + files.ordersFolder + "\" is not a folder of saved orders"};
    }

    CatalogueComparison comparison;
    comparison.files = files;
    comparison.changes = DiffCatalogues(*before, *after);
    comparison.currency = after->currency;
    for (const CatalogueContent* content : {&*before, &*after}) {
        comparison.notes.insert(comparison.notes.end(), content->repeats.begin(), content->repeats.end());
        for (const auto& [orderNumber, price] : content->badPrices)
            comparison.badPrices.push_back(content->pricePath + ": the price of " + orderNumber + ", \"" +
                                           price + "\", is not a number with the decimal separator \"" +
                                           content->decimalSeparator + "\"");
    }
    if (!files.ordersFolder.empty())
        CheckOrders(comparison, run);
    return comparison;
}

std::string TouchedOrderLine(const TouchedOrder& order) {
    return TabSeparated(
        {"order", order.after.file,
         std::string(VerdictName(order.before.verdict)) + " -> " + VerdictName(order.after.verdict),
         order.before.price + " -> " + order.after.price});
}

std::string ComparisonText(const CatalogueComparison& comparison) {
    std::string text;
    for (const Change& change : comparison.changes)
        text += ChangeLine(change) + '\n';
    for (const TouchedOrder& order : comparison.touched)
        text += TouchedOrderLine(order) + '\n';
    return text + comparison.Summary() + '\n';
}

} // namespace kb
