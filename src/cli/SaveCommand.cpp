#include "cli/SaveCommand.h"

#include <array>
#include <optional>

#include "core/config/ConfigurationCheck.h"
#include "core/customer/CustomerRecord.h"
#include "core/platform/SaveJournal.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 4;

std::optional<CustomerRecord::Field> FieldByName(const std::string& name) {
    for (int f = 0; f < CustomerRecord::kFieldCount; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        if (name == CustomerRecord::KeyName(field))
            return field;
    }
    return std::nullopt;
}

void PrintJournalMessages(const std::vector<std::string>& messages, std::ostream& err) {
    for (const std::string& message : messages)
        err << message << '\n';
}

} // namespace

int RunSaveCommand(Configurator& configurator, const std::vector<std::string>& args,
                   const ControlAssignment& assignment, std::ostream& out, std::ostream& err) {
    std::optional<std::string> file, code;
    CustomerRecord fields;
    std::vector<std::function<void(Configurator&)>> changes;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto equals = arg.find('=');
        if (arg == "--code") {
            if (i + 1 >= args.size())
                throw SaveUsageError{"--code needs a value"};
            if (code)
                throw SaveUsageError{"the code is given twice"};
            code = args[++i];
        } else if (arg.starts_with("--")) {
            throw SaveUsageError{"unknown option " + arg};
        } else if (!file) {
            file = arg;
        } else if (const auto field = FieldByName(arg.substr(0, equals));
                   equals != std::string::npos && field) {
            // Code is what the code and the controls give; written as text it is the code to apply.
            if (*field == CustomerRecord::Code) {
                if (code)
                    throw SaveUsageError{"the code is given twice"};
                code = arg.substr(equals + 1);
            } else {
                fields[*field] = arg.substr(equals + 1);
            }
        } else if (equals != std::string::npos) {
            changes.push_back(assignment(arg));
        } else {
            throw SaveUsageError{"save writes one file; \"" + arg + "\" is a second one"};
        }
    }
    if (!file || file->empty())
        throw SaveUsageError{"save needs the customer file to write"};

    // Before anything reads a file, as the program does at start.
    PrintJournalMessages(CompleteInterruptedSaves(), err);

    if (code) {
        // As typed into the ID-code dialog: a code that does not stand for the configuration it
        // gives would be saved as another one.
        if (auto failure = configurator.EnterIDCode(*code)) {
            err << failure->text << '\n';
            return kExitFailure;
        }
    }
    for (const auto& change : changes)
        change(configurator);
    configurator.StoreCustomerFields(fields);
    if (const auto refused = configurator.PrepareSave()) {
        err << (configurator.checkResult() != CheckResult::Passed ? configurator.statusText() : refused->text)
            << '\n';
        return kExitFailure;
    }
    const auto failure = configurator.WriteCustomerFileTo(*file);
    PrintJournalMessages(TakeJournalMessages(), err);
    if (failure) {
        err << failure->text << '\n';
        return kExitFailure;
    }
    out << configurator.customer()[CustomerRecord::Code] << '\n';
    return kExitOk;
}
