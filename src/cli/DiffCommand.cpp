#include "cli/DiffCommand.h"

#include <optional>

#include "cli/Lint.h"
#include "core/platform/SafeFile.h"
#include "core/session/CatalogueComparison.h"
#include "core/session/ComparisonHtml.h"

using namespace kb;

namespace {

constexpr int kExitSame = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitBadPrice = 3;
constexpr int kExitDiffers = 4;

struct DiffArgs {
    std::vector<std::string> catalogues;
    std::optional<std::pair<std::string, std::string>> prices;
    std::string orders;
    std::string html;
    bool noPrices = false;
};

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

DiffArgs Parse(const std::vector<std::string>& args) {
    DiffArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](const char* what) {
            if (i + 1 >= args.size() || IsOption(args[i + 1]))
                throw DiffUsageError{arg + " needs " + what};
            return args[++i];
        };
        if (arg == "--prices") {
            // One price file alone would compare priced parts with unpriced ones.
            if (i + 2 >= args.size() || IsOption(args[i + 1]) || IsOption(args[i + 2]))
                throw DiffUsageError{"--prices needs two price files, OLD.PRS and NEW.PRS"};
            parsed.prices.emplace(args[i + 1], args[i + 2]);
            i += 2;
        } else if (arg == "--orders") {
            parsed.orders = value("a folder");
        } else if (arg == "--no-prices") {
            parsed.noPrices = true;
        } else if (arg == "--html") {
            parsed.html = value("a file");
        } else if (IsOption(arg)) {
            throw DiffUsageError{"unknown option " + arg + " of diff"};
        } else {
            parsed.catalogues.push_back(arg);
        }
    }
    if (parsed.catalogues.size() != 2)
        throw DiffUsageError{"diff takes two catalogues, OLD.INI and NEW.INI"};
    return parsed;
}

void Lint(const std::string& catalogue, const std::string& prices, std::ostream& err) {
    for (const LintFinding& finding : LintCatalogue(catalogue, prices))
        if (finding.severity == LintFinding::Severity::Error)
            err << catalogue << ": " << finding.Line() << '\n';
}

} // namespace

int RunDiff(const std::vector<std::string>& args, bool noPrices, std::ostream& out, std::ostream& err) {
    DiffArgs parsed = Parse(args);
    parsed.noPrices = parsed.noPrices || noPrices;
    if (parsed.noPrices && parsed.prices)
        throw DiffUsageError{"--prices and --no-prices exclude each other"};

    ComparisonFiles files;
    if (parsed.prices) {
        files.oldCatalogue = parsed.catalogues[0];
        files.newCatalogue = parsed.catalogues[1];
        files.oldPrices = parsed.prices->first;
        files.newPrices = parsed.prices->second;
    } else if (parsed.noPrices) {
        files.oldCatalogue = parsed.catalogues[0];
        files.newCatalogue = parsed.catalogues[1];
    } else {
        std::string note;
        files = PricesBesideCatalogues(parsed.catalogues[0], parsed.catalogues[1], &note);
        if (!note.empty())
            err << "warning: " << note << '\n';
    }
    files.ordersFolder = parsed.orders;

    const Result<CatalogueComparison> compared = CompareCatalogues(files);
    if (!compared) {
        err << compared.error().message << '\n';
        return kExitUnreadable;
    }
    // A release that fails the lint is still compared: the maintainer sees both.
    Lint(files.oldCatalogue, files.oldPrices, err);
    Lint(files.newCatalogue, files.newPrices, err);
    for (const std::string& note : compared->notes)
        err << "note: " << note << '\n';
    for (const std::string& bad : compared->badPrices)
        err << bad << '\n';

    out << ComparisonText(*compared);
    if (!parsed.html.empty()) {
        if (const Result<void> written = WriteFileSafely(parsed.html, ComparisonHtml(*compared)); !written) {
            err << written.error().message << '\n';
            return kExitUnreadable;
        }
    }
    if (!compared->badPrices.empty())
        return kExitBadPrice;
    return compared->changes.empty() && compared->touched.empty() ? kExitSame : kExitDiffers;
}
