#include "core/customer/Recheck.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "core/customer/CustomerRecord.h"
#include "core/idcode/IDCode.h"
#include "core/platform/Text.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace {

namespace fs = std::filesystem;

// A customer file holds nine short keys; anything far larger is not one, and reading it
// whole would only cost memory while a folder is checked.
constexpr std::uintmax_t kMaxCustomerFileSize = 1024 * 1024;

// Takes the decoder's changes as the main window's state owner does, without reading the
// catalogue file: the check that a radio group or the check box runs can change the choice
// only through the Profibus completion, so that is all that is repeated here.
class RecordingSink : public SelectionSink {
  public:
    RecordingSink(Choice& choice, const CatalogueSnapshot& catalogue, std::vector<std::string>& unmatched)
        : m_choice(choice), m_catalogue(catalogue), m_unmatched(unmatched) {}

    void SetRadioIndex(Group group, int index) override {
        const int count = m_catalogue.Count(group);
        Note(group, index, count);
        const int clamped = index < -1 ? -1 : (index >= count ? count - 1 : index);
        if (clamped == m_choice[group])
            return;
        m_choice[group] = clamped;
        React(group);
    }

    void SetListIndex(Group group, int index) override {
        const int count = m_catalogue.Count(group);
        Note(group, index, count);
        m_choice[group] = index < -1 || index >= count ? -1 : index;
        if (group == Group::OSLanguage)
            m_choice.typedLanguage.clear();
    }

    void SetPCIChecked(bool checked) override {
        if (checked == m_choice.pciChecked)
            return;
        m_choice.pciChecked = checked;
        m_choice = CompleteProfibus(m_choice, m_catalogue);
    }

    // "0" stands for nothing in every place (the code of an empty order is all zeros), so only
    // another character that selects nothing counts.
    void NoEntry(const char* control, char c) override {
        if (c != '0')
            Unmatched(control);
    }

  private:
    void React(Group group) {
        if (group == Group::OSLanguage)
            return;
        if (group == Group::HMI)
            m_choice.azoVisible = m_choice[Group::HMI] == 0;
        m_choice = CompleteProfibus(m_choice, m_catalogue);
    }

    // Position -1 comes from "0", the code's "nothing"; any other position outside the
    // control's entries found none.
    void Note(Group group, int index, int count) {
        if (index < -1 || index >= count)
            Unmatched(Info(group).controlName);
    }

    void Unmatched(const char* control) {
        if (std::find(m_unmatched.begin(), m_unmatched.end(), control) == m_unmatched.end())
            m_unmatched.emplace_back(control);
    }

    Choice& m_choice;
    const CatalogueSnapshot& m_catalogue;
    std::vector<std::string>& m_unmatched;
};

// Why the file cannot be one to check, before it is read.
std::optional<std::string> RefusedBeforeReading(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return "Cannot read \"" + path + "\": no such file";
    if (status.type() != fs::file_type::regular)
        return std::nullopt; // the reader names what it is
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxCustomerFileSize)
        return "\"" + path + "\" is " + std::to_string(size) + " bytes long, too large for a customer file";
    return std::nullopt;
}

bool HasCustomerExtension(const std::string& name) {
    return name.size() >= 4 && text::EqualNoCase(std::string_view(name).substr(name.size() - 4), ".CST");
}

RecheckedOrder Unreadable(std::string file, std::string reason) {
    RecheckedOrder order;
    order.file = std::move(file);
    order.reason = std::move(reason);
    return order;
}

} // namespace

const char* VerdictName(RecheckVerdict verdict) {
    switch (verdict) {
    case RecheckVerdict::Valid:
        return "valid";
    case RecheckVerdict::Changed:
        return "changed";
    case RecheckVerdict::Invalid:
        return "invalid";
    case RecheckVerdict::Unreadable:
        return "unreadable";
    }
    return "";
}

std::string RecheckBasis::Currency() const {
    return catalogue && catalogue->pricesPresent ? catalogue->currency : std::string();
}

RecheckBasis MakeRecheckBasis(std::shared_ptr<const CatalogueSnapshot> catalogue, const Choice& startChoice,
                              const std::string& cataloguePath, std::string* rulesError) {
    RecheckBasis basis;
    basis.catalogue = std::move(catalogue);
    basis.startChoice = startChoice;
    Result<RuleSections> rules = ReadRuleSections(cataloguePath);
    if (rules)
        basis.rules = std::move(*rules);
    else if (rulesError)
        *rulesError = rules.error().message;
    return basis;
}

Result<AppliedCode> ApplyStoredCode(const std::string& prefixedCode, const Choice& startChoice,
                                    const CatalogueSnapshot& catalogue) {
    AppliedCode applied;
    applied.choice = startChoice;
    RecordingSink sink(applied.choice, catalogue, applied.unmatched);
    if (Result<void> decoded = DecodeIDCode(prefixedCode, catalogue, sink); !decoded)
        return decoded.error();
    applied.choice.azoVisible = applied.choice[Group::HMI] == 0;
    return applied;
}

