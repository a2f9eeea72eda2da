#include "cli/Cli.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <optional>

#include "cli/DiffCommand.h"
#include "cli/Lint.h"
#include "cli/SaveCommand.h"
#include "core/config/ConfigurationCheck.h"
#include "core/config/RuleHints.h"
#include "core/customer/Recheck.h"
#include "core/idcode/IDCode.h"
#include "core/platform/Numbers.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"
#include "core/platform/SaveJournal.h"
#include "core/platform/TIniFile.h"
#include "core/platform/Text.h"
#include "core/platform/TextCodec.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

constexpr int kExitOk = 0;
// Also the code of a customer file that is missing or cannot be read.
constexpr int kExitUnreadable = 1;
constexpr int kExitFailure = 4;
constexpr int kExitUsage = 64;

constexpr const char* kUsage =
    "usage: kitbuilder-cli [--catalogue FILE] [--prices FILE | --no-prices] COMMAND [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  lint                     check the catalogue and the price file; prove every option's ID code\n"
    "  decode CODE              apply an ID code as the ID-code dialog does and report the configuration\n"
    "  select NAME=INDEX...     change controls as a user would, then report the configuration\n"
    "  orderlist [--customer FILE] [--code CODE] [NAME=INDEX...] [--rtf OUT]\n"
    "                           print the order list as plain text (and write its RTF copy)\n"
    "  recheck PATH...          check saved orders (customer files, or folders of *.CST) against the\n"
    "                           catalogue: one line per order, FILE VERDICT COMPANY1 NAME1 STORED-CODE\n"
    "                           CODE-NOW RESULT STATUS PRICE CURRENCY separated by tabs, then the counts;\n"
    "                           VERDICT is valid, changed, invalid or unreadable\n"
    "  marks [NAME=INDEX...]    change controls as select does, then list every entry that would break a\n"
    "                           rule (or, while the configuration has a fault, clear it): one line each,\n"
    "                           NAME INDEX breaks|clears TEXT REASON, separated by tabs, then \"N marked\"\n"
    "  diff OLD.INI NEW.INI [--prices OLD.PRS NEW.PRS | --no-prices] [--orders FOLDER] [--html FILE]\n"
    "                           what a new catalogue release changes, matched by order number: one\n"
    "                           line per change, KIND SUBJECT OLD NEW separated by tabs (without\n"
    "                           --prices, the price files beside the catalogues are compared); with\n"
    "                           --orders, each saved order of the folder rechecked under both and\n"
    "                           listed where it differs: order FILE OLD -> NEW VERDICT, OLD -> NEW\n"
    "                           PRICE; then \"N changes\" (\"; M of K orders affected\"); --html also\n"
    "                           writes the report as a web page\n"
    "  save FILE [--code CODE] [NAME=INDEX...] [FIELD=TEXT...]\n"
    "                           write the customer file as the program's Save does: the code entered as\n"
    "                           decode takes it, the controls changed, the fields set, the check passed,\n"
    "                           the nine keys written (fields not given are written empty; other lines of\n"
    "                           FILE are kept); prints the code. FIELD is Company1, Company2, Name1, Name2,\n"
    "                           Street, City, Ident1, Ident2 (Code=CODE stands for --code CODE)\n"
    "\n"
    "Options:\n"
    "  --catalogue FILE         the catalogue (default: KITBUILDER.INI beside this program)\n"
    "  --prices FILE            the price file (default: the catalogue's name with .PRS)\n"
    "  --no-prices              run without prices, whatever price file lies there\n"
    "  -h, --help               show this text\n"
    "\n"
    "NAME is a control: Housing, Processor, RAM, OS, OSLanguage, PCI, HMI, Power, X1 to X10,\n"
    "Display, HMICable. INDEX is the entry's position in the control, from 0; -1 selects nothing;\n"
    "in X1 to X10 entry 0 is the empty slot; PCI takes 0 or 1.\n"
    "\n"
    "The catalogue and the price file are only read, never written. A save interrupted by a kill\n"
    "or a crash is completed from its journal when the file is next touched, and by save at start.\n"
    "\n"
    "Exit codes:\n"
    "  0   success\n"
    "  1   the catalogue, or the customer file of orderlist, is missing or unreadable\n"
    "  3   a price is not a number\n"
    "  4   the command failed: lint errors, a code that does not reproduce, a configuration\n"
    "      with a fault, a saved order that is not valid, a file that cannot be saved\n"
    "  64  wrong usage\n"
    "diff ends with 0 when nothing differs, 4 when something does, 1 when a catalogue, price file\n"
    "or orders folder cannot be read (or the report cannot be written), 3 when a price is not a\n"
    "number.\n";

struct UsageError {
    std::string text;
};

struct Assignment {
    bool pci = false;
    Group group = Group::Housing;
    int index = 0;
};

Assignment ParseAssignment(const std::string& text, const Configurator& configurator) {
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError{"expected NAME=INDEX, got \"" + text + "\""};
    const std::string name = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);
    const std::optional<int> parsed = numbers::ParseInteger(value);
    if (!parsed || value.find_first_of("xX") != std::string::npos)
        throw UsageError{"\"" + value + "\" is not an index in \"" + text + "\""};
    const int index = *parsed;
    Assignment assignment;
    assignment.index = index;
    if (name == "PCI") {
        if (index != 0 && index != 1)
            throw UsageError{"PCI takes 0 or 1, not " + value};
        assignment.pci = true;
        return assignment;
    }
    if (!GroupByControlName(name, assignment.group))
        throw UsageError{"unknown control \"" + name + "\""};
    const int count = configurator.snapshot()->Count(assignment.group);
    if (index < -1 || index >= count)
        throw UsageError{name + " has the entries 0 to " + std::to_string(count - 1) + " (or -1), not " +
                         value};
    return assignment;
}

void Apply(Configurator& configurator, const Assignment& assignment) {
    if (assignment.pci)
        configurator.UserSetPCI(assignment.index == 1);
    else
        configurator.UserSelect(assignment.group, assignment.index);
}

void PrintReport(Configurator& configurator, std::ostream& out) {
    const Choice& choice = configurator.choice();
    const Configuration config = configurator.configuration();
    for (const auto& info : AllGroups()) {
        if (info.group == Group::HMI) {
            out << "PCI\t" << (choice.pciChecked ? 1 : 0) << '\t' << configurator.snapshot()->extensionCaption
                << '\n';
        }
        out << info.controlName << '\t' << choice[info.group] << '\t'
            << (config.HasSelection(info.group) ? config.Text(info.group) : "") << '\n';
    }
    out << "ZEV-Azo\t" << (choice.azoVisible ? "shown" : "hidden") << '\n';
    out << "Result\t" << static_cast<int>(configurator.checkResult()) << '\n';
    out << "Status\t" << configurator.statusText() << '\n';
    out << "Price\t" << text::Trim(configurator.priceText()) << '\t'
        << text::Trim(configurator.currencyText()) << '\n';
    const Result<OrderList> build = configurator.BuildOrderlist();
    out << "Code\t" << (build ? build->code : "") << '\n';
}

// KITBUILDER.INI in the companion's own folder, found without regard to case.
std::string DefaultCatalogue() {
    const std::string self = paths::ExecutablePath();
    const auto slash = self.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
    return paths::ResolveCaseInsensitive(folder + "KITBUILDER.INI");
}