RecheckedOrder RecheckCustomerFile(const std::string& path, const RecheckBasis& basis) {
    if (auto refused = RefusedBeforeReading(path))
        return Unreadable(path, *refused);
    const Result<CustomerRecord> read = ReadCustomerFile(path);
    if (!read)
        return Unreadable(path, read.error().message);
    const CustomerRecord& record = *read;
    // An empty code would leave the start-up state standing in for an order nobody saved;
    // empty, binary and foreign files end here too.
    if (record[CustomerRecord::Code].empty())
        return Unreadable(path, "\"" + path + "\" holds no ID code (key Code of section [Data])");

    RecheckedOrder order;
    order.file = path;
    order.company1 = record[CustomerRecord::Company1];
    order.name1 = record[CustomerRecord::Name1];
    order.storedCode = record[CustomerRecord::Code];
    order.choice = basis.startChoice;

    const CatalogueSnapshot& catalogue = *basis.catalogue;
    Result<AppliedCode> applied = ApplyStoredCode(order.storedCode, basis.startChoice, catalogue);
    if (!applied) {
        order.verdict = RecheckVerdict::Invalid;
        // The only code that cannot be applied is one too short; the row reports it rather
        // than repeat the dialog's word on a configuration it never changed.
        order.codeFailure = "The ID code is too short: it has " +
                            std::to_string(CharacterCount(order.storedCode)) + " characters, " +
                            std::to_string(kIDCodeDecodedLength) + " are needed (\"" + kIDCodePrefix +
                            "\" and the code up to the cable length).";
        order.statusText = order.codeFailure;
        return order;
    }
    order.unmatched = std::move(applied->unmatched);

    const Verdict verdict = Evaluate(applied->choice, catalogue, basis.rules);
    order.choice = CompleteProfibus(applied->choice, catalogue);
    order.result = verdict.result;
    order.statusText = verdict.statusText;
    if (verdict.unitPrice)
        order.price = *verdict.unitPrice;

    const Result<std::string> code = EncodeIDCode(order.choice, catalogue);
    if (code)
        order.codeNow = kIDCodePrefix + *code;
    else
        order.codeFailure = code.error().message;

    if (verdict.result != CheckResult::Passed || !code)
        order.verdict = RecheckVerdict::Invalid;
    else if (CapitalizeCode(order.codeNow) == CapitalizeCode(order.storedCode) && order.AllPlacesMatched())
        order.verdict = RecheckVerdict::Valid;
    else
        order.verdict = RecheckVerdict::Changed;
    return order;
}

CustomerFileList FindCustomerFiles(const std::vector<std::string>& paths, const std::atomic<bool>* cancel) {
    CustomerFileList list;
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            list.files.push_back(path);
            continue;
        }
        fs::directory_iterator entries(path, ec);
        if (ec) {
            list.failures.push_back(Unreadable(path, "Cannot list \"" + path + "\": " + ec.message()));
            continue;
        }
        // Names as found, joined to the folder as given, so the list reads as the user typed it.
        const bool slash = !path.empty() && path.back() == '/';
        for (const fs::directory_entry& entry : entries) {
            if (cancelled())
                return list;
            const std::string name = entry.path().filename().string();
            if (HasCustomerExtension(name))
                list.files.push_back(slash ? path + name : path + "/" + name);
        }
    }
    std::sort(list.files.begin(), list.files.end());
    return list;
}

void SortByFile(std::vector<RecheckedOrder>& orders) {
    std::stable_sort(orders.begin(), orders.end(),
                     [](const RecheckedOrder& a, const RecheckedOrder& b) { return a.file < b.file; });
}

std::string RecheckSummary(const std::vector<RecheckedOrder>& orders) {
    std::size_t counts[4] = {};
    for (const RecheckedOrder& order : orders)
        ++counts[static_cast<int>(order.verdict)];
    std::string summary = std::to_string(orders.size()) + (orders.size() == 1 ? " order: " : " orders: ") +
                          std::to_string(counts[0]) + " valid, " + std::to_string(counts[1]) + " changed, " +
                          std::to_string(counts[2]) + " invalid";
    if (counts[3] > 0)
        summary += ", " + std::to_string(counts[3]) + " unreadable";
    return summary;
}

std::array<std::string, kRecheckColumnCount> RecheckFields(const RecheckedOrder& order,
                                                           const std::string& currency) {
    const bool unreadable = order.verdict == RecheckVerdict::Unreadable;
    return {order.file,
            VerdictName(order.verdict),
            order.company1,
            order.name1,
            order.storedCode,
            order.codeNow,
            order.result ? std::to_string(static_cast<int>(*order.result)) : std::string(),
            unreadable ? order.reason : order.statusText,
            order.price,
            order.price.empty() ? std::string() : currency};
}

std::string TabSeparated(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '\t';
        // A tab typed into a customer field must not shift the columns.
        for (char c : fields[i])
            line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
    return line;
}

std::string RecheckLine(const RecheckedOrder& order, const std::string& currency) {
    const auto fields = RecheckFields(order, currency);
    return TabSeparated(std::vector<std::string>(fields.begin(), fields.end()));
}

} // namespace kb