class Cli {
  public:
    Cli(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    int Run(const std::vector<std::string>& args) {
        try {
            const int code = Dispatch(args);
            // Saves of files it read that were interrupted and are now completed.
            for (const std::string& message : TakeJournalMessages())
                m_err << message << '\n';
            return code;
        } catch (const UsageError& usage) {
            m_err << "kitbuilder-cli: " << usage.text << "\n\n" << kUsage;
            return kExitUsage;
        } catch (const SaveUsageError& usage) {
            m_err << "kitbuilder-cli: " << usage.text << "\n\n" << kUsage;
            return kExitUsage;
        } catch (const DiffUsageError& usage) {
            m_err << "kitbuilder-cli: " << usage.text << "\n\n" << kUsage;
            return kExitUsage;
        }
    }

  private:
    int Dispatch(const std::vector<std::string>& args) {
        std::size_t i = 0;
        bool noPrices = false;
        std::optional<std::string> catalogue, prices;
        auto value = [&](const std::string& option) {
            if (i + 1 >= args.size())
                throw UsageError{option + " needs a file"};
            return args[++i];
        };
        for (; i < args.size() && args[i].rfind("-", 0) == 0; ++i) {
            if (args[i] == "-h" || args[i] == "--help") {
                m_out << kUsage;
                return kExitOk;
            }
            if (args[i] == "--catalogue")
                catalogue = value(args[i]);
            else if (args[i] == "--prices")
                prices = value(args[i]);
            else if (args[i] == "--no-prices")
                noPrices = true;
            else
                throw UsageError{"unknown option " + args[i]};
        }
        if (noPrices && prices)
            throw UsageError{"--prices and --no-prices exclude each other"};
        if (i >= args.size())
            throw UsageError{"no command given"};
        const std::string command = args[i++];
        const std::vector<std::string> rest(args.begin() + static_cast<long>(i), args.end());
        if (command != "lint" && command != "decode" && command != "select" && command != "orderlist" &&
            command != "recheck" && command != "marks" && command != "diff" && command != "save")
            throw UsageError{"unknown command \"" + command + "\""};
        if (command == "decode" && rest.size() != 1)
            throw UsageError{"decode takes one code"};
        if (command == "lint" && !rest.empty())
            throw UsageError{"lint takes no arguments"};
        if (command == "recheck" && rest.empty())
            throw UsageError{"recheck needs at least one file or folder"};

        if (command == "diff") {
            if (catalogue || prices)
                throw UsageError{"diff takes its catalogues and price files after the command"};
            return RunDiff(rest, noPrices, m_out, m_err);
        }

        m_cataloguePath = catalogue ? *catalogue : DefaultCatalogue();
        if (noPrices)
            m_pricePath.clear();
        else
            m_pricePath =
                prices ? *prices
                       : paths::ResolveCaseInsensitive(paths::ReplaceExtension(m_cataloguePath, ".PRS"));

        if (command == "lint")
            return Lint();
        Configurator configurator;
        const LoadOutcome outcome = configurator.LoadCatalogue(m_cataloguePath, m_pricePath);
        if (outcome.result != LoadResult::Loaded) {
            m_err << Configurator::LoadFailureText(outcome) << '\n';
            return static_cast<int>(outcome.result);
        }
        if (auto warning = configurator.LoadWarning())
            m_err << "warning: " << warning->text << '\n';
        configurator.StartUp(false);

        if (command == "decode")
            return Decode(configurator, rest[0]);
        if (command == "select")
            return Select(configurator, rest);
        if (command == "recheck")
            return Recheck(configurator, rest);
        if (command == "marks")
            return Marks(configurator, rest);
        if (command == "save")
            return RunSaveCommand(
                configurator, rest,
                [&configurator](const std::string& text) {
                    const Assignment change = ParseAssignment(text, configurator);
                    return [change](Configurator& target) { Apply(target, change); };
                },
                m_out, m_err);
        return Orderlist(configurator, rest);
    }

    int Lint() {
        if (!paths::Exists(m_cataloguePath)) {
            m_err << Configurator::LoadFailureText({LoadResult::CatalogueMissing, {}}) << '\n';
            return static_cast<int>(LoadResult::CatalogueMissing);
        }
        const TIniFile probe(m_cataloguePath);
        if (!probe.Readable()) {
            m_err << Configurator::LoadFailureText({LoadResult::CatalogueMissing, probe.ReadError()}) << '\n';
            return static_cast<int>(LoadResult::CatalogueMissing);
        }
        int errors = 0, warnings = 0;
        for (const auto& finding : LintCatalogue(m_cataloguePath, m_pricePath)) {
            m_out << finding.Line() << '\n';
            (finding.severity == LintFinding::Severity::Error ? errors : warnings)++;
        }
        m_out << errors << (errors == 1 ? " error, " : " errors, ") << warnings
              << (warnings == 1 ? " warning" : " warnings") << '\n';
        return errors == 0 ? kExitOk : kExitFailure;
    }

    int Decode(Configurator& configurator, const std::string& code) {
        const auto failure = configurator.EnterIDCode(code);
        PrintReport(configurator, m_out);
        if (failure) {
            m_err << failure->text << '\n';
            return kExitFailure;
        }
        return kExitOk;
    }

    int Select(Configurator& configurator, const std::vector<std::string>& assignments) {
        if (assignments.empty())
            throw UsageError{"select needs at least one NAME=INDEX"};
        std::vector<Assignment> parsed;
        for (const auto& text : assignments)
            parsed.push_back(ParseAssignment(text, configurator));
        for (const auto& assignment : parsed)
            Apply(configurator, assignment);
        PrintReport(configurator, m_out);
        return kExitOk;
    }

    int Marks(Configurator& configurator, const std::vector<std::string>& assignments) {
        std::vector<Assignment> parsed;
        for (const auto& text : assignments)
            parsed.push_back(ParseAssignment(text, configurator));
        for (const auto& assignment : parsed)
            Apply(configurator, assignment);
        const CatalogueSnapshot& catalogue = *configurator.snapshot();
        const RuleHints hints = ReadRuleHints(configurator.choice(), catalogue, configurator.cataloguePath());
        const std::vector<MarkedEntry> marks = ListMarks(hints);
        for (const MarkedEntry& mark : marks) {
            Group group;
            const std::string& text = GroupByControlName(mark.control, group)
                                          ? catalogue.Items(group)[static_cast<std::size_t>(mark.index)]
                                          : catalogue.extensionCaption;
            m_out << mark.control << '\t' << mark.index << '\t'
                  << (mark.hint.kind == HintKind::Breaks ? "breaks" : "clears") << '\t' << text << '\t'
                  << mark.hint.reason << '\n';
        }
        m_out << marks.size() << " marked\n";
        return kExitOk;
    }

    int Orderlist(Configurator& configurator, const std::vector<std::string>& args) {
        std::optional<std::string> customer, code, rtf;
        std::vector<Assignment> assignments;
        for (std::size_t i = 0; i < args.size(); ++i) {
            auto value = [&]() {
                if (i + 1 >= args.size())
                    throw UsageError{args[i] + " needs a value"};
                return args[++i];
            };
            if (args[i] == "--customer")
                customer = value();
            else if (args[i] == "--code")
                code = value();
            else if (args[i] == "--rtf")
                rtf = value();
            else if (args[i].rfind("--", 0) == 0)
                throw UsageError{"unknown option " + args[i]};
            else
                assignments.push_back(ParseAssignment(args[i], configurator));
        }
        if (customer) {
            // The window opens a missing name as a new order; a batch run asked for this file.
            if (!paths::Exists(*customer)) {
                m_err << "Cannot read \"" << *customer << "\": No such file or directory\n";
                return kExitUnreadable;
            }
            if (const Result<CustomerRecord> read = ReadCustomerFile(*customer); !read) {
                m_err << read.error().message << '\n';
                return kExitUnreadable;
            }
            const auto messages = configurator.OpenCustomerFile(*customer);
            for (const auto& message : messages)
                m_err << message.text << '\n';
            if (!messages.empty())
                return kExitFailure;
        }
        if (code) {
            // The code as the ID-code dialog takes it, applied as File Open applies a stored one.
            const Result<std::string> prefixed = NormalizeTypedCode(*code);
            const auto failure = prefixed ? configurator.ApplyIDCode(*prefixed)
                                          : std::optional<Message>(Message::Error(prefixed.error().message));
            if (failure) {
                m_err << failure->text << '\n';
                return kExitFailure;
            }
        }
        for (const auto& assignment : assignments)
            Apply(configurator, assignment);
        const Configurator::CheckedOrderList shown = configurator.ShowOrderList();
        if (shown.message) {
            m_err << shown.message->text << '\n';
            return kExitFailure;
        }
        m_out << shown.list->PlainText();
        if (rtf) {
            const Result<bool> saved = configurator.SaveOrderList(*rtf);
            if (!saved || !*saved) {
                m_err << (saved ? "\"" + *rtf + "\" is not a file name" : saved.error().message) << '\n';
                return kExitFailure;
            }
        }
        return kExitOk;
    }

    // Every order from the start-up state; the reasons of unreadable files go to the error stream.
    int Recheck(const Configurator& configurator, const std::vector<std::string>& paths) {
        const Result<RuleSections> rules = ReadRuleSections(m_cataloguePath);
        if (!rules)
            m_err << "warning: " << rules.error().message << "; the orders are checked without its rules\n";
        const RecheckBasis basis = MakeRecheckBasis(configurator.snapshot(), configurator.startChoice(),
                                                    rules ? *rules : RuleSections{});
        const std::vector<RecheckedOrder> orders = RecheckOrders(paths, basis);
        const std::string currency = basis.Currency();
        bool allValid = true;
        for (const RecheckedOrder& order : orders) {
            m_out << RecheckLine(order, currency) << '\n';
            if (order.verdict == RecheckVerdict::Unreadable)
                m_err << order.reason << '\n';
            allValid = allValid && order.verdict == RecheckVerdict::Valid;
        }
        m_out << RecheckSummary(orders) << '\n';
        return allValid ? kExitOk : kExitFailure;
    }

    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_cataloguePath;
    std::string m_pricePath;
};

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return Cli(out, err).Run(args);
}
